// The input dialog shown for real and driven with real keys and clicks inside its modal loop: confirmed with
// Enter or OK, cancelled with Escape, Cancel or the close box, masked, limited, laid out for a custom button,
// placed, styled, and freed whatever happens.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "DrawTestHelpers.h"
#include "ZclDialogTestHelpers.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/StdCtrls.h"
#include "support/Screenshot.h"
#include "zcl/components/Zclback.h"
#include "zcl/components/Zclformstyler.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/dialogs/Zclinputdlg.h"
#include "zcl/edits/Zcledit.h"
#include "zcl/panels/Zclcustomsimplelabel.h"

using dlgtest::ButtonTitled;
using dlgtest::CentreOf;
using dlgtest::FindOwned;
using dlgtest::ModalScript;
using dlgtest::ReadyForKeys;
using dlgtest::SendClick;
using dlgtest::SendKey;
using dlgtest::SendText;

namespace {

using DialogEdit = TZCLEdit;

std::string Str(const AnsiString& s) { return std::string(s.c_str()); }

std::string WindowText(HWND wnd)
{
    char text[256] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

class InputDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        dlg = std::make_unique<TZCLInputDlg>(nullptr);
        dlg->SetOnCustomize(script.Starter());
        formsBefore = Screen->FormCount();
    }
    void TearDown() override { EXPECT_EQ(Screen->FormCount(), formsBefore) << "the dialog's form is freed"; }

    TCustomForm* Form() const { return script.Form(); }
    DialogEdit* Edit() const { return FindOwned<DialogEdit>(Form()); }
    // Waits for the dialog to take keys in its edit, then types text and waits for the edit to hold it.
    void TypeIntoEdit(const std::string& text, const std::string& expected)
    {
        script.Then([this] { return ReadyForKeys(Form(), Edit()); }, [text] { SendText(text); }, "focus in the edit");
        script.Await([this, expected] { return Str(Edit()->Text()) == expected; }, "the edit to hold " + expected);
    }

    std::unique_ptr<TZCLInputDlg> dlg;
    ModalScript script;
    int formsBefore = 0;
};

// ---------------------------------------------------------------------------------------------------------------

TEST_F(InputDlgTest, TheTypedTextIsTheValueWhenEnterOrTheOkButtonConfirms)
{
    struct Case {
        const char* name;
        std::function<void(TCustomForm*)> confirm;
    };
    const Case cases[] = {
        {"Enter", [](TCustomForm*) { SendKey(VK_RETURN); }},
        {"click on OK", [](TCustomForm* f) { SendClick(CentreOf(ButtonTitled(f, "OK"))); }},
    };
    int customClicks = 0;
    dlg->SetCustomButton("Other");
    dlg->SetOnCustomClick(TNotifyEvent::From([&](TObject*) { ++customClicks; }));
    for (const Case& c : cases) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetCaptionTitle("Login");
        dlg->SetPrompt("Password:");
        std::string title, prompt;
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [&] {
                     title = WindowText(form()->Handle());
                     prompt = Str(FindOwned<TZCLSimpleLabel>(form())->Caption());
                     SendText("Op3n Sesame");
                 },
                 "focus in the edit");
        run.Then([&] { return Str(FindOwned<DialogEdit>(form())->Text()) == "Op3n Sesame"; },
                 [&] { c.confirm(form()); }, "the typed text");
        EXPECT_TRUE(dlg->Execute()) << c.name << ": " << run.Report();
        EXPECT_TRUE(run.Done()) << c.name << ": " << run.Report();
        EXPECT_EQ(Str(dlg->Value()), "Op3n Sesame") << c.name;
        EXPECT_EQ(title, "Login") << c.name;
        EXPECT_EQ(prompt, "Password:") << c.name;
    }
    EXPECT_EQ(customClicks, 0) << "the custom button was not pressed";
}

