// The palette picker without input: the grid's shape for each palette, the squares, frames, preview box and marks
// it paints (off-screen, checked at chosen pixels), hit testing, palettes handed in, and the degenerate sizes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PaletteTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Streams.h"
#include "kvcontrols/KvStrGrd.h"

using namespace kvtest;
using namespace Karvon;
using controltest::Rgb;

namespace {

TEST(KvPalette, StartsWithTheDefaultPaletteAndNothingPicked)
{
    KvPalette p(nullptr);
    EXPECT_EQ(p.GetNumPaletteEntries(), 20);
    EXPECT_EQ(p.Rows(), 4);
    EXPECT_EQ(p.Columns(), 5);
    EXPECT_EQ(p.ForegroundIndex(), -1);
    EXPECT_EQ(p.BackgroundIndex(), -1);
    EXPECT_EQ(p.GetForegroundColor(), TColor(0));
    EXPECT_EQ(p.Selection(), 0);
    EXPECT_EQ(p.BevelOuter(), boCorel);
    EXPECT_EQ(p.SelectWindow(), swNone);
    EXPECT_TRUE(p.ForegroundEnabled());
    EXPECT_TRUE(p.BackgroundEnabled());
    EXPECT_TRUE(p.FgBgText());
    EXPECT_FALSE(p.ClickEnablesColor());
    EXPECT_EQ(p.BoundsRect(), TRect(0, 0, 100, 100));
    EXPECT_EQ(p.Color(), clBtnFace);
    PALETTEENTRY stock[20];
    ASSERT_EQ(GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, stock), 20u);
    TColor first = clNone;
    ASSERT_TRUE(p.GetPaletteEntry(0, first));
    EXPECT_EQ(first, TColor(RGB(stock[0].peRed, stock[0].peGreen, stock[0].peBlue)));
    EXPECT_NE(p.GetPalette(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE))) << "a copy of its own";
}

