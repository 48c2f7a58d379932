#include "framework/visual/Chart.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/runtime/Handles.h"

namespace {

constexpr int Margin = 6;
constexpr int Tick = 4;
constexpr int MinDrag = 4;  // pixels a drag must cover to count as a zoom

COLORREF Rgb(TColor c)
{
    return COLORREF(ColorToRGB(c));
}

// 1, 2 or 5 times a power of ten, so that range / step stays at or below maxTicks.
double NiceStep(double range, int maxTicks)
{
    if (!(range > 0)) return 1;
    const double raw = range / std::max(1, maxTicks);
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    const double n = raw / mag;
    return (n <= 1 ? 1 : n <= 2 ? 2 : n <= 5 ? 5 : 10) * mag;
}

AnsiString FormatValue(double v)
{
    char buf[32];
    if (std::fabs(v) < 1e-9) v = 0;  // no "-0"
    if (std::fabs(v - std::round(v)) < 1e-9)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%g", v);
    return AnsiString(buf);
}

SIZE TextSize(HDC dc, const AnsiString& text)
{
    SIZE s{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), int(text.Length()), &s);
    return s;
}

void PutText(HDC dc, int x, int y, const AnsiString& text)
{
    TextOutA(dc, x, y, text.c_str(), int(text.Length()));
}

void Fill(HDC dc, const TRect& r, TColor color)
{
    BrushHandle brush(CreateSolidBrush(Rgb(color)));
    FillRect(dc, &r, brush.get());
}

// The DC's font turned by angle degrees; a TrueType face, since bitmap fonts do not turn.
FontHandle TurnedFont(HDC dc, int angle)
{
    LOGFONTA lf{};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof lf, &lf);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    if (!(tm.tmPitchAndFamily & TMPF_TRUETYPE)) std::strcpy(lf.lfFaceName, "Tahoma");
    lf.lfEscapement = lf.lfOrientation = angle * 10;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    return FontHandle(CreateFontIndirectA(&lf));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Option objects

void TChartText::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    chart_->Changed();
}

void TChartText::SetCaption(const AnsiString& value)
{
    if (value == caption_) return;
    caption_ = value;
    chart_->Changed();
}

void TChartLegend::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    chart_->Changed();
}

void TChartAxis::SetLabelsAngle(int value)
{
    value = value == 90 ? 90 : 0;
    if (value == labelsAngle_) return;
    labelsAngle_ = value;
    chart_->Changed();
}

void TSeriesMarks::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    if (chart_) chart_->Changed();
}

// ---------------------------------------------------------------------------------------------------------------
// TChartSeries

TChartSeries::TChartSeries(TComponent* owner) : TComponent(owner) {}

TChartSeries::~TChartSeries()
{
    SetParentChart(nullptr);
}

void TChartSeries::SetParentChart(TChart* chart)
{
    if (chart == chart_) return;
    if (chart_) {
        auto& list = chart_->series_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        chart_->Changed();
    }
    chart_ = chart;
    if (chart_) {
        chart_->series_.push_back(this);
        chart_->Changed();
    }
}

void TChartSeries::Changed()
{
    if (chart_) chart_->Changed();
}

void TChartSeries::SetActive(bool value)
{
    if (value == active_) return;
    active_ = value;
    Changed();
}

void TChartSeries::SetSeriesColor(TColor value)
{
    if (value == color_) return;
    color_ = value;
    Changed();
}

void TChartSeries::SetTitle(const AnsiString& value)
{
    title_ = value;
    Changed();
}

void TChartSeries::Clear()
{
    points_.clear();
    Changed();
}

int TChartSeries::AddXY(double x, double y, const AnsiString& label, TColor color)
{
    points_.push_back(Point{x, y, label, color});
    Changed();
    return Count() - 1;
}

double TChartSeries::XValue(int index) const
{
    return index >= 0 && index < Count() ? points_[std::size_t(index)].x : 0;
}

double TChartSeries::YValue(int index) const
{
    return index >= 0 && index < Count() ? points_[std::size_t(index)].y : 0;
}

AnsiString TChartSeries::XLabel(int index) const
{
    return index >= 0 && index < Count() ? points_[std::size_t(index)].label : AnsiString();
}

TColor TChartSeries::ValueColor(int index) const
{
    if (index < 0 || index >= Count() || points_[std::size_t(index)].color == clDefault) return color_;
    return points_[std::size_t(index)].color;
}

