#include "zcl/components/Zcllistbox.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Menus.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclstrings.h"
#include "zcl/core/Zclutils.h"

namespace {

// Width of a section of an older stream that gives none.
constexpr int LegacySectionWidth = 75;
// Settings come from the registry: a damaged value must not make the header grow without end.
constexpr int MaxStoredSections = 256;

bool Blank(const AnsiString& S) { return ZCLTrim(S).IsEmpty(); }

const bool listBoxPublished = [] {
    using C = TZCLListBox;
    PublishedProperties<C>()
        .Boolean("AllowResize", &C::AllowResize, &C::SetAllowResize, true)
        .Integer("Color", [](C* c) { return int(c->Color()); }, [](C* c, int v) { c->SetColor(TColor(v)); },
                 int(clWhite))
        .Char("Delimiter", &C::Delimiter, &C::SetDelimiter, ';')
        .Boolean("Enabled", &C::Enabled, &C::SetEnabled, true)
        .Boolean("ExtendedSelect", &C::ExtendedSelect, &C::SetExtendedSelect, true)
        .Enumeration("GridLines", &C::GridLines, &C::SetGridLines, {"glNone", "glHorizontal", "glVertical", "glBoth"},
                     glNone)
        .Integer("GridHorzColor", &C::GridHorzColor, &C::SetGridHorzColor, int(clSilver))
        .Integer("GridVertColor", &C::GridVertColor, &C::SetGridVertColor, int(clSilver))
        .Integer("HeaderHeight", &C::HeaderHeight, &C::SetHeaderHeight, 25)
        .Boolean("HeaderVisible", &C::HeaderVisible, &C::SetHeaderVisible, true)
        .Boolean("HeaderHotTrack", &C::HeaderHotTrack, &C::SetHeaderHotTrack, false)
        .Boolean("HeaderFlat", &C::HeaderFlat, &C::SetHeaderFlat, false)
        .Boolean("MultiSelect", &C::MultiSelect, &C::SetMultiSelect, false)
        .Boolean("Sorted", &C::Sorted, &C::SetSorted, false)
        .Boolean("ShowHint", &C::ShowHint, &C::SetShowHint, false)
        .Boolean("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint, true)
        .Boolean("TabStop", &C::TabStop, &C::SetTabStop, true)
        .Integer("SelectedColor", &C::SelectedColor, &C::SetSelectedColor, int(clHighlight))
        .Enumeration("Style", &C::Style, &C::SetStyle, {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"},
                     lbStandard)
        .Integer("Cursor", [](C* c) { return int(c->Cursor()); }, [](C* c, int v) { c->SetCursor(TCursor(v)); }, 0)
        .Integer("VirtualWidth", &C::VirtualWidth, &C::SetVirtualWidth, 0)
        .Enumeration("IniUse", &C::IniUse, &C::SetIniUse, {"ioUseLink", "ioUseGlobal", "ioNone"}, ioNone)
        .Object("IniLink", &C::IniLink, &C::SetIniLink)
        .String("Section", &C::Section, &C::SetSection)
        .Stored([](C* c) { return c->Section() != "Common"; })
        .String("IniKey", &C::IniKey, &C::SetIniKey)
        .Stored([](C* c) { return c->IniKey() != "ListBoxData"; })
        .String("Hint", &C::Hint, &C::SetHint)
        .Object("Font", [](C* c) { return c->Font(); }, [](C* c, TFont* f) { c->SetFont(f); })
        .Object("HeaderFont", &C::HeaderFont, &C::SetHeaderFont)
        .Object("Items", &C::Items, &C::SetItems)
        .Object("Bevel", &C::Bevel, &C::SetBevel)
        .Enumeration("Align", &C::Align, &C::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                     alNone)
        .Boolean("Visible", &C::Visible, &C::SetVisible, true)
        .Object("PopupMenu", &C::PopupMenu, &C::SetPopupMenu)
        .Integer("TabOrder", &C::TabOrder, &C::SetTabOrder)
        .Event("OnClick", &C::OnClick, &C::SetOnClick)
        .Event("OnDblClick", &C::OnDblClick, &C::SetOnDblClick)
        .Event("OnEnter", &C::OnEnter, &C::SetOnEnter)
        .Event("OnExit", &C::OnExit, &C::SetOnExit)
        .Event("OnKeyDown", &C::OnKeyDown, &C::SetOnKeyDown)
        .Event("OnKeyPress", &C::OnKeyPress, &C::SetOnKeyPress)
        .Event("OnKeyUp", &C::OnKeyUp, &C::SetOnKeyUp)
        .Event("OnMouseDown", &C::OnMouseDown, &C::SetOnMouseDown)
        .Event("OnMouseMove", &C::OnMouseMove, &C::SetOnMouseMove)
        .Event("OnMouseUp", &C::OnMouseUp, &C::SetOnMouseUp)
        .Event("OnResize", &C::OnResize, &C::SetOnResize)
        .Event("OnDrawItem", &C::OnDrawItem, &C::SetOnDrawItem)
        .Event("OnMeasureItem", &C::OnMeasureItem, &C::SetOnMeasureItem)
        .Event("OnHeaderSized", &C::OnHeaderSized, &C::SetOnHeaderSized)
        .Event("OnHeaderSectionResize", &C::OnHeaderSectionResize, &C::SetOnHeaderSectionResize)
        .Event("OnHeaderSectionClick", &C::OnHeaderSectionClick, &C::SetOnHeaderSectionClick)
        .Event("OnHeaderSectionTrack", &C::OnHeaderSectionTrack, &C::SetOnHeaderSectionTrack)
        .Event("OnHeaderDrawSection", &C::OnHeaderDrawSection, &C::SetOnHeaderDrawSection)
        .Event("OnIniReadData", &C::OnIniReadData, &C::SetOnIniReadData)
        .Event("OnIniWriteData", &C::OnIniWriteData, &C::SetOnIniWriteData)
        .Event("OnSelect", &C::OnSelect, &C::SetOnSelect);
    return true;
}();

// The header's sections, stored as their item list; reading it replaces the sections the box was made with.
const bool listBoxSectionsPublished = [] {
    PublishedProperties<TZCLListBox>().Object("HeaderSections", &TZCLListBox::HeaderSections,
                                              &TZCLListBox::SetHeaderSections);
    return true;
}();

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TZCLHeaderControl

int TZCLHeaderControl::GetSectionWidth(int Index) const { return Sections()->Items(Index)->Width(); }

void TZCLHeaderControl::SetSectionWidth(int Index, int Width)
{
    THeaderSection* section = Sections()->Items(Index);
    if (section->Width() == Width) return;
    section->SetWidth(Width);
    if (OnSectionResize()) OnSectionResize()(this, section);
}

// ---------------------------------------------------------------------------------------------------------------
// TZCLHeaderStrings

void TZCLHeaderStrings::AddSection(const AnsiString& S)
{
    Add(S);
    int width = LegacySectionWidth;
    AnsiString caption = S;
    const std::string& text = S.str();
    if (!text.empty() && text[0] == '\0') {
        const std::size_t end = text.find('\0', 1);
        const std::string number = text.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        width = StrToIntDef(AnsiString(number), LegacySectionWidth);
        caption = end == std::string::npos ? AnsiString() : AnsiString(text.substr(end + 1));
    }
    THeaderSection* section = listBox_->HeaderSections()->Add();
    section->SetText(caption);
    section->SetWidth(width + 1);
}

void TZCLHeaderStrings::ReadSections(TReader* Reader)
{
    Reader->ReadListBegin();
    while (!Reader->EndOfList()) AddSection(Reader->ReadString());
    Reader->ReadListEnd();
}

// ---------------------------------------------------------------------------------------------------------------
// TZCLListBox

TZCLListBox::TZCLListBox(TComponent* AOwner)
    : TZCLCustomScrollBox(AOwner), headerStrings_(std::make_unique<TZCLHeaderStrings>(this))
{
    TControlStyle style = ControlStyle();
    style.Exclude(csAcceptsControls);
    style.Exclude(csSetCaption);
    SetControlStyle(style);

    header_ = new TZCLHeaderControl(this);
    header_->SetParent(this);
    header_->SetTabStop(false);
    header_->SetAlign(alTop);
    header_->Sections()->Add();
    header_->SetHeight(25);
    header_->SetOnSectionResize(TSectionNotifyEvent(this, &TZCLListBox::HeaderSized));

    list_ = new TListBox(this);
    list_->SetParentCtl3D(false);
    list_->SetCtl3D(false);
    // No border of its own: the box frames it.
    TControlStyle listStyle = list_->ControlStyle();
    listStyle.Exclude(csFramed);
    list_->SetControlStyle(listStyle);
    list_->SetParent(this);
    list_->SetColor(clWhite);
    list_->SetOnDrawItem(TDrawItemEvent(this, &TZCLListBox::DrawItem));
    list_->SetStyle(lbOwnerDrawFixed);
    list_->SetAlign(alClient);
    itemHeight_ = StandardItemHeight();
    list_->SetItemHeight(itemHeight_);

    TWinControl::SetTabStop(false);
    SetAutoScroll(true);
    SetBounds(Left(), Top(), 100, 100);
    VertScrollBar()->SetVisible(false);
}

TZCLListBox::~TZCLListBox()
{
    if (!ComponentState().Contains(csDesigning)) {
        // Nothing may leave a destructor; a store that cannot be written is reported.
        try {
            WriteData();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
    headerStrings_.reset();
    if (list_) {
        if (listHooked_) list_->SetWindowProc(oldListProc_);
        list_->SetOnDrawItem(TDrawItemEvent());
    }
    header_->SetOnSectionResize(TSectionNotifyEvent());
    delete header_;
    header_ = nullptr;
    delete list_;
    list_ = nullptr;
}

int TZCLListBox::StandardItemHeight()
{
    // What a standard list of the same font gives its items: asked of a list made for the purpose, as a window
    // of the inner list may not exist yet.
    HWND probe = CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                                 nullptr);
    if (!probe) return list_->ItemHeight();
    SendMessageA(probe, WM_SETFONT, reinterpret_cast<WPARAM>(list_->Font()->Handle()), FALSE);
    const LRESULT height = SendMessageA(probe, LB_GETITEMHEIGHT, 0, 0);
    DestroyWindow(probe);
    return height > 0 && height != LB_ERR ? int(height) : list_->ItemHeight();
}

// ---------------------------------------------------------------------------------------------------------------
// Indexed properties

bool TZCLListBox::GetBool(int Index) const
{
    switch (Index) {
    case 0: return list_->Enabled();
    case 1: return list_->ExtendedSelect();
    case 2: return header_->Visible();
    case 3: return list_->MultiSelect();
    case 4: return list_->Sorted();
    case 5: return header_->Enabled();
    case 6: return list_->ShowHint();
    case 7: return list_->ParentShowHint();
    case 8: return list_->TabStop();
    case 12: return header_->HotTrack();
    case 13: return header_->Style() == hsFlat;
    default: return false;  // 20 VertScrollBar, 21 AutoScroll
    }
}

void TZCLListBox::SetBool(int Index, bool Value)
{
    if (GetBool(Index) == Value && Index != 12 && Index != 13) return;
    switch (Index) {
    case 0:
        list_->SetEnabled(Value);
        header_->SetEnabled(Value);
        TZCLCustomScrollBox::SetEnabled(Value);
        break;
    case 1: list_->SetExtendedSelect(Value); break;
    case 2:
        header_->SetVisible(Value);
        Realign();
        break;
    case 3: list_->SetMultiSelect(Value); break;
    case 4: list_->SetSorted(Value); break;
    case 5: header_->SetEnabled(Value); break;
    case 6:
        list_->SetShowHint(Value);
        header_->SetShowHint(Value);
        break;
    case 7:
        list_->SetParentShowHint(Value);
        header_->SetParentShowHint(Value);
        break;
    case 8: list_->SetTabStop(Value); break;
    case 12: header_->SetHotTrack(Value); break;
    case 13: header_->SetStyle(Value ? hsFlat : hsButtons); break;
    default: break;
    }
}

TColor TZCLListBox::GetColor(int Index) const
{
    switch (Index) {
    case 0: return list_->Color();
    case 1: return selectedColor_;
    case 2: return gridHorzColor_;
    case 3: return gridVertColor_;
    default: return clNone;
    }
}

void TZCLListBox::SetColor(int Index, TColor Value)
{
    switch (Index) {
    case 0: list_->SetColor(Value); return;
    case 1: selectedColor_ = Value; break;
    case 2: gridHorzColor_ = Value; break;
    case 3: gridVertColor_ = Value; break;
    default: return;
    }
    list_->Invalidate();
}

int TZCLListBox::GetInteger(int Index) const
{
    switch (Index) {
    case 0: return header_->Height();
    case 1: return list_->ItemIndex();
    case 2: return list_->TopIndex();
    case 3: return list_->SelCount();
    case 4: return list_->ItemHeight();
    case 5: return header_->Sections()->Count();
    default: return 0;
    }
}

void TZCLListBox::SetInteger(int Index, int Value)
{
    switch (Index) {
    case 0:
        if (Value == header_->Height()) return;
        header_->SetHeight(Value);
        Realign();
        break;
    case 1: list_->SetItemIndex(Value); break;
    case 2: list_->SetTopIndex(Value); break;
    case 4:
        if (style_ == lbStandard) return;
        itemHeight_ = Value;
        list_->SetItemHeight(Value);
        break;
    default: break;
    }
}

TCursor TZCLListBox::GetCursor(int Index) const { return Index == 0 ? list_->Cursor() : crDefault; }

void TZCLListBox::SetCursor(int Index, TCursor Value)
{
    if (Index == 0) list_->SetCursor(Value);
}

TFont* TZCLListBox::GetFont(int Index) const { return Index == 0 ? header_->Font() : list_->Font(); }

void TZCLListBox::SetFont(int Index, TFont* Value)
{
    if (!Value) return;
    if (Index == 0) {
        header_->Font()->Assign(Value);
        return;
    }
    list_->Font()->Assign(Value);
    // A standard list's items are as high as its font asks.
    if (style_ == lbStandard) {
        itemHeight_ = StandardItemHeight();
        list_->SetItemHeight(itemHeight_);
    }
}

AnsiString TZCLListBox::Hint() const { return list_->Hint(); }

void TZCLListBox::SetHint(const AnsiString& Value)
{
    if (Value == list_->Hint()) return;
    list_->SetHint(Value);
    header_->SetHint(Value);
}

void TZCLListBox::SetHeaderSections(THeaderSections* Value)
{
    if (!Value || Value == header_->Sections()) return;
    THeaderSections* sections = header_->Sections();
    sections->Clear();
    for (int i = 0; i < Value->Count(); ++i) {
        const THeaderSection* from = Value->Items(i);
        THeaderSection* to = sections->Add();
        to->SetMinWidth(from->MinWidth());
        to->SetMaxWidth(from->MaxWidth());
        to->SetWidth(from->Width());
        to->SetText(from->Text());
        to->SetAlignment(from->Alignment());
        to->SetStyle(from->Style());
        to->SetAllowClick(from->AllowClick());
    }
    list_->Invalidate();
}

// ---------------------------------------------------------------------------------------------------------------
// Own properties

void TZCLListBox::SetDelimiter(char Value)
{
    if (Value == delimiter_) return;
    delimiter_ = Value;
    list_->Invalidate();
}

void TZCLListBox::SetGridLines(TZCLLBGridLines Value)
{
    if (Value == gridLines_) return;
    gridLines_ = Value;
    list_->Invalidate();
}

void TZCLListBox::SetStyle(TListBoxStyle Value)
{
    style_ = Value;
    if (Value == lbStandard) {
        // Drawn by the box all the same, at the height a standard list has.
        itemHeight_ = StandardItemHeight();
        list_->SetStyle(lbOwnerDrawFixed);
        list_->SetItemHeight(itemHeight_);
    } else {
        list_->SetStyle(Value);
    }
}

void TZCLListBox::SetVirtualWidth(int Value)
{
    if (Value < 0 || Value == virtualWidth_) return;
    virtualWidth_ = Value;
    if (Value > 0) {
        HorzScrollBar()->SetPosition(0);
        header_->SetAlign(alNone);
        list_->SetAlign(alNone);
        header_->SetLeft(0);
        list_->SetLeft(0);
        list_->SetWidth(Value);
        HorzScrollBar()->SetRange(Value);
    } else {
        header_->SetAlign(alTop);
        list_->SetAlign(alClient);
    }
    Realign();
}

void TZCLListBox::SetSections(TStrings*) { throw Exception("This property is no longer used in ZCL!"); }

void TZCLListBox::SetIniLink(TZCLIniCtrl* Value)
{
    if (Value == iniLink_) return;
    if (iniLink_) iniLink_->RemoveFreeNotification(this);
    iniLink_ = Value;
    if (iniLink_) iniLink_->FreeNotification(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Rows

void TZCLListBox::AddLine(std::span<const AnsiString> Parts) { Items()->Add(ZCLCodeString(Parts, delimiter_)); }

void TZCLListBox::AddLine(std::initializer_list<AnsiString> Parts)
{
    AddLine(std::span<const AnsiString>(Parts.begin(), Parts.size()));
}

AnsiString TZCLListBox::ItemPart(int Index, int Part) const
{
    if (Index < 0 || Index >= Items()->Count()) return AnsiString();
    return ZCLGetCodedString(Items()->Strings(Index), delimiter_, Part);
}

void TZCLListBox::SetItemPart(int Index, int Part, const AnsiString& Text)
{
    if (Index < 0 || Index >= Items()->Count() || Part < 0) return;
    AnsiString row = Items()->Strings(Index);
    ZCLSetCodedString(row, Text, delimiter_, Part);
    Items()->SetStrings(Index, row);
}

AnsiString TZCLListBox::GetPartString(const AnsiString& Text, int Part) const
{
    return ZCLGetCodedString(Text, delimiter_, Part);
}

AnsiString TZCLListBox::SortKey(int Index, std::span<const int> Columns) const
{
    const AnsiString row = Items()->Strings(Index);
    AnsiString key;
    for (int column : Columns) {
        const AnsiString part = ZCLGetCodedString(row, delimiter_, column);
        key += part.IsEmpty() ? AnsiString(" ") : part;
    }
    return key;
}

int TZCLListBox::CompareKeys(const AnsiString& A, const AnsiString& B) const
{
    int result;
    if (sortCompare_) {
        result = sortCompare_(A, B);
    } else {
        // Plain text: byte by byte, a shorter text before a longer one it begins.
        const std::size_t n = std::min<std::size_t>(A.Length(), B.Length());
        result = std::memcmp(A.c_str(), B.c_str(), n);
        if (result == 0) result = A.Length() - B.Length();
    }
    result = result < 0 ? -1 : result > 0 ? 1 : 0;
    return sortDescending_ ? -result : result;
}

void TZCLListBox::SpecialSort(std::span<const int> Columns)
{
    const int count = Items()->Count();
    if (count < 2) return;
    Items()->BeginUpdate();
    try {
        SortRange(Columns, 0, count - 1);
    } catch (...) {
        Items()->EndUpdate();
        throw;
    }
    Items()->EndUpdate();
}

void TZCLListBox::SpecialSort(std::initializer_list<int> Columns)
{
    SpecialSort(std::span<const int>(Columns.begin(), Columns.size()));
}

void TZCLListBox::SortRange(std::span<const int> Columns, int First, int Last)
{
    // The keys are made once and move with their rows; the pivot's is a copy, so exchanges cannot change it.
    std::vector<AnsiString> keys;
    keys.reserve(std::size_t(Last - First + 1));
    for (int i = First; i <= Last; ++i) keys.push_back(SortKey(i, Columns));
    auto key = [&](int i) -> const AnsiString& { return keys[std::size_t(i - First)]; };
    struct Range {
        int first, last;
    };
    // The larger half waits on a stack of its own while the smaller is sorted: the depth stays logarithmic.
    std::vector<Range> pending{{First, Last}};
    while (!pending.empty()) {
        Range r = pending.back();
        pending.pop_back();
        while (r.first < r.last) {
            const AnsiString pivot = key((r.first + r.last) / 2);
            int i = r.first, j = r.last;
            while (i <= j) {
                while (CompareKeys(key(i), pivot) < 0) ++i;
                while (CompareKeys(key(j), pivot) > 0) --j;
                if (i <= j) {
                    if (i != j) {
                        Items()->Exchange(i, j);
                        std::swap(keys[std::size_t(i - First)], keys[std::size_t(j - First)]);
                    }
                    ++i;
                    --j;
                }
            }
            if (j - r.first < r.last - i) {
                if (i < r.last) pending.push_back({i, r.last});
                r.last = j;
            } else {
                if (r.first < j) pending.push_back({r.first, j});
                r.first = i;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Settings

AnsiString TZCLListBox::GetIniString() const
{
    AnsiString s;
    for (int i = 0; i < header_->Sections()->Count(); ++i) {
        if (i > 0) s += ",";
        s += IntToStr(header_->GetSectionWidth(i));
    }
    return s;
}

void TZCLListBox::SetIniString(const AnsiString& Value)
{
    TStringList values;
    ZCLParseToStrList(Value, ',', &values);
    const int count = std::min(values.Count(), MaxStoredSections);
    THeaderSections* sections = header_->Sections();
    while (sections->Count() < count) sections->Add()->SetText(Format("S. %d", sections->Count()));
    for (int i = 0; i < count; ++i) {
        const AnsiString text = values.Strings(i).Trim();
        const int width = StrToIntDef(text, -1);
        if (width != StrToIntDef(text, -2)) continue;  // no number
        header_->SetSectionWidth(i, std::max(0, width));
    }
}

TZCLIniCtrl* TZCLListBox::Store() const
{
    switch (iniUse_) {
    case ioUseLink: return iniLink_;
    case ioUseGlobal: return ZCLApplication->IniCtrl();
    default: return nullptr;
    }
}

void TZCLListBox::DoReadData()
{
    TZCLIniCtrl* store = Store();
    if (store) {
        const AnsiString value = store->ReadString(section_, iniKey_, "");
        if (!value.IsEmpty()) SetIniString(value);
    }
    if (onIniReadData_) onIniReadData_(this, store, section_);
}

void TZCLListBox::DoWriteData()
{
    TZCLIniCtrl* store = Store();
    if (store) {
        const AnsiString value = GetIniString();
        if (value.IsEmpty())
            store->DeleteKey(section_, iniKey_);
        else
            store->WriteString(section_, iniKey_, value);
    }
    if (onIniWriteData_) onIniWriteData_(this, store, section_);
}

void TZCLListBox::ReadData() { DoReadData(); }

void TZCLListBox::WriteData() { DoWriteData(); }

// ---------------------------------------------------------------------------------------------------------------
// Drawing and events

void TZCLListBox::PrepareDrawItem(const TRect& Rect, TOwnerDrawState State)
{
    TCanvas* canvas = list_->Canvas();
    if (State.Contains(odSelected)) {
        canvas->Brush()->SetColor(selectedColor_);
        canvas->Font()->SetColor(clHighlightText);
    } else {
        canvas->Brush()->SetColor(list_->Color());
        const bool disabled = State.Contains(odDisabled) || !list_->Enabled();
        canvas->Font()->SetColor(disabled ? clInactiveCaption : list_->Font()->Color());
    }
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(Rect);
    // The list draws the focus rectangle of a focused row itself, after the row (a second one would undo it).
    canvas->Brush()->SetStyle(bsClear);
}

void TZCLListBox::DrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)
{
    if (Loading()) return;
    if (style_ != lbStandard && onDrawItem_) {
        onDrawItem_(Control, Index, Rect, State);
        return;
    }
    PrepareDrawItem(Rect, State);
    if (Index < 0 || Index >= Items()->Count()) return;
    const AnsiString text = Items()->Strings(Index);
    if (Blank(text)) return;
    TCanvas* canvas = list_->Canvas();
    THeaderSections* sections = header_->Sections();
    if (sections->Count() > 0) {
        TStringList parts;
        ZCLParseToStrList(text, delimiter_, &parts);
        const bool vertical = gridLines_ == glVertical || gridLines_ == glBoth;
        const TRect client = list_->ClientRect();
        int left = Rect.left;
        for (int i = 0; i < sections->Count(); ++i) {
            const int width = sections->Items(i)->Width();
            if (i < parts.Count())
                canvas->TextRect(TRect(left, Rect.top, left + width, Rect.bottom), left + 2, Rect.top + 1,
                                 parts.Strings(i));
            if (vertical) {
                canvas->Pen()->SetStyle(psSolid);
                canvas->Pen()->SetColor(gridVertColor_);
                canvas->MoveTo(left, client.top);
                canvas->LineTo(left, client.bottom);
            }
            left += width;
        }
    } else {
        canvas->TextOut(Rect.left + 2, Rect.top, text);
    }
    if (gridLines_ == glHorizontal || gridLines_ == glBoth) {
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetColor(gridHorzColor_);
        canvas->MoveTo(Rect.left, Rect.bottom - 1);
        canvas->LineTo(Rect.right, Rect.bottom - 1);
    }
}

void TZCLListBox::HeaderSized(THeaderControl* HeaderControl, THeaderSection* Section)
{
    list_->Invalidate();
    if (onHeaderSized_) onHeaderSized_(HeaderControl, Section->Index(), Section->Width());
    if (onHeaderSectionResize_) onHeaderSectionResize_(HeaderControl, Section);
}

void TZCLListBox::DoSelect()
{
    if (onSelect_) onSelect_(this);
}

void TZCLListBox::InnerWndProc(TMessage& Message)
{
    oldListProc_(Message);
    if (Message.Msg == WM_LBUTTONDOWN) DoSelect();
}

// ---------------------------------------------------------------------------------------------------------------
// Layout and component

void TZCLListBox::AlignControls(TControl* AControl, TRect& Rect)
{
    if (Loading() || Destroying() || !header_ || !list_) return;
    TZCLCustomScrollBox::AlignControls(AControl, Rect);
    if (virtualWidth_ > 0) {
        HorzScrollBar()->SetRange(virtualWidth_);
        list_->SetAlign(alNone);
        const bool headerShown = header_->Visible();
        if (headerShown) header_->SetWidth(virtualWidth_);
        const int top = headerShown ? header_->Height() : 0;
        list_->SetBounds(list_->Left(), top, virtualWidth_, std::max(0, ClientHeight() - top));
    } else {
        HorzScrollBar()->SetRange(0);
    }
}

void TZCLListBox::Resize()
{
    TZCLCustomScrollBox::Resize();
    Realign();
}

void TZCLListBox::DoEnter()
{
    if (!(OnEnter() && list_ && list_->OnEnter() == OnEnter())) TZCLCustomScrollBox::DoEnter();
}

void TZCLListBox::DoExit()
{
    if (!(OnExit() && list_ && list_->OnExit() == OnExit())) TZCLCustomScrollBox::DoExit();
}

void TZCLListBox::Loaded()
{
    TZCLCustomScrollBox::Loaded();
    if (!listHooked_) {
        oldListProc_ = list_->WindowProc();
        list_->SetWindowProc(TWndMethod(this, &TZCLListBox::InnerWndProc));
        listHooked_ = true;
    }
    const bool designing = ComponentState().Contains(csDesigning);
    if (!designing) headerStrings_.reset();
    // The list is what the user handles: the box's events are its.
    list_->SetOnMouseDown(OnMouseDown());
    list_->SetOnMouseMove(OnMouseMove());
    list_->SetOnMouseUp(OnMouseUp());
    list_->SetOnKeyDown(OnKeyDown());
    list_->SetOnKeyPress(OnKeyPress());
    list_->SetOnKeyUp(OnKeyUp());
    list_->SetOnClick(OnClick());
    list_->SetOnDblClick(OnDblClick());
    list_->SetOnEnter(OnEnter());
    list_->SetOnExit(OnExit());
    // A store made before the box was told of it while it was still being built, too early to be known as one.
    if (iniUse_ == ioUseLink && !iniLink_ && Owner())
        for (int i = 0; i < Owner()->ComponentCount() && !iniLink_; ++i)
            if (auto* store = dynamic_cast<TZCLIniCtrl*>(Owner()->Components(i))) SetIniLink(store);
    if (!designing) ReadData();
    Realign();
}

void TZCLListBox::ReadState(TReader* Reader)
{
    // The stream's sections take the place of the one a new box has.
    header_->Sections()->Clear();
    TZCLCustomScrollBox::ReadState(Reader);
}

void TZCLListBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLCustomScrollBox::Notification(AComponent, Operation);
    if (Operation == opRemove) {
        if (AComponent == iniLink_) iniLink_ = nullptr;
    } else if (iniUse_ == ioUseLink && !iniLink_ && AComponent && AComponent->Owner() == Owner()) {
        if (auto* store = dynamic_cast<TZCLIniCtrl*>(AComponent)) SetIniLink(store);
    }
}

void TZCLListBox::DefineProperties(TFiler* Filer)
{
    TZCLCustomScrollBox::DefineProperties(Filer);
    Filer->DefineProperty(
        "ItemHeight", TReaderProc::From([this](TReader* reader) { SetItemHeight(reader->ReadInteger()); }),
        TWriterProc::From([this](TWriter* writer) { writer->WriteInteger(itemHeight_); }), style_ != lbStandard);
    // Read from older forms, never written.
    Filer->DefineProperty("Sections", TReaderProc::From([this](TReader* reader) {
                              if (!headerStrings_) headerStrings_ = std::make_unique<TZCLHeaderStrings>(this);
                              headerStrings_->ReadSections(reader);
                          }),
                          TWriterProc(), false);
}

void TZCLListBox::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_FONTCHANGED) {
        TZCLCustomScrollBox::Dispatch(Message);
        // The list took the new font: a standard list's rows follow it.
        if (style_ == lbStandard && list_) {
            itemHeight_ = StandardItemHeight();
            list_->SetItemHeight(itemHeight_);
        }
        return;
    }
    if (Message.Msg == WM_ERASEBKGND) {
        // The header and the list cover the box; what they leave shows the list's colour.
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        const RECT r = ClientRect();
        HBRUSH brush = CreateSolidBrush(ColorToRGB(list_->Color()));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        if ((gridLines_ == glVertical || gridLines_ == glBoth) && list_->HandleAllocated()) list_->Invalidate();
        Message.Result = 1;
        return;
    }
    TZCLCustomScrollBox::Dispatch(Message);
}
