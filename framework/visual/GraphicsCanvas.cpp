// The canvas: drawing calls over a DC, with the font, pen and brush realised only when they are needed.

#include "framework/visual/Graphics.h"
#include "framework/visual/GraphicsPrivate.h"

TCanvas::TCanvas() : font_(new TFont), pen_(new TPen), brush_(new TBrush)
{
    font_->SetOnChange(TNotifyEvent(this, &TCanvas::FontChanged));
    pen_->SetOnChange(TNotifyEvent(this, &TCanvas::PenChanged));
    brush_->SetOnChange(TNotifyEvent(this, &TCanvas::BrushChanged));
}

TCanvas::~TCanvas()
{
    // A derived canvas has freed its own DC by now; a foreign one gets its objects back.
    if (dc_) DeselectAll();
    dc_ = nullptr;
}

HDC TCanvas::Handle() { return Require(FontValid | PenValid | BrushValid); }

void TCanvas::SetHandle(HDC dc)
{
    if (dc == dc_) return;
    if (dc_) DeselectAll();
    dc_ = dc;
    state_ = 0;
}

void TCanvas::FreeHandle() { SetHandle(nullptr); }

HDC TCanvas::Require(unsigned what)
{
    if (!dc_) {
        CreateHandle();
        if (!dc_) throw EInvalidOperation("Canvas does not allow drawing");
    }
    const unsigned need = what & ~state_;
    if (need & FontValid) {
        HGDIOBJ old = SelectObject(dc_, font_->Handle());
        if (!oldFont_) oldFont_ = old;
        SetTextColor(dc_, COLORREF(ColorToRGB(font_->Color())));
        state_ |= FontValid;
    }
    if (need & PenValid) {
        HGDIOBJ old = SelectObject(dc_, pen_->Handle());
        if (!oldPen_) oldPen_ = old;
        SetROP2(dc_, PenModeToRop2(pen_->Mode()));
        state_ |= PenValid;
    }
    if (need & (BrushValid | BrushSelected)) {
        if (!(state_ & BrushSelected)) {
            HGDIOBJ old = SelectObject(dc_, brush_->Handle());
            if (!oldBrush_) oldBrush_ = old;
            state_ |= BrushSelected;
        }
        if (need & BrushValid) {
            // A solid (or pattern) brush paints text backgrounds in its colour; clear and hatched ones let the
            // ground show through.
            const bool opaque = brush_->Bitmap() || brush_->Style() == bsSolid;
            SetBkColor(dc_, COLORREF(ColorToRGB(brush_->Color())));
            SetBkMode(dc_, opaque ? OPAQUE : TRANSPARENT);
            state_ |= BrushValid;
        }
    }
    return dc_;
}

void TCanvas::Deselect(unsigned what)
{
    if (!dc_) {
        state_ = 0;
        return;
    }
    if ((what & FontValid) && oldFont_) {
        SelectObject(dc_, oldFont_);
        oldFont_ = nullptr;
    }
    if ((what & PenValid) && oldPen_) {
        SelectObject(dc_, oldPen_);
        oldPen_ = nullptr;
    }
    if ((what & (BrushValid | BrushSelected)) && oldBrush_) {
        SelectObject(dc_, oldBrush_);
        oldBrush_ = nullptr;
    }
    if (what & (BrushValid | BrushSelected)) what |= BrushValid | BrushSelected;
    state_ &= ~what;
}

void TCanvas::DeselectAll() { Deselect(FontValid | PenValid | BrushValid | BrushSelected); }

// The object's old handle is freed after these return, so it must be out of the DC by then.
void TCanvas::FontChanged(TObject*)
{
    if (state_ & FontValid) Deselect(FontValid);
}

void TCanvas::PenChanged(TObject*)
{
    if (state_ & PenValid) Deselect(PenValid);
}

void TCanvas::BrushChanged(TObject*)
{
    if (state_ & (BrushValid | BrushSelected)) Deselect(BrushValid | BrushSelected);
}

