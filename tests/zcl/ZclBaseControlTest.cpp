// The windowless library controls: how bounds changes are told, enter and exit by real mouse moves (only while
// enabled), image lists and their indexes, the "Internal" stream property, transparency and painting at once,
// bevels drawn over a patterned parent, and the parent-background protocol seen from the child.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ZclControlTestHelpers.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "zcl/components/Zclbasegraphiccontrol.h"
#include "zcl/components/Zclcontrol.h"
#include "zcl/components/Zclcustomcontrol.h"
#include "zcl/components/Zclgraphiccontrol.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclregion.h"
#include "zcl/graphics/Zclbmp.h"

using namespace zclctl;

namespace {

struct BoundsLog {
    std::vector<TZCLBoundsChangeStates> states;
    TZCLBoundsChangeEvent Event()
    {
        return TZCLBoundsChangeEvent::From([this](TObject*, TZCLBoundsChangeStates s) { states.push_back(s); });
    }
};

const TZCLBoundsChangeStates None;
const TZCLBoundsChangeStates Pos{bcPos};
const TZCLBoundsChangeStates Size{bcSize};
const TZCLBoundsChangeStates Both{bcPos, bcSize};

// Counts image-list changes of a windowless or a windowed control.
template <typename Base>
class TImageProbeOf : public Base {
public:
    explicit TImageProbeOf(TComponent* owner) : Base(owner) {}
    int imlChanges = 0;
    void GetIMLChange(TObject* sender) override
    {
        ++imlChanges;
        Base::GetIMLChange(sender);
    }
};
using TImageProbe = TImageProbeOf<TZCLBaseControl>;
using TWindowedImageProbe = TImageProbeOf<TZCLCustomControl>;

std::unique_ptr<TBitmap> Solid(int w, int h, COLORREF c)
{
    return drawtest::MakeBitmap(w, h, [c](int, int) { return std::uint32_t(c); });
}

// An image list of one strip holding two images.
struct TwoImages {
    TZCLImageList list{nullptr};
    TwoImages()
    {
        auto* item = static_cast<TZCLImageListItem*>(list.GetItem(list.Add()));
        item->Add(Solid(16, 16, RGB(255, 0, 0)).get(), nullptr);
        item->Add(Solid(16, 16, RGB(0, 255, 0)).get(), nullptr);
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Bounds

TEST(ZclControl, BoundsChangeSaysWhatChanged)
{
    TForm form(nullptr);
    auto* c = new TZCLControl(&form);
    c->SetParent(&form);
    c->SetBounds(10, 20, 30, 40);
    BoundsLog log;
    c->SetOnBoundsChange(log.Event());
    const struct {
        const char* what;
        std::function<void()> change;
        TZCLBoundsChangeStates expected;
    } cases[] = {
        {"moved, same size", [&] { c->SetBounds(11, 20, 30, 40); }, Pos},
        {"moved down only", [&] { c->SetTop(25); }, Pos},
        {"resized in place", [&] { c->SetBounds(11, 25, 31, 40); }, Size},
        {"taller only", [&] { c->SetHeight(50); }, Size},
        {"moved and resized", [&] { c->SetBounds(0, 0, 5, 5); }, Both},
        {"the same bounds", [&] { c->SetBounds(0, 0, 5, 5); }, None},
        {"the same bounds through a property", [&] { c->SetLeft(0); }, None},
        {"a negative width held to 0", [&] { c->SetBounds(0, 0, -3, 5); }, Size},
        {"another negative width: still 0", [&] { c->SetBounds(0, 0, -9, 5); }, None},
    };
    for (const auto& k : cases) {
        log.states.clear();
        k.change();
        if (k.expected.Empty()) {
            EXPECT_TRUE(log.states.empty()) << k.what;
        } else {
            ASSERT_EQ(log.states.size(), 1u) << k.what;
            EXPECT_EQ(log.states[0], k.expected) << k.what;
        }
    }
}

TEST(ZclControl, NoBoundsChangeWhileLoading)
{
    TForm form(nullptr);
    BoundsLog log;
    TZCLControl* c = nullptr;
    {
        TComponentLoader loading(&form);
        c = new TZCLControl(&form);
        c->SetOnBoundsChange(log.Event());
        c->SetParent(&form);
        c->SetBounds(1, 2, 3, 4);
        c->SetWidth(70);
        EXPECT_TRUE(log.states.empty()) << "nothing is told while the form is loading";
        loading.Finish();
    }
    c->SetWidth(71);
    ASSERT_EQ(log.states.size(), 1u) << "told again once loaded";
    EXPECT_EQ(log.states[0], Size);
}

TEST(ZclControl, BoundsChangeCanBeOverriddenAndTheAlignmentPathReachesIt)
{
    // Alignment places the control through SetBounds, so an aligned control is told too.
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* c = new TZCLControl(&form);
    c->SetParent(&form);
    BoundsLog log;
    c->SetOnBoundsChange(log.Event());
    c->SetAlign(alTop);
    ASSERT_FALSE(log.states.empty());
    EXPECT_TRUE(log.states.back().Contains(bcSize));
    EXPECT_EQ(c->Width(), form.ClientWidth());
}

// ---------------------------------------------------------------------------------------------------------------
// Enter and exit

class ZclControlMouse : public ShownForm {};

TEST_F(ZclControlMouse, EnterAndExitByRealMovesOnlyWhileEnabled)
{
    auto* c = new TZCLBaseGraphicControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(100, 80, 60, 40);
    std::vector<std::string> log;
    c->SetOnMouseEnter(TNotifyEvent::From([&](TObject* s) { log.push_back(s == c ? "enter" : "enter?"); }));
    c->SetOnMouseExit(TNotifyEvent::From([&](TObject* s) { log.push_back(s == c ? "exit" : "exit?"); }));
    ShowForm();
    MouseToControl(form.get(), 10, 10);
    ASSERT_TRUE(PumpUntil([&] { return MouseControl() == form.get(); }, 3000));
    log.clear();

    for (bool enabled : {true, false, true}) {
        c->SetEnabled(enabled);
        log.clear();
        MouseToControl(c, 30, 20);
        // The framework tells a disabled control too; the library keeps its events quiet then.
        ASSERT_TRUE(PumpUntil([&] { return MouseControl() == c; }, 3000));
        if (enabled) {
            EXPECT_TRUE(PumpUntil([&] { return !log.empty(); }, 3000));
        }
        MouseToControl(form.get(), 10, 10);
        ASSERT_TRUE(PumpUntil([&] { return MouseControl() != c; }, 3000));
        if (enabled) {
            EXPECT_TRUE(PumpUntil([&] { return log.size() >= 2; }, 3000));
            EXPECT_EQ(log, (std::vector<std::string>{"enter", "exit"}));
        } else {
            EXPECT_TRUE(log.empty()) << "a disabled control fires neither event";
        }
    }
}

TEST(ZclControl, EnterAndExitMessagesAboutAnotherControlAreNotItsOwn)
{
    TForm form(nullptr);
    auto* c = new TZCLControl(&form);
    auto* other = new TZCLControl(&form);
    int enters = 0, exits = 0;
    c->SetOnMouseEnter(TNotifyEvent::From([&](TObject*) { ++enters; }));
    c->SetOnMouseExit(TNotifyEvent::From([&](TObject*) { ++exits; }));
    c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(other));
    c->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(other));
    EXPECT_EQ(enters + exits, 0);
    c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
    c->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);
}

