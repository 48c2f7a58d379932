// Mouse routing, capture, clicks, enter and leave, focus and dialog keys, driven by real input on the display.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlTestHelpers.h"

using namespace controltest;

namespace {

class Input : public testing::Test {
protected:
    void SetUp() override
    {
        MouseTo(1000, 750);  // away from every window
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 300, 200);
        form->SetColor(clWhite);
        boxA = new TBox(form.get(), clRed);
        boxA->SetName("A");
        boxA->SetParent(form.get());
        boxA->SetBounds(10, 10, 50, 40);
        boxB = new TBox(form.get(), clBlue);
        boxB->SetName("B");
        boxB->SetParent(form.get());
        boxB->SetBounds(70, 10, 50, 40);
        panel = new TPanelish(form.get());
        panel->SetName("C");
        panel->SetParent(form.get());
        panel->SetColor(clLime);
        panel->SetBounds(150, 10, 60, 60);
        for (TControl* c : std::vector<TControl*>{boxA, boxB}) {
            c->SetOnMouseDown(TMouseEvent::From([this, c](TObject*, TMouseButton, TShiftState s, int x, int y) {
                events.push_back(std::string(c->Name().c_str()) + " down " + std::to_string(x) + "," +
                                 std::to_string(y) + (s.Contains(ssDouble) ? " double" : ""));
            }));
            c->SetOnMouseUp(TMouseEvent::From([this, c](TObject*, TMouseButton, TShiftState, int x, int y) {
                events.push_back(std::string(c->Name().c_str()) + " up " + std::to_string(x) + "," +
                                 std::to_string(y));
            }));
            c->SetOnClick(TNotifyEvent::From([this, c](TObject*) { events.push_back(c->Name().c_str() + std::string(" click")); }));
            c->SetOnDblClick(
                TNotifyEvent::From([this, c](TObject*) { events.push_back(c->Name().c_str() + std::string(" dblclick")); }));
        }
        form->Show();
        Activate(form.get());
    }
    void TearDown() override { MouseTo(1000, 750); }

    std::unique_ptr<TForm> form;
    TBox* boxA;
    TBox* boxB;
    TPanelish* panel;
    std::vector<std::string> events;
};

TEST_F(Input, AClickOnAWindowlessChildReachesItWithItsOwnCoordinates)
{
    MouseTo(100 + 20, 100 + 15);
    MouseButton(true);
    EXPECT_EQ(GetCapture(), form->Handle()) << "the parent's window holds the capture for its child";
    MouseButton(false);
    EXPECT_EQ(events, (std::vector<std::string>{"A down 10,5", "A click", "A up 10,5"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, ReleasingOutsideAfterPressingInsideStillReachesTheChildButDoesNotClick)
{
    MouseTo(100 + 20, 100 + 15);
    MouseButton(true);
    MouseTo(100 + 90, 100 + 20);  // over B now
    MouseTo(600, 500);            // outside the form
    MouseButton(false);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], "A down 10,5");
    EXPECT_EQ(events[1], "A up 490,390") << "the capture keeps the messages on A";
}

TEST_F(Input, ADisabledChildLetsTheParentHaveTheMouse)
{
    boxA->SetEnabled(false);
    MouseTo(100 + 20, 100 + 15);
    MouseButton(true);
    MouseButton(false);
    EXPECT_TRUE(events.empty());
}

TEST_F(Input, DoubleClickNeedsTheChildsStyle)
{
    MouseTo(100 + 80, 100 + 20);
    MouseButton(true);
    MouseButton(false);
    MouseButton(true);
    MouseButton(false);
    EXPECT_EQ(events, (std::vector<std::string>{"B down 10,10", "B click", "B up 10,10", "B dblclick",
                                                "B down 10,10 double", "B click", "B up 10,10"}));
    events.clear();
    Pump(600);  // past the double-click time
    boxB->SetControlStyle(boxB->ControlStyle() - TControlStyle{csDoubleClicks});
    MouseButton(true);
    MouseButton(false);
    MouseButton(true);
    MouseButton(false);
    EXPECT_EQ(events, (std::vector<std::string>{"B down 10,10", "B click", "B up 10,10", "B down 10,10", "B click",
                                                "B up 10,10"}));
}

TEST_F(Input, EnterAndLeaveForWindowlessAndWindowedControls)
{
    auto log = [&] {
        std::vector<std::string> all = boxA->log;
        all.insert(all.end(), boxB->log.begin(), boxB->log.end());
        all.insert(all.end(), panel->log.begin(), panel->log.end());
        boxA->log.clear();
        boxB->log.clear();
        panel->log.clear();
        return all;
    };
    MouseTo(100 + 20, 100 + 20);
    EXPECT_EQ(log(), (std::vector<std::string>{"enter A"}));
    EXPECT_EQ(MouseControl(), boxA);
    MouseTo(100 + 90, 100 + 20);
    EXPECT_EQ(log(), (std::vector<std::string>{"leave A", "enter B"}));
    MouseTo(100 + 170, 100 + 30);
    EXPECT_EQ(log(), (std::vector<std::string>{"leave B", "enter C"}));
    boxA->SetEnabled(false);  // disabled controls are told as well
    MouseTo(100 + 20, 100 + 20);
    EXPECT_EQ(log(), (std::vector<std::string>{"enter A", "leave C"}));
    MouseTo(800, 600);  // outside every window of the program
    PumpUntil([&] { return MouseControl() == nullptr; }, 1000);
    EXPECT_EQ(MouseControl(), nullptr);
    EXPECT_EQ(log(), (std::vector<std::string>{"leave A"}));
}

// Focus and keys on a dialog.
class Keys : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsDialog);
        form->SetBounds(100, 100, 320, 200);
        TComponentLoader loading(form.get());
        edit1 = loading.Create<TTestEdit>();
        edit1->SetName("Edit1");
        edit1->SetParent(form.get());
        edit1->SetBounds(10, 10, 80, 20);
        tabEdit = loading.Create<TTestEdit>(DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS);
        tabEdit->SetName("TabEdit");
        tabEdit->SetParent(form.get());
        tabEdit->SetBounds(100, 10, 80, 20);
        edit2 = loading.Create<TTestEdit>();
        edit2->SetName("Edit2");
        edit2->SetParent(form.get());
        edit2->SetBounds(190, 10, 80, 20);
        edit2->SetTabOrder(1);  // before tabEdit
        ok = loading.Create<TTestButton>();
        ok->SetParent(form.get());
        ok->SetBounds(10, 100, 75, 25);
        ok->isDefault = true;
        ok->modalResult = mrOk;
        cancel = loading.Create<TTestButton>();
        cancel->SetParent(form.get());
        cancel->SetBounds(100, 100, 75, 25);
        cancel->isCancel = true;
        cancel->modalResult = mrCancel;
        form->SetActiveControl(edit1);
        loading.Finish();
        for (TWinControl* c : std::vector<TWinControl*>{edit1, tabEdit, edit2}) {
            c->SetOnEnter(TNotifyEvent::From([this, c](TObject*) { focus.push_back("enter " + std::string(c->Name().c_str())); }));
            c->SetOnExit(TNotifyEvent::From([this, c](TObject*) { focus.push_back("exit " + std::string(c->Name().c_str())); }));
        }
    }
    void ShowAndActivate()
    {
        form->Show();
        Activate(form.get());
        ASSERT_TRUE(PumpUntil([&] { return edit1->Focused(); }));
    }

    std::unique_ptr<TForm> form;
    TTestEdit *edit1, *tabEdit, *edit2;
    TTestButton *ok, *cancel;
    std::vector<std::string> focus;
};

