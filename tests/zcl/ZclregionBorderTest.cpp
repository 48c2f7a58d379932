// Region borders painted into DIB sections: every border style on the rectangle stroke by stroke, the insets of
// the star and the rounded rectangle, the nose's gap, the point list's colours by direction, and every painter in
// every style keeping to its rectangle and giving back the pen and the clip region.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DrawTestHelpers.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclregion.h"

namespace {

constexpr std::uint32_t Back = 0xFFFFFF, Light = 0x00FFFF, Dark = 0xFF0000, One = 0x0000FF;
const TColor L = TColor(Light), S = TColor(Dark), G = TColor(One);

void Prepare(TCanvas* c, int penWidth = 1)
{
    c->Brush()->SetStyle(bsClear);
    c->Pen()->SetWidth(penWidth);
    c->Pen()->SetStyle(psSolid);
}

using Painter = std::function<void(TCanvas*, const TRect&, TZCLRegionBorderStyle)>;

struct NamedPainter {
    const char* name;
    Painter paint;
};

std::vector<NamedPainter> AllPainters()
{
    return {
        {"rect", [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameRectRgn(c, r, L, S, G, s); }},
        {"diamond", [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameDiamondRgn(c, r, L, S, G, s); }},
        {"star", [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameStarRgn(c, r, L, S, G, s); }},
        {"octagon", [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameOctagonRgn(c, r, L, S, G, s); }},
        {"comb", [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameCombRgn(c, r, L, S, G, s); }},
        {"round shield",
         [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameRoundShieldRgn(c, r, L, S, G, s); }},
        {"sharp shield",
         [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameSharpShieldRgn(c, r, L, S, G, s); }},
        {"ellipse", [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameEllipticRgn(c, r, L, S, G, s); }},
        {"half round",
         [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameHalfRoundRgn(c, r, L, S, G, s); }},
        {"round rect",
         [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) { ZCLFrameRoundRectRgn(c, r, L, S, G, s, 20, 14); }},
        {"bubbles", [](TCanvas* c, const TRect& r,
                       TZCLRegionBorderStyle s) { ZCLFrameThinkBubbleRgn(c, r, 16, 3, epLeftTop, L, S, G, s); }},
        {"elliptic bubbles",
         [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) {
             ZCLFrameEllipticThinkBubbleRgn(c, r, 16, 3, epRightBottom, L, S, G, s);
         }},
        {"round bubbles",
         [](TCanvas* c, const TRect& r, TZCLRegionBorderStyle s) {
             ZCLFrameRoundThinkBubbleRgn(c, r, 16, 3, epTopRight, 20, 14, L, S, G, s);
         }},
    };
}

}  // namespace

TEST(ZclRegionBorder, TheRectangleInEveryStyle)
{
    // (0, 0, 10, 10), pen width 1: lines leave out their last pixel.
    struct Case {
        TZCLRegionBorderStyle style;
        // The top and left edge, the bottom and right edge, one pixel in on the bottom and right.
        std::uint32_t top, bottom, innerBottom, innerTop;
    };
    // clang-format off
    const Case cases[] = {
        {rbNone, Back, Back, Back, Back},
        {rbRaised, Light, Dark, Back, Back},
        {rbLowered, Dark, Light, Back, Back},
        {rbSingle, One, One, Back, Back},
        {rbSingleRaised, One, One, Dark, Light},
        {rbSingleLowered, One, One, Light, Dark},
        {rbRaisedpsb, Light, One, Dark, Back},
        {rbLoweredpsb, Dark, One, Light, Back},
    };
    // clang-format on
    for (const Case& c : cases) {
        drawtest::Surface s(14, 14, Back);
        Prepare(s.Canvas());
        ZCLFrameRectRgn(s.Canvas(), TRect(0, 0, 10, 10), L, S, G, c.style);
        const int n = int(c.style);
        EXPECT_EQ(s.At(5, 0), c.top) << n;
        EXPECT_EQ(s.At(0, 5), c.top) << n;
        EXPECT_EQ(s.At(5, 10), c.bottom) << n;
        EXPECT_EQ(s.At(10, 5), c.bottom) << n;
        EXPECT_EQ(s.At(5, 9), c.innerBottom) << n;
        EXPECT_EQ(s.At(9, 5), c.innerBottom) << n;
        EXPECT_EQ(s.At(5, 1), c.innerTop) << n;
        EXPECT_EQ(s.At(1, 5), c.innerTop) << n;
        EXPECT_EQ(s.At(5, 5), Back) << n;
        EXPECT_EQ(s.CountOther(Back, TRect(0, 11, 14, 14)), 0) << n;
        EXPECT_EQ(s.CountOther(Back, TRect(11, 0, 14, 14)), 0) << n;
    }
    // The psb strokes exactly: light (10, 0) -> (0, 0) -> (0, 10), single (0, 10) -> (10, 10) -> (10, 0), shadow
    // (1, 9) -> (9, 9) -> (9, 1).
    drawtest::Surface s(14, 14, Back);
    Prepare(s.Canvas());
    ZCLFrameRectRgn(s.Canvas(), TRect(0, 0, 10, 10), L, S, G, rbRaisedpsb);
    EXPECT_EQ(s.At(10, 0), Light);
    EXPECT_EQ(s.At(0, 0), Light);
    EXPECT_EQ(s.At(0, 9), Light);
    EXPECT_EQ(s.At(0, 10), One);
    EXPECT_EQ(s.At(10, 10), One);
    EXPECT_EQ(s.At(10, 1), One);
    EXPECT_EQ(s.At(1, 9), Dark);
    EXPECT_EQ(s.At(9, 9), Dark);
    EXPECT_EQ(s.At(9, 2), Dark);
    EXPECT_EQ(s.At(9, 1), Back);
}

