// The panel and the bevel panel on real forms: the picture a transparent panel hands on to what lies on it (at
// every offset, through window borders, nested, after a move, with background effects), alignment inside the
// bevel, the window's own border in the bevel's Windows mode, painting, and real clicks and mouse moves.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PanelTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Streams.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/panels/Zclcustombevelpanel.h"
#include "zcl/panels/Zclbackpanel.h"
#include "zcl/panels/Zclcustompanel.h"
#include "zcl/panels/Zclsimplepanel.h"

using namespace zclctl;
using paneltest::BackPiece;
using paneltest::ExStyleOf;
using paneltest::PlaceColour;
using paneltest::StyleOf;
using paneltest::TPlaceParent;

namespace {

// A bevel panel that counts its paints.
class TCountedPanel : public TZCLCustomBevelPanel {
public:
    explicit TCountedPanel(TComponent* owner) : TZCLCustomBevelPanel(owner) {}
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        TZCLCustomBevelPanel::Paint();
    }
};

// A form holding a parent with a picture, both with windows.
struct PictureForm {
    PictureForm()
    {
        form.SetBounds(0, 0, 400, 400);
        parent = new TPlaceParent(&form);
        parent->SetParent(&form);
        parent->SetBounds(0, 0, 250, 250);
        parent->HandleNeeded();
    }
    TForm form{nullptr};
    TPlaceParent* parent;
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// The panel

TEST(ZclCustomPanel, Defaults)
{
    TForm form(nullptr);
    auto* p = new TZCLCustomPanel(&form);
    p->SetParent(&form);
    const TControlStyle style = p->ControlStyle();
    for (TControlStyleItem item :
         {csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks, csReplicatable})
        EXPECT_TRUE(style.Contains(item)) << int(item);
    EXPECT_FALSE(style.Contains(csSetCaption));
    EXPECT_EQ(p->Color(), clBtnFace);
    EXPECT_EQ(p->Width(), 100);
    EXPECT_EQ(p->Height(), 40);
    EXPECT_FALSE(p->TabStop());
    EXPECT_FALSE(p->Transparent());
    EXPECT_FALSE(p->BackBitmapCheck());
}

TEST(ZclCustomPanel, ATransparentPanelHandsOnThePictureBehindIt)
{
    PictureForm f;
    // With the Windows border the client area starts two pixels in: the half border.
    const struct {
        const char* what;
        bool windowsBorder;
        int half;
    } borders[] = {{"no border", false, 0}, {"client edge", true, 2}};
    const struct {
        TRect dest;
        TPoint src;
    } pieces[] = {{TRect(0, 0, 10, 10), TPoint(0, 0)},
                  {TRect(0, 0, 10, 10), TPoint(5, 3)},
                  {TRect(4, 6, 12, 9), TPoint(0, 0)},
                  {TRect(4, 6, 12, 9), TPoint(7, 1)}};
    for (const auto& b : borders) {
        auto* p = new TZCLCustomBevelPanel(&f.form);
        p->SetParent(f.parent);
        if (b.windowsBorder) p->Bevel()->SetMode(bmWindows);
        p->SetTransparent(true);
        for (const TPoint place : {TPoint(20, 30), TPoint(37, 11)}) {
            p->SetBounds(place.x, place.y, 80, 60);
            p->HandleNeeded();
            SCOPED_TRACE(std::string(b.what) + " at " + std::to_string(place.x) + "," + std::to_string(place.y));
            ASSERT_TRUE(p->BackBitmapCheck());
            EXPECT_EQ(p->Width() - p->ClientWidth(), 2 * b.half);
            const TPoint mapped = p->BackMapPoint(TPoint(1, 2));
            EXPECT_EQ(mapped.x, place.x + b.half + 1);
            EXPECT_EQ(mapped.y, place.y + b.half + 2);
            for (const auto& k : pieces) {
                bool ok = false;
                const auto drawn = BackPiece(p, k.dest, k.src, &ok);
                EXPECT_TRUE(ok);
                const TPoint at(place.x + b.half + k.src.x + k.dest.left, place.y + b.half + k.src.y + k.dest.top);
                EXPECT_EQ(drawn, paneltest::PictureAt(k.dest, at))
                    << drawtest::Text(k.dest) << " from " << k.src.x << "," << k.src.y;
            }
        }
        delete p;
    }
}

TEST(ZclCustomPanel, NestedTransparentPanelsAddTheirOffsets)
{
    PictureForm f;
    auto* outer = new TZCLCustomBevelPanel(&f.form);
    outer->SetParent(f.parent);
    outer->Bevel()->SetMode(bmWindows);
    outer->SetTransparent(true);
    outer->SetBounds(10, 20, 200, 200);
    auto* inner = new TZCLCustomPanel(&f.form);
    inner->SetParent(outer);
    inner->SetTransparent(true);
    inner->SetBounds(30, 40, 50, 50);
    inner->HandleNeeded();
    ASSERT_TRUE(inner->BackBitmapCheck());
    EXPECT_EQ(inner->BackBitmap(), f.parent->BackBitmap());
    const TRect dest(0, 0, 6, 6);
    EXPECT_EQ(BackPiece(inner, dest, TPoint(2, 2)),
              paneltest::PictureAt(dest, TPoint(10 + 2 + 30 + 2, 20 + 2 + 40 + 2)));

    outer->SetTransparent(false);
    EXPECT_FALSE(inner->BackBitmapCheck()) << "an opaque panel hands on nothing";
}

TEST(ZclCustomPanel, NoPictureToHandOn)
{
    PictureForm f;
    const TPoint p0(3, 4);
    auto refuses = [&](TZCLCustomPanel* p, const char* what) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(p->BackBitmapCheck());
        EXPECT_EQ(p->BackBitmap(), nullptr);
        const TPoint mapped = p->BackMapPoint(p0);
        EXPECT_EQ(mapped.x, p0.x);
        EXPECT_EQ(mapped.y, p0.y);
        bool ok = true;
        const auto drawn = BackPiece(p, TRect(0, 0, 4, 4), TPoint(0, 0), &ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(drawn, std::vector<COLORREF>(16, RGB(3, 2, 1))) << "the canvas untouched";
    };
    auto* p = new TZCLCustomPanel(&f.form);
    p->SetParent(f.parent);
    p->SetBounds(10, 10, 50, 50);
    refuses(p, "an opaque panel");
    p->SetTransparent(true);
    f.parent->supplies = false;
    refuses(p, "a parent without a picture");
    f.parent->supplies = true;
    p->SetParent(&f.form);
    refuses(p, "on a form without a shape");
    auto* plain = new TZCLCustomPanel(&f.form);
    plain->SetParent(&f.form);
    plain->SetTransparent(true);
    p->SetParent(plain);
    refuses(p, "on a panel that cannot hand on a picture");

    TForm other(nullptr);
    auto* windowless = new TPlaceParent(&other);
    windowless->SetParent(&other);
    auto* q = new TZCLCustomPanel(&other);
    q->SetTransparent(true);
    q->SetParent(windowless);
    EXPECT_FALSE(windowless->HandleAllocated());
    refuses(q, "a parent without a window");
}

TEST(ZclCustomPanel, NothingIsHandedOnWhileLoading)
{
    PictureForm f;
    auto* p = new TZCLCustomPanel(&f.form);
    p->SetParent(f.parent);
    p->SetTransparent(true);
    p->IncludeState(csLoading);
    bool ok = true;
    BackPiece(p, TRect(0, 0, 4, 4), TPoint(0, 0), &ok);
    EXPECT_FALSE(ok);
    p->ExcludeState(csLoading);
    BackPiece(p, TRect(0, 0, 4, 4), TPoint(0, 0), &ok);
    EXPECT_TRUE(ok);
}

TEST(ZclCustomPanel, BackgroundEffectsWorkOnTheWholePanel)
{
    PictureForm f;
    auto* p = new TZCLCustomPanel(&f.form);
    p->SetParent(f.parent);
    p->SetTransparent(true);
    p->SetBounds(20, 30, 60, 40);
    p->HandleNeeded();
    p->BackFX()->SetFlipVertical(true);  // left-right mirror
    for (bool buffered : {false, true}) {
        p->BackFX()->SetBuffered(buffered);
        SCOPED_TRACE(buffered ? "buffered" : "not buffered");
        // Each piece is the matching piece of the mirrored whole, whichever piece was drawn first.
        const struct {
            TRect dest;
            TPoint src;
        } pieces[] = {{TRect(0, 0, 60, 40), TPoint(0, 0)},
                      {TRect(0, 0, 8, 5), TPoint(0, 0)},
                      {TRect(0, 0, 8, 5), TPoint(40, 10)},
                      {TRect(3, 2, 9, 7), TPoint(40, 10)},
                      {TRect(3, 2, 9, 7), TPoint(0, 0)}};
        for (const auto& [dest, src] : pieces) {
            {
                const auto drawn = BackPiece(p, dest, src);
                std::vector<COLORREF> expected;
                for (int y = dest.top; y < dest.bottom; ++y)
                    for (int x = dest.left; x < dest.right; ++x)
                        expected.push_back(PlaceColour(20 + 59 - (x + src.x), 30 + y + src.y));
                EXPECT_EQ(drawn, expected) << drawtest::Text(dest) << " from " << src.x << "," << src.y;
            }
        }
    }
    // Moved, the kept picture is dropped: the new place shows.
    p->SetBounds(50, 60, 60, 40);
    EXPECT_EQ(BackPiece(p, TRect(0, 0, 1, 1), TPoint(0, 0)), std::vector<COLORREF>{PlaceColour(50 + 59, 60)});
    EXPECT_EQ(p->BackBitmap()->PixelFormat(), pf24bit);
}

class ZclPanelForm : public ShownForm {};

TEST_F(ZclPanelForm, ATransparentPanelShowsThePictureBehindItAlsoAfterItIsMoved)
{
    auto* parent = new TPlaceParent(form.get());
    parent->SetParent(form.get());
    parent->SetBounds(10, 10, 250, 200);
    auto* p = new TCountedPanel(form.get());
    p->SetParent(parent);
    p->SetBounds(20, 30, 90, 60);
    p->SetTransparent(true);
    auto* opaque = new TCountedPanel(form.get());
    opaque->SetParent(parent);
    opaque->SetBounds(150, 30, 60, 60);
    opaque->SetColor(clWhite);
    ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return p->paints > 0 && opaque->paints > 0; }));
    auto shows = [&](TWinControl* c, int x, int y) { return WindowPixel(c->Handle(), x, y); };
    for (const TPoint place : {TPoint(20, 30), TPoint(61, 47)}) {
        if (place.x != p->Left()) {
            const int before = p->paints;
            p->SetBounds(place.x, place.y, 90, 60);
            ASSERT_TRUE(PumpUntil([&] { return p->paints > before; }));
        }
        for (const TPoint at : {TPoint(0, 0), TPoint(45, 30), TPoint(89, 59)})
            EXPECT_EQ(shows(p, at.x, at.y), PlaceColour(place.x + at.x, place.y + at.y))
                << "at " << place.x << "," << place.y << " pixel " << at.x << "," << at.y;
    }
    EXPECT_EQ(shows(opaque, 30, 30), Rgb(clWhite));
}

