// A form holding the panels and labels in their states, saved under the build folder's artifacts for a person to
// look at: bevel panels in every bevel mode, a back panel with a tiled picture and transparent children on it,
// fill panels with captions, labels plain, in 3D, as jumps, disabled, hidden while twinkling, multi-line, cut
// with an ellipsis, with an image, on a status bar, and information labels over sunken edges.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PanelTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "support/Screenshot.h"
#include "zcl/components/Zcldrawedge.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclfillobject.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/panels/Zclbackpanel.h"
#include "zcl/panels/Zclcustompanelfill.h"
#include "zcl/panels/Zclcustomglyphlabel.h"
#include "zcl/panels/Zclcustomsimplelabel.h"
#include "zcl/panels/Zclcustomstatusbar.h"
#include "zcl/panels/Zclinformationlabel.h"
#include "zcl/panels/Zclsimplepanel.h"

using namespace zclctl;

namespace {

class TFillPanel : public TZCLCustomPanelFill {
public:
    explicit TFillPanel(TComponent* owner) : TZCLCustomPanelFill(owner) {}
};

class TStatusBar : public TZCLCustomStatusBar {
public:
    explicit TStatusBar(TComponent* owner) : TZCLCustomStatusBar(owner) {}
    int GetControlGap() override { return 6; }
};

TZCLSimpleLabel* Note(TComponent* owner, TWinControl* parent, int x, int y, const char* text)
{
    auto* l = new TZCLSimpleLabel(owner);
    l->SetParent(parent);
    l->Font()->SetName("Arial");
    l->Font()->SetSize(7);
    l->SetLeft(x);
    l->SetTop(y);
    l->SetCaption(text);
    return l;
}

TZCLSimpleLabel* Label(TComponent* owner, TWinControl* parent, int x, int y, const char* text)
{
    auto* l = Note(owner, parent, x, y, text);
    l->Font()->SetSize(10);
    return l;
}

}  // namespace

class ZclPanelsScreenshot : public ShownForm {};

