#pragma once
// String helpers used all over the library: blank test, padding, trims, trailing backslash and strings of
// separated fields. Positions are 1-based, fields are numbered from 0.

#include <windows.h>

#include <initializer_list>
#include <span>

#include "framework/runtime/AnsiString.h"

// Padding and blanks -------------------------------------------------------------------------------------------

// True when S is empty or holds only spaces.
bool ZCLEmpty(const AnsiString& S);
// N copies of Ch; empty for N <= 0.
AnsiString ZCLFillString(int N, char Ch);
AnsiString ZCLSpace(int N);
// S padded with Ch on the left or right to Len characters; S unchanged when it is not shorter.
AnsiString ZCLAddCharL(const AnsiString& S, int Len, char Ch);
AnsiString ZCLAddCharR(const AnsiString& S, int Len, char Ch);
AnsiString ZCLAddSpaceL(const AnsiString& S, int Len);
AnsiString ZCLAddSpaceR(const AnsiString& S, int Len);
AnsiString ZCLAddZeroL(const AnsiString& S, int Len);
AnsiString ZCLAddZeroR(const AnsiString& S, int Len);
// Spaces and control characters.
AnsiString ZCLTrim(const AnsiString& S);
AnsiString ZCLTrimL(const AnsiString& S);
AnsiString ZCLTrimR(const AnsiString& S);

// Folders ------------------------------------------------------------------------------------------------------

// S with a trailing "\" unless it already has one; a blank S gives "\".
AnsiString ZCLSlashAdd(const AnsiString& S);
// S without its trailing "\" (a blank S stays as it is).
AnsiString ZCLSlashRemove(const AnsiString& S);

// Characters ---------------------------------------------------------------------------------------------------

int ZCLCount(const AnsiString& S, char Ch);
// Position of the last Ch, 0 when none.
int ZCLBackPos(char Ch, const AnsiString& S);
AnsiString ZCLReplaceChar(const AnsiString& S, char Old, char New);
// The text before the first Ch; S when there is none.
AnsiString ZCLGetFirstString(const AnsiString& S, char Ch);
// The whole text after the first Ch; S when there is none.
AnsiString ZCLGetSecondString(const AnsiString& S, char Ch);
// Position of the first digit, 0 when none. A lead byte of a double-byte character of the ANSI code page
// (or of CodePage) is stepped over together with the byte after it.
int ZCLScanToNumber(const AnsiString& S);
int ZCLScanToNumber(const AnsiString& S, UINT CodePage);

// Separated fields ---------------------------------------------------------------------------------------------

AnsiString ZCLCodeString(std::span<const AnsiString> Values, char Sep);
AnsiString ZCLCodeString(std::initializer_list<AnsiString> Values, char Sep);
AnsiString ZCLCodeInt(std::span<const int> Values, char Sep);
AnsiString ZCLCodeInt(std::initializer_list<int> Values, char Sep);
// Separators + 1; a string without a separator has one field, or none when it is empty.
int ZCLGetCodedCount(const AnsiString& S, char Sep);
// Field Index; empty when S has fewer fields.
AnsiString ZCLGetCodedString(const AnsiString& S, char Sep, int Index);
// Field Index as an integer, -1 when it is empty; other text that is no integer raises EConvertError.
int ZCLGetCodedInt(const AnsiString& S, char Sep, int Index);
// Replaces field Index by Value, first appending separators when S has fewer fields.
void ZCLSetCodedString(AnsiString& S, const AnsiString& Value, char Sep, int Index);
