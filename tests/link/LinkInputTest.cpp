// The terminal's keys and pointer for real: the stand-in sends frames on the COM pair, the link plays them
// into Windows, and a window on the display receives them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "LinkTestSupport.h"
#include "framework/runtime/Handles.h"
#include "support/TerminalStandIn.h"
#include "support/Wait.h"

using namespace linktest;
namespace K = TerminalKeys;

namespace {

class LinkInput : public testing::Test {
protected:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        const std::string where = wnd == other_.get() ? "other:" : "";
        switch (msg) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP: {
            const bool up = msg == WM_KEYUP || msg == WM_SYSKEYUP;
            received_.push_back(where + (up ? "-" : "+") + KeyName(BYTE(wParam)));
            return 0;
        }
        case WM_CHAR:
            if (wParam >= 0x20) received_.push_back(where + "'" + std::string(1, char(wParam)) + "'");
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: {
            const char* name = msg == WM_LBUTTONDOWN ? "ldown" : msg == WM_LBUTTONUP ? "lup" : msg == WM_RBUTTONDOWN ? "rdown" : "rup";
            received_.push_back(where + name + " " + std::to_string(short(LOWORD(lParam))) + "," +
                                std::to_string(short(HIWORD(lParam))));
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
        wc.lpszClassName = "KvLinkInputTestWindow";
        RegisterClassA(&wc);
        // At (200, 100), 400 x 300: the terminal's (300, 200) is the client's (300 - 200, 200 - 100) with no
        // border.
        window_ = WindowHandle(CreateWindowExA(0, wc.lpszClassName, "keys", WS_POPUP | WS_VISIBLE, 200, 100, 400,
                                               300, nullptr, nullptr, wc.hInstance, nullptr));
        other_ = WindowHandle(CreateWindowExA(0, wc.lpszClassName, "other", WS_POPUP | WS_VISIBLE, 700, 500, 200,
                                              100, nullptr, nullptr, wc.hInstance, nullptr));
    }

    static void TearDownTestSuite()
    {
        window_.reset();
        other_.reset();
        UnregisterClassA("KvLinkInputTestWindow", GetModuleHandleA(nullptr));
    }

    void SetUp() override
    {
        ASSERT_TRUE(window_);
        Focus(window_.get());
        ASSERT_EQ(GetForegroundWindow(), window_.get());
        received_.clear();
        settings_.SetLine("COM5");
        ASSERT_TRUE(terminal_.Open("COM6")) << terminal_.Port().LastError();
    }

    void Open()
    {
        ASSERT_TRUE(link_.OpenConnection()) << testing::PrintToString(link_.Errors());
    }

    static void Focus(HWND wnd)
    {
        SetForegroundWindow(wnd);
        SetFocus(wnd);
        Pump(100);
    }

    // Serves the windows' messages until `count` input messages came or the time is up.
    static void Pump(DWORD ms, size_t count = SIZE_MAX)
    {
        testwait::PumpUntil([&] { return received_.size() >= count; }, ms);
    }

    static inline WindowHandle window_;
    static inline WindowHandle other_;
    static inline Events received_;

    LinkSettings settings_{"LinkInput"};
    TestLink link_;
    TerminalStandIn terminal_;
};

TEST_F(LinkInput, KeysAndLettersReachTheWindowInOrder)
{
    Open();
    ASSERT_TRUE(terminal_.Press(K::F(1)));
    ASSERT_TRUE(terminal_.Release(K::F(1)));
    ASSERT_TRUE(terminal_.Press(K::Shift));
    ASSERT_TRUE(terminal_.Press(K::Digit(5)));
    Pump(3000, 8);
    ASSERT_TRUE(terminal_.Release(K::Digit(5)));
    ASSERT_TRUE(terminal_.Release(K::Shift));
    Pump(3000, 9);
    Pump(200);
    EXPECT_EQ(received_, (Events{"+F1", "-F1", "+Shift", "-Shift", "+M", "'m'", "-M", "+Shift", "-Shift"}));
}

TEST_F(LinkInput, AKeyHeldWhenTheTransferEndsIsLetGo)
{
    Open();
    ASSERT_TRUE(terminal_.Press(K::F(2)));
    Pump(3000, 1);
    ASSERT_EQ(received_, (Events{"+F2"}));
    EXPECT_TRUE(link_.CloseConnection());
    Pump(3000, 2);
    EXPECT_EQ(received_, (Events{"+F2", "-F2"}));
    EXPECT_FALSE(GetAsyncKeyState(VK_F2) & 0x8000);
}

TEST_F(LinkInput, ThePointerClicksWhereTheTerminalPoints)
{
    Open();
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(300, 200, 0)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(300, 200, 2)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(310, 205, 0)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(310, 205, 1)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(310, 205, 0)));
    Pump(3000, 4);
    Pump(200);
    EXPECT_EQ(received_, (Events{"ldown 100,100", "lup 110,105", "rdown 110,105", "rup 110,105"}));
    POINT p;
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 310);
    EXPECT_EQ(p.y, 205);
}

// Application mode: the target window is brought to the front before a key, and the pointer lands in it.
TEST_F(LinkInput, InApplicationModeTheTargetWindowIsActivated)
{
    settings_.Set("Application", "Mode", "Application");
    Open();
    link_.SetTargetWindow(window_.get());
    Focus(other_.get());
    ASSERT_EQ(GetForegroundWindow(), other_.get());
    received_.clear();
    ASSERT_TRUE(terminal_.Press(K::Enter));
    ASSERT_TRUE(terminal_.Release(K::Enter));
    Pump(3000, 2);
    EXPECT_EQ(GetForegroundWindow(), window_.get());
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(20, 30, 2)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(20, 30, 0)));
    Pump(3000, 4);
    Pump(200);
    EXPECT_EQ(received_, (Events{"+Enter", "-Enter", "ldown 20,30", "lup 20,30"}));
}

}  // namespace
