// The list box of rows in columns: rows drawn into their columns (off-screen, at chosen pixels), grid lines and
// the selected colour, header widths dragged with the mouse and kept in the real registry, sorting by columns,
// selection by real clicks and keys, the sideways extent, and the properties that live on the header and the
// inner list.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ListTestHelpers.h"
#include "RegistryTestHelpers.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/components/Zcllistbox.h"

using namespace zclctl;
using namespace listtest;

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr const char* KeyPath = "Software\\DravikREMOTE tests\\ListBox";

using regtest::DeleteKeyTree;

// The stored text, "<none>" when there is none.
std::string Raw(const std::string& section, const std::string& name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(KeyPath) + "\\" + section).c_str(), 0, KEY_READ, &key))
        return "<none>";
    char value[512] = "";
    DWORD size = sizeof value;
    const LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return rc ? "<none>" : value;
}

std::vector<std::string> Rows(TZCLListBox* box)
{
    std::vector<std::string> rows;
    for (int i = 0; i < box->Items()->Count(); ++i) rows.push_back(box->Items()->Strings(i).c_str());
    return rows;
}

std::vector<int> Widths(TZCLListBox* box)
{
    std::vector<int> widths;
    for (int i = 0; i < box->SectionCount(); ++i) widths.push_back(box->Header()->GetSectionWidth(i));
    return widths;
}

class ListBoxes : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        DeleteKeyTree(HKEY_CURRENT_USER, KeyPath);
    }
    void TearDown() override
    {
        ShownForm::TearDown();
        DeleteKeyTree(HKEY_CURRENT_USER, KeyPath);
    }
    // A box made the way a form makes it, with the sections given.
    TZCLListBox* Load(std::initializer_list<int> widths, const std::function<void(TComponentLoader&, TZCLListBox*)>& more = {})
    {
        TComponentLoader loading(form.get());
        auto* box = loading.Create<TZCLListBox>();
        box->SetParent(form.get());
        box->SetBounds(10, 10, 280, 200);
        int n = 0;
        for (int w : widths) {
            THeaderSection* s = box->HeaderSections()->Add();
            s->SetWidth(w);
            s->SetText(("Column " + std::to_string(++n)).c_str());
        }
        if (more) more(loading, box);
        loading.Finish();
        return box;
    }
    // What the settings events saw; kept by the fixture, as boxes left on the form still write when it goes.
    std::vector<std::string> log;
    TZCLIniCtrl* NewStore(TComponentLoader& loading)
    {
        auto* store = loading.Create<TZCLIniCtrl>();
        store->SetRegRoot(rpCurrentUser);
        store->SetTarget(itRegistry);
        store->SetRegPath(KeyPath);
        return store;
    }
};

}  // namespace

TEST(ZclListBox, DefaultsAndWhereThePropertiesLive)
{
    TForm form(nullptr);
    auto* box = new TZCLListBox(&form);
    box->SetParent(&form);
    EXPECT_EQ(box->Width(), 100);
    EXPECT_EQ(box->Height(), 100);
    EXPECT_EQ(box->SectionCount(), 1) << "a new box has one section";
    EXPECT_EQ(box->Delimiter(), ';');
    EXPECT_EQ(box->GridLines(), glNone);
    EXPECT_EQ(box->Style(), lbStandard);
    EXPECT_EQ(box->Color(), clWhite);
    EXPECT_EQ(box->SelectedColor(), clHighlight);
    EXPECT_EQ(box->GridHorzColor(), clSilver);
    EXPECT_EQ(box->GridVertColor(), clSilver);
    EXPECT_EQ(box->HeaderHeight(), 25);
    EXPECT_TRUE(box->HeaderVisible());
    EXPECT_TRUE(box->AllowResize());
    EXPECT_TRUE(box->Enabled());
    EXPECT_TRUE(box->ExtendedSelect());
    EXPECT_FALSE(box->MultiSelect());
    EXPECT_FALSE(box->Sorted());
    EXPECT_FALSE(box->ShowHint());
    EXPECT_TRUE(box->ParentShowHint());
    EXPECT_TRUE(box->TabStop()) << "the inner list's";
    EXPECT_FALSE(box->TWinControl::TabStop()) << "the box itself is no tab stop";
    EXPECT_FALSE(box->HeaderHotTrack());
    EXPECT_FALSE(box->HeaderFlat());
    EXPECT_FALSE(box->GetBool(20));
    EXPECT_FALSE(box->GetBool(21));
    EXPECT_EQ(box->VirtualWidth(), 0);
    EXPECT_EQ(box->IniUse(), ioNone);
    EXPECT_EQ(box->Section(), "Common");
    EXPECT_EQ(box->IniKey(), "ListBoxData");
    EXPECT_EQ(box->ListBox()->Style(), lbOwnerDrawFixed) << "always drawn by the box";
    EXPECT_FALSE(box->ListBox()->ControlStyle().Contains(csFramed)) << "no border of its own";
    EXPECT_EQ(box->Header()->Align(), alTop);
    EXPECT_EQ(box->ListBox()->Align(), alClient);
    EXPECT_FALSE(box->VertScrollBar()->Visible());

    // Forwarded both ways.
    box->SetColor(clYellow);
    EXPECT_EQ(box->ListBox()->Color(), clYellow);
    box->SetHeaderFlat(true);
    EXPECT_EQ(box->Header()->Style(), hsFlat);
    box->SetHeaderHotTrack(true);
    EXPECT_TRUE(box->Header()->HotTrack());
    box->SetAllowResize(false);
    EXPECT_FALSE(box->Header()->Enabled());
    box->SetMultiSelect(true);
    EXPECT_TRUE(box->ListBox()->MultiSelect());
    box->SetShowHint(true);
    EXPECT_TRUE(box->ListBox()->ShowHint());
    EXPECT_TRUE(box->Header()->ShowHint());
    box->SetHint("rows");
    EXPECT_EQ(box->Header()->Hint(), "rows");
    EXPECT_EQ(box->Hint(), "rows");
    box->SetEnabled(false);
    EXPECT_FALSE(box->ListBox()->Enabled());
    EXPECT_FALSE(box->Header()->Enabled());
    EXPECT_FALSE(box->TWinControl::Enabled());
    box->SetCursor(crHandPoint);
    EXPECT_EQ(box->ListBox()->Cursor(), crHandPoint);
    TFont font;
    font.SetSize(14);
    box->SetHeaderFont(&font);
    EXPECT_EQ(box->Header()->Font()->Size(), 14);
    box->SetHeaderHeight(31);
    EXPECT_EQ(box->Header()->Height(), 31);
    box->SetHeaderVisible(false);
    EXPECT_FALSE(box->Header()->Visible());

    EXPECT_THROW(box->SetSections(nullptr), Exception);
    try {
        box->SetSections(nullptr);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "This property is no longer used in ZCL!");
    }
}

