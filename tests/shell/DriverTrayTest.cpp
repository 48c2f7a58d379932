// DravikREMOTE.exe through its notification-area icon, as a user works it on Wine's virtual desktop: the icon,
// its menu opened with a real right click, the transfer started, stopped and pinged from it, the configuration
// window opened from it and edited with real input, and the program left through it.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "DriverProcess.h"
#include "DriverWindows.h"
#include "mirror/CaptureTestTerminal.h"
#include "support/PeerPort.h"
#include "support/TrayArea.h"
#include "support/Wait.h"

namespace {

using namespace shelltest;
using capturetest::ScriptedTerminal;

// FindChild once the child is there; null when it does not come.
HWND AwaitChild(HWND parent, const char* cls, const char* text)
{
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindChild(parent, cls, text)) != nullptr; }, 10000);
    return found;
}

// A control's text, asked of the control in the driver's process.
std::string TextOf(HWND wnd)
{
    char text[256] = "";
    SendMessageA(wnd, WM_GETTEXT, sizeof text, LPARAM(text));
    return text;
}

// A real click on a check or radio button, and the state it then shows.
bool ClickButton(HWND button, LRESULT state)
{
    MouseClick(Centre(button, 8), false);
    return PumpUntil([&] { return SendMessageA(button, BM_GETCHECK, 0, 0) == state; }, 10000);
}

// The control that has the keyboard focus in the foreground window's thread.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// The class of the password inputs' windows.
const char* const PasswordEditClass = "TZCLEdit";

void TypeText(const std::string& text)
{
    for (char c : text) controltest::Key(WORD(std::toupper(static_cast<unsigned char>(c))));
}

class DriverTray : public testing::Test {
protected:
    void SetUp() override
    {
        CleanSettings::SeedPort("COM5");
        WriteRaw(PortKey("COM5", "Communication"), "DelayAfterSend", "50");
        ASSERT_NE(tray_.Icon(), nullptr);
        ASSERT_NE(TaskbarWindow(), nullptr) << "the tests need Wine's virtual desktop with its taskbar";
    }
    void TearDown() override
    {
        if (FindPopupMenuWindow(driver_.Id())) controltest::Key(VK_ESCAPE);
        driver_.Kill();
        terminal_.Close();
        controltest::MouseTo(1000, 700);
    }

    POINT IconPlace()
    {
        POINT at{};
        EXPECT_TRUE(PumpUntil([&] { return FindTrayIcon(tray_.Icon(), at); }, 20000)) << "the icon in the notification area";
        return at;
    }
    // Opens the icon's menu with a right click; false when it did not open.
    bool OpenMenu()
    {
        menu_ = tray_.Open();
        return menu_ != nullptr;
    }
    // Chooses the item whose '&' letter is key, as a user does with the menu open.
    void Choose(char key)
    {
        ASSERT_TRUE(OpenMenu()) << "the menu did not open";
        ASSERT_TRUE(PressMenuKey(menu_, key, 10000)) << "the menu takes the key and closes";
    }
    void Exit()
    {
        Choose('E');
        ASSERT_TRUE(driver_.WaitForExit(20000)) << "the program ends";
        EXPECT_EQ(driver_.ExitCode(), 0u);
    }
    // The open menu with the icon under it, once the menu is painted.
    void SaveMenuShot(const std::string& name)
    {
        RECT mr, bar;
        GetWindowRect(menu_, &mr);
        GetWindowRect(TaskbarWindow(), &bar);
        const RECT area{mr.left - 20, mr.top - 20, bar.right, bar.bottom};
        const COLORREF menuColour = GetSysColor(COLOR_MENU);
        EXPECT_TRUE(PumpUntil([&] {
            const testshot::Shot shot = testshot::Shot::OfScreen(area);
            return shot.AtScreen(mr.left + 4, (mr.top + mr.bottom) / 2) == menuColour;
        }, 10000)) << "the menu is painted";
        testshot::Shot::OfScreen(area).SaveArtifact(name);
    }
    HWND ConfigurationWindow() { return driver_.VisibleWindow("TMainWindow", MainWindowTitle); }
    // The configuration window opened from the menu, in front, on its page; null when a step fails.
    HWND OpenConfiguration(int page)
    {
        Choose('C');
        HWND window = AwaitConfiguration();
        return window && BringToFront(window) && ShowPage(window, page) ? window : nullptr;
    }
    // The configuration window once it is shown; null when it does not come.
    HWND AwaitConfiguration()
    {
        HWND window = nullptr;
        PumpUntil([&] { return (window = ConfigurationWindow()) != nullptr; }, 20000);
        return window;
    }
    // Its page by a real click on the tab; false when the page did not come up.
    bool ShowPage(HWND window, int page)
    {
        return ClickTab(driver_.Handle(), FindChild(window, "TPageControl", nullptr), page);
    }
    // Opens the icon's menu (with a screenshot of it when named) and closes it with Escape, choosing nothing:
    // once it has been open, whatever the keys chose before has run.
    bool PeekMenu(const std::string& shot = "")
    {
        if (!OpenMenu()) return false;
        if (!shot.empty()) SaveMenuShot(shot);
        controltest::Key(VK_ESCAPE);
        return PumpUntil([&] { return !IsWindowVisible(menu_); }, 10000);
    }
    bool WaitFrames(int n) { return terminal_.WaitUntil([&] { return terminal_.Frames() >= n; }, 30000); }

