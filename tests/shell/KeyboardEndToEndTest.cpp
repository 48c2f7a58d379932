// The user key map through DravikREMOTE.exe as a user makes it: "Define Keyboard" on the configuration window,
// a key of the picture clicked, its combinations pressed and chosen in the key dialogs, the picture closed; the
// map is then in the .ini beside the program, and the next transfer plays it when the terminal's key is pressed.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "DriverWindows.h"
#include "KeyMapTestSupport.h"
#include "mirror/CaptureTestTerminal.h"
#include "shell/LayoutK5.h"
#include "support/TrayArea.h"

namespace {

using namespace shelltest;
using capturetest::ScriptedTerminal;

using Lines = std::vector<std::pair<std::string, std::string>>;
using Events = std::vector<std::string>;

class DriverKeyboard : public testing::Test {
protected:
    void SetUp() override
    {
        // The port's line and the user's mapping are there, but the port was never saved from the window.
        WriteRaw(PortKey("COM5", "Communication"), "Parameter", "baud=115200 parity=N data=8 stop=1 protocol=N");
        WriteRaw(PortKey("COM5", "Communication"), "DelayAfterSend", "50");
        WriteRaw(PortKey("COM5", "MouseAndKeyboard"), "UserDefinedKeyboardMapping", "1");
        ini_ = BuildDir() + "\\DravikREMOTE.ini";
        RemoveIni();
        ASSERT_NE(tray_.Icon(), nullptr);
        ASSERT_NE(TaskbarWindow(), nullptr) << "the tests need Wine's virtual desktop with its taskbar";
    }
    void TearDown() override
    {
        if (FindPopupMenuWindow(driver_.Id())) controltest::Key(VK_ESCAPE);
        driver_.Kill();
        terminal_.Close();
        RemoveIni();
        controltest::MouseTo(1000, 700);
    }
    void RemoveIni()
    {
        DeleteFileA(ini_.c_str());
        RemoveDirectoryA(ini_.c_str());
    }
    void Exit()
    {
        ASSERT_TRUE(tray_.Choose('E'));
        ASSERT_TRUE(driver_.WaitForExit(20000)) << "the program ends";
        EXPECT_EQ(driver_.ExitCode(), 0u);
    }