void TBarSeries::SetBarWidthPercent(int value)
{
    value = std::clamp(value, 1, 100);
    if (value == barWidthPercent_) return;
    barWidthPercent_ = value;
    Changed();
}

// ---------------------------------------------------------------------------------------------------------------
// TChart

TChart::TChart(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
    SetColor(clBtnFace);
    SetBounds(0, 0, 400, 250);
}

TChart::~TChart()
{
    // The series outlive the chart when they were made before it in the same owner.
    while (!series_.empty()) series_.back()->SetParentChart(nullptr);
}

TChartSeries* TChart::Series(int index) const
{
    return index >= 0 && index < SeriesCount() ? series_[std::size_t(index)] : nullptr;
}

void TChart::SetBounds(int left, int top, int width, int height)
{
    laidOut_ = false;
    TCustomControl::SetBounds(left, top, width, height);
}

void TChart::Changed()
{
    laidOut_ = false;
    Invalidate();
}

void TChart::ZoomRect(double x0, double y0, double x1, double y1)
{
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    if (!(x1 > x0) || !(y1 > y0)) return;
    zoomed_ = true;
    zoomX0_ = x0;
    zoomX1_ = x1;
    zoomY0_ = y0;
    zoomY1_ = y1;
    Changed();
}

void TChart::UndoZoom()
{
    if (!zoomed_) return;
    zoomed_ = false;
    Changed();
}

// The automatic ranges: bars stand on zero and take half a step of room on each side of their x.
void TChart::UpdateRanges()
{
    bool any = false;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    double spacing = 0;  // the smallest distance between two x values of a series
    for (TChartSeries* s : series_) {
        if (!s->Active() || s->Count() == 0) continue;
        std::vector<double> xs;
        for (int i = 0; i < s->Count(); ++i) {
            const double x = s->XValue(i), y = s->YValue(i);
            xs.push_back(x);
            if (!any) {
                x0 = x1 = x;
                any = true;
            }
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 1; i < xs.size(); ++i)
            if (xs[i] > xs[i - 1] && (spacing == 0 || xs[i] - xs[i - 1] < spacing)) spacing = xs[i] - xs[i - 1];
    }
    if (!any) {
        x0 = 0;
        x1 = 1;
        y0 = 0;
        y1 = 1;
    } else {
        const double half = (spacing > 0 ? spacing : 1) / 2;
        x0 -= half;
        x1 += half;
        if (y1 <= y0) y1 = y0 + 1;
    }
    bottomAxis_.minimum_ = x0;
    bottomAxis_.maximum_ = x1;
    leftAxis_.minimum_ = y0;
    leftAxis_.maximum_ = y1;
    if (zoomed_) {
        bottomAxis_.minimum_ = zoomX0_;
        bottomAxis_.maximum_ = zoomX1_;
        leftAxis_.minimum_ = zoomY0_;
        leftAxis_.maximum_ = zoomY1_;
    }
}

void TChart::Layout(HDC dc)
{
    UpdateRanges();
    const TRect client = ClientRect();
    const SIZE digit = TextSize(dc, "0");
    const int lineH = digit.cy;
    TRect r(client.left + Margin, client.top + Margin, client.right - Margin, client.bottom - Margin);
    if (title_.Visible() && !title_.Caption().IsEmpty()) r.top += lineH + Margin;
    if (foot_.Visible() && !foot_.Caption().IsEmpty()) r.bottom -= lineH + Margin;
    if (legend_.Visible()) {
        int w = 0;
        for (TChartSeries* s : series_)
            if (s->Active()) w = std::max(w, int(TextSize(dc, s->Title()).cx) + lineH + 8);
        if (w > 0) r.right -= w + Margin;
    }
    if (leftAxis_.Title()->Visible() && !leftAxis_.Title()->Caption().IsEmpty()) r.left += lineH + Margin;
    if (bottomAxis_.Title()->Visible() && !bottomAxis_.Title()->Caption().IsEmpty()) r.bottom -= lineH + Margin;

    // Bottom labels: as wide as the widest x text when turned upright.
    int bottomH = lineH;
    if (bottomAxis_.LabelsAngle() == 90) {
        int w = TextSize(dc, FormatValue(bottomAxis_.maximum_)).cx;
        w = std::max(w, int(TextSize(dc, FormatValue(bottomAxis_.minimum_)).cx));
        for (TChartSeries* s : series_)
            if (s->Active())
                for (int i = 0; i < s->Count(); ++i)
                    if (!s->XLabel(i).IsEmpty()) w = std::max(w, int(TextSize(dc, s->XLabel(i)).cx));
        bottomH = w;
    }
    r.bottom -= bottomH + Tick + 2;
    // Room for the top label, and for marks above the highest bars.
    bool marks = false;
    for (TChartSeries* s : series_) marks = marks || (s->Active() && s->Marks()->Visible());
    r.top += marks ? lineH + 4 : lineH / 2;
    // Rounded left range: the top value rises to the next step unless zoomed, where the range is the user's.
    const double yStep = NiceStep(leftAxis_.maximum_ - leftAxis_.minimum_, std::max(1, int(r.Height()) / (lineH * 2)));
    yStep_ = yStep;
    if (!zoomed_) {
        leftAxis_.maximum_ = std::ceil(leftAxis_.maximum_ / yStep - 1e-9) * yStep;
        leftAxis_.minimum_ = std::floor(leftAxis_.minimum_ / yStep + 1e-9) * yStep;
    }
    int labelW = 0;
    for (double v = std::ceil(leftAxis_.minimum_ / yStep) * yStep; v <= leftAxis_.maximum_ + yStep * 1e-6; v += yStep)
        labelW = std::max(labelW, int(TextSize(dc, FormatValue(v)).cx));
    r.left += labelW + Tick + 2;

    if (r.right <= r.left) r.right = r.left + 1;
    if (r.bottom <= r.top) r.bottom = r.top + 1;
    plot_ = r;
    laidOut_ = true;
}

