#pragma once
// The fill of a shaped area (a panel, a form's region, an effect): a brush, a brush pattern, a bitmap placed,
// centred, stretched or tiled, the picture of an image list, or a gradient.

#include <cstdint>
#include <memory>

#include "framework/runtime/Sets.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/graphics/Zclgrapa.h"

enum TZCLFillOption : std::uint8_t { foFillInner, foQuickDraw, foGrUseBitmap };
using TZCLFillOptions = TSet<TZCLFillOption, 8>;

class TZCLFillObject : public TZCLShapeFill {
public:
    TZCLFillObject();
    ~TZCLFillObject() override;
    // From another fill object: brush, options, placement, both bitmaps, gradient, style and tile mode, inside one
    // update that notifies at its end.
    void Assign(TPersistent* Source) override;

    // Paints R of Canvas; Color is the colour behind a bitmap and in the gaps of a hatched brush. False when
    // nothing was painted (sfNone, or the style's bitmap empty).
    bool FillCanvas(TCanvas* Canvas, const TRect& R, TColor Color);
    // FillCanvas clipped to R moved by ClipOffset (right by its low, down by its high unsigned 16 bits), within
    // the clip region the canvas has, which is put back afterwards. A gradient painted off-screen needs no clip.
    bool ClipFill(TCanvas* Canvas, const TRect& R, std::int32_t ClipOffset, TColor Color);
    // Whether what lies behind shows through the fill.
    bool GetTransparent() const;

    // Where a bitmap drawn at its own size (tmNone) goes; a change is told only for such a fill.
    TZCLAlignment Alignment() const { return alignment_; }
    void SetAlignment(TZCLAlignment Value);
    int OffsetX() const { return offsets_[0]; }
    void SetOffsetX(int Value) { SetOffset(0, Value); }
    int OffsetY() const { return offsets_[1]; }
    void SetOffsetY(int Value) { SetOffset(1, Value); }
    // Index 0 OffsetX, 1 OffsetY.
    void SetOffset(int Index, int Value);
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(TBrush* Value);
    TZCLFillOptions Options() const { return options_; }
    // Always told.
    void SetOptions(TZCLFillOptions Value);

private:
    bool PlacedBitmap() const;

    TZCLAlignment alignment_ = agTopLeft;
    int offsets_[2] = {0, 0};
    std::unique_ptr<TBrush> brush_;
    TZCLFillOptions options_{foFillInner, foGrUseBitmap};
};