TEST(KvPalette, PaintsEveryPaletteInOrderWhereItsSquaresAreHit)
{
    struct Case {
        int entries, rows, columns;
    } cases[] = {{1, 1, 1}, {16, 4, 4}, {20, 4, 5}, {256, 16, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        KvPalette p(nullptr);
        p.SetBounds(0, 0, 160, 160);
        UsePalette(p, c.entries);
        ASSERT_EQ(p.Rows(), c.rows);
        ASSERT_EQ(p.Columns(), c.columns);
        EXPECT_EQ(p.CellWidth(), 160 / c.columns);
        EXPECT_EQ(p.CellHeight(), 160 / c.rows);
        const Shot shot(p);
        for (int i = 0; i < c.entries; ++i) {
            const TRect r = p.SquareRect(i);
            EXPECT_EQ(r, Bounds(i % c.columns * p.CellWidth(), i / c.columns * p.CellHeight(), p.CellWidth(),
                                p.CellHeight()))
                << i;
            EXPECT_EQ(shot.At(Centre(r)), EntryOf(i)) << "entry " << i;
            EXPECT_EQ(p.SquareFromPos(Centre(r).x, Centre(r).y), i);
            EXPECT_EQ(p.SquareFromPos(r.left, r.top), i);
            EXPECT_EQ(p.SquareFromPos(r.right - 1, r.bottom - 1), i);
        }
    }
}

TEST(KvPalette, RowsAndColumnsFollowEachOtherFromTheEntryCount)
{
    KvPalette p(nullptr);  // the 20 entries of the default palette
    struct Step {
        const char* what;
        int rows, columns;  // 0: set the other one
        int wantRows, wantColumns;
    } steps[] = {
        {"Rows 2", 2, 0, 2, 10},     {"Rows 3", 3, 0, 3, 7},      {"Rows 0 is ignored", 0, 0, 3, 7},
        {"Columns 6", 0, 6, 4, 6},   {"Columns 20", 0, 20, 1, 20}, {"Rows 20", 20, 0, 20, 1},
        {"Rows 25", 25, 0, 25, 1},
    };
    for (const Step& s : steps) {
        if (s.rows || !s.columns) p.SetRows(s.rows);
        if (s.columns) p.SetColumns(s.columns);
        EXPECT_EQ(p.Rows(), s.wantRows) << s.what;
        EXPECT_EQ(p.Columns(), s.wantColumns) << s.what;
    }
    // No columns, or fewer than none, would divide by zero: ignored.
    p.SetColumns(5);
    p.SetColumns(0);
    p.SetColumns(-3);
    EXPECT_EQ(p.Columns(), 5);
    EXPECT_EQ(p.Rows(), 4);

    // A new palette keeps the layout in force: fixed columns stay, the rows follow the new count.
    UsePalette(p, 256);
    EXPECT_EQ(p.Columns(), 5);
    EXPECT_EQ(p.Rows(), 52);
    p.SetRows(8);
    UsePalette(p, 16);
    EXPECT_EQ(p.Rows(), 8);
    EXPECT_EQ(p.Columns(), 2);
}

TEST(KvPalette, TheLastShortRowLeavesItsMissingSquaresEmpty)
{
    KvPalette p(nullptr);
    p.SetBounds(0, 0, 140, 90);
    UsePalette(p, 20);
    p.SetRows(3);  // 7 columns, 21 cells for 20 entries
    const Shot shot(p);
    EXPECT_EQ(shot.At(Centre(p.SquareRect(19))), EntryOf(19));
    const TPoint missing(6 * 20 + 10, 2 * 30 + 15);
    EXPECT_EQ(shot.At(missing), Rgb(clBtnFace));
    EXPECT_EQ(p.SquareFromPos(missing.x, missing.y), -1);
    EXPECT_TRUE(p.SquareRect(20).IsEmpty());
}

TEST(KvPalette, EachBevelStyleFramesTheSquares)
{
    // Top-left pixel of a square, the pixel inside it, and the first pixel of the colour.
    const COLORREF sh = Rgb(clBtnShadow), hl = Rgb(clBtnHighlight), tx = Rgb(clBtnText), face = Rgb(clBtnFace);
    struct Case {
        TBevelOuter style;
        COLORREF outerTopLeft, outerBottomRight, second;
        bool secondIsColour;
    } cases[] = {
        {boNone, face, face, 0, true},  {boPlain, tx, tx, 0, true},     {boLowered, sh, hl, 0, true},
        {boRaised, hl, sh, 0, true},    {boFrame, sh, hl, hl, false},   {boCorel, sh, hl, tx, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.style));
        KvPalette p(nullptr);
        p.SetBounds(0, 0, 160, 160);
        UsePalette(p, 16);
        p.SetBevelOuter(c.style);
        const Shot shot(p);
        const TRect r = p.SquareRect(5);
        EXPECT_EQ(shot.dib.At(r.left, r.top), c.outerTopLeft);
        EXPECT_EQ(shot.dib.At(r.right - 1, r.bottom - 1), c.outerBottomRight);
        EXPECT_EQ(shot.dib.At(r.left + 1, r.top + 1), c.secondIsColour ? EntryOf(5) : c.second);
        EXPECT_EQ(shot.dib.At(r.left + 2, r.top + 2), EntryOf(5));
    }
    // Without 3-D looks every style is drawn plain.
    KvPalette p(nullptr);
    p.SetBounds(0, 0, 160, 160);
    UsePalette(p, 16);
    p.SetCtl3D(false);
    const Shot shot(p);
    const TRect r = p.SquareRect(5);
    EXPECT_EQ(shot.dib.At(r.left, r.top), tx);
    EXPECT_EQ(shot.dib.At(r.left + 1, r.top + 1), EntryOf(5));
}

