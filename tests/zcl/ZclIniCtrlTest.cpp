// The settings store on the real registry (HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE keys of the test prefix,
// read back with the raw registry calls) and on real .ini files (read back as text).

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclinictrl.h"
#include "zcl/core/Zclprocs.h"

namespace {

const char TestKey[] = "Software\\DravikTest\\ZclIniCtrl";

// Raw registry access ---------------------------------------------------------------------------------------------

struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::string text;
};

RawValue RawRead(HKEY root, const std::string& key, const std::string& name)
{
    RawValue v;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return v;
    char buf[1024] = "";
    DWORD size = sizeof buf - 1;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &v.type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS) {
        v.found = true;
        v.text.assign(buf, size && buf[size - 1] == '\0' ? size - 1 : size);
    }
    RegCloseKey(k);
    return v;
}

void RawWrite(HKEY root, const std::string& key, const std::string& name, const std::string& text)
{
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
    RegCloseKey(k);
}

bool RawKeyExists(HKEY root, const std::string& key)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::vector<std::string> RawNames(HKEY root, const std::string& key, bool subkeys)
{
    std::vector<std::string> names;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD len = sizeof name;
        const LONG r = subkeys ? RegEnumKeyExA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr)
                               : RegEnumValueA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (r != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    RegCloseKey(k);
    std::sort(names.begin(), names.end());
    return names;
}

void RawDeleteTree(HKEY root, const std::string& key)
{
    for (const std::string& sub : RawNames(root, key, true)) RawDeleteTree(root, key + "\\" + sub);
    RegDeleteKeyA(root, key.c_str());
}

std::vector<std::string> ToVector(TStrings* s)
{
    std::vector<std::string> v;
    for (int i = 0; i < s->Count(); ++i) v.push_back(s->Strings(i).c_str());
    return v;
}

using Names = std::vector<std::string>;

// Registry target on both roots ----------------------------------------------------------------------------------

struct Root {
    TZCLRegRootKey key;
    HKEY handle;
    const char* name;
};

class RegistryStore : public testing::TestWithParam<Root> {
protected:
    void SetUp() override
    {
        root = GetParam().handle;
        key = std::string(TestKey) + "\\" + testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : key)
            if (c == '/') c = '_';
        RawDeleteTree(root, key);
        RawDeleteTree(HKEY_CURRENT_USER, key);
        ctrl.SetRegRoot(GetParam().key);
        ctrl.SetRegPath(key.c_str());
    }
    void TearDown() override
    {
        RawDeleteTree(root, key);
        RawDeleteTree(HKEY_CURRENT_USER, key);
    }
    // Nothing may reach a hive the store was not rooted at.
    bool OnlyInItsOwnRoot() const { return root == HKEY_CURRENT_USER || !RawKeyExists(HKEY_CURRENT_USER, key); }
    RawValue Raw(const std::string& section, const std::string& name) const
    {
        return RawRead(root, section.empty() ? key : key + "\\" + section, name);
    }
    HKEY root = nullptr;
    std::string key;
    TZCLIniCtrl ctrl{nullptr};
};

INSTANTIATE_TEST_SUITE_P(Roots, RegistryStore,
                         testing::Values(Root{rpCurrentUser, HKEY_CURRENT_USER, "CurrentUser"},
                                         Root{rpLocalMachine, HKEY_LOCAL_MACHINE, "LocalMachine"}),
                         [](const testing::TestParamInfo<Root>& info) { return std::string(info.param.name); });

