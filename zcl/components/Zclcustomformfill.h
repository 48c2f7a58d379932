#pragma once
// The base of the hooks that paint their owner form's client background themselves (an image-list item or an
// owner-draw event) instead of the normal erase.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclwndproccomponent.h"

// Who paints: nobody, the component itself, or an OnPaint handler.
enum TZCLPaintMode : std::uint8_t { pcNone, pcControl, pcOwnerDraw };
// Dest: the area to paint, in the canvas's coordinates.
using TZCLPaintEvent = Closure<void(TObject* Sender, TCanvas* ACanvas, const TRect& Dest)>;

class TZCLCustomFormFill : public TZCLWndProcComponent {
public:
    explicit TZCLCustomFormFill(TComponent* AOwner);
    ~TZCLCustomFormFill() override;

    // Not owned; forgotten when it is freed. Its changes repaint the form.
    TZCLCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TZCLCustomImageList* Value);
    // Negative and unchanged values are ignored; a change with a list repaints.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value) { SetIndex(0, Value); }
    std::int32_t ListIndex() const { return listIndex_; }
    void SetListIndex(std::int32_t Value) { SetIndex(1, Value); }
    void SetIndex(int Which, int Value);
    // Owner drawing: the client area is filled with the form's colour before OnPaint.
    bool DefaultFill() const { return defaultFill_; }
    void SetDefaultFill(bool Value) { defaultFill_ = Value; }
    TZCLPaintMode PaintMode() const { return paintMode_; }
    void SetPaintMode(TZCLPaintMode Value);
    TZCLPaintEvent OnPaint() const { return onPaint_; }
    void SetOnPaint(TZCLPaintEvent Value) { onPaint_ = Value; }
    // A size change erases the background before the repaint.
    bool EraseOnSize() const { return eraseOnSize_; }
    void SetEraseOnSize(bool Value) { eraseOnSize_ = Value; }

    // Invalidates the owner window, erasing.
    void Invalidate();
    // No image list, or no such item in it.
    bool IMLEmpty() const;
    // The owner is a windowed control with a window.
    bool HasControl() const;
    // A change of the image list or an option: repaint when enabled.
    void GetChange(TObject* Sender) override;
    // Set by a change and a size change, cleared by painting.
    bool NeedsRepaint() const { return needsRepaint_; }

    void Notification(TComponent* AComponent, TOperation Operation) override;
    // "Internal": a default image list by its identifier, written only for those lists.
    void DefineProperties(TFiler* Filer) override;

protected:
    virtual void GetIMLChange(TObject* Sender);
    // Paints the client area on dc; true when it did, and nothing else erases.
    virtual bool PaintClientArea(HDC DC);
    void Init() override;
    void RestoreState() override;
    void WndProc(TMessage& Message) override;
    bool Designing() const;
    // The owner form's client rectangle.
    TRect ClientArea() const;

private:
    TZCLCustomImageList* imageList_ = nullptr;  // not owned
    int imageIndex_ = -1;
    std::int32_t listIndex_ = 0;
    std::unique_ptr<TZCLChangeLink> link_;
    bool defaultFill_ = true;
    TZCLPaintMode paintMode_ = pcControl;
    TZCLPaintEvent onPaint_;
    bool needsRepaint_ = false;
    bool eraseOnSize_ = false;
};
