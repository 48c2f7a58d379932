// Three-dimensional text pixel by pixel against the copies drawn one by one where and in the colours each style
// and orientation puts them, and the drop-down arrow beside the text or the glyph in every arrangement.

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
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
constexpr std::uint32_t TextRed = 0x0000FF;
constexpr std::uint32_t LightGreen = 0x00FF00;
constexpr std::uint32_t ShadowBlue = 0xFF0000;
constexpr std::uint32_t BrushYellow = 0x00FFFF;

// One copy of the text: where it goes (from R's top-left) and its colour.
struct Copy {
    int x, y;
    std::uint32_t colour;
};

// The colour between a and b at step of steps, each channel rounded.
std::uint32_t Between(std::uint32_t a, std::uint32_t b, int step, int steps)
{
    std::uint32_t c = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double x = a >> shift & 0xFF, y = b >> shift & 0xFF;
        c |= std::uint32_t(std::lround(x + (y - x) * step / steps)) << shift;
    }
    return c;
}

}  // namespace

TEST(ZclDrawTextExt, EveryStyleAndOrientationDrawsItsCopiesWhereAndInTheColoursItNames)
{
    auto font = std::make_unique<TFont>();
    font->SetName("Arial");
    font->SetSize(22);
    font->SetStyle(TFontStyles{fsBold});
    font->SetColor(TColor(TextRed));
    const int ld = 2, sd = 4, both = ld + sd;
    const std::uint32_t grey = Sys(COLOR_GRAYTEXT);
    struct Case {
        std::string name;
        TZCLThreeDStyle style;
        TZCLThreeDOrientation orientation;
        TZCLDisabledStyle disabled;
        TZCLDrawTextStyles styles;
        int tracing;
        int rightCut;
        std::vector<Copy> copies;  // an empty list: the outline
    };
    const TZCLDrawTextStyles on{dtEnabled};
    // clang-format off
    const std::vector<Case> cases = {
        {"none", tdNone, toTopLeft, dsAuto, on, 0, 0, {{0, 0, TextRed}}},
        {"sunken", tdSunken, toTopLeft, dsAuto, on, 0, ld, {{ld, ld, LightGreen}, {0, 0, TextRed}}},
        {"raised", tdRaised, toTopLeft, dsAuto, on, 0, ld, {{0, 0, LightGreen}, {ld, ld, TextRed}}},
        {"sunken shadow", tdSunkenShadow, toTopLeft, dsAuto, on, 0, both,
         {{0, 0, ShadowBlue}, {both, both, LightGreen}, {sd, sd, TextRed}}},
        {"palette sunken", tdPColorSunken, toTopLeft, dsAuto, on, 0, both,
         {{0, 0, ShadowBlue}, {both, both, LightGreen}, {sd, sd, BrushYellow}}},
        {"raised shadow", tdRaisedShadow, toTopLeft, dsAuto, on, 0, both,
         {{both, both, ShadowBlue}, {0, 0, LightGreen}, {ld, ld, TextRed}}},
        {"palette raised", tdPColorRaised, toTopLeft, dsAuto, on, 0, both,
         {{both, both, ShadowBlue}, {0, 0, LightGreen}, {ld, ld, BrushYellow}}},
        {"shadow", tdShadow, toTopLeft, dsAuto, on, 0, sd, {{sd, sd, ShadowBlue}, {0, 0, TextRed}}},
        {"shadow with tracing", tdShadow, toTopLeft, dsAuto, on, 3, sd, {{sd, sd, ShadowBlue}, {0, 0, TextRed}}},
        {"outline", tdOutline, toTopLeft, dsAuto, on, 0, 0, {}},
        {"disabled in grey", tdShadow, toTopLeft, dsStandard, {}, 0, sd, {{sd, sd, ShadowBlue}, {0, 0, grey}}},
        {"disabled raised", tdRaised, toTopLeft, dsAuto, {}, 0, ld, {{0, 0, LightGreen}, {ld, ld, grey}}},
        {"disabled sunken by the style", tdShadow, toTopLeft, ds3d, {}, 0, ld,
         {{ld, ld, LightGreen}, {0, 0, grey}}},
        {"disabled sunken when asked", tdShadow, toTopLeft, dsAuto, {dt3DDisabled}, 0, ld,
         {{ld, ld, LightGreen}, {0, 0, grey}}},
        {"disabled as enabled", tdRaised, toTopLeft, dsNone, {}, 0, ld, {{0, 0, LightGreen}, {ld, ld, TextRed}}},
    };
    // clang-format on
    // The extrusions: sd one-pixel steps from the orientation's start, the text at the last one.
    std::vector<Case> all = cases;
    struct Way {
        const char* name;
        TZCLThreeDOrientation orientation;
        int startX, startY, dx, dy;
    } const ways[] = {
        {"bottom left", toBottomLeft, 0, sd + 1, 1, -1},
        {"bottom right", toBottomRight, sd + 1, sd + 1, -1, -1},
        {"top left", toTopLeft, 0, 0, 1, 1},
        {"top right", toTopRight, sd + 1, 0, -1, 1},
    };
    for (const Way& w : ways)
        for (bool enhanced : {false, true}) {
            std::vector<Copy> copies;
            int x = w.startX, y = w.startY;
            for (int k = sd; k >= 1; --k) {
                x += w.dx;
                y += w.dy;
                copies.push_back({x, y, enhanced ? Between(ShadowBlue, LightGreen, k - 1, sd) : ShadowBlue});
            }
            copies.push_back({x, y, TextRed});
            all.push_back({std::string(enhanced ? "enhanced extrusion to the " : "extrusion to the ") + w.name,
                           enhanced ? tdExtrudeEnh : tdExtrude, w.orientation, dsAuto, on, 0,
                           0, copies});
        }

    const TRect r(20, 10, 220, 70);
    const int flags = DT_SINGLELINE | DT_CENTER | DT_NOPREFIX;
    for (const Case& c : all) {
        SCOPED_TRACE(c.name);
        Surface actual(240, 80, White), expected(240, 80, White);
        actual.Canvas()->SetFont(font.get());
        actual.Canvas()->Brush()->SetColor(TColor(BrushYellow));
        TZCL3DCaption caption;
        caption.SetStyle(c.style);
        caption.SetOrientation(c.orientation);
        caption.SetDisabledStyle(c.disabled);
        caption.SetLightDepth(std::uint8_t(ld));
        caption.SetShadowDepth(std::uint8_t(sd));
        caption.SetLightColor(TColor(LightGreen));
        caption.SetShadowColor(TColor(ShadowBlue));
        caption.SetTracing(c.tracing);
        ZCLDrawTextExt(actual.Canvas(), "HxH", &caption, r, flags, c.styles, nullptr);

        // The same copies drawn one by one into R with its right side cut.
        const HDC dc = expected.dc();
        SelectedObject selected(dc, font->Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextCharacterExtra(dc, c.tracing);
        TRect box = r;
        box.right -= c.rightCut;
        if (c.copies.empty()) {
            TRect at = box;
            OffsetRect(&at, sd / 2, sd / 2);
            BeginPath(dc);
            DrawTextA(dc, "HxH", 3, &at, UINT(flags));
            EndPath(dc);
            LOGBRUSH lb{BS_SOLID, TextRed, 0};
            PenHandle pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID, DWORD(sd), &lb, 0, nullptr));
            SelectedObject sp(dc, pen.get());
            StrokePath(dc);
        }
        for (const Copy& copy : c.copies) {
            SetTextColor(dc, copy.colour);
            TRect at = box;
            OffsetRect(&at, copy.x, copy.y);
            DrawTextA(dc, "HxH", 3, &at, UINT(flags));
        }
        SetTextCharacterExtra(dc, 0);
        EXPECT_EQ(FirstDifference(actual, expected), "");
        // The first and the last copy are to be seen, so that an empty drawing does not pass.
        if (c.copies.empty()) {
            EXPECT_GT(actual.Count(TextRed), 0);
        } else {
            EXPECT_GT(actual.Count(c.copies.front().colour), 0);
            EXPECT_GT(actual.Count(c.copies.back().colour), 0);
        }
    }
}

