// Typed stream values, string lists, bitmap file images and packed streams: their stored bytes, round trips, and
// readers that refuse damaged data without reading or allocating beyond it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "StoreTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclstreamutils.h"

using namespace storetest;

namespace {

constexpr std::size_t BlockSize = 32781;

Bytes Data(std::size_t n, int kind, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    static const char words[] = "the quick brown fox jumps over the lazy dog; ";
    for (std::size_t i = 0; i < n; ++i) {
        switch (kind) {
        case 0: b[i] = std::uint8_t(rng()); break;                        // random: stored blocks
        case 1: b[i] = std::uint8_t(words[(i * 7 + i / 97) % 45]); break;  // text-like: matches
        default: b[i] = std::uint8_t((i / 300) % 3 ? 'x' : rng() % 4); break;  // long runs
        }
    }
    return b;
}

Bytes Pack(const Bytes& src)
{
    return Written([&](TStream* d) {
        TMemoryStream s;
        s.WriteBuffer(src.data(), int(src.size()));
        s.SetPosition(0);
        SaveCompressedStream(&s, d, int(src.size()));
    });
}

// N run items of 4111 bytes each.
Bytes Runs(int n)
{
    Bytes b;
    for (int i = 0; i < n; ++i) b.insert(b.end(), {0x00, 0x0F, 0xFF, 0x41});
    return b;
}

// A packed stream of Count copies of one whole block of repeated bytes: a few dozen bytes each, a whole block
// each unpacked.
Bytes WholeBlocks(std::size_t Count)
{
    const Bytes one = Pack(Bytes(BlockSize, 'A'));
    const Bytes block(one.begin() + 4, one.end());
    Bytes out = Le32(std::int32_t(block.size() * Count));
    for (std::size_t i = 0; i < Count; ++i) out.insert(out.end(), block.begin(), block.end());
    return out;
}

Bytes Unpack(const Bytes& packed)
{
    GuardedStream s(packed);
    return Written([&](TStream* d) { LoadCompressedStream(&s, d); });
}

}  // namespace

TEST(StreamValues, StoredBytes)
{
    const std::string s255(255, 'x');
    std::string s300;
    for (int i = 0; i < 300; ++i) s300 += char('a' + i % 26);
    const struct {
        const char* what;
        std::function<void(TStream*)> write;
        Bytes bytes;
    } cases[] = {
        {"int -2", [](TStream* s) { stWriteInteger(s, -2); }, {0xFE, 0xFF, 0xFF, 0xFF}},
        {"int", [](TStream* s) { stWriteInteger(s, 0x12345678); }, {0x78, 0x56, 0x34, 0x12}},
        {"word", [](TStream* s) { stWriteWord(s, 0xBEEF); }, {0xEF, 0xBE}},
        {"byte", [](TStream* s) { stWriteByte(s, 0x7F); }, {0x7F}},
        {"string", [](TStream* s) { stWriteString(s, "abc"); }, {3, 'a', 'b', 'c'}},
        {"empty string", [](TStream* s) { stWriteString(s, ""); }, {0}},
        {"255 characters", [&](TStream* s) { stWriteString(s, AnsiString(s255)); }, Concat({{255}, Text(s255)})},
        {"256 characters", [&](TStream* s) { stWriteString(s, AnsiString(s255 + "y")); },
         Concat({{255}, Text(s255)})},
        {"300 characters", [&](TStream* s) { stWriteString(s, AnsiString(s300)); },
         Concat({{255}, Text(s300.substr(0, 255))})},
    };
    for (const auto& c : cases) EXPECT_EQ(Written(c.write), c.bytes) << c.what;
}

