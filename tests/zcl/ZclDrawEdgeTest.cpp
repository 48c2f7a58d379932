// The drawn-edge control painted by its parent into a DIB: edges in every style and on chosen sides, diagonals,
// the standard frames, soft and filled edges; its defaults and that a setter redraws only on a change.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "ZclControlTestHelpers.h"
#include "zcl/components/Zcldrawedge.h"
#include "zcl/graphics/Zclutilsdraw.h"

using namespace zclctl;

namespace {

constexpr int W = 40, H = 30;

// A white parent holding one drawn edge that fills it.
struct EdgeScene {
    controltest::TPanelish root{nullptr};
    TZCLDrawEdge* edge;
    EdgeScene()
    {
        root.SetBounds(0, 0, W, H);
        root.SetColor(clWhite);
        edge = new TZCLDrawEdge(&root);
        edge->SetParent(&root);
        edge->SetBounds(0, 0, W, H);
    }
    std::unique_ptr<Dib> Render()
    {
        auto dib = std::make_unique<Dib>(W, H);
        root.PaintTo(dib->dc(), 0, 0);
        return dib;
    }
};

// What the system draws for the same edge on a white ground: the reference.
std::unique_ptr<Dib> Reference(UINT edge, UINT flags)
{
    auto dib = std::make_unique<Dib>(W, H);
    RECT r{0, 0, W, H};
    FillRect(dib->dc(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawEdge(dib->dc(), &r, edge, flags);
    return dib;
}

int Differences(const Dib& a, const Dib& b)
{
    int n = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) n += a.At(x, y) != b.At(x, y);
    return n;
}

const COLORREF White = RGB(255, 255, 255);

}  // namespace

TEST(ZclDrawEdge, Defaults)
{
    TZCLDrawEdge e(nullptr);
    EXPECT_EQ(e.Width(), 40);
    EXPECT_EQ(e.Height(), 40);
    EXPECT_EQ(e.Style(), esEdge);
    EXPECT_EQ(e.EdgeStyle(), etEtched);
    EXPECT_EQ(e.DiagonalStyle(), dsEndBottomLeft);
    EXPECT_EQ(e.StandardStyle(), lsSingleLowered);
    EXPECT_EQ(e.FrameSides(), (TZCLFrameSides{fsBottom, fsLeft, fsRight, fsTop}));
    EXPECT_FALSE(e.Filled());
    EXPECT_FALSE(e.Soft());
    EXPECT_TRUE(e.ControlStyle().Contains(csReplicatable));
}

TEST(ZclDrawEdge, ASunkenEdgeOnAllSidesAndOnTheTopOnly)
{
    EdgeScene s;
    s.edge->SetEdgeStyle(etSunken);
    auto all = s.Render();
    EXPECT_EQ(all->At(W / 2, 0), Sys(COLOR_BTNSHADOW)) << "top";
    EXPECT_EQ(all->At(0, H / 2), Sys(COLOR_BTNSHADOW)) << "left";
    EXPECT_EQ(all->At(W / 2, H - 1), Sys(COLOR_BTNHIGHLIGHT)) << "bottom";
    EXPECT_EQ(all->At(W - 1, H / 2), Sys(COLOR_BTNHIGHLIGHT)) << "right";
    EXPECT_EQ(all->At(W / 2, H / 2), White) << "the inside is the parent's";

    s.edge->SetFrameSides(TZCLFrameSides{fsTop});
    auto top = s.Render();
    EXPECT_EQ(top->At(W / 2, 0), Sys(COLOR_BTNSHADOW)) << "the top line";
    for (int y = 2; y < H; ++y)
        for (int x = 0; x < W; ++x) ASSERT_EQ(top->At(x, y), White) << "nothing below the top edge at " << x << "," << y;
}

TEST(ZclDrawEdge, EveryEdgeStyleOnEverySideChoice)
{
    const struct {
        TZCLEdgeStyle style;
        UINT edge;
    } styles[] = {
        {etRaisedInner, BDR_RAISEDINNER}, {etRaisedOuter, BDR_RAISEDOUTER}, {etSunkenInner, BDR_SUNKENINNER},
        {etSunkenOuter, BDR_SUNKENOUTER}, {etBump, EDGE_BUMP},              {etEtched, EDGE_ETCHED},
        {etRaised, EDGE_RAISED},          {etSunken, EDGE_SUNKEN},
    };
    const struct {
        TZCLFrameSides sides;
        UINT flags;
    } sides[] = {
        {TZCLFrameSides{fsBottom, fsLeft, fsRight, fsTop}, BF_RECT},
        {TZCLFrameSides{fsLeft}, BF_LEFT},
        {TZCLFrameSides{fsRight, fsBottom}, BF_RIGHT | BF_BOTTOM},
        {TZCLFrameSides{}, 0},
    };
    EdgeScene s;
    for (const auto& st : styles)
        for (const auto& sd : sides) {
            s.edge->SetEdgeStyle(st.style);
            s.edge->SetFrameSides(sd.sides);
            EXPECT_EQ(Differences(*s.Render(), *Reference(st.edge, sd.flags)), 0)
                << "style " << int(st.style) << ", sides " << sd.flags;
        }
}

TEST(ZclDrawEdge, DiagonalsSoftAndFilled)
{
    const struct {
        TZCLDiagonalStyle diagonal;
        UINT flags;
    } diagonals[] = {
        {dsEndBottomLeft, BF_DIAGONAL_ENDBOTTOMLEFT},
        {dsEndBottomRight, BF_DIAGONAL_ENDBOTTOMRIGHT},
        {dsEndTopLeft, BF_DIAGONAL_ENDTOPLEFT},
        {dsEndTopRight, BF_DIAGONAL_ENDTOPRIGHT},
    };
    EdgeScene s;
    s.edge->SetStyle(esDiagonal);
    s.edge->SetEdgeStyle(etRaised);
    for (const auto& d : diagonals) {
        s.edge->SetDiagonalStyle(d.diagonal);
        auto dib = s.Render();
        EXPECT_EQ(Differences(*dib, *Reference(EDGE_RAISED, d.flags)), 0) << "diagonal " << int(d.diagonal);
        int drawn = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) drawn += dib->At(x, y) != White;
        EXPECT_GE(drawn, H - 1) << "a line across";
        EXPECT_LT(drawn, W * H / 4) << "a line, not a box";
    }

