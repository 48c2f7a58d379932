// Transfer control of the main window over a real COM pair: start, stop and ping with the terminal stand-in on
// the far end, the failures, the busy guard, the tray menu's states, the restart on display changes, the
// process priority and the statistics chart.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include "DriverProcess.h"
#include "ShellTestSupport.h"
#include "mirror/BitmapCapture.h"
#include "mirror/CaptureTestTerminal.h"
#include "mirror/CaptureTestThread.h"
#include "support/TrayArea.h"

namespace {

using namespace shelltest;
using capturetest::ScriptedTerminal;

constexpr const char* OpenFailed = "Not able to open the serial port!";

class MainWindowTransfer : public testing::Test {
protected:
    void SetUp() override
    {
        WriteRaw(BaseKey() + "\\Default", "Port", "COM5");
        CleanSettings::SeedPort("COM5");
        WriteRaw(PortKey("COM5", "Communication"), "DelayAfterSend", "50");
    }
    void TearDown() override
    {
        window_.reset();
        terminal_.Close();
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    }
    TMainWindow& Window()
    {
        if (!window_) window_ = MakeMainWindow();
        return *window_;
    }
    void OpenTerminal() { ASSERT_TRUE(terminal_.Open("COM6")); }
    bool WaitFrames(int n, DWORD timeoutMs = 20000)
    {
        return terminal_.WaitUntil([&] { return terminal_.Frames() >= n; }, timeoutMs);
    }

    SerialCommList ports_;
    CleanSettings clean_;
    MessageBoxes boxes_;
    ScriptedTerminal terminal_;
    std::unique_ptr<TMainWindow> window_;
};

TEST_F(MainWindowTransfer, AStartThatCannotOpenShowsOneErrorAndLeavesNothingRunning)
{
    const struct {
        const char* what;
        const char* port;
        bool seed;        // line settings stored
    } cases[] = {
        {"a port that does not exist", "COM9", true},
        {"a port whose line was never saved", "COM7", false},
    };
    for (const auto& c : cases) {
        DeleteTree(BaseKey());
        WriteRaw(BaseKey() + "\\Default", "Port", c.port);
        if (c.seed) CleanSettings::SeedPort(c.port);
        window_.reset();
        TMainWindow& w = Window();
        // What an earlier transfer left in the chart stays.
        w.Series1->AddXY(3, 7);
        boxes_.Clear();
        w.ActionStart->Execute();
        const auto boxes = boxes_.Boxes();
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes[0].text, OpenFailed) << c.what;
        EXPECT_EQ(boxes[0].caption, MainWindowTitle) << c.what;
        EXPECT_EQ(boxes[0].flags & (MB_ICONMASK | MB_SETFOREGROUND), UINT(MB_ICONERROR | MB_SETFOREGROUND)) << c.what;
        EXPECT_FALSE(w.TransferRunning()) << c.what;
        EXPECT_FALSE(w.Busy()) << c.what;
        EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), DWORD(NORMAL_PRIORITY_CLASS)) << c.what;
        EXPECT_EQ(w.Series1->Count(), 1) << c.what;
    }
}

