#pragma once
// The mirroring loop of one transfer: handshakes with the terminal, captures the desktop area or the target
// application's window, has each picture reduced, encoded and queued on the link, waits for the terminal to
// take it, keeps the transfer statistics and paces itself.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/SyncObjs.h"
#include "framework/runtime/Thread.h"
#include "link/SerialIO.h"
#include "mirror/ColorReduction.h"
#include "mirror/FrameEncoder.h"

// Where the thread's messages go, on the main thread: the main window's message box (kind 2: information).
// Unset, a plain information box is shown.
using KvCaptureMessageSink = std::function<void(int kind, const AnsiString& text)>;
void SetCaptureMessageSink(KvCaptureMessageSink sink);

// The area of the desktop captured for a "Desktop" setting, kept within the screen.
RECT KvDesktopArea(const AnsiString& setting, int screenWidth, int screenHeight);

// Counters of each histogram.
constexpr int KvSizeStatisticsCount = 300;
constexpr int KvPackTimeStatisticsCount = 400;
constexpr int KvAcknowledgeDelayStatisticsCount = 600;
// A handshake cycle that got an answer but no go-ahead (a hold, an unknown status code) waits this long before
// the next one, so a terminal that answers at once does not get a stream of status requests.
constexpr DWORD KvHoldPauseMs = 100;

class KvBitmapCaptureThread : public TThread {
public:
    // The link is not owned; it must outlive the thread.
    KvBitmapCaptureThread(bool createSuspended, KvSerialIO* link);
    ~KvBitmapCaptureThread() override;

    // Main thread, before the thread runs.
    void Start();
    void Ping();
    // Any thread: the loop ends at its next cycle, cutting short any wait or pause.
    void Stop();
    // Main thread: resumes the thread if need be and waits for its end, serving its synchronised calls.
    void WaitForEnd();

    // Main thread, after WaitForEnd: the histograms into chart series (anything with Clear and AddXY).
    // False for a null series.
    template <class Series>
    bool FillSizeStatistics(Series* series) const { return Fill(series, sizeStatistics_, 1, clRed); }
    template <class Series>
    bool FillPackTimeStatistics(Series* series) const { return Fill(series, packTimeStatistics_, 5, clGreen); }
    template <class Series>
    bool FillAcknowledgeDelayStatistics(Series* series) const
    {
        return Fill(series, acknowledgeDelayStatistics_, 5, clYellow);
    }

    const std::vector<int>& SizeStatistics() const { return sizeStatistics_; }
    const std::vector<int>& PackTimeStatistics() const { return packTimeStatistics_; }
    const std::vector<int>& AcknowledgeDelayStatistics() const { return acknowledgeDelayStatistics_; }

    // Settings as read at the last start.
    int DelayAfterSend() const { return delayAfterSend_; }
    bool BeepAfterSend() const { return beepAfterSend_; }
    bool ObservePalette() const { return observePalette_; }
    const RECT& DesktopArea() const { return desktopArea_; }
    const AnsiString& ApplicationPath() const { return applicationPath_; }

    // The last index of a histogram shown by its fill: five past the last counted value, within the array.
    static int FillEnd(const std::vector<int>& counters);

protected:
    void Execute() override;

    // Clears the frames, statistics and encoder state, reads the settings and makes a colour cache.
    void Reset();
    void ReadSettings();
    void ShowMessage();
    // The picture of this cycle (null when none could be made). A derived class that replaces it must end the
    // thread (Stop, WaitForEnd) in its own destructor.
    virtual BitmapHandle CaptureFrame();

private:
    template <class Series>
    static bool Fill(Series* series, const std::vector<int>& counters, int step, TColor color)
    {
        if (!series) return false;
        series->Clear();
        const int end = FillEnd(counters);
        for (int i = 0; i <= end; ++i)
            if (counters[size_t(i)]) series->AddXY(double(i * step), double(counters[size_t(i)]), AnsiString(), color);
        return true;
    }

    void Cycle(DWORD charsPerSecond);
    // Sends "Read Status" and waits up to 1000 ms for a stored reply; the acknowledge that came with it.
    bool Handshake(BYTE& acknowledge);
    // Waits on the link's event; false on a time-out.
    bool WaitNextTransfer(DWORD timeoutMs);
    // A pause that Stop cuts short.
    void Pause(DWORD ms);
    void DropFrames();
    void SetMessage(const char* text) { message_ = text; }
    void CloseLink();

    KvSerialIO* link_;  // not owned
    KvColorReduction reduction_;
    KvReductionRows<KvColorReduction> rows_{reduction_};
    KvLinkFrameSink<KvSerialIO> sink_;
    KvFrameEncoder encoder_;

    std::atomic<bool> stop_{false};
    bool ping_ = false;
    bool started_ = false;

    std::vector<int> sizeStatistics_;
    std::vector<int> packTimeStatistics_;
    std::vector<int> acknowledgeDelayStatistics_;

    RECT desktopArea_{};
    AnsiString applicationPath_;
    HWND targetWindow_ = nullptr;
    AnsiString message_;

    BitmapHandle currentFrame_;
    BitmapHandle previousFrame_;

    TEvent nextTransfer_;
    TEvent stopEvent_;

    int delayAfterSend_ = 200;
    bool beepAfterSend_ = false;
    bool transferMouse_ = true;
    bool observePalette_ = false;

    // Loop state.
    bool handshakeDue_ = true;
    bool handshakeAnswered_ = false;
    bool hold_ = false;
};
