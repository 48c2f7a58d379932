// Hint windows and the application's hint timing: the pause before a hint shows, the time it stays, and what
// hides it (leaving its control, a click, a key).

#include "framework/visual/Hints.h"

#include "framework/visual/ControlsPrivate.h"
#include "framework/visual/Forms.h"

AnsiString GetShortHint(const AnsiString& hint)
{
    const std::string& s = hint.str();
    const std::size_t bar = s.find('|');
    return bar == std::string::npos ? hint : AnsiString(s.substr(0, bar));
}

AnsiString GetLongHint(const AnsiString& hint)
{
    const std::string& s = hint.str();
    const std::size_t bar = s.find('|');
    return bar == std::string::npos ? hint : AnsiString(s.substr(bar + 1));
}

AnsiString GetHint(const TControl* control)
{
    for (; control; control = control->Parent())
        if (!control->Hint().IsEmpty()) return control->Hint();
    return AnsiString();
}

// ---------------------------------------------------------------------------------------------------------------
// THintWindow

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    SetVisible(false);
    SetColor(clInfoBk);
    Font()->SetColor(clInfoText);
}

THintWindow::~THintWindow() = default;

void THintWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    // A tool window shown without activation is left alone by the window manager: it shows and hides at once.
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    params.WndParent = Application->Handle();
    params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int maxWidth, const AnsiString& hint)
{
    RECT r{0, 0, maxWidth, 0};
    Canvas()->Font()->Assign(Font());
    DrawTextA(Canvas()->Handle(), hint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    // Text margins, then the border.
    r.right += 6 + 2;
    r.bottom += 2 + 2;
    return TRect(r);
}

void THintWindow::ActivateHint(TRect rect, const AnsiString& hint)
{
    SetCaption(hint);
    const int w = rect.Width(), h = rect.Height();
    if (rect.right > Screen->Width()) rect.left = Screen->Width() - w;
    if (rect.bottom > Screen->Height()) rect.top = Screen->Height() - h;
    if (rect.left < 0) rect.left = 0;
    if (rect.top < 0) rect.top = 0;
    SetBounds(rect.left, rect.top, w, h);
    if (Visible()) {
        Invalidate();
        return;
    }
    SetVisible(true);
}

void THintWindow::ReleaseHint() { SetVisible(false); }

void THintWindow::Paint()
{
    TRect r = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(r);
    Canvas()->Font()->Assign(Font());
    HDC dc = Canvas()->Handle();
    SetBkMode(dc, TRANSPARENT);
    RECT text{r.left + 2, r.top, r.right, r.bottom};
    const AnsiString caption = Caption();
    DrawTextA(dc, caption.c_str(), -1, &text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_NCHITTEST:  // the pointer goes through to what lies under the hint
        message.Result = HTTRANSPARENT;
        return;
    case WM_MOUSEACTIVATE:
        message.Result = MA_NOACTIVATE;
        return;
    case CM_SHOWINGCHANGED:
        if (HandleAllocated())
            SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (Showing() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// The application's hints

namespace {

constexpr UINT_PTR PauseTimer = 1;
constexpr UINT_PTR HideTimer = 2;
// How far below the pointer's tip the hint stands, clear of the arrow.
constexpr int CursorMargin = 20;

TControl* hintControl = nullptr;     // whose hint is pending or shown; not owned, cleared when it goes
THintWindow* hintWindow = nullptr;   // owned by the application; cleared when it goes
HWND timerWindow = nullptr;          // made on first use, lives as long as the thread

void StopTimers()
{
    if (!timerWindow) return;
    KillTimer(timerWindow, PauseTimer);
    KillTimer(timerWindow, HideTimer);
}

void ShowPendingHint();

void TimerMessage(TMessage& message)
{
    if (message.Msg != WM_TIMER) {
        message.Result = DefWindowProcA(timerWindow, message.Msg, message.WParam, message.LParam);
        return;
    }
    KillTimer(timerWindow, message.WParam);
    if (message.WParam == PauseTimer)
        ShowPendingHint();
    else if (message.WParam == HideTimer)
        Application->HideHint();
}

void StartTimer(UINT_PTR id, int ms)
{
    if (!timerWindow) timerWindow = AllocateHWnd(TWndMethod::From(&TimerMessage));
    if (timerWindow) SetTimer(timerWindow, id, UINT(ms > 0 ? ms : USER_TIMER_MINIMUM), nullptr);
}

// The control that shows the hint for the control under the pointer: the nearest one up the chain whose
// ShowHint is on.
TControl* HintControlAt(TControl* under)
{
    for (TControl* c = under; c; c = c->Parent())
        if (c->ShowHint()) return c;
    return nullptr;
}

void PointerOver(TApplication* app, TControl* under)
{
    if (under && under == hintWindow) return;
    app->SetHint(GetLongHint(GetHint(under)));
    TControl* target = app->ShowHint() ? HintControlAt(under) : nullptr;
    if (target == hintControl) return;
    app->HideHint();
    hintControl = target;
    if (target && !GetShortHint(GetHint(target)).IsEmpty()) StartTimer(PauseTimer, app->HintPause());
}

void ShowPendingHint()
{
    // The pointer may have gone meanwhile without a message telling so.
    UpdateMouseControl();
    if (!hintControl) return;
    const AnsiString text = GetShortHint(GetHint(hintControl));
    if (text.IsEmpty()) return;
    TApplication* app = Application;
    if (!hintWindow) hintWindow = new THintWindow(app);
    hintWindow->SetColor(app->HintColor());
    POINT p{};
    GetCursorPos(&p);
    TRect r = hintWindow->CalcHintRect(Screen->Width(), text);
    r = Bounds(p.x, p.y + CursorMargin, r.Width(), r.Height());
    hintWindow->ActivateHint(r, text);
    // A hide pause of 0 leaves the hint up until something else hides it.
    if (app->HintHidePause() > 0) StartTimer(HideTimer, app->HintHidePause());
}

}  // namespace

namespace detail {

void HintMouseControlChanged(TControl* control)
{
    if (TApplication* app = TApplicationRef::Get()) PointerOver(app, control);
}

void HintControlGone(TControl* control)
{
    if (control == hintWindow) hintWindow = nullptr;
    if (control != hintControl) return;
    hintControl = nullptr;
    StopTimers();
    if (hintWindow) hintWindow->ReleaseHint();
}

}  // namespace detail

void TApplication::SetShowHint(bool value)
{
    if (value == showHint_) return;
    showHint_ = value;
    if (!value) CancelHint();
}

void TApplication::SetHintColor(TColor value)
{
    hintColor_ = value;
    if (hintWindow) hintWindow->SetColor(value);
}

void TApplication::SetHint(const AnsiString& value)
{
    if (value == hint_) return;
    hint_ = value;
    if (onHint_) onHint_(this);
}

void TApplication::HideHint()
{
    StopTimers();
    if (hintWindow) hintWindow->ReleaseHint();
}

void TApplication::CancelHint()
{
    HideHint();
    hintControl = nullptr;
}

void TApplication::HintMouseMessage(TControl* control, TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEMOVE:
        PointerOver(this, control);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        CancelHint();
        break;
    default:
        break;
    }
}

THintWindow* TApplication::HintWindow() const { return hintWindow; }
