// Shapes drawn into DIB sections and read back at chosen pixels: face, outline and shadow of every kind, the
// two-colour bevels, a tracing shadow, a hatched face, a bitmap seen through the shape, and GDI objects given
// back after repeated drawing.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "DrawTestHelpers.h"
#include "framework/GraphicsTestHelpers.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclgrapa.h"
#include "zcl/graphics/Zclshadow.h"

namespace {

constexpr std::uint32_t White = 0xFFFFFF, Black = 0x000000, Red = 0x0000FF, Grey = 0x808080, Yellow = 0x00FFFF,
                        Blue = 0xFF0000, Green = 0x00FF00, Fuchsia = 0xFF00FF;

const TZCLShapeType AllShapes[] = {stEllipse,    stRectangle, stRoundRect, stDirectUp, stDirectRight, stDirectDown,
                                   stDirectLeft, stDiamond,   stComb,      stOctagon,  stStar};

std::string Name(TZCLShapeType s)
{
    static const char* const names[] = {"ellipse", "rectangle", "round rect", "up",      "right", "down",
                                        "left",    "diamond",   "comb",       "octagon", "star"};
    return names[s];
}

// Pixels outside r that are not c.
int OtherOutside(const drawtest::Surface& s, const TRect& r, std::uint32_t c)
{
    int n = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if ((x < r.left || x >= r.right || y < r.top || y >= r.bottom) && s.At(x, y) != c) ++n;
    return n;
}

bool Inside(const TRect& inner, const TRect& outer)
{
    return inner.IsEmpty() || (inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
                               inner.bottom <= outer.bottom);
}

struct Style {
    std::unique_ptr<TZCLSimpleBevel> bevel = std::make_unique<TZCLSimpleBevel>();
    std::unique_ptr<TZCLShadow> shadow = std::make_unique<TZCLShadow>();
    TBrush face;
    Style()
    {
        face.SetColor(TColor(Red));
        shadow->SetStyle(hssNone);
    }
};

}  // namespace

TEST(ZclShapeDraw, EveryKindHasItsFaceOutlineAndShadowInsideItsBoxes)
{
    const TRect R(10, 10, 110, 90);
    const TRect faceBox(10, 10, 104, 84), shadowBox(16, 16, 110, 90);
    for (TZCLShapeType shape : AllShapes) {
        Style st;
        st.shadow->SetStyle(hssSolid);
        st.shadow->SetDepth(6);
        st.shadow->SetColor(TColor(Grey));
        drawtest::Surface s(130, 110, White);
        ZCLShapeDraw(R, s.Canvas(), shape, nullptr, nullptr, false, &st.face, 33, st.bevel.get(), st.shadow.get(),
                     nullptr, clWhite, clWhite);
        EXPECT_EQ(s.At(57, 47), Red) << Name(shape);
        // Outlines are centred on the shape's points, and the star's wide pen pokes out at its tips.
        EXPECT_EQ(OtherOutside(s, TRect(8, 8, 112, 92), White), 0) << Name(shape);
        EXPECT_GT(s.Count(Grey), 0) << Name(shape);
        EXPECT_GT(s.Count(Black), 0) << Name(shape);
        EXPECT_TRUE(Inside(s.Bounds(Grey), shadowBox)) << Name(shape) << drawtest::Text(s.Bounds(Grey));
        EXPECT_TRUE(Inside(s.Bounds(Red), faceBox)) << Name(shape) << drawtest::Text(s.Bounds(Red));
        EXPECT_TRUE(Inside(s.Bounds(Black), TRect(9, 9, 105, 85))) << Name(shape) << drawtest::Text(s.Bounds(Black));
    }
    // The rectangle at chosen pixels: its outline on the face's edge, the shadow right and below it only.
    Style st;
    st.shadow->SetStyle(hssSolid);
    st.shadow->SetDepth(6);
    st.shadow->SetColor(TColor(Grey));
    drawtest::Surface s(130, 110, White);
    ZCLShapeDraw(R, s.Canvas(), stRectangle, nullptr, nullptr, false, &st.face, 33, st.bevel.get(), st.shadow.get(),
                 nullptr, clWhite, clWhite);
    EXPECT_EQ(s.At(50, 10), Black);
    EXPECT_EQ(s.At(10, 50), Black);
    EXPECT_EQ(s.At(50, 12), Red);
    EXPECT_EQ(s.At(108, 88), Grey);
    EXPECT_EQ(s.At(106, 20), Grey);
    EXPECT_EQ(s.At(12, 87), White);  // left of the shadow, below the face
    EXPECT_EQ(s.At(107, 12), White);
}

