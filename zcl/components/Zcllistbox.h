#pragma once
// A list of rows in columns: a header over an owner-drawn list, both children of a scroll box. A row's parts
// are joined by Delimiter; part i shows under header section i. The header's widths can be kept in the settings
// store.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>

#include "framework/visual/ComCtrls.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/components/Zclcustomscrollbox.h"
#include "zcl/core/Zclinictrl.h"

class TZCLListBox;

enum TZCLLBGridLines : std::uint8_t { glNone, glHorizontal, glVertical, glBoth };
using TSectionEvent = Closure<void(TObject* Sender, int Section, int Width)>;
using TZCLIniCtrlEvent = Closure<void(TObject* Sender, TZCLIniCtrl* IniCtrl, const AnsiString& Section)>;
// Negative, 0 or positive as A sorts before, with or after B.
using TZCLListBoxCompare = int (*)(const AnsiString& A, const AnsiString& B);

// The header control of the list box.
class TZCLHeaderControl : public THeaderControl {
public:
    explicit TZCLHeaderControl(TComponent* AOwner) : THeaderControl(AOwner) {}
    int GetSectionWidth(int Index) const;
    // A changed width also fires OnSectionResize.
    void SetSectionWidth(int Index, int Width);
};

// The captions of older form streams: each string read from the property "Sections" becomes a header section.
class TZCLHeaderStrings : public TStringList {
public:
    explicit TZCLHeaderStrings(TZCLListBox* ListBox) : listBox_(ListBox) {}
    // A string starting with NUL is NUL, a decimal width (75 when it is none), NUL and the caption; any other is
    // a caption of width 75. The section gets the width + 1.
    void AddSection(const AnsiString& S);
    void ReadSections(TReader* Reader);

private:
    TZCLListBox* listBox_;  // owns this object
};

class TZCLListBox : public TZCLCustomScrollBox {
public:
    explicit TZCLListBox(TComponent* AOwner);
    // Writes the settings first.
    ~TZCLListBox() override;

    TZCLHeaderControl* Header() const { return header_; }
    TListBox* ListBox() const { return list_; }

    // Indexed properties. Booleans: 0 Enabled, 1 ExtendedSelect, 2 HeaderVisible, 3 MultiSelect, 4 Sorted,
    // 5 AllowResize, 6 ShowHint, 7 ParentShowHint, 8 TabStop, 12 HeaderHotTrack, 13 HeaderFlat, 20 VertScrollBar
    // and 21 AutoScroll (always false). Colours: 0 Color, 1 SelectedColor, 2 GridHorzColor, 3 GridVertColor.
    // Integers: 0 HeaderHeight, 1 ItemIndex, 2 TopIndex, 3 SelCount (read only), 4 ItemHeight, 5 the number of
    // header sections (read only). Cursors: 0 Cursor. Fonts: 0 HeaderFont, 1 Font.
    bool GetBool(int Index) const;
    void SetBool(int Index, bool Value);
    TColor GetColor(int Index) const;
    void SetColor(int Index, TColor Value);
    int GetInteger(int Index) const;
    void SetInteger(int Index, int Value);
    TCursor GetCursor(int Index) const;
    void SetCursor(int Index, TCursor Value);
    TFont* GetFont(int Index) const;
    void SetFont(int Index, TFont* Value);