TEST(StreamValues, ReadBack)
{
    TMemoryStream s;
    stWriteInteger(&s, -123456789);
    stWriteWord(&s, 65535);
    stWriteByte(&s, 200);
    stWriteString(&s, AnsiString(std::string(300, 'q')));
    stWriteString(&s, "");
    s.SetPosition(0);
    EXPECT_EQ(stReadInteger(&s), -123456789);
    EXPECT_EQ(stReadWord(&s), 65535);
    EXPECT_EQ(stReadByte(&s), 200);
    AnsiString a, b = "left over";
    stReadString(&s, a);
    stReadString(&s, b);
    EXPECT_EQ(a, AnsiString(std::string(255, 'q')));
    EXPECT_EQ(b, "");
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(StreamValues, TruncatedValuesRaiseAReadError)
{
    const struct {
        const char* what;
        Bytes bytes;
        std::function<void(TStream*)> read;
    } cases[] = {
        {"int of 3 bytes", {1, 2, 3}, [](TStream* s) { stReadInteger(s); }},
        {"int of nothing", {}, [](TStream* s) { stReadInteger(s); }},
        {"word of 1 byte", {1}, [](TStream* s) { stReadWord(s); }},
        {"byte of nothing", {}, [](TStream* s) { stReadByte(s); }},
        {"string cut short", {5, 'a', 'b'}, [](TStream* s) { AnsiString v; stReadString(s, v); }},
        {"string without length", {}, [](TStream* s) { AnsiString v; stReadString(s, v); }},
        {"block longer than the rest", Concat({Le32(5), {1, 2}}), [](TStream* s) { TMemoryStream m; stReadBlock(s, &m); }},
        {"block of negative length", Le32(-1), [](TStream* s) { TMemoryStream m; stReadBlock(s, &m); }},
    };
    for (const auto& c : cases) {
        GuardedStream s(c.bytes);
        EXPECT_THROW(c.read(&s), EReadError) << c.what;
    }
}

TEST(StreamValues, DamagedRecordsAreReadOrRefused)
{
    const Bytes good = Written([](TStream* s) {
        stWriteInteger(s, 77);
        stWriteString(s, "description");
        stWriteWord(s, 9);
        stWriteByte(s, 3);
        stWriteString(s, "C:\\some\\file.name");
        TMemoryStream block;
        block.WriteBuffer("0123456789", 10);
        stWriteInteger(s, 10);
        s->WriteBuffer("0123456789", 10);
    });
    const auto inputs = Damaged(good, 11);
    const int refused = ReadEachDamaged(inputs, [](TStream* s) {
        AnsiString a, b;
        TMemoryStream block;
        stReadInteger(s);
        stReadString(s, a);
        stReadWord(s);
        stReadByte(s);
        stReadString(s, b);
        stReadBlock(s, &block);
    });
    EXPECT_GT(refused, int(good.size()) - 1);  // every truncation at least
}

TEST(StreamStringLists, StoredBytesAndRoundTrips)
{
    TStringList list;
    list.Add("one");
    list.Add("two");
    EXPECT_EQ(Written([&](TStream* s) { stWriteStringList(s, &list, false); }),
              Concat({Le32(10), Text("one\r\ntwo\r\n")}));
    TStringList empty;
    EXPECT_EQ(Written([&](TStream* s) { stWriteStringList(s, &empty, false); }), Le32(0));

    // Written after other data, read back in sequence, both forms.
    for (bool compressed : {false, true}) {
        TMemoryStream s;
        stWriteByte(&s, 0xAA);
        stWriteStringList(&s, &list, compressed);
        stWriteByte(&s, 0x55);
        s.SetPosition(0);
        TStringList back;
        back.Add("stale");
        EXPECT_EQ(stReadByte(&s), 0xAA);
        stReadStringList(&s, &back, compressed);
        EXPECT_EQ(stReadByte(&s), 0x55) << compressed;
        EXPECT_TRUE(back.Equals(&list)) << compressed;
    }
}

TEST(PackedStreams, StoredBytes)
{
    EXPECT_EQ(Pack({}), Le32(0));
    EXPECT_TRUE(Unpack(Le32(0)).empty());
    // One block: the flag, a command word with one copy item, and a run of 100 'A'.
    EXPECT_EQ(Pack(Bytes(100, 'A')), Concat({Le32(11), Le32(7), {0x40, 0x80, 0x00, 0x00, 0x00, 0x54, 0x41}}));
    // Random data is stored: one block of the flag and the bytes.
    const Bytes random = Data(BlockSize, 0, 1);
    const Bytes p = Pack(random);
    ASSERT_EQ(p.size(), 4 + 4 + BlockSize + 1);
    EXPECT_EQ(I32At(p, 4), int(BlockSize + 1));
    EXPECT_EQ(p[8], 0x80);
}

TEST(PackedStreams, RoundTripsAroundBlockBoundaries)
{
    for (std::size_t n : {std::size_t(1), std::size_t(2), BlockSize - 1, BlockSize, BlockSize + 1, 2 * BlockSize,
                          2 * BlockSize + 1, std::size_t(100000)}) {
        for (int kind = 0; kind < 3; ++kind) {
            const Bytes src = Data(n, kind, unsigned(n + kind));
            const Bytes p = Pack(src);
            // The total counts every block's length field and bytes; the blocks cut the data in 32781 bytes.
            EXPECT_EQ(I32At(p, 0), int(p.size()) - 4) << n << "/" << kind;
            std::size_t at = 4, blocks = 0;
            while (at < p.size()) {
                const int len = I32At(p, at);
                ASSERT_GE(len, 1);
                ASSERT_LE(len, int(BlockSize + 1));
                at += 4 + std::size_t(len);
                ++blocks;
            }
            EXPECT_EQ(at, p.size());
            EXPECT_EQ(blocks, (n + BlockSize - 1) / BlockSize) << n;
            ASSERT_EQ(Unpack(p), src) << n << "/" << kind;
            EXPECT_EQ(Pack(src), p) << "packing is deterministic";
        }
    }
}

TEST(PackedStreams, WorkBetweenOtherData)
{
    const Bytes src = Data(40000, 1, 5);
    TMemoryStream source;
    source.WriteBuffer("head", 4);
    source.WriteBuffer(src.data(), int(src.size()));
    source.SetPosition(4);
    TMemoryStream packed;
    packed.WriteBuffer("xyz", 3);
    SaveCompressedStream(&source, &packed, int(src.size()));
    EXPECT_EQ(source.Position(), source.Size());
    packed.WriteBuffer("!", 1);
    packed.SetPosition(3);
    TMemoryStream out;
    out.WriteBuffer("<", 1);
    LoadCompressedStream(&packed, &out);
    EXPECT_EQ(packed.Position(), packed.Size() - 1);
    const Bytes got = StreamBytes(out);
    ASSERT_EQ(got.size(), src.size() + 1);
    EXPECT_TRUE(std::equal(src.begin(), src.end(), got.begin() + 1));
}

TEST(PackedStreams, UnpackingStopsAtWhatTheCallerCanHold)
{
    const Bytes three = WholeBlocks(3);
    EXPECT_LT(three.size(), std::size_t(200));
    const int whole = int(3 * BlockSize);
    {
        GuardedStream s(three);
        TMemoryStream out;
        LoadCompressedStream(&s, &out, whole);
        EXPECT_EQ(StreamBytes(out), Bytes(3 * BlockSize, 'A'));
    }
    for (const int limit : {whole - 1, int(2 * BlockSize), int(BlockSize) - 1, 0}) {
        GuardedStream s(three);
        TMemoryStream out;
        EXPECT_THROW(LoadCompressedStream(&s, &out, limit), EReadError) << limit;
        EXPECT_LE(out.Size(), limit);
    }
    {
        GuardedStream s(Le32(0));
        TMemoryStream out;
        EXPECT_NO_THROW(LoadCompressedStream(&s, &out, 0));
    }
    // A destination that takes nothing: the caller sees a read error too.
    GuardedStream s(three), full(Bytes{});
    EXPECT_THROW(LoadCompressedStream(&s, &full), EReadError);
}

TEST(PackedStreams, ASourceThatRunsDryIsAReadError)
{
    TMemoryStream source;
    source.WriteBuffer("abc", 3);
    source.SetPosition(0);
    TMemoryStream dest;
    EXPECT_THROW(SaveCompressedStream(&source, &dest, 10), EReadError);
}

TEST(PackedStreams, DamagedStreamsAreRefused)
{
    const Bytes block = Pack(Bytes(100, 'A'));  // total 11, length 7, one run block
    const Bytes match = Pack(Text("abcabcabcabcabcabcabc"));
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"negative total", Le32(-4)},
        {"total beyond the data", Concat({Le32(1000), Le32(7), {0x40, 0x80, 0, 0, 0, 0x54, 0x41}})},
        {"block length 0", Concat({Le32(4), Le32(0)})},
        {"block length negative", Concat({Le32(8), Le32(-1), Le32(0)})},
        {"block longer than a packed block can be", Concat({Le32(40004), Le32(40000), Bytes(40000, 0x80)})},
        {"block longer than the total", Concat({Le32(8), Le32(7), {0x40, 0x80, 0, 0, 0, 0x54, 0x41}})},
        {"runs past the block's end", Concat({Le32(4 + 35), Le32(35), {0x40, 0xFF, 0xFF}, Runs(8)})},
        {"match before the start", Concat({Le32(9), Le32(5), {0x40, 0x80, 0x00, 0x10, 0x00}})},
        {"stored block one byte too long",
         Concat({Le32(4 + int(BlockSize) + 2), Le32(int(BlockSize) + 2), {0x80}, Bytes(BlockSize + 1, 1)})},
        {"a block before the last that is not whole",
         Concat({Le32(2 * 11), Bytes(block.begin() + 4, block.end()), Bytes(block.begin() + 4, block.end())})},
        {"more than a caller is given", WholeBlocks(std::size_t(ZCLPackedStreamLimit) / BlockSize + 1)},
    };
    for (const auto& c : cases) {
        GuardedStream s(c.bytes);
        TMemoryStream out;
        EXPECT_THROW(LoadCompressedStream(&s, &out), EReadError) << c.what;
    }
    for (const Bytes* good : {&block, &match}) {
        const int refused = ReadEachDamaged(Damaged(*good, unsigned(good->size())), [](TStream* s) {
            TMemoryStream out;
            LoadCompressedStream(s, &out);
        });
        EXPECT_GE(refused, int(good->size()));
    }
    const Bytes big = Pack(Data(70000, 1, 3));
    ReadEachDamaged(Damaged(big, 21, 600, 100), [](TStream* s) {
        TMemoryStream out;
        LoadCompressedStream(s, &out);
    });
}

