#include "zcl/graphics/Zclgrapa.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclutilsbmp.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool grapaPublished = [] {
    PublishedProperties<TZCLSimpleBevel>()
        .Integer("Color", &TZCLSimpleBevel::Color, &TZCLSimpleBevel::SetColor, int(clBlack))
        .Integer("LightColor", &TZCLSimpleBevel::LightColor, &TZCLSimpleBevel::SetLightColor, int(clBtnHighlight))
        .Integer("ShadowColor", &TZCLSimpleBevel::ShadowColor, &TZCLSimpleBevel::SetShadowColor, int(clBtnShadow))
        .Enumeration("Style", &TZCLSimpleBevel::Style, &TZCLSimpleBevel::SetStyle, {"sbNormal", "sbInset", "sbOffset"},
                     sbNormal)
        .Integer("Width", &TZCLSimpleBevel::Width, &TZCLSimpleBevel::SetWidth, 2);
    PublishedProperties<TZCLTeeth>()
        .Integer("Count", &TZCLTeeth::Count, &TZCLTeeth::SetCount, 10)
        .Enumeration("Direction", &TZCLTeeth::Direction, &TZCLTeeth::SetDirection,
                     {"tdRight", "tdDown", "tdLeft", "tdUp"}, tdRight)
        .Boolean("Offset", &TZCLTeeth::Offset, &TZCLTeeth::SetOffset, true)
        .Boolean("SetPerCount", &TZCLTeeth::SetPerCount, &TZCLTeeth::SetSetPerCount, true)
        .Integer("Width", &TZCLTeeth::Width, &TZCLTeeth::SetWidth, 10)
        .Integer("Height", &TZCLTeeth::Height, &TZCLTeeth::SetHeight, 0);
    PublishedProperties<TZCLGradient>()
        .Integer("ColorCount", &TZCLGradient::ColorCount, &TZCLGradient::SetColorCount, 16)
        .Integer("Color", &TZCLGradient::Color, &TZCLGradient::SetColor, int(clBlue))
        .Integer("EndColor", &TZCLGradient::EndColor, &TZCLGradient::SetEndColor, int(clBlack))
        .Boolean("PaletteRealize", &TZCLGradient::PaletteRealize, &TZCLGradient::SetPaletteRealize, false)
        .Enumeration("Style", &TZCLGradient::Style, &TZCLGradient::SetStyle,
                     {"gstHorizontal", "gstVertical", "gstSquare", "gstElliptic", "gstTopLeft", "gstTopRight",
                      "gstBottomLeft", "gstBottomRight", "gstTopLeftDiagonal", "gstTopRightDiagonal"},
                     gstVertical)
        .Boolean("TwoColors", &TZCLGradient::TwoColors, &TZCLGradient::SetTwoColors, true);
    PublishedProperties<TZCLShapeFill>()
        .Object("Bitmap", &TZCLShapeFill::Bitmap, &TZCLShapeFill::SetBitmap)
        .Object("Gradient", &TZCLShapeFill::Gradient, &TZCLShapeFill::SetGradient)
        .Enumeration("Style", &TZCLShapeFill::Style, &TZCLShapeFill::SetStyle,
                     {"sfNone", "sfBrushBitmap", "sfBrush", "sfBitmap", "sfBitmapList", "sfGradient"}, sfBrush)
        .Enumeration("TileMode", &TZCLShapeFill::TileMode, &TZCLShapeFill::SetTileMode,
                     {"tmNone", "tmCenter", "tmStretch", "tmTile"}, tmTile);
    PublishedProperties<TZCLTransparent>()
        .Integer("Color", &TZCLTransparent::Color, &TZCLTransparent::SetColor, int(clBtnFace))
        .Enumeration("Mode", &TZCLTransparent::Mode, &TZCLTransparent::SetMode,
                     {"tpNone", "tpRestoreBack", "tpTransparentColor", "tpRBTranspColor"}, tpNone);
    PublishedProperties<TZCLShape>()
        .Object("Bevel", &TZCLShape::Bevel, &TZCLShape::SetBevel)
        .Object("Brush", &TZCLShape::Brush, &TZCLShape::SetBrush)
        .Integer("RoundPercent", &TZCLShape::RoundPercent, &TZCLShape::SetRoundPercent, 33)
        .Object("Shadow", &TZCLShape::Shadow, &TZCLShape::SetShadow)
        .Enumeration("Shape", &TZCLShape::Shape, &TZCLShape::SetShape,
                     {"stEllipse", "stRectangle", "stRoundRect", "stDirectUp", "stDirectRight", "stDirectDown",
                      "stDirectLeft", "stDiamond", "stComb", "stOctagon", "stStar"},
                     stRectangle)
        .Boolean("Square", &TZCLShape::Square, &TZCLShape::SetSquare, false);
    return true;
}();

// Nearest integer, halves to the even one.
int Nint(double v) { return int(Round(static_cast<long double>(v))); }

TColor EntryColor(void* entry) { return TColor(std::int32_t(std::uintptr_t(entry))); }
void* ColorEntry(TColor c) { return reinterpret_cast<void*>(std::uintptr_t(std::uint32_t(c))); }

// The quantities that calculation and drawing share.
struct Metrics {
    int bw = 1, h1 = 0, h2 = 0;  // pen width and its two halves
    int d = 0;                   // shadow depth
    int w = 0, h = 0;
    int rnd = 0;  // corner size
    TRect r;      // the shape box, relative to R's top-left
};

