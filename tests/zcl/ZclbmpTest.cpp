// The pixel procedures on 24-bit bitmaps: values at chosen pixels (the last row and column among them), mirrors,
// clipping of rectangles and points to both bitmaps, work in place, and bitmaps of other formats refused before
// any pixel changes. The effect object's chain and buffer, and the alpha object's blending with a fill, its image
// list and its storage.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DrawTestHelpers.h"
#include "support/Screenshot.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclfillobject.h"

using namespace drawtest;

namespace {

// Pixels as 0x00BBGGRR, read through the scan lines.
std::uint32_t Get(TBitmap* b, int x, int y)
{
    const auto* p = static_cast<const unsigned char*>(b->ScanLine(y)) + 3 * x;
    return std::uint32_t(p[2]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[0]) << 16;
}

std::uint32_t Rgb(int r, int g, int b) { return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16; }

// Distinct colours by position.
std::uint32_t Coded(int x, int y) { return Rgb(10 + x * 20, 10 + y * 20, 100 + x + y); }

std::unique_ptr<TBitmap> CodedBitmap(int w, int h) { return MakeBitmap(w, h, Coded); }

// Every pixel, rows from the top.
std::vector<std::uint32_t> Pixels(TBitmap* b)
{
    std::vector<std::uint32_t> px;
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x) px.push_back(Get(b, x, y));
    return px;
}

using Procedure = std::function<void(TBitmap* source, const TRect& r, TBitmap* target, const TPoint& p)>;

struct Named {
    const char* name;
    Procedure run;
};

const std::vector<Named>& SingleSourceProcedures()
{
    static const std::vector<Named> all = {
        {"GrayScale", ZCLBMPGrayScale},
        {"FlipHorizonzal", ZCLBMPFlipHorizonzal},
        {"FlipVertical", ZCLBMPFlipVertical},
        {"Invert", ZCLBMPInvert},
        {"Brightness",
         [](TBitmap* s, const TRect& r, TBitmap* t, const TPoint& p) { ZCLBMPBrightness(s, r, t, p, 40); }},
        {"BrightnessEC",
         [](TBitmap* s, const TRect& r, TBitmap* t, const TPoint& p) { ZCLBmpBrightnessEC(s, r, t, p, -40, clRed); }},
    };
    return all;
}

// The padding bytes at the end of each row (the width is chosen so that there are some) set to a marker, to
// see that no procedure writes past a row.
void MarkPadding(TBitmap* b)
{
    for (int y = 0; y < b->Height(); ++y) static_cast<unsigned char*>(b->ScanLine(y))[3 * b->Width()] = 0xA5;
}
bool PaddingKept(TBitmap* b)
{
    for (int y = 0; y < b->Height(); ++y)
        if (static_cast<unsigned char*>(b->ScanLine(y))[3 * b->Width()] != 0xA5) return false;
    return true;
}

}  // namespace

TEST(ZclBmpPixels, GreyScaleRoundsEachTermOnItsOwnOverTheWholeRectangle)
{
    // clang-format off
    struct Case {
        std::uint32_t colour;
        int grey;
    } const cases[] = {
        {Rgb(255, 255, 255), 254},  // 76 + 150 + 28: 76.5 rounds to the even 76
        {Rgb(0, 0, 0), 0},
        {Rgb(5, 0, 0), 2},      // 1.5 -> 2
        {Rgb(15, 0, 0), 4},     // 4.5 -> 4
        {Rgb(0, 50, 0), 30},    // 29.5 -> 30
        {Rgb(0, 150, 0), 88},   // 88.5 -> 88
        {Rgb(0, 0, 50), 6},     // 5.5 -> 6
        {Rgb(0, 0, 150), 16},   // 16.5 -> 16
        {Rgb(100, 200, 50), 30 + 118 + 6},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.colour);
        auto b = MakeBitmap(5, 4, [&](int, int) { return c.colour; });
        ZCLBMPGrayScale(b.get(), TRect(0, 0, 5, 4), b.get(), TPoint(0, 0));
        const std::uint32_t g = Rgb(c.grey, c.grey, c.grey);
        for (auto [x, y] : {std::pair{0, 0}, {4, 0}, {0, 3}, {4, 3}, {2, 1}}) EXPECT_EQ(Get(b.get(), x, y), g);
    }
}

TEST(ZclBmpPixels, InvertAndBrightnessAtChosenBytes)
{
    struct Case {
        const char* name;
        std::function<void(TBitmap*)> run;
        std::uint32_t before, after;
    } const cases[] = {
        {"invert", [](TBitmap* b) { ZCLBMPInvert(b, TRect(0, 0, 6, 3), b, TPoint(0, 0)); }, Rgb(0, 100, 255),
         Rgb(255, 155, 0)},
        {"+10", [](TBitmap* b) { ZCLBMPBrightness(b, TRect(0, 0, 6, 3), b, TPoint(0, 0), 10); }, Rgb(250, 100, 0),
         Rgb(255, 110, 10)},
        {"-10", [](TBitmap* b) { ZCLBMPBrightness(b, TRect(0, 0, 6, 3), b, TPoint(0, 0), -10); }, Rgb(5, 100, 255),
         Rgb(0, 90, 245)},
        {"+255", [](TBitmap* b) { ZCLBMPBrightness(b, TRect(0, 0, 6, 3), b, TPoint(0, 0), 255); }, Rgb(1, 0, 200),
         Rgb(255, 255, 255)},
        {"-255", [](TBitmap* b) { ZCLBMPBrightness(b, TRect(0, 0, 6, 3), b, TPoint(0, 0), -255); }, Rgb(254, 0, 255),
         Rgb(0, 0, 0)},
        {"0", [](TBitmap* b) { ZCLBMPBrightness(b, TRect(0, 0, 6, 3), b, TPoint(0, 0), 0); }, Rgb(7, 8, 9),
         Rgb(7, 8, 9)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = MakeBitmap(6, 3, [&](int, int) { return c.before; });
        c.run(b.get());
        for (auto [x, y] : {std::pair{0, 0}, {5, 0}, {0, 2}, {5, 2}}) EXPECT_EQ(Get(b.get(), x, y), c.after);
    }
}

TEST(ZclBmpPixels, BrightnessLeavesOnlyPixelsOfExactlyTheExcludedColour)
{
    const std::uint32_t excluded = Rgb(200, 100, 50);
    // clang-format off
    struct Case {
        std::uint32_t colour;
        bool kept;
    } const cases[] = {
        {Rgb(200, 100, 50), true},
        {Rgb(200, 100, 51), false},  // two channels shared
        {Rgb(200, 0, 0), false},     // red shared
        {Rgb(0, 100, 0), false},     // green shared
        {Rgb(0, 0, 50), false},      // blue shared
        {Rgb(50, 100, 200), false},  // red and blue swapped
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.colour);
        auto source = MakeBitmap(3, 2, [&](int, int) { return c.colour; });
        auto target = MakeBitmap(3, 2, [](int, int) { return 0x010203u; });
        ZCLBmpBrightnessEC(source.get(), TRect(0, 0, 3, 2), target.get(), TPoint(0, 0), 20, TColor(excluded));
        std::uint32_t expected = c.colour;
        if (!c.kept) {
            const int r = std::min(255, int(c.colour & 0xFF) + 20), g = std::min(255, int(c.colour >> 8 & 0xFF) + 20),
                      b = std::min(255, int(c.colour >> 16) + 20);
            expected = Rgb(r, g, b);
        }
        EXPECT_EQ(Get(target.get(), 0, 0), expected);
        EXPECT_EQ(Get(target.get(), 2, 1), expected);  // a kept pixel is copied to the target as it is
    }
    // A system colour is resolved first.
    const std::uint32_t face = Sys(COLOR_BTNFACE);
    auto b = MakeBitmap(2, 1, [&](int x, int) { return x == 0 ? face : face ^ 0x000001; });
    ZCLBmpBrightnessEC(b.get(), TRect(0, 0, 2, 1), b.get(), TPoint(0, 0), -30, clBtnFace);
    EXPECT_EQ(Get(b.get(), 0, 0), face);
    EXPECT_NE(Get(b.get(), 1, 0), face ^ 0x000001);
}

