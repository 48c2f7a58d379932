#include "link/SerialIO.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "framework/runtime/SysUtils.h"
#include "link/LineSettings.h"
#include "zcl/core/Zclinictrl.h"

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

AnsiString ReadText(TZCLIniCtrl* settings, const char* section, const char* name, const char* fallback)
{
    return settings ? settings->ReadString(section, name, fallback) : AnsiString(fallback);
}

bool ReadFlag(TZCLIniCtrl* settings, const char* section, const char* name, bool fallback)
{
    return settings ? settings->ReadBool(section, name, fallback) : fallback;
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

void KvSerialIO::ReadSettings()
{
    TZCLIniCtrl* s = Settings();
    keyboardEnabled_ = ReadFlag(s, "MouseAndKeyboard", "KeyboardEnabled", true);
    userDefinedMapping_ = ReadFlag(s, "MouseAndKeyboard", "UserDefinedKeyboardMapping", false);
    transferMouse_ = ReadFlag(s, "MouseAndKeyboard", "TransferMouseToPc", true);
    // The transfer numbers are bytes: a window beyond 255 means nothing, a negative one never opens.
    asyncDiff_ = std::clamp(StrToIntDef(ReadText(s, "Communication", "AsyncDiff", ""), 0), 0, 255);
    letterInputEnabled_ = ReadFlag(s, "MouseAndKeyboard", "EnableLetterInput", true);
    // The time-outs are compared less 50 ms in unsigned arithmetic: below 50 they would never fire.
    letterBrowseTime_ = DWORD(std::max(StrToIntDef(ReadText(s, "MouseAndKeyboard", "LetterBrowseTime", ""), 600), 50));
    letterBreakTime_ = DWORD(std::max(StrToIntDef(ReadText(s, "MouseAndKeyboard", "LetterBreakTime", ""), 1000), 50));
    const AnsiString desktop = ReadText(s, "Application", "Desktop", "640x480");
    areaWidth_ = areaHeight_ = 0;
    if (desktop == "800x600") {
        areaWidth_ = 800;
        areaHeight_ = 600;
    } else if (desktop == "1024x768") {
        areaWidth_ = 1024;
        areaHeight_ = 768;
    }
    applicationMode_ = ReadText(s, "Application", "Mode", "Desktop") == "Application";
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

    ReadSettings();

    keyMap_ = KvKeyMap();
    if (keyboardEnabled_ && userDefinedMapping_) {
        const AnsiString port = ReadText(Settings(), "Communication", "Port", "");
        if (!keyMap_.LoadFromFile(port, ChangeFileExt(ParamStr(0), ".ini"))) return false;
    }

    ScopedLock input(inputLock_);
    inputOpen_ = true;
    return true;
}

bool KvSerialIO::OpenConnection()
{
    // A running link keeps its state.
    if (Connected()) return false;
    if (PrepareConnection() && KvSerialPort::OpenConnection()) return true;
    ScopedLock input(inputLock_);
    inputOpen_ = false;
    return false;
}

bool KvSerialIO::LoadSettings()
{
    TZCLIniCtrl* s = Settings();
    const AnsiString port = ReadText(s, "Communication", "Port", "");
    const AnsiString parameter = ReadText(s, "Communication", "Parameter", "");
    if (port.IsEmpty() || !SetPortName(port.c_str())) return false;
    DCB dcb{};
    if (!ParseCommParameter(parameter.c_str(), dcb)) return false;
    return SetFromDCB(dcb);
}

bool KvSerialIO::CloseConnection()
{
    // With the link threads stopped nothing else touches the key and pointer state; a fatal error on a
    // link thread comes here from that thread, and the input lock keeps the other one out.
    const bool result = KvSerialPort::CloseConnection();
    {
        ScopedLock input(inputLock_);
        if (inputOpen_) {
            ReleaseHeld();
            inputOpen_ = false;
        }
    }
    nextTransfer_.SetEvent();
    return result;
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
    if (since > letterBrowseTime_ - 50) HandleLetterInput(since > letterBreakTime_ - 50);
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
        // The numbers wrap at 256: the distance is taken modulo 256, and a terminal that reports a number
        // ahead of the last one sent counts as caught up.
        const int outstanding = int(static_cast<signed char>(BYTE(sentTransferNo_ - receivedTransferNo_)));
        if (outstanding <= sendWindow_) {
            if (sendWindow_ == 0) sendWindow_ = asyncDiff_;
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
    const int width = applicationMode_ ? 0 : areaWidth_;
    const int height = applicationMode_ ? 0 : areaHeight_;
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
    if (applicationMode_) {
        HWND target = GetTargetWindow();
        RECT r;
        if (!target || !GetWindowRect(target, &r)) return false;
        if (out.x < r.left || out.x >= r.right || out.y < r.top || out.y >= r.bottom) return false;
        out.x -= r.left;
        out.y -= r.top;
    }
    // The terminal's screen is 0-639 by 0-479.
    if (out.x < 0 || out.x >= 640 || out.y < 0 || out.y >= 480) return false;
    point = out;
    return true;
}
