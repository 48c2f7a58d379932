#pragma once
// A speed button docked beside a windowed control: it follows the control when the control moves, changes size,
// hides or shows, is enabled or disabled and makes its window again, by hooking the control's window messages.

#include "zcl/buttons/Zclspeedbutton.h"

class TZCLDockSpeedButton : public TZCLCustomSpeedButton {
public:
    // The ellipsis glyph, 22 x 22.
    explicit TZCLDockSpeedButton(TComponent* AOwner);
    // Takes its hook off the control.
    ~TZCLDockSpeedButton() override;

    // With AdjustDockedSize the button takes the control's height (left and right) or width (top and bottom).
    bool AdjustDockedSize() const { return adjustDockedSize_; }
    void SetAdjustDockedSize(bool Value);
    // Off: the hook is taken off and the button stays where it is.
    bool Docked() const { return docked_; }
    void SetDocked(bool Value);
    // Moving or sizing the button moves the control along.
    bool ReflectOwnChanges() const { return reflectOwnChanges_; }
    void SetReflectOwnChanges(bool Value) { reflectOwnChanges_ = Value; }
    // Not owned; forgotten when it goes. A button without a parent goes on the control's parent.
    TWinControl* Control() const { return control_; }
    void SetControl(TWinControl* Value);
    TZCLDockPosition Position() const { return position_; }
    void SetPosition(TZCLDockPosition Value);
    // The gap between control and button.
    int Margin() const { return margin_; }
    void SetMargin(int Value);

    // Hooks the control (while Docked), takes over its visibility and enabled state and docks beside it.
    void DockControl();
    // Places the button Margin pixels beside the control on its Position side.
    void AdjustToControl();
    // Places the control so that the button is docked to it where it is now.
    void AdjustToButton();
    void InitWndProc();
    void RestoreWndProc();
    // The hook: the control has the message first, then the button follows what it did.
    bool OwnWndProc(TMessage& Message);
    // The control's window was destroyed and no new one has come yet.
    bool WindowDestroyed() const { return windowDestroyed_; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;

private:
    // The control's bounds in the button's parent's client coordinates.
    TRect ControlRect() const;
    bool CanAdjust() const;
    void ReadAdjustSize(TReader* Reader);

    bool adjustDockedSize_ = true;
    bool adjusting_ = false;  // re-entry guard of the two adjustments
    bool docked_ = true;
    bool windowDestroyed_ = false;
    bool reflectOwnChanges_ = true;
    TWinControl* control_ = nullptr;  // not owned
    TZCLDockPosition position_ = dpRight;
    int margin_ = 1;
    int hookId_ = 0;  // the hook on the control's window messages; 0 for none
};
