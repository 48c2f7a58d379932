#include "framework/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------------------------
// Locale globals

AnsiString CurrencyString = "$";
unsigned char CurrencyFormat = 0;
unsigned char NegCurrFormat = 0;
unsigned char CurrencyDecimals = 2;
char ThousandSeparator = ',';
char DecimalSeparator = '.';
char DateSeparator = '/';
char TimeSeparator = ':';
AnsiString ShortDateFormat = "M/d/yyyy";
AnsiString LongDateFormat = "dddd, MMMM d, yyyy";
AnsiString ShortTimeFormat = "h:mm AMPM";
AnsiString LongTimeFormat = "h:mm:ss AMPM";
AnsiString TimeAMString = "AM";
AnsiString TimePMString = "PM";
TNameTable<12> ShortMonthNames;
TNameTable<12> LongMonthNames;
TNameTable<7> ShortDayNames;
TNameTable<7> LongDayNames;
int TwoDigitYearCenturyWindow = 50;

int Win32Platform = 0;
int Win32MajorVersion = 0;
int Win32MinorVersion = 0;
int Win32BuildNumber = 0;
AnsiString Win32CSDVersion;

namespace {

AnsiString LocaleString(LCTYPE type, const char* def)
{
    char buf[256];
    int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
    if (n <= 1) return AnsiString(def);
    return AnsiString(buf, n - 1);
}

char LocaleChar(LCTYPE type, char def)
{
    AnsiString s = LocaleString(type, "");
    return s.IsEmpty() ? def : s[1];
}

int LocaleInt(LCTYPE type, int def)
{
    AnsiString s = LocaleString(type, "");
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    return s.IsEmpty() || *end ? def : int(v);
}

void ReadVersion()
{
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&vi)) return;
#pragma GCC diagnostic pop
    Win32Platform = int(vi.dwPlatformId);
    Win32MajorVersion = int(vi.dwMajorVersion);
    Win32MinorVersion = int(vi.dwMinorVersion);
    Win32BuildNumber = vi.dwPlatformId == VER_PLATFORM_WIN32_NT ? int(vi.dwBuildNumber) : int(vi.dwBuildNumber & 0xFFFF);
    Win32CSDVersion = vi.szCSDVersion;
}

struct StartUp {
    StartUp()
    {
        GetFormatSettings();
        ReadVersion();
    }
} startUp;

AnsiString Fail(const char* what, const AnsiString& text)
{
    return "'" + text + "' is not a valid " + what;
}

}  // namespace

void GetFormatSettings()
{
    static const char* const shortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const longMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                             "July",    "August",   "September", "October", "November", "December"};
    static const char* const shortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const longDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    for (int i = 1; i <= 12; ++i) {
        ShortMonthNames[i] = LocaleString(LOCALE_SABBREVMONTHNAME1 + i - 1, shortMonths[i - 1]);
        LongMonthNames[i] = LocaleString(LOCALE_SMONTHNAME1 + i - 1, longMonths[i - 1]);
    }
    // The locale counts its days from Monday; ours start on Sunday.
    for (int i = 1; i <= 7; ++i) {
        int li = (i + 5) % 7;
        ShortDayNames[i] = LocaleString(LOCALE_SABBREVDAYNAME1 + li, shortDays[i - 1]);
        LongDayNames[i] = LocaleString(LOCALE_SDAYNAME1 + li, longDays[i - 1]);
    }
    CurrencyString = LocaleString(LOCALE_SCURRENCY, "");
    CurrencyFormat = static_cast<unsigned char>(std::clamp(LocaleInt(LOCALE_ICURRENCY, 0), 0, 3));
    NegCurrFormat = static_cast<unsigned char>(std::clamp(LocaleInt(LOCALE_INEGCURR, 0), 0, 15));
    CurrencyDecimals = static_cast<unsigned char>(std::clamp(LocaleInt(LOCALE_ICURRDIGITS, 2), 0, 18));
    ThousandSeparator = LocaleChar(LOCALE_STHOUSAND, ',');
    DecimalSeparator = LocaleChar(LOCALE_SDECIMAL, '.');
    DateSeparator = LocaleChar(LOCALE_SDATE, '/');
    TimeSeparator = LocaleChar(LOCALE_STIME, ':');
    ShortDateFormat = LocaleString(LOCALE_SSHORTDATE, "M/d/yyyy");
    LongDateFormat = LocaleString(LOCALE_SLONGDATE, "dddd, MMMM d, yyyy");
    TimeAMString = LocaleString(LOCALE_S1159, "am");
    TimePMString = LocaleString(LOCALE_S2359, "pm");
    // The locale's own time pattern uses "tt" for the day half, which means the long time here; build ours.
    AnsiString hour = LocaleInt(LOCALE_ITLZERO, 0) ? "hh" : "h";
    AnsiString prefix, suffix;
    if (LocaleInt(LOCALE_ITIME, 0) == 0) {
        if (LocaleInt(LOCALE_ITIMEMARKPOSN, 0) == 0) suffix = " AMPM";
        else prefix = "AMPM ";
    }
    ShortTimeFormat = prefix + hour + ":mm" + suffix;
    LongTimeFormat = prefix + hour + ":mm:ss" + suffix;
}