TEST_F(MainWindowTransfer, ATransferRunsAtTheConfiguredPriorityAndFillsTheChartWhenStopped)
{
    OpenTerminal();
    const struct {
        const char* priority;  // nullptr: none stored
        DWORD priorityClass;
    } cases[] = {
        {"0", IDLE_PRIORITY_CLASS}, {"1", NORMAL_PRIORITY_CLASS}, {"2", HIGH_PRIORITY_CLASS},
        {"3", REALTIME_PRIORITY_CLASS}, {nullptr, HIGH_PRIORITY_CLASS}, {"x", HIGH_PRIORITY_CLASS},
        {"9", HIGH_PRIORITY_CLASS},
    };
    TMainWindow& w = Window();
    for (const auto& c : cases) {
        const char* what = c.priority ? c.priority : "(none)";
        if (c.priority)
            WriteRaw(PortKey("COM5", "Communication"), "Priority", c.priority);
        else
            DeleteValue(PortKey("COM5", "Communication"), "Priority");
        terminal_.Reset();
        w.RadioButtonTime->SetChecked(true);
        w.ActionStart->Execute();
        EXPECT_TRUE(boxes_.Texts().empty()) << what;
        ASSERT_TRUE(w.TransferRunning()) << what;
        ASSERT_TRUE(WaitFrames(2)) << what << ": " << terminal_.Errors();
        // Wine may refuse the real-time class; then nothing above high is granted.
        const DWORD now = GetPriorityClass(GetCurrentProcess());
        if (c.priorityClass == REALTIME_PRIORITY_CLASS)
            EXPECT_TRUE(now == REALTIME_PRIORITY_CLASS || now == HIGH_PRIORITY_CLASS) << what;
        else
            EXPECT_EQ(now, c.priorityClass) << what;

        w.ActionStop->Execute();
        EXPECT_FALSE(w.TransferRunning()) << what;
        EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), DWORD(NORMAL_PRIORITY_CLASS)) << what;
        EXPECT_GT(w.Series1->Count(), 0) << what;
        EXPECT_TRUE(w.RadioButtonSize->Checked()) << what;
        EXPECT_TRUE(w.Series1->Active()) << what;
        EXPECT_FALSE(w.Series2->Active()) << what;
        EXPECT_FALSE(w.Series3->Active()) << what;
        EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();
    }
}

TEST_F(MainWindowTransfer, PingShowsWhatTheTerminalAnsweredAndEndsByItself)
{
    OpenTerminal();
    const struct {
        int status;  // -1: no answer
        const char* message;
    } cases[] = {
        {0, "Ping:\nAcknowledgment received!\nNo Error!"},
        {3, "Ping:\nTerminal detect checksum error!"},
        {-1, "Ping:\nTimeout after sending 'Read Status'!\nNo acknowledgment received!"},
    };
    TMainWindow& w = Window();
    for (const auto& c : cases) {
        terminal_.Reset();
        terminal_.SetStatusAnswer(c.status);
        boxes_.Clear();
        w.RadioButtonDelay->SetChecked(true);
        w.ActionPing->Execute();
        const auto boxes = boxes_.Boxes();
        ASSERT_EQ(boxes.size(), 1u) << c.message;
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].flags & MB_ICONMASK, UINT(MB_ICONINFORMATION));
        EXPECT_EQ(boxes[0].thread, GetCurrentThreadId()) << "shown on the main thread";
        EXPECT_FALSE(w.TransferRunning());
        EXPECT_FALSE(w.Busy());
        EXPECT_TRUE(w.RadioButtonSize->Checked());
        EXPECT_EQ(w.Series1->Count(), 0) << "a ping sends no frame";
        EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), DWORD(NORMAL_PRIORITY_CLASS));
        EXPECT_GE(terminal_.CountOf(TerminalEvent::Kind::ReadStatus), 1);
        EXPECT_EQ(terminal_.CountOf(TerminalEvent::Kind::Frame), 0);
    }
}

// While a command runs (here: its error box is up) the tray icon offers no menu; afterwards it has it again.
TEST_F(MainWindowTransfer, TheTrayIconHasNoMenuWhileACommandRuns)
{
    WriteRaw(BaseKey() + "\\Default", "Port", "COM9");
    CleanSettings::SeedPort("COM9");
    TMainWindow& w = Window();
    ASSERT_NE(w.PopupMenu, nullptr);
    ASSERT_EQ(w.TrayIcon->PopupMenu(), w.PopupMenu);
    const struct {
        const char* what;
        TAction* action;
    } cases[] = {{"start", w.ActionStart}, {"ping", w.ActionPing}};
    for (const auto& c : cases) {
        std::vector<TPopupMenu*> menuDuringBox;
        Application->SetMessageBoxHook(TMessageBoxHook::From([&](const AnsiString&, const AnsiString&, UINT) {
            menuDuringBox.push_back(w.TrayIcon->PopupMenu());
            return IDOK;
        }));
        c.action->Execute();
        Application->SetMessageBoxHook(nullptr);
        ASSERT_EQ(menuDuringBox.size(), 1u) << c.what;
        EXPECT_EQ(menuDuringBox[0], nullptr) << c.what << ": a menu while the command ran";
        EXPECT_EQ(w.TrayIcon->PopupMenu(), w.PopupMenu) << c.what << ": the menu given back";
        EXPECT_FALSE(w.Busy()) << c.what;
    }
}

