#include "mirror/BitmapCapture.h"

#include <utility>

#include "framework/visual/Forms.h"
#include "framework/runtime/SysUtils.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/Process.h"
#include "zcl/core/Zclinictrl.h"

namespace {

constexpr DWORD HandshakeWaitMs = 1000;
constexpr DWORD FrameWaitExtraMs = 3000;
constexpr DWORD NoTargetPauseMs = 1000;
constexpr BYTE NoAcknowledge = 0xFF;

const char PingTimeout[] = "Ping:\nTimeout after sending 'Read Status'!\nNo acknowledgment received!";
const char PingAnswered[] = "Ping:\nAcknowledgment received!";
const char PingNoError[] = "Ping:\nAcknowledgment received!\nNo Error!";
const char PingFullFrame[] = "Ping:\nTerminal wait for non differential transmission!";
const char PingTerminalTimeout[] = "Ping:\nTerminal detect timeout error!";
const char PingChecksum[] = "Ping:\nTerminal detect checksum error!";
const char PingPalette[] = "Ping:\nError during palette transmission!";
const char PingMouse[] = "Ping:\nError during mouse position transmission!";

KvCaptureMessageSink& MessageSink()
{
    static KvCaptureMessageSink sink;
    return sink;
}

void Count(std::vector<int>& counters, DWORD bucket)
{
    if (bucket < counters.size()) ++counters[bucket];
}

}  // namespace

void SetCaptureMessageSink(KvCaptureMessageSink sink) { MessageSink() = std::move(sink); }

RECT KvDesktopArea(const AnsiString& setting, int screenWidth, int screenHeight)
{
    RECT area{0, 0, 640, 480};
    if (setting == "800x600")
        area = RECT{0, 0, 800, 600};
    else if (setting == "1024x768")
        area = RECT{0, 0, 1024, 768};
    if (screenWidth < area.right - area.left) area.right = area.left + screenWidth;
    if (screenHeight < area.bottom - area.top) area.bottom = area.top + screenHeight;
    return area;
}

KvBitmapCaptureThread::KvBitmapCaptureThread(bool createSuspended, KvSerialIO* link)
    : TThread(createSuspended),
      link_(link),
      sink_(*link),
      encoder_(sink_, rows_),
      sizeStatistics_(KvSizeStatisticsCount),
      packTimeStatistics_(KvPackTimeStatisticsCount),
      acknowledgeDelayStatistics_(KvAcknowledgeDelayStatisticsCount),
      nextTransfer_(nullptr, true, false, KvEventNextTransferName),
      stopEvent_(nullptr, true, false, "")
{
    Reset();
}

