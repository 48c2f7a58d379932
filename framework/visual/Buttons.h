#pragma once
// Speed buttons: windowless buttons with a glyph, drawn by us.

#include <memory>

#include "framework/visual/Controls.h"
#include "framework/visual/Graphics.h"

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    // The picture (its bottom-left pixel's colour is transparent); owned by the button, set by copying.
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* value);
    // Cells side by side in the glyph: the first for up, the second (if any) for disabled.
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);

    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void GlyphChanged(TObject* sender);
    void DrawGlyph(TCanvas* canvas, int x, int y);

    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    bool flat_ = false;
    bool pressed_ = false;  // the left button is held on it
    bool inside_ = false;   // the pointer is over it while pressed
    bool hot_ = false;      // the pointer is over it
};
