// The drawing helpers: frames, bevels, shadows and triangles, the bitmap helpers and wrappers, gradients and
// button faces, drawn into DIB sections and read back at chosen pixels.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "DrawTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Handles.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclutilsdraw.h"

using namespace drawtest;

namespace {

constexpr std::uint32_t Ground = 0x123456;
constexpr std::uint32_t Red = 0x0000FF;
constexpr std::uint32_t Green = 0x00FF00;
constexpr std::uint32_t Blue = 0xFF0000;

std::uint32_t ListColor(TList& list, int i) { return std::uint32_t(reinterpret_cast<std::uintptr_t>(list.Items(i))); }

std::vector<std::uint32_t> Colors(TList& list)
{
    std::vector<std::uint32_t> v;
    for (int i = 0; i < list.Count(); ++i) v.push_back(ListColor(list, i));
    return v;
}

// The outermost line is drawn on every side (on the right and bottom only where topLeft is false), and nothing
// inside inner was touched.
void ExpectFrameBetween(const Surface& s, const TRect& outer, const TRect& inner, bool topLeft)
{
    int untouchedOuter = 0;
    for (int x = outer.left + 1; x < outer.right - 1; ++x) {
        if (topLeft) untouchedOuter += s.At(x, outer.top) == Ground;
        untouchedOuter += s.At(x, outer.bottom - 1) == Ground;
    }
    for (int y = outer.top + 1; y < outer.bottom - 1; ++y) {
        if (topLeft) untouchedOuter += s.At(outer.left, y) == Ground;
        untouchedOuter += s.At(outer.right - 1, y) == Ground;
    }
    EXPECT_EQ(untouchedOuter, 0);
    EXPECT_EQ(s.CountOther(Ground, inner), 0);
}

}  // namespace

// Frames -----------------------------------------------------------------------------------------------------

TEST(ZclDrawStdFrame, EveryStyleShrinksTheRectangleByWhatItDrew)
{
    struct Case {
        TZCLBorderStyle style;
        int l, t, r, b;  // how far each side moved in
    } const cases[] = {
        {lsNone, 0, 0, 0, 0},         {lsSingle, 1, 1, 1, 1},       {lsLowered, 2, 2, 2, 2},
        {lsRaised, 2, 2, 2, 2},       {lsRaisedspb, 1, 1, 2, 2},    {lsLoweredspb, 2, 2, 1, 1},
        {lsRaisedExt, 2, 2, 2, 2},    {lsLoweredExt, 2, 2, 2, 2},   {lsFrameInset, 2, 2, 2, 2},
        {lsFrameOffset, 2, 2, 2, 2},  {lsWindowBorder, 2, 2, 2, 2}, {lsSingleRaised, 1, 1, 1, 1},
        {lsSingleLowered, 1, 1, 1, 1}, {lsDoubleRaised, 2, 2, 2, 2}, {lsDoubleLowered, 2, 2, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << int(c.style));
        Surface s(40, 30, Ground);
        const TRect outer(5, 4, 35, 26);
        TRect r = outer;
        EXPECT_TRUE(ZCLDrawStdFrame(s.Canvas(), r, c.style, 0));
        EXPECT_TRUE(SameRect(r, TRect(outer.left + c.l, outer.top + c.t, outer.right - c.r, outer.bottom - c.b)));
        if (c.style == lsNone) {
            EXPECT_EQ(s.Count(Ground), 40 * 30);
        } else {
            // The window border leaves its outer left and top line to the ground.
            ExpectFrameBetween(s, outer, r, c.style != lsWindowBorder);
            EXPECT_EQ(s.CountOther(Ground, TRect(0, 0, 40, outer.top)), 0);  // nothing outside
        }
        // The frame's width is the most any side moved.
        EXPECT_EQ(ZCLDrawStdFrameExt(c.style), std::max({c.l, c.t, c.r, c.b}));
    }
}

