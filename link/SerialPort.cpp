#include "link/SerialPort.h"

#include <process.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/runtime/Classes.h"
#include "link/LineSettings.h"

struct KvSerialPort::StatusItem {
    StatusItem* next;
    char text[1];
};

namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kChunkSize = 358400;

// Numbers every status text of the process.
LONG g_statusNumber = 0;

DWORD HeapInitialSize()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return 2 * info.dwPageSize;
}

// Appends to a fixed buffer, never past its end.
void Append(char* buffer, size_t size, const char* text)
{
    const size_t used = strlen(buffer);
    if (used + 1 >= size) return;
    snprintf(buffer + used, size - used, "%s", text);
}

bool SameTimeouts(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b)
{
    return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
           a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
           a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
           a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
           a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

bool SameComStat(const COMSTAT& a, const COMSTAT& b)
{
    return a.fCtsHold == b.fCtsHold && a.fDsrHold == b.fDsrHold && a.fRlsdHold == b.fRlsdHold &&
           a.fXoffHold == b.fXoffHold && a.fXoffSent == b.fXoffSent && a.fEof == b.fEof && a.fTxim == b.fTxim &&
           a.cbInQue == b.cbInQue && a.cbOutQue == b.cbOutQue;
}

}  // namespace

struct KvSerialPort::ReaderState {
    KernelHandle readEvent;
    KernelHandle statusEvent;
    OVERLAPPED readOv{};
    OVERLAPPED statusOv{};
    bool readPending = false;
    bool statusPending = false;
    bool readWanted = false;
    bool maskSet = false;
    DWORD mask = 0;
    DWORD events = 0;
    DWORD requested = 0;
    std::vector<BYTE> buffer;
};

// ---------------------------------------------------------------------------------------------------------------
// Construction

KvSerialPort::KvSerialPort()
{
    queueHead_.next = &queueTail_;
    queueTail_.prev = &queueHead_;

    CreateEventChecked(eventStatusMessage_, FALSE, "CreateEvent (Status message event)");
    CreateEventChecked(eventThreadExit_, TRUE, "CreateEvent (Thread exit event)");
    CreateEventChecked(eventAddNode_, FALSE, "CreateEvent(ghEventAddNode)");
    CreateEventChecked(eventNextNode_, FALSE, "CreateEvent(ghEventNextNode)");
    CreateEventChecked(eventInitSync_, FALSE, "CreateEvent(ghEventInitSync)");
    CreateEventChecked(eventTransferComplete_, FALSE, "CreateEvent(ghEventTransferComplete)");
    CreateStatusHeap();
}

KvSerialPort::~KvSerialPort()
{
    KvSerialPort::CloseConnection();
    // A link thread that would not end still uses this object: it has to be gone before the object is. On the
    // heap, delete has handed such a link to a thread of its own, so only that thread waits here.
    if (threadsLive_) Teardown(INFINITE);
    // Requests made while closed may have made the heaps again.
    DestroyDataHeap();
    DestroyWriterHeap();
    FileClose();
    DestroyStatusHeap();
}

void* KvSerialPort::operator new(std::size_t size) { return ::operator new(size); }
void KvSerialPort::operator delete(void* memory) { ::operator delete(memory); }

void KvSerialPort::operator delete(KvSerialPort* port, std::destroying_delete_t)
{
    void* memory = dynamic_cast<void*>(port);
    if (port->threadsLive_ && !port->ThreadsEnded(0)) {
        if (port->connected_) port->CloseConnection();
        if (port->threadsLive_ && !port->ThreadsEnded(0)) {
            // Whoever deletes the link (the main thread, after a stop) must not hang on a thread that may never
            // come back. Without a thread to take it, the link is kept until the process ends.
            const uintptr_t reaper = _beginthreadex(nullptr, 0, ReaperEntry, port, 0, nullptr);
            if (reaper) CloseHandle(reinterpret_cast<HANDLE>(reaper));
            return;
        }
    }
    port->~KvSerialPort();
    ::operator delete(memory);
}

unsigned __stdcall KvSerialPort::ReaperEntry(void* self)
{
    auto* port = static_cast<KvSerialPort*>(self);
    port->ThreadsEnded(INFINITE);
    void* memory = dynamic_cast<void*>(port);
    port->~KvSerialPort();
    ::operator delete(memory);
    return 0;
}

bool KvSerialPort::ThreadsEnded(DWORD waitMs) const
{
    HANDLE threads[2];
    DWORD count = 0;
    if (writerThread_) threads[count++] = writerThread_.get();
    if (readerThread_) threads[count++] = readerThread_.get();
    return count == 0 || WaitForMultipleObjects(count, threads, TRUE, waitMs) < WAIT_OBJECT_0 + count;
}

