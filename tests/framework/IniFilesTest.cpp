#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/IniFiles.h"

namespace {

std::string TempFolder()
{
    char buf[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, buf);
    std::string dir = std::string(buf, n) + "DravikTest";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\";
}

bool FileThere(const std::string& name)
{
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file's text with line ends made "\n", so tests read the lines as Windows wrote them.
std::string ReadText(const std::string& name)
{
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<no file>";
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    CloseHandle(h);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

void WriteText(const std::string& name, const std::string& text)
{
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(h, text.data(), DWORD(text.size()), &put, nullptr);
    CloseHandle(h);
}

using Names = std::vector<std::string>;

Names Lines(const TStrings& s)
{
    Names v;
    for (int i = 0; i < s.Count(); ++i) v.push_back(s.Strings(i).str());
    return v;
}

// One .ini file per test in a temp folder, removed before and after.
class IniFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        file_ = TempFolder() + testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        Remove();
    }
    void TearDown() override { Remove(); }
    void Remove()
    {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_.c_str());  // drop any cached copy
        DeleteFileA(file_.c_str());
    }
    // Puts a file in place as another program would have written it.
    void Seed(const std::string& text)
    {
        WriteText(file_, text);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_.c_str());
    }

    std::string file_;
};

}  // namespace

TEST_F(IniFileTest, WritesWindowsIniText)
{
    {
        TIniFile ini(file_);
        EXPECT_EQ(ini.FileName(), file_);
        ini.WriteString("Main", "Name", "value with blanks");
        ini.WriteInteger("Main", "Count", 123);
        ini.WriteInteger("Main", "Neg", -7);
        ini.WriteBool("Flags", "On", true);
        ini.WriteBool("Flags", "Off", false);
        ini.WriteString("Main", "Empty", "");
        ini.UpdateFile();
    }
    std::string text = ReadText(file_);
    EXPECT_NE(text.find("[Main]\nName=value with blanks\nCount=123\nNeg=-7\nEmpty=\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Flags]\nOn=1\nOff=0\n"), std::string::npos) << text;
}

