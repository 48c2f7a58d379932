#include "zcl/graphics/Zclregion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <numbers>
#include <utility>

#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclclass.h"

namespace {

const bool regionPublished = [] {
    PublishedProperties<TZCLRegionBorder>()
        .Enumeration("Style", &TZCLRegionBorder::Style, &TZCLRegionBorder::SetBorderStyle,
                     {"rbNone", "rbLowered", "rbRaised", "rbSingle", "rbSingleRaised", "rbSingleLowered", "rbRaisedpsb",
                      "rbLoweredpsb"},
                     rbSingle)
        .Integer("LightColor", &TZCLRegionBorder::LightColor, &TZCLRegionBorder::SetLightColor, int(clBtnHighlight))
        .Integer("ShadowColor", &TZCLRegionBorder::ShadowColor, &TZCLRegionBorder::SetShadowColor, int(clBtnShadow))
        .Integer("SingleColor", &TZCLRegionBorder::SingleColor, &TZCLRegionBorder::SetSingleColor, int(clBlack));
    PublishedProperties<TZCLRegion>()
        .Enumeration("Shape", &TZCLRegion::Shape, &TZCLRegion::SetShape,
                     {"rsRect", "rsRoundRect", "rsBitmap", "rsNoseRect", "rsRoundNoseRect", "rsElliptic", "rsStar",
                      "rsRoundShield", "rsSharpShield", "rsDiamond", "rsOctagon", "rsComb", "rsHalfRound",
                      "rsUserRegion", "rsThinkBubble", "rsRoundThinkBubble", "rsEllipticThinkBubble", "rsPointList"},
                     rsRoundRect)
        .Enumeration("ExtPos", &TZCLRegion::ExtPos, &TZCLRegion::SetExtPos,
                     {"epLeftTop", "epTopLeft", "epTopRight", "epRightTop", "epRightBottom", "epBottomRight",
                      "epBottomLeft", "epLeftBottom"},
                     epLeftTop)
        .Object("Mask", &TZCLRegion::Mask, &TZCLRegion::SetMask)
        .Integer("RoundX", &TZCLRegion::RoundX, &TZCLRegion::SetRoundX, 20)
        .Integer("RoundY", &TZCLRegion::RoundY, &TZCLRegion::SetRoundY, 20)
        .Object("Shadow", &TZCLRegion::Shadow, &TZCLRegion::SetShadow);
    PublishedProperties<TZCLBorderRegion>().Object("Border", &TZCLBorderRegion::Border, &TZCLBorderRegion::SetBorder);
    PublishedProperties<TZCLFormShape>()
        .String("About", &TZCLFormShape::About, &TZCLFormShape::SetAbout)
        .Boolean("Enabled", &TZCLFormShape::Enabled, &TZCLFormShape::SetEnabled, true)
        .Object("Region", &TZCLFormShape::Region, &TZCLFormShape::SetRegion)
        .Boolean("ShowFormCaption", &TZCLFormShape::ShowFormCaption, &TZCLFormShape::SetShowFormCaption, true)
        .Boolean("FormDragable", &TZCLFormShape::FormDragable, &TZCLFormShape::SetFormDragable, true)
        .Boolean("UseRgnBitmap", &TZCLFormShape::UseRgnBitmap, &TZCLFormShape::SetUseRgnBitmap, true)
        .Object("FillObject", &TZCLFormShape::FillObject, &TZCLFormShape::SetFillObject)
        .Object("ImageList", &TZCLFormShape::ImageList, &TZCLFormShape::SetImageList)
        .Stored([](TZCLFormShape* s) { return !ZCLIsGlobalIdent(s->ImageList()); })  // those go as "Internal"
        .Integer("ListIndex", &TZCLFormShape::ListIndex, &TZCLFormShape::SetListIndex, 0)
        .Integer("ImageIndex", &TZCLFormShape::ImageIndex, &TZCLFormShape::SetImageIndex, 0);
    return true;
}();

// Nearest integer, halves to the even one.
int Nint(double v) { return int(Round(static_cast<long double>(v))); }

HRGN Polygon(std::span<const TPoint> p)
{
    if (p.empty()) return CreateRectRgn(0, 0, 0, 0);
    return CreatePolygonRgn(p.data(), int(p.size()), ALTERNATE);
}

// Dest combined with Src (when there is one) by Mode.
void Combine(RegionHandle& dest, HRGN src, int mode)
{
    if (!dest) dest.reset(CreateRectRgn(0, 0, 0, 0));
    if (src) CombineRgn(dest.get(), dest.get(), src, mode);
}

void Unite(RegionHandle& dest, HRGN src)
{
    RegionHandle owned(src);
    Combine(dest, owned.get(), RGN_OR);
}

void Cut(RegionHandle& dest, HRGN src)
{
    RegionHandle owned(src);
    Combine(dest, owned.get(), RGN_DIFF);
}

HRGN CopyOf(HRGN src)
{
    if (!src) return nullptr;
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(copy, src, nullptr, RGN_COPY);
    return copy;
}

// Shape points --------------------------------------------------------------------------------------------------

std::array<TPoint, 4> DiamondPoints(const TRect& r)
{
    const int W = r.Width(), H = r.Height();
    return {{{r.left + W / 2, r.top}, {r.left, r.top + H / 2}, {r.left + W / 2, r.bottom}, {r.right, r.top + H / 2}}};
}

std::array<TPoint, 8> OctagonPoints(const TRect& r)
{
    const int L = r.left, T = r.top, W = r.Width(), H = r.Height();
    return {{{L + (W / 3) * 2, T},
             {L + W / 3, T},
             {L, T + H / 3},
             {L, T + (H / 3) * 2},
             {L + W / 3, r.bottom},
             {L + (W / 3) * 2, r.bottom},
             {r.right, T + (H / 3) * 2},
             {r.right, T + H / 3}}};
}

std::array<TPoint, 6> CombPoints(const TRect& r)
{
    const int L = r.left, T = r.top, W = r.Width(), H = r.Height();
    return {{{L + W / 2, T},
             {L, T + H / 4},
             {L, T + (H / 4) * 3},
             {L + W / 2, r.bottom},
             {r.right, T + (H / 4) * 3},
             {r.right, T + H / 4}}};
}

std::array<TPoint, 10> StarPoints(const TRect& r)
{
    const int L = r.left, T = r.top, W = r.Width(), H = r.Height();
    auto x = [&](double k) { return L + Nint(k * W); };
    auto y = [&](double k) { return T + Nint(k * H); };
    return {{{L + W / 2, T},
             {x(0.65), y(0.38)},
             {r.right, y(0.38)},
             {x(0.7), y(0.6)},
             {x(0.85), r.bottom},
             {L + W / 2, y(0.75)},
             {x(0.15), r.bottom},
             {x(0.3), y(0.6)},
             {L, y(0.38)},
             {x(0.35), y(0.38)}}};
}

bool AtTop(TZCLExtPos pos) { return pos <= epRightTop; }
bool AtLeft(TZCLExtPos pos)
{
    return pos == epLeftTop || pos == epTopLeft || pos == epBottomLeft || pos == epLeftBottom;
}
// A nose on the left or right side rather than on the top or bottom.
bool OnSide(TZCLExtPos pos)
{
    return pos == epLeftTop || pos == epRightTop || pos == epRightBottom || pos == epLeftBottom;
}

// R less Size on the two sides next to the corner.
TRect Shrunk(const TRect& R, int size, TZCLExtPos pos)
{
    TRect r = R;
    if (AtTop(pos)) r.top += size;
    else r.bottom -= size;
    if (AtLeft(pos)) r.left += size;
    else r.right -= size;
    return r;
}

struct Nose {
    TPoint tip, first, second;  // the tip at the corner; the base from Offset to Offset + S x sqrt 2
};

Nose NoseOf(const TRect& r, int size, TZCLExtPos pos, int o)
{
    const int d = Nint(size * std::numbers::sqrt2);
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    Nose n;
    n.tip = TPoint(AtLeft(pos) ? L - size : R + size, AtTop(pos) ? T - size : B + size);
    switch (pos) {
    case epLeftTop: n.first = {L, T + o}, n.second = {L, T + o + d}; break;
    case epTopLeft: n.first = {L + o, T}, n.second = {L + o + d, T}; break;
    case epTopRight: n.first = {R - o, T}, n.second = {R - d - o, T}; break;
    case epRightTop: n.first = {R, T + o}, n.second = {R, T + d + o}; break;
    case epRightBottom: n.first = {R, B - o}, n.second = {R, B - o - d}; break;
    case epBottomRight: n.first = {R - o, B}, n.second = {R - o - d, B}; break;
    case epBottomLeft: n.first = {L + o, B}, n.second = {L + o + d, B}; break;
    case epLeftBottom: n.first = {L, B - o}, n.second = {L, B - o - d}; break;
    }
    return n;
}

HRGN NoseRgn(const Nose& n)
{
    const TPoint p[] = {n.tip, n.first, n.second};
    return Polygon(p);
}

// The bubbles, in growing order, from R's corner along a quarter circle to the shrunk rectangle's corner.
std::vector<TRect> Bubbles(const TRect& r, int size, int count, TZCLExtPos pos)
{
    std::vector<TRect> out;
    if (count < 1) return out;
    const double pi = std::numbers::pi;
    const double k = (size * 2 * pi / 4) / count / count;
    const int S = size, L = r.left, T = r.top, R = r.right, B = r.bottom;
    for (int i = 0; i <= count + 1; ++i) {
        const int d = Nint(i * k);
        const double a = (90.0 / (count + 1)) * i * pi / 180;
        const int c = Nint(std::cos(a) * S), s = Nint(std::sin(a) * S);
        const int c2 = Nint(std::cos(1.57 - a) * S), s2 = Nint(std::sin(1.57 - a) * S);
        TPoint m;
        switch (pos) {
        case epLeftTop: m = {L - c, T - S + s}; break;
        case epTopLeft: m = {L - S + c2, T - s2}; break;
        case epTopRight: m = {R + S - c2, T - Nint(std::sin(1.57 + a) * S)}; break;
        case epRightTop: m = {R + c, T - S + s}; break;
        case epRightBottom: m = {R + c, B + S - s}; break;
        case epBottomRight: m = {R + S - c2, B + s2}; break;
        case epBottomLeft: m = {L - S + c2, B + s2}; break;
        case epLeftBottom: m = {L - c, B + S - s}; break;
        }
        // A bubble too small to have an inside is none.
        if (d / 2 > 0) out.push_back(TRect(m.x - d / 2, m.y - d / 2, m.x + d / 2, m.y + d / 2));
    }
    return out;
}

HRGN WithBubbles(HRGN body, const TRect& shrunk, int size, int count, TZCLExtPos pos)
{
    RegionHandle result(body);
    for (const TRect& b : Bubbles(shrunk, size, count, pos))
        Unite(result, CreateEllipticRgn(b.left, b.top, b.right, b.bottom));
    return result.release();
}

// The shields' top with its two notches cut out, and nothing above R.
void CutShieldTop(RegionHandle& rgn, const TRect& r)
{
    const int L = r.left, T = r.top, W = r.Width(), H = r.Height();
    Cut(rgn, CreateEllipticRgn(L - W / 2, T - H / 5, L + W / 2, T + H / 5));
    Cut(rgn, CreateEllipticRgn(L + W / 2, T - H / 5, L + W / 2 + W, T + H / 5));
    Cut(rgn, CreateRectRgn(L, T - H, r.right, T));
}

// Painting helpers ----------------------------------------------------------------------------------------------

// The pen as the caller set it, given back when the painter ends.
class KeepPen {
public:
    explicit KeepPen(TCanvas* c) : canvas_(c) { saved_.Assign(c->Pen()); }
    KeepPen(const KeepPen&) = delete;
    KeepPen& operator=(const KeepPen&) = delete;
    ~KeepPen() { canvas_->Pen()->Assign(&saved_); }

private:
    TCanvas* canvas_;
    TPen saved_;
};

// The DC's clip region (or none) as it was, given back when the scope ends.
class KeepClip {
public:
    explicit KeepClip(HDC dc) : dc_(dc), saved_(CreateRectRgn(0, 0, 0, 0))
    {
        had_ = saved_ && GetClipRgn(dc, saved_.get()) == 1;
    }
    KeepClip(const KeepClip&) = delete;
    KeepClip& operator=(const KeepClip&) = delete;
    ~KeepClip() { SelectClipRgn(dc_, had_ ? saved_.get() : nullptr); }

private:
    HDC dc_;
    RegionHandle saved_;
    bool had_ = false;
};

void Path(TCanvas* c, std::initializer_list<TPoint> points)
{
    auto it = points.begin();
    if (it == points.end()) return;
    c->MoveTo(it->x, it->y);
    for (++it; it != points.end(); ++it) c->LineTo(it->x, it->y);
}

void Arc(TCanvas* c, const TRect& e, TPoint from, TPoint to)
{
    c->Arc(e.left, e.top, e.right, e.bottom, from.x, from.y, to.x, to.y);
}

using Stroke = std::function<void(TCanvas*)>;

// The parts of one shape's outline for one rectangle.
struct Outline {
    Stroke closed, light, shadow, inner;
};

using OutlineFor = std::function<Outline(const TRect&)>;

TRect Inset(const TRect& r, int n) { return TRect(r.left + n, r.top + n, r.right - n, r.bottom - n); }

// The border styles over one shape: the 3D outline, the closed one, or both; the "psb" styles with inner lines.
void Frame(TCanvas* c, const TRect& R, TColor light, TColor shadow, TColor single, TZCLRegionBorderStyle style,
           const OutlineFor& outline, const std::function<TRect(const TRect&, TZCLRegionBorderStyle)>& inset)
{
    if (!c || style == rbNone) return;
    KeepPen keep(c);
    TPen* pen = c->Pen();
    if (style == rbLowered || style == rbSingleLowered || style == rbLoweredpsb) std::swap(light, shadow);
    auto threeD = [&](const Outline& o) {
        pen->SetColor(light);
        o.light(c);
        pen->SetColor(shadow);
        o.shadow(c);
    };
    switch (style) {
    case rbRaised:
    case rbLowered: threeD(outline(R)); break;
    case rbSingle:
        pen->SetColor(single);
        outline(R).closed(c);
        break;
    case rbSingleRaised:
    case rbSingleLowered:
        pen->SetColor(single);
        outline(R).closed(c);
        threeD(outline(inset(R, style)));
        break;
    case rbRaisedpsb:
    case rbLoweredpsb:
        std::swap(shadow, single);
        threeD(outline(R));
        pen->SetColor(single);
        outline(inset(R, style)).inner(c);
        break;
    default: break;
    }
}

TRect InsetOne(const TRect& r, TZCLRegionBorderStyle) { return Inset(r, 1); }

template <std::size_t N>
Stroke PolygonOf(const std::array<TPoint, N>& p)
{
    return [p](TCanvas* c) { c->Polygon(p.data(), int(N)); };
}

Outline RectOutline(const TRect& r)
{
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    const std::array<TPoint, 4> corners{{{L, T}, {R, T}, {R, B}, {L, B}}};
    Stroke shadow = [=](TCanvas* c) { Path(c, {{L, B}, {R, B}, {R, T}}); };
    return {PolygonOf(corners), [=](TCanvas* c) { Path(c, {{R, T}, {L, T}, {L, B}}); }, shadow, shadow};
}

Outline DiamondOutline(const TRect& r)
{
    const auto p = DiamondPoints(r);
    return {PolygonOf(p),
            [=](TCanvas* c) {
                Path(c, {p[3], p[0], p[1]});
            },
            [=](TCanvas* c) {
                Path(c, {p[1], p[2], p[3]});
            },
            [=](TCanvas* c) {
                Path(c, {p[2], p[3], p[0]});
            }};
}

Outline StarOutline(const TRect& r)
{
    const auto p = StarPoints(r);
    Stroke shadow = [=](TCanvas* c) {
        Path(c, {p[0], p[1]});
        Path(c, {p[2], p[3]});
        Path(c, {p[4], p[5], p[6]});
        Path(c, {p[7], p[8]});
    };
    return {PolygonOf(p),
            [=](TCanvas* c) {
                Path(c, {p[1], p[2]});
                Path(c, {p[3], p[4]});
                Path(c, {p[6], p[7]});
                Path(c, {p[8], p[9], p[0]});
            },
            shadow, shadow};
}

Outline OctagonOutline(const TRect& r)
{
    const auto p = OctagonPoints(r);
    Stroke shadow = [=](TCanvas* c) { Path(c, {p[3], p[4], p[5], p[6], p[7]}); };
    return {PolygonOf(p), [=](TCanvas* c) { Path(c, {p[7], p[0], p[1], p[2], p[3]}); }, shadow, shadow};
}

Outline CombOutline(const TRect& r)
{
    const auto p = CombPoints(r);
    Stroke shadow = [=](TCanvas* c) { Path(c, {p[2], p[3], p[4], p[5]}); };
    return {PolygonOf(p), [=](TCanvas* c) { Path(c, {p[5], p[0], p[1], p[2]}); }, shadow, shadow};
}

// The shields' arcs a to g for one rectangle.
struct ShieldArcs {
    Stroke a, b, c, d, e, f, g;
};

ShieldArcs ShieldArcsOf(const TRect& r)
{
    const int L = r.left, T = r.top, W = r.Width(), H = r.Height(), H5 = H / 5, H87 = (8 * H) / 7;
    const TRect left(L - W / 2, T - H5, L + W / 2, T + H5), right(L + W / 2, T - H5, L + W + W / 2, T + H5);
    const TRect bottom(L, T + H, L + W, T - H + H5);
    const TRect fBox(L - W, T - H87, L + W, T + H87), gBox(L, T - H87, L + 2 * W, T + H87);
    const TPoint leftNotch(L, T + H5), middle(L + W / 2, T), rightNotch(L + W, T + H5), tip(L + W / 2, T + H);
    ShieldArcs s;
    s.a = [=](TCanvas* c) { Arc(c, left, leftNotch, middle); };
    s.b = [=](TCanvas* c) { Arc(c, right, middle, rightNotch); };
    s.c = [=](TCanvas* c) { Arc(c, bottom, leftNotch, tip); };
    s.d = [=](TCanvas* c) { Arc(c, bottom, tip, rightNotch); };
    s.e = [=](TCanvas* c) { Arc(c, bottom, leftNotch, rightNotch); };
    s.f = [=](TCanvas* c) { Arc(c, fBox, tip, rightNotch); };
    s.g = [=](TCanvas* c) { Arc(c, gBox, leftNotch, tip); };
    return s;
}

Stroke Both(Stroke x, Stroke y)
{
    return [x, y](TCanvas* c) {
        x(c);
        y(c);
    };
}

Outline RoundShieldOutline(const TRect& r)
{
    const ShieldArcs s = ShieldArcsOf(r);
    return {[s](TCanvas* c) {
                s.a(c);
                s.b(c);
                s.e(c);
            },
            Both(s.a, s.b), Both(s.c, s.d), Both(s.b, s.d)};
}

Outline SharpShieldOutline(const TRect& r)
{
    const ShieldArcs s = ShieldArcsOf(r);
    return {[s](TCanvas* c) {
                s.f(c);
                s.g(c);
                s.a(c);
                s.b(c);
            },
            Both(s.a, s.b), Both(s.g, s.f), Both(s.f, s.b)};
}

Outline EllipseOutline(const TRect& e, const TRect& r)
{
    const TPoint upperRight(r.right, r.top), lowerLeft(r.left, r.bottom);
    Stroke shadow = [=](TCanvas* c) { Arc(c, e, lowerLeft, upperRight); };
    return {[=](TCanvas* c) { c->Ellipse(e); }, [=](TCanvas* c) { Arc(c, e, upperRight, lowerLeft); }, shadow, shadow};
}

Outline RoundRectOutline(const TRect& r, int cw, int ch)
{
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    Stroke whole = [=](TCanvas* c) { c->RoundRect(L, T, R, B, cw, ch); };
    Stroke strokes = [=](TCanvas* c) {
        Arc(c, TRect(L, B - ch, L + cw, B), {L, B}, {L + cw / 2, B});
        Path(c, {{L + cw / 2, B}, {R - cw / 2, B}});
        Arc(c, TRect(R - cw, B - ch, R, B), {R - cw / 2, B}, {R, B - ch / 2});
        Path(c, {{R, B - ch / 2}, {R, T + ch / 2}});
        Arc(c, TRect(R - cw, T, R, T + ch), {R, T + ch / 2}, {R, T});
    };
    Stroke wide = [strokes](TCanvas* c) {
        c->Pen()->SetWidth(4);
        strokes(c);
    };
    return {whole, whole, wide, strokes};
}

// The shapes that need nothing but their rectangle: the region, the outline a border follows, and the
// rectangle the inner outline of the two-line borders follows.
struct PlainShape {
    HRGN (*region)(const TRect&);
    Outline (*outline)(const TRect&);
    TRect (*inset)(const TRect&, TZCLRegionBorderStyle);
};

HRGN RectRgn(const TRect& r) { return CreateRectRgnIndirect(&r); }
HRGN EllipticRgn(const TRect& r) { return CreateEllipticRgnIndirect(&r); }

// The lower half of an ellipse twice as high as R.
HRGN HalfRoundRgn(const TRect& r)
{
    RegionHandle rgn(CreateEllipticRgn(r.left, r.top - r.Height(), r.right, r.bottom));
    RegionHandle box(CreateRectRgnIndirect(&r));
    Combine(rgn, box.get(), RGN_AND);
    return rgn.release();
}

HRGN RoundShieldRgn(const TRect& R)
{
    const int L = R.left, T = R.top, W = R.Width(), H = R.Height();
    RegionHandle rgn(CreateEllipticRgn(L, T + H / 5 - H, L + W, T + H));
    CutShieldTop(rgn, R);
    return rgn.release();
}

HRGN SharpShieldRgn(const TRect& R)
{
    const int L = R.left, T = R.top, W = R.Width(), H = R.Height(), H87 = (8 * H) / 7;
    RegionHandle rgn(CreateEllipticRgn(L - W, T - H87, L + W, T + H87));
    RegionHandle other(CreateEllipticRgn(L, T - H87, L + 2 * W, T + H87));
    Combine(rgn, other.get(), RGN_AND);
    CutShieldTop(rgn, R);
    return rgn.release();
}

template <auto Points>
HRGN PolygonRgn(const TRect& r)
{
    return Polygon(Points(r));
}

Outline EllipticOutline(const TRect& r) { return EllipseOutline(r, r); }
Outline HalfRoundOutline(const TRect& r)
{
    return EllipseOutline(TRect(r.left, 2 * r.top - r.bottom, r.right, r.bottom), r);
}

TRect StarInset(const TRect& r, TZCLRegionBorderStyle s)
{
    return Inset(r, s == rbSingleRaised || s == rbSingleLowered ? 2 : 3);
}

const PlainShape* PlainShapeOf(TZCLRegionShape shape)
{
    static const PlainShape rect{RectRgn, RectOutline, InsetOne}, elliptic{EllipticRgn, EllipticOutline, InsetOne},
        halfRound{HalfRoundRgn, HalfRoundOutline, InsetOne}, star{PolygonRgn<StarPoints>, StarOutline, StarInset},
        roundShield{RoundShieldRgn, RoundShieldOutline, InsetOne},
        sharpShield{SharpShieldRgn, SharpShieldOutline, InsetOne},
        diamond{PolygonRgn<DiamondPoints>, DiamondOutline, InsetOne},
        octagon{PolygonRgn<OctagonPoints>, OctagonOutline, InsetOne},
        comb{PolygonRgn<CombPoints>, CombOutline, InsetOne};
    switch (shape) {
    case rsRect: return &rect;
    case rsElliptic: return &elliptic;
    case rsHalfRound: return &halfRound;
    case rsStar: return &star;
    case rsRoundShield: return &roundShield;
    case rsSharpShield: return &sharpShield;
    case rsDiamond: return &diamond;
    case rsOctagon: return &octagon;
    case rsComb: return &comb;
    default: return nullptr;
    }
}

// The frame of the rectangle a nose leaves, with a gap where the nose joins it.
void FrameNose(TCanvas* c, const TRect& R, int size, TZCLExtPos pos, int cw, int ch, bool round, TColor light,
               TColor shadow, TColor single, TZCLRegionBorderStyle style)
{
    if (!c || style == rbNone) return;
    const TRect r = Shrunk(R, size, pos);
    const int offset = round ? (OnSide(pos) ? ch : cw) : 5, margin = round ? 4 : 2;
    const Nose n = NoseOf(r, size, pos, offset);
    HDC dc = c->Handle();
    KeepClip keep(dc);
    ExcludeClipRect(dc, std::min(n.first.x, n.second.x) - margin, std::min(n.first.y, n.second.y) - margin,
                    std::max(n.first.x, n.second.x) + margin, std::max(n.first.y, n.second.y) + margin);
    if (round) ZCLFrameRoundRectRgn(c, r, light, shadow, single, style, cw, ch);
    else ZCLFrameRectRgn(c, r, light, shadow, single, style);
}

enum class BubbleBody { Rect, Round, Ellipse };

void FrameBubbles(TCanvas* c, const TRect& R, int size, int count, TZCLExtPos pos, BubbleBody body, int cw, int ch,
                  TColor light, TColor shadow, TColor single, TZCLRegionBorderStyle style)
{
    if (!c || style == rbNone) return;
    const TRect r = Shrunk(R, size, pos);
    HDC dc = c->Handle();
    KeepClip keep(dc);
    for (const TRect& b : Bubbles(r, size, count, pos)) {
        ZCLFrameEllipticRgn(c, b, light, shadow, single, style);
        RegionHandle bubble(CreateEllipticRgn(b.left, b.top, b.right, b.bottom));
        ExtSelectClipRgn(dc, bubble.get(), RGN_DIFF);
    }
    switch (body) {
    case BubbleBody::Rect: ZCLFrameRectRgn(c, r, light, shadow, single, style); break;
    case BubbleBody::Round: ZCLFrameRoundRectRgn(c, r, light, shadow, single, style, cw, ch); break;
    case BubbleBody::Ellipse: ZCLFrameEllipticRgn(c, r, light, shadow, single, style); break;
    }
}

// Each edge by its direction: light running up or right, shadow running down or left.
void FramePointList(TCanvas* c, TZCLPointList* list, TColor light, TColor shadow, TColor single,
                    TZCLRegionBorderStyle style)
{
    if (!c || !list || style == rbNone || list->Count() < 2) return;
    KeepPen keep(c);
    if (style == rbLowered || style == rbSingleLowered || style == rbLoweredpsb) std::swap(light, shadow);
    const int n = list->Count();
    for (int i = 0; i < n; ++i) {
        const TPoint a = list->PointAt(i), b = list->PointAt((i + 1) % n);
        TColor colour = light;
        if (style == rbSingle) {
            colour = single;
        } else {
            if (b.y < a.y) colour = light;
            if (b.y > a.y) colour = shadow;
            if (b.x > a.x) colour = light;
            if (b.x < a.x) colour = shadow;
        }
        c->Pen()->SetColor(colour);
        Path(c, {a, b});
    }
}

}  // namespace

