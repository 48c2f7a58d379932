#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "MirrorTestScreen.h"
#include "mirror/ColorReduction.h"
#include "zcl/GuardedBuffer.h"

using namespace mirrortest;

namespace {

PaletteHandle MakePalette(const std::vector<COLORREF>& colours)
{
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + colours.size() * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = WORD(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i)
        log->palPalEntry[i] = PALETTEENTRY{GetRValue(colours[i]), GetGValue(colours[i]), GetBValue(colours[i]), 0};
    return PaletteHandle(CreatePalette(log));
}

// Black, white, red, green, blue, grey.
const std::vector<COLORREF> Six = {RGB(0, 0, 0),   RGB(255, 255, 255), RGB(255, 0, 0),
                                   RGB(0, 255, 0), RGB(0, 0, 255),     RGB(128, 128, 128)};

void UsePalette(KvColorReduction& reduction, const std::vector<COLORREF>& colours)
{
    PaletteHandle h = MakePalette(colours);
    ASSERT_TRUE(reduction.UpdatePalette(h.get()));
}

// Writes one pixel of the colour in the section's format.
void PutPixel(const DIBSECTION& ds, int x, int y, COLORREF c)
{
    auto* row = static_cast<std::uint8_t*>(ds.dsBm.bmBits) + std::ptrdiff_t(ds.dsBm.bmWidthBytes) * y;
    const unsigned r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    std::uint32_t v = 0;
    switch (ds.dsBm.bmBitsPixel) {
    case 16:
        v = ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[0] == 0xF800
                ? (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)
                : (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        row[2 * x] = std::uint8_t(v);
        row[2 * x + 1] = std::uint8_t(v >> 8);
        return;
    case 24:
        row[3 * x] = std::uint8_t(b);
        row[3 * x + 1] = std::uint8_t(g);
        row[3 * x + 2] = std::uint8_t(r);
        return;
    case 32:
        v = r << 16 | g << 8 | b;
        std::memcpy(row + 4 * x, &v, 4);
        return;
    }
}

}  // namespace

struct FormatCase {
    const char* name;
    int bits;
    DWORD compression, r, g, b;
};

class RowReduction : public testing::TestWithParam<FormatCase> {};

// Every reducible format: the row's first 640 bytes become the indices of the nearest palette entries.
TEST_P(RowReduction, GivesTheNearestEntryOfEveryPixelInPlace)
{
    const FormatCase f = GetParam();
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    Section s = MakeSection(640, 4, f.bits, f.compression, f.r, f.g, f.b);
    // Near colours, runs and single pixels; index by position.
    const COLORREF nearby[] = {RGB(10, 5, 0), RGB(250, 240, 245), RGB(200, 30, 20), RGB(20, 220, 40),
                             RGB(8, 16, 230), RGB(120, 136, 128)};
    std::vector<std::uint8_t> expected(640);
    for (int x = 0; x < 640; ++x) {
        const int k = (x / 7 + x % 3) % 6;
        expected[x] = std::uint8_t(k);
        for (int y = 0; y < 4; ++y) PutPixel(s.ds, x, y, nearby[(k + y) % 6]);
    }
    for (int y = 0; y < 4; ++y) {
        std::uint8_t* row = reduction.GetIndexRow(s.ds, 0, y);
        ASSERT_EQ(row, static_cast<std::uint8_t*>(s.ds.dsBm.bmBits) + s.ds.dsBm.bmWidthBytes * y) << f.name;
        for (int x = 0; x < 640; ++x) ASSERT_EQ(row[x], (expected[x] + y) % 6) << f.name << " row " << y << " x " << x;
    }
    // The offset points into the row's indices (the row is reduced again, as it is now).
    EXPECT_FALSE(reduction.UnsupportedFormat());
}

INSTANTIATE_TEST_SUITE_P(Formats, RowReduction,
                         testing::Values(FormatCase{"rgb32", 32, BI_RGB, 0, 0, 0},
                                         FormatCase{"bitfields32", 32, BI_BITFIELDS, 0xFF0000, 0x00FF00, 0x0000FF},
                                         FormatCase{"rgb24", 24, BI_RGB, 0, 0, 0},
                                         FormatCase{"rgb565", 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F},
                                         FormatCase{"rgb555", 16, BI_BITFIELDS, 0x7C00, 0x03E0, 0x001F},
                                         FormatCase{"rgb16", 16, BI_RGB, 0, 0, 0}),
                         [](const testing::TestParamInfo<FormatCase>& i) { return std::string(i.param.name); });

TEST(ColorReduction, OffsetPointsIntoTheReducedRow)
{
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    Section s = MakeSection(640, 2, 32);
    PutPixel(s.ds, 100, 1, RGB(255, 0, 0));
    std::uint8_t* p = reduction.GetIndexRow(s.ds, 100, 1);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 2);
    EXPECT_EQ(p[-1], 0);
    EXPECT_EQ(reduction.GetIndexRow(s.ds, 0, 2), nullptr);  // past the last row
    EXPECT_FALSE(reduction.UnsupportedFormat());
}

