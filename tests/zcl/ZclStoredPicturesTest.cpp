// Pictures and collections of the library's controls kept by the object storage and in form streams: glyphs,
// the caret bitmap, the tray icon, custom buttons, the list box's header sections and default image lists.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "GuardedBuffer.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/ComCtrls.h"
#include "framework/visual/Forms.h"
#include "zcl/buttons/Zclbutton.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/components/Zclback.h"
#include "zcl/components/Zcllistbox.h"
#include "zcl/components/Zcltrayicon.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/containers/Zclobjectstorage.h"
#include "zcl/edits/Zclcaret.h"
#include "zcl/edits/Zcledit.h"

namespace {

// w x h in colour c with a square of d at (1, 1)-(4, 4).
void PaintTest(TBitmap* b, int w, int h, TColor c, TColor d)
{
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    b->Canvas()->Brush()->SetColor(d);
    b->Canvas()->FillRect(Rect(1, 1, 4, 4));
}

void ExpectSamePixels(TBitmap* expected, TBitmap* actual, const char* what)
{
    ASSERT_EQ(actual->Width(), expected->Width()) << what;
    ASSERT_EQ(actual->Height(), expected->Height()) << what;
    for (int y = 0; y < expected->Height(); ++y)
        for (int x = 0; x < expected->Width(); ++x)
            ASSERT_EQ(actual->Canvas()->Pixels(x, y), expected->Canvas()->Pixels(x, y)) << what << " " << x << "," << y;
}

HICON MakeIcon()
{
    TBitmap colour, mask;
    PaintTest(&colour, 16, 16, clRed, clBlue);
    mask.SetMonochrome(true);
    mask.SetSize(16, 16);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(0, 0, 16, 16));
    ICONINFO ii{TRUE, 0, 0, mask.Handle(), colour.Handle()};
    return CreateIconIndirect(&ii);
}

// The icon drawn on white.
void DrawIcon(TIcon* icon, TBitmap* out)
{
    PaintTest(out, 16, 16, clWhite, clWhite);
    out->Canvas()->Draw(0, 0, icon);
}

// A form as its definition makes it, with one component of each kind; `custom` sets the values to keep.
class TPicturesForm : public TForm {
public:
    TPicturesForm(bool custom) : TForm(nullptr)
    {
        SetName("PicturesForm");
        TComponentLoader loading(this);
        edit = loading.Create<TZCLEdit>();
        edit->SetName("Edit1");
        edit->SetParent(this);
        button = loading.Create<TZCLButton>();
        button->SetName("Button1");
        button->SetParent(this);
        tray = loading.Create<TZCLTrayIcon>();
        tray->SetName("Tray1");
        tray->SetActive(false);
        list = loading.Create<TZCLListBox>();
        list->SetName("List1");
        list->SetParent(this);
        back = loading.Create<TZCLBack>();
        back->SetName("Back1");
        storage = loading.Create<TZCLObjectStorage>();
        storage->SetName("Storage");
        const char* items[][2] = {{"Edit1", "Caret"},
                                  {"Edit1", "CustomButtons"},
                                  {"Button1", "Glyph"},
                                  {"Tray1", "Icon"},
                                  {"List1", "HeaderSections"}};
        for (const auto& i : items) {
            TZCLPropertyStorageItem* item = storage->Properties()->Add();
            item->SetComponentName(i[0]);
            item->SetName(i[1]);
        }
        if (custom) {
            edit->Caret()->SetStyle(csBitmap);
            PaintTest(edit->Caret()->Bitmap(), 6, 12, clYellow, clNavy);
            TZCLSpecialButton* a = edit->CustomButtons()->Add();
            a->SetCaption("A");
            PaintTest(a->Glyph(), 8, 8, clGreen, clMaroon);
            TZCLSpecialButton* b = edit->CustomButtons()->Add();
            b->SetCaption("B");
            b->SetGroupIndex(3);
            PaintTest(button->Glyph(), 10, 9, clTeal, clPurple);
            tray->Icon()->SetHandle(MakeIcon());
            list->HeaderSections()->Clear();
            for (int w : {40, 60, 80}) {
                THeaderSection* s = list->HeaderSections()->Add();
                s->SetText(("col " + std::to_string(w)).c_str());
                s->SetWidth(w);
            }
            back->SetImageList(ZCLDefaultContainer()->BitmapList());
        }
        loading.Finish();
    }

    TZCLEdit* edit;
    TZCLButton* button;
    TZCLTrayIcon* tray;
    TZCLListBox* list;
    TZCLBack* back;
    TZCLObjectStorage* storage;
};

