// Image strips and the image lists: growth and limits, adding, inserting, replacing, moving and deleting with
// their masks, drawing checked at chosen pixels, stored strips, and the lists over bitmaps, strips, framework
// image lists and pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StoreTestHelpers.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "framework/visual/ImgList.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/containers/Zclstreamutils.h"
#include "zcl/core/Zclprocs.h"

using namespace storetest;

namespace {

constexpr std::uint32_t Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, White = 0xFFFFFF, Black = 0,
                        Yellow = 0x00FFFF, Aqua = 0xFFFF00, Gray = 0x808080;

// Images side by side, one colour each.
std::unique_ptr<TBitmap> Strip(int w, int h, std::initializer_list<std::uint32_t> colors)
{
    auto b = Solid(w * int(colors.size()), h, White);
    int x = 0;
    for (std::uint32_t c : colors) {
        b->Canvas()->Brush()->SetColor(TColor(c));
        b->Canvas()->FillRect(TRect(x, 0, x + w, h));
        x += w;
    }
    return b;
}

// A monochrome mask: white (transparent) everywhere but a black (opaque) square in the middle of each image.
std::unique_ptr<TBitmap> CentreMask(int w, int h, int images = 1)
{
    auto m = std::make_unique<TBitmap>();
    m->SetMonochrome(true);
    m->SetSize(w * images, h);
    TCanvas* c = m->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, w * images, h));
    c->Brush()->SetColor(clBlack);
    for (int i = 0; i < images; ++i) c->FillRect(TRect(i * w + w / 4, h / 4, i * w + 3 * w / 4, 3 * h / 4));
    return m;
}

// The colour at the middle of each image of the item.
std::vector<std::uint32_t> Colours(TZCLImageListItem& item)
{
    std::vector<std::uint32_t> out;
    for (int i = 0; i < item.Count(); ++i)
        out.push_back(Px(item.ImageStrip(), item.Info()[std::size_t(i)].X + item.Width() / 2, item.Height() / 2));
    return out;
}

void ExpectUniformLayout(TZCLImageListItem& item)
{
    for (int i = 0; i < item.Count(); ++i) EXPECT_EQ(item.Info()[std::size_t(i)].X, i * item.Width()) << i;
    EXPECT_EQ(item.UsedWidth(), item.Count() * item.Width());
    EXPECT_GE(item.ImageStrip()->Width(), item.UsedWidth());
}

}  // namespace

TEST(ImageStrips, GrowByAllocStepsUpToTheLimit)
{
    TZCLImageListItem item(nullptr);
    EXPECT_EQ(item.Width(), 16);
    EXPECT_EQ(item.Height(), 16);
    EXPECT_EQ(item.AllocBy(), 4);
    auto img = Solid(16, 16, Red);
    item.Add(img.get(), nullptr);
    EXPECT_EQ(item.ImageStrip()->Width(), 64);
    for (int i = 0; i < 3; ++i) item.Add(img.get(), nullptr);
    EXPECT_EQ(item.ImageStrip()->Width(), 64);
    item.Add(img.get(), nullptr);
    EXPECT_EQ(item.ImageStrip()->Width(), 128);

    // 2048 images of 16 pixels fill the 32768 pixels; the next one is refused and nothing changes.
    while (item.Count() < 2048) item.PrepareSpace();
    EXPECT_EQ(item.ImageStrip()->Width(), 32768);
    try {
        item.Add(img.get(), nullptr);
        ADD_FAILURE() << "added";
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Message(), "Too many images");
    }
    EXPECT_THROW(item.PrepareSpace(), EInvalidGraphicOperation);
    EXPECT_EQ(item.Count(), 2048);
    EXPECT_EQ(item.UsedWidth(), 32768);
    // Deleting from the full strip makes no room beyond the limit.
    item.Delete(0);
    EXPECT_EQ(item.ImageStrip()->Width(), 32768);
    EXPECT_EQ(item.Count(), 2047);
    ExpectUniformLayout(item);

    // A step that would pass the limit stops at it while an image still fits; AllocBy 0 still grows.
    TZCLImageListItem odd(nullptr, 24, 8);
    odd.SetAllocBy(0);
    auto small = Solid(24, 8, Blue);
    odd.Add(small.get(), nullptr);
    EXPECT_EQ(odd.ImageStrip()->Width(), 24);
    odd.SetAllocBy(4);
    while (odd.Count() < 32768 / 24) odd.PrepareSpace();
    EXPECT_EQ(odd.Count(), 1365);
    EXPECT_LE(odd.ImageStrip()->Width(), 32768);
    EXPECT_THROW(odd.PrepareSpace(), EInvalidGraphicOperation);
}

TEST(ImageStrips, ImageSizes)
{
    TZCLImageListItem item(nullptr);
    EXPECT_FALSE(item.CheckImage(nullptr));
    EXPECT_TRUE(item.CheckImage(Solid(48, 16, Red).get()));
    TBitmap empty;
    empty.SetSize(0, 16);
    EXPECT_THROW(item.CheckImage(&empty), EInvalidGraphicOperation);
    for (auto [w, h] : {std::pair{40, 16}, std::pair{16, 15}, std::pair{8, 16}}) {
        try {
            item.CheckImage(Solid(w, h, Red).get());
            ADD_FAILURE() << w << "x" << h;
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message(), "Invalid image size");
        }
    }
    EXPECT_THROW(TZCLImageListItem(nullptr, 0, 16), EInvalidGraphicOperation);
    EXPECT_THROW(TZCLImageListItem(nullptr, 16, -1), EInvalidGraphicOperation);
    EXPECT_EQ(item.Add(nullptr, nullptr), 0) << "room only";
    EXPECT_EQ(item.Count(), 1);
    item.SetWidth(0);
    EXPECT_EQ(item.Width(), 16);
    EXPECT_EQ(item.Count(), 1);
    item.SetWidth(20);
    EXPECT_EQ(item.Count(), 0) << "a new size empties the item";
}