// ---------------------------------------------------------------------------------------------------------------
// The bevel panel

TEST(ZclCustomBevelPanel, ChildrenAreAlignedInsideTheBevel)
{
    TForm form(nullptr);
    auto* p = new TZCLCustomBevelPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 200, 100);
    auto* top = new TZCLCustomControl(&form);
    top->SetParent(p);
    top->SetHeight(20);
    top->SetAlign(alTop);
    auto* client = new TZCLCustomControl(&form);
    client->SetParent(p);
    client->SetAlign(alClient);
    const struct {
        const char* what;
        TZCLBevelStyle outer, inner;
        int widthOuter, border;
        int ext;
    } cases[] = {
        {"no bevel", bvNone, bvNone, 1, 0, 0},
        {"raised 2 and a border of 3", bvRaised, bvNone, 2, 3, 5},
        {"raised 1, lowered 1", bvRaised, bvLowered, 1, 0, 2},
        {"a frame style takes one more", bvFrameRaised, bvNone, 2, 0, 3},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        p->Bevel()->SetStyleOuter(k.outer);
        p->Bevel()->SetStyleInner(k.inner);
        p->Bevel()->SetWidthOuter(k.widthOuter);
        p->Bevel()->SetBorderWidth(k.border);
        EXPECT_EQ(p->BevelExt(), k.ext);
        EXPECT_EQ(p->DblBevelExt(), 2 * k.ext);
        EXPECT_TRUE(drawtest::SameRect(p->BeveledRect(), TRect(k.ext, k.ext, 200 - k.ext, 100 - k.ext)));
        EXPECT_TRUE(drawtest::SameRect(top->BoundsRect(), TRect(k.ext, k.ext, 200 - k.ext, k.ext + 20)));
        EXPECT_TRUE(drawtest::SameRect(client->BoundsRect(), TRect(k.ext, k.ext + 20, 200 - k.ext, 100 - k.ext)));
        EXPECT_EQ(p->GetEmpty(), k.ext == 0);
    }
    p->SetBounds(0, 0, 120, 80);
    EXPECT_TRUE(drawtest::SameRect(client->BoundsRect(), TRect(3, 23, 117, 77))) << "and after a resize";
}

