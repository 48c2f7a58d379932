// List containers: item records and list files byte for byte, the single-item readers, change links, bitmap
// sources, the default container and its global identifiers, form streams, and damaged list files.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "StoreTestHelpers.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/containers/Zclstreamutils.h"
#include "zcl/containers/Zclwave.h"
#include "zcl/core/Zclprocs.h"

using namespace storetest;

namespace {

constexpr std::uint32_t Red = 0x0000FF, Blue = 0xFF0000, Green = 0x00FF00, White = 0xFFFFFF;

Bytes OwnForm(TBitmap* b)
{
    return Written([&](TStream* s) { b->SaveToStream(s); });
}

TZCLBitmapListItem* AddBitmap(TZCLBitmapList& list, std::uint32_t color, const char* description = "",
                              std::uint16_t ident = 0)
{
    auto* item = static_cast<TZCLBitmapListItem*>(list.GetItem(list.Add()));
    item->SetBitmap(Solid(5, 3, color).get());
    item->SetDescription(description);
    item->SetIdent(ident);
    return item;
}

const Bytes BmlSignature = Concat({{8}, Text("ZCLBML30")});

}  // namespace

TEST(ContainerKinds, Suffixes)
{
    const struct {
        TZCLListItemClassType kind;
        const char* list;
        const char* item;
    } cases[] = {
        {icImageList, "iml", "iml"}, {icBitmap, "bml", "bmp"}, {icWave, "wvl", "wav"}, {icStringList, "sll", "txt"},
        {icGeneric, "gll", "*"},     {icRTF, "rtl", "rtf"},    {icInvalid, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZCLICGetSuffix(c.kind, false), c.list);
        EXPECT_EQ(ZCLICGetItemSuffix(c.kind, false), c.item);
        EXPECT_EQ(ZCLICGetSuffix(c.kind, true), *c.list ? AnsiString(".") + c.list : AnsiString());
        EXPECT_EQ(ZCLICGetItemSuffix(c.kind, true), *c.item ? AnsiString(".") + c.item : AnsiString());
    }
}

TEST(ContainerRecords, FlagByteDescriptionIdentAndData)
{
    auto red = Solid(5, 3, Red);
    const Bytes own = OwnForm(red.get());
    struct Case {
        const char* what;
        const char* description;
        std::uint16_t ident;
        bool withBitmap;
        TZCLSavePixelFormat format;
        Bytes head;  // the record up to the bitmap data
    } cases[] = {
        {"nothing set", "", 0, false, spfDefault, {0x00}},
        {"a bitmap only", "", 0, true, spfDefault, {0x08}},
        {"description and ident", "ab", 5, true, spfDefault, Concat({{0x0E, 2, 'a', 'b'}, Le32(5)})},
        {"ident only", "", 0xFFFF, false, spfDefault, Concat({{0x04}, Le32(0xFFFF)})},
        {"16 colours", "", 0, true, spf4bit, {0x28}},
        {"2 colours", "", 0, true, spfMono, {0x18}},
        {"256 colours", "", 0, true, spf8bit, {0x48}},
    };
    for (const Case& c : cases) {
        TZCLBitmapListItem item(nullptr);
        item.SetDescription(c.description);
        item.SetIdent(c.ident);
        item.SetPixelFormat(c.format);
        if (c.withBitmap) item.SetBitmap(red.get());
        const Bytes rec = Written([&](TStream* s) { item.SaveToStream(s); });
        ASSERT_GE(rec.size(), c.head.size()) << c.what;
        EXPECT_EQ(Bytes(rec.begin(), rec.begin() + std::ptrdiff_t(c.head.size())), c.head) << c.what;
        if (!c.withBitmap) {
            EXPECT_EQ(rec.size(), c.head.size()) << c.what;
            continue;
        }
        const std::size_t at = c.head.size();
        EXPECT_EQ(I32At(rec, at), int(rec.size() - at - 4)) << c.what;
        if (c.format == spfDefault) {
            EXPECT_EQ(Bytes(rec.begin() + std::ptrdiff_t(at + 4), rec.end()), own);
        }
        const int bits[] = {24, 1, 4, 8};
        EXPECT_EQ(U16At(rec, at + 4 + 28), bits[c.format]) << c.what;

        TZCLBitmapListItem back(nullptr);
        GuardedStream s(rec);
        back.LoadFromStream(&s);
        EXPECT_EQ(back.Description(), c.description);
        EXPECT_EQ(back.Ident(), c.ident);
        EXPECT_EQ(back.PixelFormat(), c.format);
        EXPECT_EQ(Px(back.StoredBitmap(), 4, 2), c.format == spfMono ? 0u : Red) << c.what;
    }
}

