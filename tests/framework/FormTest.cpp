// Forms: styles, showing and hiding, closing, modal loops nested four deep, the application's forms, the screen,
// GDI objects over create/destroy cycles, and a screenshot of a test form.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ControlTestHelpers.h"
#include "support/Screenshot.h"

using namespace controltest;

namespace {

TEST(FormStyles, BorderStyleAndIconsGiveTheWindowStyles)
{
    const struct {
        TFormBorderStyle border;
        TBorderIcons icons;
        DWORD wanted, unwanted, exWanted;
    } cases[] = {
        {bsSizeable, {biSystemMenu, biMinimize, biMaximize}, WS_THICKFRAME | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, WS_CHILD, 0},
        {bsSingle, {biSystemMenu}, WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX, 0},
        {bsDialog, {biSystemMenu, biMinimize, biMaximize}, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, WS_EX_DLGMODALFRAME},
        {bsDialog, {}, WS_POPUP | WS_CAPTION, WS_SYSMENU, WS_EX_DLGMODALFRAME},
        {bsNone, {biSystemMenu}, WS_POPUP, WS_CAPTION | WS_SYSMENU, 0},
        {bsToolWindow, {biSystemMenu}, WS_CAPTION | WS_SYSMENU, WS_THICKFRAME, WS_EX_TOOLWINDOW},
        {bsSizeToolWin, {biSystemMenu}, WS_CAPTION | WS_THICKFRAME, 0, WS_EX_TOOLWINDOW},
    };
    for (const auto& c : cases) {
        TForm form(nullptr);
        form.SetBorderStyle(c.border);
        form.SetBorderIcons(c.icons);
        const HWND wnd = form.Handle();
        const DWORD style = DWORD(GetWindowLongA(wnd, GWL_STYLE));
        const DWORD ex = DWORD(GetWindowLongA(wnd, GWL_EXSTYLE));
        EXPECT_EQ(style & c.wanted, c.wanted) << int(c.border);
        EXPECT_EQ(style & c.unwanted, 0u) << int(c.border);
        EXPECT_EQ(ex & c.exWanted, c.exWanted) << int(c.border);
        EXPECT_EQ(GetWindow(wnd, GW_OWNER), Application->Handle()) << "owned by the application window";
    }
}

TEST(FormStyles, ChangingTheBorderKeepsCaptionSizeAndHooks)
{
    TForm form(nullptr);
    form.SetCaption("Settings");
    form.SetClientSize(577, 253);
    int hooked = 0;
    form.AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg == WM_APP + 3) ++hooked;
        return false;
    }));
    const HWND first = form.Handle();
    form.SetBorderStyle(bsDialog);
    const HWND second = form.Handle();
    EXPECT_NE(first, second);
    SendMessageA(second, WM_APP + 3, 0, 0);
    EXPECT_EQ(hooked, 1);
    char text[32] = "";
    GetWindowTextA(second, text, sizeof text);
    EXPECT_STREQ(text, "Settings");
    RECT r;
    GetClientRect(second, &r);
    EXPECT_EQ(form.ClientWidth(), int(r.right));
    EXPECT_EQ(form.ClientHeight(), int(r.bottom));
}

TEST(FormStyles, ClientSizeBeforeTheWindowExistsIsTheClientSizeAfterwards)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsDialog);
    form.SetClientSize(577, 253);
    EXPECT_FALSE(form.HandleAllocated());
    RECT r;
    GetClientRect(form.Handle(), &r);
    EXPECT_EQ(r.right, 577);
    EXPECT_EQ(r.bottom, 253);
}

TEST(FormStyles, ScreenCenterUsesTheScreensSize)
{
    Screen->SetSizeForTesting(800, 600);
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    form.SetPosition(poScreenCenter);
    form.Show();
    Screen->SetSizeForTesting(0, 0);
    RECT r;
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 250);
    EXPECT_EQ(form.Left(), 300);
}

