#pragma once
// One icon in the notification area. Its mouse messages become events and, on the right button, the popup menu;
// it can be animated from a timer. While active the application's taskbar window is hidden, the main form is not
// shown at start, and minimising (or, with NoClose, closing) the owner form hides it instead.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <memory>

#include "framework/runtime/Thread.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Graphics.h"
#include "framework/visual/Menus.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclwndproccomponent.h"

class TZCLHiTimer;

// The message the shell sends to the icon's window for mouse activity over the icon (WM_USER + 101).
constexpr UINT ZCLTrayIconMessage = 0x465;

class TZCLTrayIcon : public TZCLWndProcComponent {
public:
    // Active from the start: a streamed icon shows itself when loaded; one made at run time when Active is set.
    explicit TZCLTrayIcon(TComponent* AOwner);
    ~TZCLTrayIcon() override;

    // True: the icon is in the notification area, the taskbar window hidden and the owner form hooked.
    bool Active() const { return active_; }
    void SetActive(bool Value);
    // The tool tip; the shell shows its first 63 characters.
    const AnsiString& Hint() const { return hint_; }
    void SetHint(const AnsiString& Value);
    // Owned; assigning copies. A change is sent to the shell while active.
    TIcon* Icon() const { return icon_.get(); }
    void SetIcon(TIcon* Value);
    // Closing the owner form hides it instead.
    bool NoClose() const { return noClose_; }
    void SetNoClose(bool Value) { noClose_ = Value; }
    // Minimising the owner form leaves it minimised instead of hiding it.
    bool ShowMinimizedIcon() const { return showMinimizedIcon_; }
    void SetShowMinimizedIcon(bool Value) { showMinimizedIcon_ = Value; }
    // Opened by the right button; not owned, forgotten when it is freed.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopUpMenu(TPopupMenu* Value);

    // The animation's frames: the images of the list's first item. Not owned; forgotten when it is freed.
    TZCLCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TZCLCustomImageList* Value);
    // The animation's timer: the application's timer pool, or a high-resolution timer (multimedia or threaded).
    TZCLTimerMode TimerMode() const { return timerMode_; }
    void SetTimerMode(TZCLTimerMode Value);
    TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority Value) { threadPriority_ = Value; }
    // Milliseconds between frames (1..65535); the pool runs it rounded up to its 50 ms steps.
    TZCLTimerInterval Interval() const { return interval_; }
    void SetInterval(TZCLTimerInterval Value) { interval_ = Value ? Value : 1; }
    bool Animated() const { return animated_; }
    void SetAnimated(bool Value);

    TNotifyEvent OnClick() const { return onClick_; }
    void SetOnClick(TNotifyEvent Value) { onClick_ = Value; }
    TNotifyEvent OnDblClick() const { return onDblClick_; }
    void SetOnDblClick(TNotifyEvent Value) { onDblClick_ = Value; }
    // Runs before the popup menu opens.
    TNotifyEvent OnPopUp() const { return onPopUp_; }
    void SetOnPopUp(TNotifyEvent Value) { onPopUp_ = Value; }
    // X and Y are the cursor's screen position.
    TMouseEvent OnMouseDown() const { return onMouseDown_; }
    void SetOnMouseDown(TMouseEvent Value) { onMouseDown_ = Value; }
    TMouseEvent OnMouseUp() const { return onMouseUp_; }
    void SetOnMouseUp(TMouseEvent Value) { onMouseUp_ = Value; }
    TMouseMoveEvent OnMouseMove() const { return onMouseMove_; }
    void SetOnMouseMove(TMouseMoveEvent Value) { onMouseMove_ = Value; }

    // Sends the icon to the shell with NIM_ADD, NIM_MODIFY or NIM_DELETE; false when the shell refuses (a
    // missing notification area stops nothing: the icon is added again when the shell's taskbar comes).
    bool NotifyIcon(std::uint16_t Message);
    // The window the shell sends the icon's messages to, and its procedure.
    HWND Handle() const { return window_; }
    using TZCLWndProcComponent::NewWndProc;
    void NewWndProc(TMessage& Message);
    // The next animation frame.
    std::int32_t Frame() const { return frame_; }
    // The pool item or the high-resolution timer of the animation (0 / null: none).
    std::uint16_t PoolTimerId() const { return timerId_; }
    TZCLHiTimer* HiTimer() const { return hiTimer_; }

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Stands in for Shell_NotifyIconA, for tests that look at the records sent. Null: the real call.
    using TNotifyIconHook = Closure<BOOL(DWORD Message, const NOTIFYICONDATAA& Data)>;
    static void SetNotifyIconHook(TNotifyIconHook Hook);

protected:
    // The owner form's messages: minimising and closing hide the form while the icon is shown.
    void WndProc(TMessage& Message) override;
    void IconChanged(TObject* Sender);
    // A change of the image list: the component's change.
    void GetIMLChange(TObject* Sender);
    void ActivateTimer();
    void DeActivateTimer(TZCLTimerMode Mode);
    void EnableTimer(bool Value);
    // One animation step.
    void GetTimer(TObject* Sender);

private:
    bool Designing() const;
    bool SendIcon(DWORD Message, HICON Icon);
    void MouseDown(TMouseButton Button, TShiftState Shift);
    void HideOwner();
    TZCLTimerInterval PoolInterval() const;

    bool active_ = true;
    bool shown_ = false;  // the activation has run: the icon was added and the taskbar window hidden
    AnsiString hint_;
    std::unique_ptr<TIcon> icon_;
    bool noClose_ = false;
    bool showMinimizedIcon_ = false;
    TPopupMenu* popupMenu_ = nullptr;  // not owned
    TZCLCustomImageList* imageList_ = nullptr;  // not owned
    std::unique_ptr<TZCLChangeLink> link_;
    TZCLTimerMode timerMode_ = tmGlobalTimer;
    TThreadPriority threadPriority_ = tpNormal;
    TZCLTimerInterval interval_ = 200;
    bool animated_ = false;
    HWND window_ = nullptr;  // owned, AllocateHWnd
    POINT cursor_{};
    int listIndex_ = 0;
    std::int32_t frame_ = 0;
    std::uint16_t timerId_ = 0;
    TZCLHiTimer* hiTimer_ = nullptr;  // owned as a component
    UINT taskbarCreated_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    TNotifyEvent onClick_, onDblClick_, onPopUp_;
    TMouseEvent onMouseDown_, onMouseUp_;
    TMouseMoveEvent onMouseMove_;
};
