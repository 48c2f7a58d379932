// A form holding the scroll box and the list boxes in their states, saved under the build folder's artifacts for
// a person to look at: a transparent scroll box with a custom frame over a back panel's tiled picture, with a
// transparent label, panel and image list box on it and both bars showing; a list of rows in columns with grid
// lines and a selected row; one with a flat header and no grid, disabled; and an image list box.

#include <gtest/gtest.h>

#include <memory>

#include "ListTestHelpers.h"
#include "support/Screenshot.h"
#include "zcl/components/Zclcustomscrollbox.h"
#include "zcl/components/Zclimagelistbox.h"
#include "zcl/components/Zcllistbox.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/panels/Zclbackpanel.h"
#include "zcl/panels/Zclcustomsimplelabel.h"
#include "zcl/panels/Zclsimplepanel.h"

using namespace zclctl;
using namespace listtest;

namespace {

class ZclListsScreenshot : public ShownForm {};

bool IsPattern(COLORREF c) { return c == PatternA || c == PatternB; }

TZCLListBox* Rows(TComponentLoader& loading, TWinControl* parent, const TRect& r)
{
    auto* box = loading.Create<TZCLListBox>();
    box->SetParent(parent);
    box->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    int n = 0;
    for (const char* caption : {"Name", "Size", "Kind"}) {
        THeaderSection* s = box->HeaderSections()->Add();
        s->SetText(caption);
        s->SetWidth(n++ == 0 ? 110 : 70);
    }
    return box;
}

}  // namespace

