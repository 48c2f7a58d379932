#pragma once
// What the capture thread's tests share: a terminal on the far end of a COM pair that decodes everything the
// driver sends and answers as scripted, windows that keep changing or stay put on the Xvfb display, a series
// that records what a fill gives it, and the capture thread's message sink.

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Handles.h"
#include "mirror/BitmapCapture.h"
#include "support/TerminalDecoder.h"
#include "support/TerminalStandIn.h"

namespace capturetest {

// Decodes on its own thread and answers each "Read Status" and each frame trailer.
class ScriptedTerminal {
public:
    struct Received {
        TerminalEvent::Kind kind;
        DWORD tick;
        bool full = false;
        bool keepAlive = false;
        bool ok = true;
        BYTE transferNo = 0;
        // Frames this one is ahead of the last transfer number reported so far.
        int ahead = 0;
    };

    ~ScriptedTerminal() { Close(); }

    bool Open(const char* port)
    {
        if (!standIn_.Open(port)) return false;
        decoder_.SetListener([this](const TerminalEvent& e) { OnEvent(e); });
        running_ = true;
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    void Close()
    {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        standIn_.Port().Close();
    }
    // A terminal just switched on, with the standing answers: status 0, acknowledge 2 at once.
    void Reset()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        decoder_.Reset();
        events_.clear();
        answers_.clear();
        queuedAcks_.clear();
        queuedAnswers_.clear();
        status_ = 0;
        ack_ = 2;
        ackDelay_ = 0;
        reportNumbers_ = false;
        lastReported_ = 0;
    }

    // -1: no answer.
    void SetStatusAnswer(int code) { Locked([&] { status_ = code; }); }
    void SetAckAnswer(int value) { Locked([&] { ack_ = value; }); }
    void SetAckDelay(DWORD ms) { Locked([&] { ackDelay_ = ms; }); }
    // Reports each frame's transfer number instead of acknowledging it.
    void SetReportNumbers(bool on) { Locked([&] { reportNumbers_ = on; }); }
    // Answers for the next frames, before the standing one.
    void QueueAcks(const std::vector<int>& values) { Locked([&] { queuedAcks_.insert(queuedAcks_.end(), values.begin(), values.end()); }); }
    // Whole answers for the next frames (any frames of the terminal's), before the acknowledges queued or
    // standing; an empty one is no answer.
    void QueueAnswers(const std::vector<std::string>& answers)
    {
        Locked([&] { queuedAnswers_.insert(queuedAnswers_.end(), answers.begin(), answers.end()); });
    }

    // Sent as soon as the terminal's thread gets to it.
    void SendNow(const std::string& bytes) { Locked([&] { answers_.push_back({bytes, GetTickCount()}); }); }

    std::vector<Received> Events()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    int CountOf(TerminalEvent::Kind kind)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const Received& r : events_) n += r.kind == kind ? 1 : 0;
        return n;
    }
    // Frames that carried pixels or a keep-alive, sound ones only.
    int Frames() { return CountOf(TerminalEvent::Kind::Frame); }
    TerminalPicture Picture()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return decoder_.Picture();
    }
    std::string Errors()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return decoder_.ErrorText();
    }
    int ErrorCount()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return decoder_.ErrorCount();
    }
    // Waits (pumping this thread's messages) until the condition holds; false after timeoutMs.
    bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
    // Once the driver's port is closed: waits until the terminal has read and decoded all it was sent (a read
    // that found nothing after this call). False when that did not happen within timeoutMs.
    bool Drain(DWORD timeoutMs = 5000)
    {
        const int asked = ++drainAsked_;
        return WaitUntil([&] { return drainedAt_ >= asked; }, timeoutMs);
    }

private:
    template <class F>
    void Locked(F f)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        f();
    }
    struct Answer {
        std::string bytes;
        DWORD due;
        bool report = false;
        BYTE number = 0;
    };

    void OnEvent(const TerminalEvent& e)
    {
        // Called inside Feed, with the lock held.
        Received r{e.kind, GetTickCount(), e.full, e.keepAlive, e.ok, e.transferNo,
                   int(BYTE(e.transferNo - lastReported_))};
        events_.push_back(r);
        const DWORD now = GetTickCount();
        if (e.kind == TerminalEvent::Kind::ReadStatus && status_ >= 0)
            answers_.push_back({TerminalStandIn::StatusReply(BYTE(status_)), now});
        if (e.kind == TerminalEvent::Kind::Frame && e.ok && !queuedAnswers_.empty()) {
            if (!queuedAnswers_.front().empty()) answers_.push_back({queuedAnswers_.front(), now + ackDelay_});
            queuedAnswers_.pop_front();
        } else if (e.kind == TerminalEvent::Kind::Frame && e.ok) {
            int ack = ack_;
            if (!queuedAcks_.empty()) {
                ack = queuedAcks_.front();
                queuedAcks_.pop_front();
            }
            if (ack >= 0) {
                if (reportNumbers_)
                    answers_.push_back({TerminalStandIn::TransferNumber(e.transferNo), now + ackDelay_, true,
                                        e.transferNo});
                else
                    answers_.push_back({TerminalStandIn::Acknowledge(BYTE(ack)), now + ackDelay_});
            }
        }
    }

    void Run()
    {
        char buffer[4096];
        while (running_) {
            const int asked = drainAsked_;
            const long n = standIn_.Port().ReadSome(buffer, sizeof buffer, 5);
            std::vector<Answer> due;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (n > 0) decoder_.Feed(buffer, size_t(n));
                const DWORD now = GetTickCount();
                for (auto it = answers_.begin(); it != answers_.end();) {
                    if (LONG(now - it->due) >= 0) {
                        due.push_back(*it);
                        it = answers_.erase(it);
                    } else {
                        ++it;
                    }
                }
            }
            for (const Answer& a : due) {
                standIn_.Send(a.bytes);
                if (a.report) Locked([&] { lastReported_ = a.number; });
            }
            // Nothing came (Wine ends an empty read with a time-out error).
            if (n <= 0) drainedAt_ = asked;
            if (n < 0) Sleep(5);
        }
    }

    TerminalStandIn standIn_;
    TerminalDecoder decoder_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int> drainAsked_{0};
    std::atomic<int> drainedAt_{0};
    std::mutex mutex_;
    std::vector<Received> events_;
    std::vector<Answer> answers_;
    std::deque<int> queuedAcks_;
    std::deque<std::string> queuedAnswers_;
    int status_ = 0;
    int ack_ = 2;
    DWORD ackDelay_ = 0;
    bool reportNumbers_ = false;
    BYTE lastReported_ = 0;
};

inline void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() - start >= ms) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

inline bool ScriptedTerminal::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Pump(10);
    }
    return true;
}

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
