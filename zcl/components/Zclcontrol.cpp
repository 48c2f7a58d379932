#include "zcl/components/Zclcontrol.h"

#include "framework/visual/Forms.h"
#include "zcl/components/ZclcontrolPrivate.h"

int ZCLCheckForFormComponent(TComponent* Owner, TClass AClass)
{
    if (!AClass || !dynamic_cast<TCustomForm*>(Owner)) return -1;
    for (int i = 0; i < Owner->ComponentCount(); ++i)
        if (Owner->Components(i)->InheritsFrom(AClass)) return i;
    return -1;
}

TZCLControl::TZCLControl(TComponent* AOwner) : TGraphicControl(AOwner) {}

void TZCLControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const TRect old = BoundsRect();
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    // Compared with what the framework kept, which holds sizes to 0 and above.
    TZCLBoundsChangeStates states;
    if (Left() != old.left || Top() != old.top) states.Include(bcPos);
    if (Width() != old.Width() || Height() != old.Height()) states.Include(bcSize);
    if (!states.Empty() && !Loading()) BoundsChange(states);
}

void TZCLControl::BoundsChange(TZCLBoundsChangeStates States)
{
    if (onBoundsChange_) onBoundsChange_(this, States);
}

void TZCLControl::MouseEnter()
{
    if (Enabled() && onMouseEnter_) onMouseEnter_(this);
}

void TZCLControl::MouseExit()
{
    if (Enabled() && onMouseExit_) onMouseExit_(this);
}

void TZCLControl::GetChange(TObject*)
{
    if (!Loading()) Invalidate();
}

bool TZCLControl::GetEmpty() { return true; }

void TZCLControl::DrawDashedFrame() { ZCLDrawDashedRect(Canvas(), Width(), Height()); }

void TZCLControl::FillControl() { ZCLFillSolid(Canvas(), ClientRect(), Color()); }

void TZCLControl::Dispatch(TMessage& Message)
{
    TGraphicControl::Dispatch(Message);
    // The framework tells the control itself; a message about another control is not this one's.
    const bool mine = Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(this);
    if (Message.Msg == CM_MOUSEENTER && mine)
        MouseEnter();
    else if (Message.Msg == CM_MOUSELEAVE && mine)
        MouseExit();
}
