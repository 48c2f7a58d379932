// The form shape on real forms: the window region read back after loading and after sizing, with and without
// border, caption strip and shadow; a bitmap shape sizing the form (and an empty one leaving it); the client area
// answering as the caption; the background painted on erase; disabling; the one-per-form rule at design time;
// GDI objects over many re-regionings; and a shaped window on screen saved as a screenshot.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "DrawTestHelpers.h"
#include "RegionTestHelpers.h"
#include "framework/GraphicsTestHelpers.h"
#include "framework/visual/Forms.h"
#include "framework/visual/StdCtrls.h"
#include "support/Screenshot.h"
#include "support/Wait.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclregion.h"

using rgntest::Combined;
using rgntest::SameRegion;

namespace {

class FormShape : public testing::Test {
protected:
    // A form with a form shape made while it loads, as a form built in code has it.
    void Make(TFormBorderStyle border, int width, int height, const std::function<void(TZCLFormShape*)>& setUp = {})
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(border);
        form->SetBounds(60, 60, width, height);
        TComponentLoader loading(form.get());
        shape = new TZCLFormShape(form.get());
        if (setUp) setUp(shape);
        loading.Finish();
    }
    void TearDown() override { form.reset(); }

    HWND Wnd() { return form->Handle(); }
    // The region the form should have: the shape for its client area, moved past frame and caption, with the
    // caption strip added or cut.
    HRGN Expected(HRGN clientShape, int fx, int fy, int caption, bool withCaption)
    {
        OffsetRgn(clientShape, fx, fy + caption);
        return Combined(clientShape, CreateRectRgn(0, 0, form->Width(), fy + caption), withCaption ? RGN_OR : RGN_DIFF);
    }

    std::unique_ptr<TForm> form;
    TZCLFormShape* shape = nullptr;  // owned by the form
};

}  // namespace

TEST_F(FormShape, ABorderlessFormTakesTheShapeOnLoading)
{
    Make(bsNone, 160, 100, [](TZCLFormShape* s) { s->Region()->SetShape(rsElliptic); });
    RegionHandle window(rgntest::WindowRegion(Wnd()));
    RegionHandle expected(CreateEllipticRgn(-1, -1, 161, 101));
    EXPECT_TRUE(SameRegion(window.get(), expected.get()));

    // Sized, it is re-regioned.
    form->SetBounds(60, 60, 200, 90);
    RegionHandle resized(rgntest::WindowRegion(Wnd()));
    RegionHandle wider(CreateEllipticRgn(-1, -1, 201, 91));
    EXPECT_TRUE(SameRegion(resized.get(), wider.get()));

    // Disabled, it has its plain outline back; enabled again, the shape.
    shape->SetEnabled(false);
    EXPECT_EQ(rgntest::WindowRegion(Wnd()), nullptr);
    shape->SetEnabled(true);
    RegionHandle back(rgntest::WindowRegion(Wnd()));
    EXPECT_TRUE(SameRegion(back.get(), wider.get()));
}

TEST_F(FormShape, FrameCaptionStripAndShadow)
{
    const int fx = GetSystemMetrics(SM_CXFRAME), fy = GetSystemMetrics(SM_CYFRAME);
    const int c = GetSystemMetrics(SM_CYCAPTION);
    Make(bsSizeable, 220, 160, [](TZCLFormShape* s) { s->Region()->SetShape(rsDiamond); });
    const TRect client(-1, -1, 220 - 2 * fx + 1, 160 - 2 * fy - c + 1);
    {
        RegionHandle window(rgntest::WindowRegion(Wnd()));
        RegionHandle expected(Expected(ZCLCreateDiamondRgn(client), fx, fy, c, true));
        EXPECT_TRUE(SameRegion(window.get(), expected.get()));
    }
    shape->SetShowFormCaption(false);
    {
        RegionHandle window(rgntest::WindowRegion(Wnd()));
        RegionHandle expected(Expected(ZCLCreateDiamondRgn(client), fx, fy, c, false));
        EXPECT_TRUE(SameRegion(window.get(), expected.get()));
    }
    // A solid shadow: the shape loses the depth and is joined by itself moved by it.
    shape->SetShowFormCaption(true);
    shape->Region()->Shadow()->SetStyle(hssSolid);
    shape->Region()->Shadow()->SetDepth(5);
    {
        const TRect smaller(client.left, client.top, client.right - 5, client.bottom - 5);
        HRGN body = ZCLCreateDiamondRgn(smaller);
        OffsetRgn(body, fx, fy + c);
        HRGN moved = ZCLCreateDiamondRgn(smaller);
        OffsetRgn(moved, fx + 5, fy + c + 5);
        HRGN both = Combined(body, moved, RGN_OR);
        RegionHandle expected(Combined(both, CreateRectRgn(0, 0, 220, fy + c), RGN_OR));
        RegionHandle window(rgntest::WindowRegion(Wnd()));
        EXPECT_TRUE(SameRegion(window.get(), expected.get()));
    }
    // A tool window: its frame and small caption.
    Make(bsToolWindow, 200, 120, [](TZCLFormShape* s) { s->Region()->SetShape(rsRect); });
    const int dx = GetSystemMetrics(SM_CXDLGFRAME), dy = GetSystemMetrics(SM_CYDLGFRAME);
    const int sc = GetSystemMetrics(SM_CYSMCAPTION);
    RegionHandle window(rgntest::WindowRegion(Wnd()));
    RegionHandle expected(Expected(CreateRectRgn(-1, -1, 200 - 2 * dx + 1, 120 - 2 * dy - sc + 1), dx, dy, sc, true));
    EXPECT_TRUE(SameRegion(window.get(), expected.get()));
}

