#include "zcl/graphics/Zcllayout.h"

#include <algorithm>

#include "framework/runtime/Filer.h"

namespace {

const bool layoutsPublished = [] {
    PublishedProperties<TZCLGlyphTextLayout>()
        .Enumeration("AlignText2Glyph", &TZCLGlyphTextLayout::AlignText2Glyph,
                     &TZCLGlyphTextLayout::SetAlignText2Glyph,
                     {"taLeft", "taLeftTop", "taRight", "taRightTop", "taTop", "taTopLeft", "taBottom",
                      "taBottomLeft"},
                     taRight)
        .Integer("OffsetX", &TZCLGlyphTextLayout::OffsetX, &TZCLGlyphTextLayout::SetOffsetX, 0)
        .Integer("OffsetY", &TZCLGlyphTextLayout::OffsetY, &TZCLGlyphTextLayout::SetOffsetY, 0)
        .Integer("Spacing", &TZCLGlyphTextLayout::Spacing, &TZCLGlyphTextLayout::SetSpacing, 2)
        // The default depends on the class: a button layout starts centred.
        .Enumeration("Alignment", &TZCLGlyphTextLayout::Alignment, &TZCLGlyphTextLayout::SetAlignment,
                     {"agTopLeft", "agTopCenter", "agTopRight", "agCenterLeft", "agCenter", "agCenterRight",
                      "agBottomLeft", "agBottomCenter", "agBottomRight"})
        .Stored([](TZCLGlyphTextLayout* l) { return l->Alignment() != l->DefaultAlignment(); });
    PublishedProperties<TZCLButtonLayout>()
        .Boolean("Arrow", &TZCLButtonLayout::Arrow, &TZCLButtonLayout::SetArrow, false)
        .Integer("ArrowColor", &TZCLButtonLayout::ArrowColor, &TZCLButtonLayout::SetArrowColor, int(clBlack))
        .Integer("ArrowIndent", &TZCLButtonLayout::ArrowIndent, &TZCLButtonLayout::SetArrowIndent, 3)
        .Enumeration("ArrowPosition", &TZCLButtonLayout::ArrowPosition, &TZCLButtonLayout::SetArrowPosition,
                     {"apRightText", "apLeftText", "apRightGlyph", "apLeftGlyph"}, apRightText)
        .Integer("ArrowSize", &TZCLButtonLayout::ArrowSize, &TZCLButtonLayout::SetArrowSize, 3);
    return true;
}();

}  // namespace

// TZCLGlyphTextLayout ------------------------------------------------------------------------------------------

void TZCLGlyphTextLayout::SetAlignText2Glyph(TZCLTextArrange Value) { SetField(alignText2Glyph_, Value); }
void TZCLGlyphTextLayout::SetOffset(int Index, std::int32_t Value)
{
    SetField(offsets_[std::size_t(Index & 1)], Value);
}
void TZCLGlyphTextLayout::SetSpacing(std::int32_t Value) { SetField(spacing_, Value); }
void TZCLGlyphTextLayout::SetAlignment(TZCLAlignment Value) { SetField(alignment_, Value); }

void TZCLGlyphTextLayout::CopyLayout(const TZCLGlyphTextLayout& Source)
{
    alignText2Glyph_ = Source.alignText2Glyph_;
    offsets_ = Source.offsets_;
    spacing_ = Source.spacing_;
    alignment_ = Source.alignment_;
}

void TZCLGlyphTextLayout::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLGlyphTextLayout*>(Source)) {
        CopyLayout(*s);
        Change();
        return;
    }
    TZCLObject::Assign(Source);
}

// TZCLButtonLayout ---------------------------------------------------------------------------------------------

void TZCLButtonLayout::SetArrow(bool Value) { SetField(arrow_, Value); }
void TZCLButtonLayout::SetArrowColor(TColor Value) { SetField(arrowColor_, Value); }
void TZCLButtonLayout::SetArrowIndent(std::int32_t Value) { SetField(arrowIndent_, Value); }
void TZCLButtonLayout::SetArrowPosition(TZCLArrowPosition Value) { SetField(arrowPosition_, Value); }
void TZCLButtonLayout::SetArrowSize(TZCLDDArrowSize Value)
{
    SetField(arrowSize_, std::clamp(Value, TZCLDDArrowSizeRange::Low, TZCLDDArrowSizeRange::High));
}

void TZCLButtonLayout::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TZCLButtonLayout*>(Source);
    if (!s) {
        TZCLGlyphTextLayout::Assign(Source);
        return;
    }
    const bool wasUpdating = IsUpdating();
    BeginUpdate();
    SetAlignText2Glyph(s->AlignText2Glyph());
    SetOffsetX(s->OffsetX());
    SetOffsetY(s->OffsetY());
    SetSpacing(s->Spacing());
    SetAlignment(s->Alignment());
    arrow_ = s->arrow_;
    arrowColor_ = s->arrowColor_;
    arrowIndent_ = s->arrowIndent_;
    arrowPosition_ = s->arrowPosition_;
    arrowSize_ = s->arrowSize_;
    if (!wasUpdating) EndUpdate(true);
}
