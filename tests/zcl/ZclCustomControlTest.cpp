// The windowed library control on real forms: its window's styles, the flat border under real focus and mouse
// moves, the events after the focus has moved, erasing and filling with and without a parent picture, the
// background messages passed on to the children, and the window that can be let go and made again.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ZclControlTestHelpers.h"
#include "zcl/components/Zclcontrol.h"
#include "zcl/components/Zclcustomcontrol.h"
#include "zcl/components/Zcldrawedge.h"
#include "zcl/components/Zclreswincontrol.h"

using namespace zclctl;

namespace {

// Records focus events with the window that has the focus when each runs.
class TFocusProbe : public TZCLCustomControl {
public:
    explicit TFocusProbe(TComponent* owner, std::vector<std::string>& log, const char* name)
        : TZCLCustomControl(owner), log_(log), name_(name)
    {
        SetTabStop(true);
        SetOnEnter(TNotifyEvent::From([this](TObject*) { Record("enter"); }));
        SetOnExit(TNotifyEvent::From([this](TObject*) { Record("exit"); }));
        SetOnAfterEnter(TNotifyEvent::From([this](TObject*) { Record("after enter"); }));
        SetOnAfterExit(TNotifyEvent::From([this](TObject*) { Record("after exit"); }));
    }

private:
    void Record(const char* what)
    {
        TWinControl* focus = FindControl(GetFocus());
        log_.push_back(name_ + " " + what + " (focus " + (focus ? focus->Name().c_str() : "none") + ")");
    }
    std::vector<std::string>& log_;
    std::string name_;
};

// A library control with a window of its own that counts its paints.
class TCounted : public TZCLCustomControl {
public:
    explicit TCounted(TComponent* owner) : TZCLCustomControl(owner) {}
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        TZCLCustomControl::Paint();
    }
};

class ZclCustomControlForm : public ShownForm {
protected:
    // The frame's corner pixels: (0, 0) and (1, 1) of the window.
    struct Corner {
        COLORREF outer, inner;
    };
    static Corner CornerOf(TWinControl* c) { return {FramePixel(c->Handle(), 0, 0), FramePixel(c->Handle(), 1, 1)}; }
    static bool IsFlat(TWinControl* c)
    {
        const Corner k = CornerOf(c);
        return k.outer == Sys(COLOR_BTNFACE) && k.inner == Sys(COLOR_BTNFACE);
    }
    static bool Is3D(TWinControl* c)
    {
        const Corner k = CornerOf(c);
        return k.outer == Sys(COLOR_BTNSHADOW) && k.inner == Sys(COLOR_WINDOWFRAME);
    }
};

}  // namespace

TEST(ZclCustomControl, DefaultsAndTheWindowItMakes)
{
    TForm form(nullptr);
    auto* c = new TZCLCustomControl(&form);
    c->SetParent(&form);
    EXPECT_EQ(c->Width(), 100);
    EXPECT_EQ(c->Height(), 40);
    EXPECT_FALSE(c->TabStop());
    EXPECT_FALSE(c->Flat());
    EXPECT_FALSE(c->Transparent());
    EXPECT_TRUE(c->RepaintOnChange());
    const HWND wnd = c->Handle();
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_STYLE) & WS_CLIPCHILDREN);
    const DWORD classStyle = GetClassLongA(wnd, GCL_STYLE);
    EXPECT_EQ(classStyle & (CS_HREDRAW | CS_VREDRAW), 0u) << "no redraw of the whole window on a size change";
}

