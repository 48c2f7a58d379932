// The whole mirroring path: the Xvfb desktop captured, reduced and encoded by the capture thread, written by
// the link over a COM pair and decoded by the terminal stand-in, whose picture must be the reduced capture.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "CaptureTestTerminal.h"
#include "CaptureTestThread.h"
#include "MirrorTestScreen.h"
#include "link/LinkTestSupport.h"
#include "mirror/BitmapCapture.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/ColorReduction.h"
#include "mirror/FrameEncoder.h"
#include "support/DesktopPicture.h"

namespace {

using capturetest::ScriptedTerminal;
using Kind = TerminalEvent::Kind;

class MirrorEndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        settings_.SetLine("COM5");
        settings_.Set("Communication", "DelayAfterSend", "50");
        settings_.Set("Application", "Desktop", "640x480");
        ASSERT_TRUE(terminal_.Open("COM6"));
        // The time-out below is not sat out in full.
        KvCaptureWaits waits;
        waits.frameExtra = 500;
        thread_ = std::make_unique<capturetest::TestCaptureThread>(&link_, waits);
        ASSERT_TRUE(link_.OpenConnection()) << testing::PrintToString(link_.Errors());
    }
    void TearDown() override
    {
        thread_->Stop();
        thread_->WaitForEnd();
        thread_.reset();
        link_.CloseConnection();
        terminal_.Close();
    }

    // Waits until the terminal shows the desktop as it is now; the first difference when it never does.
    std::string ShowsTheDesktop(DWORD timeoutMs = 8000)
    {
        std::string difference = "no picture";
        terminal_.WaitUntil(
            [&] {
                TerminalPicture expected;
                if (!ReducedDesktop(expected)) {
                    difference = "desktop not reduced";
                    return false;
                }
                difference = DesktopDifference(terminal_.Picture(), expected);
                return difference.empty();
            },
            timeoutMs);
        return difference;
    }
    std::vector<ScriptedTerminal::Received> FramesSince(size_t first)
    {
        std::vector<ScriptedTerminal::Received> frames;
        const auto events = terminal_.Events();
        for (size_t i = first; i < events.size(); ++i)
            if (events[i].kind == Kind::Frame && !events[i].keepAlive) frames.push_back(events[i]);
        return frames;
    }

    linktest::LinkSettings settings_{"MirrorEndToEnd"};
    linktest::TestLink link_;
    ScriptedTerminal terminal_;
    std::unique_ptr<capturetest::TestCaptureThread> thread_;
};

TEST_F(MirrorEndToEnd, TerminalShowsTheReducedDesktopThroughChangesAndATimeOut)
{
    mirrortest::PictureWindow picture(0, 0, 640, 480);
    testwait::PumpFor(300);
    thread_->Start();
    ASSERT_TRUE(terminal_.WaitUntil([&] { return terminal_.Frames() >= 1; }, 10000));
    EXPECT_EQ(ShowsTheDesktop(), "");
    const auto first = FramesSince(0);
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(first[0].full);

    // Changes go as differential frames.
    size_t mark = terminal_.Events().size();
    {
        mirrortest::PictureWindow box(100, 120, 230, 90, RGB(0, 128, 128));
        testwait::PumpFor(200);
        EXPECT_EQ(ShowsTheDesktop(), "");
        mirrortest::PictureWindow other(400, 300, 120, 150, RGB(255, 255, 0));
        testwait::PumpFor(200);
        EXPECT_EQ(ShowsTheDesktop(), "");
    }
    testwait::PumpFor(200);
    EXPECT_EQ(ShowsTheDesktop(), "") << "the windows gone again";
    auto changed = FramesSince(mark);
    ASSERT_FALSE(changed.empty());
    for (const auto& f : changed) EXPECT_FALSE(f.full);

    // The next frame goes unanswered: after the time-out a handshake and a full frame bring it back.
    mark = terminal_.Events().size();
    terminal_.QueueAcks({-1});
    mirrortest::PictureWindow late(50, 50, 300, 200, RGB(128, 0, 128));
    testwait::PumpFor(200);
    ASSERT_TRUE(terminal_.WaitUntil(
        [&] {
            for (const auto& f : FramesSince(mark))
                if (f.full) return true;
            return false;
        },
        20000));
    EXPECT_EQ(ShowsTheDesktop(), "");
    bool handshake = false;
    const auto events = terminal_.Events();
    for (size_t i = mark; i < events.size() && !events[i].full; ++i) handshake |= events[i].kind == Kind::ReadStatus;
    EXPECT_TRUE(handshake) << "a handshake before the full frame";
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
}

}  // namespace
