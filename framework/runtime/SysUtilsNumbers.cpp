#include "framework/runtime/SysUtils.h"
#include "framework/runtime/SysUtilsPrivate.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sysutils_detail {

AnsiString Fail(const char* what, const AnsiString& text)
{
    return "'" + text + "' is not a valid " + what;
}

AnsiString ToHex(unsigned long long v, int digits)
{
    char buf[32];
    int n = 0;
    do {
        buf[n++] = "0123456789ABCDEF"[v & 15];
        v >>= 4;
    } while (v);
    std::string r;
    if (digits > n) r.assign(std::size_t(std::min(digits, 64) - n), '0');
    while (n) r += buf[--n];
    return AnsiString(std::move(r));
}

}  // namespace sysutils_detail

using sysutils_detail::Fail;
using sysutils_detail::ToHex;

// ---------------------------------------------------------------------------------------------------------------
// Integers

namespace {

// Leading blanks, a sign, then decimal digits or '$'/"0x" and hexadecimal digits, and nothing more.
// Hexadecimal takes the full unsigned range of the type as a bit pattern.
bool ParseInteger(const AnsiString& text, int bits, long long& result)
{
    const char* p = text.c_str();
    const char* end = p + text.Length();
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    bool neg = false;
    if (p < end && (*p == '-' || *p == '+')) neg = (*p++ == '-');
    int base = 10;
    if (p < end && *p == '$') {
        base = 16;
        ++p;
    } else if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (p == end) return false;
    const unsigned long long hexMax = bits == 64 ? ~0ull : 0xFFFFFFFFull;
    const unsigned long long decMax = (bits == 64 ? 0x7FFFFFFFFFFFFFFFull : 0x7FFFFFFFull) + (neg ? 1 : 0);
    const unsigned long long limit = base == 16 ? hexMax : decMax;
    unsigned long long v = 0;
    for (; p < end; ++p) {
        unsigned d;
        if (*p >= '0' && *p <= '9') d = unsigned(*p - '0');
        else if (base == 16 && *p >= 'a' && *p <= 'f') d = unsigned(*p - 'a' + 10);
        else if (base == 16 && *p >= 'A' && *p <= 'F') d = unsigned(*p - 'A' + 10);
        else return false;
        if (v > (limit - d) / unsigned(base)) return false;
        v = v * unsigned(base) + d;
    }
    unsigned long long pattern = neg ? 0ull - v : v;
    if (bits == 32) result = static_cast<std::int32_t>(static_cast<std::uint32_t>(pattern));
    else result = static_cast<std::int64_t>(pattern);
    return true;
}

}  // namespace

AnsiString IntToStr(int value) { return AnsiString(std::to_string(value)); }
AnsiString IntToStr(unsigned value) { return AnsiString(std::to_string(value)); }
AnsiString IntToStr(long value) { return AnsiString(std::to_string(value)); }
AnsiString IntToStr(unsigned long value) { return AnsiString(std::to_string(value)); }
AnsiString IntToStr(long long value) { return AnsiString(std::to_string(value)); }
AnsiString IntToStr(unsigned long long value) { return AnsiString(std::to_string(value)); }
AnsiString IntToHex(int value, int digits) { return ToHex(static_cast<std::uint32_t>(value), digits); }
AnsiString IntToHex(unsigned value, int digits) { return ToHex(value, digits); }
AnsiString IntToHex(long value, int digits)
{
    return ToHex(static_cast<std::make_unsigned_t<long>>(value), digits);
}
AnsiString IntToHex(unsigned long value, int digits) { return ToHex(value, digits); }
AnsiString IntToHex(long long value, int digits) { return ToHex(static_cast<unsigned long long>(value), digits); }
AnsiString IntToHex(unsigned long long value, int digits) { return ToHex(value, digits); }

int StrToInt(const AnsiString& s)
{
    long long v;
    if (!ParseInteger(s, 32, v)) throw EConvertError(Fail("integer value", s));
    return int(v);
}

int StrToIntDef(const AnsiString& s, int def)
{
    long long v;
    return ParseInteger(s, 32, v) ? int(v) : def;
}

long long StrToInt64(const AnsiString& s)
{
    long long v;
    if (!ParseInteger(s, 64, v)) throw EConvertError(Fail("integer value", s));
    return v;
}

long long StrToInt64Def(const AnsiString& s, long long def)
{
    long long v;
    return ParseInteger(s, 64, v) ? v : def;
}