// ---------------------------------------------------------------------------------------------------------------
// Image lists

TEST(ZclBaseControl, IndexesRefuseNegativeAndUnchangedValues)
{
    TwoImages images;
    TForm form(nullptr);
    auto* c = new TImageProbe(&form);
    const struct {
        const char* what;
        bool withList;
        int index, value;
        int imageIndex, listIndex;  // afterwards
        int changes;
    } cases[] = {
        {"image index without a list", false, 0, 3, 3, 0, 0},
        {"-1 is ignored", false, 0, -1, 3, 0, 0},
        {"list index without a list", false, 1, 2, 3, 2, 0},
        {"unchanged list index", true, 1, 2, 3, 2, 0},
        {"a new image index with a list redraws", true, 0, 1, 1, 2, 1},
        {"unchanged image index", true, 0, 1, 1, 2, 0},
        {"a negative list index", true, 1, -5, 1, 2, 0},
        {"a new list index with a list", true, 1, 0, 1, 0, 1},
    };
    for (const auto& k : cases) {
        c->SetImageList(k.withList ? &images.list : nullptr);
        c->imlChanges = 0;
        c->SetIndex(k.index, k.value);
        EXPECT_EQ(c->ImageIndex(), k.imageIndex) << k.what;
        EXPECT_EQ(c->ListIndex(), k.listIndex) << k.what;
        EXPECT_EQ(c->imlChanges, k.changes) << k.what;
    }
    c->imlChanges = 0;
    c->SetImageIndex(-7);
    EXPECT_EQ(c->ImageIndex(), -7) << "stored as it is";
    EXPECT_EQ(c->imlChanges, 0);
    EXPECT_TRUE(c->IMLEmpty()) << "no image -7";
}

