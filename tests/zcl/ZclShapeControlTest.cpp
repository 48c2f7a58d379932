// The shape control painted into DIB sections and read back at chosen pixels: every kind with its face, outline
// and what lies outside, the shadow, captions and where they sit, teeth, the fill modes with their face bitmap,
// hatched faces, the outline worked out again only after a size change, image lists, real mouse moves over a
// row of shapes, the bitmap file, and the published properties through a stream.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "DrawTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "support/Screenshot.h"
#include "ZclTestPaths.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Menus.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/panels/Zclshapecontrol.h"

using namespace zclctl;

namespace {

constexpr std::uint32_t Black = 0x000000, White = 0xFFFFFF, Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000,
                        Yellow = 0x00FFFF, Grey = 0x808080, Back = 0x654321, Key = 0xFF00FF;

std::unique_ptr<TZCLShapeControl> MakeShape(int w, int h)
{
    auto s = std::make_unique<TZCLShapeControl>(nullptr);
    s->SetBounds(0, 0, w, h);
    s->SetColor(TColor(Key));
    s->Brush()->SetColor(TColor(Red));
    s->Bevel()->SetWidth(3);
    s->Shadow()->SetStyle(hssNone);
    return s;
}

// The colours met walking from one point to another, runs of one colour kept once.
std::vector<std::uint32_t> Walk(const drawtest::Surface& s, TPoint from, TPoint to)
{
    std::vector<std::uint32_t> seen;
    const int steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    for (int i = 0; i <= steps; ++i) {
        const int x = from.x + (to.x - from.x) * i / steps, y = from.y + (to.y - from.y) * i / steps;
        const std::uint32_t c = s.At(x, y);
        if (seen.empty() || seen.back() != c) seen.push_back(c);
    }
    return seen;
}

std::string Hex(const std::vector<std::uint32_t>& colours)
{
    std::string text;
    char buf[12];
    for (std::uint32_t c : colours) {
        snprintf(buf, sizeof buf, "%06X ", unsigned(c));
        text += buf;
    }
    return text;
}

// Bounds of the pixels that are none of the given colours.
TRect OtherThan(const drawtest::Surface& s, std::initializer_list<std::uint32_t> colours)
{
    std::vector<std::uint32_t> list(colours);
    return s.Bounds([&](std::uint32_t p) { return std::find(list.begin(), list.end(), p) == list.end(); });
}

// Teeth of the given depth on one side, spread by their count along it.
void PutTeeth(TZCLShapeControl* shape, TZCLDirection direction, int count, int depth)
{
    shape->Teeth()->SetDirection(direction);
    shape->Teeth()->SetCount(count);
    shape->Teeth()->SetWidth(depth);
    shape->Teeth()->SetHeight(depth);
    shape->Teeth()->SetSetPerCount(direction == tdRight || direction == tdLeft);
}

// "Hg" in a blue 14-pixel face, and where its blue pixels lie.
void BlueCaption(TZCLShapeControl* shape, TZCLAlignment alignment)
{
    shape->Caption()->SetCaption("Hg");
    shape->Caption()->SetAlignment(alignment);
    shape->Caption()->Font()->SetName("Arial");
    shape->Caption()->Font()->SetHeight(-14);
    shape->Caption()->Font()->SetColor(TColor(Blue));
}

TRect BlueText(const drawtest::Surface& s)
{
    return s.Bounds([](std::uint32_t p) { return (p & 0xFF0000) > 0x800000 && (p & 0xFF) < 0x80; });
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Kinds

TEST(ZclShapeControl, EveryKindShowsItsFaceWithinItsOutlineAndLeavesTheRest)
{
    // 100 x 100 on a larger surface: the walk goes from a point of the face to one outside the shape.
    const struct {
        TZCLShapeType shape;
        const char* name;
        TPoint inside, outside;
    } cases[] = {
        {stEllipse, "ellipse", {50, 50}, {3, 3}},
        {stRectangle, "rectangle", {50, 50}, {110, 50}},
        {stRoundRect, "round rect", {50, 50}, {1, 1}},
        {stDirectUp, "up", {50, 70}, {5, 5}},
        {stDirectRight, "right", {30, 50}, {95, 5}},
        {stDirectDown, "down", {50, 30}, {5, 95}},
        {stDirectLeft, "left", {70, 50}, {5, 5}},
        {stDiamond, "diamond", {50, 50}, {5, 5}},
        {stComb, "comb", {50, 50}, {5, 5}},
        {stOctagon, "octagon", {50, 50}, {3, 3}},
        {stStar, "star", {50, 50}, {50, 95}},
    };
    for (const auto& k : cases) {
        auto shape = MakeShape(100, 100);
        shape->SetShape(k.shape);
        drawtest::Surface s(120, 120, Back);
        shape->PaintToCanvas(s.Canvas());
        EXPECT_EQ(Walk(s, k.inside, k.outside), (std::vector<std::uint32_t>{Red, Black, Back}))
            << k.name << ": " << Hex(Walk(s, k.inside, k.outside));
        // A wide outline is centred on the shape's edge: the round rectangle's and the star's poke out a little.
        EXPECT_EQ(s.Count(Back, TRect(102, 0, 120, 120)), 18 * 120) << k.name << ": nothing right of the control";
    }
}

TEST(ZclShapeControl, SquareKeepsTheShapeInTheMiddleOfTheLongerSide)
{
    auto shape = MakeShape(100, 40);
    shape->SetSquare(true);
    drawtest::Surface s(100, 40, Back);
    shape->PaintToCanvas(s.Canvas());
    EXPECT_TRUE(drawtest::SameRect(OtherThan(s, {Back}), TRect(30, 0, 70, 40)));
}

TEST(ZclShapeControl, TheShadowLiesBelowAndRightOfTheFace)
{
    auto shape = MakeShape(60, 40);
    shape->Shadow()->SetStyle(hssSolid);
    shape->Shadow()->SetDepth(6);
    shape->Shadow()->SetColor(TColor(Grey));
    drawtest::Surface s(60, 40, Back);
    shape->PaintToCanvas(s.Canvas());
    EXPECT_EQ(s.At(20, 15), Red) << "the face";
    EXPECT_EQ(s.At(57, 37), Grey) << "the shadow at the bottom right";
    EXPECT_EQ(s.At(2, 37), Back) << "below the face's left end";
    EXPECT_EQ(s.At(57, 2), Back) << "right of the face's top end";
    EXPECT_TRUE(drawtest::SameRect(s.Bounds(Red), TRect(3, 3, 51, 31)));
}

TEST(ZclShapeControl, AHatchedFaceShowsTheBrushBackColourBetweenItsLines)
{
    auto shape = MakeShape(60, 40);
    shape->Brush()->SetStyle(bsCross);
    shape->SetBrushBackColor(TColor(Green));
    drawtest::Surface s(60, 40, Back);
    shape->PaintToCanvas(s.Canvas());
    const TRect face(4, 4, 56, 36);
    EXPECT_GT(s.Count(Red, face), 0);
    EXPECT_GT(s.Count(Green, face), 0);
    EXPECT_EQ(s.Count(Red, face) + s.Count(Green, face), face.Width() * face.Height());
}

TEST(ZclShapeControl, AnOpaqueShapeFillsItsCornersWithItsColour)
{
    for (bool transparent : {true, false}) {
        auto shape = MakeShape(60, 40);
        shape->SetShape(stEllipse);
        shape->SetTransparent(transparent);
        drawtest::Surface s(60, 40, Back);
        shape->PaintToCanvas(s.Canvas());
        EXPECT_EQ(s.At(1, 1), transparent ? Back : Key) << transparent;
        EXPECT_EQ(s.At(30, 20), Red) << transparent;
    }
}

TEST(ZclShapeControl, RoundPercentIsHeldToItsRange)
{
    const struct {
        int value, held;
    } cases[] = {{-5, 0}, {0, 0}, {50, 50}, {100, 100}, {150, 100}};
    auto shape = MakeShape(40, 40);
    for (const auto& k : cases) {
        shape->SetRoundPercent(k.value);
        EXPECT_EQ(shape->RoundPercent(), k.held) << k.value;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Captions

TEST(ZclShapeControl, AKeyLabelShowsItsTextLeftInAYellowRectangle)
{
    auto shape = MakeShape(60, 20);
    shape->Bevel()->SetWidth(0);
    shape->Brush()->SetColor(clYellow);
    shape->Caption()->SetCaption("ABC");
    shape->Caption()->SetAlignment(agCenterLeft);
    shape->Caption()->Font()->SetName("Small Fonts");
    shape->Caption()->Font()->SetHeight(-7);
    shape->Caption()->Font()->SetColor(clBlack);
    drawtest::Surface s(60, 20, Back);
    shape->PaintToCanvas(s.Canvas());
    for (TPoint corner : {TPoint(0, 0), TPoint(59, 0), TPoint(0, 19), TPoint(59, 19)})
        EXPECT_EQ(s.At(corner.x, corner.y), Yellow) << corner.x << "," << corner.y;
    const TRect text = OtherThan(s, {Yellow});
    ASSERT_FALSE(text.IsEmpty()) << "the caption is drawn";
    EXPECT_LE(text.left, 2);
    EXPECT_LE(text.right, 30) << "only in the left half";
    EXPECT_LE(std::abs((text.top + text.bottom) - 20), 2) << "vertically centred: " << drawtest::Text(text);
    EXPECT_EQ(s.Count(Back), 0) << "a rectangle of the control's size";
}

TEST(ZclShapeControl, TheCaptionKeepsOffTheOutlineAndTheShadow)
{
    // 100 x 60 with a 5-pixel outline and an 8-pixel shadow: the face is (0, 0, 92, 52), the text room inside it
    // (5, 5, 87, 47).
    const struct {
        TZCLAlignment alignment;
        const char* name;
        std::function<void(const TRect&)> check;
    } cases[] = {
        {agTopLeft, "top left",
         [](const TRect& t) { EXPECT_TRUE(t.left >= 5 && t.left <= 7 && t.top >= 5 && t.top <= 9); }},
        {agBottomRight, "bottom right",
         [](const TRect& t) { EXPECT_TRUE(t.right <= 87 && t.right >= 83 && t.bottom <= 47 && t.bottom >= 43); }},
        {agCenter, "centre", [](const TRect& t) { EXPECT_LE(std::abs((t.left + t.right) - 92), 3); }},
        {agCenterRight, "centre right", [](const TRect& t) { EXPECT_TRUE(t.right <= 87 && t.right >= 83); }},
    };
    for (const auto& k : cases) {
        auto shape = MakeShape(100, 60);
        shape->Bevel()->SetWidth(5);
        shape->Bevel()->SetColor(TColor(Black));
        shape->Shadow()->SetStyle(hssSolid);
        shape->Shadow()->SetDepth(8);
        shape->Shadow()->SetColor(TColor(Grey));
        BlueCaption(shape.get(), k.alignment);
        drawtest::Surface s(100, 60, Back);
        shape->PaintToCanvas(s.Canvas());
        const TRect text = BlueText(s);
        ASSERT_FALSE(text.IsEmpty()) << k.name;
        SCOPED_TRACE(std::string(k.name) + " " + drawtest::Text(text));
        k.check(text);
    }
}

TEST(ZclShapeControl, ADisabledShapeDrawsItsCaptionDisabled)
{
    auto shape = MakeShape(80, 30);
    shape->Caption()->SetCaption("Key");
    shape->Caption()->Font()->SetColor(TColor(Blue));
    shape->Caption()->Font()->SetHeight(-14);
    for (bool enabled : {true, false}) {
        shape->SetEnabled(enabled);
        drawtest::Surface s(80, 30, Back);
        shape->PaintToCanvas(s.Canvas());
        EXPECT_EQ(s.Count(Blue) > 0, enabled) << enabled;
        EXPECT_TRUE(!OtherThan(s, {Red, Black}).IsEmpty()) << "text is drawn either way";
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Outline and modes

TEST(ZclShapeControl, MovingKeepsTheOutlineAndResizingWorksItOutAtTheNextPaint)
{
    TForm form(nullptr);
    auto* shape = new TZCLShapeControl(&form);
    shape->SetParent(&form);
    shape->SetBounds(10, 10, 60, 40);
    drawtest::Surface s(100, 80, Back);
    shape->PaintToCanvas(s.Canvas());
    TZCLPointList* outline = shape->PointList();
    ASSERT_GE(outline->Count(), 2);
    EXPECT_EQ(outline->PointAt(1), TPoint(60, 40)) << "a rectangle's far corner";

    // A mark in the list shows whether it was made again.
    const TPoint mark(-77, -77);
    outline->PutPoint(0, mark);
    shape->SetBounds(30, 25, 60, 40);
    shape->PaintToCanvas(s.Canvas());
    EXPECT_EQ(outline->PointAt(0), mark) << "a move alone does not work the outline out again";

    shape->SetBounds(30, 25, 80, 40);
    EXPECT_EQ(outline->PointAt(0), mark) << "not before the next paint";
    shape->PaintToCanvas(s.Canvas());
    EXPECT_NE(outline->PointAt(0), mark);
    EXPECT_EQ(outline->PointAt(1), TPoint(80, 40));
}

TEST(ZclShapeControl, TheFillModesKeepAFaceBitmapAndTheFastModesNone)
{
    auto shape = MakeShape(50, 30);
    EXPECT_EQ(shape->OffscreenBitmap(), nullptr);
    EXPECT_EQ(shape->ActiveTeeth(), nullptr);
    const struct {
        TZCLShapeControlMode mode;
        bool bitmap, teeth;
    } cases[] = {{scmShapeFill, true, false},
                 {scmShapeFast, false, false},
                 {scmTeethFill, true, true},
                 {scmTeethFast, false, true},
                 {scmShapeFast, false, false}};
    for (const auto& k : cases) {
        shape->SetMode(k.mode);
        EXPECT_EQ(shape->OffscreenBitmap() != nullptr, k.bitmap) << int(k.mode);
        EXPECT_EQ(shape->ActiveTeeth() == shape->Teeth(), k.teeth) << int(k.mode);
        if (k.bitmap) {
            EXPECT_TRUE(shape->OffscreenBitmap()->Empty()) << "filled at the next paint";
            drawtest::Surface s(50, 30, Back);
            shape->PaintToCanvas(s.Canvas());
            ASSERT_NE(shape->OffscreenBitmap(), nullptr);
            EXPECT_EQ(shape->OffscreenBitmap()->Width(), 50);
            EXPECT_EQ(shape->OffscreenBitmap()->Height(), 30);
            EXPECT_EQ(s.At(25, 15), Red) << "the face through the bitmap";
        }
    }
}

TEST(ZclShapeControl, TheFaceBitmapIsMadeAgainAfterAChange)
{
    auto shape = MakeShape(50, 30);
    shape->SetMode(scmShapeFill);
    drawtest::Surface s(50, 30, Back);
    shape->PaintToCanvas(s.Canvas());
    const struct {
        const char* what;
        std::function<void()> change;
        std::uint32_t face;
    } cases[] = {
        {"the brush", [&] { shape->Brush()->SetColor(TColor(Green)); }, Green},
        {"the size", [&] { shape->SetBounds(0, 0, 40, 30); }, Green},
        {"the fill",
         [&] {
             shape->ShapeFill()->SetBitmap(drawtest::MakeBitmap(8, 8, [](int, int) { return Blue; }).get());
             shape->ShapeFill()->SetStyle(sfBitmap);
         },
         Blue},
    };
    for (const auto& k : cases) {
        k.change();
        s.Fill(Back);
        shape->PaintToCanvas(s.Canvas());
        EXPECT_EQ(s.At(20, 15), k.face) << k.what;
    }
}

TEST(ZclShapeControl, EveryFillStyleShowsItsFaceInsideTheShape)
{
    TZCLImageList list(nullptr);
    auto* item = static_cast<TZCLImageListItem*>(list.GetItem(list.Add()));
    item->Add(drawtest::MakeBitmap(16, 16, [](int, int) { return Yellow; }).get(), nullptr);
    item->Add(drawtest::MakeBitmap(16, 16, [](int, int) { return Green; }).get(), nullptr);
    const auto tile = drawtest::MakeBitmap(10, 10, [](int x, int) { return x < 5 ? Blue : White; });

    const struct {
        const char* name;
        TZCLFillStyle style;
        std::function<void(TZCLShapeControl*)> setUp;
        std::function<void(const drawtest::Surface&)> check;
    } cases[] = {
        {"brush", sfBrush, nullptr, [](const drawtest::Surface& s) { EXPECT_EQ(s.At(50, 30), Red); }},
        {"brush pattern", sfBrushBitmap, nullptr, [](const drawtest::Surface& s) { EXPECT_EQ(s.At(50, 30), Red); }},
        {"no fill: hollow", sfNone, nullptr,
         [](const drawtest::Surface& s) {
             EXPECT_EQ(s.At(50, 30), Back);
             EXPECT_EQ(Walk(s, TPoint(50, 30), TPoint(2, 2)), (std::vector<std::uint32_t>{Back, Black, Back}));
         }},
        {"tiled bitmap", sfBitmap, [&](TZCLShapeControl* c) { c->ShapeFill()->SetBitmap(tile.get()); },
         [](const drawtest::Surface& s) {
             EXPECT_EQ(s.At(41, 30), Blue);
             EXPECT_EQ(s.At(46, 30), White);
             EXPECT_EQ(s.At(51, 30), Blue) << "the next tile";
         }},
        {"image list", sfBitmapList,
         [&](TZCLShapeControl* c) {
             c->SetImageList(&list);
             c->SetIndex(0, 1);
         },
         [](const drawtest::Surface& s) { EXPECT_EQ(s.At(50, 30), Green); }},
        {"gradient", sfGradient,
         [](TZCLShapeControl* c) {
             c->ShapeFill()->Gradient()->SetStyle(gstHorizontal);
             c->ShapeFill()->Gradient()->SetColor(TColor(Red));
             c->ShapeFill()->Gradient()->SetEndColor(TColor(Blue));
         },
         [](const drawtest::Surface& s) {
             const std::uint32_t left = s.At(15, 30), right = s.At(85, 30);
             EXPECT_GT(left & 0xFF, 0x80u) << "red on the left";
             EXPECT_GT(right >> 16, 0x80u) << "blue on the right";
         }},
    };
    for (const auto& k : cases) {
        auto shape = MakeShape(100, 60);
        shape->SetShape(stEllipse);
        shape->SetMode(scmShapeFill);
        shape->ShapeFill()->SetStyle(k.style);
        if (k.setUp) k.setUp(shape.get());
        drawtest::Surface s(100, 60, Back);
        shape->PaintToCanvas(s.Canvas());
        SCOPED_TRACE(k.name);
        k.check(s);
        EXPECT_EQ(s.At(2, 2), Back) << "outside the ellipse";
        EXPECT_EQ(s.Count(Key), 0) << "the mask colour never shows";
        shape->SetImageList(nullptr);
    }
}

TEST(ZclShapeControl, ChangingTheImageShowsTheNewItemAndLosingTheListEmptiesTheFace)
{
    auto list = std::make_unique<TZCLImageList>(nullptr);
    auto* item = static_cast<TZCLImageListItem*>(list->GetItem(list->Add()));
    item->Add(drawtest::MakeBitmap(16, 16, [](int, int) { return Yellow; }).get(), nullptr);
    item->Add(drawtest::MakeBitmap(16, 16, [](int, int) { return Green; }).get(), nullptr);
    auto shape = MakeShape(40, 40);
    shape->SetMode(scmShapeFill);
    shape->ShapeFill()->SetStyle(sfBitmapList);
    shape->SetImageList(list.get());
    const struct {
        const char* what;
        std::function<void()> change;
        std::uint32_t face;
    } cases[] = {
        {"the first image", [] {}, Yellow},
        {"the second image", [&] { shape->SetIndex(0, 1); }, Green},
        {"an index past the list", [&] { shape->SetIndex(0, 7); }, Back},
        {"back to the first", [&] { shape->SetIndex(0, 0); }, Yellow},
        {"the list freed", [&] { list.reset(); }, Back},
    };
    for (const auto& k : cases) {
        k.change();
        drawtest::Surface s(40, 40, Back);
        shape->PaintToCanvas(s.Canvas());
        EXPECT_EQ(s.At(20, 20), k.face) << k.what;
    }
    EXPECT_EQ(shape->ImageList(), nullptr);
}

TEST(ZclShapeControl, ACaptionClippedToTheShapeStaysInsideIt)
{
    auto make = [](bool clip) {
        auto shape = MakeShape(100, 40);
        shape->SetShape(stEllipse);
        shape->SetMode(scmShapeFill);
        shape->SetCaptionClip(clip);
        shape->Caption()->SetCaption("MMMMMMMMMMMM");
        shape->Caption()->Font()->SetName("Arial");
        shape->Caption()->Font()->SetHeight(-30);
        shape->Caption()->Font()->SetColor(TColor(Blue));
        return shape;
    };
    // Where the shape leaves the background, without a caption.
    drawtest::Surface bare(100, 40, Back);
    {
        auto shape = make(false);
        shape->Caption()->SetCaption("");
        shape->PaintToCanvas(bare.Canvas());
    }
    for (bool clip : {false, true}) {
        auto shape = make(clip);
        drawtest::Surface s(100, 40, Back);
        shape->PaintToCanvas(s.Canvas());
        int outside = 0, inside = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 100; ++x)
                if (s.At(x, y) == Blue) ++(bare.At(x, y) == Back ? outside : inside);
        EXPECT_GT(inside, 0) << clip;
        if (clip) EXPECT_EQ(outside, 0) << "cut by the shape";
        else EXPECT_GT(outside, 0) << "drawn over the corners";
    }
}

TEST(ZclShapeControl, TeethCutTheEdgeTheyAreOn)
{
    const struct {
        TZCLDirection direction;
        const char* name;
        TPoint edgeFrom, edgeTo;      // a line inside the teeth's depth, along the edge
        TPoint acrossFrom, acrossTo;  // a line on the opposite side
    } cases[] = {
        {tdRight, "right", {96, 2}, {96, 77}, {3, 2}, {3, 77}},
        {tdLeft, "left", {3, 2}, {3, 77}, {96, 2}, {96, 77}},
        {tdDown, "down", {2, 76}, {97, 76}, {2, 3}, {97, 3}},
        {tdUp, "up", {2, 3}, {97, 3}, {2, 76}, {97, 76}},
    };
    for (TZCLShapeControlMode mode : {scmTeethFast, scmTeethFill})
        for (const auto& k : cases) {
            auto shape = MakeShape(100, 80);
            shape->SetMode(mode);
            shape->Bevel()->SetWidth(1);
            PutTeeth(shape.get(), k.direction, 5, 8);
            drawtest::Surface s(100, 80, Back);
            shape->PaintToCanvas(s.Canvas());
            SCOPED_TRACE(std::string(k.name) + (mode == scmTeethFill ? " fill" : " fast"));
            const auto edge = Walk(s, k.edgeFrom, k.edgeTo);
            EXPECT_GE(std::count(edge.begin(), edge.end(), Back), 3) << Hex(edge);
            EXPECT_GE(std::count(edge.begin(), edge.end(), Red), 3) << Hex(edge);
            EXPECT_EQ(Walk(s, k.acrossFrom, k.acrossTo), (std::vector<std::uint32_t>{Red}));
        }
}

TEST(ZclShapeControl, OnlyAChangedSettingWorksTheOutlineOutAgain)
{
    // Each setting set to what it holds, then to something else; a mark in the outline shows a new one.
    const struct {
        const char* what;
        std::function<void(TZCLShapeControl*)> same, changed;
    } cases[] = {
        {"shape", [](auto* s) { s->SetShape(stRectangle); }, [](auto* s) { s->SetShape(stDiamond); }},
        {"square", [](auto* s) { s->SetSquare(false); }, [](auto* s) { s->SetSquare(true); }},
        {"round percent", [](auto* s) { s->SetRoundPercent(33); }, [](auto* s) { s->SetRoundPercent(60); }},
        {"brush back colour", [](auto* s) { s->SetBrushBackColor(clBtnFace); },
         [](auto* s) { s->SetBrushBackColor(clAqua); }},
        {"caption clip", [](auto* s) { s->SetCaptionClip(false); }, [](auto* s) { s->SetCaptionClip(true); }},
        {"mode", [](auto* s) { s->SetMode(scmShapeFast); }, [](auto* s) { s->SetMode(scmTeethFast); }},
        {"bevel", [](auto* s) { s->Bevel()->SetWidth(3); }, [](auto* s) { s->Bevel()->SetWidth(5); }},
        {"brush", [](auto* s) { s->Brush()->SetColor(TColor(Red)); }, [](auto* s) { s->Brush()->SetColor(clLime); }},
        {"shadow", [](auto* s) { s->Shadow()->SetStyle(hssNone); }, [](auto* s) { s->Shadow()->SetStyle(hssSolid); }},
        {"teeth", [](auto* s) { s->Teeth()->SetCount(s->Teeth()->Count()); },
         [](auto* s) { s->Teeth()->SetCount(s->Teeth()->Count() + 2); }},
    };
    const TPoint mark(-77, -77);
    for (const auto& k : cases) {
        auto shape = MakeShape(60, 40);
        drawtest::Surface s(60, 40, Back);
        shape->PaintToCanvas(s.Canvas());
        ASSERT_GE(shape->PointList()->Count(), 1) << k.what;
        shape->PointList()->PutPoint(0, mark);
        k.same(shape.get());
        EXPECT_EQ(shape->PointList()->PointAt(0), mark) << k.what << ": the same value changes nothing";
        k.changed(shape.get());
        EXPECT_NE(shape->PointList()->PointAt(0), mark) << k.what << ": a new value is worked out at once";
    }
}

TEST(ZclShapeControl, ANewCaptionIsDrawnWithoutWorkingTheOutlineOutAgain)
{
    auto shape = MakeShape(80, 30);
    shape->Caption()->Font()->SetHeight(-14);
    shape->Caption()->Font()->SetColor(TColor(Blue));
    drawtest::Surface s(80, 30, Back);
    shape->PaintToCanvas(s.Canvas());
    EXPECT_EQ(s.Count(Blue), 0);
    const TPoint mark(-77, -77);
    shape->PointList()->PutPoint(0, mark);
    shape->Caption()->SetCaption("Key");
    shape->PaintToCanvas(s.Canvas());
    EXPECT_GT(s.Count(Blue), 0) << "the new text shows";
    EXPECT_EQ(shape->PointList()->PointAt(0), mark);
}

TEST(ZclShapeControl, TheCaptionKeepsOffTheTeethInBothTeethModes)
{
    // 100 x 60, 1-pixel outline, teeth 12 deep: the text room is the client less the outline and the teeth.
    const struct {
        TZCLDirection direction;
        TZCLAlignment alignment;
        const char* name;
        std::function<bool(const TRect&)> ok;
    } cases[] = {
        {tdLeft, agCenterLeft, "left", [](const TRect& t) { return t.left >= 13 && t.left <= 16; }},
        {tdUp, agTopCenter, "up", [](const TRect& t) { return t.top >= 13 && t.top <= 18; }},
        {tdRight, agCenterRight, "right", [](const TRect& t) { return t.right <= 87 && t.right >= 84; }},
        {tdDown, agBottomCenter, "down", [](const TRect& t) { return t.bottom <= 47 && t.bottom >= 43; }},
    };
    for (TZCLShapeControlMode mode : {scmTeethFast, scmTeethFill})
        for (const auto& k : cases) {
            auto shape = MakeShape(100, 60);
            shape->SetMode(mode);
            shape->Bevel()->SetWidth(1);
            PutTeeth(shape.get(), k.direction, 4, 12);
            BlueCaption(shape.get(), k.alignment);
            drawtest::Surface s(100, 60, Back);
            shape->PaintToCanvas(s.Canvas());
            const TRect text = BlueText(s);
            ASSERT_FALSE(text.IsEmpty()) << k.name;
            EXPECT_TRUE(k.ok(text)) << k.name << (mode == scmTeethFill ? " fill " : " fast ") << drawtest::Text(text);
        }
}

TEST(ZclShapeControl, TinyShapesPaintOnlyInsideTheirControl)
{
    // Outline, shadow, teeth and caption larger than the control itself, painted by the parent as on the screen.
    const TSize sizes[] = {{0, 0}, {1, 1}, {2, 3}, {6, 50}, {50, 6}};
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 100, 100);
    form.SetColor(TColor(Back));
    auto* shape = new TZCLShapeControl(&form);
    shape->SetParent(&form);
    shape->SetColor(TColor(Key));
    shape->Brush()->SetColor(TColor(Red));
    shape->Bevel()->SetWidth(4);
    shape->Shadow()->SetStyle(hssSolid);
    shape->Shadow()->SetDepth(8);
    shape->Shadow()->SetColor(TColor(Grey));
    shape->Teeth()->SetWidth(10);
    shape->Teeth()->SetHeight(10);
    shape->Caption()->SetCaption("Hg");
    shape->Caption()->Font()->SetHeight(-14);
    for (TZCLShapeControlMode mode : {scmShapeFast, scmShapeFill, scmTeethFast, scmTeethFill})
        for (int kind = stEllipse; kind <= stStar; ++kind)
            for (bool transparent : {true, false})
                for (const TSize& size : sizes) {
                    shape->SetMode(mode);
                    shape->SetShape(TZCLShapeType(kind));
                    shape->SetTransparent(transparent);
                    shape->SetBounds(30, 30, size.cx, size.cy);
                    drawtest::Surface s(100, 100, White);
                    form.PaintTo(s.dc(), 0, 0);
                    const TRect drawn = OtherThan(s, {Back});
                    SCOPED_TRACE(std::to_string(kind) + " mode " + std::to_string(int(mode)) + " " +
                                 std::to_string(size.cx) + "x" + std::to_string(size.cy) + " " +
                                 drawtest::Text(drawn));
                    if (size.cx == 0) {
                        EXPECT_TRUE(drawn.IsEmpty());
                    } else {
                        EXPECT_TRUE(drawn.IsEmpty() || (drawn.left >= 30 && drawn.top >= 30 &&
                                                        drawn.right <= 30 + size.cx && drawn.bottom <= 30 + size.cy));
                    }
                    if (!transparent && size.cx > 0) {
                        EXPECT_EQ(s.Count(Back, TRect(30, 30, 30 + size.cx, 30 + size.cy)), 0) << "all painted";
                    }
                }
}

TEST(ZclShapeControl, TeethOfNoSizeOrLargerThanTheShapePaintOnlyInsideTheControl)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 120, 100);
    form.SetColor(TColor(Back));
    auto* shape = new TZCLShapeControl(&form);
    shape->SetParent(&form);
    shape->SetBounds(30, 30, 60, 40);
    shape->Brush()->SetColor(TColor(Red));
    shape->Shadow()->SetStyle(hssNone);
    shape->Caption()->SetCaption("Hg");
    const struct {
        int count, depth;
    } teeth[] = {{1, 0}, {0, 8}, {3, -6}, {3, 39}, {3, 500}, {200, 8}};
    for (TZCLShapeControlMode mode : {scmTeethFast, scmTeethFill})
        for (int direction = tdRight; direction <= tdUp; ++direction)
            for (const auto& k : teeth) {
                shape->SetMode(mode);
                PutTeeth(shape, TZCLDirection(direction), k.count, k.depth);
                drawtest::Surface s(120, 100, White);
                form.PaintTo(s.dc(), 0, 0);
                const TRect drawn = OtherThan(s, {Back});
                SCOPED_TRACE("mode " + std::to_string(int(mode)) + " side " + std::to_string(direction) + " count " +
                             std::to_string(k.count) + " depth " + std::to_string(k.depth) + " " +
                             drawtest::Text(drawn));
                EXPECT_TRUE(drawn.IsEmpty() ||
                            (drawn.left >= 30 && drawn.top >= 30 && drawn.right <= 90 && drawn.bottom <= 70));
                EXPECT_GT(s.Count(Red), 0) << "some face is left";
            }
}

TEST(ZclShapeControl, AColourOrEnabledChangeMakesTheFaceAgain)
{
    // A hollow face is filled with the control's colour, which is also the colour left out when it is drawn.
    auto hollow = MakeShape(60, 40);
    hollow->SetMode(scmShapeFill);
    hollow->ShapeFill()->SetStyle(sfNone);
    for (std::uint32_t colour : {Key, Green, Yellow}) {
        hollow->SetColor(TColor(colour));
        drawtest::Surface s(60, 40, Back);
        hollow->PaintToCanvas(s.Canvas());
        EXPECT_EQ(s.At(30, 20), Back) << std::hex << colour;
    }
    // A clipped caption lives in the face: disabling the shape draws it disabled.
    auto clipped = MakeShape(80, 30);
    clipped->SetMode(scmShapeFill);
    clipped->SetCaptionClip(true);
    clipped->Caption()->SetCaption("Key");
    clipped->Caption()->Font()->SetHeight(-14);
    clipped->Caption()->Font()->SetColor(TColor(Blue));
    for (bool enabled : {true, false, true}) {
        clipped->SetEnabled(enabled);
        drawtest::Surface s(80, 30, Back);
        clipped->PaintToCanvas(s.Canvas());
        EXPECT_EQ(s.Count(Blue) > 0, enabled) << enabled;
    }
}

TEST(ZclShapeControl, ThePaletteIsTheFillsInTheFillModesOnly)
{
    auto picture = drawtest::MakeBitmap(8, 8, [](int x, int) { return x < 4 ? Red : Blue; });
    picture->SetPixelFormat(pf8bit);
    auto shape = MakeShape(40, 40);
    shape->ShapeFill()->SetBitmap(picture.get());
    shape->ShapeFill()->SetStyle(sfBitmap);
    const HPALETTE palette = shape->ShapeFill()->Bitmap()->Palette();
    ASSERT_NE(palette, nullptr);
    const struct {
        TZCLShapeControlMode mode;
        bool has;
    } cases[] = {{scmShapeFast, false}, {scmShapeFill, true}, {scmTeethFast, false}, {scmTeethFill, true}};
    for (const auto& k : cases) {
        shape->SetMode(k.mode);
        EXPECT_EQ(shape->GetPalette(), k.has ? palette : nullptr) << int(k.mode);
    }
}

TEST(ZclShapeControl, WhileTheFormLoadsNothingIsPaintedAndTheOutlineWaits)
{
    TForm form(nullptr);
    TZCLShapeControl* shape = nullptr;
    drawtest::Surface s(100, 80, Back);
    {
        TComponentLoader loading(&form);
        shape = new TZCLShapeControl(&form);
        shape->SetParent(&form);
        shape->SetBounds(0, 0, 60, 40);
        shape->SetShape(stDiamond);
        shape->Brush()->SetColor(TColor(Red));
        shape->Bevel()->SetWidth(0);
        EXPECT_EQ(shape->PointList()->Count(), 0) << "nothing worked out while loading";
        shape->Perform(WM_PAINT, reinterpret_cast<WPARAM>(s.dc()), 0);
        EXPECT_EQ(s.Count(Back), 100 * 80) << "nor painted";
        loading.Finish();
    }
    shape->Perform(WM_PAINT, reinterpret_cast<WPARAM>(s.dc()), 0);
    EXPECT_EQ(s.At(30, 20), Red);
    EXPECT_EQ(s.At(2, 2), Back) << "a diamond";
    EXPECT_GT(shape->PointList()->Count(), 0);
}

// ---------------------------------------------------------------------------------------------------------------
// Files and streams

TEST(ZclShapeControl, SaveToFileWritesTheShapeAtTheControlsSize)
{
    auto shape = MakeShape(64, 48);
    shape->SetShape(stEllipse);
    const std::string file = zcltest::TempDir() + "zcl-shape-save.bmp";
    DeleteFileA(file.c_str());
    shape->SaveToFile(file.c_str());
    TBitmap back;
    back.LoadFromFile(file.c_str());
    EXPECT_EQ(back.Width(), 64);
    EXPECT_EQ(back.Height(), 48);
    EXPECT_EQ(drawtest::PixelOf(&back, 32, 24), Red);
    EXPECT_EQ(drawtest::PixelOf(&back, 1, 1), White) << "a transparent shape on white";
    DeleteFileA(file.c_str());
}

TEST(ZclShapeControl, ItsPublishedPropertiesGoThroughAStream)
{
    TForm form(nullptr);
    auto* shape = new TZCLShapeControl(&form);
    shape->SetName("Key7");
    shape->SetShape(stRoundRect);
    shape->SetMode(scmShapeFill);
    shape->SetRoundPercent(40);
    shape->SetCaptionClip(true);
    shape->SetBrushBackColor(TColor(Green));
    shape->SetTransparent(false);
    shape->Bevel()->SetWidth(0);
    shape->Brush()->SetColor(clYellow);
    shape->Caption()->SetCaption("ABC");
    shape->Caption()->SetAlignment(agCenterLeft);
    shape->Caption()->Font()->SetName("Small Fonts");
    shape->Shadow()->SetStyle(hssNone);
    shape->Teeth()->SetCount(7);
    shape->ShapeFill()->SetStyle(sfGradient);
    TMemoryStream stream;
    {
        TWriter writer(&stream);
        writer.SetRoot(&form);
        writer.WriteComponent(shape);
    }
    stream.SetPosition(0);
    TForm other(nullptr);
    auto* back = new TZCLShapeControl(&other);
    {
        TReader reader(&stream);
        reader.SetRoot(&other);
        reader.SetOwner(&other);
        reader.ReadComponent(back);
    }
    EXPECT_EQ(back->Shape(), stRoundRect);
    EXPECT_EQ(back->Mode(), scmShapeFill);
    EXPECT_EQ(back->RoundPercent(), 40);
    EXPECT_TRUE(back->CaptionClip());
    EXPECT_EQ(back->BrushBackColor(), TColor(Green));
    EXPECT_FALSE(back->Transparent());
    EXPECT_EQ(back->Bevel()->Width(), 0);
    EXPECT_EQ(back->Brush()->Color(), clYellow);
    EXPECT_EQ(back->Caption()->Caption(), "ABC");
    EXPECT_EQ(back->Caption()->Alignment(), agCenterLeft);
    EXPECT_EQ(back->Caption()->Font()->Name(), "Small Fonts");
    EXPECT_EQ(back->Shadow()->Style(), hssNone);
    EXPECT_EQ(back->Teeth()->Count(), 7);
    EXPECT_EQ(back->ShapeFill()->Style(), sfGradient);
}

// ---------------------------------------------------------------------------------------------------------------
// Real mouse moves

class ZclShapeControlMouse : public ShownForm {};

TEST_F(ZclShapeControlMouse, EnterAndExitFollowTheMouseAcrossARowOfShapes)
{
    std::vector<std::string> log;
    TZCLShapeControl* shapes[3];
    for (int i = 0; i < 3; ++i) {
        shapes[i] = new TZCLShapeControl(form.get());
        shapes[i]->SetParent(form.get());
        shapes[i]->SetBounds(20 + 70 * i, 60, 60, 30);
        shapes[i]->SetTag(i + 1);
        shapes[i]->Brush()->SetColor(clYellow);
        shapes[i]->Bevel()->SetWidth(0);
        shapes[i]->Shadow()->SetStyle(hssNone);
        shapes[i]->SetOnMouseEnter(TNotifyEvent::From(
            [&log](TObject* s) { log.push_back("enter " + std::to_string(static_cast<TComponent*>(s)->Tag())); }));
        shapes[i]->SetOnMouseExit(TNotifyEvent::From(
            [&log](TObject* s) { log.push_back("exit " + std::to_string(static_cast<TComponent*>(s)->Tag())); }));
    }
    ShowForm();
    MouseToControl(form.get(), 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return MouseControl() == form.get(); }, 3000));
    log.clear();

