#pragma once
// Fixtures for the drawing tests: a canvas over a 24-bit DIB section read back pixel by pixel, bitmaps made from a
// pixel function, the clip region a DC has, and rectangles that print.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <cstdio>
#include <string>

#include "framework/GraphicsTestHelpers.h"
#include "framework/runtime/Handles.h"
#include "framework/visual/Graphics.h"

namespace drawtest {

inline std::string Text(const TRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

inline ::testing::AssertionResult SameRect(const TRect& actual, const TRect& expected)
{
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Text(actual) << " expected " << Text(expected);
}

// A canvas drawing on a raw DIB section; pixels are read straight from the bits (0x00BBGGRR).
class Surface {
public:
    Surface(int width, int height, std::uint32_t fill = 0x123456) : dib_(width, height, fill), w_(width), h_(height)
    {
        canvas_.SetHandle(dib_.dc());
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface() { canvas_.SetHandle(nullptr); }

    TCanvas* Canvas() { return &canvas_; }
    HDC dc() const { return dib_.dc(); }
    int Width() const { return w_; }
    int Height() const { return h_; }
    std::uint32_t At(int x, int y) const { return dib_.at(x, y); }
    int Count(std::uint32_t c) const { return dib_.Count(c); }
    int Count(std::uint32_t c, const TRect& r) const { return dib_.Count(c, r.left, r.top, r.right, r.bottom); }
    // Pixels not of colour c in r.
    int CountOther(std::uint32_t c, const TRect& r) const
    {
        return (r.right - r.left) * (r.bottom - r.top) - Count(c, r);
    }
    void Fill(std::uint32_t c) { dib_.Fill(c); }
    // The smallest rectangle holding every pixel for which pick holds; empty when there is none.
    TRect Bounds(const std::function<bool(std::uint32_t)>& pick) const
    {
        TRect b(w_, h_, -1, -1);
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (pick(At(x, y))) {
                    b.left = std::min<LONG>(b.left, x);
                    b.top = std::min<LONG>(b.top, y);
                    b.right = std::max<LONG>(b.right, x + 1);
                    b.bottom = std::max<LONG>(b.bottom, y + 1);
                }
        return b.right < 0 ? TRect() : b;
    }
    TRect Bounds(std::uint32_t c) const
    {
        return Bounds([c](std::uint32_t p) { return p == c; });
    }

private:
    gfxtest::RawDib dib_;
    TCanvas canvas_;
    int w_, h_;
};

// The first pixel where the two surfaces differ; empty when they are the same.
inline std::string FirstDifference(const Surface& actual, const Surface& expected)
{
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x)
            if (actual.At(x, y) != expected.At(x, y)) {
                char text[96];
                snprintf(text, sizeof text, "(%d,%d) is %06X, expected %06X", x, y, unsigned(actual.At(x, y)),
                         unsigned(expected.At(x, y)));
                return text;
            }
    return {};
}

// A 24-bit bitmap whose pixel (x, y) is colour(x, y).
inline std::unique_ptr<TBitmap> MakeBitmap(int width, int height,
                                           const std::function<std::uint32_t(int, int)>& colour)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<unsigned char*>(b->ScanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colour(x, y);
            row[3 * x] = BYTE(c >> 16);
            row[3 * x + 1] = BYTE(c >> 8);
            row[3 * x + 2] = BYTE(c);
        }
    }
    return b;
}

inline std::uint32_t PixelOf(TBitmap* b, int x, int y) { return std::uint32_t(b->Canvas()->Pixels(x, y)) & 0xFFFFFF; }

// Wine's bitmap Courier ("Courier"), loaded for this process only: the one face here that is not TrueType.
inline bool LoadBitmapFont()
{
    static const bool loaded = AddFontResourceExA("Z:\\usr\\share\\wine\\fonts\\coure.fon", FR_PRIVATE, nullptr) > 0;
    return loaded;
}

inline std::uint32_t Sys(int index) { return std::uint32_t(GetSysColor(index)) & 0xFFFFFF; }

// Whether the DC has a clip region, and if so whether it equals r (in device units).
struct ClipState {
    bool has = false;
    TRect box;
};
inline ClipState ClipOf(HDC dc)
{
    RegionHandle rgn(CreateRectRgn(0, 0, 0, 0));
    ClipState s;
    s.has = GetClipRgn(dc, rgn.get()) == 1;
    if (s.has) GetRgnBox(rgn.get(), &s.box);
    return s;
}

// A small black caption under a sample on a screenshot panel.
inline void Label(TCanvas* c, int x, int y, const char* text)
{
    c->Font()->SetName("Arial");
    c->Font()->SetSize(7);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(x, y, text);
}

}  // namespace drawtest
