#include "zcl/containers/Zclstreamutils.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclwave.h"
#include "zcl/core/Zclprocs.h"

namespace {

// The packed streams' block: what one LZRW block holds at most, and what its packed form may take.
constexpr int BlockSize = 32781;
constexpr int PackedCapacity = int(sizeof(TBuffer));  // a stored block of BlockSize bytes is BlockSize + 1

[[noreturn]] void ReadError() { throw EReadError("Stream read error"); }

int Remaining(TStream* Stream) { return std::max(0, Stream->Size() - Stream->Position()); }

// Reserves an int32 at the position and lets Body write after it; the int32 becomes what Body wrote.
template <typename F>
void WriteLengthPrefixed(TStream* Stream, F Body)
{
    const int p = Stream->Position();
    stWriteInteger(Stream, 0);
    Body();
    const int e = Stream->Position();
    Stream->SetPosition(p);
    stWriteInteger(Stream, e - p - 4);
    Stream->SetPosition(e);
}

// Fills a memory stream from the stored form of an object: one packed stream, or an int32 length and bytes.
void ReadStoredForm(TStream* Stream, TMemoryStream* Dest, bool Compressed)
{
    if (Compressed) {
        Dest->Clear();
        LoadCompressedStream(Stream, Dest);
        Dest->SetPosition(0);
    } else {
        stReadBlock(Stream, Dest);
    }
}

int BitsForColors(HBITMAP Handle, int Colors)
{
    int bits;
    if (Colors <= 0) {
        BITMAP bm{};
        if (!GetObjectA(Handle, sizeof bm, &bm)) throw EInvalidGraphic("Bitmap image is not valid");
        bits = bm.bmBitsPixel * bm.bmPlanes;
    } else if (Colors <= 2) {
        bits = 1;
    } else if (Colors <= 16) {
        bits = 4;
    } else if (Colors <= 256) {
        bits = 8;
    } else {
        bits = 24;
    }
    // Depths the file image does not keep as they are.
    if (bits != 1 && bits != 4 && bits != 8) bits = 24;
    return bits;
}

// The bitmap file image of Handle with the depth for Colors, the colour table and bits as the system gives
// them for the palette.
void WriteFileImage(TStream* Stream, HBITMAP Handle, HPALETTE Palette, int Colors)
{
    if (!Handle) throw EInvalidGraphic("Bitmap image is not valid");
    BITMAP bm{};
    if (!GetObjectA(Handle, sizeof bm, &bm)) throw EInvalidGraphic("Bitmap image is not valid");
    const int bits = BitsForColors(Handle, Colors);
    const int width = bm.bmWidth, height = std::abs(bm.bmHeight);
    const int tableSize = bits <= 8 ? 4 * (1 << bits) : 0;
    const int infoSize = 40 + tableSize;
    const int imageSize = ((width * bits + 31) / 32 * 4) * height;
    std::vector<unsigned char> block(std::size_t(14 + infoSize + imageSize), 0);

    auto info = reinterpret_cast<BITMAPINFO*>(block.data() + 14);
    auto fillHeader = [&] {
        BITMAPINFOHEADER& h = info->bmiHeader;
        h.biSize = 40;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = WORD(bits);
        h.biCompression = BI_RGB;
        h.biSizeImage = DWORD(imageSize);
        h.biXPelsPerMeter = 0;
        h.biYPelsPerMeter = 0;
        h.biClrUsed = 0;
        h.biClrImportant = 0;
    };
    fillHeader();
    {
        const HWND focus = GetFocus();
        WindowDC dc(focus);
        if (!dc) throw EInvalidGraphic("Bitmap image is not valid");
        HPALETTE old = nullptr;
        if (Palette) {
            old = SelectPalette(dc.get(), Palette, FALSE);
            RealizePalette(dc.get());
        }
        const int lines = GetDIBits(dc.get(), Handle, 0, UINT(height), block.data() + 14 + infoSize, info,
                                    DIB_RGB_COLORS);
        if (old) {
            SelectPalette(dc.get(), old, TRUE);
            RealizePalette(dc.get());
        }
        if (lines != height) throw EInvalidGraphic("Bitmap image is not valid");
    }
    // The system may have changed header fields; the stored header is always the same.
    fillHeader();

    unsigned char* f = block.data();
    const std::uint32_t fileSize = std::uint32_t(block.size());
    const std::uint32_t offset = std::uint32_t(14 + infoSize);
    f[0] = 'B';
    f[1] = 'M';
    std::memcpy(f + 2, &fileSize, 4);
    std::memset(f + 6, 0, 4);
    std::memcpy(f + 10, &offset, 4);
    Stream->WriteBuffer(block.data(), int(block.size()));
}

}  // namespace

