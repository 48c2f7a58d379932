#include "TerminalPicture.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

void PutU16(std::string& out, uint32_t v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

uint32_t GetU16(const std::string& in, size_t at)
{
    return uint32_t(uint8_t(in[at])) | uint32_t(uint8_t(in[at + 1])) << 8;
}

uint32_t GetU32(const std::string& in, size_t at)
{
    return GetU16(in, at) | GetU16(in, at + 2) << 16;
}

bool Fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

TerminalPicture::TerminalPicture()
    : pixels_(size_t(Width) * Height, 0)
{
}

void TerminalPicture::Fill(uint8_t index)
{
    std::fill(pixels_.begin(), pixels_.end(), index);
}

std::string TerminalPicture::FirstDifference(const TerminalPicture& other) const
{
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (At(x, y) != other.At(x, y)) {
                char text[64];
                std::snprintf(text, sizeof text, "%d,%d: %d != %d", x, y, At(x, y), other.At(x, y));
                return text;
            }
    return {};
}

bool TerminalPicture::SaveBmp(const std::string& path) const
{
    const uint32_t headers = 14 + 40 + 256 * 4;
    const uint32_t imageSize = uint32_t(Width) * Height;  // 640 is a multiple of 4: no row padding
    std::string out;
    out.reserve(headers + imageSize);
    out += "BM";
    PutU32(out, headers + imageSize);
    PutU32(out, 0);
    PutU32(out, headers);
    PutU32(out, 40);
    PutU32(out, Width);
    PutU32(out, Height);  // bottom-up
    PutU16(out, 1);
    PutU16(out, 8);
    PutU32(out, 0);  // BI_RGB
    PutU32(out, imageSize);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, 256);
    PutU32(out, 0);
    for (const TerminalColor& c : palette_) {
        out += char(c.blue);
        out += char(c.green);
        out += char(c.red);
        out += char(0);
    }
    for (int y = Height - 1; y >= 0; --y)
        out.append(reinterpret_cast<const char*>(Row(y)), Width);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), std::streamsize(out.size()));
    return bool(file);
}

bool TerminalPicture::LoadBmp(const std::string& path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Fail(error, "cannot open " + path);
    const std::string in((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (in.size() < 54 || in[0] != 'B' || in[1] != 'M')
        return Fail(error, path + ": not a BMP file");
    const uint32_t offBits = GetU32(in, 10);
    const uint32_t infoSize = GetU32(in, 14);
    if (infoSize < 40 || 14 + uint64_t(infoSize) > in.size())
        return Fail(error, path + ": unsupported BMP header");
    const int32_t width = int32_t(GetU32(in, 18));
    const int32_t rawHeight = int32_t(GetU32(in, 22));
    const uint32_t bits = GetU16(in, 28);
    const uint32_t compression = GetU32(in, 30);
    uint32_t colors = GetU32(in, 46);
    if (bits != 8 || compression != 0)
        return Fail(error, path + ": only uncompressed 8-bit BMP files are read");
    if (colors == 0 || colors > 256)
        colors = 256;
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : rawHeight;
    if (width <= 0 || width > Width || height <= 0 || height > Height)
        return Fail(error, path + ": picture larger than 640 x 480 or empty");
    const size_t paletteAt = 14 + infoSize;
    if (paletteAt + size_t(colors) * 4 > in.size())
        return Fail(error, path + ": palette cut short");
    const size_t stride = (size_t(width) + 3) & ~size_t(3);
    if (uint64_t(offBits) + uint64_t(stride) * uint64_t(height) > in.size())
        return Fail(error, path + ": pixels cut short");

    palette_ = {};
    for (uint32_t i = 0; i < colors; ++i) {
        const size_t at = paletteAt + size_t(i) * 4;
        palette_[i] = TerminalColor{uint8_t(in[at + 2]), uint8_t(in[at + 1]), uint8_t(in[at]), 0};
    }
    paletteCount_ = int(colors);
    Fill(0);
    for (int y = 0; y < int(height); ++y) {
        const size_t fileRow = topDown ? size_t(y) : size_t(height - 1 - y);
        const char* src = in.data() + offBits + fileRow * stride;
        std::copy(src, src + width, reinterpret_cast<char*>(Row(y)));
    }
    return true;
}