TEST(ZclBaseControl, ImageListChangesReachTheControlUntilEitherGoes)
{
    TForm form(nullptr);
    auto images = std::make_unique<TwoImages>();
    auto* c = new TImageProbe(&form);
    EXPECT_TRUE(c->IMLEmpty()) << "no list";
    EXPECT_FALSE(c->HasControl());
    c->SetImageList(&images->list);
    EXPECT_EQ(c->imlChanges, 1) << "setting the list redraws";
    EXPECT_EQ(c->ChangeLink()->Sender(), &images->list);
    EXPECT_TRUE(c->HasControl());
    const struct {
        int image;
        bool empty;
    } items[] = {{0, false}, {1, false}, {2, true}};
    for (const auto& k : items) {
        c->SetIndex(0, k.image);
        EXPECT_EQ(c->IMLEmpty(), k.empty) << "image " << k.image;
    }
    c->imlChanges = 0;
    images->list.Change();
    EXPECT_EQ(c->imlChanges, 1) << "a change of the list";

    // The list freed first: the control forgets it and a change link is left behind nowhere.
    images.reset();
    EXPECT_EQ(c->ImageList(), nullptr);
    EXPECT_EQ(c->ChangeLink()->Sender(), nullptr);

    // The control freed first: the list is told nothing more about it.
    TwoImages more;
    int told = 0;
    {
        TImageProbe probe(nullptr);
        probe.SetImageList(&more.list);
        probe.SetOnMouseEnter(TNotifyEvent::From([&](TObject*) { ++told; }));
    }
    more.list.Change();
    EXPECT_EQ(told, 0);
}

TEST(ZclBaseControl, DefaultListsAreNoControlOfTheirOwn)
{
    TForm form(nullptr);
    auto* c = new TZCLBaseControl(&form);
    ASSERT_NE(ZCLDefaultContainer(), nullptr);
    c->SetImageList(ZCLDefaultContainer()->ImageList());
    EXPECT_FALSE(c->HasControl()) << "a default list";
    c->SetImageList(ZCLDefaultContainer()->BitmapList());
    EXPECT_FALSE(c->HasControl());
    c->SetImageList(nullptr);
}