struct UnsupportedCase {
    const char* name;
    int bits;
    DWORD compression, r, g, b;
};

class UnsupportedFormat : public testing::TestWithParam<UnsupportedCase> {};

TEST_P(UnsupportedFormat, GivesNoRowAndRaisesTheFlag)
{
    const UnsupportedCase f = GetParam();
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    Section s = MakeSection(640, 2, f.bits, f.compression, f.r, f.g, f.b);
    std::vector<std::uint8_t> before(static_cast<std::uint8_t*>(s.ds.dsBm.bmBits),
                                     static_cast<std::uint8_t*>(s.ds.dsBm.bmBits) + s.ds.dsBm.bmWidthBytes);
    EXPECT_EQ(reduction.GetIndexRow(s.ds, 0, 0), nullptr);
    EXPECT_TRUE(reduction.UnsupportedFormat());
    EXPECT_EQ(std::memcmp(before.data(), s.ds.dsBm.bmBits, before.size()), 0);
    reduction.ClearUnsupportedFormat();
    EXPECT_FALSE(reduction.UnsupportedFormat());
}

INSTANTIATE_TEST_SUITE_P(Formats, UnsupportedFormat,
                         testing::Values(UnsupportedCase{"rgb444", 16, BI_BITFIELDS, 0x0F00, 0x00F0, 0x000F},
                                         UnsupportedCase{"bgr32", 32, BI_BITFIELDS, 0x0000FF, 0x00FF00, 0xFF0000},
                                         UnsupportedCase{"four", 4, BI_RGB, 0, 0, 0},
                                         UnsupportedCase{"mono", 1, BI_RGB, 0, 0, 0}),
                         [](const testing::TestParamInfo<UnsupportedCase>& i) { return std::string(i.param.name); });

TEST(ColorReduction, UnsupportedFormatMessageIsTheUsersText)
{
    EXPECT_STREQ(KvUnsupportedFormatMessage,
                 "Server does not support graphic format!\nChange the graphic format to 256 colors,\n"
                 "High Color (16bit) or True Color (24bit/32bit)!");
}

// Equal distances: the lower index wins, in either order of the two entries.
TEST(ColorReduction, TieGoesToTheLowerIndex)
{
    for (const auto& colours : {std::vector<COLORREF>{RGB(0, 255, 0), RGB(110, 0, 0), RGB(90, 0, 0)},
                                std::vector<COLORREF>{RGB(0, 255, 0), RGB(90, 0, 0), RGB(110, 0, 0)}}) {
        KvColorReduction reduction;
        UsePalette(reduction, colours);
        std::uint8_t row[3] = {0, 0, 100};  // 24 bits: blue, green, red
        EXPECT_EQ(reduction.ReduceRow24(row, 3)[0], 1);
    }
}

// High-colour channels are widened by shifting only: white 5-6-5 is (248, 252, 248), 5-5-5 (248, 248, 248).
TEST(ColorReduction, HighColourWhiteIsMatchedAsShifted)
{
    KvColorReduction reduction;
    UsePalette(reduction, {RGB(255, 255, 255), RGB(248, 252, 248), RGB(248, 248, 248)});
    std::uint8_t w565[2] = {0xFF, 0xFF};
    std::uint8_t w555[2] = {0xFF, 0x7F};
    EXPECT_EQ(reduction.ReduceRow565(w565, 2)[0], 1);
    EXPECT_EQ(reduction.ReduceRow555(w555, 2)[0], 2);
}

