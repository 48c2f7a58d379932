#pragma once
// The windowed library control: panels, edits, list and check boxes stand on it. It brings the flat border
// (flat while neither focused nor under the mouse, 3D otherwise), transparency, an image list, a background
// effect object, events after the focus has moved, and the parent-background protocol: a container that can
// hand its transparent children the picture behind them answers BackBitmapCheck and serves BackBitmap,
// BackMapPoint and BackDrawArea. This base answers no.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/visual/Controls.h"
#include "zcl/components/Zclcontrol.h"

class TZCLBitmapEffectObject;
class TZCLChangeLink;
class TZCLControlCore;
class TZCLCustomImageList;

// The parent-background protocol, spoken by every container a transparent child may stand on: the library's
// windowed controls and its scroll box. A child asks its parent through ZCLBackSupplier.
class TZCLBackSupplier {
public:
    virtual ~TZCLBackSupplier() = default;
    // The picture behind the children.
    virtual TBitmap* BackBitmap() = 0;
    // Whether the container can hand its children the picture behind them.
    virtual bool BackBitmapCheck() = 0;
    // Draws onto Canvas at Dest the part of the background under a child, Src being where that part starts in
    // the container's client coordinates; false when it cannot.
    virtual bool BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, std::uint16_t Flags) = 0;
    // A child's point in the coordinates of the background picture.
    virtual TPoint BackMapPoint(const TPoint& P) = 0;
};

// Control's parent when it speaks the protocol; null otherwise.
TZCLBackSupplier* ZCLBackSupplier(const TControl* Control);
// Whether Control's parent can hand it the picture behind it now: a supplier whose window exists and whose
// BackBitmapCheck holds, or a form whose shape component can.
bool ZCLParentSuppliesBack(const TControl* Control);
// Copies the part of Back under Dest onto Canvas, Src being where Dest starts in Supplier's client area, from
// where Supplier's BackMapPoint puts it in the picture; false without a picture.
bool ZCLCopyBackArea(TZCLBackSupplier* Supplier, TBitmap* Back, TCanvas* Canvas, const TRect& Dest,
                     const TPoint& Src);

class TZCLCustomControl : public TCustomControl, public TZCLBackSupplier {
public:
    // 100 x 40, no tab stop.
    explicit TZCLCustomControl(TComponent* AOwner);
    ~TZCLCustomControl() override;

    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    bool Transparent() const { return transparent_; }
    // Makes the window again: its class and erasing differ.
    void SetTransparent(bool Value);
    bool MouseAbove() const { return mouseAbove_; }
    void SetMouseAbove(bool Value) { mouseAbove_ = Value; }
    // The control has the focus (as DoEnter and DoExit saw it).
    bool IsFocused() const { return focused_; }
    // Whether a change of an owned object redraws the control (true).
    bool RepaintOnChange() const { return repaintOnChange_; }
    void SetRepaintOnChange(bool Value) { repaintOnChange_ = Value; }

    // Image list, as the windowless library controls have it.
    TZCLCustomImageList* ImageList() const;
    void SetImageList(TZCLCustomImageList* Value);
    int ImageIndex() const;
    // Stores the value as it is, without telling anyone.
    void SetImageIndex(int Value);
    int ListIndex() const;
    void SetListIndex(int Value) { SetIndex(1, Value); }
    // Index 0 the image index, 1 the list index: a negative or unchanged value is ignored; a new one is stored
    // and, with a list set, the control redraws.
    void SetIndex(int Index, int Value);
    bool IMLEmpty() const;
    bool HasControl() const;
    TZCLChangeLink* ChangeLink() const;
    TZCLBitmapEffectObject* BackFX() const;
    TRect GetScreenRect(const TRect& R) const;

    TNotifyEvent OnAfterEnter() const { return onAfterEnter_; }
    void SetOnAfterEnter(TNotifyEvent Value) { onAfterEnter_ = Value; }
    TNotifyEvent OnAfterExit() const { return onAfterExit_; }
    void SetOnAfterExit(TNotifyEvent Value) { onAfterExit_ = Value; }
    TNotifyEvent OnMouseEnter() const { return onMouseEnter_; }
    void SetOnMouseEnter(TNotifyEvent Value) { onMouseEnter_ = Value; }
    TNotifyEvent OnMouseExit() const { return onMouseExit_; }
    void SetOnMouseExit(TNotifyEvent Value) { onMouseExit_ = Value; }

    // Told after Flat changed, before the border is drawn again.
    virtual void DoFlatChanged() {}
    // Transparent, and the parent hands over the picture behind the control.
    virtual bool CheckOptimized();
    // The background: the parent's picture when optimized and it can be had, else Color.
    virtual void FillControl();
    // The change event of owned objects: redraws when RepaintOnChange.
    virtual void GetChange(TObject* Sender);
    virtual bool GetEmpty() { return true; }
    virtual void GetIMLChange(TObject* Sender);
    // OnMouseEnter / OnMouseExit (while enabled) with the mouse-above flag and the flat border.
    virtual void MouseEnter();
    virtual void MouseExit();

    // The parent-background protocol: this base supplies nothing (no picture, the point unchanged).
    TBitmap* BackBitmap() override { return nullptr; }
    bool BackBitmapCheck() override { return false; }
    bool BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, std::uint16_t Flags) override;
    TPoint BackMapPoint(const TPoint& P) override { return P; }
    // The palette of the parent's background picture, when the control draws from it.
    virtual HPALETTE BackBitmapPalette();

    // The flat border, on the window's frame: RestoreBorderBack draws it while neither focused nor under the
    // mouse; RestoreBorderFront draws the 3D border.
    virtual void RestoreBorderBack();
    virtual void RestoreBorderFront();

    // Invalidates the control's rectangle in its parent, erasing it.
    void InvalidateFrame();
    // Draws the background of R again (the parent's picture when optimized, else Color).
    void RepBack(const TRect& R);

    HPALETTE GetPalette() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void DoEnter() override;
    void DoExit() override;
    // The background, then the flat border (outside design time) or the dashed frame of an empty control.
    void Paint() override;
    void DrawDashedFrame();
    bool Loading() const { return ComponentState().Contains(csLoading); }
    bool Designing() const { return ComponentState().Contains(csDesigning); }

private:
    bool DrawBackground(const TRect& R);
    // The background behind the children changed: drawn again at once and passed on when it comes from the
    // parent's picture, else invalidated.
    void RedrawBack();

    bool mouseAbove_ = false;
    bool focused_ = false;
    bool flat_ = false;
    bool transparent_ = false;
    bool repaintOnChange_ = true;
    std::unique_ptr<TZCLControlCore> core_;
    TNotifyEvent onAfterEnter_, onAfterExit_, onMouseEnter_, onMouseExit_;
};
