// Frames, triangles, bitmap helpers, gradients and button faces. The text and glyph painters are in
// ZclutilsdrawText.cpp.

#include "zcl/graphics/Zclutilsdraw.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclsysin.h"
#include "zcl/graphics/ZclutilsdrawPrivate.h"

using namespace zcldraw_detail;

bool ZCLPaletteLeftToApplication()
{
    return ZCLApplication->Options().Contains(aoAutoRealizePalette) && ZCLSIColorDepth() <= 8;
}

namespace {

TRect Shrunk(const TRect& r, int n) { return TRect(r.left + n, r.top + n, r.right - n, r.bottom - n); }

void Shrink(TRect& r, int n) { r = Shrunk(r, n); }

// A one-pixel frame in colour with the canvas's brush.
void Outline(TCanvas* canvas, const TRect& r, TColor color)
{
    canvas->Brush()->SetColor(color);
    canvas->FrameRect(r);
}

void Fill(TCanvas* canvas, const TRect& r, TColor color)
{
    if (r.IsEmpty()) return;
    canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
}

}  // namespace

// Frames ---------------------------------------------------------------------------------------------------------

bool ZCLDrawStdFrame(TCanvas* Canvas, TRect& R, TZCLBorderStyle Style, std::uint16_t Flags)
{
    if (!Canvas) return true;
    HDC dc = Canvas->Handle();
    // Every edge moves R inside what it drew.
    auto edge = [&](UINT kind, UINT sides) { DrawEdge(dc, &R, kind, sides | BF_ADJUST); };
    const UINT f = Flags;
    switch (Style) {
    case lsNone: break;
    case lsSingle:
        edge(BDR_SUNKENOUTER, 0x3003 | f);
        edge(BDR_RAISEDOUTER, 0x000C);
        break;
    case lsLowered: edge(EDGE_SUNKEN, 0x300F | f); break;
    case lsRaised: edge(EDGE_RAISED, 0x300F | f); break;
    case lsRaisedspb:
        edge(BDR_RAISEDOUTER, 0x300F | f);
        edge(BDR_RAISEDINNER, 0x200C);
        break;
    case lsLoweredspb:
        edge(BDR_SUNKENOUTER, 0x200F | f);
        edge(BDR_SUNKENINNER, 0x2003 | f);
        break;
    case lsRaisedExt:
        edge(BDR_RAISEDOUTER, 0x300F | f);
        edge(BDR_RAISEDINNER, 0x200C);
        R.left += 1;
        R.top += 1;
        break;
    case lsLoweredExt:
        edge(BDR_SUNKENOUTER, 0x200F | f);
        edge(BDR_SUNKENINNER, 0x2003);
        R.right -= 1;
        R.bottom -= 1;
        break;
    case lsFrameInset: edge(EDGE_ETCHED, 0x200F | f); break;
    case lsFrameOffset:
        edge(BDR_RAISEDINNER, 0x200F | f);
        edge(BDR_SUNKENOUTER, 0x200F | f);
        break;
    case lsWindowBorder:
        edge(BDR_RAISEDOUTER, 0x200C | f);
        R.left += 1;
        R.top += 1;
        edge(BDR_RAISEDINNER, 0x200F | f);
        break;
    case lsSingleRaised: edge(BDR_RAISEDINNER, 0x200F | f); break;
    case lsSingleLowered: edge(BDR_SUNKENOUTER, 0x200F | f); break;
    case lsDoubleRaised:
        edge(BDR_RAISEDINNER, 0x200F | f);
        edge(BDR_RAISEDINNER, 0x200F | f);
        break;
    case lsDoubleLowered:
        edge(BDR_SUNKENOUTER, 0x200F | f);
        edge(BDR_SUNKENOUTER, 0x200F | f);
        break;
    }
    return true;
}

int ZCLDrawStdFrameExt(TZCLBorderStyle Style)
{
    switch (Style) {
    case lsNone: return 0;
    case lsSingle:
    case lsSingleRaised:
    case lsSingleLowered: return 1;
    default: return 2;
    }
}