TEST(ImageStrips, AddInsertReplaceDeleteAndMoveKeepOrderAndLayout)
{
    TZCLImageListItem item(nullptr, 10, 6);
    // A strip of three adds three images.
    EXPECT_EQ(item.Add(Strip(10, 6, {Red, Green, Blue}).get(), nullptr), 0);
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Red, Green, Blue}));
    item.Insert(1, Solid(10, 6, Yellow).get(), nullptr);
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Red, Yellow, Green, Blue}));
    ExpectUniformLayout(item);
    item.Insert(0, Strip(10, 6, {Aqua, Gray}).get(), nullptr);
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Aqua, Gray, Red, Yellow, Green, Blue}));
    item.Insert(99, Solid(10, 6, Black).get(), nullptr);
    EXPECT_EQ(Colours(item).back(), Black);
    item.Delete(0);
    item.Delete(item.Count() - 1);
    item.Delete(99);
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Gray, Red, Yellow, Green, Blue}));
    ExpectUniformLayout(item);
    item.Move(0, 3);
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Red, Yellow, Green, Gray, Blue}));
    item.Move(4, 0);
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Blue, Red, Yellow, Green, Gray}));
    item.Replace(2, Strip(10, 6, {Aqua, White}).get(), nullptr);
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Blue, Red, Aqua, Green, Gray}));
    item.Replace(7, Solid(10, 6, Black).get(), nullptr);
    EXPECT_EQ(item.Count(), 5);
    ExpectUniformLayout(item);

    TBitmap out;
    item.GetBitmap(1, &out);
    EXPECT_EQ(out.Width(), 10);
    EXPECT_EQ(out.Height(), 6);
    EXPECT_EQ(Px(&out, 9, 5), Red);
    EXPECT_EQ(item.GetImageRect(3), TRect(30, 0, 40, 6));

    // The transparent colour is the image's bottom-left pixel; points are counted in the image.
    auto spotted = Solid(10, 6, Green);
    spotted->Canvas()->SetPixels(0, 5, TColor(Yellow));
    spotted->Canvas()->SetPixels(3, 2, TColor(Aqua));
    item.Replace(0, spotted.get(), nullptr);
    EXPECT_EQ(std::uint32_t(item.TransparentColor(0)), Yellow);
    EXPECT_EQ(std::uint32_t(item.TransparentColor(1)), Red);
    EXPECT_EQ(std::uint32_t(item.TransparentColor(9)), White);
    EXPECT_EQ(std::uint32_t(item.GetColorAtPoint(TPoint(3, 2), 0)), Aqua);
    EXPECT_EQ(std::uint32_t(item.GetColorAtPoint(TPoint(10, 2), 0)), White);
}

TEST(ImageStrips, MasksFollowTheImages)
{
    TZCLImageListItem item(nullptr, 8, 8);
    item.Add(Strip(8, 8, {Red, Green}).get(), nullptr);
    item.SetMasked(true);
    EXPECT_TRUE(item.MaskStrip()->Monochrome());
    EXPECT_EQ(item.MaskStrip()->Width(), item.ImageStrip()->Width());
    EXPECT_EQ(item.MaskStrip()->Height(), 8);
    for (const auto& e : item.Info()) EXPECT_EQ(e.Masked, 1);
    // Switched on, every image is opaque: its mask is black.
    EXPECT_EQ(Px(item.MaskStrip(), 1, 1), Black);

    item.Replace(1, Solid(8, 8, Blue).get(), CentreMask(8, 8).get());
    EXPECT_EQ(Px(item.MaskStrip(), 8 + 0, 0), White);
    EXPECT_EQ(Px(item.MaskStrip(), 8 + 4, 4), Black);
    item.Insert(0, Solid(8, 8, Yellow).get(), CentreMask(8, 8).get());
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Yellow, Red, Blue}));
    EXPECT_EQ(Px(item.MaskStrip(), 0, 0), White);
    EXPECT_EQ(Px(item.MaskStrip(), 8, 0), Black);   // Red's mask moved along
    EXPECT_EQ(Px(item.MaskStrip(), 16, 0), White);  // Blue's too
    item.Delete(0);
    EXPECT_EQ(Px(item.MaskStrip(), 0, 0), Black);
    EXPECT_EQ(Px(item.MaskStrip(), 8, 0), White);
    // A masked image without a mask is opaque.
    item.Replace(1, Solid(8, 8, Gray).get(), nullptr);
    EXPECT_EQ(Px(item.MaskStrip(), 8, 0), Black);
    TBitmap mask;
    item.GetMaskBitmap(0, &mask);
    EXPECT_TRUE(mask.Monochrome());
    EXPECT_EQ(mask.Width(), 8);

    item.SetMasked(false);
    EXPECT_EQ(item.MaskStrip()->Width(), 0);
    for (const auto& e : item.Info()) EXPECT_EQ(e.Masked, 0);
    TBitmap none;
    item.GetMaskBitmap(0, &none);
    EXPECT_TRUE(none.Empty());
}