    HWND menu_ = nullptr;
    SerialCommList ports_;
    CleanSettings clean_;
    ScriptedTerminal terminal_;
    DriverProcess driver_;
    DriverTrayMenu tray_{driver_};
};

TEST_F(DriverTray, TheIconsMenuStartsStopsPingsAndLeaves)
{
    ASSERT_TRUE(terminal_.Open("COM6"));
    ASSERT_TRUE(driver_.Start("/Port=COM5"));
    IconPlace();
    RECT bar;
    GetWindowRect(TaskbarWindow(), &bar);
    testshot::Shot::OfScreen(RECT{bar.right - 240, bar.top - 120, bar.right, bar.bottom}).SaveArtifact("tray-icon");
    EXPECT_EQ(ConfigurationWindow(), nullptr) << "only the icon at start";

    ASSERT_TRUE(PeekMenu("tray-menu"));

    // Login (no password set), Stop (nothing runs): nothing happens; Start runs a transfer.
    Choose('L');
    Choose('O');
    Choose('A');
    ASSERT_TRUE(WaitFrames(2)) << terminal_.Errors();
    EXPECT_EQ(driver_.PriorityClass(), DWORD(HIGH_PRIORITY_CLASS));
    ASSERT_TRUE(PeekMenu("tray-menu-running"));

    // While it runs, leaving, the configuration, a second start and a ping are not offered.
    Choose('E');
    Choose('C');
    Choose('P');
    Choose('A');
    EXPECT_TRUE(driver_.Running());
    EXPECT_EQ(ConfigurationWindow(), nullptr);
    EXPECT_EQ(driver_.VisibleWindow("#32770", MainWindowTitle), nullptr);
    // Stop is: the priority goes back, so the program was there and running all along.
    Choose('O');
    ASSERT_TRUE(PumpUntil([&] { return driver_.PriorityClass() == NORMAL_PRIORITY_CLASS; }, 20000));
    EXPECT_EQ(ConfigurationWindow(), nullptr);
    const int frames = terminal_.Frames();

    // The Statistic page shows the transfer: red bars of the frame sizes.
    Choose('C');
    HWND window = AwaitConfiguration();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(ShowPage(window, 4));
    HWND chart = AwaitChild(window, "TChart", nullptr);
    ASSERT_NE(chart, nullptr);
    RECT cr;
    GetWindowRect(chart, &cr);
    EXPECT_TRUE(PumpUntil([&] {
        const testshot::Shot shot = testshot::Shot::OfScreen(cr);
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x)
                if (shot.At(x, y) == RGB(255, 0, 0)) return true;
        return false;
    }, 10000)) << "bars in the chart";
    testshot::Shot::OfWindow(window).SaveArtifact("statistic-after-transfer");
    ASSERT_TRUE(CloseConfiguration(window)) << "the window hides";

    terminal_.Reset();
    Choose('P');
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (box = driver_.VisibleWindow("#32770", MainWindowTitle)) != nullptr; }, 20000));
    EXPECT_EQ(DialogText(box), "Ping:\nAcknowledgment received!\nNo Error!");
    testshot::Shot::OfWindow(box).SaveArtifact("tray-ping-answer");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000));
    EXPECT_EQ(terminal_.Frames(), 0) << "a ping sends no frame";
    EXPECT_GE(frames, 2);

    Exit();
    EXPECT_TRUE(driver_.Windows().empty());
    PeerPort port;
    EXPECT_TRUE(port.Open("COM5")) << "the port is free again";
    POINT gone{};
    EXPECT_TRUE(PumpUntil([&] { return !FindTrayIcon(tray_.Icon(), gone); }, 10000)) << "the icon leaves with the program";
}

