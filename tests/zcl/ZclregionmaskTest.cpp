// Region masks: a region cut from a bitmap made here kept as region data and made again from it, pixel for pixel;
// the data and the border bitmaps stored in a form and read back; damaged region data refused; Assign.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DrawTestHelpers.h"
#include "RegionTestHelpers.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "zcl/graphics/Zclregion.h"
#include "zcl/graphics/Zclregionmask.h"

namespace {

// A picture with a round hole in a block and a separate bar: black on white.
std::unique_ptr<TBitmap> Picture()
{
    return drawtest::MakeBitmap(40, 30, [](int x, int y) {
        const int dx = x - 14, dy = y - 12;
        const bool block = x >= 2 && x < 26 && y >= 2 && y < 22 && dx * dx + dy * dy > 25;
        const bool bar = x >= 30 && x < 37 && y >= 5 && y < 28;
        return block || bar ? 0x000000u : 0xFFFFFFu;
    });
}

// The region of a bitmap's non-white pixels, made row run by row run.
HRGN RegionOf(TBitmap* b)
{
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width();) {
            if (drawtest::PixelOf(b, x, y) == 0xFFFFFF) {
                ++x;
                continue;
            }
            int end = x;
            while (end < b->Width() && drawtest::PixelOf(b, end, y) != 0xFFFFFF) ++end;
            HRGN run = CreateRectRgn(x, y, end, y + 1);
            CombineRgn(r, r, run, RGN_OR);
            DeleteObject(run);
            x = end;
        }
    return r;
}

::testing::AssertionResult CoversPicture(HRGN r, TBitmap* b)
{
    if (!r) return ::testing::AssertionFailure() << "no region";
    for (int y = -2; y < b->Height() + 2; ++y)
        for (int x = -2; x < b->Width() + 2; ++x) {
            const bool dark =
                x >= 0 && y >= 0 && x < b->Width() && y < b->Height() && drawtest::PixelOf(b, x, y) != 0xFFFFFF;
            if ((PtInRegion(r, x, y) != FALSE) != dark)
                return ::testing::AssertionFailure() << "(" << x << "," << y << ") differs";
        }
    return ::testing::AssertionSuccess();
}

class TMaskHost : public TComponent {
public:
    explicit TMaskHost(TComponent* owner) : TComponent(owner) {}
    TZCLRegionMask* Mask() const { return mask_.get(); }

private:
    std::unique_ptr<TZCLRegionMask> mask_ = std::make_unique<TZCLRegionMask>();
};

const bool maskHostPublished = [] {
    PublishedProperties<TMaskHost>().Object("Mask", &TMaskHost::Mask, nullptr);
    return true;
}();

std::string Write(TMaskHost& host)
{
    TMemoryStream stream;
    stream.WriteComponent(&host);
    return std::string(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
}

void Read(const std::string& bytes, TMaskHost& into)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), int(bytes.size()));
    stream.SetPosition(0);
    stream.ReadComponent(&into);
}

// Where the stored region data block begins in a written form.
std::size_t BlockAt(const std::string& bytes)
{
    const std::size_t name = bytes.find("RegionData\x0A");
    EXPECT_NE(name, std::string::npos);
    return name + std::strlen("RegionData") + 1 + 4;
}

}  // namespace

TEST(ZclRegionMask, ARegionCutFromABitmapIsKeptAsDataAndMadeAgain)
{
    auto picture = Picture();
    RegionHandle cut(RegionOf(picture.get()));
    ASSERT_TRUE(CoversPicture(cut.get(), picture.get()));
    TZCLRegionMask mask;
    EXPECT_EQ(mask.CreateRegion(), nullptr);
    EXPECT_TRUE(mask.GetRegionData(cut.get()));
    EXPECT_GT(mask.RegionDataSize(), std::int32_t(sizeof(RGNDATAHEADER)));
    RegionHandle again(mask.CreateRegion());
    EXPECT_TRUE(CoversPicture(again.get(), picture.get()));

    // A bitmap-shaped region takes it, wherever its rectangle is.
    TZCLRegion region;
    region.Mask()->Assign(&mask);
    region.SetShape(rsBitmap);
    region.CreateRegion(TRect(0, 0, 400, 300));
    EXPECT_TRUE(CoversPicture(region.Handle(), picture.get()));

    EXPECT_FALSE(mask.GetRegionData(nullptr));
    EXPECT_EQ(mask.RegionDataSize(), 0);
    mask.SetRegionData(nullptr, 10);
    EXPECT_EQ(mask.RegionDataSize(), 0);
}