// Bitmap file images --------------------------------------------------------------------------------------------

namespace {

constexpr std::uint32_t Red = 0x0000FF, Blue = 0xFF0000, White = 0xFFFFFF, Black = 0;

// 13 x 7, odd so rows need padding: black, white, red and blue columns.
std::unique_ptr<TBitmap> Stripes(TPixelFormat f)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(f);
    b->SetSize(13, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) {
            const std::uint32_t c[] = {Black, White, Red, Blue};
            b->Canvas()->SetPixels(x, y, TColor(c[x % 4]));
        }
    return b;
}

void Load(TBitmap& b, const Bytes& file)
{
    GuardedStream s(file);
    b.LoadFromStream(&s);
}

}  // namespace

TEST(BitmapFileImages, HeaderLayoutForEachDepth)
{
    const struct {
        TPixelFormat format;
        int colors;
        int bits;
    } cases[] = {
        {pf24bit, 2, 1},   {pf24bit, 16, 4}, {pf24bit, 256, 8}, {pf24bit, 0, 24}, {pf32bit, 0, 24},
        {pf8bit, 0, 8},    {pf4bit, 0, 4},   {pf16bit, 0, 24},  {pf24bit, 100, 8}, {pf24bit, 5, 4},
        {pf24bit, 70000, 24},
    };
    for (const auto& c : cases) {
        auto b = Stripes(c.format);
        TMemoryStream s;
        ZCLBmpSaveDIBStream(&s, b.get(), c.colors);
        EXPECT_EQ(s.Position(), 0);
        const Bytes f = StreamBytes(s);
        const int table = c.bits <= 8 ? 4 << c.bits : 0;
        const int stride = (13 * c.bits + 31) / 32 * 4;
        ASSERT_EQ(f.size(), std::size_t(14 + 40 + table + stride * 7)) << c.colors << "/" << c.bits;
        EXPECT_EQ(U16At(f, 0), 19778);
        EXPECT_EQ(I32At(f, 2), int(f.size()));
        EXPECT_EQ(I32At(f, 6), 0);
        EXPECT_EQ(I32At(f, 10), 14 + 40 + table);
        EXPECT_EQ(I32At(f, 14), 40);
        EXPECT_EQ(I32At(f, 18), 13);
        EXPECT_EQ(I32At(f, 22), 7);
        EXPECT_EQ(U16At(f, 26), 1);
        EXPECT_EQ(U16At(f, 28), c.bits) << c.colors;
        EXPECT_EQ(I32At(f, 30), 0);
        EXPECT_EQ(I32At(f, 34), stride * 7);
        for (int at : {38, 42, 46, 50}) EXPECT_EQ(I32At(f, at), 0) << at;
    }
}

