// A form holding the library's push buttons, check boxes and a button panel in their states, saved under the
// build folder's artifacts for a person to look at.

#include <gtest/gtest.h>

#include <string>

#include "ZclButtonTestHelpers.h"
#include "framework/visual/StdCtrls.h"
#include "support/Screenshot.h"
#include "zcl/buttons/Zclbutton.h"
#include "zcl/buttons/Zclbuttonpanel.h"
#include "zcl/buttons/Zclcheckbox.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/graphics/Zcllayout.h"

using namespace zclbtn;

namespace {

class PushButtonsScreenshot : public ButtonSheet {};

TEST_F(PushButtonsScreenshot, FormOfPushButtonsCheckBoxesAndAButtonPanel)
{
    Sheet(700, 220);

    Note(10, 4, "push buttons: plain, default, focused, disabled, pushed, old look, glyph, drop-down arrow", 600);
    const char* captions[] = {"Plain", "Default", "Focused", "Disabled", "Pushed", "Old look", "Folder", "Menu"};
    TZCLButton* buttons[8];
    for (int i = 0; i < 8; ++i) {
        buttons[i] = Add<TZCLButton>(10 + i * 84, 20, 78, 25);
        buttons[i]->SetCaption(captions[i]);
    }
    buttons[1]->SetDefault(true);
    buttons[3]->SetEnabled(false);
    buttons[5]->SetStyle(nbsWin31);
    TBitmap folder;
    ASSERT_TRUE(ZCLGetGlyphKind(&folder, gkFolder));
    buttons[6]->SetGlyph(&folder);
    buttons[7]->ButtonLayout()->SetArrow(true);

    Note(10, 58, "check boxes: unchecked, checked, grayed, disabled, flat, read-only, focus colour", 600);
    const char* boxCaptions[] = {"Unchecked", "Checked", "Grayed", "Disabled", "Flat", "Read-only"};
    TZCLCheckBox* boxes[6];
    for (int i = 0; i < 6; ++i) {
        boxes[i] = Add<TZCLCheckBox>(10 + (i % 3) * 110, 74 + (i / 3) * 22, 104, 18);
        boxes[i]->SetCaption(boxCaptions[i]);
    }
    boxes[1]->SetChecked(true);
    boxes[2]->SetState(cbGrayed);
    boxes[3]->SetChecked(true);
    boxes[3]->SetEnabled(false);
    boxes[4]->SetFlat(true);
    boxes[4]->SetChecked(true);
    boxes[5]->SetReadOnly(true);
    boxes[5]->SetState(cbGrayed);

    Note(360, 58, "button panel: seven buttons, three columns", 300);
    auto* panel = new TZCLButtonPanel(form.get());
    panel->SetParent(form.get());
    panel->SetButtonStyle(ubsWin40);
    const TZCLGlyphKind kinds[] = {gkEllipsis, gkFile, gkFolder, gkCalculator, gkCalender, gkSearch, gkColor};
    for (TZCLGlyphKind kind : kinds) panel->Buttons()->Items(panel->AddButton())->SpeedButton()->SetGlyphKind(kind);
    panel->SetBounds(360, 74, 70 + 2 * panel->BevelExt(), 80);

    ShowForm();
    buttons[2]->SetFocus();
    SendMessageA(buttons[4]->Handle(), BM_SETSTATE, TRUE, 0);
    MouseTo(1000, 750);
    // The shot once the checked box shows its mark and the pushed button its black frame.
    auto screenPixel = [](TWinControl* c, int x, int y) {
        HDC dc = GetDC(c->Handle());
        const COLORREF p = GetPixel(dc, x, y);
        ReleaseDC(c->Handle(), dc);
        return p;
    };
    ASSERT_TRUE(PumpUntil(
        [&] {
            int dark = 0;
            for (int y = 4; y < 14; ++y)
                for (int x = 2; x < 12; ++x) dark += screenPixel(boxes[1], x, y) == Sys(COLOR_WINDOWTEXT);
            return dark > 5 && screenPixel(buttons[4], 0, 0) == RGB(0, 0, 0);
        },
        5000));
    Shoot("zcl-push-buttons");

    EXPECT_EQ(panel->Width(), 60 + 2 * panel->BevelExt());
    EXPECT_EQ(panel->Height(), 60 + 2 * panel->BevelExt());
    EXPECT_TRUE(buttons[2]->IsCurrentDefault());
    EXPECT_FALSE(buttons[1]->IsCurrentDefault()) << "the focused button took the default look";
}

}  // namespace
