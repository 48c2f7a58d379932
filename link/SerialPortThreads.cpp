// The serial engine's two link threads: the writer, which waits for queued requests and writes them onto the
// port, and the reader, which keeps a line-event wait and the wanted read posted on the port and polls the modem
// and line status; the line and modem reports it makes come here too.

#include "link/SerialPort.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/runtime/Classes.h"

namespace {

// Appends to a fixed buffer, never past its end.
void Append(char* buffer, size_t size, const char* text)
{
    const size_t used = strlen(buffer);
    if (used + 1 >= size) return;
    snprintf(buffer + used, size - used, "%s", text);
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
// Thread entries

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

// ---------------------------------------------------------------------------------------------------------------
// Writer

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
// Reader

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
        if (!WatchLineEvents(s)) continue;
        if (!StartRead(s)) continue;
        if (!AwaitReaderEvent(s)) break;
    }
}

bool KvSerialPort::WatchLineEvents(ReaderState& s)
{
    const DWORD mask = eventMask_ | (streamMode_ ? 0 : EV_TXEMPTY);
    if (!s.maskSet || mask != s.mask) {
        if (!SetCommMask(port_.get(), mask)) ReportError("SetCommMask");
        s.mask = mask;
        s.maskSet = true;
    }

    if (s.statusPending) return true;
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
        return false;
    }
    return true;
}

bool KvSerialPort::StartRead(ReaderState& s)
{
    if (s.readPending || !s.readWanted) return true;
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
        return false;
    }
    return true;
}

bool KvSerialPort::AwaitReaderEvent(ReaderState& s)
{
    // Only when both a line-event wait and the wanted read are posted; else the loop posts them first.
    const bool readWaits = s.readPending || !s.readWanted;
    if (!s.statusPending || !readWaits || ThreadExitSignalled()) return true;

    HANDLE waits[4] = {s.readEvent.get(), s.statusEvent.get(), eventStatusMessage_.get(), eventThreadExit_.get()};
    const DWORD result = WaitForMultipleObjects(4, waits, FALSE, 500);
    if (result == WAIT_OBJECT_0) {
        ResetEvent(s.readEvent.get());
        if (!s.readPending) return true;
        DWORD got = 0;
        const BOOL done = GetOverlappedResult(port_.get(), &s.readOv, &got, FALSE);
        if (!done && GetLastError() == ERROR_IO_INCOMPLETE) return true;
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
            return true;
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
        return false;
    } else if (result == WAIT_TIMEOUT) {
        CheckModemStatus(false);
        PollLineStatus(false);
    } else {
        ReportError("WaitForMultipleObjects(Reader & Status handles)");
        CloseConnection();
        return false;
    }
    return true;
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
    } ErrorNames[] = {
        {CE_DNS, "DNS "},       {CE_IOE, "IOE "},         {CE_OOP, "OOP "},         {CE_PTO, "PTO "},
        {CE_MODE, "MODE "},     {CE_BREAK, "BREAK "},     {CE_FRAME, "FRAME "},     {CE_RXOVER, "RXOVER "},
        {CE_TXFULL, "TXFULL "}, {CE_OVERRUN, "OVERRUN "}, {CE_RXPARITY, "RXPARITY "},
    };
    if (errors) {
        char text[128] = "ERROR: ";
        for (const auto& e : ErrorNames)
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
    } EventNames[] = {
        {EV_CTS, "CTS "},     {EV_DSR, "DSR "},       {EV_ERR, "ERR "},       {EV_RING, "RING "},       {EV_RLSD, "RLSD "},
        {EV_BREAK, "BREAK "}, {EV_RXFLAG, "RXFLAG "}, {EV_RXCHAR, "RXCHAR "}, {EV_TXEMPTY, "TXEMPTY "},
    };
    char text[128] = "EVENT: ";
    bool any = false;
    for (const auto& e : EventNames) {
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