bool KvSerialPort::CreateEventChecked(KernelHandle& event, BOOL manualReset, const char* operation)
{
    event.reset(CreateEventA(nullptr, manualReset, FALSE, nullptr));
    if (event) return true;
    ReportError(operation);
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Settings

bool KvSerialPort::SetPortName(const char* name)
{
    if (!name) name = "";
    const size_t length = strlen(name);
    if (length >= sizeof portName_) {
        // A cut name could open another device.
        portName_[0] = '\0';
        portNumber_ = 255;
        return false;
    }
    memcpy(portName_, name, length + 1);
    portNumber_ = PortNumberFromName(portName_);
    return true;
}

bool KvSerialPort::SetFromDCB(const DCB& dcb)
{
    baudRate_ = dcb.BaudRate;
    dataBits_ = dcb.ByteSize;
    parity_ = dcb.Parity;
    stopBits_ = dcb.StopBits;
    eventChar_ = (eventMask_ & EV_RXFLAG) ? BYTE(dcb.EvtChar) : BYTE(0);
    dtrControl_ = dcb.fDtrControl;
    rtsControl_ = dcb.fRtsControl;
    ctsOutFlow_ = dcb.fOutxCtsFlow;
    dsrOutFlow_ = dcb.fOutxDsrFlow;
    dsrSensitivity_ = dcb.fDsrSensitivity;
    outX_ = dcb.fOutX;
    inX_ = dcb.fInX;
    txContinueOnXoff_ = dcb.fTXContinueOnXoff;
    xonChar_ = BYTE(dcb.XonChar);
    xoffChar_ = BYTE(dcb.XoffChar);
    xonLimit_ = dcb.XonLim;
    xoffLimit_ = dcb.XoffLim;
    if (inX_) {
        if (xonLimit_ == 0 && xoffLimit_ == 0) {
            xoffLimit_ = ClampFlowLimit(inputQueueSize_ / 4);
            xonLimit_ = ClampFlowLimit(inputQueueSize_ / 2);
        }
    } else {
        xonLimit_ = 0;
        xoffLimit_ = 0;
    }
    return true;
}

bool KvSerialPort::GetDCB(DCB& dcb)
{
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof(DCB);
    bool ok = true;
    if (connected_ && port_) {
        if (!GetCommState(port_.get(), &dcb)) {
            ReportError("GetCommState");
            ok = false;
        }
        dcb.DCBlength = sizeof(DCB);
    }
    dcb.BaudRate = baudRate_;
    dcb.ByteSize = dataBits_;
    dcb.Parity = parity_;
    dcb.StopBits = stopBits_;
    dcb.EvtChar = char(eventChar_);
    dcb.fDtrControl = dtrControl_;
    dcb.fRtsControl = rtsControl_;
    dcb.fOutxCtsFlow = ctsOutFlow_;
    dcb.fOutxDsrFlow = dsrOutFlow_;
    dcb.fDsrSensitivity = dsrSensitivity_;
    dcb.fOutX = outX_;
    dcb.fInX = inX_;
    dcb.fTXContinueOnXoff = txContinueOnXoff_;
    // The port refuses equal XON and XOFF characters, even with XON/XOFF off.
    dcb.XonChar = char(xonChar_ == xoffChar_ ? 0x11 : xonChar_);
    dcb.XoffChar = char(xonChar_ == xoffChar_ ? 0x13 : xoffChar_);
    dcb.XonLim = xonLimit_;
    dcb.XoffLim = xoffLimit_;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    return ok;
}

bool KvSerialPort::UpdateConnection()
{
    DCB dcb;
    GetDCB(dcb);
    if (!SetCommState(port_.get(), &dcb)) {
        ReportError("SetCommState");
        return false;
    }
    COMMTIMEOUTS timeouts = GetTimeouts();
    if (!SetCommTimeouts(port_.get(), &timeouts)) {
        ReportError("SetCommTimeouts");
        return false;
    }
    return true;
}

bool KvSerialPort::LoadSettings()
{
    return false;
}

bool KvSerialPort::ReloadSettings()
{
    if (!LoadSettings()) return false;
    if (connected_) UpdateConnection();
    return true;
}

bool KvSerialPort::SetQueueSizes(DWORD inputSize, DWORD outputSize)
{
    if (!port_) return false;
    if (inputSize == inputQueueSize_ && outputSize == outputQueueSize_) return true;
    if (!SetupComm(port_.get(), inputSize, outputSize)) {
        ReportError("SetupComm");
        return false;
    }
    inputQueueSize_ = inputSize;
    outputQueueSize_ = outputSize;
    xoffLimit_ = ClampFlowLimit(inputSize / 4);
    xonLimit_ = ClampFlowLimit(inputSize / 2);
    return UpdateConnection();
}

bool KvSerialPort::SetTimeouts(const COMMTIMEOUTS& timeouts)
{
    ScopedLock lock(timeoutsLock_);
    if (SameTimeouts(timeouts, timeouts_)) return true;
    if (connected_) {
        COMMTIMEOUTS t = timeouts;
        if (!SetCommTimeouts(port_.get(), &t)) {
            ReportError("SetCommTimeouts");
            return false;
        }
        Purge(PURGE_TXABORT | PURGE_RXABORT);
    }
    timeouts_ = timeouts;
    return true;
}

COMMTIMEOUTS KvSerialPort::GetTimeouts() const
{
    ScopedLock lock(timeoutsLock_);
    return timeouts_;
}

bool KvSerialPort::Purge(DWORD flags)
{
    if (!connected_ || !port_) return false;
    if (!PurgeComm(port_.get(), flags)) {
        ReportError("PurgeComm");
        return false;
    }
    return true;
}

bool KvSerialPort::PurgeAll()
{
    if (!PurgeComm(port_.get(), kPurgeAll)) {
        ReportError("PurgeComm");
        return false;
    }
    return true;
}

DWORD KvSerialPort::CharsPerSecond() const
{
    const double stop = stopBits_ == ONE5STOPBITS ? 1.5 : stopBits_ == TWOSTOPBITS ? 2.0 : 1.0;
    const double bits = 1.0 + dataBits_ + (parity_ != NOPARITY ? 1.0 : 0.0) + stop;
    return DWORD(double(baudRate_) / bits);
}

bool KvSerialPort::SetReadRequest(DWORD count, const COMMTIMEOUTS* timeouts, bool purge)
{
    readRequestSize_.store(count, std::memory_order_relaxed);
    bool ok = true;
    if (timeouts) ok = SetTimeouts(*timeouts);
    if (purge) Purge(PURGE_RXABORT | PURGE_RXCLEAR);
    return ok;
}

// ---------------------------------------------------------------------------------------------------------------
// Open and close

bool KvSerialPort::OnLinkThread() const
{
    const DWORD self = GetCurrentThreadId();
    return (readerThreadId_ != 0 && self == readerThreadId_) || (writerThreadId_ != 0 && self == writerThreadId_);
}

bool KvSerialPort::ReleaseStoppedThreads()
{
    return !threadsLive_ || Teardown(closeWaitMs_);
}

bool KvSerialPort::OpenConnection()
{
    if (OnLinkThread() || connected_) return false;
    // What a fatal error on a link thread left behind is released here, by the owner.
    if (!ReleaseStoppedThreads()) return false;

    if (!ReloadSettings()) {
        ReportFatal("Can't change comm settings!");
        return false;
    }

    if (!portName_[0]) {
        SetLastError(ERROR_INVALID_NAME);
        ReportError("CreateFile");
        return false;
    }
    // "\\.\" opens every port, COM10 and above too.
    char device[4 + sizeof portName_];
    if (strncmp(portName_, "\\\\", 2) == 0)
        snprintf(device, sizeof device, "%s", portName_);
    else
        snprintf(device, sizeof device, "\\\\.\\%s", portName_);
    port_.reset(CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    if (!port_) {
        ReportError("CreateFile");
        return false;
    }

    bool ok = false;
    if (!GetCommTimeouts(port_.get(), &savedTimeouts_))
        ReportError("GetCommTimeouts");
    else if (!UpdateConnection())
        ;
    else if (COMMTIMEOUTS t = GetTimeouts(); !SetCommTimeouts(port_.get(), &t))
        ReportError("SetCommTimeouts");
    else if (!SetupComm(port_.get(), inputQueueSize_, outputQueueSize_))
        ReportError("SetComm");
    else if (!EscapeCommFunction(port_.get(), SETDTR))
        ReportError("EscapeCommFunction (SETDTR)");
    else
        ok = true;
    if (!ok) {
        port_.reset();
        return false;
    }
    if (!StartThreads()) return false;
    // A link thread may already have hit a fatal error.
    return connected_;
}

bool KvSerialPort::StartThreads()
{
    PurgeAll();
    stopFlag_ = false;
    exitRequested_.store(false, std::memory_order_release);
    ResetEvent(eventThreadExit_.get());
    {
        ScopedLock lock(writerListLock_);
        connected_ = true;
    }
    threadsLive_ = true;

    // Made suspended: a thread must know it is a link thread before it can report anything.
    unsigned id = 0;
    writerThread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WriterEntry, this, CREATE_SUSPENDED, &id)));
    if (!writerThread_) {
        ReportError("CreateThread (Writer)");
    } else {
        writerThreadId_ = id;
        readerThread_.reset(
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ReaderEntry, this, CREATE_SUSPENDED, &id)));
        if (!readerThread_) ReportError("CreateThread(Reader/Status)");
        else readerThreadId_ = id;
    }
    if (writerThread_) ResumeThread(writerThread_.get());
    if (readerThread_) ResumeThread(readerThread_.get());
    if (writerThread_ && readerThread_) return true;

    // The writer that did start is stopped and joined, not left running on a closed port.
    {
        ScopedLock lock(writerListLock_);
        connected_ = false;
    }
    Teardown(INFINITE);
    return false;
}

