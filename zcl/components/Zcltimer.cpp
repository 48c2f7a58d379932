#include "zcl/components/Zcltimer.h"

#include <mmsystem.h>

#include <algorithm>

#include "framework/runtime/Exceptions.h"
#include "framework/visual/Forms.h"

// ---------------------------------------------------------------------------------------------------------------
// TZCLThreadedTimer

TZCLThreadedTimer::TZCLThreadedTimer(TZCLHiTimer* AOwner)
    : TThread(true), owner_(AOwner), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    if (!stop_) RaiseLastOSError();
}

TZCLThreadedTimer::~TZCLThreadedTimer()
{
    // Execute uses the stop event: the thread ends here, before the base waits for it.
    Stop(false);
    if (ThreadID() != GetCurrentThreadId() && !Suspended()) WaitFor();
}

void TZCLThreadedTimer::Stop(bool Detach)
{
    if (Detach) owner_ = nullptr;
    Terminate();
    SetEvent(stop_.get());
}

bool TZCLThreadedTimer::StopCondition() const
{
    if (Terminated() || !owner_.load()) return true;
    TApplication* app = TApplicationRef::Get();
    return app && app->Terminated();
}

void TZCLThreadedTimer::Execute()
{
    while (!Terminated()) {
        if (StopCondition()) break;
        if (WaitForSingleObject(stop_.get(), interval_) != WAIT_TIMEOUT) break;
        if (StopCondition()) break;
        TZCLHiTimer* owner = owner_;
        if (!owner->Enabled()) continue;
        if (owner->Synchronize())
            TThread::Synchronize(TThreadMethod(this, &TZCLThreadedTimer::CallOwner));
        else
            owner->Timer();
    }
}

void TZCLThreadedTimer::CallOwner()
{
    // On the main thread, while this thread waits: the owner may have stopped it in the meantime.
    TZCLHiTimer* owner = owner_;
    if (!owner || Terminated()) return;
    inOwnerCall_ = true;
    try {
        owner->Timer();
    } catch (...) {
        inOwnerCall_ = false;
        throw;
    }
    inOwnerCall_ = false;
}

// ---------------------------------------------------------------------------------------------------------------
// TZCLHiTimer

TZCLHiTimer::TZCLHiTimer(TComponent* AOwner) : TZCLHiTimer(AOwner, 1000) {}

TZCLHiTimer::TZCLHiTimer(TComponent* AOwner, std::uint32_t AInterval)
    : TZCLCustomComponent(AOwner), interval_(AInterval)
{
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) {
        periodMin_ = caps.wPeriodMin;
        periodMax_ = caps.wPeriodMax;
    }
    timeBeginPeriod(periodMin_);
}

TZCLHiTimer::~TZCLHiTimer()
{
    *alive_ = false;
    destroying_ = true;
    // The thread may be calling the handler (directly, without synchronisation): it ends before the handler goes.
    StopTimers();
    onTimer_ = nullptr;
    timeEndPeriod(periodMin_);
    enabled_ = false;
    DeallocateHWnd(window_);
    window_ = nullptr;
}

bool TZCLHiTimer::Designing() const
{
    return ComponentState().Contains(csDesigning);
}

std::uint32_t TZCLHiTimer::GetInteger(int Index) const
{
    if (Index == 0) return periodMax_;
    if (Index == 1) return periodMin_;
    return 0;
}

void TZCLHiTimer::SetEnabled(bool Value)
{
    if (Value == enabled_) return;
    enabled_ = Value;
    UpdateTimer();
}

void TZCLHiTimer::SetInterval(std::uint32_t Value)
{
    Value = std::clamp(Value, periodMin_, std::max(periodMin_, periodMax_));
    if (Value == interval_) return;
    interval_ = Value;
    UpdateTimer();
}

void TZCLHiTimer::SetOnTimer(TNotifyEvent Value)
{
    if (Value == onTimer_) return;
    // A thread that calls the handler without synchronisation is stopped before the handler changes under it.
    if (!Designing()) StopTimers();
    onTimer_ = Value;
    UpdateTimer();
}

void TZCLHiTimer::SetThreadPriority(TThreadPriority Value)
{
    if (Value == threadPriority_) return;
    threadPriority_ = Value;
    if (useThread_) UpdateTimer();
}

void TZCLHiTimer::SetUseThread(bool Value)
{
    if (Value == useThread_) return;
    useThread_ = Value;
    UpdateTimer();
}

void TZCLHiTimer::Timer()
{
    if (onTimer_) onTimer_(this);
}

void TZCLHiTimer::StopTimers()
{
    if (thread_) {
        if (thread_->InOwnerCall() || thread_->ThreadID() == GetCurrentThreadId()) {
            // Stopped from inside its own tick: the thread waits for this very call, so it cannot be waited for.
            // It ends by itself once the call returns, without touching this timer again.
            thread_->Stop(true);
            thread_->SetFreeOnTerminate(true);
            thread_.release();
        } else {
            thread_->Stop(false);
            thread_->WaitFor();
            thread_.reset();
        }
    }
    if (eventId_) {
        // Synchronous: no callback runs after this returns.
        timeKillEvent(eventId_);
        eventId_ = 0;
    }
}

void TZCLHiTimer::UpdateTimer()
{
    if (Designing()) return;
    StopTimers();
    if (destroying_) return;
    const bool run = enabled_ && onTimer_ && interval_ != 0;
    if (useThread_) {
        if (window_) {
            DeallocateHWnd(window_);
            window_ = nullptr;
        }
        if (!run) return;
        // Made here on the main thread before the timer thread asks it whether the program is ending.
        (void)TApplicationRef::Get();
        thread_ = std::make_unique<TZCLThreadedTimer>(this);
        thread_->SetInterval(interval_);
        thread_->SetPriority(threadPriority_);
        thread_->Resume();
    } else {
        if (!window_) window_ = AllocateHWnd(TWndMethod(this, &TZCLHiTimer::WndProc));
        if (!window_) throw EOutOfResources("Not enough timers available");
        if (!run) return;
        pending_ = false;
        eventId_ = timeSetEvent(interval_, interval_, &TZCLHiTimer::TimerProc, reinterpret_cast<DWORD_PTR>(this),
                                TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
        if (!eventId_) throw EOutOfResources("Not enough timers available");
    }
}

void CALLBACK TZCLHiTimer::TimerProc(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    auto* self = reinterpret_cast<TZCLHiTimer*>(user);
    if (self->pending_.exchange(true)) return;
    if (!PostMessageA(self->window_, WM_TIMER, id, 0)) self->pending_ = false;
}

void TZCLHiTimer::WndProc(TMessage& Message)
{
    if (Message.Msg != WM_TIMER) {
        Message.Result = DefWindowProcA(window_, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    Message.Result = 0;
    // A tick of an event killed meanwhile is stale.
    if (eventId_ == 0 || Message.WParam != eventId_) return;
    if (running_) return;
    // The handler may free this timer; then nothing here is touched again.
    const std::shared_ptr<bool> alive = alive_;
    struct Done {
        TZCLHiTimer* self;
        const std::shared_ptr<bool>& alive;
        ~Done()
        {
            if (!*alive) return;
            self->running_ = false;
            self->pending_ = false;
        }
    } done{this, alive};
    running_ = true;
    Timer();
}
