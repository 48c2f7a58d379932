// Key bitmaps, multi-tap letters and pointer frames, sent through the receiver; the input they make is
// recorded in order.
#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "LinkTestSupport.h"
#include "framework/runtime/SysUtils.h"
#include "support/TerminalStandIn.h"

using namespace linktest;
using S = TerminalStandIn;
namespace K = TerminalKeys;

namespace {

using KeyState = std::vector<TerminalKey>;

std::string KeyFrame(const KeyState& down)
{
    std::array<WORD, 4> words{};
    for (const TerminalKey& k : down) words[size_t(k.word)] = WORD(words[size_t(k.word)] | (1u << k.bit));
    return S::KeyBitmap(words);
}

class Injection : public testing::Test {
protected:
    void SetUp() override
    {
        link_.SetInputInjector(&input_);
        ASSERT_TRUE(link_.PrepareConnection());
        link_.screenWidth_ = 65535;
        link_.screenHeight_ = 65535;
    }

    // Each state is the whole set of keys down, sent as one frame.
    Events Play(std::initializer_list<KeyState> states)
    {
        for (const KeyState& s : states) link_.Feed(KeyFrame(s));
        return input_.Take();
    }

    RecordingInput input_;
    TestLink link_;
};

struct KeyCase {
    const char* name;
    bool letters;
    std::vector<KeyState> states;
    Events expected;
};

class KeySequences : public Injection, public testing::WithParamInterface<KeyCase> {};

TEST_P(KeySequences, ReachWindowsInOrder)
{
    const KeyCase& c = GetParam();
    link_.settings_.letterInputEnabled = c.letters;
    for (const KeyState& s : c.states) link_.Feed(KeyFrame(s));
    EXPECT_EQ(input_.Take(), c.expected);
    EXPECT_TRUE(input_.Bad().empty()) << input_.Bad().front();
}

const TerminalKey F1 = K::F(1), F2 = K::F(2), Shift = K::Shift, Alt = K::Alt, Five = K::Digit(5),
                  Seven = K::Digit(7), Three = K::Digit(3), Dot = K::Decimal;

INSTANTIATE_TEST_SUITE_P(
    Table, KeySequences,
    testing::Values(
        KeyCase{"PressAndRelease", true, {{F1}, {}}, {"+F1", "-F1"}},
        // Words W3, W0, W1, W2 in turn, each from bit 0 up.
        KeyCase{"OneFrameManyKeys", true, {{Three, F2, K::Up, F1}, {}}, {"+Up", "+F1", "+F2", "+3", "-Up", "-F1", "-F2", "-3"}},
        KeyCase{"LowerCaseLetter", true, {{Shift}, {Shift, Five}}, {"+Shift", "-Shift", "+M", "-M", "+Shift"}},
        KeyCase{"SameDigitAgainReplaces",
                true,
                {{Shift}, {Shift, Five}, {Shift}, {Shift, Five}},
                {"+Shift", "-Shift", "+M", "-M", "+Shift", "+Back", "-Back", "-Shift", "+N", "-N", "+Shift"}},
        KeyCase{"UpperCaseLetter", true, {{Shift}, {Shift, Dot}, {Shift}, {Shift, Seven}}, {"+Shift", "+A", "-A"}},
        KeyCase{"AltSendsTheDigit", true, {{Alt}, {Alt, Shift}, {Alt, Shift, Five}, {}},
                {"+Alt", "+Shift", "+5", "-Shift", "-Alt", "-5"}},
        // Letter input off: Shift + digit is still not a digit.
        KeyCase{"LettersOff", false, {{Shift}, {Shift, Five}, {Shift}, {}}, {"+Shift", "-Shift"}},
        KeyCase{"UnmappedSoftKey", true, {{K::S(4)}, {}}, {}},
        // A digit sent before Shift is let go even though Shift is down by then.
        KeyCase{"DigitBeforeShift", true, {{Five}, {Five, Shift}, {Shift}, {}}, {"+5", "+Shift", "-5", "-Shift"}},
        KeyCase{"DecimalBeforeShift", true, {{Dot}, {Dot, Shift}, {Shift}, {}}, {"+Decimal", "+Shift", "-Decimal", "-Shift"}},
        // A digit taken as a letter is never let go as a digit.
        KeyCase{"ShiftLetGoFirst", true, {{Shift}, {Shift, Five}, {Five}, {}}, {"+Shift", "-Shift", "+M", "-M", "+Shift", "-Shift"}},
        KeyCase{"ZeroTypesSigns", true, {{Shift}, {Shift, K::Digit(0)}}, {"+Shift", "-Shift", "+Add", "-Add", "+Shift"}}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

// Every key of the terminal's four words, as the Windows key (or, for the soft keys, the code) it stands for.
struct KeypadKey {
    TerminalKey key;
    WORD code;
};

std::vector<KeypadKey> EveryKeypadKey()
{
    std::vector<KeypadKey> keys;
    for (int n = 1; n <= 16; ++n) keys.push_back({K::F(n), WORD(VK_F1 + n - 1)});
    for (int n = 1; n <= 10; ++n) keys.push_back({K::S(n), WORD(0x8070 + n - 1)});
    for (int d = 0; d <= 9; ++d) keys.push_back({K::Digit(d), WORD('0' + d)});
    const WORD w3[14] = {VK_PRIOR, VK_NEXT,  VK_UP,     VK_DOWN,     VK_LEFT, VK_RIGHT, VK_HELP,
                         VK_BACK,  VK_SHIFT, VK_MENU,   VK_RETURN,   VK_SUBTRACT, VK_ADD, VK_DECIMAL};
    for (int bit = 0; bit < 14; ++bit) keys.push_back({TerminalKey{3, bit}, w3[bit]});
    return keys;
}

TEST_F(Injection, EveryKeypadKeyIsItsWindowsKey)
{
    for (const KeypadKey& k : EveryKeypadKey()) {
        SCOPED_TRACE(k.code);
        // A soft key has no Windows key; a key the keyboard layout gives no scan code is not sent.
        const bool sent = !(k.code & 0x8000) && MapVirtualKeyA(k.code, 0) != 0;
        const std::string name = KeyName(BYTE(k.code));
        EXPECT_EQ(Play({{k.key}, {}}), sent ? (Events{"+" + name, "-" + name}) : Events{});
    }
    EXPECT_TRUE(input_.Bad().empty()) << input_.Bad().front();
}

// The same through a key map that gives each key's code a combination of its own.
TEST_F(Injection, EveryKeypadKeyHasTheKeyMapCodeOfItsWindowsKey)
{
    const std::string iniFile = ChangeFileExt(ParamStr(0), ".ini").c_str();
    LinkSettings settings("EveryKeypadKey");
    settings.Set("MouseAndKeyboard", "UserDefinedKeyboardMapping", "1");
    settings.SetLine("COM5");
    const std::vector<KeypadKey> keys = EveryKeypadKey();
    KvKeyMap map;
    auto combination = [](size_t i) {
        return std::string(i < 26 ? "Ctrl+" : "Alt+") + char('A' + i % 26);
    };
    for (size_t i = 0; i < keys.size(); ++i) {
        KvActionList list;
        KvKeyAction action;
        action.FromText(combination(i).c_str());
        list.Add(action);
        map.SetActions(keys[i].code, &list);
    }
    ASSERT_TRUE(map.SaveToFile("COM5", iniFile.c_str()));
    ASSERT_TRUE(link_.PrepareConnection());
    DeleteFileA(iniFile.c_str());
    ASSERT_EQ(link_.KeyMap().Count(), int(keys.size()));
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(keys[i].code);
        const std::string modifier = i < 26 ? "Ctrl" : "Alt";
        const std::string letter(1, char('A' + i % 26));
        EXPECT_EQ(Play({{keys[i].key}, {}}), (Events{"+" + modifier, "+" + letter, "-" + letter, "-" + modifier}));
    }
}

// Shift and a digit, again and again: its letters in turn, each replacing the last, and round to the first.
TEST_F(Injection, MultiTapGoesRoundEveryDigitsLetters)
{
    const std::vector<std::vector<std::string>> letters = {
        {"Add", "Divide", "Multiply", "Subtract"}, {"S", "T", "U"}, {"V", "W", "X"}, {"Y", "Z", "Space"},
        {"J", "K", "L"}, {"M", "N", "O"}, {"P", "Q", "R"}, {"A", "B", "C"}, {"D", "E", "F"}, {"G", "H", "I"},
    };
    for (int d = 0; d <= 9; ++d) {
        SCOPED_TRACE(d);
        const TerminalKey digit = K::Digit(d);
        Play({{Shift}});
        const auto& row = letters[size_t(d)];
        for (size_t tap = 0; tap <= row.size(); ++tap) {
            const std::string& l = row[tap % row.size()];
            Events expected;
            if (tap > 0) expected = {"+Back", "-Back"};
            expected.insert(expected.end(), {"-Shift", "+" + l, "-" + l, "+Shift"});
            EXPECT_EQ(Play({{Shift, digit}, {Shift}}), expected) << tap;
        }
        EXPECT_EQ(Play({{}}), Events{"-Shift"});
    }
}

// Letting go of Shift starts the letters afresh: the tap index and the digit at once, the upper case at the
// letter routine's next turn (a transfer report after the browse time); another digit starts at its first.
TEST_F(Injection, MultiTapStartsAfreshAfterShiftAndOnAnotherDigit)
{
    EXPECT_EQ(Play({{Shift}, {Shift, Five}, {Shift}, {}}), (Events{"+Shift", "-Shift", "+M", "-M", "+Shift", "-Shift"}));
    EXPECT_EQ(Play({{Shift}, {Shift, Five}, {Shift}}), (Events{"+Shift", "-Shift", "+M", "-M", "+Shift"}))
        << "not N: the tap index went with Shift";
    EXPECT_EQ(Play({{Shift, Five}, {Shift}, {Shift, K::Digit(4)}, {Shift}}),
              (Events{"+Back", "-Back", "-Shift", "+N", "-N", "+Shift", "-Shift", "+J", "-J", "+Shift"}))
        << "another digit: a new letter, the first of its own";
    EXPECT_EQ(Play({{}}), Events{"-Shift"});

    // Upper case, kept while Shift is held; gone once the routine runs without it.
    EXPECT_EQ(Play({{Shift}, {Shift, Dot}, {Shift}, {Shift, Seven}, {Shift}, {}}), (Events{"+Shift", "+A", "-A", "-Shift"}));
    input_.SetNow(100000 + 5000);
    link_.Feed(S::TransferNumber(0));
    EXPECT_EQ(input_.Take(), Events{});
    EXPECT_EQ(Play({{Shift}, {Shift, Seven}}), (Events{"+Shift", "-Shift", "+A", "-A", "+Shift"}));
}

TEST_F(Injection, NothingWhileKeyboardTransferIsOff)
{
    link_.settings_.keyboardEnabled = false;
    EXPECT_EQ(Play({{F1}, {}}), Events{});
    EXPECT_FALSE(link_.HandleKeyBitmap(reinterpret_cast<const BYTE*>("\0\1\0\0\0\0\0\0"), 8));
}

// A held digit moves on to its next letter once the browse time has passed, on the terminal's transfer
// reports; after the break time the same digit starts a new letter.
TEST_F(Injection, MultiTapFollowsTheBrowseAndBreakTimes)
{
    DWORD t = 100000;
    auto at = [&](DWORD ms) {
        input_.SetNow(t + ms);
        link_.Feed(S::TransferNumber(0));
        return input_.Take();
    };
    input_.SetNow(t);
    EXPECT_EQ(Play({{Shift}, {Shift, Five}}), (Events{"+Shift", "-Shift", "+M", "-M", "+Shift"}));
    EXPECT_EQ(at(550), Events{}) << "600 ms less 50 not yet passed";
    const Events next = {"+Back", "-Back", "-Shift", "+N", "-N", "+Shift"};
    EXPECT_EQ(at(551), next);
    EXPECT_EQ(at(1102), (Events{"+Back", "-Back", "-Shift", "+O", "-O", "+Shift"}));
    EXPECT_EQ(at(1653), (Events{"+Back", "-Back", "-Shift", "+M", "-M", "+Shift"})) << "round again";

    // Let go, and again within the break time: the last letter is replaced.
    input_.SetNow(t + 1700);
    EXPECT_EQ(Play({{Shift}}), Events{});
    EXPECT_EQ(at(2300), Events{}) << "no digit down and the break time not reached";
    input_.SetNow(t + 2400);
    EXPECT_EQ(Play({{Shift, Five}}), next);

    // Let go past the break time: a new letter.
    input_.SetNow(t + 2450);
    EXPECT_EQ(Play({{Shift}}), Events{});
    EXPECT_EQ(at(3401), Events{});
    input_.SetNow(t + 3500);
    EXPECT_EQ(Play({{Shift, Five}}), (Events{"-Shift", "+M", "-M", "+Shift"}));
}

TEST_F(Injection, LetterInputOffNeverTypesOnTransferReports)
{
    link_.settings_.letterInputEnabled = false;
    Play({{Shift}, {Shift, Five}});
    input_.SetNow(200000);
    link_.Feed(S::TransferNumber(1));
    EXPECT_EQ(input_.Take(), Events{});
}

// ---------------------------------------------------------------------------------------------------------------
// Pointer

struct PointerCase {
    const char* name;
    std::vector<std::string> frames;
    Events expected;
};

class PointerFrames : public Injection, public testing::WithParamInterface<PointerCase> {};

TEST_P(PointerFrames, BecomeAbsoluteMouseEvents)
{
    for (const std::string& f : GetParam().frames) link_.Feed(f);
    EXPECT_EQ(input_.Take(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PointerFrames,
    testing::Values(PointerCase{"Move", {S::Pointer(10, 20, 0)}, {"move 10,20"}},
                    PointerCase{"Left", {S::Pointer(10, 20, 2), S::Pointer(11, 20, 2), S::Pointer(12, 20, 0)},
                                {"ldown 10,20", "move 11,20", "lup 12,20"}},
                    PointerCase{"Right", {S::Pointer(5, 6, 1), S::Pointer(5, 6, 0)}, {"rdown 5,6", "rup 5,6"}},
                    PointerCase{"RightBeforeLeft", {S::Pointer(1, 1, 3), S::Pointer(2, 2, 0)},
                                {"rdown 1,1", "ldown 1,1", "rup 2,2", "lup 2,2"}},
                    // Bits above the two buttons do not swallow the move.
                    PointerCase{"OtherBits", {S::Pointer(7, 8, 0x80)}, {"move 7,8"}}),
    [](const testing::TestParamInfo<PointerCase>& info) { return std::string(info.param.name); });

TEST_F(Injection, PointerScaledToTheScreen)
{
    link_.screenWidth_ = 1024;
    link_.screenHeight_ = 768;
    link_.Feed(S::Pointer(639, 479, 0));
    // ceiling(639 * 65535 / 1024) and ceiling(479 * 65535 / 768)
    EXPECT_EQ(input_.Take(), (Events{"move 40896,40875"}));
}

TEST_F(Injection, PointerScaledByTheDesktopArea)
{
    link_.settings_.desktopArea.cx = 800;
    link_.settings_.desktopArea.cy = 600;
    link_.Feed(S::Pointer(320, 240, 0));
    link_.Feed(S::Pointer(639, 479, 0));
    EXPECT_EQ(input_.Take(), (Events{"move 400,300", "move 798,598"}));
}

TEST_F(Injection, NoPointerWithoutAScreenSizeOrWhenTransferIsOff)
{
    link_.screenWidth_ = 0;
    EXPECT_FALSE(link_.HandleMouse(10, 10, 2));
    link_.screenWidth_ = 65535;
    link_.settings_.transferMouseToPc = false;
    EXPECT_FALSE(link_.HandleMouse(10, 10, 2));
    EXPECT_EQ(input_.Take(), Events{});
}

TEST_F(Injection, InApplicationModeThePointerIsPlacedInTheTargetWindow)
{
    HWND target = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "target", WS_POPUP | WS_VISIBLE, 100, 50, 300, 200,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(target);
    link_.settings_.applicationMode = true;
    link_.settings_.desktopArea.cx = 800;  // not for a window: it is captured unscaled
    link_.settings_.desktopArea.cy = 600;
    link_.SetTargetWindow(target);
    EXPECT_TRUE(link_.HandleMouse(10, 20, 0));
    EXPECT_TRUE(link_.HandleMouse(299, 199, 0));
    EXPECT_FALSE(link_.HandleMouse(300, 20, 0)) << "outside the window";
    EXPECT_FALSE(link_.HandleMouse(20, 200, 0)) << "outside the window";
    EXPECT_EQ(input_.Take(), (Events{"move 110,70", "move 399,249"}));
    DestroyWindow(target);
    EXPECT_FALSE(link_.HandleMouse(10, 20, 0)) << "no target window";
}

// ---------------------------------------------------------------------------------------------------------------
// Close

TEST_F(Injection, CloseLetsGoOfEveryKeyAndButtonStillDown)
{
    Play({{Shift}, {Shift, F1}});
    link_.Feed(S::Pointer(10, 10, 3));
    input_.Take();
    link_.CloseConnection();
    // Buttons go up where the pointer is, without a move.
    EXPECT_EQ(input_.Take(), (Events{"-Shift", "-F1", "rup", "lup"}));
    // Closed: nothing more, not even from frames still coming in.
    link_.Feed(KeyFrame({F2}));
    link_.CloseConnection();
    EXPECT_EQ(input_.Take(), Events{});
}

TEST_F(Injection, CloseDoesNotLetGoOfALetterDigit)
{
    Play({{Shift}, {Shift, Five}});
    input_.Take();
    link_.CloseConnection();
    EXPECT_EQ(input_.Take(), (Events{"-Shift"}));
}

// ---------------------------------------------------------------------------------------------------------------
// Key codes, seen through a key map that maps each code to a key of its own

class MappedKeys : public Injection {
protected:
    void SetUp() override
    {
        iniFile_ = ChangeFileExt(ParamStr(0), ".ini").c_str();
        DeleteFileA(iniFile_.c_str());
        settings_.Set("MouseAndKeyboard", "UserDefinedKeyboardMapping", "1");
        settings_.SetLine("COM5");
        KvKeyMap map;
        auto put = [&](KvKeyCode code, const char* shortcut) {
            KvActionList list;
            KvKeyAction action;
            action.FromText(shortcut);
            list.Add(action);
            map.SetActions(code, &list);
        };
        put(0x00000070, "F9");        // F1 down
        put(0x80000070, "F10");       // F1 up
        put(0x08000070, "F11");       // F1 down with Shift
        put(0x0C000035, "F12");       // '5' down with Shift and Alt
        put(0x00008073, "Ctrl+S");    // S4 down
        put(0x88000010, "Ctrl+Q");    // Shift up: the release carries Shift, the press does not
        ASSERT_TRUE(map.SaveToFile("COM5", iniFile_.c_str()));
        Injection::SetUp();
        ASSERT_EQ(link_.KeyMap().Count(), 6);
    }
    void TearDown() override { DeleteFileA(iniFile_.c_str()); }

    LinkSettings settings_{"MappedKeys"};
    std::string iniFile_;
};

TEST_F(MappedKeys, CodesCarryReleaseShiftAndAlt)
{
    EXPECT_EQ(Play({{F1}, {}}), (Events{"+F9", "-F9", "+F10", "-F10"}));
    EXPECT_EQ(Play({{K::S(4)}, {}}), (Events{"+Ctrl", "+S", "-S", "-Ctrl"}));
    EXPECT_EQ(Play({{Alt}, {Alt, Shift}, {Alt, Shift, Five}}),
              (Events{"+Alt", "+Shift", "-Shift", "-Alt", "+F12", "-F12", "+Shift", "+Alt"}));
    // The '5' played F12 and never went down in Windows: its release sends nothing. A Shift held in Windows is
    // let go around each played combination.
    EXPECT_EQ(Play({{Alt, Shift}, {Shift}, {Shift, F1}}), (Events{"-Alt", "-Shift", "+F11", "-F11", "+Shift"}));
    // Shift's own release first, then what its release is mapped to; F1's press played F11, its release F10.
    EXPECT_EQ(Play({{F1}, {}}), (Events{"-Shift", "+Ctrl", "+Q", "-Q", "-Ctrl", "+F10", "-F10"}));
    EXPECT_EQ(input_.Held(), Events{});
}

// A key-map entry for only the press or only the release of a key: a key that went down in Windows is always
// let go, first, before a list its release is mapped to; a key that never went down gets no release.
struct OneSidedCase {
    const char* name;
    std::vector<std::pair<KvKeyCode, const char*>> map;
    std::vector<KeyState> states;
    Events expected;
    Events atClose;  // what the close adds, with the last state still held
};

void PrintTo(const OneSidedCase& c, std::ostream* os) { *os << c.name; }

class OneSidedKeyMap : public Injection, public testing::WithParamInterface<OneSidedCase> {
protected:
    void SetUp() override
    {
        iniFile_ = ChangeFileExt(ParamStr(0), ".ini").c_str();
        settings_.Set("MouseAndKeyboard", "UserDefinedKeyboardMapping", "1");
        settings_.SetLine("COM5");
        KvKeyMap map;
        for (const auto& [code, shortcut] : GetParam().map) {
            KvActionList list;
            KvKeyAction action;
            action.FromText(shortcut);
            list.Add(action);
            map.SetActions(code, &list);
        }
        ASSERT_TRUE(map.SaveToFile("COM5", iniFile_.c_str()));
        Injection::SetUp();
        ASSERT_EQ(link_.KeyMap().Count(), int(GetParam().map.size()));
    }
    void TearDown() override { DeleteFileA(iniFile_.c_str()); }

    LinkSettings settings_{"OneSidedKeyMap"};
    std::string iniFile_;
};

TEST_P(OneSidedKeyMap, LeavesNothingDown)
{
    const OneSidedCase& c = GetParam();
    for (const KeyState& s : c.states) link_.Feed(KeyFrame(s));
    EXPECT_EQ(input_.Take(), c.expected);
    link_.CloseConnection();
    EXPECT_EQ(input_.Take(), c.atClose);
    EXPECT_EQ(input_.Held(), Events{});
    EXPECT_TRUE(input_.Bad().empty()) << input_.Bad().front();
}

INSTANTIATE_TEST_SUITE_P(
    Table, OneSidedKeyMap,
    testing::Values(
        OneSidedCase{"ReleaseOnly", {{0x80000070, "F2"}}, {{F1}, {}}, {"+F1", "-F1", "+F2", "-F2"}, {}},
        OneSidedCase{"PressOnly", {{0x00000070, "F2"}}, {{F1}, {}}, {"+F2", "-F2"}, {}},
        OneSidedCase{"BothSides", {{0x00000070, "F9"}, {0x80000070, "F10"}}, {{F1}, {}}, {"+F9", "-F9", "+F10", "-F10"}, {}},
        OneSidedCase{"ShiftReleaseOnly", {{0x88000010, "Ctrl+Q"}}, {{Shift}, {}},
                     {"+Shift", "-Shift", "+Ctrl", "+Q", "-Q", "-Ctrl"}, {}},
        OneSidedCase{"ShiftPressOnly", {{0x00000010, "F3"}}, {{Shift}, {}}, {"+F3", "-F3"}, {}},
        // A mapped Shift is not Windows' Shift: letters are typed without lifting it.
        OneSidedCase{"ShiftPressOnlyThenLetter", {{0x00000010, "F3"}}, {{Shift}, {Shift, Five}, {Shift}, {}},
                     {"+F3", "-F3", "+M", "-M"}, {}},
        OneSidedCase{"SoftKeyReleaseOnly", {{0x80008073, "Ctrl+S"}}, {{K::S(4)}, {}}, {"+Ctrl", "+S", "-S", "-Ctrl"}, {}},
        OneSidedCase{"ReleaseWithShiftOnly", {{0x88000070, "F4"}}, {{Shift}, {Shift, F1}, {Shift}, {}},
                     {"+Shift", "+F1", "-F1", "-Shift", "+F4", "-F4", "+Shift", "-Shift"}, {}},
        // Held when the link closes: the close lets go the same way.
        OneSidedCase{"ReleaseOnlyHeldAtClose", {{0x80000070, "F2"}}, {{F1}}, {"+F1"}, {"-F1", "+F2", "-F2"}},
        OneSidedCase{"PressOnlyHeldAtClose", {{0x00000070, "F2"}}, {{F1}}, {"+F2", "-F2"}, {}},
        OneSidedCase{"ShiftReleaseOnlyHeldAtClose", {{0x88000010, "Ctrl+Q"}}, {{Shift, F1}},
                     {"+Shift", "+F1"}, {"-Shift", "+Ctrl", "+Q", "-Q", "-Ctrl", "-F1"}}),
    [](const testing::TestParamInfo<OneSidedCase>& info) { return std::string(info.param.name); });

}  // namespace
