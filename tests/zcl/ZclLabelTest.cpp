// The labels on real forms: text placed by each alignment and drawn over the parent's picture or its own
// colour, sizing to the text, accelerators typed with real keys, twinkling on the application's timer pool, jump
// labels clicked with the real mouse (the shell stood in for, and once for real), and labels with an image
// beside, above or below the text, also on a status bar.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PanelTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/ActnList.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/panels/Zclcustomglyphlabel.h"
#include "zcl/panels/Zclcustomsimplelabel.h"
#include "zcl/panels/Zclcustomstatusbar.h"

using namespace zclctl;
using paneltest::PlaceColour;
using paneltest::TPlaceParent;

namespace {

constexpr COLORREF Ink = RGB(255, 0, 0);

// A label with a font whose ink is easy to find.
template <typename T = TZCLSimpleLabel>
T* MakeLabel(TComponent* owner, TWinControl* parent, const char* text)
{
    auto* l = new T(owner);
    l->SetParent(parent);
    l->Font()->SetName("Arial");
    l->Font()->SetSize(10);
    l->Font()->SetColor(TColor(Ink));
    l->SetCaption(text);
    return l;
}

// What a windowless control paints on a surface of its size (its own coordinates), over fill.
struct Render {
    explicit Render(TControl* c, std::uint32_t fill = 0x010203) : s(c->Width(), c->Height(), fill)
    {
        c->Perform(WM_PAINT, WPARAM(s.dc()), 0);
    }
    TRect InkBox() const { return s.Bounds(std::uint32_t(Ink)); }
    drawtest::Surface s;
};

// A status bar whose labels start 7 pixels in.
class TGapBar : public TZCLCustomStatusBar {
public:
    explicit TGapBar(TComponent* owner) : TZCLCustomStatusBar(owner) {}
    int GetControlGap() override { return 7; }
};

// Serves the jump labels' shell calls in the tests: notes each target and answers with `result`.
struct OpenerStandIn {
    std::vector<std::string> targets;
    INT_PTR result = 42;
    OpenerStandIn()
    {
        ZCLSetJumpOpener(TZCLJumpOpener::From([this](const AnsiString& t) {
            targets.push_back(t.c_str());
            return result;
        }));
    }
    ~OpenerStandIn() { ZCLSetJumpOpener(TZCLJumpOpener()); }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Text and painting

TEST(ZclSimpleLabel, Defaults)
{
    TForm form(nullptr);
    auto* l = new TZCLSimpleLabel(&form);
    EXPECT_TRUE(l->Transparent());
    EXPECT_TRUE(l->ShowAccelChar());
    EXPECT_TRUE(l->AutoSize());
    EXPECT_FALSE(l->MultiLine());
    EXPECT_FALSE(l->Twinkle());
    EXPECT_EQ(l->Alignment(), agTopLeft);
    EXPECT_EQ(l->TwinkleVisible(), 700);
    EXPECT_EQ(l->TwinkleInVisible(), 700);
    EXPECT_EQ(l->TwinkleColor(), clNone);
    EXPECT_EQ(l->Color(), clWindow);
    EXPECT_TRUE(l->ParentColor());
    EXPECT_EQ(l->JumpMode(), jmNone);
    EXPECT_EQ(l->ActiveColor(), TColor(0x800080));
    EXPECT_EQ(l->InActiveColor(), TColor(0xFF0000));
    EXPECT_TRUE(l->JumpUnderline());
    EXPECT_TRUE(l->GetEmpty()) << "transparent without text";
    l->SetCaption("x");
    EXPECT_FALSE(l->GetEmpty());
}

TEST(ZclSimpleLabel, EachAlignmentPlacesTheText)
{
    TForm form(nullptr);
    auto* l = MakeLabel(&form, &form, "Text");
    l->SetAutoSize(false);
    l->SetBounds(0, 0, 200, 60);
    const struct {
        TZCLAlignment alignment;
        int column, row;  // 0 left/top third, 1 middle, 2 right/bottom
    } cases[] = {{agTopLeft, 0, 0},    {agTopCenter, 1, 0},    {agTopRight, 2, 0},
                 {agCenterLeft, 0, 1}, {agCenter, 1, 1},       {agCenterRight, 2, 1},
                 {agBottomLeft, 0, 2}, {agBottomCenter, 1, 2}, {agBottomRight, 2, 2}};
    for (bool multiLine : {false, true}) {
        l->SetMultiLine(multiLine);
        for (const auto& k : cases) {
            l->SetAlignment(k.alignment);
            const TRect ink = Render(l).InkBox();
            SCOPED_TRACE(std::string(multiLine ? "multi-line " : "") + std::to_string(int(k.alignment)) + " " +
                         drawtest::Text(ink));
            ASSERT_FALSE(ink.IsEmpty());
            EXPECT_EQ((ink.left + ink.right) / 2 * 3 / 200, k.column);
            EXPECT_EQ((ink.top + ink.bottom) / 2 * 3 / 60, k.row);
        }
    }
}

TEST(ZclSimpleLabel, TransparentOverThePicturesPartOpaqueInItsColour)
{
    TForm form(nullptr);
    auto* parent = new TPlaceParent(&form);
    parent->SetParent(&form);
    parent->SetBounds(0, 0, 250, 250);
    parent->HandleNeeded();
    auto* l = MakeLabel(&form, parent, "Over");
    l->SetAutoSize(false);
    l->SetBounds(30, 40, 80, 30);
    {
        Render r(l);
        EXPECT_EQ(r.s.At(70, 25), PlaceColour(30 + 70, 40 + 25)) << "the parent's picture behind the text";
        EXPECT_EQ(r.s.At(0, 0), PlaceColour(30, 40));
        EXPECT_FALSE(r.InkBox().IsEmpty());
    }
    parent->supplies = false;
    {
        Render r(l);
        EXPECT_EQ(r.s.At(70, 25), 0x010203u) << "nothing behind the text is drawn without a picture";
    }
    l->SetParentColor(false);
    l->SetColor(clWhite);
    l->SetTransparent(false);
    {
        Render r(l);
        EXPECT_EQ(r.s.At(70, 25), 0xFFFFFFu);
        EXPECT_FALSE(r.InkBox().IsEmpty());
    }
    l->SetEnabled(false);
    EXPECT_TRUE(Render(l).InkBox().IsEmpty()) << "disabled text is greyed";
}

TEST(ZclSimpleLabel, AmpersandsAndEllipsis)
{
    TForm form(nullptr);
    auto* accel = MakeLabel(&form, &form, "A&B");
    auto* plain = MakeLabel(&form, &form, "A&B");
    plain->SetShowAccelChar(false);
    EXPECT_GT(plain->Width(), accel->Width()) << "without accelerators the ampersand is shown";

    auto* l = MakeLabel(&form, &form, "A long text that does not fit");
    l->SetAutoSize(false);
    l->SetBounds(0, 0, 60, 20);
    const TRect cut = Render(l).InkBox();
    l->SetOptions(TZCLLabelOptions{loEndEllipsis});
    const TRect ended = Render(l).InkBox();
    EXPECT_LT(ended.right, 60) << "the ellipsis ends inside: " << drawtest::Text(ended);
    EXPECT_GE(cut.right, ended.right);
}

TEST(ZclSimpleLabel, SizesItselfToItsTextKeepingItsPlace)
{
    TForm form(nullptr);
    auto* l = MakeLabel(&form, &form, "Short");
    l->SetLeft(17);
    l->SetTop(9);
    const int shortWidth = l->Width();
    const int oneLine = l->Height();
    EXPECT_GT(shortWidth, 20);
    EXPECT_GT(oneLine, 10);
    l->SetCaption("A rather longer text");
    EXPECT_GT(l->Width(), shortWidth);
    EXPECT_EQ(l->Height(), oneLine);
    EXPECT_EQ(l->Left(), 17);
    EXPECT_EQ(l->Top(), 9);
    {
        const TRect ink = Render(l).InkBox();
        EXPECT_GE(ink.left, 0);
        EXPECT_LE(ink.right, l->Width()) << "the whole text fits";
    }
    // Multi-line text wraps at the label's width.
    l->SetAutoSize(false);
    l->SetWidth(60);
    l->SetMultiLine(true);
    l->SetAutoSize(true);
    EXPECT_GE(l->Height(), 2 * (oneLine - 2)) << "wrapped";
    EXPECT_LE(l->Width(), 62);

    // Without AutoSize the size stays whatever the text.
    l->SetAutoSize(false);
    l->SetBounds(17, 9, 33, 44);
    l->SetCaption("Another text again");
    EXPECT_EQ(l->Width(), 33);
    EXPECT_EQ(l->Height(), 44);
    // And a font change sizes again.
    l->SetAutoSize(true);
    const int normal = l->Height();
    l->Font()->SetSize(20);
    EXPECT_GT(l->Height(), normal);
}

TEST(ZclSimpleLabel, ThreeDTextTakesItsDepth)
{
    TForm form(nullptr);
    auto* l = MakeLabel(&form, &form, "Deep");
    const int flat = l->Width();
    l->Font3D()->SetStyle(tdRaisedShadow);
    l->Font3D()->SetDepth(0, 2);
    l->Font3D()->SetDepth(1, 3);
    EXPECT_GT(l->Width(), flat) << "the effect's depth is measured";
    Render r(l);
    EXPECT_NE(r.s.Count(drawtest::Sys(COLOR_BTNSHADOW)), 0) << "the shadow is drawn";
}

// ---------------------------------------------------------------------------------------------------------------
// Accelerators

class ZclLabelForm : public ShownForm {};

TEST_F(ZclLabelForm, AnAcceleratorTypedFocusesTheControlOfTheLabel)
{
    auto* l = MakeLabel(form.get(), form.get(), "&Name");
    l->SetBounds(10, 10, 60, 20);
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(80, 10, 100, 21);
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(80, 40, 100, 21);
    ShowForm();
    const struct {
        const char* what;
        bool focusControl, enabled, showAccel;
        WORD key;
        bool moves;
    } cases[] = {
        {"Alt+N", true, true, true, 'N', true},
        {"another letter", true, true, true, 'M', false},
        {"no control to focus", false, true, true, 'N', false},
        {"a disabled label", true, false, true, 'N', false},
        {"accelerators not shown", true, true, false, 'N', false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        l->SetFocusControl(k.focusControl ? edit : nullptr);
        l->SetEnabled(k.enabled);
        l->SetShowAccelChar(k.showAccel);
        other->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return other->Focused(); }));
        controltest::Key(k.key, {VK_MENU});
        if (k.moves) EXPECT_TRUE(PumpUntil([&] { return edit->Focused(); }));
        else EXPECT_TRUE(other->Focused());
    }
    // A hidden control cannot take the focus.
    l->SetEnabled(true);
    l->SetShowAccelChar(true);
    l->SetFocusControl(edit);
    edit->Hide();
    other->SetFocus();
    controltest::Key('N', {VK_MENU});
    EXPECT_TRUE(other->Focused());
    // Freed, the control is forgotten.
    delete edit;
    EXPECT_EQ(l->FocusControl(), nullptr);
    controltest::Key('N', {VK_MENU});
    EXPECT_TRUE(other->Focused());
}

