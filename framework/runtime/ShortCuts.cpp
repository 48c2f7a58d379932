#include "framework/runtime/ShortCuts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <string_view>


// ---------------------------------------------------------------------------------------------------------------
// Shortcut texts

namespace {

struct KeyName {
    unsigned char key;
    const char* name;
};

constexpr KeyName NamedKeys[] = {
    {VK_CANCEL, "Break"},      {VK_BACK, "BkSp"},         {VK_TAB, "Tab"},          {VK_CLEAR, "Clear"},
    {VK_RETURN, "Enter"},      {VK_SHIFT, "Shift"},       {VK_CONTROL, "Ctrl"},     {VK_MENU, "Alt"},
    {VK_PAUSE, "Pause"},       {VK_CAPITAL, "CapsLock"},  {VK_ESCAPE, "Esc"},       {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"},        {VK_NEXT, "PgDn"},         {VK_END, "End"},          {VK_HOME, "Home"},
    {VK_LEFT, "Left"},         {VK_UP, "Up"},             {VK_RIGHT, "Right"},      {VK_DOWN, "Down"},
    {VK_SELECT, "Select"},     {VK_PRINT, "Print"},       {VK_EXECUTE, "Execute"},  {VK_SNAPSHOT, "PrtSc"},
    {VK_INSERT, "Ins"},        {VK_DELETE, "Del"},        {VK_HELP, "Help"},        {VK_LWIN, "LWin"},
    {VK_RWIN, "RWin"},         {VK_APPS, "Apps"},         {VK_SLEEP, "Sleep"},      {VK_MULTIPLY, "Num*"},
    {VK_ADD, "Num+"},          {VK_SEPARATOR, "NumSep"},  {VK_SUBTRACT, "Num-"},    {VK_DECIMAL, "Num."},
    {VK_DIVIDE, "Num/"},       {VK_NUMLOCK, "NumLock"},   {VK_SCROLL, "ScrollLock"}, {VK_LSHIFT, "LShift"},
    {VK_RSHIFT, "RShift"},     {VK_LCONTROL, "LCtrl"},    {VK_RCONTROL, "RCtrl"},   {VK_LMENU, "LAlt"},
    {VK_RMENU, "RAlt"},        {VK_OEM_1, ";"},           {VK_OEM_PLUS, "="},       {VK_OEM_COMMA, "Comma"},
    {VK_OEM_MINUS, "-"},       {VK_OEM_PERIOD, "."},      {VK_OEM_2, "/"},          {VK_OEM_3, "`"},
    {VK_OEM_4, "["},           {VK_OEM_5, "\\"},          {VK_OEM_6, "]"},          {VK_OEM_7, "'"},
    {VK_OEM_102, "Oem102"},
};

struct Modifier {
    TShortCut bit;
    std::string_view prefix;
};
constexpr Modifier ModifierTexts[] = {{scShift, "Shift+"}, {scCtrl, "Ctrl+"}, {scAlt, "Alt+"}};

const char HexDigits[] = "0123456789ABCDEF";

// The name of every key code, made once.
const std::array<std::string, 256>& KeyNames()
{
    static const std::array<std::string, 256> names = [] {
        std::array<std::string, 256> n;
        for (int k = 1; k < 256; ++k) n[k] = std::string("#") + HexDigits[k >> 4] + HexDigits[k & 15];
        for (char c = '0'; c <= '9'; ++c) n[unsigned(c)] = std::string(1, c);
        for (char c = 'A'; c <= 'Z'; ++c) n[unsigned(c)] = std::string(1, c);
        for (int d = 0; d <= 9; ++d) n[VK_NUMPAD0 + d] = "Num" + std::to_string(d);
        for (int f = 1; f <= 24; ++f) n[VK_F1 + f - 1] = "F" + std::to_string(f);
        for (const KeyName& k : NamedKeys) n[k.key] = k.name;
        return n;
    }();
    return names;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool StartsWithText(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

int HexValue(char c)
{
    const char* p = std::char_traits<char>::find(HexDigits, 16, char(std::toupper(static_cast<unsigned char>(c))));
    return p ? int(p - HexDigits) : -1;
}

unsigned KeyFromName(std::string_view name)
{
    if (name.empty()) return 0;
    const auto& names = KeyNames();
    for (unsigned k = 1; k < 256; ++k)
        if (SameText(name, names[k])) return k;
    if (StartsWithText(name, "Num ")) {  // the system's own spelling of the keypad keys
        std::string joined = "Num";
        joined += name.substr(4);
        return KeyFromName(joined);
    }
    if (name == ",") return VK_OEM_COMMA;
    if (name[0] == '#' && (name.size() == 2 || name.size() == 3)) {
        unsigned value = 0;
        for (char c : name.substr(1)) {
            const int digit = HexValue(c);
            if (digit < 0) return 0;
            value = value * 16 + unsigned(digit);
        }
        return value;
    }
    return 0;
}

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift)
{
    TShortCut s = TShortCut(key & 0xFF);
    if (shift.Contains(ssShift)) s |= scShift;
    if (shift.Contains(ssCtrl)) s |= scCtrl;
    if (shift.Contains(ssAlt)) s |= scAlt;
    return s;
}

void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift)
{
    key = shortCut & 0xFF;
    shift.Clear();
    if (shortCut & scShift) shift.Include(ssShift);
    if (shortCut & scCtrl) shift.Include(ssCtrl);
    if (shortCut & scAlt) shift.Include(ssAlt);
}

AnsiString ShortCutToText(TShortCut shortCut)
{
    const unsigned key = shortCut & 0xFF;
    if (key == 0) return AnsiString();
    std::string text;
    for (const Modifier& m : ModifierTexts)
        if (shortCut & m.bit) text += m.prefix;
    text += KeyNames()[key];
    return AnsiString(text);
}

TShortCut TextToShortCut(const AnsiString& text)
{
    std::string_view rest = text;
    TShortCut shift = 0;
    for (bool found = true; found;) {
        found = false;
        for (const Modifier& m : ModifierTexts)
            if (StartsWithText(rest, m.prefix)) {
                shift |= m.bit;
                rest.remove_prefix(m.prefix.size());
                found = true;
            }
    }
    const unsigned key = KeyFromName(rest);
    return key == 0 ? TShortCut(0) : TShortCut(shift | key);
}
