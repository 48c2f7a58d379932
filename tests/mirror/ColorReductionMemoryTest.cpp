// Remembered rows and recent colours must never change an index: every frame is checked against a fresh
// reduction of the same bytes.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "MirrorTestScreen.h"
#include "mirror/ColorReduction.h"

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

void UsePalette(KvColorReduction& reduction, const std::vector<COLORREF>& colours)
{
    PaletteHandle h = MakePalette(colours);
    ASSERT_TRUE(reduction.UpdatePalette(h.get()));
}

// A spread of colours, and the same ones in another order (so every index moves).
const std::vector<COLORREF> Sixteen = {
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(255, 0, 0),     RGB(0, 255, 0),   RGB(0, 0, 255),    RGB(128, 128, 128),
    RGB(255, 255, 0),   RGB(0, 255, 255),   RGB(255, 0, 255),   RGB(128, 0, 0),   RGB(0, 128, 0),    RGB(0, 0, 128),
    RGB(192, 192, 192), RGB(128, 128, 0),   RGB(0, 128, 128),   RGB(128, 0, 128)};
const std::vector<COLORREF> Reversed(Sixteen.rbegin(), Sixteen.rend());

std::uint8_t* Bits(const DIBSECTION& ds) { return static_cast<std::uint8_t*>(ds.dsBm.bmBits); }
std::size_t Size(const DIBSECTION& ds) { return std::size_t(ds.dsBm.bmWidthBytes) * std::size_t(std::abs(ds.dsBm.bmHeight)); }

// Raw pixels with runs (most pixels repeat the one before), single pixels and two colours taking turns.
std::vector<std::uint8_t> Picture(const DIBSECTION& ds, unsigned seed)
{
    std::mt19937 random(seed);
    const int bytes = ds.dsBm.bmBitsPixel / 8;
    std::vector<std::uint8_t> raw(Size(ds));
    for (int y = 0; y < std::abs(ds.dsBm.bmHeight); ++y) {
        std::uint8_t* row = raw.data() + std::size_t(ds.dsBm.bmWidthBytes) * y;
        std::uint8_t a[4], b[4];
        for (int k = 0; k < 4; ++k) a[k] = b[k] = std::uint8_t(random());
        for (int x = 0; x < ds.dsBm.bmWidth; ++x) {
            const unsigned pick = random() % 10;
            if (pick < 2)
                for (int k = 0; k < 4; ++k) a[k] = std::uint8_t(random());
            else if (pick < 4)
                std::swap(a, b);
            std::memcpy(row + x * bytes, a, std::size_t(bytes));
        }
    }
    return raw;
}

std::vector<std::uint8_t> IndicesOf(KvColorReduction& reduction, const DIBSECTION& ds)
{
    std::vector<std::uint8_t> out;
    for (int y = 0; y < std::abs(ds.dsBm.bmHeight); ++y) {
        const std::uint8_t* row = reduction.GetIndexRow(ds, 0, y);
        EXPECT_NE(row, nullptr);
        if (!row) return out;
        out.insert(out.end(), row, row + ds.dsBm.bmWidth);
    }
    return out;
}

// The section's bytes reduced by a reduction that has seen nothing before.
std::vector<std::uint8_t> Fresh(const std::vector<COLORREF>& palette, const DIBSECTION& ds,
                                const std::vector<std::uint8_t>& raw)
{
    KvColorReduction fresh;
    UsePalette(fresh, palette);
    std::memcpy(Bits(ds), raw.data(), raw.size());
    return IndicesOf(fresh, ds);
}

// The frame through the reduction under test, and the same bytes through a fresh one.
void ExpectFresh(KvColorReduction& reduction, const std::vector<COLORREF>& palette, const DIBSECTION& ds,
                 const std::vector<std::uint8_t>& raw, const char* step)
{
    const std::vector<std::uint8_t> expected = Fresh(palette, ds, raw);
    std::memcpy(Bits(ds), raw.data(), raw.size());
    const std::vector<std::uint8_t> got = IndicesOf(reduction, ds);
    ASSERT_EQ(got.size(), expected.size()) << step;
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], expected[i]) << step << ": row " << i / ds.dsBm.bmWidth << " x " << i % ds.dsBm.bmWidth;
}

struct MemoryCase {
    const char* name;
    int width, bits;
    DWORD compression, r, g, b;
};

}  // namespace

class RememberedRows : public testing::TestWithParam<MemoryCase> {};

