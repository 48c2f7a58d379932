// Hint windows shown for real pointer rests over real windows, and what hides them.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ControlTestHelpers.h"
#include "framework/visual/Hints.h"
#include "support/HintWindows.h"

using namespace controltest;

namespace {

using hinttest::VisibleHint;

bool AwaitHint(const std::string& text) { return PumpUntil([&] { return VisibleHint().text == text; }, 5000); }
bool AwaitNoHint() { return PumpUntil([] { return VisibleHint().wnd == nullptr; }, 5000); }

class Hints : public testing::Test {
protected:
    void SetUp() override
    {
        MouseTo(1000, 750);
        Application->CancelHint();
        Application->SetHintPause(50);
        Application->SetHintHidePause(600000);  // hides only when a test asks for it
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 200);
        form->SetColor(clWhite);
        panel = new TPanelish(form.get());
        panel->SetParent(form.get());
        panel->SetBounds(200, 10, 150, 150);
        inner = new TBox(panel, clBlue);
        inner->SetParent(panel);
        inner->SetBounds(10, 10, 60, 40);
        box = new TBox(form.get(), clRed);
        box->SetParent(form.get());
        box->SetBounds(10, 10, 80, 40);
        plain = new TBox(form.get(), clGreen);
        plain->SetParent(form.get());
        plain->SetBounds(10, 100, 80, 40);
        plain->SetShowHint(false);
        form->Show();
        Activate(form.get());
    }
    void TearDown() override
    {
        MouseTo(1000, 750);
        Application->CancelHint();
        Application->SetHintPause(500);
        Application->SetHintHidePause(2500);
        Application->SetOnHint(TNotifyEvent());
        form.reset();
    }
    // Rests the pointer on a control's centre.
    void RestOn(TControl* c)
    {
        const TPoint p = c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2));
        MouseTo(p.x, p.y);
    }

    std::unique_ptr<TForm> form;
    TPanelish* panel;
    TBox* inner;
    TBox* box;
    TBox* plain;
};

TEST_F(Hints, APointerRestingOnAControlShowsItsShortHintBelowThePointer)
{
    box->SetHint("Short|The long one");
    box->SetShowHint(true);
    RestOn(box);
    ASSERT_TRUE(AwaitHint("Short"));
    POINT p;
    GetCursorPos(&p);
    const ShownHint h = VisibleHint();
    EXPECT_GE(h.rect.left, p.x - 2);
    EXPECT_LE(h.rect.left, p.x + 40);
    EXPECT_GT(h.rect.top, p.y);
    EXPECT_LE(h.rect.top, p.y + 40);
    EXPECT_GT(h.rect.right - h.rect.left, 10);
    EXPECT_EQ(Application->Hint(), "The long one");
    EXPECT_NE(GetForegroundWindow(), h.wnd) << "the hint never takes the activation";
    EXPECT_EQ(COLORREF(GetWindowLongA(h.wnd, GWL_EXSTYLE) & WS_EX_TOPMOST), COLORREF(WS_EX_TOPMOST));
}

