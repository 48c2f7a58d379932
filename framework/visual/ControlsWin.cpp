// Windowed controls: handles, the window procedure and its hook list, painting of windowless children, mouse
// routing, focus and keys, alignment.

#include <algorithm>

#include "framework/visual/Controls.h"
#include "framework/visual/ControlsPrivate.h"
#include "framework/visual/Forms.h"

namespace {

const char ControlProp[] = "DravikControl";
thread_local TWinControl* creatingControl = nullptr;  // the control whose CreateWindowEx is running
UINT nextControlId = 1;

bool IsDialogKey(WORD key)
{
    switch (key) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE:
    case VK_CANCEL:
        return true;
    default:
        return false;
    }
}

}  // namespace

TWinControl* FindControl(HWND wnd)
{
    if (!wnd) return nullptr;
    return static_cast<TWinControl*>(GetPropA(wnd, ControlProp));
}

// ---------------------------------------------------------------------------------------------------------------
// Construction and children

TWinControl::TWinControl(TComponent* owner) : TControl(owner), brush_(std::make_unique<TBrush>())
{
    brush_->SetColor(Color());
}

TWinControl::~TWinControl()
{
    // The window method may belong to a part of the object that is gone already.
    SetWindowProc(nullptr);
    for (const auto& h : hooks_) h->removed = true;  // also for walks still running on the stack
    hooks_.clear();
    for (HookRun* run = hookRun_; run; run = run->outer) run->gone = true;
    Destroying();
    // Children this control owns go before its window; others are only let go.
    DestroyComponents();
    while (!winControls_.empty()) winControls_.back()->SetParent(nullptr);
    while (!controls_.empty()) controls_.back()->SetParent(nullptr);
    if (Parent()) SetParent(nullptr);
    DestroyHandle();
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount()) TList::Error("List index out of bounds (%d)", index);
    if (std::size_t(index) < controls_.size()) return controls_[std::size_t(index)];
    return winControls_[std::size_t(index) - controls_.size()];
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* control)
{
    control->parent_ = this;
    if (auto* win = dynamic_cast<TWinControl*>(control)) {
        winControls_.push_back(win);
        tabList_.push_back(win);
    } else {
        controls_.push_back(control);
    }
    if (control->parentFont_) control->ApplyParentFont();
    if (control->parentColor_) control->ApplyParentColor();
    if (control->parentShowHint_) control->showHint_ = ShowHint();
    control->Perform(CM_PARENTCTL3DCHANGED);
    if (auto* win = dynamic_cast<TWinControl*>(control))
        win->UpdateShowing();
    else
        control->Invalidate();
    if (control->align_ != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* control)
{
    if (captureControl_ == control) control->SetMouseCapture(false);
    if (TCustomForm* form = GetParentForm(this)) form->ControlRemoving(control);
    if (auto* win = dynamic_cast<TWinControl*>(control)) {
        win->DestroyHandle();
        win->showing_ = false;
        winControls_.erase(std::remove(winControls_.begin(), winControls_.end(), win), winControls_.end());
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), win), tabList_.end());
    } else {
        control->InvalidateControlRect(control->ClientRect(), true);
        controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    }
    control->parent_ = nullptr;
    if (control->align_ != alNone) Realign();
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == Parent()) return;
    if (parent && ContainsControl(parent)) throw EInvalidOperation("A control cannot have a descendant as parent");
    TControl::SetParent(parent);
}

TControl* TWinControl::ControlAtPos(const TPoint& p, bool allowDisabled, bool allowWinControls) const
{
    auto hit = [&](const TControl* c) {
        return c->visible_ && (allowDisabled || c->enabled_) && p.x >= c->left_ && p.x < c->left_ + c->width_ &&
               p.y >= c->top_ && p.y < c->top_ + c->height_;
    };
    if (allowWinControls)
        for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it)
            if (hit(*it)) return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (hit(*it)) return *it;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message)
{
    const std::vector<TControl*> children = [&] {
        std::vector<TControl*> v(controls_.begin(), controls_.end());
        v.insert(v.end(), winControls_.begin(), winControls_.end());
        return v;
    }();
    for (TControl* c : children) {
        TMessage m = message;
        c->windowProc_(m);
        if (m.Result != 0) {
            message.Result = m.Result;
            return;
        }
    }
}