TEST(ZclCustomControl, TransparencyMakesTheWindowAgain)
{
    TForm form(nullptr);
    auto* c = new TZCLCustomControl(&form);
    c->SetParent(&form);
    form.Show();
    const HWND first = c->Handle();
    c->SetTransparent(true);
    EXPECT_FALSE(c->ControlStyle().Contains(csOpaque));
    EXPECT_FALSE(IsWindow(first));
    const HWND second = c->Handle();
    EXPECT_NE(second, first);
    c->SetTransparent(true);
    EXPECT_EQ(c->Handle(), second) << "unchanged: the window stays";
    c->SetTransparent(false);
    EXPECT_TRUE(c->ControlStyle().Contains(csOpaque));
    EXPECT_FALSE(IsWindow(second));
    form.Hide();
}

TEST_F(ZclCustomControlForm, FlatBorderFollowsFocusAndTheMouse)
{
    auto* flat = new TZCLCustomControl(form.get());
    flat->SetName("Flat");
    flat->SetParent(form.get());
    flat->SetBounds(20, 20, 120, 40);
    flat->SetTabStop(true);
    flat->SetColor(clWhite);
    auto* other = new TZCLCustomControl(form.get());
    other->SetName("Other");
    other->SetParent(form.get());
    other->SetBounds(20, 120, 120, 40);
    other->SetTabStop(true);
    ShowForm();
    MouseToControl(form.get(), 250, 200);
    other->SetFocus();
    Pump(50);
    flat->SetFlat(true);
    Pump(50);
    EXPECT_TRUE(IsFlat(flat)) << "neither focused nor under the mouse";

    flat->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return flat->IsFocused(); }));
    EXPECT_TRUE(Is3D(flat)) << "focused";

    MouseToControl(flat, 60, 20);
    ASSERT_TRUE(PumpUntil([&] { return flat->MouseAbove(); }, 3000));
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return !flat->IsFocused(); }));
    flat->Repaint();
    Pump(50);
    EXPECT_TRUE(Is3D(flat)) << "the focus gone with the mouse still above it: the 3D border stays";

    MouseToControl(form.get(), 250, 200);
    ASSERT_TRUE(PumpUntil([&] { return !flat->MouseAbove(); }, 3000));
    EXPECT_TRUE(IsFlat(flat)) << "the mouse gone too";

    MouseToControl(flat, 60, 20);
    ASSERT_TRUE(PumpUntil([&] { return flat->MouseAbove(); }, 3000));
    EXPECT_TRUE(Is3D(flat)) << "under the mouse without the focus";
    MouseToControl(form.get(), 250, 200);
    ASSERT_TRUE(PumpUntil([&] { return !flat->MouseAbove(); }, 3000));

    flat->SetFlat(false);
    EXPECT_TRUE(Is3D(flat)) << "no longer flat";
}

TEST_F(ZclCustomControlForm, BordersWithoutTheThreeDLook)
{
    auto* c = new TZCLCustomControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(20, 20, 100, 40);
    c->SetCtl3D(false);
    c->SetParentCtl3D(false);
    ShowForm();
    c->SetFlat(true);
    EXPECT_EQ(FramePixel(c->Handle(), 0, 0), Sys(COLOR_BTNFACE));
    c->RestoreBorderFront();
    EXPECT_EQ(FramePixel(c->Handle(), 0, 0), Sys(COLOR_WINDOWFRAME));
    EXPECT_EQ(FramePixel(c->Handle(), 99, 39), Sys(COLOR_WINDOWFRAME));
    EXPECT_NE(FramePixel(c->Handle(), 1, 1), Sys(COLOR_WINDOWFRAME)) << "one frame only";
    c->RestoreBorderBack();
    EXPECT_EQ(FramePixel(c->Handle(), 0, 0), Sys(COLOR_BTNFACE));
}