TEST(ImageStrips, ImagesOfAnotherItem)
{
    TZCLImageListItem a(nullptr, 6, 6), b(nullptr, 6, 6);
    a.Add(Strip(6, 6, {Red, Green}).get(), nullptr);
    b.Add(Strip(6, 6, {Blue, Yellow, Aqua}).get(), nullptr);
    a.InsertImages(1, &b);
    EXPECT_EQ(Colours(a), (std::vector<std::uint32_t>{Red, Blue, Yellow, Aqua, Green}));
    a.AddImages(&b);
    EXPECT_EQ(Colours(a).size(), 8u);
    EXPECT_EQ(Colours(a).back(), Aqua);
    ExpectUniformLayout(a);
    TZCLImageListItem other(nullptr, 7, 6);
    EXPECT_THROW(a.AddImages(&other), EInvalidGraphicOperation);
    EXPECT_THROW(a.InsertImages(0, &other), EInvalidGraphicOperation);

    // Masked into masked: the masks come along.
    TZCLImageListItem m(nullptr, 6, 6), n(nullptr, 6, 6);
    m.SetMasked(true);
    n.SetMasked(true);
    n.Add(Solid(6, 6, Blue).get(), CentreMask(6, 6).get());
    m.Add(Solid(6, 6, Red).get(), nullptr);
    m.InsertImages(0, &n);
    EXPECT_EQ(Colours(m), (std::vector<std::uint32_t>{Blue, Red}));
    EXPECT_EQ(Px(m.MaskStrip(), 0, 0), White);
    EXPECT_EQ(Px(m.MaskStrip(), 6, 0), Black);
}

// An item's own images inserted into it: the images as they were before the first one went in.
TEST(ImageStrips, ImagesOfTheItemItself)
{
    struct Case {
        int at;  // -1: added at the end
        std::vector<std::uint32_t> expected;
        // clang-format off
    } const cases[] = {
        {0, {Red, Green, Red, Green}},
        {1, {Red, Red, Green, Green}},
        {2, {Red, Green, Red, Green}},
        {-1, {Red, Green, Red, Green}},
    };
    // clang-format on
    for (bool masked : {false, true}) {
        for (const Case& k : cases) {
            SCOPED_TRACE(std::string(masked ? "masked, at " : "at ") + std::to_string(k.at));
            TZCLImageListItem item(nullptr, 8, 8);
            item.SetMasked(masked);
            item.Add(Solid(8, 8, Red).get(), masked ? CentreMask(8, 8).get() : nullptr);
            item.Add(Solid(8, 8, Green).get(), nullptr);
            if (k.at < 0) item.AddImages(&item);
            else item.InsertImages(k.at, &item);
            EXPECT_EQ(Colours(item), k.expected);
            ExpectUniformLayout(item);
            if (!masked) continue;
            // Red's mask is the centre square, Green's all opaque: each copy keeps its own.
            for (int i = 0; i < item.Count(); ++i)
                EXPECT_EQ(Px(item.MaskStrip(), i * 8, 0), k.expected[std::size_t(i)] == Red ? White : Black) << i;
        }
    }
}

TEST(ImageStrips, ChangesReachTheListAndItsLinks)
{
    TZCLImageList list(nullptr);
    auto* item = static_cast<TZCLImageListItem*>(list.GetItem(list.Add()));
    int changes = 0;
    TZCLChangeLink link;
    link.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    list.RegisterChanges(&link);
    const struct {
        const char* what;
        std::function<void()> edit;
    } edits[] = {
        {"add", [&] { item->Add(Solid(16, 16, Red).get(), nullptr); }},
        {"add a strip", [&] { item->Add(Strip(16, 16, {Red, Green, Blue}).get(), nullptr); }},
        {"replace", [&] { item->Replace(0, Solid(16, 16, Blue).get(), nullptr); }},
        {"insert", [&] { item->Insert(0, Solid(16, 16, Green).get(), nullptr); }},
        {"delete", [&] { item->Delete(0); }},
        {"move", [&] { item->Move(0, 1); }},
        {"masked", [&] { item->SetMasked(true); }},
        {"width", [&] { item->SetWidth(8); }},
    };
    for (const auto& e : edits) {
        changes = 0;
        e.edit();
        EXPECT_GE(changes, 1) << e.what;
    }
}