TEST(ZclListBox, ItemHeightIsTheStandardOneUnlessTheStyleIsOwnerDrawn)
{
    TForm form(nullptr);
    auto* box = new TZCLListBox(&form);
    box->SetParent(&form);
    auto* standard = new TListBox(&form);
    standard->SetParent(&form);
    form.Show();
    const int systems = standard->ItemHeight();
    EXPECT_EQ(box->ItemHeight(), systems) << "a standard list's height";
    box->SetItemHeight(30);
    EXPECT_EQ(box->ItemHeight(), systems) << "ignored with lbStandard";
    box->SetStyle(lbOwnerDrawFixed);
    box->SetItemHeight(30);
    EXPECT_EQ(box->ItemHeight(), 30);
    EXPECT_EQ(box->ListBox()->ItemHeight(), 30);
    box->SetStyle(lbStandard);
    EXPECT_EQ(box->ItemHeight(), systems);
    EXPECT_EQ(box->ListBox()->Style(), lbOwnerDrawFixed);

    // A bigger font: as high as a standard list of that font.
    TFont big;
    big.SetSize(20);
    box->SetFont(&big);
    standard->Font()->Assign(&big);
    EXPECT_EQ(box->ItemHeight(), standard->ItemHeight());
    EXPECT_GT(box->ItemHeight(), systems);
    form.Hide();
}

TEST_F(ListBoxes, EachPartIsDrawnInItsColumnAndNothingBeyondTheLast)
{
    TZCLListBox* box = Load({50, 60, 70});
    box->AddLine({"WWWWWWWWWW", "", "WWW", "WWWW"});  // the first part is wider than its column
    box->AddLine({"W", "W", "W"});
    box->Items()->Add("   ");
    TListBox* list = box->ListBox();
    const TRect row(0, 0, 300, 16);

    Dib wide(300, 16);
    DrawItemTo(list, wide.dc(), 0, row);
    EXPECT_GT(Others(wide, TRect(2, 0, 50, 16), White), 10) << "part 0";
    EXPECT_EQ(Others(wide, TRect(50, 0, 110, 16), White), 0) << "part 0 is clipped to its column; part 1 is empty";
    EXPECT_GT(Others(wide, TRect(112, 0, 180, 16), White), 5) << "part 2 from the column's left + 2";
    EXPECT_EQ(Others(wide, TRect(110, 0, 112, 16), White), 0);
    EXPECT_EQ(Others(wide, TRect(180, 0, 300, 16), White), 0) << "the fourth part has no column";
    EXPECT_EQ(Others(wide, TRect(0, 0, 300, 1), White), 0) << "texts start one pixel down";

    Dib three(300, 16);
    DrawItemTo(list, three.dc(), 1, row);
    for (int left : {0, 50, 110}) EXPECT_GT(Others(three, TRect(left + 2, 0, left + 20, 16), White), 3) << left;

    // A blank row gets its background and, focused, the focus rectangle only.
    Dib blank(300, 16);
    DrawItemTo(list, blank.dc(), 2, row);
    EXPECT_EQ(Others(blank, row, White), 0);
    Dib focused(300, 16);
    DrawItemTo(list, focused.dc(), 2, row, ODS_FOCUS);
    EXPECT_GT(Others(focused, TRect(0, 0, 300, 1), White), 100) << "the focus rectangle";
    EXPECT_EQ(Others(focused, TRect(2, 2, 298, 14), White), 0) << "and nothing inside it";

    // Without sections the whole row from the left, delimiters and all: nothing is left out between the parts.
    box->HeaderSections()->Clear();
    Dib plain(300, 16);
    DrawItemTo(list, plain.dc(), 0, row);
    EXPECT_EQ(Others(plain, TRect(0, 0, 2, 16), White), 0);
    EXPECT_GT(Others(plain, TRect(2, 0, 50, 16), White), 10);
    EXPECT_GT(Others(plain, TRect(50, 0, 110, 16), White), 10) << "the first part is no longer clipped";
}

