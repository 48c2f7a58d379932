// The library's message box shown for real and driven with real keys and clicks inside its modal loop: the
// message-box flags, the button row, titles and hints, the type's icon, the help button, the "show again" box,
// its size and place, the registration with the library application, and the message procedures with and
// without a registered box.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DrawTestHelpers.h"
#include "ZclDialogTestHelpers.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Dialogs.h"
#include "framework/visual/StdCtrls.h"
#include "support/Screenshot.h"
#include "zcl/buttons/Zclbutton.h"
#include "zcl/buttons/Zclcheckbox.h"
#include "zcl/components/Zclformstyler.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/containers/Zclwave.h"
#include "zcl/core/Zclclass.h"
#include "zcl/dialogs/Zclmsg.h"
#include "zcl/panels/Zclbackpanel.h"
#include "zcl/panels/Zclcustomglyphlabel.h"

using dlgtest::ButtonTitled;
using dlgtest::CentreOf;
using dlgtest::FindOwned;
using dlgtest::ModalForm;
using dlgtest::ModalScript;
using dlgtest::ReadyForInput;
using dlgtest::SendClick;
using dlgtest::SendKey;

namespace {

using BoxButton = TZCLButton;
using BoxCheck = TZCLCheckBox;

std::string Str(const AnsiString& s) { return std::string(s.c_str()); }

void SendAltF4()
{
    INPUT in[4] = {};
    for (INPUT& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = VK_MENU;
    in[1].ki.wVk = VK_F4;
    in[2].ki.wVk = VK_F4;
    in[2].ki.dwFlags = KEYEVENTF_KEYUP;
    in[3].ki.wVk = VK_MENU;
    in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, in, sizeof(INPUT));
}

// The buttons of the box in their order on the screen (left to right).
std::vector<BoxButton*> RowOf(TCustomForm* form)
{
    std::vector<BoxButton*> row;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* b = dynamic_cast<BoxButton*>(form->Components(i))) row.push_back(b);
    std::sort(row.begin(), row.end(), [](BoxButton* a, BoxButton* b) { return a->Left() < b->Left(); });
    return row;
}

std::vector<std::string> Captions(const std::vector<BoxButton*>& row)
{
    std::vector<std::string> out;
    for (BoxButton* b : row) out.push_back(Str(b->Caption()));
    return out;
}

// What a form paints, off the screen.
std::vector<std::uint32_t> Picture(TWinControl* c, int& width, int& height)
{
    width = c->ClientWidth();
    height = c->ClientHeight();
    drawtest::Surface s(width, height);
    c->PaintTo(s.dc(), 0, 0);
    std::vector<std::uint32_t> px;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) px.push_back(s.At(x, y));
    return px;
}

// Whether the system icon id stands somewhere in the picture: its opaque pixels (those that come out the same on
// a black and a white ground) at one place.
bool HoldsIcon(const std::vector<std::uint32_t>& px, int width, int height, LPCSTR id)
{
    const HICON icon = LoadIconA(nullptr, id);
    const int iw = GetSystemMetrics(SM_CXICON), ih = GetSystemMetrics(SM_CYICON);
    drawtest::Surface black(iw, ih, 0x000000), white(iw, ih, 0xFFFFFF);
    DrawIcon(black.dc(), 0, 0, icon);
    DrawIcon(white.dc(), 0, 0, icon);
    struct Pixel {
        int x, y;
        std::uint32_t c;
    };
    std::vector<Pixel> opaque;
    for (int y = 0; y < ih; ++y)
        for (int x = 0; x < iw; ++x)
            if (black.At(x, y) == white.At(x, y)) opaque.push_back({x, y, black.At(x, y)});
    if (opaque.size() < 100) return false;
    for (int oy = 0; oy + ih <= height; ++oy)
        for (int ox = 0; ox + iw <= width; ++ox) {
            bool all = true;
            for (const Pixel& p : opaque)
                if (px[std::size_t((oy + p.y) * width + ox + p.x)] != p.c) {
                    all = false;
                    break;
                }
            if (all) return true;
        }
    return false;
}

class MessageBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        box = std::make_unique<TZCLMessageBoxDlg>(nullptr);
        formsBefore = Screen->FormCount();
        Application->SetMessageBoxHook(TMessageBoxHook::From([this](const AnsiString& text, const AnsiString&, UINT) {
            systemBoxes.push_back(Str(text));
            return IDOK;
        }));
    }
    void TearDown() override
    {
        Application->SetMessageBoxHook(TMessageBoxHook());
        EXPECT_EQ(Screen->FormCount(), formsBefore) << "the box's form is freed";
    }

    // Once the box takes input: notes what it shows, then acts on it.
    void WhenShown(std::function<void(TCustomForm*)> act)
    {
        script.Then([this] { return ReadyForInput(script.Form()); }, [this, act] { act(script.Form()); },
                    "the box to take input");
    }

    std::unique_ptr<TZCLMessageBoxDlg> box;
    ModalScript script;
    std::vector<std::string> systemBoxes;
    int formsBefore = 0;
};

