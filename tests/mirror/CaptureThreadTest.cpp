// The capture thread's cycle on the real link object over a COM pair, against a terminal that decodes what
// it gets and answers as each test scripts it, with changing windows on the Xvfb display.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "CaptureTestTerminal.h"
#include "CaptureTestThread.h"
#include "framework/visual/Chart.h"
#include "link/LinkTestSupport.h"
#include "mirror/BitmapCapture.h"

namespace {

using capturetest::ScriptedTerminal;
using capturetest::TestCaptureThread;
using capturetest::TestWindow;
using Kind = TerminalEvent::Kind;
using Picture = TestCaptureThread::Picture;

constexpr const char* kDriver = "COM5";
constexpr const char* kTerminal = "COM6";

int Sum(const std::vector<int>& v) { return std::accumulate(v.begin(), v.end(), 0); }

std::string OwnPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Waits shortened for the tests that would otherwise sit them out.
KvCaptureWaits Short(DWORD handshake = 300, DWORD frameExtra = 3000, DWORD noTarget = 1000)
{
    KvCaptureWaits w;
    w.handshake = handshake;
    w.frameExtra = frameExtra;
    w.noTarget = noTarget;
    return w;
}

class CaptureThread : public testing::Test {
protected:
    void SetUp() override
    {
        settings_.SetLine(kDriver);
        settings_.Set("Communication", "DelayAfterSend", "0");
        ASSERT_TRUE(terminal_.Open(kTerminal));
    }
    void TearDown() override
    {
        thread_.reset();
        link_.CloseConnection();
        terminal_.Close();
    }
    // As the shell does it: the thread is made, the link opens, then the thread starts (or pings).
    void Open(const KvCaptureWaits& waits = {}, Picture picture = Picture::Screen)
    {
        thread_ = std::make_unique<TestCaptureThread>(&link_, waits);
        thread_->SetPicture(picture);
        ASSERT_TRUE(link_.OpenConnection()) << testing::PrintToString(link_.Errors());
    }
    void StartTransfer(const KvCaptureWaits& waits = {}, Picture picture = Picture::Screen)
    {
        Open(waits, picture);
        thread_->Start();
    }
    // Stops the thread and waits for it; the ms it took.
    DWORD StopTransfer()
    {
        const DWORD start = GetTickCount();
        thread_->Stop();
        thread_->WaitForEnd();
        return GetTickCount() - start;
    }
    // The next case of a table: the last transfer ended and its bytes read, a fresh terminal.
    void NextCase()
    {
        thread_.reset();
        link_.CloseConnection();
        ASSERT_TRUE(terminal_.Drain(kDriver));
        terminal_.Reset();
    }
    bool WaitFrames(int count, DWORD timeoutMs = 10000)
    {
        return terminal_.WaitUntil([&] { return terminal_.Frames() >= count; }, timeoutMs);
    }
    bool WaitRequests(int count, DWORD timeoutMs = 10000)
    {
        return terminal_.WaitUntil([&] { return terminal_.CountOf(Kind::ReadStatus) >= count; }, timeoutMs);
    }
    std::vector<ScriptedTerminal::Received> Of(Kind kind)
    {
        std::vector<ScriptedTerminal::Received> out;
        for (const auto& e : terminal_.Events())
            if (e.kind == kind) out.push_back(e);
        return out;
    }
    // After the thread's end: every frame it counted reached the terminal, but for the one a stop may have cut
    // off on the line. A frame is counted when it is queued, and the next one goes only once the terminal has
    // answered it (read it whole), so at most the last one can be missing.
    void ExpectCountedFramesReachedTheTerminal()
    {
        ASSERT_TRUE(terminal_.Drain(kDriver));
        const int counted = Sum(thread_->SizeStatistics());
        const int received = terminal_.Frames();
        EXPECT_GE(counted, received);
        EXPECT_LE(counted, received + 1);
    }

