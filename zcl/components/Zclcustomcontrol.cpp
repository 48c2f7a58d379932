#include "zcl/components/Zclcustomcontrol.h"

#include "framework/runtime/Handles.h"
#include "framework/visual/Forms.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/containers/Zclcont.h"

TZCLCustomControl::TZCLCustomControl(TComponent* AOwner)
    : TCustomControl(AOwner),
      core_(std::make_unique<TZCLControlCore>(this, TNotifyEvent(this, &TZCLCustomControl::GetIMLChange),
                                              TNotifyEvent(this, &TZCLCustomControl::GetChange)))
{
    SetBounds(Left(), Top(), 100, 40);
    SetTabStop(false);
}

TZCLCustomControl::~TZCLCustomControl() = default;

// ---------------------------------------------------------------------------------------------------------------
// Properties

void TZCLCustomControl::SetFlat(bool Value)
{
    if (Value == flat_) return;
    flat_ = Value;
    DoFlatChanged();
    if (flat_)
        RestoreBorderBack();
    else
        RestoreBorderFront();
}

void TZCLCustomControl::SetTransparent(bool Value)
{
    if (Value == transparent_) return;
    transparent_ = Value;
    ZCLSetOpaque(this, !Value);
    RecreateWnd();
}

TZCLCustomImageList* TZCLCustomControl::ImageList() const { return core_->ImageList(); }

void TZCLCustomControl::SetImageList(TZCLCustomImageList* Value)
{
    core_->SetImageList(Value);
    GetIMLChange(nullptr);
}

int TZCLCustomControl::ImageIndex() const { return core_->ImageIndex(); }

void TZCLCustomControl::SetImageIndex(int Value) { core_->SetImageIndex(Value); }

int TZCLCustomControl::ListIndex() const { return core_->ListIndex(); }

void TZCLCustomControl::SetIndex(int Index, int Value)
{
    if (core_->SetIndex(Index, Value) && core_->ImageList()) GetIMLChange(nullptr);
}

bool TZCLCustomControl::IMLEmpty() const { return core_->IMLEmpty(); }

bool TZCLCustomControl::HasControl() const { return core_->HasControl(); }

TZCLChangeLink* TZCLCustomControl::ChangeLink() const { return core_->ChangeLink(); }

TZCLBitmapEffectObject* TZCLCustomControl::BackFX() const { return core_->BackFX(); }

TRect TZCLCustomControl::GetScreenRect(const TRect& R) const { return ZCLScreenRect(this, R); }

// ---------------------------------------------------------------------------------------------------------------
// Background

TZCLBackSupplier* ZCLBackSupplier(const TControl* Control)
{
    return Control ? dynamic_cast<TZCLBackSupplier*>(Control->Parent()) : nullptr;
}

bool ZCLParentSuppliesBack(const TControl* Control)
{
    if (!Control) return false;
    TWinControl* parent = Control->Parent();
    if (TZCLBackSupplier* supplier = ZCLBackSupplier(Control))
        return parent->HandleAllocated() && supplier->BackBitmapCheck();
    if (auto* form = dynamic_cast<TCustomForm*>(parent)) return ZCLFormBackBitmapCheck(form);
    return false;
}

bool ZCLCopyBackArea(TZCLBackSupplier* Supplier, TBitmap* Back, TCanvas* Canvas, const TRect& Dest,
                     const TPoint& Src)
{
    if (!Supplier || !Back || Back->Empty() || !Canvas) return false;
    const TPoint at = Supplier->BackMapPoint(TPoint(Dest.left + Src.x, Dest.top + Src.y));
    Canvas->CopyRect(Dest, Back->Canvas(), TRect(at.x, at.y, at.x + Dest.Width(), at.y + Dest.Height()));
    return true;
}

bool TZCLCustomControl::CheckOptimized() { return transparent_ && BackBitmapCheck(); }

bool TZCLCustomControl::BackDrawArea(TCanvas*, const TRect&, const TPoint&, std::uint16_t) { return false; }

HPALETTE TZCLCustomControl::BackBitmapPalette()
{
    if (BackBitmapCheck()) return nullptr;
    if (TZCLBackSupplier* parent = ZCLBackSupplier(this))
        if (TBitmap* back = parent->BackBitmap()) return back->Palette();
    return nullptr;
}

HPALETTE TZCLCustomControl::GetPalette()
{
    if (transparent_)
        if (HPALETTE palette = BackBitmapPalette()) return palette;
    return TCustomControl::GetPalette();
}

bool TZCLCustomControl::DrawBackground(const TRect& R)
{
    return CheckOptimized() && BackDrawArea(Canvas(), R, TPoint(0, 0), 0);
}

void TZCLCustomControl::FillControl()
{
    const TRect r = ClientRect();
    if (!DrawBackground(r)) ZCLFillSolid(Canvas(), r, Color());
}

void TZCLCustomControl::RepBack(const TRect& R)
{
    if (!DrawBackground(R)) ZCLFillSolid(Canvas(), R, Color());
}

void TZCLCustomControl::InvalidateFrame()
{
    if (!Parent() || !Parent()->HandleAllocated()) return;
    const RECT r = BoundsRect();
    InvalidateRect(Parent()->Handle(), &r, TRUE);
}

void TZCLCustomControl::GetChange(TObject*)
{
    if (repaintOnChange_) Invalidate();
}

void TZCLCustomControl::GetIMLChange(TObject* Sender) { GetChange(Sender); }