TEST_F(ZclCustomControlForm, TheThreeDBorderPixelByPixel)
{
    auto* c = new TZCLCustomControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(20, 20, 100, 40);
    c->SetColor(clWhite);
    ShowForm();
    c->RestoreBorderFront();
    const HWND w = c->Handle();
    EXPECT_EQ(FramePixel(w, 50, 0), Sys(COLOR_BTNSHADOW)) << "outer top";
    EXPECT_EQ(FramePixel(w, 0, 20), Sys(COLOR_BTNSHADOW)) << "outer left";
    EXPECT_EQ(FramePixel(w, 50, 39), Sys(COLOR_BTNHIGHLIGHT)) << "outer bottom";
    EXPECT_EQ(FramePixel(w, 99, 20), Sys(COLOR_BTNHIGHLIGHT)) << "outer right";
    EXPECT_EQ(FramePixel(w, 50, 1), Sys(COLOR_WINDOWFRAME)) << "inner top";
    EXPECT_EQ(FramePixel(w, 1, 20), Sys(COLOR_WINDOWFRAME)) << "inner left";
    EXPECT_EQ(FramePixel(w, 50, 38), Sys(COLOR_BTNFACE)) << "inner bottom";
    EXPECT_EQ(FramePixel(w, 98, 20), Sys(COLOR_BTNFACE)) << "inner right";
    EXPECT_EQ(FramePixel(w, 50, 20), Rgb(clWhite)) << "the inside untouched";
}

TEST_F(ZclCustomControlForm, AfterEnterAndAfterExitRunOnceTheFocusHasMoved)
{
    std::vector<std::string> log;
    auto* a = new TFocusProbe(form.get(), log, "A");
    a->SetName("A");
    a->SetParent(form.get());
    a->SetBounds(10, 10, 100, 30);
    auto* b = new TFocusProbe(form.get(), log, "B");
    b->SetName("B");
    b->SetParent(form.get());
    b->SetBounds(10, 60, 100, 30);
    ShowForm();
    a->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return !log.empty() && log.back().find("A after enter") == 0; }));
    log.clear();

    b->SetFocus();
    // The entering and leaving ran while the focus moved; nothing posted has run yet.
    const std::vector<std::string> synchronous = log;
    EXPECT_EQ(synchronous, (std::vector<std::string>{"A exit (focus B)", "B enter (focus B)"}));
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 4; }));
    EXPECT_EQ(log, (std::vector<std::string>{"A exit (focus B)", "B enter (focus B)", "A after exit (focus B)",
                                             "B after enter (focus B)"}));
}

TEST_F(ZclCustomControlForm, MouseEnterAndExitFireWhileEnabled)
{
    auto* c = new TZCLCustomControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(60, 60, 100, 50);
    std::vector<std::string> log;
    c->SetOnMouseEnter(TNotifyEvent::From([&](TObject*) { log.push_back("enter"); }));
    c->SetOnMouseExit(TNotifyEvent::From([&](TObject*) { log.push_back("exit"); }));
    ShowForm();
    MouseToControl(form.get(), 5, 5);
    Pump(50);
    log.clear();
    MouseToControl(c, 50, 25);
    ASSERT_TRUE(PumpUntil([&] { return c->MouseAbove(); }, 3000));
    MouseToControl(form.get(), 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return !c->MouseAbove(); }, 3000));
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "exit"}));

    // A disabled window gets no mouse input; told anyway, it keeps quiet but still tracks the mouse.
    log.clear();
    c->SetEnabled(false);
    c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
    EXPECT_TRUE(c->MouseAbove());
    c->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(c));
    EXPECT_FALSE(c->MouseAbove());
    EXPECT_TRUE(log.empty());
}

// ---------------------------------------------------------------------------------------------------------------
// Background

TEST(ZclCustomControl, ErasingIsLeftOutWhenTheBackgroundComesFromThePicture)
{
    for (bool supplies : {true, false}) {
        TBackParent c(nullptr);
        c.SetBounds(0, 0, 40, 30);
        c.supplies = supplies;
        Dib dib(40, 30);
        const LRESULT answer = c.Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.dc()), 0);
        EXPECT_EQ(answer, 1);
        EXPECT_EQ(dib.At(20, 15), supplies ? RGB(0, 0, 0) : Rgb(c.Color()))
            << (supplies ? "nothing erased" : "erased in Color");
    }
}