TRect TChart::ChartRect()
{
    if (!laidOut_) {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectedObject font(dc.get(), Font()->Handle());
        Layout(dc.get());
    }
    return plot_;
}

int TChart::XToPixel(double x)
{
    const TRect r = ChartRect();
    const double span = bottomAxis_.maximum_ - bottomAxis_.minimum_;
    return r.left + int(std::lround((x - bottomAxis_.minimum_) / span * r.Width()));
}

int TChart::YToPixel(double y)
{
    const TRect r = ChartRect();
    const double span = leftAxis_.maximum_ - leftAxis_.minimum_;
    return r.bottom - int(std::lround((y - leftAxis_.minimum_) / span * r.Height()));
}

double TChart::PixelToX(int x)
{
    const TRect r = ChartRect();
    return bottomAxis_.minimum_ + double(x - r.left) / r.Width() * (bottomAxis_.maximum_ - bottomAxis_.minimum_);
}

double TChart::PixelToY(int y)
{
    const TRect r = ChartRect();
    return leftAxis_.minimum_ + double(r.bottom - y) / r.Height() * (leftAxis_.maximum_ - leftAxis_.minimum_);
}

void TChart::Paint()
{
    PaintChart(Canvas()->Handle());
}

void TChart::PaintChart(HDC dc)
{
    SelectedObject font(dc, Font()->Handle());
    Layout(dc);
    const TRect client = ClientRect();
    const int lineH = TextSize(dc, "0").cy;
    Fill(dc, client, Color());
    Fill(dc, plot_, clWhite);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Rgb(Font()->Color()));

    PaintTitles(dc, client);
    PenHandle gridPen(CreatePen(PS_DOT, 1, RGB(0xC0, 0xC0, 0xC0)));
    PenHandle axisPen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    PaintLeftAxis(dc, client, axisPen.get(), gridPen.get());
    PaintBottomAxis(dc, client, axisPen.get(), lineH);
    PaintSeries(dc, axisPen.get(), lineH);
    {
        SelectedObject pen(dc, axisPen.get());
        SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, plot_.left, plot_.top, plot_.right + 1, plot_.bottom + 1);
    }
    PaintLegend(dc, lineH);
    bandShown_ = false;  // the band was painted over
}

void TChart::PaintTitles(HDC dc, const TRect& client)
{
    if (title_.Visible() && !title_.Caption().IsEmpty()) {
        const SIZE s = TextSize(dc, title_.Caption());
        PutText(dc, (client.left + client.right - s.cx) / 2, client.top + Margin, title_.Caption());
    }
    if (foot_.Visible() && !foot_.Caption().IsEmpty()) {
        const SIZE s = TextSize(dc, foot_.Caption());
        PutText(dc, (client.left + client.right - s.cx) / 2, client.bottom - Margin - s.cy, foot_.Caption());
    }
}

