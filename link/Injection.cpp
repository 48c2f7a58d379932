// The link object's input side: the terminal's key bitmaps, multi-tap letters and pointer frames played
// into Windows. Everything here runs on the link's reader thread (or on the closing thread once the link
// threads have stopped).
#include "link/Injection.h"

#include <algorithm>
#include <cmath>

#include "link/SerialIO.h"

void KvInputInjector::MouseEvent(DWORD flags, DWORD dx, DWORD dy)
{
    mouse_event(flags, dx, dy, 0, 0);
}

DWORD KvInputInjector::TickCount()
{
    return GetTickCount();
}

KvInputInjector& KvSystemInputInjector()
{
    static KvInputInjector system;
    return system;
}

namespace {

constexpr int kShiftWord = 3, kShiftBit = 8;
constexpr int kAltWord = 3, kAltBit = 9;
constexpr int kDecimalWord = 3, kDecimalBit = 13;
constexpr int kDigitWord = 2;

constexpr WORD kCursorWord[14] = {VK_PRIOR, VK_NEXT,  VK_UP,     VK_DOWN,     VK_LEFT, VK_RIGHT, VK_HELP,
                                  VK_BACK,  VK_SHIFT, VK_MENU,   VK_RETURN,   VK_SUBTRACT, VK_ADD, VK_DECIMAL};

// The key a bitmap bit stands for; 0 for bits that are kept but never acted on.
WORD KeyOf(int word, int bit)
{
    switch (word) {
    case 0: return WORD(VK_F1 + bit);
    case 1: return bit < 10 ? WORD(0x8070 + bit) : 0;
    case 2: return bit < 10 ? WORD('0' + bit) : 0;
    default: return bit < 14 ? kCursorWord[bit] : 0;
    }
}

// A digit's letters, typed in turn.
constexpr BYTE kLetters[10][4] = {
    {VK_ADD, VK_DIVIDE, VK_MULTIPLY, VK_SUBTRACT},
    {'S', 'T', 'U'}, {'V', 'W', 'X'}, {'Y', 'Z', ' '}, {'J', 'K', 'L'},
    {'M', 'N', 'O'}, {'P', 'Q', 'R'}, {'A', 'B', 'C'}, {'D', 'E', 'F'}, {'G', 'H', 'I'},
};

BYTE ScanCode(BYTE key)
{
    return BYTE(MapVirtualKeyA(key, 0));
}

DWORD Absolute(int value, int size)
{
    const double a = std::ceil(double(value) * 65535.0 / double(size));
    return DWORD(std::clamp(a, 0.0, 65535.0));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Keys

bool KvSerialIO::HandleKeyBitmap(const BYTE* data, DWORD length)
{
    if (!settings_.keyboardEnabled || !data || length < 8) return false;
    std::array<WORD, 4> now;
    for (int i = 0; i < 4; ++i) now[size_t(i)] = WORD(data[2 * i] << 8 | data[2 * i + 1]);

    bool letters = false;
    for (int word : {3, 0, 1, 2}) {
        const WORD changed = WORD(keys_[size_t(word)] ^ now[size_t(word)]);
        for (int bit = 0; bit < 16; ++bit) {
            if (!(changed & (1u << bit))) continue;
            const WORD key = KeyOf(word, bit);
            if (!key) continue;
            const bool pressed = (now[size_t(word)] & (1u << bit)) != 0;
            const bool letterMode = shiftHeld_ && !altHeld_;
            Press& press = pressed_[size_t(word)][size_t(bit)];

            // A release goes where its press went: a key sent to Windows is always let go, one that letter
            // input took is never let go on its own.
            if (pressed) {
                if (word == kDecimalWord && bit == kDecimalBit && letterMode) {
                    upperCase_ = !upperCase_;
                    press = Press::Consumed;
                } else if (word == kDigitWord && letterMode) {
                    press = Press::Consumed;
                    letters = true;
                } else {
                    const Sent sent = SendKey(key, true);
                    press = sent == Sent::Event ? Press::Event : sent == Sent::Mapped ? Press::Mapped : Press::Nothing;
                    if (word == kShiftWord && bit == kShiftBit) shiftSentDown_ = sent == Sent::Event;
                }
            } else {
                const Press was = press;
                press = Press::None;
                if (was == Press::Event || was == Press::Mapped || was == Press::Nothing)
                    ReleaseKey(key, was);
                else if (word == kDigitWord && letterMode)
                    letters = true;
            }

            if (word == kShiftWord && bit == kShiftBit) {
                shiftHeld_ = pressed;
                if (!pressed) {
                    lastDigit_ = 0;
                    tapIndex_ = 0;
                    shiftSentDown_ = false;
                }
            } else if (word == kAltWord && bit == kAltBit) {
                altHeld_ = pressed;
            }
        }
    }
    keys_ = now;
    if (letters) HandleLetterInput(false);
    return true;
}

KvSerialIO::Sent KvSerialIO::SendKey(WORD key, bool pressed)
{
    KvKeyCode code = key;
    if (!pressed) code |= KvKeyReleased;
    if (shiftHeld_) code |= KvKeyTerminalShift;
    if (altHeld_) code |= KvKeyTerminalAlt;
    ActivateTargetWindow();
    if (keyMap_.Execute(code, *injector_)) return Sent::Mapped;
    if (key & KvKeyMapOnly) return Sent::Nothing;
    const BYTE scan = ScanCode(BYTE(key));
    if (!scan) return Sent::Nothing;
    injector_->KeyEvent(BYTE(key), scan, pressed ? 0 : KEYEVENTF_KEYUP);
    return Sent::Event;
}

void KvSerialIO::ReleaseKey(WORD key, Press press)
{
    KvKeyCode code = key | KvKeyReleased;
    if (shiftHeld_) code |= KvKeyTerminalShift;
    if (altHeld_) code |= KvKeyTerminalAlt;
    ActivateTargetWindow();
    // A key that went down in Windows comes up first, also when its release is mapped; one that never went
    // down gets no key-up.
    if (press == Press::Event) injector_->KeyEvent(BYTE(key), ScanCode(BYTE(key)), KEYEVENTF_KEYUP);
    keyMap_.Execute(code, *injector_);
}

bool KvSerialIO::InjectKey(WORD key, bool pressed)
{
    return SendKey(key, pressed) != Sent::Nothing;
}

void KvSerialIO::ActivateTargetWindow()
{
    if (!settings_.applicationMode) return;
    HWND target = GetTargetWindow();
    if (!target) return;
    HWND foreground = GetForegroundWindow();
    HWND parent = foreground ? GetParent(foreground) : nullptr;
    if (target == foreground || (foreground && IsChild(foreground, target)) || target == parent ||
        (parent && IsChild(parent, target)))
        return;
    if (!SetForegroundWindow(GetLastActivePopup(target))) {
        ShowWindow(target, SW_MINIMIZE);
        ShowWindow(target, SW_RESTORE);
        SetForegroundWindow(target);
    }
}

bool KvSerialIO::HandleLetterInput(bool breakTap)
{
    if (!settings_.letterInputEnabled) return false;
    if (!shiftHeld_ || altHeld_) {
        lastDigit_ = 0;
        tapIndex_ = 0;
        upperCase_ = false;
        return false;
    }
    const WORD digits = WORD(keys_[kDigitWord] & 0x3FF);
    if (!digits) {
        if (breakTap) {
            lastLetterTime_ = injector_->TickCount();
            lastDigit_ = 0;
            tapIndex_ = 0;
        }
        return false;
    }

    int d = 0;
    while (!(digits & (1u << d))) ++d;
    const BYTE digit = BYTE('0' + d);
    const int count = d == 0 ? 4 : 3;
    const bool again = digit == lastDigit_;
    if (!again || tapIndex_ >= count) tapIndex_ = 0;
    const BYTE letter = kLetters[d][tapIndex_];
    ++tapIndex_;
    lastDigit_ = digit;

    static const BYTE backScan = ScanCode(VK_BACK);
    static const BYTE shiftScan = ScanCode(VK_SHIFT);
    ActivateTargetWindow();
    const BYTE letterScan = ScanCode(letter);
    if (!backScan || !letterScan) return false;

    if (again) {
        // The same key again: the next letter replaces the last one.
        injector_->KeyEvent(VK_BACK, backScan, 0);
        injector_->KeyEvent(VK_BACK, backScan, KEYEVENTF_KEYUP);
    }
    // Windows holds the terminal's Shift, which would make a capital; only a Shift we sent is let go.
    const bool liftShift = !upperCase_ && shiftSentDown_;
    if (liftShift) injector_->KeyEvent(VK_SHIFT, shiftScan, KEYEVENTF_KEYUP);
    injector_->KeyEvent(letter, letterScan, 0);
    injector_->KeyEvent(letter, letterScan, KEYEVENTF_KEYUP);
    if (liftShift) injector_->KeyEvent(VK_SHIFT, shiftScan, 0);
    lastLetterTime_ = injector_->TickCount();
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Pointer

bool KvSerialIO::HandleMouse(int x, int y, BYTE buttons)
{
    if (!settings_.transferMouseToPc) return false;
    // Without a screen size there is nothing to scale to.
    if (screenWidth_ <= 0 || screenHeight_ <= 0) return false;
    if (settings_.applicationMode) {
        HWND target = GetTargetWindow();
        RECT r;
        if (!target || !GetWindowRect(target, &r)) return false;
        x += r.left;
        y += r.top;
        // A window's rectangle ends before its right and bottom values.
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) return false;
        ActivateTargetWindow();
    } else {
        // The target window is captured unscaled, so only the desktop is scaled by its area.
        if (settings_.desktopArea.cx) x = x * settings_.desktopArea.cx / 640;
        if (settings_.desktopArea.cy) y = y * settings_.desktopArea.cy / 480;
    }
    const DWORD ax = Absolute(x, screenWidth_);
    const DWORD ay = Absolute(y, screenHeight_);

    ScopedWriteLock lock(lock_);
    const DWORD moveTo = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    // Only bits 0 (right) and 1 (left) are buttons: other bits must not swallow the move.
    const WORD now = WORD(buttons & 3);
    const WORD changed = WORD(now ^ buttons_);
    if (!changed) {
        injector_->MouseEvent(moveTo, ax, ay);
    } else {
        if (changed & 1) injector_->MouseEvent(moveTo | ((now & 1) ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP), ax, ay);
        if (changed & 2) injector_->MouseEvent(moveTo | ((now & 2) ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP), ax, ay);
        buttons_ = now;
    }
    // What we caused is not echoed back to the terminal.
    POINT c;
    if (GetCursorPos(&c)) {
        lastCursorX_ = c.x;
        lastCursorY_ = c.y;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Close

void KvSerialIO::ReleaseHeld()
{
    // Keys through the normal key path, so a key-map entry for a release plays as it would.
    static const BYTE none[8] = {};
    HandleKeyBitmap(none, sizeof none);
    // Buttons go up where the pointer is: no move, and no target window that could refuse them.
    WORD held;
    {
        ScopedWriteLock lock(lock_);
        held = buttons_;
        buttons_ = 0;
    }
    if (held & 1) injector_->MouseEvent(MOUSEEVENTF_RIGHTUP, 0, 0);
    if (held & 2) injector_->MouseEvent(MOUSEEVENTF_LEFTUP, 0, 0);
}