TEST_F(InputDlgTest, EscapeCancelAndTheCloseBoxCancelAndLeaveTheValueEmpty)
{
    struct Case {
        const char* name;
        std::function<void(TCustomForm*)> cancel;
    };
    const Case cases[] = {
        {"Escape", [](TCustomForm*) { SendKey(VK_ESCAPE); }},
        {"click on Cancel", [](TCustomForm* f) { SendClick(CentreOf(ButtonTitled(f, "Cancel"))); }},
        {"Alt+F4", [](TCustomForm*) {
             INPUT in[4] = {};
             for (INPUT& i : in) i.type = INPUT_KEYBOARD;
             in[0].ki.wVk = VK_MENU;
             in[1].ki.wVk = VK_F4;
             in[2].ki.wVk = VK_F4;
             in[2].ki.dwFlags = KEYEVENTF_KEYUP;
             in[3].ki.wVk = VK_MENU;
             in[3].ki.dwFlags = KEYEVENTF_KEYUP;
             SendInput(4, in, sizeof(INPUT));
         }},
    };
    for (const Case& c : cases) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetValue("from before");
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); }, [] { SendText("typed"); },
                 "focus in the edit");
        run.Then([&] { return Str(FindOwned<DialogEdit>(form())->Text()) == "typed"; }, [&] { c.cancel(form()); },
                 "the typed text");
        EXPECT_FALSE(dlg->Execute()) << c.name << ": " << run.Report();
        EXPECT_TRUE(run.Done()) << c.name << ": " << run.Report();
        EXPECT_EQ(Str(dlg->Value()), "") << c.name;
    }
}

TEST_F(InputDlgTest, APasswordShowsOneMaskCharacterPerCharacterAndTheValueIsThePlainText)
{
    dlg->SetCaptionTitle("Login");
    dlg->SetPrompt("Password:");
    dlg->SetPasswordChar('*');
    // What the edit paints, off the screen and without the focus, so that no caret blinks in it.
    auto picture = [this] {
        DialogEdit* e = Edit();
        drawtest::Surface s(e->ClientWidth(), e->ClientHeight());
        e->PaintTo(s.dc(), 0, 0);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x) pixels.push_back(s.At(x, y));
        return pixels;
    };
    std::vector<std::uint32_t> masked, stars, plain;
    TypeIntoEdit("abc", "abc");
    script.Then([] { return true; },
                [&] {
                    ButtonTitled(Form(), "OK")->SetFocus();
                    masked = picture();
                    // The same edit unmasked, once holding three stars and once the letters.
                    Edit()->SetPasswordChar(0);
                    Edit()->SetText("***");
                    stars = picture();
                    Edit()->SetText("abc");
                    plain = picture();
                    Edit()->SetPasswordChar('*');
                    SendKey(VK_RETURN);
                },
                "pictures");
    EXPECT_TRUE(dlg->Execute()) << script.Report();
    EXPECT_EQ(Str(dlg->Value()), "abc");
    ASSERT_FALSE(masked.empty());
    EXPECT_TRUE(masked == stars) << "the masked edit looks like one showing ***";
    EXPECT_FALSE(masked == plain) << "and not like one showing the letters";
}

