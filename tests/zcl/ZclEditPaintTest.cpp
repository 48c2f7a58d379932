// How the edit looks and where its caret goes: off-screen renders checked at chosen pixels (the selection in its
// own colours, hidden without the focus, the password mask, disabled text, alignment, a transparent edit over a
// patterned parent), the caret at the cursor and its shape, the blink rate applied only while focused, scrolling
// to the caret, the height fitted to the font, and a screenshot of edits in their states.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ZclEditTestHelpers.h"
#include "support/Screenshot.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclbevel.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/panels/Zclcustomsimplelabel.h"

using namespace zcledit;
using zclctl::PatternAt;

namespace {

constexpr COLORREF Back = RGB(255, 255, 255);
constexpr COLORREF Ink = RGB(0, 0, 0);
constexpr COLORREF Marked = RGB(200, 0, 0);
constexpr COLORREF MarkedInk = RGB(0, 255, 0);

// The client area of a control rendered off-screen.
class Render {
public:
    explicit Render(TWinControl* c) : w_(c->ClientWidth()), h_(c->ClientHeight()), dib_(w_, h_) { c->PaintTo(dib_.dc(), 0, 0); }
    COLORREF At(int x, int y) const { return dib_.At(x, y); }
    int Count(const TRect& r, const std::function<bool(COLORREF)>& pick) const
    {
        int n = 0;
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, h_); ++y)
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, w_); ++x) n += pick(At(x, y));
        return n;
    }
    int Count(const TRect& r, COLORREF c) const
    {
        return Count(r, [c](COLORREF p) { return p == c; });
    }
    // The columns in r holding a pixel other than the background.
    TRect InkBounds(const TRect& r, COLORREF background) const
    {
        TRect b(w_, h_, -1, -1);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) != background) {
                    b.left = std::min<LONG>(b.left, x);
                    b.right = std::max<LONG>(b.right, x + 1);
                    b.top = std::min<LONG>(b.top, y);
                    b.bottom = std::max<LONG>(b.bottom, y + 1);
                }
        return b;
    }
    bool SameAs(const Render& o) const
    {
        if (o.w_ != w_ || o.h_ != h_) return false;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (At(x, y) != o.At(x, y)) return false;
        return true;
    }

private:
    int w_, h_;
    controltest::Dib dib_;
};

int FontHeight(TFont* font)
{
    TBitmap b;
    b.SetSize(1, 1);
    b.Canvas()->SetFont(font);
    return b.Canvas()->TextHeight("Qp");
}

class ZclEditPaint : public EditForm {
protected:
    TZCLEdit* Plain(int top, const char* text, int width = 200)
    {
        TZCLEdit* e = AddEdit(10, top, width);
        e->Font()->SetColor(TColor(Ink));
        e->SetColor(TColor(Back));
        e->SetHighlightBack(TColor(Marked));
        e->SetHighlightText(TColor(MarkedInk));
        e->SetText(text);
        e->Handle();
        return e;
    }
    // An edit on a parent that hands its children a patterned picture.
    TZCLEdit* OnPatternedParent(zclctl::TBackParent*& back, const char* text)
    {
        back = new zclctl::TBackParent(form.get());
        back->SetParent(form.get());
        back->SetBounds(10, 10, 280, 100);
        auto* e = new TZCLEdit(form.get());
        e->SetParent(back);
        e->SetBounds(20, 20, 200, 21);
        e->SetText(text);
        return e;
    }
    static int X(TZCLEdit* e, int i) { return LOWORD(SendMessageA(e->Handle(), EM_POSFROMCHAR, WPARAM(i), 0)); }
    // The row of text, characters i..j (0-based, j exclusive).
    static TRect Row(TZCLEdit* e, int i, int j)
    {
        const int top = e->TextTop();
        return TRect(X(e, i), top, X(e, j), top + FontHeight(e->Font()));
    }
};

