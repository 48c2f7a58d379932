#include "zcl/components/Zcltrayicon.h"

#include <cstring>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "zcl/components/Zcltimer.h"
#include "zcl/graphics/Zclnwgui.h"

namespace {

TZCLTrayIcon::TNotifyIconHook& NotifyIconHook()
{
    static TZCLTrayIcon::TNotifyIconHook hook;
    return hook;
}

const bool trayIconPublished = [] {
    PublishedProperties<TZCLTrayIcon>()
        .String("About", &TZCLTrayIcon::About, &TZCLTrayIcon::SetAbout)
        .Boolean("Active", &TZCLTrayIcon::Active, &TZCLTrayIcon::SetActive, true)
        .String("Hint", &TZCLTrayIcon::Hint, &TZCLTrayIcon::SetHint)
        .Object("Icon", &TZCLTrayIcon::Icon, &TZCLTrayIcon::SetIcon)
        .Boolean("NoClose", &TZCLTrayIcon::NoClose, &TZCLTrayIcon::SetNoClose, false)
        .Boolean("ShowMinimizedIcon", &TZCLTrayIcon::ShowMinimizedIcon, &TZCLTrayIcon::SetShowMinimizedIcon, false)
        .Object("PopupMenu", &TZCLTrayIcon::PopupMenu, &TZCLTrayIcon::SetPopUpMenu)
        .Object("ImageList", &TZCLTrayIcon::ImageList, &TZCLTrayIcon::SetImageList)
        .Enumeration("TimerMode", &TZCLTrayIcon::TimerMode, &TZCLTrayIcon::SetTimerMode,
                     {"tmGlobalTimer", "tmHiTimer", "tmThreaded"}, tmGlobalTimer)
        .Enumeration("ThreadPriority", &TZCLTrayIcon::ThreadPriority, &TZCLTrayIcon::SetThreadPriority,
                     {"tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest", "tpTimeCritical"},
                     tpNormal)
        .Integer("Interval", &TZCLTrayIcon::Interval, &TZCLTrayIcon::SetInterval, 200)
        .Boolean("Animated", &TZCLTrayIcon::Animated, &TZCLTrayIcon::SetAnimated, false)
        .Event("OnClick", &TZCLTrayIcon::OnClick, &TZCLTrayIcon::SetOnClick)
        .Event("OnDblClick", &TZCLTrayIcon::OnDblClick, &TZCLTrayIcon::SetOnDblClick)
        .Event("OnMouseDown", &TZCLTrayIcon::OnMouseDown, &TZCLTrayIcon::SetOnMouseDown)
        .Event("OnMouseMove", &TZCLTrayIcon::OnMouseMove, &TZCLTrayIcon::SetOnMouseMove)
        .Event("OnMouseUp", &TZCLTrayIcon::OnMouseUp, &TZCLTrayIcon::SetOnMouseUp)
        .Event("OnPopUp", &TZCLTrayIcon::OnPopUp, &TZCLTrayIcon::SetOnPopUp);
    return true;
}();

}  // namespace

void TZCLTrayIcon::SetNotifyIconHook(TNotifyIconHook Hook)
{
    NotifyIconHook() = Hook;
}

TZCLTrayIcon::TZCLTrayIcon(TComponent* AOwner)
    : TZCLWndProcComponent(AOwner), icon_(std::make_unique<TIcon>()), link_(std::make_unique<TZCLChangeLink>())
{
    link_->SetOnChange(TNotifyEvent(this, &TZCLTrayIcon::GetIMLChange));
    icon_->SetOnChange(TNotifyEvent(this, &TZCLTrayIcon::IconChanged));
    window_ = AllocateHWnd(TWndMethod(this, &TZCLTrayIcon::NewWndProc));
    if (!window_) RaiseLastOSError();
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
}

TZCLTrayIcon::~TZCLTrayIcon()
{
    *alive_ = false;
    DeActivateTimer(timerMode_);
    if (imageList_) {
        imageList_->UnRegisterChanges(link_.get());
        imageList_->RemoveFreeNotification(this);
    }
    RestoreWndProc();
    hint_ = AnsiString();
    if (shown_) NotifyIcon(NIM_DELETE);
    shown_ = false;
    DeallocateHWnd(window_);
    window_ = nullptr;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    icon_->SetOnChange(nullptr);
}

bool TZCLTrayIcon::Designing() const
{
    if (ComponentState().Contains(csDesigning)) return true;
    return Owner() && Owner()->ComponentState().Contains(csDesigning);
}

void TZCLTrayIcon::Loaded()
{
    TZCLWndProcComponent::Loaded();
    if (active_) {
        active_ = false;
        SetActive(true);
    }
}