AnsiString SysErrorMessage(DWORD errorCode)
{
    char text[1024] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorCode, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.'))
        --n;
    return AnsiString(text, int(n));
}

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

// ---------------------------------------------------------------------------------------------------------------
// Format

namespace {

[[noreturn]] void BadFormat(const AnsiString& format)
{
    throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
}

[[noreturn]] void NoArgument(const AnsiString& format)
{
    throw EConvertError("No argument for format '" + format + "'");
}

std::string Pad(std::string s, int width, bool left, char fill = ' ')
{
    if (int(s.size()) >= width) return s;
    std::size_t n = std::size_t(width) - s.size();
    if (left) return s.append(n, ' ');
    if (fill == '0') {
        std::size_t at = !s.empty() && s[0] == '-' ? 1 : 0;
        return s.insert(at, n, '0');
    }
    return s.insert(0, n, fill);
}

}  // namespace

AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args)
{
    return Format(format, std::span<const TVarRec>(args.begin(), args.size()));
}

AnsiString Format(const AnsiString& format, std::span<const TVarRec> args)
{
    const std::string& f = format.str();
    std::string out;
    std::size_t next = 0;  // next argument
    std::size_t i = 0;
    auto takeArg = [&]() -> const TVarRec& {
        if (next >= args.size()) NoArgument(format);
        return args[next++];
    };
    auto readNumber = [&](int& value) -> bool {  // digits or '*'
        if (i < f.size() && f[i] == '*') {
            ++i;
            const TVarRec& a = takeArg();
            if (a.kind() != TVarRec::Kind::Integer) BadFormat(format);
            // Kept to a sane size: a width taken from data must not exhaust memory.
            value = int(std::clamp<long long>(a.AsInt64(), -100000, 100000));
            return true;
        }
        if (i >= f.size() || f[i] < '0' || f[i] > '9') return false;
        long long v = 0;
        while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
            v = std::min(v * 10 + (f[i] - '0'), 100000ll);
            ++i;
        }
        value = int(v);
        return true;
    };

    while (i < f.size()) {
        char c = f[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i < f.size() && f[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // [index:]
        std::size_t save = i;
        int index;
        if (i < f.size() && f[i] != '*' && readNumber(index) && i < f.size() && f[i] == ':') {
            ++i;
            next = std::size_t(std::max(index, 0));
        } else {
            i = save;
        }
        bool left = false, zero = false;
        if (i < f.size() && f[i] == '-') {
            left = true;
            ++i;
        }
        if (i < f.size() && f[i] == '0') {
            zero = true;
            ++i;
        }
        int width = 0;
        readNumber(width);
        if (width < 0) {  // a negative '*' width means left alignment, as in C
            left = true;
            width = -width;
        }
        int precision = -1;
        if (i < f.size() && f[i] == '.') {
            ++i;
            precision = 0;
            if (!readNumber(precision)) precision = 0;
            if (precision < 0) precision = -1;
        }
        // Size modifiers of C formats carry no meaning here: the argument knows its type.
        while (i < f.size() && (f[i] == 'l' || f[i] == 'h' || f[i] == 'L')) ++i;
        if (i >= f.size()) BadFormat(format);
        char type = f[i++];
        const TVarRec& a = takeArg();
        using K = TVarRec::Kind;
        std::string s;
        bool numeric = false;
        switch (type) {
        case 'd':
        case 'i':
        case 'D':
        case 'I':
        case 'u':
        case 'U': {
            if (a.kind() != K::Integer && a.kind() != K::Char) BadFormat(format);
            bool asUnsigned = type == 'u' || type == 'U' || a.IsUnsigned();
            bool neg = false;
            unsigned long long mag;
            if (asUnsigned) {
                mag = a.Width() == 64 ? a.Bits() : (a.Bits() & 0xFFFFFFFFull);
            } else {
                long long v = a.AsInt64();
                neg = v < 0;
                mag = neg ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
            }
            s = std::to_string(mag);
            if (precision > int(s.size())) s.insert(0, std::size_t(std::min(precision, 1000)) - s.size(), '0');
            if (neg) s.insert(0, 1, '-');
            numeric = true;
            break;
        }
        case 'x':
        case 'X': {
            if (a.kind() != K::Integer && a.kind() != K::Char) BadFormat(format);
            unsigned long long bits = a.Width() == 64 ? a.Bits() : (a.Bits() & 0xFFFFFFFFull);
            s = ToHex(bits, std::min(precision, 64)).str();
            if (type == 'x')
                for (auto& ch : s) ch = char(std::tolower(static_cast<unsigned char>(ch)));
            numeric = true;
            break;
        }
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'n':
        case 'N':
        case 'm':
        case 'M': {
            if (a.kind() != K::Float) BadFormat(format);
            long double v = a.AsFloat();
            switch (type | 0x20) {
            case 'e': s = FloatToStrF(v, ffExponent, precision < 0 ? 15 : precision, 3).str(); break;
            case 'f': s = FloatToStrF(v, ffFixed, 18, precision < 0 ? 2 : precision).str(); break;
            case 'g': s = FloatToStrF(v, ffGeneral, precision < 0 ? 15 : precision, 0).str(); break;
            case 'n': s = FloatToStrF(v, ffNumber, 18, precision < 0 ? 2 : precision).str(); break;
            default: s = FloatToStrF(v, ffCurrency, 18, precision < 0 ? CurrencyDecimals : precision).str(); break;
            }
            if (type == 'e' && s.find('E') != std::string::npos) s[s.find('E')] = 'e';
            break;
        }
        case 'p':
        case 'P': {
            if (a.kind() != K::Pointer) BadFormat(format);
            s = ToHex(reinterpret_cast<std::uintptr_t>(a.AsPointer()), int(sizeof(void*) * 2)).str();
            break;
        }
        case 's':
        case 'S': {
            if (a.kind() == K::String) s = a.AsString();
            else if (a.kind() == K::Char) s.assign(1, char(a.Bits()));
            else BadFormat(format);
            if (precision >= 0 && precision < int(s.size())) s.resize(std::size_t(precision));
            break;
        }
        case 'c':
        case 'C': {
            if (a.kind() != K::Char && a.kind() != K::Integer) BadFormat(format);
            s.assign(1, char(a.Bits() & 0xFF));
            break;
        }
        default:
            BadFormat(format);
        }
        out += Pad(std::move(s), width, left, zero && numeric ? '0' : ' ');
    }
    return AnsiString(std::move(out));
}

// ---------------------------------------------------------------------------------------------------------------
// Strings

AnsiString Trim(const AnsiString& s) { return s.Trim(); }
AnsiString TrimLeft(const AnsiString& s) { return s.TrimLeft(); }
AnsiString TrimRight(const AnsiString& s) { return s.TrimRight(); }
AnsiString UpperCase(const AnsiString& s) { return s.UpperCase(); }
AnsiString LowerCase(const AnsiString& s) { return s.LowerCase(); }

AnsiString AnsiUpperCase(const AnsiString& s)
{
    std::string r = s.str();
    if (!r.empty()) CharUpperBuffA(r.data(), DWORD(r.size()));
    return AnsiString(std::move(r));
}

AnsiString AnsiLowerCase(const AnsiString& s)
{
    std::string r = s.str();
    if (!r.empty()) CharLowerBuffA(r.data(), DWORD(r.size()));
    return AnsiString(std::move(r));
}

int CompareStr(const AnsiString& a, const AnsiString& b)
{
    int r = a.str().compare(b.str());
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int CompareText(const AnsiString& a, const AnsiString& b)
{
    const std::string& x = a.str();
    const std::string& y = b.str();
    std::size_t n = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto cx = static_cast<unsigned char>(x[i]);
        auto cy = static_cast<unsigned char>(y[i]);
        if (cx >= 'a' && cx <= 'z') cx = static_cast<unsigned char>(cx - 32);
        if (cy >= 'a' && cy <= 'z') cy = static_cast<unsigned char>(cy - 32);
        if (cx != cy) return cx < cy ? -1 : 1;
    }
    return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

bool SameText(const AnsiString& a, const AnsiString& b) { return CompareText(a, b) == 0; }

namespace {
int LocaleCompare(DWORD flags, const char* a, int na, const char* b, int nb)
{
    int r = CompareStringA(LOCALE_USER_DEFAULT, flags, a, na, b, nb);
    if (r == 0) {  // the locale cannot compare: fall back to bytes
        int c = std::memcmp(a, b, std::size_t(std::min(na, nb)));
        return c ? (c < 0 ? -1 : 1) : na < nb ? -1 : na > nb ? 1 : 0;
    }
    return r - CSTR_EQUAL;
}
}  // namespace

int AnsiCompareStr(const AnsiString& a, const AnsiString& b)
{
    return LocaleCompare(0, a.c_str(), a.Length(), b.c_str(), b.Length());
}

int AnsiCompareText(const AnsiString& a, const AnsiString& b)
{
    return LocaleCompare(NORM_IGNORECASE, a.c_str(), a.Length(), b.c_str(), b.Length());
}

bool AnsiSameText(const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) == 0; }

int AnsiStrIComp(const char* a, const char* b)
{
    a = a ? a : "";
    b = b ? b : "";
    return LocaleCompare(NORM_IGNORECASE, a, int(std::strlen(a)), b, int(std::strlen(b)));
}

int AnsiStrLIComp(const char* a, const char* b, unsigned maxLen)
{
    a = a ? a : "";
    b = b ? b : "";
    int na = int(strnlen(a, maxLen));
    int nb = int(strnlen(b, maxLen));
    return LocaleCompare(NORM_IGNORECASE, a, na, b, nb);
}

AnsiString QuotedStr(const AnsiString& s)
{
    std::string r = "'";
    for (char c : s.str()) {
        r += c;
        if (c == '\'') r += c;
    }
    return AnsiString(r + "'");
}

bool IsDelimiter(const AnsiString& delimiters, const AnsiString& s, int index)
{
    return s.IsDelimiter(delimiters, index);
}

int LastDelimiter(const AnsiString& delimiters, const AnsiString& s) { return s.LastDelimiter(delimiters); }

unsigned StrLen(const char* s) { return s ? unsigned(std::strlen(s)) : 0; }

char* StrLCopy(char* dest, const char* source, int maxLen)
{
    if (!dest || maxLen < 0) return dest;
    int n = 0;
    if (source)
        while (n < maxLen && source[n]) ++n;
    std::memcpy(dest, source ? source : "", std::size_t(n));
    dest[n] = '\0';
    return dest;
}

char* StrPLCopy(char* dest, const AnsiString& source, int maxLen)
{
    if (!dest || maxLen < 0) return dest;
    int n = std::min(maxLen, source.Length());
    std::memcpy(dest, source.c_str(), std::size_t(n));
    dest[n] = '\0';
    return dest;
}

AnsiString StrPas(const char* s) { return AnsiString(s); }

// ---------------------------------------------------------------------------------------------------------------
// File names and files

namespace {
const AnsiString pathDelimiters = "\\/:";
const AnsiString extDelimiters = ".\\/:";
bool IsSlash(char c) { return c == '\\' || c == '/'; }
}  // namespace

AnsiString ExtractFilePath(const AnsiString& fileName)
{
    return fileName.SubString(1, fileName.LastDelimiter(pathDelimiters));
}

AnsiString ExtractFileDir(const AnsiString& fileName)
{
    int i = fileName.LastDelimiter(pathDelimiters);
    // Keep the backslash of a root ("C:\", "\").
    if (i > 1 && IsSlash(fileName[i]) && !fileName.IsDelimiter(pathDelimiters, i - 1)) --i;
    return fileName.SubString(1, i);
}

AnsiString ExtractFileName(const AnsiString& fileName)
{
    return fileName.SubString(fileName.LastDelimiter(pathDelimiters) + 1, fileName.Length());
}

AnsiString ExtractFileExt(const AnsiString& fileName)
{
    int i = fileName.LastDelimiter(extDelimiters);
    return i > 0 && fileName[i] == '.' ? fileName.SubString(i, fileName.Length()) : AnsiString();
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension)
{
    int i = fileName.LastDelimiter(extDelimiters);
    if (i == 0 || fileName[i] != '.') i = fileName.Length() + 1;
    return fileName.SubString(1, i - 1) + extension;
}

AnsiString IncludeTrailingBackslash(const AnsiString& s)
{
    return !s.IsEmpty() && IsSlash(s[s.Length()]) ? s : s + "\\";
}

AnsiString ExcludeTrailingBackslash(const AnsiString& s)
{
    return !s.IsEmpty() && IsSlash(s[s.Length()]) ? s.SubString(1, s.Length() - 1) : s;
}

AnsiString ExpandFileName(const AnsiString& fileName)
{
    if (fileName.IsEmpty()) return AnsiString();
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        char* part = nullptr;
        DWORD n = GetFullPathNameA(fileName.c_str(), DWORD(buf.size()), buf.data(), &part);
        if (n == 0) return fileName;
        if (n < buf.size()) {
            buf.resize(n);
            return AnsiString(std::move(buf));
        }
        buf.assign(n + 1, '\0');
    }
}

