#include <gtest/gtest.h>

#include <cstring>

#include "GraphicsTestHelpers.h"
#include "framework/visual/Graphics.h"

namespace {

struct ChangeCounter {
    int count = 0;
    TObject* sender = nullptr;
    void Changed(TObject* s)
    {
        ++count;
        sender = s;
    }
    TNotifyEvent Event() { return TNotifyEvent::From([this](TObject* s) { Changed(s); }); }
};

LOGFONTA FontData(HFONT font)
{
    LOGFONTA lf{};
    EXPECT_EQ(GetObjectA(font, sizeof lf, &lf), int(sizeof lf));
    return lf;
}

TEST(GraphicsFont, SizeAndHeightFollowPixelsPerInch)
{
    TFont f;
    f.SetPixelsPerInch(96);
    f.SetSize(8);
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    f.SetPixelsPerInch(120);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -17);
    // A positive height is the cell height: the size reads negative.
    f.SetPixelsPerInch(96);
    f.SetHeight(12);
    EXPECT_EQ(f.Size(), -9);
}

TEST(GraphicsFont, HandleCarriesTheProperties)
{
    TFont f;
    f.SetName("Courier New");
    f.SetHeight(-20);
    f.SetStyle({fsBold, fsUnderline});
    f.SetCharset(ANSI_CHARSET);
    f.SetPitch(fpFixed);
    const LOGFONTA lf = FontData(f.Handle());
    EXPECT_STREQ(lf.lfFaceName, "Courier New");
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_FALSE(lf.lfItalic);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_FALSE(lf.lfStrikeOut);
    EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(lf.lfPitchAndFamily & 3, FIXED_PITCH);
    EXPECT_EQ(f.Style(), TFontStyles({fsBold, fsUnderline}));
}

TEST(GraphicsFont, ChangingAPropertyReplacesTheHandleAndNotifiesOnce)
{
    TFont f;
    ChangeCounter changes;
    f.SetOnChange(changes.Event());
    HFONT before = f.Handle();
    f.SetSize(f.Size() + 4);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(changes.sender, &f);
    EXPECT_EQ(GetObjectType(before), 0u) << "the old font is deleted";
    EXPECT_NE(FontData(f.Handle()).lfHeight, 0);
    f.SetSize(f.Size());  // the same value: nothing happens
    EXPECT_EQ(changes.count, 1);
    HFONT h = f.Handle();
    f.SetColor(clRed);  // the colour is not in the font object
    EXPECT_EQ(changes.count, 2);
    EXPECT_EQ(f.Handle(), h);
}

TEST(GraphicsFont, SetHandleTakesOwnershipAndReadsTheFontBack)
{
    LOGFONTA lf{};
    lf.lfHeight = -15;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = TRUE;
    lf.lfEscapement = 450;
    lf.lfOrientation = 450;
    std::strcpy(lf.lfFaceName, "Arial");
    HFONT rotated = CreateFontIndirectA(&lf);
    {
        TFont f;
        f.SetHandle(rotated);
        EXPECT_EQ(f.Handle(), rotated);
        EXPECT_EQ(f.Name(), "Arial");
        EXPECT_EQ(f.Height(), -15);
        EXPECT_EQ(f.Style(), TFontStyles({fsBold, fsItalic}));
        // Other changes keep the escapement of the font it was given.
        f.SetHeight(-30);
        EXPECT_EQ(GetObjectType(rotated), 0u);
        EXPECT_EQ(FontData(f.Handle()).lfEscapement, 450);
        EXPECT_EQ(FontData(f.Handle()).lfHeight, -30);
    }
}

TEST(GraphicsFont, AssignCopiesEverythingAndNotifiesOnce)
{
    TFont a, b;
    a.SetName("Courier New");
    a.SetHeight(-13);
    a.SetColor(clNavy);
    a.SetStyle({fsItalic, fsStrikeOut});
    ChangeCounter changes;
    b.SetOnChange(changes.Event());
    b.Assign(&a);
    EXPECT_EQ(changes.count, 1);
    EXPECT_EQ(b.Name(), "Courier New");
    EXPECT_EQ(b.Height(), -13);
    EXPECT_EQ(b.Color(), clNavy);
    EXPECT_EQ(b.Style(), TFontStyles({fsItalic, fsStrikeOut}));
    EXPECT_NE(b.Handle(), a.Handle()) << "each font owns its own handle";
    TPen pen;
    EXPECT_THROW(b.Assign(&pen), EConvertError);
}

