// The picture control painted into DIB sections and read back at chosen pixels: every placement style, the
// picture kept inside its bevel, the transparency modes over a patterned background, effects on a copy, the
// palette given back, autosizing, the link to another picture control (also both ways round), and a logo drawn
// over a parent that hands over its picture, on the display.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DrawTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "support/Screenshot.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclutilsbmp.h"
#include "zcl/panels/Zclnimage.h"

using namespace zclctl;

namespace {

constexpr std::uint32_t Black = 0x000000, White = 0xFFFFFF, Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000,
                        Back = 0x654321, Cyan = 0xFFFF00;

// 20 x 10: the left half red, the right half blue.
std::unique_ptr<TBitmap> Halves(int w = 20, int h = 10)
{
    return drawtest::MakeBitmap(w, h, [w](int x, int) { return x < w / 2 ? Red : Blue; });
}

// Paints a windowless control into the surface at the surface's origin, as its parent's painting does.
void PaintInto(TControl* control, drawtest::Surface& s)
{
    control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(s.dc()), 0);
}

std::unique_ptr<TZCLNImage> MakeImage(int w, int h, TBitmap* bitmap)
{
    auto image = std::make_unique<TZCLNImage>(nullptr);
    image->SetBounds(0, 0, w, h);
    image->SetBitmap(bitmap);
    return image;
}

// A lowered bevel of 3 pixels on each side, all green.
void ThreePixelBevel(TZCLBevel* bevel)
{
    bevel->SetStyleOuter(bvLowered);
    bevel->SetWidthOuter(3);
    bevel->SetLightColor(TColor(Green));
    bevel->SetShadowColor(TColor(Green));
}

}  // namespace

TEST(ZclNImage, EveryStylePlacesThePictureItsWay)
{
    // A 20 x 10 picture in a 60 x 40 control on Back.
    const struct {
        TZCLBitmapStyle style;
        const char* name;
        std::vector<std::pair<TPoint, std::uint32_t>> pixels;
    } cases[] = {
        {sbNone, "own size at the top left", {{{2, 2}, Red}, {{15, 8}, Blue}, {{25, 5}, Back}, {{5, 15}, Back}}},
        {sbCenter, "centred", {{{22, 17}, Red}, {{37, 22}, Blue}, {{18, 17}, Back}, {{30, 12}, Back}}},
        {sbStretch, "stretched", {{{2, 2}, Red}, {{28, 37}, Red}, {{32, 2}, Blue}, {{57, 37}, Blue}}},
        {sbTile, "tiled", {{{2, 2}, Red}, {{15, 2}, Blue}, {{22, 2}, Red}, {{2, 12}, Red}, {{55, 35}, Blue}}},
        {sbKeepAspRatio,
         "the largest that keeps its proportions",
         {{{2, 2}, Red}, {{28, 28}, Red}, {{32, 2}, Blue}, {{57, 28}, Blue}, {{30, 33}, Back}}},
        {sbKeepWidth, "the control's height", {{{2, 2}, Red}, {{38, 37}, Red}, {{42, 2}, Blue}, {{57, 37}, Blue}}},
        {sbKeepHeight,
         "the control's width",
         {{{2, 2}, Red}, {{28, 28}, Red}, {{32, 2}, Blue}, {{57, 28}, Blue}, {{30, 33}, Back}}},
    };
    const auto picture = Halves();
    for (const auto& k : cases) {
        auto image = MakeImage(60, 40, picture.get());
        image->SetStyle(k.style);
        drawtest::Surface s(60, 40, Back);
        PaintInto(image.get(), s);
        for (const auto& [p, colour] : k.pixels)
            EXPECT_EQ(s.At(p.x, p.y), colour) << k.name << " at " << p.x << "," << p.y;
        // Nothing beyond the control's own rectangle in the surface.
        EXPECT_EQ(image->Width(), 60) << k.name;
    }
}

