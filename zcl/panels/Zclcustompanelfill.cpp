#include "zcl/panels/Zclcustompanelfill.h"

#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclfillobject.h"
#include "zcl/graphics/Zclutilsdraw.h"

TZCLCustomPanelFill::TZCLCustomPanelFill(TComponent* AOwner)
    : TZCLCustomParentPanel(AOwner), captionFx_(std::make_unique<TZCLFxCaption>()),
      fillObject_(std::make_unique<TZCLFillObject>())
{
    SetControlStyle(ControlStyle() + TControlStyle{csSetCaption});
    captionFx_->SetOnChange(TNotifyEvent(this, &TZCLCustomPanelFill::GetChange));
    fillObject_->SetOnChange(TNotifyEvent(this, &TZCLCustomPanelFill::GetChange));
}

TZCLCustomPanelFill::~TZCLCustomPanelFill()
{
    captionFx_->SetOnChange(TNotifyEvent());
    fillObject_->SetOnChange(TNotifyEvent());
}

void TZCLCustomPanelFill::SetAlignment(TZCLAlignment Value)
{
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}

void TZCLCustomPanelFill::SetCaptionFx(TZCLFxCaption* Value)
{
    if (Value && Value != captionFx_.get()) captionFx_->Assign(Value);
}

void TZCLCustomPanelFill::SetFillObject(TZCLFillObject* Value)
{
    if (Value && Value != fillObject_.get()) fillObject_->Assign(Value);
}

void TZCLCustomPanelFill::SetTransparentBorder(bool Value)
{
    if (Value == transparentBorder_) return;
    transparentBorder_ = Value;
    Invalidate();
}

void TZCLCustomPanelFill::CreateBack(bool Force)
{
    if (Loading() || Destroying()) return;
    if (fillObject_->GetEmpty() || Transparent()) {
        TZCLCustomParentPanel::CreateBack(Force);
        return;
    }
    if (!PrepareBack(Force || fillObject_->Style() == sfGradient)) return;
    TBitmap* back = Back();
    back->SetPixelFormat(pf24bit);
    fillObject_->FillCanvas(back->Canvas(), TRect(0, 0, back->Width(), back->Height()), Color());
    BackFX()->Draw(back);
}

void TZCLCustomPanelFill::CheckTurnedFace()
{
    if (adjusting_ || captionFx_->Angle() == 0 || ZCLIsTrueTypeFont(Font())) return;
    adjusting_ = true;
    try {
        // The library's TrueType face; where even that cannot turn, the caption is drawn straight.
        Font()->SetName("Arial");
        if (!ZCLIsTrueTypeFont(Font())) captionFx_->SetAngle(0);
    } catch (...) {
        adjusting_ = false;
        throw;
    }
    adjusting_ = false;
}

void TZCLCustomPanelFill::GetChange(TObject* Sender)
{
    TZCLCustomParentPanel::GetChange(Sender);
    if (Loading() || Destroying()) return;
    if (Sender == captionFx_.get()) {
        CheckTurnedFace();
        Canvas()->SetFont(Font());
        NotifyControls(CM_PARENTFONTCHANGED);
    } else if (Sender == fillObject_.get() || Sender == BackFX()) {
        CreateBack(true);
        NotifyControls(CM_ZCLBACKCHANGED);
    } else if (Sender == Bevel()) {
        NotifyControls(CM_PARENTCOLORCHANGED);
    }
}

void TZCLCustomPanelFill::Paint()
{
    if (Loading()) return;
    FillControl();
    if (!Flat() || IsFocused()) {
        TRect inner;
        Bevel()->PaintBevel(Canvas(), ClientRect(), transparentBorder_ || Transparent(), inner);
    }
    if (Designing() && GetEmpty() && fillObject_->GetEmpty() && IMLEmpty()) DrawDashedFrame();
    DrawCaption(BeveledRect(), alignment_);
}

void TZCLCustomPanelFill::DrawCaption(const TRect& R, TZCLAlignment AAlignment)
{
    const AnsiString text = Caption();
    if (text.IsEmpty()) return;
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    TRect r = R;
    int flags = int(ZCLAlignmentFlags(AAlignment)) | DT_SINGLELINE;
    if (captionFx_->Angle() != 0) {
        // A turned caption is drawn from its box, which is placed first.
        r = ZCLAlignTextRect(AAlignment, text, captionFx_.get(), R, Font(), false, true, 0);
        flags = DT_SINGLELINE;
    }
    TZCLDrawTextStyles styles;
    styles.Include(Enabled() ? dtEnabled : dtDisabled);
    ZCLDrawTextExt(canvas, text, captionFx_.get(), r, flags, styles, nullptr);
}

void TZCLCustomPanelFill::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_FONTCHANGED:
        TZCLCustomParentPanel::Dispatch(Message);
        // A face chosen for a turned caption that cannot turn straightens it.
        if (!adjusting_ && captionFx_->Angle() != 0 && !ZCLIsTrueTypeFont(Font())) {
            adjusting_ = true;
            captionFx_->SetAngle(0);
            adjusting_ = false;
        }
        Invalidate();
        return;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        TZCLCustomParentPanel::Dispatch(Message);
        Invalidate();
        return;
    default: break;
    }
    TZCLCustomParentPanel::Dispatch(Message);
}
