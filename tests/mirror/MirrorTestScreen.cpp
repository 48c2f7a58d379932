#include "MirrorTestScreen.h"

#include <stdexcept>

namespace mirrortest {

LRESULT CALLBACK PictureWindow::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        auto* self = reinterpret_cast<PictureWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT client;
        GetClientRect(wnd, &client);
        if (self && self->solid_ != CLR_INVALID) {
            BrushHandle brush(CreateSolidBrush(self->solid_));
            FillRect(dc, &client, brush.get());
        } else if (self) {
            for (int y = 0; y < client.bottom; y += BlockSize)
                for (int x = 0; x < client.right; x += BlockSize) {
                    BrushHandle brush(CreateSolidBrush(PictureColor(self->x_ + x, self->y_ + y)));
                    RECT r{x, y, x + BlockSize, y + BlockSize};
                    FillRect(dc, &r, brush.get());
                }
        }
        EndPaint(wnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

PictureWindow::PictureWindow(int x, int y, int w, int h, COLORREF solid) : solid_(solid), x_(x), y_(y)
{
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &PictureWindow::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MirrorTestPicture";
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        return RegisterClassA(&wc);
    }();
    (void)atom;
    window_.reset(CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "MirrorTestPicture", "Mirror test picture",
                                  WS_POPUP, x, y, w, h, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    if (!window_) throw std::runtime_error("CreateWindowEx failed");
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
    UpdateWindow(window_.get());
    testwait::PumpFor(200);
}

Section MakeSection(int width, int height, int bits, DWORD compression, DWORD r, DWORD g, DWORD b,
                    const std::vector<RGBQUAD>& table)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } info{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = width;
    info.h.biHeight = -height;
    info.h.biPlanes = 1;
    info.h.biBitCount = WORD(bits);
    info.h.biCompression = compression;
    if (compression == BI_BITFIELDS) {
        DWORD masks[3] = {r, g, b};
        std::memcpy(info.colors, masks, sizeof(masks));
    } else if (bits <= 8) {
        const std::size_t n = table.empty() ? std::size_t(1) << bits : table.size();
        for (std::size_t i = 0; i < n && i < 256; ++i)
            info.colors[i] = table.empty() ? RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0} : table[i];
        info.h.biClrUsed = DWORD(n);
    }
    Section s;
    void* pixels = nullptr;
    s.bitmap.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels,
                                    nullptr, 0));
    if (!s.bitmap || !ReadSection(s.bitmap.get(), s.ds)) throw std::runtime_error("CreateDIBSection failed");
    return s;
}

bool ReadSection(HBITMAP bitmap, DIBSECTION& ds)
{
    std::memset(&ds, 0, sizeof(ds));
    return GetObjectA(bitmap, sizeof(ds), &ds) == sizeof(ds);
}

PixelReader::PixelReader(HBITMAP bitmap)
{
    if (!ReadSection(bitmap, ds_)) throw std::runtime_error("not a DIB section");
    if (ds_.dsBm.bmBitsPixel <= 8) {
        MemoryDC dc(CreateCompatibleDC(nullptr));
        SelectedObject selected(dc.get(), bitmap);
        GetDIBColorTable(dc.get(), 0, 256, table_);
    }
}

std::uint32_t PixelReader::Raw(int x, int y) const
{
    const auto* row = static_cast<const std::uint8_t*>(ds_.dsBm.bmBits) + std::ptrdiff_t(ds_.dsBm.bmWidthBytes) * y;
    switch (ds_.dsBm.bmBitsPixel) {
    case 8: return row[x];
    case 16: return std::uint32_t(row[2 * x]) | std::uint32_t(row[2 * x + 1]) << 8;
    case 24: return std::uint32_t(row[3 * x]) | std::uint32_t(row[3 * x + 1]) << 8 | std::uint32_t(row[3 * x + 2]) << 16;
    case 32: {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v;
    }
    default: throw std::runtime_error("pixel format not read by the tests");
    }
}

COLORREF PixelReader::At(int x, int y) const
{
    const std::uint32_t v = Raw(x, y);
    switch (ds_.dsBm.bmBitsPixel) {
    case 8: return RGB(table_[v].rgbRed, table_[v].rgbGreen, table_[v].rgbBlue);
    case 16:
        if (ds_.dsBmih.biCompression == BI_BITFIELDS && ds_.dsBitfields[0] == 0xF800)
            return RGB(((v >> 11) & 0x1F) << 3, ((v >> 5) & 0x3F) << 2, (v & 0x1F) << 3);
        return RGB(((v >> 10) & 0x1F) << 3, ((v >> 5) & 0x1F) << 3, (v & 0x1F) << 3);
    default: return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
}

}  // namespace mirrortest
