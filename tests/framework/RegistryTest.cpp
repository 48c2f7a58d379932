#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Registry.h"

namespace {

// Raw registry access, so that what the classes wrote is checked without them.
struct RawValue {
    DWORD type = 0;
    std::string bytes;
};

std::optional<RawValue> RawQuery(HKEY root, const std::string& path, const std::string& name)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
    RawValue v;
    DWORD size = 0;
    LONG r = RegQueryValueExA(k, name.c_str(), nullptr, &v.type, nullptr, &size);
    if (r == ERROR_SUCCESS) {
        v.bytes.assign(size, '\0');
        r = RegQueryValueExA(k, name.c_str(), nullptr, &v.type, reinterpret_cast<BYTE*>(v.bytes.data()), &size);
        v.bytes.resize(size);
    }
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return std::nullopt;
    return v;
}

// REG_SZ data as stored, terminating NUL included.
RawValue Sz(const std::string& text)
{
    return {REG_SZ, text + '\0'};
}

bool operator==(const RawValue& a, const RawValue& b)
{
    return a.type == b.type && a.bytes == b.bytes;
}

void PrintTo(const RawValue& v, std::ostream* os)
{
    *os << "type " << v.type << " \"" << v.bytes << "\" (" << v.bytes.size() << " bytes)";
}

void RawSet(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes)
{
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             DWORD(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

void RawSetSz(HKEY root, const std::string& path, const std::string& name, const std::string& text)
{
    RawSet(root, path, name, REG_SZ, text + '\0');
}

bool RawKeyExists(HKEY root, const std::string& path)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

void RawCreateKey(HKEY root, const std::string& path)
{
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

void RawDeleteTree(HKEY root, const std::string& path)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    std::vector<std::string> subs;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subs.emplace_back(name, len);
    }
    RegCloseKey(k);
    for (const std::string& s : subs) RawDeleteTree(root, path + "\\" + s);
    RegDeleteKeyA(root, path.c_str());
}

std::vector<std::string> Lines(const TStrings& s)
{
    std::vector<std::string> v;
    for (int i = 0; i < s.Count(); ++i) v.push_back(s.Strings(i).str());
    return v;
}

using Names = std::vector<std::string>;

Names Sorted(Names v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// Message of the ERegistryException that f raises, or "" when it raises none.
template <typename F>
std::string RegistryError(F f)
{
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.Message().str();
    }
    return "";
}

// Per-test keys under HKCU and HKLM, removed before and after each test.
class RegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        path_ = std::string("Software\\DravikTest\\") + testing::UnitTest::GetInstance()->current_test_info()->name();
        RawDeleteTree(HKEY_CURRENT_USER, path_);
        RawDeleteTree(HKEY_LOCAL_MACHINE, path_);
    }
    void TearDown() override
    {
        RawDeleteTree(HKEY_CURRENT_USER, path_);
        RawDeleteTree(HKEY_LOCAL_MACHINE, path_);
    }
    std::string Path(const std::string& sub = "") const { return sub.empty() ? path_ : path_ + "\\" + sub; }

    std::string path_;
};

// What the settings store does: set the root, then open read-only or for writing.
class RootedRegIniFile : public TRegIniFile {
public:
    RootedRegIniFile(HKEY root, const AnsiString& path, bool readOnly)
    {
        SetLazyWrite(true);
        SetFileName(path);
        SetRootKey(root);
        if (readOnly)
            OpenKeyReadOnly(path);
        else
            OpenKey(path, true);
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TRegistry

TEST_F(RegistryTest, DefaultsAreCurrentUserLazyFullAccess)
{
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_TRUE(reg.LazyWrite());
    EXPECT_EQ(reg.Access(), REGSAM(KEY_ALL_ACCESS));
    EXPECT_EQ(reg.CurrentKey(), HKEY(nullptr));
    EXPECT_EQ(reg.CurrentPath(), "");
}

TEST_F(RegistryTest, OpenKeyFollowsRelativeAndAbsolutePaths)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + Path() + "\\", true));
    EXPECT_EQ(reg.CurrentPath(), Path());
    EXPECT_NE(reg.CurrentKey(), HKEY(nullptr));

    // Relative to the open key.
    ASSERT_TRUE(reg.OpenKey("a\\b", true));
    EXPECT_EQ(reg.CurrentPath(), Path("a\\b"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Path("a\\b")));
    reg.WriteString("here", "x");
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("a\\b"), "here"), Sz("x"));

    // A failed open keeps the key that was open.
    EXPECT_FALSE(reg.OpenKey("missing", false));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("a\\b\\missing")));
    EXPECT_EQ(reg.CurrentPath(), Path("a\\b"));

    // "\" starts again at the root, whatever is open.
    ASSERT_TRUE(reg.OpenKey("\\" + Path("a"), false));
    EXPECT_EQ(reg.CurrentPath(), Path("a"));

    // Without a "\" and with no key open, the path starts at the root too.
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentKey(), HKEY(nullptr));
    EXPECT_EQ(reg.CurrentPath(), "");
    ASSERT_TRUE(reg.OpenKeyReadOnly(Path("a\\b")));
    EXPECT_EQ(reg.CurrentPath(), Path("a\\b"));
    EXPECT_EQ(reg.ReadString("here"), "x");
}

