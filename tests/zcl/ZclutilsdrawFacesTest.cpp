// Button faces pixel by pixel against faces drawn step by step with the plain system calls, diagonal gradients
// against their parallelograms, and the icon and desktop copies read back pixel by pixel.

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DrawTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Handles.h"
#include "framework/visual/Graphics.h"
#include "support/Wait.h"
#include "zcl/graphics/Zclutilsdraw.h"

using namespace drawtest;

namespace {

constexpr std::uint32_t Ground = 0x123456;
constexpr std::uint32_t Face = 0x00FF00;

// Plain GDI steps for the expected faces.
class Steps {
public:
    explicit Steps(HDC dc) : dc_(dc) {}
    void Fill(const RECT& r, std::uint32_t c)
    {
        BrushHandle b(CreateSolidBrush(c));
        FillRect(dc_, &r, b.get());
    }
    void Edge(RECT& r, UINT kind, UINT sides) { DrawEdge(dc_, &r, kind, sides); }
    void EdgeCopy(RECT r, UINT kind, UINT sides) { DrawEdge(dc_, &r, kind, sides); }
    void Corners(const RECT& r)
    {
        const COLORREF f = GetSysColor(COLOR_BTNFACE);
        SetPixel(dc_, r.left, r.top, f);
        SetPixel(dc_, r.right - 1, r.top, f);
        SetPixel(dc_, r.left, r.bottom - 1, f);
        SetPixel(dc_, r.right - 1, r.bottom - 1, f);
    }
    // A rectangle outline in pen, filled with fill (or not filled when fill is negative).
    void Box(const RECT& r, std::uint32_t pen, long fill)
    {
        PenHandle p(CreatePen(PS_SOLID, 1, pen));
        BrushHandle b(fill < 0 ? nullptr : CreateSolidBrush(COLORREF(fill)));
        SelectedObject sp(dc_, p.get());
        SelectedObject sb(dc_, fill < 0 ? GetStockObject(NULL_BRUSH) : b.get());
        Rectangle(dc_, r.left, r.top, r.right, r.bottom);
    }
    void Line(std::initializer_list<POINT> points, std::uint32_t pen)
    {
        PenHandle p(CreatePen(PS_SOLID, 1, pen));
        SelectedObject sp(dc_, p.get());
        const POINT* first = points.begin();
        MoveToEx(dc_, first->x, first->y, nullptr);
        for (const POINT* q = first + 1; q != points.end(); ++q) LineTo(dc_, q->x, q->y);
    }
    void Focus(const RECT& r) { DrawFocusRect(dc_, &r); }

private:
    HDC dc_;
};

RECT Shrunk(RECT r, int n)
{
    InflateRect(&r, -n, -n);
    return r;
}

// The outer frame that flags 0x02 and 0x20 give an unpressed face.
void OuterFrame(Steps& s, RECT& r)
{
    s.EdgeCopy(r, BDR_SUNKENOUTER, BF_TOPLEFT | BF_SOFT);
    s.EdgeCopy(r, BDR_RAISEDOUTER, BF_BOTTOMRIGHT);
    r = Shrunk(r, 1);
}

}  // namespace

