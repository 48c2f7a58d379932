#pragma once
// A timer finer than the window timers: either a multimedia timer whose callback posts WM_TIMER to a hidden
// window, or a thread of its own that sleeps the interval and then fires, on the main thread by synchronisation
// (the default) or on the thread itself.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "framework/runtime/Handles.h"
#include "framework/runtime/Thread.h"
#include "framework/visual/Messages.h"
#include "zcl/core/Zclcustomcomponent.h"

class TZCLHiTimer;

// The thread of a threaded TZCLHiTimer. It is made suspended and ends as soon as it is stopped: the wait between
// ticks is cut short, and a thread stopped from inside its own tick never touches its owner again.
class TZCLThreadedTimer : public TThread {
public:
    explicit TZCLThreadedTimer(TZCLHiTimer* AOwner);
    ~TZCLThreadedTimer() override;

    // Milliseconds between ticks (1000 at construction).
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t Value) { interval_ = Value; }

    // Ends the waiting and the loop. Detach also forgets the owner, for a thread that cannot be waited for.
    void Stop(bool Detach);
    // Stop has been called.
    bool Stopped() const { return Terminated(); }
    // The owner's Timer is running on the main thread for this thread, which waits for it meanwhile.
    bool InOwnerCall() const { return inOwnerCall_; }

protected:
    void Execute() override;

private:
    bool StopCondition() const;
    void CallOwner();

    std::atomic<TZCLHiTimer*> owner_;  // not owned; null once detached
    std::atomic<std::uint32_t> interval_{1000};
    KernelHandle stop_;
    bool inOwnerCall_ = false;  // main thread only
};

class TZCLHiTimer : public TZCLCustomComponent {
public:
    explicit TZCLHiTimer(TComponent* AOwner);
    TZCLHiTimer(TComponent* AOwner, std::uint32_t AInterval);
    ~TZCLHiTimer() override;

    // The setters store a changed value and start or stop the timer to match.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    // Milliseconds; a new value is kept within the device's minimum and maximum periods. 0 (possible only from
    // the constructor) starts nothing.
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t Value);
    TNotifyEvent OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent Value);
    // Takes effect at once only with UseThread.
    TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority Value);
    // With the thread: OnTimer on the main thread (true) or on the timer thread, where it must not touch windows.
    bool Synchronize() const { return synchronize_; }
    void SetSynchronize(bool Value) { synchronize_ = Value; }
    // The thread (true) or the multimedia timer.
    bool UseThread() const { return useThread_; }
    void SetUseThread(bool Value);

    // 0: the device's maximum period, 1: its minimum; 0 for other indexes.
    std::uint32_t GetInteger(int Index) const;

    // The multimedia event running now (0: none), its hidden window (null until needed), the timer thread
    // (null: none).
    UINT EventId() const { return eventId_; }
    HWND Handle() const { return window_; }
    TZCLThreadedTimer* TimerThread() const { return thread_.get(); }

    // Fires OnTimer.
    virtual void Timer();

protected:
    void UpdateTimer();

private:
    static void CALLBACK TimerProc(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR dw1, DWORD_PTR dw2);
    void WndProc(TMessage& Message);
    void StopTimers();
    bool Designing() const;

    std::atomic<bool> enabled_{false};
    bool running_ = false;  // OnTimer of a multimedia tick is running (main thread only)
    UINT eventId_ = 0;
    std::uint32_t interval_ = 1000;
    std::uint32_t periodMin_ = 1;
    std::uint32_t periodMax_ = 1000000;
    TNotifyEvent onTimer_;
    HWND window_ = nullptr;  // owned, AllocateHWnd
    std::unique_ptr<TZCLThreadedTimer> thread_;
    TThreadPriority threadPriority_ = tpNormal;
    std::atomic<bool> synchronize_{true};
    bool useThread_ = true;
    bool destroying_ = false;
    // A WM_TIMER is on its way or being handled: the callback posts no other, so a slow handler drops ticks
    // instead of filling the queue.
    std::atomic<bool> pending_{false};
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