TEST_F(DriverTray, AltF4OnTheConfigurationWindowSavesAndHidesItAndTheProgramStays)
{
    ASSERT_TRUE(driver_.Start("/Port=COM5"));
    IconPlace();
    HWND window = OpenConfiguration(0);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(KeyExists(BaseKey() + "\\Default"));
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }, 10000));
    controltest::Key(VK_F4, {VK_MENU});
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(window); }, 10000)) << "the window hides";
    EXPECT_EQ(ReadRaw(BaseKey() + "\\Default", "Port"), "COM5") << "saved as Close Window saves";
    EXPECT_EQ(ReadRaw(PortKey("COM5", "Communication"), "DelayAfterSend"), "50");
    // The program is still there: its menu opens and Exit ends it.
    ASSERT_TRUE(PeekMenu());
    EXPECT_TRUE(driver_.Running());
    EXPECT_TRUE(IsWindow(window));
    Exit();
}

TEST_F(DriverTray, ConfigurationEditedWithRealInputIsWrittenAndShownAgain)
{
    WriteRaw(BaseKey() + "\\Default", "Port", "COM5");
    WriteRaw(PortKey("COM5", "Communication"), "DelayAfterSend", "350");
    ASSERT_TRUE(driver_.Start(""));
    Choose('C');
    HWND window = AwaitConfiguration();
    ASSERT_NE(window, nullptr);
    const auto children = Children(window);
    RECT wr;
    GetWindowRect(window, &wr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 577);
    EXPECT_EQ(client.bottom, 253);
    // In front, where the keyboard goes.
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }, 10000));

    // Communication Settings: the beep on, the delay typed, the baud rate chosen in its list.
    HWND beep = FindChild(window, "TCheckBox", "beep after sending a screen");
    ASSERT_NE(beep, nullptr) << Describe(children);
    ASSERT_TRUE(ClickButton(beep, BST_CHECKED));
    HWND delay = FindChild(window, "TZCLExtSpinEdit", "350");
    ASSERT_NE(delay, nullptr) << Describe(children);
    MouseClick(Centre(delay), false);
    controltest::Key(VK_END);
    controltest::Key(VK_HOME, {VK_SHIFT});
    TypeText("450");
    ASSERT_TRUE(PumpUntil([&] { return TextOf(delay) == "450"; }, 10000));
    HWND baud = FindChild(window, "TZCLComboBox", "115200");
    ASSERT_NE(baud, nullptr) << Describe(children);
    MouseClick(Centre(baud), false);
    controltest::Key('9');
    controltest::Key(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return TextOf(baud) == "9600"; }, 10000));
    ASSERT_TRUE(testwait::AwaitPainted(window, 10000));
    testshot::Shot::OfWindow(window).SaveArtifact("configuration-communication");

    // The other pages, one after the other with the keyboard on the tabs.
    ASSERT_NE(FindChild(window, "TPageControl", nullptr), nullptr) << Describe(children);
    const char* pages[] = {"application", "mouse-and-keyboard", "password", "statistic", "version"};
    for (int page = 1; page <= 5; ++page) {
        ASSERT_TRUE(ShowPage(window, page)) << page;
        if (page == 1) {
            HWND size = AwaitChild(window, "TRadioButton", "800 x 600 (stretch)");
            ASSERT_NE(size, nullptr);
            ASSERT_TRUE(ClickButton(size, BST_CHECKED));
        }
        if (page == 2) {
            HWND mouse = AwaitChild(window, "TCheckBox", "transfer mouse data from PC to terminal");
            ASSERT_NE(mouse, nullptr);
            ASSERT_TRUE(ClickButton(mouse, BST_UNCHECKED));
        }
        ASSERT_TRUE(testwait::AwaitPainted(window, 10000)) << page;
        testshot::Shot::OfWindow(window).SaveArtifact(std::string("configuration-") + pages[page - 1]);
    }

    // "Close Window" on the tool bar saves and hides.
    ASSERT_TRUE(CloseConfiguration(window)) << "the window hides";

    EXPECT_EQ(ReadRaw(BaseKey() + "\\Default", "Port"), "COM5");
    std::map<std::string, std::string> written;
    for (const char* section : {"Communication", "MouseAndKeyboard", "Application", "PasswordProtection"})
        for (const auto& [name, value] : ReadAllRaw(PortKey("COM5", section)))
            written[std::string(section) + "/" + name] = value;
    const std::map<std::string, std::string> expected = {
        {"Communication/Port", "COM5"},
        {"Communication/Parameter", "baud=9600 parity=N data=8 stop=1 protocol=N"},
        {"Communication/DelayAfterSend", "450"},
        {"Communication/BeepAfterSend", "1"},
        {"Communication/Priority", "2"},
        {"Communication/AsyncMode", "0"},
        {"Communication/AsyncDiff", "0"},
        {"MouseAndKeyboard/KeyboardEnabled", "1"},
        {"MouseAndKeyboard/UserDefinedKeyboardMapping", "0"},
        {"MouseAndKeyboard/TransferMouseToPc", "1"},
        {"MouseAndKeyboard/TransferMouseToTerminal", "0"},
        {"MouseAndKeyboard/EnableLetterInput", "1"},
        {"MouseAndKeyboard/LetterBrowseTime", "600"},
        {"MouseAndKeyboard/LetterBreakTime", "1000"},
        {"Application/ApplicationName", ""},
        {"Application/Desktop", "800x600"},
        {"Application/Mode", "Desktop"},
        {"Application/Autostart", "0"},
        {"Application/ObservePalette", "0"},
        {"PasswordProtection/EnablePassword", "0"},
        {"PasswordProtection/Password", ""},
    };
    EXPECT_EQ(written, expected);
    Exit();

    // Started again, the window shows them.
    ASSERT_TRUE(driver_.Start(""));
    Choose('C');
    ASSERT_NE(window = AwaitConfiguration(), nullptr);
    ASSERT_NE(AwaitChild(window, "TZCLExtSpinEdit", "450"), nullptr);
    EXPECT_NE(FindChild(window, "TZCLComboBox", "9600"), nullptr);
    beep = FindChild(window, "TCheckBox", "beep after sending a screen");
    ASSERT_NE(beep, nullptr);
    EXPECT_EQ(SendMessageA(beep, BM_GETCHECK, 0, 0), BST_CHECKED);
    testshot::Shot::OfScreen(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)})
        .SaveArtifact("desktop-with-configuration");
    // The window's configuration is left through the menu: leaving is allowed while it is open.
    Exit();
}

