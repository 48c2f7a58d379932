// The notification-area icon on a real form: start-up with the form hidden and the taskbar window hidden, the
// records the shell gets, a shell that refuses, the icon's mouse messages as events, the popup menu opened by the
// right button (sent as the shell sends it, and by a real click on the icon in the notification area), the owner
// form's minimise and close, the animation timer's upkeep, and clean removal.

#include "zcl/components/Zcltrayicon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Menus.h"
#include "zcl/components/Zcltimer.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"

using namespace zcltest;

namespace {

struct Sent {
    DWORD message;
    NOTIFYICONDATAA data;
};

class TrayIconTest : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(120, 120, 300, 200);
        form->SetCaption("Tray icon owner");
    }
    void TearDown() override
    {
        form.reset();
        TZCLTrayIcon::SetNotifyIconHook(nullptr);
        Application->SetShowMainForm(true);
        ShowWindow(Application->Handle(), SW_HIDE);
    }

    // The shell as a recorder: every record is kept, and it answers `accept`.
    void Record()
    {
        TZCLTrayIcon::SetNotifyIconHook(TZCLTrayIcon::TNotifyIconHook::From([this](DWORD m, const NOTIFYICONDATAA& d) {
            sent.push_back({m, d});
            return accept ? TRUE : FALSE;
        }));
    }

    // The icon as the form's definition makes it: created while the form loads, then Loaded.
    TZCLTrayIcon* LoadIcon(const AnsiString& hint = "Tray test", TPopupMenu* menu = nullptr)
    {
        TComponentLoader loading(form.get());
        auto* icon = loading.Create<TZCLTrayIcon>();
        icon->SetName("TrayIcon");
        icon->Icon()->SetHandle(SolidIcon(RGB(255, 0, 255)));
        icon->SetHint(hint);
        icon->SetPopUpMenu(menu);
        loading.Finish();
        return icon;
    }

    std::unique_ptr<TForm> form;
    std::vector<Sent> sent;
    bool accept = true;
};

TEST_F(TrayIconTest, ALoadedIconStartsTheProgramWithNoWindowAndTheIconInTheNotificationArea)
{
    ShowWindow(Application->Handle(), SW_SHOWNA);
    TZCLTrayIcon* icon = LoadIcon();
    EXPECT_TRUE(icon->Active());
    EXPECT_FALSE(Application->ShowMainForm()) << "the message loop will not show the main form";
    EXPECT_FALSE(IsWindowVisible(Application->Handle())) << "the taskbar window is hidden";
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    // The real shell has the icon: only an icon it holds can be modified.
    EXPECT_TRUE(icon->NotifyIcon(NIM_MODIFY));
    // Shown by code, the form appears; the taskbar window stays hidden.
    form->Show();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
}

struct HintCase {
    std::size_t length;
    std::size_t shown;
};

class TrayIconHint : public TrayIconTest, public testing::WithParamInterface<HintCase> {};

TEST_P(TrayIconHint, TheRecordCarriesTheIconsWindowAndAHintOfAtMost63Characters)
{
    Record();
    std::string hint;
    for (std::size_t i = 0; i < GetParam().length; ++i) hint += char('a' + i % 26);
    TZCLTrayIcon* icon = LoadIcon(hint.c_str());
    ASSERT_EQ(sent.size(), 1u);
    const NOTIFYICONDATAA& d = sent[0].data;
    EXPECT_EQ(sent[0].message, DWORD(NIM_ADD));
    // The first version's record, up to the 64-character hint: 88 bytes in the 32-bit build, 104 in the 64-bit one.
#ifdef _WIN64
    EXPECT_EQ(d.cbSize, 104u);
#else
    EXPECT_EQ(d.cbSize, 88u);
#endif
    EXPECT_EQ(d.hWnd, icon->Handle());
    EXPECT_EQ(d.uID, 0u);
    EXPECT_EQ(d.uFlags, 7u);
    EXPECT_EQ(d.uCallbackMessage, 0x465u);
    EXPECT_EQ(d.hIcon, icon->Icon()->Handle());
    EXPECT_EQ(std::string(d.szTip), hint.substr(0, GetParam().shown));
    EXPECT_EQ(d.szTip[GetParam().shown], '\0');

    // A new hint and a new icon reach the shell at once.
    icon->SetHint("second");
    icon->Icon()->SetHandle(SolidIcon(RGB(0, 255, 0)));
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].message, DWORD(NIM_MODIFY));
    EXPECT_STREQ(sent[1].data.szTip, "second");
    EXPECT_EQ(sent[2].message, DWORD(NIM_MODIFY));
    EXPECT_EQ(sent[2].data.hIcon, icon->Icon()->Handle());
    form.reset();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[3].message, DWORD(NIM_DELETE));
}

