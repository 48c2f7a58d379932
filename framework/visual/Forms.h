#pragma once
// Forms, the screen and the application object: its hidden window, the message loop and the last stop for
// exceptions.

#include <windows.h>

#include <atomic>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/visual/Controls.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/Graphics.h"

// ---------------------------------------------------------------------------------------------------------------
// TCustomForm / TForm

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

enum TFormBorderStyle : unsigned char { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned char { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon, 4>;
enum TFormStyle : unsigned char { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition : unsigned char {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState : unsigned char { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction : unsigned char { caNone, caHide, caFree, caMinimize };

using TCloseEvent = Closure<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = Closure<void(TObject* Sender, bool& CanClose)>;

// Where a top-level window's close box is on the screen; false when it has none there. Forms draw that box
// themselves.
bool FormCloseBoxRect(HWND wnd, RECT& box);

// A top-level window with its controls. Hidden until shown; owned by the application window (no taskbar button
// of its own). Built in code: a form class's constructor creates its components with the form as owner inside
// a TComponentLoader. OnCreate runs once, from Application->CreateForm or at the latest before the form is first
// shown; OnDestroy runs while the components still exist.
class TCustomForm : public TCustomControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Runs OnCreate (once).
    void AfterConstruction();

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons value);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value) { position_ = value; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState value);
    bool Scaled() const { return scaled_; }
    void SetScaled(bool value) { scaled_ = value; }
    // No scaling happens when a form is built; the value is kept for the code that reads it.
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }
    TIcon* Icon() const { return icon_.get(); }
    void SetIcon(TIcon* value) { icon_->Assign(value); }
    // The MDI client window; none, since the program has no MDI forms.
    HWND ClientHandle() const { return nullptr; }
    // True while the form is the active window.
    bool Active() const { return active_; }

    TWinControl* ActiveControl() const { return activeControl_; }
    // Focuses control when the form is active, else remembers it for the next activation.
    void SetActiveControl(TWinControl* control);
    // The control that has the focus (or last had it while the form was active).
    TWinControl* FocusedControl() const { return focusedControl_; }

    void Show();
    void Hide() { SetVisible(false); }
    // Runs the close protocol: OnCloseQuery, OnClose and its action. Closing the main form ends the program.
    void Close();
    virtual bool CloseQuery();
    // Frees the form from its message loop once the current message is done.
    void Release();

    // Shows the form modally: the other windows of the thread are disabled until ModalResult is set (or the form
    // is closed: mrCancel), then the form is hidden and they are enabled again. Raises EInvalidOperation
    // "Cannot make a visible window modal" for a form already visible.
    virtual TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    bool Modal() const { return modal_; }

    TNotifyEvent OnCreate() const { return onCreate_; }
    void SetOnCreate(TNotifyEvent e) { onCreate_ = e; }
    TNotifyEvent OnDestroy() const { return onDestroy_; }
    void SetOnDestroy(TNotifyEvent e) { onDestroy_ = e; }
    TNotifyEvent OnShow() const { return onShow_; }
    void SetOnShow(TNotifyEvent e) { onShow_ = e; }
    TNotifyEvent OnHide() const { return onHide_; }
    void SetOnHide(TNotifyEvent e) { onHide_ = e; }
    TCloseEvent OnClose() const { return onClose_; }
    void SetOnClose(TCloseEvent e) { onClose_ = e; }
    TCloseQueryEvent OnCloseQuery() const { return onCloseQuery_; }
    void SetOnCloseQuery(TCloseQueryEvent e) { onCloseQuery_ = e; }
    TNotifyEvent OnActivate() const { return onActivate_; }
    void SetOnActivate(TNotifyEvent e) { onActivate_ = e; }
    TNotifyEvent OnDeactivate() const { return onDeactivate_; }
    void SetOnDeactivate(TNotifyEvent e) { onDeactivate_ = e; }
    TNotifyEvent OnPaint() const { return onPaint_; }
    void SetOnPaint(TNotifyEvent e) { onPaint_ = e; }

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    TRect ClientRect() const override;
    void SetClientSize(int width, int height) override;
    void SetVisible(bool value) override;