bool FileExists(const AnsiString& fileName)
{
    DWORD a = GetFileAttributesA(fileName.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const AnsiString& name)
{
    DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFile(const AnsiString& fileName) { return ::DeleteFileA(fileName.c_str()) != 0; }

bool RenameFile(const AnsiString& oldName, const AnsiString& newName)
{
    return MoveFileA(oldName.c_str(), newName.c_str()) != 0;
}

AnsiString GetCurrentDir()
{
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return AnsiString();
    std::string buf(n, '\0');
    n = GetCurrentDirectoryA(DWORD(buf.size()), buf.data());
    buf.resize(n < buf.size() ? n : 0);
    return AnsiString(std::move(buf));
}

int FileGetAttr(const AnsiString& fileName) { return int(GetFileAttributesA(fileName.c_str())); }

namespace {
bool DiskSpace(unsigned char drive, ULARGE_INTEGER& free, ULARGE_INTEGER& total)
{
    char root[4] = "A:\\";
    const char* path = nullptr;
    if (drive != 0) {
        if (drive > 26) return false;
        root[0] = char('A' + drive - 1);
        path = root;
    }
    return GetDiskFreeSpaceExA(path, &free, &total, nullptr) != 0;
}
}  // namespace

long long DiskFree(unsigned char drive)
{
    ULARGE_INTEGER f, t;
    return DiskSpace(drive, f, t) ? static_cast<long long>(f.QuadPart) : -1;
}

long long DiskSize(unsigned char drive)
{
    ULARGE_INTEGER f, t;
    return DiskSpace(drive, f, t) ? static_cast<long long>(t.QuadPart) : -1;
}

namespace {
HANDLE H(int handle) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle)); }
int FromHandle(HANDLE h)
{
    return h == INVALID_HANDLE_VALUE ? -1 : static_cast<int>(reinterpret_cast<std::intptr_t>(h));
}
}  // namespace