TEST(ZclNImage, ThePictureStaysInsideItsBevel)
{
    // A picture larger than the control in every style that does not shrink it.
    const auto big = drawtest::MakeBitmap(200, 200, [](int, int) { return Red; });
    for (TZCLBitmapStyle style : {sbNone, sbCenter, sbTile, sbStretch, sbKeepAspRatio, sbKeepWidth, sbKeepHeight}) {
        auto image = MakeImage(60, 40, big.get());
        ThreePixelBevel(image->Bevel());
        image->SetStyle(style);
        drawtest::Surface s(80, 60, Back);
        PaintInto(image.get(), s);
        SCOPED_TRACE(int(style));
        EXPECT_EQ(s.At(1, 1), Green) << "the border";
        EXPECT_EQ(s.At(58, 38), Green) << "the border";
        EXPECT_EQ(s.At(3, 3), Red) << "the picture inside it";
        EXPECT_EQ(s.Count(Red, TRect(0, 0, 80, 60)), s.Count(Red, TRect(3, 3, 57, 37))) << "nowhere else";
        EXPECT_EQ(s.At(70, 50), Back);
    }
}

TEST(ZclNImage, TheTransparencyModesLetTheBackgroundThrough)
{
    // White ground with a black square; the bottom-left pixel (the bitmap's own transparent colour) is white.
    const auto logo = drawtest::MakeBitmap(
        40, 40, [](int x, int y) { return (x >= 10 && x < 30 && y >= 10 && y < 30) ? Black : White; });
    const struct {
        TZCLTransparentMode mode;
        TColor colour;
        const char* name;
        std::function<bool(std::uint32_t ground, int x, int y)> groundOk;  // a pixel of the white ground
        std::uint32_t square;
    } cases[] = {
        {tpNone, clBtnFace, "none", [](std::uint32_t c, int, int) { return c == White; }, Black},
        {tpRestoreBack, clBtnFace, "own transparent colour",
         [](std::uint32_t c, int x, int y) { return c == PatternAt(x, y); }, Black},
        {tpTransparentColor, TColor(Green), "drawn in a colour", [](std::uint32_t c, int, int) { return c == Green; },
         Black},
        {tpRBTranspColor, clBlack, "a colour of choice", [](std::uint32_t c, int, int) { return c == White; },
         PatternAt(20, 20)},
    };
    for (const auto& k : cases) {
        auto image = MakeImage(40, 40, logo.get());
        image->TransparentStyle()->SetMode(k.mode);
        image->TransparentStyle()->SetColor(k.colour);
        drawtest::Surface s(40, 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) SetPixel(s.dc(), x, y, PatternAt(x, y));
        PaintInto(image.get(), s);
        SCOPED_TRACE(k.name);
        for (TPoint p : {TPoint(2, 2), TPoint(5, 35), TPoint(37, 20)})
            EXPECT_TRUE(k.groundOk(s.At(p.x, p.y), p.x, p.y)) << p.x << "," << p.y << " " << std::hex << s.At(p.x, p.y);
        EXPECT_EQ(s.At(20, 20), k.square);
    }
}

TEST(ZclNImage, AKeyboardLogoKeepsItsProportionsAndShowsTheBackgroundThroughItsWhite)
{
    // 100 x 50 into 60 x 60: drawn 60 x 30 at the top left, white parts and the rest showing what lies behind.
    const auto logo = drawtest::MakeBitmap(
        100, 50, [](int x, int y) { return (x >= 40 && x < 60 && y >= 10 && y < 40) ? Red : White; });
    auto image = MakeImage(60, 60, logo.get());
    image->SetStyle(sbKeepAspRatio);
    image->TransparentStyle()->SetMode(tpRestoreBack);
    image->TransparentStyle()->SetColor(clWhite);
    drawtest::Surface s(60, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) SetPixel(s.dc(), x, y, PatternAt(x, y));
    PaintInto(image.get(), s);
    EXPECT_TRUE(drawtest::SameRect(s.Bounds(Red), TRect(24, 6, 36, 24))) << "scaled by 0.6, not distorted";
    for (TPoint p : {TPoint(5, 5), TPoint(50, 25), TPoint(30, 45), TPoint(5, 55)})
        EXPECT_EQ(s.At(p.x, p.y), PatternAt(p.x, p.y)) << p.x << "," << p.y;
}

