// The caption option object: its second constructor, the TrueType rule for turned captions, and where
// DrawCaption puts the text by alignment, line mode and angle, with its own text, clipping and background colour.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "DrawTestHelpers.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclutilsdraw.h"

using namespace drawtest;

namespace {

constexpr std::uint32_t White = 0xFFFFFF;

bool Dark(std::uint32_t c) { return (c & 0xFF) < 100 && (c >> 8 & 0xFF) < 100 && (c >> 16 & 0xFF) < 100; }

void Prepare(TZCLCaption& c, int size = 14)
{
    c.Font()->SetName("Arial");
    c.Font()->SetSize(size);
    c.Font()->SetColor(clBlack);
}

TRect Ink(const AnsiString& text, TZCLAlignment alignment, bool multiLine, const TRect& r,
          TZCLDrawTextStyles styles = TZCLDrawTextStyles{dtEnabled}, int angle = 0)
{
    TZCLCaption caption;
    Prepare(caption);
    caption.SetAlignment(alignment);
    caption.SetMultiLine(multiLine);
    caption.FontFX()->SetAngle(angle);
    Surface s(240, 140, White);
    caption.DrawCaption(s.Canvas(), text, r, styles, clWhite, 0);
    return s.Bounds(Dark);
}

}  // namespace

TEST(ZclCaption, TheSecondConstructorSetsTextFontAndHandler)
{
    int changes = 0;
    TZCLCaption caption("Key", "Small Fonts", 7, clNavy, TNotifyEvent::From([&](TObject*) { ++changes; }));
    EXPECT_EQ(caption.Caption(), "Key");
    EXPECT_EQ(caption.Font()->Name(), "Small Fonts");
    EXPECT_EQ(caption.Font()->Size(), 7);
    EXPECT_EQ(caption.Font()->Color(), clNavy);
    EXPECT_TRUE(caption.OwnCaption());
    EXPECT_EQ(changes, 0);
    caption.SetAlignment(agCenterLeft);
    EXPECT_EQ(changes, 1);
    caption.Font()->SetSize(9);  // the font's changes are the caption's
    EXPECT_EQ(changes, 2);
    caption.FontFX()->SetStyle(tdShadow);
    EXPECT_EQ(changes, 3);

    TZCLCaption keep("", "", 0, clRed, TNotifyEvent());
    EXPECT_EQ(keep.Font()->Name(), TFont().Name());  // no name and no size leave the font's
    EXPECT_EQ(keep.Font()->Size(), TFont().Size());
    EXPECT_FALSE(TZCLCaption().OwnCaption());
}

TEST(ZclCaption, ATurnedCaptionKeepsATrueTypeFont)
{
    ASSERT_TRUE(LoadBitmapFont()) << "Wine's coure.fon is needed for a font that is not TrueType";
    TZCLCaption caption;
    std::vector<TObject*> senders;
    caption.SetOnChange(TNotifyEvent::From([&](TObject* s) { senders.push_back(s); }));
    caption.Font()->SetName("Courier");
    ASSERT_FALSE(ZCLIsTrueTypeFont(caption.Font()));
    senders.clear();
    // Turning it: the font becomes Arial, with one notification.
    caption.FontFX()->SetAngle(45);
    EXPECT_EQ(caption.Font()->Name(), "Arial");
    EXPECT_EQ(caption.FontFX()->Angle(), 45);
    EXPECT_EQ(senders, (std::vector<TObject*>{&caption}));
    // Choosing the bitmap font again for a turned caption: the caption turns back.
    senders.clear();
    caption.Font()->SetName("Courier");
    EXPECT_EQ(caption.FontFX()->Angle(), 0);
    EXPECT_EQ(caption.Font()->Name(), "Courier");
    EXPECT_EQ(senders.size(), 1u);
    // A TrueType font turns freely.
    caption.Font()->SetName("Arial");
    caption.FontFX()->SetAngle(90);
    EXPECT_EQ(caption.Font()->Name(), "Arial");
    EXPECT_EQ(caption.FontFX()->Angle(), 90);
}