// The value before the first pixel is its complement, so a black first pixel is looked up, not taken as 0.
TEST(ColorReduction, FirstPixelIsAlwaysLookedUp)
{
    KvColorReduction reduction;
    UsePalette(reduction, {RGB(255, 255, 255), RGB(0, 0, 0)});
    std::vector<std::uint8_t> row(640 * 4, 0);
    std::uint8_t* out = reduction.ReduceRow32(row.data(), int(row.size()));
    for (int x = 0; x < 640; ++x) ASSERT_EQ(out[x], 1) << x;
    EXPECT_EQ(reduction.ColorMap()->Size(), 1u);
}

TEST(ColorReduction, CacheHoldsEachDistinctValueOnce)
{
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    std::vector<std::uint8_t> row(640 * 2);
    for (int x = 0; x < 640; ++x) {
        const std::uint16_t v = x % 2 ? 0x7C00 : (x % 4 ? 0x001F : 0x03E0);  // red, blue, green (5-5-5)
        row[2 * x] = std::uint8_t(v);
        row[2 * x + 1] = std::uint8_t(v >> 8);
    }
    std::vector<std::uint8_t> again = row;
    reduction.ReduceRow555(row.data(), int(row.size()));
    EXPECT_EQ(reduction.ColorMap()->Size(), 3u);
    reduction.ReduceRow555(again.data(), int(again.size()));
    EXPECT_EQ(reduction.ColorMap()->Size(), 3u);
    EXPECT_EQ(std::memcmp(row.data(), again.data(), 640), 0);
    EXPECT_EQ(row[0], 3);
    EXPECT_EQ(row[1], 2);
    EXPECT_EQ(row[2], 4);
}

// The fourth byte of a 32-bit pixel is not colour: the same colour is the same cache entry.
TEST(ColorReduction, FourthByteOfA32BitPixelIsIgnored)
{
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    std::uint32_t pixels[4] = {0x00FF0000, 0xAAFF0000, 0x550000FF, 0xFF0000FF};
    auto* out = reduction.ReduceRow32(reinterpret_cast<std::uint8_t*>(pixels), 16);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 4);
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(reduction.ColorMap()->Size(), 2u);
}

// A new palette empties the cache: colours seen before are matched against the new palette.
TEST(ColorReduction, PaletteChangeEmptiesTheCache)
{
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    EXPECT_TRUE(reduction.PaletteDirty());
    std::uint8_t row[3] = {20, 20, 200};  // a red
    EXPECT_EQ(reduction.ReduceRow24(row, 3)[0], 2);
    ASSERT_EQ(reduction.ColorMap()->Size(), 1u);

    reduction.SetPaletteDirty(false);
    UsePalette(reduction, Six);  // equal: nothing changes
    EXPECT_FALSE(reduction.PaletteDirty());
    EXPECT_EQ(reduction.ColorMap()->Size(), 1u);

    UsePalette(reduction, {RGB(0, 0, 0), RGB(220, 20, 20)});
    EXPECT_TRUE(reduction.PaletteDirty());
    EXPECT_EQ(reduction.ColorMap()->Size(), 0u);
    std::uint8_t again[3] = {20, 20, 200};
    EXPECT_EQ(reduction.ReduceRow24(again, 3)[0], 1);
}