TEST(ZclDrawStdFrame, EdgesInTheSystemsThreeDColours)
{
    struct Case {
        TZCLBorderStyle style;
        int topLeft, bottomRight;
    } const cases[] = {
        {lsSingleRaised, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
        {lsSingleLowered, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
        {lsFrameInset, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
        {lsDoubleLowered, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << int(c.style));
        Surface s(30, 30, Ground);
        TRect r(2, 2, 28, 28);
        ZCLDrawStdFrame(s.Canvas(), r, c.style, 0);
        EXPECT_EQ(s.At(2, 15), Sys(c.topLeft));
        EXPECT_EQ(s.At(15, 2), Sys(c.topLeft));
        EXPECT_EQ(s.At(27, 15), Sys(c.bottomRight));
        EXPECT_EQ(s.At(15, 27), Sys(c.bottomRight));
    }
}

TEST(ZclDrawFrame3D, BevelBandsInLightAndShadow)
{
    const TColor light = TColor(Green), shadow = TColor(Red);
    struct Case {
        TZCLBevelStyle style;
        int width;
        std::uint32_t topLeft, bottomRight;
        int shrink;
    } const cases[] = {
        {bvRaised, 1, Green, Red, 1},       {bvRaised, 3, Green, Red, 3},
        {bvLowered, 1, Red, Green, 1},      {bvLowered, 4, Red, Green, 4},
        {bvNormal, 2, 0x000000, 0x000000, 2},
        {bvFrameRaised, 1, Green, Red, 2},  {bvFrameLowered, 2, Red, Green, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << int(c.style) << " width " << c.width);
        Surface s(40, 40, Ground);
        const TRect outer(4, 4, 36, 36);
        TRect r = outer;
        EXPECT_TRUE(ZCLDrawFrame3D(s.Canvas(), r, c.style, light, shadow, c.width));
        EXPECT_TRUE(SameRect(r, TRect(4 + c.shrink, 4 + c.shrink, 36 - c.shrink, 36 - c.shrink)));
        // The outermost line: the top-left colour on the left and top, the other on the right and bottom.
        EXPECT_EQ(s.At(4, 20), c.topLeft);
        EXPECT_EQ(s.At(20, 4), c.topLeft);
        EXPECT_EQ(s.At(35, 20), c.bottomRight);
        EXPECT_EQ(s.At(20, 35), c.bottomRight);
        EXPECT_EQ(s.CountOther(Ground, r), 0);
        // Bands fill their whole width.
        if (c.style != bvFrameRaised && c.style != bvFrameLowered) {
            EXPECT_EQ(s.At(4 + c.width - 1, 20), c.topLeft);
            EXPECT_EQ(s.At(36 - c.width, 20), c.bottomRight);
        }
    }
}

TEST(ZclDrawFrame3D, DrawsNothingForNoWidthNoStyleOrAShadow)
{
    for (auto [style, width] : {std::pair{bvRaised, 0}, std::pair{bvNone, 2}, std::pair{bvShadow, 2}}) {
        Surface s(20, 20, Ground);
        TRect r(2, 2, 18, 18);
        EXPECT_FALSE(ZCLDrawFrame3D(s.Canvas(), r, style, clWhite, clBlack, width));
        EXPECT_TRUE(SameRect(r, TRect(2, 2, 18, 18)));
        EXPECT_EQ(s.Count(Ground), 400);
    }
}

TEST(ZclDrawFrameShadow, ShadowStripsCornersAndOutlines)
{
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        Surface s(40, 40, Ground);
        TRect r(0, 0, 30, 30);
        ZCLDrawFrameShadow(s.Canvas(), r, TColor(Blue), TColor(Red), TColor(Green), 4, 2, transparent, 0);
        EXPECT_EQ(s.At(28, 10), Red);   // right strip
        EXPECT_EQ(s.At(10, 28), Red);   // bottom strip
        EXPECT_EQ(s.At(28, 1), transparent ? Ground : Green);  // uncovered top-right corner
        EXPECT_EQ(s.At(1, 28), transparent ? Ground : Green);
        EXPECT_EQ(s.At(0, 10), Blue);    // two outlines
        EXPECT_EQ(s.At(1, 10), Blue);
        EXPECT_EQ(s.At(25, 10), Blue);
        EXPECT_EQ(s.At(2, 10), Ground);
        EXPECT_TRUE(SameRect(r, TRect(2, 2, 24, 24)));
        EXPECT_EQ(s.CountOther(Ground, TRect(30, 0, 40, 40)), 0);
    }
}

TEST(ZclDrawBorder, TopLeftThenBottomRight)
{
    Surface s(20, 20, Ground);
    ZCLDrawBorder(s.Canvas(), TRect(2, 3, 12, 15), TColor(Green), TColor(Red));
    EXPECT_EQ(s.At(2, 8), Green);
    EXPECT_EQ(s.At(7, 3), Green);
    EXPECT_EQ(s.At(2, 3), Green);
    EXPECT_EQ(s.At(11, 8), Red);
    EXPECT_EQ(s.At(7, 14), Red);
    EXPECT_EQ(s.At(11, 3), Red);
    EXPECT_EQ(s.At(12, 8), Ground);  // the right edge is excluded
    EXPECT_EQ(s.CountOther(Ground, TRect(3, 4, 11, 14)), 0);
}

TEST(ZclDrawTriangle, RowsByDirectionAndSize)
{
    for (int size : {1, 2, 3, 7, 15, 16}) {
        for (bool down : {true, false}) {
            SCOPED_TRACE(testing::Message() << "size " << size << (down ? " down" : " up"));
            Surface s(50, 40, Ground);
            // Pointing up, the rows are centred on X + Size / 2 and reach left of X.
            ZCLDrawTriangle(s.Canvas(), 10, 5, size, TColor(Red), down, true);
            if (size < 2 || size > 15) {
                EXPECT_EQ(s.Count(Red), 0);
                continue;
            }
            for (int i = 0; i < size; ++i) {
                const int width = down ? 2 * (size - i) - 1 : 2 * i + 1;
                const int left = down ? 10 + i : 10 + size / 2 - i;
                EXPECT_EQ(s.Count(Red, TRect(0, 5 + i, 50, 6 + i)), width) << "row " << i;
                EXPECT_EQ(s.At(left, 5 + i), Red) << "row " << i;
            }
            EXPECT_EQ(s.Count(Red), size * size);
        }
    }
}

TEST(ZclDrawTriangle, DisabledIsEmbossed)
{
    Surface s(30, 30, Ground);
    ZCLDrawTriangle(s.Canvas(), 4, 4, 4, TColor(Red), true, false);
    EXPECT_EQ(s.Count(Red), 0);
    EXPECT_EQ(s.At(4, 4), Sys(COLOR_GRAYTEXT));
    EXPECT_EQ(s.At(4 + 7, 4 + 1), Sys(COLOR_HIGHLIGHTTEXT));  // the copy one right and below shows at the edge
}

// Bitmaps ----------------------------------------------------------------------------------------------------

TEST(ZclBmpCreateMasks, ImageBlackWhereTransparentMaskWhiteThere)
{
    auto src = MakeBitmap(10, 6, [](int x, int) { return x < 3 ? Green : Red; });
    TBitmap mask, image;
    ZCLBmpCreateMasks(src.get(), &mask, &image, TColor(Green));
    ASSERT_EQ(image.Width(), 10);
    ASSERT_EQ(mask.Height(), 6);
    EXPECT_TRUE(mask.Monochrome());
    EXPECT_EQ(PixelOf(&mask, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(&mask, 5, 1), 0u);
    EXPECT_EQ(PixelOf(&image, 1, 1), 0u);
    EXPECT_EQ(PixelOf(&image, 5, 1), Red);
    // A part of a canvas.
    ZCLBmpCreateMasksExt(src->Canvas(), TRect(2, 1, 6, 5), &mask, TColor(Green), &image);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(PixelOf(&image, 0, 0), 0u);
    EXPECT_EQ(PixelOf(&image, 1, 0), Red);
    EXPECT_EQ(PixelOf(src.get(), 2, 1), Green);  // the source is left as it was
}

TEST(ZclBmpCreateGrayscale, FourTonesByBrightnessAgainstTheAverage)
{
    // The top-left pixel's colour is kept; the others have brightness 600 (white), 400, 150, 30 (average 295,
    // offset 95): 600 > 645? no -> highlight; 400 > 345 -> highlight; 150 > 145 -> shadow; 30 -> black.
    const std::uint32_t key = 0x00FF00FF;
    auto src = MakeBitmap(5, 1, [&](int x, int) -> std::uint32_t {
        switch (x) {
        case 0: return key;
        case 1: return RGB(200, 200, 200);
        case 2: return RGB(134, 133, 133);
        case 3: return RGB(50, 50, 50);
        default: return RGB(10, 10, 10);
        }
    });
    TBitmap dest;
    ZCLBmpCreateGrayscale(&dest, src.get());
    EXPECT_EQ(PixelOf(&dest, 0, 0), key);
    EXPECT_EQ(PixelOf(&dest, 1, 0), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelOf(&dest, 2, 0), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelOf(&dest, 3, 0), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelOf(&dest, 4, 0), 0u);
    // A picture much brighter than its average turns white.
    auto bright = MakeBitmap(3, 1, [&](int x, int) -> std::uint32_t { return x == 0 ? key : x == 1 ? 0xFFFFFFu : 0u; });
    ZCLBmpCreateGrayscale(&dest, bright.get());
    EXPECT_EQ(PixelOf(&dest, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(&dest, 2, 0), 0u);
}

TEST(ZclBmpWrappers, WholeBitmapDrawnByTheFlagWord)
{
    auto bitmap = MakeBitmap(10, 5, [](int x, int) { return x < 5 ? Green : Red; });
    {
        Surface s(40, 40, Ground);
        ZCLBmpStretchDraw(s.Canvas(), TRect(0, 0, 40, 20), bitmap.get());
        EXPECT_EQ(s.At(1, 1), Green);
        EXPECT_EQ(s.At(38, 18), Red);
        EXPECT_EQ(s.At(20, 20), Ground);
    }
    {
        // Colour replacement draws the bitmap itself; its transparent colour (bottom-left: green) becomes blue.
        Surface s(40, 40, Ground);
        const TRect r = ZCLBmpDraw(s.Canvas(), TRect(3, 3, 40, 40), bitmap.get(), TColor(Blue), 0x80);
        EXPECT_TRUE(SameRect(r, TRect(3, 3, 13, 8)));
        EXPECT_EQ(s.At(4, 4), Blue);
        EXPECT_EQ(s.At(10, 4), Red);
    }
    {
        Surface s(40, 40, Ground);
        ZCLBmpClipDraw(s.Canvas(), TRect(0, 0, 30, 30), bitmap.get(), clNone, 0, 0x21);
        EXPECT_EQ(s.At(21, 11), Green);  // column 1 of the third tile
        EXPECT_EQ(s.At(29, 29), Red);
        EXPECT_EQ(s.At(30, 29), Ground);
    }
}

TEST(ZclBmpWrappers, APaletteSelectedForDrawingIsSelectedOutAgain)
{
    auto bitmap = MakeBitmap(8, 8, [](int x, int) { return x < 4 ? Green : Red; });
    bitmap->SetPixelFormat(pf8bit);
    ASSERT_NE(bitmap->Palette(), nullptr);
    Surface s(20, 20, Ground);
    const HGDIOBJ before = GetCurrentObject(s.dc(), OBJ_PAL);
    ZCLBmpDraw(s.Canvas(), TRect(0, 0, 8, 8), bitmap.get(), clNone, 0x1000);
    ZCLBmpClipDraw(s.Canvas(), TRect(0, 0, 8, 8), bitmap.get(), clNone, 0, 0x1001);
    EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PAL), before);
    EXPECT_EQ(s.At(1, 1), Green);
    EXPECT_EQ(s.At(6, 6), Red);
}

TEST(ZclBmpHelpers, FromRectPatternIconAndDesktop)
{
    TBitmap b;
    ZCLBmpCreateFromRect(&b, TRect(10, 10, 25, 18), TColor(Red));
    EXPECT_EQ(b.Width(), 15);
    EXPECT_EQ(b.Height(), 8);
    EXPECT_EQ(PixelOf(&b, 14, 7), Red);
    ZCLBmpCreateFromRect(&b, TRect(5, 5, 5, 9), TColor(Green));  // empty: nothing
    EXPECT_EQ(b.Width(), 15);

    TBitmap copy;
    ZCLCopyBmpSize(&b, &copy);
    EXPECT_EQ(copy.Width(), 15);
    EXPECT_EQ(copy.Height(), 8);

    // The pattern is and-ed into the destination.
    auto pattern = MakeBitmap(8, 8, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0u; });
    Surface s(20, 20, 0x00FFFFFF);
    ZCLFillPattern(s.dc(), TRect(2, 2, 10, 10), pattern.get());
    std::set<std::uint32_t> inside;
    for (int y = 2; y < 10; ++y)
        for (int x = 2; x < 10; ++x) inside.insert(s.At(x, y));
    EXPECT_EQ(inside, (std::set<std::uint32_t>{0u, 0xFFFFFFu}));
    EXPECT_EQ(s.Count(0), 32);
    EXPECT_EQ(s.At(12, 12), 0xFFFFFFu);

    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512))));  // the application icon
    TBitmap fromIcon;
    ZCLIcon2Bitmap(&fromIcon, &icon, TColor(Blue));
    EXPECT_EQ(fromIcon.Width(), icon.Width());
    EXPECT_GT(fromIcon.Width(), 0);

    TBitmap desktop;
    ZCLBmpFromDesktop(&desktop, TRect(0, 0, 16, 12));
    EXPECT_EQ(desktop.Width(), 16);
    EXPECT_EQ(desktop.Height(), 12);
}