TEST(ImageStrips, DrawPlainMaskedAndPatterned)
{
    TZCLImageListItem item(nullptr, 8, 8);
    item.Add(Solid(8, 8, Blue).get(), nullptr);
    auto canvas = Solid(20, 12, Red);
    item.Draw(canvas->Canvas(), 2, 1, 0);
    EXPECT_EQ(Px(canvas.get(), 2, 1), Blue);
    EXPECT_EQ(Px(canvas.get(), 9, 8), Blue);
    EXPECT_EQ(Px(canvas.get(), 10, 8), Red);
    EXPECT_EQ(Px(canvas.get(), 1, 1), Red);

    // Masked: the image is black where its mask is white, so the AND and OR leave the background there.
    TZCLImageListItem masked(nullptr, 8, 8);
    masked.SetMasked(true);
    auto image = Solid(8, 8, Black);
    image->Canvas()->Brush()->SetColor(TColor(Blue));
    image->Canvas()->FillRect(TRect(2, 2, 6, 6));
    masked.Add(image.get(), CentreMask(8, 8).get());
    const struct {
        const char* what;
        TZCLDrawingStyle style;
        TColor bk;
        TColor pattern;
        std::uint32_t corner;  // (0, 0) of the image: transparent part
        std::uint32_t inner;   // (3, 3): the image's square, x + y even
        std::uint32_t odd;     // (3, 2): x + y odd
    } cases[] = {
        {"transparent", dsTransparent, clNone, clNone, Red, Blue, Blue},
        {"normal", dsNormal, clNone, clNone, Red, Blue, Blue},
        {"normal on a colour", dsNormal, TColor(Green), clNone, Green, Blue, Blue},
        {"selected", dsSelected, clNone, TColor(Yellow), Red, Blue, Yellow},
        {"focus", dsFocus, clNone, TColor(Yellow), Yellow, Blue, Yellow},
    };
    for (const auto& c : cases) {
        masked.SetDrawingStyle(c.style);
        masked.SetBkColor(c.bk);
        masked.SetPatternColor(c.pattern);
        auto back = Solid(20, 12, Red);
        masked.Draw(back->Canvas(), 4, 2, 0);
        EXPECT_EQ(Px(back.get(), 4 + 0, 2 + 0), c.corner) << c.what;
        EXPECT_EQ(Px(back.get(), 4 + 3, 2 + 3), c.inner) << c.what;
        EXPECT_EQ(Px(back.get(), 4 + 3, 2 + 2), c.odd) << c.what;
        EXPECT_EQ(Px(back.get(), 3, 2), Red) << c.what;
        EXPECT_EQ(Px(back.get(), 12, 10), Red) << c.what;
    }
    // The focus pattern leaves the pixels with both coordinates odd alone.
    masked.SetDrawingStyle(dsFocus);
    auto back = Solid(20, 12, Red);
    masked.Draw(back->Canvas(), 4, 2, 0);
    EXPECT_EQ(Px(back.get(), 4 + 1, 2 + 1), Red);
    EXPECT_EQ(Px(back.get(), 4 + 3, 2 + 3), Blue);
    masked.SetDrawUnmasked(true);
    masked.Draw(back->Canvas(), 4, 2, 0);
    EXPECT_EQ(Px(back.get(), 4, 2), Black);
}

// Stored strips ------------------------------------------------------------------------------------------------

TEST(ImageStripStreams, RecordLayoutAndRoundTrips)
{
    TZCLImageListItem empty(nullptr);
    EXPECT_EQ(Written([&](TStream* s) { empty.SaveToStream(s); }),
              Concat({{0x00}, Le32(16), Le32(16), Le32(4), {0}, Le32(0)}));

    for (bool masked : {false, true})
        for (bool compressed : {false, true})
            for (TZCLSavePixelFormat f : {spfDefault, spf4bit}) {
                TZCLImageListItem item(nullptr, 12, 9);
                item.SetAllocBy(3);
                item.SetMasked(masked);
                item.SetCompressed(compressed);
                item.SetPixelFormat(f);
                item.SetDescription("glyphs");
                item.Add(Strip(12, 9, {Red, Green, Blue, Yellow}).get(), masked ? CentreMask(12, 9, 4).get() : nullptr);
                const Bytes rec = Written([&](TStream* s) { item.SaveToStream(s); });
                EXPECT_EQ(rec[0], std::uint8_t((compressed ? 1 : 0) | 2 | (f == spf4bit ? 0x20 : 0)));
                const std::size_t at = 1 + 1 + 6;
                EXPECT_EQ(I32At(rec, at), 9);
                EXPECT_EQ(I32At(rec, at + 4), 12);
                EXPECT_EQ(I32At(rec, at + 8), 3);
                EXPECT_EQ(rec[at + 12], masked ? 1 : 0);
                EXPECT_EQ(I32At(rec, at + 13), 4);
                if (!compressed) {
                    // The strip is stored trimmed to the images, though the item keeps its spare room.
                    EXPECT_EQ(I32At(rec, at + 17 + 4 + 18), 48);
                    EXPECT_EQ(U16At(rec, at + 17 + 4 + 28), f == spf4bit ? 4 : 24);
                    EXPECT_GT(item.ImageStrip()->Width(), 48);
                }
                TZCLImageListItem back(nullptr);
                back.Add(Solid(16, 16, Gray).get(), nullptr);
                GuardedStream s(rec);
                back.LoadFromStream(&s);
                EXPECT_EQ(s.Position(), s.Size());
                EXPECT_EQ(back.Description(), "glyphs");
                EXPECT_EQ(back.Width(), 12);
                EXPECT_EQ(back.Height(), 9);
                EXPECT_EQ(back.AllocBy(), 3);
                EXPECT_EQ(back.Masked(), masked);
                EXPECT_EQ(back.PixelFormat(), f);
                EXPECT_EQ(Colours(back), (std::vector<std::uint32_t>{Red, Green, Blue, Yellow}));
                ExpectUniformLayout(back);
                if (masked) {
                    EXPECT_EQ(Px(back.MaskStrip(), 12 * 3, 0), White);
                    EXPECT_EQ(Px(back.MaskStrip(), 12 * 3 + 6, 4), Black);
                }
                EXPECT_EQ(Written([&](TStream* st) { back.SaveToStream(st); }), rec) << "byte-exact again";
            }
}

TEST(ImageStripStreams, SingleItemFilesAndLists)
{
    TZCLImageListItem item(nullptr, 4, 4);
    item.Add(Strip(4, 4, {Red, Blue}).get(), nullptr);
    TempFile f("zim");
    item.SaveToFile(AnsiString(f.name()));
    const Bytes file = f.Read();
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 17), Concat({{8}, Text("ZCLIML30"), Le32(1), Le32(17)}));
    EXPECT_EQ(Bytes(file.begin() + 17, file.end()), Written([&](TStream* s) { item.SaveToStream(s); }));
    TZCLImageListItem back(nullptr);
    back.LoadFromFile(AnsiString(f.name()));
    EXPECT_EQ(Colours(back), (std::vector<std::uint32_t>{Red, Blue}));
    // It is a one-item image list file as well.
    TZCLImageList list(nullptr);
    list.LoadFromFile(AnsiString(f.name()));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.ItemCount(0), 2);
    TZCLImageListItem one(nullptr);
    EXPECT_TRUE(ZCLIMLGetItem(AnsiString(f.name()), 0, &one));
    EXPECT_EQ(one.Count(), 2);

    TZCLBitmapList bitmaps(nullptr);
    bitmaps.SaveToFile(AnsiString(f.name()));
    try {
        back.LoadFromFile(AnsiString(f.name()));
        ADD_FAILURE() << "loaded";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), AnsiString("Cannot open file " + f.name() + ": TZCLImageListItem"));
    }
    EXPECT_EQ(back.Count(), 2);
}

