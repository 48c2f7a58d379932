// A form holding the base controls in their states, saved under the build folder's artifacts for a person to
// look at: drawn edges in every style, diagonals and standard frames, a bevelled and a plain transparent control
// over a patterned parent, an opaque one, and flat controls unfocused, focused and not flat.

#include <gtest/gtest.h>

#include <string>

#include "ZclControlTestHelpers.h"
#include "support/Screenshot.h"
#include "zcl/components/Zclcustomcontrol.h"
#include "zcl/components/Zcldrawedge.h"
#include "zcl/components/Zclgraphiccontrol.h"

using namespace zclctl;

namespace {

// A line of small text on its parent.
class TNote : public TGraphicControl {
public:
    TNote(TComponent* owner, TWinControl* parent, int x, int y, const char* text, int width = 64)
        : TGraphicControl(owner)
    {
        SetParent(parent);
        SetBounds(x, y, width, 12);
        SetText(text);
    }

protected:
    void Paint() override
    {
        Canvas()->Font()->SetName("Arial");
        Canvas()->Font()->SetSize(7);
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->TextOut(0, 0, Text());
    }
};

}  // namespace

class ZclBaseControlsScreenshot : public ShownForm {};

TEST_F(ZclBaseControlsScreenshot, FormOfBaseControlsInTheirStates)
{
    form->SetBounds(40, 40, 560, 330);
    form->SetColor(clBtnFace);
    TForm* f = form.get();

    static const char* const edgeNames[] = {"raised inner", "raised outer", "sunken inner", "sunken outer",
                                            "bump",         "etched",       "raised",       "sunken"};
    for (int i = 0; i < 8; ++i) {
        auto* e = new TZCLDrawEdge(f);
        e->SetParent(f);
        e->SetBounds(10 + i * 66, 10, 56, 36);
        e->SetEdgeStyle(TZCLEdgeStyle(i));
        new TNote(f, f, 10 + i * 66, 48, edgeNames[i]);
    }
    static const char* const diagonalNames[] = {"bottom left", "bottom right", "top left", "top right"};
    for (int i = 0; i < 4; ++i) {
        auto* e = new TZCLDrawEdge(f);
        e->SetParent(f);
        e->SetBounds(10 + i * 66, 70, 56, 36);
        e->SetStyle(esDiagonal);
        e->SetEdgeStyle(etSunken);
        e->SetDiagonalStyle(TZCLDiagonalStyle(i));
        new TNote(f, f, 10 + i * 66, 108, diagonalNames[i]);
    }
    const struct {
        TZCLBorderStyle style;
        const char* name;
    } standards[] = {{lsSingleLowered, "single lowered"}, {lsDoubleRaised, "double raised"}, {lsFrameInset, "frame inset"}};
    for (int i = 0; i < 3; ++i) {
        auto* e = new TZCLDrawEdge(f);
        e->SetParent(f);
        e->SetBounds(274 + i * 66, 70, 56, 36);
        e->SetStyle(esStandard);
        e->SetStandardStyle(standards[i].style);
        new TNote(f, f, 274 + i * 66, 108, standards[i].name);
    }
    auto* filled = new TZCLDrawEdge(f);
    filled->SetParent(f);
    filled->SetBounds(472, 70, 56, 36);
    filled->SetEdgeStyle(etRaised);
    filled->SetFilled(true);
    filled->SetSoft(true);
    new TNote(f, f, 472, 108, "filled, soft");

    // A parent with a picture of its own and transparent children drawn from it.
    auto* back = new TBackParent(f);
    back->SetParent(f);
    back->SetBounds(10, 130, 300, 150);
    auto* bevelled = new TZCLGraphicControl(f);
    bevelled->SetParent(back);
    bevelled->SetBounds(12, 12, 120, 70);
    bevelled->Bevel()->SetStyleOuter(bvRaised);
    bevelled->Bevel()->SetWidthOuter(2);
    bevelled->Bevel()->SetBorderWidth(3);
    bevelled->Bevel()->SetStyleInner(bvLowered);
    auto* clear = new TBackLabel(f);
    clear->SetParent(back);
    clear->SetBounds(150, 12, 60, 40);
    auto* opaque = new TBackLabel(f);
    opaque->SetParent(back);
    opaque->SetBounds(220, 12, 60, 40);
    opaque->SetTransparent(false);
    new TNote(f, f, 10, 284, "bevel, transparent / transparent / opaque over a patterned parent",
             300);

    // Flat controls.
    TZCLCustomControl* flats[3];
    static const char* const flatNames[] = {"flat", "flat, focused", "not flat"};
    for (int i = 0; i < 3; ++i) {
        flats[i] = new TZCLCustomControl(f);
        flats[i]->SetParent(f);
        flats[i]->SetBounds(330, 140 + i * 50, 200, 30);
        flats[i]->SetColor(clWindow);
        flats[i]->SetTabStop(true);
        new TNote(f, f, 330, 172 + i * 50, flatNames[i], 200);
    }
    ShowForm();
    controltest::MouseTo(5, 5);
    flats[0]->SetFlat(true);
    flats[1]->SetFlat(true);
    flats[1]->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return flats[1]->IsFocused() && back->paints > 0 && opaque->paints > 0; }));
    flats[2]->RestoreBorderFront();

    // A few places a person would look at first; the shot is taken once every window of the form has painted
    // and the screen shows them.
    const TPoint origin = back->ClientToScreen(TPoint(0, 0));
    const TPoint focused = flats[1]->ClientToScreen(TPoint(0, 0));
    const TPoint unfocused = flats[0]->ClientToScreen(TPoint(0, 0));
    auto shows = [&](const testshot::Shot& s) {
        return s.AtScreen(origin.x + 140, origin.y + 120) == PatternAt(140, 120) &&
               s.AtScreen(origin.x + 160, origin.y + 14) == PatternAt(160, 14) &&
               s.AtScreen(origin.x + 222, origin.y + 14) == Rgb(clWhite) &&
               s.AtScreen(focused.x, focused.y) == Sys(COLOR_BTNSHADOW) &&
               s.AtScreen(unfocused.x, unfocused.y) == Sys(COLOR_BTNFACE);
    };
    testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    PumpUntil(
        [&] {
            if (UpdatePending(form->Handle())) return false;
            shot = testshot::Shot::OfWindow(form->Handle());
            return shows(shot);
        },
        5000);
    const std::string file = shot.SaveArtifact("zcl-base-controls");
    EXPECT_FALSE(file.empty());
    EXPECT_EQ(shot.AtScreen(origin.x + 140, origin.y + 120), PatternAt(140, 120)) << "the parent's picture";
    EXPECT_EQ(shot.AtScreen(origin.x + 160, origin.y + 14), PatternAt(160, 14)) << "behind a transparent child";
    EXPECT_EQ(shot.AtScreen(origin.x + 222, origin.y + 14), Rgb(clWhite)) << "an opaque child";
    EXPECT_EQ(shot.AtScreen(focused.x, focused.y), Sys(COLOR_BTNSHADOW)) << "the focused flat control in 3D";
    EXPECT_EQ(shot.AtScreen(unfocused.x, unfocused.y), Sys(COLOR_BTNFACE)) << "the other one flat";
}
