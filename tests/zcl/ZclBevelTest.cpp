// Bevels and shadows: extents by mode, the paired shadow styles, client rectangles, what PaintBevel draws (and
// that the rectangle it gives back is the client rectangle), the re-create request, and the shadow's summary.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "DrawTestHelpers.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclbevel.h"
#include "zcl/graphics/Zclshadow.h"

using namespace drawtest;

namespace {

constexpr std::uint32_t Ground = 0x123456;
constexpr std::uint32_t Light = 0x00FF00;
constexpr std::uint32_t Dark = 0x0000FF;
constexpr std::uint32_t BorderC = 0xFF0000;

void Colour(TZCLBevel& b)
{
    b.SetLightColor(TColor(Light));
    b.SetShadowColor(TColor(Dark));
    b.SetBorderColor(TColor(BorderC));
}

}  // namespace

TEST(ZclBevel, TheDefaultBevelHasNoExtentAndDrawsNothing)
{
    TZCLBevel bevel;
    EXPECT_EQ(bevel.GetBevelExtend(), 0);
    EXPECT_EQ(bevel.FrameExtent(), 0);
    Surface s(40, 40, Ground);
    TRect inner;
    bevel.PaintBevel(s.Canvas(), TRect(2, 2, 38, 38), false, inner);
    EXPECT_TRUE(SameRect(inner, TRect(2, 2, 38, 38)));
    EXPECT_EQ(s.Count(Ground), 1600);
    EXPECT_EQ(bevel.GetSetStr(), "{Custom style}");
}

TEST(ZclBevel, ExtentsByModeAndThePaintedFrameMatchesTheClientRectangle)
{
    struct Case {
        const char* name;
        std::function<void(TZCLBevel&)> set;
        int extent;
    } const cases[] = {
        {"lowered 2, frame raised 1, border 3",
         [](TZCLBevel& b) {
             b.SetStyleOuter(bvLowered);
             b.SetWidthOuter(2);
             b.SetStyleInner(bvFrameRaised);
             b.SetWidthInner(1);
             b.SetBorderWidth(3);
         },
         7},
        {"only borders", [](TZCLBevel& b) {
             b.SetBorderWidth(2);
             b.SetBorderInnerWidth(1);
         }, 3},
        {"raised 3 and inner border",
         [](TZCLBevel& b) {
             b.SetStyleInner(bvRaised);
             b.SetWidthInner(3);
             b.SetBorderInnerWidth(2);
         },
         5},
        {"standard raised",
         [](TZCLBevel& b) {
             b.SetMode(bmStandard);
             b.SetStandardStyle(lsRaised);
             b.SetBorderInnerWidth(2);
         },
         4},
        {"standard single lowered", [](TZCLBevel& b) { b.SetMode(bmStandard); }, 1},
        {"edge on all sides", [](TZCLBevel& b) {
             b.SetMode(bmEdge);
             b.SetBorderInnerWidth(1);
         }, 3},
        {"edge without sides",
         [](TZCLBevel& b) {
             b.SetMode(bmEdge);
             b.SetBorderSides(TZCLFrameSides{});
             b.SetBorderInnerWidth(2);
         },
         2},
        {"windows", [](TZCLBevel& b) { b.SetMode(bmWindows); }, 2},
        {"windows with the window's own border",
         [](TZCLBevel& b) {
             b.SetNativeBorder(true);
             b.SetMode(bmWindows);
             b.SetBorderInnerWidth(4);
         },
         0},
    };
    const TRect R(3, 3, 47, 37);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TZCLBevel bevel;
        Colour(bevel);
        c.set(bevel);
        EXPECT_EQ(bevel.GetBevelExtend(), c.extent);
        EXPECT_EQ(bevel.FrameExtent(), c.extent);
        EXPECT_EQ(bevel.ClientExtent(), c.extent);
        TRect client;
        bevel.ClientRect(R, client);
        EXPECT_TRUE(SameRect(client, TRect(3 + c.extent, 3 + c.extent, 47 - c.extent, 37 - c.extent)));
        for (bool skip : {false, true}) {
            Surface s(50, 40, Ground);
            TRect inner;
            bevel.PaintBevel(s.Canvas(), R, skip, inner);
            EXPECT_TRUE(SameRect(inner, client)) << (skip ? "skipping fills" : "filling");
            EXPECT_EQ(s.CountOther(Ground, inner), 0);
            EXPECT_EQ(s.CountOther(Ground, TRect(0, 0, 50, 3)), 0);
            if (!skip && c.extent > 0 && bevel.BorderInnerWidth() > 0) {
                EXPECT_EQ(s.At(inner.left - 1, 20), BorderC);  // the inner border lies just outside the client
            }
        }
    }
}

