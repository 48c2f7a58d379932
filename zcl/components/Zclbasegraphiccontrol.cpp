#include "zcl/components/Zclbasegraphiccontrol.h"

#include "zcl/components/Zclcustomcontrol.h"
#include "zcl/components/ZclcontrolPrivate.h"

TZCLBaseGraphicControl::TZCLBaseGraphicControl(TComponent* AOwner) : TZCLBaseControl(AOwner)
{
    TControlStyle style = ControlStyle();
    style.Exclude(csOpaque);
    style.Include(csReplicatable);
    SetControlStyle(style);
    SetBounds(Left(), Top(), 30, 30);
}

void TZCLBaseGraphicControl::SetTransparent(bool Value)
{
    if (Value == transparent_) return;
    ZCLSetOpaque(this, !Value);
    transparent_ = Value;
    Perform(CM_ZCLTRANSPARENTCHANGED);
}

bool TZCLBaseGraphicControl::CheckOptimized()
{
    return transparent_ && ZCLParentSuppliesBack(this);
}

void TZCLBaseGraphicControl::InvalidateControl()
{
    if (!transparent_ && !Designing())
        Repaint();
    else
        Invalidate();
}

void TZCLBaseGraphicControl::GetChange(TObject*) { InvalidateControl(); }

void TZCLBaseGraphicControl::Paint()
{
    if (Designing()) DrawDashedFrame();
}

void TZCLBaseGraphicControl::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_ZCLTRANSPARENTCHANGED) {
        InvalidateControl();
        return;
    }
    TZCLBaseControl::Dispatch(Message);
}
