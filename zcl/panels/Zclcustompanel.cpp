#include "zcl/panels/Zclcustompanel.h"

#include "framework/visual/Forms.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclregion.h"

TZCLCustomPanel::TZCLCustomPanel(TComponent* AOwner) : TZCLCustomControl(AOwner)
{
    SetControlStyle(
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks, csReplicatable});
    SetColor(clBtnFace);
}

TZCLBackSupplier* TZCLCustomPanel::SupplierParent() const { return ZCLBackSupplier(this); }

TPoint TZCLCustomPanel::HalfBorder() const
{
    return TPoint((Width() - ClientWidth()) / 2, (Height() - ClientHeight()) / 2);
}

bool TZCLCustomPanel::BackBitmapCheck()
{
    if (!Transparent()) return false;
    if (TZCLBackSupplier* parent = SupplierParent()) return Parent()->HandleAllocated() && parent->BackBitmapCheck();
    if (auto* form = dynamic_cast<TCustomForm*>(Parent())) return ZCLFormBackBitmapCheck(form);
    return false;
}

TBitmap* TZCLCustomPanel::BackBitmap()
{
    if (!BackBitmapCheck()) return nullptr;
    TBitmap* back = nullptr;
    if (TZCLBackSupplier* parent = SupplierParent()) back = parent->BackBitmap();
    else if (TZCLFormShape* shape = ZCLFormShapeOf(dynamic_cast<TCustomForm*>(Parent()))) back = shape->BackBitmap();
    if (back && BackFX()->Enabled()) back->SetPixelFormat(pf24bit);
    return back;
}

TPoint TZCLCustomPanel::BackMapPoint(const TPoint& P)
{
    if (!BackBitmapCheck()) return P;
    TPoint origin(Left(), Top());
    if (TZCLBackSupplier* parent = SupplierParent()) origin = parent->BackMapPoint(origin);
    const TPoint half = HalfBorder();
    return TPoint(P.x + origin.x + half.x, P.y + origin.y + half.y);
}

bool TZCLCustomPanel::BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, std::uint16_t)
{
    if (!Canvas || Loading() || Destroying() || !BackBitmapCheck()) return false;
    TBitmap* back = BackBitmap();
    if (!back || back->Empty()) return false;
    const TRect from(Dest.left + Src.x, Dest.top + Src.y, Dest.right + Src.x, Dest.bottom + Src.y);
    TZCLBitmapEffectObject* fx = BackFX();
    if (!fx->Enabled()) {
        const TPoint at = BackMapPoint(TPoint(from.left, from.top));
        Canvas->CopyRect(Dest, back->Canvas(), TRect(at.x, at.y, at.x + from.Width(), at.y + from.Height()));
        return true;
    }
    // The effects work on the whole client area (a flipped background is the whole panel's mirror, not each
    // piece's), kept in the effect object's buffer while it is buffered; the piece asked for is cut from it.
    const TRect client = ClientRect();
    const TPoint origin = BackMapPoint(TPoint(0, 0));
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(client.Width() + 2, client.Height() + 2);
    fx->DrawCutRect2(back, TRect(origin.x, origin.y, origin.x + client.Width(), origin.y + client.Height()), client,
                     &picture);
    Canvas->CopyRect(Dest, picture.Canvas(), from);
    return true;
}
