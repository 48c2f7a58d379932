#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/IniFiles.h"
#include "link/KeyInjector.h"
#include "link/Keymap.h"
#include "support/Wait.h"

namespace {

// --------------------------------------------------------------------------------------------------------------
// Recorded key events, written as "+Shift" (down) and "-Shift" (up).

std::string KeyName(BYTE key)
{
    switch (key) {
    case VK_SHIFT: return "Shift";
    case VK_CONTROL: return "Ctrl";
    case VK_MENU: return "Alt";
    default: return ShortCutToText(key).str();
    }
}

using Events = std::vector<std::string>;

// Keeps the events instead of sending them; the keys in `held` read as physically down.
class RecordingInjector : public KvKeyInjector {
public:
    explicit RecordingInjector(std::set<int> held = {}) : held_(std::move(held)) {}

    void KeyEvent(BYTE key, BYTE scanCode, DWORD flags) override
    {
        events.push_back((flags & KEYEVENTF_KEYUP ? "-" : "+") + KeyName(key));
        if (scanCode != BYTE(MapVirtualKeyA(key, 0)) || (flags & ~DWORD(KEYEVENTF_KEYUP)) != 0)
            badEvents.push_back(events.back());
    }
    SHORT AsyncKeyState(int key) override { return held_.count(key) ? SHORT(0x8000) : SHORT(0); }

    Events events;
    Events badEvents;  // a scan code not the system's own, or flags other than KEYEVENTF_KEYUP

private:
    std::set<int> held_;
};

KvKeyAction Action(const char* text)
{
    KvKeyAction a;
    a.FromText(text);
    return a;
}

KvActionList List(std::initializer_list<const char*> texts)
{
    KvActionList list;
    for (const char* t : texts) list.Add(Action(t));
    return list;
}

std::vector<std::string> Texts(const KvActionList& list)
{
    TStringList s;
    list.ToText(&s);
    std::vector<std::string> v;
    for (int i = 0; i < s.Count(); ++i) v.push_back(s.Strings(i).str());
    return v;
}

// --------------------------------------------------------------------------------------------------------------
// Playing one combination

struct PlayCase {
    const char* action;
    std::set<int> held;
    Events expected;
};

class KeyActionPlay : public testing::TestWithParam<PlayCase> {};

TEST_P(KeyActionPlay, SendsTheCombinationAroundTheHeldShiftAndAlt)
{
    const PlayCase& c = GetParam();
    RecordingInjector injector(c.held);
    EXPECT_TRUE(Action(c.action).Execute(injector));
    EXPECT_EQ(injector.events, c.expected);
    EXPECT_TRUE(injector.badEvents.empty()) << injector.badEvents.front();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyActionPlay,
    testing::Values(
        PlayCase{"Ctrl+C", {}, {"+Ctrl", "+C", "-C", "-Ctrl"}},
        PlayCase{"F5", {}, {"+F5", "-F5"}},
        // The user's Shift must not turn Ctrl+C into Shift+Ctrl+C.
        PlayCase{"Ctrl+C", {VK_SHIFT}, {"-Shift", "+Ctrl", "+C", "-C", "-Ctrl", "+Shift"}},
        PlayCase{"Shift+A", {VK_SHIFT}, {"-Shift", "+Shift", "+A", "-A", "-Shift", "+Shift"}},
        PlayCase{"F5", {VK_MENU}, {"-Alt", "+F5", "-F5", "+Alt"}},
        PlayCase{"Shift+Ctrl+Alt+Del", {},
                 {"+Shift", "+Alt", "+Ctrl", "+Del", "-Del", "-Shift", "-Alt", "-Ctrl"}},
        PlayCase{"Alt+Tab", {VK_SHIFT, VK_MENU},
                 {"-Shift", "-Alt", "+Alt", "+Tab", "-Tab", "-Alt", "+Shift", "+Alt"}},
        // A held Ctrl is left as it is.
        PlayCase{"F5", {VK_CONTROL}, {"+F5", "-F5"}},
        // A text naming no key gives 0: only the held Shift and Alt are let go and pressed again.
        PlayCase{"NoSuchKey", {VK_SHIFT, VK_MENU}, {"-Shift", "-Alt", "+Shift", "+Alt"}},
        PlayCase{"NoSuchKey", {}, {}}));

TEST(KeyAction, AKeyWithoutAScanCodeSendsOnlyItsModifiers)
{
    // 0x07 is an unassigned virtual key.
    ASSERT_EQ(MapVirtualKeyA(0x07, 0), 0u);
    RecordingInjector injector;
    KvKeyAction(TShortCut(scCtrl | 0x07)).Execute(injector);
    EXPECT_EQ(injector.events, (Events{"+Ctrl", "-Ctrl"}));
}

TEST(KeyAction, TextsAreTheShortcutTexts)
{
    EXPECT_EQ(Action("Ctrl+C").Value(), TShortCut(scCtrl | 'C'));
    EXPECT_EQ(Action("shift+f5").Value(), TShortCut(scShift | VK_F5));
    EXPECT_EQ(Action("NoSuchKey").Value(), 0);
    EXPECT_EQ(Action("").Value(), 0);
    EXPECT_EQ(KvKeyAction(TShortCut(scShift | scCtrl | VK_F1)).ToText(), "Shift+Ctrl+F1");
    EXPECT_EQ(KvKeyAction().ToText(), "");
}

// --------------------------------------------------------------------------------------------------------------
// Lists and the map

TEST(ActionList, TextsInOrderWithDuplicatesAndUnknownsKept)
{
    TStringList s;
    s.SetCommaText("Ctrl+C,F2,Ctrl+C,NoSuchKey");
    KvActionList list = List({"Esc"});
    ASSERT_TRUE(list.FromText(&s));
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3].Value(), 0);

    TStringList out;
    out.Add("left over");
    ASSERT_TRUE(list.ToText(&out));
    EXPECT_EQ(out.CommaText(), "Ctrl+C,F2,Ctrl+C,");

    EXPECT_FALSE(list.ToText(nullptr));
    EXPECT_FALSE(list.FromText(nullptr));
    EXPECT_EQ(list.Count(), 4);
}

