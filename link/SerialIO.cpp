#include "link/SerialIO.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "framework/runtime/SysUtils.h"
#include "link/LineSettings.h"

namespace {

std::atomic<TZCLIniCtrl*> gSettings{nullptr};

bool KnownCommand(BYTE command)
{
    switch (command) {
    case KvTerminalAck0:
    case KvTerminalAck1:
    case KvTerminalAck2:
    case KvTerminalStatus:
    case KvTerminalTransferNo:
    case KvTerminalPointer:
    case KvTerminalKeys: return true;
    default: return false;
    }
}

}  // namespace

void KvSerialIO::SetSettings(TZCLIniCtrl* settings)
{
    gSettings.store(settings);
}

TZCLIniCtrl* KvSerialIO::Settings()
{
    return gSettings.load();
}

KvSerialIO::KvSerialIO()
    : nextTransfer_(nullptr, true, false, KvEventNextTransferName), injector_(&KvSystemInputInjector())
{
    SetStreamMode(true);
    pending_.reserve(260);
    work_.reserve(520);
}

KvSerialIO::~KvSerialIO()
{
    // The link threads call into this object: they have to stop while it is whole.
    CloseConnection();
}

// ---------------------------------------------------------------------------------------------------------------
// Open and close

void KvSerialIO::ResetState()
{
    {
        ScopedWriteLock lock(lock_);
        receivedTransferNo_ = 0;
        sentTransferNo_ = 0;
        unreported_ = 0;
        sendWindow_ = 0;
        statusReply_ = 0;
        statusReceived_ = false;
        acknowledge_ = 0xFF;
        lastCursorX_ = -1;
        lastCursorY_ = -1;
        buttons_ = 0;
    }
    ScopedLock input(inputLock_);
    // A reopened link must not resume in the middle of an old frame.
    receiveState_ = 0;
    command_ = 0;
    pending_.clear();
    SetReadRequest(1, nullptr, false);
    keys_ = {};
    pressed_ = {};
    shiftHeld_ = false;
    altHeld_ = false;
    shiftSentDown_ = false;
    lastLetterTime_ = 0;
    tapIndex_ = 0;
    lastDigit_ = 0;
    upperCase_ = false;
}

bool KvSerialIO::PrepareConnection()
{
    ResetState();

    screenWidth_ = screenHeight_ = 0;
    if (HDC screen = GetDC(nullptr)) {
        screenWidth_ = GetDeviceCaps(screen, HORZRES);
        screenHeight_ = GetDeviceCaps(screen, VERTRES);
        ReleaseDC(nullptr, screen);
    }

    settings_ = KvReadTransferSettings(Settings());

    keyMap_ = KvKeyMap();
    if (settings_.keyboardEnabled && settings_.userDefinedMapping &&
        !keyMap_.LoadFromFile(settings_.port, ChangeFileExt(ParamStr(0), ".ini")))
        return false;

    ScopedLock input(inputLock_);
    inputOpen_ = true;
    return true;
}

bool KvSerialIO::OpenConnection()
{
    // A running link keeps its state.
    if (OnLinkThread() || Connected()) return false;
    // The threads of an earlier connection (stopped by a fatal error, or by a close that timed out) still use
    // the receiver and the input state: they end before anything is prepared anew.
    if (!ReleaseStoppedThreads()) return false;
    FinishInput();
    if (PrepareConnection() && KvSerialPort::OpenConnection()) return true;
    ScopedLock input(inputLock_);
    inputOpen_ = false;
    return false;
}

bool KvSerialIO::LoadSettings()
{
    // The port and its line as read when this open began.
    if (settings_.port.IsEmpty() || !SetPortName(settings_.port.c_str())) return false;
    DCB dcb{};
    if (!ParseCommParameter(settings_.parameter.c_str(), dcb)) return false;
    return SetFromDCB(dcb);
}

bool KvSerialIO::CloseConnection()
{
    const bool result = KvSerialPort::CloseConnection();
    FinishInput();
    nextTransfer_.SetEvent();
    return result;
}