TEST_P(RegistryStore, EveryValueIsTextInTheSectionsSubkey)
{
    ASSERT_TRUE(ctrl.UsesRegistry());  // itAuto is the default
    ctrl.WriteString("Communication", "Port", "COM5");
    ctrl.WriteInteger("Communication", "Baud", 115200);
    ctrl.WriteInteger("Communication", "Offset", -12);
    ctrl.WriteBool("Communication", "On", true);
    ctrl.WriteBool("Communication", "Off", false);
    struct Case {
        const char* name;
        const char* text;
    } const cases[] = {{"Port", "COM5"}, {"Baud", "115200"}, {"Offset", "-12"}, {"On", "1"}, {"Off", "0"}};
    for (const Case& c : cases) {
        const RawValue v = Raw("Communication", c.name);
        ASSERT_TRUE(v.found) << c.name;
        EXPECT_EQ(v.type, DWORD(REG_SZ)) << c.name;
        EXPECT_EQ(v.text, c.text) << c.name;
    }
    EXPECT_EQ(ctrl.ReadString("Communication", "Port", "COM1"), "COM5");
    EXPECT_EQ(ctrl.ReadString("Communication", "Baud", ""), "115200");
    EXPECT_EQ(ctrl.ReadInteger("Communication", "Offset", 0), -12);
    EXPECT_TRUE(ctrl.ReadBool("Communication", "On", false));
    EXPECT_FALSE(ctrl.ReadBool("Communication", "Off", true));
}