TEST_F(FormShape, ABitmapShapeSizesTheFormToItsPictureUnlessThereIsNone)
{
    // An empty mask leaves the form as it is.
    Make(bsNone, 150, 90, [](TZCLFormShape* s) { s->Region()->SetShape(rsBitmap); });
    EXPECT_EQ(form->Width(), 150);
    EXPECT_EQ(form->Height(), 90);

    auto picture = drawtest::MakeBitmap(
        70, 50, [](int x, int y) { return (x - 35) * (x - 35) + (y - 25) * (y - 25) < 400 ? 0x0000FFu : 0xFFFFFFu; });
    RegionHandle disc(CreateEllipticRgn(15, 5, 55, 45));
    shape->Region()->Mask()->GetRegionData(disc.get());
    shape->Region()->Mask()->SetBorderBmp(0, picture.get());
    EXPECT_EQ(form->Width(), 70);
    EXPECT_EQ(form->Height(), 50);
    RegionHandle window(rgntest::WindowRegion(Wnd()));
    EXPECT_TRUE(SameRegion(window.get(), disc.get()));

    // The border bitmap is the form's background and the picture behind transparent children.
    EXPECT_TRUE(shape->BackBitmapCheck());
    EXPECT_EQ(shape->BackBitmap(), shape->Region()->Mask()->BorderBmp());
    drawtest::Surface s(70, 50, 0x123456);
    EXPECT_EQ(SendMessageA(Wnd(), WM_ERASEBKGND, WPARAM(s.dc()), 0), 1);
    EXPECT_EQ(s.At(35, 25), 0x0000FFu);
    EXPECT_EQ(s.At(2, 2), 0xFFFFFFu);
    drawtest::Surface part(10, 10, 0);
    shape->BackDrawArea(part.Canvas(), TRect(0, 0, 10, 10), TPoint(30, 20));
    EXPECT_EQ(part.At(5, 5), 0x0000FFu);
    EXPECT_TRUE(shape->BackMapPoint(TPoint(3, 4)) == TPoint(3, 4));
}

