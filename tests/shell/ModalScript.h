#pragma once
// Real input given to modal dialogs from inside their own message loops: a thread timer walks a list of steps,
// each waiting for its condition before it acts. Actions only queue input (never serve messages), so a dialog a
// click opens runs its loop with the script still going. A step not ready within its bound fails the script,
// which then closes whatever window is active until the test's own loop gets control back.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"

namespace shelltest {

class ModalScript {
public:
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    ModalScript() = default;
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;
    ~ModalScript() { Stop(); }

    // Waits for ready, then acts.
    ModalScript& Then(std::string what, std::function<bool()> ready, std::function<void()> act = {})
    {
        steps_.push_back({std::move(what), std::move(ready), std::move(act)});
        return *this;
    }
    // Acts at once when its turn comes.
    ModalScript& Do(std::string what, std::function<void()> act)
    {
        return Then(std::move(what), [] { return true; }, std::move(act));
    }

    void Start(DWORD stepBoundMs = 20000)
    {
        bound_ = stepBoundMs;
        current_ = this;
        stepStart_ = GetTickCount();
        timer_ = SetTimer(nullptr, 0, 30, &ModalScript::Tick);
    }
    void Stop()
    {
        if (timer_) KillTimer(nullptr, timer_);
        timer_ = 0;
        if (current_ == this) current_ = nullptr;
        pending_ = false;
    }
    bool Done() const { return next_ >= steps_.size() && !failed_ && !pending_; }
    bool Failed() const { return failed_; }
    bool Finished() const { return Done() || (failed_ && !GetActiveWindowOfThread()); }
    const std::string& FailedStep() const { return failedStep_; }

    // Queued input only ------------------------------------------------------------------------------------
    static INPUT MouseAt(POINT p, DWORD flags)
    {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        return in;
    }
    static void MoveTo(POINT p)
    {
        INPUT in = MouseAt(p, 0);
        SendInput(1, &in, sizeof in);
    }
    // The left button down and up at p: each event carries the place, so a pointer that wandered back on its
    // own (Wine's virtual desktop) presses where it was meant to.
    static void Press(POINT p)
    {
        INPUT in[2] = {MouseAt(p, MOUSEEVENTF_LEFTDOWN), MouseAt(p, MOUSEEVENTF_LEFTUP)};
        SendInput(2, in, sizeof(INPUT));
    }
    // A click from inside a step: the mouse moves now, and the button goes down and up on a later tick, once
    // the cursor is there and the move has been served (controls that follow the mouse see it arrive first).
    static void Click(POINT p)
    {
        MoveTo(p);
        pendingPress_ = p;
        pending_ = true;
    }
    static POINT Centre(const TControl* c)
    {
        const TPoint p = c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2));
        return POINT{p.x, p.y};
    }
    static void Click(const TControl* c) { Click(Centre(c)); }
    // Brings a form to the front so that it gets the keys (there is no window manager).
    static void Front(TCustomForm* form)
    {
        SetForegroundWindow(form->Handle());
        SetActiveWindow(form->Handle());
    }
    // The form is up, modal and the active window: ready for input.
    static bool Up(TCustomForm* form)
    {
        return form && form->HandleAllocated() && form->Modal() && IsWindowVisible(form->Handle()) &&
               IsWindowEnabled(form->Handle());
    }

private:
    static HWND GetActiveWindowOfThread()
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetCurrentThreadId(), &info)) return nullptr;
        HWND w = info.hwndActive;
        // Only dialogs above the test's own window are closed.
        return w && IsWindowVisible(w) && IsWindowEnabled(w) && GetWindow(w, GW_OWNER) ? w : nullptr;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ModalScript* s = current_;
        if (!s || s->busy_) return;
        s->busy_ = true;
        s->Advance();
        s->busy_ = false;
    }
    void Advance()
    {
        if (failed_) {
            if (HWND w = GetActiveWindowOfThread()) PostMessageA(w, WM_CLOSE, 0, 0);
            return;
        }
        if (pending_) {
            POINT at{};
            if (GetCursorPos(&at) && std::abs(at.x - pendingPress_.x) <= 1 && std::abs(at.y - pendingPress_.y) <= 1) {
                pending_ = false;
                Press(pendingPress_);
                stepStart_ = GetTickCount();
            } else if (GetTickCount() - stepStart_ > bound_) {
                failed_ = true;
                failedStep_ = "the mouse at the click's point";
            }
            return;
        }
        while (next_ < steps_.size()) {
            Step& step = steps_[next_];
            if (!step.ready()) {
                if (GetTickCount() - stepStart_ > bound_) {
                    failed_ = true;
                    failedStep_ = step.what;
                }
                return;
            }
            if (step.act) step.act();
            ++next_;
            stepStart_ = GetTickCount();
            // One action a tick, so its input is served before the next condition is looked at.
            if (step.act) return;
        }
    }

    static inline ModalScript* current_ = nullptr;
    static inline POINT pendingPress_{};
    static inline bool pending_ = false;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    DWORD bound_ = 20000;
    DWORD stepStart_ = 0;
    UINT_PTR timer_ = 0;
    bool busy_ = false;
    bool failed_ = false;
    std::string failedStep_;
};

}  // namespace shelltest