// Ticks, labels and dotted lines across; the axis title turned upright.
void TChart::PaintLeftAxis(HDC dc, const TRect& client, HPEN axisPen, HPEN gridPen)
{
    const TRect& p = plot_;
    const double yStep = yStep_;
    {
        SelectedObject pen(dc, axisPen);
        for (double v = std::ceil(leftAxis_.minimum_ / yStep - 1e-9) * yStep; v <= leftAxis_.maximum_ + yStep * 1e-6;
             v += yStep) {
            const int y = YToPixel(v);
            const AnsiString t = FormatValue(std::fabs(v) < yStep * 1e-6 ? 0 : v);
            const SIZE s = TextSize(dc, t);
            PutText(dc, p.left - Tick - 2 - s.cx, y - s.cy / 2, t);
            MoveToEx(dc, p.left - Tick, y, nullptr);
            LineTo(dc, p.left, y);
            if (y > p.top && y < p.bottom) {
                SelectedObject dots(dc, gridPen);
                MoveToEx(dc, p.left + 1, y, nullptr);
                LineTo(dc, p.right, y);
            }
        }
    }
    if (leftAxis_.Title()->Visible() && !leftAxis_.Title()->Caption().IsEmpty()) {
        FontHandle up = TurnedFont(dc, 90);
        SelectedObject f(dc, up.get());
        const SIZE s = TextSize(dc, leftAxis_.Title()->Caption());
        PutText(dc, client.left + Margin, (p.top + p.bottom + s.cx) / 2, leftAxis_.Title()->Caption());
    }
}

// Labels at the x values (a point's own label where it has one), thinned out so that they never overlap.
void TChart::PaintBottomAxis(HDC dc, const TRect& client, HPEN axisPen, int lineH)
{
    const TRect& p = plot_;
    {
        const bool upright = bottomAxis_.LabelsAngle() == 90;
        const int room = upright ? lineH + 2 : TextSize(dc, FormatValue(bottomAxis_.maximum_)).cx + 8;
        const double span = bottomAxis_.maximum_ - bottomAxis_.minimum_;
        const double xStep = std::max(1.0, NiceStep(span, std::max(1, p.Width() / room)));
        FontHandle up = upright ? TurnedFont(dc, 90) : FontHandle();
        SelectedObject f(dc, upright ? HGDIOBJ(up.get()) : GetCurrentObject(dc, OBJ_FONT));
        SelectedObject pen(dc, axisPen);
        for (double v = std::ceil(bottomAxis_.minimum_ / xStep - 1e-9) * xStep; v <= bottomAxis_.maximum_ + 1e-9;
             v += xStep) {
            const int x = XToPixel(v);
            AnsiString t = FormatValue(v);
            for (TChartSeries* s : series_)
                if (s->Active())
                    for (int i = 0; i < s->Count(); ++i)
                        if (s->XValue(i) == v && !s->XLabel(i).IsEmpty()) t = s->XLabel(i);
            const SIZE s = TextSize(dc, t);
            MoveToEx(dc, x, p.bottom, nullptr);
            LineTo(dc, x, p.bottom + Tick);
            if (upright)
                PutText(dc, x - s.cy / 2, p.bottom + Tick + 2 + s.cx, t);
            else
                PutText(dc, x - s.cx / 2, p.bottom + Tick + 2, t);
        }
    }
    if (bottomAxis_.Title()->Visible() && !bottomAxis_.Title()->Caption().IsEmpty()) {
        const SIZE s = TextSize(dc, bottomAxis_.Title()->Caption());
        PutText(dc, (p.left + p.right - s.cx) / 2, client.bottom - Margin - s.cy -
                 ((foot_.Visible() && !foot_.Caption().IsEmpty()) ? lineH + Margin : 0),
             bottomAxis_.Title()->Caption());
    }
}

// Bars and marks of the active series, clipped to the plot (and the room for marks above it).
void TChart::PaintSeries(HDC dc, HPEN axisPen, int lineH)
{
    const TRect& p = plot_;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, p.left, p.top - lineH - 4, p.right, p.bottom + 1);
    for (TChartSeries* s : series_)
        if (s->Active() && s->Count() > 0) PaintBars(dc, *s, axisPen);
    RestoreDC(dc, saved);
}