    // The windows --------------------------------------------------------------------------------------------
    HWND WaitWindow(const char* caption)
    {
        HWND w = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return (w = driver_.VisibleWindow("", caption)) != nullptr; }, 20000)) << caption;
        if (w) {
            EXPECT_TRUE(BringToFront(w)) << caption;
        }
        return w;
    }
    bool Gone(HWND w)
    {
        return PumpUntil([&] { return !IsWindow(w) || !IsWindowVisible(w); }, 10000);
    }
    HWND WaitChild(HWND parent, const char* cls, const char* text)
    {
        HWND c = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return (c = FindChild(parent, cls, text)) != nullptr; }, 10000))
            << cls << " \"" << (text ? text : "") << "\" in\n" << Describe(Children(parent));
        return c;
    }
    void Click(HWND w) { MouseClick(Centre(w), false); }

    // The configuration window, from the tray menu, in front.
    HWND OpenConfiguration()
    {
        HWND window = tray_.Configuration();
        EXPECT_NE(window, nullptr);
        if (window) {
            EXPECT_TRUE(BringToFront(window));
        }
        return window;
    }
    // "Define Keyboard" on the "Mouse && Keyboard" page: the keyboard picture.
    HWND OpenPicture(HWND window)
    {
        EXPECT_TRUE(ClickTab(driver_.Handle(), WaitChild(window, "TPageControl", nullptr), 2));
        HWND button = WaitChild(window, "TButton", "Define &Keyboard");
        if (!button) return nullptr;
        EXPECT_TRUE(IsWindowEnabled(button)) << "the user's mapping is on";
        before_ = RegistryTree(BaseKey());
        Click(button);
        return WaitWindow("DRAVIK K5");
    }
    // A key of the picture, where this program's own picture has it.
    void ClickKey(HWND picture, TControl* key)
    {
        POINT at{key->Left() + key->Width() / 2, key->Top() + key->Height() / 2};
        ClientToScreen(picture, &at);
        MouseClick(at, false);
    }
    // The picture closed by its close box, which saves the map.
    void ClosePicture(HWND picture)
    {
        POINT at{};
        ASSERT_TRUE(CloseBoxPoint(picture, at));
        MouseClick(at, false);
    }
    // "Add" in the key-definition dialog: the key-selection dialog, up and recording.
    HWND OpenSelection(HWND define)
    {
        HWND add = WaitChild(define, "TZCLButton", "&Add");
        if (!add) return nullptr;
        Click(add);
        HWND select = WaitWindow("Select a Key");
        EXPECT_TRUE(PumpUntil([&] { return ClassOf(FocusIn(select)) == "THotKey"; }, 10000))
            << "the hot-key input has the keys: " << ClassOf(FocusIn(select));
        return select;
    }
    // A combination pressed into the hot-key input and taken with OK.
    void AddPressed(HWND define, WORD vk, const std::vector<WORD>& modifiers, WORD hotKey)
    {
        HWND select = OpenSelection(define);
        ASSERT_NE(select, nullptr);
        controltest::SendKey(vk, modifiers);
        HWND input = FindChild(select, "THotKey", nullptr);
        ASSERT_TRUE(PumpUntil([&] { return SendMessageA(input, HKM_GETHOTKEY, 0, 0) == hotKey; }, 10000))
            << std::hex << SendMessageA(input, HKM_GETHOTKEY, 0, 0);
        Click(WaitChild(select, "TButton", "OK"));
        ASSERT_TRUE(Gone(select));
    }
    // A special key (the row'th of the list) with the modifier boxes named, taken with OK.
    void AddSpecial(HWND define, int row, const std::vector<const char*>& boxes)
    {
        HWND select = OpenSelection(define);
        ASSERT_NE(select, nullptr);
        Click(WaitChild(select, "TRadioButton", "Special Keys"));
        HWND list = nullptr;
        ASSERT_TRUE(PumpUntil([&] {
            list = FocusIn(select);
            return ClassOf(list) == "TComboBox";
        }, 10000)) << "the list of special keys has the keys";
        for (int i = 0; i < row; ++i) {
            controltest::SendKey(VK_DOWN);
            ASSERT_TRUE(PumpUntil([&] { return SendMessageA(list, CB_GETCURSEL, 0, 0) == i + 1; }, 10000));
        }
        for (const char* name : boxes) {
            HWND box = WaitChild(select, "TCheckBox", name);
            ASSERT_NE(box, nullptr);
            MouseClick(Centre(box, 8), false);
            ASSERT_TRUE(PumpUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 10000)) << name;
        }
        Click(WaitChild(select, "TButton", "OK"));
        ASSERT_TRUE(Gone(select));
    }
    // F1 given Ctrl+C for the key going down, taken with "&Ok".
    void DefineF1(HWND picture)
    {
        ClickKey(picture, layout_.KeyF[0]);
        HWND define = WaitWindow("Define Key Actions");
        ASSERT_NE(define, nullptr);
        AddPressed(define, 'C', {VK_CONTROL}, MAKEWORD('C', HOTKEYF_CONTROL));
        Click(WaitChild(define, "TZCLButton", "&Ok"));
        ASSERT_TRUE(Gone(define));
    }
    // F1 clicked again shows Ctrl+C in its key-down list; "&Ok" leaves it so.
    void ExpectF1Defined(HWND picture)
    {
        ASSERT_TRUE(BringToFront(picture));
        ClickKey(picture, layout_.KeyF[0]);
        HWND define = WaitWindow("Define Key Actions");
        ASSERT_NE(define, nullptr);
        const std::vector<HWND> lists = FindChildren(define, "TListBox");
        ASSERT_EQ(lists.size(), 2u) << Describe(Children(define));
        EXPECT_TRUE(PumpUntil([&] { return Rows(lists[0]) == Events{"Ctrl+C"}; }, 10000))
            << testing::PrintToString(Rows(lists[0]));
        Click(WaitChild(define, "TZCLButton", "&Ok"));
        ASSERT_TRUE(Gone(define));
    }
    // The driver on COM5 with a folder where its .ini goes, F1 defined in the picture and the picture closed:
    // the save fails. The picture is left in picture_, the box of the failure in box_.
    void DefineF1AndFailTheSave()
    {
        ASSERT_TRUE(CreateDirectoryA(ini_.c_str(), nullptr)) << "a folder where the .ini goes";
        ASSERT_TRUE(driver_.Start("/Port=COM5"));
        HWND window = OpenConfiguration();
        ASSERT_NE(window, nullptr);
        picture_ = OpenPicture(window);
        ASSERT_NE(picture_, nullptr);
        DefineF1(picture_);
        ClosePicture(picture_);
        box_ = WaitNotSavedBox();
        ASSERT_NE(box_, nullptr);
    }
    // The box answered with OK, and gone.
    void DismissBox(HWND box)
    {
        ASSERT_TRUE(BringToFront(box));
        Click(WaitChild(box, "Button", "OK"));
        ASSERT_TRUE(Gone(box));
    }
    // The message box of a failed save.
    HWND WaitNotSavedBox()
    {
        HWND box = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return (box = driver_.VisibleWindow("#32770", MainWindowTitle)) != nullptr; },
                              20000))
            << "the failed save is reported";
        return box;
    }
    // The events at the test window from the index'th on, once n of them have come.
    Events EventsOnceThere(InputWindow& target, std::size_t from, std::size_t n)
    {
        PumpUntil([&] { return target.EventsFrom(from).size() >= n; }, 10000);
        // Anything more would have come with them.
        return target.EventsFrom(from);
    }

    std::string ini_;
    std::map<std::string, std::string> before_;
    HWND picture_ = nullptr;  // the picture and the box of DefineF1AndFailTheSave
    HWND box_ = nullptr;
    TFormLayoutK5 layout_{nullptr};
    SerialCommList ports_;
    CleanSettings clean_;
    ScriptedTerminal terminal_;
    DriverProcess driver_;
    DriverTrayMenu tray_{driver_};
};