TEST(ZclBmpPixels, FlipVerticalMirrorsLeftRightAndFlipHorizonzalUpsideDown)
{
    // In place over the whole bitmap, and into another bitmap at an offset.
    for (bool inPlace : {true, false}) {
        SCOPED_TRACE(inPlace ? "in place" : "into another bitmap");
        for (auto [w, h] : {std::pair{3, 2}, {4, 3}, {1, 1}}) {
            auto source = CodedBitmap(w, h);
            auto other = MakeBitmap(w + 2, h + 1, [](int, int) { return 0u; });
            TBitmap* target = inPlace ? source.get() : other.get();
            const TPoint at = inPlace ? TPoint(0, 0) : TPoint(2, 1);
            ZCLBMPFlipVertical(source.get(), TRect(0, 0, w, h), target, at);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) EXPECT_EQ(Get(target, at.x + x, at.y + y), Coded(w - 1 - x, y));

            auto source2 = CodedBitmap(w, h);
            auto other2 = MakeBitmap(w + 2, h + 1, [](int, int) { return 0u; });
            TBitmap* target2 = inPlace ? source2.get() : other2.get();
            ZCLBMPFlipHorizonzal(source2.get(), TRect(0, 0, w, h), target2, at);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) EXPECT_EQ(Get(target2, at.x + x, at.y + y), Coded(x, h - 1 - y));
            if (!inPlace) {
                EXPECT_EQ(Get(other.get(), 0, 0), 0u);
                EXPECT_EQ(Get(other2.get(), 1, h), 0u);
            }
        }
    }
}

TEST(ZclBmpPixels, FlipsRowsWiderThanAnyFixedBuffer)
{
    const int w = 12000;  // 36000 bytes a row
    auto b = MakeBitmap(w, 3, [](int x, int y) { return Rgb(x & 0xFF, x >> 8, y); });
    ZCLBMPFlipHorizonzal(b.get(), TRect(0, 0, w, 3), b.get(), TPoint(0, 0));
    for (int x : {0, 5000, 10922, 10923, w - 1}) {
        EXPECT_EQ(Get(b.get(), x, 0), Rgb(x & 0xFF, x >> 8, 2));
        EXPECT_EQ(Get(b.get(), x, 1), Rgb(x & 0xFF, x >> 8, 1));
        EXPECT_EQ(Get(b.get(), x, 2), Rgb(x & 0xFF, x >> 8, 0));
    }
    ZCLBMPFlipVertical(b.get(), TRect(0, 0, w, 3), b.get(), TPoint(0, 0));
    EXPECT_EQ(Get(b.get(), 0, 0), Rgb((w - 1) & 0xFF, (w - 1) >> 8, 2));
    EXPECT_EQ(Get(b.get(), w - 1, 2), Rgb(0, 0, 0));
}

TEST(ZclBmpPixels, ClipsRectanglesAndPointsToBothBitmaps)
{
    // Each target pixel that the whole rectangle maps from a source pixel gets it; all others stay.
    // clang-format off
    struct Case {
        TRect r;
        TPoint p;
    } const cases[] = {
        {TRect(0, 0, 5, 3), TPoint(0, 0)},
        {TRect(-2, -1, 3, 2), TPoint(0, 0)},    // rectangle starting outside the source
        {TRect(3, 1, 9, 6), TPoint(0, 0)},      // ending outside it
        {TRect(0, 0, 5, 3), TPoint(3, 2)},      // running off the target's right and bottom
        {TRect(0, 0, 5, 3), TPoint(-3, -2)},    // starting before the target
        {TRect(1, 1, 4, 3), TPoint(6, 0)},      // wholly beside the target
        {TRect(4, 2, 1, 1), TPoint(0, 0)},      // turned round: empty
        {TRect(INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2), TPoint(INT_MIN / 2, INT_MIN / 2)},
        {TRect(0, 0, 5, 3), TPoint(INT_MAX - 2, INT_MAX - 2)},
    };
    // clang-format on
    const int sw = 5, sh = 3, tw = 5, th = 4;  // widths whose rows have padding
    for (bool mirrored : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << (mirrored ? "mirrored " : "") << Text(c.r) << " at " << c.p.x << "," << c.p.y);
            auto source = CodedBitmap(sw, sh);
            auto target = MakeBitmap(tw, th, [](int, int) { return 0x777777u; });
            MarkPadding(source.get());
            MarkPadding(target.get());
            if (mirrored) ZCLBMPFlipVertical(source.get(), c.r, target.get(), c.p);
            else ZCLBMPInvert(source.get(), c.r, target.get(), c.p);
            for (int y = 0; y < th; ++y)
                for (int x = 0; x < tw; ++x) {
                    const long long i = (long long)x - c.p.x, j = (long long)y - c.p.y;
                    const long long w = (long long)c.r.right - c.r.left, h = (long long)c.r.bottom - c.r.top;
                    std::uint32_t expected = 0x777777;
                    if (i >= 0 && i < w && j >= 0 && j < h) {
                        const long long sx = mirrored ? c.r.left + w - 1 - i : c.r.left + i, sy = c.r.top + j;
                        if (sx >= 0 && sx < sw && sy >= 0 && sy < sh) {
                            const std::uint32_t s = Coded(int(sx), int(sy));
                            expected = mirrored ? s : s ^ 0xFFFFFF;
                        }
                    }
                    EXPECT_EQ(Get(target.get(), x, y), expected) << "at " << x << "," << y;
                }
            EXPECT_TRUE(PaddingKept(source.get()));
            EXPECT_TRUE(PaddingKept(target.get()));
        }
    }
}

