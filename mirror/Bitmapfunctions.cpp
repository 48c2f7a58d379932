#include "mirror/Bitmapfunctions.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "framework/visual/Graphics.h"

namespace {

// A window's whole-window DC (frame included), released to its window.
class WholeWindowDC {
public:
    explicit WholeWindowDC(HWND wnd) : wnd_(wnd), dc_(GetWindowDC(wnd)) {}
    WholeWindowDC(const WholeWindowDC&) = delete;
    WholeWindowDC& operator=(const WholeWindowDC&) = delete;
    ~WholeWindowDC()
    {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects a bitmap into a DC for a scope; ok() tells whether the selection worked.
class SelectedBitmap {
public:
    SelectedBitmap(HDC dc, HBITMAP bitmap) : dc_(dc), old_(SelectObject(dc, bitmap)) {}
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    ~SelectedBitmap()
    {
        if (ok()) SelectObject(dc_, old_);
    }
    bool ok() const { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

constexpr int PictureBytes(int bitsPerPixel) { return KvPictureWidth * KvPictureHeight * bitsPerPixel / 8; }

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// KvPalette256

KvPalette256::KvPalette256(HPALETTE palette)
{
    if (!palette) {
        LoadSystemPalette();
        return;
    }
    WORD count = 0;
    if (GetObjectA(palette, sizeof(count), &count) == 0) count = 0;
    count = std::min<WORD>(count, 256);
    log_.count = WORD(count ? GetPaletteEntries(palette, 0, count, log_.entries) : 0);
}

bool KvPalette256::LoadSystemPalette()
{
    ForgetHandle();
    WindowDC screen(nullptr);
    if (!screen) {
        log_.count = 0;
        return false;
    }
    log_.version = 0x300;
    log_.count = 256;
    std::memset(log_.entries, 0, sizeof(log_.entries));
    UINT n;
    if (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE)
        n = GetSystemPaletteEntries(screen.get(), 0, 256, log_.entries);
    else
        n = GetPaletteEntries(HPALETTE(GetStockObject(DEFAULT_PALETTE)), 0, 256, log_.entries);
    n = std::min<UINT>(n, 256);
    for (UINT i = 0; i < n; ++i) log_.entries[i].peFlags = 0;

    // The free entries take a colour cube, stepped by 256 / cube root of their number.
    if (n < 256) {
        const double side = std::cbrt(double(256 - n));
        const double step = 256.0 / side;
        UINT i = n;
        auto component = [](double v) { return BYTE(std::min(255, int(v))); };
        for (double r = 0; r <= 256 && i < 256; r += step)
            for (double g = 0; g <= 256 && i < 256; g += step)
                for (double b = 0; b <= 256 && i < 256; b += step)
                    log_.entries[i++] = PALETTEENTRY{component(r), component(g), component(b), 0};
    }
    return log_.count != 0;
}

HPALETTE KvPalette256::Handle()
{
    if (!handle_ && log_.count > 0) handle_.reset(CreatePalette(reinterpret_cast<const LOGPALETTE*>(&log_)));
    return handle_.get();
}

bool PalettesEqual(const KvPalette256& a, const KvPalette256& b)
{
    if (a.Version() != b.Version() || a.Count() != b.Count()) return false;
    const std::size_t n = std::min<std::size_t>(a.Count(), 256);
    return std::memcmp(a.Entries(), b.Entries(), n * sizeof(PALETTEENTRY)) == 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Sections

bool GetDeviceBitmapInfo(HDC dc, KvBitmapInfo& info)
{
    BitmapHandle probe(CreateCompatibleBitmap(dc, 1, 1));
    // Without the probe nothing was learnt; the caller must build the header itself.
    if (!probe) return false;
    std::memset(&info.header, 0, sizeof(info.header));
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    auto* bi = reinterpret_cast<BITMAPINFO*>(&info);
    // The first call fills the header, the second the colour table or masks.
    const bool header = GetDIBits(dc, probe.get(), 0, 1, nullptr, bi, DIB_RGB_COLORS) != 0;
    const bool table = GetDIBits(dc, probe.get(), 0, 1, nullptr, bi, DIB_RGB_COLORS) != 0;
    return header && table;
}

BitmapHandle CreateScreenDIB(HDC screenDC, HDC memoryDC, const RECT*)
{
    if (!screenDC || !memoryDC) return {};
    const int bits = GetDeviceCaps(screenDC, BITSPIXEL);
    const int numColors = GetDeviceCaps(screenDC, NUMCOLORS);  // -1 above 256

    // Palette formats carry a table of 1 << bits entries; deeper formats none, whatever NUMCOLORS says.
    int colors = 0;
    DWORD imageSize = 0;
    switch (bits) {
    case 1: colors = 2; imageSize = PictureBytes(1); break;
    case 4: colors = 16; imageSize = PictureBytes(4); break;
    case 8: colors = 256; imageSize = PictureBytes(8); break;
    case 16: case 24: case 32: imageSize = PictureBytes(bits); break;
    default: break;
    }

    auto info = std::make_unique<KvBitmapInfo>();
    std::memset(info.get(), 0, sizeof(KvBitmapInfo));
    BITMAPINFOHEADER& h = info->header;
    if (GetDeviceBitmapInfo(screenDC, *info)) {
        h.biWidth = KvPictureWidth;
        h.biHeight = -KvPictureHeight;  // top-down
        h.biPlanes = 1;
    } else {
        h.biSize = sizeof(BITMAPINFOHEADER);
        h.biWidth = KvPictureWidth;
        h.biHeight = -KvPictureHeight;
        h.biPlanes = 1;
        h.biBitCount = WORD(bits);
        h.biCompression = numColors != -1 ? BI_RGB : (bits == 16 || bits == 32) ? BI_BITFIELDS : BI_RGB;
        h.biClrUsed = h.biClrImportant = DWORD(colors);
    }
    h.biSizeImage = imageSize;

    if (h.biCompression == BI_BITFIELDS) {
        auto* masks = reinterpret_cast<DWORD*>(info->colors);
        if (masks[0] == 0) {
            if (bits == 16) {
                masks[0] = 0xF800; masks[1] = 0x07E0; masks[2] = 0x001F;
            } else if (bits == 32) {
                masks[0] = 0xFF0000; masks[1] = 0x00FF00; masks[2] = 0x0000FF;
            }
        }
    }

    void* pixels = nullptr;
    BitmapHandle section(CreateDIBSection(screenDC, reinterpret_cast<BITMAPINFO*>(info.get()), DIB_RGB_COLORS,
                                          &pixels, nullptr, 0));
    if (!section) return {};
    GdiFlush();
    SelectedBitmap selected(memoryDC, section.get());
    if (!selected.ok()) return {};

    if (colors > 0) {
        PALETTEENTRY system[256] = {};
        const UINT n = std::min<UINT>(GetSystemPaletteEntries(screenDC, 0, UINT(colors), system), 256);
        RGBQUAD table[256] = {};
        for (UINT i = 0; i < n; ++i)
            table[i] = RGBQUAD{system[i].peBlue, system[i].peGreen, system[i].peRed, 0};
        if (n > 0 && SetDIBColorTable(memoryDC, 0, n, table) != n) return {};
    }
    return section;
}

BitmapHandle CaptureDesktop(const RECT& area)
{
    WindowDC screen(nullptr);
    if (!screen) return {};
    MemoryDC memory(CreateCompatibleDC(screen.get()));
    if (!memory) return {};
    BitmapHandle section = CreateScreenDIB(screen.get(), memory.get(), &area);
    if (!section) return {};
    {
        SelectedBitmap selected(memory.get(), section.get());
        if (!selected.ok()) return {};
        const int w = area.right - area.left;
        const int h = area.bottom - area.top;
        bool copied;
        if (w == KvPictureWidth && h == KvPictureHeight) {
            copied = BitBlt(memory.get(), 0, 0, KvPictureWidth, KvPictureHeight, screen.get(), 0, 0, SRCCOPY);
        } else {
            SetStretchBltMode(memory.get(), COLORONCOLOR);
            copied = StretchBlt(memory.get(), 0, 0, KvPictureWidth, KvPictureHeight, screen.get(), 0, 0, w, h,
                                SRCCOPY);
        }
        if (!copied || !GdiFlush()) return {};
    }
    return section;
}

BitmapHandle CaptureWindow(HWND window)
{
    if (!IsWindow(window)) return {};
    WholeWindowDC windowDC(window);
    RECT r;
    if (!windowDC.get() || !GetWindowRect(window, &r)) return {};
    MemoryDC memory(CreateCompatibleDC(windowDC.get()));
    if (!memory) return {};
    BitmapHandle section = CreateScreenDIB(windowDC.get(), memory.get(), &r);
    if (!section) return {};
    {
        SelectedBitmap selected(memory.get(), section.get());
        if (!selected.ok()) return {};
        const int w = std::min<int>(r.right - r.left, KvPictureWidth);
        const int h = std::min<int>(r.bottom - r.top, KvPictureHeight);
        if (w > 0 && h > 0 && !BitBlt(memory.get(), 0, 0, w, h, windowDC.get(), 0, 0, SRCCOPY)) return {};
        if (!GdiFlush()) return {};
    }
    return section;
}

BitmapHandle CreateTextBitmap(const AnsiString& text)
{
    WindowDC screen(nullptr);
    if (!screen) return {};
    MemoryDC memory(CreateCompatibleDC(screen.get()));
    if (!memory) return {};
    BitmapHandle section = CreateScreenDIB(screen.get(), memory.get());
    if (!section) return {};
    {
        SelectedBitmap selected(memory.get(), section.get());
        if (!selected.ok()) return {};
        TCanvas canvas;
        canvas.SetHandle(memory.get());
        canvas.Brush()->SetColor(clBlue);
        canvas.FillRect(TRect(0, 0, KvPictureWidth, KvPictureHeight));
        canvas.Font()->SetColor(clRed);
        canvas.Font()->SetHeight(12);
        canvas.TextOut(0, 0, text);
        // The canvas puts its font and brush back before the DC goes.
        canvas.SetHandle(nullptr);
        if (!GdiFlush()) return {};
    }
    return section;
}
