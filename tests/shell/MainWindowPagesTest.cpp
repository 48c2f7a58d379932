// Every page of the configuration window, reached with real clicks on its tab and saved as a picture.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "ShellTestSupport.h"
#include "support/TrayArea.h"

namespace {

using namespace shelltest;

// The screen point in the middle of a page's tab.
POINT TabPoint(TPageControl* pages, int index)
{
    RECT r{};
    SendMessageA(pages->Handle(), TCM_GETITEMRECT, WPARAM(index), LPARAM(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(pages->Handle(), &p);
    return p;
}

TEST(MainWindowPages, EveryPageByItsTab)
{
    SerialCommList ports;
    ports.Add("\\Device\\Serial0", "COM1");
    ports.Add("\\Device\\Serial1", "COM5");
    CleanSettings clean;
    WriteRaw(BaseKey() + "\\Default", "Port", "COM5");
    CleanSettings::SeedPort("COM5");
    MessageBoxes boxes;
    auto window = MakeMainWindow();
    window->ActionConfiguration->Execute();
    controltest::Activate(window.get());
    EXPECT_EQ(window->ClientWidth(), 577);
    EXPECT_EQ(window->ClientHeight(), 253);

    const char* names[] = {"communication", "application", "mouse-and-keyboard", "password", "statistic", "version"};
    for (int i = 5; i >= 0; --i) {
        const POINT p = TabPoint(window->MainPageControl, i);
        MouseClick(p, false);
        if (!PumpUntil([&] { return window->MainPageControl->ActivePageIndex() == i; })) {
            POINT c;
            GetCursorPos(&c);
            testshot::Shot::OfScreen(RECT{0, 0, 1024, 768}).SaveArtifact("main-window-failed-tab");
            FAIL() << names[i] << " at " << p.x << "," << p.y << " cursor " << c.x << "," << c.y;
        }
        controltest::MouseTo(1000, 750);
        Pump(150);
        EXPECT_FALSE(testshot::Shot::OfWindow(window->Handle()).SaveArtifact(std::string("main-window-") + names[i]).empty())
            << names[i];
    }
    window->SetVisible(false);
}

}  // namespace