TEST(ZclRegionBorder, TheStarsInnerOutlinesLieTwoAndThreePixelsIn)
{
    const TRect R(10, 10, 110, 110);
    auto colours = [](std::uint32_t a, std::uint32_t b) {
        return [a, b](std::uint32_t p) { return p == a || p == b; };
    };
    {
        drawtest::Surface s(120, 120, Back);
        Prepare(s.Canvas());
        ZCLFrameStarRgn(s.Canvas(), R, L, S, G, rbSingleRaised);
        EXPECT_TRUE(drawtest::SameRect(s.Bounds(colours(Light, Dark)), TRect(12, 12, 109, 109)));
        EXPECT_TRUE(drawtest::SameRect(s.Bounds(One), TRect(10, 10, 111, 111)));
    }
    {
        drawtest::Surface s(120, 120, Back);
        Prepare(s.Canvas());
        ZCLFrameStarRgn(s.Canvas(), R, L, S, G, rbRaisedpsb);
        const TRect inner = s.Bounds(Dark);  // the inner lines come in the shadow colour
        EXPECT_EQ(inner.top, 13);
        EXPECT_EQ(inner.right, 108);
        EXPECT_EQ(s.At(60, 10), One);  // the top tip begins the 3D outline's shadow part
    }
}

TEST(ZclRegionBorder, TheRoundedRectangleDrawsItsShadowWideAndGivesThePenBack)
{
    drawtest::Surface s(110, 60, Back);
    Prepare(s.Canvas());
    s.Canvas()->Pen()->SetStyle(psDot);
    s.Canvas()->Pen()->SetColor(clGreen);
    ZCLFrameRoundRectRgn(s.Canvas(), TRect(0, 0, 100, 50), L, S, G, rbSingleRaised, 20, 14);
    EXPECT_EQ(s.At(50, 0), One);
    EXPECT_EQ(s.At(0, 25), One);
    EXPECT_EQ(s.At(50, 1), Light);  // the 3D outline on (1, 1, 97, 47)
    EXPECT_EQ(s.At(1, 25), Light);
    EXPECT_EQ(s.At(50, 47), Dark);
    EXPECT_EQ(s.At(97, 25), Dark);
    EXPECT_EQ(s.At(50, 46), Dark);  // four pixels wide
    EXPECT_EQ(s.At(50, 43), Back);
    EXPECT_EQ(s.Canvas()->Pen()->Width(), 1);
    EXPECT_EQ(s.Canvas()->Pen()->Style(), psDot);
    EXPECT_EQ(s.Canvas()->Pen()->Color(), clGreen);
}

