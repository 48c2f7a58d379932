// List and combo boxes, and the items they keep across their windows.

#include <algorithm>

#include "framework/runtime/Exceptions.h"
#include "framework/visual/StdCtrls.h"
#include "framework/runtime/SysUtils.h"

namespace {

const TControlItems::Messages ListBoxMessages{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                                              LB_SETITEMDATA, LB_ERR,        LB_ERRSPACE};
const TControlItems::Messages ComboBoxMessages{CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
                                               CB_SETITEMDATA, CB_ERR,        CB_ERRSPACE};

// The order the system's sorted lists use.
int CompareItems(const AnsiString& a, const AnsiString& b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) - CSTR_EQUAL;
}

TControlStyle ListControlStyle(TControlStyle style)
{
    style.Exclude(csClickEvents);
    style.Exclude(csCaptureMouse);
    return style;
}

// Binds the canvas to an item's DC for one owner-draw call.
struct PaintBinding {
    TControlCanvas* canvas;
    PaintBinding(TControlCanvas* c, HDC dc, TFont* font, TColor color) : canvas(c)
    {
        c->BindPaintDC(dc);
        c->Font()->Assign(font);
        c->Brush()->SetColor(color);
        c->Brush()->SetStyle(bsSolid);
    }
    ~PaintBinding() { canvas->BindPaintDC(nullptr); }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TControlItems

TControlItems::TControlItems(TWinControl* control, const Messages& messages) : control_(control), messages_(messages)
{
}

void TControlItems::CheckIndex(int index, bool allowEnd) const
{
    if (index < 0 || index > Count() || (!allowEnd && index == Count())) Error("List index out of bounds (%d)", index);
}

int TControlItems::SortedPosition(const AnsiString& s) const
{
    // Before the first item that is not smaller, as the system places equal strings.
    auto it = std::lower_bound(items_.begin(), items_.end(), s,
                               [](const auto& item, const AnsiString& v) { return CompareItems(item.first, v) < 0; });
    return int(it - items_.begin());
}

void TControlItems::InsertAt(int index, const AnsiString& s, TObject* object)
{
    // Kept here first: an owner-drawn variable list measures the new item inside the insertion and reads it.
    items_.insert(items_.begin() + index, {s, object});
    if (HWND wnd = Window()) {
        const LRESULT r = SendMessageA(wnd, messages_.insertString, WPARAM(index), reinterpret_cast<LPARAM>(s.c_str()));
        if (r == messages_.err || r == messages_.errSpace) {
            items_.erase(items_.begin() + index);
            throw EOutOfResources("Not enough room for the list item");
        }
        if (object) SendMessageA(wnd, messages_.setItemData, WPARAM(index), reinterpret_cast<LPARAM>(object));
    }
}

int TControlItems::Add(const AnsiString& s)
{
    if (!sorted_) {
        InsertAt(Count(), s, nullptr);
        return Count() - 1;
    }
    const int index = SortedPosition(s);
    HWND wnd = Window();
    if (!wnd) {
        InsertAt(index, s, nullptr);
        return index;
    }
    // The window sorts; the list follows where it put the string (where it would be measured from).
    items_.insert(items_.begin() + index, {s, nullptr});
    const LRESULT r = SendMessageA(wnd, messages_.addString, 0, reinterpret_cast<LPARAM>(s.c_str()));
    if (r == messages_.err || r == messages_.errSpace) {
        items_.erase(items_.begin() + index);
        throw EOutOfResources("Not enough room for the list item");
    }
    if (int(r) != index) {
        items_.erase(items_.begin() + index);
        items_.insert(items_.begin() + r, {s, nullptr});
    }
    return int(r);
}

void TControlItems::Insert(int index, const AnsiString& s)
{
    CheckIndex(index, true);
    InsertAt(index, s, nullptr);
}

void TControlItems::Delete(int index)
{
    CheckIndex(index, false);
    if (HWND wnd = Window()) SendMessageA(wnd, messages_.deleteString, WPARAM(index), 0);
    items_.erase(items_.begin() + index);
}

void TControlItems::Clear()
{
    if (HWND wnd = Window()) SendMessageA(wnd, messages_.resetContent, 0, 0);
    items_.clear();
}

AnsiString TControlItems::Get(int index) const
{
    CheckIndex(index, false);
    return items_[std::size_t(index)].first;
}

void TControlItems::Put(int index, const AnsiString& s)
{
    CheckIndex(index, false);
    TObject* object = items_[std::size_t(index)].second;
    Delete(index);
    InsertAt(index, s, object);
}

TObject* TControlItems::GetObject(int index) const
{
    CheckIndex(index, false);
    return items_[std::size_t(index)].second;
}

void TControlItems::PutObject(int index, TObject* object)
{
    CheckIndex(index, false);
    items_[std::size_t(index)].second = object;
    if (HWND wnd = Window()) SendMessageA(wnd, messages_.setItemData, WPARAM(index), reinterpret_cast<LPARAM>(object));
}

void TControlItems::SetUpdateState(bool updating)
{
    HWND wnd = Window();
    if (!wnd) return;
    SendMessageA(wnd, WM_SETREDRAW, !updating, 0);
    if (!updating) InvalidateRect(wnd, nullptr, TRUE);
}

void TControlItems::SetSorted(bool value)
{
    if (value == sorted_) return;
    sorted_ = value;
    if (value)
        std::stable_sort(items_.begin(), items_.end(),
                         [](const auto& a, const auto& b) { return CompareItems(a.first, b.first) < 0; });
}

void TControlItems::FillWindow()
{
    HWND wnd = Window();
    if (!wnd) return;
    SendMessageA(wnd, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        SendMessageA(wnd, messages_.insertString, WPARAM(i), reinterpret_cast<LPARAM>(items_[i].first.c_str()));
        if (items_[i].second)
            SendMessageA(wnd, messages_.setItemData, WPARAM(i), reinterpret_cast<LPARAM>(items_[i].second));
    }
    SendMessageA(wnd, WM_SETREDRAW, TRUE, 0);
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomListBox

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner),
      items_(std::make_unique<TControlItems>(this, ListBoxMessages)),
      canvas_(std::make_unique<TControlCanvas>())
{
    canvas_->SetControl(this);
    SetControlStyle(ListControlStyle(ControlStyle()) + TControlStyle{csFramed});
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

TCustomListBox::~TCustomListBox() { canvas_->FreeHandle(); }

LRESULT TCustomListBox::Send(UINT msg, WPARAM w, LPARAM l) const
{
    return SendMessageA(const_cast<TCustomListBox*>(this)->Handle(), msg, w, l);
}

void TCustomListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "LISTBOX");
    params.Style |= WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_HASSTRINGS;
    if (Sorted()) params.Style |= LBS_SORT;
    if (!integralHeight_) params.Style |= LBS_NOINTEGRALHEIGHT;
    if (multiSelect_) params.Style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    if (columns_ > 0) params.Style |= LBS_MULTICOLUMN;
    if (tabWidth_ != 0) params.Style |= LBS_USETABSTOPS;
    if (style_ == lbOwnerDrawFixed) params.Style |= LBS_OWNERDRAWFIXED;
    if (style_ == lbOwnerDrawVariable) params.Style |= LBS_OWNERDRAWVARIABLE;
}

void TCustomListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    static_cast<TControlItems*>(items_.get())->FillWindow();
    if (columns_ > 0) Send(LB_SETCOLUMNWIDTH, WPARAM(std::max(1, Width() / columns_)));
    if (tabWidth_ != 0) {
        int stops = tabWidth_;
        Send(LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stops));
    }
    if (multiSelect_) {
        for (int i : savedSelected_)
            if (i < items_->Count()) Send(LB_SETSEL, TRUE, i);
        if (savedIndex_ >= 0 && savedIndex_ < items_->Count()) Send(LB_SETCARETINDEX, WPARAM(savedIndex_), FALSE);
    } else if (savedIndex_ >= 0 && savedIndex_ < items_->Count()) {
        Send(LB_SETCURSEL, WPARAM(savedIndex_));
    }
    if (savedTop_ > 0) Send(LB_SETTOPINDEX, WPARAM(savedTop_));
    savedSelected_.clear();
    stateSaved_ = false;
}

void TCustomListBox::SaveState()
{
    stateSaved_ = true;
    savedIndex_ = int(Send(multiSelect_ ? LB_GETCARETINDEX : LB_GETCURSEL));
    if (multiSelect_) {
        savedSelected_.clear();
        for (int i = 0; i < items_->Count(); ++i)
            if (Send(LB_GETSEL, WPARAM(i)) > 0) savedSelected_.push_back(i);
    }
    savedTop_ = int(Send(LB_GETTOPINDEX));
}