TEST(ImageStripStreams, DamagedRecordsAreRefusedAndTheItemKept)
{
    for (bool masked : {false, true}) {
        TZCLImageListItem item(nullptr, 5, 4);
        item.SetMasked(masked);
        item.Add(Strip(5, 4, {Red, Green, Blue}).get(), masked ? CentreMask(5, 4, 3).get() : nullptr);
        const Bytes good = Written([&](TStream* s) { item.SaveToStream(s); });
        for (const auto& bad : {
                 Concat({{0}, Le32(0), Le32(5), Le32(4), {0}, Le32(0)}),       // height 0
                 Concat({{0}, Le32(4), Le32(-5), Le32(4), {0}, Le32(0)}),      // negative width
                 Concat({{0}, Le32(4), Le32(5), Le32(4), {0}, Le32(-1)}),      // negative count
                 Concat({{0}, Le32(4), Le32(5), Le32(4), {0}, Le32(100000)}),  // past the limit
             }) {
            TZCLImageListItem back(nullptr, 3, 3);
            back.Add(Solid(3, 3, Gray).get(), nullptr);
            GuardedStream s(bad);
            EXPECT_THROW(back.LoadFromStream(&s), EReadError);
            EXPECT_EQ(back.Count(), 1);
            EXPECT_EQ(back.Width(), 3);
        }
        // More images than the stored strip holds.
        Bytes more = good;
        more[1 + 12 + 1] = 9;
        TZCLImageListItem back(nullptr);
        GuardedStream s(more);
        EXPECT_THROW(back.LoadFromStream(&s), EReadError);

        ReadEachDamaged(Damaged(good, 31 + masked, 800, 150), [](TStream* st) {
            TZCLImageListItem r(nullptr, 3, 3);
            r.Add(Solid(3, 3, Gray).get(), nullptr);
            try {
                r.LoadFromStream(st);
            } catch (const Exception&) {
                EXPECT_EQ(r.Count(), 1);
                EXPECT_EQ(r.Width(), 3);
                throw;
            }
            // What was read is consistent.
            EXPECT_GE(r.ImageStrip()->Width(), r.Count() * r.Width());
            EXPECT_EQ(r.ImageStrip()->Height() == r.Height() || r.Count() == 0, true);
        });
    }
}

// Image lists --------------------------------------------------------------------------------------------------

TEST(ImageLists, BitmapListAnswersForItsBitmaps)
{
    TZCLBitmapList list(nullptr);
    auto* item = static_cast<TZCLBitmapListItem*>(list.GetItem(list.Add()));
    item->SetBitmap(Solid(7, 5, Green).get());
    list.Add();  // empty
    for (int itemIndex : {0, 5, -3}) {
        EXPECT_EQ(list.ItemCount(0), 1);
        EXPECT_TRUE(list.IsValidItem(0, itemIndex));
        EXPECT_EQ(list.ItemRect(0, itemIndex), TRect(0, 0, 7, 5));
    }
    EXPECT_FALSE(list.Masked(0));
    EXPECT_EQ(list.Dimensions(0, 0), 7);
    EXPECT_EQ(list.Dimensions(0, 1), 5);
    EXPECT_EQ(list.ItemCount(1), 0);
    EXPECT_FALSE(list.IsValidItem(1, 0));
    for (int out : {2, -1, 100}) {
        EXPECT_EQ(list.Dimensions(out, 0), 0) << out;
        EXPECT_EQ(list.ItemCount(out), 0);
        EXPECT_EQ(std::uint32_t(list.TransparentColor(out, 0)), White);
        EXPECT_EQ(std::uint32_t(list.GetColorAtPoint(TPoint(0, 0), out, 0)), White);
        EXPECT_EQ(list.Palette(out), nullptr);
        EXPECT_EQ(list.BmpCanvas(out), nullptr);
    }
    EXPECT_EQ(std::uint32_t(list.TransparentColor(0, 0)), Green);
    TBitmap copy;
    list.GetBitmapItem(0, 0, &copy);
    EXPECT_EQ(Px(&copy, 6, 4), Green);
    list.GetBitmapItem(0, 0, nullptr);
    auto canvas = Solid(10, 10, Red);
    list.Draw(canvas->Canvas(), 1, 1, 0, 0);
    EXPECT_EQ(Px(canvas.get(), 1, 1), Green);
    EXPECT_EQ(Px(canvas.get(), 8, 1), Red);
}

TEST(ImageLists, ListIndexIsCheckedAtBothEnds)
{
    TZCLImageList list(nullptr);
    list.Add();
    list.Add();
    list.SetListIndex(1);
    EXPECT_EQ(list.ListIndex(), 1);
    for (int bad : {2, -1}) {
        try {
            list.SetListIndex(bad);
            ADD_FAILURE() << bad;
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message(), AnsiString("List index out of bounds (" + std::to_string(bad) + ")"));
        }
    }
    EXPECT_EQ(list.ListIndex(), 1);
    TZCLImageList copy(nullptr);
    copy.Add();
    copy.Add();
    copy.Add();
    copy.SetListIndex(2);
    list.SetDefaultPixelFormat(spf8bit);
    copy.Assign(&list);
    EXPECT_EQ(copy.ListIndex(), 0);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.DefaultPixelFormat(), spf8bit);
}