TEST_F(MainWindowTransfer, OneCommandAtATime)
{
    OpenTerminal();
    TMainWindow& w = Window();
    ASSERT_TRUE(w.TryEnterBusy());
    EXPECT_FALSE(w.TryEnterBusy());
    w.ActionStart->Execute();
    w.ActionPing->Execute();
    EXPECT_FALSE(w.TransferRunning());
    EXPECT_TRUE(boxes_.Texts().empty());
    w.LeaveBusy();
    EXPECT_FALSE(w.Busy());

    w.ActionStart->Execute();
    ASSERT_TRUE(w.TransferRunning());
    const DWORD thread = w.CaptureThread()->ThreadID();
    // A display change while a command is in progress changes nothing.
    ASSERT_TRUE(w.TryEnterBusy());
    SendMessageA(w.Handle(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    EXPECT_EQ(w.CaptureThread()->ThreadID(), thread);
    w.ActionStop->Execute();
    EXPECT_TRUE(w.TransferRunning()) << "stop refused while busy";
    w.LeaveBusy();
    w.ActionStop->Execute();
    EXPECT_FALSE(w.TransferRunning());
}

TEST_F(MainWindowTransfer, TrayMenuStatesFollowAccessWindowTransferAndBusy)
{
    OpenTerminal();
    TMainWindow& w = Window();
    struct Row {
        bool access, visible, running, busy;
        bool configuration, start, ping, stop, exit;
    };
    const Row rows[] = {
        // access granted
        {true, false, false, false, true, true, true, false, true},
        {true, true, false, false, false, false, false, false, true},
        {true, false, true, false, false, false, false, true, false},
        {true, true, true, false, false, false, false, false, false},
        {true, false, false, true, false, false, false, false, false},
        {true, true, false, true, false, false, false, false, false},
        {true, false, true, true, false, false, false, false, false},
        {true, true, true, true, false, false, false, false, false},
        // no access: everything off
        {false, false, false, false, false, false, false, false, false},
        {false, true, false, false, false, false, false, false, false},
        {false, false, true, false, false, false, false, false, false},
        {false, true, true, false, false, false, false, false, false},
        {false, false, false, true, false, false, false, false, false},
        {false, true, false, true, false, false, false, false, false},
        {false, false, true, true, false, false, false, false, false},
        {false, true, true, true, false, false, false, false, false},
    };
    for (const Row& r : rows) {
        if (r.running != w.TransferRunning()) {
            MainWindowTestAccess::SetAccessGranted(w, true);
            // The handlers themselves: the last row may have disabled the actions.
            if (r.running)
                w.ActionStartExecute(nullptr);
            else
                w.ActionStopExecute(nullptr);
            ASSERT_EQ(w.TransferRunning(), r.running);
        }
        MainWindowTestAccess::SetAccessGranted(w, r.access);
        w.SetVisible(r.visible);
        if (r.busy) {
            ASSERT_TRUE(w.TryEnterBusy());
        }
        w.PopupMenuPopup(w.PopupMenu);
        if (r.busy) w.LeaveBusy();
        const std::string what = std::to_string(r.access) + std::to_string(r.visible) + std::to_string(r.running) +
                                 std::to_string(r.busy);
        EXPECT_EQ(w.ActionConfiguration->Enabled(), r.configuration) << what;
        EXPECT_EQ(w.ActionStart->Enabled(), r.start) << what;
        EXPECT_EQ(w.ActionPing->Enabled(), r.ping) << what;
        EXPECT_EQ(w.ActionStop->Enabled(), r.stop) << what;
        EXPECT_EQ(w.ActionExit->Enabled(), r.exit) << what;
        // The menu items show the actions' states.
        EXPECT_EQ(w.MenuItemStopApplication->Enabled(), r.stop) << what;
        EXPECT_EQ(w.MenuItemCloseApplication->Enabled(), r.exit) << what;
    }
    MainWindowTestAccess::SetAccessGranted(w, true);
    w.SetVisible(false);
    w.ActionStopExecute(nullptr);
}

TEST_F(MainWindowTransfer, ADisplayOrColourChangeRestartsARunningTransfer)
{
    OpenTerminal();
    TMainWindow& w = Window();
    // Nothing runs: nothing starts.
    SendMessageA(w.Handle(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    EXPECT_FALSE(w.TransferRunning());

    for (UINT message : {UINT(WM_DISPLAYCHANGE), UINT(WM_SYSCOLORCHANGE)}) {
        terminal_.Reset();
        w.ActionStart->Execute();
        ASSERT_TRUE(w.TransferRunning());
        ASSERT_TRUE(WaitFrames(2)) << terminal_.Errors();
        const DWORD before = w.CaptureThread()->ThreadID();
        w.Series1->Clear();
        // The restart takes the settings stored now.
        WriteRaw(PortKey("COM5", "Application"), "Desktop", message == WM_DISPLAYCHANGE ? "800x600" : "640x480");
        SendMessageA(w.Handle(), message, 24, MAKELPARAM(1024, 768));
        ASSERT_TRUE(w.TransferRunning()) << message;
        EXPECT_NE(w.CaptureThread()->ThreadID(), before) << message;
        EXPECT_GT(w.Series1->Count(), 0) << "the stopped transfer's statistics are in the chart";
        const RECT area = w.CaptureThread()->DesktopArea();
        EXPECT_EQ(area.right, message == WM_DISPLAYCHANGE ? 800 : 640);
        const int frames = terminal_.Frames();
        ASSERT_TRUE(WaitFrames(frames + 1)) << "frames go on after the restart";
        w.ActionStop->Execute();
    }
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(MainWindowTransfer, AltF4WhileATransferRunsSavesAndHidesAndTheTransferGoesOn)
{
    OpenTerminal();
    TMainWindow& w = Window();
    w.ActionStart->Execute();
    ASSERT_TRUE(w.TransferRunning());
    ASSERT_TRUE(WaitFrames(1)) << terminal_.Errors();
    const DWORD thread = w.CaptureThread()->ThreadID();
    w.ActionConfigurationExecute(nullptr);
    ASSERT_TRUE(w.Visible());
    w.BeepAfterSend->SetChecked(true);
    controltest::Activate(&w);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == w.Handle(); }, 10000));
    controltest::Key(VK_F4, {VK_MENU});
    ASSERT_TRUE(PumpUntil([&] { return !w.Visible(); }, 10000));
    EXPECT_EQ(ReadRaw(PortKey("COM5", "Communication"), "BeepAfterSend"), "1") << "saved as Close Window saves";
    ASSERT_TRUE(w.TransferRunning());
    EXPECT_EQ(w.CaptureThread()->ThreadID(), thread) << "the transfer goes on";
    const int frames = terminal_.Frames();
    ASSERT_TRUE(WaitFrames(frames + 1)) << terminal_.Errors();
    w.ActionStop->Execute();
    EXPECT_TRUE(boxes_.Texts().empty());
}

// A window of this thread that runs a command when another thread sends it a message: how a choice in the tray
// menu reaches the main thread while a message box runs its own loop there.
class CommandWindow {
public:
    explicit CommandWindow(std::function<void()> command) : command_(std::move(command))
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &CommandWindow::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DravikTestCommandWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, LONG_PTR(this));
    }
    ~CommandWindow() { DestroyWindow(window_); }
    CommandWindow(const CommandWindow&) = delete;
    CommandWindow& operator=(const CommandWindow&) = delete;
    HWND get() const { return window_; }
    static constexpr UINT RunMessage = WM_APP + 7;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<CommandWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self && msg == RunMessage) {
            self->command_();
            return 1;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }

    std::function<void()> command_;
    HWND window_ = nullptr;
};