// Gradients --------------------------------------------------------------------------------------------------

TEST(ZclGradientColors, ListsGetColorAndPalettes)
{
    TList list;
    ZCLGradientCreateColorList(TColor(0x000000), TColor(0x0A1400), 3, true, &list);
    EXPECT_EQ(Colors(list), (std::vector<std::uint32_t>{0x000000, 0x050A00, 0x0A1400}));
    // Appending leaves out the run's first colour, which ends the run before.
    ZCLGradientCreateColorList(TColor(0x0A1400), TColor(0x0A1464), 3, false, &list);
    EXPECT_EQ(Colors(list), (std::vector<std::uint32_t>{0x000000, 0x050A00, 0x0A1400, 0x0A1432, 0x0A1464}));
    // Falling channels round as the system's multiply-divide does.
    ZCLGradientCreateColorList(TColor(0x0000FF), TColor(0x000000), 4, true, &list);
    EXPECT_EQ(Colors(list), (std::vector<std::uint32_t>{0x0000FF, 0x0000AA, 0x000055, 0x000000}));
    // One step is the first colour: no channel of 0 turns into 255.
    ZCLGradientCreateColorList(TColor(0x000010), TColor(0xFFFFFF), 1, true, &list);
    EXPECT_EQ(Colors(list), (std::vector<std::uint32_t>{0x000010}));
    ZCLGradientCreateColorList(TColor(0x000010), TColor(0xFFFFFF), 0, true, &list);
    EXPECT_EQ(list.Count(), 1);  // Count 0 does nothing, not even clearing
    // System colours are resolved.
    ZCLGradientCreateColorList(clBtnFace, clBtnFace, 2, true, &list);
    EXPECT_EQ(Colors(list), (std::vector<std::uint32_t>{Sys(COLOR_BTNFACE), Sys(COLOR_BTNFACE)}));

    EXPECT_EQ(std::uint32_t(ZCLGradientGetColor(TColor(0x000000), TColor(0x0000FF), 1, 2)), 0x000080u);  // 127.5 -> 128
    EXPECT_EQ(std::uint32_t(ZCLGradientGetColor(TColor(0x000000), TColor(0x0000FF), 1, 4)), 0x000040u);  // 63.75
    EXPECT_EQ(std::uint32_t(ZCLGradientGetColor(TColor(0x102030), TColor(0x0000FF), 3, 0)), 0x102030u);

    EXPECT_EQ(ZCLGradientCreatePalette(nullptr), nullptr);
    TList empty;
    EXPECT_EQ(ZCLGradientCreatePalette(&empty), nullptr);
    ZCLGradientCreateColorList(TColor(0x000000), TColor(0xFFFFFF), 5, true, &list);
    PaletteHandle palette(ZCLGradientCreatePalette(&list));
    ASSERT_TRUE(palette);
    PALETTEENTRY entries[8]{};
    ASSERT_EQ(GetPaletteEntries(palette.get(), 0, 8, entries), 5u);
    EXPECT_EQ(entries[2].peRed, 0x80);
    EXPECT_EQ(entries[4].peBlue, 0xFF);
}

