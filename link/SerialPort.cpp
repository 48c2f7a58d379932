// The serial engine's settings and its life: construction and deletion, the line settings and time-outs, open
// and close with the teardown of the link threads, the error sink and the file transfer helpers. The request
// queue and the heaps are in SerialPortQueue.cpp, the writer and reader threads in SerialPortThreads.cpp.

#include "link/SerialPort.h"

#include <process.h>

#include <cstdio>
#include <cstring>

#include "framework/runtime/Classes.h"
#include "link/LineSettings.h"

namespace {

constexpr DWORD PurgeAllFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD TransferChunkSize = 358400;

bool SameTimeouts(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b)
{
    return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
           a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
           a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
           a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
           a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction

KvSerialPort::KvSerialPort()
    : statusHeap_(*this, StatusHeapTexts), writerHeap_(*this, WriterHeapTexts), dataHeap_(*this, DataHeapTexts)
{
    ResetQueue();

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
    if (!PurgeComm(port_.get(), PurgeAllFlags)) {
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
    Purge(PurgeAllFlags);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Errors

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
    const DWORD count = low / TransferChunkSize + (low % TransferChunkSize ? 1 : 0);
    if (count > 65534) {
        OnError("File is too large for buffer size.");
        return false;
    }
    if (chunkSize) *chunkSize = TransferChunkSize;
    if (chunks) *chunks = count;
    if (fileSize) *fileSize = low;
    return true;
}
