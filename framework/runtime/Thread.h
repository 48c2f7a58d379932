#pragma once
// Worker threads, and the calls they hand to the main thread (Synchronize).
//
// A synchronised call is queued for the main thread, which runs it from CheckSynchronize: the application's
// message loop does so when the wake-up hook posts to its window, and TThread::WaitFor on the main thread does so
// while it waits. The worker blocks until the call has run; an exception raised by the call is raised again in
// the worker.

#include <windows.h>

#include <atomic>
#include <exception>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/runtime/Handles.h"

// The thread that ran the program's start-up: the one that serves synchronised calls.
extern DWORD MainThreadID;

// Runs the queued synchronised calls (and starts the threads waiting to start, see TThread). Only the main thread
// serves them; elsewhere this does nothing. True when something ran.
bool CheckSynchronize();

// Signalled while synchronised calls are queued, so a main-thread wait can include it.
HANDLE SyncEvent();

// Called after a call has been queued, to wake a main thread sleeping in its message loop (the application
// posts a message to its window). Null: only the sync event is signalled.
extern std::atomic<void (*)()> WakeMainThread;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TThreadMethod = Closure<void()>;

class TThread : public TObject {
public:
    // A thread made running starts at the first of: the main thread serving synchronised calls (its message loop,
    // ProcessMessages, a WaitFor), Resume, or WaitFor on it. C++ has no hook after the derived constructor, and
    // Execute must not run on a half-built object.
    explicit TThread(bool createSuspended);
    // A thread still running is terminated, resumed if suspended, and waited for. Its derived part is already
    // gone by then, so a derived class whose Execute uses its own members stops the thread in its own destructor.
    // A thread that never ran does not run Execute at all.
    ~TThread() override;

    void Resume();
    // Asynchronous, as SuspendThread is: the thread stops wherever it is.
    void Suspend();
    bool Suspended() const { return suspended_; }

    // Asks Execute to end: it reads Terminated().
    void Terminate() { terminated_ = true; }

    // Waits until the thread has ended and returns its exit code (ReturnValue). On the main thread it keeps
    // serving synchronised calls and sent messages meanwhile. Raises EThread when a thread waits for itself.
    // A thread that is suspended is not resumed here.
    DWORD WaitFor();

    // The thread deletes itself once Execute and OnTerminate are done; it must then not be waited for or touched.
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority value);

    HANDLE Handle() const { return handle_.get(); }
    DWORD ThreadID() const { return threadId_; }

    // Runs on the main thread (through Synchronize) when Execute has ended.
    TNotifyEvent OnTerminate() const { return onTerminate_; }
    void SetOnTerminate(TNotifyEvent value) { onTerminate_ = value; }

    // The exception that ended Execute, kept here instead of crossing the thread procedure; null when none.
    std::exception_ptr FatalException() const { return fatalException_; }

protected:
    virtual void Execute() = 0;
    // Calls OnTerminate through Synchronize.
    virtual void DoTerminate();

    // From another thread: blocks until the main thread has run the method, and raises again what it raised.
    // On the main thread: runs it at once.
    void Synchronize(TThreadMethod method);

    bool Terminated() const { return terminated_; }
    int ReturnValue() const { return returnValue_; }
    void SetReturnValue(int value) { returnValue_ = value; }

private:
    static unsigned __stdcall ThreadProc(void* self);
    void CallOnTerminate();
    bool TakePendingStart();

    KernelHandle handle_;  // owned
    unsigned threadId_ = 0;
    std::atomic<bool> suspended_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<int> executeState_{0};  // not started, running Execute, or cancelled by the destructor
    std::atomic<int> returnValue_{0};
    TNotifyEvent onTerminate_;
    std::exception_ptr fatalException_;  // written by the thread before it ends, read after
};