void KvSerialPort::SignalThreadExit()
{
    exitRequested_.store(true, std::memory_order_release);
    SetEvent(eventThreadExit_.get());
}

bool KvSerialPort::CloseConnection()
{
    if (OnLinkThread()) {
        // A fatal error on a link thread: the thread cannot wait for itself nor free what the other one
        // uses. Both are told to stop; the owner releases the rest.
        bool wasConnected;
        {
            ScopedLock lock(writerListLock_);
            wasConnected = connected_;
            connected_ = false;
        }
        SignalThreadExit();
        return wasConnected;
    }

    bool wasConnected;
    {
        ScopedLock lock(writerListLock_);
        if (closing_) return false;  // nested, from a fatal report during a teardown
        wasConnected = connected_;
        if (!wasConnected && !threadsLive_) return false;
        connected_ = false;
    }
    Teardown(closeWaitMs_);
    return wasConnected;
}

bool KvSerialPort::Teardown(DWORD waitMs)
{
    if (!threadsLive_) return true;
    {
        ScopedLock lock(writerListLock_);
        closing_ = true;
    }
    const bool done = StopAndRelease(waitMs);
    {
        ScopedLock lock(writerListLock_);
        closing_ = false;
    }
    return done;
}

bool KvSerialPort::StopAndRelease(DWORD waitMs)
{
    SignalThreadExit();

    HANDLE threads[2];
    DWORD count = 0;
    if (writerThread_) threads[count++] = writerThread_.get();
    if (readerThread_) threads[count++] = readerThread_.get();
    if (count > 0) {
        const DWORD result = WaitForMultipleObjects(count, threads, TRUE, waitMs);
        if (result == WAIT_FAILED) ReportError("WaitForMultipleObjects");
        if (result >= WAIT_OBJECT_0 + count) {
            // Heaps, buffers and the port stay while a thread may still use them.
            ReportFatal("Error closing port");
            return false;
        }
    }
    ResetEvent(eventThreadExit_.get());
    exitRequested_.store(false, std::memory_order_release);

    ReleaseRequests();
    if (port_) {
        if (!EscapeCommFunction(port_.get(), CLRDTR)) ReportError("EscapeCommFunction(CLRDTR)");
        // The port gets its own time-outs back; ours stay for the next open.
        if (!SetCommTimeouts(port_.get(), &savedTimeouts_)) ReportError("SetCommTimeouts");
        PurgeAll();
        port_.reset();
    }
    writerThread_.reset();
    readerThread_.reset();
    writerThreadId_ = 0;
    readerThreadId_ = 0;
    threadsLive_ = false;
    return true;
}

