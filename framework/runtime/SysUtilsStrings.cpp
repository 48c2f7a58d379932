#include "framework/runtime/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