TEST(ActionList, PlaysEveryActionInOrder)
{
    RecordingInjector injector;
    List({"Ctrl+C", "Ctrl+V", "Ctrl+C"}).Execute(injector);
    EXPECT_EQ(injector.events, (Events{"+Ctrl", "+C", "-C", "-Ctrl", "+Ctrl", "+V", "-V", "-Ctrl", "+Ctrl", "+C",
                                       "-C", "-Ctrl"}));
}

TEST(KeyMap, SetActionsStoresACopyAndNullRemoves)
{
    KvKeyMap map;
    KvActionList list = List({"F2"});
    map.SetActions(0x80000070, &list);
    list.Add(Action("F3"));
    EXPECT_EQ(Texts(map.GetActions(0x80000070)), (std::vector<std::string>{"F2"}));

    map.SetActions(0x80000070, &list);
    EXPECT_EQ(Texts(map.GetActions(0x80000070)), (std::vector<std::string>{"F2", "F3"}));

    KvActionList copy = map.GetActions(0x80000070);
    copy.Clear();
    EXPECT_EQ(map.GetActions(0x80000070).Count(), 2);

    map.SetActions(0x80000070, nullptr);
    EXPECT_EQ(map.Count(), 0);
    EXPECT_EQ(map.GetActions(0x80000070).Count(), 0);
    map.SetActions(0x70, nullptr);  // removing what is not there
    EXPECT_EQ(map.Count(), 0);
}

TEST(KeyMap, PlaysOnlyTheMappedCode)
{
    KvKeyMap map;
    KvActionList list = List({"Ctrl+C", "Ctrl+V"});
    map.SetActions(0x08000070, &list);
    KvActionList empty;
    map.SetActions(0x80000071, &empty);

    RecordingInjector injector;
    EXPECT_FALSE(map.Execute(0x00000070, injector));
    EXPECT_FALSE(map.Execute(0x88000070, injector));
    EXPECT_TRUE(injector.events.empty());

    EXPECT_TRUE(map.Execute(0x08000070, injector));
    EXPECT_EQ(injector.events, (Events{"+Ctrl", "+C", "-C", "-Ctrl", "+Ctrl", "+V", "-V", "-Ctrl"}));

    // A mapped code with no actions is still the map's: nothing is sent in its place.
    injector.events.clear();
    EXPECT_TRUE(map.Execute(0x80000071, injector));
    EXPECT_TRUE(injector.events.empty());
}

// --------------------------------------------------------------------------------------------------------------
// The .ini file

class KeyMapFile : public testing::Test {
protected:
    void SetUp() override
    {
        char buf[MAX_PATH];
        DWORD n = GetTempPathA(MAX_PATH, buf);
        folder_ = std::string(buf, n) + "KvKeymapTest";
        CreateDirectoryA(folder_.c_str(), nullptr);
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        file_ = folder_ + "\\" + info->name() + ".ini";
        DeleteFileA(file_.c_str());
    }
    void TearDown() override { DeleteFileA(file_.c_str()); }