TEST_F(DriverKeyboard, AKeyDefinedOnThePictureIsSavedForThePortAndPlayedByTheNextTransfer)
{
    ASSERT_TRUE(terminal_.Open("COM6"));
    ASSERT_TRUE(driver_.Start("/Port=COM5"));
    HWND window = OpenConfiguration();
    ASSERT_NE(window, nullptr);
    HWND picture = OpenPicture(window);
    ASSERT_NE(picture, nullptr);
    testshot::Shot::OfWindow(picture).SaveArtifact("driver-keyboard-picture");

    // F1 clicked: its lists, empty; Ctrl+C pressed for the key going down.
    ClickKey(picture, layout_.KeyF[0]);
    HWND define = WaitWindow("Define Key Actions");
    ASSERT_NE(define, nullptr);
    const std::vector<HWND> lists = FindChildren(define, "TListBox");
    ASSERT_EQ(lists.size(), 2u) << Describe(Children(define));
    EXPECT_EQ(Rows(lists[0]), Events{});
    EXPECT_EQ(Rows(lists[1]), Events{});
    AddPressed(define, 'C', {VK_CONTROL}, MAKEWORD('C', HOTKEYF_CONTROL));
    ASSERT_TRUE(PumpUntil([&] { return Rows(lists[0]) == Events{"Ctrl+C"}; }, 10000));
    // The key-up list chosen with a click; Shift + Esc from the special keys for the key going up.
    Click(lists[1]);
    AddSpecial(define, 0, {"Shift"});
    ASSERT_TRUE(PumpUntil([&] { return Rows(lists[1]) == Events{"Shift+Esc"}; }, 10000))
        << testing::PrintToString(Rows(lists[1]));
    EXPECT_EQ(Rows(lists[0]), Events{"Ctrl+C"});
    testshot::Shot::OfWindow(define).SaveArtifact("driver-define-key");
    Click(WaitChild(define, "TZCLButton", "&Ok"));
    ASSERT_TRUE(Gone(define));

    ClosePicture(picture);
    ASSERT_TRUE(Gone(picture));
    EXPECT_EQ(driver_.VisibleWindow("#32770"), nullptr) << "no message: the map was saved";
    EXPECT_EQ(RegistryTree(BaseKey()), before_) << "the dialogs write nothing of the port to the registry";
    EXPECT_EQ(IniSections(ini_), std::vector<std::string>{"KeyMap.COM5"});
    EXPECT_EQ(IniLines(ini_, "KeyMap.COM5"), (Lines{{"0x00000070", "Ctrl+C"}, {"0x80000070", "Shift+Esc"}}));

    // "Close Window" saves the port; the transfer started then plays the map.
    ASSERT_TRUE(CloseConfiguration(window));
    EXPECT_EQ(ReadRaw(PortKey("COM5", "Communication"), "Port"), "COM5");
    InputWindow target(100, 100, 300, 200);
    ASSERT_TRUE(tray_.Choose('A'));
    ASSERT_TRUE(terminal_.WaitUntil([&] { return terminal_.Frames() >= 1; }, 30000)) << terminal_.Errors();
    ASSERT_TRUE(BringToFront(target.get()));

    const struct {
        const char* what;
        std::array<WORD, 4> keys;
        Events events;
    } presses[] = {
        {"F1 pressed: Ctrl+C", {0x0001, 0, 0, 0}, {"down 17", "down 67", "up 67", "up 17"}},
        {"F1 released: Shift+Esc", {0, 0, 0, 0}, {"down 16", "down 27", "up 27", "up 16"}},
        {"F2, not mapped, pressed: itself", {0x0002, 0, 0, 0}, {"down 113"}},
        {"F2 released", {0, 0, 0, 0}, {"up 113"}},
    };
    for (const auto& p : presses) {
        const std::size_t from = target.Events().size();
        terminal_.SendNow(TerminalStandIn::KeyBitmap(p.keys));
        EXPECT_EQ(EventsOnceThere(target, from, p.events.size()), p.events) << p.what;
    }
    ASSERT_TRUE(tray_.Choose('O'));
    ASSERT_TRUE(PumpUntil([&] { return driver_.PriorityClass() == NORMAL_PRIORITY_CLASS; }, 20000));
    Exit();
}

