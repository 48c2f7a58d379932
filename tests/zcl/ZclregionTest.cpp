// Regions of every shape compared point by point with regions made from the stated geometry: polygons, shields,
// noses and think bubbles; the region object's building, shadow, window region (read back from a real window),
// user polygons, Assign, the stored point list, change reports, and GDI objects over repeated building.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "DrawTestHelpers.h"
#include "RegionTestHelpers.h"
#include "framework/GraphicsTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Forms.h"
#include "zcl/graphics/Zclregion.h"

using rgntest::Combined;
using rgntest::Polygon;
using rgntest::SameRegion;

TEST(ZclRegionBuilders, PolygonsLieOnTheirPoints)
{
    const TRect R(10, 20, 110, 80);
    struct Case {
        const char* name;
        HRGN (*build)(const TRect&);
        TRect r;
        std::vector<POINT> points;
    };
    // clang-format off
    const Case cases[] = {
        {"diamond", ZCLCreateDiamondRgn, R, {{60, 20}, {10, 50}, {60, 80}, {110, 50}}},
        {"small diamond", ZCLCreateDiamondRgn, TRect(0, 0, 11, 11), {{5, 0}, {0, 5}, {5, 11}, {11, 5}}},
        {"octagon", ZCLCreateOctagonRgn, R,
         {{76, 20}, {43, 20}, {10, 40}, {10, 60}, {43, 80}, {76, 80}, {110, 60}, {110, 40}}},
        {"comb", ZCLCreateCombRgn, R, {{60, 20}, {10, 35}, {10, 65}, {60, 80}, {110, 65}, {110, 35}}},
        {"star", ZCLCreateStarRgn, R,
         {{60, 20}, {75, 43}, {110, 43}, {80, 56}, {95, 80}, {60, 65}, {25, 80}, {40, 56}, {10, 43}, {45, 43}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        RegionHandle built(c.build(c.r));
        RegionHandle expected(CreatePolygonRgn(c.points.data(), int(c.points.size()), ALTERNATE));
        EXPECT_TRUE(SameRegion(built.get(), expected.get())) << c.name;
    }
}

TEST(ZclRegionBuilders, ShieldsLieInTheirRectangle)
{
    // At the origin and no higher than 50 they are what the shield always was.
    {
        RegionHandle round(ZCLCreateRoundShieldRgn(TRect(0, 0, 80, 40)));
        RegionHandle expected(Combined(
            Combined(Combined(CreateEllipticRgn(0, 8 - 40, 80, 40), CreateEllipticRgn(-40, -8, 40, 8), RGN_DIFF),
                     CreateEllipticRgn(40, -8, 120, 8), RGN_DIFF),
            CreateRectRgn(0, -40, 80, 0), RGN_DIFF));
        EXPECT_TRUE(SameRegion(round.get(), expected.get()));
    }
    struct Case {
        const char* name;
        TRect r;
    } const cases[] = {{"moved", TRect(10, 20, 110, 80)}, {"tall", TRect(30, 5, 90, 205)}};
    for (const Case& c : cases) {
        const int L = c.r.left, T = c.r.top, W = c.r.Width(), H = c.r.Height(), H87 = 8 * H / 7;
        auto top = [&](HRGN body) {
            return Combined(
                Combined(Combined(body, CreateEllipticRgn(L - W / 2, T - H / 5, L + W / 2, T + H / 5), RGN_DIFF),
                         CreateEllipticRgn(L + W / 2, T - H / 5, L + W / 2 + W, T + H / 5), RGN_DIFF),
                CreateRectRgn(L, T - H, L + W, T), RGN_DIFF);
        };
        RegionHandle round(ZCLCreateRoundShieldRgn(c.r));
        RegionHandle roundExpected(top(CreateEllipticRgn(L, T + H / 5 - H, L + W, T + H)));
        EXPECT_TRUE(SameRegion(round.get(), roundExpected.get())) << c.name;
        RegionHandle sharp(ZCLCreateSharpShieldRgn(c.r));
        RegionHandle sharpExpected(top(Combined(CreateEllipticRgn(L - W, T - H87, L + W, T + H87),
                                                CreateEllipticRgn(L, T - H87, L + 2 * W, T + H87), RGN_AND)));
        EXPECT_TRUE(SameRegion(sharp.get(), sharpExpected.get())) << c.name;
        // Nothing of either lies outside the rectangle, the cut-off part above it included.
        for (HRGN r : {round.get(), sharp.get()}) {
            RECT box;
            GetRgnBox(r, &box);
            EXPECT_GE(box.top, T) << c.name << " " << rgntest::Box(r);
            EXPECT_LE(box.bottom, c.r.bottom) << c.name << " " << rgntest::Box(r);
            EXPECT_GE(box.left, L) << c.name;
            EXPECT_LE(box.right, c.r.right) << c.name;
        }
    }
}

TEST(ZclRegionBuilders, NosesReachFromTheShrunkRectangleToTheCorner)
{
    // R (0, 0, 100, 60), nose size 10: the nose's base is 5 to 5 + 14 from the corner.
    const TRect R(0, 0, 100, 60);
    struct Case {
        TZCLExtPos pos;
        TRect shrunk;
        POINT tip, first, second;
    };
    // clang-format off
    const Case cases[] = {
        {epLeftTop, {10, 10, 100, 60}, {0, 0}, {10, 15}, {10, 29}},
        {epTopLeft, {10, 10, 100, 60}, {0, 0}, {15, 10}, {29, 10}},
        {epTopRight, {0, 10, 90, 60}, {100, 0}, {85, 10}, {71, 10}},
        {epRightTop, {0, 10, 90, 60}, {100, 0}, {90, 15}, {90, 29}},
        {epRightBottom, {0, 0, 90, 50}, {100, 60}, {90, 45}, {90, 31}},
        {epBottomRight, {0, 0, 90, 50}, {100, 60}, {85, 50}, {71, 50}},
        {epBottomLeft, {10, 0, 100, 50}, {0, 60}, {15, 50}, {29, 50}},
        {epLeftBottom, {10, 0, 100, 50}, {0, 60}, {10, 45}, {10, 31}},
    };
    // clang-format on
    for (const Case& c : cases) {
        RegionHandle built(ZCLCreateNoseRectRgn(R, 10, c.pos));
        RegionHandle expected(Combined(CreateRectRgnIndirect(&c.shrunk), Polygon({c.tip, c.first, c.second}), RGN_OR));
        EXPECT_TRUE(SameRegion(built.get(), expected.get())) << int(c.pos);
    }
    // The rounded nose starts the corner height down a side, the corner width along the top or bottom.
    RegionHandle side(ZCLCreateRoundNoseRectRgn(R, 10, 20, 12, epLeftTop));
    RegionHandle sideExpected(
        Combined(CreateRoundRectRgn(10, 10, 100, 60, 20, 12), Polygon({{0, 0}, {10, 22}, {10, 36}}), RGN_OR));
    EXPECT_TRUE(SameRegion(side.get(), sideExpected.get()));
    RegionHandle along(ZCLCreateRoundNoseRectRgn(R, 10, 20, 12, epTopLeft));
    RegionHandle alongExpected(
        Combined(CreateRoundRectRgn(10, 10, 100, 60, 20, 12), Polygon({{0, 0}, {30, 10}, {44, 10}}), RGN_OR));
    EXPECT_TRUE(SameRegion(along.get(), alongExpected.get()));
}

TEST(ZclRegionBuilders, ThinkBubblesGrowAlongAQuarterCircleInDegrees)
{
    // Two bubbles of size 12 on (0, 0, 120, 80): steps of 30 degrees, diameters 0, 5, 9 and 14.
    const TRect R(0, 0, 120, 80);
    auto bubbles = [](std::initializer_list<RECT> list) {
        HRGN r = CreateRectRgn(0, 0, 0, 0);
        for (const RECT& b : list) r = Combined(r, CreateEllipticRgn(b.left, b.top, b.right, b.bottom), RGN_OR);
        return r;
    };
    {
        RegionHandle built(ZCLCreateThinkBubbleRgn(R, 12, 2, epLeftTop));
        RegionHandle expected(
            Combined(CreateRectRgn(12, 12, 120, 80), bubbles({{0, 4, 4, 8}, {2, 6, 10, 14}, {5, 5, 19, 19}}), RGN_OR));
        EXPECT_TRUE(SameRegion(built.get(), expected.get()));
    }
    {
        RegionHandle built(ZCLCreateEllipticThinkBubbleRgn(R, 12, 2, epBottomRight));
        RegionHandle expected(Combined(CreateEllipticRgn(0, 0, 108, 68),
                                       bubbles({{112, 76, 116, 80}, {106, 70, 114, 78}, {101, 61, 115, 75}}), RGN_OR));
        EXPECT_TRUE(SameRegion(built.get(), expected.get()));
    }
    {
        RegionHandle built(ZCLCreateRoundThinkBubbleRgn(R, 12, 2, epLeftTop, 30, 20));
        RegionHandle expected(Combined(CreateRoundRectRgn(12, 12, 120, 80, 30, 20),
                                       bubbles({{0, 4, 4, 8}, {2, 6, 10, 14}, {5, 5, 19, 19}}), RGN_OR));
        EXPECT_TRUE(SameRegion(built.get(), expected.get()));
    }
    // No bubbles to divide among: the shape alone.
    for (int count : {0, -1, -5}) {
        RegionHandle built(ZCLCreateThinkBubbleRgn(R, 12, count, epTopRight));
        RegionHandle expected(CreateRectRgn(0, 12, 108, 80));
        EXPECT_TRUE(SameRegion(built.get(), expected.get())) << count;
    }
    // Every corner: the bubbles stay between the corner of R and the shrunk rectangle.
    for (int pos = epLeftTop; pos <= epLeftBottom; ++pos) {
        RegionHandle built(ZCLCreateThinkBubbleRgn(R, 12, 4, TZCLExtPos(pos)));
        RECT box;
        GetRgnBox(built.get(), &box);
        EXPECT_GE(box.left, -2) << pos;
        EXPECT_GE(box.top, -2) << pos;
        EXPECT_LE(box.right, 122) << pos;
        EXPECT_LE(box.bottom, 82) << pos;
    }
}

TEST(ZclRegion, EveryShapeIsBuiltInsideItsRectangle)
{
    const TRect R(0, 0, 120, 80);
    for (int s = rsRect; s <= rsPointList; ++s) {
        TZCLRegion region;
        region.SetShape(TZCLRegionShape(s));
        region.CreateRegion(R);
        if (s == rsBitmap || s == rsUserRegion || s == rsPointList) {
            EXPECT_EQ(region.Handle(), nullptr) << s;  // no data yet
            continue;
        }
        ASSERT_NE(region.Handle(), nullptr) << s;
        EXPECT_TRUE(PtInRegion(region.Handle(), 60, 45)) << s << " " << rgntest::Box(region.Handle());
        RECT box;
        GetRgnBox(region.Handle(), &box);
        EXPECT_GE(box.left, 0) << s;
        EXPECT_GE(box.top, 0) << s;
        EXPECT_LE(box.right, 120) << s;
        EXPECT_LE(box.bottom, 80) << s;
    }
    struct Case {
        const char* name;
        TZCLRegionShape shape;
        HRGN expected;
    };
    TZCLRegion region;
    region.SetRoundX(30);
    region.SetRoundY(14);
    const Case cases[] = {
        {"rect", rsRect, CreateRectRgn(0, 0, 120, 80)},
        {"round rect", rsRoundRect, CreateRoundRectRgn(0, 0, 120, 80, 30, 14)},
        {"ellipse", rsElliptic, CreateEllipticRgn(0, 0, 120, 80)},
        {"half round", rsHalfRound,
         Combined(CreateEllipticRgn(0, -80, 120, 80), CreateRectRgn(0, 0, 120, 80), RGN_AND)},
        {"nose", rsNoseRect, ZCLCreateNoseRectRgn(R, 12, epLeftTop)},
        {"round nose", rsRoundNoseRect, ZCLCreateRoundNoseRectRgn(R, 12, 30, 14, epLeftTop)},
        {"bubbles", rsThinkBubble, ZCLCreateThinkBubbleRgn(R, 20, 4, epLeftTop)},
        {"round bubbles", rsRoundThinkBubble, ZCLCreateRoundThinkBubbleRgn(R, 20, 4, epLeftTop, 30, 14)},
        {"elliptic bubbles", rsEllipticThinkBubble, ZCLCreateEllipticThinkBubbleRgn(R, 20, 4, epLeftTop)},
    };
    for (const Case& c : cases) {
        RegionHandle expected(c.expected);
        region.SetShape(c.shape);
        region.CreateRegion(R);
        EXPECT_TRUE(SameRegion(region.Handle(), expected.get())) << c.name;
    }
    // The half round on (0, 0, 100, 50).
    region.SetShape(rsHalfRound);
    region.CreateRegion(TRect(0, 0, 100, 50));
    RegionHandle half(Combined(CreateEllipticRgn(0, -50, 100, 50), CreateRectRgn(0, 0, 100, 50), RGN_AND));
    EXPECT_TRUE(SameRegion(region.Handle(), half.get()));
    // The offset point moves the left and top.
    region.SetShape(rsRect);
    region.SetOffsetPoint(TPoint(5, 7));
    region.CreateRegion(TRect(0, 0, 100, 50));
    RegionHandle moved(CreateRectRgn(5, 7, 100, 50));
    EXPECT_TRUE(SameRegion(region.Handle(), moved.get()));
}

TEST(ZclRegion, AShadowShrinksTheShapeAndWidensTheWindowRegion)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(50, 50, 100, 50);
    ASSERT_NE(form.Handle(), nullptr);
    TZCLRegion region;
    region.SetControl(&form);
    region.SetShape(rsRect);
    region.Shadow()->SetStyle(hssSolid);
    region.Shadow()->SetDepth(4);
    region.Shadow()->SetColor(TColor(0x0000FF));
    region.CreateRegion(TRect(0, 0, 100, 50));
    RegionHandle shape(CreateRectRgn(0, 0, 96, 46));
    EXPECT_TRUE(SameRegion(region.Handle(), shape.get()));

    region.SetRegion();
    RegionHandle expected(Combined(CreateRectRgn(0, 0, 96, 46), CreateRectRgn(4, 4, 100, 50), RGN_OR));
    RegionHandle window(rgntest::WindowRegion(form.Handle()));
    EXPECT_TRUE(SameRegion(window.get(), expected.get()));
    EXPECT_TRUE(SameRegion(region.WindowRegion(), expected.get()));

    // The shadow painted: outside the shape, inside the shape moved by the depth.
    drawtest::Surface s(110, 60, 0xFFFFFF);
    TRect r(0, 0, 100, 50);
    region.DrawShadow(s.Canvas(), r);
    EXPECT_TRUE(drawtest::SameRect(r, TRect(0, 0, 96, 46)));
    EXPECT_EQ(s.At(98, 48), 0x0000FFu);
    EXPECT_EQ(s.At(97, 10), 0x0000FFu);
    EXPECT_EQ(s.At(97, 2), 0xFFFFFFu);
    EXPECT_EQ(s.At(50, 20), 0xFFFFFFu);
    EXPECT_EQ(s.At(100, 48), 0xFFFFFFu);
    EXPECT_EQ(s.Canvas()->Brush()->Style(), bsClear);

    // Suppressed, the shadow is neither given nor painted; the rectangle still loses the depth.
    region.SetSuppressShadow(true);
    region.SetRegion();
    RegionHandle bare(rgntest::WindowRegion(form.Handle()));
    EXPECT_TRUE(SameRegion(bare.get(), shape.get()));
    s.Fill(0xFFFFFF);
    r = TRect(0, 0, 100, 50);
    region.DrawShadow(s.Canvas(), r);
    EXPECT_TRUE(drawtest::SameRect(r, TRect(0, 0, 96, 46)));
    EXPECT_EQ(s.Count(0xFFFFFF), 110 * 60);

    region.FreeRegion();
    EXPECT_EQ(rgntest::WindowRegion(form.Handle()), nullptr);
    EXPECT_EQ(region.WindowRegion(), nullptr);
}

TEST(ZclRegion, ARegionWithoutDataIsNotApplied)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(50, 50, 100, 50);
    ASSERT_NE(form.Handle(), nullptr);
    TZCLRegion region;
    region.SetControl(&form);
    region.SetShape(rsUserRegion);
    region.CreateRegion(TRect(0, 0, 100, 50));
    region.SetRegion();
    EXPECT_EQ(rgntest::WindowRegion(form.Handle()), nullptr);
    // At design time a user region is its rectangle.
    form.SetDesigning(true, false);
    region.CreateRegion(TRect(0, 0, 100, 50));
    RegionHandle whole(CreateRectRgn(0, 0, 100, 50));
    EXPECT_TRUE(SameRegion(region.Handle(), whole.get()));
    form.SetDesigning(false, false);
    // While the control is destroyed nothing is built.
    TZCLRegion late;
    late.SetShape(rsRect);
    late.SetControl(&form);
    form.IncludeState(csDestroying);
    late.CreateRegion(TRect(0, 0, 10, 10));
    late.CreateSpecialRectRgn(TRect(0, 0, 10, 10));
    EXPECT_EQ(late.Handle(), nullptr);
    form.ExcludeState(csDestroying);
}

