#include "framework/runtime/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/visual/Forms.h"

namespace {

// Ends the process with a message when a test hangs, instead of leaving the run stuck.
class Watchdog {
public:
    explicit Watchdog(DWORD ms = 30000) : ms_(ms), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        thread_.reset(CreateThread(nullptr, 0, &Watchdog::Proc, this, 0, nullptr));
    }
    ~Watchdog()
    {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }

private:
    static DWORD WINAPI Proc(void* p)
    {
        auto* self = static_cast<Watchdog*>(p);
        if (WaitForSingleObject(self->stop_.get(), self->ms_) == WAIT_TIMEOUT) {
            fprintf(stderr, "\nWatchdog: %s hung\n", testing::UnitTest::GetInstance()->current_test_info()->name());
            fflush(stderr);
            ExitProcess(3);
        }
        return 0;
    }
    DWORD ms_;
    KernelHandle stop_;
    KernelHandle thread_;
};

// A thread whose Execute is a function given by the test; it stops itself in its own destructor, as a derived
// class whose Execute uses its members must.
class FunctionThread : public TThread {
public:
    using Body = std::function<void(FunctionThread&)>;
    explicit FunctionThread(Body body, bool suspended = true) : TThread(suspended), body_(std::move(body)) {}
    ~FunctionThread() override
    {
        if (Suspended()) return;  // never ran, or held: the base destructor handles both without body_
        Terminate();
        WaitFor();
    }

    using TThread::Synchronize;
    using TThread::Terminated;
    using TThread::SetReturnValue;

protected:
    void Execute() override { body_(*this); }

private:
    Body body_;
};

TThreadMethod Call(std::function<void()> f)
{
    return TThreadMethod::From(std::move(f));
}

TEST(Thread, SynchronizeRunsOnTheMainThreadWhileItWaits)
{
    Watchdog dog;
    DWORD ranOn = 0;
    DWORD workerId = 0;
    FunctionThread t([&](FunctionThread& self) {
        workerId = GetCurrentThreadId();
        self.Synchronize(Call([&] { ranOn = GetCurrentThreadId(); }));
    });
    t.Resume();
    t.WaitFor();
    EXPECT_EQ(ranOn, GetCurrentThreadId());
    EXPECT_EQ(ranOn, MainThreadID);
    EXPECT_NE(workerId, MainThreadID);
    EXPECT_EQ(workerId, t.ThreadID());
}

TEST(Thread, ManySynchronizedCallsFromSeveralWorkersWhileWaitingForOne)
{
    Watchdog dog;
    std::atomic<int> onMain{0}, elsewhere{0};
    auto body = [&](FunctionThread& self) {
        for (int i = 0; i < 50; ++i)
            self.Synchronize(Call([&] { (GetCurrentThreadId() == MainThreadID ? onMain : elsewhere)++; }));
    };
    FunctionThread a(body), b(body), c(body);
    a.Resume();
    b.Resume();
    c.Resume();
    // Waiting for one serves all three: b and c would block forever otherwise, and so would a's wait for them.
    c.WaitFor();
    b.WaitFor();
    a.WaitFor();
    EXPECT_EQ(onMain, 150);
    EXPECT_EQ(elsewhere, 0);
}

int WakeUpsQueued()
{
    int n = 0;
    MSG msg;
    while (PeekMessageA(&msg, Application->Handle(), WM_NULL, WM_NULL, PM_REMOVE)) {
        ++n;
        DispatchMessageA(&msg);
    }
    return n;
}

TEST(Thread, CallsServedByWaitForLeaveAtMostOneWakeUpInTheQueue)
{
    Watchdog dog;
    Application->ProcessMessages();
    int calls = 0;
    FunctionThread t([&](FunctionThread& self) {
        for (int i = 0; i < 2000; ++i) self.Synchronize(Call([&] { ++calls; }));
    });
    t.Resume();
    t.WaitFor();
    EXPECT_EQ(calls, 2000);
    EXPECT_LE(WakeUpsQueued(), 1);
}

TEST(Thread, SynchronizedExceptionIsRaisedAgainInTheWorker)
{
    Watchdog dog;
    std::string caught;
    DWORD raisedOn = 0;
    FunctionThread t([&](FunctionThread& self) {
        try {
            self.Synchronize(Call([&] {
                raisedOn = GetCurrentThreadId();
                throw EConvertError("'x' is not a valid integer value");
            }));
        } catch (const EConvertError& e) {
            caught = e.Message().c_str();
        }
    });
    t.Resume();
    t.WaitFor();
    EXPECT_EQ(raisedOn, MainThreadID);
    EXPECT_EQ(caught, "'x' is not a valid integer value");
    EXPECT_FALSE(t.FatalException());
}

