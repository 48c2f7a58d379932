#include <gtest/gtest.h>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"

TEST(AnsiString, SubStringIsOneBasedAndClipped)
{
    AnsiString s("Hello");
    EXPECT_EQ(s.SubString(1, 2), "He");
    EXPECT_EQ(s.SubString(4, 10), "lo");
    EXPECT_EQ(s.SubString(0, 2), "H");
    EXPECT_EQ(s.SubString(6, 1), "");
    EXPECT_EQ(s.SubString(2, 0), "");
    EXPECT_EQ(s.Pos("llo"), 3);
    EXPECT_EQ(s.Pos("x"), 0);
    EXPECT_EQ(s.Pos(""), 0);
    EXPECT_EQ(s[1], 'H');
    EXPECT_EQ(s[6], '\0');
}

TEST(AnsiString, EditsAndCase)
{
    AnsiString s("abcdef");
    s.Delete(2, 2);
    EXPECT_EQ(s, "adef");
    s.Insert("XY", 2);
    EXPECT_EQ(s, "aXYdef");
    s.Delete(10, 1);
    EXPECT_EQ(s, "aXYdef");
    EXPECT_EQ(AnsiString("aZ\xe4").UpperCase(), "AZ\xe4");
    EXPECT_EQ(AnsiString(" \t x \r\n").Trim(), "x");
    EXPECT_EQ(AnsiString("  x ").TrimLeft(), "x ");
    EXPECT_EQ(AnsiString(" x  ").TrimRight(), " x");
    EXPECT_EQ(AnsiString("c:\\a\\b.txt").LastDelimiter("\\:"), 5);
}

TEST(AnsiString, IntegerConversion)
{
    struct Case { const char* text; bool ok; int value; };
    const Case cases[] = {
        {"0", true, 0},           {"123", true, 123},       {"-17", true, -17},
        {"+4", true, 4},          {"$1F", true, 31},        {"0x10", true, 16},
        {"2147483647", true, 2147483647},                   {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0}, {"", false, 0},           {"abc", false, 0},
        {" 1", true, 1},          {"1 ", false, 0},         {"$", false, 0},
        {"0xFFFFFFFF", true, -1}, {"12a", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.ok) {
            EXPECT_EQ(AnsiString(c.text).ToInt(), c.value);
        } else {
            EXPECT_THROW(AnsiString(c.text).ToInt(), EConvertError);
            EXPECT_EQ(AnsiString(c.text).ToIntDef(-99), -99);
        }
    }
    EXPECT_EQ(AnsiString(42), "42");
    EXPECT_EQ("n=" + AnsiString(-3), "n=-3");
}

TEST(AnsiString, FloatTextFollowsTheDecimalSeparator)
{
    const char saved = DecimalSeparator;
    EXPECT_EQ(AnsiString(1e15), "1E15");
    EXPECT_EQ(AnsiString(0.1 + 0.2), "0.3");
    EXPECT_EQ(AnsiString(" 2.5 ").ToDouble(), 2.5);
    EXPECT_THROW(AnsiString("0x10").ToDouble(), EConvertError);
    EXPECT_THROW(AnsiString("inf").ToDouble(), EConvertError);
    DecimalSeparator = ',';
    EXPECT_EQ(AnsiString(-1.25), "-1,25");
    EXPECT_EQ(AnsiString("-1,25").ToDouble(), -1.25);
    EXPECT_THROW(AnsiString("1.5").ToDouble(), EConvertError);
    DecimalSeparator = saved;
}
