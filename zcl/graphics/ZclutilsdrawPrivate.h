#pragma once
// Shared by the drawing sources only: clipping that gives a caller's clip region back, palettes selected for
// the length of one drawing, and the unsigned halves of a clip offset.

#include <windows.h>

#include <cstdint>

#include "framework/runtime/Handles.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"

namespace zcldraw_detail {

// R moved right by the low and down by the high unsigned 16 bits of Offset: the position of a windowless
// control, whose DC has its origin moved while clip regions stay in device units.
inline TRect MoveByClipOffset(const TRect& R, std::int32_t Offset)
{
    const auto u = std::uint32_t(Offset);
    const int dx = int(u & 0xFFFF), dy = int(u >> 16);
    return TRect(R.left + dx, R.top + dy, R.right + dx, R.bottom + dy);
}

// Clips a DC to a rectangle (device units) within the clip region it already has; the caller's region, or
// none, is back when the scope ends.
class ClipScope {
public:
    ClipScope(HDC dc, const TRect& r) : dc_(dc), saved_(CreateRectRgn(0, 0, 0, 0))
    {
        had_ = saved_ && GetClipRgn(dc, saved_.get()) == 1;
        RegionHandle clip(CreateRectRgn(r.left, r.top, r.right, r.bottom));
        if (had_) CombineRgn(clip.get(), clip.get(), saved_.get(), RGN_AND);
        SelectClipRgn(dc, clip.get());
    }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;
    ~ClipScope() { SelectClipRgn(dc_, had_ ? saved_.get() : nullptr); }

private:
    HDC dc_;
    RegionHandle saved_;
    bool had_ = false;
};

// Selects and realises a palette for one drawing and selects the DC's own back afterwards, so that a palette
// freed by its owner never stays selected in a DC that lives on. A null palette does nothing.
class PaletteScope {
public:
    PaletteScope(HDC dc, HPALETTE palette, bool background) : dc_(dc)
    {
        if (!palette) return;
        old_ = SelectPalette(dc, palette, background ? TRUE : FALSE);
        RealizePalette(dc);
    }
    PaletteScope(const PaletteScope&) = delete;
    PaletteScope& operator=(const PaletteScope&) = delete;
    ~PaletteScope()
    {
        if (old_) SelectPalette(dc_, old_, TRUE);
    }

private:
    HDC dc_;
    HPALETTE old_ = nullptr;
};

// The canvas's pen and brush as they were when the scope began, for helpers that draw with their own.
class KeepPenAndBrush {
public:
    explicit KeepPenAndBrush(TCanvas* canvas) : canvas_(canvas)
    {
        pen_.Assign(canvas->Pen());
        brush_.Assign(canvas->Brush());
    }
    KeepPenAndBrush(const KeepPenAndBrush&) = delete;
    KeepPenAndBrush& operator=(const KeepPenAndBrush&) = delete;
    ~KeepPenAndBrush()
    {
        canvas_->Pen()->Assign(&pen_);
        canvas_->Brush()->Assign(&brush_);
    }

private:
    TCanvas* canvas_;
    TPen pen_;
    TBrush brush_;
};

}  // namespace zcldraw_detail
