#include "zcl/core/Zclstrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/runtime/Exceptions.h"

namespace {

struct PadCase {
    const char* s;
    int len;
    const char* left;
    const char* right;
};

TEST(ZclstringsTest, PaddingFillsToTheLengthAndLeavesLongerTextAlone)
{
    const PadCase cases[] = {
        {"ab", 5, "...ab", "ab..."},
        {"ab", 2, "ab", "ab"},
        {"abcdef", 3, "abcdef", "abcdef"},
        {"", 2, "..", ".."},
        {"ab", 0, "ab", "ab"},
        {"ab", -4, "ab", "ab"},
    };
    for (const PadCase& c : cases) {
        SCOPED_TRACE(std::string(c.s) + " to " + std::to_string(c.len));
        EXPECT_EQ(ZCLAddCharL(c.s, c.len, '.'), c.left);
        EXPECT_EQ(ZCLAddCharR(c.s, c.len, '.'), c.right);
    }
    EXPECT_EQ(ZCLAddZeroL("42", 5), "00042");
    EXPECT_EQ(ZCLAddZeroR("42", 4), "4200");
    EXPECT_EQ(ZCLAddSpaceL("x", 3), "  x");
    EXPECT_EQ(ZCLAddSpaceR("x", 3), "x  ");
    EXPECT_EQ(ZCLFillString(3, '*'), "***");
    EXPECT_EQ(ZCLFillString(0, '*'), "");
    EXPECT_EQ(ZCLFillString(-1, '*'), "");
    EXPECT_EQ(ZCLSpace(2), "  ");
}

TEST(ZclstringsTest, BlankMeansEmptyOrOnlySpaces)
{
    EXPECT_TRUE(ZCLEmpty(""));
    EXPECT_TRUE(ZCLEmpty("   "));
    EXPECT_FALSE(ZCLEmpty(" x "));
    // Only spaces count as blank; a tab is text.
    EXPECT_FALSE(ZCLEmpty("\t"));
    EXPECT_EQ(ZCLTrim(" \t a b \r\n"), "a b");
    EXPECT_EQ(ZCLTrimL(" \ta "), "a ");
    EXPECT_EQ(ZCLTrimR(" a\t "), " a");
}

TEST(ZclstringsTest, TrailingBackslash)
{
    const struct {
        const char* s;
        const char* added;
        const char* removed;
    } cases[] = {
        {"", "\\", ""},
        {"   ", "\\", "   "},
        {"C:\\Temp", "C:\\Temp\\", "C:\\Temp"},
        {"C:\\Temp\\", "C:\\Temp\\", "C:\\Temp"},
        {"\\", "\\", ""},
        {"Software\\Firm", "Software\\Firm\\", "Software\\Firm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        EXPECT_EQ(ZCLSlashAdd(c.s), c.added);
        EXPECT_EQ(ZCLSlashRemove(c.s), c.removed);
    }
}

TEST(ZclstringsTest, CharacterSearches)
{
    EXPECT_EQ(ZCLCount("a,b,,c", ','), 3);
    EXPECT_EQ(ZCLCount("", ','), 0);
    EXPECT_EQ(ZCLBackPos('\\', "C:\\a\\b.txt"), 5);
    EXPECT_EQ(ZCLBackPos('\\', "b.txt"), 0);
    EXPECT_EQ(ZCLBackPos('x', "x"), 1);
    EXPECT_EQ(ZCLReplaceChar("a.b.c", '.', '/'), "a/b/c");
    EXPECT_EQ(ZCLReplaceChar("abc", 'x', 'y'), "abc");
}

TEST(ZclstringsTest, FirstAndSecondStringSplitAtTheFirstSeparator)
{
    const struct {
        const char* s;
        const char* first;
        const char* second;
    } cases[] = {
        {"name|12", "name", "12"},
        {"a|b|c", "a", "b|c"},
        {"|x", "", "x"},
        {"x|", "x", ""},
        {"none", "none", "none"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        EXPECT_EQ(ZCLGetFirstString(c.s, '|'), c.first);
        EXPECT_EQ(ZCLGetSecondString(c.s, '|'), c.second);
    }
}

TEST(ZclstringsTest, SecondStringKeepsTheWholeRemainder)
{
    // Longer than 255 characters: nothing is cut off.
    const std::string tail(600, 'q');
    const AnsiString second = ZCLGetSecondString(AnsiString("head;" + tail + "!"), ';');
    EXPECT_EQ(second.Length(), 601);
    EXPECT_EQ(second, AnsiString(tail + "!"));
}

TEST(ZclstringsTest, ScanToNumberFindsTheFirstDigit)
{
    EXPECT_EQ(ZCLScanToNumber("Item 42"), 6);
    EXPECT_EQ(ZCLScanToNumber("7up"), 1);
    EXPECT_EQ(ZCLScanToNumber("no digits"), 0);
    EXPECT_EQ(ZCLScanToNumber(""), 0);
}

TEST(ZclstringsTest, ScanToNumberStepsOverDoubleByteCharacters)
{
    // 0x81 is a lead byte in the Japanese code page 932 and a plain character in 1252. The byte after a lead
    // byte belongs to its character, even where it looks like a digit.
    const struct {
        const char* s;
        int cp932;
        int cp1252;
    } cases[] = {
        {"\x81\x40"
         "5",
         3, 3},
        {"\x81"
         "5"
         "7",
         3, 2},
        {"\x81\x81\x81"
         "57",
         5, 4},
        {"\x81"
         "5",
         0, 2},
        {"ab\x81", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.s)));
        EXPECT_EQ(ZCLScanToNumber(c.s, 932), c.cp932);
        EXPECT_EQ(ZCLScanToNumber(c.s, 1252), c.cp1252);
    }
}

TEST(ZclstringsTest, CodedStringsJoinAndCount)
{
    EXPECT_EQ(ZCLCodeString({"a", "", "b"}, ';'), "a;;b");
    EXPECT_EQ(ZCLCodeString({}, ';'), "");
    EXPECT_EQ(ZCLCodeInt({1, -2, 300}, ','), "1,-2,300");
    EXPECT_EQ(ZCLCodeInt({}, ','), "");

    const struct {
        const char* s;
        int count;
    } counts[] = {{"", 0}, {"a", 1}, {",", 2}, {"a,b", 2}, {"a,,b,", 4}};
    for (const auto& c : counts) EXPECT_EQ(ZCLGetCodedCount(c.s, ','), c.count) << c.s;
}

TEST(ZclstringsTest, GetCodedStringPicksOneField)
{
    const struct {
        const char* s;
        int index;
        const char* field;
    } cases[] = {
        {"a,b,c", 0, "a"}, {"a,b,c", 1, "b"}, {"a,b,c", 2, "c"}, {"a,b,c", 3, ""}, {"abc", 0, "abc"},
        {"abc", 1, ""},    {"a,b", 2, ""},    {",x", 0, ""},     {",x", 1, "x"},   {"a,", 1, ""},
        {"", 0, ""},       {"a,b", -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.s) + " #" + std::to_string(c.index));
        EXPECT_EQ(ZCLGetCodedString(c.s, ',', c.index), c.field);
    }
}

