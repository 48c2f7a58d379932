#include "framework/visual/Controls.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "framework/visual/ControlsPrivate.h"
#include "framework/visual/Forms.h"

const bool NewStyleControls = true;
TPopupMenuHook PopupMenuHook = nullptr;

// ---------------------------------------------------------------------------------------------------------------
// Helpers

TShiftState KeysToShiftState(WORD keys)
{
    TShiftState s;
    if (keys & MK_SHIFT) s.Include(ssShift);
    if (keys & MK_CONTROL) s.Include(ssCtrl);
    if (keys & MK_LBUTTON) s.Include(ssLeft);
    if (keys & MK_RBUTTON) s.Include(ssRight);
    if (keys & MK_MBUTTON) s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if ((keyData & 0x20000000) || GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

bool IsAccel(WORD key, const AnsiString& caption)
{
    const std::string& s = caption.str();
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '&') continue;
        if (s[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(s[i + 1])) == std::toupper(int(key & 0xFF));
    }
    return false;
}

TCustomForm* GetParentForm(const TControl* control)
{
    if (!control) return nullptr;
    while (control->Parent()) control = control->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

// ---------------------------------------------------------------------------------------------------------------
// The control under the mouse

namespace {

TControl* mouseControl = nullptr;  // not owned; cleared when the control goes

void SetMouseControl(TControl* control)
{
    if (control == mouseControl) return;
    TControl* old = mouseControl;
    mouseControl = control;
    if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
    if (control && mouseControl == control) control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(control));
}

// The framework control at a screen point, windowless children included (disabled ones too).
TControl* ControlAtScreenPoint(POINT p)
{
    HWND wnd = WindowFromPoint(p);
    TWinControl* control = nullptr;
    while (wnd && !(control = FindControl(wnd))) wnd = GetParent(wnd);
    if (!control) return nullptr;
    const TPoint local = control->ScreenToClient(TPoint(p));
    TControl* child = control->ControlAtPos(local, true);
    return child ? child : control;
}

}  // namespace

void UpdateMouseControl()
{
    POINT p;
    if (!GetCursorPos(&p)) return;
    SetMouseControl(ControlAtScreenPoint(p));
}

TControl* MouseControl() { return mouseControl; }

namespace detail {
void MouseMovedOver(TControl* control) { SetMouseControl(control); }
void ControlGone(TControl* control)
{
    if (mouseControl == control) mouseControl = nullptr;
}
}  // namespace detail

// ---------------------------------------------------------------------------------------------------------------
// TControlCanvas

namespace {
std::vector<TControlCanvas*> canvasesWithDC;  // canvases holding a DC taken outside painting
}

void FreeDeviceContexts()
{
    const std::vector<TControlCanvas*> list = canvasesWithDC;
    for (TControlCanvas* c : list) c->FreeHandle();
}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* control)
{
    if (control_ == control) return;
    FreeHandle();
    control_ = control;
}

void TControlCanvas::FreeHandle()
{
    if (ownDC_) {
        HDC dc = ownDC_;
        ownDC_ = nullptr;
        TCanvas::SetHandle(nullptr);
        ReleaseDC(dcWindow_, dc);
        dcWindow_ = nullptr;
        canvasesWithDC.erase(std::remove(canvasesWithDC.begin(), canvasesWithDC.end(), this), canvasesWithDC.end());
    } else {
        TCanvas::FreeHandle();
    }
}

void TControlCanvas::BindPaintDC(HDC dc)
{
    if (ownDC_) FreeHandle();
    SetHandle(dc);
}

void TControlCanvas::CreateHandle()
{
    if (!control_) return;
    HDC dc = nullptr;
    HWND wnd = nullptr;
    if (auto* win = dynamic_cast<TWinControl*>(control_)) {
        wnd = win->Handle();
        dc = GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN);
    } else {
        TWinControl* parent = control_->Parent();
        if (!parent || !parent->HandleAllocated()) return;
        wnd = parent->Handle();
        // Windowless controls lie under their windowed siblings, so those are clipped out.
        dc = GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN);
        if (dc) {
            SetViewportOrgEx(dc, control_->Left(), control_->Top(), nullptr);
            IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
        }
    }
    if (!dc) return;
    ownDC_ = dc;
    dcWindow_ = wnd;
    canvasesWithDC.push_back(this);
    SetHandle(dc);
}

