#include "zcl/components/Zclbasegraphiccontrol.h"

#include "framework/visual/Forms.h"
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
    if (!transparent_) return false;
    TWinControl* parent = Parent();
    if (auto* custom = dynamic_cast<TZCLCustomControl*>(parent))
        return custom->HandleAllocated() && custom->BackBitmapCheck();
    if (auto* form = dynamic_cast<TCustomForm*>(parent)) return ZCLFormBackBitmapCheck(form);
    return false;
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
