#pragma once
// Memory fenced by inaccessible pages on both sides: a read or write past either end crashes at once.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

// A fault ends the run at once with a message, instead of waiting on a debugger.
inline LONG WINAPI GuardedBufferFault(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    std::fprintf(stderr, "\nFATAL: exception 0x%08lX at %p (address %p) - a buffer overrun?\n",
                 static_cast<unsigned long>(r->ExceptionCode), r->ExceptionAddress,
                 r->NumberParameters > 1 ? reinterpret_cast<void*>(r->ExceptionInformation[1]) : nullptr);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

class GuardedBuffer {
public:
    explicit GuardedBuffer(std::size_t capacity)
    {
        static const bool armed = (SetUnhandledExceptionFilter(GuardedBufferFault), true);
        (void)armed;
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        page_ = si.dwPageSize;
        inner_ = (capacity + page_ - 1) / page_ * page_;
        if (inner_ == 0) inner_ = page_;
        base_ = static_cast<std::uint8_t*>(
            VirtualAlloc(nullptr, inner_ + 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!base_) throw std::runtime_error("VirtualAlloc failed");
        DWORD old;
        if (!VirtualProtect(base_, page_, PAGE_NOACCESS, &old) ||
            !VirtualProtect(base_ + page_ + inner_, page_, PAGE_NOACCESS, &old))
            throw std::runtime_error("VirtualProtect failed");
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    ~GuardedBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }

    // n bytes that end where the trailing guard page begins.
    std::uint8_t* Tail(std::size_t n) const { return base_ + page_ + inner_ - n; }
    // n bytes that start where the leading guard page ends.
    std::uint8_t* Head() const { return base_ + page_; }
    std::size_t Capacity() const { return inner_; }
    const std::uint8_t* TrailingGuard() const { return base_ + page_ + inner_; }
    const std::uint8_t* LeadingGuard() const { return base_ + page_ - 1; }

private:
    std::size_t page_ = 0;
    std::size_t inner_ = 0;
    std::uint8_t* base_ = nullptr;
};
