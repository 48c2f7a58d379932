// The library's combo box on a form on the display: incremental search by real typing, recently chosen entries
// at the top, the hop to the focus control on Enter and on a choice, the drop-down width, and the settings that
// trim and sort the list.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PoolClock.h"
#include "ZclEditTestHelpers.h"
#include "zcl/edits/Zclcombobox.h"

using namespace zcledit;

namespace {

std::string S(const AnsiString& a) { return std::string(a.c_str()); }

class ZclCombo : public EditForm {
protected:
    TZCLComboBox* AddCombo(int top, TComboBoxStyle style, std::vector<const char*> items)
    {
        auto* c = new TZCLComboBox(form.get());
        c->SetParent(form.get());
        c->SetStyle(style);
        c->SetBounds(20, top, 140, 21);
        for (const char* i : items) c->Items()->Add(i);
        c->SetOnChange(TNotifyEvent::From([this](TObject*) { ++changes; }));
        c->SetOnSelect(TNotifyEvent::From([this](TObject*) { ++selects; }));
        return c;
    }
    void Focus(TWinControl* c)
    {
        if (!form->Visible()) ShowForm();
        c->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == c->Handle() || IsChild(c->Handle(), GetFocus()); }));
    }
    // The notification the system combo sends when the user picks an item.
    static void Choose(TZCLComboBox* c, int index)
    {
        SendMessageA(c->Handle(), CB_SETCURSEL, WPARAM(index), 0);
        SendMessageA(GetParent(c->Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c->Handle()), CBN_SELCHANGE),
                     LPARAM(c->Handle()));
    }
    static std::vector<std::string> Items(TZCLComboBox* c)
    {
        std::vector<std::string> v;
        for (int i = 0; i < c->Items()->Count(); ++i) v.push_back(S(c->Items()->Strings(i)));
        return v;
    }
    int changes = 0, selects = 0;
};

TEST_F(ZclCombo, TypingSearchesTheListAfterThePause)
{
    TZCLComboBox* c = AddCombo(20, csDropDown, {"LPT1", "COM2", "COM10", "AUX"});
    c->SetInterval(300);
    c->SetSearch(true);
    EXPECT_TRUE(c->Sorted()) << "searching sorts the list";
    EXPECT_EQ(Items(c), (std::vector<std::string>{"AUX", "COM10", "COM2", "LPT1"}));
    Focus(c);
    Type("CO");
    ASSERT_TRUE(PumpUntil([&] { return S(c->Text()) == "COM10"; }, 10000)) << c->Text().c_str();
    EXPECT_EQ(c->ItemIndex(), 1);
    EXPECT_EQ(c->SelStart(), 2) << "behind the typed part";
    EXPECT_EQ(c->SelLength(), 3) << "the rest selected";
    EXPECT_FALSE(c->SearchTimerActive());

    // Nothing begins so: the text stays as typed.
    SendMessageA(c->Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    Type("ZZ");
    ASSERT_TRUE(PumpUntil([&] { return S(c->Text()) == "ZZ"; }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return !c->SearchTimerActive(); }, 10000));
    EXPECT_EQ(S(c->Text()), "ZZ");
}

// On the pool's own clock: a typed character waits Interval before the search, Backspace and Delete a second
// longer; every key starts the wait again.
TEST_F(ZclCombo, TheSearchWaitsItsIntervalAfterAKeyAndASecondLongerAfterADeletion)
{
    TZCLComboBox* c = AddCombo(20, csDropDown, {"com1", "com10", "lpt1"});
    c->SetInterval(300);
    c->SetSearch(true);
    Focus(c);
    poolclock::PoolClock clock;
    ASSERT_TRUE(clock.Running());
    int keyAt = -1;
    c->SetOnKeyDown(TKeyEvent::From([&](TObject*, WORD& key, TShiftState) {
        if (key != VK_F24) keyAt = clock.Now();
    }));
    // Each leaves "c" or "co" typed, which "com1" begins.
    const struct {
        const char* what;
        const char* before;
        int selStart;
        WORD key;
        unsigned wait;
    } cases[] = {
        {"a character", "", 0, 'C', 300},
        {"backspace", "cox", 3, VK_BACK, 1300},
        {"delete", "cox", 2, VK_DELETE, 1300},
    };
    for (const auto& k : cases) {
        c->SetItemIndex(-1);
        SetWindowTextA(c->Handle(), k.before);
        SendMessageA(c->Handle(), CB_SETEDITSEL, 0, MAKELPARAM(k.selStart, k.selStart));
        keyAt = -1;
        const int watch = clock.Watch([&] { return c->ItemIndex() >= 0; });
        Press(k.key);
        ASSERT_TRUE(PumpUntil([&] { return clock.SeenAt(watch) >= 0; }, 20000))
            << k.what << ": " << c->Text().c_str() << " " << keyAt << " " << c->SearchTimerActive();
        ASSERT_GE(keyAt, 0) << k.what;
        // Seen at the start of the tick after the one the search ran on.
        EXPECT_EQ(clock.SeenAt(watch) - 1 - keyAt, clock.Ticks(k.wait)) << k.what << ": " << c->Text().c_str();
        EXPECT_FALSE(c->SearchTimerActive()) << k.what;
    }
}

