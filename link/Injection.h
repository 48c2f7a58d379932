#pragma once
// Where the link's synthesized keyboard and mouse input goes, and the clock its letter timing reads. By
// default the real system calls; a test puts a recorder in its place to see the exact order of the events.
// The link object's injection code (key bitmaps, letters, pointer) is in Injection.cpp.

#include <windows.h>

#include "link/KeyInjector.h"

class KvInputInjector : public KvKeyInjector {
public:
    // mouse_event(flags, dx, dy, 0, 0).
    virtual void MouseEvent(DWORD flags, DWORD dx, DWORD dy);
    // GetTickCount().
    virtual DWORD TickCount();
};

// The one injector that makes the real calls.
KvInputInjector& KvSystemInputInjector();