TEST(ZclCustomBevelPanel, TheWindowsModeIsTheWindowsOwnBorder)
{
    TForm form(nullptr);
    auto* p = new TZCLCustomBevelPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 100, 60);
    const HWND plain = p->Handle();
    EXPECT_EQ(ExStyleOf(p) & WS_EX_CLIENTEDGE, 0u);
    EXPECT_EQ(StyleOf(p) & WS_BORDER, 0u);
    EXPECT_TRUE(p->GetEmpty());

    p->Bevel()->SetMode(bmWindows);
    EXPECT_FALSE(IsWindow(plain)) << "made again";
    EXPECT_TRUE(ExStyleOf(p) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(StyleOf(p) & WS_BORDER, 0u);
    EXPECT_EQ(p->BevelExt(), 0) << "the border is outside the client area";
    EXPECT_EQ(p->ClientWidth(), 96);
    EXPECT_FALSE(p->GetEmpty());

    const HWND edged = p->Handle();
    p->SetCtl3D(false);
    EXPECT_FALSE(IsWindow(edged)) << "a Ctl3D change makes the window again";
    EXPECT_EQ(ExStyleOf(p) & WS_EX_CLIENTEDGE, 0u);
    EXPECT_TRUE(StyleOf(p) & WS_BORDER);
    EXPECT_EQ(p->ClientWidth(), 98);
    p->SetCtl3D(true);
    EXPECT_TRUE(ExStyleOf(p) & WS_EX_CLIENTEDGE);

    p->Bevel()->SetMode(bmCustom);
    EXPECT_EQ(ExStyleOf(p) & WS_EX_CLIENTEDGE, 0u);
    EXPECT_EQ(p->ClientWidth(), 100);

    // Outside the Windows mode a Ctl3D change leaves the window.
    const HWND custom = p->Handle();
    p->SetCtl3D(false);
    EXPECT_EQ(p->Handle(), custom);
}