TEST(ZclShapeDraw, InsetAndOffsetBevelsInTheirTwoColours)
{
    // Rectangle (10, 10, 60, 50), width 2: first colour on x = 11 and y = 11, second on x = 59 and y = 49.
    struct Case {
        TZCLSimpleBevelStyle style;
        std::uint32_t topLeft, bottomRight;
    } const cases[] = {{sbInset, Blue, Yellow}, {sbOffset, Yellow, Blue}};
    for (const Case& c : cases) {
        Style st;
        st.bevel->SetStyle(c.style);
        st.bevel->SetLightColor(TColor(Yellow));
        st.bevel->SetShadowColor(TColor(Blue));
        drawtest::Surface s(70, 60, White);
        ZCLShapeDraw(TRect(10, 10, 60, 50), s.Canvas(), stRectangle, nullptr, nullptr, false, &st.face, 33,
                     st.bevel.get(), nullptr, nullptr, clWhite, clWhite);
        EXPECT_EQ(s.At(11, 30), c.topLeft) << int(c.style);
        EXPECT_EQ(s.At(30, 11), c.topLeft) << int(c.style);
        EXPECT_EQ(s.At(59, 30), c.bottomRight) << int(c.style);
        EXPECT_EQ(s.At(30, 49), c.bottomRight) << int(c.style);
        EXPECT_EQ(s.At(35, 30), Red) << int(c.style);
        EXPECT_EQ(s.Count(Black), 0) << int(c.style);  // the outline goes into the face
    }
    // Every kind shows both bevel colours, and nothing beyond the pen's half width outside R.
    for (TZCLShapeType shape : AllShapes) {
        Style st;
        st.bevel->SetStyle(sbOffset);
        st.bevel->SetLightColor(TColor(Yellow));
        st.bevel->SetShadowColor(TColor(Blue));
        drawtest::Surface s(120, 100, White);
        const TRect R(10, 10, 110, 90);
        ZCLShapeDraw(R, s.Canvas(), shape, nullptr, nullptr, false, &st.face, 33, st.bevel.get(), nullptr, nullptr,
                     clWhite, clWhite);
        EXPECT_GT(s.Count(Yellow), 0) << Name(shape);
        EXPECT_GT(s.Count(Blue), 0) << Name(shape);
        EXPECT_EQ(OtherOutside(s, TRect(8, 8, 112, 92), White), 0) << Name(shape);
    }
}

TEST(ZclShapeDraw, ANullBevelIsAThinBlackOutline)
{
    TBrush face;
    face.SetColor(TColor(Red));
    drawtest::Surface s(60, 50, White);
    ZCLShapeDraw(TRect(10, 10, 50, 40), s.Canvas(), stRectangle, nullptr, nullptr, false, &face, 33, nullptr, nullptr,
                 nullptr, clWhite, clWhite);
    EXPECT_EQ(s.At(30, 10), Black);
    EXPECT_EQ(s.At(30, 11), Red);
    EXPECT_EQ(s.At(10, 20), Black);
    EXPECT_EQ(s.At(11, 20), Red);
    EXPECT_EQ(s.At(49, 20), Black);
    EXPECT_EQ(s.At(30, 39), Black);
    EXPECT_EQ(s.At(30, 40), White);
}

TEST(ZclShapeDraw, WithoutAnOutlineARectangleAndItsShadowCoverTheirWholeBoxes)
{
    // Drawn without a pen: the face (10, 10, 65, 45) and the shadow (15, 15, 70, 50) to their last column and row.
    Style st;
    st.bevel->SetWidth(0);
    st.shadow->SetStyle(hssSolid);
    st.shadow->SetDepth(5);
    st.shadow->SetColor(TColor(Grey));
    drawtest::Surface s(80, 60, White);
    ZCLShapeDraw(TRect(10, 10, 70, 50), s.Canvas(), stRectangle, nullptr, nullptr, false, &st.face, 33,
                 st.bevel.get(), st.shadow.get(), nullptr, clWhite, clWhite);
    EXPECT_TRUE(drawtest::SameRect(s.Bounds(Red), TRect(10, 10, 65, 45)));
    EXPECT_EQ(s.Count(Red), 55 * 35);
    EXPECT_TRUE(drawtest::SameRect(s.Bounds(Grey), TRect(15, 15, 70, 50)));
    EXPECT_EQ(s.At(69, 49), Grey);
    EXPECT_EQ(s.At(70, 50), White);
}

