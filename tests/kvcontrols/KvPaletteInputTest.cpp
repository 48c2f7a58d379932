// The palette picker with real input on a shown form: picks by left and right clicks and drags with the events
// they fire, the focus square moved by keys, F and B picking, and the scroll buttons clicked.

#include <gtest/gtest.h>

#include "PaletteTestHelpers.h"
#include "framework/StdCtrlsHelpers.h"

using namespace kvtest;
using namespace stdctrltest;
using namespace Karvon;

namespace {

void RightButton(bool down)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    SendInput(1, &in, sizeof in);
}

class PaletteOnForm : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        palette = new KvPalette(form.get());
        palette->SetParent(form.get());
        palette->SetBounds(20, 20, 200, 160);
        UsePalette(*palette, 20);  // 4 x 5, cells of 40 x 40
        palette->SetOnChange(TNotifyEvent::From([this](TObject*) { ++changes; }));
        palette->SetOnClick(TNotifyEvent::From([this](TObject*) { ++clicks; }));
        palette->SetOnKeyUp(TKeyEvent::From([this](TObject*, WORD&, TShiftState) { ++keyUps; }));
        palette->SetOnMouseUp(
            TMouseEvent::From([this](TObject*, TMouseButton, TShiftState, int, int) { ++mouseUps; }));
        ShowForm();
    }

    POINT SquarePoint(int index)
    {
        const TPoint c = Centre(palette->SquareRect(index));
        return ScreenPoint(palette, c.x, c.y);
    }
    void MoveToSquare(int index)
    {
        const POINT p = SquarePoint(index);
        MouseTo(p.x, p.y);
    }
    // A real key stroke, served until the control has seen it go up.
    void Press(WORD vk)
    {
        const int before = keyUps;
        Key(vk);
        ASSERT_TRUE(PumpUntil([&] { return keyUps > before; }, 5000)) << "key " << vk;
    }
    void Focus()
    {
        palette->SetTabStop(true);
        palette->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return palette->Focused(); }, 5000));
    }

    KvPalette* palette = nullptr;
    int changes = 0, clicks = 0, keyUps = 0, mouseUps = 0;
};

TEST_F(PaletteOnForm, LeftClickPicksTheForegroundAndRightClickTheBackground)
{
    ClickAt(SquarePoint(7));
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 1; }, 5000));
    EXPECT_EQ(palette->ForegroundIndex(), 7);
    EXPECT_EQ(palette->Selection(), 7);
    EXPECT_EQ(palette->BackgroundIndex(), -1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(palette->Focused()) << "no tab stop: the click does not take the focus";

    MoveToSquare(12);
    RightButton(true);
    RightButton(false);
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 2; }, 5000));
    EXPECT_EQ(palette->BackgroundIndex(), 12);
    EXPECT_EQ(palette->ForegroundIndex(), 7);
    EXPECT_EQ(palette->Selection(), 12);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(GetCapture(), nullptr);

    // With a tab stop a click takes the focus.
    palette->SetTabStop(true);
    ClickAt(ScreenPoint(palette, 5, 5));
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 3; }, 5000));
    EXPECT_EQ(palette->ForegroundIndex(), 0);
    EXPECT_TRUE(PumpUntil([&] { return palette->Focused(); }, 5000));
    // A click beside the squares picks nothing.
    palette->SetCellXSize(40);
    palette->SetCellYSize(40);
    palette->SetBounds(20, 20, 210, 170);  // 10 pixels of the control beyond the squares
    ClickAt(ScreenPoint(palette, 205, 165));
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 4; }, 5000));
    EXPECT_EQ(palette->ForegroundIndex(), 0);
    EXPECT_EQ(changes, 3);

    // The picture shows the picks: the foreground's swatch and the marks are repainted.
    Shot shot(*palette);
    EXPECT_EQ(TextDifference(*palette, shot, 0, "FG"), 0);
    EXPECT_EQ(TextDifference(*palette, shot, 12, "BG"), 0);
}