TEST_F(DriverTray, CommandLineTable)
{
    ASSERT_TRUE(terminal_.Open("COM6"));
    const struct {
        const char* args;
        const char* defaultPort;    // Default\Port stored, or null
        const char* autostartPort;  // port whose Autostart is on, or null
        bool runs;                  // a transfer on COM5 from the start
    } rows[] = {
        {"/Port=COM5 /start", nullptr, nullptr, true},
        {"-port=com5 \\start", nullptr, nullptr, true},  // any case, any switch character
        {"/Port=COM5", nullptr, "COM5", true},
        {"/Port=COM5", nullptr, nullptr, false},
        {"/Port=COM5", nullptr, "COM7", false},          // the other port's autostart is not this one's
        {"-Port= /start", "COM5", nullptr, true},          // nothing after '=': the default port
        {"/Porta=COM7 /start", "COM5", nullptr, true},     // a longer word is no port switch
        {"/Port=COM7\\X /start", "COM5", nullptr, true},   // a name that is no key: the default port
        {"/Port=COM5 -starter", nullptr, nullptr, false},
        {"/Port=COM5 start", nullptr, nullptr, false},      // no switch character
    };
    for (const auto& r : rows) {
        DeleteValue(BaseKey() + "\\Default", "Port");
        DeleteValue(PortKey("COM5", "Application"), "Autostart");
        DeleteValue(PortKey("COM7", "Application"), "Autostart");
        if (r.defaultPort) WriteRaw(BaseKey() + "\\Default", "Port", r.defaultPort);
        if (r.autostartPort) WriteRaw(PortKey(r.autostartPort, "Application"), "Autostart", "1");
        terminal_.Reset();
        ASSERT_TRUE(driver_.Start(r.args)) << r.args;
        // The menu opens once the program is up; then the priority tells whether a transfer runs.
        ASSERT_TRUE(PeekMenu()) << r.args;
        EXPECT_EQ(driver_.PriorityClass(), DWORD(r.runs ? HIGH_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS)) << r.args;
        if (r.runs) {
            EXPECT_TRUE(terminal_.WaitUntil([&] { return terminal_.CountOf(TerminalEvent::Kind::ReadStatus) > 0; },
                                            20000))
                << r.args << ": the transfer runs on COM5";
            Choose('O');
        }
        Exit();
        driver_.Kill();
    }
}

}  // namespace