TEST(ContainerRecords, ReaderTakesTheLowIdentHalfAndTheFirstPixelFormatBit)
{
    auto blue = Solid(3, 2, Blue);
    const Bytes own = OwnForm(blue.get());
    const struct {
        std::uint8_t flags;
        TZCLSavePixelFormat format;
    } cases[] = {{0x7C, spfMono}, {0x6C, spf4bit}, {0x4C, spf8bit}, {0x0C, spfDefault}};
    for (const auto& c : cases) {
        GuardedStream s(Concat({{c.flags}, Le32(0x00051234), Le32(int(own.size())), own}));
        TZCLBitmapListItem item(nullptr);
        item.LoadFromStream(&s);
        EXPECT_EQ(item.PixelFormat(), c.format) << int(c.flags);
        EXPECT_EQ(item.Ident(), 0x1234);
        EXPECT_EQ(Px(item.StoredBitmap(), 0, 0), Blue);
    }
}

TEST(ContainerRecords, OtherItemKindsRoundTripAndComeBackEmpty)
{
    for (bool compressed : {false, true}) {
        TZCLStringListItem strings(nullptr);
        strings.SetCompressed(compressed);
        EXPECT_EQ(Written([&](TStream* s) { strings.SaveToStream(s); }), Bytes{std::uint8_t(compressed ? 1 : 0)});
        strings.Items()->Add("alpha");
        strings.Items()->Add("beta");
        const Bytes rec = Written([&](TStream* s) { strings.SaveToStream(s); });
        EXPECT_EQ(rec[0], compressed ? 0x09 : 0x08);
        if (!compressed) {
            EXPECT_EQ(Bytes(rec.begin() + 1, rec.end()), Concat({Le32(13), Text("alpha\r\nbeta\r\n")}));
        }
        TZCLStringListItem back(nullptr);
        back.Items()->Add("stale");
        GuardedStream s(rec);
        back.LoadFromStream(&s);
        EXPECT_TRUE(back.Items()->Equals(strings.Items()));
        GuardedStream e(Bytes{0x00});
        back.LoadFromStream(&e);
        EXPECT_EQ(back.Items()->Count(), 0);

        TZCLGenericListItem generic(nullptr);
        generic.SetCompressed(compressed);
        generic.SetFileName("C:\\data\\blob.bin");
        // No data: the flag byte, then the file name, which is always there.
        EXPECT_EQ(Written([&](TStream* s) { generic.SaveToStream(s); }),
                  Concat({{std::uint8_t(compressed ? 1 : 0), 16}, Text("C:\\data\\blob.bin")}));
        generic.Data()->WriteBuffer("0123456789abcdef", 16);
        const Bytes grec = Written([&](TStream* s) { generic.SaveToStream(s); });
        if (!compressed) {
            EXPECT_EQ(grec, Concat({{0x08}, Le32(16), Text("0123456789abcdef"), {16}, Text("C:\\data\\blob.bin")}));
        }
        TZCLGenericListItem gback(nullptr);
        GuardedStream gs(grec);
        gback.LoadFromStream(&gs);
        EXPECT_EQ(StreamBytes(*gback.Data()), Text("0123456789abcdef"));
        EXPECT_EQ(gback.FileName(), "C:\\data\\blob.bin");
        EXPECT_EQ(gs.Position(), gs.Size());
    }
}

