// The encoder on the real link object: requests from the link's heaps, queued to its writer thread, onto a
// serial pair whose far end is the terminal stand-in.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FrameEncoderTestKit.h"
#include "link/LinkTestSupport.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/FrameEncoder.h"
#include "support/TerminalDecoder.h"
#include "support/TerminalStandIn.h"

namespace {

constexpr const char* kDriver = "COM5";
constexpr const char* kTerminal = "COM6";

class FrameEncoderOnTheLink : public testing::Test {
protected:
    void SetUp() override
    {
        settings_.SetLine(kDriver);
        ASSERT_TRUE(terminal_.Open(kTerminal)) << terminal_.Port().LastError();
        ASSERT_TRUE(link_.OpenConnection()) << testing::PrintToString(link_.Errors());
        rows_.palette = &palette_;
        palette_.SetCount(256);
        for (int i = 0; i < 256; ++i) palette_.SetEntry(i, PALETTEENTRY{BYTE(i), BYTE(i), BYTE(i), 0});
    }
    void TearDown() override
    {
        encoder_.FreeRequest();
        link_.CloseConnection();
    }

    // What reaches the terminal until it has decoded this many frames in all.
    void ReceiveFrames(int frames)
    {
        auto count = [&] {
            int n = 0;
            for (const TerminalEvent& e : decoder_.Events()) n += e.kind == TerminalEvent::Kind::Frame ? 1 : 0;
            return n;
        };
        char buffer[4096];
        const DWORD start = GetTickCount();
        while (count() < frames && GetTickCount() - start < 10000) {
            const long n = terminal_.Port().ReadSome(buffer, sizeof buffer, 50);
            if (n > 0) decoder_.Feed(buffer, size_t(n));
        }
    }

    linktest::LinkSettings settings_{"FrameEncoder"};
    linktest::TestLink link_;
    TerminalStandIn terminal_;
    KvPalette256 palette_;
    encodertest::IndexSectionRows rows_;
    KvLinkFrameSink<KvSerialIO> sink_{link_};
    KvFrameEncoder encoder_{sink_, rows_};
    TerminalDecoder decoder_;
};

TEST_F(FrameEncoderOnTheLink, FramesReachTheTerminalWhole)
{
    encodertest::Picture first(640, 480), second(640, 480);
    encodertest::FillEscapeHeavy(first, 5);
    encodertest::FillEscapeHeavy(second, 5);
    const BYTE escapes[3] = {0x10, 0x16, 0x1A};
    for (int y = 100; y < 140; ++y)
        for (int x = 0; x < 640; ++x) second.At(x, y) = escapes[(x + y) % 3];

    EXPECT_EQ(encoder_.SendReadStatus(), 3);
    encoder_.FlushBuffer(false);
    ASSERT_GT(encoder_.SendFullFrame(first.Handle()), 0);
    encoder_.FlushBuffer(true);
    ReceiveFrames(1);
    encoder_.FlushBuffer(false);
    ASSERT_GT(encoder_.SendDifferentialFrame(second.Handle(), first.Handle()), 0);
    encoder_.FlushBuffer(true);
    ReceiveFrames(2);

    EXPECT_EQ(decoder_.ErrorCount(), 0) << decoder_.ErrorText();
    std::vector<int> kinds;
    using K = TerminalEvent::Kind;
    for (const TerminalEvent& e : decoder_.Events())
        if (e.kind != K::Cursor) kinds.push_back(int(e.kind));  // the pointer's moves follow frames as they come
    EXPECT_EQ(kinds, (std::vector<int>{int(K::ReadStatus), int(K::Palette), int(K::Frame), int(K::Frame)}));
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(decoder_.Picture().At(x, y), second.At(x, y)) << x << "," << y;
    EXPECT_EQ(link_.GetSentTransferNo(), 2) << "the link knows what was sent";
}

}  // namespace
