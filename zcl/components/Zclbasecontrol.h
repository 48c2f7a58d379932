#pragma once
// The windowless library control with an image list to draw from and a background effect object.

#include <memory>

#include "zcl/components/Zclcontrol.h"

class TZCLBitmapEffectObject;
class TZCLChangeLink;
class TZCLControlCore;
class TZCLCustomImageList;

class TZCLBaseControl : public TZCLControl {
public:
    explicit TZCLBaseControl(TComponent* AOwner);
    ~TZCLBaseControl() override;

    // Not owned; the control is told of its changes (GetIMLChange) and of its end.
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
    // No list, or the list has no item at (ListIndex, ImageIndex).
    bool IMLEmpty() const;
    // A list is set and it is not one of the library's default lists.
    bool HasControl() const;
    TZCLChangeLink* ChangeLink() const;
    // The effect object for the background; owned.
    TZCLBitmapEffectObject* BackFX() const;

    // R with both corners in screen coordinates.
    TRect GetScreenRect(const TRect& R) const;
    // The point in the parent's coordinates; a form parent leaves it as it is.
    TPoint BackMapPoint(int X, int Y) const;

    // Whether the control can draw its background from its parent's picture; false here.
    virtual bool CheckOptimized();
    // The change link's event: the control redraws.
    virtual void GetIMLChange(TObject* Sender);

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;
    void Dispatch(TMessage& Message) override;

private:
    std::unique_ptr<TZCLControlCore> core_;
};