TEST(ZclRegion, UserPolygonsAndUserRegions)
{
    const std::vector<TPoint> triangle{{0, 0}, {80, 0}, {0, 60}};
    RegionHandle expected(Polygon({{0, 0}, {80, 0}, {0, 60}}));
    TZCLRegion region;
    region.SetUserPolygonRgn(triangle);
    EXPECT_EQ(region.Points()->Count(), 3);
    region.SetShape(rsPointList);
    region.CreateRegion(TRect(0, 0, 200, 200));
    EXPECT_TRUE(SameRegion(region.Handle(), expected.get()));

    // Changing the points of a point-list region makes its region again and tells the change.
    int told = 0;
    region.SetOnChange(TNotifyEvent::From([&](TObject*) { ++told; }));
    region.Points()->PutPoint(1, TPoint(100, 0));
    EXPECT_EQ(told, 1);
    region.CreateRegion(TRect(0, 0, 200, 200));
    RegionHandle wider(Polygon({{0, 0}, {100, 0}, {0, 60}}));
    EXPECT_TRUE(SameRegion(region.Handle(), wider.get()));

    // A shape set to the point list takes the points it has.
    TZCLRegion other;
    other.Points()->AddPoint(TPoint(10, 10));
    other.Points()->AddPoint(TPoint(50, 10));
    other.Points()->AddPoint(TPoint(30, 40));
    other.SetShape(rsPointList);
    other.CreateRegion(TRect(0, 0, 200, 200));
    RegionHandle third(Polygon({{10, 10}, {50, 10}, {30, 40}}));
    EXPECT_TRUE(SameRegion(other.Handle(), third.get()));

    // A user region is kept as data and made again from it.
    TZCLRegion user;
    RegionHandle ring(Combined(CreateEllipticRgn(0, 0, 90, 90), CreateEllipticRgn(30, 30, 60, 60), RGN_DIFF));
    user.SetUserRgn(ring.get());
    user.SetShape(rsUserRegion);
    user.CreateRegion(TRect(0, 0, 10, 10));
    EXPECT_TRUE(SameRegion(user.Handle(), ring.get()));
}