void TWinControl::NotifyControls(UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::vector<TControl*> children(controls_.begin(), controls_.end());
    children.insert(children.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : children) c->Perform(msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------------------------
// Alignment

void TWinControl::AlignControls(TControl*, TRect& rect)
{
    AdjustClientRect(rect);
    std::vector<TControl*> children(controls_.begin(), controls_.end());
    children.insert(children.end(), winControls_.begin(), winControls_.end());
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : children) {
            if (c->align_ != a || !c->visible_) continue;
            const int w = c->width_, h = c->height_;
            switch (a) {
            case alTop:
                c->SetBounds(rect.left, rect.top, rect.Width(), h);
                rect.top += c->height_;
                break;
            case alBottom:
                c->SetBounds(rect.left, rect.bottom - h, rect.Width(), h);
                rect.bottom -= c->height_;
                break;
            case alLeft:
                c->SetBounds(rect.left, rect.top, w, rect.Height());
                rect.left += c->width_;
                break;
            case alRight:
                c->SetBounds(rect.right - w, rect.top, w, rect.Height());
                rect.right -= c->width_;
                break;
            case alClient:
                c->SetBounds(rect.left, rect.top, rect.Width(), rect.Height());
                break;
            default:
                break;
            }
        }
    }
}

void TWinControl::Realign()
{
    if (alignDisabled_ > 0 || ComponentState().Contains(csLoading)) {
        alignPending_ = true;
        return;
    }
    ++alignDisabled_;
    try {
        TRect r = ClientRect();
        AlignControls(nullptr, r);
    } catch (...) {
        --alignDisabled_;
        throw;
    }
    --alignDisabled_;
    alignPending_ = false;
}

void TWinControl::EnableAlign()
{
    if (alignDisabled_ > 0 && --alignDisabled_ == 0 && alignPending_) Realign();
}