TEST_F(ListBoxes, GridLinesAndTheSelectedColour)
{
    TZCLListBox* box = Load({50, 60, 70});
    box->AddLine({"a", "b", "c"});
    box->SetGridHorzColor(TColor(RGB(250, 0, 0)));
    box->SetGridVertColor(TColor(RGB(0, 0, 250)));
    TListBox* list = box->ListBox();
    ShowForm();
    const TRect row(0, 0, 250, 18);
    struct Case {
        TZCLLBGridLines lines;
        bool horizontal, vertical;
    };
    for (const Case& c : {Case{glNone, false, false}, Case{glHorizontal, true, false}, Case{glVertical, false, true},
                          Case{glBoth, true, true}}) {
        box->SetGridLines(c.lines);
        Dib dib(250, 18);
        DrawItemTo(list, dib.dc(), 0, row);
        EXPECT_EQ(dib.At(200, 17) == RGB(250, 0, 0), c.horizontal) << int(c.lines) << " the row's last line";
        EXPECT_EQ(dib.At(200, 16) == RGB(250, 0, 0), false);
        for (int x : {0, 50, 110})
            EXPECT_EQ(dib.At(x, 8) == RGB(0, 0, 250), c.vertical) << int(c.lines) << " at " << x;
        EXPECT_NE(dib.At(180, 8), RGB(0, 0, 250)) << "no line after the last section";
    }

    box->SetGridLines(glNone);
    box->SetSelectedColor(TColor(RGB(0, 128, 0)));
    Dib selected(250, 18);
    DrawItemTo(list, selected.dc(), 0, row, ODS_SELECTED);
    EXPECT_EQ(selected.At(40, 8), RGB(0, 128, 0));
    EXPECT_GT(Count(selected, TRect(2, 0, 50, 18), Sys(COLOR_HIGHLIGHTTEXT)), 3) << "the text in the highlight's text colour";

    // Disabled rows show their text in the inactive caption's colour.
    box->SetEnabled(false);
    Dib disabled(250, 18);
    DrawItemTo(list, disabled.dc(), 0, row);
    EXPECT_GT(Count(disabled, TRect(2, 0, 50, 18), Sys(COLOR_INACTIVECAPTION)), 3);
}

TEST_F(ListBoxes, AnOwnerDrawnStyleHandsTheRowsToOnDrawItem)
{
    TZCLListBox* box = Load({50});
    box->Items()->Add("x");
    std::vector<int> drawn;
    box->SetOnDrawItem(TDrawItemEvent::From([&](TWinControl* c, int index, TRect, TOwnerDrawState) {
        EXPECT_EQ(c, box->ListBox());
        drawn.push_back(index);
    }));
    Dib dib(100, 16);
    DrawItemTo(box->ListBox(), dib.dc(), 0, TRect(0, 0, 100, 16));
    EXPECT_TRUE(drawn.empty()) << "a standard style draws itself";
    EXPECT_GT(Others(dib, TRect(0, 0, 100, 16), White), 3);
    box->SetStyle(lbOwnerDrawFixed);
    DrawItemTo(box->ListBox(), dib.dc(), 0, TRect(0, 0, 100, 16));
    EXPECT_EQ(drawn, std::vector<int>{0});
}

TEST_F(ListBoxes, ClicksSelectAndFireOnSelectKeysMoveTheSelection)
{
    int selects = 0;
    TZCLListBox* box = Load({80, 80}, [&](TComponentLoader&, TZCLListBox* b) {
        b->SetOnSelect(TNotifyEvent::From([&, b](TObject* s) {
            EXPECT_EQ(s, b);
            ++selects;
        }));
    });
    for (int i = 0; i < 5; ++i) box->AddLine({("row " + std::to_string(i)).c_str(), "x"});
    ShowForm();
    TListBox* list = box->ListBox();
    const TRect third = list->ItemRect(2);
    ClickAt(list, 30, (third.top + third.bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return selects == 1; }));
    EXPECT_EQ(box->ItemIndex(), 2);
    EXPECT_TRUE(box->Selected(2));
    EXPECT_EQ(box->ItemAtPos(TPoint(30, (third.top + third.bottom) / 2), true), 2);

    controltest::Key(VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return box->ItemIndex() == 3; }));
    EXPECT_EQ(selects, 1) << "only the left button fires it";
    box->SetItemIndex(0);
    EXPECT_EQ(box->ItemIndex(), 0);
    EXPECT_EQ(box->TopIndex(), 0);
}