TEST_F(RegistryTest, ReadOnlyKeyRefusesWrites)
{
    RawSetSz(HKEY_CURRENT_USER, Path(), "v", "old");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(Path()));
    EXPECT_EQ(reg.ReadString("v"), "old");
    EXPECT_EQ(RegistryError([&] { reg.WriteString("v", "new"); }), "Failed to set data for 'v'");
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "v"), Sz("old"));
    EXPECT_FALSE(reg.OpenKeyReadOnly(Path("missing")));  // never creates
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("missing")));
}

TEST_F(RegistryTest, WritesWithoutAnOpenKeyRaise)
{
    TRegistry reg;
    EXPECT_EQ(RegistryError([&] { reg.WriteString("s", "x"); }), "Failed to set data for 's'");
    EXPECT_EQ(RegistryError([&] { reg.WriteInteger("i", 1); }), "Failed to set data for 'i'");
    EXPECT_EQ(RegistryError([&] { reg.WriteBinaryData("b", "x", 1); }), "Failed to set data for 'b'");
    EXPECT_EQ(reg.ReadString("s"), "");
    EXPECT_FALSE(reg.ValueExists("s"));
}

TEST_F(RegistryTest, TypedValuesAreStoredNatively)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Path(), true));
    reg.WriteString("s", "text");
    reg.WriteString("empty", "");
    reg.WriteInteger("i", -2);
    reg.WriteBool("t", true);
    const unsigned char bin[] = {0, 1, 2, 255};
    reg.WriteBinaryData("b", bin, sizeof bin);

    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "s"), Sz("text"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "empty"), Sz(""));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "i"), (RawValue{REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4)}));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "t"), (RawValue{REG_DWORD, std::string("\x01\0\0\0", 4)}));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "b"), (RawValue{REG_BINARY, std::string("\0\x01\x02\xFF", 4)}));

    EXPECT_EQ(reg.ReadString("s"), "text");
    EXPECT_EQ(reg.ReadInteger("i"), -2);
    EXPECT_TRUE(reg.ReadBool("t"));
    unsigned char back[8] = {};
    EXPECT_EQ(reg.ReadBinaryData("b", back, sizeof back), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 4), std::string("\0\x01\x02\xFF", 4));

    EXPECT_EQ(reg.GetDataType("s"), rdString);
    EXPECT_EQ(reg.GetDataType("i"), rdInteger);
    EXPECT_EQ(reg.GetDataType("b"), rdBinary);
    EXPECT_EQ(reg.GetDataType("none"), rdUnknown);
    EXPECT_EQ(reg.GetDataSize("b"), 4);
    EXPECT_EQ(reg.GetDataSize("s"), 5);
    EXPECT_EQ(reg.GetDataSize("none"), -1);
}

