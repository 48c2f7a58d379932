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

}  // namespace testwait
