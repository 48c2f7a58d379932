#include "framework/visual/Menus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/visual/ActnList.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"

namespace {

// An item that counts its own end.
struct CountedItem : TMenuItem {
    explicit CountedItem(TComponent* owner, int& freed) : TMenuItem(owner), freed_(freed) {}
    ~CountedItem() override { ++freed_; }
    int& freed_;
};

TMenuItem* NewItem(TComponent* owner, const char* caption)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    return item;
}

TEST(MenuItemTest, ItemsFormATreeThatFreesItsBranches)
{
    int freed = 0;
    {
        TPopupMenu menu(nullptr);
        TMenuItem* root = menu.Items();
        auto* a = new CountedItem(nullptr, freed);
        auto* b = new CountedItem(nullptr, freed);
        auto* sub = new CountedItem(nullptr, freed);
        root->Add(a);
        root->Insert(0, b);
        a->Add(sub);
        EXPECT_EQ(root->Count(), 2);
        EXPECT_EQ(root->Items(0), b);
        EXPECT_EQ(a->MenuIndex(), 1);
        EXPECT_EQ(sub->Parent(), a);
        EXPECT_EQ(sub->GetParentMenu(), &menu);
        EXPECT_THROW(root->Items(2), EListError);

        a->SetMenuIndex(0);
        EXPECT_EQ(root->Items(0), a);

        root->Remove(b);
        EXPECT_EQ(b->Parent(), nullptr);
        EXPECT_EQ(root->Count(), 1);
        delete b;  // taken out: the menu no longer frees it
        EXPECT_EQ(freed, 1);

        delete sub;  // leaves its parent
        EXPECT_EQ(a->Count(), 0);
        EXPECT_EQ(freed, 2);
    }
    EXPECT_EQ(freed, 3) << "the menu freed the item still in it";
}

TEST(MenuItemTest, AnItemCanBeInOnePlaceOnly)
{
    TPopupMenu menu(nullptr);
    TMenuItem* item = NewItem(nullptr, "x");
    menu.Items()->Add(item);
    TMenuItem* child = NewItem(nullptr, "y");
    item->Add(child);
    EXPECT_THROW(menu.Items()->Add(item), EMenuError);
    EXPECT_THROW(child->Add(item), EMenuError) << "an item inside itself";
    EXPECT_THROW(item->Add(item), EMenuError);
    TMenuItem stranger(nullptr);
    EXPECT_THROW(menu.Items()->Remove(&stranger), EMenuError);
}

