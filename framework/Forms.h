#pragma once
// The application object: its hidden window, the message loop and the last stop for exceptions.

#include <windows.h>

#include <atomic>
#include <exception>
#include <mutex>
#include <vector>

#include "framework/AnsiString.h"
#include "framework/Classes.h"
#include "framework/Closure.h"
#include "framework/Exceptions.h"

// ---------------------------------------------------------------------------------------------------------------
// TApplication

using TExceptionEvent = Closure<void(TObject* Sender, Exception* E)>;
// Stands in for MessageBoxA (text, caption, MB_ flags) -> the button's id.
using TMessageBoxHook = Closure<int(const AnsiString& Text, const AnsiString& Caption, UINT Flags)>;

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
    void Idle();
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
