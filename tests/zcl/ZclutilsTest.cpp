#include "zcl/core/Zclutils.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <cstdint>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/IniFiles.h"
#include "framework/runtime/Registry.h"
#include "framework/runtime/Thread.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclprocs.h"

namespace {

std::vector<std::string> Lines(const TStrings& list)
{
    std::vector<std::string> r;
    for (int i = 0; i < list.Count(); ++i) r.push_back(list.Strings(i).c_str());
    return r;
}

using Strs = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------------------------
// Text forms

TEST(ZclutilsTextForms, RectangleText)
{
    EXPECT_EQ(ZCLRectToString(TRect(1, 2, 3, 4)), "1,2,3,4");
    EXPECT_EQ(ZCLRectToString(TRect(-10, 0, 2147483647, -2147483647 - 1)), "-10,0,2147483647,-2147483648");

    const struct {
        const char* text;
        TRect rect;
    } cases[] = {
        {"1,2,3,4", TRect(1, 2, 3, 4)},
        {"-10,0,2147483647,-2147483648", TRect(-10, 0, 2147483647, -2147483647 - 1)},
        {"1,2,3", TRect()},
        {"1,2,3,4,5", TRect()},
        {"", TRect()},
        {"x,2,,4", TRect(0, 2, 0, 4)},
        {" 5,6,7,8", TRect(5, 6, 7, 8)},
    };
    for (const auto& c : cases) EXPECT_EQ(ZCLStringToRect(c.text), c.rect) << c.text;
}

TEST(ZclutilsTextForms, PointText)
{
    EXPECT_EQ(ZCLPointToString(TPoint(3, 4)), "[3,4]");
    EXPECT_EQ(ZCLPointToString(TPoint(-7, 0)), "[-7,0]");

    const struct {
        const char* text;
        TPoint point;
    } cases[] = {
        {"[3,4]", TPoint(3, 4)},   {"[-7,0]", TPoint(-7, 0)}, {"[ 12 , -5 ]", TPoint(12, -5)},
        {"[34]", TPoint()},        {",3,4]", TPoint()},       {"[3,", TPoint()},
        {"", TPoint()},            {"[x,4]", TPoint(0, 4)},   {"[1,2,3]", TPoint(1, 0)},
    };
    for (const auto& c : cases) EXPECT_EQ(ZCLStringToPoint(c.text), c.point) << c.text;
}

TEST(ZclutilsTextForms, FontTextRoundTrip)
{
    TFont font;
    font.SetName("Courier New");
    font.SetSize(12);
    font.SetColor(clRed);
    font.SetStyle({fsBold, fsUnderline});
    const AnsiString text = ZCLFontToString(&font);
    EXPECT_EQ(text, "Courier New,12,clRed,1,0,1,0");

    TFont back;
    ZCLStringToFont(text, &back);
    EXPECT_EQ(back.Name(), "Courier New");
    EXPECT_EQ(back.Size(), 12);
    EXPECT_EQ(back.Color(), clRed);
    EXPECT_TRUE(back.Style() == TFontStyles({fsBold, fsUnderline}));

    // A colour without a name is kept as its number; every flag that is not 0 counts.
    ZCLStringToFont("Arial,9,$00123456,0,7,0,-1", &back);
    EXPECT_EQ(back.Name(), "Arial");
    EXPECT_EQ(back.Size(), 9);
    EXPECT_EQ(back.Color(), TColor(0x123456));
    EXPECT_TRUE(back.Style() == TFontStyles({fsItalic, fsStrikeOut}));
    EXPECT_EQ(ZCLFontToString(&back), "Arial,9,$00123456,0,1,0,1");

    // A size that is no integer reads as 10.
    ZCLStringToFont("Arial,big,clBlue,0,0,0,0", &back);
    EXPECT_EQ(back.Size(), 10);
    EXPECT_EQ(back.Color(), clBlue);
}

TEST(ZclutilsTextForms, FontTextOfAnotherFieldCountLeavesTheFont)
{
    for (const char* text : {"Arial,9,clRed,1,1,1", "Arial,9,clRed,1,1,1,1,1", "", "My,Font,9,clRed,1,1,1,1"}) {
        TFont font;
        font.SetName("Tahoma");
        font.SetSize(8);
        const AnsiString before = ZCLFontToString(&font);
        ZCLStringToFont(text, &font);
        EXPECT_EQ(ZCLFontToString(&font), before) << text;
    }
}

TEST(ZclutilsTextForms, BadFontFieldRaisesAndLeavesTheFontWhole)
{
    for (const char* text : {"Arial,20,clBlue,1,1,1,x", "Arial,20,clBlue,yes,0,0,0", "Arial,20,notacolour,1,0,0,0"}) {
        TFont font;
        font.SetName("Tahoma");
        font.SetSize(8);
        font.SetColor(clGreen);
        int changes = 0;
        font.SetOnChange(TNotifyEvent::From([&changes](TObject*) { ++changes; }));
        const AnsiString before = ZCLFontToString(&font);
        EXPECT_THROW(ZCLStringToFont(text, &font), EConvertError) << text;
        EXPECT_EQ(ZCLFontToString(&font), before) << text;
        EXPECT_EQ(changes, 0) << text;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Lists

TEST(ZclutilsLists, DivisorsInRisingNumericOrder)
{
    const struct {
        int n;
        Strs divisors;
    } cases[] = {
        {12, {"1", "2", "3", "4", "6", "12"}},
        {16, {"1", "2", "4", "8", "16"}},
        {1, {"1"}},
        {2, {"1", "2"}},
        {7, {"1", "7"}},
        {36, {"1", "2", "3", "4", "6", "9", "12", "18", "36"}},
        {1234567, {"1", "127", "9721", "1234567"}},
        {2147483647, {"1", "2147483647"}},
        {0, {}},
        {-12, {}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("stale");
        ZCLGetDivider(&list, c.n);
        EXPECT_EQ(Lines(list), c.divisors) << c.n;
    }
}

TEST(ZclutilsLists, DivisorsBeyondSixDigitsStayInNumericOrder)
{
    TStringList list;
    list.SetSorted(true);
    ZCLGetDivider(&list, 10000000);  // 2^7 * 5^7: 64 divisors
    EXPECT_FALSE(list.Sorted());
    ASSERT_EQ(list.Count(), 64);
    for (int i = 1; i < list.Count(); ++i)
        EXPECT_LT(StrToInt(list.Strings(i - 1)), StrToInt(list.Strings(i))) << i;
    EXPECT_EQ(list.Strings(0), "1");
    EXPECT_EQ(list.Strings(63), "10000000");
    EXPECT_NE(list.IndexOf("78125"), -1);
}

TEST(ZclutilsLists, ParseToStrList)
{
    const struct {
        const char* s;
        Strs pieces;
    } cases[] = {
        {"a,,b,", {"a", "", "b"}},
        {"a", {"a"}},
        {",", {""}},
        {",a", {"", "a"}},
        {"a,,", {"a", ""}},
        {"200,1,2,-1,-1,10,20", {"200", "1", "2", "-1", "-1", "10", "20"}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("stale");
        ZCLParseToStrList(c.s, ',', &list);
        EXPECT_EQ(Lines(list), c.pieces) << c.s;
    }
    TStringList list;
    list.Add("kept");
    ZCLParseToStrList("", ',', &list);
    EXPECT_EQ(Lines(list), Strs{"kept"});
    ZCLParseToStrList("a,b", ',', nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Waiting

// A window that counts WM_APP messages.
class CountingWindow {
public:
    CountingWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZclutilsCounting";
        RegisterClassA(&wc);
        wnd_.reset(CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   wc.hInstance, nullptr));
        SetWindowLongPtrA(wnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    HWND get() const { return wnd_.get(); }
    std::atomic<int> count{0};
    std::atomic<DWORD> lastTick{0};

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_APP) {
            auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
            if (self) {
                ++self->count;
                self->lastTick = GetTickCount();
            }
            return 0;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    WindowHandle wnd_;
};

double MillisecondsSince(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

TEST(ZclutilsWait, ServesMessagesAndReturnsAfterTheTime)
{
    CountingWindow window;
    ASSERT_TRUE(window.get());
    PostMessageA(window.get(), WM_APP, 0, 0);
    // One more arrives from another thread once the wait has served the first, so it can only be served by the
    // wait itself (nothing pumps after it).
    std::thread poster([&window] {
        const DWORD begun = GetTickCount();
        while (window.count < 1 && GetTickCount() - begun < 10000) Sleep(1);
        PostMessageA(window.get(), WM_APP, 0, 0);
    });
    // The wait's own clock: it returns once GetTickCount has moved on by the time asked.
    const DWORD start = GetTickCount();
    ZCLWait(1000);
    const DWORD elapsed = GetTickCount() - start;
    poster.join();
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 10000u);
    EXPECT_EQ(window.count, 2);
}

TEST(ZclutilsWait, ZeroReturnsAtOnceWithoutServingMessages)
{
    CountingWindow window;
    PostMessageA(window.get(), WM_APP, 0, 0);
    ZCLWait(0);
    EXPECT_EQ(window.count, 0);
    MSG msg;
    while (PeekMessageA(&msg, window.get(), 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(window.count, 1);
}

class SynchronizingThread : public TThread {
public:
    SynchronizingThread() : TThread(false) {}
    ~SynchronizingThread() override { WaitFor(); }
    std::atomic<bool> ran{false};
    std::atomic<DWORD> ranOn{0};

protected:
    void Execute() override
    {
        Synchronize(TThreadMethod::From([this] {
            ranOn = GetCurrentThreadId();
            ran = true;
        }));
    }
};

TEST(ZclutilsWait, ServesSynchronisedCalls)
{
    SynchronizingThread thread;
    // Nothing else pumps here, so the call can only have been served by the waits.
    for (int i = 0; i < 400 && !thread.ran; ++i) ZCLWait(25);
    EXPECT_TRUE(thread.ran);
    EXPECT_EQ(thread.ranOn, MainThreadID);
}

// ---------------------------------------------------------------------------------------------------------------
// Previous instance: a second start of this test program plays the new instance

constexpr const char* PrevTitleVariable = "ZCLUTILS_PREV_TITLE";

std::string WindowText(HWND wnd)
{
    char text[256] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

// Starts this program again with only the second instance's side below, and serves messages until it has
// ended: restoring our window sends messages to it. Returns its exit code.
DWORD RunSecondInstance(const std::string& title)
{
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string cmd = std::string("\"") + exe + "\" --gtest_also_run_disabled_tests" +
                      " --gtest_filter=ZclutilsPrevInstance.DISABLED_SecondInstanceSide";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    SetEnvironmentVariableA(PrevTitleVariable, title.c_str());
    const BOOL started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(PrevTitleVariable, nullptr);
    if (!started) return DWORD(-1);
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT && GetTickCount() - start < 60000) ZCLWait(20);
    DWORD code = DWORD(-1);
    if (!GetExitCodeProcess(process.get(), &code) || code == STILL_ACTIVE) {
        TerminateProcess(process.get(), 1);
        return DWORD(-1);
    }
    return code;
}

// Runs in the second instance only.
TEST(ZclutilsPrevInstance, DISABLED_SecondInstanceSide)
{
    char title[256] = "";
    ASSERT_GT(GetEnvironmentVariableA(PrevTitleVariable, title, sizeof title), 0u);
    ASSERT_TRUE(ZCLApplication->AlreadyRunning());
    Application->SetTitle(title);
    ASSERT_EQ(WindowText(Application->Handle()), title);
    ZCLActivatePrevInstance();
    EXPECT_EQ(WindowText(Application->Handle()), "");
}

TEST(ZclutilsPrevInstance, FirstInstanceDoesNothing)
{
    ASSERT_FALSE(ZCLApplication->AlreadyRunning());
    const std::string own = WindowText(Application->Handle());
    TApplication other;
    other.SetTitle(Application->Title());
    ShowWindow(other.Handle(), SW_MINIMIZE);
    ZCLActivatePrevInstance();
    EXPECT_EQ(WindowText(Application->Handle()), own);
    EXPECT_TRUE(IsIconic(other.Handle()));
    ShowWindow(other.Handle(), SW_HIDE);
}

TEST(ZclutilsPrevInstance, SecondInstanceRestoresTheMinimisedFirst)
{
    // The first instance's application window, by class and title.
    TApplication first;
    first.SetTitle("Zclutils first instance, minimised");
    ShowWindow(first.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(first.Handle()));
    EXPECT_EQ(RunSecondInstance("Zclutils first instance, minimised"), 0u);
    EXPECT_FALSE(IsIconic(first.Handle()));
    EXPECT_EQ(WindowText(first.Handle()), "Zclutils first instance, minimised");
    ShowWindow(first.Handle(), SW_HIDE);
}

TEST(ZclutilsPrevInstance, SecondInstanceBringsTheFirstToTheForeground)
{
    TApplication first;
    first.SetTitle("Zclutils first instance, behind");
    ShowWindow(first.Handle(), SW_SHOWNORMAL);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZclutilsFront";
    RegisterClassA(&wc);
    WindowHandle front(CreateWindowExA(0, wc.lpszClassName, "front", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100,
                                       nullptr, nullptr, wc.hInstance, nullptr));
    SetForegroundWindow(front.get());
    ZCLWait(50);
    ASSERT_EQ(GetForegroundWindow(), front.get());
    EXPECT_EQ(RunSecondInstance("Zclutils first instance, behind"), 0u);
    ZCLWait(50);
    EXPECT_EQ(GetForegroundWindow(), first.Handle());
    EXPECT_FALSE(IsIconic(first.Handle()));
    ShowWindow(first.Handle(), SW_HIDE);
}

// ---------------------------------------------------------------------------------------------------------------
// Window placement on the 1024 x 768 test display

class PlacementTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (GetSystemMetrics(SM_CXSCREEN) != 1024 || GetSystemMetrics(SM_CYSCREEN) != 768)
            GTEST_SKIP() << "needs the 1024 x 768 test display";
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZclutilsPlacement";
        RegisterClassA(&wc);
    }

    // A popup window of exactly the given bounds. Hidden ones are quicker: without a window manager Wine
    // waits two seconds for each visible window to be withdrawn when it is destroyed.
    WindowHandle Make(const TRect& r, bool visible = false)
    {
        WindowHandle w(CreateWindowExA(WS_EX_TOOLWINDOW, "ZclutilsPlacement", "",
                                       WS_POPUP | (visible ? WS_VISIBLE : 0), r.left,
                                       r.top, r.Width(), r.Height(), nullptr, nullptr, GetModuleHandleA(nullptr),
                                       nullptr));
        EXPECT_TRUE(w);
        EXPECT_EQ(Rect(w.get()), r);
        return w;
    }

    static TRect Rect(HWND wnd)
    {
        TRect r;
        GetWindowRect(wnd, &r);
        return r;
    }
};

TEST_F(PlacementTest, PositionWindowInTheTarget)
{
    const TRect target(100, 50, 701, 551);  // 601 x 501: odd free space halves towards zero
    const struct {
        TZCLDlgPosition position;
        int x, y;
    } cases[] = {
        {bpCustom, 100, 50},        {bpTopLeft, 100, 50},        {bpTopCenter, 300, 50},
        {bpTopRight, 501, 50},      {bpCenterLeft, 100, 250},    {bpCenter, 300, 250},
        {bpCenterRight, 501, 250},  {bpBottomLeft, 100, 451},    {bpBottomCenter, 300, 451},
        {bpBottomRight, 501, 451},
    };
    WindowHandle w = Make(Bounds(0, 0, 200, 100), true);
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.position));
        ZCLPositionWindow(w.get(), target, c.position);
        EXPECT_EQ(Rect(w.get()), Bounds(c.x, c.y, 200, 100));
    }
}

TEST_F(PlacementTest, PositionWindowKeepsItOnTheScreen)
{
    const struct {
        TRect target;
        TZCLDlgPosition position;
        TRect window;
        TRect result;
    } cases[] = {
        // Right and bottom edges are pulled back onto the screen.
        {TRect(900, 700, 1100, 800), bpTopLeft, Bounds(0, 0, 200, 100), Bounds(824, 668, 200, 100)},
        {TRect(0, 0, 1400, 1000), bpBottomRight, Bounds(0, 0, 200, 100), Bounds(824, 668, 200, 100)},
        // Left and top are held at 0.
        {TRect(-300, -200, 0, 0), bpCenter, Bounds(0, 0, 200, 100), Bounds(0, 0, 200, 100)},
        // Larger than the screen: the top-left corner stays visible.
        {TRect(0, 0, 1024, 768), bpCenter, Bounds(0, 0, 1200, 900), Bounds(0, 0, 1200, 900)},
        {TRect(0, 0, 1024, 768), bpBottomRight, Bounds(0, 0, 1200, 100), Bounds(0, 668, 1200, 100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ZCLRectToString(c.target).c_str());
        WindowHandle w = Make(c.window);
        ZCLPositionWindow(w.get(), c.target, c.position);
        EXPECT_EQ(Rect(w.get()), c.result);
    }
}

TEST_F(PlacementTest, CenterWindowOnTheScreen)
{
    const struct {
        TRect window;
        std::uint8_t divider;
        TRect result;
    } cases[] = {
        {Bounds(5, 5, 200, 100), 0, Bounds(412, 334, 200, 100)},
        {Bounds(5, 5, 200, 100), 2, Bounds(412, 167, 200, 100)},
        {Bounds(5, 5, 201, 101), 1, Bounds(411, 222, 201, 101)},
        {Bounds(5, 5, 200, 100), 255, Bounds(412, 2, 200, 100)},
        {Bounds(5, 5, 1100, 800), 0, Bounds(0, 0, 1100, 800)},
    };
    for (const auto& c : cases) {
        WindowHandle w = Make(c.window);
        EXPECT_TRUE(ZCLCenterWindow(w.get(), c.divider));
        EXPECT_EQ(Rect(w.get()), c.result) << int(c.divider);
    }
    EXPECT_FALSE(ZCLCenterWindow(nullptr, 0));
}

TEST_F(PlacementTest, CenterChildWindowOnItsParent)
{
    const struct {
        TRect parent;
        TRect result;  // of a 200 x 100 child
    } cases[] = {
        {TRect(100, 100, 500, 400), Bounds(200, 200, 200, 100)},
        {TRect(100, 100, 301, 201), Bounds(100, 100, 200, 100)},
        // Off the right and bottom: pulled back onto the screen.
        {TRect(800, 650, 1200, 850), Bounds(824, 668, 200, 100)},
        // Above the screen: the top is held at 0.
        {TRect(100, -300, 500, -100), Bounds(200, 0, 200, 100)},
        // Left of the screen: the left edge is not held.
        {TRect(-500, 100, -100, 400), Bounds(-400, 200, 200, 100)},
    };
    WindowHandle child = Make(Bounds(0, 0, 200, 100));
    for (const auto& c : cases) {
        SCOPED_TRACE(ZCLRectToString(c.parent).c_str());
        WindowHandle parent = Make(c.parent);
        ZCLCenterChildWindow(parent.get(), child.get());
        EXPECT_EQ(Rect(child.get()), c.result);
        // The form procedure holds the left edge as well.
        TForm parentForm(nullptr), childForm(nullptr);
        parentForm.SetBoundsRect(c.parent);
        childForm.SetBounds(1, 2, 200, 100);
        childForm.SetPosition(poScreenCenter);
        ZCLCenterChild(&parentForm, &childForm, false);
        EXPECT_EQ(childForm.BoundsRect(), Bounds(std::max<int>(c.result.left, 0), c.result.top, 200, 100));
        EXPECT_EQ(childForm.Position(), poDesigned);
        EXPECT_FALSE(childForm.Visible());
    }
    // A missing window moves nothing.
    const TRect before = Rect(child.get());
    ZCLCenterChildWindow(nullptr, child.get());
    EXPECT_EQ(Rect(child.get()), before);
}

TEST_F(PlacementTest, CenterChildShowsTheFormWhereItWasPlaced)
{
    TForm parent(nullptr), child(nullptr);
    parent.SetBounds(300, 200, 400, 300);
    child.SetBounds(0, 0, 200, 100);
    child.SetPosition(poScreenCenter);
    ZCLCenterChild(&parent, &child, true);
    EXPECT_TRUE(child.Visible());
    EXPECT_TRUE(IsWindowVisible(child.Handle()));
    EXPECT_EQ(Rect(child.Handle()), Bounds(400, 300, 200, 100));
}

TEST_F(PlacementTest, DialogTargetRectangles)
{
    TRect work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const TRect form(10, 20, 310, 220);
    EXPECT_EQ(ZCLDlgGetTargetRect(brScreen, nullptr), TRect(0, 0, 1024, 768));
    EXPECT_EQ(ZCLDlgGetTargetRect(brScreen, &form), TRect(0, 0, 1024, 768));
    EXPECT_EQ(ZCLDlgGetTargetRect(brScreenWorkArea, nullptr), work);
    EXPECT_EQ(ZCLDlgGetTargetRect(brMainForm, &form), form);
    EXPECT_EQ(ZCLDlgGetTargetRect(brActiveWindow, &form), form);
    EXPECT_EQ(ZCLDlgGetTargetRect(brMainForm, nullptr), TRect(0, 0, 1024, 768));
    EXPECT_EQ(ZCLDlgGetTargetRect(brActiveWindow, nullptr), TRect(0, 0, 1024, 768));

    EXPECT_EQ(ZCLDlgGetTargetRect(brScreen), TRect(0, 0, 1024, 768));
    EXPECT_EQ(ZCLDlgGetTargetRect(brScreenWorkArea), work);
    // This program has no main form: the screen.
    ASSERT_EQ(Application->MainForm(), nullptr);
    EXPECT_EQ(ZCLDlgGetTargetRect(brMainForm), TRect(0, 0, 1024, 768));
}

TEST_F(PlacementTest, DialogTargetOfTheActiveForm)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(120, 80, 300, 200);
    form->Show();
    SetForegroundWindow(form->Handle());
    ZCLWait(50);
    ASSERT_EQ(Screen->ActiveForm(), form.get());
    EXPECT_EQ(ZCLDlgGetTargetRect(brActiveWindow), Bounds(120, 80, 300, 200));
    form.reset();
    EXPECT_EQ(ZCLDlgGetTargetRect(brActiveWindow), TRect(0, 0, 1024, 768));
}

// ---------------------------------------------------------------------------------------------------------------
// The application window's system menu

std::set<UINT> MenuCommands(HMENU menu)
{
    std::set<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0 && id != UINT(-1)) ids.insert(id);
    }
    return ids;
}

// ---------------------------------------------------------------------------------------------------------------
// Forms and controls

TEST(ZclutilsForms, IsChildFollowsTheParents)
{
    TForm form(nullptr), other(nullptr);
    auto* outer = new TWinControl(&form);
    outer->SetParent(&form);
    auto* inner = new TWinControl(&form);
    inner->SetParent(outer);
    auto* loose = new TWinControl(&form);  // owned by the form, but not on it
    EXPECT_TRUE(ZCLIsChild(inner, &form));
    EXPECT_TRUE(ZCLIsChild(inner, outer));
    EXPECT_TRUE(ZCLIsChild(inner, inner));
    EXPECT_TRUE(ZCLIsChild(&form, &form));
    EXPECT_FALSE(ZCLIsChild(outer, inner));
    EXPECT_FALSE(ZCLIsChild(inner, &other));
    EXPECT_FALSE(ZCLIsChild(loose, &form));
    EXPECT_FALSE(ZCLIsChild(nullptr, &form));
    EXPECT_FALSE(ZCLIsChild(inner, nullptr));
}

// Closes itself with mrRetry once it is up; counts how many exist.
class SelfClosingForm : public TForm {
public:
    static constexpr UINT WM_DONE = WM_APP + 71;
    static inline int alive = 0;
    static inline bool failOnShow = false;
    explicit SelfClosingForm(TComponent* owner) : TForm(owner)
    {
        ++alive;
        SetBounds(100, 100, 200, 120);
        SetOnShow(TNotifyEvent::From([this](TObject*) {
            if (failOnShow) throw EInvalidOperation("cannot show");
            PostMessageA(Handle(), WM_DONE, 0, 0);
        }));
        AddWindowHook(TWindowHook::From([this](TMessage& m) {
            if (m.Msg != WM_DONE) return false;
            SetModalResult(mrRetry);
            return true;
        }));
    }
    ~SelfClosingForm() override { --alive; }
};

TEST(ZclutilsForms, ShowModalMakesShowsAndFreesTheForm)
{
    TComponent owner(nullptr);
    EXPECT_EQ(ZCLShowModal(ClassOf<SelfClosingForm>(), &owner), mrRetry);
    EXPECT_EQ(SelfClosingForm::alive, 0);
    EXPECT_EQ(owner.ComponentCount(), 0);

    SelfClosingForm::failOnShow = true;
    EXPECT_THROW(ZCLShowModal(ClassOf<SelfClosingForm>(), &owner), EInvalidOperation);
    SelfClosingForm::failOnShow = false;
    EXPECT_EQ(SelfClosingForm::alive, 0);
    EXPECT_EQ(owner.ComponentCount(), 0);

    EXPECT_THROW(ZCLShowModal(ClassOf<TWinControl>(), &owner), EInvalidOperation);
    EXPECT_THROW(ZCLShowModal(nullptr, &owner), EInvalidOperation);
    EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(ZclutilsForms, FormSystemMenuKeepsTheGivenEntries)
{
    TForm form(nullptr);
    ZCLCheckFormSysMenu(&form, {smMove, smClose});
    const std::set<UINT> ids = MenuCommands(GetSystemMenu(form.Handle(), FALSE));
    EXPECT_TRUE(ids.count(SC_MOVE));
    EXPECT_TRUE(ids.count(SC_CLOSE));
    for (UINT gone : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) EXPECT_FALSE(ids.count(gone)) << gone;
    ZCLCheckFormSysMenu(nullptr, {});
}

class ApplicationSysMenuTest : public testing::Test {
protected:
    // The application window's own menu, which it makes short (Restore, Minimize, a separator, Close); each test
    // cuts it further, so it is put back as it was afterwards.
    void SetUp() override
    {
        wnd_ = Application->Handle();
        HMENU menu = GetSystemMenu(wnd_, FALSE);
        ASSERT_TRUE(menu);
        ASSERT_EQ(GetMenuItemCount(menu), 4);
        EXPECT_EQ(GetMenuItemID(menu, 0), UINT(SC_RESTORE));
        EXPECT_EQ(GetMenuItemID(menu, 1), UINT(SC_MINIMIZE));
        EXPECT_EQ(GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
        EXPECT_EQ(GetMenuItemID(menu, 3), UINT(SC_CLOSE));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            Item item;
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_BITMAP;
            info.dwTypeData = item.text;
            info.cch = sizeof item.text;
            ASSERT_TRUE(GetMenuItemInfoA(menu, UINT(i), TRUE, &info));
            item.info = info;
            saved_.push_back(item);
        }
    }
    void TearDown() override
    {
        HMENU menu = GetSystemMenu(wnd_, FALSE);
        while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
        for (Item& item : saved_) {
            item.info.dwTypeData = item.text;
            InsertMenuItemA(menu, UINT(GetMenuItemCount(menu)), TRUE, &item.info);
        }
    }

    struct Item {
        MENUITEMINFOA info{};
        char text[64] = "";
    };
    HWND wnd_ = nullptr;
    std::vector<Item> saved_;
};

TEST_F(ApplicationSysMenuTest, KeepsOnlyTheGivenEntries)
{
    ZCLCheckApplicationSysMenu({smRestore, smClose});
    EXPECT_EQ(MenuCommands(GetSystemMenu(wnd_, FALSE)), (std::set<UINT>{SC_RESTORE, SC_CLOSE}));
}

TEST_F(ApplicationSysMenuTest, CloseAloneLosesItsSeparatorToo)
{
    ZCLCheckApplicationSysMenu({smClose});
    HMENU menu = GetSystemMenu(wnd_, FALSE);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(GetMenuItemID(menu, 0), UINT(SC_CLOSE));
}

// ---------------------------------------------------------------------------------------------------------------
// Exploding rectangles, drawn on the screen of the test display

// The screen's pixels in R.
std::vector<std::uint32_t> Capture(const TRect& r)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = r.Width();
    bi.bmiHeader.biHeight = -r.Height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    WindowDC screen(nullptr);
    BitmapHandle dib(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDC mem(CreateCompatibleDC(screen.get()));
    {
        SelectedObject sel(mem.get(), dib.get());
        BitBlt(mem.get(), 0, 0, r.Width(), r.Height(), screen.get(), r.left, r.top, SRCCOPY);
    }
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    return std::vector<std::uint32_t>(p, p + r.Width() * r.Height());
}

// Bounding box (screen coordinates) of the pixels of `now` that differ from `base`; empty when none.
TRect ChangedBox(const TRect& area, const std::vector<std::uint32_t>& base, const std::vector<std::uint32_t>& now)
{
    TRect box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    bool any = false;
    for (int y = 0; y < area.Height(); ++y)
        for (int x = 0; x < area.Width(); ++x)
            if (base[y * area.Width() + x] != now[y * area.Width() + x]) {
                any = true;
                box.left = std::min<int>(box.left, area.left + x);
                box.top = std::min<int>(box.top, area.top + y);
                box.right = std::max<int>(box.right, area.left + x + 1);
                box.bottom = std::max<int>(box.bottom, area.top + y + 1);
            }
    return any ? box : TRect();
}

bool Near(const TRect& a, const TRect& b)
{
    // A dotted focus rectangle may leave out a corner pixel.
    return std::abs(a.left - b.left) <= 1 && std::abs(a.top - b.top) <= 1 && std::abs(a.right - b.right) <= 1 &&
           std::abs(a.bottom - b.bottom) <= 1;
}

// Runs the animation while another thread looks at the screen, and collects what it saw.
template <typename F>
std::vector<TRect> Watch(const TRect& area, F animate, double& milliseconds)
{
    const std::vector<std::uint32_t> base = Capture(area);
    std::atomic<bool> done{false};
    std::vector<TRect> seen;
    std::thread watcher([&] {
        while (!done) {
            const TRect box = ChangedBox(area, base, Capture(area));
            if (!box.IsEmpty() && (seen.empty() || !(seen.back() == box))) seen.push_back(box);
            Sleep(20);
        }
    });
    const auto start = std::chrono::steady_clock::now();
    animate();
    milliseconds = MillisecondsSince(start);
    done = true;
    watcher.join();
    // Every rectangle drawn has been erased again.
    EXPECT_TRUE(ChangedBox(area, base, Capture(area)).IsEmpty());
    return seen;
}

class ExplodeTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (GetSystemMetrics(SM_CXSCREEN) != 1024 || GetSystemMetrics(SM_CYSCREEN) != 768)
            GTEST_SKIP() << "needs the 1024 x 768 test display";
    }
    const TRect area{0, 0, 800, 600};
};

TEST_F(ExplodeTest, GrowsFromThePointToTheTargetInSteps)
{
    const TRect target(200, 100, 600, 500);
    // Four steps held for 150 ms each.
    double ms = 0;
    const std::vector<TRect> seen = Watch(area, [&] { ZCLExplodeRectExt(target, 40, 60, 1500, 4); }, ms);
    EXPECT_GE(ms, 590.0);
    const TRect steps[] = {TRect(80, 70, 180, 170), TRect(120, 80, 320, 280), TRect(160, 90, 460, 390), target};
    ASSERT_GE(seen.size(), 2u);
    std::set<int> stepsSeen;
    for (const TRect& box : seen) {
        int which = -1;
        for (int i = 0; i < 4; ++i)
            if (Near(box, steps[i])) which = i;
        EXPECT_NE(which, -1) << ZCLRectToString(box).c_str();
        stepsSeen.insert(which);
    }
    EXPECT_GE(stepsSeen.size(), 2u);
}

TEST_F(ExplodeTest, FewStepsBecomeForty)
{
    // 40 steps of at least 0.1 ms each.
    double ms = 0;
    Watch(area, [&] { ZCLExplodeRectExt(TRect(100, 100, 300, 200), 0, 0, 0, 3); }, ms);
    EXPECT_GE(ms, 4.0);
}

TEST_F(ExplodeTest, SecondVariantOpensFromTheCentreLine)
{
    const TRect target(200, 100, 600, 501);
    double ms = 0;
    const std::vector<TRect> seen =
        Watch(area, [&] { ZCLExplodeRectExt2(target, 50, 50, false, 1500, 10, 20, 4); }, ms);
    EXPECT_GE(ms, 590.0);
    ASSERT_GE(seen.size(), 2u);
    for (const TRect& box : seen) {
        SCOPED_TRACE(ZCLRectToString(box).c_str());
        EXPECT_LE(std::abs(box.left - target.left), 1);
        EXPECT_LE(std::abs(box.right - target.right), 1);
        EXPECT_LE(std::abs((box.top + box.bottom) - (target.top + target.bottom)), 2);
    }
}

TEST_F(ExplodeTest, SecondVariantTwiceStartsAtThePoint)
{
    const TRect target(200, 100, 600, 500);
    double ms = 0;
    const std::vector<TRect> seen =
        Watch(area, [&] { ZCLExplodeRectExt2(target, 100, 400, true, 1500, 10, 20, 4); }, ms);
    EXPECT_GE(ms, 1190.0);
    // First pass: a 10 x 20 box at the point grows into the 20 high strip on the centre line; the second
    // opens the strip to the target.
    const TRect frames[] = {
        TRect(121, 365, 228, 385), TRect(147, 340, 352, 360), TRect(173, 315, 476, 335), TRect(200, 290, 600, 310),
        TRect(200, 243, 600, 357), TRect(200, 195, 600, 405), TRect(200, 148, 600, 452), target,
    };
    std::set<int> framesSeen;
    for (const TRect& box : seen) {
        int which = -1;
        for (int i = 0; i < 8; ++i)
            if (Near(box, frames[i])) which = i;
        EXPECT_NE(which, -1) << ZCLRectToString(box).c_str();
        framesSeen.insert(which);
    }
    ASSERT_FALSE(framesSeen.empty());
    EXPECT_LT(*framesSeen.begin(), 3);
    EXPECT_GE(*framesSeen.rbegin(), 4);
}

// True when box is one of the frames from `from` to `to` in `steps` even steps.
bool OnPath(const TRect& box, const TRect& from, const TRect& to, int steps)
{
    auto at = [steps](int a, int b, int i) { return a + (b - a) * i / steps; };
    for (int i = 1; i <= steps; ++i) {
        const TRect frame(at(from.left, to.left, i), at(from.top, to.top, i), at(from.right, to.right, i),
                          at(from.bottom, to.bottom, i));
        if (Near(box, frame)) return true;
    }
    return false;
}

class ExplodeFormTest : public ExplodeTest {
protected:
    void SetUp() override
    {
        ExplodeTest::SetUp();
        if (IsSkipped()) return;
        delay_ = ZCLApplication->ExplodeDelay();
        ZCLApplication->SetExplodeDelay(100);  // 10 ms a step
        form.SetBounds(300, 200, 400, 300);
        ASSERT_TRUE(SetCursorPos(60, 40));
        POINT p{};
        GetCursorPos(&p);
        ASSERT_EQ(TPoint(p), TPoint(60, 40));
    }
    void TearDown() override { ZCLApplication->SetExplodeDelay(delay_); }
    TForm form{nullptr};

private:
    std::uint8_t delay_ = 3;
};

TEST_F(ExplodeFormTest, FromTheCursorToTheFormInFortySteps)
{
    double ms = 0;
    const std::vector<TRect> seen = Watch(area, [&] { ZCLExplodeForm(&form); }, ms);
    EXPECT_GE(ms, 395.0);
    ASSERT_FALSE(seen.empty());
    for (const TRect& box : seen)
        EXPECT_TRUE(OnPath(box, TRect(60, 40, 60, 40), form.BoundsRect(), 40)) << ZCLRectToString(box).c_str();
}

TEST_F(ExplodeFormTest, SecondFormInTwoPassesOfFortySteps)
{
    double ms = 0;
    const std::vector<TRect> seen = Watch(area, [&] { ZCLExplodeForm2(&form); }, ms);
    EXPECT_GE(ms, 795.0);
    ASSERT_FALSE(seen.empty());
    const TRect seed(55, 30, 65, 50), strip(300, 340, 700, 360);
    bool first = false, second = false;
    for (const TRect& box : seen) {
        const bool a = OnPath(box, seed, strip, 40), b = OnPath(box, strip, form.BoundsRect(), 40);
        EXPECT_TRUE(a || b) << ZCLRectToString(box).c_str();
        first = first || a;
        second = second || b;
    }
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
}

// ---------------------------------------------------------------------------------------------------------------
// Custom colours

AnsiString TempIniPath(const char* name)
{
    char dir[MAX_PATH] = "";
    GetTempPathA(sizeof dir, dir);
    return AnsiString(dir) + name;
}

std::string RawProfile(const AnsiString& file, const char* section, const char* key)
{
    char buf[256] = "";
    GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf, file.c_str());
    return buf;
}