int TCustomListBox::ItemIndex() const
{
    if (!const_cast<TCustomListBox*>(this)->HandleAllocated()) return savedIndex_;
    return int(Send(multiSelect_ ? LB_GETCARETINDEX : LB_GETCURSEL));
}

void TCustomListBox::SetItemIndex(int value)
{
    if (value < -1 || value >= items_->Count()) value = -1;
    if (!HandleAllocated()) {
        savedIndex_ = value;
        return;
    }
    if (multiSelect_)
        Send(LB_SETCARETINDEX, WPARAM(value), FALSE);
    else
        Send(LB_SETCURSEL, WPARAM(value));
}

int TCustomListBox::TopIndex() const
{
    if (!const_cast<TCustomListBox*>(this)->HandleAllocated()) return savedTop_;
    return int(Send(LB_GETTOPINDEX));
}

void TCustomListBox::SetTopIndex(int value)
{
    if (!HandleAllocated()) {
        savedTop_ = value;
        return;
    }
    Send(LB_SETTOPINDEX, WPARAM(value));
}

void TCustomListBox::SetMultiSelect(bool value)
{
    if (value == multiSelect_) return;
    if (HandleAllocated()) SaveState();
    multiSelect_ = value;
    RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool value)
{
    if (value == extendedSelect_) return;
    if (HandleAllocated()) SaveState();
    extendedSelect_ = value;
    RecreateWnd();
}