TEST_P(RegistryStore, StoredTextsReadAsIntegersAndBooleansOrTheDefault)
{
    struct Case {
        const char* text;
        int asInteger;  // with default 42
        bool withTrue, withFalse;
    } const cases[] = {
        {"2", 2, true, true}, {"0", 0, false, false}, {"-1", -1, true, true},
        {"abc", 42, true, false}, {"", 42, true, false}, {"1.5", 42, true, false},
    };
    for (const Case& c : cases) {
        RawWrite(root, key + "\\S", "V", c.text);
        EXPECT_EQ(ctrl.ReadInteger("S", "V", 42), c.asInteger) << c.text;
        EXPECT_EQ(ctrl.ReadBool("S", "V", true), c.withTrue) << c.text;
        EXPECT_EQ(ctrl.ReadBool("S", "V", false), c.withFalse) << c.text;
    }
    EXPECT_EQ(ctrl.ReadString("S", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ctrl.ReadInteger("Missing", "V", 7), 7);
}

TEST_P(RegistryStore, ReadingAMissingKeyGivesDefaultsAndCreatesNothing)
{
    EXPECT_EQ(ctrl.ReadString("S", "V", "dflt"), "dflt");
    EXPECT_TRUE(ctrl.ReadBool("S", "V", true));
    TStringList list;
    list.Add("stale");
    ctrl.ReadStrings("S", "Item", &list);
    EXPECT_EQ(list.Count(), 0);
    ctrl.ReadSectionValues("S", &list);
    ctrl.ReadSections(&list);
    TFont font;
    font.SetName("Courier New");
    EXPECT_FALSE(ctrl.ReadFont("S", "Font", &font));
    EXPECT_EQ(font.Name(), "Courier New");
    EXPECT_FALSE(RawKeyExists(root, key));
}

TEST_P(RegistryStore, RootSectionIsTheKeyItselfAndBlankSectionsFollowTheLastOne)
{
    ctrl.WriteString("", "A", "1");  // nothing used yet: "Common"
    EXPECT_EQ(ctrl.LastSection(), "");
    ctrl.WriteString("#ROOT", "B", "2");
    ctrl.WriteString("", "C", "3");  // after "#ROOT": "Common" again
    ctrl.WriteString("Named", "D", "4");
    ctrl.WriteString("  ", "E", "5");  // blank: the last section
    ctrl.WriteString("#root", "F", "6");  // the root name is case-sensitive
    EXPECT_EQ(Raw("Common", "A").text, "1");
    EXPECT_EQ(Raw("", "B").text, "2");
    EXPECT_EQ(Raw("Common", "C").text, "3");
    EXPECT_EQ(Raw("Named", "D").text, "4");
    EXPECT_EQ(Raw("Named", "E").text, "5");
    EXPECT_EQ(Raw("#root", "F").text, "6");
    EXPECT_EQ(RawNames(root, key, true), (Names{"#root", "Common", "Named"}));
    EXPECT_EQ(RawNames(root, key, false), Names{"B"});
    EXPECT_EQ(ctrl.ReadString("#ROOT", "B", ""), "2");
}

TEST_P(RegistryStore, PathsWithAndWithoutTrailingBackslashAreTheSameKey)
{
    ctrl.WriteString("S", "V", "one");
    TZCLIniCtrl other(nullptr);
    other.SetRegRoot(GetParam().key);
    for (const std::string& path : {key + "\\", key}) {
        other.SetRegPath(path.c_str());
        EXPECT_EQ(other.GetRegPath().str(), key + "\\");
        EXPECT_EQ(other.ReadString("S", "V", ""), "one") << path;
    }
    other.SetRegPath(("\\" + key).c_str());  // the registry drops a leading "\"
    EXPECT_EQ(other.ReadString("S", "V", ""), "one");
}

TEST_P(RegistryStore, IntegersAreDecimalTextSoStringsReadThem)
{
    ctrl.WriteInteger("S", "V", 0x7FFFFFFF);
    EXPECT_EQ(ctrl.ReadString("S", "V", ""), "2147483647");
    ctrl.WriteString("S", "V", "-2147483648");
    EXPECT_EQ(ctrl.ReadInteger("S", "V", 0), INT32_MIN);
}

TEST_P(RegistryStore, ListsAreNumberedItemsInASectionErasedFirst)
{
    RawWrite(root, key + "\\Recent", "Old", "gone after the write");
    TStringList five;
    five.SetCommaText("a,b,c,d,e");
    ctrl.SetMaxEntries(3);
    ctrl.WriteStrings("Recent", "File", &five);
    EXPECT_EQ(RawNames(root, key + "\\Recent", false), (Names{"File0", "File1", "File2"}));
    EXPECT_EQ(Raw("Recent", "File2").text, "c");

    TStringList read;
    ctrl.SetMaxEntries(16);
    ctrl.ReadStrings("Recent", "File", &read);
    EXPECT_EQ(ToVector(&read), (Names{"a", "b", "c"}));

    TStringList gap;
    gap.Add("first");
    gap.Add("");
    gap.Add("third");
    ctrl.WriteStrings("Recent", "File", &gap);
    ctrl.ReadStrings("Recent", "File", &read);
    EXPECT_EQ(ToVector(&read), Names{"first"});  // an empty item ends the list

    ctrl.ReadStringsExt("Recent", "File", &read, 0);
    EXPECT_EQ(read.Count(), 0);
    ctrl.WriteStringsExt("Recent", "File", &gap, 0);
    EXPECT_FALSE(RawKeyExists(root, key + "\\Recent"));
}

TEST_P(RegistryStore, LettersCountListItemsWithAlphaCounter)
{
    ctrl.SetAlphaCounter(true);
    TStringList items;
    items.SetCommaText("x,y");
    ctrl.WriteStrings("L", "Item", &items);
    EXPECT_EQ(RawNames(root, key + "\\L", false), (Names{"ItemA", "ItemB"}));
    TStringList read;
    ctrl.ReadStrings("L", "Item", &read);
    EXPECT_EQ(ToVector(&read), (Names{"x", "y"}));
}

TEST_P(RegistryStore, SectionValuesAreSetByNameIntoTheList)
{
    ctrl.WriteString("Ports", "COM1", "\\Device\\Serial0");
    ctrl.WriteString("Ports", "COM2", "");
    ctrl.WriteString("Ports", "Keep", "new");
    TStringList list;
    list.Add("Keep=old");
    list.Add("COM2=was here");
    list.Add("Other=stays");
    ctrl.ReadSectionValues("Ports", &list);
    EXPECT_EQ(ToVector(&list), (Names{"Keep=new", "Other=stays", "COM1=\\Device\\Serial0"}));
}

TEST_P(RegistryStore, SectionsValueNamesDeletingAndErasing)
{
    ctrl.WriteString("One", "A", "1");
    ctrl.WriteString("One", "B", "2");
    ctrl.WriteString("Two", "C", "3");
    TStringList list;
    ctrl.ReadSections(&list);
    list.Sort();
    EXPECT_EQ(ToVector(&list), (Names{"One", "Two"}));
    ctrl.ReadSection("One", &list);
    list.Sort();
    EXPECT_EQ(ToVector(&list), (Names{"A", "B"}));

    ctrl.DeleteKey("One", "A");
    EXPECT_FALSE(Raw("One", "A").found);
    EXPECT_TRUE(Raw("One", "B").found);
    ctrl.EraseSection("One");
    EXPECT_FALSE(RawKeyExists(root, key + "\\One"));
    EXPECT_TRUE(RawKeyExists(root, key + "\\Two"));
}

TEST_P(RegistryStore, ColorListsUseTheSectionAsGiven)
{
    TStringList colors;
    colors.Add("ColorA=FFFFFF");
    colors.Add("no separator");
    colors.Add("ColorB=00FF00");
    colors.Add("ColorA=ignored");  // the first line of a name gives its value
    ctrl.WriteColorList("#ROOT", &colors);  // not resolved: a subkey named "#ROOT"
    EXPECT_EQ(RawNames(root, key + "\\#ROOT", false), (Names{"ColorA", "ColorB"}));
    EXPECT_EQ(Raw("#ROOT", "ColorA").text, "FFFFFF");
    TStringList read;
    read.Add("stale=1");
    ctrl.ReadColorList("#ROOT", &read);
    read.Sort();
    EXPECT_EQ(ToVector(&read), (Names{"ColorA=FFFFFF", "ColorB=00FF00"}));
    EXPECT_EQ(ctrl.LastSection(), "");
}

TEST_P(RegistryStore, TypedValuesAreStoredAsTheirTexts)
{
    ctrl.WriteColor("T", "Color", clRed);
    ctrl.WriteColor("T", "Custom", TColor(0x123456));
    ctrl.WritePoint("T", "Point", TPoint(3, -4));
    ctrl.WriteRect("T", "Rect", TRect(1, 2, 30, 40));
    ctrl.WriteFloat("T", "Float", 2.5L);
    TFont font;
    font.SetName("Arial");
    font.SetSize(12);
    font.SetColor(clBlue);
    font.SetStyle(TFontStyles{fsBold, fsUnderline});
    ctrl.WriteFont("T", "Font", &font);
    EXPECT_EQ(Raw("T", "Color").text, "clRed");
    EXPECT_EQ(Raw("T", "Custom").text, "$00123456");
    EXPECT_EQ(Raw("T", "Point").text, "[3,-4]");
    EXPECT_EQ(Raw("T", "Rect").text, "1,2,30,40");
    EXPECT_EQ(Raw("T", "Float").text, "2.5");
    EXPECT_EQ(Raw("T", "Font").text, "Arial,12,clBlue,1,0,1,0");

    EXPECT_EQ(ctrl.ReadColor("T", "Color", clNone), clRed);
    EXPECT_EQ(ctrl.ReadColor("T", "Missing", clLime), clLime);
    EXPECT_EQ(ctrl.ReadPoint("T", "Point", TPoint()), TPoint(3, -4));
    EXPECT_EQ(ctrl.ReadPoint("T", "Missing", TPoint(7, 8)), TPoint(7, 8));
    EXPECT_EQ(ctrl.ReadRect("T", "Rect", TRect()), TRect(1, 2, 30, 40));
    EXPECT_EQ(ctrl.ReadRect("T", "Missing", TRect(5, 6, 7, 8)), TRect(5, 6, 7, 8));
    EXPECT_EQ(ctrl.ReadFloat("T", "Float", 0), 2.5L);
    EXPECT_EQ(ctrl.ReadFloat("T", "Missing", -1.25L), -1.25L);
    TFont back;
    EXPECT_TRUE(ctrl.ReadFont("T", "Font", &back));
    EXPECT_EQ(back.Name(), "Arial");
    EXPECT_EQ(back.Size(), 12);
    EXPECT_EQ(back.Color(), clBlue);
    EXPECT_EQ(back.Style(), (TFontStyles{fsBold, fsUnderline}));
}

TEST_P(RegistryStore, DatesAndTimesGoThroughTheLocalesTexts)
{
    const TDateTime when = EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 30, 0);
    ctrl.WriteDate("D", "Date", when);
    ctrl.WriteTime("D", "Time", when);
    ctrl.WriteDateTime("D", "Both", when);
    EXPECT_EQ(Raw("D", "Date").text, DateToStr(when).str());
    EXPECT_EQ(Raw("D", "Both").text, DateTimeToStr(when).str());
    EXPECT_EQ(ctrl.ReadDate("D", "Date", 0), EncodeDate(2024, 2, 29));
    EXPECT_NEAR(ctrl.ReadTime("D", "Time", 0), EncodeTime(13, 45, 30, 0), 1e-9);
    EXPECT_NEAR(ctrl.ReadDateTime("D", "Both", 0), when, 1e-9);
    EXPECT_EQ(ctrl.ReadDate("D", "Missing", EncodeDate(2000, 1, 1)), EncodeDate(2000, 1, 1));
}