namespace {

class TStreamedControl : public TZCLBaseControl {
public:
    explicit TStreamedControl(TComponent* owner) : TZCLBaseControl(owner) {}
};

std::string Stream(TComponent* c)
{
    TMemoryStream stream;
    stream.WriteComponent(c);
    return std::string(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
}

}  // namespace

TEST(ZclBaseControl, ADefaultListIsStoredByItsIdentifierAndReadBack)
{
    const struct {
        const char* what;
        std::function<TZCLCustomImageList*()> list;
        const char* ident;  // nullptr: no "Internal" property
    } cases[] = {
        {"the default image list", [] { return ZCLDefaultContainer()->ImageList(); }, "ZCLIML30"},
        {"the default bitmap list", [] { return ZCLDefaultContainer()->BitmapList(); }, "ZCLBML30"},
        {"a list of the form's own", [] { return nullptr; }, nullptr},
    };
    TwoImages own;
    for (const auto& k : cases) {
        TStreamedControl c(nullptr);
        c.SetName("Shown");
        TZCLCustomImageList* list = k.list();
        c.SetImageList(list ? list : &own.list);
        const std::string bytes = Stream(&c);
        EXPECT_EQ(bytes.find("Internal") != std::string::npos, k.ident != nullptr) << k.what;
        if (!k.ident) continue;
        EXPECT_NE(bytes.find(k.ident), std::string::npos) << k.what;

        TMemoryStream stream;
        stream.WriteComponent(&c);
        stream.SetPosition(0);
        TStreamedControl back(nullptr);
        stream.ReadComponent(&back);
        EXPECT_EQ(back.ImageList(), list) << k.what;
        back.SetImageList(nullptr);
    }
}

TEST(ZclBaseControl, AListOverACollectionRedrawsOnceLoaded)
{
    for (bool collection : {true, false}) {
        TForm form(nullptr);
        TImageProbe* windowless = nullptr;
        TWindowedImageProbe* windowed = nullptr;
        {
            TComponentLoader loading(&form);
            TZCLCustomImageList* list = collection ? static_cast<TZCLCustomImageList*>(new TZCLImageListConnector(&form))
                                                   : new TZCLImageList(&form);
            windowless = new TImageProbe(&form);
            windowless->SetImageList(list);
            windowed = new TWindowedImageProbe(&form);
            windowed->SetImageList(list);
            windowless->imlChanges = windowed->imlChanges = 0;
            loading.Finish();
        }
        EXPECT_EQ(windowless->imlChanges, collection ? 1 : 0) << "windowless";
        EXPECT_EQ(windowed->imlChanges, collection ? 1 : 0) << "windowed";
    }
}

TEST(ZclBaseControl, AWindowedControlStoresADefaultListTheSameWay)
{
    TZCLCustomControl c(nullptr);
    c.SetName("Windowed");
    c.SetImageList(ZCLDefaultContainer()->BitmapList());
    TMemoryStream stream;
    stream.WriteComponent(&c);
    const std::string bytes(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
    EXPECT_NE(bytes.find("Internal"), std::string::npos);
    stream.SetPosition(0);
    TZCLCustomControl back(nullptr);
    stream.ReadComponent(&back);
    EXPECT_EQ(back.ImageList(), ZCLDefaultContainer()->BitmapList());
    back.SetImageList(nullptr);
    c.SetImageList(nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Transparency and painting

TEST(ZclBaseGraphicControl, StartsTransparentAndTogglesOpaque)
{
    TForm form(nullptr);
    auto* c = new TBackLabel(&form);
    EXPECT_TRUE(c->Transparent());
    EXPECT_FALSE(c->ControlStyle().Contains(csOpaque));
    EXPECT_TRUE(c->ControlStyle().Contains(csReplicatable));
    EXPECT_EQ(c->Width(), 30);
    EXPECT_EQ(c->Height(), 30);
    const struct {
        bool value;
        bool opaque;
        int told;
    } steps[] = {{false, true, 1}, {false, true, 1}, {true, false, 2}, {true, false, 2}};
    for (const auto& s : steps) {
        c->SetTransparent(s.value);
        EXPECT_EQ(c->Transparent(), s.value);
        EXPECT_EQ(c->ControlStyle().Contains(csOpaque), s.opaque);
        EXPECT_EQ(c->transparentChanged, s.told) << "told only on a change";
    }
}

class ZclGraphicPaint : public ShownForm {};

TEST_F(ZclGraphicPaint, AnOpaqueControlPaintsAtOnceATransparentOneWhenItsParentPaints)
{
    auto* parent = new TBackParent(form.get());
    parent->supplies = false;
    parent->SetParent(form.get());
    parent->SetBounds(0, 0, 320, 240);
    auto* c = new TBackLabel(form.get());
    c->SetParent(parent);
    c->SetBounds(20, 20, 40, 30);
    // Not showing yet: nothing is painted, nothing goes wrong.
    c->SetTransparent(false);
    c->GetChange(nullptr);
    EXPECT_EQ(c->paints, 0);
    ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return c->paints > 0; }));
    Pump(50);

    const int before = c->paints;
    c->GetChange(nullptr);
    EXPECT_EQ(c->paints, before + 1) << "an opaque control paints at once";
    EXPECT_EQ(WindowPixel(parent->Handle(), 22, 22), Rgb(clWhite));

    c->SetTransparent(true);
    Pump(50);
    const int transparentBefore = c->paints;
    c->GetChange(nullptr);
    EXPECT_EQ(c->paints, transparentBefore) << "a transparent one waits for its parent";
    EXPECT_TRUE(PumpUntil([&] { return c->paints > transparentBefore; }));
    EXPECT_EQ(WindowPixel(parent->Handle(), 22, 22), Rgb(parent->Color())) << "the invalidated parent shows";
}

TEST_F(ZclGraphicPaint, ATransparentChildOnAParentThatSuppliesDrawsFromItsPicture)
{
    for (bool supplies : {true, false}) {
        SCOPED_TRACE(supplies ? "the parent supplies its picture" : "the parent cannot");
        auto* parent = new TBackParent(form.get());
        parent->supplies = supplies;
        parent->SetParent(form.get());
        parent->SetBounds(10, 10, 200, 150);
        auto* c = new TBackLabel(form.get());
        c->SetParent(parent);
        c->SetBounds(33, 21, 40, 30);
        ShowForm();
        ASSERT_TRUE(PumpUntil([&] { return c->paints > 0; }));
        Pump(50);
        EXPECT_EQ(c->CheckOptimized(), supplies);
        EXPECT_EQ(c->drewBack, supplies);
        const HWND wnd = parent->Handle();
        for (const TPoint p : {TPoint(34, 22), TPoint(40, 25), TPoint(70, 48)}) {
            const COLORREF expected = supplies ? PatternAt(p.x, p.y) : Rgb(parent->Color());
            EXPECT_EQ(WindowPixel(wnd, p.x, p.y), expected) << p.x << "," << p.y;
        }
        EXPECT_EQ(WindowPixel(wnd, 33 + 20, 21 + 15), TBackLabel::Mark);
        delete parent;
        form->Hide();
    }
}

TEST(ZclBaseGraphicControl, CheckOptimizedAsksTheParent)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 100, 100);
    auto* back = new TBackParent(&form);
    back->SetParent(&form);
    auto* plain = new controltest::TPanelish(&form);
    plain->SetParent(&form);
    auto* c = new TBackLabel(&form);
    const struct {
        const char* what;
        TWinControl* parent;
        bool windowed, supplies, transparent;
        bool expected;
    } cases[] = {
        {"a library parent whose window exists and that supplies", back, true, true, true, true},
        {"the same parent before its window exists", back, false, true, true, false},
        {"a library parent that cannot supply", back, true, false, true, false},
        {"an opaque child", back, true, true, false, false},
        {"a framework parent", plain, true, true, true, false},
        {"a form without a shape", &form, true, true, true, false},
    };
    for (const auto& k : cases) {
        if (k.windowed)
            static_cast<TWinControl*>(k.parent)->HandleNeeded();
        else
            back->DestroyHandle();
        back->supplies = k.supplies;
        c->SetParent(k.parent);
        c->SetTransparent(k.transparent);
        EXPECT_EQ(c->CheckOptimized(), k.expected) << k.what;
    }

    // A form's shape answers for the form: only while it fills the background.
    auto* shape = new TZCLFormShape(&form);
    c->SetParent(&form);
    c->SetTransparent(true);
    shape->FillObject()->SetStyle(sfNone);
    EXPECT_FALSE(c->CheckOptimized()) << "a shape that does not fill";
    shape->FillObject()->SetStyle(sfBrush);
    EXPECT_TRUE(c->CheckOptimized()) << "a shape that fills";
    c->SetTransparent(false);
    EXPECT_FALSE(c->CheckOptimized()) << "an opaque child over a filling shape";
}

