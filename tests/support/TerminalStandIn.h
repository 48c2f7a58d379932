#pragma once
// The terminal's side of the line, for tests and for a person trying the driver: it builds the frames a
// terminal sends (start byte 0x02, command, length, data, big-endian sum), holds the terminal's key state,
// and sends frames, damaged frames and garbage on a COM port, alone or as a timed script.

#include <windows.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "PeerPort.h"

// One key of the terminal's keypad: a bit of one of the four words of the key bitmap.
struct TerminalKey {
    int word;
    int bit;
};

namespace TerminalKeys {
inline constexpr TerminalKey F(int n) { return {0, n - 1}; }      // F1 to F16
inline constexpr TerminalKey S(int n) { return {1, n - 1}; }      // S1 to S10
inline constexpr TerminalKey Digit(int d) { return {2, d}; }      // '0' to '9'
inline constexpr TerminalKey PageUp{3, 0}, PageDown{3, 1}, Up{3, 2}, Down{3, 3}, Left{3, 4}, Right{3, 5},
    Help{3, 6}, Clear{3, 7}, Shift{3, 8}, Alt{3, 9}, Enter{3, 10}, Minus{3, 11}, Plus{3, 12}, Decimal{3, 13};
}  // namespace TerminalKeys

class TerminalStandIn {
public:
    // Frames.
    static std::string Frame(BYTE command, const std::string& data);
    // The frame with the given sum instead of its own.
    static std::string FrameWithSum(BYTE command, const std::string& data, WORD sum);
    static WORD Sum(BYTE command, BYTE length, const std::string& data);
    static std::string Acknowledge(BYTE value, BYTE command = 0x00);
    static std::string StatusReply(BYTE code);
    static std::string TransferNumber(BYTE number);
    static std::string Pointer(WORD x, WORD y, BYTE buttons);
    static std::string KeyBitmap(const std::array<WORD, 4>& words);

    // Damage on demand.
    static std::string WrongSum(const std::string& frame);  // the last sum byte changed
    static std::string UnknownCommand(BYTE command, const std::string& data);
    // A frame whose length byte claims fewer bytes than it carries (the rest then follows as garbage).
    static std::string ShortBody(BYTE command, const std::string& data, BYTE length);
    // Random bytes; without start bytes when clean is set.
    static std::string Garbage(size_t count, std::mt19937& random, bool clean = false);

    TerminalStandIn() = default;
    explicit TerminalStandIn(const char* portName) { Open(portName); }
    ~TerminalStandIn();
    TerminalStandIn(const TerminalStandIn&) = delete;
    TerminalStandIn& operator=(const TerminalStandIn&) = delete;

    bool Open(const char* portName, DWORD baudRate = CBR_115200);
    PeerPort& Port() { return port_; }

    bool Send(const std::string& bytes) { return port_.Write(bytes); }
    // One write per byte, with an optional pause between them.
    bool SendByteByByte(const std::string& bytes, DWORD pauseMs = 0);

    // The key state, sent whole as a key-bitmap frame after each change.
    std::array<WORD, 4>& Keys() { return keys_; }
    std::string KeyFrame() const { return KeyBitmap(keys_); }
    bool Press(TerminalKey key);
    bool Release(TerminalKey key);
    bool ReleaseAll();

    // A script of frames, each sent delayMs after the one before; played on a thread of its own.
    TerminalStandIn& Then(const std::string& bytes, DWORD delayMs = 0);
    TerminalStandIn& ThenAcknowledge(BYTE value, DWORD delayMs = 0) { return Then(Acknowledge(value), delayMs); }
    TerminalStandIn& ThenStatus(BYTE code, DWORD delayMs = 0) { return Then(StatusReply(code), delayMs); }
    TerminalStandIn& ThenTransferNumber(BYTE n, DWORD delayMs = 0) { return Then(TransferNumber(n), delayMs); }
    void Play();
    // Waits for the script's end; false when a write failed.
    bool Finish();

private:
    struct Step {
        std::string bytes;
        DWORD delayMs;
    };

    PeerPort port_;
    std::array<WORD, 4> keys_{};
    std::vector<Step> script_;
    std::thread player_;
    bool played_ = true;
};