TEST(KvPalette, MarksNameTheForegroundAndBackgroundSquares)
{
    struct Case {
        const char* what;
        bool fgEnabled, bgEnabled;
        int fg, bg;
        const char* fgText;  // expected on square fg; nullptr: no text
        const char* bgText;  // expected on square bg
    } cases[] = {
        {"both kinds", true, true, 3, 10, "FG", "BG"},
        {"one square for both", true, true, 6, 6, "FB", "FB"},
        {"foreground only", true, false, 3, 10, "X", nullptr},
        {"background only", false, true, 3, 10, nullptr, "BG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KvPalette p(nullptr);
        p.SetBounds(0, 0, 160, 160);
        UsePalette(p, 16);
        p.SetForegroundIndex(c.fg);
        p.SetBackgroundIndex(c.bg);
        p.EnableForeground(c.fgEnabled);
        p.EnableBackground(c.bgEnabled);
        const Shot shot(p);
        EXPECT_GT(Ink(p, shot, c.fg == c.bg || c.fgText ? c.fg : c.bg), 10) << "a mark is drawn";
        EXPECT_EQ(TextDifference(p, shot, c.fg, c.fgText), 0);
        EXPECT_EQ(TextDifference(p, shot, c.bg, c.bgText), 0);
        for (int i = 0; i < 16; ++i)
            if (i != c.fg && i != c.bg) {
                EXPECT_EQ(Ink(p, shot, i), 0) << "square " << i << " has no mark";
            }
    }
    // Light entries get black letters, dark ones white, component by component.
    KvPalette p(nullptr);
    p.SetBounds(0, 0, 160, 160);
    UsePalette(p, 16);
    p.SetPaletteEntry(2, TColor(RGB(255, 255, 255)));
    p.SetPaletteEntry(4, TColor(RGB(0, 0, 0)));
    p.SetForegroundIndex(2);
    p.SetBackgroundIndex(4);
    const Shot shot(p);
    int black = 0, white = 0;
    const TRect a = p.SquareRect(2), b = p.SquareRect(4);
    for (int y = a.top + 2; y < a.bottom - 2; ++y)
        for (int x = a.left + 2; x < a.right - 2; ++x) black += shot.dib.At(x, y) == RGB(0, 0, 0);
    for (int y = b.top + 2; y < b.bottom - 2; ++y)
        for (int x = b.left + 2; x < b.right - 2; ++x) white += shot.dib.At(x, y) == RGB(255, 255, 255);
    EXPECT_GT(black, 10);
    EXPECT_GT(white, 10);
    // Marks can be turned off.
    p.EnableFgBgText(false);
    const Shot plain(p);
    const TPoint mid = Centre(a);
    for (int y = a.top + 2; y < a.bottom - 2; ++y)
        for (int x = a.left + 2; x < a.right - 2; ++x)
            ASSERT_EQ(plain.dib.At(x, y), RGB(255, 255, 255)) << x << "," << y << " (centre " << mid.x << ")";
}

TEST(KvPalette, PicksTakeOnlyValidIndexesOfEnabledKinds)
{
    KvPalette p(nullptr);
    int changes = 0;
    p.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    p.SetForegroundIndex(20);  // the entry count: no such entry
    p.SetForegroundIndex(-1);
    EXPECT_EQ(p.ForegroundIndex(), -1);
    EXPECT_EQ(changes, 0);
    p.SetForegroundIndex(19);
    EXPECT_EQ(p.ForegroundIndex(), 19);
    EXPECT_EQ(changes, 1);
    p.SetForegroundIndex(19);
    EXPECT_EQ(changes, 1) << "the same index is no change";
    p.EnableBackground(false);
    p.SetBackgroundIndex(3);
    EXPECT_EQ(p.BackgroundIndex(), -1) << "a disabled kind takes no pick";
    EXPECT_EQ(changes, 1);
    p.EnableBackground(true);
    p.SetBackgroundColor(TColor(RGB(255, 0, 0)));  // the default palette has pure red
    TColor red = clNone;
    ASSERT_TRUE(p.GetPaletteEntry(p.BackgroundIndex(), red));
    EXPECT_EQ(red, TColor(RGB(255, 0, 0)));
    EXPECT_EQ(p.GetBackgroundColor(), TColor(RGB(255, 0, 0)));
    EXPECT_EQ(changes, 2);
    p.SetForegroundColor(TColor(RGB(250, 5, 3)));
    EXPECT_EQ(p.ForegroundIndex(), p.BackgroundIndex()) << "the nearest entry";
    p.SetSelection(25);
    EXPECT_EQ(p.Selection(), 0) << "no focus square past the entries";
    p.SetSelection(7);
    EXPECT_EQ(p.Selection(), 7);
}

TEST(KvPalette, ANewPaletteKeepsThePickedColoursByNearestEntry)
{
    KvPalette p(nullptr);
    UsePalette(p, 256);
    p.SetForegroundIndex(200);  // EntryOf(200)
    EXPECT_EQ(p.BackgroundIndex(), -1);
    int changes = 0;
    p.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));

    // The same colour now stands at index 3 of a small palette.
    PALETTEENTRY entries[8];
    for (int i = 0; i < 8; ++i) {
        const COLORREF c = i == 3 ? EntryOf(200) : RGB(i, i, i);
        entries[i] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    }
    p.SetPaletteEntries(8, entries);
    EXPECT_EQ(p.GetNumPaletteEntries(), 8);
    EXPECT_EQ(p.ForegroundIndex(), 3);
    EXPECT_EQ(p.BackgroundIndex(), -1) << "nothing picked stays nothing";
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(p.Rows(), 2) << "automatic layout: the square root";
    EXPECT_EQ(p.Columns(), 4);

    // Larger than 256 entries: every one is read.
    UsePalette(p, 300);
    ASSERT_EQ(p.GetNumPaletteEntries(), 300);
    TColor last = clNone;
    ASSERT_TRUE(p.GetPaletteEntry(299, last));
    EXPECT_EQ(COLORREF(last), EntryOf(299));
    EXPECT_FALSE(p.GetPaletteEntry(300, last));
    EXPECT_EQ(p.Rows(), 17);
    EXPECT_EQ(p.Columns(), 18);
}

