#pragma once
// The framework's run-time services: formatting, number and date text, file names, command line, locale.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Exceptions.h"

// ---------------------------------------------------------------------------------------------------------------
// Format

// One argument of Format, kept with its type so a mismatch is found instead of being misread.
class TVarRec {
public:
    enum class Kind { Integer, Char, Float, String, Pointer };

    template <typename T>
        requires((std::is_integral_v<T> && !std::is_same_v<T, char>) || std::is_enum_v<T>)
    TVarRec(T v) : kind_(Kind::Integer)
    {
        if constexpr (std::is_enum_v<T>) {
            using U = std::underlying_type_t<T>;
            SetInteger(static_cast<U>(v));
        } else {
            SetInteger(v);
        }
    }
    TVarRec(char c) : kind_(Kind::Char), int_(static_cast<unsigned char>(c)) {}
    template <typename T>
        requires std::is_floating_point_v<T>
    TVarRec(T v) : kind_(Kind::Float), float_(v) {}
    TVarRec(const char* s) : kind_(Kind::String), str_(s ? s : "") {}
    TVarRec(const AnsiString& s) : kind_(Kind::String), str_(s.str()) {}
    TVarRec(const std::string& s) : kind_(Kind::String), str_(s) {}
    TVarRec(std::string_view s) : kind_(Kind::String), str_(s) {}
    template <typename T>
        requires(!std::is_same_v<std::remove_cv_t<T>, char>)
    TVarRec(T* p) : kind_(Kind::Pointer), ptr_(reinterpret_cast<const void*>(p)) {}
    TVarRec(std::nullptr_t) : kind_(Kind::Pointer) {}

    Kind kind() const { return kind_; }
    // Integers keep their bits and width so that %x and %u show negative values as the C types do.
    std::int64_t AsInt64() const { return static_cast<std::int64_t>(int_); }
    std::uint64_t Bits() const { return int_; }
    bool IsUnsigned() const { return unsigned_; }
    int Width() const { return width_; }
    long double AsFloat() const { return float_; }
    const std::string& AsString() const { return str_; }
    const void* AsPointer() const { return ptr_; }

private:
    template <typename T>
    void SetInteger(T v)
    {
        unsigned_ = std::is_unsigned_v<T>;
        width_ = sizeof(T) > 4 ? 64 : 32;
        if constexpr (std::is_unsigned_v<T>) int_ = static_cast<std::uint64_t>(v);
        else int_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
    }

    Kind kind_;
    bool unsigned_ = false;
    int width_ = 32;
    std::uint64_t int_ = 0;
    long double float_ = 0;
    std::string str_;
    const void* ptr_ = nullptr;
};

// %[index:][-][0][width][.precision]type with types d i u x X e E f g n m p s c and %%; x and e write
// lower case, X and E upper case, as C does. The digits of e, f, g, n and m are those of FloatToStrF.
// '*' takes a width or precision from the arguments. A bad specifier, a missing argument or one of the
// wrong kind raises EConvertError.
AnsiString Format(const AnsiString& format, std::span<const TVarRec> args);
AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args);

template <typename... Args>
    requires(sizeof...(Args) > 0 && (std::is_constructible_v<TVarRec, const Args&> && ...))
AnsiString Format(const AnsiString& format, const Args&... args)
{
    const TVarRec recs[] = {TVarRec(args)...};
    return Format(format, std::span<const TVarRec>(recs));
}
inline AnsiString Format(const AnsiString& format) { return Format(format, std::span<const TVarRec>()); }

// ---------------------------------------------------------------------------------------------------------------
// Integers and floating point

// One overload per integer width and signedness, so that DWORD, size_t and the like need no cast.
AnsiString IntToStr(int value);
AnsiString IntToStr(unsigned value);
AnsiString IntToStr(long value);
AnsiString IntToStr(unsigned long value);
AnsiString IntToStr(long long value);
AnsiString IntToStr(unsigned long long value);
// Upper-case hexadecimal, at least Digits digits; negative values as the two's complement of their width.
AnsiString IntToHex(int value, int digits);
AnsiString IntToHex(unsigned value, int digits);
AnsiString IntToHex(long value, int digits);
AnsiString IntToHex(unsigned long value, int digits);
AnsiString IntToHex(long long value, int digits);
AnsiString IntToHex(unsigned long long value, int digits);

// Decimal, or hexadecimal after '$' or "0x"; leading blanks and a sign allowed, nothing after the digits.
int StrToInt(const AnsiString& s);                           // raises EConvertError
int StrToIntDef(const AnsiString& s, int def);
long long StrToInt64(const AnsiString& s);                   // raises EConvertError
long long StrToInt64Def(const AnsiString& s, long long def);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Fixed-point money value: the amount times 10000.
class Currency {
public:
    Currency() = default;
    Currency(long double value);  // rounded to 1/10000, ties to even
    operator long double() const { return static_cast<long double>(Val) / 10000.0L; }
    static Currency FromRaw(std::int64_t raw)
    {
        Currency c;
        c.Val = raw;
        return c;
    }
    std::int64_t Val = 0;
};

