#pragma once
// A scroll box framed by a bevel in its non-client area that, while transparent, shows its parent's picture
// behind its children and hands the same picture on to its own transparent children; while scrolling it tells
// them every few steps that the picture behind them moved.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/visual/ScrollBox.h"
#include "zcl/components/Zclcustomcontrol.h"
#include "zcl/graphics/Zclbevel.h"

// The scroll box's frame: the window's own border unless another mode is chosen.
class TZCLScrollBoxBevel : public TZCLBevel {
public:
    TZCLScrollBoxBevel();
};

class TZCLCustomScrollBox : public TScrollBox, public TZCLBackSupplier {
public:
    // Accepts controls, not opaque, no framework border, 185 x 41.
    explicit TZCLCustomScrollBox(TComponent* AOwner);
    ~TZCLCustomScrollBox() override;

    // Owned; assigning copies. Drawn in the non-client area, inside the window's own border.
    TZCLScrollBoxBevel* Bevel() const { return bevel_.get(); }
    void SetBevel(TZCLBevel* Value);
    // The frame is the bevel's: there is never a framework border.
    TFormBorderStyle BorderStyle() const { return bsNone; }
    void SetBorderStyle(TFormBorderStyle) {}
    bool Transparent() const { return transparent_; }
    // Makes the window again.
    void SetTransparent(bool Value);
    // While scrolling, the children hear of the moved background every Delta steps (and when scrolling ends);
    // without step counting only when it ends.
    bool StepCounting() const { return stepCounting_; }
    void SetStepCounting(bool Value);
    int Delta() const { return delta_; }
    // 0 is ignored; the count starts again.
    void SetDelta(int Value);
    TControlCanvas* Canvas() const { return canvas_.get(); }

    // Transparent, and the parent hands over its picture.
    bool CheckOptimized() { return transparent_ && BackBitmapCheck(); }

    // An owned object changed: the frame is laid out and drawn again.
    virtual void GetChange(TObject* Sender);
    // The parent-background protocol, forwarded to the parent while transparent.
    bool BackBitmapCheck() override;
    TBitmap* BackBitmap() override;
    // P plus where the client area lies in the parent's picture (frame and scroll position allowed for).
    TPoint BackMapPoint(const TPoint& P) override;
    bool BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, std::uint16_t Flags) override;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    bool Loading() const { return ComponentState().Contains(csLoading); }
    bool Destroying() const { return ComponentState().Contains(csDestroying); }
    // Where the client area starts inside the window.
    TPoint ClientOffset();

private:
    void NCCalcSize(TMessage& Message);
    void NCPaint();
    void Scrolled(int Code);
    // The parent's picture over the client area on DC.
    void PaintBack(HDC DC);

    std::unique_ptr<TZCLScrollBoxBevel> bevel_;
    std::unique_ptr<TControlCanvas> canvas_;
    bool transparent_ = false;
    bool stepCounting_ = true;
    int delta_ = 1;
    int steps_ = 0;
};