TEST(GraphicsBrush, HandleKindFollowsStyleAndBitmap)
{
    TBitmap pattern;
    pattern.SetSize(8, 8);
    const struct {
        TBrushStyle style;
        TBitmap* bitmap;
        UINT kind;
    } cases[] = {
        {bsSolid, nullptr, BS_SOLID},   {bsClear, nullptr, BS_NULL},     {bsHorizontal, nullptr, BS_HATCHED},
        {bsDiagCross, nullptr, BS_HATCHED}, {bsSolid, &pattern, BS_PATTERN},
    };
    for (const auto& c : cases) {
        TBrush b;
        b.SetColor(clTeal);
        b.SetStyle(c.style);
        b.SetBitmap(c.bitmap);
        LOGBRUSH lb{};
        ASSERT_NE(GetObjectA(b.Handle(), sizeof lb, &lb), 0);
        EXPECT_EQ(lb.lbStyle, c.kind) << int(c.style);
        if (c.kind == BS_SOLID) {
            EXPECT_EQ(lb.lbColor, COLORREF(clTeal));
        }
        if (c.kind == BS_HATCHED) {
            EXPECT_EQ(lb.lbHatch, ULONG_PTR(c.style == bsHorizontal ? HS_HORIZONTAL : HS_DIAGCROSS));
        }
    }
}

// Giving a clear brush a colour makes it solid again.
TEST(GraphicsBrush, ColourOnAClearBrushMakesItSolid)
{
    TBrush b;
    b.SetStyle(bsClear);
    b.SetColor(clRed);
    EXPECT_EQ(b.Style(), bsSolid);
    b.SetStyle(bsCross);
    b.SetColor(clBlue);
    EXPECT_EQ(b.Style(), bsCross);
}

TEST(GraphicsBrush, SystemColourIsResolvedInTheHandle)
{
    TBrush b;
    b.SetColor(clBtnFace);
    LOGBRUSH lb{};
    GetObjectA(b.Handle(), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
}

TEST(GraphicsPen, HandleCarriesStyleWidthAndColour)
{
    const struct {
        TPenStyle style;
        int width;
        UINT kind;
    } cases[] = {{psSolid, 3, PS_SOLID}, {psDot, 1, PS_DOT}, {psDash, 1, PS_DASH}, {psClear, 5, PS_NULL},
                 {psInsideFrame, 2, PS_INSIDEFRAME}};
    for (const auto& c : cases) {
        TPen p;
        p.SetColor(clMaroon);
        p.SetStyle(c.style);
        p.SetWidth(c.width);
        LOGPEN lp{};
        ASSERT_NE(GetObjectA(p.Handle(), sizeof lp, &lp), 0);
        EXPECT_EQ(lp.lopnStyle, c.kind) << int(c.style);
        if (c.style != psClear) {
            EXPECT_EQ(lp.lopnWidth.x, c.width);
            EXPECT_EQ(lp.lopnColor, COLORREF(clMaroon));
        }
    }
}

TEST(GraphicsPen, ModeChangeKeepsTheHandle)
{
    TPen p;
    ChangeCounter changes;
    p.SetOnChange(changes.Event());
    HPEN h = p.Handle();
    p.SetMode(pmXor);
    EXPECT_EQ(p.Handle(), h);
    EXPECT_EQ(changes.count, 1);
    TPen q;
    q.Assign(&p);
    EXPECT_EQ(q.Mode(), pmXor);
}

TEST(GraphicsObjects, NoGdiObjectOutlivesItsOwner)
{
    auto cycle = [] {
        TFont f;
        f.Handle();
        f.SetSize(20);
        f.Handle();
        TBrush b;
        b.Handle();
        b.SetStyle(bsCross);
        b.Handle();
        TPen p;
        p.Handle();
        p.SetWidth(4);
        p.Handle();
    };
    cycle();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 200; ++i) cycle();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

// The count the leak tests rely on moves with every object made and freed.
TEST(GraphicsObjects, GdiCountSeesObjects)
{
    const int before = gfxtest::GdiObjectsInUse();
    HBRUSH b = CreateSolidBrush(0);
    HPEN p = CreatePen(PS_SOLID, 1, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before + 3);
    DeleteObject(b);
    DeleteObject(p);
    DeleteDC(dc);
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

}  // namespace
