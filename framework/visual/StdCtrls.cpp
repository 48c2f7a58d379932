// Standard controls: buttons, check and radio buttons, group box, label, edit.

#include "framework/visual/StdCtrls.h"

#include <algorithm>
#include <cstdint>

#include "framework/runtime/Exceptions.h"

TOwnerDrawState OwnerDrawStateOf(UINT itemState)
{
    TOwnerDrawState s;
    if (itemState & ODS_SELECTED) s.Include(odSelected);
    if (itemState & ODS_GRAYED) s.Include(odGrayed);
    if (itemState & ODS_DISABLED) s.Include(odDisabled);
    if (itemState & ODS_CHECKED) s.Include(odChecked);
    if (itemState & ODS_FOCUS) s.Include(odFocused);
    if (itemState & ODS_DEFAULT) s.Include(odDefault);
    if (itemState & ODS_COMBOBOXEDIT) s.Include(odComboBoxEdit);
    return s;
}

namespace {

// System controls report their own clicks; the model's mouse clicks would double them.
TControlStyle SystemControlStyle(TControlStyle style)
{
    style.Exclude(csClickEvents);
    style.Exclude(csCaptureMouse);
    return style;
}

DWORD TextAlignmentStyle(TAlignment a)
{
    return a == taLeftJustify ? BS_LEFTTEXT : 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle(SystemControlStyle(ControlStyle()));
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool value)
{
    if (value == default_) return;
    default_ = value;
    // Without a focused button the default one is the dialog's default.
    const TCustomForm* form = GetParentForm(this);
    const bool buttonFocused = form && dynamic_cast<TButton*>(form->ActiveControl()) && form->ActiveControl()->Focused();
    if (!buttonFocused) {
        active_ = value;
        if (HandleAllocated()) SetButtonStyle(active_);
    }
}

void TButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= active_ || (default_ && !Focused()) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetButtonStyle(bool isDefault)
{
    if (!HandleAllocated()) return;
    SendMessageA(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (modalResult_ != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    TWinControl::Click();
}

void TButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == BN_CLICKED) {
            Click();
            return;
        }
        break;
    case CM_DIALOGKEY:
        if ((message.WParam == VK_RETURN && active_) || (message.WParam == VK_ESCAPE && cancel_)) {
            if (CanFocus() || (Showing() && Enabled())) {
                Click();
                message.Result = 1;
            }
            return;
        }
        break;
    case CM_DIALOGCHAR:
        // The caption's accelerator ("&Ok") clicks a button that could take the focus.
        if (IsAccel(WORD(message.WParam), Caption()) && CanFocus()) {
            Click();
            message.Result = 1;
        }
        return;
    case CM_FOCUSCHANGED: {
        auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
        const bool now = dynamic_cast<TButton*>(focused) ? focused == this : default_;
        if (now != active_) {
            active_ = now;
            SetButtonStyle(active_);
        }
        return;
    }
    case WM_LBUTTONDBLCLK:
        message.Msg = WM_LBUTTONDOWN;  // a double click is a second press
        break;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle(SystemControlStyle(ControlStyle()));
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= BS_3STATE | TextAlignmentStyle(alignment_);
}

void TCheckBox::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, state_ == cbChecked ? BST_CHECKED : state_ == cbGrayed ? BST_INDETERMINATE
                                                                                               : BST_UNCHECKED,
                 0);
}

void TCheckBox::SetState(TCheckBoxState value)
{
    if (value == state_) return;
    state_ = value;
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETCHECK,
                     value == cbChecked ? BST_CHECKED : value == cbGrayed ? BST_INDETERMINATE : BST_UNCHECKED, 0);
    Click();
}

void TCheckBox::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    RecreateWnd();
}