// Builders -------------------------------------------------------------------------------------------------------

HRGN ZCLCreatePlainShapeRgn(TZCLRegionShape Shape, const TRect& R)
{
    const PlainShape* plain = PlainShapeOf(Shape);
    return plain ? plain->region(R) : nullptr;
}

HRGN ZCLCreateNoseRectRgn(const TRect& R, int Size, TZCLExtPos Pos)
{
    const TRect r = Shrunk(R, Size, Pos);
    RegionHandle rgn(CreateRectRgnIndirect(&r));
    Unite(rgn, NoseRgn(NoseOf(r, Size, Pos, 5)));
    return rgn.release();
}

HRGN ZCLCreateRoundNoseRectRgn(const TRect& R, int Size, int CornerWidth, int CornerHeight, TZCLExtPos Pos)
{
    const TRect r = Shrunk(R, Size, Pos);
    RegionHandle rgn(CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, CornerWidth, CornerHeight));
    Unite(rgn, NoseRgn(NoseOf(r, Size, Pos, OnSide(Pos) ? CornerHeight : CornerWidth)));
    return rgn.release();
}

HRGN ZCLCreateThinkBubbleRgn(const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos)
{
    const TRect r = Shrunk(R, BubbleSize, Pos);
    return WithBubbles(CreateRectRgnIndirect(&r), r, BubbleSize, Count, Pos);
}