void TCanvas::Changing()
{
    if (onChanging_) onChanging_(this);
}

void TCanvas::Changed()
{
    if (onChange_) onChange_(this);
}

TRect TCanvas::ClipRect()
{
    TRect r;
    GetClipBox(Require(0), &r);
    return r;
}

TPoint TCanvas::PenPos()
{
    TPoint p;
    GetCurrentPositionEx(Require(0), &p);
    return p;
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Require(0), x, y, nullptr); }

void TCanvas::LineTo(int x, int y)
{
    Changing();
    ::LineTo(Require(PenValid | BrushValid), x, y);
    Changed();
}

void TCanvas::Polyline(std::span<const TPoint> points)
{
    if (points.empty()) return;
    Changing();
    ::Polyline(Require(PenValid | BrushValid), points.data(), int(points.size()));
    Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points)
{
    if (points.empty()) return;
    Changing();
    ::Polygon(Require(PenValid | BrushValid), points.data(), int(points.size()));
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    Changing();
    ::Rectangle(Require(PenValid | BrushValid), x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    Changing();
    ::RoundRect(Require(PenValid | BrushValid), x1, y1, x2, y2, x3, y3);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    Changing();
    ::Ellipse(Require(PenValid | BrushValid), x1, y1, x2, y2);
    Changed();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    Changing();
    ::Arc(Require(PenValid | BrushValid), x1, y1, x2, y2, x3, y3, x4, y4);
    Changed();
}

void TCanvas::FillRect(const TRect& r)
{
    Changing();
    ::FillRect(Require(BrushValid), &r, brush_->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& r)
{
    Changing();
    ::FrameRect(Require(BrushValid), &r, brush_->Handle());
    Changed();
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style)
{
    Changing();
    ExtFloodFill(Require(BrushValid), x, y, COLORREF(ColorToRGB(color)),
                 style == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
    Changed();
}

TColor TCanvas::Pixels(int x, int y) { return TColor(std::int32_t(GetPixel(Require(0), x, y))); }

void TCanvas::SetPixels(int x, int y, TColor color)
{
    Changing();
    SetPixel(Require(0), x, y, COLORREF(ColorToRGB(color)));
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty()) return;
    Changing();
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic)
{
    if (!graphic || graphic->Empty()) return;
    Changing();
    graphic->Draw(this, r);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
    if (!source) return;
    Changing();
    HDC src = source->Require(BrushSelected);
    // Only the brush is needed here (for copy modes with a pattern); the DC's colours stay the caller's.
    HDC dst = Require(BrushSelected);
    StretchBlt(dst, dest.left, dest.top, dest.Width(), dest.Height(), src, sourceRect.left, sourceRect.top,
               sourceRect.Width(), sourceRect.Height(), copyMode_);
    Changed();
}

void TCanvas::TextOut(int x, int y, const AnsiString& text)
{
    Changing();
    ::TextOutA(Require(FontValid | BrushValid), x, y, text.c_str(), text.Length());
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const AnsiString& text)
{
    Changing();
    HDC dc = Require(FontValid | BrushValid);
    UINT options = ETO_CLIPPED;
    if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
    ExtTextOutA(dc, x, y, options, &r, text.c_str(), UINT(text.Length()), nullptr);
    Changed();
}

TSize TCanvas::TextExtent(const AnsiString& text)
{
    TSize size;
    GetTextExtentPoint32A(Require(FontValid), text.c_str(), text.Length(), &size);
    return size;
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    Changing();
    ::DrawFocusRect(Require(BrushValid), &r);
    Changed();
}

void TCanvas::Lock()
{
    lock_.lock();
    ++lockCount_;
}

void TCanvas::Unlock()
{
    --lockCount_;
    lock_.unlock();
}

bool TCanvas::TryLock()
{
    if (!lock_.try_lock()) return false;
    ++lockCount_;
    return true;
}
