// The library's push button on a shown form: real clicks, keys and modal results, the owner-drawn face in each
// state and standing, repeated clicks while held (and their end when the press is taken away), the drop-down
// menu, mouse enter and exit, fonts and the image-list glyph.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "PoolClock.h"
#include "ZclButtonTestHelpers.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/Menus.h"
#include "zcl/buttons/Zclbutton.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclglyph.h"
#include "zcl/graphics/Zclutilsdraw.h"

using namespace zclbtn;

namespace {

class PushButtons : public ButtonForm {
protected:
    TZCLButton* AddButton(const char* caption, int x, int y, int w = 75, int h = 25)
    {
        auto* b = Add<TZCLButton>(x, y, w, h);
        b->SetCaption(caption);
        const std::string name = caption;
        b->SetOnClick(TNotifyEvent::From([this, name](TObject*) { log.lines.push_back(name + " click"); }));
        b->SetOnMouseEnter(TNotifyEvent::From([this, name](TObject*) { log.lines.push_back(name + " enter"); }));
        b->SetOnMouseExit(TNotifyEvent::From([this, name](TObject*) { log.lines.push_back(name + " exit"); }));
        return b;
    }
    // A double click with real input: two presses in quick succession.
    void DoubleClickOn(TControl* c)
    {
        MouseToCentre(c);
        INPUT in[4]{};
        for (INPUT& i : in) i.type = INPUT_MOUSE;
        in[0].mi.dwFlags = in[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = in[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(4, in, sizeof(INPUT));
    }
};

// One owner-draw request rendered into a DIB of the button's size.
struct FaceRender {
    FaceRender(TZCLCustomButton* b, UINT itemState) : dib(b->Width(), b->Height())
    {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = itemState;
        dis.hwndItem = b->Handle();
        dis.hDC = dib.dc();
        dis.rcItem = RECT{0, 0, b->Width(), b->Height()};
        b->DrawItem(dis);
    }
    COLORREF At(int x, int y) const { return dib.At(x, y); }
    // The bounding box of the pixels of colour c inside r; empty when there are none.
    TRect Box(COLORREF c, const TRect& r) const
    {
        TRect box(r.right, r.bottom, r.left, r.top);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) == c) {
                    box.left = std::min<int>(box.left, x);
                    box.top = std::min<int>(box.top, y);
                    box.right = std::max<int>(box.right, x + 1);
                    box.bottom = std::max<int>(box.bottom, y + 1);
                }
        return box;
    }
    Dib dib;
};

// Clicks, keys, modal results ----------------------------------------------------------------------------------

TEST_F(PushButtons, IsAnOwnerDrawnSystemButtonOfTheDefaultSize)
{
    auto* b = new TZCLButton(form.get());
    b->SetParent(form.get());
    EXPECT_EQ(b->Width(), 75);
    EXPECT_EQ(b->Height(), 25);
    char name[32] = "";
    GetClassNameA(b->Handle(), name, sizeof name);
    EXPECT_STREQ(name, "TZCLButton") << "the framework's subclass of the system button";
    EXPECT_EQ(GetWindowLongA(b->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    b->SetDefault(true);
    EXPECT_EQ(GetWindowLongA(b->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << "the default look is drawn";
    EXPECT_TRUE(b->IsCurrentDefault());
}

TEST_F(PushButtons, ARealClickFiresOnClickOnceAndADoubleClickActsAsASecondPress)
{
    auto* a = AddButton("A", 20, 20);
    ShowForm();
    ClickOn(a);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") == 1; }, 3000));
    DoubleClickOn(a);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") == 3; }, 3000));
    EXPECT_TRUE(a->Focused());
}

TEST_F(PushButtons, EnterClicksTheFocusedOrDefaultButtonEscapeTheCancelOneSpaceTheFocusedOne)
{
    auto* ok = AddButton("Ok", 20, 20);
    auto* cancel = AddButton("Cancel", 110, 20);
    auto* other = AddButton("Other", 200, 20);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    auto* edit = new controltest::TTestEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(20, 80, 80, 20);
    ShowForm();
    edit->SetFocus();
    Pump(30);
    controltest::Key(VK_RETURN);
    controltest::Key(VK_ESCAPE);
    EXPECT_EQ(log.Of("click"), (std::vector<std::string>{"Ok click", "Cancel click"}));
    EXPECT_TRUE(ok->IsCurrentDefault());
    EXPECT_FALSE(other->IsCurrentDefault());

    other->SetFocus();
    Pump(30);
    EXPECT_TRUE(other->IsCurrentDefault()) << "a focused button is the one Enter clicks";
    EXPECT_FALSE(ok->IsCurrentDefault());
    controltest::Key(VK_RETURN);
    controltest::Key(VK_SPACE);
    EXPECT_EQ(log.Of("click"), (std::vector<std::string>{"Ok click", "Cancel click", "Other click", "Other click"}));
    edit->SetFocus();
    Pump(30);
    EXPECT_TRUE(ok->IsCurrentDefault());
    EXPECT_FALSE(other->IsCurrentDefault());
}

TEST_F(PushButtons, TheCaptionsAcceleratorClicksAnEnabledVisibleButton)
{
    auto* up = AddButton("&Up", 20, 20);
    auto* add = AddButton("&Add", 110, 20);
    auto* exit = AddButton("&Ok", 200, 20);
    exit->SetModalResult(mrOk);
    auto* edit = new controltest::TTestEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(20, 80, 80, 20);
    ShowForm();
    edit->SetFocus();
    Pump(30);
    controltest::Key('U', {VK_MENU});
    controltest::Key('O', {VK_MENU});
    EXPECT_EQ(log.Of("click"), (std::vector<std::string>{"&Up click", "&Ok click"}));
    EXPECT_EQ(form->ModalResult(), mrOk) << "as a click of the button";
    form->SetModalResult(mrNone);
    add->SetEnabled(false);
    up->SetVisible(false);
    controltest::Key('A', {VK_MENU});
    controltest::Key('U', {VK_MENU});
    EXPECT_EQ(log.Of("click"), (std::vector<std::string>{"&Up click", "&Ok click"}));
}

TEST_F(PushButtons, AButtonWithAModalResultEndsShowModalWithItWhenClickedWithTheMouse)
{
    auto* ok = AddButton("Ok", 20, 20);
    ok->SetModalResult(mrOk);
    auto* cancel = AddButton("Cancel", 110, 20);
    cancel->SetModalResult(mrCancel);
    constexpr UINT ClickNow = WM_APP + 51;
    constexpr UINT_PTR GiveUp = 77;
    TZCLButton* pressed = nullptr;
    // The click once the modal loop runs; a form left open after 20 s ends with mrAbort instead of hanging.
    const int id = form->AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg == ClickNow) {
            controltest::Activate(form.get());
            ClickOn(pressed);
            return true;
        }
        if (m.Msg == WM_TIMER && m.WParam == GiveUp) {
            form->SetModalResult(mrAbort);
            return true;
        }
        return false;
    }));
    for (TZCLButton* b : {ok, cancel}) {
        pressed = b;
        form->HandleNeeded();
        PostMessageA(form->Handle(), ClickNow, 0, 0);
        SetTimer(form->Handle(), GiveUp, 20000, nullptr);
        EXPECT_EQ(form->ShowModal(), b->ModalResult());
        KillTimer(form->Handle(), GiveUp);
        EXPECT_FALSE(form->Visible());
    }
    form->RemoveWindowHook(id);
    EXPECT_EQ(log.Of("click"), (std::vector<std::string>{"Ok click", "Cancel click"}));
}

TEST_F(PushButtons, MouseEnterAndExitFireOncePerCrossingAndNotWhileDisabled)
{
    auto* a = AddButton("A", 20, 20);
    auto* b = AddButton("B", 120, 20);
    b->SetEnabled(false);
    ShowForm();
    MouseToCentre(a);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A enter") == 1; }, 3000));
    MouseToControl(a, 10, 10);
    MouseToCentre(b);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A exit") == 1; }, 3000));
    MouseTo(1000, 750);
    ASSERT_TRUE(PumpUntil([&] { return MouseControl() != b; }, 3000));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"A enter", "A exit"})) << "nothing from the disabled button";
}