TEST(ZclDrawBtnFace, EveryLookAndStateHasItsPixels)
{
    const RECT outer{0, 0, 40, 24};
    using Painter = std::function<void(Steps&)>;
    struct Case {
        const char* name;
        TZCLUserButtonStyle style;
        TZCLButtonState state;
        std::uint16_t flags;
        bool mouseOver;
        Painter expected;
    };
    auto win31 = [&](bool pressed, bool frame) {
        return [=](Steps& s) {
            RECT r = outer;
            s.Fill(r, Face);
            if (frame) {
                OuterFrame(s, r);
                s.Corners(outer);
            }
            s.EdgeCopy(r, BDR_SUNKENOUTER, BF_SOFT | BF_TOPLEFT);
            s.EdgeCopy(r, BDR_RAISEDOUTER, BF_BOTTOMRIGHT);
            if (!frame) s.Corners(r);  // the outer frame took the corner pixels
            r = Shrunk(r, 1);
            if (!pressed) {
                s.Edge(r, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
                s.Edge(r, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
            } else {
                s.EdgeCopy(r, BDR_SUNKENINNER, BF_TOPLEFT);
            }
        };
    };
    auto raisedSpb = [&](Steps& s) {
        RECT r = outer;
        s.Fill(r, Face);
        s.Edge(r, BDR_RAISEDOUTER, BF_ADJUST | BF_SOFT | BF_RECT);
        s.Edge(r, BDR_RAISEDINNER, BF_ADJUST | BF_BOTTOMRIGHT);
    };
    auto pushDown = [&](Steps& s) {
        s.Fill(outer, Face);
        s.Box(outer, 0x000000, Face);
        s.Box(Shrunk(outer, 1), 0x808080, Face);
    };
    auto flatEdge = [&](bool boxed, bool pressed, bool fill) {
        return [=](Steps& s) {
            RECT r = outer;
            if (fill) s.Fill(r, Face);
            if (boxed) {
                s.Box(r, 0x000000, Face);
                r = Shrunk(r, 1);
            }
            s.Edge(r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
        };
    };
    auto plain = [&](Steps& s) { s.Fill(outer, Face); };
    // clang-format off
    const Case cases[] = {
        {"Win31 up", ubsWin31, bsUp, 0x01, false, win31(false, false)},
        {"Win31 disabled up", ubsWin31, bsDisabledUp, 0x01, false, win31(false, false)},
        {"Win31 down", ubsWin31, bsDown, 0x01, false, win31(true, false)},
        {"Win31 drop-down open", ubsWin31, bsDropDownOpen, 0x01, false, win31(true, false)},
        {"Win31 up framed", ubsWin31, bsUp, 0x21, false, win31(false, true)},
        {"push up", ubsWin40, bsUp, 0x00, false, raisedSpb},
        {"push dragged over", ubsWin40, bsDragOver, 0x00, false, raisedSpb},
        {"push up framed", ubsWin40, bsUp, 0x20, false, [&](Steps& s) {
            RECT r = outer;
            s.Fill(r, Face);
            OuterFrame(s, r);
            s.Edge(r, BDR_RAISEDOUTER, BF_ADJUST | BF_SOFT | BF_RECT);
            s.Edge(r, BDR_RAISEDINNER, BF_ADJUST | BF_BOTTOMRIGHT);
        }},
        {"push up framed with focus", ubsWin40, bsUp, 0x02, false, [&](Steps& s) {
            RECT r = outer;
            s.Fill(r, Face);
            OuterFrame(s, r);
            const RECT q = r;
            s.Edge(r, BDR_RAISEDOUTER, BF_ADJUST | BF_SOFT | BF_RECT);
            s.Edge(r, BDR_RAISEDINNER, BF_ADJUST | BF_BOTTOMRIGHT);
            s.Focus(Shrunk(q, 3));
        }},
        {"push down", ubsWin40, bsDown, 0x00, false, pushDown},
        {"push disabled down", ubsWin40, bsDisabledDown, 0x20, false, pushDown},
        {"push down with focus", ubsWin40, bsDown, 0x02, false, [&](Steps& s) {
            pushDown(s);
            s.Focus(Shrunk(outer, 4));
        }},
        {"frame up", ubsWin40, bsUp, 0x04, false, raisedSpb},
        {"frame down", ubsWin40, bsDown, 0x04, false, [&](Steps& s) {
            RECT r = outer;
            s.Fill(r, Face);
            s.Edge(r, EDGE_SUNKEN, BF_ADJUST | BF_SOFT | BF_RECT);
        }},
        {"frame down with the sunken edge", ubsWin40, bsDown, 0x0C, false, [&](Steps& s) {
            s.Fill(outer, Face);
            s.EdgeCopy(outer, EDGE_SUNKEN, BF_RECT);
        }},
        {"Vesto up", ubsVesto, bsUp, 0x00, false, [&](Steps& s) {
            s.Fill(outer, Face);
            s.Box(outer, 0x000000, -1);
            RECT r = Shrunk(outer, 1);
            s.Edge(r, BDR_RAISEDINNER, BF_ADJUST | BF_RECT);
        }},
        {"Vesto down", ubsVesto, bsDown, 0x00, false, [&](Steps& s) {
            s.Fill(outer, Face);
            s.Box(outer, 0x000000, -1);
            s.Line({{1, 1}, {39, 1}}, 0x808080);
            s.Line({{1, 1}, {1, 23}}, 0x808080);
        }},
        {"flat up", ubsFlat, bsUp, 0x00, false, plain},
        {"flat mouse over", ubsFlat, bsMouseOver, 0x00, true, flatEdge(false, false, true)},
        {"flat down", ubsFlat, bsDown, 0x00, false, flatEdge(false, true, true)},
        {"flat option set under the mouse", ubsFlat, bsOptionSet, 0x00, true, flatEdge(false, true, true)},
        {"navigator mouse over", ubsNavigator, bsMouseOver, 0x00, true, flatEdge(true, false, true)},
        {"navigator down", ubsNavigator, bsDown, 0x00, false, flatEdge(true, true, true)},
        {"flat Vesto down", ubsVestoFlat, bsDown, 0x00, false, flatEdge(true, true, true)},
        {"explorer up", ubsExplorer, bsUp, 0x00, false, [](Steps&) {}},
        {"explorer mouse over", ubsExplorerColored, bsMouseOver, 0x00, true, flatEdge(false, false, false)},
        {"explorer down", ubsExplorerColored, bsDown, 0x00, false, flatEdge(false, true, false)},
        {"integrated up", ubsIntegrated, bsUp, 0x00, false, [&](Steps& s) {
            s.Fill(outer, Face);
            s.Box(outer, 0x000000, Face);
            s.Line({{38, 0}, {0, 0}, {0, 23}}, GetSysColor(COLOR_BTNFACE));
            s.Box(RECT{1, 1, 39, 23}, 0xFFFFFF, Face);
            s.Line({{38, 1}, {38, 22}, {0, 22}}, 0x808080);
        }},
        {"integrated down", ubsIntegrated, bsDown, 0x00, false, [&](Steps& s) {
            s.Fill(outer, Face);
            s.Box(outer, 0x808080, Face);
        }},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Surface actual(40, 24, Ground), expected(40, 24, Ground);
        TRect r(outer);
        ZCLDrawBtnFace(actual.Canvas(), c.mouseOver, r, c.style, c.state, c.flags, TColor(Face));
        Steps steps(expected.dc());
        c.expected(steps);
        EXPECT_EQ(FirstDifference(actual, expected), "");
    }
}

// The look's own colours where the system's edges do not decide them.
TEST(ZclDrawBtnFace, TheLooksOwnLinesAreInTheirColours)
{
    const std::uint32_t face = Sys(COLOR_BTNFACE);
    struct Case {
        TZCLUserButtonStyle style;
        TZCLButtonState state;
        std::uint16_t flags;
        int x, y;
        std::uint32_t colour;
    } const cases[] = {
        {ubsWin40, bsDown, 0, 0, 10, 0x000000},      {ubsWin40, bsDown, 0, 1, 10, 0x808080},
        {ubsWin40, bsDown, 0, 2, 10, Face},          {ubsVesto, bsDown, 0, 20, 0, 0x000000},
        {ubsVesto, bsDown, 0, 20, 1, 0x808080},      {ubsVesto, bsDown, 0, 1, 12, 0x808080},
        {ubsVesto, bsDown, 0, 38, 12, Face},         {ubsIntegrated, bsUp, 0, 39, 0, 0x000000},
        {ubsIntegrated, bsUp, 0, 20, 0, face},       {ubsIntegrated, bsUp, 0, 0, 12, face},
        {ubsIntegrated, bsUp, 0, 1, 12, 0xFFFFFF},   {ubsIntegrated, bsUp, 0, 38, 12, 0x808080},
        {ubsIntegrated, bsUp, 0, 20, 22, 0x808080},  {ubsIntegrated, bsUp, 0, 20, 23, 0x000000},
        {ubsIntegrated, bsDown, 0, 0, 12, 0x808080}, {ubsWin31, bsUp, 0x01, 0, 0, face},
        {ubsWin31, bsUp, 0x01, 39, 23, face},        {ubsWin31, bsUp, 0x01, 20, 12, Face},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << int(c.style) << " state " << int(c.state) << " at " << c.x
                                        << "," << c.y);
        Surface s(40, 24, Ground);
        TRect r(0, 0, 40, 24);
        ZCLDrawBtnFace(s.Canvas(), false, r, c.style, c.state, c.flags, TColor(Face));
        EXPECT_EQ(s.At(c.x, c.y), c.colour);
    }
}

// Diagonal gradients ------------------------------------------------------------------------------------------

namespace {

struct Pt {
    double x, y;
};

// Inside a convex polygon (either winding), and the distance to its nearest edge.
bool Inside(const std::vector<Pt>& poly, Pt p)
{
    int sign = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Pt a = poly[i], b = poly[(i + 1) % poly.size()];
        const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        const int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
        if (s == 0) continue;
        if (sign == 0) sign = s;
        else if (s != sign) return false;
    }
    return true;
}

double EdgeDistance(const std::vector<Pt>& poly, Pt p)
{
    double best = 1e9;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Pt a = poly[i], b = poly[(i + 1) % poly.size()];
        const double dx = b.x - a.x, dy = b.y - a.y, len = dx * dx + dy * dy;
        double t = len > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len : 0;
        t = std::max(0.0, std::min(1.0, t));
        best = std::min(best, std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)));
    }
    return best;
}

}  // namespace