TEST_F(FormShape, TheClientAreaAnswersAsTheCaptionExceptOverChildren)
{
    Make(bsNone, 160, 100, [](TZCLFormShape* s) { s->Region()->SetShape(rsRect); });
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 10, 40, 24);
    auto hit = [&](int x, int y) {
        POINT p{x, y};
        ClientToScreen(Wnd(), &p);
        return SendMessageA(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    };
    EXPECT_EQ(hit(100, 60), HTCAPTION);
    EXPECT_EQ(hit(20, 20), HTCLIENT);
    // While a non-client button is down the client stays the client.
    SendMessageA(Wnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    EXPECT_EQ(hit(100, 60), HTCLIENT);
    SendMessageA(Wnd(), WM_CAPTURECHANGED, 0, 0);
    EXPECT_EQ(hit(100, 60), HTCAPTION);
    SendMessageA(Wnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    SendMessageA(Wnd(), WM_NCLBUTTONUP, HTCAPTION, 0);
    EXPECT_EQ(hit(100, 60), HTCAPTION);
    shape->SetFormDragable(false);
    EXPECT_EQ(hit(100, 60), HTCLIENT);
}

TEST_F(FormShape, TheBackgroundIsTheFillWithTheBorderOnIt)
{
    Make(bsNone, 120, 80, [](TZCLFormShape* s) {
        s->Region()->SetShape(rsRect);
        s->Region()->Border()->SetStyle(rbSingle);
        s->Region()->Border()->SetSingleColor(TColor(0x00FF00));
        s->FillObject()->SetStyle(sfBrush);
        s->FillObject()->Brush()->SetColor(TColor(0x0000FF));
    });
    drawtest::Surface s(120, 80, 0x123456);
    EXPECT_EQ(SendMessageA(Wnd(), WM_ERASEBKGND, WPARAM(s.dc()), 0), 1);
    EXPECT_EQ(s.At(60, 40), 0x0000FFu);
    EXPECT_EQ(s.At(60, 0), 0x00FF00u);
    EXPECT_EQ(s.At(0, 40), 0x00FF00u);
    EXPECT_TRUE(shape->BackBitmapCheck());
    EXPECT_EQ(drawtest::PixelOf(shape->BackBitmap(), 60, 40), 0x0000FFu);
    EXPECT_FALSE(drawtest::ClipOf(s.dc()).has);

    // Without a fill the form's own erase runs first, then the border.
    shape->FillObject()->SetStyle(sfNone);
    EXPECT_FALSE(shape->BackBitmapCheck());
    EXPECT_EQ(shape->BackBitmap(), nullptr);
    s.Fill(0x123456);
    EXPECT_EQ(SendMessageA(Wnd(), WM_ERASEBKGND, WPARAM(s.dc()), 0), 1);
    EXPECT_EQ(s.At(60, 40), std::uint32_t(ColorToRGB(form->Color())) & 0xFFFFFF);
    EXPECT_EQ(s.At(60, 0), 0x00FF00u);
}

TEST_F(FormShape, UserPolygonsAndRegionsBecomeTheFormsOutline)
{
    Make(bsNone, 160, 100);
    const std::vector<TPoint> arrow{{0, 0}, {150, 50}, {0, 99}, {40, 50}};
    shape->Region()->SetShape(rsPointList);
    shape->SetPolygonShape(arrow);
    RegionHandle expected(CreatePolygonRgn(arrow.data(), 4, ALTERNATE));
    RegionHandle window(rgntest::WindowRegion(Wnd()));
    EXPECT_TRUE(SameRegion(window.get(), expected.get()));

    RegionHandle ring(Combined(CreateEllipticRgn(0, 0, 100, 100), CreateEllipticRgn(30, 30, 70, 70), RGN_DIFF));
    shape->Region()->SetShape(rsUserRegion);
    shape->SetRegionShape(ring.get());
    RegionHandle window2(rgntest::WindowRegion(Wnd()));
    EXPECT_TRUE(SameRegion(window2.get(), ring.get()));
}

TEST_F(FormShape, OnlyOneFormShapeAtDesignTime)
{
    form = std::make_unique<TForm>(nullptr);
    form->SetDesigning(true, false);
    auto* first = new TZCLFormShape(form.get());
    EXPECT_NE(first, nullptr);
    EXPECT_THROW(new TZCLFormShape(form.get()), ZCLEOneInstError);
    EXPECT_EQ(form->ComponentCount(), 1);
    form->SetDesigning(false, false);
}

TEST_F(FormShape, ManyReRegioningsGiveBackEveryGdiObject)
{
    Make(bsSizeable, 200, 150, [](TZCLFormShape* s) {
        s->Region()->SetShape(rsThinkBubble);
        s->Region()->Shadow()->SetStyle(hssSolid);
        s->FillObject()->SetStyle(sfGradient);
    });
    drawtest::Surface s(200, 150);
    auto once = [&](int i) {
        form->SetBounds(60, 60, 200 + i % 2 * 10, 150);
        SendMessageA(Wnd(), WM_ERASEBKGND, WPARAM(s.dc()), 0);
    };
    once(1);
    once(0);
    const int before = gfxtest::GdiObjectsInUse();
    for (int i = 1; i <= 100; ++i) once(i);
    EXPECT_EQ(gfxtest::GdiObjectsInUse(), before);
}

TEST_F(FormShape, AShapedWindowOnScreen)
{
    Make(bsSizeable, 300, 220, [](TZCLFormShape* s) {
        s->Region()->SetShape(rsRoundThinkBubble);
        s->Region()->SetExtPos(epBottomLeft);
        s->Region()->Border()->SetStyle(rbRaisedpsb);
        s->Region()->Shadow()->SetStyle(hssSolid);
        s->Region()->Shadow()->SetDepth(6);
        s->Region()->Shadow()->SetColor(clGray);
        s->FillObject()->SetStyle(sfGradient);
        s->FillObject()->Gradient()->SetStyle(gstElliptic);
        s->FillObject()->Gradient()->SetColor(TColor(0xF0C080));
        s->FillObject()->Gradient()->SetEndColor(TColor(0x804020));
        s->FillObject()->Gradient()->SetColorCount(48);
    });
    form->SetCaption("Shaped");
    form->Show();
    RECT wr;
    GetWindowRect(Wnd(), &wr);
    const int fx = GetSystemMetrics(SM_CXFRAME), fy = GetSystemMetrics(SM_CYFRAME);
    const int c = GetSystemMetrics(SM_CYCAPTION);
    // A point in the bubble's body well inside, and one in the corner the shape leaves out.
    const POINT inside{wr.left + fx + 170, wr.top + fy + c + 60};
    const POINT cutAway{wr.left + fx + 2, wr.top + fy + c + 150};
    const RECT area{wr.left - 20, wr.top - 20, wr.right + 20, wr.bottom + 20};
    bool painted = testwait::PumpUntil(
        [&] {
            const testshot::Shot shot = testshot::Shot::OfScreen(area);
            const COLORREF p = shot.AtScreen(inside.x, inside.y);
            return GetRValue(p) < 0xA0 && GetBValue(p) > 0x60;  // the gradient's darker blue towards its middle
        },
        5000);
    const testshot::Shot shot = testshot::Shot::OfScreen(area);
    EXPECT_FALSE(shot.SaveArtifact("shaped-window").empty());
    EXPECT_TRUE(painted);
    // The corner outside the region shows what lies behind, not the form.
    const COLORREF behind = shot.AtScreen(cutAway.x, cutAway.y);
    EXPECT_NE(behind, shot.AtScreen(inside.x, inside.y));
    form->Hide();
}

TEST_F(FormShape, AListFillDrawsTheListsPictureAndForgetsAListThatGoes)
{
    Make(bsNone, 60, 40, [](TZCLFormShape* s) {
        s->Region()->SetShape(rsRect);
        s->Region()->Border()->SetStyle(rbNone);
        s->FillObject()->SetStyle(sfBitmapList);
        s->FillObject()->SetTileMode(tmStretch);
    });
    auto* list = new TZCLBitmapList(form.get());
    list->Add();
    auto green = drawtest::MakeBitmap(4, 4, [](int, int) { return 0x00FF00u; });
    list->BitmapItem(0)->SetBitmap(green.get());
    shape->SetImageList(list);
    drawtest::Surface s(60, 40, 0x123456);
    SendMessageA(Wnd(), WM_ERASEBKGND, WPARAM(s.dc()), 0);
    EXPECT_EQ(s.Count(0x00FF00), 60 * 40);

    // An item that is not there leaves the picture the fill had.
    shape->SetImageIndex(3);
    shape->SetListIndex(2);
    s.Fill(0x123456);
    SendMessageA(Wnd(), WM_ERASEBKGND, WPARAM(s.dc()), 0);
    EXPECT_EQ(s.Count(0x00FF00), 60 * 40);

    delete list;
    EXPECT_EQ(shape->ImageList(), nullptr);
    EXPECT_NO_THROW(SendMessageA(Wnd(), WM_ERASEBKGND, WPARAM(s.dc()), 0));
}

TEST_F(FormShape, ADefaultImageListIsStoredByItsName)
{
    Make(bsNone, 60, 40);
    shape->SetName("Shape");
    shape->SetImageList(ZCLDefaultContainer()->ImageList());
    shape->Region()->SetShape(rsStar);
    shape->SetUseRgnBitmap(false);
    TMemoryStream stream;
    stream.WriteComponent(shape);
    const std::string bytes(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
    EXPECT_NE(bytes.find("Internal"), std::string::npos);
    EXPECT_NE(bytes.find("ZCLIML30"), std::string::npos);

    TForm other(nullptr);
    other.SetBorderStyle(bsNone);
    TComponentLoader loading(&other);
    auto* read = new TZCLFormShape(&other);
    stream.SetPosition(0);
    stream.ReadComponent(read);
    loading.Finish();
    EXPECT_EQ(read->ImageList(), ZCLDefaultContainer()->ImageList());
    EXPECT_EQ(read->Region()->Shape(), rsStar);
    EXPECT_FALSE(read->UseRgnBitmap());
}

TEST_F(FormShape, AMinimisedFormIsItsCaptionStripAloneAndRestoredItsShapeAgain)
{
    const int fy = GetSystemMetrics(SM_CYFRAME), c = GetSystemMetrics(SM_CYCAPTION);
    Make(bsSizeable, 220, 160, [](TZCLFormShape* s) { s->Region()->SetShape(rsElliptic); });
    form->Show();
    RegionHandle shaped(rgntest::WindowRegion(Wnd()));
    ASSERT_NE(shaped.get(), nullptr);

    ShowWindow(Wnd(), SW_MINIMIZE);
    ASSERT_TRUE(testwait::PumpUntil([&] { return IsIconic(Wnd()) != 0; }, 10000));
    {
        RegionHandle window(rgntest::WindowRegion(Wnd()));
        RegionHandle strip(CreateRectRgn(0, 0, form->Width(), fy + c));
        EXPECT_TRUE(SameRegion(window.get(), strip.get()));
    }
    ShowWindow(Wnd(), SW_RESTORE);
    ASSERT_TRUE(testwait::PumpUntil([&] { return !IsIconic(Wnd()) && form->Width() == 220; }, 10000));
    RegionHandle restored(rgntest::WindowRegion(Wnd()));
    EXPECT_TRUE(SameRegion(restored.get(), shaped.get()));
}
