// The bitmap drawing core: placement by the flag word, tiles cut at the target's edges, the three transparency
// methods, clipping that gives the caller's clip region back, the disabled look, shape masks and texture fills,
// all drawn into DIB sections and read back pixel by pixel.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>

#include "DrawTestHelpers.h"
#include "framework/runtime/Handles.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclutilsbmp.h"
#include "zcl/graphics/Zclutilsdraw.h"

using namespace drawtest;

namespace {

constexpr std::uint32_t Ground = 0x123456;
constexpr std::uint32_t Red = 0x0000FF;
constexpr std::uint32_t Green = 0x00FF00;
constexpr std::uint32_t Blue = 0xFF0000;
constexpr std::uint32_t Magenta = 0xFF00FF;

std::unique_ptr<TBitmap> Solid(int w, int h, std::uint32_t c)
{
    return MakeBitmap(w, h, [c](int, int) { return c; });
}

// Distinct colours by position, so that a pixel tells where in the source it came from.
std::uint32_t Coded(int x, int y) { return RGB(x * 20, y * 20, 100); }

}  // namespace

TEST(ZclBmpDrawExt, PlacesAndReturnsTheRectangleItCovers)
{
    struct Case {
        std::uint16_t flags;
        int sw, sh;
        TRect d, expected;
    } const cases[] = {
        {0x0410, 20, 10, TRect(0, 0, 100, 100), TRect(0, 0, 100, 50)},   // the target's width, height by aspect
        {0x0210, 20, 10, TRect(0, 0, 100, 100), TRect(0, 0, 200, 100)},  // the target's height, width by aspect
        {0x0610, 20, 10, TRect(0, 0, 100, 100), TRect(0, 0, 100, 50)},   // the largest that fits
        {0x0610, 10, 20, TRect(10, 10, 110, 110), TRect(10, 10, 60, 110)},
        {0x0010, 20, 10, TRect(5, 5, 105, 105), TRect(5, 5, 105, 105)},
        {0x0008, 16, 16, TRect(0, 0, 100, 20), TRect(42, 2, 58, 18)},
        {0x0008, 16, 16, TRect(0, 0, 10, 10), TRect(-3, -3, 13, 13)},  // larger than the target: it starts outside
        {0x0000, 16, 16, TRect(5, 5, 50, 50), TRect(5, 5, 21, 21)},
        {0x0000, 16, 16, TRect(5, 5, 5, 50), TRect(0, 0, 0, 0)},  // empty target
        {0x0020, 16, 16, TRect(5, 5, 50, 50), TRect(5, 5, 50, 50)},  // tiles cover the target
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags << " into " << Text(c.d));
        Surface s(220, 120, Ground);
        auto source = Solid(c.sw, c.sh, Red);
        const TRect r = ZCLBmpDrawExt(s.Canvas(), c.d, source->Canvas(), TRect(0, 0, c.sw, c.sh), c.flags, clNone,
                                      nullptr, nullptr);
        EXPECT_TRUE(SameRect(r, c.expected));
        // Exactly the covered rectangle (within the surface) turned red.
        TRect visible;
        IntersectRect(&visible, &c.expected, std::array<TRect, 1>{TRect(0, 0, 220, 120)}.data());
        if (c.flags & 0x0020) IntersectRect(&visible, &visible, &c.d);
        EXPECT_TRUE(SameRect(s.Bounds(Red), visible));
        EXPECT_EQ(s.Count(Red), visible.Width() * visible.Height());
    }
}

TEST(ZclBmpDrawExt, AnEmptySourceDrawsNothingAndReturnsTheTarget)
{
    for (std::uint16_t flags : {0x0000, 0x0210, 0x0410, 0x0610, 0x0008, 0x0020, 0x0040}) {
        Surface s(60, 60, Ground);
        auto source = Solid(10, 10, Red);
        const TRect d(5, 5, 50, 40);
        EXPECT_TRUE(SameRect(ZCLBmpDrawExt(s.Canvas(), d, source->Canvas(), TRect(0, 0, 0, 10), flags, clNone,
                                           nullptr, nullptr),
                             d));
        EXPECT_TRUE(SameRect(ZCLBmpDrawExt(s.Canvas(), d, source->Canvas(), TRect(3, 7, 9, 7), flags, clNone,
                                           nullptr, nullptr),
                             d));
        EXPECT_EQ(s.Count(Ground), 60 * 60) << "flags 0x" << std::hex << flags;
    }
}

