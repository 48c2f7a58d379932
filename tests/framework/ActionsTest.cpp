#include "framework/visual/ActnList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/visual/Controls.h"
#include "framework/visual/ImgList.h"
#include "framework/visual/Menus.h"

namespace {

// A form stand-in: owns the actions, the list and the menu items, as a form built in code does.
class ActionsTest : public testing::Test {
protected:
    std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);
    std::vector<std::string> calls;

    TAction* NewAction(const char* caption, TActionList* list = nullptr)
    {
        auto* action = new TAction(form.get());
        action->SetCaption(caption);
        if (list) action->SetActionList(list);
        return action;
    }
    TMenuItem* NewItem(TBasicAction* action)
    {
        auto* item = new TMenuItem(form.get());
        item->SetAction(action);
        return item;
    }
    TNotifyEvent Record(const std::string& name)
    {
        return TNotifyEvent::From([this, name](TObject*) { calls.push_back(name); });
    }
};

TEST_F(ActionsTest, AssigningAnActionCopiesItsPropertiesIntoTheItem)
{
    TAction* action = NewAction("St&art Transfer");
    action->SetHint("Start the Transfer");
    action->SetEnabled(false);
    action->SetChecked(true);
    action->SetImageIndex(3);
    action->SetShortCut(TShortCut(scCtrl | 'S'));
    action->SetVisible(false);

    TMenuItem* item = NewItem(action);
    EXPECT_EQ(item->Action(), action);
    EXPECT_EQ(item->Caption(), "St&art Transfer");
    EXPECT_EQ(item->Hint(), "Start the Transfer");
    EXPECT_FALSE(item->Enabled());
    EXPECT_TRUE(item->Checked());
    EXPECT_EQ(item->ImageIndex(), 3);
    EXPECT_EQ(item->ShortCut(), TShortCut(scCtrl | 'S'));
    EXPECT_FALSE(item->Visible());
}

TEST_F(ActionsTest, ChangesReachEveryClientThatStillShowsTheActionsValue)
{
    TAction* action = NewAction("&Login...");
    TMenuItem* trayItem = NewItem(action);
    TMenuItem* otherItem = NewItem(action);
    TMenuItem* renamed = NewItem(action);
    renamed->SetCaption("Sign in");  // changed away from the action: keeps its own caption from now on
    EXPECT_EQ(action->LinkCount(), 3);

    action->SetCaption("&Logout");
    action->SetEnabled(false);
    for (TMenuItem* item : {trayItem, otherItem}) {
        EXPECT_EQ(item->Caption(), "&Logout");
        EXPECT_FALSE(item->Enabled());
    }
    EXPECT_EQ(renamed->Caption(), "Sign in");
    EXPECT_FALSE(renamed->Enabled());  // its enabled state was still the action's

    action->SetCaption("&Login...");
    action->SetEnabled(true);
    EXPECT_EQ(trayItem->Caption(), "&Login...");
    EXPECT_TRUE(trayItem->Enabled());
    EXPECT_EQ(renamed->Caption(), "Sign in");
}

TEST_F(ActionsTest, EveryPropertyIsPushedAndAnnouncedOnce)
{
    TAction* action = NewAction("a");
    TMenuItem* item = NewItem(action);
    int changes = 0;
    action->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));

    action->SetHint("h");
    action->SetChecked(true);
    action->SetImageIndex(2);
    action->SetShortCut(TShortCut(scAlt | VK_F4));
    action->SetVisible(false);
    action->SetVisible(false);  // no change, no announcement
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(item->Hint(), "h");
    EXPECT_TRUE(item->Checked());
    EXPECT_EQ(item->ImageIndex(), 2);
    EXPECT_EQ(item->ShortCut(), TShortCut(scAlt | VK_F4));
    EXPECT_FALSE(item->Visible());
}

TEST_F(ActionsTest, ExecuteRunsOnExecuteOnlyWhenThereIsOneAndTheActionIsEnabled)
{
    TAction* action = NewAction("&Ping...");
    EXPECT_FALSE(action->Execute()) << "nothing to run";

    action->SetOnExecute(Record("execute"));
    EXPECT_TRUE(action->Execute());
    EXPECT_EQ(calls, std::vector<std::string>{"execute"});

    calls.clear();
    action->SetEnabled(false);
    EXPECT_FALSE(action->Execute());
    EXPECT_TRUE(calls.empty());
}

TEST_F(ActionsTest, UpdateRunsBeforeExecuteAndCanDisableIt)
{
    TAction* action = NewAction("St&op Transfer");
    bool running = false;
    action->SetOnUpdate(TNotifyEvent::From([&](TObject* sender) {
        calls.push_back("update");
        static_cast<TAction*>(sender)->SetEnabled(running);
    }));
    action->SetOnExecute(Record("execute"));

    EXPECT_FALSE(action->Execute());
    EXPECT_EQ(calls, std::vector<std::string>{"update"});
    running = true;
    calls.clear();
    EXPECT_TRUE(action->Execute());
    EXPECT_EQ(calls, (std::vector<std::string>{"update", "execute"}));
}

TEST_F(ActionsTest, ClickingAnItemExecutesItsActionWithTheItemAsActionComponent)
{
    TAction* action = NewAction("&Exit Application");
    TComponent* seen = nullptr;
    action->SetOnExecute(TNotifyEvent::From([&](TObject* sender) {
        seen = static_cast<TAction*>(sender)->ActionComponent();
    }));
    TMenuItem* item = NewItem(action);

    item->Click();
    EXPECT_EQ(seen, item);
    EXPECT_EQ(action->ActionComponent(), nullptr);

    // An item's own OnClick is run instead of the action.
    seen = nullptr;
    item->SetOnClick(Record("click"));
    item->Click();
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(calls, std::vector<std::string>{"click"});
}

