// The bar chart: the series model, ranges over the active series, what it draws (bars, point colours, marks,
// turned labels), zooming with a real mouse drag, and a screenshot of a form with the grid and the chart.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ControlTestHelpers.h"
#include "GraphicsTestHelpers.h"
#include "framework/visual/Chart.h"
#include "framework/visual/Grids.h"
#include "support/Screenshot.h"

using namespace controltest;

namespace {

// A chart set up as the statistics page has it: no legend, title or foot; turned bottom labels.
void PlainChart(TChart& chart)
{
    chart.Legend()->SetVisible(false);
    chart.Title()->SetVisible(false);
    chart.Foot()->SetVisible(false);
    chart.LeftAxis()->Title()->SetCaption("counter value");
    chart.BottomAxis()->SetLabelsAngle(90);
    chart.SetAnimatedZoom(true);
}

int CountColor(const Dib& dib, const TRect& r, COLORREF c)
{
    int n = 0;
    for (int y = std::max(0, int(r.top)); y < r.bottom; ++y)
        for (int x = std::max(0, int(r.left)); x < r.right; ++x) n += dib.At(x, y) == c;
    return n;
}

int CountDark(const Dib& dib, const TRect& r)
{
    int n = 0;
    for (int y = std::max(0, int(r.top)); y < r.bottom; ++y)
        for (int x = std::max(0, int(r.left)); x < r.right; ++x) {
            const COLORREF c = dib.At(x, y);
            n += GetRValue(c) + GetGValue(c) + GetBValue(c) < 240;
        }
    return n;
}

}  // namespace

TEST(ChartSeries, PointsColoursAndClear)
{
    TChart chart(nullptr);
    TBarSeries series(nullptr);
    series.SetParentChart(&chart);
    series.SetSeriesColor(clLime);
    EXPECT_EQ(series.AddXY(3, 10, "", clGreen), 0);
    EXPECT_EQ(series.AddXY(4, 20, "four"), 1);
    EXPECT_EQ(series.Count(), 2);
    EXPECT_EQ(series.ValueColor(0), clGreen) << "the point's colour wins";
    EXPECT_EQ(series.ValueColor(1), clLime) << "no colour of its own: the series'";
    EXPECT_EQ(series.XLabel(1), "four");
    EXPECT_EQ(series.XValue(5), 0) << "out of range";
    EXPECT_EQ(series.ValueColor(-1), clLime);
    series.Clear();
    EXPECT_EQ(series.Count(), 0);
    EXPECT_EQ(chart.SeriesCount(), 1);
}

TEST(ChartSeries, ChartAndSeriesMayGoInEitherOrder)
{
    auto chart = std::make_unique<TChart>(nullptr);
    auto a = std::make_unique<TBarSeries>(nullptr);
    auto b = std::make_unique<TBarSeries>(nullptr);
    chart->AddSeries(a.get());
    chart->AddSeries(b.get());
    a.reset();
    EXPECT_EQ(chart->SeriesCount(), 1);
    EXPECT_EQ(chart->Series(0), b.get());
    chart.reset();
    EXPECT_EQ(b->ParentChart(), nullptr);
    b->AddXY(1, 1);  // no chart to tell
}

TEST(ChartRanges, FollowTheActiveSeriesOnly)
{
    TChart chart(nullptr);
    PlainChart(chart);
    TBarSeries small(nullptr), big(nullptr);
    small.SetParentChart(&chart);
    big.SetParentChart(&chart);
    for (int x = 0; x <= 10; ++x) small.AddXY(x, x == 7 ? 37 : 5);
    for (int x = 100; x <= 500; x += 100) big.AddXY(x, 1000);
    big.SetActive(false);

    struct Expect {
        const char* what;
        double xmin, xmax, ymaxAtLeast, ymaxBelow;
    };
    auto check = [&](const Expect& e) {
        chart.ChartRect();
        EXPECT_DOUBLE_EQ(chart.BottomAxis()->Minimum(), e.xmin) << e.what;
        EXPECT_DOUBLE_EQ(chart.BottomAxis()->Maximum(), e.xmax) << e.what;
        EXPECT_DOUBLE_EQ(chart.LeftAxis()->Minimum(), 0) << e.what;
        EXPECT_GE(chart.LeftAxis()->Maximum(), e.ymaxAtLeast) << e.what;
        EXPECT_LT(chart.LeftAxis()->Maximum(), e.ymaxBelow) << e.what;
    };
    check({"small alone", -0.5, 10.5, 37, 60});
    big.SetActive(true);
    check({"both", -0.5, 500.5, 1000, 1500});
    small.SetActive(false);
    check({"big alone: half a step of 100 on each side", 50, 550, 1000, 1500});
    big.SetActive(false);
    check({"none", 0, 1, 1, 2});
}