TEST(ZclBmpDrawExt, TilesRepeatFromTheTopLeftAndStopAtTheTargetsEdges)
{
    auto source = MakeBitmap(10, 10, Coded);
    // Plain tiling and tiling through the clipping routine paint the same pixels: partial tiles at the right and
    // bottom, whole ones when the target is a multiple of the tile, a part of one tile when it is smaller.
    for (const TRect d : {TRect(5, 5, 30, 30), TRect(5, 5, 25, 35), TRect(12, 7, 19, 11)}) {
        for (bool clipped : {false, true}) {
            SCOPED_TRACE(testing::Message() << (clipped ? "clipped " : "plain ") << Text(d));
            Surface s(40, 40, Ground);
            if (clipped)
                ZCLBmpClipDrawExt(s.Canvas(), d, source->Canvas(), TRect(0, 0, 10, 10), 0x21, 0, clNone, nullptr);
            else
                ZCLBmpDrawExt(s.Canvas(), d, source->Canvas(), TRect(0, 0, 10, 10), 0x20, clNone, nullptr, nullptr);
            int wrong = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x) {
                    const bool inside = x >= d.left && x < d.right && y >= d.top && y < d.bottom;
                    const std::uint32_t want = inside ? Coded((x - d.left) % 10, (y - d.top) % 10) : Ground;
                    wrong += s.At(x, y) != want;
                }
            EXPECT_EQ(wrong, 0);
            EXPECT_FALSE(ClipOf(s.dc()).has);
        }
    }
}

TEST(ZclBmpDrawExt, TileOfAPartOfTheSourceRepeatsThatPart)
{
    auto source = MakeBitmap(20, 20, Coded);
    Surface s(30, 30, Ground);
    ZCLBmpDrawExt(s.Canvas(), TRect(0, 0, 30, 30), source->Canvas(), TRect(4, 6, 12, 11), 0x20, clNone, nullptr,
                  nullptr);
    EXPECT_EQ(s.At(0, 0), Coded(4, 6));
    EXPECT_EQ(s.At(8, 5), Coded(4, 6));   // the second tile of the second row
    EXPECT_EQ(s.At(29, 29), Coded(4 + 29 % 8, 6 + 29 % 5));
}

TEST(ZclBmpDrawExt, TransparencyMethods)
{
    // Left half magenta, right half green; the bottom-left pixel makes magenta the bitmap's transparent colour.
    auto source = MakeBitmap(8, 8, [](int x, int) { return x < 4 ? Magenta : Green; });
    // For the caller's mask: an image black where transparent, and a mask white there.
    auto image = MakeBitmap(8, 8, [](int x, int) { return x < 4 ? 0u : Green; });
    TBitmap mask;
    mask.Assign(source.get());
    mask.Canvas()->Brush()->SetColor(TColor(Magenta));
    mask.SetMonochrome(true);

    struct Case {
        const char* name;
        std::uint16_t flags;
        TCanvas* source;
        TObject* extra;
        std::uint32_t left, right;
    } const cases[] = {
        {"transparent colour", 0x0040, source->Canvas(), nullptr, Ground, Green},
        {"colour replaced", 0x0080, nullptr, source.get(), Blue, Green},
        {"caller's mask", 0x0100, image->Canvas(), mask.Canvas(), Ground, Green},
        {"mask bit without a mask, transparent colour", 0x0140, source->Canvas(), nullptr, Ground, Green},
        {"mask bit without a mask", 0x0100, source->Canvas(), nullptr, Magenta, Green},
        {"plain copy", 0x0000, source->Canvas(), nullptr, Magenta, Green},
        {"stretched transparent colour", 0x0050, source->Canvas(), nullptr, Ground, Green},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Surface s(40, 40, Ground);
        const COLORREF text = GetTextColor(s.dc()), back = GetBkColor(s.dc());
        const TColor color = c.flags & 0x80 ? TColor(Blue) : TColor(Magenta);
        const TRect d = c.flags & 0x10 ? TRect(0, 0, 32, 32) : TRect(0, 0, 8, 8);
        ZCLBmpDrawExt(s.Canvas(), d, c.source, TRect(0, 0, 8, 8), c.flags, color, nullptr, c.extra);
        const int k = d.Width() / 8;
        EXPECT_EQ(s.At(1 * k, 1 * k), c.left);
        EXPECT_EQ(s.At(3 * k, 6 * k), c.left);
        EXPECT_EQ(s.At(4 * k, 2 * k), c.right);
        EXPECT_EQ(s.At(7 * k, 7 * k), c.right);
        EXPECT_EQ(s.At(d.right, d.bottom), Ground);
        // The mask colours of the two-pass copy are the routine's own; colour replacement keeps the brush (and
        // so the background colour) in the colour it painted with.
        EXPECT_EQ(GetTextColor(s.dc()), text);
        EXPECT_EQ(GetBkColor(s.dc()), c.flags & 0x80 ? COLORREF(Blue) : back);
    }
}

