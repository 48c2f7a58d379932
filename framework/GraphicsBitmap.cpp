// Bitmaps: the pixel store (DIB sections, or a monochrome device bitmap), formats and their conversion,
// masks, the bitmap's canvas and drawing, and BrushCopy, which needs the masks.

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "framework/Graphics.h"
#include "framework/GraphicsPrivate.h"
#include "framework/Streams.h"

// One set of pixels. A DIB section keeps its bits in memory; the monochrome device bitmap has none.
struct TBitmapImage {
    BitmapHandle handle;
    unsigned char* bits = nullptr;
    int width = 0;
    int height = 0;
    TPixelFormat format = pf24bit;
    bool mono = false;
    bool topDown = false;  // only for sections adopted through SetHandle; ours are bottom-up
    int stride = 0;
    std::vector<RGBQUAD> table;  // up to 8 bits: 2^bits entries

    unsigned char* Row(int y) const
    {
        return bits + std::size_t(topDown ? y : height - 1 - y) * std::size_t(stride);
    }
};

namespace {

constexpr std::uint32_t Black = 0x000000;
constexpr std::uint32_t White = 0xFFFFFF;

struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

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

// The sixteen colours of the standard VGA table.
std::vector<RGBQUAD> Vga16()
{
    static constexpr std::uint32_t c[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                            0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                            0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    std::vector<RGBQUAD> t;
    for (std::uint32_t v : c) t.push_back(Quad(v));
    return t;
}

// A 6 x 6 x 6 colour cube and a ramp of 40 greys.
std::vector<RGBQUAD> Cube256()
{
    std::vector<RGBQUAD> t;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) t.push_back(Quad(RGB(r * 51, g * 51, b * 51)));
    for (int i = 1; i <= 40; ++i) {
        const int v = (255 * i + 20) / 41;
        t.push_back(Quad(RGB(v, v, v)));
    }
    return t;
}

TPixelFormat DeviceFormat()
{
    WindowDC screen(nullptr);
    const int bits = screen ? GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES) : 32;
    switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 15: return pf15bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    default: return pf32bit;
    }
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

// Widens a channel of n bits to 8 by repeating its bits, so the largest value stays 255.
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

// Nearest entry of a colour table by squared distance; the lowest index wins a tie.
class NearestIndex {
public:
    explicit NearestIndex(const std::vector<RGBQUAD>& table) : table_(table) {}
    unsigned operator()(std::uint32_t c)
    {
        auto it = cache_.find(c);
        if (it != cache_.end()) return it->second;
        const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        unsigned best = 0;
        long bestDistance = 0x7FFFFFFF;
        for (unsigned i = 0; i < table_.size(); ++i) {
            const long dr = r - table_[i].rgbRed, dg = g - table_[i].rgbGreen, db = b - table_[i].rgbBlue;
            const long d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        cache_.emplace(c, best);
        return best;
    }

private:
    const std::vector<RGBQUAD>& table_;
    std::unordered_map<std::uint32_t, unsigned> cache_;
};

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

// Whether a colour is nearer white than black (ties go to black).
bool NearerWhite(std::uint32_t c)
{
    long dBlack = 0, dWhite = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const long v = long(c >> shift & 0xFF);
        dBlack += v * v;
        dWhite += (255 - v) * (255 - v);
    }
    return dWhite < dBlack;
}

// Sets a monochrome device bitmap from one flag per pixel (rows from the top; true is white).
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

// Writes pixels (0x00BBGGRR, rows from the top) into an image of the same size.
void WritePixels(TBitmapImage& im, const std::vector<std::uint32_t>& pixels)
{
    if (im.mono) {
        std::vector<bool> white(pixels.size());
        for (std::size_t i = 0; i < pixels.size(); ++i) white[i] = NearerWhite(pixels[i]);
        WriteMonoBits(im, white);
        return;
    }
    GdiFlush();
    NearestIndex nearest(im.table);
    for (int y = 0; y < im.height; ++y) {
        unsigned char* row = im.Row(y);
        const std::uint32_t* src = pixels.data() + std::size_t(y) * std::size_t(im.width);
        for (int x = 0; x < im.width; ++x) Encode(im, row, x, src[x], &nearest);
    }
}

