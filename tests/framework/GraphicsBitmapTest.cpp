#include <gtest/gtest.h>

#include <vector>

#include "GraphicsTestHelpers.h"
#include "framework/visual/Graphics.h"

namespace {

using gfxtest::RawDib;

constexpr std::uint32_t White = 0xFFFFFF, Black = 0x000000, Red = 0x0000FF, Lime = 0x00FF00, Blue = 0xFF0000;

// Raw pixel of a 24-bit bitmap as 0x00BBGGRR.
std::uint32_t At24(TBitmap& b, int x, int y)
{
    const auto* p = static_cast<const unsigned char*>(b.ScanLine(y)) + 3 * x;
    return std::uint32_t(p[2]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[0]) << 16;
}

void Put24(TBitmap& b, int x, int y, std::uint32_t c)
{
    auto* p = static_cast<unsigned char*>(b.ScanLine(y)) + 3 * x;
    p[0] = BYTE(c >> 16);
    p[1] = BYTE(c >> 8);
    p[2] = BYTE(c);
}

// The colour table of a section, as the system reports it.
std::vector<std::uint32_t> DibTable(HBITMAP h)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, h);
    RGBQUAD q[256];
    const UINT n = GetDIBColorTable(dc, 0, 256, q);
    SelectObject(dc, old);
    DeleteDC(dc);
    std::vector<std::uint32_t> t;
    for (UINT i = 0; i < n; ++i) t.push_back(RGB(q[i].rgbRed, q[i].rgbGreen, q[i].rgbBlue));
    return t;
}

// Raw pixel of an 8-bit bitmap: its index looked up in the section's own colour table.
std::uint32_t At8(TBitmap& b, int x, int y)
{
    const unsigned index = static_cast<const unsigned char*>(b.ScanLine(y))[x];
    return DibTable(b.Handle()).at(index);
}

std::unique_ptr<TBitmap> Bitmap24(int w, int h, std::uint32_t fill = White)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Put24(*b, x, y, fill);
    return b;
}

TPixelFormat ScreenFormat()
{
    HDC dc = GetDC(nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return bits == 32 ? pf32bit : bits == 24 ? pf24bit : bits == 16 ? pf16bit : bits == 8 ? pf8bit : pfCustom;
}

TEST(GraphicsBitmap, NewBitmapIsEmptyUntilSized)
{
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.PixelFormat(), pfDevice);
    EXPECT_EQ(b.Handle(), nullptr);
    EXPECT_EQ(b.TransparentColor(), clNone);
    b.SetWidth(5);
    EXPECT_TRUE(b.Empty());
    b.SetHeight(4);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.PixelFormat(), ScreenFormat());
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(b.Handle(), sizeof ds, &ds), int(sizeof ds)) << "a DIB section";
    EXPECT_EQ(ds.dsBm.bmWidth, 5);
    EXPECT_EQ(ds.dsBm.bmHeight, 4);
    EXPECT_EQ(b.Canvas()->Pixels(4, 3), clWhite) << "a new bitmap is white";
}

TEST(GraphicsBitmap, ScanLineZeroIsTheTopRow)
{
    auto b = Bitmap24(3, 2);
    b->Canvas()->SetPixels(0, 0, clRed);
    b->Canvas()->SetPixels(2, 1, clBlue);
    EXPECT_EQ(At24(*b, 0, 0), Red);
    EXPECT_EQ(At24(*b, 2, 1), Blue);
    Put24(*b, 1, 1, Lime);
    EXPECT_EQ(b->Canvas()->Pixels(1, 1), clLime);
    EXPECT_THROW(b->ScanLine(-1), EInvalidGraphicOperation);
    EXPECT_THROW(b->ScanLine(2), EInvalidGraphicOperation);
    TBitmap empty;
    EXPECT_THROW(empty.ScanLine(0), EInvalidGraphicOperation);
    b->SetMonochrome(true);
    EXPECT_THROW(b->ScanLine(0), EInvalidGraphicOperation);
}