void TCheckBox::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
        // The user's toggle: unchecked -> checked -> (grayed ->) unchecked.
        switch (state_) {
        case cbUnchecked:
            SetState(cbChecked);
            break;
        case cbChecked:
            SetState(allowGrayed_ ? cbGrayed : cbUnchecked);
            break;
        case cbGrayed:
            SetState(cbUnchecked);
            break;
        }
        return;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle(SystemControlStyle(ControlStyle()));
    SetColor(clBtnFace);
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= BS_RADIOBUTTON | TextAlignmentStyle(alignment_);
}

void TRadioButton::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
    // Only the checked radio button of a group is a tab stop.
    SetTabStop(checked_);
}

void TRadioButton::SetChecked(bool value)
{
    if (value == checked_) return;
    checked_ = value;
    SetTabStop(value);
    if (HandleAllocated()) {
        SendMessageA(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
        const LONG style = GetWindowLongA(Handle(), GWL_STYLE);
        SetWindowLongA(Handle(), GWL_STYLE, value ? style | WS_TABSTOP : style & ~LONG(WS_TABSTOP));
    }
    if (!value) return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i)); sibling && sibling != this)
                sibling->SetChecked(false);
    Click();
}

bool TRadioButton::MoveInGroup(bool goForward)
{
    TWinControl* parent = Parent();
    if (!parent) return false;
    std::vector<TWinControl*> order;
    parent->GetTabOrderList(order);
    std::vector<TRadioButton*> group;
    for (TWinControl* c : order)
        if (auto* r = dynamic_cast<TRadioButton*>(c); r && r->Parent() == parent) group.push_back(r);
    auto it = std::find(group.begin(), group.end(), this);
    if (it == group.end() || group.size() < 2) return false;
    const std::size_t here = std::size_t(it - group.begin());
    for (std::size_t step = 1; step < group.size(); ++step) {
        const std::size_t i = goForward ? (here + step) % group.size() : (here + group.size() - step) % group.size();
        TRadioButton* next = group[i];
        if (!next->CanFocus()) continue;
        next->SetFocus();
        next->SetChecked(true);
        return true;
    }
    return false;
}

void TRadioButton::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    RecreateWnd();
}

void TRadioButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == BN_CLICKED) {
            SetChecked(true);
            return;
        }
        break;
    case CN_KEYDOWN:
        // The arrow keys move to the previous or next radio button of the same parent and check it, as in a
        // dialog (the unchecked ones are no tab stops, so tabbing would skip them).
        if (message.WParam == VK_LEFT || message.WParam == VK_UP || message.WParam == VK_RIGHT ||
            message.WParam == VK_DOWN) {
            if (MoveInGroup(message.WParam == VK_RIGHT || message.WParam == VK_DOWN)) {
                message.Result = 1;
                return;
            }
        }
        break;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle(SystemControlStyle(ControlStyle()) + TControlStyle{csAcceptsControls});
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= BS_GROUPBOX | WS_CLIPCHILDREN;
}

void TGroupBox::AdjustClientRect(TRect& rect)
{
    // Keep children off the frame and the caption line.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    rect.top += tm.tmHeight;
    rect.left += 2;
    rect.right -= 2;
    rect.bottom -= 2;
}

void TGroupBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_FOCUSCHANGED:
        NotifyControls(message.Msg, message.WParam, message.LParam);
        return;
    case WM_NCHITTEST:
        // The system group box is transparent to the mouse; ours takes it so the model sees clicks on it.
        message.Result = HTCLIENT;
        return;
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(dc, &r, Brush()->Handle());
        message.Result = 1;
        return;
    }
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner)
{
    TControlStyle style = ControlStyle();
    style.Include(csOpaque);
    style.Include(csReplicatable);
    SetControlStyle(style);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value)
{
    if (value == layout_) return;
    layout_ = value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool value)
{
    if (value == autoSize_) return;
    autoSize_ = value;
    AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* value)
{
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = value;
    if (value) value->FreeNotification(this);
}