// Uses DecimalSeparator, ThousandSeparator and the currency globals.
AnsiString FloatToStr(long double value);  // ffGeneral, 15 significant digits
AnsiString FloatToStrF(long double value, TFloatFormat format, int precision, int digits);
// Sections "pos;neg;zero" of '0', '#', '.', ',', "E+00", quoted literals.
AnsiString FormatFloat(const AnsiString& format, long double value);
AnsiString CurrToStr(Currency value);
AnsiString CurrToStrF(Currency value, TFloatFormat format, int digits);
// Blanks around the number allowed; DecimalSeparator as the separator.
long double StrToFloat(const AnsiString& s);  // raises EConvertError
long double StrToFloatDef(const AnsiString& s, long double def);
bool TextToFloat(const char* text, long double& value);

// Ties to even, as the framework rounds; NaN or values beyond 64 bits raise EInvalidOp.
std::int64_t Round(long double value);
std::int64_t Trunc(long double value);
long double Int(long double value);
long double Frac(long double value);
// MulDiv is kernel32's: rounded, -1 on a zero divisor or overflow.

// ---------------------------------------------------------------------------------------------------------------
// Strings

AnsiString Trim(const AnsiString& s);  // spaces and control characters
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);
AnsiString UpperCase(const AnsiString& s);  // ASCII letters only
AnsiString LowerCase(const AnsiString& s);
AnsiString AnsiUpperCase(const AnsiString& s);  // the user's locale
AnsiString AnsiLowerCase(const AnsiString& s);
int CompareStr(const AnsiString& a, const AnsiString& b);   // byte order, case-sensitive
int CompareText(const AnsiString& a, const AnsiString& b);  // ASCII letters without case
bool SameText(const AnsiString& a, const AnsiString& b);
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);   // the user's locale
int AnsiCompareText(const AnsiString& a, const AnsiString& b);  // the user's locale, without case
bool AnsiSameText(const AnsiString& a, const AnsiString& b);
int AnsiStrIComp(const char* a, const char* b);
// Compares at most maxLen characters, the user's locale, without case.
int AnsiStrLIComp(const char* a, const char* b, unsigned maxLen);
AnsiString QuotedStr(const AnsiString& s);  // 'it''s'
bool IsDelimiter(const AnsiString& delimiters, const AnsiString& s, int index);
int LastDelimiter(const AnsiString& delimiters, const AnsiString& s);

// Null-terminated buffers.
unsigned StrLen(const char* s);
// Copies at most maxLen characters and a terminator: dest must hold maxLen + 1 bytes. Nothing is written
// for a negative maxLen (a zero-sized buffer's size - 1).
char* StrLCopy(char* dest, const char* source, int maxLen);
char* StrPLCopy(char* dest, const AnsiString& source, int maxLen);
AnsiString StrPas(const char* s);

// ---------------------------------------------------------------------------------------------------------------
// File names and files. '\', '/' and ':' end a folder or drive part.

AnsiString ExtractFilePath(const AnsiString& fileName);  // "C:\a\b.txt" -> "C:\a\"
AnsiString ExtractFileDir(const AnsiString& fileName);   // "C:\a\b.txt" -> "C:\a", "C:\b.txt" -> "C:\"
AnsiString ExtractFileName(const AnsiString& fileName);  // "b.txt"
AnsiString ExtractFileExt(const AnsiString& fileName);   // ".txt"
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);
AnsiString IncludeTrailingBackslash(const AnsiString& s);
AnsiString ExcludeTrailingBackslash(const AnsiString& s);
AnsiString ExpandFileName(const AnsiString& fileName);
bool FileExists(const AnsiString& fileName);
bool DirectoryExists(const AnsiString& name);
// The macro from windows.h makes this DeleteFileA, next to the system's own.
bool DeleteFile(const AnsiString& fileName);
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);
AnsiString GetCurrentDir();
int FileGetAttr(const AnsiString& fileName);  // -1 when it does not exist
// Drive 0 is the current one, 1 is A:; -1 when the drive cannot be read.
long long DiskFree(unsigned char drive);
long long DiskSize(unsigned char drive);

// Thin wrappers of the file calls; handles are -1 on failure. Modes are the fmOpen* and fmShare* values
// of Streams.h.
int FileOpen(const AnsiString& fileName, unsigned mode);
int FileCreate(const AnsiString& fileName);
int FileRead(int handle, void* buffer, int count);         // bytes read, -1 on failure
int FileWrite(int handle, const void* buffer, int count);  // bytes written, -1 on failure
int FileSeek(int handle, int offset, int origin);           // origin 0 begin, 1 current, 2 end; -1 on failure
long long FileSeek(int handle, long long offset, int origin);
void FileClose(int handle);