TEST_F(PaletteOnForm, DraggingKeepsPickingForTheButtonHeld)
{
    MoveToSquare(1);
    RightButton(true);
    ASSERT_TRUE(PumpUntil([&] { return palette->BackgroundIndex() == 1; }, 5000));
    EXPECT_EQ(GetCapture(), palette->Handle()) << "the right button captures the mouse";
    MoveToSquare(2);
    ASSERT_TRUE(PumpUntil([&] { return palette->BackgroundIndex() == 2; }, 5000));
    MoveToSquare(8);
    ASSERT_TRUE(PumpUntil([&] { return palette->BackgroundIndex() == 8; }, 5000));
    EXPECT_EQ(palette->Selection(), 8);
    // Outside the control the capture holds and nothing is picked.
    const POINT outside = ScreenPoint(palette, 300, 100);
    MouseTo(outside.x, outside.y);
    EXPECT_EQ(GetCapture(), palette->Handle());
    RightButton(false);
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 1; }, 5000));
    EXPECT_EQ(GetCapture(), nullptr) << "released with the right button";
    EXPECT_EQ(palette->BackgroundIndex(), 8);
    EXPECT_EQ(palette->ForegroundIndex(), -1);
    EXPECT_EQ(changes, 3);

    // Moving without a button held picks nothing.
    MoveToSquare(3);
    MoveToSquare(4);
    EXPECT_EQ(palette->BackgroundIndex(), 8);

    MoveToSquare(15);
    MouseButton(true);
    ASSERT_TRUE(PumpUntil([&] { return palette->ForegroundIndex() == 15; }, 5000));
    MoveToSquare(16);
    ASSERT_TRUE(PumpUntil([&] { return palette->ForegroundIndex() == 16; }, 5000));
    MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 2; }, 5000));
    EXPECT_EQ(palette->BackgroundIndex(), 8);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PaletteOnForm, ADisabledKindOnlyMovesTheFocusSquareUnlessClicksEnableIt)
{
    palette->EnableForeground(false);
    ClickAt(SquarePoint(5));
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 1; }, 5000));
    EXPECT_EQ(palette->Selection(), 5);
    EXPECT_EQ(palette->ForegroundIndex(), -1);
    EXPECT_EQ(changes, 0);

    palette->SetClickEnablesColor(true);
    ClickAt(SquarePoint(9));
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 2; }, 5000));
    EXPECT_TRUE(palette->ForegroundEnabled());
    EXPECT_EQ(palette->ForegroundIndex(), 9);
    EXPECT_EQ(changes, 1);
}

TEST_F(PaletteOnForm, ArrowsHomeAndEndMoveTheFocusSquareWithinTheEntries)
{
    Focus();
    struct Case {
        int rows;  // of the 20 entries
        int from;
        WORD key;
        int to;
    } cases[] = {
        // 4 rows of 5
        {4, 3, VK_RIGHT, 4},   {4, 19, VK_RIGHT, 0},  {4, 19, VK_SPACE, 0},  {4, 0, VK_LEFT, 19},
        {4, 6, VK_LEFT, 5},    {4, 2, VK_DOWN, 7},    {4, 17, VK_DOWN, 3},   {4, 19, VK_DOWN, 0},
        {4, 7, VK_UP, 2},      {4, 2, VK_UP, 16},     {4, 0, VK_UP, 19},     {4, 13, VK_HOME, 0},
        {4, 4, VK_END, 19},
        // 3 rows of 7: the last row holds 6, so the cell below 13 does not exist
        {3, 13, VK_DOWN, 0},   {3, 12, VK_DOWN, 19},  {3, 19, VK_DOWN, 6},   {3, 6, VK_DOWN, 13},
        {3, 0, VK_UP, 13},     {3, 1, VK_UP, 14},     {3, 4, VK_END, 19},    {3, 19, VK_RIGHT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, from " << c.from << " key " << c.key);
        palette->SetRows(c.rows);
        palette->SetSelection(c.from);
        ASSERT_EQ(palette->Selection(), c.from);
        Press(c.key);
        EXPECT_EQ(palette->Selection(), c.to);
        EXPECT_TRUE(palette->Focused()) << "arrows stay with the control";
    }
    EXPECT_EQ(changes, 0) << "moving the focus square picks nothing";
    EXPECT_EQ(palette->ForegroundIndex(), -1);
}

TEST_F(PaletteOnForm, FAndBPickTheFocusSquareAndClick)
{
    Focus();
    palette->SetSelection(11);
    Press('F');
    EXPECT_EQ(palette->ForegroundIndex(), 11);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 1);
    Press(VK_RIGHT);
    Press('B');
    EXPECT_EQ(palette->BackgroundIndex(), 12);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(clicks, 2);

    // A disabled kind: no pick unless keys enable it, and then its old index is dropped first.
    palette->EnableBackground(false);
    Press(VK_RIGHT);
    Press('B');
    EXPECT_EQ(palette->BackgroundIndex(), 12);
    EXPECT_EQ(clicks, 3);
    palette->SetClickEnablesColor(true);
    Press(VK_LEFT);  // back on 12, the old background
    Press('B');
    EXPECT_TRUE(palette->BackgroundEnabled());
    EXPECT_EQ(palette->BackgroundIndex(), 12);
    EXPECT_EQ(changes, 3) << "cleared, then picked again: a change";

    // The focused control shows its focus square pressed; unfocused, it looks like the others.
    palette->SetSelection(3);
    ASSERT_TRUE(PumpUntil([&] { return palette->Focused(); }, 5000));
    Shot focused(*palette);
    const TRect r = palette->SquareRect(3);
    EXPECT_EQ(focused.dib.At(r.left, r.top), controltest::Rgb(clBtnHighlight)) << "pressed frame";
    EXPECT_EQ(focused.dib.At(r.left + 1, r.top + 1), controltest::Rgb(clBtnFace));
    // A style without a pressed look marks the focus square with a focus rectangle inside the colour.
    palette->SetBevelOuter(boFrame);
    auto ringInk = [&](const Shot& shot) {
        int ink = 0;
        for (int x = r.left + 3; x < r.right - 3; ++x) ink += shot.dib.At(x, r.top + 3) != EntryOf(3);
        return ink;
    };
    Shot framed(*palette);
    EXPECT_GT(ringInk(framed), 5);
    EXPECT_EQ(framed.dib.At(r.left + 1, r.top + 1), controltest::Rgb(clBtnHighlight));
    auto* other = new controltest::TTestEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(300, 20, 80, 20);
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return !palette->Focused(); }, 5000));
    Shot unfocused(*palette);
    EXPECT_EQ(ringInk(unfocused), 0);
    EXPECT_EQ(unfocused.dib.At(r.left, r.top), controltest::Rgb(clBtnShadow));
    palette->SetBevelOuter(boCorel);
    Shot plain(*palette);
    EXPECT_EQ(plain.dib.At(r.left, r.top), controltest::Rgb(clBtnShadow));
    EXPECT_EQ(plain.dib.At(r.left + 1, r.top + 1), controltest::Rgb(clBtnText));
}

