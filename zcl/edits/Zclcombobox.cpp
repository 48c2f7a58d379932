#include "zcl/edits/Zclcombobox.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclclass.h"

namespace {

const bool comboBoxPublished = [] {
    using C = TZCLComboBox;
    PublishedProperties<C>()
        .Integer("DropDownWidth", &C::DropDownWidth, &C::SetDropDownWidth, 0)
        .Boolean("Flat", &C::Flat, &C::SetFlat, false)
        .Object("FocusControl", &C::FocusControl, &C::SetFocusControl)
        .Integer("Interval", &C::Interval, &C::SetInterval, 1500)
        .Boolean("MRUList", &C::MRUList, &C::SetMRUList, false)
        .Integer("MRUMax", &C::MRUMax, &C::SetMRUMax, 5)
        .Boolean("Search", &C::Search, &C::SetSearch, false)
        .Event("OnEditClick", &C::OnEditClick, &C::SetOnEditClick)
        .Event("OnSelect", &C::OnSelect, &C::SetOnSelect);
    return true;
}();

// Posted to a combo box: the focus goes to its FocusControl once the current message is done with.
const UINT CM_ZCLFOCUSHOP = RegisterWindowMessageA("ZCLComboFocusHop");
const char* const EditOwnerProp = "ZCLComboEditOwner";

}  // namespace

TZCLCustomComboBox::TZCLCustomComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}

TZCLCustomComboBox::~TZCLCustomComboBox()
{
    FreeTimer();
    UnhookEdit();
}

// Settings ------------------------------------------------------------------------------------------------------

void TZCLCustomComboBox::SetSearch(bool Value)
{
    if (Value == search_) return;
    search_ = Value;
    if (search_ && !Sorted()) SetSorted(true);
}

void TZCLCustomComboBox::SetFlat(bool Value)
{
    if (Value == flat_) return;
    flat_ = Value;
    RepaintBorder();
}

void TZCLCustomComboBox::SetDropDownWidth(int Value)
{
    if (Value < 0) Value = 0;
    if (Value == dropDownWidth_) return;
    dropDownWidth_ = Value;
    if (HandleAllocated() && !ComponentState().Contains(csLoading))
        SendMessageA(Handle(), CB_SETDROPPEDWIDTH, WPARAM(dropDownWidth_), 0);
}

void TZCLCustomComboBox::SetFocusControl(TWinControl* Value)
{
    if (Value == this) Value = nullptr;
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = Value;
    if (focusControl_) focusControl_->FreeNotification(this);
}

void TZCLCustomComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TZCLCustomComboBox::SetMRUList(bool Value)
{
    if (Value == mruList_) return;
    mruList_ = Value;
    if (!mruList_) TrimMRU(0);
}

void TZCLCustomComboBox::SetMRUMax(int Value)
{
    if (Value < 0) Value = 0;
    if (Value == mruMax_) return;
    mruMax_ = Value;
    if (mruCount_ > mruMax_) TrimMRU(mruMax_);
}

void TZCLCustomComboBox::TrimMRU(int Keep)
{
    const AnsiString text = Text();
    inMRU_ = true;
    while (mruCount_ > Keep) {
        --mruCount_;
        if (mruCount_ < Items()->Count()) Items()->Delete(mruCount_);
    }
    inMRU_ = false;
    // The entry that was chosen stays chosen where it still is.
    if (Style() == csDropDownList || Style() == csOwnerDrawFixed || Style() == csOwnerDrawVariable)
        SetItemIndex(Items()->IndexOf(text));
}

void TZCLCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TZCLBoundsChangeStates states;
    if (ALeft != Left() || ATop != Top()) states.Include(bcPos);
    if (AWidth != Width() || AHeight != Height()) states.Include(bcSize);
    TCustomComboBox::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (!states.Empty() && !ComponentState().Contains(csLoading) && onBoundsChange_) onBoundsChange_(this, states);
}

void TZCLCustomComboBox::Loaded()
{
    TCustomComboBox::Loaded();
    if (HandleAllocated()) SendMessageA(Handle(), CB_SETDROPPEDWIDTH, WPARAM(dropDownWidth_), 0);
}

// Window --------------------------------------------------------------------------------------------------------

void TZCLCustomComboBox::CreateWnd()
{
    TCustomComboBox::CreateWnd();
    if (dropDownWidth_) SendMessageA(Handle(), CB_SETDROPPEDWIDTH, WPARAM(dropDownWidth_), 0);
    HookEdit();
}

void TZCLCustomComboBox::DestroyWnd()
{
    FreeTimer();
    UnhookEdit();
    TCustomComboBox::DestroyWnd();
}

