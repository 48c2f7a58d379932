#pragma once
// The library's resource strings: each identifier names a text of the program's string table
// (resources/Zclconst.rc, linked into every program that uses the library). Texts are read at use, so that a
// translated string table changes them without a new build of the code.

#include <cstdint>

#include "framework/runtime/AnsiString.h"

struct TZCLResStringRec {
    std::uint16_t Identifier;
};

#define ZCL_RESSTRING(Name, Id, Text) inline constexpr TZCLResStringRec Name{Id};
#include "zcl/core/Zclconst.def"
#undef ZCL_RESSTRING

// The text from the running program's string table; empty when the program does not carry it.
AnsiString ZCLLoadResString(const TZCLResStringRec& Rec);