// ---------------------------------------------------------------------------------------------------------------

TEST(MessageBoxFlags, ButtonsTypeAndDefaultComeFromTheirBitsAndResultsOutsideOkToNoBecomeZero)
{
    struct Buttons {
        UINT flags;
        TMsgDlgButtons buttons;
    };
    const Buttons buttons[] = {
        {MB_OK, {mbOK}},
        {MB_OKCANCEL, {mbOK, mbCancel}},
        {MB_ABORTRETRYIGNORE, {mbAbort, mbRetry, mbIgnore}},
        {MB_YESNOCANCEL, {mbYes, mbNo, mbCancel}},
        {MB_YESNO, {mbYes, mbNo}},
        {MB_RETRYCANCEL, {mbRetry, mbCancel}},
        {6, {mbOK}},
        {0x0F, {mbOK}},
    };
    for (const Buttons& b : buttons)
        EXPECT_TRUE(ZCLTranslateMessageBoxFlags(b.flags | MB_ICONHAND | MB_DEFBUTTON2).Buttons == b.buttons) << b.flags;

    struct Type {
        UINT flags;
        int type;
    };
    const Type types[] = {{0, -1},
                          {MB_ICONHAND, mtError},
                          {MB_ICONQUESTION, mtConfirmation},
                          {MB_ICONEXCLAMATION, mtWarning},
                          {MB_ICONASTERISK, mtInformation},
                          {0x50, -1},
                          {0xF0, -1}};
    for (const Type& t : types) EXPECT_EQ(ZCLTranslateMessageBoxFlags(t.flags | MB_YESNO).DlgType, t.type) << t.flags;

    for (UINT d = 0; d < 4; ++d)
        EXPECT_EQ(ZCLTranslateMessageBoxFlags((d << 8) | MB_ICONQUESTION | MB_YESNOCANCEL).DefaultButton, int(d));

    const int results[][2] = {{mrNone, 0}, {mrOk, IDOK},       {mrCancel, IDCANCEL}, {mrAbort, IDABORT},
                              {mrRetry, IDRETRY}, {mrIgnore, IDIGNORE}, {mrYes, IDYES},      {mrNo, IDNO},
                              {mrAll, 0},    {mrNoToAll, 0},    {mrYesToAll, 0},     {-1, 0}};
    for (const auto& r : results) EXPECT_EQ(ZCLMessageBoxResult(r[0]), r[1]) << r[0];
}

TEST_F(MessageBoxTest, YesNoShowsOnlyYesAndNoAndAClickReturnsTheirIds)
{
    for (const auto& [pressed, id] : {std::pair<const char*, int>{"&Yes", IDYES}, {"&No", IDNO}}) {
        ModalScript run;
        run.Arm();
        std::vector<std::string> shown;
        run.Then([&] { return ReadyForInput(run.Form()); },
                 [&, pressed = pressed] {
                     shown = Captions(RowOf(run.Form()));
                     SendClick(CentreOf(ButtonTitled<BoxButton>(run.Form(), pressed)));
                 },
                 "the box");
        EXPECT_EQ(box->MessageBox("Save the settings?", "Port", MB_YESNO), id) << pressed << ": " << run.Report();
        EXPECT_EQ(shown, (std::vector<std::string>{"&Yes", "&No"}));
    }
}

TEST_F(MessageBoxTest, ButtonsStandInTheirFixedOrderAndTheDefaultBitsPickTheOneEnterPresses)
{
    struct Case {
        UINT flags;
        std::vector<std::string> row;
        int enter;  // what Enter returns
    };
    const Case cases[] = {
        {MB_RETRYCANCEL, {"Cancel", "&Retry"}, IDCANCEL},
        {MB_RETRYCANCEL | MB_DEFBUTTON2, {"Cancel", "&Retry"}, IDRETRY},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, {"&Yes", "&No", "Cancel"}, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, {"Abort", "&Retry", "&Ignore"}, IDRETRY},
        {MB_OKCANCEL, {"OK", "Cancel"}, IDOK},
    };
    for (const Case& c : cases) {
        ModalScript run;
        run.Arm();
        std::vector<std::string> shown;
        run.Then([&] { return ReadyForInput(run.Form()); },
                 [&] {
                     shown = Captions(RowOf(run.Form()));
                     SendKey(VK_RETURN);
                 },
                 "the box");
        EXPECT_EQ(box->MessageBox("Try again?", c.flags), c.enter) << c.flags << ": " << run.Report();
        EXPECT_EQ(shown, c.row) << c.flags;
    }
}