    linktest::LinkSettings settings_{"CaptureThread"};
    linktest::TestLink link_;
    ScriptedTerminal terminal_;
    std::unique_ptr<TestCaptureThread> thread_;
};

TEST_F(CaptureThread, FirstCycleIsAHandshakeThenAFullFrameWithPaletteAndDifferentialFrames)
{
    StartTransfer({}, Picture::Changing);
    ASSERT_TRUE(WaitFrames(6)) << terminal_.Frames();
    StopTransfer();
    EXPECT_FALSE(link_.Connected()) << "the thread closes the link as it ends";
    ExpectCountedFramesReachedTheTerminal();

    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
    std::vector<Kind> kinds;
    for (const auto& e : terminal_.Events())
        if (e.kind != Kind::Cursor) kinds.push_back(e.kind);
    ASSERT_GE(kinds.size(), 4u);
    EXPECT_EQ(kinds[0], Kind::ReadStatus);
    EXPECT_EQ(kinds[1], Kind::Palette);
    EXPECT_EQ(kinds[2], Kind::Frame);
    const auto frameEvents = Of(Kind::Frame);
    EXPECT_TRUE(frameEvents[0].full);
    for (size_t i = 1; i < frameEvents.size(); ++i) EXPECT_FALSE(frameEvents[i].full) << i;
    EXPECT_EQ(terminal_.CountOf(Kind::ReadStatus), 1);
    EXPECT_EQ(terminal_.CountOf(Kind::Palette), 1);
    // Every acknowledged frame is counted by its times too.
    EXPECT_GE(Sum(thread_->PackTimeStatistics()), terminal_.Frames() - 1);
    EXPECT_GE(thread_->SizeStatistics()[0] + thread_->SizeStatistics()[1], 1);
}

TEST_F(CaptureThread, SilentTerminalGetsReadStatusOncePerHandshakeWaitAndNoFrame)
{
    const DWORD wait = 500;
    terminal_.SetStatusAnswer(-1);
    terminal_.SetAckAnswer(-1);
    const DWORD start = GetTickCount();
    StartTransfer(Short(wait));
    ASSERT_TRUE(WaitRequests(4));
    StopTransfer();
    const DWORD elapsed = GetTickCount() - start;

    const auto requests = Of(Kind::ReadStatus);
    // Each request waits its whole time for an answer before the next: a thread that does not wait sends
    // them by the dozen. The margins are for the clock's steps and a terminal slow to read one request.
    EXPECT_LE(requests.size(), size_t(elapsed / wait + 2));
    for (size_t i = 1; i < requests.size(); ++i) EXPECT_GE(requests[i].tick - requests[i - 1].tick, wait - 150) << i;
    EXPECT_EQ(terminal_.Frames(), 0);
    EXPECT_EQ(terminal_.CountOf(Kind::Palette), 0);
    EXPECT_EQ(Sum(thread_->SizeStatistics()), 0);
    EXPECT_EQ(Sum(thread_->PackTimeStatistics()), 0);
    EXPECT_EQ(Sum(thread_->AcknowledgeDelayStatistics()), 0);
}

TEST_F(CaptureThread, StopCutsTheHandshakesWaitShort)
{
    terminal_.SetStatusAnswer(-1);
    StartTransfer(Short(60000));
    ASSERT_TRUE(WaitRequests(1));
    EXPECT_LT(StopTransfer(), 20000u);
}

// Which first answers to "Read Status" end the handshake so that frames follow: after any other the
// handshake repeats, and no frame goes between the requests.
TEST_F(CaptureThread, StatusCodesEndTheHandshakeOnlyFromZeroToFive)
{
    struct Case {
        int status;
        bool frames;
    };
    const Case cases[] = {{0, true}, {1, true}, {2, true}, {3, true}, {4, true}, {5, true}, {6, false}, {-1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        terminal_.SetStatusAnswer(c.status);
        StartTransfer(Short(), Picture::Changing);
        if (c.frames) {
            ASSERT_TRUE(WaitFrames(1));
            StopTransfer();
            EXPECT_EQ(terminal_.CountOf(Kind::ReadStatus), 1);
        } else {
            ASSERT_TRUE(WaitRequests(3));
            StopTransfer();
            EXPECT_EQ(terminal_.Frames(), 0);
        }
        EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
        NextCase();
    }
}

// A status reply between frames (the terminal's word on the frame before): 1 and 3 make the next frame full,
// 4 sends the palette again with it, the others change nothing.
TEST_F(CaptureThread, StatusRepliesBetweenFramesChooseTheNextFrame)
{
    struct Case {
        BYTE status;
        bool full;
    };
    for (const Case c : {Case{KvStatusNoError, false}, Case{KvStatusTimeout, false}, Case{KvStatusMouse, false},
                         Case{6, false}, Case{KvStatusFullFrame, true}, Case{KvStatusChecksum, true},
                         Case{KvStatusPalette, true}}) {
        SCOPED_TRACE(int(c.status));
        // The second frame is answered with the status first, then its acknowledge.
        terminal_.QueueAnswers({TerminalStandIn::Acknowledge(KvAckGoOn),
                                TerminalStandIn::StatusReply(c.status) + TerminalStandIn::Acknowledge(KvAckGoOn)});
        StartTransfer({}, Picture::Changing);
        ASSERT_TRUE(WaitFrames(4));
        StopTransfer();
        const auto frames = Of(Kind::Frame);
        EXPECT_TRUE(frames[0].full);
        EXPECT_FALSE(frames[1].full);
        EXPECT_EQ(frames[2].full, c.full);
        EXPECT_FALSE(frames[3].full);
        EXPECT_EQ(terminal_.CountOf(Kind::Palette), c.full ? 2 : 1);
        EXPECT_EQ(terminal_.CountOf(Kind::ReadStatus), 1) << "no handshake for it";
        EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
        NextCase();
    }
}

// Acknowledge 0 is a go-ahead with a full frame next; 2 a plain one.
TEST_F(CaptureThread, AcknowledgeZeroMakesTheNextFrameFull)
{
    terminal_.QueueAcks({2, 2, 0, 2});
    StartTransfer({}, Picture::Changing);
    ASSERT_TRUE(WaitFrames(6));
    StopTransfer();
    const auto frames = Of(Kind::Frame);
    ASSERT_GE(frames.size(), 6u);
    const bool expected[] = {true, false, false, true, false, false};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(frames[i].full, expected[i]) << i;
    EXPECT_EQ(terminal_.CountOf(Kind::Palette), 2) << "every full frame carries the palette";
    EXPECT_EQ(terminal_.CountOf(Kind::ReadStatus), 1) << "no handshake for it";
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
}

TEST_F(CaptureThread, AcknowledgeOneHoldsInHandshakesUntilReleasedAndThenAFullFrameFollows)
{
    terminal_.QueueAcks({2, 1});
    const DWORD start = GetTickCount();
    StartTransfer({}, Picture::Changing);
    ASSERT_TRUE(WaitFrames(2));
    ASSERT_TRUE(WaitRequests(5)) << "every held cycle is a handshake";
    const DWORD held = GetTickCount() - start;
    EXPECT_EQ(terminal_.Frames(), 2) << "no picture while held";
    // A terminal that answers at once gets no stream of requests: one per pause at most (and one more for
    // the clock's steps).
    EXPECT_LE(terminal_.CountOf(Kind::ReadStatus), int(held / KvCaptureWaits{}.holdPause) + 3);

    const size_t before = terminal_.Events().size();
    terminal_.SendNow(TerminalStandIn::Acknowledge(KvAckGoOn));
    ASSERT_TRUE(WaitFrames(4));
    StopTransfer();
    std::vector<ScriptedTerminal::Received> after;
    const auto events = terminal_.Events();
    for (size_t i = before; i < events.size(); ++i)
        if (events[i].kind == Kind::Frame || events[i].kind == Kind::Palette) after.push_back(events[i]);
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[0].kind, Kind::Palette);
    EXPECT_TRUE(after[1].full) << "the held terminal's picture is not built on";
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
}

TEST_F(CaptureThread, UnansweredFrameTimesOutIntoAHandshakeWithAFullFrame)
{
    const DWORD extra = 500;
    terminal_.QueueAcks({2, 2, -1});
    StartTransfer(Short(1000, extra), Picture::Changing);
    ASSERT_TRUE(WaitFrames(5));
    StopTransfer();

    // Where each frame and request stands among the terminal's events.
    const auto events = terminal_.Events();
    std::vector<size_t> frames, requests;
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == Kind::Frame) frames.push_back(i);
        if (events[i].kind == Kind::ReadStatus) requests.push_back(i);
    }
    ASSERT_GE(requests.size(), 2u);
    ASSERT_GE(frames.size(), 4u);
    // The third frame went unanswered: a handshake, then a full frame.
    EXPECT_GT(requests[1], frames[2]);
    EXPECT_FALSE(events[frames[2]].full);
    EXPECT_TRUE(events[frames[3]].full);
    EXPECT_GT(frames[3], requests[1]);
    // The handshake waited the extra time, counted from the third frame's capture (which comes before its
    // wait begins), so a terminal slow to read the frame cannot make the wait look shorter.
    const auto captures = thread_->CaptureTicks();
    ASSERT_GE(captures.size(), 4u);
    EXPECT_GE(events[requests[1]].tick - captures[2], extra - 50);
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
    // The timed-out cycle is counted by its size but not by its times.
    ExpectCountedFramesReachedTheTerminal();
    EXPECT_LE(Sum(thread_->PackTimeStatistics()), Sum(thread_->SizeStatistics()) - 1);
}

