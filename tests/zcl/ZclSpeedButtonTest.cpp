// Graphic and speed buttons: groups set from code and by real clicks, the states a press goes through, repeated
// clicks while held (and their end when the release is never seen), mouse enter and exit once per crossing,
// accelerators, drop-down widths, stock glyphs and border widths, and the faces painted in each state.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "ZclButtonTestHelpers.h"
#include "framework/visual/ActnList.h"
#include "framework/visual/ImgList.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/Menus.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclglyph.h"
#include "zcl/graphics/Zclutilsdraw.h"

using namespace zclbtn;

namespace {

class SpeedButtons : public ButtonForm {
protected:
    // A repeat button "A" on the shown form, held down by the real mouse; delay 0 keeps the default.
    TZCLSpeedButton* HeldRepeatButton(std::uint16_t delay = 0)
    {
        auto* a = Add<TZCLSpeedButton>(20, 20);
        a->SetRepeatedClick(true);
        if (delay) a->SetRepeatingDelay(delay);
        log.Watch(a, "A");
        ShowForm();
        MouseToCentre(a);
        Press();
        return a;
    }
};

// Groups ---------------------------------------------------------------------------------------------------------

TEST_F(SpeedButtons, PressingOneGroupMemberReleasesTheOthersOfItsParentOnly)
{
    auto* a = Add<TZCLSpeedButton>(10, 10);
    auto* b = Add<TZCLSpeedButton>(60, 10);
    auto* c = Add<TZCLSpeedButton>(110, 10);
    auto* other = new controltest::TPanelish(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 100, 200, 60);
    auto* d = Add<TZCLSpeedButton>(10, 10, 40, 30, other);
    auto* loner = Add<TZCLSpeedButton>(160, 10);
    for (TZCLSpeedButton* x : {a, b, c, d}) x->SetGroupIndex(1);
    loner->SetGroupIndex(2);
    loner->SetPressed(true);

    d->SetPressed(true);
    a->SetPressed(true);
    EXPECT_TRUE(a->Pressed());
    EXPECT_EQ(a->State(), bsOptionSet);
    EXPECT_TRUE(d->Pressed()) << "another parent's member of the same group";
    b->SetPressed(true);
    EXPECT_FALSE(a->Pressed());
    EXPECT_EQ(a->State(), bsUp);
    EXPECT_EQ(a->PrevState(), bsOptionSet);
    EXPECT_TRUE(b->Pressed());
    EXPECT_FALSE(c->Pressed());
    EXPECT_TRUE(d->Pressed());
    EXPECT_TRUE(loner->Pressed()) << "another group";
}

TEST_F(SpeedButtons, WithoutAllowAllUpTheOnlyPressedMemberStaysPressed)
{
    auto* a = Add<TZCLSpeedButton>(10, 10);
    auto* b = Add<TZCLSpeedButton>(60, 10);
    a->SetGroupIndex(3);
    b->SetGroupIndex(3);
    a->SetPressed(true);
    a->SetPressed(false);
    EXPECT_TRUE(a->Pressed());
    EXPECT_EQ(a->State(), bsOptionSet);

    // Every member takes the value one of them is given.
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp());
    a->SetPressed(false);
    EXPECT_FALSE(a->Pressed());
    EXPECT_EQ(a->State(), bsUp);
}

TEST_F(SpeedButtons, PressedNeedsAGroupAndLeavingTheGroupReleases)
{
    auto* a = Add<TZCLSpeedButton>(10, 10);
    a->SetPressed(true);
    EXPECT_FALSE(a->Pressed()) << "no group";
    EXPECT_EQ(a->State(), bsUp);
    a->SetGroupIndex(4);
    a->SetPressed(true);
    ASSERT_TRUE(a->Pressed());
    a->SetGroupIndex(0);
    EXPECT_FALSE(a->Pressed()) << "outside a group nothing could release it";
    EXPECT_EQ(a->State(), bsUp);
}