TEST_F(MessageBoxTest, ThreeButtonsMakeTheBoxAtLeast250WideWithTheRowCentred)
{
    box->SetButtonStyle(nbsWin31);
    int width = 0;
    std::vector<int> lefts;
    std::vector<int> widths;
    std::vector<TZCLNormalButtonStyle> styles;
    WhenShown([&](TCustomForm* f) {
        width = f->Width();
        for (BoxButton* b : RowOf(f)) {
            lefts.push_back(b->ClientToScreen(TPoint(0, 0)).x - f->ClientToScreen(TPoint(0, 0)).x);
            widths.push_back(b->Width());
            styles.push_back(b->Style());
        }
        SendKey(VK_ESCAPE);
    });
    script.Arm();
    EXPECT_EQ(box->MessageDlg("Go?", mtCustom, mbYesNoCancel, 0), mrCancel) << script.Report();
    EXPECT_EQ(width, 250);
    EXPECT_EQ(lefts, (std::vector<int>{(250 - 240) / 2, (250 - 240) / 2 + 80, (250 - 240) / 2 + 160}));
    EXPECT_EQ(widths, (std::vector<int>{75, 75, 75}));
    EXPECT_EQ(styles, (std::vector<TZCLNormalButtonStyle>(3, nbsWin31)));
}

TEST_F(MessageBoxTest, ButtonTitlesRetitleTheButtonsByTheirPlaceAndHintsFollowTheMessage)
{
    box->ButtonTitles()->Add("Sure");
    box->SetShowHints(true);
    box->Hints()->Add("the question");
    box->Hints()->Add("agree");
    std::vector<std::string> captions, hints;
    std::string messageHint;
    WhenShown([&](TCustomForm* f) {
        for (BoxButton* b : RowOf(f)) {
            captions.push_back(Str(b->Caption()));
            hints.push_back(Str(b->Hint()));
        }
        messageHint = Str(FindOwned<TZCLGlyphLabel>(f)->Hint());
        SendKey(VK_ESCAPE);
    });
    script.Arm();
    EXPECT_EQ(box->MessageDlg("Keep it?", mtConfirmation, {mbYes, mbNo, mbCancel}, 0), mrCancel) << script.Report();
    EXPECT_EQ(captions, (std::vector<std::string>{"Sure", "&No", "Cancel"}));
    EXPECT_EQ(messageHint, "the question");
    EXPECT_EQ(hints, (std::vector<std::string>{"agree", "", ""}));
}

TEST_F(MessageBoxTest, EachTypeShowsItsSystemIconAndCustomShowsNone)
{
    struct Case {
        TMsgDlgType type;
        LPCSTR icon;
    };
    const LPCSTR all[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION};
    const Case cases[] = {{mtWarning, IDI_EXCLAMATION},
                          {mtError, IDI_HAND},
                          {mtInformation, IDI_ASTERISK},
                          {mtConfirmation, IDI_QUESTION},
                          {mtCustom, nullptr}};
    for (const Case& c : cases) {
        ModalScript run;
        run.Arm();
        std::vector<LPCSTR> found;
        run.Then([&] { return ReadyForInput(run.Form()); },
                 [&] {
                     int w = 0, h = 0;
                     const auto px = Picture(run.Form(), w, h);
                     for (LPCSTR id : all)
                         if (HoldsIcon(px, w, h, id)) found.push_back(id);
                     SendKey(VK_RETURN);
                 },
                 "the box");
        EXPECT_EQ(box->MessageDlg("Something happened.", c.type, {mbOK}, 0), mrOk) << run.Report();
        EXPECT_EQ(found, c.icon ? std::vector<LPCSTR>{c.icon} : std::vector<LPCSTR>{}) << int(c.type);
    }
    // From the flags: MB_ICONEXCLAMATION.
    script.Arm();
    bool exclamation = false;
    WhenShown([&](TCustomForm* f) {
        int w = 0, h = 0;
        const auto px = Picture(f, w, h);
        exclamation = HoldsIcon(px, w, h, IDI_EXCLAMATION);
        SendKey(VK_RETURN);
    });
    EXPECT_EQ(box->MessageBox("Something happened.", MB_ICONEXCLAMATION), IDOK) << script.Report();
    EXPECT_TRUE(exclamation);
}

TEST_F(MessageBoxTest, AHelpButtonAloneCallsOnHelpClickAndLeavesTheBoxOpen)
{
    int helps = 0;
    TObject* sender = nullptr;
    box->SetOnHelpClick(TNotifyEvent::From([&](TObject* s) {
        ++helps;
        sender = s;
    }));
    BoxButton* help = nullptr;
    TModalResult helpResult = -1;
    WhenShown([&](TCustomForm* f) {
        help = ButtonTitled<BoxButton>(f, "&Help");
        helpResult = help->ModalResult();
        SendClick(CentreOf(help));
    });
    script.Then([&] { return helps == 1; }, [] { SendAltF4(); }, "the help click");
    script.Arm();
    EXPECT_EQ(box->MessageDlg("Need help?", mtInformation, {mbHelp}, 0), mrCancel) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
    EXPECT_EQ(helps, 1);
    EXPECT_EQ(helpResult, mrNone);
    EXPECT_EQ(sender, static_cast<TObject*>(help));
}

