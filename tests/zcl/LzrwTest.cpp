// The LZRW1/KH block packer: fixed blocks, byte-exact output, and an unpacker that stays inside its
// buffers whatever it is given.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "GuardedBuffer.h"
#include "framework/runtime/Exceptions.h"
#include "zcl/core/Zclprocs.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t MaxBlock = 32781;  // what the packed streams cut their data into

// The packer as the format's writer has always run it: two readable bytes beyond the source
// and SourceSize + 6 bytes of destination, tests in the original order. Only for comparison.
Bytes WriterPack(const Bytes& src, std::mt19937& rng)
{
    const unsigned n = unsigned(src.size());
    Bytes s(src);
    s.push_back(std::uint8_t(rng()));
    s.push_back(std::uint8_t(rng()));
    Bytes d(n + 6 + 16, 0);
    std::int16_t table[4096];
    std::fill(std::begin(table), std::end(table), std::int16_t(-1));
    d[0] = 0x40;
    unsigned x = 0, y = 3, z = 1, b = 0;
    std::uint16_t w = 0;
    while (x < n && y <= n) {
        if (b > 15) {
            d[z] = std::uint8_t(w >> 8);
            d[z + 1] = std::uint8_t(w);
            z = y;
            b = 0;
            y += 2;
        }
        unsigned l = 1;
        while (s[x] == s[x + l] && l < 0xFFF && x + l < n) ++l;
        if (l >= 16) {
            d[y] = 0;
            d[y + 1] = std::uint8_t((l - 16) >> 8);
            d[y + 2] = std::uint8_t(l - 16);
            d[y + 3] = s[x];
            y += 4;
            x += l;
            w = std::uint16_t(w * 2 + 1);
        } else {
            const unsigned h = ((((std::uint32_t(s[x]) << 4) ^ s[x + 1]) << 4 ^ s[x + 2]) * 40543u >> 4) & 0x0FFF;
            const int e = table[h];
            bool found = false;
            unsigned p = 0;
            l = 0;
            if (e != -1 && int(x) - e < 4096) {
                p = unsigned(e);
                while (l < 18 && s[x + l] == s[p + l] && x + l < n) ++l;
                found = l >= 3;
            }
            table[h] = std::int16_t(x);
            if (found) {
                const std::uint16_t k = std::uint16_t(((x - p) << 4) + (l - 3));
                d[y] = std::uint8_t(k >> 8);
                d[y + 1] = std::uint8_t(k);
                y += 2;
                x += l;
                w = std::uint16_t(w * 2 + 1);
            } else {
                d[y] = s[x];
                y += 1;
                x += 1;
                w = std::uint16_t(w * 2);
            }
        }
        b += 1;
    }
    w = std::uint16_t(w << (16 - b));
    d[z] = std::uint8_t(w >> 8);
    d[z + 1] = std::uint8_t(w);
    if (y > n) {
        std::copy(src.begin(), src.end(), d.begin() + 1);
        d[0] = 0x80;
        y = n + 1;
    }
    d.resize(y);
    return d;
}

// Packs with exact-size buffers against the guard pages.
Bytes Pack(const Bytes& src)
{
    GuardedBuffer in(src.size()), out(src.size() + 1);
    std::uint8_t* s = in.Tail(src.size());
    std::copy(src.begin(), src.end(), s);
    std::uint8_t* d = out.Tail(src.size() + 1);
    const std::uint16_t len = ZCLLZRWCompress(s, d, std::uint16_t(src.size()));
    return Bytes(d, d + len);
}

// Unpacks into exactly `room` bytes, ending at a guard page or (AtHead) starting at one.
Bytes Unpack(const Bytes& block, std::size_t room, bool atHead = false)
{
    GuardedBuffer in(block.size()), out(room);
    std::uint8_t* s = in.Tail(block.size());
    std::copy(block.begin(), block.end(), s);
    std::uint8_t* d = atHead ? out.Head() : out.Tail(room);
    const std::uint16_t len = ZCLLZRWDecompress(s, d, std::uint16_t(block.size()), room);
    EXPECT_LE(len, room);
    return Bytes(d, d + std::min<std::size_t>(len, room));
}

Bytes Hex(std::initializer_list<int> v)
{
    Bytes b;
    for (int x : v) b.push_back(std::uint8_t(x));
    return b;
}