void ZCLDrawBorder(TCanvas* Canvas, const TRect& R, TColor TopLeft, TColor BottomRight)
{
    if (!Canvas) return;
    KeepPenAndBrush keep(Canvas);
    TPen* pen = Canvas->Pen();
    pen->SetStyle(psSolid);
    pen->SetColor(TopLeft);
    Canvas->MoveTo(R.left, R.bottom - 1);
    Canvas->LineTo(R.left, R.top);
    Canvas->LineTo(R.right - 1, R.top);
    pen->SetColor(BottomRight);
    Canvas->LineTo(R.right - 1, R.bottom - 1);
    Canvas->LineTo(R.left, R.bottom - 1);
}

int ZCLGetCtrlBorderWidth(bool Ctl3D, TFormBorderStyle BorderStyle)
{
    if (BorderStyle != bsSingle) return 0;
    return Ctl3D ? 2 : 1;
}

void ZCLDrawTriangle(TCanvas* Canvas, int X, int Y, int Size, TColor Color, bool Down, bool Enabled)
{
    if (!Canvas || Size < 2 || Size > 15) return;
    if (!Enabled) {
        ZCLDrawTriangle(Canvas, X + 1, Y + 1, Size, clHighlightText, Down, true);
        Color = clGrayText;
    }
    KeepPenAndBrush keep(Canvas);
    TPen* pen = Canvas->Pen();
    pen->SetStyle(psSolid);
    pen->SetWidth(1);
    pen->SetColor(Color);
    if (Down) {
        for (int i = 0; i <= Size - 2; ++i) {
            Canvas->MoveTo(X + i, Y + i);
            Canvas->LineTo(X + i + 2 * (Size - i) - 1, Y + i);
        }
        Canvas->SetPixels(X + Size - 1, Y + Size - 1, Color);
    } else {
        for (int i = 0; i <= Size - 1; ++i) {
            Canvas->MoveTo(X + Size / 2 - i, Y + i);
            Canvas->LineTo(X + Size / 2 + i + 1, Y + i);
        }
    }
}

bool ZCLDrawFrameShadow(TCanvas* Canvas, TRect& R, TColor FrameColor, TColor ShadowColor, TColor BackColor,
                        std::uint8_t ShadowDepth, std::uint8_t FrameWidth, bool Transparent, int)
{
    if (!Canvas) return true;
    KeepPenAndBrush keep(Canvas);
    const int d = ShadowDepth;
    if (d > 0) {
        Fill(Canvas, TRect(R.right - d, R.top + d, R.right, R.bottom), ShadowColor);
        Fill(Canvas, TRect(R.left + d, R.bottom - d, R.right, R.bottom), ShadowColor);
        if (!Transparent) {
            Fill(Canvas, TRect(R.right - d, R.top, R.right, R.top + d), BackColor);
            Fill(Canvas, TRect(R.left, R.bottom - d, R.left + d, R.bottom), BackColor);
        }
        R.right -= d;
        R.bottom -= d;
    }
    for (int i = 0; i < FrameWidth && !R.IsEmpty(); ++i) {
        Outline(Canvas, R, FrameColor);
        Shrink(R, 1);
    }
    return true;
}

