// Text helpers: alignment, measuring with 3D extents and rotation, three-dimensional text whose copies lie at the
// style's offsets, clipping that gives the caller's region back, and the glyph-and-text layout.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "DrawTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Handles.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"

using namespace drawtest;

namespace {

constexpr std::uint32_t White = 0xFFFFFF;

std::unique_ptr<TFont> BigFont(int size = 28)
{
    auto f = std::make_unique<TFont>();
    f->SetName("Arial");
    f->SetSize(size);
    f->SetStyle(TFontStyles{fsBold});
    return f;
}

// The extent DrawText itself measures for the text in the font.
TSize Measured(const AnsiString& text, TFont* font, UINT flags = DT_SINGLELINE | DT_NOPREFIX)
{
    WindowDC dc(nullptr);
    SelectedObject selected(dc.get(), font->Handle());
    TRect r(0, 0, 0, 0);
    DrawTextA(dc.get(), text.c_str(), text.Length(), &r, flags | DT_CALCRECT | DT_EXPANDTABS);
    return TSize(r.Width(), r.Height());
}

// Strongly coloured pixels only, so that smoothed edges do not count.
bool IsRed(std::uint32_t c) { return (c & 0xFF) > 200 && (c >> 8 & 0xFF) < 80 && (c >> 16 & 0xFF) < 80; }
bool IsGreen(std::uint32_t c) { return (c >> 8 & 0xFF) > 200 && (c & 0xFF) < 80 && (c >> 16 & 0xFF) < 80; }
bool IsBlue(std::uint32_t c) { return (c >> 16 & 0xFF) > 200 && (c & 0xFF) < 80 && (c >> 8 & 0xFF) < 80; }

void Set3D(TZCL3DCaption& c, TZCLThreeDStyle style, int light, int shadow)
{
    c.SetStyle(style);
    c.SetLightDepth(std::uint8_t(light));
    c.SetShadowDepth(std::uint8_t(shadow));
    c.SetLightColor(TColor(0x00FF00));
    c.SetShadowColor(TColor(0xFF0000));
}

}  // namespace

TEST(ZclAlignRect, PlacesBySideAndHalvesTheFreeRoomTowardsZero)
{
    const int dx[9] = {0, 10, 20, 0, 10, 20, 0, 10, 20};
    const int dy[9] = {0, 0, 0, 7, 7, 7, 14, 14, 14};
    for (int a = agTopLeft; a <= agBottomRight; ++a) {
        const TRect r = ZCLAlignRect(TZCLAlignment(a), TRect(50, 50, 60, 56), TRect(5, 5, 35, 25));
        EXPECT_TRUE(SameRect(r, Bounds(5 + dx[a], 5 + dy[a], 10, 6))) << "alignment " << a;
    }
    // Larger than the area: centred starts half the overhang before it, towards zero.
    EXPECT_TRUE(SameRect(ZCLAlignRect(agCenter, TRect(0, 0, 15, 13), TRect(0, 0, 10, 10)), TRect(-2, -1, 13, 12)));
    EXPECT_EQ(ZCLAlignmentFlags(agBottomCenter), 9u);
    EXPECT_EQ(ZCLAlignmentFlags(agCenterRight), 6u);
}