// ---------------------------------------------------------------------------------------------------------------
// Command line. Arguments are split at blanks; double quotes group blanks and are removed.

int ParamCount();
AnsiString ParamStr(int index);  // 0: the executable's full path
// The set of switch characters of FindCmdLineSwitch.
class TSysCharSet {
public:
    TSysCharSet() = default;
    TSysCharSet(const char* chars);
    TSysCharSet(std::initializer_list<char> chars);
    TSysCharSet& operator<<(char c);
    bool Contains(char c) const { return (bits_[static_cast<unsigned char>(c) >> 5] >> (c & 31)) & 1u; }

private:
    std::uint32_t bits_[8] = {};
};
// True when an argument is one switch character followed by exactly Switch.
bool FindCmdLineSwitch(const AnsiString& switchName, const TSysCharSet& chars = TSysCharSet("-/"),
                       bool ignoreCase = true);
// The splitting of ParamStr, for a given command line (element 0 is the program).
std::vector<AnsiString> SplitCommandLine(const char* commandLine);

// ---------------------------------------------------------------------------------------------------------------
// Date and time: days since 1899-12-30, the fraction is the time of day.

using TDateTime = double;

TDateTime EncodeDate(int year, int month, int day);  // raises EConvertError
TDateTime EncodeTime(int hour, int min, int sec, int msec);  // raises EConvertError
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
void DecodeDate(TDateTime date, unsigned short& year, unsigned short& month, unsigned short& day);
void DecodeTime(TDateTime time, unsigned short& hour, unsigned short& min, unsigned short& sec,
                unsigned short& msec);
int DayOfWeek(TDateTime date);  // 1 = Sunday .. 7 = Saturday
bool IsLeapYear(int year);
TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
void DateTimeToSystemTime(TDateTime dt, SYSTEMTIME& st);

// c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz t tt am/pm a/p ampm / : 'x' "x"
AnsiString FormatDateTime(const AnsiString& format, TDateTime dt);
AnsiString DateToStr(TDateTime dt);      // ShortDateFormat
AnsiString TimeToStr(TDateTime dt);      // LongTimeFormat
AnsiString DateTimeToStr(TDateTime dt);  // date, and the time when there is one
// Numbers in ShortDateFormat's order, separated by DateSeparator; raise EConvertError.
TDateTime StrToDate(const AnsiString& s);
TDateTime StrToTime(const AnsiString& s);
TDateTime StrToDateTime(const AnsiString& s);

// ---------------------------------------------------------------------------------------------------------------
// Locale globals, read from the user's locale at start-up and by GetFormatSettings.

// Month names 1..12, day names 1 (Sunday)..7; an index outside reads as empty.
template <int N>
class TNameTable {
public:
    AnsiString& operator[](int i)
    {
        if (i >= 1 && i <= N) return names_[i - 1];
        outside_ = AnsiString();
        return outside_;
    }
    const AnsiString& operator[](int i) const { return i >= 1 && i <= N ? names_[i - 1] : empty_; }

private:
    AnsiString names_[N];
    AnsiString outside_;
    inline static const AnsiString empty_;
};

extern AnsiString CurrencyString;
extern unsigned char CurrencyFormat;  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
extern unsigned char NegCurrFormat;   // 0..15 as the locale's negative currency mode
extern unsigned char CurrencyDecimals;
extern char ThousandSeparator;
extern char DecimalSeparator;
extern char DateSeparator;
extern char TimeSeparator;
extern AnsiString ShortDateFormat;
extern AnsiString LongDateFormat;
extern AnsiString ShortTimeFormat;
extern AnsiString LongTimeFormat;
extern AnsiString TimeAMString;
extern AnsiString TimePMString;
extern TNameTable<12> ShortMonthNames;
extern TNameTable<12> LongMonthNames;
extern TNameTable<7> ShortDayNames;
extern TNameTable<7> LongDayNames;
// A two-digit year lies within 50 years before or after the current year.
extern int TwoDigitYearCenturyWindow;

void GetFormatSettings();

// ---------------------------------------------------------------------------------------------------------------
// System

extern int Win32Platform;  // VER_PLATFORM_WIN32_NT or VER_PLATFORM_WIN32_WINDOWS
extern int Win32MajorVersion;
extern int Win32MinorVersion;
extern int Win32BuildNumber;
extern AnsiString Win32CSDVersion;

// The system's text for an error code as the system words it, line break included; empty when it has none.
// Every error text of the program starts here.
AnsiString SystemMessageText(DWORD errorCode);
// The same without the line break, spaces and full stops it ends with.
AnsiString SysErrorMessage(DWORD errorCode);