TEST_F(PaletteOnForm, TheScrollButtonsTakeRealClicks)
{
    UsePalette(*palette, 32);
    palette->SetRows(2);  // 16 columns
    palette->SetCellXSize(20);  // 200 pixels: 10 cells, 8 squares between the buttons
    ASSERT_NE(palette->IncButton(), nullptr);
    EXPECT_EQ(palette->VisibleColumns(), 8);
    ClickAt(ScreenPoint(palette->IncButton()));
    ASSERT_TRUE(PumpUntil([&] { return palette->FirstVisibleColumn() == 1; }, 5000));
    EXPECT_TRUE(palette->DecButton()->Enabled());
    ClickAt(SquarePoint(1));  // the first square on view
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 1; }, 5000));
    EXPECT_EQ(palette->ForegroundIndex(), 1);
    const POINT first = ScreenPoint(palette, 30, 20);
    ClickAt(first);
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 2; }, 5000));
    EXPECT_EQ(palette->ForegroundIndex(), 1) << "the square at the left is column 1 now";
    ClickAt(ScreenPoint(palette->DecButton()));
    ASSERT_TRUE(PumpUntil([&] { return palette->FirstVisibleColumn() == 0; }, 5000));
    EXPECT_FALSE(palette->DecButton()->Enabled());
    EXPECT_EQ(changes, 1) << "clicks on the buttons pick nothing";
}

TEST_F(PaletteOnForm, WithFixedColumnsAndAComputedHeightBothButtonsTakeClicks)
{
    UsePalette(*palette, 32);
    palette->SetColumns(16);    // 2 rows
    palette->SetCellXSize(20);  // 200 pixels: 10 cells, 8 squares on view; the height is computed
    ASSERT_NE(palette->IncButton(), nullptr);
    ASSERT_EQ(palette->VisibleColumns(), 8);
    const TRect lower = palette->IncButton()->BoundsRect();
    ASSERT_LE(lower.bottom, palette->ClientHeight()) << "the lower button inside the control";
    ASSERT_LE(palette->SquareRect(16).bottom, lower.top) << "the last row above it";
    for (int step = 1; step <= 8; ++step) {
        ClickAt(ScreenPoint(palette->IncButton()));
        ASSERT_TRUE(PumpUntil([&] { return palette->FirstVisibleColumn() == step; }, 5000)) << step;
    }
    EXPECT_FALSE(palette->IncButton()->Enabled()) << "the last columns on view";
    ClickAt(SquarePoint(16 + 15));  // the last square of the lower row
    ASSERT_TRUE(PumpUntil([&] { return mouseUps == 1; }, 5000));
    EXPECT_EQ(palette->ForegroundIndex(), 31);
    ClickAt(ScreenPoint(palette->DecButton()));
    ASSERT_TRUE(PumpUntil([&] { return palette->FirstVisibleColumn() == 7; }, 5000));
}

}  // namespace
