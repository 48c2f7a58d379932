#include "mirror/ColorReduction.h"

#include "mirror/BytesEqual.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

const char KvUnsupportedFormatMessage[] =
    "Server does not support graphic format!\nChange the graphic format to 256 colors,\n"
    "High Color (16bit) or True Color (24bit/32bit)!";

namespace {

// Pixel formats of the reducers: bytes per pixel, the cache key, and the colour on a 0..255 scale. Id tells
// remembered rows of different formats apart.
struct Rgb565 {
    static constexpr int Id = 1;
    static constexpr int Kind = 1;  // what a cache key means: 5-6-5, 5-5-5 or 8-8-8 colour
    static constexpr int Bytes = 2;
    static std::uint32_t Key(const std::uint8_t* p)
    {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    static int R(std::uint32_t v) { return int((v >> 11) & 0x1F) << 3; }
    static int G(std::uint32_t v) { return int((v >> 5) & 0x3F) << 2; }
    static int B(std::uint32_t v) { return int(v & 0x1F) << 3; }
};
struct Rgb555 : Rgb565 {
    static constexpr int Id = 2;
    static constexpr int Kind = 2;
    static int R(std::uint32_t v) { return int((v >> 10) & 0x1F) << 3; }
    static int G(std::uint32_t v) { return int((v >> 5) & 0x1F) << 3; }
    static int B(std::uint32_t v) { return int(v & 0x1F) << 3; }
};
struct Rgb24 {
    static constexpr int Id = 3;
    static constexpr int Kind = 3;
    static constexpr int Bytes = 3;
    static std::uint32_t Key(const std::uint8_t* p)
    {
        return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | std::uint32_t(p[0]);
    }
    static int R(std::uint32_t v) { return int((v >> 16) & 0xFF); }
    static int G(std::uint32_t v) { return int((v >> 8) & 0xFF); }
    static int B(std::uint32_t v) { return int(v & 0xFF); }
};
// The fourth byte is not part of the colour; keying by it would only fill the cache with copies.
struct Rgb32 : Rgb24 {
    static constexpr int Id = 4;
    static constexpr int Bytes = 4;
    static std::uint32_t Key(const std::uint8_t* p)
    {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v & 0xFFFFFF;
    }
};

}  // namespace

KvColorReduction::KvColorReduction() : colorMap_(std::make_unique<KvColorMap>())
{
    ForgetKeys();
}

KvColorReduction::~KvColorReduction() = default;

bool KvColorReduction::UpdatePalette(HPALETTE palette)
{
    auto fresh = std::make_unique<KvPalette256>(palette);
    if (palette_ && PalettesEqual(*palette_, *fresh)) return true;
    ClearCache();
    ForgetRows();
    palette_ = std::move(fresh);
    nearest_.SetPalette(*palette_);
    paletteDirty_ = true;
    return true;
}

bool KvColorReduction::BuildIndexMap(HBITMAP bitmap)
{
    if (!indexMap_) indexMap_ = std::make_unique<std::array<std::uint8_t, 256>>();
    indexMap_->fill(0);

    RGBQUAD table[256];
    UINT n = 0;
    {
        WindowDC screen(nullptr);
        MemoryDC memory(screen ? CreateCompatibleDC(screen.get()) : nullptr);
        if (memory) {
            SelectedObject selected(memory.get(), bitmap);
            n = GetDIBColorTable(memory.get(), 0, 256, table);
        }
    }
    HPALETTE target = palette_ ? palette_->Handle() : nullptr;
    // A map of zeros would turn the whole picture into index 0; without a table or palette the indices stay.
    if (n == 0 || !target) {
        indexMap_.reset();
        return n > 0;
    }
    bool identity = true;
    for (UINT i = 0; i < n && i < 256; ++i) {
        UINT nearest = GetNearestPaletteIndex(target, RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue));
        if (nearest == CLR_INVALID) nearest = i;
        (*indexMap_)[i] = std::uint8_t(nearest);
        if (nearest != i) identity = false;
    }
    if (identity) indexMap_.reset();
    return true;
}

void KvColorReduction::ForgetRows()
{
    ForgetRecent();
    // The cache may have been edited: its keys are known again only once it is empty.
    if (colorMap_->Size() == 0)
        ForgetKeys();
    else
        keySetExact_ = false;
    // Stale by generation: the rows' buffers stay for reuse.
    if (++generation_ == 0) {
        for (RememberedRow& r : rows_) r.generation = 0;
        generation_ = 1;
    }
}