TEST_F(MessageBoxTest, ShowMessageReturnsOneHoweverTheBoxIsClosed)
{
    int helps = 0;
    box->SetOnHelpClick(TNotifyEvent::From([&](TObject*) { ++helps; }));
    for (const auto& close : {std::function<void(TCustomForm*)>([](TCustomForm*) { SendKey(VK_RETURN); }),
                              std::function<void(TCustomForm*)>([](TCustomForm*) { SendAltF4(); })}) {
        ModalScript run;
        run.Arm();
        run.Then([&] { return ReadyForInput(run.Form()); }, [&] { close(run.Form()); }, "the box");
        EXPECT_EQ(box->ShowMessage("Done."), 1) << run.Report();
        EXPECT_TRUE(run.Done()) << run.Report();
    }
    EXPECT_EQ(helps, 0) << "no help button was pressed";
}

TEST_F(MessageBoxTest, OnlyTheOperationsWithArgumentsFormatTheMessage)
{
    struct Case {
        const char* name;
        std::function<void()> show;
        const char* shown;
    };
    const TVarRec three[] = {TVarRec(3)};
    const Case cases[] = {
        {"ShowMessage", [&] { box->ShowMessage("100% done, %d left"); }, "100% done, %d left"},
        {"MessageDlg", [&] { box->MessageDlg("50% of %s", mtCustom, {mbOK}, 0); }, "50% of %s"},
        {"MessageBox", [&] { box->MessageBox("C:\\%TEMP%\\x"); }, "C:\\%TEMP%\\x"},
        {"ShowMessageFmt", [&] { box->ShowMessageFmt("%d files", {TVarRec(3)}); }, "3 files"},
        {"Execute", [&] { box->Execute("", "%d%%", three, {mbOK}, -1, 0, -1, -1, 0); }, "3%"},
    };
    for (const Case& c : cases) {
        ModalScript run;
        run.Arm();
        std::string text;
        run.Then([&] { return ReadyForInput(run.Form()); },
                 [&] {
                     text = Str(FindOwned<TZCLGlyphLabel>(run.Form())->Caption());
                     SendKey(VK_RETURN);
                 },
                 "the box");
        c.show();
        EXPECT_TRUE(run.Done()) << c.name << ": " << run.Report();
        EXPECT_EQ(text, c.shown) << c.name;
    }
    // A bad format is refused before any box is made.
    EXPECT_THROW(box->ShowMessageFmt("%", {}), EConvertError);
    EXPECT_THROW(box->ShowMessageFmt("%d", {TVarRec("text")}), EConvertError);
    EXPECT_EQ(ModalForm(), nullptr);
}

TEST_F(MessageBoxTest, TheShowAgainBoxClearsShowAgainWhenTicked)
{
    box->SetShowAgainBox(true);
    int withBox = 0, without = 0;
    BoxCheck* check = nullptr;
    TPoint checkAt;
    std::string caption;
    WhenShown([&](TCustomForm* f) {
        withBox = f->Height();
        check = FindOwned<BoxCheck>(f);
        checkAt = TPoint(check->Left(), check->Top());
        caption = Str(check->Caption());
        SendClick(CentreOf(check));
    });
    script.Then([&] { return check->Checked(); }, [] { SendKey(VK_RETURN); }, "the tick");
    script.Arm();
    EXPECT_TRUE(box->ShowAgain());
    EXPECT_EQ(box->MessageDlg("Started.", mtInformation, {mbOK}, 0), mrOk) << script.Report();
    EXPECT_FALSE(box->ShowAgain());
    EXPECT_EQ(caption, "Don't show again");
    EXPECT_EQ(checkAt, TPoint(0, 35));

    // A box opened with ShowAgain off shows the tick already; without the check box it is 20 lower.
    ModalScript again;
    bool ticked = false;
    again.Then([&] { return ReadyForInput(again.Form()); },
               [&] {
                   ticked = FindOwned<BoxCheck>(again.Form())->Checked();
                   SendKey(VK_RETURN);
               },
               "the second box");
    again.Arm();
    box->MessageDlg("Started.", mtInformation, {mbOK}, 0);
    EXPECT_TRUE(ticked);

    box->SetShowAgainBox(false);
    ModalScript plain;
    plain.Then([&] { return ReadyForInput(plain.Form()); },
               [&] {
                   without = plain.Form()->Height();
                   EXPECT_EQ(FindOwned<BoxCheck>(plain.Form()), nullptr);
                   SendKey(VK_RETURN);
               },
               "the plain box");
    plain.Arm();
    box->MessageDlg("Started.", mtInformation, {mbOK}, 0);
    EXPECT_EQ(withBox, without + 20);
}