TEST(ZclutilsCustomColors, IniFileRoundTrip)
{
    const AnsiString file = TempIniPath("ZclutilsColors.ini");
    DeleteFileA(file.c_str());
    TStringList colors;
    colors.Add("ColorA=FFFFFF");
    colors.Add("no separator here");
    colors.Add("ColorB=12=34");
    colors.Add("ColorC=");
    colors.Add("ColorA=000000");  // a later line of a name: the first gives the value, as the settings store does
    {
        TIniFile ini(file);
        ZCLSaveCustomColorList(&ini, "Colours", &colors);
    }
    EXPECT_EQ(RawProfile(file, "Colours", "ColorA"), "FFFFFF");
    EXPECT_EQ(RawProfile(file, "Colours", "ColorB"), "12=34");
    EXPECT_EQ(RawProfile(file, "Colours", "ColorC"), "");
    EXPECT_EQ(RawProfile(file, "Colours", "no separator here"), "<none>");

    TStringList back;
    back.Add("stale");
    ZCLLoadCustomColorFromIniFile(file, "Colours", &back);
    EXPECT_EQ(Lines(back), (Strs{"ColorA=FFFFFF", "ColorB=12=34", "ColorC="}));
    DeleteFileA(file.c_str());
}

TEST(ZclutilsCustomColors, RegistryRoundTrip)
{
    const char* path = "Software\\DravikTests\\ZclutilsColors";
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(path) + "\\Colours").c_str());
    TStringList colors;
    colors.Add("ColorA=FFFFFF");
    colors.Add("ColorB=00FF00");
    colors.Add("ColorB=0000FF");
    {
        TRegIniFile reg(path);
        ZCLSaveCustomColorList(&reg, "Colours", &colors);
        TStringList back;
        back.Add("stale");
        ZCLLoadCustomColorList(&reg, "Colours", &back);
        EXPECT_EQ(Lines(back), (Strs{"ColorA=FFFFFF", "ColorB=00FF00"}));
    }
    RegKey key;
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(path) + "\\Colours").c_str(), 0, KEY_READ, &raw),
              ERROR_SUCCESS);
    key.reset(raw);
    char value[64] = "";
    DWORD size = sizeof value, type = 0;
    ASSERT_EQ(RegQueryValueExA(key.get(), "ColorB", nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_STREQ(value, "00FF00");
    key.reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(path) + "\\Colours").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path);
}

