#include "mirror/FrameEncoder.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "mirror/Bitmapfunctions.h"
#include "mirror/BytesEqual.h"
#include "mirror/ColorReduction.h"

namespace {

constexpr BYTE DLE = 0x10;
constexpr BYTE Message = 0x40;
constexpr BYTE FrameHeader = 0x01;
constexpr BYTE FrameTrailer = 0x02;
constexpr BYTE PaletteMessage = 0x03;
constexpr BYTE CursorMessage = 0x04;
constexpr BYTE ReadStatus = 0x05;
constexpr BYTE LineLow = 0x41;   // rows 0..255
constexpr BYTE LineHigh = 0x42;  // rows 256..511
constexpr BYTE Repeat2 = 0x16;   // the last pixel twice more
constexpr BYTE Copy2 = 0x1A;     // two pixels from the row above

bool IsCodeByte(BYTE b) { return b == DLE || b == Repeat2 || b == Copy2; }

int Height(const DIBSECTION& ds) { return std::abs(ds.dsBm.bmHeight); }

// How many of the first limit bytes of a and b are equal; four at a time.
int EqualPrefix(const std::uint8_t* a, const std::uint8_t* b, int limit)
{
    int n = 0;
    for (; n + 4 <= limit; n += 4) {
        std::uint32_t x, y;
        std::memcpy(&x, a + n, 4);
        std::memcpy(&y, b + n, 4);
        if (const std::uint32_t d = x ^ y) return n + (__builtin_ctz(d) >> 3);  // little-endian: lowest byte first
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

// How many of the first limit bytes of p equal value.
int RunPrefix(const std::uint8_t* p, std::uint8_t value, int limit)
{
    const std::uint32_t v = value * 0x01010101u;
    int n = 0;
    for (; n + 4 <= limit; n += 4) {
        std::uint32_t x;
        std::memcpy(&x, p + n, 4);
        if (const std::uint32_t d = x ^ v) return n + (__builtin_ctz(d) >> 3);
    }
    while (n < limit && p[n] == value) ++n;
    return n;
}

}  // namespace

bool GetDIBSectionInfo(HBITMAP bitmap, DIBSECTION& info)
{
    info = {};
    if (!bitmap) return false;
    // A device-dependent bitmap fills only the BITMAP part: it has no pixels for us.
    if (GetObjectA(bitmap, sizeof(DIBSECTION), &info) != int(sizeof(DIBSECTION))) {
        info = {};
        return false;
    }
    if (info.dsBmih.biCompression == BI_BITFIELDS && info.dsBitfields[0] == 0) {
        if (info.dsBm.bmBitsPixel == 16) {
            info.dsBitfields[0] = 0xF800;
            info.dsBitfields[1] = 0x07E0;
            info.dsBitfields[2] = 0x001F;
        } else if (info.dsBm.bmBitsPixel == 32) {
            info.dsBitfields[0] = 0xFF0000;
            info.dsBitfields[1] = 0x00FF00;
            info.dsBitfields[2] = 0x0000FF;
        }
    }
    return true;
}

KvFrameEncoder::KvFrameEncoder(KvFrameSink& link, KvIndexRows& rows)
    : link_(link), rows_(rows), tick_([] { return GetTickCount(); })
{
}

// The open request belongs to the link's heaps; its owner frees it (FreeRequest) while the link stands.
KvFrameEncoder::~KvFrameEncoder() = default;

void KvFrameEncoder::SetTickSource(TickSource source)
{
    tick_ = source ? std::move(source) : TickSource([] { return GetTickCount(); });
}

void KvFrameEncoder::Reset()
{
    FreeRequest();
    writeFailed_ = false;
    differential_ = 0;
    height_ = 0;
    width_ = 0;
    transferNo_ = 0;
    sum_ = 0;
    headerSent_ = 0;
    frameAbandoned_ = false;
    stopRequested_ = false;
}

bool KvFrameEncoder::FlushBuffer(bool final)
{
    if (request_) {
        KvWriteRequest* request = request_;
        request->length = DWORD(pos_ - request->payload);
        request_ = nullptr;
        pos_ = end_ = nullptr;
        if (request->length)
            link_.QueueWriteRequest(request);
        else
            link_.FreeWriterItem(&request);
    }
    if (!final) {
        request_ = link_.NewWriteRequest(KvFrameRequestType, KvFrameRequestSize);
        if (request_ && request_->payload) {
            pos_ = request_->payload;
            end_ = pos_ + KvFrameRequestSize;
        } else if (request_) {
            link_.FreeWriterItem(&request_);
        }
    }
    return true;
}

void KvFrameEncoder::FreeRequest()
{
    if (request_) link_.FreeWriterItem(&request_);
    request_ = nullptr;
    pos_ = end_ = nullptr;
}

bool KvFrameEncoder::Room(DWORD count)
{
    // Once a byte is lost the rest of the message is worthless: nothing more is written until the next one.
    if (writeFailed_) return false;
    if (!request_ || FreeBytes() < count) FlushBuffer(false);
    if (!request_ || FreeBytes() < count) {
        writeFailed_ = true;
        return false;
    }
    return true;
}

void KvFrameEncoder::Put(BYTE b)
{
    // No room or no request (pos_ == end_ == null) takes the long way.
    if (pos_ == end_ || writeFailed_) [[unlikely]] {
        if (!Room(1)) return;
    }
    *pos_++ = b;
    sum_ = WORD(sum_ + b);
}

void KvFrameEncoder::PutUnsummed(BYTE b)
{
    if (pos_ == end_ || writeFailed_) [[unlikely]] {
        if (!Room(1)) return;
    }
    *pos_++ = b;
}

void KvFrameEncoder::PutWord(WORD w)
{
    Put(BYTE(w >> 8));
    Put(BYTE(w));
}

int KvFrameEncoder::PutFrameHeader(BYTE differential, BYTE transferNo, WORD height, WORD width)
{
    Room(10);
    sum_ = 0;
    Put(DLE);
    Put(Message);
    Put(FrameHeader);
    Put(0x06);
    Put(differential ? 0 : 1);
    Put(transferNo);
    PutWord(height);
    PutWord(width);
    headerSent_ = 1;
    return 10;
}

int KvFrameEncoder::PutFrameTrailer(BYTE transferNo)
{
    Room(7);
    Put(DLE);
    Put(Message);
    Put(FrameTrailer);
    Put(0x03);
    Put(transferNo);
    const WORD sum = sum_;
    PutUnsummed(BYTE(sum >> 8));
    PutUnsummed(BYTE(sum));
    return 7;
}

int KvFrameEncoder::PutLineHeader(int row)
{
    int written = 3;
    if (!headerSent_) {
        PutFrameHeader(differential_, transferNo_, height_, width_);
        FlushBuffer(false);
        written = 13;
    }
    Put(DLE);
    if (row < 256) {
        Put(LineLow);
        Put(BYTE(row));
    } else {
        Put(LineHigh);
        Put(BYTE(row - 256));
    }
    return written;
}

int KvFrameEncoder::PutLiteral(BYTE index)
{
    if (!IsCodeByte(index)) {
        Put(index);
        return 1;
    }
    Put(DLE);
    Put(index == DLE ? 0x00 : index == Repeat2 ? 0x01 : 0x02);
    return 2;
}

int KvFrameEncoder::PutRun(BYTE index, int count)
{
    // Only an escaped first pixel is counted; the repeat codes count as the estimate has always counted them.
    int estimate = PutLiteral(index) == 2 ? 1 : 0;
    int m = count - 1;
    if (m == 2) {
        Put(Repeat2);
        return estimate + 2;
    }
    while (m > 0) {
        if (m == 64 || m == 65) {
            Put(DLE);
            Put(BYTE(m - 2));
            Put(Repeat2);
            return estimate + 3;
        }
        const int k = m >= 63 ? 63 : m;
        Put(DLE);
        Put(BYTE(k));
        estimate += 2;
        m -= k;
    }
    return estimate;
}

int KvFrameEncoder::PutSkip(int count)
{
    Put(DLE);
    if (count < 128) {
        Put(BYTE(0x80 + count));
        return 2;
    }
    if (count < 384) {
        Put(0x80);
        Put(BYTE(count - 128));
    } else {
        Put(0x81);
        Put(BYTE(count - 384));
    }
    return 3;
}

int KvFrameEncoder::PutCopy(int count)
{
    if (count == 2) {
        Put(Copy2);
        return 1;
    }
    Put(DLE);
    Put(BYTE(0x40 + count));
    return 2;
}

bool KvFrameEncoder::EncodeRow(int row, const std::uint8_t* pixels, const std::uint8_t* above,
                               const std::uint8_t* previous, int& count)
{
    const int width = width_;
    bool lineHeader = false;
    auto startLine = [&] {
        if (lineHeader) return;
        // The worst row (line header and every pixel escaped) must fit the request it starts in.
        if (headerSent_ && FreeBytes() < DWORD(3 + 2 * width)) FlushBuffer(false);
        PutLineHeader(row);
        count += 4;
        lineHeader = true;
    };
    // Widths are at most 640, so a run covers at most 640 pixels and a skip short of the whole row 639.
    // Most rows of a differential frame are unchanged: one quick compare settles those.
    if (previous && width >= 3 && KvBytesEqual(pixels, previous, std::size_t(width))) return !writeFailed_;
    int x = 0;
    while (x < width) {
        int n;
        if (previous) {
            n = EqualPrefix(pixels + x, previous + x, width - x);
            if (n >= 3) {
                if (n == width) return !writeFailed_;  // the whole row is unchanged
                startLine();
                count += PutSkip(n);
                x += n;
                continue;
            }
        }
        startLine();
        if (above) {
            n = EqualPrefix(pixels + x, above + x, width - x < 63 ? width - x : 63);
            if (n >= 2) {
                count += PutCopy(n);
                x += n;
                continue;
            }
        }
        n = 1 + RunPrefix(pixels + x + 1, pixels[x], width - x - 1);
        if (n >= 3) {
            count += PutRun(pixels[x], n);
            x += n;
            continue;
        }
        count += PutLiteral(pixels[x]);
        ++x;
    }
    return !writeFailed_;
}

int KvFrameEncoder::EncodeFrame(const DIBSECTION& frame, const DIBSECTION& previous, BYTE differential,
                                WORD width, DWORD pixelCount)
{
    writeFailed_ = false;
    frameAbandoned_ = false;
    if (width == 0 || width > KvFrameMaxWidth || pixelCount / width > DWORD(KvFrameMaxHeight)) {
        frameAbandoned_ = true;
        return 0;
    }
    const int rows = int(pixelCount / width);
    differential_ = differential ? 1 : 0;
    height_ = WORD(rows);
    width_ = width;
    transferNo_ = BYTE(link_.GetSentTransferNo() + 1);
    headerSent_ = 0;
    int count = 0;

    // A frame that cannot be finished is left without its trailer: the terminal must never take a
    // part of a picture for a whole one.
    bool abandon = false;
    const std::uint8_t* above = nullptr;
    for (int r = 0; r < rows; ++r) {
        const std::uint8_t* pixels = rows_.GetIndexRow(frame, 0, r);
        const std::uint8_t* old = nullptr;
        if (differential_) {
            const BITMAP& bm = previous.dsBm;
            if (bm.bmBits && r < Height(previous) && bm.bmWidth >= width)
                old = static_cast<const std::uint8_t*>(bm.bmBits) + std::ptrdiff_t(bm.bmWidthBytes) * r;
        }
        if (!pixels || (differential_ && !old)) {
            stopRequested_ = true;
            abandon = true;
            break;
        }
        if (!EncodeRow(r, pixels, above, old, count)) {
            abandon = true;
            break;
        }
        if (FreeBytes() < KvFrameRowRoom && request_) FlushBuffer(false);
        above = pixels;
    }
    FlushBuffer(false);
    if (abandon) {
        frameAbandoned_ = true;
        return count;
    }

    if (!headerSent_ && DWORD(tick_() - lastTransferTick_) >= KvKeepAliveMs) {
        count += PutFrameHeader(differential_, transferNo_, 0, 0);
        FlushBuffer(false);
    }
    if (headerSent_) {
        // The number is recorded only once the trailer is sure to have room.
        if (writeFailed_ || !Room(7)) {
            frameAbandoned_ = true;
            return count;
        }
        link_.SetSentTransferNo(transferNo_);
        count += PutFrameTrailer(transferNo_);
        FlushBuffer(false);
    }
    SendCursorPosition();
    return count;
}

int KvFrameEncoder::SendFullFrame(HBITMAP frame)
{
    writeFailed_ = false;
    frameAbandoned_ = false;
    DIBSECTION ds;
    if (!GetDIBSectionInfo(frame, ds) || ds.dsBm.bmWidth <= 0 || ds.dsBm.bmWidth > KvFrameMaxWidth ||
        Height(ds) > KvFrameMaxHeight) {
        frameAbandoned_ = true;
        return 0;
    }
    if (ds.dsBm.bmBitsPixel <= 8) rows_.BuildIndexMap(frame);
    if (KvPalette256* palette = rows_.CurrentPalette()) {
        SendPalette(*palette);
        // A full frame without its palette would be shown in the wrong colours.
        if (writeFailed_) {
            frameAbandoned_ = true;
            return 0;
        }
    }
    const DIBSECTION none{};
    return EncodeFrame(ds, none, 0, WORD(ds.dsBm.bmWidth), DWORD(ds.dsBm.bmWidth) * DWORD(Height(ds)));
}

int KvFrameEncoder::SendDifferentialFrame(HBITMAP frame, HBITMAP previous)
{
    writeFailed_ = false;
    frameAbandoned_ = false;
    DIBSECTION ds, old;
    if (!GetDIBSectionInfo(frame, ds) || !GetDIBSectionInfo(previous, old) || ds.dsBm.bmWidth != old.dsBm.bmWidth ||
        Height(ds) != Height(old) || ds.dsBm.bmWidth <= 0 || ds.dsBm.bmWidth > KvFrameMaxWidth ||
        Height(ds) > KvFrameMaxHeight) {
        frameAbandoned_ = true;
        return 0;
    }
    if (ds.dsBm.bmBitsPixel <= 8) rows_.BuildIndexMap(frame);
    if (rows_.PaletteDirty()) {
        if (KvPalette256* palette = rows_.CurrentPalette()) {
            SendPalette(*palette);
            if (writeFailed_) {
                frameAbandoned_ = true;
                return 0;
            }
        }
    }
    return EncodeFrame(ds, old, 1, WORD(ds.dsBm.bmWidth), DWORD(ds.dsBm.bmWidth) * DWORD(Height(ds)));
}

int KvFrameEncoder::SendPalette(KvPalette256& palette)
{
    writeFailed_ = false;
    const int count = palette.Count() > 256 ? 256 : palette.Count();
    if (count == 0) return 0;
    Room(5);
    PutUnsummed(DLE);
    sum_ = 0;
    Put(Message);
    Put(PaletteMessage);
    PutWord(WORD(count));
    FlushBuffer(false);

    int black = -1, white = -1;
    if (HPALETTE handle = palette.Handle()) {
        const UINT b = GetNearestPaletteIndex(handle, RGB(0, 0, 0));
        const UINT w = GetNearestPaletteIndex(handle, RGB(255, 255, 255));
        if (b != CLR_INVALID) black = int(b);
        if (w != CLR_INVALID) white = int(w);
    }
    for (int i = 0; i < count; ++i) {
        const PALETTEENTRY& e = palette.Entry(i);
        Room(6);
        PutWord(WORD(i));
        Put(e.peRed);
        Put(e.peGreen);
        Put(e.peBlue);
        Put(i == black ? 1 : i == white ? 2 : 0);
        FlushBuffer(false);
    }
    const WORD sum = sum_;
    Room(2);
    PutUnsummed(BYTE(sum >> 8));
    PutUnsummed(BYTE(sum));
    FlushBuffer(false);
    if (writeFailed_) return 0;  // still dirty: it goes again with the next full frame
    rows_.SetPaletteDirty(false);
    return 6 + 6 * count;
}

int KvFrameEncoder::SendCursorPosition()
{
    if (!transferMouse_) return 0;
    POINT position{};
    if (!link_.GetCursorUpdate(position)) return 0;
    writeFailed_ = false;
    Room(10);
    PutUnsummed(DLE);
    sum_ = 0;
    Put(Message);
    Put(CursorMessage);
    Put(0x06);
    PutWord(WORD(position.x));
    PutWord(WORD(position.y));
    const WORD sum = sum_;
    PutUnsummed(BYTE(sum >> 8));
    PutUnsummed(BYTE(sum));
    FlushBuffer(false);
    return writeFailed_ ? 0 : 10;
}

int KvFrameEncoder::SendReadStatus()
{
    writeFailed_ = false;
    FlushBuffer(false);
    Put(DLE);
    Put(Message);
    Put(ReadStatus);
    const bool sent = !writeFailed_;
    FlushBuffer(true);
    return sent ? 3 : 0;
}