TEST(ImageLists, StripListAnswersPerImage)
{
    TZCLImageList list(nullptr);
    auto* item = static_cast<TZCLImageListItem*>(list.GetItem(list.Add()));
    item->SetWidth(6);
    item->SetHeight(4);
    item->Add(Strip(6, 4, {Red, Blue}).get(), nullptr);
    EXPECT_EQ(list.ItemCount(0), 2);
    EXPECT_EQ(list.ItemCount(1), -1);
    EXPECT_EQ(list.ItemCount(-1), -1);
    EXPECT_TRUE(list.IsValidItem(0, 1));
    EXPECT_FALSE(list.IsValidItem(0, 2));
    EXPECT_FALSE(list.IsValidItem(0, -1));
    EXPECT_EQ(list.ItemRect(0, 1), TRect(6, 0, 12, 4));
    EXPECT_EQ(list.Dimensions(0, 0), 6);
    EXPECT_EQ(list.Dimensions(0, 1), 4);
    EXPECT_EQ(list.Dimensions(3, 1), 0);
    EXPECT_EQ(std::uint32_t(list.TransparentColor(0, 1)), Blue);
    EXPECT_EQ(std::uint32_t(list.TransparentColor(4, 1)), White);
    EXPECT_EQ(std::uint32_t(list.GetColorAtPoint(TPoint(1, 1), 0, 0)), Red);
    EXPECT_EQ(list.BmpCanvas(0), item->ImageStrip()->Canvas());
    EXPECT_FALSE(list.Masked(0));
    TBitmap copy;
    list.GetBitmapItem(0, 1, &copy);
    EXPECT_EQ(Px(&copy, 0, 0), Blue);
    auto canvas = Solid(10, 10, Green);
    list.Draw(canvas->Canvas(), 2, 2, 0, 1);
    EXPECT_EQ(Px(canvas.get(), 2, 2), Blue);
    EXPECT_EQ(Px(canvas.get(), 8, 2), Green);
}

TEST(ImageLists, ConnectorFollowsItsFrameworkLists)
{
    TComponent owner(nullptr);
    auto* fw = new TImageList(&owner);
    fw->SetName("Glyphs");
    fw->SetSize(8, 8);
    fw->Add(Strip(8, 8, {Red, Blue}).get(), nullptr);
    TZCLImageListConnector connector(nullptr);
    int changes = 0;
    connector.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    auto* entry = static_cast<TZCLBorImageListItem*>(connector.ImageLists()->Add());
    entry->SetImageList(fw);
    EXPECT_GE(changes, 1);
    EXPECT_EQ(entry->DisplayName(), "Glyphs");
    entry->SetName("named");
    EXPECT_EQ(entry->DisplayName(), "named");
    EXPECT_EQ(connector.Count(), 1);
    EXPECT_EQ(connector.GetItem(0)->Description(), "named");
    EXPECT_EQ(connector.ItemCount(0), 2);
    EXPECT_EQ(connector.ItemCount(1), -1);
    EXPECT_TRUE(connector.IsValidItem(0, 1));
    EXPECT_FALSE(connector.IsValidItem(0, 2));
    EXPECT_EQ(connector.ItemRect(0, 0), TRect(0, 0, 8, 8));
    EXPECT_TRUE(connector.Masked(0));
    TBitmap copy;
    connector.GetBitmapItem(0, 1, &copy);
    EXPECT_EQ(Px(&copy, 4, 4), Blue);
    auto canvas = Solid(12, 12, Green);
    connector.Draw(canvas->Canvas(), 2, 2, 0, 0);
    EXPECT_EQ(Px(canvas.get(), 5, 5), Red);
    EXPECT_EQ(Px(canvas.get(), 11, 11), Green);
    EXPECT_THROW(connector.GetItem(1), EListError);

    changes = 0;
    fw->Add(Solid(8, 8, Yellow).get(), nullptr);
    EXPECT_GE(changes, 1) << "a change of the framework list";
    changes = 0;
    delete fw;
    EXPECT_EQ(entry->ImageList(), nullptr);
    EXPECT_GE(changes, 1);
    EXPECT_EQ(connector.ItemCount(0), 0);
    EXPECT_FALSE(connector.IsValidItem(0, 0));
}

TEST(ImageLists, GraphicListOfPictures)
{
    TZCLGraphicList list(nullptr);
    int changes = 0;
    list.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    auto* bitmapItem = static_cast<TZCLGraphicListItem*>(list.Graphics()->Add());
    bitmapItem->Picture()->SetBitmap(Solid(6, 3, Aqua).get());
    EXPECT_GE(changes, 1);
    auto* icon = static_cast<TZCLGraphicListItem*>(list.Graphics()->Add());
    icon->Picture()->Icon()->SetHandle(CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512))));
    list.Graphics()->Add();  // no picture
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.ItemCount(0), 1);
    EXPECT_TRUE(list.IsValidItem(1, 0));
    EXPECT_FALSE(list.IsValidItem(2, 0));
    EXPECT_EQ(list.ItemCount(2), 0);
    EXPECT_EQ(list.Dimensions(0, 0), 6);
    EXPECT_EQ(list.Dimensions(2, 0), 0);
    EXPECT_EQ(list.ItemRect(0, 0), TRect(0, 0, 6, 3));
    EXPECT_EQ(list.ItemRect(2, 0), TRect(0, 0, 0, 0));
    EXPECT_EQ(std::uint32_t(list.TransparentColor(0, 0)), Aqua);
    EXPECT_EQ(list.TransparentColor(2, 0), clNone);
    TBitmap fromIcon;
    list.GetBitmapItem(1, 0, &fromIcon);
    EXPECT_EQ(fromIcon.Width(), list.Dimensions(1, 0));
    EXPECT_FALSE(fromIcon.Empty());
    auto canvas = Solid(10, 10, Red);
    list.Draw(canvas->Canvas(), 1, 1, 0, 0);
    EXPECT_EQ(Px(canvas.get(), 1, 1), Aqua);
    bitmapItem->SetName("first");
    EXPECT_EQ(list.GetItem(0)->Description(), "first");
    EXPECT_EQ(bitmapItem->DisplayName(), "first");
}

