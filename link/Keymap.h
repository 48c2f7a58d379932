#pragma once
// Unit Keymap: the user key map. A terminal key code stands for a list of PC key combinations, played as
// Windows key events; the map is kept in an .ini file, one section per serial port.

#include <cstdint>
#include <map>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/ShortCuts.h"
#include "link/KeyInjector.h"

// A terminal key event: the key value in the low 16 bits and flags above.
using KvKeyCode = std::uint32_t;

enum : KvKeyCode {
    KvKeyValueMask = 0x0000FFFFu,
    KvKeyMapOnly = 0x00008000u,        // soft keys: no Windows key, only the key map acts on them
    KvKeyTerminalAlt = 0x04000000u,    // the terminal's Alt is held
    KvKeyTerminalShift = 0x08000000u,  // the terminal's Shift is held
    KvKeyReleased = 0x80000000u,
};

// One PC key combination: a shortcut value (virtual key in the low byte, scShift, scCtrl, scAlt).
class KvKeyAction {
public:
    KvKeyAction() = default;
    explicit KvKeyAction(TShortCut value) : value_(value) {}

    TShortCut Value() const { return value_; }
    // An unknown text gives 0, which plays no key.
    void FromText(const AnsiString& text) { value_ = TextToShortCut(text); }
    AnsiString ToText() const { return ShortCutToText(value_); }

    // Plays the combination on its own: Shift and Alt that are down now are let go around it and pressed
    // again afterwards. Always true.
    bool Execute(KvKeyInjector& injector = KvSystemKeyInjector()) const;

    friend bool operator==(const KvKeyAction&, const KvKeyAction&) = default;

private:
    TShortCut value_ = 0;
};

// Key combinations played in order; the same one may come more than once.
class KvActionList {
public:
    int Count() const { return int(actions_.size()); }
    const KvKeyAction& operator[](int index) const { return actions_.at(std::size_t(index)); }
    void Add(const KvKeyAction& action) { actions_.push_back(action); }
    void Clear() { actions_.clear(); }

    void Execute(KvKeyInjector& injector = KvSystemKeyInjector()) const;
    // Clears strings and adds one shortcut text per action; false without a list.
    bool ToText(TStrings* strings) const;
    // Rebuilds the list with one action per string; false without a list.
    bool FromText(TStrings* strings);

    friend bool operator==(const KvActionList&, const KvActionList&) = default;

private:
    std::vector<KvKeyAction> actions_;
};

// Key code -> action list, in ascending code order.
class KvKeyMap {
public:
    int Count() const { return int(lists_.size()); }

    // Stores a copy of list for the code; a null list removes the code.
    void SetActions(KvKeyCode code, const KvActionList* list);
    // A copy of the code's list; empty when the code is not mapped.
    KvActionList GetActions(KvKeyCode code) const;
    // Plays the code's list; false when the code is not mapped.
    bool Execute(KvKeyCode code, KvKeyInjector& injector = KvSystemKeyInjector()) const;

    // Replaces the map by the port's section of the file; a missing file or section gives an empty map.
    bool LoadFromFile(const AnsiString& portName, const AnsiString& fileName);
    // Replaces the port's section of the file by the map. False when the file could not be written.
    bool SaveToFile(const AnsiString& portName, const AnsiString& fileName) const;

    friend bool operator==(const KvKeyMap&, const KvKeyMap&) = default;

private:
    std::map<KvKeyCode, KvActionList> lists_;
};