TEST_F(Keys, TabMovesInTabOrderWithEnterAndExit)
{
    ShowAndActivate();
    EXPECT_EQ(form->ActiveControl(), edit1);
    focus.clear();
    Key(VK_TAB);
    EXPECT_TRUE(edit2->Focused());
    EXPECT_EQ(form->ActiveControl(), edit2);
    Key(VK_TAB, {VK_SHIFT});
    EXPECT_TRUE(edit1->Focused());
    EXPECT_EQ(focus, (std::vector<std::string>{"exit Edit1", "enter Edit2", "exit Edit2", "enter Edit1"}));
    EXPECT_TRUE(edit1->keys.empty()) << "a dialog key the control does not want never reaches its KeyDown";
}

TEST_F(Keys, AControlThatWantsTabKeepsIt)
{
    ShowAndActivate();
    tabEdit->SetFocus();
    Key(VK_TAB);
    EXPECT_TRUE(tabEdit->Focused());
    EXPECT_EQ(tabEdit->keys, std::vector<WORD>{VK_TAB});
    Key(VK_LEFT);
    EXPECT_TRUE(tabEdit->Focused());
    EXPECT_EQ(tabEdit->keys.back(), VK_LEFT);
}

TEST_F(Keys, EnterClicksTheDefaultButtonAndEscapeTheCancelButton)
{
    ShowAndActivate();
    Key(VK_RETURN);
    EXPECT_EQ(ok->clicks, 1);
    EXPECT_EQ(cancel->clicks, 0);
    Key(VK_ESCAPE);
    EXPECT_EQ(cancel->clicks, 1);
    cancel->SetFocus();
    Key(VK_RETURN);  // the focused button is the default now
    EXPECT_EQ(cancel->clicks, 2);
    EXPECT_EQ(ok->clicks, 1);
}

TEST_F(Keys, ShowModalEndsWithTheButtonsResult)
{
    std::vector<std::string> steps;
    // Keys typed once the form is up.
    const int id = form->AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg == WM_APP + 50) {
            Activate(form.get());
            edit1->SetFocus();
            Key(VK_RETURN);
            steps.push_back("typed");
        }
        return false;
    }));
    form->HandleNeeded();
    PostMessageA(form->Handle(), WM_APP + 50, 0, 0);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(steps.size(), 1u);
    EXPECT_FALSE(form->Visible());
    form->RemoveWindowHook(id);
}

}  // namespace