TEST_F(ZclEditPaint, SelectionInItsOwnColours)
{
    TZCLEdit* e = Plain(10, "mmmm mmmm");
    e->SetHideSelection(false);
    SendMessageA(e->Handle(), EM_SETSEL, 0, 4);
    const Render r(e);
    const TRect selected = Row(e, 0, 4), rest = Row(e, 5, 9);
    EXPECT_GT(r.Count(selected, Marked), 0) << "the highlight";
    EXPECT_GT(r.Count(selected, MarkedInk), 0) << "the selected characters";
    EXPECT_EQ(r.Count(selected, Ink), 0);
    EXPECT_EQ(r.Count(selected, Back), 0) << "nothing of the plain background inside the selection";
    EXPECT_GT(r.Count(rest, Ink), 0);
    EXPECT_EQ(r.Count(rest, Marked) + r.Count(rest, MarkedInk), 0);
    // Around the text: the edit's colour.
    const TRect text = e->TextRect();
    EXPECT_EQ(r.At(text.right - 2, text.top), Back);
    EXPECT_EQ(r.At(text.left, text.bottom - 1), Back);
}

TEST_F(ZclEditPaint, HiddenSelectionWithoutTheFocus)
{
    TZCLEdit* e = Plain(10, "mmmm mmmm");
    TZCLEdit* other = Plain(50, "other");
    SendMessageA(e->Handle(), EM_SETSEL, 0, 4);
    EXPECT_EQ(Render(e).Count(Row(e, 0, 4), Marked), 0) << "not focused, HideSelection on";
    FocusOn(e);
    EXPECT_GT(Render(e).Count(Row(e, 0, 4), Marked), 0) << "focused";
    FocusOn(other);
    EXPECT_EQ(Render(e).Count(Row(e, 0, 4), Marked), 0) << "the focus went";
    e->SetHideSelection(false);
    EXPECT_GT(Render(e).Count(Row(e, 0, 4), Marked), 0) << "shown without the focus";
}

TEST_F(ZclEditPaint, PasswordShowsOneMaskCharacterEach)
{
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {{"abc", "***"}, {"abcdef", "******"}, {"", ""}, {"a b\tc", "*****"}};
    for (const auto& c : cases) {
        TZCLEdit* masked = Plain(10, c.text);
        masked->SetPasswordChar('*');
        TZCLEdit* stars = Plain(50, c.shown);
        EXPECT_TRUE(Render(masked).SameAs(Render(stars))) << c.text;
        EXPECT_EQ(masked->Text(), c.text);
        delete masked;
        delete stars;
    }
}

TEST_F(ZclEditPaint, DisabledTextIsNotDrawnInTheFontColour)
{
    TZCLEdit* e = Plain(10, "disabled");
    const TRect row = Row(e, 0, 8);
    EXPECT_GT(Render(e).Count(row, Ink), 0);
    e->SetEnabled(false);
    const Render r(e);
    EXPECT_EQ(r.Count(row, Ink), 0);
    EXPECT_GT(r.Count(row, [](COLORREF c) { return c != Back; }), 0) << "but drawn";
}

TEST_F(ZclEditPaint, TextStandsWhereItsAlignmentPutsIt)
{
    TZCLEdit* e = Plain(10, "mid");
    const TRect text = e->TextRect();
    const TRect band(text.left, text.top, text.right, text.bottom);
    e->SetAlignment(taLeftJustify);
    const TRect left = Render(e).InkBounds(band, Back);
    e->SetAlignment(taRightJustify);
    const TRect right = Render(e).InkBounds(band, Back);
    e->SetAlignment(taCenter);
    const TRect centre = Render(e).InkBounds(band, Back);
    EXPECT_LE(left.left - text.left, 2);
    EXPECT_LE(text.right - right.right, 3);
    EXPECT_EQ(right.Width(), left.Width());
    const int middle = (text.left + text.right) / 2;
    EXPECT_LE(std::abs((centre.left + centre.right) / 2 - middle), 2);
    // A text wider than the edit starts at the left, whatever the alignment.
    e->SetAlignment(taRightJustify);
    e->SetText("a text far too long for an edit this narrow, so it runs out on the right");
    EXPECT_EQ(e->TextOrigin(), text.left);
}