void TZCLCustomComboBox::HookEdit()
{
    UnhookEdit();
    HWND edit = EditHandle();
    if (!edit) return;
    editWnd_ = edit;
    SetPropA(edit, EditOwnerProp, this);
    editDefProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TZCLCustomComboBox::EditProc)));
}

void TZCLCustomComboBox::UnhookEdit()
{
    if (!editWnd_) return;
    if (IsWindow(editWnd_)) {
        // Only put the old procedure back while ours is still the outermost one.
        if (GetWindowLongPtrA(editWnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TZCLCustomComboBox::EditProc))
            SetWindowLongPtrA(editWnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editDefProc_));
        RemovePropA(editWnd_, EditOwnerProp);
    }
    editWnd_ = nullptr;
    editFocused_ = false;
}

LRESULT CALLBACK TZCLCustomComboBox::EditProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto* self = static_cast<TZCLCustomComboBox*>(GetPropA(Wnd, EditOwnerProp));
    if (!self) return DefWindowProcA(Wnd, Msg, WParam, LParam);
    const WNDPROC def = self->editDefProc_;
    try {
        switch (Msg) {
        case WM_LBUTTONDOWN:
            self->navKey_ = false;
            if (self->onEditClick_) self->onEditClick_(self);
            break;
        case WM_SETFOCUS:
            self->editFocused_ = true;
            break;
        case WM_KILLFOCUS:
            self->editFocused_ = false;
            break;
        case WM_KEYDOWN: {
            WORD key = WORD(WParam);
            self->KeyDown(key, KeyDataToShiftState(LParam));
            if (key == 0) return 0;
            WParam = key;
            break;
        }
        case WM_CHAR: {
            char key = char(WParam);
            self->KeyPress(key);
            if (key == 0) return 0;
            WParam = static_cast<unsigned char>(key);
            break;
        }
        case WM_NCDESTROY: {
            const LRESULT r = CallWindowProcA(def, Wnd, Msg, WParam, LParam);
            RemovePropA(Wnd, EditOwnerProp);
            if (self->editWnd_ == Wnd) self->editWnd_ = nullptr;
            return r;
        }
        default:
            break;
        }
    } catch (...) {
        Application->HandleException(self);
        return 0;
    }
    return CallWindowProcA(def, Wnd, Msg, WParam, LParam);
}

// Search --------------------------------------------------------------------------------------------------------

void TZCLCustomComboBox::CreateTimer(int Milliseconds)
{
    FreeTimer();
    timerId_ = ZCLApplication->AddTimer(ZCLPoolInterval(unsigned(std::max(1, Milliseconds))),
                                        TNotifyEvent(this, &TZCLCustomComboBox::SearchTimerExpired));
}

void TZCLCustomComboBox::FreeTimer()
{
    if (!timerId_) return;
    const auto id = std::uint16_t(timerId_);
    timerId_ = 0;
    if (TZCLApplication* app = TZCLApplicationRef::Get()) app->RemoveTimer(id);
}

void TZCLCustomComboBox::SearchTimerExpired(TObject*)
{
    if (timerId_) DoTimerEvent();
}

void TZCLCustomComboBox::DoTimerEvent()
{
    FreeTimer();
    if (!Focused() && !editFocused_) return;
    const AnsiString typed = Text();
    if (typed.IsEmpty()) return;
    const int count = Items()->Count();
    for (int i = 0; i < count; ++i) {
        const AnsiString item = Items()->Strings(i);
        if (item.Length() < typed.Length() || item.SubString(1, typed.Length()) != typed) continue;
        SetItemIndex(i);
        if (Style() == csDropDown || Style() == csSimple) {
            SetWindowTextA(Handle(), item.c_str());
            SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(typed.Length(), item.Length()));
        }
        return;
    }
}

void TZCLCustomComboBox::KeyDown(WORD& Key, TShiftState Shift)
{
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: navKey_ = true; break;
    default: navKey_ = false; break;
    }
    if (search_) {
        FreeTimer();
        if (Key == VK_BACK || Key == VK_DELETE)
            CreateTimer(interval_ + 1000);
        else if (Key >= 32 && !navKey_)
            CreateTimer(interval_);
    }
    TCustomComboBox::KeyDown(Key, Shift);
}

void TZCLCustomComboBox::DoExit()
{
    FreeTimer();
    TCustomComboBox::DoExit();
}

// Choices -------------------------------------------------------------------------------------------------------

void TZCLCustomComboBox::DoSelect()
{
    if (onSelect_) onSelect_(this);
}

