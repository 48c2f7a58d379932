// Sets of small enumerations: bit n for value n, and the language's set operations.

#include <gtest/gtest.h>

#include <cstdint>

#include "framework/runtime/Sets.h"

namespace {

enum Colour : std::uint8_t { Red, Green, Blue, Black };
using Colours = TSet<Colour>;

enum Wide : std::uint8_t { W0 = 0, W31 = 31, W32 = 32, W200 = 200 };

}  // namespace

TEST(Sets, BitNForValueN)
{
    EXPECT_EQ(Colours{}.ToInt(), 0u);
    EXPECT_EQ((Colours{Red, Blue}).ToInt(), 0x5u);
    EXPECT_EQ(Colours::FromInt(0xA), (Colours{Green, Black}));
    // Bits beyond the set's values are dropped.
    EXPECT_EQ((TSet<Colour, 4>::FromInt(0xFF)), (TSet<Colour, 4>{Red, Green, Blue, Black}));
}

TEST(Sets, UnionDifferenceIntersectionAndSubsets)
{
    const Colours a{Red, Green}, b{Green, Blue};
    EXPECT_EQ(a + b, (Colours{Red, Green, Blue}));
    EXPECT_EQ(a - b, Colours{Red});
    EXPECT_EQ(a * b, Colours{Green});
    EXPECT_TRUE((a * Colours{Black}).Empty());
    EXPECT_TRUE(Colours{Green} <= a);
    EXPECT_FALSE(b <= a);
    EXPECT_TRUE(a >= Colours{});
    EXPECT_FALSE(a == b);

    Colours c;
    c.Include(Blue).Include(Blue).Include(Red);
    EXPECT_TRUE(c.Contains(Blue));
    c.Exclude(Blue).Exclude(Green);
    EXPECT_EQ(c, Colours{Red});
    c.Clear();
    EXPECT_TRUE(c.Empty());
}

TEST(Sets, ValuesAcrossWordsAndCharacters)
{
    TSet<Wide, 256> w{W31, W32, W200};
    EXPECT_TRUE(w.Contains(W31));
    EXPECT_TRUE(w.Contains(W32));
    EXPECT_TRUE(w.Contains(W200));
    EXPECT_FALSE(w.Contains(W0));
    EXPECT_EQ(w.ToInt(), 0x80000000u);
    EXPECT_FALSE((w - TSet<Wide, 256>{W31, W32}).Empty());

    // Characters above 127 count as 128..255.
    TSet<char, 256> chars{'-', '/', char(0xE9)};
    EXPECT_TRUE(chars.Contains(char(0xE9)));
    EXPECT_FALSE(chars.Contains(char(0x69)));

    // A value the set cannot hold is never in it.
    TSet<Wide> small{W200};
    EXPECT_TRUE(small.Empty());
    EXPECT_FALSE(small.Contains(W200));
}

static_assert(TSet<Colour>{Red, Blue}.Contains(Blue), "sets work in constant expressions");
