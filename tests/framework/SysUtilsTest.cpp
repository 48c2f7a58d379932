#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"

namespace {

// Sets the locale globals to known values for the test and puts the user's back afterwards.
class FixedLocale : public testing::Test {
protected:
    void SetUp() override
    {
        CurrencyString = "$";
        CurrencyFormat = 0;
        NegCurrFormat = 0;
        CurrencyDecimals = 2;
        ThousandSeparator = ',';
        DecimalSeparator = '.';
        DateSeparator = '/';
        TimeSeparator = ':';
        ShortDateFormat = "M/d/yyyy";
        LongDateFormat = "dddd, MMMM d, yyyy";
        ShortTimeFormat = "h:mm AMPM";
        LongTimeFormat = "h:mm:ss AMPM";
        TimeAMString = "AM";
        TimePMString = "PM";
        const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                                "July",    "August",   "September", "October", "November", "December"};
        const char* days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
        for (int i = 1; i <= 12; ++i) {
            LongMonthNames[i] = months[i - 1];
            ShortMonthNames[i] = AnsiString(months[i - 1]).SubString(1, 3);
        }
        for (int i = 1; i <= 7; ++i) {
            LongDayNames[i] = days[i - 1];
            ShortDayNames[i] = AnsiString(days[i - 1]).SubString(1, 3);
        }
    }
    void TearDown() override { GetFormatSettings(); }
};

struct FormatCase {
    const char* format;
    std::vector<TVarRec> args;
    const char* expected;
};

int CurrentYear()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return st.wYear;
}