TEST_F(Hints, TheHintShownIsTheOneOfTheNearestControlThatShowsHints)
{
    struct Case {
        const char* what;
        bool formShows, panelShows, innerShows, innerParent;
        const char* innerHint;
        const char* panelHint;
        const char* expected;
    };
    const Case cases[] = {
        {"own setting", false, false, true, false, "Inner", "Panel", "Inner"},
        {"through the form two levels up", true, false, false, true, "Inner", "Panel", "Inner"},
        {"the panel's, the control not showing", false, true, false, false, "Inner", "Panel", "Panel"},
        {"the parent's text for an empty hint", false, false, true, false, "", "Panel", "Panel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MouseTo(1000, 750);
        ASSERT_TRUE(AwaitNoHint());
        inner->SetHint(c.innerHint);
        panel->SetHint(c.panelHint);
        inner->SetShowHint(c.innerShows);
        if (c.innerParent) inner->SetParentShowHint(true);
        panel->SetShowHint(c.panelShows);
        if (c.formShows) panel->SetParentShowHint(true);
        form->SetShowHint(c.formShows);
        RestOn(inner);
        EXPECT_TRUE(AwaitHint(c.expected)) << "shown: " << VisibleHint().text;
    }
}

TEST_F(Hints, LeavingClickingOrTypingHidesTheHint)
{
    box->SetHint("Box");
    box->SetShowHint(true);
    const std::function<void()> hiders[] = {
        [] { MouseTo(1000, 750); },      // off the form
        [this] { RestOn(plain); },       // onto a control without hints
        [] { MouseButton(true); MouseButton(false); },
        [] { Key('A'); },
    };
    for (const auto& hide : hiders) {
        RestOn(box);
        ASSERT_TRUE(AwaitHint("Box"));
        hide();
        EXPECT_TRUE(AwaitNoHint());
        MouseTo(1000, 750);
    }
}

TEST_F(Hints, AfterAClickTheHintComesBackWhenThePointerMovesAgain)
{
    box->SetHint("Box");
    box->SetShowHint(true);
    RestOn(box);
    ASSERT_TRUE(AwaitHint("Box"));
    MouseButton(true);
    MouseButton(false);
    ASSERT_TRUE(AwaitNoHint());
    const TPoint p = box->ClientToScreen(TPoint(5, 5));
    MouseTo(p.x, p.y);
    EXPECT_TRUE(AwaitHint("Box"));
}

TEST_F(Hints, TheHintGoesAfterTheHidePauseAndStaysAwayWhileThePointerStays)
{
    box->SetHint("Box");
    box->SetShowHint(true);
    Application->SetHintHidePause(200);
    RestOn(box);
    ASSERT_TRUE(AwaitHint("Box"));
    EXPECT_TRUE(AwaitNoHint());
    // Moving inside the same control does not bring it back; another control's hint does show.
    const TPoint p = box->ClientToScreen(TPoint(4, 4));
    MouseTo(p.x, p.y);
    plain->SetShowHint(true);
    plain->SetHint("Plain");
    RestOn(plain);
    EXPECT_TRUE(AwaitHint("Plain"));
}

TEST_F(Hints, HideHintHidesTheWindowAndTheHintDoesNotReturnForTheSameControl)
{
    panel->SetShowHint(true);
    panel->SetHint("Panel");
    RestOn(inner);
    ASSERT_TRUE(AwaitHint("Panel"));
    Application->HideHint();
    EXPECT_EQ(VisibleHint().wnd, nullptr);
    // Onto the panel itself: the same hint's control, so nothing starts again, until the pointer has been away.
    const TPoint p = panel->ClientToScreen(TPoint(100, 120));
    MouseTo(p.x, p.y);
    MouseTo(1000, 750);
    RestOn(inner);
    EXPECT_TRUE(AwaitHint("Panel"));
}

TEST_F(Hints, TheApplicationsHintFollowsThePointerAndOnHintTellsOfEachChange)
{
    std::vector<std::string> seen;
    Application->SetOnHint(TNotifyEvent::From([&](TObject*) { seen.push_back(Application->Hint().c_str()); }));
    box->SetHint("Box|Long box");
    plain->SetHint("Plain");  // shows no hint window, but is the long hint all the same
    RestOn(box);
    RestOn(plain);
    MouseTo(1000, 750);
    ASSERT_TRUE(PumpUntil([&] { return Application->Hint().IsEmpty(); }));
    EXPECT_EQ(seen, (std::vector<std::string>{"Long box", "Plain", ""}));
}

TEST_F(Hints, SwitchedOffForTheApplicationNoHintShows)
{
    box->SetHint("Box");
    box->SetShowHint(true);
    RestOn(box);
    ASSERT_TRUE(AwaitHint("Box"));
    Application->SetShowHint(false);
    EXPECT_EQ(VisibleHint().wnd, nullptr);
    Application->SetShowHint(true);
}

TEST_F(Hints, FreeingTheControlUnderTheHintHidesIt)
{
    box->SetHint("Box");
    box->SetShowHint(true);
    RestOn(box);
    ASSERT_TRUE(AwaitHint("Box"));
    delete box;
    box = nullptr;
    EXPECT_EQ(VisibleHint().wnd, nullptr);
}

TEST(HintText, ShortAndLongParts)
{
    struct Case {
        const char* hint;
        const char* shortPart;
        const char* longPart;
    };
    const Case cases[] = {{"", "", ""}, {"Both", "Both", "Both"}, {"S|L", "S", "L"}, {"S|L|M", "S", "L|M"},
                          {"|L", "", "L"}, {"S|", "S", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(GetShortHint(c.hint), c.shortPart) << c.hint;
        EXPECT_EQ(GetLongHint(c.hint), c.longPart) << c.hint;
    }
}

}  // namespace