// Growing and shrinking keeps the top-left content; the new part is white.
TEST(GraphicsBitmap, ResizeKeepsContentInEveryFormat)
{
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap b;
        b.SetPixelFormat(f);
        b.SetSize(4, 3);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(clBlack);
        c->FillRect(Rect(0, 0, 4, 3));
        c->SetPixels(3, 2, clWhite);
        if (f != pf1bit) c->SetPixels(0, 0, clRed);
        b.SetSize(7, 5);
        EXPECT_EQ(b.PixelFormat(), f);
        EXPECT_EQ(b.Canvas()->Pixels(1, 1), clBlack) << int(f);
        EXPECT_EQ(b.Canvas()->Pixels(3, 2), clWhite) << int(f);
        if (f != pf1bit) {
            EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed) << int(f);
        }
        EXPECT_EQ(b.Canvas()->Pixels(4, 0), clWhite) << int(f);
        EXPECT_EQ(b.Canvas()->Pixels(6, 4), clWhite) << int(f);
        EXPECT_EQ(b.Canvas()->Pixels(0, 3), clWhite) << int(f);
        b.SetHeight(2);
        b.SetWidth(2);
        EXPECT_EQ(b.Width(), 2);
        EXPECT_EQ(b.Height(), 2);
        EXPECT_EQ(b.Canvas()->Pixels(1, 1), clBlack) << int(f);
    }
}

TEST(GraphicsBitmap, ConversionFrom32To24KeepsColours)
{
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) b.Canvas()->SetPixels(x, y, TColor(RGB(x * 16, y * 16, (x * y) & 0xFF)));
    b.SetPixelFormat(pf24bit);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(At24(b, x, y), RGB(x * 16, y * 16, (x * y) & 0xFF)) << x << "," << y;
}

TEST(GraphicsBitmap, ConversionTo8BitUsesThePaletteGiven)
{
    const std::uint32_t colors[] = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0x0000FF};
    std::vector<unsigned char> buf(sizeof(LOGPALETTE) + 5 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 5;
    PALETTEENTRY* entries = lp->palPalEntry;
    for (int i = 0; i < 5; ++i)
        entries[i] = PALETTEENTRY{GetRValue(colors[i]), GetGValue(colors[i]), GetBValue(colors[i]), 0};
    HPALETTE palette = CreatePalette(lp);
    auto b = Bitmap24(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) Put24(*b, x, y, colors[(x + y) % 5]);
    b->SetPalette(palette);
    DeleteObject(palette);  // the bitmap keeps its own copy
    b->SetPixelFormat(pf8bit);
    EXPECT_EQ(b->PixelFormat(), pf8bit);
    const auto table = DibTable(b->Handle());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(table[std::size_t(i)], colors[i]);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(At8(*b, x, y), colors[(x + y) % 5]);
    ASSERT_NE(b->Palette(), nullptr);
    PALETTEENTRY e[8];
    EXPECT_EQ(GetPaletteEntries(b->Palette(), 0, 8, e), 5u);
    EXPECT_EQ(RGB(e[4].peRed, e[4].peGreen, e[4].peBlue), colors[4]);
}

TEST(GraphicsBitmap, ConversionTo8BitWithoutPaletteKeepsFewColoursExactly)
{
    auto b = Bitmap24(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) Put24(*b, x, y, RGB(x * 13, y * 7, 99));  // 400 colours, too many
    auto few = Bitmap24(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) Put24(*few, x, y, RGB(x * 13, y * 7, 99));  // 200 colours
    few->SetPixelFormat(pf8bit);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(At8(*few, x, y), RGB(x * 13, y * 7, 99)) << x << "," << y;
    // Too many: the nearest colour of a fixed table, and back in 24 bits the same picture as in 8.
    b->SetPixelFormat(pf8bit);
    const std::uint32_t in8 = At8(*b, 19, 19);
    b->SetPixelFormat(pf24bit);
    EXPECT_EQ(At24(*b, 19, 19), in8);
}