void KvSerialIO::FinishInput()
{
    // With the link threads stopped nothing else touches the key and pointer state; a fatal error on a link
    // thread comes here from that thread, and the input lock keeps the other one out. A reader that would not
    // stop may be inside an injection holding the lock: what it holds is let go once it has ended (at the next
    // open, close or the link's end).
    if (!OnLinkThread() && LinkThreadsLive()) return;
    ScopedLock input(inputLock_);
    if (inputOpen_) {
        ReleaseHeld();
        inputOpen_ = false;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Receiver

BYTE KvSerialIO::OnReceive(BYTE kind, const BYTE* buffer, DWORD count)
{
    work_.assign(pending_.begin(), pending_.end());
    if (buffer && count) work_.insert(work_.end(), buffer, buffer + count);
    Parse(kind != KvReadComplete);
    return KvReceiveNextRequest;
}

// Frames are found by structure. A frame that fails (unknown command, wrong sum, no room for a sum, or a
// read that timed out before it was whole) gives up only its start byte: the search for the next start
// byte goes on right after it, so garbage never swallows a good frame behind it.
void KvSerialIO::Parse(bool timedOut)
{
    const BYTE* w = work_.data();
    const size_t n = work_.size();
    size_t pos = 0;
    pending_.clear();
    while (pos < n) {
        if (w[pos] != KvTerminalStartByte) {
            ++pos;
            continue;
        }
        const size_t after = n - pos - 1;
        if (after >= 1 && !KnownCommand(w[pos + 1])) {
            ++pos;
            continue;
        }
        if (after >= 2 && w[pos + 2] == 0) {
            ++pos;
            continue;
        }
        const size_t length = after >= 2 ? w[pos + 2] : 0;
        if (after < 2 || after - 2 < length) {
            if (timedOut) {
                ++pos;
                continue;
            }
            pending_.assign(w + pos, w + n);
            break;
        }
        const BYTE command = w[pos + 1];
        const BYTE* body = w + pos + 3;
        if (length >= 2) {
            unsigned sum = unsigned(command) + unsigned(length);
            for (size_t i = 0; i + 2 < length; ++i) sum += body[i];
            const unsigned given = unsigned(body[length - 2]) << 8 | body[length - 1];
            if ((sum & 0xFFFF) == given) {
                // A frame without data is well formed but carries nothing.
                if (length > 2) Dispatch(command, body, DWORD(length - 2));
                pos += 3 + length;
                continue;
            }
        }
        ++pos;
    }

    const size_t have = pending_.size();
    command_ = have >= 2 ? pending_[1] : 0;
    if (have == 0) {
        receiveState_ = 0;
        SetReadRequest(1, nullptr, false);
    } else if (have < 3) {
        receiveState_ = BYTE(have);
        SetReadRequest(1, nullptr, false);
    } else {
        receiveState_ = 3;
        SetReadRequest(DWORD(pending_[2]) + 3 - DWORD(have), nullptr, false);
    }
}

void KvSerialIO::Dispatch(BYTE command, const BYTE* data, DWORD length)
{
    switch (command) {
    case KvTerminalAck0:
    case KvTerminalAck1:
    case KvTerminalAck2: SetAcknowledge(data[0]); break;
    case KvTerminalStatus: SetStatusReply(data[0]); break;
    case KvTerminalTransferNo: {
        {
            ScopedLock input(inputLock_);
            if (inputOpen_) CheckLetterTimeout();
        }
        SetReceivedTransferNo(data[0]);
        break;
    }
    case KvTerminalPointer:
        if (length >= 5) {
            ScopedLock input(inputLock_);
            if (inputOpen_) HandleMouse(data[0] << 8 | data[1], data[2] << 8 | data[3], data[4]);
        }
        break;
    case KvTerminalKeys: {
        ScopedLock input(inputLock_);
        if (inputOpen_) HandleKeyBitmap(data, length);
        break;
    }
    default: break;
    }
}

void KvSerialIO::CheckLetterTimeout()
{
    const DWORD since = injector_->TickCount() - lastLetterTime_;
    if (since > settings_.letterBrowseTime - 50) HandleLetterInput(since > settings_.letterBreakTime - 50);
}

// ---------------------------------------------------------------------------------------------------------------
// Reply state

void KvSerialIO::SetAcknowledge(BYTE value)
{
    {
        ScopedWriteLock lock(lock_);
        acknowledge_ = value;
    }
    nextTransfer_.SetEvent();
}

BYTE KvSerialIO::TakeAcknowledge()
{
    ScopedWriteLock lock(lock_);
    const BYTE value = acknowledge_;
    acknowledge_ = 0xFF;
    return value;
}

void KvSerialIO::SetStatusReply(BYTE value)
{
    {
        ScopedWriteLock lock(lock_);
        statusReply_ = value;
        statusReceived_ = true;
    }
    nextTransfer_.SetEvent();
}

BYTE KvSerialIO::TakeStatusReply()
{
    BYTE value = 0;
    TakeStatusReply(value);
    return value;
}

bool KvSerialIO::StatusReplyReceived()
{
    ScopedReadLock lock(lock_);
    return statusReceived_;
}

bool KvSerialIO::TakeStatusReply(BYTE& value)
{
    ScopedWriteLock lock(lock_);
    value = statusReply_;
    const bool received = statusReceived_;
    statusReply_ = 0;
    statusReceived_ = false;
    return received;
}

void KvSerialIO::SetReceivedTransferNo(BYTE n)
{
    {
        ScopedWriteLock lock(lock_);
        receivedTransferNo_ = n;
        // The report is of the last frame sent with that number.
        unreported_ = BYTE(sentTransferNo_ - n);
    }
    CheckTransferWindow();
}

BYTE KvSerialIO::GetReceivedTransferNo()
{
    ScopedReadLock lock(lock_);
    return receivedTransferNo_;
}

void KvSerialIO::SetSentTransferNo(BYTE n)
{
    {
        ScopedWriteLock lock(lock_);
        // Counted on past 255: a terminal that never reports is not caught up again when the numbers wrap.
        unreported_ = std::min(unreported_ + int(BYTE(n - sentTransferNo_)), 0x10000);
        sentTransferNo_ = n;
    }
    CheckTransferWindow();
}

BYTE KvSerialIO::GetSentTransferNo()
{
    ScopedReadLock lock(lock_);
    return sentTransferNo_;
}

bool KvSerialIO::CheckTransferWindow()
{
    bool wake = false;
    {
        ScopedWriteLock lock(lock_);
        // The frames sent since the number the terminal last reported: the distance modulo 256 from its report
        // to the last frame sent.
        if (unreported_ <= sendWindow_) {
            if (sendWindow_ == 0) sendWindow_ = settings_.asyncDiff;
            wake = true;
        }
    }
    if (wake) nextTransfer_.SetEvent();
    return true;
}

void KvSerialIO::SetTargetWindow(HWND window)
{
    ScopedWriteLock lock(lock_);
    targetWindow_ = window;
}

HWND KvSerialIO::GetTargetWindow()
{
    HWND window;
    {
        ScopedReadLock lock(lock_);
        window = targetWindow_;
    }
    if (!window) return nullptr;
    if (!IsWindow(window)) {
        // Forget it unless another one was set meanwhile.
        ScopedWriteLock lock(lock_);
        if (targetWindow_ == window) targetWindow_ = nullptr;
        return nullptr;
    }
    if (!IsWindowVisible(window) || IsIconic(window)) return nullptr;
    return window;
}

bool KvSerialIO::GetCursorUpdate(POINT& point)
{
    POINT p;
    if (!GetCursorPos(&p)) return false;
    // The target window is captured unscaled: the desktop area plays no part in application mode.
    const int width = settings_.applicationMode ? 0 : settings_.desktopArea.cx;
    const int height = settings_.applicationMode ? 0 : settings_.desktopArea.cy;
    const int stepX = width ? (width + 639) / 640 : 0;
    const int stepY = height ? (height + 479) / 480 : 0;
    POINT out;
    {
        ScopedWriteLock lock(lock_);
        if (std::abs(lastCursorX_ - int(p.x)) <= stepX && std::abs(lastCursorY_ - int(p.y)) <= stepY) return false;
        out.x = width ? p.x * 640 / width : p.x;
        out.y = height ? p.y * 480 / height : p.y;
        lastCursorX_ = p.x;
        lastCursorY_ = p.y;
    }
    if (settings_.applicationMode) {
        HWND target = GetTargetWindow();
        RECT r;
        if (!target || !GetWindowRect(target, &r)) return false;
        // A window's rectangle ends before its right and bottom values.
        if (out.x < r.left || out.x >= r.right || out.y < r.top || out.y >= r.bottom) return false;
        out.x -= r.left;
        out.y -= r.top;
    }
    // The terminal's screen is 0-639 by 0-479.
    if (out.x < 0 || out.x >= 640 || out.y < 0 || out.y >= 480) return false;
    point = out;
    return true;
}
