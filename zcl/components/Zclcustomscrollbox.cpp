#include "zcl/components/Zclcustomscrollbox.h"

#include <algorithm>

#include "zcl/components/Zclcontrol.h"
#include "zcl/components/ZclcontrolPrivate.h"

TZCLScrollBoxBevel::TZCLScrollBoxBevel()
{
    SetNativeBorder(true);
    SetMode(bmWindows);
}

TZCLCustomScrollBox::TZCLCustomScrollBox(TComponent* AOwner)
    : TScrollBox(AOwner), bevel_(std::make_unique<TZCLScrollBoxBevel>()), canvas_(std::make_unique<TControlCanvas>())
{
    canvas_->SetControl(this);
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csReplicatable});
    TScrollBox::SetBorderStyle(bsNone);
    SetBounds(Left(), Top(), 185, 41);
    bevel_->SetOnChange(TNotifyEvent(this, &TZCLCustomScrollBox::GetChange));
}

TZCLCustomScrollBox::~TZCLCustomScrollBox()
{
    bevel_->SetOnChange(TNotifyEvent());
    canvas_->FreeHandle();
}

// ---------------------------------------------------------------------------------------------------------------
// Properties

void TZCLCustomScrollBox::SetBevel(TZCLBevel* Value)
{
    if (!Value || Value == bevel_.get()) return;
    // The copy brings the other bevel's border flag; this frame stays the window's border.
    bevel_->BeginUpdate();
    bevel_->Assign(Value);
    bevel_->SetNativeBorder(true);
    bevel_->EndUpdate(true);
}

void TZCLCustomScrollBox::SetTransparent(bool Value)
{
    if (Value == transparent_) return;
    transparent_ = Value;
    ZCLSetOpaque(this, !Value);
    RecreateWnd();
    Invalidate();
}

void TZCLCustomScrollBox::SetStepCounting(bool Value)
{
    stepCounting_ = Value;
    steps_ = 0;
}

void TZCLCustomScrollBox::SetDelta(int Value)
{
    if (Value == 0) return;
    delta_ = Value;
    steps_ = 0;
}

void TZCLCustomScrollBox::GetChange(TObject* Sender)
{
    if (Loading()) return;
    if (Sender == bevel_.get() && HandleAllocated()) {
        // The window's own border comes and goes with the Windows mode; other frames are the non-client area's.
        const bool native = (GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ||
                            (GetWindowLongA(Handle(), GWL_STYLE) & WS_BORDER);
        const bool wanted = bevel_->Mode() == bmWindows;
        if (bevel_->GetRecreateWnd() || native != wanted)
            RecreateWnd();
        else
            SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                         SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Realign();
    }
    Invalidate();
}

// ---------------------------------------------------------------------------------------------------------------
// The parent's picture

bool TZCLCustomScrollBox::BackBitmapCheck() { return transparent_ && ZCLParentSuppliesBack(this); }

TBitmap* TZCLCustomScrollBox::BackBitmap()
{
    if (!BackBitmapCheck()) return nullptr;
    TZCLBackSupplier* parent = ZCLBackSupplier(this);
    return parent ? parent->BackBitmap() : nullptr;
}

TPoint TZCLCustomScrollBox::ClientOffset()
{
    if (!HandleAllocated()) return TPoint(0, 0);
    RECT window;
    GetWindowRect(Handle(), &window);
    POINT client{0, 0};
    ::ClientToScreen(Handle(), &client);
    return TPoint(client.x - window.left, client.y - window.top);
}

TPoint TZCLCustomScrollBox::BackMapPoint(const TPoint& P)
{
    if (!BackBitmapCheck()) return P;
    TPoint origin(Left(), Top());
    if (TZCLBackSupplier* parent = ZCLBackSupplier(this)) origin = parent->BackMapPoint(origin);
    // Measured on the window: frames need not be even, and the scroll bars take one side only.
    const TPoint offset = ClientOffset();
    return TPoint(P.x + origin.x + offset.x, P.y + origin.y + offset.y);
}

bool TZCLCustomScrollBox::BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, std::uint16_t)
{
    if (Loading() || Destroying() || !BackBitmapCheck()) return false;
    return ZCLCopyBackArea(this, BackBitmap(), Canvas, Dest, Src);
}