void TZCLTrayIcon::SetActive(bool Value)
{
    if (!NewStyleControls) return;
    // An icon made at run time is Active without having been shown: setting Active shows it.
    if (Value == active_ && (Designing() || Value == shown_)) return;
    active_ = Value;
    if (Designing()) return;
    if (Value) {
        SetEnabled(true);
        Init();  // Enabled may have been on all along without a hook (no Loaded)
        Application->SetShowMainForm(false);
        ShowWindow(Application->Handle(), SW_HIDE);
        shown_ = true;
        const std::shared_ptr<bool> alive = alive_;
        Application->ProcessMessages();
        if (!*alive) return;
        ActivateTimer();
        // Not added when the shell has no notification area yet; it is added when the taskbar comes.
        NotifyIcon(NIM_ADD);
        EnableTimer(true);
    } else {
        SilentRemove();
        SetEnabled(false);
        Application->SetShowMainForm(true);
        ShowWindow(Application->Handle(), SW_SHOWNORMAL);
        NotifyIcon(NIM_DELETE);
        shown_ = false;
        DeActivateTimer(timerMode_);
        SetEnabled(false);
    }
}

void TZCLTrayIcon::SetHint(const AnsiString& Value)
{
    hint_ = Value;
    if (shown_) NotifyIcon(NIM_MODIFY);
}

void TZCLTrayIcon::SetIcon(TIcon* Value)
{
    icon_->Assign(Value);
}

void TZCLTrayIcon::IconChanged(TObject*)
{
    if (shown_ && !Designing()) NotifyIcon(NIM_MODIFY);
}

void TZCLTrayIcon::SetPopUpMenu(TPopupMenu* Value)
{
    if (Value == popupMenu_) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = Value;
    if (popupMenu_) popupMenu_->FreeNotification(this);
}

void TZCLTrayIcon::SetImageList(TZCLCustomImageList* Value)
{
    if (Value == imageList_) return;
    if (imageList_) {
        imageList_->UnRegisterChanges(link_.get());
        imageList_->RemoveFreeNotification(this);
    }
    imageList_ = Value;
    if (imageList_) {
        imageList_->RegisterChanges(link_.get());
        imageList_->FreeNotification(this);
    }
    GetChange(this);
}

void TZCLTrayIcon::GetIMLChange(TObject* Sender)
{
    GetChange(Sender);
}

void TZCLTrayIcon::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLWndProcComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == popupMenu_) popupMenu_ = nullptr;
    if (AComponent == imageList_) {
        // The list is being freed and has let go of its links already.
        imageList_ = nullptr;
        GetChange(this);
    }
    if (AComponent == hiTimer_) hiTimer_ = nullptr;
}

bool TZCLTrayIcon::NotifyIcon(std::uint16_t Message)
{
    return SendIcon(Message, icon_->Handle());
}

bool TZCLTrayIcon::SendIcon(DWORD Message, HICON Icon)
{
    if (Designing()) return false;
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window_;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = ZCLTrayIconMessage;
    data.hIcon = Icon;
    // The tip field of the first record layout holds 63 characters and the terminating NUL.
    const std::size_t tipRoom = 64;
    std::strncpy(data.szTip, hint_.c_str(), tipRoom - 1);
    data.szTip[tipRoom - 1] = '\0';
    if (const TNotifyIconHook& hook = NotifyIconHook()) return hook(Message, data);
    return Shell_NotifyIconA(Message, &data) != FALSE;
}

// ---------------------------------------------------------------------------------------------------------------
// The icon's window

void TZCLTrayIcon::NewWndProc(TMessage& Message)
{
    if (Message.Msg == ZCLTrayIconMessage) {
        Message.Result = 0;
        GetCursorPos(&cursor_);
        const TShiftState shift = KeysToShiftState(LOWORD(Message.WParam));
        const int x = cursor_.x, y = cursor_.y;
        const std::shared_ptr<bool> alive = alive_;
        switch (LOWORD(Message.LParam)) {
        case WM_MOUSEMOVE:
            if (onMouseMove_) onMouseMove_(this, shift, x, y);
            break;
        case WM_LBUTTONDOWN:
            MouseDown(mbLeft, shift);
            break;
        case WM_RBUTTONDOWN:
            MouseDown(mbRight, shift);
            break;
        case WM_MBUTTONDOWN:
            MouseDown(mbMiddle, shift);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const UINT up = LOWORD(Message.LParam);
            const TMouseButton button = up == WM_LBUTTONUP ? mbLeft : up == WM_RBUTTONUP ? mbRight : mbMiddle;
            if (onClick_) onClick_(this);
            if (*alive && onMouseUp_) onMouseUp_(this, button, shift, x, y);
            break;
        }
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            const UINT dbl = LOWORD(Message.LParam);
            const TMouseButton button =
                dbl == WM_LBUTTONDBLCLK ? mbLeft : dbl == WM_RBUTTONDBLCLK ? mbRight : mbMiddle;
            TShiftState doubled = shift;
            doubled.Include(ssDouble);
            if (onDblClick_) onDblClick_(this);
            if (*alive) MouseDown(button, doubled);
            break;
        }
        }
        return;
    }
    if (taskbarCreated_ && Message.Msg == taskbarCreated_) {
        // The shell's taskbar came (again): the icon goes back into its notification area.
        if (shown_) NotifyIcon(NIM_ADD);
    }
    Message.Result = DefWindowProcA(window_, Message.Msg, Message.WParam, Message.LParam);
}

void TZCLTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift)
{
    const std::shared_ptr<bool> alive = alive_;
    if (onMouseDown_) onMouseDown_(this, Button, Shift, cursor_.x, cursor_.y);
    if (!*alive || Button != mbRight || !popupMenu_) return;
    if (onPopUp_) onPopUp_(this);
    if (!*alive) return;
    SetForegroundWindow(Application->Handle());
    Application->ProcessMessages();
    // OnPopUp or a message served meanwhile may have taken the menu away (or freed the icon).
    if (!*alive || !popupMenu_) return;
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(cursor_.x, cursor_.y);
}

// ---------------------------------------------------------------------------------------------------------------
// The owner form's hook

void TZCLTrayIcon::HideOwner()
{
    ShowWindow(Application->Handle(), SW_HIDE);
    if (TCustomForm* form = GetOwnerForm()) form->SetVisible(false);
}

void TZCLTrayIcon::WndProc(TMessage& Message)
{
    if (OwnerDestroying() || Message.Msg != WM_SYSCOMMAND || !shown_) {
        TZCLWndProcComponent::WndProc(Message);
        return;
    }
    // The low four bits of the command are the system's own.
    const WPARAM command = Message.WParam & 0xFFF0;
    if (command == SC_MINIMIZE) {
        const std::shared_ptr<bool> alive = alive_;
        TZCLWndProcComponent::WndProc(Message);
        if (*alive && !showMinimizedIcon_) HideOwner();
        return;
    }
    if (command == SC_CLOSE && noClose_ && active_) {
        HideOwner();
        Message.Result = 0;
        return;
    }
    TZCLWndProcComponent::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------------------------
// Animation

TZCLTimerInterval TZCLTrayIcon::PoolInterval() const { return ZCLPoolInterval(interval_); }

void TZCLTrayIcon::SetTimerMode(TZCLTimerMode Value)
{
    if (ComponentState().Contains(csLoading)) {
        timerMode_ = Value;
        return;
    }
    if (Value == timerMode_) return;
    DeActivateTimer(timerMode_);
    timerMode_ = Value;
    ActivateTimer();
}

void TZCLTrayIcon::SetAnimated(bool Value)
{
    if (Value == animated_) return;
    if (Value) {
        animated_ = true;
        ActivateTimer();
        EnableTimer(true);
    } else {
        DeActivateTimer(timerMode_);
        animated_ = false;
    }
}

void TZCLTrayIcon::ActivateTimer()
{
    if (!animated_) return;
    if (timerMode_ == tmHiTimer || timerMode_ == tmThreaded) {
        if (hiTimer_) return;
        hiTimer_ = new TZCLHiTimer(this);
        hiTimer_->SetOnTimer(TNotifyEvent(this, &TZCLTrayIcon::GetTimer));
        hiTimer_->SetUseThread(timerMode_ == tmThreaded);
    } else {
        if (timerId_) return;
        const std::uint16_t id = ZCLApplication->AddTimer(PoolInterval(), TNotifyEvent(this, &TZCLTrayIcon::GetTimer));
        if (!id) throw EOutOfResources("Not enough timers available");
        timerId_ = id;
        if (TZCLTimerItem* item = ZCLApplication->GetTimer(id)) item->SetEnabled(false);
    }
}

void TZCLTrayIcon::DeActivateTimer(TZCLTimerMode Mode)
{
    if (Mode == tmGlobalTimer) {
        if (timerId_) ZCLApplication->RemoveTimer(timerId_);
        timerId_ = 0;
    } else {
        delete hiTimer_;
        hiTimer_ = nullptr;
    }
}

void TZCLTrayIcon::EnableTimer(bool Value)
{
    if (!animated_) return;
    frame_ = 0;
    if (timerMode_ == tmGlobalTimer) {
        if (TZCLTimerItem* item = timerId_ ? ZCLApplication->GetTimer(timerId_) : nullptr) {
            if (Value) item->SetInterval(PoolInterval());
            item->SetEnabled(Value);
        }
    } else if (hiTimer_) {
        if (Value) {
            hiTimer_->SetInterval(interval_);
            hiTimer_->SetThreadPriority(threadPriority_);
        }
        hiTimer_->SetEnabled(Value);
    }
}

void TZCLTrayIcon::GetTimer(TObject*)
{
    if (!imageList_ || Designing()) return;
    const int count = imageList_->ItemCount(listIndex_);
    if (count <= 0) return;
    // The list may have lost images since the last frame.
    if (frame_ >= count) frame_ = 0;
    TBitmap bitmap;
    bitmap.SetSize(16, 16);
    imageList_->GetBitmapItem(listIndex_, frame_, &bitmap);
    HICON frame = nullptr;
    ZCLBitmap2Icon(&bitmap, frame, 16, 16);
    if (frame) {
        SendIcon(NIM_MODIFY, frame);
        DestroyIcon(frame);
    }
    frame_ = frame_ + 1 >= count ? 0 : frame_ + 1;
}
