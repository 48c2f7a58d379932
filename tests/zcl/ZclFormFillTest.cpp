// The form fill: the owner form's background painted by an OnPaint handler (after the form's colour when asked)
// or by an image-list item tiled over the client area, the erase taken only when something painted, repaints on
// changes of the list and the options, and the list forgotten when it is freed.

#include "zcl/components/Zclback.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "framework/runtime/Handles.h"
#include "framework/visual/Forms.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"

using namespace zcltest;

namespace {

// A 24-bit picture to erase into, read back pixel by pixel.
class Surface {
public:
    Surface(int w, int h)
    {
        bitmap_.SetPixelFormat(pf24bit);
        bitmap_.SetSize(w, h);
        bitmap_.Canvas()->Brush()->SetColor(clBlack);
        bitmap_.Canvas()->FillRect(TRect(0, 0, w, h));
    }
    HDC DC() { return bitmap_.Canvas()->Handle(); }
    COLORREF At(int x, int y) { return GetPixel(DC(), x, y); }

private:
    TBitmap bitmap_;
};

std::unique_ptr<TBitmap> Quarters(int size, COLORREF a, COLORREF b)
{
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(size, size);
    bmp->Canvas()->Brush()->SetColor(TColor(a));
    bmp->Canvas()->FillRect(TRect(0, 0, size, size));
    bmp->Canvas()->Brush()->SetColor(TColor(b));
    bmp->Canvas()->FillRect(TRect(size / 2, 0, size, size / 2));
    return bmp;
}

class FormFillTest : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(60, 60, 240, 180);
        form->SetColor(TColor(RGB(0, 255, 0)));
        // What reaches the form's own erase after the hook.
        form->SetWindowProc(TWndMethod::From([this](TMessage& m) {
            if (m.Msg == WM_ERASEBKGND) ++formErases;
            form->WndProc(m);
        }));
    }
    TZCLBack* Load(const std::function<void(TZCLBack*)>& setUp = nullptr)
    {
        TComponentLoader loading(form.get());
        auto* back = loading.Create<TZCLBack>();
        if (setUp) setUp(back);
        loading.Finish();
        return back;
    }
    LRESULT Erase(Surface& s) { return SendMessageA(form->Handle(), WM_ERASEBKGND, WPARAM(s.DC()), 0); }

    std::unique_ptr<TForm> form;
    int formErases = 0;
};

TEST_F(FormFillTest, AnOwnerDrawHandlerPaintsTheWholeClientAreaAfterTheFormsColour)
{
    TRect dest;
    TZCLBack* back = Load([&](TZCLBack* b) {
        b->SetPaintMode(pcOwnerDraw);
        b->SetOnPaint(TZCLPaintEvent::From([&dest, b](TObject* sender, TCanvas* canvas, const TRect& d) {
            EXPECT_EQ(sender, b);
            dest = d;
            canvas->Brush()->SetColor(TColor(RGB(255, 0, 0)));
            canvas->FillRect(TRect(d.Width() / 2, 0, d.right, d.bottom));
        }));
    });
    Surface s(form->ClientWidth(), form->ClientHeight());
    EXPECT_EQ(Erase(s), 1);
    EXPECT_EQ(formErases, 0) << "nothing else erases";
    EXPECT_EQ(dest, TRect(0, 0, form->ClientWidth(), form->ClientHeight()));
    EXPECT_EQ(s.At(2, 2), RGB(0, 255, 0)) << "the form's colour first";
    EXPECT_EQ(s.At(form->ClientWidth() - 2, 2), RGB(255, 0, 0));

    back->SetDefaultFill(false);
    Surface bare(form->ClientWidth(), form->ClientHeight());
    EXPECT_EQ(Erase(bare), 1);
    EXPECT_EQ(bare.At(2, 2), RGB(0, 0, 0)) << "without the default fill only the handler paints";
}