HRGN ZCLCreateEllipticThinkBubbleRgn(const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos)
{
    const TRect r = Shrunk(R, BubbleSize, Pos);
    return WithBubbles(CreateEllipticRgnIndirect(&r), r, BubbleSize, Count, Pos);
}

HRGN ZCLCreateRoundThinkBubbleRgn(const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos, int CornerWidth,
                                  int CornerHeight)
{
    const TRect r = Shrunk(R, BubbleSize, Pos);
    return WithBubbles(CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, CornerWidth, CornerHeight), r, BubbleSize,
                       Count, Pos);
}

// Painters -------------------------------------------------------------------------------------------------------

void ZCLFramePlainShapeRgn(TZCLRegionShape Shape, TCanvas* Canvas, const TRect& R, TColor Light, TColor Shadow,
                           TColor Single, TZCLRegionBorderStyle Style)
{
    if (const PlainShape* plain = PlainShapeOf(Shape))
        Frame(Canvas, R, Light, Shadow, Single, Style, plain->outline, plain->inset);
}

void ZCLFrameRoundRectRgn(TCanvas* Canvas, const TRect& R, TColor Light, TColor Shadow, TColor Single,
                          TZCLRegionBorderStyle Style, int CornerWidth, int CornerHeight)
{
    if (!Canvas || Style == rbNone) return;
    KeepPen keep(Canvas);
    Canvas->Pen()->SetStyle(psSolid);
    Frame(
        Canvas, R, Light, Shadow, Single, Style,
        [CornerWidth, CornerHeight](const TRect& r) { return RoundRectOutline(r, CornerWidth, CornerHeight); },
        [](const TRect& r, TZCLRegionBorderStyle s) {
            if (s == rbSingleRaised || s == rbSingleLowered)
                return TRect(r.left + 1, r.top + 1, r.right - 3, r.bottom - 3);
            return Inset(r, 1);
        });
}