AnsiString TempDir()
{
    char buf[MAX_PATH];
    GetTempPathA(sizeof buf, buf);
    return IncludeTrailingBackslash(buf) + "sysutils_" + IntToStr(int(GetCurrentProcessId())) + "\\";
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Format

using FormatTest = FixedLocale;

TEST_F(FormatTest, SpecifiersWidthsAndPrecisions)
{
    int* const p = reinterpret_cast<int*>(0x1234ABCD);
    const FormatCase cases[] = {
        {"Error %d: %s / %s", {5, "open", AnsiString("denied")}, "Error 5: open / denied"},
        {"%d:%s\r\n", {12, std::string("x")}, "12:x\r\n"},
        {"%d bytes in input buffer", {0}, "0 bytes in input buffer"},
        {"baud=%i parity=%s data=%i stop=%s protocol=%c", {9600, "n", 8, "1", 'x'},
         "baud=9600 parity=n data=8 stop=1 protocol=x"},
        {"%.5d", {42}, "00042"},
        {"%.5d", {-42}, "-00042"},
        {"%.2d", {12345}, "12345"},
        {"%5d|%-5d|", {42, 42}, "   42|42   |"},
        {"%05d", {-42}, "-0042"},
        {"%-05d|", {7}, "7    |"},
        {"%d", {INT_MIN}, "-2147483648"},
        {"%d", {LLONG_MIN}, "-9223372036854775808"},
        {"%d", {4294967295u}, "4294967295"},
        {"%u", {-1}, "4294967295"},
        {"%d", {static_cast<unsigned char>(200)}, "200"},
        {"%d", {static_cast<signed char>(-5)}, "-5"},
        {"%d", {true}, "1"},
        {"%x %X %.4x", {255, 255, 10}, "ff FF 000a"},
        {"%x", {-1}, "ffffffff"},
        {"%X", {-1LL}, "FFFFFFFFFFFFFFFF"},
        {"%c%c", {'A', 66}, "AB"},
        {"%s", {'x'}, "x"},
        {"%.3s|%5s|%-5s|", {"abcdef", "ab", "ab"}, "abc|   ab|ab   |"},
        {"%s", {static_cast<const char*>(nullptr)}, ""},
        {"%*d|%-*d|%.*f", {4, 7, 3, 7, 2, 3.14159}, "   7|7  |3.14"},
        {"%*d|", {-3, 7}, "7  |"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"100%% %d%%", {5}, "100% 5%"},
        {"%f", {2.5}, "2.50"},
        {"%.0f", {2.5}, "3"},
        {"%.2f", {0.125}, "0.13"},
        {"%.2f", {-0.125}, "-0.13"},
        {"%.2f", {2.675}, "2.67"},  // 2.675 is stored a little below
        {"%.2f", {-0.001}, "0.00"},
        {"%8.3f|", {3.14159f}, "   3.142|"},
        {"%e", {1234.5}, "1.23450000000000e+003"},
        {"%.3E", {1234.5}, "1.23E+003"},
        {"%.3E", {-0.000123456}, "-1.23E-004"},
        {"%g", {0.0001}, "0.0001"},
        {"%g", {0.00001}, "1E-5"},
        {"%g", {1e15}, "1E15"},
        {"%g", {123456789012345.0}, "123456789012345"},
        {"%.3g", {1234.5}, "1.23E3"},
        {"%g", {1.0L / 3}, "0.333333333333333"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.0n", {-999.5}, "-1,000"},
        {"%m", {1234.5}, "$1,234.50"},
        {"%m", {-1234.5}, "($1,234.50)"},
        {"%.0m", {7.0}, "$7"},
        // An address has the pointer's width: 8 digits in the 32-bit build, 16 in the 64-bit one.
#ifdef _WIN64
        {"%p", {p}, "000000001234ABCD"},
        {"%p", {nullptr}, "0000000000000000"},
        {"%s, Address: %p", {"Boom", static_cast<const void*>(p)}, "Boom, Address: 000000001234ABCD"},
#else
        {"%p", {p}, "1234ABCD"},
        {"%p", {nullptr}, "00000000"},
        {"%s, Address: %p", {"Boom", static_cast<const void*>(p)}, "Boom, Address: 1234ABCD"},
#endif
        {"%ld %lu %hd %lld", {1L, 2UL, static_cast<short>(3), 4LL}, "1 2 3 4"},
        {"no specifiers", {1, 2}, "no specifiers"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(Format(c.format, c.args), c.expected);
    }
    // The variadic form and the list form agree.
    EXPECT_EQ(Format("%s=%d (%.1f)", "x", 3, 0.25), "x=3 (0.3)");
    EXPECT_EQ(Format("%s=%d", {"y", 4}), "y=4");
    EXPECT_EQ(Format("plain"), "plain");
    // Widths are bounded, whether written or taken from the arguments.
    EXPECT_EQ(Format("%*d", INT_MAX, 1).Length(), 100000);
    EXPECT_EQ(Format("%9999999999d", 1).Length(), 100000);
}

TEST_F(FormatTest, MismatchesAndBadSpecifiersRaise)
{
    const FormatCase cases[] = {
        {"%d", {1.5}, nullptr},
        {"%d", {"12"}, nullptr},
        {"%x", {2.0}, nullptr},
        {"%s", {5}, nullptr},
        {"%s", {1.0}, nullptr},
        {"%f", {5}, nullptr},
        {"%f", {"1.5"}, nullptr},
        {"%p", {5}, nullptr},
        {"%c", {"s"}, nullptr},
        {"%d", {}, nullptr},
        {"List index out of bounds (%d)", {}, nullptr},
        {"%.2f %d", {1.0}, nullptr},
        {"%*d", {"x", 5}, nullptr},
        {"%", {1}, nullptr},
        {"abc %", {}, nullptr},
        {"%q", {1}, nullptr},
        {"%5", {1}, nullptr},
        {"%+d", {1}, nullptr},
        {"%2:d", {1, 2}, nullptr},
        {"100% sure", {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        try {
            Format(c.format, c.args);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            // The message names the offending format.
            EXPECT_NE(e.Message().Pos(c.format), 0) << e.Message().c_str();
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Integers

TEST(SysUtilsIntegers, ToText)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(INT_MIN), "-2147483648");
    EXPECT_EQ(IntToStr(LLONG_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToStr(1LL << 40), "1099511627776");
    // Unsigned values keep their magnitude; DWORD and size_t need no cast.
    EXPECT_EQ(IntToStr(DWORD(4294967295u)), "4294967295");
    EXPECT_EQ(IntToStr(sizeof(int)), "4");
    EXPECT_EQ(IntToStr(~0ull), "18446744073709551615");
    EXPECT_EQ(IntToStr(static_cast<short>(-3)), "-3");
    EXPECT_EQ(IntToHex(DWORD(0xC0000005), 8), "C0000005");
    EXPECT_EQ(IntToHex(-1L, 1), "FFFFFFFF");
    EXPECT_EQ(IntToHex(static_cast<unsigned char>(0xAB), 4), "00AB");
    struct Hex { long long value; bool wide; int digits; const char* text; };
    const Hex hex[] = {
        {255, false, 4, "00FF"},    {0x1234, false, 2, "1234"},   {0, false, 0, "0"},
        {-1, false, 2, "FFFFFFFF"}, {-1, true, 1, "FFFFFFFFFFFFFFFF"}, {0xABCDEF, false, 8, "00ABCDEF"},
        {1LL << 36, true, 4, "1000000000"},
    };
    for (const auto& h : hex) {
        SCOPED_TRACE(h.text);
        EXPECT_EQ(h.wide ? IntToHex(h.value, h.digits) : IntToHex(int(h.value), h.digits), h.text);
    }
}

TEST(SysUtilsIntegers, FromText)
{
    struct Case { const char* text; bool ok; int value; };
    const Case cases[] = {
        {"0", true, 0},
        {"123", true, 123},
        {"  42", true, 42},  // leading blanks are allowed
        {"\t-7", true, -7},
        {"+5", true, 5},
        {"-$10", true, -16},
        {"$FFFFFFFF", true, -1},
        {"0x7fffffff", true, INT_MAX},
        {"0X1f", true, 31},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"$100000000", false, 0},
        {"99999999999999999999", false, 0},
        {"42 ", false, 0},
        {"4 2", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"abc", false, 0},
        {"12a", false, 0},
        {"1e3", false, 0},
        {"1.0", false, 0},
        {"$G", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.ok) {
            EXPECT_EQ(StrToInt(c.text), c.value);
            EXPECT_EQ(StrToIntDef(c.text, -99), c.value);
        } else {
            EXPECT_THROW(StrToInt(c.text), EConvertError);
            EXPECT_EQ(StrToIntDef(c.text, -99), -99);
        }
    }
    EXPECT_EQ(StrToInt64("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_EQ(StrToInt64Def("x", 3), 3);
    // An embedded terminator is not the end of the text.
    EXPECT_EQ(StrToIntDef(AnsiString("12\0" "3", 4), -1), -1);
    try {
        StrToInt("12a");
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Floating point

using FloatTest = FixedLocale;

TEST_F(FloatTest, FloatToStrUsesFifteenDigits)
{
    struct Case { long double value; const char* text; };
    const Case cases[] = {
        {0, "0"},
        {-0.0L, "0"},
        {1, "1"},
        {-1.5, "-1.5"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0L / 3, "0.333333333333333"},
        {2.0L / 3, "0.666666666666667"},
        {100, "100"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {1234567890123456789.0L, "1.23456789012346E18"},
        {0.0001L, "0.0001"},
        {0.00001L, "1E-5"},
        {1.5e-10L, "1.5E-10"},
        {-2.5e100L, "-2.5E100"},
        {999999999999999.9L, "1E15"},  // rounding carries into a new digit
        {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
        {std::numeric_limits<long double>::infinity(), "INF"},
        {-std::numeric_limits<long double>::infinity(), "-INF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStr(c.value), c.text);
    }
    DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(2.5e-7), "2,5E-7");
    // The string's own number constructor gives the same text.
    EXPECT_EQ(AnsiString(-0.125), "-0,125");
}

TEST_F(FloatTest, FloatToStrFFormats)
{
    struct Case { long double value; TFloatFormat format; int precision, digits; const char* text; };
    const Case cases[] = {
        {1234.5678, ffFixed, 15, 2, "1234.57"},
        {1234.5678, ffNumber, 15, 2, "1,234.57"},
        {1234567.5, ffNumber, 15, 0, "1,234,568"},
        {-123456.5, ffNumber, 15, 1, "-123,456.5"},
        {0.5, ffFixed, 15, 0, "1"},
        {0.004, ffFixed, 15, 2, "0.00"},
        {0.006, ffFixed, 15, 2, "0.01"},
        {-0.001, ffFixed, 15, 2, "0.00"},
        {1.23456789, ffFixed, 3, 5, "1.23000"},  // precision limits the digits shown
        {1e20L, ffFixed, 15, 2, "1.00000000000000E+020"},
        {1234.5678, ffExponent, 4, 2, "1.235E+03"},
        {1234.5678, ffExponent, 4, 0, "1.235E+3"},
        {0, ffExponent, 3, 2, "0.00E+00"},
        {1234.5678, ffGeneral, 4, 0, "1235"},
        {12345.678, ffGeneral, 4, 2, "1.235E04"},
        {-1234.5, ffCurrency, 15, 2, "($1,234.50)"},
        {1234.5, ffCurrency, 15, 2, "$1,234.50"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.text);
    }
}

TEST_F(FloatTest, CurrencyPlacementFollowsTheLocaleModes)
{
    CurrencyString = "EUR";
    ThousandSeparator = '.';
    DecimalSeparator = ',';
    const char* positive[] = {"EUR1.234,50", "1.234,50EUR", "EUR 1.234,50", "1.234,50 EUR"};
    for (int m = 0; m < 4; ++m) {
        CurrencyFormat = static_cast<unsigned char>(m);
        EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2), positive[m]) << m;
    }
    const char* negative[] = {"(EUR1,5)",   "-EUR1,5",  "EUR-1,5",   "EUR1,5-",   "(1,5EUR)",   "-1,5EUR",
                              "1,5-EUR",    "1,5EUR-",  "-1,5 EUR",  "-EUR 1,5",  "1,5 EUR-",   "EUR 1,5-",
                              "EUR -1,5",   "1,5- EUR", "(EUR 1,5)", "(1,5 EUR)"};
    for (int m = 0; m < 16; ++m) {
        NegCurrFormat = static_cast<unsigned char>(m);
        EXPECT_EQ(FloatToStrF(-1.5, ffCurrency, 15, 1), negative[m]) << m;
    }
    EXPECT_EQ(CurrToStrF(Currency(-1.5), ffCurrency, 1), negative[15]);
}

TEST_F(FloatTest, FormatFloatPatterns)
{
    struct Case { const char* format; long double value; const char* text; };
    const Case cases[] = {
        {"0.000", 1.23456, "1.235"},
        {"0.000", 0, "0.000"},
        {"0.000", -2.5, "-2.500"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0.00", 12.5, "12.50"},
        {"#.##", 0.5, ".5"},
        {"0.##", 1, "1"},
        {"0.##", 1.256, "1.26"},
        {"00000", 42, "00042"},
        {"#", 0, ""},
        {"0", 12345.6, "12346"},
        {"0", -0.4, "0"},
        {"0.00;(0.00)", -1.5, "(1.50)"},
        {"0.00;(0.00)", 1.5, "1.50"},
        {"0.00;;'zero'", 0, "zero"},
        {"0.00;;'zero'", 0.001, "zero"},
        {"0.0E+00", 12345, "1.2E+04"},
        {"0.0E-00", 12345, "1.2E04"},
        {"0.00E+00", 0.00012345, "1.23E-04"},
        {"'x'0\" y\"", 5, "x5 y"},
        {"0 'items 1'", 0.2, "0 items 1"},
        {"0.0 'u1';-0.0 'u2';'none 3'", 0.01, "none 3"},
        {"'just text'", 5, "just text"},
        {"", 1.5, "1.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatFloat(c.format, c.value), c.text);
    }
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
}

TEST_F(FloatTest, StrToFloatTakesTheDecimalSeparator)
{
    struct Case { const char* text; bool ok; long double value; };
    const Case cases[] = {
        {"1.5", true, 1.5},
        {" -2.5e3 ", true, -2500},
        {"+.5", true, 0.5},
        {"7.", true, 7},
        {"1E-2", true, 0.01},
        {"1,5", false, 0},
        {"", false, 0},
        {".", false, 0},
        {"abc", false, 0},
        {"1.5x", false, 0},
        {"1e", false, 0},
        {"1e+", false, 0},
        {"1e99999", false, 0},
        {"- 1", false, 0},
        {"INF", false, 0},
        {"NAN", false, 0},
        {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.ok) {
            EXPECT_DOUBLE_EQ(double(StrToFloat(c.text)), double(c.value));
        } else {
            EXPECT_THROW(StrToFloat(c.text), EConvertError);
            EXPECT_EQ(StrToFloatDef(c.text, -1), -1);
        }
    }
    DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(double(StrToFloat("1,5")), 1.5);
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
    // Text written by FloatToStr reads back to the same value.
    for (long double v : {0.1L, -1234.5678L, 1e-12L, 6.02214076e23L, 1.0L / 7}) {
        long double back = StrToFloat(FloatToStr(v));
        EXPECT_NEAR(double(back), double(v), std::fabs(double(v)) * 1e-14);
    }
}

TEST(SysUtilsRounding, RoundTiesToEven)
{
    struct Case { long double value; std::int64_t rounded, truncated; };
    const Case cases[] = {
        {0.5, 0, 0},    {1.5, 2, 1},     {2.5, 2, 2},    {3.5, 4, 3},       {-0.5, 0, 0},
        {-1.5, -2, -1}, {-2.5, -2, -2},  {0.49999999999999994, 0, 0},       {3.7, 4, 3},
        {-3.7, -4, -3}, {1e18L, 1000000000000000000LL, 1000000000000000000LL},
        {4294967296.5L, 4294967296LL, 4294967296LL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(double(c.value));
        EXPECT_EQ(Round(c.value), c.rounded);
        EXPECT_EQ(Trunc(c.value), c.truncated);
    }
    EXPECT_THROW(Round(std::numeric_limits<long double>::quiet_NaN()), EInvalidOp);
    EXPECT_THROW(Round(1e19L), EInvalidOp);
    EXPECT_THROW(Trunc(-1e19L), EInvalidOp);
    EXPECT_EQ(double(Int(-1.75)), -1.0);
    EXPECT_EQ(double(Frac(-1.75)), -0.75);
    EXPECT_EQ(double(Frac(2.25)), 0.25);
    // Money rounds to 1/10000 the same way.
    EXPECT_EQ(Currency(1.23456).Val, 12346);
    EXPECT_EQ(Currency(-2.71828).Val, -27183);
    EXPECT_DOUBLE_EQ(double(static_cast<long double>(Currency::FromRaw(12500))), 1.25);
}

TEST(SysUtilsRounding, MulDivRoundsAndRefusesZero)
{
    struct Case { int a, b, c, result; };
    const Case cases[] = {
        {10, 3, 4, 8},   // 7.5 up
        {-10, 3, 4, -8}, // -7.5 away from zero
        {10, -3, 4, -8},
        {10, 3, -4, -8},
        {5, 1, 2, 3},
        {3, 1, 2, 2},
        {7, 1, 3, 2},
        {8, 1, 3, 3},
        {0, 5, 7, 0},
        {1, 1, 0, -1},
        {0, 0, 0, -1},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},  // the product is kept in 64 bits
        {INT_MAX, 2, 1, -1},                   // overflow
        {65536, 65536, 65536, 65536},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << "*" << c.b << "/" << c.c);
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Strings

TEST(SysUtilsStrings, TrimAndCase)
{
    EXPECT_EQ(Trim(" \t\r\n\x01x y\x1f "), "x y");
    EXPECT_EQ(Trim("\x7f"), "\x7f");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimLeft("  a  "), "a  ");
    EXPECT_EQ(TrimRight("  a  "), "  a");
    EXPECT_EQ(Trim(AnsiString("\0a\0", 3)), "a");
    EXPECT_EQ(UpperCase("azAZ09\xe4"), "AZAZ09\xe4");
    EXPECT_EQ(LowerCase("AZaz\xc4"), "azaz\xc4");
    // The user's locale folds letters beyond ASCII too (a-umlaut in the ANSI code page).
    EXPECT_EQ(AnsiUpperCase("abc\xe4"), "ABC\xc4");
    EXPECT_EQ(AnsiLowerCase("ABC\xc4"), "abc\xe4");
    EXPECT_EQ(AnsiUpperCase(AnsiString("a\0b", 3)), AnsiString("A\0B", 3));
}

TEST(SysUtilsStrings, Comparisons)
{
    struct Case { const char* a; const char* b; int text, str; };
    const Case cases[] = {
        {"abc", "ABC", 0, 1},  {"abc", "abd", -1, -1}, {"a", "ab", -1, -1}, {"", "", 0, 0},
        {"B", "a", 1, -1},
        {"[", "a", 1, -1},  // letters compare as upper case: '[' follows 'A'
        {"\xe4", "\xc4", 1, 1},
    };
    auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " / " << c.b);
        EXPECT_EQ(sign(CompareText(c.a, c.b)), c.text);
        EXPECT_EQ(sign(CompareText(c.b, c.a)), -c.text);
        EXPECT_EQ(sign(CompareStr(c.a, c.b)), c.str);
        EXPECT_EQ(SameText(c.a, c.b), c.text == 0);
    }
    EXPECT_EQ(AnsiCompareText("\xe4", "\xc4"), 0);
    EXPECT_TRUE(AnsiSameText("Port", "PORT"));
    EXPECT_FALSE(AnsiSameText("Port", "Ports"));
    EXPECT_LT(AnsiCompareText("a", "B"), 0);  // the locale orders letters, not codes
    EXPECT_LT(AnsiCompareStr("a", "B"), 0);
    EXPECT_NE(AnsiCompareStr("a", "A"), 0);
    EXPECT_EQ(AnsiStrIComp("COM5", "com5"), 0);
    EXPECT_EQ(AnsiStrLIComp("PORT=COM5", "port", 4), 0);
    EXPECT_NE(AnsiStrLIComp("Por", "port", 4), 0);
    EXPECT_NE(AnsiStrLIComp("Pert", "port", 4), 0);
    EXPECT_EQ(AnsiStrLIComp("abc", "xyz", 0), 0);
}

TEST(SysUtilsStrings, QuotingAndDelimiters)
{
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(QuotedStr(""), "''");
    EXPECT_EQ(LastDelimiter("\\:", "C:\\a\\b"), 5);
    EXPECT_EQ(LastDelimiter(".", "abc"), 0);
    EXPECT_TRUE(IsDelimiter("\\", "a\\b", 2));
    EXPECT_FALSE(IsDelimiter("\\", "a\\b", 4));
}

TEST(SysUtilsStrings, BufferCopiesStayInTheirBounds)
{
    char buf[8];
    auto fill = [&] { std::memset(buf, 'X', sizeof buf); };
    fill();
    StrLCopy(buf, "abcdefghij", 4);
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(buf[5], 'X');
    fill();
    StrLCopy(buf, "ab", 4);
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(buf[3], 'X');
    fill();
    StrLCopy(buf, "abc", 0);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], 'X');
    fill();
    StrLCopy(buf, "abc", -1);  // a zero-sized buffer's size - 1
    EXPECT_EQ(buf[0], 'X');
    fill();
    StrLCopy(buf, nullptr, 4);
    EXPECT_EQ(buf[0], '\0');
    fill();
    StrPLCopy(buf, AnsiString("0123456789"), 7);
    EXPECT_STREQ(buf, "0123456");
    EXPECT_EQ(StrLen("abc"), 3u);
    EXPECT_EQ(StrLen(nullptr), 0u);
    EXPECT_EQ(StrPas("xy"), "xy");
    EXPECT_EQ(StrPas(nullptr), "");
}

// ---------------------------------------------------------------------------------------------------------------
// File names and files

TEST(SysUtilsFiles, NameParts)
{
    struct Case { const char* name; const char* path; const char* dir; const char* file; const char* ext; };
    const Case cases[] = {
        {"C:\\a\\b.txt", "C:\\a\\", "C:\\a", "b.txt", ".txt"},
        {"C:\\", "C:\\", "C:\\", "", ""},
        {"C:\\b.txt", "C:\\", "C:\\", "b.txt", ".txt"},
        {"C:b.txt", "C:", "C:", "b.txt", ".txt"},
        {"a.b.c", "", "", "a.b.c", ".c"},
        {"name", "", "", "name", ""},
        {"name.", "", "", "name.", "."},
        {"C:\\dir.x\\name", "C:\\dir.x\\", "C:\\dir.x", "name", ""},
        {"C:/a/b.txt", "C:/a/", "C:/a", "b.txt", ".txt"},
        {"a/b.c\\d", "a/b.c\\", "a/b.c", "d", ""},
        {"\\\\srv\\share\\f.ini", "\\\\srv\\share\\", "\\\\srv\\share", "f.ini", ".ini"},
        {"\\b.txt", "\\", "\\", "b.txt", ".txt"},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtractFilePath(c.name), c.path);
        EXPECT_EQ(ExtractFileDir(c.name), c.dir);
        EXPECT_EQ(ExtractFileName(c.name), c.file);
        EXPECT_EQ(ExtractFileExt(c.name), c.ext);
    }
    struct Change { const char* name; const char* ext; const char* result; };
    const Change changes[] = {
        {"C:\\a\\b.txt", ".ini", "C:\\a\\b.ini"}, {"C:\\a.d\\b", ".ini", "C:\\a.d\\b.ini"},
        {"b", "", "b"},                           {"b.txt", "", "b"},
        {"a.b.c", ".x", "a.b.x"},                 {"C:/a.d/b", ".LOG", "C:/a.d/b.LOG"},
        {"", ".ini", ".ini"},                     {"prog.exe", ".ini", "prog.ini"},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChangeFileExt(c.name, c.ext), c.result);
    }
    EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(IncludeTrailingBackslash("C:/a/"), "C:/a/");
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\a"), "C:\\a");
    EXPECT_EQ(ExcludeTrailingBackslash(""), "");
}

TEST(SysUtilsFiles, RealFiles)
{
    AnsiString dir = TempDir();
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    AnsiString a = dir + "a.dat", b = dir + "b.dat";
    DeleteFile(a);
    DeleteFile(b);

    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_TRUE(DirectoryExists(ExcludeTrailingBackslash(dir)));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_FALSE(FileExists(a));
    EXPECT_EQ(FileGetAttr(a), -1);

    int h = FileCreate(a);
    ASSERT_NE(h, -1);
    EXPECT_EQ(FileWrite(h, "0123456789", 10), 10);
    EXPECT_EQ(FileSeek(h, 2, 0), 2);
    char buf[8] = {};
    EXPECT_EQ(FileRead(h, buf, 3), 3);
    EXPECT_STREQ(buf, "234");
    EXPECT_EQ(FileSeek(h, 0LL, 2), 10LL);
    EXPECT_EQ(FileSeek(h, -1, 1), 9);
    EXPECT_EQ(FileSeek(h, 0, 7), -1);
    FileClose(h);
    EXPECT_TRUE(FileExists(a));
    EXPECT_FALSE(DirectoryExists(a));

    h = FileOpen(a, fmOpenRead | fmShareDenyWrite);
    ASSERT_NE(h, -1);
    EXPECT_EQ(FileOpen(a, fmOpenWrite | fmShareDenyNone), -1);  // our share mode refuses writers
    EXPECT_EQ(FileWrite(h, "x", 1), -1);                        // opened for reading
    EXPECT_EQ(FileRead(h, buf, 8), 8);
    EXPECT_EQ(FileRead(h, buf, 8), 2);
    EXPECT_EQ(FileRead(h, buf, 8), 0);
    FileClose(h);
    EXPECT_EQ(FileOpen(dir + "missing.dat", fmOpenRead), -1);

    EXPECT_TRUE(RenameFile(a, b));
    EXPECT_FALSE(FileExists(a));
    EXPECT_TRUE(FileExists(b));
    EXPECT_FALSE(RenameFile(a, b));  // nothing to rename
    EXPECT_TRUE(DeleteFile(b));
    EXPECT_FALSE(DeleteFile(b));
    EXPECT_TRUE(RemoveDirectoryA(dir.c_str()));
}

TEST(SysUtilsFiles, ExpandAndCurrentDir)
{
    AnsiString cur = GetCurrentDir();
    ASSERT_FALSE(cur.IsEmpty());
    EXPECT_TRUE(DirectoryExists(cur));
    EXPECT_EQ(ExpandFileName("x.txt"), IncludeTrailingBackslash(cur) + "x.txt");
    EXPECT_EQ(ExpandFileName("C:\\a\\..\\b\\.\\c.txt"), "C:\\b\\c.txt");
    EXPECT_EQ(ExpandFileName("C:/a/b"), "C:\\a\\b");
    EXPECT_EQ(ExpandFileName(""), "");
    EXPECT_GT(DiskSize(0), 0);
    EXPECT_GE(DiskFree(0), 0);
    EXPECT_LE(DiskFree(0), DiskSize(0));
    EXPECT_EQ(DiskSize(27), -1);
}

// ---------------------------------------------------------------------------------------------------------------
// Command line

TEST(SysUtilsCommandLine, Splitting)
{
    using V = std::vector<AnsiString>;
    struct Case { const char* line; V args; };
    const Case cases[] = {
        {"prog a b", {"prog", "a", "b"}},
        {"\"C:\\Program Files\\x.exe\" \"a b\" c", {"C:\\Program Files\\x.exe", "a b", "c"}},
        {"p a\"b c\"d", {"p", "ab cd"}},
        {"p \"C:\\dir\\\" next", {"p", "C:\\dir\\", "next"}},  // a folder may end in a backslash
        {"p \"\" x", {"p", "", "x"}},                        // an empty argument does not end the list
        {"p \t  a  \t", {"p", "a"}},
        {"p \"open end", {"p", "open end"}},
        {"p -Port=COM5 /start \\x", {"p", "-Port=COM5", "/start", "\\x"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(SplitCommandLine(c.line), c.args);
    }
    EXPECT_TRUE(SplitCommandLine(nullptr).empty());
}

namespace {
// The child finds the report's path in its environment.
AnsiString ChildReportPath()
{
    char buf[MAX_PATH] = "";
    GetEnvironmentVariableA("SYSUTILS_CHILD_REPORT", buf, sizeof buf);
    return buf;
}
}  // namespace

// Runs only as the child of ParamStrInAChildProcess: writes what it sees of its command line.
TEST(SysUtilsCommandLine, DISABLED_ChildReport)
{
    AnsiString path = ChildReportPath();
    ASSERT_FALSE(path.IsEmpty());
    std::ofstream out(path.c_str(), std::ios::binary);
    out << ParamCount() << "\n";
    for (int i = 0; i <= ParamCount() + 1; ++i) out << ParamStr(i).c_str() << "\n";
    out << FindCmdLineSwitch("start", "-/\\") << FindCmdLineSwitch("start", "-/\\", false)
        << FindCmdLineSwitch("x", {'\\'}) << FindCmdLineSwitch("x") << FindCmdLineSwitch("Port")
        << FindCmdLineSwitch("a b", " ") << FindCmdLineSwitch("-filter") << "\n";
}

TEST(SysUtilsCommandLine, ParamStrInAChildProcess)
{
    AnsiString exe = ParamStr(0);
    ASSERT_TRUE(FileExists(exe));
    AnsiString report = ExcludeTrailingBackslash(TempDir()) + "_child.txt";
    DeleteFile(report);
    ASSERT_TRUE(SetEnvironmentVariableA("SYSUTILS_CHILD_REPORT", report.c_str()));
    // The first word is not the program's path: ParamStr(0) comes from the module instead.
    AnsiString line = "fake\\name.exe --gtest_filter=SysUtilsCommandLine.DISABLED_ChildReport "
                      "--gtest_also_run_disabled_tests \"a b\"  -Start /Port=COM5 \\x \"\" last";
    // The child's own test report goes nowhere.
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    std::string mutableLine = line.str();
    BOOL started = CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                                  &pi);
    CloseHandle(nul);
    ASSERT_TRUE(started);
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u);

    SetEnvironmentVariableA("SYSUTILS_CHILD_REPORT", nullptr);
    std::ifstream in(report.c_str(), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    in.close();
    DeleteFile(report);
    std::string expected = "8\n" + exe.str() +
                           "\n--gtest_filter=SysUtilsCommandLine.DISABLED_ChildReport\n"
                           "--gtest_also_run_disabled_tests\na b\n-Start\n/Port=COM5\n\\x\n\nlast\n\n"
                           "1010000\n";
    EXPECT_EQ(all.str(), expected);
}

// ---------------------------------------------------------------------------------------------------------------
// Date and time

using DateTest = FixedLocale;

TEST_F(DateTest, EncodeDecodeAndWeekdays)
{
    struct Case { int y, m, d; double serial; int dow; };
    const Case cases[] = {
        {1899, 12, 30, 0, 7},        {1899, 12, 29, -1, 6},     {1900, 1, 1, 2, 2},
        {1900, 3, 1, 61, 5},         {2000, 1, 1, 36526, 7},    {2000, 2, 29, 36585, 3},
        {2024, 1, 1, 45292, 2},      {1, 1, 1, -693593, 2},     {9999, 12, 31, 2958465, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial);
        unsigned short y, m, d;
        DecodeDate(c.serial, y, m, d);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
        EXPECT_EQ(DayOfWeek(c.serial), c.dow);
    }
    // Every day of the range decodes to the date it was made from.
    for (int serial = -693593; serial <= 2958465; serial += 97) {
        unsigned short y, m, d;
        DecodeDate(serial, y, m, d);
        ASSERT_EQ(EncodeDate(y, m, d), serial) << serial;
    }
    struct Bad { int y, m, d; };
    const Bad bad[] = {{2001, 2, 29}, {1900, 2, 29}, {2000, 13, 1}, {2000, 0, 1}, {2000, 4, 31},
                       {0, 1, 1},     {10000, 1, 1}, {2000, 1, 0}};
    for (const auto& b : bad) {
        SCOPED_TRACE(testing::Message() << b.y << "-" << b.m << "-" << b.d);
        EXPECT_THROW(EncodeDate(b.y, b.m, b.d), EConvertError);
    }
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
}

TEST_F(DateTest, TimesAndNegativeDates)
{
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    unsigned short h, n, s, z;
    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, z);
    EXPECT_EQ(h, 23);
    EXPECT_EQ(n, 59);
    EXPECT_EQ(s, 59);
    EXPECT_EQ(z, 999);
    DecodeTime(EncodeDate(2001, 3, 5) + EncodeTime(14, 7, 9, 45), h, n, s, z);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + z, 140709045);
    // Before 1899-12-30 the time still counts forward from the day's start: -1.25 is 1899-12-29 06:00.
    unsigned short y, m, d;
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, z);
    EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
    EXPECT_EQ(h, 6);
    // Values no date can have decode without failing.
    DecodeDate(std::numeric_limits<double>::quiet_NaN(), y, m, d);
    DecodeDate(1e300, y, m, d);
    EXPECT_NO_THROW(FormatDateTime("c dddd mmmm", 1e300));
    SYSTEMTIME st{};
    st.wYear = 1899;
    st.wMonth = 12;
    st.wDay = 29;
    st.wHour = 6;
    EXPECT_EQ(SystemTimeToDateTime(st), -1.25);
    SYSTEMTIME back{};
    DateTimeToSystemTime(EncodeDate(2024, 1, 1) + 0.75, back);
    EXPECT_EQ(back.wYear, 2024);
    EXPECT_EQ(back.wHour, 18);
    EXPECT_EQ(back.wDayOfWeek, 1);  // Monday
}

TEST_F(DateTest, ClockReadings)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        TDateTime d = Date(), n = Now(), t = Time();
        if (Date() != d) continue;  // midnight passed between the readings
        EXPECT_EQ(d, std::floor(d));
        EXPECT_GE(n, d);
        EXPECT_LT(n, d + 1);
        EXPECT_GE(t, 0.0);
        EXPECT_LT(t, 1.0);
        EXPECT_NEAR(n - d, t, 2.0 / 86400);
        unsigned short y, m, dd;
        DecodeDate(n, y, m, dd);
        EXPECT_EQ(y, CurrentYear());
        return;
    }
}

TEST_F(DateTest, FormatDateTimePatterns)
{
    const TDateTime dt = EncodeDate(2001, 3, 5) + EncodeTime(14, 7, 9, 45);
    struct Case { const char* format; const char* text; };
    const Case cases[] = {
        {"yyyy-mm-dd hh:nn:ss.zzz", "2001-03-05 14:07:09.045"},
        {"d/m/yy", "5/3/01"},
        {"DD.MM.YYYY", "05.03.2001"},
        {"h:mm", "14:07"},  // m after h means minutes
        {"h:m:s z", "14:7:9 45"},
        {"hh:mm am/pm", "02:07 pm"},
        {"h AM/PM", "2 PM"},
        {"h ampm", "2 PM"},
        {"ha/p", "2p"},
        {"ddd dddd mmm mmmm", "Mon Monday Mar March"},
        {"mm/yy", "03/01"},  // no hour before: the month
        {"'d' \"mm\" d", "d mm 5"},
        {"ddddd", "3/5/2001"},
        {"dddddd", "Monday, March 5, 2001"},
        {"c", "3/5/2001 2:07:09 PM"},
        {"t|tt", "2:07 PM|2:07:09 PM"},
        {"yyyy", "2001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatDateTime(c.format, dt), c.text);
    }
    DateSeparator = '.';
    TimeSeparator = '-';
    EXPECT_EQ(FormatDateTime("d/m/yy h:nn", dt), "5.3.01 14-07");
    EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(5, 1, 1)), "0005");
    EXPECT_EQ(FormatDateTime("am/pm", EncodeTime(0, 0, 0, 0)), "am");
    EXPECT_EQ(FormatDateTime("h ampm", EncodeTime(0, 30, 0, 0)), "12 AM");
    EXPECT_EQ(FormatDateTime("h ampm", EncodeTime(12, 30, 0, 0)), "12 PM");
    // Patterns that name themselves do not recurse without end.
    ShortDateFormat = "ddddd c";
    LongTimeFormat = "tt";
    EXPECT_NO_THROW(DateToStr(dt));
    EXPECT_NO_THROW(DateTimeToStr(dt));
}

TEST_F(DateTest, DateTextFollowsTheLocaleGlobals)
{
    const TDateTime dt = EncodeDate(2001, 3, 5);
    EXPECT_EQ(DateToStr(dt), "3/5/2001");
    EXPECT_EQ(DateTimeToStr(dt), "3/5/2001");  // no time part at midnight
    EXPECT_EQ(TimeToStr(EncodeTime(9, 5, 3, 0)), "9:05:03 AM");
    EXPECT_EQ(DateTimeToStr(dt + 0.5), "3/5/2001 12:00:00 PM");

    struct Locale { const char* shortFormat; char sep; const char* text; };
    const Locale locales[] = {
        {"M/d/yyyy", '/', "3/5/2001"}, {"dd.MM.yyyy", '.', "05.03.2001"}, {"yyyy-MM-dd", '-', "2001-03-05"},
        {"d/M/yy", '/', "5/3/01"},     {"dd/MM/yyyy", '/', "05/03/2001"},
    };
    const TDateTime dates[] = {EncodeDate(2001, 3, 5), EncodeDate(1999, 12, 31), EncodeDate(2000, 2, 29),
                               EncodeDate(2030, 11, 9), EncodeDate(1980, 1, 1)};
    for (const auto& l : locales) {
        SCOPED_TRACE(l.shortFormat);
        ShortDateFormat = l.shortFormat;
        DateSeparator = l.sep;
        EXPECT_EQ(DateToStr(dt), l.text);
        EXPECT_EQ(StrToDate(l.text), dt);
        for (TDateTime d : dates) {
            if (AnsiString(l.shortFormat).Pos("yyyy") == 0 && std::abs(int(d) - int(Date())) > 365 * 45) continue;
            EXPECT_EQ(StrToDate(DateToStr(d)), d) << DateToStr(d).c_str();
            TDateTime withTime = d + EncodeTime(17, 45, 30, 0);
            EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(withTime)), withTime) << DateTimeToStr(withTime).c_str();
        }
    }
}