TEST(ZclBmpDrawExt, ColourReplacementWithoutABitmapDrawsNothing)
{
    Surface s(20, 20, Ground);
    auto source = Solid(8, 8, Red);
    ZCLBmpDrawExt(s.Canvas(), TRect(0, 0, 8, 8), source->Canvas(), TRect(0, 0, 8, 8), 0x80, clBlue, nullptr,
                  nullptr);
    EXPECT_EQ(s.Count(Ground), 400);
}

TEST(ZclBmpClipDrawExt, ClipsToTheTargetMovedByTheOffsetAndGivesTheCallersRegionBack)
{
    auto source = Solid(4, 4, Red);
    const TRect d(0, 0, 20, 20);
    const std::int32_t offset = 3 | (5 << 16);
    struct Case {
        const char* name;
        bool callerClip;
        TRect red;
    } const cases[] = {
        {"no clip region before", false, TRect(3, 5, 20, 20)},
        {"the caller's region (0, 0, 10, 40) is kept", true, TRect(3, 5, 10, 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Surface s(40, 40, Ground);
        if (c.callerClip) {
            RegionHandle own(CreateRectRgn(0, 0, 10, 40));
            SelectClipRgn(s.dc(), own.get());
        }
        ZCLBmpClipDrawExt(s.Canvas(), d, source->Canvas(), TRect(0, 0, 4, 4), 0x11, offset, clNone, nullptr);
        EXPECT_TRUE(SameRect(s.Bounds(Red), c.red));
        EXPECT_EQ(s.Count(Red), c.red.Width() * c.red.Height());
        const ClipState after = ClipOf(s.dc());
        EXPECT_EQ(after.has, c.callerClip);
        if (c.callerClip) {
            EXPECT_TRUE(SameRect(after.box, TRect(0, 0, 10, 40)));
        }
    }
}

TEST(ZclBmpClipDrawExt, TheOffsetsHalvesAreUnsigned16Bit)
{
    auto source = Solid(4, 4, Red);
    Surface s(40, 40, Ground);
    // 0xFFFF in the low half moves the clip far right: nothing is drawn, and nothing wraps to the left.
    ZCLBmpClipDrawExt(s.Canvas(), TRect(0, 0, 20, 20), source->Canvas(), TRect(0, 0, 4, 4), 0x11, 0x0000FFFF,
                      clNone, nullptr);
    EXPECT_EQ(s.Count(Red), 0);
    EXPECT_FALSE(ClipOf(s.dc()).has);
}

TEST(ZclBmpDrawDisabledState, BlackLinesBecomeShadowWithAHighlightCopyOnTheTransparentColour)
{
    // Black lines (a column and a row) on a red ground; red is the transparent colour (bottom-left pixel).
    auto glyph = MakeBitmap(12, 12, [](int x, int y) {
        if (x == 4 || y == 3) return 0u;
        return (x + y) % 3 == 0 ? 0x00FFFFu : Red;  // a second ground colour that must not survive
    });
    glyph->SetTransparentColor(TColor(Red));
    TBitmap dest;
    dest.SetPixelFormat(pf24bit);
    dest.SetSize(14, 14);
    ZCLBmpDrawDisabledState(&dest, glyph.get(), 1, 1);
    const std::uint32_t shadow = Sys(COLOR_BTNSHADOW), light = Sys(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(PixelOf(&dest, 1 + 4, 1 + 8), shadow);   // on the column
    EXPECT_EQ(PixelOf(&dest, 1 + 5, 1 + 8), light);    // its highlight copy one to the right
    EXPECT_EQ(PixelOf(&dest, 1 + 8, 1 + 3), shadow);   // on the row
    EXPECT_EQ(PixelOf(&dest, 1 + 8, 1 + 4), light);    // and one below
    EXPECT_EQ(PixelOf(&dest, 1 + 8, 1 + 8), Red);      // the ground is the transparent colour
    std::set<std::uint32_t> colours;
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 14; ++x) colours.insert(PixelOf(&dest, x, y));
    EXPECT_EQ(colours, (std::set<std::uint32_t>{Red, shadow, light}));
}

TEST(ZclMaskBmpDraw, ThePictureShowsOnlyInsideTheShapeAndTheMaskBecomesMonochrome)
{
    // A white square shape (4..11) on a green mask colour, and a blue picture with a yellow stripe.
    auto mask = MakeBitmap(16, 16, [](int x, int y) { return x >= 4 && x < 12 && y >= 4 && y < 12 ? 0xFFFFFFu : Green; });
    auto picture = MakeBitmap(16, 16, [](int x, int) { return x == 6 ? 0x00FFFFu : Blue; });
    Surface s(40, 40, Ground);
    ZCLMaskBmpDraw(s.Canvas(), TRect(10, 10, 40, 40), mask.get(), picture.get(), clWhite, TColor(Green));
    EXPECT_EQ(s.At(10 + 5, 10 + 5), Blue);
    EXPECT_EQ(s.At(10 + 6, 10 + 8), 0x00FFFFu);
    EXPECT_EQ(s.At(10 + 2, 10 + 5), Ground);   // outside the shape
    EXPECT_EQ(s.At(10 + 13, 10 + 13), Ground);
    EXPECT_EQ(s.At(5, 5), Ground);            // outside R
    EXPECT_EQ(s.Count(Blue) + s.Count(0x00FFFF), 64);
    // Callers hand in copies: the mask is now the shape's monochrome mask.
    EXPECT_TRUE(mask->Monochrome());
    EXPECT_EQ(PixelOf(mask.get(), 5, 5), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(mask.get(), 1, 1), 0u);
}

TEST(ZclFillTexture, RepeatsTheBitmapFromTheOffset)
{
    auto bitmap = MakeBitmap(10, 10, Coded);
    struct Case {
        TPoint offset;
        int dx, dy;  // the bitmap point at R's top-left
        bool draws;
    } const cases[] = {
        {TPoint(0, 0), 0, 0, true},   {TPoint(3, 0), 3, 0, true},  {TPoint(10, 0), 0, 0, true},
        {TPoint(23, 17), 3, 7, true}, {TPoint(-1, 0), 0, 0, false}, {TPoint(0, -4), 0, 0, false},
    };
    const TRect r(4, 2, 29, 24);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset.x << "," << c.offset.y);
        Surface s(40, 30, Ground);
        ZCLFillTexture(s.dc(), r, bitmap.get(), c.offset);
        if (!c.draws) {
            EXPECT_EQ(s.Count(Ground), 40 * 30);
            continue;
        }
        int wrong = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                const std::uint32_t want =
                    inside ? Coded((x - r.left + c.dx) % 10, (y - r.top + c.dy) % 10) : Ground;
                wrong += s.At(x, y) != want;
            }
        EXPECT_EQ(wrong, 0);
    }
    // The Part's example: offset 3 over 25 pixels puts column 3 at the left edge and column 0 seven further.
    Surface s(40, 30, Ground);
    ZCLFillTexture(s.dc(), r, bitmap.get(), TPoint(3, 0));
    EXPECT_EQ(s.At(r.left, r.top), Coded(3, 0));
    EXPECT_EQ(s.At(r.left + 7, r.top), Coded(0, 0));
}