bool ZCLDrawFrame3D(TCanvas* Canvas, TRect& R, TZCLBevelStyle Style, TColor Light, TColor Shadow, int Width)
{
    if (!Canvas || Width <= 0 || Style == bvNone || Style == bvShadow) return false;
    TColor topLeft = clBlack, bottomRight = clBlack;
    switch (Style) {
    case bvRaised:
    case bvFrameRaised:
        topLeft = Light;
        bottomRight = Shadow;
        break;
    case bvLowered:
    case bvFrameLowered:
        topLeft = Shadow;
        bottomRight = Light;
        break;
    default: break;
    }
    KeepPenAndBrush keep(Canvas);
    if (Style == bvFrameLowered || Style == bvFrameRaised) {
        for (int i = 0; i < Width; ++i) {
            Outline(Canvas, TRect(R.left + i + 1, R.top + i + 1, R.right, R.bottom), bottomRight);
            Outline(Canvas, TRect(R.left, R.top, R.right - i - 1, R.bottom - i - 1), topLeft);
        }
        Shrink(R, Width + 1);
        return true;
    }
    const int l = R.left, t = R.top, r = R.right, b = R.bottom;
    if (Width == 1) {
        TPen* pen = Canvas->Pen();
        pen->SetStyle(psSolid);
        pen->SetWidth(1);
        pen->SetColor(topLeft);
        const TPoint upper[] = {{l, b - 1}, {l, t}, {r - 1, t}};
        Canvas->Polyline(upper, 3);
        pen->SetColor(bottomRight);
        const TPoint lower[] = {{r - 1, t}, {r - 1, b - 1}, {l - 1, b - 1}};
        Canvas->Polyline(lower, 3);
    } else {
        const int w = Width;
        Canvas->Pen()->SetStyle(psClear);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(topLeft);
        const TPoint upper[] = {{l, t}, {r, t}, {r - w, t + w}, {l + w, t + w}, {l + w, b - w}, {l, b}};
        Canvas->Polygon(upper, 6);
        Canvas->Brush()->SetColor(bottomRight);
        const TPoint lower[] = {{r, t}, {r, b}, {l, b}, {l + w, b - w}, {r - w, b - w}, {r - w, t + w}};
        Canvas->Polygon(lower, 6);
    }
    Shrink(R, Width);
    return true;
}

// Bitmaps --------------------------------------------------------------------------------------------------------

void ZCLBmpCreateFromRect(TBitmap* Bitmap, const TRect& R, TColor Color)
{
    if (!Bitmap || R.IsEmpty()) return;
    Bitmap->SetSize(R.Width(), R.Height());
    TCanvas* canvas = Bitmap->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color);
    canvas->FillRect(TRect(0, 0, R.Width(), R.Height()));
}

void ZCLBmpCreateMasks(TBitmap* Src, TBitmap* Mask1, TBitmap* Mask2, TColor TransparentColor)
{
    if (!Src) return;
    ZCLBmpCreateMasksExt(Src->Canvas(), TRect(0, 0, Src->Width(), Src->Height()), Mask1, TransparentColor, Mask2);
}