// A DC that has the image selected: the canvas's own when it has one, else a temporary one.
class SourceDC {
public:
    SourceDC(HDC canvasDC, HBITMAP bitmap)
    {
        if (canvasDC) {
            dc_ = canvasDC;
        } else {
            temp_.reset(CreateCompatibleDC(nullptr));
            old_ = SelectObject(temp_.get(), bitmap);
            dc_ = temp_.get();
        }
    }
    SourceDC(const SourceDC&) = delete;
    SourceDC& operator=(const SourceDC&) = delete;
    ~SourceDC()
    {
        if (temp_ && old_) SelectObject(temp_.get(), old_);
    }
    HDC get() const { return dc_; }

private:
    HDC dc_ = nullptr;
    MemoryDC temp_;
    HGDIOBJ old_ = nullptr;
};

void FillWhite(TBitmapImage& im)
{
    if (im.mono) {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectedObject sel(dc.get(), im.handle.get());
        PatBlt(dc.get(), 0, 0, im.width, im.height, WHITENESS);
        return;
    }
    GdiFlush();
    NearestIndex nearest(im.table);
    unsigned char* first = im.Row(0);
    for (int x = 0; x < im.width; ++x) Encode(im, first, x, White, &nearest);
    for (int y = 1; y < im.height; ++y) std::memcpy(im.Row(y), first, std::size_t(im.stride));
}

// Copies the overlapping top-left part of one image into another of the same format.
void CopyOverlap(const TBitmapImage& from, HDC fromDC, TBitmapImage& to)
{
    const int w = std::min(from.width, to.width), h = std::min(from.height, to.height);
    if (to.mono) {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectedObject sel(dc.get(), to.handle.get());
        SourceDC src(fromDC, from.handle.get());
        BitBlt(dc.get(), 0, 0, w, h, src.get(), 0, 0, SRCCOPY);
        return;
    }
    GdiFlush();
    const int bits = BitsOf(from.format);
    for (int y = 0; y < h; ++y) {
        const unsigned char* s = from.Row(y);
        unsigned char* d = to.Row(y);
        if (bits % 8 == 0) {
            std::memcpy(d, s, std::size_t(w) * std::size_t(bits / 8));
        } else {
            for (int x = 0; x < w; ++x) SetIndexAt(d, x, bits, IndexAt(s, x, bits));
        }
    }
}

