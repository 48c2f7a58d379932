// A program of its own with one window of a fixed picture, for the shell's tests to point the application
// mode at:  MirrorTarget.exe TITLE X Y WIDTH HEIGHT
// A left click marks its place in the picture with a black square and each key pressed adds a black bar along
// its bottom, so input that reaches the window shows in what is mirrored of it. The program ends when its
// window is closed.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<POINT> clicks;
int keys = 0;

void Paint(HDC dc, const RECT& r)
{
    // Bands of plain colours, a white field with a black frame and a line across it: a picture that shows
    // where it was cut or moved.
    const COLORREF bands[] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255), RGB(255, 255, 0), RGB(0, 255, 255)};
    const int w = r.right - r.left, h = r.bottom - r.top;
    for (int i = 0; i < 5; ++i) {
        HBRUSH brush = CreateSolidBrush(bands[i]);
        const RECT band{r.left + i * w / 5, r.top, r.left + (i + 1) * w / 5, r.top + h / 3};
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
    const RECT field{r.left, r.top + h / 3, r.right, r.bottom};
    FillRect(dc, &field, HBRUSH(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &field, HBRUSH(GetStockObject(BLACK_BRUSH)));
    MoveToEx(dc, r.left, r.top + h / 3, nullptr);
    LineTo(dc, r.right, r.bottom);
    for (const POINT& p : clicks) {
        const RECT mark{p.x - 4, p.y - 4, p.x + 5, p.y + 5};
        FillRect(dc, &mark, HBRUSH(GetStockObject(BLACK_BRUSH)));
    }
    for (int i = 0; i < keys; ++i) {
        const RECT bar{r.left + 8 + 12 * i, r.bottom - 14, r.left + 16 + 12 * i, r.bottom - 6};
        FillRect(dc, &bar, HBRUSH(GetStockObject(BLACK_BRUSH)));
    }
}

LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT r;
        GetClientRect(wnd, &r);
        Paint(dc, r);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        clicks.push_back(POINT{short(LOWORD(lp)), short(HIWORD(lp))});
        InvalidateRect(wnd, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN:
        ++keys;
        InvalidateRect(wnd, nullptr, FALSE);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 6) return 2;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "MirrorTarget";
    if (!RegisterClassA(&wc)) return 3;
    // Topmost, so nothing the test opens covers it; a tool window, so the taskbar stays as it is.
    HWND wnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "MirrorTarget", __argv[1], WS_POPUP | WS_VISIBLE,
                               std::atoi(__argv[2]), std::atoi(__argv[3]), std::atoi(__argv[4]),
                               std::atoi(__argv[5]), nullptr, nullptr, instance, nullptr);
    if (!wnd) return 4;
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
