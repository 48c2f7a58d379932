#include "framework/runtime/Thread.h"

#include <process.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"

DWORD MainThreadID = 0;
std::atomic<void (*)()> WakeMainThread{nullptr};

namespace {

// Taken before any other start-up code of the program runs, so everyone sees the same main thread.
struct MainThreadCapture {
    MainThreadCapture() { MainThreadID = GetCurrentThreadId(); }
} mainThreadCapture __attribute__((init_priority(101)));

// One synchronised call; it lives on the stack of the worker, which waits until `done` is set.
struct SyncRequest {
    TThreadMethod method;
    std::exception_ptr error;
    KernelHandle done;
};

struct SyncState {
    std::mutex mutex;
    std::deque<SyncRequest*> calls;        // queued by workers, run by the main thread
    std::vector<TThread*> pendingStarts;   // threads made running that wait for their start
    KernelHandle event{CreateEventA(nullptr, TRUE, FALSE, nullptr)};  // set while either list is not empty
};

SyncState& State()
{
    static SyncState state;
    return state;
}

void Wake()
{
    if (auto wake = WakeMainThread.load()) wake();
}

AnsiString SystemErrorText(DWORD code)
{
    return SystemMessageText(code).TrimRight() + " (" + AnsiString(unsigned(code)) + ")";
}

[[noreturn]] void RaiseThreadError(const char* step)
{
    throw EThread(AnsiString("Thread error: ") + step + ": " + SystemErrorText(GetLastError()));
}

// Execute's state: whoever moves it away from NotStarted decides whether Execute runs.
enum : int { NotStarted = 0, Running = 1, Cancelled = 2 };

}  // namespace

HANDLE SyncEvent()
{
    return State().event.get();
}

bool CheckSynchronize()
{
    if (GetCurrentThreadId() != MainThreadID) return false;
    SyncState& s = State();
    bool ran = false;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        for (TThread* t : s.pendingStarts) ResumeThread(t->Handle());
        ran = !s.pendingStarts.empty();
        s.pendingStarts.clear();
        if (s.calls.empty()) ResetEvent(s.event.get());
    }
    for (;;) {
        SyncRequest* call;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (s.calls.empty()) break;
            call = s.calls.front();
            s.calls.pop_front();
            if (s.calls.empty() && s.pendingStarts.empty()) ResetEvent(s.event.get());
        }
        // A call may pump messages (a message box) and so serve later calls from inside; each is taken once.
        try {
            call->method();
        } catch (...) {
            call->error = std::current_exception();
        }
        SetEvent(call->done.get());  // the worker may free `call` from here on
        ran = true;
    }
    return ran;
}

// ---------------------------------------------------------------------------------------------------------------

TThread::TThread(bool createSuspended)
{
    handle_.reset(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &threadId_)));
    if (!handle_) RaiseThreadError("creating the thread");
    suspended_ = createSuspended;
    if (!createSuspended) {
        SyncState& s = State();
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            s.pendingStarts.push_back(this);
            SetEvent(s.event.get());
        }
        Wake();
    }
}

TThread::~TThread()
{
    if (!handle_ || threadId_ == GetCurrentThreadId()) return;  // freed by itself as it ended
    if (WaitForSingleObject(handle_.get(), 0) != WAIT_TIMEOUT) return;
    Terminate();
    int expected = NotStarted;
    executeState_.compare_exchange_strong(expected, Cancelled);
    if (!TakePendingStart()) {
        DWORD previous;
        do previous = ResumeThread(handle_.get());
        while (previous != DWORD(-1) && previous > 1);
    }
    suspended_ = false;
    try {
        WaitFor();
    } catch (...) {
        WaitForSingleObject(handle_.get(), INFINITE);
    }
}

bool TThread::TakePendingStart()
{
    SyncState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = std::find(s.pendingStarts.begin(), s.pendingStarts.end(), this);
    if (it == s.pendingStarts.end()) return false;
    s.pendingStarts.erase(it);
    ResumeThread(handle_.get());
    return true;
}