void ZCLFrameThinkBubbleRgn(TCanvas* Canvas, const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos, TColor Light,
                            TColor Shadow, TColor Single, TZCLRegionBorderStyle Style)
{
    FrameBubbles(Canvas, R, BubbleSize, Count, Pos, BubbleBody::Rect, 0, 0, Light, Shadow, Single, Style);
}

void ZCLFrameEllipticThinkBubbleRgn(TCanvas* Canvas, const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos,
                                    TColor Light, TColor Shadow, TColor Single, TZCLRegionBorderStyle Style)
{
    FrameBubbles(Canvas, R, BubbleSize, Count, Pos, BubbleBody::Ellipse, 0, 0, Light, Shadow, Single, Style);
}

void ZCLFrameRoundThinkBubbleRgn(TCanvas* Canvas, const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos,
                                 int CornerWidth, int CornerHeight, TColor Light, TColor Shadow, TColor Single,
                                 TZCLRegionBorderStyle Style)
{
    FrameBubbles(Canvas, R, BubbleSize, Count, Pos, BubbleBody::Round, CornerWidth, CornerHeight, Light, Shadow, Single,
                 Style);
}

// Region border --------------------------------------------------------------------------------------------------

void TZCLRegionBorder::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLRegionBorder*>(Source)) {
        style_ = s->style_;
        std::copy(std::begin(s->colors_), std::end(s->colors_), colors_);
        Change();
        return;
    }
    TZCLObject::Assign(Source);
}

