// The image list box: which image an item shows, how high its rows are, how an item is drawn (off-screen, at
// chosen pixels), transparency over a parent's picture while scrolling, and selection by real clicks and keys.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ListTestHelpers.h"
#include "zcl/components/Zclimagelistbox.h"
#include "support/Screenshot.h"
#include "zcl/graphics/Zcllayout.h"

using namespace zclctl;
using namespace listtest;

namespace {

constexpr COLORREF Red = RGB(220, 0, 0);
constexpr COLORREF Green = RGB(0, 200, 0);
constexpr COLORREF Blue = RGB(0, 0, 230);
constexpr COLORREF Magenta = RGB(255, 0, 255);
constexpr COLORREF White = RGB(255, 255, 255);

int RowHeight(TWinControl* list, int index)
{
    return int(SendMessageA(list->Handle(), LB_GETITEMHEIGHT, WPARAM(index), 0));
}

class ImageListBoxes : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        strips = new TZCLImageList(form.get());
        AddStrip(strips, 16, {Red, Green, Blue, Magenta});
        bitmaps = new TZCLBitmapList(form.get());
        AddBitmap(bitmaps, Framed(16, 16, Magenta, Blue).get());
        AddBitmap(bitmaps, Framed(16, 32, Magenta, Green).get());
        list = new TZCLImageListBox(form.get());
        list->SetParent(form.get());
        list->SetBounds(10, 10, 200, 120);
        list->SetColor(clWhite);
    }
    TZCLImageList* strips = nullptr;
    TZCLBitmapList* bitmaps = nullptr;
    TZCLImageListBox* list = nullptr;
};

}  // namespace

TEST(ZclImageListBox, DefaultsAndAlwaysVariableRows)
{
    TForm form(nullptr);
    auto* list = new TZCLImageListBox(&form);
    list->SetParent(&form);
    EXPECT_EQ(list->Delimiter(), '|');
    EXPECT_EQ(list->Options(), (TZCLImageBoxOptions{lboImageListOrder, lboCheckImageNr}));
    EXPECT_EQ(list->DefaultItem(), -1);
    EXPECT_FALSE(list->Transparent());
    EXPECT_EQ(list->ImageList(), nullptr);
    EXPECT_EQ(list->ListIndex(), 0);
    EXPECT_FALSE(list->ImagesOnly());
    EXPECT_FALSE(list->MultiLine());
    EXPECT_EQ(list->Style(), lbOwnerDrawVariable);
    list->SetStyle(lbOwnerDrawFixed);
    EXPECT_TRUE(GetWindowLongA(list->Handle(), GWL_STYLE) & LBS_OWNERDRAWVARIABLE) << "the rows stay measured";
    EXPECT_FALSE(GetWindowLongA(list->Handle(), GWL_STYLE) & LBS_OWNERDRAWFIXED);
}