TEST(ZclBaseGraphicControl, BackgroundChangesRedrawOnlyWhatDrawsFromTheParent)
{
    TForm form(nullptr);
    auto* back = new TBackParent(&form);
    back->SetParent(&form);
    back->HandleNeeded();
    auto* c = new TBackLabel(&form);
    c->SetParent(back);
    for (bool supplies : {true, false}) {
        back->supplies = supplies;
        c->changes = 0;
        c->Perform(CM_ZCLBACKCHANGED);
        EXPECT_EQ(c->changes, supplies ? 1 : 0) << (supplies ? "drawn from the parent" : "not");
    }
    // Nothing while loading.
    back->supplies = true;
    c->changes = 0;
    c->IncludeState(csLoading);
    c->Perform(CM_ZCLBACKCHANGED);
    c->ExcludeState(csLoading);
    EXPECT_EQ(c->changes, 0);
}

TEST(ZclBaseControl, BackMapPointIsThePositionInTheParentButOnAForm)
{
    TForm form(nullptr);
    auto* panel = new controltest::TPanelish(&form);
    panel->SetParent(&form);
    auto* c = new TZCLBaseControl(&form);
    c->SetBounds(7, 9, 20, 20);
    c->SetParent(panel);
    EXPECT_EQ(c->BackMapPoint(1, 2), TPoint(8, 11));
    c->SetParent(&form);
    EXPECT_EQ(c->BackMapPoint(1, 2), TPoint(1, 2));
}