void TZCLRegionBorder::SetBorderStyle(TZCLRegionBorderStyle Value) { SetField(style_, Value); }
void TZCLRegionBorder::SetColor(int Index, TColor Value) { SetField(colors_[std::size_t(Index) % 3], Value); }

// Region ---------------------------------------------------------------------------------------------------------

TZCLRegion::TZCLRegion()
    : border_(std::make_unique<TZCLRegionBorder>()), mask_(std::make_unique<TZCLRegionMask>()),
      shadow_(std::make_unique<TZCLRgnShadow>()), points_(std::make_unique<TZCLPointList>())
{
    border_->SetOnChange(TNotifyEvent(this, &TZCLRegion::GetChange));
    mask_->SetOnChange(TNotifyEvent(this, &TZCLRegion::GetChange));
    shadow_->SetOnChange(TNotifyEvent(this, &TZCLRegion::GetChange));
    points_->SetOnChange(TNotifyEvent(this, &TZCLRegion::PointsChanged));
}

TZCLRegion::~TZCLRegion()
{
    points_->SetOnChange(TNotifyEvent());
    border_->SetOnChange(TNotifyEvent());
    mask_->SetOnChange(TNotifyEvent());
    shadow_->SetOnChange(TNotifyEvent());
}

bool TZCLRegion::Destroying() const { return control_ && control_->ComponentState().Contains(csDestroying); }
bool TZCLRegion::Designing() const { return control_ && control_->ComponentState().Contains(csDesigning); }

void TZCLRegion::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TZCLRegion*>(Source);
    if (!s) {
        TZCLObject::Assign(Source);
        return;
    }
    if (s == this) return;
    BeginUpdate();
    shape_ = s->shape_;
    round_[0] = s->round_[0];
    round_[1] = s->round_[1];
    shadow_->Assign(s->shadow_.get());
    extPos_ = s->extPos_;
    border_->Assign(s->border_.get());
    mask_->Assign(s->mask_.get());
    // Without its points and user region a copied user shape would be no shape at all.
    points_->BeginUpdate();
    s->points_->Clone(points_.get());
    points_->EndUpdate(false);
    userData_ = s->userData_;
    bubbles_ = s->bubbles_;
    EndUpdate(true);
}