// Bars as wide as the given percentage of the closest spacing of x values.
int TChart::BarWidth(const TChartSeries& series) const
{
    const auto* bars = dynamic_cast<const TBarSeries*>(&series);
    const int percent = bars ? bars->BarWidthPercent() : 70;
    const double pxPerX = plot_.Width() / (bottomAxis_.maximum_ - bottomAxis_.minimum_);
    std::vector<double> xs;
    for (int i = 0; i < series.Count(); ++i) xs.push_back(series.XValue(i));
    std::sort(xs.begin(), xs.end());
    double spacing = 0;
    for (std::size_t i = 1; i < xs.size(); ++i)
        if (xs[i] > xs[i - 1] && (spacing == 0 || xs[i] - xs[i - 1] < spacing)) spacing = xs[i] - xs[i - 1];
    if (spacing == 0) spacing = 1;
    return std::max(1, int(pxPerX * spacing * percent / 100));
}

void TChart::PaintBars(HDC dc, TChartSeries& s, HPEN axisPen)
{
    const int w = BarWidth(s);
    int lastMarkRight = INT_MIN;
    const int zero = YToPixel(std::clamp(0.0, leftAxis_.minimum_, leftAxis_.maximum_));
    for (int i = 0; i < s.Count(); ++i) {
        const int cx = XToPixel(s.XValue(i));
        const int y = YToPixel(s.YValue(i));
        TRect bar(cx - w / 2, std::min(y, zero), cx - w / 2 + w, std::max(y, zero));
        if (bar.bottom == bar.top) ++bar.bottom;
        Fill(dc, bar, s.ValueColor(i));
        if (w >= 4) {
            SelectedObject pen(dc, axisPen);
            SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, bar.left, bar.top, bar.right, bar.bottom);
        }
        if (s.Marks()->Visible()) {
            const AnsiString t = FormatValue(s.YValue(i));
            const SIZE ts = TextSize(dc, t);
            const TRect box(cx - ts.cx / 2 - 2, bar.top - ts.cy - 3, cx - ts.cx / 2 + ts.cx + 2, bar.top - 1);
            if (box.left > lastMarkRight) {  // marks that would overlap are left out
                Fill(dc, box, clMarkBack);
                FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
                SetTextColor(dc, RGB(0, 0, 0));
                PutText(dc, box.left + 2, box.top + 1, t);
                SetTextColor(dc, Rgb(Font()->Color()));
                lastMarkRight = box.right;
            }
        }
    }
}

void TChart::PaintLegend(HDC dc, int lineH)
{
    if (!legend_.Visible()) return;
    int y = plot_.top;
    const int x = plot_.right + Margin * 2;
    for (TChartSeries* s : series_) {
        if (!s->Active()) continue;
        Fill(dc, TRect(x, y + 2, x + lineH - 4, y + lineH - 2), s->SeriesColor());
        PutText(dc, x + lineH, y, s->Title());
        y += lineH + 2;
    }
}

void TChart::DrawBand()
{
    TRect r(std::min(dragFrom_.x, dragTo_.x), std::min(dragFrom_.y, dragTo_.y), std::max(dragFrom_.x, dragTo_.x),
            std::max(dragFrom_.y, dragTo_.y));
    if (r.IsEmpty()) return;
    HDC dc = Canvas()->Handle();
    DrawFocusRect(dc, &r);
}

void TChart::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    dragging_ = true;
    dragFrom_ = dragTo_ = TPoint{x, y};
    bandShown_ = false;
}

void TChart::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    if (bandShown_) DrawBand();  // a focus rectangle drawn twice is gone
    dragTo_ = TPoint{x, y};
    bandShown_ = dragTo_.x > dragFrom_.x && dragTo_.y > dragFrom_.y;
    if (bandShown_) DrawBand();
}

void TChart::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || !dragging_) return;
    dragging_ = false;
    if (bandShown_) DrawBand();
    bandShown_ = false;
    const int dx = x - dragFrom_.x, dy = y - dragFrom_.y;
    if (dx >= MinDrag && dy >= MinDrag)
        ZoomRect(PixelToX(dragFrom_.x), PixelToY(y), PixelToX(x), PixelToY(dragFrom_.y));
    else if (dx <= -MinDrag || dy <= -MinDrag)
        UndoZoom();
}

void TChart::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        message.Result = 1;  // Paint covers everything
        return;
    case WM_SIZE:
        laidOut_ = false;
        break;
    case WM_CAPTURECHANGED:
        if (dragging_ && reinterpret_cast<HWND>(message.LParam) != (HandleAllocated() ? Handle() : nullptr)) {
            if (bandShown_) DrawBand();
            bandShown_ = dragging_ = false;
        }
        break;
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}