// ---------------------------------------------------------------------------------------------------------------
// Handles

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (ControlStyle().Contains(csAcceptsControls)) params.Style |= WS_CLIPCHILDREN;
    if (tabStop_) params.Style |= WS_TABSTOP;
    if (!Enabled()) params.Style |= WS_DISABLED;
    if (ControlStyle().Contains(csFramed)) {
        if (ctl3D_)
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = Parent() ? Parent()->Handle() : parentWindow_;
    params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
    if (ControlStyle().Contains(csDoubleClicks)) params.WindowClass.style |= CS_DBLCLKS;
    params.WindowClass.lpfnWndProc = &DefWindowProcA;
    params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    const AnsiString name = ClassName();
    lstrcpynA(params.WinClassName, name.c_str(), sizeof params.WinClassName);
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* controlClassName)
{
    WNDCLASSA wc{};
    if (!GetClassInfoA(nullptr, controlClassName, &wc) && !GetClassInfoA(GetModuleHandleA(nullptr), controlClassName, &wc))
        throw EOutOfResources(AnsiString("Window class ") + controlClassName + " not found");
    const UINT keep = params.WindowClass.style & CS_DBLCLKS;
    params.WindowClass = wc;
    params.WindowClass.style = (wc.style & ~UINT(CS_DBLCLKS)) | keep | (wc.style & CS_DBLCLKS);
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw EInvalidOperation(AnsiString("Control '") + Name() + "' has no parent window");
    defWndProc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : &DefWindowProcA;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing{};
    if (!GetClassInfoA(instance, params.WinClassName, &existing)) {
        WNDCLASSA wc = params.WindowClass;
        wc.lpfnWndProc = &TWinControl::WindowProcedure;
        wc.hInstance = instance;
        wc.lpszClassName = params.WinClassName;
        if (!RegisterClassA(&wc)) RaiseLastOSError();
    }
    CreateWindowHandle(params);
    if (!handle_) RaiseLastOSError();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    TWinControl* outer = creatingControl;
    creatingControl = this;
    struct Restore {
        TWinControl* o;
        ~Restore() { creatingControl = o; }
    } restore{outer};
    HMENU id = (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(UINT_PTR(nextControlId++ & 0xFFFF)) : nullptr;
    if (nextControlId > 0xFFFF) nextControlId = 1;
    const HWND wnd = CreateWindowExA(params.ExStyle, params.WinClassName, params.Caption.c_str(), params.Style,
                                     params.X, params.Y, params.Width, params.Height, params.WndParent, id,
                                     GetModuleHandleA(nullptr), params.Param);
    if (wnd && !handle_) {
        handle_ = wnd;
        SetPropA(wnd, ControlProp, this);
    }
}

void TWinControl::CreateHandle()
{
    if (handle_) return;
    CreateWnd();
    // Place the window under the nearest windowed sibling above it that has a window.
    if (Parent()) {
        const auto& sibs = Parent()->winControls_;
        auto it = std::find(sibs.begin(), sibs.end(), this);
        HWND after = HWND_TOP;
        if (it != sibs.end())
            for (auto above = it + 1; above != sibs.end(); ++above)
                if ((*above)->handle_) {
                    after = (*above)->handle_;
                    break;
                }
        if (after == HWND_TOP)
            SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        else
            SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    UpdateBounds();
}

void TWinControl::HandleNeeded()
{
    if (handle_) return;
    if (Parent()) Parent()->HandleNeeded();
    CreateHandle();
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return handle_;
}

void TWinControl::DestroyWnd()
{
    FreeDeviceContexts();
    if (handle_) DestroyWindow(handle_);
}

void TWinControl::DestroyChildHandles()
{
    for (TWinControl* c : winControls_) {
        c->showing_ = false;
        c->DestroyChildHandles();
    }
}

void TWinControl::DestroyHandle()
{
    if (!handle_) return;
    DestroyChildHandles();
    showing_ = false;
    if (captureControl_) captureControl_ = nullptr;
    DestroyWnd();
    // WM_NCDESTROY has unbound the window; make sure even if a foreign procedure swallowed it.
    if (handle_) {
        RemovePropA(handle_, ControlProp);
        handle_ = nullptr;
    }
}

void TWinControl::RecreateWnd()
{
    if (!handle_) return;
    DestroyHandle();
    UpdateShowing();
}

void TWinControl::SetParentWindow(HWND wnd)
{
    if (Parent() || wnd == parentWindow_) return;
    DestroyHandle();
    parentWindow_ = wnd;
    UpdateShowing();
}

void TWinControl::UpdateShowing()
{
    const bool parentShowing =
        Parent() ? Parent()->showing_ : (parentWindow_ != nullptr || IsTopLevelWindow());
    const bool should = Visible() && parentShowing;
    if (should == showing_) return;
    if (should) {
        HandleNeeded();
        showing_ = true;
        for (TWinControl* c : std::vector<TWinControl*>(winControls_)) c->UpdateShowing();
        try {
            Perform(CM_SHOWINGCHANGED);
        } catch (...) {
            showing_ = false;
            throw;
        }
    } else {
        showing_ = false;
        if (handle_) Perform(CM_SHOWINGCHANGED);
        for (TWinControl* c : std::vector<TWinControl*>(winControls_)) c->UpdateShowing();
    }
}

int TWinControl::AddWindowHook(TWindowHook hook)
{
    const int id = nextHookId_++;
    hooks_.push_back(std::make_shared<HookEntry>(HookEntry{id, hook, false}));
    return id;
}

void TWinControl::RemoveWindowHook(int id)
{
    for (auto it = hooks_.begin(); it != hooks_.end(); ++it)
        if ((*it)->id == id) {
            (*it)->removed = true;
            hooks_.erase(it);
            return;
        }
}

TWinControl::HookResult TWinControl::RunHooks(const HookList& hooks, std::size_t from, TMessage& message)
{
    HookRun run{&hooks, from, false, false, hookRun_};
    hookRun_ = &run;
    struct Leave {
        TWinControl* control;
        HookRun& run;
        ~Leave()
        {
            if (!run.gone) control->hookRun_ = run.outer;
        }
    } leave{this, run};
    for (std::size_t i = from; i < hooks.size(); ++i) {
        if (hooks[i]->removed) continue;
        run.next = i + 1;
        const bool taken = hooks[i]->hook(message);
        if (run.gone) return HookResult::Gone;
        if (run.passedOn) return HookResult::PassedOn;
        if (taken) return HookResult::Taken;
    }
    return HookResult::NotTaken;
}

void TWinControl::CallNextHook(TMessage& message)
{
    HookRun* run = hookRun_;
    if (!run) {
        windowProc_(message);
        return;
    }
    run->passedOn = true;
    const HookResult result = RunHooks(*run->hooks, run->next, message);
    const bool destroying = message.Msg == WM_DESTROY || message.Msg == WM_NCDESTROY;
    if (result == HookResult::NotTaken || (result == HookResult::Taken && destroying)) windowProc_(message);
}

LRESULT CALLBACK TWinControl::WindowProcedure(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control = FindControl(wnd);
    if (!control) {
        control = creatingControl;
        if (!control || control->handle_) return DefWindowProcA(wnd, msg, wParam, lParam);
        // Messages sent inside CreateWindowEx (WM_GETMINMAXINFO comes before WM_NCCREATE) bind the object.
        control->handle_ = wnd;
        SetPropA(wnd, ControlProp, control);
    }
    return control->MainWndProc(msg, wParam, lParam);
}

LRESULT TWinControl::MainWndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    const HWND wnd = handle_;
    try {
        // A copy: hooks may add or remove hooks (themselves included) while they run.
        const HookResult hooked = hooks_.empty() ? HookResult::NotTaken : RunHooks(HookList(hooks_), 0, message);
        if (hooked == HookResult::Gone) return message.Result;
        if (hooked == HookResult::NotTaken ||
            (hooked == HookResult::Taken && (msg == WM_DESTROY || msg == WM_NCDESTROY)))
            windowProc_(message);
    } catch (...) {
        if (TApplication* app = TApplicationRef::Get()) app->HandleException(this);
    }
    // The object may be gone now (a form freeing itself); only the last message touches it.
    if (msg == WM_NCDESTROY) {
        RemovePropA(wnd, ControlProp);
        if (handle_ == wnd) handle_ = nullptr;
        showing_ = false;
    }
    return message.Result;
}

// ---------------------------------------------------------------------------------------------------------------
// The message path

void TWinControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_SETFOCUS:
        if (TCustomForm* form = GetParentForm(this))
            if (!form->SetFocusedControl(this)) return;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: {
        const TPoint p(short(LOWORD(message.LParam)), short(HIWORD(message.LParam)));
        if (message.Msg == WM_MOUSEMOVE && handle_) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, handle_, 0};
            TrackMouseEvent(&tme);
            if (!GetCapture()) {
                TControl* under = ControlAtPos(p, true);
                detail::MouseMovedOver(under ? under : this);
            } else {
                UpdateMouseControl();
            }
        }
        TControl* target = captureControl_;
        if (!target) target = ControlAtPos(p, false);
        if (target) {
            TMessage forwarded = message;
            forwarded.LParam = MAKELPARAM(WORD(p.x - target->left_), WORD(p.y - target->top_));
            target->windowProc_(forwarded);
            message.Result = forwarded.Result;
            return;
        }
        break;
    }
    case WM_MOUSELEAVE:
        UpdateMouseControl();
        break;
    case WM_CAPTURECHANGED:
        if (TControl* c = captureControl_) {
            captureControl_ = nullptr;
            c->controlState_.Exclude(csClicked);
            c->controlState_.Exclude(csLButtonDown);
        }
        if (reinterpret_cast<HWND>(message.LParam) != handle_) {
            TControlState s = ControlState();
            s.Exclude(csClicked);
            s.Exclude(csLButtonDown);
            SetControlState(s);
        }
        break;
    default:
        break;
    }
    TControl::WndProc(message);
}