void TZCLCustomComboBox::SelectionChanged()
{
    if (mruList_ && mruMax_ > 0) {
        const int index = ItemIndex();
        if (index >= 0 && index < Items()->Count()) {
            const AnsiString text = Items()->Strings(index);
            int found = -1;
            for (int i = 0; i < mruCount_ && i < Items()->Count(); ++i)
                if (Items()->Strings(i) == text) {
                    found = i;
                    break;
                }
            inMRU_ = true;
            if (found >= 0) {
                SetItemIndex(found);
            } else {
                if (mruCount_ >= mruMax_) {
                    Items()->Delete(mruCount_ - 1);
                } else {
                    ++mruCount_;
                }
                Items()->Insert(0, text);
                SetItemIndex(0);
            }
            inMRU_ = false;
        }
    }
    DoSelect();
    if (!DroppedDown() && !navKey_ && focusControl_) MoveToFocusControl();
}

void TZCLCustomComboBox::MoveToFocusControl()
{
    if (!focusControl_ || !focusControl_->CanFocus()) return;
    HWND mine = HandleAllocated() ? GetAncestor(Handle(), GA_ROOT) : nullptr;
    HWND theirs = focusControl_->HandleAllocated() ? GetAncestor(focusControl_->Handle(), GA_ROOT) : nullptr;
    if (mine && mine == theirs) {
        focusControl_->SetFocus();
        return;
    }
    // Another window: activate it first, once this message is done, or the focus would not follow.
    if (HandleAllocated()) PostMessageA(Handle(), CM_ZCLFOCUSHOP, 0, 0);
}

void TZCLCustomComboBox::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_ZCLFOCUSHOP) {
        if (focusControl_ && focusControl_->CanFocus()) {
            HWND root = GetAncestor(focusControl_->Handle(), GA_ROOT);
            if (root) SetForegroundWindow(root);
            focusControl_->SetFocus();
        }
        return;
    }
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == CBN_SELCHANGE && inMRU_) return;
        TCustomComboBox::Dispatch(Message);
        if (HIWORD(Message.WParam) == CBN_SELCHANGE) SelectionChanged();
        return;
    case CN_KEYDOWN:
        if (Message.WParam == VK_RETURN && focusControl_) {
            navKey_ = false;
            FreeTimer();
            if (DroppedDown()) break;
            MoveToFocusControl();
            Message.Result = 1;
            return;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        navKey_ = false;
        break;
    case WM_SETFOCUS:
        editFocused_ = false;
        break;
    case CM_MOUSEENTER:
        mouseInside_ = true;
        if (flat_) RepaintBorder();
        break;
    case CM_MOUSELEAVE:
        mouseInside_ = false;
        if (flat_) RepaintBorder();
        break;
    case WM_PAINT:
    case WM_NCPAINT:
        TCustomComboBox::Dispatch(Message);
        if (flat_) RepaintBorder();
        return;
    case CM_EXIT:
        TCustomComboBox::Dispatch(Message);
        if (flat_) RepaintBorder();
        return;
    case CM_ENTER:
        TCustomComboBox::Dispatch(Message);
        if (flat_) RepaintBorder();
        return;
    default:
        break;
    }
    TCustomComboBox::Dispatch(Message);
}

// Drawing -------------------------------------------------------------------------------------------------------

void TZCLCustomComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    TCustomComboBox::DrawItem(Index, Rect, State);
    if (mruCount_ > 0 && Index == mruCount_ - 1 && DroppedDown() && !State.Contains(odComboBoxEdit))
        PaintSeparatorLine(Rect);
}

void TZCLCustomComboBox::PaintSeparatorLine(const TRect& Rect)
{
    TCanvas* c = Canvas();
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetWidth(1);
    for (int dy : {3, 1}) {
        c->MoveTo(Rect.left, Rect.bottom - dy);
        c->LineTo(Rect.right, Rect.bottom - dy);
    }
}

void TZCLCustomComboBox::RepaintBorder()
{
    if (!HandleAllocated()) return;
    HDC dc = GetWindowDC(Handle());
    if (!dc) return;
    RECT r;
    GetWindowRect(Handle(), &r);
    OffsetRect(&r, -r.left, -r.top);
    // The system combo's height holds its dropped list: the border goes round the visible box.
    RECT box;
    GetClientRect(Handle(), &box);
    r.bottom = std::min<LONG>(r.bottom, box.bottom);
    const bool plain = flat_ && !Focused() && !editFocused_ && !mouseInside_;
    if (plain) {
        HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
        FrameRect(dc, &r, face);
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, face);
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    } else {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        InflateRect(&r, -1, -1);
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    }
    ReleaseDC(Handle(), dc);
}
