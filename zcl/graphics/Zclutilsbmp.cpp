#include "zcl/graphics/Zclutilsbmp.h"

#include <algorithm>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclprocs.h"
#include "zcl/graphics/Zclutilsdraw.h"
#include "zcl/graphics/ZclutilsdrawPrivate.h"

using namespace zcldraw_detail;

namespace {

// Monochrome sources turn white where they are 1 and black where 0 on a DC with these colours; the caller's
// colours come back when the scope ends.
class MaskColors {
public:
    MaskColors(HDC dc, COLORREF text, COLORREF back)
        : dc_(dc), text_(SetTextColor(dc, text)), back_(SetBkColor(dc, back))
    {
    }
    MaskColors(const MaskColors&) = delete;
    MaskColors& operator=(const MaskColors&) = delete;
    ~MaskColors()
    {
        SetTextColor(dc_, text_);
        SetBkColor(dc_, back_);
    }

private:
    HDC dc_;
    COLORREF text_, back_;
};

// The canvas blackened where the mask is black, then the image (black where transparent) or-ed in.
void TwoPassCopy(TCanvas* canvas, const TRect& dest, TCanvas* mask, TCanvas* image, const TRect& src)
{
    const TCopyMode old = canvas->CopyMode();
    try {
        canvas->SetCopyMode(cmSrcAnd);
        canvas->CopyRect(dest, mask, src);
        canvas->SetCopyMode(cmSrcPaint);
        canvas->CopyRect(dest, image, src);
    } catch (...) {
        canvas->SetCopyMode(old);
        throw;
    }
    canvas->SetCopyMode(old);
}

}  // namespace

TRect ZCLBmpDrawExt(TCanvas* Canvas, const TRect& D, TCanvas* Source, const TRect& S, std::uint16_t Flags,
                    TColor Color, HPALETTE Palette, TObject* Extra)
{
    const int DW = D.Width(), DH = D.Height();
    if (!Canvas || DW <= 0 || DH <= 0) return TRect();
    const int SW = S.Width(), SH = S.Height();
    // Nothing to draw from; the aspect ratios below would divide by the empty side.
    if (SW <= 0 || SH <= 0) return D;

    enum { plain, centre, stretch, tile } mode = plain;
    TRect P;
    if (Flags & ZCLBmpCenter) {
        mode = centre;
        P = Bounds(D.left + (DW - SW) / 2, D.top + (DH - SH) / 2, SW, SH);
    }
    if (Flags & ZCLBmpStretch) {
        SetStretchBltMode(Canvas->Handle(), COLORONCOLOR);
        mode = stretch;
        P = D;
        const std::uint16_t aspect = Flags & (ZCLBmpKeepHeight | ZCLBmpKeepWidth);
        if (aspect == (ZCLBmpKeepHeight | ZCLBmpKeepWidth)) {
            const TRect a = ZCLAffineRect(TRect(0, 0, SW, SH), TRect(0, 0, DW, DH));
            P = Bounds(D.left, D.top, a.Width(), a.Height());
        } else if (aspect == ZCLBmpKeepWidth) {
            P = Bounds(D.left, D.top, DW, int(Round(static_cast<long double>(DW) / SW * SH)));
        } else if (aspect == ZCLBmpKeepHeight) {
            P = Bounds(D.left, D.top, int(Round(static_cast<long double>(DH) / SH * SW)), DH);
        }
    }
    if (Flags & ZCLBmpTile) mode = tile;
    if (mode == plain) P = Bounds(D.left, D.top, SW, SH);
    const TRect result = P.Width() == 0 || P.Height() == 0 ? D : P;

    // Every method draws the area of w x h at S's top-left (or at the scratch image's) into dest.
    auto each = [&](auto&& drawOne) {
        if (mode != tile) {
            drawOne(P, SW, SH);
            return;
        }
        // Tiles end at D's edges: the last ones in a row or column take only the part of the source that fits.
        for (int y = D.top; y < D.bottom; y += SH)
            for (int x = D.left; x < D.right; x += SW) {
                const int w = std::min(SW, int(D.right) - x), h = std::min(SH, int(D.bottom) - y);
                drawOne(Bounds(x, y, w, h), w, h);
            }
    };

    if (Flags & ZCLBmpReplace) {
        auto* bitmap = dynamic_cast<TBitmap*>(Extra);
        if (!bitmap) return result;
        Canvas->Brush()->SetColor(Color);
        const TColor key = bitmap->TransparentColor();
        each([&](const TRect& dest, int w, int h) {
            Canvas->BrushCopy(dest, bitmap, Bounds(S.left, S.top, w, h), key);
        });
    } else if (auto* mask = dynamic_cast<TCanvas*>(Extra); (Flags & ZCLBmpMask) && mask) {
        if (!Source) return result;
        MaskColors colors(Canvas->Handle(), 0x000000, 0xFFFFFF);
        each([&](const TRect& dest, int w, int h) {
            TwoPassCopy(Canvas, dest, mask, Source, Bounds(S.left, S.top, w, h));
        });
    } else if (Flags & ZCLBmpTransparent) {
        if (!Source) return result;
        TBitmap image, maskBitmap;
        if (Palette) image.SetPalette(Palette);
        ZCLBmpCreateMasksExt(Source, S, &maskBitmap, Color, &image);
        MaskColors colors(Canvas->Handle(), 0x000000, 0xFFFFFF);
        each([&](const TRect& dest, int w, int h) {
            TwoPassCopy(Canvas, dest, maskBitmap.Canvas(), image.Canvas(), TRect(0, 0, w, h));
        });
    } else {
        if (!Source) return result;
        each([&](const TRect& dest, int w, int h) { Canvas->CopyRect(dest, Source, Bounds(S.left, S.top, w, h)); });
    }
    return result;
}

