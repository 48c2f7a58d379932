// Button glyphs: cell counts taken from the strip, the image each state gets in both styles, the lists shared by
// cell size and freed with their last image, drawing through the mask, and icons made from bitmaps, all drawn
// into DIB sections and read back pixel by pixel.

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "DrawTestHelpers.h"
#include "support/Screenshot.h"
#include "framework/runtime/Handles.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclglyph.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclnwgui.h"

using namespace drawtest;

namespace {

constexpr std::uint32_t Ground = 0x123456;
constexpr std::uint32_t Magenta = 0xFF00FF;  // the strips' transparent colour (bottom-left)
constexpr std::uint32_t Black = 0x000000;
// One colour per cell, none of them grey, black, white or magenta.
constexpr std::array<std::uint32_t, 8> CellColour = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                                     0xFFFF00, 0x0080FF, 0x80FF00, 0x4000C0};

// A strip of Cells square cells of Size: magenta around a square of the cell's colour whose top row is black.
std::unique_ptr<TBitmap> Strip(int Cells, int Size = 16)
{
    return MakeBitmap(Cells * Size, Size, [Size](int x, int y) {
        const int cx = x % Size;
        const int lo = Size / 4, hi = Size - Size / 4;
        if (cx < lo || cx >= hi || y < lo || y >= hi) return Magenta;
        return y == lo ? Black : CellColour[std::size_t(x / Size)];
    });
}

// What a state was drawn as.
constexpr int Grey = -2;
constexpr int Disabled = -3;
constexpr int Nothing = -4;
constexpr int Unknown = -5;

// Reads a 16-pixel glyph drawn at (X, Y) of a surface filled with Ground.
int Kind(const Surface& S, int X, int Y)
{
    const std::uint32_t inner = S.At(X + 8, Y + 8), top = S.At(X + 8, Y + 4), corner = S.At(X + 1, Y + 1);
    if (corner != Ground) return Unknown;  // the transparent colour must not show
    if (inner == Ground && top == Ground) return Nothing;
    for (std::size_t k = 0; k < CellColour.size(); ++k)
        if (inner == CellColour[k]) return top == Black ? int(k) : Unknown;
    if (inner == Ground && top == Sys(COLOR_BTNSHADOW) && S.At(X + 8, Y + 5) == Sys(COLOR_BTNHIGHLIGHT))
        return Disabled;
    for (std::uint32_t tone : {0xFFFFFFu, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), Black})
        if (inner == tone) return Grey;
    return Unknown;
}

std::string Name(int kind)
{
    switch (kind) {
    case Grey: return "grey";
    case Disabled: return "disabled";
    case Nothing: return "nothing";
    case Unknown: return "unknown";
    default: return "cell " + std::to_string(kind);
    }
}

int Drawn(TZCLGlyph& Glyph, TZCLButtonState State)
{
    Surface s(40, 40, Ground);
    Glyph.DrawButtonGlyphAndText(s.Canvas(), "", nullptr, TRect(10, 10, 40, 40), State, nullptr, {dtEnabled}, 0, 0);
    return Kind(s, 10, 10);
}

constexpr std::array<TZCLButtonState, 8> AllStates = {bsUp,   bsDisabledUp, bsMouseOver,    bsOptionSet,
                                                      bsDown, bsDragOver,   bsDropDownOpen, bsDisabledDown};

}  // namespace

TEST(ZclGlyph, TakesTheCellCountFromSquareCells)
{
    // clang-format off
    struct Case {
        int width, height;
        std::uint8_t expected;
    } const cases[] = {
        {16, 16, 1}, {32, 16, 2}, {64, 16, 4}, {80, 16, 5},
        {96, 16, 1},   // six cells or more are not split
        {128, 16, 1},
        {50, 16, 3},   // no whole number of square cells: unchanged
        {8, 16, 3},    // narrower than one cell: unchanged
        {0, 16, 3},    // no cell at all: unchanged, so a cell width can still be had
        {16, 0, 3},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        TZCLGlyph glyph;
        glyph.SetNumGlyphs(3);
        TBitmap strip;
        strip.SetPixelFormat(pf24bit);
        strip.SetSize(c.width, c.height);
        glyph.SetGlyph(&strip);
        EXPECT_EQ(glyph.NumGlyphs(), c.expected);
        EXPECT_EQ(glyph.Glyph()->Width(), c.width);
        // A strip too narrow for its cells has no image for any state, and no list is held for it.
        if (c.width > 0 && c.height > 0 && c.width < glyph.NumGlyphs()) {
            EXPECT_EQ(glyph.GetButtonGlyph(bsUp), -1);
            EXPECT_EQ(glyph.GlyphList(), nullptr);
        }
    }
    TZCLGlyph glyph;
    glyph.SetNumGlyphs(0);
    EXPECT_EQ(glyph.NumGlyphs(), 1);
}

