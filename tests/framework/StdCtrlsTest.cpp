// Buttons, check and radio buttons, group box, label and edit on a real form, driven with real input.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "GraphicsTestHelpers.h"
#include "StdCtrlsHelpers.h"

using namespace stdctrltest;

namespace {

class Buttons : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        edit = new TEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 120, 21);
        ok = new TButton(form.get());
        ok->SetParent(form.get());
        ok->SetBounds(10, 50, 75, 25);
        ok->SetCaption("OK");
        ok->SetDefault(true);
        ok->SetOnClick(Logger("ok"));
        cancel = new TButton(form.get());
        cancel->SetParent(form.get());
        cancel->SetBounds(100, 50, 75, 25);
        cancel->SetCaption("Cancel");
        cancel->SetCancel(true);
        cancel->SetOnClick(Logger("cancel"));
        other = new TButton(form.get());
        other->SetParent(form.get());
        other->SetBounds(190, 50, 75, 25);
        other->SetCaption("Other");
        other->SetOnClick(Logger("other"));
    }
    LONG ButtonType(TButton* b) { return GetWindowLongA(b->Handle(), GWL_STYLE) & 0x0F; }

    TEdit* edit;
    TButton* ok;
    TButton* cancel;
    TButton* other;
};

TEST_F(Buttons, EnterClicksTheDefaultButtonAndEscapeTheCancelOne)
{
    ShowForm();
    edit->SetFocus();
    Pump(30);
    Key(VK_RETURN);
    Key(VK_ESCAPE);
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel"}));
    EXPECT_EQ(ButtonType(ok), BS_DEFPUSHBUTTON);
}

TEST_F(Buttons, AFocusedButtonTakesEnterAndTheDefaultLookUntilFocusLeavesIt)
{
    ShowForm();
    other->SetFocus();
    Pump(30);
    EXPECT_EQ(ButtonType(other), BS_DEFPUSHBUTTON);
    EXPECT_EQ(ButtonType(ok), BS_PUSHBUTTON);
    Key(VK_RETURN);
    EXPECT_EQ(log, (std::vector<std::string>{"other"}));
    edit->SetFocus();
    Pump(30);
    EXPECT_EQ(ButtonType(other), BS_PUSHBUTTON);
    EXPECT_EQ(ButtonType(ok), BS_DEFPUSHBUTTON);
    Key(VK_RETURN);
    EXPECT_EQ(log, (std::vector<std::string>{"other", "ok"}));
}

TEST_F(Buttons, TheCaptionsAcceleratorClicksAButtonThatCouldTakeTheFocus)
{
    ok->SetCaption("&OK");
    cancel->SetCaption("&Cancel");
    other->SetCaption("O&ther");
    ShowForm();
    edit->SetFocus();
    Pump(30);
    // From an edit, which wants its letters, with Alt.
    Key('T', {VK_MENU});
    Key('O', {VK_MENU});
    EXPECT_EQ(log, (std::vector<std::string>{"other", "ok"}));
    EXPECT_TRUE(edit->Focused()) << "the focus stays where it was";
    // From a button, which wants no letters, the plain letter does.
    other->SetFocus();
    Pump(30);
    Key('C');
    EXPECT_EQ(log, (std::vector<std::string>{"other", "ok", "cancel"}));
    // Not a disabled or a hidden button, nor a letter no caption marks.
    cancel->SetEnabled(false);
    ok->SetVisible(false);
    Key('C');
    Key('O', {VK_MENU});
    Key('X', {VK_MENU});
    Key('H');
    EXPECT_EQ(log, (std::vector<std::string>{"other", "ok", "cancel"}));
}

TEST_F(Buttons, AMouseClickFiresOnClickOnceAndADoubleClickActsAsTwoPresses)
{
    ShowForm();
    Click(other);
    EXPECT_EQ(log, (std::vector<std::string>{"other"}));
    log.clear();
    const POINT p = ScreenPoint(other);
    MouseTo(p.x, p.y);
    for (int i = 0; i < 2; ++i) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof(INPUT));
    }
    Pump(150);
    EXPECT_EQ(log, (std::vector<std::string>{"other", "other"}));
}

TEST_F(Buttons, AButtonWithAModalResultEndsShowModalWithIt)
{
    ok->SetModalResult(mrOk);
    cancel->SetModalResult(mrCancel);
    for (TButton* pressed : {ok, cancel}) {
        form->SetOnShow(TNotifyEvent::From([&](TObject*) { PostMessageA(pressed->Handle(), BM_CLICK, 0, 0); }));
        EXPECT_EQ(form->ShowModal(), pressed->ModalResult());
        EXPECT_FALSE(form->Visible());
    }
}

