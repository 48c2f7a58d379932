#pragma once
// The keyboard picture: the terminal's front with one button per key. Clicking a key defines what it plays on
// the PC (with the terminal's Shift and Alt chosen on the picture); hovering shows what it plays now. The map
// is the current port's, loaded when the dialog shows and saved when it closes.

#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Forms.h"
#include "link/Keymap.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/panels/Zclnimage.h"
#include "zcl/panels/Zclshapecontrol.h"

class TFormLayoutK5 : public TForm {
public:
    explicit TFormLayoutK5(TComponent* owner);
    ~TFormLayoutK5() override;

    // Keys --------------------------------------------------------------------------------------------------
    TZCLSpeedButton* KeyF[16];   // KeyF1 .. KeyF16
    TZCLSpeedButton* KeySo[10];  // KeySo1, KeySo2, KeyS03, KeySo4 .. KeySo10
    TZCLSpeedButton* KeyN[10];   // KeyN0 .. KeyN9
    TZCLSpeedButton* KeyDot;
    TZCLSpeedButton* KeyEnter;
    TZCLSpeedButton* KeyClr;
    TZCLSpeedButton* KeyPlus;
    TZCLSpeedButton* KeyMinus;
    TZCLSpeedButton* KeyTop;
    TZCLSpeedButton* KeyBot;
    TZCLSpeedButton* KeyCup;
    TZCLSpeedButton* KeyCdn;
    TZCLSpeedButton* KeyCle;
    TZCLSpeedButton* KeyCri;
    TZCLSpeedButton* KeyInfo;
    TZCLSpeedButton* KeyShift;
    TZCLSpeedButton* KeyAlt;
    TZCLSpeedButton* KeyMbLeft;
    TZCLSpeedButton* KeyMbRight;
    // Every key button, in the order above.
    std::vector<TZCLSpeedButton*> Keys;

    // Shapes and pictures -------------------------------------------------------------------------------------
    TZCLShapeControl* DisplayBackground;
    TZCLShapeControl* ShapeKeyDown;
    TZCLShapeControl* ShapeKeyUp;
    TZCLShapeControl* ShapeShiftAlt;
    // Lit while their key is down, as on the terminal.
    TZCLShapeControl* LedShift;
    TZCLShapeControl* LedAlt;
    // Every shape: labels, LEDs, the display and the panels.
    std::vector<TZCLShapeControl*> Shapes;
    TZCLNImage* ImageLogo;
    TZCLNImage* ImageName;

    // Handlers ------------------------------------------------------------------------------------------------
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void KeyClick(TObject* Sender);
    void MouseEnter(TObject* Sender);
    void MouseExit(TObject* Sender);
    void KeyShiftAltClick(TObject* Sender);

    // The code a key with this Tag sends in the Shift and Alt states chosen now.
    KvKeyCode KeyCode(int tag) const;

    KvKeyMap* FKeyMap;
    bool FLetterInput = false;
    AnsiString FPortName;
    // A save failed since the picture was shown: closing it again leaves without saving.
    bool FSaveFailed = false;

private:
    void BuildKeys(TComponentLoader& loading);
    void BuildShapes(TComponentLoader& loading);
    // The list's texts under heading in panel, which is shown; an empty list leaves the panel as it is.
    void ShowPanel(TZCLShapeControl* panel, const char* heading, const KvActionList& list);
};

extern TFormLayoutK5* FormLayoutK5;

// The .ini file beside the program that holds the key maps.
AnsiString KeyMapFileName();
