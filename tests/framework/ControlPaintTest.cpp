// Painting of windowed and windowless controls, off-screen into a DIB and on real windows.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "ControlTestHelpers.h"

using namespace controltest;

namespace {

// A root control without a window: PaintTo needs none.
struct Scene {
    TPanelish root{nullptr};
    TBox* under;
    TBox* over;
    TBox* frame;
    TPanelish* inner;
    TBox* innerBox;
    TBox* hidden;

    Scene()
    {
        root.SetBounds(0, 0, 120, 90);
        root.SetColor(clWhite);
        under = new TBox(&root, clRed);
        under->SetParent(&root);
        under->SetBounds(10, 10, 40, 30);
        over = new TBox(&root, clBlue);  // above under: made later
        over->SetParent(&root);
        over->SetBounds(30, 20, 40, 30);
        frame = new TBox(&root, clBlack);
        frame->frameOnly = true;
        frame->SetParent(&root);
        frame->SetBounds(80, 10, 30, 30);
        inner = new TPanelish(&root);
        inner->SetParent(&root);
        inner->SetColor(clLime);
        inner->SetBounds(10, 55, 60, 30);
        innerBox = new TBox(&root, clYellow);
        innerBox->SetParent(inner);
        innerBox->SetBounds(5, 5, 10, 10);
        hidden = new TBox(&root, clFuchsia);
        hidden->SetParent(&root);
        hidden->SetBounds(100, 60, 15, 15);
        hidden->SetVisible(false);
    }
};

TEST(ControlPaint, PaintToDrawsChildrenInOrderClippedToTheirBounds)
{
    Scene s;
    Dib dib(120, 90);
    s.root.PaintTo(dib.dc(), 0, 0);

    const struct {
        int x, y;
        TColor colour;
        const char* what;
    } cases[] = {
        {2, 2, clWhite, "the parent's own painting"},
        {12, 12, clRed, "the lower windowless child"},
        {35, 25, clBlue, "the upper child over the lower one"},
        {65, 45, clBlue, "the upper child inside its bounds"},
        {75, 45, clWhite, "outside every child"},
        {80, 10, clBlack, "a transparent child's frame"},
        {95, 25, clWhite, "the parent showing through a transparent child"},
        {12, 57, clLime, "a windowed child painted at its place"},
        {17, 62, clYellow, "a windowless child of the windowed child"},
        {107, 67, clWhite, "a hidden child is not painted"},
    };
    for (const auto& c : cases) EXPECT_EQ(dib.At(c.x, c.y), Rgb(c.colour)) << c.what;
    EXPECT_EQ(s.hidden->paints, 0);
}

TEST(ControlPaint, PaintToAtAnOffsetAndAfterReordering)
{
    Scene s;
    s.under->BringToFront();
    Dib dib(140, 100);
    s.root.PaintTo(dib.dc(), 20, 10);
    EXPECT_EQ(dib.At(35 + 20, 25 + 10), Rgb(clRed)) << "the lower child brought to the front";
    EXPECT_EQ(dib.At(5, 5), RGB(0, 0, 0)) << "nothing drawn outside the offset area";
    EXPECT_EQ(dib.At(2 + 20, 2 + 10), Rgb(clWhite));
}

// A form on the display with a parent that counts erasing.
class ShownScene : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(50, 50, 200, 150);
        panel = new TPanelish(form.get());
        panel->SetParent(form.get());
        panel->SetColor(clWhite);
        panel->SetBounds(0, 0, 200, 150);
        opaque = new TBox(form.get(), clRed);
        opaque->SetControlStyle(opaque->ControlStyle() + TControlStyle{csOpaque});
        opaque->SetParent(panel);
        opaque->SetBounds(10, 10, 40, 40);
        clear = new TBox(form.get(), clBlue);
        clear->frameOnly = true;
        clear->SetParent(panel);
        clear->SetBounds(60, 10, 40, 40);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return panel->paints > 0 && opaque->paints > 0; }));
        Pump(50);
    }
    COLORREF ScreenPixel(int x, int y)
    {
        HDC dc = GetDC(panel->Handle());
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(panel->Handle(), dc);
        return c;
    }
    std::unique_ptr<TForm> form;
    TPanelish* panel;
    TBox* opaque;
    TBox* clear;
};

TEST_F(ShownScene, InvalidatingAnOpaqueChildDoesNotEraseTheParent)
{
    panel->erases = 0;
    const int before = opaque->paints;
    opaque->Invalidate();
    opaque->Update();
    EXPECT_EQ(opaque->paints, before + 1);
    EXPECT_EQ(panel->erases, 0);

    clear->Invalidate();
    clear->Update();
    EXPECT_EQ(panel->erases, 1) << "a transparent child needs the parent's background";
}

TEST_F(ShownScene, RepaintOfAnOpaqueChildPaintsAtOnce)
{
    const int before = opaque->paints;
    opaque->fill_ = clGreen;
    opaque->Repaint();  // no message loop in between
    EXPECT_EQ(opaque->paints, before + 1);
    EXPECT_EQ(ScreenPixel(20, 20), Rgb(clGreen));
}

TEST_F(ShownScene, CanvasDrawsOutsidePaintingAtTheControlsPlaceAndIsGivenBackOnIdle)
{
    opaque->Canvas()->Brush()->SetColor(clYellow);
    opaque->Canvas()->FillRect(TRect(0, 0, 100, 100));  // clipped to the control's 40 x 40
    EXPECT_EQ(ScreenPixel(15, 15), Rgb(clYellow));
    EXPECT_EQ(ScreenPixel(55, 15), Rgb(clWhite)) << "clipped to the control";
    EXPECT_TRUE(opaque->Canvas()->HandleAllocated());
    // Idle time gives the DC back: a round of the loop that finds nothing waiting. Messages from another
    // thread wake the loop each time; a round that found one instead goes round again.
    const DWORD mainThread = GetCurrentThreadId();
    std::atomic<bool> stop{false};
    std::thread waker([mainThread, &stop] {
        while (!stop) {
            PostThreadMessageA(mainThread, WM_NULL, 0, 0);
            Sleep(20);
        }
    });
    Application->ProcessMessages();
    EXPECT_TRUE(opaque->Canvas()->HandleAllocated()) << "messages alone keep it";
    const DWORD start = GetTickCount();
    while (opaque->Canvas()->HandleAllocated() && GetTickCount() - start < 10000) Application->HandleMessage();
    stop = true;
    waker.join();
    EXPECT_FALSE(opaque->Canvas()->HandleAllocated());
}

TEST_F(ShownScene, HidingAWindowlessChildShowsTheParentAgain)
{
    EXPECT_EQ(ScreenPixel(20, 20), Rgb(clRed));
    opaque->SetVisible(false);
    panel->Update();
    EXPECT_EQ(ScreenPixel(20, 20), Rgb(clWhite));
    opaque->SetVisible(true);
    panel->Update();
    EXPECT_EQ(ScreenPixel(20, 20), Rgb(clRed));
}

}  // namespace
