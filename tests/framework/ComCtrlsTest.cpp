// Page control, tool bar, hot key and header on a real form, driven with real input.

#include <gtest/gtest.h>

#include "StdCtrlsHelpers.h"
#include "framework/visual/ComCtrls.h"
#include "framework/visual/ExtCtrls.h"

using namespace stdctrltest;

namespace {

class Pages : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        pages = new TPageControl(form.get());
        pages->SetParent(form.get());
        pages->SetBounds(5, 5, 410, 250);
        for (const char* caption : {"Communication Settings", "Application", "Mouse && Keyboard", "Password"}) {
            auto* sheet = new TTabSheet(form.get());
            sheet->SetPageControl(pages);
            sheet->SetCaption(caption);
            sheets.push_back(sheet);
        }
        check = new TCheckBox(form.get());
        check->SetParent(sheets[2]);
        check->SetBounds(10, 10, 100, 17);
        pages->SetOnChange(TNotifyEvent::From([this](TObject*) { log.push_back(pages->ActivePage()->Caption().c_str()); }));
    }
    POINT TabPoint(int index)
    {
        RECT r;
        SendMessageA(pages->Handle(), TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&r));
        return ScreenPoint(pages, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    TPageControl* pages;
    std::vector<TTabSheet*> sheets;
    TCheckBox* check;
};