INSTANTIATE_TEST_SUITE_P(Lengths, TrayIconHint,
                         testing::Values(HintCase{0, 0}, HintCase{1, 1}, HintCase{62, 62}, HintCase{63, 63},
                                         HintCase{64, 63}, HintCase{100, 63}, HintCase{300, 63}));

TEST_F(TrayIconTest, AShellThatRefusesStopsNoStartUpAndTheIconComesWithTheTaskbar)
{
    Record();
    accept = false;
    TZCLTrayIcon* icon = nullptr;
    ASSERT_NO_THROW(icon = LoadIcon());
    EXPECT_FALSE(Application->ShowMainForm());
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    ASSERT_EQ(sent.size(), 1u);

    // The shell announces its taskbar (started late, or again after a crash): the icon is added.
    accept = true;
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    SendMessageA(icon->Handle(), taskbarCreated, 0, 0);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].message, DWORD(NIM_ADD));
    EXPECT_EQ(sent[1].data.hWnd, icon->Handle());

    // An icon turned off stays away.
    icon->SetActive(false);
    const std::size_t before = sent.size();
    SendMessageA(icon->Handle(), taskbarCreated, 0, 0);
    EXPECT_EQ(sent.size(), before);
}

TEST_F(TrayIconTest, AnIconMadeAtRunTimeShowsWhenActiveIsSetAndGoesWhenCleared)
{
    Record();
    form->Show();
    auto* icon = new TZCLTrayIcon(form.get());
    EXPECT_TRUE(icon->Active());
    EXPECT_TRUE(sent.empty()) << "nothing shows until Active is set";
    icon->SetActive(true);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].message, DWORD(NIM_ADD));
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    EXPECT_FALSE(Application->ShowMainForm());
    icon->SetActive(true);
    EXPECT_EQ(sent.size(), 1u) << "set again, nothing more";

    // Active, it hooks the form: minimising hides it.
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(form->Visible());

    icon->SetActive(false);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].message, DWORD(NIM_DELETE));
    EXPECT_TRUE(Application->ShowMainForm());
    form->Show();
    ShowWindow(form->Handle(), SW_RESTORE);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(form->Visible()) << "inactive, the hook is gone";
    EXPECT_TRUE(IsIconic(form->Handle()));
}

// ---------------------------------------------------------------------------------------------------------------
// Mouse messages as the shell sends them

struct MouseCase {
    const char* name;
    UINT message;
    std::vector<std::string> events;
};

class TrayIconMouse : public TrayIconTest, public testing::WithParamInterface<MouseCase> {};