TEST(ZclRegionBorder, EveryPainterInEveryStyleKeepsToItsRectangleAndGivesTheCanvasBack)
{
    const TRect R(20, 20, 120, 90);
    for (const NamedPainter& p : AllPainters())
        for (int style = rbNone; style <= rbLoweredpsb; ++style) {
            drawtest::Surface s(140, 110, Back);
            Prepare(s.Canvas(), 2);
            s.Canvas()->Pen()->SetColor(clGreen);
            p.paint(s.Canvas(), R, TZCLRegionBorderStyle(style));
            const std::string what = std::string(p.name) + " style " + std::to_string(style);
            if (style == rbNone) {
                EXPECT_EQ(s.Count(Back), 140 * 110) << what;
            } else {
                EXPECT_GT(s.CountOther(Back, TRect(0, 0, 140, 110)), 0) << what;
                const TRect drawn = s.Bounds([](std::uint32_t c) { return c != Back; });
                EXPECT_GE(drawn.left, R.left - 2) << what << " " << drawtest::Text(drawn);
                // The half round's ellipse runs on above its rectangle, outside the region it frames.
                if (std::string(p.name) != "half round") {
                    EXPECT_GE(drawn.top, R.top - 2) << what << " " << drawtest::Text(drawn);
                }
                EXPECT_LE(drawn.right, R.right + 3) << what << " " << drawtest::Text(drawn);
                EXPECT_LE(drawn.bottom, R.bottom + 3) << what << " " << drawtest::Text(drawn);
            }
            EXPECT_EQ(s.Canvas()->Pen()->Width(), 2) << what;
            EXPECT_EQ(s.Canvas()->Pen()->Color(), clGreen) << what;
            EXPECT_FALSE(drawtest::ClipOf(s.dc()).has) << what;
            // What is drawn next is not clipped away.
            s.Canvas()->Brush()->SetColor(clBlack);
            s.Canvas()->FillRect(TRect(0, 0, 140, 110));
            EXPECT_EQ(s.Count(0x000000), 140 * 110) << what;
        }
}

TEST(ZclRegionBorder, ANoseLeavesAGapInTheFrameAndTheClipAsItWas)
{
    // Width 120: nose size 12, its base from 5 to 5 + 17 down the left side of (12, 12, 120, 80).
    TZCLBorderRegion region;
    region.SetShape(rsNoseRect);
    region.Border()->SetStyle(rbSingle);
    region.Border()->SetSingleColor(G);
    drawtest::Surface s(130, 90, Back);
    Prepare(s.Canvas());
    // A caller's clip region stays.
    IntersectClipRect(s.dc(), 0, 0, 125, 85);
    region.PaintRegionShape(s.Canvas(), TRect(0, 0, 120, 80));
    EXPECT_EQ(s.At(12, 26), Back);  // the gap
    EXPECT_EQ(s.At(12, 50), One);
    EXPECT_EQ(s.At(60, 12), One);
    EXPECT_EQ(s.At(12, 12), One);
    const drawtest::ClipState clip = drawtest::ClipOf(s.dc());
    EXPECT_TRUE(clip.has);
    EXPECT_TRUE(drawtest::SameRect(clip.box, TRect(0, 0, 125, 85)));

    // Each corner has its gap.
    struct Case {
        TZCLExtPos pos;
        POINT gap, frame;
    } const cases[] = {{epTopLeft, {26, 12}, {60, 12}},
                       {epTopRight, {94, 12}, {60, 12}},
                       {epRightBottom, {108, 54}, {108, 30}},
                       {epBottomLeft, {26, 68}, {60, 68}}};
    for (const Case& c : cases) {
        region.SetExtPos(c.pos);
        drawtest::Surface t(130, 90, Back);
        Prepare(t.Canvas());
        region.PaintRegionShape(t.Canvas(), TRect(0, 0, 120, 80));
        EXPECT_EQ(t.At(c.gap.x, c.gap.y), Back) << int(c.pos);
        EXPECT_EQ(t.At(c.frame.x, c.frame.y), One) << int(c.pos);
        EXPECT_FALSE(drawtest::ClipOf(t.dc()).has) << int(c.pos);
    }
}