    // Focus bookkeeping of the controls on this form (called by their window procedures).
    bool SetFocusedControl(TWinControl* control);
    void FocusControl(TWinControl* control);
    void ControlRemoving(TControl* control);

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    bool IsTopLevelWindow() const override { return !Parent(); }
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    void CloseModal();
    void ShowingChanged();
    void ApplyPosition();
    void IconChanged(TObject* sender);

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    bool scaled_ = true;
    int pixelsPerInch_ = 96;
    bool active_ = false;
    bool created_ = false;
    bool modal_ = false;
    bool positioned_ = false;
    TModalResult modalResult_ = mrNone;
    TWinControl* activeControl_ = nullptr;   // not owned; cleared when it leaves the form
    TWinControl* focusedControl_ = nullptr;  // not owned; likewise
    std::unique_ptr<TIcon> icon_;
    TNotifyEvent onCreate_, onDestroy_, onShow_, onHide_, onActivate_, onDeactivate_, onPaint_;
    TCloseEvent onClose_;
    TCloseQueryEvent onCloseQuery_;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
    // A form without a definition of its own.
    static TForm* CreateNew(TComponent* owner) { return new TForm(owner); }
};

// ---------------------------------------------------------------------------------------------------------------
// TScreen

class TScreen {
public:
    TScreen();
    ~TScreen();
    TScreen(const TScreen&) = delete;
    TScreen& operator=(const TScreen&) = delete;

    // The primary display's size; tests may set a size of their own (0, 0 goes back to the real one).
    int Width() const;
    int Height() const;
    void SetSizeForTesting(int width, int height);
    int PixelsPerInch() const;

    // The cursor handles by TCursor index: the system's for the built-in ones, any index may be set (the handle
    // is not freed here). An unknown index gives the arrow.
    HCURSOR Cursors(TCursor index) const;
    void SetCursors(TCursor index, HCURSOR cursor);
    // A cursor for the whole application (crDefault: each control's own).
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);

    TCustomForm* ActiveForm() const { return activeForm_; }
    TWinControl* ActiveControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }
    int FormCount() const { return int(forms_.size()); }
    TCustomForm* Forms(int index) const { return forms_.at(std::size_t(index)); }

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void SetActiveForm(TCustomForm* form) { activeForm_ = form; }

    int width_ = 0, height_ = 0;
    TCursor cursor_ = crDefault;
    mutable std::map<TCursor, HCURSOR> cursors_;  // system cursors are shared, never destroyed
    TCustomForm* activeForm_ = nullptr;  // not owned
    std::vector<TCustomForm*> forms_;    // not owned
};

// The program's screen object: Screen->Width().
class TScreenRef {
public:
    TScreen* operator->() const { return Get(); }
    TScreen& operator*() const { return *Get(); }
    operator TScreen*() const { return Get(); }
    static TScreen* Get();
};
extern const TScreenRef Screen;

// ---------------------------------------------------------------------------------------------------------------
// TApplication

