// Transparent windowless buttons over each kind of container that hands its children the picture behind them:
// a library windowed control, the library's scroll box, another container speaking the same protocol, and a form
// whose shape fills its background; over a container that hands over nothing the button draws no background.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "PanelTestHelpers.h"
#include "ZclButtonTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "zcl/buttons/Zclmmbutton.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/components/Zclcustomscrollbox.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclfillobject.h"
#include "zcl/graphics/Zclregion.h"

using namespace zclbtn;

namespace {

// A framework container that is not one of the library's controls but hands over its picture all the same.
class TPlainSupplier : public TCustomControl, public TZCLBackSupplier {
public:
    explicit TPlainSupplier(TComponent* owner) : TCustomControl(owner)
    {
        SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    }
    TBitmap* BackBitmap() override { return back_.get(); }
    bool BackBitmapCheck() override { return true; }
    bool BackDrawArea(TCanvas* canvas, const TRect& dest, const TPoint& src, std::uint16_t) override
    {
        canvas->CopyRect(dest, back_->Canvas(),
                         TRect(src.x + dest.left, src.y + dest.top, src.x + dest.right, src.y + dest.bottom));
        return true;
    }
    TPoint BackMapPoint(const TPoint& p) override { return p; }

private:
    std::unique_ptr<TBitmap> back_ = paneltest::PlaceBitmap(250, 250);
};

// A container that speaks no protocol.
class TMuteParent : public TCustomControl {
public:
    explicit TMuteParent(TComponent* owner) : TCustomControl(owner)
    {
        SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    }
};

class TransparentButtons : public ButtonForm {
protected:
    void SetUp() override
    {
        ButtonForm::SetUp();
        // A multimedia face: white (its transparent colour) round a red block in the middle.
        faces.Add();
        TZCLImageListItem* item = faces.StripItem(0);
        item->SetWidth(40);
        item->SetHeight(30);
        auto strip = drawtest::MakeBitmap(
            40, 30, [](int px, int py) { return px >= 14 && px < 26 && py >= 10 && py < 20 ? 0x0000FFu : 0xFFFFFFu; });
        item->Add(strip.get(), nullptr);
    }
    // Kind 0 an explorer-look speed button, 1 a transparent coloured explorer look, 2 a transparent multimedia
    // button; none has a face of its own at the probed pixels.
    TZCLBaseGraphicButton* MakeButton(int kind, int x, int y, TWinControl* parent)
    {
        if (kind == 2) {
            auto* b = Add<TZCLCustomMMButton>(x, y, 40, 30, parent);
            b->SetButtonFaceImageList(&faces);
            b->SetTransparent(true);
            return b;
        }
        auto* b = Add<TZCLSpeedButton>(x, y, 40, 30, parent);
        b->SetStyle(kind == 0 ? ubsExplorer : ubsExplorerColored);
        if (kind == 1) b->SetTransparent(true);
        return b;
    }
    TZCLImageList faces{nullptr};
};

class TransparentButtonKinds : public TransparentButtons, public testing::WithParamInterface<int> {};

// Where the pictures are looked at, in button coordinates: corners and edges inside any frame, away from a face.
const TPoint Probes[] = {{3, 3}, {36, 3}, {3, 26}, {36, 26}, {8, 15}, {31, 15}};

TEST_P(TransparentButtonKinds, TheButtonShowsThePictureOfAnySupplyingContainerWhereItStands)
{
    const int kind = GetParam();
    auto* library = new paneltest::TPlaceParent(form.get());
    library->SetParent(form.get());
    library->SetBounds(0, 0, 170, 110);
    auto* plain = new TPlainSupplier(form.get());
    plain->SetParent(form.get());
    plain->SetBounds(180, 0, 170, 110);
    auto* mute = new TMuteParent(form.get());
    mute->SetParent(form.get());
    mute->SetBounds(0, 120, 170, 110);
    // Placed off the parents' origins so that a picture taken from the wrong place shows.
    TZCLBaseGraphicButton* onLibrary = MakeButton(kind, 37, 23, library);
    TZCLBaseGraphicButton* onPlain = MakeButton(kind, 61, 45, plain);
    TZCLBaseGraphicButton* onMute = MakeButton(kind, 29, 31, mute);
    ShowForm();
    EXPECT_FALSE(onLibrary->ControlStyle().Contains(csOpaque));

    const struct {
        TZCLBaseGraphicButton* button;
        const char* parent;
    } cases[] = {{onLibrary, "library control"}, {onPlain, "other supplying container"}};
    for (const auto& c : cases) {
        EXPECT_TRUE(c.button->CheckOptimized()) << c.parent;
        Render r(c.button);
        for (const TPoint& p : Probes)
            EXPECT_EQ(r.At(p.x, p.y), paneltest::PlaceColour(c.button->Left() + p.x, c.button->Top() + p.y))
                << c.parent << " at " << p.x << "," << p.y;
    }
    EXPECT_FALSE(onMute->CheckOptimized());
    Render r(onMute);
    for (const TPoint& p : Probes)
        EXPECT_EQ(r.At(p.x, p.y), RGB(0, 0, 0)) << "nothing behind, at " << p.x << "," << p.y;

    // An opaque button draws its own face colour, whatever the parent has.
    onLibrary->SetTransparent(false);
    if (auto* speed = dynamic_cast<TZCLSpeedButton*>(onLibrary)) speed->SetStyle(ubsFlat);
    EXPECT_TRUE(onLibrary->ControlStyle().Contains(csOpaque));
    EXPECT_FALSE(onLibrary->CheckOptimized());
    Render opaque(onLibrary);
    EXPECT_EQ(opaque.At(8, 15), Sys(COLOR_BTNFACE));
}

TEST_P(TransparentButtonKinds, InATransparentScrollBoxTheButtonShowsThePictureBehindTheBox)
{
    // The library's scroll box is no library control, yet it hands over the picture of the control it stands on.
    auto* library = new paneltest::TPlaceParent(form.get());
    library->SetParent(form.get());
    library->SetBounds(0, 0, 240, 200);
    auto* box = new TZCLCustomScrollBox(form.get());
    box->SetParent(library);
    box->SetBounds(23, 17, 150, 120);
    box->SetTransparent(true);
    TZCLBaseGraphicButton* b = MakeButton(GetParam(), 31, 19, box);
    ShowForm();
    ASSERT_TRUE(box->BackBitmapCheck());
    EXPECT_TRUE(b->CheckOptimized());
    Render r(b);
    for (const TPoint& p : Probes) {
        // Where the pixel stands on the screen decides which part of the picture lies behind it.
        const TPoint at = library->ScreenToClient(b->ClientToScreen(p));
        EXPECT_EQ(r.At(p.x, p.y), paneltest::PlaceColour(at.x, at.y)) << "at " << p.x << "," << p.y;
    }
    // An opaque box hands over nothing.
    box->SetTransparent(false);
    EXPECT_FALSE(b->CheckOptimized());
}

INSTANTIATE_TEST_SUITE_P(Looks, TransparentButtonKinds, testing::Values(0, 1, 2));

TEST_F(TransparentButtons, OnAShapedFormTheButtonShowsTheShapesPictureWhereItStands)
{
    // The shape fills the form with a picture whose every pixel tells where it lies.
    auto picture = paneltest::PlaceBitmap(360, 240);
    TZCLFormShape* shape = nullptr;
    {
        TComponentLoader loading(form.get());
        shape = new TZCLFormShape(form.get());
        shape->Region()->SetShape(rsRect);
        shape->FillObject()->SetBitmap(picture.get());
        shape->FillObject()->SetStyle(sfBitmap);
        loading.Finish();
    }
    TZCLBaseGraphicButton* buttons[] = {MakeButton(0, 57, 33, form.get()), MakeButton(2, 141, 87, form.get())};
    ShowForm();
    ASSERT_TRUE(shape->BackBitmapCheck());
    TBitmap* back = shape->BackBitmap();
    ASSERT_NE(back, nullptr);
    ASSERT_FALSE(back->Empty());
    for (TZCLBaseGraphicButton* b : buttons) {
        EXPECT_TRUE(b->CheckOptimized());
        Render r(b);
        for (const TPoint& p : Probes) {
            const COLORREF expected = drawtest::PixelOf(back, b->Left() + p.x, b->Top() + p.y);
            EXPECT_EQ(r.At(p.x, p.y), expected) << "at " << b->Left() + p.x << "," << b->Top() + p.y;
        }
    }
    // The picture differs from place to place, so the probes above tell a wrong offset.
    EXPECT_NE(drawtest::PixelOf(back, 60, 36), drawtest::PixelOf(back, 3, 3));

    // A shape that stops filling hands over nothing.
    shape->FillObject()->SetStyle(sfNone);
    EXPECT_FALSE(buttons[0]->CheckOptimized());
}

}  // namespace