TEST(FormShow, OnShowEveryTimeBeforeTheWindowAppearsOnHideAndOnCreateOnce)
{
    std::vector<std::string> events;
    TForm form(nullptr);
    form.SetOnCreate(TNotifyEvent::From([&](TObject*) { events.push_back("create"); }));
    form.SetOnShow(TNotifyEvent::From([&](TObject*) {
        events.push_back(IsWindowVisible(form.Handle()) ? "show visible" : "show");
    }));
    form.SetOnHide(TNotifyEvent::From([&](TObject*) { events.push_back("hide"); }));
    form.Show();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    form.Hide();
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    form.SetVisible(true);
    EXPECT_EQ(events, (std::vector<std::string>{"create", "show", "hide", "show"}));
}

TEST(FormClose, CloseQueryCanRefuseAndOnCloseChoosesTheAction)
{
    TForm form(nullptr);
    bool allow = false;
    TCloseAction chosen = caHide;
    form.SetOnCloseQuery(TCloseQueryEvent::From([&](TObject*, bool& can) { can = allow; }));
    form.SetOnClose(TCloseEvent::From([&](TObject*, TCloseAction& a) {
        EXPECT_EQ(a, caHide);
        a = chosen;
    }));
    form.Show();
    form.Close();
    EXPECT_TRUE(form.Visible());
    allow = true;
    chosen = caNone;
    SendMessageA(form.Handle(), WM_CLOSE, 0, 0);  // the close box
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(IsWindow(form.Handle()));
    chosen = caHide;
    form.Close();
    EXPECT_FALSE(form.Visible());
}

TEST(FormClose, CaFreeFreesTheFormFromTheMessageLoop)
{
    auto* owner = new TComponent(nullptr);
    auto* form = new TForm(owner);
    form->SetOnClose(TCloseEvent::From([](TObject*, TCloseAction& a) { a = caFree; }));
    form->Show();
    form->Close();
    EXPECT_EQ(owner->ComponentCount(), 1) << "still there until its message comes";
    Application->ProcessMessages();
    EXPECT_EQ(owner->ComponentCount(), 0);
    delete owner;
}

// Four modal levels, each opened from inside the loop of the one below.
class ModalLevels : public testing::Test {
protected:
    static constexpr UINT WM_OPEN_NEXT = WM_APP + 60;
    void SetUp() override
    {
        outside = std::make_unique<TForm>(nullptr);
        outside->SetBounds(0, 0, 100, 80);
        outside->Show();
        for (int i = 0; i < 4; ++i) {
            forms.push_back(std::make_unique<TForm>(nullptr));
            forms.back()->SetBorderStyle(bsDialog);
            forms.back()->SetBounds(50 + 20 * i, 50 + 20 * i, 200, 150);
        }
        for (int i = 0; i < 4; ++i) {
            TForm* f = forms[std::size_t(i)].get();
            f->AddWindowHook(TWindowHook::From([this, i, f](TMessage& m) {
                if (m.Msg != WM_OPEN_NEXT) return false;
                // Everything below this level is disabled while it is up.
                bool othersDisabled = !IsWindowEnabled(outside->Handle());
                for (int j = 0; j < i; ++j) othersDisabled = othersDisabled && !IsWindowEnabled(forms[std::size_t(j)]->Handle());
                disabledSeen.push_back(othersDisabled && IsWindowEnabled(f->Handle()));
                if (i + 1 < 4) {
                    TForm* next = forms[std::size_t(i + 1)].get();
                    next->SetOnShow(TNotifyEvent::From([next](TObject*) { PostMessageA(next->Handle(), WM_OPEN_NEXT, 0, 0); }));
                    results.push_back(next->ShowModal());
                    reenabled.push_back(IsWindowEnabled(f->Handle()) != FALSE);
                }
                if (i == 3 && throwAtTop) throw EInvalidOperation("from the top level");
                f->SetModalResult(mrOk + i);
                return true;
            }));
        }
    }
    std::unique_ptr<TForm> outside;
    std::vector<std::unique_ptr<TForm>> forms;
    std::vector<bool> disabledSeen, reenabled;
    std::vector<TModalResult> results;
    bool throwAtTop = false;
};

