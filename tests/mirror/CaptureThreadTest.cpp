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
#include "framework/visual/Chart.h"
#include "link/LinkTestSupport.h"
#include "mirror/BitmapCapture.h"

namespace {

using capturetest::ScriptedTerminal;
using capturetest::TestWindow;
using Kind = TerminalEvent::Kind;

constexpr const char* kDriver = "COM5";
constexpr const char* kTerminal = "COM6";

int Sum(const std::vector<int>& v) { return std::accumulate(v.begin(), v.end(), 0); }

std::string OwnPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
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
        if (thread_) {
            thread_->Stop();
            thread_->WaitForEnd();
            thread_.reset();
        }
        link_.CloseConnection();
        terminal_.Close();
    }
    // As the shell does it: the link opens, then the thread starts (or pings).
    void Open()
    {
        thread_ = std::make_unique<KvBitmapCaptureThread>(true, &link_);
        ASSERT_TRUE(link_.OpenConnection()) << testing::PrintToString(link_.Errors());
    }
    void StartTransfer()
    {
        Open();
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
    bool WaitFrames(int count, DWORD timeoutMs = 10000)
    {
        return terminal_.WaitUntil([&] { return terminal_.Frames() >= count; }, timeoutMs);
    }
    std::vector<ScriptedTerminal::Received> Of(Kind kind)
    {
        std::vector<ScriptedTerminal::Received> out;
        for (const auto& e : terminal_.Events())
            if (e.kind == kind) out.push_back(e);
        return out;
    }

    linktest::LinkSettings settings_{"CaptureThread"};
    linktest::TestLink link_;
    ScriptedTerminal terminal_;
    std::unique_ptr<KvBitmapCaptureThread> thread_;
};

TEST_F(CaptureThread, FirstCycleIsAHandshakeThenAFullFrameWithPaletteAndDifferentialFrames)
{
    TestWindow flicker(0, 0, 120, 90, 40);
    StartTransfer();
    ASSERT_TRUE(WaitFrames(6)) << terminal_.Frames();
    StopTransfer();
    const int frames = terminal_.Frames();
    testwait::PumpFor(300);

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
    EXPECT_EQ(terminal_.Frames(), frames) << "nothing is sent once the thread has ended";

    // Every frame that went out is counted by its size; every acknowledged one by its times.
    EXPECT_EQ(Sum(thread_->SizeStatistics()), frames);
    EXPECT_GE(Sum(thread_->PackTimeStatistics()), frames - 1);
    EXPECT_GE(thread_->SizeStatistics()[0] + thread_->SizeStatistics()[1], 1);
}

TEST_F(CaptureThread, SilentTerminalGetsReadStatusAboutEverySecondAndNoFrame)
{
    terminal_.SetStatusAnswer(-1);
    terminal_.SetAckAnswer(-1);
    StartTransfer();
    testwait::PumpFor(3500);
    const DWORD stopMs = StopTransfer();

    const auto requests = Of(Kind::ReadStatus);
    EXPECT_GE(requests.size(), 3u);
    EXPECT_LE(requests.size(), 5u);
    for (size_t i = 1; i < requests.size(); ++i) EXPECT_GE(requests[i].tick - requests[i - 1].tick, 900u) << i;
    EXPECT_EQ(terminal_.Frames(), 0);
    EXPECT_EQ(terminal_.CountOf(Kind::Palette), 0);
    EXPECT_EQ(Sum(thread_->SizeStatistics()), 0);
    EXPECT_EQ(Sum(thread_->PackTimeStatistics()), 0);
    EXPECT_EQ(Sum(thread_->AcknowledgeDelayStatistics()), 0);
    EXPECT_LT(stopMs, 900u) << "a stop cuts the handshake's wait short";
}