Metrics Measure(const TRect& R, bool teeth, bool square, int roundPercent, const TZCLSimpleBevel* bevel,
                const TZCLShadow* shadow)
{
    Metrics m;
    m.bw = teeth || !bevel ? 1 : bevel->Width();
    m.h1 = m.bw / 2;
    m.h2 = (m.bw - 1) / 2;
    m.d = !shadow || shadow->Style() == hssNone ? 0 : shadow->Depth();
    m.w = R.right - R.left;
    m.h = R.bottom - R.top;
    if (!square) {
        m.r = TRect(m.d, m.d, m.w, m.h);
    } else {
        const int dx = m.w > m.h ? (m.w - m.h) / 2 : 0;
        const int dy = m.w > m.h ? 0 : (m.h - m.w) / 2;
        m.r = TRect(dx + m.d, dy + m.d, m.w - dx, m.h - dy);
    }
    m.rnd = std::min(m.w - m.d, m.h - m.d) * roundPercent / 100;
    return m;
}

// How many outer points a shape kind has (as many inner ones follow).
int OuterCount(TZCLShapeType shape)
{
    switch (shape) {
    case stEllipse:
    case stRectangle: return 2;
    case stRoundRect:
    case stDirectUp:
    case stDirectRight:
    case stDirectDown:
    case stDirectLeft: return 3;
    case stDiamond: return 4;
    case stComb: return 6;
    case stOctagon: return 8;
    case stStar: return 10;
    }
    return 0;
}

// clang-format off
void ShapePoints(const Metrics& m, TZCLShapeType shape, std::vector<TPoint>& out)
{
    const int L = m.r.left, T = m.r.top, R = m.r.right, B = m.r.bottom;
    const int h1 = m.h1, h2 = m.h2;
    const int mx = (R - L) / 2 + L, my = (B - T) / 2 + T;
    auto add = [&](std::initializer_list<TPoint> points) { out.insert(out.end(), points); };
    switch (shape) {
    case stEllipse:
    case stRectangle: add({{L, T}, {R, B}, {L + h1, T + h1}, {R - h2, B - h2}}); break;
    case stRoundRect:
        add({{L, T}, {R, B}, {m.rnd, m.rnd}, {L + h1, T + h1}, {R, B}, {m.rnd + m.d, m.rnd + m.d}});
        break;
    case stDirectUp: add({{mx, T}, {R, B}, {L, B}, {mx, T + h1}, {R - h2, B - h2}, {L + 2 * h1, B}}); break;
    case stDirectRight: add({{L, T}, {R, my}, {L, B}, {L + h1, T + h1}, {R - h2, my}, {L + h1, B - h2}}); break;
    case stDirectDown: add({{L, T}, {R, T}, {mx, B}, {L + h1, T + h1}, {R - h2, T + h1}, {mx, B}}); break;
    case stDirectLeft: add({{R, T}, {L, my}, {R, B}, {R - h2, T + h1}, {L + h1, my}, {R - h2, B - h2}}); break;
    case stDiamond:
        add({{mx, T}, {R, my}, {mx, B}, {L, my}, {mx, T + h1}, {R - h2, my}, {mx, B - h2}, {L + h1, my}});
        break;
    case stComb: {
        const int c = Nint((B - T) / 5.0);
        add({{mx, T}, {R, T + c}, {R, T + 4 * c}, {mx, B}, {L, T + 4 * c}, {L, T + c}});
        add({{mx, T + h1}, {R - h2, T + c + h1}, {R - h2, T + 4 * c + h1}, {mx, B - h2}, {L + h1, T + 4 * c + h1},
             {L + h1, T + c + h1}});
        break;
    }
    case stOctagon: {
        const double k = 2 + std::sqrt(2.0);
        const int ox = Nint((R - L) / k), oy = Nint((B - T) / k);
        const int s = Nint(std::sqrt(2.0) * ox), t = Nint(std::sqrt(2.0) * oy);
        add({{L + ox, T}, {L + ox + s, T}, {R, T + oy}, {R, T + oy + t}, {L + ox + s, B}, {L + ox, B},
             {L, T + oy + t}, {L, T + oy}});
        add({{L + ox + h1, T + h1}, {L + ox + s + h1, T + h1}, {R - h2, T + oy + h1}, {R - h2, T + oy + t + h1},
             {L + ox + s + h1, B - h2}, {L + ox + h1, B - h2}, {L + h1, T + oy + t + h1}, {L + h1, T + oy + h1}});
        break;
    }
    case stStar: {
        const int W = R - L, H = B - T;
        auto fx = [&](double k) { return Nint(W * k) + L; };
        auto fy = [&](double k) { return Nint(H * k) + T; };
        const TPoint star[10] = {{mx, T},           {fx(0.65), fy(0.38)}, {R, fy(0.38)},        {fx(0.7), fy(0.6)},
                                 {fx(0.85), B},     {mx, fy(0.75)},       {fx(0.15), B},        {fx(0.3), fy(0.6)},
                                 {L, fy(0.38)},     {fx(0.35), fy(0.38)}};
        out.insert(out.end(), std::begin(star), std::end(star));
        TPoint inner[10];
        std::copy(std::begin(star), std::end(star), inner);
        inner[0].y += h1;  // the five tips move in
        inner[2].x -= h2;
        inner[4].y -= h2;
        inner[6].y -= h2;
        inner[8].x += h2;
        out.insert(out.end(), std::begin(inner), std::end(inner));
        break;
    }
    }
}