TEST(ZclBmpPixels, WorksInPlaceWhereTheTargetOverlapsTheSource)
{
    // Each target pixel is made from the source as it was, not from pixels already written.
    auto b = CodedBitmap(5, 3);
    ZCLBMPInvert(b.get(), TRect(0, 0, 4, 2), b.get(), TPoint(1, 1));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool written = x >= 1 && y >= 1;
            EXPECT_EQ(Get(b.get(), x, y), written ? Coded(x - 1, y - 1) ^ 0xFFFFFF : Coded(x, y)) << x << "," << y;
        }

    auto c = CodedBitmap(4, 4);
    ZCLBMPFlipHorizonzal(c.get(), TRect(0, 0, 4, 3), c.get(), TPoint(0, 1));
    for (int y = 1; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Get(c.get(), x, y), Coded(x, 3 - y)) << x << "," << y;
}

TEST(ZclBmpPixels, AlphaBlendWeighsTheFirstSourceAgainstTheSecond)
{
    // clang-format off
    struct Case {
        float alpha;
        int s1, s2, expected;
    } const cases[] = {
        {0.6f, 200, 100, 160}, {0.6f, 100, 200, 140}, {0.6f, 0, 255, 102}, {0.0f, 200, 100, 100},
        {1.0f, 200, 100, 200}, {0.5f, 101, 100, 100},  // 0.5 rounds to the even 0
        {0.5f, 103, 100, 102},                        // 1.5 rounds to 2
        {1.5f, 250, 100, 255},                        // weights beyond 0..1 are held to the byte range
        {-1.0f, 250, 100, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.alpha << " " << c.s1 << " " << c.s2);
        auto a = MakeBitmap(4, 3, [&](int, int) { return Rgb(c.s1, c.s1, c.s2); });
        auto b = MakeBitmap(4, 3, [&](int, int) { return Rgb(c.s2, c.s2, c.s1); });
        auto t = MakeBitmap(4, 3, [](int, int) { return 0u; });
        ZCLBMPAlphaBlend(a.get(), b.get(), TRect(0, 0, 4, 3), TPoint(0, 0), t.get(), c.alpha, TPoint(0, 0));
        for (auto [x, y] : {std::pair{0, 0}, {3, 0}, {0, 2}, {3, 2}}) {
            const std::uint32_t px = Get(t.get(), x, y);
            EXPECT_EQ(int(px & 0xFF), c.expected);
            EXPECT_EQ(int(px >> 8 & 0xFF), c.expected);
        }
    }
}

TEST(ZclBmpPixels, AlphaBlendTakesEachBitmapAtItsOwnPlaceAndClipsToAllThree)
{
    auto a = CodedBitmap(5, 3);
    auto b = MakeBitmap(4, 4, [](int x, int y) { return Rgb(x * 50, y * 50, 0); });
    auto t = MakeBitmap(5, 5, [](int, int) { return 0x777777u; });
    MarkPadding(t.get());
    // 4 x 3 from (1, 0) of the first source, the second from (1, 2) (only two of its rows are there), written at
    // (2, 1): three columns fit the target.
    ZCLBMPAlphaBlend(a.get(), b.get(), TRect(1, 0, 5, 3), TPoint(1, 2), t.get(), 1.0f, TPoint(2, 1));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool written = x >= 2 && y >= 1 && y < 3;
            EXPECT_EQ(Get(t.get(), x, y), written ? Coded(x - 1, y - 1) : 0x777777u) << x << "," << y;
        }
    EXPECT_TRUE(PaddingKept(t.get()));

    // In place: the first source blended with the second into itself.
    auto c = MakeBitmap(3, 2, [](int, int) { return Rgb(200, 200, 200); });
    auto d = MakeBitmap(3, 2, [](int, int) { return Rgb(100, 100, 100); });
    ZCLBMPAlphaBlend(c.get(), d.get(), TRect(0, 0, 3, 2), TPoint(0, 0), c.get(), 0.6f, TPoint(0, 0));
    EXPECT_EQ(Get(c.get(), 2, 1), Rgb(160, 160, 160));
    // And shifted within itself, from the pixels as they were.
    auto e = CodedBitmap(4, 1);
    ZCLBMPAlphaBlend(e.get(), e.get(), TRect(0, 0, 3, 1), TPoint(0, 0), e.get(), 1.0f, TPoint(1, 0));
    for (int x = 1; x < 4; ++x) EXPECT_EQ(Get(e.get(), x, 0), Coded(x - 1, 0));
}

