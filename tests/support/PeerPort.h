#pragma once
// The far end of a serial pair, as the terminal would hold it: raw 8-bit line without flow control,
// overlapped reads and writes that give up after a time-out. One thread uses one PeerPort.

#include <windows.h>

#include <cstddef>
#include <string>

#include "framework/runtime/Handles.h"

class PeerPort {
public:
    PeerPort() = default;
    explicit PeerPort(const char* name) { Open(name); }
    PeerPort(const PeerPort&) = delete;
    PeerPort& operator=(const PeerPort&) = delete;

    // Opens a port name such as "COM6" or "\\.\COM11" at the given rate, 8N1, nothing in the queues.
    bool Open(const char* name, DWORD baudRate = CBR_115200);
    // The same with the name exactly as given: "COM10" then fails, as on Windows.
    bool OpenAsNamed(const char* name, DWORD baudRate = CBR_115200);
    void Close();
    bool IsOpen() const { return bool(port_); }
    HANDLE Handle() const { return port_.get(); }
    // GetLastError of the last failed call.
    DWORD LastError() const { return lastError_; }

    bool Write(const void* data, size_t size, DWORD timeoutMs = 5000);
    bool Write(const std::string& data, DWORD timeoutMs = 5000) { return Write(data.data(), data.size(), timeoutMs); }

    // What arrives within waitMs (ending a short gap after the last byte); at most size bytes. -1 on failure.
    long ReadSome(void* buffer, size_t size, DWORD waitMs);
    // Exactly count bytes, or fewer when timeoutMs passes first.
    std::string Read(size_t count, DWORD timeoutMs = 5000);
    // Everything that arrives until nothing more came for quietMs (or timeoutMs passed).
    std::string ReadUntilQuiet(DWORD quietMs, DWORD timeoutMs = 10000);
    // Reads and drops everything up to and including marker; false when it has not come within timeoutMs.
    bool SkipPast(const std::string& marker, DWORD timeoutMs = 10000);

    bool Purge();

private:
    bool Configure(DWORD baudRate);
    bool SetReadWait(DWORD waitMs);
    long Finish(OVERLAPPED& ov, BOOL started, DWORD waitMs);

    FileHandle port_;
    KernelHandle readEvent_;
    KernelHandle writeEvent_;
    DWORD lastError_ = 0;
    DWORD readWaitMs_ = 0;
};

// Bytes no earlier user of a pair could have sent, different at each call: written on one end after
// everything else, they come out of the other end after everything else.
std::string CableMarker();

// Empties the cable between two open ends, both ways: what an earlier user left on its way (in the pty
// buffers and the relay, where a purge of the receiving end cannot reach) is read and dropped, until a
// marker sent after it has come. False when a marker did not come within timeoutMs.
bool EmptyCable(PeerPort& a, PeerPort& b, DWORD timeoutMs = 10000);
// The same for a pair by its port names; true without doing anything when an end cannot be opened (the
// pair is not there, as in a prefix without COM pairs).
bool EmptyCable(const char* a, const char* b, DWORD timeoutMs = 10000);