// ---------------------------------------------------------------------------------------------------------------
// Twinkling

TEST(ZclPoolInterval, RoundsUpToThePoolsStepsBelowTheTop)
{
    const struct {
        unsigned in;
        unsigned out;
    } cases[] = {
        {0, 0},         {1, 50},        {49, 50},       {50, 50},       {51, 100},      {700, 700},          {730, 750},
        {65499, 65500}, {65500, 65500}, {65501, 65500}, {65535, 65500}, {70000, 65500}, {4294967295u, 65500}};
    for (const auto& k : cases) EXPECT_EQ(ZCLPoolInterval(k.in), k.out) << k.in;
}

TEST(ZclSimpleLabel, TwinklingTakesAPoolTimerAndAlternatesThePhases)
{
    TForm form(nullptr);
    auto* l = MakeLabel(&form, &form, "Blink");
    l->SetTwinkleVisible(730);
    l->SetTwinkleInVisible(120);
    EXPECT_EQ(l->TwinkleTimerId(), 0);
    l->SetTwinkle(true);
    const std::uint16_t id = l->TwinkleTimerId();
    ASSERT_NE(id, 0);
    TZCLTimerItem* item = ZCLApplication->GetTimer(id);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->Enabled());
    EXPECT_EQ(item->Interval(), 750) << "the shown phase, in the pool's steps";
    EXPECT_TRUE(l->TwinkleShown());
    EXPECT_FALSE(Render(l).InkBox().IsEmpty());

    item->Timer();
    EXPECT_FALSE(l->TwinkleShown());
    EXPECT_EQ(item->Interval(), 150) << "the hidden phase runs for its own length";
    EXPECT_TRUE(Render(l).InkBox().IsEmpty()) << "hidden, no colour: nothing";
    l->SetTwinkleColor(clLime);
    {
        Render r(l);
        EXPECT_TRUE(r.InkBox().IsEmpty());
        EXPECT_GT(r.s.Count(0x00FF00), 0) << "hidden in the twinkle colour";
    }
    item->Timer();
    EXPECT_TRUE(l->TwinkleShown());
    EXPECT_EQ(item->Interval(), 750);

    item->Timer();
    l->SetTwinkle(false);
    EXPECT_EQ(ZCLApplication->GetTimer(id), nullptr) << "the timer goes back to the pool";
    EXPECT_EQ(l->TwinkleTimerId(), 0);
    EXPECT_TRUE(l->TwinkleShown()) << "off, the text shows";

    l->SetTwinkle(true);
    const std::uint16_t second = l->TwinkleTimerId();
    ASSERT_NE(second, 0);
    delete l;
    EXPECT_EQ(ZCLApplication->GetTimer(second), nullptr) << "freed while twinkling";
}

