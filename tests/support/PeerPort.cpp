#include "PeerPort.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

bool PeerPort::Open(const char* name, DWORD baudRate)
{
    std::string device = name;
    if (device.compare(0, 2, "\\\\") != 0) device = "\\\\.\\" + device;
    return OpenAsNamed(device.c_str(), baudRate);
}

bool PeerPort::OpenAsNamed(const char* name, DWORD baudRate)
{
    Close();
    port_.reset(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr));
    if (!port_) {
        lastError_ = GetLastError();
        return false;
    }
    readEvent_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    writeEvent_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!readEvent_ || !writeEvent_ || !Configure(baudRate)) {
        lastError_ = GetLastError();
        Close();
        return false;
    }
    return true;
}

void PeerPort::Close()
{
    port_.reset();
    readEvent_.reset();
    writeEvent_.reset();
}

bool PeerPort::Configure(DWORD baudRate)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_.get(), &dcb)) return false;
    dcb.BaudRate = baudRate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    if (!SetCommState(port_.get(), &dcb)) return false;

    readWaitMs_ = 0;
    if (!SetReadWait(100)) return false;
    return Purge();
}

bool PeerPort::Purge()
{
    return port_ && PurgeComm(port_.get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

long PeerPort::Finish(OVERLAPPED& ov, BOOL started, DWORD waitMs)
{
    DWORD done = 0;
    if (!started) {
        if (GetLastError() != ERROR_IO_PENDING) {
            lastError_ = GetLastError();
            return -1;
        }
        if (WaitForSingleObject(ov.hEvent, waitMs) != WAIT_OBJECT_0) {
            CancelIo(port_.get());
            // What moved before the cancel still counts.
            if (GetOverlappedResult(port_.get(), &ov, &done, TRUE)) return long(done);
            lastError_ = GetLastError();
            return lastError_ == ERROR_OPERATION_ABORTED ? long(done) : -1;
        }
    }
    if (!GetOverlappedResult(port_.get(), &ov, &done, FALSE)) {
        lastError_ = GetLastError();
        return -1;
    }
    return long(done);
}

bool PeerPort::Write(const void* data, size_t size, DWORD timeoutMs)
{
    if (!port_) return false;
    const char* p = static_cast<const char*>(data);
    const DWORD start = GetTickCount();
    while (size > 0) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        OVERLAPPED ov{};
        ov.hEvent = writeEvent_.get();
        DWORD n = 0;
        const DWORD chunk = DWORD(std::min<size_t>(size, 65536));
        const long done = Finish(ov, WriteFile(port_.get(), p, chunk, &n, &ov), timeoutMs - elapsed);
        if (done < 0) return false;
        p += done;
        size -= size_t(done);
    }
    return true;
}

// Wine has no "return what is there" read (MAXDWORD interval and multiplier waits for ever), so a read
// ends a short gap after the last byte, or when nothing came within the wait.
bool PeerPort::SetReadWait(DWORD waitMs)
{
    waitMs = std::max<DWORD>(waitMs, 1);
    if (waitMs == readWaitMs_) return true;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 10;
    timeouts.ReadTotalTimeoutConstant = waitMs;
    if (!SetCommTimeouts(port_.get(), &timeouts)) return false;
    readWaitMs_ = waitMs;
    return true;
}

long PeerPort::ReadSome(void* buffer, size_t size, DWORD waitMs)
{
    if (!port_) return -1;
    if (!SetReadWait(waitMs)) {
        lastError_ = GetLastError();
        return -1;
    }
    OVERLAPPED ov{};
    ov.hEvent = readEvent_.get();
    DWORD n = 0;
    const DWORD chunk = DWORD(std::min<size_t>(size, 65536));
    return Finish(ov, ReadFile(port_.get(), buffer, chunk, &n, &ov), waitMs + 2000);
}

std::string PeerPort::Read(size_t count, DWORD timeoutMs)
{
    std::string got;
    std::vector<char> buffer(std::min<size_t>(std::max<size_t>(count, 1), 65536));
    const DWORD start = GetTickCount();
    while (got.size() < count) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) break;
        const long n = ReadSome(buffer.data(), std::min(buffer.size(), count - got.size()), timeoutMs - elapsed);
        if (n < 0) break;
        got.append(buffer.data(), size_t(n));
    }
    return got;
}

std::string PeerPort::ReadUntilQuiet(DWORD quietMs, DWORD timeoutMs)
{
    std::string got;
    std::vector<char> buffer(65536);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        const long n = ReadSome(buffer.data(), buffer.size(), quietMs);
        if (n <= 0) break;
        got.append(buffer.data(), size_t(n));
    }
    return got;
}

bool PeerPort::SkipPast(const std::string& marker, DWORD timeoutMs)
{
    std::string tail;
    std::vector<char> buffer(65536);
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        // What is there already, or what the marker still needs: a read of either ends as soon as it has come,
        // without a quiet gap after it.
        DWORD errors = 0;
        COMSTAT stat{};
        const DWORD queued = ClearCommError(port_.get(), &errors, &stat) ? stat.cbInQue : 0;
        const size_t want = std::min(buffer.size(), std::max<size_t>(queued, marker.size() - tail.size()));
        long n = ReadSome(buffer.data(), want, std::min<DWORD>(timeoutMs - elapsed, 200));
        // Wine ends a read on a quiet line with a time-out.
        if (n < 0 && lastError_ == ERROR_TIMEOUT) n = 0;
        if (n < 0) return false;
        tail.append(buffer.data(), size_t(n));
        if (tail.find(marker) != std::string::npos) return true;
        // Only what may be the start of the marker is kept.
        size_t keep = std::min(tail.size(), marker.size() - 1);
        while (keep > 0 && tail.compare(tail.size() - keep, keep, marker, 0, keep) != 0) --keep;
        tail.erase(0, tail.size() - keep);
    }
}

std::string CableMarker()
{
    static std::atomic<unsigned> count{0};
    return std::string("\xFF\xFE\x01") + "cable " + std::to_string(GetCurrentProcessId()) + "." +
           std::to_string(++count) + "\x01\xFE\xFF";
}

namespace {

// One way: the marker written on `from` (on a thread of its own, as the line may be full until `to` reads)
// and read on `to`.
bool EmptyOneWay(PeerPort& from, PeerPort& to, DWORD timeoutMs)
{
    const std::string marker = CableMarker();
    bool written = false;
    std::thread writer([&] { written = from.Write(marker, timeoutMs); });
    const bool came = to.SkipPast(marker, timeoutMs);
    writer.join();
    return written && came;
}

}  // namespace

bool EmptyCable(PeerPort& a, PeerPort& b, DWORD timeoutMs)
{
    return EmptyOneWay(a, b, timeoutMs) && EmptyOneWay(b, a, timeoutMs);
}

bool EmptyCable(const char* a, const char* b, DWORD timeoutMs)
{
    PeerPort first, second;
    if (!first.Open(a) || !second.Open(b)) return true;
    return EmptyCable(first, second, timeoutMs);
}