void TWinControl::Reflect(TMessage& message, HWND child)
{
    TWinControl* control = FindControl(child);
    if (!control && message.Msg == WM_MEASUREITEM && creatingControl && creatingControl->Parent() == this)
        control = creatingControl;  // the item is measured inside CreateWindowEx, before the window is bound
    if (!control || control == this) {
        DefaultHandler(message);
        return;
    }
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
        if (defWndProc_ == &DefWindowProcA || message.WParam) {
            PaintHandler(message);
        } else {
            DefaultHandler(message);
            if (!controls_.empty() && handle_) {
                HDC dc = GetDC(handle_);
                PaintControls(dc, nullptr);
                ReleaseDC(handle_, dc);
            }
        }
        return;
    case WM_ERASEBKGND:
        if (defWndProc_ != &DefWindowProcA) break;
        {
            const TRect r = ClientRect();
            FillRect(reinterpret_cast<HDC>(message.WParam), &r, brush_->Handle());
            message.Result = 1;
        }
        return;
    case WM_COMMAND:
        if (message.LParam) return Reflect(message, reinterpret_cast<HWND>(message.LParam));
        break;
    case WM_NOTIFY:
        return Reflect(message, reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom);
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
        if (dis->CtlType != ODT_MENU) return Reflect(message, dis->hwndItem);
        break;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        if (mis->CtlType != ODT_MENU) return Reflect(message, handle_ ? GetDlgItem(handle_, int(mis->CtlID)) : nullptr);
        break;
    }
    case WM_DELETEITEM:
        return Reflect(message, reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam)->hwndItem);
    case WM_COMPAREITEM:
        return Reflect(message, reinterpret_cast<COMPAREITEMSTRUCT*>(message.LParam)->hwndItem);
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
        if (message.LParam) return Reflect(message, reinterpret_cast<HWND>(message.LParam));
        break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return Reflect(message, reinterpret_cast<HWND>(message.LParam));
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        SetTextColor(dc, COLORREF(ColorToRGB(Font()->Color())));
        SetBkColor(dc, COLORREF(ColorToRGB(Color())));
        message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
        return;
    }
    case CN_KEYDOWN:
        CNKeyDown(message);
        return;
    case CN_CHAR:
        CNChar(message);
        return;
    case CN_SYSCHAR:
        if (TCustomForm* form = GetParentForm(this)) {
            TMessage m{CM_DIALOGCHAR, message.WParam, message.LParam, 0};
            form->Broadcast(m);
            message.Result = m.Result;
        }
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        WMKeyDown(message, true);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WMKeyDown(message, false);
        return;
    case WM_CHAR:
        WMChar(message);
        return;
    case WM_SETCURSOR:
        WMSetCursor(message);
        return;
    case WM_CONTEXTMENU:
        WMContextMenu(message);
        return;
    case WM_SETTEXT:
        DefaultHandler(message);
        text_ = message.LParam ? AnsiString(reinterpret_cast<const char*>(message.LParam)) : AnsiString();
        Perform(CM_TEXTCHANGED);
        return;
    case WM_WINDOWPOSCHANGED:
        UpdateBounds();
        break;
    case WM_SIZE:
        UpdateBounds();
        DefaultHandler(message);
        Realign();
        Resize();
        return;
    case WM_MOVE:
        UpdateBounds();
        break;
    case WM_SYSCOLORCHANGE:
        NotifyControls(CM_SYSCOLORCHANGE);
        break;
    case CM_SYSCOLORCHANGE:
        NotifyControls(CM_SYSCOLORCHANGE);
        Invalidate();
        return;
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        Broadcast(message);
        return;
    case CM_SHOWINGCHANGED:
        if (handle_)
            SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                             (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        return;
    case CM_VISIBLECHANGED:
        return;
    case CM_ENABLEDCHANGED:
        if (handle_) EnableWindow(handle_, Enabled());
        Invalidate();
        return;
    case CM_COLORCHANGED:
        brush_->SetColor(Color());
        Invalidate();
        NotifyControls(CM_PARENTCOLORCHANGED);
        return;
    case CM_FONTCHANGED:
        if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
        Invalidate();
        NotifyControls(CM_PARENTFONTCHANGED);
        return;
    case CM_CTL3DCHANGED:
        if (handle_ && ControlStyle().Contains(csFramed)) RecreateWnd();
        NotifyControls(CM_PARENTCTL3DCHANGED);
        return;
    case CM_PARENTCTL3DCHANGED:
        if (parentCtl3D_ && Parent() && Parent()->ctl3D_ != ctl3D_) {
            ctl3D_ = Parent()->ctl3D_;
            Perform(CM_CTL3DCHANGED);
        }
        return;
    case CM_SHOWHINTCHANGED:
        NotifyControls(CM_PARENTSHOWHINTCHANGED);
        return;
    default:
        if (message.Msg >= CN_BASE && message.Msg < CN_BASE + 0x400) return;  // not handled by this class
        break;
    }
    TControl::Dispatch(message);
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (!handle_ || (message.Msg >= CM_BASE && message.Msg <= CM_LAST) ||
        (message.Msg >= CN_BASE && message.Msg < CN_BASE + 0x400)) {
        TControl::DefaultHandler(message);
        return;
    }
    message.Result = CallWindowProcA(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::WMSetCursor(TMessage& message)
{
    if (LOWORD(message.LParam) == HTCLIENT && reinterpret_cast<HWND>(message.WParam) == handle_) {
        TCursor cursor = Screen->Cursor();
        if (cursor == crDefault) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(handle_, &p);
            TControl* c = captureControl_ ? captureControl_ : ControlAtPos(TPoint(p), false);
            cursor = c ? c->Cursor() : Cursor();
        }
        if (cursor != crDefault) {
            ::SetCursor(Screen->Cursors(cursor));
            message.Result = TRUE;
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::WMContextMenu(TMessage& message)
{
    TPoint p(short(LOWORD(message.LParam)), short(HIWORD(message.LParam)));
    if (message.LParam == -1) {
        p = ClientToScreen(TPoint(0, 0));
    } else {
        TControl* child = ControlAtPos(ScreenToClient(p), false);
        if (child && child->PopupMenu() && PopupMenuHook) {
            PopupMenuHook(child->PopupMenu(), child, p.x, p.y);
            message.Result = 1;
            return;
        }
    }
    if (PopupMenu() && PopupMenuHook) {
        PopupMenuHook(PopupMenu(), this, p.x, p.y);
        message.Result = 1;
        return;
    }
    DefaultHandler(message);
}

// ---------------------------------------------------------------------------------------------------------------
// Geometry

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == Left() && top == Top() && width == Width() && height == Height()) return;
    const bool resized = width != Width() || height != Height();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_ && !updatingBounds_) {
        // WM_WINDOWPOSCHANGED finds the fields equal, so it does not come back here; WM_SIZE realigns.
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (!handle_ && resized) {
        Realign();
        Resize();
    }
    RequestAlign();
}

void TWinControl::UpdateBounds()
{
    if (!handle_ || updatingBounds_) return;
    RECT r;
    if (!GetWindowRect(handle_, &r)) return;
    if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) {
        const HWND parent = GetParent(handle_);
        if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    } else if (IsIconic(handle_)) {
        return;  // a minimised window's rectangle is not its placement
    }
    updatingBounds_ = true;
    try {
        SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    } catch (...) {
        updatingBounds_ = false;
        throw;
    }
    updatingBounds_ = false;
}

