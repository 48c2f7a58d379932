// The panels with a background of their own: the back panel's picture tiled from an image-list item, made
// again when it no longer fits and freed when transparent or when the list goes; its transparent children
// showing the matching part of it, also after they move; the fill panel's picture, effects and caption; what
// the children are told; and panels standing on a form whose shape paints the background.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PanelTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclfillobject.h"
#include "zcl/graphics/Zclregion.h"
#include "zcl/graphics/Zclutilsdraw.h"
#include "zcl/panels/Zclbackpanel.h"
#include "zcl/panels/Zclcustompanelfill.h"
#include "zcl/panels/Zclcustomstatusbar.h"
#include "zcl/panels/Zclsimplepanel.h"

using namespace zclctl;
using paneltest::PlaceColour;

namespace {

constexpr int TileW = 40, TileH = 30;
COLORREF Tiled(int x, int y) { return PlaceColour(x % TileW, y % TileH); }

// A bitmap list of one item: the place picture of one tile, then a second item of one colour.
struct TileList {
    TZCLBitmapList list{nullptr};
    TileList()
    {
        list.Add();
        list.BitmapItem(0)->SetBitmap(paneltest::PlaceBitmap(TileW, TileH).get());
        list.Add();
        list.BitmapItem(1)->SetBitmap(drawtest::MakeBitmap(8, 8, [](int, int) { return 0x00FF00u; }).get());
    }
};

// Counts what a child panel is told.
class TToldPanel : public TZCLSimplePanel {
public:
    explicit TToldPanel(TComponent* owner) : TZCLSimplePanel(owner) {}
    int backChanged = 0, fontChanged = 0, colorChanged = 0;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CM_ZCLBACKCHANGED) ++backChanged;
        if (m.Msg == CM_PARENTFONTCHANGED) ++fontChanged;
        if (m.Msg == CM_PARENTCOLORCHANGED) ++colorChanged;
        TZCLSimplePanel::Dispatch(m);
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// The back panel

TEST(ZclBackPanel, ThePictureIsTheItemTiledOverTheClientArea)
{
    TileList tiles;
    TForm form(nullptr);
    auto* p = new TZCLBackPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 100, 70);
    EXPECT_EQ(p->Back(), nullptr) << "no list, no picture";
    EXPECT_FALSE(p->BackBitmapCheck());
    p->SetImageList(&tiles.list);
    ASSERT_NE(p->Back(), nullptr);
    EXPECT_EQ(p->Back()->Width(), 100);
    EXPECT_EQ(p->Back()->Height(), 70);
    for (const TPoint at : {TPoint(0, 0), TPoint(39, 29), TPoint(40, 30), TPoint(99, 69), TPoint(57, 12)})
        EXPECT_EQ(drawtest::PixelOf(p->Back(), at.x, at.y), Tiled(at.x, at.y)) << at.x << "," << at.y;
    EXPECT_TRUE(p->BackBitmapCheck()) << "its own picture, though not transparent";
    EXPECT_TRUE(p->CheckOptimized());
    EXPECT_EQ(p->BackBitmap(), p->Back());
    const TPoint mapped = p->BackMapPoint(TPoint(7, 8));
    EXPECT_EQ(mapped.x, 7);
    EXPECT_EQ(mapped.y, 8);

