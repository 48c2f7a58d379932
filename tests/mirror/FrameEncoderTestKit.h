#pragma once
// Fixtures for the encoder tests: a link stand-in that keeps every queued request (and checks that nothing was
// written past a request's 2048 bytes), 8-bit sections whose pixels are palette indices, and the frame bytes
// that the protocol's tables give for a list of row codes.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Handles.h"
#include "mirror/FrameEncoder.h"

namespace encodertest {

using Bytes = std::vector<std::uint8_t>;

inline std::string Hex(const Bytes& bytes)
{
    std::string s;
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        s += buf;
    }
    return s;
}

// Collects what the encoder queues, in order, as the link's writer would send it.
class RecordingSink : public KvFrameSink {
public:
    static constexpr DWORD Guard = 64;
    static constexpr BYTE GuardByte = 0xA5;

    std::vector<Bytes> requests;
    BYTE sentNo = 0;
    std::vector<BYTE> setNos;
    std::deque<POINT> moves;
    int allow = -1;  // requests still to be had; -1 without limit
    int outstanding = 0;
    int guardDamage = 0;

    ~RecordingSink() override = default;

    KvWriteRequest* NewWriteRequest(BYTE type, DWORD size) override
    {
        EXPECT_EQ(type, KvRequestDataBlock);
        EXPECT_EQ(size, 2048u);
        if (allow == 0) return nullptr;
        if (allow > 0) --allow;
        auto slot = std::make_unique<Slot>();
        slot->data.assign(size + Guard, GuardByte);
        slot->request.type = type;
        slot->request.payload = slot->data.data();
        KvWriteRequest* r = &slot->request;
        slots_[r] = std::move(slot);
        ++outstanding;
        return r;
    }

    bool QueueWriteRequest(KvWriteRequest* request) override
    {
        auto it = slots_.find(request);
        EXPECT_NE(it, slots_.end()) << "a request of ours";
        if (it == slots_.end()) return false;
        Slot& slot = *it->second;
        EXPECT_GT(request->length, 0u);
        EXPECT_LE(request->length, 2048u);
        for (DWORD i = 2048; i < slot.data.size(); ++i)
            if (slot.data[i] != GuardByte) ++guardDamage;
        requests.emplace_back(slot.data.begin(), slot.data.begin() + std::min<DWORD>(request->length, 2048));
        slots_.erase(it);
        --outstanding;
        return true;
    }

    bool FreeWriterItem(KvWriteRequest** request) override
    {
        if (!request || !*request) return true;
        auto it = slots_.find(*request);
        EXPECT_NE(it, slots_.end());
        if (it != slots_.end()) {
            slots_.erase(it);
            --outstanding;
        }
        *request = nullptr;
        return true;
    }

    BYTE GetSentTransferNo() override { return sentNo; }
    void SetSentTransferNo(BYTE number) override
    {
        sentNo = number;
        setNos.push_back(number);
    }
    bool GetCursorUpdate(POINT& position) override
    {
        if (moves.empty()) return false;
        position = moves.front();
        moves.pop_front();
        return true;
    }

    Bytes Wire() const
    {
        Bytes all;
        for (const Bytes& r : requests) all.insert(all.end(), r.begin(), r.end());
        return all;
    }
    void Clear()
    {
        requests.clear();
        setNos.clear();
    }

private:
    struct Slot {
        KvWriteRequest request{};
        Bytes data;
    };
    std::map<KvWriteRequest*, std::unique_ptr<Slot>> slots_;
};

// Rows of 8-bit sections are their own indices.
class IndexSectionRows : public KvIndexRows {
public:
    int failAtRow = -1;
    KvPalette256* palette = nullptr;
    bool dirty = false;

    std::uint8_t* GetIndexRow(const DIBSECTION& section, int offset, int row) override
    {
        if (row == failAtRow || section.dsBm.bmBitsPixel != 8 || !section.dsBm.bmBits) return nullptr;
        return static_cast<std::uint8_t*>(section.dsBm.bmBits) + std::ptrdiff_t(section.dsBm.bmWidthBytes) * row +
               offset;
    }
    bool BuildIndexMap(HBITMAP) override { return true; }
    KvPalette256* CurrentPalette() override { return palette; }
    bool PaletteDirty() const override { return dirty; }
    void SetPaletteDirty(bool value) override { dirty = value; }
};

