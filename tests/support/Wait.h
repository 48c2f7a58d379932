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

}  // namespace testwait