bool KvSerialPort::SignalStop()
{
    stopFlag_ = true;
    if (!EscapeCommFunction(port_.get(), SETXON)) ReportError("EscapeCommFunction");
    Purge(kPurgeAll);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Heaps

bool KvSerialPort::CreateDataHeap()
{
    ScopedLock lock(dataHeapLock_);
    if (dataHeap_) return true;
    dataHeap_.reset(HeapCreate(0, HeapInitialSize(), 0));
    if (!dataHeap_) {
        ReportError("CreateDataHeap (Data Heap)");
        return false;
    }
    return true;
}

void KvSerialPort::DestroyDataHeap()
{
    ScopedLock dispatch(dispatchLock_);
    ScopedLock list(writerListLock_);
    ScopedLock lock(dataHeapLock_);
    if (!dataHeap_) return;
    // Requests still queued or current go with the payloads they point into.
    KvWriteRequest* r = queueHead_.next;
    while (r && r != &queueTail_) {
        KvWriteRequest* next = r->next;
        r->payload = nullptr;
        ReleaseRequest(r);
        r = next;
    }
    queueHead_.next = &queueTail_;
    queueTail_.prev = &queueHead_;
    if (current_) {
        current_->payload = nullptr;
        ReleaseRequest(current_);
        current_ = nullptr;
    }
    if (!HeapDestroy(dataHeap_.release())) ReportError("DestroyDataHeap (data heap)");
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
    KvWriteRequest* r = queueHead_.next;
    while (r && r != &queueTail_) {
        KvWriteRequest* next = r->next;
        ReleaseRequest(r);
        r = next;
    }
    queueHead_.next = &queueTail_;
    queueTail_.prev = &queueHead_;
    ReleaseRequest(current_);
    current_ = nullptr;
}

void* KvSerialPort::AllocDataItem(DWORD size, DWORD flags)
{
    ScopedLock lock(dataHeapLock_);
    if (!dataHeap_ && !CreateDataHeap()) return nullptr;
    void* item = HeapAlloc(dataHeap_.get(), flags, size);
    if (!item) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // HeapAlloc leaves the last error alone
        ReportError("AllocDataItem (Data block)");
    }
    return item;
}

bool KvSerialPort::FreeDataItem(HANDLE heap, void* item)
{
    if (!item) return true;
    ScopedLock lock(dataHeapLock_);
    if (!heap || heap != dataHeap_.get()) return false;  // that heap is gone, and the item with it
    if (!HeapFree(heap, 0, item)) {
        ReportError("FreeDataItem/HeapFree");
        return false;
    }
    return true;
}

bool KvSerialPort::CreateWriterHeap()
{
    ScopedLock lock(writerListLock_);
    if (writerHeap_) return true;
    writerHeap_.reset(HeapCreate(0, HeapInitialSize(), 0));
    if (!writerHeap_) {
        ReportError("CreateWriterHeap (write request heap)");
        return false;
    }
    return true;
}

