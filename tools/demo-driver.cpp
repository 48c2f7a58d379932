// Demo driver: runs the product's link and mirroring loop on a serial port for a few seconds while a window with
// moving pictures is on the desktop, so a terminal (or tools/terminal.exe on the other end of a port pair) shows it.
// Settings go to a registry key of the demo's own under HKEY_CURRENT_USER.
//
//   demo-driver.exe [--port COM5] [--seconds 5]

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "framework/visual/Forms.h"
#include "framework/runtime/SysUtils.h"
#include "link/SerialIO.h"
#include "mirror/BitmapCapture.h"
#include "zcl/core/Zclinictrl.h"

namespace {

const char* const kDemoKey = "Software\\DravikREMOTE Demo\\";

LRESULT CALLBACK DemoWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT r;
        GetClientRect(wnd, &r);
        const DWORD t = GetTickCount() / 40;
        HBRUSH back = CreateSolidBrush(RGB(0, 0, 128));
        FillRect(dc, &r, back);
        DeleteObject(back);
        const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 200, 0), RGB(255, 255, 0), RGB(255, 255, 255)};
        for (int i = 0; i < 4; ++i) {
            const int x = int((t * (i + 2) + i * 97) % 560);
            RECT box{x, 60 + i * 90, x + 80, 120 + i * 90};
            HBRUSH b = CreateSolidBrush(colours[i]);
            FillRect(dc, &box, b);
            DeleteObject(b);
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        const char* text = "DravikREMOTE - Windows Terminal Device Driver";
        TextOutA(dc, 20, 20, text, int(std::strlen(text)));
        EndPaint(wnd, &ps);
        return 0;
    }
    if (msg == WM_TIMER) {
        InvalidateRect(wnd, nullptr, FALSE);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

HWND MakeDemoWindow()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DemoWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "DravikDemoPicture";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Demo", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                               nullptr, nullptr, wc.hInstance, nullptr);
    SetTimer(wnd, 1, 100, nullptr);
    return wnd;
}

void WriteSettings(TZCLIniCtrl& settings, const AnsiString& port)
{
    settings.WriteString("Communication", "Port", port);
    settings.WriteString("Communication", "Parameter", "baud=115200 parity=N data=8 stop=1 protocol=N");
    settings.WriteString("Communication", "DelayAfterSend", "100");
    settings.WriteString("Application", "Mode", "Desktop");
    settings.WriteString("Application", "Desktop", "640x480");
}

}  // namespace

int main(int argc, char** argv)
{
    AnsiString port = "COM5";
    int seconds = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0) port = AnsiString(argv[++i]).UpperCase();
        else if (std::strcmp(argv[i], "--seconds") == 0) seconds = StrToIntDef(argv[++i], 5);
    }

    TZCLIniCtrl settings(nullptr);
    settings.SetTarget(itRegistry);
    settings.SetRegRoot(rpCurrentUser);
    settings.SetRegPath(AnsiString(kDemoKey) + port);
    WriteSettings(settings, port);
    KvSerialIO::SetSettings(&settings);

    HWND picture = MakeDemoWindow();
    auto link = std::make_unique<KvSerialIO>();
    if (!link->OpenConnection()) {
        std::fprintf(stderr, "demo-driver: Not able to open the serial port %s!\n", port.c_str());
        return 1;
    }
    auto capture = std::make_unique<KvBitmapCaptureThread>(true, link.get());
    capture->Start();
    std::printf("demo-driver: mirroring the desktop to %s for %d s\n", port.c_str(), seconds);
    std::fflush(stdout);

    const DWORD start = GetTickCount();
    while (GetTickCount() - start < DWORD(seconds) * 1000) {
        Application->ProcessMessages();
        Sleep(10);
    }
    capture->Stop();
    capture->WaitForEnd();
    const auto& sizes = capture->SizeStatistics();
    int frames = 0;
    for (int n : sizes) frames += n;
    capture.reset();
    link.reset();
    KvSerialIO::SetSettings(nullptr);
    DestroyWindow(picture);
    std::printf("demo-driver: %d frames sent\n", frames);
    return frames > 0 ? 0 : 2;
}