TEST(ZclCustomBevelPanel, SetBevelCopiesTellsAndKeepsTheBorderThePanels)
{
    TForm form(nullptr);
    auto* p = new TZCLCustomBevelPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 100, 60);
    auto* client = new TZCLCustomControl(&form);
    client->SetParent(p);
    client->SetAlign(alClient);
    p->HandleNeeded();
    int bevelMessages = 0;
    p->SetWindowProc(TWndMethod::From([&](TMessage& m) {
        if (m.Msg == CM_ZCLBEVELCHANGED) ++bevelMessages;
        p->WndProc(m);
    }));

    TZCLBevel windows;
    windows.SetMode(bmWindows);
    windows.SetBorderInnerWidth(3);
    p->SetBevel(&windows);
    EXPECT_EQ(bevelMessages, 1);
    EXPECT_EQ(p->Bevel()->Mode(), bmWindows);
    EXPECT_TRUE(p->Bevel()->NativeBorder());
    EXPECT_TRUE(ExStyleOf(p) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(p->BevelExt(), 0);
    EXPECT_TRUE(drawtest::SameRect(client->BoundsRect(), TRect(0, 0, 96, 56)));

    TZCLBevel raised;
    raised.SetStyleOuter(bvRaised);
    raised.SetWidthOuter(4);
    p->SetBevel(&raised);
    EXPECT_EQ(bevelMessages, 2);
    EXPECT_EQ(ExStyleOf(p) & WS_EX_CLIENTEDGE, 0u) << "leaving the Windows mode takes the edge away";
    EXPECT_EQ(p->BevelExt(), 4);
    EXPECT_TRUE(drawtest::SameRect(client->BoundsRect(), TRect(4, 4, 96, 56)));
    p->SetWindowProc(TWndMethod());
}