TEST(ZclBmpPixels, RefusesBitmapsThatAreNot24BitsBeforeAnyPixelChanges)
{
    auto format = [](TPixelFormat f) {
        auto b = CodedBitmap(4, 3);
        if (f == pf1bit) b->SetMonochrome(true);
        else b->SetPixelFormat(f);
        return b;
    };
    for (TPixelFormat f : {pf8bit, pf16bit, pf32bit, pf1bit, pf4bit}) {
        SCOPED_TRACE(testing::Message() << "format " << int(f));
        for (const Named& proc : SingleSourceProcedures()) {
            SCOPED_TRACE(proc.name);
            for (bool wrongSource : {true, false}) {
                auto good = CodedBitmap(4, 3);
                auto bad = format(f);
                TBitmap* source = wrongSource ? bad.get() : good.get();
                TBitmap* target = wrongSource ? good.get() : bad.get();
                const auto before = Pixels(good.get());
                try {
                    proc.run(source, TRect(0, 0, 4, 3), target, TPoint(0, 0));
                    ADD_FAILURE() << "no exception";
                } catch (const EZCLWrongPixelFormat& e) {
                    EXPECT_EQ(std::string(e.Message()), wrongSource ? "Wrong PixelFormat in Source bitmap!"
                                                                    : "Wrong PixelFormat in Target bitmap!");
                }
                EXPECT_EQ(Pixels(good.get()), before);
            }
        }
        // The alpha blend names the first wrong one of Source 1, Source 2 and Target.
        struct Roles {
            bool s1, s2, t;
            const char* message;
        } const roles[] = {
            {true, true, true, "Wrong PixelFormat in Source 1 bitmap!"},
            {false, true, true, "Wrong PixelFormat in Source 2 bitmap!"},
            {false, false, true, "Wrong PixelFormat in Target bitmap!"},
            {true, false, false, "Wrong PixelFormat in Source 1 bitmap!"},
        };
        for (const Roles& r : roles) {
            auto s1 = r.s1 ? format(f) : CodedBitmap(4, 3);
            auto s2 = r.s2 ? format(f) : CodedBitmap(4, 3);
            auto t = r.t ? format(f) : MakeBitmap(4, 3, [](int, int) { return 0x777777u; });
            const auto before = r.t ? std::vector<std::uint32_t>() : Pixels(t.get());
            try {
                ZCLBMPAlphaBlend(s1.get(), s2.get(), TRect(0, 0, 4, 3), TPoint(0, 0), t.get(), 0.6f, TPoint(0, 0));
                ADD_FAILURE() << "no exception";
            } catch (const EZCLWrongPixelFormat& e) {
                EXPECT_EQ(std::string(e.Message()), r.message);
            }
            if (!r.t) {
                EXPECT_EQ(Pixels(t.get()), before);
            }
        }
    }
    // Null and empty bitmaps: nothing to do, nothing raised.
    TBitmap empty;
    auto good = CodedBitmap(2, 2);
    for (const Named& proc : SingleSourceProcedures()) {
        EXPECT_NO_THROW(proc.run(nullptr, TRect(0, 0, 2, 2), good.get(), TPoint(0, 0)));
        EXPECT_NO_THROW(proc.run(good.get(), TRect(0, 0, 2, 2), &empty, TPoint(0, 0)));
    }
    EXPECT_NO_THROW(ZCLBMPAlphaBlend(good.get(), &empty, TRect(0, 0, 2, 2), TPoint(0, 0), good.get(), 0.5f, TPoint()));
    EXPECT_EQ(Get(good.get(), 1, 1), Coded(1, 1));
}

// The effect object ----------------------------------------------------------------------------------------------

namespace {

std::uint32_t Inverted(std::uint32_t c) { return c ^ 0xFFFFFF; }
std::uint32_t Brighter(std::uint32_t c, int a)
{
    auto ch = [a](std::uint32_t v) { return std::uint32_t(std::clamp(int(v & 0xFF) + a, 0, 255)); };
    return ch(c) | ch(c >> 8) << 8 | ch(c >> 16) << 16;
}
std::uint32_t Greyed(std::uint32_t c)
{
    auto b = MakeBitmap(1, 1, [c](int, int) { return c; });
    ZCLBMPGrayScale(b.get(), TRect(0, 0, 1, 1), b.get(), TPoint(0, 0));
    return Get(b.get(), 0, 0);
}

struct ChangeCounter {
    int n = 0;
    void Count(TObject*) { ++n; }
};

}  // namespace

TEST(ZclBitmapEffect, DrawCoversTheWholeBitmapInChainOrder)
{
    const int w = 5, h = 4;
    struct Case {
        const char* name;
        std::function<void(TZCLBitmapEffectObject&)> set;
        std::function<std::uint32_t(int, int)> expected;
    } const cases[] = {
        {"flip vertical", [](auto& e) { e.SetFlipVertical(true); }, [](int x, int y) { return Coded(w - 1 - x, y); }},
        {"flip horizontal", [](auto& e) { e.SetFlipHorizontal(true); },
         [](int x, int y) { return Coded(x, h - 1 - y); }},
        {"grey", [](auto& e) { e.SetGrayScale(true); }, [](int x, int y) { return Greyed(Coded(x, y)); }},
        {"invert", [](auto& e) { e.SetInvert(true); }, [](int x, int y) { return Inverted(Coded(x, y)); }},
        {"brightness", [](auto& e) { e.SetBrightness(60); }, [](int x, int y) { return Brighter(Coded(x, y), 60); }},
        {"both flips, invert, brightness",
         [](auto& e) {
             e.SetBrightness(-30);
             e.SetInvert(true);
             e.SetFlipHorizontal(true);
             e.SetFlipVertical(true);
         },
         [](int x, int y) { return Brighter(Inverted(Coded(w - 1 - x, h - 1 - y)), -30); }},
        // Grey scale before invert: the inverted grey, not the grey of the inverse.
        {"grey then invert",
         [](auto& e) {
             e.SetInvert(true);
             e.SetGrayScale(true);
         },
         [](int x, int y) { return Inverted(Greyed(Coded(x, y))); }},
    };
    for (const Case& c : cases) {
        for (TPixelFormat f : {pf24bit, pf32bit}) {
            SCOPED_TRACE(testing::Message() << c.name << ", format " << int(f));
            TZCLBitmapEffectObject fx;
            c.set(fx);
            auto b = CodedBitmap(w, h);
            b->SetPixelFormat(f);
            fx.Draw(b.get());
            EXPECT_EQ(b->PixelFormat(), pf24bit);
            for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {2, 1}})
                EXPECT_EQ(Get(b.get(), x, y), c.expected(x, y)) << "at " << x << "," << y;
        }
    }
    // An 8-bit bitmap (whose colours are not the coded ones) is worked on as 24 bits.
    TZCLBitmapEffectObject fx;
    fx.SetInvert(true);
    auto b = MakeBitmap(3, 3, [](int x, int) { return x == 2 ? 0xFFFFFFu : 0x000000u; });
    b->SetPixelFormat(pf8bit);
    EXPECT_NO_THROW(fx.Draw(b.get()));
    EXPECT_EQ(Get(b.get(), 2, 2), 0x000000u);
    EXPECT_EQ(Get(b.get(), 0, 2), 0xFFFFFFu);
}

TEST(ZclBitmapEffect, MonochromeComesBeforeBrightness)
{
    TZCLBitmapEffectObject fx;
    fx.SetMonochrome(true);
    EXPECT_FALSE(fx.Enabled());  // not one of the published effects
    auto b = MakeBitmap(4, 2, [](int x, int) { return x < 2 ? 0xFFFFFFu : 0x3070B0u; });
    fx.Draw(b.get());
    EXPECT_TRUE(b->Monochrome());
    EXPECT_EQ(PixelOf(b.get(), 0, 1), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(b.get(), 3, 1), 0x000000u);

    fx.SetBrightness(-50);
    auto c = MakeBitmap(4, 2, [](int x, int) { return x < 2 ? 0xFFFFFFu : 0x3070B0u; });
    fx.Draw(c.get());
    EXPECT_EQ(c->PixelFormat(), pf24bit);
    EXPECT_EQ(Get(c.get(), 1, 1), Rgb(205, 205, 205));
    EXPECT_EQ(Get(c.get(), 3, 1), 0x000000u);
}