TEST_F(ImageListBoxes, TheImageAnItemShows)
{
    list->SetDelimiter(';');
    struct Case {
        const char* item;
        int defaultItem;
        int image;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {"name;3",  -1, 3,  "name"},    // the fourth image: numbers count from 0
        {"name;0",  -1, 0,  "name"},
        {"plain",   -1, -1, "plain"},   // no number, no default
        {"plain",    1, 1,  "plain"},   // no number: the default
        {"a;b;2",   -1, 2,  "a;b"},     // the number follows the last delimiter
        {"C:\\x;y\\p.exe;0", -1, 0, "C:\\x;y\\p.exe"},
        {"x;4",      1, -1, "x"},       // the list has four images: none, whatever the default
        {"x;99",    -1, -1, "x"},
        {"x;-1",     2, -1, "x"},
        {"y;abc",    2, 2,  "y"},       // no number after the delimiter: as none at all
        {"y;abc",   -1, -1, "y"},
        {"z;",       1, 1,  "z"},
        {"w; 2 ",   -1, 2,  "w"},
        {"v",        7, -1, "v"},       // a default the list does not have
        {"",        -1, -1, ""},
    };
    // clang-format on
    for (TZCLCustomImageList* images : {static_cast<TZCLCustomImageList*>(strips), static_cast<TZCLCustomImageList*>(nullptr)}) {
        list->SetImageList(images);
        for (const Case& c : cases) {
            list->Items()->Clear();
            list->Items()->Add(c.item);
            list->SetOptions({lboCheckImageNr});
            list->SetDefaultItem(c.defaultItem);
            EXPECT_EQ(list->GetImageIndex(0), images ? c.image : -1) << c.item << " default " << c.defaultItem;
            EXPECT_EQ(list->GetStringValue(0), c.text) << c.item;
        }
    }
    EXPECT_EQ(list->GetImageIndex(5), -1) << "no such item";
    EXPECT_EQ(list->GetStringValue(5), "");
    EXPECT_EQ(list->GetStringValue(-1), "");

    // A bitmap list: each bitmap is one image.
    list->SetImageList(bitmaps);
    list->SetDefaultItem(-1);
    list->Items()->Clear();
    for (const char* s : {"t;0", "t;1", "t;2"}) list->Items()->Add(s);
    EXPECT_EQ(list->GetImageIndex(0), 0);
    EXPECT_EQ(list->GetImageIndex(1), 1);
    EXPECT_EQ(list->GetImageIndex(2), -1);

    // In list order item n shows image n, as far as there are images.
    list->SetImageList(strips);
    list->SetOptions({lboImageListOrder});
    list->Items()->Clear();
    for (const char* s : {"a;3", "b", "c", "d", "e", "f"}) list->Items()->Add(s);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(list->GetImageIndex(i), i < 4 ? i : -1) << i;
}