TEST(ZclCustomBevelPanel, PaintsItsBevelOverItsColourOrOverThePicture)
{
    PictureForm f;
    auto* p = new TZCLCustomBevelPanel(&f.form);
    p->SetParent(f.parent);
    p->SetBounds(10, 20, 60, 40);
    p->SetColor(clWhite);
    p->Bevel()->SetStyleOuter(bvRaised);
    p->Bevel()->SetWidthOuter(2);
    p->Bevel()->SetBorderWidth(2);
    p->Bevel()->SetBorderColor(clRed);
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        p->SetTransparent(transparent);
        p->HandleNeeded();
        controltest::Dib dib(60, 40);
        p->PaintTo(dib.dc(), 0, 0);
        EXPECT_EQ(dib.At(0, 0), Sys(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(dib.At(1, 20), Sys(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(dib.At(59, 39), Sys(COLOR_BTNSHADOW));
        EXPECT_EQ(dib.At(58, 20), Sys(COLOR_BTNSHADOW));
        // The border between the bevels: its colour, or the picture through a transparent panel.
        EXPECT_EQ(dib.At(3, 20), transparent ? PlaceColour(10 + 3, 20 + 20) : Rgb(clRed));
        EXPECT_EQ(dib.At(30, 20), transparent ? PlaceColour(10 + 30, 20 + 20) : Rgb(clWhite));
    }
}

TEST(ZclCustomBevelPanel, ChangesWhileLoadingAndTheLockedFlagDrawNothing)
{
    TForm form(nullptr);
    auto* p = new TCountedPanel(&form);
    p->SetParent(&form);
    p->SetBounds(0, 0, 80, 50);
    auto* client = new TZCLCustomControl(&form);
    client->SetParent(p);
    client->SetAlign(alClient);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return p->paints > 0; }));
    const HWND wnd = p->Handle();

    p->IncludeState(csLoading);
    p->Bevel()->SetMode(bmWindows);
    p->Bevel()->SetWidthOuter(3);
    EXPECT_EQ(p->Handle(), wnd) << "no new window while loading";
    p->ExcludeState(csLoading);
    p->Bevel()->SetMode(bmCustom);

    Pump(50);
    const int paints = p->paints;
    p->SetLocked(true);
    EXPECT_TRUE(p->Locked());
    Pump(100);
    EXPECT_EQ(p->paints, paints) << "Locked is stored only";
    form.Hide();
}

