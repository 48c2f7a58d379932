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

using sysutils_detail::ToHex;

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

// One conversion as the format names it: %[index:][-][0][width][.precision]type.
struct Spec {
    bool left = false;
    bool zero = false;
    int width = 0;
    int precision = -1;  // none
    char type = 0;
};

using K = TVarRec::Kind;

std::string IntegerText(const Spec& spec, const TVarRec& a, const AnsiString& format)
{
    if (a.kind() != K::Integer && a.kind() != K::Char) BadFormat(format);
    const bool asUnsigned = spec.type == 'u' || spec.type == 'U' || a.IsUnsigned();
    bool neg = false;
    unsigned long long mag;
    if (asUnsigned) {
        mag = a.Width() == 64 ? a.Bits() : (a.Bits() & 0xFFFFFFFFull);
    } else {
        const long long v = a.AsInt64();
        neg = v < 0;
        mag = neg ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    }
    std::string s = std::to_string(mag);
    if (spec.precision > int(s.size())) s.insert(0, std::size_t(std::min(spec.precision, 1000)) - s.size(), '0');
    if (neg) s.insert(0, 1, '-');
    return s;
}

std::string HexText(const Spec& spec, const TVarRec& a, const AnsiString& format)
{
    if (a.kind() != K::Integer && a.kind() != K::Char) BadFormat(format);
    const unsigned long long bits = a.Width() == 64 ? a.Bits() : (a.Bits() & 0xFFFFFFFFull);
    std::string s = ToHex(bits, std::min(spec.precision, 64)).str();
    if (spec.type == 'x')
        for (auto& ch : s) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

std::string FloatText(const Spec& spec, const TVarRec& a, const AnsiString& format)
{
    if (a.kind() != K::Float) BadFormat(format);
    const long double v = a.AsFloat();
    const int precision = spec.precision;
    std::string s;
    switch (spec.type | 0x20) {
    case 'e': s = FloatToStrF(v, ffExponent, precision < 0 ? 15 : precision, 3).str(); break;
    case 'f': s = FloatToStrF(v, ffFixed, 18, precision < 0 ? 2 : precision).str(); break;
    case 'g': s = FloatToStrF(v, ffGeneral, precision < 0 ? 15 : precision, 0).str(); break;
    case 'n': s = FloatToStrF(v, ffNumber, 18, precision < 0 ? 2 : precision).str(); break;
    default: s = FloatToStrF(v, ffCurrency, 18, precision < 0 ? CurrencyDecimals : precision).str(); break;
    }
    if (spec.type == 'e' && s.find('E') != std::string::npos) s[s.find('E')] = 'e';
    return s;
}

std::string StringText(const Spec& spec, const TVarRec& a, const AnsiString& format)
{
    std::string s;
    if (a.kind() == K::String)
        s = a.AsString();
    else if (a.kind() == K::Char)
        s.assign(1, char(a.Bits()));
    else
        BadFormat(format);
    if (spec.precision >= 0 && spec.precision < int(s.size())) s.resize(std::size_t(spec.precision));
    return s;
}

// Walks the format once, taking the arguments in order (or from an index) as the conversions ask for them.
class Formatter {
public:
    Formatter(const AnsiString& format, std::span<const TVarRec> args) : format_(format), f_(format.str()), args_(args)
    {
    }

    std::string Run()
    {
        std::string out;
        while (i_ < f_.size()) {
            const char c = f_[i_++];
            if (c != '%') {
                out += c;
            } else if (i_ < f_.size() && f_[i_] == '%') {
                out += '%';
                ++i_;
            } else {
                out += Conversion();
            }
        }
        return out;
    }

private:
    const TVarRec& TakeArg()
    {
        if (next_ >= args_.size()) NoArgument(format_);
        return args_[next_++];
    }

    // Digits or '*' (the value then taken from the arguments); false when neither is there.
    bool ReadNumber(int& value)
    {
        if (i_ < f_.size() && f_[i_] == '*') {
            ++i_;
            const TVarRec& a = TakeArg();
            if (a.kind() != K::Integer) BadFormat(format_);
            // Kept to a sane size: a width taken from data must not exhaust memory.
            value = int(std::clamp<long long>(a.AsInt64(), -100000, 100000));
            return true;
        }
        if (i_ >= f_.size() || f_[i_] < '0' || f_[i_] > '9') return false;
        long long v = 0;
        while (i_ < f_.size() && f_[i_] >= '0' && f_[i_] <= '9') {
            v = std::min(v * 10 + (f_[i_] - '0'), 100000ll);
            ++i_;
        }
        value = int(v);
        return true;
    }

    // What follows a '%', up to and with the type letter.
    Spec ReadSpec()
    {
        Spec spec;
        // [index:]
        const std::size_t save = i_;
        int index;
        if (i_ < f_.size() && f_[i_] != '*' && ReadNumber(index) && i_ < f_.size() && f_[i_] == ':') {
            ++i_;
            next_ = std::size_t(std::max(index, 0));
        } else {
            i_ = save;
        }
        if (i_ < f_.size() && f_[i_] == '-') {
            spec.left = true;
            ++i_;
        }
        if (i_ < f_.size() && f_[i_] == '0') {
            spec.zero = true;
            ++i_;
        }
        ReadNumber(spec.width);
        if (spec.width < 0) {  // a negative '*' width means left alignment, as in C
            spec.left = true;
            spec.width = -spec.width;
        }
        if (i_ < f_.size() && f_[i_] == '.') {
            ++i_;
            spec.precision = 0;
            if (!ReadNumber(spec.precision)) spec.precision = 0;
            if (spec.precision < 0) spec.precision = -1;
        }
        // Size modifiers of C formats carry no meaning here: the argument knows its type.
        while (i_ < f_.size() && (f_[i_] == 'l' || f_[i_] == 'h' || f_[i_] == 'L')) ++i_;
        if (i_ >= f_.size()) BadFormat(format_);
        spec.type = f_[i_++];
        return spec;
    }

    std::string Conversion()
    {
        const Spec spec = ReadSpec();
        const TVarRec& a = TakeArg();
        std::string s;
        bool numeric = false;
        switch (spec.type) {
        case 'd':
        case 'i':
        case 'D':
        case 'I':
        case 'u':
        case 'U':
            s = IntegerText(spec, a, format_);
            numeric = true;
            break;
        case 'x':
        case 'X':
            s = HexText(spec, a, format_);
            numeric = true;
            break;
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'n':
        case 'N':
        case 'm':
        case 'M':
            s = FloatText(spec, a, format_);
            break;
        case 'p':
        case 'P':
            if (a.kind() != K::Pointer) BadFormat(format_);
            s = ToHex(reinterpret_cast<std::uintptr_t>(a.AsPointer()), int(sizeof(void*) * 2)).str();
            break;
        case 's':
        case 'S':
            s = StringText(spec, a, format_);
            break;
        case 'c':
        case 'C':
            if (a.kind() != K::Char && a.kind() != K::Integer) BadFormat(format_);
            s.assign(1, char(a.Bits() & 0xFF));
            break;
        default:
            BadFormat(format_);
        }
        return Pad(std::move(s), spec.width, spec.left, spec.zero && numeric ? '0' : ' ');
    }

    const AnsiString& format_;
    const std::string& f_;
    std::span<const TVarRec> args_;
    std::size_t next_ = 0;  // the next argument
    std::size_t i_ = 0;     // the next character of the format
};

}  // namespace

AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args)
{
    return Format(format, std::span<const TVarRec>(args.begin(), args.size()));
}

AnsiString Format(const AnsiString& format, std::span<const TVarRec> args)
{
    return AnsiString(Formatter(format, args).Run());
}
