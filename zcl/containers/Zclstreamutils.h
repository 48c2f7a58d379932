#pragma once
// Typed stream values, bitmap file images of a chosen colour depth and packed streams: every stored format of
// the library's containers, waves and region masks is built from these. Integers are little-endian.
//
// Readers raise EReadError for data that is not there or cannot be right (a truncated value, a length that is
// negative or larger than what the stream still holds, a damaged packed block); they never allocate or read
// beyond what the stream holds.

#include <cstdint>

#include "framework/runtime/AnsiString.h"

class TStream;
class TMemoryStream;
class TStrings;
class TBitmap;
class TZCLWave;

void stWriteInteger(TStream* Stream, std::int32_t Value);
void stWriteWord(TStream* Stream, std::uint16_t Value);
void stWriteByte(TStream* Stream, std::uint8_t Value);
// One length byte, then the characters; a string longer than 255 characters is stored as its first 255.
void stWriteString(TStream* Stream, const AnsiString& Value);

std::int32_t stReadInteger(TStream* Stream);
std::uint16_t stReadWord(TStream* Stream);
std::uint8_t stReadByte(TStream* Stream);
void stReadString(TStream* Stream, AnsiString& Value);

// An int32 length N that the stream can still hold, then N bytes into Dest (emptied first, position 0 after).
void stReadBlock(TStream* Stream, TMemoryStream* Dest);

// The list's text (CR LF after each line): int32 length and the bytes, or one packed stream of them.
void stWriteStringList(TStream* Stream, TStrings* Strings, bool Compressed);
void stReadStringList(TStream* Stream, TStrings* Strings, bool Compressed);

// Colors -1 stores the bitmap in its own format (a length-prefixed block); 2, 16, 256 (or 0 for its own depth)
// store a bitmap file image of that depth. Compressed stores either as one packed stream.
void stWriteBitmap(TStream* Stream, TBitmap* Bitmap, bool Compressed, std::int32_t Colors);
// Accepts any bitmap file image.
void stReadBitmap(TStream* Stream, TBitmap* Bitmap, bool Compressed);

// The wave's extended form, or its compressed form.
void stWriteWave(TStream* Stream, TZCLWave* Wave, bool Compressed);
void stReadWave(TStream* Stream, TZCLWave* Wave, bool Compressed);

// Packs Count bytes from Source's position onto Dest's position: int32 total, then per block of at most 32781
// source bytes an int32 packed length and the packed block. Raises EReadError when Source runs dry first.
void SaveCompressedStream(TStream* Source, TStream* Dest, std::int32_t Count);
// What an unpacked stream may grow to unless the caller says otherwise: a packed block of a few dozen bytes
// unpacks to a whole block, so a small damaged record could otherwise ask for gigabytes.
constexpr std::int32_t ZCLPackedStreamLimit = 64 * 1024 * 1024;

// Unpacks one packed stream from Source's position onto Dest's position. Raises EReadError, having written no
// more than MaxSize bytes, when the data would grow beyond MaxSize or Dest cannot take it, and when a block
// before the last is not a whole block.
void LoadCompressedStream(TStream* Source, TStream* Dest, std::int32_t MaxSize = ZCLPackedStreamLimit);

// Writes the bitmap's file image with the depth for Colors (a monochrome bitmap always with 2 colours), then
// puts the stream's position back where the image begins. Raises EInvalidGraphic "Bitmap image is not valid"
// for a bitmap without a handle.
void ZCLBmpSaveDIBStream(TStream* Stream, TBitmap* Bitmap, std::int32_t Colors);