std::vector<RGBQUAD> PaletteTable(HPALETTE palette)
{
    std::vector<RGBQUAD> t;
    if (!palette) return t;
    WORD count = 0;
    if (GetObjectA(palette, sizeof count, &count) == 0 || count == 0) return t;
    std::vector<PALETTEENTRY> entries(count);
    count = WORD(GetPaletteEntries(palette, 0, count, entries.data()));
    for (WORD i = 0; i < count; ++i) t.push_back(RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
    return t;
}

PaletteHandle PaletteOf(const std::vector<RGBQUAD>& table)
{
    if (table.empty()) return PaletteHandle();
    std::vector<unsigned char> buf(sizeof(LOGPALETTE) + table.size() * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(table.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        lp->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return PaletteHandle(CreatePalette(lp));
}

// The system does not tell whether a section's rows run down (its reported height is positive either way), so
// the first byte in memory is changed for a moment and the row that shows it decides. A table of one colour
// shows nothing: such a picture looks the same either way up.
bool RowsRunDown(HDC dc, const TBitmapImage& im)
{
    if (im.height < 2) return false;
    GdiFlush();
    const COLORREF top = GetPixel(dc, 0, 0), bottom = GetPixel(dc, 0, im.height - 1);
    const unsigned char saved = im.bits[0];
    im.bits[0] = static_cast<unsigned char>(saved ^ 0xFF);
    const bool down = GetPixel(dc, 0, 0) != top && GetPixel(dc, 0, im.height - 1) == bottom;
    im.bits[0] = saved;
    GdiFlush();
    return down;
}

std::unique_ptr<TBitmapImage> CopyImage(const TBitmapImage& from, HDC fromDC)
{
    auto to = from.mono ? NewMono(from.width, from.height) : NewDib(from.width, from.height, from.format, from.table);
    CopyOverlap(from, fromDC, *to);
    return to;
}

}  // namespace

// The bitmap's canvas: a memory DC with the bitmap selected, made when first drawn on.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeHandle(); }

    void FreeHandle() override
    {
        TCanvas::SetHandle(nullptr);  // font, pen and brush leave the DC first
        if (ownDC_) {
            if (oldBitmap_) SelectObject(ownDC_, oldBitmap_);
            DeleteDC(ownDC_);
            ownDC_ = nullptr;
            oldBitmap_ = nullptr;
        }
    }

protected:
    void CreateHandle() override
    {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        if (!dc) throw EOutOfResources("Cannot make a device context for a bitmap");
        if (bitmap_->image_) {
            HGDIOBJ old = SelectObject(dc.get(), bitmap_->image_->handle.get());
            if (!old || old == HGDI_ERROR)
                throw EInvalidOperation("The bitmap is selected into another device context");
            oldBitmap_ = old;
        }
        ownDC_ = dc.release();
        SetHandle(ownDC_);
    }

private:
    TBitmap* bitmap_;  // the owner
    HDC ownDC_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    canvas_.reset();  // the DC lets go of the bitmap before the bitmap is deleted
}

TCanvas* TBitmap::Canvas()
{
    if (!canvas_) {
        canvas_ = std::make_unique<TBitmapCanvas>(this);
        canvas_->SetOnChange(TNotifyEvent(this, &TBitmap::CanvasChanged));
    }
    return canvas_.get();
}

HDC TBitmap::CanvasDC() const { return canvas_ && canvas_->HandleAllocated() ? canvas_->dc_ : nullptr; }

void TBitmap::CanvasChanged(TObject*) { Changed(); }

void TBitmap::FreeContext(bool force)
{
    if (canvas_ && (force || canvas_->LockCount() == 0)) canvas_->FreeHandle();
}

void TBitmap::Adopt(std::unique_ptr<TBitmapImage> image)
{
    FreeContext(true);
    mask_.reset();
    if (!paletteSet_) palette_.reset();
    width_ = image->width;
    height_ = image->height;
    mono_ = image->mono;
    image_ = std::move(image);  // the old image goes only now, out of every DC
}

void TBitmap::Clear()
{
    FreeContext(true);
    mask_.reset();
    if (!paletteSet_) palette_.reset();
    image_.reset();
}

void TBitmap::Changed()
{
    mask_.reset();
    TGraphic::Changed();
}

std::vector<std::uint32_t> TBitmap::ReadPixels() const
{
    std::vector<std::uint32_t> px;
    if (!image_) return px;
    const TBitmapImage& im = *image_;
    px.resize(std::size_t(im.width) * std::size_t(im.height));
    if (im.mono) {
        // Through a 1-bit section with a black and white table: device bits 0 and 1 come out black and white.
        auto tmp = NewDib(im.width, im.height, pf1bit, MonoTable());
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectedObject sel(dc.get(), tmp->handle.get());
        SetTextColor(dc.get(), Black);
        SetBkColor(dc.get(), White);
        SourceDC src(CanvasDC(), im.handle.get());
        BitBlt(dc.get(), 0, 0, im.width, im.height, src.get(), 0, 0, SRCCOPY);
        GdiFlush();
        for (int y = 0; y < im.height; ++y)
            for (int x = 0; x < im.width; ++x)
                px[std::size_t(y) * std::size_t(im.width) + std::size_t(x)] = Decode(*tmp, tmp->Row(y), x);
        return px;
    }
    GdiFlush();
    for (int y = 0; y < im.height; ++y) {
        const unsigned char* row = im.Row(y);
        for (int x = 0; x < im.width; ++x) px[std::size_t(y) * std::size_t(im.width) + std::size_t(x)] = Decode(im, row, x);
    }
    return px;
}

BitmapHandle TBitmap::MakeMask(std::uint32_t key) const
{
    if (!image_) return BitmapHandle();
    auto mask = NewMono(width_, height_);
    const auto px = ReadPixels();
    std::vector<bool> white(px.size());
    for (std::size_t i = 0; i < px.size(); ++i) white[i] = (px[i] & 0xFFFFFF) == key;
    WriteMonoBits(*mask, white);
    return std::move(mask->handle);
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    if (width == 0 || height == 0) {
        if (image_) {
            format_ = image_->mono ? pf1bit : image_->format;
            mono_ = image_->mono;
        }
        Clear();
        width_ = width;
        height_ = height;
        Changed();
        return;
    }
    std::unique_ptr<TBitmapImage> im;
    if (image_) {
        im = image_->mono ? NewMono(width, height) : NewDib(width, height, image_->format, image_->table);
    } else if (mono_ || format_ == pf1bit) {
        im = NewMono(width, height);
    } else {
        const TPixelFormat f = format_ == pfDevice ? DeviceFormat() : format_;
        if (f == pf1bit) {
            im = NewMono(width, height);
        } else {
            std::vector<RGBQUAD> table;
            if (BitsOf(f) <= 8) {
                table = paletteSet_ ? PaletteTable(palette_.get()) : std::vector<RGBQUAD>();
                if (table.empty()) table = f == pf4bit ? Vga16() : Cube256();
            }
            im = NewDib(width, height, f, table);
        }
    }
    FillWhite(*im);
    if (image_) CopyOverlap(*image_, CanvasDC(), *im);
    Adopt(std::move(im));
    Changed();
}

TPixelFormat TBitmap::PixelFormat() const
{
    if (!image_) return mono_ ? pf1bit : format_;
    return image_->mono ? pf1bit : image_->format;
}

std::vector<RGBQUAD> TBitmap::TableFor(int bits, const std::vector<std::uint32_t>& pixels) const
{
    const std::size_t n = std::size_t(1) << bits;
    if (paletteSet_) {
        auto t = PaletteTable(palette_.get());
        if (!t.empty()) {
            if (t.size() > n) t.resize(n);
            return t;
        }
    }
    if (image_ && !image_->mono && BitsOf(image_->format) <= bits) return image_->table;
    std::vector<RGBQUAD> t;
    std::unordered_set<std::uint32_t> seen;
    for (std::uint32_t c : pixels) {
        if (seen.insert(c).second) {
            if (seen.size() > n) break;
            t.push_back(Quad(c));
        }
    }
    if (seen.size() <= n) return t;
    return bits == 4 ? Vga16() : bits == 8 ? Cube256() : MonoTable();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pfCustom) throw EInvalidGraphicOperation("Cannot convert a bitmap to a custom pixel format");
    if (format == pfDevice) format = DeviceFormat();
    const bool toMono = format == pf1bit;
    if (!image_) {
        if (format_ == format && mono_ == toMono) return;
        format_ = format;
        mono_ = toMono;
        Changed();
        return;
    }
    if (toMono ? image_->mono : (!image_->mono && image_->format == format)) return;
    const auto px = ReadPixels();
    std::unique_ptr<TBitmapImage> im;
    if (toMono) im = NewMono(width_, height_);
    else im = NewDib(width_, height_, format, BitsOf(format) <= 8 ? TableFor(BitsOf(format), px) : std::vector<RGBQUAD>());
    WritePixels(*im, px);
    format_ = format;
    Adopt(std::move(im));
    Changed();
}

