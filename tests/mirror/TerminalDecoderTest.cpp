// The terminal side of the image stream, fed hand-made byte streams.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/TerminalDecoder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Kind = TerminalEvent::Kind;
using Problem = TerminalEvent::Problem;

// Builds PC-to-terminal streams byte by byte, the way the line carries them.
class Stream {
public:
    Stream& Raw(const Bytes& bytes)
    {
        for (uint8_t b : bytes)
            Put(b);
        return *this;
    }
    Stream& ReadStatus() { return Raw({0x10, 0x40, 0x05}); }
    // Entries as {r, g, b, flag}; index = position.
    Stream& Palette(const std::vector<std::array<uint8_t, 4>>& entries, int sumDelta = 0)
    {
        Put(0x10);
        sum_ = 0;
        Put(0x40), Put(0x03), Put16(uint16_t(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            Put16(uint16_t(i));
            for (uint8_t b : entries[i])
                Put(b);
        }
        return Sum(sumDelta);
    }
    Stream& Cursor(uint16_t x, uint16_t y, int sumDelta = 0)
    {
        Put(0x10);
        sum_ = 0;
        Put(0x40), Put(0x04), Put(0x06), Put16(x), Put16(y);
        return Sum(sumDelta);
    }
    Stream& Header(bool full, uint8_t tn, uint16_t height, uint16_t width)
    {
        sum_ = 0;
        Raw({0x10, 0x40, 0x01, 0x06, uint8_t(full ? 1 : 0), tn});
        Put16(height), Put16(width);
        return *this;
    }
    Stream& Line(int row) { return Raw({0x10, uint8_t(row < 256 ? 0x41 : 0x42), uint8_t(row & 0xFF)}); }
    Stream& Trailer(uint8_t tn, int sumDelta = 0)
    {
        Raw({0x10, 0x40, 0x02, 0x03, tn});
        return Sum(sumDelta);
    }
    // A whole frame of width x height whose every row is the given codes.
    Stream& Frame(bool full, uint8_t tn, int height, int width, const std::vector<Bytes>& rows)
    {
        Header(full, tn, uint16_t(height), uint16_t(width));
        for (size_t r = 0; r < rows.size(); ++r)
            Line(int(r)).Raw(rows[r]);
        return Trailer(tn);
    }
    const std::string& Text() const { return out_; }

private:
    void Put(uint8_t b)
    {
        out_ += char(b);
        sum_ = uint16_t(sum_ + b);
    }
    void Put16(uint16_t v) { Put(uint8_t(v >> 8)), Put(uint8_t(v)); }
    Stream& Sum(int delta)
    {
        const uint16_t s = uint16_t(sum_ + delta);
        out_ += char(s >> 8);
        out_ += char(s & 0xFF);
        return *this;
    }
    std::string out_;
    uint16_t sum_ = 0;
};

std::vector<std::array<uint8_t, 4>> GreyPalette()
{
    std::vector<std::array<uint8_t, 4>> entries;
    for (int i = 0; i < 256; ++i)
        entries.push_back({uint8_t(i), uint8_t(i), uint8_t(i), uint8_t(i == 0 ? 1 : i == 255 ? 2 : 0)});
    return entries;
}

// Row codes of a one-colour 640-pixel row, and of a row that copies all of the row above.
Bytes OneColourRow(uint8_t colour)
{
    Bytes row{colour};
    for (int i = 0; i < 10; ++i)
        row.insert(row.end(), {0x10, 0x3F});
    row.insert(row.end(), {0x10, 0x09});
    return row;
}

Bytes CopyRow()
{
    Bytes row;
    for (int i = 0; i < 10; ++i)
        row.insert(row.end(), {0x10, 0x7F});
    row.insert(row.end(), {0x10, 0x4A});
    return row;
}

// A full 640 x 480 frame of one colour, as the PC codes it.
Stream& OneColourFrame(Stream& s, uint8_t tn, uint8_t colour)
{
    s.Header(true, tn, 480, 640);
    s.Line(0).Raw(OneColourRow(colour));
    for (int r = 1; r < 480; ++r)
        s.Line(r).Raw(CopyRow());
    return s.Trailer(tn);
}

std::vector<TerminalEvent> Of(const std::vector<TerminalEvent>& events, Kind kind)
{
    std::vector<TerminalEvent> out;
    for (const TerminalEvent& e : events)
        if (e.kind == kind)
            out.push_back(e);
    return out;
}

bool Has(const TerminalDecoder& d, Problem problem)
{
    for (const TerminalEvent& e : d.Events())
        if (e.kind == Kind::Error && e.problem == problem)
            return true;
    return false;
}

Bytes RowOf(const TerminalPicture& p, int y, int width)
{
    return Bytes(p.Row(y), p.Row(y) + width);
}

} // namespace