TEST(Thread, ExceptionEscapingExecuteIsKeptAsFatalException)
{
    Watchdog dog;
    FunctionThread t([](FunctionThread& self) {
        self.SetReturnValue(5);
        throw EInvalidOperation("broken");
    });
    t.Resume();
    EXPECT_EQ(t.WaitFor(), 5u);
    ASSERT_TRUE(t.FatalException());
    try {
        std::rethrow_exception(t.FatalException());
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "broken");
    }
}

TEST(Thread, SynchronizeOnTheMainThreadRunsAtOnce)
{
    FunctionThread t([](FunctionThread&) {});
    int calls = 0;
    t.Synchronize(Call([&] { ++calls; }));
    EXPECT_EQ(calls, 1);
    EXPECT_THROW(t.Synchronize(Call([] { throw EAbort("stop"); })), EAbort);
}

TEST(Thread, SynchronizeIsServedByTheMessageLoop)
{
    Watchdog dog;
    std::atomic<bool> done{false};
    DWORD ranOn = 0;
    FunctionThread t([&](FunctionThread& self) {
        Sleep(50);  // lets the main thread fall asleep in its loop first
        self.Synchronize(Call([&] { ranOn = GetCurrentThreadId(); }));
        done = true;
    });
    t.Resume();
    // HandleMessage sleeps when there is nothing to do: only the worker's wake-up gets it going again.
    while (ranOn == 0) Application->HandleMessage();
    EXPECT_EQ(ranOn, MainThreadID);
    t.WaitFor();
    EXPECT_TRUE(done);
}

TEST(Thread, SynchronizeIsServedByProcessMessages)
{
    Watchdog dog;
    std::atomic<bool> queued{false};
    bool ran = false;
    FunctionThread t([&](FunctionThread& self) {
        queued = true;
        self.Synchronize(Call([&] { ran = true; }));
    });
    t.Resume();
    while (!ran) {
        Application->ProcessMessages();
        Sleep(1);
    }
    t.WaitFor();
    EXPECT_TRUE(queued);
}

TEST(Thread, TerminateEndsALoopThatWatchesTerminated)
{
    Watchdog dog;
    std::atomic<int> rounds{0};
    FunctionThread t([&](FunctionThread& self) {
        while (!self.Terminated()) {
            ++rounds;
            Sleep(1);
        }
        self.SetReturnValue(42);
    });
    t.Resume();
    while (rounds < 3) Sleep(1);
    t.Terminate();
    EXPECT_EQ(t.WaitFor(), 42u);
    const int after = rounds;
    Sleep(20);
    EXPECT_EQ(rounds, after);
}

TEST(Thread, CreatedSuspendedRunsOnlyAfterResume)
{
    Watchdog dog;
    std::atomic<bool> ran{false};
    FunctionThread t([&](FunctionThread&) { ran = true; });
    EXPECT_TRUE(t.Suspended());
    Sleep(50);
    EXPECT_FALSE(ran);
    t.Resume();
    EXPECT_FALSE(t.Suspended());
    t.WaitFor();
    EXPECT_TRUE(ran);
}

TEST(Thread, SuspendAndResumeARunningThread)
{
    Watchdog dog;
    std::atomic<int> rounds{0};
    FunctionThread t([&](FunctionThread& self) {
        while (!self.Terminated()) {
            ++rounds;
            Sleep(1);
        }
    });
    t.Resume();
    while (rounds == 0) Sleep(1);
    t.Suspend();
    EXPECT_TRUE(t.Suspended());
    const int held = rounds;
    Sleep(50);
    EXPECT_LE(rounds, held + 1);  // one round may have been under way
    t.Resume();
    EXPECT_FALSE(t.Suspended());
    const int resumed = rounds;
    while (rounds == resumed) Sleep(1);
    t.Terminate();
    t.WaitFor();
}

// Fields set by the derived constructor after the base has made the system thread.
class LateFieldsThread : public TThread {
public:
    LateFieldsThread() : TThread(false)
    {
        Sleep(50);  // a thread started by the base constructor would run Execute before this returns
        value_ = 1234;
    }
    ~LateFieldsThread() override { WaitFor(); }
    int seen = 0;

protected:
    void Execute() override { seen = value_; }

private:
    int value_ = 0;
};

TEST(Thread, ThreadCreatedRunningWaitsForItsConstructorsToEnd)
{
    Watchdog dog;
    LateFieldsThread t;
    EXPECT_FALSE(t.Suspended());
    t.WaitFor();
    EXPECT_EQ(t.seen, 1234);
}

TEST(Thread, ThreadCreatedRunningStartsWhenTheMainThreadServesCalls)
{
    Watchdog dog;
    std::atomic<bool> ran{false};
    FunctionThread t([&](FunctionThread&) { ran = true; }, false);
    EXPECT_FALSE(t.Suspended());
    Sleep(50);
    EXPECT_FALSE(ran);
    while (!ran) {
        Application->ProcessMessages();
        Sleep(1);
    }
    t.WaitFor();
}

