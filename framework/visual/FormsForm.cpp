// Forms: their window styles, showing and hiding, closing, the modal loop and the focus bookkeeping; the screen.

#include <algorithm>

#include "framework/visual/Forms.h"

// ---------------------------------------------------------------------------------------------------------------
// The close box. The system draws its glyph as a letter of a symbol font, which shows as that letter where the
// font is missing (Wine without its fonts shows an "r"), so the form draws the box itself.

namespace {

bool CloseBoxEnabled(HWND wnd)
{
    HMENU menu = GetSystemMenu(wnd, FALSE);
    if (!menu) return true;
    const UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
    return state == UINT(-1) || !(state & (MF_GRAYED | MF_DISABLED));
}

bool OnCloseBox(HWND wnd, POINT screen)
{
    return SendMessageA(wnd, WM_NCHITTEST, 0, MAKELPARAM(short(screen.x), short(screen.y))) == HTCLOSE;
}

// Plain button face, and an X made of two-pixel steps so that it is the same mirrored either way.
void PaintCloseBox(HWND wnd, bool pushed)
{
    RECT box;
    if (!FormCloseBoxRect(wnd, box)) return;
    HDC dc = GetWindowDC(wnd);
    if (!dc) return;
    RECT window;
    GetWindowRect(wnd, &window);
    OffsetRect(&box, -window.left, -window.top);
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    const int w = box.right - box.left, h = box.bottom - box.top;
    const int n = std::max(2, std::min(w, h) - 7);
    const int x0 = box.left + (w - (n + 1)) / 2 + (pushed ? 1 : 0);
    const int y0 = box.top + (h - n) / 2 + (pushed ? 1 : 0);
    auto cross = [&](int dx, int dy, int colour) {
        HBRUSH brush = GetSysColorBrush(colour);
        for (int i = 0; i < n; ++i) {
            const RECT a{x0 + dx + i, y0 + dy + i, x0 + dx + i + 2, y0 + dy + i + 1};
            const RECT b{x0 + dx + n - 1 - i, y0 + dy + i, x0 + dx + n + 1 - i, y0 + dy + i + 1};
            FillRect(dc, &a, brush);
            FillRect(dc, &b, brush);
        }
    };
    if (CloseBoxEnabled(wnd)) {
        cross(0, 0, COLOR_BTNTEXT);
    } else {
        cross(1, 1, COLOR_BTNHIGHLIGHT);
        cross(0, 0, COLOR_BTNSHADOW);
    }
    ReleaseDC(wnd, dc);
}

// The press on the close box, followed until the button comes up: the box shows pushed while the pointer is on
// it, and a release there closes the window.
void TrackCloseBox(HWND wnd)
{
    SetCapture(wnd);
    bool inside = true;
    PaintCloseBox(wnd, true);
    POINT at{};
    for (;;) {
        MSG m;
        if (!GetMessageA(&m, nullptr, 0, 0)) {
            PostQuitMessage(int(m.wParam));
            inside = false;
            break;
        }
        if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
            at = m.pt;
            const bool now = OnCloseBox(wnd, at);
            if (now != inside) {
                inside = now;
                PaintCloseBox(wnd, inside);
            }
            if (m.message == WM_LBUTTONUP) break;
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
        if (!IsWindow(wnd)) return;
        if (GetCapture() != wnd) {
            inside = false;
            break;
        }
    }
    if (GetCapture() == wnd) ReleaseCapture();
    PaintCloseBox(wnd, false);
    if (inside) SendMessageA(wnd, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(short(at.x), short(at.y)));
}

}  // namespace