TEST_F(RegistryTest, ReadsOfMissingOrMistypedValues)
{
    RawSetSz(HKEY_CURRENT_USER, Path(), "s", "123");
    RawSet(HKEY_CURRENT_USER, Path(), "d", REG_DWORD, std::string("\x07\0\0\0", 4));
    RawSet(HKEY_CURRENT_USER, Path(), "b", REG_BINARY, "12345678");
    RawSet(HKEY_CURRENT_USER, Path(), "x", REG_EXPAND_SZ, std::string("%PATH%\0", 7));
    RawSet(HKEY_CURRENT_USER, Path(), "noNul", REG_SZ, "abc");  // stored without its terminator
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(Path()));

    EXPECT_EQ(reg.ReadString("missing"), "");
    EXPECT_EQ(reg.ReadString("x"), "%PATH%");
    EXPECT_EQ(reg.ReadString("noNul"), "abc");
    EXPECT_EQ(RegistryError([&] { reg.ReadString("d"); }), "Invalid data type for 'd'");
    EXPECT_EQ(RegistryError([&] { reg.ReadInteger("missing"); }), "Failed to get data for 'missing'");
    EXPECT_EQ(RegistryError([&] { reg.ReadInteger("s"); }), "Invalid data type for 's'");
    EXPECT_EQ(RegistryError([&] { reg.ReadBool("b"); }), "Invalid data type for 'b'");
    EXPECT_EQ(reg.ReadInteger("d"), 7);

    char small[4];
    EXPECT_EQ(RegistryError([&] { reg.ReadBinaryData("b", small, sizeof small); }), "Failed to get data for 'b'");
    EXPECT_EQ(RegistryError([&] { reg.ReadBinaryData("missing", small, sizeof small); }),
              "Failed to get data for 'missing'");
    EXPECT_EQ(RegistryError([&] { reg.ReadBinaryData("s", small, sizeof small); }), "Invalid data type for 's'");
}

TEST_F(RegistryTest, LongStringsAreReadWhole)
{
    std::string longText(70000, 'q');
    longText[0] = 'A';
    longText.back() = 'Z';
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Path(), true));
    reg.WriteString("long", longText);
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "long"), Sz(longText));
    EXPECT_EQ(reg.ReadString("long").str(), longText);
}

TEST_F(RegistryTest, NamesValuesAndExistence)
{
    RawSetSz(HKEY_CURRENT_USER, Path(), "v1", "a");
    RawSetSz(HKEY_CURRENT_USER, Path(), std::string(300, 'n'), "long name");
    RawCreateKey(HKEY_CURRENT_USER, Path("k1"));
    RawCreateKey(HKEY_CURRENT_USER, Path("k2\\deeper"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Path(), false));

    TStringList names;
    names.Add("stale");
    reg.GetValueNames(&names);
    EXPECT_EQ(Sorted(Lines(names)), Sorted({"v1", std::string(300, 'n')}));
    reg.GetKeyNames(&names);
    EXPECT_EQ(Sorted(Lines(names)), (Names{"k1", "k2"}));
    EXPECT_TRUE(reg.HasSubKeys());

    EXPECT_TRUE(reg.ValueExists("V1"));  // names ignore case
    EXPECT_FALSE(reg.ValueExists("v2"));
    EXPECT_TRUE(reg.KeyExists("k2\\deeper"));
    EXPECT_TRUE(reg.KeyExists("\\" + Path("k1")));
    EXPECT_FALSE(reg.KeyExists("k3"));

    EXPECT_TRUE(reg.DeleteValue("v1"));
    EXPECT_FALSE(reg.DeleteValue("v1"));
    EXPECT_FALSE(RawQuery(HKEY_CURRENT_USER, Path(), "v1"));

    ASSERT_TRUE(reg.OpenKey("k1", false));
    EXPECT_FALSE(reg.HasSubKeys());
    reg.GetKeyNames(&names);
    EXPECT_EQ(names.Count(), 0);
}