    // Painted, it shows the picture under its bevel.
    p->Bevel()->SetStyleOuter(bvRaised);
    controltest::Dib dib(100, 70);
    p->PaintTo(dib.dc(), 0, 0);
    EXPECT_EQ(dib.At(0, 0), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(dib.At(99, 69), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(dib.At(50, 35), Tiled(50, 35));

    p->SetListIndex(1);
    EXPECT_EQ(drawtest::PixelOf(p->Back(), 50, 35), 0x00FF00u) << "the other item";
    p->SetListIndex(5);
    EXPECT_EQ(p->Back(), nullptr) << "an item that is not there";
    EXPECT_FALSE(p->BackBitmapCheck());
}

TEST(ZclBackPanel, ThePictureIsMadeAgainOnlyWhenTheClientAreaNoLongerFits)
{
    TileList tiles;
    TForm form(nullptr);
    auto* p = new TZCLBackPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 100, 70);
    p->SetImageList(&tiles.list);
    p->HandleNeeded();
    TBitmap* picture = p->Back();
    ASSERT_NE(picture, nullptr);
    const struct {
        int w, h;
        int pictureW, pictureH;
    } sizes[] = {{80, 50, 100, 70}, {100, 70, 100, 70}, {120, 70, 120, 70}, {120, 90, 120, 90}, {60, 60, 120, 90}};
    for (const auto& k : sizes) {
        p->SetBounds(0, 0, k.w, k.h);
        ASSERT_NE(p->Back(), nullptr);
        EXPECT_EQ(p->Back()->Width(), k.pictureW) << k.w << "x" << k.h;
        EXPECT_EQ(p->Back()->Height(), k.pictureH) << k.w << "x" << k.h;
        EXPECT_EQ(drawtest::PixelOf(p->Back(), k.w - 1, k.h - 1), Tiled(k.w - 1, k.h - 1));
    }
}

TEST(ZclBackPanel, TransparentOrWithoutItsListItHasNoPictureOfItsOwn)
{
    auto tiles = std::make_unique<TileList>();
    paneltest::TPlaceParent* outer = nullptr;
    TForm form(nullptr);
    outer = new paneltest::TPlaceParent(&form);
    outer->SetParent(&form);
    outer->SetBounds(0, 0, 250, 250);
    auto* p = new TZCLBackPanel(&form);
    p->SetParent(outer);
    p->SetBounds(10, 20, 100, 70);
    p->SetImageList(&tiles->list);
    p->HandleNeeded();
    ASSERT_NE(p->Back(), nullptr);

    p->SetTransparent(true);
    EXPECT_EQ(p->Back(), nullptr);
    EXPECT_EQ(p->BackBitmap(), outer->BackBitmap()) << "it hands on its parent's";
    const TPoint mapped = p->BackMapPoint(TPoint(1, 1));
    EXPECT_EQ(mapped.x, 11);
    EXPECT_EQ(mapped.y, 21);
    p->SetTransparent(false);
    ASSERT_NE(p->Back(), nullptr);

    auto* child = new TToldPanel(&form);
    child->SetParent(p);
    tiles.reset();  // the list goes
    EXPECT_EQ(p->ImageList(), nullptr);
    EXPECT_EQ(p->Back(), nullptr);
    EXPECT_FALSE(p->BackBitmapCheck());
    EXPECT_GE(child->backChanged, 1) << "the children learn that the background changed";
    controltest::Dib dib(100, 70);
    EXPECT_NO_THROW(p->PaintTo(dib.dc(), 0, 0));
    EXPECT_EQ(dib.At(50, 35), Sys(COLOR_BTNFACE));
}

TEST(ZclBackPanel, ItsChildrenAreToldWhenThePictureChanges)
{
    TileList tiles;
    TForm form(nullptr);
    auto* p = new TZCLBackPanel(&form);
    p->SetParent(&form);
    p->SetImageList(&tiles.list);
    auto* child = new TToldPanel(&form);
    child->SetParent(p);
    int before = child->backChanged;
    p->SetListIndex(1);
    EXPECT_EQ(child->backChanged, before + 1);
    before = child->backChanged;
    tiles.list.Change();
    EXPECT_EQ(child->backChanged, before + 1) << "a change of the list";
    before = child->backChanged;
    p->SetListIndex(1);
    EXPECT_EQ(child->backChanged, before) << "an unchanged index";
}

class ZclBackPanelForm : public ShownForm {};

TEST_F(ZclBackPanelForm, ATransparentPanelOnItShowsTheMatchingPartAlsoAfterItIsMoved)
{
    TileList tiles;
    auto* back = new TZCLBackPanel(form.get());
    back->SetParent(form.get());
    back->SetBounds(10, 10, 280, 200);
    back->SetImageList(&tiles.list);
    auto* p = new TZCLSimplePanel(form.get());
    p->SetParent(back);
    p->SetTransparent(true);
    p->Bevel()->SetMode(bmWindows);
    p->SetBounds(20, 30, 90, 60);
    ShowForm();
    const TRect dest(0, 0, 10, 6);
    for (const TPoint place : {TPoint(20, 30), TPoint(53, 71)}) {
        p->SetBounds(place.x, place.y, 90, 60);
        SCOPED_TRACE(std::to_string(place.x) + "," + std::to_string(place.y));
        // The client area starts past the two-pixel border.
        EXPECT_EQ(paneltest::BackPiece(p, dest, TPoint(0, 0)),
                  paneltest::PictureAt(dest, TPoint(place.x + 2, place.y + 2), Tiled));
        EXPECT_EQ(paneltest::BackPiece(p, dest, TPoint(31, 17)),
                  paneltest::PictureAt(dest, TPoint(place.x + 2 + 31, place.y + 2 + 17), Tiled));
        // And on the screen.
        ASSERT_TRUE(
            PumpUntil([&] { return WindowPixel(p->Handle(), 40, 25) == Tiled(place.x + 2 + 40, place.y + 2 + 25); }));
        for (const TPoint at : {TPoint(0, 0), TPoint(85, 55), TPoint(13, 40)})
            EXPECT_EQ(WindowPixel(p->Handle(), at.x, at.y), Tiled(place.x + 2 + at.x, place.y + 2 + at.y));
        EXPECT_EQ(WindowPixel(back->Handle(), place.x - 1, place.y - 1), Tiled(place.x - 1, place.y - 1));
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The fill panel

namespace {

// The fill panel as placed on a form.
class TFillPanel : public TZCLCustomPanelFill {
public:
    explicit TFillPanel(TComponent* owner) : TZCLCustomPanelFill(owner) {}
};

// The box round the pixels of a colour in a render of a control.
TRect InkBox(TWinControl* c, COLORREF ink)
{
    drawtest::Surface s(c->Width(), c->Height(), 0);
    c->PaintTo(s.dc(), 0, 0);
    return s.Bounds(std::uint32_t(ink));
}

}  // namespace

TEST(ZclCustomPanelFill, ThePictureIsTheFillWithTheEffects)
{
    TForm form(nullptr);
    auto* p = new TFillPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 120, 60);
    EXPECT_TRUE(p->ControlStyle().Contains(csSetCaption));
    EXPECT_EQ(p->Alignment(), agCenter);
    EXPECT_EQ(p->Back(), nullptr) << "an empty fill";
    auto* child = new TToldPanel(&form);
    child->SetParent(p);
    child->SetBounds(0, 0, 20, 20);

    int told = child->backChanged;
    p->FillObject()->SetStyle(sfBrush);
    p->FillObject()->Brush()->SetColor(TColor(0x3366CC));
    ASSERT_NE(p->Back(), nullptr);
    EXPECT_GT(child->backChanged, told);
    EXPECT_EQ(p->Back()->PixelFormat(), pf24bit);
    EXPECT_EQ(drawtest::PixelOf(p->Back(), 60, 30), 0x3366CCu);

    told = child->backChanged;
    p->BackFX()->SetInvert(true);
    EXPECT_GT(child->backChanged, told) << "an effect change";
    EXPECT_EQ(drawtest::PixelOf(p->Back(), 60, 30), 0xCC9933u);
    controltest::Dib dib(120, 60);
    p->PaintTo(dib.dc(), 0, 0);
    EXPECT_EQ(dib.At(110, 50), RGB(0x33, 0x99, 0xCC));

    // A gradient depends on the size: made again on every size change, not only when it grows.
    p->BackFX()->SetInvert(false);
    p->FillObject()->SetStyle(sfGradient);
    p->FillObject()->Gradient()->SetTwoColors(true);
    p->FillObject()->Gradient()->SetColor(clBlack);
    p->FillObject()->Gradient()->SetEndColor(clWhite);
    p->FillObject()->Gradient()->SetStyle(gstHorizontal);
    p->HandleNeeded();
    const std::uint32_t rightEdge = drawtest::PixelOf(p->Back(), 119, 30);
    p->SetBounds(0, 0, 60, 60);
    EXPECT_EQ(p->Back()->Width(), 60);
    EXPECT_EQ(drawtest::PixelOf(p->Back(), 59, 30), rightEdge) << "the gradient ends at the new edge";

    told = child->colorChanged;
    p->Bevel()->SetStyleOuter(bvLowered);
    EXPECT_GT(child->colorChanged, told) << "a bevel change";
}

TEST(ZclCustomPanelFill, TheCaptionGoesWhereTheAlignmentSays)
{
    TForm form(nullptr);
    auto* p = new TFillPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 200, 80);
    p->SetColor(clWhite);
    p->Font()->SetColor(clRed);
    p->Font()->SetName("Arial");
    p->Font()->SetSize(10);
    p->SetCaption("Panel");
    p->HandleNeeded();
    const struct {
        TZCLAlignment alignment;
        bool left, right, top, bottom;  // the text touches that third
    } cases[] = {
        {agTopLeft, true, false, true, false},     {agCenter, false, false, false, false},
        {agBottomRight, false, true, false, true}, {agTopRight, false, true, true, false},
        {agBottomLeft, true, false, false, true},
    };
    for (const auto& k : cases) {
        p->SetAlignment(k.alignment);
        const TRect ink = InkBox(p, Rgb(clRed));
        SCOPED_TRACE(int(k.alignment));
        ASSERT_FALSE(ink.IsEmpty());
        EXPECT_EQ(ink.left < 40, k.left) << drawtest::Text(ink);
        EXPECT_EQ(ink.right > 160, k.right) << drawtest::Text(ink);
        EXPECT_EQ(ink.top < 20, k.top) << drawtest::Text(ink);
        EXPECT_EQ(ink.bottom > 60, k.bottom) << drawtest::Text(ink);
        if (k.alignment == agCenter) {
            EXPECT_NEAR((ink.left + ink.right) / 2, 100, 3);
            EXPECT_NEAR((ink.top + ink.bottom) / 2, 40, 3);
        }
    }
    p->SetEnabled(false);
    EXPECT_TRUE(InkBox(p, Rgb(clRed)).IsEmpty()) << "disabled, the caption is greyed";
}

TEST(ZclCustomPanelFill, ATurnedCaptionAlwaysHasAFaceThatCanTurn)
{
    TForm form(nullptr);
    auto* p = new TFillPanel(&form);
    p->SetParent(&form);
    p->Font()->SetName("MS Sans Serif");
    p->CaptionFx()->SetAngle(90);
    EXPECT_TRUE(p->CaptionFx()->Angle() == 0 || ZCLIsTrueTypeFont(p->Font())) << p->Font()->Name().c_str();
    p->Font()->SetName("Small Fonts");
    EXPECT_TRUE(p->CaptionFx()->Angle() == 0 || ZCLIsTrueTypeFont(p->Font())) << p->Font()->Name().c_str();
}

// ---------------------------------------------------------------------------------------------------------------
// The status bar and the form shape

TEST(ZclCustomStatusBar, HasNoGapOfItsOwn)
{
    TForm form(nullptr);
    auto* bar = new TZCLCustomStatusBar(&form);
    EXPECT_EQ(bar->GetControlGap(), 0);
    EXPECT_EQ(bar->Color(), clBtnFace);
}

TEST(ZclCustomPanel, OnAFormWithAShapeItShowsTheShapesBackground)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(60, 60, 120, 80);
    TZCLFormShape* shape = nullptr;
    {
        TComponentLoader loading(&form);
        shape = new TZCLFormShape(&form);
        shape->Region()->SetShape(rsRect);
        shape->Region()->Border()->SetStyle(rbNone);
        shape->FillObject()->SetBitmap(paneltest::PlaceBitmap(120, 80).get());
        shape->FillObject()->SetStyle(sfBitmap);
        loading.Finish();
    }
    auto* p = new TZCLSimplePanel(&form);
    p->SetParent(&form);
    p->SetTransparent(true);
    p->SetBounds(0, 10, 30, 30);
    p->HandleNeeded();
    drawtest::Surface erase(120, 80, 0);
    SendMessageA(form.Handle(), WM_ERASEBKGND, WPARAM(erase.dc()), 0);  // the shape paints its picture
    ASSERT_TRUE(p->BackBitmapCheck());
    ASSERT_NE(p->BackBitmap(), nullptr);
    const TRect dest(0, 0, 6, 4);
    EXPECT_EQ(paneltest::BackPiece(p, dest, TPoint(3, 5)), paneltest::PictureAt(dest, TPoint(3, 10 + 5)));

    shape->FillObject()->SetStyle(sfNone);
    EXPECT_FALSE(p->BackBitmapCheck());
}
