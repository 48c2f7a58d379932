#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "GraphicsTestHelpers.h"
#include "framework/visual/Graphics.h"

namespace {

using gfxtest::RawDib;

constexpr std::uint32_t White = 0xFFFFFF, Black = 0x000000;

// A canvas on a raw section; the section outlives the canvas.
struct Surface {
    explicit Surface(int w = 40, int h = 30, std::uint32_t fill = White) : dib(w, h, fill) { canvas.SetHandle(dib.dc()); }
    RawDib dib;
    TCanvas canvas;
};

TEST(GraphicsCanvas, HandleRealisesFontPenAndBrush)
{
    Surface s;
    s.canvas.Font()->SetColor(clRed);
    s.canvas.Brush()->SetColor(clYellow);
    s.canvas.Pen()->SetMode(pmXor);
    HDC dc = s.canvas.Handle();
    EXPECT_EQ(dc, s.dib.dc());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), s.canvas.Font()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), s.canvas.Pen()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), s.canvas.Brush()->Handle());
    EXPECT_EQ(GetTextColor(dc), COLORREF(clRed));
    EXPECT_EQ(GetBkColor(dc), COLORREF(clYellow));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetROP2(dc), R2_XORPEN);
    s.canvas.Brush()->SetStyle(bsClear);
    EXPECT_EQ(GetBkMode(s.canvas.Handle()), TRANSPARENT);
}

TEST(GraphicsCanvas, DetachingPutsTheDCsOwnObjectsBack)
{
    RawDib dib(10, 10);
    HGDIOBJ font = GetCurrentObject(dib.dc(), OBJ_FONT), pen = GetCurrentObject(dib.dc(), OBJ_PEN),
            brush = GetCurrentObject(dib.dc(), OBJ_BRUSH);
    HFONT ours = nullptr;
    {
        TCanvas c;
        c.SetHandle(dib.dc());
        c.Handle();
        ours = c.Font()->Handle();
        c.SetHandle(nullptr);
        EXPECT_FALSE(c.HandleAllocated());
        EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_FONT), font);
        EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_PEN), pen);
        EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_BRUSH), brush);
        // Attached again and freed while attached: the objects go back too.
        c.SetHandle(dib.dc());
        c.FillRect(Rect(0, 0, 2, 2));
    }
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetObjectType(ours), 0u) << "the canvas's font is freed with it";
}

TEST(GraphicsCanvas, ChangedObjectLeavesTheDCBeforeItIsFreed)
{
    Surface s;
    s.canvas.Handle();
    HFONT oldFont = s.canvas.Font()->Handle();
    HBRUSH oldBrush = s.canvas.Brush()->Handle();
    s.canvas.Font()->SetHeight(-30);
    s.canvas.Brush()->SetStyle(bsCross);
    EXPECT_EQ(GetObjectType(oldFont), 0u);
    EXPECT_EQ(GetObjectType(oldBrush), 0u);
    EXPECT_NE(GetCurrentObject(s.dib.dc(), OBJ_FONT), oldFont);
    HDC dc = s.canvas.Handle();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), s.canvas.Font()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), s.canvas.Brush()->Handle());
}

TEST(GraphicsCanvas, NoDeviceContextMeansNoDrawing)
{
    TCanvas c;
    EXPECT_THROW(c.Handle(), EInvalidOperation);
    EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
    EXPECT_THROW(c.TextWidth("x"), EInvalidOperation);
}

TEST(GraphicsCanvas, FillAndFrameRectCoverExactlyTheRectangle)
{
    Surface s;
    s.canvas.Brush()->SetColor(clBlue);
    s.canvas.FillRect(Rect(2, 3, 12, 8));
    EXPECT_EQ(s.dib.Count(0xFF0000), 50);
    EXPECT_EQ(s.dib.Count(0xFF0000, 2, 3, 12, 8), 50);
    s.dib.Fill(White);
    s.canvas.Brush()->SetColor(clRed);
    s.canvas.FrameRect(Rect(2, 3, 12, 8));
    EXPECT_EQ(s.dib.Count(0x0000FF), 2 * 10 + 2 * 3);
    EXPECT_EQ(s.dib.at(2, 3), 0x0000FFu);
    EXPECT_EQ(s.dib.at(11, 7), 0x0000FFu);
    EXPECT_EQ(s.dib.at(5, 5), White);
}

