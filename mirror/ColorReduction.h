#pragma once
// Reduction of captured rows to palette indices of the current palette, with the colour cache.
// The capture thread holds one of these (or derives from it) and calls it on its own thread; it alone talks to
// the main window, so an unsupported pixel format is left here as a flag for it to act on.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "mirror/Bitmapfunctions.h"
#include "mirror/hmap.h"

// Shown by the capture thread when GetIndexRow meets a pixel format it cannot reduce; the transfer then stops.
extern const char KvUnsupportedFormatMessage[];

// Past this many cached colours the cache starts again (the results stay the same, the memory does not grow).
constexpr std::uint32_t KvColorCacheLimit = 1u << 20;

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
    // reduced (UnsupportedFormat() is then set) or a row outside the section.
    std::uint8_t* GetIndexRow(const DIBSECTION& section, int offset, int row);

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
    template <class Format>
    std::uint8_t* ReduceRow(std::uint8_t* row, int length);
    std::uint8_t IndexOf(std::uint32_t key, int r, int g, int b);
    int NearestEntry(int r, int g, int b) const;

    std::unique_ptr<KvPalette256> palette_;
    std::unique_ptr<KvColorMap> colorMap_;
    std::unique_ptr<std::array<std::uint8_t, 256>> indexMap_;
    bool paletteDirty_ = false;
    bool unsupportedFormat_ = false;
};
