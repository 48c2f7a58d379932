// The link object's settings, read from a settings store at a per-test registry key, and its open and close
// over a real COM pair with the terminal stand-in on the far end.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "LinkTestSupport.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/SysUtils.h"
#include "support/TerminalStandIn.h"
#include "support/Wait.h"

using namespace linktest;

namespace {

constexpr const char* kDriver = "COM5";
constexpr const char* kTerminal = "COM6";

struct SettingCase {
    const char* name;
    const char* section;
    const char* ident;
    const char* value;
    std::function<bool(TestLink&)> holds;
};

class LinkSettingsRead : public testing::TestWithParam<SettingCase> {};

TEST_P(LinkSettingsRead, GiveTheirValueOrTheDefault)
{
    const SettingCase& c = GetParam();
    LinkSettings settings(c.name);
    settings.Set(c.section, c.ident, c.value);
    TestLink link;
    ASSERT_TRUE(link.PrepareConnection());
    EXPECT_TRUE(c.holds(link));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinkSettingsRead,
    testing::Values(
        SettingCase{"BrowseText", "MouseAndKeyboard", "LetterBrowseTime", "abc", [](TestLink& l) { return l.settings_.letterBrowseTime == 600; }},
        SettingCase{"BrowseEmpty", "MouseAndKeyboard", "LetterBrowseTime", "", [](TestLink& l) { return l.settings_.letterBrowseTime == 600; }},
        SettingCase{"BrowseSet", "MouseAndKeyboard", "LetterBrowseTime", "450", [](TestLink& l) { return l.settings_.letterBrowseTime == 450; }},
        // Compared less 50 ms: anything shorter would never fire.
        SettingCase{"BrowseTooShort", "MouseAndKeyboard", "LetterBrowseTime", "20", [](TestLink& l) { return l.settings_.letterBrowseTime == 50; }},
        SettingCase{"BreakText", "MouseAndKeyboard", "LetterBreakTime", "1s", [](TestLink& l) { return l.settings_.letterBreakTime == 1000; }},
        SettingCase{"BreakNegative", "MouseAndKeyboard", "LetterBreakTime", "-5", [](TestLink& l) { return l.settings_.letterBreakTime == 50; }},
        SettingCase{"AsyncDiff", "Communication", "AsyncDiff", "2", [](TestLink& l) { return l.settings_.asyncDiff == 2; }},
        SettingCase{"AsyncDiffText", "Communication", "AsyncDiff", "x", [](TestLink& l) { return l.settings_.asyncDiff == 0; }},
        SettingCase{"AsyncDiffNegative", "Communication", "AsyncDiff", "-1", [](TestLink& l) { return l.settings_.asyncDiff == 0; }},
        SettingCase{"AsyncDiffLarge", "Communication", "AsyncDiff", "300", [](TestLink& l) { return l.settings_.asyncDiff == 255; }},
        SettingCase{"KeyboardOff", "MouseAndKeyboard", "KeyboardEnabled", "0", [](TestLink& l) { return !l.settings_.keyboardEnabled; }},
        SettingCase{"MouseOff", "MouseAndKeyboard", "TransferMouseToPc", "0", [](TestLink& l) { return !l.settings_.transferMouseToPc; }},
        SettingCase{"LettersOff", "MouseAndKeyboard", "EnableLetterInput", "0", [](TestLink& l) { return !l.settings_.letterInputEnabled; }},
        SettingCase{"Desktop800", "Application", "Desktop", "800x600", [](TestLink& l) { return l.settings_.desktopArea.cx == 800 && l.settings_.desktopArea.cy == 600; }},
        SettingCase{"Desktop1024", "Application", "Desktop", "1024x768", [](TestLink& l) { return l.settings_.desktopArea.cx == 1024 && l.settings_.desktopArea.cy == 768; }},
        SettingCase{"Desktop640", "Application", "Desktop", "640x480", [](TestLink& l) { return l.settings_.desktopArea.cx == 0 && l.settings_.desktopArea.cy == 0; }},
        SettingCase{"DesktopOther", "Application", "Desktop", "800X600", [](TestLink& l) { return l.settings_.desktopArea.cx == 0 && l.settings_.desktopArea.cy == 0; }},
        SettingCase{"ModeApplication", "Application", "Mode", "Application", [](TestLink& l) { return l.settings_.applicationMode; }},
        SettingCase{"ModeWrongCase", "Application", "Mode", "application", [](TestLink& l) { return !l.settings_.applicationMode; }}),
    [](const testing::TestParamInfo<SettingCase>& info) { return std::string(info.param.name); });

TEST(LinkSettingsDefaults, NothingStored)
{
    LinkSettings settings("Defaults");
    TestLink link;
    ASSERT_TRUE(link.PrepareConnection());
    EXPECT_TRUE(link.settings_.keyboardEnabled);
    EXPECT_FALSE(link.settings_.userDefinedMapping);
    EXPECT_TRUE(link.settings_.transferMouseToPc);
    EXPECT_EQ(link.settings_.asyncDiff, 0);
    EXPECT_TRUE(link.settings_.letterInputEnabled);
    EXPECT_EQ(link.settings_.letterBrowseTime, 600u);
    EXPECT_EQ(link.settings_.letterBreakTime, 1000u);
    EXPECT_EQ(link.settings_.desktopArea.cx, 0);
    EXPECT_FALSE(link.settings_.applicationMode);
    // The screen of the display.
    EXPECT_EQ(link.screenWidth_, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(link.screenHeight_, GetSystemMetrics(SM_CYSCREEN));
}

// The desktop area scales the terminal's pointer to it: (320, 240) is its middle.
TEST(LinkSettingsDefaults, TheDesktopAreaScalesThePointer)
{
    struct Case {
        const char* desktop;
        int x, y;  // on the 1024 x 768 screen
    };
    for (const Case c : {Case{"640x480", 320, 240}, Case{"800x600", 400, 300}, Case{"1024x768", 512, 384}}) {
        SCOPED_TRACE(c.desktop);
        LinkSettings settings("Area");
        settings.Set("Application", "Desktop", c.desktop);
        RecordingInput input;
        TestLink link;
        link.SetInputInjector(&input);
        ASSERT_TRUE(link.PrepareConnection());
        ASSERT_EQ(link.screenWidth_, 1024);
        ASSERT_EQ(link.screenHeight_, 768);
        link.Feed(TerminalStandIn::Pointer(320, 240, 0));
        link.Feed(TerminalStandIn::Pointer(639, 479, 0));
        // ceiling(x * 65535 / 1024), ceiling(y * 65535 / 768); the corner keeps its place in the area.
        auto absolute = [](int v, int size) { return std::to_string((v * 65535 + size - 1) / size); };
        const int cornerX = 639 * (c.x * 2) / 640, cornerY = 479 * (c.y * 2) / 480;
        EXPECT_EQ(input.Take(), (Events{"move " + absolute(c.x, 1024) + "," + absolute(c.y, 768),
                                        "move " + absolute(cornerX, 1024) + "," + absolute(cornerY, 768)}));
    }
}

class KeyMapAtOpen : public testing::Test {
protected:
    void SetUp() override
    {
        iniFile_ = ChangeFileExt(ParamStr(0), ".ini").c_str();
        KvKeyMap map;
        KvActionList list;
        list.Add(KvKeyAction(TShortCut(VK_F5)));
        map.SetActions(0x70, &list);
        ASSERT_TRUE(map.SaveToFile(kDriver, iniFile_.c_str()));
        settings_.SetLine(kDriver);
        settings_.Set("MouseAndKeyboard", "UserDefinedKeyboardMapping", "1");
    }
    void TearDown() override { DeleteFileA(iniFile_.c_str()); }

    LinkSettings settings_{"KeyMapAtOpen"};
    std::string iniFile_;
};

TEST_F(KeyMapAtOpen, LoadedFromThePortsSectionOfTheProgramsIniFile)
{
    TestLink link;
    ASSERT_TRUE(link.PrepareConnection());
    EXPECT_EQ(link.KeyMap().Count(), 1);
}

TEST_F(KeyMapAtOpen, NotLoadedWhileKeyboardTransferIsOff)
{
    settings_.Set("MouseAndKeyboard", "KeyboardEnabled", "0");
    TestLink link;
    ASSERT_TRUE(link.PrepareConnection());
    EXPECT_EQ(link.KeyMap().Count(), 0);
}

TEST(LinkOpen, FailsWithoutLineSettings)
{
    for (const char* parameter : {"", "nonsense"}) {
        LinkSettings settings("NoLine");
        settings.SetLine(kDriver, parameter);
        TestLink link;
        EXPECT_FALSE(link.OpenConnection()) << parameter;
        EXPECT_FALSE(link.Connected());
        const auto errors = link.Errors();
        EXPECT_TRUE(std::find(errors.begin(), errors.end(), "Can't change comm settings!") != errors.end()) << parameter;
    }
    // And without any store at all.
    TestLink link;
    EXPECT_FALSE(link.OpenConnection());
}

// Over the real pair: the stand-in's frames reach the reply state, with damage and garbage between them.
class LinkOnThePort : public testing::Test {
protected:
    void SetUp() override
    {
        settings_.SetLine(kDriver);
        settings_.Set("Communication", "AsyncDiff", "1");
        ASSERT_TRUE(terminal_.Open(kTerminal)) << terminal_.Port().LastError();
        link_.SetInputInjector(&input_);
        ASSERT_TRUE(link_.OpenConnection()) << testing::PrintToString(link_.Errors());
        event_.Reset();
    }

    static bool WaitFor(const std::function<bool()>& pred, DWORD ms = 3000) { return testwait::WaitUntil(pred, ms); }

    LinkSettings settings_{"OnThePort"};
    RecordingInput input_;
    TestLink link_;
    TerminalStandIn terminal_;
    NextTransferEvent event_;
};

TEST_F(LinkOnThePort, RepliesArriveThroughDamageAndGarbage)
{
    using S = TerminalStandIn;
    std::mt19937 random(3);
    ASSERT_TRUE(terminal_.Send(S::WrongSum(S::Acknowledge(9)) + S::Garbage(300, random) + S::UnknownCommand(0x07, "x") +
                               S::ShortBody(0x03, "\x01", 1) + S::Acknowledge(5)));
    ASSERT_TRUE(event_.Wait(3000));
    ASSERT_TRUE(WaitFor([&] {
        const BYTE a = link_.TakeAcknowledge();
        return a == 5;
    }));

    // One byte per write, as a slow line brings it.
    ASSERT_TRUE(terminal_.SendByteByByte(S::StatusReply(2), 5));
    ASSERT_TRUE(WaitFor([&] { return link_.TakeStatusReply() == 2; }));

    // A script of transfer reports: the window opens to AsyncDiff once the terminal caught up.
    link_.SetSentTransferNo(2);
    event_.Reset();
    terminal_.ThenTransferNumber(1).ThenTransferNumber(2, 50).Play();
    ASSERT_TRUE(terminal_.Finish());
    ASSERT_TRUE(WaitFor([&] { return link_.GetReceivedTransferNo() == 2; }));
    EXPECT_TRUE(event_.IsSet());
    event_.Reset();
    link_.SetSentTransferNo(3);
    EXPECT_TRUE(event_.IsSet()) << "one outstanding fits AsyncDiff 1";
    event_.Reset();
    link_.SetSentTransferNo(4);
    EXPECT_FALSE(event_.IsSet());

    EXPECT_TRUE(link_.CloseConnection());
    EXPECT_TRUE(event_.IsSet());
    EXPECT_FALSE(link_.CloseConnection());
}

// F1 held when the transfer ends: its release is sent by the close.
TEST_F(LinkOnThePort, CloseReleasesWhatTheTerminalHolds)
{
    ASSERT_TRUE(terminal_.Press(TerminalKeys::F(1)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(10, 10, 2)));
    ASSERT_TRUE(WaitFor([&] { return input_.Held() == Events{"F1", "left"}; }));
    EXPECT_TRUE(link_.CloseConnection());
    const Events e = input_.Take();
    ASSERT_GE(e.size(), 4u);
    EXPECT_EQ(e[e.size() - 2], "-F1");
    EXPECT_EQ(e.back(), "lup");
}

// Opened again, the link starts from nothing: no half frame, no reply, nothing held.
TEST_F(LinkOnThePort, AReopenedLinkStartsClean)
{
    ASSERT_TRUE(terminal_.Send(std::string("\x02\x00\x09", 3)));  // a frame begun, never finished
    link_.SetAcknowledge(4);
    ASSERT_TRUE(WaitFor([&] { return link_.ReadRequestSize() == 9; })) << "the receiver waits for the rest";
    ASSERT_TRUE(link_.CloseConnection());
    ASSERT_TRUE(link_.OpenConnection());
    EXPECT_EQ(link_.TakeAcknowledge(), 0xFF);
    EXPECT_EQ(link_.ReadRequestSize(), 1u);
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Acknowledge(6)));
    ASSERT_TRUE(WaitFor([&] { return link_.TakeAcknowledge() == 6; }));
}