    for (TZCLShapeControl* shape : shapes) {
        MouseToControl(shape, 30, 15);
        ASSERT_TRUE(PumpUntil([&] { return MouseControl() == shape; }, 3000));
    }
    MouseToControl(form.get(), 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return MouseControl() == form.get() && log.size() >= 6; }, 3000));
    EXPECT_EQ(log, (std::vector<std::string>{"enter 1", "exit 1", "enter 2", "exit 2", "enter 3", "exit 3"}));

    // And they are drawn where they stand.
    const testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    const TPoint p = shapes[1]->ClientToScreen(TPoint(50, 25));
    EXPECT_EQ(shot.AtScreen(p.x, p.y), Rgb(clYellow));
}

TEST_F(ZclShapeControlMouse, ClicksReachTheEnabledShapeUnderThePointerAndNoOther)
{
    std::vector<std::string> log;
    auto watch = [&log](TZCLShapeControl* shape, const std::string& name) {
        shape->SetOnClick(TNotifyEvent::From([&log, name](TObject*) { log.push_back("click " + name); }));
        shape->SetOnDblClick(TNotifyEvent::From([&log, name](TObject*) { log.push_back("double " + name); }));
        shape->SetOnMouseDown(TMouseEvent::From([&log, name](TObject*, TMouseButton b, TShiftState, int x, int y) {
            log.push_back("down " + name + (b == mbLeft ? " left " : " other ") + std::to_string(x) + "," +
                          std::to_string(y));
        }));
        shape->SetOnMouseUp(TMouseEvent::From([&log, name](TObject*, TMouseButton, TShiftState, int x, int y) {
            log.push_back("up " + name + " " + std::to_string(x) + "," + std::to_string(y));
        }));
        shape->SetOnMouseEnter(TNotifyEvent::From([&log, name](TObject*) { log.push_back("enter " + name); }));
    };
    auto make = [&](int x, TZCLShapeType kind) {
        auto* s = new TZCLShapeControl(form.get());
        s->SetParent(form.get());
        s->SetBounds(x, 60, 60, 40);
        s->SetShape(kind);
        s->Brush()->SetColor(clYellow);
        return s;
    };
    TZCLShapeControl* a = make(20, stEllipse);
    TZCLShapeControl* b = make(100, stRectangle);
    b->SetEnabled(false);
    watch(a, "A");
    watch(b, "B");
    ShowForm();
    auto click = [&](TControl* c, int x, int y) {
        MouseToControl(c, x, y);
        controltest::MouseButton(true);
        controltest::MouseButton(false);
    };

    click(a, 30, 20);
    ASSERT_TRUE(PumpUntil([&] { return std::count(log.begin(), log.end(), "up A 30,20") == 1; }, 5000));
    EXPECT_EQ(log, (std::vector<std::string>{"enter A", "down A left 30,20", "click A", "up A 30,20"}));

    // The whole control takes the click, the ellipse's corners too; a disabled shape takes nothing.
    log.clear();
    click(a, 2, 2);
    click(b, 30, 20);
    ASSERT_TRUE(PumpUntil([&] { return std::count(log.begin(), log.end(), "up A 2,2") == 1; }, 5000));
    MouseToControl(form.get(), 300, 5);
    ASSERT_TRUE(PumpUntil([&] { return MouseControl() == form.get(); }, 5000));
    EXPECT_EQ(log, (std::vector<std::string>{"down A left 2,2", "click A", "up A 2,2"}));

    // Pressed on the shape and let go beside it: the shape keeps the mouse until the release, but no click.
    log.clear();
    MouseToControl(a, 30, 20);
    controltest::MouseButton(true);
    MouseToControl(a, 75, 20);
    controltest::MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return std::count(log.begin(), log.end(), "up A 75,20") == 1; }, 5000));
    EXPECT_EQ(std::count(log.begin(), log.end(), "click A"), 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ZclShapeControlMouse, ADoubleClickFiresOnce)
{
    // A long double-click time, so that a slow machine still sees two quick clicks as one double click.
    const UINT oldTime = GetDoubleClickTime();
    SetDoubleClickTime(5000);
    auto* shape = new TZCLShapeControl(form.get());
    shape->SetParent(form.get());
    shape->SetBounds(40, 40, 80, 40);
    int clicks = 0, doubles = 0;
    shape->SetOnClick(TNotifyEvent::From([&](TObject*) { ++clicks; }));
    shape->SetOnDblClick(TNotifyEvent::From([&](TObject*) { ++doubles; }));
    ShowForm();
    MouseToControl(shape, 40, 20);
    for (int i = 0; i < 2; ++i) {
        controltest::MouseButton(true);
        controltest::MouseButton(false);
    }
    const bool seen = PumpUntil([&] { return doubles == 1 && clicks == 2; }, 5000);
    SetDoubleClickTime(oldTime);
    ASSERT_TRUE(seen) << clicks << " clicks, " << doubles << " double clicks";
    // Settled: nothing more arrives.
    MouseToControl(form.get(), 300, 5);
    EXPECT_EQ(doubles, 1);
}

