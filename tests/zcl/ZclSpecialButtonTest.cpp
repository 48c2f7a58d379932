// The custom-button collection: what an item passes on to its speed button, how the owner hears of changes and
// clicks (in that order, after the item's own handler), copying items, and items coming and going.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ZclButtonTestHelpers.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"

using namespace zclbtn;

namespace {

// A windowed owner that counts the size messages it gets.
class TOwnerProbe : public controltest::TPanelish {
public:
    explicit TOwnerProbe(TComponent* owner) : TPanelish(owner) {}
    int sizes = 0;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_SIZE) ++sizes;
        TPanelish::Dispatch(m);
    }
};

class SpecialButtons : public ButtonForm {
protected:
    void SetUp() override
    {
        ButtonForm::SetUp();
        owner = new TOwnerProbe(form.get());
        owner->SetParent(form.get());
        owner->SetBounds(10, 10, 300, 60);
        buttons = std::make_unique<TZCLSpecialButtons>(owner);
    }
    void TearDown() override
    {
        buttons.reset();
        ButtonForm::TearDown();
    }
    // Lays the buttons out in a row, 30 pixels apart, as an owner would.
    void LayOut()
    {
        for (int i = 0; i < buttons->Count(); ++i) buttons->GetItem(i)->SpeedButton()->SetBounds(10 + 30 * i, 10, 24, 24);
    }
    TOwnerProbe* owner;
    std::unique_ptr<TZCLSpecialButtons> buttons;
};

TEST_F(SpecialButtons, AnItemsSettingsReachItsSpeedButtonAtOnce)
{
    TZCLSpecialButton* item = buttons->Add();
    TZCLSpeedButton* b = item->SpeedButton();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Parent(), owner);
    EXPECT_TRUE(owner->ContainsControl(b));
    EXPECT_EQ(b->Color(), clBtnFace);
    EXPECT_EQ(b->Cursor(), crArrow) << "the arrow, even inside an edit's I-beam";
    EXPECT_TRUE(b->ParentFont());

    item->SetCaption("Go");
    EXPECT_EQ(b->Caption(), AnsiString("Go"));
    EXPECT_EQ(item->DisplayName(), AnsiString("Go"));
    item->SetHint("Start it");
    EXPECT_EQ(b->Hint(), AnsiString("Start it"));
    item->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    item->SetCursor(crHandPoint);
    EXPECT_EQ(b->Cursor(), crHandPoint);
    item->SetGroupIndex(7);
    EXPECT_EQ(b->GroupIndex(), 7);
    auto glyph = drawtest::MakeBitmap(12, 10, [](int, int) { return 0x00FF00u; });
    item->SetGlyph(glyph.get());
    EXPECT_EQ(b->Glyph()->Width(), 12);
    item->Glyph()->SetSize(6, 6);
    EXPECT_EQ(b->Glyph()->Width(), 6) << "a change of the item's own bitmap too";

    item->Layout()->SetSpacing(9);
    EXPECT_EQ(b->ButtonLayout()->Spacing(), 9);
    item->FontFX()->SetTracing(2);
    EXPECT_EQ(b->FontFX()->Tracing(), 2);
    item->Font()->SetSize(15);
    EXPECT_EQ(b->Font()->Size(), 15);
    EXPECT_FALSE(item->ParentFont()) << "a font of its own";
    EXPECT_FALSE(b->ParentFont());
    owner->Font()->SetSize(11);
    EXPECT_EQ(b->Font()->Size(), 15);
    item->SetParentFont(true);
    EXPECT_EQ(b->Font()->Size(), 11) << "the owner's font again";
}

TEST_F(SpecialButtons, EveryChangeTellsTheOwnerAWindowedOwnerBySizeMessage)
{
    TZCLSpecialButton* item = buttons->Add();
    // Before the owner has a window nothing can be laid out.
    EXPECT_EQ(owner->sizes, 0);
    ShowForm();
    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"caption", [&] { item->SetCaption("A"); }},
        {"hint", [&] { item->SetHint("h"); }},
        {"enabled", [&] { item->SetEnabled(false); }},
        {"cursor", [&] { item->SetCursor(crIBeam); }},
        {"group", [&] { item->SetGroupIndex(2); }},
        {"glyph", [&] { item->Glyph()->SetSize(4, 4); }},
        {"layout", [&] { item->Layout()->SetOffsetX(3); }},
        {"font", [&] { item->Font()->SetSize(20); }},
        {"font effects", [&] { item->FontFX()->SetAngle(90); }},
        {"parent font", [&] { item->SetParentFont(true); }},
        {"added", [&] { buttons->Add(); }},
        {"deleted", [&] { buttons->Delete(1); }},
    };
    for (const auto& c : changes) {
        const int before = owner->sizes;
        c.change();
        EXPECT_GT(owner->sizes, before) << c.what;
    }

    // An owner with an update handler is told through it instead.
    int updates = 0;
    buttons->SetOnUpdate(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, buttons.get());
        // Every item it sees is whole.
        for (int i = 0; i < buttons->Count(); ++i) EXPECT_NE(buttons->GetItem(i)->SpeedButton(), nullptr);
        ++updates;
    }));
    const int sizes = owner->sizes;
    item->SetCaption("B");
    buttons->Add();
    buttons->Add()->SetCaption("C");
    EXPECT_GE(updates, 4);
    EXPECT_EQ(owner->sizes, sizes);
}

