#pragma once
// A colour box: the entries of a logical palette as a grid of squares, with a foreground and a background colour
// picked by the left and right mouse buttons or by the keyboard, as in a paint program.

#include <windows.h>

#include <cstddef>

#include "framework/runtime/Handles.h"
#include "framework/visual/Buttons.h"
#include "framework/visual/Controls.h"

namespace Karvon {

// The frame round each square and round the preview box.
enum TBevelOuter : unsigned char { boNone, boPlain, boLowered, boRaised, boFrame, boCorel };
// Where the box showing the foreground and background colours stands.
enum TSelectWindowPosition : unsigned char { swNone, swTop, swBottom, swLeft, swRight };

class KvPalette : public TCustomControl {
public:
    explicit KvPalette(TComponent* owner);
    // Hosted in a foreign window; the caller frees it.
    explicit KvPalette(HWND parentWindow);
    explicit KvPalette(std::nullptr_t) : KvPalette(static_cast<TComponent*>(nullptr)) {}
    ~KvPalette() override;

    // The palette ------------------------------------------------------------------------------------------------
    // Shows a copy of palette's entries (the caller keeps its handle). The foreground and background move to the
    // entries nearest their old colours; the layout in force is applied to the new entry count.
    void SetPalette(HPALETTE palette);
    // Builds the control's own palette from count entries, as SetPalette does.
    void SetPaletteEntries(int count, const PALETTEENTRY* entries);
    int GetNumPaletteEntries() const { return count_; }
    void SetPaletteEntry(int index, const PALETTEENTRY& entry);
    void SetPaletteEntry(int index, TColor color);
    bool GetPaletteEntry(int index, PALETTEENTRY& entry) const;
    bool GetPaletteEntry(int index, TColor& color) const;
    bool IsValidIndex(int index) const { return index >= 0 && index < count_; }
    // The control's own palette, realised when it draws.
    HPALETTE GetPalette() override { return palette_.get(); }

    // The picked colours -----------------------------------------------------------------------------------------
    // -1 is none. A write takes only a valid index of an enabled colour kind, and fires OnChange.
    int ForegroundIndex() const { return fgIndex_; }
    void SetForegroundIndex(int index);
    int BackgroundIndex() const { return bgIndex_; }
    void SetBackgroundIndex(int index);
    // By the nearest palette entry.
    void SetForegroundColor(TColor color);
    void SetBackgroundColor(TColor color);
    // The entry's colour, 0 when no entry is picked.
    TColor GetForegroundColor() const;
    TColor GetBackgroundColor() const;
    bool ForegroundEnabled() const { return fgEnabled_; }
    void EnableForeground(bool value);
    bool BackgroundEnabled() const { return bgEnabled_; }
    void EnableBackground(bool value);
    // A click or key for a disabled colour kind enables it.
    bool ClickEnablesColor() const { return clickEnablesColor_; }
    void SetClickEnablesColor(bool value) { clickEnablesColor_ = value; }
    // "FG", "BG", "FB" or "X" on the picked squares.
    bool FgBgText() const { return fgBgText_; }
    void EnableFgBgText(bool value);
    // The square with the keyboard focus.
    int Selection() const { return selection_; }
    void SetSelection(int index);

    // Layout -----------------------------------------------------------------------------------------------------
    // Fixing the rows makes the columns follow from the entry count, and the other way round.
    int Rows() const { return rows_; }
    void SetRows(int value);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    TBevelOuter BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelOuter value);
    TSelectWindowPosition SelectWindow() const { return selectWindow_; }
    void SetSelectWindow(TSelectWindowPosition value);
    // Fixed cell sizes (0: computed from the control's size); setting one turns CellAutoSize off.
    int CellXSize() const { return cellXSize_; }
    void SetCellXSize(int value);
    int CellYSize() const { return cellYSize_; }
    void SetCellYSize(int value);
    // Chooses the grid's shape so the cells are as square as the control allows; turning it on clears the fixed
    // sizes.
    bool CellAutoSize() const { return cellAutoSize_; }
    void SetCellAutoSize(bool value);

