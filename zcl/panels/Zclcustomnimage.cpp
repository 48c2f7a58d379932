#include "zcl/panels/Zclcustomnimage.h"

#include <optional>

#include "framework/runtime/Handles.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

// Clips a DC to a rectangle in its own (logical) units, within the clip region it has, and gives that region back
// at the end. A windowless control's DC has its origin moved, and the control may be drawn anywhere (off-screen,
// at a negative position in a scrolled parent), so the rectangle is not turned into device units by hand.
class LogicalClip {
public:
    LogicalClip(HDC dc, const TRect& r) : dc_(dc), saved_(CreateRectRgn(0, 0, 0, 0))
    {
        had_ = saved_ && GetClipRgn(dc, saved_.get()) == 1;
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    LogicalClip(const LogicalClip&) = delete;
    LogicalClip& operator=(const LogicalClip&) = delete;
    ~LogicalClip() { SelectClipRgn(dc_, had_ ? saved_.get() : nullptr); }

private:
    HDC dc_;
    RegionHandle saved_;
    bool had_ = false;
};

}  // namespace

TZCLCustomNImage::TZCLCustomNImage(TComponent* AOwner)
    : TZCLBaseImage(AOwner), bitmap_(std::make_unique<TBitmap>()),
      transparentStyle_(std::make_unique<TZCLTransparent>())
{
    bitmap_->SetOnChange(TNotifyEvent(this, &TZCLCustomNImage::GetChange));
    transparentStyle_->SetOnChange(TNotifyEvent(this, &TZCLCustomNImage::GetChange));
}

TZCLCustomNImage::~TZCLCustomNImage()
{
    bitmap_->SetOnChange(TNotifyEvent());
    transparentStyle_->SetOnChange(TNotifyEvent());
    if (control_) control_->RemoveFreeNotification(this);
}

void TZCLCustomNImage::SetBitmap(TBitmap* Value)
{
    if (Value == bitmap_.get()) return;
    if (Value) bitmap_->Assign(Value);
    else bitmap_->SetSize(0, 0);
    GetChange(bitmap_.get());
}

void TZCLCustomNImage::SetControl(TZCLCustomNImage* Value)
{
    if (Value == this || Value == control_) return;
    if (control_) control_->RemoveFreeNotification(this);
    control_ = Value;
    if (control_) control_->FreeNotification(this);
    GetChange(this);
}

TBitmap* TZCLCustomNImage::GetBitmap() { return control_ ? control_->Bitmap() : bitmap_.get(); }

bool TZCLCustomNImage::GetEmpty()
{
    TBitmap* bitmap = GetBitmap();
    return !bitmap || bitmap->Empty();
}

HPALETTE TZCLCustomNImage::GetPalette() { return GetEmpty() ? nullptr : GetBitmap()->Palette(); }

bool TZCLCustomNImage::CorrectBounds()
{
    if (Style() != sbAutosize) return false;
    const bool empty = GetEmpty();
    const int width = (empty ? 20 : GetBitmap()->Width()) + DblBevelExt();
    const int height = (empty ? 20 : GetBitmap()->Height()) + DblBevelExt();
    if (width == Width() && height == Height()) return false;
    SetBounds(Left(), Top(), width, height);
    return true;
}

void TZCLCustomNImage::GetChange(TObject* Sender)
{
    if (!Loading()) CorrectBounds();
    TZCLBaseImage::GetChange(Sender);
}

void TZCLCustomNImage::Loaded()
{
    TZCLBaseImage::Loaded();
    CorrectBounds();
}

void TZCLCustomNImage::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLBaseImage::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == control_) {
        control_ = nullptr;
        if (!ComponentState().Contains(csDestroying)) GetChange(this);
    }
}

void TZCLCustomNImage::Paint()
{
    if (Loading()) return;
    const bool empty = GetEmpty();
    if (empty && BevelExt() == 0) {
        TZCLBaseImage::Paint();
        return;
    }
    TCanvas* canvas = Canvas();
    if (!Transparent()) FillControl();
    TRect inner;
    Bevel()->PaintBevel(canvas, ClientRect(), Transparent(), inner);
    if (empty) return;

    TBitmap* source = GetBitmap();
    std::uint16_t flags = 0;
    TColor transparentColor = clNone;
    switch (transparentStyle_->Mode()) {
    case tpRestoreBack:
        flags = ZCLBmpTransparent;
        transparentColor = source->TransparentColor();
        break;
    case tpTransparentColor:
        flags = ZCLBmpReplace;
        transparentColor = transparentStyle_->Color();
        break;
    case tpRBTranspColor:
        flags = ZCLBmpTransparent;
        transparentColor = transparentStyle_->Color();
        break;
    case tpNone: break;
    }
    flags = AddStyleFlags(flags);

    HDC dc = canvas->Handle();
    HPALETTE oldPalette = nullptr;
    if (!QuickDraw())
        if (HPALETTE palette = source->Palette()) {
            oldPalette = SelectPalette(dc, palette, TRUE);
            RealizePalette(dc);
        }
    // The effects work on a copy; without any the picture is drawn as it is.
    TBitmap copy;
    TBitmap* shown = source;
    if (BackFX()->Enabled()) {
        copy.Assign(source);
        copy.SetPixelFormat(pf24bit);
        BackFX()->Draw(&copy);
        shown = &copy;
    }
    {
        std::optional<LogicalClip> clip;
        if (flags & ZCLBmpClip) clip.emplace(dc, inner);
        ZCLBmpDraw(canvas, inner, shown, transparentColor, std::uint16_t(flags & ~ZCLBmpClip));
    }
    if (oldPalette) SelectPalette(canvas->Handle(), oldPalette, TRUE);
}
