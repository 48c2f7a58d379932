#include "zcl/panels/Zclcustombevelpanel.h"

TZCLCustomBevelPanel::TZCLCustomBevelPanel(TComponent* AOwner)
    : TZCLCustomPanel(AOwner), bevel_(std::make_unique<TZCLBevel>())
{
    bevel_->SetNativeBorder(true);
    bevel_->SetOnChange(TNotifyEvent(this, &TZCLCustomBevelPanel::GetChange));
}

TZCLCustomBevelPanel::~TZCLCustomBevelPanel() { bevel_->SetOnChange(TNotifyEvent()); }

void TZCLCustomBevelPanel::SetBevel(TZCLBevel* Value)
{
    if (!Value || Value == bevel_.get()) return;
    const bool wasWindows = bevel_->Mode() == bmWindows;
    // The copy brings the other bevel's border flag; this panel's frame stays its window's border.
    bevel_->BeginUpdate();
    bevel_->Assign(Value);
    bevel_->SetNativeBorder(true);
    const bool leavesWindows = wasWindows && bevel_->Mode() != bmWindows;
    // The change makes the window again for the Windows mode; leaving it needs that too.
    bevel_->EndUpdate(true);
    if (leavesWindows && !Loading() && HandleAllocated()) {
        RecreateWnd();
        Realign();
    }
    Perform(CM_ZCLBEVELCHANGED);
}

int TZCLCustomBevelPanel::BevelExt() const { return bevel_->GetBevelExtend(); }

TRect TZCLCustomBevelPanel::BeveledRect() const
{
    TRect inner;
    bevel_->ClientRect(ClientRect(), inner);
    return inner;
}

void TZCLCustomBevelPanel::GetChange(TObject* Sender)
{
    if (Loading()) return;
    if (Sender == bevel_.get()) {
        if (bevel_->GetRecreateWnd() && HandleAllocated()) RecreateWnd();
        Realign();
    }
    TZCLCustomPanel::GetChange(Sender);
}

bool TZCLCustomBevelPanel::GetEmpty() { return BevelExt() == 0 && bevel_->Mode() != bmWindows; }

void TZCLCustomBevelPanel::AlignControls(TControl* AControl, TRect& Rect)
{
    TRect inner;
    bevel_->ClientRect(Rect, inner);
    Rect = inner;
    TZCLCustomPanel::AlignControls(AControl, Rect);
}

void TZCLCustomBevelPanel::CreateParams(TCreateParams& Params)
{
    TZCLCustomPanel::CreateParams(Params);
    if (bevel_->Mode() != bmWindows) return;
    if (NewStyleControls && Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
}

void TZCLCustomBevelPanel::PaintBevel()
{
    TRect inner;
    bevel_->PaintBevel(Canvas(), ClientRect(), Transparent(), inner);
}

void TZCLCustomBevelPanel::Paint()
{
    if (Loading()) return;
    TZCLCustomPanel::Paint();
    PaintBevel();
}

void TZCLCustomBevelPanel::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_CTL3DCHANGED) {
        TZCLCustomPanel::Dispatch(Message);
        if (bevel_->Mode() == bmWindows && HandleAllocated()) RecreateWnd();
        return;
    }
    TZCLCustomPanel::Dispatch(Message);
}
