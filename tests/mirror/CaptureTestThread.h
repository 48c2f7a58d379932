#pragma once
// The capture thread as the tests run it: waits a test can shorten, and a picture that a test can make change
// every cycle or take a pattern, on top of the real capture; the tick of each capture.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "framework/runtime/Handles.h"
#include "mirror/BitmapCapture.h"

namespace capturetest {

// A 640 x 480 picture of 4 bits a pixel: a screen format the capture thread does not support.
inline BitmapHandle FourBitScreenPicture()
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[16];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 640;
    info.header.biHeight = -480;
    info.header.biPlanes = 1;
    info.header.biBitCount = 4;
    info.header.biClrUsed = 16;
    for (int i = 0; i < 16; ++i) info.colors[i] = RGBQUAD{BYTE(i * 16), BYTE(i * 16), BYTE(i * 16), 0};
    void* bits = nullptr;
    return BitmapHandle(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
}

class TestCaptureThread : public KvBitmapCaptureThread {
public:
    enum class Picture {
        Screen,    // the capture as it is
        Changing,  // a small block in the top left corner changes colour every cycle
        Checkers,  // every pixel differs from its neighbours: frames of over 300 KB
        FourBit,   // a screen of 4 bits per pixel: a format the reduction cannot take, which no display here has
    };

    explicit TestCaptureThread(KvSerialIO* link, const KvCaptureWaits& waits = {}) : KvBitmapCaptureThread(true, link)
    {
        SetWaits(waits);
    }
    ~TestCaptureThread() override
    {
        // CaptureFrame uses this object's members.
        if (!Suspended()) {
            Stop();
            WaitForEnd();
        }
    }

    using KvBitmapCaptureThread::SetWaits;

    // Before the thread runs.
    void SetPicture(Picture picture) { picture_ = picture; }
    // Any time: the next capture puts this palette in place first (as a palette change elsewhere would).
    void ReplacePaletteOnce(HPALETTE palette) { replacement_ = palette; }

    // After the thread's end.
    std::vector<DWORD> CaptureTicks()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return ticks_;
    }
    int Captures()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return int(ticks_.size());
    }

protected:
    BitmapHandle CaptureFrame() override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ticks_.push_back(GetTickCount());
        }
        if (HPALETTE p = replacement_.exchange(nullptr)) Reduction().UpdatePalette(p);
        if (picture_ == Picture::FourBit) return FourBitScreenPicture();
        BitmapHandle picture = KvBitmapCaptureThread::CaptureFrame();
        if (picture && picture_ != Picture::Screen) Paint(picture.get());
        return picture;
    }

private:
    void Paint(HBITMAP section)
    {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        HGDIOBJ old = SelectObject(dc.get(), section);
        if (picture_ == Picture::Changing) {
            const RECT block{0, 0, 8, 8};
            BrushHandle brush(CreateSolidBrush(++cycle_ % 2 ? RGB(255, 255, 255) : RGB(0, 0, 0)));
            FillRect(dc.get(), &block, brush.get());
        } else {
            // A one-pixel checker board, its phase turned every cycle: no pixel repeats its left neighbour
            // or the one above it, so every row is 640 literals, full and differential frames alike.
            const WORD bits[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
            BitmapHandle pattern(CreateBitmap(8, 8, 1, 1, bits));
            BrushHandle brush(CreatePatternBrush(pattern.get()));
            SetTextColor(dc.get(), RGB(0, 0, 0));
            SetBkColor(dc.get(), RGB(255, 255, 255));
            SetBrushOrgEx(dc.get(), ++cycle_ % 2, 0, nullptr);
            HGDIOBJ oldBrush = SelectObject(dc.get(), brush.get());
            PatBlt(dc.get(), 0, 0, 640, 480, PATCOPY);
            SelectObject(dc.get(), oldBrush);
        }
        GdiFlush();
        SelectObject(dc.get(), old);
    }

    Picture picture_ = Picture::Screen;
    int cycle_ = 0;
    std::atomic<HPALETTE> replacement_{nullptr};
    std::mutex mutex_;
    std::vector<DWORD> ticks_;
};

}  // namespace capturetest