TEST(ZclCaption, AlignmentPlacesTheTextInTheRectangle)
{
    const TRect r(20, 20, 220, 120);
    const TRect topLeft = Ink("Ab", agTopLeft, false, r);
    ASSERT_FALSE(topLeft.IsEmpty());
    TFont font;
    font.SetName("Arial");
    font.SetSize(14);
    TRect cell(0, 0, 0, 0);
    {
        WindowDC dc(nullptr);
        SelectedObject selected(dc.get(), font.Handle());
        DrawTextA(dc.get(), "Ab", 2, &cell, DT_CALCRECT | DT_SINGLELINE);
    }
    const int freeW = r.Width() - cell.Width(), freeH = r.Height() - cell.Height();
    struct Case {
        TZCLAlignment alignment;
        int dx, dy;
    } const cases[] = {
        {agTopCenter, freeW / 2, 0},  {agTopRight, freeW, 0},          {agCenterLeft, 0, freeH / 2},
        {agCenter, freeW / 2, freeH / 2}, {agBottomRight, freeW, freeH}, {agBottomCenter, freeW / 2, freeH},
    };
    for (const Case& c : cases) {
        const TRect ink = Ink("Ab", c.alignment, false, r);
        EXPECT_NEAR(ink.left - topLeft.left, c.dx, 1) << "alignment " << int(c.alignment);
        EXPECT_NEAR(ink.top - topLeft.top, c.dy, 1) << "alignment " << int(c.alignment);
    }
}

TEST(ZclCaption, MultiLineAndTurnedCaptionsAreAlignedAsBlocks)
{
    const TRect r(20, 10, 120, 130);
    const AnsiString words = "one two three four";
    const TRect top = Ink(words, agTopCenter, true, r);
    const TRect centred = Ink(words, agCenter, true, r);
    ASSERT_FALSE(top.IsEmpty());
    EXPECT_GT(top.Height(), 30);  // wrapped on several lines
    // The block (measured two pixels taller than its lines) moves down by half the free height.
    TFont font;
    font.SetName("Arial");
    font.SetSize(14);
    TRect block(0, 0, r.Width() - 1, 0);
    ZCLDrawTextCalc(words, nullptr, block, &font, true, false, 0, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | 5);
    EXPECT_NEAR(centred.top - top.top, (r.Height() - block.Height()) / 2, 1);
    EXPECT_EQ(centred.Height(), top.Height());

    // Turned a quarter and centred: the ink's middle is the rectangle's.
    const TRect turned = Ink("Turned", agCenter, false, TRect(20, 10, 220, 130), TZCLDrawTextStyles{dtEnabled}, 90);
    ASSERT_FALSE(turned.IsEmpty());
    EXPECT_GT(turned.Height(), turned.Width());
    EXPECT_NEAR((turned.left + turned.right) / 2, 120, 4);
    EXPECT_NEAR((turned.top + turned.bottom) / 2, 70, 4);
}

TEST(ZclCaption, OwnTextClippingAndBackgroundColour)
{
    const TRect r(10, 10, 230, 130);
    {
        // An empty text: the caption's own text when it has one.
        TZCLCaption own("Hello", "Arial", 14, clBlack, TNotifyEvent());
        Surface s(240, 140, White);
        own.DrawCaption(s.Canvas(), "", r, TZCLDrawTextStyles{dtEnabled}, clWhite, 0);
        EXPECT_FALSE(s.Bounds(Dark).IsEmpty());
        TZCLCaption plain;
        Prepare(plain);
        plain.SetCaption("Hello");
        Surface p(240, 140, White);
        plain.DrawCaption(p.Canvas(), "", r, TZCLDrawTextStyles{dtEnabled}, clWhite, 0);
        EXPECT_EQ(p.Count(White), 240 * 140);
    }
    {
        // Clipped to the rectangle moved right by the offset's low half.
        TZCLCaption caption;
        Prepare(caption, 20);
        caption.SetAlignment(agTopLeft);
        Surface s(240, 140, White);
        caption.DrawCaption(s.Canvas(), "HHHHHHHHHHHH", r, TZCLDrawTextStyles{dtEnabled, dtClip}, clWhite, 100);
        const TRect ink = s.Bounds(Dark);
        ASSERT_FALSE(ink.IsEmpty());
        EXPECT_GE(ink.left, 110);
        EXPECT_FALSE(ClipOf(s.dc()).has);
    }
    {
        // The palette-coloured styles draw the text in the background colour given; the ground stays.
        TZCLCaption caption;
        Prepare(caption, 20);
        caption.FontFX()->SetStyle(tdPColorRaised);
        Surface s(240, 140, White);
        caption.DrawCaption(s.Canvas(), "HH", r, TZCLDrawTextStyles{dtEnabled}, TColor(0x00FF00), 0);
        EXPECT_GT(s.Count(0x00FF00), 20);
        EXPECT_EQ(s.At(12, 12), White);
    }
}