TEST_F(ZclCombo, LeavingStopsThePendingSearch)
{
    TZCLComboBox* c = AddCombo(20, csDropDown, {"COM1"});
    TZCLEdit* other = AddEdit(20, 80);
    c->SetInterval(60000);
    c->SetSearch(true);
    Focus(c);
    Type("C");
    ASSERT_TRUE(PumpUntil([&] { return c->SearchTimerActive(); }, 5000));
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return !c->SearchTimerActive(); }, 5000));
    EXPECT_EQ(S(c->Text()), "C");
}

TEST_F(ZclCombo, TheSearchRunsOnOnePoolTimerThatAlwaysGoesBack)
{
    TZCLComboBox* c = AddCombo(20, csDropDown, {"COM1", "COM2"});
    c->SetInterval(60000);
    c->SetSearch(true);
    const int before = ZCLApplication->TimerPool()->GetCount();
    Focus(c);
    Type("C");
    ASSERT_TRUE(PumpUntil([&] { return c->SearchTimerActive(); }, 5000));
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), before + 1);
    Type("OM");
    Press(VK_BACK);
    ASSERT_TRUE(Flush(c));
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), before + 1) << "each key replaces the timer";
    delete c;
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), before) << "freed with the combo box";
}

TEST_F(ZclCombo, RecentChoicesStandAtTheTopUpToTheMaximum)
{
    TZCLComboBox* c = AddCombo(20, csDropDownList, {"a", "b", "c", "d", "e", "f", "g"});
    ShowForm();
    c->SetMRUList(true);
    EXPECT_EQ(c->MRUMax(), 5);
    const int base = 7;
    Choose(c, 2);  // c
    EXPECT_EQ(Items(c).front(), "c");
    EXPECT_EQ(c->ItemIndex(), 0);
    EXPECT_EQ(c->MRUCount(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selects, 1);
    // Chosen again among the recent ones: that entry is chosen, nothing added.
    Choose(c, 0);
    EXPECT_EQ(c->MRUCount(), 1);
    EXPECT_EQ(c->Items()->Count(), base + 1);
    // Chosen below: added on top.
    // Each from the list below the recent entries.
    const auto below = [&](const char* t) {
        for (int i = c->MRUCount(); i < c->Items()->Count(); ++i)
            if (S(c->Items()->Strings(i)) == t) return i;
        return -1;
    };
    for (const char* t : {"a", "b", "d", "e", "f", "g"}) Choose(c, below(t));
    EXPECT_EQ(c->MRUCount(), 5);
    EXPECT_EQ(c->Items()->Count(), base + 5);
    EXPECT_EQ(Items(c), (std::vector<std::string>{"g", "f", "e", "d", "b", "a", "b", "c", "d", "e", "f", "g"}));
    EXPECT_TRUE(c->isMRUItem(4));
    EXPECT_FALSE(c->isMRUItem(5));
    EXPECT_EQ(S(c->Text()), "g");

    c->SetMRUMax(2);
    EXPECT_EQ(c->MRUCount(), 2);
    EXPECT_EQ(Items(c), (std::vector<std::string>{"g", "f", "a", "b", "c", "d", "e", "f", "g"}));
    c->SetMRUList(false);
    EXPECT_EQ(c->MRUCount(), 0);
    EXPECT_EQ(Items(c), (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g"}));
    EXPECT_EQ(S(c->Text()), "g") << "the choice stays";
}

TEST_F(ZclCombo, ADoubleLineEndsTheRecentEntriesOfTheOpenList)
{
    TZCLComboBox* c = AddCombo(20, csOwnerDrawFixed, {"a", "b", "c", "d", "e"});
    c->SetColor(clWhite);
    c->Font()->SetColor(clBlack);
    ShowForm();
    c->SetMRUList(true);
    Choose(c, 3);
    Choose(c, 5);  // "e", below the first recent entry
    ASSERT_EQ(c->MRUCount(), 2);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(c->Handle(), &info));
    const int h = int(SendMessageA(c->Handle(), CB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(h, 4);
    c->SetDroppedDown(true);
    auto pixel = [&](int x, int y) {
        HDC dc = GetDC(info.hwndList);
        const COLORREF p = GetPixel(dc, x, y);
        ReleaseDC(info.hwndList, dc);
        return p;
    };
    // Far right of the items, where no text lies.
    RECT client{};
    GetClientRect(info.hwndList, &client);
    const int x = client.right - 3;
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(info.hwndList) && pixel(x, 2 * h - 1) == RGB(0, 0, 0); }, 5000));
    EXPECT_EQ(pixel(x, 2 * h - 3), RGB(0, 0, 0)) << "the upper line";
    EXPECT_NE(pixel(x, 2 * h - 2), RGB(0, 0, 0)) << "a gap between the lines";
    EXPECT_NE(pixel(x, h - 1), RGB(0, 0, 0)) << "no line under the first recent entry";
    EXPECT_NE(pixel(x, h - 3), RGB(0, 0, 0));
    EXPECT_NE(pixel(x, 3 * h - 1), RGB(0, 0, 0)) << "nor under the entries below";
    c->SetDroppedDown(false);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(info.hwndList); }, 5000));
}

