#pragma once
// What the capture thread's tests share: the answering terminal on the far end of a COM pair, windows that keep
// changing or stay put on the Xvfb display, a series that records what a fill gives it, and the capture
// thread's message sink.

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Handles.h"
#include "mirror/BitmapCapture.h"
#include "support/AnsweringTerminal.h"
#include "support/Wait.h"

namespace capturetest {

// The answering terminal, waited on while this thread's messages are served.
class ScriptedTerminal : public AnsweringTerminal {
public:
    // Waits (pumping this thread's messages) until the condition holds; false after timeoutMs.
    bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
    {
        return testwait::PumpUntil(condition, timeoutMs);
    }
};

// A window on a thread of its own, painted in one colour that it changes every periodMs (0: never) until
// told otherwise; titled and ownerless, so it counts as its program's window.
class TestWindow {
public:
    TestWindow(int x, int y, int w, int h, DWORD periodMs, const char* title = "Capture test window",
               DWORD style = WS_POPUP | WS_VISIBLE)
    {
        std::mutex m;
        std::condition_variable ready;
        bool made = false;
        thread_ = std::thread([&, x, y, w, h, periodMs, title, style] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &TestWindow::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "CaptureTestWindow";
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            RegisterClassA(&wc);
            HWND wnd = CreateWindowExA(WS_EX_TOPMOST, "CaptureTestWindow", title, style, x, y, w, h, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
            SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            if (periodMs) SetTimer(wnd, 1, periodMs, nullptr);
            InvalidateRect(wnd, nullptr, TRUE);
            {
                std::lock_guard<std::mutex> lock(m);
                window_ = wnd;
                threadId_ = GetCurrentThreadId();
                made = true;
            }
            ready.notify_one();
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            DestroyWindow(wnd);
        });
        std::unique_lock<std::mutex> lock(m);
        ready.wait(lock, [&] { return made; });
    }
    ~TestWindow()
    {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        if (thread_.joinable()) thread_.join();
    }
    HWND get() const { return window_; }
    void SetColor(COLORREF color)
    {
        color_ = color;
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }
    // Number of colour changes so far.
    int Changes() const { return changes_; }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        switch (msg) {
        case WM_TIMER:
            if (self) {
                self->color_ = self->color_ == RGB(255, 0, 0) ? RGB(0, 0, 255) : RGB(255, 0, 0);
                ++self->changes_;
                InvalidateRect(wnd, nullptr, TRUE);
            }
            return 0;
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(wnd, &ps);
            RECT rc;
            GetClientRect(wnd, &rc);
            HBRUSH brush = CreateSolidBrush(self ? COLORREF(self->color_) : RGB(255, 0, 0));
            FillRect(dc, &rc, brush);
            DeleteObject(brush);
            EndPaint(wnd, &ps);
            return 0;
        }
        default: return DefWindowProcA(wnd, msg, wParam, lParam);
        }
    }

    std::thread thread_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::atomic<COLORREF> color_{RGB(255, 0, 0)};
    std::atomic<int> changes_{0};
};

// A series as the chart's: records what a fill does to it.
struct RecordingSeries {
    struct Point {
        double x, y;
        AnsiString label;
        TColor color;
    };
    std::vector<std::string> calls;
    std::vector<Point> points;
    void Clear()
    {
        calls.push_back("Clear");
        points.clear();
    }
    int AddXY(double x, double y, const AnsiString& label, TColor color)
    {
        calls.push_back("AddXY");
        points.push_back({x, y, label, color});
        return int(points.size()) - 1;
    }
};

// The capture thread's messages, as the main window would get them.
class MessageRecorder {
public:
    MessageRecorder()
    {
        SetCaptureMessageSink([this](int kind, const AnsiString& text) {
            std::lock_guard<std::mutex> lock(mutex_);
            kinds_.push_back(kind);
            texts_.push_back(text.c_str());
            threads_.push_back(GetCurrentThreadId());
        });
    }
    ~MessageRecorder() { SetCaptureMessageSink(nullptr); }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }
    std::vector<int> Kinds()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return kinds_;
    }
    std::vector<DWORD> Threads()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return threads_;
    }

private:
    std::mutex mutex_;
    std::vector<int> kinds_;
    std::vector<std::string> texts_;
    std::vector<DWORD> threads_;
};

}  // namespace capturetest
