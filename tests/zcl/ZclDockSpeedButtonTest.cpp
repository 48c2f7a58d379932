// The dock button: beside its control on each side, following it when it moves, changes size, hides, shows, is
// disabled and makes its window again (by the framework and by Win32 calls on its window), moving it along,
// and letting go when it, the control or a second hook goes.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ZclButtonTestHelpers.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "zcl/buttons/Zcldockspeedbutton.h"

using namespace zclbtn;

namespace {

using controltest::TPanelish;

class DockButtons : public ButtonForm {
protected:
    void SetUp() override
    {
        ButtonForm::SetUp();
        control = new TPanelish(form.get());
        control->SetName("Edit1");
        control->SetParent(form.get());
        control->SetColor(clWindow);
        control->SetBounds(100, 80, 120, 24);
        dock = new TZCLDockSpeedButton(form.get());
        dock->SetName("Dock1");
    }
    // Where the button belongs beside a control at r.
    static TRect Expected(TZCLDockPosition p, const TRect& r, int margin, int w, int h, bool adjust)
    {
        switch (p) {
        case dpRight: return Bounds(r.right + margin, r.top, w, adjust ? r.Height() : h);
        case dpLeft: return Bounds(r.left - margin - w, r.top, w, adjust ? r.Height() : h);
        case dpBottom: return Bounds(r.left, r.bottom + margin, adjust ? r.Width() : w, h);
        default: return Bounds(r.left, r.top - margin - h, adjust ? r.Width() : w, h);
        }
    }
    TPanelish* control;
    TZCLDockSpeedButton* dock;
};

::testing::AssertionResult Beside(const TRect& actual, const TRect& expected)
{
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << drawtest::Text(actual) << " expected " << drawtest::Text(expected);
}

TEST_F(DockButtons, TheButtonStartsWithTheEllipsisAtTwentyTwoSquare)
{
    EXPECT_EQ(dock->GlyphKind(), gkEllipsis);
    EXPECT_EQ(dock->Glyph()->Width(), 13);
    EXPECT_EQ(dock->Width(), 22);
    EXPECT_EQ(dock->Height(), 22);
    EXPECT_EQ(dock->Position(), dpRight);
    EXPECT_EQ(dock->Margin(), 1);
    EXPECT_TRUE(dock->Docked());
    EXPECT_TRUE(dock->AdjustDockedSize());
}

TEST_F(DockButtons, OnEverySideItFollowsMovesAndSizesOfItsControl)
{
    dock->SetControl(control);
    EXPECT_EQ(dock->Parent(), form.get()) << "a button without a parent goes on the control's";
    ShowForm();
    for (TZCLDockPosition p : {dpBottom, dpLeft, dpRight, dpTop})
        for (bool adjust : {true, false}) {
            const std::string what = std::to_string(int(p)) + (adjust ? " adjusted" : " own size");
            dock->SetAdjustDockedSize(adjust);
            dock->SetPosition(p);
            dock->SetMargin(3);
            control->SetBounds(100, 80, 120, 24);
            if (!adjust) dock->SetBounds(dock->Left(), dock->Top(), 22, 22);
            EXPECT_TRUE(Beside(dock->BoundsRect(), Expected(p, control->BoundsRect(), 3, dock->Width(),
                                                            dock->Height(), adjust)))
                << what;
            // Through the framework, and behind its back on the window itself.
            control->SetBounds(140, 110, 90, 30);
            EXPECT_TRUE(Beside(dock->BoundsRect(), Expected(p, Bounds(140, 110, 90, 30), 3, dock->Width(),
                                                            dock->Height(), adjust)))
                << what;
            SetWindowPos(control->Handle(), nullptr, 60, 70, 150, 26, SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_TRUE(Beside(dock->BoundsRect(), Expected(p, Bounds(60, 70, 150, 26), 3, dock->Width(),
                                                            dock->Height(), adjust)))
                << what;
            MoveWindow(control->Handle(), 61, 72, 140, 28, TRUE);
            EXPECT_TRUE(Beside(dock->BoundsRect(), Expected(p, Bounds(61, 72, 140, 28), 3, dock->Width(),
                                                            dock->Height(), adjust)))
                << what;
        }
}

TEST_F(DockButtons, ItHidesShowsAndIsDisabledWithItsControl)
{
    dock->SetControl(control);
    ShowForm();
    const struct {
        const char* how;
        std::function<void(bool)> show;
    } hides[] = {
        {"Visible", [&](bool v) { control->SetVisible(v); }},
        {"ShowWindow", [&](bool v) { ShowWindow(control->Handle(), v ? SW_SHOWNA : SW_HIDE); }},
        {"SetWindowPos", [&](bool v) {
             SetWindowPos(control->Handle(), nullptr, 0, 0, 0, 0,
                          SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                              (v ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
         }},
    };
    for (const auto& h : hides) {
        h.show(false);
        EXPECT_FALSE(dock->Visible()) << h.how;
        control->SetBounds(30, 40, 100, 20);  // moved while hidden
        h.show(true);
        EXPECT_TRUE(dock->Visible()) << h.how;
        EXPECT_TRUE(Beside(dock->BoundsRect(), Bounds(131, 40, 22, 20))) << h.how;
        control->SetVisible(true);
    }
    control->SetEnabled(false);
    EXPECT_FALSE(dock->Enabled());
    EnableWindow(control->Handle(), TRUE);
    EXPECT_TRUE(dock->Enabled());
    EnableWindow(control->Handle(), FALSE);
    EXPECT_FALSE(dock->Enabled());
    control->SetEnabled(true);
    EXPECT_TRUE(dock->Enabled());
}

TEST_F(DockButtons, ItKeepsFollowingAControlThatMadeItsWindowAgain)
{
    dock->SetControl(control);
    ShowForm();
    const HWND first = control->Handle();
    control->RecreateWnd();
    ASSERT_TRUE(control->HandleAllocated());
    ASSERT_NE(control->Handle(), first);
    EXPECT_FALSE(dock->WindowDestroyed());
    EXPECT_EQ(dock->Control(), control);
    EXPECT_TRUE(dock->Visible());
    control->SetBounds(20, 30, 80, 40);
    EXPECT_TRUE(Beside(dock->BoundsRect(), Bounds(101, 30, 22, 40)));
    SetWindowPos(control->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    EXPECT_FALSE(dock->Visible());
    // Again with the window gone before the form shows it once more.
    control->SetVisible(true);
    control->DestroyHandle();
    EXPECT_TRUE(dock->WindowDestroyed());
    control->SetBounds(10, 10, 60, 30);
    control->HandleNeeded();
    control->SetBounds(12, 14, 60, 30);
    EXPECT_TRUE(Beside(dock->BoundsRect(), Bounds(73, 14, 22, 30)));
}

TEST_F(DockButtons, AControlThatHadNoWindowForAWhileIsFollowedFromItsNewWindowOn)
{
    dock->SetControl(control);
    log.Watch(dock, "D");
    ShowForm();
    // Hidden, disabled, moved and shown again while it has no window: the new window alone says so.
    const struct {
        const char* what;
        bool visible, enabled;
    } cases[] = {{"hidden", false, true}, {"disabled", true, false}, {"both", false, false}, {"neither", true, true}};
    int x = 10;
    for (const auto& c : cases) {
        control->DestroyHandle();
        ASSERT_TRUE(dock->WindowDestroyed()) << c.what;
        control->SetVisible(c.visible);
        control->SetEnabled(c.enabled);
        control->SetBounds(x, 20, 60, 30);
        control->HandleNeeded();
        EXPECT_FALSE(dock->WindowDestroyed()) << c.what;
        EXPECT_EQ(dock->Visible(), c.visible) << c.what;
        EXPECT_EQ(dock->Enabled(), c.enabled) << c.what;
        EXPECT_TRUE(Beside(dock->BoundsRect(), Bounds(x + 61, 20, 22, 30))) << c.what;
        // And it keeps following the new window.
        control->SetVisible(true);
        control->SetEnabled(true);
        EXPECT_TRUE(dock->Visible()) << c.what;
        EXPECT_TRUE(dock->Enabled()) << c.what;
        SetWindowPos(control->Handle(), nullptr, x + 5, 60, 70, 26, SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(Beside(dock->BoundsRect(), Bounds(x + 5 + 71, 60, 22, 26))) << c.what;
        x += 40;
    }
    // A real click lands on the button where it now stands.
    ASSERT_TRUE(dock->Visible());
    ClickOn(dock);
    EXPECT_EQ((std::vector<std::string>{"D click"}), log.Of("click"));
}

TEST_F(DockButtons, MovingTheButtonMovesTheControlAlong)
{
    dock->SetControl(control);
    ShowForm();
    dock->SetLeft(300);
    EXPECT_TRUE(Beside(control->BoundsRect(), Bounds(300 - 1 - 120, 80, 120, 24)));
    dock->SetPosition(dpBottom);
    dock->SetBounds(20, 150, 60, 22);
    EXPECT_TRUE(Beside(control->BoundsRect(), Bounds(20, 150 - 1 - 24, 60, 24)));
    dock->SetReflectOwnChanges(false);
    dock->SetBounds(5, 5, 60, 22);
    EXPECT_TRUE(Beside(control->BoundsRect(), Bounds(20, 125, 60, 24))) << "without ReflectOwnChanges";
}

TEST_F(DockButtons, AControlOnAnotherParentIsFollowedInTheButtonsCoordinates)
{
    auto* panel = new TPanelish(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(50, 40, 200, 120);
    control->SetParent(panel);
    control->SetBounds(10, 20, 100, 24);
    dock->SetParent(form.get());
    dock->SetControl(control);
    ShowForm();
    EXPECT_TRUE(Beside(dock->BoundsRect(), Bounds(50 + 10 + 100 + 1, 40 + 20, 22, 24)));
    control->SetLeft(30);
    EXPECT_TRUE(Beside(dock->BoundsRect(), Bounds(50 + 30 + 100 + 1, 60, 22, 24)));
    dock->SetTop(70);
    EXPECT_EQ(control->Top(), 30) << "moved along in its own parent's coordinates";
}

TEST_F(DockButtons, UndockedOrWithoutItsControlTheButtonStaysPut)
{
    dock->SetControl(control);
    ShowForm();
    dock->SetDocked(false);
    const TRect at = dock->BoundsRect();
    control->SetBounds(10, 10, 50, 20);
    control->SetVisible(false);
    EXPECT_EQ(dock->BoundsRect(), at);
    EXPECT_TRUE(dock->Visible());
    control->SetVisible(true);
    dock->SetDocked(true);
    EXPECT_TRUE(Beside(dock->BoundsRect(), Bounds(61, 10, 22, 20))) << "docked again";

    delete control;
    EXPECT_EQ(dock->Control(), nullptr);
    dock->SetLeft(5);  // nothing to move along
    EXPECT_EQ(dock->Left(), 5);
}

TEST_F(DockButtons, AnotherHookOnTheControlOutlivesTheButtons)
{
    dock->SetControl(control);
    ShowForm();
    int seen = 0;
    const int other = control->AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg == WM_WINDOWPOSCHANGED) ++seen;
        return false;
    }));
    delete dock;  // unhooked first, the other hook stays
    control->SetBounds(10, 10, 90, 20);
    EXPECT_GT(seen, 0);
    const int before = seen;
    auto* again = new TZCLDockSpeedButton(form.get());
    again->SetControl(control);
    again->SetControl(nullptr);
    control->SetBounds(12, 10, 90, 20);
    EXPECT_GT(seen, before);
    control->RemoveWindowHook(other);
}

TEST_F(DockButtons, AClickOnTheDockedButtonIsAClick)
{
    dock->SetControl(control);
    log.Watch(dock, "D");
    ShowForm();
    ClickOn(dock);
    EXPECT_EQ((std::vector<std::string>{"D click"}), log.Of("click"));
}

// An older form's button, which stored AdjustDockedSize under its earlier name.
class TOlderDock : public TPersistent {
public:
    void DefineProperties(TFiler* filer) override
    {
        filer->DefineProperty("AdjustSize", nullptr, TWriterProc::From([](TWriter* w) { w->WriteBoolean(false); }),
                              true);
    }
};

TEST_F(DockButtons, TheOlderNameOfAdjustDockedSizeIsReadAndNeverWritten)
{
    TOlderDock older;
    TMemoryStream s;
    {
        TWriter writer(&s);
        writer.WriteProperties(&older);
    }
    s.SetPosition(0);
    TReader reader(&s);
    reader.ReadProperty(dock);
    EXPECT_FALSE(dock->AdjustDockedSize());
    TMemoryStream written;
    {
        TWriter writer(&written);
        writer.WriteProperties(dock);
    }
    std::string bytes(static_cast<const char*>(written.Memory()), std::size_t(written.Size()));
    EXPECT_EQ(bytes.find("AdjustSize"), std::string::npos);
    EXPECT_NE(bytes.find("AdjustDockedSize"), std::string::npos);
}

}  // namespace