TEST_P(TrayIconMouse, EachMessageFiresItsEventsInOrderAtTheCursor)
{
    Record();
    TZCLTrayIcon* icon = LoadIcon();
    std::vector<std::string> events;
    auto where = [](int x, int y) { return " " + std::to_string(x) + "," + std::to_string(y); };
    auto button = [](TMouseButton b) { return b == mbLeft ? "left" : b == mbRight ? "right" : "middle"; };
    icon->SetOnClick(TNotifyEvent::From([&](TObject* s) {
        EXPECT_EQ(s, icon);
        events.push_back("click");
    }));
    icon->SetOnDblClick(TNotifyEvent::From([&](TObject*) { events.push_back("dblclick"); }));
    icon->SetOnMouseMove(TMouseMoveEvent::From(
        [&](TObject*, TShiftState, int x, int y) { events.push_back("move" + where(x, y)); }));
    icon->SetOnMouseDown(TMouseEvent::From([&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        events.push_back(std::string("down ") + button(b) + (s.Contains(ssDouble) ? " double" : "") + where(x, y));
    }));
    icon->SetOnMouseUp(TMouseEvent::From([&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        events.push_back(std::string("up ") + button(b) + where(x, y));
    }));
    icon->SetOnPopUp(TNotifyEvent::From([&](TObject*) { events.push_back("popup"); }));

    SetCursorPos(100, 120);
    POINT cursor;
    GetCursorPos(&cursor);
    std::vector<std::string> expected;
    for (const std::string& e : GetParam().events)
        expected.push_back(e == "click" || e == "dblclick" ? e : e + where(cursor.x, cursor.y));
    EXPECT_EQ(SendMessageA(icon->Handle(), ZCLTrayIconMessage, 0, GetParam().message), 0);
    EXPECT_EQ(events, expected);
    EXPECT_EQ(FindOpenMenu(), nullptr) << "no menu without a PopupMenu";
}