TEST(ZclRegionMask, DataAndBorderBitmapsAreStoredAndReadBack)
{
    for (bool compressed : {false, true}) {
        auto picture = Picture();
        RegionHandle cut(RegionOf(picture.get()));
        TMaskHost host(nullptr);
        host.SetName("Host");
        TZCLRegionMask* m = host.Mask();
        m->GetRegionData(cut.get());
        m->SetBorderBmp(0, picture.get());
        auto up = drawtest::MakeBitmap(5, 4, [](int x, int y) { return std::uint32_t(x * 40 + y * 0x2000); });
        m->SetBorderBmp(1, up.get());
        m->SetCompressed(compressed);
        m->SetPixelFormat(spf4bit);
        const std::string bytes = Write(host);
        for (const char* name : {"RegionData", "BorderBmp", "BorderUpBmp"})
            EXPECT_NE(bytes.find(name), std::string::npos) << name;
        EXPECT_EQ(bytes.find("BorderDnBmp"), std::string::npos);  // never made

        TMaskHost read(nullptr);
        Read(bytes, read);
        TZCLRegionMask* r = read.Mask();
        EXPECT_EQ(r->RegionDataSize(), m->RegionDataSize()) << compressed;
        RegionHandle again(r->CreateRegion());
        EXPECT_TRUE(CoversPicture(again.get(), picture.get())) << compressed;
        EXPECT_EQ(r->Compressed(), compressed);
        EXPECT_EQ(r->PixelFormat(), spf4bit);
        ASSERT_EQ(r->BorderBmp()->Width(), 40);
        for (int y = 0; y < 30; y += 3)
            for (int x = 0; x < 40; x += 3)
                ASSERT_EQ(drawtest::PixelOf(r->BorderBmp(), x, y), drawtest::PixelOf(picture.get(), x, y))
                    << x << "," << y;
        ASSERT_NE(r->BorderUpBmp(), nullptr);
        EXPECT_EQ(drawtest::PixelOf(r->BorderUpBmp(), 4, 3), drawtest::PixelOf(up.get(), 4, 3));
        EXPECT_EQ(r->BorderDnBmp(), nullptr);
    }
    // An empty mask stores none of its properties.
    TMaskHost empty(nullptr);
    empty.SetName("Host");
    const std::string bytes = Write(empty);
    for (const char* name : {"RegionData", "BorderBmp", "RegionDataSize", "Compressed"})
        EXPECT_EQ(bytes.find(name), std::string::npos) << name;
}

TEST(ZclRegionMask, DamagedRegionDataMakesNoRegion)
{
    auto picture = Picture();
    RegionHandle cut(RegionOf(picture.get()));
    std::vector<std::uint8_t> good = ZCLRegionToData(cut.get());
    ASSERT_GT(good.size(), sizeof(RGNDATAHEADER));
    RGNDATAHEADER h;
    std::memcpy(&h, good.data(), sizeof h);
    ASSERT_GT(h.nCount, 1u);

    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    };
    const Case cases[] = {
        {"shorter than a header", [](std::vector<std::uint8_t>& d) { d.resize(20); }},
        {"header size wrong", [](std::vector<std::uint8_t>& d) { d[0] = 31; }},
        {"not rectangles", [](std::vector<std::uint8_t>& d) { d[4] = 2; }},
        {"one rectangle missing", [](std::vector<std::uint8_t>& d) { d.resize(d.size() - 16); }},
        {"count beyond the block", [](std::vector<std::uint8_t>& d) { d[8] = 0xFF, d[9] = 0xFF; }},
        {"count that wraps", [](std::vector<std::uint8_t>& d) { d[8] = 0x01, d[9] = 0, d[10] = 0, d[11] = 0x10; }},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bad = good;
        c.damage(bad);
        EXPECT_EQ(ZCLRegionFromData(bad.data(), std::int32_t(bad.size())), nullptr) << c.name;
        TZCLRegion region;
        region.Mask()->SetRegionData(bad.data(), std::int32_t(bad.size()));
        region.SetShape(rsBitmap);
        region.CreateRegion(TRect(0, 0, 50, 50));
        EXPECT_EQ(region.Handle(), nullptr) << c.name;
    }
    EXPECT_EQ(ZCLRegionFromData(nullptr, 100), nullptr);
    // Bytes after the rectangles do no harm.
    std::vector<std::uint8_t> longer = good;
    longer.resize(longer.size() + 7, 0xEE);
    RegionHandle fromLonger(ZCLRegionFromData(longer.data(), std::int32_t(longer.size())));
    EXPECT_TRUE(CoversPicture(fromLonger.get(), picture.get()));
}

