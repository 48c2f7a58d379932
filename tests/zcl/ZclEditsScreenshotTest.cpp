// A form holding the typed edits, spin edits and buttons, file-open edits and combo boxes in their states, saved
// under the build folder's artifacts for a person to look at.

#include <gtest/gtest.h>

#include "ZclEditTestHelpers.h"
#include "framework/visual/StdCtrls.h"
#include "support/Screenshot.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/edits/Zclbrowseedit.h"
#include "zcl/edits/Zclcombobox.h"
#include "zcl/edits/Zclmaskedit.h"
#include "zcl/edits/Zclspinedit.h"

using namespace zcledit;

namespace {

class EditsScreenshot : public EditForm {
protected:
    template <typename T>
    T* Put(int x, int y, int w, int h = 21)
    {
        auto* c = new T(form.get());
        c->SetParent(form.get());
        c->SetBounds(x, y, w, h);
        return c;
    }
    void Note(int x, int y, const char* text, int width = 150)
    {
        auto* l = new TLabel(form.get());
        l->SetParent(form.get());
        l->SetTransparent(true);
        l->Font()->SetName("Arial");
        l->Font()->SetSize(7);
        l->SetBounds(x, y, width, 12);
        l->SetCaption(text);
    }
    TZCLMaskEdit* Typed(int x, int y, const char* note, TZCLMaskType type, const char* text = nullptr)
    {
        Note(x, y, note);
        auto* e = Put<TZCLMaskEdit>(x, y + 13, 140);
        e->SetMaskType(type);
        if (text) e->SetText(text);
        return e;
    }
};

TEST_F(EditsScreenshot, FormOfTypedSpinAndFileEditsAndComboBoxes)
{
    form->SetBounds(20, 20, 640, 300);
    form->SetColor(clBtnFace);

    // Row 1: typed edits.
    auto* mask = Typed(8, 4, "mask, blank", meMask);
    mask->SetMask("!0000\\-00\\-00");
    auto* filled = Typed(158, 4, "mask, filled", meMask);
    filled->SetMask("\\(000\\) 000\\-0000");
    filled->SetText("(555) 123-4567");
    auto* hex = Typed(308, 4, "integer, base 16", meInteger);
    hex->SetNumberBase(16);
    hex->SetText("7FFE");
    auto* fixed = Typed(458, 4, "float, two places", meFloatFixed);
    fixed->SetDecimals(2);
    fixed->SetText("3.14");

    // Row 2.
    Typed(8, 46, "money", meCurrency, "12.5");
    auto* date = Typed(158, 46, "date, month name", meDate);
    date->DateSettings()->SetFormatStr("dd mmm yyyy");
    date->DateSettings()->SetFormat(dfCustom);
    date->SetText(date->DateSettings()->GetEditString(2024, 2, 29));
    Typed(308, 46, "time", meTime, "12:34:56");
    auto* readOnly = Typed(458, 46, "integer, read-only", meInteger, "-42");
    readOnly->SetReadOnly(true);

    // Row 3: spin edits.
    Note(8, 88, "spin edit");
    auto* spin = Put<TZCLExtSpinEdit>(8, 101, 100);
    spin->SetMaxValue(1000);
    spin->SetValue(250);
    Note(158, 88, "float spin, at its maximum");
    auto* fraction = Put<TZCLExtSpinEdit>(158, 101, 100);
    fraction->SetEditType(ntFloatFixed);
    fraction->SetDecimals(1);
    fraction->SetMaxValue(2.5);
    fraction->SetValue(9);
    Note(308, 88, "spin edit, disabled");
    auto* disabled = Put<TZCLExtSpinEdit>(308, 101, 100);
    disabled->SetValue(7);
    disabled->SetEnabled(false);
    Note(458, 88, "spin edit, wide button");
    auto* wide = Put<TZCLExtSpinEdit>(458, 101, 100);
    wide->SetSpinBtnWidth(30);
    wide->SetValue(99);

    // Row 4: spin buttons in layouts and states.
    Note(8, 130, "spin buttons: up, up pressed, up/down, down pressed, four parts, left/right, disabled", 600);
    const struct {
        TZCLSpinButtons set;
        TZCLSpinButtonState down;
        bool enabled;
    } buttons[] = {
        {{sbUp}, sbUpper, true},
        {{sbUp}, sbUpDown, true},
        {{sbUp, sbDown}, sbUpper, true},
        {{sbUp, sbDown}, sbDownDown, true},
        {{sbLeft, sbRight, sbUp, sbDown}, sbUpper, true},
        {{sbLeft, sbRight}, sbUpper, true},
        {{sbLeft, sbRight, sbUp, sbDown}, sbUpper, false},
    };
    TZCLSpinButton* pressed = nullptr;
    int x = 8;
    for (const auto& b : buttons) {
        auto* s = Put<TZCLSpinButton>(x, 144, 24, 24);
        s->SetBtns(b.set);
        s->SetDown(b.down);
        s->SetEnabled(b.enabled);
        if (b.down == sbUpDown) pressed = s;
        x += 36;
    }

    // Row 5: file-open edits.
    Note(8, 176, "file-open edit");
    auto* file = Put<TZCLFileOpenEdit>(8, 189, 300);
    file->SetFilename("C:\\Program Files\\Tools\\tool.exe");
    Note(318, 176, "file-open edit, disabled");
    auto* fileOff = Put<TZCLFileOpenEdit>(318, 189, 300);
    fileOff->SetFilename("C:\\windows\\notepad.exe");
    fileOff->SetEnabled(false);

    // Row 6: combo boxes.
    Note(8, 218, "drop-down list");
    auto* list = Put<TZCLComboBox>(8, 231, 140);
    list->SetStyle(csDropDownList);
    for (const char* item : {"9600", "19200", "115200"}) list->Items()->Add(item);
    list->SetItemIndex(2);
    Note(158, 218, "searching, typed");
    auto* search = Put<TZCLComboBox>(158, 231, 140);
    search->SetSearch(true);
    for (const char* item : {"COM1", "COM2", "COM10"}) search->Items()->Add(item);
    search->SetText("COM");
    Note(308, 218, "flat");
    auto* flat = Put<TZCLComboBox>(308, 231, 140);
    flat->SetFlat(true);
    flat->SetStyle(csDropDownList);
    flat->Items()->Add("Hardware");
    flat->SetItemIndex(0);
    Note(458, 218, "disabled");
    auto* off = Put<TZCLComboBox>(458, 231, 140);
    off->SetStyle(csDropDownList);
    off->Items()->Add("None");
    off->SetItemIndex(0);
    off->SetEnabled(false);

    ShowForm();
    controltest::MouseTo(1000, 750);
    // The shot once the browse glyph and the pressed spin button's lowered frame are on the screen.
    ASSERT_NE(pressed, nullptr);
    const TRect glyphArea = [&] {
        TZCLSpeedButton* b = file->CustomButtons()->GetItem(0)->SpeedButton();
        return TRect(b->Left(), b->Top(), b->Left() + b->Width(), b->Top() + b->Height());
    }();
    ASSERT_TRUE(PumpUntil(
        [&] {
            int olive = 0;
            for (int y = glyphArea.top; y < glyphArea.bottom; ++y)
                for (int gx = glyphArea.left; gx < glyphArea.right; ++gx)
                    olive += WindowPixel(file->Handle(), gx, y) == RGB(128, 128, 0);
            // A lowered frame: the control's top-left pixel is dark.
            const COLORREF corner = WindowPixel(form->Handle(), pressed->Left(), pressed->Top());
            return olive > 10 && corner != zclctl::Sys(COLOR_BTNFACE) && corner != zclctl::Sys(COLOR_BTNHIGHLIGHT);
        },
        5000));
    const testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    EXPECT_FALSE(shot.SaveArtifact("zcl-typed-spin-combo-edits").empty());

    EXPECT_EQ(fraction->Value(), 2.5) << "kept at its maximum";
    EXPECT_STREQ(filled->Text().c_str(), "(555) 123-4567");
}

}  // namespace