TEST_F(Pages, TheUsersSwitchShowsThePageAndFiresOnChangeButCodesDoesNot)
{
    ShowForm();
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    pages->SetActivePage(sheets[1]);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(check->Showing());

    ClickAt(TabPoint(2));
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(log, (std::vector<std::string>{"Mouse && Keyboard"}));
    EXPECT_TRUE(check->Showing());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(sheets[std::size_t(i)]->Visible(), i == 2) << i;

    // The sheet fills the tab control's display area.
    RECT display;
    GetClientRect(pages->Handle(), &display);
    SendMessageA(pages->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    EXPECT_EQ(sheets[2]->BoundsRect(), TRect(display));
}

TEST_F(Pages, OnChangingCanRefuseASwitch)
{
    pages->SetOnChanging(TTabChangingEvent::From([](TObject*, bool& allow) { allow = false; }));
    ShowForm();
    ClickAt(TabPoint(3));
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(Pages, FreeingASheetTakesItsTabAndMovesTheActivePage)
{
    ShowForm();
    pages->SetActivePage(sheets[3]);
    delete sheets[3];
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_TRUE(sheets[2]->Visible());
}

// ---------------------------------------------------------------------------------------------------------------

class ToolBars : public ShownForm {};

TEST_F(ToolBars, AFlatButtonShowsItsActionAndAClickExecutesIt)
{
    auto* actions = new TActionList(form.get());
    auto* hide = new TAction(form.get());
    hide->SetActionList(actions);
    hide->SetCaption("Hide window");
    hide->SetHint("Hides the window");
    hide->SetImageIndex(0);
    int executed = 0;
    hide->SetOnExecute(TNotifyEvent::From([&](TObject*) { ++executed; }));
    auto* images = new TImageList(form.get());
    images->SetSize(16, 16);
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(TRect(0, 0, 16, 16));
    images->Add(&glyph, nullptr);

    auto* bar = new TToolBar(form.get());
    bar->SetParent(form.get());
    bar->SetFlat(true);
    bar->SetImages(images);
    auto* button = new TToolButton(form.get());
    button->SetParent(bar);
    button->SetAction(hide);
    ShowForm();

    EXPECT_EQ(button->Caption(), "Hide window");
    EXPECT_EQ(button->Hint(), "Hides the window");
    EXPECT_EQ(button->ImageIndex(), 0);
    EXPECT_EQ(button->Left(), 2);
    Click(button);
    EXPECT_EQ(executed, 1);
    // The image is on the screen, centred.
    const POINT centre = ScreenPoint(button);
    HDC screen = GetDC(nullptr);
    const COLORREF seen = GetPixel(screen, centre.x, centre.y);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(seen, RGB(255, 0, 0));

    hide->SetEnabled(false);
    EXPECT_FALSE(button->Enabled());
    Click(button);
    EXPECT_EQ(executed, 1);
    hide->SetCaption("Show window");
    EXPECT_EQ(button->Caption(), "Show window");
}

// ---------------------------------------------------------------------------------------------------------------

class HotKeys : public ShownForm {};

TEST_F(HotKeys, TypedCombinationsBecomeShortCutsUnderTheRules)
{
    auto* hot = new THotKey(form.get());
    hot->SetParent(form.get());
    hot->SetBounds(10, 10, 150, 20);
    hot->SetHotKey(scCtrl | 'K');
    int changes = 0;
    hot->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    ShowForm();
    EXPECT_EQ(hot->HotKey(), TShortCut(scCtrl | 'K'));
    hot->SetFocus();
    Pump(30);
    Key(VK_F5, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(hot->HotKey(), TShortCut(scCtrl | scShift | VK_F5));
    EXPECT_GT(changes, 0);
    Key('B');  // a plain letter is refused by the default rules and gets Alt
    EXPECT_EQ(hot->HotKey(), TShortCut(scAlt | 'B'));

    hot->SetInvalidKeys(THKInvalidKeys{hcNone});
    hot->SetModifiers(THKModifiers{hkCtrl});
    Key('C');
    EXPECT_EQ(hot->HotKey(), TShortCut(scCtrl | 'C'));

    hot->RecreateWnd();
    EXPECT_EQ(hot->HotKey(), TShortCut(scCtrl | 'C')) << "the key outlives the window";
    hot->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(hot->Handle()));
}

// Keys the control does not record stay the dialog's: Enter takes the default button, Escape the cancel one,
// Tab moves on; the recorded combination is left as it was.
TEST_F(HotKeys, EnterEscapeAndTabStayTheDialogs)
{
    auto* hot = new THotKey(form.get());
    hot->SetParent(form.get());
    hot->SetBounds(10, 10, 150, 20);
    hot->SetTabOrder(0);
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetBounds(10, 40, 75, 25);
    ok->SetDefault(true);
    ok->SetOnClick(Logger("ok"));
    auto* cancel = new TButton(form.get());
    cancel->SetParent(form.get());
    cancel->SetBounds(90, 40, 75, 25);
    cancel->SetCancel(true);
    cancel->SetOnClick(Logger("cancel"));
    ShowForm();
    const struct {
        WORD key;
        const char* clicked;  // or null
        bool staysOnTheInput;
    } keys[] = {{VK_RETURN, "ok", true}, {VK_ESCAPE, "cancel", true}, {VK_TAB, nullptr, false}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        log.clear();
        hot->SetFocus();
        Pump(30);
        Key('K', {VK_CONTROL});
        ASSERT_EQ(hot->HotKey(), TShortCut(scCtrl | 'K'));
        Key(k.key);
        if (k.clicked)
            EXPECT_TRUE(PumpUntil([&] { return log == std::vector<std::string>{k.clicked}; }, 5000));
        else
            EXPECT_TRUE(PumpUntil([&] { return GetFocus() == ok->Handle(); }, 5000)) << "Tab moves to the next";
        EXPECT_EQ(hot->HotKey(), TShortCut(scCtrl | 'K'));
        EXPECT_EQ(GetFocus() == hot->Handle(), k.staysOnTheInput);
    }
}

// ---------------------------------------------------------------------------------------------------------------

class Headers : public ShownForm {};

TEST_F(Headers, SectionsAreClickedAndResizedWithTheMouse)
{
    auto* header = new THeaderControl(form.get());
    header->SetParent(form.get());
    header->SetHeight(20);
    for (int w : {80, 60, 100}) {
        THeaderSection* s = header->Sections()->Add();
        s->SetWidth(w);
        s->SetText("Column " + IntToStr(w));
    }
    header->Sections()->Items(0)->SetMinWidth(40);
    std::vector<int> clicked, resized;
    header->SetOnSectionClick(TSectionNotifyEvent::From([&](THeaderControl*, THeaderSection* s) { clicked.push_back(s->Index()); }));
    header->SetOnSectionResize(TSectionNotifyEvent::From([&](THeaderControl*, THeaderSection* s) { resized.push_back(s->Index()); }));
    ShowForm();
    ASSERT_EQ(SendMessageA(header->Handle(), HDM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(header->Sections()->Items(2)->Left(), 140);

    Click(header, 140 + 50, 10);
    EXPECT_EQ(clicked, (std::vector<int>{2}));

    // Drag the divider after the first section 30 pixels right.
    const POINT divider = ScreenPoint(header, 80, 10);
    MouseTo(divider.x - 1, divider.y);
    MouseButton(true);
    MouseTo(divider.x + 15, divider.y);
    MouseTo(divider.x + 29, divider.y);
    MouseButton(false);
    EXPECT_EQ(header->Sections()->Items(0)->Width(), 110);
    EXPECT_FALSE(resized.empty());
    EXPECT_EQ(resized.back(), 0);
    EXPECT_EQ(header->Sections()->Items(1)->Left(), 110);

    header->Sections()->Items(0)->SetWidth(10);  // below its minimum
    EXPECT_EQ(header->Sections()->Items(0)->Width(), 40);
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    SendMessageA(header->Handle(), HDM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.cxy, 40);
    header->Sections()->Clear();
    EXPECT_EQ(SendMessageA(header->Handle(), HDM_GETITEMCOUNT, 0, 0), 0);
}

// ---------------------------------------------------------------------------------------------------------------

class Panels : public ShownForm {};

TEST_F(Panels, ChildrenAlignInsideTheBevels)
{
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(10, 10, 200, 100);
    panel->SetBevelInner(TBevelCut::bvLowered);
    panel->SetBorderWidth(3);
    auto* inner = new TButton(form.get());
    inner->SetParent(panel);
    inner->SetAlign(alClient);
    ShowForm();
    EXPECT_EQ(inner->BoundsRect(), TRect(5, 5, 195, 95));
    panel->SetBevelOuter(TBevelCut::bvNone);
    EXPECT_EQ(inner->BoundsRect(), TRect(4, 4, 196, 96));
}

}  // namespace
