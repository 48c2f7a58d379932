#pragma once
// Synchronisation objects: kernel events, critical sections and the multi-reader/single-writer lock.

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Handles.h"

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// A Win32 event. Objects made with the same name refer to one kernel event; an empty name makes a private one.
// Raises EOSError when the event cannot be made (for instance when another kind of object holds the name).
class TEvent {
public:
    TEvent(LPSECURITY_ATTRIBUTES eventAttributes, bool manualReset, bool initialState, const AnsiString& name);
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void SetEvent();
    void ResetEvent();
    // wrError keeps the system's error code in LastError().
    TWaitResult WaitFor(DWORD timeout = INFINITE);

    HANDLE Handle() const { return handle_.get(); }
    DWORD LastError() const { return lastError_; }

private:
    KernelHandle handle_;  // owned
    DWORD lastError_ = 0;
};

class TCriticalSection {
public:
    TCriticalSection() { InitializeCriticalSection(&section_); }
    ~TCriticalSection() { DeleteCriticalSection(&section_); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Acquire() { EnterCriticalSection(&section_); }
    void Release() { LeaveCriticalSection(&section_); }
    void Enter() { Acquire(); }
    void Leave() { Release(); }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section for a scope.
class ScopedLock {
public:
    explicit ScopedLock(TCriticalSection& section) : section_(section) { section_.Acquire(); }
    ~ScopedLock() { section_.Release(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    TCriticalSection& section_;
};

// Many readers or one writer. Re-entrant per thread:
// - a reader may read again, even while a writer waits (it would otherwise wait for itself);
// - the writer may write again and may read;
// - a reader asking to write waits until the other readers have left and then writes; its reads stay in force,
//   so no other writer comes in between. If two readers ask to write at the same time, each one's reads stop
//   counting against the other while both wait, so they write one after the other instead of deadlocking; the
//   second then sees what the first wrote.
// Waiting writers go before new readers. An End without its Begin is ignored.
class TMultiReadExclusiveWriteSynchronizer {
public:
    TMultiReadExclusiveWriteSynchronizer() = default;
    TMultiReadExclusiveWriteSynchronizer(const TMultiReadExclusiveWriteSynchronizer&) = delete;
    TMultiReadExclusiveWriteSynchronizer& operator=(const TMultiReadExclusiveWriteSynchronizer&) = delete;

    void BeginRead();
    void EndRead();
    void BeginWrite();
    void EndWrite();

protected:
    // The state under mutex_ (a test's subclass reads it to see who waits).
    struct Reader {
        DWORD thread;
        int depth;
        bool upgrading;  // waiting in BeginWrite while holding reads
    };

    Reader* FindReader(DWORD thread);
    bool OthersBlockWrite(DWORD thread) const;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Reader> readers_;  // threads holding reads, with their depth
    DWORD writer_ = 0;             // thread holding the write lock, 0 = none
    int writeDepth_ = 0;
    int waitingWriters_ = 0;       // all threads waiting in BeginWrite
    int waitingUpgrades_ = 0;      // those of them that hold reads
};

// Holds the lock for reading (or writing) for a scope.
class ScopedReadLock {
public:
    explicit ScopedReadLock(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) { lock_.BeginRead(); }
    ~ScopedReadLock() { lock_.EndRead(); }
    ScopedReadLock(const ScopedReadLock&) = delete;
    ScopedReadLock& operator=(const ScopedReadLock&) = delete;

private:
    TMultiReadExclusiveWriteSynchronizer& lock_;
};

class ScopedWriteLock {
public:
    explicit ScopedWriteLock(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) { lock_.BeginWrite(); }
    ~ScopedWriteLock() { lock_.EndWrite(); }
    ScopedWriteLock(const ScopedWriteLock&) = delete;
    ScopedWriteLock& operator=(const ScopedWriteLock&) = delete;

private:
    TMultiReadExclusiveWriteSynchronizer& lock_;
};