// Masks made from a transparent colour, and drawing by the flag word -------------------------------------------

namespace {

// Green background (also the bottom-left pixel) with a blue square in the middle of each image.
std::unique_ptr<TBitmap> Keyed(int w, int h, int images = 1)
{
    auto b = Solid(w * images, h, Green);
    b->Canvas()->Brush()->SetColor(TColor(Blue));
    for (int i = 0; i < images; ++i) b->Canvas()->FillRect(TRect(i * w + w / 4, h / 4, i * w + 3 * w / 4, 3 * h / 4));
    return b;
}

}  // namespace

TEST(ImageStripMasks, MasksFromATransparentColour)
{
    TZCLImageListItem item(nullptr, 8, 8);
    item.SetMasked(true);
    EXPECT_EQ(item.AddMasked(Keyed(8, 8, 2).get(), TColor(Green)), 0);
    EXPECT_EQ(item.Count(), 2);
    EXPECT_EQ(item.AddMasked(nullptr, TColor(Green)), -1);
    // Transparent where green: white mask and black image; opaque in the square.
    EXPECT_EQ(Px(item.MaskStrip(), 8, 0), White);
    EXPECT_EQ(Px(item.MaskStrip(), 8 + 4, 4), Black);
    EXPECT_EQ(Px(item.ImageStrip(), 8, 0), Black);
    EXPECT_EQ(Px(item.ImageStrip(), 8 + 4, 4), Blue);

    item.InsertMasked(0, Solid(8, 8, Yellow).get(), TColor(Red));  // nothing of it is transparent
    EXPECT_EQ(Px(item.MaskStrip(), 0, 0), Black);
    EXPECT_EQ(Px(item.MaskStrip(), 8, 0), White);
    item.ReplaceMasked(0, Keyed(8, 8).get(), TColor(Green));
    EXPECT_EQ(Px(item.MaskStrip(), 0, 0), White);
    auto canvas = Solid(12, 12, Red);
    item.Draw(canvas->Canvas(), 2, 2, 0);
    EXPECT_EQ(Px(canvas.get(), 2, 2), Red);
    EXPECT_EQ(Px(canvas.get(), 2 + 4, 2 + 4), Blue);

    // An unmasked item takes the bitmap as it is.
    TZCLImageListItem plain(nullptr, 8, 8);
    plain.AddMasked(Keyed(8, 8).get(), TColor(Green));
    EXPECT_EQ(Px(plain.ImageStrip(), 0, 0), Green);
    plain.ReplaceMasked(0, Solid(8, 8, Aqua).get(), TColor(Aqua));
    EXPECT_EQ(Px(plain.ImageStrip(), 0, 0), Aqua);

    // Images of an unmasked item into a masked one get masks from their own transparent colour.
    TZCLImageListItem from(nullptr, 8, 8);
    from.Add(Keyed(8, 8).get(), nullptr);
    item.InsertImages(1, &from);
    EXPECT_EQ(item.Count(), 4);
    EXPECT_EQ(Px(item.MaskStrip(), 8, 0), White);
    EXPECT_EQ(Px(item.MaskStrip(), 8 + 4, 4), Black);
}

TEST(ImageStripMasks, CuttingABitmapIntoImages)
{
    TZCLImageListItem item(nullptr);
    item.ConvertBmpToIML(Strip(16, 12, {Red, Green, Blue}).get(), 3, false);
    EXPECT_EQ(item.Width(), 16);
    EXPECT_EQ(item.Height(), 12);
    EXPECT_EQ(item.Count(), 3);
    EXPECT_FALSE(item.Masked());
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Red, Green, Blue}));
    ExpectUniformLayout(item);

    item.ConvertBmpToIML(Keyed(10, 10, 2).get(), 2, true);
    EXPECT_TRUE(item.Masked());
    EXPECT_EQ(Px(item.MaskStrip(), 10, 0), White);
    EXPECT_EQ(Px(item.MaskStrip(), 15, 5), Black);
    EXPECT_EQ(item.MaskStrip()->Width(), item.ImageStrip()->Width());

    for (int count : {0, -2, 41}) {
        EXPECT_THROW(item.ConvertBmpToIML(Solid(40, 8, Red).get(), count, false), EInvalidGraphicOperation) << count;
    }
    EXPECT_EQ(item.Count(), 2) << "a refused cut keeps the item";

    TempFile f("zbp");
    const std::string name = f.name() + ".bmp";
    Strip(7, 5, {Red, Blue, Green, Yellow})->SaveToFile(AnsiString(name));
    TZCLImageListItem loaded(nullptr);
    EXPECT_TRUE(loaded.LoadFromBitmap(AnsiString(name), 4, false));
    EXPECT_EQ(loaded.Width(), 7);
    EXPECT_EQ(loaded.Count(), 4);
    EXPECT_EQ(loaded.Description(), ZCLExtractFileName(AnsiString(name)));
    for (int count : {3, 0}) {
        try {
            loaded.LoadFromBitmap(AnsiString(name), count, false);
            ADD_FAILURE() << count;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), AnsiString("Cannot open file " + name + ": " + name));
        }
    }
    DeleteFileA(name.c_str());
}

