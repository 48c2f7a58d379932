// The library controls of the configuration window: the port button docked to the port list and the Version
// page's information labels, worked with real clicks.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "ShellTestSupport.h"
#include "support/TrayArea.h"
#include "zcl/panels/Zclinformationlabel.h"

namespace {

using namespace shelltest;

POINT ScreenCentre(const TControl* c)
{
    const TPoint p = c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2));
    return POINT{p.x, p.y};
}

POINT TabPoint(TPageControl* pages, int index)
{
    RECT r{};
    SendMessageA(pages->Handle(), TCM_GETITEMRECT, WPARAM(index), LPARAM(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(pages->Handle(), &p);
    return p;
}

class MainWindowControls : public testing::Test {
protected:
    void SetUp() override
    {
        ports_.Add("\\Device\\Serial0", "COM1");
        ports_.Add("\\Device\\Serial1", "COM5");
        WriteRaw(BaseKey() + "\\Default", "Port", "COM5");
        CleanSettings::SeedPort("COM5");
        window_ = MakeMainWindow();
        window_->ActionConfiguration->Execute();
        controltest::Activate(window_.get());
    }
    void TearDown() override
    {
        if (window_ && window_->Port->HandleAllocated()) window_->Port->SetDroppedDown(false);
        window_.reset();
        controltest::MouseTo(1000, 750);
    }
    void ShowPage(int index)
    {
        MouseClick(TabPoint(window_->MainPageControl, index), false);
        ASSERT_TRUE(PumpUntil([&] { return window_->MainPageControl->ActivePageIndex() == index; }, 10000));
    }

    SerialCommList ports_;
    CleanSettings clean_;
    MessageBoxes boxes_;
    std::unique_ptr<TMainWindow> window_;
};

TEST_F(MainWindowControls, ThePortButtonSitsBesideThePortListAndDropsItDown)
{
    TMainWindow& w = *window_;
    ShowPage(0);
    const TRect port = w.Port->BoundsRect();
    EXPECT_EQ(w.BtnPort->Parent(), w.Port->Parent());
    EXPECT_EQ(w.BtnPort->Left() + w.BtnPort->Width() + w.BtnPort->Margin(), port.left) << "docked on the left";
    EXPECT_EQ(w.BtnPort->Top(), port.top);
    EXPECT_EQ(w.BtnPort->Height(), port.Height()) << "as high as the list";
    EXPECT_STREQ(w.BtnPort->Caption().c_str(), "Serial Port:");

    MouseClick(ScreenCentre(w.BtnPort), false);
    ASSERT_TRUE(PumpUntil([&] { return w.Port->DroppedDown(); }, 10000)) << "a click opens the port list";
    // Choosing in the open list: the other port's settings come in.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(w.Port->Handle(), &info));
    const int com1 = w.Port->Items()->IndexOf("COM1");
    ASSERT_GE(com1, 0);
    RECT item{};
    ASSERT_NE(SendMessageA(info.hwndList, LB_GETITEMRECT, WPARAM(com1), LPARAM(&item)), LB_ERR);
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(info.hwndList, &at);
    MouseClick(at, false);
    ASSERT_TRUE(PumpUntil([&] { return !w.Port->DroppedDown() && w.PortName() == "COM1"; }, 10000))
        << w.PortName().c_str();
    EXPECT_STREQ(w.Port->Text().c_str(), "COM1");

    // Moved with its list, it keeps its place.
    w.Port->SetBounds(port.left + 30, port.top + 20, port.Width(), port.Height());
    EXPECT_EQ(w.BtnPort->Left() + w.BtnPort->Width() + w.BtnPort->Margin(), port.left + 30);
    EXPECT_EQ(w.BtnPort->Top(), port.top + 20);
    w.Port->SetBounds(port.left, port.top, port.Width(), port.Height());
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(MainWindowControls, TheVersionPageShowsEachValueBehindItsName)
{
    TMainWindow& w = *window_;
    ShowPage(5);
    ASSERT_EQ(w.InformationLabels.size(), 13u);
    const struct {
        TZCLInfoType kind;
        const char* starts;  // the kind's own name and a colon
        const char* ends;    // the unit laid over the number, or ""
    } rows[] = {
        {itProgName, "ProductName: KARVON Windows Terminal Device Driver", ""},
        {itProgCompany, "CompanyName: KARVON Vandrel GmbH", ""},
        {itProgVersion, "ProductVersion: ", ""},
        {itProgCopyright, "LegalCopyright: ", ""},
        {itVersion, "Version: ", ""},
        {itBuildNr32, "Build: ", ""},
        {itPlatform32, "Platform: ", ""},
        {itFreeGDIRes, "Free GDI resources: ", " %"},
        {itFreeSysRes, "Free system resources: ", " %"},
        {itFreeUserRes, "Free user resources: ", " %"},
        {itCPUSpeed, "CPU Speed: ", " MHz"},
        {itColorDepth, "Colordepth (in bits): ", ""},
        {itProcessor32, "Processor: ", ""},
    };
    // The labels build their texts when painted.
    ASSERT_TRUE(PumpUntil([&] { return !w.InformationLabels.back()->Text().IsEmpty(); }, 20000));
    for (std::size_t i = 0; i < 13; ++i) {
        TZCLInformationLabel* label = w.InformationLabels[i];
        EXPECT_EQ(label->Info(), rows[i].kind) << i;
        const std::string text = label->Text().c_str();
        EXPECT_EQ(text.rfind(rows[i].starts, 0), 0u) << text;
        const std::size_t colon = text.find(": ");
        EXPECT_TRUE(colon != std::string::npos && text.size() > colon + 2) << "a value follows: " << text;
        const std::string ends = rows[i].ends;
        EXPECT_TRUE(text.size() >= ends.size() && text.compare(text.size() - ends.size(), ends.size(), ends) == 0)
            << text;
        EXPECT_TRUE(label->Transparent());
    }
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    EXPECT_STREQ(w.InformationLabels[11]->Text().c_str(), ("Colordepth (in bits): " + std::to_string(bits)).c_str());

    // Transparent: the page's face shows around the text, and the text is drawn in the label.
    TZCLInformationLabel* name = w.InformationLabels[0];
    const TPoint origin = name->ClientToScreen(TPoint(0, 0));
    const RECT area{origin.x, origin.y, origin.x + name->Width(), origin.y + name->Height()};
    const testshot::Shot shot = testshot::Shot::OfScreen(area);
    EXPECT_EQ(shot.At(name->Width() - 2, 1), COLORREF(ColorToRGB(clBtnFace)));
    EXPECT_TRUE(PumpUntil([&] {
        const testshot::Shot s = testshot::Shot::OfScreen(area);
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < 60; ++x)
                if (s.At(x, y) == RGB(0, 0, 0)) return true;
        return false;
    }, 10000)) << "the text is painted";
}

}  // namespace
