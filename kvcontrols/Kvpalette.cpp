#include "kvcontrols/Kvpalette.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"

namespace Karvon {

namespace {

const bool published = [] {
    PublishedProperties<KvPalette>()
        .Boolean("ClickEnablesColor", &KvPalette::ClickEnablesColor, &KvPalette::SetClickEnablesColor, false)
        .Enumeration("BevelOuter", &KvPalette::BevelOuter, &KvPalette::SetBevelOuter,
                     {"boNone", "boPlain", "boLowered", "boRaised", "boFrame", "boCorel"}, boCorel)
        .Integer("ForegroundIndex", &KvPalette::ForegroundIndex, &KvPalette::SetForegroundIndex, -1)
        .Integer("BackgroundIndex", &KvPalette::BackgroundIndex, &KvPalette::SetBackgroundIndex, -1)
        .Boolean("ForegroundEnabled", &KvPalette::ForegroundEnabled, &KvPalette::EnableForeground, true)
        .Boolean("BackgroundEnabled", &KvPalette::BackgroundEnabled, &KvPalette::EnableBackground, true)
        .Boolean("FgBgText", &KvPalette::FgBgText, &KvPalette::EnableFgBgText, true)
        .Integer("Rows", &KvPalette::Rows, &KvPalette::SetRows, 1)
        .Integer("Columns", &KvPalette::Columns, &KvPalette::SetColumns, 1)
        .Enumeration("SelectWindow", &KvPalette::SelectWindow, &KvPalette::SetSelectWindow,
                     {"swNone", "swTop", "swBottom", "swLeft", "swRight"}, swNone)
        .Integer("CellXSize", &KvPalette::CellXSize, &KvPalette::SetCellXSize, 0)
        .Integer("CellYSize", &KvPalette::CellYSize, &KvPalette::SetCellYSize, 0)
        .Boolean("CellAutoSize", &KvPalette::CellAutoSize, &KvPalette::SetCellAutoSize, false)
        .Integer("Selection", &KvPalette::Selection, &KvPalette::SetSelection, 0)
        .Event("OnChange", &KvPalette::OnChange, &KvPalette::SetOnChange);
    return true;
}();

int CeilDiv(int a, int b) { return b > 0 ? (a + b - 1) / b : 0; }

TRect Shrunk(const TRect& r, int by) { return TRect(r.left + by, r.top + by, r.right - by, r.bottom - by); }

// The control's palette selected into a DC for one drawing; the DC's own goes back afterwards.
class SelectedPalette {
public:
    SelectedPalette(HDC dc, HPALETTE palette) : dc_(dc), old_(palette ? SelectPalette(dc, palette, FALSE) : nullptr)
    {
        if (old_) RealizePalette(dc);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;
    ~SelectedPalette()
    {
        if (old_) SelectPalette(dc_, old_, TRUE);
    }

private:
    HDC dc_;
    HPALETTE old_;
};

// One frame one pixel wide: tl along the top and left, br along the bottom and right; r shrinks inside it.
void Frame(TCanvas* canvas, TRect& r, TColor tl, TColor br)
{
    if (r.IsEmpty()) return;
    canvas->Brush()->SetColor(tl);
    canvas->FillRect(TRect(r.left, r.top, r.right - 1, r.top + 1));
    canvas->FillRect(TRect(r.left, r.top, r.left + 1, r.bottom - 1));
    canvas->Brush()->SetColor(br);
    canvas->FillRect(TRect(r.right - 1, r.top, r.right, r.bottom));
    canvas->FillRect(TRect(r.left, r.bottom - 1, r.right, r.bottom));
    r = Shrunk(r, 1);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction

KvPalette::KvPalette(TComponent* owner) : TCustomControl(owner) { Init(); }

KvPalette::KvPalette(HWND parentWindow) : TCustomControl(nullptr)
{
    Init();
    SetParentWindow(parentWindow);
}

KvPalette::~KvPalette() = default;

void KvPalette::Init()
{
    SetColor(clBtnFace);
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Pen()->SetColor(clBlack);
    SetBounds(0, 0, 100, 100);
    SetPalette(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
}

void KvPalette::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style |= WS_CLIPSIBLINGS;
}

void KvPalette::CreateWnd()
{
    TCustomControl::CreateWnd();
    UpdateCellSizes();
}

// ---------------------------------------------------------------------------------------------------------------
// The palette

void KvPalette::SetPalette(HPALETTE palette)
{
    WORD count = 0;
    if (!palette || GetObjectA(palette, sizeof count, &count) == 0) count = 0;
    // Sized by the palette's own count: logical palettes may hold more than 256 entries.
    std::vector<PALETTEENTRY> entries(count);
    if (count > 0 && GetPaletteEntries(palette, 0, count, entries.data()) != count) entries.clear();
    SetPaletteEntries(int(entries.size()), entries.data());
}

void KvPalette::SetPaletteEntries(int count, const PALETTEENTRY* entries)
{
    if (count < 0 || !entries) count = 0;
    count = std::min(count, 0xFFFF);
    // The picked colours, to be found again among the new entries.
    const bool hadFg = IsValidIndex(fgIndex_), hadBg = IsValidIndex(bgIndex_);
    const COLORREF fgColor = COLORREF(GetForegroundColor()), bgColor = COLORREF(GetBackgroundColor());

    PaletteHandle made;
    if (count > 0) {
        std::vector<BYTE> data(offsetof(LOGPALETTE, palPalEntry) + std::size_t(count) * sizeof(PALETTEENTRY));
        auto* lp = reinterpret_cast<LOGPALETTE*>(data.data());
        lp->palVersion = 0x300;
        lp->palNumEntries = WORD(count);
        std::copy(entries, entries + count, lp->palPalEntry);
        made.reset(CreatePalette(lp));
        if (!made) RaiseLastOSError();
    }
    // The old palette is selected nowhere: drawing puts the DC's own back each time.
    palette_ = std::move(made);
    count_ = count;

    switch (layout_) {
    case Layout::RowFixed:
        ApplyRows(rows_);
        break;
    case Layout::ColumnFixed:
        ApplyColumns(columns_);
        break;
    case Layout::Automatic: {
        int root = 0;
        while ((root + 1) * (root + 1) <= count_) ++root;
        rows_ = root;
        columns_ = CeilDiv(count_, root);
        UpdateCellSizes();
        break;
    }
    }

    const int oldFg = fgIndex_, oldBg = bgIndex_;
    auto nearest = [this](bool had, COLORREF c) {
        if (!had || !palette_) return -1;
        const UINT i = GetNearestPaletteIndex(palette_.get(), c & 0xFFFFFF);
        return i == CLR_INVALID || int(i) >= count_ ? -1 : int(i);
    };
    fgIndex_ = nearest(hadFg, fgColor);
    bgIndex_ = nearest(hadBg, bgColor);
    if (!IsValidIndex(selection_)) selection_ = 0;
    Invalidate();
    if (fgIndex_ != oldFg || bgIndex_ != oldBg) Change();
}

void KvPalette::SetPaletteEntry(int index, const PALETTEENTRY& entry)
{
    if (!IsValidIndex(index)) return;
    ::SetPaletteEntries(palette_.get(), UINT(index), 1, &entry);
    if (HandleAllocated()) Invalidate();
}

void KvPalette::SetPaletteEntry(int index, TColor color)
{
    const COLORREF c = COLORREF(ColorToRGB(color));
    const PALETTEENTRY entry{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    SetPaletteEntry(index, entry);
}

bool KvPalette::GetPaletteEntry(int index, PALETTEENTRY& entry) const
{
    return IsValidIndex(index) && GetPaletteEntries(palette_.get(), UINT(index), 1, &entry) == 1;
}

bool KvPalette::GetPaletteEntry(int index, TColor& color) const
{
    PALETTEENTRY entry;
    if (!GetPaletteEntry(index, entry)) return false;
    color = TColor(RGB(entry.peRed, entry.peGreen, entry.peBlue));
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// The picked colours

void KvPalette::SetColorIndex(bool foreground, int index)
{
    int& current = foreground ? fgIndex_ : bgIndex_;
    const bool enabled = foreground ? fgEnabled_ : bgEnabled_;
    if (!IsValidIndex(index) || index == current || !enabled) return;
    const int old = current;
    current = index;
    InvalidatePicks(old, index);
    Change();
}

void KvPalette::SetForegroundIndex(int index) { SetColorIndex(true, index); }

void KvPalette::SetBackgroundIndex(int index) { SetColorIndex(false, index); }

void KvPalette::SetForegroundColor(TColor color)
{
    if (!palette_) return;
    const UINT i = GetNearestPaletteIndex(palette_.get(), COLORREF(ColorToRGB(color)) & 0xFFFFFF);
    if (i != CLR_INVALID) SetForegroundIndex(int(i));
}

void KvPalette::SetBackgroundColor(TColor color)
{
    if (!palette_) return;
    const UINT i = GetNearestPaletteIndex(palette_.get(), COLORREF(ColorToRGB(color)) & 0xFFFFFF);
    if (i != CLR_INVALID) SetBackgroundIndex(int(i));
}

TColor KvPalette::GetForegroundColor() const
{
    TColor c = TColor(0);
    return GetPaletteEntry(fgIndex_, c) ? c : TColor(0);
}

TColor KvPalette::GetBackgroundColor() const
{
    TColor c = TColor(0);
    return GetPaletteEntry(bgIndex_, c) ? c : TColor(0);
}

void KvPalette::EnableForeground(bool value)
{
    if (value == fgEnabled_) return;
    fgEnabled_ = value;
    // The preview box takes one cell or two, so the squares may move.
    UpdateCellSizes();
}

void KvPalette::EnableBackground(bool value)
{
    if (value == bgEnabled_) return;
    bgEnabled_ = value;
    UpdateCellSizes();
}

void KvPalette::EnableFgBgText(bool value)
{
    if (value == fgBgText_) return;
    fgBgText_ = value;
    Invalidate();
}

void KvPalette::SetSelection(int index)
{
    if (!IsValidIndex(index) || index == selection_) return;
    InvalidateArea(SquareRect(selection_));
    selection_ = index;
    InvalidateArea(SquareRect(selection_));
    InvalidateArea(SelectWindowRect());
}

void KvPalette::Pick(bool foreground, int index)
{
    const bool enabled = foreground ? fgEnabled_ : bgEnabled_;
    if (!enabled && clickEnablesColor_) {
        (foreground ? fgIndex_ : bgIndex_) = -1;
        if (foreground)
            EnableForeground(true);
        else
            EnableBackground(true);
    }
    SetColorIndex(foreground, index);
}

void KvPalette::Change()
{
    if (onChange_) onChange_(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Layout

void KvPalette::ApplyRows(int rows)
{
    rows_ = rows;
    columns_ = CeilDiv(count_, rows);
    layout_ = Layout::RowFixed;
    UpdateCellSizes();
}

void KvPalette::ApplyColumns(int columns)
{
    columns_ = columns;
    rows_ = CeilDiv(count_, columns);
    layout_ = Layout::ColumnFixed;
    UpdateCellSizes();
}

void KvPalette::SetRows(int value)
{
    if (value <= 0 || value == rows_) return;
    ApplyRows(value);
}

void KvPalette::SetColumns(int value)
{
    // No columns would leave the rows to a division by zero.
    if (value <= 0) return;
    ApplyColumns(value);
}

void KvPalette::SetBevelOuter(TBevelOuter value)
{
    if (value == bevelOuter_) return;
    bevelOuter_ = value;
    Invalidate();
}

void KvPalette::SetSelectWindow(TSelectWindowPosition value)
{
    if (value == selectWindow_) return;
    selectWindow_ = value;
    UpdateCellSizes();
}

void KvPalette::SetCellXSize(int value)
{
    cellXSize_ = std::max(value, 0);
    cellAutoSize_ = false;
    UpdateCellSizes();
}

void KvPalette::SetCellYSize(int value)
{
    cellYSize_ = std::max(value, 0);
    cellAutoSize_ = false;
    UpdateCellSizes();
}

void KvPalette::SetCellAutoSize(bool value)
{
    cellAutoSize_ = value;
    if (value) cellXSize_ = cellYSize_ = 0;
    UpdateCellSizes();
}

void KvPalette::Resize()
{
    UpdateCellSizes();
    TCustomControl::Resize();
}

void KvPalette::CalcAutoSize()
{
    const int n = count_, w = Width(), h = Height();
    if (n <= 0) return;
    int best = std::max(w, h);
    int bestDivisor = 0, divisorDiff = INT_MAX, bestOther = 0, otherDiff = INT_MAX;
    for (int k = 1; k < n; ++k) {
        const int cw = w / k, ch = h / CeilDiv(n, k);
        if (cw < 10 || ch < 10) continue;
        const int d = std::abs(cw - ch);
        if (d >= best) continue;
        best = d;
        if (n % k == 0) {
            bestDivisor = k;
            divisorDiff = d;
        } else {
            bestOther = k;
            otherDiff = d;
        }
    }
    const int k = divisorDiff < otherDiff ? bestDivisor : (bestOther ? bestOther : 1);
    // k was measured as the number of columns, whichever way the control is longer.
    columns_ = k;
    rows_ = CeilDiv(n, k);
}

void KvPalette::UpdateCellSizes()
{
    if (cellAutoSize_) CalcAutoSize();
    const bool side = selectWindow_ == swLeft || selectWindow_ == swRight;
    const bool topOrBottom = selectWindow_ == swTop || selectWindow_ == swBottom;
    if (cellXSize_ > 0) {
        cellWidth_ = cellXSize_;
        visibleCols_ = Width() / cellWidth_ - (side ? 2 : 0);
    } else {
        const int across = columns_ + (side ? 2 : 0);
        if (across > 0) cellWidth_ = Width() / across;
        visibleCols_ = columns_;
    }
    // More room than columns shows each once, never the next row's entries again.
    visibleCols_ = std::clamp(visibleCols_, 0, std::max(columns_, 0));
    // With fixed columns the scroll buttons stand above and below the squares: the height makes room for them.
    const int buttonCells = ScrollButtonsWanted() && layout_ == Layout::ColumnFixed ? 2 : 0;
    if (cellYSize_ > 0) {
        cellHeight_ = cellYSize_;
        visibleRows_ = Height() / cellHeight_ - (topOrBottom ? 2 : 0) - buttonCells;
    } else {
        const int down = rows_ + (topOrBottom ? 2 : 0) + buttonCells;
        if (down > 0) cellHeight_ = Height() / down;
        visibleRows_ = rows_;
    }
    visibleRows_ = std::clamp(visibleRows_, 0, std::max(rows_, 0));
    UpdateButtons();
    Invalidate();
}

bool KvPalette::ScrollButtonsWanted() const
{
    if (columns_ <= visibleCols_ || ComponentState().Contains(csDestroying)) return false;
    // Each button takes a cell at one end of the row direction and spans the squares on view across it: without
    // room for that the buttons would lie outside the control, or have no size.
    const int box = selectWindow_ == swTop || selectWindow_ == swBottom ? 2 : 0;
    if (layout_ == Layout::ColumnFixed) {
        const bool twoCellsDown = cellYSize_ > 0 ? Height() / cellYSize_ - box >= 2 : Height() / (rows_ + box + 2) > 0;
        return visibleCols_ >= 3 && twoCellsDown;
    }
    const bool oneRowDown = cellYSize_ > 0 ? Height() / cellYSize_ - box >= 1 : Height() / std::max(rows_ + box, 1) > 0;
    return visibleCols_ >= 2 && oneRowDown;
}

void KvPalette::UpdateButtons()
{
    if (!ScrollButtonsWanted()) {
        delete decBtn_;
        delete incBtn_;
        decBtn_ = incBtn_ = nullptr;
        firstVisibleCol_ = 0;
        return;
    }
    auto make = [this](int glyphId, void (KvPalette::*click)(TObject*)) {
        auto* button = new TSpeedButton(this);
        button->SetParent(this);
        try {
            TBitmap glyph;
            glyph.LoadFromResourceID(GetModuleHandleA(nullptr), glyphId);
            button->SetGlyph(&glyph);
        } catch (const EResNotFound&) {
            // A module without the arrows still scrolls, by plain buttons.
        }
        button->SetOnClick(TNotifyEvent(this, click));
        return button;
    };
    if (!decBtn_) decBtn_ = make(1, &KvPalette::DecBtnClick);
    if (!incBtn_) incBtn_ = make(2, &KvPalette::IncBtnClick);
    visibleCols_ = std::max(visibleCols_ - 2, 0);
    firstVisibleCol_ = std::clamp(firstVisibleCol_, 0, columns_ - visibleCols_);

    const TPoint o = GridOrigin();
    const int cw = cellWidth_, ch = cellHeight_;
    if (layout_ == Layout::ColumnFixed) {
        decBtn_->SetBounds(o.x, o.y - ch, visibleCols_ * cw, ch);
        incBtn_->SetBounds(o.x, o.y + visibleRows_ * ch, visibleCols_ * cw, ch);
    } else {
        decBtn_->SetBounds(o.x - cw, o.y, cw, visibleRows_ * ch);
        incBtn_->SetBounds(o.x + visibleCols_ * cw, o.y, cw, visibleRows_ * ch);
    }
    EnableButtons();
}

void KvPalette::EnableButtons()
{
    if (!decBtn_ || !incBtn_) return;
    decBtn_->SetEnabled(firstVisibleCol_ >= 1);
    incBtn_->SetEnabled(columns_ - visibleCols_ > firstVisibleCol_);
}

void KvPalette::IncBtnClick(TObject*)
{
    if (columns_ - visibleCols_ > firstVisibleCol_) {
        ++firstVisibleCol_;
        Repaint();
    }
    EnableButtons();
}

void KvPalette::DecBtnClick(TObject*)
{
    if (firstVisibleCol_ > 0) {
        --firstVisibleCol_;
        Repaint();
    }
    EnableButtons();
}

// ---------------------------------------------------------------------------------------------------------------
// Geometry

bool KvPalette::CanDraw() const
{
    return count_ > 0 && columns_ > 0 && rows_ > 0 && cellWidth_ > 0 && cellHeight_ > 0;
}

TPoint KvPalette::GridOrigin() const
{
    const bool buttons = decBtn_ != nullptr;
    int x = selectWindow_ == swLeft ? BoxCells() * cellWidth_ : 0;
    int y = selectWindow_ == swTop ? BoxCells() * cellHeight_ : 0;
    if (buttons && layout_ == Layout::ColumnFixed)
        y += cellHeight_;
    else if (buttons)
        x += cellWidth_;
    return TPoint(x, y);
}

TRect KvPalette::SelectWindowRect() const
{
    const int cw = cellWidth_, ch = cellHeight_, n = BoxCells();
    const bool buttons = decBtn_ != nullptr;
    const TPoint o = GridOrigin();
    switch (selectWindow_) {
    case swTop:
        return TRect(0, 0, visibleCols_ * cw, n * ch);
    case swBottom: {
        // Below the squares on view (and the lower button), not below rows that are not shown.
        const int top = o.y + visibleRows_ * ch + (buttons && layout_ == Layout::ColumnFixed ? ch : 0);
        return TRect(0, top, visibleCols_ * cw, top + n * ch);
    }
    case swLeft:
        return TRect(0, 0, n * cw, visibleRows_ * ch);
    case swRight: {
        const int left = o.x + visibleCols_ * cw + (buttons && layout_ != Layout::ColumnFixed ? cw : 0);
        return TRect(left, 0, left + n * cw, visibleRows_ * ch);
    }
    default:
        return TRect();
    }
}

TRect KvPalette::SquareRect(int index) const
{
    if (!CanDraw() || !IsValidIndex(index)) return TRect();
    const int row = index / columns_, col = index % columns_ - firstVisibleCol_;
    if (col < 0 || col >= visibleCols_ || row >= visibleRows_) return TRect();
    const TPoint o = GridOrigin();
    return Bounds(o.x + col * cellWidth_, o.y + row * cellHeight_, cellWidth_, cellHeight_);
}

int KvPalette::SquareFromPos(int x, int y) const
{
    // No cell size (a control too small for one square) or no columns: there is nothing to hit.
    if (!CanDraw()) return -1;
    const TPoint o = GridOrigin();
    x -= o.x;
    y -= o.y;
    if (x < 0 || y < 0) return -1;
    const int col = x / cellWidth_, row = y / cellHeight_;
    if (col >= visibleCols_ || row >= visibleRows_) return -1;
    const int index = row * columns_ + col + firstVisibleCol_;
    return IsValidIndex(index) ? index : -1;
}

// ---------------------------------------------------------------------------------------------------------------
// Painting

void KvPalette::InvalidateArea(const TRect& r)
{
    if (!HandleAllocated() || r.IsEmpty()) return;
    const RECT wr = r;
    ::InvalidateRect(Handle(), &wr, TRUE);
}

void KvPalette::InvalidatePicks(int oldIndex, int newIndex)
{
    // The other pick's mark may change too ("FB" against "FG" and "BG").
    for (int i : {oldIndex, newIndex, fgIndex_, bgIndex_}) InvalidateArea(SquareRect(i));
    InvalidateArea(SelectWindowRect());
}

COLORREF KvPalette::EntryColor(int index) const
{
    PALETTEENTRY e;
    if (!GetPaletteEntry(index, e)) return COLORREF(ColorToRGB(clBtnFace));
    return PALETTERGB(e.peRed, e.peGreen, e.peBlue);
}

bool KvPalette::DrawBevel(TCanvas* canvas, const TRect& r, TBevelOuter style, bool pressed, int& inset)
{
    TRect x = r;
    bool mark = false;
    switch (style) {
    case boNone:
        x = Shrunk(x, 1);
        mark = pressed;
        break;
    case boPlain:
        if (!pressed) {
            Frame(canvas, x, clBtnText, clBtnText);
        } else {
            canvas->Pen()->SetMode(pmNot);
            canvas->Brush()->SetStyle(bsClear);
            canvas->Rectangle(x);
            canvas->Pen()->SetMode(pmCopy);
            x = Shrunk(x, 1);
            Frame(canvas, x, clBlack, clBlack);
        }
        break;
    case boLowered:
        Frame(canvas, x, pressed ? clBtnHighlight : clBtnShadow, pressed ? clBtnShadow : clBtnHighlight);
        break;
    case boRaised:
        Frame(canvas, x, pressed ? clBtnShadow : clBtnHighlight, pressed ? clBtnHighlight : clBtnShadow);
        break;
    case boFrame:
        Frame(canvas, x, clBtnShadow, clBtnHighlight);
        Frame(canvas, x, clBtnHighlight, clBtnShadow);
        mark = pressed;
        break;
    case boCorel:
        if (!pressed) {
            Frame(canvas, x, clBtnShadow, clBtnHighlight);
            Frame(canvas, x, clBtnText, clBtnFace);
        } else {
            Frame(canvas, x, clBtnHighlight, clBtnShadow);
            Frame(canvas, x, clBtnFace, clBtnText);
        }
        break;
    }
    inset = x.left - r.left;
    return mark;
}

void KvPalette::DrawSquare(TCanvas* canvas, int index, bool focused)
{
    const TRect r = SquareRect(index);
    if (r.IsEmpty()) return;
    int inset = 0;
    const bool mark = DrawBevel(canvas, r, SquareBevel(), focused, inset);
    const TRect fill = Shrunk(r, inset);
    if (fill.IsEmpty()) return;
    canvas->Brush()->SetColor(TColor(EntryColor(index)));
    canvas->FillRect(fill);
    if (focused && mark && !Shrunk(fill, 1).IsEmpty()) canvas->DrawFocusRect(Shrunk(fill, 1));
}

void KvPalette::DrawSelectWindow(TCanvas* canvas)
{
    if (selectWindow_ == swNone) return;
    const TRect box = SelectWindowRect();
    if (box.IsEmpty()) return;
    const int cw = cellWidth_, ch = cellHeight_;
    const bool both = fgEnabled_ && bgEnabled_;
    const int margin = (std::min(cw, ch) / 2) & ~1;
    int sw, sh;
    if (!both) {
        sw = box.Width() - margin;
        sh = box.Height() - margin;
    } else if (selectWindow_ == swTop || selectWindow_ == swBottom) {
        // Half the columns on view, so the swatches stay inside their box while the squares scroll.
        sw = MulDiv(visibleCols_, cw, 2);
        sh = ch;
    } else {
        sw = cw;
        sh = MulDiv(visibleRows_, ch, 2);
    }
    const TBevelOuter style = SquareBevel();
    int inset = 0;
    DrawBevel(canvas, box, style, false, inset);
    auto swatch = [&](int dx, int dy, bool pressed, int index) {
        const TRect s = Bounds(box.left + dx, box.top + dy, sw, sh);
        if (s.IsEmpty()) return;
        int in = 0;
        DrawBevel(canvas, s, style, pressed, in);
        const TRect fill = Shrunk(s, in);
        if (fill.IsEmpty()) return;
        // No entry picked: the face colour, not a colour read from nowhere.
        canvas->Brush()->SetColor(TColor(EntryColor(index)));
        canvas->FillRect(fill);
    };
    if (bgEnabled_) {
        if (both)
            swatch(MulDiv(3, sw, 4), MulDiv(3, sh, 4), false, bgIndex_);
        else
            swatch(margin / 2, margin / 2, false, bgIndex_);
    }
    if (fgEnabled_) {
        const bool pressed = Ctl3D() && style != boPlain;
        if (both)
            swatch(MulDiv(1, sw, 4), MulDiv(1, sh, 4), pressed, fgIndex_);
        else
            swatch(margin / 2, margin / 2, pressed, fgIndex_);
    }
}

void KvPalette::DrawFgBg(TCanvas* canvas)
{
    if (!fgBgText_) return;
    const bool both = fgEnabled_ && bgEnabled_;
    const bool shared = both && fgIndex_ == bgIndex_;
    auto mark = [&](int index, const char* text) {
        const TRect r = SquareRect(index);
        if (r.IsEmpty()) return;
        PALETTEENTRY e;
        if (!GetPaletteEntry(index, e)) return;
        canvas->Font()->SetColor(
            TColor(RGB(e.peRed < 128 ? 255 : 0, e.peGreen < 128 ? 255 : 0, e.peBlue < 128 ? 255 : 0)));
        RECT tr = Bounds(r.left + 1, r.top + 1, cellWidth_ - 2, cellHeight_ - 2);
        DrawTextA(canvas->Handle(), text, -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };
    const HDC dc = canvas->Handle();
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (fgEnabled_) mark(fgIndex_, both ? (shared ? "FB" : "FG") : "X");
    if (bgEnabled_ && !shared) mark(bgIndex_, "BG");
    SetBkMode(dc, oldMode);
}

void KvPalette::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    // No entries, no columns or no room for one square: nothing to show.
    if (!CanDraw()) return;
    const SelectedPalette selected(canvas->Handle(), palette_.get());
    for (int r = 0; r < visibleRows_; ++r)
        for (int c = 0; c < visibleCols_; ++c) {
            const int index = r * columns_ + c + firstVisibleCol_;
            if (IsValidIndex(index)) DrawSquare(canvas, index, false);
        }
    DrawSelectWindow(canvas);
    if (IsValidIndex(selection_)) DrawSquare(canvas, selection_, focused_);
    DrawFgBg(canvas);
}

// ---------------------------------------------------------------------------------------------------------------
// Input

void KvPalette::KeyDown(WORD& key, TShiftState shift)
{
    const int n = count_;
    if (n <= 0 || columns_ <= 0) {
        TCustomControl::KeyDown(key, shift);
        return;
    }
    // Moves stay on entries that exist: the last row may be short of a full one.
    const int cols = columns_;
    const int current = IsValidIndex(selection_) ? selection_ : 0;
    const int col = current % cols;
    auto bottomOf = [&](int c) {
        int i = (rows_ - 1) * cols + c;
        while (i >= n) i -= cols;
        return i;
    };
    int next = current;
    switch (key) {
    case VK_RIGHT:
    case VK_SPACE:
        next = current + 1 < n ? current + 1 : 0;
        break;
    case VK_LEFT:
        next = current > 0 ? current - 1 : n - 1;
        break;
    case VK_DOWN:
        if (current + cols < n)
            next = current + cols;
        else
            next = col + 1 < cols && col + 1 < n ? col + 1 : 0;
        break;
    case VK_UP:
        if (current - cols >= 0)
            next = current - cols;
        else
            next = bottomOf(col > 0 ? col - 1 : std::min(cols, n) - 1);
        break;
    case VK_HOME:
        next = 0;
        break;
    case VK_END:
        next = n - 1;
        break;
    case 'F':
    case 'B':
        Pick(key == 'F', current);
        Click();
        key = 0;
        return;
    default:
        TCustomControl::KeyDown(key, shift);
        return;
    }
    SetSelection(next);
    key = 0;
}

void KvPalette::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft || button == mbRight) {
        if (button == mbRight) SetCapture(Handle());
        pressedButton_ = button;
        dragging_ = true;
        const int index = SquareFromPos(x, y);
        if (IsValidIndex(index)) {
            Pick(button == mbLeft, index);
            SetSelection(index);
            if (TabStop()) SetFocus();
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void KvPalette::MouseMove(TShiftState shift, int x, int y)
{
    if (dragging_) {
        const int index = SquareFromPos(x, y);
        if (IsValidIndex(index)) {
            Pick(pressedButton_ == mbLeft, index);
            SetSelection(index);
        }
    }
    TCustomControl::MouseMove(shift, x, y);
}

void KvPalette::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (dragging_ && button == pressedButton_) {
        dragging_ = false;
        if (button == mbRight && HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void KvPalette::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(message);
        focused_ = message.Msg == WM_SETFOCUS;
        InvalidateArea(SquareRect(selection_));
        InvalidateArea(SelectWindowRect());
        return;
    case WM_CAPTURECHANGED:
        // Capture taken away (another window, a menu): the drag is over.
        if (!HandleAllocated() || reinterpret_cast<HWND>(message.LParam) != Handle()) dragging_ = false;
        break;
    case CM_CTL3DCHANGED:
        TCustomControl::Dispatch(message);
        Invalidate();
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}

namespace Kvpalette {
void Register() { RegisterComponents("Karvon", {ClassOf<KvPalette>()}); }
}  // namespace Kvpalette

}  // namespace Karvon