TEST_F(MessageBoxTest, RealClicksOnTheShowAgainBoxSetTheStoredAnswer)
{
    enum Spot { OnGlyph, OnCaption };
    struct Case {
        bool showAgainBefore;
        std::vector<Spot> clicks;
        bool showAgainAfter;
    };
    const Case cases[] = {
        {true, {OnGlyph}, false},
        {true, {OnCaption}, false},
        {true, {OnGlyph, OnCaption}, true},
        {false, {OnCaption}, true},
        {false, {}, false},
    };
    box->SetShowAgainBox(true);
    for (const Case& c : cases) {
        const std::string name = std::string(c.showAgainBefore ? "on" : "off") + " + " + std::to_string(c.clicks.size());
        box->SetShowAgain(c.showAgainBefore);
        ModalScript run;
        BoxCheck* check = nullptr;
        bool inside = false, fits = false;
        std::string where;
        std::size_t clicked = 0;
        auto click = [&] {
            const Spot spot = c.clicks[clicked++];
            const int x = spot == OnGlyph ? check->GlyphWidth() / 2 + 1 : check->Width() - 8;
            const TPoint p = check->ClientToScreen(TPoint(x, check->Height() / 2));
            SendClick(POINT{p.x, p.y});
        };
        run.Then([&] { return ReadyForInput(run.Form()); },
                 [&] {
                     TCustomForm* f = run.Form();
                     check = FindOwned<BoxCheck>(f);
                     // The form is at least as wide as the box and 3 more, and holds it below the buttons.
                     const TPoint topLeft = check->ClientToScreen(TPoint(0, 0));
                     const TPoint corner = f->ClientToScreen(TPoint(f->ClientWidth(), f->ClientHeight()));
                     inside = topLeft.x >= f->ClientToScreen(TPoint(0, 0)).x && f->Width() >= check->Width() + 3 &&
                              topLeft.y + check->Height() <= corner.y;
                     where = "box " + std::to_string(check->Left()) + "+" + std::to_string(check->Width()) + " in " +
                             std::to_string(f->ClientWidth()) + " (form " + std::to_string(f->Width()) + ")";
                     // Sized to its caption: the text stands whole in it.
                     TCanvas* canvas = f->Canvas();
                     canvas->Font()->Assign(check->Font());
                     fits = check->Width() >= check->GlyphWidth() + canvas->TextWidth(check->Caption());
                     EXPECT_EQ(check->Checked(), !c.showAgainBefore) << name;
                 },
                 "the box to take input");
        for (std::size_t i = 0; i < c.clicks.size(); ++i) {
            const bool expected = (i % 2 == 0) == c.showAgainBefore;
            run.Then([] { return true; }, click, "a click");
            run.Await([&, expected] { return check->Checked() == expected; }, "the box to turn");
        }
        run.Then([] { return true; }, [] { SendKey(VK_RETURN); }, "Enter");
        run.Arm();
        EXPECT_EQ(box->MessageDlg("Started.", mtInformation, {mbOK}, 0), mrOk) << name << ": " << run.Report();
        EXPECT_TRUE(run.Done()) << name << ": " << run.Report();
        EXPECT_EQ(box->ShowAgain(), c.showAgainAfter) << name;
        EXPECT_TRUE(inside) << name << ": the box stands inside the form: " << where;
        EXPECT_TRUE(fits) << name << ": the caption fits";
    }
}

TEST_F(MessageBoxTest, BoxSizeAndCustomPlaceOverrideTheMeasuredOnes)
{
    box->SetBoxWidth(400);
    box->SetBoxHeight(150);
    box->SetPosition(bpCustom);
    box->SetBoxLeft(30);
    box->SetBoxTop(40);
    RECT r{};
    WhenShown([&](TCustomForm* f) {
        GetWindowRect(f->Handle(), &r);
        SendKey(VK_RETURN);
    });
    script.Arm();
    box->ShowMessage("Placed.");
    EXPECT_EQ(r.right - r.left, 404);
    EXPECT_EQ(r.bottom - r.top, 170);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
}

