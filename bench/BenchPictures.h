#pragma once
// Pictures and timing shared by the mirroring benchmarks: 640 x 480 top-down sections in a given pixel format,
// a typical desktop (flat background, a few windows, lines of text) and noise, and medians of timed runs.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "framework/runtime/Handles.h"
#include "mirror/Bitmapfunctions.h"

namespace benchpictures {

inline double Now()
{
    static const double scale = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return 1000.0 / double(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * scale;
}

// Median milliseconds of body over runs; prepare runs untimed before each.
inline double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& body)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        const double start = Now();
        body();
        t.push_back(Now() - start);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

struct Picture {
    BitmapHandle bitmap;
    DIBSECTION ds{};
    std::vector<std::uint8_t> source;  // the picture's bytes before reduction

    std::size_t Bytes() const { return std::size_t(ds.dsBm.bmWidthBytes) * std::size_t(KvPictureHeight); }
    // Back to the picture as drawn (reduction works in place).
    void Restore() { std::memcpy(ds.dsBm.bmBits, source.data(), source.size()); }
    void Keep()
    {
        auto* bits = static_cast<std::uint8_t*>(ds.dsBm.bmBits);
        source.assign(bits, bits + Bytes());
    }
};

inline Picture MakeSection(int bits, DWORD compression, DWORD r, DWORD g, DWORD b)
{
    struct {
        BITMAPINFOHEADER h;
        DWORD masks[3];
    } info{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = KvPictureWidth;
    info.h.biHeight = -KvPictureHeight;
    info.h.biPlanes = 1;
    info.h.biBitCount = WORD(bits);
    info.h.biCompression = compression;
    info.masks[0] = r;
    info.masks[1] = g;
    info.masks[2] = b;
    Picture p;
    void* pixels = nullptr;
    p.bitmap.reset(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
    GetObjectA(p.bitmap.get(), sizeof(p.ds), &p.ds);
    return p;
}

inline Picture MakeSection32() { return MakeSection(32, BI_RGB, 0, 0, 0); }
inline Picture MakeSection565() { return MakeSection(16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F); }

// A desktop: a background, a few windows with title bars and borders, lines of text. firstLine numbers the
// text lines, so two desktops differ in one line's digits when their numbers differ by one line's worth.
inline void DrawDesktop(Picture& p, int firstLine = 0)
{
    MemoryDC dc(CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.get(), p.bitmap.get());
    auto fill = [&](int l, int t, int r, int b, COLORREF c) {
        BrushHandle brush(CreateSolidBrush(c));
        RECT rc{l, t, r, b};
        FillRect(dc.get(), &rc, brush.get());
    };
    fill(0, 0, 640, 480, RGB(0, 128, 128));
    const struct {
        int l, t, r, b;
    } windows[] = {{20, 20, 420, 320}, {200, 120, 620, 440}, {40, 360, 300, 470}};
    int line = 0;
    for (const auto& w : windows) {
        fill(w.l, w.t, w.r, w.b, RGB(192, 192, 192));
        fill(w.l + 3, w.t + 3, w.r - 3, w.t + 21, RGB(0, 0, 128));
        fill(w.l + 6, w.t + 26, w.r - 6, w.b - 6, RGB(255, 255, 255));
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), RGB(255, 255, 255));
        TextOutA(dc.get(), w.l + 8, w.t + 5, "Document - Editor", 17);
        SetTextColor(dc.get(), RGB(0, 0, 0));
        for (int y = w.t + 30; y < w.b - 20; y += 16, ++line) {
            char text[96];
            const int shown = line == 3 ? line + firstLine : line;  // one line tells the pictures apart
            const int n = std::snprintf(text, sizeof(text), "%04d The quick brown fox jumps over the lazy dog 0123456789",
                                        shown);
            TextOutA(dc.get(), w.l + 10, y, text, n);
        }
    }
    GdiFlush();
    p.Keep();
}

inline void DrawNoise(Picture& p, unsigned seed)
{
    std::mt19937 random(seed);
    auto* bits = static_cast<std::uint8_t*>(p.ds.dsBm.bmBits);
    for (std::size_t i = 0; i < p.Bytes(); ++i) bits[i] = std::uint8_t(random());
    p.Keep();
}

}  // namespace benchpictures