KvBitmapCaptureThread::~KvBitmapCaptureThread()
{
    // Execute uses this object's members: it has to end before they go.
    if (started_) {
        Stop();
        WaitForEnd();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Main thread

void KvBitmapCaptureThread::Start()
{
    Reset();
    nextTransfer_.ResetEvent();
    stopEvent_.ResetEvent();
    stop_ = false;
    ping_ = false;
    started_ = true;
    Resume();
}

void KvBitmapCaptureThread::Ping()
{
    nextTransfer_.ResetEvent();
    stopEvent_.ResetEvent();
    stop_ = false;
    ping_ = true;
    started_ = true;
    Resume();
}

void KvBitmapCaptureThread::Stop()
{
    stop_ = true;
    // Whatever the loop waits for, it looks at the flag at once.
    stopEvent_.SetEvent();
    nextTransfer_.SetEvent();
}

void KvBitmapCaptureThread::WaitForEnd()
{
    started_ = true;
    if (Suspended()) Resume();
    WaitFor();
}

int KvBitmapCaptureThread::FillEnd(const std::vector<int>& counters)
{
    int last = 0;
    for (int i = int(counters.size()) - 1; i > 0; --i)
        if (counters[size_t(i)]) {
            last = i;
            break;
        }
    const int end = last + 5;
    return end < int(counters.size()) ? end : int(counters.size()) - 1;
}

void KvBitmapCaptureThread::Reset()
{
    DropFrames();
    for (auto* counters : {&sizeStatistics_, &packTimeStatistics_, &acknowledgeDelayStatistics_})
        std::fill(counters->begin(), counters->end(), 0);
    encoder_.Reset();
    desktopArea_ = RECT{};
    SetPriority(tpNormal);
    SetFreeOnTerminate(false);
    reduction_.UpdatePalette(nullptr);
    Synchronize(TThreadMethod(this, &KvBitmapCaptureThread::ReadSettings));
    targetWindow_ = nullptr;
    link_->SetTargetWindow(nullptr);
}

void KvBitmapCaptureThread::ReadSettings()
{
    TZCLIniCtrl* s = KvSerialIO::Settings();
    AnsiString desktop = "640x480";
    applicationPath_ = "";
    if (s) {
        delayAfterSend_ = StrToIntDef(s->ReadString("Communication", "DelayAfterSend", ""), 200);
        beepAfterSend_ = s->ReadBool("Communication", "BeepAfterSend", false);
        transferMouse_ = s->ReadBool("MouseAndKeyboard", "TransferMouseToTerminal", true);
        desktop = s->ReadString("Application", "Desktop", "640x480");
        if (s->ReadString("Application", "Mode", "Desktop") == "Application")
            applicationPath_ = s->ReadString("Application", "ApplicationName", "");
        observePalette_ = s->ReadBool("Application", "ObservePalette", false);
    } else {
        delayAfterSend_ = 200;
        beepAfterSend_ = false;
        transferMouse_ = true;
        observePalette_ = false;
    }
    desktopArea_ = KvDesktopArea(desktop, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    encoder_.SetTransferMouseToTerminal(transferMouse_);
}

void KvBitmapCaptureThread::ShowMessage()
{
    if (MessageSink())
        MessageSink()(2, message_);
    else
        MessageBoxA(nullptr, message_.c_str(), Application->Title().c_str(), MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------------------------------------------------------
// Capture thread

void KvBitmapCaptureThread::Execute()
{
    try {
        DWORD charsPerSecond = link_->CharsPerSecond();
        if (!charsPerSecond) charsPerSecond = 1;
        handshakeDue_ = true;
        handshakeAnswered_ = false;
        hold_ = false;
        while (!Terminated()) Cycle(charsPerSecond);
    } catch (...) {
        // The transfer cannot go on; a closed link lets the shell's wait end as after a stop.
        encoder_.FreeRequest();
        CloseLink();
        Terminate();
        Application->HandleException(this);
    }
}

void KvBitmapCaptureThread::Cycle(DWORD charsPerSecond)
{
    if (stop_) {
        encoder_.FreeRequest();
        CloseLink();
        Terminate();
        return;
    }

    switch (link_->TakeAcknowledge()) {
    case 0:
        hold_ = false;
        DropFrames();
        break;
    case 1: hold_ = true; break;
    case 2: hold_ = false; break;
    default: break;
    }
    if (hold_) handshakeDue_ = true;

    if (handshakeDue_) {
        DropFrames();
        BYTE acknowledge = NoAcknowledge;
        handshakeAnswered_ = Handshake(acknowledge);
        if (ping_) SetMessage(handshakeAnswered_ ? PingAnswered : PingTimeout);
        // An acknowledge that came with the answer belongs to an older frame, but a held terminal's release
        // must not be lost: it is all that ends the hold.
        if (hold_ && (acknowledge == 0 || acknowledge == 2)) {
            hold_ = false;
            if (acknowledge == 0) DropFrames();
        }
    }

    BYTE status = 0;
    const bool statusReceived = link_->TakeStatusReply(status);
    if (!statusReceived) status = 0;
    switch (status) {
    case 0:
        if (handshakeAnswered_) {
            handshakeDue_ = false;
            if (ping_) SetMessage(PingNoError);
        }
        break;
    case 1:
        handshakeDue_ = false;
        DropFrames();
        if (ping_) SetMessage(PingFullFrame);
        break;
    case 2:
        handshakeDue_ = false;
        if (ping_) SetMessage(PingTerminalTimeout);
        break;
    case 3:
        handshakeDue_ = false;
        DropFrames();
        if (ping_) SetMessage(PingChecksum);
        break;
    case 4:
        handshakeDue_ = false;
        reduction_.SetPaletteDirty(true);
        if (ping_) SetMessage(PingPalette);
        break;
    case 5:
        handshakeDue_ = false;
        if (ping_) SetMessage(PingMouse);
        break;
    default: break;
    }

    if (ping_) {
        stop_ = true;
        Synchronize(TThreadMethod(this, &KvBitmapCaptureThread::ShowMessage));
        return;
    }
    if (stop_) return;

    if (hold_ || handshakeDue_) {
        // A terminal that answers at once but holds, or answers with no code we know, is asked again only
        // after a short pause.
        if (hold_ || handshakeAnswered_) Pause(KvHoldPauseMs);
    } else {
        int bytes = 0;
        DWORD encodeTime = 0;
        const DWORD captureStart = GetTickCount();
        BitmapHandle picture = CaptureFrame();
        const DWORD captureTime = GetTickCount() - captureStart;
        if (reduction_.PaletteDirty()) DropFrames();
        bool abandoned = false;
        if (picture) {
            previousFrame_ = std::move(currentFrame_);
            currentFrame_ = std::move(picture);
            encoder_.FlushBuffer(false);
            const DWORD encodeStart = GetTickCount();
            if (previousFrame_) {
                bytes = encoder_.SendDifferentialFrame(currentFrame_.get(), previousFrame_.get());
            } else {
                nextTransfer_.ResetEvent();
                bytes = encoder_.SendFullFrame(currentFrame_.get());
            }
            encodeTime = GetTickCount() - encodeStart;
            encoder_.FlushBuffer(true);
            if (encoder_.StopRequested() || reduction_.UnsupportedFormat()) {
                encoder_.ClearStopRequest();
                reduction_.ClearUnsupportedFormat();
                message_ = KvUnsupportedFormatMessage;
                Synchronize(TThreadMethod(this, &KvBitmapCaptureThread::ShowMessage));
                stop_ = true;
            }
            if (encoder_.FrameAbandoned()) {
                // No trailer went out, so no acknowledge will come; the terminal's picture is unknown.
                DropFrames();
                abandoned = true;
            }
        }
        if (stop_) return;

        if (beepAfterSend_) MessageBeep(0xFFFFFFFF);
        const DWORD expected = DWORD(MulDiv(bytes, 1000, int(charsPerSecond)));

        const DWORD waitStart = GetTickCount();
        if (abandoned) {
            handshakeDue_ = true;
        } else if (bytes) {
            Count(sizeStatistics_, DWORD(bytes) / 1024 < DWORD(KvSizeStatisticsCount)
                                       ? DWORD(bytes) / 1024
                                       : DWORD(KvSizeStatisticsCount - 1));
            if (!WaitNextTransfer(expected + FrameWaitExtraMs)) handshakeDue_ = true;
            encoder_.SetLastTransferTick(GetTickCount());
        }
        nextTransfer_.ResetEvent();
        const DWORD waitTime = GetTickCount() - waitStart;
        // A wait cut short by a stop measured nothing.
        if (stop_) return;

        if (handshakeDue_) {
            link_->TakeAcknowledge();
        } else {
            Count(packTimeStatistics_, (captureTime + encodeTime) / 5);
            Count(acknowledgeDelayStatistics_, DWORD(waitTime + encodeTime - expected) / 5);
            const int rest = delayAfterSend_ - int(captureTime + encodeTime + waitTime);
            if (delayAfterSend_ != 0 && rest > 0) Pause(DWORD(rest));
        }
    }

    if (!applicationPath_.IsEmpty() && !targetWindow_) Pause(NoTargetPauseMs);
}

bool KvBitmapCaptureThread::Handshake(BYTE& acknowledge)
{
    // Reset before the request goes out: a terminal on a fast line answers before a later reset would come.
    nextTransfer_.ResetEvent();
    encoder_.SendReadStatus();
    // Only a reply the link stored is an answer: the event is also set by transfer numbers and by the link
    // closing.
    const DWORD start = GetTickCount();
    for (;;) {
        const BYTE taken = link_->TakeAcknowledge();
        if (taken != NoAcknowledge) acknowledge = taken;
        if (acknowledge != NoAcknowledge || link_->StatusReplyReceived()) return true;
        const DWORD spent = GetTickCount() - start;
        if (stop_ || spent >= HandshakeWaitMs) return false;
        if (WaitNextTransfer(HandshakeWaitMs - spent)) nextTransfer_.ResetEvent();
    }
}

bool KvBitmapCaptureThread::WaitNextTransfer(DWORD timeoutMs) { return nextTransfer_.WaitFor(timeoutMs) == wrSignaled; }

void KvBitmapCaptureThread::Pause(DWORD ms)
{
    if (!stop_) stopEvent_.WaitFor(ms);
}

void KvBitmapCaptureThread::DropFrames()
{
    currentFrame_.reset();
    previousFrame_.reset();
}

void KvBitmapCaptureThread::CloseLink() { link_->CloseConnection(); }

BitmapHandle KvBitmapCaptureThread::CaptureFrame()
{
    BitmapHandle picture;
    try {
        if (!applicationPath_.IsEmpty()) {
            if (!targetWindow_) {
                HWND found = IsApplicationRunning(applicationPath_) ? FindApplicationWindow(applicationPath_) : nullptr;
                targetWindow_ = found ? GetCaptureWindow(found) : nullptr;
                link_->SetTargetWindow(targetWindow_);
                if (targetWindow_) reduction_.UpdatePalette(nullptr);
            }
            // A minimised top-level window leaves its children visible.
            if (targetWindow_ && IsWindow(targetWindow_) && IsWindowVisible(targetWindow_) &&
                !IsIconic(targetWindow_) && !IsIconic(GetAncestor(targetWindow_, GA_ROOT)))
                picture = CaptureWindow(targetWindow_);
            if (!picture) {
                picture = CreateTextBitmap("...waiting for application " + applicationPath_);
                targetWindow_ = nullptr;
                link_->SetTargetWindow(nullptr);
            }
        } else {
            picture = CaptureDesktop(desktopArea_);
        }
    } catch (...) {
        picture.reset();
    }
    if (observePalette_) reduction_.UpdatePalette(nullptr);
    return picture;
}