// ---------------------------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>())
{
    windowProc_ = TWndMethod(this, &TControl::WndProc);
    font_->SetOnChange(TNotifyEvent(this, &TControl::FontChanged));
}

TControl::~TControl()
{
    detail::ControlGone(this);
    if (parent_) parent_->RemoveControl(this);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    windowProc_(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
        controlState_.Include(csLButtonDown);
        if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
        break;
    case WM_LBUTTONUP:
        controlState_.Exclude(csLButtonDown);
        break;
    default:
        break;
    }
    Dispatch(message);
}

void TControl::DoMouseDown(TMessage& message, TMouseButton button, TShiftState shift)
{
    const int x = short(LOWORD(message.LParam));
    const int y = short(HIWORD(message.LParam));
    MouseDown(button, KeysToShiftState(WORD(message.WParam)) + shift, x, y);
}

void TControl::DoMouseUp(TMessage& message, TMouseButton button)
{
    const int x = short(LOWORD(message.LParam));
    const int y = short(HIWORD(message.LParam));
    if (button == mbLeft && controlState_.Contains(csClicked)) {
        controlState_.Exclude(csClicked);
        const TRect r = ClientRect();
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) Click();
    }
    MouseUp(button, KeysToShiftState(WORD(message.WParam)), x, y);
}

void TControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDBLCLK:
        if (controlStyle_.Contains(csDoubleClicks)) {
            DblClick();
            DoMouseDown(message, mbLeft, TShiftState{ssDouble});
        } else {
            DoMouseDown(message, mbLeft, {});
        }
        break;
    case WM_LBUTTONDOWN:
        DoMouseDown(message, mbLeft, {});
        break;
    case WM_RBUTTONDOWN:
        DoMouseDown(message, mbRight, {});
        break;
    case WM_RBUTTONDBLCLK:
        DoMouseDown(message, mbRight, TShiftState{ssDouble});
        break;
    case WM_MBUTTONDOWN:
        DoMouseDown(message, mbMiddle, {});
        break;
    case WM_MBUTTONDBLCLK:
        DoMouseDown(message, mbMiddle, TShiftState{ssDouble});
        break;
    case WM_MOUSEMOVE:
        MouseMove(KeysToShiftState(WORD(message.WParam)), short(LOWORD(message.LParam)),
                  short(HIWORD(message.LParam)));
        break;
    case WM_LBUTTONUP:
        DoMouseUp(message, mbLeft);
        // A system control decides about its own click while it still holds the capture.
        DefaultHandler(message);
        if (MouseCapture()) SetMouseCapture(false);
        return;
    case WM_RBUTTONUP:
        DoMouseUp(message, mbRight);
        // Windowed controls pop up on WM_CONTEXTMENU, which their default procedure makes from this message.
        if (!dynamic_cast<TWinControl*>(this) && popupMenu_ && PopupMenuHook) {
            const TPoint p = ClientToScreen(TPoint(short(LOWORD(message.LParam)), short(HIWORD(message.LParam))));
            PopupMenuHook(popupMenu_, this, p.x, p.y);
            return;
        }
        break;
    case WM_MBUTTONUP:
        DoMouseUp(message, mbMiddle);
        break;
    case WM_MOUSEWHEEL:
        if (DoMouseWheel(KeysToShiftState(LOWORD(message.WParam)), short(HIWORD(message.WParam)),
                         TPoint(short(LOWORD(message.LParam)), short(HIWORD(message.LParam))))) {
            message.Result = 1;
            return;
        }
        break;
    case WM_CANCELMODE:
        if (MouseCapture()) SetMouseCapture(false);
        controlState_.Exclude(csClicked);
        controlState_.Exclude(csLButtonDown);
        break;
    case CM_PARENTFONTCHANGED:
        if (parentFont_) ApplyParentFont();
        return;
    case CM_PARENTCOLORCHANGED:
        if (parentColor_) ApplyParentColor();
        return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
        if (!dynamic_cast<TWinControl*>(this)) Invalidate();
        return;
    case CM_PARENTSHOWHINTCHANGED:
        if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
        return;
    default:
        break;
    }
    DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage& message)
{
    // A windowless control keeps its text itself.
    switch (message.Msg) {
    case WM_GETTEXT: {
        const AnsiString text = GetText();
        if (message.WParam == 0 || !message.LParam) {
            message.Result = 0;
            return;
        }
        const std::size_t n = std::min<std::size_t>(text.str().size(), message.WParam - 1);
        std::memcpy(reinterpret_cast<char*>(message.LParam), text.c_str(), n);
        reinterpret_cast<char*>(message.LParam)[n] = '\0';
        message.Result = LRESULT(n);
        return;
    }
    case WM_GETTEXTLENGTH:
        message.Result = LRESULT(GetText().str().size());
        return;
    case WM_SETTEXT:
        text_ = message.LParam ? AnsiString(reinterpret_cast<const char*>(message.LParam)) : AnsiString();
        Perform(CM_TEXTCHANGED);
        message.Result = 1;
        return;
    default:
        message.Result = 0;
        return;
    }
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    const bool resized = width != width_ || height != height_;
    if (visible_) InvalidateControlRect(ClientRect(), true);
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (visible_) InvalidateControlRect(ClientRect(), true);
    RequestAlign();
    if (resized) Resize();
}

