// Aligned, measured and three-dimensional text, font tests, and the glyph-and-text layout.

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <numbers>
#include <optional>

#include "framework/runtime/Handles.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclprocs.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"
#include "zcl/graphics/ZclutilsdrawPrivate.h"

using namespace zcldraw_detail;

namespace {

// A canvas on the screen's DC in a font, for measuring.
class ScreenCanvas {
public:
    explicit ScreenCanvas(TFont* font) : dc_(nullptr)
    {
        canvas_.SetHandle(dc_.get());
        if (font) canvas_.SetFont(font);
    }
    ScreenCanvas(const ScreenCanvas&) = delete;
    ScreenCanvas& operator=(const ScreenCanvas&) = delete;
    ~ScreenCanvas() { canvas_.SetHandle(nullptr); }
    bool Valid() const { return bool(dc_); }
    HDC Handle() { return canvas_.Handle(); }

private:
    WindowDC dc_;
    TCanvas canvas_;
};

// The extra spacing of a caption's tracing for one drawing or measuring.
class Tracing {
public:
    Tracing(HDC dc, const TZCL3DCaption* caption) : dc_(dc)
    {
        if (caption && caption->Tracing() != 0) {
            old_ = SetTextCharacterExtra(dc, caption->Tracing());
            set_ = true;
        }
    }
    Tracing(const Tracing&) = delete;
    Tracing& operator=(const Tracing&) = delete;
    ~Tracing()
    {
        if (set_) SetTextCharacterExtra(dc_, old_);
    }

private:
    HDC dc_;
    int old_ = 0;
    bool set_ = false;
};

int LightAndShadow(const TZCL3DCaption& c) { return c.LightDepth() + c.ShadowDepth(); }

// What the 3D style adds to the text's size. Measuring counts the outline and the extrusions too; the width and
// height helpers do not.
int Extent3D(const TZCL3DCaption* c, bool all)
{
    if (!c) return 0;
    switch (c->Style()) {
    case tdSunken:
    case tdRaised: return c->LightDepth();
    case tdSunkenShadow:
    case tdRaisedShadow:
    case tdPColorSunken:
    case tdPColorRaised: return LightAndShadow(*c);
    case tdShadow: return c->ShadowDepth();
    case tdOutline:
    case tdExtrude:
    case tdExtrudeEnh: return all ? c->ShadowDepth() : 0;
    default: return 0;
    }
}

// How far a rotated text's position is pulled back for its 3D style.
int Inset3D(const TZCL3DCaption& c)
{
    int d = 0;
    switch (c.Style()) {
    case tdSunken:
    case tdRaised: d = c.LightDepth() / 2 - 1; break;
    case tdSunkenShadow:
    case tdRaisedShadow:
    case tdPColorSunken:
    case tdPColorRaised: d = LightAndShadow(c) / 2 - 1; break;
    case tdShadow:
    case tdExtrude:
    case tdExtrudeEnh: d = c.ShadowDepth() / 2 - 1; break;
    default: break;
    }
    return std::max(d, 0);
}

// How much narrower the text's rectangle is drawn so that the 3D offsets stay inside.
int RightCut(TZCLThreeDStyle style, const TZCL3DCaption& c)
{
    switch (style) {
    case tdSunken:
    case tdRaised: return c.LightDepth();
    case tdSunkenShadow:
    case tdRaisedShadow:
    case tdPColorSunken:
    case tdPColorRaised: return LightAndShadow(c);
    case tdShadow: return c.ShadowDepth();
    default: return 0;
    }
}

COLORREF Rgb(TColor c) { return COLORREF(ColorToRGB(c)) & 0xFFFFFF; }

}  // namespace

unsigned ZCLAlignmentFlags(TZCLAlignment Alignment)
{
    static const unsigned flags[] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    return Alignment < std::size(flags) ? flags[Alignment] : 0;
}

TRect ZCLAlignRect(TZCLAlignment Alignment, const TRect& R, const TRect& Area)
{
    const int w = R.Width(), h = R.Height();
    const int freeW = Area.Width() - w, freeH = Area.Height() - h;
    const int column = Alignment % 3, row = Alignment / 3;
    const int dx = column == 0 ? 0 : column == 1 ? freeW / 2 : freeW;
    const int dy = row == 0 ? 0 : row == 1 ? freeH / 2 : freeH;
    return Bounds(Area.left + dx, Area.top + dy, w, h);
}

