// Combo boxes on a real form: choices by the user fire OnChange, choices by code do not; owner drawing.

#include <gtest/gtest.h>

#include <algorithm>

#include "StdCtrlsHelpers.h"

using namespace stdctrltest;

namespace {

class ComboBoxes : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        combo = new TComboBox(form.get());
        combo->SetParent(form.get());
        combo->SetBounds(10, 10, 150, 21);
        for (const char* s : {"COM1", "COM2", "COM3"}) combo->Items()->Add(s);
        combo->SetOnChange(TNotifyEvent::From([this](TObject*) { log.push_back(combo->Text().c_str()); }));
    }
    TComboBox* combo;
};

TEST_F(ComboBoxes, ItemIndexFromCodeFiresNoChangeButTheUsersChoiceDoes)
{
    combo->SetStyle(csDropDownList);
    combo->SetItemIndex(1);  // before the window
    ShowForm();
    EXPECT_EQ(combo->Text(), "COM2");
    combo->SetItemIndex(0);
    combo->SetText("COM3");  // a list without an edit selects the item
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_TRUE(log.empty());

    combo->SetFocus();
    Pump(30);
    Key(VK_UP);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"COM2"})) << "OnChange sees the new text";
}

TEST_F(ComboBoxes, DroppedDownOpensTheListAndAClickInItChooses)
{
    combo->SetStyle(csDropDownList);
    int drops = 0;
    combo->SetOnDropDown(TNotifyEvent::From([&](TObject*) { ++drops; }));
    ShowForm();
    combo->SetDroppedDown(true);
    Pump(50);
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(drops, 1);
    HWND listWnd = combo->ListHandle();
    ASSERT_NE(listWnd, nullptr);
    RECT item;
    SendMessageA(listWnd, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    POINT p{item.left + 10, (item.top + item.bottom) / 2};
    ClientToScreen(listWnd, &p);
    ClickAt(p);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"COM3"}));
}

TEST_F(ComboBoxes, TheDroppedListKeepsItsRoomAfterTheComboIsMoved)
{
    combo->SetStyle(csDropDownList);
    for (int i = 4; i <= 12; ++i) combo->Items()->Add("COM" + IntToStr(i));
    ShowForm();
    combo->SetBounds(20, 40, 180, 21);
    combo->SetDroppedDown(true);
    Pump(50);
    RECT r;
    GetWindowRect(combo->ListHandle(), &r);
    const int itemHeight = int(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0));
    EXPECT_GE(r.bottom - r.top, combo->DropDownCount() * itemHeight);
    combo->SetDroppedDown(false);
}

TEST_F(ComboBoxes, AnEditableComboReportsTypingAndKeepsItsTextAcrossWindows)
{
    ShowForm();
    combo->SetText("COM");
    log.clear();
    combo->SetFocus();
    Pump(30);
    Key(VK_END);
    Key('9');
    EXPECT_EQ(combo->Text(), "COM9");
    EXPECT_EQ(log, (std::vector<std::string>{"COM9"}));
    combo->SetSorted(true);  // a new window
    EXPECT_EQ(combo->Text(), "COM9");
    EXPECT_NE(combo->EditHandle(), nullptr);
}

TEST_F(ComboBoxes, ItemsAndSelectionSurviveAStyleChange)
{
    combo->SetItemIndex(2);
    ShowForm();
    for (TComboBoxStyle s : {csDropDownList, csOwnerDrawFixed, csSimple, csDropDown}) {
        combo->SetStyle(s);
        Pump(20);
        EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 3) << int(s);
        EXPECT_EQ(combo->ItemIndex(), 2) << int(s);
        EXPECT_EQ(combo->Text(), "COM3") << int(s);
    }
    combo->Clear();
    EXPECT_EQ(combo->Items()->Count(), 0);
    EXPECT_EQ(combo->Text(), "");
}

TEST_F(ComboBoxes, AnOwnerDrawnComboIsMeasuredWhileItsWindowIsMadeAndDrawsThroughTheEvent)
{
    combo->SetStyle(csOwnerDrawVariable);
    combo->SetItemHeight(24);
    std::vector<int> measured;
    combo->SetOnMeasureItem(TMeasureItemEvent::From([&](TWinControl*, int index, int& height) {
        measured.push_back(index);
        height = 20 + index;
    }));
    std::vector<std::pair<int, bool>> drawn;
    combo->SetOnDrawItem(TDrawItemEvent::From([&](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
        drawn.push_back({index, state.Contains(odComboBoxEdit)});
        combo->Canvas()->FillRect(rect);
        if (index >= 0) combo->Canvas()->TextOut(rect.left + 2, rect.top + 2, combo->Items()->Strings(index));
    }));
    combo->SetItemIndex(1);
    ShowForm();
    EXPECT_EQ(measured, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 2, 0), 22);
    ASSERT_TRUE(PumpUntil([&] { return !drawn.empty(); }));
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::make_pair(1, true)), drawn.end());

    // The edit field is measured inside CreateWindowEx, before the window is known by its handle, and keeps
    // ItemHeight through the font the new window gets.
    auto height = [&] {
        RECT r;
        GetWindowRect(combo->Handle(), &r);
        return int(r.bottom - r.top);
    };
    const int at24 = height();
    combo->SetItemHeight(40);
    combo->RecreateWnd();
    EXPECT_EQ(height() - at24, 16);
    EXPECT_GE(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, WPARAM(-1), 0), 40);
}

}  // namespace