TRect TControl::ClientRect() const { return TRect(0, 0, width_, height_); }

void TControl::SetClientSize(int width, int height) { SetBounds(left_, top_, width, height); }

TPoint TControl::ClientOrigin() const
{
    if (!parent_) return TPoint(left_, top_);
    const TPoint p = parent_->ClientOrigin();
    return TPoint(p.x + left_, p.y + top_);
}

TPoint TControl::ClientToScreen(const TPoint& p) const
{
    const TPoint o = ClientOrigin();
    return TPoint(p.x + o.x, p.y + o.y);
}

TPoint TControl::ScreenToClient(const TPoint& p) const
{
    const TPoint o = ClientOrigin();
    return TPoint(p.x - o.x, p.y - o.y);
}

void TControl::SetAlign(TAlign value)
{
    if (value == align_) return;
    align_ = value;
    if (parent_) parent_->Realign();
}

void TControl::RequestAlign()
{
    if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetVisible(bool value)
{
    if (value == visible_) return;
    VisibleChanging();
    InvalidateControlRect(ClientRect(), true);
    visible_ = value;
    Perform(CM_VISIBLECHANGED, value);
    if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetEnabled(bool value)
{
    if (value == enabled_) return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED);
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

bool TControl::MouseCapture() const
{
    if (auto* self = dynamic_cast<const TWinControl*>(this))
        return self->handle_ && GetCapture() == self->handle_ && !self->captureControl_;
    return parent_ && parent_->captureControl_ == this;
}

void TControl::SetMouseCapture(bool value)
{
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        if (value)
            SetCapture(self->Handle());
        else if (self->handle_ && GetCapture() == self->handle_)
            ReleaseCapture();
        return;
    }
    if (!parent_) return;
    if (value) {
        if (!parent_->HandleAllocated()) return;
        parent_->captureControl_ = this;
        SetCapture(parent_->Handle());
    } else if (parent_->captureControl_ == this) {
        parent_->captureControl_ = nullptr;
        if (parent_->HandleAllocated() && GetCapture() == parent_->handle_) ReleaseCapture();
    }
}

void TControl::SetText(const AnsiString& value)
{
    if (GetText() == value) return;
    SetTextValue(value);
}

void TControl::SetTextValue(const AnsiString& value)
{
    auto* self = dynamic_cast<TWinControl*>(this);
    if (self && self->HandleAllocated()) {
        // The window's WM_SETTEXT handling stores it and reports the change.
        SendMessageA(self->handle_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
        text_ = value;
        return;
    }
    text_ = value;
    Perform(CM_TEXTCHANGED);
}

void TControl::SetColor(TColor value)
{
    parentColor_ = false;
    if (value == color_) return;
    color_ = value;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    parentColor_ = value;
    if (value && parent_) ApplyParentColor();
}

void TControl::ApplyParentColor()
{
    if (!parent_ || parent_->color_ == color_) return;
    color_ = parent_->color_;
    Perform(CM_COLORCHANGED);
}

void TControl::FontChanged(TObject*)
{
    if (!fontBeingSet_) parentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value)
{
    parentFont_ = value;
    if (value && parent_) ApplyParentFont();
}

void TControl::ApplyParentFont()
{
    if (!parent_) return;
    fontBeingSet_ = true;
    try {
        font_->Assign(parent_->font_.get());
    } catch (...) {
        fontBeingSet_ = false;
        throw;
    }
    fontBeingSet_ = false;
}

void TControl::SetCursor(TCursor value)
{
    if (value == cursor_) return;
    cursor_ = value;
    Perform(CM_CURSORCHANGED);
}

void TControl::SetShowHint(bool value)
{
    parentShowHint_ = false;
    if (value == showHint_) return;
    showHint_ = value;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value)
{
    parentShowHint_ = value;
    if (value && parent_) showHint_ = parent_->ShowHint();
}

void TControl::InvalidateControlRect(const TRect& r, bool erase)
{
    if (!parent_ || !parent_->HandleAllocated()) return;
    RECT area = {r.left + left_, r.top + top_, r.right + left_, r.bottom + top_};
    RECT bounds = {left_, top_, left_ + width_, top_ + height_};
    IntersectRect(&area, &area, &bounds);
    InvalidateRect(parent_->handle_, &area, erase);
}

void TControl::Invalidate()
{
    if (visible_) InvalidateControlRect(ClientRect(), !controlStyle_.Contains(csOpaque));
}

void TControl::Update()
{
    if (parent_) parent_->Update();
}

void TControl::Repaint()
{
    if (!Showing() || !parent_->HandleAllocated()) return;
    if (!controlStyle_.Contains(csOpaque)) {
        Invalidate();
        Update();
        return;
    }
    // Opaque: paint at once through a parent DC, with the windowless siblings above drawn over it again.
    HWND wnd = parent_->handle_;
    HDC dc = GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN);
    if (!dc) return;
    struct Release {
        HWND w;
        HDC d;
        ~Release() { ReleaseDC(w, d); }
    } release{wnd, dc};
    IntersectClipRect(dc, left_, top_, left_ + width_, top_ + height_);
    parent_->PaintControls(dc, this);
}

void TControl::SetZOrder(bool topMost)
{
    if (!parent_) return;
    auto& list = parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (topMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    InvalidateControlRect(ClientRect(), !controlStyle_.Contains(csOpaque));
}

void TControl::Click()
{
    if (onClick_) onClick_(this);
}

void TControl::DblClick()
{
    if (onDblClick_) onDblClick_(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (onMouseDown_) onMouseDown_(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (onMouseMove_) onMouseMove_(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (onMouseUp_) onMouseUp_(this, button, shift, x, y);
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    bool handled = false;
    if (onMouseWheel_) onMouseWheel_(this, shift, wheelDelta, mousePos, handled);
    return handled;
}

void TControl::Resize()
{
    if (onResize_) onResize_(this);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (auto* self = dynamic_cast<TWinControl*>(this)) self->Realign();
    RequestAlign();
}

// ---------------------------------------------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>())
{
    canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() { canvas_->FreeHandle(); }

void TGraphicControl::Dispatch(TMessage& message)
{
    if (message.Msg == WM_PAINT && message.WParam) {
        struct Unbind {
            TControlCanvas* c;
            ~Unbind() { c->BindPaintDC(nullptr); }
        } unbind{canvas_.get()};
        canvas_->BindPaintDC(reinterpret_cast<HDC>(message.WParam));
        Paint();
        message.Result = 0;
        return;
    }
    TControl::Dispatch(message);
}
