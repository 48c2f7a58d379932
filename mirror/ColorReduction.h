#pragma once
// Reduction of captured rows to palette indices of the current palette, with the colour cache.
// The capture thread holds one of these (or derives from it) and calls it on its own thread; it alone talks to
// the main window, so an unsupported pixel format is left here as a flag for it to act on.

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "mirror/Bitmapfunctions.h"
#include "mirror/hmap.h"

// Shown by the capture thread when GetIndexRow meets a pixel format it cannot reduce; the transfer then stops.
extern const char KvUnsupportedFormatMessage[];

// Past this many cached colours the cache starts again (the results stay the same, the memory does not grow).
constexpr std::uint32_t KvColorCacheLimit = 1u << 20;

// GetIndexRow remembers the raw bytes and indices of rows up to this size (a 640-pixel row at 32 bits) and number.
constexpr int KvRowMemoryBytes = 640 * 4;
constexpr int KvRowMemoryRows = 480;

// The palette entry nearest to a colour by squared distance, the lowest index among equally near ones: what a
// search over every entry finds. Colour space is cut into cubes of 32 levels a side; each cube lists, in index
// order, only the entries that can be nearest to some colour inside it (those no farther from the cube than the
// farthest point of the cube is from the entry nearest to that point), made the first time a colour falls in it.
class KvNearestEntrySearch {
public:
    // Takes the entries; the cubes' lists are made again as colours come.
    void SetPalette(const KvPalette256& palette);
    // The nearest entry to r, g, b (each 0..255); 0 for an empty palette.
    int Find(int r, int g, int b);

private:
    static constexpr int CubeShift = 5;
    static constexpr int AxisBits = 8 - CubeShift;
    static constexpr int CubesPerAxis = 1 << AxisBits;
    static constexpr int Cubes = CubesPerAxis * CubesPerAxis * CubesPerAxis;

    const std::vector<std::uint8_t>& Candidates(int cube);

    std::vector<PALETTEENTRY> entries_;
    std::array<std::vector<std::uint8_t>, Cubes> candidates_;
    std::array<bool, Cubes> listed_{};
};

class KvColorReduction {
public:
    KvColorReduction();
    ~KvColorReduction();
    KvColorReduction(const KvColorReduction&) = delete;
    KvColorReduction& operator=(const KvColorReduction&) = delete;

    // Takes the palette of the handle, or the system palette when it is null. A palette equal to the current
    // one changes nothing; any other replaces it, empties the colour cache and marks the palette dirty.
    bool UpdatePalette(HPALETTE palette);

    // For sections of 8 bits per pixel or fewer: maps each colour-table entry to the nearest entry of the
    // current palette; no map is kept when that is the identity or the table cannot be read. True when a
    // colour table was read.
    bool BuildIndexMap(HBITMAP bitmap);

    // Reduces the row in place and returns its index bytes plus offset; null for a format that cannot be
    // reduced (UnsupportedFormat() is then set) or a row outside the section. A 16, 24 or 32-bit row whose raw
    // bytes equal those this row number had last time, in the same format and palette, takes the indices it got
    // then without looking a pixel up: an unchanged picture costs a compare and a copy.
    std::uint8_t* GetIndexRow(const DIBSECTION& section, int offset, int row);

    // Drops the remembered rows, so the next rows are looked up pixel by pixel. A palette change does it; whoever
    // edits the colour cache through ColorMap() calls it too.
    void ForgetRows();

    // The row reducers: length bytes of pixels in, one index byte per pixel out from the row's start.
    std::uint8_t* TranslateIndices(std::uint8_t* row, int length);
    std::uint8_t* ReduceRow565(std::uint8_t* row, int length);
    std::uint8_t* ReduceRow555(std::uint8_t* row, int length);
    std::uint8_t* ReduceRow24(std::uint8_t* row, int length);
    std::uint8_t* ReduceRow32(std::uint8_t* row, int length);

    KvPalette256* CurrentPalette() const { return palette_.get(); }
    KvColorMap* ColorMap() const { return colorMap_.get(); }
    // Null when the section's indices are used as they are.
    const std::array<std::uint8_t, 256>* IndexMap() const { return indexMap_.get(); }

    // Set by a palette change; the encoder clears it once the palette has been sent.
    bool PaletteDirty() const { return paletteDirty_; }
    void SetPaletteDirty(bool dirty) { paletteDirty_ = dirty; }

    // Set by GetIndexRow on an unsupported format until cleared.
    bool UnsupportedFormat() const { return unsupportedFormat_; }
    void ClearUnsupportedFormat() { unsupportedFormat_ = false; }

private:
    // The last raw bytes of one row number and the indices they gave.
    struct RememberedRow {
        std::uint32_t generation = 0;  // 0: nothing remembered
        int format = 0;
        std::vector<std::uint8_t> raw;
        std::vector<std::uint8_t> indices;
    };

    // One colour found lately; the key is never a pixel value (those have at most 24 bits) while unused.
    struct RecentColour {
        std::uint32_t key = 0xFFFFFFFF;
        std::uint8_t index = 0;
    };
    static constexpr std::size_t RecentColours = 256;

    template <class Format>
    std::uint8_t* ReduceRow(std::uint8_t* row, int length);
    template <class Format>
    std::uint8_t* ReduceRemembered(std::uint8_t* row, int length, int rowNumber);
    std::uint8_t IndexOf(std::uint32_t key, int r, int g, int b);
    std::uint8_t CachedIndex(std::uint32_t key, int r, int g, int b);
    int NearestEntry(int r, int g, int b);
    void ForgetRecent();
    // Empties the colour cache, with the recent colours and the key set.
    void ClearCache();
    void ForgetKeys();

    std::unique_ptr<KvPalette256> palette_;
    KvNearestEntrySearch nearest_;
    std::unique_ptr<KvColorMap> colorMap_;
    std::unique_ptr<std::array<std::uint8_t, 256>> indexMap_;
    std::array<RecentColour, RecentColours> recent_{};
    std::vector<RememberedRow> rows_;
    // One bit per possible key (24-bit colours), set for each key this object put in the cache. While exact, a
    // clear bit means the key is not cached: the cache is empty or only this object filled it. An edit of the
    // cache from outside (ForgetRows then follows) makes it inexact until the cache is next emptied.
    static constexpr std::uint32_t KeySetSize = 1u << 24;
    std::vector<std::uint32_t> keySet_;
    bool keySetEmpty_ = false;
    bool keySetExact_ = false;
    std::uint32_t generation_ = 1;  // rows remembered under another generation are stale
    int cacheKind_ = 0;  // the pixel format whose keys the cache holds (0: none yet)
    bool paletteDirty_ = false;
    bool unsupportedFormat_ = false;
};