void KvSerialPort::DestroyWriterHeap()
{
    ScopedLock lock(writerListLock_);
    if (writerHeap_ && !HeapDestroy(writerHeap_.release())) ReportError("DestroyWriterHeap (write request heap)");
    queueHead_.next = &queueTail_;
    queueTail_.prev = &queueHead_;
    current_ = nullptr;
}

KvWriteRequest* KvSerialPort::AllocWriterItem(DWORD flags)
{
    ScopedLock lock(writerListLock_);
    if (!writerHeap_ && !CreateWriterHeap()) return nullptr;
    auto* item = static_cast<KvWriteRequest*>(HeapAlloc(writerHeap_.get(), flags | HEAP_ZERO_MEMORY, sizeof(KvWriteRequest)));
    if (!item) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // HeapAlloc leaves the last error alone
        ReportError("AllocWriterItem (Data block)");
    }
    return item;
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
    if (writerHeap_ && !HeapFree(writerHeap_.get(), 0, request)) {
        ReportError("FreeWriterItem/HeapFree");
        ok = false;
    }
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

bool KvSerialPort::CreateStatusHeap()
{
    statusHeap_.reset(HeapCreate(0, HeapInitialSize(), 0));
    if (!statusHeap_) {
        ReportError("HeapCreate (status heap)");
        return false;
    }
    statusHead_ = AllocStatusItem(0, HEAP_ZERO_MEMORY);
    statusTail_ = statusHead_;
    return statusHead_ != nullptr;
}

void KvSerialPort::DestroyStatusHeap()
{
    ScopedLock lock(statusLock_);
    if (statusHeap_ && !HeapDestroy(statusHeap_.release())) ReportError("DestroyStatusHeap (status heap)");
    statusHead_ = statusTail_ = nullptr;
}

KvSerialPort::StatusItem* KvSerialPort::AllocStatusItem(DWORD size, DWORD flags)
{
    if (!statusHeap_) return nullptr;
    auto* item = static_cast<StatusItem*>(HeapAlloc(statusHeap_.get(), flags, size + 9));
    if (!item) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // HeapAlloc leaves the last error alone
        ReportError("AllocStatusItem (Status block)");
    }
    return item;
}

bool KvSerialPort::FreeStatusItem(StatusItem* item)
{
    if (!item || !statusHeap_) return true;
    if (!HeapFree(statusHeap_.get(), 0, item)) {
        ReportError("FreeStatusItem (Status block)");
        return false;
    }
    return true;
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
                if (!HeapFree(writerHeap_.get(), 0, r)) {
                    ReportError("HeapFree (Writer heap)");
                    break;
                }
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

bool KvSerialPort::WriterGeneric(const BYTE* buffer, DWORD length)
{
    if (!writeEvent_) {
        writeEvent_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!writeEvent_) {
            ReportError("CreateEvent (overlapped write hEvent)");
            return false;
        }
    }
    OVERLAPPED ov{};
    ov.hEvent = writeEvent_.get();
    {
        ScopedLock lock(writeCounterLock_);
        writeInProgress_ = length;
    }

    DWORD written = 0;
    bool ok = false;
    if (WriteFile(port_.get(), buffer, length, &written, &ov)) {
        if (written == length) ok = true;
        else UpdateStatus("Write timed out. (immediate)");
    } else if (GetLastError() == ERROR_IO_PENDING) {
        HANDLE waits[2] = {ov.hEvent, eventThreadExit_.get()};
        const DWORD result = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0) {
            SetLastError(ERROR_SUCCESS);
            if (!GetOverlappedResult(port_.get(), &ov, &written, FALSE)) {
                if (GetLastError() == ERROR_OPERATION_ABORTED) UpdateStatus("Write aborted");
                else ReportFatal("GetOverlappedResult error(in Writer)");
            } else if (written != length) {
                if (GetLastError() == ERROR_SUCCESS) UpdateStatus("Write timed out. (overlapped)");
                else ReportError("Error writing data to port (overlapped)");
            } else {
                ok = true;
            }
        } else {
            if (result != WAIT_OBJECT_0 + 1) ReportError("WaitForMultipleObjects (WriterGeneric)");
            // Abandoned: the driver must be done with the buffer and the OVERLAPPED before they go.
            CancelIo(port_.get());
            GetOverlappedResult(port_.get(), &ov, &written, TRUE);
        }
    } else {
        ReportFatal("WriteFile (in Writer)");
    }

    ScopedLock lock(writeCounterLock_);
    writeInProgress_ = 0;
    bytesWritten_ += written;
    return ok;
}

// ---------------------------------------------------------------------------------------------------------------
// Threads

unsigned __stdcall KvSerialPort::WriterEntry(void* self)
{
    auto* port = static_cast<KvSerialPort*>(self);
    try {
        port->WriterProc();
    } catch (...) {
        port->HandleThreadException();
    }
    port->writeEvent_.reset();
    return 1;
}

unsigned __stdcall KvSerialPort::ReaderEntry(void* self)
{
    auto* port = static_cast<KvSerialPort*>(self);
    try {
        port->ReaderAndStatusProc();
    } catch (...) {
        port->HandleThreadException();
    }
    return 1;
}