// ---------------------------------------------------------------------------------------------------------------
// Floating point

namespace {

// The decimal digits of |v| rounded to `precision` significant digits: v = 0.d1d2d3... x 10^exponent.
struct DecimalDigits {
    std::string digits;  // no leading zeros; "" for zero
    int exponent = 0;
    bool negative = false;
};

// |v| rounded, halves away from zero as on paper, to `precision` significant digits and, when
// `decimals` >= 0, to no more than that many decimal places.
DecimalDigits RoundedDigits(long double v, int precision, int decimals = -1)
{
    DecimalDigits r;
    r.negative = std::signbit(v);
    v = std::fabs(v);
    if (v == 0) return r;
    // 21 significant digits tell a true half from the binary neighbours of one.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.20Le", v);
    std::string raw;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') raw += *p;
    int exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
    int n = std::min<int>(std::clamp(precision, 1, 20), int(raw.size()));
    if (decimals >= 0) n = std::min(n, exponent + decimals);
    if (n < 0) return r;
    std::string digits = raw.substr(0, std::size_t(n));
    if (std::size_t(n) < raw.size() && raw[std::size_t(n)] >= '5') {
        int k = n - 1;
        while (k >= 0 && digits[std::size_t(k)] == '9') digits[std::size_t(k--)] = '0';
        if (k >= 0) {
            ++digits[std::size_t(k)];
        } else {
            digits.insert(0, 1, '1');
            ++exponent;
        }
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) return r;
    r.digits = std::move(digits);
    r.exponent = exponent;
    return r;
}

std::string IntegerPart(const DecimalDigits& d)
{
    if (d.exponent <= 0) return "0";
    std::string s = d.digits.substr(0, std::size_t(std::min<int>(d.exponent, int(d.digits.size()))));
    s.append(std::size_t(d.exponent - int(s.size())), '0');
    return s;
}

std::string FractionPart(const DecimalDigits& d, int decimals)
{
    std::string s;
    for (int i = 0; i < decimals; ++i) {
        int index = d.exponent + i;  // position in digits
        s += index >= 0 && index < int(d.digits.size()) ? d.digits[std::size_t(index)] : '0';
    }
    return s;
}

std::string Group(const std::string& integer)
{
    if (!ThousandSeparator) return integer;
    std::string r;
    int n = int(integer.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) r += ThousandSeparator;
        r += integer[std::size_t(i)];
    }
    return r;
}

std::string ExponentText(int exponent, int minDigits, bool plus)
{
    std::string r = "E";
    if (exponent < 0) r += '-';
    else if (plus) r += '+';
    std::string digits = std::to_string(std::abs(exponent));
    if (int(digits.size()) < minDigits) digits.insert(0, std::size_t(minDigits - int(digits.size())), '0');
    return r + digits;
}

std::string CurrencyText(const std::string& number, bool negative)
{
    const std::string sym = CurrencyString.str();
    if (!negative) {
        switch (CurrencyFormat) {
        case 1: return number + sym;
        case 2: return sym + " " + number;
        case 3: return number + " " + sym;
        default: return sym + number;
        }
    }
    switch (NegCurrFormat) {
    case 1: return "-" + sym + number;
    case 2: return sym + "-" + number;
    case 3: return sym + number + "-";
    case 4: return "(" + number + sym + ")";
    case 5: return "-" + number + sym;
    case 6: return number + "-" + sym;
    case 7: return number + sym + "-";
    case 8: return "-" + number + " " + sym;
    case 9: return "-" + sym + " " + number;
    case 10: return number + " " + sym + "-";
    case 11: return sym + " " + number + "-";
    case 12: return sym + " -" + number;
    case 13: return number + "- " + sym;
    case 14: return "(" + sym + " " + number + ")";
    case 15: return "(" + number + " " + sym + ")";
    default: return "(" + sym + number + ")";
    }
}

}  // namespace

Currency::Currency(long double value)
{
    long double scaled = std::nearbyint(value * 10000.0L);
    if (!(scaled >= -9223372036854775808.0L && scaled < 9223372036854775808.0L))
        throw EInvalidOp("Invalid floating point operation");
    Val = static_cast<std::int64_t>(scaled);
}