    bool Enabled() const { return GetBool(0); }
    void SetEnabled(bool Value) override { SetBool(0, Value); }
    bool ExtendedSelect() const { return GetBool(1); }
    void SetExtendedSelect(bool Value) { SetBool(1, Value); }
    bool HeaderVisible() const { return GetBool(2); }
    void SetHeaderVisible(bool Value) { SetBool(2, Value); }
    bool MultiSelect() const { return GetBool(3); }
    void SetMultiSelect(bool Value) { SetBool(3, Value); }
    bool Sorted() const { return GetBool(4); }
    void SetSorted(bool Value) { SetBool(4, Value); }
    bool AllowResize() const { return GetBool(5); }
    void SetAllowResize(bool Value) { SetBool(5, Value); }
    bool ShowHint() const { return GetBool(6); }
    void SetShowHint(bool Value) { SetBool(6, Value); }
    bool ParentShowHint() const { return GetBool(7); }
    void SetParentShowHint(bool Value) { SetBool(7, Value); }
    bool TabStop() const { return GetBool(8); }
    void SetTabStop(bool Value) { SetBool(8, Value); }
    bool HeaderHotTrack() const { return GetBool(12); }
    void SetHeaderHotTrack(bool Value) { SetBool(12, Value); }
    bool HeaderFlat() const { return GetBool(13); }
    void SetHeaderFlat(bool Value) { SetBool(13, Value); }
    TColor Color() const { return GetColor(0); }
    void SetColor(TColor Value) { SetColor(0, Value); }
    TColor SelectedColor() const { return GetColor(1); }
    void SetSelectedColor(TColor Value) { SetColor(1, Value); }
    TColor GridHorzColor() const { return GetColor(2); }
    void SetGridHorzColor(TColor Value) { SetColor(2, Value); }
    TColor GridVertColor() const { return GetColor(3); }
    void SetGridVertColor(TColor Value) { SetColor(3, Value); }
    int HeaderHeight() const { return GetInteger(0); }
    void SetHeaderHeight(int Value) { SetInteger(0, Value); }
    int ItemIndex() const { return GetInteger(1); }
    void SetItemIndex(int Value) { SetInteger(1, Value); }
    int TopIndex() const { return GetInteger(2); }
    void SetTopIndex(int Value) { SetInteger(2, Value); }
    int SelCount() const { return GetInteger(3); }
    // Set only while Style is not lbStandard.
    int ItemHeight() const { return GetInteger(4); }
    void SetItemHeight(int Value) { SetInteger(4, Value); }
    int SectionCount() const { return GetInteger(5); }
    TCursor Cursor() const { return GetCursor(0); }
    void SetCursor(TCursor Value) { SetCursor(0, Value); }
    TFont* HeaderFont() const { return GetFont(0); }
    void SetHeaderFont(TFont* Value) { SetFont(0, Value); }
    TFont* Font() const { return GetFont(1); }
    void SetFont(TFont* Value) { SetFont(1, Value); }
    AnsiString Hint() const;
    void SetHint(const AnsiString& Value);

    TStrings* Items() const { return list_->Items(); }
    void SetItems(TStrings* Value) { list_->Items()->Assign(Value); }
    THeaderSections* HeaderSections() const { return header_->Sections(); }
    void SetHeaderSections(THeaderSections* Value);
    TMeasureItemEvent OnMeasureItem() const { return list_->OnMeasureItem(); }
    void SetOnMeasureItem(TMeasureItemEvent Value) { list_->SetOnMeasureItem(Value); }
    TDrawSectionEvent OnHeaderDrawSection() const { return header_->OnDrawSection(); }
    void SetOnHeaderDrawSection(TDrawSectionEvent Value) { header_->SetOnDrawSection(Value); }
    TSectionNotifyEvent OnHeaderSectionClick() const { return header_->OnSectionClick(); }
    void SetOnHeaderSectionClick(TSectionNotifyEvent Value) { header_->SetOnSectionClick(Value); }
    TSectionTrackEvent OnHeaderSectionTrack() const { return header_->OnSectionTrack(); }
    void SetOnHeaderSectionTrack(TSectionTrackEvent Value) { header_->SetOnSectionTrack(Value); }

    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char Value);
    TZCLLBGridLines GridLines() const { return gridLines_; }
    void SetGridLines(TZCLLBGridLines Value);
    TListBoxStyle Style() const { return style_; }
    // lbStandard keeps the list owner-drawn with the standard item height.
    void SetStyle(TListBoxStyle Value);
    // A positive width scrolls header and list sideways over that width; 0 fits them to the box.
    int VirtualWidth() const { return virtualWidth_; }
    void SetVirtualWidth(int Value);
    // The obsolete caption list of older forms (gone once loaded); setting it raises.
    TZCLHeaderStrings* Sections() const { return headerStrings_.get(); }
    void SetSections(TStrings* Value);

    TZCLIniCtrl* IniLink() const { return iniLink_; }
    void SetIniLink(TZCLIniCtrl* Value);
    TZCLIniUse IniUse() const { return iniUse_; }
    void SetIniUse(TZCLIniUse Value) { iniUse_ = Value; }
    const AnsiString& Section() const { return section_; }
    void SetSection(const AnsiString& Value) { section_ = Value; }
    const AnsiString& IniKey() const { return iniKey_; }
    void SetIniKey(const AnsiString& Value) { iniKey_ = Value; }

    // How SpecialSort compares (null: plain text) and whether it sorts from the greatest down.
    TZCLListBoxCompare SortCompare() const { return sortCompare_; }
    void SetSortCompare(TZCLListBoxCompare Value) { sortCompare_ = Value; }
    bool SortDescending() const { return sortDescending_; }
    void SetSortDescending(bool Value) { sortDescending_ = Value; }

    TSectionEvent OnHeaderSized() const { return onHeaderSized_; }
    void SetOnHeaderSized(TSectionEvent Value) { onHeaderSized_ = Value; }
    TSectionNotifyEvent OnHeaderSectionResize() const { return onHeaderSectionResize_; }
    void SetOnHeaderSectionResize(TSectionNotifyEvent Value) { onHeaderSectionResize_ = Value; }
    TDrawItemEvent OnDrawItem() const { return onDrawItem_; }
    void SetOnDrawItem(TDrawItemEvent Value) { onDrawItem_ = Value; }
    TZCLIniCtrlEvent OnIniReadData() const { return onIniReadData_; }
    void SetOnIniReadData(TZCLIniCtrlEvent Value) { onIniReadData_ = Value; }
    TZCLIniCtrlEvent OnIniWriteData() const { return onIniWriteData_; }
    void SetOnIniWriteData(TZCLIniCtrlEvent Value) { onIniWriteData_ = Value; }
    // Fired after a left button press on the list.
    TNotifyEvent OnSelect() const { return onSelect_; }
    void SetOnSelect(TNotifyEvent Value) { onSelect_ = Value; }

    // Forwarded to the list.
    bool Selected(int Index) const { return list_->Selected(Index); }
    void SetSelected(int Index, bool Value) { list_->SetSelected(Index, Value); }
    int ItemAtPos(const TPoint& P, bool Existing) const { return list_->ItemAtPos(P, Existing); }
    void Clear() { list_->Clear(); }
    void SetFocus() override { list_->SetFocus(); }
    TControlCanvas* Canvas() const { return list_->Canvas(); }

    // Rows.
    void AddLine(std::span<const AnsiString> Parts);
    void AddLine(std::initializer_list<AnsiString> Parts);
    // Part Part of row Index; empty for a missing row or part.
    AnsiString ItemPart(int Index, int Part) const;
    // Replaces a part of an existing row.
    void SetItemPart(int Index, int Part, const AnsiString& Text);
    AnsiString GetPartString(const AnsiString& Text, int Part) const;
    // Orders the rows by the parts at Columns, joined (an empty part counts as one space).
    void SpecialSort(std::span<const int> Columns);
    void SpecialSort(std::initializer_list<int> Columns);

    // The header widths joined by ","; SetIniString gives the sections such a list of widths, adding sections
    // "S. n" as needed. Values that are no number leave their section's width alone.
    AnsiString GetIniString() const;
    void SetIniString(const AnsiString& Value);
    void ReadData();
    void WriteData();

    void DrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);
    void HeaderSized(THeaderControl* HeaderControl, THeaderSection* Section);
    void DoSelect();

    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Loaded() override;
    void ReadState(TReader* Reader) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;
    void Dispatch(TMessage& Message) override;