// Beyond the limit the cache starts again; every pixel still gets its own nearest entry.
TEST(ColorReduction, CacheStaysBelowItsLimit)
{
    KvColorReduction reduction;
    UsePalette(reduction, {RGB(0, 0, 0), RGB(255, 255, 255)});
    const int perRow = 1024;
    std::vector<std::uint32_t> row(perRow);
    std::uint32_t colour = 0;
    for (std::uint32_t n = 0; n < KvColorCacheLimit + 3 * perRow; n += perRow) {
        for (int x = 0; x < perRow; ++x) row[x] = colour++;
        auto* out = reduction.ReduceRow32(reinterpret_cast<std::uint8_t*>(row.data()), perRow * 4);
        ASSERT_LE(reduction.ColorMap()->Size(), KvColorCacheLimit);
        // Colours are 0x00RRGGBB: bright ones (r + g + b above 382) are nearer to white.
        for (int x = 0; x < perRow; x += 97) {
            const std::uint32_t c = colour - perRow + x;
            const int sum = int((c >> 16) & 0xFF) + int((c >> 8) & 0xFF) + int(c & 0xFF);
            const int d0 = int(((c >> 16) & 0xFF) * ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) * ((c >> 8) & 0xFF) +
                               (c & 0xFF) * (c & 0xFF));
            const int d1 = d0 - 2 * 255 * sum + 3 * 255 * 255;
            ASSERT_EQ(out[x], d1 < d0 ? 1 : 0) << std::hex << c;
        }
    }
    EXPECT_GT(reduction.ColorMap()->Size(), 0u);
}