TEST_F(CaptureThread, StopEndsTheThreadAtOnceWhileItWaitsForAnAcknowledge)
{
    terminal_.SetAckAnswer(-1);
    StartTransfer(Short(1000, 60000), Picture::Changing);
    ASSERT_TRUE(WaitFrames(1));
    EXPECT_LT(StopTransfer(), 20000u);
    EXPECT_EQ(terminal_.Frames(), 1);
}

TEST_F(CaptureThread, StopEndsTheThreadAtOnceWhileFramesFlow)
{
    settings_.Set("Communication", "DelayAfterSend", "60000");
    StartTransfer({}, Picture::Changing);
    ASSERT_TRUE(WaitFrames(1));
    EXPECT_LT(StopTransfer(), 20000u) << "the pause after a frame is cut short";
}

// With AsyncDiff n the thread runs at most n frames ahead of the numbers the terminal reports. The terminal
// reports slowly enough that even a thread slowed down by a busy machine fills the window.
TEST_F(CaptureThread, TransferNumbersPaceTheThreadWithinTheSendWindow)
{
    struct Case {
        const char* asyncDiff;
        int ahead;
    };
    for (const Case c : {Case{"0", 1}, Case{"2", 3}}) {
        SCOPED_TRACE(c.asyncDiff);
        settings_.Set("Communication", "AsyncDiff", c.asyncDiff);
        terminal_.SetReportNumbers(true);
        terminal_.SetAckDelay(300);
        StartTransfer({}, Picture::Changing);
        ASSERT_TRUE(WaitFrames(10));
        StopTransfer();
        int most = 0;
        for (const auto& e : Of(Kind::Frame)) most = std::max(most, e.ahead);
        EXPECT_EQ(most, c.ahead);
        EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
        NextCase();
    }
}

