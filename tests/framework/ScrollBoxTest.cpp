// Scroll boxes and speed buttons on a real form, driven with real input.

#include <gtest/gtest.h>

#include "StdCtrlsHelpers.h"
#include "framework/visual/Buttons.h"
#include "framework/visual/ScrollBox.h"

using namespace stdctrltest;

namespace {

class ScrollBoxes : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        box = new TScrollBox(form.get());
        box->SetParent(form.get());
        box->SetBounds(10, 10, 200, 150);
        box->SetBorderStyle(bsNone);
        distant = new TButton(form.get());
        distant->SetParent(box);
        distant->SetBounds(100, 400, 75, 25);
        label = new TLabel(form.get());
        label->SetParent(box);
        label->SetBounds(10, 10, 50, 15);
        label->SetCaption("top");
    }
    TScrollBox* box;
    TButton* distant;
    TLabel* label;
};

TEST_F(ScrollBoxes, TheRangeFollowsTheChildrenAndOnlyTheNeededBarShows)
{
    ShowForm();
    EXPECT_EQ(box->VertScrollBar()->Range(), 425);
    EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_LT(box->ClientWidth(), 200) << "the vertical bar takes room";
    box->VertScrollBar()->SetVisible(false);
    EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box->ClientWidth(), 200);
}

TEST_F(ScrollBoxes, APositionMovesWindowedAndWindowlessChildrenAlike)
{
    ShowForm();
    box->VertScrollBar()->SetPosition(100);
    EXPECT_EQ(box->VertScrollBar()->Position(), 100);
    EXPECT_EQ(distant->Top(), 300);
    EXPECT_EQ(label->Top(), -90);
    RECT r;
    GetWindowRect(distant->Handle(), &r);
    POINT origin{0, 0};
    ClientToScreen(box->Handle(), &origin);
    EXPECT_EQ(r.top - origin.y, 300) << "the window moved with the object";
    EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 100);

    box->VertScrollBar()->SetPosition(10000);  // kept inside the range
    EXPECT_EQ(box->VertScrollBar()->Position(), 425 - box->ClientHeight());
    box->VertScrollBar()->SetPosition(0);
    EXPECT_EQ(distant->Top(), 400);
    EXPECT_EQ(label->Top(), 10);
}

// A press and release in one go: the bar's own tracking loop runs until the release, inside the press.
void ClickOnBar(POINT p)
{
    MouseTo(p.x, p.y);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    Pump(100);
}

TEST_F(ScrollBoxes, ClicksOnTheBarScrollByLinesAndPages)
{
    ShowForm();
    // The down arrow at the bottom of the vertical bar, then the track above the thumb's new place.
    RECT wr;
    GetWindowRect(box->Handle(), &wr);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    ClickOnBar(POINT{wr.right - arrow / 2 - 1, wr.bottom - arrow / 2 - 1});
    EXPECT_EQ(box->VertScrollBar()->Position(), box->VertScrollBar()->Increment());
    ClickOnBar(POINT{wr.right - arrow / 2 - 1, wr.bottom - arrow - 10});
    EXPECT_EQ(box->VertScrollBar()->Position(), box->VertScrollBar()->Increment() + box->ClientHeight());
    EXPECT_EQ(distant->Top(), 400 - box->VertScrollBar()->Position());
}

TEST_F(ScrollBoxes, ScrollInViewBringsAControlIntoTheClientArea)
{
    ShowForm();
    box->ScrollInView(distant);
    EXPECT_GE(distant->Top(), 0);
    EXPECT_LE(distant->Top() + distant->Height(), box->ClientHeight());
    box->ScrollInView(label);
    EXPECT_EQ(label->Top(), 0);
}

// ---------------------------------------------------------------------------------------------------------------

class SpeedButtons : public ShownForm {};

TEST_F(SpeedButtons, AClickFiresOnClickAndTheGlyphShowsWithItsBackgroundLeftOut)
{
    auto* button = new TSpeedButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(20, 20, 40, 40);
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);  // the bottom-left pixel: transparent
    glyph.Canvas()->FillRect(TRect(0, 0, 16, 16));
    glyph.Canvas()->Brush()->SetColor(clBlue);
    glyph.Canvas()->FillRect(TRect(4, 4, 12, 12));
    button->SetGlyph(&glyph);
    button->SetOnClick(Logger("click"));
    ShowForm();

    auto pixel = [&](int x, int y) {
        const POINT p = ScreenPoint(button, x, y);
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, p.x, p.y);
        ReleaseDC(nullptr, screen);
        return c;
    };
    EXPECT_EQ(pixel(20, 20), RGB(0, 0, 255)) << "the glyph is centred";
    EXPECT_EQ(pixel(13, 13), ColorToRGB(clBtnFace)) << "its background is left out";

    Click(button);
    EXPECT_EQ(log, (std::vector<std::string>{"click"}));
    button->SetEnabled(false);
    Pump(30);
    Click(button);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_NE(pixel(20, 20), RGB(0, 0, 255)) << "a disabled glyph is drawn greyed";
}

}  // namespace