TEST(ZclBevel, CustomBevelsInLightAndShadow)
{
    TZCLBevel bevel;
    Colour(bevel);
    bevel.SetStyleOuter(bvRaised);
    bevel.SetWidthOuter(2);
    bevel.SetBorderWidth(1);
    bevel.SetStyleInner(bvLowered);
    Surface s(40, 40, Ground);
    TRect inner;
    bevel.PaintBevel(s.Canvas(), TRect(0, 0, 40, 40), false, inner);
    EXPECT_TRUE(SameRect(inner, TRect(4, 4, 36, 36)));
    EXPECT_EQ(s.At(0, 20), Light);   // raised outer: light on the left
    EXPECT_EQ(s.At(39, 20), Dark);   // and dark on the right
    EXPECT_EQ(s.At(2, 20), BorderC);  // the border between
    EXPECT_EQ(s.At(3, 20), Dark);    // lowered inner: dark on the left
    EXPECT_EQ(s.At(36, 20), Light);
}

TEST(ZclBevel, AShadowBevelFramesAllRoundAndShadowsRightAndBottom)
{
    TZCLBevel bevel;
    Colour(bevel);
    bevel.SetStyleOuter(bvShadow);
    EXPECT_EQ(bevel.StyleInner(), bvShadow);
    bevel.SetWidthInner(2);  // the frame
    bevel.SetWidthOuter(5);  // the shadow
    bevel.SetBorderInnerWidth(1);
    EXPECT_EQ(bevel.FrameExtent(), 3);
    EXPECT_EQ(bevel.ClientExtent(), 8);
    const TRect R(0, 0, 40, 40);
    TRect client;
    bevel.ClientRect(R, client);
    EXPECT_TRUE(SameRect(client, TRect(3, 3, 32, 32)));
    for (bool skip : {false, true}) {
        SCOPED_TRACE(skip ? "skipping fills" : "filling");
        Surface s(40, 40, Ground);
        TRect inner;
        bevel.PaintBevel(s.Canvas(), R, skip, inner);
        EXPECT_TRUE(SameRect(inner, client));
        EXPECT_EQ(s.At(37, 20), Dark);                       // the shadow on the right
        EXPECT_EQ(s.At(20, 37), Dark);                       // and at the bottom
        EXPECT_EQ(s.At(37, 2), skip ? Ground : BorderC);     // its free corner
        EXPECT_EQ(s.At(0, 20), Light);                       // the frame
        EXPECT_EQ(s.At(1, 20), Light);
        EXPECT_EQ(s.At(2, 20), skip ? Ground : BorderC);     // the inner border
        EXPECT_EQ(s.CountOther(Ground, inner), 0);
    }
    // Leaving the shadow takes the other style along.
    bevel.SetStyleOuter(bvRaised);
    EXPECT_EQ(bevel.StyleInner(), bvNone);
    bevel.SetStyleInner(bvShadow);
    EXPECT_EQ(bevel.StyleOuter(), bvShadow);
    bevel.SetStyleInner(bvFrameLowered);
    EXPECT_EQ(bevel.StyleOuter(), bvNone);
}

