// The terminal's keys and pointer for real: the stand-in sends frames on the COM pair, the link plays them
// into Windows, and windows on the display receive them.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "LinkTestSupport.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/SysUtils.h"
#include "support/TerminalStandIn.h"
#include "support/Wait.h"

using namespace linktest;
namespace K = TerminalKeys;

namespace {

// The terminal key sent after what a test looks at: once its release is here, everything before it is.
const TerminalKey Marker = K::F(11);

class LinkInput : public testing::Test {
protected:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        const std::string where = wnd == other_.get() ? "other:" : wnd == child_ ? "child:" : "";
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
        case WM_SIZE:
            if (wnd == child_ && wParam == SIZE_MINIMIZED) received_.push_back("child:minimised");
            if (wnd == child_ && wParam == SIZE_RESTORED) received_.push_back("child:restored");
            return 0;
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
        child_ = nullptr;
        settings_.SetLine("COM5");
        ASSERT_TRUE(terminal_.Open("COM6")) << terminal_.Port().LastError();
    }
    void TearDown() override
    {
        link_.CloseConnection();
        if (child_) DestroyWindow(child_);
        child_ = nullptr;
    }

    void Open() { ASSERT_TRUE(link_.OpenConnection()) << testing::PrintToString(link_.Errors()); }

    static void Focus(HWND wnd)
    {
        SetForegroundWindow(wnd);
        SetFocus(wnd);
        Pump(100);
    }

    // A child window of a window of the suite, which tells when it is minimised and restored.
    static HWND MakeChild(HWND parent)
    {
        child_ = CreateWindowExA(0, "KvLinkInputTestWindow", "", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        return child_;
    }

    // Serves the windows' messages until `count` input messages came or the time is up.
    static void Pump(DWORD ms, size_t count = SIZE_MAX)
    {
        testwait::PumpUntil([&] { return received_.size() >= count; }, ms);
    }

    // Sends the marker key and serves the windows until its release has come (to whichever window has the
    // focus); what came until then, without the marker.
    Events UntilMarker()
    {
        EXPECT_TRUE(terminal_.Press(Marker));
        EXPECT_TRUE(terminal_.Release(Marker));
        auto done = [] {
            return std::any_of(received_.begin(), received_.end(), [](const std::string& e) {
                return e.size() >= 4 && e.compare(e.size() - 4, 4, "-F11") == 0;
            });
        };
        EXPECT_TRUE(testwait::PumpUntil(done, 10000)) << testing::PrintToString(received_);
        Events got;
        for (const std::string& e : received_)
            if (e.find("F11") == std::string::npos) got.push_back(e);
        return got;
    }

    static inline WindowHandle window_;
    static inline WindowHandle other_;
    static inline HWND child_ = nullptr;
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
    ASSERT_TRUE(terminal_.Release(K::Digit(5)));
    ASSERT_TRUE(terminal_.Release(K::Shift));
    EXPECT_EQ(UntilMarker(), (Events{"+F1", "-F1", "+Shift", "-Shift", "+M", "'m'", "-M", "+Shift", "-Shift"}));
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

// Only the release of F1 mapped (to F2): F1 itself goes down and comes up in Windows, then F2 is played.
TEST_F(LinkInput, AKeyWhoseReleaseIsMappedIsLetGoFirst)
{
    const std::string ini = ChangeFileExt(ParamStr(0), ".ini").c_str();
    KvKeyMap map;
    KvActionList list;
    list.Add(KvKeyAction(TShortCut(VK_F2)));
    map.SetActions(0x80000070, &list);
    ASSERT_TRUE(map.SaveToFile("COM5", ini.c_str()));
    settings_.Set("MouseAndKeyboard", "UserDefinedKeyboardMapping", "1");
    Open();
    DeleteFileA(ini.c_str());
    ASSERT_TRUE(terminal_.Press(K::F(1)));
    ASSERT_TRUE(terminal_.Release(K::F(1)));
    EXPECT_EQ(UntilMarker(), (Events{"+F1", "-F1", "+F2", "-F2"}));
    EXPECT_FALSE(GetAsyncKeyState(VK_F1) & 0x8000);
}

TEST_F(LinkInput, ThePointerClicksWhereTheTerminalPoints)
{
    Open();
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(300, 200, 0)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(300, 200, 2)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(310, 205, 0)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(310, 205, 1)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(310, 205, 0)));
    EXPECT_EQ(UntilMarker(), (Events{"ldown 100,100", "lup 110,105", "rdown 110,105", "rup 110,105"}));
    POINT p;
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 310);
    EXPECT_EQ(p.y, 205);
}

// Where the terminal put the pointer is not sent back to it; a move by anyone else is.
TEST_F(LinkInput, ThePointersOwnMovesAreNotEchoed)
{
    Open();
    POINT p;
    ASSERT_TRUE(SetCursorPos(50, 60));
    ASSERT_TRUE(link_.GetCursorUpdate(p));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(123, 234, 0)));
    ASSERT_TRUE(testwait::WaitUntil(
        [&] {
            POINT c;
            return GetCursorPos(&c) && c.x == 123 && c.y == 234;
        },
        5000));
    UntilMarker();
    EXPECT_FALSE(link_.GetCursorUpdate(p));
    ASSERT_TRUE(SetCursorPos(321, 210));
    ASSERT_TRUE(link_.GetCursorUpdate(p));
    EXPECT_EQ(p.x, 321);
    EXPECT_EQ(p.y, 210);
}

