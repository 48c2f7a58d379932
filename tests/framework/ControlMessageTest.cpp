// The message path: Perform, WindowProc, Dispatch with inherited handling, window hooks, reflection, handles,
// alignment and inherited looks.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlTestHelpers.h"

using namespace controltest;

namespace {

constexpr UINT WM_TEST = WM_APP + 40;
constexpr UINT WM_THROW = WM_APP + 41;

// A message map in two levels: the derived class takes WM_TEST and hands everything else to its base.
class TBaseHandler : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<std::string> log;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_TEST) {
            log.push_back("base " + std::to_string(m.WParam));
            m.Result = 10;
            return;
        }
        if (m.Msg == WM_THROW) throw EInvalidOperation("handler failed");
        TCustomControl::Dispatch(m);
    }
};

class TDerivedHandler : public TBaseHandler {
public:
    using TBaseHandler::TBaseHandler;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_TEST && m.WParam == 2) {
            log.push_back("derived");
            TBaseHandler::Dispatch(m);  // inherited
            m.Result += 1;
            return;
        }
        TBaseHandler::Dispatch(m);
    }
};

class MessagePath : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(10, 10, 200, 150);
        control = new TDerivedHandler(form.get());
        control->SetParent(form.get());
        control->SetBounds(5, 5, 50, 50);
    }
    std::unique_ptr<TForm> form;
    TDerivedHandler* control;
};

TEST_F(MessagePath, PerformAndTheWindowTakeTheSamePathThroughTheMessageMap)
{
    EXPECT_EQ(control->Perform(WM_TEST, 1), 10);
    EXPECT_EQ(control->Perform(WM_TEST, 2), 11);
    EXPECT_EQ(SendMessageA(control->Handle(), WM_TEST, 2, 0), 11);
    EXPECT_EQ(control->log, (std::vector<std::string>{"base 1", "derived", "base 2", "derived", "base 2"}));
}

TEST_F(MessagePath, HandlesAreMadeLazilyParentFirst)
{
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_FALSE(control->HandleAllocated());
    const HWND wnd = control->Handle();
    EXPECT_TRUE(form->HandleAllocated());
    EXPECT_EQ(GetParent(wnd), form->Handle());
    EXPECT_EQ(FindControl(wnd), control);
    char name[64] = "";
    GetClassNameA(wnd, name, sizeof name);
    EXPECT_STREQ(name, "TDerivedHandler");
}

TEST_F(MessagePath, ReplacedWindowProcSurvivesRecreateWnd)
{
    std::vector<UINT> seen;
    const TWndMethod old = control->WindowProc();
    control->SetWindowProc(TWndMethod::From([&, old](TMessage& m) {
        if (m.Msg == WM_TEST) seen.push_back(m.Msg);
        old(m);
    }));
    form->Show();
    const HWND first = control->Handle();
    control->RecreateWnd();
    ASSERT_TRUE(control->HandleAllocated()) << "a showing control gets its window back at once";
    EXPECT_NE(control->Handle(), first);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(SendMessageA(control->Handle(), WM_TEST, 1, 0), 10);
    EXPECT_EQ(seen.size(), 1u);
    control->SetWindowProc(nullptr);  // back to the control's own
}

TEST_F(MessagePath, AnExceptionInAHandlerStopsAtTheWindowProcedure)
{
    std::string reported;
    Application->SetOnException(TExceptionEvent::From([&](TObject*, Exception* e) { reported = e->Message().c_str(); }));
    EXPECT_NO_THROW(SendMessageA(control->Handle(), WM_THROW, 0, 0));
    Application->SetOnException(nullptr);
    EXPECT_EQ(reported, "handler failed");
}