// clang-format on

void TeethPoints(const Metrics& m, TZCLTeeth* teeth, std::vector<TPoint>& out)
{
    const int rL = m.r.left, rT = m.r.top, rR = m.r.right, rB = m.r.bottom;
    const TZCLDirection dir = teeth->Direction();
    const bool vertical = dir == tdRight || dir == tdLeft;
    const int span = vertical ? rB - rT : rR - rL;

    teeth->BeginUpdate();
    int n = 0;
    bool plain = false;
    if (teeth->SetPerCount()) {
        plain = teeth->Count() == 0;
        if (!plain) {
            n = teeth->Count() * 2;
            const int size = Nint(double(span) / n);
            if (vertical) teeth->SetHeight(size);
            else teeth->SetWidth(size);
        }
    } else {
        const int size = vertical ? teeth->Height() : teeth->Width();
        plain = size == 0;
        if (!plain) n = Nint(double(span) / size) * 2;
    }
    teeth->EndUpdate(false);

    // No tooth size to divide by: the plain rectangle, outlined where the saw-tooth's straight sides lie.
    if (plain) {
        out.insert(out.end(), {{rL, rT}, {rR - 1, rT}, {rR - 1, rB - 1}, {rL, rB - 1}});
        return;
    }

    const int k = teeth->Offset() ? 0 : 1;
    const int Wt = teeth->Width(), Ht = teeth->Height();
    auto parity = [&](int i) { return teeth->Offset() ? i % 2 : (i + 1) % 2; };
    switch (dir) {
    case tdRight:
        out.insert(out.end(), {{rR - Wt * k - 1, rB - 1}, {rL, rB - 1}, {rL, rT}, {rR - Wt * k - 1, rT}});
        for (int i = 0; i <= n; ++i) out.push_back({rR - Wt * parity(i) - 1, std::min(Ht * i + rT, rB)});
        out.push_back({rR - Wt * parity(n) - 1, rB});
        break;
    case tdDown:
        out.insert(out.end(), {{rR - 1, rB - Ht * k}, {rR - 1, rT}, {rL, rT}, {rL, rB - Ht * k}});
        for (int i = 0; i <= n; ++i) out.push_back({std::min(Wt * i + rL, rR), rB - Ht * parity(i)});
        out.push_back({rR, rB - Ht * parity(n)});
        break;
    case tdLeft:
        out.insert(out.end(), {{Wt * k + rL, rB - 1}, {rR - 1, rB - 1}, {rR - 1, rT}, {Wt * k + rL, rT}});
        for (int i = 0; i <= n; ++i) out.push_back({Wt * parity(i) + rL, std::min(Ht * i + rT, rB)});
        out.push_back({Wt * parity(n) + rL, rB});
        break;
    case tdUp:
        out.insert(out.end(), {{rR - 1, Ht * k + rT}, {rR - 1, rB - 1}, {rL, rB - 1}, {rL, Ht * k + rT}});
        for (int i = 0; i <= n; ++i) out.push_back({std::min(Wt * i + rL, rR), Ht * parity(i) + rT});
        out.push_back({rR, Ht * parity(n) + rT});
        break;
    }
}

void Calculate(const Metrics& m, TZCLShapeType shape, TZCLTeeth* teeth, std::vector<TPoint>& out)
{
    if (teeth) TeethPoints(m, teeth, out);
    else ShapePoints(m, shape, out);
}

// One outline of a shape: the box of an ellipse or rectangle, a rounded rectangle, or a polygon.
void Figure(TCanvas* c, TZCLShapeType shape, bool teeth, const std::vector<TPoint>& p, int rnd)
{
    if (p.empty()) return;
    if (teeth) {
        c->Polygon(p);
        return;
    }
    // Without a pen the system fills a rectangle one pixel short on the right and bottom: a rectangle without an
    // outline (a shadow, a face without bevel) covers its whole box all the same.
    const int e = c->Pen()->Style() == psClear ? 1 : 0;
    switch (shape) {
    case stEllipse: c->Ellipse(p[0].x, p[0].y, p[1].x, p[1].y); break;
    case stRectangle: c->Rectangle(p[0].x, p[0].y, p[1].x + e, p[1].y + e); break;
    case stRoundRect: c->RoundRect(p[0].x, p[0].y, p[1].x, p[1].y, rnd, rnd); break;
    default: c->Polygon(p); break;
    }
}

void Line(TCanvas* c, TPoint a, TPoint b)
{
    c->MoveTo(a.x, a.y);
    c->LineTo(b.x, b.y);
}

void Lines(TCanvas* c, std::initializer_list<TPoint> points)
{
    c->Polyline(std::span<const TPoint>(points.begin(), points.size()));
}