using TExceptionEvent = Closure<void(TObject* Sender, Exception* E)>;
// Stands in for MessageBoxA (text, caption, MB_ flags) -> the button's id.
using TMessageBoxHook = Closure<int(const AnsiString& Text, const AnsiString& Caption, UINT Flags)>;
using TIdleEvent = Closure<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
public:
    // Makes the hidden application window (class "TApplication", text = Title) on the calling thread.
    explicit TApplication(TComponent* owner = nullptr);
    ~TApplication() override;

    HWND Handle() const { return window_; }
    // Defaults to the executable's name without its extension.
    AnsiString Title() const { return title_; }
    void SetTitle(const AnsiString& value);
    // Full path of the executable.
    AnsiString ExeName() const { return exeName_; }

    // Dispatches every waiting message, then runs the waiting synchronised calls.
    void ProcessMessages();
    // Dispatches one message; with none waiting, runs the synchronised calls or sleeps until there is work.
    void HandleMessage();
    // The message loop, until WM_QUIT.
    void Run();
    // Ends the message loop: WM_QUIT for the main thread, from any thread.
    void Terminate();
    // True once the loop has seen WM_QUIT.
    bool Terminated() const { return terminated_; }

    // Call inside a catch: hands the exception being handled to OnException, or shows it. Never raises. EAbort
    // is silent. From another thread it is handed to the main thread, which reports it from its message loop.
    void HandleException(TObject* Sender);
    // A message box with the exception's message and the title.
    void ShowException(const Exception& E);

    // Start-up before the forms are made; nothing to prepare here.
    void Initialize() {}
    // Makes a form of class T owned by the application; the first one becomes the main form. OnCreate runs
    // before it returns.
    template <typename T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        if (!mainForm_) mainForm_ = form;
        form->AfterConstruction();
    }
    TCustomForm* MainForm() const { return mainForm_; }
    // Whether Run shows the main form (true by default).
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool value) { showMainForm_ = value; }
    TIcon* Icon() const { return icon_.get(); }
    void SetIcon(TIcon* value) { icon_->Assign(value); }
    // True while one of the application's windows is active.
    bool Active() const { return active_; }

    // Hooks on the application window's messages, called in the order added; one returning true has handled the
    // message. Unhooking (by the same closure) may happen in any order, also from inside a hook.
    void HookMainWindow(TWindowHook hook);
    void UnhookMainWindow(TWindowHook hook);

    // A message box owned by the active window; caption defaults to the title.
    int MessageBox(const AnsiString& text, const AnsiString& caption = AnsiString(), UINT flags = MB_OK);

    TIdleEvent OnIdle() const { return onIdle_; }
    void SetOnIdle(TIdleEvent value) { onIdle_ = value; }

    TExceptionEvent OnException() const { return onException_; }
    void SetOnException(TExceptionEvent value) { onException_ = value; }

    // Gets a sleeping message loop going to serve synchronised calls (posts one wake-up message at a time).
    void WakeUp();

    // Lets tests see message boxes instead of waiting on them. Null: the real MessageBoxA.
    TMessageBoxHook MessageBoxHook() const { return messageBoxHook_; }
    void SetMessageBoxHook(TMessageBoxHook value) { messageBoxHook_ = value; }

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    bool ProcessMessage(MSG& msg);
    // Dialog keys and dialog characters, offered to the focused control before the message is translated.
    bool IsKeyMsg(MSG& msg);
    void Idle();
    void DoIdle();
    void IconChanged(TObject* sender);
    friend class TCustomForm;
    int ShowMessageBox(const AnsiString& text, UINT flags);
    void Report(TObject* Sender, const std::exception_ptr& error);
    void ReportQueuedExceptions();

    struct QueuedException {
        TObject* sender;
        std::exception_ptr error;
    };

    HWND window_ = nullptr;  // owned; destroyed in the destructor
    AnsiString title_;
    AnsiString exeName_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> wakeUpPosted_{false};  // one wake-up message in the queue is enough
    TExceptionEvent onException_;
    TMessageBoxHook messageBoxHook_;
    TIdleEvent onIdle_;
    TCustomForm* mainForm_ = nullptr;  // not owned here: owned as a component
    bool showMainForm_ = true;
    bool active_ = false;
    std::unique_ptr<TIcon> icon_;
    struct MainWindowHook {
        TWindowHook hook;
        bool removed;
    };
    std::vector<std::shared_ptr<MainWindowHook>> hooks_;
    std::mutex queuedMutex_;
    std::vector<QueuedException> queued_;  // handed over by other threads, reported on the main thread
};

// The program's application object, made during start-up on the main thread (or by whatever start-up code uses
// it first) and freed at exit. Used as a pointer: Application->Title().
class TApplicationRef {
public:
    TApplication* operator->() const { return Get(); }
    TApplication& operator*() const { return *Get(); }
    operator TApplication*() const { return Get(); }
    static TApplication* Get();
};
extern const TApplicationRef Application;
