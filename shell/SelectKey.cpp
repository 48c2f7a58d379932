#include "shell/SelectKey.h"

#include "shell/ShellPlace.h"

TFormSelectKeys* FormSelectKeys = nullptr;

namespace {

// Keys the hot-key control will not record.
const WORD SpecialKeys[] = {VK_ESCAPE, VK_RETURN, VK_TAB, VK_SPACE, VK_BACK, VK_DELETE};

// Focuses control now when its form can take it, else when the form is next activated.
void FocusOrRemember(TCustomForm* form, TWinControl* control)
{
    if (form->Showing() && GetActiveWindow() == form->Handle() && control->CanFocus())
        control->SetFocus();
    else
        form->SetActiveControl(control);
}

}  // namespace

TFormSelectKeys::TFormSelectKeys(TComponent* owner) : TForm(owner)
{
    TComponentLoader loading(this);
    SetName("FormSelectKeys");
    SetCaption("Select a Key");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    SetClientSize(386, 195);
    SetOnShow(TNotifyEvent(this, &TFormSelectKeys::FormShow));

    RadioRecord = ShellPlace<TRadioButton>(loading, "RadioRecord", this, 16, 12, 160, 17, "Record");
    RadioRecord->SetOnClick(TNotifyEvent(this, &TFormSelectKeys::RadioRecordClick));
    GroupBox1 = ShellPlace<TGroupBox>(loading, "GroupBox1", this, 8, 32, 180, 112);
    Label1 = ShellPlace<TLabel>(loading, "Label1", GroupBox1, 10, 22, 160, 13, "Press a key or key combination");
    HotKeyInput = ShellPlace<THotKey>(loading, "HotKeyInput", GroupBox1, 10, 48, 160, 21);
    HotKeyInput->SetInvalidKeys(THKInvalidKeys());
    HotKeyInput->SetModifiers(THKModifiers());
    HotKeyInput->SetHotKey(0);

    RadioSpecial = ShellPlace<TRadioButton>(loading, "RadioSpecial", this, 206, 12, 160, 17, "Special Keys");
    RadioSpecial->SetOnClick(TNotifyEvent(this, &TFormSelectKeys::RadioSpecialClick));
    GroupBox2 = ShellPlace<TGroupBox>(loading, "GroupBox2", this, 198, 32, 180, 112);
    SpecialKey = ShellPlace<TComboBox>(loading, "SpecialKey", GroupBox2, 10, 20, 160, 21);
    SpecialKey->SetStyle(csDropDownList);
    BoxControl = ShellPlace<TCheckBox>(loading, "BoxControl", GroupBox2, 10, 50, 100, 17, "Control");
    BoxShift = ShellPlace<TCheckBox>(loading, "BoxShift", GroupBox2, 10, 70, 100, 17, "Shift");
    BoxAlt = ShellPlace<TCheckBox>(loading, "BoxAlt", GroupBox2, 10, 90, 100, 17, "Alt");

    BtnOk = ShellPlace<TButton>(loading, "BtnOk", this, 108, 158, 75, 25, "OK");
    BtnOk->SetDefault(true);
    BtnOk->SetModalResult(mrOk);
    BtnOk->SetOnClick(TNotifyEvent(this, &TFormSelectKeys::BtnOkClick));
    BtnCancel = ShellPlace<TButton>(loading, "BtnCancel", this, 203, 158, 75, 25, "Cancel");
    BtnCancel->SetCancel(true);
    BtnCancel->SetModalResult(mrCancel);
    loading.Finish();
}

void TFormSelectKeys::FormShow(TObject*)
{
    if (RadioRecord->Checked())
        RadioRecordClick(RadioRecord);
    else
        RadioRecord->SetChecked(true);
    SpecialKey->Items()->Clear();
    for (WORD key : SpecialKeys) SpecialKey->Items()->Add(ShortCutToText(TShortCut(key)));
    SpecialKey->SetItemIndex(0);
}

void TFormSelectKeys::RadioRecordClick(TObject*)
{
    SpecialKey->SetEnabled(false);
    BoxAlt->SetEnabled(false);
    BoxShift->SetEnabled(false);
    BoxControl->SetEnabled(false);
    HotKeyInput->SetEnabled(true);
    FocusOrRemember(this, HotKeyInput);
}

void TFormSelectKeys::RadioSpecialClick(TObject*)
{
    BoxAlt->SetEnabled(true);
    BoxShift->SetEnabled(true);
    BoxControl->SetEnabled(true);
    SpecialKey->SetEnabled(true);
    HotKeyInput->SetEnabled(false);
    FocusOrRemember(this, SpecialKey);
}

void TFormSelectKeys::BtnOkClick(TObject*)
{
    if (RadioRecord->Checked()) {
        FShortCut = HotKeyInput->HotKey();
        return;
    }
    TShortCut shortCut = TextToShortCut(SpecialKey->Text());
    if (BoxAlt->Checked()) shortCut |= scAlt;
    if (BoxShift->Checked()) shortCut |= scShift;
    if (BoxControl->Checked()) shortCut |= scCtrl;
    FShortCut = shortCut;
}
