// Fill objects painting into DIB sections: brush, brush pattern, bitmaps placed, centred, stretched and tiled,
// the list bitmap and gradients; what they report as painted and as transparent; clipped fills that give the
// caller's clip region back; change reports, Assign and the stored form.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DrawTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclfillobject.h"

namespace {

constexpr std::uint32_t Back = 0x123456, Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, White = 0xFFFFFF,
                        Black = 0x000000, Yellow = 0x00FFFF;

// 4 x 2: the left half green, the right half blue.
std::unique_ptr<TBitmap> Picture()
{
    return drawtest::MakeBitmap(4, 2, [](int x, int) { return x < 2 ? Green : Blue; });
}

}  // namespace

TEST(ZclFillObject, WhatShowsThrough)
{
    TZCLFillObject f;
    EXPECT_EQ(f.Style(), sfNone);
    EXPECT_EQ(f.Alignment(), agTopLeft);
    EXPECT_TRUE(f.Options() == (TZCLFillOptions{foFillInner, foGrUseBitmap}));
    // clang-format off
    struct Case {
        TZCLFillStyle style;
        TZCLTileMode tile;
        TBrushStyle brush;
        bool fillInner;
        bool transparent;
    } const cases[] = {
        {sfNone, tmTile, bsSolid, true, true},
        {sfBrushBitmap, tmTile, bsSolid, false, false},
        {sfBrush, tmTile, bsSolid, false, false},
        {sfBrush, tmTile, bsCross, true, true},
        {sfBrush, tmTile, bsClear, true, true},
        {sfBitmap, tmNone, bsSolid, false, true},
        {sfBitmap, tmNone, bsSolid, true, false},
        {sfBitmap, tmCenter, bsSolid, false, true},
        {sfBitmapList, tmCenter, bsSolid, false, true},
        {sfBitmapList, tmCenter, bsSolid, true, false},
        {sfBitmap, tmStretch, bsSolid, false, false},
        {sfBitmapList, tmTile, bsSolid, false, false},
        {sfGradient, tmNone, bsCross, false, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        f.SetStyle(c.style);
        f.SetTileMode(c.tile);
        f.Brush()->SetStyle(c.brush);
        f.SetOptions(c.fillInner ? TZCLFillOptions{foFillInner} : TZCLFillOptions{});
        EXPECT_EQ(f.GetTransparent(), c.transparent) << int(c.style) << " " << int(c.tile) << " " << c.fillInner;
    }
}

TEST(ZclFillObject, BrushesAndPatternsFillTheRectangle)
{
    TZCLFillObject f;
    drawtest::Surface s(40, 30, Back);
    EXPECT_FALSE(f.FillCanvas(s.Canvas(), TRect(0, 0, 40, 30), clWhite));
    EXPECT_EQ(s.Count(Back), 40 * 30);

    f.SetStyle(sfBrush);
    f.Brush()->SetColor(TColor(Red));
    EXPECT_TRUE(f.FillCanvas(s.Canvas(), TRect(5, 5, 25, 15), clWhite));
    EXPECT_EQ(s.Count(Red, TRect(5, 5, 25, 15)), 200);
    EXPECT_EQ(s.Count(Red), 200);

    // A hatched brush leaves its gaps as they were.
    s.Fill(Back);
    f.Brush()->SetStyle(bsHorizontal);
    EXPECT_TRUE(f.FillCanvas(s.Canvas(), TRect(0, 0, 40, 30), TColor(Yellow)));
    EXPECT_GT(s.Count(Red), 0);
    EXPECT_GT(s.Count(Back), 0);
    EXPECT_EQ(s.Count(Red) + s.Count(Back), 40 * 30);

    // A brush pattern repeats the bitmap from the DC's origin; the canvas's brush lets go of it afterwards.
    s.Fill(Back);
    f.SetStyle(sfBrushBitmap);
    EXPECT_FALSE(f.FillCanvas(s.Canvas(), TRect(0, 0, 40, 30), clWhite));  // no bitmap yet
    EXPECT_EQ(s.Count(Back), 40 * 30);
    auto checker = drawtest::MakeBitmap(8, 8, [](int x, int y) { return (x + y) % 2 ? Black : White; });
    f.SetBitmap(checker.get());
    EXPECT_TRUE(f.FillCanvas(s.Canvas(), TRect(0, 0, 40, 30), clWhite));
    EXPECT_EQ(s.At(0, 0), White);
    EXPECT_EQ(s.At(1, 0), Black);
    EXPECT_EQ(s.At(39, 29), White);
    EXPECT_EQ(s.Canvas()->Brush()->Bitmap(), nullptr);
}

TEST(ZclFillObject, BitmapsByTileMode)
{
    auto picture = Picture();
    struct Case {
        const char* name;
        TZCLTileMode tile;
        TZCLAlignment alignment;
        int dx, dy;
        bool fillInner;
        // Pixels of the 20 x 10 surface and their colours.
        std::vector<std::pair<TPoint, std::uint32_t>> pixels;
    };
    // clang-format off
    const Case cases[] = {
        {"top left", tmNone, agTopLeft, 0, 0, true,
         {{{0, 0}, Green}, {{3, 1}, Blue}, {{4, 0}, Yellow}, {{0, 2}, Yellow}, {{19, 9}, Yellow}}},
        {"bottom right, moved", tmNone, agBottomRight, -2, -3, false,
         {{{14, 5}, Green}, {{17, 6}, Blue}, {{18, 6}, Back}, {{17, 7}, Back}, {{0, 0}, Back}}},
        {"centred", tmNone, agCenter, 1, 0, false,
         {{{9, 4}, Green}, {{12, 5}, Blue}, {{8, 4}, Back}, {{13, 5}, Back}}},
        {"centre mode", tmCenter, agTopLeft, 5, 5, true,
         {{{8, 4}, Green}, {{11, 5}, Blue}, {{7, 4}, Yellow}, {{12, 5}, Yellow}, {{0, 0}, Yellow}}},
        {"stretched", tmStretch, agTopLeft, 0, 0, true,
         {{{0, 0}, Green}, {{9, 9}, Green}, {{10, 0}, Blue}, {{19, 9}, Blue}}},
        {"tiled", tmTile, agTopLeft, 0, 0, true,
         {{{0, 0}, Green}, {{2, 0}, Blue}, {{4, 1}, Green}, {{16, 8}, Green}, {{17, 8}, Green}, {{18, 9}, Blue}, {{19, 9}, Blue}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        TZCLFillObject f;
        f.SetStyle(sfBitmap);
        f.SetBitmap(picture.get());
        f.SetTileMode(c.tile);
        f.SetAlignment(c.alignment);
        f.SetOffsetX(c.dx);
        f.SetOffsetY(c.dy);
        f.SetOptions(c.fillInner ? TZCLFillOptions{foFillInner} : TZCLFillOptions{});
        drawtest::Surface s(20, 10, Back);
        EXPECT_TRUE(f.FillCanvas(s.Canvas(), TRect(0, 0, 20, 10), TColor(Yellow))) << c.name;
        for (const auto& [p, colour] : c.pixels)
            EXPECT_EQ(s.At(p.x, p.y), colour) << c.name << " " << p.x << "," << p.y;
    }
}

TEST(ZclFillObject, AnEmptyBitmapPaintsOnlyTheInnerFill)
{
    for (TZCLFillStyle style : {sfBitmap, sfBitmapList})
        for (bool inner : {true, false}) {
            TZCLFillObject f;
            f.SetStyle(style);
            f.SetOptions(inner ? TZCLFillOptions{foFillInner} : TZCLFillOptions{});
            drawtest::Surface s(10, 10, Back);
            EXPECT_FALSE(f.FillCanvas(s.Canvas(), TRect(0, 0, 10, 10), TColor(Yellow)));
            EXPECT_EQ(s.Count(inner ? Yellow : Back), 100) << int(style) << inner;
        }
    // The list bitmap is what a list fill draws.
    TZCLFillObject f;
    f.SetStyle(sfBitmapList);
    f.SetTileMode(tmStretch);
    auto red = drawtest::MakeBitmap(2, 2, [](int, int) { return Red; });
    f.SetBitmap(Picture().get());
    f.SetListBitmap(red.get());
    drawtest::Surface s(10, 10, Back);
    EXPECT_TRUE(f.FillCanvas(s.Canvas(), TRect(0, 0, 10, 10), TColor(Yellow)));
    EXPECT_EQ(s.Count(Red), 100);
}

TEST(ZclFillObject, GradientsWithAndWithoutTheOffScreenBitmap)
{
    for (bool offScreen : {true, false}) {
        TZCLFillObject f;
        f.SetStyle(sfGradient);
        f.SetOptions(offScreen ? TZCLFillOptions{foGrUseBitmap} : TZCLFillOptions{});
        f.Gradient()->SetStyle(gstHorizontal);
        f.Gradient()->SetColor(TColor(Red));
        f.Gradient()->SetEndColor(TColor(Blue));
        f.Gradient()->SetColorCount(5);
        drawtest::Surface s(60, 20, Back);
        EXPECT_TRUE(f.FillCanvas(s.Canvas(), TRect(5, 5, 55, 15), clWhite));
        EXPECT_EQ(s.At(5, 5), Red) << offScreen;
        EXPECT_EQ(s.At(54, 14), Blue) << offScreen;
        EXPECT_EQ(s.At(4, 5), Back) << offScreen;
        EXPECT_EQ(s.At(55, 14), Back) << offScreen;
    }
}

TEST(ZclFillObject, AClippedFillStaysInsideItsRectangleAndGivesTheClipBack)
{
    TZCLFillObject f;
    f.SetStyle(sfBrush);
    f.Brush()->SetColor(TColor(Red));
    drawtest::Surface s(40, 20, Back);
    // The clip lies 5 pixels right of R: a windowless control whose DC origin is moved.
    EXPECT_TRUE(f.ClipFill(s.Canvas(), TRect(10, 0, 30, 20), 5, clWhite));
    EXPECT_EQ(s.At(12, 10), Back);
    EXPECT_EQ(s.At(20, 10), Red);
    EXPECT_EQ(s.At(29, 10), Red);
    EXPECT_EQ(s.At(31, 10), Back);
    EXPECT_FALSE(drawtest::ClipOf(s.dc()).has);

    // A caller's clip region stays as it was, and still limits the fill.
    s.Fill(Back);
    IntersectClipRect(s.dc(), 0, 0, 25, 20);
    EXPECT_TRUE(f.ClipFill(s.Canvas(), TRect(10, 0, 30, 20), 0, clWhite));
    EXPECT_EQ(s.At(24, 10), Red);
    EXPECT_EQ(s.At(26, 10), Back);
    const drawtest::ClipState clip = drawtest::ClipOf(s.dc());
    EXPECT_TRUE(clip.has);
    EXPECT_TRUE(drawtest::SameRect(clip.box, TRect(0, 0, 25, 20)));
    SelectClipRgn(s.dc(), nullptr);

    // An off-screen gradient is put only into its rectangle anyway.
    f.SetStyle(sfGradient);
    f.Gradient()->SetColor(TColor(Green));
    f.Gradient()->SetEndColor(TColor(Green));
    s.Fill(Back);
    EXPECT_TRUE(f.ClipFill(s.Canvas(), TRect(10, 0, 30, 20), 5, clWhite));
    EXPECT_EQ(s.Count(Green), 20 * 20);
    EXPECT_FALSE(drawtest::ClipOf(s.dc()).has);
}

TEST(ZclFillObject, ChangesToldAssignAndTheStoredForm)
{
    TZCLFillObject f;
    int told = 0;
    f.SetOnChange(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, &f);
        ++told;
    }));
    // Placement matters to a bitmap at its own size only.
    f.SetAlignment(agCenter);
    f.SetOffsetX(3);
    EXPECT_EQ(told, 0);
    f.SetStyle(sfBitmap);
    f.SetTileMode(tmNone);
    told = 0;
    f.SetAlignment(agBottomLeft);
    f.SetOffsetY(-4);
    f.SetOffsetY(-4);
    EXPECT_EQ(told, 2);
    f.SetOptions(f.Options());  // always told
    f.Brush()->SetColor(clMaroon);
    EXPECT_EQ(told, 4);

    TZCLFillObject copy;
    int copyTold = 0;
    copy.SetOnChange(TNotifyEvent::From([&](TObject*) { ++copyTold; }));
    f.SetOptions(TZCLFillOptions{foQuickDraw});
    f.Gradient()->SetColorCount(77);
    auto picture = Picture();
    f.SetBitmap(picture.get());
    copy.Assign(&f);
    EXPECT_EQ(copyTold, 1);
    EXPECT_EQ(copy.Style(), sfBitmap);
    EXPECT_EQ(copy.TileMode(), tmNone);
    EXPECT_EQ(copy.Alignment(), agBottomLeft);
    EXPECT_EQ(copy.OffsetX(), 3);
    EXPECT_EQ(copy.OffsetY(), -4);
    EXPECT_EQ(copy.Brush()->Color(), clMaroon);
    EXPECT_TRUE(copy.Options() == TZCLFillOptions{foQuickDraw});
    EXPECT_EQ(copy.Gradient()->ColorCount(), 77);
    EXPECT_EQ(copy.Bitmap()->Width(), 4);

    // From a plain shape fill: what both have.
    TZCLShapeFill plain;
    plain.SetStyle(sfGradient);
    copy.Assign(&plain);
    EXPECT_EQ(copy.Style(), sfGradient);
    EXPECT_EQ(copy.Alignment(), agBottomLeft);
}