TEST_F(ZclEditPaint, TransparentEditShowsItsParentsPicture)
{
    zclctl::TBackParent* back = nullptr;
    TZCLEdit* e = OnPatternedParent(back, "see through");
    e->SetTransparent(true);
    ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return back->paints > 0; }));
    const Render r(e);
    // Where the client area lies in the parent's picture: its position and its border.
    const TPoint origin = back->ScreenToClient(e->ClientToScreen(TPoint(0, 0)));
    const TRect text = e->TextRect();
    int matches = 0, probes = 0;
    for (int x = text.right - 30; x < text.right - 2; x += 3) {
        ++probes;
        matches += r.At(x, text.bottom - 1) == PatternAt(origin.x + x, origin.y + text.bottom - 1);
    }
    EXPECT_EQ(matches, probes) << "the pattern behind the text's empty end";
    e->SetTransparent(false);
    e->SetColor(clWhite);
    EXPECT_EQ(Render(e).At(text.right - 4, text.bottom - 1), Back);
}

TEST_F(ZclEditPaint, TransparentEditShowsItsParentsPictureBesideItsButtons)
{
    zclctl::TBackParent* back = nullptr;
    TZCLEdit* e = OnPatternedParent(back, "buttons");
    e->SetColor(TColor(Back));
    e->SetCustomButtonWidth(20);
    e->CustomButtons()->Add()->SetCaption("a");
    e->CustomButtons()->Add()->SetCaption("b");
    e->SetTransparent(true);
    ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return back->paints > 0; }));
    const TPoint origin = back->ScreenToClient(e->ClientToScreen(TPoint(0, 0)));
    const TRect inner = e->InnerRect(), paint = e->PaintRect(), text = e->TextRect();
    const COLORREF face = zclctl::Sys(COLOR_BTNFACE);
    // The column between the text and the first button, the text's empty end, and the buttons' own faces.
    auto check = [&](const char* what, bool transparent) {
        const Render r(e);
        int gap = 0, end = 0;
        for (int y = inner.top; y < inner.bottom; ++y) {
            const COLORREF want = transparent ? PatternAt(origin.x + paint.right, origin.y + y) : Back;
            gap += r.At(paint.right, y) == want;
        }
        for (int x = text.right - 20; x < text.right; ++x) {
            const COLORREF want = transparent ? PatternAt(origin.x + x, origin.y + text.bottom - 1) : Back;
            end += r.At(x, text.bottom - 1) == want;
        }
        EXPECT_EQ(gap, inner.Height()) << what << ": beside the buttons";
        EXPECT_EQ(end, 20) << what << ": behind the text";
        for (int i = 0; i < 2; ++i) {
            TZCLSpeedButton* b = e->CustomButtons()->GetItem(i)->SpeedButton();
            EXPECT_EQ(r.At(b->Left() + 2, b->Top() + 2), face) << what << ": button " << i;
        }
    };
    check("transparent", true);
    // Typing redraws the text alone: what lies beside the buttons stays.
    FocusOn(e);
    e->SetSelStart(8);
    Type("!");
    ASSERT_TRUE(Settles([&] { return e->Text() == "buttons!"; }));
    check("after typing", true);
    e->SetTransparent(false);
    check("opaque", false);
}

// ---------------------------------------------------------------------------------------------------------------
// Caret

RECT CaretRect(HWND& owner)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    owner = info.hwndCaret;
    return info.rcCaret;
}

TEST_F(ZclEditPaint, CaretStandsAtTheCursor)
{
    TZCLEdit* e = Plain(10, "caret here");
    FocusOn(e);
    for (int cursor : {1, 3, 6, 11}) {
        e->SetSelStart(cursor);
        POINT p{};
        ASSERT_TRUE(GetCaretPos(&p));
        EXPECT_EQ(p.x, X(e, cursor - 1)) << cursor;
        EXPECT_EQ(p.y, e->TextTop()) << cursor;
        int x = -1, y = -1;
        e->Caret()->GetPos(x, y);
        EXPECT_EQ(x, p.x) << "the caret object knows where it put the caret";
        EXPECT_EQ(y, p.y);
    }
    Type("!");
    ASSERT_TRUE(Settles([&] { return e->Text() == "caret here!"; }));
    POINT p{};
    GetCaretPos(&p);
    EXPECT_EQ(p.x, X(e, 11));
}