// The capture thread's box about an unsupported screen is up; meanwhile the display changes (what the box asks
// for) or the tray's "Stop Transfer" is chosen. Neither may wait for the thread, which waits for the box: they
// are done once the user has closed it. A driver that hangs cannot be ended from inside, so the watcher ends
// this program with a message instead.
TEST_F(MainWindowTransfer, AStopOrRestartAskedForWhileTheThreadsMessageIsUpIsDoneOnceTheBoxCloses)
{
    OpenTerminal();
    TMainWindow& w = Window();
    const struct {
        const char* what;
        bool stop;
    } cases[] = {{"display change", false}, {"tray stop", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        terminal_.Reset();
        // The first screen of a transfer is one no display here has; after the change the screen is the real one.
        std::atomic<int> made{0};
        SetCaptureThreadMaker([&](KvSerialIO* link) -> std::unique_ptr<KvBitmapCaptureThread> {
            auto thread = std::make_unique<capturetest::TestCaptureThread>(link);
            if (made++ == 0) thread->SetPicture(capturetest::TestCaptureThread::Picture::FourBit);
            return thread;
        });
        // The real box, closed by the watcher as a user would.
        Application->SetMessageBoxHook(nullptr);
        CommandWindow stopCommand([&] { w.ActionStopExecute(nullptr); });
        std::atomic<bool> closed{false};
        std::string boxText;
        std::thread watcher([&] {
            HWND box = nullptr;
            const DWORD start = GetTickCount();
            while (GetTickCount() - start < 30000 && !box) {
                HWND found = FindWindowA("#32770", MainWindowTitle);
                DWORD pid = 0;
                if (found) GetWindowThreadProcessId(found, &pid);
                if (found && pid == GetCurrentProcessId() && IsWindowVisible(found)) box = found;
                Sleep(10);
            }
            if (!box) return;
            boxText = DialogText(box);
            DWORD_PTR answer = 0;
            const BOOL served =
                c.stop ? SendMessageTimeoutA(stopCommand.get(), CommandWindow::RunMessage, 0, 0, SMTO_NORMAL, 20000,
                                             &answer)
                       : SendMessageTimeoutA(w.Handle(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768), SMTO_NORMAL,
                                             20000, &answer);
            if (!served) {
                std::fprintf(stderr, "%s while the capture thread's message is up: the driver hangs\n", c.what);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            closed = true;
        });
        w.ActionStart->Execute();
        ASSERT_TRUE(w.TransferRunning());
        const DWORD first = w.CaptureThread()->ThreadID();
        const bool done = PumpUntil(
            [&] {
                if (!closed) return false;
                if (c.stop) return !w.TransferRunning();
                return w.TransferRunning() && w.CaptureThread()->ThreadID() != first;
            },
            40000);
        watcher.join();
        SetCaptureThreadMaker(nullptr);
        ASSERT_TRUE(closed) << "the box came up and was closed";
        EXPECT_EQ(boxText, KvUnsupportedFormatMessage);
        ASSERT_TRUE(done) << (c.stop ? "the transfer stopped" : "the transfer restarted on the real screen")
                          << ": running " << w.TransferRunning() << ", threads made " << made;
        EXPECT_FALSE(w.Busy());
        if (!c.stop) {
            EXPECT_EQ(made, 2);
            w.ActionStop->Execute();
        } else {
            EXPECT_EQ(made, 1) << "a stop asked for is not a restart";
        }
        EXPECT_FALSE(w.TransferRunning());
    }
}

// The screen's mode as it was, put back after a test that changed it.
class DisplayModeGuard {
public:
    DisplayModeGuard()
    {
        saved_.dmSize = sizeof saved_;
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &saved_);
    }
    ~DisplayModeGuard() { ChangeDisplaySettingsExA(nullptr, &saved_, nullptr, 0, nullptr); }
    LONG Change(DWORD width, DWORD height)
    {
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        return ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr);
    }
    const DEVMODEA& Saved() const { return saved_; }

private:
    DEVMODEA saved_{};
};