TEST_P(RegistryStore, StoredTextsThatDoNotConvertRaise)
{
    ctrl.WriteString("Bad", "V", "not a value");
    EXPECT_THROW(ctrl.ReadFloat("Bad", "V", 0), EConvertError);
    EXPECT_THROW(ctrl.ReadDate("Bad", "V", 0), EConvertError);
    EXPECT_THROW(ctrl.ReadColor("Bad", "V", clRed), EConvertError);
    ctrl.WriteString("Bad", "V", "Arial,10,clRed,x,0,0,0");
    TFont font;
    EXPECT_THROW(ctrl.ReadFont("Bad", "V", &font), EConvertError);
}

// Objects ---------------------------------------------------------------------------------------------------------

class TStoredThing : public TPersistent {
public:
    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    TZCLIniTarget Kind() const { return kind_; }
    void SetKind(TZCLIniTarget v) { kind_ = v; }
    long double Ratio() const { return ratio_; }
    void SetRatio(long double v) { ratio_ = v; }
    const AnsiString& Label() const { return label_; }
    void SetLabel(const AnsiString& v) { label_ = v; }
    int Hidden() const { return hidden_; }
    void SetHidden(int v) { hidden_ = v; }

private:
    int count_ = 5;
    bool flag_ = false;
    TZCLIniTarget kind_ = itAuto;
    long double ratio_ = 0;
    AnsiString label_;
    int hidden_ = 0;
};