TEST(GraphicsCanvas, RectangleHasPenOutlineAndBrushInside)
{
    Surface s;
    s.canvas.Pen()->SetColor(clBlack);
    s.canvas.Brush()->SetColor(clYellow);
    s.canvas.Rectangle(Rect(1, 1, 11, 9));
    EXPECT_EQ(s.dib.at(1, 1), Black);
    EXPECT_EQ(s.dib.at(10, 8), Black);
    EXPECT_EQ(s.dib.at(5, 5), 0x00FFFFu);
    EXPECT_EQ(s.dib.at(11, 9), White);
    // A clear brush leaves the inside; a clear pen leaves no outline.
    s.dib.Fill(White);
    s.canvas.Brush()->SetStyle(bsClear);
    s.canvas.Rectangle(Rect(1, 1, 11, 9));
    EXPECT_EQ(s.dib.at(5, 5), White);
    EXPECT_EQ(s.dib.at(1, 5), Black);
    s.dib.Fill(White);
    s.canvas.Brush()->SetColor(clLime);
    s.canvas.Pen()->SetStyle(psClear);
    s.canvas.Rectangle(Rect(1, 1, 11, 9));
    EXPECT_EQ(s.dib.Count(Black), 0);
    EXPECT_EQ(s.dib.at(5, 5), 0x00FF00u);
}

TEST(GraphicsCanvas, LinesFollowThePenPosition)
{
    Surface s;
    s.canvas.MoveTo(2, 5);
    s.canvas.LineTo(10, 5);
    EXPECT_EQ(s.canvas.PenPos(), Point(10, 5));
    EXPECT_EQ(s.dib.Count(Black, 0, 5, 40, 6), 8);
    EXPECT_EQ(s.dib.at(2, 5), Black);
    EXPECT_EQ(s.dib.at(10, 5), White) << "the end point is not drawn";
    s.canvas.SetPenPos(Point(0, 10));
    const TPoint line[] = {Point(0, 10), Point(5, 10), Point(5, 15)};
    s.canvas.Polyline(line);
    EXPECT_EQ(s.dib.at(3, 10), Black);
    EXPECT_EQ(s.dib.at(5, 13), Black);
}

TEST(GraphicsCanvas, PolygonAndEllipseAreFilled)
{
    Surface s(60, 40);
    s.canvas.Brush()->SetColor(clGreen);
    const TPoint triangle[] = {Point(2, 2), Point(22, 2), Point(2, 22)};
    s.canvas.Polygon(triangle, 3);
    EXPECT_EQ(s.dib.at(6, 6), 0x008000u);
    EXPECT_EQ(s.dib.at(20, 20), White);
    s.canvas.Brush()->SetColor(clPurple);
    s.canvas.Ellipse(30, 5, 50, 25);
    EXPECT_EQ(s.dib.at(40, 15), 0x800080u);
    EXPECT_EQ(s.dib.at(31, 6), White) << "the corner of the bounding box";
    s.canvas.Arc(30, 5, 50, 25, 50, 15, 30, 15);  // upper half, counter-clockwise
    EXPECT_EQ(s.dib.at(40, 5), Black);
}

TEST(GraphicsCanvas, RoundRectRoundsItsCorners)
{
    Surface s;
    s.canvas.Brush()->SetColor(clAqua);
    s.canvas.RoundRect(2, 2, 32, 22, 12, 12);
    EXPECT_EQ(s.dib.at(17, 12), 0xFFFF00u);
    EXPECT_EQ(s.dib.at(17, 2), Black) << "the straight edge";
    EXPECT_EQ(s.dib.at(2, 2), White) << "the rounded corner";
    EXPECT_EQ(s.dib.at(31, 21), White);
}