TEST(ZclBitmapEffect, BufferedKeepsTheFirstResultUntilAChange)
{
    TZCLBitmapEffectObject fx;
    fx.SetInvert(true);
    fx.SetBuffered(true);
    ASSERT_NE(fx.Buffer(), nullptr);
    EXPECT_FALSE(fx.BufferValid());
    auto first = CodedBitmap(4, 3);
    fx.Draw(first.get());
    EXPECT_TRUE(fx.BufferValid());
    EXPECT_EQ(fx.Buffer()->Width(), 4);

    // While valid, any bitmap gets the kept result.
    auto other = MakeBitmap(4, 3, [](int, int) { return 0x000000u; });
    fx.Draw(other.get());
    EXPECT_EQ(Get(other.get(), 3, 2), Inverted(Coded(3, 2)));
    EXPECT_EQ(Get(other.get(), 0, 0), Inverted(Coded(0, 0)));

    // Any change makes it again from the bitmap given.
    struct Step {
        const char* name;
        std::function<void()> change;
    } const steps[] = {
        {"brightness", [&] { fx.SetBrightness(1); }},
        {"back", [&] { fx.SetBrightness(0); }},
        {"destroyed", [&] { fx.DestroyBuffer(); }},
        {"a nested object's change", [&] { fx.GetChange(nullptr); }},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.change();
        EXPECT_FALSE(fx.BufferValid());
        auto black = MakeBitmap(4, 3, [](int, int) { return 0x000000u; });
        fx.Draw(black.get());
        EXPECT_TRUE(fx.BufferValid());
        EXPECT_EQ(Get(black.get(), 1, 1) & 0xFFFF00, 0xFFFF00u);  // inverted black, brightness 0 or 1
        fx.Draw(first.get());                                     // the buffer again, made from black
        EXPECT_EQ(Get(first.get(), 2, 2) & 0xFFFF00, 0xFFFF00u);
        first = CodedBitmap(4, 3);
    }
    fx.SetBuffered(false);
    EXPECT_EQ(fx.Buffer(), nullptr);
    auto last = CodedBitmap(4, 3);
    fx.Draw(last.get());
    EXPECT_EQ(Get(last.get(), 2, 2), Inverted(Coded(2, 2)));
}

TEST(ZclBitmapEffect, EnabledAndTheSummary)
{
    struct Case {
        std::function<void(TZCLBitmapEffectObject&)> set;
        bool enabled;
        const char* summary;
    } const cases[] = {
        {[](auto&) {}, false, "{Disabled}"},
        {[](auto& e) { e.SetBuffered(true); }, false, "{Disabled}"},
        {[](auto& e) { e.SetMonochrome(true); }, false, "{Disabled}"},
        {[](auto& e) { e.SetFlipVertical(true); }, true, "{FV}"},
        {[](auto& e) { e.SetBrightness(-1); }, true, "{B}"},
        {[](auto& e) {
             e.SetBrightness(5);
             e.SetInvert(true);
             e.SetGrayScale(true);
             e.SetFlipHorizontal(true);
             e.SetFlipVertical(true);
         },
         true, "{FV,FH,GS,INV,B}"},
        {[](auto& e) {
             e.SetInvert(true);
             e.SetFlipHorizontal(true);
         },
         true, "{FH,INV}"},
    };
    for (const Case& c : cases) {
        TZCLBitmapEffectObject fx;
        c.set(fx);
        EXPECT_EQ(fx.Enabled(), c.enabled) << c.summary;
        EXPECT_EQ(std::string(fx.GetSetStr()), c.summary);
    }
}

TEST(ZclBitmapEffect, SettersTellOnlyChangesAndAssignTellsOnce)
{
    TZCLBitmapEffectObject fx;
    ChangeCounter counter;
    fx.SetOnChange(TNotifyEvent(&counter, &ChangeCounter::Count));
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const int before = counter.n;
        fx.SetBoolean(i, false);
        EXPECT_EQ(counter.n, before);
        fx.SetBoolean(i, true);
        EXPECT_TRUE(fx.Boolean(i));
        EXPECT_EQ(counter.n, before + 1);
    }
    fx.SetBoolean(6, true);
    EXPECT_FALSE(fx.Boolean(6));
    fx.SetBrightness(300);
    EXPECT_EQ(fx.Brightness(), 255);
    fx.SetBrightness(-999);
    EXPECT_EQ(fx.Brightness(), -255);
    const int before = counter.n;
    fx.SetBrightness(-255);
    EXPECT_EQ(counter.n, before);

    TZCLBitmapEffectObject copy;
    ChangeCounter copies;
    copy.SetOnChange(TNotifyEvent(&copies, &ChangeCounter::Count));
    copy.Assign(&fx);
    EXPECT_EQ(copies.n, 1);
    EXPECT_TRUE(copy.FlipVertical());
    EXPECT_TRUE(copy.FlipHorizontal());
    EXPECT_TRUE(copy.GrayScale());
    EXPECT_TRUE(copy.Invert());
    EXPECT_EQ(copy.Brightness(), -255);
    EXPECT_TRUE(copy.Buffered());
    EXPECT_NE(copy.Buffer(), nullptr);  // through the setter: the buffer is made
    EXPECT_FALSE(copy.Monochrome());    // not copied: it is not published
}

TEST(ZclBitmapEffect, CopiesAndCutsRectanglesThroughTheChain)
{
    TZCLBitmapEffectObject fx;
    fx.SetInvert(true);
    auto source = CodedBitmap(6, 5);

    TBitmap copy;
    fx.DrawCopy(source.get(), &copy);
    EXPECT_EQ(copy.Width(), 6);
    EXPECT_EQ(copy.Height(), 5);
    EXPECT_EQ(Get(&copy, 5, 4), Inverted(Coded(5, 4)));
    EXPECT_EQ(Get(source.get(), 5, 4), Coded(5, 4));

    TBitmap part;
    fx.DrawCopyFromRect(source.get(), TRect(2, 1, 5, 4), &part);
    EXPECT_EQ(part.Width(), 3);
    EXPECT_EQ(part.Height(), 3);
    EXPECT_EQ(Get(&part, 0, 0), Inverted(Coded(2, 1)));
    EXPECT_EQ(Get(&part, 2, 2), Inverted(Coded(4, 3)));

    auto target = MakeBitmap(8, 8, [](int, int) { return 0x777777u; });
    fx.DrawCopyRect(source.get(), TRect(1, 1, 3, 3), target.get(), TPoint(5, 6));
    EXPECT_EQ(Get(target.get(), 5, 6), Inverted(Coded(1, 1)));
    EXPECT_EQ(Get(target.get(), 6, 7), Inverted(Coded(2, 2)));
    EXPECT_EQ(Get(target.get(), 4, 6), 0x777777u);

    auto cut = MakeBitmap(8, 8, [](int, int) { return 0x777777u; });
    fx.DrawCutRect(source.get(), TRect(0, 0, 2, 2), cut.get(), TRect(4, 4, 6, 6));
    EXPECT_EQ(Get(cut.get(), 4, 4), Inverted(Coded(0, 0)));
    EXPECT_EQ(Get(cut.get(), 5, 5), Inverted(Coded(1, 1)));
    EXPECT_EQ(Get(cut.get(), 6, 6), 0x777777u);
}

