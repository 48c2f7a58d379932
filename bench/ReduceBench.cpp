// Colour reduction of one 640 x 480 picture per frame, and the desktop capture before it.
// Figures are medians; each is also given as a multiple of a plain copy of the 32-bit picture's bytes.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "framework/Handles.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/ColorReduction.h"

namespace {

double Now()
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
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& body)
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
};

Picture MakeSection(int bits, DWORD compression, DWORD r, DWORD g, DWORD b)
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
    p.bitmap.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
    GetObjectA(p.bitmap.get(), sizeof(p.ds), &p.ds);
    return p;
}

std::size_t Bytes(const Picture& p) { return std::size_t(p.ds.dsBm.bmWidthBytes) * KvPictureHeight; }

// A desktop: a background, a few windows with title bars and borders, lines of text.
void DrawDesktop(Picture& p)
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
            const int n = std::snprintf(text, sizeof(text), "%04d The quick brown fox jumps over the lazy dog 0123456789", line);
            TextOutA(dc.get(), w.l + 10, y, text, n);
        }
    }
    GdiFlush();
    auto* bits = static_cast<std::uint8_t*>(p.ds.dsBm.bmBits);
    p.source.assign(bits, bits + Bytes(p));
}

void DrawNoise(Picture& p, unsigned seed)
{
    std::mt19937 random(seed);
    auto* bits = static_cast<std::uint8_t*>(p.ds.dsBm.bmBits);
    for (std::size_t i = 0; i < Bytes(p); ++i) bits[i] = std::uint8_t(random());
    p.source.assign(bits, bits + Bytes(p));
}

void ReduceAllRows(KvColorReduction& reduction, const Picture& p)
{
    for (int y = 0; y < KvPictureHeight; ++y)
        if (!reduction.GetIndexRow(p.ds, 0, y)) std::printf("unsupported format\n");
}

}  // namespace

int main()
{
    const int runs = 31;
    KvColorReduction reduction;
    reduction.UpdatePalette(nullptr);  // the screen's palette, as a transfer starts with

    Picture desktop32 = MakeSection(32, BI_RGB, 0, 0, 0);
    Picture desktop16 = MakeSection(16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F);
    Picture noise32 = MakeSection(32, BI_RGB, 0, 0, 0);
    Picture noise16 = MakeSection(16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F);
    DrawDesktop(desktop32);
    DrawDesktop(desktop16);
    DrawNoise(noise32, 1);
    DrawNoise(noise16, 2);

    std::vector<std::uint8_t> copy(Bytes(desktop32));
    volatile std::uint8_t sink = 0;
    const double baseline = Median(runs * 3, nullptr, [&] {
        std::memcpy(copy.data(), desktop32.source.data(), copy.size());
        sink = std::uint8_t(sink + copy[copy.size() / 2]);
    });
    std::printf("baseline: plain copy of the 32-bit picture (%u bytes): %.3f ms\n\n", unsigned(copy.size()), baseline);
    std::printf("%-28s %12s %10s %12s %10s %10s\n", "reduce 640x480", "warm ms", "x copy", "cold ms", "x copy",
                "cached");

    struct Case {
        const char* name;
        Picture* picture;
    } cases[] = {{"desktop, 32-bit", &desktop32}, {"desktop, 16-bit 5-6-5", &desktop16},
                 {"noise, 32-bit", &noise32},     {"noise, 16-bit 5-6-5", &noise16}};
    for (const Case& c : cases) {
        Picture& p = *c.picture;
        auto restore = [&] { std::memcpy(p.ds.dsBm.bmBits, p.source.data(), p.source.size()); };
        reduction.ColorMap()->Clear();
        // Warm: the cache already holds the picture's colours, as from the second frame of a transfer on.
        restore();
        ReduceAllRows(reduction, p);
        const double warm = Median(runs, restore, [&] { ReduceAllRows(reduction, p); });
        const unsigned cached = reduction.ColorMap()->Size();
        // Cold: every colour matched again, as right after a palette change.
        const double cold = Median(
            std::min(runs, 11),
            [&] {
                restore();
                reduction.ColorMap()->Clear();
            },
            [&] { ReduceAllRows(reduction, p); });
        std::printf("%-28s %12.3f %10.1f %12.3f %10.1f %10u\n", c.name, warm, warm / baseline, cold, cold / baseline,
                    cached);
    }

    std::printf("\n%-28s %12s %10s\n", "capture (screen -> section)", "ms", "x copy");
    const RECT areas[] = {{0, 0, 640, 480}, {0, 0, 800, 600}, {0, 0, 1024, 768}};
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    for (const RECT& a : areas) {
        if (!CaptureDesktop(a)) {
            std::printf("capture failed\n");
            continue;
        }
        const double t = Median(runs, nullptr, [&] { BitmapHandle shot = CaptureDesktop(a); });
        char name[64];
        std::snprintf(name, sizeof(name), "desktop %ldx%ld (%d bpp)", a.right, a.bottom, bits);
        std::printf("%-28s %12.3f %10.1f\n", name, t, t / baseline);
    }
    return 0;
}