TEST_F(SpeedButtons, DisablingAndEnablingShowTheDisabledStates)
{
    auto* a = Add<TZCLSpeedButton>(10, 10);
    a->SetGroupIndex(1);
    const struct {
        bool pressed, enabled;
        TZCLButtonState state;
    } cases[] = {{false, false, bsDisabledUp}, {true, false, bsDisabledDown}, {true, true, bsOptionSet},
                 {false, true, bsUp}};
    a->SetAllowAllUp(true);
    for (const auto& c : cases) {
        a->SetEnabled(true);
        a->SetPressed(c.pressed);
        a->SetEnabled(c.enabled);
        EXPECT_EQ(a->State(), c.state) << c.pressed << c.enabled;
    }
}

// Real clicks ----------------------------------------------------------------------------------------------------

TEST_F(SpeedButtons, APressShowsDownInsideAndUpOutsideAndClicksOnlyWhenReleasedInside)
{
    auto* a = Add<TZCLSpeedButton>(20, 20, 60, 40);
    log.Watch(a, "A");
    ShowForm();

    MouseToCentre(a);
    Press();
    EXPECT_EQ(a->State(), bsDown);
    MouseToControl(a, 100, 20);
    EXPECT_EQ(a->State(), bsUp) << "held outside";
    MouseToControl(a, 30, 20);
    EXPECT_EQ(a->State(), bsDown) << "back inside";
    Release();
    EXPECT_EQ(a->State(), bsUp);
    EXPECT_EQ(log.Count("A click"), 1);

    MouseToCentre(a);
    Press();
    MouseToControl(a, 100, 20);
    Release();
    EXPECT_EQ(log.Count("A click"), 1) << "released outside";
    EXPECT_EQ(a->State(), bsUp);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SpeedButtons, ClicksToggleGroupMembersAndReleaseTheOthers)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    auto* b = Add<TZCLSpeedButton>(80, 20);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    log.Watch(a, "A");
    log.Watch(b, "B");
    ShowForm();

    ClickOn(a);
    EXPECT_TRUE(a->Pressed());
    ClickOn(a);
    EXPECT_TRUE(a->Pressed()) << "without AllowAllUp a click leaves it down";
    MouseToCentre(a);
    Press();
    EXPECT_EQ(a->State(), bsOptionSet) << "a press on a pressed member keeps its look";
    Release();
    ClickOn(b);
    EXPECT_TRUE(b->Pressed());
    EXPECT_FALSE(a->Pressed());
    EXPECT_EQ(a->State(), bsUp);

    b->SetAllowAllUp(true);
    ClickOn(b);
    EXPECT_FALSE(b->Pressed());
    EXPECT_FALSE(a->Pressed());
    EXPECT_EQ((std::vector<std::string>{"A click", "A click", "A click", "B click", "B click"}), log.Of("click"));
}

TEST_F(SpeedButtons, ADoubleClickFiresOnlyOnAPressedButton)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    auto* b = Add<TZCLSpeedButton>(80, 20);
    b->SetGroupIndex(1);
    b->SetPressed(true);
    log.Watch(a, "A");
    log.Watch(b, "B");
    ShowForm();
    // Time enough for the second click of each pair to count as a double click.
    const UINT doubleClickTime = GetDoubleClickTime();
    SetDoubleClickTime(5000);
    ClickOn(a);
    ClickOn(a);
    ClickOn(b);
    ClickOn(b);
    SetDoubleClickTime(doubleClickTime);
    const std::vector<std::string> expected{"A click", "A click", "B click", "B dblclick", "B click"};
    std::vector<std::string> seen = log.lines;
    std::erase_if(seen, [](const std::string& l) { return l.ends_with("enter") || l.ends_with("exit"); });
    EXPECT_EQ(expected, seen) << "two clicks of a plain button are two clicks";
}

TEST_F(SpeedButtons, ADisabledButtonGetsNoClickAndNoEnter)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    a->SetTrackMouseOver(true);
    log.Watch(a, "A");
    a->SetEnabled(false);
    ShowForm();
    ClickOn(a);
    Pump(150);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(a->State(), bsDisabledUp);
    EXPECT_EQ(a->TimerId(ZCLMouseOverTimer), 0);
}

