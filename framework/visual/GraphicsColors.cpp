// Colour values: system colour resolution and the colour names of stored properties.

#include "framework/visual/Graphics.h"
#include "framework/runtime/SysUtils.h"

namespace {

struct ColorName {
    TColor color;
    const char* name;
};

// Each colour has one name; aliases (clLtGray, clDkGray) are written as the colour they stand for.
constexpr ColorName colorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

}  // namespace

std::int32_t ColorToRGB(TColor color)
{
    if (color < 0) return std::int32_t(GetSysColor(int(color & 0xFF)));
    return color;
}

AnsiString ColorToString(TColor color)
{
    for (const ColorName& c : colorNames)
        if (c.color == color) return c.name;
    return "$" + IntToHex(int(color), 8);
}

TColor StringToColor(const AnsiString& text)
{
    for (const ColorName& c : colorNames)
        if (SameText(text, c.name)) return c.color;
    return TColor(StrToInt(text));
}