// Drop-down arrows -------------------------------------------------------------------------------------------

TEST(ZclDrawTextAndGlyph, TheArrowSitsBesideTheTextOrTheGlyphInEveryArrangement)
{
    auto font = std::make_unique<TFont>();
    font->SetName("Arial");
    font->SetSize(9);
    font->SetColor(clBlack);
    auto glyph = MakeBitmap(16, 16, [](int, int) { return 0x0000FFu; });
    const int size = 4, aw = 2 * size - 1, indent = 3, sp = 2;
    const TRect r(0, 0, 240, 100);
    for (TZCLArrowPosition at : {apRightText, apLeftText, apRightGlyph, apLeftGlyph})
        for (TZCLTextArrange arrange : {taRight, taLeft, taTop, taBottom, taRightTop, taBottomLeft})
            for (bool multiLine : {false, true}) {
                SCOPED_TRACE(testing::Message() << "arrow " << int(at) << " arrange " << int(arrange)
                                                << (multiLine ? " multi-line" : " single line"));
                const AnsiString text = multiLine ? "Abc\r\nDefg" : "Abc";
                Surface s(240, 100, White);
                s.Canvas()->SetFont(font.get());
                TZCLButtonLayout layout;
                layout.SetAlignment(agCenter);
                layout.SetAlignText2Glyph(arrange);
                layout.SetSpacing(sp);
                layout.SetArrow(true);
                layout.SetArrowSize(size);
                layout.SetArrowIndent(indent);
                layout.SetArrowColor(TColor(0xFF0000));
                layout.SetArrowPosition(at);
                TRect focus(0, 0, 16, 16);
                TZCLGlyphTextRects rects;
                ZCLDrawTextAndGlyphExt(s.Canvas(), text, nullptr, r, glyph->Canvas(), focus, nullptr, clNone, &layout,
                                       multiLine, false, false, TZCLDrawTextStyles{dtEnabled}, 0, rects);
                const TRect T = rects[ZCLGlyphTextText], G = rects[ZCLGlyphTextGlyph];
                TRect measured(0, 0, r.Width(), 0);
                ZCLDrawTextCalc(text, nullptr, measured, font.get(), multiLine, false, 0, 0);
                const bool byText = at == apRightText || at == apLeftText;
                // The arrow's room is on the part it is beside.
                EXPECT_EQ(T.Width(), measured.Width() + (byText ? aw + indent : 0));
                EXPECT_EQ(T.Height(), measured.Height());
                EXPECT_EQ(G.Width(), 16 + (byText ? 0 : aw + indent));
                const TRect glyphAt = s.Bounds(0x0000FF);
                EXPECT_TRUE(SameRect(glyphAt, Bounds(G.left, G.top, 16, 16)));
                int x = 0, y = 0;
                switch (at) {
                case apRightText: x = multiLine ? T.right - size - 1 : T.right - aw - 1; break;
                case apLeftText: x = T.left - indent - aw; break;
                case apRightGlyph: x = G.right - aw; break;
                case apLeftGlyph: x = G.left - indent - aw; break;
                }
                y = byText ? T.top + T.Height() / 2 - size / 2 : G.top + G.Height() / 2 - size / 2;
                const TRect arrow = s.Bounds(0xFF0000);
                TRect want = Bounds(x, y, aw, size), overlap;
                if (multiLine && at == apRightText && IntersectRect(&overlap, &want, &glyphAt)) {
                    // Beside several lines the arrow stands out of its room by size - 2 and a glyph on that side,
                    // drawn after it, covers what reaches into it.
                    EXPECT_EQ(want.right - T.right, size - 2);
                    want.right = glyphAt.left;
                } else {
                    EXPECT_FALSE(IntersectRect(&overlap, &arrow, &glyphAt)) << Text(arrow) << " " << Text(glyphAt);
                }
                EXPECT_TRUE(SameRect(arrow, want));
                const TRect inked = s.Bounds([](std::uint32_t p) { return p == 0; });
                ASSERT_FALSE(inked.IsEmpty());
                EXPECT_FALSE(IntersectRect(&overlap, &arrow, &inked)) << Text(arrow) << " " << Text(inked);
            }
}
