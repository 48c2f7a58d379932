#include "framework/visual/Grids.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------------------------
// TCustomGrid

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle(ControlStyle() + TControlStyle{csFramed, csOpaque});
    colWidths_.assign(5, defaultColWidth_);
    rowHeights_.assign(5, defaultRowHeight_);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    // The bars are shown and hidden by the scroll ranges.
    params.Style |= WS_HSCROLL | WS_VSCROLL;
}

void TCustomGrid::CreateWnd()
{
    TCustomControl::CreateWnd();
    UpdateScrollRange();
}

void TCustomGrid::LayoutChanged()
{
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetColCount(int value)
{
    value = std::max(value, 1);
    if (value == ColCount()) return;
    colWidths_.resize(std::size_t(value), defaultColWidth_);
    fixedCols_ = std::min(fixedCols_, value - 1);
    SizeChanged();
    LayoutChanged();
}

void TCustomGrid::SetRowCount(int value)
{
    value = std::max(value, 1);
    if (value == RowCount()) return;
    rowHeights_.resize(std::size_t(value), defaultRowHeight_);
    fixedRows_ = std::min(fixedRows_, value - 1);
    SizeChanged();
    LayoutChanged();
}

void TCustomGrid::SetFixedCols(int value)
{
    // At least one column always scrolls.
    value = std::clamp(value, 0, ColCount() - 1);
    if (value == fixedCols_) return;
    fixedCols_ = value;
    leftCol_ = std::max(leftCol_, fixedCols_);
    LayoutChanged();
}

void TCustomGrid::SetFixedRows(int value)
{
    value = std::clamp(value, 0, RowCount() - 1);
    if (value == fixedRows_) return;
    fixedRows_ = value;
    topRow_ = std::max(topRow_, fixedRows_);
    LayoutChanged();
}

void TCustomGrid::SetDefaultColWidth(int value)
{
    value = std::max(value, 0);
    defaultColWidth_ = value;
    std::fill(colWidths_.begin(), colWidths_.end(), value);
    LayoutChanged();
}

void TCustomGrid::SetDefaultRowHeight(int value)
{
    value = std::max(value, 0);
    defaultRowHeight_ = value;
    std::fill(rowHeights_.begin(), rowHeights_.end(), value);
    LayoutChanged();
}

void TCustomGrid::SetGridLineWidth(int value)
{
    value = std::max(value, 0);
    if (value == gridLineWidth_) return;
    gridLineWidth_ = value;
    LayoutChanged();
}

int TCustomGrid::ColWidths(int col) const
{
    return col >= 0 && col < ColCount() ? colWidths_[std::size_t(col)] : defaultColWidth_;
}

void TCustomGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= ColCount()) return;
    width = std::max(width, 0);
    if (colWidths_[std::size_t(col)] == width) return;
    colWidths_[std::size_t(col)] = width;
    LayoutChanged();
}

int TCustomGrid::RowHeights(int row) const
{
    return row >= 0 && row < RowCount() ? rowHeights_[std::size_t(row)] : defaultRowHeight_;
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= RowCount()) return;
    height = std::max(height, 0);
    if (rowHeights_[std::size_t(row)] == height) return;
    rowHeights_[std::size_t(row)] = height;
    LayoutChanged();
}

// The largest first column that still shows the last column whole (or alone, when it is wider than the room).
int TCustomGrid::MaxLeftCol() const
{
    int room = ClientWidth();
    for (int c = 0; c < fixedCols_; ++c) room -= ColWidths(c) + gridLineWidth_;
    int col = ColCount() - 1;
    int used = ColWidths(col) + gridLineWidth_;
    while (col > fixedCols_ && used + ColWidths(col - 1) + gridLineWidth_ <= room) {
        --col;
        used += ColWidths(col) + gridLineWidth_;
    }
    return col;
}

int TCustomGrid::MaxTopRow() const
{
    int room = ClientHeight();
    for (int r = 0; r < fixedRows_; ++r) room -= RowHeights(r) + gridLineWidth_;
    int row = RowCount() - 1;
    int used = RowHeights(row) + gridLineWidth_;
    while (row > fixedRows_ && used + RowHeights(row - 1) + gridLineWidth_ <= room) {
        --row;
        used += RowHeights(row) + gridLineWidth_;
    }
    return row;
}

