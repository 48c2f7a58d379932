// The form styler on a real form: the caption text hidden from the system by a one-space answer that never
// overruns the caller's buffer, the system's own gradient caption left alone, and the title bar painted by the
// styler (gradient, icon and text, seen on the screen) or by an owner-draw handler in the caption band; where the
// alignment puts the caption, the font and colour it is drawn in, and the caption event drawing instead.

#include "zcl/components/Zclformstyler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ComponentsTestKit.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclsysin.h"

using namespace zcltest;

namespace {

class FormStylerTest : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(150, 150, 320, 160);
        form->SetCaption("Styled caption");
    }
    TZCLFormStyler* Load(const std::function<void(TZCLFormStyler*)>& setUp = nullptr)
    {
        TComponentLoader loading(form.get());
        auto* styler = loading.Create<TZCLFormStyler>();
        if (setUp) setUp(styler);
        loading.Finish();
        return styler;
    }
    std::unique_ptr<TForm> form;
};

struct TextCase {
    WPARAM size;
    LRESULT result;
    const char* text;  // what the buffer holds after, within size
};

class FormStylerText : public FormStylerTest, public testing::WithParamInterface<TextCase> {};

TEST_P(FormStylerText, TheWindowTextIsOneSpaceWithinTheCallersBuffer)
{
    TZCLFormStyler* styler = Load([](TZCLFormStyler* s) { s->SetOptions({fsUseDefaultFont}); });
    (void)styler;
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    const LRESULT result =
        SendMessageA(form->Handle(), WM_GETTEXT, GetParam().size, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(result, GetParam().result);
    const std::size_t written = std::strlen(GetParam().text) + (GetParam().size ? 1 : 0);
    EXPECT_EQ(std::string(buffer, written), std::string(GetParam().text, written)) << "size " << GetParam().size;
    for (std::size_t i = written; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 'x') << "overrun at " << i;
    EXPECT_EQ(SendMessageA(form->Handle(), WM_GETTEXTLENGTH, 0, 0), 1);
    EXPECT_EQ(form->Caption(), "Styled caption") << "the form keeps its own caption";
}

INSTANTIATE_TEST_SUITE_P(Sizes, FormStylerText,
                         testing::Values(TextCase{0, 0, ""}, TextCase{1, 0, ""}, TextCase{2, 1, " "},
                                         TextCase{3, 1, " "}, TextCase{16, 1, " "}));

TEST_F(FormStylerTest, TheRealTextComesWithTheFormsCaptionOptionOrWhenNotPainting)
{
    TZCLFormStyler* styler = Load();
    ASSERT_TRUE(styler->Options().Contains(fsUseFormCaption));
    char buffer[64] = "";
    auto text = [&] {
        std::memset(buffer, 0, sizeof buffer);
        SendMessageA(form->Handle(), WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        return std::string(buffer);
    };
    EXPECT_EQ(text(), "Styled caption");
    styler->SetOptions({fsUseDefaultFont});
    EXPECT_EQ(text(), " ");
    styler->SetPaintMode(pcNone);
    EXPECT_EQ(text(), "Styled caption");
    styler->SetPaintMode(pcControl);
    styler->SetEnabled(false);
    EXPECT_EQ(text(), "Styled caption");
}

TEST_F(FormStylerTest, TheSystemsOwnGradientCaptionIsLeftAlone)
{
    int painted = 0;
    TRect band;
    TZCLFormStyler* styler = Load([&](TZCLFormStyler* s) {
        s->SetPaintMode(pcOwnerDraw);
        s->SetOnPaint(TZCLPaintEvent::From([&](TObject*, TCanvas*, const TRect& r) {
            ++painted;
            band = r;
        }));
    });
    form->Show();
    SendMessageA(form->Handle(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(styler->FormActive());
    ASSERT_TRUE(ZCLPlatformFlags().Win2000);
    if (ZCLSIColorDepth() > 8) {
        EXPECT_TRUE(styler->SystemGradient());
        styler->PaintTitleBar(true);
        EXPECT_EQ(painted, 0);
    }
    styler->SetOptions({fsUseDefaultFont, fsUseFormCaption});
    painted = 0;
    styler->PaintTitleBar(true);
    EXPECT_EQ(painted, 1);
    TRect expected, text;
    std::uint16_t flags = 0;
    ZCLNCCalcDrawingArea(form->Handle(), expected, text, flags);
    EXPECT_EQ(band, expected);
    EXPECT_GT(band.Width(), 200);

    // The inactive form is painted only with fsInactiveGradient.
    SendMessageA(form->Handle(), WM_NCACTIVATE, FALSE, 0);
    EXPECT_FALSE(styler->FormActive());
    painted = 0;
    SendMessageA(form->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(painted, 0);
    styler->SetOptions({fsUseDefaultFont, fsUseFormCaption, fsInactiveGradient});
    painted = 0;
    SendMessageA(form->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_GE(painted, 1);
}

TEST_F(FormStylerTest, TheTitleBarShowsTheGradientAndTheCaptionOnTheScreen)
{
    // A gradient partner that differs from the caption colour, for this test only.
    const int element = COLOR_GRADIENTACTIVECAPTION;
    const COLORREF saved = GetSysColor(element);
    const COLORREF partner = RGB(128, 0, 0);
    ASSERT_TRUE(SetSysColors(1, &element, &partner));
    struct Restore {
        int element;
        COLORREF colour;
        ~Restore() { SetSysColors(1, &element, &colour); }
    } restore{element, saved};

    TZCLFormStyler* styler = Load([](TZCLFormStyler* s) {
        s->SetOptions({fsUseDefaultFont, fsUseFormCaption});
        s->SetColors(64);
    });
    form->SetBorderStyle(bsSingle);
    form->Show();
    SetForegroundWindow(form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return styler->FormActive(); }));
    styler->PaintTitleBar(true);
    TRect band, text;
    std::uint16_t flags = 0;
    ZCLNCCalcDrawingArea(form->Handle(), band, text, flags);
    auto textPixelsOf = [&](const testshot::Shot& s) {
        int n = 0;
        for (int x = text.left; x < text.right; ++x)
            for (int yy = band.top; yy < band.bottom; ++yy)
                if (s.At(x, yy) == GetSysColor(COLOR_CAPTIONTEXT)) ++n;
        return n;
    };
    // The screen shows the drawing once the window's surface has reached it: looked at until the caption is
    // there, within a generous bound.
    testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    PumpUntil(
        [&] {
            shot = testshot::Shot::OfWindow(form->Handle());
            return textPixelsOf(shot) > 20;
        },
        5000);
    shot.SaveArtifact("form-styler");
    // From the caption colour at the left to its partner at the right, through the colours between.
    const int y = band.bottom - 2;
    const COLORREF start = GetSysColor(COLOR_ACTIVECAPTION);
    EXPECT_EQ(shot.At(band.left, y), start) << "left end";
    const COLORREF end = shot.At(band.right - 1, y);
    EXPECT_LE(std::abs(int(GetRValue(end)) - 128), 8) << "right end";
    EXPECT_LE(int(GetBValue(end)), 8);
    const COLORREF middle = shot.At((band.left + band.right) / 2, y);
    EXPECT_GT(GetBValue(middle), GetBValue(end));
    EXPECT_LT(GetBValue(middle), GetBValue(start));
    EXPECT_GT(textPixelsOf(shot), 20) << "the caption text is drawn";
}

// The caption band of a shown, active form painted white by the owner-draw handler, so the caption text
// stands out in the font's own black.
class FormStylerCaption : public FormStylerTest {
protected:
    TZCLFormStyler* ShowStyled(TZCLFormStyleOptions options)
    {
        TZCLFormStyler* styler = Load([&](TZCLFormStyler* s) {
            s->SetPaintMode(pcOwnerDraw);
            s->SetOnPaint(TZCLPaintEvent::From([](TObject*, TCanvas* canvas, const TRect& r) {
                canvas->Brush()->SetStyle(bsSolid);
                canvas->Brush()->SetColor(clWhite);
                canvas->FillRect(r);
            }));
            s->Font()->SetName("Arial");
            s->Font()->SetHeight(-13);
            s->Font()->SetStyle(TFontStyles{fsBold});
            s->Font()->SetColor(clBlack);
            s->SetOptions(options);
        });
        form->SetCaption("Wm");
        form->SetBorderStyle(bsSingle);
        form->Show();
        SetForegroundWindow(form->Handle());
        EXPECT_TRUE(PumpUntil([&] { return styler->FormActive(); }));
        std::uint16_t flags = 0;
        ZCLNCCalcDrawingArea(form->Handle(), band, text, flags);
        return styler;
    }
    // The black pixels of the caption's text area on the screen, in columns from..to (window coordinates).
    int BlackIn(const testshot::Shot& shot, int from, int to) const
    {
        int n = 0;
        for (int x = from; x < to; ++x)
            for (int y = band.top; y < band.bottom; ++y) n += shot.At(x, y) == RGB(0, 0, 0);
        return n;
    }
    // Paints the title bar until the screen shows what holds() asks for; the last look stays in shot.
    bool Shows(TZCLFormStyler* styler, const std::function<bool(const testshot::Shot&)>& holds)
    {
        return PumpUntil(
            [&] {
                styler->PaintTitleBar(true);
                shot = testshot::Shot::OfWindow(form->Handle());
                return holds(*shot);
            },
            5000);
    }
    TRect band, text;
    std::optional<testshot::Shot> shot;
};

TEST_F(FormStylerCaption, TheCaptionStandsWhereItsAlignmentPutsIt)
{
    TZCLFormStyler* styler = ShowStyled({fsUseFormCaption, fsUseFontColor});
    const int w = text.Width();
    ASSERT_GT(w, 150);
    const int third = text.left + w / 3, twoThirds = text.left + 2 * w / 3;
    const struct {
        TAlignment alignment;
        const char* what;
        int inFrom, inTo;  // the text lies here ...
        int outFrom, outTo;  // ... and none of it here
    } cases[] = {
        {taLeftJustify, "left", text.left, third, third, text.right},
        {taRightJustify, "right", twoThirds, text.right, text.left, twoThirds},
        {taCenter, "centre", third, twoThirds, text.left, third},
    };
    for (const auto& c : cases) {
        styler->SetAlignment(c.alignment);
        const bool shown = Shows(styler, [&](const testshot::Shot& s) {
            return BlackIn(s, c.inFrom, c.inTo) > 10 && BlackIn(s, c.outFrom, c.outTo) == 0;
        });
        EXPECT_TRUE(shown) << c.what << ": " << BlackIn(*shot, c.inFrom, c.inTo) << " inside, "
                           << BlackIn(*shot, c.outFrom, c.outTo) << " outside";
        if (c.alignment == taCenter) {
            EXPECT_EQ(BlackIn(*shot, twoThirds, text.right), 0) << c.what;
        }
    }
}

// With fsDrawCaptionEvent the handler is handed the text area with the caption font already chosen, and draws
// instead of the styler: no text of the styler's own appears.
TEST_F(FormStylerCaption, TheCaptionEventDrawsInsteadWithTheChosenFontAndColour)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    TZCLFormStyler* styler = ShowStyled({fsUseFormCaption, fsUseFontColor});
    ASSERT_TRUE(Shows(styler, [&](const testshot::Shot& s) { return BlackIn(s, text.left, text.right) > 10; }))
        << "the styler's own caption text first";

    struct Seen {
        int calls = 0;
        TRect rect;
        std::string name;
        bool bold = false;
        TColor color = clNone;
    } seen;
    styler->SetOnCaptionPaint(TZCLPaintEvent::From([&](TObject*, TCanvas* canvas, const TRect& r) {
        ++seen.calls;
        seen.rect = r;
        seen.name = canvas->Font()->Name().c_str();
        seen.bold = canvas->Font()->Style().Contains(fsBold);
        seen.color = canvas->Font()->Color();
    }));
    styler->Font()->SetName("Courier New");
    styler->Font()->SetStyle(TFontStyles{});
    styler->Font()->SetColor(clRed);
    const struct {
        TZCLFormStyleOptions options;
        const char* what;
        std::string name;
        bool bold;
        TColor color;
    } cases[] = {
        {{fsUseFormCaption, fsDrawCaptionEvent}, "own font", "Courier New", false, clCaptionText},
        {{fsUseFormCaption, fsDrawCaptionEvent, fsUseFontColor}, "own font and colour", "Courier New", false, clRed},
        {{fsUseFormCaption, fsDrawCaptionEvent, fsUseDefaultFont}, "system font", metrics.lfCaptionFont.lfFaceName,
         true, clCaptionText},
    };
    for (const auto& c : cases) {
        styler->SetOptions(c.options);
        seen = Seen();
        styler->PaintTitleBar(true);
        EXPECT_EQ(seen.calls, 1) << c.what;
        EXPECT_EQ(seen.rect, text) << c.what;
        EXPECT_EQ(seen.name, c.name) << c.what;
        EXPECT_EQ(seen.bold, c.bold) << c.what;
        EXPECT_EQ(seen.color, c.color) << c.what;
    }
    // In the black of the first look, had the styler drawn it.
    styler->Font()->SetColor(clBlack);
    styler->SetOptions({fsUseFormCaption, fsDrawCaptionEvent, fsUseFontColor});
    EXPECT_TRUE(Shows(styler, [&](const testshot::Shot& s) { return BlackIn(s, text.left, text.right) == 0; }))
        << "the styler's text went: " << BlackIn(*shot, text.left, text.right);
}

TEST(FormStylerDesign, ASecondStylerOnAFormBeingDesignedIsRefused)
{
    TForm form(nullptr);
    form.SetDesigning(true);
    new TZCLFormStyler(&form);
    EXPECT_THROW(new TZCLFormStyler(&form), ZCLEOneInstError);
}

}  // namespace
