// Shape geometry and its option objects: the points every shape kind and the saw-tooth rectangle give, point
// lists with signed halves and their change notification, gradients through two colours or a colour list (and
// its stored form), and the objects' defaults, summaries, Assign and change reports.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DrawTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclgrapa.h"
#include "zcl/graphics/Zclshadow.h"

namespace {

std::vector<TPoint> Calc(const TRect& r, TZCLShapeType shape, TZCLTeeth* teeth, bool square, int round,
                         TZCLSimpleBevel* bevel, TZCLShadow* shadow)
{
    TZCLPointList list;
    list.AddPoint(TPoint(99, 99));  // cleared first
    ZCLShapeCalc(r, shape, teeth, square, nullptr, std::uint8_t(round), bevel, shadow, &list);
    std::vector<TPoint> v;
    for (int i = 0; i < list.Count(); ++i) v.push_back(list.PointAt(i));
    return v;
}

std::string Text(const std::vector<TPoint>& v)
{
    std::string s;
    for (const TPoint& p : v) s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return s;
}

std::unique_ptr<TZCLSimpleBevel> BevelOf(int width)
{
    auto b = std::make_unique<TZCLSimpleBevel>();
    b->SetWidth(width);
    return b;
}

std::unique_ptr<TZCLShadow> ShadowOf(TZCLShadowStyle style, int depth)
{
    auto s = std::make_unique<TZCLShadow>();
    s->SetStyle(style);
    s->SetDepth(depth);
    return s;
}

std::uint32_t Rgb(void* entry) { return std::uint32_t(std::uintptr_t(entry)); }
void* Entry(std::uint32_t c) { return reinterpret_cast<void*>(std::uintptr_t(c)); }

}  // namespace