TEST_F(MessagePath, WindowlessTextGoesThroughTheMessages)
{
    auto* box = new TBox(form.get());
    box->SetParent(form.get());
    box->SetCaption("Speed");
    char buffer[16] = "";
    EXPECT_EQ(box->Perform(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 5);
    EXPECT_STREQ(buffer, "Speed");
    box->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Slow"));
    EXPECT_EQ(box->Caption(), "Slow");
}

TEST_F(MessagePath, CaptionIsReadFromTheObjectNotFromTheWindow)
{
    control->SetCaption("Main");
    const int id = control->AddWindowHook(TWindowHook::From([](TMessage& m) {
        if (m.Msg != WM_GETTEXT) return false;
        lstrcpynA(reinterpret_cast<char*>(m.LParam), " ", int(m.WParam));
        m.Result = 1;
        return true;
    }));
    char buffer[16] = "";
    GetWindowTextA(control->Handle(), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, " ");
    EXPECT_EQ(control->Caption(), "Main");
    control->RemoveWindowHook(id);
}

// Window hooks: several per window, removed in any order.
struct HookOrder {
    const char* name;
    bool removeFirstFirst;
};

class WindowHooks : public MessagePath, public testing::WithParamInterface<HookOrder> {};

TEST_P(WindowHooks, RunInOrderBeforeTheControlAndUnhookInAnyOrder)
{
    std::vector<std::string> calls;
    control->SetWindowProc(TWndMethod::From([&, c = control](TMessage& m) {
        if (m.Msg == WM_TEST) calls.push_back("control");
        c->WndProc(m);
    }));
    const int a = control->AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg == WM_TEST) calls.push_back("a");
        return false;
    }));
    const int b = control->AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg == WM_TEST) calls.push_back("b");
        return false;
    }));
    const HWND wnd = control->Handle();
    SendMessageA(wnd, WM_TEST, 1, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"a", "b", "control"}));

    calls.clear();
    control->RemoveWindowHook(GetParam().removeFirstFirst ? a : b);
    SendMessageA(wnd, WM_TEST, 1, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{GetParam().removeFirstFirst ? "b" : "a", "control"}));

    calls.clear();
    control->RemoveWindowHook(GetParam().removeFirstFirst ? b : a);
    SendMessageA(wnd, WM_TEST, 1, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"control"}));
    control->SetWindowProc(nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothOrders, WindowHooks,
                         testing::Values(HookOrder{"FirstAddedFirst", true}, HookOrder{"LastAddedFirst", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessagePath, AHookThatTakesEverythingStillLetsTheWindowBeDestroyed)
{
    std::vector<UINT> reachedControl;
    control->SetWindowProc(TWndMethod::From([&, c = control](TMessage& m) {
        reachedControl.push_back(m.Msg);
        c->WndProc(m);
    }));
    const HWND wnd = control->Handle();
    const int id = control->AddWindowHook(TWindowHook::From([](TMessage& m) {
        m.Result = 77;
        return true;
    }));
    EXPECT_EQ(SendMessageA(wnd, WM_TEST, 1, 0), 77);
    EXPECT_TRUE(reachedControl.empty() || reachedControl.back() != WM_TEST);
    control->DestroyHandle();
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_FALSE(control->HandleAllocated());
    EXPECT_NE(std::find(reachedControl.begin(), reachedControl.end(), UINT(WM_DESTROY)), reachedControl.end());
    EXPECT_NE(std::find(reachedControl.begin(), reachedControl.end(), UINT(WM_NCDESTROY)), reachedControl.end());
    // Hooks belong to the control, not to one window: the new window has it too.
    EXPECT_EQ(SendMessageA(control->Handle(), WM_TEST, 1, 0), 77);
    control->RemoveWindowHook(id);
    EXPECT_EQ(SendMessageA(control->Handle(), WM_TEST, 1, 0), 10);
    control->SetWindowProc(nullptr);
}

TEST_F(MessagePath, AHookMayUnhookItselfAndTheNextWhileRunning)
{
    int aCalls = 0, bCalls = 0;
    int a = 0, b = 0;
    a = control->AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg != WM_TEST) return false;
        ++aCalls;
        control->RemoveWindowHook(a);
        control->RemoveWindowHook(b);  // never called again, not even for this message
        return false;
    }));
    b = control->AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg == WM_TEST) ++bCalls;
        return false;
    }));
    EXPECT_EQ(SendMessageA(control->Handle(), WM_TEST, 1, 0), 10);
    EXPECT_EQ(SendMessageA(control->Handle(), WM_TEST, 1, 0), 10);
    EXPECT_EQ(aCalls, 1);
    EXPECT_EQ(bCalls, 0);
}

// A subclassed system button that records the notifications reflected to it.
class TReflectButton : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::vector<UINT> got;

protected:
    void CreateParams(TCreateParams& p) override
    {
        TWinControl::CreateParams(p);
        CreateSubClass(p, "BUTTON");
        p.Style |= BS_PUSHBUTTON;
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) got.push_back(m.Msg);
        if (m.Msg == CN_CTLCOLORBTN || m.Msg == CN_CTLCOLORSTATIC) got.push_back(m.Msg);
        TWinControl::Dispatch(m);
    }
};