TEST_F(IniFileTest, TypedReadsOfStoredText)
{
    Seed("[S]\n"
         "two=2\n"
         "one=1\n"
         "zero=0\n"
         "neg=-12\n"
         "text=abc\n"
         "empty=\n"
         "hex=0x1F\n"
         "dollar=$10\n"
         "spaced=  42  \n"
         "mixed=12abc\n");
    TIniFile ini(file_);
    struct Case {
        const char* name;
        int intDef;
        int asInt;
        bool boolDef;
        bool asBool;
    };
    const Case cases[] = {
        {"two", 9, 2, false, true},     {"one", 9, 1, false, true},    {"zero", 9, 0, true, false},
        {"neg", 9, -12, false, true},   {"text", 9, 9, false, false},  {"text", 9, 9, true, true},
        {"empty", 9, 9, true, true},    {"missing", 9, 9, false, false}, {"missing", 9, 9, true, true},
        {"hex", 0, 31, false, true},    {"dollar", 0, 16, false, true}, {"spaced", 0, 42, false, true},
        {"mixed", 5, 5, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ini.ReadInteger("S", c.name, c.intDef), c.asInt);
        EXPECT_EQ(ini.ReadBool("S", c.name, c.boolDef), c.asBool);
    }
    EXPECT_EQ(ini.ReadString("S", "text", "d"), "abc");
    EXPECT_EQ(ini.ReadString("S", "empty", "d"), "");
    EXPECT_EQ(ini.ReadString("S", "missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("NoSection", "text", "d"), "d");
    EXPECT_EQ(ini.ReadString("s", "TEXT", "d"), "abc");  // names ignore case
}

TEST_F(IniFileTest, MissingFileReadsDefaults)
{
    TIniFile ini(file_);
    EXPECT_EQ(ini.ReadString("S", "x", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("S", "x", -3), -3);
    EXPECT_TRUE(ini.ReadBool("S", "x", true));
    TStringList list;
    list.Add("stale");
    ini.ReadSections(&list);
    EXPECT_EQ(list.Count(), 0);
    ini.ReadSectionValues("S", &list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(ini.SectionExists("S"));
    // Removing from a file that is not there is no error and makes no file.
    ini.EraseSection("S");
    ini.DeleteKey("S", "x");
    EXPECT_FALSE(FileThere(file_));
}

TEST_F(IniFileTest, SectionsAndNamesInFileOrder)
{
    Seed("[Zeta]\nz=1\n[Alpha]\nb=2\na=1\nc=\n[Mid]\n");
    TIniFile ini(file_);
    TStringList list;
    list.Add("stale");
    ini.ReadSections(&list);
    EXPECT_EQ(Lines(list), (Names{"Zeta", "Alpha", "Mid"}));
    ini.ReadSection("Alpha", &list);
    EXPECT_EQ(Lines(list), (Names{"b", "a", "c"}));
    ini.ReadSection("Mid", &list);
    EXPECT_EQ(list.Count(), 0);

    // The file store gives a fresh list with every value, empty ones included.
    list.Clear();
    list.Add("b=old");
    list.Add("other=1");
    ini.ReadSectionValues("Alpha", &list);
    EXPECT_EQ(Lines(list), (Names{"b=2", "a=1", "c="}));

    EXPECT_TRUE(ini.SectionExists("alpha"));
    EXPECT_FALSE(ini.SectionExists("Mid"));  // a header alone holds nothing
    EXPECT_TRUE(ini.ValueExists("Alpha", "C"));
    EXPECT_FALSE(ini.ValueExists("Alpha", "z"));
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey)
{
    Seed("[Keep]\nk=1\n[Gone]\nx=1\ny=2\n[Last]\na=1\nb=2\n");
    {
        TIniFile ini(file_);
        ini.EraseSection("Gone");
        ini.DeleteKey("Last", "a");
        ini.DeleteKey("Last", "nothing");
        ini.EraseSection("NoSuch");
    }
    std::string text = ReadText(file_);
    EXPECT_EQ(text.find("Gone"), std::string::npos) << text;
    EXPECT_EQ(text.find("a=1"), std::string::npos) << text;
    EXPECT_NE(text.find("[Keep]\nk=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("b=2"), std::string::npos) << text;
    TIniFile ini(file_);
    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(Lines(list), (Names{"Keep", "Last"}));
}

TEST_F(IniFileTest, LongValuesAndLongListsAreReadWhole)
{
    std::string longText;
    while (longText.size() < 3000) longText += "Ctrl+C,Ctrl+V,";
    longText += "F5";
    const int keys = 600;  // names alone are far more than one read buffer
    const int sections = 400;
    {
        TIniFile ini(file_);
        ini.WriteString("KeyMap.COM1", "0x08000070", longText);
        for (int i = 0; i < keys; ++i) ini.WriteString("Many", "SomeLongerKeyName" + std::to_string(i), std::to_string(i));
        for (int i = 0; i < sections; ++i) ini.WriteString("Section.Number." + std::to_string(i), "k", "v");
    }
    EXPECT_NE(ReadText(file_).find("0x08000070=" + longText + "\n"), std::string::npos);

    TIniFile ini(file_);
    EXPECT_EQ(ini.ReadString("KeyMap.COM1", "0x08000070", "").str(), longText);
    TStringList list;
    ini.ReadSection("Many", &list);
    ASSERT_EQ(list.Count(), keys);
    EXPECT_EQ(list.Strings(keys - 1), "SomeLongerKeyName" + std::to_string(keys - 1));
    ini.ReadSectionValues("Many", &list);
    ASSERT_EQ(list.Count(), keys);
    EXPECT_EQ(list.Strings(keys - 1), "SomeLongerKeyName" + std::to_string(keys - 1) + "=" + std::to_string(keys - 1));
    ini.ReadSections(&list);
    EXPECT_EQ(list.Count(), sections + 2);
    EXPECT_EQ(list.Strings(sections + 1), "Section.Number." + std::to_string(sections - 1));
}

TEST_F(IniFileTest, ValuesAtTheReadBufferEdgeAreWhole)
{
    // Lengths around the first read buffer (4096): a value that fills it exactly must not be cut.
    TIniFile ini(file_);
    for (int len : {4094, 4095, 4096, 4097, 8191, 8192}) {
        std::string text(std::size_t(len), 'v');
        text.back() = 'E';
        ini.WriteString("Edge", "v" + std::to_string(len), text);
        EXPECT_EQ(ini.ReadString("Edge", "v" + std::to_string(len), "").Length(), len);
    }
}

TEST_F(IniFileTest, RefusedWriteRaises)
{
    std::string bad = TempFolder() + "no such folder\\x.ini";
    TIniFile ini(bad);
    try {
        ini.WriteString("S", "k", "v");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + bad);
    }
    EXPECT_THROW(ini.WriteInteger("S", "k", 1), EIniFileException);
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
}

TEST_F(IniFileTest, FloatsRoundTripAsText)
{
    Seed("[F]\nbad=abc\n");
    TIniFile ini(file_);
    ini.WriteFloat("F", "x", 2.5);
    ini.WriteFloat("F", "y", -0.125);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "x", 0), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "y", 0), -0.125);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "bad", 7.5), 7.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "missing", 7.5), 7.5);
    EXPECT_EQ(ini.ReadString("F", "x", ""), "2.5");
}

TEST_F(IniFileTest, WorksThroughTheAbstractStore)
{
    std::unique_ptr<TCustomIniFile> store = std::make_unique<TIniFile>(file_);
    store->WriteBool("S", "b", true);
    store->WriteInteger("S", "i", 5);
    EXPECT_TRUE(store->ReadBool("S", "b", false));
    EXPECT_EQ(store->ReadInteger("S", "i", 0), 5);
    store.reset();  // the destructor flushes
    EXPECT_NE(ReadText(file_).find("[S]\nb=1\ni=5\n"), std::string::npos);
}