TEST(BitmapFileImages, PixelsSurviveEachDepth)
{
    for (int colors : {2, 16, 256, 0}) {
        auto b = Stripes(pf24bit);
        TMemoryStream s;
        ZCLBmpSaveDIBStream(&s, b.get(), colors);
        TBitmap back;
        Load(back, StreamBytes(s));
        ASSERT_EQ(back.Width(), 13);
        ASSERT_EQ(back.Height(), 7);
        for (int x = 0; x < 13; ++x)
            for (int y : {0, 6}) {
                const std::uint32_t want = Px(*b, x, y);
                if (colors == 2 && want != Black && want != White) continue;  // two colours keep black and white
                EXPECT_EQ(Px(back, x, y), want) << colors << ": " << x << "," << y;
            }
    }
}

TEST(BitmapFileImages, MonochromeStaysTwoColoursAndThePositionComesBack)
{
    auto mono = Stripes(pf1bit);
    ASSERT_TRUE(mono->Monochrome());
    TMemoryStream s;
    s.WriteBuffer("prefix", 6);
    ZCLBmpSaveDIBStream(&s, mono.get(), 256);
    EXPECT_EQ(s.Position(), 6);
    const Bytes f = StreamBytes(s);
    EXPECT_EQ(U16At(f, 6 + 28), 1);
    EXPECT_EQ(I32At(f, 6 + 10), 62);

    TBitmap empty;
    TMemoryStream e;
    try {
        ZCLBmpSaveDIBStream(&e, &empty, 16);
        ADD_FAILURE() << "an empty bitmap was written";
    } catch (const EInvalidGraphic& x) {
        EXPECT_EQ(x.Message(), "Bitmap image is not valid");
    }
}