// The pixels of exactly the brush colour (RGB, palette flag ignored) become white, all others black.
void TBitmap::SetMonochrome(bool value)
{
    if (!image_) {
        if (mono_ == value) return;
        mono_ = value;
        format_ = value ? pf1bit : pfDevice;
        Changed();
        return;
    }
    if (image_->mono == value) return;
    auto px = ReadPixels();
    std::unique_ptr<TBitmapImage> im;
    if (value) {
        const std::uint32_t key = std::uint32_t(ColorToRGB(Canvas()->Brush()->Color())) & 0xFFFFFF;
        for (std::uint32_t& c : px) c = (c & 0xFFFFFF) == key ? White : Black;
        im = NewMono(width_, height_);
        format_ = pf1bit;
    } else {
        const TPixelFormat f = DeviceFormat() == pf1bit ? pf4bit : DeviceFormat();
        im = NewDib(width_, height_, f, BitsOf(f) <= 8 ? TableFor(BitsOf(f), px) : std::vector<RGBQUAD>());
        format_ = f;
    }
    WritePixels(*im, px);
    Adopt(std::move(im));
    Changed();
}

void* TBitmap::ScanLine(int row)
{
    if (!image_ || row < 0 || row >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
    if (image_->mono) throw EInvalidGraphicOperation("A monochrome bitmap has no scan lines");
    GdiFlush();
    mask_.reset();  // the caller may change the pixels
    return image_->Row(row);
}

HBITMAP TBitmap::Handle()
{
    FreeContext(false);
    return image_ ? image_->handle.get() : nullptr;
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    if (image_ && bitmap == image_->handle.get()) return;
    if (!bitmap) {
        Clear();
        width_ = height_ = 0;
        Changed();
        return;
    }
    DIBSECTION ds{};
    const int n = GetObjectA(bitmap, sizeof ds, &ds);
    if (n != sizeof(DIBSECTION) && n != sizeof(BITMAP)) throw EInvalidGraphic("Bitmap image is not valid");
    BitmapHandle owned(bitmap);
    const BITMAP& bm = ds.dsBm;
    auto im = std::make_unique<TBitmapImage>();
    im->width = bm.bmWidth;
    im->height = bm.bmHeight;
    if (n == sizeof(DIBSECTION) && bm.bmBits) {
        const int bits = ds.dsBmih.biBitCount;
        const DWORD comp = ds.dsBmih.biCompression;
        const DWORD* m = ds.dsBitfields;
        TPixelFormat f = pfCustom;
        if (comp == BI_RGB && bits <= 8) f = bits == 1 ? pf1bit : bits == 4 ? pf4bit : bits == 8 ? pf8bit : pfCustom;
        else if (bits == 16 && (comp == BI_RGB || (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F))) f = pf15bit;
        else if (bits == 16 && comp == BI_BITFIELDS && m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F) f = pf16bit;
        else if (bits == 24 && comp == BI_RGB) f = pf24bit;
        else if (bits == 32 && (comp == BI_RGB || (m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF))) f = pf32bit;
        if (f != pfCustom) {
            im->handle = std::move(owned);
            im->bits = static_cast<unsigned char*>(bm.bmBits);
            im->format = f;
            im->stride = bm.bmWidthBytes;
            MemoryDC dc(CreateCompatibleDC(nullptr));
            SelectedObject sel(dc.get(), im->handle.get());
            if (bits <= 8) {
                im->table.assign(std::size_t(1) << bits, RGBQUAD{0, 0, 0, 0});
                GetDIBColorTable(dc.get(), 0, UINT(im->table.size()), im->table.data());
            }
            im->topDown = RowsRunDown(dc.get(), *im);
            Adopt(std::move(im));
            Changed();
            return;
        }
    } else if (bm.bmBitsPixel == 1 && bm.bmPlanes == 1) {
        im->handle = std::move(owned);
        im->format = pf1bit;
        im->mono = true;
        im->table = MonoTable();
        Adopt(std::move(im));
        Changed();
        return;
    }
    // Any other bitmap: its pixels go into a section of the screen's format.
    const int w = bm.bmWidth, h = bm.bmHeight;
    std::vector<std::uint32_t> px(std::size_t(w) * std::size_t(h));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        if (GetDIBits(dc.get(), owned.get(), 0, UINT(h), px.data(), &bi, DIB_RGB_COLORS) == 0)
            throw EInvalidGraphic("Bitmap image is not valid");
    }
    for (std::uint32_t& c : px) c = RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
    TPixelFormat f = DeviceFormat();
    if (f == pf1bit) f = pf4bit;
    auto dib = NewDib(w, h, f, BitsOf(f) <= 8 ? TableFor(BitsOf(f), px) : std::vector<RGBQUAD>());
    WritePixels(*dib, px);
    format_ = f;
    Adopt(std::move(dib));
    Changed();
}