INSTANTIATE_TEST_SUITE_P(
    Messages, TrayIconMouse,
    testing::Values(MouseCase{"Move", WM_MOUSEMOVE, {"move"}},
                    MouseCase{"LeftDown", WM_LBUTTONDOWN, {"down left"}},
                    MouseCase{"RightDown", WM_RBUTTONDOWN, {"down right"}},
                    MouseCase{"MiddleDown", WM_MBUTTONDOWN, {"down middle"}},
                    MouseCase{"LeftUp", WM_LBUTTONUP, {"click", "up left"}},
                    MouseCase{"RightUp", WM_RBUTTONUP, {"click", "up right"}},
                    MouseCase{"MiddleUp", WM_MBUTTONUP, {"click", "up middle"}},
                    MouseCase{"LeftDouble", WM_LBUTTONDBLCLK, {"dblclick", "down left double"}},
                    MouseCase{"RightDouble", WM_RBUTTONDBLCLK, {"dblclick", "down right double"}},
                    MouseCase{"MiddleDouble", WM_MBUTTONDBLCLK, {"dblclick", "down middle double"}},
                    MouseCase{"Other", WM_USER, {}}),
    [](const testing::TestParamInfo<MouseCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------------------
// The popup menu

class TrayIconMenu : public TrayIconTest {
protected:
    void SetUp() override
    {
        TrayIconTest::SetUp();
        menu = new TPopupMenu(form.get());
        for (const char* caption : {"&Configuration...", "-", "St&art Transfer", "&Exit Application"}) {
            auto* item = new TMenuItem(form.get());
            item->SetCaption(caption);
            item->SetOnClick(TNotifyEvent::From([this, caption](TObject*) { log.push_back(caption); }));
            menu->Items()->Add(item);
        }
        menu->SetOnPopup(TNotifyEvent::From([this](TObject*) { log.push_back("menu popup"); }));
    }

    TPopupMenu* menu = nullptr;
    std::vector<std::string> log;
};

TEST_F(TrayIconMenu, TheRightButtonOpensTheMenuAtTheCursorAfterOnPopUp)
{
    Record();
    TZCLTrayIcon* icon = LoadIcon("Tray test", menu);
    icon->SetOnMouseDown(TMouseEvent::From([&](TObject*, TMouseButton, TShiftState, int, int) {
        log.push_back("down");
    }));
    icon->SetOnPopUp(TNotifyEvent::From([&](TObject*) {
        EXPECT_EQ(FindOpenMenu(), nullptr) << "OnPopUp runs before the menu opens";
        log.push_back("popup");
    }));
    SetCursorPos(300, 260);
    POINT cursor;
    GetCursorPos(&cursor);
    // The item's accelerator chooses it whichever item the open menu has selected already.
    MenuWatcher watcher({WPARAM('A')});
    SendMessageA(icon->Handle(), ZCLTrayIconMessage, 0, WM_RBUTTONDOWN);
    watcher.Finish();
    ASSERT_TRUE(watcher.opened);
    EXPECT_EQ(watcher.items,
              (std::vector<std::string>{"&Configuration...", "", "St&art Transfer", "&Exit Application"}));
    EXPECT_EQ(watcher.rect.left, cursor.x);
    EXPECT_EQ(watcher.rect.top, cursor.y);
    EXPECT_EQ(menu->PopupComponent(), icon);
    EXPECT_EQ(log, (std::vector<std::string>{"down", "popup", "menu popup", "St&art Transfer"}));
}

TEST_F(TrayIconMenu, OnlyTheRightButtonOpensTheMenu)
{
    Record();
    TZCLTrayIcon* icon = LoadIcon("Tray test", menu);
    for (UINT message : {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONUP}) {
        SendMessageA(icon->Handle(), ZCLTrayIconMessage, 0, message);
        EXPECT_EQ(FindOpenMenu(), nullptr);
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(TrayIconMenu, AMenuTakenAwayInOnPopUpOrFreedDoesNotOpen)
{
    Record();
    TZCLTrayIcon* icon = LoadIcon("Tray test", menu);
    // As the program does while one of its commands runs.
    icon->SetOnPopUp(TNotifyEvent::From([&](TObject*) { icon->SetPopUpMenu(nullptr); }));
    SendMessageA(icon->Handle(), ZCLTrayIconMessage, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(FindOpenMenu(), nullptr);
    EXPECT_TRUE(log.empty()) << "the menu's own OnPopup did not run either";

    icon->SetOnPopUp(nullptr);
    icon->SetPopUpMenu(menu);
    delete menu;
    menu = nullptr;
    EXPECT_EQ(icon->PopupMenu(), nullptr);
    SendMessageA(icon->Handle(), ZCLTrayIconMessage, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(FindOpenMenu(), nullptr);
}

TEST_F(TrayIconMenu, ARealRightClickOnTheIconInTheNotificationAreaOpensTheMenu)
{
    const COLORREF colour = RGB(255, 0, 255);
    TZCLTrayIcon* icon = LoadIcon("DravikREMOTE tray test", menu);
    icon->SetOnPopUp(TNotifyEvent::From([&](TObject*) { log.push_back("popup"); }));
    // The shell draws the icon somewhere in its notification area: look for its colour on the screen.
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    testshot::Shot shot;
    POINT at{};
    ASSERT_TRUE(PumpUntil([&] {
        shot = testshot::Shot::OfScreen(screen);
        return FindBlock(shot, colour, 8, at);
    }, 10000)) << "the icon is not on the screen";
    // On the virtual desktop the shell's taskbar holds the icons, else Wine's own tray window.
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    const bool onTaskbar = taskbar && IsWindowVisible(taskbar);
    EXPECT_FALSE(shot.SaveArtifact(onTaskbar ? "tray-icon-taskbar" : "tray-icon-standalone").empty());

    // Chosen by its accelerator, whichever item the menu under the mouse has selected already.
    MenuWatcher watcher({WPARAM('E')}, [&](HWND menuWindow) {
        // The menu and the icon it opened over, as a person sees them.
        RECT r;
        GetWindowRect(menuWindow, &r);
        const RECT around{std::max(0L, r.left - 40), std::max(0L, r.top - 40),
                          std::min(LONG(screen.right), std::max(r.right, at.x + 20) + 40), screen.bottom};
        testshot::Shot::OfScreen(around).SaveArtifact(onTaskbar ? "tray-menu-taskbar" : "tray-menu-standalone");
    });
    MouseInput(at.x, at.y, MOUSEEVENTF_RIGHTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return watcher.opened.load() || !log.empty(); }, 10000));
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 3; }, 10000));
    watcher.Finish();
    EXPECT_TRUE(watcher.opened);
    EXPECT_EQ(log, (std::vector<std::string>{"popup", "menu popup", "&Exit Application"}));
    EXPECT_EQ(menu->PopupComponent(), icon);
}

// ---------------------------------------------------------------------------------------------------------------
// The owner form

struct CommandCase {
    const char* name;
    WPARAM command;
    bool noClose;
    bool showMinimizedIcon;
    bool visibleAfter;
    bool closed;
};

class TrayIconCommand : public TrayIconTest, public testing::WithParamInterface<CommandCase> {};

TEST_P(TrayIconCommand, MinimisingOrClosingTheFormHidesItWhileTheIconIsShown)
{
    Record();
    TZCLTrayIcon* icon = LoadIcon();
    icon->SetNoClose(GetParam().noClose);
    icon->SetShowMinimizedIcon(GetParam().showMinimizedIcon);
    bool closed = false;
    form->SetOnClose(TCloseEvent::From([&](TObject*, TCloseAction&) { closed = true; }));
    form->Show();
    ShowWindow(Application->Handle(), SW_SHOWNA);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, GetParam().command, 0);
    EXPECT_EQ(form->Visible(), GetParam().visibleAfter);
    EXPECT_EQ(bool(IsWindowVisible(form->Handle())), GetParam().visibleAfter);
    EXPECT_EQ(closed, GetParam().closed);
    if (!GetParam().visibleAfter && !GetParam().closed) {
        EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    }
}