TEST(ContainerLists, ListFileLayout)
{
    TempFile f("zbm");
    TZCLBitmapList list(nullptr);
    list.SaveToFile(AnsiString(f.name()));
    EXPECT_EQ(f.Read(), Concat({BmlSignature, Le32(0)}));

    auto* item = AddBitmap(list, Red);
    list.SaveToFile(AnsiString(f.name()));
    const Bytes own = OwnForm(item->StoredBitmap());
    EXPECT_EQ(f.Read(), Concat({BmlSignature, Le32(1), Le32(17), {0x08}, Le32(int(own.size())), own}));

    // Three items: the offsets are where each record starts, counted from the file's start.
    AddBitmap(list, Green, "second", 2);
    AddBitmap(list, Blue, "third", 3);
    list.SaveToFile(AnsiString(f.name()));
    const Bytes file = f.Read();
    EXPECT_EQ(I32At(file, 9), 3);
    const int first = I32At(file, 13), second = I32At(file, 17), third = I32At(file, 21);
    EXPECT_EQ(first, 25);
    EXPECT_EQ(file[std::size_t(first)], 0x08);
    EXPECT_EQ(file[std::size_t(second)], 0x0E);
    EXPECT_EQ(file[std::size_t(second) + 1], 6);
    EXPECT_EQ(file[std::size_t(third) + 1], 5);

    int count = 0;
    TZCLOffsetList offsets;
    EXPECT_EQ(ZCLListGetFileType(AnsiString(f.name()), count, &offsets), icBitmap);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(offsets, (TZCLOffsetList{first, second, third}));

    TBitmap third3;
    EXPECT_TRUE(ZCLBMLGetItem(AnsiString(f.name()), 2, &third3));
    EXPECT_EQ(Px(&third3, 0, 0), Blue);
    TZCLBitmapListItem one(nullptr);
    EXPECT_TRUE(ZCLListGetItemFromFile(AnsiString(f.name()), icBitmap, &offsets, &one, 1));
    EXPECT_EQ(one.Description(), "second");
    EXPECT_FALSE(ZCLListGetItemFromFile(AnsiString(f.name()), icBitmap, nullptr, &one, 3));
    EXPECT_FALSE(ZCLListGetItemFromFile(AnsiString(f.name()), icBitmap, nullptr, &one, -1));

    TZCLBitmapList whole(nullptr);
    whole.LoadFromFile(AnsiString(f.name()));
    ASSERT_EQ(whole.Count(), 3);
    EXPECT_EQ(whole.GetItem(2)->Description(), "third");
    EXPECT_EQ(whole.GetItem(2)->Ident(), 3);
    EXPECT_EQ(whole.GetItem(2)->Owner(), &whole);
    EXPECT_EQ(Px(whole.GetBitmap(1), 2, 1), Green);

    // The stream form has neither signature nor offsets.
    const Bytes stream = Written([&](TStream* s) { whole.SaveToStream(s); });
    EXPECT_EQ(I32At(stream, 0), 3);
    EXPECT_EQ(stream[4], 0x08);
    EXPECT_EQ(Bytes(stream.begin() + 4, stream.end()), Bytes(file.begin() + 25, file.end()));
}

TEST(ContainerLists, WrongKindsAreRefused)
{
    TempFile f("zbm"), w("zwv");
    TZCLBitmapList bitmaps(nullptr);
    AddBitmap(bitmaps, Red, "keep me");
    TZCLWaveList waves(nullptr);
    waves.SaveToFile(AnsiString(w.name()));
    try {
        bitmaps.LoadFromFile(AnsiString(w.name()));
        ADD_FAILURE() << "loaded";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), AnsiString("Cannot open file " + w.name() + ": TZCLBitmapList"));
    }
    EXPECT_EQ(bitmaps.Count(), 1);
    EXPECT_EQ(bitmaps.GetItem(0)->Description(), "keep me");

    TZCLBitmapListItem item(nullptr);
    TZCLOffsetList offsets{13};
    for (const TZCLOffsetList* list : {static_cast<const TZCLOffsetList*>(nullptr), static_cast<const TZCLOffsetList*>(&offsets)}) {
        try {
            ZCLListGetItemFromFile(AnsiString(w.name()), icBitmap, list, &item, 0);
            ADD_FAILURE() << "read";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), AnsiString("Cannot open file " + w.name() + ": " + w.name()));
        }
    }

    // An unknown signature: no kind, the count after it still read, the list untouched.
    f.Write(Concat({{8}, Text("ZCLXXX30"), Le32(77), Le32(1)}));
    int count = 0;
    TZCLOffsetList untouched{1, 2};
    EXPECT_EQ(ZCLListGetFileType(AnsiString(f.name()), count, &untouched), icInvalid);
    EXPECT_EQ(count, 77);
    EXPECT_EQ(untouched, (TZCLOffsetList{1, 2}));
    f.Write(Text("tiny"));
    EXPECT_EQ(ZCLListGetFileType(AnsiString(f.name()), count, &untouched), icInvalid);
    EXPECT_EQ(count, -1);
}

