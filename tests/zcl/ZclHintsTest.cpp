// The library's controls and dialogs with the application's hint windows: the hint lines of the message box and
// the input dialog shown for a real pointer resting on their parts, the buttons' HideHint, and the input-method
// settings kept with the controls that publish them.

#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <functional>
#include <memory>
#include <string>

#include "ZclDialogTestHelpers.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Forms.h"
#include "support/HintWindows.h"
#include "zcl/buttons/Zclbutton.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/components/Zcllistbox.h"
#include "zcl/dialogs/Zclinputdlg.h"
#include "zcl/dialogs/Zclmsg.h"
#include "zcl/edits/Zclcombobox.h"
#include "zcl/edits/Zcledit.h"
#include "zcl/panels/Zclcustomglyphlabel.h"

using dlgtest::ButtonTitled;
using dlgtest::CentreOf;
using dlgtest::FindOwned;
using dlgtest::ModalScript;
using dlgtest::ReadyForInput;
using dlgtest::SendClick;
using dlgtest::SendKey;
using hinttest::VisibleHint;

namespace {

// Moves the real pointer without serving messages (inside a dialog's modal loop).
void PointerTo(POINT p)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

std::function<bool()> HintIs(const std::string& text)
{
    return [text] { return VisibleHint().text == text; };
}

class ZclHints : public testing::Test {
protected:
    void SetUp() override
    {
        PointerTo(POINT{1000, 750});
        Application->CancelHint();
        Application->SetHintPause(50);
        Application->SetHintHidePause(600000);
    }
    void TearDown() override
    {
        PointerTo(POINT{1000, 750});
        Application->CancelHint();
        Application->SetHintPause(500);
        Application->SetHintHidePause(2500);
    }
    ModalScript script;
};

TEST_F(ZclHints, TheMessageBoxShowsTheMessagesAndEachButtonsHintLineUnderThePointer)
{
    TZCLMessageBoxDlg box(nullptr);
    box.SetShowHints(true);
    box.Hints()->Add("the question");
    box.Hints()->Add("agree");
    box.Hints()->Add("refuse");
    auto button = [this](const char* caption) { return CentreOf(ButtonTitled<TZCLButton>(script.Form(), caption)); };
    script
        .Then([this] { return ReadyForInput(script.Form()); }, [&] { PointerTo(button("&Yes")); },
              "the box to take input")
        .Then(HintIs("agree"), [&] { PointerTo(button("&No")); }, "the Yes button's hint")
        .Then(HintIs("refuse"), [this] { PointerTo(CentreOf(FindOwned<TZCLGlyphLabel>(script.Form()))); },
              "the No button's hint")
        .Then(HintIs("the question"), [&] { SendClick(button("&No")); }, "the message's hint");
    script.Arm();
    EXPECT_EQ(box.MessageDlg("Keep it?", mtConfirmation, {mbYes, mbNo}, 0), mrNo) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
    EXPECT_EQ(VisibleHint().wnd, nullptr) << "the hint goes with the box";
}

TEST_F(ZclHints, TheInputDialogShowsTheHintLinesOfOkCancelAndTheEditAndAKeyHidesThem)
{
    TZCLInputDlg dlg(nullptr);
    dlg.SetOnCustomize(script.Starter());
    dlg.Hints()->Add("accept");
    dlg.Hints()->Add("give up");
    dlg.Hints()->Add("type here");
    auto button = [this](const char* caption) { return CentreOf(ButtonTitled<TButton>(script.Form(), caption)); };
    script
        .Then([this] { return ReadyForInput(script.Form()); }, [&] { PointerTo(button("OK")); },
              "the dialog to take input")
        .Then(HintIs("accept"), [&] { PointerTo(button("Cancel")); }, "OK's hint")
        .Then(HintIs("give up"), [this] { PointerTo(CentreOf(FindOwned<TZCLEdit>(script.Form()))); },
              "Cancel's hint")
        .Then(HintIs("type here"), [] { SendKey(VK_SHIFT); }, "the edit's hint")
        .Then([] { return VisibleHint().wnd == nullptr; }, [] { SendKey(VK_ESCAPE); }, "a key to hide the hint");
    EXPECT_FALSE(dlg.Execute()) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
}

TEST_F(ZclHints, HideHintMakesLeavingAButtonHideTheHintItShowedForItsParent)
{
    struct Case {
        bool speedButton;
        bool hideHint;
    };
    for (const Case& c : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
        SCOPED_TRACE(std::string(c.speedButton ? "speed button" : "push button") + (c.hideHint ? ", HideHint" : ""));
        TForm form(nullptr);
        form.SetBorderStyle(bsNone);
        form.SetBounds(100, 100, 300, 200);
        form.SetShowHint(true);
        form.SetHint("the form");
        int exits = 0;
        const TNotifyEvent counted = TNotifyEvent::From([&](TObject*) { ++exits; });
        TControl* button;
        if (c.speedButton) {
            auto* b = new TZCLSpeedButton(&form);
            b->SetHideHint(c.hideHint);
            b->SetOnMouseExit(counted);
            button = b;
        } else {
            auto* b = new TZCLButton(&form);
            b->SetHideHint(c.hideHint);
            b->SetOnMouseExit(counted);
            button = b;
        }
        button->SetParent(&form);
        button->SetBounds(20, 20, 80, 30);
        button->SetShowHint(false);  // the form's hint is the one shown over it
        form.Show();
        controltest::Activate(&form);
        controltest::MouseTo(CentreOf(button).x, CentreOf(button).y);
        ASSERT_TRUE(controltest::PumpUntil(HintIs("the form"), 5000));
        controltest::MouseTo(250, 250);  // onto the form, whose hint it is
        ASSERT_TRUE(controltest::PumpUntil([&] { return exits > 0; }, 5000));
        EXPECT_EQ(VisibleHint().wnd == nullptr, c.hideHint);
        controltest::MouseTo(1000, 750);
    }
}

// Writes a component and reads it back into a fresh one of its class.
template <typename T>
void RoundTrip(T* from, T* to, TForm* root)
{
    TMemoryStream stream;
    {
        TWriter writer(&stream);
        writer.SetRoot(root);
        writer.WriteComponent(from);
    }
    stream.SetPosition(0);
    TReader reader(&stream);
    reader.SetRoot(root);
    reader.SetOwner(root);
    reader.ReadComponent(to);
}

template <typename T>
void ExpectImeSettingsStored()
{
    TForm root(nullptr);
    auto* from = new T(&root);
    from->SetName("From");
    from->SetParent(&root);
    from->SetImeMode(imKata);
    from->SetImeName("Some Layout");
    auto* to = new T(&root);
    to->SetParent(&root);
    EXPECT_EQ(to->ImeMode(), imDontCare);
    RoundTrip(from, to, &root);
    EXPECT_EQ(to->ImeMode(), imKata);
    EXPECT_EQ(std::string(to->ImeName().c_str()), "Some Layout");
}

TEST(ZclImeSettings, TheEditTheComboBoxAndTheListBoxKeepTheirInputMethodSettings)
{
    {
        SCOPED_TRACE("edit");
        ExpectImeSettingsStored<TZCLEdit>();
    }
    {
        SCOPED_TRACE("combo box");
        ExpectImeSettingsStored<TZCLComboBox>();
    }
    {
        SCOPED_TRACE("list box");
        ExpectImeSettingsStored<TZCLListBox>();
    }
}

TEST(ZclImeSettings, ADisabledInputMethodLeavesTheEditWhileItHasTheFocus)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(100, 100, 300, 200);
    auto* edit = new TZCLEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(20, 20, 150, 24);
    edit->SetImeMode(imDisable);
    form.Show();
    controltest::Activate(&form);
    auto hasContext = [&] {
        HIMC c = ImmGetContext(edit->Handle());
        if (c) ImmReleaseContext(edit->Handle(), c);
        return c != nullptr;
    };
    ASSERT_TRUE(hasContext());
    controltest::MouseTo(CentreOf(edit).x, CentreOf(edit).y);
    controltest::MouseButton(true);
    controltest::MouseButton(false);
    ASSERT_TRUE(controltest::PumpUntil([&] { return GetFocus() == edit->Handle(); }, 5000));
    EXPECT_FALSE(hasContext());
    controltest::MouseTo(1000, 750);
}

}  // namespace