HBITMAP TBitmap::MaskHandle()
{
    if (!image_) return nullptr;
    if (!mask_) mask_ = MakeMask(std::uint32_t(ColorToRGB(TransparentColor())) & 0xFFFFFF);
    return mask_.get();
}

HPALETTE TBitmap::Palette() const
{
    if (!palette_ && image_ && !image_->mono && BitsOf(image_->format) <= 8) palette_ = PaletteOf(image_->table);
    return palette_.get();
}

void TBitmap::SetPalette(HPALETTE palette)
{
    if (palette && palette == palette_.get()) return;
    if (!palette) {
        palette_.reset();
        paletteSet_ = false;
        Changed();
        return;
    }
    auto table = PaletteTable(palette);
    palette_ = PaletteOf(table);
    paletteSet_ = true;
    if (image_ && !image_->mono && BitsOf(image_->format) <= 8) {
        std::copy_n(table.begin(), std::min(table.size(), image_->table.size()), image_->table.begin());
        FreeContext(true);
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectedObject sel(dc.get(), image_->handle.get());
        SetDIBColorTable(dc.get(), 0, UINT(image_->table.size()), image_->table.data());
    }
    Changed();
}

// Auto: the bottom-left pixel, as the glyph strips and image lists expect their background there.
TColor TBitmap::TransparentColor() const
{
    if (transparentColor_ != clDefault) return transparentColor_;
    if (!image_) return clNone;
    if (image_->mono) {
        const auto px = ReadPixels();
        return TColor(std::int32_t(px[std::size_t(height_ - 1) * std::size_t(width_)]));
    }
    GdiFlush();
    return TColor(std::int32_t(Decode(*image_, image_->Row(height_ - 1), 0)));
}