TEST_F(ModalLevels, NestFourDeepDisablingAndReenablingTheOthers)
{
    TForm* first = forms[0].get();
    first->SetOnShow(TNotifyEvent::From([first](TObject*) { PostMessageA(first->Handle(), WM_OPEN_NEXT, 0, 0); }));
    EXPECT_EQ(first->ShowModal(), mrOk);
    EXPECT_EQ(results, (std::vector<TModalResult>{mrOk + 3, mrOk + 2, mrOk + 1}));  // innermost returns first
    EXPECT_EQ(disabledSeen, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(reenabled, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(IsWindowEnabled(outside->Handle()));
    for (auto& f : forms) {
        EXPECT_FALSE(f->Visible());
        EXPECT_FALSE(f->Modal());
    }
}

TEST_F(ModalLevels, AClosedModalFormAnswersCancel)
{
    TForm* first = forms[0].get();
    first->SetOnShow(TNotifyEvent::From([first](TObject*) { PostMessageA(first->Handle(), WM_CLOSE, 0, 0); }));
    EXPECT_EQ(first->ShowModal(), mrCancel);
    EXPECT_THROW(
        {
            outside->Show();
            outside->ShowModal();
        },
        EInvalidOperation);
}

TEST_F(ModalLevels, AnExceptionBeforeTheLoopLeavesEverythingEnabled)
{
    TForm* first = forms[0].get();
    first->SetOnShow(TNotifyEvent::From([](TObject*) { throw EInvalidOperation("cannot show"); }));
    EXPECT_THROW(first->ShowModal(), EInvalidOperation);
    EXPECT_TRUE(IsWindowEnabled(outside->Handle()));
    EXPECT_FALSE(first->Visible());
    EXPECT_FALSE(first->Modal());
    first->SetOnShow(nullptr);
    first->SetOnActivate(TNotifyEvent::From([first](TObject*) { first->SetModalResult(mrNo); }));
    EXPECT_EQ(first->ShowModal(), mrNo) << "the form can go modal again";
}

TEST(ApplicationForms, TheFirstFormMadeBecomesTheMainFormAndRunShowsIt)
{
    TApplication app;
    TForm* main = nullptr;
    TForm* second = nullptr;
    int created = 0;
    app.CreateForm(main);
    app.CreateForm(second);
    EXPECT_EQ(app.MainForm(), main);
    EXPECT_EQ(main->Owner(), &app);
    second->SetOnCreate(TNotifyEvent::From([&](TObject*) { ++created; }));
    second->Show();
    EXPECT_EQ(created, 0) << "OnCreate ran in CreateForm already";
    // Closing the main form ends the loop; the form lives on until the application goes.
    main->SetOnShow(TNotifyEvent::From([main](TObject*) { PostMessageA(main->Handle(), WM_CLOSE, 0, 0); }));
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(main->Visible());
}

TEST(ApplicationForms, OnDestroyRunsWhileTheComponentsStillExist)
{
    std::vector<std::string> order;
    auto* form = new TForm(nullptr);
    auto* box = new TBox(form);
    box->SetName("Box");
    box->SetParent(form);
    form->AfterConstruction();
    form->SetOnDestroy(TNotifyEvent::From([&](TObject*) {
        order.push_back(form->FindComponent("Box") ? "destroy with box" : "destroy without box");
    }));
    delete form;
    EXPECT_EQ(order, std::vector<std::string>{"destroy with box"});
}

TEST(ApplicationHooks, MainWindowHooksChainAndUnhookInAnyOrder)
{
    std::vector<std::string> calls;
    const TWindowHook a = TWindowHook::From([&](TMessage& m) {
        if (m.Msg == WM_APP + 70) calls.push_back("a");
        return false;
    });
    const TWindowHook b = TWindowHook::From([&](TMessage& m) {
        if (m.Msg != WM_APP + 70) return false;
        calls.push_back("b");
        m.Result = 5;
        return true;
    });
    Application->HookMainWindow(a);
    Application->HookMainWindow(b);
    EXPECT_EQ(SendMessageA(Application->Handle(), WM_APP + 70, 0, 0), 5);
    Application->UnhookMainWindow(a);
    EXPECT_EQ(SendMessageA(Application->Handle(), WM_APP + 70, 0, 0), 5);
    Application->UnhookMainWindow(b);
    EXPECT_EQ(SendMessageA(Application->Handle(), WM_APP + 70, 0, 0), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"a", "b", "b"}));
}

