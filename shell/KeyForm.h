#pragma once
// The key-definition dialog: the PC key combinations a terminal key plays when pressed and when released, each
// an ordered list edited here. The caller fills FKeyDown and FKeyUp and reads them back after mrOk.

#include "framework/visual/Forms.h"
#include "framework/visual/StdCtrls.h"
#include "link/Keymap.h"
#include "zcl/buttons/Zclbutton.h"

class TFormDefineKey : public TForm {
public:
    explicit TFormDefineKey(TComponent* owner);

    TGroupBox* GroupBoxDown;
    TListBox* ListBoxDown;
    TGroupBox* GroupBoxUp;
    TListBox* ListBoxUp;
    TZCLButton* ButtonMoveUp;
    TZCLButton* ButtonMoveDown;
    TZCLButton* ButtonAdd;
    TZCLButton* ButtonDelete;
    TZCLButton* ButtonExit;

    void FormShow(TObject* Sender);
    // Focus entered a list box or a button, or a list box was clicked: the buttons follow the active list.
    void OnEnter(TObject* Sender);
    void ButtonAddClick(TObject* Sender);
    void ButtonDeleteClick(TObject* Sender);
    void ButtonMoveUpClick(TObject* Sender);
    void ButtonMoveDownClick(TObject* Sender);
    void ButtonExitClick(TObject* Sender);

    // The list the buttons act on.
    TListBox* FActiveListBox = nullptr;
    KvActionList FKeyDown;
    KvActionList FKeyUp;

private:
    void UpdateButtons();
    // Selects index in the active list and gives it the focus; the buttons follow.
    void SelectInActive(int index);
};

extern TFormDefineKey* FormDefineKey;