void ZCLBmpClipDrawExt(TCanvas* Canvas, const TRect& D, TCanvas* Source, const TRect& S, std::uint16_t Flags,
                       std::int32_t ClipOffset, TColor Color, TObject* Extra)
{
    if (!(Flags & ZCLBmpClip) || !Canvas) {
        ZCLBmpDrawExt(Canvas, D, Source, S, Flags, Color, nullptr, Extra);
        return;
    }
    ClipScope clip(Canvas->Handle(), MoveByClipOffset(D, ClipOffset));
    ZCLBmpDrawExt(Canvas, D, Source, S, Flags, Color, nullptr, Extra);
}

void ZCLBmpDrawDisabledState(TBitmap* Dest, TBitmap* Src, int X, int Y)
{
    if (!Dest || !Src || Dest->Empty() || Src->Empty()) return;
    // White where Src is black, black elsewhere.
    TBitmap lines;
    lines.Assign(Src);
    lines.Canvas()->Brush()->SetColor(clBlack);
    lines.SetMonochrome(true);

    TCanvas* canvas = Dest->Canvas();
    canvas->Brush()->SetColor(Src->TransparentColor());
    canvas->FillRect(TRect(0, 0, Dest->Width(), Dest->Height()));
    HDC linesDC = lines.Canvas()->Handle();
    // The brush where the lines are, Dest kept elsewhere (DSPDxax).
    auto emboss = [&](TColor color, int x, int y) {
        canvas->Brush()->SetColor(color);
        HDC dc = canvas->Handle();
        MaskColors colors(dc, 0x000000, 0xFFFFFF);
        BitBlt(dc, x, y, Src->Width(), Src->Height(), linesDC, 0, 0, 0x00E20746);
    };
    emboss(clBtnHighlight, X + 1, Y + 1);
    emboss(clBtnShadow, X, Y);
}

void ZCLMaskBmpDraw(TCanvas* Canvas, const TRect& R, TBitmap* Mask, TBitmap* Picture, TColor MaskColor,
                    TColor TransparentColor)
{
    MaskColor = TColor(ColorToRGB(MaskColor));
    TransparentColor = TColor(ColorToRGB(TransparentColor));
    if (!Canvas || !Mask || !Picture || Mask->Empty() || Picture->Empty()) return;
    TBitmap shape;
    shape.SetSize(Mask->Width(), Mask->Height());
    ZCLBmpCreateMasks(Mask, Mask, &shape, MaskColor);
    const TRect whole(0, 0, Picture->Width(), Picture->Height());
    ZCLBmpDrawExt(Picture->Canvas(), whole, shape.Canvas(), whole, ZCLBmpMask, MaskColor, nullptr, Mask->Canvas());
    ZCLBmpDrawExt(Canvas, R, Picture->Canvas(), whole, ZCLBmpPalette | ZCLBmpTransparent, TransparentColor, nullptr,
                  nullptr);
}

void ZCLFillTexture(HDC DC, const TRect& R, TBitmap* Bitmap, const TPoint& Offset)
{
    if (!DC || !Bitmap || Bitmap->Empty() || Offset.x < 0 || Offset.y < 0 || R.IsEmpty()) return;
    const int BW = Bitmap->Width(), BH = Bitmap->Height();
    const int W = R.Width(), H = R.Height();
    const int ox = Offset.x % BW, oy = Offset.y % BH;

    MemoryDC stripDC(CreateCompatibleDC(DC));
    BitmapHandle strip(CreateCompatibleBitmap(DC, W, BH));
    if (!stripDC || !strip) throw EOutOfResources("Cannot make the texture strip");
    SelectedObject selected(stripDC.get(), strip.get());
    HDC src = Bitmap->Canvas()->Handle();
    // One row of the pattern as wide as R, starting at the offset's column...
    for (int x = 0, sx = ox; x < W; sx = 0) {
        const int w = std::min(BW - sx, W - x);
        BitBlt(stripDC.get(), x, 0, w, BH, src, sx, 0, SRCCOPY);
        x += w;
    }
    // ...then R filled with it from the offset's row.
    for (int y = 0, sy = oy; y < H; sy = 0) {
        const int h = std::min(BH - sy, H - y);
        BitBlt(DC, R.left, R.top + y, W, h, stripDC.get(), 0, sy, SRCCOPY);
        y += h;
    }
}
