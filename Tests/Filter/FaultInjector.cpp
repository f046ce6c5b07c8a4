/*
 * FaultInjector.cpp
 *
 * Linked into the test build of the filter (jobcontrolfilter_faults): points
 * the filter's allocation, reading and writing hooks at wrappers that fail
 * on demand. The environment variable JOBCONTROLFILTER_FAULT holds settings
 * separated by commas. "KIND:N[:MODE]", KIND one of alloc, read (read(2)
 * and tee(2)) and write (write(2) and splice(2)), counts the filter's calls
 * of that kind from 1:
 *
 *   KIND:N            the Nth call fails (allocations with ENOMEM, reads
 *                     with EIO, writes with ENOSPC)
 *   KIND:N:persist    the Nth call and every later one fail
 *   write:N:short     from the Nth write on, every write passes on only
 *                     half of its bytes (at least one), as a pipe may
 *   read:N:short      from the Nth read on, every read or look at the input
 *                     gets at most 3000 bytes, as from a slow previous stage
 *   KIND:N:canceled   SIGTERM arrives just before the Nth call; a write then
 *                     meets a closed output pipe (the real call, on a pipe
 *                     whose reader is gone), a read fails with EIO
 *   write:N:closed    the Nth write meets a closed output pipe, no SIGTERM
 *
 * "refuse" makes the kernel refuse every tee and splice (EINVAL), as it
 * does for files it cannot move data between: the filter falls back to
 * reading and writing. "count" reports at exit how many tee and splice
 * calls moved data.
 */
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

extern "C" {
extern void *(*jobcontrolfilter_allocate)(size_t size);
extern ssize_t (*jobcontrolfilter_read)(int fd, void *buffer, size_t size);
extern ssize_t (*jobcontrolfilter_write)(int fd, const void *buffer, size_t size);
extern ssize_t (*jobcontrolfilter_tee)(int in, int out, size_t size, unsigned int flags);
extern ssize_t (*jobcontrolfilter_splice)(int in, loff_t *inOffset, int out, loff_t *outOffset,
                                          size_t size, unsigned int flags);
}

namespace {

enum Kind { kAlloc, kRead, kWrite, kKinds };
enum Mode { kOnce, kPersist, kShort, kCanceled, kClosed };

long target[kKinds];
long calls[kKinds];
Mode mode = kOnce;
bool refuse = false;
long tees = 0, splices = 0;

/* Whether this call of `kind` is hit: the Nth, or every later one for the
   modes that last. */
bool hit(Kind kind) {
    long n = ++calls[kind];
    if (target[kind] <= 0)
        return false;
    return n == target[kind] || ((mode == kPersist || mode == kShort) && n > target[kind]);
}

void *failingAllocate(size_t size) {
    if (hit(kAlloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return malloc(size);
}

/* The most a short read or look gets: no divisor of the 4096-byte chunk. */
const size_t kShortRead = 3000;

/* Replaces standard output by a pipe whose reading end is closed. */
void closeTheOutputPipe() {
    int ends[2];
    if (pipe(ends) != 0)
        abort();
    close(ends[0]);
    dup2(ends[1], STDOUT_FILENO);
    close(ends[1]);
}

/* A read (read(2) or tee(2), given as `call`) of up to `size` bytes. */
template <typename Call> ssize_t failingReadCall(size_t size, Call call) {
    if (!hit(kRead))
        return call(size);
    if (mode == kShort)
        return call(size < kShortRead ? size : kShortRead);
    if (mode == kCanceled)
        kill(getpid(), SIGTERM);
    errno = EIO;
    return -1;
}

/* A write (write(2) or splice(2), given as `call`) of up to `size` bytes. */
template <typename Call> ssize_t failingWriteCall(size_t size, Call call) {
    if (!hit(kWrite))
        return call(size);
    switch (mode) {
    case kShort:
        return call(size > 1 ? size / 2 : size);
    case kCanceled:
        kill(getpid(), SIGTERM);
        closeTheOutputPipe();
        return call(size);
    case kClosed:
        closeTheOutputPipe();
        return call(size);
    default:
        errno = ENOSPC;
        return -1;
    }
}

ssize_t failingRead(int fd, void *buffer, size_t size) {
    return failingReadCall(size, [&](size_t n) { return read(fd, buffer, n); });
}

ssize_t failingTee(int in, int out, size_t size, unsigned int flags) {
    if (refuse) {
        errno = EINVAL;
        return -1;
    }
    ssize_t n = failingReadCall(size, [&](size_t n) { return tee(in, out, n, flags); });
    tees += n > 0;
    return n;
}

ssize_t failingWrite(int fd, const void *buffer, size_t size) {
    return failingWriteCall(size, [&](size_t n) { return write(fd, buffer, n); });
}

ssize_t failingSplice(int in, loff_t *inOffset, int out, loff_t *outOffset, size_t size,
                      unsigned int flags) {
    if (refuse) {
        errno = EINVAL;
        return -1;
    }
    ssize_t n = failingWriteCall(
        size, [&](size_t n) { return splice(in, inOffset, out, outOffset, n, flags); });
    splices += n > 0;
    return n;
}

/* With "count": how often the kernel moved data, as the last line on
   standard error. */
void reportMoves() {
    dprintf(STDERR_FILENO, "moves: tee %ld, splice %ld\n", tees, splices);
}

__attribute__((constructor)) void installFaults() {
    const char *settings = getenv("JOBCONTROLFILTER_FAULT");
    if (!settings)
        return;
    static const char *const kinds[kKinds] = {"alloc", "read", "write"};
    static const char *const modes[] = {"", "persist", "short", "canceled", "closed"};
    std::string all = settings;
    char *rest = nullptr;
    for (char *setting = strtok_r(all.data(), ",", &rest); setting;
         setting = strtok_r(nullptr, ",", &rest)) {
        char kind[8] = "", how[16] = "";
        long n = 0;
        refuse = refuse || strcmp(setting, "refuse") == 0;
        if (strcmp(setting, "count") == 0)
            atexit(reportMoves);
        if (sscanf(setting, "%7[a-z]:%ld:%15s", kind, &n, how) < 2)
            continue;
        for (int k = 0; k < kKinds; k++)
            if (strcmp(kind, kinds[k]) == 0)
                target[k] = n;
        for (int m = kOnce; m <= kClosed; m++)
            if (strcmp(how, modes[m]) == 0)
                mode = static_cast<Mode>(m);
    }
    jobcontrolfilter_allocate = failingAllocate;
    jobcontrolfilter_read = failingRead;
    jobcontrolfilter_write = failingWrite;
    jobcontrolfilter_tee = failingTee;
    jobcontrolfilter_splice = failingSplice;
}

} // namespace