TEST(ZclRegion, AssignCopiesTheShapeWithItsData)
{
    TZCLBorderRegion source;
    source.SetShape(rsPointList);
    source.SetUserPolygonRgn(std::vector<TPoint>{{5, 5}, {70, 10}, {40, 60}, {10, 50}});
    source.SetRoundX(7);
    source.SetExtPos(epBottomLeft);
    source.SetBubbleCount(6);
    source.Shadow()->SetStyle(hssTracing);
    source.Border()->SetStyle(rbRaisedpsb);
    source.Border()->SetSingleColor(clRed);
    TZCLBorderRegion copy;
    int told = 0;
    copy.SetOnChange(TNotifyEvent::From([&](TObject*) { ++told; }));
    copy.Assign(&source);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(copy.Shape(), rsPointList);
    EXPECT_EQ(copy.RoundX(), 7);
    EXPECT_EQ(copy.ExtPos(), epBottomLeft);
    EXPECT_EQ(copy.BubbleCount(), 6);
    EXPECT_EQ(copy.Shadow()->Style(), hssTracing);
    EXPECT_EQ(copy.Border()->Style(), rbRaisedpsb);
    EXPECT_EQ(copy.Border()->SingleColor(), clRed);
    ASSERT_EQ(copy.Points()->Count(), 4);
    EXPECT_TRUE(copy.Points()->PointAt(3) == TPoint(10, 50));
    source.CreateRegion(TRect(0, 0, 100, 100));
    copy.CreateRegion(TRect(0, 0, 100, 100));
    ASSERT_NE(copy.Handle(), nullptr);
    EXPECT_TRUE(SameRegion(copy.Handle(), source.Handle()));

    // The bubble count is the one the copy builds with.
    source.SetShape(rsThinkBubble);
    copy.Assign(&source);
    source.CreateRegion(TRect(0, 0, 120, 80));
    copy.CreateRegion(TRect(0, 0, 120, 80));
    EXPECT_TRUE(SameRegion(copy.Handle(), source.Handle()));
    EXPECT_THROW(copy.Assign(copy.Border()), EConvertError);
}

