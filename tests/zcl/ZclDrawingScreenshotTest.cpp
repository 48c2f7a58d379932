// A panel of what the drawing helpers paint, saved under the build folder's artifacts for a person to look at:
// every gradient style, every standard frame, bevels in each mode, 3D and turned captions, and button faces.

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "DrawTestHelpers.h"
#include "ZclTestPaths.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclbevel.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

std::string ArtifactsFolder()
{
    const std::string dir = zcltest::BuildDir() + "\\artifacts";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void Label(TCanvas* c, int x, int y, const char* text)
{
    c->Font()->SetName("Arial");
    c->Font()->SetSize(7);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(x, y, text);
}

}  // namespace

TEST(ZclDrawingScreenshot, PanelOfGradientsFramesBevelsAndCaptions)
{
    TBitmap panel;
    panel.SetPixelFormat(pf24bit);
    panel.SetSize(660, 500);
    TCanvas* c = panel.Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, 660, 500));

    // Gradients: the ten styles from red to blue, then one through four colours.
    static const char* const gradientNames[] = {"horizontal", "vertical", "square", "elliptic", "top left",
                                                "top right", "bottom left", "bottom right", "diag. left",
                                                "diag. right"};
    for (int i = 0; i < 10; ++i) {
        const TRect r = Bounds(10 + i * 64, 10, 58, 58);
        ZCLGradientPaint(c, r, TColor(0x2020E0), TColor(0xE02020), 32, TZCLGradientStyle(i), 0x0001, 0);
        Label(c, r.left, r.bottom + 2, gradientNames[i]);
    }
    const TColor rainbow[] = {clRed, clYellow, clLime, clBlue};
    ZCLSuperGradientPaint(c, TRect(10, 86, 650, 100), rainbow, 120, gstHorizontal, 0x0001, 0);

    // The standard frame styles.
    for (int i = 1; i <= lsDoubleLowered; ++i) {
        TRect r = Bounds(10 + (i - 1) * 46, 112, 40, 28);
        ZCLDrawStdFrame(c, r, TZCLBorderStyle(i), 0);
        Label(c, 10 + (i - 1) * 46 + 2, 142, std::to_string(i).c_str());
    }

    // Bevels in each mode, with their borders.
    struct BevelCase {
        const char* name;
        void (*set)(TZCLBevel&);
    } const bevels[] = {
        {"raised/lowered", [](TZCLBevel& b) { b.SetStyleOuter(bvRaised), b.SetStyleInner(bvLowered), b.SetBorderWidth(3); }},
        {"frame", [](TZCLBevel& b) { b.SetStyleOuter(bvFrameLowered), b.SetWidthOuter(2), b.SetStyleInner(bvFrameRaised); }},
        {"wide", [](TZCLBevel& b) { b.SetStyleOuter(bvRaised), b.SetWidthOuter(4), b.SetBorderInnerWidth(2), b.SetBorderColor(clWhite); }},
        {"shadow", [](TZCLBevel& b) { b.SetStyleOuter(bvShadow), b.SetWidthInner(1), b.SetWidthOuter(6), b.SetLightColor(clBlack); }},
        {"standard", [](TZCLBevel& b) { b.SetMode(bmStandard), b.SetStandardStyle(lsRaisedspb); }},
        {"edge bump", [](TZCLBevel& b) { b.SetMode(bmEdge), b.SetEdgeStyle(etBump); }},
        {"edge left/top", [](TZCLBevel& b) { b.SetMode(bmEdge), b.SetEdgeStyle(etSunken), b.SetBorderSides(TZCLFrameSides{fsLeft, fsTop}); }},
        {"windows", [](TZCLBevel& b) { b.SetMode(bmWindows); }},
    };
    for (int i = 0; i < 8; ++i) {
        TZCLBevel bevel;
        bevels[i].set(bevel);
        const TRect r = Bounds(10 + i * 80, 162, 72, 52);
        TRect inner;
        bevel.PaintBevel(c, r, false, inner);
        c->Brush()->SetColor(clWindow);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(inner);
        Label(c, r.left, r.bottom + 2, bevels[i].name);
    }

    // 3D captions.
    struct CaptionCase {
        TZCLThreeDStyle style;
        const char* name;
    } const captions[] = {
        {tdSunken, "Sunken"}, {tdRaised, "Raised"},   {tdSunkenShadow, "Sunk"}, {tdRaisedShadow, "Rais"},
        {tdShadow, "Shadow"}, {tdOutline, "Outline"}, {tdExtrude, "Extru"},   {tdExtrudeEnh, "Enh"},
    };
    for (int i = 0; i < 8; ++i) {
        TZCLCaption caption;
        caption.Font()->SetName("Arial");
        caption.Font()->SetSize(13);
        caption.Font()->SetStyle(TFontStyles{fsBold});
        caption.Font()->SetColor(TColor(0x903010));
        caption.FontFX()->SetStyle(captions[i].style);
        caption.FontFX()->SetLightDepth(1);
        caption.FontFX()->SetShadowDepth(captions[i].style == tdOutline ? 1 : captions[i].style >= tdShadow ? 4 : 2);
        caption.FontFX()->SetOrientation(toBottomRight);
        caption.SetAlignment(agCenter);
        caption.DrawCaption(c, captions[i].name, Bounds(10 + i * 80, 232, 78, 40), TZCLDrawTextStyles{dtEnabled},
                            clBtnFace, 0);
    }
    // Turned captions and a disabled one.
    for (int i = 0; i < 4; ++i) {
        TZCLCaption caption;
        caption.Font()->SetName("Arial");
        caption.Font()->SetSize(10);
        caption.FontFX()->SetAngle(i * 45 + 45);
        caption.FontFX()->SetStyle(i == 3 ? tdShadow : tdNone);
        caption.SetAlignment(agCenter);
        const TRect r = Bounds(10 + i * 96, 282, 90, 90);
        c->Brush()->SetColor(clWindow);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
        caption.DrawCaption(c, (std::to_string(i * 45 + 45) + " degrees").c_str(), r, TZCLDrawTextStyles{dtEnabled},
                            clWindow, 0);
    }
    TZCLCaption disabled;
    disabled.Font()->SetName("Arial");
    disabled.Font()->SetSize(14);
    disabled.FontFX()->SetDisabledStyle(ds3d);
    disabled.DrawCaption(c, "Disabled", Bounds(400, 282, 120, 40), TZCLDrawTextStyles{}, clBtnFace, 0);

    // Button faces: each look, up and down, with a glyph, a caption and a drop-down arrow.
    auto glyph = drawtest::MakeBitmap(16, 16, [](int x, int y) {
        const int dx = x - 8, dy = y - 8;
        return dx * dx + dy * dy < 36 ? (x < 8 ? 0x00A000u : 0x0000C0u) : 0xFF00FFu;
    });
    struct FaceCase {
        TZCLUserButtonStyle style;
        TZCLButtonState state;
        std::uint16_t flags;
    } const faces[] = {
        {ubsWin31, bsUp, 0x01},      {ubsWin40, bsUp, 0x00},      {ubsWin40, bsDown, 0x00},
        {ubsWin40, bsUp, 0x02},      {ubsVesto, bsUp, 0x00},      {ubsFlat, bsMouseOver, 0x00},
        {ubsNavigator, bsDown, 0x00}, {ubsIntegrated, bsUp, 0x00}, {ubsFlat, bsOptionSet, 0x00},
    };
    TZCLButtonLayout layout;
    layout.SetArrow(true);
    for (int i = 0; i < 9; ++i) {
        TRect r = Bounds(10 + (i % 5) * 128, 390 + (i / 5) * 50, 120, 40);
        ZCLDrawBtnFace(c, false, r, faces[i].style, faces[i].state, faces[i].flags, clBtnFace);
        c->Font()->SetName("Arial");
        c->Font()->SetSize(9);
        c->Font()->SetColor(clBtnText);
        ZCLDrawTextAndGlyph(c, "Button", nullptr, r, glyph.get(), nullptr, &layout, false, false, true,
                            TZCLDrawTextStyles{dtEnabled}, 0);
    }

    const std::string file = ArtifactsFolder() + "\\zcl-drawing.bmp";
    panel.SaveToFile(file.c_str());
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    std::set<std::uint32_t> colours;
    for (int y = 0; y < 500; y += 3)
        for (int x = 0; x < 660; x += 3) colours.insert(drawtest::PixelOf(&panel, x, y));
    EXPECT_GT(colours.size(), 100u);
    // The file holds the picture itself: read back, every third pixel matches the panel drawn.
    TBitmap saved;
    saved.LoadFromFile(file.c_str());
    ASSERT_EQ(saved.Width(), panel.Width());
    ASSERT_EQ(saved.Height(), panel.Height());
    int differing = 0;
    for (int y = 0; y < panel.Height(); y += 3)
        for (int x = 0; x < panel.Width(); x += 3)
            if (drawtest::PixelOf(&saved, x, y) != drawtest::PixelOf(&panel, x, y)) ++differing;
    EXPECT_EQ(differing, 0);
}