TEST(ZclGradientPaint, DiagonalsRunFromTheirCornerByParallelograms)
{
    const std::uint32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
    TList list;
    for (std::uint32_t c : colours) list.Add(reinterpret_cast<void*>(std::uintptr_t(c)));
    const int N = 4, W = 60, H = 40;
    const TRect r(10, 8, 10 + W, 8 + H);
    for (TZCLGradientStyle style : {gstTopLeftDiagonal, gstTopRightDiagonal})
        for (std::uint16_t flags : {std::uint16_t(0x0000), std::uint16_t(0x0004)}) {
            SCOPED_TRACE(testing::Message() << "style " << int(style) << " flags " << flags);
            std::vector<std::vector<Pt>> shapes;
            for (int i = 0; i < N; ++i) {
                const double a = MulDiv(i + 1, W, N), b = MulDiv(i + 1, H, N);
                if (style == gstTopLeftDiagonal) shapes.push_back({{0, 0}, {2 * a, 0}, {0, 2 * b + 1}, {-2 * a, 2 * b + 1}});
                else shapes.push_back({{W + 1.0, 0}, {W + 1 - 2 * a, 0}, {W + 1.0, 2 * b}, {W + 1 + 2 * a, 2 * b}});
            }
            Surface s(W + 20, H + 16, Ground);
            ZCLGradientPaintExt(s.Canvas(), r, style, &list, nullptr, flags, 0);
            int checked = 0, wrong = 0;
            std::string first;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const Pt p{x + 0.5, y + 0.5};
                    // The first colour's shape is the smallest and painted last: a pixel takes the first shape
                    // it lies in.
                    int want = -1;
                    bool nearEdge = false;
                    for (int i = 0; i < N; ++i) {
                        if (EdgeDistance(shapes[std::size_t(i)], p) < 1.5) nearEdge = true;
                        if (want < 0 && Inside(shapes[std::size_t(i)], p)) want = i;
                    }
                    if (nearEdge || want < 0) continue;
                    ++checked;
                    if (s.At(r.left + x, r.top + y) != colours[want]) {
                        if (!wrong++)
                            first = "(" + std::to_string(x) + "," + std::to_string(y) + ") wants colour " +
                                    std::to_string(want);
                    }
                }
            EXPECT_EQ(wrong, 0) << first;
            EXPECT_GT(checked, W * H / 2);
            // The first colour is at its corner.
            EXPECT_EQ(s.At(style == gstTopLeftDiagonal ? r.left + 1 : r.right - 2, r.top + 1), colours[0]);
            EXPECT_EQ(s.At(style == gstTopLeftDiagonal ? r.right - 2 : r.left + 1, r.bottom - 2), colours[N - 1]);
        }
}

