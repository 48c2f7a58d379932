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

using sysutils_detail::Fail;

// ---------------------------------------------------------------------------------------------------------------
// Date and time

namespace {

constexpr int DateDelta = 693593;  // days from 0001-01-01 to 1899-12-30
constexpr long long MSecsPerDay = 86400000;

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Whole days since 1899-12-30 and milliseconds of the day; the time of a negative value counts forward too.
void SplitDateTime(TDateTime dt, long long& days, long long& msecs)
{
    long double total = std::nearbyint(std::fabs(static_cast<long double>(dt)) * MSecsPerDay);
    if (!(total < 1e18L)) total = 0;  // NaN or beyond any date: no reading of it is meaningful
    auto t = static_cast<long long>(total);
    days = t / MSecsPerDay;
    msecs = t % MSecsPerDay;
    if (dt < 0) days = -days;
}

void DaysToDate(long long days, int& year, int& month, int& day)
{
    long long d = days + DateDelta;  // days since 0001-01-01
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
    result = TDateTime(d - DateDelta);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999) return false;
    result = TDateTime((((hour * 60LL + min) * 60 + sec) * 1000 + msec) / double(MSecsPerDay));
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
    long long d = days + DateDelta + 1;  // 0001-01-01 is day 1, a Monday
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