TEST_F(ZclEditPaint, CaretShapeByStyle)
{
    TZCLEdit* e = Plain(10, "shape");
    const int text = FontHeight(e->Font());
    e->Caret()->SetWidth(5);
    e->Caret()->SetHeight(7);
    // clang-format off
    const struct {
        TZCLCaretStyles style;
        int w, h, dy;  // dy: how far below the text's top
    } cases[] = {
        {csDefault, 1, text, 0},
        {csBlock, 5, 7, 0},
        {csOver, 5, 1, 0},
        {csUnder, 5, 1, text - 1 - 2},
        {csUnderBlock, 5, 7, text - 7 - 2},
    };
    // clang-format on
    TZCLEdit* other = Plain(50, "other");
    for (const auto& c : cases) {
        e->Caret()->SetStyle(c.style);
        FocusOn(e);
        HWND owner = nullptr;
        const RECT r = CaretRect(owner);
        EXPECT_EQ(owner, e->Handle());
        EXPECT_EQ(r.right - r.left, c.w) << int(c.style);
        EXPECT_EQ(r.bottom - r.top, c.h) << int(c.style);
        EXPECT_EQ(r.top, e->TextTop() + c.dy) << int(c.style);
        FocusOn(other);
    }
    // The focus gone to a control without a caret: the edit's caret is gone.
    auto* plain = new TZCLCustomControl(form.get());
    plain->SetParent(form.get());
    plain->SetBounds(10, 100, 50, 20);
    plain->SetTabStop(true);
    plain->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == plain->Handle(); }));
    HWND owner = nullptr;
    CaretRect(owner);
    EXPECT_EQ(owner, nullptr);
}

// Pixels of the screen where the caret stands, read until they show what is wanted (the caret is drawn by
// inverting what is under it).
bool CaretShows(TZCLEdit* e, const std::function<bool(const testshot::Shot&)>& want)
{
    return PumpUntil(
        [&] {
            POINT p{};
            if (!GetCaretPos(&p)) return false;
            const TPoint at = e->ClientToScreen(TPoint(p.x, p.y));
            const RECT r{at.x, at.y, at.x + 12, at.y + 12};
            return want(testshot::Shot::OfScreen(r));
        },
        10000);
}