TEST(KvPalette, NoEntriesNoRoomOrNoColumnsDrawAndHitNothing)
{
    struct Case {
        const char* what;
        int entries, width, height;
    } cases[] = {
        {"a palette of no entries", 0, 100, 100},
        {"too small for one square", 256, 10, 10},
        {"no height", 20, 100, 0},
        {"one pixel wide", 20, 1, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KvPalette p(nullptr);
        p.SetBounds(0, 0, c.width, c.height);
        if (c.entries)
            UsePalette(p, c.entries);
        else
            p.SetPaletteEntries(0, nullptr);
        p.SetSelectWindow(swLeft);
        p.SetForegroundIndex(0);
        for (int x = -2; x < c.width + 2; x += 3)
            for (int y = -2; y < c.height + 2; y += 3) ASSERT_EQ(p.SquareFromPos(x, y), -1) << x << "," << y;
        if (c.width > 0 && c.height > 0) {
            const Shot shot(p);
            for (int x = 0; x < c.width; ++x)
                for (int y = 0; y < c.height; ++y) ASSERT_EQ(shot.dib.At(x, y), Rgb(clBtnFace)) << x << "," << y;
        }
    }
    // Fixed cells larger than the control.
    KvPalette p(nullptr);
    p.SetCellXSize(500);
    p.SetCellYSize(500);
    EXPECT_EQ(p.SquareFromPos(10, 10), -1);
    const Shot shot(p);
    EXPECT_EQ(shot.dib.At(50, 50), Rgb(clBtnFace));
}

TEST(KvPalette, ThePreviewBoxShowsBothColoursAndMovesTheSquares)
{
    struct Case {
        TSelectWindowPosition where;
        bool both;
        TPoint firstSquare;  // top-left of square 0, cells of 20 x 20
    } cases[] = {
        {swLeft, true, {40, 0}},   {swLeft, false, {20, 0}}, {swTop, true, {0, 40}},
        {swTop, false, {0, 20}},   {swRight, true, {0, 0}},  {swBottom, true, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.where) * 10 + c.both);
        KvPalette p(nullptr);
        UsePalette(p, 16);  // 4 x 4
        const bool side = c.where == swLeft || c.where == swRight;
        p.SetBounds(0, 0, side ? 120 : 80, side ? 80 : 120);
        p.SetSelectWindow(c.where);
        ASSERT_EQ(p.CellWidth(), 20);
        ASSERT_EQ(p.CellHeight(), 20);
        p.SetForegroundIndex(1);
        p.SetBackgroundIndex(14);
        p.EnableBackground(c.both);
        EXPECT_EQ(p.SquareRect(0).TopLeft(), c.firstSquare);
        EXPECT_EQ(p.SquareFromPos(c.firstSquare.x + 10, c.firstSquare.y + 10), 0);
        EXPECT_EQ(p.SquareFromPos(c.firstSquare.x - 1, c.firstSquare.y - 1), -1);
        const Shot shot(p);
        EXPECT_EQ(shot.At(Centre(p.SquareRect(15))), EntryOf(15));

        // Where the box is, from its cell counts: 2 cells deep for both kinds, 1 for one.
        const int depth = c.both ? 40 : 20;
        TRect box;
        switch (c.where) {
        case swLeft: box = TRect(0, 0, depth, 80); break;
        case swRight: box = TRect(80, 0, 80 + depth, 80); break;
        case swTop: box = TRect(0, 0, 80, depth); break;
        default: box = TRect(0, 80, 80, 80 + depth); break;
        }
        if (c.both) {
            // Swatches of half the box's length, offset by a quarter and three quarters of themselves: the
            // foreground covers the background's upper left.
            const bool vertical = side;
            const int sw = vertical ? 20 : 40, sh = vertical ? 40 : 20;
            const TPoint fgAt(box.left + sw / 4 + 4, box.top + sh / 4 + 4);
            const TPoint bgAt(box.left + 3 * sw / 4 + sw - 4, box.top + 3 * sh / 4 + sh - 4);
            EXPECT_EQ(shot.At(fgAt), EntryOf(1));
            EXPECT_EQ(shot.At(bgAt), EntryOf(14));
        } else {
            // One swatch with an even margin of half the smaller cell side, halved on each side.
            EXPECT_EQ(shot.At(Centre(box)), EntryOf(1));
            EXPECT_EQ(shot.dib.At(box.left + 3, box.top + 3), Rgb(clBtnFace)) << "the margin";
        }
    }
    // No colour picked: the swatch shows the face colour, not an unread entry.
    KvPalette p(nullptr);
    UsePalette(p, 16);
    p.SetBounds(0, 0, 120, 80);
    p.SetSelectWindow(swLeft);
    const Shot shot(p);
    EXPECT_EQ(shot.At(TPoint(9, 14)), Rgb(clBtnFace));
    EXPECT_EQ(shot.At(TPoint(31, 66)), Rgb(clBtnFace));
}

