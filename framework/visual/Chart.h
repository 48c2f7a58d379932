#pragma once
// The bar chart: series of points (x, y, label, colour) drawn as bars over a left and a bottom axis whose ranges
// follow the active series, with optional value marks, title, foot and legend. A left-button drag down and to
// the right zooms into the dragged rectangle; a drag up or to the left, or UndoZoom, shows everything again.

#include <windows.h>

#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Controls.h"

class TChart;

// A piece of text shown on the chart (title, foot, axis title), hidden or shown.
class TChartText : public TPersistent {
public:
    explicit TChartText(TChart* chart, bool visible) : chart_(chart), visible_(visible) {}
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& value);

private:
    TChart* chart_;  // not owned: the chart owning this object
    bool visible_;
    AnsiString caption_;
};

class TChartLegend : public TPersistent {
public:
    explicit TChartLegend(TChart* chart) : chart_(chart) {}
    bool Visible() const { return visible_; }
    void SetVisible(bool value);

private:
    TChart* chart_;  // not owned
    bool visible_ = true;
};

class TChartAxis : public TPersistent {
public:
    explicit TChartAxis(TChart* chart) : chart_(chart), title_(chart, true) {}
    TChartText* Title() { return &title_; }
    // Degrees counter-clockwise: 0 or 90.
    int LabelsAngle() const { return labelsAngle_; }
    void SetLabelsAngle(int value);
    // The range on view: automatic over the active series, or the zoomed one.
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }

private:
    friend class TChart;
    TChart* chart_;  // not owned
    TChartText title_;
    int labelsAngle_ = 0;
    double minimum_ = 0, maximum_ = 1;
};

// The pale yellow behind the value marks, the same on every colour scheme.
constexpr TColor clMarkBack = TColor(0xE1FFFF);

class TSeriesMarks : public TPersistent {
public:
    explicit TSeriesMarks(TChart* const& chart) : chart_(chart) {}
    // The y value written above each bar.
    bool Visible() const { return visible_; }
    void SetVisible(bool value);

private:
    TChart* const& chart_;  // the series' chart, which may change
    bool visible_ = false;
};

class TChartSeries : public TComponent {
public:
    explicit TChartSeries(TComponent* owner);
    ~TChartSeries() override;

    TChart* ParentChart() const { return chart_; }
    // Moves the series to chart (nullptr: to none).
    void SetParentChart(TChart* chart);
    // Only active series are drawn and set the axis ranges.
    bool Active() const { return active_; }
    void SetActive(bool value);
    TColor SeriesColor() const { return color_; }
    void SetSeriesColor(TColor value);
    // The name shown in the legend.
    AnsiString Title() const { return title_; }
    void SetTitle(const AnsiString& value);
    TSeriesMarks* Marks() { return &marks_; }

    void Clear();
    // Adds a point; clDefault draws it in the series colour. Returns its index.
    int AddXY(double x, double y, const AnsiString& label = AnsiString(), TColor color = clDefault);
    int Count() const { return int(points_.size()); }
    // Out of range: 0, an empty label, the series colour.
    double XValue(int index) const;
    double YValue(int index) const;
    AnsiString XLabel(int index) const;
    // The colour the point is drawn in.
    TColor ValueColor(int index) const;

protected:
    void Changed();

private:
    struct Point {
        double x, y;
        AnsiString label;
        TColor color;
    };
    TChart* chart_ = nullptr;  // not owned; the chart's list holds this series
    bool active_ = true;
    TColor color_ = clRed;
    AnsiString title_;
    TSeriesMarks marks_{chart_};
    std::vector<Point> points_;
};

class TBarSeries : public TChartSeries {
public:
    explicit TBarSeries(TComponent* owner) : TChartSeries(owner) {}
    // The bar's share of the room between neighbouring x values, 1..100.
    int BarWidthPercent() const { return barWidthPercent_; }
    void SetBarWidthPercent(int value);

private:
    int barWidthPercent_ = 70;
};

class TChart : public TCustomControl {
public:
    explicit TChart(TComponent* owner);
    ~TChart() override;

    TChartText* Title() { return &title_; }
    TChartText* Foot() { return &foot_; }
    TChartLegend* Legend() { return &legend_; }
    TChartAxis* LeftAxis() { return &leftAxis_; }
    TChartAxis* BottomAxis() { return &bottomAxis_; }
    bool AnimatedZoom() const { return animatedZoom_; }
    void SetAnimatedZoom(bool value) { animatedZoom_ = value; }

    int SeriesCount() const { return int(series_.size()); }
    TChartSeries* Series(int index) const;
    void AddSeries(TChartSeries* series) { series->SetParentChart(this); }

    bool Zoomed() const { return zoomed_; }
    // Zooms to the data rectangle (x from x0 to x1, y from y0 to y1).
    void ZoomRect(double x0, double y0, double x1, double y1);
    void UndoZoom();

    // The plot area in client coordinates, as last laid out.
    TRect ChartRect();
    // Data to client coordinates over the ranges on view, and back.
    int XToPixel(double x);
    int YToPixel(double y);
    double PixelToX(int x);
    double PixelToY(int y);

    // A series, text or option changed: the ranges are worked out again and the chart repainted.
    void Changed();

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Dispatch(TMessage& message) override;

public:
    void SetBounds(int left, int top, int width, int height) override;

private:
    friend class TChartSeries;
    void Layout(HDC dc);
    void UpdateRanges();
    void DrawBand();
    void PaintChart(HDC dc);
    void PaintTitles(HDC dc, const TRect& client);
    void PaintLeftAxis(HDC dc, const TRect& client, HPEN axisPen, HPEN gridPen);
    void PaintBottomAxis(HDC dc, const TRect& client, HPEN axisPen, int lineH);
    void PaintSeries(HDC dc, HPEN axisPen, int lineH);
    void PaintBars(HDC dc, TChartSeries& series, HPEN axisPen);
    int BarWidth(const TChartSeries& series) const;
    void PaintLegend(HDC dc, int lineH);

    TChartText title_{this, true};
    TChartText foot_{this, true};
    TChartLegend legend_{this};
    TChartAxis leftAxis_{this};
    TChartAxis bottomAxis_{this};
    bool animatedZoom_ = false;
    std::vector<TChartSeries*> series_;  // not owned: the series belong to their owners
    bool zoomed_ = false;
    double zoomX0_ = 0, zoomX1_ = 0, zoomY0_ = 0, zoomY1_ = 0;
    TRect plot_;
    double yStep_ = 1;  // between left axis labels
    bool laidOut_ = false;
    bool dragging_ = false;
    bool bandShown_ = false;
    TPoint dragFrom_{}, dragTo_{};
};