const bool storedThingPublished = [] {
    PublishedProperties<TStoredThing>()
        .Integer("Count", &TStoredThing::Count, &TStoredThing::SetCount, 5)
        .Boolean("Flag", &TStoredThing::Flag, &TStoredThing::SetFlag, false)
        .Enumeration("Kind", &TStoredThing::Kind, &TStoredThing::SetKind, {"itIniFile", "itRegistry", "itAuto"},
                     itAuto)
        .Float("Ratio", &TStoredThing::Ratio, &TStoredThing::SetRatio)
        .String("Label", &TStoredThing::Label, &TStoredThing::SetLabel)
        .Integer("Hidden", &TStoredThing::Hidden, &TStoredThing::SetHidden)
        .Stored(false);
    return true;
}();

TEST_P(RegistryStore, AnObjectHoldingItsDefaultsWritesNothing)
{
    TStoredThing thing;
    ctrl.WriteObject("Thing", &thing);
    EXPECT_FALSE(RawKeyExists(root, key + "\\Thing"));
    EXPECT_TRUE(OnlyInItsOwnRoot());
}

TEST_P(RegistryStore, AnObjectsPublishedPropertiesGoAndComeBack)
{
    TStoredThing thing;
    thing.SetCount(7);
    thing.SetFlag(true);
    thing.SetKind(itIniFile);
    thing.SetRatio(0.5L);
    thing.SetLabel("label text");
    thing.SetHidden(9);
    ctrl.WriteObject("Thing", &thing);
    EXPECT_EQ(RawNames(root, key + "\\Thing", false), (Names{"Count", "Flag", "Kind", "Label", "Ratio"}));
    EXPECT_EQ(Raw("Thing", "Count").text, "7");
    EXPECT_EQ(Raw("Thing", "Flag").text, "1");
    EXPECT_EQ(Raw("Thing", "Kind").text, "0");
    EXPECT_EQ(Raw("Thing", "Ratio").text, "0.5");

    RawWrite(root, key + "\\Thing", "Hidden", "4");  // loading does not ask whether it is stored
    TStoredThing back;
    ctrl.ReadObject("Thing", &back);
    EXPECT_EQ(back.Count(), 7);
    EXPECT_TRUE(back.Flag());
    EXPECT_EQ(back.Kind(), itIniFile);
    EXPECT_EQ(back.Ratio(), 0.5L);
    EXPECT_EQ(back.Label(), "label text");
    EXPECT_EQ(back.Hidden(), 4);
    EXPECT_TRUE(OnlyInItsOwnRoot());
}