void TZCLCustomScrollBox::PaintBack(HDC DC)
{
    canvas_->BindPaintDC(DC);
    if (!BackDrawArea(canvas_.get(), ClientRect(), TPoint(0, 0), 0)) ZCLFillSolid(canvas_.get(), ClientRect(), Color());
    canvas_->BindPaintDC(nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Window

void TZCLCustomScrollBox::CreateParams(TCreateParams& Params)
{
    TScrollBox::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
    Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
    if (bevel_->Mode() != bmWindows) return;
    if (NewStyleControls && Ctl3D())
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
        Params.Style |= WS_BORDER;
}

void TZCLCustomScrollBox::NCCalcSize(TMessage& Message)
{
    TScrollBox::Dispatch(Message);
    const int e = bevel_->GetBevelExtend();
    if (e <= 0) return;
    RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                             : reinterpret_cast<RECT*>(Message.LParam);
    r->left += e;
    r->top += e;
    r->right = std::max(r->left, r->right - e);
    r->bottom = std::max(r->top, r->bottom - e);
}

void TZCLCustomScrollBox::NCPaint()
{
    if (!HandleAllocated()) return;
    const HWND wnd = Handle();
    HDC dc = GetWindowDC(wnd);
    if (!dc) return;
    TCanvas canvas;
    canvas.SetHandle(dc);
    RECT window;
    GetWindowRect(wnd, &window);
    TRect inner;
    bevel_->PaintBevel(&canvas, TRect(0, 0, window.right - window.left, window.bottom - window.top), false, inner);
    const LONG style = GetWindowLongA(wnd, GWL_STYLE);
    if ((style & WS_HSCROLL) && (style & WS_VSCROLL)) {
        // The square where the bars meet shows what lies behind the box.
        const TPoint offset = ClientOffset();
        RECT client;
        GetClientRect(wnd, &client);
        const TRect corner(offset.x + client.right, offset.y + client.bottom,
                           offset.x + client.right + GetSystemMetrics(SM_CXVSCROLL),
                           offset.y + client.bottom + GetSystemMetrics(SM_CYHSCROLL));
        if (!(CheckOptimized() && BackDrawArea(&canvas, corner, TPoint(-offset.x, -offset.y), 0)))
            ZCLFillSolid(&canvas, corner, Color());
    }
    canvas.SetHandle(nullptr);
    ReleaseDC(wnd, dc);
}

void TZCLCustomScrollBox::Scrolled(int Code)
{
    bool refresh = Code == SB_ENDSCROLL;
    if (stepCounting_ && ++steps_ >= delta_) refresh = true;
    if (!refresh) return;
    steps_ = 0;
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
    NotifyControls(CM_ZCLSCROLLBOXSCROLLEVENT);
}

void TZCLCustomScrollBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCCALCSIZE:
        NCCalcSize(Message);
        return;
    case WM_NCPAINT:
        TScrollBox::Dispatch(Message);
        NCPaint();
        return;
    case WM_ERASEBKGND:
        if (CheckOptimized()) {
            // Children clip themselves out of the DC: only what lies between them is painted.
            PaintBack(reinterpret_cast<HDC>(Message.WParam));
            Message.Result = 1;
            return;
        }
        break;
    case WM_MOVE:
        TScrollBox::Dispatch(Message);
        if (CheckOptimized()) {
            Repaint();
            NotifyControls(CM_ZCLBACKCHANGED);
        }
        return;
    case CM_ZCLBACKCHANGED:
        Invalidate();
        if (CheckOptimized()) NotifyControls(CM_ZCLBACKCHANGED);
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        TScrollBox::Dispatch(Message);
        if (Message.LParam == 0 && CheckOptimized()) Scrolled(LOWORD(Message.WParam));
        return;
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED:
        TScrollBox::Dispatch(Message);
        if (!transparent_ && HandleAllocated()) {
            Invalidate();
            const LONG style = GetWindowLongA(Handle(), GWL_STYLE);
            if ((style & WS_HSCROLL) && (style & WS_VSCROLL)) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        }
        return;
    case CM_CTL3DCHANGED:
        TScrollBox::Dispatch(Message);
        if (bevel_->Mode() == bmWindows && HandleAllocated()) RecreateWnd();
        return;
    default:
        break;
    }
    TScrollBox::Dispatch(Message);
}