TEST_F(ListBoxes, HeaderWidthsDraggedWithTheMouseAreKeptInTheStoreAndComeBack)
{
    std::vector<std::pair<int, int>> sized;
    std::vector<int> resized;
    TZCLListBox* box = Load({80, 60, 90}, [&](TComponentLoader& loading, TZCLListBox* b) {
        b->SetIniUse(ioUseLink);
        b->SetSection("Lists");
        NewStore(loading);
        b->SetOnHeaderSized(TSectionEvent::From([&](TObject*, int section, int width) { sized.push_back({section, width}); }));
        b->SetOnHeaderSectionResize(
            TSectionNotifyEvent::From([&](THeaderControl*, THeaderSection* s) { resized.push_back(s->Index()); }));
        b->SetOnIniReadData(TZCLIniCtrlEvent::From([&](TObject*, TZCLIniCtrl* c, const AnsiString& section) {
            log.push_back(std::string("read ") + (c ? "store " : "none ") + section.c_str());
        }));
        b->SetOnIniWriteData(TZCLIniCtrlEvent::From([&](TObject*, TZCLIniCtrl* c, const AnsiString& section) {
            log.push_back(std::string("write ") + (c ? "store " : "none ") + section.c_str());
        }));
    });
    ASSERT_NE(box->IniLink(), nullptr) << "the form's store, inserted after the box, is its link";
    EXPECT_EQ(log, std::vector<std::string>{"read store Lists"});
    EXPECT_EQ(Widths(box), (std::vector<int>{80, 60, 90})) << "nothing stored yet";
    ShowForm();

    // Drag the divider after the first section 25 pixels right.
    const TPoint divider = box->Header()->ClientToScreen(TPoint(80, 10));
    controltest::MouseTo(divider.x - 1, divider.y);
    controltest::MouseButton(true);
    controltest::MouseTo(divider.x + 12, divider.y);
    controltest::MouseTo(divider.x + 24, divider.y);
    controltest::MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return box->Header()->GetSectionWidth(0) == 105; }));
    ASSERT_FALSE(sized.empty());
    EXPECT_EQ(sized.back(), std::make_pair(0, 105));
    EXPECT_EQ(resized.back(), 0);

    // From code too.
    box->Header()->SetSectionWidth(2, 44);
    EXPECT_EQ(sized.back(), std::make_pair(2, 44));
    const std::size_t before = sized.size();
    box->Header()->SetSectionWidth(2, 44);
    EXPECT_EQ(sized.size(), before) << "an unchanged width fires nothing";

    log.clear();
    delete box;
    EXPECT_EQ(log, std::vector<std::string>{"write store Lists"});
    EXPECT_EQ(Raw("Lists", "ListBoxData"), "105,60,44");

    // The next box of the form gets them back.
    log.clear();
    TZCLListBox* again = Load({80, 60, 90}, [&](TComponentLoader& loading, TZCLListBox* b) {
        b->SetIniUse(ioUseLink);
        b->SetSection("Lists");
        NewStore(loading);
    });
    EXPECT_EQ(Widths(again), (std::vector<int>{105, 60, 44}));

    // A box without sections removes what was stored.
    again->HeaderSections()->Clear();
    again->WriteData();
    EXPECT_EQ(Raw("Lists", "ListBoxData"), "<none>");
}

TEST_F(ListBoxes, StoredWidthsMakeTheSectionsTheyNeed)
{
    TZCLListBox* box = Load({100});
    box->SetIniString("50,60,70");
    ASSERT_EQ(box->SectionCount(), 3);
    EXPECT_EQ(Widths(box), (std::vector<int>{50, 60, 70}));
    EXPECT_EQ(box->HeaderSections()->Items(0)->Text(), "Column 1");
    EXPECT_EQ(box->HeaderSections()->Items(1)->Text(), "S. 2");
    EXPECT_EQ(box->HeaderSections()->Items(2)->Text(), "S. 3");
    EXPECT_EQ(box->GetIniString(), "50,60,70");

    struct Case {
        const char* stored;
        std::vector<int> widths;
    };
    // clang-format off
    const Case cases[] = {
        {"",             {50, 60, 70}},        // nothing stored: unchanged
        {"30",           {30, 60, 70}},        // fewer values: the rest stay
        {"31,x,33",      {31, 60, 33}},        // no number: that section stays
        {"40,,42",       {40, 60, 42}},
        {"-5,61, 71 ",   {0, 61, 71}},         // no negative widths
        {"1,2,3,4",      {1, 2, 3, 4}},
    };
    // clang-format on
    for (const Case& c : cases) {
        box->SetIniString(c.stored);
        EXPECT_EQ(Widths(box), c.widths) << '"' << c.stored << '"';
    }

    // A damaged value does not grow the header without end.
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "9,";
    box->SetIniString(many.c_str());
    EXPECT_EQ(box->SectionCount(), 256);
    EXPECT_EQ(box->HeaderSections()->Items(255)->Text(), "S. 256");
}