bool TCustomListBox::Selected(int index) const
{
    if (index < 0 || index >= items_->Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    if (!multiSelect_) return ItemIndex() == index;
    if (!const_cast<TCustomListBox*>(this)->HandleAllocated())
        return std::find(savedSelected_.begin(), savedSelected_.end(), index) != savedSelected_.end();
    return Send(LB_GETSEL, WPARAM(index)) > 0;
}

void TCustomListBox::SetSelected(int index, bool value)
{
    if (index < 0 || index >= items_->Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    if (!multiSelect_) {
        if (value)
            SetItemIndex(index);
        else if (ItemIndex() == index)
            SetItemIndex(-1);
        return;
    }
    if (!HandleAllocated()) {
        auto it = std::find(savedSelected_.begin(), savedSelected_.end(), index);
        if (value && it == savedSelected_.end()) savedSelected_.push_back(index);
        if (!value && it != savedSelected_.end()) savedSelected_.erase(it);
        return;
    }
    Send(LB_SETSEL, value, index);
}

int TCustomListBox::SelCount() const
{
    if (!multiSelect_) return -1;
    if (!const_cast<TCustomListBox*>(this)->HandleAllocated()) return int(savedSelected_.size());
    return int(Send(LB_GETSELCOUNT));
}

int TCustomListBox::ItemAtPos(const TPoint& p, bool existing) const
{
    const int count = items_->Count();
    if (count > 0) {
        const LRESULT r = Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
        const int index = LOWORD(r);
        if (HIWORD(r) == 0 && index < count) {
            RECT ir;
            if (Send(LB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&ir)) != LB_ERR &&
                PtInRect(&ir, POINT{p.x, p.y}))
                return index;
        }
    }
    return existing ? -1 : count;
}

TRect TCustomListBox::ItemRect(int index) const
{
    RECT r{};
    Send(LB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

int TCustomListBox::ItemHeight() const
{
    if (style_ == lbStandard && const_cast<TCustomListBox*>(this)->HandleAllocated()) return int(Send(LB_GETITEMHEIGHT));
    return itemHeight_;
}

void TCustomListBox::SetItemHeight(int value)
{
    if (value <= 0 || value == itemHeight_) return;
    itemHeight_ = value;
    // Owner-drawn items are measured when they go into the window: a new window measures them again.
    if (style_ != lbStandard && HandleAllocated()) {
        SaveState();
        RecreateWnd();
    }
}

void TCustomListBox::SetStyle(TListBoxStyle value)
{
    if (value == style_) return;
    if (HandleAllocated()) SaveState();
    style_ = value;
    RecreateWnd();
}

void TCustomListBox::SetSorted(bool value)
{
    if (value == Sorted()) return;
    if (HandleAllocated()) SaveState();
    // Sorting moves the items: the selection follows the strings.
    std::vector<AnsiString> selected;
    if (multiSelect_) {
        for (int i : savedSelected_)
            if (i >= 0 && i < items_->Count()) selected.push_back(items_->Strings(i));
    } else if (savedIndex_ >= 0 && savedIndex_ < items_->Count()) {
        selected.push_back(items_->Strings(savedIndex_));
    }
    static_cast<TControlItems*>(items_.get())->SetSorted(value);
    savedSelected_.clear();
    savedIndex_ = -1;
    for (const AnsiString& s : selected) {
        savedIndex_ = items_->IndexOf(s);
        if (multiSelect_) savedSelected_.push_back(savedIndex_);
    }
    RecreateWnd();
}

void TCustomListBox::SetColumns(int value)
{
    if (value < 0 || value == columns_) return;
    if (HandleAllocated()) SaveState();
    // Switching between one and several columns changes the window's style; else the width is enough.
    const bool recreate = (columns_ == 0) != (value == 0);
    columns_ = value;
    if (recreate)
        RecreateWnd();
    else if (HandleAllocated())
        Send(LB_SETCOLUMNWIDTH, WPARAM(std::max(1, Width() / value)));
}

void TCustomListBox::SetIntegralHeight(bool value)
{
    if (value == integralHeight_) return;
    if (HandleAllocated()) SaveState();
    integralHeight_ = value;
    RecreateWnd();
}

void TCustomListBox::SetTabWidth(int value)
{
    if (value < 0 || value == tabWidth_) return;
    if (HandleAllocated()) SaveState();
    tabWidth_ = value;
    RecreateWnd();
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (onDrawItem_) {
        onDrawItem_(this, index, rect, state);
        return;
    }
    canvas_->FillRect(rect);
    if (index >= 0 && index < items_->Count())
        canvas_->TextOut(rect.left + 2, rect.top, items_->Strings(index));
}

void TCustomListBox::MeasureItem(int index, int& height)
{
    if (onMeasureItem_) onMeasureItem_(this, index, height);
}

void TCustomListBox::CNDrawItem(TMessage& message)
{
    const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
    const TOwnerDrawState state = OwnerDrawStateOf(dis->itemState);
    const bool selected = state.Contains(odSelected);
    PaintBinding bind(canvas_.get(), dis->hDC, Font(), selected ? clHighlight : Color());
    if (selected) canvas_->Font()->SetColor(clHighlightText);
    const TRect r = dis->rcItem;
    if (int(dis->itemID) >= 0)
        DrawItem(int(dis->itemID), r, state);
    else
        canvas_->FillRect(r);
    if (state.Contains(odFocused)) DrawFocusRect(dis->hDC, &dis->rcItem);
    message.Result = 1;
}

void TCustomListBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == LBN_SELCHANGE) Click();
        return;
    case CN_DRAWITEM:
        CNDrawItem(message);
        return;
    case CN_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        int height = itemHeight_;
        if (style_ == lbOwnerDrawVariable) MeasureItem(int(mis->itemID), height);
        mis->itemHeight = UINT(std::max(1, height));
        message.Result = 1;
        return;
    }
    case WM_DESTROY:
        // Keep the selection for the next window (style changes, a parent made again).
        if (HandleAllocated() && !stateSaved_) SaveState();
        break;
    case CM_FONTCHANGED:
        canvas_->Font()->Assign(Font());
        break;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner),
      items_(std::make_unique<TControlItems>(this, ComboBoxMessages)),
      canvas_(std::make_unique<TControlCanvas>())
{
    canvas_->SetControl(this);
    SetControlStyle(ListControlStyle(ControlStyle()));
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
}

TCustomComboBox::~TCustomComboBox() { canvas_->FreeHandle(); }

LRESULT TCustomComboBox::Send(UINT msg, WPARAM w, LPARAM l) const
{
    return SendMessageA(const_cast<TCustomComboBox*>(this)->Handle(), msg, w, l);
}

int TCustomComboBox::DropHeight() const
{
    return style_ == csSimple ? 0 : dropDownCount_ * itemHeight_ + 2;
}

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "COMBOBOX");
    params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
    if (Sorted()) params.Style |= CBS_SORT;
    switch (style_) {
    case csDropDown:
        params.Style |= CBS_DROPDOWN;
        break;
    case csSimple:
        params.Style |= CBS_SIMPLE;
        break;
    case csDropDownList:
        params.Style |= CBS_DROPDOWNLIST;
        break;
    case csOwnerDrawFixed:
        params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED;
        break;
    case csOwnerDrawVariable:
        params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE;
        break;
    }
    // The window's height includes the dropped-down list.
    params.Height += DropHeight();
}

