// The bitmap file format: reading every header form, depth and compression, writing the bitmap's own form.

#include <algorithm>
#include <cstring>

#include "framework/visual/Graphics.h"
#include "framework/visual/GraphicsPrivate.h"
#include "framework/runtime/Streams.h"

using namespace graphics_detail;

namespace {

constexpr std::int64_t MaxPixels = std::int64_t(1) << 27;
// Generous for pictures that skip much with deltas or end early.
constexpr std::int64_t MaxRlePixelsPerByte = 4096;

std::uint32_t U16(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t U32(const unsigned char* p) { return U16(p) | U16(p + 2) << 16; }
std::int32_t I32(const unsigned char* p) { return std::int32_t(U32(p)); }

void Put16(std::vector<unsigned char>& out, std::uint32_t v)
{
    out.push_back(BYTE(v));
    out.push_back(BYTE(v >> 8));
}
void Put32(std::vector<unsigned char>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

[[noreturn]] void NotValid() { throw EInvalidGraphic("Bitmap image is not valid"); }

struct DibLayout {
    int width = 0;
    int height = 0;  // positive
    bool topDown = false;
    int bits = 0;
    DWORD compression = BI_RGB;
    DWORD masks[3] = {};
    std::vector<RGBQUAD> table;
    std::size_t bitsOffset = 0;  // from the start of the data
    std::size_t bitsSize = 0;    // bytes the bits may take
};

// Reads the info header (any of the core, info, V4 and V5 forms) at data[pos] and the colour table after it.
// Without a file header the bits follow the table; with one, its offset is taken when it is plausible.
DibLayout ParseLayout(const unsigned char* data, std::size_t size, bool fileHeader)
{
    DibLayout d;
    const std::size_t pos = fileHeader ? 14 : 0;
    if (size < pos + 12) NotValid();
    if (fileHeader && (data[0] != 'B' || data[1] != 'M')) NotValid();
    const std::uint32_t headerSize = U32(data + pos);
    if (headerSize < 12 || headerSize > size - pos) NotValid();
    const unsigned char* h = data + pos;
    std::size_t entrySize = 4;
    std::uint32_t colorsUsed = 0;
    std::size_t tablePos = pos + headerSize;
    if (headerSize == 12) {
        d.width = int(U16(h + 4));
        const int height = int(U16(h + 6));
        d.height = height;
        if (U16(h + 8) != 1) NotValid();
        d.bits = int(U16(h + 10));
        entrySize = 3;
    } else {
        if (headerSize < 40) NotValid();
        d.width = I32(h + 4);
        const std::int32_t height = I32(h + 8);
        if (height == INT32_MIN) NotValid();
        d.topDown = height < 0;
        d.height = height < 0 ? -height : height;
        if (U16(h + 12) != 1) NotValid();
        d.bits = int(U16(h + 14));
        d.compression = U32(h + 16);
        colorsUsed = U32(h + 32);
        if (d.compression == BI_BITFIELDS) {
            if (headerSize >= 52) {
                for (int i = 0; i < 3; ++i) d.masks[i] = U32(h + 40 + 4 * i);
            } else {
                if (size < tablePos + 12) NotValid();
                for (int i = 0; i < 3; ++i) d.masks[i] = U32(data + tablePos + 4 * std::size_t(i));
                tablePos += 12;
            }
        }
    }
    if (d.width <= 0 || d.height <= 0 || std::int64_t(d.width) * d.height > MaxPixels) NotValid();
    switch (d.compression) {
    case BI_RGB:
        if (d.bits != 1 && d.bits != 4 && d.bits != 8 && d.bits != 16 && d.bits != 24 && d.bits != 32) NotValid();
        break;
    case BI_RLE8:
        if (d.bits != 8 || d.topDown) NotValid();
        break;
    case BI_RLE4:
        if (d.bits != 4 || d.topDown) NotValid();
        break;
    case BI_BITFIELDS:
        if (d.bits != 16 && d.bits != 32) NotValid();
        break;
    default: NotValid();
    }
    std::size_t entries = 0;
    if (d.bits <= 8) {
        const std::size_t full = std::size_t(1) << d.bits;
        entries = colorsUsed == 0 ? full : std::min<std::size_t>(colorsUsed, full);
    } else if (headerSize != 12) {
        entries = std::min<std::uint32_t>(colorsUsed, 256);  // an optional table, skipped
    }
    const std::size_t tableEnd = tablePos + entries * entrySize;
    if (tableEnd > size) NotValid();
    if (d.bits <= 8) {
        for (std::size_t i = 0; i < entries; ++i) {
            const unsigned char* e = data + tablePos + i * entrySize;
            d.table.push_back(RGBQUAD{e[0], e[1], e[2], 0});
        }
    }
    d.bitsOffset = tableEnd;
    if (fileHeader) {
        const std::uint32_t offset = U32(data + 10);
        if (offset >= tableEnd && offset < size) d.bitsOffset = offset;
    }
    if (d.bitsOffset > size) NotValid();
    d.bitsSize = size - d.bitsOffset;
    // Runs paint at most 255 pixels per two bytes, rows end in two; a picture far larger than its data could
    // describe is not allocated.
    if ((d.compression == BI_RLE8 || d.compression == BI_RLE4) &&
        std::int64_t(d.width) * d.height > (std::int64_t(d.bitsSize) + 2) * MaxRlePixelsPerByte)
        NotValid();
    return d;
}

// Run-length coded bits (8 or 4 bits per index) into an indexed image; rows run from the bottom. Runs that
// leave the picture are cut off; the data ending early leaves the rest at index 0.
void DecodeRle(const DibLayout& d, const unsigned char* p, std::size_t n, TBitmapImage& im)
{
    const int bits = d.bits;
    int x = 0, y = 0;  // y counts rows from the bottom
    std::size_t i = 0;
    auto put = [&](unsigned index) {
        if (x < im.width && y < im.height) SetIndexAt(im.Row(im.height - 1 - y), x, bits, index);
        ++x;
    };
    while (i + 1 < n && y < im.height) {
        const unsigned count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count; ++k)
                put(bits == 8 ? value : (k & 1) ? (value & 15) : (value >> 4));
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (i + 1 >= n) break;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else {  // literal run, padded to a 16-bit boundary
            const std::size_t bytes = bits == 8 ? value : (value + 1) / 2;
            if (i + bytes > n) break;
            for (unsigned k = 0; k < value; ++k) {
                const unsigned char b = p[i + (bits == 8 ? k : k / 2)];
                put(bits == 8 ? b : (k & 1) ? (b & 15) : (b >> 4));
            }
            i += (bytes + 1) & ~std::size_t(1);
        }
    }
}

int MaskShift(DWORD m)
{
    int s = 0;
    while (m && !(m & 1)) {
        m >>= 1;
        ++s;
    }
    return s;
}
int MaskBits(DWORD m)
{
    m >>= MaskShift(m);
    int n = 0;
    while (m & 1) {
        m >>= 1;
        ++n;
    }
    return n;
}

std::unique_ptr<TBitmapImage> BuildImage(const DibLayout& d, const unsigned char* bits)
{
    const int w = d.width, h = d.height;
    const std::size_t stride = std::size_t(StrideOf(w, d.bits));
    auto fileRow = [&](int y) { return bits + std::size_t(d.topDown ? y : h - 1 - y) * stride; };
    if (d.compression == BI_RLE8 || d.compression == BI_RLE4) {
        auto im = NewDib(w, h, d.bits == 8 ? pf8bit : pf4bit, d.table);
        std::memset(im->bits, 0, std::size_t(im->stride) * std::size_t(h));
        DecodeRle(d, bits, d.bitsSize, *im);
        return im;
    }
    if (stride * std::size_t(h) > d.bitsSize) NotValid();
    if (d.bits <= 8) {
        const TPixelFormat f = d.bits == 1 ? pf1bit : d.bits == 4 ? pf4bit : pf8bit;
        auto table = d.table;
        table.resize(std::size_t(1) << d.bits, RGBQUAD{0, 0, 0, 0});
        const bool blackAndWhite = d.bits == 1 && d.table.size() == 2 &&
                                   ((FromQuad(table[0]) == Black && FromQuad(table[1]) == White) ||
                                    (FromQuad(table[0]) == White && FromQuad(table[1]) == Black));
        if (blackAndWhite) {
            // A black and white picture is a mask: it becomes a monochrome bitmap.
            auto im = NewMono(w, h);
            std::vector<bool> white(std::size_t(w) * std::size_t(h));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    white[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                        FromQuad(table[IndexAt(fileRow(y), x, 1)]) == White;
            WriteMonoBits(*im, white);
            return im;
        }
        auto im = NewDib(w, h, f, table);
        for (int y = 0; y < h; ++y) std::memcpy(im->Row(y), fileRow(y), stride);
        return im;
    }
    const DWORD* m = d.masks;
    TPixelFormat f = pfCustom;
    if (d.bits == 16 && (d.compression == BI_RGB || (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F))) f = pf15bit;
    else if (d.bits == 16 && m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F) f = pf16bit;
    else if (d.bits == 24) f = pf24bit;
    else if (d.bits == 32 && (d.compression == BI_RGB || (m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF))) f = pf32bit;
    if (f != pfCustom) {
        auto im = NewDib(w, h, f, {});
        for (int y = 0; y < h; ++y) std::memcpy(im->Row(y), fileRow(y), stride);
        return im;
    }
    // Other bit masks: each channel widened to 8 bits, into 32 bits per pixel.
    auto im = NewDib(w, h, pf32bit, {});
    int shift[3], count[3];
    for (int c = 0; c < 3; ++c) {
        shift[c] = MaskShift(m[c]);
        count[c] = MaskBits(m[c]);
    }
    for (int y = 0; y < h; ++y) {
        const unsigned char* src = fileRow(y);
        unsigned char* dst = im->Row(y);
        for (int x = 0; x < w; ++x) {
            const DWORD v = d.bits == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
            unsigned ch[3];
            for (int c = 0; c < 3; ++c) ch[c] = Widen((v & m[c]) >> shift[c], count[c]);
            Encode(*im, dst, x, RGB(ch[0], ch[1], ch[2]), nullptr);
        }
    }
    return im;
}

}  // namespace

void TBitmap::LoadDIB(const unsigned char* data, std::size_t size, bool fileHeader)
{
    const DibLayout layout = ParseLayout(data, size, fileHeader);
    auto im = BuildImage(layout, data + layout.bitsOffset);
    palette_.reset();
    paletteSet_ = false;
    format_ = im->format;
    Adopt(std::move(im));
    Changed();
}

// Reads exactly the bitmap: up to the end the file header gives, or that the bits need, whichever is later.
void TBitmap::LoadFromStream(TStream* stream)
{
    std::vector<unsigned char> data(14 + 4);
    const int got = stream->Read(data.data(), int(data.size()));
    if (got == 0) {  // nothing stored: an empty bitmap
        Clear();
        width_ = height_ = 0;
        Changed();
        return;
    }
    if (got < int(data.size()) || data[0] != 'B' || data[1] != 'M') NotValid();
    const std::uint32_t headerSize = U32(data.data() + 14);
    if (headerSize < 12 || headerSize > 4096) NotValid();
    data.resize(14 + headerSize + 12);  // room for three bit masks after a 40-byte header
    const int more = stream->Read(data.data() + 18, int(data.size()) - 18);
    data.resize(18 + std::size_t(more));
    if (data.size() < 14 + headerSize) NotValid();
    std::size_t total = U32(data.data() + 2);
    const std::size_t available = data.size() + std::size_t(std::max(0, stream->Size() - stream->Position()));
    if (total < 14 + headerSize) total = available;  // no usable size in the file header: all that is left
    if (headerSize >= 40) {
        const unsigned char* h = data.data() + 14;
        const std::int64_t w = I32(h + 4), hh = std::abs(std::int64_t(I32(h + 8)));
        const std::int64_t rowBytes = (w * U16(h + 14) + 31) / 32 * 4;
        const std::uint32_t offset = U32(data.data() + 10);
        const std::int64_t bitsEnd = offset + (U32(h + 16) == BI_RLE8 || U32(h + 16) == BI_RLE4
                                                   ? std::int64_t(U32(h + 20))
                                                   : rowBytes * hh);
        if (w > 0 && bitsEnd > std::int64_t(total) && bitsEnd < 0x7FFFFFFF) total = std::size_t(bitsEnd);
    }
    total = std::min(std::max(total, data.size()), available);
    if (total > data.size()) {
        const std::size_t have = data.size();
        data.resize(total);
        data.resize(have + std::size_t(stream->Read(data.data() + have, int(total - have))));
    } else if (total < data.size()) {
        stream->Seek(int(total) - int(data.size()), soFromCurrent);  // what was read ahead belongs to the caller
        data.resize(total);
    }
    LoadDIB(data.data(), data.size(), true);
}

void TBitmap::ReadData(TStream* stream)
{
    std::int32_t size = 0;
    if (stream->Read(&size, 4) != 4 || size < 0 || size > stream->Size() - stream->Position())
        throw EReadError("Invalid stream format");
    TMemoryStream file;
    file.SetSize(size);
    if (size > 0) stream->ReadBuffer(file.Memory(), size);
    file.SetPosition(0);
    LoadFromStream(&file);
}

void TBitmap::WriteData(TStream* stream)
{
    TMemoryStream file;
    SaveToStream(&file);
    const std::int32_t size = file.Size();
    stream->WriteBuffer(&size, 4);
    stream->WriteBuffer(file.Memory(), size);
}

void TBitmap::SaveToStream(TStream* stream)
{
    if (!image_) return;
    const TBitmapImage& im = *image_;
    const int bits = im.mono ? 1 : BitsOf(im.format);
    const std::vector<RGBQUAD>& table = im.mono ? MonoTable() : im.table;
    const std::size_t masks = im.format == pf16bit ? 12 : 0;
    const std::size_t tableBytes = bits <= 8 ? table.size() * 4 : 0;
    const std::size_t stride = std::size_t(StrideOf(im.width, bits));
    const std::size_t offset = 14 + 40 + masks + tableBytes;
    const std::size_t imageSize = stride * std::size_t(im.height);
    std::vector<unsigned char> out;
    out.reserve(offset + imageSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, std::uint32_t(offset + imageSize));
    Put32(out, 0);
    Put32(out, std::uint32_t(offset));
    Put32(out, 40);
    Put32(out, std::uint32_t(im.width));
    Put32(out, std::uint32_t(im.height));
    Put16(out, 1);
    Put16(out, std::uint32_t(bits));
    Put32(out, masks ? BI_BITFIELDS : BI_RGB);
    Put32(out, std::uint32_t(imageSize));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    if (masks) {
        Put32(out, 0xF800);
        Put32(out, 0x07E0);
        Put32(out, 0x001F);
    }
    if (bits <= 8)
        for (const RGBQUAD& q : table) {
            out.push_back(q.rgbBlue);
            out.push_back(q.rgbGreen);
            out.push_back(q.rgbRed);
            out.push_back(0);
        }
    if (im.mono) {
        const auto px = ReadPixels();
        std::vector<unsigned char> row(stride);
        for (int y = im.height - 1; y >= 0; --y) {
            std::fill(row.begin(), row.end(), 0);
            for (int x = 0; x < im.width; ++x)
                if ((px[std::size_t(y) * std::size_t(im.width) + std::size_t(x)] & 0xFFFFFF) == White)
                    SetIndexAt(row.data(), x, 1, 1);
            out.insert(out.end(), row.begin(), row.end());
        }
    } else {
        GdiFlush();
        for (int y = im.height - 1; y >= 0; --y) out.insert(out.end(), im.Row(y), im.Row(y) + stride);
    }
    stream->WriteBuffer(out.data(), int(out.size()));
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id)
{
    TResourceStream res(instance, id, RT_BITMAP);
    LoadDIB(static_cast<const unsigned char*>(res.Memory()), std::size_t(res.Size()), false);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const AnsiString& name)
{
    TResourceStream res(instance, name, RT_BITMAP);
    LoadDIB(static_cast<const unsigned char*>(res.Memory()), std::size_t(res.Size()), false);
}