TEST_F(ZclEditPaint, BitmapCaretTakesItsPictureFromAnImageList)
{
    constexpr COLORREF Yellow = RGB(255, 255, 0), Blue = RGB(0, 0, 255), Green = RGB(0, 255, 0);
    constexpr COLORREF Red = RGB(255, 0, 0);
    auto inverted = [](COLORREF c) { return COLORREF(~c & 0xFFFFFF); };
    // Two 4 x 4 images: yellow on the left half and blue on the right, then all green.
    auto list = std::make_unique<TZCLImageList>(nullptr);
    auto* strip = static_cast<TZCLImageListItem*>(list->GetItem(list->Add()));
    strip->SetWidth(4);
    strip->SetHeight(4);
    strip->Add(drawtest::MakeBitmap(8, 4, [](int x, int) { return std::uint32_t(x < 2 ? Yellow : x < 4 ? Blue : Green); }).get(),
               nullptr);
    ASSERT_EQ(strip->Count(), 2);

    TZCLEdit* e = Plain(10, "");
    TZCLEdit* other = Plain(50, "other");
    TZCLCaret* caret = e->Caret();
    // Slow enough that the caret stays on while it is looked at.
    caret->SetBlinkRate(65535);
    caret->SetStyle(csBitmap);
    caret->SetWidth(8);
    caret->SetHeight(6);
    caret->SetImageList(list.get());
    auto Pixel = [&](int x, int y) { return COLORREF(caret->Bitmap()->Canvas()->Pixels(x, y)) & 0xFFFFFF; };
    ASSERT_FALSE(caret->Bitmap()->Empty());
    EXPECT_EQ(caret->Bitmap()->Width(), 4);
    EXPECT_EQ(Pixel(0, 0), Yellow);
    EXPECT_EQ(Pixel(3, 3), Blue);

    // What the caret shows along its top row: as the picture is, tiled into Width x Height, or stretched.
    // clang-format off
    const struct {
        TZCLCaretBitmap mode;
        int w, h;
        std::vector<COLORREF> row;
    } cases[] = {
        {cbBmpSize, 4, 4, {Yellow, Yellow, Blue, Blue}},
        {cbTile, 8, 6, {Yellow, Yellow, Blue, Blue, Yellow, Yellow, Blue, Blue}},
        {cbStretch, 8, 6, {Yellow, Yellow, Yellow, Yellow, Blue, Blue, Blue, Blue}},
    };
    // clang-format on
    for (const auto& c : cases) {
        caret->SetCaretBmpMode(c.mode);
        FocusOn(e);
        HWND owner = nullptr;
        const RECT r = CaretRect(owner);
        EXPECT_EQ(owner, e->Handle());
        EXPECT_EQ(r.right - r.left, c.w) << int(c.mode);
        EXPECT_EQ(r.bottom - r.top, c.h) << int(c.mode);
        EXPECT_TRUE(CaretShows(e, [&](const testshot::Shot& shot) {
            for (std::size_t x = 0; x < c.row.size(); ++x)
                if (shot.At(int(x), 0) != inverted(c.row[x]) || shot.At(int(x), c.h - 1) != inverted(c.row[x]))
                    return false;
            return shot.At(int(c.row.size()), 0) == Back && shot.At(0, c.h) == Back;
        })) << "mode " << int(c.mode);
        FocusOn(other);
    }

    // Another item, and a change of the list's image, reach the caret on show at once.
    caret->SetCaretBmpMode(cbBmpSize);
    FocusOn(e);
    caret->SetImageIndex(1);
    EXPECT_EQ(Pixel(0, 0), Green);
    EXPECT_TRUE(CaretShows(e, [&](const testshot::Shot& shot) { return shot.At(3, 3) == inverted(Green); }));
    strip->Replace(1, drawtest::MakeBitmap(4, 4, [](int, int) { return std::uint32_t(Red); }).get(), nullptr);
    EXPECT_EQ(Pixel(0, 0), Red);
    EXPECT_TRUE(CaretShows(e, [&](const testshot::Shot& shot) { return shot.At(3, 3) == inverted(Red); }));
    // An index with no image keeps the picture there is.
    caret->SetImageIndex(5);
    EXPECT_EQ(Pixel(0, 0), Red);

    // The list freed: the caret lets it go and keeps its last picture.
    list.reset();
    EXPECT_EQ(caret->ImageList(), nullptr);
    FocusOn(other);
    FocusOn(e);
    HWND owner = nullptr;
    const RECT r = CaretRect(owner);
    EXPECT_EQ(r.right - r.left, 4);
}

TEST_F(ZclEditPaint, BlinkRateHoldsOnlyWhileFocused)
{
    const UINT system = GetCaretBlinkTime();
    const UINT slow = system == 700 ? 800 : 700, fast = system == 200 ? 300 : 200;
    TZCLEdit* a = Plain(10, "a");
    TZCLEdit* b = Plain(50, "b");
    EXPECT_EQ(a->Caret()->BlinkRate(), system);
    a->Caret()->SetBlinkRate(std::uint16_t(slow));
    b->Caret()->SetBlinkRate(std::uint16_t(fast));
    auto* plain = new TZCLCustomControl(form.get());
    plain->SetParent(form.get());
    plain->SetBounds(10, 100, 50, 20);
    plain->SetTabStop(true);

    FocusOn(a);
    EXPECT_EQ(GetCaretBlinkTime(), slow);
    // An edit made now starts from the system's rate, not from the one the focused edit set.
    auto* late = new TZCLEdit(form.get());
    EXPECT_EQ(late->Caret()->BlinkRate(), system);
    FocusOn(b);
    EXPECT_EQ(GetCaretBlinkTime(), fast);
    a->Caret()->SetBlinkRate(std::uint16_t(slow + 10));
    EXPECT_EQ(GetCaretBlinkTime(), fast) << "only the focused edit's rate counts";
    b->Caret()->SetBlinkRate(std::uint16_t(fast + 10));
    EXPECT_EQ(GetCaretBlinkTime(), fast + 10) << "a change while focused applies at once";
    plain->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == plain->Handle(); }));
    EXPECT_EQ(GetCaretBlinkTime(), system) << "given back";
    FocusOn(a);
    EXPECT_EQ(GetCaretBlinkTime(), slow + 10);
    delete a;
    EXPECT_EQ(GetCaretBlinkTime(), system) << "given back by an edit freed while focused";
}