TEST_F(FormFillTest, WithNothingToPaintTheFormErasesAsUsual)
{
    struct Case {
        const char* name;
        TZCLPaintMode mode;
        bool handler;
        bool enabled;
    };
    for (const Case c : {Case{"owner draw without a handler", pcOwnerDraw, false, true},
                         Case{"control without a list", pcControl, false, true},
                         Case{"none", pcNone, true, true},
                         Case{"disabled", pcOwnerDraw, true, false}}) {
        form = std::make_unique<TForm>(nullptr);
        SetUp();
        TZCLBack* back = Load([&](TZCLBack* b) {
            b->SetPaintMode(c.mode);
            if (c.handler) b->SetOnPaint(TZCLPaintEvent::From([](TObject*, TCanvas*, const TRect&) {}));
        });
        back->SetEnabled(c.enabled);
        Surface s(50, 50);
        formErases = 0;
        Erase(s);
        EXPECT_EQ(formErases, 1) << c.name;
    }
}

TEST_F(FormFillTest, AnImageListItemIsTiledOverTheClientArea)
{
    TZCLImageList images(nullptr);
    auto* strip = static_cast<TZCLImageListItem*>(images.GetItem(images.Add()));
    strip->SetWidth(16);
    strip->SetHeight(16);
    strip->Add(Quarters(16, RGB(0, 0, 255), RGB(255, 255, 0)).get(), nullptr);
    TZCLBack* back = Load([&](TZCLBack* b) {
        b->SetImageList(&images);
        b->SetImageIndex(0);
    });
    EXPECT_FALSE(back->IMLEmpty());
    Surface s(form->ClientWidth(), form->ClientHeight());
    EXPECT_EQ(Erase(s), 1);
    EXPECT_EQ(formErases, 0);
    for (int tileX : {0, 16, 48, 160})
        for (int tileY : {0, 32, 128}) {
            EXPECT_EQ(s.At(tileX + 3, tileY + 3), RGB(0, 0, 255)) << tileX << "," << tileY;
            EXPECT_EQ(s.At(tileX + 12, tileY + 3), RGB(255, 255, 0)) << tileX << "," << tileY;
            EXPECT_EQ(s.At(tileX + 12, tileY + 12), RGB(0, 0, 255)) << tileX << "," << tileY;
        }

    // An index with no image leaves the erase to the form; negative indexes are ignored.
    back->SetImageIndex(5);
    EXPECT_TRUE(back->IMLEmpty());
    back->SetImageIndex(-1);
    EXPECT_EQ(back->ImageIndex(), 5);
    formErases = 0;
    Erase(s);
    EXPECT_EQ(formErases, 1);
}

TEST_F(FormFillTest, ChangesRepaintTheFormAndAFreedListIsForgotten)
{
    auto images = std::make_unique<TZCLImageList>(nullptr);
    auto* strip = static_cast<TZCLImageListItem*>(images->GetItem(images->Add()));
    strip->Add(Quarters(16, RGB(0, 0, 255), RGB(255, 255, 0)).get(), nullptr);
    TZCLBack* back = Load([&](TZCLBack* b) {
        b->SetImageList(images.get());
        b->SetImageIndex(0);
    });
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->Handle(), nullptr, FALSE); }));

    struct Edit {
        const char* what;
        std::function<void()> change;
    };
    const Edit edits[] = {
        {"an image added", [&] { strip->Add(Quarters(16, RGB(9, 9, 9), RGB(1, 1, 1)).get(), nullptr); }},
        {"the index", [&] { back->SetImageIndex(1); }},
        {"the paint mode", [&] { back->SetPaintMode(pcControl); }},
        {"a size change", [&] { form->SetBounds(60, 60, 260, 190); }},
    };
    for (const Edit& e : edits) {
        ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->Handle(), nullptr, FALSE); }));
        e.change();
        EXPECT_TRUE(GetUpdateRect(form->Handle(), nullptr, FALSE)) << e.what << " leaves the form to repaint";
        EXPECT_TRUE(back->NeedsRepaint()) << e.what;
    }
    images.reset();
    EXPECT_EQ(back->ImageList(), nullptr);
    Surface s(20, 20);
    formErases = 0;
    Erase(s);
    EXPECT_EQ(formErases, 1);
}

TEST(FormFillDesign, ASecondFillOnAFormBeingDesignedIsRefused)
{
    TForm form(nullptr);
    form.SetDesigning(true);
    new TZCLBack(&form);
    EXPECT_THROW(new TZCLBack(&form), ZCLEOneInstError);
    EXPECT_EQ(form.ComponentCount(), 1);
}

}  // namespace