TEST(GraphicsCanvas, PenModeMixesWithTheGround)
{
    Surface s;
    s.canvas.Pen()->SetMode(pmNot);
    s.canvas.MoveTo(0, 0);
    s.canvas.LineTo(5, 0);
    EXPECT_EQ(s.dib.at(2, 0), Black);
    s.canvas.MoveTo(0, 0);
    s.canvas.LineTo(5, 0);
    EXPECT_EQ(s.dib.at(2, 0), White);
}

TEST(GraphicsCanvas, PixelsReadAndWrite)
{
    Surface s;
    s.canvas.SetPixels(3, 4, clFuchsia);
    EXPECT_EQ(s.dib.at(3, 4), 0xFF00FFu);
    EXPECT_EQ(s.canvas.Pixels(3, 4), clFuchsia);
    s.canvas.SetPixels(4, 4, clBtnShadow);
    EXPECT_EQ(COLORREF(s.canvas.Pixels(4, 4)), GetSysColor(COLOR_BTNSHADOW));
}

TEST(GraphicsCanvas, FloodFillStopsAtTheBorder)
{
    Surface s;
    s.canvas.Brush()->SetColor(clRed);
    s.canvas.FrameRect(Rect(5, 5, 15, 15));
    s.canvas.Brush()->SetColor(clLime);
    s.canvas.FloodFill(10, 10, clRed, fsBorder);
    EXPECT_EQ(s.dib.Count(0x00FF00), 8 * 8);
    EXPECT_EQ(s.dib.at(2, 2), White);
    s.canvas.Brush()->SetColor(clBlue);
    s.canvas.FloodFill(10, 10, clLime, fsSurface);
    EXPECT_EQ(s.dib.Count(0xFF0000), 8 * 8);
}

TEST(GraphicsCanvas, ClipRectIsTheDCsClipBox)
{
    Surface s;
    EXPECT_EQ(s.canvas.ClipRect(), Rect(0, 0, 40, 30));
    RegionHandle rgn(CreateRectRgn(3, 4, 10, 12));
    SelectClipRgn(s.canvas.Handle(), rgn.get());
    EXPECT_EQ(s.canvas.ClipRect(), Rect(3, 4, 10, 12));
    SelectClipRgn(s.canvas.Handle(), nullptr);
}

TEST(GraphicsCanvas, CopyRectStretchesWithTheCopyMode)
{
    Surface src(2, 2), dst(8, 8);
    src.canvas.SetPixels(0, 0, clRed);
    src.canvas.SetPixels(1, 0, clLime);
    src.canvas.SetPixels(0, 1, clBlue);
    src.canvas.SetPixels(1, 1, clBlack);
    SetStretchBltMode(dst.canvas.Handle(), COLORONCOLOR);
    dst.canvas.CopyRect(Rect(0, 0, 4, 4), &src.canvas, Rect(0, 0, 2, 2));
    EXPECT_EQ(dst.dib.Count(0x0000FF, 0, 0, 2, 2), 4);
    EXPECT_EQ(dst.dib.Count(0x00FF00, 2, 0, 4, 2), 4);
    EXPECT_EQ(dst.dib.Count(0xFF0000, 0, 2, 2, 4), 4);
    EXPECT_EQ(dst.dib.Count(Black, 2, 2, 4, 4), 4);
    EXPECT_EQ(dst.dib.at(4, 4), White);
    // Source and destination: white and red give red, black stays black.
    dst.dib.Fill(White);
    dst.canvas.SetCopyMode(cmSrcAnd);
    EXPECT_EQ(dst.canvas.CopyMode(), cmSrcAnd);
    dst.canvas.CopyRect(Rect(0, 0, 2, 2), &src.canvas, Rect(0, 0, 2, 2));
    EXPECT_EQ(dst.dib.at(0, 0), 0x0000FFu);
    EXPECT_EQ(dst.dib.at(1, 1), Black);
}