void ZCLBmpCreateMasksExt(TCanvas* Canvas, const TRect& R, TBitmap* Mask, TColor TransparentColor, TBitmap* Image)
{
    if (!Canvas || !Mask || !Image) return;
    const int w = std::max(0, int(R.Width())), h = std::max(0, int(R.Height()));
    Image->SetSize(w, h);
    if (w == 0 || h == 0) {
        Mask->SetSize(w, h);
        return;
    }
    // The copy is taken before Mask changes: Mask may be the bitmap the canvas draws on.
    TCanvas* imageCanvas = Image->Canvas();
    const TCopyMode oldMode = imageCanvas->CopyMode();
    imageCanvas->SetCopyMode(cmSrcCopy);
    imageCanvas->CopyRect(TRect(0, 0, w, h), Canvas, R);
    imageCanvas->SetCopyMode(oldMode);

    Mask->Assign(Image);
    Mask->Canvas()->Brush()->SetColor(TransparentColor);
    Mask->SetMonochrome(true);

    // The mask's white (transparent) pixels come out black, its black ones white: an and blackens the image
    // where it is transparent.
    HDC dc = imageCanvas->Handle();
    const COLORREF text = SetTextColor(dc, 0xFFFFFF), back = SetBkColor(dc, 0x000000);
    BitBlt(dc, 0, 0, w, h, Mask->Canvas()->Handle(), 0, 0, SRCAND);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

void ZCLBmpCreateGrayscale(TBitmap* Dest, TBitmap* Src)
{
    if (!Dest || !Src || Src->Empty()) return;
    Dest->Assign(Src);
    TCanvas* canvas = Dest->Canvas();
    const int w = Dest->Width(), h = Dest->Height();
    std::vector<std::uint32_t> px(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px[std::size_t(y) * w + x] = std::uint32_t(canvas->Pixels(x, y)) & 0xFFFFFF;
    const std::uint32_t key = px[0];
    auto brightness = [](std::uint32_t c) { return int(c & 0xFF) + int(c >> 8 & 0xFF) + int(c >> 16 & 0xFF); };
    long long sum = 0, count = 0;
    for (std::uint32_t c : px)
        if (c != key) {
            sum += brightness(c);
            ++count;
        }
    const int offset = count ? int(Round(static_cast<long double>(sum) / count - 200)) : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = px[std::size_t(y) * w + x];
            if (c == key) continue;
            const int b = brightness(c);
            TColor tone = clBlack;
            if (b > offset + 550) tone = clWhite;
            else if (b > offset + 250) tone = clBtnHighlight;
            else if (b > offset + 50) tone = clBtnShadow;
            canvas->SetPixels(x, y, tone);
        }
}

void ZCLCopyBmpSize(TBitmap* Src, TBitmap* Dest)
{
    if (!Src || !Dest) return;
    Dest->SetSize(Src->Width(), Src->Height());
}

namespace {

// The bitmap's palette selected for the wrappers' drawing under the palette flag.
std::optional<HPALETTE> WrapperPalette(TBitmap* bitmap, std::uint16_t flags)
{
    if (!(flags & ZCLBmpPalette) || ZCLPaletteLeftToApplication()) return std::nullopt;
    if (HPALETTE p = bitmap->Palette()) return p;
    return std::nullopt;
}

}  // namespace

TRect ZCLBmpDraw(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, TColor Color, std::uint16_t Flags)
{
    if (!Canvas || !Bitmap) return TRect();
    const TRect whole(0, 0, Bitmap->Width(), Bitmap->Height());
    const auto palette = WrapperPalette(Bitmap, Flags);
    PaletteScope selected(Canvas->Handle(), palette.value_or(nullptr), false);
    if (Flags & ZCLBmpReplace) return ZCLBmpDrawExt(Canvas, R, nullptr, whole, Flags, Color, Bitmap->Palette(), Bitmap);
    return ZCLBmpDrawExt(Canvas, R, Bitmap->Canvas(), whole, Flags, Color, Bitmap->Palette(), nullptr);
}

void ZCLBmpClipDraw(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, TColor Color, std::int32_t ClipOffset,
                    std::uint16_t Flags)
{
    if (!Canvas || !Bitmap) return;
    const TRect whole(0, 0, Bitmap->Width(), Bitmap->Height());
    const auto palette = WrapperPalette(Bitmap, Flags);
    PaletteScope selected(Canvas->Handle(), palette.value_or(nullptr), false);
    if (Flags & ZCLBmpReplace) ZCLBmpClipDrawExt(Canvas, R, nullptr, whole, Flags, ClipOffset, Color, Bitmap);
    else ZCLBmpClipDrawExt(Canvas, R, Bitmap->Canvas(), whole, Flags, ClipOffset, Color, nullptr);
}

void ZCLBmpStretchDraw(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap)
{
    ZCLBmpDraw(Canvas, R, Bitmap, clBlack, ZCLBmpPalette | ZCLBmpStretch);
}

void ZCLFillPattern(HDC DC, const TRect& R, TBitmap* Bitmap)
{
    if (!DC || !Bitmap || Bitmap->Empty() || R.IsEmpty()) return;
    BrushHandle brush(CreatePatternBrush(Bitmap->Handle()));
    if (!brush) return;
    SelectedObject selected(DC, brush.get());
    PatBlt(DC, R.left, R.top, R.Width(), R.Height(), 0x00A000C9);
}

void ZCLIcon2Bitmap(TBitmap* Bitmap, TIcon* Icon, TColor BackColor)
{
    if (!Bitmap || !Icon || Icon->Empty()) return;
    ZCLBmpCreateFromRect(Bitmap, TRect(0, 0, Icon->Width(), Icon->Height()), BackColor);
    Bitmap->Canvas()->Draw(0, 0, Icon);
}

void ZCLBmpFromDesktop(TBitmap* Bitmap, const TRect& R)
{
    if (!Bitmap || R.IsEmpty()) return;
    Bitmap->SetSize(R.Width(), R.Height());
    WindowDC screenDC(nullptr);
    TCanvas screen;
    screen.SetHandle(screenDC.get());
    TCanvas* canvas = Bitmap->Canvas();
    const TCopyMode oldMode = canvas->CopyMode();
    canvas->SetCopyMode(cmSrcCopy);
    canvas->CopyRect(TRect(0, 0, R.Width(), R.Height()), &screen, R);
    canvas->SetCopyMode(oldMode);
    screen.SetHandle(nullptr);
}

// Gradients ------------------------------------------------------------------------------------------------------

namespace {

std::uint32_t Rgb(TColor c) { return std::uint32_t(ColorToRGB(c)) & 0xFFFFFF; }
int Channel(std::uint32_t c, int shift) { return int(c >> shift & 0xFF); }
std::uint32_t ColorAt(TList* list, int i) { return std::uint32_t(reinterpret_cast<std::uintptr_t>(list->Items(i))); }

}  // namespace

TColor ZCLGradientGetColor(TColor C1, TColor C2, int Step, int Steps)
{
    const std::uint32_t a = Rgb(C1), b = Rgb(C2);
    if (Steps == 0) return TColor(std::int32_t(a));
    std::uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int x = Channel(a, shift), y = Channel(b, shift);
        const auto v = Round(x + static_cast<long double>(y - x) * Step / Steps);
        result |= std::uint32_t(std::clamp<std::int64_t>(v, 0, 255)) << shift;
    }
    return TColor(std::int32_t(result));
}

