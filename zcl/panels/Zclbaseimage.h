#pragma once
// The windowless picture control's base: how the picture is placed (its own size, centred, stretched, tiled, or
// scaled keeping its proportions) and whether its palette is realised.

#include <cstdint>

#include "zcl/components/Zclgraphiccontrol.h"
#include "zcl/core/Zclbase.h"

class TZCLBaseImage : public TZCLGraphicControl {
public:
    explicit TZCLBaseImage(TComponent* AOwner);

    // Each setter stores a changed value and redraws.
    // Off: the picture's palette is realised before it is drawn.
    bool QuickDraw() const { return quickDraw_; }
    void SetQuickDraw(bool Value);
    TZCLBitmapStyle Style() const { return style_; }
    // An autosized image takes its picture's size at once.
    void SetStyle(TZCLBitmapStyle Value);

    // The drawing flags of Style added to Flags: placement, and clipping to the room inside the bevel. Without a
    // bevel the clipping bit is turned over.
    std::uint16_t AddStyleFlags(std::uint16_t Flags) const;

    // Sizes the control to what it shows; whether the size changed. Nothing here.
    virtual bool CorrectBounds();

private:
    bool quickDraw_ = true;
    TZCLBitmapStyle style_ = sbNone;
};