TEST(ZclGradientPaint, StripesByRoundedMultiplyDivide)
{
    TList list;
    for (std::uint32_t c : {Red, Green, Blue, 0x00FFFFu}) list.Add(reinterpret_cast<void*>(std::uintptr_t(c)));
    {
        Surface s(20, 10, Ground);
        ZCLGradientPaintExt(s.Canvas(), TRect(5, 2, 15, 8), gstHorizontal, &list, nullptr, 0, 0);
        const std::uint32_t want[10] = {Red, Red, Red, Green, Green, Blue, Blue, Blue, 0x00FFFF, 0x00FFFF};
        for (int x = 0; x < 10; ++x) EXPECT_EQ(s.At(5 + x, 4), want[x]) << x;
        EXPECT_EQ(s.At(4, 4), Ground);
        EXPECT_EQ(s.At(15, 4), Ground);
        EXPECT_EQ(s.CountOther(Ground, TRect(0, 0, 20, 2)), 0);
        EXPECT_EQ(s.CountOther(Ground, TRect(0, 8, 20, 10)), 0);
    }
    {
        Surface s(10, 20, Ground);
        ZCLGradientPaintExt(s.Canvas(), TRect(0, 0, 10, 10), gstVertical, &list, nullptr, 0, 0);
        EXPECT_EQ(s.At(5, 0), Red);
        EXPECT_EQ(s.At(5, 3), Green);
        EXPECT_EQ(s.At(5, 9), 0x00FFFFu);
        EXPECT_EQ(s.At(5, 10), Ground);
    }
}

