// Pictures and collections in component streams: graphics as their binary "Data", collections as item lists.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/GuardedBuffer.h"

namespace {

// A bitmap w x h: red with a blue square at (1, 1)-(3, 3) and one lime pixel at the bottom right.
void Paint(TBitmap* b, int w, int h)
{
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    b->Canvas()->Brush()->SetColor(clBlue);
    b->Canvas()->FillRect(Rect(1, 1, 3, 3));
    b->Canvas()->SetPixels(w - 1, h - 1, clLime);
}

void ExpectSamePixels(TBitmap* expected, TBitmap* actual)
{
    ASSERT_EQ(actual->Width(), expected->Width());
    ASSERT_EQ(actual->Height(), expected->Height());
    for (int y = 0; y < expected->Height(); ++y)
        for (int x = 0; x < expected->Width(); ++x)
            ASSERT_EQ(actual->Canvas()->Pixels(x, y), expected->Canvas()->Pixels(x, y)) << x << "," << y;
}

class TTestItem : public TCollectionItem {
public:
    explicit TTestItem(TCollection* c) : TCollectionItem(c) {}
    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& v) { caption_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* v) { glyph_->Assign(v); }

private:
    AnsiString caption_;
    int width_ = 50;
    std::unique_ptr<TBitmap> glyph_ = std::make_unique<TBitmap>();
};

class TTestHolder : public TComponent {
public:
    explicit TTestHolder(TComponent* owner)
        : TComponent(owner), items_(std::make_unique<TOwnedCollection>(this, ClassOf<TTestItem>()))
    {
    }
    TCollection* Items() const { return items_.get(); }
    void SetItems(TCollection* v) { items_->Assign(v); }
    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(TPicture* v) { picture_->Assign(v); }
    TTestItem* Item(int i) const { return static_cast<TTestItem*>(items_->Items(i)); }

private:
    std::unique_ptr<TOwnedCollection> items_;
    std::unique_ptr<TPicture> picture_ = std::make_unique<TPicture>();
};

// A memory stream over bytes that end at a guard page: a read past them crashes the run.
class TGuardedStream : public TCustomMemoryStream {
public:
    explicit TGuardedStream(const std::string& bytes) : buffer_(bytes.size())
    {
        std::uint8_t* p = buffer_.Tail(bytes.size());
        std::memcpy(p, bytes.data(), bytes.size());
        SetPointer(p, int(bytes.size()));
    }
    int Write(const void*, int) override { throw EWriteError("read only"); }

private:
    GuardedBuffer buffer_;
};

void RegisterOnce()
{
    static const bool done = [] {
        PublishedProperties<TTestItem>()
            .String("Caption", &TTestItem::Caption, &TTestItem::SetCaption)
            .Integer("Width", &TTestItem::Width, &TTestItem::SetWidth, 50)
            .Object("Glyph", &TTestItem::Glyph, &TTestItem::SetGlyph);
        PublishedProperties<TTestHolder>()
            .Object("Items", &TTestHolder::Items, &TTestHolder::SetItems)
            .Object("Picture", &TTestHolder::Picture, &TTestHolder::SetPicture);
        RegisterClasses({ClassOf<TTestHolder>()});
        return true;
    }();
    (void)done;
}

std::string Bytes(const TCustomMemoryStream& s)
{
    return std::string(static_cast<const char*>(s.Memory()), std::size_t(s.Size()));
}

std::string Int32(std::int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
std::string Str(const std::string& s) { return Int32(std::int32_t(s.size())) + s; }

// One property of the holder as the object storage writes it: its name and value.
std::string WriteOne(TTestHolder* holder, const char* name)
{
    TMemoryStream s;
    TWriter writer(&s);
    writer.SetRoot(holder);
    writer.WriteProperty(holder, *GetPropInfo(holder, name));
    return Bytes(s);
}

void ReadOne(TTestHolder* holder, TStream* s)
{
    TReader reader(s);
    reader.SetRoot(holder);
    reader.ReadProperty(holder);
}

void ReadOne(TTestHolder* holder, const std::string& bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), int(bytes.size()));
    s.SetPosition(0);
    ReadOne(holder, &s);
}

