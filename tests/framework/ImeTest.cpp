// Input-method settings applied to a control's window when a real click gives it the focus, read back from the
// system's input context.

#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <memory>

#include "ControlTestHelpers.h"
#include "framework/visual/StdCtrls.h"

using namespace controltest;

namespace {

struct ImeState {
    bool hasContext = false;
    bool open = false;
    DWORD conversion = 0;
};

ImeState ImeOf(HWND wnd)
{
    ImeState s;
    HIMC context = ImmGetContext(wnd);
    if (!context) return s;
    s.hasContext = true;
    s.open = ImmGetOpenStatus(context) != FALSE;
    DWORD sentence = 0;
    ImmGetConversionStatus(context, &s.conversion, &sentence);
    ImmReleaseContext(wnd, context);
    return s;
}

class Ime : public testing::Test {
protected:
    void SetUp() override
    {
        MouseTo(1000, 750);
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 200);
        edit = new TTestEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 100, 24);
        other = new TTestEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(10, 60, 100, 24);
        form->Show();
        Activate(form.get());
    }
    void TearDown() override { form.reset(); }
    void ClickOn(TWinControl* c)
    {
        const TPoint p = c->ClientToScreen(TPoint(5, 5));
        MouseTo(p.x, p.y);
        MouseButton(true);
        MouseButton(false);
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == c->Handle(); }, 5000));
    }

    std::unique_ptr<TForm> form;
    TTestEdit* edit;
    TTestEdit* other;
};

TEST_F(Ime, TheModeOpensOrClosesTheInputMethodAndSetsItsConversionWhenFocused)
{
    struct Case {
        TImeMode mode;
        bool open;
        DWORD conversion;  // checked where the mode sets one
        bool checkConversion;
    };
    const Case cases[] = {
        {imOpen, true, 0, false},
        {imClose, false, 0, false},
        {imSAlpha, true, IME_CMODE_ALPHANUMERIC, true},
        {imAlpha, true, IME_CMODE_FULLSHAPE, true},
        {imHira, true, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE, true},
        {imSKata, true, IME_CMODE_NATIVE | IME_CMODE_KATAKANA, true},
        {imKata, true, IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE, true},
        {imChinese, true, IME_CMODE_NATIVE, true},
        {imHanguel, true, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        ClickOn(other);
        // The opposite state first, so that the click on the edit is what sets it.
        {
            HIMC context = ImmGetContext(edit->Handle());
            ASSERT_NE(context, nullptr);
            ImmSetOpenStatus(context, !c.open);
            ImmSetConversionStatus(context, c.conversion ^ IME_CMODE_FULLSHAPE, 0);
            ImmReleaseContext(edit->Handle(), context);
        }
        edit->SetImeMode(c.mode);
        ClickOn(edit);
        const ImeState s = ImeOf(edit->Handle());
        ASSERT_TRUE(s.hasContext);
        EXPECT_EQ(s.open, c.open);
        if (c.checkConversion) EXPECT_EQ(s.conversion, c.conversion);
    }
}

TEST_F(Ime, DisableTakesTheInputContextWhileFocusedAndGivesItBackAfter)
{
    edit->SetImeMode(imDisable);
    ASSERT_TRUE(ImeOf(edit->Handle()).hasContext);
    ClickOn(edit);
    EXPECT_FALSE(ImeOf(edit->Handle()).hasContext);
    ClickOn(other);
    EXPECT_TRUE(ImeOf(edit->Handle()).hasContext);
    EXPECT_TRUE(ImeOf(other->Handle()).hasContext) << "other controls keep theirs";
}

TEST_F(Ime, ChangingTheModeOfTheFocusedControlTakesEffectAtOnce)
{
    ClickOn(edit);
    edit->SetImeMode(imDisable);
    EXPECT_FALSE(ImeOf(edit->Handle()).hasContext);
    edit->SetImeMode(imOpen);
    const ImeState s = ImeOf(edit->Handle());
    EXPECT_TRUE(s.hasContext);
    EXPECT_TRUE(s.open);
}

TEST_F(Ime, AComboBoxSetsTheInputMethodOfItsEditPart)
{
    auto* combo = new TComboBox(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(200, 10, 150, 24);
    combo->SetImeMode(imDisable);
    ASSERT_NE(combo->EditHandle(), nullptr);
    ASSERT_TRUE(ImeOf(combo->EditHandle()).hasContext);
    const TPoint p = combo->ClientToScreen(TPoint(10, 8));
    MouseTo(p.x, p.y);
    MouseButton(true);
    MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == combo->EditHandle(); }, 5000));
    EXPECT_FALSE(ImeOf(combo->EditHandle()).hasContext);
    ClickOn(other);
    EXPECT_TRUE(ImeOf(combo->EditHandle()).hasContext);
}

TEST_F(Ime, AnImeNameThatIsNotInstalledChangesNothing)
{
    const HKL before = GetKeyboardLayout(0);
    edit->SetImeName("No such layout anywhere");
    edit->SetImeMode(imClose);
    ClickOn(edit);
    EXPECT_EQ(GetKeyboardLayout(0), before);
    EXPECT_FALSE(ImeOf(edit->Handle()).open);
}

}  // namespace