TEST(ScreenObject, CursorsCanBeSetAtAnyIndex)
{
    EXPECT_EQ(Screen->Cursors(crIBeam), LoadCursorA(nullptr, IDC_IBEAM));
    EXPECT_NE(Screen->Cursors(crDrag), nullptr);
    const HCURSOR custom = LoadCursorA(nullptr, IDC_CROSS);
    Screen->SetCursors(-255, custom);
    EXPECT_EQ(Screen->Cursors(-255), custom);
    Screen->SetCursors(-255, nullptr);
    EXPECT_GT(Screen->PixelsPerInch(), 0);
    EXPECT_EQ(Screen->Width(), GetSystemMetrics(SM_CXSCREEN));
}

// The process's GDI object count. Where the system does not report it (Wine), it is measured as the room left:
// brushes are made until the process's table is full, then freed again; the count is the table size minus that.
long GdiObjects()
{
    if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return long(n);
    std::vector<HBRUSH> probe;
    probe.reserve(70000);
    while (probe.size() < 70000) {
        HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
        if (!b) break;
        probe.push_back(b);
    }
    for (HBRUSH b : probe) DeleteObject(b);
    return 70000 - long(probe.size());
}

TEST(Resources, GdiObjectsComeBackAfterCreateDestroyCycles)
{
    // Shown forms paint through the message loop; hidden ones still make their windows, fonts and DCs.
    auto cycle = [](bool show) {
        TForm form(nullptr);
        form.SetBounds(20, 20, 200, 120);
        auto* panel = new TPanelish(&form);
        panel->SetParent(&form);
        panel->SetBounds(10, 10, 100, 60);
        panel->Font()->SetName("Arial");
        auto* box = new TBox(panel, clRed);
        box->SetParent(panel);
        box->SetBounds(5, 5, 20, 20);
        if (show) {
            form.Show();
            PumpUntil([&] { return box->paints > 0; });
        } else {
            form.HandleNeeded();
            panel->HandleNeeded();
        }
        box->Canvas()->FillRect(TRect(0, 0, 5, 5));  // a DC taken outside painting
        Dib dib(200, 120);
        form.PaintTo(dib.dc(), 0, 0);
    };
    cycle(true);  // first use makes the shared objects (stock brushes, classes)
    Application->ProcessMessages();
    const long before = GdiObjects();
    ASSERT_GT(before, 0) << "the count must be measurable";
    for (int i = 0; i < 3; ++i) cycle(true);
    for (int i = 0; i < 50; ++i) cycle(false);
    Application->ProcessMessages();
    EXPECT_EQ(GdiObjects(), before);
}

// ---------------------------------------------------------------------------------------------------------------
// The close box, drawn by the form itself

struct Glyph {
    RECT bounds{0, 0, 0, 0};  // of the glyph's pixels, screen coordinates; empty when none
    bool symmetric = false;   // the same mirrored left to right and top to bottom
    bool crossed = false;     // both diagonals and the middle are glyph pixels
};