// CopyRect leaves the DC's text and background colours alone, also after the brush changed since they were
// set, so a monochrome source comes out in the colours the caller put on the DC.
TEST(GraphicsCanvas, CopyRectKeepsTheCallersTextAndBackgroundColours)
{
    TBitmap mono;
    mono.SetMonochrome(true);
    mono.SetSize(2, 1);
    mono.Canvas()->SetPixels(0, 0, clBlack);
    mono.Canvas()->SetPixels(1, 0, clWhite);
    Surface s;
    HDC dc = s.canvas.Handle();
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, RGB(0, 255, 0));
    s.canvas.Brush()->SetColor(clBlue);
    s.canvas.CopyRect(Rect(0, 0, 2, 1), mono.Canvas(), Rect(0, 0, 2, 1));
    EXPECT_EQ(s.dib.at(0, 0), 0x0000FFu) << "0 bits take the text colour";
    EXPECT_EQ(s.dib.at(1, 0), 0x00FF00u) << "1 bits take the background colour";
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(0, 255, 0));
}

// The placeholder picture: a framework canvas on a memory DC, blue ground, 12-pixel red text.
TEST(GraphicsCanvas, TextOutOnAForeignDCWithOpaqueBackground)
{
    RawDib dib(200, 40, 0x00FF00);
    {
        TCanvas c;
        c.SetHandle(dib.dc());
        c.Brush()->SetColor(TColor(0xFF0000));
        c.FillRect(Rect(0, 0, 200, 40));
        c.Font()->SetColor(TColor(0x0000FF));
        c.Font()->SetHeight(12);
        c.TextOut(0, 0, "...waiting for application");
        c.SetHandle(nullptr);
    }
    EXPECT_GT(dib.Count(0x0000FF, 0, 0, 200, 12), 20);
    EXPECT_EQ(dib.Count(0x0000FF, 0, 14, 200, 40), 0);
    EXPECT_EQ(dib.Count(0xFF0000) + dib.Count(0x0000FF), 200 * 40) << "text on the brush colour only";
}

TEST(GraphicsCanvas, TextRectClipsAndFillsWithTheBrush)
{
    Surface s(100, 30);
    s.canvas.Brush()->SetColor(clYellow);
    s.canvas.Font()->SetColor(clBlack);
    s.canvas.TextRect(Rect(10, 5, 30, 20), 10, 5, "WWWWWWWWWW");
    EXPECT_EQ(s.dib.Count(0x00FFFF) + s.dib.Count(Black, 10, 5, 30, 20), 20 * 15);
    EXPECT_GT(s.dib.Count(Black), 0);
    EXPECT_EQ(s.dib.Count(Black, 30, 0, 100, 30), 0) << "nothing right of the rectangle";
    s.dib.Fill(White);
    s.canvas.Brush()->SetStyle(bsClear);
    s.canvas.TextRect(Rect(10, 5, 30, 20), 10, 5, "WWWWWWWWWW");
    EXPECT_EQ(s.dib.Count(0x00FFFF), 0);
    EXPECT_GT(s.dib.Count(Black), 0);
}

TEST(GraphicsCanvas, TextExtentMeasuresInTheCanvasFont)
{
    Surface s;
    const TSize one = s.canvas.TextExtent("W"), three = s.canvas.TextExtent("WWW");
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(three.cx, 3 * one.cx);
    EXPECT_EQ(three.cy, one.cy);
    EXPECT_EQ(s.canvas.TextWidth("WWW"), three.cx);
    EXPECT_EQ(s.canvas.TextHeight("W"), one.cy);
    EXPECT_EQ(s.canvas.TextWidth(""), 0);
    s.canvas.Font()->SetHeight(-40);
    EXPECT_GT(s.canvas.TextHeight("W"), one.cy);
}