TEST(KvPalette, AutoSizeChoosesTheSquarestCellsEitherWayRound)
{
    struct Case {
        int entries, width, height;
        int rows, columns;
    } cases[] = {
        {16, 400, 100, 2, 8},  // 50 x 50
        {16, 100, 400, 8, 2},  // tall: 2 columns of 8, again 50 x 50
        {20, 200, 200, 5, 4},  // 4 divides 20: 50 x 40
        {256, 160, 160, 16, 16},
        {1, 50, 50, 1, 1},
        {7, 300, 100, 2, 6},  // 6 does not divide 7 but gives 50 x 50
        {16, 15, 15, 16, 1},  // nothing reaches 10 pixels: one column
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.entries) + " in " + std::to_string(c.width) + "x" + std::to_string(c.height));
        KvPalette p(nullptr);
        UsePalette(p, c.entries);
        p.SetBounds(0, 0, c.width, c.height);
        p.SetCellXSize(7);
        p.SetCellAutoSize(true);
        EXPECT_EQ(p.CellXSize(), 0);
        EXPECT_EQ(p.CellYSize(), 0);
        EXPECT_EQ(p.Rows(), c.rows);
        EXPECT_EQ(p.Columns(), c.columns);
        EXPECT_EQ(p.CellWidth(), c.width / c.columns);
        EXPECT_EQ(p.CellHeight(), c.height / c.rows);
    }
    // It follows the control's size, and a fixed cell size turns it off.
    KvPalette p(nullptr);
    UsePalette(p, 16);
    p.SetBounds(0, 0, 400, 100);
    p.SetCellAutoSize(true);
    p.SetBounds(0, 0, 100, 400);
    EXPECT_EQ(p.Columns(), 2);
    p.SetCellYSize(12);
    EXPECT_FALSE(p.CellAutoSize());
    EXPECT_EQ(p.CellHeight(), 12);
}

