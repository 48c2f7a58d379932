#include <gtest/gtest.h>

#include "GraphicsTestHelpers.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Streams.h"

namespace {

using gfxtest::RawDib;

constexpr std::uint32_t Red = 0x0000FF, Lime = 0x00FF00, Blue = 0xFF0000, Black = 0x000000;

// A 16 x 16 icon: red with a blue square at (4, 4)-(8, 8); the 4 x 4 top-left corner is transparent.
HICON MakeIcon()
{
    TBitmap color;
    color.SetPixelFormat(pf24bit);
    color.SetSize(16, 16);
    color.Canvas()->Brush()->SetColor(clRed);
    color.Canvas()->FillRect(Rect(0, 0, 16, 16));
    color.Canvas()->Brush()->SetColor(clBlue);
    color.Canvas()->FillRect(Rect(4, 4, 8, 8));
    color.Canvas()->Brush()->SetColor(clBlack);
    color.Canvas()->FillRect(Rect(0, 0, 4, 4));  // black under the transparent part
    TBitmap mask;
    mask.SetMonochrome(true);
    mask.SetSize(16, 16);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(0, 0, 16, 16));
    mask.Canvas()->Brush()->SetColor(clWhite);
    mask.Canvas()->FillRect(Rect(0, 0, 4, 4));
    ICONINFO ii{TRUE, 0, 0, mask.Handle(), color.Handle()};
    return CreateIconIndirect(&ii);
}

// A monochrome icon: and-mask over xor-image in one 16 x 32 bitmap; black with the top-left 4 x 4 transparent.
HICON MakeMonoIcon()
{
    TBitmap both;
    both.SetMonochrome(true);
    both.SetSize(16, 32);
    both.Canvas()->Brush()->SetColor(clBlack);
    both.Canvas()->FillRect(Rect(0, 0, 16, 32));
    both.Canvas()->Brush()->SetColor(clWhite);
    both.Canvas()->FillRect(Rect(0, 0, 4, 4));
    ICONINFO ii{TRUE, 0, 0, both.Handle(), nullptr};
    return CreateIconIndirect(&ii);
}

void ExpectIconPixels(TGraphic* icon, std::uint32_t inside, std::uint32_t square)
{
    RawDib target(16, 16, Lime);
    TCanvas c;
    c.SetHandle(target.dc());
    c.Draw(0, 0, icon);
    EXPECT_EQ(target.at(1, 1), Lime) << "transparent";
    EXPECT_EQ(target.at(12, 12), inside);
    EXPECT_EQ(target.at(5, 5), square);
}

TEST(GraphicsIcon, TakesAHandleAndKnowsItsSize)
{
    TIcon icon;
    EXPECT_TRUE(icon.Empty());
    int changes = 0;
    icon.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    HICON h = MakeIcon();
    icon.SetHandle(h);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(icon.Empty());
    EXPECT_EQ(icon.Handle(), h);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Height(), 16);
    EXPECT_THROW(icon.SetWidth(32), EInvalidGraphicOperation);
    EXPECT_THROW(icon.SetHeight(32), EInvalidGraphicOperation);
    ExpectIconPixels(&icon, Red, Blue);
    TIcon mono;
    mono.SetHandle(MakeMonoIcon());
    EXPECT_EQ(mono.Height(), 16);
}

TEST(GraphicsIcon, AssignCopiesTheIcon)
{
    TIcon a, b;
    a.SetHandle(MakeIcon());
    b.Assign(&a);
    EXPECT_NE(b.Handle(), a.Handle());
    EXPECT_EQ(b.Width(), 16);
    a.SetHandle(nullptr);
    EXPECT_TRUE(a.Empty());
    ExpectIconPixels(&b, Red, Blue);
    b.Assign(&a);
    EXPECT_TRUE(b.Empty());
    TBitmap bmp;
    EXPECT_THROW(b.Assign(&bmp), EConvertError);
}

TEST(GraphicsIcon, IconFileRoundTrip)
{
    for (bool colour : {true, false}) {
        TIcon icon;
        icon.SetHandle(colour ? MakeIcon() : MakeMonoIcon());
        TMemoryStream s;
        icon.SaveToStream(&s);
        s.WriteBuffer("END", 3);
        s.SetPosition(0);
        TIcon back;
        back.LoadFromStream(&s);
        EXPECT_EQ(back.Width(), 16);
        EXPECT_EQ(back.Height(), 16);
        EXPECT_EQ(s.Position(), s.Size() - 3) << "only the icon is read";
        ExpectIconPixels(&back, colour ? Red : Black, colour ? Blue : Black);
    }
}

