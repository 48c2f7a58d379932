#include "zcl/components/Zclgraphiccontrol.h"

TZCLGraphicControl::TZCLGraphicControl(TComponent* AOwner)
    : TZCLBaseGraphicControl(AOwner), bevel_(std::make_unique<TZCLBevel>())
{
    bevel_->SetOnChange(TNotifyEvent(this, &TZCLGraphicControl::GetChange));
}

TZCLGraphicControl::~TZCLGraphicControl() { bevel_->SetOnChange(TNotifyEvent()); }

void TZCLGraphicControl::SetBevel(TZCLBevel* Value)
{
    bevel_->Assign(Value);
    Perform(CM_ZCLBEVELCHANGED);
}

int TZCLGraphicControl::BevelExt() const { return bevel_->GetBevelExtend(); }

TRect TZCLGraphicControl::BeveledRect() const
{
    TRect inner;
    bevel_->ClientRect(ClientRect(), inner);
    return inner;
}

void TZCLGraphicControl::Paint()
{
    if (Loading()) return;
    if (GetEmpty() && BevelExt() == 0) {
        TZCLBaseGraphicControl::Paint();
        return;
    }
    TRect inner;
    bevel_->PaintBevel(Canvas(), ClientRect(), Transparent(), inner);
}