TEST_F(RegistryTest, CreateKeyLeavesTheOpenKeyAlone)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Path(), true));
    EXPECT_TRUE(reg.CreateKey("new\\sub"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Path("new\\sub")));
    EXPECT_EQ(reg.CurrentPath(), Path());
    TRegistry readOnly(KEY_READ);
    ASSERT_TRUE(readOnly.OpenKey(Path(), false));
    EXPECT_EQ(RegistryError([&] { readOnly.CreateKey(""); }), "Failed to create key ");
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeTree)
{
    RawSetSz(HKEY_CURRENT_USER, Path("tree\\a\\b\\c"), "v", "1");
    RawSetSz(HKEY_CURRENT_USER, Path("tree\\a"), "v", "1");
    RawCreateKey(HKEY_CURRENT_USER, Path("tree\\d"));
    RawSetSz(HKEY_CURRENT_USER, Path("other"), "v", "1");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Path(), false));
    EXPECT_TRUE(reg.DeleteKey("tree"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("tree")));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Path("other")));
    EXPECT_FALSE(reg.DeleteKey("tree"));
    EXPECT_FALSE(reg.DeleteKey(""));  // never the open key itself
    EXPECT_FALSE(reg.DeleteKey("\\"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Path()));
    EXPECT_TRUE(reg.DeleteKey("\\" + Path("other")));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("other")));
}

TEST_F(RegistryTest, RootKeySelectsTheHive)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Path(), true));
    reg.SetRootKey(HKEY_LOCAL_MACHINE);  // closes the key of the other hive
    EXPECT_EQ(reg.CurrentKey(), HKEY(nullptr));
    ASSERT_TRUE(reg.OpenKey(Path(), true));
    reg.SetLazyWrite(false);  // closing flushes
    reg.WriteString("where", "machine");
    reg.CloseKey();
    EXPECT_EQ(RawQuery(HKEY_LOCAL_MACHINE, Path(), "where"), Sz("machine"));
    EXPECT_FALSE(RawQuery(HKEY_CURRENT_USER, Path(), "where"));
}

// ---------------------------------------------------------------------------------------------------------------
// TRegIniFile

TEST_F(RegistryTest, IniValuesAreTextInSubkeys)
{
    {
        TRegIniFile ini(Path());
        EXPECT_EQ(ini.FileName(), Path());
        EXPECT_EQ(ini.RootKey(), HKEY_CURRENT_USER);
        ini.WriteInteger("Numbers", "n", 123);
        ini.WriteInteger("Numbers", "neg", -45);
        ini.WriteBool("Flags", "t", true);
        ini.WriteBool("Flags", "f", false);
        ini.WriteString("Deep\\Er", "s", "text");
        ini.WriteString("", "top", "in the key");
    }
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("Numbers"), "n"), Sz("123"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("Numbers"), "neg"), Sz("-45"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("Flags"), "t"), Sz("1"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("Flags"), "f"), Sz("0"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("Deep\\Er"), "s"), Sz("text"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "top"), Sz("in the key"));

    TRegIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("Numbers", "n", "d"), "123");  // integers read back as their text
    EXPECT_EQ(ini.ReadInteger("Numbers", "neg", 0), -45);
    EXPECT_EQ(ini.ReadString("", "top", "d"), "in the key");
}

TEST_F(RegistryTest, IniTypedReadsOfStoredText)
{
    struct Case {
        const char* stored;  // nullptr: no such value
        int intDef;
        int asInt;
        bool boolDef;
        bool asBool;
    };
    const Case cases[] = {
        {"2", 7, 2, false, true},       {"1", 7, 1, false, true},        {"0", 7, 0, true, false},
        {"-1", 7, -1, false, true},     {"abc", 7, 7, false, false},     {"abc", 7, 7, true, true},
        {"", 7, 7, true, true},         {nullptr, 7, 7, false, false},   {nullptr, 7, 7, true, true},
        {"0x1F", 0, 31, false, true},   {"$10", 0, 16, false, true},     {"12abc", 5, 5, true, true},
        {"2147483647", 0, 2147483647, false, true}, {"2147483648", 9, 9, false, false},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::string name = "v" + std::to_string(i++);
        if (c.stored) RawSetSz(HKEY_CURRENT_USER, Path("S"), name, c.stored);
    }
    RootedRegIniFile ini(HKEY_CURRENT_USER, Path(), true);
    i = 0;
    for (const Case& c : cases) {
        std::string name = "v" + std::to_string(i++);
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        EXPECT_EQ(ini.ReadInteger("S", name, c.intDef), c.asInt);
        EXPECT_EQ(ini.ReadBool("S", name, c.boolDef), c.asBool);
    }
}