void KvSerialPort::HandleThreadException()
{
    try {
        if (ApplicationHandleException) ApplicationHandleException(nullptr);
    } catch (...) {
    }
    try {
        CloseConnection();
    } catch (...) {
    }
    if (connected_ || !ThreadExitSignalled()) KvSerialPort::CloseConnection();
}

void KvSerialPort::WriterProc()
{
    HANDLE waits[4] = {eventAddNode_.get(), eventNextNode_.get(), eventInitSync_.get(), eventThreadExit_.get()};
    bool mayGo = true;
    while (!ThreadExitSignalled()) {
        const DWORD result = WaitForMultipleObjects(4, waits, FALSE, 500);
        if (result == WAIT_OBJECT_0) {
            if (streamMode_) DispatchWriteRequests(true);
            else mayGo = DispatchWriteRequests(mayGo);
        } else if (result == WAIT_OBJECT_0 + 1) {
            const bool next = DispatchWriteRequests(true);
            mayGo = streamMode_ ? true : next;
        } else if (result == WAIT_OBJECT_0 + 2) {
            mayGo = true;
        } else if (result == WAIT_OBJECT_0 + 3) {
            break;
        } else if (result != WAIT_TIMEOUT) {
            ReportError("WaitForMultipleObjects( writer proc )");
            CloseConnection();
            break;
        }
    }
}

void KvSerialPort::ReaderAndStatusProc()
{
    ReaderState s;
    s.readEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!s.readEvent) ReportError("CreateEvent (Reader Event)");
    s.statusEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!s.statusEvent) ReportError("CreateEvent (Status Event)");

    try {
        if (s.readEvent && s.statusEvent) ReaderLoop(s);
        else CloseConnection();
    } catch (...) {
        HandleThreadException();
    }
    EndReaderIo(s);
}

void KvSerialPort::ReaderLoop(ReaderState& s)
{
    CheckModemStatus(true);
    PollLineStatus(true);
    s.readWanted = streamMode_;

    while (!ThreadExitSignalled()) {
        const DWORD mask = eventMask_ | (streamMode_ ? 0 : EV_TXEMPTY);
        if (!s.maskSet || mask != s.mask) {
            if (!SetCommMask(port_.get(), mask)) ReportError("SetCommMask");
            s.mask = mask;
            s.maskSet = true;
        }

        if (!s.statusPending) {
            s.statusOv = OVERLAPPED{};
            s.statusOv.hEvent = s.statusEvent.get();
            ResetEvent(s.statusEvent.get());
            s.events = 0;
            if (WaitCommEvent(port_.get(), &s.events, &s.statusOv)) {
                HandleEvents(s, s.events);
            } else if (GetLastError() == ERROR_IO_PENDING) {
                s.statusPending = true;
            } else {
                ReportFatal("Wait not delayed");
                continue;
            }
        }

        if (!s.readPending && s.readWanted) {
            const DWORD size = readRequestSize_.load(std::memory_order_relaxed);
            if (s.buffer.size() < size) s.buffer.resize(size);
            if (!streamMode_) s.readWanted = false;
            s.requested = size;
            s.readOv = OVERLAPPED{};
            s.readOv.hEvent = s.readEvent.get();
            {
                ScopedLock lock(readCounterLock_);
                readInProgress_ = size;
            }
            DWORD got = 0;
            if (ReadFile(port_.get(), s.buffer.data(), size, &got, &s.readOv)) {
                HandleRead(s, got);
            } else if (GetLastError() == ERROR_IO_PENDING) {
                s.readPending = true;
            } else {
                ReportFatal("Read not delayed");
                continue;
            }
        }

        const bool readWaits = s.readPending || !s.readWanted;
        if (!s.statusPending || !readWaits || ThreadExitSignalled()) continue;

        HANDLE waits[4] = {s.readEvent.get(), s.statusEvent.get(), eventStatusMessage_.get(),
                           eventThreadExit_.get()};
        const DWORD result = WaitForMultipleObjects(4, waits, FALSE, 500);
        if (result == WAIT_OBJECT_0) {
            ResetEvent(s.readEvent.get());
            if (!s.readPending) continue;
            DWORD got = 0;
            const BOOL done = GetOverlappedResult(port_.get(), &s.readOv, &got, FALSE);
            if (!done && GetLastError() == ERROR_IO_INCOMPLETE) continue;
            s.readPending = false;
            if (done) {
                HandleRead(s, got);
            } else if (GetLastError() == ERROR_OPERATION_ABORTED) {
                UpdateStatus("Read aborted");
            } else {
                ReportFatal("GetOverlappedResult error");
            }
        } else if (result == WAIT_OBJECT_0 + 1) {
            DWORD unused = 0;
            const BOOL done = GetOverlappedResult(port_.get(), &s.statusOv, &unused, FALSE);
            if (!done && GetLastError() == ERROR_IO_INCOMPLETE) {
                ResetEvent(s.statusEvent.get());
                continue;
            }
            s.statusPending = false;
            if (done) {
                HandleEvents(s, s.events);
            } else if (GetLastError() == ERROR_OPERATION_ABORTED) {
                UpdateStatus("WaitCommEvent aborted");
            } else {
                ReportFatal("GetOverlappedResult error");
            }
        } else if (result == WAIT_OBJECT_0 + 2) {
            DeliverStatusMessages();
        } else if (result == WAIT_OBJECT_0 + 3) {
            break;
        } else if (result == WAIT_TIMEOUT) {
            CheckModemStatus(false);
            PollLineStatus(false);
        } else {
            ReportError("WaitForMultipleObjects(Reader & Status handles)");
            CloseConnection();
            break;
        }
    }
}

