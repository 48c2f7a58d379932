#pragma once
// Fixtures for the graphics tests: a raw 24-bit DIB section to draw on and read back byte by byte, and a
// count of the process's live GDI objects.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/visual/Graphics.h"

namespace gfxtest {

// A top-down 24-bit DIB section selected into its own memory DC; pixels are read straight from its bits.
class RawDib {
public:
    RawDib(int width, int height, std::uint32_t fill = 0xFFFFFF) : width_(width), height_(height)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<unsigned char*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    RawDib(const RawDib&) = delete;
    RawDib& operator=(const RawDib&) = delete;
    ~RawDib()
    {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }

    HDC dc() const { return dc_; }
    int stride() const { return (width_ * 3 + 3) & ~3; }
    // 0x00BBGGRR, as TColor.
    std::uint32_t at(int x, int y) const
    {
        GdiFlush();
        const unsigned char* p = bits_ + y * stride() + 3 * x;
        return std::uint32_t(p[2]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[0]) << 16;
    }
    void Fill(std::uint32_t c)
    {
        GdiFlush();
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                unsigned char* p = bits_ + y * stride() + 3 * x;
                p[0] = BYTE(c >> 16);
                p[1] = BYTE(c >> 8);
                p[2] = BYTE(c);
            }
    }
    // How many pixels of the area have colour c.
    int Count(std::uint32_t c, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += at(x, y) == c;
        return n;
    }
    int Count(std::uint32_t c) const { return Count(c, 0, 0, width_, height_); }

private:
    int width_, height_;
    HBITMAP bitmap_ = nullptr;
    unsigned char* bits_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// The number of GDI objects the process holds. Wine answers GetGuiResources with 0 (not implemented), so there
// the count is the handle table's size less the handles that can still be made: brushes are made until the
// table is full and freed again. The table size is taken as Wine 8's; only differences between two counts
// matter to the tests, and those are exact for objects of every kind.
inline int GdiObjectsInUse()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return int(reported);
    constexpr int tableSize = 65504;
    std::vector<HBRUSH> made;
    made.reserve(tableSize);
    while (made.size() < std::size_t(tableSize)) {
        HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
        if (!b) break;
        made.push_back(b);
    }
    for (HBRUSH b : made) DeleteObject(b);
    return tableSize - int(made.size());
}

}  // namespace gfxtest
