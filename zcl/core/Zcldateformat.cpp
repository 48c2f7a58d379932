#include "zcl/core/Zcldateformat.h"

#include <windows.h>

#include <algorithm>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "zcl/core/Zclstrings.h"

namespace {

const bool dateFormatPublished = [] {
    PublishedProperties<TZCLDateFormat>()
        .String("FormatStr", &TZCLDateFormat::FormatStr, &TZCLDateFormat::SetFormatStr)
        .Enumeration("Format", &TZCLDateFormat::Format, &TZCLDateFormat::SetFormat,
                     {"dfShortSystem", "dfLongSystem", "dfCustom"}, dfShortSystem)
        .Integer("YearDelta", &TZCLDateFormat::YearDelta, &TZCLDateFormat::SetYearDelta, -1);
    return true;
}();

char Fold(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One piece of a pattern: a run of D, M or Y (Letter set) or one other character.
struct Piece {
    char Letter = 0;
    int Run = 0;
    char Literal = 0;
};

bool IsQuote(char c) { return c == '\'' || c == '"'; }

// Text in quotes ('...' as the locale writes it, or "...") is literal, the quotes themselves are not shown; two
// single quotes stand for one, inside quotes or out.
template <typename F>
void ForEachQuoted(const std::string& p, std::size_t& i, F&& literal)
{
    const char quote = p[i++];
    while (i < p.size()) {
        if (p[i] != quote) {
            literal(p[i++]);
        } else if (quote == '\'' && i + 1 < p.size() && p[i + 1] == quote) {
            literal(quote);
            i += 2;
        } else {
            ++i;
            return;
        }
    }
}

std::vector<Piece> Split(const AnsiString& pattern)
{
    std::vector<Piece> pieces;
    const std::string& p = pattern.str();
    for (std::size_t i = 0; i < p.size();) {
        const char c = Fold(p[i]);
        if (IsQuote(c)) {
            if (c == '\'' && i + 1 < p.size() && p[i + 1] == c) {
                pieces.push_back({0, 0, c});
                i += 2;
            } else {
                ForEachQuoted(p, i, [&](char l) { pieces.push_back({0, 0, l}); });
            }
        } else if (c == 'D' || c == 'M' || c == 'Y') {
            std::size_t j = i;
            while (j < p.size() && Fold(p[j]) == c) ++j;
            pieces.push_back({c, int(j - i), 0});
            i = j;
        } else {
            pieces.push_back({0, 0, p[i]});
            ++i;
        }
    }
    return pieces;
}

AnsiString TwoDigits(int v) { return ZCLAddZeroL(IntToStr(v), 2); }

template <int N>
int LongestName(const TNameTable<N>& names)
{
    int longest = 0;
    for (int i = 1; i <= N; ++i) longest = std::max(longest, names[i].Length());
    return longest;
}

// The number of the longest name of the tables that the text at pos starts with (without case); 0 for none.
template <int N>
int MatchName(const std::string& s, std::size_t pos, const TNameTable<N>& a, const TNameTable<N>& b, int& length)
{
    int found = 0;
    length = 0;
    for (const TNameTable<N>* names : {&a, &b}) {
        for (int i = 1; i <= N; ++i) {
            const AnsiString& name = (*names)[i];
            const int n = name.Length();
            if (n > length && pos + n <= s.size() &&
                CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, s.c_str() + pos, n, name.c_str(), n) ==
                    CSTR_EQUAL) {
                found = i;
                length = n;
            }
        }
    }
    return found;
}

int FieldKind(const Piece& p)
{
    const int base = p.Letter == 'D' ? 0 : p.Letter == 'M' ? 10 : 20;
    if (p.Letter != 'Y' && p.Run >= 5) return base + 1;  // read and shown like a single letter
    return base + p.Run;
}

}  // namespace

