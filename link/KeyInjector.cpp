#include "link/KeyInjector.h"

void KvKeyInjector::KeyEvent(BYTE key, BYTE scanCode, DWORD flags)
{
    keybd_event(key, scanCode, flags, 0);
}

SHORT KvKeyInjector::AsyncKeyState(int key)
{
    return GetAsyncKeyState(key);
}

KvKeyInjector& KvSystemKeyInjector()
{
    static KvKeyInjector system;
    return system;
}