unsigned __stdcall TThread::ThreadProc(void* p)
{
    TThread* self = static_cast<TThread*>(p);
    int expected = NotStarted;
    const bool run = self->executeState_.compare_exchange_strong(expected, Running);
    if (run) {
        try {
            self->Execute();
        } catch (...) {
            self->fatalException_ = std::current_exception();
        }
    }
    const bool freeIt = self->freeOnTerminate_;
    const unsigned result = unsigned(self->returnValue_.load());
    if (run) {
        try {
            self->DoTerminate();
        } catch (...) {
            if (!self->fatalException_) self->fatalException_ = std::current_exception();
        }
    }
    if (freeIt) delete self;
    return result;
}

void TThread::DoTerminate()
{
    if (onTerminate_) Synchronize(TThreadMethod(this, &TThread::CallOnTerminate));
}

void TThread::CallOnTerminate()
{
    if (onTerminate_) onTerminate_(this);
}

void TThread::Resume()
{
    if (TakePendingStart()) return;
    const DWORD previous = ResumeThread(handle_.get());
    if (previous == DWORD(-1)) RaiseThreadError("resuming");
    if (previous <= 1) suspended_ = false;
}

void TThread::Suspend()
{
    SyncState& s = State();
    {
        // A thread that has not started yet is already held by the system: it just stops waiting for its start.
        std::lock_guard<std::mutex> lock(s.mutex);
        auto it = std::find(s.pendingStarts.begin(), s.pendingStarts.end(), this);
        if (it != s.pendingStarts.end()) {
            s.pendingStarts.erase(it);
            suspended_ = true;
            return;
        }
    }
    suspended_ = true;
    if (SuspendThread(handle_.get()) == DWORD(-1)) RaiseThreadError("suspending");
}

DWORD TThread::WaitFor()
{
    if (GetCurrentThreadId() == threadId_) throw EThread("Thread error: a thread cannot wait for itself");
    TakePendingStart();
    HANDLE thread = handle_.get();
    if (GetCurrentThreadId() == MainThreadID) {
        const HANDLE waits[2] = {thread, SyncEvent()};
        for (;;) {
            const DWORD r = MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_SENDMESSAGE);
            if (r == WAIT_OBJECT_0) break;
            if (r == WAIT_OBJECT_0 + 1) {
                CheckSynchronize();
            } else if (r == WAIT_OBJECT_0 + 2) {
                // Lets messages sent from other threads through, so a worker in SendMessage is not stuck.
                MSG msg;
                PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
            } else {
                RaiseThreadError("waiting");
            }
        }
    } else if (WaitForSingleObject(thread, INFINITE) == WAIT_FAILED) {
        RaiseThreadError("waiting");
    }
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    return code;
}

void TThread::Synchronize(TThreadMethod method)
{
    if (GetCurrentThreadId() == MainThreadID) {
        if (method) method();
        return;
    }
    SyncRequest call{method, nullptr, KernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr))};
    if (!call.done) RaiseThreadError("synchronising");
    SyncState& s = State();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.calls.push_back(&call);
        SetEvent(s.event.get());
    }
    Wake();
    WaitForSingleObject(call.done.get(), INFINITE);
    if (call.error) std::rethrow_exception(call.error);
}

namespace {
struct PriorityMap {
    TThreadPriority priority;
    int system;
};
constexpr PriorityMap Priorities[] = {
    {tpIdle, THREAD_PRIORITY_IDLE},          {tpLowest, THREAD_PRIORITY_LOWEST},
    {tpLower, THREAD_PRIORITY_BELOW_NORMAL}, {tpNormal, THREAD_PRIORITY_NORMAL},
    {tpHigher, THREAD_PRIORITY_ABOVE_NORMAL}, {tpHighest, THREAD_PRIORITY_HIGHEST},
    {tpTimeCritical, THREAD_PRIORITY_TIME_CRITICAL},
};
}  // namespace

TThreadPriority TThread::Priority() const
{
    const int system = GetThreadPriority(handle_.get());
    for (const PriorityMap& p : Priorities)
        if (p.system == system) return p.priority;
    return tpNormal;
}

void TThread::SetPriority(TThreadPriority value)
{
    for (const PriorityMap& p : Priorities)
        if (p.priority == value) {
            if (!SetThreadPriority(handle_.get(), p.system)) RaiseThreadError("setting the priority");
            return;
        }
    throw EThread("Thread error: invalid priority");
}
