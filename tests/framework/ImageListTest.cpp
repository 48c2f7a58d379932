#include "framework/visual/ImgList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr TColor red = TColor(0x0000FF);
constexpr TColor fuchsia = TColor(0xFF00FF);
constexpr TColor white = TColor(0xFFFFFF);

// A size x size bitmap of fuchsia with a red square from (4, 4) to (12, 12).
std::unique_ptr<TBitmap> Glyph(int size = 16, TColor square = red)
{
    auto b = std::make_unique<TBitmap>();
    b->SetSize(size, size);
    b->Canvas()->Brush()->SetColor(fuchsia);
    b->Canvas()->FillRect(TRect(0, 0, size, size));
    b->Canvas()->Brush()->SetColor(square);
    b->Canvas()->FillRect(TRect(4, 4, 12, 12));
    return b;
}

std::unique_ptr<TBitmap> Blank(int w, int h, TColor colour = white)
{
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(colour);
    b->Canvas()->FillRect(TRect(0, 0, w, h));
    return b;
}

TColor Pixel(TBitmap& b, int x, int y)
{
    return TColor(b.Canvas()->Pixels(x, y) & 0xFFFFFF);
}

TEST(ImageListTest, MaskedImagesDrawOnlyTheirOpaquePixelsAndTheSourceStaysAsItWas)
{
    TImageList list(nullptr);
    auto glyph = Glyph();
    ASSERT_EQ(list.AddMasked(glyph.get(), fuchsia), 0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(Pixel(*glyph, 0, 0), fuchsia) << "the caller's bitmap is not touched";

    auto target = Blank(40, 40, TColor(0x00FF00));
    list.Draw(target->Canvas(), 10, 20, 0);
    EXPECT_EQ(Pixel(*target, 10 + 4, 20 + 4), red);
    EXPECT_EQ(Pixel(*target, 10 + 11, 20 + 11), red);
    EXPECT_EQ(Pixel(*target, 10, 20), TColor(0x00FF00)) << "transparent";
    EXPECT_EQ(Pixel(*target, 10 + 12, 20 + 12), TColor(0x00FF00));
    EXPECT_EQ(Pixel(*target, 9, 24), TColor(0x00FF00)) << "outside";
}

TEST(ImageListTest, DisabledImagesAreTheEtchedShapeOfTheirOpaquePixels)
{
    TImageList list(nullptr);
    auto glyph = Glyph();
    list.AddMasked(glyph.get(), fuchsia);
    auto target = Blank(20, 20);
    list.Draw(target->Canvas(), 0, 0, 0, false);
    const TColor shadow = TColor(GetSysColor(COLOR_BTNSHADOW));
    const TColor highlight = TColor(GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(Pixel(*target, 4, 4), shadow);
    EXPECT_EQ(Pixel(*target, 11, 11), shadow);
    EXPECT_EQ(Pixel(*target, 12, 12), highlight) << "the highlight is one pixel down and right";
    EXPECT_EQ(Pixel(*target, 0, 0), white);
    EXPECT_EQ(Pixel(*target, 14, 14), white);
}

TEST(ImageListTest, AStripAddsOneImagePerWidthAndEachCanBeCopiedOut)
{
    TImageList list(nullptr);
    // 3 images of 16 x 16 side by side: red, lime, blue squares.
    TBitmap strip;
    strip.SetSize(48, 16);
    strip.Canvas()->Brush()->SetColor(fuchsia);
    strip.Canvas()->FillRect(TRect(0, 0, 48, 16));
    const TColor colours[] = {red, TColor(0x00FF00), TColor(0xFF0000)};
    for (int i = 0; i < 3; ++i) {
        strip.Canvas()->Brush()->SetColor(colours[i]);
        strip.Canvas()->FillRect(TRect(i * 16 + 4, 4, i * 16 + 12, 12));
    }
    EXPECT_EQ(list.AddMasked(&strip, fuchsia), 0);
    ASSERT_EQ(list.Count(), 3);

    for (int i = 0; i < 3; ++i) {
        TBitmap image;
        image.SetSize(5, 5);
        list.GetBitmap(i, &image);
        EXPECT_EQ(image.Width(), 16);
        EXPECT_EQ(image.Height(), 16);
        EXPECT_EQ(Pixel(image, 8, 8), colours[i]) << i;
        EXPECT_EQ(Pixel(image, 0, 15), white) << "transparent pixels come out white";
    }

    list.Delete(0);
    ASSERT_EQ(list.Count(), 2);
    TBitmap first;
    list.GetBitmap(0, &first);
    EXPECT_EQ(Pixel(first, 8, 8), TColor(0x00FF00));
    EXPECT_THROW(list.Delete(2), EInvalidOperation);

    TBitmap untouched;
    list.GetBitmap(7, &untouched);  // a bad index leaves the bitmap alone
    EXPECT_TRUE(untouched.Empty());
}

TEST(ImageListTest, UnmaskedImagesAndImagesWithMasks)
{
    TImageList opaque(nullptr);
    opaque.SetMasked(false);
    auto glyph = Glyph();
    opaque.Add(glyph.get(), nullptr);
    auto target = Blank(16, 16);
    opaque.Draw(target->Canvas(), 0, 0, 0);
    EXPECT_EQ(Pixel(*target, 0, 0), fuchsia);
    EXPECT_EQ(Pixel(*target, 8, 8), red);

    // With a mask: white is transparent. Only the left half shows.
    TImageList masked(nullptr);
    auto mask = Blank(16, 16, TColor(0));
    mask->Canvas()->Brush()->SetColor(white);
    mask->Canvas()->FillRect(TRect(8, 0, 16, 16));
    mask->SetMonochrome(true);
    masked.Add(glyph.get(), mask.get());
    auto target2 = Blank(16, 16);
    masked.Draw(target2->Canvas(), 0, 0, 0);
    EXPECT_EQ(Pixel(*target2, 5, 8), red);
    EXPECT_EQ(Pixel(*target2, 10, 8), white);
    EXPECT_EQ(masked.Add(nullptr, nullptr), -1);
}

TEST(ImageListTest, IconsAreAddedAtTheListsSize)
{
    TImageList list(nullptr);
    list.SetSize(32, 32);
    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
    EXPECT_EQ(list.AddIcon(&icon), 0);
    EXPECT_EQ(list.Count(), 1);
    int w = 0, h = 0;
    ImageList_GetIconSize(list.Handle(), &w, &h);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 32);
    TIcon empty;
    EXPECT_EQ(list.AddIcon(&empty), -1);
}

TEST(ImageListTest, ChangeLinksAreToldOfEveryChangeAndForgetAFreedList)
{
    auto list = std::make_unique<TImageList>(nullptr);
    std::vector<std::string> told;
    TChangeLink first, second;
    first.SetOnChange(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, list.get());
        told.push_back("first");
    }));
    second.SetOnChange(TNotifyEvent::From([&](TObject*) { told.push_back("second"); }));
    list->RegisterChanges(&first);
    list->RegisterChanges(&second);
    EXPECT_EQ(first.Sender(), list.get());

    auto glyph = Glyph();
    list->AddMasked(glyph.get(), fuchsia);
    EXPECT_EQ(told, (std::vector<std::string>{"first", "second"}));

    told.clear();
    list->UnRegisterChanges(&first);
    EXPECT_EQ(first.Sender(), nullptr);
    list->Clear();
    EXPECT_EQ(told, std::vector<std::string>{"second"});

    {
        TChangeLink shortLived;
        list->RegisterChanges(&shortLived);
    }  // leaves the list
    told.clear();
    list->SetWidth(24);  // a new size empties the list and tells
    EXPECT_EQ(told, std::vector<std::string>{"second"});

    list.reset();
    EXPECT_EQ(second.Sender(), nullptr);
}

TEST(ImageListTest, ANewSizeEmptiesTheListAndBadSizesAreRefused)
{
    TImageList list(nullptr);
    auto glyph = Glyph();
    list.AddMasked(glyph.get(), fuchsia);
    list.SetHeight(20);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Height(), 20);
    EXPECT_EQ(list.Width(), 16);
    EXPECT_THROW(list.SetWidth(0), EInvalidOperation);
    EXPECT_EQ(list.Width(), 16);
}

}  // namespace
