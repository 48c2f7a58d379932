// The library's scroll box on real forms: its frame in the non-client area, the parent's picture behind it and
// its children while transparent (also after real scrolling), and the background news it gives its children
// while scrolling.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ListTestHelpers.h"
#include "zcl/components/Zclcustomscrollbox.h"
#include "zcl/components/Zclimagelistbox.h"

using namespace zclctl;
using namespace listtest;

namespace {

// A windowless child that counts the scroll box's news.
class TScrollProbe : public TControl {
public:
    explicit TScrollProbe(TComponent* owner) : TControl(owner) {}
    int scrollEvents = 0;
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CM_ZCLSCROLLBOXSCROLLEVENT) ++scrollEvents;
        TControl::Dispatch(m);
    }
};

class ScrollBoxes : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        back = new TBackParent(form.get());
        back->SetParent(form.get());
        back->SetBounds(10, 10, 290, 210);
        box = new TZCLCustomScrollBox(form.get());
        box->SetParent(back);
        box->SetBounds(17, 11, 200, 150);
        box->SetColor(TColor(RGB(250, 240, 0)));
    }
    // A custom frame six pixels wide: raised 2, border 3 in red, lowered 1.
    void CustomBevel()
    {
        TZCLBevel bevel;
        bevel.SetMode(bmCustom);
        bevel.SetStyleOuter(bvRaised);
        bevel.SetWidthOuter(2);
        bevel.SetBorderWidth(3);
        bevel.SetBorderColor(TColor(RGB(200, 0, 0)));
        bevel.SetStyleInner(bvLowered);
        bevel.SetWidthInner(1);
        box->SetBevel(&bevel);
    }
    // A child that reaches past the box both ways, so that both bars show.
    TScrollProbe* WideChild()
    {
        auto* probe = new TScrollProbe(form.get());
        probe->SetParent(box);
        probe->SetBounds(0, 0, 500, 400);
        return probe;
    }
    TBackParent* back = nullptr;
    TZCLCustomScrollBox* box = nullptr;
};

}  // namespace