TEST(KvPalette, FixedCellsShowWhatFitsAndScrollTheRestByButtons)
{
    KvPalette p(nullptr);
    UsePalette(p, 32);
    p.SetRows(1);  // 32 columns
    p.SetBounds(0, 0, 200, 20);
    p.SetCellXSize(20);  // room for 10 cells: two buttons and 8 squares
    ASSERT_NE(p.DecButton(), nullptr);
    ASSERT_NE(p.IncButton(), nullptr);
    EXPECT_EQ(p.VisibleColumns(), 8);
    EXPECT_EQ(p.DecButton()->BoundsRect(), TRect(0, 0, 20, 20));
    EXPECT_EQ(p.IncButton()->BoundsRect(), TRect(180, 0, 200, 20));
    EXPECT_FALSE(p.DecButton()->Enabled());
    EXPECT_TRUE(p.IncButton()->Enabled());

    // The arrows are the program's bitmaps 1 and 2: 5 x 11, a black triangle on white pointing outwards.
    for (TSpeedButton* b : {p.DecButton(), p.IncButton()}) {
        TBitmap* g = b->Glyph();
        ASSERT_EQ(g->Width(), 5);
        ASSERT_EQ(g->Height(), 11);
        const bool left = b == p.DecButton();
        const int tip = left ? 0 : 4, base = left ? 4 : 0;
        EXPECT_EQ(g->Canvas()->Pixels(tip, 5), clBlack);
        EXPECT_EQ(g->Canvas()->Pixels(tip, 4), clWhite);
        EXPECT_EQ(g->Canvas()->Pixels(base, 1), clBlack);
        EXPECT_EQ(g->Canvas()->Pixels(base, 9), clBlack);
        EXPECT_EQ(g->Canvas()->Pixels(base, 0), clWhite);
        EXPECT_EQ(g->Canvas()->Pixels(base, 10), clWhite);
    }

    EXPECT_EQ(p.SquareFromPos(10, 10), -1) << "the left button is no square";
    EXPECT_EQ(p.SquareFromPos(30, 10), 0);
    p.IncBtnClick(nullptr);
    p.IncBtnClick(nullptr);
    EXPECT_EQ(p.FirstVisibleColumn(), 2);
    EXPECT_TRUE(p.DecButton()->Enabled());
    EXPECT_EQ(p.SquareFromPos(30, 10), 2);
    EXPECT_TRUE(p.SquareRect(1).IsEmpty()) << "scrolled out";
    EXPECT_EQ(p.SquareRect(9), TRect(160, 0, 180, 20));
    p.SetForegroundIndex(3);
    {
        const Shot shot(p);
        EXPECT_EQ(shot.At(TPoint(30, 10)), EntryOf(2));
        EXPECT_EQ(shot.At(TPoint(170, 10)), EntryOf(9));
        EXPECT_EQ(TextDifference(p, shot, 3, "FG"), 0) << "the mark moves with its square";
    }
    for (int i = 0; i < 40; ++i) p.IncBtnClick(nullptr);
    EXPECT_EQ(p.FirstVisibleColumn(), 24) << "the last 8 columns on view";
    EXPECT_FALSE(p.IncButton()->Enabled());
    EXPECT_EQ(p.SquareFromPos(170, 10), 31);
    p.DecBtnClick(nullptr);
    EXPECT_EQ(p.FirstVisibleColumn(), 23);

    // Room for every column: the buttons go and the first column is on view again.
    p.SetBounds(0, 0, 640, 20);
    EXPECT_EQ(p.DecButton(), nullptr);
    EXPECT_EQ(p.IncButton(), nullptr);
    EXPECT_EQ(p.FirstVisibleColumn(), 0);
    EXPECT_EQ(p.VisibleColumns(), 32) << "never more than there are columns";
    EXPECT_EQ(p.SquareFromPos(10, 10), 0);
    EXPECT_EQ(p.SquareFromPos(645, 10), -1);

    // Fixed columns scroll the same way, with the buttons above and below.
    p.SetBounds(0, 0, 100, 100);
    p.SetColumns(16);  // 2 rows
    p.SetCellYSize(20);
    ASSERT_NE(p.DecButton(), nullptr);
    EXPECT_EQ(p.VisibleColumns(), 3);
    EXPECT_EQ(p.DecButton()->BoundsRect(), TRect(0, 0, 60, 20));
    EXPECT_EQ(p.IncButton()->BoundsRect(), TRect(0, 60, 60, 80));
    EXPECT_EQ(p.SquareFromPos(10, 30), 0);
    EXPECT_EQ(p.SquareFromPos(10, 50), 16);
    p.IncBtnClick(nullptr);
    EXPECT_EQ(p.SquareFromPos(10, 50), 17);
}

