// The high-resolution timer in both modes: the interval kept within the device's periods, nothing started at
// interval 0, ticks on the main thread (or the timer thread), a slow handler neither re-entered nor burying the
// queue in ticks, switching modes while running, and stopping or freeing the timer from inside its own tick.

#include "zcl/components/Zcltimer.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <string>

#include "ComponentsTestKit.h"

using namespace zcltest;

namespace {

TIMECAPS DeviceCaps()
{
    TIMECAPS caps{};
    timeGetDevCaps(&caps, sizeof caps);
    return caps;
}

// A copy of the timer thread's handle that outlives the thread object, signalled once the thread has ended.
HANDLE ThreadHandle(TZCLHiTimer& timer)
{
    HANDLE copy = nullptr;
    if (TZCLThreadedTimer* t = timer.TimerThread())
        DuplicateHandle(GetCurrentProcess(), t->Handle(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

bool Ended(HANDLE thread, DWORD timeoutMs = 5000)
{
    return WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
}

TEST(HiTimerTest, TheIntervalIsKeptWithinTheDevicesPeriods)
{
    const TIMECAPS caps = DeviceCaps();
    TZCLHiTimer timer(nullptr);
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_EQ(timer.GetInteger(0), caps.wPeriodMax);
    EXPECT_EQ(timer.GetInteger(1), caps.wPeriodMin);
    struct Case {
        std::uint32_t set, kept;
    };
    for (const Case c : {Case{0, caps.wPeriodMin}, Case{caps.wPeriodMin, caps.wPeriodMin}, Case{250, 250},
                         Case{caps.wPeriodMax, caps.wPeriodMax}, Case{caps.wPeriodMax + 1, caps.wPeriodMax},
                         Case{0xFFFFFFFFu, caps.wPeriodMax}}) {
        timer.SetInterval(c.set);
        EXPECT_EQ(timer.Interval(), c.kept) << c.set;
    }
}

TEST(HiTimerTest, IntervalZeroStartsNothingInEitherMode)
{
    for (bool thread : {false, true}) {
        TZCLHiTimer timer(nullptr, 0);
        timer.SetUseThread(thread);
        timer.SetOnTimer(TNotifyEvent::From([](TObject*) {}));
        timer.SetEnabled(true);
        EXPECT_EQ(timer.EventId(), 0u) << thread;
        EXPECT_EQ(timer.TimerThread(), nullptr) << thread;
    }
}

TEST(HiTimerTest, NothingRunsWithoutAHandlerOrWhileDisabled)
{
    TZCLHiTimer timer(nullptr, 20);
    timer.SetUseThread(false);
    timer.SetEnabled(true);
    EXPECT_EQ(timer.EventId(), 0u) << "no OnTimer";
    timer.SetOnTimer(TNotifyEvent::From([](TObject*) {}));
    EXPECT_NE(timer.EventId(), 0u);
    timer.SetEnabled(false);
    EXPECT_EQ(timer.EventId(), 0u);
}

struct ModeCase {
    const char* name;
    bool thread;
    bool synchronize;
    bool onMainThread;
};

class HiTimerMode : public testing::TestWithParam<ModeCase> {};

TEST_P(HiTimerMode, TicksComeOnTheThreadTheModeSays)
{
    TZCLHiTimer timer(nullptr, 20);
    timer.SetUseThread(GetParam().thread);
    timer.SetSynchronize(GetParam().synchronize);
    std::atomic<int> ticks{0};
    std::atomic<bool> wrongThread{false};
    const DWORD main = GetCurrentThreadId();
    timer.SetOnTimer(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        if ((GetCurrentThreadId() == main) != GetParam().onMainThread) wrongThread = true;
        ++ticks;
    }));
    timer.SetEnabled(true);
    EXPECT_EQ(timer.TimerThread() != nullptr, GetParam().thread);
    EXPECT_EQ(timer.EventId() != 0, !GetParam().thread);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 5; }));
    timer.SetEnabled(false);  // waits for a thread to end: the counts have settled
    EXPECT_FALSE(wrongThread);
}