TEST_P(RememberedRows, EveryFrameGetsTheIndicesOfAFreshReduction)
{
    const MemoryCase f = GetParam();
    Section s = MakeSection(f.width, 6, f.bits, f.compression, f.r, f.g, f.b);
    const DIBSECTION& ds = s.ds;
    const int bytes = f.bits / 8;
    KvColorReduction reduction;
    UsePalette(reduction, Sixteen);

    std::vector<std::uint8_t> frame = Picture(ds, 11);
    ExpectFresh(reduction, Sixteen, ds, frame, "first frame");
    ExpectFresh(reduction, Sixteen, ds, frame, "unchanged frame");

    // One pixel inside a row, and the last pixel of another row, changed to a colour of another index.
    const std::vector<std::uint8_t> before = Fresh(Sixteen, ds, frame);
    const struct {
        int x, y;
    } changes[] = {{f.width / 2 + 1, 2}, {f.width - 1, 4}};
    for (const auto& c : changes) {
        std::uint8_t* p = frame.data() + std::size_t(ds.dsBm.bmWidthBytes) * c.y + std::size_t(c.x * bytes);
        for (int k = 0; k < bytes; ++k) p[k] = std::uint8_t(~p[k]);
    }
    const std::vector<std::uint8_t> after = Fresh(Sixteen, ds, frame);
    for (const auto& c : changes)
        ASSERT_NE(after[std::size_t(c.y * f.width + c.x)], before[std::size_t(c.y * f.width + c.x)]) << "a weak change";
    ExpectFresh(reduction, Sixteen, ds, frame, "one pixel changed");
    ExpectFresh(reduction, Sixteen, ds, frame, "unchanged after the change");

    // A new palette in between: the same bytes are matched against it.
    UsePalette(reduction, Reversed);
    ASSERT_NE(Fresh(Reversed, ds, frame), after);
    ExpectFresh(reduction, Reversed, ds, frame, "after a palette change");
    ExpectFresh(reduction, Reversed, ds, frame, "unchanged after a palette change");
    UsePalette(reduction, Sixteen);
    ExpectFresh(reduction, Sixteen, ds, frame, "the first palette again");

    // Rows already reduced are not their old pixels: they are reduced as the bytes they now are.
    std::memcpy(Bits(ds), frame.data(), frame.size());
    IndicesOf(reduction, ds);
    const std::vector<std::uint8_t> reduced(Bits(ds), Bits(ds) + Size(ds));
    ExpectFresh(reduction, Sixteen, ds, reduced, "a reduced section reduced again");
}

INSTANTIATE_TEST_SUITE_P(Formats, RememberedRows,
                         testing::Values(MemoryCase{"rgb32", 640, 32, BI_RGB, 0, 0, 0},
                                         MemoryCase{"rgb24", 640, 24, BI_RGB, 0, 0, 0},
                                         MemoryCase{"rgb565", 640, 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F},
                                         MemoryCase{"rgb555", 640, 16, BI_BITFIELDS, 0x7C00, 0x03E0, 0x001F},
                                         MemoryCase{"narrow24", 37, 24, BI_RGB, 0, 0, 0},
                                         MemoryCase{"wide32", 700, 32, BI_RGB, 0, 0, 0}),
                         [](const testing::TestParamInfo<MemoryCase>& i) { return std::string(i.param.name); });

// The same bytes as another format are other colours: neither the remembered rows nor the cache may carry them
// over from one format to the other.
TEST(RememberedRowsFormat, AnotherFormatOfTheSameBytesIsMatchedAfresh)
{
    Section s565 = MakeSection(640, 3, 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F);
    Section s555 = MakeSection(640, 3, 16, BI_BITFIELDS, 0x7C00, 0x03E0, 0x001F);
    const std::vector<std::uint8_t> frame = Picture(s565.ds, 5);
    KvColorReduction reduction;
    UsePalette(reduction, Sixteen);
    ExpectFresh(reduction, Sixteen, s565.ds, frame, "5-6-5");
    ASSERT_NE(Fresh(Sixteen, s555.ds, frame), Fresh(Sixteen, s565.ds, frame));
    ExpectFresh(reduction, Sixteen, s555.ds, frame, "5-5-5 after 5-6-5");
    ExpectFresh(reduction, Sixteen, s565.ds, frame, "5-6-5 again");
}

// Whoever edits the cache drops the remembered rows; then the edit is what the rows get.
TEST(RememberedRowsFormat, ForgetRowsMakesTheNextFrameUseTheCache)
{
    Section s = MakeSection(640, 1, 32);
    KvColorReduction reduction;
    UsePalette(reduction, Sixteen);
    std::vector<std::uint8_t> frame(Size(s.ds), 0);  // black: index 0
    ExpectFresh(reduction, Sixteen, s.ds, frame, "black");
    KvColorMap::iterator it = reduction.ColorMap()->Find(0);
    ASSERT_NE(it, reduction.ColorMap()->end());
    it->value = 3;  // index 2
    reduction.ForgetRows();
    std::memcpy(Bits(s.ds), frame.data(), frame.size());
    const std::uint8_t* row = reduction.GetIndexRow(s.ds, 0, 0);
    ASSERT_NE(row, nullptr);
    for (int x = 0; x < 640; ++x) ASSERT_EQ(row[x], 2) << x;
}