TEST(ZclutilsCustomColors, OtherStoresAreIgnored)
{
    TStringList notAStore;
    TStringList colors;
    colors.Add("ColorA=FFFFFF");
    ZCLLoadCustomColorList(&notAStore, "Colours", &colors);
    ZCLLoadCustomColorList(nullptr, "Colours", &colors);
    EXPECT_EQ(Lines(colors), Strs{"ColorA=FFFFFF"});
    ZCLSaveCustomColorList(&notAStore, "Colours", &colors);
    ZCLSaveCustomColorList(nullptr, "Colours", &colors);
    EXPECT_EQ(notAStore.Count(), 0);
}

TEST(ZclutilsCustomColors, VestoFileInTheWindowsFolder)
{
    const AnsiString file = ZCLWindowsDirectory() + "\\VESTO32.INI";
    DeleteFileA(file.c_str());
    TStringList colors;
    colors.Add("ColorA=8080FF");
    ZCLSaveVestoCustomColor(&colors);
    EXPECT_EQ(RawProfile(file, "Custom Colors", "ColorA"), "8080FF");
    TStringList back;
    ZCLLoadVestoCustomColor(&back);
    EXPECT_EQ(Lines(back), Strs{"ColorA=8080FF"});
    DeleteFileA(file.c_str());
}

}  // namespace