INSTANTIATE_TEST_SUITE_P(Modes, HiTimerMode,
                         testing::Values(ModeCase{"Multimedia", false, true, true},
                                         ModeCase{"ThreadSynchronised", true, true, true},
                                         ModeCase{"ThreadDirect", true, false, false}),
                         [](const testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

TEST(HiTimerTest, ASlowHandlerIsNotReenteredAndTicksMeanwhileAreDropped)
{
    TZCLHiTimer timer(nullptr, 5);
    timer.SetUseThread(false);
    int depth = 0, deepest = 0, calls = 0, queuedDuringCall = -1;
    timer.SetOnTimer(TNotifyEvent::From([&](TObject*) {
        ++calls;
        deepest = std::max(deepest, ++depth);
        if (calls == 1) {
            // Long enough for many intervals, without serving messages: nothing more may be queued meanwhile.
            Sleep(300);
            MSG msg;
            queuedDuringCall = 0;
            while (PeekMessageA(&msg, timer.Handle(), WM_TIMER, WM_TIMER, PM_REMOVE)) ++queuedDuringCall;
        } else if (calls == 2) {
            // Serving messages inside the handler: no tick reaches it from inside.
            const DWORD start = GetTickCount();
            while (GetTickCount() - start < 200) {
                Application->ProcessMessages();
                Sleep(1);
            }
        }
        --depth;
    }));
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return calls >= 4; }));
    timer.SetEnabled(false);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(queuedDuringCall, 0);
}

TEST(HiTimerTest, TurningTheThreadOffWhileRunningEndsItAndStartsTheMultimediaTimer)
{
    TZCLHiTimer timer(nullptr, 25);
    std::atomic<int> ticks{0};
    timer.SetOnTimer(TNotifyEvent::From([&](TObject*) { ++ticks; }));
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    const HANDLE thread = ThreadHandle(timer);
    ASSERT_NE(thread, nullptr);
    timer.SetUseThread(false);
    EXPECT_TRUE(Ended(thread, 0)) << "the thread has ended by the time the setter returns";
    CloseHandle(thread);
    EXPECT_EQ(timer.TimerThread(), nullptr);
    EXPECT_NE(timer.EventId(), 0u);
    EXPECT_EQ(timer.Interval(), 25u);
    const int before = ticks;
    EXPECT_TRUE(PumpUntil([&] { return ticks >= before + 3; }));

    timer.SetUseThread(true);
    EXPECT_EQ(timer.EventId(), 0u);
    EXPECT_FALSE(IsWindow(timer.Handle()));
    EXPECT_NE(timer.TimerThread(), nullptr);
}

TEST(HiTimerTest, ThreadPriorityReachesTheRunningThread)
{
    TZCLHiTimer timer(nullptr, 50);
    timer.SetOnTimer(TNotifyEvent::From([](TObject*) {}));
    timer.SetThreadPriority(tpLowest);
    timer.SetEnabled(true);
    ASSERT_NE(timer.TimerThread(), nullptr);
    EXPECT_EQ(GetThreadPriority(timer.TimerThread()->Handle()), THREAD_PRIORITY_LOWEST);
    timer.SetThreadPriority(tpHigher);
    ASSERT_NE(timer.TimerThread(), nullptr);
    EXPECT_EQ(GetThreadPriority(timer.TimerThread()->Handle()), THREAD_PRIORITY_ABOVE_NORMAL);
}

struct StopCase {
    const char* name;
    bool thread;
    bool synchronize;
    bool free;  // free the timer instead of disabling it
};

class HiTimerStop : public testing::TestWithParam<StopCase> {};

