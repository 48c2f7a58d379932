// List boxes on a real form: items kept across windows, selection by mouse and code, owner drawing.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "StdCtrlsHelpers.h"

using namespace stdctrltest;

namespace {

class ListBoxes : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        list = new TListBox(form.get());
        list->SetParent(form.get());
        list->SetBounds(10, 10, 150, 120);
    }
    // What the window holds, item by item.
    std::vector<std::string> WindowItems()
    {
        std::vector<std::string> out;
        const int n = int(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char buf[256] = "";
            SendMessageA(list->Handle(), LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buf));
            out.push_back(buf);
        }
        return out;
    }
    std::vector<std::string> ObjectItems()
    {
        std::vector<std::string> out;
        for (int i = 0; i < list->Items()->Count(); ++i) out.push_back(list->Items()->Strings(i).c_str());
        return out;
    }
    POINT ItemPoint(int index)
    {
        const TRect r = list->ItemRect(index);
        return ScreenPoint(list, r.left + 5, (r.top + r.bottom) / 2);
    }

    TListBox* list;
};

TEST_F(ListBoxes, ItemsAndSelectionSurviveEveryStyleChange)
{
    TObject tag;
    list->Items()->Add("one");
    list->Items()->AddObject("two", &tag);
    list->SetItemIndex(1);  // before the window exists
    ShowForm();
    list->Items()->Add("three");
    EXPECT_EQ(WindowItems(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCURSEL, 0, 0), 1);

    const std::vector<std::function<void()>> changes{
        [&] { list->SetStyle(lbOwnerDrawFixed); }, [&] { list->SetStyle(lbOwnerDrawVariable); },
        [&] { list->SetStyle(lbStandard); },       [&] { list->SetIntegralHeight(true); },
        [&] { list->SetTabWidth(20); },            [&] { list->SetColumns(2); },
        [&] { form->RecreateWnd(); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        changes[i]();
        Pump(20);
        EXPECT_EQ(WindowItems(), (std::vector<std::string>{"one", "two", "three"})) << "change " << i;
        EXPECT_EQ(list->ItemIndex(), 1) << "change " << i;
        EXPECT_EQ(list->Items()->Objects(1), &tag) << "change " << i;
        EXPECT_EQ(SendMessageA(list->Handle(), LB_GETITEMDATA, 1, 0), reinterpret_cast<LRESULT>(&tag));
    }
}

TEST_F(ListBoxes, MultiSelectionSurvivesANewWindow)
{
    for (const char* s : {"a", "b", "c", "d"}) list->Items()->Add(s);
    list->SetMultiSelect(true);
    list->SetSelected(0, true);
    list->SetSelected(2, true);
    EXPECT_EQ(list->SelCount(), 2);
    ShowForm();
    EXPECT_EQ(list->SelCount(), 2);
    list->SetExtendedSelect(false);
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(0));
    EXPECT_FALSE(list->Selected(1));
    EXPECT_TRUE(list->Selected(2));
    EXPECT_THROW(list->Selected(4), EListError);
}

TEST_F(ListBoxes, SortedItemsKeepTheSystemsOrderWhereverTheyWereAdded)
{
    list->SetSorted(true);
    for (const char* s : {"delta", "Alpha", "charlie"}) list->Items()->Add(s);
    ShowForm();
    for (const char* s : {"bravo", "Echo", "alpha"}) list->Items()->Add(s);
    EXPECT_EQ(ObjectItems(), WindowItems());
    EXPECT_EQ(list->Items()->IndexOf("charlie"), 3);

    // The same strings sorted by a plain system list.
    HWND plain = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_SORT | LBS_HASSTRINGS, 0, 0, 50, 50,
                                 form->Handle(), nullptr, nullptr, nullptr);
    for (const char* s : {"delta", "Alpha", "charlie", "bravo", "Echo", "alpha"})
        SendMessageA(plain, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    std::vector<std::string> system;
    for (int i = 0; i < 6; ++i) {
        char buf[32] = "";
        SendMessageA(plain, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buf));
        system.push_back(buf);
    }
    DestroyWindow(plain);
    EXPECT_EQ(ObjectItems(), system);
}

TEST_F(ListBoxes, SortingKeepsTheSelectedStringsSelected)
{
    for (const char* s : {"c", "b", "a"}) list->Items()->Add(s);
    list->SetItemIndex(0);
    ShowForm();
    list->SetSorted(true);
    EXPECT_EQ(list->Items()->Strings(list->ItemIndex()), "c");
    list->SetSorted(false);
    list->SetMultiSelect(true);
    list->SetSelected(0, true);
    list->SetSelected(1, true);
    list->Items()->Insert(0, "z");
    list->SetSorted(true);
    EXPECT_EQ(ObjectItems(), (std::vector<std::string>{"a", "b", "c", "z"}));
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(0) && list->Selected(1));
}

