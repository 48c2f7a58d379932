#pragma once
// A non-visual component that draws from an image list: the list (not owned, watched through a change link),
// the image and list indexes, and the "Internal" reference for the library's default lists.

#include <memory>

#include "zcl/core/Zclcustomcomponent.h"

class TFiler;
class TZCLChangeLink;
class TZCLControlCore;
class TZCLCustomImageList;

// Whether a list a dialog draws from is stored by its name: one with a name that is not a default list (those go
// as "Internal"; one without a name could not be found again).
bool ZCLStoredByName(const TComponent* List);

class TZCLContainerComponent : public TZCLCustomComponent {
public:
    explicit TZCLContainerComponent(TComponent* AOwner);
    ~TZCLContainerComponent() override;

    // Leaves the old list's changes, joins the new one's, asks to be told when it is freed, then GetIMLChange.
    TZCLCustomImageList* ImageList() const;
    void SetImageList(TZCLCustomImageList* Value);
    int ImageIndex() const;
    void SetImageIndex(int Value) { SetIndex(0, Value); }
    int ListIndex() const;
    void SetListIndex(int Value) { SetIndex(1, Value); }
    // Index 0 the image index, 1 the list index: negative or unchanged values are ignored; with a list set a
    // change calls GetIMLChange.
    void SetIndex(int Index, int Value);
    // A list is set and it is not one of the library's default lists.
    bool HasControl() const;
    // No list, or it has no item at (ListIndex, ImageIndex).
    bool IMLEmpty() const;
    TZCLChangeLink* ChangeLink() const;

    // The change link's event, and the hook for a new list or index; nothing here.
    virtual void GetIMLChange(TObject* Sender);

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;

private:
    std::unique_ptr<TZCLControlCore> core_;
};
