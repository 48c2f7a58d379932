#pragma once
// Screenshots for tests: what the screen shows in a rectangle (or what a DC holds), read at pixels and kept as
// artefacts under the build folder for a person to look at.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testshot {

// $BUILD_DIR/artifacts (the environment's BUILD_DIR, else the folder above the test executable's), made when
// missing; Windows path without a trailing backslash.
std::string ArtifactsDir();

class Shot {
public:
    // The screen's pixels in r (screen coordinates).
    static Shot OfScreen(const RECT& r);
    // A window as the screen shows it, frame included.
    static Shot OfWindow(HWND window);
    // Pixels (0,0)-(width,height) of a DC (a memory DC holding a bitmap, say).
    static Shot OfDC(HDC dc, int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Screen point of pixel (0,0) for OfScreen and OfWindow.
    POINT Origin() const { return origin_; }
    // RGB at a pixel of the shot; CLR_INVALID outside.
    COLORREF At(int x, int y) const;
    // RGB at a screen point.
    COLORREF AtScreen(int x, int y) const { return At(x - origin_.x, y - origin_.y); }

    // 24-bit files a viewer opens; false when the file cannot be written.
    bool SaveBmp(const std::string& path) const;
    bool SavePng(const std::string& path) const;
    // NAME.png in ArtifactsDir(); the path written, empty on failure.
    std::string SaveArtifact(const std::string& name) const;

private:
    static Shot Grab(HDC source, int left, int top, int width, int height);

    int width_ = 0;
    int height_ = 0;
    POINT origin_{0, 0};
    std::vector<uint8_t> rgb_;  // top-down rows, 3 bytes a pixel: red, green, blue
};

}  // namespace testshot