TEST(ContainerLists, ItemsByNameIndexAndOrder)
{
    TZCLBitmapList list(nullptr);
    AddBitmap(list, Red, "Same");
    auto* second = AddBitmap(list, Green, "same");
    AddBitmap(list, Blue, "same");
    EXPECT_EQ(list.GetItemByName("same"), second);
    EXPECT_EQ(list.GetItemByName("SAME"), nullptr);
    EXPECT_EQ(second->GetIndex(), 1);
    list.Move(1, 0);
    EXPECT_EQ(second->GetIndex(), 0);
    EXPECT_THROW(list.Move(0, 3), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.GetItem(3), EListError);

    // An item from elsewhere becomes the list's; one freed on its own leaves the list.
    auto* loose = new TZCLBitmapListItem(nullptr);
    list.Insert(1, loose);
    EXPECT_EQ(loose->Owner(), &list);
    EXPECT_EQ(list.IndexOf(loose), 1);
    delete loose;
    EXPECT_EQ(list.Count(), 3);
    TZCLListItem alone(nullptr);
    EXPECT_EQ(alone.GetIndex(), -1);

    TZCLBitmapList copy(nullptr);
    copy.SetDefaultCompressed(false);
    list.SetDefaultCompressed(true);
    copy.Assign(&list);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_TRUE(copy.DefaultCompressed());
    EXPECT_EQ(copy.GetItem(0)->Description(), "same");
    EXPECT_NE(copy.GetItem(0), list.GetItem(0));
    EXPECT_EQ(Px(copy.GetBitmap(2), 0, 0), Blue);
    list.Clear();
    EXPECT_TRUE(list.GetEmpty());
}

TEST(ContainerLinks, ChangesReachEveryLinkInOrder)
{
    std::vector<std::string> calls;
    auto list = std::make_unique<TZCLBitmapList>(nullptr);
    list->SetOnChange(TNotifyEvent::From([&](TObject*) { calls.push_back("list"); }));
    TZCLChangeLink a, b;
    a.SetOnChange(TNotifyEvent::From([&](TObject* s) { calls.push_back(s == list.get() ? "a" : "a?"); }));
    b.SetOnChange(TNotifyEvent::From([&](TObject*) { calls.push_back("b"); }));
    list->RegisterChanges(&a);
    list->RegisterChanges(&b);
    EXPECT_EQ(a.Sender(), list.get());
    list->Add();
    EXPECT_EQ(calls, (std::vector<std::string>{"a", "b", "list"}));

    // While updating the links are still told; the list's own event waits for the end.
    calls.clear();
    list->BeginUpdate();
    list->Add();
    EXPECT_EQ(calls, (std::vector<std::string>{"a", "b"}));
    list->EndUpdate(true);
    EXPECT_EQ(calls.back(), "list");

    calls.clear();
    TZCLChangeLink stranger;
    list->UnRegisterChanges(&stranger);
    {
        TZCLChangeLink gone;
        gone.SetOnChange(TNotifyEvent::From([&](TObject*) { calls.push_back("gone"); }));
        list->RegisterChanges(&gone);
    }
    {
        // Registered twice, told once, and gone without a trace.
        TZCLChangeLink twice;
        twice.SetOnChange(TNotifyEvent::From([&](TObject*) { calls.push_back("twice"); }));
        list->RegisterChanges(&twice);
        list->RegisterChanges(&twice);
        list->Add();
        EXPECT_EQ(calls, (std::vector<std::string>{"a", "b", "twice", "list"}));
        calls.clear();
    }
    list->UnRegisterChanges(&a);
    EXPECT_EQ(a.Sender(), nullptr);
    list->Delete(0);
    EXPECT_EQ(calls, (std::vector<std::string>{"b", "list"}));
    list.reset();
    EXPECT_EQ(b.Sender(), nullptr);
}

