// The image protocol encoder against a link stand-in that keeps every request it is handed, on 8-bit DIB
// sections whose pixels are the palette indices themselves.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "framework/runtime/Handles.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/FrameEncoder.h"
#include "FrameEncoderTestKit.h"

using namespace encodertest;

namespace {

// ---- golden rows ------------------------------------------------------------------------------------------

struct RowCase {
    const char* name;
    Bytes pixels;
    Bytes codes;  // after the line header
    int estimate;  // of the row's codes, line header excluded
};

Bytes Repeated(int n, BYTE value) { return Bytes(size_t(n), value); }

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Times(int n, const Bytes& part)
{
    Bytes all;
    for (int i = 0; i < n; ++i) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class FrameEncoderRowTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(FrameEncoderRowTest, OneRowFullFrameIsCodedExactly)
{
    const RowCase& c = GetParam();
    EncoderRig rig;
    Picture pic(int(c.pixels.size()), 1);
    pic.SetRow(0, c.pixels);
    rig.sink.sentNo = 6;
    const int count = rig.encoder.SendFullFrame(pic.Handle());

    const Bytes expected = FrameBytes(true, 7, 1, WORD(c.pixels.size()), Cat({{0x10, 0x41, 0x00}, c.codes}));
    EXPECT_EQ(Hex(rig.sink.Wire()), Hex(expected));
    EXPECT_EQ(count, 4 + c.estimate + 7);
    EXPECT_FALSE(rig.encoder.FrameAbandoned());
}

const RowCase RowCases[] = {
    {"EscapedLiterals", {0x10, 0x16, 0x1A, 0x20}, {0x10, 0x00, 0x10, 0x01, 0x10, 0x02, 0x20}, 2 + 2 + 2 + 1},
    {"TwoEqualPixelsAreTwoLiterals", {7, 7}, {7, 7}, 2},
    {"RunOfThree", {9, 9, 9}, {9, 0x16}, 0 + 2},
    {"RunOfThreeEscapedHead", {0x16, 0x16, 0x16}, {0x10, 0x01, 0x16}, 1 + 2},
    {"RunOfFourEscapedHead", Repeated(4, 0x10), {0x10, 0x00, 0x10, 0x03}, 1 + 2},
    {"RunOfSixtyThree", Repeated(63, 0x1A), {0x10, 0x02, 0x10, 0x3E}, 1 + 2},
    {"RunOfSixtyFour", Repeated(64, 1), {1, 0x10, 0x3F}, 2},
    {"RunOfSixtyFive", Repeated(65, 1), {1, 0x10, 0x3E, 0x16}, 3},
    {"RunOfSixtySix", Repeated(66, 1), {1, 0x10, 0x3F, 0x16}, 3},
    {"RunOfSixtySeven", Repeated(67, 1), {1, 0x10, 0x3F, 0x10, 0x03}, 4},
    {"RunOfOneHundredTwentyEight", Repeated(128, 1), {1, 0x10, 0x3F, 0x10, 0x3E, 0x16}, 2 + 3},
    {"RunOfOneHundredThirty", Repeated(130, 1), {1, 0x10, 0x3F, 0x10, 0x3F, 0x10, 0x03}, 6},
    {"RunOfOneHundredTwentySeven", Repeated(127, 1), {1, 0x10, 0x3F, 0x10, 0x3F}, 4},
    {"WholeRowRun", Repeated(640, 5), Cat({{5}, Times(10, {0x10, 0x3F}), {0x10, 0x09}}), 22},
    {"RunThenLiterals", {3, 3, 3, 3, 4, 3}, {3, 0x10, 0x03, 4, 3}, 2 + 1 + 1},
    {"RunAfterLiteral", {8, 0x10, 0x10, 0x10, 0x10, 0x10}, {8, 0x10, 0x00, 0x10, 0x04}, 1 + 1 + 2},
};

INSTANTIATE_TEST_SUITE_P(Rows, FrameEncoderRowTest, ::testing::ValuesIn(RowCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Copies from the row above: the second row's codes for a given pair of rows.
struct CopyCase {
    const char* name;
    Bytes top, second;
    Bytes codes;
};

class FrameEncoderCopyTest : public ::testing::TestWithParam<CopyCase> {};

TEST_P(FrameEncoderCopyTest, SecondRowCopiesFromAbove)
{
    const CopyCase& c = GetParam();
    EncoderRig rig;
    Picture pic(int(c.top.size()), 2);
    pic.SetRow(0, c.top);
    pic.SetRow(1, c.second);
    rig.encoder.SendFullFrame(pic.Handle());
    const Bytes stream = rig.sink.Wire();
    const Bytes rowHeader{0x10, 0x41, 0x01};
    auto at = std::search(stream.begin(), stream.end(), rowHeader.begin(), rowHeader.end());
    ASSERT_NE(at, stream.end());
    const Bytes codes(at + 3, stream.end() - 7);  // up to the trailer
    EXPECT_EQ(Hex(codes), Hex(c.codes));
}

const CopyCase CopyCases[] = {
    {"TwoFromAbove", {1, 2, 3}, {1, 2, 9}, {0x1A, 9}},
    {"OneFromAboveIsNotACopy", {1, 2, 3}, {1, 7, 7}, {1, 7, 7}},
    {"ThreeFromAbove", {1, 2, 3, 4}, {1, 2, 3, 8}, {0x10, 0x43, 8}},
    {"CopyBeforeRun", Repeated(8, 4), Cat({Repeated(2, 4), Repeated(6, 6)}), {0x1A, 6, 0x10, 0x05}},
    {"SixtyThreeAtMost", Repeated(70, 4), Repeated(70, 4), {0x10, 0x7F, 0x10, 0x47}},
    {"CopyOfEscapedPixels", {0x10, 0x16, 0x1A}, {0x10, 0x16, 0x1A}, {0x10, 0x43}},
};

INSTANTIATE_TEST_SUITE_P(Copies, FrameEncoderCopyTest, ::testing::ValuesIn(CopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Skips against the previous frame: one row, only the pixels named differ.
struct SkipCase {
    const char* name;
    int width;
    std::vector<int> changed;  // positions that differ from the previous frame
    Bytes codes;
    int estimate;
};

class FrameEncoderSkipTest : public ::testing::TestWithParam<SkipCase> {};

TEST_P(FrameEncoderSkipTest, UnchangedPixelsAreSkipped)
{
    const SkipCase& c = GetParam();
    EncoderRig rig;
    Picture before(c.width, 1, 0x30);
    Picture after(c.width, 1, 0x30);
    for (int x : c.changed) after.At(x, 0) = BYTE(0x40 + (x & 1));
    rig.encoder.SendFullFrame(before.Handle());
    rig.sink.Clear();
    const int count = rig.encoder.SendDifferentialFrame(after.Handle(), before.Handle());
    const Bytes expected = FrameBytes(false, 2, 1, WORD(c.width), Cat({{0x10, 0x41, 0x00}, c.codes}));
    EXPECT_EQ(Hex(rig.sink.Wire()), Hex(expected));
    EXPECT_EQ(count, 4 + c.estimate + 7);
}

const SkipCase SkipCases[] = {
    {"ThreeUnchanged", 4, {3}, {0x10, 0x83, 0x40 + 1}, 2 + 1},
    {"OneUnchangedIsCodedOtherwise", 4, {0, 2, 3}, {0x40, 0x30, 0x40, 0x41}, 4},
    {"TwoUnchangedAreLiterals", 3, {2}, {0x30, 0x30, 0x40}, 3},
    {"HundredTwentySeven", 128, {127}, {0x10, 0xFF, 0x41}, 2 + 1},
    {"HundredTwentyEight", 129, {128}, {0x10, 0x80, 0x00, 0x40}, 3 + 1},
    {"ThreeHundredEightyThree", 384, {383}, {0x10, 0x80, 0xFF, 0x41}, 3 + 1},
    {"ThreeHundredEightyFour", 385, {384}, {0x10, 0x81, 0x00, 0x40}, 3 + 1},
    {"SixHundredThirtyNine", 640, {639}, {0x10, 0x81, 0xFF, 0x41}, 3 + 1},
    {"SkipAfterChange", 640, {0}, {0x40, 0x10, 0x81, 0xFF}, 1 + 3},
};

INSTANTIATE_TEST_SUITE_P(Skips, FrameEncoderSkipTest, ::testing::ValuesIn(SkipCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- whole frames -----------------------------------------------------------------------------------------

TEST(FrameEncoderTest, OneColourFrameIsOneRunAndCopies)
{
    EncoderRig rig;
    Picture pic(640, 480, 0x21);
    const int count = rig.encoder.SendFullFrame(pic.Handle());

    Bytes rows = Cat({{0x10, 0x41, 0x00, 0x21}, Times(10, {0x10, 0x3F}), {0x10, 0x09}});
    for (int r = 1; r < 480; ++r) {
        const Bytes row = Cat({LineHeader(r), Times(10, {0x10, 0x7F}), {0x10, 0x4A}});
        rows.insert(rows.end(), row.begin(), row.end());
    }
    EXPECT_EQ(rig.sink.Wire(), FrameBytes(true, 1, 480, 640, rows));
    // Line headers count 4 each; the run 2 per code; the copies 2 per code; the trailer 7.
    EXPECT_EQ(count, 480 * (4 + 22) + 7);
    EXPECT_EQ(rig.sink.setNos, std::vector<BYTE>{1});
}

TEST(FrameEncoderTest, RowsPastTwoHundredFiftyFiveUseTheSecondLineHeader)
{
    EncoderRig rig;
    Picture pic(1, 480);
    for (int r = 0; r < 480; ++r) pic.At(0, r) = BYTE(0x30 + (r & 1));
    rig.encoder.SendFullFrame(pic.Handle());
    const Bytes stream = rig.sink.Wire();
    auto rowAt = [&](int r) { return Bytes(stream.begin() + 10 + 4 * r, stream.begin() + 14 + 4 * r); };
    EXPECT_EQ(Hex(rowAt(0)), Hex({0x10, 0x41, 0x00, 0x30}));
    EXPECT_EQ(Hex(rowAt(255)), Hex({0x10, 0x41, 0xFF, 0x31}));
    EXPECT_EQ(Hex(rowAt(256)), Hex({0x10, 0x42, 0x00, 0x30}));
    EXPECT_EQ(Hex(rowAt(479)), Hex({0x10, 0x42, 0xDF, 0x31}));
}

TEST(FrameEncoderTest, RequestsAreHeaderAloneRowsTogetherTrailerAlone)
{
    EncoderRig rig;
    Picture pic(640, 480);
    FillNoise(pic, 11, 0, 255);
    rig.encoder.SendFullFrame(pic.Handle());
    const auto& requests = rig.sink.requests;
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests.front().size(), 10u);
    EXPECT_EQ(Hex(Bytes(requests.front().begin(), requests.front().begin() + 4)), Hex({0x10, 0x40, 0x01, 0x06}));
    EXPECT_EQ(requests.back().size(), 7u);
    EXPECT_EQ(requests.back()[2], 0x02);
    for (size_t i = 1; i + 1 < requests.size(); ++i) {
        EXPECT_EQ(requests[i][0], 0x10) << "request " << i << " starts a row";
        EXPECT_TRUE(requests[i][1] == 0x41 || requests[i][1] == 0x42) << "request " << i;
    }
}

TEST(FrameEncoderTest, TransferNumberWrapsAfterTwoHundredFiftyFive)
{
    EncoderRig rig;
    Picture pic(2, 1, 3);
    rig.sink.sentNo = 255;
    rig.encoder.SendFullFrame(pic.Handle());
    EXPECT_EQ(Hex(rig.sink.Wire()), Hex(FrameBytes(true, 0, 1, 2, {0x10, 0x41, 0x00, 3, 3})));
    EXPECT_EQ(rig.sink.setNos, std::vector<BYTE>{0});
}

// ---- unchanged frames and the keep-alive ------------------------------------------------------------------

struct KeepAliveCase {
    DWORD last, now;
    bool keepAlive;
};

class FrameEncoderKeepAliveTest : public ::testing::TestWithParam<KeepAliveCase> {};

TEST_P(FrameEncoderKeepAliveTest, UnchangedFrameSendsOnlyTheKeepAlive)
{
    const KeepAliveCase c = GetParam();
    EncoderRig rig;
    Picture before(640, 480);
    FillNoise(before, 3, 0, 255);
    Picture after(640, 480);
    std::memcpy(after.Bits(), before.Bits(), size_t(after.Stride()) * 480);
    rig.encoder.SendFullFrame(before.Handle());
    rig.sink.Clear();
    rig.sink.sentNo = 41;

    DWORD now = c.now;
    rig.encoder.SetTickSource([&] { return now; });
    rig.encoder.SetLastTransferTick(c.last);
    const int count = rig.encoder.SendDifferentialFrame(after.Handle(), before.Handle());
    if (c.keepAlive) {
        ASSERT_EQ(rig.sink.requests.size(), 2u);
        EXPECT_EQ(Hex(rig.sink.requests[0]), Hex({0x10, 0x40, 0x01, 0x06, 0x00, 42, 0, 0, 0, 0}));
        EXPECT_EQ(Hex(rig.sink.Wire()), Hex(FrameBytes(false, 42, 0, 0, {})));
        EXPECT_EQ(count, 17);
        EXPECT_EQ(rig.sink.setNos, std::vector<BYTE>{42});
    } else {
        EXPECT_TRUE(rig.sink.requests.empty());
        EXPECT_EQ(count, 0);
        EXPECT_TRUE(rig.sink.setNos.empty());
    }
    EXPECT_FALSE(rig.encoder.FrameAbandoned());
    EXPECT_EQ(rig.sink.outstanding, 1) << "only the next request stays open";
}

INSTANTIATE_TEST_SUITE_P(Ticks, FrameEncoderKeepAliveTest,
                         ::testing::Values(KeepAliveCase{10000, 11999, false}, KeepAliveCase{10000, 12000, true},
                                           KeepAliveCase{10000, 10000, false},
                                           KeepAliveCase{0xFFFFFF00u, 0x000006D0u, true},    // 2000 across the wrap
                                           KeepAliveCase{0xFFFFFF00u, 0x000006CFu, false}));

// ---- messages ---------------------------------------------------------------------------------------------

TEST(FrameEncoderTest, ReadStatusIsItsOwnRequestAndLeavesNoneOpen)
{
    EncoderRig rig;
    rig.encoder.FlushBuffer(false);
    EXPECT_EQ(rig.encoder.SendReadStatus(), 3);
    ASSERT_EQ(rig.sink.requests.size(), 1u);
    EXPECT_EQ(Hex(rig.sink.requests[0]), Hex({0x10, 0x40, 0x05}));
    EXPECT_EQ(rig.encoder.CurrentRequest(), nullptr);
    EXPECT_EQ(rig.sink.outstanding, 0);
}

TEST(FrameEncoderTest, PaletteMessageIsHeadEntriesAndSumEachAlone)
{
    EncoderRig rig;
    KvPalette256 palette;
    palette.SetCount(256);
    for (int i = 0; i < 256; ++i) palette.SetEntry(i, PALETTEENTRY{BYTE(i), BYTE(255 - i), BYTE(i ^ 0x5A), 0});
    // Exact black and white somewhere in the middle.
    palette.SetEntry(7, PALETTEENTRY{0, 0, 0, 0});
    palette.SetEntry(200, PALETTEENTRY{255, 255, 255, 0});
    rig.rows.palette = &palette;
    rig.rows.dirty = true;

    EXPECT_EQ(rig.encoder.SendPalette(palette), 6 + 6 * 256);
    const auto& requests = rig.sink.requests;
    ASSERT_EQ(requests.size(), 258u);
    EXPECT_EQ(Hex(requests[0]), Hex({0x10, 0x40, 0x03, 0x01, 0x00}));
    unsigned sum = 0x40 + 0x03 + 0x01 + 0x00;
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& e = palette.Entry(i);
        const BYTE flag = i == 7 ? 1 : i == 200 ? 2 : 0;
        const Bytes entry{BYTE(i >> 8), BYTE(i), e.peRed, e.peGreen, e.peBlue, flag};
        ASSERT_EQ(Hex(requests[1 + i]), Hex(entry)) << "entry " << i;
        for (BYTE b : entry) sum += b;
    }
    EXPECT_EQ(Hex(requests[257]), Hex({BYTE(sum >> 8), BYTE(sum)}));
    EXPECT_FALSE(rig.rows.dirty);
}

TEST(FrameEncoderTest, EmptyPaletteSendsNothing)
{
    EncoderRig rig;
    KvPalette256 palette;
    palette.SetCount(0);
    rig.rows.dirty = true;
    EXPECT_EQ(rig.encoder.SendPalette(palette), 0);
    EXPECT_TRUE(rig.sink.requests.empty());
    EXPECT_TRUE(rig.rows.dirty);
}

TEST(FrameEncoderTest, EveryFullFrameCarriesThePaletteDifferentialOnlyWhenDirty)
{
    EncoderRig rig;
    KvPalette256 palette;
    palette.SetCount(2);
    palette.SetEntry(0, PALETTEENTRY{255, 255, 255, 0});
    palette.SetEntry(1, PALETTEENTRY{0, 0, 0, 0});
    rig.rows.palette = &palette;
    Picture a(4, 2, 0), b(4, 2, 1);

    const Bytes paletteBytes{0x10, 0x40, 0x03, 0x00, 0x02, 0, 0, 255, 255, 255, 2, 0, 1, 0, 0, 0, 1};
    auto withSum = [](Bytes m) {
        unsigned sum = 0;
        for (size_t i = 1; i < m.size(); ++i) sum += m[i];
        m.push_back(BYTE(sum >> 8));
        m.push_back(BYTE(sum));
        return m;
    };
    for (int round = 0; round < 2; ++round) {
        rig.sink.Clear();
        rig.rows.dirty = false;
        const int count = rig.encoder.SendFullFrame(a.Handle());
        const Bytes stream = rig.sink.Wire();
        ASSERT_GE(stream.size(), 19u);
        EXPECT_EQ(Hex(Bytes(stream.begin(), stream.begin() + 19)), Hex(withSum(paletteBytes)));
        EXPECT_EQ(count, 4 + 2 + 4 + 2 + 7) << "the palette is not counted";
    }
    rig.sink.Clear();
    rig.encoder.SendDifferentialFrame(b.Handle(), a.Handle());
    EXPECT_EQ(rig.sink.Wire()[2], 0x01) << "no palette before a clean differential frame";
    rig.sink.Clear();
    rig.rows.dirty = true;
    rig.encoder.SendDifferentialFrame(a.Handle(), b.Handle());
    EXPECT_EQ(rig.sink.Wire()[2], 0x03);
    EXPECT_FALSE(rig.rows.dirty);
}

TEST(FrameEncoderTest, CursorMessageOnlyWhenMovedAndWanted)
{
    EncoderRig rig;
    EXPECT_EQ(rig.encoder.SendCursorPosition(), 0);
    EXPECT_TRUE(rig.sink.requests.empty());

    rig.sink.moves.push_back(POINT{0x0123, 0x01DF});
    EXPECT_EQ(rig.encoder.SendCursorPosition(), 10);
    const unsigned sum = 0x40 + 0x04 + 0x06 + 0x01 + 0x23 + 0x01 + 0xDF;
    ASSERT_EQ(rig.sink.requests.size(), 1u);
    EXPECT_EQ(Hex(rig.sink.requests[0]),
              Hex({0x10, 0x40, 0x04, 0x06, 0x01, 0x23, 0x01, 0xDF, BYTE(sum >> 8), BYTE(sum)}));

    rig.sink.Clear();
    rig.sink.moves.push_back(POINT{-1, 0x10000 + 5});
    rig.encoder.SendCursorPosition();
    ASSERT_EQ(rig.sink.requests.size(), 1u);
    EXPECT_EQ(Hex(Bytes(rig.sink.requests[0].begin() + 4, rig.sink.requests[0].begin() + 8)),
              Hex({0xFF, 0xFF, 0x00, 0x05}))
        << "low 16 bits";

    rig.sink.Clear();
    rig.encoder.SetTransferMouseToTerminal(false);
    rig.sink.moves.push_back(POINT{1, 1});
    EXPECT_EQ(rig.encoder.SendCursorPosition(), 0);
    EXPECT_TRUE(rig.sink.requests.empty());
}

TEST(FrameEncoderTest, CursorFollowsTheFrameEvenWhenNothingElseWasSent)
{
    EncoderRig rig;
    Picture pic(8, 8, 1);
    rig.encoder.SendFullFrame(pic.Handle());
    rig.sink.Clear();
    DWORD now = 5000;
    rig.encoder.SetTickSource([&] { return now; });
    rig.encoder.SetLastTransferTick(4000);
    rig.sink.moves.push_back(POINT{10, 20});
    EXPECT_EQ(rig.encoder.SendDifferentialFrame(pic.Handle(), pic.Handle()), 0) << "the cursor is not counted";
    ASSERT_EQ(rig.sink.requests.size(), 1u);
    EXPECT_EQ(rig.sink.requests[0][2], 0x04);
}

// ---- request room -----------------------------------------------------------------------------------------

// A row of 768 bytes leaves exactly 1280 free, so the request stays open; the next row of escaped literals
// needs 1283.
Picture TightPicture()
{
    Picture pic(640, 480);
    const BYTE escapes[3] = {0x10, 0x16, 0x1A};
    for (int r = 0; r < 480; ++r) {
        const bool tight = r % 2 == 0;
        for (int x = 0; x < 640; ++x) {
            if (tight)
                pic.At(x, r) = x < 377 ? escapes[x % 3] : 0x20;
            else
                pic.At(x, r) = escapes[(x + 1) % 3];
        }
    }
    return pic;
}

TEST(FrameEncoderTest, EscapedRowsNeverOverrunARequest)
{
    EncoderRig rig;
    Picture pic = TightPicture();
    const int count = rig.encoder.SendFullFrame(pic.Handle());
    const auto& requests = rig.sink.requests;
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[1].size(), 768u) << "the tight row stands alone: 1283 more would not fit";
    EXPECT_EQ(requests[2].size(), 1283u);
    for (size_t i = 0; i < requests.size(); ++i) EXPECT_LE(requests[i].size(), 2048u) << "request " << i;
    EXPECT_EQ(rig.sink.guardDamage, 0);

    // The bytes on the wire are those of the rows in order, whatever the requests.
    Bytes rows;
    auto add = [&rows](const Bytes& b) { rows.insert(rows.end(), b.begin(), b.end()); };
    for (int r = 0; r < 480; ++r) {
        add(LineHeader(r));
        if (r % 2 == 0) {
            for (int x = 0; x < 377; ++x) add({0x10, BYTE(x % 3)});
            add(Cat({{0x20}, Times(4, {0x10, 0x3F}), {0x10, 0x0A}}));
        } else {
            for (int x = 0; x < 640; ++x) add({0x10, BYTE((x + 1) % 3)});
        }
    }
    EXPECT_EQ(rig.sink.Wire(), FrameBytes(true, 1, 480, 640, rows));
    EXPECT_EQ(count, 240 * (4 + 754 + 0 + 10) + 240 * (4 + 1280) + 7);
}

TEST(FrameEncoderTest, RandomEscapedPicturesStayWithinTheirRequests)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        EncoderRig rig;
        Picture before(640, 480), after(640, 480);
        FillEscapeHeavy(before, seed);
        FillEscapeHeavy(after, seed * 7919u);
        rig.encoder.SendFullFrame(before.Handle());
        rig.encoder.SendDifferentialFrame(after.Handle(), before.Handle());
        for (const Bytes& r : rig.sink.requests) ASSERT_LE(r.size(), 2048u) << "seed " << seed;
        EXPECT_EQ(rig.sink.guardDamage, 0) << "seed " << seed;
    }
}

// ---- abandoned frames -------------------------------------------------------------------------------------

TEST(FrameEncoderTest, UnreducibleRowAbandonsTheFrameWithoutATrailer)
{
    EncoderRig rig;
    Picture pic(640, 480);
    FillNoise(pic, 5, 0, 255);
    rig.rows.failAtRow = 100;
    rig.sink.sentNo = 9;
    rig.sink.moves.push_back(POINT{1, 2});
    rig.encoder.SendFullFrame(pic.Handle());
    EXPECT_TRUE(rig.encoder.FrameAbandoned());
    EXPECT_TRUE(rig.encoder.StopRequested());
    EXPECT_TRUE(rig.sink.setNos.empty()) << "the frame was never whole";
    const Bytes stream = rig.sink.Wire();
    ASSERT_FALSE(stream.empty());
    EXPECT_EQ(stream[2], 0x01);
    const Bytes trailer{0x10, 0x40, 0x02, 0x03};
    EXPECT_EQ(std::search(stream.begin(), stream.end(), trailer.begin(), trailer.end()), stream.end());
    const Bytes lastRow = LineHeader(99), cut = LineHeader(100);
    EXPECT_NE(std::search(stream.begin(), stream.end(), lastRow.begin(), lastRow.end()), stream.end());
    EXPECT_EQ(std::search(stream.begin(), stream.end(), cut.begin(), cut.end()), stream.end());
}

TEST(FrameEncoderTest, UnreducibleFirstRowSendsNothing)
{
    EncoderRig rig;
    Picture pic(16, 16, 1);
    rig.rows.failAtRow = 0;
    DWORD now = 100000;
    rig.encoder.SetTickSource([&] { return now; });
    EXPECT_EQ(rig.encoder.SendFullFrame(pic.Handle()), 0);
    EXPECT_TRUE(rig.sink.requests.empty()) << "not even a keep-alive";
    EXPECT_TRUE(rig.encoder.StopRequested());
    EXPECT_TRUE(rig.encoder.FrameAbandoned());
}

TEST(FrameEncoderTest, NoRequestToBeHadAbandonsTheFrame)
{
    for (int allowed : {0, 1, 2, 5}) {
        EncoderRig rig;
        Picture pic = TightPicture();
        rig.sink.allow = allowed;
        rig.encoder.SendFullFrame(pic.Handle());
        EXPECT_TRUE(rig.encoder.FrameAbandoned()) << allowed;
        EXPECT_FALSE(rig.encoder.StopRequested()) << allowed;
        EXPECT_TRUE(rig.sink.setNos.empty()) << allowed;
        const Bytes stream = rig.sink.Wire();
        const Bytes trailer{0x10, 0x40, 0x02, 0x03};
        EXPECT_EQ(std::search(stream.begin(), stream.end(), trailer.begin(), trailer.end()), stream.end());
        for (const Bytes& r : rig.sink.requests) EXPECT_LE(r.size(), 2048u);

        // Requests come back: the next frame goes whole.
        rig.sink.allow = -1;
        rig.sink.Clear();
        rig.encoder.SendFullFrame(pic.Handle());
        EXPECT_FALSE(rig.encoder.FrameAbandoned());
        EXPECT_EQ(rig.sink.setNos.size(), 1u);
    }
}

TEST(FrameEncoderTest, PaletteThatCannotGoAbandonsTheFullFrameAndStaysDirty)
{
    EncoderRig rig;
    KvPalette256 palette;
    palette.SetCount(16);
    rig.rows.palette = &palette;
    rig.rows.dirty = true;
    rig.sink.allow = 3;
    Picture pic(4, 4, 2);
    EXPECT_EQ(rig.encoder.SendFullFrame(pic.Handle()), 0);
    EXPECT_TRUE(rig.encoder.FrameAbandoned());
    EXPECT_TRUE(rig.rows.dirty);
    const Bytes stream = rig.sink.Wire();
    const Bytes header{0x10, 0x40, 0x01};
    EXPECT_EQ(std::search(stream.begin(), stream.end(), header.begin(), header.end()), stream.end());
}

TEST(FrameEncoderTest, MismatchedOrUnreadableFramesSendNothing)
{
    EncoderRig rig;
    Picture a(640, 480, 1), b(640, 479, 1), c(639, 480, 1);
    EXPECT_EQ(rig.encoder.SendDifferentialFrame(a.Handle(), b.Handle()), 0);
    EXPECT_TRUE(rig.encoder.FrameAbandoned());
    EXPECT_EQ(rig.encoder.SendDifferentialFrame(a.Handle(), c.Handle()), 0);
    EXPECT_EQ(rig.encoder.SendDifferentialFrame(a.Handle(), nullptr), 0);
    EXPECT_EQ(rig.encoder.SendFullFrame(nullptr), 0);
    Picture wide(641, 2, 1), tall(2, 481, 1);
    EXPECT_EQ(rig.encoder.SendFullFrame(wide.Handle()), 0);
    EXPECT_EQ(rig.encoder.SendFullFrame(tall.Handle()), 0);
    EXPECT_TRUE(rig.sink.requests.empty());
}

// ---- the section record -----------------------------------------------------------------------------------

TEST(GetDIBSectionInfoTest, ReadsSectionsOnly)
{
    DIBSECTION ds;
    EXPECT_FALSE(GetDIBSectionInfo(nullptr, ds));

    WindowDC screen(nullptr);
    BitmapHandle ddb(CreateCompatibleBitmap(screen.get(), 8, 8));
    ASSERT_TRUE(ddb);
    EXPECT_FALSE(GetDIBSectionInfo(ddb.get(), ds)) << "a device bitmap has no pixels of ours";

    Picture pic(640, 480);
    ASSERT_TRUE(GetDIBSectionInfo(pic.Handle(), ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 640);
    EXPECT_EQ(std::abs(ds.dsBm.bmHeight), 480);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 8);
    EXPECT_EQ(ds.dsBm.bmBits, pic.Bits());
}

struct MaskCase {
    WORD bits;
    DWORD masks[3];
    DWORD expected[3];
};

class GetDIBSectionMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(GetDIBSectionMaskTest, BitFieldSectionsHaveMasks)
{
    const MaskCase c = GetParam();
    BitmapHandle section = MakeBitfieldSection(c.bits, c.masks);
    ASSERT_TRUE(section);
    DIBSECTION ds;
    ASSERT_TRUE(GetDIBSectionInfo(section.get(), ds));
    ASSERT_EQ(ds.dsBmih.biCompression, DWORD(BI_BITFIELDS));
    EXPECT_EQ(ds.dsBitfields[0], c.expected[0]);
    EXPECT_EQ(ds.dsBitfields[1], c.expected[1]);
    EXPECT_EQ(ds.dsBitfields[2], c.expected[2]);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, GetDIBSectionMaskTest,
    ::testing::Values(MaskCase{16, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07E0, 0x001F}},
                      MaskCase{16, {0x7C00, 0x03E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}},
                      MaskCase{32, {0xFF0000, 0x00FF00, 0x0000FF}, {0xFF0000, 0x00FF00, 0x0000FF}}));

// ---- the estimate -----------------------------------------------------------------------------------------

TEST(FrameEncoderTest, EstimateIsTheDocumentedCountNotTheByteCount)
{
    // Row 0: 0x10 escaped literal (2), run of five 0x16 (escaped head 1, 10 04: 2), 7 literal (1).
    // Row 1: seven copied from above (2). Line headers 4 each, trailer 7. The frame header is not counted.
    EncoderRig rig;
    Picture pic(7, 2);
    pic.SetRow(0, {0x10, 0x16, 0x16, 0x16, 0x16, 0x16, 7});
    pic.SetRow(1, {0x10, 0x16, 0x16, 0x16, 0x16, 0x16, 7});
    const int count = rig.encoder.SendFullFrame(pic.Handle());
    EXPECT_EQ(count, 4 + 2 + 3 + 1 + 4 + 2 + 7);
    const Bytes rows{0x10, 0x41, 0x00, 0x10, 0x00, 0x10, 0x01, 0x10, 0x04, 7, 0x10, 0x41, 0x01, 0x10, 0x47};
    EXPECT_EQ(Hex(rig.sink.Wire()), Hex(FrameBytes(true, 1, 2, 7, rows)));
}

}  // namespace