    void Write(const std::string& text)
    {
        FileHandle h(CreateFileA(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(h);
        DWORD put = 0;
        ASSERT_TRUE(WriteFile(h.get(), text.data(), DWORD(text.size()), &put, nullptr));
    }

    // The section's lines as name=value, in file order.
    std::vector<std::string> Lines(const char* section)
    {
        TIniFile ini(file_.c_str());
        TStringList values;
        ini.ReadSectionValues(section, &values);
        std::vector<std::string> v;
        for (int i = 0; i < values.Count(); ++i) v.push_back(values.Strings(i).str());
        return v;
    }

    std::string folder_;
    std::string file_;
};

TEST_F(KeyMapFile, LoadsThePortsSectionAndSkipsLinesThatAreNoCode)
{
    Write("[KeyMap.COM2]\r\n"
          "0x00000070=F9\r\n"
          "[KeyMap.COM1]\r\n"
          "0x08000070=Ctrl+C,Ctrl+V\r\n"
          "0x80000070=F2\r\n"
          "0xFFFFFFFF=Esc\r\n"
          "113=F3\r\n"
          "0x00000072=NoSuchKey\r\n"
          "0x00000000=F4\r\n"
          "0=F4\r\n"
          "F1=F4\r\n"
          "0x70zz=F4\r\n"
          "0x100000070=F4\r\n"
          "-1=F4\r\n"
          "0x=F4\r\n"
          "0x00000073=\r\n"
          "0x00000074=   \r\n"
          "[KeyMap]\r\n"
          "0x00000075=F8\r\n");

    KvKeyMap map;
    KvActionList old = List({"F1"});
    map.SetActions(0x71, &old);
    ASSERT_TRUE(map.LoadFromFile("COM1", file_.c_str()));

    EXPECT_EQ(map.Count(), 5);
    EXPECT_EQ(Texts(map.GetActions(0x08000070)), (std::vector<std::string>{"Ctrl+C", "Ctrl+V"}));
    // Release codes have the top bit set and must survive the name's conversion.
    EXPECT_EQ(Texts(map.GetActions(0x80000070)), (std::vector<std::string>{"F2"}));
    EXPECT_EQ(Texts(map.GetActions(0xFFFFFFFF)), (std::vector<std::string>{"Esc"}));
    EXPECT_EQ(Texts(map.GetActions(113)), (std::vector<std::string>{"F3"}));
    ASSERT_EQ(map.GetActions(0x72).Count(), 1);
    EXPECT_EQ(map.GetActions(0x72)[0].Value(), 0);
    EXPECT_EQ(map.GetActions(0x70).Count(), 0);  // only in the other port's section

    // A release mapping acts on the release only; the press stays unmapped and goes to Windows as it is.
    RecordingInjector injector;
    EXPECT_FALSE(map.Execute(0x00000070, injector));
    EXPECT_TRUE(map.Execute(0x80000070, injector));
    EXPECT_EQ(injector.events, (Events{"+F2", "-F2"}));

    ASSERT_TRUE(map.LoadFromFile("", file_.c_str()));
    EXPECT_EQ(map.Count(), 1);
    EXPECT_EQ(Texts(map.GetActions(0x75)), (std::vector<std::string>{"F8"}));
}

TEST_F(KeyMapFile, AMissingSectionOrFileGivesAnEmptyMap)
{
    KvKeyMap map;
    KvActionList list = List({"F1"});
    map.SetActions(0x70, &list);
    ASSERT_TRUE(map.LoadFromFile("COM1", file_.c_str()));  // no file at all
    EXPECT_EQ(map.Count(), 0);

    Write("[KeyMap.COM2]\r\n0x00000070=F9\r\n");
    map.SetActions(0x70, &list);
    ASSERT_TRUE(map.LoadFromFile("COM1", file_.c_str()));
    EXPECT_EQ(map.Count(), 0);
}

TEST_F(KeyMapFile, SavesCodesInAscendingOrderAndLeavesOtherSections)
{
    Write("[Other]\r\nx=1\r\n[KeyMap.COM1]\r\n0x00000075=F8\r\n[KeyMap.COM2]\r\n0x00000070=F9\r\n");
    KvKeyMap map;
    KvActionList release = List({"F2"}), shifted = List({"Ctrl+C", "Ctrl+V"}), plain = List({"Shift+Alt+Tab"});
    map.SetActions(0x80000070, &release);
    map.SetActions(0x08000070, &shifted);
    map.SetActions(0x0000002F, &plain);
    ASSERT_TRUE(map.SaveToFile("COM1", file_.c_str()));

    EXPECT_EQ(Lines("KeyMap.COM1"), (std::vector<std::string>{"0x0000002F=Shift+Alt+Tab",
                                                              "0x08000070=Ctrl+C,Ctrl+V", "0x80000070=F2"}));
    EXPECT_EQ(Lines("KeyMap.COM2"), (std::vector<std::string>{"0x00000070=F9"}));
    EXPECT_EQ(Lines("Other"), (std::vector<std::string>{"x=1"}));

    KvKeyMap back;
    ASSERT_TRUE(back.LoadFromFile("COM1", file_.c_str()));
    EXPECT_TRUE(back == map);
}

TEST_F(KeyMapFile, SavingAnEmptyMapLeavesNoEntries)
{
    Write("[KeyMap]\r\n0x00000070=F9\r\n[KeyMap.COM2]\r\n0x00000070=F9\r\n");
    ASSERT_TRUE(KvKeyMap().SaveToFile("", file_.c_str()));
    EXPECT_TRUE(Lines("KeyMap").empty());
    EXPECT_EQ(Lines("KeyMap.COM2").size(), 1u);

    // Also into a file that is not there yet.
    DeleteFileA(file_.c_str());
    EXPECT_TRUE(KvKeyMap().SaveToFile("COM1", file_.c_str()));
}

TEST_F(KeyMapFile, LongListsAndEveryNamedKeyComeBackWhole)
{
    // Every key the shortcut texts name, with every modifier set, in one line far longer than a profile buffer.
    KvActionList all;
    for (unsigned key = 1; key < 256; ++key)
        for (int mods : {0, int(scShift), int(scCtrl), int(scAlt), scShift | scCtrl | scAlt})
            all.Add(KvKeyAction(TShortCut(mods | key)));
    KvKeyMap map;
    map.SetActions(0x88000079, &all);
    ASSERT_TRUE(map.SaveToFile("COM1", file_.c_str()));
    ASSERT_GT(Lines("KeyMap.COM1").front().size(), 8192u);

    KvKeyMap back;
    ASSERT_TRUE(back.LoadFromFile("COM1", file_.c_str()));
    ASSERT_EQ(back.GetActions(0x88000079).Count(), all.Count());
    for (int i = 0; i < all.Count(); ++i)
        EXPECT_EQ(back.GetActions(0x88000079)[i].Value(), all[i].Value()) << all[i].ToText().str();
}

// Lines the map cannot read are kept as they are through a load and a save; only lines of codes the map holds
// are its own to rewrite.
TEST_F(KeyMapFile, LinesTheMapCannotReadAreKeptThroughASave)
{
    const std::vector<std::string> unreadable = {"0x00000000=F4", "0=F4", "F1=F4", "0x70zz=F4", "0x100000070=F4",
                                                 "-1=F4", "0x=F4", "0x00000073=", "note=keep me, as written"};
    std::string text = "[KeyMap.COM1]\r\n0x08000070=Ctrl+C,Ctrl+V\r\n";
    for (const std::string& line : unreadable) text += line + "\r\n";
    text += "0x80000070=F2\r\n[KeyMap.COM2]\r\n0x00000070=F9\r\n";
    Write(text);

    KvKeyMap map;
    ASSERT_TRUE(map.LoadFromFile("COM1", file_.c_str()));
    ASSERT_TRUE(map.SaveToFile("COM1", file_.c_str()));
    std::vector<std::string> expected = unreadable;
    expected.push_back("0x08000070=Ctrl+C,Ctrl+V");
    expected.push_back("0x80000070=F2");
    EXPECT_EQ(Lines("KeyMap.COM1"), expected) << "unchanged but for the order";
    EXPECT_EQ(Lines("KeyMap.COM2"), (std::vector<std::string>{"0x00000070=F9"}));

    // A code the map now holds is the map's: its empty line goes, so that the file holds the code once.
    KvActionList list = List({"F3"});
    map.SetActions(0x73, &list);
    map.SetActions(0x80000070, nullptr);
    ASSERT_TRUE(map.SaveToFile("COM1", file_.c_str()));
    expected = unreadable;
    expected.erase(std::find(expected.begin(), expected.end(), "0x00000073="));
    expected.push_back("0x00000073=F3");
    expected.push_back("0x08000070=Ctrl+C,Ctrl+V");
    EXPECT_EQ(Lines("KeyMap.COM1"), expected);
    KvKeyMap back;
    ASSERT_TRUE(back.LoadFromFile("COM1", file_.c_str()));
    EXPECT_TRUE(back == map);
}

TEST_F(KeyMapFile, ASaveThatCannotBeWrittenIsReported)
{
    KvKeyMap map;
    KvActionList list = List({"F2"});
    map.SetActions(0x70, &list);
    const std::string missingFolder = folder_ + "\\no such folder\\keys.ini";
    EXPECT_FALSE(map.SaveToFile("COM1", missingFolder.c_str()));

    // A folder where the file should be.
    const std::string folderInTheWay = folder_ + "\\in the way.ini";
    CreateDirectoryA(folderInTheWay.c_str(), nullptr);
    EXPECT_FALSE(map.SaveToFile("COM1", folderInTheWay.c_str()));
    RemoveDirectoryA(folderInTheWay.c_str());
}

// --------------------------------------------------------------------------------------------------------------
// The real events reaching a window on the display

// A focused top-level window that notes the key messages it is sent. One window serves the suite: Wine
// takes seconds to take a window off the display.
class KeyWindow : public testing::Test {
protected:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            const bool up = msg == WM_KEYUP || msg == WM_SYSKEYUP;
            received_.push_back((up ? "-" : "+") + KeyName(BYTE(wParam)));
            const BYTE scan = BYTE((lParam >> 16) & 0xFF);
            if (scan != BYTE(MapVirtualKeyA(UINT(wParam), 0))) wrongScanCodes_.push_back(received_.back());
            return 0;
        }
        default: return DefWindowProcA(wnd, msg, wParam, lParam);
        }
    }

    static void SetUpTestSuite()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className_;
        RegisterClassA(&wc);
        window_ = WindowHandle(CreateWindowExA(0, className_, "keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                               100, nullptr, nullptr, wc.hInstance, nullptr));
    }

    static void TearDownTestSuite()
    {
        window_.reset();
        UnregisterClassA(className_, GetModuleHandleA(nullptr));
    }

    void SetUp() override
    {
        ASSERT_TRUE(window_);
        SetForegroundWindow(window_.get());
        SetFocus(window_.get());
        Pump(100);
        ASSERT_EQ(GetForegroundWindow(), window_.get());
        ASSERT_EQ(GetFocus(), window_.get());
        for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) ASSERT_FALSE(GetAsyncKeyState(key) & 0x8000);
        received_.clear();
        wrongScanCodes_.clear();
    }

    // Serves the window's messages until `count` key messages came or the time is up.
    static void Pump(DWORD ms, std::size_t count = SIZE_MAX)
    {
        testwait::PumpUntil([&] { return received_.size() >= count; }, ms);
    }

    static constexpr const char* className_ = "KvKeymapTestWindow";
    static inline WindowHandle window_;
    static inline Events received_;
    static inline Events wrongScanCodes_;
};