// The pixels of the button-text colour in the close box as the screen shows them.
Glyph CloseGlyph(HWND wnd)
{
    Glyph g;
    RECT box;
    if (!FormCloseBoxRect(wnd, box)) return g;
    const testshot::Shot shot = testshot::Shot::OfScreen(box);
    const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
    auto on = [&](int x, int y) { return shot.At(x, y) == ink; };
    int left = shot.Width(), top = shot.Height(), right = -1, bottom = -1;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            if (on(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return g;
    g.bounds = RECT{box.left + left, box.top + top, box.left + right + 1, box.top + bottom + 1};
    g.symmetric = true;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (on(x, y) != on(left + right - x, y) || on(x, y) != on(x, top + bottom - y)) g.symmetric = false;
    g.crossed = on(left, top) && on(right, top) && on(left, bottom) && on(right, bottom) &&
                on((left + right) / 2, (top + bottom) / 2);
    return g;
}

TEST(FormCloseBox, EveryFormWithACloseBoxDrawsItsCross)
{
    const struct {
        TFormBorderStyle border;
        TBorderIcons icons;
        bool box;
    } cases[] = {
        {bsDialog, {biSystemMenu}, true},
        {bsSingle, {biSystemMenu}, true},
        {bsSizeable, {biSystemMenu, biMinimize, biMaximize}, true},
        {bsToolWindow, {biSystemMenu}, true},
        {bsDialog, {}, false},
        {bsNone, {biSystemMenu}, false},
    };
    for (const auto& c : cases) {
        TForm form(nullptr);
        form.SetCaption("Settings");
        form.SetBorderStyle(c.border);
        form.SetBorderIcons(c.icons);
        form.SetBounds(60, 60, 300, 160);
        form.Show();
        Activate(&form);
        RECT box{};
        ASSERT_EQ(FormCloseBoxRect(form.Handle(), box), c.box) << int(c.border);
        if (!c.box) continue;
        Glyph g;
        EXPECT_TRUE(PumpUntil([&] { return (g = CloseGlyph(form.Handle())).crossed; }, 10000)) << int(c.border);
        EXPECT_TRUE(g.symmetric) << int(c.border) << ": a cross, not a letter";
        EXPECT_GE(g.bounds.right - g.bounds.left, 5) << int(c.border);
        // It stays after the caption is painted again.
        form.SetCaption("Settings of COM2");
        SendMessageA(form.Handle(), WM_NCACTIVATE, FALSE, 0);
        SendMessageA(form.Handle(), WM_NCACTIVATE, TRUE, 0);
        RedrawWindow(form.Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        Pump(30);
        const Glyph again = CloseGlyph(form.Handle());
        EXPECT_TRUE(again.crossed && again.symmetric) << int(c.border);
        if (c.border == bsDialog) testshot::Shot::OfWindow(form.Handle()).SaveArtifact("form-close-box");
    }
}

TEST(FormCloseBox, APressShowsItPushedAndOnlyAReleaseOnItCloses)
{
    TForm form(nullptr);
    form.SetCaption("Settings");
    form.SetBorderStyle(bsDialog);
    form.SetBounds(80, 80, 300, 160);
    int closes = 0;
    form.SetOnClose(TCloseEvent::From([&](TObject*, TCloseAction&) { ++closes; }));
    form.Show();
    Activate(&form);
    Glyph up;
    ASSERT_TRUE(PumpUntil([&] { return (up = CloseGlyph(form.Handle())).crossed; }, 10000));
    RECT box;
    ASSERT_TRUE(FormCloseBoxRect(form.Handle(), box));
    const POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    const HWND wnd = form.Handle();

    struct Round {
        bool releaseOnIt;
        int closes;
    };
    for (const Round r : {Round{false, 0}, Round{true, 1}}) {
        // The form's thread follows the press in its own loop, so the hand that presses is another thread.
        std::atomic<int> stage{0};
        std::atomic<bool> pushedSeen{false}, upAgainSeen{false};
        std::thread hand([&] {
            auto move = [](POINT p) {
                INPUT in{};
                in.type = INPUT_MOUSE;
                in.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
                in.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
                in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
                SendInput(1, &in, sizeof in);
            };
            auto button = [](bool down) {
                INPUT in{};
                in.type = INPUT_MOUSE;
                in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
                SendInput(1, &in, sizeof in);
            };
            auto waitFor = [](const std::function<bool()>& cond) { return testwait::WaitUntil(cond, 10000); };
            auto shifted = [&] {
                const Glyph g = CloseGlyph(wnd);
                return g.crossed && g.bounds.left == up.bounds.left + 1 && g.bounds.top == up.bounds.top + 1;
            };
            auto unshifted = [&] {
                const Glyph g = CloseGlyph(wnd);
                return g.crossed && g.bounds.left == up.bounds.left && g.bounds.top == up.bounds.top;
            };
            move(centre);
            button(true);
            pushedSeen = waitFor(shifted);
            move(POINT{centre.x - 120, centre.y + 60});
            upAgainSeen = waitFor(unshifted);
            if (r.releaseOnIt) {
                move(centre);
                waitFor(shifted);
            }
            button(false);
            stage = 1;
        });
        EXPECT_TRUE(PumpUntil([&] { return stage == 1; }, 40000));
        hand.join();
        EXPECT_TRUE(PumpUntil([&] { return closes == r.closes; }, 10000)) << r.releaseOnIt;
        Pump(50);
        EXPECT_EQ(closes, r.closes) << r.releaseOnIt;
        EXPECT_TRUE(pushedSeen) << r.releaseOnIt << ": pressed, the cross moves in as a pushed button's face";
        EXPECT_TRUE(upAgainSeen) << r.releaseOnIt << ": off the box, it shows up again";
        EXPECT_EQ(form.Visible(), !r.releaseOnIt) << r.releaseOnIt;
    }
    controltest::MouseTo(1000, 750);
}

TEST(Screenshot, ATestFormWithNestedControlsPaintsRight)
{
    TForm form(nullptr);
    form.SetCaption("Control model");
    form.SetBorderStyle(bsSingle);
    form.SetBounds(40, 40, 320, 220);
    form.SetColor(clSilver);
    auto* outer = new TPanelish(&form);
    outer->SetParent(&form);
    outer->SetColor(clWhite);
    outer->SetBounds(10, 10, 200, 150);
    auto* red = new TBox(&form, clRed);
    red->SetParent(outer);
    red->SetBounds(10, 10, 60, 40);
    auto* blue = new TBox(&form, clBlue);
    blue->SetParent(outer);
    blue->SetBounds(40, 30, 60, 40);
    auto* inner = new TPanelish(&form);
    inner->SetParent(outer);
    inner->SetColor(clLime);
    inner->SetBounds(110, 60, 80, 80);
    auto* yellow = new TBox(&form, clYellow);
    yellow->SetParent(inner);
    yellow->SetBounds(10, 10, 30, 30);
    auto* frame = new TBox(&form, clBlack);
    frame->frameOnly = true;
    frame->SetParent(&form);
    frame->SetBounds(220, 20, 80, 60);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return yellow->paints > 0 && red->paints > 0; }));
    Pump(100);

    const testshot::Shot shot = testshot::Shot::OfWindow(form.Handle());
    EXPECT_FALSE(shot.SaveArtifact("control-model-form").empty());

    POINT o{0, 0};
    ClientToScreen(form.Handle(), &o);
    auto at = [&](int x, int y) { return shot.AtScreen(o.x + x, o.y + y); };
    EXPECT_EQ(at(5, 5), Rgb(clSilver));
    EXPECT_EQ(at(10 + 15, 10 + 15), Rgb(clRed));
    EXPECT_EQ(at(10 + 60, 10 + 45), Rgb(clBlue));
    EXPECT_EQ(at(10 + 110 + 25, 10 + 60 + 25), Rgb(clYellow));
    EXPECT_EQ(at(10 + 110 + 60, 10 + 60 + 60), Rgb(clLime));
    EXPECT_EQ(at(220, 20), Rgb(clBlack));
    EXPECT_EQ(at(250, 50), Rgb(clSilver));
}

}  // namespace