std::uint8_t* KvColorReduction::GetIndexRow(const DIBSECTION& section, int offset, int row)
{
    const BITMAP& bm = section.dsBm;
    if (!bm.bmBits || row < 0 || row >= std::abs(bm.bmHeight)) return nullptr;
    auto* p = static_cast<std::uint8_t*>(bm.bmBits) + std::ptrdiff_t(bm.bmWidthBytes) * row;
    const int length = bm.bmWidthBytes;
    const bool bitfields = section.dsBmih.biCompression == BI_BITFIELDS;
    const DWORD* m = section.dsBitfields;
    std::uint8_t* indices = nullptr;
    switch (bm.bmBitsPixel) {
    case 8:
        indices = TranslateIndices(p, length);
        break;
    case 16:
        if (!bitfields || (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F))
            indices = ReduceRemembered<Rgb555>(p, length, row);  // 16-bit without masks is 5-5-5
        else if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F)
            indices = ReduceRemembered<Rgb565>(p, length, row);
        break;
    case 24:
        indices = ReduceRemembered<Rgb24>(p, length, row);
        break;
    case 32:
        if (!bitfields || (m[0] == 0xFF0000 && m[1] == 0x00FF00 && m[2] == 0x0000FF))
            indices = ReduceRemembered<Rgb32>(p, length, row);
        break;
    default:
        break;
    }
    if (!indices) {
        unsupportedFormat_ = true;
        return nullptr;
    }
    return indices + offset;
}

std::uint8_t* KvColorReduction::TranslateIndices(std::uint8_t* row, int length)
{
    if (!indexMap_ || length <= 0) return row;
    const auto& map = *indexMap_;
    std::uint8_t last = std::uint8_t(~row[0]);
    std::uint8_t lastIndex = map[last];
    for (int i = 0; i < length; ++i) {
        if (row[i] != last) {
            last = row[i];
            lastIndex = map[last];
        }
        row[i] = lastIndex;
    }
    return row;
}

std::uint8_t* KvColorReduction::ReduceRow565(std::uint8_t* row, int length) { return ReduceRow<Rgb565>(row, length); }
std::uint8_t* KvColorReduction::ReduceRow555(std::uint8_t* row, int length) { return ReduceRow<Rgb555>(row, length); }
std::uint8_t* KvColorReduction::ReduceRow24(std::uint8_t* row, int length) { return ReduceRow<Rgb24>(row, length); }
std::uint8_t* KvColorReduction::ReduceRow32(std::uint8_t* row, int length) { return ReduceRow<Rgb32>(row, length); }

template <class Format>
std::uint8_t* KvColorReduction::ReduceRow(std::uint8_t* row, int length)
{
    // Whole pixels only: a row length that is no multiple of the pixel size must not be read past.
    const int pixels = length > 0 ? length / Format::Bytes : 0;
    // Each value is looked up where it differs from the pixel before (always at the first pixel); the run of
    // equal values after it takes its index. Indices are written only up to pixels already read, so the row is
    // reduced in place.
    if (pixels == 0) return row;
    // The same raw value is another colour in another format: the cache holds one format's keys at a time.
    if (cacheKind_ != Format::Kind) {
        if (cacheKind_ != 0) ClearCache();
        cacheKind_ = Format::Kind;
    }
    const std::uint8_t* in = row;
    std::uint8_t* out = row;
    std::uint32_t last = ~Format::Key(in);
    std::uint8_t index = 0;
    for (const std::uint8_t* end = row + std::size_t(pixels) * Format::Bytes; in != end; in += Format::Bytes) {
        const std::uint32_t key = Format::Key(in);
        if (key != last) {
            last = key;
            index = IndexOf(key, Format::R(key), Format::G(key), Format::B(key));
        }
        *out++ = index;
    }
    return row;
}

template <class Format>
std::uint8_t* KvColorReduction::ReduceRemembered(std::uint8_t* row, int length, int rowNumber)
{
    if (rowNumber >= KvRowMemoryRows || length <= 0 || length > KvRowMemoryBytes) return ReduceRow<Format>(row, length);
    if (rows_.size() <= std::size_t(rowNumber)) rows_.resize(std::size_t(rowNumber) + 1);
    RememberedRow& m = rows_[std::size_t(rowNumber)];
    const std::size_t pixels = std::size_t(length / Format::Bytes);
    if (m.generation == generation_ && m.format == Format::Id && m.raw.size() == std::size_t(length) &&
        KvBytesEqual(row, m.raw.data(), m.raw.size())) {
        std::memcpy(row, m.indices.data(), pixels);
        return row;
    }
    m.raw.assign(row, row + length);
    ReduceRow<Format>(row, length);
    m.indices.assign(row, row + pixels);
    m.format = Format::Id;
    m.generation = generation_;
    return row;
}