// A key event that does not come back until it is let go, as a call into a hung window would not.
class StuckInput : public RecordingInput {
public:
    StuckInput() : entered_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    void KeyEvent(BYTE key, BYTE scanCode, DWORD flags) override
    {
        RecordingInput::KeyEvent(key, scanCode, flags);
        if (stick_.exchange(false)) {
            SetEvent(entered_.get());
            WaitForSingleObject(release_.get(), INFINITE);
        }
    }
    bool WaitEntered() { return WaitForSingleObject(entered_.get(), 5000) == WAIT_OBJECT_0; }
    void Release() { SetEvent(release_.get()); }

private:
    std::atomic<bool> stick_{true};
    KernelHandle entered_;
    KernelHandle release_;
};

// A link that tells when and on which thread it is destroyed.
class WatchedLink : public TestLink {
public:
    explicit WatchedLink(KernelHandle& destroyed, std::atomic<DWORD>& thread) : destroyed_(destroyed), thread_(thread) {}
    ~WatchedLink() override
    {
        thread_ = GetCurrentThreadId();
        SetEvent(destroyed_.get());
    }

private:
    KernelHandle& destroyed_;
    std::atomic<DWORD>& thread_;
};

// The reader thread stuck in a key event: the close gives up after its wait and the link is deleted at once,
// without waiting for the thread; the link goes when the thread has come back, and the port is free again.
TEST(LinkDelete, ALinkWhoseThreadIsStuckIsDeletedWithoutWaitingForIt)
{
    LinkSettings settings("StuckDelete");
    settings.SetLine(kDriver);
    TerminalStandIn terminal;
    ASSERT_TRUE(terminal.Open(kTerminal));
    StuckInput input;
    KernelHandle destroyed(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<DWORD> destroyer{0};
    auto* link = new WatchedLink(destroyed, destroyer);
    link->SetInputInjector(&input);
    link->SetCloseWaitMs(300);
    ASSERT_TRUE(link->OpenConnection());
    ASSERT_TRUE(terminal.Press(TerminalKeys::F(1)));
    ASSERT_TRUE(input.WaitEntered());

    EXPECT_TRUE(link->CloseConnection());
    EXPECT_TRUE(std::find(link->Errors().begin(), link->Errors().end(), "Error closing port") != link->Errors().end())
        << testing::PrintToString(link->Errors());

    // Should the delete wait for the thread, only this would end it.
    KernelHandle deleted(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> unstuckByWatchdog{false};
    std::thread watchdog([&] {
        if (WaitForSingleObject(deleted.get(), 10000) != WAIT_OBJECT_0) unstuckByWatchdog = true;
        input.Release();
    });
    delete link;
    SetEvent(deleted.get());
    watchdog.join();
    EXPECT_FALSE(unstuckByWatchdog) << "the delete waited for the stuck thread";

    // Once the thread is back, the link goes (not on this thread), and the key it pressed is let go.
    ASSERT_EQ(WaitForSingleObject(destroyed.get(), 10000), DWORD(WAIT_OBJECT_0));
    EXPECT_NE(destroyer, GetCurrentThreadId());
    TestLink next;
    RecordingInput nextInput;
    next.SetInputInjector(&nextInput);
    ASSERT_TRUE(testwait::WaitUntil([&] { return next.OpenConnection(); }, 5000)) << testing::PrintToString(next.Errors());
    ASSERT_TRUE(terminal.Release(TerminalKeys::F(1)));
    ASSERT_TRUE(terminal.Send(TerminalStandIn::Acknowledge(3)));
    EXPECT_TRUE(testwait::WaitUntil([&] { return next.TakeAcknowledge() == 3; }, 5000));
    EXPECT_TRUE(testwait::WaitUntil([&] { return input.Held().empty(); }, 5000)) << testing::PrintToString(input.Held());
}

// After a fatal error on the reader thread the link is opened again at once, while the old reader is still
// finishing a read (here it leaves half a frame behind): the new connection is prepared only after the old
// threads have ended, so it starts clean.
class SlowFatalLink : public TestLink {
public:
    BYTE OnReceive(BYTE kind, const BYTE* buffer, DWORD count) override
    {
        if (armed_ && count == 1 && buffer[0] == 'F') {
            armed_ = false;
            ReportFatal("fatal on the reader");
            // Still busy with the receiver while the owner opens again.
            Sleep(1000);
            return KvSerialIO::OnReceive(kind, reinterpret_cast<const BYTE*>("\x02\x00\x09"), 3);
        }
        return KvSerialIO::OnReceive(kind, buffer, count);
    }

private:
    std::atomic<bool> armed_{true};
};

TEST(LinkReopen, AfterAFatalErrorTheOldReaderEndsBeforeTheNewConnectionIsPrepared)
{
    LinkSettings settings("ReopenAfterFatal");
    settings.SetLine(kDriver);
    TerminalStandIn terminal;
    ASSERT_TRUE(terminal.Open(kTerminal));
    SlowFatalLink link;
    ASSERT_TRUE(link.OpenConnection());
    ASSERT_TRUE(terminal.Send("F"));
    ASSERT_TRUE(testwait::WaitUntil([&] { return !link.Connected(); }, 5000));
    ASSERT_TRUE(link.OpenConnection()) << testing::PrintToString(link.Errors());
    EXPECT_EQ(link.ReadRequestSize(), 1u) << "no half frame from the old reader";
    ASSERT_TRUE(terminal.Send(TerminalStandIn::Acknowledge(6)));
    EXPECT_TRUE(testwait::WaitUntil([&] { return link.TakeAcknowledge() == 6; }, 5000));
}

}  // namespace