TEST(ZclGradientPaint, AGradientOfOneColourIsThatColour)
{
    for (TZCLGradientStyle style : {gstHorizontal, gstVertical, gstSquare, gstTopLeft, gstBottomRight}) {
        Surface s(30, 30, Ground);
        ZCLGradientPaint(s.Canvas(), TRect(5, 5, 25, 25), TColor(0x000010), TColor(0xFFFFFF), 1, style, 0x0001, 0);
        EXPECT_EQ(s.Count(0x000010, TRect(5, 5, 25, 25)), 400) << "style " << int(style);
        EXPECT_EQ(s.Count(0x000010), 400);
    }
}

TEST(ZclGradientPaint, NestedShapesFromTheLastColourToTheFirst)
{
    // Two colours on 10 x 10: the last colour covers all, the first one the half at its corner or centre.
    TList list;
    list.Add(reinterpret_cast<void*>(std::uintptr_t(Red)));
    list.Add(reinterpret_cast<void*>(std::uintptr_t(Green)));
    struct Case {
        TZCLGradientStyle style;
        TRect red;  // relative to R
    } const cases[] = {
        {gstTopLeft, TRect(0, 0, 5, 5)},
        {gstTopRight, TRect(5, 0, 10, 5)},
        {gstBottomLeft, TRect(0, 5, 5, 10)},
        {gstBottomRight, TRect(5, 5, 10, 10)},
        {gstSquare, TRect(3, 3, 8, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << int(c.style));
        Surface s(30, 30, Ground);
        ZCLGradientPaintExt(s.Canvas(), TRect(10, 10, 20, 20), c.style, &list, nullptr, 0x0004, 0);
        TRect red = c.red;
        OffsetRect(&red, 10, 10);
        EXPECT_TRUE(SameRect(s.Bounds(Red), red));
        EXPECT_EQ(s.Count(Red) + s.Count(Green), 100);
    }
}

TEST(ZclGradientPaint, OneEllipseWithHalfAxesOfTheSidesOverOnePointFour)
{
    TList list;
    list.Add(reinterpret_cast<void*>(std::uintptr_t(Red)));
    // R = (40, 30, 100, 70): W 60, H 40, centre (70, 50); half-axes round(42.86) = 43 and round(28.57) = 29.
    Surface s(140, 100, Ground);
    ZCLGradientPaintExt(s.Canvas(), TRect(40, 30, 100, 70), gstElliptic, &list, nullptr, 0, 0);
    const TRect b = s.Bounds(Red);
    EXPECT_NEAR(b.left, 70 - 43, 1);
    EXPECT_NEAR(b.right, 70 + 43, 1);
    EXPECT_NEAR(b.top, 50 - 29, 1);
    EXPECT_NEAR(b.bottom, 50 + 29, 1);
    // Clipped to R, the same ellipse stays inside R and fills its middle.
    Surface c(140, 100, Ground);
    ZCLGradientPaintExt(c.Canvas(), TRect(40, 30, 100, 70), gstElliptic, &list, nullptr, 0x0001, 0);
    EXPECT_TRUE(SameRect(c.Bounds(Red), TRect(40, 30, 100, 70)));
    EXPECT_FALSE(ClipOf(c.dc()).has);
}

TEST(ZclGradientPaint, ClippingGivesTheCallersRegionBackAndPaletteIsSelectedOut)
{
    Surface s(40, 40, Ground);
    RegionHandle own(CreateRectRgn(0, 0, 20, 40));
    SelectClipRgn(s.dc(), own.get());
    const HGDIOBJ palette = GetCurrentObject(s.dc(), OBJ_PAL);
    ZCLGradientPaint(s.Canvas(), TRect(5, 5, 35, 35), TColor(Red), TColor(Blue), 8, gstTopLeftDiagonal, 0x1001,
                     0x00030002);
    // Clipped to R moved by (2, 3), within the caller's region.
    EXPECT_TRUE(SameRect(s.Bounds([](std::uint32_t p) { return p != Ground; }), TRect(7, 8, 20, 38)));
    const ClipState after = ClipOf(s.dc());
    EXPECT_TRUE(after.has);
    EXPECT_TRUE(SameRect(after.box, TRect(0, 0, 20, 40)));
    EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PAL), palette);
    // The canvas's pen and brush are as they were.
    EXPECT_EQ(s.Canvas()->Pen()->Style(), psSolid);
    EXPECT_EQ(s.Canvas()->Brush()->Style(), bsSolid);
}

