#pragma once
// Screen fixtures for the capture and reduction tests: a known picture on the display, sections made by hand,
// and pixels read back whatever the section's format.

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/runtime/Handles.h"
#include "support/Wait.h"

namespace mirrortest {

// The sixteen colours every screen holds exactly (the static colours of palette screens).
inline const COLORREF BasicColors[16] = {
    RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0), RGB(0, 0, 128),   RGB(128, 0, 128),
    RGB(0, 128, 128), RGB(192, 192, 192), RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 255, 0),
    RGB(0, 0, 255),   RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};

constexpr int BlockSize = 128;

// The colour of the picture at screen position (x, y): 128-pixel blocks, neighbours always different.
inline COLORREF PictureColor(int x, int y) { return BasicColors[(x / BlockSize * 5 + y / BlockSize * 3) % 16]; }

// The colour as the screen keeps it: 16-bit screens drop the low three bits of each channel.
inline COLORREF ScreenQuantized(COLORREF c, int screenBits)
{
    if (screenBits != 16) return c;
    return RGB(GetRValue(c) & 0xF8, GetGValue(c) & 0xF8, GetBValue(c) & 0xF8);
}

inline int ScreenBits()
{
    HDC dc = GetDC(nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return bits;
}

// A topmost borderless window painted with PictureColor (or one colour), shown at the given place.
class PictureWindow {
public:
    PictureWindow(int x, int y, int w, int h, COLORREF solid = CLR_INVALID);
    HWND get() const { return window_.get(); }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    WindowHandle window_;
    COLORREF solid_;
    int x_, y_;
};

struct Section {
    BitmapHandle bitmap;
    DIBSECTION ds{};
};

// A top-down section made by the test; masks for BI_BITFIELDS, a table for 8 bits and fewer.
Section MakeSection(int width, int height, int bits, DWORD compression = BI_RGB, DWORD r = 0, DWORD g = 0,
                    DWORD b = 0, const std::vector<RGBQUAD>& table = {});
// Reads a section made elsewhere.
bool ReadSection(HBITMAP bitmap, DIBSECTION& ds);

// The pixel's colour decoded from the section's format (its colour table read through a DC for 8 bits).
class PixelReader {
public:
    explicit PixelReader(HBITMAP bitmap);
    COLORREF At(int x, int y) const;
    std::uint32_t Raw(int x, int y) const;
    const DIBSECTION& ds() const { return ds_; }

private:
    DIBSECTION ds_{};
    RGBQUAD table_[256]{};
};

}  // namespace mirrortest