    s.edge->SetStyle(esEdge);
    s.edge->SetEdgeStyle(etSunken);
    s.edge->SetFrameSides(TZCLFrameSides{fsBottom, fsLeft, fsRight, fsTop});
    s.edge->SetFilled(true);
    auto filled = s.Render();
    EXPECT_EQ(filled->At(W / 2, H / 2), Sys(COLOR_BTNFACE)) << "the middle in the face colour";
    EXPECT_EQ(Differences(*filled, *Reference(EDGE_SUNKEN, BF_RECT | BF_MIDDLE)), 0);
    s.edge->SetFilled(false);
    s.edge->SetSoft(true);
    EXPECT_EQ(Differences(*s.Render(), *Reference(EDGE_SUNKEN, BF_RECT | BF_SOFT)), 0);
}

TEST(ZclDrawEdge, StandardFramesAsTheLibraryDrawsThem)
{
    EdgeScene s;
    s.edge->SetStyle(esStandard);
    for (TZCLBorderStyle style : {lsSingle, lsLowered, lsRaised, lsSingleLowered, lsDoubleRaised, lsWindowBorder}) {
        s.edge->SetStandardStyle(style);
        auto got = s.Render();
        Dib expected(W, H);
        RECT white{0, 0, W, H};
        FillRect(expected.dc(), &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        TCanvas canvas;
        canvas.SetHandle(expected.dc());
        TRect r(0, 0, W, H);
        ZCLDrawStdFrame(&canvas, r, style, 0);
        canvas.SetHandle(nullptr);
        EXPECT_EQ(Differences(*got, expected), 0) << "style " << int(style);
        Dib blank(W, H);
        FillRect(blank.dc(), &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EXPECT_GT(Differences(*got, blank), 0) << "a frame is drawn, style " << int(style);
    }
}

class ZclDrawEdgeShown : public ShownForm {};

TEST_F(ZclDrawEdgeShown, SettersRedrawOnlyOnAChange)
{
    auto* e = new TZCLDrawEdge(form.get());
    e->SetParent(form.get());
    e->SetBounds(10, 10, 40, 40);
    ShowForm();
    const HWND wnd = form->Handle();
    auto invalidatedBy = [&](const std::function<void()>& set) {
        ValidateRect(wnd, nullptr);
        set();
        RECT r;
        return GetUpdateRect(wnd, &r, FALSE) != 0;
    };
    EXPECT_FALSE(invalidatedBy([&] { e->SetEdgeStyle(etEtched); })) << "the default again";
    EXPECT_TRUE(invalidatedBy([&] { e->SetEdgeStyle(etBump); }));
    EXPECT_TRUE(invalidatedBy([&] { e->SetStyle(esDiagonal); }));
    EXPECT_FALSE(invalidatedBy([&] { e->SetStyle(esDiagonal); }));
    EXPECT_TRUE(invalidatedBy([&] { e->SetDiagonalStyle(dsEndTopRight); }));
    EXPECT_TRUE(invalidatedBy([&] { e->SetFilled(true); }));
    EXPECT_TRUE(invalidatedBy([&] { e->SetSoft(true); }));
    EXPECT_TRUE(invalidatedBy([&] { e->SetFrameSides(TZCLFrameSides{fsLeft}); }));
    EXPECT_FALSE(invalidatedBy([&] { e->SetFrameSides(TZCLFrameSides{fsLeft}); }));
    EXPECT_TRUE(invalidatedBy([&] { e->SetStandardStyle(lsRaised); }));
}
