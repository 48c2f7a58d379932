// The form styler on a real form: the caption text hidden from the system by a one-space answer that never
// overruns the caller's buffer, the system's own gradient caption left alone, and the title bar painted by the
// styler (gradient, icon and text, seen on the screen) or by an owner-draw handler in the caption band.

#include "zcl/components/Zclformstyler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
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

TEST(FormStylerDesign, ASecondStylerOnAFormBeingDesignedIsRefused)
{
    TForm form(nullptr);
    form.SetDesigning(true);
    new TZCLFormStyler(&form);
    EXPECT_THROW(new TZCLFormStyler(&form), ZCLEOneInstError);
}

}  // namespace