TEST(TerminalDecoder, ReadStatusPaletteAndCursor)
{
    Stream s;
    s.ReadStatus().Palette({{0, 0, 0, 1}, {0x10, 0x40, 0x05, 0}, {255, 255, 255, 2}}).Cursor(0x1040, 0x0305).ReadStatus();
    TerminalDecoder d;
    d.Feed(s.Text());
    ASSERT_EQ(d.ErrorCount(), 0) << d.ErrorText();
    const auto& ev = d.Events();
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev[0].kind, Kind::ReadStatus);
    EXPECT_EQ(ev[1].kind, Kind::Palette);
    EXPECT_EQ(ev[1].count, 3);
    EXPECT_EQ(ev[2].kind, Kind::Cursor);  // the 10 40 inside the bodies are data, not messages
    EXPECT_EQ(ev[2].x, 0x1040);
    EXPECT_EQ(ev[2].y, 0x0305);
    EXPECT_EQ(ev[3].kind, Kind::ReadStatus);
    EXPECT_EQ(ev[3].offset, s.Text().size());
    const auto& pal = d.Picture().Palette();
    EXPECT_EQ(d.Picture().PaletteCount(), 3);
    EXPECT_EQ(pal[0], (TerminalColor{0, 0, 0, 1}));
    EXPECT_EQ(pal[1], (TerminalColor{0x10, 0x40, 0x05, 0}));
    EXPECT_EQ(pal[2], (TerminalColor{255, 255, 255, 2}));
    EXPECT_EQ(d.CursorX(), 0x1040);
}

TEST(TerminalDecoder, BadPaletteAndCursorAreReportedAndNotApplied)
{
    struct Case {
        const char* name;
        std::string bytes;
        Problem problem;
    };
    Stream badSum, badCursor, twoBlacks, twoWhites, badFlag, wrongIndex;
    badSum.Palette({{1, 2, 3, 0}, {4, 5, 6, 1}}, 1);
    badCursor.Cursor(10, 20, -1);
    twoBlacks.Palette({{0, 0, 0, 1}, {1, 1, 1, 1}});
    twoWhites.Palette({{0, 0, 0, 2}, {1, 1, 1, 2}});
    badFlag.Palette({{0, 0, 0, 3}});
    // Entry 1 carries index 2.
    wrongIndex.Raw({0x10, 0x40, 0x03, 0x00, 0x02, 0x00, 0x00, 1, 2, 3, 0, 0x00, 0x02, 4, 5, 6, 0});
    {
        uint16_t sum = 0;
        for (size_t i = 1; i < wrongIndex.Text().size(); ++i)
            sum = uint16_t(sum + uint8_t(wrongIndex.Text()[i]));
        wrongIndex.Raw({uint8_t(sum >> 8), uint8_t(sum)});
    }
    const Case cases[] = {
        {"palette sum", badSum.Text(), Problem::BadSum},
        {"cursor sum", badCursor.Text(), Problem::BadSum},
        {"two black entries", twoBlacks.Text(), Problem::BadPalette},
        {"two white entries", twoWhites.Text(), Problem::BadPalette},
        {"flag 3", badFlag.Text(), Problem::BadPalette},
        {"entry index", wrongIndex.Text(), Problem::BadPalette},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalDecoder d;
        d.Feed(c.bytes);
        Stream next;
        d.Feed(next.ReadStatus().Text());
        ASSERT_EQ(d.ErrorCount(), 1) << d.ErrorText();
        EXPECT_TRUE(Has(d, c.problem)) << d.ErrorText();
        EXPECT_EQ(d.Picture().PaletteCount(), 0);
        EXPECT_EQ(d.CursorX(), -1);
        EXPECT_TRUE(Of(d.Events(), Kind::Palette).empty());
        EXPECT_EQ(Of(d.Events(), Kind::ReadStatus).size(), 1u);  // the stream goes on in step
    }
}