void KvSerialPort::HandleEvents(ReaderState& s, DWORD events)
{
    if (!streamMode_ && (events & EV_TXEMPTY)) {
        Purge(PURGE_RXABORT);
        if (!stopFlag_) s.readWanted = true;
    }
    OnCommEvent(events);
}

void KvSerialPort::HandleRead(ReaderState& s, DWORD count)
{
    ResetEvent(s.readEvent.get());
    if (count > 0) OnCommEvent(EV_RXCHAR);
    {
        ScopedLock lock(readCounterLock_);
        readInProgress_ = 0;
        bytesRead_ += count;
    }
    const BYTE kind = count == s.requested ? KvReadComplete : KvReadShort;
    const BYTE result = OnReceive(kind, s.buffer.data(), count);
    if (result == KvReceiveStop) {
        if (kind == KvReadShort) UpdateStatus("Read timed out overlapped");
        SignalStop();
        s.readWanted = false;
    } else if (result == KvReceiveNextRequest) {
        SetEvent(eventNextNode_.get());
    } else if (result == KvReceiveReadAgain) {
        s.readWanted = true;
        s.readPending = false;
    }
}

void KvSerialPort::EndReaderIo(ReaderState& s)
{
    // The driver may still complete into the OVERLAPPEDs and the buffer: end both operations first.
    if (s.statusPending) SetCommMask(port_.get(), 0);
    if (s.readPending || s.statusPending) CancelIo(port_.get());
    DWORD unused = 0;
    if (s.readPending) GetOverlappedResult(port_.get(), &s.readOv, &unused, TRUE);
    if (s.statusPending) GetOverlappedResult(port_.get(), &s.statusOv, &unused, TRUE);
    s.readPending = s.statusPending = false;
}

// ---------------------------------------------------------------------------------------------------------------
// Line and modem events

bool KvSerialPort::CheckModemStatus(bool force)
{
    DWORD status = 0;
    if (!GetCommModemStatus(port_.get(), &status)) {
        ReportError("GetCommModemStatus");
        return false;
    }
    if (force || status != modemStatus_) {
        modemStatus_ = status;
        OnModemStatusChanged(status);
    }
    return true;
}

void KvSerialPort::OnModemStatusChanged(DWORD) {}

bool KvSerialPort::ClearLineErrors(DWORD& errors, COMSTAT& comStat)
{
    errors = 0;
    comStat = COMSTAT{};
    if (!ClearCommError(port_.get(), &errors, &comStat)) {
        ReportError("ClearCommError");
        return false;
    }
    if (comStat.fCtsHold || comStat.fDsrHold || comStat.fRlsdHold || comStat.fXoffHold) {
        if (!holdFlag_) {
            ++holdCount_;
            holdFlag_ = true;
        }
    } else {
        holdFlag_ = false;
    }
    return true;
}

bool KvSerialPort::PollLineStatus(bool force)
{
    DWORD errors;
    COMSTAT comStat;
    if (!ClearLineErrors(errors, comStat)) return false;
    ReportProgress();
    if (force || errors != lineErrors_ || !SameComStat(comStat, comStat_)) {
        lineErrors_ = errors;
        comStat_ = comStat;
        OnLineStatusChanged(errors, comStat);
    }
    return true;
}

void KvSerialPort::OnLineStatusChanged(DWORD, const COMSTAT&) {}

bool KvSerialPort::ReadLineErrors()
{
    DWORD errors;
    COMSTAT comStat;
    if (!ClearLineErrors(errors, comStat)) return false;
    lineErrors_ = errors;
    comStat_ = comStat;
    ReportComStat(errors, comStat);
    OnLineStatusChanged(errors, comStat);
    return true;
}

void KvSerialPort::ReportProgress()
{
    if (writeMarkHigh_ > writeMarkLow_) OnWriteProgress(bytesWritten_, writeMarkHigh_ - writeMarkLow_);
    if (readMarkHigh_ > readMarkLow_) OnReadProgress(bytesRead_, readMarkHigh_ - readMarkLow_);
}

void KvSerialPort::OnWriteProgress(DWORD, DWORD) {}
void KvSerialPort::OnReadProgress(DWORD, DWORD) {}