TEST_F(ZclShapeControlMouse, ARightClickOpensThePopupMenu)
{
    auto* shape = new TZCLShapeControl(form.get());
    shape->SetParent(form.get());
    shape->SetBounds(40, 40, 80, 40);
    auto* menu = new TPopupMenu(form.get());
    std::vector<std::string> chosen;
    for (const char* caption : {"&Copy", "&Paste"}) {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption(caption);
        item->SetOnClick(TNotifyEvent::From([&chosen, caption](TObject*) { chosen.push_back(caption); }));
        menu->Items()->Add(item);
    }
    shape->SetPopupMenu(menu);
    ShowForm();
    const TPoint p = shape->ClientToScreen(TPoint(20, 20));
    // The item's accelerator chooses it whichever item the open menu has selected already.
    zcltest::MenuWatcher watcher({WPARAM('P')});
    zcltest::MouseInput(p.x, p.y, MOUSEEVENTF_RIGHTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return !chosen.empty(); }, 10000));
    watcher.Finish();
    EXPECT_TRUE(watcher.opened);
    EXPECT_EQ(watcher.items, (std::vector<std::string>{"&Copy", "&Paste"}));
    EXPECT_EQ(chosen, (std::vector<std::string>{"&Paste"}));
    EXPECT_EQ(menu->PopupComponent(), shape);
}

