#pragma once
// The PC-to-terminal image protocol: captured pictures (reduced row by row to palette indices) become run-length
// coded frames written straight into the link's write requests, beside the terminal's other messages ("Read
// Status", palette, cursor position). Runs on the capture thread only.

#include <windows.h>

#include <cstdint>
#include <functional>

#include "link/SerialPort.h"

class KvPalette256;

// Every request the encoder fills is of this type and size.
constexpr BYTE KvFrameRequestType = KvRequestDataBlock;
constexpr DWORD KvFrameRequestSize = 2048;
// After a row, a request with less room than this is closed.
constexpr DWORD KvFrameRowRoom = 0x500;
// An unchanged picture is still announced by an empty frame once this long has passed since the last transfer.
constexpr DWORD KvKeepAliveMs = 2000;
// The terminal's picture; larger frames cannot be addressed by its line headers.
constexpr int KvFrameMaxWidth = 640;
constexpr int KvFrameMaxHeight = 480;

// Where the bytes go: the link's write requests and its record of what was sent.
class KvFrameSink {
public:
    virtual ~KvFrameSink() = default;
    virtual KvWriteRequest* NewWriteRequest(BYTE type, DWORD size) = 0;
    // The queue owns the request from here on.
    virtual bool QueueWriteRequest(KvWriteRequest* request) = 0;
    virtual bool FreeWriterItem(KvWriteRequest** request) = 0;
    virtual BYTE GetSentTransferNo() = 0;
    virtual void SetSentTransferNo(BYTE number) = 0;
    // True when the pointer moved far enough to be worth sending; fills terminal coordinates.
    virtual bool GetCursorUpdate(POINT& position) = 0;
};

// The link object as a sink.
template <class Link>
class KvLinkFrameSink : public KvFrameSink {
public:
    explicit KvLinkFrameSink(Link& link) : link_(link) {}
    KvWriteRequest* NewWriteRequest(BYTE type, DWORD size) override { return link_.NewWriteRequest(type, size); }
    bool QueueWriteRequest(KvWriteRequest* request) override { return link_.QueueWriteRequest(request); }
    bool FreeWriterItem(KvWriteRequest** request) override { return link_.FreeWriterItem(request); }
    BYTE GetSentTransferNo() override { return BYTE(link_.GetSentTransferNo()); }
    void SetSentTransferNo(BYTE number) override { link_.SetSentTransferNo(number); }
    bool GetCursorUpdate(POINT& position) override { return link_.GetCursorUpdate(position); }

private:
    Link& link_;
};

// Where the index rows and the palette come from.
class KvIndexRows {
public:
    virtual ~KvIndexRows() = default;
    // The row's palette indices, reduced in place at the row's start; null for a format that cannot be reduced.
    virtual std::uint8_t* GetIndexRow(const DIBSECTION& section, int offset, int row) = 0;
    virtual bool BuildIndexMap(HBITMAP bitmap) = 0;
    virtual KvPalette256* CurrentPalette() = 0;
    virtual bool PaletteDirty() const = 0;
    virtual void SetPaletteDirty(bool dirty) = 0;
};

// The colour reduction as a row source.
template <class Reduction>
class KvReductionRows : public KvIndexRows {
public:
    explicit KvReductionRows(Reduction& reduction) : reduction_(reduction) {}
    std::uint8_t* GetIndexRow(const DIBSECTION& section, int offset, int row) override
    {
        return reduction_.GetIndexRow(section, offset, row);
    }
    bool BuildIndexMap(HBITMAP bitmap) override { return reduction_.BuildIndexMap(bitmap); }
    KvPalette256* CurrentPalette() override { return reduction_.CurrentPalette(); }
    bool PaletteDirty() const override { return reduction_.PaletteDirty(); }
    void SetPaletteDirty(bool dirty) override { reduction_.SetPaletteDirty(dirty); }

private:
    Reduction& reduction_;
};