// Registry target, other ------------------------------------------------------------------------------------------

TEST(ZclIniCtrl, DefaultsAndTargets)
{
    TZCLIniCtrl ctrl(nullptr);
    EXPECT_TRUE(ctrl.Common());
    EXPECT_FALSE(ctrl.NetUser());
    EXPECT_EQ(ctrl.IniPrefix(), ppWindows);
    EXPECT_EQ(ctrl.RegRoot(), rpCurrentUser);
    EXPECT_EQ(ctrl.MaxEntries(), 16);
    EXPECT_FALSE(ctrl.AlphaCounter());
    EXPECT_EQ(ctrl.Target(), itAuto);
    EXPECT_TRUE(ctrl.UsesRegistry());
    ctrl.SetTarget(itIniFile);
    EXPECT_FALSE(ctrl.UsesRegistry());
    ctrl.SetTarget(itRegistry);
    EXPECT_TRUE(ctrl.UsesRegistry());
    ctrl.SetTarget(itAuto);
    EXPECT_TRUE(ctrl.UsesRegistry());
}

TEST(ZclIniCtrl, ABlankPathIsTheApplicationsDefaultPath)
{
    const AnsiString title = Application->Title();
    Application->SetTitle("ZclIniCtrlDefaultPath");
    ZCLApplication->SetCompanyPart("DravikTest");
    TZCLIniCtrl ctrl(nullptr);
    ctrl.SetRegPath("   ");
    EXPECT_EQ(ctrl.GetRegPath(), "Software\\DravikTest\\ZclIniCtrlDefaultPath\\");
    ctrl.WriteString("", "V", "here");
    const RawValue v = RawRead(HKEY_CURRENT_USER, "Software\\DravikTest\\ZclIniCtrlDefaultPath\\Common", "V");
    Application->SetTitle(title);
    ZCLApplication->SetCompanyPart("");
    RawDeleteTree(HKEY_CURRENT_USER, "Software\\DravikTest\\ZclIniCtrlDefaultPath");
    EXPECT_EQ(v.text, "here");
}

TEST(ZclIniCtrl, RootKeysOfTheEnumeration)
{
    // A root key's handle is its 32-bit number sign-extended to the pointer's width (in the 64-bit build
    // 0xFFFFFFFF80000000 and up), as Windows defines them.
    const auto root = [](std::uint32_t number) { return HKEY(ULONG_PTR(LONG(number))); };
    struct Case {
        int key;
        HKEY handle;
    } const cases[] = {
        {rpClassesRoot, root(0x80000000)}, {rpCurrentUser, root(0x80000001)},  {rpLocalMachine, root(0x80000002)},
        {rpUsers, root(0x80000003)},       {rpCurrentConfig, root(0x80000005)}, {rpDynData, root(0x80000006)},
        {6, nullptr},                      {255, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(ZCLGetRootKey(TZCLRegRootKey(c.key)), c.handle) << c.key;
}

TEST(ZclIniCtrl, TheRegistryStoreOpensReadOnlyWithoutCreating)
{
    const std::string key = std::string(TestKey) + "\\ReadOnlyOpen";
    RawDeleteTree(HKEY_CURRENT_USER, key);
    {
        TZCLRegIniFile store(HKEY_CURRENT_USER, key.c_str(), true);
        EXPECT_EQ(store.CurrentKey(), nullptr);
        EXPECT_EQ(store.FileName(), key.c_str());
        EXPECT_TRUE(store.LazyWrite());
        EXPECT_THROW(store.WriteString("", "V", "x"), ERegistryException);
    }
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, key));
    {
        TZCLRegIniFile store(HKEY_CURRENT_USER, key.c_str(), false);
        EXPECT_NE(store.CurrentKey(), nullptr);
        store.WriteString("", "V", "x");
    }
    {
        TZCLRegIniFile store(HKEY_CURRENT_USER, key.c_str(), true);
        EXPECT_EQ(store.ReadString("", "V", ""), "x");
        EXPECT_THROW(store.WriteString("", "V", "y"), ERegistryException);  // read access only
    }
    RawDeleteTree(HKEY_CURRENT_USER, key);
}

