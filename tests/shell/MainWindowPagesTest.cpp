// Every page of the configuration window, reached with real clicks on its tab and saved as a picture; a tab
// click runs the window's page-change work.

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

// The configuration window of COM5 (among the given ports) opened from its action and in front, with the port's
// settings fresh and message boxes answered.
struct OpenConfiguration {
    explicit OpenConfiguration(std::initializer_list<std::pair<const char*, const char*>> devices)
    {
        for (const auto& d : devices) ports.Add(d.first, d.second);
        WriteRaw(BaseKey() + "\\Default", "Port", "COM5");
        CleanSettings::SeedPort("COM5");
        window = MakeMainWindow();
        window->ActionConfiguration->Execute();
        controltest::Activate(window.get());
    }
    SerialCommList ports;
    CleanSettings clean;
    MessageBoxes boxes;
    decltype(MakeMainWindow()) window;
};

TEST(MainWindowPages, EveryPageByItsTab)
{
    OpenConfiguration open({{"\\Device\\Serial0", "COM1"}, {"\\Device\\Serial1", "COM5"}});
    auto& window = open.window;
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

// A real click on another tab runs the window's page-change work: the letter times step by the delay after a
// screen as it stands on the first page.
TEST(MainWindowPages, ATabClickedTakesTheDelayIntoTheLetterTimesSteps)
{
    OpenConfiguration open({{"\\Device\\Serial1", "COM5"}});
    auto& window = open.window;
    ASSERT_EQ(window->MainPageControl->ActivePageIndex(), 0);
    window->DelayAfterSend->SetText("350");
    ASSERT_NE(window->SpinLimits(window->EditLetterBrowseTime).Step, 350);
    const int target = 2;
    MouseClick(TabPoint(window->MainPageControl, target), false);
    ASSERT_TRUE(PumpUntil([&] { return window->MainPageControl->ActivePageIndex() == target; }));
    for (TZCLExtSpinEdit* edit : {window->EditLetterBrowseTime, window->EditLetterBreakTime}) {
        const TSpinEditLimits limits = window->SpinLimits(edit);
        EXPECT_EQ(limits.Step, 350) << edit->Name().c_str();
        EXPECT_EQ(limits.LargeStep, 350) << edit->Name().c_str();
    }
    controltest::MouseTo(1000, 750);
    window->SetVisible(false);
}

}  // namespace
