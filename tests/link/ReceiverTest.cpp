// The receiver of the terminal's frames and the reply state, fed byte for byte as the reader thread feeds
// them; injection goes to a recorder.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "LinkTestSupport.h"
#include "support/TerminalStandIn.h"

using namespace linktest;

namespace {

class Receiver : public testing::Test {
protected:
    void SetUp() override
    {
        link_.SetInputInjector(&input_);
        ASSERT_TRUE(link_.PrepareConnection());
        // Absolute pointer positions then equal terminal ones.
        link_.screenWidth_ = 65535;
        link_.screenHeight_ = 65535;
        event_.Reset();
    }

    RecordingInput input_;
    TestLink link_;
    NextTransferEvent event_;
};

struct FrameCase {
    const char* name;
    std::string bytes;
    int acknowledge;  // -1: none
    int status;       // -1: none
    int transferNo;   // -1: none
    bool wakes;
    Events input;
};

class ReceiverFrames : public Receiver, public testing::WithParamInterface<FrameCase> {};

TEST_P(ReceiverFrames, EachKindIsTakenOrDropped)
{
    const FrameCase& c = GetParam();
    link_.SetSentTransferNo(3);  // a report of 3 catches up
    event_.Reset();
    link_.Feed(c.bytes);
    EXPECT_EQ(link_.ReadRequestSize(), 1u) << "a whole frame leaves the receiver waiting for a start byte";
    EXPECT_EQ(event_.IsSet(), c.wakes);
    EXPECT_EQ(int(link_.TakeAcknowledge()), c.acknowledge < 0 ? 0xFF : c.acknowledge);
    EXPECT_EQ(int(link_.TakeStatusReply()), c.status < 0 ? 0 : c.status);
    EXPECT_EQ(int(link_.GetReceivedTransferNo()), c.transferNo < 0 ? 0 : c.transferNo);
    EXPECT_EQ(input_.Take(), c.input);
}

using S = TerminalStandIn;
INSTANTIATE_TEST_SUITE_P(
    Table, ReceiverFrames,
    testing::Values(
        FrameCase{"Ack0", Hex("02 00 03 05 00 08"), 5, -1, -1, true, {}},
        FrameCase{"Ack1", S::Acknowledge(7, 0x01), 7, -1, -1, true, {}},
        FrameCase{"Ack2", S::Acknowledge(0, 0x02), 0, -1, -1, true, {}},
        FrameCase{"AckWrongSum", Hex("02 00 03 05 00 09"), -1, -1, -1, false, {}},
        FrameCase{"Status", S::StatusReply(4), -1, 4, -1, true, {}},
        FrameCase{"TransferNo", S::TransferNumber(3), -1, -1, 3, true, {}},
        FrameCase{"TransferNoBehind", S::TransferNumber(1), -1, -1, 1, false, {}},
        FrameCase{"Pointer", S::Pointer(300, 200, 0), -1, -1, -1, false, {"move 300,200"}},
        // Extra data after the five pointer bytes is allowed.
        FrameCase{"PointerLong", S::Frame(0x10, Hex("00 10 00 20 00 99")), -1, -1, -1, false, {"move 16,32"}},
        FrameCase{"PointerShort", S::Frame(0x10, Hex("00 10 00 20")), -1, -1, -1, false, {}},
        FrameCase{"Keys", S::KeyBitmap({0x0001, 0, 0, 0}), -1, -1, -1, false, {"+F1"}},
        FrameCase{"KeysShort", S::Frame(0x11, Hex("00 01 00 00 00 00 00")), -1, -1, -1, false, {}},
        FrameCase{"UnknownCommand", S::UnknownCommand(0x07, Hex("05")), -1, -1, -1, false, {}},
        FrameCase{"NoData", S::Frame(0x00, ""), -1, -1, -1, false, {}},
        FrameCase{"LengthZero", Hex("02 00 00"), -1, -1, -1, false, {}},
        FrameCase{"LengthOne", Hex("02 00 01 05"), -1, -1, -1, false, {}},
        FrameCase{"TwoInOne", S::Acknowledge(1) + S::StatusReply(2), 1, 2, -1, true, {}}),
    [](const testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

// What a frame left behind in the link: the reply state and the input it caused.
struct Taken {
    int acknowledge;  // 0xFF: none
    int status;       // -1: none
    int transferNo;
    Events input;
    bool woke;
    bool operator==(const Taken& o) const
    {
        return acknowledge == o.acknowledge && status == o.status && transferNo == o.transferNo && input == o.input &&
               woke == o.woke;
    }
};

void PrintTo(const Taken& t, std::ostream* os)
{
    *os << "ack " << t.acknowledge << ", status " << t.status << ", number " << t.transferNo << ", input "
        << testing::PrintToString(t.input) << (t.woke ? ", woke" : "");
}

class ReceiverCheck : public Receiver {
protected:
    // Feeds the bytes, lets the read time out (as the line falls quiet after them) and takes what they left.
    Taken Take(const std::string& bytes)
    {
        event_.Reset();
        link_.Feed(bytes);
        link_.TimeOut();
        Taken t;
        t.woke = event_.IsSet();
        t.acknowledge = link_.TakeAcknowledge();
        BYTE status = 0;
        t.status = link_.TakeStatusReply(status) ? status : -1;
        t.transferNo = link_.GetReceivedTransferNo();
        t.input = input_.Take();
        link_.SetReceivedTransferNo(0);
        return t;
    }
    const Taken nothing_{0xFF, -1, 0, {}, false};
};

// Good frames whose sums use both bytes (the high byte not zero) or a data byte of 0xFF.
std::vector<std::string> CheckedFrames()
{
    return {S::Acknowledge(0xFE), S::StatusReply(0xFF), S::TransferNumber(0xF0), S::Pointer(511, 479, 0),
            S::KeyBitmap({0x0001, 0, 0, 0})};
}

// One byte of a good frame changed, anywhere from its start byte to the last byte of its sum, in a few ways:
// the frame is refused whole, and the next good frame is taken.
TEST_F(ReceiverCheck, AFrameWithAnyOneByteDamagedIsRefused)
{
    for (const std::string& frame : CheckedFrames()) {
        SCOPED_TRACE(testing::PrintToString(frame));
        const Taken intact = Take(frame);
        ASSERT_NE(intact, nothing_) << "a good frame";
        // The pointer moves and the key stays down: back to where they were for each damaged copy.
        const std::string undo = frame[1] == char(0x11) ? S::KeyBitmap({0, 0, 0, 0}) : "";
        Take(undo);
        for (size_t at = 0; at < frame.size(); ++at)
            for (BYTE flip : {BYTE(0x01), BYTE(0x10), BYTE(0x80), BYTE(0xFF)}) {
                std::string damaged = frame;
                damaged[at] = char(BYTE(damaged[at]) ^ flip);
                SCOPED_TRACE("byte " + std::to_string(at) + " ^ " + std::to_string(flip));
                EXPECT_EQ(Take(damaged), nothing_);
                EXPECT_EQ(Take(frame), intact) << "taken again after the damaged one";
                Take(undo);
            }
    }
}

struct RefusedCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class ReceiverRefuses : public ReceiverCheck, public testing::WithParamInterface<RefusedCase> {};

// Sums that a check of fewer bytes than it should would let through.
TEST_P(ReceiverRefuses, ASumThatIsNotTheWholeBigEndianSum)
{
    EXPECT_EQ(Take(GetParam().bytes), nothing_);
    EXPECT_EQ(Take(S::StatusReply(0xFF)).status, 0xFF) << "the receiver goes on with the next frame";
}

// The status reply 0xFF sums to 0x0105 (command 3 + length 3 + 0xFF).
INSTANTIATE_TEST_SUITE_P(
    Table, ReceiverRefuses,
    testing::Values(RefusedCase{"LowByteOnly", S::FrameWithSum(0x03, "\xFF", 0x0005)},
                    RefusedCase{"HighByteOnly", S::FrameWithSum(0x03, "\xFF", 0x01FF)},
                    RefusedCase{"LittleEndian", S::FrameWithSum(0x03, "\xFF", 0x0501)},
                    RefusedCase{"WithoutTheLength", S::FrameWithSum(0x03, "\xFF", 0x0102)},
                    RefusedCase{"WithoutTheData", S::FrameWithSum(0x03, "\xFF", 0x0006)}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST_F(Receiver, ReadsOneByteThenTheLengthItWasGiven)
{
    const std::string frame = Hex("02 00 03 05 00 08");
    const DWORD expected[] = {1, 1, 3, 1};  // after the start byte, the command, the length, the body
    link_.Feed(frame.substr(0, 1));
    EXPECT_EQ(link_.ReadRequestSize(), expected[0]);
    link_.Feed(frame.substr(1, 1));
    EXPECT_EQ(link_.ReadRequestSize(), expected[1]);
    link_.Feed(frame.substr(2, 1));
    EXPECT_EQ(link_.ReadRequestSize(), expected[2]);
    link_.Feed(frame.substr(3));
    EXPECT_EQ(link_.ReadRequestSize(), expected[3]);
    EXPECT_EQ(link_.TakeAcknowledge(), 5);
    EXPECT_EQ(link_.TakeAcknowledge(), 0xFF);
}

TEST_F(Receiver, AnUnknownCommandIsDroppedAfterItsCommandByte)
{
    link_.Feed(Hex("02 07"));
    EXPECT_EQ(link_.ReadRequestSize(), 1u);
    // The next start byte begins a frame at once.
    link_.Feed(Hex("02 00 03 05 00 08"));
    EXPECT_EQ(link_.TakeAcknowledge(), 5);
}

// A false start byte with a large length asks for more than the line brings: the read times out and the
// good frame among what came is still taken.
TEST_F(Receiver, AFalseStartDoesNotSwallowTheFrameBehindIt)
{
    link_.Feed(Hex("02 00 FF") + S::Acknowledge(6));
    EXPECT_EQ(link_.ReadRequestSize(), 255u);
    EXPECT_EQ(link_.TakeAcknowledge(), 0xFF);
    link_.TimeOut();
    EXPECT_EQ(link_.TakeAcknowledge(), 6);
    EXPECT_EQ(link_.ReadRequestSize(), 1u);

    // The same with the frame inside a body that fails its sum.
    link_.Feed(Hex("02 03 0B") + S::StatusReply(3) + Hex("AA BB CC DD 00"));
    EXPECT_EQ(link_.TakeStatusReply(), 3);
    EXPECT_EQ(link_.ReadRequestSize(), 1u);
}

TEST_F(Receiver, GarbageWithoutStartBytesIsIgnoredAndATimeOutResets)
{
    std::mt19937 random(7);
    link_.Feed(S::Garbage(1000, random, true));
    EXPECT_EQ(link_.ReadRequestSize(), 1u);
    link_.Feed(Hex("02 11 0A 00"));
    EXPECT_EQ(link_.ReadRequestSize(), 10u);
    link_.TimeOut();
    EXPECT_EQ(link_.ReadRequestSize(), 1u);
    link_.Feed(S::Pointer(1, 2, 0));
    EXPECT_EQ(input_.Take(), (Events{"move 1,2"}));
}

// A million random bytes with good frames between them: nothing breaks, and every good frame is taken
// (pointer frames, each to its own position, so every one shows).
TEST_F(Receiver, EveryGoodFrameAmongAMillionRandomBytesIsTaken)
{
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> gap(0, 100);
    std::string stream;
    std::vector<std::string> expected;
    while (stream.size() < 1000000) {
        stream += S::Garbage(size_t(gap(random)), random);
        const int i = int(expected.size());
        const WORD x = WORD(i % 640), y = WORD(i / 640 % 480);
        stream += S::Pointer(x, y, 0);
        expected.push_back(std::to_string(x) + "," + std::to_string(y));
    }
    link_.Feed(stream);
    link_.TimeOut();

    // Garbage that happens to look like a frame may add events of its own; the good ones come in order.
    const Events got = input_.Take();
    size_t next = 0;
    for (const std::string& e : got) {
        if (next < expected.size() && e.size() > expected[next].size() &&
            e.compare(e.size() - expected[next].size(), std::string::npos, expected[next]) == 0 && e[e.size() - expected[next].size() - 1] == ' ')
            ++next;
    }
    EXPECT_EQ(next, expected.size()) << "first missing: " << (next < expected.size() ? expected[next] : "");
    EXPECT_GT(expected.size(), 15000u);
}

// ---------------------------------------------------------------------------------------------------------------
// Reply state

TEST_F(Receiver, TheSendWindowOpensToAsyncDiffOnceTheTerminalCatchesUp)
{
    link_.settings_.asyncDiff = 2;
    link_.SetSentTransferNo(3);
    EXPECT_FALSE(event_.IsSet());
    link_.Feed(S::TransferNumber(3));
    EXPECT_TRUE(event_.IsSet());
    event_.Reset();
    link_.SetSentTransferNo(5);
    EXPECT_TRUE(event_.IsSet()) << "two outstanding fit the window";
    event_.Reset();
    link_.SetSentTransferNo(6);
    EXPECT_FALSE(event_.IsSet());
}

TEST_F(Receiver, WithAsyncDiffZeroEveryFrameWaitsForItsReport)
{
    link_.SetSentTransferNo(1);
    EXPECT_FALSE(event_.IsSet());
    link_.SetReceivedTransferNo(1);
    EXPECT_TRUE(event_.IsSet());
    event_.Reset();
    link_.SetSentTransferNo(2);
    EXPECT_FALSE(event_.IsSet());
}

struct WindowCase {
    int asyncDiff;
    BYTE received;  // the last number the terminal reported, with the window opened by catching up there
    BYTE sent;      // then the capture thread sends up to this one
    bool wakes;
};

class SendWindow : public Receiver, public testing::WithParamInterface<WindowCase> {};

// The numbers are bytes that wrap: the frames not yet reported are the distance from the report forward to the
// last frame sent, 0 to 255, for windows up to the largest AsyncDiff.
TEST_P(SendWindow, CountsTheFramesAheadOfTheReportModulo256)
{
    const WindowCase& c = GetParam();
    link_.settings_.asyncDiff = c.asyncDiff;
    link_.SetSentTransferNo(c.received);
    link_.SetReceivedTransferNo(c.received);  // caught up: the window is open
    event_.Reset();
    link_.SetSentTransferNo(c.sent);
    EXPECT_EQ(event_.IsSet(), c.wakes);
}

INSTANTIATE_TEST_SUITE_P(Table, SendWindow,
                         testing::Values(WindowCase{0, 255, 0, false}, WindowCase{2, 255, 0, true},
                                         WindowCase{2, 255, 1, true}, WindowCase{2, 255, 2, false},
                                         WindowCase{2, 254, 1, false}, WindowCase{1, 100, 101, true},
                                         WindowCase{126, 0, 126, true}, WindowCase{127, 0, 127, true},
                                         WindowCase{127, 0, 128, false}, WindowCase{127, 200, 71, true},
                                         WindowCase{127, 200, 72, false}, WindowCase{200, 10, 210, true},
                                         WindowCase{200, 10, 211, false}, WindowCase{255, 0, 255, true},
                                         WindowCase{255, 1, 0, true}));

// A terminal that only acknowledges never reports a number: however far the frames run ahead of its silence,
// through every wrap, the window never opens, and the acknowledgements alone pace the capture thread.
TEST_F(Receiver, FramesOfATerminalThatNeverReportsNeverOpenTheWindow)
{
    for (int asyncDiff : {0, 2, 255}) {
        SCOPED_TRACE(asyncDiff);
        ASSERT_TRUE(link_.PrepareConnection());
        link_.settings_.asyncDiff = asyncDiff;
        event_.Reset();
        int woken = 0;
        for (int frame = 1; frame <= 600; ++frame) {
            link_.SetSentTransferNo(BYTE(frame));
            if (event_.IsSet()) ++woken;
            event_.Reset();
        }
        EXPECT_EQ(woken, 0);
    }
}

// Reported, every frame opens the way for the next one, through the wrap, and a report that catches up
// after the terminal fell behind opens it again.
TEST_F(Receiver, ReportsPaceEveryFrameThroughTheWrap)
{
    for (int frame = 1; frame <= 600; ++frame) {
        const BYTE n = BYTE(frame);
        event_.Reset();
        link_.SetSentTransferNo(n);
        ASSERT_FALSE(event_.IsSet()) << frame;
        link_.Feed(S::TransferNumber(n));
        ASSERT_TRUE(event_.IsSet()) << frame;
    }
    event_.Reset();
    for (int frame = 601; frame <= 1000; ++frame) link_.SetSentTransferNo(BYTE(frame));
    EXPECT_FALSE(event_.IsSet()) << "400 frames behind";
    link_.Feed(S::TransferNumber(BYTE(1000)));
    EXPECT_TRUE(event_.IsSet());
}

TEST_F(Receiver, TakeGivesTheValueOnce)
{
    link_.SetAcknowledge(5);
    link_.SetStatusReply(2);
    EXPECT_EQ(link_.TakeAcknowledge(), 5);
    EXPECT_EQ(link_.TakeAcknowledge(), 0xFF);
    EXPECT_EQ(link_.TakeStatusReply(), 2);
    EXPECT_EQ(link_.TakeStatusReply(), 0);
}

TEST_F(Receiver, CloseWakesTheCaptureThread)
{
    link_.CloseConnection();
    EXPECT_TRUE(event_.IsSet());
}

// ---------------------------------------------------------------------------------------------------------------
// Target window and cursor feedback on the display

class Window {
public:
    Window(int x, int y, int w, int h, DWORD style = WS_POPUP | WS_VISIBLE)
    {
        handle_ = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "target", style, x, y, w, h, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    }
    ~Window()
    {
        if (handle_) DestroyWindow(handle_);
    }
    HWND Handle() const { return handle_; }
    void Destroy()
    {
        DestroyWindow(handle_);
        handle_ = nullptr;
    }

private:
    HWND handle_;
};

TEST_F(Receiver, TheTargetWindowIsGivenOnlyWhileItCanBeUsed)
{
    Window w(50, 50, 200, 100);
    ASSERT_TRUE(w.Handle());
    link_.SetTargetWindow(w.Handle());
    EXPECT_EQ(link_.GetTargetWindow(), w.Handle());
    ShowWindow(w.Handle(), SW_HIDE);
    EXPECT_EQ(link_.GetTargetWindow(), nullptr);
    ShowWindow(w.Handle(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(link_.GetTargetWindow(), w.Handle());
    ShowWindow(w.Handle(), SW_MINIMIZE);
    EXPECT_EQ(link_.GetTargetWindow(), nullptr);
    ShowWindow(w.Handle(), SW_RESTORE);
    EXPECT_EQ(link_.GetTargetWindow(), w.Handle());
    w.Destroy();
    EXPECT_EQ(link_.GetTargetWindow(), nullptr);
}

struct CursorCase {
    const char* name;
    const char* mode;  // "Desktop" or "Application"
    int areaWidth, areaHeight;
    POINT cursor;
    bool reported;
    POINT terminal;
};

class CursorFeedback : public Receiver, public testing::WithParamInterface<CursorCase> {};

TEST_P(CursorFeedback, ScaledBoundedAndRelativeToTheTarget)
{
    const CursorCase& c = GetParam();
    // One window for the table: Wine takes a while to take one off the display.
    static Window target(100, 50, 640, 480);
    link_.settings_.applicationMode = std::string(c.mode) == "Application";
    link_.settings_.desktopArea.cx = c.areaWidth;
    link_.settings_.desktopArea.cy = c.areaHeight;
    link_.SetTargetWindow(target.Handle());
    ASSERT_TRUE(SetCursorPos(c.cursor.x, c.cursor.y));
    POINT p{-1, -1};
    EXPECT_EQ(link_.GetCursorUpdate(p), c.reported);
    if (c.reported) {
        EXPECT_EQ(p.x, c.terminal.x);
        EXPECT_EQ(p.y, c.terminal.y);
    }
    // Not moved since: nothing to report.
    EXPECT_FALSE(link_.GetCursorUpdate(p));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CursorFeedback,
    testing::Values(CursorCase{"Plain", "Desktop", 0, 0, {100, 200}, true, {100, 200}},
                    CursorCase{"Scaled", "Desktop", 800, 600, {400, 300}, true, {320, 240}},
                    CursorCase{"Scaled1024", "Desktop", 1024, 768, {1023, 767}, true, {639, 479}},
                    // The terminal's screen ends at 639 / 479.
                    CursorCase{"RightEdge", "Desktop", 0, 0, {640, 10}, false, {}},
                    CursorCase{"BottomEdge", "Desktop", 0, 0, {10, 480}, false, {}},
                    CursorCase{"InTarget", "Application", 0, 0, {150, 60}, true, {50, 10}},
                    // The window is captured unscaled: the desktop area does not apply.
                    CursorCase{"InTargetNoArea", "Application", 800, 600, {150, 60}, true, {50, 10}},
                    CursorCase{"LeftOfTarget", "Application", 0, 0, {99, 60}, false, {}},
                    // A window's right and bottom edge, as Windows gives them, lie outside it.
                    CursorCase{"PastTarget", "Application", 0, 0, {740, 60}, false, {}},
                    CursorCase{"TargetsLastColumn", "Application", 0, 0, {739, 60}, true, {639, 10}},
                    CursorCase{"BelowTarget", "Application", 0, 0, {150, 530}, false, {}},
                    CursorCase{"TargetsLastRow", "Application", 0, 0, {150, 529}, true, {50, 479}}),
    [](const testing::TestParamInfo<CursorCase>& info) { return std::string(info.param.name); });

TEST_F(Receiver, SmallMovesOfAScaledCursorAreNotReported)
{
    link_.settings_.desktopArea.cx = 1024;
    link_.settings_.desktopArea.cy = 768;
    POINT p;
    ASSERT_TRUE(SetCursorPos(500, 400));
    ASSERT_TRUE(link_.GetCursorUpdate(p));
    ASSERT_TRUE(SetCursorPos(502, 402));  // steps of 2 pixels are one terminal pixel
    EXPECT_FALSE(link_.GetCursorUpdate(p));
    ASSERT_TRUE(SetCursorPos(503, 400));
    EXPECT_TRUE(link_.GetCursorUpdate(p));
}

}  // namespace
