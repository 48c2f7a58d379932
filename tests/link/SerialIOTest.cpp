// The link object's settings, read from a settings store at a per-test registry key, and its open and close
// over a real COM pair with the terminal stand-in on the far end.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <random>
#include <string>

#include "LinkTestSupport.h"
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
        SettingCase{"BrowseText", "MouseAndKeyboard", "LetterBrowseTime", "abc", [](TestLink& l) { return l.letterBrowseTime_ == 600; }},
        SettingCase{"BrowseEmpty", "MouseAndKeyboard", "LetterBrowseTime", "", [](TestLink& l) { return l.letterBrowseTime_ == 600; }},
        SettingCase{"BrowseSet", "MouseAndKeyboard", "LetterBrowseTime", "450", [](TestLink& l) { return l.letterBrowseTime_ == 450; }},
        // Compared less 50 ms: anything shorter would never fire.
        SettingCase{"BrowseTooShort", "MouseAndKeyboard", "LetterBrowseTime", "20", [](TestLink& l) { return l.letterBrowseTime_ == 50; }},
        SettingCase{"BreakText", "MouseAndKeyboard", "LetterBreakTime", "1s", [](TestLink& l) { return l.letterBreakTime_ == 1000; }},
        SettingCase{"BreakNegative", "MouseAndKeyboard", "LetterBreakTime", "-5", [](TestLink& l) { return l.letterBreakTime_ == 50; }},
        SettingCase{"AsyncDiff", "Communication", "AsyncDiff", "2", [](TestLink& l) { return l.asyncDiff_ == 2; }},
        SettingCase{"AsyncDiffText", "Communication", "AsyncDiff", "x", [](TestLink& l) { return l.asyncDiff_ == 0; }},
        SettingCase{"AsyncDiffNegative", "Communication", "AsyncDiff", "-1", [](TestLink& l) { return l.asyncDiff_ == 0; }},
        SettingCase{"AsyncDiffLarge", "Communication", "AsyncDiff", "300", [](TestLink& l) { return l.asyncDiff_ == 255; }},
        SettingCase{"KeyboardOff", "MouseAndKeyboard", "KeyboardEnabled", "0", [](TestLink& l) { return !l.keyboardEnabled_; }},
        SettingCase{"MouseOff", "MouseAndKeyboard", "TransferMouseToPc", "0", [](TestLink& l) { return !l.transferMouse_; }},
        SettingCase{"LettersOff", "MouseAndKeyboard", "EnableLetterInput", "0", [](TestLink& l) { return !l.letterInputEnabled_; }},
        SettingCase{"Desktop800", "Application", "Desktop", "800x600", [](TestLink& l) { return l.areaWidth_ == 800 && l.areaHeight_ == 600; }},
        SettingCase{"Desktop1024", "Application", "Desktop", "1024x768", [](TestLink& l) { return l.areaWidth_ == 1024 && l.areaHeight_ == 768; }},
        SettingCase{"Desktop640", "Application", "Desktop", "640x480", [](TestLink& l) { return l.areaWidth_ == 0 && l.areaHeight_ == 0; }},
        SettingCase{"DesktopOther", "Application", "Desktop", "800X600", [](TestLink& l) { return l.areaWidth_ == 0 && l.areaHeight_ == 0; }},
        SettingCase{"ModeApplication", "Application", "Mode", "Application", [](TestLink& l) { return l.applicationMode_; }},
        SettingCase{"ModeWrongCase", "Application", "Mode", "application", [](TestLink& l) { return !l.applicationMode_; }}),
    [](const testing::TestParamInfo<SettingCase>& info) { return std::string(info.param.name); });

TEST(LinkSettingsDefaults, NothingStored)
{
    LinkSettings settings("Defaults");
    TestLink link;
    ASSERT_TRUE(link.PrepareConnection());
    EXPECT_TRUE(link.keyboardEnabled_);
    EXPECT_FALSE(link.userDefinedMapping_);
    EXPECT_TRUE(link.transferMouse_);
    EXPECT_EQ(link.asyncDiff_, 0);
    EXPECT_TRUE(link.letterInputEnabled_);
    EXPECT_EQ(link.letterBrowseTime_, 600u);
    EXPECT_EQ(link.letterBreakTime_, 1000u);
    EXPECT_EQ(link.areaWidth_, 0);
    EXPECT_FALSE(link.applicationMode_);
    // The screen of the display.
    EXPECT_EQ(link.screenWidth_, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(link.screenHeight_, GetSystemMetrics(SM_CYSCREEN));
}

TEST(LinkSettingsDefaults, TheDesktopAreaScalesThePointer)
{
    LinkSettings settings("Area");
    settings.Set("Application", "Desktop", "800x600");
    RecordingInput input;
    TestLink link;
    link.SetInputInjector(&input);
    ASSERT_TRUE(link.PrepareConnection());
    ASSERT_EQ(link.screenWidth_, 1024);
    ASSERT_EQ(link.screenHeight_, 768);
    link.Feed(TerminalStandIn::Pointer(320, 240, 0));
    // (400, 300) on the screen: ceiling(400 * 65535 / 1024), ceiling(300 * 65535 / 768)
    EXPECT_EQ(input.Take(), (Events{"move 25600,25600"}));
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
    ASSERT_TRUE(WaitFor([&] { return input_.AsyncKeyState(VK_F1) != 0; }));
    Sleep(200);
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
    Sleep(200);
    ASSERT_TRUE(link_.CloseConnection());
    ASSERT_TRUE(link_.OpenConnection());
    EXPECT_EQ(link_.TakeAcknowledge(), 0xFF);
    EXPECT_EQ(link_.ReadRequestSize(), 1u);
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Acknowledge(6)));
    ASSERT_TRUE(WaitFor([&] { return link_.TakeAcknowledge() == 6; }));
}

}  // namespace