// Icon and desktop copies -------------------------------------------------------------------------------------

TEST(ZclIcon2Bitmap, TheIconsPixelsOnTheBackColour)
{
    // A 16 x 16 icon: transparent in the first four columns, red to column 8, blue after.
    auto colour = MakeBitmap(16, 16, [](int x, int) { return x < 4 ? 0u : x < 8 ? 0x0000FFu : 0xFF0000u; });
    std::vector<WORD> maskBits(16, 0);  // one word per row
    for (WORD& row : maskBits) row = 0x00F0;  // the top bit of each byte is the leftmost pixel
    BitmapHandle mask(CreateBitmap(16, 16, 1, 1, maskBits.data()));
    ICONINFO info{TRUE, 0, 0, mask.get(), colour->Handle()};
    TIcon icon;
    icon.SetHandle(CreateIconIndirect(&info));
    ASSERT_FALSE(icon.Empty());
    TBitmap b;
    ZCLIcon2Bitmap(&b, &icon, TColor(0x00FF00));
    ASSERT_EQ(b.Width(), 16);
    ASSERT_EQ(b.Height(), 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t want = x < 4 ? 0x00FF00u : x < 8 ? 0x0000FFu : 0xFF0000u;
            ASSERT_EQ(PixelOf(&b, x, y), want) << x << "," << y;
        }
}