std::uint8_t KvColorReduction::IndexOf(std::uint32_t key, int r, int g, int b)
{
    // Text and edges alternate between a few colours: the last ones found answer without the cache's search.
    RecentColour& recent = recent_[(key * 2654435761u) >> 24];
    if (recent.key == key) return recent.index;
    recent = RecentColour{key, CachedIndex(key, r, g, b)};
    return recent.index;
}

// Kept out of line: the row loops stay small for the usual case of a colour found lately.
__attribute__((noinline)) std::uint8_t KvColorReduction::CachedIndex(std::uint32_t key, int r, int g, int b)
{
    // A picture full of new colours would walk a whole bucket list for each; the key set says at once that a
    // colour is not there yet.
    const bool maybeCached = !keySetExact_ || key >= KeySetSize || (keySet_[key >> 5] >> (key & 31) & 1);
    KvColorMap::iterator it = maybeCached ? colorMap_->Find(key) : colorMap_->end();
    if (it == colorMap_->end()) {
        if (colorMap_->Size() >= KvColorCacheLimit) ClearCache();
        it = colorMap_->Insert(key, 0);
        if (key < KeySetSize) {
            keySet_[key >> 5] |= 1u << (key & 31);
            keySetEmpty_ = false;
        }
    }
    if (it->value == 0) it->value = NearestEntry(r, g, b) + 1;
    return std::uint8_t(it->value - 1);
}

void KvColorReduction::ForgetRecent()
{
    recent_.fill(RecentColour{});
}

void KvColorReduction::ClearCache()
{
    colorMap_->Clear();
    ForgetRecent();
    ForgetKeys();
}

void KvColorReduction::ForgetKeys()
{
    if (keySet_.empty()) keySet_.resize(KeySetSize / 32);
    if (!keySetEmpty_) std::fill(keySet_.begin(), keySet_.end(), 0u);
    keySetEmpty_ = true;
    keySetExact_ = true;
}

int KvColorReduction::NearestEntry(int r, int g, int b)
{
    return palette_ ? nearest_.Find(r, g, b) : 0;
}

void KvNearestEntrySearch::SetPalette(const KvPalette256& palette)
{
    entries_.assign(palette.Entries(), palette.Entries() + std::min<int>(palette.Count(), 256));
    listed_.fill(false);
}

const std::vector<std::uint8_t>& KvNearestEntrySearch::Candidates(int cube)
{
    std::vector<std::uint8_t>& list = candidates_[std::size_t(cube)];
    if (listed_[std::size_t(cube)]) return list;
    const int mask = CubesPerAxis - 1;
    const int lo[3] = {(cube >> 2 * AxisBits & mask) << CubeShift, (cube >> AxisBits & mask) << CubeShift,
                       (cube & mask) << CubeShift};
    const int side = (1 << CubeShift) - 1;
    auto nearest = [&](int v, int l) { return v < l ? l - v : v > l + side ? v - (l + side) : 0; };
    auto farthest = [&](int v, int l) { return std::max(std::abs(v - l), std::abs(v - (l + side))); };
    auto values = [](const PALETTEENTRY& e) { return std::array<int, 3>{e.peRed, e.peGreen, e.peBlue}; };
    // Every colour of the cube is within `bound` of one entry, so its nearest entry is no farther than that.
    int bound = 0x7FFFFFFF;
    for (const PALETTEENTRY& e : entries_) {
        const auto v = values(e);
        int d = 0;
        for (int k = 0; k < 3; ++k) d += farthest(v[k], lo[k]) * farthest(v[k], lo[k]);
        bound = std::min(bound, d);
    }
    list.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const auto v = values(entries_[i]);
        int d = 0;
        for (int k = 0; k < 3; ++k) d += nearest(v[k], lo[k]) * nearest(v[k], lo[k]);
        if (d <= bound) list.push_back(std::uint8_t(i));
    }
    listed_[std::size_t(cube)] = true;
    return list;
}

int KvNearestEntrySearch::Find(int r, int g, int b)
{
    if (entries_.empty()) return 0;
    const PALETTEENTRY* e = entries_.data();
    auto distance = [&](int i) {
        const int dr = int(e[i].peRed) - r, dg = int(e[i].peGreen) - g, db = int(e[i].peBlue) - b;
        return dr * dr + dg * dg + db * db;
    };
    int best = 0;
    int bestDistance = 0x7FFFFFFF;
    if ((r | g | b) & ~0xFF) {
        // Outside the cubes: every entry.
        for (int i = 0, n = int(entries_.size()); i < n; ++i)
            if (const int d = distance(i); d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        return best;
    }
    const int cube = (r >> CubeShift) << 2 * AxisBits | (g >> CubeShift) << AxisBits | (b >> CubeShift);
    // In index order with a strict compare: of equally near entries the first stays, as in a full search.
    for (const std::uint8_t i : Candidates(cube))
        if (const int d = distance(i); d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    return best;
}