TEST(ZclSimpleLabel, TwinklingRunsOnThePoolUntilTurnedOff)
{
    TForm form(nullptr);
    auto* l = MakeLabel(&form, &form, "Blink");
    l->SetTwinkleVisible(100);
    l->SetTwinkleInVisible(100);
    l->SetTwinkle(true);
    EXPECT_TRUE(PumpUntil([&] { return !l->TwinkleShown(); }, 5000));
    EXPECT_TRUE(PumpUntil([&] { return l->TwinkleShown(); }, 5000));
    l->SetTwinkle(false);
}

TEST(ZclSimpleLabel, AFullPoolRefusesTwinkling)
{
    TForm form(nullptr);
    auto* l = MakeLabel(&form, &form, "Blink");
    std::vector<std::uint16_t> taken;
    while (const std::uint16_t id = ZCLApplication->AddTimer(1000, TNotifyEvent())) taken.push_back(id);
    try {
        l->SetTwinkle(true);
        ADD_FAILURE() << "no error";
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.Message().c_str(), "Not enough timers available");
    }
    EXPECT_FALSE(l->Twinkle());
    EXPECT_EQ(l->TwinkleTimerId(), 0);
    for (std::uint16_t id : taken) ZCLApplication->RemoveTimer(id);
    l->SetTwinkle(true);
    EXPECT_NE(l->TwinkleTimerId(), 0);
}