TEST(ZclNImage, AnOpaqueImageFillsAroundThePictureWithItsColour)
{
    const auto picture = Halves();
    auto image = MakeImage(60, 40, picture.get());
    image->SetStyle(sbCenter);
    image->SetTransparent(false);
    image->SetColor(TColor(Green));
    drawtest::Surface s(60, 40, Back);
    PaintInto(image.get(), s);
    EXPECT_EQ(s.At(2, 2), Green);
    EXPECT_EQ(s.At(22, 17), Red);
    EXPECT_EQ(s.Count(Back), 0);
}

TEST(ZclNImage, EffectsWorkOnACopyOfThePicture)
{
    const auto picture = Halves();
    auto image = MakeImage(20, 10, picture.get());
    image->BackFX()->SetInvert(true);
    drawtest::Surface s(20, 10, Back);
    PaintInto(image.get(), s);
    EXPECT_EQ(s.At(2, 2), Cyan) << "red inverted";
    EXPECT_EQ(s.At(15, 2), 0x00FFFFu) << "blue inverted";
    EXPECT_EQ(drawtest::PixelOf(image->Bitmap(), 2, 2), Red) << "the picture itself unchanged";
}

TEST(ZclNImage, WithoutQuickDrawThePalettedPictureIsDrawnAndTheDCGetsItsPaletteBack)
{
    auto picture = Halves();
    picture->SetPixelFormat(pf8bit);
    ASSERT_NE(picture->Palette(), nullptr);
    for (bool quick : {true, false}) {
        auto image = MakeImage(20, 10, picture.get());
        image->SetQuickDraw(quick);
        drawtest::Surface s(20, 10, Back);
        const HGDIOBJ before = GetCurrentObject(s.dc(), OBJ_PAL);
        PaintInto(image.get(), s);
        EXPECT_EQ(s.At(2, 2), Red) << quick;
        EXPECT_EQ(s.At(15, 2), Blue) << quick;
        EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PAL), before) << quick;
    }
}

TEST(ZclNImage, AnEmptyImageWithoutBevelDrawsNothing)
{
    for (bool transparent : {true, false}) {
        auto image = MakeImage(30, 30, nullptr);
        image->SetTransparent(transparent);
        drawtest::Surface s(30, 30, Back);
        PaintInto(image.get(), s);
        EXPECT_EQ(s.Count(Back), 900) << transparent;
        ThreePixelBevel(image->Bevel());
        PaintInto(image.get(), s);
        EXPECT_EQ(s.At(1, 1), Green) << "the bevel of an empty image";
    }
}

TEST(ZclNImage, EachStyleAddsItsDrawingFlagsAndNoBevelTurnsTheClippingBitOver)
{
    const struct {
        TZCLBitmapStyle style;
        std::uint16_t withBevel, withoutBevel;
    } cases[] = {
        {sbNone, 0x001, 0x000},         {sbAutosize, 0x001, 0x000},     {sbCenter, 0x009, 0x008},
        {sbStretch, 0x010, 0x011},      {sbTile, 0x021, 0x020},         {sbKeepAspRatio, 0x610, 0x611},
        {sbKeepWidth, 0x211, 0x210},    {sbKeepHeight, 0x411, 0x410},
    };
    auto image = MakeImage(60, 40, nullptr);
    for (const auto& k : cases) {
        image->SetStyle(k.style);
        image->SetBounds(0, 0, 60, 40);
        image->Bevel()->SetWidthOuter(0);
        EXPECT_EQ(image->AddStyleFlags(0), k.withoutBevel) << int(k.style);
        EXPECT_EQ(image->AddStyleFlags(ZCLBmpTransparent), k.withoutBevel | ZCLBmpTransparent) << int(k.style);
        ThreePixelBevel(image->Bevel());
        EXPECT_EQ(image->AddStyleFlags(0), k.withBevel) << int(k.style);
        EXPECT_EQ(image->AddStyleFlags(ZCLBmpReplace), k.withBevel | ZCLBmpReplace) << int(k.style);
    }
}

