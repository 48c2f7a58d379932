#pragma once
// Where the link's synthesized keyboard input goes. By default the real system calls; a test puts a
// recorder in its place to see the exact order of the events.

#include <windows.h>

class KvKeyInjector {
public:
    KvKeyInjector() = default;
    KvKeyInjector(const KvKeyInjector&) = delete;
    KvKeyInjector& operator=(const KvKeyInjector&) = delete;
    virtual ~KvKeyInjector() = default;

    // keybd_event(key, scanCode, flags, 0); flags 0 for a press, KEYEVENTF_KEYUP for a release.
    virtual void KeyEvent(BYTE key, BYTE scanCode, DWORD flags);
    // GetAsyncKeyState(key): the high bit is set while the key is down.
    virtual SHORT AsyncKeyState(int key);
};

// The one injector that makes the real calls.
KvKeyInjector& KvSystemKeyInjector();