TEST(ZclBitmapEffect, DrawCutRect2WorksTheAreaOfTheTargetOnly)
{
    TZCLBitmapEffectObject fx;
    fx.SetInvert(true);
    fx.SetMonochrome(true);  // not a step of this road
    fx.SetBuffered(true);
    auto source = CodedBitmap(8, 6);
    auto target = MakeBitmap(5, 4, [](int, int) { return 0x777777u; });
    // S (2, 1)-(7, 5) to the target's top-left, the effects on W = (1, 1)-(5, 4) up to its last row and column.
    fx.DrawCutRect2(source.get(), TRect(2, 1, 7, 5), TRect(1, 1, 5, 4), target.get());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const std::uint32_t s = Coded(x + 2, y + 1);
            EXPECT_EQ(Get(target.get(), x, y), x >= 1 && y >= 1 ? Inverted(s) : s) << x << "," << y;
        }
    EXPECT_TRUE(fx.BufferValid());
    EXPECT_EQ(fx.Buffer()->Width(), 5);
    auto again = MakeBitmap(5, 4, [](int, int) { return 0u; });
    fx.DrawCutRect2(source.get(), TRect(0, 0, 1, 1), TRect(0, 0, 1, 1), again.get());
    EXPECT_EQ(Get(again.get(), 4, 3), Inverted(Coded(6, 4)));
}

TEST(ZclBitmapEffect, RepeatedDrawingKeepsGdiObjectsSteady)
{
    TZCLBitmapEffectObject plain, buffered;
    plain.SetGrayScale(true);
    plain.SetMonochrome(true);
    plain.SetBrightness(20);
    buffered.SetFlipVertical(true);
    buffered.SetBuffered(true);
    auto round = [&] {
        auto b = CodedBitmap(30, 20);
        plain.Draw(b.get());
        buffered.Draw(b.get());
        buffered.DestroyBuffer();
        TBitmap t;
        plain.DrawCopy(b.get(), &t);
        auto target = CodedBitmap(20, 20);
        buffered.DrawCutRect2(b.get(), TRect(0, 0, 20, 20), TRect(2, 2, 18, 18), target.get());
        buffered.SetBuffered(false);
        buffered.SetBuffered(true);
    };
    round();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 20; ++i) round();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

// The alpha object -----------------------------------------------------------------------------------------------

namespace {

constexpr std::uint32_t FillGrey = 0x646464;  // 100, 100, 100

// An alpha object filling with a solid brush of colour c.
void BrushFill(TZCLAlphaObject& alpha, std::uint32_t c, float strength)
{
    alpha.FillObject()->SetStyle(sfBrush);
    alpha.FillObject()->Brush()->SetColor(TColor(c));
    alpha.SetStrength(strength);
}

std::uint32_t Blend(std::uint32_t a, std::uint32_t b, float alpha)
{
    auto ch = [alpha](int s1, int s2) {
        return std::uint32_t(std::clamp(s2 + int(std::nearbyint(double(s1 - s2) * double(alpha))), 0, 255));
    };
    return ch(int(a & 0xFF), int(b & 0xFF)) | ch(int(a >> 8 & 0xFF), int(b >> 8 & 0xFF)) << 8 |
           ch(int(a >> 16), int(b >> 16)) << 16;
}

}  // namespace

TEST(ZclAlpha, EnabledAndTheSummary)
{
    struct Case {
        TZCLFillStyle style;
        float strength;
        bool enabled;
        const char* summary;
    } const cases[] = {
        {sfNone, 0.6f, false, "{Disabled}"},
        {sfBrush, 0.6f, true, "{Enabled (brush), strength: 0.600}"},
        {sfBrush, 1.0f, false, "{Enabled (brush), strength: 1.000}"},  // a fill of no weight blends nothing
        {sfBitmap, 0.25f, true, "{Enabled (bmp), strength: 0.250}"},
        {sfBitmapList, 0.0f, true, "{Enabled (bmp), strength: 0.000}"},
        {sfGradient, 0.5f, true, "{Enabled (grad), strength: 0.500}"},
        {sfBrushBitmap, 0.125f, true, "{Enabled (), strength: 0.125}"},
    };
    for (const Case& c : cases) {
        TZCLAlphaObject alpha;
        EXPECT_FLOAT_EQ(alpha.Strength(), 0.6f);
        alpha.FillObject()->SetStyle(c.style);
        alpha.SetStrength(c.strength);
        EXPECT_EQ(alpha.Enabled(), c.enabled) << c.summary;
        EXPECT_EQ(std::string(alpha.GetSetStr()), c.summary);
        TZCLBitmapEffectObject fx;
        fx.AlphaBlend()->Assign(&alpha);
        EXPECT_EQ(fx.Enabled(), c.enabled);
        EXPECT_EQ(std::string(fx.GetSetStr()), c.enabled ? "{alpha}" : "{Disabled}");
    }
}

TEST(ZclAlpha, BlendsTheWholeBitmapWithTheFill)
{
    for (TPixelFormat f : {pf24bit, pf32bit}) {
        SCOPED_TRACE(int(f));
        TZCLAlphaObject alpha;
        BrushFill(alpha, FillGrey, 0.6f);
        auto b = MakeBitmap(5, 4, [](int x, int) { return x == 4 ? Rgb(200, 200, 200) : Coded(x, 0); });
        b->SetPixelFormat(f);
        alpha.AlphaBlend(b.get());
        EXPECT_EQ(b->PixelFormat(), pf24bit);
        EXPECT_EQ(Get(b.get(), 4, 3), Rgb(160, 160, 160));  // the last row and column too
        EXPECT_EQ(Get(b.get(), 0, 0), Blend(Coded(0, 0), FillGrey, 0.6f));
        EXPECT_EQ(Get(b.get(), 3, 3), Blend(Coded(3, 0), FillGrey, 0.6f));
    }
    // Without a fill nothing changes, not even the format.
    TZCLAlphaObject none;
    auto b = CodedBitmap(3, 3);
    b->SetPixelFormat(pf32bit);
    none.AlphaBlend(b.get());
    EXPECT_EQ(b->PixelFormat(), pf32bit);
    EXPECT_EQ(PixelOf(b.get(), 2, 2), Coded(2, 2));
    none.AlphaBlend(nullptr);
}