TEST_F(ZclEditPaint, ScrollsToKeepTheCaretInSight)
{
    TZCLEdit* e = Plain(10, "", 80);
    FocusOn(e);
    Type("a long line of text typed into a narrow edit");
    ASSERT_TRUE(Settles([&] { return e->GetLength() == 44; }));
    const TRect text = e->TextRect();
    EXPECT_GT(e->ScrollOffset(), 0);
    POINT p{};
    GetCaretPos(&p);
    EXPECT_GE(p.x, text.left);
    EXPECT_LT(p.x, text.right);
    EXPECT_EQ(p.x, X(e, 44));
    // The last characters are on show.
    EXPECT_LT(X(e, 43), text.right);
    Press(VK_HOME);
    ASSERT_TRUE(Settles([&] { return e->CursorPos() == 1; }));
    EXPECT_EQ(e->ScrollOffset(), 0);
    GetCaretPos(&p);
    EXPECT_EQ(p.x, text.left);
    Press(VK_END);
    ASSERT_TRUE(Settles([&] { return e->CursorPos() == 45; }));
    EXPECT_GT(e->ScrollOffset(), 0);
    // A new text starts unscrolled.
    e->SetText("short");
    EXPECT_EQ(e->ScrollOffset(), 0);
}

TEST_F(ZclEditPaint, AutoSizeFitsTheHeightToTheFont)
{
    TZCLEdit* e = Plain(10, "size");
    for (int size : {8, 12, 20}) {
        e->SetAutoSize(false);
        e->SetHeight(50);
        e->Font()->SetSize(size);
        EXPECT_EQ(e->Height(), 50) << "not without AutoSize";
        e->SetAutoSize(true);
        EXPECT_EQ(e->Height(), FontHeight(e->Font()) * 5 / 4 + 5) << size;
    }
    e->SetWidth(10);
    e->Font()->SetSize(9);
    EXPECT_EQ(e->Width(), 30) << "room for the buttons and the text";

    // A bevel of the library's own instead of the window's border: the bevel on both sides.
    for (int width : {1, 3}) {
        e->Bevel()->SetMode(bmCustom);
        e->Bevel()->SetStyleOuter(bvLowered);
        e->Bevel()->SetWidthOuter(TZCLBevelWidth(width));
        const int row = FontHeight(e->Font()) * 5 / 4;
        EXPECT_EQ(e->Height(), row + 2 * width) << width;
        EXPECT_EQ(e->InnerRect().Height(), row) << width;
    }
    // A 3D font needs its depth as well.
    const int flat = e->Height();
    e->Font3D()->SetLightDepth(3);
    e->Font3D()->SetShadowDepth(3);
    e->Font3D()->SetStyle(tdRaisedShadow);
    EXPECT_GT(e->Height(), flat);
    e->Font3D()->SetStyle(tdNone);
    EXPECT_EQ(e->Height(), flat);
}

TEST(ZclEditLoading, AnEditBeingLoadedFitsItselfAndTellsOfChangesOnlyOnceLoaded)
{
    TForm form(nullptr);
    int changes = 0, changedAt = 0, modified = 0;
    TZCLEdit* e = nullptr;
    {
        TComponentLoader loading(&form);
        e = loading.Create<TZCLEdit>();
        e->SetParent(&form);
        e->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
        e->SetOnTextChangedAt(TZCLTextChangeEvent::From([&](TObject*, int) { ++changedAt; }));
        e->SetOnModified(TNotifyEvent::From([&](TObject*) { ++modified; }));
        e->SetAutoSize(true);
        e->Font()->SetSize(20);
        e->SetPasswordChar('*');
        e->SetText("loaded");
        EXPECT_EQ(e->Height(), 21) << "fitted once loaded, not before";
        loading.Finish();
    }
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(changedAt, 0);
    EXPECT_EQ(modified, 0);
    EXPECT_EQ(e->Height(), FontHeight(e->Font()) * 5 / 4 + 5);
    EXPECT_EQ(e->DisplayText(), "******");
    EXPECT_EQ(e->Text(), "loaded");
    e->SetText("after");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(changedAt, 1);
    EXPECT_EQ(modified, 0);
}

