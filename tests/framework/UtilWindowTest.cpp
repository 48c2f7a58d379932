// Hidden utility windows: every message reaches the method with its parameters and leaves its answer, an
// exception in the method reaches the application object, and a freed window calls nothing.

#include "framework/visual/Messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/visual/Forms.h"

namespace {

constexpr UINT WM_PROBE = WM_APP + 70;
constexpr UINT WM_FAIL = WM_APP + 71;

TEST(UtilWindowTest, MessagesReachTheMethodAndItsAnswerIsTheResult)
{
    std::vector<TMessage> seen;
    HWND wnd = AllocateHWnd(TWndMethod::From([&](TMessage& m) {
        if (m.Msg == WM_PROBE) {
            seen.push_back(m);
            m.Result = LRESULT(m.WParam + m.LParam);
            return;
        }
        m.Result = DefWindowProcA(nullptr, m.Msg, m.WParam, m.LParam);
    }));
    ASSERT_NE(wnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_EQ(SendMessageA(wnd, WM_PROBE, 3, 40), 43);
    ASSERT_TRUE(PostMessageA(wnd, WM_PROBE, 5, 6));
    Application->ProcessMessages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].WParam, 5u);
    EXPECT_EQ(seen[1].LParam, 6);
    DeallocateHWnd(wnd);
    EXPECT_FALSE(IsWindow(wnd));
    DeallocateHWnd(nullptr);
}

TEST(UtilWindowTest, AnExceptionInTheMethodGoesToTheApplication)
{
    std::vector<std::string> reported;
    Application->SetOnException(TExceptionEvent::From(
        [&](TObject*, Exception* e) { reported.push_back(e ? e->Message().c_str() : "?"); }));
    HWND wnd = AllocateHWnd(TWndMethod::From([](TMessage& m) {
        if (m.Msg == WM_FAIL) throw EInvalidOperation("window failed");
        m.Result = DefWindowProcA(nullptr, m.Msg, m.WParam, m.LParam);
    }));
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(SendMessageA(wnd, WM_FAIL, 0, 0), 0);
    EXPECT_EQ(reported, std::vector<std::string>{"window failed"});
    EXPECT_EQ(SendMessageA(wnd, WM_NULL, 0, 0), 0) << "the window goes on after it";
    DeallocateHWnd(wnd);
    Application->SetOnException(nullptr);
}

TEST(UtilWindowTest, TheMethodCanFreeItsOwnWindow)
{
    HWND wnd = nullptr;
    std::vector<std::string> log;
    wnd = AllocateHWnd(TWndMethod::From([&, text = std::string("still here")](TMessage& m) {
        if (m.Msg == WM_PROBE) {
            DeallocateHWnd(wnd);
            log.push_back(text);  // the method's own state outlives the freeing
            m.Result = 7;
            return;
        }
        m.Result = DefWindowProcA(nullptr, m.Msg, m.WParam, m.LParam);
    }));
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(SendMessageA(wnd, WM_PROBE, 0, 0), 7);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(log, std::vector<std::string>{"still here"});
}

}  // namespace