namespace {

class TFillHost : public TComponent {
public:
    explicit TFillHost(TComponent* owner) : TComponent(owner) {}
    TZCLFillObject* Fill() const { return fill_.get(); }

private:
    std::unique_ptr<TZCLFillObject> fill_ = std::make_unique<TZCLFillObject>();
};

const bool fillHostPublished = [] {
    PublishedProperties<TFillHost>().Object("FillObject", &TFillHost::Fill, nullptr);
    return true;
}();

}  // namespace

TEST(ZclFillObject, StoredValuesReadBack)
{
    // sfBrush is the shape fill's default but not the fill object's: it must be stored.
    for (TZCLFillStyle style : {sfNone, sfBrush, sfGradient}) {
        TFillHost host(nullptr);
        host.SetName("Host");
        host.Fill()->SetStyle(style);
        host.Fill()->SetAlignment(agCenterRight);
        host.Fill()->SetOffsetX(-7);
        host.Fill()->SetOptions(TZCLFillOptions{foQuickDraw});
        host.Fill()->Brush()->SetStyle(bsFDiagonal);
        TMemoryStream stream;
        stream.WriteComponent(&host);
        stream.SetPosition(0);
        TFillHost read(nullptr);
        stream.ReadComponent(&read);
        EXPECT_EQ(read.Fill()->Style(), style);
        EXPECT_EQ(read.Fill()->Alignment(), agCenterRight);
        EXPECT_EQ(read.Fill()->OffsetX(), -7);
        EXPECT_TRUE(read.Fill()->Options() == TZCLFillOptions{foQuickDraw});
        EXPECT_EQ(read.Fill()->Brush()->Style(), bsFDiagonal);
    }
}