// ---------------------------------------------------------------------------------------------------------------

class ZclEditScreenshot : public EditForm {};

TEST_F(ZclEditScreenshot, FormOfEditsInTheirStates)
{
    form->SetBounds(40, 40, 470, 365);
    form->SetColor(clBtnFace);
    struct Row {
        const char* label;
        std::function<void(TZCLEdit*)> setup;
    };
    const Row rows[] = {
        {"plain", [](TZCLEdit* e) { e->SetText("An edit of the library"); }},
        {"selection shown", [](TZCLEdit* e) {
             e->SetText("part of it selected");
             e->SetHideSelection(false);
             SendMessageA(e->Handle(), EM_SETSEL, 8, 10);
         }},
        {"password", [](TZCLEdit* e) {
             e->SetPasswordChar('*');
             e->SetText("secret");
         }},
        {"right aligned", [](TZCLEdit* e) {
             e->SetAlignment(taRightJustify);
             e->SetText("to the right");
         }},
        {"centred", [](TZCLEdit* e) {
             e->SetAlignment(taCenter);
             e->SetText("in the middle");
         }},
        {"3D font, raised", [](TZCLEdit* e) {
             e->Font3D()->SetStyle(tdRaised);
             e->Font()->SetSize(12);
             e->SetAutoSize(true);
             e->SetText("Raised text");
         }},
        {"disabled", [](TZCLEdit* e) {
             e->SetText("cannot be changed");
             e->SetEnabled(false);
         }},
        {"read-only, flat", [](TZCLEdit* e) {
             e->SetText("read only and flat");
             e->SetReadOnly(true);
             e->SetFlat(true);
         }},
        {"custom buttons", [](TZCLEdit* e) {
             e->SetText("two buttons at its end");
             e->SetCustomButtonWidth(20);
             e->CustomButtons()->Add()->SetCaption("...");
             e->CustomButtons()->Add()->SetCaption("x");
         }},
        {"focused, selected, scrolled", [](TZCLEdit* e) {
             e->SetText("the focused edit holds a line much longer than it is wide, so it scrolls");
             // Slow enough that the caret is on when the picture is taken.
             e->Caret()->SetBlinkRate(65535);
         }},
    };
    TZCLEdit* last = nullptr;
    int top = 10;
    for (const Row& r : rows) {
        auto* label = new TZCLSimpleLabel(form.get());
        label->SetParent(form.get());
        label->SetBounds(10, top + 3, 150, 16);
        label->SetCaption(r.label);
        TZCLEdit* e = AddEdit(170, top, 280);
        r.setup(e);
        last = e;
        top = e->Top() + e->Height() + 10;
    }
    FocusOn(last);
    // Selected by real keys: to the end, then the last word back with Shift.
    Press(VK_END);
    Press(VK_LEFT, {VK_SHIFT, VK_CONTROL});
    ASSERT_TRUE(Flush(last));
    ASSERT_EQ(last->SelText(), "scrolls");
    Pump(100);
    const testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    EXPECT_FALSE(shot.SaveArtifact("zcl-edits").empty());
    EXPECT_GT(last->ScrollOffset(), 0);
    // The selection in the system's highlight on the screen, in the focused edit's row.
    auto at = [&](int i) { return int(LOWORD(SendMessageA(last->Handle(), EM_POSFROMCHAR, WPARAM(i), 0))); };
    const TPoint from = last->ClientToScreen(TPoint(at(last->SelStart() - 1) + 2, last->TextTop()));
    const TPoint to = last->ClientToScreen(TPoint(at(last->GetLength()), last->TextTop() + 8));
    int highlighted = 0;
    for (int y = from.y; y < to.y; ++y)
        for (int x = from.x; x < to.x; ++x) highlighted += shot.AtScreen(x, y) == zclctl::Sys(COLOR_HIGHLIGHT);
    EXPECT_GT(highlighted, (to.x - from.x) * (to.y - from.y) / 3);
}

}  // namespace