// Typed values -------------------------------------------------------------------------------------------------

void stWriteInteger(TStream* Stream, std::int32_t Value)
{
    const unsigned char b[4] = {BYTE(Value), BYTE(Value >> 8), BYTE(Value >> 16), BYTE(std::uint32_t(Value) >> 24)};
    Stream->WriteBuffer(b, 4);
}

void stWriteWord(TStream* Stream, std::uint16_t Value)
{
    const unsigned char b[2] = {BYTE(Value), BYTE(Value >> 8)};
    Stream->WriteBuffer(b, 2);
}

void stWriteByte(TStream* Stream, std::uint8_t Value) { Stream->WriteBuffer(&Value, 1); }

void stWriteString(TStream* Stream, const AnsiString& Value)
{
    const int n = std::min(Value.Length(), 255);
    stWriteByte(Stream, std::uint8_t(n));
    if (n) Stream->WriteBuffer(Value.c_str(), n);
}

std::int32_t stReadInteger(TStream* Stream)
{
    unsigned char b[4];
    Stream->ReadBuffer(b, 4);
    return std::int32_t(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                        std::uint32_t(b[3]) << 24);
}

std::uint16_t stReadWord(TStream* Stream)
{
    unsigned char b[2];
    Stream->ReadBuffer(b, 2);
    return std::uint16_t(b[0] | b[1] << 8);
}

std::uint8_t stReadByte(TStream* Stream)
{
    std::uint8_t b;
    Stream->ReadBuffer(&b, 1);
    return b;
}

void stReadString(TStream* Stream, AnsiString& Value)
{
    const int n = stReadByte(Stream);
    std::string s(std::size_t(n), '\0');
    if (n) Stream->ReadBuffer(s.data(), n);
    Value = AnsiString(std::move(s));
}

void stReadBlock(TStream* Stream, TMemoryStream* Dest)
{
    const std::int32_t n = stReadInteger(Stream);
    if (n < 0 || n > Remaining(Stream)) ReadError();
    Dest->Clear();
    Dest->SetSize(n);
    if (n) Stream->ReadBuffer(Dest->Memory(), n);
    Dest->SetPosition(0);
}

// String lists and bitmaps -------------------------------------------------------------------------------------

void stWriteStringList(TStream* Stream, TStrings* Strings, bool Compressed)
{
    if (Compressed) {
        TMemoryStream text;
        Strings->SaveToStream(&text);
        text.SetPosition(0);
        SaveCompressedStream(&text, Stream, text.Size());
    } else {
        WriteLengthPrefixed(Stream, [&] { Strings->SaveToStream(Stream); });
    }
}

void stReadStringList(TStream* Stream, TStrings* Strings, bool Compressed)
{
    TMemoryStream text;
    ReadStoredForm(Stream, &text, Compressed);
    Strings->LoadFromStream(&text);
}

