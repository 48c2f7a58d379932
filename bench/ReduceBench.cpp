// Colour reduction of one 640 x 480 picture per frame, and the desktop capture before it.
// Figures are medians; each is also given as a multiple of a plain copy of the 32-bit picture's bytes.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchPictures.h"
#include "mirror/ColorReduction.h"

using namespace benchpictures;

namespace {

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

    Picture desktop32 = MakeSection32();
    Picture desktop16 = MakeSection565();
    Picture noise32 = MakeSection32();
    Picture noise16 = MakeSection565();
    DrawDesktop(desktop32);
    DrawDesktop(desktop16);
    DrawNoise(noise32, 1);
    DrawNoise(noise16, 2);

    std::vector<std::uint8_t> copy(desktop32.Bytes());
    volatile std::uint8_t sink = 0;
    const double baseline = Median(runs * 3, nullptr, [&] {
        std::memcpy(copy.data(), desktop32.source.data(), copy.size());
        sink = std::uint8_t(sink + copy[copy.size() / 2]);
    });
    std::printf("baseline: plain copy of the 32-bit picture (%u bytes): %.3f ms\n\n", unsigned(copy.size()), baseline);
    std::printf("%-24s %10s %7s %10s %7s %10s %7s %8s\n", "reduce 640x480", "same ms", "x copy", "new ms", "x copy",
                "cold ms", "x copy", "cached");

    struct Case {
        const char* name;
        Picture* picture;
    } cases[] = {{"desktop, 32-bit", &desktop32}, {"desktop, 16-bit 5-6-5", &desktop16},
                 {"noise, 32-bit", &noise32},     {"noise, 16-bit 5-6-5", &noise16}};
    for (const Case& c : cases) {
        Picture& p = *c.picture;
        reduction.ColorMap()->Clear();
        reduction.ForgetRows();
        p.Restore();
        ReduceAllRows(reduction, p);
        // Same: the picture as it was last frame, every row remembered.
        const double same = Median(runs, [&] { p.Restore(); }, [&] { ReduceAllRows(reduction, p); });
        // New: rows not seen before, but the cache already holds their colours (from the second frame on).
        const double fresh = Median(
            runs,
            [&] {
                p.Restore();
                reduction.ForgetRows();
            },
            [&] { ReduceAllRows(reduction, p); });
        const unsigned cached = reduction.ColorMap()->Size();
        // Cold: every colour matched again, as right after a palette change.
        const double cold = Median(
            std::min(runs, 11),
            [&] {
                p.Restore();
                reduction.ColorMap()->Clear();
                reduction.ForgetRows();
            },
            [&] { ReduceAllRows(reduction, p); });
        std::printf("%-24s %10.3f %7.1f %10.3f %7.1f %10.3f %7.1f %8u\n", c.name, same, same / baseline, fresh,
                    fresh / baseline, cold, cold / baseline, cached);
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