// Past transfer number 255 the numbers start at 0 again: the pacing holds through the wrap, with a terminal
// that only acknowledges (and never reports a number) as with one that reports each frame's number.
TEST_F(CaptureThread, PacingHoldsThroughTheWrapOfTheTransferNumbers)
{
    const DWORD answerDelay = 10;
    for (bool reports : {false, true}) {
        SCOPED_TRACE(reports ? "reports numbers" : "acknowledges only");
        terminal_.SetReportNumbers(reports);
        terminal_.SetAckDelay(answerDelay);
        StartTransfer({}, Picture::Changing);
        ASSERT_TRUE(WaitFrames(270, 60000)) << terminal_.Frames();
        StopTransfer();
        ExpectCountedFramesReachedTheTerminal();

        const auto frames = Of(Kind::Frame);
        int wraps = 0;
        for (size_t i = 1; i < frames.size(); ++i) {
            // The terminal answers a frame only answerDelay after it has read it; a paced thread sends the next
            // one only after that answer.
            ASSERT_GE(frames[i].tick - frames[i - 1].tick, answerDelay)
                << "frame " << i << ", transfer number " << int(frames[i].transferNo);
            EXPECT_EQ(frames[i].transferNo, BYTE(frames[i - 1].transferNo + 1)) << i;
            if (frames[i].transferNo == 0) ++wraps;
            if (reports) {
                EXPECT_LE(frames[i].ahead, 1) << i;
            }
        }
        EXPECT_GE(wraps, 1);
        // Each answered differential frame is also counted in the acknowledge statistics (the full first one
        // needs longer on the line than its answer took).
        EXPECT_GE(Sum(thread_->AcknowledgeDelayStatistics()), Sum(thread_->PackTimeStatistics()) - 1);
        EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
        NextCase();
    }
}

// Each cycle takes DelayAfterSend at least, counted from its capture (the terminal sees the frames less evenly:
// a full frame takes longer to make than a differential one).
TEST_F(CaptureThread, DelayAfterSendPacesTheCycles)
{
    const DWORD delay = 300;
    settings_.Set("Communication", "DelayAfterSend", "300");
    StartTransfer({}, Picture::Changing);
    ASSERT_TRUE(WaitFrames(5));
    StopTransfer();
    EXPECT_EQ(thread_->DelayAfterSend(), 300);
    const auto ticks = thread_->CaptureTicks();
    ASSERT_GE(ticks.size(), 5u);
    for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i] - ticks[i - 1], delay - 10) << i;
}

// The pause after a frame is DelayAfterSend less the time the cycle already spent, waiting for the answer
// included: a terminal slower than DelayAfterSend gets the next frame as soon as it has answered.
TEST_F(CaptureThread, DelayAfterSendCountsTheTimeSpentWaiting)
{
    const DWORD delay = 1000;
    settings_.Set("Communication", "DelayAfterSend", "1000");
    terminal_.SetAckDelay(delay + 200);
    StartTransfer({}, Picture::Changing);
    ASSERT_TRUE(WaitFrames(3, 20000));
    StopTransfer();
    const auto frames = Of(Kind::Frame);
    for (size_t i = 1; i < frames.size(); ++i) {
        const DWORD gap = frames[i].tick - frames[i - 1].tick;
        // The terminal sends its answer only once its delay has passed, and reads the next frame after that.
        EXPECT_GE(gap, delay + 200) << i;
        // A pause after the answer would add DelayAfterSend again; anything short of that is the round trip.
        EXPECT_LT(gap, 2 * delay) << i << ": no pause after the answer";
    }
}

// The histograms count in 5 ms steps: a capture that takes 100 ms or more is never in the first twenty steps,
// an answer that takes 300 ms never in the first forty (its time on the thread may be shorter by what passed
// between the frame's end and the start of the wait). In steps of 1 ms both would land beyond the ranges
// checked last, in steps of 10 ms within the first ones.
TEST_F(CaptureThread, TimeStatisticsCountInStepsOfFiveMilliseconds)
{
    class SlowCapture : public TestCaptureThread {
    public:
        using TestCaptureThread::TestCaptureThread;
        ~SlowCapture() override
        {
            if (!Suspended()) {
                Stop();
                WaitForEnd();
            }
        }

    protected:
        BitmapHandle CaptureFrame() override
        {
            const DWORD start = GetTickCount();
            BitmapHandle picture = TestCaptureThread::CaptureFrame();
            while (GetTickCount() - start < 100) Sleep(5);
            return picture;
        }
    };
    terminal_.SetAckDelay(300);
    auto thread = std::make_unique<SlowCapture>(&link_);
    thread->SetPicture(Picture::Changing);
    ASSERT_TRUE(link_.OpenConnection());
    thread->Start();
    ASSERT_TRUE(WaitFrames(5));
    thread->Stop();
    thread->WaitForEnd();

    const auto& pack = thread->PackTimeStatistics();
    const auto& delay = thread->AcknowledgeDelayStatistics();
    EXPECT_GE(Sum(pack), 4);
    EXPECT_GE(Sum(delay), 3);
    for (size_t i = 0; i < 20; ++i) EXPECT_EQ(pack[i], 0) << i;
    for (size_t i = 0; i < 40; ++i) EXPECT_EQ(delay[i], 0) << i;
    // And not far beyond: a step is 5 ms, not 1 or 10.
    EXPECT_GE(std::accumulate(pack.begin(), pack.begin() + 100, 0), Sum(pack) - 1);
    EXPECT_GE(std::accumulate(delay.begin(), delay.begin() + 120, 0), Sum(delay) - 1);
}