namespace {

// The colour a test window shows at a point of its client area.
std::uint32_t Pattern(int x, int y) { return (x / 8 + y / 5) % 3 == 0 ? 0x0000FFu : (x + y) % 2 ? 0xFF00FFu : 0x00FF00u; }

LRESULT CALLBACK PatternProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT c;
        GetClientRect(wnd, &c);
        for (int y = 0; y < c.bottom; ++y)
            for (int x = 0; x < c.right; ++x) SetPixel(dc, x, y, Pattern(x, y));
        EndPaint(wnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

TEST(ZclBmpFromDesktop, CopiesWhatTheScreenShows)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZclDesktopCopyPattern";
    RegisterClassA(&wc);
    const int left = 140, top = 110;
    WindowHandle wnd(CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE,
                                     left, top, 60, 40, nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(wnd);
    UpdateWindow(wnd.get());
    auto onScreen = [&] {
        WindowDC screen(nullptr);
        for (int y = 0; y < 40; y += 3)
            for (int x = 0; x < 60; x += 3)
                if ((GetPixel(screen.get(), left + x, top + y) & 0xFFFFFF) != Pattern(x, y)) return false;
        return true;
    };
    ASSERT_TRUE(testwait::PumpUntil(onScreen, 10000));
    // A part of the window, off its corner.
    const TRect area(left + 7, top + 3, left + 47, top + 33);
    TBitmap b;
    ZCLBmpFromDesktop(&b, area);
    ASSERT_EQ(b.Width(), 40);
    ASSERT_EQ(b.Height(), 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(PixelOf(&b, x, y), Pattern(x + 7, y + 3)) << x << "," << y;
}