void TCustomComboBox::CreateWnd()
{
    TWinControl::CreateWnd();
    static_cast<TControlItems*>(items_.get())->FillWindow();
    if (maxLength_) Send(CB_LIMITTEXT, WPARAM(maxLength_));
    if (savedIndex_ >= 0 && savedIndex_ < items_->Count())
        Send(CB_SETCURSEL, WPARAM(savedIndex_));
    else if (style_ == csDropDown || style_ == csSimple)
        SetWindowTextA(Handle(), savedText_.c_str());
}

void TCustomComboBox::Clear()
{
    items_->Clear();
    savedIndex_ = -1;
    savedText_ = "";
    if (HandleAllocated()) SetWindowTextA(Handle(), "");
}

int TCustomComboBox::ItemIndex() const
{
    if (!const_cast<TCustomComboBox*>(this)->HandleAllocated()) return savedIndex_;
    return int(Send(CB_GETCURSEL));
}

void TCustomComboBox::SetItemIndex(int value)
{
    if (value < -1 || value >= items_->Count()) value = -1;
    if (!HandleAllocated()) {
        savedIndex_ = value;
        return;
    }
    Send(CB_SETCURSEL, WPARAM(value));
}

AnsiString TCustomComboBox::GetText() const
{
    auto* self = const_cast<TCustomComboBox*>(this);
    if (style_ != csDropDown && style_ != csSimple) {
        const int index = ItemIndex();
        return index >= 0 && index < items_->Count() ? items_->Strings(index) : AnsiString();
    }
    if (!self->HandleAllocated()) return savedText_;
    const int len = GetWindowTextLengthA(self->Handle());
    AnsiString s;
    s.SetLength(len);
    if (len) GetWindowTextA(self->Handle(), &s[1], len + 1);
    return s;
}

void TCustomComboBox::SetTextValue(const AnsiString& value)
{
    if (style_ != csDropDown && style_ != csSimple) {
        // A list without an edit shows only its items.
        SetItemIndex(items_->IndexOf(value));
        return;
    }
    savedText_ = value;
    if (HandleAllocated()) SetWindowTextA(Handle(), value.c_str());
}

void TCustomComboBox::SetStyle(TComboBoxStyle value)
{
    if (value == style_) return;
    if (HandleAllocated()) savedIndex_ = ItemIndex();
    style_ = value;
    RecreateWnd();
}

void TCustomComboBox::SetSorted(bool value)
{
    if (value == Sorted()) return;
    const AnsiString selected = GetText();
    static_cast<TControlItems*>(items_.get())->SetSorted(value);
    savedIndex_ = items_->IndexOf(selected);
    RecreateWnd();
}

bool TCustomComboBox::DroppedDown() const
{
    return const_cast<TCustomComboBox*>(this)->HandleAllocated() && Send(CB_GETDROPPEDSTATE) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value)
{
    Send(CB_SHOWDROPDOWN, value);
}

void TCustomComboBox::SetDropDownCount(int value)
{
    if (value < 1) value = 1;
    dropDownCount_ = value;
    RecreateWnd();  // the list's height is given when the window is made
}

int TCustomComboBox::ItemHeight() const
{
    if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable ||
        !const_cast<TCustomComboBox*>(this)->HandleAllocated())
        return itemHeight_;
    return int(Send(CB_GETITEMHEIGHT, 0));
}

void TCustomComboBox::SetItemHeight(int value)
{
    if (value <= 0) return;
    itemHeight_ = value;
    if (HandleAllocated() && (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable)) {
        Send(CB_SETITEMHEIGHT, 0, value);
        Send(CB_SETITEMHEIGHT, WPARAM(-1), value);
    }
}

void TCustomComboBox::SetMaxLength(int value)
{
    maxLength_ = value < 0 ? 0 : value;
    if (HandleAllocated()) Send(CB_LIMITTEXT, WPARAM(maxLength_));
}

