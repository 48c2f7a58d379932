#include "zcl/panels/Zclcustomparentpanel.h"

#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclutilsdraw.h"

TZCLCustomParentPanel::TZCLCustomParentPanel(TComponent* AOwner) : TZCLCustomBevelPanel(AOwner) {}

TZCLCustomParentPanel::~TZCLCustomParentPanel() = default;

bool TZCLCustomParentPanel::PrepareBack(bool Force)
{
    const TRect client = ClientRect();
    if (!back_) {
        back_ = std::make_unique<TBitmap>();
        Force = true;
    }
    if (!Force && client.Width() <= back_->Width() && client.Height() <= back_->Height()) return false;
    back_->SetSize(client.Width(), client.Height());
    return true;
}

void TZCLCustomParentPanel::CreateBack(bool Force)
{
    if (IMLEmpty() || Transparent()) {
        FreeBack();
        return;
    }
    if (!PrepareBack(Force)) return;
    // Tiled, with palette handling unless the application realises palettes itself.
    std::uint16_t flags = 0x20;
    if (!ZCLPaletteLeftToApplication()) flags |= 0x1000;
    const TRect whole(0, 0, back_->Width(), back_->Height());
    ImageList()->ClipDraw(back_->Canvas(), whole, flags, 0, Color(), ListIndex(), ImageIndex());
}

bool TZCLCustomParentPanel::BackBitmapCheck() { return Back() || TZCLCustomBevelPanel::BackBitmapCheck(); }

TBitmap* TZCLCustomParentPanel::BackBitmap()
{
    if (TBitmap* own = Back()) return own;
    return TZCLCustomBevelPanel::BackBitmap();
}

TPoint TZCLCustomParentPanel::BackMapPoint(const TPoint& P)
{
    if (Back()) return P;
    return TZCLCustomBevelPanel::BackMapPoint(P);
}

bool TZCLCustomParentPanel::BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, std::uint16_t Flags)
{
    TBitmap* own = Back();
    if (!own) return TZCLCustomBevelPanel::BackDrawArea(Canvas, Dest, Src, Flags);
    if (!Canvas) return false;
    TRect dest = Dest;
    TPoint from(Dest.left + Src.x, Dest.top + Src.y);
    // Its own background: only what the canvas may paint. A child asking for a piece keeps its offset.
    if (Dest == ClientRect() && Src.x == 0 && Src.y == 0) {
        RECT clip;
        RECT part;
        if (GetClipBox(Canvas->Handle(), &clip) != ERROR && IntersectRect(&part, &clip, &Dest)) {
            dest = TRect(part);
            from = TPoint(part.left, part.top);
        }
    }
    HDC dc = Canvas->Handle();
    HPALETTE palette = quickDraw_ ? nullptr : own->Palette();
    HPALETTE old = nullptr;
    if (palette) {
        old = SelectPalette(dc, palette, TRUE);
        RealizePalette(dc);
    }
    Canvas->CopyRect(dest, own->Canvas(), TRect(from.x, from.y, from.x + dest.Width(), from.y + dest.Height()));
    if (palette) SelectPalette(dc, old, TRUE);
    return true;
}

bool TZCLCustomParentPanel::CheckOptimized() { return Back() || BackBitmapCheck(); }

void TZCLCustomParentPanel::GetIMLChange(TObject* Sender)
{
    CreateBack(true);
    GetChange(Sender);
    NotifyControls(CM_ZCLBACKCHANGED);
}

HPALETTE TZCLCustomParentPanel::GetPalette()
{
    if (ImageList() && !IMLEmpty()) return ImageList()->Palette(ListIndex());
    return TZCLCustomBevelPanel::GetPalette();
}

void TZCLCustomParentPanel::Loaded()
{
    TZCLCustomBevelPanel::Loaded();
    if (Designing()) CreateBack(true);
}

void TZCLCustomParentPanel::Notification(TComponent* AComponent, TOperation Operation)
{
    const bool hadList = ImageList() != nullptr;
    TZCLCustomBevelPanel::Notification(AComponent, Operation);
    // The list went: so does the picture made from it.
    if (hadList && !ImageList() && !ComponentState().Contains(csDestroying)) {
        FreeBack();
        Invalidate();
        NotifyControls(CM_ZCLBACKCHANGED);
    }
}

void TZCLCustomParentPanel::Paint()
{
    if (Loading()) return;
    FillControl();
    if (Designing() && GetEmpty() && IMLEmpty()) {
        DrawDashedFrame();
        return;
    }
    TRect inner;
    Bevel()->PaintBevel(Canvas(), ClientRect(), true, inner);
}

void TZCLCustomParentPanel::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_SIZE && !Loading()) CreateBack(false);
    TZCLCustomBevelPanel::Dispatch(Message);
}