TEST(ImageStripMasks, DrawingByTheFlagWord)
{
    TZCLImageList list(nullptr);
    auto* item = static_cast<TZCLImageListItem*>(list.GetItem(list.Add()));
    item->SetWidth(8);
    item->SetHeight(8);
    item->Add(Keyed(8, 8).get(), nullptr);
    // Unmasked: with the transparent flag, its bottom-left colour is left out.
    auto canvas = Solid(20, 20, Red);
    list.DrawExt(canvas->Canvas(), TRect(2, 2, 10, 10), 0x0040, 0, 0);
    EXPECT_EQ(Px(canvas.get(), 2, 2), Red);
    EXPECT_EQ(Px(canvas.get(), 2 + 4, 2 + 4), Blue);
    // Stretched into twice the size.
    canvas = Solid(20, 20, Red);
    list.DrawExt(canvas->Canvas(), TRect(0, 0, 16, 16), 0x0010, 0, 0);
    EXPECT_EQ(Px(canvas.get(), 1, 1), Green);
    EXPECT_EQ(Px(canvas.get(), 8, 8), Blue);
    EXPECT_EQ(Px(canvas.get(), 15, 15), Green);
    EXPECT_EQ(Px(canvas.get(), 17, 17), Red);

    // Masked: by its mask, whatever the transparent colour.
    item->SetMasked(true);
    item->ReplaceMasked(0, Keyed(8, 8).get(), TColor(Green));
    canvas = Solid(20, 20, Red);
    TRect out;
    item->DrawExt(canvas->Canvas(), TRect(4, 4, 12, 12), out, 0, 0);
    EXPECT_EQ(out, TRect(4, 4, 12, 12));
    EXPECT_EQ(Px(canvas.get(), 4, 4), Red);
    EXPECT_EQ(Px(canvas.get(), 8, 8), Blue);
    // Clipped to the target moved by (4, 4): only the image's lower right part is drawn.
    canvas = Solid(24, 24, Red);
    list.ClipDraw(canvas->Canvas(), TRect(10, 10, 18, 18), 0x0001, (4 << 16) | 4, clNone, 0, 0);
    EXPECT_EQ(Px(canvas.get(), 10 + 2, 10 + 2), Red);
    EXPECT_EQ(Px(canvas.get(), 10 + 5, 10 + 5), Blue);
    EXPECT_EQ(Px(canvas.get(), 10 + 7, 10 + 7), Red) << "transparent by the mask";

    // A bitmap list draws through the same routine.
    TZCLBitmapList bitmaps(nullptr);
    static_cast<TZCLBitmapListItem*>(bitmaps.GetItem(bitmaps.Add()))->SetBitmap(Keyed(6, 6).get());
    canvas = Solid(20, 20, Red);
    bitmaps.DrawExt(canvas->Canvas(), TRect(0, 0, 12, 12), 0x0010 | 0x0040, 0, 99);
    EXPECT_EQ(Px(canvas.get(), 0, 0), Red);
    EXPECT_EQ(Px(canvas.get(), 6, 6), Blue);
    canvas = Solid(20, 20, Red);
    bitmaps.ClipDraw(canvas->Canvas(), TRect(1, 1, 7, 7), 0, 0, clNone, 0, 0);
    EXPECT_EQ(Px(canvas.get(), 1, 1), Green);
}

namespace {

// What an older form stored for a strip item: the property "Bitmap" with the strip part of the record.
class TOlderStripItem : public TPersistent {
public:
    Bytes strips;
    void DefineProperties(TFiler* filer) override
    {
        filer->DefineBinaryProperty("Bitmap", nullptr,
                                    TStreamProc::From([this](TStream* s) { s->WriteBuffer(strips.data(), int(strips.size())); }),
                                    true);
    }
};

}  // namespace

TEST(ImageStripStreams, TheOlderBitmapPropertyIsReadAndNeverWritten)
{
    TZCLImageListItem source(nullptr, 6, 5);
    source.Add(Strip(6, 5, {Blue, Yellow}).get(), nullptr);
    const Bytes rec = Written([&](TStream* s) { source.SaveToStream(s); });
    TOlderStripItem older;
    older.strips.assign(rec.begin() + 1 + 13, rec.end());  // count and strip, after flag and fields
    TMemoryStream s;
    {
        TWriter writer(&s);
        writer.WriteProperties(&older);
    }
    s.SetPosition(0);
    TZCLImageListItem item(nullptr);
    item.SetWidth(6);
    item.SetHeight(5);
    TReader reader(&s);
    reader.ReadProperty(&item);
    EXPECT_EQ(Colours(item), (std::vector<std::uint32_t>{Blue, Yellow}));

    TMemoryStream written;
    {
        TWriter writer(&written);
        writer.WriteProperties(&item);
    }
    const Bytes w = StreamBytes(written);
    const Bytes internal = Text("Internal"), bitmap = Text("Bitmap");
    EXPECT_NE(std::search(w.begin(), w.end(), internal.begin(), internal.end()), w.end());
    EXPECT_EQ(std::search(w.begin(), w.end(), bitmap.begin(), bitmap.end()), w.end());
}
