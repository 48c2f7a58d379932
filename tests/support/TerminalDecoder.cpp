#include "TerminalDecoder.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr uint8_t DLE = 0x10;
constexpr uint8_t Message = 0x40;
constexpr uint8_t FrameHeader = 0x01;
constexpr uint8_t FrameTrailer = 0x02;
constexpr uint8_t PaletteMessage = 0x03;
constexpr uint8_t CursorMessage = 0x04;
constexpr uint8_t ReadStatus = 0x05;
// A frame's faults beyond this many are counted but not reported one by one.
constexpr int FaultsReported = 8;

uint16_t Sum(const uint8_t* p, size_t n)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += p[i];
    return uint16_t(sum);
}

int U16(const uint8_t* p)
{
    return p[0] << 8 | p[1];
}

std::string Format(const char* format, auto... args)
{
    char text[200];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

} // namespace

const char* TerminalProblemName(TerminalEvent::Problem problem)
{
    using P = TerminalEvent::Problem;
    switch (problem) {
    case P::None: return "none";
    case P::BadSum: return "bad sum";
    case P::Garbage: return "garbage";
    case P::BadMessage: return "bad message";
    case P::BadFrame: return "bad frame";
    case P::CutFrame: return "cut frame";
    case P::BadPalette: return "bad palette";
    case P::Sequence: return "transfer number out of sequence";
    case P::MissingPalette: return "full frame without palette";
    }
    return "?";
}

TerminalDecoder::TerminalDecoder() = default;

void TerminalDecoder::Reset()
{
    Listener keep = std::move(listener_);
    *this = TerminalDecoder();
    listener_ = std::move(keep);
}

std::vector<TerminalEvent> TerminalDecoder::TakeEvents()
{
    std::vector<TerminalEvent> taken;
    taken.swap(events_);
    return taken;
}

std::string TerminalDecoder::ErrorText() const
{
    std::string text;
    for (const TerminalEvent& e : events_)
        if (e.kind == TerminalEvent::Kind::Error)
            text += Format("@%u %s: ", unsigned(e.offset), TerminalProblemName(e.problem)) + e.text + "\n";
    return text;
}

void TerminalDecoder::Emit(TerminalEvent event)
{
    if (event.offset == 0)
        event.offset = at_;
    events_.push_back(event);
    if (listener_)
        listener_(events_.back());
}

void TerminalDecoder::Error(TerminalEvent::Problem problem, const std::string& text)
{
    ++errorCount_;
    TerminalEvent e;
    e.kind = TerminalEvent::Kind::Error;
    e.problem = problem;
    e.ok = false;
    e.text = text;
    Emit(e);
}

void TerminalDecoder::Feed(const void* data, size_t size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    pending_.insert(pending_.end(), bytes, bytes + size);
    size_t pos = 0;
    while (pos < pending_.size()) {
        at_ = offset_ + pos;
        const size_t used = Step(pending_.data() + pos, pending_.size() - pos);
        if (used == NeedMore)
            break;
        pos += used;
    }
    pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(pos));
    offset_ += pos;
}

size_t TerminalDecoder::Step(const uint8_t* p, size_t n)
{
    switch (state_) {
    case State::Idle: return StepIdle(p, n);
    case State::Resync: return StepResync(p, n);
    case State::PaletteEntries: return StepPaletteEntry(p, n);
    case State::PaletteSum: return StepPaletteSum(p, n);
    case State::Frame: return StepFrame(p, n);
    }
    return NeedMore;
}

// Garbage is reported once; then everything up to the next "DLE 0x40" is dropped.
size_t TerminalDecoder::StepResync(const uint8_t* p, size_t n)
{
    for (size_t i = 0; i + 1 < n; ++i)
        if (p[i] == DLE && p[i + 1] == Message) {
            state_ = State::Idle;
            return i;
        }
    if (p[n - 1] == DLE)
        return n == 1 ? NeedMore : n - 1;
    return n;
}