void ExpectSameStoredValues(TPicturesForm& expected, TPicturesForm& actual)
{
    ExpectSamePixels(expected.edit->Caret()->Bitmap(), actual.edit->Caret()->Bitmap(), "caret");
    EXPECT_EQ(actual.edit->Caret()->Style(), csBitmap);
    ASSERT_EQ(actual.edit->CustomButtons()->Count(), 2);
    TZCLSpecialButton* a = actual.edit->CustomButtons()->Items(0);
    EXPECT_EQ(a->Caption(), "A");
    ExpectSamePixels(expected.edit->CustomButtons()->Items(0)->Glyph(), a->Glyph(), "custom button glyph");
    EXPECT_EQ(a->SpeedButton()->Caption(), "A");
    EXPECT_EQ(a->SpeedButton()->Parent(), actual.edit);
    EXPECT_EQ(actual.edit->CustomButtons()->Items(1)->Caption(), "B");
    EXPECT_EQ(actual.edit->CustomButtons()->Items(1)->GroupIndex(), 3);
    EXPECT_TRUE(actual.edit->CustomButtons()->Items(1)->Glyph()->Empty());
    ExpectSamePixels(expected.button->Glyph(), actual.button->Glyph(), "button glyph");
    TBitmap want, got;
    DrawIcon(expected.tray->Icon(), &want);
    DrawIcon(actual.tray->Icon(), &got);
    ExpectSamePixels(&want, &got, "tray icon");
    EXPECT_EQ(got.Canvas()->Pixels(2, 2), clBlue);
    THeaderSections* sections = actual.list->HeaderSections();
    ASSERT_EQ(sections->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sections->Items(i)->Text(), expected.list->HeaderSections()->Items(i)->Text());
        EXPECT_EQ(sections->Items(i)->Width(), expected.list->HeaderSections()->Items(i)->Width());
    }
    EXPECT_EQ(actual.list->Header()->Sections()->Count(), 3);
}

std::string Save(TPicturesForm& form)
{
    TMemoryStream s;
    form.storage->SaveToStream(&s);
    return std::string(static_cast<const char*>(s.Memory()), std::size_t(s.Size()));
}

// A read-only memory stream over bytes that end at a guard page.
class TGuardedStream : public TCustomMemoryStream {
public:
    explicit TGuardedStream(const std::string& bytes) : buffer_(bytes.size())
    {
        std::uint8_t* p = buffer_.Tail(bytes.size());
        if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
        SetPointer(p, int(bytes.size()));
    }
    int Write(const void*, int) override { throw EWriteError("read only"); }

private:
    GuardedBuffer buffer_;
};

}  // namespace

TEST(ZclStoredPictures, ObjectStorageKeepsPicturesAndCollections)
{
    TPicturesForm source(true);
    const std::string bytes = Save(source);
    TPicturesForm target(false);
    target.list->HeaderSections()->Add()->SetText("replaced");
    TGuardedStream s(bytes);
    target.storage->LoadFromStream(&s);
    ExpectSameStoredValues(source, target);
    EXPECT_EQ(Save(target), bytes);

    // No sections stored reads back as none.
    source.list->HeaderSections()->Clear();
    TGuardedStream none(Save(source));
    target.storage->LoadFromStream(&none);
    EXPECT_EQ(target.list->HeaderSections()->Count(), 0);
}

// Each component as the root of its own stream.
std::string Stream(TComponent* c)
{
    TMemoryStream s;
    s.WriteComponent(c);
    return std::string(static_cast<const char*>(s.Memory()), std::size_t(s.Size()));
}

TEST(ZclStoredPictures, FormStreamsKeepPicturesCollectionsAndDefaultListsByIdentifier)
{
    TPicturesForm source(true);
    TPicturesForm target(false);
    const std::pair<TComponent*, TComponent*> pairs[] = {{source.edit, target.edit},
                                                         {source.button, target.button},
                                                         {source.tray, target.tray},
                                                         {source.list, target.list},
                                                         {source.back, target.back}};
    for (const auto& [from, to] : pairs) {
        TGuardedStream s(Stream(from));
        s.ReadComponent(to);
    }
    ExpectSameStoredValues(source, target);
    EXPECT_EQ(target.back->ImageList(), ZCLDefaultContainer()->BitmapList());
    const std::string backBytes = Stream(source.back);
    EXPECT_NE(backBytes.find("Internal"), std::string::npos);
    EXPECT_EQ(backBytes.find("ImageList"), std::string::npos);

    // A list of the form's own is stored by name, not as "Internal".
    auto* own = new TZCLBitmapList(&source);
    own->SetName("OwnList");
    source.back->SetImageList(own);
    const std::string named = Stream(source.back);
    EXPECT_EQ(named.find("Internal"), std::string::npos);
    EXPECT_NE(named.find("OwnList"), std::string::npos);
}

TEST(ZclStoredPictures, DamagedStoredPicturesAreRefused)
{
    TPicturesForm source(true);
    const std::string bytes = Save(source);
    TPicturesForm target(false);
    // Cut anywhere: a read error and no read past the bytes.
    for (std::size_t n = 0; n < bytes.size(); n += 7) {
        TGuardedStream cut(bytes.substr(0, n));
        EXPECT_THROW(target.storage->LoadFromStream(&cut), EStreamError) << n;
    }
    // A glyph block claiming more than the stream holds.
    const std::size_t data = bytes.find("Glyph.Data");
    ASSERT_NE(data, std::string::npos);
    std::string huge = bytes;
    const std::size_t length = data + 10 + 1;
    huge.replace(length, 4, std::string("\xf0\xff\xff\x7f", 4));
    TGuardedStream h(huge);
    EXPECT_THROW(target.storage->LoadFromStream(&h), EReadError);
}