TEST(ZclGlyph, GivesEachStateItsImage)
{
    const int D = Disabled, G = Grey;
    // clang-format off
    struct Case {
        int cells;
        TZCLGlyphStyle style;
        // bsUp, bsDisabledUp, bsMouseOver, bsOptionSet, bsDown, bsDragOver, bsDropDownOpen, bsDisabledDown
        std::array<int, 8> expected;
    } const cases[] = {
        {1, gsStandard, {0, D, 0, 0, 0, 0, 0, D}},
        {2, gsStandard, {0, 1, 0, 0, 0, 0, 0, 1}},
        {4, gsStandard, {0, 1, 2, 3, 0, 0, 0, 1}},
        {8, gsStandard, {0, 1, 2, 3, 4, 5, 6, 1}},
        // Explorer: grey until the mouse is over it; states beyond the strip show the mouse-over image, the open
        // drop-down the pressed one (made from the first cell when the strip has none).
        {1, gsExplorer, {G, D, 0, 0, 0, 0, 0, D}},
        {2, gsExplorer, {G, 1, 0, 0, 0, 0, 0, 1}},
        {4, gsExplorer, {G, 1, 2, 3, 2, 2, 0, 1}},
        {8, gsExplorer, {G, 1, 2, 3, 4, 5, 6, 1}},
    };
    // clang-format on
    for (const Case& c : cases) {
        TZCLGlyph glyph;
        auto strip = Strip(c.cells);
        glyph.SetGlyph(strip.get());
        glyph.SetNumGlyphs(std::uint8_t(c.cells));  // eight cells are not taken from the strip by themselves
        glyph.SetStyle(c.style);
        for (std::size_t i = 0; i < AllStates.size(); ++i) {
            SCOPED_TRACE(testing::Message() << c.cells << " cells, style " << int(c.style) << ", state " << i);
            EXPECT_EQ(Name(Drawn(glyph, AllStates[i])), Name(c.expected[i]));
        }
    }
}

TEST(ZclGlyph, MakesAStateImageOnceAndDropsThemWhenTheStripChanges)
{
    TZCLGlyph glyph;
    int changes = 0;
    struct Counter {
        int* n;
        void Count(TObject*) { ++*n; }
    } counter{&changes};
    glyph.SetOnChange(TNotifyEvent(&counter, &Counter::Count));
    auto strip = Strip(2);
    glyph.SetGlyph(strip.get());
    EXPECT_EQ(changes, 1);  // one change for the new strip, told with the cell count already set
    EXPECT_EQ(glyph.NumGlyphs(), 2);
    EXPECT_EQ(glyph.TransparentColor(), TColor(Magenta));

    const int up = glyph.GetButtonGlyph(bsUp);
    ASSERT_GE(up, 0);
    EXPECT_EQ(glyph.GetButtonGlyph(bsUp), up);
    // States beyond the strip show the up image: the same one, not a copy.
    EXPECT_EQ(glyph.GetButtonGlyph(bsDown), up);
    EXPECT_EQ(glyph.GetButtonGlyph(bsMouseOver), up);
    EXPECT_EQ(glyph.GlyphList()->UseCount(), 1);
    EXPECT_NE(glyph.GetButtonGlyph(bsDisabledDown), up);
    EXPECT_EQ(glyph.GlyphList()->UseCount(), 2);

    TBitmap image;
    glyph.GetStateBitmap(bsDisabledUp, &image);
    EXPECT_EQ(image.Width(), 16);
    EXPECT_EQ(image.Height(), 16);
    EXPECT_EQ(PixelOf(&image, 8, 8), CellColour[1]);

    // Painting on the strip is a change of the strip: the images are made again from what it shows now.
    glyph.Glyph()->Canvas()->Brush()->SetColor(TColor(CellColour[5]));
    glyph.Glyph()->Canvas()->FillRect(TRect(6, 6, 10, 10));
    EXPECT_GE(changes, 2);
    EXPECT_EQ(glyph.GlyphList(), nullptr);
    EXPECT_EQ(Drawn(glyph, bsUp), 5);

    // A new cell count and a new style drop the images as well.
    glyph.GetButtonGlyph(bsUp);
    glyph.SetNumGlyphs(1);
    EXPECT_EQ(glyph.GlyphList(), nullptr);
    glyph.GetButtonGlyph(bsUp);
    glyph.SetStyle(gsExplorer);
    EXPECT_EQ(glyph.GlyphList(), nullptr);
    EXPECT_EQ(Drawn(glyph, bsUp), Grey);

    glyph.SetGlyph(nullptr);
    EXPECT_EQ(glyph.GetButtonGlyph(bsUp), -1);
    image.SetSize(5, 5);
    glyph.GetStateBitmap(bsUp, &image);
    EXPECT_TRUE(image.Empty());
}