// A save that fails is reported, and the picture stays open with the keys defined: once the file can be written,
// closing it again saves them.
TEST_F(DriverKeyboard, AKeyMapThatCannotBeSavedIsReportedInAMessageBox)
{
    ASSERT_NO_FATAL_FAILURE(DefineF1AndFailTheSave());
    HWND picture = picture_;
    const std::string text = DialogText(box_);
    EXPECT_NE(text.find("could not be saved"), std::string::npos) << text;
    EXPECT_NE(text.find("DravikREMOTE.ini"), std::string::npos) << text;
    EXPECT_NE(text.find("stays open"), std::string::npos) << text;
    testshot::Shot::OfWindow(box_).SaveArtifact("driver-key-map-not-saved");
    ASSERT_NO_FATAL_FAILURE(DismissBox(box_));

    // The picture answers a click again, and F1 still has what was defined.
    ExpectF1Defined(picture);
    EXPECT_TRUE(IsWindowVisible(picture)) << "the picture stays open";
    EXPECT_EQ(GetFileAttributesA(ini_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));

    // The file can be written now: closing again saves and closes.
    RemoveIni();
    ClosePicture(picture);
    ASSERT_TRUE(Gone(picture));
    EXPECT_EQ(driver_.VisibleWindow("#32770"), nullptr) << "no message: the map was saved";
    EXPECT_EQ(IniLines(ini_, "KeyMap.COM5"), (Lines{{"0x00000070", "Ctrl+C"}}));
    EXPECT_EQ(RegistryTree(BaseKey()), before_) << "nothing went to the registry instead";
    Exit();
}

// The picture has no cancel: closing it again while the file still cannot be written leaves it, and the box says
// that the keys defined are not kept.
TEST_F(DriverKeyboard, AKeyMapThatStillCannotBeSavedIsLeftWithAMessageThatSaysSo)
{
    ASSERT_NO_FATAL_FAILURE(DefineF1AndFailTheSave());
    HWND picture = picture_;
    ASSERT_NO_FATAL_FAILURE(DismissBox(box_));
    ExpectF1Defined(picture);

    ClosePicture(picture);
    HWND box = WaitNotSavedBox();
    ASSERT_NE(box, nullptr);
    const std::string text = DialogText(box);
    EXPECT_NE(text.find("could not be saved"), std::string::npos) << text;
    EXPECT_NE(text.find("not kept"), std::string::npos) << text;
    ASSERT_NO_FATAL_FAILURE(DismissBox(box));
    ASSERT_TRUE(Gone(picture));
    EXPECT_EQ(GetFileAttributesA(ini_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(RegistryTree(BaseKey()), before_) << "nothing went to the registry instead";
    Exit();
}

}  // namespace