TEST(GraphicsCanvas, FocusRectangleDrawnTwiceIsGone)
{
    Surface s;
    s.canvas.Brush()->SetColor(clNavy);
    s.canvas.FillRect(Rect(0, 0, 40, 30));
    s.canvas.DrawFocusRect(Rect(5, 5, 20, 20));
    EXPECT_LT(s.dib.Count(0x800000, 5, 5, 20, 20), 15 * 15);
    s.canvas.DrawFocusRect(Rect(5, 5, 20, 20));
    EXPECT_EQ(s.dib.Count(0x800000), 40 * 30);
}

TEST(GraphicsCanvas, DrawingCallsNotifyBeforeAndAfter)
{
    Surface s;
    std::vector<char> seen;
    s.canvas.SetOnChanging(TNotifyEvent::From([&](TObject*) { seen.push_back('['); }));
    s.canvas.SetOnChange(TNotifyEvent::From([&](TObject*) { seen.push_back(']'); }));
    s.canvas.FillRect(Rect(0, 0, 2, 2));
    s.canvas.TextOut(0, 0, "a");
    s.canvas.TextWidth("a");  // measuring is no change
    s.canvas.MoveTo(1, 1);
    EXPECT_EQ(std::string(seen.begin(), seen.end()), "[][]");
}

TEST(GraphicsCanvas, LockKeepsOtherThreadsOut)
{
    TCanvas c;
    c.Lock();
    c.Lock();
    EXPECT_EQ(c.LockCount(), 2);
    std::atomic<bool> got{true};
    std::thread([&] { got = c.TryLock(); }).join();
    EXPECT_FALSE(got);
    c.Unlock();
    c.Unlock();
    EXPECT_EQ(c.LockCount(), 0);
    std::thread([&] {
        got = c.TryLock();
        if (got) c.Unlock();
    }).join();
    EXPECT_TRUE(got);
}

// The way a control's canvas works: it gets a window DC when first drawn on and gives it back in FreeHandle.
class WindowCanvas : public TCanvas {
public:
    explicit WindowCanvas(HWND wnd) : wnd_(wnd) {}
    ~WindowCanvas() override { FreeHandle(); }
    void FreeHandle() override
    {
        TCanvas::FreeHandle();  // our objects leave the DC before it goes back
        if (dc_) {
            ReleaseDC(wnd_, dc_);
            dc_ = nullptr;
        }
    }
    int made = 0;

protected:
    void CreateHandle() override
    {
        dc_ = GetDC(wnd_);
        ++made;
        SetHandle(dc_);
    }

private:
    HWND wnd_;
    HDC dc_ = nullptr;
};

TEST(GraphicsCanvas, DerivedCanvasMakesAndFreesItsOwnDC)
{
    HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    ReleaseDC(wnd, GetDC(wnd));  // the window's first DC stays cached with the window
    const int before = gfxtest::GdiObjectsInUse();
    {
        WindowCanvas c(wnd);
        EXPECT_FALSE(c.HandleAllocated());
        EXPECT_EQ(c.made, 0) << "no DC before it is needed";
        c.Brush()->SetColor(clRed);
        c.FillRect(Rect(0, 0, 10, 10));
        EXPECT_EQ(c.made, 1);
        HDC dc = c.Handle();
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), c.Brush()->Handle());
        c.FreeHandle();
        EXPECT_FALSE(c.HandleAllocated());
        c.TextWidth("again");
        EXPECT_EQ(c.made, 2);
    }
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
    DestroyWindow(wnd);
}

// A canvas made and dropped every cycle on a foreign DC, as the placeholder picture is, frees everything.
TEST(GraphicsCanvas, CanvasCyclesReleaseEveryGdiObject)
{
    RawDib dib(100, 20);
    auto cycle = [&] {
        TCanvas c;
        c.SetHandle(dib.dc());
        c.Brush()->SetColor(clBlue);
        c.FillRect(Rect(0, 0, 100, 20));
        c.Font()->SetColor(clRed);
        c.Font()->SetHeight(12);
        c.TextOut(0, 0, "text");
        c.Pen()->SetWidth(2);
        c.LineTo(10, 10);
    };
    cycle();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 300; ++i) cycle();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

}  // namespace