TEST(ZclstringsTest, GetCodedIntReadsAFieldAsANumber)
{
    EXPECT_EQ(ZCLGetCodedInt("10;20;30", ';', 1), 20);
    EXPECT_EQ(ZCLGetCodedInt("10;;30", ';', 1), -1);
    EXPECT_EQ(ZCLGetCodedInt("10", ';', 4), -1);
    EXPECT_EQ(ZCLGetCodedInt("-7;$10", ';', 1), 16);
    EXPECT_THROW(ZCLGetCodedInt("10;abc", ';', 1), EConvertError);
}

TEST(ZclstringsTest, SetCodedStringReplacesOrAppendsAField)
{
    const struct {
        const char* s;
        int index;
        const char* value;
        const char* result;
    } cases[] = {
        {"a,b,c", 1, "X", "a,X,c"}, {"a,b,c", 0, "", ",b,c"}, {"a,b,c", 2, "long", "a,b,long"},
        {"a", 2, "X", "a,,X"},      {"", 0, "X", "X"},        {"", 2, "X", ",,X"},
        {"a,", 1, "X", "a,X"},      {"a,b", 3, "", "a,b,,"},  {"a,b", -1, "X", "a,b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.s) + " #" + std::to_string(c.index));
        AnsiString s = c.s;
        ZCLSetCodedString(s, c.value, ',', c.index);
        EXPECT_EQ(s, c.result);
        if (c.index >= 0) {
            EXPECT_EQ(ZCLGetCodedString(s, ',', c.index), c.value);
        }
    }
}

}  // namespace