// ---------------------------------------------------------------------------------------------------------------
// Painting

void TZCLCustomControl::DrawDashedFrame() { ZCLDrawDashedRect(Canvas(), Width(), Height()); }

void TZCLCustomControl::Paint()
{
    if (Loading()) return;
    FillControl();
    if (Designing()) {
        if (GetEmpty()) DrawDashedFrame();
        return;
    }
    // The background was painted over the frame: a flat control that is focused or under the mouse keeps its
    // 3D border.
    if (flat_ && (focused_ || mouseAbove_))
        RestoreBorderFront();
    else
        RestoreBorderBack();
}

void TZCLCustomControl::RestoreBorderBack()
{
    if (focused_ || !flat_ || mouseAbove_ || !HandleAllocated()) return;
    const HWND wnd = Handle();
    HDC dc = GetWindowDC(wnd);
    if (!dc) return;
    RECT r;
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    FrameRect(dc, &r, face);
    if (Ctl3D()) {
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, face);
    }
    ReleaseDC(wnd, dc);
}

void TZCLCustomControl::RestoreBorderFront()
{
    if (!HandleAllocated()) return;
    const HWND wnd = Handle();
    HDC dc = GetWindowDC(wnd);
    if (!dc) return;
    RECT r;
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    const HBRUSH frame = GetSysColorBrush(COLOR_WINDOWFRAME);
    if (Ctl3D()) {
        ++r.left;
        ++r.top;
        FrameRect(dc, &r, frame);
        OffsetRect(&r, -1, -1);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        ++r.right;
        ++r.bottom;
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    } else {
        FrameRect(dc, &r, frame);
    }
    ReleaseDC(wnd, dc);
}

// ---------------------------------------------------------------------------------------------------------------
// Focus and mouse

void TZCLCustomControl::DoEnter()
{
    TCustomControl::DoEnter();
    focused_ = true;
    if (flat_) RestoreBorderFront();
}

void TZCLCustomControl::DoExit()
{
    focused_ = false;
    RestoreBorderBack();
    TCustomControl::DoExit();
}

void TZCLCustomControl::MouseEnter()
{
    if (Enabled() && onMouseEnter_) onMouseEnter_(this);
    mouseAbove_ = true;
    // Under the mouse a flat control shows its 3D border.
    if (flat_ && !focused_) RestoreBorderFront();
}

void TZCLCustomControl::MouseExit()
{
    mouseAbove_ = false;
    if (!focused_) RestoreBorderBack();
    if (Enabled() && onMouseExit_) onMouseExit_(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Component

void TZCLCustomControl::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
    Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TZCLCustomControl::Loaded()
{
    TCustomControl::Loaded();
    if (ZCLIsCollectionImageList(core_->ImageList())) GetIMLChange(nullptr);
}

void TZCLCustomControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (core_) core_->Notification(AComponent, Operation);
}

void TZCLCustomControl::DefineProperties(TFiler* Filer)
{
    TCustomControl::DefineProperties(Filer);
    core_->DefineProperties(Filer, Closure<void(TZCLCustomImageList*)>(this, &TZCLCustomControl::SetImageList));
}

void TZCLCustomControl::RedrawBack()
{
    core_->DropBackBuffer();
    if (CheckOptimized()) {
        Repaint();
        NotifyControls(CM_ZCLBACKCHANGED);
    } else {
        Invalidate();
    }
}

void TZCLCustomControl::Dispatch(TMessage& Message)
{
    const bool mine = Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(this);
    switch (Message.Msg) {
    case CM_ZCLBACKCHANGED:
        if (!Loading() && !ComponentState().Contains(csDestroying)) RedrawBack();
        return;
    case CM_ZCLSCROLLBOXSCROLLEVENT:
        if (CheckOptimized()) NotifyControls(CM_ZCLBACKCHANGED);
        return;
    case CM_ZCLAFTERENTER:
        if (onAfterEnter_) onAfterEnter_(this);
        return;
    case CM_ZCLAFTEREXIT:
        if (onAfterExit_) onAfterExit_(this);
        return;
    case CM_MOUSEENTER:
        TCustomControl::Dispatch(Message);
        if (mine) MouseEnter();
        return;
    case CM_MOUSELEAVE:
        TCustomControl::Dispatch(Message);
        if (mine) MouseExit();
        return;
    case CM_SYSCOLORCHANGE:
        // A transparent control shows its parent's colours, which the parent redraws.
        if (transparent_) {
            NotifyControls(CM_SYSCOLORCHANGE);
            return;
        }
        break;
    case WM_ERASEBKGND:
        // Painting draws the parent's picture; erasing first would only flicker.
        if (CheckOptimized()) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_SETFOCUS:
        TCustomControl::Dispatch(Message);
        if (HandleAllocated()) PostMessageA(Handle(), CM_ZCLAFTERENTER, 0, 0);
        return;
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(Message);
        if (HandleAllocated()) PostMessageA(Handle(), CM_ZCLAFTEREXIT, 0, 0);
        return;
    case WM_MOVE:
        TCustomControl::Dispatch(Message);
        if (CheckOptimized()) {
            core_->DropBackBuffer();
            Repaint();
            for (int i = 0; i < ControlCount(); ++i) Controls(i)->Repaint();
        }
        return;
    case WM_SIZE:
        TCustomControl::Dispatch(Message);
        RedrawBack();
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}