size_t TerminalDecoder::StepIdle(const uint8_t* p, size_t n)
{
    if (p[0] != DLE) {
        Error(TerminalEvent::Problem::Garbage, Format("byte %02X outside any message", p[0]));
        state_ = State::Resync;
        return 1;
    }
    if (n < 3)
        return NeedMore;
    if (p[1] != Message) {
        Error(TerminalEvent::Problem::Garbage, Format("10 %02X outside any frame", p[1]));
        state_ = State::Resync;
        return 1;
    }
    switch (p[2]) {
    case ReadStatus: {
        TerminalEvent e;
        e.kind = TerminalEvent::Kind::ReadStatus;
        e.offset = at_ + 3;
        Emit(e);
        return 3;
    }
    case PaletteMessage:
        if (n < 5)
            return NeedMore;
        paletteCount_ = U16(p + 3);
        paletteDone_ = 0;
        paletteSum_ = Sum(p + 1, 4);
        paletteBad_ = false;
        paletteFault_.clear();
        seenBlack_ = seenWhite_ = false;
        newPalette_ = {};
        if (paletteCount_ > 256) {
            paletteBad_ = true;
            paletteFault_ = Format("palette of %d entries, the terminal holds 256", paletteCount_);
        }
        state_ = paletteCount_ ? State::PaletteEntries : State::PaletteSum;
        return 5;
    case CursorMessage: {
        if (n < 10)
            return NeedMore;
        if (p[3] != 0x06) {
            Error(TerminalEvent::Problem::BadMessage, Format("cursor message with %02X instead of 06", p[3]));
            state_ = State::Resync;
            return 3;
        }
        const uint16_t sum = Sum(p + 1, 7);
        if (sum != U16(p + 8)) {
            Error(TerminalEvent::Problem::BadSum,
                  Format("cursor sum %04X, the bytes add up to %04X", U16(p + 8), sum));
            return 10;
        }
        cursorX_ = U16(p + 4);
        cursorY_ = U16(p + 6);
        TerminalEvent e;
        e.kind = TerminalEvent::Kind::Cursor;
        e.x = cursorX_;
        e.y = cursorY_;
        e.offset = at_ + 10;
        Emit(e);
        return 10;
    }
    case FrameHeader:
        if (n < 10)
            return NeedMore;
        if (p[3] != 0x06) {
            Error(TerminalEvent::Problem::BadMessage, Format("frame header with %02X instead of 06", p[3]));
            state_ = State::Resync;
            return 3;
        }
        StartFrame(p);
        return 10;
    case FrameTrailer:
        if (n < 7)
            return NeedMore;
        Error(TerminalEvent::Problem::BadMessage, Format("trailer of transfer %d without a frame header", p[4]));
        return 7;
    default:
        Error(TerminalEvent::Problem::BadMessage, Format("unknown message 10 40 %02X", p[2]));
        state_ = State::Resync;
        return 3;
    }
}

size_t TerminalDecoder::StepPaletteEntry(const uint8_t* p, size_t n)
{
    if (n < 6)
        return NeedMore;
    paletteSum_ = uint16_t(paletteSum_ + Sum(p, 6));
    const int index = U16(p);
    const uint8_t flag = p[5];
    auto fault = [this](const std::string& text) {
        if (!paletteBad_)
            paletteFault_ = text;
        paletteBad_ = true;
    };
    if (index != paletteDone_)
        fault(Format("palette entry %d carries index %d", paletteDone_, index));
    if (flag > 2)
        fault(Format("palette entry %d with flag %d", paletteDone_, flag));
    if (flag == 1 && std::exchange(seenBlack_, true))
        fault(Format("second entry flagged nearest to black (%d)", paletteDone_));
    if (flag == 2 && std::exchange(seenWhite_, true))
        fault(Format("second entry flagged nearest to white (%d)", paletteDone_));
    if (paletteDone_ < 256)
        newPalette_[size_t(paletteDone_)] = TerminalColor{p[2], p[3], p[4], flag};
    if (++paletteDone_ == paletteCount_)
        state_ = State::PaletteSum;
    return 6;
}

size_t TerminalDecoder::StepPaletteSum(const uint8_t* p, size_t n)
{
    if (n < 2)
        return NeedMore;
    state_ = State::Idle;
    if (U16(p) != paletteSum_) {
        Error(TerminalEvent::Problem::BadSum,
              Format("palette sum %04X, the bytes add up to %04X", U16(p), paletteSum_));
        return 2;
    }
    if (paletteBad_) {
        Error(TerminalEvent::Problem::BadPalette, paletteFault_);
        return 2;
    }
    shown_.Palette() = newPalette_;
    shown_.SetPaletteCount(paletteCount_);
    paletteSinceFrame_ = true;
    TerminalEvent e;
    e.kind = TerminalEvent::Kind::Palette;
    e.count = paletteCount_;
    e.offset = at_ + 2;
    Emit(e);
    return 2;
}