protected:
    virtual void DoReadData();
    virtual void DoWriteData();
    void Resize() override;
    // Once the list runs the box's focus events, focus moving into the list does not run them a second time.
    void DoEnter() override;
    void DoExit() override;
    // The row's background and text colours on the list's canvas.
    void PrepareDrawItem(const TRect& Rect, TOwnerDrawState State);

private:
    TZCLIniCtrl* Store() const;
    int StandardItemHeight();
    void InnerWndProc(TMessage& Message);
    void SortRange(std::span<const int> Columns, int First, int Last);
    int CompareKeys(const AnsiString& A, const AnsiString& B) const;
    AnsiString SortKey(int Index, std::span<const int> Columns) const;

    TZCLHeaderControl* header_ = nullptr;  // owned (freed in the destructor)
    std::unique_ptr<TZCLHeaderStrings> headerStrings_;
    char delimiter_ = ';';
    bool sortDescending_ = false;
    int itemHeight_ = 16;
    TZCLLBGridLines gridLines_ = glNone;
    TListBox* list_ = nullptr;  // owned (freed in the destructor)
    TListBoxStyle style_ = lbStandard;
    TColor gridHorzColor_ = clSilver;
    TColor gridVertColor_ = clSilver;
    TColor selectedColor_ = clHighlight;
    TSectionEvent onHeaderSized_;
    TSectionNotifyEvent onHeaderSectionResize_;
    TDrawItemEvent onDrawItem_;
    TZCLListBoxCompare sortCompare_ = nullptr;
    TWndMethod oldListProc_;
    bool listHooked_ = false;
    int virtualWidth_ = 0;
    TZCLIniCtrl* iniLink_ = nullptr;  // not owned; dropped by a free notification
    TZCLIniUse iniUse_ = ioNone;
    AnsiString section_ = "Common";
    AnsiString iniKey_ = "ListBoxData";
    TZCLIniCtrlEvent onIniReadData_, onIniWriteData_;
    TNotifyEvent onSelect_;
};