void TZCLRegion::DeleteHandle(HRGN& Region)
{
    if (Region) DeleteObject(Region);
    Region = nullptr;
}

HRGN TZCLRegion::Build(const TRect& r) const
{
    if (PlainShapeOf(shape_)) return ZCLCreatePlainShapeRgn(shape_, r);
    const int W = r.Width();
    switch (shape_) {
    case rsRoundRect: return CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, round_[0], round_[1]);
    case rsBitmap: return mask_->CreateRegion();
    case rsNoseRect: return ZCLCreateNoseRectRgn(r, W / 10, extPos_);
    case rsRoundNoseRect: return ZCLCreateRoundNoseRectRgn(r, W / 10, round_[0], round_[1], extPos_);
    case rsUserRegion:
        if (Designing()) return CreateRectRgnIndirect(&r);
        return ZCLRegionFromData(userData_.data(), std::int32_t(userData_.size()));
    case rsThinkBubble: return ZCLCreateThinkBubbleRgn(r, W / 6, bubbles_, extPos_);
    case rsRoundThinkBubble: return ZCLCreateRoundThinkBubbleRgn(r, W / 6, bubbles_, extPos_, round_[0], round_[1]);
    case rsEllipticThinkBubble: return ZCLCreateEllipticThinkBubbleRgn(r, W / 6, bubbles_, extPos_);
    case rsPointList: return ZCLRegionFromData(userData_.data(), std::int32_t(userData_.size()));
    default: return nullptr;
    }
}

void TZCLRegion::CreateRegion(const TRect& R)
{
    if (Destroying()) return;
    TRect r = R;
    r.left += offset_.x;
    r.top += offset_.y;
    handle_.reset();
    if (shadow_->Style() != hssNone) {
        r.right -= shadow_->Depth();
        r.bottom -= shadow_->Depth();
    }
    handle_.reset(Build(r));
}

void TZCLRegion::CreateSpecialRectRgn(const TRect& R)
{
    if (Destroying()) return;
    handle_.reset(CreateRectRgnIndirect(&R));
}

void TZCLRegion::SetRegion()
{
    if (!handle_) return;
    RegionHandle copy(CopyOf(handle_.get()));
    if (shadow_->Style() != hssNone && !suppressShadow_) {
        OffsetRgn(copy.get(), shadow_->Depth(), shadow_->Depth());
        CombineRgn(copy.get(), copy.get(), handle_.get(), RGN_OR);
    }
    windowCopy_.reset(CopyOf(copy.get()));
    // The system owns a region it is given; one it is not given is deleted with the handle here.
    if (control_ && control_->HandleAllocated() && SetWindowRgn(control_->Handle(), copy.get(), TRUE)) copy.release();
}

void TZCLRegion::FreeRegion()
{
    if (!windowCopy_) return;
    if (control_ && control_->HandleAllocated()) SetWindowRgn(control_->Handle(), nullptr, TRUE);
    windowCopy_.reset();
}

void TZCLRegion::SetUserRgn(HRGN Region) { userData_ = ZCLRegionToData(Region); }

void TZCLRegion::SetUserPolygonRgn(std::span<const TPoint> Points)
{
    points_->BeginUpdate();
    points_->Clear();
    for (const TPoint& p : Points) points_->AddPoint(p);
    points_->EndUpdate(false);
    StorePolygon();
}

void TZCLRegion::StorePolygon()
{
    std::vector<TPoint> p;
    for (int i = 0; i < points_->Count(); ++i) p.push_back(points_->PointAt(i));
    if (p.empty()) {
        userData_.clear();
        return;
    }
    RegionHandle rgn(Polygon(p));
    userData_ = ZCLRegionToData(rgn.get());
}

void TZCLRegion::PointsChanged(TObject*)
{
    if (shape_ == rsPointList) StorePolygon();
    Change();
}

void TZCLRegion::DrawShadow(TCanvas* Canvas, TRect& R)
{
    if (!Canvas || shadow_->Style() == hssNone) return;
    const int d = shadow_->Depth();
    R.right -= d;
    R.bottom -= d;
    if (suppressShadow_ || !handle_) return;
    RegionHandle area(CopyOf(handle_.get()));
    OffsetRgn(area.get(), d, d);
    CombineRgn(area.get(), area.get(), handle_.get(), RGN_DIFF);
    TBrush* brush = Canvas->Brush();
    if (shadow_->Style() == hssTracing) {
        brush->SetBitmap(ZCLApplication->GetBrushBitmap(shadow_->Color()));
    } else {
        brush->SetBitmap(nullptr);
        brush->SetStyle(bsSolid);
        brush->SetColor(shadow_->Color());
        Canvas->Pen()->SetStyle(psClear);
    }
    FillRgn(Canvas->Handle(), area.get(), brush->Handle());
    brush->SetBitmap(nullptr);
    brush->SetStyle(bsClear);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetMode(pmCopy);
}

void TZCLRegion::PaintRegionShape(TCanvas* Canvas, const TRect& R)
{
    if (!Canvas) return;
    Canvas->Brush()->SetBitmap(nullptr);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Pen()->SetWidth(2);
    TRect r(R.left + offset_.x, R.top + offset_.y, R.right + offset_.x, R.bottom + offset_.y);
    DrawShadow(Canvas, r);
    const TZCLRegionBorderStyle style = border_->Style();
    const TColor l = border_->LightColor(), s = border_->ShadowColor(), g = border_->SingleColor();
    const int W = r.Width(), rx = round_[0], ry = round_[1];
    if (PlainShapeOf(shape_)) {
        ZCLFramePlainShapeRgn(shape_, Canvas, r, l, s, g, style);
        return;
    }
    switch (shape_) {
    case rsRoundRect: ZCLFrameRoundRectRgn(Canvas, r, l, s, g, style, rx, ry); break;
    case rsNoseRect: FrameNose(Canvas, r, W / 10, extPos_, 0, 0, false, l, s, g, style); break;
    case rsRoundNoseRect: FrameNose(Canvas, r, W / 10, extPos_, rx, ry, true, l, s, g, style); break;
    case rsThinkBubble: ZCLFrameThinkBubbleRgn(Canvas, r, W / 6, bubbles_, extPos_, l, s, g, style); break;
    case rsRoundThinkBubble:
        ZCLFrameRoundThinkBubbleRgn(Canvas, r, W / 6, bubbles_, extPos_, rx, ry, l, s, g, style);
        break;
    case rsEllipticThinkBubble:
        ZCLFrameEllipticThinkBubbleRgn(Canvas, r, W / 6, bubbles_, extPos_, l, s, g, style);
        break;
    case rsPointList: FramePointList(Canvas, points_.get(), l, s, g, style); break;
    default: break;
    }
}

void TZCLRegion::SetShape(TZCLRegionShape Value)
{
    if (shape_ == Value) return;
    shape_ = Value;
    if (shape_ == rsPointList) StorePolygon();
    Change();
}

