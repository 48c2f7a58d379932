// The serial engine's private heaps and its queues: the write requests that the writer thread takes off one by
// one, and the numbered status texts that the reader thread hands on.

#include "link/SerialPort.h"

#include <cstdio>

struct KvSerialPort::StatusItem {
    StatusItem* next;
    char text[1];
};

namespace {

// Numbers every status text of the process.
LONG statusNumber = 0;

DWORD HeapInitialSize()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return 2 * info.dwPageSize;
}

}  // namespace

// clang-format off
const KvSerialPort::HeapTexts KvSerialPort::DataHeapTexts{
    "CreateDataHeap (Data Heap)", "DestroyDataHeap (data heap)", "AllocDataItem (Data block)",
    "FreeDataItem/HeapFree"};
const KvSerialPort::HeapTexts KvSerialPort::WriterHeapTexts{
    "CreateWriterHeap (write request heap)", "DestroyWriterHeap (write request heap)", "AllocWriterItem (Data block)",
    "FreeWriterItem/HeapFree"};
const KvSerialPort::HeapTexts KvSerialPort::StatusHeapTexts{
    "HeapCreate (status heap)", "DestroyStatusHeap (status heap)", "AllocStatusItem (Status block)",
    "FreeStatusItem (Status block)"};
// clang-format on

// ---------------------------------------------------------------------------------------------------------------
// One private heap

bool KvSerialPort::PrivateHeap::Create()
{
    if (handle_) return true;
    handle_.reset(HeapCreate(0, HeapInitialSize(), 0));
    if (!handle_) {
        owner_.ReportError(texts_.create);
        return false;
    }
    return true;
}

void KvSerialPort::PrivateHeap::Destroy()
{
    if (handle_ && !HeapDestroy(handle_.release())) owner_.ReportError(texts_.destroy);
}

void* KvSerialPort::PrivateHeap::Alloc(SIZE_T size, DWORD flags)
{
    if (!handle_) return nullptr;
    void* item = HeapAlloc(handle_.get(), flags, size);
    if (!item) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // HeapAlloc leaves the last error alone
        owner_.ReportError(texts_.alloc);
    }
    return item;
}