// The two-colour bevel over the face, from the outer points as they lie over the face.
void DrawBevelLines(TCanvas* c, TZCLShapeType shape, const std::vector<TPoint>& P, const Metrics& m, TColor first,
                    TColor second)
{
    const int h1 = m.h1, h2 = m.h2, rnd = m.rnd, rh = rnd / 2;
    TPen* pen = c->Pen();
    auto in = [&](TColor colour) { pen->SetColor(colour); };
    switch (shape) {
    case stEllipse:
    case stRectangle:
    case stRoundRect: {
        const int X0 = P[0].x + h1, Y0 = P[0].y + h1, X1 = P[1].x - h2, Y1 = P[1].y - h2;
        if (shape == stEllipse) {
            in(first);
            c->Arc(X0, Y0, X1, Y1, X1, Y0, X0, Y1);
            in(second);
            c->Arc(X0, Y0, X1, Y1, X0, Y1, X1, Y0);
        } else if (shape == stRectangle) {
            in(first);
            Lines(c, {{X0, Y1}, {X0, Y0}, {X1, Y0}});
            in(second);
            Lines(c, {{X1 - 1, Y0}, {X1 - 1, Y1 - 1}, {X0, Y1 - 1}});
        } else {
            in(first);
            c->Arc(X0, Y0, X0 + rnd, Y0 + rnd, X0 + rh, Y0, X0, Y0 + rh);
            c->Arc(X1 - rnd, Y0, X1, Y0 + rnd, X1, Y0, X1 - rh, Y0);
            c->Arc(X0, Y1 - rnd, X0 + rnd, Y1, X0, Y1 - rh, X0, Y1);
            Line(c, {X0, Y0 + rh}, {X0, Y1 - rh});
            Line(c, {X0 + rh, Y0}, {X1 - rh, Y0});
            in(second);
            c->Arc(X1 - rnd, Y0, X1, Y0 + rnd, X1, Y0 + rh, X1, Y0);
            c->Arc(X1 - rnd, Y1 - rnd, X1, Y1, X1 - rh, Y1, X1, Y1 - rh);
            c->Arc(X0, Y1 - rnd, X0 + rnd, Y1, X0, Y1, X0 + rh, Y1);
            Line(c, {X1 - 1, Y0 + rh}, {X1 - 1, Y1 - rh});
            Line(c, {X0 + rh, Y1 - 1}, {X1 - rh, Y1 - 1});
        }
        break;
    }
    case stDirectUp:
        in(first);
        Lines(c, {P[2], P[0], P[1]});
        in(second);
        Lines(c, {P[1], P[2]});
        break;
    case stDirectRight:
        in(first);
        Line(c, {P[0].x + h1, P[0].y + h1}, {P[2].x + h1, P[2].y - h2});
        in(second);
        Lines(c, {{P[0].x + h1, P[0].y + h1}, {P[1].x - h2, P[1].y}, {P[2].x + h1, P[2].y - h2}});
        break;
    case stDirectDown:
        in(second);
        Lines(c, {{P[0].x - h2, P[0].y + h1}, {P[2].x, P[2].y - h2}, {P[1].x - h2, P[1].y + h1}});
        in(first);
        Line(c, {P[0].x + h1, P[0].y + h1}, {P[1].x - h2, P[1].y - h2});
        break;
    case stDirectLeft:
        in(second);
        Line(c, {P[0].x - h1 - 1, P[0].y + h1}, {P[2].x - h1 - 1, P[2].y - h2});
        in(first);
        Lines(c, {{P[0].x - h1 - 1, P[0].y + h1}, {P[1].x + h1, P[1].y + h1}, {P[2].x - h1 - 1, P[2].y - h1}});
        break;
    case stDiamond:
        in(first);
        Lines(c, {{P[3].x + h1, P[3].y}, {P[0].x, P[0].y + h1}, {P[1].x - h2, P[1].y}});
        in(second);
        Lines(c, {{P[1].x - h2, P[1].y}, {P[2].x, P[2].y - h2}, {P[3].x + h1, P[3].y}});
        break;
    case stComb:
        in(first);
        Lines(c, {{P[4].x + h1, P[4].y}, {P[5].x + h1, P[5].y}, {P[0].x, P[0].y + h1}, {P[1].x - h2 - 1, P[1].y}});
        in(second);
        Lines(c, {{P[1].x - h2 - 1, P[1].y}, {P[2].x - h2 - 1, P[2].y}, {P[3].x, P[3].y - h2}, {P[4].x + h1, P[4].y}});
        break;
    case stOctagon:
        in(first);
        Lines(c, {{P[6].x + h1, P[6].y},
                  {P[7].x + h1, P[7].y},
                  {P[0].x, P[0].y + h1},
                  {P[1].x, P[1].y + h1},
                  {P[2].x - h2 - 1, P[2].y}});
        in(second);
        Lines(c, {{P[2].x - h2 - 1, P[2].y},
                  {P[3].x - h2 - 1, P[3].y},
                  {P[4].x, P[4].y - h2},
                  {P[5].x, P[5].y - h2},
                  {P[6].x + h1, P[6].y}});
        break;
    case stStar:
        in(first);
        Lines(c, {P[1], P[2]});
        Lines(c, {P[3], P[4]});
        Lines(c, {P[8], P[9], P[0]});
        Lines(c, {P[6], P[7]});
        in(second);
        Lines(c, {P[0], P[1]});
        Lines(c, {P[2], P[3]});
        Lines(c, {P[4], P[5], P[6]});
        Lines(c, {P[7], P[8]});
        break;
    }
}

}  // namespace

// Point lists ----------------------------------------------------------------------------------------------------

void* TZCLPointList::Pack(const TPoint& P)
{
    const std::uint32_t v = std::uint32_t(std::uint16_t(P.x)) << 16 | std::uint16_t(P.y);
    return reinterpret_cast<void*>(std::uintptr_t(v));
}