void TBitmap::SetTransparentColor(TColor color)
{
    if (transparentColor_ == color) return;
    transparentColor_ = color;
    Changed();
}

void TBitmap::Assign(TPersistent* source)
{
    if (source == this) return;
    if (!source) {
        Clear();
        width_ = height_ = 0;
        Changed();
        return;
    }
    auto* b = dynamic_cast<TBitmap*>(source);
    if (!b) {
        TPersistent::Assign(source);
        return;
    }
    std::unique_ptr<TBitmapImage> im = b->image_ ? CopyImage(*b->image_, b->CanvasDC()) : nullptr;
    if (b->paletteSet_) {
        palette_ = PaletteOf(PaletteTable(b->palette_.get()));
        paletteSet_ = true;
    } else {
        palette_.reset();
        paletteSet_ = false;
    }
    transparentColor_ = b->transparentColor_;
    transparent_ = b->transparent_;
    format_ = b->format_;
    mono_ = b->mono_;
    if (im) {
        Adopt(std::move(im));
    } else {
        Clear();
        width_ = b->width_;
        height_ = b->height_;
    }
    Changed();
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r)
{
    if (!image_) return;
    HDC src = Canvas()->Require(0);
    HDC dst = canvas->Require(TCanvas::BrushSelected);
    HPALETTE oldPalette = nullptr;
    if (HPALETTE pal = Palette(); pal && (GetDeviceCaps(dst, RASTERCAPS) & RC_PALETTE)) {
        oldPalette = SelectPalette(dst, pal, TRUE);
        RealizePalette(dst);
    }
    if (Transparent()) {
        // The ground is cut out where the picture is opaque, then the picture, black where transparent, is
        // or-ed in. Both blits get their mono-to-colour rule from black text and white background.
        HBITMAP maskBitmap = MaskHandle();
        MemoryDC maskDC(CreateCompatibleDC(nullptr));
        SelectedObject selMask(maskDC.get(), maskBitmap);
        MemoryDC imageDC(CreateCompatibleDC(src));
        BitmapHandle imageBitmap(CreateCompatibleBitmap(src, width_, height_));
        SelectedObject selImage(imageDC.get(), imageBitmap.get());
        BitBlt(imageDC.get(), 0, 0, width_, height_, src, 0, 0, SRCCOPY);
        SetTextColor(imageDC.get(), Black);
        SetBkColor(imageDC.get(), White);
        BitBlt(imageDC.get(), 0, 0, width_, height_, maskDC.get(), 0, 0, 0x00220326);  // D and not S
        const COLORREF text = SetTextColor(dst, Black), back = SetBkColor(dst, White);
        StretchBlt(dst, r.left, r.top, r.Width(), r.Height(), maskDC.get(), 0, 0, width_, height_, SRCAND);
        StretchBlt(dst, r.left, r.top, r.Width(), r.Height(), imageDC.get(), 0, 0, width_, height_, SRCPAINT);
        SetTextColor(dst, text);
        SetBkColor(dst, back);
    } else {
        StretchBlt(dst, r.left, r.top, r.Width(), r.Height(), src, 0, 0, width_, height_, canvas->CopyMode());
    }
    if (oldPalette) SelectPalette(dst, oldPalette, TRUE);
}