// Which first answers to "Read Status" end the handshake so that frames follow.
TEST_F(CaptureThread, StatusCodesEndTheHandshakeOnlyFromZeroToFive)
{
    struct Case {
        int status;
        bool frames;
    };
    const Case cases[] = {{0, true}, {1, true}, {2, true}, {3, true}, {4, true}, {5, true}, {6, false}, {-1, false}};
    TestWindow flicker(0, 0, 60, 60, 40);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        ScriptedTerminal& terminal = terminal_;
        testwait::PumpFor(300);  // what the last case left on the line
        terminal.Reset();
        terminal.SetStatusAnswer(c.status);
        thread_ = std::make_unique<KvBitmapCaptureThread>(true, &link_);
        ASSERT_TRUE(link_.OpenConnection());
        thread_->Start();
        const bool framed = terminal.WaitUntil([&] { return terminal.Frames() > 0; }, c.frames ? 5000 : 2500);
        StopTransfer();
        EXPECT_EQ(framed, c.frames);
        if (c.frames) {
            EXPECT_EQ(terminal.CountOf(Kind::ReadStatus), 1);
        } else {
            EXPECT_GE(terminal.CountOf(Kind::ReadStatus), 2) << "the handshake repeats";
            EXPECT_LE(terminal.CountOf(Kind::ReadStatus), 30) << "but not in a tight loop";
        }
        EXPECT_EQ(terminal.ErrorCount(), 0) << terminal.Errors();
        thread_.reset();
        link_.CloseConnection();
    }
}

TEST_F(CaptureThread, AcknowledgeOneHoldsInHandshakesUntilReleasedAndThenAFullFrameFollows)
{
    TestWindow flicker(0, 0, 60, 60, 40);
    terminal_.QueueAcks({2, 1});
    StartTransfer();
    ASSERT_TRUE(WaitFrames(2));
    testwait::PumpFor(300);
    const int framesAtHold = terminal_.Frames();
    const int requestsAtHold = terminal_.CountOf(Kind::ReadStatus);
    testwait::PumpFor(1000);
    EXPECT_EQ(terminal_.Frames(), framesAtHold) << "no picture while held";
    const int heldRequests = terminal_.CountOf(Kind::ReadStatus) - requestsAtHold;
    EXPECT_GE(heldRequests, 3) << "every held cycle is a handshake";
    EXPECT_LE(heldRequests, 15) << "a terminal that answers at once gets no stream of requests";

    const size_t before = terminal_.Events().size();
    terminal_.SendNow(TerminalStandIn::Acknowledge(2));
    ASSERT_TRUE(WaitFrames(framesAtHold + 2));
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
    TestWindow flicker(0, 0, 60, 60, 40);
    terminal_.QueueAcks({2, 2, -1});
    StartTransfer();
    ASSERT_TRUE(WaitFrames(5, 15000));
    StopTransfer();

    const auto events = terminal_.Events();
    std::vector<ScriptedTerminal::Received> frames, requests;
    for (const auto& e : events) {
        if (e.kind == Kind::Frame) frames.push_back(e);
        if (e.kind == Kind::ReadStatus) requests.push_back(e);
    }
    ASSERT_GE(requests.size(), 2u);
    // The third frame went unanswered: after expected time + 3000 ms a handshake, then a full frame.
    EXPECT_GE(requests[1].tick - frames[2].tick, 2900u);
    EXPECT_LT(requests[1].tick - frames[2].tick, 6000u);
    EXPECT_GT(requests[1].tick, frames[2].tick);
    EXPECT_FALSE(frames[2].full);
    EXPECT_TRUE(frames[3].full);
    EXPECT_GT(frames[3].tick, requests[1].tick);
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
    // The timed-out cycle is counted by size but not by its times.
    EXPECT_EQ(Sum(thread_->SizeStatistics()), int(frames.size()));
}

// With AsyncDiff n the thread runs at most n frames ahead of the numbers the terminal reports.
TEST_F(CaptureThread, TransferNumbersPaceTheThreadWithinTheSendWindow)
{
    struct Case {
        const char* asyncDiff;
        int ahead;
    };
    TestWindow flicker(0, 0, 60, 60, 20);
    for (const Case c : {Case{"0", 1}, Case{"2", 3}}) {
        SCOPED_TRACE(c.asyncDiff);
        settings_.Set("Communication", "AsyncDiff", c.asyncDiff);
        ScriptedTerminal& terminal = terminal_;
        testwait::PumpFor(300);  // what the last case left on the line
        terminal.Reset();
        terminal.SetReportNumbers(true);
        terminal.SetAckDelay(250);
        thread_ = std::make_unique<KvBitmapCaptureThread>(true, &link_);
        ASSERT_TRUE(link_.OpenConnection());
        thread_->Start();
        ASSERT_TRUE(terminal.WaitUntil([&] { return terminal.Frames() >= 10; }, 20000));
        StopTransfer();
        int most = 0;
        for (const auto& e : terminal.Events())
            if (e.kind == Kind::Frame) most = std::max(most, e.ahead);
        EXPECT_EQ(most, c.ahead);
        EXPECT_EQ(terminal.ErrorCount(), 0) << terminal.Errors();
        thread_.reset();
        link_.CloseConnection();
    }
}

