#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/runtime/Classes.h"

// TList -------------------------------------------------------------------------------------------------------

namespace {
int cells[8];
void* P(int i) { return &cells[i]; }

std::vector<int> Indexes(const TList& list)
{
    std::vector<int> r;
    for (void* p : list.List()) r.push_back(p ? int(static_cast<int*>(p) - cells) : -1);
    return r;
}
}  // namespace

TEST(PointerList, EditsKeepOrder)
{
    TList list;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list.Add(P(i)), i);
    list.Insert(1, P(7));
    EXPECT_EQ(Indexes(list), (std::vector<int>{0, 7, 1, 2, 3}));
    list.Delete(0);
    EXPECT_EQ(list.Remove(P(2)), 2);
    EXPECT_EQ(list.Remove(P(5)), -1);
    EXPECT_EQ(Indexes(list), (std::vector<int>{7, 1, 3}));
    list.Exchange(0, 2);
    list.Move(0, 1);
    EXPECT_EQ(Indexes(list), (std::vector<int>{1, 3, 7}));
    EXPECT_EQ(list.First(), P(1));
    EXPECT_EQ(list.Last(), P(7));
    EXPECT_EQ(list.Extract(P(3)), P(3));
    EXPECT_EQ(list.Extract(P(3)), nullptr);
    list.SetItems(0, nullptr);
    list.Add(nullptr);
    list.Add(P(4));
    list.Pack();
    EXPECT_EQ(Indexes(list), (std::vector<int>{7, 4}));
    EXPECT_EQ(list.IndexOf(P(4)), 1);
}