TEST_F(RegistryTest, IniReadsNeverRaise)
{
    RawSet(HKEY_CURRENT_USER, Path("S"), "dword", REG_DWORD, std::string("\x05\0\0\0", 4));
    RawSet(HKEY_CURRENT_USER, Path("S"), "bin", REG_BINARY, "xy");
    {
        RootedRegIniFile ini(HKEY_CURRENT_USER, Path(), true);
        EXPECT_EQ(ini.ReadString("S", "dword", "def"), "def");
        EXPECT_EQ(ini.ReadInteger("S", "bin", 3), 3);
        EXPECT_EQ(ini.ReadString("NoSection", "x", "def"), "def");
    }
    // The key path itself is missing: opened read-only nothing is created, and reads give defaults.
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_DYN_DATA}) {
        RootedRegIniFile ini(root, Path("NotThere"), true);
        EXPECT_EQ(ini.CurrentKey(), HKEY(nullptr));
        EXPECT_EQ(ini.ReadString("S", "x", "def"), "def");
        EXPECT_EQ(ini.ReadString("", "x", "def"), "def");
        EXPECT_EQ(ini.ReadInteger("S", "x", 42), 42);
        EXPECT_TRUE(ini.ReadBool("S", "x", true));
        TStringList list;
        list.Add("kept=1");
        ini.ReadSectionValues("S", &list);
        EXPECT_EQ(Lines(list), (Names{"kept=1"}));
        ini.ReadSection("S", &list);
        EXPECT_EQ(list.Count(), 0);
        ini.ReadSections(&list);
        EXPECT_EQ(list.Count(), 0);
    }
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("NotThere")));
}

TEST_F(RegistryTest, IniWritesToAnUnopenedStoreRaise)
{
    RootedRegIniFile ini(HKEY_CURRENT_USER, Path("NotThere"), true);
    EXPECT_FALSE(RegistryError([&] { ini.WriteString("S", "x", "1"); }).empty());
    EXPECT_FALSE(RegistryError([&] { ini.WriteBool("", "x", true); }).empty());
    EXPECT_FALSE(RegistryError([&] { ini.EraseSection("S"); }).empty());
    EXPECT_FALSE(RegistryError([&] { ini.DeleteKey("S", "x"); }).empty());
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("NotThere")));

    RawSetSz(HKEY_CURRENT_USER, Path("S"), "x", "old");
    RootedRegIniFile readOnly(HKEY_CURRENT_USER, Path(), true);
    EXPECT_EQ(RegistryError([&] { readOnly.WriteString("", "x", "new"); }), "Failed to set data for 'x'");
    EXPECT_FALSE(RawQuery(HKEY_CURRENT_USER, Path(), "x"));
}

TEST_F(RegistryTest, IniSectionsAreSubkeysAndValuesTheirNames)
{
    RawSetSz(HKEY_CURRENT_USER, Path(), "rootValue", "r");
    RawSetSz(HKEY_CURRENT_USER, Path("Common"), "a", "1");
    RawSetSz(HKEY_CURRENT_USER, Path("Common"), "b", "");
    RawSetSz(HKEY_CURRENT_USER, Path("Other"), "c", "3");
    RawCreateKey(HKEY_CURRENT_USER, Path("Empty"));
    RootedRegIniFile ini(HKEY_CURRENT_USER, Path() + "\\", true);  // a trailing "\" names the same key

    TStringList list;
    list.Add("stale");
    ini.ReadSections(&list);
    EXPECT_EQ(Sorted(Lines(list)), (Names{"Common", "Empty", "Other"}));
    ini.ReadSection("Common", &list);
    EXPECT_EQ(Sorted(Lines(list)), (Names{"a", "b"}));
    ini.ReadSection("", &list);
    EXPECT_EQ(Lines(list), (Names{"rootValue"}));
    ini.ReadSection("Empty", &list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(RegistryTest, IniReadSectionValuesSetsThroughValues)
{
    RawSetSz(HKEY_CURRENT_USER, Path("S"), "a", "new");
    RawSetSz(HKEY_CURRENT_USER, Path("S"), "e", "");
    RawSetSz(HKEY_CURRENT_USER, Path("S"), "f", "fresh");
    RootedRegIniFile ini(HKEY_CURRENT_USER, Path(), true);

    TStringList list;
    list.Add("a=old");
    list.Add("keep=1");
    list.Add("e=stale");
    list.Add("plain line");
    ini.ReadSectionValues("S", &list);
    // Not cleared: "a" replaced in place, the empty "e" removed, "f" appended, the rest kept.
    EXPECT_EQ(Lines(list), (Names{"a=new", "keep=1", "plain line", "f=fresh"}));
}

TEST_F(RegistryTest, IniEraseSectionRemovesSubkeysToo)
{
    RawSetSz(HKEY_CURRENT_USER, Path("Gone"), "v", "1");
    RawSetSz(HKEY_CURRENT_USER, Path("Gone\\Child\\Grandchild"), "v", "1");
    RawSetSz(HKEY_CURRENT_USER, Path("Stays"), "v", "1");
    RawSetSz(HKEY_CURRENT_USER, Path(), "own", "1");
    TRegIniFile ini(Path());
    ini.EraseSection("Gone");
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("Gone")));
    EXPECT_TRUE(RawQuery(HKEY_CURRENT_USER, Path("Stays"), "v"));
    ini.EraseSection("Gone");  // a missing section is no error

    // The empty section is the key's own values; its subkeys are other sections and stay.
    ini.EraseSection("");
    EXPECT_FALSE(RawQuery(HKEY_CURRENT_USER, Path(), "own"));
    EXPECT_TRUE(RawQuery(HKEY_CURRENT_USER, Path("Stays"), "v"));
}