TEST_F(InputDlgTest, AnotherThreadReadsAPasswordAsItsMaskAndTheValueIsThePlainText)
{
    struct Case {
        char passwordChar;
        const char* typed;
        const char* read;  // what another thread gets, however it asks
    };
    const Case cases[] = {{'*', "Op3n Sesame", "***********"}, {'#', "ab", "##"}, {0, "plain", "plain"}};
    for (const Case& c : cases) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetPasswordChar(c.passwordChar);
        auto form = [&] { return run.Form(); };
        std::thread reader;
        std::atomic<bool> read{false};
        std::string byGetText, byWindowText, byGetLine, here;
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); }, [&] { SendText(c.typed); },
                 "focus in the edit");
        run.Then([&] { return Str(FindOwned<DialogEdit>(form())->Text()) == c.typed; },
                 [&] {
                     const HWND wnd = FindOwned<DialogEdit>(form())->Handle();
                     char text[64] = "";
                     SendMessageA(wnd, WM_GETTEXT, sizeof text, LPARAM(text));
                     here = text;
                     // The dialog's thread answers while its modal loop runs, so the reader is waited for there.
                     reader = std::thread([&, wnd] {
                         char t[64] = "";
                         SendMessageA(wnd, WM_GETTEXT, sizeof t, LPARAM(t));
                         byGetText = t;
                         char w[64] = "";
                         GetWindowTextA(wnd, w, sizeof w);
                         byWindowText = w;
                         char l[64] = "";
                         *reinterpret_cast<WORD*>(l) = WORD(sizeof l - 1);
                         const LRESULT n = SendMessageA(wnd, EM_GETLINE, 0, LPARAM(l));
                         byGetLine.assign(l, std::size_t(n > 0 ? n : 0));
                         read = true;
                     });
                 },
                 "the typed text");
        run.Then([&] { return read.load(); }, [] { SendKey(VK_RETURN); }, "the other thread's reading");
        EXPECT_TRUE(dlg->Execute()) << int(c.passwordChar) << ": " << run.Report();
        if (reader.joinable()) reader.join();
        EXPECT_EQ(byGetText, c.read) << "WM_GETTEXT, mask " << int(c.passwordChar);
        EXPECT_EQ(byWindowText, c.read) << "GetWindowText, mask " << int(c.passwordChar);
        EXPECT_EQ(byGetLine, c.read) << "EM_GETLINE, mask " << int(c.passwordChar);
        EXPECT_EQ(here, c.typed) << "the dialog's own thread reads the text";
        EXPECT_EQ(Str(dlg->Value()), c.typed);
    }
}

TEST_F(InputDlgTest, AMaxLengthStopsInputAtItsLength)
{
    struct Case {
        int maxLength;
        const char* typed;
        const char* value;
    };
    const Case cases[] = {{8, "abcdefghij", "abcdefgh"}, {8, "abcdefgh", "abcdefgh"}, {0, "abcdefghij", "abcdefghij"}};
    for (const Case& c : cases) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetMaxLength(c.maxLength);
        auto form = [&] { return run.Form(); };
        // Enter comes after every typed key, so the value is whatever the edit took.
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [&] {
                     SendText(c.typed);
                     SendKey(VK_RETURN);
                 },
                 "focus in the edit");
        EXPECT_TRUE(dlg->Execute()) << c.maxLength << ": " << run.Report();
        EXPECT_EQ(Str(dlg->Value()), c.value) << c.maxLength;
    }
}

TEST_F(InputDlgTest, AnEmptyTitleBecomesInputAndTheDefaultValueIsOfferedAndKept)
{
    struct Case {
        const char* captionTitle;
        const char* title;
    };
    for (const Case& c : {Case{"", "Input..."}, Case{"Port", "Port"}}) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetCaptionTitle(c.captionTitle);
        dlg->SetDefaultValue("COM2");
        std::string title, shown;
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [&] {
                     title = WindowText(form()->Handle());
                     shown = Str(FindOwned<DialogEdit>(form())->Text());
                     SendKey(VK_RETURN);
                 },
                 "focus in the edit");
        EXPECT_TRUE(dlg->Execute()) << run.Report();
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(shown, "COM2");
        EXPECT_EQ(Str(dlg->Value()), "COM2");
    }
}