TEST(ContainerLists, AFailedLoadKeepsTheItemsAndTheUpdateBalanced)
{
    TZCLBitmapList list(nullptr);
    AddBitmap(list, Red, "kept");
    int changes = 0;
    list.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    const Bytes good = Written([&](TStream* s) {
        TZCLBitmapList other(nullptr);
        AddBitmap(other, Green, "one");
        AddBitmap(other, Blue, "two");
        other.SaveToStream(s);
    });
    for (const Bytes& bad : {Bytes(good.begin(), good.end() - 3), Concat({Le32(-1)}), Concat({Le32(0x7FFFFFFF)}),
                             Concat({Le32(2), {0x08}, Le32(100000)})}) {
        GuardedStream s(bad);
        EXPECT_THROW(list.LoadFromStream(&s), EReadError);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.GetItem(0)->Description(), "kept");
        EXPECT_FALSE(list.IsUpdating());
    }
    changes = 0;
    GuardedStream s(good);
    list.LoadFromStream(&s);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.GetItem(1)->Description(), "two");
}

TEST(ContainerLists, DamagedListFilesAreRefused)
{
    TZCLBitmapList list(nullptr);
    AddBitmap(list, Red, "first", 1);
    AddBitmap(list, Blue, "", 0)->SetPixelFormat(spf4bit);
    AddBitmap(list, Green, "third", 3)->SetCompressed(true);
    TempFile f("zbm");
    list.SaveToFile(AnsiString(f.name()));
    const Bytes good = f.Read();
    const auto inputs = Damaged(good, 99, 1200, 200);
    const int refused = ReadEachDamaged(inputs, [](TStream* s) {
        TZCLBitmapList back(nullptr);
        AddBitmap(back, White, "mine");
        try {
            char sig[9];
            s->ReadBuffer(sig, 9);
            back.ReadData(s, true);
        } catch (const Exception&) {
            EXPECT_EQ(back.Count(), 1);
            throw;
        }
    });
    EXPECT_GT(refused, int(good.size()) / 2);

    // The probe and the single-item reader, on files.
    int probed = 0;
    for (std::size_t i = 0; i < inputs.size(); i += 5) {
        f.Write(inputs[i]);
        try {
            int count = 0;
            TZCLOffsetList offsets;
            if (ZCLListGetFileType(AnsiString(f.name()), count, &offsets) == icBitmap) {
                TZCLBitmapListItem item(nullptr);
                for (int k = -1; k <= int(offsets.size()); ++k) {
                    GuardedStream s(inputs[i]);
                    ZCLListGetItemFromStream(&s, &offsets, k, &item);
                }
            }
            ++probed;
        } catch (const Exception&) {
            ++probed;
        } catch (const std::exception& e) {
            ADD_FAILURE() << i << ": " << e.what();
        }
    }
    EXPECT_GT(probed, 0);
}

// Bitmap sources ------------------------------------------------------------------------------------------------