TEST(ZclNImage, AutosizeTakesThePicturesSizeAndTheBevel)
{
    const struct {
        int w, h;  // picture, 0 for none
        bool bevel;
        int width, height;
    } cases[] = {{40, 30, true, 46, 36}, {40, 30, false, 40, 30}, {0, 0, true, 26, 26}, {0, 0, false, 20, 20}};
    for (const auto& k : cases) {
        auto picture = k.w ? Halves(k.w, k.h) : std::unique_ptr<TBitmap>();
        auto image = MakeImage(90, 70, picture.get());
        image->SetBounds(12, 14, 90, 70);
        if (k.bevel) ThreePixelBevel(image->Bevel());
        EXPECT_EQ(image->Width(), 90) << "only with the style";
        image->SetStyle(sbAutosize);
        EXPECT_EQ(image->Width(), k.width) << k.w << " " << k.bevel;
        EXPECT_EQ(image->Height(), k.height) << k.w << " " << k.bevel;
        EXPECT_EQ(image->Left(), 12);
        EXPECT_EQ(image->Top(), 14);
        EXPECT_FALSE(image->CorrectBounds()) << "already the right size";
    }
    // A new picture or a new bevel resizes the control again.
    auto image = MakeImage(90, 70, nullptr);
    image->SetStyle(sbAutosize);
    EXPECT_EQ(image->Width(), 20);
    image->SetBitmap(Halves(50, 12).get());
    EXPECT_EQ(image->Width(), 50);
    EXPECT_EQ(image->Height(), 12);
    ThreePixelBevel(image->Bevel());
    EXPECT_EQ(image->Width(), 56);
    EXPECT_EQ(image->Height(), 18);
    image->SetBitmap(nullptr);
    EXPECT_EQ(image->Width(), 26) << "empty again";
}

TEST(ZclNImage, AutosizeWaitsForTheFormToLoad)
{
    TForm form(nullptr);
    TZCLNImage* image = nullptr;
    {
        TComponentLoader loading(&form);
        image = new TZCLNImage(&form);
        image->SetBounds(5, 5, 90, 70);
        image->SetStyle(sbAutosize);
        image->SetBitmap(Halves(40, 30).get());
        EXPECT_EQ(image->Width(), 90) << "nothing while loading";
        loading.Finish();
    }
    EXPECT_EQ(image->Width(), 40);
    EXPECT_EQ(image->Height(), 30);
}

