// A form holding every standard control, saved as a picture under the build folder's artifacts.

#include <gtest/gtest.h>

#include "StdCtrlsHelpers.h"
#include "framework/visual/Buttons.h"
#include "framework/visual/ComCtrls.h"
#include "framework/visual/ExtCtrls.h"
#include "framework/visual/ScrollBox.h"
#include "support/Screenshot.h"

using namespace stdctrltest;

namespace {

template <typename T>
T* Place(TComponent* owner, TWinControl* parent, int x, int y, int w, int h, const char* caption = nullptr)
{
    auto* c = new T(owner);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (caption) c->SetCaption(caption);
    return c;
}

TEST(ControlsScreenshot, AFormWithEveryStandardControl)
{
    MouseTo(1000, 750);
    TForm form(nullptr);
    form.SetCaption("Standard controls");
    form.SetBorderStyle(bsSingle);
    form.SetBounds(20, 20, 640, 460);
    form.SetColor(clBtnFace);

    auto* bar = new TToolBar(&form);
    bar->SetParent(&form);
    bar->SetFlat(true);
    auto* images = new TImageList(&form);
    images->SetSize(16, 16);
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clGreen);
    glyph.Canvas()->FillRect(TRect(0, 0, 16, 16));
    glyph.Canvas()->Brush()->SetColor(clYellow);
    glyph.Canvas()->FillRect(TRect(4, 4, 12, 12));
    images->Add(&glyph, nullptr);
    bar->SetImages(images);
    auto* action = new TAction(&form);
    action->SetCaption("Hide");
    action->SetImageIndex(0);
    auto* tool = new TToolButton(&form);
    tool->SetParent(bar);
    tool->SetAction(action);
    auto* header = new THeaderControl(&form);
    header->SetParent(&form);
    header->SetAlign(alTop);
    for (const char* s : {"Name", "Value", "Unit"}) {
        THeaderSection* h = header->Sections()->Add();
        h->SetText(s);
        h->SetWidth(120);
    }

    auto* pages = Place<TPageControl>(&form, &form, 8, 60, 400, 260);
    std::vector<TTabSheet*> sheets;
    for (const char* c : {"Communication Settings", "Application", "Mouse && Keyboard"}) {
        auto* s = new TTabSheet(&form);
        s->SetPageControl(pages);
        s->SetCaption(c);
        sheets.push_back(s);
    }
    TTabSheet* sheet = sheets[0];
    auto* portLabel = Place<TLabel>(&form, sheet, 10, 14, 60, 15, "&Port:");
    auto* port = Place<TComboBox>(&form, sheet, 80, 10, 120, 21);
    port->SetStyle(csDropDownList);
    for (const char* s : {"COM1", "COM2"}) port->Items()->Add(s);
    port->SetItemIndex(0);
    portLabel->SetFocusControl(port);
    Place<TLabel>(&form, sheet, 10, 44, 60, 15, "&Name:");
    Place<TEdit>(&form, sheet, 80, 40, 120, 21)->SetText("Terminal");
    Place<TCheckBox>(&form, sheet, 10, 72, 180, 17, "Asynchronous mode")->SetChecked(true);
    auto* group = Place<TGroupBox>(&form, sheet, 210, 8, 175, 90, "Desktop size");
    Place<TRadioButton>(&form, group, 10, 18, 150, 17, "640 x 480")->SetChecked(true);
    Place<TRadioButton>(&form, group, 10, 40, 150, 17, "800 x 600");
    Place<TRadioButton>(&form, group, 10, 62, 150, 17, "1024 x 768");
    auto* list = Place<TListBox>(&form, sheet, 10, 100, 190, 120);
    for (const char* s : {"Notepad", "Calculator", "Terminal driver", "Paint"}) list->Items()->Add(s);
    list->SetItemIndex(2);
    auto* hot = Place<THotKey>(&form, sheet, 210, 110, 175, 21);
    hot->SetHotKey(scCtrl | scAlt | 'K');
    auto* speed = Place<TSpeedButton>(&form, sheet, 210, 145, 80, 26, "Go");
    speed->SetGlyph(&glyph);
    Place<TButton>(&form, sheet, 300, 145, 85, 26, "Apply");

    auto* panel = Place<TPanel>(&form, &form, 420, 60, 200, 60, "Panel");
    panel->SetBevelInner(TBevelCut::bvLowered);
    auto* scroll = Place<TScrollBox>(&form, &form, 420, 130, 200, 190);
    for (int i = 0; i < 8; ++i)
        Place<TCheckBox>(&form, scroll, 8, 8 + i * 30, 150, 17, ("Option " + IntToStr(i + 1)).c_str());

    auto* ok = Place<TButton>(&form, &form, 440, 340, 85, 26, "OK");
    ok->SetDefault(true);
    Place<TButton>(&form, &form, 535, 340, 85, 26, "Cancel")->SetCancel(true);

    form.Show();
    Activate(&form);

    // The selected list item is in the highlight colour, and the tool button's image is on it, once the
    // screen shows what the controls painted.
    const TRect item = list->ItemRect(2);
    const POINT inItem = ScreenPoint(list, item.right - 5, (item.top + item.bottom) / 2);
    const POINT inImage = ScreenPoint(tool);
    COLORREF itemColour = CLR_INVALID, imageColour = CLR_INVALID;
    PumpUntil(
        [&] {
            HDC dc = GetDC(nullptr);
            itemColour = GetPixel(dc, inItem.x, inItem.y);
            imageColour = GetPixel(dc, inImage.x, inImage.y);
            ReleaseDC(nullptr, dc);
            return itemColour == COLORREF(ColorToRGB(clHighlight)) && imageColour == RGB(255, 255, 0);
        },
        10000);
    Pump(100);  // the rest of the form finishes its paint
    EXPECT_FALSE(testshot::Shot::OfWindow(form.Handle()).SaveArtifact("standard-controls").empty());
    EXPECT_EQ(itemColour, ColorToRGB(clHighlight));
    EXPECT_EQ(imageColour, RGB(255, 255, 0));
}

}  // namespace
