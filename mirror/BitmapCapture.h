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

// The area of the desktop captured for a desktop size (0 x 0: the terminal's 640 x 480), kept within the screen.
RECT KvDesktopArea(SIZE area, int screenWidth, int screenHeight);

// Counters of each histogram.
constexpr int KvSizeStatisticsCount = 300;
constexpr int KvPackTimeStatisticsCount = 400;
constexpr int KvAcknowledgeDelayStatisticsCount = 600;

// What the terminal's acknowledge of a frame asks for.
enum KvAcknowledgeCode : BYTE {
    KvAckFullFrame = 0,  // go on, with a full frame next
    KvAckHold = 1,       // wait: handshakes only until it lets go
    KvAckGoOn = 2,
    KvAckNone = 0xFF,    // no acknowledge came
};

// The terminal's answer to "Read Status".
enum KvStatusCode : BYTE {
    KvStatusNoError = 0,
    KvStatusFullFrame = 1,   // it waits for a frame that is not differential
    KvStatusTimeout = 2,     // it detected a time-out
    KvStatusChecksum = 3,    // it detected a checksum error: the next frame is full
    KvStatusPalette = 4,     // the palette went wrong: it is sent again with a full frame
    KvStatusMouse = 5,       // the cursor position went wrong
};

// The thread's waits, in ms.
struct KvCaptureWaits {
    DWORD handshake = 1000;     // for the answer to "Read Status"
    DWORD frameExtra = 3000;    // for a frame's acknowledge, past the time the line needs for it
    DWORD noTarget = 1000;      // after a cycle in application mode without the application's window
    // After a handshake that got an answer but no go-ahead (a hold, an unknown status code), so a terminal that
    // answers at once does not get a stream of status requests.
    DWORD holdPause = 100;
};

// Threads: the main thread (construction, Start, Ping, WaitForEnd, the statistics and the destructor; the
// settings and the messages through Synchronize while the capture thread waits) and the capture thread
// (Execute). The main thread touches the fields only before resuming the thread and after its end, except the
// stop flag; the replies and the target window are the link's, under the link's lock; the link's event is the
// only thing waited on besides the stop event.
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
    int DelayAfterSend() const { return settings_.delayAfterSend; }
    bool BeepAfterSend() const { return settings_.beepAfterSend; }
    bool ObservePalette() const { return settings_.observePalette; }
    const RECT& DesktopArea() const { return desktopArea_; }
    const AnsiString& ApplicationPath() const { return settings_.applicationName; }

    // The last index of a histogram shown by its fill: five past the last counted value, within the array.
    static int FillEnd(const std::vector<int>& counters);

protected:
    void Execute() override;

    // Clears the frames, statistics and encoder state, reads the settings and makes a colour cache.
    void Reset();
    // The settings the link read at its open; the store's own while the link is closed.
    void ReadSettings();
    void ShowMessage();
    // The picture of this cycle (null when none could be made). A derived class that replaces it must end the
    // thread (Stop, WaitForEnd) in its own destructor.
    virtual BitmapHandle CaptureFrame();

    // Main thread, before the thread runs.
    const KvCaptureWaits& Waits() const { return waits_; }
    void SetWaits(const KvCaptureWaits& waits) { waits_ = waits; }
    // The palette and colour reduction of the transfer (capture thread, while it runs).
    KvColorReduction& Reduction() { return reduction_; }

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

    // One turn of the loop, and its parts in order.
    void Cycle(DWORD charsPerSecond);
    void TakeAcknowledge();
    // Sends "Read Status" and waits for an answer that came after it; the acknowledge that came with it.
    void Handshake();
    void TakeStatus();
    // Captures, encodes and sends a picture, waits for the terminal to take it and paces the cycle.
    void Transfer(DWORD charsPerSecond);
    // Waits on the link's event; false on a time-out.
    bool WaitNextTransfer(DWORD timeoutMs);
    // A pause that Stop cuts short.
    void Pause(DWORD ms);
    void DropFrames();
    void SetMessage(const char* text) { message_ = text; }
    void CloseLink();

    KvSerialIO* link_;  // not owned
    // The capture thread's while it runs (the main thread's Reset before): the palette, the colour cache, the
    // encoder and its open request.
    KvColorReduction reduction_;
    KvReductionRows<KvColorReduction> rows_{reduction_};
    KvLinkFrameSink<KvSerialIO> sink_;
    KvFrameEncoder encoder_;

    // Set by Stop on any thread (and by the capture thread itself), read at each step of the capture thread.
    std::atomic<bool> stop_{false};
    // Main thread, before the thread runs.
    bool ping_ = false;
    bool started_ = false;

    // Counted by the capture thread, read by the main thread after its end.
    std::vector<int> sizeStatistics_;
    std::vector<int> packTimeStatistics_;
    std::vector<int> acknowledgeDelayStatistics_;

    // Main thread: before the thread runs, or in ReadSettings through Synchronize while it waits.
    KvTransferSettings settings_;
    KvCaptureWaits waits_;
    RECT desktopArea_{};
    // Capture thread (cleared by Reset before it runs); the link's copy is under the link's lock.
    HWND targetWindow_ = nullptr;
    // Written by the capture thread, read by ShowMessage on the main thread while the capture thread waits.
    AnsiString message_;

    // Capture thread (dropped by Reset before it runs).
    BitmapHandle currentFrame_;
    BitmapHandle previousFrame_;

    TEvent& nextTransfer_;  // the link's: the link sets it, the capture thread resets it and waits on it
    TEvent stopEvent_;      // set by Stop, waited on by the capture thread's pauses

    // Loop state, capture thread only.
    bool handshakeDue_ = true;
    bool handshakeAnswered_ = false;
    bool hold_ = false;
};