namespace {

TEST_F(DriverTray, PasswordSetOnThePasswordPageLocksTheMenuUntilTheRightLogin)
{
    ASSERT_TRUE(driver_.Start("/Port=COM5"));
    HWND window = OpenConfiguration(3);
    ASSERT_NE(window, nullptr);
    HWND box = AwaitChild(window, "TCheckBox", "use a password to change settings, start or stop the server");
    ASSERT_NE(box, nullptr);
    // The two inputs of the page, top to bottom.
    std::vector<Child> inputs;
    for (const Child& c : Children(window))
        if (c.cls == PasswordEditClass && IsWindowVisible(c.wnd)) inputs.push_back(c);
    ASSERT_EQ(inputs.size(), 2u) << Describe(Children(window));
    if (inputs[0].rect.top > inputs[1].rect.top) std::swap(inputs[0], inputs[1]);
    for (const Child& input : inputs) {
        MouseClick(Centre(input.wnd), false);
        ASSERT_TRUE(PumpUntil([&] { return FocusOf(window) == input.wnd; }, 10000));
        TypeText("secret");
        ASSERT_TRUE(PumpUntil([&] { return TextOf(input.wnd) == "******"; }, 10000))
            << TextOf(input.wnd) << ": another program reads the input as its mask";
    }
    ASSERT_TRUE(ClickButton(box, BST_CHECKED)) << "both inputs agree, so the box stays checked";
    testshot::Shot::OfWindow(window).SaveArtifact("driver-password-page");

    ASSERT_TRUE(CloseConfiguration(window)) << "the window hides";
    EXPECT_EQ(ReadRaw(PortKey("COM5", "PasswordProtection"), "EnablePassword"), "1");
    EXPECT_EQ(ReadRaw(PortKey("COM5", "PasswordProtection"), "Password"), "secret");

    // Saving left the user logged in; logging out locks the commands.
    Choose('L');
    ASSERT_TRUE(PeekMenu("tray-menu-locked"));
    Choose('C');
    Choose('E');
    // A second round trip through the menu: a command the keys gave would have run by now.
    ASSERT_TRUE(PeekMenu());
    EXPECT_EQ(ConfigurationWindow(), nullptr) << "locked: no configuration";
    EXPECT_TRUE(driver_.Running()) << "locked: no exit";

    // A wrong password (letter case counts) is refused without a word; the right one opens the commands.
    for (const bool right : {false, true}) {
        Choose('L');
        HWND login = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (login = driver_.VisibleWindow("", "Login")) != nullptr; }, 20000));
        ASSERT_TRUE(BringToFront(login));
        ASSERT_TRUE(PumpUntil([&] { return FocusOf(login) != nullptr && FocusOf(login) != login; }, 10000));
        if (!right) controltest::Key('S', {VK_SHIFT});
        TypeText(right ? "secret" : "ecret");
        if (right) testshot::Shot::OfWindow(login).SaveArtifact("driver-login-dialog");
        controltest::Key(VK_RETURN);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindow(login) || !IsWindowVisible(login); }, 10000));
        Choose('C');
        if (!right) {
            ASSERT_TRUE(PeekMenu());
            EXPECT_EQ(ConfigurationWindow(), nullptr) << "a wrong password opens nothing";
            EXPECT_EQ(driver_.VisibleWindow("#32770", MainWindowTitle), nullptr) << "and says nothing";
        }
    }
    ASSERT_NE(AwaitConfiguration(), nullptr) << "logged in, the configuration opens";
    Exit();
}