TEST(ZclCustomControl, FillControlDrawsThePictureOrTheColour)
{
    for (bool supplies : {true, false}) {
        TBackParent c(nullptr);
        c.SetBounds(0, 0, 60, 40);
        c.supplies = supplies;
        Dib dib(60, 40);
        c.PaintTo(dib.dc(), 0, 0);
        for (const TPoint p : {TPoint(0, 0), TPoint(5, 3), TPoint(30, 21), TPoint(59, 39)})
            EXPECT_EQ(dib.At(p.x, p.y), supplies ? PatternAt(p.x, p.y) : Rgb(c.Color()))
                << (supplies ? "picture" : "colour") << " at " << p.x << "," << p.y;
    }
}

TEST(ZclCustomControl, ATransparentControlDrawsFromItsParentOnlyWhenItCanSupplyToo)
{
    // The base cannot hand a picture over, so on its own a transparent control fills with its colour.
    TZCLCustomControl c(nullptr);
    c.SetBounds(0, 0, 20, 20);
    c.SetColor(clRed);
    c.SetTransparent(true);
    EXPECT_FALSE(c.CheckOptimized());
    EXPECT_EQ(c.BackBitmap(), nullptr);
    EXPECT_EQ(c.BackMapPoint(TPoint(3, 4)), TPoint(3, 4));
    Dib dib(20, 20);
    EXPECT_FALSE(c.BackDrawArea(nullptr, TRect(0, 0, 20, 20), TPoint(0, 0), 0));
    c.PaintTo(dib.dc(), 0, 0);
    EXPECT_EQ(dib.At(10, 10), Rgb(clRed));
}

TEST_F(ZclCustomControlForm, RepBackDrawsThePictureOrTheColourOverARectangle)
{
    for (bool supplies : {true, false}) {
        SCOPED_TRACE(supplies ? "with a picture" : "without");
        auto* c = new TBackParent(form.get());
        c->supplies = supplies;
        c->SetParent(form.get());
        c->SetBounds(0, 0, 200, 150);
        ShowForm();
        ASSERT_TRUE(PumpUntil([&] { return c->paints > 0; }));
        Pump(30);
        // Something else over the area first, then the background of a part of it again.
        HDC dc = GetDC(c->Handle());
        RECT all{0, 0, 200, 150};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ReleaseDC(c->Handle(), dc);
        c->RepBack(TRect(10, 20, 50, 60));
        c->Canvas()->FreeHandle();
        for (const TPoint p : {TPoint(10, 20), TPoint(27, 33), TPoint(49, 59)})
            EXPECT_EQ(WindowPixel(c->Handle(), p.x, p.y), supplies ? PatternAt(p.x, p.y) : Rgb(c->Color()))
                << p.x << "," << p.y;
        EXPECT_EQ(WindowPixel(c->Handle(), 60, 70), RGB(0, 0, 0)) << "outside the rectangle";
        delete c;
        form->Hide();
    }
}

TEST(ZclCustomControl, BackBitmapPaletteIsTheParentPicturesUnlessTheControlSuppliesItself)
{
    TForm form(nullptr);
    auto* parent = new TBackParent(&form);
    parent->SetParent(&form);
    LOGPALETTE lp{0x300, 1, {{10, 20, 30, 0}}};
    PaletteHandle palette(CreatePalette(&lp));
    parent->SetBackPalette(palette.get());
    const HPALETTE pictures = parent->BackBitmap()->Palette();
    ASSERT_NE(pictures, nullptr);

    auto* child = new TZCLCustomControl(&form);
    child->SetParent(parent);
    EXPECT_EQ(child->BackBitmapPalette(), pictures);
    EXPECT_EQ(child->GetPalette(), nullptr) << "an opaque control realises none";
    child->SetTransparent(true);
    EXPECT_EQ(child->GetPalette(), pictures);

    auto* supplier = new TBackParent(&form);
    supplier->SetParent(parent);
    EXPECT_EQ(supplier->BackBitmapPalette(), nullptr) << "it supplies a picture of its own";
    child->SetParent(&form);
    EXPECT_EQ(child->BackBitmapPalette(), nullptr) << "a form parent";
}