TEST_F(ZclPanelForm, RealClicksAndMouseMovesReachThePanel)
{
    auto* p = new TZCLCustomBevelPanel(form.get());
    p->SetParent(form.get());
    p->SetBounds(40, 40, 120, 80);
    p->Bevel()->SetStyleOuter(bvLowered);
    std::vector<std::string> log;
    p->SetOnClick(TNotifyEvent::From([&](TObject*) { log.push_back("click"); }));
    p->SetOnMouseEnter(TNotifyEvent::From([&](TObject*) { log.push_back("enter"); }));
    p->SetOnMouseExit(TNotifyEvent::From([&](TObject*) { log.push_back("exit"); }));
    ShowForm();
    MouseToControl(form.get(), 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return MouseControl() == form.get(); }, 3000));
    log.clear();

    MouseToControl(p, 60, 40);
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }, 3000));
    controltest::MouseButton(true);
    controltest::MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; }, 3000));
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "click"}));

    // Pressed inside (away from the first click, so no double click) and let go outside is no click.
    log.clear();
    MouseToControl(p, 10, 10);
    controltest::MouseButton(true);
    MouseToControl(form.get(), 5, 5);
    controltest::MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }, 3000));
    EXPECT_EQ(log, (std::vector<std::string>{"exit"}));

    // Disabled: neither clicks nor enter and exit.
    p->SetEnabled(false);
    log.clear();
    MouseToControl(p, 60, 40);
    controltest::MouseButton(true);
    controltest::MouseButton(false);
    MouseToControl(form.get(), 5, 5);
    Pump(200);
    EXPECT_TRUE(log.empty()) << log.size();
}

// ---------------------------------------------------------------------------------------------------------------
// The placed panels' stored settings

namespace {

template <typename P>
void StoresItsPanelSettings(const char* kind)
{
    P panel(nullptr);
    panel.SetName("Stored");
    panel.SetAlign(alTop);
    panel.SetColor(clRed);
    panel.SetLocked(true);
    panel.SetTransparent(true);
    panel.SetShowHint(true);
    panel.Bevel()->SetStyleOuter(bvRaised);
    panel.Bevel()->SetWidthOuter(3);
    TMemoryStream stream;
    stream.WriteComponent(&panel);
    stream.SetPosition(0);
    P back(nullptr);
    stream.ReadComponent(&back);
    EXPECT_EQ(back.Align(), alTop) << kind;
    EXPECT_EQ(back.Color(), clRed) << kind;
    EXPECT_TRUE(back.Locked()) << kind;
    EXPECT_TRUE(back.Transparent()) << kind;
    EXPECT_TRUE(back.ShowHint()) << kind;
    EXPECT_EQ(back.Bevel()->StyleOuter(), bvRaised) << kind;
    EXPECT_EQ(back.Bevel()->WidthOuter(), 3) << kind;
}

}  // namespace

TEST(ZclPlacedPanels, TheirSettingsAreStoredAndReadBack)
{
    StoresItsPanelSettings<TZCLSimplePanel>("simple panel");
    StoresItsPanelSettings<TZCLBackPanel>("back panel");
    TZCLBackPanel quick(nullptr);
    quick.SetQuickDraw(true);
    quick.SetListIndex(2);
    TMemoryStream stream;
    stream.WriteComponent(&quick);
    stream.SetPosition(0);
    TZCLBackPanel back(nullptr);
    stream.ReadComponent(&back);
    EXPECT_TRUE(back.QuickDraw());
    EXPECT_EQ(back.ListIndex(), 2);
}