// The low four bits of a system command are the system's own and do not change the command.
INSTANTIATE_TEST_SUITE_P(
    Commands, TrayIconCommand,
    testing::Values(CommandCase{"Minimise", SC_MINIMIZE, false, false, false, false},
                    CommandCase{"MinimiseLowBits", SC_MINIMIZE | 2, false, false, false, false},
                    CommandCase{"MinimiseShowingTheIcon", SC_MINIMIZE, false, true, true, false},
                    CommandCase{"CloseWithNoClose", SC_CLOSE, true, false, false, false},
                    CommandCase{"CloseLowBitsWithNoClose", SC_CLOSE | 3, true, false, false, false},
                    CommandCase{"Close", SC_CLOSE, false, false, false, true}),
    [](const testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

TEST_F(TrayIconTest, AFreedIconLeavesTheShellAndTheForm)
{
    Record();
    TZCLTrayIcon* icon = LoadIcon();
    const HWND window = icon->Handle();
    delete icon;
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().message, DWORD(NIM_DELETE));
    EXPECT_EQ(sent.back().data.hWnd, window);
    EXPECT_FALSE(IsWindow(window));
    form->Show();
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(form->Visible()) << "the hook went with the icon";
}

// ---------------------------------------------------------------------------------------------------------------
// The animation's timer

TEST_F(TrayIconTest, ThePoolRunsTheAnimationInItsStepsAndEveryTimerGoesWithTheIcon)
{
    Record();
    TZCLTrayIcon* icon = LoadIcon();
    struct IntervalCase {
        TZCLTimerInterval interval, pool;
    };
    for (const IntervalCase c : {IntervalCase{120, 150}, IntervalCase{50, 50}, IntervalCase{1, 50},
                                 IntervalCase{200, 200}, IntervalCase{65499, 65500}, IntervalCase{65535, 65500}}) {
        icon->SetInterval(c.interval);
        icon->SetAnimated(true);
        const std::uint16_t id = icon->PoolTimerId();
        ASSERT_NE(id, 0) << c.interval;
        TZCLTimerItem* item = ZCLApplication->GetTimer(id);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Interval(), c.pool) << c.interval;
        EXPECT_TRUE(item->Enabled());
        icon->SetAnimated(false);
        EXPECT_EQ(icon->PoolTimerId(), 0);
        EXPECT_EQ(ZCLApplication->GetTimer(id), nullptr);
    }

    // Another mode takes another timer, made but not running.
    icon->SetInterval(120);
    icon->SetAnimated(true);
    const std::uint16_t id = icon->PoolTimerId();
    icon->SetTimerMode(tmThreaded);
    EXPECT_EQ(ZCLApplication->GetTimer(id), nullptr);
    ASSERT_NE(icon->HiTimer(), nullptr);
    EXPECT_TRUE(icon->HiTimer()->UseThread());
    EXPECT_FALSE(icon->HiTimer()->Enabled());
    icon->SetTimerMode(tmHiTimer);
    ASSERT_NE(icon->HiTimer(), nullptr);
    EXPECT_FALSE(icon->HiTimer()->UseThread());
    icon->SetTimerMode(tmGlobalTimer);
    EXPECT_EQ(icon->HiTimer(), nullptr);
    const std::uint16_t again = icon->PoolTimerId();
    ASSERT_NE(again, 0);
    delete icon;
    EXPECT_EQ(ZCLApplication->GetTimer(again), nullptr) << "the pool item went with the icon";
}

