// The string grid: layout of fixed and scrolling cells, its own size handling reachable from a subclass, scroll
// bars driven by real clicks, and what it paints.

#include <gtest/gtest.h>

#include "ControlTestHelpers.h"
#include "framework/visual/Grids.h"

using namespace controltest;

namespace {

// Fits its last column to the client width after the grid's own size handling, the way a subclass would.
class TFittingGrid : public TStringGrid {
public:
    explicit TFittingGrid(TComponent* owner) : TStringGrid(owner) {}
    int sizes = 0;
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_SIZE) {
            TStringGrid::Dispatch(m);
            ++sizes;
            int used = GridLineWidth() * ColCount();
            for (int c = 0; c < ColCount() - 1; ++c) used += ColWidths(c);
            const int rest = ClientWidth() - used;
            SetColWidths(ColCount() - 1, rest >= 1 ? rest : DefaultColWidth());
            return;
        }
        TStringGrid::Dispatch(m);
    }
};

struct Counter {
    int n = 0;
    void Hit(TObject*) { ++n; }
};

bool HorzBarShown(HWND wnd)
{
    return (GetWindowLongA(wnd, GWL_STYLE) & WS_HSCROLL) != 0 && [&] {
        SCROLLBARINFO sbi{};
        sbi.cbSize = sizeof sbi;
        GetScrollBarInfo(wnd, OBJID_HSCROLL, &sbi);
        return !(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    }();
}

// Down and up in one go: a scroll bar runs its own loop while the button is held, so the up must already be queued.
void ClickAt(int x, int y)
{
    MouseTo(x, y);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    Pump(80);
}

}  // namespace

TEST(Grid, CellRectsFollowWidthsLinesAndScrolling)
{
    TStringGrid grid(nullptr);
    grid.SetBounds(0, 0, 400, 200);
    grid.SetColCount(6);
    grid.SetRowCount(4);
    grid.SetGridLineWidth(2);
    grid.SetColWidths(0, 30);
    grid.SetRowHeights(1, 40);
    struct Case {
        int col, row;
        TRect r;
    } cases[] = {
        {0, 0, TRect(0, 0, 30, 24)},
        {1, 0, TRect(32, 0, 96, 24)},
        {2, 1, TRect(98, 26, 162, 66)},
        {1, 2, TRect(32, 68, 96, 92)},
        {6, 0, TRect()},   // past the last column
        {0, -1, TRect()},
    };
    for (const Case& c : cases) EXPECT_EQ(grid.CellRect(c.col, c.row), c.r) << c.col << "," << c.row;

    int col = -1, row = -1;
    EXPECT_TRUE(grid.MouseToCell(100, 30, col, row));
    EXPECT_EQ(col, 2);
    EXPECT_EQ(row, 1);
    EXPECT_FALSE(grid.MouseToCell(31, 10, col, row)) << "a grid line is no cell";

    // Scrolling keeps the fixed column and row where they are and moves the others.
    grid.SetBounds(0, 0, 200, 200);
    grid.SetLeftCol(3);
    EXPECT_EQ(grid.LeftCol(), 3);
    EXPECT_EQ(grid.CellRect(0, 0), TRect(0, 0, 30, 24));
    EXPECT_EQ(grid.CellRect(3, 0), TRect(32, 0, 96, 24));
    EXPECT_TRUE(grid.CellRect(2, 0).IsEmpty()) << "scrolled out";
    grid.SetLeftCol(99);
    EXPECT_EQ(grid.LeftCol(), 4) << "columns 4 and 5 fill the room; further is not needed";
    grid.SetLeftCol(0);
    EXPECT_EQ(grid.LeftCol(), 1) << "fixed columns never scroll";
}

TEST(Grid, CellsOutsideTheGridAreIgnored)
{
    TStringGrid grid(nullptr);
    grid.SetColCount(3);
    grid.SetRowCount(2);
    grid.SetCells(2, 1, "last");
    grid.SetCells(3, 0, "x");
    grid.SetCells(-1, 0, "x");
    grid.SetCells(0, 2, "x");
    EXPECT_EQ(grid.Cells(2, 1), "last");
    EXPECT_EQ(grid.Cells(3, 0), "");
    EXPECT_EQ(grid.Cells(0, 2), "");
    grid.SetRowCount(1);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.Cells(2, 1), "") << "a removed row does not come back with its text";
    grid.SetCells(2, 1, "again");
    grid.SetColCount(2);
    grid.SetColCount(3);
    EXPECT_EQ(grid.Cells(2, 1), "") << "nor a removed column";
    grid.SetColCount(5);
    EXPECT_EQ(grid.ColWidths(4), grid.DefaultColWidth());
    EXPECT_EQ(grid.ColWidths(7), grid.DefaultColWidth());
    grid.SetColWidths(7, 10);  // out of range: nothing
    EXPECT_EQ(grid.ColCount(), 5);
}