TPoint TZCLPointList::Unpack(void* Entry)
{
    const auto v = std::uint32_t(std::uintptr_t(Entry));
    return TPoint(std::int16_t(v >> 16), std::int16_t(v & 0xFFFF));
}

void TZCLPointList::GetPoint(int Index, TPoint& P) const
{
    if (Index >= 0 && Index < Count()) P = Unpack(Items(Index));
}

TPoint TZCLPointList::PointAt(int Index) const
{
    TPoint p;
    GetPoint(Index, p);
    return p;
}

void TZCLPointList::PutPoint(int Index, const TPoint& P)
{
    if (Index < 0 || Index >= Count()) return;
    SetItems(Index, Pack(P));
    GetChange();
}

int TZCLPointList::AddPoint(const TPoint& P)
{
    const int i = Add(Pack(P));
    GetChange();
    return i;
}

void TZCLPointList::DeletePoint(int Index)
{
    Delete(Index);
    GetChange();
}

void TZCLPointList::Clone(TZCLPointList* Target) const
{
    if (!Target || Target == this) return;
    Target->Clear();
    for (int i = 0; i < Count(); ++i) Target->Add(Items(i));
}

void TZCLPointList::EndUpdate(bool Notify)
{
    if (updateCount_ > 0) --updateCount_;
    if (Notify) GetChange();
}

void TZCLPointList::GetChange()
{
    if (updateCount_ < 1 && onChange_) onChange_(this);
}

void ZCLOffsetPointList(TZCLPointList* List, int DX, int DY)
{
    if (!List) return;
    for (int i = 0; i < List->Count(); ++i) {
        const TPoint p = TZCLPointList::Unpack(List->Items(i));
        List->SetItems(i, TZCLPointList::Pack(TPoint(p.x + DX, p.y + DY)));
    }
}

void ZCLOffsetPointArray(TPoint* Points, int High, int Count, int DX, int DY)
{
    if (!Points) return;
    const int n = std::min(Count, High + 1);
    for (int i = 0; i < n; ++i) {
        Points[i].x += DX;
        Points[i].y += DY;
    }
}

// Simple bevel ---------------------------------------------------------------------------------------------------

void TZCLSimpleBevel::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLSimpleBevel*>(Source)) {
        width_ = s->width_;
        style_ = s->style_;
        colors_ = s->colors_;
        Change();
        return;
    }
    TZCLObject::Assign(Source);
}

AnsiString TZCLSimpleBevel::GetSetStr() const
{
    static const char* const names[] = {"Normal", "Inset", "Offset"};
    return AnsiString("{") + names[style_ <= sbOffset ? style_ : 0] + "}";
}

void TZCLSimpleBevel::SetWidth(TZCLBevelWidth Value)
{
    SetField(width_, std::clamp(Value, TZCLBevelWidthRange::Low, TZCLBevelWidthRange::High));
}

void TZCLSimpleBevel::SetStyle(TZCLSimpleBevelStyle Value) { SetField(style_, Value); }

void TZCLSimpleBevel::SetColors(int Index, TColor Value) { SetField(colors_[std::size_t(Index) % 3], Value); }

// Teeth ----------------------------------------------------------------------------------------------------------

void TZCLTeeth::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLTeeth*>(Source)) {
        count_ = s->count_;
        direction_ = s->direction_;
        flags_ = s->flags_;
        sizes_ = s->sizes_;
        Change();
        return;
    }
    TZCLObject::Assign(Source);
}

void TZCLTeeth::SetCount(TZCLTeethCount Value)
{
    SetField(count_, std::clamp(Value, TZCLTeethCountRange::Low, TZCLTeethCountRange::High));
}

void TZCLTeeth::SetDirection(TZCLDirection Value) { SetField(direction_, Value); }
void TZCLTeeth::SetFlags(int Index, bool Value) { SetField(flags_[std::size_t(Index & 1)], Value); }
void TZCLTeeth::SetSizes(int Index, int Value) { SetField(sizes_[std::size_t(Index & 1)], Value); }

// Gradient -------------------------------------------------------------------------------------------------------

TZCLGradient::TZCLGradient() : colorList_(std::make_unique<TList>()), computed_(std::make_unique<TList>())
{
    InitPalette();
}

TZCLGradient::~TZCLGradient() = default;

void TZCLGradient::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLGradient*>(Source)) {
        if (s == this) return;
        BeginUpdate();
        colorCount_ = s->colorCount_;
        color_ = s->color_;
        style_ = s->style_;
        endColor_ = s->endColor_;
        paletteRealize_ = s->paletteRealize_;
        twoColors_ = s->twoColors_;
        colorList_->Assign(s->colorList_.get());
        EndUpdate(true);
        return;
    }
    TZCLObject::Assign(Source);
}

void TZCLGradient::Change()
{
    InitPalette();
    TZCLObject::Change();
}

AnsiString TZCLGradient::GetSetStr() const
{
    static const char* const names[] = {"horizontal", "vertical",    "square",       "elliptic",      "top left",
                                        "top right",  "bottom left", "bottom right", "top left diag", "top right diag"};
    return AnsiString(names[style_ <= gstTopRightDiagonal ? style_ : 0]) + ", Col: " + IntToStr(colorCount_) +
           (twoColors_ ? ", 2 col mode" : ", mult. col mode");
}

void TZCLGradient::DefineProperties(TFiler* Filer)
{
    TZCLObject::DefineProperties(Filer);
    Filer->DefineProperty("ColorList", TReaderProc(this, &TZCLGradient::ReadColorList),
                          TWriterProc(this, &TZCLGradient::WriteColorList), colorList_->Count() > 0);
}

