#pragma once
// The base of the library's components that hook the window procedure of their owner form (and, when asked,
// the application window). Each component has a hook of its own in the form's hook list, so several of them
// on one form install and remove in any order without cutting each other out, and a freed component is never
// called.

#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclcustomcomponent.h"

class TZCLWndProcComponent : public TZCLCustomComponent {
public:
    explicit TZCLWndProcComponent(TComponent* AOwner);
    ~TZCLWndProcComponent() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    bool DesignEnabled() const { return designEnabled_; }
    void SetDesignEnabled(bool Value);
    bool HandleApp() const { return handleApp_; }
    // Takes effect only while the component is loading or being designed.
    void SetHandleApp(bool Value);

    // The owner when it is a form.
    TCustomForm* GetOwnerForm() const { return dynamic_cast<TCustomForm*>(Owner()); }
    // The window the hook serves: the owner's (made if needed), or the client window of an MDI frame form.
    HWND GetOwnerHandle();
    // Installs the hook; false when there is no owner window, a hook is in place already, or the owner is being
    // designed without DesignEnabled.
    bool NewWndProc();
    // Removes the hook and the application hook.
    bool RestoreWndProc();
    // Removes the hook and turns Enabled off.
    void SilentRemove();
    // The owner's window exists and the component is neither loading nor being destroyed.
    bool ValidOwner() const;

    void Loaded() override;

protected:
    // The application window's hook: true when the message is handled (and no further hook or the application
    // window's own procedure sees it). The base handles nothing.
    virtual bool AppWndProc(TMessage& Message);
    // Installs the hook when Enabled and none is in place.
    virtual void Init();
    // Told when the component is disabled; nothing here.
    virtual void RestoreState();
    // The hook. Overrides handle what they need and call this one to pass the message on: it runs the rest of
    // the window's path at once, so its Result is there when this returns. A message not passed on is taken
    // (its Result stands), except WM_DESTROY and WM_NCDESTROY, which always reach the form. A message that
    // frees the form (CM_RELEASE) frees this component too: touch nothing after passing such a message on.
    virtual void WndProc(TMessage& Message);
    // Removes the hook when the owner is being designed and DesignEnabled is off.
    virtual void DesignEnabledChanged();

    bool Hooked() const { return hookTarget_ != nullptr; }
    bool AppHooked() const { return appHooked_; }
    bool SilentRemoving() const { return silent_; }
    // 0 ordinary form, 1 MDI child, 2 MDI frame (the owner's style when the component was made).
    unsigned char OwnerFormStyle() const { return ownerFormStyle_; }
    // The owner window has had WM_DESTROY (cleared when the owner gets a new window).
    bool OwnerDestroying() const { return destroying_; }
    // For an MDI frame form: hook the form's own window instead of its client window.
    bool UseFormHandle() const { return useFormHandle_; }
    void SetUseFormHandle(bool Value) { useFormHandle_ = Value; }

private:
    bool Designing() const;
    // The framework control whose hook list the hook joins.
    TWinControl* HookTarget() const;
    bool Hook(TMessage& Message);

    bool enabled_ = true;
    bool designEnabled_ = false;
    bool handleApp_ = false;
    bool appHooked_ = false;
    bool silent_ = false;
    unsigned char ownerFormStyle_ = 0;
    bool destroying_ = false;
    bool useFormHandle_ = false;
    TWinControl* hookTarget_ = nullptr;  // not owned: the owner (or its client), which outlives the hook
    int hookId_ = 0;
};