void TCustomGrid::SetLeftCol(int value)
{
    value = std::clamp(value, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
    if (value == leftCol_) return;
    leftCol_ = value;
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetTopRow(int value)
{
    value = std::clamp(value, fixedRows_, std::max(fixedRows_, MaxTopRow()));
    if (value == topRow_) return;
    topRow_ = value;
    UpdateScrollRange();
    Invalidate();
}

int TCustomGrid::VisibleColCount() const
{
    int x = 0;
    for (int c = 0; c < fixedCols_; ++c) x += ColWidths(c) + gridLineWidth_;
    int n = 0;
    for (int c = leftCol_; c < ColCount(); ++c) {
        x += ColWidths(c) + gridLineWidth_;
        if (x > ClientWidth() && n > 0) break;
        ++n;
    }
    return n;
}

int TCustomGrid::VisibleRowCount() const
{
    int y = 0;
    for (int r = 0; r < fixedRows_; ++r) y += RowHeights(r) + gridLineWidth_;
    int n = 0;
    for (int r = topRow_; r < RowCount(); ++r) {
        y += RowHeights(r) + gridLineWidth_;
        if (y > ClientHeight() && n > 0) break;
        ++n;
    }
    return n;
}

TRect TCustomGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return TRect();
    if ((col >= fixedCols_ && col < leftCol_) || (row >= fixedRows_ && row < topRow_)) return TRect();
    int x = 0;
    for (int c = 0; c < col; ++c)
        if (c < fixedCols_ || c >= leftCol_) x += ColWidths(c) + gridLineWidth_;
    int y = 0;
    for (int r = 0; r < row; ++r)
        if (r < fixedRows_ || r >= topRow_) y += RowHeights(r) + gridLineWidth_;
    if (x >= ClientWidth() || y >= ClientHeight()) return TRect();
    return TRect(x, y, x + ColWidths(col), y + RowHeights(row));
}

bool TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const
{
    auto find = [&](int p, int count, int fixed, int first, auto size) {
        int at = 0;
        for (int i = 0; i < count; ++i) {
            if (i >= fixed && i < first) continue;
            const int next = at + size(i);
            if (p >= at && p < next) return i;
            at = next + gridLineWidth_;
            if (p < at) return -1;  // on the line
        }
        return -1;
    };
    col = find(x, ColCount(), fixedCols_, leftCol_, [this](int i) { return ColWidths(i); });
    row = find(y, RowCount(), fixedRows_, topRow_, [this](int i) { return RowHeights(i); });
    return col >= 0 && row >= 0;
}

void TCustomGrid::UpdateScrollRange()
{
    // Showing or hiding a bar changes the client size and sends WM_SIZE, which comes back here.
    if (updatingScroll_) return;
    updatingScroll_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{updatingScroll_};
    // A bar appearing narrows the room for the other one: settle in a few rounds.
    for (int round = 0; round < 3; ++round) {
        leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
        topRow_ = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, MaxTopRow()));
        if (!HandleAllocated()) return;
        const TRect before = ClientRect();
        auto set = [&](int bar, int pos, int max) {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            si.nMin = 0;
            si.nMax = max;
            si.nPage = 1;  // hidden when the whole range is one position
            si.nPos = pos;
            SetScrollInfo(Handle(), bar, &si, TRUE);
        };
        set(SB_HORZ, leftCol_ - fixedCols_, std::max(0, MaxLeftCol() - fixedCols_));
        set(SB_VERT, topRow_ - fixedRows_, std::max(0, MaxTopRow() - fixedRows_));
        if (ClientRect() == before) break;
    }
}

void TCustomGrid::Scroll(bool horizontal, WORD code)
{
    const int pos = horizontal ? leftCol_ : topRow_;
    const int fixed = horizontal ? fixedCols_ : fixedRows_;
    const int max = std::max(fixed, horizontal ? MaxLeftCol() : MaxTopRow());
    const int page = std::max(1, horizontal ? VisibleColCount() : VisibleRowCount());
    int to = pos;
    switch (code) {
    case SB_LINEUP: to = pos - 1; break;
    case SB_LINEDOWN: to = pos + 1; break;
    case SB_PAGEUP: to = pos - page; break;
    case SB_PAGEDOWN: to = pos + page; break;
    case SB_TOP: to = fixed; break;
    case SB_BOTTOM: to = max; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), horizontal ? SB_HORZ : SB_VERT, &si);
        to = fixed + si.nTrackPos;
        break;
    }
    default: return;
    }
    if (horizontal)
        SetLeftCol(to);
    else
        SetTopRow(to);
}

