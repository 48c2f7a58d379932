#pragma once
// General procedures of the library: rectangles, points, numbers, bits, folders and file names,
// a busy wait, the system-menu trimmer and the LZRW1/KH block packer.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Types.h"
#include "zcl/core/Zclbase.h"

// Rectangles are left, top, right, bottom.
void ZCLAdjustRect(TRect& R, int DX, int DY);
void ZCLAdjustRectExt(TRect& R, int DL, int DT, int DR, int DB);
TRect ZCLExpandRect(const TRect& R, int N);
void ZCLGetRectWH(const TRect& R, int& W, int& H);
// Both corners of Inner inside Outer, right and bottom edges excluded as for a point in a rectangle.
bool ZCLRectinRect(const TRect& Inner, const TRect& Outer);
// Src scaled to fit Dest keeping its aspect, placed at Dest's top-left.
TRect ZCLAffineRect(const TRect& Src, const TRect& Dest);
// For a non-zero angle (degrees) R becomes the bounding box, at the origin, of R rotated about its centre.
void ZCLCalcRotRect(TRect& R, int Angle);
// Origin of text rotated by Angle degrees inside a box.
int ZCLRotatedXPos(int Angle, int A, int B);
int ZCLRotatedYPos(int Angle, int A, int B);

// Average of Count points; Count 0 leaves Result as it is.
void ZCLMidpoint(const TPoint* Points, int Count, TPoint& Result);
// Points 0..High.
void ZCLOffsetPoints(TPoint* Points, int High, int DX, int DY);
void ZCLNullPoints(TPoint* Points, int High);

// Largest and smallest value; 0 for no values.
int ZCLMax(std::span<const int> Values);
int ZCLMin(std::span<const int> Values);
long double ZCLMaxR(std::span<const long double> Values);
long double ZCLMinR(std::span<const long double> Values);
inline int ZCLMax(std::initializer_list<int> v) { return ZCLMax(std::span<const int>(v.begin(), v.size())); }
inline int ZCLMin(std::initializer_list<int> v) { return ZCLMin(std::span<const int>(v.begin(), v.size())); }
inline long double ZCLMaxR(std::initializer_list<long double> v)
{
    return ZCLMaxR(std::span<const long double>(v.begin(), v.size()));
}
inline long double ZCLMinR(std::initializer_list<long double> v)
{
    return ZCLMinR(std::span<const long double>(v.begin(), v.size()));
}
// (A + B) / 2 rounded towards zero.
int ZCLMidI(int A, int B);
void ZCLSwapInt(int& A, int& B);
void ZCLSwapString(AnsiString& A, AnsiString& B);

// Bits 0..7 of a byte; higher bit numbers leave the byte alone and read as clear.
void ZCLSetBit(std::uint8_t& B, std::uint8_t Bit, bool Value);
void ZCLSetBitUpTo(std::uint8_t& B, std::uint8_t Bit);
bool ZCLGetBit(std::uint8_t B, std::uint8_t Bit);
// Base to the power N; 1 for N < 1.
int ZCLExp(int Base, int N);

// The program's folder with a trailing "\".
AnsiString ZCLAppPath();
// "SOFTWARE\" + the program's file name without folder and extension.
AnsiString ZCLAppIniName();
// File name without folder and extension.
AnsiString ZCLExtractFileName(const AnsiString& Path);
// Without a trailing "\".
AnsiString ZCLSystemDirectory();
AnsiString ZCLWindowsDirectory();
// Windows, system or program folder; empty for ppFixed. Slash ensures a trailing "\", else removes it.
AnsiString ZCLCreatePathPrefix(TZCLPathPrefix Prefix, bool Slash);
// Path shortened folder by folder ("...\") until it fits MaxLen or only the file name is left.
AnsiString ZCLShrunkFileName(const AnsiString& Path, int MaxLen);

// Busy-waits MS milliseconds.
void ZCLDelay(std::uint32_t MS);

// Deletes the system-menu items not in Entries; Short for the short menu of dialogs and tool windows.
void ZCLCheckSystemMenu(TZCLSysMenuEntries Entries, HMENU Menu, bool Short);
// The same with the new-style flag (Windows has the version-4 shell) given.
void ZCLCheckSystemMenu(TZCLSysMenuEntries Entries, HMENU Menu, bool Short, bool NewStyle);

// LZRW1/KH blocks: flag 0x40 (packed) or 0x80 (stored), then the data.
// Packs SourceSize bytes (at most 65534) of Source into Dest, which needs room for SourceSize + 1
// bytes; returns the block's length. Raises "LZRW Error!" when no hash table can be had.
std::uint16_t ZCLLZRWCompress(const std::uint8_t* Source, std::uint8_t* Dest, std::uint16_t SourceSize);
// Unpacks the SourceSize-byte block in Source into Dest (DestSize bytes); returns the unpacked length.
// A block that does not fit its own length or Dest raises "LZRW Error!".
std::uint16_t ZCLLZRWDecompress(const std::uint8_t* Source, std::uint8_t* Dest, std::uint16_t SourceSize,
                                std::size_t DestSize);
// The same on the packer's fixed buffers (blocks up to 32781 source bytes).
std::uint16_t ZCLLZRWCompress(const TBuffer& Source, TBuffer& Dest, std::uint16_t SourceSize);
std::uint16_t ZCLLZRWDecompress(const TBuffer& Source, TBuffer& Dest, std::uint16_t SourceSize);