TEST(ZclGlyph, DrawsThroughItsMaskBesideTheText)
{
    TZCLGlyph glyph;
    auto strip = Strip(1);
    glyph.SetGlyph(strip.get());
    Surface s(120, 40, Ground);
    TZCLGlyphTextLayout layout;
    layout.SetAlignText2Glyph(taLeft);  // the text left of the glyph
    s.Canvas()->Font()->SetColor(clBlack);
    const TRect focus = glyph.DrawButtonGlyphAndText(s.Canvas(), "Wg", nullptr, TRect(0, 0, 120, 40), bsUp, &layout,
                                                     {dtEnabled, dtRectGlyph}, 0, 0);
    // The glyph: where the strip had its transparent colour the surface shows.
    const TRect g = s.Bounds(CellColour[0]);
    ASSERT_FALSE(g.IsEmpty());
    EXPECT_EQ(g.Width(), 8);
    EXPECT_EQ(g.Height(), 7);
    const int gx = g.left - 4, gy = g.top - 5;
    EXPECT_EQ(Kind(s, gx, gy), 0);
    EXPECT_EQ(s.Count(Magenta), 0);
    // The focus rectangle is the glyph's place, and the text was drawn left of it.
    EXPECT_TRUE(SameRect(focus, TRect(gx, gy, gx + 16, gy + 16)));
    EXPECT_GT(s.Count(Black, TRect(0, 0, gx, 40)), 0);
}

TEST(ZclGlyphList, HandsOutFreedSlotsAgainAndTakesOneCellAtATime)
{
    TZCLGlyphList list(16, 16);
    EXPECT_TRUE(list.Masked());
    auto two = Strip(2);
    auto one = Strip(1);
    EXPECT_EQ(list.AddMasked(two.get(), TColor(Magenta)), 0);  // the first cell only
    EXPECT_EQ(list.AddMasked(one.get(), TColor(Magenta)), 1);
    EXPECT_EQ(list.AddMasked(one.get(), TColor(Magenta)), 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.UseCount(), 3);

    list.Delete(1);
    list.Delete(1);   // already free
    list.Delete(-1);  // never handed out
    list.Delete(7);
    EXPECT_EQ(list.UseCount(), 2);
    EXPECT_EQ(list.Count(), 3);  // the images after a freed slot stay where they are
    EXPECT_EQ(list.Add(one.get(), nullptr), 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.AllocateIndex(), 3);  // none free: a blank image is added
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.UseCount(), 3);  // allocating alone puts no image in

    TBitmap image;
    list.GetBitmap(0, &image);
    EXPECT_EQ(PixelOf(&image, 8, 8), CellColour[0]);
    EXPECT_EQ(PixelOf(&image, 1, 1), Black);  // masked: black where transparent

    // An image of another size is refused and its slot stays free.
    TBitmap wrong;
    wrong.SetPixelFormat(pf24bit);
    wrong.SetSize(10, 10);
    EXPECT_THROW(list.AddMasked(&wrong, TColor(Magenta)), EInvalidGraphicOperation);
    EXPECT_EQ(list.UseCount(), 3);
    EXPECT_EQ(list.AllocateIndex(), 4);
}