TEST_F(InputDlgTest, InputQueryAndInputBoxHandBackTheTextOnlyWhenConfirmed)
{
    struct Case {
        bool box;
        WORD key;
        bool confirmed;
    };
    for (const Case& c : {Case{false, VK_RETURN, true}, Case{false, VK_ESCAPE, false}, Case{true, VK_RETURN, true},
                          Case{true, VK_ESCAPE, false}}) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        std::string title;
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [&] {
                     title = WindowText(form()->Handle());
                     SendKey(VK_END);
                     SendText("new");
                     SendKey(c.key);
                 },
                 "focus in the edit");
        const std::string name = std::string(c.box ? "InputBox " : "InputQuery ") + (c.confirmed ? "OK" : "Cancel");
        if (c.box) {
            // The default is offered in the edit, so the typed text follows it.
            EXPECT_EQ(Str(dlg->InputBox("Name", "Your name:", "old")), c.confirmed ? "oldnew" : "old") << name;
        } else {
            AnsiString value = "untouched";
            EXPECT_EQ(dlg->InputQuery("Name", "Your name:", value), c.confirmed) << name;
            EXPECT_EQ(Str(value), c.confirmed ? "new" : "untouched") << name;
        }
        EXPECT_EQ(title, "Name") << name;
        EXPECT_TRUE(run.Done()) << name << ": " << run.Report();
    }
}

TEST_F(InputDlgTest, ACustomButtonWiderThanCancelWidensTheRowAndAWideRowWidensTheForm)
{
    struct Case {
        const char* custom;
        bool widens;  // the button is wider than 80
    };
    const Case cases[] = {{"", false}, {"Skip", false}, {"Use the settings of the other port instead", true}};
    for (const Case& c : cases) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetCustomButton(c.custom);
        TRect ok, cancel, custom, edit;
        bool customVisible = false;
        int formWidth = 0, textWidth = 0;
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [&] {
                     TCustomForm* f = form();
                     ok = ButtonTitled(f, "OK")->BoundsRect();
                     cancel = ButtonTitled(f, "Cancel")->BoundsRect();
                     TButton* b = FindOwned<TButton>(
                         f, [](TButton* x) { return x->Caption() != "OK" && x->Caption() != "Cancel"; });
                     custom = b->BoundsRect();
                     customVisible = b->Visible() && IsWindowVisible(b->Handle());
                     edit = FindOwned<DialogEdit>(f)->BoundsRect();
                     formWidth = f->Width();
                     f->Canvas()->Font()->Assign(f->Font());
                     textWidth = f->Canvas()->TextWidth(c.custom);
                     SendKey(VK_ESCAPE);
                 },
                 "the dialog");
        EXPECT_FALSE(dlg->Execute()) << run.Report();
        const int w = ok.Width();
        EXPECT_EQ(cancel.Width(), w) << c.custom;
        EXPECT_EQ(custom.Width(), w) << c.custom;
        for (const TRect& r : {ok, cancel, custom}) {
            EXPECT_EQ(r.top, 75) << c.custom;
            EXPECT_EQ(r.Height(), 24) << c.custom;
        }
        EXPECT_EQ(cancel.left, ok.right + 5) << c.custom;
        EXPECT_EQ(custom.left, cancel.right + 5) << c.custom;
        EXPECT_EQ(customVisible, *c.custom != 0) << c.custom;
        if (c.widens)
            EXPECT_EQ(w, textWidth + 6) << c.custom;
        else
            EXPECT_EQ(w, 80) << c.custom;
        const int row = (w + 5) * (*c.custom ? 3 : 2);
        EXPECT_EQ(formWidth, row > 300 ? row + 10 : 300) << c.custom;
        EXPECT_EQ(ok.left, (formWidth - row) / 2) << c.custom;
        EXPECT_EQ(edit.left, 10) << c.custom;
        EXPECT_EQ(edit.Width(), formWidth - 30) << c.custom;
    }
}

TEST_F(InputDlgTest, TheCustomButtonCallsItsHandlerAndLeavesTheDialogOpen)
{
    dlg->SetCustomButton("Show");
    int clicks = 0;
    TObject* sender = nullptr;
    dlg->SetOnCustomClick(TNotifyEvent::From([&](TObject* s) {
        ++clicks;
        sender = s;
    }));
    TButton* custom = nullptr;
    TypeIntoEdit("x", "x");
    script.Then([] { return true; },
                [&] {
                    custom = ButtonTitled(Form(), "Show");
                    SendClick(CentreOf(custom));
                },
                "the custom button");
    script.Then([&] { return clicks == 1; }, [] { SendKey(VK_ESCAPE); }, "the click");
    EXPECT_FALSE(dlg->Execute()) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(sender, static_cast<TObject*>(custom));
}