// Data of several kinds: noise, a small alphabet, words, runs, and a mix of them.
Bytes Sample(std::mt19937& rng, std::size_t n, int kind)
{
    Bytes b;
    b.reserve(n);
    static const char* words[] = {"Terminal ", "DLE ", "frame ", "palette ", "0x40 ", "\r\n", "key "};
    while (b.size() < n) {
        switch (kind % 5) {
        case 0: b.push_back(std::uint8_t(rng())); break;
        case 1: b.push_back(std::uint8_t('a' + rng() % 3)); break;
        case 2: {
            const char* w = words[rng() % 7];
            b.insert(b.end(), w, w + std::strlen(w));
            break;
        }
        case 3: b.insert(b.end(), 1 + rng() % 5000, std::uint8_t(rng() % 4)); break;
        case 4: {
            const int k = int(rng() % 4);
            const std::size_t m = std::min<std::size_t>(n - b.size(), 1 + rng() % 300);
            const Bytes part = Sample(rng, m, k);
            b.insert(b.end(), part.begin(), part.end());
            break;
        }
        }
    }
    b.resize(n);
    return b;
}

}  // namespace

TEST(LzrwGuard, PagesAroundTheBufferAreInaccessible)
{
    GuardedBuffer g(100);
    MEMORY_BASIC_INFORMATION mbi;
    ASSERT_TRUE(VirtualQuery(g.TrailingGuard(), &mbi, sizeof mbi));
    EXPECT_EQ(mbi.Protect, DWORD(PAGE_NOACCESS));
    ASSERT_TRUE(VirtualQuery(g.LeadingGuard(), &mbi, sizeof mbi));
    EXPECT_EQ(mbi.Protect, DWORD(PAGE_NOACCESS));
    EXPECT_TRUE(IsBadReadPtr(g.TrailingGuard(), 1));
    EXPECT_TRUE(IsBadReadPtr(g.LeadingGuard(), 1));
    EXPECT_FALSE(IsBadWritePtr(g.Tail(100), 100));
}

TEST(Lzrw, FixedVectors)
{
    // Nothing to pack: a stored block of just the flag.
    EXPECT_EQ(Pack({}), Hex({0x80}));
    EXPECT_TRUE(Unpack(Hex({0x80}), 0).empty());

    // 100 equal bytes: one run item, the rest of the command word zero.
    const Bytes equal(100, 0xBB);
    const Bytes run = Hex({0x40, 0x80, 0x00, 0x00, 0x00, 0x54, 0xBB});
    EXPECT_EQ(Pack(equal), run);
    EXPECT_EQ(Unpack(run, 100), equal);

    // One literal, then distance 1 length 18: the match overlaps its own output.
    const Bytes overlap = Hex({0x40, 0x40, 0x00, 'z', 0x00, 0x1F});
    EXPECT_EQ(Unpack(overlap, 19), Bytes(19, 'z'));

    // Too short to pack at all.
    EXPECT_EQ(Pack(Hex({7, 7, 7})), Hex({0x80, 7, 7, 7}));

    // A match reaching back to the very first byte of the output.
    EXPECT_EQ(Unpack(Hex({0x40, 0x08, 0x00, 'a', 'b', 'c', 'd', 0x00, 0x41}), 8),
              Bytes({'a', 'b', 'c', 'd', 'a', 'b', 'c', 'd'}));
}

TEST(Lzrw, IncompressibleDataIsStoredWithFlag80)
{
    std::mt19937 rng(7);
    for (std::size_t n : {1u, 2u, 3u, 17u, 1000u, 32781u}) {
        const Bytes data = Sample(rng, n, 0);
        const Bytes block = Pack(data);
        ASSERT_EQ(block.size(), n + 1) << n;
        EXPECT_EQ(block[0], 0x80);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), block.begin() + 1));
        EXPECT_EQ(Unpack(block, n), data);
    }
}

TEST(Lzrw, OutputIsTheWritersByteForByte)
{
    // Exact-size buffers and the bounds tests must not change a single packed byte.
    std::mt19937 rng(42);
    std::vector<std::size_t> sizes;
    for (std::size_t n = 0; n <= 64; ++n) sizes.push_back(n);
    for (std::size_t n : {255u, 256u, 4095u, 4096u, 4097u, 4111u, 8191u, 32767u, 32768u, 32780u, 32781u})
        sizes.push_back(n);
    for (int i = 0; i < 300; ++i) sizes.push_back(1 + rng() % MaxBlock);
    int packed = 0, stored = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const Bytes data = Sample(rng, sizes[i], int(i));
        const Bytes block = Pack(data);
        ASSERT_EQ(block, WriterPack(data, rng)) << "size " << sizes[i] << " kind " << i % 5;
        (block.empty() || block[0] == 0x80 ? stored : packed)++;
    }
    // Both forms were exercised.
    EXPECT_GT(packed, 100);
    EXPECT_GT(stored, 50);
}

TEST(Lzrw, RoundTripsExactlyInExactBuffers)
{
    std::mt19937 rng(1234);
    for (int i = 0; i < 1500; ++i) {
        const std::size_t n = i < 200 ? std::size_t(i) : 1 + rng() % MaxBlock;
        const Bytes data = Sample(rng, n, i);
        const Bytes block = Pack(data);
        ASSERT_LE(block.size(), n + 1);
        ASSERT_TRUE(block[0] == 0x40 || block[0] == 0x80);
        ASSERT_EQ(Unpack(block, n), data) << "size " << n;
        ASSERT_EQ(Unpack(block, n, true), data) << "size " << n;
        // The same input always gives the same block.
        ASSERT_EQ(Pack(data), block);
    }
}

