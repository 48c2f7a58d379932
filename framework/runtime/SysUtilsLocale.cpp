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

AnsiString SystemMessageText(DWORD errorCode)
{
    char* message = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        errorCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&message), 0, nullptr);
    AnsiString text;
    if (n != 0 && message) text = AnsiString(message, int(n));
    if (message) LocalFree(message);
    return text;
}

AnsiString SysErrorMessage(DWORD errorCode)
{
    const AnsiString text = SystemMessageText(errorCode);
    int n = text.Length();
    while (n > 0 && (text[n] == '\r' || text[n] == '\n' || text[n] == ' ' || text[n] == '.')) --n;
    return text.SubString(1, n);
}