TEST(Grid, SystemResizeRunsTheGridsOwnSizeHandlingBeforeASubclasses)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 500, 300);
    auto* grid = new TFittingGrid(&form);
    grid->SetParent(&form);
    grid->SetColCount(3);
    grid->SetRowCount(3);
    grid->SetAlign(alClient);
    Counter resized;
    grid->SetOnResize(TNotifyEvent(&resized, &Counter::Hit));
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return grid->sizes > 0; }));

    // The form changes size by the system, not by the grid's own properties.
    const int before = resized.n;
    RECT fr;
    GetWindowRect(form.Handle(), &fr);
    SetWindowPos(form.Handle(), nullptr, 0, 0, fr.right - fr.left - 100, fr.bottom - fr.top, SWP_NOMOVE | SWP_NOZORDER);
    Pump(50);
    RECT cr;
    GetClientRect(grid->Handle(), &cr);
    RECT wr;
    GetWindowRect(grid->Handle(), &wr);
    EXPECT_EQ(grid->Width(), wr.right - wr.left) << "bounds follow the window";
    EXPECT_EQ(grid->ClientWidth(), cr.right);
    EXPECT_GT(resized.n, before) << "OnResize fires";
    EXPECT_EQ(grid->ColWidths(2), cr.right - (3 + 128)) << "the last column fills the client width";
    EXPECT_FALSE(HorzBarShown(grid->Handle())) << "the columns fit exactly: no horizontal bar";
    EXPECT_EQ(grid->ClientWidth() - 3 - 128, grid->ColWidths(2));
}

TEST(Grid, ScrollBarClicksMoveTheFirstColumnAndRow)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 400, 300);
    form.SetColor(clSilver);
    auto* grid = new TStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(10, 10, 260, 150);
    grid->SetColCount(10);
    grid->SetRowCount(20);
    form.Show();
    Activate(&form);
    Pump(50);
    ASSERT_TRUE(HorzBarShown(grid->Handle())) << "ten columns of 64 do not fit in 260";
    EXPECT_EQ(grid->LeftCol(), 1);

    // The right arrow of the horizontal bar: just below the client area, left of the vertical bar.
    const TPoint origin = grid->ClientToScreen(TPoint{0, 0});
    const int cw = grid->ClientWidth(), ch = grid->ClientHeight();
    const int arrow = GetSystemMetrics(SM_CXHSCROLL);
    const int barH = GetSystemMetrics(SM_CYHSCROLL);
    ClickAt(origin.x + cw - arrow / 2, origin.y + ch + barH / 2);
    EXPECT_EQ(grid->LeftCol(), 2);
    EXPECT_EQ(GetScrollPos(grid->Handle(), SB_HORZ), 1);

    // The down arrow of the vertical bar.
    const int varrow = GetSystemMetrics(SM_CYVSCROLL);
    ClickAt(origin.x + cw + GetSystemMetrics(SM_CXVSCROLL) / 2, origin.y + ch - varrow / 2);
    EXPECT_EQ(grid->TopRow(), 2);

    // Widening until everything fits takes the bar away and shows the first column again.
    grid->SetBounds(10, 10, 10 * 65 + 30, 150);
    Pump(50);
    EXPECT_FALSE(HorzBarShown(grid->Handle()));
    EXPECT_EQ(grid->LeftCol(), 1);
}

TEST(Grid, PaintsFixedCellsLinesTextAndTheRoomBeyond)
{
    TStringGrid grid(nullptr);
    grid.SetBounds(0, 0, 300, 120);
    grid.SetColCount(3);
    grid.SetRowCount(3);
    grid.SetCells(1, 1, "WWWW");
    Dib dib(300, 120);
    grid.PaintTo(dib.dc(), 0, 0);
    EXPECT_EQ(dib.At(10, 10), Rgb(clBtnFace)) << "fixed cell";
    EXPECT_EQ(dib.At(100, 60), Rgb(clWindow)) << "empty cell";
    EXPECT_EQ(dib.At(64, 60), Rgb(clSilver)) << "line after the first column";
    EXPECT_EQ(dib.At(100, 24), Rgb(clSilver)) << "line below the first row";
    EXPECT_EQ(dib.At(250, 60), Rgb(clWindow)) << "past the last column";
    EXPECT_EQ(dib.At(100, 100), Rgb(clWindow)) << "below the last row";
    int inked = 0;
    for (int y = 25; y < 49; ++y)
        for (int x = 65; x < 129; ++x) {
                const COLORREF c = dib.At(x, y);
                inked += GetRValue(c) + GetGValue(c) + GetBValue(c) < 240;
            }
    EXPECT_GT(inked, 20) << "the cell's text is drawn";
}