TRect ZCLAlignTextRect(TZCLAlignment Alignment, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R,
                       TFont* Font, bool MultiLine, bool ShowAccelChar, int Flags)
{
    TRect measured = R;
    measured.right -= 1;
    ZCLDrawTextCalc(Text, Caption, measured, Font, MultiLine, ShowAccelChar, 0, Flags);
    return ZCLAlignRect(Alignment, measured, R);
}

// Drawing ----------------------------------------------------------------------------------------------------

void ZCLDrawTextExt(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R, int Flags,
                    TZCLDrawTextStyles Styles, const TRect* Clip)
{
    if (!Canvas || Text.IsEmpty() || R.IsEmpty()) return;
    if (!Caption) {
        TRect r = R;
        DrawTextA(Canvas->Handle(), Text.c_str(), Text.Length(), &r, UINT(Flags));
        return;
    }
    Canvas->Brush()->SetStyle(bsClear);
    HDC dc = Canvas->Handle();
    std::optional<ClipScope> clip;
    if (Styles.Contains(dtClip)) clip.emplace(dc, Clip ? *Clip : R);
    Tracing tracing(dc, Caption);

    TZCLThreeDStyle style = Caption->Style();
    COLORREF textColor;
    if (Styles.Contains(dtEnabled) || Caption->DisabledStyle() == dsNone) {
        const bool fromBrush = style == tdPColorSunken || style == tdPColorRaised;
        textColor = Rgb(fromBrush ? Canvas->Brush()->Color() : Canvas->Font()->Color());
    } else {
        textColor = Rgb(clGrayText);
        if (Caption->DisabledStyle() == ds3d || (Caption->DisabledStyle() == dsAuto && Styles.Contains(dt3DDisabled)))
            style = tdSunken;
    }
    const COLORREF oldText = GetTextColor(dc);

    // A turned caption draws from a point in a font turned by the angle; every other one into R.
    auto* fx = dynamic_cast<TZCLFxCaption*>(Caption);
    const bool turned = fx && fx->Angle() != 0;
    FontHandle turnedFont;
    std::optional<SelectedObject> turnedSelected;
    if (turned) {
        LOGFONTA lf{};
        GetObjectA(Canvas->Font()->Handle(), sizeof lf, &lf);
        lf.lfEscapement = lf.lfOrientation = LONG(fx->Angle()) * 10;
        turnedFont.reset(CreateFontIndirectA(&lf));
        if (turnedFont) turnedSelected.emplace(dc, turnedFont.get());
    }
    TRect box = R;
    box.right -= RightCut(style, *Caption);
    const TPoint origin = turned ? TPoint(R.left + fx->PosX(), R.top + fx->PosY()) : TPoint(R.left, R.top);
    int px = 0, py = 0;  // where the next copy goes, relative to the first
    auto drawHere = [&](COLORREF color) {
        SetTextColor(dc, color);
        if (turned) {
            TextOutA(dc, origin.x + px, origin.y + py, Text.c_str(), Text.Length());
        } else {
            TRect r = box;
            OffsetRect(&r, px, py);
            DrawTextA(dc, Text.c_str(), Text.Length(), &r, UINT(Flags));
        }
    };
    auto step = [&](int dx, int dy, COLORREF color) {
        px += dx;
        py += dy;
        drawHere(color);
    };

    const int ld = Caption->LightDepth(), sd = Caption->ShadowDepth(), both = ld + sd;
    const COLORREF light = Rgb(Caption->LightColor()), shadow = Rgb(Caption->ShadowColor());
    switch (style) {
    case tdSunken:
        step(ld, ld, light);
        step(-ld, -ld, textColor);
        break;
    case tdRaised:
        step(0, 0, light);
        step(ld, ld, textColor);
        break;
    case tdSunkenShadow:
    case tdPColorSunken:
        step(0, 0, shadow);
        step(both, both, light);
        step(-ld, -ld, textColor);
        break;
    case tdRaisedShadow:
    case tdPColorRaised:
        step(both, both, shadow);
        step(-both, -both, light);
        step(ld, ld, textColor);
        break;
    case tdShadow:
        step(sd, sd, shadow);
        step(-sd, -sd, textColor);
        break;
    case tdOutline: {
        px = py = sd / 2;
        BeginPath(dc);
        drawHere(textColor);
        EndPath(dc);
        LOGBRUSH lb{BS_SOLID, textColor, 0};
        PenHandle pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID, DWORD(std::max(sd, 1)), &lb, 0, nullptr));
        if (pen) {
            SelectedObject selected(dc, pen.get());
            StrokePath(dc);
        } else {
            AbortPath(dc);
        }
        break;
    }
    case tdExtrude:
    case tdExtrudeEnh: {
        // Step by step towards the text from the corner the orientation names; the text covers the last step.
        int dx = 1, dy = 1;
        switch (Caption->Orientation()) {
        case toBottomLeft:
            py = sd + 1;
            dy = -1;
            break;
        case toBottomRight:
            px = py = sd + 1;
            dx = dy = -1;
            break;
        case toTopLeft: break;
        case toTopRight:
            px = sd + 1;
            dx = -1;
            break;
        }
        for (int k = sd; k >= 1; --k) {
            const COLORREF c = style == tdExtrude
                                   ? shadow
                                   : Rgb(ZCLGradientGetColor(Caption->ShadowColor(), Caption->LightColor(), k - 1, sd));
            step(dx, dy, c);
        }
        drawHere(textColor);
        break;
    }
    default: drawHere(textColor); break;
    }
    SetTextColor(dc, oldText);
}