void TZCLRegion::SetRoundXY(int Index, int Value)
{
    int& field = round_[Index & 1];
    if (field == Value) return;
    field = Value;
    if (shape_ == rsRoundRect || shape_ == rsRoundNoseRect || shape_ == rsRoundThinkBubble) Change();
}

void TZCLRegion::SetExtPos(TZCLExtPos Value) { SetField(extPos_, Value); }
void TZCLRegion::SetBubbleCount(std::int32_t Value) { SetField(bubbles_, Value); }

void TZCLRegion::SetBorder(TZCLRegionBorder* Value)
{
    if (Value && Value != border_.get()) border_->Assign(Value);
}

void TZCLRegion::SetMask(TZCLRegionMask* Value)
{
    if (Value && Value != mask_.get()) mask_->Assign(Value);
}

void TZCLRegion::SetShadow(TZCLRgnShadow* Value)
{
    if (Value && Value != shadow_.get()) shadow_->Assign(Value);
}

void TZCLRegion::DefineProperties(TFiler* Filer)
{
    TZCLObject::DefineProperties(Filer);
    Filer->DefineProperty("PointList", TReaderProc(this, &TZCLRegion::ReadPointList),
                          TWriterProc(this, &TZCLRegion::WritePointList), points_->Count() > 0);
}

// What is read replaces the points: reading into a region that already holds some must not repeat them.
void TZCLRegion::ReadPointList(TReader* Reader)
{
    points_->BeginUpdate();
    points_->Clear();
    Reader->ReadListBegin();
    while (!Reader->EndOfList()) {
        const int x = Reader->ReadInteger();
        if (Reader->EndOfList()) break;
        points_->AddPoint(TPoint(x, Reader->ReadInteger()));
    }
    Reader->ReadListEnd();
    points_->EndUpdate(true);
}

void TZCLRegion::WritePointList(TWriter* Writer)
{
    Writer->WriteListBegin();
    for (int i = 0; i < points_->Count(); ++i) {
        const TPoint p = points_->PointAt(i);
        Writer->WriteInteger(p.x);
        Writer->WriteInteger(p.y);
    }
    Writer->WriteListEnd();
}

// Form shape -----------------------------------------------------------------------------------------------------

TZCLFormShape::TZCLFormShape(TComponent* AOwner)
    : TZCLWndProcComponent(AOwner), region_(std::make_unique<TZCLBorderRegion>()),
      fill_(std::make_unique<TZCLFillObject>()), link_(std::make_unique<TZCLChangeLink>()),
      background_(std::make_unique<TBitmap>())
{
    if (Designing() && GetOwnerForm() && ZCLCheckForSameClass(AOwner, ClassOf<TZCLFormShape>(), false))
        throw ZCLEOneInstError(ClassName(), 0);
    region_->SetControl(GetOwnerForm());
    region_->SetOnChange(TNotifyEvent(this, &TZCLFormShape::GetChange));
    fill_->SetOnChange(TNotifyEvent(this, &TZCLFormShape::GetChange));
    link_->SetOnChange(TNotifyEvent(this, &TZCLFormShape::ImageListChanged));
    background_->SetPixelFormat(pf24bit);
}

TZCLFormShape::~TZCLFormShape()
{
    region_->SetOnChange(TNotifyEvent());
    fill_->SetOnChange(TNotifyEvent());
    if (imageList_) {
        imageList_->UnRegisterChanges(link_.get());
        imageList_->RemoveFreeNotification(this);
    }
    RestoreWndProc();
}

bool TZCLFormShape::Designing() const
{
    if (ComponentState().Contains(csDesigning)) return true;
    return Owner() && Owner()->ComponentState().Contains(csDesigning);
}

void TZCLFormShape::SetRegion(TZCLBorderRegion* Value)
{
    if (Value && Value != region_.get()) region_->Assign(Value);
}

void TZCLFormShape::SetFillObject(TZCLFillObject* Value)
{
    if (Value && Value != fill_.get()) fill_->Assign(Value);
}

void TZCLFormShape::SetImageList(TZCLCustomImageList* Value)
{
    if (Value == imageList_) return;
    if (imageList_) {
        imageList_->UnRegisterChanges(link_.get());
        imageList_->RemoveFreeNotification(this);
    }
    imageList_ = Value;
    if (imageList_) {
        imageList_->RegisterChanges(link_.get());
        imageList_->FreeNotification(this);
    }
    ImageListChanged(this);
}

void TZCLFormShape::SetListIndex(std::int32_t Value)
{
    if (Value == listIndex_) return;
    listIndex_ = Value;
    ImageListChanged(this);
}

void TZCLFormShape::SetImageIndex(std::int32_t Value)
{
    if (Value == imageIndex_) return;
    imageIndex_ = Value;
    ImageListChanged(this);
}

// The list's picture shows only in a list fill; then the form is painted again.
void TZCLFormShape::ImageListChanged(TObject*)
{
    TCustomForm* form = Form();
    if (fill_->Style() == sfBitmapList && form && form->HandleAllocated())
        InvalidateRect(form->Handle(), nullptr, TRUE);
}

void TZCLFormShape::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLWndProcComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == imageList_) {
        // The list is going: it drops its links itself.
        imageList_ = nullptr;
        ImageListChanged(this);
    }
}

void TZCLFormShape::SetBoolean(int Index, bool Value)
{
    bool& field = flags_[Index % 3];
    if (field == Value) return;
    field = Value;
    if (Index % 3 == 0) ReRegion();
    if (Index % 3 == 2) GetChange(nullptr);
}

void TZCLFormShape::GetChange(TObject*)
{
    Change();
    ReRegion();
}

// Outside design time the hook's Init has re-regioned the form already.
void TZCLFormShape::Loaded()
{
    TZCLWndProcComponent::Loaded();
    if (Enabled() && Designing()) ReRegion();
}