TEST(GraphicsIcon, DamagedIconDataIsRefused)
{
    const unsigned char notIcons[][22] = {
        {0, 0, 2, 0, 1, 0},                                      // a cursor directory
        {0, 0, 1, 0, 0, 0},                                      // no images
        {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0xFF, 0xFF, 0xFF, 0x7F, 22, 0, 0, 0},  // beyond the end
    };
    for (const auto& bytes : notIcons) {
        TMemoryStream s;
        s.WriteBuffer(bytes, sizeof bytes);
        s.SetPosition(0);
        TIcon icon;
        EXPECT_THROW(icon.LoadFromStream(&s), EInvalidGraphic);
        EXPECT_TRUE(icon.Empty());
    }
}

TEST(GraphicsPicture, HoldsACopyOfTheGraphicAndReportsItsChanges)
{
    TPicture p;
    int changes = 0;
    p.SetOnChange(TNotifyEvent::From([&](TObject* s) {
        EXPECT_EQ(s, &p);
        ++changes;
    }));
    TBitmap b;
    b.SetSize(5, 3);
    p.SetGraphic(&b);
    EXPECT_EQ(changes, 1);
    ASSERT_NE(p.Graphic(), nullptr);
    EXPECT_NE(p.Graphic(), &b);
    EXPECT_EQ(p.Width(), 5);
    EXPECT_EQ(p.Height(), 3);
    p.Bitmap()->Canvas()->FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(changes, 2);
    // Asking for an icon replaces the bitmap, and the other way round.
    TIcon* icon = p.Icon();
    EXPECT_TRUE(icon->Empty());
    EXPECT_EQ(p.Width(), 0);
    icon->SetHandle(MakeIcon());
    EXPECT_EQ(p.Width(), 16);
    TPicture q;
    q.Assign(&p);
    EXPECT_NE(dynamic_cast<TIcon*>(q.Graphic()), nullptr);
    EXPECT_TRUE(q.Bitmap()->Empty());
    q.SetGraphic(nullptr);
    EXPECT_EQ(q.Graphic(), nullptr);
}

TEST(GraphicsPicture, FilesByExtension)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const AnsiString bmp = AnsiString(dir) + "gfxpicture.bmp", ico = AnsiString(dir) + "gfxpicture.ico";
    TPicture p;
    EXPECT_THROW(p.SaveToFile(bmp), EInvalidGraphicOperation);
    p.Bitmap()->SetSize(3, 2);
    p.SaveToFile(bmp);
    p.Icon()->SetHandle(MakeIcon());
    p.SaveToFile(ico);
    TPicture back;
    back.LoadFromFile(bmp);
    EXPECT_NE(dynamic_cast<TBitmap*>(back.Graphic()), nullptr);
    EXPECT_EQ(back.Width(), 3);
    back.LoadFromFile(ico);
    EXPECT_NE(dynamic_cast<TIcon*>(back.Graphic()), nullptr);
    ExpectIconPixels(back.Graphic(), Red, Blue);
    EXPECT_THROW(back.LoadFromFile(AnsiString(dir) + "gfxpicture.gif"), EInvalidGraphic);
    DeleteFileA(bmp.c_str());
    DeleteFileA(ico.c_str());
}

TEST(GraphicsPicture, IconAndPictureCyclesReleaseEveryGdiObject)
{
    auto cycle = [] {
        TIcon icon;
        icon.SetHandle(MakeIcon());
        TMemoryStream s;
        icon.SaveToStream(&s);
        s.SetPosition(0);
        TPicture p;
        p.Icon()->LoadFromStream(&s);
        TPicture q;
        q.Assign(&p);
        RawDib target(16, 16);
        TCanvas c;
        c.SetHandle(target.dc());
        c.Draw(0, 0, q.Graphic());
        q.Bitmap()->SetSize(4, 4);
    };
    cycle();
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 0; i < 100; ++i) cycle();
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

}  // namespace