TEST(Lzrw, FullBuffersOfTheStreamFormat)
{
    // The packed streams work in 32782-byte buffers; a full stored block fills one exactly.
    std::mt19937 rng(99);
    static TBuffer src, dst, back;
    for (int kind = 0; kind < 5; ++kind) {
        const Bytes data = Sample(rng, MaxBlock, kind);
        std::copy(data.begin(), data.end(), std::begin(src));
        const std::uint16_t len = ZCLLZRWCompress(src, dst, std::uint16_t(MaxBlock));
        ASSERT_LE(len, sizeof(TBuffer));
        ASSERT_EQ(ZCLLZRWDecompress(dst, back, len), MaxBlock);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), std::begin(back)));
    }
    EXPECT_THROW(ZCLLZRWCompress(src, dst, std::uint16_t(MaxBlock + 1)), Exception);
}

TEST(Lzrw, DamagedBlocksAreRefused)
{
    struct Case {
        const char* what;
        Bytes block;
        std::size_t room;
    };
    const Case cases[] = {
        {"no bytes at all", {}, 100},
        {"packed flag without a command word", Hex({0x40, 0x80}), 100},
        {"stored block larger than the room", Hex({0x80, 1, 2, 3}), 2},
        {"run longer than the room", Hex({0x40, 0x80, 0x00, 0x00, 0x00, 0x54, 0xBB}), 99},
        {"run of the largest length", Hex({0x40, 0x80, 0x00, 0x00, 0x0F, 0xFF, 0x01}), 4110},
        {"run cut short", Hex({0x40, 0x80, 0x00, 0x00, 0x00, 0x54}), 100},
        {"match cut short", Hex({0x40, 0x40, 0x00, 'a', 0x00}), 100},
        {"match before the output", Hex({0x40, 0x40, 0x00, 'a', 0x00, 0x20}), 100},
        {"match with nothing written", Hex({0x40, 0x80, 0x00, 0x01, 0x00}), 100},
        {"match past the room", Hex({0x40, 0x40, 0x00, 'z', 0x00, 0x1F}), 18},
        {"literal past the room", Hex({0x40, 0x00, 0x00, 1, 2, 3}), 2},
        {"command word with no item after it",
         [] {
             Bytes b = Hex({0x40, 0x00, 0x00});
             b.insert(b.end(), 16, 'x');
             b.push_back(0);
             b.push_back(0);
             return b;
         }(),
         100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Unpack(c.block, c.room);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), AnsiString("LZRW Error!"));
        }
        EXPECT_THROW(Unpack(c.block, c.room, true), Exception);
    }
    // The largest run fits when there is room for it.
    EXPECT_EQ(Unpack(Hex({0x40, 0x80, 0x00, 0x00, 0x0F, 0xFF, 0x01}), 4111), Bytes(4111, 1));
}

TEST(Lzrw, TruncatedFlippedAndRandomBlocksStayInsideTheirBuffers)
{
    // Any overrun hits a guard page and ends the test run; a refusal or a short result is fine.
    std::mt19937 rng(2024);
    int refused = 0, accepted = 0;
    auto tryUnpack = [&](const Bytes& block, std::size_t room, bool atHead) {
        try {
            Unpack(block, room, atHead);
            ++accepted;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), AnsiString("LZRW Error!"));
            ++refused;
        }
    };
    for (int i = 0; i < 6000; ++i) {
        const std::size_t n = 1 + rng() % (i % 10 == 0 ? MaxBlock : 3000);
        const Bytes data = Sample(rng, n, 1 + i % 4);
        const Bytes good = Pack(data);
        Bytes bad = good;
        switch (i % 3) {
        case 0:  // truncated
            bad.resize(rng() % good.size());
            break;
        case 1:  // bit flips, now and then in the flag too
            for (unsigned k = 1 + rng() % 8; k > 0; --k) {
                const std::size_t at = rng() % 16 == 0 ? 0 : rng() % bad.size();
                bad[at] ^= std::uint8_t(1u << (rng() % 8));
            }
            break;
        case 2:  // noise behind a packed flag
            for (std::size_t k = 1; k < bad.size(); ++k) bad[k] = std::uint8_t(rng());
            bad[0] = rng() % 4 == 0 ? std::uint8_t(rng()) : 0x40;
            break;
        }
        // Room as the original block needed, now and then a little less.
        const std::size_t room = i % 7 == 0 ? n - std::min<std::size_t>(n, rng() % 8) : n;
        tryUnpack(bad, room, (i & 1) != 0);
    }
    EXPECT_GT(refused, 1000);
    EXPECT_GT(accepted, 100);
}