TEST(ZclNImage, ALinkedImageShowsTheOtherOnesPictureUntilThatOneGoes)
{
    TForm form(nullptr);
    auto* a = new TZCLNImage(&form);
    a->SetBounds(0, 0, 20, 10);
    a->SetBitmap(drawtest::MakeBitmap(20, 10, [](int, int) { return Red; }).get());
    auto* b = new TZCLNImage(&form);
    b->SetBounds(0, 0, 20, 10);
    b->SetBitmap(drawtest::MakeBitmap(20, 10, [](int, int) { return Blue; }).get());
    auto shows = [](TZCLNImage* image) {
        drawtest::Surface s(20, 10, Back);
        PaintInto(image, s);
        return s.At(5, 5);
    };

    a->SetControl(a);
    EXPECT_EQ(a->Control(), nullptr) << "never itself";
    a->SetControl(b);
    EXPECT_EQ(shows(a), Blue);
    // Both ways round: each shows the other's own picture, and painting ends.
    b->SetControl(a);
    EXPECT_EQ(shows(a), Blue);
    EXPECT_EQ(shows(b), Red);
    EXPECT_EQ(a->GetPalette(), b->Bitmap()->Palette());

    // A chain is not followed: each shows the next one's own picture.
    auto* c = new TZCLNImage(&form);
    c->SetBounds(0, 0, 20, 10);
    c->SetBitmap(drawtest::MakeBitmap(20, 10, [](int, int) { return Green; }).get());
    b->SetControl(c);
    c->SetControl(a);
    EXPECT_EQ(shows(a), Blue);
    EXPECT_EQ(shows(b), Green);
    EXPECT_EQ(shows(c), Red);
    delete c;
    EXPECT_EQ(b->Control(), nullptr);
    EXPECT_EQ(shows(b), Blue);

    delete b;
    EXPECT_EQ(a->Control(), nullptr) << "the link goes with the other control";
    EXPECT_EQ(shows(a), Red);

    // A control of another owner tells its end too.
    auto other = std::make_unique<TZCLNImage>(nullptr);
    a->SetControl(other.get());
    other.reset();
    EXPECT_EQ(a->Control(), nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// On the display

class ZclNImageShown : public ShownForm {};

TEST_F(ZclNImageShown, ALogoOverAPatternedParentShowsThePatternThroughItsWhite)
{
    auto* back = new TBackParent(form.get());
    back->SetParent(form.get());
    back->SetBounds(10, 10, 200, 150);
    const auto logo = drawtest::MakeBitmap(
        100, 50, [](int x, int y) { return (x >= 40 && x < 60 && y >= 10 && y < 40) ? Red : White; });
    auto* image = new TZCLNImage(form.get());
    image->SetParent(back);
    image->SetBounds(30, 40, 60, 60);
    image->SetBitmap(logo.get());
    image->SetStyle(sbKeepAspRatio);
    image->TransparentStyle()->SetMode(tpRestoreBack);
    image->TransparentStyle()->SetColor(clWhite);
    ShowForm();
    const TPoint origin = image->ClientToScreen(TPoint(0, 0));
    ASSERT_TRUE(PumpUntil([&] { return WindowPixel(form->Handle(), 40 + 30, 50 + 15) == Rgb(TColor(Red)); }, 5000))
        << "the logo's mark";
    const testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    auto at = [&](int x, int y) { return shot.AtScreen(origin.x + x, origin.y + y); };
    // The parent's picture, in its own coordinates, behind the white and below the logo.
    for (TPoint p : {TPoint(5, 5), TPoint(50, 25), TPoint(30, 45)})
        EXPECT_EQ(at(p.x, p.y), PatternAt(p.x + 30, p.y + 40)) << p.x << "," << p.y;
}

TEST_F(ZclNImageShown, ThePictureIsClippedToItsControlWhereverTheControlStands)
{
    // Pictures far larger than their controls: one half off the form's left edge, one at an ordinary place, both
    // inside a bevel, and an opaque one without a bevel, which repaints itself at once when it changes.
    const auto red = drawtest::MakeBitmap(200, 200, [](int, int) { return Red; });
    const auto blue = drawtest::MakeBitmap(200, 200, [](int, int) { return Blue; });
    auto add = [&](int x, int y, bool bevel) {
        auto* image = new TZCLNImage(form.get());
        image->SetParent(form.get());
        image->SetBounds(x, y, 60, 40);
        image->SetBitmap(red.get());
        if (bevel) ThreePixelBevel(image->Bevel());
        else image->SetTransparent(false);
        return image;
    };
    TZCLNImage* offEdge = add(-10, 20, true);
    add(100, 20, true);
    TZCLNImage* opaque = add(200, 100, false);
    ShowForm();
    struct Probe {
        int x, y;
        COLORREF colour;
        const char* what;
    };
    const COLORREF white = Rgb(clWhite), green = Green, red_ = Red, blue_ = Blue;
    auto settled = [&](const std::vector<Probe>& probes) {
        auto all = [&] {
            for (const Probe& p : probes)
                if (WindowPixel(form->Handle(), p.x, p.y) != p.colour) return false;
            return true;
        };
        PumpUntil(all, 5000);
        for (const Probe& p : probes)
            EXPECT_EQ(WindowPixel(form->Handle(), p.x, p.y), p.colour) << p.what << " at " << p.x << "," << p.y;
    };
    const std::vector<Probe> beveled = {
        {20, 40, red_, "inside the bevel, left of the form's edge"},
        {48, 40, green, "its right border"},
        {20, 58, green, "its bottom border"},
        {52, 40, white, "right of it"},
        {20, 62, white, "below it"},
        {130, 40, red_, "inside the other bevel"},
        {158, 40, green, "its right border"},
        {162, 40, white, "right of it"},
        {130, 62, white, "below it"},
    };
    settled(beveled);
    settled({{230, 120, red_, "the opaque picture"},
             {262, 120, white, "right of it"},
             {230, 142, white, "below it"}});

    opaque->SetBitmap(blue.get());
    offEdge->SetBitmap(blue.get());
    settled({{230, 120, blue_, "the opaque picture, repainted at once"},
             {262, 120, white, "right of it"},
             {230, 142, white, "below it"},
             {20, 40, blue_, "the picture off the edge, repainted"},
             {48, 40, green, "its right border"}});
    EXPECT_EQ(WindowPixel(form->Handle(), 130, 40), red_) << "the other one left as it was";
}

TEST_F(ZclNImageShown, AClickOnThePictureReachesIt)
{
    auto* image = new TZCLNImage(form.get());
    image->SetParent(form.get());
    image->SetBounds(50, 50, 60, 40);
    image->SetBitmap(Halves().get());
    image->SetStyle(sbStretch);
    std::vector<std::string> log;
    image->SetOnClick(TNotifyEvent::From([&](TObject*) { log.push_back("click"); }));
    image->SetOnMouseUp(TMouseEvent::From([&](TObject*, TMouseButton, TShiftState, int x, int y) {
        log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    }));
    ShowForm();
    MouseToControl(image, 45, 12);
    controltest::MouseButton(true);
    controltest::MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; }, 5000));
    EXPECT_EQ(log, (std::vector<std::string>{"click", "up 45,12"}));
}