TEST(ZclIniCtrl, RegistryErrorsReachTheCaller)
{
    TZCLIniCtrl ctrl(nullptr);
    ctrl.SetRegPath(TestKey);
    const AnsiString tooLong(std::string(300, 'k'));  // a key name has at most 255 characters
    EXPECT_THROW(ctrl.WriteString(tooLong, "V", "x"), ERegistryException);
    EXPECT_EQ(ctrl.ReadString(tooLong, "V", "dflt"), "dflt");
    RawDeleteTree(HKEY_CURRENT_USER, TestKey);
}

TEST(ZclIniCtrl, SettersOfCounterAndFileName)
{
    TZCLIniCtrl ctrl(nullptr);
    ctrl.SetMaxEntries(40);
    ctrl.SetAlphaCounter(true);
    EXPECT_EQ(ctrl.MaxEntries(), 26);
    ctrl.SetMaxEntries(30);
    EXPECT_EQ(ctrl.MaxEntries(), 26);
    ctrl.SetMaxEntries(3);
    EXPECT_EQ(ctrl.MaxEntries(), 3);
    EXPECT_EQ(ctrl.GetCounterIdent(0), "A");
    EXPECT_EQ(ctrl.GetCounterIdent(25), "Z");
    ctrl.SetAlphaCounter(false);
    ctrl.SetMaxEntries(255);
    EXPECT_EQ(ctrl.MaxEntries(), 255);
    EXPECT_EQ(ctrl.GetCounterIdent(0), "0");
    EXPECT_EQ(ctrl.GetCounterIdent(254), "254");

    struct Case {
        const char* given;
        const char* stored;
    } const cases[] = {
        {"settings", "settings.INI"},   {"C:\\dir\\settings", "C:\\dir\\settings.INI"},
        {"settings.cfg", "settings.cfg"}, {"my.dir\\settings", "my.dir\\settings.INI"},
        {"", ""},
    };
    for (const Case& c : cases) {
        ctrl.SetIniFile(c.given);
        EXPECT_EQ(ctrl.IniFile(), c.stored) << c.given;
    }
}

TEST(ZclIniCtrl, IniFileLiesInThePrefixFolder)
{
    TZCLIniCtrl ctrl(nullptr);
    EXPECT_EQ(ctrl.GetIniName(), ZCLWindowsDirectory() + "\\" + ChangeFileExt(ExtractFileName(ParamStr(0)), ".INI"));
    EXPECT_EQ(ctrl.IniFile(), ChangeFileExt(ParamStr(0), ".INI"));
    ctrl.SetIniFile("C:\\somewhere\\cfg");
    struct Case {
        TZCLPathPrefix prefix;
        AnsiString name;
    } const cases[] = {
        {ppWindows, ZCLWindowsDirectory() + "\\cfg.INI"},
        {ppSystem, ZCLSystemDirectory() + "\\cfg.INI"},
        {ppProgram, ZCLAppPath() + "cfg.INI"},
        {ppFixed, "C:\\somewhere\\cfg.INI"},
    };
    for (const Case& c : cases) {
        ctrl.SetIniPrefix(c.prefix);
        EXPECT_EQ(ctrl.GetIniName(), c.name) << int(c.prefix);
    }
}

TEST(ZclIniCtrl, SwitchingNetUserOnTakesTheWindowsUserName)
{
    char user[64] = "";
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    TZCLIniCtrl ctrl(nullptr);
    ctrl.SetUser("someone");
    ctrl.SetNetUser(true);
    EXPECT_EQ(ctrl.User(), user);
    EXPECT_EQ(ctrl.GetNetUserName(), user);
}

// .ini target -------------------------------------------------------------------------------------------------