TEST(ZclSuperGradientPaint, ShowsItsFirstColourAndEndsWithTheLast)
{
    const TColor colors[] = {TColor(0x000000), TColor(0x0000FF), TColor(0x00FF00)};
    Surface s(100, 10, Ground);
    ZCLSuperGradientPaint(s.Canvas(), TRect(0, 0, 90, 10), colors, 10, gstHorizontal, 0, 0);
    // Two segments of five steps: 0..4 from black to red, then 4 more to green: nine bands of 10 pixels.
    std::set<std::uint32_t> bands;
    for (int x = 0; x < 90; ++x) bands.insert(s.At(x, 5));
    EXPECT_EQ(bands.size(), 9u);
    EXPECT_EQ(s.At(0, 5), 0x000000u);
    EXPECT_EQ(s.At(9, 5), 0x000000u);
    EXPECT_EQ(s.At(40, 5), 0x0000FFu);
    EXPECT_EQ(s.At(89, 5), 0x00FF00u);
    EXPECT_EQ(s.At(90, 5), Ground);
}

TEST(ZclSuperGradientPaint, NothingForOneColourOrTooFewSteps)
{
    const TColor one[] = {TColor(Red)};
    const TColor three[] = {TColor(Red), TColor(Green), TColor(Blue)};
    Surface s(30, 30, Ground);
    ZCLSuperGradientPaint(s.Canvas(), TRect(0, 0, 30, 30), one, 10, gstHorizontal, 0, 0);
    ZCLSuperGradientPaint(s.Canvas(), TRect(0, 0, 30, 30), three, 3, gstHorizontal, 0, 0);  // 1 step a segment
    EXPECT_EQ(s.Count(Ground), 900);
}