void TerminalDecoder::StartFrame(const uint8_t* header)
{
    frameSum_ = Sum(header, 10);
    frameFull_ = header[4] == 1;
    frameTransferNo_ = header[5];
    frameHeight_ = U16(header + 6);
    frameWidth_ = U16(header + 8);
    frameFaults_ = 0;
    frameFault_.clear();
    row_ = -1;
    lastRow_ = -1;
    rowsSeen_ = 0;
    x_ = 0;
    lastPixel_ = -1;
    rowOverflowed_ = false;
    work_ = shown_;
    state_ = State::Frame;

    if (header[4] > 1)
        FrameFault(Format("full-frame byte %02X", header[4]));
    if (frameWidth_ > TerminalPicture::Width || frameHeight_ > TerminalPicture::Height)
        FrameFault(Format("frame of %d x %d is larger than 640 x 480", frameWidth_, frameHeight_));
    if (lastTransferNo_ >= 0 && frameTransferNo_ != uint8_t(lastTransferNo_ + 1))
        Error(TerminalEvent::Problem::Sequence,
              Format("transfer %d follows transfer %d", frameTransferNo_, lastTransferNo_));
    lastTransferNo_ = frameTransferNo_;
    const bool keepAlive = frameWidth_ == 0 && frameHeight_ == 0;
    if (frameFull_ && !keepAlive && !paletteSinceFrame_)
        Error(TerminalEvent::Problem::MissingPalette,
              Format("full frame %d without a palette before it", frameTransferNo_));
    paletteSinceFrame_ = false;
}

void TerminalDecoder::FrameFault(const std::string& text)
{
    if (frameFaults_++ == 0)
        frameFault_ = text;
    if (frameFaults_ <= FaultsReported)
        Error(TerminalEvent::Problem::BadFrame, Format("transfer %d: ", frameTransferNo_) + text);
}

void TerminalDecoder::DropFrame(TerminalEvent::Problem problem, const std::string& text)
{
    Error(problem, Format("transfer %d: ", frameTransferNo_) + text);
    state_ = State::Idle;
}

void TerminalDecoder::CloseRow()
{
    if (row_ >= 0 && x_ < frameWidth_)
        FrameFault(Format("row %d ends after %d of %d pixels", row_, x_, frameWidth_));
    row_ = -1;
}

void TerminalDecoder::StartRow(int row)
{
    CloseRow();
    if (row <= lastRow_)
        FrameFault(Format("row %d after row %d", row, lastRow_));
    else if (frameFull_ && row != lastRow_ + 1)
        FrameFault(Format("full frame skips from row %d to row %d", lastRow_, row));
    if (row >= frameHeight_)
        FrameFault(Format("row %d in a frame of %d rows", row, frameHeight_));
    lastRow_ = std::max(lastRow_, row);
    ++rowsSeen_;
    row_ = row;
    x_ = 0;
    lastPixel_ = -1;
    rowOverflowed_ = false;
}

// True when count pixels fit the open row; faults are reported once per row.
bool TerminalDecoder::RoomFor(int count, const char* what)
{
    if (row_ < 0) {
        if (!rowOverflowed_)
            FrameFault(Format("%s before the first line header", what));
        rowOverflowed_ = true;
        return false;
    }
    if (x_ + count > frameWidth_) {
        if (!rowOverflowed_)
            FrameFault(Format("row %d: %s of %d at %d runs past width %d", row_, what, count, x_, frameWidth_));
        rowOverflowed_ = true;
        return false;
    }
    return true;
}

void TerminalDecoder::PutPixels(uint8_t index, int count)
{
    if (!RoomFor(count, "pixels"))
        return;
    if (row_ < TerminalPicture::Height)
        for (int i = 0; i < count && x_ + i < TerminalPicture::Width; ++i)
            work_.Set(x_ + i, row_, index);
    x_ += count;
}

void TerminalDecoder::RepeatLast(int count)
{
    if (row_ >= 0 && lastPixel_ < 0) {
        FrameFault(Format("row %d: repeat at %d with no pixel before it", row_, x_));
        x_ += count;  // keep the row's length right so one fault is reported, not two
        return;
    }
    PutPixels(uint8_t(lastPixel_), count);
}

void TerminalDecoder::CopyAbove(int count)
{
    if (row_ == 0) {
        FrameFault(Format("row 0: copy from above at %d", x_));
        x_ += count;
        return;
    }
    if (!RoomFor(count, "copy"))
        return;
    if (row_ < TerminalPicture::Height)
        for (int i = 0; i < count && x_ + i < TerminalPicture::Width; ++i)
            work_.Set(x_ + i, row_, work_.At(x_ + i, row_ - 1));
    x_ += count;
}