TEST(ZclCustomScrollBox, DefaultsAndTheWindowsOwnBorder)
{
    TForm form(nullptr);
    auto* box = new TZCLCustomScrollBox(&form);
    box->SetParent(&form);
    EXPECT_EQ(box->Width(), 185);
    EXPECT_EQ(box->Height(), 41);
    EXPECT_EQ(box->BorderStyle(), bsNone);
    box->SetBorderStyle(bsSingle);
    EXPECT_EQ(box->BorderStyle(), bsNone) << "the frame is the bevel's";
    EXPECT_EQ(box->Bevel()->Mode(), bmWindows);
    EXPECT_FALSE(box->Transparent());
    EXPECT_FALSE(box->ControlStyle().Contains(csOpaque));
    EXPECT_TRUE(box->ControlStyle().Contains(csAcceptsControls));
    EXPECT_TRUE(box->StepCounting());
    EXPECT_EQ(box->Delta(), 1);
    const HWND first = box->Handle();
    EXPECT_TRUE(GetWindowLongA(first, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongA(first, GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_EQ(GetClassLongA(first, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW), 0u);

    box->SetParentCtl3D(false);
    box->SetCtl3D(false);
    const HWND plain = box->Handle();
    EXPECT_FALSE(GetWindowLongA(plain, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongA(plain, GWL_STYLE) & WS_BORDER) << "without the 3D look: a plain border";

    box->SetTransparent(true);
    EXPECT_FALSE(IsWindow(plain)) << "made again";
    EXPECT_TRUE(box->Transparent());
    box->SetDelta(0);
    EXPECT_EQ(box->Delta(), 1) << "0 is ignored";
}

TEST_F(ScrollBoxes, ACustomBevelIsDrawnInTheNonClientAreaAroundTheBars)
{
    ShowForm();
    EXPECT_EQ(box->ClientWidth(), 200 - 4) << "the window's own border";
    CustomBevel();
    const HWND wnd = box->Handle();
    EXPECT_FALSE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(box->ClientWidth(), 200 - 12);
    EXPECT_EQ(box->ClientHeight(), 150 - 12);
    EXPECT_TRUE(PumpUntil([&] { return FramePixel(wnd, 3, 75) == RGB(200, 0, 0); })) << "the border";
    EXPECT_EQ(FramePixel(wnd, 0, 75), Sys(COLOR_BTNHIGHLIGHT)) << "raised outside, lit on the left";
    EXPECT_EQ(FramePixel(wnd, 199, 75), Sys(COLOR_BTNSHADOW)) << "and shaded on the right";
    EXPECT_EQ(FramePixel(wnd, 5, 75), Sys(COLOR_BTNSHADOW)) << "lowered inside";

    // With both bars the frame stays outside them and the square between the bars has the box's colour.
    WideChild();
    box->Realign();
    ASSERT_TRUE(PumpUntil([&] { return box->HorzScrollBar()->IsScrollBarVisible() && box->VertScrollBar()->IsScrollBarVisible(); }));
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(box->ClientWidth(), 200 - 12 - bar);
    EXPECT_TRUE(PumpUntil([&] { return FramePixel(wnd, 199 - 6 - bar / 2, 149 - 6 - bar / 2) == RGB(250, 240, 0); }))
        << "the corner square";
    EXPECT_EQ(FramePixel(wnd, 3, 75), RGB(200, 0, 0));
    EXPECT_EQ(FramePixel(wnd, 196, 75), RGB(200, 0, 0)) << "the border right of the bar";

    // A new colour reaches the corner.
    box->SetColor(TColor(RGB(0, 120, 250)));
    EXPECT_TRUE(PumpUntil([&] { return FramePixel(wnd, 199 - 6 - bar / 2, 149 - 6 - bar / 2) == RGB(0, 120, 250); }));

    // Back to the window's own border: a new window with it.
    TZCLBevel windows;
    windows.SetMode(bmWindows);
    box->SetBevel(&windows);
    EXPECT_TRUE(GetWindowLongA(box->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(box->ClientWidth(), 200 - 4 - bar);
}

TEST_F(ScrollBoxes, ChildPointsMapIntoTheParentsPictureWhateverTheFrame)
{
    box->SetTransparent(true);
    ShowForm();
    ASSERT_TRUE(box->BackBitmapCheck());
    EXPECT_EQ(box->BackBitmap(), back->BackBitmap());
    EXPECT_EQ(box->BackMapPoint(TPoint(5, 7)), TPoint(17 + 2 + 5, 11 + 2 + 7)) << "the window's border";
    CustomBevel();
    EXPECT_EQ(box->BackMapPoint(TPoint(5, 7)), TPoint(17 + 6 + 5, 11 + 6 + 7));
    WideChild();
    box->Realign();
    ASSERT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box->BackMapPoint(TPoint(5, 7)), TPoint(17 + 6 + 5, 11 + 6 + 7)) << "a bar takes one side only";

    back->supplies = false;
    EXPECT_FALSE(box->BackBitmapCheck());
    EXPECT_EQ(box->BackBitmap(), nullptr);
    EXPECT_EQ(box->BackMapPoint(TPoint(5, 7)), TPoint(5, 7));
    Dib dib(10, 10);
    EXPECT_FALSE(box->BackDrawArea(nullptr, TRect(0, 0, 10, 10), TPoint(0, 0), 0));
    back->supplies = true;
    box->SetTransparent(false);
    EXPECT_FALSE(box->BackBitmapCheck()) << "only while transparent";
}

TEST_F(ScrollBoxes, ATransparentBoxAndItsChildrenShowTheParentsPictureAlsoAfterScrolling)
{
    CustomBevel();
    box->SetTransparent(true);
    auto* label = new TBackLabel(form.get());
    label->SetParent(box);
    label->SetBounds(30, 20, 60, 40);
    label->SetTransparent(true);
    auto* list = new TZCLImageListBox(form.get());
    list->SetParent(box);
    list->SetBounds(100, 30, 65, 80);  // inside the bars
    list->Items()->Add("one");
    list->SetTransparent(true);
    auto* farProbe = new TScrollProbe(form.get());
    farProbe->SetParent(box);
    farProbe->SetBounds(400, 300, 10, 10);
    ShowForm();
    ASSERT_TRUE(box->CheckOptimized());
    ASSERT_TRUE(label->CheckOptimized()) << "a windowless child takes the box's picture";
    ASSERT_TRUE(list->CheckOptimized()) << "and so does a windowed one";

    // The picture shows at the place of the parent's picture it covers.
    auto inParent = [&](TControl* c, int x, int y) { return back->ScreenToClient(c->ClientToScreen(TPoint(x, y))); };
    auto shows = [&](TControl* c, int x, int y) {
        const TPoint p = inParent(c, x, y);
        return ScreenPixel(c->ClientToScreen(TPoint(x, y))) == PatternAt(p.x, p.y);
    };
    auto allShow = [&] {
        return shows(box, 3, 3) && shows(box, 100, 120) && shows(label, 2, 2) && shows(label, 50, 33) &&
               shows(list, 50, 8) && shows(list, 20, 50) && ScreenPixel(label->ClientToScreen(TPoint(30, 20))) == TBackLabel::Mark;
    };
    ASSERT_TRUE(PumpUntil(allShow));
    EXPECT_TRUE(label->drewBack);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    const TPoint cornerInWindow(199 - 6 - bar / 2, 149 - 6 - bar / 2);
    RECT w;
    GetWindowRect(box->Handle(), &w);
    const TPoint cornerOnScreen(w.left + cornerInWindow.x, w.top + cornerInWindow.y);
    const TPoint cornerInParent = back->ScreenToClient(cornerOnScreen);
    EXPECT_EQ(ScreenPixel(cornerOnScreen), PatternAt(cornerInParent.x, cornerInParent.y)) << "the corner square";

    // Real clicks on the right arrow of the lower bar and on the lower arrow of the right one.
    const int labelLeft = label->Left(), labelTop = label->Top();
    const TPoint right(w.right - 6 - bar - bar / 2, w.bottom - 6 - bar / 2);
    const TPoint down(w.right - 6 - bar / 2, w.bottom - 6 - bar - bar / 2);
    for (const TPoint& arrow : {right, right, down}) {
        ClickOnBar(arrow.x, arrow.y);
    }
    ASSERT_TRUE(PumpUntil([&] { return label->Left() < labelLeft && label->Top() < labelTop; }));
    EXPECT_GT(farProbe->scrollEvents, 0) << "the children heard of it";
    EXPECT_TRUE(PumpUntil(allShow)) << "after scrolling: the picture did not move with the children";
}

TEST_F(ScrollBoxes, WhileScrollingTheChildrenHearOfTheBackgroundEveryDeltaStepsAndAtTheEnd)
{
    box->SetTransparent(true);
    auto* probe = WideChild();
    ShowForm();
    ASSERT_TRUE(box->CheckOptimized());
    struct Case {
        bool counting;
        int delta;
        int expected;  // after seven line steps and the end
    };
    for (const Case& c : {Case{true, 1, 8}, Case{true, 3, 3}, Case{true, 7, 2}, Case{true, 10, 1}, Case{false, 3, 1}}) {
        box->SetStepCounting(c.counting);
        box->SetDelta(c.delta);
        box->HorzScrollBar()->SetPosition(0);
        probe->scrollEvents = 0;
        for (int i = 0; i < 7; ++i) SendMessageA(box->Handle(), WM_HSCROLL, SB_LINEDOWN, 0);
        SendMessageA(box->Handle(), WM_HSCROLL, SB_ENDSCROLL, 0);
        EXPECT_EQ(probe->scrollEvents, c.expected) << "counting " << c.counting << " delta " << c.delta;
    }
    EXPECT_GT(box->HorzScrollBar()->Position(), 0);

    // An opaque box has nothing to tell.
    box->SetTransparent(false);
    probe->scrollEvents = 0;
    SendMessageA(box->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(box->Handle(), WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(probe->scrollEvents, 0);
}

TEST_F(ScrollBoxes, AnOpaqueBoxIsItsColour)
{
    auto* label = new TBackLabel(form.get());
    label->SetParent(box);
    label->SetBounds(30, 20, 60, 40);
    label->SetTransparent(true);
    ShowForm();
    EXPECT_FALSE(box->CheckOptimized());
    EXPECT_FALSE(label->CheckOptimized());
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(box->ClientToScreen(TPoint(5, 5))) == RGB(250, 240, 0); }));
    back->supplies = false;
    box->SetTransparent(true);
    EXPECT_FALSE(box->CheckOptimized()) << "a parent without a picture";
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(box->ClientToScreen(TPoint(5, 5))) == RGB(250, 240, 0); }));
}