void TCustomGrid::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_SIZE:
        TCustomControl::Dispatch(message);
        UpdateScrollRange();
        Invalidate();
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (message.LParam == 0) {  // our own bars; a child's go to the child
            Scroll(message.Msg == WM_HSCROLL, message.WParamLo());
            message.Result = 0;
            return;
        }
        break;
    case WM_ERASEBKGND:
        message.Result = 1;  // Paint covers the whole client area
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}

void TCustomGrid::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    const TColor lineColor = clSilver;
    // The columns and rows on view, fixed ones first.
    std::vector<int> cols, rows;
    for (int c = 0; c < ColCount(); ++c)
        if (c < fixedCols_ || c >= leftCol_) cols.push_back(c);
    for (int r = 0; r < RowCount(); ++r)
        if (r < fixedRows_ || r >= topRow_) rows.push_back(r);

    int gridRight = 0, gridBottom = 0;
    int y = 0;
    for (int r : rows) {
        if (y >= client.bottom) break;
        int x = 0;
        for (int c : cols) {
            if (x >= client.right) break;
            const TRect cell(x, y, x + ColWidths(c), y + RowHeights(r));
            TGridDrawState state;
            if (c < fixedCols_ || r < fixedRows_) state += TGridDrawState{gdFixed};
            canvas->Brush()->SetColor(state.Contains(gdFixed) ? clBtnFace : Color());
            canvas->FillRect(cell);
            const int saved = SaveDC(canvas->Handle());
            IntersectClipRect(canvas->Handle(), cell.left, cell.top, cell.right, cell.bottom);
            DrawCell(c, r, cell, state);
            RestoreDC(canvas->Handle(), saved);
            x = cell.right + gridLineWidth_;
        }
        gridRight = std::max(gridRight, x);
        y += RowHeights(r) + gridLineWidth_;
    }
    gridBottom = y;

    if (gridLineWidth_ > 0) {
        canvas->Brush()->SetColor(lineColor);
        int x = 0;
        for (int c : cols) {
            if (x >= client.right) break;
            x += ColWidths(c);
            canvas->FillRect(TRect(x, 0, x + gridLineWidth_, gridBottom));
            x += gridLineWidth_;
        }
        y = 0;
        for (int r : rows) {
            if (y >= client.bottom) break;
            y += RowHeights(r);
            canvas->FillRect(TRect(0, y, gridRight, y + gridLineWidth_));
            y += gridLineWidth_;
        }
    }
    // What lies beyond the last column and row.
    canvas->Brush()->SetColor(Color());
    if (gridRight < client.right) canvas->FillRect(TRect(gridRight, 0, client.right, client.bottom));
    if (gridBottom < client.bottom) canvas->FillRect(TRect(0, gridBottom, std::min(gridRight, int(client.right)), client.bottom));
}

void TCustomGrid::DrawCell(int, int, const TRect&, TGridDrawState) {}

// ---------------------------------------------------------------------------------------------------------------
// TStringGrid

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) {}

TStringGrid::~TStringGrid() = default;

AnsiString TStringGrid::Cells(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return AnsiString();
    if (std::size_t(col) >= cells_.size() || std::size_t(row) >= cells_[std::size_t(col)].size()) return AnsiString();
    return cells_[std::size_t(col)][std::size_t(row)];
}

void TStringGrid::SetCells(int col, int row, const AnsiString& text)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
    if (std::size_t(col) >= cells_.size()) cells_.resize(std::size_t(col) + 1);
    auto& column = cells_[std::size_t(col)];
    if (std::size_t(row) >= column.size()) column.resize(std::size_t(row) + 1);
    column[std::size_t(row)] = text;
    const TRect r = CellRect(col, row);
    if (HandleAllocated() && !r.IsEmpty()) {
        const RECT wr = r;
        InvalidateRect(Handle(), &wr, FALSE);
    }
}

void TStringGrid::SizeChanged()
{
    if (cells_.size() > std::size_t(ColCount())) cells_.resize(std::size_t(ColCount()));
    for (auto& column : cells_)
        if (column.size() > std::size_t(RowCount())) column.resize(std::size_t(RowCount()));
}

void TStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState)
{
    const AnsiString text = Cells(col, row);
    if (text.IsEmpty()) return;
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    SetBkMode(canvas->Handle(), TRANSPARENT);
    canvas->TextOut(rect.left + 2, rect.top + 2, text);
}
