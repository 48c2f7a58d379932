// The untyped-item buffer's stream format and the last-in-first-out stack: order, limits, what is destroyed and
// what stays with the caller, and buffer files that are damaged or foreign.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "StoreTestHelpers.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Streams.h"
#include "zcl/containers/Zcldynlifobuffer.h"
#include "zcl/containers/Zclstreamutils.h"

using namespace storetest;

namespace {

// Items are NUL-terminated texts from std::malloc; the recorder sizes them and notes which are destroyed.
struct Recorder {
    std::vector<std::string> destroyed;
    void Destroy(TObject*, void* item)
    {
        destroyed.push_back(item ? static_cast<const char*>(item) : "(null)");
        std::free(item);
    }
    void Size(TObject*, void* item, std::int32_t& size) { size = std::int32_t(std::strlen(static_cast<char*>(item)) + 1); }
};

void* Item(const char* text)
{
    void* p = std::malloc(std::strlen(text) + 1);
    std::strcpy(static_cast<char*>(p), text);
    return p;
}

std::string Take(TZCLBuffer& b)
{
    void* p = b.Get();
    if (!p) return "(none)";
    std::string s(static_cast<char*>(p));
    std::free(p);
    return s;
}

// The items oldest first, by walking the nodes.
std::vector<std::string> Walk(TZCLBuffer& b)
{
    std::vector<std::string> out;
    void* node = nullptr;
    for (b.FirstNode(node); !b.EOFBuffer(node); b.NextNode(node)) out.push_back(static_cast<char*>(b.GetItem(node)));
    return out;
}

const Bytes Header = Concat({Le32(23), Text("@ZCLBufferStream-V0.1@"), {0}});

}  // namespace

TEST(DynLIFOBuffer, StartsEmptyAndStacks)
{
    TZCLDynLIFOBuffer b;
    EXPECT_EQ(b.MaxItems(), -1);
    EXPECT_EQ(b.Count(), 0);
    EXPECT_TRUE(b.Overwrite());
    EXPECT_TRUE(b.isEmpty());
    EXPECT_FALSE(b.isFull());
    EXPECT_EQ(b.Get(), nullptr);
    for (const char* t : {"a", "b", "c"}) EXPECT_TRUE(b.Put(Item(t)));
    EXPECT_EQ(b.Count(), 3);
    EXPECT_EQ(Walk(b), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Take(b), "c");
    EXPECT_EQ(Take(b), "b");
    EXPECT_EQ(b.Count(), 1);
}

TEST(DynLIFOBuffer, LimitsOverwriteAndRefusal)
{
    struct Case {
        const char* what;
        int maxItems;
        bool overwrite;
        std::vector<bool> taken;               // Put's answers for a, b, c
        std::vector<std::string> destroyed;    // by the buffer while putting
        std::vector<std::string> held;         // oldest first
    } cases[] = {
        {"two, overwriting", 2, true, {true, true, true}, {"a"}, {"b", "c"}},
        {"one, overwriting", 1, true, {true, true, true}, {"a", "b"}, {"c"}},
        {"two, refusing", 2, false, {true, true, false}, {}, {"a", "b"}},
        {"none at all", 0, true, {false, false, false}, {}, {}},
        {"none at all, refusing", 0, false, {false, false, false}, {}, {}},
        {"no limit", -1, false, {true, true, true}, {}, {"a", "b", "c"}},
        // A limit below -1 keeps the buffer full even when empty: it holds one item at most.
        {"below -1, overwriting", -2, true, {true, true, true}, {"a", "b"}, {"c"}},
        {"far below -1, overwriting", -100, true, {true, true, true}, {"a", "b"}, {"c"}},
        {"below -1, refusing", -2, false, {false, false, false}, {}, {}},
    };
    for (const Case& c : cases) {
        Recorder r;
        TZCLDynLIFOBuffer b;
        b.SetOnDestroyItem(TZCLBufferItemEvent(&r, &Recorder::Destroy));
        b.SetMaxItems(c.maxItems);
        b.SetOverwrite(c.overwrite);
        std::vector<bool> taken;
        for (const char* t : {"a", "b", "c"}) {
            void* item = Item(t);
            const bool ok = b.Put(item);
            taken.push_back(ok);
            if (!ok) std::free(item);  // a refused item stays with the caller
        }
        EXPECT_EQ(taken, c.taken) << c.what;
        EXPECT_EQ(r.destroyed, c.destroyed) << c.what;
        EXPECT_EQ(Walk(b), c.held) << c.what;
        EXPECT_EQ(b.Count(), int(c.held.size())) << c.what;
        EXPECT_EQ(b.isFull(), c.maxItems != -1 && int(c.held.size()) >= c.maxItems) << c.what;
    }
}

TEST(DynLIFOBuffer, GetHandsBackAndClearDestroys)
{
    Recorder r;
    auto b = std::make_unique<TZCLDynLIFOBuffer>();
    b->SetOnDestroyItem(TZCLBufferItemEvent(&r, &Recorder::Destroy));
    b->SetMaxItems(2);
    for (const char* t : {"first", "second", "third"}) b->Put(Item(t));
    EXPECT_EQ(r.destroyed, std::vector<std::string>{"first"});
    EXPECT_EQ(Take(*b), "third");
    EXPECT_EQ(Take(*b), "second");
    EXPECT_EQ(Take(*b), "(none)");
    b->Put(Item("x"));
    b->Put(Item("y"));
    b->Clear();
    EXPECT_EQ(r.destroyed, (std::vector<std::string>{"first", "y", "x"}));
    EXPECT_TRUE(b->isEmpty());
    EXPECT_EQ(b->Count(), 0);
    b->Put(Item("kept"));
    b.reset();  // destroying it destroys what it holds
    EXPECT_EQ(r.destroyed.back(), "kept");
}

