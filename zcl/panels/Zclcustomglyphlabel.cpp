#include "zcl/panels/Zclcustomglyphlabel.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclbevel.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool glyphLabelPublished = [] {
    using C = TZCLGlyphLabel;
    PublishedProperties<C>()
        .Object("Alignment", &C::Alignment, &C::SetAlignment)
        .Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize, true)
        .Object("Bevel", &C::Bevel, &C::SetBevel)
        .String("Caption", &C::Caption, &C::SetCaption)
        .Boolean("Enabled", &C::Enabled, &C::SetEnabled, true)
        .Object("FocusControl", &C::FocusControl, &C::SetFocusControl)
        .Object("Font", &C::Font, &C::SetFont)
        .Object("Font3D", &C::Font3D, &C::SetFont3D)
        .Object("ImageList", &C::ImageList, &C::SetImageList)
        .Integer("ImageIndex", &C::ImageIndex, &C::SetImageIndex, 0)
        .Integer("ListIndex", &C::ListIndex, &C::SetListIndex, 0)
        .Boolean("MultiLine", &C::MultiLine, &C::SetMultiLine, false)
        .Set("Options", &C::Options, &C::SetOptions, {"loPathEllipsis", "loEndEllipsis", "loEditControl"},
             TZCLLabelOptions{})
        .Boolean("ShowAccelChar", &C::ShowAccelChar, &C::SetShowAccelChar, true)
        .Boolean("Transparent", &C::Transparent, &C::SetTransparent, true)
        .Boolean("Twinkle", &C::Twinkle, &C::SetTwinkle, false)
        .Integer("TwinkleColor", &C::TwinkleColor, &C::SetTwinkleColor, int(clNone))
        .Integer("TwinkleVisible", &C::TwinkleVisible, &C::SetTwinkleVisible, 700)
        .Integer("TwinkleInVisible", &C::TwinkleInVisible, &C::SetTwinkleInVisible, 700)
        .Boolean("Visible", &C::Visible, &C::SetVisible, true)
        .Event("OnClick", &C::OnClick, &C::SetOnClick)
        .Event("OnMouseEnter", &C::OnMouseEnter, &C::SetOnMouseEnter)
        .Event("OnMouseExit", &C::OnMouseExit, &C::SetOnMouseExit);
    return true;
}();

}  // namespace

TZCLCustomGlyphLabel::TZCLCustomGlyphLabel(TComponent* AOwner)
    : TZCLBaseLabel(AOwner), layout_(std::make_unique<TZCLGlyphTextLayout>()),
      font3D_(std::make_unique<TZCL3DCaption>()), bevel_(std::make_unique<TZCLBevel>())
{
    layout_->SetOnChange(TNotifyEvent(static_cast<TZCLBaseLabel*>(this), &TZCLBaseLabel::GetChange));
    font3D_->SetOnChange(TNotifyEvent(static_cast<TZCLBaseLabel*>(this), &TZCLBaseLabel::FontChange));
    bevel_->SetOnChange(TNotifyEvent(static_cast<TZCLBaseLabel*>(this), &TZCLBaseLabel::GetChange));
}

TZCLCustomGlyphLabel::~TZCLCustomGlyphLabel()
{
    layout_->SetOnChange(TNotifyEvent());
    font3D_->SetOnChange(TNotifyEvent());
    bevel_->SetOnChange(TNotifyEvent());
}

void TZCLCustomGlyphLabel::SetAlignment(TZCLGlyphTextLayout* Value)
{
    if (Value && Value != layout_.get()) layout_->Assign(Value);
}

void TZCLCustomGlyphLabel::SetFont3D(TZCL3DCaption* Value)
{
    if (Value && Value != font3D_.get()) font3D_->Assign(Value);
}

void TZCLCustomGlyphLabel::SetBevel(TZCLBevel* Value)
{
    if (Value && Value != bevel_.get()) bevel_->Assign(Value);
}

void TZCLCustomGlyphLabel::CorrectBounds()
{
    if (!AutoSize() || Loading()) return;
    TRect text(0, 0, Width(), 0);
    ZCLDrawTextCalcExt(Canvas(), GetLabelText(), font3D_.get(), text, Font(), MultiLine(), ShowAccelChar(),
                       bevel_->GetBevelExtend(), int(TextFlags()));
    int w = text.Width(), h = text.Height();
    if (!IMLEmpty()) {
        const int gw = ImageList()->Dimensions(ListIndex(), 0), gh = ImageList()->Dimensions(ListIndex(), 1);
        const int gap = layout_->Spacing();
        switch (layout_->AlignText2Glyph()) {
        case taLeft:
        case taLeftTop:
        case taRight:
        case taRightTop:
            w += gap + gw;
            h = std::max(h, gh + 2 * (bevel_->GetBevelExtend() + 1));
            break;
        default:
            w = std::max(w, gw + 2 * (bevel_->GetBevelExtend() + 1));
            h += gap + gh;
            break;
        }
    }
    SetBounds(Left(), Top(), w + StatusBarGap(), h);
}

void TZCLCustomGlyphLabel::GetIMLChange(TObject* Sender) { GetChange(Sender); }

HPALETTE TZCLCustomGlyphLabel::GetPalette()
{
    if (ImageList() && !IMLEmpty()) return ImageList()->Palette(ListIndex());
    return TZCLBaseLabel::GetPalette();
}

void TZCLCustomGlyphLabel::Paint()
{
    if (Loading()) return;
    PaintBackground();
    TRect r = ClientRect();
    r.left += StatusBarGap();
    if (bevel_->GetBevelExtend() > 0) {
        TRect inner;
        bevel_->PaintBevel(Canvas(), r, Transparent(), inner);
        r = inner;
    }
    if (Designing() && GetEmpty() && IMLEmpty()) DrawDashedFrame();
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    if (!TwinkleShown()) {
        if (TwinkleColor() == clNone) return;
        canvas->Font()->SetColor(TwinkleColor());
    }
    TBitmap glyph;
    if (!IMLEmpty()) ImageList()->GetBitmapItem(ListIndex(), ImageIndex(), &glyph);
    ZCLDrawTextAndGlyph(canvas, GetLabelText(), font3D_.get(), r, &glyph, nullptr, layout_.get(), MultiLine(),
                        ShowAccelChar(), true, TZCLDrawTextStyles{Enabled() ? dtEnabled : dtDisabled},
                        int(TextFlags() & ~unsigned(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)));
}
