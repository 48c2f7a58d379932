// The pruned nearest-entry search gives exactly the index a search over every entry gives (the lowest of
// equally near ones), for the palettes the program builds and for palettes made to trip it; and the colour
// cache in front of it keeps one node per colour and the values edited into it.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "framework/runtime/Handles.h"
#include "mirror/ColorReduction.h"

namespace {

int PlainNearest(const KvPalette256& palette, int r, int g, int b)
{
    int best = 0, bestDistance = 0x7FFFFFFF;
    for (int i = 0; i < palette.Count(); ++i) {
        const PALETTEENTRY& e = palette.Entry(i);
        const int dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
        if (const int d = dr * dr + dg * dg + db * db; d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

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

// Colours that probe the cubes' edges (each side of every boundary, both ends of the scale), then random ones.
std::vector<COLORREF> ProbeColours(std::mt19937& random, int randomCount)
{
    std::vector<int> levels;
    for (int edge = 0; edge <= 256; edge += 32)
        for (int v : {edge - 1, edge, edge + 1})
            if (v >= 0 && v <= 255) levels.push_back(v);
    std::vector<COLORREF> colours;
    for (int r : levels)
        for (int g : levels)
            for (int b : levels) colours.push_back(RGB(r, g, b));
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < randomCount; ++i) colours.push_back(RGB(byte(random), byte(random), byte(random)));
    return colours;
}

void ExpectSameAsPlain(const KvPalette256& palette, const std::string& name)
{
    SCOPED_TRACE(name);
    KvNearestEntrySearch search;
    search.SetPalette(palette);
    std::mt19937 random(7);
    int mismatches = 0;
    for (COLORREF c : ProbeColours(random, 60000)) {
        const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        const int want = PlainNearest(palette, r, g, b);
        const int got = search.Find(r, g, b);
        if (got != want && ++mismatches <= 5)
            ADD_FAILURE() << "colour " << r << "," << g << "," << b << ": " << got << " instead of " << want;
    }
    EXPECT_EQ(mismatches, 0);
}

struct MadePalette {
    const char* name;
    std::vector<COLORREF> (*make)();
};

std::vector<COLORREF> RandomColours(int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<COLORREF> c;
    for (int i = 0; i < count; ++i) c.push_back(RGB(byte(random), byte(random), byte(random)));
    return c;
}

const MadePalette MadePalettes[] = {
    {"one entry", [] { return std::vector<COLORREF>{RGB(200, 10, 90)}; }},
    {"all entries black: every colour ties", [] { return std::vector<COLORREF>(256, RGB(0, 0, 0)); }},
    {"pairs of equal entries", [] {
         std::vector<COLORREF> c;
         for (COLORREF x : RandomColours(128, 3)) c.insert(c.end(), {x, x});
         return c;
     }},
    {"grey ramp", [] {
         std::vector<COLORREF> c;
         for (int i = 0; i < 256; ++i) c.push_back(RGB(i, i, i));
         return c;
     }},
    {"entries on the cube boundaries", [] {
         std::vector<COLORREF> c;
         for (int r = 0; r < 8; ++r)
             for (int g = 0; g < 8; ++g)
                 for (int b = 0; b < 4; ++b) c.push_back(RGB(r * 32, g * 32 + 31, b * 64 + 32));
         return c;
     }},
    // Points midway between entries: ties across a cube's side.
    {"two entries an odd distance apart", [] { return std::vector<COLORREF>{RGB(0, 0, 0), RGB(63, 0, 0)}; }},
    {"sixteen random", [] { return RandomColours(16, 11); }},
    {"256 random", [] { return RandomColours(256, 12); }},
    {"256 random in one corner", [] {
         std::vector<COLORREF> c;
         for (COLORREF x : RandomColours(256, 13)) c.push_back(RGB(GetRValue(x) / 8, GetGValue(x) / 8, GetBValue(x) / 8));
         return c;
     }},
};

}  // namespace

// The palette the capture builds (the screen's on a palette display, else the default colours and a cube):
// named so the 16-bit and 8-bit runs take it too.
TEST(SystemPalette, NearestEntrySearchGivesThePlainSearchsIndex)
{
    KvPalette256 palette(nullptr);
    ASSERT_GT(palette.Count(), 0);
    ExpectSameAsPlain(palette, "system palette");
}

TEST(NearestEntrySearch, GivesThePlainSearchsIndexForEveryMadePalette)
{
    for (const MadePalette& p : MadePalettes) {
        PaletteHandle h = MakePalette(p.make());
        ASSERT_TRUE(h) << p.name;
        KvPalette256 palette(h.get());
        ExpectSameAsPlain(palette, p.name);
    }
}

TEST(NearestEntrySearch, EmptyPaletteAndAPaletteTakenAgain)
{
    KvNearestEntrySearch search;
    EXPECT_EQ(search.Find(10, 20, 30), 0) << "no palette yet";
    KvPalette256 empty(nullptr);
    empty.SetCount(0);
    search.SetPalette(empty);
    EXPECT_EQ(search.Find(255, 255, 255), 0);

    // The cubes' lists are made again for the new entries.
    PaletteHandle first = MakePalette({RGB(0, 0, 0), RGB(255, 255, 255)});
    PaletteHandle second = MakePalette({RGB(255, 255, 255), RGB(0, 0, 0)});
    KvPalette256 a(first.get()), b(second.get());
    search.SetPalette(a);
    EXPECT_EQ(search.Find(250, 250, 250), 1);
    search.SetPalette(b);
    EXPECT_EQ(search.Find(250, 250, 250), 0);
    EXPECT_EQ(search.Find(5, 5, 5), 1);
}

// A row of colours never seen: each pixel gets the plain search's index, each colour one cache node, and a
// second pass after the cache was emptied behind the reduction's back (its key set then says nothing) the same.
TEST(NearestEntrySearch, NewColoursThroughTheCacheMatchThePlainSearch)
{
    PaletteHandle h = MakePalette(RandomColours(256, 21));
    KvColorReduction reduction;
    ASSERT_TRUE(reduction.UpdatePalette(h.get()));
    const KvPalette256& palette = *reduction.CurrentPalette();

    std::mt19937 random(5);
    std::uniform_int_distribution<std::uint32_t> colour(0, 0xFFFFFF);
    const int pixels = 20000;
    std::vector<std::uint32_t> source(pixels);
    for (std::uint32_t& p : source) p = colour(random) | 0xAB000000u;  // the fourth byte is no part of the colour
    source[1] = source[0];
    source[7] = source[3];
    const std::set<std::uint32_t> distinct = [&] {
        std::set<std::uint32_t> s;
        for (std::uint32_t p : source) s.insert(p & 0xFFFFFF);
        return s;
    }();

    for (const char* pass : {"cold", "cache emptied from outside", "cache kept"}) {
        SCOPED_TRACE(pass);
        if (std::string(pass) == "cache emptied from outside") reduction.ColorMap()->Clear();
        std::vector<std::uint32_t> row = source;
        const std::uint8_t* indices = reduction.ReduceRow32(reinterpret_cast<std::uint8_t*>(row.data()), pixels * 4);
        for (int x = 0; x < pixels; ++x) {
            const std::uint32_t p = source[x];
            ASSERT_EQ(indices[x], PlainNearest(palette, int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)))
                << "pixel " << x;
        }
        EXPECT_EQ(reduction.ColorMap()->Size(), distinct.size()) << "one node per colour";
    }
}

// A colour put into the cache from outside, announced by ForgetRows as the cache's editors do, is found there
// and not matched (and inserted) again.
TEST(NearestEntrySearch, AColourInsertedFromOutsideIsTaken)
{
    PaletteHandle h = MakePalette({RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0)});
    KvColorReduction reduction;
    ASSERT_TRUE(reduction.UpdatePalette(h.get()));
    std::uint32_t warm = 0x00FFFFFF;  // white: index 1 by distance
    reduction.ReduceRow32(reinterpret_cast<std::uint8_t*>(&warm), 4);
    const std::uint32_t key = 0x000000F0;  // dark blue: black by distance
    reduction.ColorMap()->Insert(key, 3);  // index 2
    reduction.ForgetRows();
    std::uint32_t pixel = key;
    EXPECT_EQ(reduction.ReduceRow32(reinterpret_cast<std::uint8_t*>(&pixel), 4)[0], 2);
    EXPECT_EQ(reduction.ColorMap()->Size(), 2u);

    // Once the cache is emptied the key set is exact again, and the colour is matched by distance.
    reduction.ColorMap()->Clear();
    reduction.ForgetRows();
    pixel = key;
    EXPECT_EQ(reduction.ReduceRow32(reinterpret_cast<std::uint8_t*>(&pixel), 4)[0], 0);
    EXPECT_EQ(reduction.ColorMap()->Size(), 1u);
}
