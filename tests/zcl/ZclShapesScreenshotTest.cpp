// Every shape kind as the shape drawing paints it, saved under the build folder's artifacts for a person to look
// at: with a solid shadow and an outline, with a tracing shadow and an inset bevel, filled with a gradient
// picture under an offset bevel, and the saw-tooth rectangle in its four directions.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DrawTestHelpers.h"
#include "ZclTestPaths.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclgrapa.h"
#include "zcl/graphics/Zclshadow.h"

namespace {

void Label(TCanvas* c, int x, int y, const char* text)
{
    c->Font()->SetName("Arial");
    c->Font()->SetSize(7);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(x, y, text);
}

}  // namespace

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

    const std::string dir = zcltest::BuildDir() + "\\artifacts";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string file = dir + "\\shapes.bmp";
    panel.SaveToFile(file.c_str());
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
}