TEST_F(MainWindowTransfer, ARealDisplayModeChangeRestartsTheTransfer)
{
    OpenTerminal();
    TMainWindow& w = Window();
    w.ActionStart->Execute();
    ASSERT_TRUE(w.TransferRunning());
    ASSERT_TRUE(WaitFrames(2)) << terminal_.Errors();
    const DWORD first = w.CaptureThread()->ThreadID();
    w.Series1->Clear();
    DisplayModeGuard mode;
    if (mode.Change(800, 600) != DISP_CHANGE_SUCCESSFUL) GTEST_SKIP() << "this display keeps its mode";
    ASSERT_TRUE(PumpUntil([&] { return w.TransferRunning() && w.CaptureThread()->ThreadID() != first; }, 20000))
        << "the transfer restarted";
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_GT(w.Series1->Count(), 0);
    const int frames = terminal_.Frames();
    ASSERT_TRUE(WaitFrames(frames + 1)) << "frames go on at the new size";
    const DWORD second = w.CaptureThread()->ThreadID();
    ASSERT_EQ(mode.Change(mode.Saved().dmPelsWidth, mode.Saved().dmPelsHeight), DISP_CHANGE_SUCCESSFUL);
    ASSERT_TRUE(PumpUntil([&] { return w.TransferRunning() && w.CaptureThread()->ThreadID() != second; }, 20000));
    w.ActionStop->Execute();
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(MainWindowTransfer, StatisticRadioButtonsShowOneSeriesAndUndoTheZoom)
{
    TMainWindow& w = Window();
    w.ActionConfiguration->Execute();
    w.MainPageControl->SetActivePage(w.PageStatistic);
    for (int i = 0; i < 10; ++i) {
        w.Series1->AddXY(i, i + 1);
        w.Series2->AddXY(i * 5, 2 * i + 1);
        w.Series3->AddXY(i * 5, 3 * i + 1);
    }
    const struct {
        TRadioButton* button;
        TChartSeries* active;
    } cases[] = {{w.RadioButtonTime, w.Series2}, {w.RadioButtonDelay, w.Series3}, {w.RadioButtonSize, w.Series1}};
    controltest::Activate(&w);
    for (const auto& c : cases) {
        w.Chart1->ZoomRect(1, 1, 3, 3);
        ASSERT_TRUE(w.Chart1->Zoomed());
        const TPoint p = c.button->ClientToScreen(TPoint(8, c.button->Height() / 2));
        MouseClick(POINT{p.x, p.y}, false);
        ASSERT_TRUE(PumpUntil([&] { return c.button->Checked(); })) << c.button->Name().c_str();
        EXPECT_FALSE(w.Chart1->Zoomed());
        for (TChartSeries* s : {static_cast<TChartSeries*>(w.Series1), static_cast<TChartSeries*>(w.Series2),
                                static_cast<TChartSeries*>(w.Series3)})
            EXPECT_EQ(s->Active(), s == c.active) << c.button->Name().c_str() << " " << s->Name().c_str();
    }
    controltest::MouseTo(1000, 750);
    w.SetVisible(false);
}

}  // namespace