int TCustomComboBox::SelStart() const
{
    DWORD start = 0, end = 0;
    Send(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return int(start);
}

void TCustomComboBox::SetSelStart(int value)
{
    Send(CB_SETEDITSEL, 0, MAKELPARAM(value, value));
}

int TCustomComboBox::SelLength() const
{
    DWORD start = 0, end = 0;
    Send(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return int(end - start);
}

void TCustomComboBox::SetSelLength(int value)
{
    const int start = SelStart();
    Send(CB_SETEDITSEL, 0, MAKELPARAM(start, start + value));
}

HWND TCustomComboBox::EditHandle() const
{
    auto* self = const_cast<TCustomComboBox*>(this);
    if (!self->HandleAllocated()) return nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(self->Handle(), &info)) return nullptr;
    return info.hwndItem != self->Handle() ? info.hwndItem : nullptr;
}

HWND TCustomComboBox::ListHandle() const
{
    auto* self = const_cast<TCustomComboBox*>(this);
    if (!self->HandleAllocated()) return nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(self->Handle(), &info) ? info.hwndList : nullptr;
}

void TCustomComboBox::Change()
{
    if (onChange_) onChange_(this);
}

void TCustomComboBox::DropDown()
{
    if (onDropDown_) onDropDown_(this);
}

void TCustomComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (onDrawItem_) {
        onDrawItem_(this, index, rect, state);
        return;
    }
    canvas_->FillRect(rect);
    if (index >= 0 && index < items_->Count())
        canvas_->TextOut(rect.left + 2, rect.top, items_->Strings(index));
}

void TCustomComboBox::MeasureItem(int index, int& height)
{
    if (onMeasureItem_) onMeasureItem_(this, index, height);
}

void TCustomComboBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        switch (HIWORD(message.WParam)) {
        case CBN_SELCHANGE: {
            // The edit part shows the new item only after this notification; the events read it now.
            const int index = int(Send(CB_GETCURSEL));
            if ((style_ == csDropDown || style_ == csSimple) && index >= 0 && index < items_->Count())
                SetWindowTextA(Handle(), items_->Strings(index).c_str());
            Click();
            Change();
            break;
        }
        case CBN_EDITCHANGE:
            Change();
            break;
        case CBN_DROPDOWN:
            DropDown();
            break;
        default:
            break;
        }
        return;
    case CN_DRAWITEM: {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        const TOwnerDrawState state = OwnerDrawStateOf(dis->itemState);
        const bool selected = state.Contains(odSelected);
        PaintBinding bind(canvas_.get(), dis->hDC, Font(), selected ? clHighlight : Color());
        if (selected) canvas_->Font()->SetColor(clHighlightText);
        const TRect r = dis->rcItem;
        if (int(dis->itemID) >= 0)
            DrawItem(int(dis->itemID), r, state);
        else
            canvas_->FillRect(r);
        if (state.Contains(odFocused)) DrawFocusRect(dis->hDC, &dis->rcItem);
        message.Result = 1;
        return;
    }
    case CN_MEASUREITEM: {
        // Comes inside CreateWindowEx too: only the object's own fields are used.
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        int height = itemHeight_;
        if (style_ == csOwnerDrawVariable && int(mis->itemID) >= 0) MeasureItem(int(mis->itemID), height);
        mis->itemHeight = UINT(std::max(1, height));
        message.Result = 1;
        return;
    }
    case WM_WINDOWPOSCHANGING: {
        // The system combo takes the part of a height above its own as the dropped list's height (one pixel
        // for a height one too many) and then keeps its own: such heights get the list's room added.
        auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
        if (style_ != csSimple && !(pos->flags & SWP_NOSIZE) && HandleAllocated()) {
            const int natural = int(Send(CB_GETITEMHEIGHT, WPARAM(-1))) + 2 * GetSystemMetrics(SM_CYEDGE);
            if (pos->cy > natural && pos->cy < natural + DropHeight()) pos->cy = natural + DropHeight();
        }
        break;
    }
    case WM_SETFONT:
        // A new font makes the system measure the edit field again by the font; ours answers ItemHeight.
        TWinControl::Dispatch(message);
        if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) Send(CB_SETITEMHEIGHT, WPARAM(-1), itemHeight_);
        return;
    case WM_DESTROY:
        if (HandleAllocated()) {
            savedIndex_ = int(Send(CB_GETCURSEL));
            if (style_ == csDropDown || style_ == csSimple) savedText_ = GetText();
        }
        break;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}
