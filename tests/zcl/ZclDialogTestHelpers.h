#pragma once
// Driving the library's modal dialogs with real input: a script of steps that runs on a thread timer inside the
// dialog's own modal loop, each step waiting (with a generous bound) for its condition before it acts.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "framework/ControlTestHelpers.h"
#include "framework/visual/Forms.h"
#include "framework/visual/StdCtrls.h"

namespace dlgtest {

using controltest::SendKey;

// Types text with the keys that make its characters.
inline void SendText(const std::string& text)
{
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        if (scan & 0x100)
            SendKey(WORD(scan & 0xFF), {VK_SHIFT});
        else
            SendKey(WORD(scan & 0xFF));
    }
}

// A real left click at a screen point.
inline void SendClick(POINT p)
{
    INPUT in[3] = {};
    for (INPUT& i : in) i.type = INPUT_MOUSE;
    in[0].mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in[0].mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
}

// The screen point at the middle of a control.
inline POINT CentreOf(const TControl* c)
{
    const TPoint p = c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2));
    return POINT{p.x, p.y};
}

// The first component of owner of class T that pred accepts; nullptr when none.
template <typename T>
T* FindOwned(TComponent* owner, const std::function<bool(T*)>& pred = nullptr)
{
    for (int i = 0; i < owner->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<T*>(owner->Components(i)))
            if (!pred || pred(c)) return c;
    return nullptr;
}

template <typename T = TButton>
T* ButtonTitled(TComponent* owner, const std::string& caption)
{
    return FindOwned<T>(owner, [&](T* b) { return std::string(b->Caption().c_str()) == caption; });
}

// The form shown modally now; nullptr when none is.
inline TCustomForm* ModalForm()
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Modal()) return Screen->Forms(i);
    return nullptr;
}

// Steps in order on the thread that runs the dialog's modal loop. A step whose condition does not hold within
// its bound fails the script and ends the dialog with mrAbort, so a broken dialog never hangs the test.
class ModalScript {
public:
    using Condition = std::function<bool()>;
    using Action = std::function<void()>;

    ModalScript() = default;
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;
    ~ModalScript() { Stop(); }

    // Waits for ready, then acts.
    ModalScript& Then(Condition ready, Action act, const std::string& what)
    {
        steps_.push_back({std::move(ready), std::move(act), what});
        return *this;
    }
    // Waits for ready only.
    ModalScript& Await(Condition ready, const std::string& what)
    {
        return Then(std::move(ready), [] {}, what);
    }

    // Starts on the form that is about to be shown modally (call from the dialog's OnCustomize).
    void Start(TCustomForm* form)
    {
        if (current_ && current_ != this) current_->Stop();
        form_ = form;
        current_ = this;
        stepStart_ = std::chrono::steady_clock::now();
        timer_ = SetTimer(nullptr, 0, 20, &ModalScript::Tick);
    }
    // Starts now, for the next form shown modally (for dialogs that offer no hook of their own).
    void Arm()
    {
        if (current_ && current_ != this) current_->Stop();
        current_ = this;
        armed_ = true;
        stepStart_ = std::chrono::steady_clock::now();
        timer_ = SetTimer(nullptr, 0, 20, &ModalScript::Tick);
    }
    // The dialog's OnCustomize that starts this script.
    TNotifyEvent Starter()
    {
        return TNotifyEvent::From([this](TObject* sender) { Start(dynamic_cast<TCustomForm*>(sender)); });
    }

    TCustomForm* Form() const { return form_; }
    bool Done() const { return next_ == steps_.size() && failure_.empty(); }
    // Empty when every step ran.
    const std::string& Failure() const { return failure_; }
    std::string Report() const
    {
        return failure_.empty() ? (Done() ? "done" : "stopped at step " + std::to_string(next_)) : failure_;
    }

    // The wait of one step.
    static constexpr auto Bound = std::chrono::seconds(15);

private:
    struct Step {
        Condition ready;
        Action act;
        std::string what;
    };

    void Stop()
    {
        if (timer_) KillTimer(nullptr, timer_);
        timer_ = 0;
        if (current_ == this) current_ = nullptr;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (ModalScript* s = current_) s->Run();
    }

    void Run()
    {
        if (running_) return;
        if (armed_ && !form_) form_ = ModalForm();
        if (form_ && !window_) window_ = form_->Handle();
        // The dialog's form is freed with its window: nothing is touched after that.
        if (window_ && !IsWindow(window_)) {
            form_ = nullptr;
            Stop();
            return;
        }
        running_ = true;
        try {
            while (next_ < steps_.size() && steps_[next_].ready()) {
                steps_[next_].act();
                ++next_;
                stepStart_ = std::chrono::steady_clock::now();
            }
            if (std::chrono::steady_clock::now() - stepStart_ > Bound) {
                if (next_ < steps_.size())
                    Fail("timed out waiting for: " + steps_[next_].what);
                else if (form_ && IsWindowVisible(window_))
                    Fail("the dialog is still open after the last step");
            }
        } catch (const std::exception& e) {
            Fail(std::string("exception: ") + e.what());
        } catch (...) {
            Fail("exception");
        }
        // Watching on after the last step until the dialog has closed.
        if (!failure_.empty() || (next_ == steps_.size() && form_ && !IsWindowVisible(window_))) Stop();
        running_ = false;
    }

    void Fail(const std::string& why)
    {
        failure_ = why;
        if (form_ && form_->Modal()) form_->SetModalResult(mrAbort);
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::string failure_;
    TCustomForm* form_ = nullptr;  // not owned: the dialog's form
    HWND window_ = nullptr;        // its window, which tells when the form is gone
    UINT_PTR timer_ = 0;
    bool running_ = false;
    bool armed_ = false;
    std::chrono::steady_clock::time_point stepStart_;
    static inline ModalScript* current_ = nullptr;
};

// The form is shown and active, and the focus is on control.
inline bool ReadyForKeys(TCustomForm* form, TWinControl* control)
{
    if (!form || !control || !form->HandleAllocated() || !IsWindowVisible(form->Handle())) return false;
    if (GetForegroundWindow() != form->Handle()) {
        SetForegroundWindow(form->Handle());
        return false;
    }
    return control->HandleAllocated() && GetFocus() == control->Handle();
}

// The form is shown and active, and the focus is on one of its controls.
inline bool ReadyForInput(TCustomForm* form)
{
    if (!form || !form->HandleAllocated() || !IsWindowVisible(form->Handle())) return false;
    if (GetForegroundWindow() != form->Handle()) {
        SetForegroundWindow(form->Handle());
        return false;
    }
    const HWND focus = GetFocus();
    return focus && (focus == form->Handle() || IsChild(form->Handle(), focus));
}

}  // namespace dlgtest
