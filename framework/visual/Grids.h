#pragma once
// Grids: TCustomGrid lays out columns and rows (fixed ones at the top and left stay put while the others scroll),
// paints cells and grid lines and keeps its scroll bars right on every size change; TStringGrid keeps a text per
// cell.

#include <windows.h>

#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Controls.h"

enum TGridDrawStateItem : unsigned char { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;

    int ColCount() const { return int(colWidths_.size()); }
    void SetColCount(int value);
    int RowCount() const { return int(rowHeights_.size()); }
    void SetRowCount(int value);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int value);
    // A write sets every column (or row) to the new default.
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int value);
    // The width of the line after every column and below every row.
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value);
    // Out of range: reads give the default, writes are ignored.
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);

    // The first scrollable column and row on view.
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int value);
    int TopRow() const { return topRow_; }
    void SetTopRow(int value);
    // The columns and rows after the fixed ones that are wholly on view (at least one while any exists).
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // The cell's rectangle in client coordinates; empty when it is not on view.
    TRect CellRect(int col, int row) const;
    // The cell at a client point; false outside every cell.
    bool MouseToCell(int x, int y, int& col, int& row) const;

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Paint() override;
    // Draws one cell's content inside rect (the lines are drawn by the grid).
    virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state);
    // The column or row count changed.
    virtual void SizeChanged() {}
    // Recomputes the scroll ranges and the first cells on view after a change of size or layout.
    void UpdateScrollRange();

private:
    int MaxLeftCol() const;
    int MaxTopRow() const;
    void Scroll(bool horizontal, WORD code);
    void LayoutChanged();

    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    int leftCol_ = 1;
    int topRow_ = 1;
    bool updatingScroll_ = false;
};

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
};

class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent* owner);
    ~TStringGrid() override;

    // Cells outside the grid read as empty; writes to them are ignored.
    AnsiString Cells(int col, int row) const;
    void SetCells(int col, int row, const AnsiString& text);

protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    // Texts of cells that no longer exist are dropped, so that they do not come back when the grid grows.
    void SizeChanged() override;

private:
    std::vector<std::vector<AnsiString>> cells_;  // [col][row], grown on write
};