TEST(ZclRegion, SettersTellOnlyChangesThatMatter)
{
    TZCLRegion region;
    EXPECT_EQ(region.Shape(), rsRoundRect);
    EXPECT_EQ(region.RoundX(), 20);
    EXPECT_EQ(region.RoundY(), 20);
    EXPECT_EQ(region.ExtPos(), epLeftTop);
    EXPECT_EQ(region.BubbleCount(), 4);
    EXPECT_EQ(region.Shadow()->Style(), hssNone);
    EXPECT_EQ(region.Border()->Style(), rbSingle);
    int told = 0;
    region.SetOnChange(TNotifyEvent::From([&](TObject*) { ++told; }));
    region.SetRoundX(10);  // a rounded shape: told
    EXPECT_EQ(told, 1);
    region.SetShape(rsRect);
    EXPECT_EQ(told, 2);
    region.SetRoundY(30);  // stored, not told
    region.SetRoundX(10);
    EXPECT_EQ(told, 2);
    EXPECT_EQ(region.RoundY(), 30);
    for (TZCLRegionShape round : {rsRoundNoseRect, rsRoundThinkBubble}) {
        region.SetShape(round);
        told = 0;
        region.SetRoundY(region.RoundY() + 1);
        EXPECT_EQ(told, 1) << int(round);
    }
    told = 0;
    region.SetExtPos(epRightTop);
    region.SetExtPos(epRightTop);
    region.Shadow()->SetDepth(9);
    region.Border()->SetLightColor(clYellow);
    region.Mask()->SetCompressed(true);
    EXPECT_EQ(told, 4);
}