// Button faces -----------------------------------------------------------------------------------------------

TEST(ZclDrawBtnFace, ContentRectangleByLookAndState)
{
    const TRect outer(2, 2, 42, 26);
    struct Case {
        TZCLUserButtonStyle style;
        TZCLButtonState state;
        std::uint16_t flags;
        TRect content;
    } const cases[] = {
        {ubsWin31, bsUp, 0x01, TRect(6, 6, 38, 22)},
        {ubsWin31, bsDown, 0x01, TRect(7, 7, 39, 23)},
        {ubsWin31, bsUp, 0x03, TRect(7, 7, 37, 21)},  // the outer frame takes a pixel on every side
        {ubsWin40, bsUp, 0x00, TRect(5, 5, 39, 23)},
        {ubsWin40, bsDown, 0x00, TRect(6, 6, 40, 24)},
        {ubsWin40, bsUp, 0x04, TRect(5, 5, 39, 23)},
        {ubsWin40, bsDisabledDown, 0x0C, TRect(6, 6, 40, 24)},
        {ubsVesto, bsUp, 0x00, TRect(5, 5, 39, 23)},
        {ubsFlat, bsMouseOver, 0x00, TRect(5, 5, 39, 23)},
        {ubsNavigator, bsDown, 0x00, TRect(6, 6, 40, 24)},
        {ubsIntegrated, bsUp, 0x20, TRect(6, 6, 38, 22)},
        {ubsExplorer, bsUp, 0x00, TRect(5, 5, 39, 23)},
        {ubsExplorer, bsDown, 0x00, TRect(6, 6, 40, 24)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << int(c.style) << " state " << int(c.state) << " flags "
                                        << c.flags);
        Surface s(44, 28, Ground);
        TRect r = outer;
        EXPECT_TRUE(ZCLDrawBtnFace(s.Canvas(), false, r, c.style, c.state, c.flags, TColor(Green)));
        EXPECT_TRUE(SameRect(r, c.content));
        EXPECT_EQ(s.CountOther(Ground, TRect(0, 0, 44, 2)), 0);  // nothing outside
    }
}