void TCustomLabel::SetShowAccelChar(bool value)
{
    if (value == showAccelChar_) return;
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value)
{
    if (value == transparent_) return;
    transparent_ = value;
    TControlStyle style = ControlStyle();
    if (value)
        style.Exclude(csOpaque);
    else
        style.Include(csOpaque);
    SetControlStyle(style);
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool value)
{
    if (value == wordWrap_) return;
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

UINT TCustomLabel::TextFlags() const
{
    UINT flags = DT_EXPANDTABS;
    if (wordWrap_) flags |= DT_WORDBREAK;
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    switch (alignment_) {
    case taLeftJustify:
        flags |= DT_LEFT;
        break;
    case taRightJustify:
        flags |= DT_RIGHT;
        break;
    case taCenter:
        flags |= DT_CENTER;
        break;
    }
    return flags;
}

namespace {

// One column past the rightmost pixel that drawing text (one line, from x 0) puts down; 0 for none. The
// rasteriser may place a glyph's last pixels past the advance widths a measure adds up, and a rectangle only as
// wide as the measure then loses them (under Wine the whole last character).
int InkRight(HFONT font, const char* text, UINT flags, int measured, int height)
{
    const int width = measured + height + 8;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!bitmap || !dc || !bits) {
        if (dc) DeleteDC(dc);
        if (bitmap) DeleteObject(bitmap);
        return 0;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font);
    auto* px = static_cast<std::uint32_t*>(bits);
    std::fill(px, px + std::size_t(width) * std::size_t(height), 0x00FFFFFFu);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT r{0, 0, width, height};
    DrawTextA(dc, text, -1, &r, flags);
    GdiFlush();
    int right = 0;
    for (int y = 0; y < height; ++y)
        for (int x = width - 1; x >= right; --x)
            if ((px[std::size_t(y) * std::size_t(width) + std::size_t(x)] & 0xFFFFFFu) != 0xFFFFFFu) {
                right = x + 1;
                break;
            }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return right;
}

}  // namespace

void TCustomLabel::AdjustBounds()
{
    if (!autoSize_ || ComponentState().Contains(csLoading)) return;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
    const AnsiString text = Caption().IsEmpty() ? AnsiString(" ") : Caption();
    const UINT flags = TextFlags() & ~UINT(DT_RIGHT | DT_CENTER);
    DrawTextA(dc, text.c_str(), -1, &r, flags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int left = Left();
    int width = r.right - r.left;
    if (!wordWrap_) width = std::max(width, InkRight(Font()->Handle(), text.c_str(), flags, width, r.bottom - r.top));
    if (alignment_ == taRightJustify && !wordWrap_) left += Width() - width;
    SetBounds(left, Top(), width, r.bottom - r.top);
}

void TCustomLabel::Paint()
{
    TCanvas* c = Canvas();
    const TRect area = ClientRect();
    if (!transparent_) {
        c->Brush()->SetColor(Color());
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(area);
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    const AnsiString text = Caption();
    RECT r = area;
    const UINT flags = TextFlags();
    if (layout_ != tlTop) {
        RECT calc = r;
        DrawTextA(c->Handle(), text.c_str(), -1, &calc, flags | DT_CALCRECT);
        const int h = calc.bottom - calc.top;
        r.top = layout_ == tlCenter ? (area.Height() - h) / 2 : area.Height() - h;
    }
    SetBkMode(c->Handle(), TRANSPARENT);
    if (!Enabled()) {
        OffsetRect(&r, 1, 1);
        SetTextColor(c->Handle(), ColorToRGB(clBtnHighlight));
        DrawTextA(c->Handle(), text.c_str(), -1, &r, flags);
        OffsetRect(&r, -1, -1);
        SetTextColor(c->Handle(), ColorToRGB(clBtnShadow));
    } else {
        SetTextColor(c->Handle(), ColorToRGB(Font()->Color()));
    }
    DrawTextA(c->Handle(), text.c_str(), -1, &r, flags);
}

void TCustomLabel::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGCHAR:
        if (showAccelChar_ && focusControl_ && Enabled() && IsAccel(WORD(message.WParam), Caption()) &&
            focusControl_->CanFocus()) {
            focusControl_->SetFocus();
            message.Result = 1;
        }
        return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(message);
        AdjustBounds();
        Invalidate();
        return;
    default:
        break;
    }
    TGraphicControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle(SystemControlStyle(ControlStyle()) + TControlStyle{csFramed});
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "EDIT");
    params.Style |= ES_AUTOHSCROLL;
    if (readOnly_) params.Style |= ES_READONLY;
    if (passwordChar_) params.Style |= ES_PASSWORD;
    if (charCase_ == ecUpperCase) params.Style |= ES_UPPERCASE;
    if (charCase_ == ecLowerCase) params.Style |= ES_LOWERCASE;
    params.Caption = text_;
}

