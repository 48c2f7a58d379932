#pragma once
// What the windowless and the windowed library controls share, kept once: the image list a control shows, the
// background effect object, and small drawing steps.

#include <memory>

#include "framework/runtime/Classes.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Graphics.h"

class TFiler;
class TCustomForm;
class TZCLBitmapEffectObject;
class TZCLChangeLink;
class TZCLCustomImageList;
class TZCLFormShape;

// The image list a control draws from (not owned, told of its changes through an owned change link), with the
// image and list indexes, and the control's background effect object (owned).
class TZCLControlCore {
public:
    // Image-list changes go to OnIMLChange, effect changes to OnFXChange.
    TZCLControlCore(TComponent* Control, TNotifyEvent OnIMLChange, TNotifyEvent OnFXChange);
    // The owned objects lose their events before they are freed, so none reaches a half-destroyed control.
    ~TZCLControlCore();
    TZCLControlCore(const TZCLControlCore&) = delete;
    TZCLControlCore& operator=(const TZCLControlCore&) = delete;

    TZCLCustomImageList* ImageList() const { return imageList_; }
    // Leaves the old list, registers with the new one and asks to be told when it is freed.
    void SetImageList(TZCLCustomImageList* List);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value) { imageIndex_ = Value; }
    int ListIndex() const { return listIndex_; }
    // Index 0 the image index, 1 the list index; a negative or unchanged value is refused (false).
    bool SetIndex(int Index, int Value);
    // No list, or the list has no item at (ListIndex, ImageIndex).
    bool IMLEmpty() const;
    // A list is set and it is not one of the library's default lists.
    bool HasControl() const;
    TZCLChangeLink* ChangeLink() const { return link_.get(); }

    TZCLBitmapEffectObject* BackFX() const { return backFX_.get(); }
    // Forgets the effect object's cached picture.
    void DropBackBuffer();

    // Removal of the list clears it (true then); removal of the list the effect object blends from clears that,
    // unless the control is going.
    bool Notification(TComponent* Component, TOperation Operation);
    // "Internal": a default list by its identifier, written only for those lists.
    void DefineProperties(TFiler* Filer, Closure<void(TZCLCustomImageList*)> SetList);

private:
    TComponent* control_;
    TZCLCustomImageList* imageList_ = nullptr;  // not owned
    int imageIndex_ = 0;
    int listIndex_ = 0;
    std::unique_ptr<TZCLChangeLink> link_;
    std::unique_ptr<TZCLBitmapEffectObject> backFX_;
};

// R with both corners moved from the control's client coordinates to the screen.
TRect ZCLScreenRect(const TControl* Control, const TRect& R);
// A 1-pixel black dashed rectangle over (0, 0, Width, Height) with a hollow brush.
void ZCLDrawDashedRect(TCanvas* Canvas, int Width, int Height);
// Includes or excludes csOpaque from the control's style.
void ZCLSetOpaque(TControl* Control, bool Opaque);
// R filled in Color without an outline.
void ZCLFillSolid(TCanvas* Canvas, const TRect& R, TColor Color);
// The form's shape component, null without one.
TZCLFormShape* ZCLFormShapeOf(TCustomForm* Form);
// The answer of a form's shape component to the background question: false without a window or a shape.
bool ZCLFormBackBitmapCheck(TCustomForm* Form);
