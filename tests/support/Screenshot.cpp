#include "Screenshot.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace testshot {

std::string ArtifactsDir()
{
    std::string dir;
    if (const char* build = std::getenv("BUILD_DIR"); build && *build) {
        dir = build;
        // A Linux path as the test environment exports it: drive Z: is the root there.
        if (dir[0] == '/') dir = "Z:" + dir;
        for (char& c : dir)
            if (c == '/') c = '\\';
        while (!dir.empty() && dir.back() == '\\') dir.pop_back();
    } else {
        char exe[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        dir = exe;
        dir = dir.substr(0, dir.find_last_of('\\'));  // the executable's folder
        dir = dir.substr(0, dir.find_last_of('\\'));  // the build folder
    }
    dir += "\\artifacts";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

Shot Shot::Grab(HDC source, int left, int top, int width, int height)
{
    Shot shot;
    if (width <= 0 || height <= 0) return shot;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(source);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc || !bmp) {
        if (bmp) DeleteObject(bmp);
        if (dc) DeleteDC(dc);
        return shot;
    }
    HGDIOBJ old = SelectObject(dc, bmp);
    BitBlt(dc, 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
    shot.width_ = width;
    shot.height_ = height;
    shot.rgb_.resize(size_t(width) * size_t(height) * 3);
    const auto* p = static_cast<const uint8_t*>(bits);
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
        shot.rgb_[i * 3] = p[i * 4 + 2];
        shot.rgb_[i * 3 + 1] = p[i * 4 + 1];
        shot.rgb_[i * 3 + 2] = p[i * 4];
    }
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return shot;
}

Shot Shot::OfScreen(const RECT& r)
{
    HDC screen = GetDC(nullptr);
    Shot shot = Grab(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    shot.origin_ = {r.left, r.top};
    return shot;
}

Shot Shot::OfDC(HDC dc, int width, int height)
{
    return Grab(dc, 0, 0, width, height);
}

Shot Shot::OfWindow(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return OfScreen(r);
}

COLORREF Shot::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const uint8_t* p = &rgb_[(size_t(y) * size_t(width_) + size_t(x)) * 3];
    return RGB(p[0], p[1], p[2]);
}

namespace {

void Put32le(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}
void Put16le(std::string& s, uint16_t v)
{
    s += char(v & 0xFF);
    s += char(v >> 8);
}
void Put32be(std::string& s, uint32_t v)
{
    for (int i = 3; i >= 0; --i) s += char((v >> (8 * i)) & 0xFF);
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

uint32_t Crc32(const std::string& bytes, size_t from)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) c = table[(c ^ uint8_t(bytes[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Chunk(std::string& png, const char* type, const std::string& data)
{
    Put32be(png, uint32_t(data.size()));
    const size_t start = png.size();
    png += type;
    png += data;
    Put32be(png, Crc32(png, start));
}

}  // namespace

bool Shot::SaveBmp(const std::string& path) const
{
    if (width_ <= 0 || height_ <= 0) return false;
    const uint32_t stride = (uint32_t(width_) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * uint32_t(height_);
    std::string f;
    f += "BM";
    Put32le(f, 14 + 40 + imageSize);
    Put32le(f, 0);
    Put32le(f, 14 + 40);
    Put32le(f, 40);
    Put32le(f, uint32_t(width_));
    Put32le(f, uint32_t(height_));  // bottom-up
    Put16le(f, 1);
    Put16le(f, 24);
    Put32le(f, 0);
    Put32le(f, imageSize);
    Put32le(f, 2835);
    Put32le(f, 2835);
    Put32le(f, 0);
    Put32le(f, 0);
    for (int y = height_ - 1; y >= 0; --y) {
        const uint8_t* row = &rgb_[size_t(y) * size_t(width_) * 3];
        for (int x = 0; x < width_; ++x) {
            f += char(row[x * 3 + 2]);
            f += char(row[x * 3 + 1]);
            f += char(row[x * 3]);
        }
        f.append(stride - uint32_t(width_) * 3, '\0');
    }
    return WriteFile(path, f);
}

// Deflate's stored blocks need no compressor: a screenshot stays small enough for an artefact.
bool Shot::SavePng(const std::string& path) const
{
    if (width_ <= 0 || height_ <= 0) return false;
    std::string raw;
    raw.reserve(size_t(height_) * (size_t(width_) * 3 + 1));
    for (int y = 0; y < height_; ++y) {
        raw += '\0';  // filter: none
        raw.append(reinterpret_cast<const char*>(&rgb_[size_t(y) * size_t(width_) * 3]), size_t(width_) * 3);
    }
    std::string z;
    z += char(0x78);
    z += char(0x01);
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 65535);
        z += char(at + n == raw.size() ? 1 : 0);
        Put16le(z, uint16_t(n));
        Put16le(z, uint16_t(~n));
        z.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (char c : raw) {
        a = (a + uint8_t(c)) % 65521;
        b = (b + a) % 65521;
    }
    Put32be(z, (b << 16) | a);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    Put32be(header, uint32_t(width_));
    Put32be(header, uint32_t(height_));
    header += char(8);  // bits per sample
    header += char(2);  // truecolour
    header += std::string(3, '\0');
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", "");
    return WriteFile(path, png);
}

std::string Shot::SaveArtifact(const std::string& name) const
{
    const std::string path = ArtifactsDir() + "\\" + name + ".png";
    return SavePng(path) ? path : std::string();
}

}  // namespace testshot