TEST(ZclGlyphCache, SharesOneListPerCellSizeAndFreesItWithItsLastImage)
{
    ASSERT_EQ(ZCLGlyphCache(), nullptr);
    {
        TZCLGlyph a, b, c;
        ASSERT_NE(ZCLGlyphCache(), nullptr);
        TZCLGlyphCache* cache = ZCLGlyphCache();
        auto small = Strip(2);
        auto large = Strip(1, 20);
        a.SetGlyph(small.get());
        b.SetGlyph(small.get());
        c.SetGlyph(large.get());
        EXPECT_TRUE(cache->Empty());

        const int aUp = a.GetButtonGlyph(bsUp);
        const int bUp = b.GetButtonGlyph(bsUp);
        b.GetButtonGlyph(bsDisabledUp);
        c.GetButtonGlyph(bsUp);
        ASSERT_NE(a.GlyphList(), nullptr);
        EXPECT_EQ(a.GlyphList(), b.GlyphList());
        EXPECT_NE(a.GlyphList(), c.GlyphList());
        EXPECT_NE(aUp, bUp);
        EXPECT_EQ(cache->Count(), 2);
        EXPECT_EQ(cache->GetList(16, 16), a.GlyphList());
        EXPECT_EQ(cache->GetList(20, 20), c.GlyphList());
        TZCLGlyphList* shared = a.GlyphList();
        EXPECT_EQ(shared->UseCount(), 3);

        // The list stays while another glyph has images in it.
        a.SetNumGlyphs(1);
        EXPECT_EQ(a.GlyphList(), nullptr);
        EXPECT_EQ(cache->Count(), 2);
        EXPECT_EQ(shared->UseCount(), 2);
        // a's freed slot is taken again before the list grows.
        EXPECT_EQ(a.GetButtonGlyph(bsUp), aUp);
        EXPECT_EQ(shared->Count(), 3);
        a.Init();

        b.SetStyle(gsExplorer);
        EXPECT_EQ(cache->Count(), 1);
        c.Init();
        EXPECT_TRUE(cache->Empty());
        EXPECT_EQ(ZCLGlyphCache(), cache);  // no glyph has gone yet
    }
    EXPECT_EQ(ZCLGlyphCache(), nullptr);

    // A glyph that leaves the cache empty frees it; the next one that needs it makes it again.
    auto first = std::make_unique<TZCLGlyph>();
    TZCLGlyph second;
    first.reset();
    EXPECT_EQ(ZCLGlyphCache(), nullptr);
    auto strip = Strip(1);
    second.SetGlyph(strip.get());
    EXPECT_EQ(Drawn(second, bsUp), 0);
    ASSERT_NE(ZCLGlyphCache(), nullptr);
    EXPECT_EQ(ZCLGlyphCache()->Count(), 1);
}

TEST(ZclGlyph, RepeatedDrawingAndGlyphsComingAndGoingKeepGdiObjectsSteady)
{
    auto strip = Strip(4);
    TZCLGlyph kept;
    kept.SetGlyph(strip.get());
    Surface s(60, 40, Ground);
    auto round = [&] {
        for (TZCLButtonState state : AllStates)
            kept.DrawButtonGlyphAndText(s.Canvas(), "Ok", nullptr, TRect(0, 0, 60, 40), state, nullptr, {dtEnabled}, 0,
                                        0);
        TZCLGlyph passing;
        passing.SetGlyph(strip.get());
        passing.SetStyle(gsExplorer);
        for (TZCLButtonState state : AllStates) {
            passing.DrawButtonGlyphAndText(s.Canvas(), "", nullptr, TRect(0, 0, 60, 40), state, nullptr, {dtEnabled}, 0,
                                           0);
            TBitmap image;
            passing.GetStateBitmap(state, &image);
        }
        kept.SetStyle(kept.Style() == gsStandard ? gsExplorer : gsStandard);
    };
    round();
    round();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 20; ++i) round();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