// Frames of 300 KB and more are counted in the last counter of the size histogram.
TEST_F(CaptureThread, SizeStatisticsPutFramesOf300KilobytesAndMoreInTheLastCounter)
{
    StartTransfer({}, Picture::Checkers);
    ASSERT_TRUE(WaitFrames(3, 30000));
    StopTransfer();
    ExpectCountedFramesReachedTheTerminal();
    const auto& size = thread_->SizeStatistics();
    EXPECT_EQ(size[299], Sum(size));
    EXPECT_GE(size[299], 3);
    capturetest::RecordingSeries series;
    ASSERT_TRUE(thread_->FillSizeStatistics(&series));
    ASSERT_EQ(series.points.size(), 1u);
    EXPECT_EQ(series.points[0].x, 299);
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
}

// With ObservePalette every cycle reads the system palette again: a palette that took its place in between is
// replaced at once, and the terminal gets the system's palette with a full frame.
TEST_F(CaptureThread, ObservePaletteReadsTheSystemPaletteEveryCycle)
{
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = 3;
    log->palPalEntry[0] = PALETTEENTRY{10, 20, 30, 0};
    log->palPalEntry[1] = PALETTEENTRY{40, 50, 60, 0};
    log->palPalEntry[2] = PALETTEENTRY{70, 80, 90, 0};
    PaletteHandle other(CreatePalette(log));
    ASSERT_TRUE(other);

    for (bool observe : {false, true}) {
        SCOPED_TRACE(observe);
        settings_.Set("Application", "ObservePalette", observe ? "1" : "0");
        StartTransfer({}, Picture::Changing);
        ASSERT_TRUE(WaitFrames(2));
        const int systemCount = terminal_.Picture().PaletteCount();
        ASSERT_GT(systemCount, 3);
        const int palettes = terminal_.CountOf(Kind::Palette);
        thread_->ReplacePaletteOnce(other.get());
        ASSERT_TRUE(terminal_.WaitUntil([&] { return terminal_.CountOf(Kind::Palette) > palettes; }, 10000));
        ASSERT_TRUE(WaitFrames(terminal_.Frames() + 1));
        StopTransfer();
        EXPECT_EQ(terminal_.Picture().PaletteCount(), observe ? systemCount : 3);
        EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
        NextCase();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Application mode

class CaptureApplication : public CaptureThread {
protected:
    void SetUp() override
    {
        CaptureThread::SetUp();
        settings_.Set("Application", "Mode", "Application");
        settings_.Set("Application", "ApplicationName", OwnPath().c_str());
    }
    TerminalColor ColorAt(int x, int y)
    {
        const TerminalPicture p = terminal_.Picture();
        return p.Palette()[p.At(x, y)];
    }
    COLORREF RgbAt(int x, int y)
    {
        const TerminalColor c = ColorAt(x, y);
        return RGB(c.red, c.green, c.blue);
    }
};

TEST_F(CaptureApplication, FollowsTheWindowOfTheProgramFoundByItsPath)
{
    TestWindow target(300, 200, 200, 150, 0, "Capture target");
    StartTransfer();
    EXPECT_EQ(thread_->ApplicationPath(), OwnPath().c_str());
    ASSERT_TRUE(terminal_.WaitUntil([&] { return link_.GetTargetWindow() == target.get(); }, 5000));
    ASSERT_TRUE(WaitFrames(1));

    // The window copied unscaled to the top left, the rest of the picture black.
    ASSERT_TRUE(terminal_.WaitUntil([&] { return RgbAt(100, 100) == RGB(255, 0, 0); }, 5000));
    EXPECT_EQ(RgbAt(600, 400), RGB(0, 0, 0));

    ShowWindow(target.get(), SW_MINIMIZE);
    // Dropped: the placeholder picture, blue, takes its place.
    ASSERT_TRUE(terminal_.WaitUntil([&] { return RgbAt(600, 400) == RGB(0, 0, 255); }, 5000));
    EXPECT_EQ(link_.GetTargetWindow(), nullptr);

    ShowWindow(target.get(), SW_RESTORE);
    ASSERT_TRUE(terminal_.WaitUntil([&] { return RgbAt(600, 400) == RGB(0, 0, 0); }, 5000));
    ASSERT_TRUE(terminal_.WaitUntil([&] { return link_.GetTargetWindow() == target.get(); }, 5000));
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
}

// The window's own picture, frame and caption included, not only its client area.
TEST_F(CaptureApplication, CapturesTheWholeWindowWithItsFrame)
{
    TestWindow target(200, 150, 300, 200, 0, "Framed capture target", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    StartTransfer();
    ASSERT_TRUE(terminal_.WaitUntil([&] { return link_.GetTargetWindow() == target.get(); }, 5000));
    RECT window, client;
    ASSERT_TRUE(GetWindowRect(target.get(), &window));
    ASSERT_TRUE(GetClientRect(target.get(), &client));
    POINT origin{0, 0};
    ClientToScreen(target.get(), &origin);
    const int left = origin.x - window.left, top = origin.y - window.top;
    ASSERT_GT(top, 0) << "a caption";
    ASSERT_TRUE(terminal_.WaitUntil([&] { return RgbAt(left + 10, top + 10) == RGB(255, 0, 0); }, 5000));
    // The caption and the frame are there, at the top left of the picture.
    EXPECT_NE(RgbAt((window.right - window.left) / 2, top / 2), RGB(255, 0, 0));
    if (left > 1) {
        EXPECT_NE(RgbAt(left - 1, top + 10), RGB(255, 0, 0));
    }
    EXPECT_EQ(RgbAt(left + client.right - 1, top + client.bottom - 1), RGB(255, 0, 0));
    EXPECT_EQ(RgbAt(window.right - window.left + 5, 10), RGB(0, 0, 0)) << "nothing beyond the window";
}

// A main window with no size of its own: the first usable window below it, at any depth, is captured.
TEST_F(CaptureApplication, SearchesTheDescendantsOfAMainWindowWithoutSize)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CaptureEmptyMain";
    RegisterClassA(&wc);
    WindowHandle main(CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Empty main window", WS_POPUP | WS_VISIBLE,
                                      100, 100, 0, 0, nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(main);
    HWND middle = CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, main.get(), nullptr,
                                  wc.hInstance, nullptr);
    HWND inner = CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 120, 80, middle, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_TRUE(inner);
    StartTransfer();
    EXPECT_TRUE(terminal_.WaitUntil([&] { return link_.GetTargetWindow() == inner; }, 5000))
        << link_.GetTargetWindow() << " " << main.get() << " " << middle << " " << inner;
    StopTransfer();
    main.reset();
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

// Without a window of the application: the placeholder, and a pause after each cycle that a stop cuts short.
TEST_F(CaptureApplication, NotRunningGetsThePlaceholderAndAPausePerCycle)
{
    const DWORD pause = 250;
    settings_.Set("Application", "ApplicationName", "C:\\nowhere\\missing.exe");
    StartTransfer(Short(1000, 3000, pause));
    ASSERT_TRUE(WaitFrames(1));
    EXPECT_EQ(RgbAt(600, 400), RGB(0, 0, 255));
    ASSERT_TRUE(terminal_.WaitUntil([&] { return thread_->Captures() >= 4; }, 10000));
    StopTransfer();
    EXPECT_EQ(link_.GetTargetWindow(), nullptr);
    const auto ticks = thread_->CaptureTicks();
    for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i] - ticks[i - 1], pause) << i;
}

TEST_F(CaptureApplication, StopCutsTheNoTargetPauseShort)
{
    settings_.Set("Application", "ApplicationName", "C:\\nowhere\\missing.exe");
    StartTransfer(Short(1000, 3000, 60000));
    ASSERT_TRUE(WaitFrames(1));
    EXPECT_LT(StopTransfer(), 20000u);
}

// ---------------------------------------------------------------------------------------------------------------
// Ping

TEST_F(CaptureThread, PingShowsTheTerminalsAnswerOnTheMainThread)
{
    struct Case {
        int status;
        const char* text;
    };
    const Case cases[] = {
        {-1, "Ping:\nTimeout after sending 'Read Status'!\nNo acknowledgment received!"},
        {0, "Ping:\nAcknowledgment received!\nNo Error!"},
        {1, "Ping:\nTerminal wait for non differential transmission!"},
        {2, "Ping:\nTerminal detect timeout error!"},
        {3, "Ping:\nTerminal detect checksum error!"},
        {4, "Ping:\nError during palette transmission!"},
        {5, "Ping:\nError during mouse position transmission!"},
        {6, "Ping:\nAcknowledgment received!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        capturetest::MessageRecorder messages;
        terminal_.SetStatusAnswer(c.status);
        Open(Short());
        thread_->Ping();
        thread_->WaitForEnd();
        EXPECT_FALSE(link_.Connected());
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.text});
        EXPECT_EQ(messages.Kinds(), std::vector<int>{2});
        EXPECT_EQ(messages.Threads(), std::vector<DWORD>{GetCurrentThreadId()});
        EXPECT_EQ(terminal_.Frames(), 0) << "a ping sends no picture";
        EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
        NextCase();
    }
}

