#include "mirror/BitmapCapture.h"

#include <algorithm>
#include <utility>

#include "framework/visual/Forms.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/Process.h"

namespace {

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

RECT KvDesktopArea(SIZE area, int screenWidth, int screenHeight)
{
    RECT r{0, 0, area.cx ? area.cx : 640, area.cy ? area.cy : 480};
    if (screenWidth < r.right - r.left) r.right = r.left + screenWidth;
    if (screenHeight < r.bottom - r.top) r.bottom = r.top + screenHeight;
    return r;
}

KvBitmapCaptureThread::KvBitmapCaptureThread(bool createSuspended, KvSerialIO* link)
    : TThread(createSuspended),
      link_(link),
      sink_(*link),
      encoder_(sink_, rows_),
      sizeStatistics_(KvSizeStatisticsCount),
      packTimeStatistics_(KvPackTimeStatisticsCount),
      acknowledgeDelayStatistics_(KvAcknowledgeDelayStatisticsCount),
      nextTransfer_(link->NextTransferEvent()),
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
    // A transfer runs with what the link read when it opened, so both sides agree.
    settings_ = link_->Connected() ? link_->TransferSettings() : KvReadTransferSettings(KvSerialIO::Settings());
    desktopArea_ = KvDesktopArea(settings_.desktopArea, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    encoder_.SetTransferMouseToTerminal(settings_.transferMouseToTerminal);
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

    TakeAcknowledge();
    if (handshakeDue_) Handshake();
    TakeStatus();

    if (ping_) {
        stop_ = true;
        Synchronize(TThreadMethod(this, &KvBitmapCaptureThread::ShowMessage));
        return;
    }
    if (stop_) return;

    if (hold_ || handshakeDue_) {
        // A terminal that answers at once but holds, or answers with no code we know, is asked again only
        // after a short pause.
        if (hold_ || handshakeAnswered_) Pause(waits_.holdPause);
    } else {
        Transfer(charsPerSecond);
    }

    if (!settings_.applicationName.IsEmpty() && !targetWindow_) Pause(waits_.noTarget);
}

void KvBitmapCaptureThread::TakeAcknowledge()
{
    switch (link_->TakeAcknowledge()) {
    case KvAckFullFrame:
        hold_ = false;
        DropFrames();
        break;
    case KvAckHold: hold_ = true; break;
    case KvAckGoOn: hold_ = false; break;
    default: break;
    }
    if (hold_) handshakeDue_ = true;
}

void KvBitmapCaptureThread::Handshake()
{
    DropFrames();
    // A status reply stored before the request (a late answer to an earlier one) answers nothing.
    BYTE stale;
    link_->TakeStatusReply(stale);
    // Reset before the request goes out: a terminal on a fast line answers before a later reset would come.
    nextTransfer_.ResetEvent();
    encoder_.SendReadStatus();

    // Only a reply the link stored is an answer: the event is also set by transfer numbers and by the link
    // closing.
    BYTE acknowledge = KvAckNone;
    handshakeAnswered_ = false;
    const DWORD start = GetTickCount();
    for (;;) {
        const BYTE taken = link_->TakeAcknowledge();
        if (taken != KvAckNone) acknowledge = taken;
        if (acknowledge != KvAckNone || link_->StatusReplyReceived()) {
            handshakeAnswered_ = true;
            break;
        }
        const DWORD spent = GetTickCount() - start;
        if (stop_ || spent >= waits_.handshake) break;
        if (WaitNextTransfer(waits_.handshake - spent)) nextTransfer_.ResetEvent();
    }
    if (ping_) SetMessage(handshakeAnswered_ ? PingAnswered : PingTimeout);

    // An acknowledge that came with the answer belongs to an older frame, but a held terminal's release must
    // not be lost: it is all that ends the hold.
    if (hold_ && (acknowledge == KvAckFullFrame || acknowledge == KvAckGoOn)) {
        hold_ = false;
        if (acknowledge == KvAckFullFrame) DropFrames();
    }
}

void KvBitmapCaptureThread::TakeStatus()
{
    BYTE status = KvStatusNoError;
    if (!link_->TakeStatusReply(status)) status = KvStatusNoError;
    switch (status) {
    case KvStatusNoError:
        if (handshakeAnswered_) {
            handshakeDue_ = false;
            if (ping_) SetMessage(PingNoError);
        }
        break;
    case KvStatusFullFrame:
        handshakeDue_ = false;
        DropFrames();
        if (ping_) SetMessage(PingFullFrame);
        break;
    case KvStatusTimeout:
        handshakeDue_ = false;
        if (ping_) SetMessage(PingTerminalTimeout);
        break;
    case KvStatusChecksum:
        handshakeDue_ = false;
        DropFrames();
        if (ping_) SetMessage(PingChecksum);
        break;
    case KvStatusPalette:
        handshakeDue_ = false;
        reduction_.SetPaletteDirty(true);
        if (ping_) SetMessage(PingPalette);
        break;
    case KvStatusMouse:
        handshakeDue_ = false;
        if (ping_) SetMessage(PingMouse);
        break;
    default: break;
    }
}

void KvBitmapCaptureThread::Transfer(DWORD charsPerSecond)
{
    int bytes = 0;
    DWORD encodeTime = 0;
    const DWORD captureStart = GetTickCount();
    BitmapHandle picture = CaptureFrame();
    const DWORD captureTime = GetTickCount() - captureStart;
    if (reduction_.PaletteDirty()) DropFrames();
    bool abandoned = false;
    bool unsupported = false;
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
            unsupported = true;
        }
        if (encoder_.FrameAbandoned()) {
            // No trailer went out, so no acknowledge will come; the terminal's picture is unknown.
            DropFrames();
            abandoned = true;
        }
    }
    // A frame that went out is counted, also when a stop came while it was made.
    const bool sent = bytes && !abandoned && !unsupported;
    if (sent) Count(sizeStatistics_, std::min(DWORD(bytes) / 1024, DWORD(KvSizeStatisticsCount - 1)));
    if (stop_) return;

    if (settings_.beepAfterSend) MessageBeep(0xFFFFFFFF);
    const DWORD expected = DWORD(MulDiv(bytes, 1000, int(charsPerSecond)));

    const DWORD waitStart = GetTickCount();
    if (abandoned) {
        handshakeDue_ = true;
    } else if (sent) {
        if (!WaitNextTransfer(expected + waits_.frameExtra)) handshakeDue_ = true;
        encoder_.SetLastTransferTick(GetTickCount());
    }
    nextTransfer_.ResetEvent();
    const DWORD waitTime = GetTickCount() - waitStart;
    // A wait cut short by a stop measured nothing.
    if (stop_) return;

    if (handshakeDue_) {
        link_->TakeAcknowledge();
        return;
    }
    Count(packTimeStatistics_, (captureTime + encodeTime) / 5);
    // Unsigned: a cycle quicker than the line's time for its bytes is not counted.
    Count(acknowledgeDelayStatistics_, DWORD(waitTime + encodeTime - expected) / 5);
    const int rest = settings_.delayAfterSend - int(captureTime + encodeTime + waitTime);
    if (settings_.delayAfterSend != 0 && rest > 0) Pause(DWORD(rest));
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
        if (!settings_.applicationName.IsEmpty()) {
            if (!targetWindow_) {
                HWND found = IsApplicationRunning(settings_.applicationName) ? FindApplicationWindow(settings_.applicationName) : nullptr;
                targetWindow_ = found ? GetCaptureWindow(found) : nullptr;
                link_->SetTargetWindow(targetWindow_);
                if (targetWindow_) reduction_.UpdatePalette(nullptr);
            }
            // A minimised top-level window leaves its children visible.
            if (targetWindow_ && IsWindow(targetWindow_) && IsWindowVisible(targetWindow_) &&
                !IsIconic(targetWindow_) && !IsIconic(GetAncestor(targetWindow_, GA_ROOT)))
                picture = CaptureWindow(targetWindow_);
            if (!picture) {
                picture = CreateTextBitmap("...waiting for application " + settings_.applicationName);
                targetWindow_ = nullptr;
                link_->SetTargetWindow(nullptr);
            }
        } else {
            picture = CaptureDesktop(desktopArea_);
        }
    } catch (...) {
        picture.reset();
    }
    if (settings_.observePalette) reduction_.UpdatePalette(nullptr);
    return picture;
}