TEST_F(CaptureThread, DelayAfterSendPacesTheCycles)
{
    TestWindow flicker(0, 0, 60, 60, 20);
    settings_.Set("Communication", "DelayAfterSend", "400");
    StartTransfer();
    ASSERT_TRUE(WaitFrames(5));
    StopTransfer();
    const auto frames = Of(Kind::Frame);
    EXPECT_EQ(thread_->DelayAfterSend(), 400);
    for (size_t i = 1; i < frames.size(); ++i) EXPECT_GE(frames[i].tick - frames[i - 1].tick, 300u) << i;
}

TEST_F(CaptureThread, StopEndsTheThreadAtOnceWhileItWaitsForAnAcknowledge)
{
    TestWindow flicker(0, 0, 300, 300, 20);
    terminal_.SetAckDelay(20000);
    StartTransfer();
    ASSERT_TRUE(WaitFrames(1));
    testwait::PumpFor(200);
    EXPECT_LT(StopTransfer(), 1000u);
    EXPECT_EQ(terminal_.Frames(), 1);
}

TEST_F(CaptureThread, StopEndsTheThreadAtOnceWhileFramesFlow)
{
    TestWindow flicker(0, 0, 300, 300, 20);
    settings_.Set("Communication", "DelayAfterSend", "5000");
    StartTransfer();
    ASSERT_TRUE(WaitFrames(1));
    testwait::PumpFor(200);
    EXPECT_LT(StopTransfer(), 1000u) << "the pause after a frame is cut short";
}

TEST_F(CaptureThread, ApplicationModeFollowsTheWindowOfTheProgramFoundByItsPath)
{
    settings_.Set("Application", "Mode", "Application");
    settings_.Set("Application", "ApplicationName", OwnPath().c_str());
    TestWindow target(300, 200, 200, 150, 0, "Capture target");
    StartTransfer();
    EXPECT_EQ(thread_->ApplicationPath(), OwnPath().c_str());
    ASSERT_TRUE(terminal_.WaitUntil([&] { return link_.GetTargetWindow() == target.get(); }, 5000));
    ASSERT_TRUE(WaitFrames(1));

    auto colorAt = [&](int x, int y) {
        const TerminalPicture p = terminal_.Picture();
        const TerminalColor c = p.Palette()[p.At(x, y)];
        return RGB(c.red, c.green, c.blue);
    };
    // The window copied unscaled to the top left, the rest of the picture black.
    ASSERT_TRUE(terminal_.WaitUntil([&] { return colorAt(100, 100) == RGB(255, 0, 0); }, 5000));
    EXPECT_EQ(colorAt(600, 400), RGB(0, 0, 0));

    ShowWindow(target.get(), SW_MINIMIZE);
    // Dropped: the placeholder picture, blue, takes its place.
    ASSERT_TRUE(terminal_.WaitUntil([&] { return colorAt(600, 400) == RGB(0, 0, 255); }, 5000));
    EXPECT_EQ(link_.GetTargetWindow(), nullptr);

    ShowWindow(target.get(), SW_RESTORE);
    ASSERT_TRUE(terminal_.WaitUntil([&] { return colorAt(600, 400) == RGB(0, 0, 0); }, 5000));
    ASSERT_TRUE(terminal_.WaitUntil([&] { return link_.GetTargetWindow() == target.get(); }, 5000));
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
}