TEST_F(DriverTray, ApplicationChosenInTheSelectionDialogIsSaved)
{
    char own[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, own, sizeof own);
    HWND target = MakeTestWindow("Driver selection target", 700, 560, 220, 90);
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(driver_.Start("/Port=COM5"));
    HWND window = OpenConfiguration(1);
    ASSERT_NE(window, nullptr);
    HWND button = AwaitChild(window, "TButton", "view actual running applications");
    ASSERT_NE(button, nullptr);
    MouseClick(Centre(button), false);

    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (dialog = driver_.VisibleWindow("", "Select Application")) != nullptr; }, 20000));
    ASSERT_TRUE(BringToFront(dialog));
    HWND list = AwaitChild(dialog, "TZCLImageListBox", nullptr);
    ASSERT_NE(list, nullptr) << Describe(Children(dialog));
    int row = -1;
    ASSERT_TRUE(PumpUntil([&] { return (row = FindRow(list, "Driver selection target;1")) >= 0; }, 10000))
        << "the test program's window is listed by its title; first row " << RowText(list, 0);
    ClickRow(list, row);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == row; }, 10000));
    HWND byName = FindChild(dialog, "TRadioButton", "Application Name");
    ASSERT_NE(byName, nullptr) << Describe(Children(dialog));
    MouseClick(Centre(byName, 8), false);
    ASSERT_TRUE(PumpUntil([&] { return lstrcmpiA(RowText(list, row).c_str(), (std::string(own) + ";0").c_str()) == 0; },
                          10000))
        << "the same row shows the program's path: " << RowText(list, row);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), row);
    testshot::Shot::OfWindow(dialog).SaveArtifact("driver-select-application");
    HWND ok = FindChild(dialog, "TButton", "OK");
    ASSERT_NE(ok, nullptr);
    MouseClick(Centre(ok), false);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000));

    // The path is in the window's application field, and "Close Window" stores it.
    bool shown = false;
    ASSERT_TRUE(PumpUntil([&] {
        for (const Child& c : Children(window))
            shown = shown || (IsWindowVisible(c.wnd) && lstrcmpiA(c.text.c_str(), own) == 0);
        return shown;
    }, 10000)) << Describe(Children(window));
    ASSERT_TRUE(CloseConfiguration(window)) << "the window hides";
    EXPECT_EQ(lstrcmpiA(ReadRaw(PortKey("COM5", "Application"), "ApplicationName").c_str(), own), 0)
        << ReadRaw(PortKey("COM5", "Application"), "ApplicationName");
    DestroyWindow(target);
    Exit();
}

}  // namespace