// Whatever the size, the entry count and the shape asked for, every square on view and both scroll buttons lie
// inside the control, where a click can reach them, and each square is hit where it is drawn.
TEST(KvPalette, SquaresAndScrollButtonsStayInsideTheControl)
{
    struct Shape {
        int rows, columns;  // one of them set
        int cellX, cellY;
        bool autoSize;
    };
    // clang-format off
    const Shape shapes[] = {
        {1, 0, 0, 0, false},   {2, 0, 0, 0, false},   {5, 0, 0, 0, false},
        {0, 1, 0, 0, false},   {0, 3, 0, 0, false},   {0, 16, 0, 0, false},
        {1, 0, 12, 0, false},  {2, 0, 20, 0, false},  {5, 0, 12, 12, false},  {3, 0, 0, 12, false},
        {0, 16, 20, 0, false}, {0, 3, 12, 0, false},  {0, 16, 12, 12, false}, {0, 7, 25, 25, false},
        {0, 8, 0, 20, false},  {0, 0, 0, 0, true},
    };
    const TPoint sizes[] = {{200, 160}, {100, 100}, {57, 43}, {30, 300}, {300, 30}, {45, 45}, {13, 9}};
    // clang-format on
    const int counts[] = {1, 7, 20, 64, 256};
    const TSelectWindowPosition boxes[] = {swNone, swTop, swBottom, swLeft, swRight};
    std::vector<std::string> faults;
    int withButtons = 0;
    for (const int count : counts)
        for (const TPoint& size : sizes)
            for (const Shape& shape : shapes)
                for (const TSelectWindowPosition box : boxes) {
                    KvPalette p(nullptr);
                    UsePalette(p, count);
                    p.SetBounds(0, 0, size.x, size.y);
                    p.SetSelectWindow(box);
                    if (shape.rows) p.SetRows(shape.rows);
                    if (shape.columns) p.SetColumns(shape.columns);
                    if (shape.autoSize) p.SetCellAutoSize(true);
                    if (shape.cellX) p.SetCellXSize(shape.cellX);
                    if (shape.cellY) p.SetCellYSize(shape.cellY);
                    const std::string what = std::to_string(count) + " entries, " + std::to_string(size.x) + "x" +
                                             std::to_string(size.y) + ", rows " + std::to_string(shape.rows) +
                                             " columns " + std::to_string(shape.columns) + " cells " +
                                             std::to_string(shape.cellX) + "x" + std::to_string(shape.cellY) +
                                             (shape.autoSize ? " auto" : "") + ", box " + std::to_string(int(box));
                    const TRect client(0, 0, size.x, size.y);
                    auto inside = [&](const TRect& r) {
                        return r.left >= client.left && r.top >= client.top && r.right <= client.right &&
                               r.bottom <= client.bottom;
                    };
                    // Scrolled to the far end as well: the last columns are on view there.
                    for (int step = 0; step < 2; ++step) {
                        for (int i = 0; i < count; ++i) {
                            const TRect r = p.SquareRect(i);
                            if (r.IsEmpty()) continue;
                            if (!inside(r)) faults.push_back(what + ": square " + std::to_string(i) + " outside");
                            else if (p.SquareFromPos(Centre(r).x, Centre(r).y) != i)
                                faults.push_back(what + ": square " + std::to_string(i) + " not hit");
                        }
                        for (TSpeedButton* b : {p.DecButton(), p.IncButton()}) {
                            if (!b) continue;
                            const TRect r = b->BoundsRect();
                            if (r.IsEmpty() || !inside(r))
                                faults.push_back(what + ": " + (b == p.DecButton() ? "decreasing" : "increasing") +
                                                 " button outside");
                            else if (p.SquareFromPos(Centre(r).x, Centre(r).y) != -1)
                                faults.push_back(what + ": a button over a square");
                        }
                        if (!p.IncButton()) break;
                        if (step == 0) ++withButtons;
                        for (int i = 0; i < p.Columns(); ++i) p.IncBtnClick(nullptr);
                    }
                    // With a computed height every row is on view.
                    if (!shape.cellY && !shape.autoSize && p.CellHeight() > 0 && p.VisibleRows() != p.Rows())
                        faults.push_back(what + ": " + std::to_string(p.VisibleRows()) + " rows of " +
                                         std::to_string(p.Rows()) + " on view");
                }
    EXPECT_GT(withButtons, 100) << "the table reaches the scrolling layouts";
    std::string first;
    for (std::size_t i = 0; i < faults.size() && i < 12; ++i) first += faults[i] + "\n";
    EXPECT_TRUE(faults.empty()) << faults.size() << " faults, the first:\n" << first;
}