TEST_F(ZclGraphicPaint, ScreenRectIsTheClientRectOnTheScreen)
{
    auto* c = new TZCLBaseControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(12, 14, 20, 10);
    ShowForm();
    POINT origin{0, 0};
    ClientToScreen(form->Handle(), &origin);
    const TRect r = c->GetScreenRect(TRect(1, 2, 5, 6));
    EXPECT_EQ(r, TRect(origin.x + 13, origin.y + 16, origin.x + 17, origin.y + 20));
}

// ---------------------------------------------------------------------------------------------------------------
// Bevels

TEST(ZclGraphicControl, BevelIsDrawnAndTheParentShowsInsideATransparentOne)
{
    for (bool transparent : {true, false}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        TBackParent root(nullptr);
        root.SetBounds(0, 0, 120, 90);
        auto* c = new TZCLGraphicControl(&root);
        c->SetParent(&root);
        c->SetBounds(10, 10, 60, 40);
        c->SetTransparent(transparent);
        c->Bevel()->SetStyleOuter(bvRaised);
        c->Bevel()->SetWidthOuter(2);
        EXPECT_EQ(c->BevelExt(), 2);
        EXPECT_EQ(c->DblBevelExt(), 4);
        EXPECT_EQ(c->BeveledRect(), TRect(2, 2, 58, 38));
        Dib dib(120, 90);
        root.PaintTo(dib.dc(), 0, 0);
        const COLORREF light = Sys(COLOR_BTNHIGHLIGHT), shadow = Sys(COLOR_BTNSHADOW);
        EXPECT_EQ(dib.At(10, 30), light) << "left edge";
        EXPECT_EQ(dib.At(11, 30), light);
        EXPECT_EQ(dib.At(40, 10), light) << "top edge";
        EXPECT_EQ(dib.At(69, 30), shadow) << "right edge";
        EXPECT_EQ(dib.At(40, 49), shadow) << "bottom edge";
        EXPECT_EQ(dib.At(8, 30), PatternAt(8, 30)) << "the parent outside";
        if (transparent) {
            for (const TPoint p : {TPoint(12, 12), TPoint(37, 25), TPoint(67, 47)})
                EXPECT_EQ(dib.At(p.x, p.y), PatternAt(p.x, p.y)) << "the parent inside at " << p.x << "," << p.y;
        } else {
            EXPECT_EQ(dib.At(37, 25), RGB(0, 0, 0)) << "an opaque control's inside is its own (left alone here)";
        }
    }
}

TEST(ZclGraphicControl, ABevelChangeRedrawsAndSetBevelCopiesAndTells)
{
    TForm form(nullptr);
    auto* c = new TZCLGraphicControl(&form);
    int bevelMessages = 0;
    c->SetWindowProc(TWndMethod::From([&](TMessage& m) {
        if (m.Msg == CM_ZCLBEVELCHANGED) ++bevelMessages;
        c->WndProc(m);
    }));
    TZCLBevel other;
    other.SetStyleInner(bvLowered);
    other.SetWidthInner(3);
    c->SetBevel(&other);
    EXPECT_EQ(c->Bevel()->StyleInner(), bvLowered);
    EXPECT_EQ(c->Bevel()->WidthInner(), 3);
    EXPECT_NE(c->Bevel(), &other) << "copied into its own";
    EXPECT_EQ(bevelMessages, 1);
    EXPECT_EQ(c->BevelExt(), 3);
}

