#include "zcl/buttons/Zcldockspeedbutton.h"

#include "framework/runtime/Filer.h"

namespace {

const bool dockButtonPublished = [] {
    using B = TZCLDockSpeedButton;
    PublishedProperties<B>()
        .Boolean("AdjustDockedSize", &B::AdjustDockedSize, &B::SetAdjustDockedSize, true)
        .Object("Control", &B::Control, &B::SetControl)
        .Boolean("Docked", &B::Docked, &B::SetDocked, true)
        .Enumeration("GlyphKind", &B::GlyphKind, &B::SetGlyphKind,
                     {"gkCustom", "gkEllipsis", "gkFile", "gkFolder", "gkCalculator", "gkCalender", "gkSearch",
                      "gkColor", "gkFont"},
                     gkEllipsis)
        .Integer("Margin", &B::Margin, &B::SetMargin, 1)
        .Enumeration("Position", &B::Position, &B::SetPosition, {"dpBottom", "dpLeft", "dpRight", "dpTop"}, dpRight)
        .Boolean("ReflectOwnChanges", &B::ReflectOwnChanges, &B::SetReflectOwnChanges, true)
        .Enumeration("Style", &B::Style, &B::SetStyle,
                     {"ubsAutoDetect", "ubsWin31", "ubsWin40", "ubsVesto", "ubsVestoFlat", "ubsFlat",
                      "ubsFlatUnColored", "ubsNavigator", "ubsExplorer", "ubsExplorerColored", "ubsIntegrated"},
                     ubsAutoDetect);
    return true;
}();

}  // namespace

TZCLDockSpeedButton::TZCLDockSpeedButton(TComponent* AOwner) : TZCLCustomSpeedButton(AOwner)
{
    SetGlyphKind(gkEllipsis);
    SetBounds(Left(), Top(), 22, 22);
}

TZCLDockSpeedButton::~TZCLDockSpeedButton()
{
    RestoreWndProc();
    if (control_) control_->RemoveFreeNotification(this);
}

void TZCLDockSpeedButton::SetAdjustDockedSize(bool Value)
{
    if (Value == adjustDockedSize_) return;
    adjustDockedSize_ = Value;
    AdjustToControl();
}

void TZCLDockSpeedButton::SetDocked(bool Value)
{
    if (Value == docked_) return;
    docked_ = Value;
    if (Value)
        DockControl();
    else
        RestoreWndProc();
}

void TZCLDockSpeedButton::SetControl(TWinControl* Value)
{
    if (Value == control_) return;
    RestoreWndProc();
    if (control_) control_->RemoveFreeNotification(this);
    control_ = Value;
    windowDestroyed_ = false;
    if (!control_) return;
    control_->FreeNotification(this);
    DockControl();
}

void TZCLDockSpeedButton::SetPosition(TZCLDockPosition Value)
{
    if (Value == position_) return;
    position_ = Value;
    AdjustToControl();
}

void TZCLDockSpeedButton::SetMargin(int Value)
{
    if (Value == margin_) return;
    margin_ = Value;
    AdjustToControl();
}

void TZCLDockSpeedButton::InitWndProc()
{
    if (hookId_ || !control_ || !docked_) return;
    hookId_ = control_->AddWindowHook(TWindowHook(this, &TZCLDockSpeedButton::OwnWndProc));
}

void TZCLDockSpeedButton::RestoreWndProc()
{
    const int id = hookId_;
    hookId_ = 0;
    // A control being freed has dropped its hooks already.
    if (id && control_ && !control_->ComponentState().Contains(csDestroying)) control_->RemoveWindowHook(id);
}

void TZCLDockSpeedButton::DockControl()
{
    if (!control_ || !docked_ || Loading()) return;
    if (!Parent() && control_->Parent()) SetParent(control_->Parent());
    InitWndProc();
    SetVisible(control_->Visible());
    SetEnabled(control_->Enabled());
    AdjustToControl();
}

bool TZCLDockSpeedButton::CanAdjust() const
{
    if (!control_ || !docked_ || !Parent() || Loading()) return false;
    const TComponentState state = control_->ComponentState();
    return !state.Contains(csDestroying) && !state.Contains(csLoading) && !windowDestroyed_;
}

TRect TZCLDockSpeedButton::ControlRect() const
{
    const TRect r = control_->BoundsRect();
    if (control_->Parent() == Parent()) return r;
    TPoint p(r.left, r.top);
    if (control_->Parent()) p = control_->Parent()->ClientToScreen(p);
    p = Parent()->ScreenToClient(p);
    return Bounds(p.x, p.y, r.Width(), r.Height());
}

