// A form of shape and picture controls in their states, saved under the build folder's artifacts for a person to
// look at: every shape kind with outline and shadow, two-colour bevels, the fill styles, teeth on each side,
// key labels as the keyboard picture has them, a clipped and a disabled caption, and pictures in every style and
// transparency mode over a patterned parent.

#include <gtest/gtest.h>

#include <string>

#include "DrawTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "support/Screenshot.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/panels/Zclnimage.h"
#include "zcl/panels/Zclshapecontrol.h"

using namespace zclctl;

namespace {

TZCLShapeControl* Shape(TForm* form, TWinControl* parent, int x, int y, int w, int h)
{
    auto* s = new TZCLShapeControl(form);
    s->SetParent(parent);
    s->SetBounds(x, y, w, h);
    s->Brush()->SetColor(TColor(RGB(255, 220, 120)));
    s->Shadow()->SetDepth(4);
    s->Caption()->Font()->SetName("Arial");
    s->Caption()->Font()->SetHeight(-11);
    return s;
}

TZCLShapeControl* Note(TForm* form, TWinControl* parent, int x, int y, int w, const char* text)
{
    auto* s = Shape(form, parent, x, y, w, 14);
    s->Bevel()->SetWidth(0);
    s->Brush()->SetStyle(bsClear);
    s->Shadow()->SetStyle(hssNone);
    s->Caption()->SetCaption(text);
    s->Caption()->SetAlignment(agCenterLeft);
    return s;
}

}  // namespace

class ZclShapeImageScreenshot : public ShownForm {};