TEST_F(RegistryTest, IniDeleteKeyRemovesOneValue)
{
    RawSetSz(HKEY_CURRENT_USER, Path("S"), "a", "1");
    RawSetSz(HKEY_CURRENT_USER, Path("S"), "b", "2");
    RawSetSz(HKEY_CURRENT_USER, Path(), "a", "top");
    TRegIniFile ini(Path());
    ini.DeleteKey("S", "a");
    EXPECT_FALSE(RawQuery(HKEY_CURRENT_USER, Path("S"), "a"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("S"), "b"), Sz("2"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path(), "a"), Sz("top"));
    ini.DeleteKey("S", "a");        // already gone
    ini.DeleteKey("NoSuch", "a");   // no section
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("NoSuch")));
    ini.DeleteKey("", "a");
    EXPECT_FALSE(RawQuery(HKEY_CURRENT_USER, Path(), "a"));
    // The inherited registry operation is still there.
    EXPECT_TRUE(ini.DeleteKey("S"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("S")));
}

TEST_F(RegistryTest, IniKeyPathDropsALeadingBackslash)
{
    {
        TRegIniFile ini("\\" + Path());
        EXPECT_EQ(ini.FileName(), "\\" + Path());
        EXPECT_EQ(ini.CurrentPath(), Path());
        ini.WriteString("S", "v", "x");
    }
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("S"), "v"), Sz("x"));
}

TEST_F(RegistryTest, IniOnLocalMachine)
{
    {
        RootedRegIniFile ini(HKEY_LOCAL_MACHINE, Path(), false);
        ini.WriteBool("Communication", "BeepAfterSend", true);
        ini.WriteString("Communication", "Port", "COM5");
    }
    EXPECT_EQ(RawQuery(HKEY_LOCAL_MACHINE, Path("Communication"), "BeepAfterSend"), Sz("1"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path()));
    RootedRegIniFile ini(HKEY_LOCAL_MACHINE, Path(), true);
    EXPECT_EQ(ini.ReadString("Communication", "Port", ""), "COM5");
    TStringList list;
    ini.ReadSectionValues("Communication", &list);
    EXPECT_EQ(Sorted(Lines(list)), (Names{"BeepAfterSend=1", "Port=COM5"}));
}

TEST_F(RegistryTest, IniLongValuesAndManyNames)
{
    std::string longText(5000, 'x');
    longText += "end";
    TRegIniFile ini(Path());
    ini.WriteString("S", "long", longText);
    for (int i = 0; i < 300; ++i) ini.WriteString("Many", "name" + std::to_string(i), std::to_string(i));
    EXPECT_EQ(ini.ReadString("S", "long", "").str(), longText);
    TStringList list;
    ini.ReadSection("Many", &list);
    EXPECT_EQ(list.Count(), 300);
    list.Clear();
    ini.ReadSectionValues("Many", &list);
    EXPECT_EQ(list.Count(), 300);
    EXPECT_EQ(list.Values("name299"), "299");
}

