/* Test equipment: gives pseudo-terminals the lines of a null-modem cable.
 *
 * Preloaded into the Wine loader (32-bit or 64-bit) by scripts/wine-run. Linux ptys have no
 * modem-control lines, so Wine fails to raise DTR and fails WaitCommEvent with
 * line events at once. On a pty slave this library answers the modem-control
 * ioctls as a cable to a live peer would: CTS, DSR and CD always up, DTR and RTS
 * as last set, TIOCMIWAIT waiting (the peer's lines never change). Every other
 * call goes to the real function. Never part of the product.
 *
 * Wine 8 raises and drops DTR/RTS with TIOCMGET + TIOCMSET and, while a
 * WaitCommEvent pends, polls TIOCMGET (with TIOCINQ, TIOCOUTQ, TIOCGICOUNT)
 * about every millisecond from a thread of its own; a failing TIOCMGET ends
 * the wait at once. It does not use TIOCMIWAIT; the wait here is for others.
 *
 * NULLMODEM_LOG=<file> appends one line per ioctl on a pty (for probing).
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

/* Unix98 pty slaves use majors 136..143. */
enum { PTY_SLAVE_MAJOR = 136, PTY_SLAVE_MAJORS = 8, MAX_PTYS = PTY_SLAVE_MAJORS * 256 };

#define PEER_LINES (TIOCM_CTS | TIOCM_DSR | TIOCM_CAR)
#define OWN_LINES (TIOCM_DTR | TIOCM_RTS)

/* DTR/RTS per pty (the lines belong to the device, not to one descriptor).
 * Stored inverted so that zero-initialised means "up", as after opening a port. */
static int lines_down[MAX_PTYS];

static int log_fd = -1;

__attribute__((constructor)) static void nullmodem_init(void)
{
    const char* path = getenv("NULLMODEM_LOG");
    if (path && *path)
        log_fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

static ioctl_fn real_fn(const char* name, ioctl_fn* cache)
{
    ioctl_fn fn = __atomic_load_n(cache, __ATOMIC_ACQUIRE);
    if (!fn) {
        fn = (ioctl_fn)dlsym(RTLD_NEXT, name);
        __atomic_store_n(cache, fn, __ATOMIC_RELEASE);
    }
    return fn;
}

/* Index of the pty behind fd, or -1. */
static int pty_index(int fd, dev_t* rdev)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return -1;
    unsigned maj = major(st.st_rdev), min = minor(st.st_rdev);
    if (maj < PTY_SLAVE_MAJOR || maj >= PTY_SLAVE_MAJOR + PTY_SLAVE_MAJORS || min > 255)
        return -1;
    if (rdev)
        *rdev = st.st_rdev;
    return (int)((maj - PTY_SLAVE_MAJOR) * 256 + min);
}

static void log_call(const char* what, int fd, unsigned long req, unsigned long arg, int ret, int err)
{
    char line[160];
    int n = snprintf(line, sizeof line, "%s pid=%d tid=%ld fd=%d req=0x%lx arg=0x%lx ret=%d errno=%d\n", what,
                     (int)getpid(), (long)syscall(SYS_gettid), fd, req, arg, ret, ret < 0 ? err : 0);
    if (n > 0 && write(log_fd, line, (size_t)n) < 0) {
        /* nothing sensible to do */
    }
}

static int own_lines(int index)
{
    return OWN_LINES & ~__atomic_load_n(&lines_down[index], __ATOMIC_RELAXED);
}

static void set_own_lines(int index, int bits)
{
    __atomic_store_n(&lines_down[index], OWN_LINES & ~bits, __ATOMIC_RELAXED);
}

/* The peer's lines never change, so a wait for a change lasts until the port
 * goes away: the descriptor is closed or reused, or the other end hangs up.
 * Polls slowly rather than spinning. */
static int wait_for_line_change(int fd, dev_t rdev)
{
    for (;;) {
        struct pollfd p = { .fd = fd, .events = 0, .revents = 0 };
        int r = poll(&p, 1, 250);
        if (r < 0 && errno != EINTR)
            return -1;
        if (r > 0 && (p.revents & POLLNVAL)) {
            errno = EBADF;
            return -1;
        }
        if (r > 0 && (p.revents & (POLLHUP | POLLERR))) {
            errno = EIO;
            return -1;
        }
        dev_t now;
        if (pty_index(fd, &now) < 0 || now != rdev) {
            errno = EBADF;
            return -1;
        }
    }
}

/* Returns 1 and sets *ret when the call was answered here. */
static int answer(int fd, unsigned long req, void* arg, int* ret)
{
    if (req != TIOCMGET && req != TIOCMBIS && req != TIOCMBIC && req != TIOCMSET && req != TIOCMIWAIT)
        return 0;
    dev_t rdev = 0;
    int index = pty_index(fd, &rdev);
    if (index < 0)
        return 0;

    int* bits = (int*)arg;
    switch (req) {
    case TIOCMGET:
        if (!bits) {
            errno = EFAULT;
            *ret = -1;
            return 1;
        }
        *bits = PEER_LINES | own_lines(index);
        break;
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCMSET:
        if (!bits) {
            errno = EFAULT;
            *ret = -1;
            return 1;
        }
        if (req == TIOCMBIS)
            __atomic_fetch_and(&lines_down[index], ~(*bits & OWN_LINES), __ATOMIC_RELAXED);
        else if (req == TIOCMBIC)
            __atomic_fetch_or(&lines_down[index], *bits & OWN_LINES, __ATOMIC_RELAXED);
        else
            set_own_lines(index, *bits);
        break;
    case TIOCMIWAIT:
        *ret = wait_for_line_change(fd, rdev);
        return 1;
    }
    *ret = 0;
    return 1;
}

static int dispatch(const char* name, ioctl_fn* cache, int fd, unsigned long req, void* arg)
{
    int ret;
    if (log_fd >= 0 && req == TIOCMIWAIT)
        log_call("enter", fd, req, (unsigned long)arg, 0, 0);
    int answered = answer(fd, req, arg, &ret);
    if (!answered) {
        ioctl_fn fn = real_fn(name, cache);
        if (!fn) {
            errno = ENOSYS;
            return -1;
        }
        ret = fn(fd, req, arg);
    }
    if (log_fd >= 0) {
        int err = errno;
        if (answered || pty_index(fd, NULL) >= 0)
            log_call(name, fd, req, (unsigned long)arg, ret, err);
        errno = err;
    }
    return ret;
}

int ioctl(int fd, unsigned long req, ...)
{
    static ioctl_fn real;
    va_list ap;
    va_start(ap, req);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    return dispatch("ioctl", &real, fd, req, arg);
}

/* 32-bit glibc's entry for callers built with a 64-bit time_t; Wine's ntdll uses it. */
int __ioctl_time64(int fd, unsigned long req, ...);
int __ioctl_time64(int fd, unsigned long req, ...)
{
    static ioctl_fn real;
    va_list ap;
    va_start(ap, req);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    return dispatch("__ioctl_time64", &real, fd, req, arg);
}