TEST_F(ImageListBoxes, RowsAreAsHighAsTheirImagesAndNeverBelowItemHeight)
{
    list->SetDelimiter(';');
    list->SetOptions({lboCheckImageNr});
    list->SetItemHeight(20);
    list->SetImageList(bitmaps);
    list->Items()->Add("small;0");
    list->Items()->Add("tall;1");
    ShowForm();
    // Added while the window exists: measured from their own text too.
    list->Items()->Add("plain");
    list->Items()->Insert(0, "tall first;1");
    EXPECT_EQ(RowHeight(list, 0), 34) << "32-pixel image + 2";
    EXPECT_EQ(RowHeight(list, 1), 20) << "16-pixel image: ItemHeight";
    EXPECT_EQ(RowHeight(list, 2), 34);
    EXPECT_EQ(RowHeight(list, 3), 20) << "no image";

    // The list's pictures change: the rows follow.
    bitmaps->BitmapItem(0)->SetBitmap(Framed(16, 40, Magenta, Blue).get());
    EXPECT_EQ(RowHeight(list, 1), 42);
    list->SetImageList(nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(RowHeight(list, i), 20) << i;
    list->SetItemHeight(24);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(RowHeight(list, i), 24) << "a new ItemHeight measures again " << i;

    // Several lines of text make a row taller than its image.
    list->SetImageList(bitmaps);
    list->SetMultiline(true);
    list->Items()->Add("a text long enough to need three or four lines in this list;0");
    EXPECT_GT(RowHeight(list, 4), 40);
    EXPECT_EQ(RowHeight(list, 3), 24) << "a short text stays one line";
}

TEST_F(ImageListBoxes, AnItemDrawsItsImageOnTheLeftAndItsTextAfterIt)
{
    list->SetDelimiter(';');
    list->SetOptions({lboCheckImageNr});
    list->SetImageList(strips);
    list->Items()->Add("Hello;1");
    list->Items()->Add("Hello");
    const TRect row(0, 0, 200, 20);
    auto draw = [&](int index, UINT state) {
        auto dib = std::make_unique<Dib>(200, 20);
        DrawItemTo(list, dib->dc(), index, row, state);
        return dib;
    };

    auto plain = draw(0, 0);
    // The 16-pixel image two pixels in, on the row's middle line.
    EXPECT_EQ(Count(*plain, TRect(2, 2, 18, 18), Green), 256);
    EXPECT_EQ(Count(*plain, TRect(0, 0, 2, 20), White), 40) << "the margin";
    EXPECT_EQ(Count(*plain, TRect(2, 0, 18, 2), White), 32) << "above the image";
    EXPECT_GT(Others(*plain, TRect(18, 0, 80, 20), White), 15) << "the text";
    EXPECT_EQ(Count(*plain, TRect(18, 0, 20, 20), White), 40) << "the gap before the text";
    const int textRight = [&] {
        for (int x = 199; x >= 18; --x)
            if (Others(*plain, TRect(x, 0, x + 1, 20), White)) return x;
        return 0;
    }();
    EXPECT_LT(textRight, 90) << "only the display part: the number is not shown";

    // Without an image the text starts at the margin.
    auto textOnly = draw(1, 0);
    EXPECT_EQ(Count(*textOnly, TRect(2, 2, 18, 18), Green), 0);
    EXPECT_GT(Others(*textOnly, TRect(2, 0, 18, 20), White), 5);

    // The whole item text without lboCheckImageNr.
    list->SetOptions({});
    auto whole = draw(0, 0);
    EXPECT_GT(Others(*whole, TRect(textRight + 2, 0, 200, 20), White), 5) << "\";1\" is shown too";

    // Images only.
    list->SetOptions({lboCheckImageNr});
    list->SetImagesOnly(true);
    auto images = draw(0, 0);
    EXPECT_EQ(Count(*images, TRect(2, 2, 18, 18), Green), 256);
    EXPECT_EQ(Others(*images, TRect(18, 0, 200, 20), White), 0);
    list->SetImagesOnly(false);

    // Selected: the highlight behind, the text in the highlight's text colour.
    auto selected = draw(0, ODS_SELECTED);
    EXPECT_EQ(Count(*selected, TRect(0, 0, 2, 20), Sys(COLOR_HIGHLIGHT)), 40);
    EXPECT_EQ(Count(*selected, TRect(2, 2, 18, 18), Green), 256);
    EXPECT_GT(Count(*selected, TRect(18, 0, 80, 20), Sys(COLOR_HIGHLIGHTTEXT)), 10);
}

TEST_F(ImageListBoxes, TransparentImagesLeaveTheirTransparentColourOut)
{
    list->SetDelimiter(';');
    list->SetOptions({lboCheckImageNr});
    list->SetImageList(bitmaps);
    list->Items()->Add("x;0");
    for (bool transparent : {false, true}) {
        list->SetOptions(transparent ? TZCLImageBoxOptions{lboCheckImageNr, lboTransparentImages}
                                     : TZCLImageBoxOptions{lboCheckImageNr});
        Dib dib(200, 20);
        DrawItemTo(list, dib.dc(), 0, TRect(0, 0, 200, 20), 0);
        EXPECT_EQ(dib.At(2, 2), transparent ? White : Magenta) << "the image's corner";
        EXPECT_EQ(dib.At(10, 10), Blue) << "its middle";
    }
}

TEST_F(ImageListBoxes, ClicksAndKeysSelectAndFireTheEvents)
{
    list->SetDelimiter(';');
    list->SetOptions({lboCheckImageNr});
    list->SetItemHeight(20);
    list->SetImageList(bitmaps);
    for (int i = 0; i < 4; ++i) list->Items()->Add(("row " + std::to_string(i) + ";0").c_str());
    int clicks = 0, selects = 0;
    list->SetOnClick(TNotifyEvent::From([&](TObject* s) {
        EXPECT_EQ(s, list);
        ++clicks;
    }));
    list->SetOnSelect(TNotifyEvent::From([&](TObject* s) {
        EXPECT_EQ(s, list);
        ++selects;
    }));
    ShowForm();
    list->SetItemIndex(0);
    EXPECT_EQ(selects, 0) << "code does not fire it";

    const TRect second = list->ItemRect(2);
    ClickAt(list, 60, (second.top + second.bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return list->ItemIndex() == 2 && selects == 1; }));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list->GetFieldValue(), "row 2");

    controltest::Key(VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return list->ItemIndex() == 3 && selects == 2; }));
    EXPECT_EQ(clicks, 2);
}