TEST(TerminalDecoder, OneColourFullFrameAndRowHeaders)
{
    Stream s;
    s.Palette(GreyPalette());
    OneColourFrame(s, 1, 0x2C);
    TerminalDecoder d;
    d.Feed(s.Text());
    ASSERT_EQ(d.ErrorCount(), 0) << d.ErrorText();
    const auto frames = Of(d.Events(), Kind::Frame);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].ok);
    EXPECT_TRUE(frames[0].full);
    EXPECT_EQ(frames[0].transferNo, 1);
    EXPECT_EQ(frames[0].width, 640);
    EXPECT_EQ(frames[0].height, 480);
    TerminalPicture expected;
    expected.Fill(0x2C);
    EXPECT_EQ(d.Picture().FirstDifference(expected), "");

    // Rows 256 and 479 arrive as 10 42 00 and 10 42 DF: each row its own colour shows where it lands.
    Stream rows;
    rows.Palette(GreyPalette()).Header(true, 2, 480, 640);
    for (int r = 0; r < 480; ++r) {
        const uint8_t colour = uint8_t(0x20 + r % 200);
        rows.Line(r).Raw(OneColourRow(colour));
        std::fill(expected.Row(r), expected.Row(r) + 640, colour);
    }
    rows.Trailer(2);
    EXPECT_NE(rows.Text().find(std::string("\x10\x42\x00", 3)), std::string::npos);
    EXPECT_NE(rows.Text().find("\x10\x42\xDF"), std::string::npos);
    d.Feed(rows.Text());
    ASSERT_EQ(d.ErrorCount(), 0) << d.ErrorText();
    EXPECT_EQ(d.Picture().FirstDifference(expected), "");
}