void TZCLDateFormat::Assign(TPersistent* Source)
{
    if (auto* other = dynamic_cast<TZCLDateFormat*>(Source)) {
        SetFormat(other->format_);
        yearDelta_ = other->yearDelta_;
        SetFormatStr(other->formatStr_);
        return;
    }
    TZCLObject::Assign(Source);
}

void TZCLDateFormat::SetFormatStr(const AnsiString& Value)
{
    if (Value == formatStr_) return;
    if (onFormatChange_) onFormatChange_(this);
    formatStr_ = Value;
    if (format_ == dfCustom && onFormatChanged_) onFormatChanged_(this);
}

void TZCLDateFormat::SetFormat(TZCLDateFormats Value)
{
    if (Value == format_) return;
    format_ = Value;
    if (onFormatChanged_) onFormatChanged_(this);
}

AnsiString TZCLDateFormat::GetFormatStr() const
{
    switch (format_) {
    case dfShortSystem: return ShortDateFormat;
    case dfLongSystem: return LongDateFormat;
    case dfCustom: break;
    }
    // A "/" in quotes is text, not the separator.
    const std::string& p = formatStr_.str();
    std::string out;
    for (std::size_t i = 0; i < p.size();) {
        if (IsQuote(p[i])) {
            const std::size_t from = i;
            ForEachQuoted(p, i, [](char) {});
            out.append(p, from, i - from);
        } else {
            out += p[i] == '/' ? DateSeparator : p[i];
            ++i;
        }
    }
    return AnsiString(out);
}

int TZCLDateFormat::CurrentYear()
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return st.wYear;
}

AnsiString TZCLDateFormat::DateToStr(TDateTime Date) const
{
    unsigned short year = 0, month = 0, day = 0;
    DecodeDate(Date, year, month, day);
    AnsiString out;
    for (const Piece& p : Split(GetFormatStr())) {
        if (!p.Letter) {
            out += p.Literal;
            continue;
        }
        switch (p.Letter) {
        case 'D':
            if (p.Run == 1) out += IntToStr(int(day));
            else if (p.Run == 2) out += TwoDigits(day);
            else if (p.Run == 3) out += ShortDayNames[DayOfWeek(Date)];
            else if (p.Run == 4) out += LongDayNames[DayOfWeek(Date)];
            break;
        case 'M':
            if (p.Run == 1) out += IntToStr(int(month));
            else if (p.Run == 2) out += TwoDigits(month);
            else if (p.Run == 3) out += ShortMonthNames[month];
            else if (p.Run == 4) out += LongMonthNames[month];
            break;
        default:
            if (p.Run == 1 || p.Run == 4) out += IntToStr(int(year));
            else if (p.Run == 2) out += TwoDigits(year % 100);
            break;
        }
    }
    return out;
}

void TZCLDateFormat::StrToYMD(const AnsiString& S, std::uint16_t& Year, std::uint16_t& Month,
                              std::uint16_t& Day) const
{
    const std::string& s = S.str();
    std::size_t pos = 0;
    auto skipSpaces = [&] {
        while (pos < s.size() && s[pos] == ' ') ++pos;
    };
    auto number = [&](int maxDigits) {
        int v = 0;
        for (int n = 0; n < maxDigits && pos < s.size() && IsDigit(s[pos]); ++n, ++pos) v = v * 10 + (s[pos] - '0');
        return v;
    };
    int year = 0, month = 0, day = 0;
    bool yearInPattern = false;
    for (const Piece& p : Split(GetFormatStr())) {
        if (!p.Letter) {
            if (p.Literal != ' ') skipSpaces();
            // A separator of the text is passed over whichever it is, and the pattern's own text (quoted letters)
            // where the text has it.
            if (pos < s.size() && (Fold(s[pos]) == Fold(p.Literal) || (!IsDigit(s[pos]) && !IsCharAlphaA(s[pos]))))
                ++pos;
            continue;
        }
        skipSpaces();
        if (p.Letter == 'Y') {
            yearInPattern = true;
            year = number(4);
        } else if (pos < s.size() && IsDigit(s[pos])) {
            (p.Letter == 'D' ? day : month) = number(2);
        } else {
            int length = 0;
            if (p.Letter == 'M') month = MatchName(s, pos, ShortMonthNames, LongMonthNames, length);
            else MatchName(s, pos, ShortDayNames, LongDayNames, length);  // the day of the week tells nothing
            // A word that is no name is passed over: the field stays 0.
            if (length == 0)
                while (pos + length < s.size() && IsCharAlphaA(s[pos + length])) ++length;
            pos += length;
        }
    }
    if (!yearInPattern) {
        year = CurrentYear();
    } else if (year < 100) {
        const int century = CurrentYear() / 100 * 100;
        const int window = GetYearDelta();
        year += window > 0 && year > window ? century - 100 : century;
    }
    Year = std::uint16_t(year);
    Month = std::uint16_t(month);
    Day = std::uint16_t(day);
}

