#pragma once
// Pictures for the terminal: 640 x 480 top-down DIB sections in the screen's own pixel format, and the
// 256-colour palette record of a transfer.

#include <windows.h>

#include <cstdint>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Handles.h"

constexpr int KvPictureWidth = 640;
constexpr int KvPictureHeight = 480;

// Laid out as a LOGPALETTE with room for 256 entries, plus the palette handle made from it on demand.
class KvPalette256 {
public:
    // From the handle's entries (at most 256), or from the system palette when there is no handle.
    explicit KvPalette256(HPALETTE palette = nullptr);
    ~KvPalette256() = default;
    KvPalette256(const KvPalette256&) = delete;
    KvPalette256& operator=(const KvPalette256&) = delete;

    // The screen's palette on a palette device, else the stock default colours topped up with a colour cube.
    // True when the record holds any entry.
    bool LoadSystemPalette();

    // A GDI palette of the record's entries, made on first use; null when it cannot be made.
    HPALETTE Handle();

    std::uint16_t Version() const { return log_.version; }
    std::uint16_t Count() const { return log_.count; }
    void SetCount(std::uint16_t count) { log_.count = count; ForgetHandle(); }
    const PALETTEENTRY& Entry(int index) const { return log_.entries[index]; }
    void SetEntry(int index, const PALETTEENTRY& entry) { log_.entries[index] = entry; ForgetHandle(); }
    const PALETTEENTRY* Entries() const { return log_.entries; }

private:
    void ForgetHandle() { handle_.reset(); }

    struct Log {
        std::uint16_t version = 0x300;
        std::uint16_t count = 0;
        PALETTEENTRY entries[256] = {};
    } log_;
    PaletteHandle handle_;
};

// Versions, counts and the used entries equal byte for byte, flags included.
bool PalettesEqual(const KvPalette256& a, const KvPalette256& b);

// Room for a 40-byte header and a table of 256 colours (or three colour masks).
struct KvBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// The device's own pixel format (bit count, compression, masks or colour table) read through a 1 x 1 bitmap.
bool GetDeviceBitmapInfo(HDC dc, KvBitmapInfo& info);
// A 640 x 480 top-down section in the screen's format; with a colour table on palette screens.
BitmapHandle CreateScreenDIB(HDC screenDC, HDC memoryDC, const RECT* area = nullptr);
// The desktop from the screen's origin: copied when the area is 640 x 480, else stretched onto 640 x 480.
BitmapHandle CaptureDesktop(const RECT& area);
// The window's top-left part (frame included), unscaled; the rest of the picture stays black.
BitmapHandle CaptureWindow(HWND window);
// Red 12-pixel text at the top left of a blue picture.
BitmapHandle CreateTextBitmap(const AnsiString& text);