TEST(ZclBaseGraphicControl, AtDesignTimeAnEmptyControlShowsADashedFrame)
{
    for (bool designing : {true, false}) {
        SCOPED_TRACE(designing ? "designing" : "running");
        TBackParent root(nullptr);
        root.SetBounds(0, 0, 100, 80);
        root.supplies = false;
        auto* windowless = new TZCLBaseGraphicControl(&root);
        windowless->SetParent(&root);
        windowless->SetBounds(10, 10, 40, 30);
        auto* windowed = new TZCLCustomControl(&root);
        windowed->SetParent(&root);
        windowed->SetBounds(55, 10, 40, 30);
        windowed->SetColor(clWhite);
        root.SetDesigning(designing);
        Dib dib(100, 80);
        root.PaintTo(dib.dc(), 0, 0);
        for (TControl* c : {static_cast<TControl*>(windowless), static_cast<TControl*>(windowed)}) {
            int black = 0;
            for (int x = c->Left(); x < c->Left() + c->Width(); ++x) black += dib.At(x, c->Top()) == RGB(0, 0, 0);
            if (designing) {
                EXPECT_GT(black, 4) << c->ClassName().c_str() << ": dashes along the top";
                EXPECT_LT(black, c->Width()) << c->ClassName().c_str() << ": with gaps";
            } else {
                EXPECT_EQ(black, 0) << c->ClassName().c_str();
            }
        }
        EXPECT_EQ(dib.At(30, 25), Rgb(root.Color())) << "the windowless control's inside is its parent's";
        EXPECT_EQ(dib.At(75, 25), Rgb(clWhite)) << "the windowed one filled in its colour";
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The background effect object

namespace {

// Makes the effect object keep a picture, so that dropping it shows.
void FillBuffer(TZCLBitmapEffectObject* fx)
{
    fx->SetBuffered(true);
    fx->SetInvert(true);
    auto picture = Solid(8, 8, RGB(1, 2, 3));
    fx->Draw(picture.get());
    ASSERT_TRUE(fx->BufferValid());
}

}  // namespace

TEST(ZclBaseControl, EffectChangesRedrawAndBackgroundChangesDropTheKeptPicture)
{
    TForm form(nullptr);
    auto* back = new TBackParent(&form);
    back->SetParent(&form);
    back->HandleNeeded();
    auto* c = new TBackLabel(&form);
    c->SetParent(back);
    ASSERT_NE(c->BackFX(), nullptr);
    c->changes = 0;
    c->BackFX()->SetGrayScale(true);
    EXPECT_EQ(c->changes, 1) << "an effect changed";

    for (bool supplies : {true, false}) {
        back->supplies = supplies;
        FillBuffer(c->BackFX());
        c->Perform(CM_ZCLBACKCHANGED);
        EXPECT_FALSE(c->BackFX()->BufferValid()) << (supplies ? "drawn from the parent" : "also when not");
    }
}

class ZclWindowedFX : public ShownForm {};

TEST_F(ZclWindowedFX, EffectChangesRedrawAndSizeMoveAndBackgroundChangesDropTheKeptPicture)
{
    auto* c = new TBackParent(form.get());
    c->SetParent(form.get());
    c->SetBounds(10, 10, 100, 60);
    ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return c->paints > 0; }));
    TZCLBitmapEffectObject* fx = c->BackFX();
    ASSERT_NE(fx, nullptr);
    ValidateRect(c->Handle(), nullptr);
    fx->SetFlipVertical(true);
    RECT r;
    EXPECT_TRUE(GetUpdateRect(c->Handle(), &r, FALSE)) << "an effect changed: redrawn";

    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"the background changed", [&] { c->Perform(CM_ZCLBACKCHANGED); }},
        {"a new size", [&] { c->SetBounds(10, 10, 110, 60); }},
        {"a new place", [&] { c->SetBounds(20, 15, 110, 60); }},
    };
    for (const auto& k : changes) {
        FillBuffer(fx);
        k.change();
        EXPECT_FALSE(fx->BufferValid()) << k.what;
    }
}

TEST(ZclBaseControl, TheListTheEffectObjectBlendsFromIsLetGoWithTheList)
{
    for (bool windowed : {false, true}) {
        SCOPED_TRACE(windowed ? "windowed" : "windowless");
        TForm form(nullptr);
        auto* list = new TZCLImageList(&form);
        TControl* c = windowed ? static_cast<TControl*>(new TZCLCustomControl(&form)) : new TZCLBaseControl(&form);
        TZCLBitmapEffectObject* fx = windowed ? static_cast<TZCLCustomControl*>(c)->BackFX()
                                              : static_cast<TZCLBaseControl*>(c)->BackFX();
        fx->AlphaBlend()->SetImageList(list);
        ASSERT_EQ(fx->AlphaBlend()->ImageList(), list);
        form.RemoveComponent(list);
        EXPECT_EQ(fx->AlphaBlend()->ImageList(), nullptr) << "taken off the form";
        fx->AlphaBlend()->SetImageList(list);
        delete list;
        EXPECT_EQ(fx->AlphaBlend()->ImageList(), nullptr) << "freed";
    }
}
