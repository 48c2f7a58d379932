#pragma once
// The transparent windowless library control with a bevel round it: images and the spin button stand on it.

#include <memory>

#include "zcl/components/Zclbasegraphiccontrol.h"
#include "zcl/graphics/Zclbevel.h"

class TZCLGraphicControl : public TZCLBaseGraphicControl {
public:
    explicit TZCLGraphicControl(TComponent* AOwner);
    ~TZCLGraphicControl() override;

    // Owned; a change redraws the control.
    TZCLBevel* Bevel() const { return bevel_.get(); }
    // Copies Value into the owned bevel and tells the control (CM_ZCLBEVELCHANGED).
    void SetBevel(TZCLBevel* Value);

    // The bevel's width on each side, and twice that.
    int BevelExt() const;
    int DblBevelExt() const { return 2 * BevelExt(); }
    // The client rectangle inside the bevel.
    TRect BeveledRect() const;

protected:
    // The bevel (its inside left alone while transparent); with no bevel and nothing to show, the base's.
    void Paint() override;

private:
    std::unique_ptr<TZCLBevel> bevel_;
};
