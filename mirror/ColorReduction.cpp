#include "mirror/ColorReduction.h"

#include <cstdlib>

const char KvUnsupportedFormatMessage[] =
    "Server does not support graphic format!\nChange the graphic format to 256 colors,\n"
    "High Color (16bit) or True Color (24bit/32bit)!";

namespace {

// Pixel formats of the reducers: bytes per pixel, the cache key, and the colour on a 0..255 scale.
struct Rgb565 {
    static constexpr int Bytes = 2;
    static std::uint32_t Key(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
    static int R(std::uint32_t v) { return int((v >> 11) & 0x1F) << 3; }
    static int G(std::uint32_t v) { return int((v >> 5) & 0x3F) << 2; }
    static int B(std::uint32_t v) { return int(v & 0x1F) << 3; }
};
struct Rgb555 {
    static constexpr int Bytes = 2;
    static std::uint32_t Key(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
    static int R(std::uint32_t v) { return int((v >> 10) & 0x1F) << 3; }
    static int G(std::uint32_t v) { return int((v >> 5) & 0x1F) << 3; }
    static int B(std::uint32_t v) { return int(v & 0x1F) << 3; }
};
struct Rgb24 {
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
    static constexpr int Bytes = 4;
};

}  // namespace

KvColorReduction::KvColorReduction() : colorMap_(std::make_unique<KvColorMap>()) {}

KvColorReduction::~KvColorReduction() = default;

bool KvColorReduction::UpdatePalette(HPALETTE palette)
{
    auto fresh = std::make_unique<KvPalette256>(palette);
    if (palette_ && PalettesEqual(*palette_, *fresh)) return true;
    colorMap_->Clear();
    palette_ = std::move(fresh);
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
            indices = ReduceRow555(p, length);  // 16-bit without masks is 5-5-5
        else if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F)
            indices = ReduceRow565(p, length);
        break;
    case 24:
        indices = ReduceRow24(p, length);
        break;
    case 32:
        if (!bitfields || (m[0] == 0xFF0000 && m[1] == 0x00FF00 && m[2] == 0x0000FF))
            indices = ReduceRow32(p, length);
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
    if (pixels == 0) return row;
    const std::uint8_t* in = row;
    std::uint8_t* out = row;  // never passes the read position
    std::uint32_t last = ~Format::Key(in);
    std::uint8_t lastIndex = 0;
    for (int i = 0; i < pixels; ++i, in += Format::Bytes) {
        const std::uint32_t key = Format::Key(in);
        if (key != last) {
            last = key;
            lastIndex = IndexOf(key, Format::R(key), Format::G(key), Format::B(key));
        }
        *out++ = lastIndex;
    }
    return row;
}

std::uint8_t KvColorReduction::IndexOf(std::uint32_t key, int r, int g, int b)
{
    KvColorMap::iterator it = colorMap_->Find(key);
    if (it == colorMap_->end()) {
        if (colorMap_->Size() >= KvColorCacheLimit) colorMap_->Clear();
        it = colorMap_->Insert(key, 0);
    }
    if (it->value == 0) it->value = NearestEntry(r, g, b) + 1;
    return std::uint8_t(it->value - 1);
}

int KvColorReduction::NearestEntry(int r, int g, int b) const
{
    if (!palette_) return 0;
    int best = 0;
    int bestDistance = 0x7FFFFFFF;
    const PALETTEENTRY* e = palette_->Entries();
    for (int i = 0, n = palette_->Count(); i < n; ++i) {
        const int dr = int(e[i].peRed) - r, dg = int(e[i].peGreen) - g, db = int(e[i].peBlue) - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}