// The terminal answers as soon as the request is on the line: the answer is never lost.
TEST_F(CaptureThread, PingOfATerminalThatAnswersAtOnceIsNeverATimeOut)
{
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        capturetest::MessageRecorder messages;
        Open();
        thread_->Ping();
        thread_->WaitForEnd();
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Ping:\nAcknowledgment received!\nNo Error!"});
        NextCase();
    }
}

// A status reply the link holds from before the request (a late answer to an earlier one) answers nothing.
TEST_F(CaptureThread, PingCountsOnlyAnAnswerThatCameAfterItsRequest)
{
    for (BYTE stale : {BYTE(KvStatusNoError), BYTE(KvStatusChecksum), BYTE(6)}) {
        SCOPED_TRACE(int(stale));
        capturetest::MessageRecorder messages;
        terminal_.SetStatusAnswer(-1);
        Open(Short());
        link_.SetStatusReply(stale);
        thread_->Ping();
        thread_->WaitForEnd();
        EXPECT_EQ(messages.Texts(),
                  std::vector<std::string>{"Ping:\nTimeout after sending 'Read Status'!\nNo acknowledgment received!"});
        NextCase();
    }
}

// The link's event is set when the link closes: that is no answer either.
TEST_F(CaptureThread, PingOverALinkThatClosesIsNoAnswer)
{
    capturetest::MessageRecorder messages;
    terminal_.SetStatusAnswer(-1);
    Open(Short());
    thread_->Ping();
    ASSERT_TRUE(WaitRequests(1));
    link_.CloseConnection();
    thread_->WaitForEnd();
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Ping:\nTimeout after sending 'Read Status'!\nNo acknowledgment received!"});
}