TEST_F(ListBoxes, SettingsWithoutAStoreOnlyFireTheEvents)
{
    auto record = [&](const char* what) {
        return TZCLIniCtrlEvent::From([this, what](TObject*, TZCLIniCtrl* c, const AnsiString&) {
            log.push_back(std::string(what) + (c ? " store" : " none"));
        });
    };
    TZCLListBox* box = Load({50}, [&](TComponentLoader&, TZCLListBox* b) {
        b->SetIniUse(ioUseLink);  // but no store on the form
        b->SetOnIniReadData(record("read"));
        b->SetOnIniWriteData(record("write"));
    });
    box->WriteData();
    box->SetIniUse(ioNone);
    box->ReadData();
    EXPECT_EQ(log, (std::vector<std::string>{"read none", "write none", "read none"}));
    EXPECT_EQ(Raw("Common", "ListBoxData"), "<none>");

    // The link is let go when its store goes.
    TComponentLoader loading(form.get());
    TZCLIniCtrl* store = NewStore(loading);
    loading.Finish();
    box->SetIniLink(store);
    delete store;
    EXPECT_EQ(box->IniLink(), nullptr);
}

TEST_F(ListBoxes, SpecialSortOrdersByTheChosenColumns)
{
    TZCLListBox* box = Load({50, 50, 50});
    const std::vector<std::string> rows{"b;2;x", "a;;y", "c;10;x", "d;1;y", "e;B;x", "f;a;y"};
    auto fill = [&] {
        box->Items()->Clear();
        for (const std::string& r : rows) box->Items()->Add(r.c_str());
    };
    fill();
    box->SpecialSort({1});
    // Plain text: the empty part counts as a space, before digits, capitals and small letters.
    EXPECT_EQ(Rows(box), (std::vector<std::string>{"a;;y", "d;1;y", "c;10;x", "b;2;x", "e;B;x", "f;a;y"}));
    box->SetSortDescending(true);
    fill();
    box->SpecialSort({1});
    EXPECT_EQ(Rows(box), (std::vector<std::string>{"f;a;y", "e;B;x", "b;2;x", "c;10;x", "d;1;y", "a;;y"}));
    box->SetSortDescending(false);

    // Two columns: the keys are joined.
    fill();
    box->SpecialSort({2, 0});
    EXPECT_EQ(Rows(box), (std::vector<std::string>{"b;2;x", "c;10;x", "e;B;x", "a;;y", "d;1;y", "f;a;y"}));

    // A compare of the caller's: by number.
    box->SetSortCompare([](const AnsiString& a, const AnsiString& b) { return StrToIntDef(a, -1) - StrToIntDef(b, -1); });
    fill();
    box->SpecialSort({1});
    const std::vector<std::string> sorted = Rows(box);
    EXPECT_EQ(std::vector<std::string>(sorted.end() - 3, sorted.end()),
              (std::vector<std::string>{"d;1;y", "b;2;x", "c;10;x"}));
}

TEST_F(ListBoxes, SpecialSortOfManyRowsWithRepeatedKeys)
{
    TZCLListBox* box = Load({50, 50});
    std::mt19937 random(7);
    std::vector<std::string> keys;
    for (int i = 0; i < 300; ++i) {
        const std::string key = std::to_string(random() % 17);
        keys.push_back(key);
        box->AddLine({("r" + std::to_string(i)).c_str(), key.c_str()});
    }
    for (bool descending : {false, true}) {
        box->SetSortDescending(descending);
        box->SpecialSort({1});
        std::vector<std::string> got;
        for (int i = 0; i < box->Items()->Count(); ++i) got.push_back(box->ItemPart(i, 1).c_str());
        std::vector<std::string> expected = keys;
        std::sort(expected.begin(), expected.end());
        if (descending) std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(got, expected) << (descending ? "descending" : "ascending");
        EXPECT_EQ(box->Items()->Count(), 300) << "no row lost";
    }
    // Every row is still there once.
    std::vector<std::string> names;
    for (int i = 0; i < box->Items()->Count(); ++i) names.push_back(box->ItemPart(i, 0).c_str());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
}

TEST_F(ListBoxes, RowParts)
{
    TZCLListBox* box = Load({50, 50});
    box->AddLine({"one", "two", "three"});
    EXPECT_EQ(box->Items()->Strings(0), "one;two;three");
    EXPECT_EQ(box->ItemPart(0, 1), "two");
    EXPECT_EQ(box->ItemPart(0, 5), "");
    EXPECT_EQ(box->ItemPart(3, 0), "") << "no such row";
    box->SetItemPart(0, 1, "2");
    EXPECT_EQ(box->Items()->Strings(0), "one;2;three");
    box->SetItemPart(0, 4, "five");
    EXPECT_EQ(box->Items()->Strings(0), "one;2;three;;five");
    box->SetItemPart(9, 0, "x");
    EXPECT_EQ(box->Items()->Count(), 1);
    EXPECT_EQ(box->GetPartString("a;b;c", 2), "c");
    box->SetDelimiter('|');
    box->AddLine({"x", "y"});
    EXPECT_EQ(box->Items()->Strings(1), "x|y");
}