TEST(ZclShapeCalc, EveryShapeKindGivesItsOuterThenInnerPoints)
{
    // 100 x 60 at an offset that must not show (points are relative to R), pen width 2: h1 1, h2 0.
    const TRect R(30, 40, 130, 100);
    auto bevel = BevelOf(2);
    struct Case {
        TZCLShapeType shape;
        std::vector<TPoint> points;
        // clang-format off
    } const cases[] = {
        {stEllipse, {{0, 0}, {100, 60}, {1, 1}, {100, 60}}},
        {stRectangle, {{0, 0}, {100, 60}, {1, 1}, {100, 60}}},
        {stRoundRect, {{0, 0}, {100, 60}, {19, 19}, {1, 1}, {100, 60}, {19, 19}}},  // 60 x 33 div 100
        {stDirectUp, {{50, 0}, {100, 60}, {0, 60}, {50, 1}, {100, 60}, {2, 60}}},
        {stDirectRight, {{0, 0}, {100, 30}, {0, 60}, {1, 1}, {100, 30}, {1, 60}}},
        {stDirectDown, {{0, 0}, {100, 0}, {50, 60}, {1, 1}, {100, 1}, {50, 60}}},
        {stDirectLeft, {{100, 0}, {0, 30}, {100, 60}, {100, 1}, {1, 30}, {100, 60}}},
        {stDiamond, {{50, 0}, {100, 30}, {50, 60}, {0, 30}, {50, 1}, {100, 30}, {50, 60}, {1, 30}}},
        {stComb,
         {{50, 0}, {100, 12}, {100, 48}, {50, 60}, {0, 48}, {0, 12},
          {50, 1}, {100, 13}, {100, 49}, {50, 60}, {1, 49}, {1, 13}}},
        // ox = nint(100 / 3.414) = 29, oy = nint(60 / 3.414) = 18, s = nint(41.01) = 41, t = nint(25.46) = 25.
        {stOctagon,
         {{29, 0}, {70, 0}, {100, 18}, {100, 43}, {70, 60}, {29, 60}, {0, 43}, {0, 18},
          {30, 1}, {71, 1}, {100, 19}, {100, 44}, {71, 60}, {30, 60}, {1, 44}, {1, 19}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto got = Calc(R, c.shape, nullptr, false, 33, bevel.get(), nullptr);
        EXPECT_EQ(Text(got), Text(c.points)) << "shape " << int(c.shape);
    }
}

TEST(ZclShapeCalc, TheStarOnAHundredSquareAndItsTipsMovedIn)
{
    auto bevel = BevelOf(3);  // h1 = h2 = 1
    const auto got = Calc(TRect(0, 0, 100, 100), stStar, nullptr, false, 0, bevel.get(), nullptr);
    const std::vector<TPoint> outer{{50, 0},  {65, 38},  {100, 38}, {70, 60}, {85, 100},
                                    {50, 75}, {15, 100}, {30, 60},  {0, 38},  {35, 38}};
    std::vector<TPoint> inner = outer;
    inner[0].y += 1;
    inner[2].x -= 1;
    inner[4].y -= 1;
    inner[6].y -= 1;
    inner[8].x += 1;
    std::vector<TPoint> expected = outer;
    expected.insert(expected.end(), inner.begin(), inner.end());
    EXPECT_EQ(Text(got), Text(expected));
}

TEST(ZclShapeCalc, SquareShadowRoundingAndPenWidthQuantities)
{
    auto none = ShadowOf(hssNone, 6);
    auto solid = ShadowOf(hssSolid, 6);
    auto two = BevelOf(2);
    auto three = BevelOf(3);
    auto one = BevelOf(1);
    struct Case {
        const char* name;
        TRect r;
        TZCLShapeType shape;
        bool square;
        TZCLSimpleBevel* bevel;
        TZCLShadow* shadow;
        std::vector<TPoint> points;
        // clang-format off
    } const cases[] = {
        {"square across", TRect(0, 0, 100, 60), stRectangle, true, one.get(), nullptr,
         {{20, 0}, {80, 60}, {20, 0}, {80, 60}}},
        {"square upright", TRect(0, 0, 60, 100), stRectangle, true, one.get(), nullptr,
         {{0, 20}, {60, 80}, {0, 20}, {60, 80}}},
        {"corner with shadow", TRect(0, 0, 90, 60), stRoundRect, false, one.get(), solid.get(),
         {{6, 6}, {90, 60}, {17, 17}, {6, 6}, {90, 60}, {23, 23}}},
        {"width 2", TRect(0, 0, 10, 10), stRectangle, false, two.get(), nullptr, {{0, 0}, {10, 10}, {1, 1}, {10, 10}}},
        {"width 3", TRect(0, 0, 10, 10), stRectangle, false, three.get(), nullptr, {{0, 0}, {10, 10}, {1, 1}, {9, 9}}},
        {"null bevel is width 1", TRect(0, 0, 10, 10), stRectangle, false, nullptr, nullptr,
         {{0, 0}, {10, 10}, {0, 0}, {10, 10}}},
        {"shadow without style", TRect(0, 0, 10, 10), stRectangle, false, one.get(), none.get(),
         {{0, 0}, {10, 10}, {0, 0}, {10, 10}}},
        {"shadow of depth 6", TRect(0, 0, 10, 10), stRectangle, false, one.get(), solid.get(),
         {{6, 6}, {10, 10}, {6, 6}, {10, 10}}},
        {"comb of height 50", TRect(0, 0, 40, 50), stComb, false, one.get(), nullptr,
         {{20, 0}, {40, 10}, {40, 40}, {20, 50}, {0, 40}, {0, 10}, {20, 0}, {40, 10}, {40, 40}, {20, 50}, {0, 40}, {0, 10}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto got = Calc(c.r, c.shape, nullptr, c.square, 33, c.bevel, c.shadow);
        EXPECT_EQ(Text(got), Text(c.points)) << c.name;
    }
}

TEST(ZclShapeCalc, TeethInEveryDirection)
{
    struct Case {
        const char* name;
        TZCLDirection direction;
        bool offset, perCount;
        int count, width, height;
        std::vector<TPoint> points;
        int heightAfter, widthAfter;
        // clang-format off
    } const cases[] = {
        // Count 2 on a height of 20: four half-teeth of 5.
        {"right, per count", tdRight, true, true, 2, 10, 0,
         {{39, 19}, {0, 19}, {0, 0}, {39, 0}, {39, 0}, {29, 5}, {39, 10}, {29, 15}, {39, 20}, {39, 20}},
         5, 10},
        {"left, per count, not offset", tdLeft, false, true, 2, 10, 0,
         {{10, 19}, {39, 19}, {39, 0}, {10, 0}, {10, 0}, {0, 5}, {10, 10}, {0, 15}, {10, 20}, {10, 20}},
         5, 10},
        // Count 4 along a width of 40: eight half-teeth of 5.
        {"up, per count", tdUp, true, true, 4, 0, 3,
         {{39, 0}, {39, 19}, {0, 19}, {0, 0}, {0, 0}, {5, 3}, {10, 0}, {15, 3}, {20, 0}, {25, 3}, {30, 0},
          {35, 3}, {40, 0}, {40, 0}},
         3, 5},
        // By the tooth width: nint(40 / 20) * 2 = 4 points past the first, held at the right edge.
        {"down, by width, not offset", tdDown, false, false, 10, 20, 4,
         {{39, 16}, {39, 0}, {0, 0}, {0, 16}, {0, 16}, {20, 20}, {40, 16}, {40, 20}, {40, 16}, {40, 16}},
         4, 20},
    };
    // clang-format on
    for (const Case& c : cases) {
        TZCLTeeth teeth;
        teeth.SetDirection(c.direction);
        teeth.SetOffset(c.offset);
        teeth.SetSetPerCount(c.perCount);
        teeth.SetCount(c.count);
        teeth.SetWidth(c.width);
        teeth.SetHeight(c.height);
        int changes = 0;
        teeth.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
        // The shape kind is not used with teeth.
        const auto got = Calc(TRect(0, 0, 40, 20), stEllipse, &teeth, false, 33, nullptr, nullptr);
        EXPECT_EQ(Text(got), Text(c.points)) << c.name;
        EXPECT_EQ(teeth.Height(), c.heightAfter) << c.name;
        EXPECT_EQ(teeth.Width(), c.widthAfter) << c.name;
        EXPECT_EQ(changes, 0) << c.name;  // the tooth size is kept quietly
    }
}

TEST(ZclShapeCalc, TeethWithNothingToDivideByAreThePlainRectangle)
{
    struct Case {
        const char* name;
        TZCLDirection direction;
        bool perCount;
        int count, width, height;
        // clang-format off
    } const cases[] = {
        {"count 0", tdRight, true, 0, 10, 0},
        {"count 0 along the top", tdUp, true, 0, 10, 5},
        {"height 0", tdLeft, false, 10, 10, 0},
        {"width 0", tdDown, false, 10, 0, 7},
    };
    // clang-format on
    for (const Case& c : cases) {
        TZCLTeeth teeth;
        teeth.SetDirection(c.direction);
        teeth.SetSetPerCount(c.perCount);
        teeth.SetCount(c.count);
        teeth.SetWidth(c.width);
        teeth.SetHeight(c.height);
        std::vector<TPoint> got;
        ASSERT_NO_THROW(got = Calc(TRect(5, 5, 45, 25), stRectangle, &teeth, false, 33, nullptr, nullptr)) << c.name;
        EXPECT_EQ(Text(got), Text({{0, 0}, {39, 0}, {39, 19}, {0, 19}})) << c.name;

        drawtest::Surface s(50, 30, 0xFFFFFF);
        TBrush face;
        face.SetColor(TColor(0x0000FF));
        ASSERT_NO_THROW(ZCLShapeDraw(TRect(5, 5, 45, 25), s.Canvas(), stRectangle, &teeth, nullptr, false, &face, 33,
                                     nullptr, nullptr, nullptr, clWhite, clWhite))
            << c.name;
        EXPECT_EQ(s.At(25, 15), 0x0000FFu) << c.name;
        EXPECT_EQ(s.At(5, 5), 0x000000u) << c.name;
        EXPECT_EQ(s.At(44, 24), 0x000000u) << c.name;
        EXPECT_EQ(s.At(45, 25), 0xFFFFFFu) << c.name;
    }
}

TEST(ZclPointList, SignedHalvesReadBackUnchanged)
{
    TZCLPointList list;
    const TPoint points[] = {{10, -5}, {-1, -1}, {-32768, 32767}, {32767, -32768}, {0, 0}, {-300, 200}};
    for (const TPoint& p : points) list.AddPoint(p);
    ASSERT_EQ(list.Count(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(list.PointAt(i) == points[i]) << i;
    // x in the high half, y in the low half of the stored entry.
    EXPECT_EQ(std::uint32_t(std::uintptr_t(list.Items(0))), 0x000AFFFBu);

    TPoint p(7, 8);
    list.GetPoint(6, p);
    list.GetPoint(-1, p);
    EXPECT_TRUE(p == TPoint(7, 8));
    list.PutPoint(6, TPoint(1, 1));
    list.PutPoint(-1, TPoint(1, 1));
    EXPECT_EQ(list.Count(), 6);
    list.PutPoint(5, TPoint(-2, 3));
    EXPECT_TRUE(list.PointAt(5) == TPoint(-2, 3));

    ZCLOffsetPointList(&list, 5, -10);
    EXPECT_TRUE(list.PointAt(0) == TPoint(15, -15));
    ZCLOffsetPointList(nullptr, 1, 1);

    TZCLPointList copy;
    copy.AddPoint(TPoint(1, 2));
    list.Clone(&copy);
    ASSERT_EQ(copy.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) EXPECT_TRUE(copy.PointAt(i) == list.PointAt(i));
    list.Clone(nullptr);

    TPoint array[4] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
    ZCLOffsetPointArray(array, 3, 2, 10, 20);
    EXPECT_TRUE(array[1] == TPoint(11, 21));
    EXPECT_TRUE(array[2] == TPoint(2, 2));
    ZCLOffsetPointArray(array, 1, 9, 1, 1);  // no further than the last index
    EXPECT_TRUE(array[1] == TPoint(12, 22));
    EXPECT_TRUE(array[2] == TPoint(2, 2));
}

TEST(ZclPointList, ChangesAreToldOutsideUpdatesOnly)
{
    TZCLPointList list;
    int told = 0;
    list.SetOnChange(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++told;
    }));
    list.AddPoint(TPoint(1, 1));
    list.PutPoint(0, TPoint(2, 2));
    list.AddPoint(TPoint(3, 3));
    list.DeletePoint(1);
    EXPECT_EQ(told, 4);
    list.PutPoint(5, TPoint(0, 0));  // ignored, not told
    EXPECT_EQ(told, 4);

    told = 0;
    list.BeginUpdate();
    list.BeginUpdate();
    list.AddPoint(TPoint(4, 4));
    list.EndUpdate(true);  // one still open
    EXPECT_EQ(told, 0);
    list.EndUpdate(false);
    EXPECT_EQ(told, 0);
    list.BeginUpdate();
    list.AddPoint(TPoint(5, 5));
    list.EndUpdate(true);
    EXPECT_EQ(told, 1);
    list.EndUpdate(true);  // an unmatched end does not go below zero
    EXPECT_EQ(list.UpdateCount(), 0);
    EXPECT_EQ(told, 2);
}

TEST(ZclGradient, TwoColoursGiveTheColourCount)
{
    TZCLGradient g;
    g.SetColor(TColor(0x0000FF));
    g.SetEndColor(TColor(0xFF0000));
    g.SetColorCount(10);
    TList* c = g.ComputedColors();
    ASSERT_EQ(c->Count(), 10);
    EXPECT_EQ(Rgb(c->Items(0)), 0x0000FFu);
    EXPECT_EQ(Rgb(c->Items(9)), 0xFF0000u);
    EXPECT_EQ(g.GetPalette(), nullptr);
    g.SetPaletteRealize(true);
    EXPECT_NE(g.GetPalette(), nullptr);
    g.SetColorCount(1);  // held to 2..236
    EXPECT_EQ(g.ColorCount(), 2);
    g.SetColorCount(500);
    EXPECT_EQ(g.ColorCount(), 236);
    EXPECT_EQ(g.ComputedColors()->Count(), 236);
}

TEST(ZclGradient, AColourListRunsThroughEveryColourItHolds)
{
    const std::uint32_t palette[] = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x808080, 0x123456,
                                     0x654321, 0xABCDEF, 0x00FFFF, 0xFF00FF, 0x111111, 0x222222, 0x333333,
                                     0x444444, 0x555555, 0x666666, 0x777777, 0x888888, 0x999999};
    struct Case {
        int entries, count, expected;
        // clang-format off
    } const cases[] = {
        {2, 16, 16},
        {3, 16, 15},  // two segments of 8, sharing the middle colour
        {5, 16, 13},  // four of 4
        {17, 16, 17},  // more segments than steps: each goes from its colour to the next
        {20, 16, 20},
    };
    // clang-format on
    for (const Case& k : cases) {
        TZCLGradient g;
        g.SetColorCount(k.count);
        TList colours;
        for (int i = 0; i < k.entries; ++i) colours.Add(Entry(palette[i]));
        g.SetColors(&colours);  // told by the change that follows
        g.SetTwoColors(false);
        TList* c = g.ComputedColors();
        ASSERT_EQ(c->Count(), k.expected) << k.entries;
        EXPECT_EQ(Rgb(c->Items(0)), palette[0]) << k.entries;
        EXPECT_EQ(Rgb(c->Items(c->Count() - 1)), palette[k.entries - 1]) << k.entries;
        // Every listed colour is painted.
        for (int i = 0; i < k.entries; ++i) {
            bool found = false;
            for (int j = 0; j < c->Count(); ++j) found = found || Rgb(c->Items(j)) == palette[i];
            EXPECT_TRUE(found) << k.entries << " entries, colour " << i;
        }
    }
    // Fewer than two colours make none.
    TZCLGradient one;
    one.SetTwoColors(false);
    TList single;
    single.Add(Entry(0x0000FF));
    one.SetColors(&single);
    one.SetColorCount(20);
    EXPECT_EQ(one.ComputedColors()->Count(), 0);
    one.SetColors(nullptr);
    EXPECT_EQ(one.ColorList()->Count(), 1);
}

// A new colour list is in the computed colours and the palette at once, still without telling the owner.
TEST(ZclGradient, NewColoursAreComputedAtOnceWithoutNotification)
{
    TZCLGradient g;
    g.SetTwoColors(false);
    g.SetPaletteRealize(true);
    g.SetColorCount(16);
    int told = 0;
    g.SetOnChange(TNotifyEvent::From([&](TObject*) { ++told; }));
    const std::vector<std::vector<std::uint32_t>> lists = {
        {0x0000FF, 0xFF0000}, {0x00FF00, 0x123456, 0xFFFFFF}, {0x808080}, {0xABCDEF, 0x000000}};
    for (const std::vector<std::uint32_t>& colours : lists) {
        TList list;
        for (std::uint32_t c : colours) list.Add(Entry(c));
        g.SetColors(&list);
        TList* c = g.ComputedColors();
        if (colours.size() < 2) {
            EXPECT_EQ(c->Count(), 0) << "one colour makes none";
            continue;
        }
        ASSERT_GT(c->Count(), 1) << colours.size();
        EXPECT_EQ(Rgb(c->Items(0)), colours.front());
        EXPECT_EQ(Rgb(c->Items(c->Count() - 1)), colours.back());
        const HPALETTE palette = g.GetPalette();
        ASSERT_NE(palette, nullptr);
        std::vector<PALETTEENTRY> entries(std::size_t(c->Count()));
        ASSERT_EQ(GetPaletteEntries(palette, 0, UINT(c->Count()), entries.data()), UINT(c->Count()));
        for (int i = 0; i < c->Count(); ++i) {
            const PALETTEENTRY& e = entries[std::size_t(i)];
            EXPECT_EQ(std::uint32_t(RGB(e.peRed, e.peGreen, e.peBlue)), Rgb(c->Items(i))) << i;
        }
    }
    EXPECT_EQ(told, 0);
}

TEST(ZclGradient, PaintsItsComputedColours)
{
    TZCLGradient g;
    g.SetColor(TColor(0x0000FF));
    g.SetEndColor(TColor(0xFF0000));
    g.SetColorCount(4);
    g.SetStyle(gstHorizontal);
    drawtest::Surface s(40, 10);
    g.PaintGradient(s.Canvas(), TRect(0, 0, 40, 10));
    EXPECT_EQ(s.At(0, 0), 0x0000FFu);
    EXPECT_EQ(s.At(39, 9), 0xFF0000u);
    EXPECT_EQ(s.At(15, 5), Rgb(g.ComputedColors()->Items(1)));
}

namespace {

class TGradientHost : public TComponent {
public:
    explicit TGradientHost(TComponent* owner) : TComponent(owner) {}
    TZCLGradient* Gradient() const { return gradient_.get(); }
    TZCLShape* Shape() const { return shape_.get(); }
    TZCLTeeth* Teeth() const { return teeth_.get(); }
    TZCLShapeFill* Fill() const { return fill_.get(); }
    TZCLTransparent* Transparent() const { return transparent_.get(); }

private:
    std::unique_ptr<TZCLGradient> gradient_ = std::make_unique<TZCLGradient>();
    std::unique_ptr<TZCLShape> shape_ = std::make_unique<TZCLShape>();
    std::unique_ptr<TZCLTeeth> teeth_ = std::make_unique<TZCLTeeth>();
    std::unique_ptr<TZCLShapeFill> fill_ = std::make_unique<TZCLShapeFill>();
    std::unique_ptr<TZCLTransparent> transparent_ = std::make_unique<TZCLTransparent>();
};

const bool gradientHostPublished = [] {
    PublishedProperties<TGradientHost>()
        .Object("Gradient", &TGradientHost::Gradient, nullptr)
        .Object("Shape", &TGradientHost::Shape, nullptr)
        .Object("Teeth", &TGradientHost::Teeth, nullptr)
        .Object("Fill", &TGradientHost::Fill, nullptr)
        .Object("Transparent", &TGradientHost::Transparent, nullptr);
    return true;
}();

std::string Write(TGradientHost& host)
{
    TMemoryStream stream;
    stream.WriteComponent(&host);
    return std::string(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
}

void Read(const std::string& bytes, TGradientHost& into)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), int(bytes.size()));
    stream.SetPosition(0);
    stream.ReadComponent(&into);
}

}  // namespace

TEST(ZclGradient, TheColourListIsStoredOnlyWhenItHoldsColoursAndReplacesWhatIsThereOnReading)
{
    TGradientHost empty(nullptr);
    empty.SetName("Host");
    EXPECT_EQ(Write(empty).find("ColorList"), std::string::npos);

    TGradientHost host(nullptr);
    host.SetName("Host");
    TList colours;
    for (std::uint32_t c : {0x0000FFu, 0x00FF00u, 0xFF0000u}) colours.Add(Entry(c));
    host.Gradient()->SetColors(&colours);
    host.Gradient()->SetTwoColors(false);
    host.Gradient()->SetStyle(gstElliptic);
    const std::string bytes = Write(host);
    EXPECT_NE(bytes.find("Gradient.ColorList"), std::string::npos);

    TGradientHost read(nullptr);
    TList old;
    for (std::uint32_t c : {0x111111u, 0x222222u}) old.Add(Entry(c));
    read.Gradient()->SetColors(&old);
    int told = 0;
    read.Gradient()->SetOnChange(TNotifyEvent::From([&](TObject*) { ++told; }));
    Read(bytes, read);
    TList* list = read.Gradient()->ColorList();
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ(Rgb(list->Items(0)), 0x0000FFu);
    EXPECT_EQ(Rgb(list->Items(2)), 0xFF0000u);
    EXPECT_FALSE(read.Gradient()->TwoColors());
    EXPECT_EQ(read.Gradient()->Style(), gstElliptic);
    EXPECT_GT(told, 0);
    // The computed colours follow what was read.
    EXPECT_EQ(Rgb(read.Gradient()->ComputedColors()->Items(0)), 0x0000FFu);
}

TEST(ZclShapeOptions, DefaultsSummariesAndStoredValues)
{
    TZCLShape shape;
    EXPECT_EQ(shape.Shape(), stRectangle);
    EXPECT_EQ(shape.RoundPercent(), 33);
    EXPECT_FALSE(shape.Square());
    EXPECT_EQ(shape.Bevel()->Width(), 2);
    EXPECT_EQ(shape.Bevel()->Style(), sbNormal);
    EXPECT_EQ(shape.Bevel()->Color(), clBlack);
    EXPECT_EQ(shape.Bevel()->LightColor(), clBtnHighlight);
    EXPECT_EQ(shape.Bevel()->ShadowColor(), clBtnShadow);
    TZCLTeeth teeth;
    EXPECT_EQ(teeth.Count(), 10);
    EXPECT_EQ(teeth.Direction(), tdRight);
    EXPECT_TRUE(teeth.Offset());
    EXPECT_TRUE(teeth.SetPerCount());
    EXPECT_EQ(teeth.Width(), 10);
    EXPECT_EQ(teeth.Height(), 0);
    TZCLShapeFill fill;
    EXPECT_EQ(fill.Style(), sfBrush);
    EXPECT_EQ(fill.TileMode(), tmTile);
    TZCLGradient g;
    EXPECT_EQ(g.ColorCount(), 16);
    EXPECT_EQ(g.Color(), clBlue);
    EXPECT_EQ(g.EndColor(), clBlack);
    EXPECT_EQ(g.Style(), gstVertical);
    EXPECT_TRUE(g.TwoColors());
    EXPECT_FALSE(g.PaletteRealize());
    TZCLTransparent t;
    EXPECT_EQ(t.Color(), clBtnFace);
    EXPECT_EQ(t.Mode(), tpNone);

    const char* const bevelNames[] = {"{Normal}", "{Inset}", "{Offset}"};
    for (int i = 0; i < 3; ++i) {
        shape.Bevel()->SetStyle(TZCLSimpleBevelStyle(i));
        EXPECT_EQ(shape.Bevel()->GetSetStr(), bevelNames[i]);
    }
    const char* const fillNames[] = {"{Disabled}", "{}", "{Brush}", "{Bitmap}", "{BitmapList}", "{Gradient}"};
    for (int i = 0; i < 6; ++i) {
        fill.SetStyle(TZCLFillStyle(i));
        EXPECT_EQ(fill.GetSetStr(), fillNames[i]);
    }
    const char* const styleNames[] = {"horizontal", "vertical",    "square",       "elliptic",      "top left",
                                      "top right",  "bottom left", "bottom right", "top left diag", "top right diag"};
    for (int i = 0; i < 10; ++i) {
        g.SetStyle(TZCLGradientStyle(i));
        EXPECT_EQ(g.GetSetStr(), std::string(styleNames[i]) + ", Col: 16, 2 col mode");
    }
    g.SetTwoColors(false);
    g.SetColorCount(40);
    EXPECT_EQ(g.GetSetStr(), "top right diag, Col: 40, mult. col mode");

    struct Mode {
        TZCLTransparentMode mode;
        bool transparent;
    } const modes[] = {{tpNone, false}, {tpRestoreBack, true}, {tpTransparentColor, false}, {tpRBTranspColor, true}};
    for (const Mode& m : modes) {
        t.SetMode(m.mode);
        EXPECT_EQ(t.GetTransparent(), m.transparent) << int(m.mode);
    }

    // Values stream out and back.
    TGradientHost host(nullptr);
    host.SetName("Host");
    host.Shape()->SetShape(stStar);
    host.Shape()->SetSquare(true);
    host.Shape()->SetRoundPercent(70);
    host.Shape()->Bevel()->SetStyle(sbOffset);
    host.Shape()->Bevel()->SetWidth(5);
    host.Shape()->Bevel()->SetLightColor(clYellow);
    host.Shape()->Brush()->SetColor(clRed);
    host.Shape()->Brush()->SetStyle(bsDiagCross);
    host.Shape()->Shadow()->SetDepth(9);
    host.Teeth()->SetDirection(tdUp);
    host.Teeth()->SetOffset(false);
    host.Teeth()->SetHeight(-3);
    host.Fill()->SetStyle(sfGradient);
    host.Fill()->SetTileMode(tmStretch);
    host.Fill()->Gradient()->SetEndColor(clLime);
    host.Transparent()->SetMode(tpRBTranspColor);
    host.Transparent()->SetColor(clAqua);
    TGradientHost read(nullptr);
    Read(Write(host), read);
    EXPECT_EQ(read.Shape()->Shape(), stStar);
    EXPECT_TRUE(read.Shape()->Square());
    EXPECT_EQ(read.Shape()->RoundPercent(), 70);
    EXPECT_EQ(read.Shape()->Bevel()->Style(), sbOffset);
    EXPECT_EQ(read.Shape()->Bevel()->Width(), 5);
    EXPECT_EQ(read.Shape()->Bevel()->LightColor(), clYellow);
    EXPECT_EQ(read.Shape()->Brush()->Color(), clRed);
    EXPECT_EQ(read.Shape()->Brush()->Style(), bsDiagCross);
    EXPECT_EQ(read.Shape()->Shadow()->Depth(), 9);
    EXPECT_EQ(read.Teeth()->Direction(), tdUp);
    EXPECT_FALSE(read.Teeth()->Offset());
    EXPECT_EQ(read.Teeth()->Height(), -3);
    EXPECT_EQ(read.Fill()->Style(), sfGradient);
    EXPECT_EQ(read.Fill()->TileMode(), tmStretch);
    EXPECT_EQ(read.Fill()->Gradient()->EndColor(), clLime);
    EXPECT_EQ(read.Transparent()->Mode(), tpRBTranspColor);
    EXPECT_EQ(read.Transparent()->Color(), clAqua);
}

TEST(ZclShapeOptions, OwnedObjectsReportToTheirOwnerAndAssignNotifiesOnce)
{
    TZCLShape shape;
    std::vector<TObject*> told;
    shape.SetOnChange(TNotifyEvent::From([&](TObject* s) { told.push_back(s); }));
    shape.Bevel()->SetWidth(4);
    shape.Brush()->SetColor(clRed);
    shape.Shadow()->SetDepth(3);
    shape.SetShape(stDiamond);
    shape.SetShape(stDiamond);  // unchanged: nothing
    shape.SetRoundPercent(250);
    EXPECT_EQ(shape.RoundPercent(), 100);
    ASSERT_EQ(told.size(), 5u);
    for (TObject* s : told) EXPECT_EQ(s, &shape);

    TZCLSimpleBevel other;
    other.SetStyle(sbInset);
    other.SetColor(clNavy);
    told.clear();
    shape.SetBevel(&other);
    EXPECT_EQ(shape.Bevel()->Style(), sbInset);
    EXPECT_EQ(shape.Bevel()->Color(), clNavy);
    EXPECT_EQ(shape.Bevel()->Width(), 2);
    EXPECT_EQ(told.size(), 1u);

    // A shape fill: every part copied inside one update, one change at its end.
    TZCLShapeFill source;
    source.SetStyle(sfBitmapList);
    source.SetTileMode(tmCenter);
    source.Gradient()->SetColorCount(30);
    auto bmp = drawtest::MakeBitmap(6, 4, [](int, int) { return 0x00FF00u; });
    source.SetBitmap(bmp.get());
    auto listBmp = drawtest::MakeBitmap(3, 2, [](int, int) { return 0xFF0000u; });
    source.SetListBitmap(listBmp.get());
    TZCLShapeFill target;
    int fillTold = 0;
    target.SetOnChange(TNotifyEvent::From([&](TObject*) { ++fillTold; }));
    target.Assign(&source);
    EXPECT_EQ(fillTold, 1);
    EXPECT_EQ(target.Style(), sfBitmapList);
    EXPECT_EQ(target.TileMode(), tmCenter);
    EXPECT_EQ(target.Gradient()->ColorCount(), 30);
    EXPECT_EQ(target.Gradient()->ComputedColors()->Count(), 30);
    EXPECT_EQ(target.Bitmap()->Width(), 6);
    EXPECT_EQ(target.ListBitmap()->Width(), 3);
    EXPECT_EQ(target.GetBitmap(), target.ListBitmap());
    // Its bitmap and gradient tell the fill's owner; the list bitmap does not.
    fillTold = 0;
    target.Gradient()->SetStyle(gstSquare);
    target.Bitmap()->SetSize(2, 2);
    EXPECT_EQ(fillTold, 2);
    target.SetListBitmap(nullptr);
    EXPECT_EQ(fillTold, 2);
    EXPECT_TRUE(target.ListBitmap()->Empty());

    // A gradient: one change, the colours recomputed at the end.
    TZCLGradient from;
    from.SetColorCount(5);
    from.SetColor(clRed);
    from.SetTwoColors(false);
    TList colours;
    colours.Add(Entry(0x0000FF));
    colours.Add(Entry(0x00FF00));
    from.SetColors(&colours);
    TZCLGradient to;
    int gradientTold = 0;
    to.SetOnChange(TNotifyEvent::From([&](TObject*) { ++gradientTold; }));
    to.Assign(&from);
    EXPECT_EQ(gradientTold, 1);
    EXPECT_EQ(to.ColorList()->Count(), 2);
    EXPECT_EQ(to.ComputedColors()->Count(), 5);
    EXPECT_EQ(Rgb(to.ComputedColors()->Items(4)), 0x00FF00u);

    TZCLTeeth t1, t2;
    t1.SetCount(3);
    t1.SetDirection(tdLeft);
    t1.SetSetPerCount(false);
    t1.SetWidth(7);
    t1.SetHeight(8);
    t1.SetOffset(false);
    t2.Assign(&t1);
    EXPECT_EQ(t2.Count(), 3);
    EXPECT_EQ(t2.Direction(), tdLeft);
    EXPECT_FALSE(t2.SetPerCount());
    EXPECT_FALSE(t2.Offset());
    EXPECT_EQ(t2.Width(), 7);
    EXPECT_EQ(t2.Height(), 8);
    t1.SetCount(99);
    EXPECT_EQ(t1.Count(), 50);
    EXPECT_THROW(t2.Assign(&shape), EConvertError);
}

TEST(ZclShapeOptions, FillDecisionsByStyle)
{
    TZCLShapeFill fill;
    auto bmp = drawtest::MakeBitmap(4, 4, [](int, int) { return 0x00FF00u; });
    struct Case {
        TZCLFillStyle style;
        TZCLTileMode tile;
        bool withBitmap;
        bool empty, mustRedraw, hasBitmap;
        // clang-format off
    } const cases[] = {
        {sfNone, tmTile, true, true, true, false},
        {sfBrushBitmap, tmNone, true, false, false, false},
        {sfBrush, tmNone, false, false, false, false},
        {sfBitmap, tmTile, true, false, false, true},
        {sfBitmap, tmStretch, true, false, true, true},
        {sfBitmap, tmTile, false, true, false, true},
        {sfBitmapList, tmTile, true, false, false, true},
        {sfBitmapList, tmCenter, false, true, true, true},
        {sfGradient, tmTile, false, false, true, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        fill.SetStyle(c.style);
        fill.SetTileMode(c.tile);
        fill.SetBitmap(c.withBitmap ? bmp.get() : nullptr);
        fill.SetListBitmap(c.withBitmap ? bmp.get() : nullptr);
        EXPECT_EQ(fill.GetEmpty(), c.empty) << int(c.style);
        EXPECT_EQ(fill.GetMustRedraw(), c.mustRedraw) << int(c.style);
        EXPECT_EQ(fill.GetBitmap() != nullptr, c.hasBitmap) << int(c.style);
    }
    fill.SetStyle(sfGradient);
    EXPECT_EQ(fill.GetPalette(), nullptr);
    fill.Gradient()->SetPaletteRealize(true);
    EXPECT_EQ(fill.GetPalette(), fill.Gradient()->GetPalette());
    EXPECT_NE(fill.GetPalette(), nullptr);
}

TEST(ZclShapeHelpers, LightColoursAndTileModeFlags)
{
    struct Case {
        int value;
        TColor light, dark;
        // clang-format off
    } const cases[] = {
        {lcNone, clBtnFace, clBtnFace}, {lcBlue, clBlue, clNavy},    {lcRed, clRed, clMaroon},
        {lcGreen, clLime, clGreen},     {lcYellow, clYellow, clOlive}, {lcMarine, clAqua, clTeal},
        {lcPurple, clFuchsia, clPurple}, {128 + lcRed, clRed, clMaroon},
    };
    // clang-format on
    for (const Case& c : cases) {
        TColor light = clWhite, dark = clWhite;
        ZCLGetLightColors(c.value, light, dark);
        EXPECT_EQ(light, c.light) << c.value;
        EXPECT_EQ(dark, c.dark) << c.value;
    }
    for (int other : {7, 127, 200}) {
        TColor light = clWhite, dark = clGray;
        ZCLGetLightColors(other, light, dark);
        EXPECT_EQ(light, clWhite) << other;
        EXPECT_EQ(dark, clGray) << other;
    }
    EXPECT_EQ(ZCLTileMode2DSF(tmNone), 0);
    EXPECT_EQ(ZCLTileMode2DSF(tmCenter), 8);
    EXPECT_EQ(ZCLTileMode2DSF(tmStretch), 16);
    EXPECT_EQ(ZCLTileMode2DSF(tmTile), 32);
}

TEST(ZclShapeCalc, AWidePenMovesTheInnerPointsInByItsTwoHalves)
{
    // Pen width 6: h1 = 3 on the left and top, h2 = 2 on the right and bottom (100 x 60, no shadow).
    const TRect R(30, 40, 130, 100);
    auto bevel = BevelOf(6);
    struct Case {
        TZCLShapeType shape;
        std::vector<TPoint> points;
        // clang-format off
    } const cases[] = {
        {stEllipse, {{0, 0}, {100, 60}, {3, 3}, {98, 58}}},
        {stRectangle, {{0, 0}, {100, 60}, {3, 3}, {98, 58}}},
        {stRoundRect, {{0, 0}, {100, 60}, {19, 19}, {3, 3}, {100, 60}, {19, 19}}},
        {stDirectUp, {{50, 0}, {100, 60}, {0, 60}, {50, 3}, {98, 58}, {6, 60}}},
        {stDirectRight, {{0, 0}, {100, 30}, {0, 60}, {3, 3}, {98, 30}, {3, 58}}},
        {stDirectDown, {{0, 0}, {100, 0}, {50, 60}, {3, 3}, {98, 3}, {50, 60}}},
        {stDirectLeft, {{100, 0}, {0, 30}, {100, 60}, {98, 3}, {3, 30}, {98, 58}}},
        {stDiamond, {{50, 0}, {100, 30}, {50, 60}, {0, 30}, {50, 3}, {98, 30}, {50, 58}, {3, 30}}},
        {stComb,
         {{50, 0}, {100, 12}, {100, 48}, {50, 60}, {0, 48}, {0, 12},
          {50, 3}, {98, 15}, {98, 51}, {50, 58}, {3, 51}, {3, 15}}},
        {stOctagon,
         {{29, 0}, {70, 0}, {100, 18}, {100, 43}, {70, 60}, {29, 60}, {0, 43}, {0, 18},
          {32, 3}, {73, 3}, {98, 21}, {98, 46}, {73, 58}, {32, 58}, {3, 46}, {3, 21}}},
        // Only the five tips move; the left one by h2.
        {stStar,
         {{50, 0}, {65, 23}, {100, 23}, {70, 36}, {85, 60}, {50, 45}, {15, 60}, {30, 36}, {0, 23}, {35, 23},
          {50, 3}, {65, 23}, {98, 23}, {70, 36}, {85, 58}, {50, 45}, {15, 58}, {30, 36}, {2, 23}, {35, 23}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto got = Calc(R, c.shape, nullptr, false, 33, bevel.get(), nullptr);
        EXPECT_EQ(Text(got), Text(c.points)) << "shape " << int(c.shape);
    }
}