TEST(ChartDrawing, BarsInTheirPointColoursMarksAndTurnedLabels)
{
    TChart chart(nullptr);
    PlainChart(chart);
    chart.SetBounds(0, 0, 400, 260);
    TBarSeries s1(nullptr), s2(nullptr);
    s1.SetParentChart(&chart);
    s2.SetParentChart(&chart);
    s1.SetSeriesColor(clRed);
    s1.SetBarWidthPercent(15);
    s1.Marks()->SetVisible(true);
    s1.AddXY(1000, 40, "", clRed);
    s1.AddXY(2000, 80, "", clGreen);
    s1.AddXY(3000, 20);
    s2.SetSeriesColor(clBlue);
    s2.AddXY(1500, 60);
    s2.SetActive(false);

    Dib dib(400, 260);
    chart.PaintTo(dib.dc(), 0, 0);
    const TRect plot = chart.ChartRect();
    ASSERT_FALSE(plot.IsEmpty());
    EXPECT_EQ(dib.At(chart.XToPixel(1000), chart.YToPixel(20)), Rgb(clRed));
    EXPECT_EQ(dib.At(chart.XToPixel(2000), chart.YToPixel(40)), Rgb(clGreen)) << "point colour";
    EXPECT_EQ(dib.At(chart.XToPixel(3000), chart.YToPixel(10)), Rgb(clRed)) << "series colour";
    const int cx = chart.XToPixel(2000), top = chart.YToPixel(80);
    EXPECT_GT(CountColor(dib, TRect(cx - 15, top - 20, cx + 15, top), Rgb(clMarkBack)), 10) << "the value mark";
    EXPECT_EQ(CountColor(dib, TRect(0, 0, 400, 260), Rgb(clBlue)), 0) << "inactive series are not drawn";
    // 15 % of the 1000 between neighbouring x values.
    const int w = chart.XToPixel(2000) - chart.XToPixel(1000);
    const int red = CountColor(dib, TRect(plot.left, chart.YToPixel(10), plot.right, chart.YToPixel(10) + 1), Rgb(clRed));
    EXPECT_NEAR(red, 2 * w * 15 / 100 - 4, 4) << "two red bars, each about 15 % wide inside its outline";

    // Bottom labels stand upright: ink reaches well below one line of text under the axis.
    const int lineH = 16;
    EXPECT_GT(CountDark(dib, TRect(plot.left, plot.bottom + 8 + lineH, plot.right, 260)), 10);
    // The left axis title is written upright at the left edge.
    EXPECT_GT(CountDark(dib, TRect(0, plot.top, 6 + lineH, plot.bottom)), 20);

    s1.Marks()->SetVisible(false);
    Dib plain(400, 260);
    chart.PaintTo(plain.dc(), 0, 0);
    EXPECT_EQ(CountColor(plain, TRect(0, 0, 400, 260), Rgb(clMarkBack)), 0) << "no marks";
}

TEST(ChartDrawing, SixHundredPointsAllStand)
{
    TChart chart(nullptr);
    PlainChart(chart);
    chart.SetBounds(0, 0, 1000, 300);
    TBarSeries s(nullptr);
    s.SetParentChart(&chart);
    s.Marks()->SetVisible(true);
    s.SetBarWidthPercent(15);
    for (int x = 0; x < 600; ++x) s.AddXY(x, 1 + x % 50, "", clRed);
    Dib dib(1000, 300);
    chart.PaintTo(dib.dc(), 0, 0);
    int missing = 0;
    for (int x = 0; x < 600; ++x) missing += dib.At(chart.XToPixel(x), chart.YToPixel(0.5)) != Rgb(clRed);
    EXPECT_EQ(missing, 0);
}

TEST(ChartDrawing, PaintingGivesBackEveryGdiObject)
{
    TChart chart(nullptr);
    chart.SetBounds(0, 0, 400, 260);
    chart.Title()->SetCaption("title");
    chart.Foot()->SetCaption("foot");
    chart.LeftAxis()->Title()->SetCaption("counter value");
    chart.BottomAxis()->Title()->SetCaption("ms");
    chart.BottomAxis()->SetLabelsAngle(90);
    TBarSeries s(nullptr);
    s.SetParentChart(&chart);
    s.SetTitle("size");
    s.Marks()->SetVisible(true);
    for (int x = 0; x < 50; ++x) s.AddXY(x, x * 3, x % 7 ? "" : "seven", x % 2 ? clRed : clDefault);
    TStringGrid grid(nullptr);
    grid.SetCells(1, 1, "text");
    Dib dib(400, 260);
    chart.PaintTo(dib.dc(), 0, 0);  // first use makes the shared objects
    grid.PaintTo(dib.dc(), 0, 0);
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 20; ++i) {
        chart.PaintTo(dib.dc(), 0, 0);
        grid.PaintTo(dib.dc(), 0, 0);
    }
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);

    // Every part shown, kept to look at.
    Dib picture(400, 260);
    chart.PaintTo(picture.dc(), 0, 0);
    EXPECT_FALSE(testshot::Shot::OfDC(picture.dc(), 400, 260).SaveArtifact("chart-every-part").empty());
}

