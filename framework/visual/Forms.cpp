#include "framework/visual/Forms.h"

#include <exception>
#include <memory>
#include <vector>

#include "framework/runtime/Thread.h"

// ---------------------------------------------------------------------------------------------------------------
// TApplication

namespace {

const char ApplicationClassName[] = "TApplication";

AnsiString ModuleFileName()
{
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n < buffer.size()) return AnsiString(buffer.data(), int(n));
        buffer.resize(buffer.size() * 2);
    }
}

// "C:\dir\Name.exe" -> "Name".
AnsiString BaseName(const AnsiString& path)
{
    const std::string& s = path.str();
    const std::size_t slash = s.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? s : s.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return AnsiString(name);
}

// The application window's system menu as the library expects it: Restore, Minimize, a separator, Close.
// Whatever else the system puts there (Move, Size, Maximize, entries of its own) goes.
void TrimSystemMenu(HWND wnd)
{
    HMENU menu = GetSystemMenu(wnd, FALSE);
    if (!menu) return;
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id != SC_RESTORE && id != SC_MINIMIZE && id != SC_CLOSE) DeleteMenu(menu, UINT(i), MF_BYPOSITION);
    }
    const int count = GetMenuItemCount(menu);
    if (count > 0 && GetMenuItemID(menu, count - 1) == SC_CLOSE)
        InsertMenuA(menu, UINT(count - 1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void HandleWithApplication(TObject* Sender)
{
    Application->HandleException(Sender);
}

// Linked in with the application object, so boundary handlers of the runtime layer report through it.
const bool boundaryHandlerSet = (ApplicationHandleException = &HandleWithApplication, true);

}  // namespace

TApplication::TApplication(TComponent* owner)
    : TComponent(owner), exeName_(ModuleFileName()), icon_(std::make_unique<TIcon>())
{
    title_ = BaseName(exeName_);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), ApplicationClassName, &wc)) {
        wc.lpfnWndProc = &TApplication::WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = ApplicationClassName;
        RegisterClassA(&wc);
    }
    // Zero-sized and not shown: it owns the forms and will carry the taskbar button once the main form shows.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    window_ = CreateWindowExA(0, ApplicationClassName, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                              nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (window_) TrimSystemMenu(window_);
    if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON")) icon_->SetHandle(CopyIcon(icon));
    icon_->SetOnChange(TNotifyEvent(this, &TApplication::IconChanged));
    IconChanged(nullptr);
}

void TApplication::IconChanged(TObject*)
{
    if (window_ && !icon_->Empty())
        SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_->Handle()));
}

TApplication::~TApplication()
{
    // The forms go first, while the window that owns theirs still exists.
    Destroying();
    DestroyComponents();
    mainForm_ = nullptr;
    hooks_.clear();
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);  // the object is going: default handling from here
        DestroyWindow(window_);
    }
}

void TApplication::SetTitle(const AnsiString& value)
{
    title_ = value;
    if (window_) SetWindowTextA(window_, title_.c_str());
}

LRESULT CALLBACK TApplication::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, msg, wParam, lParam);
    if (!self->window_) self->window_ = wnd;  // messages of CreateWindowEx come before it returns
    try {
        return self->WndProc(msg, wParam, lParam);
    } catch (...) {
        self->HandleException(self);
        return 0;
    }
}

void TApplication::HookMainWindow(TWindowHook hook)
{
    hooks_.push_back(std::make_shared<MainWindowHook>(MainWindowHook{hook, false}));
}

void TApplication::UnhookMainWindow(TWindowHook hook)
{
    for (auto it = hooks_.begin(); it != hooks_.end(); ++it)
        if ((*it)->hook == hook) {
            (*it)->removed = true;
            hooks_.erase(it);
            return;
        }
}

LRESULT TApplication::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!hooks_.empty()) {
        TMessage message{msg, wParam, lParam, 0};
        const std::vector<std::shared_ptr<MainWindowHook>> hooks = hooks_;  // hooks may unhook while called
        for (const auto& h : hooks)
            if (!h->removed && h->hook(message) && msg != WM_DESTROY && msg != WM_NCDESTROY) return message.Result;
    }
    switch (msg) {
    case WM_ACTIVATEAPP:
        active_ = wParam != 0;
        return DefWindowProcA(window_, msg, wParam, lParam);
    case WM_NULL:  // posted by a worker that queued a synchronised call or handed over an exception
        wakeUpPosted_ = false;  // before serving, so a call queued from now on posts again
        CheckSynchronize();
        ReportQueuedExceptions();
        return 0;
    case WM_CLOSE:  // the window must outlive the loop: the synchronised calls are woken through it
        Terminate();
        return 0;
    default:
        return DefWindowProcA(window_, msg, wParam, lParam);
    }
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    if (IsKeyMsg(msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
    }
    CheckSynchronize();
    ReportQueuedExceptions();
}

