#pragma once
// The picture control: a bitmap of its own, or the bitmap of another picture control, drawn by its style with a
// transparency mode and the effects of BackFX.

#include <memory>

#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclgrapa.h"
#include "zcl/panels/Zclbaseimage.h"

class TZCLCustomNImage : public TZCLBaseImage {
public:
    explicit TZCLCustomNImage(TComponent* AOwner);
    ~TZCLCustomNImage() override;

    // Owned; drawing on it or assigning it redraws the control.
    TBitmap* Bitmap() const { return bitmap_.get(); }
    // Copies Value in (none empties the bitmap).
    void SetBitmap(TBitmap* Value);
    // The picture control whose bitmap is shown instead of this one's; never the control itself. Its end clears
    // the link.
    TZCLCustomNImage* Control() const { return control_; }
    void SetControl(TZCLCustomNImage* Value);
    // Owned: how the picture's background is left out.
    TZCLTransparent* TransparentStyle() const { return transparentStyle_.get(); }
    void SetTransparentStyle(TZCLTransparent* Value) { transparentStyle_->Assign(Value); }

    // The bitmap to show: the linked control's own bitmap, else this one's. Links are not followed further, so
    // two controls may show each other's.
    virtual TBitmap* GetBitmap();
    // No bitmap to show, or an empty one.
    bool GetEmpty() override;
    HPALETTE GetPalette() override;
    // With sbAutosize: the picture's size (20 x 20 without one) and the bevel on each side, kept in place.
    bool CorrectBounds() override;

    void GetChange(TObject* Sender) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void Paint() override;

private:
    std::unique_ptr<TBitmap> bitmap_;
    TZCLCustomNImage* control_ = nullptr;  // not owned
    std::unique_ptr<TZCLTransparent> transparentStyle_;
};
