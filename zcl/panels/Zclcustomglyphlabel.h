#pragma once
// A label with an image-list item beside, above or below its text, in a bevel.

#include <memory>

#include "zcl/panels/Zclbaselabel.h"

class TZCL3DCaption;
class TZCLBevel;
class TZCLGlyphTextLayout;

class TZCLCustomGlyphLabel : public TZCLBaseLabel {
public:
    explicit TZCLCustomGlyphLabel(TComponent* AOwner);
    ~TZCLCustomGlyphLabel() override;

    // Where the image stands relative to the text, and both in the label. Owned, as are the others; their
    // changes come to GetChange (the 3D effect's to FontChange).
    TZCLGlyphTextLayout* Alignment() const { return layout_.get(); }
    void SetAlignment(TZCLGlyphTextLayout* Value);
    TZCL3DCaption* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZCL3DCaption* Value);
    TZCLBevel* Bevel() const { return bevel_.get(); }
    void SetBevel(TZCLBevel* Value);

    // With AutoSize (not while loading): text, image, gap and bevel together, past a status bar's gap.
    void CorrectBounds() override;
    void GetIMLChange(TObject* Sender) override;
    HPALETTE GetPalette() override;

protected:
    void Paint() override;

private:
    std::unique_ptr<TZCLGlyphTextLayout> layout_;
    std::unique_ptr<TZCL3DCaption> font3D_;
    std::unique_ptr<TZCLBevel> bevel_;
};

class TZCLGlyphLabel : public TZCLCustomGlyphLabel {
public:
    explicit TZCLGlyphLabel(TComponent* AOwner) : TZCLCustomGlyphLabel(AOwner) {}
};