TEST_F(RegistryTest, IniReadsTheSystemsSerialPortList)
{
    // The port list as the program reads it; what Wine puts there varies, so compare with a raw read.
    const std::string key = "Hardware\\DeviceMap\\SerialComm";
    Names raw;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
        char name[512];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof name;
            if (RegEnumValueA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            auto v = RawQuery(HKEY_LOCAL_MACHINE, key, std::string(name, len));
            if (v && v->type == REG_SZ && v->bytes.size() > 1)
                raw.push_back(std::string(name, len) + "=" + v->bytes.substr(0, v->bytes.find('\0')));
        }
        RegCloseKey(k);
    }
    RootedRegIniFile ini(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap", true);
    TStringList list;
    ini.ReadSectionValues("SerialComm", &list);
    EXPECT_EQ(Sorted(Lines(list)), Sorted(raw));
}

// ---------------------------------------------------------------------------------------------------------------
// TRegistryIniFile

TEST_F(RegistryTest, RegistryIniFileIsAnIniStoreUnderCurrentUser)
{
    {
        TRegistryIniFile ini(Path());
        TCustomIniFile& store = ini;
        EXPECT_EQ(store.FileName(), Path());
        EXPECT_EQ(ini.RegIniFile().RootKey(), HKEY_CURRENT_USER);
        store.WriteInteger("Obj", "Width", 120);
        store.WriteBool("Obj", "Visible", false);
        store.WriteString("Obj", "Caption", "");
        store.WriteFloat("Obj", "Ratio", 2.5);
    }
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("Obj"), "Width"), Sz("120"));
    EXPECT_EQ(RawQuery(HKEY_CURRENT_USER, Path("Obj"), "Visible"), Sz("0"));
    auto ratio = RawQuery(HKEY_CURRENT_USER, Path("Obj"), "Ratio");
    ASSERT_TRUE(ratio);
    EXPECT_EQ(ratio->type, DWORD(REG_SZ));

    TRegistryIniFile ini(Path());
    TCustomIniFile& store = ini;
    EXPECT_EQ(store.ReadInteger("Obj", "Width", 0), 120);
    EXPECT_FALSE(store.ReadBool("Obj", "Visible", true));
    EXPECT_DOUBLE_EQ(store.ReadFloat("Obj", "Ratio", 0), 2.5);
    EXPECT_DOUBLE_EQ(store.ReadFloat("Obj", "Caption", 1.25), 1.25);
    EXPECT_TRUE(store.SectionExists("Obj"));
    EXPECT_TRUE(store.ValueExists("Obj", "width"));
    EXPECT_FALSE(store.ValueExists("Obj", "Height"));

    // As an ini store, ReadSectionValues gives a fresh list with the empty values too.
    TStringList list;
    list.Add("old=1");
    store.ReadSectionValues("Obj", &list);
    EXPECT_EQ(Sorted(Lines(list)), (Names{"Caption=", "Ratio=" + ratio->bytes.substr(0, ratio->bytes.size() - 1),
                                          "Visible=0", "Width=120"}));
    store.DeleteKey("Obj", "Width");
    EXPECT_FALSE(RawQuery(HKEY_CURRENT_USER, Path("Obj"), "Width"));
    store.EraseSection("Obj");
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("Obj")));
    store.UpdateFile();
}

TEST_F(RegistryTest, RegistryIniFileCanMoveToAnotherRoot)
{
    TRegistryIniFile ini(Path());
    TRegIniFile& reg = ini.RegIniFile();
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(ini.FileName(), true));
    ini.WriteString("Obj", "Name", "machine");
    EXPECT_EQ(RawQuery(HKEY_LOCAL_MACHINE, Path("Obj"), "Name"), Sz("machine"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Path("Obj")));

    // Another store switched over and opened read-only: reads work, writes are refused.
    TRegistryIniFile reader(Path());
    reader.RegIniFile().SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reader.RegIniFile().OpenKeyReadOnly(reader.FileName()));
    EXPECT_EQ(reader.ReadString("Obj", "Name", ""), "machine");
    EXPECT_FALSE(RegistryError([&] { reader.WriteString("", "x", "y"); }).empty());
}