// Small frames (8 pixels wide) keep the row codes readable; the rest of the picture is untouched.
TEST(TerminalDecoder, RowCodes)
{
    struct Case {
        const char* name;
        bool full;
        std::vector<Bytes> rows;
        std::vector<Bytes> expected;
    };
    // The picture before each case: row 0 = 1..8, row 1 = 9..16, from a full frame.
    const std::vector<Bytes> before{{1, 2, 3, 4, 5, 6, 7, 8}, {9, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x11}};
    const Case cases[] = {
        {"literals", true, {{1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}}, {}},
        {"escaped literals", true,
         {{0x10, 0x00, 0x10, 0x01, 0x10, 0x02, 0x20, 0x21, 0x22, 0x23, 0x24}, {1, 2, 3, 4, 5, 6, 7, 8}},
         {{0x10, 0x16, 0x1A, 0x20, 0x21, 0x22, 0x23, 0x24}, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"repeat by 16 and by 10 k", true, {{5, 0x16, 7, 0x10, 0x03, 0x09}, {0x10, 0x00, 0x10, 0x06, 0x33}},
         {{5, 5, 5, 7, 7, 7, 7, 9}, {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x33}}},
        {"escaped run heads", true, {{0x10, 0x01, 0x16, 0x10, 0x02, 0x10, 0x04}, {0x10, 0x00, 0x10, 0x07}},
         {{0x16, 0x16, 0x16, 0x1A, 0x1A, 0x1A, 0x1A, 0x1A}, {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10}}},
        {"copies from above", true, {{1, 2, 3, 4, 5, 6, 7, 8}, {0x1A, 0x30, 0x10, 0x43, 0x31, 0x32}},
         {{1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 0x30, 4, 5, 6, 0x31, 0x32}}},
        {"copy reads the new row above", true, {{0x40, 0x16, 0x41, 0x10, 0x04}, {0x1A, 0x10, 0x46}},
         {{0x40, 0x40, 0x40, 0x41, 0x41, 0x41, 0x41, 0x41}, {0x40, 0x40, 0x40, 0x41, 0x41, 0x41, 0x41, 0x41}}},
        {"skips keep the old pixels", false, {{0x10, 0x83, 0x50, 0x10, 0x84}, {0x51, 0x10, 0x87}},
         {{1, 2, 3, 0x50, 5, 6, 7, 8}, {0x51, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x11}}},
        {"copy over skipped pixels", false, {{0x10, 0x88}, {0x52, 0x1A, 0x10, 0x45}},
         {{1, 2, 3, 4, 5, 6, 7, 8}, {0x52, 2, 3, 4, 5, 6, 7, 8}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        s.Palette(GreyPalette()).Frame(true, 1, 2, 8, before);
        if (c.full)
            s.Palette(GreyPalette());
        s.Frame(c.full, 2, 2, 8, c.rows);
        TerminalDecoder d;
        d.Feed(s.Text());
        ASSERT_EQ(d.ErrorCount(), 0) << d.ErrorText();
        const auto frames = Of(d.Events(), Kind::Frame);
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_TRUE(frames[1].ok);
        const auto& expected = c.expected.empty() ? c.rows : c.expected;
        EXPECT_EQ(RowOf(d.Picture(), 0, 8), expected[0]);
        EXPECT_EQ(RowOf(d.Picture(), 1, 8), expected[1]);
        EXPECT_EQ(d.Picture().At(8, 0), 0);
        EXPECT_EQ(d.Picture().At(0, 2), 0);
    }
}

TEST(TerminalDecoder, LongSkipsAndUnchangedRowsInADifferentialFrame)
{
    Stream s;
    s.Palette(GreyPalette());
    OneColourFrame(s, 7, 0x33);
    // Row 0: skip 128 + 2, one pixel, skip 384 + 125 = 509 to the end. Row 1 left out (unchanged).
    // Row 2: 100 literal-run pixels, then skip 540 = 384 + 156.
    s.Header(false, 8, 480, 640);
    s.Line(0).Raw({0x10, 0x80, 0x02, 0x44, 0x10, 0x81, 0x7D});
    s.Line(2).Raw({0x45, 0x10, 0x3F, 0x10, 0x24, 0x10, 0x81, 0x9C});
    s.Trailer(8);
    TerminalDecoder d;
    d.Feed(s.Text());
    ASSERT_EQ(d.ErrorCount(), 0) << d.ErrorText();
    TerminalPicture expected;
    expected.Fill(0x33);
    expected.Set(130, 0, 0x44);
    std::fill(expected.Row(2), expected.Row(2) + 100, 0x45);
    EXPECT_EQ(d.Picture().FirstDifference(expected), "");
    const auto frames = Of(d.Events(), Kind::Frame);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_FALSE(frames[1].full);
    EXPECT_EQ(frames[1].transferNo, 8);
}

TEST(TerminalDecoder, KeepAliveHeaderLeavesThePicture)
{
    Stream s;
    s.Palette(GreyPalette());
    OneColourFrame(s, 255, 0x61);
    s.Header(false, 0, 0, 0).Trailer(0).Cursor(3, 4);  // 255 is followed by 0
    TerminalDecoder d;
    d.Feed(s.Text());
    ASSERT_EQ(d.ErrorCount(), 0) << d.ErrorText();
    const auto frames = Of(d.Events(), Kind::Frame);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[1].keepAlive);
    EXPECT_TRUE(frames[1].ok);
    EXPECT_EQ(frames[1].transferNo, 0);
    EXPECT_EQ(d.Picture().At(639, 479), 0x61);
    EXPECT_EQ(d.CursorX(), 3);
}

// Each fault is reported, the frame's trailer still gives a frame event (so the terminal can answer it)
// but marked failed, and the picture keeps what it showed before.
TEST(TerminalDecoder, FaultyFramesAreReportedAndNotShown)
{
    struct Case {
        const char* name;
        std::function<void(Stream&)> frame;
        Problem problem;
        bool frameEvent;
    };
    const Bytes row8{1, 2, 3, 4, 5, 6, 7, 8};
    const Case cases[] = {
        {"frame sum", [&](Stream& s) { s.Header(false, 2, 2, 8).Line(0).Raw(row8).Trailer(2, 1); },
         Problem::BadSum, true},
        {"sum off by 65536 is the same sum", nullptr, Problem::None, true},
        {"repeat without a pixel", [&](Stream& s) { s.Frame(false, 2, 2, 8, {{0x16, 1, 2, 3, 4, 5, 6}}); },
         Problem::BadFrame, true},
        {"copy on row 0", [&](Stream& s) { s.Frame(false, 2, 2, 8, {{0x10, 0x48}}); }, Problem::BadFrame, true},
        {"row past its width", [&](Stream& s) { s.Frame(false, 2, 2, 8, {{1, 0x10, 0x3F}}); }, Problem::BadFrame,
         true},
        {"row too short", [&](Stream& s) { s.Frame(false, 2, 2, 8, {{1, 2, 3}}); }, Problem::BadFrame, true},
        {"skip in a full frame",
         [&](Stream& s) { s.Palette(GreyPalette()).Frame(true, 2, 2, 8, {{0x10, 0x88}, row8}); },
         Problem::BadFrame, true},
        {"full frame missing a row", [&](Stream& s) { s.Palette(GreyPalette()).Frame(true, 2, 2, 8, {row8}); },
         Problem::BadFrame, true},
        {"rows out of order",
         [&](Stream& s) { s.Header(false, 2, 2, 8).Line(1).Raw(row8).Line(0).Raw(row8).Trailer(2); },
         Problem::BadFrame, true},
        {"row repeated",
         [&](Stream& s) { s.Header(false, 2, 2, 8).Line(1).Raw(row8).Line(1).Raw(row8).Trailer(2); },
         Problem::BadFrame, true},
        {"row beyond the height", [&](Stream& s) { s.Header(false, 2, 2, 8).Line(2).Raw(row8).Trailer(2); },
         Problem::BadFrame, true},
        {"pixels before a line header", [&](Stream& s) { s.Header(false, 2, 2, 8).Raw(row8).Trailer(2); },
         Problem::BadFrame, true},
        {"unknown code 10 82", [&](Stream& s) { s.Frame(false, 2, 2, 8, {{1, 2, 3, 4, 0x10, 0x82, 5, 6, 7, 8}}); },
         Problem::BadFrame, true},
        {"trailer of another transfer",
         // The sum is right for the bytes sent; only the number differs from the header's.
         [&](Stream& s) { s.Header(false, 2, 2, 8).Line(0).Raw(row8).Trailer(3); },
         Problem::BadFrame, true},
        {"larger than 640 x 480",
         [&](Stream& s) {
             s.Header(false, 2, 481, 641).Line(0).Raw({0x10, 0x81, 0xFF, 0x10, 0x81, 0x02}).Trailer(2);
         },
         Problem::BadFrame, true},
        {"cut by another message", [&](Stream& s) { s.Header(false, 2, 2, 8).Line(0).Raw({1, 2, 3}).ReadStatus(); },
         Problem::CutFrame, false},
        {"cut by the next frame",
         [&](Stream& s) { s.Header(false, 2, 2, 8).Line(0).Raw(row8).Frame(false, 3, 2, 8, {{0x10, 0x88}}); },
         Problem::CutFrame, true},
        {"unknown message in a frame",
         [&](Stream& s) { s.Header(false, 2, 2, 8).Line(0).Raw({1, 2, 0x10, 0x40, 0x09, 3, 4}).Trailer(2); },
         Problem::BadMessage, false},
        {"trailer without header", [&](Stream& s) { s.Trailer(2); }, Problem::BadMessage, false},
        {"transfer number out of sequence", [&](Stream& s) { s.Frame(false, 5, 2, 8, {{0x10, 0x88}}); },
         Problem::Sequence, true},
        {"full frame without palette", [&](Stream& s) { s.Frame(true, 2, 2, 8, {row8, row8}); },
         Problem::MissingPalette, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        s.Palette(GreyPalette()).Frame(true, 1, 2, 8, {{9, 9, 9, 9, 9, 9, 9, 9}, {9, 0x10, 0x07}});
        if (c.frame)
            c.frame(s);
        else
            s.Header(false, 2, 2, 8).Line(0).Raw(row8).Trailer(2, 65536);
        TerminalDecoder d;
        d.Feed(s.Text());
        const auto frames = Of(d.Events(), Kind::Frame);
        if (c.problem == Problem::None) {
            EXPECT_EQ(d.ErrorCount(), 0) << d.ErrorText();
            continue;
        }
        EXPECT_TRUE(Has(d, c.problem)) << d.ErrorText();
        ASSERT_GE(frames.size(), 1u);
        EXPECT_TRUE(frames[0].ok);
        if (c.problem == Problem::Sequence || c.problem == Problem::MissingPalette) {
            // Reported, but the picture itself came whole.
            ASSERT_EQ(frames.size(), 2u);
            EXPECT_TRUE(frames[1].ok);
            continue;
        }
        if (c.frameEvent) {
            ASSERT_GE(frames.size(), 2u);
            if (c.problem != Problem::CutFrame) {
                EXPECT_FALSE(frames[1].ok);
                EXPECT_FALSE(frames[1].text.empty());
            }
        } else {
            EXPECT_EQ(frames.size(), 1u);
        }
        EXPECT_EQ(RowOf(d.Picture(), 0, 8), Bytes(8, 9)) << "a faulty frame reached the picture";
    }
}

TEST(TerminalDecoder, GarbageIsReportedOnceAndTheNextMessageIsRead)
{
    Stream s;
    s.Raw({0x00, 0x41, 0x10, 0x10, 0x16, 0x10, 0x41, 0x05}).ReadStatus().Cursor(1, 2);
    TerminalDecoder d;
    d.Feed(s.Text());
    EXPECT_EQ(d.ErrorCount(), 1) << d.ErrorText();
    EXPECT_TRUE(Has(d, Problem::Garbage));
    EXPECT_EQ(Of(d.Events(), Kind::ReadStatus).size(), 1u);
    EXPECT_EQ(d.CursorX(), 1);
}

namespace {

std::string MixedStream()
{
    Stream s;
    s.ReadStatus().Palette(GreyPalette());
    OneColourFrame(s, 1, 0x77);
    s.Cursor(0x0102, 0x1040);
    s.Header(false, 2, 480, 640).Line(3).Raw({0x10, 0x00, 0x16, 0x10, 0x81, 0xFD}).Line(300);
    s.Raw({0x10, 0x02, 0x10, 0x02, 0x1A, 0x10, 0x50, 0x10, 0x80, 0x0F, 0x10, 0x81, 0x5D})
        .Trailer(2);
    s.Header(false, 3, 0, 0).Trailer(3).ReadStatus();
    return s.Text();
}

std::vector<int> Kinds(const std::vector<TerminalEvent>& events)
{
    std::vector<int> kinds;
    for (const TerminalEvent& e : events)
        kinds.push_back(int(e.kind));
    return kinds;
}

} // namespace

TEST(TerminalDecoder, PiecesOfAnySizeDecodeAlike)
{
    const std::string stream = MixedStream();
    TerminalDecoder whole;
    whole.Feed(stream);
    ASSERT_EQ(whole.ErrorCount(), 0) << whole.ErrorText();
    EXPECT_EQ(Kinds(whole.Events()),
              (std::vector<int>{int(Kind::ReadStatus), int(Kind::Palette), int(Kind::Frame), int(Kind::Cursor),
                                int(Kind::Frame), int(Kind::Frame), int(Kind::ReadStatus)}));
    EXPECT_EQ(whole.Picture().At(0, 3), 0x10);
    EXPECT_EQ(whole.Picture().At(3, 3), 0x77);
    EXPECT_EQ(whole.Picture().At(1, 300), 0x1A);
    EXPECT_EQ(whole.Picture().At(2, 300), 0x77);

    std::mt19937 random(4);
    for (int round = 0; round < 20; ++round) {
        TerminalDecoder pieces;
        for (size_t at = 0; at < stream.size();) {
            const size_t n = std::min(stream.size() - at, size_t(random() % (round < 2 ? 1 : 40) + 1));
            pieces.Feed(stream.data() + at, n);
            at += n;
        }
        ASSERT_EQ(pieces.ErrorCount(), 0) << pieces.ErrorText();
        ASSERT_EQ(Kinds(pieces.Events()), Kinds(whole.Events()));
        for (size_t i = 0; i < whole.Events().size(); ++i)
            ASSERT_EQ(pieces.Events()[i].offset, whole.Events()[i].offset);
        ASSERT_TRUE(pieces.Picture().SamePixels(whole.Picture()));
    }
}

TEST(TerminalDecoder, AStreamCutAnywhereNeverBreaksTheDecoder)
{
    const std::string stream = MixedStream();
    TerminalDecoder whole;
    whole.Feed(stream);
    for (size_t cut = 0; cut < stream.size(); cut += (cut < 1600 ? 1 : 7)) {
        TerminalDecoder d;
        d.Feed(stream.data(), cut);
        // What came before the cut is what the whole stream gave up to there.
        const auto before = d.Events();
        ASSERT_LE(before.size(), whole.Events().size());
        for (size_t i = 0; i < before.size(); ++i)
            ASSERT_EQ(before[i].kind, whole.Events()[i].kind) << "cut " << cut;
        ASSERT_EQ(d.ErrorCount(), 0) << "cut " << cut << "\n" << d.ErrorText();
        // Then the PC starts over; whatever the cut left, the decoder reads on to the end.
        d.Feed(stream);
        ASSERT_LE(cut + stream.size() - d.Offset(), 9u) << "cut " << cut;  // one message head may wait
    }
}

TEST(TerminalDecoder, RandomBytesNeverBreakTheDecoder)
{
    std::mt19937 random(11);
    const std::string good = MixedStream();
    TerminalDecoder d;
    size_t fed = 0;
    for (int round = 0; round < 40; ++round) {
        std::string noise(size_t(random() % 5000), '\0');
        for (char& c : noise) {
            const unsigned r = random() % 8;
            c = char(r == 0 ? 0x10 : r == 1 ? 0x40 : random());  // rich in DLE and message bytes
        }
        const std::string piece = good.substr(0, random() % good.size());
        d.Feed(noise);
        d.Feed(piece);
        fed += noise.size() + piece.size();
        d.TakeEvents();
    }
    EXPECT_LE(fed - d.Offset(), 9u);  // at most one message head waits for its rest
    d.Reset();
    d.Feed(good);
    EXPECT_EQ(d.ErrorCount(), 0) << d.ErrorText();
    EXPECT_EQ(d.Picture().At(0, 3), 0x10);
}