TEST(ZclBitmap2Icon, MakesAnIconThatShowsTheBackgroundWhereTheBitmapIsTransparent)
{
    // 20 x 12 becomes 16 x 16: the top-left is kept, the new pixels are white.
    auto bitmap =
        MakeBitmap(20, 12, [](int x, int y) { return x >= 4 && x < 12 && y >= 2 && y < 8 ? 0x0000FFu : Magenta; });
    bitmap->SetTransparentColor(TColor(Magenta));
    HICON icon = reinterpret_cast<HICON>(1);
    ZCLBitmap2Icon(bitmap.get(), icon, 16, 16);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(bitmap->Width(), 16);
    EXPECT_EQ(bitmap->Height(), 16);

    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BitmapHandle mask(info.hbmMask), colour(info.hbmColor);
    EXPECT_TRUE(info.fIcon);
    BITMAP bm{};
    GetObjectA(mask.get(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 16);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectedObject sel(dc.get(), mask.get());
        EXPECT_EQ(GetPixel(dc.get(), 0, 0), RGB(255, 255, 255));  // transparent
        EXPECT_EQ(GetPixel(dc.get(), 6, 4), RGB(0, 0, 0));        // the picture
        EXPECT_EQ(GetPixel(dc.get(), 6, 14), RGB(0, 0, 0));       // the white added by resizing is no hole
    }

    // Drawn the way the notification area draws icons: the background shows through, the picture covers it.
    Surface s(16, 16, 0x00C000);
    DrawIconEx(s.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(s.At(0, 0), 0x00C000u);
    EXPECT_EQ(s.At(15, 2), 0x00C000u);
    EXPECT_EQ(s.At(6, 4), 0x0000FFu);
    EXPECT_EQ(s.At(11, 7), 0x0000FFu);
    EXPECT_EQ(s.At(6, 14), 0xFFFFFFu);
    DestroyIcon(icon);
}

TEST(ZclBitmap2Icon, GivesNoIconWithoutABitmapOrASize)
{
    auto bitmap = MakeBitmap(16, 16, [](int, int) { return 0x0000FFu; });
    struct Case {
        TBitmap* bitmap;
        int w, h;
    } const cases[] = {{nullptr, 16, 16}, {bitmap.get(), 0, 16}, {bitmap.get(), 16, 0}, {bitmap.get(), -1, -1}};
    for (const Case& c : cases) {
        HICON icon = reinterpret_cast<HICON>(1);
        ZCLBitmap2Icon(c.bitmap, icon, c.w, c.h);
        EXPECT_EQ(icon, nullptr);
    }
    EXPECT_EQ(bitmap->Width(), 16);
}

TEST(ZclBitmap2Icon, LeavesNoGdiObjectsBehind)
{
    auto round = [] {
        auto bitmap = MakeBitmap(16, 16, [](int x, int) { return x < 8 ? 0x0000FFu : Magenta; });
        HICON icon = nullptr;
        ZCLBitmap2Icon(bitmap.get(), icon, 16, 16);
        DestroyIcon(icon);
    };
    round();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 30; ++i) round();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

TEST(ZclGlyphScreenshot, EveryStateOfAOneCellAndAFourCellStripInBothStyles)
{
    // A picture as a button would carry it: a yellow disc with a black outline and a red bar, on magenta.
    auto cell = [](TCanvas* c, int x, std::uint32_t disc) {
        c->Pen()->SetColor(clBlack);
        c->Brush()->SetColor(TColor(disc));
        c->Ellipse(x + 1, 1, x + 15, 15);
        c->Brush()->SetColor(clRed);
        c->FillRect(TRect(x + 4, 7, x + 12, 10));
    };
    auto one = MakeBitmap(16, 16, [](int, int) { return Magenta; });
    cell(one->Canvas(), 0, 0x00FFFF);
    auto four = MakeBitmap(64, 16, [](int, int) { return Magenta; });
    const std::uint32_t discs[] = {0x00FFFF, 0xC0C0C0, 0x40FF40, 0xFF8040};  // up, disabled, mouse over, option
    for (int k = 0; k < 4; ++k) cell(four->Canvas(), 16 * k, discs[k]);

    Surface s(8 * 40 + 20, 4 * 40 + 10, Sys(COLOR_BTNFACE));
    struct Row {
        TBitmap* strip;
        TZCLGlyphStyle style;
    } const rows[] = {
        {one.get(), gsStandard}, {one.get(), gsExplorer}, {four.get(), gsStandard}, {four.get(), gsExplorer}};
    for (int r = 0; r < 4; ++r) {
        TZCLGlyph glyph;
        glyph.SetGlyph(rows[r].strip);
        glyph.SetStyle(rows[r].style);
        for (int i = 0; i < 8; ++i)
            glyph.DrawButtonGlyphAndText(s.Canvas(), "", nullptr, Bounds(10 + i * 40, 5 + r * 40, 32, 32),
                                         AllStates[std::size_t(i)], nullptr, {dtEnabled}, 0, 0);
    }
    EXPECT_EQ(s.Count(Magenta), 0);
    EXPECT_FALSE(testshot::Shot::OfDC(s.dc(), s.Width(), s.Height()).SaveArtifact("zcl-glyph-states").empty());
}
