#pragma once
// Waiting in tests: for a condition with a generous bound, serving this thread's messages meanwhile.

#include <windows.h>

#include <functional>

namespace testwait {

// Serves what is queued for this thread now (translated and dispatched), then returns.
void ServeMessages();

// Serves messages until done() holds; true when it did, false when timeoutMs passed first. `serve` is how a
// round of messages is served (an application object's own loop, say).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
               const std::function<void()>& serve = ServeMessages);

// Serves messages for ms milliseconds: only where nothing may happen meanwhile, or a window settles.
void PumpFor(DWORD ms, const std::function<void()>& serve = ServeMessages);

// Waits until done() holds, without serving messages (a thread's state, a file); false after timeoutMs.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Whether the window or any window in it still has something to paint (a window of another process too).
bool UpdatePending(HWND wnd);

// Waits until a window of another process has painted all it had to: its thread has served what came before
// and nothing in the window is left to paint. For screenshots of that window.
bool AwaitPainted(HWND wnd, DWORD timeoutMs);

}  // namespace testwait