TEST(ZclAlpha, ControlBlendDrawsTheBlendedAreaOnACanvas)
{
    TZCLAlphaObject alpha;
    BrushFill(alpha, FillGrey, 0.5f);
    auto b = MakeBitmap(6, 6, [](int, int) { return Rgb(200, 0, 100); });
    Surface s(10, 10, 0x123456);
    alpha.ControlBlend(b.get(), TRect(1, 1, 5, 4), s.Canvas(), TRect(3, 3, 7, 6));
    EXPECT_EQ(s.At(3, 3), Rgb(150, 50, 100));
    EXPECT_EQ(s.At(6, 5), Rgb(150, 50, 100));
    EXPECT_EQ(s.At(7, 5), 0x123456u);
    EXPECT_EQ(s.At(2, 3), 0x123456u);
    EXPECT_EQ(Get(b.get(), 1, 1), Rgb(200, 0, 100));  // the bitmap itself is left as it was
}

TEST(ZclAlpha, TheEffectObjectBlendsAfterItsOtherEffectsAndHearsTheFillChange)
{
    TZCLBitmapEffectObject fx;
    ChangeCounter changes;
    fx.SetOnChange(TNotifyEvent(&changes, &ChangeCounter::Count));
    fx.SetBuffered(true);
    fx.SetInvert(true);
    BrushFill(*fx.AlphaBlend(), FillGrey, 0.6f);
    EXPECT_EQ(std::string(fx.GetSetStr()), "{alpha,INV}");
    auto b = CodedBitmap(4, 3);
    fx.Draw(b.get());
    EXPECT_TRUE(fx.BufferValid());
    for (auto [x, y] : {std::pair{0, 0}, {3, 2}, {1, 2}})
        EXPECT_EQ(Get(b.get(), x, y), Blend(Inverted(Coded(x, y)), FillGrey, 0.6f));

    // A change deep in the fill reaches the effect object's owner and drops the buffer.
    const int before = changes.n;
    fx.AlphaBlend()->FillObject()->Brush()->SetColor(clWhite);
    EXPECT_GT(changes.n, before);
    EXPECT_FALSE(fx.BufferValid());
    auto c = CodedBitmap(4, 3);
    fx.Draw(c.get());
    EXPECT_EQ(Get(c.get(), 3, 2), Blend(Inverted(Coded(3, 2)), 0xFFFFFF, 0.6f));

    // Assign copies the alpha object too.
    TZCLBitmapEffectObject copy;
    copy.Assign(&fx);
    EXPECT_EQ(copy.AlphaBlend()->FillObject()->Style(), sfBrush);
    EXPECT_FLOAT_EQ(copy.AlphaBlend()->Strength(), 0.6f);
    EXPECT_EQ(std::string(copy.GetSetStr()), "{alpha,INV}");
}

TEST(ZclAlpha, DrawCutRect2BlendsTheWorkAreaWithTheFillFromItsTopLeft)
{
    TZCLBitmapEffectObject fx;
    BrushFill(*fx.AlphaBlend(), FillGrey, 1.0f);  // not enabled, but a fill: blended at full weight, no change
    fx.AlphaBlend()->SetStrength(0.5f);
    auto source = MakeBitmap(8, 8, [](int, int) { return Rgb(200, 200, 200); });
    auto target = MakeBitmap(6, 5, [](int, int) { return 0u; });
    fx.DrawCutRect2(source.get(), TRect(0, 0, 6, 5), TRect(2, 1, 6, 5), target.get());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool worked = x >= 2 && y >= 1;
            EXPECT_EQ(Get(target.get(), x, y), worked ? Rgb(150, 150, 150) : Rgb(200, 200, 200)) << x << "," << y;
        }
}

TEST(ZclAlpha, TakesItsFillPictureFromAnImageListAndForgetsAFreedList)
{
    auto list = std::make_unique<TZCLBitmapList>(nullptr);
    list->Add();
    list->Add();
    auto red = MakeBitmap(4, 4, [](int, int) { return Rgb(255, 0, 0); });
    auto blue = MakeBitmap(4, 4, [](int, int) { return Rgb(0, 0, 255); });
    list->BitmapItem(0)->SetBitmap(red.get());
    list->BitmapItem(1)->SetBitmap(blue.get());

    TZCLAlphaObject alpha;
    ChangeCounter changes;
    alpha.SetOnChange(TNotifyEvent(&changes, &ChangeCounter::Count));
    alpha.FillObject()->SetStyle(sfBitmapList);
    alpha.FillObject()->SetTileMode(tmStretch);
    alpha.SetStrength(0.0f);  // all fill
    EXPECT_TRUE(alpha.IMLEmpty());
    alpha.SetImageList(list.get());
    EXPECT_EQ(alpha.ImageList(), list.get());
    EXPECT_FALSE(alpha.IMLEmpty());
    EXPECT_TRUE(alpha.HasControl());
    EXPECT_FALSE(alpha.CheckCont());
    auto blended = [&] {
        auto b = MakeBitmap(4, 4, [](int, int) { return 0u; });
        alpha.AlphaBlend(b.get());
        return Get(b.get(), 3, 3);
    };
    EXPECT_EQ(blended(), Rgb(255, 0, 0));

    // Each index write refreshes the picture; a bitmap list picks by list index.
    alpha.SetListIndex(1);
    EXPECT_EQ(blended(), Rgb(0, 0, 255));
    const int before = changes.n;
    alpha.SetListIndex(1);  // not compared: refreshed and told again
    EXPECT_GT(changes.n, before);
    // A change in the list reaches the picture.
    auto green = MakeBitmap(4, 4, [](int, int) { return Rgb(0, 255, 0); });
    list->BitmapItem(1)->SetBitmap(green.get());
    EXPECT_EQ(blended(), Rgb(0, 255, 0));
    // No such item: the picture is emptied, and the fill paints only its background.
    alpha.SetListIndex(7);
    EXPECT_TRUE(alpha.IMLEmpty());
    EXPECT_TRUE(alpha.FillObject()->ListBitmap()->Empty());

    // Assign registers the copy with the same list.
    alpha.SetListIndex(0);
    TZCLAlphaObject copy;
    copy.Assign(&alpha);
    EXPECT_EQ(copy.ImageList(), list.get());
    EXPECT_EQ(copy.ListIndex(), 0);

    list.reset();
    EXPECT_EQ(alpha.ImageList(), nullptr);
    EXPECT_EQ(copy.ImageList(), nullptr);
    EXPECT_TRUE(alpha.IMLEmpty());
    EXPECT_NO_THROW(alpha.SetListIndex(0));

    // A default list is no reference but an identifier.
    alpha.SetImageList(ZCLDefaultContainer()->BitmapList());
    EXPECT_TRUE(alpha.CheckCont());
    EXPECT_FALSE(alpha.HasControl());
    alpha.SetImageList(nullptr);
    EXPECT_FALSE(alpha.CheckCont());
    EXPECT_FALSE(alpha.HasControl());
}