struct EncoderRig {
    RecordingSink sink;
    IndexSectionRows rows;
    KvFrameEncoder encoder{sink, rows};
    ~EncoderRig() { encoder.FreeRequest(); }
};

// A top-down 8-bit DIB section with a grey colour table.
class Picture {
public:
    Picture(int width, int height, BYTE fill = 0) : width_(width), height_(height)
    {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width;
        info.header.biHeight = -height;
        info.header.biPlanes = 1;
        info.header.biBitCount = 8;
        info.header.biCompression = BI_RGB;
        info.header.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) info.colors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                       nullptr, 0));
        bits_ = static_cast<std::uint8_t*>(bits);
        stride_ = (width + 3) & ~3;
        if (bits_) std::memset(bits_, fill, size_t(stride_) * size_t(height));
    }
    HBITMAP Handle() const { return bitmap_.get(); }
    std::uint8_t* Bits() const { return bits_; }
    int Stride() const { return stride_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    std::uint8_t& At(int x, int y) { return bits_[size_t(y) * size_t(stride_) + size_t(x)]; }
    void SetRow(int y, const Bytes& pixels)
    {
        for (size_t x = 0; x < pixels.size(); ++x) At(int(x), y) = pixels[x];
    }

private:
    BitmapHandle bitmap_;
    std::uint8_t* bits_ = nullptr;
    int width_, height_, stride_ = 0;
};

inline std::uint32_t NextRandom(std::uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

inline void FillNoise(Picture& pic, std::uint32_t seed, int low, int high)
{
    for (int y = 0; y < pic.Height(); ++y)
        for (int x = 0; x < pic.Width(); ++x) pic.At(x, y) = BYTE(low + int(NextRandom(seed) % unsigned(high - low + 1)));
}

// Mostly the three code bytes, with runs and copies mixed in.
inline void FillEscapeHeavy(Picture& pic, std::uint32_t seed)
{
    const BYTE values[5] = {0x10, 0x16, 0x1A, 0x10, 0x42};
    for (int y = 0; y < pic.Height(); ++y) {
        int x = 0;
        while (x < pic.Width()) {
            const std::uint32_t r = NextRandom(seed);
            const int len = r % 16 == 0 ? 1 + int(r / 16 % 70) : 1;
            const bool copy = y > 0 && r % 23 == 0;
            for (int i = 0; i < len && x < pic.Width(); ++i, ++x)
                pic.At(x, y) = copy ? pic.At(x, y - 1) : values[(r >> 4) % 5];
            if (len == 1) {
                // neighbours differ, so no run forms by accident
                if (x >= 2 && pic.At(x - 1, y) == pic.At(x - 2, y)) pic.At(x - 1, y) = BYTE(pic.At(x - 1, y) ^ 0x0C);
            }
        }
    }
}

inline Bytes LineHeader(int row)
{
    return row < 256 ? Bytes{0x10, 0x41, BYTE(row)} : Bytes{0x10, 0x42, BYTE(row - 256)};
}

// Frame header, the rows' bytes and the trailer with the frame's sum.
inline Bytes FrameBytes(bool full, BYTE transferNo, WORD height, WORD width, const Bytes& rows)
{
    Bytes f{0x10, 0x40, 0x01, 0x06, BYTE(full ? 1 : 0), transferNo, BYTE(height >> 8), BYTE(height),
            BYTE(width >> 8), BYTE(width)};
    f.insert(f.end(), rows.begin(), rows.end());
    for (BYTE b : Bytes{0x10, 0x40, 0x02, 0x03, transferNo}) f.push_back(b);
    unsigned sum = 0;
    for (BYTE b : f) sum += b;
    f.push_back(BYTE(sum >> 8 & 0xFF));
    f.push_back(BYTE(sum));
    return f;
}

// A 4 x 4 section with the given bit-field masks; null when the system refuses them.
inline BitmapHandle MakeBitfieldSection(WORD bits, const DWORD masks[3])
{
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 4;
    info.header.biHeight = -4;
    info.header.biPlanes = 1;
    info.header.biBitCount = bits;
    info.header.biCompression = BI_BITFIELDS;
    for (int i = 0; i < 3; ++i) info.masks[i] = masks[i];
    void* p = nullptr;
    return BitmapHandle(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0));
}

}  // namespace encodertest