// Repeated clicks ------------------------------------------------------------------------------------------------

TEST_F(SpeedButtons, AHeldRepeatButtonClicksAfterTheDelayThenAtTheIntervalAndStopsOnRelease)
{
    auto* a = HeldRepeatButton();
    const std::uint16_t id = a->TimerId(ZCLRepeatTimer);
    ASSERT_NE(id, 0);
    ASSERT_NE(ZCLApplication->GetTimer(id), nullptr);
    EXPECT_EQ(ZCLApplication->GetTimer(id)->Interval(), 500) << "the first click waits RepeatingDelay";
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") >= 1; }, 5000));
    EXPECT_EQ(ZCLApplication->GetTimer(id)->Interval(), 100) << "then RepeatingInterval";
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") >= 4; }, 5000));
    Release();
    EXPECT_EQ(a->TimerId(ZCLRepeatTimer), 0);
    EXPECT_EQ(ZCLApplication->GetTimer(id), nullptr);
    const int clicks = log.Count("A click");
    Pump(400);
    EXPECT_EQ(log.Count("A click"), clicks) << "nothing after the release's own click";
    EXPECT_EQ(a->State(), bsUp);
}

TEST_F(SpeedButtons, RepeatTicksOutsideTheButtonDoNotClick)
{
    auto* a = HeldRepeatButton(100);
    MouseToControl(a, 200, 100);
    const std::uint16_t id = a->TimerId(ZCLRepeatTimer);
    ASSERT_NE(id, 0);
    // The delay is one that ticks soon; once it has, the button is held outside.
    ASSERT_TRUE(PumpUntil([&] { return ZCLApplication->GetTimer(id)->CallsMade() >= 3; }, 5000));
    EXPECT_EQ(log.Count("A click"), 0);
    EXPECT_EQ(a->State(), bsUp);
    Release();
    EXPECT_EQ(log.Count("A click"), 0);
}

TEST_F(SpeedButtons, ARepeatWhosePressIsTakenAwayStopsAtItsNextTick)
{
    auto* a = HeldRepeatButton();
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") >= 1; }, 5000));
    // Another window takes the capture while the button is still held over the button.
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetCapture(other);
    ASSERT_TRUE(PumpUntil([&] { return a->TimerId(ZCLRepeatTimer) == 0; }, 5000)) << "the repeat ran away";
    const int clicks = log.Count("A click");
    EXPECT_EQ(a->State(), bsUp);
    Pump(400);
    EXPECT_EQ(log.Count("A click"), clicks);
    ReleaseCapture();
    DestroyWindow(other);
    Release();
    EXPECT_EQ(log.Count("A click"), clicks) << "the release after it is not the button's";
}

TEST_F(SpeedButtons, DisablingHidingOrFreeingAHeldRepeatButtonStopsItsTimer)
{
    enum Action { Disable, Hide, Free };
    for (Action action : {Disable, Hide, Free}) {
        auto* a = Add<TZCLSpeedButton>(20, 20);
        a->SetRepeatedClick(true);
        ShowForm();
        MouseToCentre(a);
        Press();
        const std::uint16_t id = a->TimerId(ZCLRepeatTimer);
        ASSERT_NE(id, 0) << action;
        if (action == Disable) a->SetEnabled(false);
        if (action == Hide) a->SetVisible(false);
        if (action == Free) delete a;
        EXPECT_EQ(ZCLApplication->GetTimer(id), nullptr) << action;
        if (action != Free) {
            EXPECT_EQ(a->TimerId(ZCLRepeatTimer), 0) << action;
            EXPECT_EQ(GetCapture(), nullptr) << action;
            delete a;
        }
        Release();
    }
}