// ---------------------------------------------------------------------------------------------------------------
// Jumps

TEST(ZclSimpleLabel, AMailAddressBecomesAMailLinkOnlyWithoutASchemeOfItsOwn)
{
    const struct {
        const char* text;
        const char* target;
    } cases[] = {
        {"info@karvon.example", "mailto:info@karvon.example"},
        {"mailto:info@karvon.example", "mailto:info@karvon.example"},
        {"ftp://user@host.example/", "ftp://user@host.example/"},
        {"http://www.karvon.example/", "http://www.karvon.example/"},
        {"www.karvon.example", "www.karvon.example"},
        {"a:b@c", "mailto:a:b@c"},
        {"", ""},
    };
    for (const auto& k : cases) EXPECT_STREQ(ZCLInternetJumpTarget(k.text).c_str(), k.target) << k.text;
}

TEST(ZclSimpleLabel, AJumpModeColoursUnderlinesAndShowsTheHand)
{
    TForm form(nullptr);
    auto* l = MakeLabel(&form, &form, "Jump");
    int clicks = 0;
    l->SetOnClick(TNotifyEvent::From([&](TObject*) { ++clicks; }));
    for (TZCLJumpModes mode : {jmInternet, jmApplication, jmCustom}) {
        l->SetJumpMode(jmNone);
        l->SetJumpMode(mode);
        EXPECT_EQ(l->Cursor(), crHandPoint);
        EXPECT_EQ(l->Font()->Color(), TColor(0xFF0000));
        EXPECT_TRUE(l->Font()->Style().Contains(fsUnderline));
        EXPECT_EQ(l->GetCounter(), 0);
    }
    l->SetJumpMode(jmNone);
    EXPECT_EQ(l->Cursor(), crDefault);
    EXPECT_EQ(l->Font()->Color(), clBlack);
    EXPECT_FALSE(l->Font()->Style().Contains(fsUnderline));

    l->SetJumpUnderline(false);
    l->SetJumpMode(jmInternet);
    EXPECT_FALSE(l->Font()->Style().Contains(fsUnderline));
    EXPECT_EQ(clicks, 0) << "setting modes clicks nothing";
}

