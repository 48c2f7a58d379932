#include <gtest/gtest.h>

#include "framework/visual/Graphics.h"

namespace {

struct NamedColor {
    TColor color;
    const char* text;
};

// Every colour name both ways; values without a name take the hexadecimal form.
TEST(GraphicsColor, NamesAndHexFormBothWays)
{
    const NamedColor cases[] = {
        {clRed, "clRed"},
        {clBlack, "clBlack"},
        {clWhite, "clWhite"},
        {clFuchsia, "clFuchsia"},
        {clBtnFace, "clBtnFace"},
        {clHighlightText, "clHighlightText"},
        {clInfoBk, "clInfoBk"},
        {clNone, "clNone"},
        {clDefault, "clDefault"},
        {TColor(0x00123456), "$00123456"},
        {TColor(0x02FF0000), "$02FF0000"},
        {TColor(std::int32_t(0x80000040)), "$80000040"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorToString(c.color), c.text) << c.text;
        EXPECT_EQ(StringToColor(c.text), c.color) << c.text;
    }
}

TEST(GraphicsColor, AliasesAreWrittenAsTheColourTheyStandFor)
{
    EXPECT_EQ(ColorToString(clLtGray), "clSilver");
    EXPECT_EQ(ColorToString(clDkGray), "clGray");
}

TEST(GraphicsColor, NamesReadInAnyCaseAndNumbersInDecimal)
{
    EXPECT_EQ(StringToColor("CLRED"), clRed);
    EXPECT_EQ(StringToColor("clbtnshadow"), clBtnShadow);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_EQ(StringToColor("$FF"), clRed);
}

TEST(GraphicsColor, UnknownTextRaises)
{
    for (const char* text : {"", "clRedd", "red", "$", "12x"}) EXPECT_THROW(StringToColor(text), EConvertError) << text;
}

TEST(GraphicsColor, SystemColoursResolveThroughTheSystem)
{
    const struct {
        TColor color;
        int index;
    } cases[] = {{clBtnFace, COLOR_BTNFACE},       {clBtnShadow, COLOR_BTNSHADOW},
                 {clBtnHighlight, COLOR_BTNHIGHLIGHT}, {clWindow, COLOR_WINDOW},
                 {clWindowText, COLOR_WINDOWTEXT}, {clHighlightText, COLOR_HIGHLIGHTTEXT},
                 {clGrayText, COLOR_GRAYTEXT},     {cl3DDkShadow, COLOR_3DDKSHADOW}};
    for (const auto& c : cases) EXPECT_EQ(COLORREF(ColorToRGB(c.color)), GetSysColor(c.index)) << c.index;
}

TEST(GraphicsColor, OtherValuesPassUnchanged)
{
    EXPECT_EQ(ColorToRGB(clFuchsia), 0xFF00FF);
    EXPECT_EQ(ColorToRGB(TColor(0x02123456)), 0x02123456);  // palette-relative stays marked
    EXPECT_EQ(ColorToRGB(TColor(clRed | PaletteRelativeFlag)), 0x020000FF);
}

}  // namespace