TEST(ZclNImage, ItsPublishedPropertiesAndItsLinkGoThroughAStream)
{
    TForm form(nullptr);
    auto* logo = new TZCLNImage(&form);
    logo->SetName("Logo");
    logo->SetStyle(sbKeepAspRatio);
    logo->SetQuickDraw(false);
    logo->SetTransparent(false);
    logo->TransparentStyle()->SetMode(tpRestoreBack);
    logo->TransparentStyle()->SetColor(clWhite);
    ThreePixelBevel(logo->Bevel());
    logo->BackFX()->SetInvert(true);
    auto* copy = new TZCLNImage(&form);
    copy->SetName("Copy");
    copy->SetControl(logo);
    TMemoryStream stream;
    {
        TWriter writer(&stream);
        writer.SetRoot(&form);
        writer.WriteComponent(logo);
        writer.WriteComponent(copy);
    }
    stream.SetPosition(0);
    TForm other(nullptr);
    // Built in code as the program's forms are, then read.
    auto* logoBack = new TZCLNImage(&other);
    logoBack->SetName("Logo");
    auto* copyBack = new TZCLNImage(&other);
    copyBack->SetName("Copy");
    {
        TReader reader(&stream);
        reader.SetRoot(&other);
        reader.SetOwner(&other);
        // The reference is resolved once both are read.
        reader.BeginReferences();
        reader.ReadComponent(logoBack);
        reader.ReadComponent(copyBack);
        reader.FixupReferences();
        reader.EndReferences();
    }
    EXPECT_EQ(logoBack->Style(), sbKeepAspRatio);
    EXPECT_FALSE(logoBack->QuickDraw());
    EXPECT_FALSE(logoBack->Transparent());
    EXPECT_EQ(logoBack->TransparentStyle()->Mode(), tpRestoreBack);
    EXPECT_EQ(logoBack->TransparentStyle()->Color(), clWhite);
    EXPECT_EQ(logoBack->Bevel()->WidthOuter(), 3);
    EXPECT_TRUE(logoBack->BackFX()->Invert());
    EXPECT_EQ(copyBack->Control(), logoBack) << "the link, by name, to the other form's picture";
}