TEST_F(ActionsTest, FreeingEitherSideOfALinkLeavesTheOtherSound)
{
    TAction* action = NewAction("&Configuration...");
    TMenuItem* first = NewItem(action);
    TMenuItem* second = NewItem(action);
    ASSERT_EQ(action->LinkCount(), 2);

    delete first;
    EXPECT_EQ(action->LinkCount(), 1);
    action->SetCaption("changed");  // must not reach the freed item
    EXPECT_EQ(second->Caption(), "changed");

    delete action;
    EXPECT_EQ(second->Action(), nullptr);
    EXPECT_EQ(second->Caption(), "changed");
    second->Click();  // nothing to run, nothing to crash
    second->SetAction(nullptr);
}

TEST_F(ActionsTest, ActionListsCollectActionsAndSeeTheirEventsFirst)
{
    auto* list = new TActionList(form.get());
    TAction* start = NewAction("start", list);
    TAction* stop = NewAction("stop", list);
    ASSERT_EQ(list->ActionCount(), 2);
    EXPECT_EQ(list->Actions(1), stop);
    EXPECT_EQ(stop->Index(), 1);
    EXPECT_THROW(list->Actions(2), EListError);

    start->SetOnExecute(Record("start"));
    start->SetOnUpdate(Record("start update"));
    stop->SetOnUpdate(Record("stop update"));
    list->UpdateActions();
    EXPECT_EQ(calls, (std::vector<std::string>{"start update", "stop update"}));

    calls.clear();
    list->SetOnExecute(TActionEvent::From([&](TBasicAction* action, bool& handled) {
        calls.push_back("list " + std::string(static_cast<TAction*>(action)->Caption().c_str()));
        handled = action == stop;
    }));
    EXPECT_TRUE(start->Execute());
    EXPECT_TRUE(stop->Execute()) << "handled by the list";
    EXPECT_EQ(calls, (std::vector<std::string>{"start update", "list start", "start", "stop update", "list stop"}));

    delete start;
    EXPECT_EQ(list->ActionCount(), 1);
    EXPECT_EQ(stop->Index(), 0);
    delete list;
    EXPECT_EQ(stop->ActionList(), nullptr);
    EXPECT_EQ(stop->Index(), -1);
    EXPECT_FALSE(stop->Execute()) << "its own OnExecute is unset";
}

TEST_F(ActionsTest, MovingAnActionToAnotherList)
{
    auto* first = new TActionList(form.get());
    auto* second = new TActionList(form.get());
    TAction* action = NewAction("a", first);
    action->SetActionList(second);
    EXPECT_EQ(first->ActionCount(), 0);
    ASSERT_EQ(second->ActionCount(), 1);
    EXPECT_EQ(action->ActionList(), second);
}

TEST_F(ActionsTest, TheListForgetsAFreedImageList)
{
    auto* list = new TActionList(form.get());
    auto* images = new TImageList(form.get());
    list->SetImages(images);
    EXPECT_EQ(list->Images(), images);
    delete images;
    EXPECT_EQ(list->Images(), nullptr);

    // And the other way round: a list freed first leaves nothing behind in the image list.
    auto* images2 = new TImageList(nullptr);
    list->SetImages(images2);
    delete list;
    delete images2;
}

}  // namespace

namespace {

// A tool button stand-in: any control shows its action through the control link.
TEST_F(ActionsTest, AControlShowsItsActionAndAClickExecutesIt)
{
    TAction* action = NewAction("&Close Window");
    action->SetHint("Close the window");
    action->SetOnExecute(Record("execute"));
    TControl button(form.get());
    button.SetAction(action);
    EXPECT_EQ(button.Action(), action);
    EXPECT_EQ(button.Caption(), "&Close Window");
    EXPECT_EQ(button.Hint(), "Close the window");

    action->SetEnabled(false);
    EXPECT_FALSE(button.Enabled());
    action->SetEnabled(true);
    action->SetCaption("C&lose");
    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(button.Caption(), "C&lose");

    button.Click();
    EXPECT_EQ(calls, std::vector<std::string>{"execute"});

    // A handler of the control's own takes the click; the action still drives the looks.
    calls.clear();
    button.SetOnClick(Record("own click"));
    button.Click();
    EXPECT_EQ(calls, std::vector<std::string>{"own click"});

    // Without action the control keeps what it showed and its own handler.
    button.SetAction(nullptr);
    EXPECT_EQ(button.Caption(), "C&lose");
    EXPECT_TRUE(bool(button.OnClick()));
    action->SetCaption("gone");
    EXPECT_EQ(button.Caption(), "C&lose");
}

TEST_F(ActionsTest, AControlsClickIsGivenBackWhenItsActionGoes)
{
    TAction* action = NewAction("a");
    action->SetOnExecute(Record("execute"));
    TControl button(form.get());
    button.SetAction(action);
    ASSERT_TRUE(bool(button.OnClick()));
    delete action;
    EXPECT_EQ(button.Action(), nullptr);
    EXPECT_FALSE(bool(button.OnClick()));
    button.Click();
    EXPECT_TRUE(calls.empty());
}

}  // namespace