TEST(MenuItemTest, ItemsOwnedByAFormLeaveItWhenTheMenuFreesThem)
{
    TComponent form(nullptr);
    auto* menu = new TPopupMenu(&form);
    menu->Items()->Add(NewItem(&form, "one"));
    menu->Items()->Add(NewItem(&form, "two"));
    ASSERT_EQ(form.ComponentCount(), 3);
    delete menu;
    EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(MenuItemTest, SeparatorIsTheDashCaption)
{
    TMenuItem item(nullptr);
    item.SetCaption("-");
    EXPECT_TRUE(item.IsLine());
    item.SetCaption("--");
    EXPECT_FALSE(item.IsLine());
}

TEST(PopupMenuTest, PopupComponentIsForgottenWhenItIsFreed)
{
    TPopupMenu menu(nullptr);
    auto icon = std::make_unique<TComponent>(nullptr);
    menu.SetPopupComponent(icon.get());
    EXPECT_EQ(menu.PopupComponent(), icon.get());
    icon.reset();
    EXPECT_EQ(menu.PopupComponent(), nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// The real menu: a second thread waits for it to open, looks at it and answers with keys.

struct ShownItem {
    std::string text;
    UINT state;  // MF_ flags of GetMenuState
    bool submenu;
};

BOOL CALLBACK FindMenuWindow(HWND wnd, LPARAM lParam)
{
    char name[16] = "";
    GetClassNameA(wnd, name, sizeof name);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (std::string(name) == "#32768" && pid == GetCurrentProcessId() && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(lParam) = wnd;
        return FALSE;
    }
    return TRUE;
}

// The open popup menu window of this process, nullptr when none is open.
HWND FindOpenMenu()
{
    HWND found = nullptr;
    EnumWindows(&FindMenuWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<ShownItem> ReadMenu(HMENU menu)
{
    std::vector<ShownItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = "";
        GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
        items.push_back({text, GetMenuState(menu, UINT(i), MF_BYPOSITION), GetSubMenu(menu, i) != nullptr});
    }
    return items;
}

// Opens menu at a point while a driver thread waits for it, hands its HMENU to look, then presses keys.
class MenuDriver {
public:
    std::vector<ShownItem> shown;
    std::vector<ShownItem> shownSub;  // the first submenu, if any
    bool opened = false;

    void Run(TPopupMenu& menu, std::vector<WPARAM> keys)
    {
        std::atomic<bool> done{false};
        std::thread driver([&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            HWND wnd = nullptr;
            while (!done && !(wnd = FindOpenMenu()) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (!wnd) return;
            opened = true;
            const HMENU hmenu = reinterpret_cast<HMENU>(SendMessageA(wnd, MN_GETHMENU, 0, 0));
            shown = ReadMenu(hmenu);
            for (int i = 0; i < GetMenuItemCount(hmenu); ++i)
                if (const HMENU sub = GetSubMenu(hmenu, i)) {
                    shownSub = ReadMenu(sub);
                    break;
                }
            for (WPARAM key : keys) {
                PostMessageA(wnd, WM_KEYDOWN, key, 0);
                PostMessageA(wnd, WM_KEYUP, key, LPARAM(0xC0000000));
            }
        });
        menu.Popup(100, 100);
        done = true;
        driver.join();
    }
};

// The notification-area menu of the main window: actions, separators, a rule run in OnPopup.
class TrayMenuTest : public testing::Test {
protected:
    TComponent form{nullptr};
    TActionList* actions = new TActionList(&form);
    TAction* login = NewAction("&Login...");
    TAction* start = NewAction("St&art Transfer");
    TAction* stop = NewAction("St&op Transfer");
    TAction* exit = NewAction("&Exit Application");
    TPopupMenu* menu = new TPopupMenu(&form);
    std::vector<std::string> calls;

    void SetUp() override
    {
        for (TBasicAction* a : std::initializer_list<TBasicAction*>{login, nullptr, start, stop, nullptr, exit}) {
            auto* item = new TMenuItem(&form);
            if (a)
                item->SetAction(a);
            else
                item->SetCaption("-");
            menu->Items()->Add(item);
        }
        for (TAction* a : {login, start, stop, exit}) {
            a->SetOnExecute(TNotifyEvent::From([this](TObject* sender) {
                calls.push_back(static_cast<TAction*>(sender)->Caption().c_str());
            }));
        }
    }

    TAction* NewAction(const char* caption)
    {
        auto* action = new TAction(&form);
        action->SetCaption(caption);
        action->SetActionList(actions);
        return action;
    }
};

TEST_F(TrayMenuTest, StatesSetInOnPopupShowInTheMenuThatOpens)
{
    bool running = true;
    menu->SetOnPopup(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, menu);
        EXPECT_EQ(FindOpenMenu(), nullptr) << "OnPopup runs before the menu shows";
        start->SetEnabled(!running);
        stop->SetEnabled(running);
        exit->SetEnabled(!running);
        login->SetCaption("&Logout");
    }));
    stop->SetShortCut(TShortCut(scCtrl | 'O'));

    MenuDriver driver;
    driver.Run(*menu, {VK_ESCAPE});
    ASSERT_TRUE(driver.opened);
    ASSERT_EQ(driver.shown.size(), 6u);
    EXPECT_EQ(driver.shown[0].text, "&Logout");
    EXPECT_TRUE(driver.shown[1].state & MF_SEPARATOR);
    EXPECT_EQ(driver.shown[2].text, "St&art Transfer");
    EXPECT_TRUE(driver.shown[2].state & MF_GRAYED);
    EXPECT_EQ(driver.shown[3].text, "St&op Transfer\tCtrl+O");
    EXPECT_FALSE(driver.shown[3].state & MF_GRAYED);
    EXPECT_TRUE(driver.shown[4].state & MF_SEPARATOR);
    EXPECT_TRUE(driver.shown[5].state & MF_GRAYED);
    EXPECT_TRUE(calls.empty()) << "Escape chooses nothing";
}

TEST_F(TrayMenuTest, TheChosenItemRunsItsActionBeforePopupReturns)
{
    // Down selects the first item, two more reach the third (the separator is skipped).
    MenuDriver driver;
    driver.Run(*menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(driver.opened);
    EXPECT_EQ(calls, std::vector<std::string>{"St&op Transfer"});
}

TEST_F(TrayMenuTest, ActionUpdatesRunAfterOnPopupAndBeforeTheMenuIsBuilt)
{
    menu->SetOnPopup(TNotifyEvent::From([&](TObject*) { calls.push_back("popup"); }));
    exit->SetOnUpdate(TNotifyEvent::From([&](TObject*) {
        calls.push_back("update");
        exit->SetEnabled(false);
    }));
    MenuDriver driver;
    driver.Run(*menu, {VK_ESCAPE});
    ASSERT_TRUE(driver.opened);
    EXPECT_EQ(calls, (std::vector<std::string>{"popup", "update"}));
    EXPECT_TRUE(driver.shown[5].state & MF_GRAYED);
}

TEST(PopupMenuTest, HiddenItemsAreLeftOutAndItemsWithItemsOpenSubmenus)
{
    TPopupMenu menu(nullptr);
    TMenuItem* hidden = NewItem(nullptr, "hidden");
    hidden->SetVisible(false);
    TMenuItem* checked = NewItem(nullptr, "checked");
    checked->SetChecked(true);
    TMenuItem* more = NewItem(nullptr, "more");
    TMenuItem* deep = NewItem(nullptr, "deep");
    more->Add(deep);
    for (TMenuItem* item : {hidden, checked, more}) menu.Items()->Add(item);
    std::vector<std::string> clicks;
    deep->SetOnClick(TNotifyEvent::From([&](TObject* sender) {
        clicks.push_back(static_cast<TMenuItem*>(sender)->Caption().c_str());
    }));

    MenuDriver driver;
    // Down to "more", Right opens it with "deep" selected, Enter chooses it.
    driver.Run(menu, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN});
    ASSERT_TRUE(driver.opened);
    ASSERT_EQ(driver.shown.size(), 2u);
    EXPECT_EQ(driver.shown[0].text, "checked");
    EXPECT_TRUE(driver.shown[0].state & MF_CHECKED);
    EXPECT_EQ(driver.shown[1].text, "more");
    EXPECT_TRUE(driver.shown[1].submenu);
    ASSERT_EQ(driver.shownSub.size(), 1u);
    EXPECT_EQ(driver.shownSub[0].text, "deep");
    EXPECT_EQ(clicks, std::vector<std::string>{"deep"});
}

TEST(PopupMenuTest, ARightClickOnAControlOpensItsMenuForIt)
{
    TPopupMenu menu(nullptr);
    menu.Items()->Add(NewItem(nullptr, "Copy"));
    TControl control(nullptr);
    control.SetBounds(200, 150, 40, 20);
    control.SetPopupMenu(&menu);
    std::vector<TComponent*> openedFor;
    menu.SetOnPopup(TNotifyEvent::From([&](TObject*) { openedFor.push_back(menu.PopupComponent()); }));

    // The menu opens inside Perform; a second thread notes where and closes it.
    MenuDriver driver;
    std::atomic<bool> done{false};
    std::thread closer([&] {
        HWND wnd = nullptr;
        for (int i = 0; i < 1000 && !done && !(wnd = FindOpenMenu()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!wnd) return;
        RECT r;
        GetWindowRect(wnd, &r);
        driver.shown.push_back({std::to_string(r.left) + "," + std::to_string(r.top), 0, false});
        PostMessageA(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    control.Perform(WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
    done = true;
    closer.join();
    ASSERT_EQ(openedFor, std::vector<TComponent*>{&control});
    ASSERT_EQ(driver.shown.size(), 1u);
    EXPECT_EQ(driver.shown[0].text, "205,156") << "at the point clicked, on the screen";

    menu.SetAutoPopup(false);
    control.Perform(WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
    EXPECT_EQ(openedFor.size(), 1u) << "a menu that does not pop up by itself stays shut";
}

std::atomic<TMenuItem*> doomed;

void CALLBACK FreeDoomed(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    delete doomed.exchange(nullptr);
}

TEST(PopupMenuTest, AnItemFreedWhileTheMenuIsOpenIsNotClicked)
{
    TPopupMenu menu(nullptr);
    TMenuItem* item = NewItem(nullptr, "going");
    menu.Items()->Add(item);
    bool clicked = false;
    item->SetOnClick(TNotifyEvent::From([&](TObject*) { clicked = true; }));

    // A timer of the menu's own loop frees the item, then the driver chooses it.
    doomed = item;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &FreeDoomed);
    std::thread driver([] {
        HWND wnd = nullptr;
        for (int i = 0; i < 1000 && !(wnd = FindOpenMenu()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (int i = 0; i < 500 && doomed; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!wnd) return;
        PostMessageA(wnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(wnd, WM_KEYDOWN, VK_RETURN, 0);
    });
    menu.Popup(50, 50);
    driver.join();
    KillTimer(nullptr, timer);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_FALSE(clicked);
    EXPECT_EQ(menu.Items()->Count(), 0);
}

}  // namespace