class IniStore : public testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        ctrl.SetTarget(itIniFile);
        ctrl.SetIniPrefix(ppFixed);
        ctrl.SetIniFile(AnsiString(temp) + "zclinictrl_test");
        file = ctrl.GetIniName();
        DeleteFileA(file.c_str());
    }
    void TearDown() override { DeleteFileA(file.c_str()); }
    // The file's lines, without blank ones.
    Names Text()
    {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // Windows' cached copy to disk
        std::ifstream in(file.c_str());
        Names lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
        return lines;
    }
    TZCLIniCtrl ctrl{nullptr};
    AnsiString file;
};

TEST_F(IniStore, ValuesAreLinesOfTheirSections)
{
    EXPECT_EQ(ExtractFileName(file), "zclinictrl_test.INI");
    ctrl.WriteString("Main", "Name", "value");
    ctrl.WriteInteger("Main", "Count", 12);
    ctrl.WriteBool("", "Flag", true);  // after "Main": the same section
    ctrl.WriteString("#ROOT", "Root", "plain section");
    EXPECT_EQ(Text(), (Names{"[Main]", "Name=value", "Count=12", "Flag=1", "[#ROOT]", "Root=plain section"}));
    EXPECT_EQ(ctrl.ReadInteger("Main", "Count", 0), 12);
    EXPECT_TRUE(ctrl.ReadBool("Main", "Flag", false));
    EXPECT_EQ(ctrl.ReadString("#ROOT", "Root", ""), "plain section");
}

TEST_F(IniStore, WithoutCommonSectionsGetTheUserSuffix)
{
    ctrl.SetCommon(false);
    ctrl.SetUser("u");
    ctrl.WriteString("Main", "A", "1");
    ctrl.WriteString("#ROOT", "B", "2");
    ctrl.WriteString("", "C", "3");  // the last section, suffix and all
    EXPECT_EQ(Text(), (Names{"[Main.u]", "A=1", "[#ROOT.u]", "B=2", "C=3"}));
    EXPECT_EQ(ctrl.ReadString("Main", "A", ""), "1");

    char user[64] = "";
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    ctrl.SetNetUser(true);
    ctrl.SetUser("ignored");
    ctrl.WriteString("Net", "D", "4");
    EXPECT_EQ(Text().back(), "D=4");
    EXPECT_EQ(ctrl.LastSection(), AnsiString("Net.") + user);
}

TEST_F(IniStore, SectionValuesAreEveryValueOfTheSectionInAClearedList)
{
    ctrl.WriteString("S", "A", "1");
    ctrl.WriteString("S", "Empty", "");
    TStringList list;
    list.Add("stale=x");
    ctrl.ReadSectionValues("S", &list);
    EXPECT_EQ(ToVector(&list), (Names{"A=1", "Empty="}));
}

TEST_F(IniStore, ListsAndSections)
{
    TStringList items;
    items.SetCommaText("a,b,c,d,e");
    ctrl.WriteString("Recent", "Old", "gone");
    ctrl.SetMaxEntries(3);
    ctrl.WriteStrings("Recent", "File", &items);
    ctrl.WriteString("Other", "X", "1");
    EXPECT_EQ(Text(), (Names{"[Recent]", "File0=a", "File1=b", "File2=c", "[Other]", "X=1"}));
    TStringList list;
    ctrl.ReadSections(&list);
    EXPECT_EQ(ToVector(&list), (Names{"Recent", "Other"}));
    ctrl.DeleteKey("Recent", "File1");
    ctrl.ReadSection("Recent", &list);
    EXPECT_EQ(ToVector(&list), (Names{"File0", "File2"}));
    ctrl.EraseSection("Recent");
    EXPECT_EQ(Text(), (Names{"[Other]", "X=1"}));
}

TEST_F(IniStore, ObjectsGoToTheFileToo)
{
    TStoredThing thing;
    ctrl.WriteObject("Thing", &thing);
    EXPECT_TRUE(Text().empty());
    thing.SetLabel("x");
    thing.SetCount(0);
    ctrl.WriteObject("Thing", &thing);
    EXPECT_EQ(Text(), (Names{"[Thing]", "Count=0", "Label=x"}));
    TStoredThing back;
    ctrl.ReadObject("Thing", &back);
    EXPECT_EQ(back.Count(), 0);
    EXPECT_EQ(back.Label(), "x");
}

}  // namespace