TDateTime TZCLDateFormat::StrToDate(const AnsiString& S) const
{
    std::uint16_t year = 0, month = 0, day = 0;
    StrToYMD(S, year, month, day);
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date)) throw EConvertError("Invalid date format!");
    return date;
}

AnsiString TZCLDateFormat::GetEditString(std::uint16_t Year, std::uint16_t Month, std::uint16_t Day) const
{
    AnsiString out;
    for (const Piece& p : Split(GetFormatStr())) {
        if (!p.Letter) {
            out += p.Literal;
            continue;
        }
        switch (p.Letter) {
        case 'D':
            if (p.Run == 2) out += TwoDigits(Day);
            else if (p.Run == 3) out += ZCLAddSpaceR(ShortDayNames[DayOfWeek(EncodeDate(Year, Month, Day))],
                                                     GetShortDayExtend());
            else if (p.Run == 4) out += ZCLAddSpaceR(LongDayNames[DayOfWeek(EncodeDate(Year, Month, Day))],
                                                     GetLongDayExtend());
            else out += ZCLAddSpaceR(IntToStr(int(Day)), 2);
            break;
        case 'M':
            if (p.Run == 2) out += TwoDigits(Month);
            else if (p.Run == 3) out += ZCLAddSpaceR(ShortMonthNames[Month], GetShortMonthExtend());
            else if (p.Run == 4) out += ZCLAddSpaceR(LongMonthNames[Month], GetLongMonthExtend());
            else out += ZCLAddSpaceR(IntToStr(int(Month)), 2);
            break;
        default:
            if (p.Run == 2) out += TwoDigits(Year % 100);
            else out += IntToStr(int(Year));
            break;
        }
    }
    return out;
}

AnsiString TZCLDateFormat::GetDTEditString(TDateTime Date) const
{
    unsigned short year = 0, month = 0, day = 0;
    DecodeDate(Date, year, month, day);
    return GetEditString(year, month, day);
}

std::vector<TZCLDateFormat::Field> TZCLDateFormat::Fields(const AnsiString& Text) const
{
    std::vector<Field> fields;
    const std::string& s = Text.str();
    std::size_t pos = 0;  // 0-based here, 1-based in the results
    auto skipSpaces = [&] {
        while (pos < s.size() && s[pos] == ' ') ++pos;
    };
    for (const Piece& p : Split(GetFormatStr())) {
        if (!p.Letter) {
            if (p.Literal != ' ') skipSpaces();
            if (pos < s.size()) ++pos;
            continue;
        }
        skipSpaces();
        Field f;
        f.Kind = FieldKind(p);
        f.Start = int(pos) + 1;
        const int run = f.Kind % 10;
        int width = 0;  // the field's width in the edit text, padding included
        if (p.Letter == 'Y' || run <= 2) {
            while (pos < s.size() && IsDigit(s[pos])) ++pos;
            if (p.Letter != 'Y') width = 2;
        } else {
            int length = 0;
            if (p.Letter == 'M') MatchName(s, pos, ShortMonthNames, LongMonthNames, length);
            else MatchName(s, pos, ShortDayNames, LongDayNames, length);
            if (length == 0)
                while (pos + length < s.size() && IsCharAlphaA(s[pos + length])) ++length;
            pos += length;
            width = p.Letter == 'M' ? (run == 3 ? GetShortMonthExtend() : GetLongMonthExtend())
                                    : (run == 3 ? GetShortDayExtend() : GetLongDayExtend());
        }
        while (pos < s.size() && s[pos] == ' ' && int(pos) + 1 - f.Start < width) ++pos;
        f.Stop = int(pos);
        fields.push_back(f);
    }
    return fields;
}

