#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GraphicsTestHelpers.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Streams.h"

namespace {

constexpr std::uint32_t White = 0xFFFFFF, Black = 0x000000, Red = 0x0000FF, Lime = 0x00FF00, Blue = 0xFF0000;

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, unsigned v)
{
    b.push_back(BYTE(v));
    b.push_back(BYTE(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
std::uint32_t Get32(const Bytes& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
unsigned Get16(const Bytes& b, std::size_t at) { return unsigned(b[at]) | unsigned(b[at + 1]) << 8; }

// A bitmap file made by hand: a file header, an info header of the given size (12 for the core form), the
// bit masks, the colour table (0x00BBGGRR values) and the bits as given.
struct BmpFile {
    int headerSize = 40;
    int width = 0, height = 0, bits = 24;
    DWORD compression = BI_RGB;
    std::vector<std::uint32_t> table;
    std::vector<DWORD> masks;  // after a 40-byte header, or inside a larger one
    Bytes pixels;
    int gap = 0;  // bytes between the table and the bits, covered by the file header's offset

    Bytes Make(bool fileHeader = true) const
    {
        Bytes info;
        const bool core = headerSize == 12;
        Put32(info, std::uint32_t(headerSize));
        if (core) {
            Put16(info, unsigned(width));
            Put16(info, unsigned(height));
            Put16(info, 1);
            Put16(info, unsigned(bits));
        } else {
            Put32(info, std::uint32_t(width));
            Put32(info, std::uint32_t(height));
            Put16(info, 1);
            Put16(info, unsigned(bits));
            Put32(info, compression);
            Put32(info, std::uint32_t(pixels.size()));
            Put32(info, 0);
            Put32(info, 0);
            Put32(info, std::uint32_t(table.size()));
            Put32(info, 0);
            if (headerSize > 40) {
                for (DWORD m : masks) Put32(info, m);
                info.resize(std::size_t(headerSize), 0);
            } else {
                for (DWORD m : masks) Put32(info, m);
            }
        }
        for (std::uint32_t c : table) {
            info.push_back(BYTE(c >> 16));
            info.push_back(BYTE(c >> 8));
            info.push_back(BYTE(c));
            if (!core) info.push_back(0);
        }
        info.resize(info.size() + std::size_t(gap), 0xEE);
        Bytes out;
        if (fileHeader) {
            out.push_back('B');
            out.push_back('M');
            Put32(out, std::uint32_t(14 + info.size() + pixels.size()));
            Put32(out, 0);
            Put32(out, std::uint32_t(14 + info.size()));
        }
        out.insert(out.end(), info.begin(), info.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

void LoadBytes(TBitmap& b, const Bytes& bytes)
{
    TMemoryStream s;
    if (!bytes.empty()) s.WriteBuffer(bytes.data(), int(bytes.size()));
    s.SetPosition(0);
    b.LoadFromStream(&s);
}

Bytes SaveBytes(TBitmap& b)
{
    TMemoryStream s;
    b.SaveToStream(&s);
    const auto* p = static_cast<const unsigned char*>(s.Memory());
    return Bytes(p, p + s.Size());
}

std::uint32_t Px(TBitmap& b, int x, int y) { return std::uint32_t(b.Canvas()->Pixels(x, y)); }

AnsiString TempName(const char* ext)
{
    char dir[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "gfx", 0, name);
    DeleteFileA(name);
    return AnsiString(name) + ext;
}

// A bitmap of every format with a pattern of its colours.
std::unique_ptr<TBitmap> Pattern(TPixelFormat f)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(f);
    b->SetSize(13, 7);  // odd sizes: rows need padding in every format
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) {
            std::uint32_t c;
            if (f == pf1bit) c = (x + y) % 3 ? White : Black;
            else if (f == pf4bit) c = (x + 2 * y) % 2 ? Blue : (x % 3 ? 0x008080 : Lime);
            else c = RGB(x * 19, y * 36, (x * y * 5) & 0xF8);
            b->Canvas()->SetPixels(x, y, TColor(c));
        }
    return b;
}

TEST(GraphicsBmpFile, RoundTripKeepsFormatAndPixels)
{
    const struct {
        TPixelFormat format;
        int bits;
        std::size_t offset;
        DWORD compression;
    } cases[] = {
        {pf1bit, 1, 14 + 40 + 8, BI_RGB},       {pf4bit, 4, 14 + 40 + 64, BI_RGB},
        {pf8bit, 8, 14 + 40 + 1024, BI_RGB},    {pf15bit, 16, 14 + 40, BI_RGB},
        {pf16bit, 16, 14 + 40 + 12, BI_BITFIELDS}, {pf24bit, 24, 14 + 40, BI_RGB},
        {pf32bit, 32, 14 + 40, BI_RGB},
    };
    for (const auto& c : cases) {
        auto b = Pattern(c.format);
        const Bytes file = SaveBytes(*b);
        ASSERT_GT(file.size(), 54u) << c.bits;
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Get32(file, 2), file.size());
        EXPECT_EQ(Get32(file, 10), c.offset) << c.bits;
        EXPECT_EQ(Get32(file, 14), 40u);
        EXPECT_EQ(Get32(file, 18), 13u);
        EXPECT_EQ(Get32(file, 22), 7u);
        EXPECT_EQ(Get16(file, 28), unsigned(c.bits));
        EXPECT_EQ(Get32(file, 30), c.compression);
        const std::size_t stride = (13 * std::size_t(c.bits) + 31) / 32 * 4;
        EXPECT_EQ(file.size(), c.offset + stride * 7) << c.bits;
        TBitmap back;
        LoadBytes(back, file);
        EXPECT_EQ(back.PixelFormat(), c.format) << c.bits;
        EXPECT_EQ(back.Monochrome(), c.format == pf1bit);
        ASSERT_EQ(back.Width(), 13);
        ASSERT_EQ(back.Height(), 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(Px(back, x, y), Px(*b, x, y)) << c.bits << ": " << x << "," << y;
    }
}

// The system's own loader reads what we write, pixel for pixel.
TEST(GraphicsBmpFile, WrittenFilesLoadWithTheSystemLoader)
{
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        auto b = Pattern(f);
        const AnsiString name = TempName(".bmp");
        b->SaveToFile(name);
        HBITMAP h = static_cast<HBITMAP>(
            LoadImageA(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        ASSERT_NE(h, nullptr) << int(f);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, h);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(GetPixel(dc, x, y), Px(*b, x, y)) << int(f) << ": " << x << "," << y;
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(h);
        TBitmap back;
        back.LoadFromFile(name);
        EXPECT_EQ(Px(back, 12, 6), Px(*b, 12, 6));
        DeleteFileA(name.c_str());
    }
}

TEST(GraphicsBmpFile, OtherHeaderFormsAndLayoutsLoad)
{
    {  // The core header with three-byte table entries.
        BmpFile f;
        f.headerSize = 12;
        f.width = 2;
        f.height = 1;
        f.bits = 8;
        f.table.assign(256, 0);
        f.table[1] = Red;
        f.table[2] = Blue;
        f.pixels = {1, 2, 0, 0};
        TBitmap b;
        LoadBytes(b, f.Make());
        EXPECT_EQ(b.PixelFormat(), pf8bit);
        EXPECT_EQ(Px(b, 0, 0), Red);
        EXPECT_EQ(Px(b, 1, 0), Blue);
    }
    {  // Rows from the top, a short colour table and a gap before the bits.
        BmpFile f;
        f.width = 1;
        f.height = -2;
        f.bits = 8;
        f.table = {Lime, Red};
        f.gap = 6;
        f.pixels = {1, 0, 0, 0, 0, 0, 0, 0};
        TBitmap b;
        LoadBytes(b, f.Make());
        EXPECT_EQ(b.Height(), 2);
        EXPECT_EQ(Px(b, 0, 0), Red);
        EXPECT_EQ(Px(b, 0, 1), Lime);
    }
    {  // A version 5 header, 24 bits.
        BmpFile f;
        f.headerSize = 124;
        f.width = 1;
        f.height = 1;
        f.pixels = {0x11, 0x22, 0x33, 0};
        TBitmap b;
        LoadBytes(b, f.Make());
        EXPECT_EQ(b.PixelFormat(), pf24bit);
        EXPECT_EQ(Px(b, 0, 0), 0x112233u);
    }
    {  // 5-6-5 masks stay 16 bits; masks in another order are read into 32 bits.
        BmpFile f;
        f.width = 1;
        f.height = 1;
        f.bits = 16;
        f.compression = BI_BITFIELDS;
        f.masks = {0xF800, 0x07E0, 0x001F};
        f.pixels = {0x00, 0xF8, 0, 0};  // red
        TBitmap b;
        LoadBytes(b, f.Make());
        EXPECT_EQ(b.PixelFormat(), pf16bit);
        EXPECT_EQ(Px(b, 0, 0), Red);
        f.bits = 32;
        f.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
        f.pixels = {0x10, 0x20, 0x30, 0x00};
        LoadBytes(b, f.Make());
        EXPECT_EQ(b.PixelFormat(), pf32bit);
        EXPECT_EQ(Px(b, 0, 0), 0x302010u);
        f.headerSize = 56;  // the masks inside the header
        LoadBytes(b, f.Make());
        EXPECT_EQ(Px(b, 0, 0), 0x302010u);
    }
    {  // Two colours that are not black and white stay a 1-bit colour picture; white, black is monochrome.
        BmpFile f;
        f.width = 3;
        f.height = 1;
        f.bits = 1;
        f.table = {Red, Blue};
        f.pixels = {0x40, 0, 0, 0};  // 0 1 0
        TBitmap b;
        LoadBytes(b, f.Make());
        EXPECT_EQ(b.PixelFormat(), pf1bit);
        EXPECT_FALSE(b.Monochrome());
        EXPECT_EQ(Px(b, 0, 0), Red);
        EXPECT_EQ(Px(b, 1, 0), Blue);
        f.table = {White, Black};
        LoadBytes(b, f.Make());
        EXPECT_TRUE(b.Monochrome());
        EXPECT_EQ(Px(b, 0, 0), White);
        EXPECT_EQ(Px(b, 1, 0), Black);
    }
}

TEST(GraphicsBmpFile, RunLengthCodedBitsLoad)
{
    {
        BmpFile f;
        f.width = 5;
        f.height = 3;
        f.bits = 8;
        f.compression = BI_RLE8;
        f.table = {White, Red, Lime, Blue};
        // Bottom row: three 1s, then end of line; middle row: literal 2 3 2 (padded), end of line;
        // top row: a delta right by 4, one 3, then the end of the bitmap.
        f.pixels = {3, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 4, 0, 1, 3, 0, 1};
        TBitmap b;
        LoadBytes(b, f.Make());
        EXPECT_EQ(b.PixelFormat(), pf8bit);
        EXPECT_EQ(Px(b, 0, 2), Red);
        EXPECT_EQ(Px(b, 2, 2), Red);
        EXPECT_EQ(Px(b, 3, 2), White);
        EXPECT_EQ(Px(b, 0, 1), Lime);
        EXPECT_EQ(Px(b, 1, 1), Blue);
        EXPECT_EQ(Px(b, 2, 1), Lime);
        EXPECT_EQ(Px(b, 4, 0), Blue);
        EXPECT_EQ(Px(b, 0, 0), White);
    }
    {
        BmpFile f;
        f.width = 4;
        f.height = 1;
        f.bits = 4;
        f.compression = BI_RLE4;
        f.table = {White, Red, Lime};
        f.pixels = {3, 0x12, 0, 1};  // 1 2 1, then the end
        TBitmap b;
        LoadBytes(b, f.Make());
        EXPECT_EQ(b.PixelFormat(), pf4bit);
        EXPECT_EQ(Px(b, 0, 0), Red);
        EXPECT_EQ(Px(b, 1, 0), Lime);
        EXPECT_EQ(Px(b, 2, 0), Red);
        EXPECT_EQ(Px(b, 3, 0), White);
    }
    {  // Runs past the edges and data that stops early are cut off, not followed.
        BmpFile f;
        f.width = 2;
        f.height = 2;
        f.bits = 8;
        f.compression = BI_RLE8;
        f.table = {White, Red};
        f.pixels = {255, 1, 0, 2, 200, 200, 255, 1, 0, 9};
        TBitmap b;
        LoadBytes(b, f.Make());
        EXPECT_EQ(Px(b, 1, 1), Red);
        EXPECT_EQ(Px(b, 0, 0), White);
    }
}

// A run-length picture is allocated only when its data could describe it: 4096 pixels per byte at most.
TEST(GraphicsBmpFile, RunLengthPicturesAreNoLargerThanTheirDataCanDescribe)
{
    const Bytes endOfBitmap = {0, 1};
    const struct {
        int width, height;
        Bytes pixels;
        bool loads;
    } cases[] = {
        {128, 128, endOfBitmap, true},  // (2 + 2) * 4096 pixels
        {129, 128, endOfBitmap, false},
        {128, 129, endOfBitmap, false},
        {8192, 8192, endOfBitmap, false},
        {32767, 4096, endOfBitmap, false},
        {255, 2, {255, 1, 0, 0, 255, 1, 0, 1}, true},
        {1, 1, {}, true},
    };
    for (const auto& c : cases) {
        BmpFile f;
        f.width = c.width;
        f.height = c.height;
        f.bits = 8;
        f.compression = BI_RLE8;
        f.table = {White, Red};
        f.pixels = c.pixels;
        TBitmap b;
        b.SetSize(3, 3);
        if (c.loads) {
            EXPECT_NO_THROW(LoadBytes(b, f.Make())) << c.width << "x" << c.height;
            EXPECT_EQ(b.Width(), c.width);
            EXPECT_EQ(Px(b, c.width - 1, 0), c.pixels.size() > 2 ? Red : White) << c.width << "x" << c.height;
        } else {
            EXPECT_THROW(LoadBytes(b, f.Make()), EInvalidGraphic) << c.width << "x" << c.height;
            EXPECT_EQ(b.Width(), 3);
        }
    }
}

TEST(GraphicsBmpFile, DamagedDataIsRefusedAndTheBitmapKept)
{
    BmpFile good;
    good.width = 2;
    good.height = 2;
    good.pixels.assign(16, 0);
    const Bytes base = good.Make();
    auto patched = [&](std::size_t at, std::uint32_t v, int size = 4) {
        Bytes b = base;
        for (int i = 0; i < size; ++i) b[at + std::size_t(i)] = BYTE(v >> (8 * i));
        return b;
    };
    BmpFile wideButEmpty = good;
    wideButEmpty.width = 100000;
    wideButEmpty.height = 100000;
    BmpFile jpeg = good;
    jpeg.compression = BI_JPEG;
    BmpFile sevenBits = good;
    sevenBits.bits = 7;
    BmpFile topDownRle = good;
    topDownRle.bits = 8;
    topDownRle.height = -2;
    topDownRle.compression = BI_RLE8;
    const Bytes damaged[] = {
        Bytes{'B', 'M', 0, 0},
        patched(0, 'X', 1),
        patched(14, 8),            // header size
        patched(18, 0),            // width 0
        patched(22, 0),            // height 0
        patched(26, 2, 2),         // planes
        Bytes(base.begin(), base.end() - 4),  // bits cut short
        wideButEmpty.Make(),
        jpeg.Make(),
        sevenBits.Make(),
        topDownRle.Make(),
    };
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 3);
    b.Canvas()->SetPixels(1, 1, clRed);
    int i = 0;
    for (const Bytes& d : damaged) {
        EXPECT_THROW(LoadBytes(b, d), EInvalidGraphic) << i++;
        EXPECT_EQ(b.Width(), 3);
        EXPECT_EQ(Px(b, 1, 1), Red);
    }
}

// Reading takes exactly the bitmap from the stream, so what follows it is the caller's.
TEST(GraphicsBmpFile, ReadingStopsAtTheEndOfTheBitmap)
{
    auto a = Pattern(pf8bit), c = Pattern(pf1bit);
    TMemoryStream s;
    a->SaveToStream(&s);
    const int first = s.Position();
    c->SaveToStream(&s);
    s.WriteBuffer("TAIL", 4);
    s.SetPosition(0);
    TBitmap b;
    b.LoadFromStream(&s);
    EXPECT_EQ(s.Position(), first);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    b.LoadFromStream(&s);
    EXPECT_TRUE(b.Monochrome());
    char tail[4] = {};
    EXPECT_EQ(s.Read(tail, 4), 4);
    EXPECT_EQ(std::memcmp(tail, "TAIL", 4), 0);
}

TEST(GraphicsBmpFile, AnEmptyBitmapIsStoredAsNothing)
{
    TBitmap empty;
    EXPECT_TRUE(SaveBytes(empty).empty());
    auto b = Pattern(pf24bit);
    LoadBytes(*b, Bytes());
    EXPECT_TRUE(b->Empty());
}

// A copy of this test program gets bitmap resources, so the real resource calls find them.
class GraphicsBitmapResource : public ::testing::Test {
protected:
    void SetUp() override
    {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        path_ = TempName(".exe");
        ASSERT_TRUE(CopyFileA(self, path_.c_str(), FALSE));
        BmpFile f;
        f.width = 2;
        f.height = 1;
        f.bits = 4;
        f.table = {Black, Red, Blue};
        f.pixels = {0x12, 0, 0, 0};
        dib_ = f.Make(false);
        HANDLE update = BeginUpdateResourceA(path_.c_str(), FALSE);
        ASSERT_NE(update, nullptr);
        ASSERT_TRUE(UpdateResourceA(update, RT_BITMAP, MAKEINTRESOURCEA(16546), 0, dib_.data(), DWORD(dib_.size())));
        ASSERT_TRUE(UpdateResourceA(update, RT_BITMAP, "GLYPHS", 0, dib_.data(), DWORD(dib_.size())));
        ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override
    {
        if (module_) FreeLibrary(module_);
        DeleteFileA(path_.c_str());
    }
    AnsiString path_;
    Bytes dib_;
    HMODULE module_ = nullptr;
};

TEST_F(GraphicsBitmapResource, LoadsByIdAndByName)
{
    TBitmap b;
    b.LoadFromResourceID(module_, 16546);
    EXPECT_EQ(b.PixelFormat(), pf4bit);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(Px(b, 0, 0), Red);
    EXPECT_EQ(Px(b, 1, 0), Blue);
    TBitmap n;
    n.LoadFromResourceName(module_, "GLYPHS");
    EXPECT_EQ(Px(n, 1, 0), Blue);
    EXPECT_THROW(b.LoadFromResourceID(module_, 4711), EResNotFound);
    EXPECT_THROW(b.LoadFromResourceName(module_, "NOSUCH"), EResNotFound);
    EXPECT_EQ(Px(b, 0, 0), Red) << "a failed load keeps the bitmap";
}

}  // namespace