TEST_F(SpeedButtons, AFullTimerPoolRaisesOutOfResources)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    std::vector<std::uint16_t> taken;
    for (std::uint16_t id; (id = ZCLApplication->AddTimer(1000, TNotifyEvent())) != 0;) taken.push_back(id);
    try {
        a->ActivateTimer(ZCLRepeatTimer, 500, TNotifyEvent());
        ADD_FAILURE() << "no exception";
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(AnsiString(e.Message()), AnsiString("Not enough timers available"));
    }
    for (std::uint16_t id : taken) ZCLApplication->RemoveTimer(id);
    EXPECT_EQ(a->TimerId(ZCLRepeatTimer), 0);
    a->ActivateTimer(2, 500, TNotifyEvent());
    EXPECT_EQ(a->TimerId(2), 0) << "only two timers";
}

TEST_F(SpeedButtons, TimerIntervalsAreHeldToWhatThePoolCanTick)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    const struct {
        std::uint16_t asked, got;
    } cases[] = {{0, 50}, {1, 50}, {49, 50}, {50, 50}, {51, 100}, {74, 100}, {75, 100}, {500, 500}, {65535, 65500}};
    for (const auto& c : cases) {
        a->ActivateTimer(ZCLRepeatTimer, c.asked, TNotifyEvent());
        ASSERT_NE(a->TimerId(ZCLRepeatTimer), 0) << c.asked;
        EXPECT_EQ(ZCLApplication->GetTimer(a->TimerId(ZCLRepeatTimer))->Interval(), c.got) << c.asked;
        a->ActivateTimer(ZCLRepeatTimer, 1000, TNotifyEvent());
        EXPECT_EQ(ZCLApplication->GetTimer(a->TimerId(ZCLRepeatTimer))->Interval(), c.got) << "already running";
        a->DeActivateTimer(ZCLRepeatTimer);
    }
}

// Mouse over -----------------------------------------------------------------------------------------------------

TEST_F(SpeedButtons, EnterAndExitFireOncePerCrossingWithAndWithoutTracking)
{
    for (bool tracking : {false, true}) {
        log.lines.clear();
        auto* a = Add<TZCLSpeedButton>(20, 20, 60, 40);
        a->SetTrackMouseOver(tracking);
        log.Watch(a, "A");
        ShowForm();
        MouseToCentre(a);
        ASSERT_TRUE(PumpUntil([&] { return log.Count("A enter") == 1; })) << tracking;
        EXPECT_TRUE(a->MouseOver());
        EXPECT_EQ(a->State(), tracking ? bsMouseOver : bsUp) << tracking;
        EXPECT_EQ(a->DrawState(), bsMouseOver) << tracking;
        EXPECT_EQ(a->TimerId(ZCLMouseOverTimer) != 0, tracking);
        MouseToControl(a, 30, 25);
        MouseToControl(a, 200, 150);
        ASSERT_TRUE(PumpUntil([&] { return log.Count("A exit") == 1; })) << tracking;
        Pump(300);  // the poll and the framework both see the mouse gone
        EXPECT_EQ((std::vector<std::string>{"A enter", "A exit"}), log.lines) << tracking;
        EXPECT_EQ(a->State(), bsUp);
        EXPECT_EQ(a->TimerId(ZCLMouseOverTimer), 0);
        delete a;
    }
}

TEST_F(SpeedButtons, DisablingAButtonUnderTheMouseEndsTheCrossing)
{
    auto* a = Add<TZCLSpeedButton>(20, 20, 60, 40);
    a->SetTrackMouseOver(true);
    log.Watch(a, "A");
    ShowForm();
    MouseToCentre(a);
    ASSERT_TRUE(PumpUntil([&] { return a->MouseOver(); }));
    a->SetEnabled(false);
    EXPECT_FALSE(a->MouseOver());
    EXPECT_EQ(a->TimerId(ZCLMouseOverTimer), 0);
    MouseToControl(a, 200, 150);
    Pump(200);
    EXPECT_EQ((std::vector<std::string>{"A enter", "A exit"}), log.lines);
}

// Accelerators ---------------------------------------------------------------------------------------------------