TEST_F(ImageListBoxes, AFreedImageListIsLetGo)
{
    list->SetDelimiter(';');
    list->SetOptions({lboCheckImageNr});
    list->SetImageList(bitmaps);
    list->Items()->Add("tall;1");
    ShowForm();
    EXPECT_EQ(RowHeight(list, 0), 34);
    delete bitmaps;
    bitmaps = nullptr;
    EXPECT_EQ(list->ImageList(), nullptr);
    EXPECT_EQ(list->GetImageIndex(0), -1);
    EXPECT_EQ(RowHeight(list, 0), 16) << "measured again without the image";
    list->Repaint();
}

// ---------------------------------------------------------------------------------------------------------------
// Transparent over a parent's picture

TEST_F(ImageListBoxes, ATransparentListShowsItsParentsPictureAlsoAfterScrolling)
{
    auto* back = new TBackParent(form.get());
    back->SetParent(form.get());
    back->SetBounds(20, 20, 260, 200);
    list->SetParent(back);
    list->SetBounds(13, 9, 180, 150);
    list->SetDelimiter(';');
    list->SetOptions({lboCheckImageNr, lboTransparentImages});
    list->SetItemHeight(20);
    list->SetImageList(bitmaps);
    for (int i = 0; i < 30; ++i) list->Items()->Add(("row " + std::to_string(i) + ";0").c_str());
    list->SetTransparent(true);
    ShowForm();
    EXPECT_TRUE(list->CheckOptimized());

    // Where the list's client area lies in the parent's picture.
    const TPoint origin = back->ScreenToClient(list->ClientOrigin());
    const int x = list->ClientWidth() - 4;  // right of every text
    auto patternShows = [&] {
        const int caret = int(SendMessageA(list->Handle(), LB_GETCARETINDEX, 0, 0));
        for (int y = 1; y < list->ClientHeight() - 1; y += 3) {
            // The selected row and the one with the focus rectangle are not the picture.
            const int row = list->ItemAtPos(TPoint(x, y), true);
            if (row == list->ItemIndex() || row == caret) continue;
            const TPoint screen = list->ClientToScreen(TPoint(x, y));
            if (ScreenPixel(screen) != PatternAt(origin.x + x, origin.y + y)) return false;
        }
        return true;
    };
    ASSERT_TRUE(PumpUntil(patternShows)) << "the item backgrounds are the parent's picture";
    // The transparent image's corner shows the picture too, its middle the image.
    const TPoint corner = list->ClientToScreen(TPoint(2, 2));
    EXPECT_EQ(ScreenPixel(corner), PatternAt(origin.x + 2, origin.y + 2));
    EXPECT_EQ(ScreenPixel(list->ClientToScreen(TPoint(10, 10))), Blue);

    // A real click on the bar's lower arrow scrolls; the picture stays where the parent has it.
    RECT w;
    GetWindowRect(list->Handle(), &w);
    const int arrowX = w.right - 2 - GetSystemMetrics(SM_CXVSCROLL) / 2;
    const int arrowY = w.bottom - 2 - GetSystemMetrics(SM_CYVSCROLL) / 2;
    for (int i = 0; i < 3; ++i) {
        const int before = list->TopIndex();
        ClickOnBar(arrowX, arrowY);
        ASSERT_TRUE(PumpUntil([&] { return list->TopIndex() > before; })) << "click " << i;
    }
    EXPECT_TRUE(PumpUntil(patternShows)) << "after scrolling";

    // Keys scroll too.
    list->SetFocus();
    list->SetItemIndex(list->TopIndex());
    for (int i = 0; i < 12; ++i) controltest::Key(VK_DOWN);
    EXPECT_TRUE(PumpUntil(patternShows)) << "after scrolling by keys";

    // Opaque again: the list's colour.
    list->SetTransparent(false);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(list->ClientToScreen(TPoint(x, 5))) == White; }));
}