// The colour in the middle of an icon.
COLORREF IconColour(HICON icon)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return CLR_INVALID;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmColor);
    const COLORREF c = GetPixel(dc, 8, 8);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return c;
}

std::unique_ptr<TBitmap> Frames(std::initializer_list<COLORREF> colours)
{
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(16 * int(colours.size()), 16);
    int x = 0;
    for (COLORREF c : colours) {
        strip->Canvas()->Brush()->SetColor(TColor(c));
        strip->Canvas()->FillRect(TRect(x, 0, x + 16, 16));
        // The bottom-left pixel is the transparent colour of the icon made from the frame.
        strip->Canvas()->SetPixels(x, 15, clWhite);
        x += 16;
    }
    return strip;
}

struct AnimationCase {
    const char* name;
    TZCLTimerMode mode;
    std::vector<COLORREF> frames;
};

class TrayIconAnimation : public TrayIconTest, public testing::WithParamInterface<AnimationCase> {};

TEST_P(TrayIconAnimation, TheImagesShowInTurnAndStartAgain)
{
    std::vector<COLORREF> shown;
    TZCLTrayIcon::SetNotifyIconHook(TZCLTrayIcon::TNotifyIconHook::From([&](DWORD m, const NOTIFYICONDATAA& d) {
        if (m == NIM_MODIFY) shown.push_back(IconColour(d.hIcon));
        return TRUE;
    }));
    TZCLImageList images(nullptr);
    auto* strip = static_cast<TZCLImageListItem*>(images.GetItem(images.Add()));
    std::vector<COLORREF> colours;
    for (COLORREF c : GetParam().frames) colours.push_back(c);
    auto bitmap = std::make_unique<TBitmap>();
    if (colours.size() == 1) bitmap = Frames({colours[0]});
    else bitmap = Frames({colours[0], colours[1], colours[2]});
    strip->Add(bitmap.get(), nullptr);
    TZCLTrayIcon* icon = LoadIcon();
    icon->SetImageList(&images);
    icon->SetTimerMode(GetParam().mode);
    icon->SetInterval(50);
    icon->SetAnimated(true);
    const std::size_t want = colours.size() + 2;
    ASSERT_TRUE(PumpUntil([&] { return shown.size() >= want; }, 10000));
    icon->SetAnimated(false);  // stops the timer: the frames have settled
    for (std::size_t i = 0; i < want; ++i) EXPECT_EQ(shown[i], colours[i % colours.size()]) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TrayIconAnimation,
    testing::Values(AnimationCase{"PoolThreeImages", tmGlobalTimer, {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)}},
                    AnimationCase{"PoolOneImage", tmGlobalTimer, {RGB(200, 0, 0)}},
                    AnimationCase{"MultimediaThreeImages", tmHiTimer,
                                  {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)}},
                    AnimationCase{"ThreadThreeImages", tmThreaded,
                                  {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)}}),
    [](const testing::TestParamInfo<AnimationCase>& info) { return std::string(info.param.name); });

TEST_F(TrayIconTest, AnEmptyOrFreedImageListShowsNoFrame)
{
    Record();
    auto images = std::make_unique<TZCLImageList>(nullptr);
    TZCLTrayIcon* icon = LoadIcon();
    icon->SetImageList(images.get());
    icon->SetInterval(50);
    icon->SetAnimated(true);
    const std::uint16_t id = icon->PoolTimerId();
    ASSERT_NE(id, 0);
    // A tick of the pool runs the step: with nothing in the list nothing is sent.
    const std::size_t before = sent.size();
    ZCLApplication->GetTimer(id)->Timer();
    EXPECT_EQ(sent.size(), before);
    images.reset();
    EXPECT_EQ(icon->ImageList(), nullptr);
    ZCLApplication->GetTimer(id)->Timer();
    EXPECT_EQ(sent.size(), before);
}

}  // namespace