TRect TWinControl::ClientRect() const
{
    if (handle_) {
        RECT r;
        GetClientRect(handle_, &r);
        return TRect(r);
    }
    return TControl::ClientRect();
}

void TWinControl::SetClientSize(int width, int height)
{
    if (!handle_) {
        TControl::SetClientSize(width, height);
        return;
    }
    const TRect c = ClientRect();
    SetBounds(Left(), Top(), Width() - c.Width() + width, Height() - c.Height() + height);
}

TPoint TWinControl::ClientOrigin() const
{
    if (handle_) {
        POINT p{0, 0};
        ::ClientToScreen(handle_, &p);
        return TPoint(p);
    }
    return TControl::ClientOrigin();
}

void TWinControl::SetVisible(bool value)
{
    if (value == Visible()) return;
    VisibleChanging();
    visible_ = value;
    Perform(CM_VISIBLECHANGED, value);
    UpdateShowing();
    RequestAlign();
}

void TWinControl::SetEnabled(bool value)
{
    if (value == Enabled()) return;
    if (!value && handle_ && (Focused() || ContainsControl(FindControl(GetFocus())))) {
        if (TCustomForm* form = GetParentForm(this))
            if (form != this) form->SelectNext(this, true, true);
    }
    TControl::SetEnabled(value);
}