TEST_F(MessagePath, NotificationsOfASystemControlAreReflectedToItsObject)
{
    auto* button = new TReflectButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(60, 5, 80, 25);
    button->SetCaption("OK");
    form->Show();
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);  // the system button sends WM_COMMAND to the form
    Application->ProcessMessages();
    EXPECT_NE(std::find(button->got.begin(), button->got.end(), CN_COMMAND), button->got.end());
    char text[8] = "";
    GetWindowTextA(button->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "OK");
    EXPECT_EQ(button->DefWndProc() == &DefWindowProcA, false);

    HDC dc = GetDC(button->Handle());
    const LRESULT brush = SendMessageA(form->Handle(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(button->Handle()));
    ReleaseDC(button->Handle(), dc);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), button->Brush()->Handle());
}

TEST_F(MessagePath, AlignmentPlacesWindowedAndWindowlessChildren)
{
    auto* top = new TBox(form.get());
    top->SetParent(form.get());
    top->SetHeight(20);
    top->SetAlign(alTop);
    auto* left = new TPanelish(form.get());
    left->SetParent(form.get());
    left->SetWidth(30);
    left->SetAlign(alLeft);
    auto* bottom = new TBox(form.get());
    bottom->SetParent(form.get());
    bottom->SetHeight(10);
    bottom->SetAlign(alBottom);
    auto* client = new TPanelish(form.get());
    client->SetParent(form.get());
    client->SetAlign(alClient);
    control->SetVisible(false);

    auto check = [&](int w, int h) {
        EXPECT_EQ(top->BoundsRect(), TRect(0, 0, w, 20));
        EXPECT_EQ(bottom->BoundsRect(), TRect(0, h - 10, w, h));
        EXPECT_EQ(left->BoundsRect(), TRect(0, 20, 30, h - 10));
        EXPECT_EQ(client->BoundsRect(), TRect(30, 20, w, h - 10));
    };
    form->SetClientSize(200, 100);
    check(200, 100);
    form->Show();
    check(form->ClientWidth(), form->ClientHeight());
    // Resized by the system, not through the object: the object follows and realigns.
    SetWindowPos(form->Handle(), nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(form->Width(), 300);
    RECT cr;
    GetClientRect(form->Handle(), &cr);
    check(cr.right, cr.bottom);
    RECT wr;
    GetWindowRect(client->Handle(), &wr);
    EXPECT_EQ(wr.right - wr.left, cr.right - 30);
}

TEST_F(MessagePath, FontAndColourFollowTheParentUntilSetOnTheChild)
{
    auto* box = new TBox(form.get());
    box->SetParent(form.get());
    box->SetParentColor(true);
    form->Font()->SetName("Arial");
    form->SetColor(clNavy);
    EXPECT_EQ(box->Font()->Name(), "Arial");
    EXPECT_EQ(box->Color(), clNavy);
    EXPECT_TRUE(box->ParentFont());
    box->Font()->SetSize(14);
    EXPECT_FALSE(box->ParentFont());
    form->Font()->SetName("Courier New");
    EXPECT_EQ(box->Font()->Name(), "Arial");
    box->SetColor(clRed);
    form->SetColor(clGreen);
    EXPECT_EQ(box->Color(), clRed);
}

TEST_F(MessagePath, Ctl3DChangeRecreatesAFramedWindowAndPassesToChildren)
{
    class TFramed : public TCustomControl {
    public:
        explicit TFramed(TComponent* o) : TCustomControl(o) { SetControlStyle(ControlStyle() + TControlStyle{csFramed}); }
    };
    auto* framed = new TFramed(form.get());
    framed->SetParent(form.get());
    form->Show();
    EXPECT_TRUE(GetWindowLongA(framed->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    form->SetCtl3D(false);
    EXPECT_FALSE(framed->Ctl3D());
    EXPECT_FALSE(GetWindowLongA(framed->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongA(framed->Handle(), GWL_STYLE) & WS_BORDER);
}

TEST(ControlTree, ControlsLeaveTheirParentWhenFreedAndOwnedOnesGoLastCreatedFirst)
{
    std::vector<std::string> freed;
    struct TNoted : TBox {
        std::vector<std::string>* log;
        TNoted(TComponent* o, std::vector<std::string>* l) : TBox(o), log(l) {}
        ~TNoted() override { log->push_back(Name().c_str()); }
    };
    auto form = std::make_unique<TForm>(nullptr);
    for (const char* n : {"First", "Second", "Third"}) {
        auto* c = new TNoted(form.get(), &freed);
        c->SetName(n);
        c->SetParent(form.get());
    }
    EXPECT_EQ(form->ControlCount(), 3);
    delete form->FindComponent("Second");
    EXPECT_EQ(form->ControlCount(), 2);
    EXPECT_EQ(form->Controls(1)->Name(), "Third");
    form.reset();
    EXPECT_EQ(freed, (std::vector<std::string>{"Second", "Third", "First"}));
}

}  // namespace
