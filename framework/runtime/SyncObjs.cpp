#include "framework/runtime/SyncObjs.h"

#include <algorithm>

#include "framework/runtime/Exceptions.h"

TEvent::TEvent(LPSECURITY_ATTRIBUTES eventAttributes, bool manualReset, bool initialState, const AnsiString& name)
    : handle_(CreateEventA(eventAttributes, manualReset, initialState, name.IsEmpty() ? nullptr : name.c_str()))
{
    if (!handle_) RaiseLastOSError();
}

void TEvent::SetEvent()
{
    ::SetEvent(handle_.get());
}

void TEvent::ResetEvent()
{
    ::ResetEvent(handle_.get());
}

TWaitResult TEvent::WaitFor(DWORD timeout)
{
    switch (WaitForSingleObject(handle_.get(), timeout)) {
    case WAIT_OBJECT_0:
        return wrSignaled;
    case WAIT_TIMEOUT:
        return wrTimeout;
    case WAIT_ABANDONED:
        return wrAbandoned;
    default:
        lastError_ = GetLastError();
        return wrError;
    }
}

// ---------------------------------------------------------------------------------------------------------------

TMultiReadExclusiveWriteSynchronizer::Reader* TMultiReadExclusiveWriteSynchronizer::FindReader(DWORD thread)
{
    auto it = std::find_if(readers_.begin(), readers_.end(), [thread](const Reader& r) { return r.thread == thread; });
    return it == readers_.end() ? nullptr : &*it;
}

bool TMultiReadExclusiveWriteSynchronizer::OthersBlockWrite(DWORD thread) const
{
    return std::any_of(readers_.begin(), readers_.end(),
                       [thread](const Reader& r) { return r.thread != thread && !r.upgrading; });
}

void TMultiReadExclusiveWriteSynchronizer::BeginRead()
{
    const DWORD self = GetCurrentThreadId();
    std::unique_lock<std::mutex> lock(mutex_);
    if (Reader* r = FindReader(self)) {
        ++r->depth;
        return;
    }
    if (writer_ != self) changed_.wait(lock, [this] { return writer_ == 0 && waitingWriters_ == 0; });
    readers_.push_back({self, 1, false});
}

void TMultiReadExclusiveWriteSynchronizer::EndRead()
{
    const DWORD self = GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(mutex_);
    Reader* r = FindReader(self);
    if (!r) return;
    if (--r->depth == 0) {
        readers_.erase(readers_.begin() + (r - readers_.data()));
        changed_.notify_all();
    }
}

void TMultiReadExclusiveWriteSynchronizer::BeginWrite()
{
    const DWORD self = GetCurrentThreadId();
    std::unique_lock<std::mutex> lock(mutex_);
    if (writer_ == self) {
        ++writeDepth_;
        return;
    }
    ++waitingWriters_;
    const bool upgrade = FindReader(self) != nullptr;
    if (upgrade) {
        FindReader(self)->upgrading = true;
        ++waitingUpgrades_;
        changed_.notify_all();  // another upgrader may now stop waiting for this thread's reads
    }
    // A plain writer lets pending upgrades go first: they already hold reads and cannot let go of them.
    changed_.wait(lock, [&] {
        return writer_ == 0 && !OthersBlockWrite(self) && (upgrade || waitingUpgrades_ == 0);
    });
    --waitingWriters_;
    if (upgrade) {
        FindReader(self)->upgrading = false;
        --waitingUpgrades_;
    }
    writer_ = self;
    writeDepth_ = 1;
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite()
{
    const DWORD self = GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(mutex_);
    if (writer_ != self) return;
    if (--writeDepth_ == 0) {
        writer_ = 0;
        changed_.notify_all();
    }
}
