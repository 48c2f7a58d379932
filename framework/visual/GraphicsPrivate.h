#pragma once
// Shared by the graphics sources only.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "framework/visual/Graphics.h"

// The DC mix mode (R2_xxx) of a pen mode.
int PenModeToRop2(TPenMode mode);

// One set of pixels. A DIB section keeps its bits in memory; the monochrome device bitmap has none.
struct TBitmapImage {
    BitmapHandle handle;
    unsigned char* bits = nullptr;
    int width = 0;
    int height = 0;
    TPixelFormat format = pf24bit;
    bool mono = false;
    bool topDown = false;  // only for sections adopted through SetHandle; ours are bottom-up
    int stride = 0;
    std::vector<RGBQUAD> table;  // up to 8 bits: 2^bits entries

    unsigned char* Row(int y) const
    {
        return bits + std::size_t(topDown ? y : height - 1 - y) * std::size_t(stride);
    }
};

namespace graphics_detail {

constexpr std::uint32_t Black = 0x000000;
constexpr std::uint32_t White = 0xFFFFFF;

// A BITMAPINFO with room for a full colour table (or three bit masks).
struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

int BitsOf(TPixelFormat f);
int StrideOf(int width, int bits);
RGBQUAD Quad(std::uint32_t c);
std::uint32_t FromQuad(const RGBQUAD& q);
const std::vector<RGBQUAD>& MonoTable();
// Raises EOutOfResources when the system cannot make the bitmap (or it would pass 2 GB).
std::unique_ptr<TBitmapImage> NewDib(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& table);
std::unique_ptr<TBitmapImage> NewMono(int width, int height);
// The index of pixel x in a row of 1, 4 or 8 bits.
unsigned IndexAt(const unsigned char* row, int x, int bits);
void SetIndexAt(unsigned char* row, int x, int bits, unsigned index);
// Widens a channel of n bits to 8 by repeating its bits, so the largest value stays 255.
unsigned Widen(unsigned v, int n);
// Pixel x of a section row as 0x00BBGGRR.
std::uint32_t Decode(const TBitmapImage& im, const unsigned char* row, int x);

// Nearest entry of a colour table by squared distance; the lowest index wins a tie.
class NearestIndex {
public:
    explicit NearestIndex(const std::vector<RGBQUAD>& table) : table_(table) {}
    unsigned operator()(std::uint32_t c)
    {
        auto it = cache_.find(c);
        if (it != cache_.end()) return it->second;
        const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        unsigned best = 0;
        long bestDistance = 0x7FFFFFFF;
        for (unsigned i = 0; i < table_.size(); ++i) {
            const long dr = r - table_[i].rgbRed, dg = g - table_[i].rgbGreen, db = b - table_[i].rgbBlue;
            const long d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        cache_.emplace(c, best);
        return best;
    }

private:
    const std::vector<RGBQUAD>& table_;
    std::unordered_map<std::uint32_t, unsigned> cache_;
};

// Pixel x of a section row from 0x00BBGGRR; nearest is needed for the indexed formats only.
void Encode(const TBitmapImage& im, unsigned char* row, int x, std::uint32_t c, NearestIndex* nearest);
// Sets a monochrome device bitmap from one flag per pixel (rows from the top; true is white).
void WriteMonoBits(const TBitmapImage& im, const std::vector<bool>& white);

}  // namespace graphics_detail