void ZCLDrawText(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R, int Flags)
{
    ZCLDrawTextExt(Canvas, Text, Caption, R, Flags, TZCLDrawTextStyles{dtEnabled}, nullptr);
}

// Measuring --------------------------------------------------------------------------------------------------

void ZCLDrawTextCalc(const AnsiString& Text, TZCL3DCaption* Caption, TRect& R, TFont* Font, bool MultiLine,
                     bool ShowAccelChar, int Border, int Flags)
{
    TCanvas canvas;
    ZCLDrawTextCalcExt(&canvas, Text, Caption, R, Font, MultiLine, ShowAccelChar, Border, Flags);
}

void ZCLDrawTextCalcExt(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, TRect& R, TFont* Font,
                        bool MultiLine, bool ShowAccelChar, int Border, int Flags)
{
    // A canvas that draws on a DC of its own (a bitmap's) is not taken off it.
    std::optional<TCanvas> own;
    TCanvas* canvas = Canvas;
    if (!canvas || canvas->HandleAllocated()) canvas = &own.emplace();
    WindowDC screen(nullptr);
    struct Detach {
        TCanvas* canvas;
        ~Detach() { canvas->SetHandle(nullptr); }
    } detach{canvas};
    canvas->SetHandle(screen.get());
    if (Font) canvas->SetFont(Font);
    HDC dc = canvas->Handle();

    auto* fx = dynamic_cast<TZCLFxCaption*>(Caption);
    if (fx && fx->Angle() == 0) fx->SetPosXY(0, 0);
    Tracing tracing(dc, Caption);
    if (!fx || fx->Angle() == 0) {
        // Alignment does not change the size; left and top stay where they are.
        UINT flags = (UINT(Flags) & ~UINT(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT | DT_EXPANDTABS;
        if (MultiLine) flags |= DT_WORDBREAK;
        if (!ShowAccelChar) flags |= DT_NOPREFIX;
        AnsiString text = Text;
        if (text.IsEmpty() || (ShowAccelChar && text == "&")) text = " ";
        DrawTextExA(dc, const_cast<char*>(text.c_str()), text.Length(), &R, flags, nullptr);
        const int extent = Extent3D(Caption, true);
        R.right += extent;
        R.bottom += extent;
    } else {
        SIZE size{};
        GetTextExtentPoint32A(dc, Text.c_str(), Text.Length(), &size);
        const int w = size.cx, h = size.cy;
        R = TRect(0, 0, w, h);
        const int extent = Extent3D(Caption, true);
        R.right += extent;
        R.bottom += extent;
        ZCLCalcRotRect(R, fx->Angle());
        const double a = fx->Angle() * std::numbers::pi / 180.0;
        const double s = std::sin(a), c = std::cos(a);
        const int cx = (R.left + R.right) / 2, cy = (R.top + R.bottom) / 2;
        const int d = Inset3D(*fx);
        fx->SetPosX(int(Round(cx - (w / 2) * c - (h / 2) * s)) - d);
        fx->SetPosY(int(Round(cy + (w / 2) * s - (h / 2) * c)) - d);
    }
    R.right += 2 * (Border + 1);
    R.bottom += 2 * (Border + 1);
}

int ZCLGet3DTextWidth(const AnsiString& Text, TZCL3DCaption* Caption, TFont* Font)
{
    if (!Caption) return 0;
    ScreenCanvas screen(Font);
    if (!screen.Valid()) return 0;
    HDC dc = screen.Handle();
    Tracing tracing(dc, Caption);
    SIZE size{};
    GetTextExtentPoint32A(dc, Text.c_str(), Text.Length(), &size);
    return int(size.cx) + Extent3D(Caption, false);
}

int ZCLGet3DTextHeight(TZCL3DCaption* Caption, TFont* Font) { return ZCLGetFontHeight(Font) + Extent3D(Caption, false); }

int ZCLGetFontHeight(TFont* Font)
{
    ScreenCanvas screen(Font);
    if (!screen.Valid()) return 0;
    SIZE size{};
    if (!GetTextExtentPoint32A(screen.Handle(), "W", 1, &size)) return 0;
    return int(size.cy);
}

bool ZCLIsTrueTypeFont(TFont* Font)
{
    ScreenCanvas screen(Font);
    if (!screen.Valid()) return false;
    TEXTMETRICA tm{};
    return GetTextMetricsA(screen.Handle(), &tm) && (tm.tmPitchAndFamily & TMPF_TRUETYPE);
}

bool ZCLIsTrueTypeFontCheck(TCanvas* Canvas)
{
    if (!Canvas) return false;
    TEXTMETRICA tm{};
    return GetTextMetricsA(Canvas->Handle(), &tm) && (tm.tmPitchAndFamily & TMPF_TRUETYPE);
}

// Glyph and text ---------------------------------------------------------------------------------------------

namespace {

TRect Grown(const TRect& r, int n) { return TRect(r.left - n, r.top - n, r.right + n, r.bottom + n); }

// The union that leaves empty rectangles out, as the system's does.
TRect Union(const TRect& a, const TRect& b)
{
    TRect u;
    UnionRect(&u, &a, &b);
    return u;
}

}  // namespace

void ZCLDrawTextAndGlyphExt(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R,
                            TCanvas* GlyphCanvas, TRect& GlyphRect, TCanvas* MaskCanvas, TColor TransparentColor,
                            TZCLGlyphTextLayout* Layout, bool MultiLine, bool ShowAccelChar, bool Transparent,
                            TZCLDrawTextStyles Styles, int Flags, TZCLGlyphTextRects& Rects)
{
    Rects[ZCLGlyphTextText] = Rects[ZCLGlyphTextGlyph] = Rects[3] = TRect();
    if (!Canvas) return;
    static TZCLGlyphTextLayout plainLayout;
    TZCLGlyphTextLayout& layout = Layout ? *Layout : plainLayout;
    const bool hasGlyph = GlyphCanvas && !GlyphRect.IsEmpty();
    const bool hasText = !Text.IsEmpty();
    const int sp = hasText == hasGlyph ? layout.Spacing() : 0;

    TRect T, G;
    if (hasText) {
        T = TRect(0, 0, std::abs(int(R.right - R.left)), 0);
        ZCLDrawTextCalc(Text, Caption, T, Canvas->Font(), MultiLine, ShowAccelChar, 0, Flags);
    }
    if (hasGlyph) G = TRect(0, 0, GlyphRect.Width(), GlyphRect.Height());

    auto* buttonLayout = dynamic_cast<TZCLButtonLayout*>(&layout);
    const bool arrow = buttonLayout && buttonLayout->Arrow();
    const int arrowSize = arrow ? buttonLayout->ArrowSize() : 0;
    const int aw = arrow ? 2 * arrowSize - 1 : 0;
    const int indent = arrow ? buttonLayout->ArrowIndent() : 0;
    const TZCLArrowPosition arrowAt = arrow ? buttonLayout->ArrowPosition() : apRightText;
    if (arrow) {
        if (arrowAt == apRightText || arrowAt == apLeftText) T.right += aw + indent;
        else G.right += aw + indent;
    }

    const bool calculating = Styles.Contains(dtCalculate);
    if (calculating) Styles.Include(dtRectGlyphText);

    // Side by side or stacked, the smaller one centred across the larger.
    const int tw = T.Width(), th = T.Height(), gw = G.Width(), gh = G.Height();
    const TZCLTextArrange arrange = layout.AlignText2Glyph();
    const bool sideBySide = arrange <= taRightTop;
    int dT = 0, dG = 0;
    TRect block;
    if (sideBySide) {
        const int m = std::max(th, gh);
        if (gh > th) dT = (m - th) / 2;
        else dG = (m - gh) / 2;
        block = TRect(0, 0, tw + sp + gw, m);
    } else {
        const int m = std::max(tw, gw);
        if (gw > tw) dT = (m - tw) / 2;
        else dG = (m - gw) / 2;
        block = TRect(0, 0, m, th + sp + gh);
    }
    auto move = [](TRect& r, int dx, int dy) { OffsetRect(&r, dx, dy); };
    switch (arrange) {
    case taLeft:
        move(G, tw + sp, dG);
        move(T, 0, dT);
        break;
    case taLeftTop:
        move(G, tw + sp, 0);
        move(T, 0, dT);
        break;
    case taRight:
        move(G, 0, dG);
        move(T, gw + sp, dT);
        break;
    case taRightTop: move(T, gw + sp, dT); break;
    case taTop:
        move(G, dG, th + sp);
        move(T, dT, 0);
        break;
    case taTopLeft:
        move(G, 0, th + sp);
        move(T, dT, 0);
        break;
    case taBottom:
        move(G, dG, 0);
        move(T, dT, gh + sp);
        break;
    case taBottomLeft: move(T, dT, gh + sp); break;
    }

    if (!Styles.Contains(dtAutoSize)) {
        const TRect placed = ZCLAlignRect(layout.Alignment(), block, R);
        move(G, placed.left, placed.top);
        move(T, placed.left + 1, placed.top + 1);
    }
    if (arrow && arrowAt == apLeftText) move(T, indent + aw, 0);

    Canvas->Brush()->SetStyle(bsClear);
    Flags |= DT_EXPANDTABS | DT_WORDBREAK;
    if (MultiLine) Flags |= int(ZCLAlignmentFlags(layout.Alignment()));
    move(T, layout.OffsetX(), layout.OffsetY());
    move(G, layout.OffsetX(), layout.OffsetY());

    if (!calculating) ZCLDrawTextExt(Canvas, Text, Caption, T, Flags, Styles, nullptr);
    Rects[ZCLGlyphTextText] = T;

    std::optional<TRect> focus;
    if (Styles.Contains(dtRectText)) focus = Grown(T, 1);

    const bool enabled = Styles.Contains(dtEnabled);
    auto drawArrow = [&](int x, int y) {
        if (!calculating) ZCLDrawTriangle(Canvas, x, y, arrowSize, buttonLayout->ArrowColor(), true, enabled);
    };
    if (arrow) {
        const int y = T.top + T.Height() / 2 - arrowSize / 2;
        if (arrowAt == apRightText) drawArrow(MultiLine ? T.right - arrowSize - 1 : T.right - aw - 1, y);
        else if (arrowAt == apLeftText) drawArrow(T.left - indent - aw, y);
        else if (arrowAt == apLeftGlyph) move(G, indent + aw, 0);
    }

    if (hasGlyph) {
        if (!calculating) {
            std::uint16_t flags = 0;
            TObject* extra = nullptr;
            if (Transparent) {
                if (MaskCanvas) {
                    flags = ZCLBmpMask;
                    extra = MaskCanvas;
                } else {
                    flags = ZCLBmpTransparent;
                }
            }
            ZCLBmpDrawExt(Canvas, G, GlyphCanvas, GlyphRect, flags, TransparentColor, nullptr, extra);
        }
        if (Styles.Contains(dtRectGlyph)) focus = G;
    }

    Rects[ZCLGlyphTextGlyph] = G;
    if (Styles.Contains(dtRectGlyphText)) focus = Grown(Union(G, T), 1);
    Rects[ZCLGlyphTextUnion] = Union(G, T);

    if (arrow) {
        const int y = G.top + G.Height() / 2 - arrowSize / 2;
        if (arrowAt == apRightGlyph) drawArrow(G.right - aw, y);
        else if (arrowAt == apLeftGlyph) drawArrow(G.left - indent - aw, y);
    }

    TRect f = focus ? *focus : Grown(R, -1);
    if (calculating) f = Grown(f, 1);
    GlyphRect = f;
}

void ZCLDrawTextAndGlyph(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R,
                         TBitmap* Glyph, TBitmap* Mask, TZCLGlyphTextLayout* Layout, bool MultiLine,
                         bool ShowAccelChar, bool Transparent, TZCLDrawTextStyles Styles, int Flags)
{
    const bool hasGlyph = Glyph && !Glyph->Empty();
    TRect area = hasGlyph ? TRect(0, 0, Glyph->Width(), Glyph->Height()) : TRect();
    TZCLGlyphTextRects rects;
    ZCLDrawTextAndGlyphExt(Canvas, Text, Caption, R, hasGlyph ? Glyph->Canvas() : nullptr, area,
                           Mask && !Mask->Empty() ? Mask->Canvas() : nullptr,
                           hasGlyph ? Glyph->TransparentColor() : clNone, Layout, MultiLine, ShowAccelChar,
                           Transparent, Styles, Flags, rects);
}
