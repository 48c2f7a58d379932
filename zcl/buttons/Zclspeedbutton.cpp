#include "zcl/buttons/Zclspeedbutton.h"

#include "framework/runtime/Filer.h"
#include "framework/visual/Menus.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/graphics/Zclglyph.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

// What the speed buttons ask of the face drawing: Win31 corners, and the frame look of the raised style.
constexpr std::uint16_t SpeedFaceFlags = 0x05;
constexpr int ArrowSize = 3;

const bool speedButtonPublished = [] {
    using B = TZCLSpeedButton;
    PublishedProperties<B>()
        .Enumeration("Align", &B::Align, &B::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                     alNone)
        .Boolean("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp, false)
        .Integer("GroupIndex", &B::GroupIndex, &B::SetGroupIndex, 0)
        .Boolean("Pressed", &B::Pressed, &B::SetPressed, false)
        .Boolean("DropDownCombo", &B::DropDownCombo, &B::SetDropDownCombo, false)
        .Integer("DropDownComboWidth", &B::DropDownComboWidth, &B::SetDropDownComboWidth, 12)
        .Object("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu)
        .Integer("DropDownIndent", &B::DropDownIndent, &B::SetDropDownIndent, 0)
        .Boolean("DropDownRight", &B::DropDownRight, &B::SetDropDownRight, false)
        .Enumeration("Style", &B::Style, &B::SetStyle,
                     {"ubsAutoDetect", "ubsWin31", "ubsWin40", "ubsVesto", "ubsVestoFlat", "ubsFlat",
                      "ubsFlatUnColored", "ubsNavigator", "ubsExplorer", "ubsExplorerColored", "ubsIntegrated"},
                     ubsAutoDetect);
    return true;
}();

}  // namespace

TZCLCustomSpeedButton::TZCLCustomSpeedButton(TComponent* AOwner) : TZCLBaseGraphicButton(AOwner) {}

void TZCLCustomSpeedButton::SetGlyphKind(TZCLGlyphKind Value)
{
    if (Value == glyphKind_) return;
    glyphKind_ = Value;
    TBitmap image;
    if (Value != gkCustom) {
        if (!ZCLGetGlyphKind(&image, Value)) image.SetSize(0, 0);
        ButtonGlyph()->SetNumGlyphs(1);
    }
    ButtonGlyph()->SetGlyph(&image);
}

void TZCLCustomSpeedButton::SetStyle(TZCLUserButtonStyle Value)
{
    if (Value == style_) return;
    style_ = Value;
    ButtonGlyph()->SetStyle(Value >= ubsFlatUnColored && Value <= ubsExplorer ? gsExplorer : gsStandard);
    UpdateOpaque();
    Invalidate();
}

void TZCLCustomSpeedButton::SetGlyph(TBitmap* Value)
{
    glyphKind_ = gkCustom;
    TZCLBaseGraphicButton::SetGlyph(Value);
}

void TZCLCustomSpeedButton::UpdateOpaque() { ZCLSetOpaque(this, !Transparent() && !ExplorerLook()); }

bool TZCLCustomSpeedButton::MouseOverChangesLook()
{
    return FlatMouseOverLook() || TZCLBaseGraphicButton::MouseOverChangesLook();
}

void TZCLCustomSpeedButton::PaintFace(TCanvas* Canvas, TRect& R, TZCLButtonState State)
{
    ZCLDrawBtnFace(Canvas, MouseOver(), R, style_, State, SpeedFaceFlags, Color());
}

void TZCLCustomSpeedButton::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    // Without a background of its own the parent's picture (or its erased colour) shows behind the face.
    if (!ControlStyle().Contains(csOpaque)) DrawParentBack(canvas, client);
    const TZCLButtonState state = DrawState();
    if (!HasArrowPart()) {
        TRect r = client;
        PaintFace(canvas, r, state);
        DrawGlyphAndText(canvas, r);
        return;
    }
    // The open menu shows on the arrow part, a press of the main part on the main part only.
    const TZCLButtonState rest = MouseOver() ? bsMouseOver : bsUp;
    const TZCLButtonState mainState = state == bsDropDownOpen ? rest : state;
    const TZCLButtonState arrowState = state == bsDropDownOpen ? bsDown : state == bsDown ? rest : state;
    TRect main = MainRect();
    TRect arrow = ArrowRect();
    PaintFace(canvas, main, mainState);
    if (!arrow.IsEmpty()) {
        PaintFace(canvas, arrow, arrowState);
        const int x = arrow.left + (arrow.Width() - (2 * ArrowSize - 1)) / 2;
        const int y = arrow.top + (arrow.Height() - ArrowSize) / 2;
        ZCLDrawTriangle(canvas, x, y, ArrowSize, clBtnText, true, Enabled());
    }
    DrawGlyphAndText(canvas, main);
}