TEST(ZclFillTexture, NothingForAnEmptyBitmapOrRectangle)
{
    TBitmap empty;
    auto bitmap = Solid(4, 4, Red);
    Surface s(20, 20, Ground);
    ZCLFillTexture(s.dc(), TRect(0, 0, 10, 10), &empty, TPoint(0, 0));
    ZCLFillTexture(s.dc(), TRect(5, 5, 5, 10), bitmap.get(), TPoint(0, 0));
    ZCLFillTexture(s.dc(), TRect(5, 5, 3, 10), bitmap.get(), TPoint(0, 0));
    EXPECT_EQ(s.Count(Ground), 400);
}

TEST(ZclBmpDrawing, GivesBackEveryGdiObjectOverRepeatedCalls)
{
    auto source = MakeBitmap(10, 10, [](int x, int) { return x < 5 ? Magenta : Green; });
    auto picture = Solid(10, 10, Blue);
    Surface s(60, 60, Ground);
    auto round = [&] {
        ZCLBmpDrawExt(s.Canvas(), TRect(0, 0, 40, 40), source->Canvas(), TRect(0, 0, 10, 10), 0x0610 | 0x40,
                      TColor(Magenta), nullptr, nullptr);
        ZCLBmpDrawExt(s.Canvas(), TRect(0, 0, 40, 40), nullptr, TRect(0, 0, 10, 10), 0x20 | 0x80, clRed, nullptr,
                      source.get());
        ZCLBmpClipDrawExt(s.Canvas(), TRect(3, 3, 33, 33), source->Canvas(), TRect(0, 0, 10, 10), 0x21 | 0x40,
                          0x00020001, TColor(Magenta), nullptr);
        TBitmap disabled;
        disabled.SetSize(10, 10);
        ZCLBmpDrawDisabledState(&disabled, source.get(), 0, 0);
        auto mask = MakeBitmap(10, 10, [](int x, int y) { return x > 2 && y > 2 ? 0xFFFFFFu : Green; });
        TBitmap copy;
        copy.Assign(picture.get());
        ZCLMaskBmpDraw(s.Canvas(), TRect(0, 0, 10, 10), mask.get(), &copy, clWhite, TColor(Green));
        ZCLFillTexture(s.dc(), TRect(0, 0, 55, 55), source.get(), TPoint(3, 4));
    };
    round();  // first-use allocations (the application's checkerboards, stock objects) happen here
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 25; ++i) round();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}