TEST_F(ZclShapeControlMouse, AChangedShapeIsRepaintedOnTheDisplay)
{
    // Transparent and opaque, painted straight on and through the face bitmap.
    const struct {
        bool transparent;
        TZCLShapeControlMode mode;
    } cases[] = {{true, scmShapeFast}, {false, scmShapeFast}, {true, scmShapeFill}, {false, scmShapeFill}};
    TZCLShapeControl* shapes[4];
    for (int i = 0; i < 4; ++i) {
        shapes[i] = new TZCLShapeControl(form.get());
        shapes[i]->SetParent(form.get());
        shapes[i]->SetBounds(10 + 75 * i, 40, 70, 40);
        shapes[i]->SetTransparent(cases[i].transparent);
        shapes[i]->SetMode(cases[i].mode);
        shapes[i]->Brush()->SetColor(clYellow);
        shapes[i]->Shadow()->SetStyle(hssNone);
    }
    ShowForm();
    auto faces = [&](TColor colour) {
        return PumpUntil(
            [&] {
                for (int i = 0; i < 4; ++i)
                    if (WindowPixel(form->Handle(), 10 + 75 * i + 35, 60) != Rgb(colour)) return false;
                return true;
            },
            5000);
    };
    ASSERT_TRUE(faces(clYellow));
    for (TZCLShapeControl* s : shapes) s->Brush()->SetColor(clAqua);
    EXPECT_TRUE(faces(clAqua));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(WindowPixel(form->Handle(), 10 + 75 * i + 35, 60), Rgb(clAqua))
            << cases[i].transparent << " " << int(cases[i].mode);
    // The form round them is left as it was.
    EXPECT_EQ(WindowPixel(form->Handle(), 5, 60), Rgb(clWhite));
    EXPECT_EQ(WindowPixel(form->Handle(), 40, 85), Rgb(clWhite));
}