TEST(ZclBevel, EdgesOnTheChosenSides)
{
    TZCLBevel bevel;
    bevel.SetMode(bmEdge);
    bevel.SetEdgeStyle(etSunkenOuter);
    bevel.SetBorderSides(TZCLFrameSides{fsLeft, fsBottom});
    Surface s(40, 40, Ground);
    TRect inner;
    bevel.PaintBevel(s.Canvas(), TRect(0, 0, 40, 40), false, inner);
    EXPECT_TRUE(SameRect(inner, TRect(2, 2, 38, 38)));
    EXPECT_EQ(s.At(0, 20), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(s.At(20, 39), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(s.At(39, 20), Ground);  // no right side
    EXPECT_EQ(s.At(20, 0), Ground);   // no top
    EXPECT_EQ(bevel.GetSetStr(), "{Etged style}");
}

TEST(ZclBevel, ModeChangesAroundTheWindowsOwnBorderAskForANewWindow)
{
    TZCLBevel plain;
    plain.SetMode(bmWindows);
    EXPECT_FALSE(plain.GetRecreateWnd());  // no window border in use

    TZCLBevel bevel;
    bevel.SetNativeBorder(true);
    bevel.SetMode(bmEdge);
    EXPECT_FALSE(bevel.GetRecreateWnd());
    bevel.SetMode(bmWindows);
    EXPECT_TRUE(bevel.GetRecreateWnd());
    EXPECT_TRUE(bevel.GetRecreateWnd());  // while the window's border serves, always
    bevel.SetMode(bmCustom);
    EXPECT_TRUE(bevel.GetRecreateWnd());   // the request from leaving bmWindows...
    EXPECT_FALSE(bevel.GetRecreateWnd());  // ...is read once
    EXPECT_EQ(bevel.GetSetStr(), "{Custom style}");
}

TEST(ZclBevel, SettersNotifyOnlyOnChangeAndStandardStyleOnlyInStandardMode)
{
    TZCLBevel bevel;
    int changes = 0;
    bevel.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    bevel.SetStandardStyle(lsRaised);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(bevel.StandardStyle(), lsRaised);  // stored all the same
    bevel.SetMode(bmStandard);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bevel.FrameExtent(), 2);
    bevel.SetStandardStyle(lsSingle);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(bevel.FrameExtent(), 1);
    bevel.SetStandardStyle(lsSingle);
    bevel.SetWidth(0, 1);
    bevel.SetColor(1, clBtnHighlight);
    bevel.SetBorderSides(TZCLFrameSides{fsBottom, fsLeft, fsRight, fsTop});
    EXPECT_EQ(changes, 2);
    bevel.SetWidthOuter(80);  // held to 50
    EXPECT_EQ(bevel.WidthOuter(), 50);
    bevel.SetBorderWidth(300);
    EXPECT_EQ(bevel.BorderWidth(), 255);
    EXPECT_EQ(changes, 4);

    TZCLBevel copy;
    copy.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    bevel.SetNativeBorder(true);
    changes = 0;
    copy.Assign(&bevel);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.Mode(), bmStandard);
    EXPECT_EQ(copy.StandardStyle(), lsSingle);
    EXPECT_EQ(copy.BorderWidth(), 255);
    EXPECT_TRUE(copy.NativeBorder());
    EXPECT_EQ(copy.FrameExtent(), 1);
}

TEST(ZclShadow, DefaultsSummaryAndAssign)
{
    TZCLShadow shadow;
    EXPECT_EQ(shadow.Color(), clBtnShadow);
    EXPECT_EQ(shadow.Depth(), 6);
    EXPECT_EQ(shadow.Style(), hssSolid);
    EXPECT_EQ(shadow.GetSetStr(), "{solid, 6}");
    shadow.SetStyle(hssTracing);
    shadow.SetDepth(41);
    EXPECT_EQ(shadow.GetSetStr(), "{tracing, 40}");
    shadow.SetStyle(hssNone);
    EXPECT_EQ(shadow.GetSetStr(), "{Disabled}");

    TZCLShadow copy;
    int changes = 0;
    copy.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    shadow.SetColor(clNavy);
    copy.Assign(&shadow);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.Color(), clNavy);
    EXPECT_EQ(copy.Depth(), 40);
    EXPECT_EQ(copy.Style(), hssNone);
    copy.SetDepth(40);
    EXPECT_EQ(changes, 1);
}