bool TApplication::IsKeyMsg(MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR &&
        msg.message != WM_SYSCHAR)
        return false;
    // Inner windows of a system control (a combo box's edit) belong to the nearest framework control above.
    HWND wnd = msg.hwnd;
    TWinControl* control = nullptr;
    while (wnd && !(control = FindControl(wnd))) wnd = GetParent(wnd);
    if (!control) return false;
    try {
        return control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
    } catch (...) {
        HandleException(control);
        return true;
    }
}

void TApplication::DoIdle()
{
    try {
        UpdateMouseControl();
        FreeDeviceContexts();
        bool done = true;
        if (onIdle_) onIdle_(this, done);
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::Idle()
{
    if (CheckSynchronize()) return;
    DoIdle();
    // Wakes for new messages and for a call queued before its wake-up message could be posted.
    const HANDLE sync = SyncEvent();
    MsgWaitForMultipleObjectsEx(1, &sync, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (!ProcessMessage(msg)) Idle();
}

void TApplication::Run()
{
    if (showMainForm_ && mainForm_ && !terminated_) {
        try {
            mainForm_->Show();
        } catch (...) {
            HandleException(mainForm_);
        }
    }
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::Terminate()
{
    if (GetCurrentThreadId() == MainThreadID)
        PostQuitMessage(0);
    else
        PostThreadMessageA(MainThreadID, WM_QUIT, 0, 0);
}

void TApplication::HandleException(TObject* Sender)
{
    const std::exception_ptr current = std::current_exception();
    if (!current) return;
    if (GetCurrentThreadId() != MainThreadID) {
        // Handlers and boxes belong to the main thread; the worker goes on at once.
        try {
            std::lock_guard<std::mutex> lock(queuedMutex_);
            queued_.push_back({Sender, current});
        } catch (...) {
            return;
        }
        WakeUp();
        return;
    }
    Report(Sender, current);
}

void TApplication::WakeUp()
{
    // A wait in TThread::WaitFor serves calls without taking this message from the queue; posting one per call
    // would fill the queue while it waits.
    if (window_ && !wakeUpPosted_.exchange(true)) PostMessageA(window_, WM_NULL, 0, 0);
}

void TApplication::ReportQueuedExceptions()
{
    std::vector<QueuedException> queued;
    {
        std::lock_guard<std::mutex> lock(queuedMutex_);
        queued.swap(queued_);
    }
    for (const QueuedException& q : queued) Report(q.sender, q.error);
}

void TApplication::Report(TObject* Sender, const std::exception_ptr& error)
{
    auto report = [&](Exception& e) {
        if (!onException_) {
            ShowException(e);
            return;
        }
        try {
            onException_(Sender, &e);
        } catch (Exception& raised) {
            ShowException(raised);
        }
    };
    try {
        try {
            std::rethrow_exception(error);
        } catch (EAbort&) {
        } catch (Exception& e) {
            report(e);
        } catch (std::exception& e) {
            Exception wrapped(e.what());
            report(wrapped);
        } catch (...) {
            Exception wrapped("Unknown exception");
            report(wrapped);
        }
    } catch (...) {
        // The handler or the box failed as well: there is nobody left to tell.
    }
}

void TApplication::ShowException(const Exception& E)
{
    ShowMessageBox(E.Message(), MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_SETFOREGROUND);
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags)
{
    const AnsiString title = caption.IsEmpty() ? title_ : caption;
    if (messageBoxHook_) return messageBoxHook_(text, title, flags);
    HWND owner = GetActiveWindow();
    if (!owner) owner = window_;
    return ::MessageBoxA(owner, text.c_str(), title.c_str(), flags);
}

int TApplication::ShowMessageBox(const AnsiString& text, UINT flags)
{
    if (messageBoxHook_) return messageBoxHook_(text, title_, flags);
    return ::MessageBoxA(nullptr, text.c_str(), title_.c_str(), flags);
}

// ---------------------------------------------------------------------------------------------------------------
// The global application object

namespace {

void PostWakeUp()
{
    if (TApplication* app = TApplicationRef::Get()) app->WakeUp();
}

struct ApplicationHolder {
    std::unique_ptr<TApplication> app;
    // The screen is made first so that it outlives the forms the application frees.
    ApplicationHolder() : app((TScreenRef::Get(), std::make_unique<TApplication>())) { WakeMainThread = &PostWakeUp; }
    ~ApplicationHolder()
    {
        WakeMainThread = nullptr;
        app.reset();
    }
};

}  // namespace

TApplication* TApplicationRef::Get()
{
    static ApplicationHolder holder;
    return holder.app.get();
}

const TApplicationRef Application;

namespace {
// Made during start-up on the main thread, so it exists before the program's entry (as the framework's does).
const bool applicationMade = (TApplicationRef::Get(), true);
}  // namespace
