// Bitmaps: the pixel store's formats and their conversion, masks, the bitmap's canvas and drawing, and
// BrushCopy, which needs the masks.

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "framework/visual/Graphics.h"
#include "framework/visual/GraphicsPrivate.h"

using namespace graphics_detail;

namespace {

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
