#pragma once
// A terminal on the far end of a COM pair that decodes everything the driver sends on a thread of its own and
// answers each "Read Status" and each frame as set: for the tests, and for the console terminal a person runs.

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TerminalDecoder.h"
#include "TerminalStandIn.h"

class AnsweringTerminal {
public:
    struct Received {
        TerminalEvent::Kind kind;
        DWORD tick;
        bool full = false;
        bool keepAlive = false;
        bool ok = true;
        BYTE transferNo = 0;
        // Frames this one is ahead of the last transfer number reported so far.
        int ahead = 0;
    };
    // Called on the terminal's thread for each event with the answer given (the status code, the
    // acknowledge value; -1: none) and the picture as it is now; nothing else of the terminal may be called.
    using EventHook = std::function<void(const TerminalEvent&, int answer, const TerminalPicture&)>;
    // Called on the terminal's thread with every byte received.
    using ByteHook = std::function<void(const char*, size_t)>;

    AnsweringTerminal() = default;
    ~AnsweringTerminal() { Close(); }
    AnsweringTerminal(const AnsweringTerminal&) = delete;
    AnsweringTerminal& operator=(const AnsweringTerminal&) = delete;

    bool Open(const char* port, DWORD baudRate = CBR_115200);
    void Close();
    PeerPort& Port() { return standIn_.Port(); }

    // A terminal just switched on, with the standing answers: status 0, acknowledge 2 at once.
    void Reset();

    // -1: no answer.
    void SetStatusAnswer(int code) { Locked([&] { status_ = code; }); }
    void SetAckAnswer(int value) { Locked([&] { ack_ = value; }); }
    // The answer to a frame that fails its checks (-1, the default: none).
    void SetBadFrameAnswer(int value) { Locked([&] { badFrameAck_ = value; }); }
    void SetAckDelay(DWORD ms) { Locked([&] { ackDelay_ = ms; }); }
    void SetStatusDelay(DWORD ms) { Locked([&] { statusDelay_ = ms; }); }
    // Reports each frame's transfer number instead of acknowledging it.
    void SetReportNumbers(bool on) { Locked([&] { reportNumbers_ = on; }); }
    // Reports each frame's transfer number after its acknowledge.
    void SetNumbersAfterAck(bool on) { Locked([&] { numbersAfterAck_ = on; }); }
    // Answers for the next sound frames, before the standing one.
    void QueueAcks(const std::vector<int>& values)
    {
        Locked([&] { queuedAcks_.insert(queuedAcks_.end(), values.begin(), values.end()); });
    }
    // Whole answers for the next sound frames, before the acknowledges queued or standing; an empty one is
    // no answer.
    void QueueAnswers(const std::vector<std::string>& answers)
    {
        Locked([&] { queuedAnswers_.insert(queuedAnswers_.end(), answers.begin(), answers.end()); });
    }
    // Reads no faster than a line of this rate (10 bits a byte; 0: as fast as bytes come): ptys do not pace.
    void SetLineRate(DWORD baud) { Locked([&] { lineRate_ = baud; }); }
    // Reads nothing for this long after Open (writes to the port pend meanwhile).
    void SetStall(DWORD ms) { Locked([&] { stallMs_ = ms; }); }
    // Set before Open.
    void SetEventHook(EventHook hook) { eventHook_ = std::move(hook); }
    void SetByteHook(ByteHook hook) { byteHook_ = std::move(hook); }

    // Once the driver's port is closed: the cable emptied both ways, through the driver's end (opened here).
    // A marker written there comes after all the driver sent, so once the terminal has read it, it has
    // decoded everything; from then on it answers nothing until Reset, and its own marker back comes after
    // every answer it gave. False when either marker did not come within timeoutMs.
    bool Drain(const char* driverPort, DWORD timeoutMs = 10000);

    // Sent as soon as the terminal's thread gets to it.
    void SendNow(const std::string& bytes) { Locked([&] { answers_.push_back({bytes, GetTickCount()}); }); }

    std::vector<Received> Events();
    int CountOf(TerminalEvent::Kind kind);
    // Frames that carried pixels or a keep-alive, sound ones only.
    int Frames() { return CountOf(TerminalEvent::Kind::Frame); }
    TerminalPicture Picture();
    std::string Errors();
    int ErrorCount();
    unsigned long long BytesReceived();
    // The error of the last failed read or write (0: none failed).
    DWORD ReadError();
    DWORD WriteError();

private:
    template <class F>
    void Locked(F f)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        f();
    }
    struct Answer {
        std::string bytes;
        DWORD due;
        bool report = false;
        BYTE number = 0;
    };

    void OnEvent(const TerminalEvent& e);
    void Take(const char* data, size_t size, std::string& back);
    void Feed(const char* data, size_t size);
    void Run();
    size_t Allowed(DWORD now, size_t size);

    TerminalStandIn standIn_;
    TerminalDecoder decoder_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::mutex mutex_;
    std::vector<Received> events_;
    std::vector<Answer> answers_;
    std::deque<int> queuedAcks_;
    std::deque<std::string> queuedAnswers_;
    // The marker a drain waits for, the one sent back once it came, and what may be the start of the first.
    std::string drainMarker_;
    std::string drainBack_;
    std::string drainTail_;
    bool muted_ = false;
    int status_ = 0;
    int ack_ = 2;
    int badFrameAck_ = -1;
    DWORD ackDelay_ = 0;
    DWORD statusDelay_ = 0;
    bool reportNumbers_ = false;
    bool numbersAfterAck_ = false;
    BYTE lastReported_ = 0;
    DWORD lineRate_ = 0;
    DWORD stallMs_ = 0;
    DWORD opened_ = 0;
    unsigned long long received_ = 0;
    DWORD readError_ = 0;
    DWORD writeError_ = 0;
    EventHook eventHook_;
    ByteHook byteHook_;
};
