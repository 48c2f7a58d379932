// The library's check box on a shown form: toggling by real clicks, the space key and the accelerator, read-only
// boxes, clicks that cannot take the focus, the standard glyph strip and an image-list strip with the image each
// state shows (flat looks included), AutoSize, the focus looks, the action link, and transparency over a patterned
// parent.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "PanelTestHelpers.h"
#include "ZclButtonTestHelpers.h"
#include "framework/visual/ActnList.h"
#include "zcl/buttons/Zclcheckbox.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zcllayout.h"

using namespace zclbtn;

namespace {

class CheckBoxes : public ButtonForm {
protected:
    TZCLCheckBox* AddBox(const char* caption, int x, int y, int w = 120, int h = 20)
    {
        auto* b = Add<TZCLCheckBox>(x, y, w, h);
        b->SetCaption(caption);
        const std::string name = caption;
        b->SetOnClick(TNotifyEvent::From([this, name](TObject*) { log.lines.push_back(name + " click"); }));
        b->SetOnChange(TNotifyEvent::From([this, b, name](TObject*) {
            static const char* states[] = {"unchecked", "checked", "grayed"};
            log.lines.push_back(name + " change " + states[b->State()]);
        }));
        return b;
    }
    controltest::TTestEdit* AddEdit(int x, int y)
    {
        auto* e = new controltest::TTestEdit(form.get());
        e->SetParent(form.get());
        e->SetBounds(x, y, 80, 20);
        return e;
    }
    // The lines of OnChange.
    std::vector<std::string> Changes() const
    {
        std::vector<std::string> out;
        for (const std::string& l : log.lines)
            if (l.find(" change ") != std::string::npos) out.push_back(l);
        return out;
    }
    // The box's glyph as it is drawn now: the colour at the middle of its image.
    static COLORREF GlyphMiddle(TZCLCheckBox* b)
    {
        Render r(b);
        const int y = b->Height() / 2;
        // The glyph stands at the left, vertically centred.
        return r.At(b->GlyphWidth() / 2, y);
    }
};

// Toggling ---------------------------------------------------------------------------------------------------

TEST_F(CheckBoxes, ToggleCyclesThroughGrayedOnlyWithAllowGrayedAndFiresOnChangeEachTime)
{
    const struct {
        bool allowGrayed;
        std::vector<TCheckBoxState> cycle;
    } cases[] = {
        {false, {cbChecked, cbUnchecked, cbChecked}},
        {true, {cbGrayed, cbChecked, cbUnchecked, cbGrayed}},
    };
    for (const auto& c : cases) {
        log.lines.clear();
        auto* b = AddBox("A", 10, 10);
        b->SetAllowGrayed(c.allowGrayed);
        for (TCheckBoxState expected : c.cycle) {
            b->Toggle();
            EXPECT_EQ(b->State(), expected) << c.allowGrayed;
        }
        EXPECT_EQ(log.Of("click").size(), 0u);
        EXPECT_EQ(int(log.lines.size()), int(c.cycle.size())) << "one change per toggle";
        delete b;
    }
    // From grayed a toggle checks, whatever AllowGrayed says now.
    auto* b = AddBox("B", 10, 10);
    b->SetState(cbGrayed);
    b->Toggle();
    EXPECT_EQ(b->State(), cbChecked);
}

TEST_F(CheckBoxes, StateAndCheckedSetFromCodeFireNoEvent)
{
    auto* b = AddBox("A", 10, 10);
    b->SetChecked(true);
    EXPECT_EQ(b->State(), cbChecked);
    EXPECT_TRUE(b->Checked());
    b->SetState(cbGrayed);
    EXPECT_FALSE(b->Checked());
    b->SetChecked(false);
    EXPECT_EQ(b->State(), cbUnchecked);
    b->SetState(TCheckBoxState(7));
    EXPECT_EQ(b->State(), cbUnchecked) << "no state beyond grayed";
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(CheckBoxes, RealClicksToggleAndADoubleClickTogglesTwice)
{
    auto* a = AddBox("A", 20, 20);
    a->SetAllowGrayed(true);
    ShowForm();
    ClickOn(a);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") == 1; }, 3000));
    EXPECT_EQ(a->State(), cbGrayed);
    EXPECT_TRUE(a->Focused()) << "a click focuses the box";
    EXPECT_EQ(log.lines, (std::vector<std::string>{"A change grayed", "A click"}));
    MouseToCentre(a);
    INPUT in[4]{};
    for (INPUT& i : in) i.type = INPUT_MOUSE;
    in[0].mi.dwFlags = in[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = in[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(4, in, sizeof(INPUT));
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") == 3; }, 3000));
    EXPECT_EQ(a->State(), cbUnchecked) << "grayed, checked, unchecked";
}

TEST_F(CheckBoxes, TheSpaceKeyAndTheAcceleratorToggleAModifiableBox)
{
    auto* a = AddBox("&Apples", 20, 20);
    auto* b = AddBox("&Bananas", 20, 50);
    auto* edit = AddEdit(20, 90);
    ShowForm();
    a->SetFocus();
    Pump(30);
    controltest::Key(VK_SPACE);
    EXPECT_TRUE(a->Checked());
    edit->SetFocus();
    Pump(30);
    controltest::Key('B', {VK_MENU});
    EXPECT_TRUE(b->Focused()) << "the accelerator focuses";
    EXPECT_TRUE(b->Checked()) << "and toggles";
    EXPECT_EQ(Changes(), (std::vector<std::string>{"&Apples change checked", "&Bananas change checked"}));
}

TEST_F(CheckBoxes, AReadOnlyBoxIgnoresClicksTheSpaceKeyAndTheAccelerator)
{
    auto* a = AddBox("&Read", 20, 20);
    a->SetReadOnly(true);
    auto* edit = AddEdit(20, 90);
    ShowForm();
    ClickOn(a);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("&Read click") == 1; }, 3000)) << "the click itself still runs";
    controltest::Key(VK_SPACE);
    edit->SetFocus();
    Pump(30);
    controltest::Key('R', {VK_MENU});
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(Changes().empty());
    a->SetReadOnly(false);
    a->SetFocus();
    Pump(30);
    controltest::Key(VK_SPACE);
    EXPECT_TRUE(a->Checked());
}

TEST_F(CheckBoxes, AClickOnABoxThatCannotKeepTheFocusIsDropped)
{
    auto* a = AddBox("A", 20, 20);
    auto* edit = AddEdit(20, 90);
    // Whenever the box gets the focus it is sent back to the edit.
    a->SetOnEnter(TNotifyEvent::From([&](TObject*) { edit->SetFocus(); }));
    ShowForm();
    edit->SetFocus();
    Pump(30);
    ClickOn(a);
    Pump(100);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(edit->Focused());
}

// Glyphs -----------------------------------------------------------------------------------------------------

TEST_F(CheckBoxes, TheStandardStripHoldsTheSystemImagesOfEveryStateAndLook)
{
    auto* b = AddBox("", 10, 10);
    ASSERT_TRUE(b->StandardGlyph());
    EXPECT_EQ(b->GlyphBitmap()->Width(), 6 * 13);
    EXPECT_EQ(b->GlyphBitmap()->Height(), 13);
    b->SetGlyphSize(16);
    EXPECT_EQ(b->GlyphBitmap()->Width(), 6 * 16);
    EXPECT_EQ(b->GlyphWidth(), 16);
    b->SetGlyphSize(0);
    EXPECT_EQ(b->GlyphSize(), 1) << "no empty images";
    b->SetGlyphSize(13);
    // Each image is the system's: the interior of the unchecked one in the window colour, of the inactive one in
    // the face colour; the checked ones have dark pixels in the middle.
    auto image = [&](int i, int x, int y) { return COLORREF(b->GlyphBitmap()->Canvas()->Pixels(i * 13 + x, y)) & 0xFFFFFF; };
    EXPECT_EQ(image(0, 6, 6), Sys(COLOR_WINDOW));
    EXPECT_EQ(image(1, 6, 6), Sys(COLOR_BTNFACE));
    int dark = 0;
    for (int y = 3; y < 10; ++y)
        for (int x = 3; x < 10; ++x) dark += image(2, x, y) == Sys(COLOR_WINDOWTEXT);
    EXPECT_GT(dark, 5) << "the check mark";
    b->SetFlat(true);
    EXPECT_EQ(b->GlyphBitmap()->Width(), 12 * 13) << "the flat look is the second half of the strip";
    b->SetFlat(false);
    EXPECT_EQ(b->GlyphBitmap()->Width(), 6 * 13);
}

TEST_F(CheckBoxes, EachStateLookAndFocusPicksItsImageAndNeverOneOutsideTheStrip)
{
    auto* b = AddBox("A", 20, 20);
    auto* edit = AddEdit(20, 90);
    ShowForm();
    edit->SetFocus();
    Pump(30);
    const struct {
        TCheckBoxState state;
        bool enabled, flat;
        int glyphNumber;
        int image;
    } cases[] = {
        {cbUnchecked, true, false, 3, 0},  {cbUnchecked, false, false, 3, 1}, {cbChecked, true, false, 3, 2},
        {cbChecked, false, false, 3, 3},   {cbGrayed, true, false, 3, 4},     {cbGrayed, false, false, 3, 5},
        {cbUnchecked, true, true, 3, 6},   {cbChecked, false, true, 3, 9},    {cbGrayed, false, true, 3, 11},
        {cbGrayed, true, false, 2, 2},     {cbGrayed, true, false, 0, 0},     {cbChecked, true, true, 1, 6},
    };
    for (const auto& c : cases) {
        b->SetGlyphNumber(c.glyphNumber);
        b->SetFlat(c.flat);
        b->SetEnabled(c.enabled);
        b->SetState(c.state);
        const int image = b->GetGlyphNumber();
        EXPECT_EQ(image, c.image) << c.state << c.enabled << c.flat << c.glyphNumber;
        EXPECT_LE((image + 1) * b->GlyphWidth(), b->GlyphBitmap()->Width()) << "inside the strip";
    }
    // A flat box shows its 3D look while focused.
    b->SetEnabled(true);
    b->SetGlyphNumber(3);
    b->SetFlat(true);
    b->SetState(cbChecked);
    b->SetFocus();
    Pump(30);
    EXPECT_EQ(b->GetGlyphNumber(), 2);
}

TEST_F(CheckBoxes, TheShownGlyphIsTheImageOfTheState)
{
    auto* b = AddBox("", 20, 20, 40, 20);
    auto image = [&](int i) {
        return COLORREF(b->GlyphBitmap()->Canvas()->Pixels(i * b->GlyphWidth() + 6, 6)) & 0xFFFFFF;
    };
    EXPECT_EQ(GlyphMiddle(b), image(0));
    b->SetEnabled(false);
    EXPECT_EQ(GlyphMiddle(b), image(1));
    EXPECT_NE(image(0), image(1));
}

TEST_F(CheckBoxes, AnImageListStripIsCutIntoTwoImagesPerStateAndHalvedWhileFlat)
{
    // Twelve 8-pixel cells, each of its own colour.
    auto colourOf = [](int cell) { return COLORREF(RGB(20 * cell, 255 - 20 * cell, 100)); };
    TZCLImageList list(nullptr);
    list.Add();
    auto* item = list.StripItem(0);
    item->SetWidth(96);
    item->SetHeight(8);
    auto strip = drawtest::MakeBitmap(96, 8, [&](int x, int) { return std::uint32_t(colourOf(x / 8)); });
    item->Add(strip.get(), nullptr);

    auto* b = AddBox("", 20, 20, 40, 20);
    b->SetImageList(&list);
    ASSERT_FALSE(b->StandardGlyph());
    EXPECT_EQ(b->GlyphWidth(), 16) << "96 / (2 x 3)";
    b->SetState(cbChecked);
    EXPECT_EQ(GlyphMiddle(b), colourOf(5)) << "image 2 covers cells 4 and 5";
    b->SetFlat(true);
    EXPECT_EQ(b->GlyphWidth(), 8) << "halved while flat";
    EXPECT_EQ(b->GetGlyphNumber(), 2 + 6);
    EXPECT_EQ(GlyphMiddle(b), colourOf(8)) << "the flat half";
    b->SetGlyphNumber(2);
    EXPECT_EQ(b->GlyphWidth(), 12) << "96 / (2 x 2) / 2";
    EXPECT_EQ(b->GetGlyphNumber(), 2 + 4) << "the flat half after two images per state";
    b->SetImageList(nullptr);
    EXPECT_TRUE(b->StandardGlyph());
    EXPECT_EQ(b->GlyphWidth(), 13);
}

// Size, focus, actions ---------------------------------------------------------------------------------------

TEST_F(CheckBoxes, AutoSizeFitsTheGlyphAndTheCaption)
{
    auto* b = AddBox("Short", 20, 20, 300, 60);
    b->SetAutoSize(true);
    const int shortWidth = b->Width();
    EXPECT_LT(shortWidth, 300);
    EXPECT_GE(b->Height(), 13);
    EXPECT_LT(b->Height(), 60);
    b->SetCaption("A much longer caption than before");
    EXPECT_GT(b->Width(), shortWidth + 40);
    const int longWidth = b->Width();
    b->SetGlyphSize(30);
    EXPECT_GT(b->Width(), longWidth) << "a bigger glyph";
    EXPECT_GE(b->Height(), 30);
}

TEST_F(CheckBoxes, TheFocusIsADottedRectangleInTheFocusColourWhenAsked)
{
    auto* b = AddBox("Focus me", 20, 20, 140, 24);
    b->SetFocusColor(TColor(RGB(255, 0, 0)));
    auto reds = [&] { return Render(b).Count(RGB(255, 0, 0), 0, 0, b->Width(), b->Height()); };
    auto* edit = AddEdit(20, 90);
    ShowForm();
    edit->SetFocus();
    Pump(30);
    b->SetUseFocusColor(true);
    EXPECT_EQ(reds(), 0) << "not focused";
    b->SetFocus();
    Pump(30);
    EXPECT_GT(reds(), 20);
    b->SetFocusStyle(fcNone);

    EXPECT_EQ(reds(), 0);
    b->SetFocusStyle(fcControl);
    const int aroundControl = reds();
    b->SetFocusStyle(fcText);
    EXPECT_GT(aroundControl, reds()) << "round the whole control, not just the caption";
}

TEST_F(CheckBoxes, TheCheckedStateFollowsTheAction)
{
    auto* action = new TAction(form.get());
    action->SetCaption("Linked");
    action->SetChecked(true);
    auto* b = AddBox("", 20, 20);
    b->SetAction(action);
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(b->Caption(), AnsiString("Linked"));
    action->SetChecked(false);
    EXPECT_FALSE(b->Checked());
    action->SetChecked(true);
    EXPECT_TRUE(b->Checked());
    b->SetState(cbGrayed);
    action->SetChecked(false);
    EXPECT_EQ(b->State(), cbGrayed) << "no longer linked once the two differ";
}

// Transparency ------------------------------------------------------------------------------------------------

TEST_F(CheckBoxes, ATransparentBoxShowsThePictureOfItsParentAroundGlyphAndCaption)
{
    auto* back = new paneltest::TPlaceParent(form.get());
    back->SetParent(form.get());
    back->SetBounds(0, 0, 300, 200);
    auto* box = new TZCLCheckBox(form.get());
    box->SetParent(back);
    box->SetBounds(37, 29, 150, 20);
    box->SetCaption("Do not ask again");
    box->SetChecked(true);
    box->SetTransparent(true);
    auto* opaque = new TZCLCheckBox(form.get());
    opaque->SetParent(back);
    opaque->SetBounds(37, 79, 150, 20);
    opaque->SetCaption("Opaque");
    ShowForm();
    // On the screen, off the glyph and the caption: the corners and the far end.
    const TPoint probes[] = {{1, 0}, {146, 1}, {146, 18}, {120, 10}};
    auto screen = [](TWinControl* c, const TPoint& p) {
        HDC dc = GetDC(c->Handle());
        const COLORREF colour = GetPixel(dc, p.x, p.y);
        ReleaseDC(c->Handle(), dc);
        return colour;
    };
    for (const TPoint& p : probes) {
        const COLORREF expected = paneltest::PlaceColour(box->Left() + p.x, box->Top() + p.y);
        EXPECT_TRUE(PumpUntil([&] { return screen(box, p) == expected; }, 5000))
            << "at " << p.x << "," << p.y << ": " << std::hex << screen(box, p) << " not " << expected;
        EXPECT_TRUE(PumpUntil([&] { return screen(opaque, p) == Sys(COLOR_BTNFACE); }, 5000))
            << "opaque at " << p.x << "," << p.y;
    }
    // The mark is still drawn over the picture.
    EXPECT_NE(GlyphMiddle(box), paneltest::PlaceColour(box->Left() + box->GlyphWidth() / 2, box->Top() + 10));
}

}  // namespace