AnsiString FloatToStrF(long double value, TFloatFormat format, int precision, int digits)
{
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    std::string r;
    switch (format) {
    case ffGeneral:
    case ffExponent: {
        DecimalDigits d = RoundedDigits(value, precision);
        if (d.digits.empty()) {
            if (format == ffGeneral) return "0";
            d.digits.assign(1, '0');
            d.exponent = 1;
        }
        if (format == ffGeneral && d.exponent - 1 >= -4 && d.exponent <= precision) {
            r = IntegerPart(d);
            int decimals = std::max(0, int(d.digits.size()) - d.exponent);
            if (decimals > 0) r += DecimalSeparator + FractionPart(d, decimals);
        } else {
            std::string mantissa = d.digits;
            if (format == ffExponent) mantissa.resize(std::size_t(precision), '0');
            r = mantissa.substr(0, 1);
            if (mantissa.size() > 1) r += DecimalSeparator + mantissa.substr(1);
            int e = d.digits == "0" ? 0 : d.exponent - 1;
            r += ExponentText(e, std::min(digits, 4), format == ffExponent);
        }
        if (d.negative && !(d.digits == "0")) r.insert(0, 1, '-');
        return AnsiString(std::move(r));
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        DecimalDigits d = RoundedDigits(value, precision, digits);
        if (d.exponent > precision) return FloatToStrF(value, ffExponent, precision, 3);
        r = IntegerPart(d);
        if (format != ffFixed) r = Group(r);
        if (digits > 0) r += DecimalSeparator + FractionPart(d, digits);
        bool negative = d.negative && !d.digits.empty();
        if (format == ffCurrency) return AnsiString(CurrencyText(r, negative));
        if (negative) r.insert(0, 1, '-');
        return AnsiString(std::move(r));
    }
    }
    return AnsiString();
}

AnsiString FloatToStr(long double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

AnsiString CurrToStr(Currency value) { return FloatToStrF(value, ffGeneral, 18, 0); }

AnsiString CurrToStrF(Currency value, TFloatFormat format, int digits)
{
    return FloatToStrF(value, format, 18, digits);
}

namespace {

// Splits at ';' outside quotes.
std::vector<std::string> FloatSections(const std::string& f)
{
    std::vector<std::string> r(1);
    char quote = 0;
    for (char c : f) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            r.emplace_back();
            continue;
        }
        r.back() += c;
    }
    return r;
}

// Lays |value| (with a leading '-' when withSign and the value is negative) into one section; zero tells
// whether every digit shown is 0.
std::string ApplyFloatSection(const std::string& f, long double value, bool withSign, bool& zero)
{
    // Survey the placeholders.
    int intPlaces = 0, intZeros = 0, decPlaces = 0, decZeros = 0, expZeros = 0;
    bool thousands = false, point = false, exponent = false, expPlus = false, firstZeroSeen = false;
    char quote = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') quote = c;
        else if (exponent) {
            if (c == '0') ++expZeros;
        } else if (c == '0' || c == '#') {
            if (point) {
                ++decPlaces;
                if (c == '0') decZeros = decPlaces;
            } else {
                ++intPlaces;
                if (c == '0') firstZeroSeen = true;
                if (firstZeroSeen) ++intZeros;
            }
        } else if (c == '.' && !point) point = true;
        else if (c == ',' && !point) thousands = true;
        else if ((c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-')) {
            exponent = true;
            expPlus = f[i + 1] == '+';
            ++i;
        }
    }

    std::string intDigits, decDigits, expText;
    bool allZero;
    if (exponent) {
        int lead = intPlaces;
        DecimalDigits d = RoundedDigits(value, std::clamp(lead + decPlaces, 1, 18));
        int e = d.digits.empty() ? 0 : d.exponent - lead;
        d.exponent = lead;
        intDigits = lead > 0 ? IntegerPart(d) : std::string();
        decDigits = FractionPart(d, decPlaces);
        std::string ed = std::to_string(std::abs(e));
        if (int(ed.size()) < expZeros) ed.insert(0, std::size_t(expZeros - int(ed.size())), '0');
        expText = std::string(1, 'E') + (e < 0 ? "-" : expPlus ? "+" : "") + ed;
        allZero = d.digits.empty();
    } else {
        DecimalDigits d = RoundedDigits(value, 18, decPlaces);
        intDigits = IntegerPart(d);
        decDigits = FractionPart(d, decPlaces);
        allZero = d.digits.empty();
        if (intDigits == "0") intDigits.clear();
        if (int(intDigits.size()) < intZeros) intDigits.insert(0, std::size_t(intZeros - int(intDigits.size())), '0');
        if (thousands) intDigits = Group(intDigits);
    }
    while (int(decDigits.size()) > decZeros && !decDigits.empty() && decDigits.back() == '0') decDigits.pop_back();

    // Lay the digits into the pattern: extra integer digits go in front of the first placeholder.
    std::string r;
    if (withSign && std::signbit(value) && !allZero) r += '-';
    int intLeft = intPlaces;
    std::size_t intNext = 0;
    std::size_t decNext = 0;
    bool inDecimals = false, pointDone = false;
    quote = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (quote) {
            if (c == quote) quote = 0;
            else r += c;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (exponent && (c == 'E' || c == 'e') && i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-')) {
            r += expText;
            ++i;
            while (i + 1 < f.size() && f[i + 1] == '0') ++i;
        } else if ((c == '0' || c == '#') && !inDecimals) {
            // Emit as many integer digits as leave one for each placeholder still to come.
            std::size_t wanted = intDigits.size() - std::min<std::size_t>(intDigits.size(), std::size_t(intLeft - 1));
            while (intNext < wanted) r += intDigits[intNext++];
            --intLeft;
        } else if ((c == '0' || c == '#') && inDecimals) {
            if (decNext < decDigits.size()) r += decDigits[decNext++];
        } else if (c == '.' && !pointDone) {
            pointDone = inDecimals = true;
            while (intNext < intDigits.size()) r += intDigits[intNext++];
            if (!decDigits.empty()) r += DecimalSeparator;
        } else if (c == ',' && !inDecimals) {
            // grouping is done on the digits
        } else {
            r += c;
        }
    }
    zero = allZero;
    return r;
}

}  // namespace