// What is read replaces the entries: reading into a gradient that already holds colours must not repeat them.
void TZCLGradient::ReadColorList(TReader* Reader)
{
    BeginUpdate();
    colorList_->Clear();
    Reader->ReadListBegin();
    while (!Reader->EndOfList()) colorList_->Add(ColorEntry(TColor(Reader->ReadInteger())));
    Reader->ReadListEnd();
    EndUpdate(true);
}

void TZCLGradient::WriteColorList(TWriter* Writer)
{
    Writer->WriteListBegin();
    for (int i = 0; i < colorList_->Count(); ++i) Writer->WriteInteger(int(EntryColor(colorList_->Items(i))));
    Writer->WriteListEnd();
}

void TZCLGradient::SetColorCount(TZCLColorCount Value)
{
    SetField(colorCount_, std::clamp(Value, TZCLColorCountRange::Low, TZCLColorCountRange::High));
}

void TZCLGradient::SetColor(TColor Value) { SetField(color_, Value); }
void TZCLGradient::SetEndColor(TColor Value) { SetField(endColor_, Value); }
void TZCLGradient::SetPaletteRealize(bool Value) { SetField(paletteRealize_, Value); }
void TZCLGradient::SetStyle(TZCLGradientStyle Value) { SetField(style_, Value); }
void TZCLGradient::SetTwoColors(bool Value) { SetField(twoColors_, Value); }

void TZCLGradient::SetColors(TList* List)
{
    if (!List || List == colorList_.get()) return;
    colorList_->Assign(List);
    // Not told, but what is painted must still follow the new colours.
    InitPalette();
}

void TZCLGradient::DestroyPalette() { palette_.reset(); }

void TZCLGradient::InitPalette()
{
    DestroyPalette();
    computed_->Clear();
    if (twoColors_) {
        ZCLGradientCreateColorList(color_, endColor_, std::uint8_t(colorCount_), true, computed_.get());
    } else if (const int n = colorList_->Count(); n > 1) {
        // N colours make N - 1 segments; each runs at least from its colour to the next.
        const auto steps = std::uint8_t(std::max(2, colorCount_ / (n - 1)));
        for (int i = 0; i + 1 < n; ++i)
            ZCLGradientCreateColorList(EntryColor(colorList_->Items(i)), EntryColor(colorList_->Items(i + 1)), steps,
                                       i == 0, computed_.get());
    }
    if (paletteRealize_) palette_.reset(ZCLGradientCreatePalette(computed_.get()));
}

void TZCLGradient::PaintGradient(TCanvas* Canvas, const TRect& R)
{
    ZCLGradientPaintExt(Canvas, R, style_, computed_.get(), palette_.get(), paletteRealize_ ? ZCLBmpPalette : 0, 0);
}

void TZCLGradient::SetRealPalette(TCanvas* Canvas)
{
    if (!Canvas || !paletteRealize_ || !palette_) return;
    HDC dc = Canvas->Handle();
    SelectPalette(dc, palette_.get(), FALSE);
    RealizePalette(dc);
}

// Shape fill -----------------------------------------------------------------------------------------------------

TZCLShapeFill::TZCLShapeFill() : TZCLShapeFill(sfBrush) {}

TZCLShapeFill::TZCLShapeFill(TZCLFillStyle DefaultStyle)
    : bitmap_(std::make_unique<TBitmap>()), listBitmap_(std::make_unique<TBitmap>()),
      gradient_(std::make_unique<TZCLGradient>()), style_(DefaultStyle)
{
    bitmap_->SetOnChange(TNotifyEvent(this, &TZCLShapeFill::GetChange));
    gradient_->SetOnChange(TNotifyEvent(this, &TZCLShapeFill::GetChange));
}

TZCLShapeFill::~TZCLShapeFill()
{
    bitmap_->SetOnChange(TNotifyEvent());
    gradient_->SetOnChange(TNotifyEvent());
}

void TZCLShapeFill::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLShapeFill*>(Source)) {
        if (s == this) return;
        BeginUpdate();
        bitmap_->Assign(s->bitmap_.get());
        listBitmap_->Assign(s->listBitmap_.get());
        gradient_->Assign(s->gradient_.get());
        style_ = s->style_;
        tileMode_ = s->tileMode_;
        EndUpdate(true);
        return;
    }
    TZCLObject::Assign(Source);
}

AnsiString TZCLShapeFill::GetSetStr() const
{
    switch (style_) {
    case sfNone: return "{Disabled}";
    case sfBrush: return "{Brush}";
    case sfBitmap: return "{Bitmap}";
    case sfBitmapList: return "{BitmapList}";
    case sfGradient: return "{Gradient}";
    default: return "{}";
    }
}

void TZCLShapeFill::SetBitmap(TBitmap* Value)
{
    if (Value == bitmap_.get()) return;
    if (Value) bitmap_->Assign(Value);
    else bitmap_->SetSize(0, 0);
}

void TZCLShapeFill::SetGradient(TZCLGradient* Value)
{
    if (Value && Value != gradient_.get()) gradient_->Assign(Value);
}

void TZCLShapeFill::SetStyle(TZCLFillStyle Value) { SetField(style_, Value); }
void TZCLShapeFill::SetTileMode(TZCLTileMode Value) { SetField(tileMode_, Value); }

