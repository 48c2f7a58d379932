// The edit's custom buttons: laid out at its right end where they narrow the text, laid out again as they come
// and go, clicked with the real mouse to fire OnBtnClick with their index, and never painted over by the text.

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ZclEditTestHelpers.h"
#include "zcl/buttons/Zclspecialbutton.h"

using namespace zcledit;

namespace {

class ZclEditButtons : public EditForm {
protected:
    TZCLEdit* WithButtons(int top, int count, int width = 200)
    {
        TZCLEdit* e = AddEdit(20, top, width);
        for (int i = 0; i < count; ++i) e->CustomButtons()->Add();
        e->Handle();
        return e;
    }
    static TRect ButtonRect(TZCLEdit* e, int i)
    {
        TZCLSpeedButton* b = e->CustomButtons()->GetItem(i)->SpeedButton();
        return TRect(b->Left(), b->Top(), b->Left() + b->Width(), b->Top() + b->Height());
    }
    // The buttons stand side by side at the inner rectangle's right end and the text ends before them.
    static void ExpectLaidOut(TZCLEdit* e, const char* what)
    {
        const int count = e->CustomButtonCount();
        const int w = e->CustomButtonWidth();
        const TRect inner = e->InnerRect();
        const TRect paint = e->PaintRect();
        EXPECT_EQ(paint.right, inner.right - (count ? count * w + 1 : 0)) << what;
        EXPECT_EQ(e->TextRect().right, paint.right - 1) << what;
        for (int i = 0; i < count; ++i) {
            const TRect b = ButtonRect(e, i);
            EXPECT_EQ(b.left, paint.right + 1 + i * w) << what << ", button " << i;
            EXPECT_EQ(b.right - b.left, w) << what << ", button " << i;
            EXPECT_EQ(b.top, inner.top) << what << ", button " << i;
            EXPECT_EQ(b.bottom, inner.bottom) << what << ", button " << i;
            EXPECT_EQ(e->CustomButtons()->GetItem(i)->SpeedButton()->Style(), e->CustomButtonStyle())
                << what << ", button " << i;
        }
    }
};

TEST_F(ZclEditButtons, ButtonsStandAtTheRightEndAndNarrowTheText)
{
    struct Case {
        int count, width;
    };
    const Case cases[] = {{0, 16}, {1, 16}, {3, 12}, {2, 1}, {2, 0}};
    for (const Case& c : cases) {
        TZCLEdit* e = WithButtons(20, c.count);
        e->SetCustomButtonWidth(c.width);
        ExpectLaidOut(e, "made");
        delete e;
    }

    TZCLEdit* e = WithButtons(20, 3);
    const int full = e->InnerRect().right;
    ExpectLaidOut(e, "three");
    e->CustomButtons()->Delete(1);
    ExpectLaidOut(e, "one taken away");
    e->SetCustomButtonWidth(25);
    ExpectLaidOut(e, "wider");
    e->SetCustomButtonStyle(ubsWin31);
    ExpectLaidOut(e, "another style");
    e->SetWidth(260);
    ExpectLaidOut(e, "the edit resized");
    e->CustomButtons()->Clear();
    ExpectLaidOut(e, "none left");
    EXPECT_EQ(e->PaintRect().right, e->InnerRect().right);
    EXPECT_GT(e->InnerRect().right, full) << "the resize reached the rectangles";
}

TEST_F(ZclEditButtons, AssignedButtonsAreCopiesLaidOutOnTheEdit)
{
    TZCLEdit* a = WithButtons(20, 2);
    a->CustomButtons()->GetItem(0)->SetCaption("first");
    a->CustomButtons()->GetItem(1)->SetCaption("second");
    TZCLEdit* b = WithButtons(60, 0);
    b->SetCustomButtons(a->CustomButtons());
    ASSERT_EQ(b->CustomButtonCount(), 2);
    EXPECT_EQ(b->CustomButtons()->GetItem(1)->Caption(), "second");
    EXPECT_EQ(b->CustomButtons()->GetItem(0)->SpeedButton()->Parent(), b);
    ExpectLaidOut(b, "assigned");
    b->SetCustomButtons(nullptr);
    EXPECT_EQ(b->CustomButtonCount(), 2) << "nothing to copy from";
}

TEST_F(ZclEditButtons, AClickedButtonFiresOnBtnClickWithItsIndex)
{
    TZCLEdit* e = WithButtons(30, 3, 240);
    e->SetText("click the buttons");
    struct Click {
        TObject* sender;
        int index;
    };
    std::vector<Click> clicks;
    e->SetOnBtnClick(TZCLBtnClickEvent::From([&](TObject* s, int i) { clicks.push_back({s, i}); }));
    std::vector<int> itemClicks;
    e->CustomButtons()->GetItem(2)->SetOnClick(
        TZCLSpecialButtonClickEvent::From([&](TObject*, int i) { itemClicks.push_back(i); }));
    FocusOn(e);

    const int order[] = {2, 0, 1, 2};
    for (std::size_t n = 0; n < std::size(order); ++n) {
        const TRect b = ButtonRect(e, order[n]);
        MouseAt(e, (b.left + b.right) / 2, (b.top + b.bottom) / 2);
        MouseButtons(MOUSEEVENTF_LEFTDOWN);
        MouseButtons(MOUSEEVENTF_LEFTUP);
        ASSERT_TRUE(Settles([&] { return clicks.size() == n + 1; })) << "click " << n;
        EXPECT_EQ(clicks.back().sender, e);
        EXPECT_EQ(clicks.back().index, order[n]);
    }
    EXPECT_EQ(itemClicks, (std::vector<int>{2, 2})) << "the item hears of its own clicks only";
    EXPECT_EQ(e->Text(), "click the buttons") << "a button click leaves the text alone";

    // A click on the text places the cursor and is no button's.
    e->SetSelStart(e->GetLength() + 1);
    MouseAt(e, e->TextRect().left + 1, e->TextTop() + 2);
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Settles([&] { return e->CursorPos() == 1; })) << e->CursorPos();
    ASSERT_TRUE(Flush(e));
    Pump(0);
    EXPECT_EQ(clicks.size(), std::size(order));
}