void TWinControl::SetZOrder(bool topMost)
{
    if (!Parent()) {
        if (handle_)
            SetWindowPos(handle_, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    auto& list = Parent()->winControls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (topMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    if (handle_)
        SetWindowPos(handle_, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------------------------------
// Painting

void TWinControl::Invalidate()
{
    if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Update()
{
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

void TWinControl::PaintWindow(HDC dc)
{
    // A subclassed system control paints itself.
    if (defWndProc_ != &DefWindowProcA && handle_)
        CallWindowProcA(defWndProc_, handle_, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TWinControl::PaintHandler(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    PAINTSTRUCT ps{};
    struct End {
        HWND wnd;
        PAINTSTRUCT* ps;
        bool own;
        ~End()
        {
            if (own) EndPaint(wnd, ps);
        }
    } end{handle_, &ps, !dc && handle_};
    if (!dc) {
        if (!handle_) return;
        dc = BeginPaint(handle_, &ps);
    }
    const int saved = SaveDC(dc);
    for (TControl* c : controls_)
        if (c->visible_ && c->ControlStyle().Contains(csOpaque))
            ExcludeClipRect(dc, c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_);
    try {
        PaintWindow(dc);
    } catch (...) {
        RestoreDC(dc, saved);
        throw;
    }
    RestoreDC(dc, saved);
    PaintControls(dc, nullptr);
    message.Result = 0;
}

void TWinControl::PaintControls(HDC dc, TControl* first)
{
    std::size_t i = 0;
    if (first) {
        auto it = std::find(controls_.begin(), controls_.end(), first);
        if (it == controls_.end()) return;
        i = std::size_t(it - controls_.begin());
    }
    const std::vector<TControl*> list(controls_.begin() + std::ptrdiff_t(i), controls_.end());
    for (TControl* c : list) {
        if (!c->visible_) continue;
        RECT r = {c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_};
        if (!RectVisible(dc, &r)) continue;
        const int saved = SaveDC(dc);
        struct Restore {
            HDC dc;
            int saved;
            ~Restore() { RestoreDC(dc, saved); }
        } restore{dc, saved};
        OffsetViewportOrgEx(dc, c->left_, c->top_, nullptr);
        IntersectClipRect(dc, 0, 0, c->width_, c->height_);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::PaintTo(HDC dc, int x, int y)
{
    const int saved = SaveDC(dc);
    struct Restore {
        HDC dc;
        int saved;
        ~Restore() { RestoreDC(dc, saved); }
    } restore{dc, saved};
    OffsetViewportOrgEx(dc, x, y, nullptr);
    const TRect r = ClientRect();
    IntersectClipRect(dc, 0, 0, r.Width(), r.Height());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    for (TWinControl* c : winControls_)
        if (c->Visible()) c->PaintTo(dc, c->Left(), c->Top());
}

void TWinControl::SetCtl3D(bool value)
{
    parentCtl3D_ = false;
    if (value == ctl3D_) return;
    ctl3D_ = value;
    Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value)
{
    parentCtl3D_ = value;
    if (value) Perform(CM_PARENTCTL3DCHANGED);
}

// ---------------------------------------------------------------------------------------------------------------
// Focus and keys

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() const
{
    TCustomForm* form = GetParentForm(this);
    if (!form) return Visible() && Enabled();
    for (const TControl* c = this; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled()) return false;
        if (c == form) break;
    }
    return true;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = GetParentForm(this); form && form != this) {
        form->FocusControl(this);
        return;
    }
    ::SetFocus(Handle());
}

int TWinControl::TabOrder() const
{
    if (!Parent()) return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    value = std::clamp(value, 0, int(list.size()));
    list.insert(list.begin() + value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    const int n = int(list.size());
    auto it = std::find(list.begin(), list.end(), current);
    int i = it == list.end() ? (goForward ? -1 : n) : int(it - list.begin());
    for (int step = 0; step < n; ++step) {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* c = list[std::size_t(i)];
        if (c == current) break;
        if (c->CanFocus() && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this)) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, false)) next->SetFocus();
}

bool TWinControl::WantsKey(WORD key)
{
    const LRESULT code = Perform(WM_GETDLGCODE, key, 0);
    if (code & DLGC_WANTALLKEYS) return true;
    switch (key) {
    case VK_TAB:
        return (code & DLGC_WANTTAB) != 0;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        return (code & DLGC_WANTARROWS) != 0;
    default:
        return false;
    }
}

void TWinControl::CNKeyDown(TMessage& message)
{
    message.Result = 0;
    const WORD key = WORD(message.WParam);
    if (!IsDialogKey(key) || WantsKey(key)) return;
    if (TCustomForm* form = GetParentForm(this))
        message.Result = form->Perform(CM_DIALOGKEY, message.WParam, message.LParam);
}

void TWinControl::CNChar(TMessage& message)
{
    message.Result = 0;
    const unsigned char ch = static_cast<unsigned char>(message.WParam);
    if (ch < 0x20) return;
    if (Perform(WM_GETDLGCODE, message.WParam, 0) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return;
    if (TCustomForm* form = GetParentForm(this)) {
        TMessage m{CM_DIALOGCHAR, message.WParam, message.LParam, 0};
        form->Broadcast(m);
        message.Result = m.Result;
    }
}

void TWinControl::WMKeyDown(TMessage& message, bool down)
{
    WORD key = WORD(message.WParam);
    const TShiftState shift = KeyDataToShiftState(message.LParam);
    if (down)
        KeyDown(key, shift);
    else
        KeyUp(key, shift);
    if (key == 0) {
        message.Result = 0;
        return;
    }
    message.WParam = key;
    DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message)
{
    char key = char(message.WParam);
    KeyPress(key);
    if (key == 0) {
        message.Result = 0;
        return;
    }
    message.WParam = static_cast<unsigned char>(key);
    DefaultHandler(message);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (onKeyDown_) onKeyDown_(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (onKeyUp_) onKeyUp_(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (onKeyPress_) onKeyPress_(this, key);
}

void TWinControl::DoEnter()
{
    if (onEnter_) onEnter_(this);
}

void TWinControl::DoExit()
{
    if (onExit_) onExit_(this);
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>())
{
    canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() { canvas_->FreeHandle(); }

void TCustomControl::PaintWindow(HDC dc)
{
    struct Unbind {
        TControlCanvas* c;
        ~Unbind() { c->BindPaintDC(nullptr); }
    } unbind{canvas_.get()};
    canvas_->BindPaintDC(dc);
    Paint();
}
