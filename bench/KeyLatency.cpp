// Key latency: from the last byte of a key frame written by the terminal stand-in to the key message at a
// window, through the COM pair, the link's reader thread and the system's input queue. The baseline in the
// same run is a key event sent from a thread of this program straight to the same window.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "framework/runtime/Registry.h"
#include "link/Serial.h"
#include "support/TerminalStandIn.h"
#include "zcl/core/Zclinictrl.h"

namespace {

constexpr int Runs = 200;
constexpr const char* KeyPath = "Software\\DravikTest\\Bench\\KeyLatency";

LARGE_INTEGER keyArrived;
int keyMessages = 0;

double Ms(LONGLONG ticks)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(ticks) * 1000.0 / double(f.QuadPart);
}

LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN || msg == WM_KEYUP) {
        QueryPerformanceCounter(&keyArrived);
        ++keyMessages;
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// Serves messages until one more key message came; false after 2 s.
bool WaitForKey(int before)
{
    const DWORD start = GetTickCount();
    while (keyMessages == before) {
        if (GetTickCount() - start > 2000) return false;
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        if (keyMessages == before) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return true;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One thread of this program that sends a key event each time it is told to.
struct Direct {
    HANDLE go;
    HANDLE done;
    LARGE_INTEGER sent;
    DWORD flags;
    bool stop;
};

DWORD WINAPI DirectSender(void* p)
{
    auto* d = static_cast<Direct*>(p);
    const BYTE scan = BYTE(MapVirtualKeyA(VK_F1, 0));
    for (;;) {
        WaitForSingleObject(d->go, INFINITE);
        if (d->stop) break;
        QueryPerformanceCounter(&d->sent);
        keybd_event(VK_F1, scan, d->flags, 0);
        SetEvent(d->done);
    }
    return 0;
}

}  // namespace

int main()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvKeyLatencyBench";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                               nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(wnd);
    SetFocus(wnd);

    // Baseline: the system's own path from a key event to the window.
    std::vector<double> direct;
    Direct d{CreateEventA(nullptr, FALSE, FALSE, nullptr), CreateEventA(nullptr, FALSE, FALSE, nullptr), {}, 0, false};
    HANDLE sender = CreateThread(nullptr, 0, DirectSender, &d, 0, nullptr);
    for (int i = 0; i < Runs * 2; ++i) {
        d.flags = i % 2 ? KEYEVENTF_KEYUP : 0;
        const int before = keyMessages;
        SetEvent(d.go);
        WaitForSingleObject(d.done, INFINITE);
        if (WaitForKey(before)) direct.push_back(Ms(keyArrived.QuadPart - d.sent.QuadPart));
    }
    d.stop = true;
    SetEvent(d.go);
    WaitForSingleObject(sender, INFINITE);
    CloseHandle(sender);
    CloseHandle(d.go);
    CloseHandle(d.done);

    auto settings = std::make_unique<TZCLIniCtrl>(nullptr);
    settings->SetRegRoot(rpCurrentUser);
    settings->SetRegPath(KeyPath);
    settings->WriteString("Communication", "Port", "COM5");
    settings->WriteString("Communication", "Parameter", "baud=115200 parity=N data=8 stop=1 protocol=N");
    KvSerialIO::SetSettings(settings.get());

    std::vector<double> link;
    {
        TerminalStandIn terminal;
        KvSerialIO io;
        if (!terminal.Open("COM6") || !io.OpenConnection()) {
            printf("KeyLatency: the COM pair COM5/COM6 cannot be opened\n");
            return 1;
        }
        for (int i = 0; i < Runs * 2; ++i) {
            std::array<WORD, 4> keys{};
            keys[0] = WORD(i % 2 ? 0 : 1);  // F1 down, then up
            const std::string frame = TerminalStandIn::KeyBitmap(keys);
            const int before = keyMessages;
            LARGE_INTEGER sent;
            terminal.Send(frame);
            QueryPerformanceCounter(&sent);
            if (WaitForKey(before)) link.push_back(Ms(keyArrived.QuadPart - sent.QuadPart));
        }
        io.CloseConnection();
    }
    KvSerialIO::SetSettings(nullptr);
    settings.reset();
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.DeleteKey(AnsiString("\\") + KeyPath);

    const double base = Median(direct);
    const double total = Median(link);
    printf("KeyLatency: %d key events each way\n", Runs * 2);
    printf("  key event to window (baseline)          median %7.3f ms (%zu samples)\n", base, direct.size());
    printf("  key frame's last byte to key at window  median %7.3f ms (%zu samples), %.1f x baseline\n", total,
           link.size(), base > 0 ? total / base : 0.0);
    DestroyWindow(wnd);
    return 0;
}