void TZCLShapeFill::SetListBitmap(TBitmap* Value)
{
    if (Value == listBitmap_.get()) return;
    if (Value) listBitmap_->Assign(Value);
    else listBitmap_->SetSize(0, 0);
}

TBitmap* TZCLShapeFill::GetBitmap() const
{
    if (style_ == sfBitmap) return bitmap_.get();
    if (style_ == sfBitmapList) return listBitmap_.get();
    return nullptr;
}

bool TZCLShapeFill::GetEmpty() const
{
    switch (style_) {
    case sfNone: return true;
    case sfBitmap: return bitmap_->Empty();
    case sfBitmapList: return listBitmap_->Empty();
    default: return false;
    }
}

bool TZCLShapeFill::GetMustRedraw() const
{
    switch (style_) {
    case sfBrushBitmap:
    case sfBrush: return false;
    case sfBitmap:
    case sfBitmapList: return tileMode_ != tmTile;
    default: return true;
    }
}

HPALETTE TZCLShapeFill::GetPalette() const
{
    switch (style_) {
    case sfBrushBitmap:
    case sfBitmap: return bitmap_->Palette();
    case sfBitmapList: return listBitmap_->Palette();
    case sfGradient: return gradient_->GetPalette();
    default: return nullptr;
    }
}

// Transparent ----------------------------------------------------------------------------------------------------

void TZCLTransparent::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLTransparent*>(Source)) {
        color_ = s->color_;
        mode_ = s->mode_;
        Change();
        return;
    }
    TZCLObject::Assign(Source);
}

void TZCLTransparent::SetColor(TColor Value) { SetField(color_, Value); }
void TZCLTransparent::SetMode(TZCLTransparentMode Value) { SetField(mode_, Value); }
bool TZCLTransparent::GetTransparent() const { return mode_ == tpRestoreBack || mode_ == tpRBTranspColor; }

// Shape ----------------------------------------------------------------------------------------------------------

TZCLShape::TZCLShape()
    : bevel_(std::make_unique<TZCLSimpleBevel>()), brush_(std::make_unique<TBrush>()),
      shadow_(std::make_unique<TZCLShadow>())
{
    bevel_->SetOnChange(TNotifyEvent(this, &TZCLShape::GetChange));
    brush_->SetOnChange(TNotifyEvent(this, &TZCLShape::GetChange));
    shadow_->SetOnChange(TNotifyEvent(this, &TZCLShape::GetChange));
}

TZCLShape::~TZCLShape()
{
    bevel_->SetOnChange(TNotifyEvent());
    brush_->SetOnChange(TNotifyEvent());
    shadow_->SetOnChange(TNotifyEvent());
}

void TZCLShape::SetBevel(TZCLSimpleBevel* Value)
{
    if (Value && Value != bevel_.get()) bevel_->Assign(Value);
}

void TZCLShape::SetBrush(TBrush* Value)
{
    if (Value && Value != brush_.get()) brush_->Assign(Value);
}

void TZCLShape::SetShadow(TZCLShadow* Value)
{
    if (Value && Value != shadow_.get()) shadow_->Assign(Value);
}

void TZCLShape::SetRoundPercent(TZCLPercent Value)
{
    SetField(roundPercent_, std::clamp(Value, TZCLPercentRange::Low, TZCLPercentRange::High));
}

void TZCLShape::SetShape(TZCLShapeType Value) { SetField(shape_, Value); }
void TZCLShape::SetSquare(bool Value) { SetField(square_, Value); }

// Shapes ---------------------------------------------------------------------------------------------------------

void ZCLShapeCalc(const TRect& R, TZCLShapeType Shape, TZCLTeeth* Teeth, bool Square, TBrush*,
                  std::uint8_t RoundPercent, TZCLSimpleBevel* Bevel, TZCLShadow* Shadow, TZCLPointList* List)
{
    if (!List) return;
    const Metrics m = Measure(R, Teeth != nullptr, Square, RoundPercent, Bevel, Shadow);
    std::vector<TPoint> points;
    Calculate(m, Shape, Teeth, points);
    List->Clear();
    for (const TPoint& p : points) List->Add(TZCLPointList::Pack(p));
}