TEST_F(DateTest, StrToDateRejectsAndWindows)
{
    ShortDateFormat = "dd/MM/yyyy";
    const char* bad[] = {"31/02/2001", "abc", "1/2/3/4", "", "1//2", "1/2/", "32/1/2000", "1/13/2000", "1-2-2000",
                         "1/2/2000x"};
    for (const char* b : bad) {
        SCOPED_TRACE(b);
        EXPECT_THROW(StrToDate(b), EConvertError);
    }
    EXPECT_EQ(StrToDate(" 5 / 3 / 2001 "), EncodeDate(2001, 3, 5));
    // Day and month alone take the current year.
    EXPECT_EQ(StrToDate("5/3"), EncodeDate(CurrentYear(), 3, 5));
    // Two-digit years lie in the window around the current year.
    int now = CurrentYear();
    for (int delta : {-50, -49, -1, 0, 1, 49, 50}) {
        int year = now + delta;
        AnsiString text = "1/1/" + Format("%.2d", year % 100);
        int expected = delta == 50 ? year - 100 : year;
        EXPECT_EQ(StrToDate(text), EncodeDate(expected, 1, 1)) << text.c_str();
    }
    try {
        StrToDate("x");
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x' is not a valid date");
    }
}

TEST_F(DateTest, StrToTimeReadsTheClockForms)
{
    struct Case { const char* text; int h, m, s, ms; };
    const Case good[] = {
        {"14:07", 14, 7, 0, 0},      {"2:07 PM", 14, 7, 0, 0},   {"2:07 pm", 14, 7, 0, 0},
        {"12:00 AM", 0, 0, 0, 0},    {"12:30 PM", 12, 30, 0, 0}, {"14:07:09", 14, 7, 9, 0},
        {"5 PM", 17, 0, 0, 0},       {" 9:05:03 AM ", 9, 5, 3, 0}, {"23:59:59.999", 23, 59, 59, 999},
        {"AM 9:00", 9, 0, 0, 0},
    };
    for (const auto& c : good) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(StrToTime(c.text), EncodeTime(c.h, c.m, c.s, c.ms));
    }
    const char* bad[] = {"13:00 PM", "0:30 AM", "25:00", "14", "14:60", "14:07:", "x", "", "14:07 XM", "1:2:3:4"};
    for (const char* b : bad) {
        SCOPED_TRACE(b);
        EXPECT_THROW(StrToTime(b), EConvertError);
    }
    EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2001 2:07 PM"), EncodeDate(2001, 3, 5) + EncodeTime(14, 7, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("14:07"), EncodeTime(14, 7, 0, 0));
    EXPECT_THROW(StrToDateTime("3/5/2001 junk"), EConvertError);
}