TEST_F(CaptureThread, ApplicationThatIsNotRunningGetsThePlaceholderAndAPausePerCycle)
{
    settings_.Set("Application", "Mode", "Application");
    settings_.Set("Application", "ApplicationName", "C:\\nowhere\\missing.exe");
    StartTransfer();
    ASSERT_TRUE(WaitFrames(1));
    const TerminalPicture p = terminal_.Picture();
    const TerminalColor c = p.Palette()[p.At(600, 400)];
    EXPECT_EQ(RGB(c.red, c.green, c.blue), RGB(0, 0, 255));
    testwait::PumpFor(1500);
    EXPECT_LT(StopTransfer(), 900u) << "the 1000 ms pause is cut short by a stop";
    EXPECT_EQ(link_.GetTargetWindow(), nullptr);
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
        terminal_.Reset();
        terminal_.SetStatusAnswer(c.status);
        Open();
        thread_->Ping();
        thread_->WaitForEnd();
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.text});
        EXPECT_EQ(messages.Kinds(), std::vector<int>{2});
        EXPECT_EQ(messages.Threads(), std::vector<DWORD>{GetCurrentThreadId()});
        EXPECT_EQ(terminal_.Frames(), 0) << "a ping sends no picture";
        EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
        thread_.reset();
        link_.CloseConnection();
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
        thread_.reset();
        link_.CloseConnection();
    }
}

TEST_F(CaptureThread, PingOverALinkThatClosesIsNoAnswer)
{
    capturetest::MessageRecorder messages;
    terminal_.SetStatusAnswer(-1);
    Open();
    thread_->Ping();
    Sleep(200);
    link_.CloseConnection();
    thread_->WaitForEnd();
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Ping:\nTimeout after sending 'Read Status'!\nNo acknowledgment received!"});
}

// ---------------------------------------------------------------------------------------------------------------
// Statistics and settings

TEST_F(CaptureThread, FillsGiveEveryCountedBucketInItsSeriesColourAndStep)
{
    TestWindow flicker(0, 0, 200, 200, 20);
    StartTransfer();
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
        const RECT r = KvDesktopArea(c.setting, c.screenW, c.screenH);
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
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[16];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = 640;
        info.header.biHeight = -480;
        info.header.biPlanes = 1;
        info.header.biBitCount = 4;
        info.header.biClrUsed = 16;
        for (int i = 0; i < 16; ++i) info.colors[i] = RGBQUAD{BYTE(i * 16), BYTE(i * 16), BYTE(i * 16), 0};
        void* bits = nullptr;
        ++captures;
        return BitmapHandle(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                             nullptr, 0));
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
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{KvUnsupportedFormatMessage});
    EXPECT_EQ(messages.Kinds(), std::vector<int>{2});
    EXPECT_EQ(thread->captures, 1);
    testwait::PumpFor(300);
    EXPECT_EQ(terminal_.Frames(), 0) << "the terminal never takes a part of a picture for a whole one";
    EXPECT_EQ(Sum(thread->SizeStatistics()), 0);
}

}  // namespace

namespace {

// The chart's own bar series, as the shell fills it.
TEST_F(CaptureThread, FillsPutTheHistogramsIntoBarSeries)
{
    TestWindow flicker(0, 0, 200, 200, 20);
    StartTransfer();
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

}  // namespace

namespace {

// Counts the cycles that got as far as a capture.
class CountingThread : public KvBitmapCaptureThread {
public:
    using KvBitmapCaptureThread::KvBitmapCaptureThread;
    ~CountingThread() override
    {
        Stop();
        WaitForEnd();
    }
    std::atomic<int> captures{0};

protected:
    BitmapHandle CaptureFrame() override
    {
        ++captures;
        return KvBitmapCaptureThread::CaptureFrame();
    }
};

TEST_F(CaptureThread, CycleWithoutTheApplicationsWindowEndsWithASecondsPause)
{
    settings_.Set("Application", "Mode", "Application");
    settings_.Set("Application", "ApplicationName", "C:\\nowhere\\missing.exe");
    auto thread = std::make_unique<CountingThread>(true, &link_);
    ASSERT_TRUE(link_.OpenConnection());
    thread->Start();
    ASSERT_TRUE(WaitFrames(1));
    const int first = thread->captures;
    testwait::PumpFor(3000);
    const int cycles = thread->captures - first;
    EXPECT_GE(cycles, 2);
    EXPECT_LE(cycles, 4);
}

}  // namespace