TEST_F(ZclLabelForm, ClickedJumpsOpenTheirTargetOrTurnThemselvesOff)
{
    OpenerStandIn shell;
    auto* l = MakeLabel(form.get(), form.get(), "info@karvon.example");
    l->SetBounds(20, 20, 200, 20);
    int clicks = 0;
    l->SetOnClick(TNotifyEvent::From([&](TObject*) { ++clicks; }));
    ShowForm();
    // Each click lands well away from the one before, so that none becomes a double click.
    int clickX = 10;
    auto click = [&] {
        MouseToControl(l, clickX, 8);
        controltest::MouseButton(true);
        controltest::MouseButton(false);
        clickX += 30;
    };

    l->SetJumpMode(jmInternet);
    click();
    ASSERT_TRUE(PumpUntil([&] { return !shell.targets.empty(); }));
    EXPECT_EQ(shell.targets, (std::vector<std::string>{"mailto:info@karvon.example"})) << "the text, as a mail link";
    EXPECT_EQ(l->GetCounter(), 1);
    EXPECT_EQ(l->Font()->Color(), TColor(0x800080)) << "clicked";
    EXPECT_EQ(clicks, 0) << "a jump opens instead of clicking";

    shell.targets.clear();
    l->SetJump("  http://www.karvon.example/  ");
    l->Execute();
    EXPECT_EQ(shell.targets, (std::vector<std::string>{"http://www.karvon.example/"})) << "the jump, trimmed";
    EXPECT_EQ(l->GetCounter(), 2);

    // The shell fails: the jump is turned off and the label disabled.
    shell.result = 2;
    shell.targets.clear();
    l->Execute();
    EXPECT_EQ(shell.targets.size(), 1u);
    EXPECT_EQ(l->JumpMode(), jmNone);
    EXPECT_FALSE(l->Enabled());

    // An application jump without a target is a failure without a call.
    l->SetEnabled(true);
    shell.result = 42;
    shell.targets.clear();
    l->SetJump("");
    l->SetJumpMode(jmApplication);
    l->Execute();
    EXPECT_TRUE(shell.targets.empty());
    EXPECT_EQ(l->JumpMode(), jmNone);
    EXPECT_FALSE(l->Enabled());

    // Without a jump mode (and in the custom one) a click is a click.
    l->SetEnabled(true);
    for (TZCLJumpModes mode : {jmNone, jmCustom}) {
        l->SetJumpMode(mode);
        const int before = clicks;
        click();
        EXPECT_TRUE(PumpUntil([&] { return clicks == before + 1; })) << int(mode);
    }
    EXPECT_TRUE(shell.targets.empty());
}