TEST_F(SpecialButtons, AClickTellsTheItemThenTheOwner)
{
    buttons->Add();
    TZCLSpecialButton* second = buttons->Add();
    LayOut();
    std::vector<std::string> heard;
    second->SetOnClick(TZCLSpecialButtonClickEvent::From([&](TObject* sender, int index) {
        heard.push_back("item " + std::to_string(index) + (sender == second ? " self" : " other"));
    }));
    buttons->SetOnButtonClick(TZCLSpecialButtonClickEvent::From([&](TObject* sender, int index) {
        heard.push_back("owner " + std::to_string(index) + (sender == second ? " self" : " other"));
    }));
    ShowForm();
    ClickOn(second->SpeedButton());
    EXPECT_EQ((std::vector<std::string>{"item 1 self", "owner 1 self"}), heard);
    heard.clear();
    ClickOn(buttons->GetItem(0)->SpeedButton());
    EXPECT_EQ((std::vector<std::string>{"owner 0 other"}), heard) << "the first item has no handler";

    buttons->GetItem(0)->SetIndex(1);
    heard.clear();
    ClickOn(second->SpeedButton());
    EXPECT_EQ((std::vector<std::string>{"item 0 self", "owner 0 self"}), heard) << "the index it has now";
}

TEST_F(SpecialButtons, AssignCopiesAnItemWithOneReport)
{
    TZCLSpecialButton* from = buttons->Add();
    TZCLSpecialButton* to = buttons->Add();
    int clicks = 0;
    from->SetCaption("X");
    from->SetHint("hint");
    from->Glyph()->SetSize(5, 7);
    from->SetEnabled(false);
    from->SetCursor(crCross);
    from->SetGroupIndex(3);
    from->Layout()->SetAlignment(agBottomRight);
    from->Font()->SetSize(17);
    from->FontFX()->SetTracing(4);
    from->SetOnClick(TZCLSpecialButtonClickEvent::From([&](TObject*, int) { ++clicks; }));
    int updates = 0;
    buttons->SetOnUpdate(TNotifyEvent::From([&](TObject*) { ++updates; }));
    buttons->SetItem(1, from);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(to->Caption(), AnsiString("X"));
    EXPECT_EQ(to->Hint(), AnsiString("hint"));
    EXPECT_EQ(to->Glyph()->Width(), 5);
    EXPECT_FALSE(to->Enabled());
    EXPECT_EQ(to->Cursor(), crCross);
    EXPECT_EQ(to->GroupIndex(), 3);
    EXPECT_EQ(to->Layout()->Alignment(), agBottomRight);
    EXPECT_EQ(to->Font()->Size(), 17);
    EXPECT_EQ(to->FontFX()->Tracing(), 4);
    EXPECT_FALSE(to->ParentFont());
    EXPECT_EQ(to->SpeedButton()->Caption(), AnsiString("X"));
    EXPECT_FALSE(to->SpeedButton()->Enabled());
    EXPECT_EQ(to->SpeedButton()->Font()->Size(), 17);
    to->OnClick()(to, 1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(SpecialButtons, ItemsTakeTheirButtonsWithThem)
{
    const int before = owner->ControlCount();
    buttons->Add();
    buttons->Add();
    EXPECT_EQ(owner->ControlCount(), before + 2);
    buttons->Delete(0);
    EXPECT_EQ(owner->ControlCount(), before + 1);
    buttons->Clear();
    EXPECT_EQ(owner->ControlCount(), before);

    // A collection without an owner keeps its buttons unparented.
    TZCLSpecialButtons loose(nullptr);
    EXPECT_EQ(loose.Add()->SpeedButton()->Parent(), nullptr);
}

}  // namespace
