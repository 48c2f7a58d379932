#pragma once
// Helpers the SysUtils sections share; not part of the interface.

#include "framework/runtime/AnsiString.h"

namespace sysutils_detail {

// "'text' is not a valid what": the text of a failed conversion.
AnsiString Fail(const char* what, const AnsiString& text);

// v in upper-case hexadecimal, at least `digits` digits (at most 64).
AnsiString ToHex(unsigned long long v, int digits);

}  // namespace sysutils_detail