TEST_F(SpeedButtons, TheCaptionsAcceleratorClicksAnEnabledVisibleButton)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    a->SetCaption("&Key");
    auto* g = Add<TZCLSpeedButton>(80, 20);
    g->SetCaption("&Go");
    g->SetGroupIndex(1);
    g->SetAllowAllUp(true);
    log.Watch(a, "A");
    log.Watch(g, "G");
    ShowForm();
    controltest::Key('K', {VK_MENU});
    EXPECT_EQ((std::vector<std::string>{"A click"}), log.lines) << "Alt+K";
    controltest::Key('G', {VK_MENU});
    EXPECT_TRUE(g->Pressed()) << "a group member toggles";
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'g'), 1);
    EXPECT_FALSE(g->Pressed());
    a->SetEnabled(false);
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'K'), 0);
    a->SetEnabled(true);
    a->SetVisible(false);
    EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'K'), 0);
    EXPECT_EQ((std::vector<std::string>{"A click", "G click", "G click"}), log.lines);
}

TEST_F(SpeedButtons, TheAcceleratorOfAButtonOnAHiddenOrDisabledParentDoesNothing)
{
    auto* panel = new controltest::TPanelish(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(10, 10, 200, 100);
    auto* a = Add<TZCLSpeedButton>(20, 20, 40, 30, panel);
    a->SetCaption("&Key");
    log.Watch(a, "A");
    ShowForm();
    const struct {
        const char* what;
        bool visible, enabled, clicks;
    } cases[] = {{"hidden parent", false, true, false},
                 {"disabled parent", true, false, false},
                 {"shown and enabled parent", true, true, true}};
    int clicks = 0;
    for (const auto& c : cases) {
        panel->SetVisible(c.visible);
        panel->SetEnabled(c.enabled);
        controltest::Key('K', {VK_MENU});
        clicks += c.clicks;
        EXPECT_EQ(log.Count("A click"), clicks) << c.what;
    }
}

// Geometry, stock glyphs, borders --------------------------------------------------------------------------------

TEST_F(SpeedButtons, TheDropDownComboWidensTheButtonByItsWidth)
{
    auto* a = Add<TZCLSpeedButton>(20, 20, 40, 30);
    a->SetDropDownCombo(true);
    EXPECT_EQ(a->Width(), 52);
    a->SetDropDownComboWidth(20);
    EXPECT_EQ(a->Width(), 60);
    a->SetDropDownComboWidth(-5);
    EXPECT_EQ(a->DropDownComboWidth(), 0);
    EXPECT_EQ(a->Width(), 40);
    a->SetDropDownComboWidth(10);
    a->SetDropDownCombo(false);
    EXPECT_EQ(a->Width(), 40);
    a->SetDropDownComboWidth(16);
    EXPECT_EQ(a->Width(), 40) << "only while on";
    EXPECT_FALSE(a->HasArrowPart()) << "the arrow part needs a menu too";
}

TEST(ZclButtonBase, EachStockGlyphIsItsBlockOfTheResource)
{
    HBITMAP strip = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ZCLGlyphKindResource));
    ASSERT_NE(strip, nullptr) << "the program carries the stock glyphs";
    BITMAP info{};
    GetObjectA(strip, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 104);
    EXPECT_EQ(info.bmHeight, 14);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    TBitmap unchanged;
    unchanged.SetSize(3, 3);
    EXPECT_FALSE(ZCLGetGlyphKind(&unchanged, gkCustom));
    EXPECT_EQ(unchanged.Width(), 3);
    for (int k = gkEllipsis; k <= gkFont; ++k) {
        TBitmap b;
        ASSERT_TRUE(ZCLGetGlyphKind(&b, TZCLGlyphKind(k))) << k;
        ASSERT_EQ(b.Width(), 13) << k;
        ASSERT_EQ(b.Height(), 14) << k;
        int differ = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 13; ++x)
                differ += (COLORREF(b.Canvas()->Pixels(x, y)) & 0xFFFFFF) != GetPixel(dc, (k - 1) * 13 + x, y);
        EXPECT_EQ(differ, 0) << k;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(strip);
}