// The section's record; false for a null handle or a bitmap that is not a DIB section. Bit-field sections
// without masks get the default ones (5-6-5 at 16 bits, 8-8-8 at 32 bits).
bool GetDIBSectionInfo(HBITMAP bitmap, DIBSECTION& info);

// The capture thread holds one, with the link as its sink (KvLinkFrameSink<KvSerialIO>) and its colour reduction
// as its rows (KvReductionRows<KvColorReduction>). After a frame with FrameAbandoned() the terminal's picture is
// unknown: the thread drops both frames so the next one goes full; StopRequested() ends the transfer.
class KvFrameEncoder {
public:
    using TickSource = std::function<DWORD()>;

    KvFrameEncoder(KvFrameSink& link, KvIndexRows& rows);
    ~KvFrameEncoder();
    KvFrameEncoder(const KvFrameEncoder&) = delete;
    KvFrameEncoder& operator=(const KvFrameEncoder&) = delete;

    // Frame state zeroed; an open request is freed.
    void Reset();

    // The approximate byte count of the frame (for pacing and statistics); 0 when nothing was sent.
    int SendFullFrame(HBITMAP frame);
    int SendDifferentialFrame(HBITMAP frame, HBITMAP previous);
    int EncodeFrame(const DIBSECTION& frame, const DIBSECTION& previous, BYTE differential, WORD width,
                    DWORD pixelCount);

    int PutFrameHeader(BYTE differential, BYTE transferNo, WORD height, WORD width);
    int PutFrameTrailer(BYTE transferNo);
    int PutLineHeader(int row);
    int SendPalette(KvPalette256& palette);
    int SendCursorPosition();
    int SendReadStatus();

    // Closes the open request (queued when it holds bytes, else freed) and, unless final, opens a new one.
    bool FlushBuffer(bool final);
    // Frees the open request unsent (the transfer is ending).
    void FreeRequest();

    // True after a frame that did not reach the link whole: nothing, or a part without its trailer, was sent.
    // The terminal's picture is then unknown, so the next frame must be full.
    bool FrameAbandoned() const { return frameAbandoned_; }
    // Set when a row could not be reduced (unsupported pixel format): the transfer must stop.
    bool StopRequested() const { return stopRequested_; }
    void ClearStopRequest() { stopRequested_ = false; }

    bool TransferMouseToTerminal() const { return transferMouse_; }
    void SetTransferMouseToTerminal(bool value) { transferMouse_ = value; }
    DWORD LastTransferTick() const { return lastTransferTick_; }
    void SetLastTransferTick(DWORD tick) { lastTransferTick_ = tick; }
    // The clock of the keep-alive (GetTickCount unless replaced).
    void SetTickSource(TickSource source);

    KvWriteRequest* CurrentRequest() const { return request_; }

private:
    // Room for count more bytes; a full request is closed and another opened. False when none can be had.
    bool Room(DWORD count);
    DWORD FreeBytes() const { return pos_ ? DWORD(end_ - pos_) : 0; }
    void Put(BYTE b);
    void PutUnsummed(BYTE b);
    void PutWord(WORD w);
    int PutLiteral(BYTE index);
    int PutRun(BYTE index, int count);
    int PutSkip(int count);
    int PutCopy(int count);
    // Codes one row; false when the frame is to be abandoned.
    bool EncodeRow(int row, const std::uint8_t* pixels, const std::uint8_t* above, const std::uint8_t* previous,
                   int& count);

    KvFrameSink& link_;
    KvIndexRows& rows_;

    KvWriteRequest* request_ = nullptr;
    BYTE* pos_ = nullptr;
    BYTE* end_ = nullptr;
    bool writeFailed_ = false;  // a request could not be had: the bytes since are lost

    // Frame state.
    BYTE differential_ = 0;
    WORD height_ = 0;
    WORD width_ = 0;
    BYTE transferNo_ = 0;
    WORD sum_ = 0;
    BYTE headerSent_ = 0;

    bool frameAbandoned_ = false;
    bool stopRequested_ = false;
    bool transferMouse_ = true;
    DWORD lastTransferTick_ = 0;
    TickSource tick_;
};
