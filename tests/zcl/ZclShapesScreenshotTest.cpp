// Every shape kind as the shape drawing paints it, saved under the build folder's artifacts for a person to look
// at: with a solid shadow and an outline, with a tracing shadow and an inset bevel, filled with a gradient
// picture under an offset bevel, and the saw-tooth rectangle in its four directions.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DrawTestHelpers.h"
#include "framework/visual/Graphics.h"
#include "support/Screenshot.h"
#include "zcl/graphics/Zclgrapa.h"
#include "zcl/graphics/Zclregion.h"
#include "zcl/graphics/Zclshadow.h"

using drawtest::Label;

TEST(ZclShapesScreenshot, EveryShapeKindWithShadowsBevelsAndFills)
{
    constexpr int cell = 80, cols = 11;
    TBitmap panel;
    panel.SetPixelFormat(pf24bit);
    panel.SetSize(cols * cell + 10, 4 * (cell + 16) + 10);
    TCanvas* c = panel.Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, panel.Width(), panel.Height()));

    static const char* const names[] = {"ellipse", "rectangle", "round rect", "up",      "right", "down",
                                        "left",    "diamond",   "comb",       "octagon", "star"};
    TZCLGradient gradient;
    gradient.SetColor(TColor(0x2060F0));
    gradient.SetEndColor(TColor(0xF0E040));
    gradient.SetColorCount(40);
    gradient.SetStyle(gstElliptic);
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(cell - 10, cell - 10);
    gradient.PaintGradient(picture.Canvas(), TRect(0, 0, picture.Width(), picture.Height()));

    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < cols; ++i) {
            const TRect r = Bounds(10 + i * cell, 10 + row * (cell + 16), cell - 10, cell - 10);
            TZCLShape shape;
            shape.SetShape(TZCLShapeType(i));
            shape.Brush()->SetColor(TColor(0x30A0F0));
            shape.Shadow()->SetDepth(5);
            shape.Shadow()->SetColor(clGray);
            TBitmap* fill = nullptr;
            if (row == 1) {
                shape.Shadow()->SetStyle(hssTracing);
                shape.Bevel()->SetStyle(sbInset);
                shape.Bevel()->SetWidth(3);
                shape.Brush()->SetColor(TColor(0x60D060));
            } else if (row == 2) {
                shape.Shadow()->SetStyle(hssNone);
                shape.Bevel()->SetStyle(sbOffset);
                fill = &picture;
            }
            ZCLShapeDraw(r, c, shape.Shape(), nullptr, nullptr, shape.Square(), shape.Brush(),
                         std::uint8_t(shape.RoundPercent()), shape.Bevel(), shape.Shadow(), fill, TColor(0xFF00FF),
                         clWhite);
            if (row == 0) Label(c, r.left, r.bottom + 2, names[i]);
        }

    static const char* const directions[] = {"teeth right", "teeth down", "teeth left", "teeth up"};
    for (int i = 0; i < 4; ++i) {
        const TRect r = Bounds(10 + i * 2 * cell, 10 + 3 * (cell + 16), 2 * cell - 20, cell - 20);
        TZCLTeeth teeth;
        teeth.SetDirection(TZCLDirection(i));
        teeth.SetCount(6);
        teeth.SetWidth(8);
        teeth.SetHeight(8);
        TBrush face;
        face.SetColor(TColor(0xE0E0FF));
        TZCLShadow shadow;
        shadow.SetDepth(4);
        ZCLShapeDraw(r, c, stRectangle, &teeth, nullptr, false, &face, 33, nullptr, &shadow, nullptr, clWhite, clWhite);
        Label(c, r.left, r.bottom + 2, directions[i]);
    }

    const testshot::Shot shot = testshot::Shot::OfDC(c->Handle(), panel.Width(), panel.Height());
    EXPECT_FALSE(shot.SaveArtifact("shapes").empty());

    // What a person looks for: each shape's middle in its own fill, the solid shadow below and right of the
    // rectangle, the gradient picture inside the third row's shapes, the teeth rectangles' face.
    const COLORREF face = ColorToRGB(clBtnFace);
    for (int i = 0; i < cols; ++i) {
        const int x = 10 + i * cell + (cell - 10) / 2;
        EXPECT_EQ(shot.At(x, 10 + (cell - 10) / 2), RGB(0xF0, 0xA0, 0x30)) << names[i] << ", solid shadow";
        EXPECT_EQ(shot.At(x, 10 + (cell + 16) + (cell - 10) / 2), RGB(0x60, 0xD0, 0x60)) << names[i] << ", inset";
        const COLORREF inside = shot.At(x, 10 + 2 * (cell + 16) + (cell - 10) / 2);
        EXPECT_NE(inside, face) << names[i] << ", gradient fill";
        EXPECT_NE(inside, RGB(0xFF, 0x00, 0xFF)) << names[i] << ", the transparent colour never shows";
    }
    EXPECT_EQ(shot.At(10 + cell + (cell - 10) - 2, 10 + (cell - 10) / 2), ColorToRGB(clGray)) << "shadow right";
    EXPECT_EQ(shot.At(10 + cell + (cell - 10) / 2, 10 + (cell - 10) - 2), ColorToRGB(clGray)) << "shadow below";
    EXPECT_EQ(shot.At(10 + cell - 4, 10 + (cell - 10) / 2), face) << "between the shapes";
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(shot.At(10 + i * 2 * cell + cell - 10, 10 + 3 * (cell + 16) + (cell - 20) / 2), RGB(0xFF, 0xE0, 0xE0))
            << directions[i];
}