TEST_F(Buttons, EscapeInAModalFormEndsItThroughTheCancelButton)
{
    cancel->SetModalResult(mrCancel);
    form->SetOnShow(TNotifyEvent::From([&](TObject*) {
        PostMessageA(edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }));
    form->SetActiveControl(edit);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(log, (std::vector<std::string>{"cancel"}));
}

// ---------------------------------------------------------------------------------------------------------------

class Checks : public ShownForm {};

TEST_F(Checks, ACheckBoxFiresOnClickOnEveryChangeFromCodeOrMouse)
{
    auto* box = new TCheckBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(10, 10, 120, 17);
    box->SetCaption("Asynchronous");
    box->SetOnClick(Logger("click"));
    box->SetChecked(true);  // before the window exists
    EXPECT_EQ(log.size(), 1u);
    box->SetChecked(true);  // no change, no click
    EXPECT_EQ(log.size(), 1u);
    ShowForm();
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    Click(box, 6);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(log.size(), 2u);
    Key(VK_SPACE);  // the click left it focused
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(log.size(), 3u);

    box->SetAllowGrayed(true);
    Click(box, 6);
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
}

TEST_F(Checks, ARadioButtonUnchecksOnlyTheSiblingsOfItsParent)
{
    auto radio = [&](TWinControl* parent, int y, const char* name) {
        auto* r = new TRadioButton(form.get());
        r->SetParent(parent);
        r->SetBounds(10, y, 100, 17);
        r->SetCaption(name);
        r->SetOnClick(Logger(name));
        return r;
    };
    TRadioButton* desktop = radio(form.get(), 10, "desktop");
    TRadioButton* application = radio(form.get(), 30, "application");
    auto* group = new TGroupBox(form.get());
    group->SetParent(form.get());
    group->SetBounds(150, 10, 150, 100);
    group->SetCaption("Size");
    TRadioButton* small = radio(group, 20, "small");
    TRadioButton* large = radio(group, 40, "large");
    ShowForm();

    desktop->SetChecked(true);
    small->SetChecked(true);
    application->SetChecked(true);
    EXPECT_FALSE(desktop->Checked());
    EXPECT_TRUE(small->Checked()) << "a radio button in another parent is not a sibling";
    EXPECT_EQ(log, (std::vector<std::string>{"desktop", "small", "application"}));
    EXPECT_EQ(SendMessageA(desktop->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    log.clear();
    Click(large, 6);
    EXPECT_TRUE(large->Checked());
    EXPECT_FALSE(small->Checked());
    EXPECT_TRUE(application->Checked());
    Click(large, 6);  // already checked: no change, no click
    EXPECT_EQ(log, (std::vector<std::string>{"large"}));

    log.clear();
    Key(VK_UP);  // the arrow keys move through the group and check
    EXPECT_TRUE(small->Checked());
    EXPECT_TRUE(small->Focused());
    EXPECT_EQ(log, (std::vector<std::string>{"small"}));
}

TEST_F(Checks, StatesSurviveTheParentsWindowBeingMadeAgain)
{
    auto* group = new TGroupBox(form.get());
    group->SetParent(form.get());
    group->SetBounds(10, 10, 200, 100);
    auto* box = new TCheckBox(form.get());
    box->SetParent(group);
    box->SetBounds(10, 20, 100, 17);
    auto* radio = new TRadioButton(form.get());
    radio->SetParent(group);
    radio->SetBounds(10, 40, 100, 17);
    ShowForm();
    box->SetChecked(true);
    radio->SetChecked(true);
    group->RecreateWnd();
    Pump(30);
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(radio->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

// ---------------------------------------------------------------------------------------------------------------

class Labels : public ShownForm {};

TEST_F(Labels, AltWithTheMnemonicFocusesTheLabelsControl)
{
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetBounds(10, 10, 10, 10);
    label->SetCaption("&Port");
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(80, 10, 100, 21);
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(80, 40, 100, 21);
    label->SetFocusControl(edit);
    ShowForm();
    other->SetFocus();
    Pump(30);
    Key('P', {VK_MENU});
    EXPECT_TRUE(edit->Focused());
    delete edit;  // the label forgets it
    EXPECT_EQ(label->FocusControl(), nullptr);
    Key('P', {VK_MENU});
}

TEST_F(Labels, AutoSizeMeasuresTheTextWithoutItsAmpersands)
{
    auto* a = new TLabel(form.get());
    a->SetParent(form.get());
    a->SetCaption("Mouse && Keyboard");
    auto* b = new TLabel(form.get());
    b->SetParent(form.get());
    b->SetCaption("Mouse & Keyboard");
    b->SetShowAccelChar(false);
    auto* c = new TLabel(form.get());
    c->SetParent(form.get());
    c->SetCaption("&Mouse & Keyboard");
    c->SetShowAccelChar(true);
    EXPECT_GT(a->Width(), 50);
    EXPECT_EQ(a->Width(), b->Width()) << "\"&&\" shows one ampersand";
    EXPECT_LT(c->Width(), b->Width()) << "the accelerator's ampersand is not drawn";
    EXPECT_GT(a->Height(), 5);
}

TEST_F(Labels, AutoSizeHoldsEveryPixelItsTextDraws)
{
    struct FontCase {
        const char* name;
        int height;
        bool bold, italic;
    };
    const FontCase fonts[] = {
        {"MS Sans Serif", -11, false, false}, {"Arial", -13, false, true}, {"Tahoma", -11, true, false},
        {"Times New Roman", -16, false, true}};
    const char* const captions[] = {"Password (&first input):", "Password (&second input):", "Pr&iority:",
                                    "Mouse && Keyboard", "f", "W;:", "Version"};
    form->SetColor(clWhite);
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetLeft(20);
    label->SetTop(20);
    label->Font()->SetColor(clBlack);
    ShowForm();
    for (const FontCase& f : fonts)
        for (const char* caption : captions) {
            const std::string what = std::string(f.name) + " " + std::to_string(f.height) + ": " + caption;
            label->Font()->SetName(f.name);
            label->Font()->SetHeight(f.height);
            label->Font()->SetStyle(TFontStyles{} + (f.bold ? TFontStyles{fsBold} : TFontStyles{}) +
                                    (f.italic ? TFontStyles{fsItalic} : TFontStyles{}));
            label->SetCaption(caption);
            // The text drawn with no edge near it: every pixel it puts down, and the rightmost one.
            gfxtest::RawDib free(400, 60);
            HGDIOBJ old = SelectObject(free.dc(), label->Font()->Handle());
            SetBkMode(free.dc(), TRANSPARENT);
            SetTextColor(free.dc(), RGB(0, 0, 0));
            RECT wide{label->Left(), label->Top(), 400, 60};
            DrawTextA(free.dc(), caption, -1, &wide, DT_LEFT | DT_EXPANDTABS);
            SelectObject(free.dc(), old);
            int ink = 0, right = -1;
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 400; ++x)
                    if (free.at(x, y) != 0xFFFFFF) {
                        ++ink;
                        right = std::max(right, x);
                    }
            ASSERT_GT(ink, 0) << what;
            EXPECT_LT(right, label->Left() + label->Width()) << what << ": the label ends before its last pixel";
            // The label as its form paints it: the same pixels, none cut off.
            gfxtest::RawDib painted(400, 60);
            form->PaintTo(painted.dc(), 0, 0);
            int shown = 0;
            for (int y = label->Top(); y < label->Top() + label->Height() && y < 60; ++y)
                for (int x = label->Left(); x < label->Left() + label->Width() && x < 400; ++x)
                    shown += painted.at(x, y) != 0xFFFFFF;
            EXPECT_EQ(shown, ink) << what;
        }
}

// ---------------------------------------------------------------------------------------------------------------

class Edits : public ShownForm {};

TEST_F(Edits, TypedTextFiresOnChangeAndIsTheText)
{
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 150, 21);
    edit->SetText("x");
    edit->SetMaxLength(3);
    int changes = 0;
    edit->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    ShowForm();
    EXPECT_EQ(changes, 0) << "the first text is no change";
    edit->SetFocus();
    Pump(30);
    EXPECT_EQ(edit->SelLength(), 1) << "entering selects the text";
    Key(VK_END);
    Key('A');
    Key('B');
    EXPECT_EQ(changes, 2);
    Key('C');
    EXPECT_EQ(edit->Text(), "xab") << "MaxLength holds";
    edit->RecreateWnd();
    EXPECT_EQ(edit->Text(), "xab");
}

}  // namespace