TEST_F(ZclCombo, ChoicesFromCodeFireNothing)
{
    TZCLComboBox* c = AddCombo(20, csDropDownList, {"a", "b"});
    ShowForm();
    c->SetMRUList(true);
    c->SetItemIndex(1);
    EXPECT_EQ(S(c->Text()), "b");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(selects, 0);
    EXPECT_EQ(c->MRUCount(), 0);
}

TEST_F(ZclCombo, EnterAndAChoiceMoveTheFocusOn)
{
    TZCLComboBox* c = AddCombo(20, csDropDownList, {"COM1", "COM2", "COM3"});
    TZCLEdit* next = AddEdit(20, 80);
    c->SetFocusControl(next);
    Focus(c);
    Press(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == next->Handle(); }, 5000));

    // A choice by the arrow keys keeps the focus, so the user can go on choosing.
    Focus(c);
    Press(VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return changes >= 1; }, 5000));
    EXPECT_TRUE(c->NavigationKey());
    ASSERT_TRUE(Flush(c));
    EXPECT_FALSE(c->NavigationKey()) << "any other key clears it";
    EXPECT_TRUE(GetFocus() == c->Handle());
    // A choice that is no navigation moves on.
    Choose(c, 2);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == next->Handle(); }, 5000));

    delete next;
    EXPECT_EQ(c->FocusControl(), nullptr) << "told of its end";
    Focus(c);
    Press(VK_RETURN);
    ASSERT_TRUE(Flush(c));
}

TEST_F(ZclCombo, FocusHopsToAnotherWindowForReal)
{
    TZCLComboBox* c = AddCombo(20, csDropDownList, {"COM1"});
    TForm second(nullptr);
    second.SetBorderStyle(bsNone);
    second.SetBounds(420, 40, 200, 100);
    auto* target = new TZCLEdit(&second);
    target->SetParent(&second);
    target->SetBounds(10, 10, 120, 21);
    second.Show();
    c->SetFocusControl(target);
    Focus(c);
    Press(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == target->Handle(); }, 5000));
    // The keyboard follows: typing reaches the target.
    Type("ok");
    ASSERT_TRUE(PumpUntil([&] { return S(target->Text()) == "ok"; }, 5000)) << target->Text().c_str();
}

TEST_F(ZclCombo, DropDownWidthReachesTheList)
{
    TZCLComboBox* c = AddCombo(20, csDropDown, {"x"});
    c->SetDropDownWidth(260);
    ShowForm();
    EXPECT_EQ(SendMessageA(c->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 260);
    c->SetDropDownWidth(300);
    EXPECT_EQ(SendMessageA(c->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 300);
    // Kept through a new window.
    c->SetStyle(csDropDownList);
    EXPECT_EQ(SendMessageA(c->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 300);
}

TEST_F(ZclCombo, EditPartClicksAndFocusAreSeen)
{
    TZCLComboBox* c = AddCombo(20, csDropDown, {"x"});
    int clicks = 0;
    c->SetOnEditClick(TNotifyEvent::From([&](TObject*) { ++clicks; }));
    TZCLEdit* other = AddEdit(20, 80);
    Focus(other);
    MouseAt(c, 20, 10);
    ASSERT_TRUE(Flush(other));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }, 5000));
    EXPECT_TRUE(c->EditFocused());
    EXPECT_FALSE(c->NavigationKey());
    // Recreated: the new edit part is watched again.
    c->SetStyle(csSimple);
    c->SetStyle(csDropDown);
    c->SetBounds(20, 20, 140, 21);
    Focus(c);
    MouseAt(c, 20, 10);
    ASSERT_TRUE(Flush(c));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 2; }, 5000));
}

TEST_F(ZclCombo, FlatBorderIsPaintedOnTheFrame)
{
    TZCLComboBox* c = AddCombo(20, csDropDownList, {"x"});
    TZCLEdit* other = AddEdit(20, 80);
    ShowForm();
    other->SetFocus();
    controltest::MouseTo(600, 500);
    c->SetFlat(true);
    c->Repaint();
    const COLORREF face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
    ASSERT_TRUE(PumpUntil([&] { return (FramePixel(c->Handle(), 0, 10) & 0xFFFFFF) == face; }, 5000));
    EXPECT_EQ(FramePixel(c->Handle(), 1, 10) & 0xFFFFFF, face);
    EXPECT_EQ(FramePixel(c->Handle(), 2, 10) & 0xFFFFFF, GetSysColor(COLOR_WINDOW) & 0xFFFFFF);
    Focus(c);
    ASSERT_TRUE(PumpUntil(
        [&] { return (FramePixel(c->Handle(), 0, 10) & 0xFFFFFF) == (GetSysColor(COLOR_WINDOWFRAME) & 0xFFFFFF); },
        5000));
}

}  // namespace