TEST_F(ListBoxes, AVirtualWidthScrollsHeaderAndListSidewaysTogether)
{
    TZCLListBox* box = Load({150, 150, 150});
    for (int i = 0; i < 5; ++i) box->AddLine({"a", "b", "c"});
    ShowForm();
    EXPECT_EQ(box->ListBox()->Width(), box->ClientWidth());
    EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());

    box->SetVirtualWidth(450);
    ASSERT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box->ListBox()->Width(), 450);
    EXPECT_EQ(box->Header()->Width(), 450);
    EXPECT_EQ(box->ListBox()->Top(), box->Header()->Height());
    EXPECT_EQ(box->ListBox()->Height(), box->ClientHeight() - box->Header()->Height());

    // A real click on the bar's right arrow moves both.
    RECT w;
    GetWindowRect(box->Handle(), &w);
    const int bar = GetSystemMetrics(SM_CXHSCROLL);
    ClickOnBar(w.right - 2 - bar / 2, w.bottom - 2 - GetSystemMetrics(SM_CYHSCROLL) / 2);
    ASSERT_TRUE(PumpUntil([&] { return box->ListBox()->Left() < 0; }));
    EXPECT_EQ(box->Header()->Left(), box->ListBox()->Left());

    // Without the header the list starts at the top.
    box->SetHeaderVisible(false);
    EXPECT_EQ(box->ListBox()->Top(), 0);
    EXPECT_EQ(box->ListBox()->Height(), box->ClientHeight());
    box->SetHeaderVisible(true);

    box->SetVirtualWidth(-3);
    EXPECT_EQ(box->VirtualWidth(), 450) << "negative values are ignored";
    box->SetVirtualWidth(0);
    EXPECT_EQ(box->ListBox()->Align(), alClient);
    EXPECT_EQ(box->Header()->Align(), alTop);
    EXPECT_EQ(box->ListBox()->Left(), 0);
    EXPECT_EQ(box->ListBox()->Width(), box->ClientWidth());
    EXPECT_TRUE(PumpUntil([&] { return !box->HorzScrollBar()->IsScrollBarVisible(); }));
}