TEST_F(MessageBoxTest, TheTitleIsTheCaptionThenCaptionTitleThenTheApplicationsTitle)
{
    struct Case {
        const char* caption;
        const char* captionTitle;
        std::string title;
    };
    const Case cases[] = {{"Given", "Own", "Given"}, {"", "Own", "Own"}, {"", "", Str(Application->Title())}};
    for (const Case& c : cases) {
        box->SetCaptionTitle(c.captionTitle);
        ModalScript run;
        std::string title;
        run.Then([&] { return ReadyForInput(run.Form()); },
                 [&] {
                     char text[128] = "";
                     GetWindowTextA(run.Form()->Handle(), text, sizeof text);
                     title = text;
                     SendKey(VK_RETURN);
                 },
                 "the box");
        run.Arm();
        box->MessageBox("Text", c.caption, MB_OK);
        EXPECT_EQ(title, c.title) << c.caption << "/" << c.captionTitle;
    }
}

TEST_F(MessageBoxTest, ACustomGlyphComesFromItsOwnList)
{
    TZCLBitmapList glyphs(nullptr);
    glyphs.Add();
    glyphs.Add();
    const TColor green = TColor(RGB(20, 200, 60));
    {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetWidth(20);
        bmp->SetHeight(20);
        // A white ground (the corner's colour may be drawn transparent) around a green square.
        bmp->Canvas()->Brush()->SetColor(clWhite);
        bmp->Canvas()->FillRect(TRect(0, 0, 20, 20));
        bmp->Canvas()->Brush()->SetColor(green);
        bmp->Canvas()->FillRect(TRect(2, 2, 18, 18));
        glyphs.BitmapItem(1)->SetBitmap(bmp.get());
    }
    box->SetCustomGlyph(true);
    box->SetCustomGlyphImageList(&glyphs);
    box->SetCustomGlyphListIndex(1);
    box->SetCustomGlyphListIndex(-3);  // ignored
    EXPECT_FALSE(box->CustomGlyphIMLEmpty());
    int greens = 0;
    WhenShown([&](TCustomForm* f) {
        int w = 0, h = 0;
        drawtest::Surface probe(1, 1);
        probe.Canvas()->SetPixels(0, 0, green);
        const auto px = Picture(f, w, h);
        for (std::uint32_t p : px) greens += p == probe.At(0, 0);
        SendKey(VK_RETURN);
    });
    script.Arm();
    box->MessageDlg("Own picture.", mtWarning, {mbOK}, 0);
    EXPECT_EQ(greens, 16 * 16) << "the whole glyph, and no system icon in its place";

    box->SetCustomGlyphListIndex(5);
    EXPECT_TRUE(box->CustomGlyphIMLEmpty());
}

TEST_F(MessageBoxTest, CaptionFillEnablesTheStylerAndTheImageListFillsTheBackground)
{
    TZCLBitmapList tiles(nullptr);
    tiles.Add();
    tiles.Add();
    const TColor tile = TColor(RGB(200, 120, 30));
    {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetWidth(16);
        bmp->SetHeight(16);
        bmp->Canvas()->Brush()->SetColor(tile);
        bmp->Canvas()->FillRect(TRect(0, 0, 16, 16));
        tiles.BitmapItem(1)->SetBitmap(bmp.get());
    }
    struct Case {
        bool captionFill;
        bool withList;
    };
    for (const Case& c : {Case{false, false}, Case{true, true}}) {
        box->SetCaptionFill(c.captionFill);
        box->SetColors(48);
        box->SetCaptionAlignment(taCenter);
        box->SetImageList(c.withList ? &tiles : nullptr);
        box->SetListIndex(1);
        ModalScript run;
        bool enabled = false, options = false, back = false;
        int colors = 0, tiled = 0;
        TAlignment alignment = taLeftJustify;
        run.Then([&] { return ReadyForInput(run.Form()); },
                 [&] {
                     auto* styler = FindOwned<TZCLFormStyler>(run.Form());
                     enabled = styler->Enabled();
                     options = styler->Options() == TZCLFormStyleOptions{fsAdjustRect, fsUseDefaultFont,
                                                                         fsUseFormCaption, fsCheckSystemGradient};
                     colors = styler->Colors();
                     alignment = styler->Alignment();
                     auto* panel = FindOwned<TZCLBackPanel>(run.Form());
                     back = panel->ImageList() == (c.withList ? &tiles : nullptr) && panel->ListIndex() == 1;
                     int w = 0, h = 0;
                     drawtest::Surface probe(1, 1);
                     probe.Canvas()->SetPixels(0, 0, tile);
                     for (std::uint32_t p : Picture(run.Form(), w, h)) tiled += p == probe.At(0, 0);
                     SendKey(VK_RETURN);
                 },
                 "the box");
        run.Arm();
        box->ShowMessage("Filled.");
        EXPECT_TRUE(run.Done()) << run.Report();
        EXPECT_EQ(enabled, c.captionFill);
        EXPECT_TRUE(options);
        EXPECT_EQ(colors, 48);
        EXPECT_EQ(alignment, taCenter);
        EXPECT_TRUE(back);
        if (c.withList)
            EXPECT_GT(tiled, 1000) << "the tiles show behind the message and the buttons";
        else
            EXPECT_EQ(tiled, 0);
    }
    box->SetImageList(nullptr);
}