TEST(ZclRegionMask, AStoredBlockIsAsLongAsItsPropertyWhateverSizeIsStoredBesideIt)
{
    auto picture = Picture();
    RegionHandle cut(RegionOf(picture.get()));
    TMaskHost host(nullptr);
    host.SetName("Host");
    host.Mask()->GetRegionData(cut.get());
    const std::int32_t size = host.Mask()->RegionDataSize();
    std::string bytes = Write(host);

    // The published size says more than the block holds: the block is still read whole, and no more.
    const std::size_t sizeAt = bytes.find("RegionDataSize");
    ASSERT_NE(sizeAt, std::string::npos);
    const std::size_t value = sizeAt + std::strlen("RegionDataSize") + 1;
    ASSERT_EQ(bytes[value - 1], '\x02');
    const std::int32_t claimed = size * 4;
    std::memcpy(&bytes[value], &claimed, 4);
    {
        TMaskHost read(nullptr);
        Read(bytes, read);
        EXPECT_EQ(read.Mask()->RegionDataSize(), size);
        RegionHandle again(read.Mask()->CreateRegion());
        EXPECT_TRUE(CoversPicture(again.get(), picture.get()));
    }
    // Without its block a stored size, however large, makes no block: nothing is allocated for it.
    {
        std::string sizeOnly = bytes;
        const std::size_t nameAt = sizeOnly.find("Mask.RegionData\x0A");
        ASSERT_NE(nameAt, std::string::npos);
        std::int32_t nameLength = 0;
        std::memcpy(&nameLength, &sizeOnly[nameAt - 4], 4);
        ASSERT_EQ(nameLength, std::int32_t(std::strlen("Mask.RegionData")));
        ASSERT_LT(value, nameAt);
        sizeOnly.erase(nameAt - 4, BlockAt(sizeOnly) + std::size_t(size) - (nameAt - 4));
        ASSERT_EQ(sizeOnly.find("RegionData\x0A"), std::string::npos);
        for (const std::int32_t stated : {size, size * 4, std::int32_t(0x40000000), std::int32_t(0x7FFFFFFF)}) {
            std::memcpy(&sizeOnly[value], &stated, 4);
            TMaskHost read(nullptr);
            EXPECT_NO_THROW(Read(sizeOnly, read)) << stated;
            EXPECT_EQ(read.Mask()->RegionDataSize(), 0) << stated;
            EXPECT_EQ(read.Mask()->CreateRegion(), nullptr) << stated;
        }
    }
    // A damaged block is read, and refused when the region is made.
    const std::size_t block = BlockAt(bytes);
    bytes[block + 8] = '\xFF';
    bytes[block + 9] = '\xFF';
    TMaskHost damaged(nullptr);
    Read(bytes, damaged);
    EXPECT_EQ(damaged.Mask()->RegionDataSize(), size);
    EXPECT_EQ(damaged.Mask()->CreateRegion(), nullptr);
}

TEST(ZclRegionMask, AssignTakesAllOfTheSourceAlsoWhenItIsEmpty)
{
    auto picture = Picture();
    RegionHandle cut(RegionOf(picture.get()));
    TZCLRegionMask full;
    full.GetRegionData(cut.get());
    full.SetBorderBmp(0, picture.get());
    full.SetBorderBmp(2, picture.get());
    full.SetCompressed(true);
    full.SetPixelFormat(spfMono);

    TZCLRegionMask copy;
    int told = 0;
    copy.SetOnChange(TNotifyEvent::From([&](TObject*) { ++told; }));
    copy.Assign(&full);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(copy.RegionDataSize(), full.RegionDataSize());
    RegionHandle again(copy.CreateRegion());
    EXPECT_TRUE(CoversPicture(again.get(), picture.get()));
    EXPECT_EQ(copy.BorderBmp()->Width(), 40);
    EXPECT_EQ(copy.BorderUpBmp(), nullptr);
    ASSERT_NE(copy.BorderDnBmp(), nullptr);
    EXPECT_EQ(copy.BorderDnBmp()->Height(), 30);
    EXPECT_TRUE(copy.Compressed());
    EXPECT_EQ(copy.PixelFormat(), spfMono);

    // From an empty mask nothing of the earlier region stays behind.
    TZCLRegionMask empty;
    copy.Assign(&empty);
    EXPECT_EQ(copy.RegionDataSize(), 0);
    EXPECT_EQ(copy.CreateRegion(), nullptr);
    EXPECT_TRUE(copy.BorderBmp()->Empty());
    EXPECT_EQ(copy.BorderDnBmp(), nullptr);
    EXPECT_FALSE(copy.Compressed());
    EXPECT_EQ(copy.PixelFormat(), spfDefault);

    // Size and memory of the block.
    copy.SetDataSize(64);
    EXPECT_EQ(copy.RegionDataSize(), 64);
    copy.GetMem();
    EXPECT_EQ(copy.RegionData()[63], 0);
    copy.FreeMem();
    EXPECT_EQ(copy.RegionDataSize(), 0);
    EXPECT_EQ(copy.RegionData(), nullptr);
    copy.SetDataSize(-5);
    EXPECT_EQ(copy.RegionDataSize(), 0);
}