// ---------------------------------------------------------------------------------------------------------------
// Locale globals

TEST(SysUtilsLocale, GlobalsComeFromTheUserLocale)
{
    auto info = [](LCTYPE t) {
        char buf[256] = "";
        GetLocaleInfoA(LOCALE_USER_DEFAULT, t, buf, sizeof buf);
        return AnsiString(buf);
    };
    DecimalSeparator = 'x';
    ShortDateFormat = "nonsense";
    LongMonthNames[1] = "nonsense";
    GetFormatSettings();
    EXPECT_EQ(AnsiString(DecimalSeparator), info(LOCALE_SDECIMAL).SubString(1, 1));
    EXPECT_EQ(AnsiString(ThousandSeparator), info(LOCALE_STHOUSAND).SubString(1, 1));
    EXPECT_EQ(AnsiString(DateSeparator), info(LOCALE_SDATE).SubString(1, 1));
    EXPECT_EQ(ShortDateFormat, info(LOCALE_SSHORTDATE));
    EXPECT_EQ(LongDateFormat, info(LOCALE_SLONGDATE));
    EXPECT_EQ(CurrencyString, info(LOCALE_SCURRENCY));
    EXPECT_EQ(int(CurrencyDecimals), StrToInt(info(LOCALE_ICURRDIGITS)));
    EXPECT_EQ(TimeAMString, info(LOCALE_S1159));
    EXPECT_EQ(LongMonthNames[1], info(LOCALE_SMONTHNAME1));
    EXPECT_EQ(ShortMonthNames[12], info(LOCALE_SABBREVMONTHNAME12));
    // Day names start on Sunday; the locale's list starts on Monday.
    EXPECT_EQ(LongDayNames[1], info(LOCALE_SDAYNAME7));
    EXPECT_EQ(LongDayNames[2], info(LOCALE_SDAYNAME1));
    EXPECT_EQ(ShortDayNames[7], info(LOCALE_SABBREVDAYNAME6));
    EXPECT_EQ(LongDayNames[DayOfWeek(EncodeDate(2024, 1, 1))], info(LOCALE_SDAYNAME1));
    // Outside the tables reads as empty.
    EXPECT_EQ(LongMonthNames[0], "");
    EXPECT_EQ(LongMonthNames[13], "");
    EXPECT_EQ(ShortDayNames[8], "");
    EXPECT_FALSE(LongTimeFormat.IsEmpty());
    EXPECT_EQ(LongTimeFormat.Pos("tt"), 0);
}

