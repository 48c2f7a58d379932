// The application mode of DravikREMOTE.exe end to end: another program's window chosen in the selection dialog
// by real clicks (listed by its title and by its path), stored with the mode, and then mirrored onto the
// terminal stand-in on its own: the window's picture, not the desktop's; the waiting picture while the program
// is not running, is minimised or has ended; and the terminal's pointer and keys reaching that window, and the
// pointer going nowhere while there is none.

#include <gtest/gtest.h>
#include <windows.h>

#include "DriverProcess.h"
#include "DriverWindows.h"
#include "framework/runtime/Handles.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/CaptureTestTerminal.h"
#include "support/DesktopPicture.h"

namespace {

using namespace shelltest;
using capturetest::ScriptedTerminal;

constexpr const char* TargetTitle = "Mirror target window";
// Inside the desktop's top-left 640 x 480 and away from the driver's windows, which open in the middle.
constexpr int TargetLeft = 24, TargetTop = 24, TargetWidth = 240, TargetHeight = 150;

std::string TargetPath() { return BuildDir() + "\\tests\\MirrorTarget.exe"; }

// MirrorTarget.exe with its one window.
class TargetProgram {
public:
    ~TargetProgram() { process_.Kill(); }
    // Started, with its window shown and painted; null when that did not happen.
    HWND Start()
    {
        process_.Kill();
        if (!process_.Start(std::string("\"") + TargetTitle + "\" " + std::to_string(TargetLeft) + " " +
                                std::to_string(TargetTop) + " " + std::to_string(TargetWidth) + " " +
                                std::to_string(TargetHeight),
                            TargetPath()))
            return nullptr;
        HWND window = nullptr;
        PumpUntil([&] {
            window = process_.VisibleWindow("MirrorTarget", TargetTitle);
            return window && testshot::Shot::OfWindow(window).At(4, 4) == RGB(255, 0, 0);
        }, 20000);
        return window;
    }
    // Ends it the way a user does, by closing its window.
    bool Close()
    {
        for (HWND w : process_.Windows("MirrorTarget")) PostMessageA(w, WM_CLOSE, 0, 0);
        return process_.WaitForExit(20000) && process_.ExitCode() == 0;
    }

private:
    DriverProcess process_;
};

// What the terminal should show: the window captured the way the driver captures it.
bool WindowPicture(HWND window, TerminalPicture& picture)
{
    BitmapHandle shot = CaptureWindow(window);
    return ReducedPicture(shot.get(), picture);
}

// The picture the driver sends while it waits for the program.
bool WaitingPicture(const std::string& path, TerminalPicture& picture)
{
    BitmapHandle shot = CreateTextBitmap(AnsiString(("...waiting for application " + path).c_str()));
    return ReducedPicture(shot.get(), picture);
}

COLORREF ColourAt(const TerminalPicture& p, int x, int y)
{
    const TerminalColor c = p.Palette()[p.At(x, y)];
    return RGB(c.red, c.green, c.blue);
}

class ApplicationMode : public testing::Test {
protected:
    void SetUp() override
    {
        CleanSettings::SeedPort("COM5");
        WriteRaw(PortKey("COM5", "Communication"), "DelayAfterSend", "50");
        ASSERT_NE(TaskbarWindow(), nullptr) << "the tests need Wine's virtual desktop with its taskbar";
        ASSERT_NE(tray_.Icon(), nullptr);
    }
    void TearDown() override
    {
        if (FindPopupMenuWindow(driver_.Id())) controltest::Key(VK_ESCAPE);
        driver_.Kill();
        terminal_.Close();
        controltest::MouseTo(1000, 700);
    }
    // Waits until the terminal shows what expected() gives; the last difference, empty when it came.
    std::string WaitForPicture(const std::function<bool(TerminalPicture&)>& expected)
    {
        std::string difference = "no picture";
        terminal_.WaitUntil([&] {
            TerminalPicture want;
            if (!expected(want)) return false;
            difference = DesktopDifference(terminal_.Picture(), want);
            return difference.empty();
        }, 30000);
        return difference;
    }