// ---------------------------------------------------------------------------------------------------------------
// Application mode: the target window is brought to the front before a key, a letter and a key-map action,
// unless the foreground already is it or belongs to it.

class TargetActivation : public LinkInput {
protected:
    void SetUp() override
    {
        LinkInput::SetUp();
        settings_.Set("Application", "Mode", "Application");
    }
};

TEST_F(TargetActivation, BeforeAKeyAndThePointerLandsInTheTarget)
{
    Open();
    link_.SetTargetWindow(window_.get());
    Focus(other_.get());
    ASSERT_EQ(GetForegroundWindow(), other_.get());
    received_.clear();
    ASSERT_TRUE(terminal_.Press(K::Enter));
    ASSERT_TRUE(terminal_.Release(K::Enter));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(20, 30, 2)));
    ASSERT_TRUE(terminal_.Send(TerminalStandIn::Pointer(20, 30, 0)));
    EXPECT_EQ(UntilMarker(), (Events{"+Enter", "-Enter", "ldown 20,30", "lup 20,30"}));
    EXPECT_EQ(GetForegroundWindow(), window_.get());
}

// The foreground changed between the terminal's Shift and its digit: the letter still goes to the target.
TEST_F(TargetActivation, BeforeALetter)
{
    Open();
    link_.SetTargetWindow(window_.get());
    ASSERT_TRUE(terminal_.Press(K::Shift));
    Pump(3000, 1);
    Focus(other_.get());
    ASSERT_EQ(GetForegroundWindow(), other_.get());
    received_.clear();
    ASSERT_TRUE(terminal_.Press(K::Digit(7)));
    ASSERT_TRUE(terminal_.Release(K::Digit(7)));
    ASSERT_TRUE(terminal_.Release(K::Shift));
    EXPECT_EQ(UntilMarker(), (Events{"-Shift", "+A", "'a'", "-A", "+Shift", "-Shift"}));
    EXPECT_EQ(GetForegroundWindow(), window_.get());
}

TEST_F(TargetActivation, BeforeAKeyMapAction)
{
    const std::string ini = ChangeFileExt(ParamStr(0), ".ini").c_str();
    KvKeyMap map;
    KvActionList list;
    list.Add(KvKeyAction(TShortCut(VK_F3)));
    map.SetActions(0x00000070, &list);
    ASSERT_TRUE(map.SaveToFile("COM5", ini.c_str()));
    settings_.Set("MouseAndKeyboard", "UserDefinedKeyboardMapping", "1");
    Open();
    DeleteFileA(ini.c_str());
    link_.SetTargetWindow(window_.get());
    Focus(other_.get());
    received_.clear();
    ASSERT_TRUE(terminal_.Press(K::F(1)));
    ASSERT_TRUE(terminal_.Release(K::F(1)));
    EXPECT_EQ(UntilMarker(), (Events{"+F3", "-F3"}));
    EXPECT_EQ(GetForegroundWindow(), window_.get());
}

// A target that cannot be brought to the front (a child window cannot) is minimised and restored instead.
TEST_F(TargetActivation, ATargetThatWillNotComeToTheFrontIsMinimisedAndRestored)
{
    Open();
    link_.SetTargetWindow(MakeChild(window_.get()));
    Focus(other_.get());
    received_.clear();
    ASSERT_TRUE(terminal_.Press(K::Enter));
    ASSERT_TRUE(terminal_.Release(K::Enter));
    const Events got = UntilMarker();
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], "child:minimised");
    EXPECT_EQ(got[1], "child:restored");
}

// A target inside the foreground window, or inside the window the foreground belongs to, is left alone.
TEST_F(TargetActivation, NotForAChildOfTheForegroundOrOfItsOwner)
{
    Open();
    link_.SetTargetWindow(MakeChild(other_.get()));
    Focus(other_.get());
    received_.clear();
    ASSERT_TRUE(terminal_.Press(K::Enter));
    ASSERT_TRUE(terminal_.Release(K::Enter));
    EXPECT_EQ(UntilMarker(), (Events{"other:+Enter", "other:-Enter"}));
    EXPECT_EQ(GetForegroundWindow(), other_.get());
    DestroyWindow(child_);

    // The foreground is a pop-up owned by the window the target sits in.
    link_.SetTargetWindow(MakeChild(window_.get()));
    WindowHandle owned(CreateWindowExA(0, "KvLinkInputTestWindow", "owned", WS_POPUP | WS_VISIBLE, 250, 150, 100, 50,
                                       window_.get(), nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_EQ(GetParent(owned.get()), window_.get());
    Focus(owned.get());
    ASSERT_EQ(GetForegroundWindow(), owned.get());
    received_.clear();
    ASSERT_TRUE(terminal_.Press(K::Enter));
    ASSERT_TRUE(terminal_.Release(K::Enter));
    EXPECT_EQ(UntilMarker(), (Events{"+Enter", "-Enter"}));
    EXPECT_EQ(GetForegroundWindow(), owned.get());
}

}  // namespace