TEST(ZclButtonBase, BorderWidthOfEveryStyle)
{
    const struct {
        TZCLUserButtonStyle style;
        int width;
    } cases[] = {{ubsAutoDetect, 2},   {ubsWin31, 3}, {ubsWin40, 2},          {ubsVesto, 2},
                 {ubsVestoFlat, 2},    {ubsFlat, 1},  {ubsFlatUnColored, 1},  {ubsNavigator, 2},
                 {ubsExplorer, 1},     {ubsExplorerColored, 1},               {ubsIntegrated, 2}};
    for (const auto& c : cases) EXPECT_EQ(ZCLGetButtonBevel(c.style), c.width) << int(c.style);
}

TEST_F(SpeedButtons, AStockGlyphKindSetsOneImageAndIgnoresTheImageList)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    a->SetNumGlyphs(3);
    a->SetGlyphKind(gkSearch);
    EXPECT_EQ(a->NumGlyphs(), 1);
    EXPECT_EQ(a->Glyph()->Width(), 13);
    EXPECT_FALSE(a->IsCustom());

    // A list whose only image is green.
    TZCLImageList list(nullptr);
    list.Add();
    auto* item = list.StripItem(0);
    item->SetWidth(16);
    item->SetHeight(16);
    auto green = drawtest::MakeBitmap(16, 16, [](int, int) { return 0x00FF00u; });
    item->Add(green.get(), nullptr);
    a->SetImageList(&list);
    EXPECT_EQ(a->Glyph()->Width(), 13) << "the stock glyph stays";
    a->SetGlyphKind(gkCustom);
    EXPECT_TRUE(a->Glyph()->Empty());
    list.Change();
    EXPECT_EQ(a->Glyph()->Width(), 16) << "a custom glyph follows the list";
    EXPECT_EQ(COLORREF(a->Glyph()->Canvas()->Pixels(5, 5)) & 0xFFFFFF, RGB(0, 255, 0));

    // A glyph of its own unlinks the list.
    auto red = drawtest::MakeBitmap(8, 8, [](int, int) { return 0x0000FFu; });
    a->SetGlyphKind(gkFile);
    a->SetGlyph(red.get());
    EXPECT_EQ(a->GlyphKind(), gkCustom);
    EXPECT_EQ(a->ImageList(), nullptr);
    list.Change();
    EXPECT_EQ(a->Glyph()->Width(), 8);
}

TEST_F(SpeedButtons, ATurnedCaptionTakesATrueTypeFont)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    ASSERT_TRUE(drawtest::LoadBitmapFont()) << "Wine's coure.fon is needed for a font that is not TrueType";
    const AnsiString raster = "Courier";
    a->Font()->SetName(raster);
    ASSERT_FALSE(ZCLIsTrueTypeFont(a->Font()));
    a->FontFX()->SetAngle(90);
    EXPECT_EQ(a->Font()->Name(), AnsiString("Arial"));
    EXPECT_EQ(a->FontFX()->Angle(), 90);
    EXPECT_FALSE(a->ParentFont());
    a->Font()->SetName(raster);
    EXPECT_EQ(a->FontFX()->Angle(), 0) << "a font that cannot turn sets the angle back";
}

// Painting -------------------------------------------------------------------------------------------------------

