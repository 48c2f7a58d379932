#pragma once
// An engine for the tests: its settings come from a port name and a settings text (as the link object's do),
// and it records what reaches OnReceive, OnError and OnStatus.

#include <windows.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/Serial.h"
#include "support/Wait.h"

// The pair the engine tests use: the engine drives COM5, the terminal sits on COM6.
inline constexpr const char* kDriverPort = "COM5";
inline constexpr const char* kTerminalPort = "COM6";
inline constexpr const char* kRawLine = "baud=115200 parity=N data=8 stop=1 protocol=N";

class SerialTestPort : public KvSerialPort {
public:
    struct Read {
        BYTE kind;
        std::string data;
        DWORD tick;  // GetTickCount when it arrived
    };
    // Runs on the reader thread for every completed read; its result steers the reader.
    using ReceiveHook = std::function<BYTE(SerialTestPort& port, const Read& read)>;

    explicit SerialTestPort(std::string portName = kDriverPort, std::string parameter = kRawLine, bool stream = true)
        : portName_(std::move(portName)), parameter_(std::move(parameter))
    {
        SetStreamMode(stream);
    }
    // The link threads call into this object: they stop before its members go.
    ~SerialTestPort() override { CloseConnection(); }

    bool LoadSettings() override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++loadCalls_;
        }
        if (beforeLoad_) beforeLoad_();
        if (!SetPortName(portName_.c_str())) return false;
        DCB dcb{};
        if (!ParseCommParameter(parameter_.c_str(), dcb)) return false;
        return SetFromDCB(dcb);
    }

    BYTE OnReceive(BYTE kind, const BYTE* buffer, DWORD count) override
    {
        Read read{kind, std::string(reinterpret_cast<const char*>(buffer), count), GetTickCount()};
        ReceiveHook hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            reads_.push_back(read);
            hook = hook_;
        }
        return hook ? hook(*this, read) : KvReceiveNextRequest;
    }

    // Records the DCB the engine puts on the port.
    bool GetDCB(DCB& dcb) override
    {
        const bool ok = KvSerialPort::GetDCB(dcb);
        std::lock_guard<std::mutex> lock(mutex_);
        lastDcb_ = dcb;
        return ok;
    }
    DCB LastDcb()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastDcb_;
    }

    void OnError(const char* text) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        errors_.push_back(text);
    }

    void OnStatus(const char* text) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        statuses_.push_back(text);
    }

    void SetReceiveHook(ReceiveHook hook)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hook_ = std::move(hook);
    }
    void SetBeforeLoad(std::function<void()> f) { beforeLoad_ = std::move(f); }
    void SetParameter(std::string parameter) { parameter_ = std::move(parameter); }

    std::vector<Read> Reads()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return reads_;
    }
    std::vector<std::string> Errors()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return errors_;
    }
    // Status texts without their number and line end.
    std::vector<std::string> Statuses()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> texts;
        for (const std::string& s : statuses_) texts.push_back(StripNumber(s));
        return texts;
    }
    std::vector<std::string> RawStatuses()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return statuses_;
    }
    void ClearRecords()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reads_.clear();
        errors_.clear();
        statuses_.clear();
    }
    int LoadCalls()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return loadCalls_;
    }

    bool HasError(const std::string& text) { return Contains(Errors(), text); }
    bool HasStatus(const std::string& text) { return Contains(Statuses(), text); }

    // Waits until pred() holds, polling.
    static bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs)
    {
        return testwait::WaitUntil(pred, timeoutMs);
    }

    // One type-4 (or other) request carrying bytes.
    bool QueueBytes(const std::string& bytes, BYTE type = KvRequestDataBlock)
    {
        KvWriteRequest* r = NewWriteRequest(type, DWORD(bytes.empty() ? 1 : bytes.size()));
        if (!r) return false;
        memcpy(r->payload, bytes.data(), bytes.size());
        r->length = DWORD(bytes.size());
        return QueueWriteRequest(r);
    }
    bool QueueCharacter(char c)
    {
        KvWriteRequest* r = NewWriteRequest(KvRequestCharacter, 1);
        if (!r) return false;
        r->character = BYTE(c);
        return QueueWriteRequest(r);
    }

    using KvSerialPort::DataHeap;
    using KvSerialPort::DeliverStatusMessages;
    using KvSerialPort::DispatchLock;
    using KvSerialPort::PortHandle;
    using KvSerialPort::ReportError;
    using KvSerialPort::ReportFatal;
    using KvSerialPort::SetCloseWaitMs;
    using KvSerialPort::TransferCompleteEvent;
    using KvSerialPort::UpdateStatus;
    using KvSerialPort::WriterHeap;
    using KvSerialPort::eventMask_;
    using KvSerialPort::inputQueueSize_;

    static std::string StripNumber(const std::string& s)
    {
        std::string t = s;
        const size_t colon = t.find(':');
        if (colon != std::string::npos) t.erase(0, colon + 1);
        if (t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0) t.resize(t.size() - 2);
        return t;
    }

private:
    static bool Contains(const std::vector<std::string>& texts, const std::string& text)
    {
        for (const std::string& t : texts)
            if (t.find(text) != std::string::npos) return true;
        return false;
    }

    std::string portName_;
    std::string parameter_;
    std::function<void()> beforeLoad_;
    std::mutex mutex_;
    ReceiveHook hook_;
    std::vector<Read> reads_;
    std::vector<std::string> errors_;
    std::vector<std::string> statuses_;
    int loadCalls_ = 0;
    DCB lastDcb_{};
};

// Busy blocks of a private heap (HeapWalk), to see what was freed.
inline int BusyBlocks(HANDLE heap)
{
    if (!heap) return 0;
    int busy = 0;
    PROCESS_HEAP_ENTRY entry{};
    HeapLock(heap);
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++busy;
    HeapUnlock(heap);
    return busy;
}
