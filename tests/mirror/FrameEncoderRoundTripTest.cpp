// Frames from the encoder, read back by the terminal stand-in's decoder (written on its own from the protocol):
// the picture the terminal shows must be the indices that were encoded, for random and for drawn pictures.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FrameEncoderTestKit.h"
#include "support/TerminalDecoder.h"
#include "framework/runtime/Handles.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/ColorReduction.h"
#include "mirror/FrameEncoder.h"

using namespace encodertest;
using Kind = TerminalEvent::Kind;

namespace {

// The indices of a section's first 640 x 480 bytes-per-pixel rows, as the terminal should show them.
std::string DifferenceFrom(const TerminalPicture& shown, const DIBSECTION& ds)
{
    for (int y = 0; y < 480; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(ds.dsBm.bmBits) + std::ptrdiff_t(ds.dsBm.bmWidthBytes) * y;
        for (int x = 0; x < 640; ++x)
            if (shown.At(x, y) != row[x])
                return std::to_string(x) + "," + std::to_string(y) + ": shown " + std::to_string(shown.At(x, y)) +
                       ", sent " + std::to_string(row[x]);
    }
    return "";
}

DIBSECTION SectionOf(HBITMAP bitmap)
{
    DIBSECTION ds{};
    GetObjectA(bitmap, sizeof ds, &ds);
    return ds;
}

// Feeds what the encoder queued since the last call, one request at a time, as the writer sends them.
struct Terminal {
    TerminalDecoder decoder;
    size_t fed = 0;
    std::vector<TerminalEvent> Take(const RecordingSink& sink)
    {
        for (; fed < sink.requests.size(); ++fed) decoder.Feed(sink.requests[fed].data(), sink.requests[fed].size());
        return decoder.TakeEvents();
    }
};

std::vector<TerminalEvent> Frames(const std::vector<TerminalEvent>& events)
{
    std::vector<TerminalEvent> frames;
    for (const TerminalEvent& e : events)
        if (e.kind == Kind::Frame) frames.push_back(e);
    return frames;
}

void SetTestPalette(KvPalette256& palette)
{
    palette.SetCount(256);
    for (int i = 0; i < 256; ++i) palette.SetEntry(i, PALETTEENTRY{BYTE(i), BYTE(i * 7), BYTE(255 - i), 0});
}

// The next picture from the last: rectangles of one index (escape values among them), noise strips, rows that
// repeat the row above, and stretches left as they were.
void Mutate(Picture& pic, std::uint32_t& seed)
{
    const int edits = 1 + int(NextRandom(seed) % 12);
    for (int e = 0; e < edits; ++e) {
        const int kind = int(NextRandom(seed) % 4);
        const int x0 = int(NextRandom(seed) % 640), y0 = int(NextRandom(seed) % 480);
        const int w = 1 + int(NextRandom(seed) % 300), h = 1 + int(NextRandom(seed) % 120);
        const BYTE escapes[4] = {0x10, 0x16, 0x1A, BYTE(NextRandom(seed))};
        const BYTE value = escapes[NextRandom(seed) % 4];
        for (int y = y0; y < y0 + h && y < 480; ++y)
            for (int x = x0; x < x0 + w && x < 640; ++x) {
                if (kind == 0) pic.At(x, y) = value;
                else if (kind == 1) pic.At(x, y) = BYTE(NextRandom(seed) % 5 == 0 ? escapes[NextRandom(seed) % 3]
                                                                                  : NextRandom(seed));
                else if (kind == 2 && y > 0) pic.At(x, y) = pic.At(x, y - 1);
                else if (kind == 3 && (x + y) % 3 == 0) pic.At(x, y) = value;
            }
    }
}

TEST(FrameEncoderRoundTrip, RandomPicturesFullAndDifferential)
{
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        EncoderRig rig;
        KvPalette256 palette;
        SetTestPalette(palette);
        rig.rows.palette = &palette;
        DWORD now = 50000;
        rig.encoder.SetTickSource([&] { return now; });
        Terminal terminal;

        // Two sections take turns as current and previous frame, as the capture thread's do.
        Picture a(640, 480), b(640, 480);
        FillNoise(a, seed, 0, 255);
        Picture* current = &a;
        Picture* previous = nullptr;
        std::uint32_t state = seed * 2654435761u;
        bool same = false;  // the picture is the one before
        for (int frame = 0; frame < 10; ++frame) {
            SCOPED_TRACE("frame " + std::to_string(frame));
            const bool full = !previous || frame % 4 == 0;
            const int count = full ? rig.encoder.SendFullFrame(current->Handle())
                                   : rig.encoder.SendDifferentialFrame(current->Handle(), previous->Handle());
            const auto events = terminal.Take(rig.sink);
            ASSERT_EQ(terminal.decoder.ErrorCount(), 0) << terminal.decoder.ErrorText();
            const auto frames = Frames(events);
            if (count == 0) {
                EXPECT_TRUE(same && !full);
                EXPECT_TRUE(frames.empty()) << "an unchanged frame within the keep-alive time sends nothing";
            } else {
                ASSERT_EQ(frames.size(), 1u);
                EXPECT_TRUE(frames[0].ok) << frames[0].text;
                EXPECT_EQ(frames[0].full, full);
                EXPECT_EQ(frames[0].transferNo, rig.sink.sentNo);
                EXPECT_EQ(frames[0].keepAlive, same && !full);
                if (same && !full) {
                    EXPECT_EQ(count, 17);
                }
            }
            EXPECT_EQ(DifferenceFrom(terminal.decoder.Picture(), SectionOf(current->Handle())), "");
            for (const Bytes& r : rig.sink.requests) ASSERT_LE(r.size(), 2048u);
            EXPECT_EQ(rig.sink.guardDamage, 0);
            if (count) rig.encoder.SetLastTransferTick(now);

            // The next picture: usually changed, now and then the same, first with the keep-alive due
            // (2500 ms after an odd frame), then without (300 ms after an even one).
            Picture* next = current == &a ? &b : &a;
            std::memcpy(next->Bits(), current->Bits(), size_t(next->Stride()) * 480);
            same = frame % 4 == 1 || frame % 4 == 2;
            if (!same) Mutate(*next, state);
            now += frame % 2 ? 2500 : 300;
            previous = current;
            current = next;
        }
    }
}