// Two items, the second with a glyph.
void Fill(TTestHolder* h)
{
    auto* a = static_cast<TTestItem*>(h->Items()->Add());
    a->SetCaption("first");
    a->SetWidth(75);
    auto* b = static_cast<TTestItem*>(h->Items()->Add());
    b->SetCaption("second");
    Paint(b->Glyph(), 5, 4);
}

class FilerStoredObjects : public testing::Test {
protected:
    void SetUp() override { RegisterOnce(); }
};

}  // namespace

TEST_F(FilerStoredObjects, CollectionsRoundTripAsItemListsThatReplaceTheItems)
{
    TMemoryStream s;
    TTestHolder source(nullptr);
    source.SetName("Holder");
    Fill(&source);
    s.WriteComponent(&source);

    TTestHolder target(nullptr);
    for (int i = 0; i < 3; ++i) static_cast<TTestItem*>(target.Items()->Add())->SetCaption("old");
    s.SetPosition(0);
    s.ReadComponent(&target);
    ASSERT_EQ(target.Items()->Count(), 2);
    EXPECT_EQ(target.Item(0)->Caption(), "first");
    EXPECT_EQ(target.Item(0)->Width(), 75);
    EXPECT_TRUE(target.Item(0)->Glyph()->Empty());
    EXPECT_EQ(target.Item(1)->Caption(), "second");
    EXPECT_EQ(target.Item(1)->Width(), 50);
    ExpectSamePixels(source.Item(1)->Glyph(), target.Item(1)->Glyph());

    // An empty collection is stored too: reading it leaves none.
    TTestHolder empty(nullptr);
    ReadOne(&target, WriteOne(&empty, "Items"));
    EXPECT_EQ(target.Items()->Count(), 0);
}

TEST_F(FilerStoredObjects, LayoutOfItemListsAndGraphicData)
{
    TTestHolder h(nullptr);
    auto* item = static_cast<TTestItem*>(h.Items()->Add());
    item->SetCaption("c");
    Paint(item->Glyph(), 3, 3);
    TMemoryStream file;
    item->Glyph()->SaveToStream(&file);
    const std::string bmp = Bytes(file);
    const std::string glyphData = Int32(std::int32_t(bmp.size())) + bmp;
    const std::string expected = Str("Items") + "\x0b" + "\x01" + Str("Caption") + "\x04" + Str("c") +
                                 Str("Glyph.Data") + "\x0a" + Int32(std::int32_t(glyphData.size())) + glyphData +
                                 Int32(0) + std::string(1, '\0');
    EXPECT_EQ(WriteOne(&h, "Items"), expected);

    // A picture: its graphic's class as a counted string, then that graphic's data.
    h.Picture()->SetBitmap(item->Glyph());
    const std::string pictureData = "\x07TBitmap" + glyphData;
    EXPECT_EQ(WriteOne(&h, "Picture"),
              Str("Picture.Data") + "\x0a" + Int32(std::int32_t(pictureData.size())) + pictureData);

    // An icon's data is its icon file.
    TBitmap colour, mask;
    Paint(&colour, 16, 16);
    mask.SetMonochrome(true);
    mask.SetSize(16, 16);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(0, 0, 16, 16));
    ICONINFO ii{TRUE, 0, 0, mask.Handle(), colour.Handle()};
    TIcon icon;
    icon.SetHandle(CreateIconIndirect(&ii));
    h.Picture()->SetIcon(&icon);
    TMemoryStream ico;
    icon.SaveToStream(&ico);
    const std::string iconData = "\x05TIcon" + Bytes(ico);
    EXPECT_EQ(WriteOne(&h, "Picture"), Str("Picture.Data") + "\x0a" + Int32(std::int32_t(iconData.size())) + iconData);

    // Read back, the picture holds an icon of the same pixels.
    TTestHolder back(nullptr);
    ReadOne(&back, WriteOne(&h, "Picture"));
    ASSERT_NE(dynamic_cast<TIcon*>(back.Picture()->Graphic()), nullptr);
    TBitmap drawn, expectedDrawn;
    for (TBitmap* b : {&drawn, &expectedDrawn}) {
        b->SetPixelFormat(pf24bit);
        b->SetSize(16, 16);
    }
    drawn.Canvas()->Draw(0, 0, back.Picture()->Graphic());
    expectedDrawn.Canvas()->Draw(0, 0, &icon);
    ExpectSamePixels(&expectedDrawn, &drawn);
    EXPECT_EQ(drawn.Canvas()->Pixels(2, 2), clBlue);
}

