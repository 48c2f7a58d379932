#pragma once
// Speed buttons: the graphic button drawn in one of the library's button looks, with the stock glyphs.

#include "zcl/buttons/Zclgraphicbutton.h"

class TZCLCustomSpeedButton : public TZCLBaseGraphicButton {
public:
    explicit TZCLCustomSpeedButton(TComponent* AOwner);

    // A stock glyph (NumGlyphs 1) or gkCustom, which clears the glyph. Image-list changes are ignored while a
    // stock glyph is shown.
    TZCLGlyphKind GlyphKind() const { return glyphKind_; }
    void SetGlyphKind(TZCLGlyphKind Value);
    // The look. ubsFlatUnColored to ubsExplorer draw the glyph grey until the mouse is over it; ubsExplorer and
    // ubsExplorerColored draw no background of their own.
    TZCLUserButtonStyle Style() const { return style_; }
    void SetStyle(TZCLUserButtonStyle Value);
    // Draws no face background: its parent shows through.
    bool ExplorerLook() const { return style_ == ubsExplorer || style_ == ubsExplorerColored; }

    // A glyph of its own makes the kind gkCustom.
    void SetGlyph(TBitmap* Value) override;
    bool IsCustom() override { return glyphKind_ == gkCustom; }

protected:
    void Paint() override;
    // Flat looks show the mouse over the button.
    bool MouseOverChangesLook() override;
    void UpdateOpaque() override;
    // The face of R in State by the style; R becomes the room for glyph and caption.
    void PaintFace(TCanvas* Canvas, TRect& R, TZCLButtonState State);
    // The looks where the mouse over the button shows: ubsVestoFlat to ubsNavigator.
    bool FlatMouseOverLook() const { return style_ >= ubsVestoFlat && style_ <= ubsNavigator; }

private:
    TZCLGlyphKind glyphKind_ = gkCustom;
    TZCLUserButtonStyle style_ = ubsAutoDetect;
};

class TZCLSpeedButton : public TZCLCustomSpeedButton {
public:
    explicit TZCLSpeedButton(TComponent* AOwner) : TZCLCustomSpeedButton(AOwner) {}
};
