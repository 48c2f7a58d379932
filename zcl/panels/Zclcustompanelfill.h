#pragma once
// A panel whose background is painted by a fill object (brush, bitmap, gradient...), with its caption drawn
// in it by a text effect, placed by an alignment and possibly turned.

#include <memory>

#include "zcl/core/Zclbase.h"
#include "zcl/panels/Zclcustomparentpanel.h"

class TZCLFillObject;
class TZCLFxCaption;

class TZCLCustomPanelFill : public TZCLCustomParentPanel {
public:
    explicit TZCLCustomPanelFill(TComponent* AOwner);
    ~TZCLCustomPanelFill() override;

    // Where the caption goes; a change redraws.
    TZCLAlignment Alignment() const { return alignment_; }
    void SetAlignment(TZCLAlignment Value);
    // Owned; their changes come to GetChange.
    TZCLFxCaption* CaptionFx() const { return captionFx_.get(); }
    void SetCaptionFx(TZCLFxCaption* Value);
    TZCLFillObject* FillObject() const { return fillObject_.get(); }
    void SetFillObject(TZCLFillObject* Value);
    // The bevel's borders left unpainted, so the fill shows through them.
    bool TransparentBorder() const { return transparentBorder_; }
    void SetTransparentBorder(bool Value);

    // With a fill and not transparent: the picture painted by the fill (a gradient always anew, as it
    // depends on the size) with the background effects; otherwise as the parent panel.
    void CreateBack(bool Force) override;
    // After the parent panel's: a turned caption gets a TrueType face and the children are told of the font;
    // fill or effect changes make the picture again and tell the children; a bevel change tells them of a
    // colour change.
    void GetChange(TObject* Sender) override;
    void Dispatch(TMessage& Message) override;

protected:
    // The picture, the bevel (not for a flat panel without the focus) and the caption.
    void Paint() override;
    virtual void DrawCaption(const TRect& R, TZCLAlignment AAlignment);

private:
    // A turned caption in a face that cannot turn: the face becomes a TrueType one.
    void CheckTurnedFace();

    TZCLAlignment alignment_ = agCenter;
    std::unique_ptr<TZCLFxCaption> captionFx_;
    std::unique_ptr<TZCLFillObject> fillObject_;
    bool transparentBorder_ = false;
    bool adjusting_ = false;
};
