#include "framework/visual/Messages.h"

#include "framework/visual/Forms.h"

namespace {

const char UtilWindowClass[] = "TPUtilWindow";

LRESULT CALLBACK UtilWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* stored = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    // Messages of CreateWindowEx come before the method is attached, and none after it is gone.
    if (!stored || !*stored) return DefWindowProcA(wnd, msg, wParam, lParam);
    // A copy: the method may free its own window.
    const TWndMethod method = *stored;
    TMessage message{msg, wParam, lParam, 0};
    try {
        method(message);
    } catch (...) {
        if (TApplication* app = TApplicationRef::Get()) app->HandleException(nullptr);
        return 0;
    }
    return message.Result;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, UtilWindowClass, &wc)) {
        wc.lpfnWndProc = &UtilWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = UtilWindowClass;
        RegisterClassA(&wc);
    }
    const HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     instance, nullptr);
    if (!wnd) return nullptr;
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(method)));
    return wnd;
}

void DeallocateHWnd(HWND wnd)
{
    if (!wnd) return;
    auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    DestroyWindow(wnd);
    delete method;
}