TEST_F(ZclShapeImageScreenshot, FormOfShapesAndPicturesInTheirStates)
{
    form->SetBounds(20, 20, 760, 560);
    form->SetColor(clBtnFace);
    TForm* f = form.get();

    static const char* const kinds[] = {"ellipse", "rectangle", "round rect", "up",      "right", "down",
                                        "left",    "diamond",   "comb",       "octagon", "star"};
    for (int i = 0; i < 11; ++i) {
        auto* s = Shape(f, f, 10 + i * 66, 10, 60, 50);
        s->SetShape(TZCLShapeType(i));
        Note(f, f, 10 + i * 66, 62, 64, kinds[i]);
    }

    // Bevel looks, square, tracing shadow, opaque, hatched.
    const char* looks[] = {"inset", "offset", "square", "tracing", "opaque", "hatched", "no outline"};
    for (int i = 0; i < 7; ++i) {
        auto* s = Shape(f, f, 10 + i * 76, 84, 70, 44);
        s->SetShape(i == 2 ? stEllipse : stRoundRect);
        s->Bevel()->SetWidth(i == 6 ? 0 : 3);
        if (i == 0) s->Bevel()->SetStyle(sbInset);
        if (i == 1) s->Bevel()->SetStyle(sbOffset);
        if (i == 2) s->SetSquare(true);
        if (i == 3) s->Shadow()->SetStyle(hssTracing);
        if (i == 4) {
            s->SetTransparent(false);
            s->SetColor(clWhite);
        }
        if (i == 5) {
            s->Brush()->SetStyle(bsDiagCross);
            s->Brush()->SetColor(clNavy);
            s->SetBrushBackColor(clAqua);
        }
        Note(f, f, 10 + i * 76, 130, 70, looks[i]);
    }

    // Fill styles.
    auto* list = new TZCLImageList(f);
    auto* item = static_cast<TZCLImageListItem*>(list->GetItem(list->Add()));
    item->Add(
        drawtest::MakeBitmap(16, 16, [](int x, int y) { return ((x / 4 + y / 4) % 2) ? 0x00C000u : 0xFFFFFFu; }).get(),
        nullptr);
    const auto tile =
        drawtest::MakeBitmap(12, 12, [](int x, int y) { return (x + y) % 12 < 6 ? 0xC04000u : 0xF0E0D0u; });
    const char* fills[] = {"brush", "tiled bitmap", "image list", "gradient", "no fill", "clipped caption"};
    for (int i = 0; i < 6; ++i) {
        auto* s = Shape(f, f, 10 + i * 86, 154, 80, 50);
        s->SetShape(i == 5 ? stEllipse : stOctagon);
        s->SetMode(scmShapeFill);
        s->SetColor(TColor(RGB(255, 0, 255)));
        const TZCLFillStyle styles[] = {sfBrush, sfBitmap, sfBitmapList, sfGradient, sfNone, sfGradient};
        s->ShapeFill()->SetStyle(styles[i]);
        if (i == 1) s->ShapeFill()->SetBitmap(tile.get());
        if (i == 2) s->SetImageList(list);
        if (i >= 3) {
            s->ShapeFill()->Gradient()->SetStyle(gstElliptic);
            s->ShapeFill()->Gradient()->SetColor(clYellow);
            s->ShapeFill()->Gradient()->SetEndColor(clRed);
        }
        if (i == 5) {
            s->SetCaptionClip(true);
            s->Caption()->SetCaption("WWWWWW");
            s->Caption()->Font()->SetHeight(-26);
            s->Caption()->Font()->SetColor(clNavy);
        }
        Note(f, f, 10 + i * 86, 206, 84, fills[i]);
    }

    // Teeth on each side, fast and filled.
    const char* sides[] = {"teeth right", "teeth down", "teeth left", "teeth up"};
    for (int i = 0; i < 4; ++i) {
        auto* s = Shape(f, f, 10 + i * 86, 228, 80, 50);
        s->SetMode(i % 2 ? scmTeethFill : scmTeethFast);
        s->Bevel()->SetWidth(1);
        s->Teeth()->SetDirection(TZCLDirection(i));
        s->Teeth()->SetCount(4);
        s->Teeth()->SetWidth(6);
        s->Teeth()->SetHeight(6);
        s->Teeth()->SetSetPerCount(i % 2 == 0);
        s->Caption()->SetCaption("text");
        Note(f, f, 10 + i * 86, 280, 84, sides[i]);
    }

    // Key labels as on the keyboard picture: no outline, yellow, small centred-left captions, no shadow.
    const char* labels[] = {"ABC", "DEF", "GHI", "JKL", "MNO", "PQR", "STU", "VWX", "YZ_", "+-/"};
    for (int i = 0; i < 10; ++i) {
        auto* s = Shape(f, f, 360 + (i % 5) * 46, 228 + (i / 5) * 26, 40, 20);
        s->Bevel()->SetWidth(0);
        s->Brush()->SetColor(clYellow);
        s->Shadow()->SetStyle(hssNone);
        s->Caption()->SetCaption(labels[i]);
        s->Caption()->SetAlignment(agCenterLeft);
        s->Caption()->Font()->SetName("Small Fonts");
        s->Caption()->Font()->SetHeight(-7);
        s->Caption()->Font()->SetColor(clBlack);
    }
    auto* disabled = Shape(f, f, 600, 228, 70, 44);
    disabled->Caption()->SetCaption("disabled");
    disabled->SetEnabled(false);
    Note(f, f, 360, 282, 230, "key labels");
    Note(f, f, 600, 274, 80, "disabled");

    // Pictures over a patterned parent (its picture is 400 x 300).
    auto* back = new TBackParent(f);
    back->SetParent(f);
    back->SetBounds(10, 304, 400, 246);
    const auto logo = drawtest::MakeBitmap(48, 24, [](int x, int y) {
        if (x >= 6 && x < 42 && y >= 6 && y < 18) return (x / 6) % 2 ? 0x0000C0u : 0x000000u;
        return 0xFFFFFFu;
    });
    const char* imageStyles[] = {"none", "autosize",   "centre",     "stretch",
                                 "tile", "keep ratio", "keep width", "keep height"};
    for (int i = 0; i < 8; ++i) {
        auto* image = new TZCLNImage(f);
        image->SetParent(back);
        image->SetBounds(8 + (i % 4) * 98, 6 + (i / 4) * 80, 90, 56);
        image->SetBitmap(logo.get());
        image->Bevel()->SetStyleOuter(bvLowered);
        image->Bevel()->SetWidthOuter(1);
        image->SetStyle(TZCLBitmapStyle(i));
        image->TransparentStyle()->SetMode(tpRestoreBack);
        Note(f, back, 8 + (i % 4) * 98, 64 + (i / 4) * 80, 90, imageStyles[i]);
    }
    const char* modes[] = {"no transparency", "restore back", "colour replaced", "chosen colour"};
    for (int i = 0; i < 4; ++i) {
        auto* image = new TZCLNImage(f);
        image->SetParent(back);
        image->SetBounds(8 + i * 98, 166, 90, 56);
        image->SetBitmap(logo.get());
        image->SetStyle(sbKeepAspRatio);
        image->TransparentStyle()->SetMode(TZCLTransparentMode(i));
        image->TransparentStyle()->SetColor(i == 2 ? clLime : clBlack);
        Note(f, back, 8 + i * 98, 224, 96, modes[i]);
    }
    // On the form itself: effects, an opaque picture and the keyboard picture's logo look.
    auto* inverted = new TZCLNImage(f);
    inverted->SetParent(f);
    inverted->SetBounds(430, 310, 100, 60);
    inverted->SetBitmap(logo.get());
    inverted->SetStyle(sbStretch);
    inverted->BackFX()->SetInvert(true);
    Note(f, f, 430, 372, 100, "inverted");
    auto* grey = new TZCLNImage(f);
    grey->SetParent(f);
    grey->SetBounds(550, 310, 100, 60);
    grey->SetBitmap(logo.get());
    grey->SetStyle(sbCenter);
    grey->SetTransparent(false);
    grey->SetColor(clWhite);
    grey->BackFX()->SetGrayScale(true);
    Note(f, f, 550, 372, 100, "opaque, grey scale");
    auto* kept = new TZCLNImage(f);
    kept->SetParent(f);
    kept->SetBounds(430, 400, 200, 60);
    kept->SetBitmap(logo.get());
    kept->SetStyle(sbKeepAspRatio);
    kept->TransparentStyle()->SetMode(tpRestoreBack);
    kept->TransparentStyle()->SetColor(clWhite);
    Note(f, f, 430, 462, 200, "logo: keep ratio, restore back");

    ShowForm();
    controltest::MouseTo(5, 5);
    // A few places a person would look at first; the shot is taken once they show.
    const TPoint b = back->ClientToScreen(TPoint(0, 0));
    const TPoint bo = form->ScreenToClient(b);
    const struct {
        int x, y;
        COLORREF colour;
        const char* what;
    } probes[] = {
        {10 + 30, 10 + 23, RGB(255, 220, 120), "the ellipse's face"},
        {360 + 38, 228 + 2, Rgb(clYellow), "a key label's right end"},
        {int(bo.x) + 106 + 45, int(bo.y) + 166 + 52, PatternAt(151, 218), "below a kept-ratio logo"},
        {int(bo.x) + 106 + 40, int(bo.y) + 166 + 28, RGB(0xC0, 0, 0), "a red stripe of the kept-ratio logo"},
    };
    auto shown = [&] {
        for (const auto& p : probes)
            if (WindowPixel(form->Handle(), p.x, p.y) != p.colour) return false;
        return true;
    };
    PumpUntil(shown, 5000);
    for (const auto& p : probes) EXPECT_EQ(WindowPixel(form->Handle(), p.x, p.y), p.colour) << p.what;

    const testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    const std::string file = shot.SaveArtifact("zcl-shapes-images");
    EXPECT_FALSE(file.empty());
}