void TCustomEdit::CreateWnd()
{
    creating_ = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{creating_};
    TWinControl::CreateWnd();
    if (maxLength_) SendMessageA(Handle(), EM_LIMITTEXT, WPARAM(maxLength_), 0);
    if (passwordChar_) SendMessageA(Handle(), EM_SETPASSWORDCHAR, WPARAM(static_cast<unsigned char>(passwordChar_)), 0);
}

AnsiString TCustomEdit::GetText() const
{
    auto* self = const_cast<TCustomEdit*>(this);
    if (!self->HandleAllocated()) return text_;
    const int len = GetWindowTextLengthA(self->Handle());
    AnsiString s;
    s.SetLength(len);
    if (len) GetWindowTextA(self->Handle(), &s[1], len + 1);
    return s;
}

void TCustomEdit::SetTextValue(const AnsiString& value)
{
    text_ = value;
    if (HandleAllocated())
        SetWindowTextA(Handle(), value.c_str());
    else
        Perform(CM_TEXTCHANGED);
}

void TCustomEdit::SetMaxLength(int value)
{
    maxLength_ = value;
    if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, WPARAM(value), 0);
}

void TCustomEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetPasswordChar(char value)
{
    if (value == passwordChar_) return;
    passwordChar_ = value;
    if (HandleAllocated()) {
        SendMessageA(Handle(), EM_SETPASSWORDCHAR, WPARAM(static_cast<unsigned char>(value)), 0);
        Invalidate();
    }
}

void TCustomEdit::SetCharCase(TEditCharCase value)
{
    if (value == charCase_) return;
    charCase_ = value;
    RecreateWnd();
}

int TCustomEdit::SelStart() const
{
    auto* self = const_cast<TCustomEdit*>(this);
    if (!self->HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageA(self->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return int(start);
}

void TCustomEdit::SetSelStart(int value)
{
    SendMessageA(Handle(), EM_SETSEL, WPARAM(value), LPARAM(value));
}

int TCustomEdit::SelLength() const
{
    auto* self = const_cast<TCustomEdit*>(this);
    if (!self->HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageA(self->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return int(end - start);
}

void TCustomEdit::SetSelLength(int value)
{
    const int start = SelStart();
    SendMessageA(Handle(), EM_SETSEL, WPARAM(start), LPARAM(start + value));
}

AnsiString TCustomEdit::SelText() const
{
    const AnsiString text = Text();
    return text.SubString(SelStart() + 1, SelLength());
}

void TCustomEdit::SelectAll()
{
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

bool TCustomEdit::Modified() const
{
    auto* self = const_cast<TCustomEdit*>(this);
    return self->HandleAllocated() && SendMessageA(self->Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool value)
{
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETMODIFY, value, 0);
}

void TCustomEdit::Change()
{
    if (onChange_) onChange_(this);
}

void TCustomEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == EN_CHANGE && !creating_) Change();
        return;
    case WM_DESTROY:
        // The text typed is kept for the next window.
        if (HandleAllocated()) text_ = GetText();
        break;
    case CM_ENTER:
        if (autoSelect_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
        break;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}
