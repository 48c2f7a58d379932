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
