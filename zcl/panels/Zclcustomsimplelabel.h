#pragma once
// A label with three-dimensional text that can be a jump: clicked, it opens an internet address (a mail
// address as a mail link) or a program or document through the shell.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/runtime/Closure.h"
#include "zcl/panels/Zclbaselabel.h"

class TFiler;
class TZCL3DCaption;

enum TZCLJumpModes : std::uint8_t { jmInternet, jmApplication, jmNone, jmCustom };

// Opens a jump target as the shell's "open" does, shown normally, and gives the shell's result (32 or less:
// failed). Tests put a stand-in here so that nothing is opened; null means the shell.
using TZCLJumpOpener = Closure<INT_PTR(const AnsiString& Target)>;
void ZCLSetJumpOpener(TZCLJumpOpener Opener);

// The target a jump label of an internet jump opens: a text with an "@" and no scheme of its own ("xxx:")
// becomes a mail link.
AnsiString ZCLInternetJumpTarget(const AnsiString& Text);

class TZCLCustomSimpleLabel : public TZCLBaseLabel {
public:
    // Window colour taken from the parent.
    explicit TZCLCustomSimpleLabel(TComponent* AOwner);
    ~TZCLCustomSimpleLabel() override;

    // Owned; its changes come to FontChange.
    TZCL3DCaption* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZCL3DCaption* Value);
    // What a jump opens; for an internet jump the label's text when empty.
    AnsiString Jump() const { return jump_; }
    void SetJump(const AnsiString& Value) { jump_ = Value; }
    // The font's colour once clicked, and before.
    TColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(TColor Value) { activeColor_ = Value; }
    TColor InActiveColor() const { return inActiveColor_; }
    void SetInActiveColor(TColor Value);
    bool JumpUnderline() const { return jumpUnderline_; }
    void SetJumpUnderline(bool Value);
    // A jump mode colours and underlines the font and shows the hand cursor; jmNone takes that back.
    TZCLJumpModes JumpMode() const { return jumpMode_; }
    void SetJumpMode(TZCLJumpModes Value);
    // Clicks counted since the jump mode was set.
    int GetCounter() const { return counter_; }

    // Counts a click and colours the font as clicked, then clicks.
    void Execute();
    // An internet or application jump opens its target (a failure turns the jump off and disables the label);
    // the other modes click as any control does.
    void Click() override;
    // Sized to its text, keeping its place (not while loading).
    void CorrectBounds() override;
    void Loaded() override;
    void DefineProperties(TFiler* Filer) override;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The background, then the text; hidden while twinkling, in TwinkleColor or not at all.
    void Paint() override;

private:
    void Clicked();
    void ApplyJumpLook();

    std::unique_ptr<TZCL3DCaption> font3D_;
    AnsiString jump_;
    TColor activeColor_ = TColor(0x800080);
    TColor inActiveColor_ = TColor(0xFF0000);
    bool useAsJump_ = false;  // read from old stored forms only
    bool jumpUnderline_ = true;
    TZCLJumpModes jumpMode_ = jmNone;
    int counter_ = 0;
};

class TZCLSimpleLabel : public TZCLCustomSimpleLabel {
public:
    explicit TZCLSimpleLabel(TComponent* AOwner) : TZCLCustomSimpleLabel(AOwner) {}
};