TEST_F(KeyWindow, PlayedCombinationsArriveInOrder)
{
    Action("Ctrl+C").Execute();
    Action("Shift+A").Execute();
    // A key of our own after them: once it is here, everything before it is.
    Action("F11").Execute();
    Pump(5000, 10);
    EXPECT_EQ(received_, (Events{"+Ctrl", "+C", "-C", "-Ctrl", "+Shift", "+A", "-A", "-Shift", "+F11", "-F11"}));
    EXPECT_TRUE(wrongScanCodes_.empty()) << wrongScanCodes_.front();
}

TEST_F(KeyWindow, AShiftHeldByTheUserIsLetGoAroundTheCombinationAndPressedAgain)
{
    const BYTE shiftScan = BYTE(MapVirtualKeyA(VK_SHIFT, 0));
    keybd_event(VK_SHIFT, shiftScan, 0, 0);
    ASSERT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);

    KvKeyMap map;
    KvActionList list = List({"Ctrl+C"});
    map.SetActions(0x08000070, &list);
    EXPECT_TRUE(map.Execute(0x08000070));
    const bool shiftStillDown = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
    keybd_event(VK_SHIFT, shiftScan, KEYEVENTF_KEYUP, 0);

    Pump(2000, 8);
    EXPECT_TRUE(shiftStillDown);
    EXPECT_EQ(received_, (Events{"+Shift", "-Shift", "+Ctrl", "+C", "-C", "-Ctrl", "+Shift", "-Shift"}));
}

}  // namespace