TEST(ZclShapesScreenshot, EveryRegionShapeWithItsBorder)
{
    constexpr int cellW = 130, cellH = 100, cols = 6;
    static const char* const names[] = {
        "rect",       "round rect",   "bitmap",       "nose",         "round nose",      "elliptic",
        "star",       "round shield", "sharp shield", "diamond",      "octagon",         "comb",
        "half round", "user",         "think bubble", "round bubble", "elliptic bubble", "point list"};
    static const TZCLRegionBorderStyle borders[] = {rbRaised, rbSingleRaised, rbRaisedpsb};
    TBitmap panel;
    panel.SetPixelFormat(pf24bit);
    panel.SetSize(cols * cellW + 10, 9 * cellH + 10);
    TCanvas* c = panel.Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, panel.Width(), panel.Height()));
    int cell = 0;
    for (int row = 0; row < 3; ++row)
        for (int s = rsRect; s <= rsPointList; ++s, ++cell) {
            const int x = 10 + (cell % cols) * cellW, y = 10 + (cell / cols) * cellH;
            TZCLBorderRegion region;
            region.SetShape(TZCLRegionShape(s));
            region.SetExtPos(TZCLExtPos((s + row) % 8));
            region.SetUserPolygonRgn(
                std::vector<TPoint>{{x, y}, {x + 100, y + 20}, {x + 60, y + 40}, {x + 110, y + 70}, {x + 10, y + 60}});
            region.Border()->SetStyle(borders[row]);
            region.Shadow()->SetStyle(row == 1 ? hssTracing : hssSolid);
            region.Shadow()->SetDepth(4);
            region.Shadow()->SetColor(clGray);
            const TRect r = Bounds(x, y, cellW - 14, cellH - 26);
            region.CreateRegion(r);
            if (!region.Handle()) continue;
            // The region's area in a light colour, then shadow and border as the form shape paints them.
            TBrush fill;
            fill.SetColor(TColor(0xF0E0C0));
            FillRgn(c->Handle(), region.Handle(), fill.Handle());
            // Clipped to its cell, as a window region clips what its window paints.
            IntersectClipRect(c->Handle(), r.left - 12, r.top - 12, r.right + 12, r.bottom + 12);
            region.PaintRegionShape(c, r);
            SelectClipRgn(c->Handle(), nullptr);
            if (row == 0) Label(c, x, y + cellH - 24, names[s]);
        }
    const testshot::Shot shot = testshot::Shot::OfDC(c->Handle(), panel.Width(), panel.Height());
    EXPECT_FALSE(shot.SaveArtifact("region-shapes").empty());

    // Every region's middle keeps the area's colour inside its border; the panel between the cells stays bare.
    cell = 0;
    for (int row = 0; row < 3; ++row)
        for (int s = rsRect; s <= rsPointList; ++s, ++cell) {
            if (s == rsBitmap || s == rsUserRegion || s == rsPointList) continue;
            const int x = 10 + (cell % cols) * cellW, y = 10 + (cell / cols) * cellH;
            const TRect r = Bounds(x, y, cellW - 14, cellH - 26);
            EXPECT_EQ(shot.At((r.left + r.right) / 2, (r.top + r.bottom) / 2), RGB(0xC0, 0xE0, 0xF0))
                << names[s] << " in row " << row;
        }
    EXPECT_EQ(shot.At(5, 5), ColorToRGB(clBtnFace));
}