    SerialCommList ports_;
    CleanSettings clean_;
    ScriptedTerminal terminal_;
    DriverProcess driver_;
    DriverTrayMenu tray_{driver_};
    TargetProgram target_;
};

TEST_F(ApplicationMode, AProgramChosenInTheDialogIsMirroredAloneWhileItRuns)
{
    HWND target = target_.Start();
    ASSERT_NE(target, nullptr) << "the target program's window";
    ASSERT_TRUE(terminal_.Open("COM6"));
    ASSERT_TRUE(driver_.Start("/Port=COM5"));

    // The Application page, and the dialog behind its button.
    HWND window = tray_.Configuration();
    ASSERT_NE(window, nullptr) << "the configuration window";
    ASSERT_TRUE(BringToFront(window));
    ASSERT_TRUE(ClickTab(driver_.Handle(), FindChild(window, "TPageControl", nullptr), 1));
    HWND button = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        return (button = FindChild(window, "TButton", "view actual running applications")) != nullptr;
    }, 10000)) << Describe(Children(window));
    MouseClick(Centre(button), false);
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (dialog = driver_.VisibleWindow("", "Select Application")) != nullptr; }, 20000));
    ASSERT_TRUE(BringToFront(dialog));
    HWND list = nullptr, ok = nullptr, byTitle = nullptr, byPath = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        list = FindChild(dialog, "TZCLImageListBox", nullptr);
        ok = FindChild(dialog, "TButton", "OK");
        byTitle = FindChild(dialog, "TRadioButton", "Application Title");
        byPath = FindChild(dialog, "TRadioButton", "Application Name");
        return list && ok && byTitle && byPath;
    }, 10000)) << Describe(Children(dialog));

    // Listed by its title first, with nothing chosen yet.
    int row = -1;
    ASSERT_TRUE(PumpUntil([&] { return (row = FindRow(list, std::string(TargetTitle) + ";1")) >= 0; }, 10000))
        << "the target's title; first row " << RowText(list, 0);
    EXPECT_EQ(SendMessageA(byTitle, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_FALSE(IsWindowEnabled(ok)) << "nothing chosen, nothing to confirm";
    EXPECT_LT(FindRow(list, TargetPath() + ";0"), 0) << "no paths in the title view";
    ClickRow(list, row);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == row && IsWindowEnabled(ok); }, 10000));
    testshot::Shot::OfWindow(dialog).SaveArtifact("select-application-by-title");

    // The same row by its path.
    MouseClick(Centre(byPath, 8), false);
    ASSERT_TRUE(PumpUntil([&] { return lstrcmpiA(RowText(list, row).c_str(), (TargetPath() + ";0").c_str()) == 0; },
                          10000))
        << "the same row shows the program's path: " << RowText(list, row);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), row);
    EXPECT_EQ(FindRow(list, std::string(TargetTitle) + ";1"), -1) << "no titles in the path view";
    EXPECT_TRUE(IsWindowEnabled(ok));
    testshot::Shot::OfWindow(dialog).SaveArtifact("select-application-by-path");
    MouseClick(Centre(ok), false);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000));

    // The path lands in the application field; the mode is chosen and both are stored by "Close Window".
    ASSERT_TRUE(PumpUntil([&] {
        for (const Child& c : Children(window))
            if (IsWindowVisible(c.wnd) && lstrcmpiA(c.text.c_str(), TargetPath().c_str()) == 0) return true;
        return false;
    }, 10000)) << Describe(Children(window));
    HWND mode = FindChild(window, "TRadioButton", "&Application");
    ASSERT_NE(mode, nullptr) << Describe(Children(window));
    MouseClick(Centre(mode, 8), false);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(mode, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 10000));
    ASSERT_TRUE(CloseConfiguration(window)) << "the window hides";
    const std::string stored = ReadRaw(PortKey("COM5", "Application"), "ApplicationName");
    EXPECT_EQ(lstrcmpiA(stored.c_str(), TargetPath().c_str()), 0) << stored;
    EXPECT_EQ(ReadRaw(PortKey("COM5", "Application"), "Mode"), "Application");

    // Not running when the transfer starts: the terminal shows the waiting text.
    ASSERT_TRUE(target_.Close());
    ASSERT_TRUE(tray_.Choose('A'));
    EXPECT_EQ(WaitForPicture([&](TerminalPicture& p) { return WaitingPicture(stored, p); }), "")
        << "the waiting picture";
    terminal_.Picture().SaveBmp(testshot::ArtifactsDir() + "\\application-mode-waiting.bmp");

    // Started meanwhile: its window alone, at the top left, nothing of the desktop around it.
    target = target_.Start();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(WaitForPicture([&](TerminalPicture& p) { return WindowPicture(target, p); }), "")
        << "the window's picture";
    const TerminalPicture shown = terminal_.Picture();
    EXPECT_EQ(ColourAt(shown, 4, 4), RGB(255, 0, 0)) << "the window's first band at the picture's corner";
    EXPECT_EQ(ColourAt(shown, TargetWidth + 20, 20), RGB(0, 0, 0)) << "black beside the window";
    EXPECT_EQ(ColourAt(shown, 300, TargetHeight + 100), RGB(0, 0, 0)) << "black below the window";
    TerminalPicture desktop;
    ASSERT_TRUE(ReducedDesktop(desktop));
    EXPECT_NE(DesktopDifference(shown, desktop), "") << "not the desktop";
    testshot::Shot::OfScreen(RECT{0, 0, 640, 480}).SaveArtifact("application-mode-desktop");
    shown.SaveBmp(testshot::ArtifactsDir() + "\\application-mode-terminal.bmp");

    // The terminal's pointer is placed in the window: a click there shows in the next picture.
    const int x = 60, y = 110;
    terminal_.SendNow(TerminalStandIn::Pointer(x, y, 0x02));
    terminal_.SendNow(TerminalStandIn::Pointer(x, y, 0x00));
    EXPECT_TRUE(terminal_.WaitUntil([&] {
        const TerminalPicture p = terminal_.Picture();
        return ColourAt(p, x, y) == RGB(0, 0, 0) && ColourAt(p, x + 6, y) != RGB(0, 0, 0);
    }, 20000)) << "the window marked the click at the terminal's point";
    EXPECT_EQ(WaitForPicture([&](TerminalPicture& p) { return WindowPicture(target, p); }), "");

    // A terminal key brings the window to the front and goes to it. (Under Wine the key that brings it there
    // can reach the window that was in front before, as the activation lands after it: the next key is sure.)
    WindowHandle elsewhere(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "Elsewhere", WS_POPUP | WS_VISIBLE, 700, 40,
                                           200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(BringToFront(elsewhere.get()));
    terminal_.SendNow(TerminalStandIn::KeyBitmap({0x0010, 0, 0, 0}));  // F5
    terminal_.SendNow(TerminalStandIn::KeyBitmap({0, 0, 0, 0}));
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == target; }, 20000)) << "the window in front";
    terminal_.SendNow(TerminalStandIn::KeyBitmap({0x0010, 0, 0, 0}));  // F5
    terminal_.SendNow(TerminalStandIn::KeyBitmap({0, 0, 0, 0}));
    EXPECT_TRUE(terminal_.WaitUntil([&] { return ColourAt(terminal_.Picture(), 12, TargetHeight - 10) == RGB(0, 0, 0); },
                                    20000))
        << "the window marked the key";
    EXPECT_EQ(WaitForPicture([&](TerminalPicture& p) { return WindowPicture(target, p); }), "");
    elsewhere.reset();

    // Minimised, it is waited for; restored, it is mirrored again.
    ShowWindow(target, SW_MINIMIZE);
    EXPECT_EQ(WaitForPicture([&](TerminalPicture& p) { return WaitingPicture(stored, p); }), "")
        << "waiting while it is minimised";
    ShowWindow(target, SW_RESTORE);
    EXPECT_EQ(WaitForPicture([&](TerminalPicture& p) { return WindowPicture(target, p); }), "")
        << "mirrored again once restored";

    // Ended during the transfer: back to waiting, and the transfer goes on.
    ASSERT_TRUE(target_.Close());
    EXPECT_EQ(WaitForPicture([&](TerminalPicture& p) { return WaitingPicture(stored, p); }), "")
        << "the waiting picture again";
    EXPECT_EQ(driver_.VisibleWindow("#32770", MainWindowTitle), nullptr) << "no message about it";
    {
        // Without the window the terminal's pointer goes nowhere (on the desktop it would land in this one),
        // while its keys still go to the window in front.
        InputWindow other(0, 0, 320, 240);
        ASSERT_TRUE(BringToFront(other.get()));
        terminal_.SendNow(TerminalStandIn::Pointer(x, y, 0x02));
        terminal_.SendNow(TerminalStandIn::Pointer(x, y, 0x00));
        terminal_.SendNow(TerminalStandIn::KeyBitmap({0x0010, 0, 0, 0}));
        terminal_.SendNow(TerminalStandIn::KeyBitmap({0, 0, 0, 0}));
        ASSERT_TRUE(PumpUntil([&] { return other.Has("up " + std::to_string(VK_F5)); }, 20000))
            << testing::PrintToString(other.Events());
        for (const std::string& e : other.Events()) EXPECT_EQ(e.rfind("ldown", 0), std::string::npos) << e;
    }
    EXPECT_EQ(driver_.PriorityClass(), DWORD(HIGH_PRIORITY_CLASS)) << "still transferring";
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();

    ASSERT_TRUE(tray_.Choose('O'));
    ASSERT_TRUE(PumpUntil([&] { return driver_.PriorityClass() == NORMAL_PRIORITY_CLASS; }, 20000));

    // Opened again, the window shows what was stored.
    window = tray_.Configuration();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(ClickTab(driver_.Handle(), FindChild(window, "TPageControl", nullptr), 1));
    ASSERT_TRUE(PumpUntil([&] {
        mode = FindChild(window, "TRadioButton", "&Application");
        return mode && SendMessageA(mode, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }, 10000)) << "the application mode";
    bool path = false;
    for (const Child& c : Children(window))
        path = path || (IsWindowVisible(c.wnd) && lstrcmpiA(c.text.c_str(), TargetPath().c_str()) == 0);
    EXPECT_TRUE(path) << Describe(Children(window));
    ASSERT_TRUE(CloseConfiguration(window));
    ASSERT_TRUE(tray_.Choose('E'));
    ASSERT_TRUE(driver_.WaitForExit(20000));
    EXPECT_EQ(driver_.ExitCode(), 0u);
}

}  // namespace