void TZCLDateFormat::GetPatInfo(int Index, const AnsiString& Text, int& Kind, int& Start, int& Stop) const
{
    const std::vector<Field> fields = Fields(Text);
    if (Index < 1 || Index > int(fields.size())) {
        Kind = 0;
        Start = Text.Length() + 1;
        Stop = Text.Length();
        return;
    }
    const Field& f = fields[Index - 1];
    Kind = f.Kind;
    Start = f.Start;
    Stop = f.Stop;
}

namespace {

// An empty field holds its start, so that a caret there edits it.
template <typename F>
int FieldAt(const std::vector<F>& fields, int pos)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (pos >= fields[i].Start && pos <= std::max(fields[i].Stop, fields[i].Start)) return int(i);
    return -1;
}

}  // namespace

int TZCLDateFormat::GetPattern(int Pos, const AnsiString& Text) const
{
    const int i = FieldAt(Fields(Text), Pos);
    return i < 0 ? -1 : i + 1;
}

int TZCLDateFormat::NextEditPos(int Pos, const AnsiString& Text) const
{
    const std::vector<Field> fields = Fields(Text);
    if (fields.empty()) return Pos;
    const int i = FieldAt(fields, Pos);
    if (i >= 0) return fields[std::min<std::size_t>(i + 1, fields.size() - 1)].Start;
    for (const Field& f : fields)
        if (f.Start > Pos) return f.Start;
    return fields.back().Start;
}

int TZCLDateFormat::PrevEditPos(int Pos, const AnsiString& Text) const
{
    const std::vector<Field> fields = Fields(Text);
    const int i = FieldAt(fields, Pos);
    if (i > 0) return fields[i - 1].Start;
    if (i == 0) return 1;
    for (auto f = fields.rbegin(); f != fields.rend(); ++f)
        if (f->Stop < Pos) return f->Start;
    return 1;
}

int TZCLDateFormat::CurrentLength(int Pos, const AnsiString& Text) const
{
    const std::vector<Field> fields = Fields(Text);
    const int i = FieldAt(fields, Pos);
    return i < 0 ? 0 : fields[i].Stop - fields[i].Start + 1;
}

int TZCLDateFormat::CurrentStart(int Pos, const AnsiString& Text) const
{
    const std::vector<Field> fields = Fields(Text);
    const int i = FieldAt(fields, Pos);
    return i < 0 ? Pos : fields[i].Start;
}

int TZCLDateFormat::CurrentType(int Pos, const AnsiString& Text) const
{
    const std::vector<Field> fields = Fields(Text);
    const int i = FieldAt(fields, Pos);
    return i < 0 ? 0 : fields[i].Kind;
}

int TZCLDateFormat::GetLongMonthExtend() { return LongestName(LongMonthNames); }
int TZCLDateFormat::GetShortMonthExtend() { return LongestName(ShortMonthNames); }
int TZCLDateFormat::GetLongDayExtend() { return LongestName(LongDayNames); }
int TZCLDateFormat::GetShortDayExtend() { return LongestName(ShortDayNames); }