TEST_F(MessageBoxTest, ListsThatAreFreedAreForgotten)
{
    auto glyphs = std::make_unique<TZCLBitmapList>(nullptr);
    auto waves = std::make_unique<TZCLWaveList>(nullptr);
    box->SetCustomGlyphImageList(glyphs.get());
    box->SetWaveList(waves.get());
    EXPECT_TRUE(box->WaveListEmpty());
    waves->Add();
    EXPECT_TRUE(box->WaveListEmpty()) << "an item without a wave";
    glyphs.reset();
    waves.reset();
    EXPECT_EQ(box->CustomGlyphImageList(), nullptr);
    EXPECT_EQ(box->WaveList(), nullptr);
    EXPECT_TRUE(box->WaveListEmpty());
    EXPECT_TRUE(box->CustomGlyphIMLEmpty());
}

TEST_F(MessageBoxTest, TheLastBoxMadeIsRegisteredAndFreeingAnOlderOneKeepsIt)
{
    EXPECT_EQ(ZCLRegisteredMessageBox(), box.get());
    auto second = std::make_unique<TZCLMessageBoxDlg>(nullptr);
    EXPECT_EQ(ZCLRegisteredMessageBox(), second.get());
    box.reset();
    EXPECT_EQ(ZCLRegisteredMessageBox(), second.get());
    second.reset();
    EXPECT_EQ(ZCLRegisteredMessageBox(), nullptr);
}

TEST_F(MessageBoxTest, TheProceduresUseTheRegisteredBoxAndTheFrameworksBoxesWithoutOne)
{
    struct Case {
        const char* name;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"ZCLShowMessage", [] { ZCLShowMessage("one"); }},
        {"ZCLShowMessageFmt", [] { ZCLShowMessageFmt("%s", {TVarRec("one")}); }},
        {"ZCLMessageDlg", [] { ZCLMessageDlg("one", mtInformation, {mbOK}, 0); }},
        {"ZCLMessageDlgPos", [] { ZCLMessageDlgPos("one", mtInformation, {mbOK}, 0, 10, 10); }},
        {"ZCLMessageBox", [] { ZCLMessageBox("one", "cap", MB_OK); }},
    };
    for (const Case& c : cases) {
        ModalScript run;
        std::string text;
        run.Then([&] { return ReadyForInput(run.Form()); },
                 [&] {
                     text = Str(FindOwned<TZCLGlyphLabel>(run.Form())->Caption());
                     SendKey(VK_RETURN);
                 },
                 "the library's box");
        run.Arm();
        c.call();
        EXPECT_TRUE(run.Done()) << c.name << ": " << run.Report();
        EXPECT_EQ(text, "one") << c.name;
    }
    EXPECT_TRUE(systemBoxes.empty());

    box.reset();
    for (const Case& c : cases) c.call();
    EXPECT_EQ(systemBoxes, std::vector<std::string>(5, "one"));
    EXPECT_EQ(ZCLExecuteMsg("cap", "nothing shown", {}, {mbOK}, -1, 0, -1, -1, 0), 0);
    EXPECT_EQ(systemBoxes.size(), 5u);
}

TEST_F(MessageBoxTest, ZCLExecuteMsgPassesEverythingOnToTheRegisteredBox)
{
    std::string title, text;
    std::vector<std::string> row;
    WhenShown([&](TCustomForm* f) {
        char t[128] = "";
        GetWindowTextA(f->Handle(), t, sizeof t);
        title = t;
        text = Str(FindOwned<TZCLGlyphLabel>(f)->Caption());
        row = Captions(RowOf(f));
        SendKey(VK_RETURN);
    });
    script.Arm();
    const TVarRec args[] = {TVarRec("COM3"), TVarRec(2)};
    EXPECT_EQ(ZCLExecuteMsg("Ports", "%s has %d users", args, {mbAbort, mbIgnore}, mtError, 0, -1, -1, 1),
              mrIgnore)
        << script.Report();
    EXPECT_EQ(title, "Ports");
    EXPECT_EQ(text, "COM3 has 2 users");
    EXPECT_EQ(row, (std::vector<std::string>{"Abort", "&Ignore"}));
}