// The pixels of colour are found in the bitmap itself (a mask), so the result does not depend on how a DC would
// match colours. All colour rules are set on a scratch DC: the canvas's own text and background colours stay.
void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& sourceRect, TColor color)
{
    if (!bitmap || bitmap->Empty()) return;
    const int w = sourceRect.Width(), h = sourceRect.Height();
    if (w <= 0 || h <= 0) return;
    Changing();
    HDC dc = Require(BrushValid);
    HDC src = bitmap->Canvas()->Require(0);
    MemoryDC tempDC(CreateCompatibleDC(dc));
    BitmapHandle temp(CreateCompatibleBitmap(dc, w, h));
    SelectedObject selTemp(tempDC.get(), temp.get());
    BitBlt(tempDC.get(), 0, 0, w, h, src, sourceRect.left, sourceRect.top, SRCCOPY);
    if (color != clNone) {
        BitmapHandle mask = bitmap->MakeMask(std::uint32_t(ColorToRGB(color)) & 0xFFFFFF);
        MemoryDC maskDC(CreateCompatibleDC(nullptr));
        SelectedObject selMask(maskDC.get(), mask.get());
        SelectedObject selBrush(tempDC.get(), brush_->Handle());
        SetTextColor(tempDC.get(), Black);
        SetBkColor(tempDC.get(), White);
        // The brush where the mask is white, the copy elsewhere.
        BitBlt(tempDC.get(), 0, 0, w, h, maskDC.get(), sourceRect.left, sourceRect.top, 0x00E20746);
    }
    StretchBlt(dc, dest.left, dest.top, dest.Width(), dest.Height(), tempDC.get(), 0, 0, w, h, SRCCOPY);
    Changed();
}

// The bitmap file format ---------------------------------------------------------------------------------------

namespace {

constexpr std::int64_t MaxPixels = std::int64_t(1) << 27;

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