TEST_F(ZclListsScreenshot, FormOfTheScrollBoxAndListBoxesInTheirStates)
{
    TForm* f = form.get();
    f->SetBounds(20, 20, 760, 420);
    f->SetColor(clBtnFace);

    // The tiled picture, and over it a transparent scroll box framed by a custom bevel.
    TZCLBitmapList tiles(nullptr);
    tiles.Add();
    tiles.BitmapItem(0)->SetBitmap(PatternBitmap(24, 24).get());
    auto* back = new TZCLBackPanel(f);
    back->SetParent(f);
    back->SetBounds(10, 10, 300, 240);
    back->SetImageList(&tiles);
    auto* box = new TZCLCustomScrollBox(f);
    box->SetParent(back);
    box->SetBounds(20, 20, 260, 200);
    TZCLBevel frame;
    frame.SetMode(bmCustom);
    frame.SetStyleOuter(bvRaised);
    frame.SetWidthOuter(2);
    frame.SetBorderWidth(2);
    frame.SetBorderColor(clBtnFace);
    frame.SetStyleInner(bvLowered);
    frame.SetWidthInner(1);
    box->SetBevel(&frame);
    box->SetTransparent(true);
    auto* label = new TZCLSimpleLabel(f);
    label->SetParent(box);
    label->SetLeft(12);
    label->SetTop(10);
    label->Font()->SetSize(10);
    label->Font()->SetStyle(TFontStyles{fsBold});
    label->Font()->SetColor(clWhite);
    label->SetCaption("transparent label");
    auto* panel = new TZCLSimplePanel(f);
    panel->SetParent(box);
    panel->SetBounds(12, 40, 110, 60);
    panel->SetTransparent(true);
    panel->Bevel()->SetStyleOuter(bvRaised);
    panel->Bevel()->SetWidthOuter(2);
    auto* bitmaps = new TZCLBitmapList(f);
    AddBitmap(bitmaps, Framed(16, 16, RGB(255, 0, 255), RGB(0, 0, 255)).get());
    AddBitmap(bitmaps, Framed(16, 16, RGB(255, 0, 255), RGB(0, 160, 0)).get());
    auto* clear = new TZCLImageListBox(f);
    clear->SetParent(box);
    clear->SetBounds(130, 40, 95, 100);  // clear of the bar
    clear->SetDelimiter(';');
    clear->SetOptions({lboCheckImageNr, lboTransparentImages});
    clear->SetItemHeight(20);
    clear->SetImageList(bitmaps);
    for (const char* s : {"over;0", "the;1", "picture;0"}) clear->Items()->Add(s);
    clear->SetTransparent(true);
    auto* distant = new TZCLSimpleLabel(f);  // past the box's edges: both bars show
    distant->SetParent(box);
    distant->SetLeft(380);
    distant->SetTop(300);
    distant->SetCaption("far corner");

    // Lists of rows in columns.
    TComponentLoader loading(f);
    TZCLListBox* grid = Rows(loading, f, TRect(320, 10, 750, 200));
    grid->SetGridLines(glBoth);
    grid->SetStyle(lbOwnerDrawFixed);  // rows with room for the lines under the text
    grid->SetItemHeight(17);
    TZCLListBox* flat = Rows(loading, f, TRect(320, 210, 750, 310));
    flat->SetHeaderFlat(true);
    loading.Finish();
    for (TZCLListBox* b : {grid, flat}) {
        b->AddLine({"editor.exe", "120 KB", "program"});
        b->AddLine({"notes.txt", "3 KB", "text", "a fourth part not shown"});
        b->AddLine({"   "});
        b->AddLine({"viewer.exe", "", "program"});
        b->AddLine({"readme", "1 KB", "text"});
    }
    grid->SpecialSort({0});
    grid->SetItemIndex(2);
    flat->SetEnabled(false);

    // An image list box as the application dialog has it.
    auto* apps = new TZCLImageListBox(f);
    apps->SetParent(f);
    apps->SetBounds(10, 260, 300, 150);
    apps->SetColor(clWhite);
    apps->SetDelimiter(';');
    apps->SetOptions({lboCheckImageNr, lboTransparentImages});
    apps->SetItemHeight(20);
    apps->SetImageList(bitmaps);
    for (const char* s : {"C:\\Tools\\editor.exe;0", "Untitled - Editor;1", "C:\\Tools\\viewer.exe;0", "no image"})
        apps->Items()->Add(s);
    apps->SetItemIndex(1);

    ShowForm();
    ASSERT_TRUE(PumpUntil([&] {
        return box->HorzScrollBar()->IsScrollBarVisible() && box->VertScrollBar()->IsScrollBarVisible();
    }));
    ASSERT_TRUE(box->CheckOptimized());
    auto at = [](TControl* c, int x, int y) { return ScreenPixel(c->ClientToScreen(TPoint(x, y))); };
    // The picture shows through the box, the panel and the image list, between the list's rows too.
    EXPECT_TRUE(PumpUntil([&] {
        return IsPattern(at(box, 5, 150)) && IsPattern(at(panel, panel->Width() / 2, panel->Height() / 2)) &&
               IsPattern(at(clear, clear->ClientWidth() - 3, clear->ClientHeight() - 3));
    }, 5000));
    // The selected row in the highlight colour, the grid lines in silver.
    TListBox* list = grid->ListBox();
    const TRect selected = list->ItemRect(2);
    EXPECT_TRUE(PumpUntil([&] { return at(list, 300, selected.top + 3) == Sys(COLOR_HIGHLIGHT); }));
    // The blank row sorted first has no lines of its own; the next row has them.
    const TRect blank = list->ItemRect(0), next = list->ItemRect(1);
    EXPECT_EQ(at(list, 300, blank.bottom - 1), RGB(255, 255, 255));
    EXPECT_EQ(at(list, 300, next.bottom - 1), RGB(192, 192, 192));
    EXPECT_EQ(at(list, 110, next.top + 5), RGB(192, 192, 192));
    EXPECT_EQ(at(list, 180, list->ClientHeight() - 3), RGB(192, 192, 192)) << "down to the list's bottom";
    EXPECT_EQ(grid->ItemPart(1, 0), "editor.exe") << "sorted by name, the blank row first";
    EXPECT_EQ(at(apps, apps->ClientWidth() - 5, apps->ItemRect(1).top + 3), Sys(COLOR_HIGHLIGHT));

    const testshot::Shot shot = testshot::Shot::OfWindow(f->Handle());
    EXPECT_FALSE(shot.SaveArtifact("scroll-box-and-list-boxes").empty());
}