namespace flags {
std::atomic<bool> executed{false};
std::atomic<bool> stopped{false};
}  // namespace flags

// Uses nothing of its own, so the base destructor may stop it.
class LoopUntilTerminated : public TThread {
public:
    LoopUntilTerminated() : TThread(true) {}

protected:
    void Execute() override
    {
        flags::executed = true;
        while (!Terminated()) Sleep(1);
        flags::stopped = true;
    }
};

TEST(Thread, DestroyingARunningThreadTerminatesAndWaitsForIt)
{
    Watchdog dog;
    flags::executed = flags::stopped = false;
    auto t = std::make_unique<LoopUntilTerminated>();
    t->Resume();
    while (!flags::executed) Sleep(1);
    t->Suspend();
    t.reset();  // suspended and looping: must be resumed, terminated and waited for
    EXPECT_TRUE(flags::stopped);
}

TEST(Thread, DestroyingAThreadThatNeverRanDoesNotRunExecute)
{
    Watchdog dog;
    flags::executed = false;
    auto t = std::make_unique<LoopUntilTerminated>();
    t.reset();
    Sleep(20);
    EXPECT_FALSE(flags::executed);
}

class SelfFreeing : public TThread {
public:
    SelfFreeing(HANDLE gone, DWORD* freedOn) : TThread(true), gone_(gone), freedOn_(freedOn)
    {
        SetFreeOnTerminate(true);
    }
    ~SelfFreeing() override
    {
        *freedOn_ = GetCurrentThreadId();
        SetEvent(gone_);
    }

protected:
    void Execute() override {}

private:
    HANDLE gone_;
    DWORD* freedOn_;
};

TEST(Thread, FreeOnTerminateDeletesTheObjectOnItsOwnThread)
{
    Watchdog dog;
    KernelHandle gone(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    DWORD freedOn = 0;
    auto* t = new SelfFreeing(gone.get(), &freedOn);  // owns itself from Resume on
    const DWORD id = t->ThreadID();
    EXPECT_TRUE(t->FreeOnTerminate());
    t->Resume();
    ASSERT_EQ(WaitForSingleObject(gone.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(freedOn, id);
}

TEST(Thread, OnTerminateRunsOnTheMainThreadAfterExecute)
{
    Watchdog dog;
    std::vector<std::string> order;
    DWORD ranOn = 0;
    TObject* sender = nullptr;
    FunctionThread t([&](FunctionThread&) { order.push_back("execute"); });
    t.SetOnTerminate(TNotifyEvent::From([&](TObject* s) {
        order.push_back("terminate");
        ranOn = GetCurrentThreadId();
        sender = s;
    }));
    t.Resume();
    t.WaitFor();
    EXPECT_EQ(order, (std::vector<std::string>{"execute", "terminate"}));
    EXPECT_EQ(ranOn, MainThreadID);
    EXPECT_EQ(sender, &t);
}

TEST(Thread, PriorityMapsToTheSystemsThreadPriority)
{
    FunctionThread t([](FunctionThread&) {});
    EXPECT_EQ(t.Priority(), tpNormal);
    const struct {
        TThreadPriority priority;
        int system;
    } cases[] = {{tpIdle, THREAD_PRIORITY_IDLE},          {tpLowest, THREAD_PRIORITY_LOWEST},
                 {tpLower, THREAD_PRIORITY_BELOW_NORMAL}, {tpHigher, THREAD_PRIORITY_ABOVE_NORMAL},
                 {tpHighest, THREAD_PRIORITY_HIGHEST},    {tpTimeCritical, THREAD_PRIORITY_TIME_CRITICAL},
                 {tpNormal, THREAD_PRIORITY_NORMAL}};
    for (const auto& c : cases) {
        t.SetPriority(c.priority);
        EXPECT_EQ(GetThreadPriority(t.Handle()), c.system) << c.priority;
        EXPECT_EQ(t.Priority(), c.priority);
    }
}

TEST(Thread, AThreadCannotWaitForItself)
{
    Watchdog dog;
    bool raised = false;
    FunctionThread t([&](FunctionThread& self) {
        try {
            self.WaitFor();
        } catch (const EThread&) {
            raised = true;
        }
    });
    t.Resume();
    t.WaitFor();
    EXPECT_TRUE(raised);
}

TEST(Thread, WorkerWaitingForAnotherWorkerDoesNotServeCalls)
{
    Watchdog dog;
    DWORD ranOn = 0;
    FunctionThread inner([&](FunctionThread& self) { self.Synchronize(Call([&] { ranOn = GetCurrentThreadId(); })); });
    FunctionThread outer([&](FunctionThread&) {
        inner.Resume();
        inner.WaitFor();
    });
    outer.Resume();
    outer.WaitFor();  // the main thread serves inner's call while outer waits for inner
    EXPECT_EQ(ranOn, MainThreadID);
}

}  // namespace