TEST(ChartZoom, RubberBandWithTheMouseAndUndo)
{
    TForm form(nullptr);
    form.SetBounds(60, 60, 520, 360);
    auto* chart = new TChart(&form);
    chart->SetParent(&form);
    chart->SetAlign(alClient);
    PlainChart(*chart);
    auto* s = new TBarSeries(&form);
    s->SetParentChart(chart);
    for (int x = 0; x < 100; ++x) s->AddXY(x, x);
    form.Show();
    Activate(&form);
    Pump(50);
    const TRect plot = chart->ChartRect();
    const double fullMax = chart->BottomAxis()->Maximum();

    const TPoint a{plot.left + plot.Width() / 4, plot.top + plot.Height() / 4};
    const TPoint b{plot.left + plot.Width() / 2, plot.top + plot.Height() * 3 / 4};
    const double x0 = chart->PixelToX(a.x), x1 = chart->PixelToX(b.x);
    const double y0 = chart->PixelToY(b.y), y1 = chart->PixelToY(a.y);
    const TPoint sa = chart->ClientToScreen(a), sb = chart->ClientToScreen(b);
    MouseTo(sa.x, sa.y);
    MouseButton(true);
    MouseTo((sa.x + sb.x) / 2, (sa.y + sb.y) / 2);
    MouseTo(sb.x, sb.y);
    MouseButton(false);
    Pump(50);
    ASSERT_TRUE(chart->Zoomed());
    chart->ChartRect();
    EXPECT_NEAR(chart->BottomAxis()->Minimum(), x0, 1e-6);
    EXPECT_NEAR(chart->BottomAxis()->Maximum(), x1, 1e-6);
    EXPECT_NEAR(chart->LeftAxis()->Minimum(), y0, 1e-6);
    EXPECT_NEAR(chart->LeftAxis()->Maximum(), y1, 1e-6);

    // A drag up and to the left shows everything again.
    MouseTo(sb.x, sb.y);
    MouseButton(true);
    MouseTo(sa.x, sa.y);
    MouseButton(false);
    Pump(50);
    EXPECT_FALSE(chart->Zoomed());
    chart->ChartRect();
    EXPECT_DOUBLE_EQ(chart->BottomAxis()->Maximum(), fullMax);

    // A click is no zoom; UndoZoom undoes one made in code.
    MouseTo(sa.x, sa.y);
    MouseButton(true);
    MouseButton(false);
    EXPECT_FALSE(chart->Zoomed());
    chart->ZoomRect(10, 0, 20, 30);
    EXPECT_TRUE(chart->Zoomed());
    chart->UndoZoom();
    EXPECT_FALSE(chart->Zoomed());
    chart->ChartRect();
    EXPECT_DOUBLE_EQ(chart->BottomAxis()->Maximum(), fullMax);
}

TEST(Screenshot, AFormWithTheGridAndTheChart)
{
    TForm form(nullptr);
    form.SetCaption("Grid and chart");
    form.SetBorderStyle(bsSingle);
    form.SetBounds(30, 30, 620, 460);
    form.SetColor(clBtnFace);
    auto* grid = new TStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(10, 10, 590, 130);
    grid->SetColCount(6);
    grid->SetRowCount(8);
    const char* heads[] = {"", "size", "time", "delay", "frames", "note"};
    for (int c = 0; c < 6; ++c) grid->SetCells(c, 0, heads[c]);
    for (int r = 1; r < 8; ++r) {
        grid->SetCells(0, r, AnsiString(std::to_string(r).c_str()));
        for (int c = 1; c < 6; ++c) grid->SetCells(c, r, AnsiString(std::to_string(r * 10 + c).c_str()));
    }
    auto* chart = new TChart(&form);
    chart->SetParent(&form);
    chart->SetBounds(10, 150, 590, 270);
    PlainChart(*chart);
    auto* series = new TBarSeries(&form);
    series->SetParentChart(chart);
    series->SetSeriesColor(clRed);
    series->SetBarWidthPercent(15);
    series->Marks()->SetVisible(true);
    for (int x = 0; x <= 40; ++x) series->AddXY(x, (x * 37) % 23 + 1, "", x % 5 ? clRed : clGreen);
    form.Show();
    Activate(&form);
    Pump(200);

    const testshot::Shot shot = testshot::Shot::OfWindow(form.Handle());
    EXPECT_FALSE(shot.SaveArtifact("grid-and-chart-form").empty());

    auto at = [&](TWinControl* c, int x, int y) {
        const TPoint p = c->ClientToScreen(TPoint{x, y});
        return shot.AtScreen(p.x, p.y);
    };
    EXPECT_EQ(at(grid, 10, 10), Rgb(clBtnFace)) << "fixed cell";
    EXPECT_EQ(at(grid, 64, 30), Rgb(clSilver)) << "grid line";
    EXPECT_EQ(at(chart, chart->XToPixel(5), chart->YToPixel(0.5)), Rgb(clGreen));
    EXPECT_EQ(at(chart, chart->XToPixel(6), chart->YToPixel(0.5)), Rgb(clRed));
}