void TZCLDockSpeedButton::AdjustToControl()
{
    if (adjusting_ || !CanAdjust()) return;
    adjusting_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{adjusting_};
    const TRect r = ControlRect();
    int w = Width(), h = Height();
    switch (position_) {
    case dpRight:
    case dpLeft:
        if (adjustDockedSize_) h = r.Height();
        SetBounds(position_ == dpRight ? r.right + margin_ : r.left - margin_ - w, r.top, w, h);
        break;
    case dpBottom:
    case dpTop:
        if (adjustDockedSize_) w = r.Width();
        SetBounds(r.left, position_ == dpBottom ? r.bottom + margin_ : r.top - margin_ - h, w, h);
        break;
    }
}

void TZCLDockSpeedButton::AdjustToButton()
{
    if (adjusting_ || !CanAdjust()) return;
    adjusting_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{adjusting_};
    const TRect r = ControlRect();
    int w = r.Width(), h = r.Height();
    int x = r.left, y = r.top;
    switch (position_) {
    case dpRight:
    case dpLeft:
        if (adjustDockedSize_) h = Height();
        x = position_ == dpRight ? Left() - margin_ - w : Left() + Width() + margin_;
        y = Top();
        break;
    case dpBottom:
    case dpTop:
        if (adjustDockedSize_) w = Width();
        x = Left();
        y = position_ == dpBottom ? Top() - margin_ - h : Top() + Height() + margin_;
        break;
    }
    // Back into the control's parent's coordinates.
    const TRect own = control_->BoundsRect();
    control_->SetBounds(x - (r.left - own.left), y - (r.top - own.top), w, h);
}

void TZCLDockSpeedButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const TRect old = BoundsRect();
    TZCLCustomSpeedButton::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (BoundsRect() != old && reflectOwnChanges_ && !adjusting_) AdjustToButton();
}

bool TZCLDockSpeedButton::OwnWndProc(TMessage& Message)
{
    TWinControl* control = control_;
    if (!control) return false;
    control->CallNextHook(Message);
    // The message may have freed the control (and told this button so).
    if (control_ != control) return true;
    switch (Message.Msg) {
    case WM_NCCREATE:
        windowDestroyed_ = false;
        break;
    case WM_CREATE:
        // What the control went through while it had no window (hidden, disabled, moved) the button takes over
        // now: the new window tells nothing of it.
        windowDestroyed_ = false;
        SetVisible(control->Visible());
        SetEnabled(control->Enabled());
        AdjustToControl();
        break;
    case WM_DESTROY:
    case WM_NCDESTROY:
        // Only the window: a control that makes its window again keeps its button.
        windowDestroyed_ = true;
        break;
    case WM_MOVE:
    case WM_SIZE:
        AdjustToControl();
        break;
    case WM_WINDOWPOSCHANGED: {
        // Hiding by SetWindowPos sends no WM_SHOWWINDOW.
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
        if (pos->flags & SWP_SHOWWINDOW) {
            SetVisible(true);
            SetEnabled(IsWindowEnabled(pos->hwnd) != FALSE);
        } else if (pos->flags & SWP_HIDEWINDOW) {
            SetVisible(false);
        }
        if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) || (pos->flags & SWP_SHOWWINDOW))
            AdjustToControl();
        break;
    }
    case WM_SHOWWINDOW:
        // Shown or hidden itself; not when its parent opens or closes.
        if (Message.LParam == 0) {
            SetVisible(Message.WParam != 0);
            if (Message.WParam) AdjustToControl();
        }
        break;
    case WM_ENABLE:
        SetEnabled(Message.WParam != 0);
        break;
    default:
        break;
    }
    return true;
}

void TZCLDockSpeedButton::Loaded()
{
    TZCLCustomSpeedButton::Loaded();
    DockControl();
}

void TZCLDockSpeedButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLCustomSpeedButton::Notification(AComponent, Operation);
    if (Operation != opRemove || !control_ || AComponent != control_) return;
    RestoreWndProc();
    control_ = nullptr;
    windowDestroyed_ = false;
}

void TZCLDockSpeedButton::ReadAdjustSize(TReader* Reader) { SetAdjustDockedSize(Reader->ReadBoolean()); }

void TZCLDockSpeedButton::DefineProperties(TFiler* Filer)
{
    TZCLCustomSpeedButton::DefineProperties(Filer);
    // The older name of AdjustDockedSize, read and never written.
    Filer->DefineProperty("AdjustSize", TReaderProc(this, &TZCLDockSpeedButton::ReadAdjustSize), TWriterProc(), false);
}