TEST(ZclRegionBorder, APointListIsColouredByTheDirectionOfEachEdge)
{
    struct Case {
        TZCLRegionBorderStyle style;
        std::uint32_t top, right, bottom, left;
    } const cases[] = {
        {rbRaised, Light, Dark, Dark, Light},     {rbLowered, Dark, Light, Light, Dark},
        {rbSingle, One, One, One, One},           {rbSingleRaised, Light, Dark, Dark, Light},
        {rbLoweredpsb, Dark, Light, Light, Dark},
    };
    for (const Case& c : cases) {
        TZCLBorderRegion region;
        region.SetUserPolygonRgn(std::vector<TPoint>{{10, 10}, {60, 10}, {60, 50}, {10, 50}});  // clockwise
        region.SetShape(rsPointList);
        region.Border()->SetStyle(c.style);
        region.Border()->SetLightColor(L);
        region.Border()->SetShadowColor(S);
        region.Border()->SetSingleColor(G);
        drawtest::Surface s(80, 70, Back);
        Prepare(s.Canvas());
        region.PaintRegionShape(s.Canvas(), TRect(0, 0, 80, 70));
        const int n = int(c.style);
        EXPECT_EQ(s.At(35, 10), c.top) << n;
        EXPECT_EQ(s.At(60, 30), c.right) << n;
        EXPECT_EQ(s.At(35, 50), c.bottom) << n;
        EXPECT_EQ(s.At(10, 30), c.left) << n;
        EXPECT_EQ(s.At(35, 30), Back) << n;
    }
}

TEST(ZclRegionBorder, ThinkBubblesAreFramedEachWithTheBodyFramedAroundThem)
{
    TZCLBorderRegion region;
    region.SetShape(rsThinkBubble);
    region.SetExtPos(epLeftTop);
    region.Border()->SetStyle(rbSingle);
    region.Border()->SetSingleColor(G);
    drawtest::Surface s(130, 90, Back);
    Prepare(s.Canvas());
    // Width 120: bubble size 20; the body is (20, 20, 120, 80).
    region.PaintRegionShape(s.Canvas(), TRect(0, 0, 120, 80));
    EXPECT_EQ(s.At(70, 20), One);
    EXPECT_EQ(s.At(20, 50), One);
    EXPECT_GT(s.Count(One, TRect(0, 0, 19, 19)), 0);  // bubbles out towards the corner
    EXPECT_FALSE(drawtest::ClipOf(s.dc()).has);
}

namespace {

// The mean of x + y over the pixels of colour c: small towards the top left, large towards the bottom right.
double Lean(const drawtest::Surface& s, std::uint32_t c, int& count)
{
    double sum = 0;
    count = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.At(x, y) == c) {
                sum += x + y;
                ++count;
            }
    return count ? sum / count : 0;
}

}  // namespace

TEST(ZclRegionBorder, EveryShapesLightPartLiesTopLeftOfItsShadowPart)
{
    // Styles by the colours of the part towards the top left and of the part towards the bottom right.
    struct Style {
        TZCLRegionBorderStyle style;
        std::uint32_t upper, lower;
    } const styles[] = {
        {rbRaised, Light, Dark},       {rbLowered, Dark, Light},      {rbSingleRaised, Light, Dark},
        {rbSingleLowered, Dark, Light}, {rbRaisedpsb, Light, Dark},    {rbLoweredpsb, Dark, Light},
    };
    const char* const shapes[] = {"rect", "diamond", "octagon", "comb", "round shield", "sharp shield", "ellipse",
                                  "half round"};
    for (const NamedPainter& p : AllPainters()) {
        if (std::find_if(std::begin(shapes), std::end(shapes), [&](const char* n) { return std::string(n) == p.name; }) ==
            std::end(shapes))
            continue;
        for (const Style& st : styles) {
            SCOPED_TRACE(testing::Message() << p.name << " style " << int(st.style));
            drawtest::Surface s(140, 120, Back);
            Prepare(s.Canvas(), 2);
            p.paint(s.Canvas(), TRect(20, 20, 120, 100), st.style);
            int upperCount = 0, lowerCount = 0;
            const double upper = Lean(s, st.upper, upperCount), lower = Lean(s, st.lower, lowerCount);
            ASSERT_GT(upperCount, 0);
            ASSERT_GT(lowerCount, 0);
            EXPECT_LT(upper + 10, lower);
            if (st.style == rbRaisedpsb || st.style == rbLoweredpsb) {
                // The outer shadow part is in the single colour, the inner lines in the remaining one.
                int singleCount = 0;
                const double single = Lean(s, One, singleCount);
                ASSERT_GT(singleCount, 0);
                EXPECT_LT(upper + 10, single);
            }
        }
    }
}