TEST(ZclShapeDraw, ATracingShadowDarkensEveryOtherPixel)
{
    Style st;
    st.shadow->SetStyle(hssTracing);
    st.shadow->SetDepth(6);
    st.shadow->SetColor(TColor(Red));
    st.face.SetColor(TColor(Green));
    drawtest::Surface s(50, 50, White);
    ZCLShapeDraw(TRect(0, 0, 40, 40), s.Canvas(), stRectangle, nullptr, nullptr, false, &st.face, 33, st.bevel.get(),
                 st.shadow.get(), nullptr, clWhite, clWhite);
    // Without a pen the shadow fills up to its last column and row.
    const TRect shadowOnly(35, 35, 39, 39);
    const int red = s.Count(Red, shadowOnly), white = s.Count(White, shadowOnly);
    EXPECT_EQ(red, 8);
    EXPECT_EQ(white, 8);
    for (int y = 35; y < 39; ++y)
        for (int x = 35; x < 38; ++x) EXPECT_NE(s.At(x, y), s.At(x + 1, y)) << x << "," << y;
    EXPECT_EQ(s.At(39, 39), White);
    EXPECT_EQ(s.At(15, 15), Green);
    EXPECT_EQ(s.Canvas()->Pen()->Mode(), pmCopy);  // the mask mode was the shadow's only
}

TEST(ZclShapeDraw, AHatchedFaceHasTheBackgroundColourBetweenItsLines)
{
    Style st;
    st.face.SetColor(TColor(Blue));
    st.face.SetStyle(bsCross);
    drawtest::Surface s(60, 50, White);
    ZCLShapeDraw(TRect(10, 10, 50, 40), s.Canvas(), stRectangle, nullptr, nullptr, false, &st.face, 33, st.bevel.get(),
                 nullptr, nullptr, clWhite, TColor(Yellow));
    const TRect inner(14, 14, 46, 36);
    EXPECT_GT(s.Count(Blue, inner), 0);
    EXPECT_GT(s.Count(Yellow, inner), 0);
    EXPECT_EQ(s.Count(Blue, inner) + s.Count(Yellow, inner), inner.Width() * inner.Height());
}

TEST(ZclShapeDraw, AFillBitmapShowsInsideTheShapeOnly)
{
    // Green on the left half, blue on the right; the mask colour never shows.
    auto picture = drawtest::MakeBitmap(80, 80, [](int x, int) { return x < 40 ? Green : Blue; });
    Style st;
    st.bevel->SetWidth(1);
    for (TZCLShapeType shape : {stDiamond, stEllipse, stStar}) {
        drawtest::Surface s(100, 100, White);
        ZCLShapeDraw(TRect(10, 10, 90, 90), s.Canvas(), shape, nullptr, nullptr, false, &st.face, 33, st.bevel.get(),
                     nullptr, picture.get(), TColor(Fuchsia), clWhite);
        EXPECT_EQ(s.At(40, 52), Green) << Name(shape);
        EXPECT_EQ(s.At(60, 52), Blue) << Name(shape);
        for (TPoint corner : {TPoint(12, 12), TPoint(87, 12), TPoint(12, 87), TPoint(87, 87)})
            EXPECT_EQ(s.At(corner.x, corner.y), White) << Name(shape) << " " << corner.x << "," << corner.y;
        EXPECT_EQ(s.Count(Fuchsia), 0) << Name(shape);
        EXPECT_EQ(s.Count(Red), 0) << Name(shape);  // the brush is not used with a bitmap
        // A one-pixel outline on the right and bottom points lies on R's edge.
        EXPECT_EQ(OtherOutside(s, TRect(10, 10, 91, 91), White), 0) << Name(shape);
    }
    drawtest::Surface s(100, 100, White);
    ZCLShapeDraw(TRect(10, 10, 90, 90), s.Canvas(), stDiamond, nullptr, nullptr, false, &st.face, 33, st.bevel.get(),
                 nullptr, picture.get(), TColor(Fuchsia), clWhite);
    EXPECT_EQ(s.At(50, 10), Black);  // the outline's top tip
    EXPECT_EQ(s.At(10, 50), Black);
}

TEST(ZclShapeDraw, ACallersPointListIsLeftAsItWas)
{
    Style st;
    st.shadow->SetStyle(hssSolid);
    st.shadow->SetDepth(4);
    const TRect R(20, 30, 120, 110);
    TZCLPointList list;
    ZCLShapeCalc(R, stOctagon, nullptr, false, nullptr, 33, st.bevel.get(), st.shadow.get(), &list);
    std::vector<TPoint> before;
    for (int i = 0; i < list.Count(); ++i) before.push_back(list.PointAt(i));
    int told = 0;
    list.SetOnChange(TNotifyEvent::From([&](TObject*) { ++told; }));

    drawtest::Surface given(130, 120, White), calculated(130, 120, White);
    ZCLShapeDraw(R, given.Canvas(), stOctagon, nullptr, &list, false, &st.face, 33, st.bevel.get(), st.shadow.get(),
                 nullptr, clWhite, clWhite);
    ZCLShapeDraw(R, calculated.Canvas(), stOctagon, nullptr, nullptr, false, &st.face, 33, st.bevel.get(),
                 st.shadow.get(), nullptr, clWhite, clWhite);
    ASSERT_EQ(list.Count(), int(before.size()));
    for (int i = 0; i < list.Count(); ++i) EXPECT_TRUE(list.PointAt(i) == before[i]) << i;
    EXPECT_EQ(told, 0);
    for (int y = 0; y < 120; y += 3)
        for (int x = 0; x < 130; x += 3) ASSERT_EQ(given.At(x, y), calculated.At(x, y)) << x << "," << y;

    // A list too short for the kind draws what it can and reads nothing past its end.
    TZCLPointList shortList;
    shortList.AddPoint(TPoint(5, 5));
    EXPECT_NO_THROW(ZCLShapeDraw(R, given.Canvas(), stStar, nullptr, &shortList, false, &st.face, 33, st.bevel.get(),
                                 st.shadow.get(), nullptr, clWhite, clWhite));
}

