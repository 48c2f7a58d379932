#include "zcl/core/Zclstrings.h"

#include <algorithm>
#include <string>

#include "framework/runtime/SysUtils.h"

namespace {

// Byte offsets [begin, end) of field Index; false when S has fewer fields.
bool FieldBounds(const std::string& s, char sep, int index, std::size_t& begin, std::size_t& end)
{
    if (index < 0) return false;
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const std::size_t p = s.find(sep, start);
        if (p == std::string::npos) return false;
        start = p + 1;
    }
    const std::size_t next = s.find(sep, start);
    begin = start;
    end = next == std::string::npos ? s.size() : next;
    return true;
}

}  // namespace

bool ZCLEmpty(const AnsiString& S)
{
    return S.str().find_first_not_of(' ') == std::string::npos;
}

AnsiString ZCLFillString(int N, char Ch)
{
    return N > 0 ? AnsiString(std::string(std::size_t(N), Ch)) : AnsiString();
}

AnsiString ZCLSpace(int N)
{
    return ZCLFillString(N, ' ');
}

AnsiString ZCLAddCharL(const AnsiString& S, int Len, char Ch)
{
    return S.Length() < Len ? ZCLFillString(Len - S.Length(), Ch) + S : S;
}

AnsiString ZCLAddCharR(const AnsiString& S, int Len, char Ch)
{
    return S.Length() < Len ? S + ZCLFillString(Len - S.Length(), Ch) : S;
}

AnsiString ZCLAddSpaceL(const AnsiString& S, int Len) { return ZCLAddCharL(S, Len, ' '); }
AnsiString ZCLAddSpaceR(const AnsiString& S, int Len) { return ZCLAddCharR(S, Len, ' '); }
AnsiString ZCLAddZeroL(const AnsiString& S, int Len) { return ZCLAddCharL(S, Len, '0'); }
AnsiString ZCLAddZeroR(const AnsiString& S, int Len) { return ZCLAddCharR(S, Len, '0'); }

AnsiString ZCLTrim(const AnsiString& S) { return Trim(S); }
AnsiString ZCLTrimL(const AnsiString& S) { return TrimLeft(S); }
AnsiString ZCLTrimR(const AnsiString& S) { return TrimRight(S); }

AnsiString ZCLSlashAdd(const AnsiString& S)
{
    if (ZCLEmpty(S)) return "\\";
    return S[S.Length()] == '\\' ? S : S + '\\';
}

AnsiString ZCLSlashRemove(const AnsiString& S)
{
    if (ZCLEmpty(S) || S[S.Length()] != '\\') return S;
    return S.SubString(1, S.Length() - 1);
}

int ZCLCount(const AnsiString& S, char Ch)
{
    return int(std::count(S.str().begin(), S.str().end(), Ch));
}

int ZCLBackPos(char Ch, const AnsiString& S)
{
    const std::size_t p = S.str().rfind(Ch);
    return p == std::string::npos ? 0 : int(p) + 1;
}

AnsiString ZCLReplaceChar(const AnsiString& S, char Old, char New)
{
    std::string r = S.str();
    std::replace(r.begin(), r.end(), Old, New);
    return AnsiString(std::move(r));
}

AnsiString ZCLGetFirstString(const AnsiString& S, char Ch)
{
    const std::size_t p = S.str().find(Ch);
    return p == std::string::npos ? S : AnsiString(S.str().substr(0, p));
}

AnsiString ZCLGetSecondString(const AnsiString& S, char Ch)
{
    const std::size_t p = S.str().find(Ch);
    return p == std::string::npos ? S : AnsiString(S.str().substr(p + 1));
}

int ZCLScanToNumber(const AnsiString& S)
{
    return ZCLScanToNumber(S, CP_ACP);
}

int ZCLScanToNumber(const AnsiString& S, UINT CodePage)
{
    const std::string& s = S.str();
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= '0' && c <= '9') return int(i) + 1;
        i += IsDBCSLeadByteEx(CodePage, c) ? 2 : 1;
    }
    return 0;
}

AnsiString ZCLCodeString(std::span<const AnsiString> Values, char Sep)
{
    std::string r;
    for (std::size_t i = 0; i < Values.size(); ++i) {
        if (i) r += Sep;
        r += Values[i].str();
    }
    return AnsiString(std::move(r));
}

AnsiString ZCLCodeString(std::initializer_list<AnsiString> Values, char Sep)
{
    return ZCLCodeString(std::span<const AnsiString>(Values.begin(), Values.size()), Sep);
}

AnsiString ZCLCodeInt(std::span<const int> Values, char Sep)
{
    std::string r;
    for (std::size_t i = 0; i < Values.size(); ++i) {
        if (i) r += Sep;
        r += std::to_string(Values[i]);
    }
    return AnsiString(std::move(r));
}

AnsiString ZCLCodeInt(std::initializer_list<int> Values, char Sep)
{
    return ZCLCodeInt(std::span<const int>(Values.begin(), Values.size()), Sep);
}

int ZCLGetCodedCount(const AnsiString& S, char Sep)
{
    const int seps = ZCLCount(S, Sep);
    if (seps > 0) return seps + 1;
    return S.IsEmpty() ? 0 : 1;
}

AnsiString ZCLGetCodedString(const AnsiString& S, char Sep, int Index)
{
    std::size_t begin = 0, end = 0;
    if (!FieldBounds(S.str(), Sep, Index, begin, end)) return AnsiString();
    return AnsiString(S.str().substr(begin, end - begin));
}

int ZCLGetCodedInt(const AnsiString& S, char Sep, int Index)
{
    const AnsiString field = ZCLGetCodedString(S, Sep, Index);
    return field.IsEmpty() ? -1 : StrToInt(field);
}

void ZCLSetCodedString(AnsiString& S, const AnsiString& Value, char Sep, int Index)
{
    if (Index < 0) return;
    const int seps = ZCLCount(S, Sep);
    if (Index > seps) S += ZCLFillString(Index - seps, Sep);
    std::size_t begin = 0, end = 0;
    FieldBounds(S.str(), Sep, Index, begin, end);
    S.str().replace(begin, end - begin, Value.str());
}
