// The button panel: the grid its buttons are laid out in and the size it takes, cell sizes that cannot divide
// by zero, the style copied to every button, and a real click reaching OnButtonClick with the button's place.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "ZclButtonTestHelpers.h"
#include "zcl/buttons/Zclbuttonpanel.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/graphics/Zclbevel.h"

using namespace zclbtn;

namespace {

class ButtonPanels : public ButtonForm {
protected:
    TZCLButtonPanel* AddPanel(int innerWidth, int innerHeight, int buttons)
    {
        auto* p = new TZCLButtonPanel(form.get());
        p->SetParent(form.get());
        for (int i = 0; i < buttons; ++i) p->AddButton();
        const int b = p->BevelExt();
        p->SetBounds(10, 10, innerWidth + 2 * b, innerHeight + 2 * b);
        return p;
    }
    static TRect CellOf(TZCLButtonPanel* p, int i) { return p->Buttons()->Items(i)->SpeedButton()->BoundsRect(); }
};

TEST_F(ButtonPanels, ButtonsFillAGridAsWideAsFitsAndThePanelTakesItsSize)
{
    const struct {
        int innerWidth, innerHeight, buttons;
        int columns, rows;
    } cases[] = {
        {70, 40, 7, 3, 3},   // the Part's own example: rows grow to hold them all
        {70, 200, 7, 3, 3},  // a tall panel loses the rows it does not need
        {200, 20, 4, 4, 1},  // all in one row
        {30, 40, 3, 1, 3},   // one column
        {10, 10, 2, 1, 2},   // narrower than a cell: still one column
        {70, 60, 1, 1, 1},
    };
    for (const auto& c : cases) {
        auto* p = AddPanel(c.innerWidth, c.innerHeight, c.buttons);
        const int b = p->BevelExt();
        EXPECT_EQ(p->Width(), c.columns * 20 + 2 * b) << c.innerWidth << "x" << c.innerHeight;
        EXPECT_EQ(p->Height(), c.rows * 20 + 2 * b) << c.innerWidth << "x" << c.innerHeight;
        for (int i = 0; i < c.buttons; ++i) {
            const TRect r = CellOf(p, i);
            EXPECT_EQ(r.left, b + (i % c.columns) * 20) << i;
            EXPECT_EQ(r.top, b + (i / c.columns) * 20) << i;
            EXPECT_EQ(r.Width(), 20);
            EXPECT_EQ(r.Height(), 20);
            EXPECT_EQ(p->Buttons()->Items(i)->SpeedButton()->Tag(), i);
        }
        delete p;
    }
}

TEST_F(ButtonPanels, ThePanelLaysOutAgainWhenResizedOrWhenButtonsComeAndGo)
{
    auto* p = AddPanel(70, 40, 7);
    const int b = p->BevelExt();
    ASSERT_EQ(p->Width(), 60 + 2 * b);
    p->SetWidth(140 + 2 * b);
    EXPECT_EQ(p->Width(), 140 + 2 * b) << "seven columns now";
    EXPECT_EQ(p->Height(), 20 + 2 * b);
    delete p->Buttons()->Items(6);
    EXPECT_EQ(p->Width(), 120 + 2 * b) << "at most as many columns as buttons";
    EXPECT_EQ(p->InsertButton(0), 0);
    EXPECT_EQ(p->Width(), 120 + 2 * b) << "six columns fit the panel as it is now";
    EXPECT_EQ(p->Height(), 40 + 2 * b);
    EXPECT_EQ(p->Buttons()->Items(1)->SpeedButton()->Tag(), 1);
    EXPECT_EQ(CellOf(p, 1).left, b + 20);
    p->SetButtonWidth(30);
    p->SetButtonHeight(10);
    EXPECT_EQ(CellOf(p, 1).Width(), 30);
    EXPECT_EQ(CellOf(p, 1).Height(), 10);
}

TEST_F(ButtonPanels, CellSizesBelowOneCountAsOne)
{
    auto* p = AddPanel(70, 40, 3);
    for (int size : {0, -5}) {
        p->SetButtonWidth(size);
        p->SetButtonHeight(size);
        EXPECT_EQ(p->ButtonWidth(), 1);
        EXPECT_EQ(p->ButtonHeight(), 1);
        p->SetWidth(50);
        p->AddButton();
        EXPECT_EQ(CellOf(p, 0).Width(), 1);
    }
}

TEST_F(ButtonPanels, TheWindowsBevelKeepsTheWindowsBorderRoundTheGrid)
{
    auto* p = AddPanel(70, 40, 4);
    p->Bevel()->SetMode(bmWindows);
    p->HandleNeeded();
    p->SetBounds(10, 10, 100, 100);
    ASSERT_GT(p->Width() - p->ClientWidth(), 0) << "a window border";
    EXPECT_EQ(p->ClientWidth(), 80) << "four columns inside the border";
    EXPECT_EQ(p->ClientHeight(), 20);
    EXPECT_EQ(CellOf(p, 0).left, 0);
}

TEST_F(ButtonPanels, TheButtonStyleGoesToEveryButtonAlsoLaterOnes)
{
    auto* p = AddPanel(70, 40, 2);
    p->SetButtonStyle(ubsFlat);
    p->AddButton();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(p->Buttons()->Items(i)->SpeedButton()->Style(), ubsFlat) << i;
}

TEST_F(ButtonPanels, ARealClickOnAButtonTellsThePanelWhichOne)
{
    auto* p = AddPanel(70, 40, 5);
    std::vector<std::string> clicks;
    p->SetOnButtonClick(TZCLButtonPanelClickEvent::From([&](TObject* sender, TZCLSpeedButton* button, int index) {
        clicks.push_back(std::to_string(index) + (sender == p ? " panel" : " ?") +
                         (button == p->Buttons()->Items(index)->SpeedButton() ? " button" : " ?"));
    }));
    ShowForm();
    ClickOn(p->Buttons()->Items(4)->SpeedButton());
    ClickOn(p->Buttons()->Items(0)->SpeedButton());
    ASSERT_TRUE(PumpUntil([&] { return clicks.size() == 2; }, 3000));
    EXPECT_EQ(clicks, (std::vector<std::string>{"4 panel button", "0 panel button"}));
}

}  // namespace