TEST_F(InputDlgTest, HintLinesGoToOkCancelTheEditAndTheCustomButtonWhenHintsAreShown)
{
    struct Case {
        bool showHints;
        std::vector<std::string> lines;
        std::vector<std::string> expected;  // OK, Cancel, edit, custom
        bool formShowsHints;
    };
    const Case cases[] = {
        {true, {"confirm", "give up", "type here", "more"}, {"confirm", "give up", "type here", "more"}, true},
        {true, {"confirm", "give up"}, {"confirm", "give up", "", ""}, true},
        {true, {}, {"", "", "", ""}, false},
        {false, {"confirm", "give up", "type here"}, {"", "", "", ""}, false},
    };
    for (const Case& c : cases) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetCustomButton("More");
        dlg->SetShowHints(c.showHints);
        dlg->Hints()->Clear();
        for (const std::string& l : c.lines) dlg->Hints()->Add(l.c_str());
        std::vector<std::string> hints;
        bool formShows = false;
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [&] {
                     TCustomForm* f = form();
                     for (TControl* x : std::initializer_list<TControl*>{ButtonTitled(f, "OK"), ButtonTitled(f, "Cancel"),
                                                                         FindOwned<DialogEdit>(f), ButtonTitled(f, "More")})
                         hints.push_back(Str(x->Hint()));
                     formShows = f->ShowHint();
                     SendKey(VK_ESCAPE);
                 },
                 "the dialog");
        EXPECT_FALSE(dlg->Execute()) << run.Report();
        EXPECT_EQ(hints, c.expected);
        EXPECT_EQ(formShows, c.formShowsHints);
    }
}

TEST_F(InputDlgTest, TheDialogIsPlacedInTheTargetFormOrWhereRelatePosSays)
{
    TForm target(nullptr);
    target.SetBounds(40, 60, 500, 400);
    target.Show();
    struct Case {
        const char* name;
        TForm* target;
        TZCLDlgPosition position;
    };
    const Case cases[] = {{"centred on the target", &target, bpCenter},
                          {"centred on the screen", nullptr, bpCenter},
                          {"top left of the target", &target, bpTopLeft}};
    for (const Case& c : cases) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetPosition(c.position);
        dlg->SetRelatePos(brScreen);
        RECT r{};
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [&] {
                     GetWindowRect(form()->Handle(), &r);
                     SendKey(VK_ESCAPE);
                 },
                 "the dialog");
        EXPECT_FALSE(dlg->ExecuteEnh(c.target)) << run.Report();
        const RECT area = c.target ? RECT{40, 60, 540, 460}
                                   : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (c.position == bpCenter) {
            EXPECT_NEAR((r.left + r.right) / 2, (area.left + area.right) / 2, 1) << c.name;
            EXPECT_NEAR((r.top + r.bottom) / 2, (area.top + area.bottom) / 2, 1) << c.name;
        } else {
            EXPECT_EQ(r.left, area.left) << c.name;
            EXPECT_EQ(r.top, area.top) << c.name;
        }
    }
}