TEST(PointerList, SortUsesTheComparison)
{
    TList list;
    for (int i : {5, 1, 4, 0, 3, 2}) list.Add(P(i));
    list.Sort([](void* a, void* b) { return int(static_cast<int*>(a) - static_cast<int*>(b)); });
    EXPECT_EQ(Indexes(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST(PointerList, CapacityAndCount)
{
    TList list;
    list.SetCapacity(10);
    EXPECT_EQ(list.Capacity(), 10);
    list.SetCount(3);  // nil entries
    EXPECT_EQ(Indexes(list), (std::vector<int>{-1, -1, -1}));
    for (int i = 0; i < 20; ++i) list.Add(P(0));
    EXPECT_GE(list.Capacity(), list.Count());
    EXPECT_THROW(list.SetCapacity(2), EListError);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(PointerList, BadIndexesRaiseWithTheIndex)
{
    TList list;
    list.Add(P(0));
    list.Add(P(1));
    struct Case {
        std::function<void()> op;
        const char* message;
    };
    const Case cases[] = {
        {[&] { list.Items(2); }, "List index out of bounds (2)"},
        {[&] { list.Items(-1); }, "List index out of bounds (-1)"},
        {[&] { list.Delete(5); }, "List index out of bounds (5)"},
        {[&] { list.Insert(3, nullptr); }, "List index out of bounds (3)"},
        {[&] { list.SetItems(2, nullptr); }, "List index out of bounds (2)"},
        {[&] { list.Exchange(0, 9); }, "List index out of bounds (9)"},
        {[&] { list.Move(0, 2); }, "List index out of bounds (2)"},
        {[&] { list.SetCapacity(1); }, "List capacity out of bounds (1)"},
        {[&] { list.SetCount(-1); }, "List count out of bounds (-1)"},
    };
    for (const Case& c : cases) {
        try {
            c.op();
            ADD_FAILURE() << c.message;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_EQ(Indexes(list), (std::vector<int>{0, 1}));
    TList empty;
    EXPECT_THROW(empty.First(), EListError);
    EXPECT_THROW(empty.Last(), EListError);
    EXPECT_NO_THROW(list.Insert(2, P(2)));  // at the end is fine
}

TEST(PointerList, DerivedListsAreToldOfAddsAndDeletes)
{
    struct TCounting : TList {
        ~TCounting() override { Clear(); }  // while the override still stands
        void Notify(void*, TListNotification action) override { log.push_back(action); }
        std::vector<int> log;
    };
    std::vector<int> log;
    {
        TCounting list;
        list.Add(P(0));
        list.Add(P(1));
        list.Extract(P(0));
        list.Delete(0);
        list.Add(P(2));
        log = list.log;
        list.log.clear();
    }
    EXPECT_EQ(log, (std::vector<int>{0, 0, 1, 2, 0}));
}

// TBits -------------------------------------------------------------------------------------------------------

TEST(Bits, SettingPastTheEndGrows)
{
    TBits bits;
    EXPECT_EQ(bits.Size(), 0);
    EXPECT_EQ(bits.OpenBit(), 0);
    bits.SetBits(0, true);
    bits.SetBits(1, true);
    bits.SetBits(3, true);
    EXPECT_EQ(bits.Size(), 4);
    EXPECT_FALSE(bits.Bits(2));
    EXPECT_EQ(bits.OpenBit(), 2);
    bits.SetBits(2, true);
    EXPECT_EQ(bits.OpenBit(), 4);  // all set: the size
    bits.SetSize(2);
    EXPECT_EQ(bits.Size(), 2);
    bits.SetSize(5);
    EXPECT_FALSE(bits.Bits(4));  // grown bits are clear
}

TEST(Bits, BadIndexesRaise)
{
    TBits bits;
    bits.SetSize(3);
    for (auto op : std::vector<std::function<void()>>{[&] { bits.Bits(-1); }, [&] { bits.SetBits(-1, true); },
                                                      [&] { bits.Bits(3); }, [&] { bits.SetSize(-1); }}) {
        try {
            op();
            ADD_FAILURE();
        } catch (const EBitsError& e) {
            EXPECT_EQ(e.Message(), "Bits index out of range");
        }
    }
    EXPECT_EQ(bits.Size(), 3);
}

// Collections ---------------------------------------------------------------------------------------------------

namespace {
class TValueItem : public TCollectionItem {
public:
    explicit TValueItem(TCollection* collection) : TCollectionItem(collection) {}
    int Value() const { return value_; }
    void SetValue(int v)
    {
        value_ = v;
        Changed(false);
    }
    void Assign(TPersistent* source) override
    {
        if (auto* other = dynamic_cast<TValueItem*>(source)) {
            SetValue(other->value_);
            return;
        }
        TCollectionItem::Assign(source);
    }

private:
    int value_ = 0;
};

class TWatchedCollection : public TOwnedCollection {
public:
    TWatchedCollection(TPersistent* owner) : TOwnedCollection(owner, ClassOf<TValueItem>()) {}
    std::vector<TCollectionItem*> updates;

protected:
    void Update(TCollectionItem* item) override { updates.push_back(item); }
};
}  // namespace

TEST(Collection, ItemsAreMadeFromTheItemClassAndOwned)
{
    TComponent owner(nullptr);
    owner.SetName("Storage");
    TWatchedCollection items(&owner);
    items.SetPropName("Items");
    auto* a = static_cast<TValueItem*>(items.Add());
    auto* b = static_cast<TValueItem*>(items.Add());
    EXPECT_EQ(a->ClassType(), ClassOf<TValueItem>());
    EXPECT_EQ(items.Count(), 2);
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(b->Collection(), &items);
    EXPECT_EQ(items.FindItemID(b->ID()), b);
    EXPECT_EQ(b->GetNamePath(), "Storage.Items[1]");
    EXPECT_EQ(a->DisplayName(), "TValueItem");

    b->SetIndex(0);
    EXPECT_EQ(items.Items(0), b);
    delete a;  // leaves the collection
    EXPECT_EQ(items.Count(), 1);
    EXPECT_THROW(items.Items(1), EListError);
}

TEST(Collection, ChangesReachUpdateOnceUpdatesEnd)
{
    TWatchedCollection items(nullptr);
    auto* a = static_cast<TValueItem*>(items.Add());
    items.updates.clear();
    a->SetValue(3);
    EXPECT_EQ(items.updates, (std::vector<TCollectionItem*>{a}));

    items.updates.clear();
    items.BeginUpdate();
    a->SetValue(4);
    items.Add();
    items.Delete(1);
    EXPECT_TRUE(items.updates.empty());
    items.EndUpdate();
    EXPECT_EQ(items.updates, (std::vector<TCollectionItem*>{nullptr}));
}

TEST(Collection, AssignCopiesTheItems)
{
    TWatchedCollection source(nullptr), dest(nullptr);
    for (int v : {1, 2, 3}) static_cast<TValueItem*>(source.Add())->SetValue(v);
    dest.Add();
    dest.updates.clear();
    dest.Assign(&source);
    ASSERT_EQ(dest.Count(), 3);
    EXPECT_EQ(static_cast<TValueItem*>(dest.Items(2))->Value(), 3);
    EXPECT_EQ(dest.updates.size(), 1u);  // one notification for the whole copy
    TStringList list;
    EXPECT_THROW(dest.Assign(&list), EConvertError);
}
