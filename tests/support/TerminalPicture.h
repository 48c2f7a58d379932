#pragma once
// What the terminal shows: 640 x 480 palette indices and the 256-entry palette that colours them,
// saved and loaded as 8-bit BMP files so a person can look at them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TerminalColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flag = 0;  // 1 = nearest to black, 2 = nearest to white, as the PC marked it

    bool operator==(const TerminalColor&) const = default;
};

class TerminalPicture {
public:
    static constexpr int Width = 640;
    static constexpr int Height = 480;

    TerminalPicture();

    uint8_t At(int x, int y) const { return pixels_[size_t(y) * Width + size_t(x)]; }
    void Set(int x, int y, uint8_t index) { pixels_[size_t(y) * Width + size_t(x)] = index; }
    uint8_t* Row(int y) { return pixels_.data() + size_t(y) * Width; }
    const uint8_t* Row(int y) const { return pixels_.data() + size_t(y) * Width; }
    void Fill(uint8_t index);

    std::array<TerminalColor, 256>& Palette() { return palette_; }
    const std::array<TerminalColor, 256>& Palette() const { return palette_; }
    // Entries the last palette message carried (0 before any).
    int PaletteCount() const { return paletteCount_; }
    void SetPaletteCount(int count) { paletteCount_ = count; }

    // Same indices everywhere (the palette is not compared).
    bool SamePixels(const TerminalPicture& other) const { return pixels_ == other.pixels_; }
    // First differing pixel as "x,y: a != b", empty when the pixels are the same.
    std::string FirstDifference(const TerminalPicture& other) const;

    // 8-bit uncompressed BMP with the full 256-entry palette.
    bool SaveBmp(const std::string& path) const;
    // An 8-bit uncompressed BMP of at most 640 x 480 (top-down or bottom-up); pixels beyond it stay 0.
    // The flags are not stored in a BMP and come back 0.
    bool LoadBmp(const std::string& path, std::string* error = nullptr);

private:
    std::vector<uint8_t> pixels_;
    std::array<TerminalColor, 256> palette_{};
    int paletteCount_ = 0;
};