TEST(FrameEncoderRoundTrip, EscapedLiteralPicturesDecodeWhole)
{
    EncoderRig rig;
    KvPalette256 palette;
    SetTestPalette(palette);
    rig.rows.palette = &palette;
    Terminal terminal;
    Picture pic(640, 480);
    FillEscapeHeavy(pic, 99);
    rig.encoder.SendFullFrame(pic.Handle());
    terminal.Take(rig.sink);
    EXPECT_EQ(terminal.decoder.ErrorCount(), 0) << terminal.decoder.ErrorText();
    EXPECT_EQ(DifferenceFrom(terminal.decoder.Picture(), SectionOf(pic.Handle())), "");
    const TerminalColor& seven = terminal.decoder.Picture().Palette()[7];
    EXPECT_EQ(seven.red, 7);
    EXPECT_EQ(seven.green, 49);
    EXPECT_EQ(seven.blue, 248);
}

TEST(FrameEncoderRoundTrip, AbandonedFrameIsNeverShown)
{
    EncoderRig rig;
    KvPalette256 palette;
    SetTestPalette(palette);
    rig.rows.palette = &palette;
    Terminal terminal;
    Picture first(640, 480, 1), second(640, 480);
    FillNoise(second, 4, 0, 255);
    rig.encoder.SendFullFrame(first.Handle());
    terminal.Take(rig.sink);
    ASSERT_EQ(terminal.decoder.ErrorCount(), 0);

    rig.rows.failAtRow = 300;
    rig.encoder.SendFullFrame(second.Handle());
    auto frames = Frames(terminal.Take(rig.sink));
    EXPECT_TRUE(frames.empty()) << "no trailer, so no frame was completed";
    EXPECT_EQ(DifferenceFrom(terminal.decoder.Picture(), SectionOf(first.Handle())), "") << "the old picture stays";

    // The next frame is taken; the cut one is reported as cut, never as good.
    rig.rows.failAtRow = -1;
    rig.encoder.SendFullFrame(second.Handle());
    const auto events = terminal.Take(rig.sink);
    bool cut = false;
    for (const TerminalEvent& e : events) cut = cut || e.problem == TerminalEvent::Problem::CutFrame;
    EXPECT_TRUE(cut) << terminal.decoder.ErrorText();
    frames = Frames(events);
    ASSERT_FALSE(frames.empty());
    for (size_t i = 0; i + 1 < frames.size(); ++i) EXPECT_FALSE(frames[i].ok);
    EXPECT_TRUE(frames.back().ok) << frames.back().text;
    EXPECT_EQ(DifferenceFrom(terminal.decoder.Picture(), SectionOf(second.Handle())), "");
}

// ---- drawn pictures, reduced by the real colour reduction ------------------------------------------------