TEST(SysUtilsLocale, DatesRoundTripAtTheUserLocale)
{
    GetFormatSettings();
    const TDateTime dates[] = {EncodeDate(2001, 3, 5), EncodeDate(2000, 2, 29), EncodeDate(2012, 12, 31)};
    for (TDateTime d : dates) {
        AnsiString text = DateToStr(d);
        SCOPED_TRACE(text.c_str());
        EXPECT_EQ(StrToDate(text), d);
        TDateTime dt = d + EncodeTime(8, 9, 10, 0);
        EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(dt)), dt);
        EXPECT_DOUBLE_EQ(StrToTime(TimeToStr(dt)), EncodeTime(8, 9, 10, 0));
    }
    EXPECT_DOUBLE_EQ(double(StrToFloat(FloatToStr(-1234.5))), -1234.5);
}

// ---------------------------------------------------------------------------------------------------------------
// System

TEST(SysUtilsSystem, VersionAndErrorText)
{
    EXPECT_EQ(Win32Platform, VER_PLATFORM_WIN32_NT);
    EXPECT_GE(Win32MajorVersion, 5);
    AnsiString text = SysErrorMessage(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.IsEmpty());
    char last = text[text.Length()];
    EXPECT_NE(last, '\n');
    EXPECT_NE(last, '\r');
    EXPECT_NE(last, '.');
}