void TerminalDecoder::SkipPixels(int count)
{
    if (frameFull_ && row_ >= 0) {
        FrameFault(Format("row %d: skip of %d at %d in a full frame", row_, count, x_));
        x_ += count;
        return;
    }
    if (RoomFor(count, "skip"))
        x_ += count;
}

size_t TerminalDecoder::StepFrame(const uint8_t* p, size_t n)
{
    auto take = [&](size_t k) {
        frameSum_ = uint16_t(frameSum_ + Sum(p, k));
        return k;
    };
    if (p[0] != DLE) {
        take(1);
        if (p[0] == 0x16)
            RepeatLast(2);
        else if (p[0] == 0x1A)
            CopyAbove(2);
        else {
            PutPixels(p[0], 1);
            lastPixel_ = p[0];
        }
        return 1;
    }
    if (n < 2)
        return NeedMore;
    const uint8_t code = p[1];
    if (code <= 0x02) {
        static const uint8_t escaped[3] = {0x10, 0x16, 0x1A};
        PutPixels(escaped[code], 1);
        lastPixel_ = escaped[code];
        return take(2);
    }
    if (code < Message) {
        RepeatLast(code);
        return take(2);
    }
    if (code == Message) {
        if (n < 3)
            return NeedMore;
        if (p[2] == FrameTrailer) {
            if (n < 7)
                return NeedMore;
            return FinishFrame(p);
        }
        CloseRow();
        if (p[2] == FrameHeader || p[2] == PaletteMessage || p[2] == CursorMessage || p[2] == ReadStatus) {
            DropFrame(TerminalEvent::Problem::CutFrame, Format("ended by message 10 40 %02X before its trailer", p[2]));
            return 0;  // the message itself is read in the idle state
        }
        DropFrame(TerminalEvent::Problem::BadMessage, Format("unknown message 10 40 %02X inside the frame", p[2]));
        state_ = State::Resync;
        return 3;
    }
    if (code == 0x41 || code == 0x42) {
        if (n < 3)
            return NeedMore;
        StartRow((code == 0x42 ? 256 : 0) + p[2]);
        return take(3);
    }
    if (code < 0x80) {
        CopyAbove(code - 0x40);
        return take(2);
    }
    if (code == 0x80 || code == 0x81) {
        if (n < 3)
            return NeedMore;
        SkipPixels((code == 0x80 ? 128 : 384) + p[2]);
        return take(3);
    }
    if (code == 0x82) {
        FrameFault(Format("row %d: unknown code 10 82 at %d", row_, x_));
        return take(2);
    }
    SkipPixels(code - 0x80);
    return take(2);
}

size_t TerminalDecoder::FinishFrame(const uint8_t* trailer)
{
    CloseRow();
    state_ = State::Idle;
    frameSum_ = uint16_t(frameSum_ + Sum(trailer, 5));
    TerminalEvent e;
    e.kind = TerminalEvent::Kind::Frame;
    e.transferNo = frameTransferNo_;
    e.full = frameFull_;
    e.width = frameWidth_;
    e.height = frameHeight_;
    e.keepAlive = frameWidth_ == 0 && frameHeight_ == 0;
    e.offset = at_ + 7;

    if (trailer[3] != 0x03)
        FrameFault(Format("trailer with %02X instead of 03", trailer[3]));
    if (trailer[4] != frameTransferNo_)
        FrameFault(Format("trailer of transfer %d", trailer[4]));
    if (frameFull_ && !e.keepAlive && lastRow_ + 1 < frameHeight_ && frameFaults_ == 0)
        FrameFault(Format("full frame ends after %d of %d rows", lastRow_ + 1, frameHeight_));
    if (U16(trailer + 5) != frameSum_) {
        ++frameFaults_;
        const std::string text = Format("frame sum %04X, the bytes add up to %04X", U16(trailer + 5), frameSum_);
        if (frameFault_.empty())
            frameFault_ = text;
        Error(TerminalEvent::Problem::BadSum, Format("transfer %d: ", frameTransferNo_) + text);
    }
    e.ok = frameFaults_ == 0;
    e.problem = e.ok ? TerminalEvent::Problem::None : TerminalEvent::Problem::BadFrame;
    e.text = frameFault_;
    if (e.ok)
        shown_ = work_;
    Emit(e);
    return 7;
}