// ---------------------------------------------------------------------------------------------------------------
// Statistics and settings

TEST_F(CaptureThread, FillsGiveEveryCountedBucketInItsSeriesColourAndStep)
{
    StartTransfer({}, Picture::Changing);
    ASSERT_TRUE(WaitFrames(5));
    StopTransfer();

    struct Fill {
        bool (KvBitmapCaptureThread::*fill)(capturetest::RecordingSeries*) const;
        const std::vector<int>& counters;
        int step;
        TColor color;
    };
    const Fill fills[] = {
        {&KvBitmapCaptureThread::FillSizeStatistics<capturetest::RecordingSeries>, thread_->SizeStatistics(), 1,
         TColor(0x0000FF)},
        {&KvBitmapCaptureThread::FillPackTimeStatistics<capturetest::RecordingSeries>,
         thread_->PackTimeStatistics(), 5, TColor(0x008000)},
        {&KvBitmapCaptureThread::FillAcknowledgeDelayStatistics<capturetest::RecordingSeries>,
         thread_->AcknowledgeDelayStatistics(), 5, TColor(0x00FFFF)},
    };
    for (const Fill& f : fills) {
        capturetest::RecordingSeries series;
        series.AddXY(1, 1, "old", clBlack);
        series.calls.clear();
        EXPECT_TRUE(((*thread_).*f.fill)(&series));
        ASSERT_FALSE(series.calls.empty());
        EXPECT_EQ(series.calls[0], "Clear");
        int total = 0;
        for (const auto& p : series.points) {
            const int bucket = int(p.x) / f.step;
            EXPECT_EQ(int(p.x) % f.step, 0);
            EXPECT_EQ(p.y, f.counters[size_t(bucket)]);
            EXPECT_NE(p.y, 0);
            EXPECT_EQ(p.color, f.color);
            EXPECT_TRUE(p.label.IsEmpty());
            total += int(p.y);
        }
        EXPECT_EQ(total, Sum(f.counters));
        EXPECT_FALSE(((*thread_).*f.fill)(nullptr));
    }
}

// The chart's own bar series, as the shell fills it.
TEST_F(CaptureThread, FillsPutTheHistogramsIntoBarSeries)
{
    StartTransfer({}, Picture::Changing);
    ASSERT_TRUE(WaitFrames(4));
    StopTransfer();

    TBarSeries size(nullptr), pack(nullptr), delay(nullptr);
    for (TBarSeries* s : {&size, &pack, &delay}) s->AddXY(9999, 1, "old");
    EXPECT_TRUE(thread_->FillSizeStatistics(&size));
    EXPECT_TRUE(thread_->FillPackTimeStatistics(&pack));
    EXPECT_TRUE(thread_->FillAcknowledgeDelayStatistics(&delay));
    EXPECT_FALSE(thread_->FillSizeStatistics(static_cast<TBarSeries*>(nullptr)));

    struct Case {
        TBarSeries& series;
        const std::vector<int>& counters;
        int step;
        TColor color;
    };
    for (const Case& c : {Case{size, thread_->SizeStatistics(), 1, clRed},
                          Case{pack, thread_->PackTimeStatistics(), 5, clGreen},
                          Case{delay, thread_->AcknowledgeDelayStatistics(), 5, clYellow}}) {
        const int counted = int(std::count_if(c.counters.begin(), c.counters.end(), [](int n) { return n != 0; }));
        ASSERT_EQ(c.series.Count(), counted);
        for (int i = 0; i < c.series.Count(); ++i) {
            EXPECT_EQ(c.series.YValue(i), c.counters[size_t(c.series.XValue(i)) / size_t(c.step)]);
            EXPECT_EQ(c.series.ValueColor(i), c.color);
            EXPECT_TRUE(c.series.XLabel(i).IsEmpty());
        }
    }
    EXPECT_GE(size.Count(), 1);
}

TEST(CaptureStatistics, FillEndsFivePastTheLastCountedValueWithinTheArray)
{
    struct Case {
        size_t size;
        int last;  // -1: nothing counted
        int end;
    };
    for (const Case c : {Case{300, -1, 5}, Case{300, 0, 5}, Case{300, 10, 15}, Case{300, 294, 299},
                         Case{300, 298, 299}, Case{400, 399, 399}, Case{600, 3, 8}}) {
        std::vector<int> counters(c.size);
        if (c.last >= 0) counters[size_t(c.last)] = 7;
        if (c.last > 2) counters[1] = 1;
        EXPECT_EQ(KvBitmapCaptureThread::FillEnd(counters), c.end) << c.size << " " << c.last;
    }
}

TEST(CaptureStatistics, ThreadThatNeverRanFillsNoPoint)
{
    linktest::LinkSettings settings("CaptureNeverRan");
    linktest::TestLink link;
    KvBitmapCaptureThread thread(true, &link);
    capturetest::RecordingSeries series;
    EXPECT_TRUE(thread.FillSizeStatistics(&series));
    EXPECT_TRUE(thread.FillPackTimeStatistics(&series));
    EXPECT_TRUE(thread.FillAcknowledgeDelayStatistics(&series));
    EXPECT_EQ(series.calls, (std::vector<std::string>{"Clear", "Clear", "Clear"}));
}