TEST_F(ZclLabelForm, AnActionGivesItsCaptionAndStateAndARealClickRunsIt)
{
    TAction action(nullptr);
    action.SetCaption("Run");
    int runs = 0;
    action.SetOnExecute(TNotifyEvent::From([&](TObject*) { ++runs; }));
    auto* l = MakeLabel(form.get(), form.get(), "x");
    l->SetLeft(20);
    l->SetTop(20);
    const int narrow = l->Width();
    // Input is handled in order: once a click on the marker is seen, the clicks before it were handled too.
    auto* marker = MakeLabel(form.get(), form.get(), "marker");
    marker->SetLeft(20);
    marker->SetTop(60);
    int markerClicks = 0;
    marker->SetOnClick(TNotifyEvent::From([&](TObject*) { ++markerClicks; }));
    l->SetAction(&action);
    EXPECT_EQ(l->Caption(), AnsiString("Run"));
    EXPECT_GT(l->Width(), narrow) << "sized to the action's caption";
    action.SetCaption("Run it now");
    EXPECT_EQ(l->Caption(), AnsiString("Run it now"));
    ShowForm();

    int clickX = 4;
    auto click = [&] {
        MouseToControl(l, clickX, 6);
        controltest::MouseButton(true);
        controltest::MouseButton(false);
        clickX += 20;
    };
    click();
    ASSERT_TRUE(PumpUntil([&] { return runs == 1; }));
    // A disabled action disables the label: a click on it runs nothing.
    action.SetEnabled(false);
    EXPECT_FALSE(l->Enabled());
    click();
    MouseToControl(marker, 4, 6);
    controltest::MouseButton(true);
    controltest::MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return markerClicks == 1; }));
    EXPECT_EQ(runs, 1);
    action.SetEnabled(true);
    EXPECT_TRUE(l->Enabled());
    // A jump opens its target instead.
    OpenerStandIn shell;
    l->SetJump("http://www.karvon.example/");
    l->SetJumpMode(jmInternet);
    click();
    ASSERT_TRUE(PumpUntil([&] { return !shell.targets.empty(); }));
    EXPECT_EQ(runs, 1);
    l->SetAction(nullptr);
}

TEST(ZclSimpleLabel, ItsOptionsAreStoredAndReadBack)
{
    for (const TZCLLabelOptions options :
         {TZCLLabelOptions{}, TZCLLabelOptions{loEndEllipsis}, TZCLLabelOptions{loPathEllipsis, loEditControl}}) {
        TZCLSimpleLabel label(nullptr);
        label.SetName("Stored");
        label.SetOptions(options);
        TMemoryStream stream;
        stream.WriteComponent(&label);
        stream.SetPosition(0);
        TZCLSimpleLabel back(nullptr);
        stream.ReadComponent(&back);
        EXPECT_EQ(back.Options(), options) << options.ToInt();
    }
}

TEST(ZclSimpleLabel, AnApplicationJumpToAMissingFileFailsInTheRealShell)
{
    TForm form(nullptr);
    auto* l = MakeLabel(&form, &form, "Run");
    l->SetJump("C:\\no such folder\\no such program.exe");
    l->SetJumpMode(jmApplication);
    l->Execute();
    EXPECT_EQ(l->JumpMode(), jmNone);
    EXPECT_FALSE(l->Enabled());
}

// ---------------------------------------------------------------------------------------------------------------
// Glyph labels

namespace {

// A green square in a white frame, white being the image's transparent colour.
struct GreenImage {
    TZCLImageList list{nullptr};
    GreenImage()
    {
        auto* item = static_cast<TZCLImageListItem*>(list.GetItem(list.Add()));
        item->Add(
            drawtest::MakeBitmap(
                16, 16, [](int x, int y) { return x == 0 || y == 0 || x == 15 || y == 15 ? 0xFFFFFFu : 0x00FF00u; })
                .get(),
            nullptr);
    }
};

}  // namespace

TEST(ZclGlyphLabel, TheImageStandsWhereTheLayoutSays)
{
    GreenImage image;
    TForm form(nullptr);
    auto* bare = MakeLabel<TZCLGlyphLabel>(&form, &form, "Glyph");
    auto* l = MakeLabel<TZCLGlyphLabel>(&form, &form, "Glyph");
    l->SetImageList(&image.list);
    const struct {
        TZCLTextArrange arrange;
        bool beside;
        int glyphSide;  // -1 the image left of (or above) the text, 1 right of (below) it
    } cases[] = {{taRight, true, -1}, {taLeft, true, 1}, {taBottom, false, -1}, {taTop, false, 1}};
    for (const auto& k : cases) {
        l->Alignment()->SetAlignText2Glyph(k.arrange);
        SCOPED_TRACE(int(k.arrange));
        const int spacing = l->Alignment()->Spacing();
        if (k.beside) {
            EXPECT_EQ(l->Width(), bare->Width() + spacing + 16);
        } else {
            EXPECT_EQ(l->Height(), bare->Height() + spacing + 16);
        }
        Render r(l);
        const TRect glyph = r.s.Bounds(0x00FF00u);
        const TRect ink = r.InkBox();
        ASSERT_EQ(glyph.Width(), 14) << drawtest::Text(glyph);
        EXPECT_EQ(r.s.Count(0xFFFFFFu), 0) << "the frame is transparent";
        ASSERT_FALSE(ink.IsEmpty());
        if (k.beside)
            EXPECT_TRUE(k.glyphSide < 0 ? glyph.right <= ink.left : glyph.left >= ink.right)
                << drawtest::Text(glyph) << " " << drawtest::Text(ink);
        else
            EXPECT_TRUE(k.glyphSide < 0 ? glyph.bottom <= ink.top : glyph.top >= ink.bottom)
                << drawtest::Text(glyph) << " " << drawtest::Text(ink);
    }
    // No item: the text alone.
    l->SetImageIndex(4);
    l->Alignment()->SetAlignText2Glyph(taRight);
    EXPECT_EQ(l->Width(), bare->Width());
    EXPECT_EQ(Render(l).s.Count(0x00FF00u), 0);
}

