#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"

namespace {

using Items = std::vector<std::string>;

Items ItemsOf(const TStrings& s)
{
    Items r;
    for (int i = 0; i < s.Count(); ++i) r.push_back(s.Strings(i).c_str());
    return r;
}

void Fill(TStrings& s, const Items& items)
{
    s.Clear();
    for (const std::string& i : items) s.Add(AnsiString(i));
}

// A minimal list on the abstract base, to see what the base itself does.
class TPlainStrings : public TStrings {
public:
    int Count() const override { return int(items_.size()); }
    void Insert(int index, const AnsiString& s) override { items_.insert(items_.begin() + index, s); }
    void Delete(int index) override { items_.erase(items_.begin() + index); }
    void Clear() override { items_.clear(); }
    std::vector<bool> updates;

protected:
    AnsiString Get(int index) const override { return items_.at(std::size_t(index)); }
    void SetUpdateState(bool updating) override { updates.push_back(updating); }

private:
    std::vector<AnsiString> items_;
};

}  // namespace

// CommaText -------------------------------------------------------------------------------------------------------

TEST(CommaText, WritingQuotesWhatWouldNotReadBack)
{
    struct Case {
        Items items;
        const char* text;
    };
    const Case cases[] = {
        {{"a b"}, "\"a b\""},
        {{""}, "\"\""},
        {{"a\"b"}, "\"a\"\"b\""},
        {{"a,b"}, "\"a,b\""},
        {{" lead"}, "\" lead\""},
        {{"tab\there"}, "\"tab\there\""},
        {{"a", "", "b"}, "a,,b"},
        {{"", ""}, ","},
        {{"plain", "x=y", "Ctrl+F1"}, "plain,x=y,Ctrl+F1"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        TStringList list;
        Fill(list, c.items);
        EXPECT_EQ(list.CommaText(), c.text);
        // Whatever was written reads back to the same items.
        TStringList back;
        back.SetCommaText(list.CommaText());
        EXPECT_EQ(ItemsOf(back), c.items) << c.text;
    }
}

TEST(CommaText, ReadingSplitsOnCommasAndUnquotedBlanks)
{
    struct Case {
        const char* text;
        Items items;
    };
    const Case cases[] = {
        {"a b", {"a", "b"}},
        {"  a ,  b  ", {"a", "b"}},
        {"\"a b\",c", {"a b", "c"}},
        {"\"a\"\"b\"", {"a\"b"}},
        {"a,", {"a", ""}},
        {",a", {"", "a"}},
        {"a,,b", {"a", "", "b"}},
        {"", {}},
        {"   ", {}},
        {"\"\"", {""}},
        {"\"unterminated", {"unterminated"}},
        {"a\tb\r\nc", {"a", "b", "c"}},
        {"\"x\"y", {"x", "y"}},
        {"a , , b", {"a", "", "b"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.Add("old");
        list.SetCommaText(c.text);
        EXPECT_EQ(ItemsOf(list), c.items) << "'" << c.text << "'";
    }
}

TEST(CommaText, DelimitedTextUsesTheListsDelimiterAndQuote)
{
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    Fill(list, {"a,b", "it's", "c"});
    EXPECT_EQ(list.DelimitedText(), "a,b;'it''s';c");
    EXPECT_EQ(list.CommaText(), "\"a,b\",it's,c");  // CommaText keeps its own rules
    list.SetDelimitedText("x;'y;z' w");
    EXPECT_EQ(ItemsOf(list), (Items{"x", "y;z", "w"}));
}

// Names and values --------------------------------------------------------------------------------------------

TEST(StringValues, SetReplacesAppendsAndDeletesOnEmpty)
{
    TStringList list;
    Fill(list, {"Port=COM1", "plain", "Baud=9600"});
    list.SetValues("port", "COM2");  // names compare without case; the line keeps its place
    EXPECT_EQ(ItemsOf(list), (Items{"port=COM2", "plain", "Baud=9600"}));
    list.SetValues("Parity", "None");
    EXPECT_EQ(ItemsOf(list), (Items{"port=COM2", "plain", "Baud=9600", "Parity=None"}));
    list.SetValues("Baud", "");
    EXPECT_EQ(ItemsOf(list), (Items{"port=COM2", "plain", "Parity=None"}));
    list.SetValues("Missing", "");  // nothing to delete
    EXPECT_EQ(list.Count(), 3);

    EXPECT_EQ(list.Values("PORT"), "COM2");
    EXPECT_EQ(list.Values("Missing"), "");
    EXPECT_EQ(list.Values("plain"), "");  // a line without separator has no name
    EXPECT_EQ(list.IndexOfName("parity"), 2);
    EXPECT_EQ(list.Names(0), "port");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.ValueFromIndex(1), "");
    EXPECT_EQ(list.ValueFromIndex(2), "None");
}

TEST(StringValues, ValuesMayHoldTheSeparatorAndTheSeparatorCanChange)
{
    TStringList list;
    list.Add("Key=a=b");
    EXPECT_EQ(list.Values("Key"), "a=b");
    list.SetValueFromIndex(0, "c");
    EXPECT_EQ(list.Strings(0), "Key=c");
    list.SetNameValueSeparator(':');
    list.SetValues("Host", "x=1");
    EXPECT_EQ(list.Strings(1), "Host:x=1");
    EXPECT_EQ(list.Values("Host"), "x=1");
    EXPECT_EQ(list.IndexOfName("Key"), -1);
}

// Text --------------------------------------------------------------------------------------------------------

TEST(StringText, SettingSplitsOnCrLfCrAndLf)
{
    struct Case {
        const char* text;
        Items items;
    };
    const Case cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"", {}},
        {"no break", {"no break"}},
        {"a\n\rb", {"a", "", "b"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(ItemsOf(list), c.items);
    }
}

TEST(StringText, GettingEndsEveryLineWithCrLf)
{
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    Fill(list, {"a", "", "b"});
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
    TStringList back;
    back.SetText(list.Text());
    EXPECT_TRUE(back.Equals(&list));
}

// Sorting and duplicates ----------------------------------------------------------------------------------------

TEST(SortedList, AddsInOrderAndHandlesDuplicates)
{
    TStringList list;
    list.SetSorted(true);
    EXPECT_EQ(list.Add("m"), 0);
    EXPECT_EQ(list.Add("c"), 0);
    EXPECT_EQ(list.Add("x"), 2);
    EXPECT_EQ(list.Add("C"), 0);  // dupIgnore, without case: the existing index, nothing added
    EXPECT_EQ(ItemsOf(list), (Items{"c", "m", "x"}));

    list.SetDuplicates(dupError);
    try {
        list.Add("M");
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    list.SetDuplicates(dupAccept);
    list.Add("m");
    EXPECT_EQ(ItemsOf(list), (Items{"c", "m", "m", "x"}));

    int index = -1;
    EXPECT_TRUE(list.Find("X", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(list.Find("d", index));
    EXPECT_EQ(index, 1);  // where it would go
    EXPECT_EQ(list.IndexOf("M"), 1);
    EXPECT_THROW(list.Insert(0, "a"), EStringListError);
    EXPECT_THROW(list.SetStrings(0, "a"), EStringListError);
}

TEST(SortedList, SwitchingSortedOnSortsTheList)
{
    TStringList list;
    Fill(list, {"delta", "Alpha", "charlie", "bravo"});
    list.SetSorted(true);
    EXPECT_EQ(ItemsOf(list), (Items{"Alpha", "bravo", "charlie", "delta"}));
    EXPECT_EQ(list.IndexOf("CHARLIE"), 2);
}

TEST(SortedList, CaseSensitiveListsKeepBothCases)
{
    TStringList list;
    list.SetSorted(true);
    list.SetCaseSensitive(true);
    list.Add("b");
    list.Add("B");
    list.Add("a");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf("A"), -1);
    int index;
    EXPECT_TRUE(list.Find("B", index));
    EXPECT_EQ(list.Strings(index), "B");
    // Back to case-insensitive: the list is sorted again and still searchable.
    list.SetCaseSensitive(false);
    EXPECT_EQ(list.IndexOf("A"), 0);
    EXPECT_GE(list.IndexOf("b"), 1);
}

TEST(SortedList, CustomSortOrdersByTheGivenComparison)
{
    TStringList list;
    Fill(list, {"ccc", "a", "bb", "dddd", ""});
    list.CustomSort([](TStringList* l, int i, int j) { return l->Strings(i).Length() - l->Strings(j).Length(); });
    EXPECT_EQ(ItemsOf(list), (Items{"", "a", "bb", "ccc", "dddd"}));
}

TEST(SortedList, AnInconsistentComparisonNeverLeavesTheList)
{
    TStringList list;
    Items items;
    for (int i = 0; i < 200; ++i) items.push_back(std::to_string(i * 7919 % 200));
    Fill(list, items);
    for (int answer : {-1, 1}) {
        static int fixed;
        fixed = answer;
        list.CustomSort([](TStringList*, int, int) { return fixed; });
        Items after = ItemsOf(list);
        Items before = items;
        std::sort(after.begin(), after.end());
        std::sort(before.begin(), before.end());
        EXPECT_EQ(after, before);
    }
    TList pointers;
    int cells[50] = {};
    for (int& c : cells) pointers.Add(&c);
    pointers.Sort([](void*, void*) { return -1; });
    EXPECT_EQ(pointers.Count(), 50);
}

// Change events ---------------------------------------------------------------------------------------------

TEST(StringListEvents, ChangeEventsAreHeldDuringAnUpdate)
{
    TStringList list;
    int changes = 0, changings = 0;
    list.SetOnChange(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changes;
    }));
    list.SetOnChanging(TNotifyEvent::From([&](TObject*) { ++changings; }));

    list.Add("a");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(changings, 1);

    changes = changings = 0;
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.SetStrings(0, "c");
    list.EndUpdate();
    EXPECT_EQ(changes, 0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(changings, 1);

    changes = changings = 0;
    list.SetCommaText("x,y,z");  // one update around the whole rebuild
    EXPECT_EQ(changes, 1);
    list.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(list.UpdateCount(), 0);

    changes = 0;
    TStringList empty;
    empty.SetOnChange(list.OnChange());
    empty.Clear();  // nothing to clear: no event
    EXPECT_EQ(changes, 0);
}

TEST(StringListEvents, UpdateStateHookSeesOnlyTheOutermostPair)
{
    TPlainStrings s;
    s.BeginUpdate();
    s.BeginUpdate();
    s.EndUpdate();
    s.EndUpdate();
    EXPECT_EQ(s.updates, (std::vector<bool>{true, false}));
}

// Base behaviour and list operations ---------------------------------------------------------------------------

TEST(StringList, IndexErrorsCarryTheIndex)
{
    TStringList list;
    Fill(list, {"a", "b"});
    struct Case {
        std::function<void()> op;
        const char* message;
    };
    const Case cases[] = {
        {[&] { list.Strings(2); }, "List index out of bounds (2)"},
        {[&] { list.Delete(-1); }, "List index out of bounds (-1)"},
        {[&] { list.Insert(3, "x"); }, "List index out of bounds (3)"},
        {[&] { list.SetObjects(5, nullptr); }, "List index out of bounds (5)"},
        {[&] { list.Exchange(0, 2); }, "List index out of bounds (2)"},
    };
    for (const Case& c : cases) {
        try {
            c.op();
            ADD_FAILURE() << c.message;
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_NO_THROW(list.Insert(2, "end"));
}

TEST(StringList, ObjectsTravelWithTheirStrings)
{
    TStringList list, other;
    TBits one, two;
    list.AddObject("one", &one);
    list.AddObject("two", &two);
    list.Add("three");
    EXPECT_EQ(list.IndexOfObject(&two), 1);
    list.Exchange(0, 1);
    EXPECT_EQ(list.Objects(0), &two);
    list.Move(0, 2);
    EXPECT_EQ(ItemsOf(list), (Items{"one", "three", "two"}));
    EXPECT_EQ(list.Objects(2), &two);
    other.Assign(&list);
    EXPECT_TRUE(other.Equals(&list));
    EXPECT_EQ(other.Objects(0), &one);
    other.AddStrings(&list);
    EXPECT_EQ(other.Count(), 6);
    EXPECT_FALSE(other.Equals(&list));
}

TEST(StringList, IndexOfIgnoresCaseUnlessAsked)
{
    TStringList list;
    Fill(list, {"Alpha", "beta"});
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("gamma"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);
    EXPECT_EQ(list.IndexOf("beta"), 1);
}

TEST(StringList, TheBaseClassBuildsOnItsFourPrimitives)
{
    TPlainStrings s;
    s.SetCommaText("Port=1,b,c");
    s.SetStrings(1, "B");  // Put: delete and insert
    s.SetValues("Port", "2");
    s.Move(2, 0);
    EXPECT_EQ(ItemsOf(s), (Items{"c", "Port=2", "B"}));
    EXPECT_EQ(s.IndexOf("b"), 2);
    EXPECT_EQ(s.Objects(0), nullptr);
    TStringList copy;
    copy.Assign(&s);
    EXPECT_EQ(copy.CommaText(), "c,Port=2,B");
}

// Files and streams --------------------------------------------------------------------------------------------

TEST(StringListFiles, SaveAndLoadRoundTripThroughARealFile)
{
    char dir[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, dir), 0u);
    const AnsiString name = AnsiString(dir) + "StringListTest-" + AnsiString(int(GetCurrentProcessId())) + ".txt";
    TStringList list;
    Fill(list, {"first", "", "x=\"y\"", "last"});
    list.SaveToFile(name);
    TStringList back;
    back.Add("stale");
    back.LoadFromFile(name);
    EXPECT_TRUE(back.Equals(&list));

    TFileStream raw(name, fmOpenRead);
    std::string bytes(std::size_t(raw.Size()), '\0');
    raw.ReadBuffer(bytes.data(), raw.Size());
    EXPECT_EQ(bytes, "first\r\n\r\nx=\"y\"\r\nlast\r\n");
    DeleteFileA(name.c_str());

    EXPECT_THROW(back.LoadFromFile(name), EFOpenError);
}

TEST(StringListFiles, StreamsAreReadFromTheirPosition)
{
    TMemoryStream stream;
    stream.WriteBuffer("skip\na\nb", 8);
    stream.SetPosition(5);
    TStringList list;
    list.LoadFromStream(&stream);
    EXPECT_EQ(ItemsOf(list), (Items{"a", "b"}));

    TMemoryStream out;
    list.SaveToStream(&out);
    EXPECT_EQ(out.Size(), 6);
    EXPECT_EQ(std::string(static_cast<const char*>(out.Memory()), 6), "a\r\nb\r\n");
}

// Streaming --------------------------------------------------------------------------------------------------

namespace {
// A component that publishes a string list it owns.
class TLinesHolder : public TComponent {
public:
    explicit TLinesHolder(TComponent* owner) : TComponent(owner) {}
    TStringList* Lines() const { return lines_.get(); }

private:
    std::unique_ptr<TStringList> lines_ = std::make_unique<TStringList>();
};
}  // namespace

TEST(StringListStreaming, APublishedListKeepsItsLines)
{
    static const bool registered = [] {
        PublishedProperties<TLinesHolder>().Object("Lines", &TLinesHolder::Lines, nullptr);
        RegisterClass(ClassOf<TLinesHolder>());
        return true;
    }();
    (void)registered;

    TMemoryStream stream;
    {
        TLinesHolder holder(nullptr);
        Fill(*holder.Lines(), {"one", "", "a \"b\", c"});
        stream.WriteComponent(&holder);
    }
    stream.SetPosition(0);
    TLinesHolder back(nullptr);
    back.Lines()->Add("stale");
    stream.ReadComponent(&back);
    EXPECT_EQ(ItemsOf(*back.Lines()), (Items{"one", "", "a \"b\", c"}));

    // An empty list writes nothing and reads back empty.
    TMemoryStream empty;
    {
        TLinesHolder holder(nullptr);
        empty.WriteComponent(&holder);
    }
    empty.SetPosition(0);
    TLinesHolder none(nullptr);
    empty.ReadComponent(&none);
    EXPECT_EQ(none.Lines()->Count(), 0);
}