TEST_F(MessageBoxTest, PlayingAWaveWithoutASoundDeviceStillShowsTheBox)
{
    TZCLWaveList waves(nullptr);
    waves.Add();
    // A short silent RIFF WAVE image: 8-bit mono, 8000 Hz, 80 samples.
    std::vector<std::uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                     16,  0,   0,   0,   1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0,
                                     1,   0,   8,   0,   'd', 'a', 't', 'a', 80, 0, 0, 0};
    wav.resize(wav.size() + 80, 0x80);
    const std::uint32_t riff = std::uint32_t(wav.size() - 8);
    for (int i = 0; i < 4; ++i) wav[std::size_t(4 + i)] = std::uint8_t(riff >> (8 * i));
    auto stream = std::make_unique<TMemoryStream>();
    stream->Write(wav.data(), int(wav.size()));
    stream->SetPosition(0);
    auto* item = dynamic_cast<TZCLWaveListItem*>(waves.Items(0));
    ASSERT_NE(item, nullptr);
    item->Wave()->LoadFromStream(stream.get());
    box->SetWaveList(&waves);
    box->SetPlayWave(true);
    EXPECT_FALSE(box->WaveListEmpty());
    WhenShown([](TCustomForm*) { SendKey(VK_RETURN); });
    script.Arm();
    EXPECT_EQ(box->ShowMessage("Beep."), 1);
    EXPECT_TRUE(script.Done()) << script.Report();
}

// A silent RIFF WAVE image: 8-bit mono at 8000 Hz.
std::unique_ptr<TMemoryStream> SilentWave(std::uint32_t samples)
{
    std::vector<std::uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                     16,  0,   0,   0,   1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0,
                                     1,   0,   8,   0,   'd', 'a', 't', 'a', 0, 0, 0, 0};
    wav.resize(wav.size() + samples, 0x80);
    const std::uint32_t riff = std::uint32_t(wav.size() - 8);
    for (int i = 0; i < 4; ++i) {
        wav[std::size_t(4 + i)] = std::uint8_t(riff >> (8 * i));
        wav[std::size_t(40 + i)] = std::uint8_t(samples >> (8 * i));
    }
    auto stream = std::make_unique<TMemoryStream>();
    stream->Write(wav.data(), int(wav.size()));
    stream->SetPosition(0);
    return stream;
}

// Whether the process has a sound going: the system refuses one that must not stop another while one plays.
bool SoundPlaying()
{
    static const std::unique_ptr<TMemoryStream> probe = SilentWave(8000);
    if (!::PlaySoundA(static_cast<LPCSTR>(probe->Memory()), nullptr,
                      SND_MEMORY | SND_NODEFAULT | SND_ASYNC | SND_NOSTOP))
        return true;
    ::PlaySoundA(nullptr, nullptr, 0);  // the probe played: end it again
    return false;
}

// The sound is going while the box is up exactly when PlayWave is set and the chosen wave has data.
TEST_F(MessageBoxTest, TheChosenWavePlaysAsTheBoxShowsOnlyWhenAskedTo)
{
    if (!ZCLMMWavePossible()) GTEST_SKIP() << "no wave output device";
    TZCLWaveList waves(nullptr);
    waves.Add();  // item 0 holds no wave
    waves.Add();
    auto* item = dynamic_cast<TZCLWaveListItem*>(waves.Items(1));
    ASSERT_NE(item, nullptr);
    item->Wave()->LoadFromStream(SilentWave(8000 * 20).get());  // long enough to outlast the box
    box->SetWaveList(&waves);
    const struct {
        bool play;
        int index;
        bool sounds;
    } cases[] = {{true, 1, true}, {false, 1, false}, {true, 0, false}};
    for (const auto& c : cases) {
        ::PlaySoundA(nullptr, nullptr, 0);
        ASSERT_FALSE(SoundPlaying());
        box->SetPlayWave(c.play);
        box->SetWaveIndex(c.index);
        bool heard = !c.sounds;
        ModalScript shown;
        shown.Then([&] { return ReadyForInput(shown.Form()); },
                   [&] {
                       heard = SoundPlaying();
                       SendKey(VK_RETURN);
                   },
                   "the box to take input");
        shown.Arm();
        EXPECT_EQ(box->ShowMessage("Beep."), 1);
        EXPECT_TRUE(shown.Done()) << shown.Report();
        EXPECT_EQ(heard, c.sounds) << "play " << c.play << ", wave " << c.index;
    }
    ::PlaySoundA(nullptr, nullptr, 0);
}

TEST_F(MessageBoxTest, ScreenshotOfAWarningWithThreeButtonsAndTheShowAgainBox)
{
    box->SetShowAgainBox(true);
    box->SetCaptionTitle("DravikREMOTE");
    std::string saved;
    WhenShown([&](TCustomForm* f) {
        RedrawWindow(f->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        saved = testshot::Shot::OfWindow(f->Handle()).SaveArtifact("ZclMessageBox");
        SendKey(VK_ESCAPE);
    });
    script.Arm();
    box->MessageDlg("The port COM2 is in use by another program.\nTry it again?", mtWarning, mbYesNoCancel, 0);
    EXPECT_FALSE(saved.empty());
}

}  // namespace