TEST_F(ListBoxes, TheBoxsEventsAreTheInnerListsOnceLoaded)
{
    int clicks = 0, keys = 0;
    TZCLListBox* box = Load({80}, [&](TComponentLoader&, TZCLListBox* b) {
        b->SetOnClick(TNotifyEvent::From([&](TObject*) { ++clicks; }));
        b->SetOnKeyDown(TKeyEvent::From([&](TObject*, WORD&, TShiftState) { ++keys; }));
    });
    for (const char* s : {"a", "b", "c"}) box->Items()->Add(s);
    ShowForm();
    const TRect second = box->ListBox()->ItemRect(1);
    ClickAt(box->ListBox(), 20, (second.top + second.bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
    controltest::Key(VK_DOWN);
    EXPECT_TRUE(PumpUntil([&] { return keys >= 1; }));
}

TEST(ZclListBox, OlderFormsGiveSectionsAsCaptionsWithWidths)
{
    TForm form(nullptr);
    auto* box = new TZCLListBox(&form);
    box->HeaderSections()->Clear();
    TZCLHeaderStrings* legacy = box->Sections();
    ASSERT_NE(legacy, nullptr);
    struct Case {
        std::string stored;
        const char* caption;
        int width;
    };
    const Case cases[] = {
        {std::string("\0" "120\0Name", 9), "Name", 121},
        {"Plain", "Plain", 76},
        {std::string("\0abc\0X", 6), "X", 76},  // no number: 75
        {std::string("\0" "30", 3), "", 31},     // no caption after the width
        {std::string("\0\0Empty", 7), "Empty", 76},
        {"", "", 76},
    };
    for (const Case& c : cases) legacy->AddSection(AnsiString(c.stored));
    ASSERT_EQ(box->SectionCount(), int(std::size(cases)));
    for (int i = 0; i < box->SectionCount(); ++i) {
        EXPECT_EQ(box->HeaderSections()->Items(i)->Text(), cases[i].caption) << i;
        EXPECT_EQ(box->HeaderSections()->Items(i)->Width(), cases[i].width) << i;
    }
    // Once loaded the obsolete list is gone.
    box->Loaded();
    EXPECT_EQ(box->Sections(), nullptr);
}

TEST_F(ListBoxes, AClickOnAHeaderSectionSortsByItsColumnAndAgainTheOtherWay)
{
    int lastColumn = -1;
    std::vector<int> clicked;
    TZCLListBox* box = Load({80, 80, 80}, [&](TComponentLoader&, TZCLListBox* b) {
        b->SetOnHeaderSectionClick(TSectionNotifyEvent::From([&, b](THeaderControl* header, THeaderSection* s) {
            EXPECT_EQ(header, b->Header());
            clicked.push_back(s->Index());
            b->SetSortDescending(s->Index() == lastColumn && !b->SortDescending());
            lastColumn = s->Index();
            b->SpecialSort({s->Index()});
        }));
    });
    for (const char* row : {"pear;3;b", "apple;1;c", "fig;2;a", "kiwi;;d"}) box->Items()->Add(row);
    ShowForm();
    auto names = [&] {
        std::vector<std::string> got;
        for (int i = 0; i < box->Items()->Count(); ++i) got.push_back(box->ItemPart(i, 0).c_str());
        return got;
    };
    struct Case {
        int section, x;  // x inside the section; repeated clicks land apart, so none is taken for a double click
        std::vector<std::string> names;
    };
    // clang-format off
    const Case cases[] = {
        {0, 20, {"apple", "fig", "kiwi", "pear"}},
        {0, 60, {"pear", "kiwi", "fig", "apple"}},   // the same column again: the other way round
        {1, 20, {"kiwi", "apple", "fig", "pear"}},   // the empty part sorts first
        {2, 20, {"fig", "pear", "apple", "kiwi"}},
        {2, 60, {"kiwi", "apple", "pear", "fig"}},
        {2, 20, {"fig", "pear", "apple", "kiwi"}},
    };
    // clang-format on
    std::size_t n = 0;
    for (const Case& c : cases) {
        ClickAt(box->Header(), c.section * 80 + c.x, box->Header()->Height() / 2);
        ++n;
        ASSERT_TRUE(PumpUntil([&] { return clicked.size() == n; }, 5000)) << "click " << n;
        EXPECT_EQ(clicked.back(), c.section);
        EXPECT_EQ(names(), c.names) << "click " << n;
    }
    // The sorted rows are what the list draws: the first row's parts stand in their columns.
    EXPECT_EQ(box->Items()->Strings(0), "fig;2;a");
}

TEST_F(ListBoxes, KeysMoveAndExtendTheSelectionOfAMultipleSelectList)
{
    int selects = 0;
    TZCLListBox* box = Load({80, 80}, [&](TComponentLoader&, TZCLListBox* b) {
        b->SetMultiSelect(true);
        b->SetExtendedSelect(true);
        b->SetOnSelect(TNotifyEvent::From([&](TObject*) { ++selects; }));
    });
    for (int i = 0; i < 6; ++i) box->AddLine({("row " + std::to_string(i)).c_str(), "x"});
    ShowForm();
    TListBox* list = box->ListBox();
    const TRect second = list->ItemRect(1);
    ClickAt(list, 30, (second.top + second.bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return selects == 1 && box->Selected(1); }));
    auto selectedRows = [&] {
        std::vector<int> rows;
        for (int i = 0; i < box->Items()->Count(); ++i)
            if (box->Selected(i)) rows.push_back(i);
        return rows;
    };
    struct Case {
        WORD key;
        std::vector<WORD> modifiers;
        int caret;
        std::vector<int> selected;
    };
    // clang-format off
    const Case cases[] = {
        {VK_DOWN, {VK_SHIFT}, 2, {1, 2}},
        {VK_DOWN, {VK_SHIFT}, 3, {1, 2, 3}},
        {VK_UP,   {VK_SHIFT}, 2, {1, 2}},
        {VK_END,  {},         5, {5}},
        {VK_HOME, {VK_SHIFT}, 0, {0, 1, 2, 3, 4, 5}},
        {VK_DOWN, {},         1, {1}},
    };
    // clang-format on
    for (const Case& c : cases) {
        controltest::Key(c.key, c.modifiers);
        EXPECT_TRUE(PumpUntil([&] { return box->ItemIndex() == c.caret && selectedRows() == c.selected; }))
            << "key " << c.key << ": caret " << box->ItemIndex();
        EXPECT_EQ(box->SelCount(), int(c.selected.size()));
    }
    EXPECT_EQ(selects, 1) << "keys fire no OnSelect";
}

TEST_F(ListBoxes, OnSelectOutlivesANewListWindowAndEndsWithTheBox)
{
    int selects = 0;
    TZCLListBox* box = Load({80}, [&](TComponentLoader&, TZCLListBox* b) {
        b->SetOnSelect(TNotifyEvent::From([&](TObject*) { ++selects; }));
    });
    for (const char* s : {"a", "b", "c"}) box->Items()->Add(s);
    ShowForm();
    TListBox* list = box->ListBox();
    const HWND first = list->Handle();
    box->SetStyle(lbOwnerDrawVariable);  // the list is made again
    ASSERT_TRUE(PumpUntil([&] { return list->HandleAllocated() && IsWindowVisible(list->Handle()); }));
    EXPECT_NE(list->Handle(), first);
    const TRect third = list->ItemRect(2);
    ClickAt(list, 20, (third.top + third.bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return selects == 1; }));
    EXPECT_EQ(box->ItemIndex(), 2);

    // Gone while its list has the focus and a press waits in the queue: nothing reaches the freed box.
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == list->Handle(); }));
    const HWND wnd = list->Handle();
    PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    delete box;
    Pump(20);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(selects, 1);
}

