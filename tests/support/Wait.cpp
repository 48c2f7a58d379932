#include "Wait.h"

#include <algorithm>

namespace testwait {

void ServeMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, const std::function<void()>& serve)
{
    const DWORD start = GetTickCount();
    for (;;) {
        serve();
        if (done()) return true;
        const DWORD passed = GetTickCount() - start;
        if (passed >= timeoutMs) return false;
        // Wakes for new messages at once; the bound keeps conditions set by other threads seen promptly.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(5, timeoutMs - passed), QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms, const std::function<void()>& serve)
{
    PumpUntil([] { return false; }, ms, serve);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(5);
    }
}

namespace {

BOOL CALLBACK NoteUpdatePending(HWND child, LPARAM found)
{
    RECT r;
    if (!GetUpdateRect(child, &r, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

}  // namespace

bool UpdatePending(HWND wnd)
{
    RECT r;
    if (GetUpdateRect(wnd, &r, FALSE)) return true;
    bool pending = false;
    EnumChildWindows(wnd, NoteUpdatePending, reinterpret_cast<LPARAM>(&pending));
    return pending;
}

bool AwaitPainted(HWND wnd, DWORD timeoutMs)
{
    return PumpUntil([&] {
        // A sent message returns once the window's thread has taken its messages again, so what it was doing
        // when asked (showing a page, say) is done and has asked for its paint.
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer)) return false;
        return !UpdatePending(wnd);
    }, timeoutMs);
}

}  // namespace testwait