void ZCLGradientCreateColorList(TColor C1, TColor C2, std::uint8_t Count, bool Clear, TList* List)
{
    if (!List || Count == 0) return;
    if (Clear) List->Clear();
    const std::uint32_t a = Rgb(C1), b = Rgb(C2);
    for (int i = Clear ? 0 : 1; i < Count; ++i) {
        std::uint32_t c = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int x = Channel(a, shift), y = Channel(b, shift);
            // One step is the first colour; MulDiv by 0 would give -1.
            const int v = Count == 1 ? x : x + MulDiv(i, y - x, Count - 1);
            c |= std::uint32_t(std::clamp(v, 0, 255)) << shift;
        }
        List->Add(reinterpret_cast<void*>(std::uintptr_t(c)));
    }
}

HPALETTE ZCLGradientCreatePalette(TList* List)
{
    if (!List || List->Count() == 0) return nullptr;
    const int n = std::min(List->Count(), 0xFFFF);
    std::vector<unsigned char> memory(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * std::size_t(n));
    auto* palette = reinterpret_cast<LOGPALETTE*>(memory.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = WORD(n);
    for (int i = 0; i < n; ++i) {
        const std::uint32_t c = ColorAt(List, i);
        palette->palPalEntry[i] = {BYTE(c), BYTE(c >> 8), BYTE(c >> 16), PC_NOCOLLAPSE};
    }
    return CreatePalette(palette);
}

void ZCLGradientPaint(TCanvas* Canvas, const TRect& R, TColor C1, TColor C2, std::uint8_t Count,
                      TZCLGradientStyle Style, std::uint16_t Flags, std::int32_t ClipOffset)
{
    TList list;
    ZCLGradientCreateColorList(C1, C2, Count, true, &list);
    PaletteHandle palette(Flags & ZCLBmpPalette ? ZCLGradientCreatePalette(&list) : nullptr);
    ZCLGradientPaintExt(Canvas, R, Style, &list, palette.get(), Flags, ClipOffset);
}

void ZCLGradientPaintExt(TCanvas* Canvas, const TRect& R, TZCLGradientStyle Style, TList* List, HPALETTE Palette,
                         std::uint16_t Flags, std::int32_t ClipOffset)
{
    if (!Canvas || !List || List->Count() == 0 || R.IsEmpty()) return;
    const int N = List->Count(), W = R.Width(), H = R.Height();
    const bool withPalette = (Flags & ZCLBmpPalette) && !ZCLPaletteLeftToApplication();
    std::vector<TColor> colors(static_cast<std::size_t>(N));
    for (int i = 0; i < N; ++i)
        colors[std::size_t(i)] = TColor(std::int32_t(ColorAt(List, i) | (withPalette ? PaletteRelativeFlag : 0)));
    const HPALETTE palette = withPalette ? Palette : nullptr;

    auto paint = [&](TCanvas* c, int ox, int oy) {
        KeepPenAndBrush keep(c);
        c->Pen()->SetStyle(psClear);
        c->Brush()->SetStyle(bsSolid);
        const int cx = W / 2, cy = H / 2;
        // A rectangle by two opposite corners; without a pen it fills up to, not including, the far corner's
        // row and column less one.
        auto box = [&](int x1, int y1, int x2, int y2) {
            c->Rectangle(ox + std::min(x1, x2), oy + std::min(y1, y2), ox + std::max(x1, x2), oy + std::max(y1, y2));
        };
        auto polygon = [&](std::initializer_list<TPoint> points) {
            std::vector<TPoint> moved(points);
            for (TPoint& p : moved) p = TPoint(p.x + ox, p.y + oy);
            c->Polygon(moved);
        };
        for (int k = 0; k < N; ++k) {
            // Later, smaller shapes cover earlier ones: all but the stripes go from the last colour back.
            const int i = Style == gstHorizontal ? k : N - 1 - k;
            c->Brush()->SetColor(colors[std::size_t(i)]);
            const int a = MulDiv(i + 1, W, N), b = MulDiv(i + 1, H, N);
            switch (Style) {
            case gstHorizontal: c->FillRect(TRect(ox + MulDiv(i, W, N), oy, ox + MulDiv(i + 1, W, N), oy + H)); break;
            case gstVertical: c->FillRect(TRect(ox, oy + MulDiv(i, H, N), ox + W, oy + MulDiv(i + 1, H, N))); break;
            case gstSquare: box(cx - a / 2, cy - b / 2, cx + a / 2 + 2, cy + b / 2 + 2); break;
            case gstElliptic: {
                const int p = int(Round(a / 1.4L)), q = int(Round(b / 1.4L));
                c->Ellipse(ox + cx - p, oy + cy - q, ox + cx + p, oy + cy + q);
                break;
            }
            case gstTopLeft: box(0, 0, a + 1, b + 1); break;
            case gstTopRight: box(W - a, 0, W + 1, b + 1); break;
            case gstBottomLeft: box(0, H - b, a + 1, H + 1); break;
            case gstBottomRight: box(W - a, H - b, W + 1, H + 1); break;
            case gstTopLeftDiagonal: polygon({{0, 0}, {2 * a, 0}, {0, 2 * b + 1}, {-2 * a, 2 * b + 1}}); break;
            case gstTopRightDiagonal:
                polygon({{W + 1, 0}, {W + 1 - 2 * a, 0}, {W + 1, 2 * b}, {W + 1 + 2 * a, 2 * b}});
                break;
            }
        }
    };

    if (Flags & 0x0004) {
        TBitmap offscreen;
        offscreen.SetSize(W, H);
        {
            PaletteScope selected(offscreen.Canvas()->Handle(), palette, false);
            paint(offscreen.Canvas(), 0, 0);
        }
        PaletteScope selected(Canvas->Handle(), palette, false);
        Canvas->Draw(R.left, R.top, &offscreen);
        return;
    }
    std::optional<ClipScope> clip;
    if (Flags & ZCLBmpClip) clip.emplace(Canvas->Handle(), MoveByClipOffset(R, ClipOffset));
    PaletteScope selected(Canvas->Handle(), palette, false);
    paint(Canvas, R.left, R.top);
}

void ZCLSuperGradientPaint(TCanvas* Canvas, const TRect& R, std::span<const TColor> Colors, std::uint8_t Count,
                           TZCLGradientStyle Style, std::uint16_t Flags, std::int32_t ClipOffset)
{
    if (Colors.size() < 2) return;
    const int n = int(Colors.size()) - 1;
    const int steps = Count / n;
    if (steps < 2) return;
    TList list;
    // The first segment keeps its start colour; the others leave out theirs, which ends the segment before.
    for (int j = 0; j < n; ++j)
        ZCLGradientCreateColorList(Colors[std::size_t(j)], Colors[std::size_t(j) + 1], std::uint8_t(steps), j == 0,
                                   &list);
    ZCLGradientPaintExt(Canvas, R, Style, &list, nullptr, Flags, ClipOffset);
}

// Button faces ---------------------------------------------------------------------------------------------------

bool ZCLDrawBtnIsFlat(TZCLUserButtonStyle Style) { return Style >= ubsVestoFlat && Style <= ubsExplorerColored; }

bool ZCLDrawBtnFace(TCanvas* Canvas, bool MouseOver, TRect& R, TZCLUserButtonStyle Style, TZCLButtonState State,
                    std::uint16_t Flags, TColor Color)
{
    if (!Canvas) return true;
    if (Style == ubsAutoDetect) Style = NewStyleControls ? ubsWin40 : ubsWin31;
    enum { win31, frame, push, vesto, flat, integrated } look = flat;
    switch (Style) {
    case ubsWin31: look = win31; break;
    case ubsWin40: look = Flags & 0x04 ? frame : push; break;
    case ubsVesto: look = vesto; break;
    case ubsIntegrated: look = integrated; break;
    default: look = flat; break;
    }
    const bool pressed = State == bsOptionSet || State == bsDown || State == bsDropDownOpen || State == bsDisabledDown;
    const bool explorer = Style == ubsExplorer || Style == ubsExplorerColored;
    const bool boxed = Style == ubsNavigator || Style == ubsVestoFlat;
    TPen* pen = Canvas->Pen();
    TBrush* brush = Canvas->Brush();
    auto edge = [&](TRect& r, UINT kind, UINT sides) { DrawEdge(Canvas->Handle(), &r, kind, sides); };
    auto corners = [&](const TRect& r) {
        Canvas->SetPixels(r.left, r.top, clBtnFace);
        Canvas->SetPixels(r.right - 1, r.top, clBtnFace);
        Canvas->SetPixels(r.left, r.bottom - 1, clBtnFace);
        Canvas->SetPixels(r.right - 1, r.bottom - 1, clBtnFace);
    };
    auto fillFace = [&] {
        brush->SetBitmap(nullptr);
        brush->SetColor(Color);
        brush->SetStyle(bsSolid);
        Canvas->FillRect(R);
    };
    auto penRect = [&](const TRect& r, TColor c) {
        pen->SetStyle(psSolid);
        pen->SetColor(c);
        Canvas->Rectangle(r);
    };

    if (!explorer) {
        if (State == bsOptionSet && !(look == flat && MouseOver)) {
            brush->SetColor(Color);
            brush->SetBitmap(ZCLApplication->GetBrushBitmap(Color));
            Canvas->FillRect(R);
        } else {
            fillFace();
        }
    }

    if (!pressed && (Flags & (0x02 | 0x20))) {
        TRect e = R;
        edge(e, BDR_SUNKENOUTER, BF_TOPLEFT | BF_SOFT | (Flags & 0x10 ? BF_MIDDLE : 0));
        e = R;
        edge(e, BDR_RAISEDOUTER, BF_BOTTOMRIGHT);
        if (Style == ubsWin31 && (Flags & 0x01)) {
            corners(R);
            Flags &= std::uint16_t(~0x01);
        }
        Shrink(R, 1);
    }

    TRect Q = R;
    switch (look) {
    case win31: {
        TRect e = R;
        edge(e, BDR_SUNKENOUTER, BF_SOFT | BF_TOPLEFT);
        e = R;
        edge(e, BDR_RAISEDOUTER, BF_BOTTOMRIGHT);
        if (Flags & 0x01) corners(R);
        Shrink(R, 1);
        if (!pressed) {
            edge(R, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
            edge(R, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
        } else {
            e = R;
            edge(e, BDR_SUNKENINNER, BF_TOPLEFT);
        }
        Shrink(Q, 1);
        break;
    }
    case frame:
        if (!pressed) ZCLDrawStdFrame(Canvas, R, lsRaisedspb, BF_RECT);
        else if (Flags & 0x08) {
            TRect e = R;
            edge(e, EDGE_SUNKEN, BF_RECT);
        } else ZCLDrawStdFrame(Canvas, R, lsLowered, BF_RECT);
        break;
    case push:
        if (!pressed) {
            if (Flags & 0x02) {
                edge(R, BDR_RAISEDOUTER, BF_SOFT | BF_ADJUST | BF_RECT);
                edge(R, BDR_RAISEDINNER, BF_ADJUST | BF_BOTTOMRIGHT);
            } else {
                ZCLDrawStdFrame(Canvas, R, lsRaisedspb, BF_RECT);
            }
        } else {
            penRect(R, clBlack);
            penRect(Shrunk(R, 1), clGray);
            pen->SetColor(clBlack);
        }
        break;
    case vesto:
        brush->SetStyle(bsClear);
        penRect(R, clBlack);
        if (!pressed) {
            TRect e = Shrunk(R, 1);
            edge(e, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
            Shrink(R, 1);
        } else {
            pen->SetColor(clGray);
            Canvas->MoveTo(R.left + 1, R.top + 1);
            Canvas->LineTo(R.right - 1, R.top + 1);
            Canvas->MoveTo(R.left + 1, R.top + 1);
            Canvas->LineTo(R.left + 1, R.bottom - 1);
        }
        break;
    case flat:
        if (pressed || State == bsMouseOver) {
            if (boxed) {
                pen->SetStyle(psSolid);
                Canvas->Rectangle(R);
                Shrink(R, 1);
            }
            edge(R, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
        } else if (!explorer) {
            fillFace();
        }
        break;
    case integrated:
        if (!pressed) {
            penRect(R, clBlack);
            pen->SetColor(clBtnFace);
            Canvas->MoveTo(R.right - 2, R.top);
            Canvas->LineTo(R.left, R.top);
            Canvas->LineTo(R.left, R.bottom - 1);
            penRect(TRect(R.left + 1, R.top + 1, R.right - 1, R.bottom - 1), clWhite);
            pen->SetColor(clGray);
            Canvas->MoveTo(R.right - 2, R.top + 1);
            Canvas->LineTo(R.right - 2, R.bottom - 2);
            Canvas->LineTo(R.left, R.bottom - 2);
        } else {
            penRect(R, clGray);
        }
        break;
    }

    if (Flags & 0x02) {
        brush->SetStyle(bsSolid);
        Canvas->DrawFocusRect(Shrunk(Q, pressed ? 4 : 3));
    }
    // The checkerboard is the application's: the canvas does not keep it.
    brush->SetBitmap(nullptr);
    R = Shrunk(Q, 3);
    if (pressed) OffsetRect(&R, 1, 1);
    return true;
}