void stWriteBitmap(TStream* Stream, TBitmap* Bitmap, bool Compressed, std::int32_t Colors)
{
    if (Compressed) {
        TMemoryStream image;
        if (Colors == -1)
            Bitmap->SaveToStream(&image);
        else
            ZCLBmpSaveDIBStream(&image, Bitmap, Colors);
        image.SetPosition(0);
        SaveCompressedStream(&image, Stream, image.Size());
    } else if (Colors == -1) {
        WriteLengthPrefixed(Stream, [&] { Bitmap->SaveToStream(Stream); });
    } else {
        TMemoryStream image;
        WriteFileImage(&image, Bitmap->Handle(), Bitmap->Palette(), Colors);
        stWriteInteger(Stream, image.Size());
        image.SaveToStream(Stream);
    }
}

void stReadBitmap(TStream* Stream, TBitmap* Bitmap, bool Compressed)
{
    TMemoryStream image;
    ReadStoredForm(Stream, &image, Compressed);
    Bitmap->LoadFromStream(&image);
}

void stWriteWave(TStream* Stream, TZCLWave* Wave, bool Compressed)
{
    if (Compressed)
        Wave->SaveCompressedToStream(Stream);
    else
        Wave->SaveToStreamEx(Stream);
}

void stReadWave(TStream* Stream, TZCLWave* Wave, bool Compressed)
{
    if (Compressed)
        Wave->LoadCompressedFromStream(Stream);
    else
        Wave->LoadFromStreamEx(Stream);
}

// Packed streams -----------------------------------------------------------------------------------------------

void SaveCompressedStream(TStream* Source, TStream* Dest, std::int32_t Count)
{
    std::vector<std::uint8_t> source(PackedCapacity);
    std::vector<std::uint8_t> packed(PackedCapacity);
    const int p = Dest->Position();
    stWriteInteger(Dest, 0);
    std::int32_t total = 0;
    while (Count > 0) {
        const int want = std::min(Count, BlockSize);
        const int got = Source->Read(source.data(), want);
        if (got <= 0) ReadError();
        const std::uint16_t n = ZCLLZRWCompress(source.data(), packed.data(), std::uint16_t(got));
        stWriteInteger(Dest, n);
        Dest->WriteBuffer(packed.data(), n);
        total += 4 + n;
        Count -= got;
    }
    const int e = Dest->Position();
    Dest->SetPosition(p);
    stWriteInteger(Dest, total);
    Dest->SetPosition(e);
}

void LoadCompressedStream(TStream* Source, TStream* Dest, std::int32_t MaxSize)
{
    std::int32_t total = stReadInteger(Source);
    if (total < 0 || total > Remaining(Source)) ReadError();
    std::vector<std::uint8_t> packed(PackedCapacity);
    std::vector<std::uint8_t> block(PackedCapacity);
    std::int64_t written = 0;
    while (total > 0) {
        const std::int32_t n = stReadInteger(Source);
        if (n < 1 || n > PackedCapacity || n > total - 4) ReadError();
        Source->ReadBuffer(packed.data(), n);
        std::uint16_t size;
        try {
            size = ZCLLZRWDecompress(packed.data(), block.data(), std::uint16_t(n), BlockSize);
        } catch (const Exception& e) {
            throw EReadError(e.Message());
        }
        total -= 4 + n;
        // The writer cuts the data into whole blocks; only the last one is shorter.
        if (total > 0 && size != BlockSize) ReadError();
        if (written + size > MaxSize) ReadError();
        try {
            Dest->WriteBuffer(block.data(), size);
        } catch (const EReadError&) {
            throw;
        } catch (const EStreamError& e) {
            // A memory stream that cannot grow: the caller sees a stored record it cannot read.
            throw EReadError(e.Message());
        }
        written += size;
    }
}

void ZCLBmpSaveDIBStream(TStream* Stream, TBitmap* Bitmap, std::int32_t Colors)
{
    const int start = Stream->Position();
    const HBITMAP handle = Bitmap->Handle();
    WriteFileImage(Stream, handle, Bitmap->Palette(), Bitmap->Monochrome() ? 2 : Colors);
    Stream->SetPosition(start);
}