TEST(CaptureSettings, DesktopAreaByNameWithinTheScreen)
{
    struct Case {
        const char* setting;
        int screenW, screenH;
        RECT area;
    };
    const Case cases[] = {
        {"640x480", 1024, 768, {0, 0, 640, 480}},   {"800x600", 1024, 768, {0, 0, 800, 600}},
        {"1024x768", 1024, 768, {0, 0, 1024, 768}}, {"1024x768", 800, 600, {0, 0, 800, 600}},
        {"", 1024, 768, {0, 0, 640, 480}},          {"800X600", 1024, 768, {0, 0, 640, 480}},
        {"1280x1024", 1024, 768, {0, 0, 640, 480}}, {"800x600", 1024, 500, {0, 0, 800, 500}},
    };
    for (const Case& c : cases) {
        const RECT r = KvDesktopArea(KvDesktopSize(c.setting), c.screenW, c.screenH);
        EXPECT_TRUE(EqualRect(&r, &c.area)) << c.setting << " on " << c.screenW << "x" << c.screenH << ": " << r.left
                                            << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(CaptureSettings, ReadFromTheStoreWithTheirDefaults)
{
    linktest::LinkSettings settings("CaptureSettings");
    linktest::TestLink link;
    {
        KvBitmapCaptureThread thread(true, &link);
        EXPECT_EQ(thread.DelayAfterSend(), 200);
        EXPECT_FALSE(thread.BeepAfterSend());
        EXPECT_FALSE(thread.ObservePalette());
        EXPECT_TRUE(thread.ApplicationPath().IsEmpty());
        const RECT r = thread.DesktopArea();
        EXPECT_EQ(r.right, 640);
        EXPECT_EQ(r.bottom, 480);
    }
    settings.Set("Communication", "DelayAfterSend", "x12");
    settings.Set("Communication", "BeepAfterSend", "1");
    settings.Set("Application", "Desktop", "800x600");
    settings.Set("Application", "Mode", "application");  // not the exact text: desktop mode
    settings.Set("Application", "ApplicationName", "C:\\app.exe");
    settings.Set("Application", "ObservePalette", "1");
    {
        KvBitmapCaptureThread thread(true, &link);
        EXPECT_EQ(thread.DelayAfterSend(), 200);
        EXPECT_TRUE(thread.BeepAfterSend());
        EXPECT_TRUE(thread.ObservePalette());
        EXPECT_TRUE(thread.ApplicationPath().IsEmpty());
        EXPECT_EQ(thread.DesktopArea().right, 800);
    }
    settings.Set("Communication", "DelayAfterSend", "35");
    settings.Set("Application", "Mode", "Application");
    {
        KvBitmapCaptureThread thread(true, &link);
        EXPECT_EQ(thread.DelayAfterSend(), 35);
        EXPECT_EQ(thread.ApplicationPath(), "C:\\app.exe");
    }
}

// A transfer works with the settings its link read when it opened: a change in the store after that waits
// for the next transfer, for the link and the thread alike.
TEST_F(CaptureThread, TheThreadTakesTheSettingsTheLinkReadAtItsOpen)
{
    settings_.Set("Application", "Desktop", "800x600");
    settings_.Set("Communication", "DelayAfterSend", "40");
    thread_ = std::make_unique<TestCaptureThread>(&link_);
    ASSERT_TRUE(link_.OpenConnection());
    settings_.Set("Application", "Desktop", "1024x768");
    settings_.Set("Communication", "DelayAfterSend", "70");
    thread_->Start();
    EXPECT_EQ(thread_->DesktopArea().right, 800);
    EXPECT_EQ(thread_->DelayAfterSend(), 40);
    EXPECT_EQ(link_.TransferSettings().desktopArea.cx, 800);
}

}  // namespace

namespace {

// A screen of a format the reduction cannot handle (4 bits per pixel), which no display here can be set to.
class FourBitScreenThread : public KvBitmapCaptureThread {
public:
    using KvBitmapCaptureThread::KvBitmapCaptureThread;
    ~FourBitScreenThread() override
    {
        Stop();
        WaitForEnd();
    }

protected:
    BitmapHandle CaptureFrame() override
    {
        ++captures;
        return capturetest::FourBitScreenPicture();
    }

public:
    std::atomic<int> captures{0};
};

TEST_F(CaptureThread, UnsupportedScreenFormatIsShownAndEndsTheTransferWithoutAFrame)
{
    capturetest::MessageRecorder messages;
    auto thread = std::make_unique<FourBitScreenThread>(true, &link_);
    ASSERT_TRUE(link_.OpenConnection());
    thread->Start();
    // No stop asked for: the thread ends by itself.
    thread->WaitForEnd();
    EXPECT_FALSE(link_.Connected());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{KvUnsupportedFormatMessage});
    EXPECT_EQ(messages.Kinds(), std::vector<int>{2});
    EXPECT_EQ(thread->captures, 1);
    ASSERT_TRUE(terminal_.Drain(kDriver));
    EXPECT_EQ(terminal_.Frames(), 0) << "the terminal never takes a part of a picture for a whole one";
    EXPECT_EQ(Sum(thread->SizeStatistics()), 0);
}

}  // namespace
