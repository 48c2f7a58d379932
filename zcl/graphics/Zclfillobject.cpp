#include "zcl/graphics/Zclfillobject.h"

#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/graphics/Zclutilsbmp.h"
#include "zcl/graphics/Zclutilsdraw.h"
#include "zcl/graphics/ZclutilsdrawPrivate.h"

namespace {

const bool fillObjectPublished = [] {
    // Style again: a fill object starts without a fill, so its stored default differs from the shape fill's.
    PublishedProperties<TZCLFillObject>()
        .Enumeration("Style", &TZCLFillObject::Style, &TZCLFillObject::SetStyle,
                     {"sfNone", "sfBrushBitmap", "sfBrush", "sfBitmap", "sfBitmapList", "sfGradient"}, sfNone)
        .Enumeration("Alignment", &TZCLFillObject::Alignment, &TZCLFillObject::SetAlignment,
                     {"agTopLeft", "agTopCenter", "agTopRight", "agCenterLeft", "agCenter", "agCenterRight",
                      "agBottomLeft", "agBottomCenter", "agBottomRight"},
                     agTopLeft)
        .Integer("OffsetX", &TZCLFillObject::OffsetX, &TZCLFillObject::SetOffsetX, 0)
        .Integer("OffsetY", &TZCLFillObject::OffsetY, &TZCLFillObject::SetOffsetY, 0)
        .Object("Brush", &TZCLFillObject::Brush, &TZCLFillObject::SetBrush)
        .Set("Options", &TZCLFillObject::Options, &TZCLFillObject::SetOptions,
             {"foFillInner", "foQuickDraw", "foGrUseBitmap"}, TZCLFillOptions{foFillInner, foGrUseBitmap});
    return true;
}();

}  // namespace

TZCLFillObject::TZCLFillObject() : TZCLShapeFill(sfNone), brush_(std::make_unique<TBrush>())
{
    brush_->SetOnChange(TNotifyEvent(this, &TZCLFillObject::GetChange));
}

TZCLFillObject::~TZCLFillObject() { brush_->SetOnChange(TNotifyEvent()); }

void TZCLFillObject::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TZCLFillObject*>(Source);
    if (!s) {
        TZCLShapeFill::Assign(Source);
        return;
    }
    if (s == this) return;
    BeginUpdate();
    brush_->Assign(s->brush_.get());
    options_ = s->options_;
    alignment_ = s->alignment_;
    offsets_[0] = s->offsets_[0];
    offsets_[1] = s->offsets_[1];
    TZCLShapeFill::Assign(s);  // bitmaps, gradient, style and tile mode; its end notifies
}

bool TZCLFillObject::PlacedBitmap() const
{
    return (Style() == sfBitmap || Style() == sfBitmapList) && TileMode() == tmNone;
}

void TZCLFillObject::SetAlignment(TZCLAlignment Value)
{
    if (alignment_ == Value) return;
    alignment_ = Value;
    if (PlacedBitmap()) Change();
}

void TZCLFillObject::SetOffset(int Index, int Value)
{
    int& field = offsets_[Index & 1];
    if (field == Value) return;
    field = Value;
    if (PlacedBitmap()) Change();
}

void TZCLFillObject::SetBrush(TBrush* Value)
{
    if (Value && Value != brush_.get()) brush_->Assign(Value);
}

void TZCLFillObject::SetOptions(TZCLFillOptions Value)
{
    options_ = Value;
    Change();
}

bool TZCLFillObject::GetTransparent() const
{
    switch (Style()) {
    case sfNone: return true;
    case sfBrush: return brush_->Style() != bsSolid;
    case sfBitmap:
    case sfBitmapList: return (TileMode() == tmNone || TileMode() == tmCenter) && !options_.Contains(foFillInner);
    default: return false;
    }
}

bool TZCLFillObject::FillCanvas(TCanvas* Canvas, const TRect& R, TColor Color)
{
    if (!Canvas) return false;
    switch (Style()) {
    case sfBrushBitmap: {
        TBitmap* source = Bitmap();
        if (source->Empty()) return false;
        // Brushes outside the NT family take 8 x 8 patterns only.
        TBitmap small;
        TBitmap* pattern = source;
        if (Win32Platform != VER_PLATFORM_WIN32_NT) {
            small.SetSize(8, 8);
            small.Canvas()->Draw(0, 0, source);
            pattern = &small;
        }
        Canvas->Brush()->SetBitmap(pattern);
        Canvas->FillRect(R);
        // The brush must not keep pointing at a bitmap it does not own.
        Canvas->Brush()->SetBitmap(nullptr);
        return true;
    }
    case sfBrush:
        Canvas->Brush()->Assign(brush_.get());
        if (brush_->Style() != bsSolid && brush_->Style() != bsClear)
            SetBkColor(Canvas->Handle(), COLORREF(ColorToRGB(Color)));
        Canvas->FillRect(R);
        return true;
    case sfBitmap:
    case sfBitmapList: {
        TBitmap* bitmap = GetBitmap();
        const TZCLTileMode tile = TileMode();
        if (options_.Contains(foFillInner) && (tile == tmNone || tile == tmCenter || bitmap->Empty())) {
            Canvas->Brush()->SetBitmap(nullptr);
            Canvas->Brush()->SetStyle(bsSolid);
            Canvas->Brush()->SetColor(Color);
            Canvas->FillRect(R);
        }
        if (bitmap->Empty()) return false;
        std::uint16_t flags = options_.Contains(foQuickDraw) ? 0 : ZCLBmpPalette;
        TRect target = R;
        if (tile == tmNone) {
            target = ZCLAlignRect(alignment_, TRect(0, 0, bitmap->Width(), bitmap->Height()), R);
            target = TRect(target.left + offsets_[0], target.top + offsets_[1], target.right + offsets_[0],
                           target.bottom + offsets_[1]);
        } else {
            flags |= ZCLTileMode2DSF(tile);
        }
        ZCLBmpDraw(Canvas, target, bitmap, Color, flags);
        return true;
    }
    case sfGradient: {
        TZCLGradient* g = Gradient();
        std::uint16_t flags = options_.Contains(foGrUseBitmap) ? 0x0004 : 0;
        if (g->PaletteRealize()) flags |= ZCLBmpPalette;
        ZCLGradientPaintExt(Canvas, R, g->Style(), g->ComputedColors(), g->GetPalette(), flags, 0);
        return true;
    }
    default: return false;
    }
}

bool TZCLFillObject::ClipFill(TCanvas* Canvas, const TRect& R, std::int32_t ClipOffset, TColor Color)
{
    if (!Canvas) return false;
    if (Style() == sfGradient && options_.Contains(foGrUseBitmap)) return FillCanvas(Canvas, R, Color);
    zcldraw_detail::ClipScope clip(Canvas->Handle(), zcldraw_detail::MoveByClipOffset(R, ClipOffset));
    return FillCanvas(Canvas, R, Color);
}