TEST_F(FilerStoredObjects, DamagedItemListsAndGraphicDataAreRefused)
{
    TTestHolder source(nullptr);
    Fill(&source);
    const std::string items = WriteOne(&source, "Items");
    source.Picture()->SetBitmap(source.Item(1)->Glyph());
    const std::string picture = WriteOne(&source, "Picture");

    // Cut anywhere: a read error, no read past the bytes, and the items as they were.
    for (const std::string* whole : {&items, &picture})
        for (std::size_t n = 0; n < whole->size(); ++n) {
            TTestHolder target(nullptr);
            static_cast<TTestItem*>(target.Items()->Add())->SetCaption("kept");
            TGuardedStream cut(whole->substr(0, n));
            EXPECT_THROW(ReadOne(&target, &cut), EStreamError) << n;
            ASSERT_EQ(target.Items()->Count(), 1) << n;
            EXPECT_EQ(target.Item(0)->Caption(), "kept") << n;
        }

    const std::size_t valueAt = 4 + 5;  // after the property name "Items"
    const std::size_t glyphAt = picture.find("TBitmap") + 7;
    // Damage found by the check of the whole list leaves the items; a well-formed list naming a property the
    // item lacks is refused once that item is reached.
    struct Case {
        const char* what;
        std::string bytes;
        bool keepsItems = true;
    };
    const Case cases[] = {
        {"a string for a collection", Str("Items") + "\x04" + Str("x")},
        {"an item that is no list", Str("Items") + "\x0b\x02" + Int32(1) + std::string(1, '\0')},
        {"an item property that does not exist",
         Str("Items") + "\x0b\x01" + Str("Nothing") + "\x02" + Int32(1) + Int32(0) + std::string(1, '\0'), false},
        {"an unknown tag in an item", items.substr(0, valueAt + 13) + "\x0e" + items.substr(valueAt + 14)},
        {"a huge name length", items.substr(0, valueAt + 2) + Int32(0x7fffffff) + items.substr(valueAt + 6)},
        {"a picture of an unknown class", Str("Picture.Data") + "\x0a" + Int32(5) + "\x04TPen"},
        {"a bitmap larger than its block",
         picture.substr(0, glyphAt) + Int32(0x7ffffff0) + picture.substr(glyphAt + 4)},
        {"a negative bitmap size", picture.substr(0, glyphAt) + Int32(-1) + picture.substr(glyphAt + 4)},
    };
    for (const Case& c : cases) {
        TTestHolder target(nullptr);
        static_cast<TTestItem*>(target.Items()->Add())->SetCaption("kept");
        TGuardedStream s(c.bytes);
        EXPECT_THROW(ReadOne(&target, &s), EReadError) << c.what;
        EXPECT_TRUE(target.Picture()->Graphic() == nullptr) << c.what;
        if (!c.keepsItems) continue;
        ASSERT_EQ(target.Items()->Count(), 1) << c.what;
        EXPECT_EQ(target.Item(0)->Caption(), "kept") << c.what;
    }
    // Bitmap data that is no bitmap is refused as a graphic.
    std::string notBmp = picture;
    notBmp[glyphAt + 4] = 'X';
    TTestHolder target(nullptr);
    EXPECT_THROW(ReadOne(&target, notBmp), EInvalidGraphic);
}

TEST_F(FilerStoredObjects, DeeplyNestedListsAreRefusedWhenSkipped)
{
    std::string bytes(200000, '\x01');
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), int(bytes.size()));
    s.SetPosition(0);
    TReader reader(&s);
    EXPECT_THROW(reader.SkipValue(), EReadError);
}