TEST(GraphicsBitmap, ConversionTo4BitTakesTheNearestStandardColour)
{
    auto b = Bitmap24(20, 1);
    for (int x = 0; x < 20; ++x) Put24(*b, x, 0, RGB(x * 12, 255 - x * 12, 7 * x));  // 20 colours
    Put24(*b, 0, 0, RGB(250, 5, 5));
    b->SetPixelFormat(pf4bit);
    EXPECT_EQ(b->PixelFormat(), pf4bit);
    EXPECT_EQ(b->Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(DibTable(b->Handle()).size(), 16u);
}

TEST(GraphicsBitmap, SixteenBitFormatsRoundColoursDown)
{
    for (TPixelFormat f : {pf15bit, pf16bit}) {
        auto b = Bitmap24(3, 1);
        Put24(*b, 0, 0, RGB(255, 255, 255));
        Put24(*b, 1, 0, RGB(0x87, 0x43, 0x21));
        Put24(*b, 2, 0, RGB(0, 0, 0));
        b->SetPixelFormat(f);
        EXPECT_EQ(b->PixelFormat(), f);
        const auto* p = static_cast<const unsigned char*>(b->ScanLine(0));
        const unsigned v = p[2] | p[3] << 8;
        if (f == pf15bit) EXPECT_EQ(v, (0x87u >> 3) << 10 | (0x43u >> 3) << 5 | 0x21u >> 3);
        else EXPECT_EQ(v, (0x87u >> 3) << 11 | (0x43u >> 2) << 5 | 0x21u >> 3);
        b->SetPixelFormat(pf24bit);
        EXPECT_EQ(At24(*b, 0, 0), White) << "full channels stay full";
        EXPECT_EQ(At24(*b, 2, 0), Black);
    }
}

TEST(GraphicsBitmap, CustomFormatIsRefused)
{
    auto b = Bitmap24(2, 2);
    EXPECT_THROW(b->SetPixelFormat(pfCustom), EInvalidGraphicOperation);
}

// A monochrome copy: the pixels of the canvas brush colour turn white, every other pixel black.
TEST(GraphicsBitmap, MonochromeTurnsTheBrushColourWhite)
{
    for (TColor brush : {clBlack, TColor(clBlack | PaletteRelativeFlag)}) {
        auto b = Bitmap24(4, 1, Red);
        Put24(*b, 1, 0, Black);
        Put24(*b, 2, 0, RGB(1, 0, 0));  // near black is not black
        Put24(*b, 3, 0, White);
        b->Canvas()->Brush()->SetColor(brush);
        b->SetMonochrome(true);
        EXPECT_TRUE(b->Monochrome());
        EXPECT_EQ(b->PixelFormat(), pf1bit);
        BITMAP bm{};
        GetObjectA(b->Handle(), sizeof bm, &bm);
        EXPECT_EQ(bm.bmBitsPixel, 1);
        EXPECT_EQ(bm.bmBits, nullptr) << "a device bitmap, for the text and background colour rules";
        const TColor expect[] = {clBlack, clWhite, clBlack, clBlack};
        for (int x = 0; x < 4; ++x) EXPECT_EQ(b->Canvas()->Pixels(x, 0), expect[x]) << x;
    }
}

TEST(GraphicsBitmap, MonochromeBlitsTakeTheTargetsTextAndBackgroundColours)
{
    TBitmap m;
    m.SetMonochrome(true);
    m.SetSize(2, 1);
    m.Canvas()->SetPixels(0, 0, clBlack);
    m.Canvas()->SetPixels(1, 0, clWhite);
    RawDib target(2, 1);
    SetTextColor(target.dc(), RGB(0, 0, 255));
    SetBkColor(target.dc(), RGB(255, 255, 0));
    BitBlt(target.dc(), 0, 0, 2, 1, m.Canvas()->Handle(), 0, 0, SRCCOPY);
    EXPECT_EQ(target.at(0, 0), Blue);
    EXPECT_EQ(target.at(1, 0), 0x00FFFFu);
    m.SetMonochrome(false);
    EXPECT_FALSE(m.Monochrome());
    EXPECT_EQ(m.Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(m.Canvas()->Pixels(1, 0), clWhite);
}

// The disabled look of a glyph, made the way the library makes it: a monochrome copy whose white pixels are
// the glyph's black ones, blitted with a raster operation that paints the brush read through Handle.
TEST(GraphicsBitmap, EmbossedGlyphFromAMonochromeCopy)
{
    auto src = Bitmap24(4, 3, Lime);
    Put24(*src, 1, 1, Black);
    Put24(*src, 2, 1, Red);
    TBitmap m;
    m.Assign(src.get());
    m.Canvas()->Brush()->SetColor(clBlack);
    m.SetMonochrome(true);
    TBitmap dest;
    dest.SetPixelFormat(pf24bit);
    dest.SetSize(6, 5);
    dest.Canvas()->Brush()->SetColor(src->TransparentColor());
    dest.Canvas()->FillRect(Rect(0, 0, 6, 5));
    for (const auto& [color, at] : {std::pair{clBtnHighlight, 1}, std::pair{clBtnShadow, 0}}) {
        dest.Canvas()->Brush()->SetColor(color);
        HDC dc = dest.Canvas()->Handle();
        SetTextColor(dc, 0);
        SetBkColor(dc, 0xFFFFFF);
        BitBlt(dc, at, at, 4, 3, m.Canvas()->Handle(), 0, 0, 0x00E20746);
    }
    EXPECT_EQ(At24(dest, 1, 1), std::uint32_t(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(At24(dest, 2, 2), std::uint32_t(ColorToRGB(clBtnHighlight)));
    EXPECT_EQ(At24(dest, 2, 1), Lime) << "only the black pixels are embossed";
    EXPECT_EQ(At24(dest, 0, 0), Lime);
}

TEST(GraphicsBitmap, TransparentColorIsTheBottomLeftPixelUnlessSet)
{
    auto b = Bitmap24(3, 3, Lime);
    Put24(*b, 0, 2, clFuchsia);
    EXPECT_EQ(b->TransparentColor(), clFuchsia);
    b->Canvas()->SetPixels(0, 2, clTeal);
    EXPECT_EQ(b->TransparentColor(), clTeal);
    b->SetTransparentColor(clBtnFace);
    EXPECT_EQ(b->TransparentColor(), clBtnFace);
    b->SetTransparentColor(clDefault);
    EXPECT_EQ(b->TransparentColor(), clTeal);
    TBitmap m;
    m.SetMonochrome(true);
    m.SetSize(2, 2);
    m.Canvas()->SetPixels(0, 1, clBlack);
    EXPECT_EQ(m.TransparentColor(), clBlack);
}

TEST(GraphicsBitmap, MaskIsWhiteWhereTheTransparentColourIs)
{
    auto b = Bitmap24(3, 2, Red);
    Put24(*b, 0, 1, Blue);  // bottom-left: the transparent colour
    Put24(*b, 2, 0, Blue);
    auto maskPixel = [&](int x, int y) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, b->MaskHandle());
        const COLORREF c = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        return c;
    };
    EXPECT_EQ(maskPixel(0, 1), White);
    EXPECT_EQ(maskPixel(2, 0), White);
    EXPECT_EQ(maskPixel(1, 0), Black);
    BITMAP bm{};
    GetObjectA(b->MaskHandle(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    // Drawing on the canvas makes a new mask.
    b->Canvas()->SetPixels(1, 0, clBlue);
    EXPECT_EQ(maskPixel(1, 0), White);
    b->SetTransparentColor(clRed);
    EXPECT_EQ(maskPixel(1, 0), Black);
    EXPECT_EQ(maskPixel(1, 1), White);
}

TEST(GraphicsBitmap, PaletteOfAnIndexedBitmapIsItsColourTable)
{
    auto b = Bitmap24(2, 1);
    Put24(*b, 0, 0, 0x123456);
    Put24(*b, 1, 0, 0x654321);
    EXPECT_EQ(b->Palette(), nullptr) << "24 bits and no palette set";
    b->SetPixelFormat(pf8bit);
    ASSERT_NE(b->Palette(), nullptr);
    PALETTEENTRY e[2];
    ASSERT_EQ(GetPaletteEntries(b->Palette(), 0, 2, e), 2u);
    EXPECT_EQ(RGB(e[0].peRed, e[0].peGreen, e[0].peBlue), 0x123456u);
    EXPECT_EQ(RGB(e[1].peRed, e[1].peGreen, e[1].peBlue), 0x654321u);
}

// Setting a palette on an indexed bitmap replaces its colour table entry by entry; the indices stay.
TEST(GraphicsBitmap, SetPaletteOnAnIndexedBitmapReplacesTheTable)
{
    auto b = Bitmap24(2, 1);
    Put24(*b, 0, 0, Red);
    Put24(*b, 1, 0, Blue);
    b->SetPixelFormat(pf8bit);
    struct {
        LOGPALETTE lp;
        PALETTEENTRY more[1];
    } pal{};
    pal.lp.palVersion = 0x300;
    pal.lp.palNumEntries = 2;
    pal.lp.palPalEntry[0] = PALETTEENTRY{0, 255, 0, 0};
    pal.more[0] = PALETTEENTRY{255, 255, 0, 0};
    HPALETTE p = CreatePalette(&pal.lp);
    b->SetPalette(p);
    EXPECT_NE(b->Palette(), p);
    DeleteObject(p);
    EXPECT_EQ(b->Canvas()->Pixels(0, 0), clLime);
    EXPECT_EQ(b->Canvas()->Pixels(1, 0), clYellow);
}

// Reading Handle gives the canvas's DC up, so the bitmap can be selected elsewhere; the canvas comes back.
TEST(GraphicsBitmap, HandleCanBeSelectedIntoAnotherDC)
{
    auto b = Bitmap24(4, 4);
    b->Canvas()->FillRect(Rect(0, 0, 4, 4));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b->Handle());
    EXPECT_NE(old, nullptr);
    SetPixel(dc, 1, 1, RGB(0, 0, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(b->Canvas()->Pixels(1, 1), clBlue);
    // A locked canvas keeps its DC.
    b->Canvas()->Lock();
    b->Canvas()->Handle();
    b->Handle();
    EXPECT_TRUE(b->Canvas()->HandleAllocated());
    b->Canvas()->Unlock();
}

TEST(GraphicsBitmap, SetHandleAdoptsSectionsAndConvertsDeviceBitmaps)
{
    {  // A DIB section is kept as it is, top-down rows included.
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = 2;
        bi.bmiHeader.biHeight = -2;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        HBITMAP h = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        static_cast<unsigned char*>(bits)[2] = 0xFF;  // top-left red
        TBitmap b;
        b.SetHandle(h);
        EXPECT_EQ(b.Handle(), h);
        EXPECT_EQ(b.PixelFormat(), pf24bit);
        EXPECT_EQ(At24(b, 0, 0), Red);
        EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    }
    {  // A colour device bitmap becomes a section with the same pixels.
        HDC screen = GetDC(nullptr);
        HBITMAP ddb = CreateCompatibleBitmap(screen, 3, 2);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, ddb);
        PatBlt(dc, 0, 0, 3, 2, WHITENESS);
        SetPixel(dc, 2, 1, RGB(0, 255, 0));
        SelectObject(dc, old);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        TBitmap b;
        b.SetHandle(ddb);
        EXPECT_EQ(GetObjectType(ddb), 0u) << "the device bitmap is freed";
        DIBSECTION ds{};
        EXPECT_EQ(GetObjectA(b.Handle(), sizeof ds, &ds), int(sizeof ds));
        EXPECT_EQ(b.Canvas()->Pixels(2, 1), clLime);
        EXPECT_EQ(b.Canvas()->Pixels(0, 0), clWhite);
    }
    {  // A monochrome device bitmap stays monochrome.
        TBitmap b;
        b.SetHandle(CreateBitmap(8, 2, 1, 1, nullptr));
        EXPECT_TRUE(b.Monochrome());
        EXPECT_EQ(b.Width(), 8);
    }
    TBitmap b;
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_THROW(b.SetHandle(reinterpret_cast<HBITMAP>(brush)), EInvalidGraphic);
    EXPECT_NE(GetObjectType(brush), 0u) << "what is not a bitmap is not taken";
    DeleteObject(brush);
}

TEST(GraphicsBitmap, AssignMakesAnIndependentCopy)
{
    auto a = Bitmap24(3, 2, Lime);
    a->SetTransparentColor(clRed);
    a->SetTransparent(true);
    TBitmap b;
    b.Assign(a.get());
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(b.TransparentColor(), clRed);
    EXPECT_TRUE(b.Transparent());
    EXPECT_NE(b.Handle(), a->Handle());
    Put24(b, 0, 0, Blue);
    EXPECT_EQ(At24(*a, 0, 0), Lime);
    EXPECT_EQ(At24(b, 1, 1), Lime);
    TBitmap m;
    m.SetMonochrome(true);
    m.SetSize(2, 1);
    m.Canvas()->SetPixels(1, 0, clBlack);
    b.Assign(&m);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clWhite);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
    TFont f;
    EXPECT_THROW(b.Assign(&f), EConvertError);
}

TEST(GraphicsBitmap, DrawAndStretchDrawUseTheCopyMode)
{
    auto b = Bitmap24(2, 2, Red);
    Put24(*b, 1, 1, Blue);
    RawDib target(8, 8, Lime);
    TCanvas c;
    c.SetHandle(target.dc());
    c.Draw(3, 4, b.get());
    EXPECT_EQ(target.at(3, 4), Red);
    EXPECT_EQ(target.at(4, 5), Blue);
    EXPECT_EQ(target.at(5, 5), Lime);
    target.Fill(Lime);
    SetStretchBltMode(c.Handle(), COLORONCOLOR);
    c.StretchDraw(Rect(0, 0, 4, 4), b.get());
    EXPECT_EQ(target.Count(Blue, 2, 2, 4, 4), 4);
    EXPECT_EQ(target.Count(Red), 12);
    target.Fill(White);
    c.SetCopyMode(cmSrcAnd);
    c.Draw(0, 0, b.get());
    EXPECT_EQ(target.at(0, 0), Red);
    c.Draw(0, 0, nullptr);  // nothing
    TBitmap empty;
    c.Draw(0, 0, &empty);
}

TEST(GraphicsBitmap, TransparentDrawLeavesTheGroundWhereTheKeyIs)
{
    auto b = Bitmap24(3, 1, clFuchsia);
    Put24(*b, 1, 0, Black);
    b->SetTransparent(true);
    RawDib target(3, 1, Lime);
    SetTextColor(target.dc(), RGB(1, 2, 3));
    SetBkColor(target.dc(), RGB(4, 5, 6));
    TCanvas c;
    c.SetHandle(target.dc());
    c.Draw(0, 0, b.get());
    EXPECT_EQ(target.at(0, 0), Lime);
    EXPECT_EQ(target.at(1, 0), Black);
    EXPECT_EQ(target.at(2, 0), Lime);
    EXPECT_EQ(GetTextColor(target.dc()), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(target.dc()), RGB(4, 5, 6));
}

// The colour is found in the bitmap, so palette-relative and system colours work as plain RGB; the target
// DC keeps its text and background colours.
TEST(GraphicsBitmap, BrushCopyReplacesOneColourByTheBrush)
{
    auto glyph = Bitmap24(4, 2, clFuchsia);
    Put24(*glyph, 1, 0, Black);
    Put24(*glyph, 2, 1, Red);
    for (TColor key : {clFuchsia, TColor(clFuchsia | PaletteRelativeFlag)}) {
        RawDib target(6, 3, White);
        TCanvas c;
        c.SetHandle(target.dc());
        c.Brush()->SetColor(clYellow);
        SetTextColor(c.Handle(), RGB(1, 2, 3));
        SetBkColor(c.Handle(), RGB(4, 5, 6));
        c.BrushCopy(Rect(1, 1, 5, 3), glyph.get(), Rect(0, 0, 4, 2), key);
        EXPECT_EQ(target.at(1, 1), 0x00FFFFu);
        EXPECT_EQ(target.at(2, 1), Black);
        EXPECT_EQ(target.at(3, 2), Red);
        EXPECT_EQ(target.Count(0x00FFFF), 6);
        EXPECT_EQ(target.at(0, 0), White);
        EXPECT_EQ(GetTextColor(target.dc()), RGB(1, 2, 3));
        EXPECT_EQ(GetBkColor(target.dc()), RGB(4, 5, 6));
    }
}

TEST(GraphicsBitmap, ChangesAreReported)
{
    TBitmap b;
    int changes = 0;
    b.SetOnChange(TNotifyEvent::From([&](TObject* s) {
        EXPECT_EQ(s, &b);
        ++changes;
    }));
    b.SetSize(4, 4);
    EXPECT_EQ(changes, 1);
    b.Canvas()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(changes, 2);
    b.SetPixelFormat(pf8bit);
    b.SetTransparentColor(clRed);
    b.SetSize(4, 4);  // no change
    EXPECT_EQ(changes, 4);
    EXPECT_TRUE(b.Modified());
}

TEST(GraphicsBitmap, CanvasOfAnEmptyBitmapMeasuresText)
{
    TBitmap b;
    EXPECT_GT(b.Canvas()->TextWidth("Wide"), 0);
    b.SetSize(2, 2);  // the canvas keeps working with pixels
    b.Canvas()->SetPixels(1, 1, clRed);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
}

TEST(GraphicsBitmap, BitmapCyclesReleaseEveryGdiObject)
{
    auto cycle = [] {
        TBitmap b;
        b.SetSize(30, 20);
        b.Canvas()->Brush()->SetColor(clRed);
        b.Canvas()->FillRect(Rect(0, 0, 10, 10));
        b.Canvas()->TextOut(0, 0, "x");
        b.MaskHandle();
        b.SetPixelFormat(pf8bit);
        b.Palette();
        b.SetWidth(40);
        TBitmap c;
        c.Assign(&b);
        c.SetMonochrome(true);
        c.Canvas()->Pixels(0, 0);
        RawDib target(40, 20);
        TCanvas t;
        t.SetHandle(target.dc());
        t.Draw(0, 0, &b);
        b.SetTransparent(true);
        t.Draw(0, 0, &b);
        t.BrushCopy(Rect(0, 0, 10, 10), &b, Rect(0, 0, 10, 10), clRed);
    };
    cycle();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 100; ++i) cycle();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

}  // namespace
