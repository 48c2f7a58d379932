// DravikREMOTE.exe end to end: started as a user starts it, with its settings in the registry and the terminal
// stand-in on the far end of a COM pair.

#include <gtest/gtest.h>

#include "DriverProcess.h"
#include "DriverWindows.h"
#include "mirror/CaptureTestTerminal.h"
#include "support/DesktopPicture.h"
#include "support/PeerPort.h"

namespace {

using namespace shelltest;
using capturetest::ScriptedTerminal;

class DriverEndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        CleanSettings::SeedPort("COM5");
        WriteRaw(PortKey("COM5", "Communication"), "DelayAfterSend", "50");
        ASSERT_TRUE(terminal_.Open("COM6"));
    }
    void TearDown() override
    {
        driver_.Kill();
        terminal_.Close();
        controltest::MouseTo(1000, 750);
    }
    // Ends the program as its message loop ends.
    void EndDriver()
    {
        PostThreadMessageA(driver_.MainThread(), WM_QUIT, 0, 0);
        ASSERT_TRUE(driver_.WaitForExit());
        EXPECT_EQ(driver_.ExitCode(), 0u);
    }
    bool WaitFrames(int n, DWORD timeoutMs = 30000)
    {
        return terminal_.WaitUntil([&] { return terminal_.Frames() >= n; }, timeoutMs);
    }

    SerialCommList ports_;
    CleanSettings clean_;
    ScriptedTerminal terminal_;
    DriverProcess driver_;
};

TEST_F(DriverEndToEnd, PortAndStartOnTheCommandLineMirrorTheDesktop)
{
    capturetest::TestWindow picture(60, 40, 300, 220, 0, "Mirrored");
    picture.SetColor(RGB(0, 128, 128));
    ASSERT_TRUE(driver_.Start("/Port=COM5 /start"));
    ASSERT_TRUE(WaitFrames(1)) << terminal_.Errors();
    EXPECT_EQ(driver_.PriorityClass(), DWORD(HIGH_PRIORITY_CLASS)) << "the default priority while it runs";

    std::string difference = "no picture";
    terminal_.WaitUntil(
        [&] {
            TerminalPicture expected;
            if (!ReducedDesktop(expected)) return false;
            difference = DesktopDifference(terminal_.Picture(), expected);
            return difference.empty();
        },
        30000);
    EXPECT_EQ(difference, "");
    EXPECT_EQ(terminal_.ErrorCount(), 0) << terminal_.Errors();

    EndDriver();
    PeerPort port;
    EXPECT_TRUE(port.Open("COM5")) << "the port is free again";
}

TEST_F(DriverEndToEnd, KeysAndPointerFromTheTerminalReachAnotherProgramsWindow)
{
    InputWindow target(100, 100, 300, 200);
    ASSERT_TRUE(driver_.Start("/Port=COM5 /start"));
    ASSERT_TRUE(WaitFrames(1)) << terminal_.Errors();
    SetForegroundWindow(target.get());
    SetFocus(target.get());

    // F5 pressed and released on the terminal.
    terminal_.SendNow(TerminalStandIn::KeyBitmap({0x0010, 0, 0, 0}));
    ASSERT_TRUE(PumpUntil([&] { return target.Has("down " + std::to_string(VK_F5)); }, 10000));
    terminal_.SendNow(TerminalStandIn::KeyBitmap({0, 0, 0, 0}));
    ASSERT_TRUE(PumpUntil([&] { return target.Has("up " + std::to_string(VK_F5)); }, 10000));

    // The pointer at terminal (150, 120) with the left button: the desktop area is not scaled.
    terminal_.SendNow(TerminalStandIn::Pointer(150, 120, 0x02));
    ASSERT_TRUE(PumpUntil([&] { return target.Has("ldown 50,20"); }, 10000)) << testing::PrintToString(target.Events());
    terminal_.SendNow(TerminalStandIn::Pointer(150, 120, 0x00));
    ASSERT_TRUE(PumpUntil([&] { return target.Has("lup 50,20"); }, 10000)) << testing::PrintToString(target.Events());
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 150);
    EXPECT_EQ(cursor.y, 120);
    EndDriver();
}

TEST_F(DriverEndToEnd, AStartThatCannotOpenTheLineShowsItsMessageInFront)
{
    CleanSettings::SeedPort("COM9");
    ASSERT_TRUE(driver_.Start("/Port=COM9 /start"));
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (box = driver_.VisibleWindow("#32770", MainWindowTitle)) != nullptr; }, 20000));
    EXPECT_EQ(DialogText(box), "Not able to open the serial port!");
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == box; }, 10000)) << "the box comes to the front";
    EXPECT_EQ(driver_.PriorityClass(), DWORD(NORMAL_PRIORITY_CLASS));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000));
    EXPECT_TRUE(driver_.Running()) << "the program goes on without a transfer";
    EndDriver();
}

}  // namespace