TEST(DynLIFOBuffer, UpdateCountNeverGoesBelowZero)
{
    TZCLDynLIFOBuffer b;
    b.EndUpdate();
    EXPECT_FALSE(b.Updating());
    b.BeginUpdate();
    b.BeginUpdate();
    b.EndUpdate();
    EXPECT_TRUE(b.Updating());
    b.EndUpdate();
    b.EndUpdate();
    EXPECT_FALSE(b.Updating());
    b.BeginUpdate();
    EXPECT_TRUE(b.Updating());
}

TEST(BufferStream, StoredBytes)
{
    Recorder r;
    TZCLDynLIFOBuffer b;
    b.SetOnDestroyItem(TZCLBufferItemEvent(&r, &Recorder::Destroy));
    EXPECT_EQ(Written([&](TStream* s) { b.SaveToStream(s); }), Header);
    b.Put(Item("ab"));
    b.Put(Item("xyz"));
    // No size handler: every item stored with size 0.
    EXPECT_EQ(Written([&](TStream* s) { b.SaveToStream(s); }), Concat({Header, Le32(0), Le32(0)}));
    void* node = nullptr;
    b.FirstNode(node);
    EXPECT_EQ(b.GetItemSize(b.GetItem(node)), 0);
    b.SetOnGetItemSize(TZCLBufferItemSizeEvent(&r, &Recorder::Size));
    EXPECT_EQ(Written([&](TStream* s) { b.SaveToStream(s); }),
              Concat({Header, Le32(3), Text("ab"), {0}, Le32(4), Text("xyz"), {0}}));
}

TEST(BufferStream, RoundTripKeepsOrderThroughAFile)
{
    Recorder r;
    TZCLDynLIFOBuffer b;
    b.SetOnDestroyItem(TZCLBufferItemEvent(&r, &Recorder::Destroy));
    b.SetOnGetItemSize(TZCLBufferItemSizeEvent(&r, &Recorder::Size));
    for (const char* t : {"one", "two", "three"}) b.Put(Item(t));
    TempFile f("zbf");
    b.SaveToFile(AnsiString(f.name()));
    const Bytes saved = f.Read();

    TZCLDynLIFOBuffer c;
    c.SetOnGetItemSize(TZCLBufferItemSizeEvent(&r, &Recorder::Size));
    c.Put(Item("old"));
    c.LoadFromFile(AnsiString(f.name()));
    EXPECT_EQ(Walk(c), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(Written([&](TStream* s) { c.SaveToStream(s); }), saved);
}

TEST(BufferStream, ForeignHeadersLeaveTheBufferAlone)
{
    const Bytes item = Concat({Le32(2), Text("q"), {0}});
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"other text", Concat({Le32(23), Text("@ZCLBufferStream-V0.2@"), {0}, item})},
        {"shorter header", Concat({Le32(10), Text("@ZCLBuffer"), item})},
        {"header cut short", Concat({Le32(21), Text("@ZCLBufferStream-V0.1"), item})},
        {"length beyond the data", Concat({Le32(1000), Text("@ZCLBufferStream-V0.1@"), {0}})},
        {"negative length", Le32(-23)},
    };
    for (const auto& c : cases) {
        TZCLDynLIFOBuffer b;
        b.Put(Item("mine"));
        GuardedStream s(c.bytes);
        b.LoadFromStream(&s);
        EXPECT_EQ(Walk(b), std::vector<std::string>{"mine"}) << c.what;
    }
    // The header ends at its NUL, whatever follows it in the stored length.
    TZCLDynLIFOBuffer b;
    GuardedStream s(Concat({Le32(26), Text("@ZCLBufferStream-V0.1@"), {0, 'z', 'z', 'z'}, item}));
    b.LoadFromStream(&s);
    EXPECT_EQ(Walk(b), std::vector<std::string>{"q"});
}

TEST(BufferStream, DamagedItemListsAreRefusedAndTheBufferKept)
{
    Recorder r;
    TZCLDynLIFOBuffer src;
    src.SetOnGetItemSize(TZCLBufferItemSizeEvent(&r, &Recorder::Size));
    for (const char* t : {"alpha", "beta", "gamma", "delta"}) src.Put(Item(t));
    const Bytes good = Written([&](TStream* s) { src.SaveToStream(s); });

    for (const auto& cut : {Concat({Header, Le32(10), Text("abc")}), Concat({Header, Le32(-5)}),
                            Concat({Header, Le32(2), Text("ok"), {1, 2}})}) {
        TZCLDynLIFOBuffer b;
        b.Put(Item("mine"));
        GuardedStream s(cut);
        EXPECT_THROW(b.LoadFromStream(&s), EReadError);
        EXPECT_EQ(Walk(b), std::vector<std::string>{"mine"});
    }

    ReadEachDamaged(Damaged(good, 5), [](TStream* s) {
        TZCLDynLIFOBuffer b;
        b.Put(Item("mine"));
        try {
            b.LoadFromStream(s);
        } catch (const Exception&) {
            EXPECT_EQ(Walk(b), std::vector<std::string>{"mine"});
            throw;
        }
    });
}