void KvSerialPort::ReportComStat(DWORD errors, const COMSTAT& comStat)
{
    static const struct {
        DWORD bit;
        const char* name;
    } kErrors[] = {
        {CE_DNS, "DNS "},       {CE_IOE, "IOE "},         {CE_OOP, "OOP "},         {CE_PTO, "PTO "},
        {CE_MODE, "MODE "},     {CE_BREAK, "BREAK "},     {CE_FRAME, "FRAME "},     {CE_RXOVER, "RXOVER "},
        {CE_TXFULL, "TXFULL "}, {CE_OVERRUN, "OVERRUN "}, {CE_RXPARITY, "RXPARITY "},
    };
    if (errors) {
        char text[128] = "ERROR: ";
        for (const auto& e : kErrors)
            if (errors & e.bit) Append(text, sizeof text, e.name);
        UpdateStatus(text);
    }
    if (comStat.fCtsHold) UpdateStatus("Tx waiting for CTS signal");
    if (comStat.fDsrHold) UpdateStatus("Tx waiting for DSR signal");
    if (comStat.fRlsdHold) UpdateStatus("Tx waiting for RLSD signal");
    if (comStat.fXoffHold) UpdateStatus("Tx waiting, XOFF char rec'd");
    if (comStat.fXoffSent) UpdateStatus("Tx waiting, XOFF char sent");
    if (comStat.fEof) UpdateStatus("EOF character received");
    if (comStat.fTxim) UpdateStatus("Character waiting for Tx");
    char text[64];
    if (comStat.cbInQue) {
        snprintf(text, sizeof text, "%d bytes in input buffer", int(comStat.cbInQue));
        UpdateStatus(text);
    }
    if (comStat.cbOutQue) {
        snprintf(text, sizeof text, "%d bytes in output buffer", int(comStat.cbOutQue));
        UpdateStatus(text);
    }
}

void KvSerialPort::ReportCommEvent(DWORD events)
{
    static const struct {
        DWORD bit;
        const char* name;
    } kEvents[] = {
        {EV_CTS, "CTS "},     {EV_DSR, "DSR "},       {EV_ERR, "ERR "},       {EV_RING, "RING "},       {EV_RLSD, "RLSD "},
        {EV_BREAK, "BREAK "}, {EV_RXFLAG, "RXFLAG "}, {EV_RXCHAR, "RXCHAR "}, {EV_TXEMPTY, "TXEMPTY "},
    };
    char text[128] = "EVENT: ";
    bool any = false;
    for (const auto& e : kEvents) {
        if (events & e.bit) {
            Append(text, sizeof text, e.name);
            any = true;
        }
    }
    if (!any) Append(text, sizeof text, "NULL");
    UpdateStatus(text);
}

void KvSerialPort::OnCommEvent(DWORD events)
{
    ReportCommEvent(events);
    if (events & EV_ERR) ReadLineErrors();
    CheckModemStatus(false);
    if (!(events & EV_ERR)) PollLineStatus(false);
}

BYTE KvSerialPort::OnReceive(BYTE, const BYTE*, DWORD)
{
    return 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Diagnostics

void KvSerialPort::OnError(const char*) {}
void KvSerialPort::OnStatus(const char*) {}

void KvSerialPort::ReportError(const char* operation)
{
    const DWORD code = GetLastError();
    char* system = nullptr;
    FormatSystemMessage(code, &system);
    char text[1024];
    snprintf(text, sizeof text, "Error %d: %s / %s", int(code), operation, system ? system : "");
    if (system) LocalFree(system);
    OnError(text);
}

void KvSerialPort::ReportFatal(const char* operation)
{
    OnError(operation);
    CloseConnection();
}

void KvSerialPort::UpdateStatus(const char* text)
{
    if (!text || !*text) return;
    const LONG number = InterlockedIncrement(&g_statusNumber);
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

// ---------------------------------------------------------------------------------------------------------------
// File transfer

bool KvSerialPort::FileOpen(const char* name)
{
    readFile_.reset(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    return bool(readFile_);
}

bool KvSerialPort::FileCreate(const char* name)
{
    writeFile_.reset(
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return bool(writeFile_);
}

bool KvSerialPort::FileSeek(DWORD position)
{
    return SetFilePointer(readFile_.get(), LONG(position), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

void KvSerialPort::FileClose()
{
    readFile_.reset();
    writeFile_.reset();
}

bool KvSerialPort::FileRead(void* buffer, DWORD size, DWORD* done)
{
    DWORD n = 0;
    const bool ok = ReadFile(readFile_.get(), buffer, size, &n, nullptr) != FALSE;
    if (done) *done = n;
    return ok;
}

bool KvSerialPort::FileWrite(const void* buffer, DWORD size, DWORD* done)
{
    DWORD n = 0;
    const bool ok = WriteFile(writeFile_.get(), buffer, size, &n, nullptr) != FALSE;
    if (done) *done = n;
    return ok;
}

bool KvSerialPort::TransferFile(DWORD* chunkSize, DWORD* chunks, DWORD* fileSize)
{
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD low = GetFileSize(readFile_.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        ReportError("GetFileSize");
        return false;
    }
    if (high != 0) {
        OnError("File is too large to transfer.");
        return false;
    }
    const DWORD count = low / kChunkSize + (low % kChunkSize ? 1 : 0);
    if (count > 65534) {
        OnError("File is too large for buffer size.");
        return false;
    }
    if (chunkSize) *chunkSize = kChunkSize;
    if (chunks) *chunks = count;
    if (fileSize) *fileSize = low;
    return true;
}