// The face -----------------------------------------------------------------------------------------------------

TEST_F(PushButtons, TheFaceShowsPressFocusAndDefaultStanding)
{
    auto* a = AddButton("H", 20, 20);
    a->SetStyle(nbsWin40);
    a->Font()->SetColor(clBlack);
    a->Font()->SetSize(10);
    a->HandleNeeded();
    const COLORREF face = Sys(COLOR_BTNFACE);
    const TRect inner(6, 5, 69, 20);
    FaceRender up(a, 0);
    FaceRender down(a, ODS_SELECTED);
    FaceRender focused(a, ODS_FOCUS);
    a->SetDefault(true);
    ASSERT_TRUE(a->IsCurrentDefault());
    FaceRender standing(a, 0);
    a->SetDefault(false);
    FaceRender disabled(a, ODS_DISABLED);
    // Dots of the focus rectangle along its top edge, 3 pixels inside the outer frame.
    auto focusDots = [&](const FaceRender& r) {
        int n = 0;
        for (int x = 10; x < 60; ++x) n += r.At(x, 4) != face;
        return n;
    };

    EXPECT_EQ(up.At(0, 0), Sys(COLOR_BTNHIGHLIGHT)) << "a plain raised face";
    EXPECT_EQ(up.At(2, 2), face);
    EXPECT_EQ(down.At(0, 0), RGB(0, 0, 0)) << "pressed: black, then grey";
    EXPECT_EQ(down.At(1, 1), RGB(128, 128, 128));
    for (const FaceRender* r : {&standing, &focused}) {
        EXPECT_NE(r->At(0, 0), Sys(COLOR_BTNHIGHLIGHT)) << "the outer frame of the default and the focused button";
        EXPECT_EQ(r->At(1, 1), Sys(COLOR_BTNHIGHLIGHT)) << "the raised face inside it";
    }
    EXPECT_EQ(standing.At(0, 0), focused.At(0, 0));
    EXPECT_GT(focusDots(focused), 15);
    EXPECT_EQ(focusDots(standing), 0);
    EXPECT_EQ(focusDots(up), 0);

    const TRect text = up.Box(RGB(0, 0, 0), inner);
    ASSERT_FALSE(text.IsEmpty()) << "the caption in black";
    const TRect pressed = down.Box(RGB(0, 0, 0), inner);
    EXPECT_EQ(pressed.left, text.left + 1) << "a pressed caption moves right and down";
    EXPECT_EQ(pressed.top, text.top + 1);
    EXPECT_EQ(a->State(), bsDisabledUp) << "the last request drawn";
    EXPECT_TRUE(disabled.Box(RGB(0, 0, 0), inner).IsEmpty()) << "a disabled caption is etched, not black";
    EXPECT_FALSE(disabled.Box(Sys(COLOR_BTNSHADOW), inner).IsEmpty());

    a->SetUseCaption(false);
    EXPECT_TRUE(FaceRender(a, 0).Box(RGB(0, 0, 0), inner).IsEmpty()) << "UseCaption off hides the caption";
}