TEST(ZclShapeDraw, RepeatedDrawingGivesBackEveryGdiObject)
{
    auto picture = drawtest::MakeBitmap(60, 40, [](int x, int y) { return (x + y) % 7 ? Green : Blue; });
    drawtest::Surface s(80, 60, White);
    TZCLTeeth teeth;
    auto drawAll = [&] {
        for (TZCLShapeType shape : AllShapes)
            for (int variant = 0; variant < 4; ++variant) {
                Style st;
                st.shadow->SetStyle(variant == 1 ? hssTracing : hssSolid);
                st.shadow->SetDepth(4);
                st.bevel->SetStyle(TZCLSimpleBevelStyle(variant % 3));
                st.face.SetStyle(variant == 3 ? bsDiagCross : bsSolid);
                ZCLShapeDraw(TRect(5, 5, 65, 45), s.Canvas(), shape, variant == 3 ? &teeth : nullptr, nullptr, false,
                             &st.face, 33, st.bevel.get(), st.shadow.get(), variant == 2 ? picture.get() : nullptr,
                             TColor(Fuchsia), clYellow);
            }
    };
    drawAll();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 5; ++i) drawAll();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

TEST(ZclShapeDraw, EachKindsBevelHasItsFirstAndSecondColourOnItsOwnSides)
{
    // R = (10, 10, 110, 90), pen width 4. Points on the bevel lines the first colour draws and on those the
    // second draws (away from where lines meet).
    struct Case {
        TZCLShapeType shape;
        std::vector<TPoint> first, second;
        // clang-format off
    } const cases[] = {
        {stEllipse, {{60, 12}, {12, 50}}, {{60, 88}, {108, 50}}},
        {stRectangle, {{60, 12}, {12, 50}}, {{60, 88}, {108, 50}}},
        {stRoundRect, {{60, 12}, {12, 50}}, {{60, 88}, {108, 50}}},
        {stDirectUp, {{35, 50}, {85, 50}}, {{60, 89}}},
        {stDirectRight, {{12, 50}}, {{60, 31}, {60, 69}}},
        {stDirectDown, {{60, 11}}, {{34, 50}, {84, 50}}},
        {stDirectLeft, {{59, 32}, {59, 70}}, {{107, 50}}},
        {stDiamond, {{36, 31}, {84, 31}}, {{84, 69}, {36, 69}}},
        {stComb, {{12, 50}, {36, 19}, {84, 19}}, {{108, 50}, {84, 81}, {36, 81}}},
        {stOctagon, {{12, 50}, {60, 12}}, {{108, 50}, {60, 88}}},
        {stStar, {{92, 40}, {27, 40}}, {{67, 25}, {77, 80}}},
    };
    // clang-format on
    for (TZCLSimpleBevelStyle style : {sbInset, sbOffset})
        for (const Case& c : cases) {
            SCOPED_TRACE(Name(c.shape) + (style == sbInset ? " inset" : " offset"));
            Style st;
            st.bevel->SetStyle(style);
            st.bevel->SetWidth(4);
            st.bevel->SetLightColor(TColor(Yellow));
            st.bevel->SetShadowColor(TColor(Blue));
            drawtest::Surface s(120, 100, White);
            ZCLShapeDraw(TRect(10, 10, 110, 90), s.Canvas(), c.shape, nullptr, nullptr, false, &st.face, 33,
                         st.bevel.get(), nullptr, nullptr, clWhite, clWhite);
            const std::uint32_t first = style == sbInset ? Blue : Yellow, second = style == sbInset ? Yellow : Blue;
            for (const TPoint& p : c.first) EXPECT_EQ(s.At(p.x, p.y), first) << p.x << "," << p.y;
            for (const TPoint& p : c.second) EXPECT_EQ(s.At(p.x, p.y), second) << p.x << "," << p.y;
            EXPECT_EQ(s.At(60, 52), Red);
        }
}