bool KvSerialPort::PrivateHeap::Free(void* item, const char* failure)
{
    if (!item || !handle_) return true;
    if (!HeapFree(handle_.get(), 0, item)) {
        owner_.ReportError(failure ? failure : texts_.free);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// The engine's heaps

bool KvSerialPort::CreateDataHeap()
{
    ScopedLock lock(dataHeapLock_);
    return dataHeap_.Create();
}

void KvSerialPort::DestroyDataHeap()
{
    ScopedLock dispatch(dispatchLock_);
    ScopedLock list(writerListLock_);
    ScopedLock lock(dataHeapLock_);
    if (!dataHeap_) return;
    // Requests still queued or current go with the payloads they point into.
    ReleaseQueue(true);
    dataHeap_.Destroy();
}

void* KvSerialPort::AllocDataItem(DWORD size, DWORD flags)
{
    ScopedLock lock(dataHeapLock_);
    if (!dataHeap_.Create()) return nullptr;
    return dataHeap_.Alloc(size, flags);
}

bool KvSerialPort::FreeDataItem(HANDLE heap, void* item)
{
    if (!item) return true;
    ScopedLock lock(dataHeapLock_);
    if (!heap || heap != dataHeap_.get()) return false;  // that heap is gone, and the item with it
    return dataHeap_.Free(item);
}

bool KvSerialPort::CreateWriterHeap()
{
    ScopedLock lock(writerListLock_);
    return writerHeap_.Create();
}

void KvSerialPort::DestroyWriterHeap()
{
    ScopedLock lock(writerListLock_);
    writerHeap_.Destroy();
    ResetQueue();
}

KvWriteRequest* KvSerialPort::AllocWriterItem(DWORD flags)
{
    ScopedLock lock(writerListLock_);
    if (!writerHeap_.Create()) return nullptr;
    return static_cast<KvWriteRequest*>(writerHeap_.Alloc(sizeof(KvWriteRequest), flags | HEAP_ZERO_MEMORY));
}

bool KvSerialPort::CreateStatusHeap()
{
    if (!statusHeap_.Create()) return false;
    statusHead_ = AllocStatusItem(0, HEAP_ZERO_MEMORY);
    statusTail_ = statusHead_;
    return statusHead_ != nullptr;
}

void KvSerialPort::DestroyStatusHeap()
{
    ScopedLock lock(statusLock_);
    statusHeap_.Destroy();
    statusHead_ = statusTail_ = nullptr;
}

KvSerialPort::StatusItem* KvSerialPort::AllocStatusItem(DWORD size, DWORD flags)
{
    return static_cast<StatusItem*>(statusHeap_.Alloc(size + 9, flags));
}

bool KvSerialPort::FreeStatusItem(StatusItem* item) { return statusHeap_.Free(item); }

// ---------------------------------------------------------------------------------------------------------------
// Releasing the queue

void KvSerialPort::ResetQueue()
{
    queueHead_.next = &queueTail_;
    queueTail_.prev = &queueHead_;
    current_ = nullptr;
}

void KvSerialPort::ReleaseQueue(bool payloadsGone)
{
    KvWriteRequest* r = queueHead_.next;
    while (r && r != &queueTail_) {
        KvWriteRequest* next = r->next;
        if (payloadsGone) r->payload = nullptr;
        ReleaseRequest(r);
        r = next;
    }
    if (current_ && payloadsGone) current_->payload = nullptr;
    ReleaseRequest(current_);
    ResetQueue();
}

void KvSerialPort::ReleaseRequests()
{
    ScopedLock dispatch(dispatchLock_);
    ScopedLock list(writerListLock_);
    if (outstanding_ == 0) {
        DestroyDataHeap();
        DestroyWriterHeap();
        return;
    }
    // Another thread holds a request it has not queued yet: the heaps stay until it is back, and only
    // what the queue held goes.
    ReleaseQueue(false);
}

bool KvSerialPort::ReleaseRequest(KvWriteRequest* request)
{
    if (!request) return true;
    ScopedLock lock(writerListLock_);
    bool ok = true;
    if (request->payload) {
        ok = FreeDataItem(request->payloadHeap, request->payload);
        request->payload = nullptr;
    }
    if (!writerHeap_.Free(request)) ok = false;
    return ok;
}

bool KvSerialPort::FreeWriterItem(KvWriteRequest** request)
{
    if (!request || !*request) return true;
    // Under the list lock (it may be held already): the count of requests out with callers decides whether
    // a close may destroy the heaps.
    ScopedLock lock(writerListLock_);
    KvWriteRequest* r = *request;
    *request = nullptr;
    if (outstanding_ > 0) --outstanding_;
    return ReleaseRequest(r);
}

// ---------------------------------------------------------------------------------------------------------------
// Write requests

KvWriteRequest* KvSerialPort::NewWriteRequest(BYTE type, DWORD size)
{
    if (size == 0) return nullptr;
    // Made and counted under the list lock, so a close on another thread sees it and keeps the heaps.
    ScopedLock list(writerListLock_);
    KvWriteRequest* request = AllocWriterItem(0);
    if (!request) return nullptr;
    void* payload;
    HANDLE heap;
    {
        ScopedLock lock(dataHeapLock_);
        payload = AllocDataItem(size, 0);
        heap = dataHeap_.get();
    }
    if (!payload) {
        ReleaseRequest(request);
        return nullptr;
    }
    request->type = type;
    request->length = size;
    request->payload = static_cast<BYTE*>(payload);
    request->payloadHeap = heap;
    ++outstanding_;
    return request;
}

bool KvSerialPort::QueueWriteRequest(KvWriteRequest* request)
{
    return NodePushBack(request);
}

bool KvSerialPort::NodePushBack(KvWriteRequest* request)
{
    if (!request) return false;
    bool wasEmpty;
    {
        // Tested and linked under the lock that close takes, so a closing queue never gets a request.
        ScopedLock lock(writerListLock_);
        if (!connected_) {
            FreeWriterItem(&request);
            return false;
        }
        if (outstanding_ > 0) --outstanding_;  // the queue owns it now
        wasEmpty = queueHead_.next == &queueTail_;
        request->next = &queueTail_;
        request->prev = queueTail_.prev;
        queueTail_.prev->next = request;
        queueTail_.prev = request;
    }
    // In stream mode the writer looks at the queue again after every request it takes off, so only a
    // request that finds the queue empty needs to wake it; that saves a kernel call per request while
    // frames stream. A paced writer may have stopped with requests queued: it is always told.
    if ((wasEmpty || !streamMode_) && !SetEvent(eventAddNode_.get())) {
        ReportFatal("NodePushBack/SetEvent(ghEventAddNode)");
        return false;
    }
    return true;
}

bool KvSerialPort::DispatchWriteRequests(bool mayGo)
{
    ScopedLock dispatch(dispatchLock_);
    for (;;) {
        KvWriteRequest* request;
        {
            ScopedLock lock(writerListLock_);
            request = queueHead_.next;
            if (!request || request == &queueTail_) break;
        }

        const BYTE type = request->type;
        const bool paced = !streamMode_ && (type == KvRequestCharacter || type == KvRequestData ||
                                            type == KvRequestTransferComplete || type == KvRequestDataBlock);
        if (paced) {
            if (!mayGo) return false;
            mayGo = false;
        }
        switch (type) {
        case KvRequestCharacter:
            WriterGeneric(&request->character, 1);
            break;
        case KvRequestFileStart:
            UpdateStatus("FileStart...");
            break;
        case KvRequestData:
        case KvRequestDataBlock:
            if (!streamMode_) SetReadRequest(request->replyByteCount, &request->timeouts, request->purge != 0);
            if (request->payload && request->length > 0) WriterGeneric(request->payload, request->length);
            break;
        case KvRequestTransferComplete:
            UpdateStatus("Transfer Complete");
            if (!SetEvent(eventTransferComplete_.get())) ReportError("SetEvent (transfer complete event)");
            break;
        case KvRequestFlushQueue: {
            ScopedLock lock(writerListLock_);
            KvWriteRequest* r = request->next;
            while (r && r != &queueTail_) {
                KvWriteRequest* next = r->next;
                request->next = next;
                next->prev = request;
                FreeDataItem(r->payloadHeap, r->payload);
                if (!writerHeap_.Free(r, "HeapFree (Writer heap)")) break;
                r = next;
            }
            SetEvent(eventTransferComplete_.get());
            break;
        }
        default:
            SetLastError(ERROR_INVALID_DATA);
            ReportError("Bad write request");
            break;
        }

        KvWriteRequest* previous;
        {
            ScopedLock lock(writerListLock_);
            request->prev->next = request->next;
            request->next->prev = request->prev;
            request->next = request->prev = nullptr;
            previous = current_;
            current_ = request;
            ReleaseRequest(previous);
        }
        if (ThreadExitSignalled()) break;
    }
    return mayGo;
}

// ---------------------------------------------------------------------------------------------------------------
// Status texts

void KvSerialPort::UpdateStatus(const char* text)
{
    if (!text || !*text) return;
    const LONG number = InterlockedIncrement(&statusNumber);
    const int length = snprintf(nullptr, 0, "%d:%s\r\n", int(number), text);
    if (length < 0) return;
    ScopedLock lock(statusLock_);
    StatusItem* item = AllocStatusItem(DWORD(length), 0);
    if (!item) return;
    snprintf(item->text, size_t(length) + 1, "%d:%s\r\n", int(number), text);
    item->next = nullptr;
    if (!statusTail_) {
        FreeStatusItem(item);
        return;
    }
    statusTail_->next = item;
    statusTail_ = item;
    SetEvent(eventStatusMessage_.get());
}

void KvSerialPort::DeliverStatusMessages()
{
    while (!ThreadExitSignalled()) {
        StatusItem* item;
        {
            ScopedLock lock(statusLock_);
            if (!statusHead_ || !statusHead_->next) return;
            item = statusHead_->next;
        }
        OnStatus(item->text);
        ScopedLock lock(statusLock_);
        StatusItem* old = statusHead_;
        statusHead_ = item;
        FreeStatusItem(old);
    }
}
