#include "shell/KeyForm.h"

#include "shell/SelectKey.h"
#include "shell/ShellPlace.h"

TFormDefineKey* FormDefineKey = nullptr;

TFormDefineKey::TFormDefineKey(TComponent* owner) : TForm(owner)
{
    TComponentLoader loading(this);
    SetName("FormDefineKey");
    SetCaption("Define Key Actions");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    SetClientSize(407, 294);
    SetOnShow(TNotifyEvent(this, &TFormDefineKey::FormShow));

    const TNotifyEvent enter(this, &TFormDefineKey::OnEnter);
    GroupBoxDown = ShellPlace<TGroupBox>(loading, "GroupBoxDown", this, 8, 8, 150, 278, "Key &Down");
    ListBoxDown = ShellPlace<TListBox>(loading, "ListBoxDown", GroupBoxDown, 10, 20, 130, 248);
    GroupBoxUp = ShellPlace<TGroupBox>(loading, "GroupBoxUp", this, 166, 8, 150, 278, "Key &Up");
    ListBoxUp = ShellPlace<TListBox>(loading, "ListBoxUp", GroupBoxUp, 10, 20, 130, 248);
    for (TListBox* list : {ListBoxDown, ListBoxUp}) {
        list->SetOnClick(enter);
        list->SetOnEnter(enter);
    }

    struct Button {
        TZCLButton** field;
        const char* name;
        const char* caption;
        int y;
        void (TFormDefineKey::*click)(TObject*);
    };
    const Button buttons[] = {
        {&ButtonMoveUp, "ButtonMoveUp", "&Up     ", 28, &TFormDefineKey::ButtonMoveUpClick},
        {&ButtonMoveDown, "ButtonMoveDown", "&Down", 60, &TFormDefineKey::ButtonMoveDownClick},
        {&ButtonAdd, "ButtonAdd", "&Add", 108, &TFormDefineKey::ButtonAddClick},
        {&ButtonDelete, "ButtonDelete", "&Delete", 140, &TFormDefineKey::ButtonDeleteClick},
        {&ButtonExit, "ButtonExit", "&Ok", 261, &TFormDefineKey::ButtonExitClick},
    };
    for (const Button& b : buttons) {
        *b.field = ShellPlace<TZCLButton>(loading, b.name, this, 324, b.y, 75, 25, b.caption);
        (*b.field)->SetOnEnter(enter);
        (*b.field)->SetOnClick(TNotifyEvent(this, b.click));
    }
    ButtonExit->SetModalResult(mrOk);
    FActiveListBox = ListBoxDown;
    loading.Finish();
}

void TFormDefineKey::FormShow(TObject*)
{
    FKeyDown.ToText(ListBoxDown->Items());
    FKeyUp.ToText(ListBoxUp->Items());
    UpdateButtons();
}

void TFormDefineKey::OnEnter(TObject* Sender)
{
    if (Sender == ListBoxDown || Sender == ListBoxUp) FActiveListBox = static_cast<TListBox*>(Sender);
    UpdateButtons();
}

void TFormDefineKey::UpdateButtons()
{
    ButtonAdd->SetEnabled(true);
    if (!FActiveListBox) {
        for (TZCLButton* b : {ButtonMoveUp, ButtonMoveDown, ButtonAdd, ButtonDelete}) b->SetEnabled(false);
        return;
    }
    const int index = FActiveListBox->ItemIndex();
    const int count = FActiveListBox->Items()->Count();
    const bool selected = index >= 0 && index < count;
    ButtonDelete->SetEnabled(selected);
    ButtonMoveUp->SetEnabled(selected && index > 0);
    ButtonMoveDown->SetEnabled(selected && index + 1 < count);
}

void TFormDefineKey::SelectInActive(int index)
{
    FActiveListBox->SetItemIndex(index);
    if (FActiveListBox->CanFocus()) FActiveListBox->SetFocus();
    // Focusing a list that has the focus already enters nothing.
    UpdateButtons();
}

void TFormDefineKey::ButtonAddClick(TObject*)
{
    {
        ShellDialog<TFormSelectKeys> dialog(FormSelectKeys);
        if (dialog->ShowModal() == mrOk && FActiveListBox) {
            const AnsiString text = ShortCutToText(dialog->FShortCut);
            if (!text.IsEmpty()) {
                FActiveListBox->Items()->Add(text);
                SelectInActive(FActiveListBox->Items()->Count() - 1);
            }
        }
    }
    UpdateButtons();
}

void TFormDefineKey::ButtonDeleteClick(TObject*)
{
    if (!FActiveListBox) return;
    const int i = FActiveListBox->ItemIndex();
    if (i < 0 || i >= FActiveListBox->Items()->Count()) return;
    FActiveListBox->Items()->Delete(i);
    const int count = FActiveListBox->Items()->Count();
    SelectInActive(i < count ? i : i - 1);
}

void TFormDefineKey::ButtonMoveUpClick(TObject*)
{
    if (!FActiveListBox) return;
    const int i = FActiveListBox->ItemIndex();
    if (i <= 0 || i >= FActiveListBox->Items()->Count()) return;
    FActiveListBox->Items()->Exchange(i, i - 1);
    SelectInActive(i - 1);
}

void TFormDefineKey::ButtonMoveDownClick(TObject*)
{
    if (!FActiveListBox) return;
    const int i = FActiveListBox->ItemIndex();
    if (i < 0 || i + 1 >= FActiveListBox->Items()->Count()) return;
    FActiveListBox->Items()->Exchange(i, i + 1);
    SelectInActive(i + 1);
}

void TFormDefineKey::ButtonExitClick(TObject*)
{
    FKeyDown.FromText(ListBoxDown->Items());
    FKeyUp.FromText(ListBoxUp->Items());
}