void TZCLFormShape::ReRegion()
{
    TCustomForm* form = Form();
    if (!form || !Enabled() || reRegioning_) return;
    if (ComponentState().Contains(csLoading) || form->ComponentState().Contains(csLoading)) return;
    if (form->ComponentState().Contains(csDestroying)) return;
    reRegioning_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{reRegioning_};

    const bool design = Designing();
    const TFormBorderStyle border = form->BorderStyle();
    int fx = 0, fy = 0;
    if (border == bsSizeable || border == bsSizeToolWin) {
        fx = GetSystemMetrics(SM_CXFRAME);
        fy = GetSystemMetrics(SM_CYFRAME);
    } else if (border != bsNone || design) {
        fx = GetSystemMetrics(SM_CXDLGFRAME);
        fy = GetSystemMetrics(SM_CYDLGFRAME);
    }
    int caption = 0;
    if (border == bsSingle || border == bsSizeable || border == bsDialog) caption = GetSystemMetrics(SM_CYCAPTION);
    if (border == bsToolWindow || border == bsSizeToolWin) caption = GetSystemMetrics(SM_CYSMCAPTION);
    const bool minimised = form->HandleAllocated() && IsIconic(form->Handle());
    TZCLRgnShadow* shadow = region_->Shadow();
    const int depth = shadow->Style() == hssNone ? 0 : shadow->Depth();

    // A bitmap shape takes its picture's size; an empty picture leaves the form as it is.
    TBitmap* picture = region_->Mask()->BorderBmp();
    if (region_->Shape() == rsBitmap && !minimised && !picture->Empty())
        form->SetBounds(form->Left(), form->Top(), picture->Width() + depth + 2 * fx,
                        picture->Height() + caption + 2 * fy + depth);

    const int W = form->Width(), H = form->Height();
    RegionHandle result;
    if (!minimised) {
        region_->CreateRegion(TRect(-1, -1, W - 2 * fx + 1, H - 2 * fy - caption + 1));
        if (!region_->Handle()) return;  // a shape without data: nothing is applied
        result.reset(CopyOf(region_->Handle()));
        OffsetRgn(result.get(), fx, fy + caption);
        if (depth > 0) {
            RegionHandle moved(CopyOf(result.get()));
            OffsetRgn(moved.get(), depth, depth);
            CombineRgn(result.get(), result.get(), moved.get(), RGN_OR);
        }
        RegionHandle strip(CreateRectRgn(0, 0, W, fy + caption));
        const bool withCaption = (flags_[0] && border != bsNone) || design;
        CombineRgn(result.get(), result.get(), strip.get(), withCaption ? RGN_OR : RGN_DIFF);
    } else {
        region_->CreateSpecialRectRgn(TRect(0, 0, W, fy + caption));
        result.reset(CopyOf(region_->Handle()));
    }
    if (design || !form->HandleAllocated() || !result) return;
    const HWND wnd = form->Handle();
    SetWindowRgn(wnd, nullptr, FALSE);
    if (SetWindowRgn(wnd, result.get(), TRUE)) result.release();
}

void TZCLFormShape::Init()
{
    TZCLWndProcComponent::Init();
    if (Enabled()) ReRegion();
}

void TZCLFormShape::RestoreState()
{
    TZCLWndProcComponent::RestoreState();
    // Disabled, the form gets its plain outline back.
    TCustomForm* form = Form();
    if (form && form->HandleAllocated() && !form->ComponentState().Contains(csDestroying) && !Designing())
        SetWindowRgn(form->Handle(), nullptr, TRUE);
}

void TZCLFormShape::SetPolygonShape(std::span<const TPoint> Points)
{
    region_->SetUserPolygonRgn(Points);
    ReRegion();
}

void TZCLFormShape::SetRegionShape(HRGN Region)
{
    region_->SetUserRgn(Region);
    ReRegion();
}

bool TZCLFormShape::BackBitmapCheck() const
{
    if (flags_[2] && region_->Shape() == rsBitmap) return true;
    return fill_->Style() != sfNone && !Designing();
}

TBitmap* TZCLFormShape::BackBitmap() const
{
    if (flags_[2] && region_->Shape() == rsBitmap) return region_->Mask()->BorderBmp();
    if (fill_->Style() != sfNone) return background_.get();
    return nullptr;
}

void TZCLFormShape::BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) const
{
    if (!Canvas || !BackBitmapCheck()) return;
    TBitmap* back = BackBitmap();
    if (!back || back->Empty()) return;
    Canvas->CopyRect(R, back->Canvas(), TRect(P.x, P.y, P.x + R.Width(), P.y + R.Height()));
}

void TZCLFormShape::PaintBorder(HDC DC)
{
    TCustomForm* form = Form();
    if (!form) return;
    HDC dc = DC ? DC : form->Canvas()->Handle();
    TCanvas canvas;
    canvas.SetHandle(dc);
    struct Detach {
        TCanvas& c;
        ~Detach() { c.SetHandle(nullptr); }
    } detach{canvas};
    const bool design = Designing();
    const TRect area(0, 0, form->ClientWidth(), form->ClientHeight());
    TZCLRegionMask* mask = region_->Mask();
    if (flags_[2] && region_->Shape() == rsBitmap) {
        if (!design) {
            canvas.Draw(0, 0, mask->BorderBmp());
        } else if (RegionHandle rgn(mask->CreateRegion()); rgn) {
            TRect clip;
            GetClipBox(dc, &clip);
            OffsetRgn(rgn.get(), 0, -clip.top);
            FrameRgn(dc, rgn.get(), canvas.Brush()->Handle(), 1, 1);
        }
    } else if (fill_->Style() != sfNone) {
        background_->SetSize(area.Width(), area.Height());
        if (fill_->Style() == sfBitmapList && imageList_ && imageList_->IsValidItem(listIndex_, imageIndex_))
            imageList_->GetBitmapItem(listIndex_, imageIndex_, fill_->ListBitmap());
        fill_->FillCanvas(background_->Canvas(), area, clWhite);
        if (!design) canvas.Draw(0, 0, background_.get());
    }
    region_->PaintRegionShape(&canvas, area);
}

void TZCLFormShape::WndProc(TMessage& Message)
{
    if (!Enabled() || OwnerDestroying()) {
        TZCLWndProcComponent::WndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_SIZE: {
        TZCLWndProcComponent::WndProc(Message);
        ReRegion();
        if (TCustomForm* form = Form(); form && form->HandleAllocated()) InvalidateRect(form->Handle(), nullptr, TRUE);
        return;
    }
    case WM_ERASEBKGND:
        if (fill_->Style() == sfNone && region_->Shape() != rsBitmap) TZCLWndProcComponent::WndProc(Message);
        PaintBorder(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 1;
        return;
    case WM_NCHITTEST: {
        TZCLWndProcComponent::WndProc(Message);
        TCustomForm* form = Form();
        if (!flags_[1] || Message.Result != HTCLIENT || ncButtonDown_ || !form) return;
        const TPoint screen(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam)));
        if (!form->ControlAtPos(form->ScreenToClient(screen), false, true)) Message.Result = HTCAPTION;
        return;
    }
    case WM_NCLBUTTONDOWN: ncButtonDown_ = true; break;
    case WM_NCLBUTTONUP:
    case WM_CAPTURECHANGED: ncButtonDown_ = false; break;
    }
    TZCLWndProcComponent::WndProc(Message);
}

void TZCLFormShape::DefineProperties(TFiler* Filer)
{
    TZCLWndProcComponent::DefineProperties(Filer);
    Filer->DefineProperty("Internal", TReaderProc(this, &TZCLFormShape::ReadInternal),
                          TWriterProc(this, &TZCLFormShape::WriteInternal), ZCLIsGlobalIdent(imageList_));
}

void TZCLFormShape::ReadInternal(TReader* Reader) { SetImageList(ZCLReadGlobalIdent(Reader)); }
void TZCLFormShape::WriteInternal(TWriter* Writer) { ZCLWriteGlobalIdent(Writer, imageList_); }
