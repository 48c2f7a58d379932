#include "zcl/core/Zclwndproccomponent.h"

TZCLWndProcComponent::TZCLWndProcComponent(TComponent* AOwner) : TZCLCustomComponent(AOwner)
{
    if (auto* form = dynamic_cast<TCustomForm*>(AOwner)) {
        if (form->FormStyle() == fsMDIChild) ownerFormStyle_ = 1;
        else if (form->FormStyle() == fsMDIForm) ownerFormStyle_ = 2;
    }
}

TZCLWndProcComponent::~TZCLWndProcComponent() { RestoreWndProc(); }

bool TZCLWndProcComponent::Designing() const
{
    if (ComponentState().Contains(csDesigning)) return true;
    return Owner() && Owner()->ComponentState().Contains(csDesigning);
}

TWinControl* TZCLWndProcComponent::HookTarget() const
{
    if (ownerFormStyle_ == 2 && !useFormHandle_) {
        auto* form = dynamic_cast<TCustomForm*>(Owner());
        return form ? FindControl(form->ClientHandle()) : nullptr;
    }
    return dynamic_cast<TWinControl*>(Owner());
}

HWND TZCLWndProcComponent::GetOwnerHandle()
{
    if (ownerFormStyle_ == 2 && !useFormHandle_) {
        auto* form = dynamic_cast<TCustomForm*>(Owner());
        return form ? form->ClientHandle() : nullptr;
    }
    auto* control = dynamic_cast<TWinControl*>(Owner());
    return control ? control->Handle() : nullptr;
}

bool TZCLWndProcComponent::ValidOwner() const
{
    auto* control = dynamic_cast<TWinControl*>(Owner());
    if (!control || !control->HandleAllocated()) return false;
    const TComponentState state = ComponentState();
    return !state.Contains(csLoading) && !state.Contains(csDestroying);
}

void TZCLWndProcComponent::Loaded()
{
    TZCLCustomComponent::Loaded();
    if (!Designing() || designEnabled_) Init();
}

void TZCLWndProcComponent::Init()
{
    if (enabled_ && !Hooked()) NewWndProc();
}

void TZCLWndProcComponent::RestoreState() {}

void TZCLWndProcComponent::DesignEnabledChanged()
{
    if (Designing() && !designEnabled_) RestoreWndProc();
}

bool TZCLWndProcComponent::NewWndProc()
{
    if (Hooked() || (Designing() && !designEnabled_)) return false;
    if (!GetOwnerHandle()) return false;
    TWinControl* target = HookTarget();
    if (!target) return false;
    destroying_ = false;
    if (handleApp_) {
        Application->HookMainWindow(TWindowHook(this, &TZCLWndProcComponent::AppWndProc));
        appHooked_ = true;
    }
    hookId_ = target->AddWindowHook(TWindowHook(this, &TZCLWndProcComponent::Hook));
    hookTarget_ = target;
    return true;
}

bool TZCLWndProcComponent::RestoreWndProc()
{
    // Only this component's own hooks go: the others on the same windows stay as they are.
    if (hookTarget_) {
        hookTarget_->RemoveWindowHook(hookId_);
        hookTarget_ = nullptr;
        hookId_ = 0;
    }
    if (appHooked_) {
        Application->UnhookMainWindow(TWindowHook(this, &TZCLWndProcComponent::AppWndProc));
        appHooked_ = false;
    }
    silent_ = false;
    destroying_ = false;
    return true;
}

void TZCLWndProcComponent::SilentRemove()
{
    silent_ = true;
    RestoreWndProc();
    SetEnabled(false);
}

void TZCLWndProcComponent::SetEnabled(bool Value)
{
    if (Value == enabled_) return;
    enabled_ = Value;
    if (Designing()) return;
    if (Value) Init();
    else RestoreState();
}

void TZCLWndProcComponent::SetDesignEnabled(bool Value)
{
    if (Value == designEnabled_) return;
    designEnabled_ = Value;
    if (Designing()) {
        if (Value) Init();
        else RestoreState();
    }
    DesignEnabledChanged();
}

void TZCLWndProcComponent::SetHandleApp(bool Value)
{
    const TComponentState state = ComponentState();
    if (state.Contains(csLoading) || Designing()) handleApp_ = Value;
}

bool TZCLWndProcComponent::AppWndProc(TMessage&)
{
    // Not handled: the application window's messages go on to the other hooks and its own procedure.
    return false;
}

bool TZCLWndProcComponent::Hook(TMessage& Message)
{
    // A window that is made again for the same form starts a new life.
    if (Message.Msg == WM_NCCREATE) destroying_ = false;
    WndProc(Message);
    // Passed on or not, the message is answered here; the framework knows which.
    return true;
}

void TZCLWndProcComponent::WndProc(TMessage& Message)
{
    // The hook may have been removed while this message is on its way (SilentRemove from a handler): it still
    // goes on.
    TWinControl* target = hookTarget_ ? hookTarget_ : HookTarget();
    if (!target) return;
    const bool destroy = Message.Msg == WM_DESTROY;
    if (destroy) destroying_ = true;
    // Every message goes on, WM_DESTROY and WM_NCDESTROY too: the form keeps its bookkeeping of the window.
    target->CallNextHook(Message);
    // An MDI child's hook ends with its window; nothing else may touch the component after passing a message
    // on, since that message may have freed it.
    if (destroy && ownerFormStyle_ == 1) RestoreWndProc();
}