TEST(ZclGlyphLabel, OnAStatusBarItStartsPastTheGap)
{
    GreenImage image;
    TForm form(nullptr);
    auto* bar = new TGapBar(&form);
    bar->SetParent(&form);
    bar->SetBounds(0, 0, 300, 30);
    auto* onForm = MakeLabel<TZCLGlyphLabel>(&form, &form, "Gap");
    auto* onBar = MakeLabel<TZCLGlyphLabel>(&form, bar, "Gap");
    onForm->SetImageList(&image.list);
    onBar->SetImageList(&image.list);
    EXPECT_EQ(onBar->Width(), onForm->Width() + 7);
    EXPECT_EQ(Render(onBar).s.Bounds(0x00FF00u).left, Render(onForm).s.Bounds(0x00FF00u).left + 7);
}

TEST(ZclGlyphLabel, TheBevelIsDrawnRoundAndMeasured)
{
    TForm form(nullptr);
    auto* bare = MakeLabel<TZCLGlyphLabel>(&form, &form, "Bevel");
    auto* l = MakeLabel<TZCLGlyphLabel>(&form, &form, "Bevel");
    l->Bevel()->SetStyleOuter(bvLowered);
    l->Bevel()->SetWidthOuter(2);
    EXPECT_EQ(l->Width(), bare->Width() + 4);
    EXPECT_EQ(l->Height(), bare->Height() + 4);
    Render r(l);
    EXPECT_EQ(r.s.At(0, 0), drawtest::Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(r.s.At(l->Width() - 1, l->Height() - 1), drawtest::Sys(COLOR_BTNHIGHLIGHT));
}

TEST(ZclGlyphLabel, ItsLayoutBevelAndTextAreStoredAndReadBack)
{
    TZCLGlyphLabel label(nullptr);
    label.SetName("Stored");
    label.SetCaption("Glyph");
    label.SetAutoSize(false);
    label.SetListIndex(1);
    label.Alignment()->SetAlignText2Glyph(taBottom);
    label.Alignment()->SetSpacing(7);
    label.Bevel()->SetStyleOuter(bvLowered);
    label.Bevel()->SetWidthOuter(2);
    label.Font3D()->SetStyle(tdRaised);
    label.SetOptions(TZCLLabelOptions{loEndEllipsis});
    TMemoryStream stream;
    stream.WriteComponent(&label);
    stream.SetPosition(0);
    TZCLGlyphLabel back(nullptr);
    stream.ReadComponent(&back);
    EXPECT_EQ(back.Caption(), AnsiString("Glyph"));
    EXPECT_FALSE(back.AutoSize());
    EXPECT_EQ(back.ListIndex(), 1);
    EXPECT_EQ(back.Alignment()->AlignText2Glyph(), taBottom);
    EXPECT_EQ(back.Alignment()->Spacing(), 7);
    EXPECT_EQ(back.Bevel()->StyleOuter(), bvLowered);
    EXPECT_EQ(back.Bevel()->WidthOuter(), 2);
    EXPECT_EQ(back.Font3D()->Style(), tdRaised);
    EXPECT_EQ(back.Options(), TZCLLabelOptions{loEndEllipsis});
}
