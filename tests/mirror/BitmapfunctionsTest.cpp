#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "MirrorTestScreen.h"
#include "mirror/Bitmapfunctions.h"

using namespace mirrortest;

namespace {

PaletteHandle MakePalette(const std::vector<PALETTEENTRY>& entries)
{
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = WORD(entries.size());
    std::memcpy(log->palPalEntry, entries.data(), entries.size() * sizeof(PALETTEENTRY));
    return PaletteHandle(CreatePalette(log));
}

bool SameEntry(const PALETTEENTRY& a, const PALETTEENTRY& b)
{
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue && a.peFlags == b.peFlags;
}

// Captures until the picture's first block shows its colour (the X server takes a moment to show a window).
BitmapHandle CaptureShown(const RECT& area, COLORREF topLeft)
{
    const int bits = ScreenBits();
    BitmapHandle shot;
    for (int attempt = 0; attempt < 30; ++attempt) {
        shot = CaptureDesktop(area);
        if (shot && PixelReader(shot.get()).At(10, 10) == ScreenQuantized(topLeft, bits)) break;
        testwait::PumpFor(100);
    }
    return shot;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Palette record

TEST(Palette256, TakesTheEntriesOfAHandleUpTo256)
{
    std::vector<PALETTEENTRY> entries(300);
    for (int i = 0; i < 300; ++i) entries[i] = PALETTEENTRY{BYTE(i), BYTE(i * 3), BYTE(255 - i % 256), 0};
    PaletteHandle big = MakePalette(entries);
    ASSERT_TRUE(big);
    KvPalette256 p(big.get());
    EXPECT_EQ(p.Version(), 0x300);
    ASSERT_EQ(p.Count(), 256);
    for (int i = 0; i < 256; ++i) EXPECT_TRUE(SameEntry(p.Entry(i), entries[i])) << i;

    PaletteHandle small = MakePalette({{1, 2, 3, 0}, {4, 5, 6, 0}});
    KvPalette256 q(small.get());
    EXPECT_EQ(q.Count(), 2);
    EXPECT_EQ(q.Entry(1).peBlue, 6);
}

TEST(Palette256, MakesItsHandleOnDemandFromTheRecord)
{
    PaletteHandle source = MakePalette({{0, 0, 0, 0}, {255, 255, 255, 0}, {200, 10, 10, 0}});
    KvPalette256 p(source.get());
    HPALETTE h = p.Handle();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(p.Handle(), h);
    EXPECT_EQ(GetNearestPaletteIndex(h, RGB(250, 0, 0)), 2u);
    EXPECT_EQ(GetNearestPaletteIndex(h, RGB(250, 250, 240)), 1u);

    PaletteHandle none = MakePalette({{9, 9, 9, 0}});
    KvPalette256 empty(none.get());
    empty.SetCount(0);
    EXPECT_EQ(empty.Handle(), nullptr);
}

TEST(Palette256, EqualityComparesTheUsedEntriesWithTheirFlags)
{
    PaletteHandle h = MakePalette({{10, 20, 30, 0}, {40, 50, 60, 0}});
    KvPalette256 a(h.get()), b(h.get());
    EXPECT_TRUE(PalettesEqual(a, b));

    b.SetEntry(1, PALETTEENTRY{40, 50, 60, PC_NOCOLLAPSE});
    EXPECT_FALSE(PalettesEqual(a, b));  // flags only

    b.SetEntry(1, a.Entry(1));
    b.SetEntry(7, PALETTEENTRY{1, 1, 1, 0});  // beyond the count
    EXPECT_TRUE(PalettesEqual(a, b));

    b.SetCount(3);
    EXPECT_FALSE(PalettesEqual(a, b));
}

// The screen's palette: the system palette on palette screens, else the 20 default colours and a colour cube.
TEST(SystemPalette, IsTheSystemPaletteOrTheDefaultColoursWithACube)
{
    KvPalette256 p;  // no handle: the system palette
    ASSERT_EQ(p.Count(), 256);
    HDC screen = GetDC(nullptr);
    const bool palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    PALETTEENTRY expected[256] = {};
    UINT n = palette ? GetSystemPaletteEntries(screen, 0, 256, expected)
                     : GetPaletteEntries(HPALETTE(GetStockObject(DEFAULT_PALETTE)), 0, 256, expected);
    ReleaseDC(nullptr, screen);
    for (UINT i = 0; i < n; ++i) expected[i].peFlags = 0;
    for (UINT i = 0; i < n; ++i) EXPECT_TRUE(SameEntry(p.Entry(i), expected[i])) << "entry " << i;
    if (palette) return;

    ASSERT_EQ(n, 20u);
    // A cube of side 6.18 and step 41.43: seven levels, cut off after 236 entries.
    const int level[] = {0, 41, 82, 124, 165, 207, 248};
    int i = 20;
    for (int r = 0; r < 7 && i < 256; ++r)
        for (int g = 0; g < 7 && i < 256; ++g)
            for (int b = 0; b < 7 && i < 256; ++b, ++i)
                ASSERT_TRUE(SameEntry(p.Entry(i), PALETTEENTRY{BYTE(level[r]), BYTE(level[g]), BYTE(level[b]), 0}))
                    << "entry " << i;
    EXPECT_EQ(p.Entry(20 + 4 * 49 - 1).peRed, 124);
    EXPECT_EQ(p.Entry(20 + 4 * 49).peRed, 165);
    EXPECT_TRUE(SameEntry(p.Entry(255), PALETTEENTRY{165, 207, 165, 0}));
}

// ---------------------------------------------------------------------------------------------------------------
// Sections in the screen's format

// The Xvfb displays of the tests: 24 bits (Wine: 32), 16 (Wine: 5-5-5), 8 (palette).
TEST(ScreenCapture, ScreenHasTheDepthTheRunAsksFor)
{
    const char* want = std::getenv("DRAVIK_SCREEN_DEPTH");
    if (!want || !*want) GTEST_SKIP() << "no depth asked for";
    const int depth = std::atoi(want);
    EXPECT_EQ(ScreenBits(), depth == 24 ? 32 : depth);
}

TEST(ScreenCapture, DeviceBitmapInfoGivesTheScreenFormat)
{
    HDC screen = GetDC(nullptr);
    KvBitmapInfo info{};
    ASSERT_TRUE(GetDeviceBitmapInfo(screen, info));
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(info.header.biBitCount, bits);
    const auto* masks = reinterpret_cast<const DWORD*>(info.colors);
    if (bits == 32) {
        EXPECT_EQ(info.header.biCompression, DWORD(BI_BITFIELDS));
        EXPECT_EQ(masks[0], 0xFF0000u);
    } else if (bits == 16) {
        EXPECT_EQ(info.header.biCompression, DWORD(BI_BITFIELDS));
        EXPECT_EQ(masks[0], 0x7C00u);
        EXPECT_EQ(masks[1], 0x03E0u);
        EXPECT_EQ(masks[2], 0x001Fu);
    } else if (bits == 8) {
        EXPECT_EQ(info.header.biCompression, DWORD(BI_RGB));
    }
}

// Without a probe bitmap the device tells nothing, and saying otherwise would leave a zeroed header in use.
TEST(ScreenCapture, DeviceBitmapInfoFailsWithoutADevice)
{
    KvBitmapInfo info{};
    EXPECT_FALSE(GetDeviceBitmapInfo(reinterpret_cast<HDC>(0x5A5A5A5A), info));
}

TEST(ScreenCapture, ScreenSectionIsTopDown640x480InTheScreenFormat)
{
    HDC screen = GetDC(nullptr);
    MemoryDC memory(CreateCompatibleDC(screen));
    EXPECT_FALSE(CreateScreenDIB(nullptr, memory.get()));
    EXPECT_FALSE(CreateScreenDIB(screen, nullptr));
    BitmapHandle section = CreateScreenDIB(screen, memory.get());
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    PALETTEENTRY system[256] = {};
    const UINT systemCount = GetSystemPaletteEntries(screen, 0, 256, system);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(section);

    DIBSECTION ds;
    ASSERT_TRUE(ReadSection(section.get(), ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 640);
    EXPECT_EQ(ds.dsBm.bmHeight, 480);
    {
        // Top-down: the first row in memory is the top of the picture.
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectedObject selected(dc.get(), section.get());
        PatBlt(dc.get(), 0, 0, 640, 480, BLACKNESS);
        PatBlt(dc.get(), 0, 0, 1, 1, WHITENESS);
        GdiFlush();
        EXPECT_NE(static_cast<const std::uint8_t*>(ds.dsBm.bmBits)[0], 0);
    }
    EXPECT_EQ(ds.dsBm.bmBitsPixel, bits);
    if (bits == 16) {
        EXPECT_EQ(ds.dsBmih.biCompression, DWORD(BI_BITFIELDS));
        EXPECT_EQ(ds.dsBitfields[0], 0x7C00u);  // the device's masks
    }
    if (bits == 8) {
        ASSERT_EQ(systemCount, 256u);
        PixelReader reader(section.get());
        // The colour table is the system palette: index i shows system colour i.
        for (int i = 0; i < 256; ++i) {
            std::uint8_t* p = static_cast<std::uint8_t*>(reader.ds().dsBm.bmBits);
            p[0] = std::uint8_t(i);
            EXPECT_EQ(reader.At(0, 0), RGB(system[i].peRed, system[i].peGreen, system[i].peBlue)) << i;
        }
    }
}

struct DesktopCase {
    int width, height;
};

class DesktopCapture : public testing::TestWithParam<DesktopCase> {};

// The known picture covers the screen; 640 x 480 is copied pixel for pixel, larger areas are scaled down.
TEST_P(DesktopCapture, ShowsTheScreenFromItsOrigin)
{
    const DesktopCase c = GetParam();
    const int bits = ScreenBits();
    PictureWindow picture(0, 0, 1024, 768);
    BitmapHandle shot = CaptureShown(RECT{0, 0, c.width, c.height}, PictureColor(0, 0));
    ASSERT_TRUE(shot);
    PixelReader reader(shot.get());
    ASSERT_EQ(reader.ds().dsBm.bmWidth, 640);
    ASSERT_EQ(reader.ds().dsBm.bmHeight, 480);
    if (c.width == 640) {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                ASSERT_EQ(reader.At(x, y), ScreenQuantized(PictureColor(x, y), bits)) << x << "," << y;
        return;
    }
    // Each block's middle, away from the edges where scaling may sample either neighbour.
    for (int by = 0; by * BlockSize < c.height; ++by)
        for (int bx = 0; bx * BlockSize < c.width; ++bx) {
            const int sx = bx * BlockSize + BlockSize / 2, sy = by * BlockSize + BlockSize / 2;
            if (sx >= c.width || sy >= c.height) continue;
            const int px = sx * 640 / c.width, py = sy * 480 / c.height;
            EXPECT_EQ(reader.At(px, py), ScreenQuantized(PictureColor(sx, sy), bits)) << "block " << bx << "," << by;
        }
}

INSTANTIATE_TEST_SUITE_P(Areas, DesktopCapture,
                         testing::Values(DesktopCase{640, 480}, DesktopCase{800, 600}, DesktopCase{1024, 768}),
                         [](const testing::TestParamInfo<DesktopCase>& i) {
                             return std::to_string(i.param.width) + "x" + std::to_string(i.param.height);
                         });

// A topmost window over the whole screen with one-pixel black and white stripes, white first.
class StripesWindow {
public:
    explicit StripesWindow(bool vertical) : vertical_(vertical)
    {
        static const ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &StripesWindow::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "MirrorTestStripes";
            return RegisterClassA(&wc);
        }();
        (void)atom;
        window_.reset(CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "MirrorTestStripes", "Stripes", WS_POPUP, 0,
                                      0, 1024, 768, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
        UpdateWindow(window_.get());
    }
    HWND get() const { return window_.get(); }
    // The stripe's colour at a screen position.
    COLORREF At(int x, int y) const { return (vertical_ ? x : y) % 2 ? RGB(0, 0, 0) : RGB(255, 255, 255); }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_ERASEBKGND) return 1;
        if (msg != WM_PAINT) return DefWindowProcA(wnd, msg, wParam, lParam);
        auto* self = reinterpret_cast<StripesWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT client;
        GetClientRect(wnd, &client);
        PatBlt(dc, 0, 0, client.right, client.bottom, WHITENESS);
        const bool vertical = self && self->vertical_;
        for (int i = 1; i < (vertical ? client.right : client.bottom); i += 2)
            PatBlt(dc, vertical ? i : 0, vertical ? 0 : i, vertical ? 1 : client.right, vertical ? client.bottom : 1,
                   BLACKNESS);
        EndPaint(wnd, &ps);
        return 0;
    }

    WindowHandle window_;
    bool vertical_;
};

struct StripesCase {
    const char* name;
    bool vertical;
    int width, height;
};

void PrintTo(const StripesCase& c, std::ostream* os) { *os << c.name; }

class ScaledStripes : public testing::TestWithParam<StripesCase> {};

// Scaling picks pixels of the screen: one-pixel stripes stay black and white, in lines across the picture
// (no grey from blending, no stripe swallowed by its neighbour), with both colours kept.
TEST_P(ScaledStripes, KeepThePicturesOwnColours)
{
    const StripesCase c = GetParam();
    StripesWindow stripes(c.vertical);
    // Shown once the screen's first stripes are copied as they are.
    ASSERT_TRUE(testwait::PumpUntil(
        [&] {
            BitmapHandle shot = CaptureDesktop(RECT{0, 0, 640, 480});
            if (!shot) return false;
            PixelReader reader(shot.get());
            for (int i = 0; i < 8; ++i)
                if (reader.At(i, i) != stripes.At(i, i) || reader.At(639 - i, 479 - i) != stripes.At(639 - i, 479 - i))
                    return false;
            return true;
        },
        10000));

    BitmapHandle shot = CaptureDesktop(RECT{0, 0, c.width, c.height});
    ASSERT_TRUE(shot);
    PixelReader reader(shot.get());
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    int whites = 0;
    // The stripes of the picture, each a whole column (or row).
    const int lines = c.vertical ? 640 : 480, along = c.vertical ? 480 : 640;
    for (int line = 0; line < lines; ++line) {
        const COLORREF first = c.vertical ? reader.At(line, 0) : reader.At(0, line);
        ASSERT_TRUE(first == white || first == black) << "line " << line << ": " << std::hex << first;
        if (first == white) ++whites;
        for (int i = 1; i < along; ++i) {
            const COLORREF p = c.vertical ? reader.At(line, i) : reader.At(i, line);
            ASSERT_EQ(p, first) << "line " << line << " at " << i;
        }
    }
    // Picked evenly, about as many lines of each colour come through.
    EXPECT_GE(whites, lines * 2 / 5);
    EXPECT_LE(whites, lines * 3 / 5);
}

INSTANTIATE_TEST_SUITE_P(Areas, ScaledStripes,
                         testing::Values(StripesCase{"Columns800x600", true, 800, 600},
                                         StripesCase{"Rows800x600", false, 800, 600},
                                         StripesCase{"Columns1024x768", true, 1024, 768},
                                         StripesCase{"Rows1024x768", false, 1024, 768}),
                         [](const testing::TestParamInfo<StripesCase>& i) { return std::string(i.param.name); });

TEST(ScreenCapture, WindowIsCopiedUnscaledIntoTheTopLeft)
{
    const int bits = ScreenBits();
    const COLORREF colour = RGB(0, 128, 128);
    PictureWindow backdrop(0, 0, 1024, 768, RGB(255, 255, 0));
    PictureWindow window(200, 150, 300, 200, colour);
    BitmapHandle shot;
    for (int attempt = 0; attempt < 30; ++attempt) {
        shot = CaptureWindow(window.get());
        if (shot && PixelReader(shot.get()).At(150, 100) == ScreenQuantized(colour, bits)) break;
        testwait::PumpFor(100);
    }
    ASSERT_TRUE(shot);
    PixelReader reader(shot.get());
    for (int y = 0; y < 480; y += 3)
        for (int x = 0; x < 640; x += 3) {
            const bool inside = x < 300 && y < 200;
            if (inside)
                ASSERT_EQ(reader.At(x, y), ScreenQuantized(colour, bits)) << x << "," << y;
            else
                ASSERT_EQ(reader.Raw(x, y), 0u) << x << "," << y;  // left as created
        }
    EXPECT_EQ(reader.At(299, 199), ScreenQuantized(colour, bits));
}

TEST(ScreenCapture, WindowLargerThanThePictureFillsIt)
{
    const int bits = ScreenBits();
    const COLORREF colour = RGB(128, 0, 128);
    PictureWindow window(0, 0, 900, 700, colour);
    BitmapHandle shot;
    for (int attempt = 0; attempt < 30; ++attempt) {
        shot = CaptureWindow(window.get());
        if (shot && PixelReader(shot.get()).At(639, 479) == ScreenQuantized(colour, bits)) break;
        testwait::PumpFor(100);
    }
    ASSERT_TRUE(shot);
    PixelReader reader(shot.get());
    EXPECT_EQ(reader.At(0, 0), ScreenQuantized(colour, bits));
    EXPECT_EQ(reader.At(639, 479), ScreenQuantized(colour, bits));
}

TEST(ScreenCapture, NoWindowNoPicture)
{
    EXPECT_FALSE(CaptureWindow(nullptr));
    EXPECT_FALSE(CaptureWindow(reinterpret_cast<HWND>(0x7FFF0001)));
}

TEST(ScreenCapture, TextPictureIsRedTextOnBlue)
{
    const int bits = ScreenBits();
    BitmapHandle text = CreateTextBitmap("...waiting for application C:\\Programs\\Target.exe");
    ASSERT_TRUE(text);
    PixelReader reader(text.get());
    ASSERT_EQ(reader.ds().dsBm.bmWidth, 640);
    const COLORREF blue = ScreenQuantized(RGB(0, 0, 255), bits), red = ScreenQuantized(RGB(255, 0, 0), bits);
    int redInText = 0, otherBelow = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const COLORREF c = reader.At(x, y);
            if (y < 12 && c == red) ++redInText;
            if (y >= 12 && c != blue) ++otherBelow;
        }
    EXPECT_GT(redInText, 20);
    EXPECT_EQ(otherBelow, 0);
    EXPECT_EQ(reader.At(639, 0), blue);
}

// Made every second while an application is awaited: the canvas must give back every GDI object.
TEST(ScreenCapture, TextPictureLeaksNoGdiObjects)
{
    BitmapHandle warm = CreateTextBitmap("warm up");
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    // Where the count is not kept, a fresh object's slot in the handle table shows whether slots pile up.
    auto slot = [] {
        BrushHandle probe(CreateSolidBrush(RGB(1, 2, 3)));
        return int(LOWORD(reinterpret_cast<std::uintptr_t>(probe.get())));
    };
    const int slotBefore = slot();
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(CreateTextBitmap("...waiting for application x"));
    if (before != 0)
        EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before + 5);
    else
        EXPECT_LT(std::abs(slot() - slotBefore), 100);
}
