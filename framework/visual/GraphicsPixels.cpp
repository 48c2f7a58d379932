// The pixel store of bitmaps: sections and monochrome bitmaps, and pixels read and written in every format.

#include <algorithm>
#include <cstring>

#include "framework/visual/GraphicsPrivate.h"

namespace graphics_detail {

int BitsOf(TPixelFormat f)
{
    switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
    }
}

int StrideOf(int width, int bits) { return int((std::int64_t(width) * bits + 31) / 32 * 4); }

RGBQUAD Quad(std::uint32_t c) { return RGBQUAD{BYTE(c >> 16), BYTE(c >> 8), BYTE(c), 0}; }
std::uint32_t FromQuad(const RGBQUAD& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }

const std::vector<RGBQUAD>& MonoTable()
{
    static const std::vector<RGBQUAD> t = {Quad(Black), Quad(White)};
    return t;
}


void CheckSize(int width, int height, int bits)
{
    if (std::int64_t(StrideOf(width, bits)) * height > 0x7FFFFFFF)
        throw EOutOfResources("Bitmap too large: " + AnsiString(width) + " x " + AnsiString(height));
}

std::unique_ptr<TBitmapImage> NewDib(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& table)
{
    const int bits = BitsOf(format);
    CheckSize(width, height, bits);
    DibInfo bi{};
    bi.header.biSize = sizeof(BITMAPINFOHEADER);
    bi.header.biWidth = width;
    bi.header.biHeight = height;
    bi.header.biPlanes = 1;
    bi.header.biBitCount = WORD(bits);
    auto im = std::make_unique<TBitmapImage>();
    if (format == pf16bit) {
        bi.header.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(bi.colors, masks, sizeof masks);
    }
    if (bits <= 8) {
        const std::size_t n = std::size_t(1) << bits;
        im->table.assign(n, RGBQUAD{0, 0, 0, 0});
        std::copy_n(table.begin(), std::min(n, table.size()), im->table.begin());
        std::copy(im->table.begin(), im->table.end(), bi.colors);
        bi.header.biClrUsed = DWORD(n);
    }
    void* p = nullptr;
    im->handle.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &p, nullptr, 0));
    if (!im->handle)
        throw EOutOfResources("Not enough storage for a bitmap of " + AnsiString(width) + " x " + AnsiString(height));
    im->bits = static_cast<unsigned char*>(p);
    im->width = width;
    im->height = height;
    im->format = format;
    im->stride = StrideOf(width, bits);
    return im;
}

std::unique_ptr<TBitmapImage> NewMono(int width, int height)
{
    CheckSize(width, height, 1);
    auto im = std::make_unique<TBitmapImage>();
    im->handle.reset(CreateBitmap(width, height, 1, 1, nullptr));
    if (!im->handle)
        throw EOutOfResources("Not enough storage for a bitmap of " + AnsiString(width) + " x " + AnsiString(height));
    im->width = width;
    im->height = height;
    im->format = pf1bit;
    im->mono = true;
    im->table = MonoTable();
    return im;
}

unsigned IndexAt(const unsigned char* row, int x, int bits)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default: return row[x];
    }
}

void SetIndexAt(unsigned char* row, int x, int bits, unsigned index)
{
    switch (bits) {
    case 1: {
        const unsigned char m = static_cast<unsigned char>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<unsigned char>(index & 1 ? row[x >> 3] | m : row[x >> 3] & ~m);
        break;
    }
    case 4: {
        unsigned char& b = row[x >> 1];
        b = static_cast<unsigned char>((x & 1) ? (b & 0xF0) | (index & 15) : (b & 0x0F) | (index & 15) << 4);
        break;
    }
    default: row[x] = static_cast<unsigned char>(index);
    }
}

unsigned Widen(unsigned v, int n)
{
    if (n <= 0) return 0;
    if (n >= 8) return v >> (n - 8);
    unsigned r = 0;
    for (int shift = 8 - n; shift > -n; shift -= n) r |= shift >= 0 ? v << shift : v >> -shift;
    return r & 0xFF;
}

std::uint32_t Decode(const TBitmapImage& im, const unsigned char* row, int x)
{
    switch (im.format) {
    case pf1bit: return FromQuad(im.table[IndexAt(row, x, 1)]);
    case pf4bit: return FromQuad(im.table[IndexAt(row, x, 4)]);
    case pf8bit: return FromQuad(im.table[row[x]]);
    case pf15bit: {
        const unsigned v = unsigned(row[2 * x]) | unsigned(row[2 * x + 1]) << 8;
        return RGB(Widen(v >> 10 & 31, 5), Widen(v >> 5 & 31, 5), Widen(v & 31, 5));
    }
    case pf16bit: {
        const unsigned v = unsigned(row[2 * x]) | unsigned(row[2 * x + 1]) << 8;
        return RGB(Widen(v >> 11 & 31, 5), Widen(v >> 5 & 63, 6), Widen(v & 31, 5));
    }
    case pf24bit: return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    }
}

void Encode(const TBitmapImage& im, unsigned char* row, int x, std::uint32_t c, NearestIndex* nearest)
{
    const unsigned r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    switch (im.format) {
    case pf1bit:
    case pf4bit:
    case pf8bit: SetIndexAt(row, x, BitsOf(im.format), (*nearest)(c & 0xFFFFFF)); break;
    case pf15bit: {
        const unsigned v = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
        row[2 * x] = BYTE(v);
        row[2 * x + 1] = BYTE(v >> 8);
        break;
    }
    case pf16bit: {
        const unsigned v = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
        row[2 * x] = BYTE(v);
        row[2 * x + 1] = BYTE(v >> 8);
        break;
    }
    case pf24bit:
        row[3 * x] = BYTE(b);
        row[3 * x + 1] = BYTE(g);
        row[3 * x + 2] = BYTE(r);
        break;
    default:
        row[4 * x] = BYTE(b);
        row[4 * x + 1] = BYTE(g);
        row[4 * x + 2] = BYTE(r);
        row[4 * x + 3] = 0;
    }
}


void WriteMonoBits(const TBitmapImage& im, const std::vector<bool>& white)
{
    const int stride = StrideOf(im.width, 1);
    std::vector<unsigned char> bits(std::size_t(stride) * std::size_t(im.height), 0);
    for (int y = 0; y < im.height; ++y)
        for (int x = 0; x < im.width; ++x)
            if (white[std::size_t(y) * std::size_t(im.width) + std::size_t(x)])
                SetIndexAt(bits.data() + std::size_t(y) * std::size_t(stride), x, 1, 1);
    DibInfo bi{};
    bi.header.biSize = sizeof(BITMAPINFOHEADER);
    bi.header.biWidth = im.width;
    bi.header.biHeight = -im.height;
    bi.header.biPlanes = 1;
    bi.header.biBitCount = 1;
    bi.header.biClrUsed = 2;
    bi.colors[0] = Quad(Black);
    bi.colors[1] = Quad(White);
    MemoryDC dc(CreateCompatibleDC(nullptr));
    SetDIBits(dc.get(), im.handle.get(), 0, UINT(im.height), bits.data(), reinterpret_cast<BITMAPINFO*>(&bi),
              DIB_RGB_COLORS);
}


}  // namespace graphics_detail