TEST_F(ZclEditButtons, TextAndCaretStayOutOfTheButtons)
{
    TZCLEdit* e = WithButtons(30, 2, 160);
    e->SetColor(clWhite);
    e->Font()->SetColor(clBlack);
    auto render = [&] {
        controltest::Dib dib(e->ClientWidth(), e->ClientHeight());
        e->PaintTo(dib.dc(), 0, 0);
        std::vector<COLORREF> pixels;
        const TRect from = ButtonRect(e, 0);
        const TRect to = ButtonRect(e, 1);
        for (int y = from.top; y < from.bottom; ++y)
            for (int x = from.left - 1; x < to.right; ++x) pixels.push_back(dib.At(x, y));
        return pixels;
    };
    const std::vector<COLORREF> empty = render();
    e->SetText("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    EXPECT_EQ(render(), empty) << "the long text is cut off before the buttons";

    FocusOn(e);
    e->SetSelStart(e->GetLength() + 1);
    ASSERT_TRUE(Settles([&] { return e->ScrollOffset() > 0; }));
    POINT caret{};
    GetCaretPos(&caret);
    EXPECT_LT(caret.x, e->PaintRect().right) << "the text scrolls before the caret reaches the buttons";
    EXPECT_GE(caret.x, e->TextRect().left);
}

TEST_F(ZclEditButtons, AutoSizeLeavesRoomForTheButtons)
{
    TZCLEdit* e = WithButtons(30, 3, 20);
    e->SetCustomButtonWidth(20);
    e->SetAutoSize(true);
    EXPECT_EQ(e->Width(), 3 * 20 + 30);
    e->CustomButtons()->Add();
    EXPECT_EQ(e->Width(), 4 * 20 + 30) << "a new button widens it";
    e->CustomButtons()->Delete(0);
    EXPECT_EQ(e->Width(), 4 * 20 + 30) << "never narrower than it is";
    ExpectLaidOut(e, "auto sized");
}

}  // namespace