namespace {

class TRegionHost : public TComponent {
public:
    explicit TRegionHost(TComponent* owner) : TComponent(owner) {}
    TZCLBorderRegion* Region() const { return region_.get(); }

private:
    std::unique_ptr<TZCLBorderRegion> region_ = std::make_unique<TZCLBorderRegion>();
};

const bool regionHostPublished = [] {
    PublishedProperties<TRegionHost>().Object("Region", &TRegionHost::Region, nullptr);
    return true;
}();

std::string Write(TRegionHost& host)
{
    TMemoryStream stream;
    stream.WriteComponent(&host);
    return std::string(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
}

void Read(const std::string& bytes, TRegionHost& into)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), int(bytes.size()));
    stream.SetPosition(0);
    stream.ReadComponent(&into);
}

}  // namespace

TEST(ZclRegion, ThePointListIsStoredAsPairsOnlyWhenThereArePoints)
{
    TRegionHost empty(nullptr);
    empty.SetName("Host");
    EXPECT_EQ(Write(empty).find("PointList"), std::string::npos);

    TRegionHost host(nullptr);
    host.SetName("Host");
    host.Region()->SetUserPolygonRgn(std::vector<TPoint>{{-5, 7}, {300, -2}, {40, 90}});
    host.Region()->SetShape(rsPointList);
    host.Region()->SetExtPos(epRightBottom);
    host.Region()->Border()->SetStyle(rbLowered);
    host.Region()->Shadow()->SetStyle(hssSolid);  // the plain shadow's default, not the region shadow's
    const std::string bytes = Write(host);
    EXPECT_NE(bytes.find("Region.PointList"), std::string::npos);

    TRegionHost read(nullptr);
    read.Region()->Points()->AddPoint(TPoint(1, 1));  // replaced, not added to
    Read(bytes, read);
    TZCLRegion* r = read.Region();
    ASSERT_EQ(r->Points()->Count(), 3);
    EXPECT_TRUE(r->Points()->PointAt(0) == TPoint(-5, 7));
    EXPECT_TRUE(r->Points()->PointAt(1) == TPoint(300, -2));
    EXPECT_TRUE(r->Points()->PointAt(2) == TPoint(40, 90));
    EXPECT_EQ(r->Shape(), rsPointList);
    EXPECT_EQ(r->ExtPos(), epRightBottom);
    EXPECT_EQ(r->Border()->Style(), rbLowered);
    EXPECT_EQ(r->Shadow()->Style(), hssSolid);
    // The region read back is the polygon stored.
    r->CreateRegion(TRect(0, 0, 10, 10));
    RegionHandle expected(Polygon({{-5, 7}, {300, -2}, {40, 90}}));
    EXPECT_TRUE(SameRegion(r->Handle(), expected.get(), TRect(-10, -10, 310, 100)));
}

TEST(ZclRegion, RepeatedBuildingGivesBackEveryGdiObject)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(50, 50, 120, 80);
    ASSERT_NE(form.Handle(), nullptr);
    TZCLBorderRegion region;
    region.SetControl(&form);
    region.SetUserPolygonRgn(std::vector<TPoint>{{0, 0}, {100, 10}, {50, 70}});
    region.Shadow()->SetStyle(hssTracing);
    region.Shadow()->SetDepth(3);
    drawtest::Surface s(130, 90);
    auto round = [&] {
        for (int shape = rsRect; shape <= rsPointList; ++shape) {
            region.SetShape(TZCLRegionShape(shape));
            region.Border()->SetStyle(TZCLRegionBorderStyle(shape % 8));
            region.CreateRegion(TRect(0, 0, 120, 80));
            region.SetRegion();
            region.PaintRegionShape(s.Canvas(), TRect(0, 0, 120, 80));
            region.FreeRegion();
        }
    };
    round();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 6; ++i) round();  // over a hundred re-regionings
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}