bool FormCloseBoxRect(HWND wnd, RECT& box)
{
    const LONG style = GetWindowLongA(wnd, GWL_STYLE);
    if (!IsWindow(wnd) || (style & WS_CHILD) || (style & WS_CAPTION) != WS_CAPTION || !(style & WS_SYSMENU) ||
        IsIconic(wnd))
        return false;
    RECT window;
    GetWindowRect(wnd, &window);
    POINT client{0, 0};
    ClientToScreen(wnd, &client);
    // The frame is as wide at the top as at the sides; the caption row lies below it.
    const int frame = client.x - window.left;
    const bool tool = GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
    const int cx = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
    const int cy = GetSystemMetrics(tool ? SM_CYSMSIZE : SM_CYSIZE);
    box.right = window.right - frame - 2;
    box.left = window.right - frame - cx;
    box.top = window.top + frame + 2;
    box.bottom = window.top + frame + cy - 2;
    if (box.right <= box.left || box.bottom <= box.top) return false;
    // Only where the system puts its own box.
    return OnCloseBox(wnd, POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomForm

namespace {
// The application a form belongs to: the one owning it, else the program's.
TApplication* ApplicationOf(const TCustomForm* form)
{
    if (auto* app = dynamic_cast<TApplication*>(form->Owner())) return app;
    return TApplicationRef::Get();
}
}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TCustomControl(owner), icon_(std::make_unique<TIcon>())
{
    visible_ = false;
    parentFont_ = false;
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    left_ = 0;
    top_ = 0;
    width_ = 320;
    height_ = 240;
    SetColor(clBtnFace);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    icon_->SetOnChange(TNotifyEvent(this, &TCustomForm::IconChanged));
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    Destroying();
    if (created_) {
        try {
            DoDestroy();
        } catch (...) {
            if (TApplication* app = TApplicationRef::Get()) app->HandleException(this);
        }
    }
    if (TApplication* app = ApplicationOf(this))
        if (app->mainForm_ == this) app->mainForm_ = nullptr;
    Screen->RemoveForm(this);
    activeControl_ = nullptr;
    focusedControl_ = nullptr;
}

void TCustomForm::AfterConstruction()
{
    if (created_) return;
    created_ = true;
    DoCreate();
}

void TCustomForm::DoCreate()
{
    if (onCreate_) onCreate_(this);
}

void TCustomForm::DoDestroy()
{
    if (onDestroy_) onDestroy_(this);
}

void TCustomForm::DoShow()
{
    if (onShow_) onShow_(this);
}

void TCustomForm::DoHide()
{
    if (onHide_) onHide_(this);
}

void TCustomForm::DoClose(TCloseAction& action)
{
    if (onClose_) onClose_(this, action);
}

void TCustomForm::Paint()
{
    if (onPaint_) onPaint_(this);
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (Parent()) return;  // a form placed inside another control is a plain child window
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = 0;
    params.WndParent = TApplicationRef::Get() ? TApplicationRef::Get()->Handle() : nullptr;
    TBorderIcons icons = borderIcons_;
    switch (borderStyle_) {
    case bsNone:
        params.Style |= WS_POPUP;
        icons = {};
        break;
    case bsSingle:
        params.Style |= WS_CAPTION;
        break;
    case bsSizeable:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        icons.Exclude(biMinimize);
        icons.Exclude(biMaximize);
        break;
    case bsToolWindow:
        params.Style |= WS_CAPTION;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        icons.Exclude(biMinimize);
        icons.Exclude(biMaximize);
        break;
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        icons.Exclude(biMinimize);
        icons.Exclude(biMaximize);
        break;
    }
    if (icons.Contains(biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        if (icons.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
        if (icons.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
    }
    if (formStyle_ == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
    if (position_ == poDefault || position_ == poDefaultPosOnly) {
        params.X = CW_USEDEFAULT;
        params.Y = CW_USEDEFAULT;
    }
    params.WindowClass.style |= CS_DBLCLKS;
}

void TCustomForm::IconChanged(TObject*)
{
    if (HandleAllocated())
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_->Empty() ? nullptr : icon_->Handle()));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (value == borderStyle_) return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value)
{
    if (value == borderIcons_) return;
    borderIcons_ = value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (value == formStyle_) return;
    formStyle_ = value;
    if (HandleAllocated())
        SetWindowPos(Handle(), value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() const
{
    if (HandleAllocated() && Showing()) {
        HWND wnd = const_cast<TCustomForm*>(this)->Handle();
        if (IsIconic(wnd)) return wsMinimized;
        if (IsZoomed(wnd)) return wsMaximized;
        return wsNormal;
    }
    return windowState_;
}

void TCustomForm::SetWindowState(TWindowState value)
{
    windowState_ = value;
    if (HandleAllocated() && Showing())
        ShowWindow(Handle(), value == wsMinimized ? SW_MINIMIZE : value == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

TRect TCustomForm::ClientRect() const
{
    if (HandleAllocated() || Parent()) return TCustomControl::ClientRect();
    // Without a window: the client area the window's frame would leave.
    TCreateParams params;
    const_cast<TCustomForm*>(this)->CreateParams(params);
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
    return TRect(0, 0, std::max(0, Width() - int(r.right - r.left)), std::max(0, Height() - int(r.bottom - r.top)));
}

void TCustomForm::SetClientSize(int width, int height)
{
    if (HandleAllocated() || Parent()) {
        TCustomControl::SetClientSize(width, height);
        return;
    }
    const TRect c = ClientRect();
    SetBounds(Left(), Top(), Width() - c.Width() + width, Height() - c.Height() + height);
}

void TCustomForm::Show()
{
    SetVisible(true);
    if (HandleAllocated()) {
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(Handle());
    }
}

void TCustomForm::SetVisible(bool value)
{
    if (value) AfterConstruction();
    TCustomControl::SetVisible(value);
}

void TCustomForm::ApplyPosition()
{
    if (positioned_) return;
    positioned_ = true;
    switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
        SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
        break;
    case poMainFormCenter:
    case poOwnerFormCenter:
        if (TApplication* app = TApplicationRef::Get(); app && app->MainForm() && app->MainForm() != this) {
            TCustomForm* m = app->MainForm();
            SetBounds(m->Left() + (m->Width() - Width()) / 2, m->Top() + (m->Height() - Height()) / 2, Width(),
                      Height());
        }
        break;
    default:
        break;
    }
}

void TCustomForm::ShowingChanged()
{
    if (!HandleAllocated()) return;
    HWND wnd = Handle();
    if (Showing()) {
        // OnShow comes before the window appears: handlers may still move and size it.
        DoShow();
        if (!Showing()) return;
        ApplyPosition();
        int cmd = SW_SHOWNORMAL;
        if (windowState_ == wsMaximized) cmd = SW_SHOWMAXIMIZED;
        if (windowState_ == wsMinimized) cmd = SW_SHOWMINIMIZED;
        ShowWindow(wnd, cmd);
        if (Parent()) return;
        TWinControl* target = activeControl_;
        if (!target || !target->CanFocus() || !ContainsControl(target))
            target = FindNextControl(nullptr, true, true, false);
        if (target && GetActiveWindow() == wnd) target->SetFocus();
    } else {
        DoHide();
        if (Focused() || ContainsControl(FindControl(GetFocus()))) {
            // Hand the activation to the owner first, so the hidden form does not keep the focus.
            SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
        } else {
            ShowWindow(wnd, SW_HIDE);
        }
    }
}

void TCustomForm::WndProc(TMessage& message)
{
    if (message.Msg == WM_SETFOCUS && !Parent()) {
        // The form passes its focus on to the control that had it.
        TWinControl* target = activeControl_;
        if (target && target != this && ContainsControl(target) && target->CanFocus()) {
            ::SetFocus(target->Handle());
            return;
        }
    }
    TCustomControl::WndProc(message);
}

void TCustomForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_SHOWINGCHANGED:
        ShowingChanged();
        return;
    case WM_CLOSE:
        Close();
        message.Result = 0;
        return;
    case WM_ACTIVATE:
        DefaultHandler(message);
        if (LOWORD(message.WParam) != WA_INACTIVE) {
            active_ = true;
            Screen->SetActiveForm(this);
            if (onActivate_) onActivate_(this);
        } else {
            active_ = false;
            if (onDeactivate_) onDeactivate_(this);
        }
        return;
    case WM_SIZE:
        if (!Parent()) {
            if (message.WParam == SIZE_MINIMIZED)
                windowState_ = wsMinimized;
            else if (message.WParam == SIZE_MAXIMIZED)
                windowState_ = wsMaximized;
            else if (message.WParam == SIZE_RESTORED)
                windowState_ = wsNormal;
        }
        break;
    case WM_SYSCOLORCHANGE:
        NotifyControls(CM_SYSCOLORCHANGE);
        DefaultHandler(message);
        return;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        if (message.Msg == WM_PALETTECHANGED && reinterpret_cast<HWND>(message.WParam) == Handle()) return;
        for (int i = 0; i < ControlCount(); ++i)
            if (HPALETTE palette = Controls(i)->GetPalette()) {
                HDC dc = GetDC(Handle());
                HPALETTE old = SelectPalette(dc, palette, FALSE);
                const UINT changed = RealizePalette(dc);
                SelectPalette(dc, old, TRUE);
                ReleaseDC(Handle(), dc);
                if (changed) InvalidateRect(Handle(), nullptr, TRUE);
                message.Result = 1;
                return;
            }
        break;
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_SETTEXT:
    case WM_SETICON:
        if (Parent()) break;
        TCustomControl::Dispatch(message);
        PaintCloseBox(Handle(), false);
        return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (Parent() || message.WParam != HTCLOSE || !CloseBoxEnabled(Handle())) break;
        TrackCloseBox(Handle());
        message.Result = 0;
        return;
    case CM_RELEASE:
        delete this;  // nothing after this line may touch the form
        return;
    case CM_DIALOGKEY:
        TCustomControl::Dispatch(message);  // the controls first (default and cancel buttons)
        if (message.Result != 0) return;
        if (GetKeyState(VK_MENU) < 0 || GetKeyState(VK_CONTROL) < 0) return;
        switch (message.WParam) {
        case VK_TAB:
            SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
            message.Result = 1;
            return;
        case VK_LEFT:
        case VK_UP:
            SelectNext(activeControl_, false, true);
            message.Result = 1;
            return;
        case VK_RIGHT:
        case VK_DOWN:
            SelectNext(activeControl_, true, true);
            message.Result = 1;
            return;
        default:
            return;
        }
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}

bool TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (control == focusedControl_) return true;
    TWinControl* old = focusedControl_;
    focusedControl_ = control;
    if (control != this) activeControl_ = control;
    // OnExit from the old control up to the common parent, then OnEnter down to the new one.
    auto contains = [](const TControl* outer, const TControl* inner) {
        for (const TControl* c = inner; c; c = c->Parent())
            if (c == outer) return true;
        return false;
    };
    for (TWinControl* c = old; c && c != this && !contains(c, control); c = c->Parent()) c->Perform(CM_EXIT);
    std::vector<TWinControl*> entering;
    for (TWinControl* c = control; c && c != this && !contains(c, old); c = c->Parent()) entering.push_back(c);
    for (auto it = entering.rbegin(); it != entering.rend(); ++it) (*it)->Perform(CM_ENTER);
    NotifyControls(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    return true;
}

void TCustomForm::FocusControl(TWinControl* control)
{
    if (!control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    activeControl_ = control;
    if (Showing() && HandleAllocated()) ::SetFocus(control->Handle());
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == activeControl_) return;
    if (control && !ContainsControl(control)) throw EInvalidOperation("The control is not on this form");
    if (ComponentState().Contains(csLoading) || !control || !Showing() || GetActiveWindow() != Handle()) {
        activeControl_ = control;
        return;
    }
    control->SetFocus();
}

void TCustomForm::ControlRemoving(TControl* control)
{
    auto within = [control](TControl* c) {
        for (; c; c = c->Parent())
            if (c == control) return true;
        return false;
    };
    if (within(activeControl_)) activeControl_ = nullptr;
    if (within(focusedControl_)) focusedControl_ = nullptr;
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (onCloseQuery_) onCloseQuery_(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TApplication* app = ApplicationOf(this);
    const bool isMain = app && app->MainForm() == this;
    TCloseAction action = isMain ? caFree : caHide;
    DoClose(action);
    if (action == caNone) return;
    if (isMain) {
        // The form itself goes with the application, so code after Close still finds it.
        app->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

void TCustomForm::Release()
{
    if (HandleAllocated())
        PostMessageA(Handle(), CM_RELEASE, 0, 0);
    else
        delete this;
}

void TCustomForm::CloseModal()
{
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone) modalResult_ = mrNone;
    // caFree: freed by the caller of ShowModal, which still reads ModalResult.
}

namespace {

// Disables the thread's other enabled, visible top-level windows and enables them again in reverse order.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND except) : except_(except)
    {
        EnumThreadWindows(GetCurrentThreadId(), &DisabledWindows::Collect, reinterpret_cast<LPARAM>(this));
        for (HWND w : windows_) EnableWindow(w, FALSE);
    }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;
    ~DisabledWindows()
    {
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if (IsWindow(*it)) EnableWindow(*it, TRUE);
    }

private:
    static BOOL CALLBACK Collect(HWND wnd, LPARAM self)
    {
        auto* me = reinterpret_cast<DisabledWindows*>(self);
        if (wnd != me->except_ && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) me->windows_.push_back(wnd);
        return TRUE;
    }
    HWND except_;
    std::vector<HWND> windows_;
};

}  // namespace

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture()) {
        SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    TApplication* app = ApplicationOf(this);
    const HWND activeBefore = GetActiveWindow();
    const HWND wnd = Handle();
    modal_ = true;
    modalResult_ = mrNone;
    struct Restore {
        TCustomForm* form;
        HWND activeBefore;
        std::unique_ptr<DisabledWindows> disabled;
        ~Restore()
        {
            disabled.reset();  // enabled again before the form hides, so the activation goes back to them
            try {
                form->Hide();
            } catch (...) {
                if (TApplication* a = TApplicationRef::Get()) a->HandleException(form);
            }
            if (activeBefore && IsWindow(activeBefore)) SetActiveWindow(activeBefore);
            form->modal_ = false;
        }
    } restore{this, activeBefore, std::make_unique<DisabledWindows>(wnd)};
    Show();
    while (modalResult_ == mrNone) {
        app->HandleMessage();
        if (app->Terminated())
            modalResult_ = mrCancel;
        else if (modalResult_ != mrNone)
            CloseModal();
    }
    return modalResult_;
}

// ---------------------------------------------------------------------------------------------------------------
// TScreen

TScreen::TScreen() = default;
TScreen::~TScreen() = default;

int TScreen::Width() const { return width_ > 0 ? width_ : GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return height_ > 0 ? height_ : GetSystemMetrics(SM_CYSCREEN); }

void TScreen::SetSizeForTesting(int width, int height)
{
    width_ = width;
    height_ = height;
}

int TScreen::PixelsPerInch() const
{
    HDC dc = GetDC(nullptr);
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return ppi;
}

HCURSOR TScreen::Cursors(TCursor index) const
{
    auto it = cursors_.find(index);
    if (it != cursors_.end()) return it->second;
    const char* id = IDC_ARROW;
    switch (index) {
    case crNone:
        return nullptr;
    case crCross:
        id = IDC_CROSS;
        break;
    case crIBeam:
        id = IDC_IBEAM;
        break;
    case crSizeNESW:
        id = IDC_SIZENESW;
        break;
    case crSizeNS:
    case crVSplit:
        id = IDC_SIZENS;
        break;
    case crSizeNWSE:
        id = IDC_SIZENWSE;
        break;
    case crSizeWE:
    case crHSplit:
        id = IDC_SIZEWE;
        break;
    case crUpArrow:
        id = IDC_UPARROW;
        break;
    case crHourGlass:
        id = IDC_WAIT;
        break;
    case crNo:
    case crNoDrop:
        id = IDC_NO;
        break;
    case crAppStart:
        id = IDC_APPSTARTING;
        break;
    case crHelp:
        id = IDC_HELP;
        break;
    case crHandPoint:
        id = IDC_HAND;
        break;
    case crSizeAll:
        id = IDC_SIZEALL;
        break;
    default:
        break;
    }
    HCURSOR cursor = LoadCursorA(nullptr, id);
    if (!cursor) cursor = LoadCursorA(nullptr, IDC_ARROW);
    cursors_[index] = cursor;
    return cursor;
}

void TScreen::SetCursors(TCursor index, HCURSOR cursor)
{
    if (cursor)
        cursors_[index] = cursor;
    else
        cursors_.erase(index);
}

void TScreen::SetCursor(TCursor value)
{
    cursor_ = value;
    POINT p;
    GetCursorPos(&p);
    if (value != crDefault)
        ::SetCursor(Cursors(value));
    else if (HWND wnd = WindowFromPoint(p))
        SendMessageA(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form)
{
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (activeForm_ == form) activeForm_ = nullptr;
}

TScreen* TScreenRef::Get()
{
    static TScreen screen;
    return &screen;
}

const TScreenRef Screen;
