#pragma once
// The terminal's side of the PC-to-terminal image stream: bytes in, in pieces of any size; a 640 x 480
// indexed picture with its palette out, and events for whoever answers the PC. The stream is read by
// its structure and counts (palette and cursor bodies are not escaped, so a DLE can sit anywhere in
// them). Every sum is checked; a frame changes the shown picture only when it arrives whole and sound.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "TerminalPicture.h"

struct TerminalEvent {
    enum class Kind { ReadStatus, Palette, Cursor, Frame, Error };
    enum class Problem {
        None,
        BadSum,          // a frame, palette or cursor sum that does not match
        Garbage,         // bytes outside any message
        BadMessage,      // unknown message, wrong fixed byte, trailer without header
        BadFrame,        // a frame's pixel data does not describe its picture
        CutFrame,        // a frame ended by another message instead of its trailer
        BadPalette,      // palette entries out of order, flags repeated or unknown, too many entries
        Sequence,        // transfer number not the previous one + 1
        MissingPalette,  // a full frame without a palette since the frame before
    };

    Kind kind = Kind::Error;
    Problem problem = Problem::None;
    // Frame: its transfer number, full or differential, size as the header gave it, and whether the
    // trailer closed it soundly (then the picture shows it).
    uint8_t transferNo = 0;
    bool full = false;
    int width = 0;
    int height = 0;
    bool keepAlive = false;
    bool ok = true;
    // Cursor position; palette entry count.
    int x = 0;
    int y = 0;
    int count = 0;
    std::string text;   // what went wrong, for errors and failed frames
    size_t offset = 0;  // stream offset just after the message (or where the fault was seen)
};

const char* TerminalProblemName(TerminalEvent::Problem problem);

class TerminalDecoder {
public:
    using Listener = std::function<void(const TerminalEvent&)>;

    TerminalDecoder();

    // Called for each event as it is decoded, while Picture() shows the state right after it.
    void SetListener(Listener listener) { listener_ = std::move(listener); }
    void Feed(const void* data, size_t size);
    void Feed(const std::string& bytes) { Feed(bytes.data(), bytes.size()); }
    // Back to a terminal just switched on (picture 0, no palette, no cursor, no frame history).
    void Reset();

    const TerminalPicture& Picture() const { return shown_; }
    int CursorX() const { return cursorX_; }
    int CursorY() const { return cursorY_; }
    // Bytes fed so far.
    size_t Offset() const { return offset_; }
    // Inside a message or frame that has not ended yet.
    bool InMessage() const { return state_ != State::Idle && state_ != State::Resync; }

    const std::vector<TerminalEvent>& Events() const { return events_; }
    std::vector<TerminalEvent> TakeEvents();
    int ErrorCount() const { return errorCount_; }
    // Every error so far, one per line.
    std::string ErrorText() const;

private:
    enum class State { Idle, Resync, PaletteEntries, PaletteSum, Frame };
    static constexpr size_t NeedMore = size_t(-1);

    size_t Step(const uint8_t* p, size_t n);
    size_t StepIdle(const uint8_t* p, size_t n);
    size_t StepResync(const uint8_t* p, size_t n);
    size_t StepPaletteEntry(const uint8_t* p, size_t n);
    size_t StepPaletteSum(const uint8_t* p, size_t n);
    size_t StepFrame(const uint8_t* p, size_t n);

    void StartFrame(const uint8_t* header);
    size_t FinishFrame(const uint8_t* trailer);
    void DropFrame(TerminalEvent::Problem problem, const std::string& text);
    void StartRow(int row);
    void CloseRow();
    void PutPixels(uint8_t index, int count);
    void RepeatLast(int count);
    void CopyAbove(int count);
    void SkipPixels(int count);
    bool RoomFor(int count, const char* what);
    void FrameFault(const std::string& text);

    void Emit(TerminalEvent event);
    void Error(TerminalEvent::Problem problem, const std::string& text);

    Listener listener_;
    std::vector<uint8_t> pending_;
    size_t offset_ = 0;  // stream offset of pending_[0]
    size_t at_ = 0;      // offset of the byte Step is looking at
    State state_ = State::Idle;

    TerminalPicture shown_;
    int cursorX_ = -1;
    int cursorY_ = -1;
    int lastTransferNo_ = -1;
    bool paletteSinceFrame_ = false;

    // Palette message being read.
    std::array<TerminalColor, 256> newPalette_{};
    int paletteCount_ = 0;
    int paletteDone_ = 0;
    uint16_t paletteSum_ = 0;
    bool paletteBad_ = false;
    std::string paletteFault_;
    bool seenBlack_ = false;
    bool seenWhite_ = false;

    // Frame being read, drawn into its own copy of the picture.
    TerminalPicture work_;
    uint16_t frameSum_ = 0;
    uint8_t frameTransferNo_ = 0;
    bool frameFull_ = false;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int frameFaults_ = 0;
    std::string frameFault_;
    int row_ = -1;       // open row, -1 before the first line header
    int lastRow_ = -1;
    int rowsSeen_ = 0;
    int x_ = 0;
    int lastPixel_ = -1;  // last literal of the open row, -1 none yet
    bool rowOverflowed_ = false;

    std::vector<TerminalEvent> events_;
    int errorCount_ = 0;
};
