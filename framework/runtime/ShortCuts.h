#pragma once
// Shortcuts: a virtual-key code in the low byte plus modifier bits, and their texts.

#include <windows.h>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"

using TShortCut = unsigned short;

enum : TShortCut { scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };

// The key with the modifiers of shift (ssShift, ssCtrl, ssAlt; the mouse buttons do not count), and back.
TShortCut ShortCut(WORD key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift);

// "Shift+", "Ctrl+", "Alt+" (in that order) before the key's name, from one fixed English table that does not
// depend on the keyboard layout: "A".."Z", "0".."9", "F1".."F24", "BkSp", "Tab", "Enter", "Esc", "Space",
// "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down", "Ins", "Del", the keypad as "Num0".."Num9",
// "Num*", "Num+", "Num-", "Num.", "Num/", the punctuation keys by their US characters (";", "=", "Comma", "-",
// ".", "/", "`", "[", "\", "]", "'") and a few more. The names hold no blank, comma or quote, so they stay one
// item in comma text and in .ini values. A key without a name is written "#" and two hex digits ("#E5").
// No key (code 0) gives "". These texts are what key-map files store.
AnsiString ShortCutToText(TShortCut shortCut);

// The reverse, ignoring case; also reads "Num 5" and "Num +" (with a blank) and "," for the comma key.
// Modifiers may come in any order. An unknown text gives 0.
TShortCut TextToShortCut(const AnsiString& text);