TEST(StreamBitmaps, EachStoredFormReadsBack)
{
    auto b = Stripes(pf24bit);
    TMemoryStream own;
    b->SaveToStream(&own);
    const Bytes ownBytes = StreamBytes(own);
    TMemoryStream dib;
    ZCLBmpSaveDIBStream(&dib, b.get(), 16);
    const Bytes dibBytes = StreamBytes(dib);

    // Uncompressed: an int32 length and the image; compressed: a packed stream of the same image.
    EXPECT_EQ(Written([&](TStream* s) { stWriteBitmap(s, b.get(), false, -1); }),
              Concat({Le32(int(ownBytes.size())), ownBytes}));
    EXPECT_EQ(Written([&](TStream* s) { stWriteBitmap(s, b.get(), false, 16); }),
              Concat({Le32(int(dibBytes.size())), dibBytes}));
    EXPECT_EQ(Unpack(Written([&](TStream* s) { stWriteBitmap(s, b.get(), true, -1); })), ownBytes);
    EXPECT_EQ(Unpack(Written([&](TStream* s) { stWriteBitmap(s, b.get(), true, 16); })), dibBytes);
    EXPECT_EQ(I32At(dibBytes, 10), 118);

    for (bool compressed : {false, true})
        for (int colors : {-1, 16}) {
            TMemoryStream s;
            stWriteBitmap(&s, b.get(), compressed, colors);
            stWriteByte(&s, 0x5A);
            s.SetPosition(0);
            TBitmap back;
            stReadBitmap(&s, &back, compressed);
            EXPECT_EQ(stReadByte(&s), 0x5A);
            EXPECT_EQ(back.PixelFormat(), colors == 16 ? pf4bit : pf24bit);
            for (int x = 0; x < 13; ++x) EXPECT_EQ(Px(back, x, 3), Px(*b, x, 3)) << compressed << colors << x;
        }

    // An empty bitmap in its own form is a length of 0, and reads back empty.
    TBitmap empty;
    EXPECT_EQ(Written([&](TStream* s) { stWriteBitmap(s, &empty, false, -1); }), Le32(0));
    TBitmap back;
    back.SetSize(3, 3);
    GuardedStream z(Le32(0));
    stReadBitmap(&z, &back, false);
    EXPECT_TRUE(back.Empty());
}

TEST(StreamBitmaps, DamagedStoredBitmapsAreRefused)
{
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit}) {
        auto b = Stripes(f);
        for (bool compressed : {false, true}) {
            const Bytes good = Written([&](TStream* s) { stWriteBitmap(s, b.get(), compressed, -1); });
            const int refused = ReadEachDamaged(Damaged(good, unsigned(f) * 2 + compressed, 700, 150),
                                                [&](TStream* s) {
                                                    TBitmap back;
                                                    stReadBitmap(s, &back, compressed);
                                                });
            EXPECT_GT(refused, 0);
        }
    }
    // A run-length image of a few bytes that claims a huge picture is refused before anything is made for it.
    // clang-format off
    const Bytes rle = Concat({Text("BM"), Le32(14 + 40 + 8 + 2), Le32(0), Le32(14 + 40 + 8),
                              Le32(40), Le32(8192), Le32(8192), {1, 0, 8, 0}, Le32(BI_RLE8), Le32(2), Le32(0),
                              Le32(0), Le32(2), Le32(0),
                              {255, 255, 255, 0, 0, 0, 255, 0},
                              {0, 1}});
    // clang-format on
    for (bool compressed : {false, true}) {
        const Bytes stored = compressed ? Pack(rle) : Concat({Le32(int(rle.size())), rle});
        GuardedStream s(stored);
        TBitmap back;
        EXPECT_THROW(stReadBitmap(&s, &back, compressed), EInvalidGraphic) << compressed;
    }
}