TEST(ZclDrawTextCalc, MeasuresWithBorderAndThreeDExtents)
{
    auto font = BigFont(12);
    const TSize plain = Measured("Hello", font.get());
    const TSize space = Measured(" ", font.get());
    struct Case {
        const char* name;
        AnsiString text;
        TZCLThreeDStyle style;
        bool withCaption;
        int border;
        TSize expected;
    } const cases[] = {
        {"no caption", "Hello", tdNone, false, 0, TSize(plain.cx + 2, plain.cy + 2)},
        {"border 2", "Hello", tdNone, false, 2, TSize(plain.cx + 6, plain.cy + 6)},
        {"empty text is a space", "", tdNone, false, 0, TSize(space.cx + 2, space.cy + 2)},
        {"sunken adds the light depth", "Hello", tdSunken, true, 0, TSize(plain.cx + 4, plain.cy + 4)},
        {"sunken shadow adds both", "Hello", tdSunkenShadow, true, 0, TSize(plain.cx + 7, plain.cy + 7)},
        {"shadow adds the shadow depth", "Hello", tdShadow, true, 0, TSize(plain.cx + 5, plain.cy + 5)},
        {"outline", "Hello", tdOutline, true, 0, TSize(plain.cx + 5, plain.cy + 5)},
        {"extrude", "Hello", tdExtrudeEnh, true, 1, TSize(plain.cx + 7, plain.cy + 7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TZCL3DCaption caption;
        Set3D(caption, c.style, 2, 3);
        TRect r(7, 9, 500, 9);
        ZCLDrawTextCalc(c.text, c.withCaption ? &caption : nullptr, r, font.get(), false, false, c.border, 0);
        EXPECT_EQ(r.left, 7);
        EXPECT_EQ(r.top, 9);
        EXPECT_EQ(r.Width(), c.expected.cx);
        EXPECT_EQ(r.Height(), c.expected.cy);
    }
}

TEST(ZclDrawTextCalc, TracingPrefixesAndWrapping)
{
    auto font = BigFont(12);
    TZCL3DCaption traced;
    traced.SetTracing(4);
    TRect a(0, 0, 500, 0), b(0, 0, 500, 0);
    ZCLDrawTextCalc("Hello", nullptr, a, font.get(), false, false, 0, 0);
    ZCLDrawTextCalc("Hello", &traced, b, font.get(), false, false, 0, 0);
    EXPECT_EQ(b.Width() - a.Width(), 5 * 4);

    // "&" is a prefix only when accelerators are shown: then it alone is measured as a space.
    TRect amp(0, 0, 500, 0), ampShown(0, 0, 500, 0), space(0, 0, 500, 0);
    ZCLDrawTextCalc("&", nullptr, amp, font.get(), false, false, 0, 0);
    ZCLDrawTextCalc("&", nullptr, ampShown, font.get(), false, true, 0, 0);
    ZCLDrawTextCalc(" ", nullptr, space, font.get(), false, true, 0, 0);
    EXPECT_EQ(ampShown.Width(), space.Width());
    EXPECT_GT(amp.Width(), space.Width());

    // Multi-line text wraps at R's width.
    const AnsiString words = "one two three four five six seven";
    TRect single(0, 0, 80, 0), multi(0, 0, 80, 0);
    ZCLDrawTextCalc(words, nullptr, single, font.get(), false, false, 0, 0);
    ZCLDrawTextCalc(words, nullptr, multi, font.get(), true, false, 0, 0);
    EXPECT_GT(multi.Height(), 2 * (single.Height() - 2));
    EXPECT_LE(multi.Width(), 80 + 2);
}

TEST(ZclDrawTextCalcExt, ACanvasWithADcOfItsOwnKeepsIt)
{
    auto font = BigFont(12);
    Surface s(20, 20);
    HDC before = s.Canvas()->Handle();
    TRect r(0, 0, 200, 0);
    ZCLDrawTextCalcExt(s.Canvas(), "Hello", nullptr, r, font.get(), false, false, 0, 0);
    EXPECT_EQ(s.Canvas()->Handle(), before);
    EXPECT_EQ(r.Width(), Measured("Hello", font.get()).cx + 2);
}

TEST(ZclDrawTextCalc, ARotatedCaptionIsItsTurnedBoxWithThePositionInside)
{
    auto font = BigFont(14);
    const TSize text = Measured("Turned", font.get());
    TZCLFxCaption fx;
    int changes = 0;
    fx.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    fx.SetAngle(90);
    changes = 0;
    TRect r(0, 0, 300, 0);
    ZCLDrawTextCalc("Turned", &fx, r, font.get(), false, false, 0, 0);
    // Turned a quarter: the text's height across, its width down (plus the border of 1 each side).
    EXPECT_NEAR(r.Width(), text.cy + 2, 1);
    EXPECT_NEAR(r.Height(), text.cx + 2, 1);
    EXPECT_LE(fx.PosX(), 1);
    EXPECT_NEAR(fx.PosY(), text.cx, 1);
    EXPECT_EQ(changes, 1);  // the position changed: PosY

    // Every angle keeps the position inside the box: nothing is stored below 0 or wrapped.
    for (int angle = 1; angle < 360; angle += 7) {
        for (TZCLThreeDStyle style : {tdNone, tdSunken, tdShadow, tdExtrude}) {
            TZCLFxCaption turned;
            turned.SetAngle(angle);
            turned.SetStyle(style);
            turned.SetShadowDepth(4);
            TRect box(0, 0, 300, 0);
            ZCLDrawTextCalc("Turned", &turned, box, font.get(), false, false, 0, 0);
            EXPECT_LE(turned.PosX(), box.Width()) << "angle " << angle << " style " << int(style);
            EXPECT_LE(turned.PosY(), box.Height()) << "angle " << angle << " style " << int(style);
        }
    }
    // Back at 0 the position is cleared, without a change notification.
    fx.SetAngle(0);
    changes = 0;
    TRect straight(0, 0, 300, 0);
    ZCLDrawTextCalc("Turned", &fx, straight, font.get(), false, false, 0, 0);
    EXPECT_EQ(fx.PosX(), 0);
    EXPECT_EQ(fx.PosY(), 0);
    EXPECT_EQ(changes, 0);
}

TEST(ZclFxCaption, PositionsAreHeldToSixteenUnsignedBits)
{
    TZCLFxCaption fx;
    fx.SetPosX(-3);
    EXPECT_EQ(fx.PosX(), 0);
    fx.SetPosY(70000);
    EXPECT_EQ(fx.PosY(), 65535);
    fx.SetPosX(65535);
    EXPECT_EQ(fx.PosX(), 65535);
    fx.SetPosX(65536);
    EXPECT_EQ(fx.PosX(), 65535);
    fx.SetPosX(0);
    EXPECT_EQ(fx.PosX(), 0);
    fx.SetPosXY(-1, 12);
    EXPECT_EQ(fx.PosX(), 0);
    EXPECT_EQ(fx.PosY(), 12);
}

TEST(ZclDrawTextExt, EachThreeDStyleDrawsItsCopiesAtItsOffsets)
{
    auto font = BigFont(28);
    font->SetColor(TColor(0x0000FF));
    struct Case {
        const char* name;
        TZCLThreeDStyle style;
        TZCLThreeDOrientation orientation;
        int light, shadow;
        // Where the edge of the light (green) or shadow (blue) copy lies against the text's (red).
        int greenLeft, blueRight;  // green.left - red.left, blue.right - red.right (999: no such copy)
    } const cases[] = {
        {"sunken", tdSunken, toTopLeft, 2, 1, 999, 999},
        {"raised", tdRaised, toTopLeft, 2, 1, -2, 999},
        {"shadow", tdShadow, toTopLeft, 1, 3, 999, 3},
        {"raised shadow", tdRaisedShadow, toTopLeft, 1, 2, -1, 2},
        {"extrude to the top left", tdExtrude, toTopLeft, 1, 4, 999, 999},
        {"extrude to the bottom right", tdExtrude, toBottomRight, 1, 4, 999, 3},
        {"none", tdNone, toTopLeft, 1, 1, 999, 999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Surface s(200, 90, White);
        s.Canvas()->SetFont(font.get());
        TZCL3DCaption caption;
        Set3D(caption, c.style, c.light, c.shadow);
        caption.SetOrientation(c.orientation);
        ZCLDrawTextExt(s.Canvas(), "HH", &caption, TRect(20, 10, 190, 85), DT_SINGLELINE | DT_NOPREFIX,
                       TZCLDrawTextStyles{dtEnabled}, nullptr);
        const TRect red = s.Bounds(IsRed), green = s.Bounds(IsGreen), blue = s.Bounds(IsBlue);
        ASSERT_FALSE(red.IsEmpty());
        if (c.style == tdSunken) {
            EXPECT_EQ(green.right - red.right, 2);  // the light copy below and right
        }
        if (c.greenLeft != 999) {
            EXPECT_EQ(green.left - red.left, c.greenLeft);
        }
        if (c.blueRight != 999) {
            EXPECT_EQ(blue.right - red.right, c.blueRight);
        }
        if (c.style == tdExtrude && c.orientation == toTopLeft) {
            // Shadow steps at 1..4, the text at 4: the extrusion shows 3 pixels above and left.
            EXPECT_EQ(red.left - blue.left, 3);
            EXPECT_EQ(red.top - blue.top, 3);
        }
        if (c.style == tdNone) {
            EXPECT_TRUE(green.IsEmpty());
            EXPECT_TRUE(blue.IsEmpty());
        }
        // The canvas's text colour is its font's again.
        EXPECT_EQ(GetTextColor(s.dc()), COLORREF(0x0000FF));
    }
}

TEST(ZclDrawTextExt, DisabledTextAndPaletteColouredStyles)
{
    auto font = BigFont(20);
    font->SetColor(TColor(0x0000FF));
    {
        // Disabled: the grey-text colour; with ds3d also a sunken light copy.
        Surface s(160, 60, White);
        s.Canvas()->SetFont(font.get());
        TZCL3DCaption caption;
        Set3D(caption, tdNone, 2, 1);
        caption.SetDisabledStyle(ds3d);
        ZCLDrawTextExt(s.Canvas(), "HH", &caption, TRect(5, 5, 150, 55), DT_SINGLELINE, TZCLDrawTextStyles{}, nullptr);
        const std::uint32_t grey = Sys(COLOR_GRAYTEXT);
        EXPECT_FALSE(s.Bounds(grey).IsEmpty());
        EXPECT_EQ(s.Bounds(IsGreen).right - s.Bounds(grey).right, 2);
        EXPECT_TRUE(s.Bounds(IsRed).IsEmpty());
    }
    {
        // The palette-coloured styles draw the text in the brush colour.
        Surface s(160, 60, White);
        s.Canvas()->SetFont(font.get());
        s.Canvas()->Brush()->SetColor(TColor(0x00FF00));
        TZCL3DCaption caption;
        Set3D(caption, tdPColorSunken, 1, 1);
        caption.SetLightColor(TColor(0xFFFF00));
        caption.SetShadowColor(TColor(0xFF00FF));
        ZCLDrawTextExt(s.Canvas(), "HH", &caption, TRect(5, 5, 150, 55), DT_SINGLELINE,
                       TZCLDrawTextStyles{dtEnabled}, nullptr);
        EXPECT_FALSE(s.Bounds(IsGreen).IsEmpty());
        EXPECT_TRUE(s.Bounds(IsRed).IsEmpty());
        EXPECT_EQ(s.At(2, 2), White);  // the brush was made clear: no background painted
    }
}

TEST(ZclDrawTextExt, ClippingStaysInsideAndGivesTheCallersRegionBack)
{
    auto font = BigFont(28);
    font->SetColor(TColor(0x0000FF));
    for (bool callerClip : {false, true}) {
        SCOPED_TRACE(callerClip ? "with the caller's region" : "without one");
        Surface s(200, 80, White);
        s.Canvas()->SetFont(font.get());
        if (callerClip) {
            RegionHandle own(CreateRectRgn(0, 0, 150, 80));
            SelectClipRgn(s.dc(), own.get());
        }
        TZCL3DCaption caption;
        Set3D(caption, tdShadow, 1, 3);
        const TRect clip(10, 10, 40, 30);
        ZCLDrawTextExt(s.Canvas(), "HHHH", &caption, TRect(10, 10, 190, 75), DT_SINGLELINE,
                       TZCLDrawTextStyles{dtEnabled, dtClip}, &clip);
        const TRect drawn = s.Bounds([](std::uint32_t p) { return p != White; });
        EXPECT_FALSE(drawn.IsEmpty());
        EXPECT_GE(drawn.left, 10);
        EXPECT_LE(drawn.right, 40);
        EXPECT_LE(drawn.bottom, 30);
        const ClipState after = ClipOf(s.dc());
        EXPECT_EQ(after.has, callerClip);
        if (callerClip) {
            EXPECT_TRUE(SameRect(after.box, TRect(0, 0, 150, 80)));
        }
    }
}

TEST(ZclDrawTextExt, ARotatedCaptionDrawsInsideItsMeasuredBox)
{
    auto font = BigFont(16);
    font->SetColor(TColor(0x0000FF));
    for (int angle : {45, 90, 180, 270}) {
        SCOPED_TRACE(testing::Message() << "angle " << angle);
        TZCLFxCaption fx;
        fx.SetAngle(angle);
        TRect box(0, 0, 400, 0);
        ZCLDrawTextCalc("Turned", &fx, box, font.get(), false, false, 0, 0);
        Surface s(200, 200, White);
        s.Canvas()->SetFont(font.get());
        OffsetRect(&box, 30, 30);
        ZCLDrawTextExt(s.Canvas(), "Turned", &fx, box, 0, TZCLDrawTextStyles{dtEnabled}, nullptr);
        const TRect red = s.Bounds(IsRed);
        ASSERT_FALSE(red.IsEmpty());
        EXPECT_GE(red.left, box.left - 1);
        EXPECT_GE(red.top, box.top - 1);
        EXPECT_LE(red.right, box.right + 1);
        EXPECT_LE(red.bottom, box.bottom + 1);
        // Turned, it is taller than wide at 90 and 270 degrees.
        if (angle == 90 || angle == 270) {
            EXPECT_GT(red.Height(), red.Width());
        }
    }
}

TEST(ZclTextWidths, ThreeDWidthHeightAndTrueType)
{
    auto font = BigFont(12);
    const TSize plain = Measured("Hello", font.get());
    TZCL3DCaption shadow;
        Set3D(shadow, tdShadow, 2, 3);
    TZCL3DCaption extrude;
        Set3D(extrude, tdExtrude, 2, 3);
    EXPECT_EQ(ZCLGet3DTextWidth("Hello", nullptr, font.get()), 0);
    EXPECT_EQ(ZCLGet3DTextWidth("Hello", &shadow, font.get()), plain.cx + 3);
    EXPECT_EQ(ZCLGet3DTextWidth("Hello", &extrude, font.get()), plain.cx);  // extrusion is not counted here
    EXPECT_EQ(ZCLGetFontHeight(font.get()), plain.cy);
    EXPECT_EQ(ZCLGet3DTextHeight(&shadow, font.get()), plain.cy + 3);
    EXPECT_TRUE(ZCLIsTrueTypeFont(font.get()));
    Surface s(10, 10);
    s.Canvas()->SetFont(font.get());
    EXPECT_TRUE(ZCLIsTrueTypeFontCheck(s.Canvas()));
}

// Glyph and text ---------------------------------------------------------------------------------------------

namespace {

struct Layouted {
    TZCLGlyphTextRects rects;
    TRect focus;
};

Layouted Layout(TCanvas* canvas, const AnsiString& text, TBitmap* glyph, TZCLGlyphTextLayout& layout,
                TZCLDrawTextStyles styles, const TRect& r = TRect(0, 0, 200, 100))
{
    Layouted out;
    out.focus = glyph ? TRect(0, 0, glyph->Width(), glyph->Height()) : TRect();
    ZCLDrawTextAndGlyphExt(canvas, text, nullptr, r, glyph ? glyph->Canvas() : nullptr, out.focus, nullptr, clNone,
                           &layout, false, false, false, styles, 0, out.rects);
    return out;
}

}  // namespace

TEST(ZclDrawTextAndGlyph, ArrangesTextAroundTheGlyph)
{
    auto font = BigFont(7);
    Surface s(220, 120, White);
    s.Canvas()->SetFont(font.get());
    auto glyph = MakeBitmap(16, 16, [](int, int) { return 0x0000FFu; });
    TRect measured(0, 0, 200, 0);
    ZCLDrawTextCalc("Abc", nullptr, measured, font.get(), false, false, 0, 0);
    const int tw = measured.Width(), th = measured.Height();
    ASSERT_LT(th, 16);  // the glyph is the taller: the text is centred against it
    const int sp = 5;
    const int dT = (16 - th) / 2;
    const int mw = std::max(tw, 16);
    const int dTx = mw > tw ? (mw - tw) / 2 : 0, dGx = mw > 16 ? (mw - 16) / 2 : 0;
    struct Case {
        TZCLTextArrange arrange;
        TPoint glyph, text;
    } const cases[] = {
        {taLeft, TPoint(tw + sp, 0), TPoint(0, dT)},
        {taLeftTop, TPoint(tw + sp, 0), TPoint(0, dT)},
        {taRight, TPoint(0, 0), TPoint(16 + sp, dT)},
        {taRightTop, TPoint(0, 0), TPoint(16 + sp, dT)},
        {taTop, TPoint(dGx, th + sp), TPoint(dTx, 0)},
        {taTopLeft, TPoint(0, th + sp), TPoint(dTx, 0)},
        {taBottom, TPoint(dGx, 0), TPoint(dTx, 16 + sp)},
        {taBottomLeft, TPoint(0, 0), TPoint(dTx, 16 + sp)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "arrange " << int(c.arrange));
        TZCLGlyphTextLayout layout;
        layout.SetSpacing(sp);
        layout.SetAlignText2Glyph(c.arrange);
        const Layouted l = Layout(s.Canvas(), "Abc", glyph.get(), layout, TZCLDrawTextStyles{dtCalculate, dtAutoSize});
        EXPECT_TRUE(SameRect(l.rects[ZCLGlyphTextGlyph], Bounds(c.glyph.x, c.glyph.y, 16, 16)));
        EXPECT_TRUE(SameRect(l.rects[ZCLGlyphTextText], Bounds(c.text.x, c.text.y, tw, th)));
        EXPECT_TRUE(SameRect(l.rects[3], TRect()));
        TRect u;
        UnionRect(&u, &l.rects[ZCLGlyphTextGlyph], &l.rects[ZCLGlyphTextText]);
        EXPECT_TRUE(SameRect(l.rects[ZCLGlyphTextUnion], u));
        EXPECT_TRUE(SameRect(l.focus, TRect(u.left - 2, u.top - 2, u.right + 2, u.bottom + 2)));
    }
    EXPECT_EQ(s.Count(White), 220 * 120);  // calculating draws nothing
}

TEST(ZclDrawTextAndGlyph, SpacingOnlyBetweenTwoPartsAndPlacementInR)
{
    auto font = BigFont(9);
    Surface s(220, 120, White);
    s.Canvas()->SetFont(font.get());
    auto glyph = MakeBitmap(16, 16, [](int, int) { return 0x0000FFu; });
    TZCLGlyphTextLayout layout;
    layout.SetSpacing(7);
    layout.SetAlignText2Glyph(taRight);
    // Only a glyph: no spacing, the block is the glyph.
    Layouted l = Layout(s.Canvas(), "", glyph.get(), layout, TZCLDrawTextStyles{dtCalculate, dtAutoSize});
    EXPECT_TRUE(SameRect(l.rects[ZCLGlyphTextUnion], TRect(0, 0, 16, 16)));
    // Placed centred in R with the layout's offsets; the text one pixel further in.
    layout.SetAlignment(agCenter);
    layout.SetOffsetX(3);
    layout.SetOffsetY(-2);
    const TRect r(10, 10, 110, 60);
    l = Layout(s.Canvas(), "", glyph.get(), layout, TZCLDrawTextStyles{dtCalculate}, r);
    EXPECT_TRUE(SameRect(l.rects[ZCLGlyphTextGlyph], Bounds(10 + 42 + 3, 10 + 17 - 2, 16, 16)));
    // Drawn: the glyph at its place, focus at R shrunk by one.
    TRect focus(0, 0, 16, 16);
    TZCLGlyphTextRects rects;
    ZCLDrawTextAndGlyphExt(s.Canvas(), "", nullptr, r, glyph->Canvas(), focus, nullptr, clNone, &layout, false,
                           false, false, TZCLDrawTextStyles{dtEnabled}, 0, rects);
    EXPECT_TRUE(SameRect(s.Bounds(0x0000FF), rects[ZCLGlyphTextGlyph]));
    EXPECT_TRUE(SameRect(focus, TRect(11, 11, 109, 59)));
}

TEST(ZclDrawTextAndGlyph, TransparentGlyphTextAndDropDownArrow)
{
    auto font = BigFont(9);
    font->SetColor(clBlack);
    Surface s(220, 60, White);
    s.Canvas()->SetFont(font.get());
    // A blue glyph with a magenta (transparent) border.
    auto glyph = MakeBitmap(16, 16, [](int x, int y) { return x < 2 || y < 2 || x > 13 || y > 13 ? 0xFF00FFu : 0xFF0000u; });
    TZCLButtonLayout layout;
    layout.SetAlignment(agCenterLeft);
    layout.SetArrow(true);
    layout.SetArrowSize(4);
    layout.SetArrowColor(TColor(0x0000FF));
    layout.SetArrowPosition(apRightText);
    ZCLDrawTextAndGlyph(s.Canvas(), "Abc", nullptr, TRect(0, 0, 220, 60), glyph.get(), nullptr, &layout, false,
                        false, true, TZCLDrawTextStyles{dtEnabled}, 0);
    EXPECT_EQ(s.Count(0xFF00FF), 0);                 // the border stayed transparent
    EXPECT_EQ(s.Count(0xFF0000), 12 * 12);           // the glyph's inside
    const TRect glyphAt = s.Bounds(0xFF0000);
    const TRect arrow = s.Bounds(0x0000FF);
    EXPECT_EQ(arrow.Width(), 2 * 4 - 1);             // a drop-down arrow of size 4
    EXPECT_EQ(arrow.Height(), 4);
    EXPECT_GT(arrow.left, glyphAt.right);            // after the glyph and the text
    const TRect text = s.Bounds([](std::uint32_t p) { return (p & 0xFF) < 100 && (p >> 16 & 0xFF) < 100; });
    EXPECT_LT(text.left, arrow.left);
    EXPECT_GT(text.left, glyphAt.right);
}

TEST(ZclDrawText, GivesBackEveryGdiObjectOverRepeatedCalls)
{
    auto font = BigFont(14);
    Surface s(200, 100, White);
    s.Canvas()->SetFont(font.get());
    auto glyph = MakeBitmap(16, 16, [](int x, int) { return x < 3 ? 0xFF00FFu : 0xFF0000u; });
    TZCLButtonLayout layout;
    layout.SetArrow(true);
    auto round = [&] {
        for (int style = tdNone; style <= tdExtrudeEnh; ++style) {
            TZCLFxCaption fx;
            fx.SetStyle(TZCLThreeDStyle(style));
            fx.SetAngle(style % 2 ? 30 : 0);
            fx.SetTracing(style % 3);
            TRect r(0, 0, 190, 0);
            ZCLDrawTextCalc("Text", &fx, r, font.get(), false, false, 1, 0);
            ZCLDrawTextExt(s.Canvas(), "Text", &fx, TRect(0, 0, 190, 90), DT_SINGLELINE,
                           TZCLDrawTextStyles{dtEnabled, dtClip}, nullptr);
        }
        ZCLDrawTextAndGlyph(s.Canvas(), "Abc", nullptr, TRect(0, 0, 200, 100), glyph.get(), nullptr, &layout, true,
                            true, true, TZCLDrawTextStyles{dtEnabled, dtRectGlyphText}, 0);
        TZCL3DCaption shadow;
        Set3D(shadow, tdShadow, 1, 2);
        ZCLGet3DTextWidth("Text", &shadow, font.get());
        ZCLIsTrueTypeFont(font.get());
    };
    round();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 10; ++i) round();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}