// Rows whose byte length is no multiple of the pixel size are read in whole pixels only.
TEST(ColorReduction, ReducersStopAtTheEndOfTheRow)
{
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    GuardedBuffer buffer(64);
    for (int len : {10, 11, 7, 5}) {
        std::uint8_t* row = buffer.Tail(std::size_t(len));
        std::memset(row, 0xFF, std::size_t(len));
        reduction.ReduceRow24(row, len);
        EXPECT_EQ(row[0], 1);
        std::memset(row, 0xFF, std::size_t(len));
        reduction.ReduceRow32(row, len);
        reduction.ReduceRow565(row, len);
        reduction.ReduceRow555(row, len);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// 8 bits per pixel: the colour table mapped to the palette

static std::vector<RGBQUAD> TableOf(const std::vector<COLORREF>& colours)
{
    std::vector<RGBQUAD> t(256, RGBQUAD{0, 0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i)
        t[i] = RGBQUAD{GetBValue(colours[i]), GetGValue(colours[i]), GetRValue(colours[i]), 0};
    return t;
}

TEST(ColorReduction, EightBitTableEqualToThePaletteLeavesRowsAlone)
{
    std::vector<COLORREF> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = RGB(i, 255 - i, (i * 7) % 256);
    KvColorReduction reduction;
    UsePalette(reduction, colours);
    Section s = MakeSection(640, 2, 8, BI_RGB, 0, 0, 0, TableOf(colours));
    auto* bits = static_cast<std::uint8_t*>(s.ds.dsBm.bmBits);
    for (int x = 0; x < 640; ++x) bits[x] = std::uint8_t(x * 13);
    std::vector<std::uint8_t> before(bits, bits + 640);
    EXPECT_TRUE(reduction.BuildIndexMap(s.bitmap.get()));
    EXPECT_EQ(reduction.IndexMap(), nullptr);
    std::uint8_t* row = reduction.GetIndexRow(s.ds, 0, 0);
    ASSERT_EQ(row, bits);
    EXPECT_EQ(std::memcmp(row, before.data(), 640), 0);
}

TEST(ColorReduction, EightBitTableIsMappedToTheNearestEntries)
{
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    // Table: dark, light, a green, a blue, a red.
    Section s = MakeSection(640, 1, 8, BI_RGB, 0, 0, 0,
                            TableOf({RGB(5, 5, 5), RGB(240, 250, 250), RGB(0, 200, 30), RGB(0, 20, 210),
                                     RGB(230, 10, 10)}));
    EXPECT_TRUE(reduction.BuildIndexMap(s.bitmap.get()));
    ASSERT_NE(reduction.IndexMap(), nullptr);
    auto* bits = static_cast<std::uint8_t*>(s.ds.dsBm.bmBits);
    const std::uint8_t in[] = {0, 0, 1, 2, 2, 2, 3, 4, 0};
    const std::uint8_t out[] = {0, 0, 1, 3, 3, 3, 4, 2, 0};
    std::memcpy(bits, in, sizeof(in));
    std::uint8_t* row = reduction.GetIndexRow(s.ds, 0, 0);
    EXPECT_EQ(std::memcmp(row, out, sizeof(out)), 0);
}

// A bitmap without a colour table gives no map: its indices are kept, not all turned to 0.
TEST(ColorReduction, UnreadableColourTableKeepsTheIndices)
{
    KvColorReduction reduction;
    UsePalette(reduction, Six);
    Section table = MakeSection(640, 1, 8, BI_RGB, 0, 0, 0, TableOf({RGB(250, 250, 250), RGB(0, 0, 0)}));
    ASSERT_TRUE(reduction.BuildIndexMap(table.bitmap.get()));
    ASSERT_NE(reduction.IndexMap(), nullptr);

    BitmapHandle plain(CreateBitmap(16, 16, 1, 8, nullptr));  // a device bitmap: no table to read
    EXPECT_FALSE(reduction.BuildIndexMap(plain.get()));
    EXPECT_EQ(reduction.IndexMap(), nullptr);
    Section s = MakeSection(640, 1, 8);
    auto* bits = static_cast<std::uint8_t*>(s.ds.dsBm.bmBits);
    for (int x = 0; x < 640; ++x) bits[x] = std::uint8_t(x);
    std::uint8_t* row = reduction.GetIndexRow(s.ds, 0, 0);
    for (int x = 0; x < 640; ++x) ASSERT_EQ(row[x], std::uint8_t(x));
}

// ---------------------------------------------------------------------------------------------------------------
// The real screen: its capture reduced to the system palette, at whatever depth the display has

TEST(ScreenReduction, CapturedDesktopReducesToTheNearestPaletteEntries)
{
    const int bits = ScreenBits();
    PictureWindow picture(0, 0, 1024, 768);
    KvColorReduction reduction;
    ASSERT_TRUE(reduction.UpdatePalette(nullptr));
    KvPalette256& palette = *reduction.CurrentPalette();
    ASSERT_EQ(palette.Count(), 256);

    BitmapHandle shot;
    for (int attempt = 0; attempt < 30; ++attempt) {
        shot = CaptureDesktop(RECT{0, 0, 640, 480});
        if (shot && PixelReader(shot.get()).At(10, 10) == ScreenQuantized(PictureColor(10, 10), bits)) break;
        testwait::PumpFor(100);
    }
    ASSERT_TRUE(shot);
    PixelReader reader(shot.get());  // before reduction: the colours on screen
    std::vector<COLORREF> seen(640 * 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) seen[y * 640 + x] = reader.At(x, y);

    DIBSECTION ds;
    ASSERT_TRUE(ReadSection(shot.get(), ds));
    switch (bits) {
    case 32: EXPECT_EQ(ds.dsBitfields[0], 0xFF0000u); break;
    case 16: EXPECT_EQ(ds.dsBitfields[0], 0x7C00u); break;
    case 8: EXPECT_EQ(ds.dsBm.bmBitsPixel, 8); break;
    }
    if (ds.dsBm.bmBitsPixel <= 8) reduction.BuildIndexMap(shot.get());

    // The reference: a plain search for the first entry at the smallest distance.
    auto nearest = [&](COLORREF c) {
        int best = 0, bestD = 1 << 30;
        for (int i = 0; i < palette.Count(); ++i) {
            const PALETTEENTRY& e = palette.Entry(i);
            const int dr = e.peRed - GetRValue(c), dg = e.peGreen - GetGValue(c), db = e.peBlue - GetBValue(c);
            if (dr * dr + dg * dg + db * db < bestD) bestD = dr * dr + dg * dg + db * db, best = i;
        }
        return best;
    };
    for (int y = 0; y < 480; ++y) {
        const std::uint8_t* row = reduction.GetIndexRow(ds, 0, y);
        ASSERT_NE(row, nullptr);
        for (int x = 0; x < 640; ++x) {
            const COLORREF c = seen[y * 640 + x];
            const PALETTEENTRY& e = palette.Entry(row[x]);
            if (bits <= 8)  // the index shows exactly the colour on screen
                ASSERT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), c) << x << "," << y;
            else
                ASSERT_EQ(row[x], nearest(c)) << x << "," << y;
        }
    }
}