// ---------------------------------------------------------------------------------------------------------------
// A form of image list boxes in their states, kept as an artefact.

TEST_F(ImageListBoxes, AFormOfImageListBoxesInTheirStates)
{
    form->SetBounds(40, 40, 640, 260);
    // As the application dialog has it: path and title items, two bitmaps, transparent images.
    list->SetBounds(10, 10, 200, 120);
    list->SetDelimiter(';');
    list->SetOptions({lboCheckImageNr, lboTransparentImages});
    list->SetItemHeight(20);
    list->SetImageList(bitmaps);
    for (const char* s : {"C:\\Tools\\editor.exe;0", "Untitled - Editor;1", "C:\\Tools\\viewer.exe;0", "no image"})
        list->Items()->Add(s);

    auto* ordered = new TZCLImageListBox(form.get());
    ordered->SetParent(form.get());
    ordered->SetBounds(220, 10, 200, 120);
    ordered->SetColor(clWhite);
    ordered->SetImageList(strips);
    for (const char* s : {"red", "green", "blue", "magenta", "beyond the images"}) ordered->Items()->Add(s);

    auto* back = new TBackParent(form.get());
    back->SetParent(form.get());
    back->SetBounds(430, 10, 200, 240);
    auto* clear = new TZCLImageListBox(form.get());
    clear->SetParent(back);
    clear->SetBounds(10, 10, 180, 110);
    clear->SetDelimiter(';');
    clear->SetOptions({lboCheckImageNr, lboTransparentImages});
    clear->SetItemHeight(20);
    clear->SetImageList(bitmaps);
    clear->SetTransparent(true);
    for (const char* s : {"over;0", "the;1", "parent;0"}) clear->Items()->Add(s);

    auto* disabled = new TZCLImageListBox(form.get());
    disabled->SetParent(form.get());
    disabled->SetBounds(10, 140, 200, 110);
    disabled->SetColor(clWhite);
    disabled->SetDelimiter(';');
    disabled->SetOptions({lboCheckImageNr});
    disabled->SetImageList(strips);
    disabled->Items()->Add("disabled;2");
    disabled->Items()->Add("multi-line text that wraps under its image when it is too long for one line;1");
    disabled->SetMultiline(true);
    disabled->SetEnabled(false);

    ShowForm();
    list->SetItemIndex(1);
    ordered->SetItemIndex(2);
    const TRect selected = list->ItemRect(1);
    ASSERT_TRUE(PumpUntil([&] {
        return ScreenPixel(list->ClientToScreen(TPoint(selected.right - 3, selected.top + 2))) ==
               Sys(COLOR_HIGHLIGHT);
    }));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(ordered->ClientToScreen(TPoint(10, ordered->ItemRect(0).top + 10))) == Red; }));
    const TPoint origin = back->ScreenToClient(clear->ClientOrigin());
    const int x = clear->ClientWidth() - 4;
    const int y = clear->ClientHeight() - 4;
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(clear->ClientToScreen(TPoint(x, y))) == PatternAt(origin.x + x, origin.y + y); }));
    EXPECT_GT(RowHeight(disabled, 1), RowHeight(disabled, 0));

    const testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    EXPECT_FALSE(shot.SaveArtifact("image-list-boxes").empty());
}
