// A form holding the library's buttons in their states, saved under the build folder's artifacts for a person to
// look at: every speed-button look up, pressed and under the mouse, the states of the raised look, a drop-down
// combo, the stock glyphs, a dock button beside its control, multimedia buttons, an office button and transparent
// buttons over a patterned parent.

#include <gtest/gtest.h>

#include <string>

#include "ZclButtonTestHelpers.h"
#include "framework/visual/Menus.h"
#include "framework/visual/StdCtrls.h"
#include "support/Screenshot.h"
#include "zcl/buttons/Zcldockspeedbutton.h"
#include "zcl/buttons/Zclmmbutton.h"
#include "zcl/buttons/Zclofficebutton.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/containers/Zclcont.h"

using namespace zclbtn;

namespace {

class ButtonsScreenshot : public ButtonSheet {};

TEST_F(ButtonsScreenshot, FormOfButtonsInTheirStates)
{
    Sheet(760, 266);
    TForm* f = form.get();

    static const char* const styleNames[] = {"auto",      "win31",     "win40",    "vesto",      "vesto flat", "flat",
                                             "flat unc.", "navigator", "explorer", "expl. col.", "integrated"};
    for (int s = 0; s < 11; ++s) {
        const int x = 10 + s * 66;
        Note(x, 4, styleNames[s]);
        const char* rows[] = {"up", "pressed", "mouse", "down"};
        for (int row = 0; row < 4; ++row) {
            auto* b = Add<TZCLSpeedButton>(x, 18 + row * 34, 56, 28);
            b->SetStyle(TZCLUserButtonStyle(s));
            b->SetGlyphKind(gkFolder);
            b->SetCaption(rows[row]);
            b->Font()->SetSize(7);
            b->SetGroupIndex(100 + s * 4 + row);
            if (row == 1) b->SetPressed(true);
            if (row == 2) b->SetMouseOver(true);
            if (row == 3) b->StateChange(bsDown);
        }
    }

    // The states of the raised look, a disabled pair, a combo with its arrow part.
    const int y = 160;
    Note(10, y, "win40 states, disabled, pressed disabled, combo", 300);
    auto* up = Add<TZCLSpeedButton>(10, y + 14, 40, 28);
    up->SetGlyphKind(gkCalculator);
    auto* disabled = Add<TZCLSpeedButton>(56, y + 14, 40, 28);
    disabled->SetGlyphKind(gkCalculator);
    disabled->SetEnabled(false);
    auto* disabledDown = Add<TZCLSpeedButton>(102, y + 14, 40, 28);
    disabledDown->SetGlyphKind(gkCalculator);
    disabledDown->SetGroupIndex(1);
    disabledDown->SetPressed(true);
    disabledDown->SetEnabled(false);
    auto* combo = Add<TZCLSpeedButton>(148, y + 14, 60, 28);
    auto* menu = new TPopupMenu(f);
    combo->SetCaption("Go");
    combo->SetDropDownMenu(menu);
    combo->SetDropDownCombo(true);
    auto* caption = Add<TZCLSpeedButton>(226, y + 14, 90, 28);
    caption->SetCaption("&Caption only");

    // The stock glyphs.
    Note(340, y, "stock glyphs", 200);
    for (int k = gkEllipsis; k <= gkFont; ++k) {
        auto* g = Add<TZCLSpeedButton>(340 + (k - 1) * 28, y + 14, 24, 24);
        g->SetGlyphKind(TZCLGlyphKind(k));
    }

    // A dock button beside its control.
    Note(10, 214, "dock button beside its control", 200);
    auto* control = new controltest::TPanelish(f);
    control->SetParent(f);
    control->SetColor(clWindow);
    control->SetBounds(10, 230, 140, 22);
    auto* dock = new TZCLDockSpeedButton(f);
    dock->SetControl(control);

    // Multimedia buttons: a face per state from an image list, transparent round it.
    Note(220, 214, "multimedia up / down / disabled, office up and pressed", 300);
    TZCLImageList* faces = new TZCLImageList(f);
    faces->Add();
    TZCLImageListItem* item = faces->StripItem(0);
    item->SetWidth(32);
    item->SetHeight(24);
    const std::uint32_t colours[] = {0x00C000, 0x0000C0, 0x808080};
    auto strip = drawtest::MakeBitmap(96, 24, [&](int x, int py) {
        const int cx = x % 32 - 16, cy = py - 12;
        return cx * cx + 2 * cy * cy < 220 ? colours[x / 32] : 0xFFFFFFu;
    });
    item->Add(strip.get(), nullptr);
    for (int i = 0; i < 3; ++i) {
        auto* mm = Add<TZCLCustomMMButton>(220 + i * 44, 230, 32, 24);
        mm->SetButtonFaceImageList(faces);
        mm->SetFace(bsUp, 0, 0);
        mm->SetFace(bsDown, 0, 1);
        mm->SetFace(bsDisabledUp, 0, 2);
        mm->SetCaption("mm");
        mm->Font()->SetSize(7);
        mm->Font()->SetColor(clWhite);
        if (i == 1) mm->StateChange(bsDown);
        if (i == 2) mm->SetEnabled(false);
    }
    for (int i = 0; i < 2; ++i) {
        auto* o = new TZCLOfficeButton(f);
        o->SetParent(f);
        o->SetBounds(360 + i * 30, 230, 23, 22);
        o->SetGlyphKind(gkSearch);
        o->SetGroupIndex(50);
        if (i == 1) o->SetPressed(true);
    }

    // Transparent buttons over a patterned parent: explorer looks up, pressed and under the mouse, and a
    // multimedia face with the pattern round it.
    Note(470, 214, "on a pattern: explorer up / pressed / mouse, multimedia", 280);
    auto* patterned = new zclctl::TBackParent(f);
    patterned->SetParent(f);
    patterned->SetBounds(470, 228, 280, 34);
    TZCLSpeedButton* glass[3];
    const TZCLGlyphKind glassKinds[] = {gkFolder, gkSearch, gkFont};
    for (int i = 0; i < 3; ++i) {
        glass[i] = Add<TZCLSpeedButton>(6 + i * 50, 3, 44, 28, patterned);
        glass[i]->SetStyle(ubsExplorer);
        glass[i]->SetGlyphKind(glassKinds[i]);
        glass[i]->SetGroupIndex(60 + i);
    }
    glass[1]->SetPressed(true);
    glass[2]->SetMouseOver(true);
    auto* glassFace = Add<TZCLCustomMMButton>(170, 5, 32, 24, patterned);
    glassFace->SetButtonFaceImageList(faces);
    glassFace->SetFace(bsUp, 0, 0);
    glassFace->SetTransparent(true);

    ShowForm();
    MouseTo(1000, 750);
    Pump(100);
    const testshot::Shot shot = Shoot("zcl-buttons");

    // A few places a person would look at first.
    const TPoint dockAt = dock->ClientToScreen(TPoint(0, 0));
    const TPoint controlAt = control->ClientToScreen(TPoint(control->Width(), 0));
    EXPECT_EQ(dockAt.x, controlAt.x + 1) << "the dock button one pixel right of its control";
    EXPECT_EQ(dock->Height(), control->Height());
    const COLORREF centres[] = {RGB(0, 192, 0), RGB(192, 0, 0), RGB(128, 128, 128)};
    for (int i = 0; i < 3; ++i) {
        const TPoint p = form->ClientToScreen(TPoint(220 + i * 44 + 6, 230 + 12));
        EXPECT_EQ(shot.AtScreen(p.x, p.y), centres[i]) << "multimedia face " << i;
        const TPoint corner = form->ClientToScreen(TPoint(220 + i * 44, 230));
        EXPECT_EQ(shot.AtScreen(corner.x, corner.y), Sys(COLOR_BTNFACE)) << "transparent round the face " << i;
    }
    // The pattern shows through the transparent buttons where they have no face of their own.
    const struct {
        TControl* button;
        int x, y;
    } through[] = {{glass[0], 3, 3}, {glass[0], 40, 24}, {glass[2], 3, 24}, {glassFace, 1, 1}, {glassFace, 30, 22}};
    for (const auto& t : through) {
        const TPoint p = t.button->ClientToScreen(TPoint(t.x, t.y));
        EXPECT_EQ(shot.AtScreen(p.x, p.y), zclctl::PatternAt(t.button->Left() + t.x, t.button->Top() + t.y))
            << t.button->Left() << "+" << t.x << "," << t.y;
    }
}

}  // namespace