TEST_F(PushButtons, TheShownButtonIsRedrawnWhenItsStandingMoves)
{
    auto* ok = AddButton("Ok", 20, 20);
    auto* other = AddButton("Other", 110, 20);
    ok->SetDefault(true);
    ShowForm();
    auto topLeft = [](TZCLButton* b) {
        HDC dc = GetDC(b->Handle());
        const COLORREF c = GetPixel(dc, 0, 0);
        ReleaseDC(b->Handle(), dc);
        return c;
    };
    const COLORREF plain = Sys(COLOR_BTNHIGHLIGHT);
    ASSERT_TRUE(PumpUntil([&] { return topLeft(ok) != plain && topLeft(other) == plain; }, 3000));
    other->SetFocus();
    EXPECT_TRUE(PumpUntil([&] { return topLeft(ok) == plain && topLeft(other) != plain; }, 3000))
        << "the frame went with the focus";
}

// Repeated clicks --------------------------------------------------------------------------------------------

TEST_F(PushButtons, AHeldRepeatButtonClicksAfterTheDelayThenAtTheIntervalAndOnceMoreOnRelease)
{
    auto* a = AddButton("A", 20, 20);
    a->SetRepeatedClick(true);
    ShowForm();
    MouseToCentre(a);
    Press();
    const std::uint16_t id = a->RepeatTimerId();
    ASSERT_NE(id, 0);
    ASSERT_NE(ZCLApplication->GetTimer(id), nullptr);
    EXPECT_EQ(ZCLApplication->GetTimer(id)->Interval(), 500);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") >= 1; }, 5000));
    EXPECT_EQ(ZCLApplication->GetTimer(id)->Interval(), 100);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") >= 4; }, 5000));
    const int repeats = log.Count("A click");
    Release();
    EXPECT_EQ(a->RepeatTimerId(), 0);
    EXPECT_EQ(ZCLApplication->GetTimer(id), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") == repeats + 1; }, 3000)) << "the system's own click";
}

// Counted on the pool's own clock: off the button the held press clicks no more but keeps its timer; back on
// it, the clicks go on at the interval.
TEST_F(PushButtons, AHeldRepeatPausesWhileThePointerIsOffTheButtonAndGoesOnWhenItComesBack)
{
    auto* a = AddButton("A", 20, 20);
    a->SetRepeatedClick(true);
    poolclock::PoolClock clock;
    ASSERT_TRUE(clock.Running());
    std::vector<int> clicks;
    a->SetOnClick(TNotifyEvent::From([&](TObject*) { clicks.push_back(clock.Now()); }));
    ShowForm();
    MouseToCentre(a);
    Press();
    ASSERT_TRUE(PumpUntil([&] { return clicks.size() >= 2; }, 10000));
    const int interval = clock.Ticks(a->RepeatingInterval());
    EXPECT_EQ(clicks[1] - clicks[0], interval);

    // Off the button, still held: many intervals pass without a click.
    MouseToControl(a, a->Width() + 40, a->Height() / 2);
    const TPoint off = a->ClientToScreen(TPoint(a->Width() + 40, a->Height() / 2));
    ASSERT_TRUE(PumpUntil([&] {
        POINT p;
        return GetCursorPos(&p) && p.x == off.x && p.y == off.y;
    }, 5000));
    const std::size_t before = clicks.size();
    const int offFrom = clock.Now();
    ASSERT_TRUE(PumpUntil([&] { return clock.Now() >= offFrom + 6 * interval || clicks.size() > before; }, 20000));
    EXPECT_EQ(clicks.size(), before) << "clicks while the pointer was off the button";
    EXPECT_NE(a->RepeatTimerId(), 0) << "the press is still held";

    // Back on it: the clicks go on.
    const std::size_t offClicks = clicks.size();
    MouseToCentre(a);
    ASSERT_TRUE(PumpUntil([&] { return clicks.size() >= offClicks + 2; }, 10000)) << "no clicks after coming back";
    EXPECT_EQ(clicks[offClicks + 1] - clicks[offClicks], interval);
    Release();
    EXPECT_EQ(a->RepeatTimerId(), 0);
}

TEST_F(PushButtons, ARepeatEndsAtOnceWhenThePressIsTakenAway)
{
    enum Taker { Capture, Hide, Disable, Focus, Free };
    for (Taker taker : {Capture, Hide, Disable, Focus, Free}) {
        log.lines.clear();
        auto* a = AddButton("A", 20, 20);
        auto* other = AddButton("Other", 110, 20);
        a->SetRepeatedClick(true);
        ShowForm();
        MouseToCentre(a);
        Press();
        const std::uint16_t id = a->RepeatTimerId();
        ASSERT_NE(id, 0) << taker;
        ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") >= 1; }, 5000)) << taker;
        HWND thief = nullptr;
        switch (taker) {
        case Capture:
            thief = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
            SetCapture(thief);
            break;
        case Hide: a->SetVisible(false); break;
        case Disable: a->SetEnabled(false); break;
        case Focus: other->SetFocus(); break;
        case Free: delete a; break;
        }
        EXPECT_EQ(ZCLApplication->GetTimer(id), nullptr) << taker;
        const int clicks = log.Count("A click");
        if (taker != Free) {
            EXPECT_EQ(a->RepeatTimerId(), 0) << taker;
        }
        // The button is still held where the button was.
        Pump(300);
        EXPECT_EQ(log.Count("A click"), clicks) << taker;
        if (thief) {
            ReleaseCapture();
            DestroyWindow(thief);
        }
        Release();
        if (taker != Free) delete a;
        delete other;
    }
}

TEST_F(PushButtons, AFullTimerPoolRaisesOutOfResourcesOnARepeatPress)
{
    auto* a = AddButton("A", 20, 20);
    a->SetRepeatedClick(true);
    std::vector<std::uint16_t> taken;
    for (std::uint16_t id; (id = ZCLApplication->AddTimer(1000, TNotifyEvent())) != 0;) taken.push_back(id);
    try {
        a->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ADD_FAILURE() << "no exception";
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(AnsiString(e.Message()), AnsiString("Not enough timers available"));
    }
    for (std::uint16_t id : taken) ZCLApplication->RemoveTimer(id);
    EXPECT_EQ(a->RepeatTimerId(), 0);
    ReleaseCapture();
}

// Drop-down menu ---------------------------------------------------------------------------------------------

TEST_F(PushButtons, AClickFiresOnClickThenOpensTheMenuBelowOrBesideAndLeavesTheButtonReleased)
{
    auto* a = AddButton("A", 40, 30, 75, 25);
    std::vector<std::string> chosen;
    TPopupMenu* menu = ChoiceMenu(chosen);
    a->SetDropDownMenu(menu);
    a->SetDropDownIndent(5);
    a->SetOnDropDown(TNotifyEvent::From([&](TObject*) {
        const bool pushed = SendMessageA(a->Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED;
        log.lines.push_back(std::string("A dropdown") + (pushed ? " pushed" : "") + (a->MenuOpen() ? " open" : ""));
    }));
    ShowForm();
    for (bool right : {false, true}) {
        log.lines.clear();
        a->SetDropDownRight(right);
        // The item's accelerator chooses it whichever item the open menu has selected already.
        zcltest::MenuWatcher watcher({WPARAM('S')});
        ClickOn(a);
        ASSERT_TRUE(PumpUntil([&] { return watcher.opened && !a->MenuOpen(); }, 20000)) << right;
        watcher.Finish();
        const TPoint at = right ? a->ClientToScreen(TPoint(a->Width(), 5)) : a->ClientToScreen(TPoint(5, a->Height()));
        EXPECT_EQ(watcher.rect.left, at.x) << right;
        EXPECT_EQ(watcher.rect.top, at.y) << right;
        EXPECT_EQ(watcher.items, (std::vector<std::string>{"&First", "&Second"}));
        std::vector<std::string> events;
        for (const std::string& l : log.lines)
            if (l != "A enter" && l != "A exit") events.push_back(l);
        EXPECT_EQ(events, (std::vector<std::string>{"A click", "A dropdown pushed open"})) << right;
        EXPECT_EQ(menu->PopupComponent(), a);
        EXPECT_FALSE(SendMessageA(a->Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) << "shown released";
        EXPECT_EQ(a->State(), bsUp);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_TRUE(a->Focused());
    }
    EXPECT_EQ(chosen, (std::vector<std::string>{"&Second", "&Second"}));
    delete menu;
    EXPECT_EQ(a->DropDownMenu(), nullptr) << "a freed menu is forgotten";
    ClickOn(a);
    EXPECT_TRUE(PumpUntil([&] { return log.Count("A click") == 2; }, 3000));
    EXPECT_EQ(zcltest::FindOpenMenu(), nullptr);
}

// Fonts and glyphs -------------------------------------------------------------------------------------------

TEST_F(PushButtons, ATurnedCaptionTakesATrueTypeFontAndFontChangesEndParentFont)
{
    auto* a = AddButton("A", 20, 20);
    ASSERT_TRUE(a->ParentFont());
    a->FontFX()->SetAngle(0);
    a->FontFX()->SetPos(0, 3);
    EXPECT_FALSE(a->ParentFont()) << "an effects change";
    ASSERT_TRUE(drawtest::LoadBitmapFont()) << "Wine's coure.fon is needed for a font that is not TrueType";
    const AnsiString raster = "Courier";
    a->Font()->SetName(raster);
    ASSERT_FALSE(ZCLIsTrueTypeFont(a->Font()));
    a->FontFX()->SetAngle(90);
    EXPECT_EQ(a->Font()->Name(), AnsiString("Arial"));
    EXPECT_EQ(a->FontFX()->Angle(), 90);
    a->Font()->SetName(raster);
    EXPECT_EQ(a->FontFX()->Angle(), 0) << "a font that cannot turn sets the angle back";
}

TEST_F(PushButtons, TheGlyphFollowsTheImageListUntilOneOfItsOwnIsSet)
{
    auto* a = AddButton("", 20, 20);
    TZCLImageList list(nullptr);
    list.Add();
    auto* item = list.StripItem(0);
    item->SetWidth(16);
    item->SetHeight(16);
    // Green on white: white, the bottom-left colour, is the transparent one.
    auto green = drawtest::MakeBitmap(16, 16, [](int x, int y) {
        return x >= 2 && x < 14 && y >= 2 && y < 14 ? 0x00FF00u : 0xFFFFFFu;
    });
    item->Add(green.get(), nullptr);
    a->SetImageList(&list);
    ASSERT_EQ(a->Glyph()->Width(), 16);
    EXPECT_EQ(COLORREF(a->Glyph()->Canvas()->Pixels(5, 5)) & 0xFFFFFF, RGB(0, 255, 0));
    FaceRender shown(a, 0);
    EXPECT_EQ(shown.At(a->Width() / 2, a->Height() / 2), RGB(0, 255, 0)) << "drawn in the middle";

    auto red = drawtest::MakeBitmap(8, 8, [](int, int) { return 0x0000FFu; });
    a->SetGlyph(red.get());
    EXPECT_EQ(a->ImageList(), nullptr);
    list.Change();
    EXPECT_EQ(a->Glyph()->Width(), 8);
}

TEST_F(PushButtons, AFreedImageListIsForgotten)
{
    auto* a = AddButton("", 20, 20);
    auto* list = new TZCLImageList(form.get());
    a->SetImageList(list);
    delete list;
    EXPECT_EQ(a->ImageList(), nullptr);
    FaceRender after(a, 0);
    EXPECT_EQ(after.At(2, 2), Sys(COLOR_BTNFACE));
}

}  // namespace