void ZCLShapeDraw(const TRect& R, TCanvas* Canvas, TZCLShapeType Shape, TZCLTeeth* Teeth, TZCLPointList* PointList,
                  bool Square, TBrush* Brush, std::uint8_t RoundPercent, TZCLSimpleBevel* Bevel, TZCLShadow* Shadow,
                  TBitmap* FillBitmap, TColor MaskColor, TColor BackColor)
{
    if (!Canvas) return;
    TZCLSimpleBevel thin;
    thin.SetWidth(1);
    TZCLSimpleBevel* bevel = Bevel ? Bevel : &thin;
    const Metrics m = Measure(R, Teeth != nullptr, Square, RoundPercent, bevel, Shadow);
    const bool teeth = Teeth != nullptr;

    // The points are drawn from a copy: the caller's list is left as it is, and no change is told for it.
    std::vector<TPoint> points;
    if (PointList) {
        for (int i = 0; i < PointList->Count(); ++i) points.push_back(PointList->PointAt(i));
    } else {
        Calculate(m, Shape, Teeth, points);
    }
    const std::size_t outerCount = teeth ? points.size() : std::size_t(OuterCount(Shape));
    std::vector<TPoint> outer(outerCount), inner(outerCount);
    for (std::size_t i = 0; i < outerCount; ++i) {
        const std::size_t j = teeth ? i : i + outerCount;
        if (i < points.size()) outer[i] = points[i];
        if (j < points.size()) inner[i] = points[j];
        outer[i] = TPoint(outer[i].x + R.left, outer[i].y + R.top);
        inner[i] = TPoint(inner[i].x + R.left, inner[i].y + R.top);
    }
    const bool fill = FillBitmap && !FillBitmap->Empty();
    const auto mask = TColor(ColorToRGB(MaskColor));
    TPen* pen = Canvas->Pen();
    TBrush* brush = Canvas->Brush();

    if (m.d > 0 && Shadow && Shadow->Style() != hssNone) {
        pen->SetStyle(psClear);
        if (Shadow->Style() == hssTracing) {
            brush->SetBitmap(ZCLApplication->GetBrushBitmap(Shadow->Color()));
            pen->SetMode(pmMask);
        } else {
            brush->SetBitmap(nullptr);
            brush->SetStyle(bsSolid);
            brush->SetColor(Shadow->Color());
        }
        Figure(Canvas, Shape, teeth, outer, m.rnd);
        brush->SetBitmap(nullptr);
    }

    // The face sits the shadow's depth up and left of the shadow.
    for (auto* set : {&outer, &inner})
        for (TPoint& p : *set) p = TPoint(p.x - m.d, p.y - m.d);

    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1 || (m.bw > 0 && bevel->Style() == sbNormal && !fill)) {
            pen->SetMode(pmCopy);
            if (bevel->Width() == 0) {
                pen->SetStyle(psClear);
            } else {
                pen->SetStyle(psSolid);
                pen->SetWidth(m.bw);
                pen->SetColor(bevel->Color());
            }
        }
        if (fill && pass == 0) {
            // A white shape on the mask colour, through which the bitmap is drawn.
            TBitmap shape;
            shape.SetPixelFormat(pf24bit);
            shape.SetSize(m.w, m.h);
            TCanvas* sc = shape.Canvas();
            sc->Pen()->SetMode(pmCopy);
            if (bevel->Width() == 0) {
                sc->Pen()->SetStyle(psClear);
            } else {
                sc->Pen()->SetStyle(psSolid);
                sc->Pen()->SetWidth(m.bw);
                sc->Pen()->SetColor(clWhite);
            }
            sc->Brush()->SetColor(mask);
            sc->FillRect(TRect(0, 0, m.w, m.h));
            sc->Brush()->SetColor(clWhite);
            std::vector<TPoint> local(inner);
            for (TPoint& p : local) p = TPoint(p.x - R.left, p.y - R.top);
            Figure(sc, Shape, teeth, local, m.rnd);

            TBitmap picture;
            picture.SetPixelFormat(pf24bit);
            picture.SetSize(m.w, m.h);
            picture.Canvas()->Brush()->SetColor(mask);
            picture.Canvas()->FillRect(TRect(0, 0, m.w, m.h));
            picture.Canvas()->Draw(0, 0, FillBitmap);
            ZCLMaskBmpDraw(Canvas, TRect(R.left, R.top, R.left + m.w, R.top + m.h), &shape, &picture, clWhite, mask);
            continue;
        }
        pen->SetMode(pmCopy);
        if (bevel->Width() == 0) {
            pen->SetStyle(psClear);
        } else {
            pen->SetStyle(psSolid);
            pen->SetWidth(m.bw);
        }
        // A bevel's outline goes into the face; the bevel lines come on top.
        if (bevel->Style() != sbNormal) pen->SetColor(brush->Color());
        if (!fill) {
            if (Brush) brush->Assign(Brush);
        } else {
            brush->SetBitmap(nullptr);
            brush->SetStyle(bsClear);
        }
        if (pass == 1 && brush->Style() != bsSolid) {
            HDC dc = Canvas->Handle();
            SetBkColor(dc, COLORREF(ColorToRGB(BackColor)));
            SetBkMode(dc, OPAQUE);
        }
        Figure(Canvas, Shape, teeth, inner, m.rnd);
    }

    // A teeth shape has its outline only.
    if (m.bw == 0 || bevel->Style() == sbNormal || teeth || outer.empty()) return;
    pen->SetStyle(psSolid);
    pen->SetWidth(m.bw);
    pen->SetMode(pmCopy);
    const bool inset = bevel->Style() == sbInset;
    DrawBevelLines(Canvas, Shape, outer, m, inset ? bevel->ShadowColor() : bevel->LightColor(),
                   inset ? bevel->LightColor() : bevel->ShadowColor());
}

void ZCLGetLightColors(int LightColor, TColor& Light, TColor& Dark)
{
    static const TColor light[] = {clBtnFace, clBlue, clRed, clLime, clYellow, clAqua, clFuchsia};
    static const TColor dark[] = {clBtnFace, clNavy, clMaroon, clGreen, clOlive, clTeal, clPurple};
    const int i = LightColor % 128;
    if (i < 0 || i > lcPurple) return;
    Light = light[i];
    Dark = dark[i];
}

std::uint16_t ZCLTileMode2DSF(TZCLTileMode Mode)
{
    switch (Mode) {
    case tmCenter: return ZCLBmpCenter;
    case tmStretch: return ZCLBmpStretch;
    case tmTile: return ZCLBmpTile;
    default: return 0;
    }
}