TEST(ContainerSources, EachSourceFillsAnEmptyBitmap)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string dir = ExtractFilePath(AnsiString(exe)).c_str();

    // A list file in the program's folder, picked by ident.
    TZCLBitmapList file(nullptr);
    AddBitmap(file, Red);
    AddBitmap(file, Green);
    const std::string bml = "zcl_source_test.bml";
    file.SaveToFile(AnsiString(dir + bml));
    // An item file "<three letters of the source><ident>.bmp" in a fixed folder.
    TempFile bmp("abc");
    const std::string bmpDir = ExtractFilePath(AnsiString(bmp.name())).c_str();
    const std::string itemFile = bmpDir + "sou7.bmp";
    Solid(4, 4, Blue)->SaveToFile(AnsiString(itemFile));

    const struct {
        const char* what;
        TZCLContainerSource source;
        TZCLPathPrefix prefix;
        std::string name;
        std::uint16_t ident;
        std::uint32_t color;  // 0: stays empty
    } cases[] = {
        {"component", sdComponent, ppProgram, "", 1, 0},
        {"list file", sdFile, ppProgram, bml, 1, Green},
        {"missing list file", sdFile, ppProgram, "none.bml", 1, 0},
        {"resource", sdAppResource, ppProgram, "", 4242, Red},
        {"missing resource", sdAppResource, ppProgram, "", 4243, 0},
        {"item file", sdPath, ppFixed, bmpDir + "source.bml", 7, Blue},
        {"library resource", sdLibResource, ppFixed, exe, 4242, Red},
        {"missing library", sdLibResource, ppSystem, "no such library.dll", 4242, 0},
    };
    for (const auto& c : cases) {
        TZCLBitmapList list(nullptr);
        list.SetPrefix(c.prefix);
        list.SetSourceFileName(AnsiString(c.name));
        list.SetSource(c.source);
        auto* item = static_cast<TZCLBitmapListItem*>(list.GetItem(list.Add()));
        item->SetIdent(c.ident);
        TBitmap* b = item->Bitmap();
        EXPECT_EQ(b->Empty(), c.color == 0) << c.what;
        if (c.color) {
            EXPECT_EQ(Px(b, 0, b->Height() - 1), c.color) << c.what;
        }
        EXPECT_FALSE(item->IsUpdating()) << c.what;
    }
    DeleteFileA((dir + bml).c_str());
    DeleteFileA(itemFile.c_str());
}

TEST(ContainerSources, ANewSourceEmptiesTheItems)
{
    TZCLBitmapList list(nullptr);
    AddBitmap(list, Red);
    AddBitmap(list, Blue);
    list.SetSource(sdFile);
    EXPECT_TRUE(list.GetItem(0)->GetEmpty());
    EXPECT_TRUE(list.GetItem(1)->GetEmpty());
    // While loading the bitmaps stay.
    TZCLBitmapList loading(nullptr);
    AddBitmap(loading, Red);
    loading.IncludeState(csLoading);
    loading.SetSource(sdPath);
    EXPECT_FALSE(loading.GetItem(0)->GetEmpty());
    EXPECT_EQ(loading.Source(), sdPath);
}

TEST(ContainerSources, BitmapResourcesByModule)
{
    TBitmap b;
    EXPECT_TRUE(ZCLBmpLoad(nullptr, 4242, &b));
    EXPECT_EQ(b.Width(), 8);
    EXPECT_EQ(Px(&b, 7, 0), Blue);
    TBitmap none;
    EXPECT_FALSE(ZCLBmpLoad(nullptr, 1, &none));
    EXPECT_TRUE(none.Empty());
    EXPECT_FALSE(ZCLBmpLoadFromFile("no such library.dll", 4242, &none));
}

// The default container and form streams ---------------------------------------------------------------------------

namespace {

class TListHolder : public TComponent {
public:
    explicit TListHolder(TComponent* owner) : TComponent(owner) {}
    TZCLCustomImageList* Shown = nullptr;
    void DefineProperties(TFiler* filer) override
    {
        TComponent::DefineProperties(filer);
        filer->DefineProperty("Internal", TReaderProc::From([this](TReader* r) { Shown = ZCLReadGlobalIdent(r); }),
                              TWriterProc::From([this](TWriter* w) { ZCLWriteGlobalIdent(w, Shown); }),
                              ZCLIsGlobalIdent(Shown));
    }
};

const bool holderRegistered = (RegisterClass(ClassOf<TListHolder>()), true);

}  // namespace

