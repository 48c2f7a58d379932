#pragma once
// Where a control puts its glyph and its text (TZCLGlyphTextLayout), and, for buttons, a drop-down arrow
// (TZCLButtonLayout).

#include <array>
#include <cstdint>

#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclobject.h"

class TZCLGlyphTextLayout : public TZCLObject {
public:
    TZCLGlyphTextLayout() = default;
    // From another layout: all five fields, then one change.
    void Assign(TPersistent* Source) override;

    // Where the text sits relative to the glyph.
    TZCLTextArrange AlignText2Glyph() const { return alignText2Glyph_; }
    void SetAlignText2Glyph(TZCLTextArrange Value);
    // Index 0 OffsetX, 1 OffsetY: moves glyph and text together.
    std::int32_t Offset(int Index) const { return offsets_[std::size_t(Index & 1)]; }
    void SetOffset(int Index, std::int32_t Value);
    std::int32_t OffsetX() const { return Offset(0); }
    void SetOffsetX(std::int32_t Value) { SetOffset(0, Value); }
    std::int32_t OffsetY() const { return Offset(1); }
    void SetOffsetY(std::int32_t Value) { SetOffset(1, Value); }
    // The gap between glyph and text.
    std::int32_t Spacing() const { return spacing_; }
    void SetSpacing(std::int32_t Value);
    // Where the glyph-and-text block sits in the control.
    TZCLAlignment Alignment() const { return alignment_; }
    void SetAlignment(TZCLAlignment Value);
    // What a new layout of the class starts with (and does not store).
    virtual TZCLAlignment DefaultAlignment() const { return agTopLeft; }

protected:
    explicit TZCLGlyphTextLayout(TZCLAlignment InitialAlignment) : alignment_(InitialAlignment) {}
    void CopyLayout(const TZCLGlyphTextLayout& Source);

private:
    TZCLTextArrange alignText2Glyph_ = taRight;
    std::array<std::int32_t, 2> offsets_{0, 0};
    std::int32_t spacing_ = 2;
    TZCLAlignment alignment_ = agTopLeft;
};

class TZCLButtonLayout : public TZCLGlyphTextLayout {
public:
    TZCLButtonLayout() : TZCLGlyphTextLayout(agCenter) {}
    // From another button layout: the layout and the arrow, with one change at the end; from a plain layout as
    // that one does.
    void Assign(TPersistent* Source) override;
    TZCLAlignment DefaultAlignment() const override { return agCenter; }

    bool Arrow() const { return arrow_; }
    void SetArrow(bool Value);
    TColor ArrowColor() const { return arrowColor_; }
    void SetArrowColor(TColor Value);
    std::int32_t ArrowIndent() const { return arrowIndent_; }
    void SetArrowIndent(std::int32_t Value);
    TZCLArrowPosition ArrowPosition() const { return arrowPosition_; }
    void SetArrowPosition(TZCLArrowPosition Value);
    // 2..10; other values are held to the range.
    TZCLDDArrowSize ArrowSize() const { return arrowSize_; }
    void SetArrowSize(TZCLDDArrowSize Value);

private:
    bool arrow_ = false;
    TColor arrowColor_ = clBlack;
    std::int32_t arrowIndent_ = 3;
    TZCLArrowPosition arrowPosition_ = apRightText;
    TZCLDDArrowSize arrowSize_ = 3;
};