class ZclBackMessages : public ShownForm {
protected:
    void Build(bool supplies)
    {
        parent = new TBackParent(form.get());
        parent->supplies = supplies;
        parent->SetParent(form.get());
        parent->SetBounds(10, 10, 200, 150);
        label = new TBackLabel(form.get());
        label->SetParent(parent);
        label->SetBounds(20, 20, 40, 30);
        child = new TBackParent(form.get());
        child->SetParent(parent);
        child->SetBounds(100, 20, 60, 60);
        ShowForm();
        ASSERT_TRUE(PumpUntil([&] { return parent->paints > 0 && child->paints > 0 && label->paints > 0; }));
        Pump(50);
        parent->backChanged = child->backChanged = label->backChanged = 0;
    }
    TBackParent* parent = nullptr;
    TBackLabel* label = nullptr;
    TBackParent* child = nullptr;
};

TEST_F(ZclBackMessages, BackChangedRepaintsAtOnceAndReachesTheChildren)
{
    Build(true);
    const int paints = parent->paints;
    parent->Perform(CM_ZCLBACKCHANGED);
    EXPECT_GT(parent->paints, paints) << "painted at once";
    EXPECT_EQ(label->backChanged, 1);
    EXPECT_EQ(child->backChanged, 1);
}

TEST_F(ZclBackMessages, BackChangedWithoutAPictureOnlyInvalidates)
{
    Build(false);
    const int paints = parent->paints;
    parent->Perform(CM_ZCLBACKCHANGED);
    EXPECT_EQ(parent->paints, paints) << "not at once";
    EXPECT_TRUE(PumpUntil([&] { return parent->paints > paints; }));
    EXPECT_EQ(label->backChanged + child->backChanged, 0);
}

TEST_F(ZclBackMessages, NothingWhileLoadingOrBeingDestroyed)
{
    Build(true);
    for (TComponentStateItem state : {csLoading, csDestroying}) {
        parent->IncludeState(state);
        parent->Perform(CM_ZCLBACKCHANGED);
        parent->ExcludeState(state);
    }
    EXPECT_EQ(label->backChanged + child->backChanged, 0);
}

TEST_F(ZclBackMessages, ScrollingAndResizingTellTheChildren)
{
    Build(true);
    parent->Perform(CM_ZCLSCROLLBOXSCROLLEVENT);
    EXPECT_EQ(label->backChanged, 1);
    EXPECT_EQ(child->backChanged, 1);
    parent->SetBounds(10, 10, 210, 160);
    EXPECT_EQ(label->backChanged, 2) << "a new size";
    EXPECT_EQ(child->backChanged, 2);

    // Moved: the picture behind moves, so the children are painted again at once.
    const int childPaints = child->paints;
    parent->SetBounds(20, 15, 210, 160);
    EXPECT_GT(child->paints, childPaints);
}

TEST_F(ZclBackMessages, WithoutAPictureScrollingTellsNoOne)
{
    Build(false);
    parent->Perform(CM_ZCLSCROLLBOXSCROLLEVENT);
    parent->SetBounds(10, 10, 210, 160);
    EXPECT_EQ(label->backChanged + child->backChanged, 0);
}

TEST_F(ZclCustomControlForm, SystemColourChangesRedrawOnlyWhatIsNotTransparent)
{
    auto* c = new TCounted(form.get());
    c->SetParent(form.get());
    ShowForm();
    for (bool transparent : {false, true}) {
        c->SetTransparent(transparent);
        Pump(50);
        ValidateRect(c->Handle(), nullptr);
        c->Perform(CM_SYSCOLORCHANGE);
        RECT r;
        EXPECT_EQ(GetUpdateRect(c->Handle(), &r, FALSE) != 0, !transparent)
            << (transparent ? "transparent" : "opaque");
    }
}