TEST(KvPalette, HostedInAForeignWindow)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvPaletteHost";
    RegisterClassA(&wc);
    const HWND host = CreateWindowExA(0, "KvPaletteHost", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    {
        KvPalette p(host);
        ASSERT_TRUE(p.HandleAllocated());
        EXPECT_EQ(GetParent(p.Handle()), host);
        EXPECT_TRUE(GetWindowLongA(p.Handle(), GWL_STYLE) & WS_CLIPSIBLINGS);
        EXPECT_EQ(SendMessageA(p.Handle(), WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTARROWS | DLGC_WANTCHARS));
    }
    DestroyWindow(host);
}

TEST(KvPalette, RegisteredOnTheKarvonPageWithItsPublishedProperties)
{
    Kvpalette::Register();
    KvStrGrd::Register();
    const auto page = RegisteredComponents("Karvon");
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0], ClassOf<KvPalette>());
    EXPECT_EQ(page[1], ClassOf<KvStringGrid>());
    EXPECT_EQ(GetClass("KvPalette"), ClassOf<KvPalette>());
    EXPECT_EQ(GetClass("KvStringGrid"), ClassOf<KvStringGrid>());

    // Stored and read back: what differs from the defaults comes back.
    KvPalette source(nullptr);
    source.SetName("Colours");
    source.SetBevelOuter(boFrame);
    source.SetSelectWindow(swRight);
    source.SetClickEnablesColor(true);
    source.SetForegroundIndex(4);
    source.EnableBackground(false);
    TMemoryStream stream;
    stream.WriteComponent(&source);
    stream.SetPosition(0);
    KvPalette copy(nullptr);
    stream.ReadComponent(&copy);
    EXPECT_EQ(copy.BevelOuter(), boFrame);
    EXPECT_EQ(copy.SelectWindow(), swRight);
    EXPECT_TRUE(copy.ClickEnablesColor());
    EXPECT_EQ(copy.ForegroundIndex(), 4);
    EXPECT_FALSE(copy.BackgroundEnabled());
    EXPECT_TRUE(copy.ForegroundEnabled());

    KvStringGrid grid(nullptr);
    grid.SetName("Table");
    grid.SetPresentations({gpAdaptWidth});
    TMemoryStream gridStream;
    gridStream.WriteComponent(&grid);
    gridStream.SetPosition(0);
    KvStringGrid gridCopy(nullptr);
    gridStream.ReadComponent(&gridCopy);
    EXPECT_TRUE(gridCopy.Presentations().Contains(gpAdaptWidth));
}

}  // namespace