TEST_F(ListBoxes, AClickSelectsAndFiresOnClickButCodeDoesNot)
{
    for (const char* s : {"COM1", "COM2", "COM3"}) list->Items()->Add(s);
    list->SetOnClick(Logger("click"));
    ShowForm();
    list->SetItemIndex(0);
    EXPECT_TRUE(log.empty());
    ClickAt(ItemPoint(2));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"click"}));
    Key(VK_UP);
    EXPECT_EQ(list->ItemIndex(), 1) << "the list takes the arrow keys";
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(ListBoxes, ExtendedSelectionWithControlClicks)
{
    for (const char* s : {"a", "b", "c", "d"}) list->Items()->Add(s);
    list->SetMultiSelect(true);
    ShowForm();
    ClickAt(ItemPoint(0));
    const POINT p = ItemPoint(3);
    MouseTo(p.x, p.y);
    INPUT ctrl{};
    ctrl.type = INPUT_KEYBOARD;
    ctrl.ki.wVk = VK_CONTROL;
    SendInput(1, &ctrl, sizeof ctrl);
    MouseButton(true);
    MouseButton(false);
    ctrl.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &ctrl, sizeof ctrl);
    Pump(30);
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(0));
    EXPECT_TRUE(list->Selected(3));
    EXPECT_EQ(list->ItemIndex(), 3) << "the item with the caret";
}

TEST_F(ListBoxes, ItemAtPosTellsItemsFromTheEmptyRest)
{
    for (const char* s : {"a", "b"}) list->Items()->Add(s);
    ShowForm();
    const TRect r1 = list->ItemRect(1);
    EXPECT_EQ(list->ItemAtPos(TPoint(5, r1.top + 1), true), 1);
    EXPECT_EQ(list->ItemAtPos(TPoint(5, r1.bottom + 10), true), -1);
    EXPECT_EQ(list->ItemAtPos(TPoint(5, r1.bottom + 10), false), 2);
    list->Clear();
    EXPECT_EQ(list->ItemAtPos(TPoint(5, 5), true), -1);
}

TEST_F(ListBoxes, OwnerDrawnItemsAreMeasuredAndDrawnByTheEvents)
{
    for (const char* s : {"small", "tall", "small"}) list->Items()->Add(s);
    list->SetStyle(lbOwnerDrawVariable);
    std::vector<int> measured;
    list->SetOnMeasureItem(TMeasureItemEvent::From([&](TWinControl* c, int index, int& height) {
        EXPECT_EQ(c, list);
        measured.push_back(index);
        height = list->Items()->Strings(index) == "tall" ? 40 : 15;
    }));
    std::vector<std::pair<int, bool>> drawn;
    list->SetOnDrawItem(TDrawItemEvent::From([&](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
        drawn.push_back({index, state.Contains(odSelected)});
        list->Canvas()->Brush()->SetColor(state.Contains(odSelected) ? clBlue : clYellow);
        list->Canvas()->FillRect(rect);
    }));
    list->SetItemIndex(2);
    ShowForm();
    EXPECT_EQ(measured, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list->ItemRect(1).Height(), 40);
    EXPECT_EQ(list->ItemRect(2).Height(), 15);
    ASSERT_TRUE(PumpUntil([&] { return drawn.size() >= 3; }));
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(2, true)), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(1, false)), drawn.end());

    // What the event drew is on the screen.
    const POINT tall = ItemPoint(1);
    HDC screen = GetDC(nullptr);
    const COLORREF seen = GetPixel(screen, tall.x + 20, tall.y);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(seen, ColorToRGB(clYellow));
}

TEST_F(ListBoxes, TheCanvasMeasuresTextBeforeAnyPainting)
{
    list->Font()->SetSize(20);
    ShowForm();
    const int wide = list->Canvas()->TextWidth("Keyboard");
    list->Font()->SetSize(8);
    EXPECT_GT(wide, list->Canvas()->TextWidth("Keyboard"));
    EXPECT_GT(list->ItemHeight(), 0) << "a standard list reports the system's item height";
}

TEST_F(ListBoxes, AHorizontalExtentWiderThanTheListShowsTheScrollBar)
{
    list->Items()->Add("a long line");
    ShowForm();
    auto hasBar = [&] { return (GetWindowLongA(list->Handle(), GWL_STYLE) & WS_HSCROLL) != 0; };
    EXPECT_FALSE(hasBar());
    SendMessageA(list->Handle(), LB_SETHORIZONTALEXTENT, 600, 0);
    EXPECT_TRUE(hasBar());
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    GetScrollInfo(list->Handle(), SB_HORZ, &si);
    EXPECT_GE(si.nMax, 599);
}

}  // namespace