TEST(DefaultContainer, HoldsTheGlobalLists)
{
    TZCLContainer* def = ZCLDefaultContainer();
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(ZCLIsGlobalIdent(def->BitmapList()));
    EXPECT_TRUE(ZCLIsGlobalIdent(def->ImageList()));
    TZCLBitmapList other(nullptr);
    EXPECT_FALSE(ZCLIsGlobalIdent(&other));
    EXPECT_FALSE(ZCLIsGlobalIdent(nullptr));
    EXPECT_TRUE(ZCLIsSingleItemImageList(&other));
    TZCLGraphicList graphics(nullptr);
    TZCLImageListConnector connector(nullptr);
    TZCLImageList strips(nullptr);
    EXPECT_TRUE(ZCLIsSingleItemImageList(&graphics));
    EXPECT_FALSE(ZCLIsSingleItemImageList(&strips));
    EXPECT_TRUE(ZCLIsCollectionImageList(&connector));
    EXPECT_FALSE(ZCLIsCollectionImageList(&other));
    EXPECT_FALSE(ZCLIsCollectionImageList(nullptr));

    for (TZCLCustomImageList* shown : {static_cast<TZCLCustomImageList*>(def->BitmapList()),
                                       static_cast<TZCLCustomImageList*>(def->ImageList())}) {
        TMemoryStream s;
        {
            TListHolder holder(nullptr);
            holder.SetName("Holder");
            holder.Shown = shown;
            s.WriteComponent(&holder);
        }
        const Bytes stored = StreamBytes(s);
        const Bytes ident = Text(shown == def->BitmapList() ? "ZCLBML30" : "ZCLIML30");
        EXPECT_NE(std::search(stored.begin(), stored.end(), ident.begin(), ident.end()), stored.end());
        s.SetPosition(0);
        std::unique_ptr<TComponent> back(s.ReadComponent(nullptr));
        EXPECT_EQ(static_cast<TListHolder*>(back.get())->Shown, shown);
    }
}

TEST(FormStreams, ItemsGoAsChildrenAndComeBackOwnedByTheirList)
{
    TMemoryStream s;
    {
        TListHolder form(nullptr);
        form.SetName("Form");
        auto* list = new TZCLBitmapList(&form);
        list->SetName("BitmapList1");
        AddBitmap(*list, Red, "exe", 1)->SetPixelFormat(spf4bit);
        AddBitmap(*list, Blue, "window", 2);
        s.WriteComponent(&form);
    }
    s.SetPosition(0);
    std::unique_ptr<TComponent> back(s.ReadComponent(nullptr));
    auto* list = dynamic_cast<TZCLBitmapList*>(back->FindComponent("BitmapList1"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->ComponentCount(), 2);
    EXPECT_EQ(list->GetItem(0)->Owner(), list);
    EXPECT_EQ(list->GetItem(0)->Description(), "exe");
    EXPECT_EQ(list->GetItem(1)->Ident(), 2);
    EXPECT_EQ(static_cast<TZCLBitmapListItem*>(list->GetItem(0))->PixelFormat(), spf4bit);
    EXPECT_EQ(Px(list->GetBitmap(0), 4, 2), Red);
    EXPECT_EQ(Px(list->GetBitmap(1), 0, 0), Blue);
}

TEST(FormStreams, TheContainerControlStoresTheNonEmptyDefaultLists)
{
    TZCLContainer* def = ZCLDefaultContainer();
    def->BitmapList()->Clear();
    def->StringList()->Clear();
    AddBitmap(*def->BitmapList(), Green, "global");
    TMemoryStream s;
    {
        TListHolder form(nullptr);
        form.SetName("Form");
        auto* ctrl = new TZCLContainerCtrl(&form);
        ctrl->SetName("Ctrl");
        EXPECT_EQ(ctrl->Container(), def);
        s.WriteComponent(&form);
    }
    const Bytes stored = StreamBytes(s);
    for (const char* name : {"BitmapList", "ImageList", "WaveList", "StringList"}) {
        const Bytes n = Text(name);
        const bool present = std::search(stored.begin(), stored.end(), n.begin(), n.end()) != stored.end();
        EXPECT_EQ(present, std::string(name) == "BitmapList") << name;
    }
    def->BitmapList()->Clear();
    s.SetPosition(0);
    std::unique_ptr<TComponent> back(s.ReadComponent(nullptr));
    ASSERT_EQ(def->BitmapList()->Count(), 1);
    EXPECT_EQ(def->BitmapList()->GetItem(0)->Description(), "global");
    def->BitmapList()->Clear();
}

TEST(ContainerLists, WaveListsKeepTheirWaves)
{
    const Bytes riff = Concat({Text("RIFF"), Le32(40), Text("WAVE"), Text("fmt "), Le32(16), {1, 0, 1, 0},
                               Le32(8000), Le32(8000), {1, 0, 8, 0}, Text("data"), Le32(4), {1, 2, 3, 4}});
    TZCLWaveList list(nullptr);
    auto* item = static_cast<TZCLWaveListItem*>(list.GetItem(list.Add()));
    GuardedStream r(riff);
    item->Wave()->LoadFromStream(&r);
    static_cast<TZCLWaveListItem*>(list.GetItem(list.Add()))->SetCompressed(true);
    static_cast<TZCLWaveListItem*>(list.GetItem(1))->SetWave(item->Wave());
    list.Add();  // an empty one
    TempFile f("zwl");
    list.SaveToFile(AnsiString(f.name()));
    const Bytes file = f.Read();
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 9), Concat({{8}, Text("ZCLWVL30")}));
    TZCLWave wave;
    EXPECT_TRUE(ZCLWVLGetItem(AnsiString(f.name()), 1, &wave));
    EXPECT_EQ(StreamBytes(*wave.Data()), riff);
    EXPECT_TRUE(ZCLWVLGetItem(AnsiString(f.name()), 2, &wave));
    EXPECT_TRUE(wave.GetEmpty());
}

