#pragma once
// The root of the library's windowless controls, and what every library control shares: its control messages,
// enter and exit hooks that only fire while the control is enabled, and a hook that says how the bounds changed.

#include <windows.h>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Messages.h"
#include "zcl/core/Zclbase.h"

// The library's control messages; each control sends them to itself or to its children.
constexpr UINT CM_ZCLTRANSPARENTCHANGED = CM_BASE + 0xCD;
// The background behind the children changed.
constexpr UINT CM_ZCLBACKCHANGED = CM_BASE + 0xCE;
// Posted after the focus has moved in (or out), so the handlers see the final focus.
constexpr UINT CM_ZCLAFTERENTER = CM_BASE + 0xCF;
constexpr UINT CM_ZCLAFTEREXIT = CM_BASE + 0xD0;
constexpr UINT CM_ZCLBEVELCHANGED = CM_BASE + 0xD1;
constexpr UINT CM_ZCLSCROLLBOXSCROLLEVENT = CM_BASE + 0xD4;
static_assert(CM_ZCLTRANSPARENTCHANGED == 0xB0CD && CM_ZCLSCROLLBOXSCROLLEVENT == 0xB0D4);

using TZCLBoundsChangeEvent = Closure<void(TObject* Sender, TZCLBoundsChangeStates States)>;

// The index of the first component of AClass among Owner's components when Owner is a form, else -1.
int ZCLCheckForFormComponent(TComponent* Owner, TClass AClass);

class TZCLControl : public TGraphicControl {
public:
    explicit TZCLControl(TComponent* AOwner);

    // Tells BoundsChange which of position and size changed (nothing for equal bounds or while loading).
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    TNotifyEvent OnMouseEnter() const { return onMouseEnter_; }
    void SetOnMouseEnter(TNotifyEvent Value) { onMouseEnter_ = Value; }
    TNotifyEvent OnMouseExit() const { return onMouseExit_; }
    void SetOnMouseExit(TNotifyEvent Value) { onMouseExit_ = Value; }
    TZCLBoundsChangeEvent OnBoundsChange() const { return onBoundsChange_; }
    void SetOnBoundsChange(TZCLBoundsChangeEvent Value) { onBoundsChange_ = Value; }

    // The change event of owned option objects: invalidates unless loading.
    virtual void GetChange(TObject* Sender);
    // Whether the control has nothing of its own to show; true here.
    virtual bool GetEmpty();

    void Dispatch(TMessage& Message) override;

protected:
    // Fires OnBoundsChange.
    virtual void BoundsChange(TZCLBoundsChangeStates States);
    // Fire OnMouseEnter and OnMouseExit while the control is enabled.
    virtual void MouseEnter();
    virtual void MouseExit();

    // A 1-pixel black dashed rectangle round the control: how an empty control shows at design time.
    void DrawDashedFrame();
    // The client rectangle in Color, without an outline.
    void FillControl();
    bool Loading() const { return ComponentState().Contains(csLoading); }
    bool Designing() const { return ComponentState().Contains(csDesigning); }

private:
    TNotifyEvent onMouseEnter_, onMouseExit_;
    TZCLBoundsChangeEvent onBoundsChange_;
};