namespace {

// A component whose background effects are stored with it.
class TFXHolder : public TComponent {
public:
    explicit TFXHolder(TComponent* owner) : TComponent(owner) {}
    TZCLBitmapEffectObject* BackFX() const { return fx_.get(); }
    void SetBackFX(TZCLBitmapEffectObject* value) { fx_->Assign(value); }

private:
    std::unique_ptr<TZCLBitmapEffectObject> fx_ = std::make_unique<TZCLBitmapEffectObject>();
};

const bool fxHolderRegistered = [] {
    PublishedProperties<TFXHolder>().Object("BackFX", &TFXHolder::BackFX, &TFXHolder::SetBackFX);
    RegisterClass(ClassOf<TFXHolder>());
    return true;
}();

}  // namespace

TEST(ZclAlpha, StoresADefaultListByItsIdentifierWithTheEffects)
{
    TMemoryStream s;
    {
        TFXHolder holder(nullptr);
        holder.SetName("Holder");
        holder.BackFX()->SetInvert(true);
        holder.BackFX()->SetBrightness(-20);
        TZCLAlphaObject* alpha = holder.BackFX()->AlphaBlend();
        alpha->FillObject()->SetStyle(sfBitmapList);
        alpha->SetStrength(0.25f);
        alpha->SetListIndex(0);
        alpha->SetImageList(ZCLDefaultContainer()->ImageList());
        s.WriteComponent(&holder);
    }
    const std::string stored(static_cast<const char*>(s.Memory()), std::size_t(s.Size()));
    EXPECT_NE(stored.find("ZCLIML30"), std::string::npos);
    EXPECT_EQ(stored.find("AlphaBlend.ImageList"), std::string::npos);  // not as a reference
    s.SetPosition(0);
    std::unique_ptr<TComponent> back(s.ReadComponent(nullptr));
    auto* holder = dynamic_cast<TFXHolder*>(back.get());
    ASSERT_NE(holder, nullptr);
    EXPECT_TRUE(holder->BackFX()->Invert());
    EXPECT_EQ(holder->BackFX()->Brightness(), -20);
    EXPECT_EQ(holder->BackFX()->AlphaBlend()->ImageList(), ZCLDefaultContainer()->ImageList());
    EXPECT_FLOAT_EQ(holder->BackFX()->AlphaBlend()->Strength(), 0.25f);
    EXPECT_EQ(holder->BackFX()->AlphaBlend()->FillObject()->Style(), sfBitmapList);
}

TEST(ZclAlpha, RepeatedBlendingKeepsGdiObjectsSteady)
{
    TZCLBitmapEffectObject fx;
    BrushFill(*fx.AlphaBlend(), FillGrey, 0.3f);
    fx.AlphaBlend()->FillObject()->Brush()->SetStyle(bsDiagCross);
    auto round = [&] {
        auto b = CodedBitmap(40, 30);
        fx.Draw(b.get());
        auto t = CodedBitmap(20, 20);
        fx.DrawCutRect2(b.get(), TRect(0, 0, 20, 20), TRect(1, 1, 19, 19), t.get());
        Surface s(20, 20);
        fx.AlphaBlend()->ControlBlend(b.get(), TRect(0, 0, 10, 10), s.Canvas(), TRect(0, 0, 10, 10));
        fx.AlphaBlend()->FillObject()->SetStyle(fx.AlphaBlend()->FillObject()->Style() == sfBrush ? sfGradient
                                                                                                  : sfBrush);
    };
    round();
    round();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 20; ++i) round();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

TEST(ZclBitmapEffectScreenshot, APictureUnderEachEffect)
{
    auto picture = [] {
        auto b = MakeBitmap(100, 70, [](int x, int y) { return Rgb(x * 2, y * 3, 255 - x * 2); });
        TCanvas* c = b->Canvas();
        c->Brush()->SetColor(clYellow);
        c->Pen()->SetColor(clBlack);
        c->Ellipse(10, 10, 50, 50);
        c->Brush()->SetColor(clRed);
        c->FillRect(TRect(60, 8, 92, 30));  // top right: shows which way a mirror went
        c->Font()->SetColor(clWhite);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(58, 44, "Ab");
        return b;
    };
    struct Tile {
        const char* name;
        std::function<void(TZCLBitmapEffectObject&)> set;
    } const tiles[] = {
        {"none", [](auto&) {}},
        {"FlipVertical", [](auto& e) { e.SetFlipVertical(true); }},
        {"FlipHorizontal", [](auto& e) { e.SetFlipHorizontal(true); }},
        {"GrayScale", [](auto& e) { e.SetGrayScale(true); }},
        {"Invert", [](auto& e) { e.SetInvert(true); }},
        {"Brightness +80", [](auto& e) { e.SetBrightness(80); }},
        {"Brightness -80", [](auto& e) { e.SetBrightness(-80); }},
        {"monochrome", [](auto& e) { e.SetMonochrome(true); }},
        {"alpha, brush 0.6", [](auto& e) { BrushFill(*e.AlphaBlend(), 0xFFFFFF, 0.6f); }},
        {"alpha, hatched 0.5",
         [](auto& e) {
             BrushFill(*e.AlphaBlend(), 0x008000, 0.5f);
             e.AlphaBlend()->FillObject()->Brush()->SetStyle(bsDiagCross);
         }},
    };
    Surface s(5 * 110 + 10, 2 * 95 + 10, Sys(COLOR_BTNFACE));
    for (std::size_t i = 0; i < std::size(tiles); ++i) {
        TZCLBitmapEffectObject fx;
        tiles[i].set(fx);
        auto b = picture();
        fx.Draw(b.get());
        const int x = 10 + int(i % 5) * 110, y = 10 + int(i / 5) * 95;
        s.Canvas()->Draw(x, y, b.get());
        s.Canvas()->Font()->SetColor(clBlack);
        s.Canvas()->Brush()->SetStyle(bsClear);
        s.Canvas()->TextOut(x, y + 72, tiles[i].name);
    }
    EXPECT_FALSE(testshot::Shot::OfDC(s.dc(), s.Width(), s.Height()).SaveArtifact("zcl-bitmap-effects").empty());
}