TEST_P(HiTimerStop, AHandlerCanStopOrFreeItsOwnTimer)
{
    auto* timer = new TZCLHiTimer(nullptr, 10);
    std::unique_ptr<TZCLHiTimer> owned(timer);
    timer->SetUseThread(GetParam().thread);
    timer->SetSynchronize(GetParam().synchronize);
    std::atomic<int> calls{0};
    std::atomic<bool> stopped{false};
    timer->SetOnTimer(TNotifyEvent::From([&](TObject*) {
        ++calls;
        if (stopped.exchange(true)) return;
        if (GetParam().free)
            delete owned.release();
        else
            timer->SetEnabled(false);
    }));
    timer->SetEnabled(true);
    const HANDLE thread = ThreadHandle(*timer);
    HWND window = timer->Handle();
    ASSERT_TRUE(PumpUntil([&] { return stopped.load(); }));
    if (thread) {
        EXPECT_TRUE(PumpUntil([&] { return Ended(thread, 0); })) << "the thread ends by itself";
        CloseHandle(thread);
        EXPECT_EQ(calls, 1) << "no tick after the stop";
    }
    if (GetParam().free) {
        if (window) {
            EXPECT_FALSE(IsWindow(window));
        }
    } else {
        EXPECT_FALSE(timer->Enabled());
        EXPECT_EQ(timer->TimerThread(), nullptr);
        EXPECT_EQ(timer->EventId(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, HiTimerStop,
                         testing::Values(StopCase{"MultimediaDisabled", false, true, false},
                                         StopCase{"MultimediaFreed", false, true, true},
                                         StopCase{"ThreadDisabled", true, true, false},
                                         StopCase{"ThreadFreed", true, true, true},
                                         StopCase{"DirectThreadDisabled", true, false, false}),
                         [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

TEST(HiTimerTest, FreeingARunningTimerEndsItsThreadAndWindowAtOnce)
{
    for (bool thread : {true, false}) {
        auto timer = std::make_unique<TZCLHiTimer>(nullptr, 10);
        timer->SetUseThread(thread);
        timer->SetSynchronize(false);
        std::atomic<int> ticks{0};
        timer->SetOnTimer(TNotifyEvent::From([&](TObject*) { ++ticks; }));
        timer->SetEnabled(true);
        ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
        const HANDLE handle = ThreadHandle(*timer);
        const HWND window = timer->Handle();
        timer.reset();
        if (handle) {
            EXPECT_TRUE(Ended(handle, 0));
            CloseHandle(handle);
        }
        if (window) {
            EXPECT_FALSE(IsWindow(window));
        }
    }
}

// A tick that the timer thread holds, without synchronisation, until either its thread is told to stop or the
// handler changes under it (which must never happen: the handler is read by the running thread).
struct HeldTick {
    std::atomic<TZCLThreadedTimer*> thread{nullptr};
    std::atomic<bool> hold{true};  // only the first tick is held
    std::atomic<bool> entered{false};
    std::atomic<bool> changedUnderTick{false};
    std::atomic<int> first{0};
    std::atomic<int> second{0};
    TNotifyEvent original;
};
std::atomic<HeldTick*> heldTick{nullptr};

class HoldingTimer : public TZCLHiTimer {
public:
    using TZCLHiTimer::TZCLHiTimer;
    void Timer() override
    {
        HeldTick* h = heldTick;
        if (h && h->hold.exchange(false)) {
            h->entered = true;
            const DWORD start = GetTickCount();
            while (GetTickCount() - start < 20000) {
                TZCLThreadedTimer* t = h->thread;
                if (t && t->Stopped()) break;
                if (OnTimer() != h->original) {
                    h->changedUnderTick = true;
                    break;
                }
                Sleep(1);
            }
        }
        TZCLHiTimer::Timer();
    }
};

struct HandlerTarget {
    void First(TObject*) { ++heldTick.load()->first; }
    void Second(TObject*) { ++heldTick.load()->second; }
};

enum class Change { SetOnTimer, Destroy };

class HiTimerUnsynchronisedChange : public testing::TestWithParam<Change> {};

TEST_P(HiTimerUnsynchronisedChange, TheThreadEndsBeforeTheHandlerChanges)
{
    HeldTick held;
    heldTick = &held;
    HandlerTarget target;
    held.original = TNotifyEvent(&target, &HandlerTarget::First);
    auto timer = std::make_unique<HoldingTimer>(nullptr, 10);
    timer->SetSynchronize(false);
    timer->SetOnTimer(held.original);
    timer->SetEnabled(true);
    held.thread = timer->TimerThread();
    ASSERT_NE(held.thread.load(), nullptr);
    ASSERT_TRUE(testwait::WaitUntil([&] { return held.entered.load(); }, 10000)) << "a tick is held";
    if (GetParam() == Change::SetOnTimer) {
        timer->SetOnTimer(TNotifyEvent(&target, &HandlerTarget::Second));
        EXPECT_FALSE(held.changedUnderTick) << "the handler changed while the thread was calling it";
        EXPECT_EQ(held.first, 1) << "the held tick ends with the handler it began with";
        EXPECT_EQ(held.second, 0);
        // The new handler ticks on a new thread.
        EXPECT_TRUE(testwait::WaitUntil([&] { return held.second.load() >= 2; }, 10000));
        timer->SetEnabled(false);
        EXPECT_EQ(timer->TimerThread(), nullptr);
    } else {
        timer.reset();
        EXPECT_FALSE(held.changedUnderTick) << "the handler was cleared while the thread was calling it";
        EXPECT_EQ(held.first, 1);
    }
    timer.reset();
    heldTick = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Changes, HiTimerUnsynchronisedChange, testing::Values(Change::SetOnTimer, Change::Destroy),
                         [](const testing::TestParamInfo<Change>& i) {
                             return std::string(i.param == Change::SetOnTimer ? "SetOnTimer" : "Destroy");
                         });

}  // namespace
