#pragma once
// The key-selection dialog: one PC key combination, pressed into the hot-key control or chosen from the keys
// that cannot be pressed there (Escape, Enter, Tab...) with modifiers.

#include "framework/runtime/ShortCuts.h"
#include "framework/visual/ComCtrls.h"
#include "framework/visual/Forms.h"
#include "framework/visual/StdCtrls.h"

class TFormSelectKeys : public TForm {
public:
    explicit TFormSelectKeys(TComponent* owner);

    TRadioButton* RadioRecord;
    TRadioButton* RadioSpecial;
    TGroupBox* GroupBox1;
    TLabel* Label1;
    THotKey* HotKeyInput;
    TGroupBox* GroupBox2;
    TComboBox* SpecialKey;
    TCheckBox* BoxControl;
    TCheckBox* BoxShift;
    TCheckBox* BoxAlt;
    TButton* BtnOk;
    TButton* BtnCancel;

    void FormShow(TObject* Sender);
    void RadioRecordClick(TObject* Sender);
    void RadioSpecialClick(TObject* Sender);
    void BtnOkClick(TObject* Sender);

    // The chosen combination, set by "OK"; 0 for none.
    TShortCut FShortCut = 0;
};

extern TFormSelectKeys* FormSelectKeys;