TEST(ZclDrawBtnFace, ExplorerStylePaintsNothingUpAndOnlyASunkenEdgeDown)
{
    Surface up(30, 30, Ground);
    TRect r(0, 0, 30, 30);
    ZCLDrawBtnFace(up.Canvas(), true, r, ubsExplorer, bsUp, 0, TColor(Green));
    EXPECT_EQ(up.Count(Ground), 900);

    Surface down(30, 30, Ground);
    r = TRect(0, 0, 30, 30);
    ZCLDrawBtnFace(down.Canvas(), false, r, ubsExplorer, bsDown, 0, TColor(Green));
    EXPECT_EQ(down.At(0, 15), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(down.At(29, 15), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(down.CountOther(Ground, TRect(1, 1, 29, 29)), 0);
}

TEST(ZclDrawBtnFace, FaceColourOptionSetCheckerboardAndFocus)
{
    {
        Surface s(30, 30, Ground);
        TRect r(0, 0, 30, 30);
        ZCLDrawBtnFace(s.Canvas(), false, r, ubsFlat, bsUp, 0, TColor(Green));
        EXPECT_EQ(s.Count(Green), 900);  // the flat look at rest is only the face
    }
    {
        Surface s(30, 30, Ground);
        TRect r(0, 0, 30, 30);
        ZCLDrawBtnFace(s.Canvas(), false, r, ubsFlat, bsOptionSet, 0, TColor(Green));
        EXPECT_NE(s.At(10, 10), s.At(11, 10));  // the checkerboard of the face colour and white
        EXPECT_EQ(s.At(10, 10), s.At(11, 11));
        std::set<std::uint32_t> face{s.At(10, 10), s.At(11, 10)};
        EXPECT_EQ(face, (std::set<std::uint32_t>{Green, 0xFFFFFFu}));
        EXPECT_EQ(s.Canvas()->Brush()->Bitmap(), nullptr);  // the application's bitmap is not left on the canvas
    }
    {
        Surface s(30, 30, Ground);
        TRect r(0, 0, 30, 30);
        ZCLDrawBtnFace(s.Canvas(), false, r, ubsWin40, bsUp, 0x02, TColor(Green));
        // The focus rectangle (dotted, xor) lies 4 pixels in: the outer frame took one, the focus 3 more.
        int changed = 0;
        for (int x = 8; x < 22; ++x) changed += s.At(x, 4) != Green;
        EXPECT_GT(changed, 0);
        EXPECT_EQ(s.At(15, 15), Green);
    }
}

TEST(ZclDrawBtnIsFlat, TheSixFlatStyles)
{
    std::set<int> flat;
    for (int s = ubsAutoDetect; s <= ubsIntegrated; ++s)
        if (ZCLDrawBtnIsFlat(TZCLUserButtonStyle(s))) flat.insert(s);
    EXPECT_EQ(flat, (std::set<int>{ubsVestoFlat, ubsFlat, ubsFlatUnColored, ubsNavigator, ubsExplorer,
                                   ubsExplorerColored}));
    EXPECT_EQ(ZCLGetCtrlBorderWidth(true, bsSingle), 2);
    EXPECT_EQ(ZCLGetCtrlBorderWidth(false, bsSingle), 1);
    EXPECT_EQ(ZCLGetCtrlBorderWidth(true, bsNone), 0);
    EXPECT_EQ(ZCLGetCtrlBorderWidth(true, bsSizeable), 0);
}

TEST(ZclDrawHelpers, GiveBackEveryGdiObjectOverRepeatedCalls)
{
    Surface s(80, 80, Ground);
    const TColor colors[] = {TColor(Red), TColor(Green), TColor(Blue)};
    auto round = [&] {
        for (int style = lsNone; style <= lsDoubleLowered; ++style) {
            TRect r(0, 0, 40, 40);
            ZCLDrawStdFrame(s.Canvas(), r, TZCLBorderStyle(style), 0);
        }
        TRect r(0, 0, 40, 40);
        ZCLDrawFrame3D(s.Canvas(), r, bvRaised, clWhite, clGray, 3);
        ZCLDrawFrameShadow(s.Canvas(), r, clBlack, clGray, clWhite, 3, 1, false, 0);
        ZCLDrawTriangle(s.Canvas(), 50, 50, 5, clBlack, true, false);
        for (int style = gstHorizontal; style <= gstTopRightDiagonal; ++style) {
            ZCLGradientPaint(s.Canvas(), TRect(0, 0, 60, 60), clRed, clBlue, 16, TZCLGradientStyle(style), 0x1001, 0);
            ZCLGradientPaint(s.Canvas(), TRect(0, 0, 60, 60), clRed, clBlue, 16, TZCLGradientStyle(style), 0x0004, 0);
        }
        ZCLSuperGradientPaint(s.Canvas(), TRect(0, 0, 60, 60), colors, 30, gstElliptic, 0x0001, 0);
        for (int st = bsUp; st <= bsDisabledDown; ++st)
            for (int style = ubsAutoDetect; style <= ubsIntegrated; ++style) {
                TRect b(0, 0, 40, 24);
                ZCLDrawBtnFace(s.Canvas(), st == bsMouseOver, b, TZCLUserButtonStyle(style), TZCLButtonState(st),
                               0x03, clBtnFace);
            }
    };
    round();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 10; ++i) round();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}