TEST_F(ZclPanelsScreenshot, FormOfPanelsAndLabelsInTheirStates)
{
    form->SetBounds(20, 20, 660, 470);
    form->SetColor(clBtnFace);
    TForm* f = form.get();

    // Bevel panels.
    const struct {
        const char* name;
        std::function<void(TZCLBevel*)> set;
    } bevels[] = {
        {"raised",
         [](TZCLBevel* b) {
             b->SetStyleOuter(bvRaised);
             b->SetWidthOuter(2);
         }},
        {"lowered, border",
         [](TZCLBevel* b) {
             b->SetStyleOuter(bvLowered);
             b->SetBorderWidth(3);
             b->SetStyleInner(bvRaised);
         }},
        {"frame", [](TZCLBevel* b) { b->SetStyleOuter(bvFrameLowered); }},
        {"shadow",
         [](TZCLBevel* b) {
             b->SetStyleOuter(bvShadow);
             b->SetWidthOuter(4);
         }},
        {"standard",
         [](TZCLBevel* b) {
             b->SetMode(bmStandard);
             b->SetStandardStyle(lsDoubleLowered);
         }},
        {"edge",
         [](TZCLBevel* b) {
             b->SetMode(bmEdge);
             b->SetEdgeStyle(etBump);
         }},
        {"windows", [](TZCLBevel* b) { b->SetMode(bmWindows); }},
    };
    for (int i = 0; i < 7; ++i) {
        auto* p = new TZCLSimplePanel(f);
        p->SetParent(f);
        p->SetBounds(10 + i * 92, 10, 84, 44);
        bevels[i].set(p->Bevel());
        if (i == 0) p->SetColor(clWhite);
        Note(f, f, 10 + i * 92, 56, bevels[i].name);
    }

    // A back panel with a tiled picture: a transparent panel, a transparent label and an opaque one on it.
    TZCLBitmapList tiles(nullptr);
    tiles.Add();
    tiles.BitmapItem(0)->SetBitmap(PatternBitmap(24, 24).get());
    auto* back = new TZCLBackPanel(f);
    back->SetParent(f);
    back->SetBounds(10, 80, 300, 130);
    back->SetImageList(&tiles);
    back->Bevel()->SetStyleOuter(bvLowered);
    auto* onBack = new TZCLSimplePanel(f);
    onBack->SetParent(back);
    onBack->SetTransparent(true);
    onBack->SetBounds(14, 14, 130, 70);
    onBack->Bevel()->SetStyleOuter(bvRaised);
    onBack->Bevel()->SetWidthOuter(3);
    auto* clearLabel = Label(f, back, 160, 20, "transparent label");
    clearLabel->Font()->SetColor(clWhite);
    clearLabel->Font()->SetStyle(TFontStyles{fsBold});
    auto* opaqueLabel = Label(f, back, 160, 50, "opaque label");
    opaqueLabel->SetParentColor(false);
    opaqueLabel->SetColor(clWhite);
    opaqueLabel->SetTransparent(false);
    Note(f, f, 10, 212, "back panel: transparent panel and labels over its picture");

    // Fill panels.
    auto* gradient = new TFillPanel(f);
    gradient->SetParent(f);
    gradient->SetBounds(330, 80, 150, 60);
    gradient->FillObject()->Gradient()->SetTwoColors(true);
    gradient->FillObject()->Gradient()->SetColor(clNavy);
    gradient->FillObject()->Gradient()->SetEndColor(clAqua);
    gradient->FillObject()->SetStyle(sfGradient);
    gradient->Font()->SetColor(clWhite);
    gradient->Font()->SetName("Arial");
    gradient->Font()->SetSize(11);
    gradient->CaptionFx()->SetStyle(tdShadow);
    gradient->CaptionFx()->SetShadowColor(clBlack);
    gradient->SetCaption("Fill panel");
    gradient->Bevel()->SetStyleOuter(bvRaised);
    auto* inverted = new TFillPanel(f);
    inverted->SetParent(f);
    inverted->SetBounds(490, 80, 150, 60);
    inverted->FillObject()->SetStyle(sfBrush);
    inverted->FillObject()->Brush()->SetColor(TColor(0x3366CC));
    inverted->BackFX()->SetInvert(true);
    inverted->SetAlignment(agBottomRight);
    inverted->Font()->SetName("Arial");
    inverted->SetCaption("inverted, bottom right");
    inverted->SetEnabled(false);
    Note(f, f, 330, 142, "gradient fill, caption with shadow");
    Note(f, f, 490, 142, "brush fill inverted, disabled caption");

    // Labels.
    Label(f, f, 330, 165, "Plain label");
    auto* deep = Label(f, f, 330, 185, "3D label");
    deep->Font()->SetSize(14);
    deep->Font()->SetStyle(TFontStyles{fsBold});
    deep->Font3D()->SetStyle(tdRaisedShadow);
    deep->Font3D()->SetDepth(1, 2);
    auto* jump = Label(f, f, 460, 165, "www.karvon.example");
    jump->SetJumpMode(jmInternet);
    auto* disabled = Label(f, f, 460, 185, "Disabled label");
    disabled->SetEnabled(false);
    auto* twinkling = Label(f, f, 460, 205, "Twinkle (hidden phase)");
    twinkling->SetTwinkleColor(clRed);
    auto* multi = Label(f, f, 330, 225, "A multi-line label centred in its box");
    multi->SetAutoSize(false);
    multi->SetMultiLine(true);
    multi->SetAlignment(agCenter);
    multi->SetBounds(330, 225, 120, 50);
    multi->SetTransparent(false);
    multi->SetParentColor(false);
    multi->SetColor(clInfoBk);
    auto* cut = Label(f, f, 460, 230, "A label far too long for its width");
    cut->SetAutoSize(false);
    cut->SetBounds(460, 230, 110, 18);
    cut->SetOptions(TZCLLabelOptions{loEndEllipsis});

    // Glyph labels, one on a status bar.
    TZCLImageList images(nullptr);
    auto* strip = static_cast<TZCLImageListItem*>(images.GetItem(images.Add()));
    strip->Add(drawtest::MakeBitmap(16, 16,
                                    [](int x, int y) {
                                        if (x == 0 || y == 0 || x == 15 || y == 15) return 0xFFFFFFu;
                                        return ((x - 8) * (x - 8) + (y - 8) * (y - 8) < 36) ? 0x00C000u : 0xFFFFFFu;
                                    })
                   .get(),
               nullptr);
    auto* glyph = new TZCLGlyphLabel(f);
    glyph->SetParent(f);
    glyph->Font()->SetName("Arial");
    glyph->Font()->SetSize(10);
    glyph->SetLeft(10);
    glyph->SetTop(240);
    glyph->SetImageList(&images);
    glyph->Bevel()->SetStyleOuter(bvLowered);
    glyph->SetCaption("Glyph label");
    auto* below = new TZCLGlyphLabel(f);
    below->SetParent(f);
    below->Font()->SetName("Arial");
    below->SetLeft(150);
    below->SetTop(235);
    below->SetImageList(&images);
    below->Alignment()->SetAlignText2Glyph(taBottom);
    below->SetCaption("text below");
    auto* bar = new TStatusBar(f);
    bar->SetParent(f);
    bar->SetBounds(10, 290, 300, 26);
    bar->Bevel()->SetStyleOuter(bvLowered);
    auto* onBar = new TZCLGlyphLabel(f);
    onBar->SetParent(bar);
    onBar->Font()->SetName("Arial");
    onBar->SetLeft(2);
    onBar->SetTop(4);
    onBar->SetImageList(&images);
    onBar->SetCaption("on a status bar");
    Note(f, f, 10, 318, "glyph labels: beside, below, on a status bar (its gap)");

    // Information labels over sunken edges.
    auto* edge = new TZCLDrawEdge(f);
    edge->SetParent(f);
    edge->SetEdgeStyle(etSunken);
    edge->SetBounds(330, 290, 310, 90);
    const TZCLInfoType kinds[] = {itCapsLock, itProgVersion, itColorDepth};
    for (int i = 0; i < 3; ++i) {
        auto* info = new TZCLInformationLabel(f);
        info->SetParent(f);
        info->Font()->SetName("Arial");
        info->SetLeft(340);
        info->SetTop(298 + i * 26);
        info->SetInsertColon(0);
        info->SetInsertTabs(2);
        info->SetInfo(kinds[i]);
    }

    ShowForm();
    controltest::MouseTo(5, 5);
    // The twinkling label in its hidden phase, drawn in its colour.
    twinkling->SetTwinkle(true);
    ASSERT_TRUE(PumpUntil([&] { return !twinkling->TwinkleShown(); }, 5000));
    const std::uint16_t id = twinkling->TwinkleTimerId();
    ZCLApplication->GetTimer(id)->SetEnabled(false);
    form->Repaint();

    // A few places a person would look at first; the shot is taken once every window of the form has painted
    // and the screen shows them.
    const TPoint b = back->ClientToScreen(TPoint(0, 0));
    const TPoint t = onBack->ClientToScreen(TPoint(0, 0));
    const TPoint g = inverted->ClientToScreen(TPoint(0, 0));
    const COLORREF picture = PatternAt(200 % 24, 110 % 24), through = PatternAt((14 + 60) % 24, (14 + 35) % 24);
    const COLORREF fill = RGB(0x33, 0x99, 0xCC);
    testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    PumpUntil(
        [&] {
            if (UpdatePending(form->Handle())) return false;
            shot = testshot::Shot::OfWindow(form->Handle());
            return shot.AtScreen(b.x + 200, b.y + 110) == picture && shot.AtScreen(t.x + 60, t.y + 35) == through &&
                   shot.AtScreen(g.x + 10, g.y + 10) == fill;
        },
        5000);
    EXPECT_FALSE(shot.SaveArtifact("zcl-panels-labels").empty());
    EXPECT_EQ(shot.AtScreen(b.x + 200, b.y + 110), picture) << "the back panel's picture";
    EXPECT_EQ(shot.AtScreen(t.x + 60, t.y + 35), through) << "the picture through the transparent panel";
    EXPECT_EQ(shot.AtScreen(g.x + 10, g.y + 10), fill) << "the inverted fill";
    EXPECT_EQ(shot.AtScreen(b.x + opaqueLabel->Left() + 1, b.y + opaqueLabel->Top() + 1), Rgb(clWhite));
    twinkling->SetTwinkle(false);
}
