#pragma once
// A panel with a library bevel round its client area; its children are aligned inside the bevel. In the
// bevel's Windows mode the frame is the window's own border.

#include <memory>

#include "zcl/graphics/Zclbevel.h"
#include "zcl/panels/Zclcustompanel.h"

class TZCLCustomBevelPanel : public TZCLCustomPanel {
public:
    explicit TZCLCustomBevelPanel(TComponent* AOwner);
    ~TZCLCustomBevelPanel() override;

    // Owned; its changes come to GetChange.
    TZCLBevel* Bevel() const { return bevel_.get(); }
    // Copies Value into the owned bevel and tells the panel (CM_ZCLBEVELCHANGED).
    void SetBevel(TZCLBevel* Value);
    // Kept for the panels that read it; changes nothing by itself.
    bool Locked() const { return locked_; }
    void SetLocked(bool Value) { locked_ = Value; }

    // The bevel's width on each side, and twice that.
    int BevelExt() const;
    int DblBevelExt() const { return 2 * BevelExt(); }
    // The client rectangle inside the bevel.
    TRect BeveledRect() const;

    // Not while loading. A bevel change makes the window again when the bevel asks for it, and realigns the
    // children; then the panel redraws.
    void GetChange(TObject* Sender) override;
    // False while the bevel takes room or is the window's border.
    bool GetEmpty() override;
    // Inside the bevel.
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Dispatch(TMessage& Message) override;

protected:
    // In the Windows mode: a client edge with the 3D look, else a plain border.
    void CreateParams(TCreateParams& Params) override;
    // The background and the flat border, then the bevel.
    void Paint() override;
    void PaintBevel();

private:
    std::unique_ptr<TZCLBevel> bevel_;
    bool locked_ = false;
};