    // The cell in use, the columns and rows on view and the first column on view (scrolled by the buttons).
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    int VisibleColumns() const { return visibleCols_; }
    int VisibleRows() const { return visibleRows_; }
    int FirstVisibleColumn() const { return firstVisibleCol_; }
    // The scroll buttons while not every column is on view, else null.
    TSpeedButton* DecButton() const { return decBtn_; }
    TSpeedButton* IncButton() const { return incBtn_; }

    // The entry under a client point, -1 for none.
    int SquareFromPos(int x, int y) const;
    // Where an entry's square is drawn; empty while it is not on view.
    TRect SquareRect(int index) const;

    void IncBtnClick(TObject* sender);
    void DecBtnClick(TObject* sender);

    // Fired after a pick.
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }

    void Dispatch(TMessage& message) override;

protected:
    virtual void Change();
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Paint() override;
    void Resize() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    enum class Layout { Automatic, RowFixed, ColumnFixed };

    void Init();
    void ApplyRows(int rows);
    void ApplyColumns(int columns);
    void UpdateCellSizes();
    void CalcAutoSize();
    // Not all columns on view, and room for a button at each end.
    bool ScrollButtonsWanted() const;
    void UpdateButtons();
    void EnableButtons();
    // The cells the preview box takes: two while both colour kinds are shown, else one.
    int BoxCells() const { return fgEnabled_ && bgEnabled_ ? 2 : 1; }
    // The top-left corner of the first square on view.
    TPoint GridOrigin() const;
    TRect SelectWindowRect() const;
    bool CanDraw() const;
    // Picks index for the foreground (left button, F) or the background (right button, B).
    void Pick(bool foreground, int index);
    void SetColorIndex(bool foreground, int index);
    void InvalidateArea(const TRect& r);
    void InvalidatePicks(int oldIndex, int newIndex);

    TBevelOuter SquareBevel() const { return Ctl3D() ? bevelOuter_ : boPlain; }
    COLORREF EntryColor(int index) const;
    void DrawSquare(TCanvas* canvas, int index, bool focused);
    void DrawSelectWindow(TCanvas* canvas);
    void DrawFgBg(TCanvas* canvas);
    // Draws the frames of style in r; true when a focus rectangle should mark a pressed square. inset is how far
    // inside r the frames end.
    static bool DrawBevel(TCanvas* canvas, const TRect& r, TBevelOuter style, bool pressed, int& inset);

    PaletteHandle palette_;
    int count_ = 0;
    bool clickEnablesColor_ = false;
    TBevelOuter bevelOuter_ = boCorel;
    int fgIndex_ = -1;
    int bgIndex_ = -1;
    bool fgEnabled_ = true;
    bool bgEnabled_ = true;
    bool fgBgText_ = true;
    int rows_ = 1;
    int columns_ = 1;
    TSelectWindowPosition selectWindow_ = swNone;
    int cellXSize_ = 0;
    int cellYSize_ = 0;
    bool cellAutoSize_ = false;
    int selection_ = 0;
    TNotifyEvent onChange_;

    int cellWidth_ = 0;
    int cellHeight_ = 0;
    Layout layout_ = Layout::Automatic;
    int visibleCols_ = 0;
    int visibleRows_ = 0;
    int firstVisibleCol_ = 0;
    TSpeedButton* decBtn_ = nullptr;  // owned as components
    TSpeedButton* incBtn_ = nullptr;
    TMouseButton pressedButton_ = mbLeft;
    bool dragging_ = false;
    bool focused_ = false;
};

namespace Kvpalette {
// Puts the palette picker on the "Karvon" page of a design environment.
void Register();
}  // namespace Kvpalette

}  // namespace Karvon