TEST_F(ListBoxes, ASettingsWriteThatFailsAsTheBoxGoesIsReportedNotThrown)
{
    std::vector<std::string> reported;
    const TExceptionEvent previous = Application->OnException();
    Application->SetOnException(TExceptionEvent::From([&](TObject* sender, Exception* e) {
        reported.push_back(e->Message().c_str());
        EXPECT_NE(sender, nullptr);
    }));
    TZCLListBox* box = Load({50, 50}, [&](TComponentLoader& loading, TZCLListBox* b) {
        b->SetIniUse(ioUseLink);
        NewStore(loading);
        b->SetOnIniWriteData(TZCLIniCtrlEvent::From([](TObject*, TZCLIniCtrl*, const AnsiString&) {
            throw Exception("the store went away");
        }));
    });
    ShowForm();
    EXPECT_NO_THROW(delete box);
    Application->SetOnException(previous);
    EXPECT_EQ(reported, std::vector<std::string>{"the store went away"});
    EXPECT_EQ(Raw("Common", "ListBoxData"), "50,50") << "written before the event";

    // Called by the program, the same failure reaches the caller.
    TZCLListBox* other = Load({50}, [&](TComponentLoader&, TZCLListBox* b) {
        b->SetOnIniWriteData(TZCLIniCtrlEvent::From([](TObject*, TZCLIniCtrl*, const AnsiString&) {
            throw Exception("again");
        }));
    });
    EXPECT_THROW(other->WriteData(), Exception);
    other->SetOnIniWriteData(TZCLIniCtrlEvent());
}

TEST_F(ListBoxes, SpecialSortOfRowsAlreadyInOrderReversedOrAllAlike)
{
    TZCLListBox* box = Load({50, 50});
    constexpr int N = 1500;
    struct Case {
        const char* name;
        int (*key)(int i);
    };
    const Case cases[] = {
        {"in order", [](int i) { return i; }},
        {"reversed", [](int i) { return N - i; }},
        {"all alike", [](int) { return 7; }},
        {"up and down", [](int i) { return i < N / 2 ? i : N - i; }},
        {"two values", [](int i) { return i % 2; }},
    };
    for (const Case& c : cases) {
        box->Items()->Clear();
        std::vector<std::string> expected;
        char text[32];
        for (int i = 0; i < N; ++i) {
            std::snprintf(text, sizeof text, "%06d", c.key(i));
            expected.push_back(text);
            box->AddLine({AnsiString(IntToStr(i)), AnsiString(text)});
        }
        std::sort(expected.begin(), expected.end());
        box->SpecialSort({1});
        std::vector<std::string> got;
        std::vector<int> names;
        for (int i = 0; i < box->Items()->Count(); ++i) {
            got.push_back(box->ItemPart(i, 1).c_str());
            names.push_back(StrToInt(box->ItemPart(i, 0)));
        }
        EXPECT_EQ(got, expected) << c.name;
        std::sort(names.begin(), names.end());
        for (int i = 0; i < N; ++i)
            if (names[std::size_t(i)] != i) {
                ADD_FAILURE() << c.name << ": row " << i << " lost";
                break;
            }
    }
}

TEST_F(ListBoxes, TabReachesTheInnerListWhichRunsTheBoxsFocusEvents)
{
    std::vector<std::string> focus;
    TComponentLoader loading(form.get());
    auto* before = loading.Create<TButton>();
    before->SetParent(form.get());
    before->SetBounds(10, 215, 80, 22);
    before->SetCaption("before");
    auto* box = loading.Create<TZCLListBox>();
    box->SetParent(form.get());
    box->SetBounds(10, 10, 280, 200);
    box->SetOnEnter(TNotifyEvent::From([&](TObject*) { focus.push_back("enter"); }));
    box->SetOnExit(TNotifyEvent::From([&](TObject*) { focus.push_back("exit"); }));
    auto* after = loading.Create<TButton>();
    after->SetParent(form.get());
    after->SetBounds(100, 215, 80, 22);
    after->SetCaption("after");
    loading.Finish();
    for (const char* s : {"a;1", "b;2"}) box->Items()->Add(s);
    ShowForm();
    before->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return before->Focused(); }));

    controltest::Key(VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return box->ListBox()->Focused(); })) << "the list, not the box or its header";
    EXPECT_EQ(focus, std::vector<std::string>{"enter"});
    controltest::Key(VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return after->Focused(); }));
    EXPECT_EQ(focus, (std::vector<std::string>{"enter", "exit"}));

    // Without the tab stop the list is passed over.
    box->SetTabStop(false);
    before->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return before->Focused(); }));
    controltest::Key(VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return after->Focused(); }));
    EXPECT_EQ(focus.size(), 2u);
    box->SetOnEnter(TNotifyEvent());
    box->SetOnExit(TNotifyEvent());
    box->ListBox()->SetOnEnter(TNotifyEvent());
    box->ListBox()->SetOnExit(TNotifyEvent());
}
