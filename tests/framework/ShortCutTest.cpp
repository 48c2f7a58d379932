#include "framework/visual/Menus.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(ShortCut, EveryKeyWithEveryModifierReadsBackToItself)
{
    std::map<std::string, TShortCut> seen;
    for (unsigned key = 1; key < 256; ++key)
        for (unsigned mods = 0; mods < 8; ++mods) {
            const TShortCut s = TShortCut(key | mods << 13);
            const AnsiString text = ShortCutToText(s);
            ASSERT_FALSE(text.IsEmpty()) << std::hex << s;
            EXPECT_EQ(TextToShortCut(text), s) << text.c_str();
            EXPECT_EQ(TextToShortCut(text.LowerCase()), s) << text.c_str();
            EXPECT_EQ(TextToShortCut(text.UpperCase()), s) << text.c_str();
            // Two shortcuts never share a text, even ignoring case.
            auto [it, fresh] = seen.emplace(text.UpperCase().c_str(), s);
            EXPECT_TRUE(fresh) << text.c_str() << " is also " << std::hex << it->second;
        }
}

TEST(ShortCut, TextsStayOneItemInCommaTextAndIniValues)
{
    for (unsigned key = 1; key < 256; ++key) {
        const std::string text = ShortCutToText(TShortCut(key | scShift | scCtrl | scAlt)).c_str();
        EXPECT_EQ(text.find_first_of(" ,\"\t"), std::string::npos) << text;
    }
}

TEST(ShortCut, NoKeyHasNoText)
{
    EXPECT_EQ(ShortCutToText(0), "");
    EXPECT_EQ(ShortCutToText(scShift | scCtrl | scAlt), "");
}

TEST(ShortCut, ChosenTexts)
{
    const struct {
        const char* text;
        TShortCut value;
        const char* written;  // nullptr: the text itself
    } cases[] = {
        {"Ctrl+C", 0x4043, nullptr},
        {"Ctrl+Shift+A", 0x6041, "Shift+Ctrl+A"},
        {"Alt+Ctrl+Shift+Del", 0xE02E, "Shift+Ctrl+Alt+Del"},
        {"Alt+F4", 0x8073, nullptr},
        {"F1", 0x0070, nullptr},
        {"F24", 0x0087, nullptr},
        {"Shift+Num 5", 0x2065, "Shift+Num5"},
        {"Num5", 0x0065, nullptr},
        {"Num 0", 0x0060, "Num0"},
        {"Num +", 0x006B, "Num+"},
        {"Num*", 0x006A, nullptr},
        {"Num-", 0x006D, nullptr},
        {"Num.", 0x006E, nullptr},
        {"Num/", 0x006F, nullptr},
        {"5", 0x0035, nullptr},
        {"Shift+Ctrl+Alt+Tab", 0xE009, nullptr},
        {"BkSp", 0x0008, nullptr},
        {"Enter", 0x000D, nullptr},
        {"Esc", 0x001B, nullptr},
        {"Space", 0x0020, nullptr},
        {"PgUp", 0x0021, nullptr},
        {"PgDn", 0x0022, nullptr},
        {"End", 0x0023, nullptr},
        {"Home", 0x0024, nullptr},
        {"Left", 0x0025, nullptr},
        {"Up", 0x0026, nullptr},
        {"Right", 0x0027, nullptr},
        {"Down", 0x0028, nullptr},
        {"Ins", 0x002D, nullptr},
        {"Del", 0x002E, nullptr},
        {"ctrl+alt+del", 0xC02E, "Ctrl+Alt+Del"},
        {"Ctrl+Ctrl+X", 0x4058, "Ctrl+X"},
        {"Shift", 0x0010, nullptr},
        {"Ctrl+Shift", 0x4010, "Ctrl+Shift"},
        {"Shift+=", 0x20BB, nullptr},
        {"Ctrl+-", 0x40BD, nullptr},
        {",", 0x00BC, "Comma"},
        {"Alt+Comma", 0x80BC, nullptr},
        {"\\", 0x00DC, nullptr},
        {"#E5", 0x00E5, nullptr},
        {"alt+#e5", 0x80E5, "Alt+#E5"},
        {"#41", 0x0041, "A"},
        {"#7", 0x0007, "#07"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToShortCut(c.text), c.value) << c.text;
        EXPECT_EQ(ShortCutToText(c.value), c.written ? c.written : c.text) << c.text;
    }
}

TEST(ShortCut, KeyAndShiftStateBothWays)
{
    const struct {
        WORD key;
        TShiftState shift;
        TShortCut value;
    } cases[] = {
        {'C', {ssCtrl}, 0x4043},
        {VK_TAB, {ssShift, ssCtrl, ssAlt}, 0xE009},
        {VK_F4, {ssAlt}, 0x8073},
        {VK_NUMPAD5, {ssShift}, 0x2065},
        {'A', {}, 0x0041},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShortCut(c.key, c.shift), c.value);
        WORD key = 0;
        TShiftState shift{ssLeft};
        ShortCutToKey(c.value, key, shift);
        EXPECT_EQ(key, c.key);
        EXPECT_TRUE(shift == c.shift);
    }
    // Mouse buttons are no modifiers, and only the low byte is a key.
    EXPECT_EQ(ShortCut(0x1241, {ssLeft, ssDouble, ssShift}), 0x2041);
}

TEST(ShortCut, UnknownTextsGiveZero)
{
    for (const char* text : {"", "Ctrl+", "Shift+Alt+", "Foo", "Ctrl+Foo", "F25", "F0", "Num 10", "Num", "#",
                             "#00", "#100", "#G1", "A B", "Ctrl-A", "Ctrl+A+", " A", "+", "Ctrl++"}) {
        EXPECT_EQ(TextToShortCut(text), 0) << '"' << text << '"';
    }
}

}  // namespace