// A 640 x 480 top-down section in the given format.
BitmapHandle MakeSection(int bits, DWORD compression, DWORD r, DWORD g, DWORD b)
{
    struct {
        BITMAPINFOHEADER h;
        DWORD masks[3];
    } info{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = 640;
    info.h.biHeight = -480;
    info.h.biPlanes = 1;
    info.h.biBitCount = WORD(bits);
    info.h.biCompression = compression;
    info.masks[0] = r;
    info.masks[1] = g;
    info.masks[2] = b;
    void* pixels = nullptr;
    return BitmapHandle(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
}

// A desktop with windows and text; the window at (left, top) is the one that moves between frames.
void DrawDesktop(HBITMAP bitmap, int left, int top)
{
    MemoryDC dc(CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.get(), bitmap);
    auto fill = [&](int l, int t, int r, int b, COLORREF c) {
        BrushHandle brush(CreateSolidBrush(c));
        RECT rc{l, t, r, b};
        FillRect(dc.get(), &rc, brush.get());
    };
    fill(0, 0, 640, 480, RGB(0, 128, 128));
    const RECT windows[] = {{20, 20, 420, 320}, {left, top, left + 380, top + 300}};
    for (const RECT& w : windows) {
        fill(w.left, w.top, w.right, w.bottom, RGB(192, 192, 192));
        fill(w.left + 3, w.top + 3, w.right - 3, w.top + 21, RGB(0, 0, 128));
        fill(w.left + 6, w.top + 26, w.right - 6, w.bottom - 6, RGB(255, 255, 255));
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), RGB(255, 255, 255));
        TextOutA(dc.get(), w.left + 8, w.top + 5, "Document", 8);
        SetTextColor(dc.get(), RGB(0, 0, 0));
        for (int y = w.top + 30; y < w.bottom - 20; y += 16)
            TextOutA(dc.get(), w.left + 10, y, "The quick brown fox jumps over the lazy dog", 43);
    }
    // A gradient strip, so the palette's nearest colours are needed.
    for (int x = 0; x < 640; ++x) fill(x, 440, x + 1, 480, RGB(x * 255 / 639, 255 - x * 255 / 639, 128));
    GdiFlush();
}

struct FormatCase {
    const char* name;
    int bits;
    DWORD compression, r, g, b;
};

class FrameEncoderReducedRoundTrip : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FrameEncoderReducedRoundTrip, DrawnDesktopWithAMovingWindow)
{
    const FormatCase c = GetParam();
    RecordingSink sink;
    KvColorReduction reduction;
    ASSERT_TRUE(reduction.UpdatePalette(nullptr));
    KvReductionRows<KvColorReduction> rows(reduction);
    KvFrameEncoder encoder(sink, rows);
    Terminal terminal;

    BitmapHandle frames[2] = {MakeSection(c.bits, c.compression, c.r, c.g, c.b),
                              MakeSection(c.bits, c.compression, c.r, c.g, c.b)};
    ASSERT_TRUE(frames[0] && frames[1]);
    for (int step = 0; step < 4; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        HBITMAP current = frames[step % 2].get();
        DrawDesktop(current, 200 + 17 * step, 120 + 9 * step);
        const int count = step == 0 ? encoder.SendFullFrame(current)
                                    : encoder.SendDifferentialFrame(current, frames[(step + 1) % 2].get());
        EXPECT_GT(count, 0);
        EXPECT_FALSE(encoder.FrameAbandoned());
        EXPECT_FALSE(reduction.PaletteDirty()) << "the palette went with the first frame";
        const auto events = Frames(terminal.Take(sink));
        ASSERT_EQ(terminal.decoder.ErrorCount(), 0) << terminal.decoder.ErrorText();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_TRUE(events[0].ok);
        EXPECT_EQ(events[0].full, step == 0);
        // The section now holds the indices it was reduced to.
        EXPECT_EQ(DifferenceFrom(terminal.decoder.Picture(), SectionOf(current)), "");
    }
    const KvPalette256& palette = *reduction.CurrentPalette();
    ASSERT_EQ(terminal.decoder.Picture().PaletteCount(), palette.Count());
    for (int i = 0; i < palette.Count(); ++i) {
        EXPECT_EQ(terminal.decoder.Picture().Palette()[i].red, palette.Entry(i).peRed);
        EXPECT_EQ(terminal.decoder.Picture().Palette()[i].blue, palette.Entry(i).peBlue);
    }
    encoder.FreeRequest();
}

INSTANTIATE_TEST_SUITE_P(Formats, FrameEncoderReducedRoundTrip,
                         ::testing::Values(FormatCase{"TrueColour32", 32, BI_RGB, 0, 0, 0},
                                           FormatCase{"HighColour565", 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F},
                                           FormatCase{"HighColour555", 16, BI_RGB, 0, 0, 0},
                                           FormatCase{"TrueColour24", 24, BI_RGB, 0, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