TEST_F(ZclCustomControlForm, InvalidateFrameInvalidatesTheBoundsInTheParent)
{
    auto* c = new TZCLCustomControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(30, 40, 50, 20);
    ShowForm();
    ValidateRect(form->Handle(), nullptr);
    c->InvalidateFrame();
    RECT r;
    ASSERT_TRUE(GetUpdateRect(form->Handle(), &r, FALSE));
    EXPECT_EQ(TRect(r), TRect(30, 40, 80, 60));
}

TEST_F(ZclCustomControlForm, AChangeOfAnOwnedObjectRedrawsUnlessSwitchedOff)
{
    auto* c = new TCounted(form.get());
    c->SetParent(form.get());
    ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return c->paints > 0; }));
    for (bool repaint : {true, false}) {
        c->SetRepaintOnChange(repaint);
        Pump(30);
        ValidateRect(c->Handle(), nullptr);
        c->GetChange(nullptr);
        RECT r;
        EXPECT_EQ(GetUpdateRect(c->Handle(), &r, FALSE) != 0, repaint);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Form components and windows made again

TEST(ZclCheckForFormComponent, FindsTheFirstOfAClassOnAForm)
{
    TForm form(nullptr);
    TComponent holder(nullptr);
    new TComponent(&form);
    new TZCLCustomControl(&form);
    new TZCLDrawEdge(&form);
    new TZCLDrawEdge(&form);
    new TZCLDrawEdge(&holder);
    const struct {
        const char* what;
        TComponent* owner;
        TClass cls;
        int expected;
    } cases[] = {
        {"the first of two", &form, ClassOf<TZCLDrawEdge>(), 2},
        {"a base class finds its first descendant", &form, ClassOf<TControl>(), 1},
        {"a class that is not there", &form, ClassOf<TZCLResWinControl>(), -1},
        {"an owner that is not a form", &holder, ClassOf<TZCLDrawEdge>(), -1},
        {"no owner", nullptr, ClassOf<TZCLDrawEdge>(), -1},
        {"no class", &form, nullptr, -1},
    };
    for (const auto& k : cases) EXPECT_EQ(ZCLCheckForFormComponent(k.owner, k.cls), k.expected) << k.what;
}

TEST_F(ZclCustomControlForm, AWindowLetGoIsMadeAgainWhenNeeded)
{
    auto* c = new TZCLResWinControl(form.get());
    c->SetParent(form.get());
    c->SetBounds(10, 10, 80, 40);
    auto* inner = new TZCLCustomControl(form.get());
    inner->SetParent(c);
    inner->SetBounds(5, 5, 20, 20);
    ShowForm();
    const HWND first = c->Handle();
    const HWND innerFirst = inner->Handle();
    ASSERT_TRUE(IsWindowVisible(first));

    c->FreeResources();
    EXPECT_FALSE(c->HandleAllocated());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(IsWindow(innerFirst)) << "the children's windows go with it";

    const HWND second = c->Handle();
    ASSERT_TRUE(IsWindow(second));
    EXPECT_TRUE(IsWindowVisible(second)) << "shown again, as the control is";
    RECT r;
    GetWindowRect(second, &r);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(TRect(r), TRect(10, 10, 90, 50));
    EXPECT_TRUE(PumpUntil([&] { return inner->HandleAllocated() && IsWindowVisible(inner->Handle()); }))
        << "and its children with it";

    // A hidden control's window comes back hidden.
    c->SetVisible(false);
    c->FreeResources();
    c->CreateHandle();
    EXPECT_TRUE(c->HandleAllocated());
    EXPECT_FALSE(IsWindowVisible(c->Handle()));
}