TEST_F(SpeedButtons, TheFaceOfEachStateAtChosenPixels)
{
    auto* a = Add<TZCLSpeedButton>(20, 20, 40, 30);
    a->SetStyle(ubsWin40);
    a->SetGlyphKind(gkEllipsis);
    a->SetGroupIndex(1);
    a->SetAllowAllUp(true);
    const COLORREF face = Sys(COLOR_BTNFACE);
    const COLORREF light = Sys(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = Sys(COLOR_BTNSHADOW);
    const COLORREF black = RGB(0, 0, 0);

    Render up(a);
    EXPECT_EQ(up.At(20, 3), face);
    EXPECT_NE(up.At(0, 0), up.At(39, 29)) << "raised: lit and shaded corners";
    EXPECT_TRUE(up.At(1, 1) == light || up.At(0, 0) == light);
    EXPECT_EQ(up.At(38, 28) == dark || up.At(39, 29) == black || up.At(39, 29) == dark, true);
    const int upDots = up.Count(black, 3, 3, 37, 27);
    EXPECT_GT(upDots, 0) << "the glyph's black dots";

    a->SetPressed(true);
    Render set(a);
    int white = set.Count(RGB(255, 255, 255), 4, 4, 36, 26);
    EXPECT_GT(white, 100) << "the checkerboard of a pressed group member";
    EXPECT_GT(set.Count(face, 4, 4, 36, 26), 100);
    EXPECT_NE(set.At(2, 2), up.At(2, 2)) << "sunken";

    a->SetPressed(false);
    a->SetEnabled(false);
    Render disabled(a);
    EXPECT_EQ(disabled.Count(black, 3, 3, 37, 27), 0) << "a disabled glyph has no black";
    EXPECT_GT(disabled.Count(dark, 3, 3, 37, 27), 0);

    // Flat looks show the mouse over the button; plain up shows nothing.
    a->SetEnabled(true);
    a->SetStyle(ubsFlat);
    Render flat(a);
    EXPECT_EQ(flat.At(0, 0), face) << "flat up: no frame";
    a->StateChange(bsMouseOver);
    Render hot(a);
    EXPECT_NE(hot.At(0, 0), face) << "flat under the mouse: raised";
    a->StateChange(bsDown);
    Render down(a);
    EXPECT_NE(down.At(0, 0), hot.At(0, 0)) << "sunken, not raised";
}

TEST_F(SpeedButtons, ExplorerLooksLetTheParentShowThrough)
{
    auto* back = new zclctl::TBackParent(form.get());
    back->SetParent(form.get());
    back->SetBounds(0, 0, 200, 100);
    auto* a = Add<TZCLSpeedButton>(20, 20, 40, 30, back);
    EXPECT_TRUE(a->ControlStyle().Contains(csOpaque));
    a->SetStyle(ubsExplorer);
    EXPECT_FALSE(a->ControlStyle().Contains(csOpaque));
    ShowForm();
    Render r(a);
    EXPECT_EQ(r.At(10, 10), zclctl::PatternAt(30, 30)) << "the parent's picture behind the button";
    a->SetStyle(ubsFlat);
    EXPECT_TRUE(a->ControlStyle().Contains(csOpaque));
    a->SetTransparent(true);
    EXPECT_FALSE(a->ControlStyle().Contains(csOpaque));
}

TEST_F(SpeedButtons, TheArrowPartOpensTheMenuOnlyThere)
{
    // The press on the main part of a combo is an ordinary click.
    auto* a = Add<TZCLSpeedButton>(20, 20, 40, 30);
    TPopupMenu* menu = new TPopupMenu(form.get());
    a->SetDropDownMenu(menu);
    a->SetDropDownCombo(true);
    EXPECT_TRUE(a->HasArrowPart());
    EXPECT_EQ(a->ArrowRect(), TRect(40, 0, 52, 30));
    EXPECT_EQ(a->MainRect(), TRect(0, 0, 40, 30));
    log.Watch(a, "A");
    int dropped = 0;
    a->SetOnDropDown(TNotifyEvent::From([&](TObject*) { ++dropped; }));
    ShowForm();
    ClickOn(a);
    EXPECT_EQ(log.Count("A click"), 1);
    EXPECT_EQ(dropped, 0);
    delete menu;
    EXPECT_EQ(a->DropDownMenu(), nullptr) << "a freed menu is forgotten";
}

// A menu button: a press opens the menu below it (or to its right), the chosen item runs, and the button neither
// clicks nor keeps the capture.
TEST_F(SpeedButtons, APressOpensTheDropDownMenuBelowOrBesideTheButton)
{
    auto* a = Add<TZCLSpeedButton>(40, 30, 50, 30);
    std::vector<std::string> chosen;
    TPopupMenu* menu = ChoiceMenu(chosen);
    a->SetDropDownMenu(menu);
    a->SetDropDownIndent(5);
    log.Watch(a, "A");
    std::vector<TZCLButtonState> whileOpen;
    a->SetOnDropDown(TNotifyEvent::From([&](TObject*) { whileOpen.push_back(a->State()); }));
    ShowForm();
    for (bool right : {false, true}) {
        a->SetDropDownRight(right);
        MouseToCentre(a);
        zcltest::MenuWatcher watcher({VK_DOWN, VK_DOWN, VK_RETURN});
        Press();
        watcher.Finish();
        Release();
        ASSERT_TRUE(watcher.opened) << right;
        EXPECT_EQ(watcher.items, (std::vector<std::string>{"&First", "&Second"}));
        const TPoint at = right ? a->ClientToScreen(TPoint(a->Width(), 5)) : a->ClientToScreen(TPoint(5, a->Height()));
        EXPECT_EQ(watcher.rect.left, at.x) << right;
        EXPECT_EQ(watcher.rect.top, at.y) << right;
        EXPECT_EQ(menu->PopupComponent(), a);
        EXPECT_EQ(a->State(), bsMouseOver) << "the mouse is still over it";
        EXPECT_FALSE(a->GetDroppedState());
        EXPECT_EQ(GetCapture(), nullptr);
    }
    EXPECT_EQ(chosen, (std::vector<std::string>{"&Second", "&Second"}));
    EXPECT_EQ(whileOpen, (std::vector<TZCLButtonState>{bsDropDownOpen, bsDropDownOpen}));
    EXPECT_TRUE(log.Of("click").empty()) << "opening the menu is not a click";
}

TEST_F(SpeedButtons, AnActionSuppliesTheGlyphOnFuchsia)
{
    auto* images = new TImageList(form.get());
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(16, 16);
    picture.Canvas()->Brush()->SetColor(clWhite);
    picture.Canvas()->FillRect(TRect(0, 0, 16, 16));
    picture.Canvas()->Brush()->SetColor(clBlue);
    picture.Canvas()->FillRect(TRect(4, 4, 12, 12));
    images->AddMasked(&picture, clWhite);
    auto* actions = new TActionList(form.get());
    actions->SetImages(images);
    auto* action = new TAction(form.get());
    action->SetActionList(actions);
    action->SetCaption("Run");
    action->SetImageIndex(0);
    auto* a = Add<TZCLSpeedButton>(20, 20);
    a->SetAction(action);
    EXPECT_EQ(a->Caption(), AnsiString("Run"));
    ASSERT_EQ(a->Glyph()->Width(), 16);
    EXPECT_EQ(COLORREF(a->Glyph()->Canvas()->Pixels(0, 0)) & 0xFFFFFF, RGB(255, 0, 255)) << "the masked part";
    EXPECT_EQ(COLORREF(a->Glyph()->Canvas()->Pixels(8, 8)) & 0xFFFFFF, RGB(0, 0, 255));
    EXPECT_EQ(a->Glyph()->TransparentColor(), clFuchsia);

    auto* b = Add<TZCLSpeedButton>(80, 20);
    auto* bare = new TAction(form.get());
    b->SetGlyphKind(gkFont);
    b->SetAction(bare);
    EXPECT_TRUE(b->Glyph()->Empty()) << "an action without an image clears the glyph";
}

TEST_F(SpeedButtons, WithEnterColorChangeTheCaptionTakesTheEnterColourUnderTheMouse)
{
    auto* a = Add<TZCLSpeedButton>(20, 20, 60, 30);
    a->SetCaption("W");
    a->Font()->SetColor(clBlack);
    a->SetEnterColor(clRed);
    auto count = [&](COLORREF c) { return Render(a).Count(c, 0, 0, 60, 30); };
    a->SetMouseOver(true);
    EXPECT_GT(count(RGB(0, 0, 0)), 0) << "without EnterColorChange";
    EXPECT_EQ(count(RGB(255, 0, 0)), 0);
    a->SetEnterColorChange(true);
    EXPECT_GT(count(RGB(255, 0, 0)), 0);
    a->SetMouseOver(false);
    EXPECT_EQ(count(RGB(255, 0, 0)), 0);
}

}  // namespace