int FileOpen(const AnsiString& fileName, unsigned mode)
{
    static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    static const DWORD share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    unsigned a = mode & 3, s = (mode & 0xF0) >> 4;
    if (a > 2 || s > 4) return -1;
    return FromHandle(CreateFileA(fileName.c_str(), access[a], share[s], nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

int FileCreate(const AnsiString& fileName)
{
    return FromHandle(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

int FileRead(int handle, void* buffer, int count)
{
    DWORD n = 0;
    if (count < 0 || !ReadFile(H(handle), buffer, DWORD(count), &n, nullptr)) return -1;
    return int(n);
}

int FileWrite(int handle, const void* buffer, int count)
{
    DWORD n = 0;
    if (count < 0 || !WriteFile(H(handle), buffer, DWORD(count), &n, nullptr)) return -1;
    return int(n);
}

long long FileSeek(int handle, long long offset, int origin)
{
    LARGE_INTEGER d, r;
    d.QuadPart = offset;
    if (origin < 0 || origin > 2 || !SetFilePointerEx(H(handle), d, &r, DWORD(origin))) return -1;
    return r.QuadPart;
}

int FileSeek(int handle, int offset, int origin)
{
    long long r = FileSeek(handle, static_cast<long long>(offset), origin);
    return r > INT_MAX ? -1 : int(r);
}

void FileClose(int handle)
{
    if (handle != -1) CloseHandle(H(handle));
}

// ---------------------------------------------------------------------------------------------------------------
// Command line

TSysCharSet::TSysCharSet(const char* chars)
{
    for (; chars && *chars; ++chars) *this << *chars;
}

TSysCharSet::TSysCharSet(std::initializer_list<char> chars)
{
    for (char c : chars) *this << c;
}

TSysCharSet& TSysCharSet::operator<<(char c)
{
    auto u = static_cast<unsigned char>(c);
    bits_[u >> 5] |= 1u << (u & 31);
    return *this;
}

std::vector<AnsiString> SplitCommandLine(const char* commandLine)
{
    // Quotes group and are dropped; no escapes, so a quoted folder may end in a backslash.
    std::vector<AnsiString> r;
    const char* p = commandLine ? commandLine : "";
    for (;;) {
        while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
        if (!*p) break;
        std::string arg;
        bool quoted = false;
        while (*p && (quoted || static_cast<unsigned char>(*p) > ' ')) {
            if (*p == '"') quoted = !quoted;
            else arg += *p;
            ++p;
        }
        r.emplace_back(std::move(arg));
    }
    return r;
}

int ParamCount()
{
    auto args = SplitCommandLine(GetCommandLineA());
    return args.empty() ? 0 : int(args.size()) - 1;
}

AnsiString ParamStr(int index)
{
    if (index == 0) {
        std::string buf(MAX_PATH, '\0');
        for (;;) {
            DWORD n = GetModuleFileNameA(nullptr, buf.data(), DWORD(buf.size()));
            if (n == 0) return AnsiString();
            if (n < buf.size()) {
                buf.resize(n);
                return AnsiString(std::move(buf));
            }
            buf.assign(buf.size() * 2, '\0');
        }
    }
    auto args = SplitCommandLine(GetCommandLineA());
    if (index < 0 || index >= int(args.size())) return AnsiString();
    return args[std::size_t(index)];
}

bool FindCmdLineSwitch(const AnsiString& switchName, const TSysCharSet& chars, bool ignoreCase)
{
    auto args = SplitCommandLine(GetCommandLineA());
    for (std::size_t i = 1; i < args.size(); ++i) {
        const AnsiString& a = args[i];
        if (a.IsEmpty() || !chars.Contains(a[1])) continue;
        AnsiString rest = a.SubString(2, a.Length());
        if (ignoreCase ? AnsiCompareText(rest, switchName) == 0 : rest == switchName) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Date and time

namespace {

constexpr int dateDelta = 693593;  // days from 0001-01-01 to 1899-12-30
constexpr long long msecsPerDay = 86400000;

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Whole days since 1899-12-30 and milliseconds of the day; the time of a negative value counts forward too.
void SplitDateTime(TDateTime dt, long long& days, long long& msecs)
{
    long double total = std::nearbyint(std::fabs(static_cast<long double>(dt)) * msecsPerDay);
    if (!(total < 1e18L)) total = 0;  // NaN or beyond any date: no reading of it is meaningful
    auto t = static_cast<long long>(total);
    days = t / msecsPerDay;
    msecs = t % msecsPerDay;
    if (dt < 0) days = -days;
}

void DaysToDate(long long days, int& year, int& month, int& day)
{
    long long d = days + dateDelta;  // days since 0001-01-01
    if (d < 0) {
        year = month = day = 0;
        return;
    }
    long long y = 1;
    long long n400 = d / 146097;
    d %= 146097;
    long long n100 = std::min<long long>(d / 36524, 3);
    d -= n100 * 36524;
    long long n4 = d / 1461;
    d %= 1461;
    long long n1 = std::min<long long>(d / 365, 3);
    d -= n1 * 365;
    y += n400 * 400 + n100 * 100 + n4 * 4 + n1;
    year = int(y);
    month = 1;
    while (d >= DaysInMonth(year, month)) {
        d -= DaysInMonth(year, month);
        ++month;
    }
    day = int(d) + 1;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    long long y = year - 1;
    long long d = y * 365 + y / 4 - y / 100 + y / 400 + day - 1;
    for (int m = 1; m < month; ++m) d += DaysInMonth(year, m);
    result = TDateTime(d - dateDelta);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999) return false;
    result = TDateTime((((hour * 60LL + min) * 60 + sec) * 1000 + msec) / double(msecsPerDay));
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime r;
    if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
    return r;
}

void DecodeDate(TDateTime date, unsigned short& year, unsigned short& month, unsigned short& day)
{
    long long days, ms;
    SplitDateTime(date, days, ms);
    int y, m, d;
    DaysToDate(days, y, m, d);
    year = static_cast<unsigned short>(y);
    month = static_cast<unsigned short>(m);
    day = static_cast<unsigned short>(d);
}

void DecodeTime(TDateTime time, unsigned short& hour, unsigned short& min, unsigned short& sec,
                unsigned short& msec)
{
    long long days, ms;
    SplitDateTime(time, days, ms);
    hour = static_cast<unsigned short>(ms / 3600000);
    min = static_cast<unsigned short>(ms / 60000 % 60);
    sec = static_cast<unsigned short>(ms / 1000 % 60);
    msec = static_cast<unsigned short>(ms % 1000);
}

int DayOfWeek(TDateTime date)
{
    long long days, ms;
    SplitDateTime(date, days, ms);
    long long d = days + dateDelta + 1;  // 0001-01-01 is day 1, a Monday
    return int(((d % 7) + 7) % 7) + 1;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st)
{
    TDateTime d = EncodeDate(st.wYear, st.wMonth, st.wDay);
    TDateTime t = EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    return d >= 0 ? d + t : d - t;
}

void DateTimeToSystemTime(TDateTime dt, SYSTEMTIME& st)
{
    DecodeDate(dt, st.wYear, st.wMonth, st.wDay);
    DecodeTime(dt, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(dt) - 1);
}

TDateTime Now()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTimeToDateTime(st);
}

TDateTime Date()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return EncodeDate(st.wYear, st.wMonth, st.wDay);
}

TDateTime Time()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

namespace {

std::string TwoDigits(int v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

bool StartsWithNoCase(const std::string& s, std::size_t at, const char* what)
{
    std::size_t n = std::strlen(what);
    if (s.size() - at < n) return false;
    for (std::size_t k = 0; k < n; ++k)
        if (std::tolower(static_cast<unsigned char>(s[at + k])) != what[k]) return false;
    return true;
}

void FormatDateTimeTo(std::string& out, const std::string& f, TDateTime dt, int depth)
{
    unsigned short year, month, day, hour, min, sec, msec;
    DecodeDate(dt, year, month, day);
    DecodeTime(dt, hour, min, sec, msec);
    // A 12-hour clock when an am/pm marker appears anywhere in the pattern.
    bool twelve = false;
    {
        char q = 0;
        for (std::size_t k = 0; k < f.size(); ++k) {
            if (q) {
                if (f[k] == q) q = 0;
            } else if (f[k] == '\'' || f[k] == '"') {
                q = f[k];
            } else if (StartsWithNoCase(f, k, "am/pm") || StartsWithNoCase(f, k, "a/p") ||
                       StartsWithNoCase(f, k, "ampm")) {
                twelve = true;
            }
        }
    }
    int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    bool afterHour = false;
    std::size_t i = 0;
    while (i < f.size()) {
        char c = f[i];
        char lc = char(std::tolower(static_cast<unsigned char>(c)));
        std::size_t run = 1;
        while (i + run < f.size() && std::tolower(static_cast<unsigned char>(f[i + run])) == lc) ++run;
        switch (lc) {
        case '\'':
        case '"': {
            std::size_t close = f.find(c, i + 1);
            if (close == std::string::npos) close = f.size();
            out.append(f, i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        case 'c':
            if (depth < 2) {
                FormatDateTimeTo(out, ShortDateFormat.str(), dt, depth + 1);
                if (hour || min || sec || msec) {
                    out += ' ';
                    FormatDateTimeTo(out, LongTimeFormat.str(), dt, depth + 1);
                }
            }
            i += 1;
            continue;
        case 'd':
            if (run == 1) out += std::to_string(day);
            else if (run == 2) out += TwoDigits(day);
            else if (run == 3) out += ShortDayNames[DayOfWeek(dt)].str();
            else if (run == 4) out += LongDayNames[DayOfWeek(dt)].str();
            else if (depth < 2) FormatDateTimeTo(out, (run == 5 ? ShortDateFormat : LongDateFormat).str(), dt, depth + 1);
            i += std::min<std::size_t>(run, 6);
            afterHour = false;
            continue;
        case 'm':
            if (afterHour && run <= 2) {
                out += run == 1 ? std::to_string(min) : TwoDigits(min);
            } else if (run == 1) {
                out += std::to_string(month);
            } else if (run == 2) {
                out += TwoDigits(month);
            } else if (run == 3) {
                out += ShortMonthNames[month].str();
            } else {
                out += LongMonthNames[month].str();
            }
            i += std::min<std::size_t>(run, 4);
            afterHour = false;
            continue;
        case 'y':
            if (run <= 2) {
                out += TwoDigits(year % 100);
            } else {
                char b[8];
                std::snprintf(b, sizeof b, "%04d", int(year));
                out += b;
            }
            i += run <= 2 ? run : std::min<std::size_t>(run, 4);
            afterHour = false;
            continue;
        case 'h': {
            int h = twelve ? hour12 : hour;
            out += run == 1 ? std::to_string(h) : TwoDigits(h);
            i += std::min<std::size_t>(run, 2);
            afterHour = true;
            continue;
        }
        case 'n':
            out += run == 1 ? std::to_string(min) : TwoDigits(min);
            i += std::min<std::size_t>(run, 2);
            afterHour = false;
            continue;
        case 's':
            out += run == 1 ? std::to_string(sec) : TwoDigits(sec);
            i += std::min<std::size_t>(run, 2);
            afterHour = false;
            continue;
        case 'z': {
            char b[8];
            std::snprintf(b, sizeof b, run >= 3 ? "%03d" : "%d", int(msec));
            out += b;
            i += std::min<std::size_t>(run, 3);
            continue;
        }
        case 't':
            if (depth < 2) FormatDateTimeTo(out, (run == 1 ? ShortTimeFormat : LongTimeFormat).str(), dt, depth + 1);
            i += std::min<std::size_t>(run, 2);
            continue;
        case 'a':
            if (StartsWithNoCase(f, i, "am/pm")) {
                bool upper = std::isupper(static_cast<unsigned char>(f[i]));
                out += hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
                i += 5;
                continue;
            }
            if (StartsWithNoCase(f, i, "a/p")) {
                bool upper = std::isupper(static_cast<unsigned char>(f[i]));
                out += hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
                i += 3;
                continue;
            }
            if (StartsWithNoCase(f, i, "ampm")) {
                out += (hour < 12 ? TimeAMString : TimePMString).str();
                i += 4;
                continue;
            }
            out += c;
            ++i;
            continue;
        case '/':
            if (DateSeparator) out += DateSeparator;
            ++i;
            continue;
        case ':':
            if (TimeSeparator) out += TimeSeparator;
            ++i;
            continue;
        default:
            out += c;
            ++i;
            continue;
        }
    }
}

}  // namespace

AnsiString FormatDateTime(const AnsiString& format, TDateTime dt)
{
    std::string out;
    FormatDateTimeTo(out, format.str(), dt, 0);
    return AnsiString(std::move(out));
}

AnsiString DateToStr(TDateTime dt) { return FormatDateTime("ddddd", dt); }
AnsiString TimeToStr(TDateTime dt) { return FormatDateTime("tt", dt); }
AnsiString DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }

namespace {

struct Scanner {
    const std::string& s;
    std::size_t pos = 0;

    void SkipBlanks()
    {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    }
    bool Number(int& value, int& digits)
    {
        SkipBlanks();
        std::size_t start = pos;
        long long v = 0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && pos - start < 9) v = v * 10 + (s[pos++] - '0');
        digits = int(pos - start);
        value = int(v);
        return digits > 0 && !(pos < s.size() && s[pos] >= '0' && s[pos] <= '9');
    }
    bool Char(char c)
    {
        SkipBlanks();
        if (c && pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool Word(const AnsiString& w)
    {
        SkipBlanks();
        if (w.IsEmpty() || s.size() - pos < std::size_t(w.Length())) return false;
        if (AnsiStrLIComp(s.c_str() + pos, w.c_str(), unsigned(w.Length())) != 0) return false;
        pos += std::size_t(w.Length());
        return true;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return pos >= s.size();
    }
};

int CurrentYear()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return st.wYear;
}

bool ScanDate(Scanner& sc, TDateTime& result)
{
    // The order of day, month and year is that of ShortDateFormat.
    enum { MDY, DMY, YMD } order = MDY;
    for (char c : ShortDateFormat.str()) {
        char l = char(std::tolower(static_cast<unsigned char>(c)));
        if (l == 'd') { order = DMY; break; }
        if (l == 'm') { order = MDY; break; }
        if (l == 'y') { order = YMD; break; }
    }
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!sc.Number(n1, l1) || !sc.Char(DateSeparator) || !sc.Number(n2, l2)) return false;
    bool three = false;
    std::size_t save = sc.pos;
    if (sc.Char(DateSeparator)) {
        if (!sc.Number(n3, l3)) return false;
        three = true;
    } else {
        sc.pos = save;
    }
    int y, m, d, yl;
    if (!three) {
        y = CurrentYear();
        yl = 4;
        if (order == DMY) { d = n1; m = n2; }
        else { m = n1; d = n2; }
    } else if (order == MDY) { m = n1; d = n2; y = n3; yl = l3; }
    else if (order == DMY) { d = n1; m = n2; y = n3; yl = l3; }
    else { y = n1; yl = l1; m = n2; d = n3; }
    if (yl <= 2) {
        int base = CurrentYear() - TwoDigitYearCenturyWindow;
        y += base / 100 * 100;
        if (TwoDigitYearCenturyWindow > 0 && y < base) y += 100;
    }
    return TryEncodeDate(y, m, d, result);
}

bool ScanTime(Scanner& sc, TDateTime& result)
{
    int half = -1;  // 0 am, 1 pm
    auto marker = [&] {
        if (sc.Word(TimeAMString) || sc.Word("AM") || sc.Word("A")) half = 0;
        else if (sc.Word(TimePMString) || sc.Word("PM") || sc.Word("P")) half = 1;
    };
    marker();
    int h, m = 0, s = 0, ms = 0, len;
    if (!sc.Number(h, len)) return false;
    bool minutes = false;
    if (sc.Char(TimeSeparator)) {
        if (!sc.Number(m, len)) return false;
        minutes = true;
        if (sc.Char(TimeSeparator)) {
            if (!sc.Number(s, len)) return false;
            if (sc.Char(DecimalSeparator) && !sc.Number(ms, len)) return false;
        }
    }
    if (half < 0) marker();
    if (!minutes && half < 0) return false;
    if (half >= 0) {
        if (h < 1 || h > 12) return false;
        if (half == 0 && h == 12) h = 0;
        if (half == 1 && h < 12) h += 12;
    }
    return TryEncodeTime(h, m, s, ms, result);
}

}  // namespace

TDateTime StrToDate(const AnsiString& s)
{
    Scanner sc{s.str()};
    TDateTime r;
    if (!ScanDate(sc, r) || !sc.AtEnd()) throw EConvertError(Fail("date", s));
    return r;
}

TDateTime StrToTime(const AnsiString& s)
{
    Scanner sc{s.str()};
    TDateTime r;
    if (!ScanTime(sc, r) || !sc.AtEnd()) throw EConvertError(Fail("time", s));
    return r;
}

TDateTime StrToDateTime(const AnsiString& s)
{
    Scanner sc{s.str()};
    TDateTime d, t = 0;
    if (ScanDate(sc, d)) {
        if (!sc.AtEnd() && (!ScanTime(sc, t) || !sc.AtEnd())) throw EConvertError(Fail("date and time", s));
        return d >= 0 ? d + t : d - t;
    }
    sc.pos = 0;
    if (ScanTime(sc, t) && sc.AtEnd()) return t;
    throw EConvertError(Fail("date and time", s));
}