TEST_F(InputDlgTest, CaptionFillEnablesTheStylerAndAnImageListPaintsTheBackground)
{
    TZCLBitmapList tiles(nullptr);
    tiles.Add();
    tiles.Add();
    const COLORREF tile = RGB(30, 160, 90);
    {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetWidth(16);
        bmp->SetHeight(16);
        bmp->Canvas()->Brush()->SetColor(TColor(tile));
        bmp->Canvas()->FillRect(TRect(0, 0, 16, 16));
        tiles.BitmapItem(1)->SetBitmap(bmp.get());
    }
    struct Case {
        bool captionFill;
        bool withList;
    };
    for (const Case& c : {Case{false, false}, Case{true, true}}) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetCaptionFill(c.captionFill);
        dlg->SetColors(64);
        dlg->SetImageList(c.withList ? &tiles : nullptr);
        dlg->SetListIndex(1);
        bool stylerOn = false, gradientChecked = false, backOn = false;
        int colors = 0;
        COLORREF corner = 0;
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [&] {
                     TCustomForm* f = form();
                     auto* styler = FindOwned<TZCLFormStyler>(f);
                     stylerOn = styler->Enabled();
                     gradientChecked = styler->Options().Contains(fsCheckSystemGradient);
                     colors = styler->Colors();
                     auto* back = FindOwned<TZCLBack>(f);
                     backOn = back->Enabled() && back->ImageList() == &tiles && back->ListIndex() == 1;
                     RedrawWindow(f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                     const TPoint p = f->ClientToScreen(TPoint(2, f->ClientHeight() - 3));
                     corner = testshot::Shot::OfScreen(RECT{p.x, p.y, p.x + 1, p.y + 1}).At(0, 0);
                     SendKey(VK_ESCAPE);
                 },
                 "the dialog");
        EXPECT_FALSE(dlg->Execute()) << run.Report();
        EXPECT_EQ(stylerOn, c.captionFill);
        EXPECT_TRUE(gradientChecked);
        EXPECT_EQ(colors, 64);
        EXPECT_EQ(backOn, c.withList);
        if (c.withList)
            EXPECT_EQ(corner, tile) << "the tiles cover the client area";
        else
            EXPECT_EQ(corner, COLORREF(GetSysColor(COLOR_BTNFACE) & 0xFFFFFF));
    }
}

TEST_F(InputDlgTest, EveryOpeningEffectEndsInAWorkingDialog)
{
    for (TZCLDlgEffect effect : {deNone, deExplode, deExplodeExt}) {
        ModalScript run;
        dlg->SetOnCustomize(run.Starter());
        dlg->SetEffect(effect);
        auto form = [&] { return run.Form(); };
        run.Then([&] { return ReadyForKeys(form(), FindOwned<DialogEdit>(form())); },
                 [] {
                     SendText("fx");
                     SendKey(VK_RETURN);
                 },
                 "focus in the edit");
        EXPECT_TRUE(dlg->Execute()) << int(effect) << ": " << run.Report();
        EXPECT_EQ(Str(dlg->Value()), "fx") << int(effect);
    }
}

TEST_F(InputDlgTest, AnExceptionFromOnCustomizeStillFreesTheForm)
{
    dlg->SetValue("kept");
    dlg->SetOnCustomize(TNotifyEvent::From([](TObject*) { throw EInvalidOperation("refused"); }));
    EXPECT_THROW(dlg->Execute(), EInvalidOperation);
    EXPECT_EQ(Str(dlg->Value()), "kept") << "no dialog was closed";
    // TearDown checks that no form is left.
}

TEST_F(InputDlgTest, ScreenshotOfTheLoginDialog)
{
    dlg->SetCaptionTitle("Login");
    dlg->SetPrompt("Password:");
    dlg->SetPasswordChar('*');
    dlg->SetCustomButton("Forgotten");
    std::string saved;
    TypeIntoEdit("secret", "secret");
    script.Then([] { return true; },
                [&] {
                    HideCaret(Edit()->Handle());
                    RedrawWindow(Form()->Handle(), nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
                    saved = testshot::Shot::OfWindow(Form()->Handle()).SaveArtifact("ZclInputDlg");
                    ShowCaret(Edit()->Handle());
                    SendKey(VK_RETURN);
                },
                "the picture");
    EXPECT_TRUE(dlg->Execute()) << script.Report();
    EXPECT_FALSE(saved.empty());
    EXPECT_EQ(Str(dlg->Value()), "secret");
}

}  // namespace