TEST(FormStreams, AtDesignTimeTheControlHasItsOwnContainerOncePerForm)
{
    TZCLContainer* def = ZCLDefaultContainer();
    def->BitmapList()->Clear();
    TComponent form(nullptr);
    form.SetDesigning(true);
    auto* ctrl = new TZCLContainerCtrl(&form);
    ASSERT_NE(ctrl->Container(), def);
    // Its lists' changes are copied into the default lists.
    AddBitmap(*ctrl->Container()->BitmapList(), Red);
    ASSERT_EQ(def->BitmapList()->Count(), 1);
    EXPECT_EQ(Px(def->BitmapList()->GetBitmap(0), 0, 0), Red);
    try {
        new TZCLContainerCtrl(&form);
        ADD_FAILURE() << "a second one was made";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "TZCLContainerCtrl:\rInvalid owner (<>TForm) or second instance on a form");
    }
    EXPECT_EQ(form.ComponentCount(), 1);
    // Removed from the form, it takes the default lists' content along.
    delete ctrl;
    EXPECT_EQ(def->BitmapList()->Count(), 0);
}

TEST(ContainerLists, EachKindHasItsSignature)
{
    TempFile f("zls");
    const auto check = [&](TZCLCustomContainer& list, TZCLListItemClassType kind, const char* signature) {
        list.Add();
        list.SaveToFile(AnsiString(f.name()));
        const Bytes file = f.Read();
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 9), Concat({{8}, Text(signature)})) << signature;
        int count = 0;
        EXPECT_EQ(ZCLListGetFileType(AnsiString(f.name()), count, nullptr), kind) << signature;
        EXPECT_EQ(count, 1);
        EXPECT_EQ(ZCLICGetSignature(kind), AnsiString("\x08") + signature);
    };
    TZCLImageList images(nullptr);
    TZCLBitmapList bitmaps(nullptr);
    TZCLWaveList waves(nullptr);
    TZCLStringList strings(nullptr);
    TZCLGenericList generic(nullptr);
    check(images, icImageList, "ZCLIML30");
    check(bitmaps, icBitmap, "ZCLBML30");
    check(waves, icWave, "ZCLWVL30");
    check(strings, icStringList, "ZCLSLL30");
    check(generic, icGeneric, "ZCLGLL50");
    EXPECT_EQ(ZCLICGetSignature(icInvalid), "");
}