AnsiString FormatFloat(const AnsiString& format, long double value)
{
    if (format.IsEmpty() || std::isnan(value) || std::isinf(value)) return FloatToStr(value);
    std::vector<std::string> sections = FloatSections(format.str());
    // The zero section applies when the value shows as zero in the first section.
    bool zero;
    std::string positive = ApplyFloatSection(sections[0], std::fabs(value), false, zero);
    if (zero && sections.size() >= 3 && !sections[2].empty())
        return AnsiString(ApplyFloatSection(sections[2], 0.0L, false, zero));
    if (value < 0 && !zero) {
        if (sections.size() >= 2 && !sections[1].empty())
            return AnsiString(ApplyFloatSection(sections[1], std::fabs(value), false, zero));
        return AnsiString(ApplyFloatSection(sections[0], value, true, zero));
    }
    return AnsiString(std::move(positive));
}

bool TextToFloat(const char* text, long double& value)
{
    if (!text) return false;
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    std::string s;
    if (*p == '-' || *p == '+') s += *p++;
    bool anyDigit = false;
    while (*p >= '0' && *p <= '9') {
        s += *p++;
        anyDigit = true;
    }
    if (*p == DecimalSeparator) {
        s += '.';
        ++p;
        while (*p >= '0' && *p <= '9') {
            s += *p++;
            anyDigit = true;
        }
    }
    if (!anyDigit) return false;
    if (*p == 'e' || *p == 'E') {
        s += *p++;
        if (*p == '-' || *p == '+') s += *p++;
        if (!(*p >= '0' && *p <= '9')) return false;
        while (*p >= '0' && *p <= '9') s += *p++;
    }
    while (*p == ' ' || *p == '\t') ++p;
    if (*p) return false;
    errno = 0;
    long double v = std::strtold(s.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(v)) return false;
    value = v;
    return true;
}

long double StrToFloat(const AnsiString& s)
{
    long double v;
    if (!TextToFloat(s.c_str(), v) || int(std::strlen(s.c_str())) != s.Length())
        throw EConvertError(Fail("floating point value", s));
    return v;
}

long double StrToFloatDef(const AnsiString& s, long double def)
{
    long double v;
    return TextToFloat(s.c_str(), v) && int(std::strlen(s.c_str())) == s.Length() ? v : def;
}

std::int64_t Round(long double value)
{
    long double r = std::nearbyint(value);
    if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L))
        throw EInvalidOp("Invalid floating point operation");
    return static_cast<std::int64_t>(r);
}

std::int64_t Trunc(long double value)
{
    long double r = std::trunc(value);
    if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L))
        throw EInvalidOp("Invalid floating point operation");
    return static_cast<std::int64_t>(r);
}

long double Int(long double value) { return std::trunc(value); }
long double Frac(long double value) { return value - std::trunc(value); }
