#pragma once
// The windowless library control that can be transparent: labels and shapes stand on it.

#include "zcl/components/Zclbasecontrol.h"

class TZCLBaseGraphicControl : public TZCLBaseControl {
public:
    // Transparent, 30 x 30.
    explicit TZCLBaseGraphicControl(TComponent* AOwner);

    bool Transparent() const { return transparent_; }
    // A transparent control is not opaque: its parent's background shows through where it does not paint.
    void SetTransparent(bool Value);

    // Transparent, and the parent can hand over the picture behind the control: a library windowed parent
    // whose window exists, or a form with a shape component.
    bool CheckOptimized() override;
    void GetChange(TObject* Sender) override;
    void Dispatch(TMessage& Message) override;

protected:
    // An opaque control paints at once (when it is showing on a window); a transparent one invalidates, so
    // that its parent's background is drawn first.
    void InvalidateControl();
    // At design time the dashed frame; nothing else.
    void Paint() override;

private:
    bool transparent_ = true;
};
