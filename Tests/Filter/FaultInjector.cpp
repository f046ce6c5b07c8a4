/*
 * FaultInjector.cpp
 *
 * Linked into the test build of the filter (jobcontrolfilter_faults): points
 * the filter's allocation, read and write hooks at wrappers that fail on
 * demand. The environment variable JOBCONTROLFILTER_FAULT reads
 * "KIND:N[:MODE]", KIND one of alloc, read, write, counting the filter's
 * calls of that kind from 1:
 *
 *   KIND:N            the Nth call fails (allocations with ENOMEM, reads
 *                     with EIO, writes with ENOSPC)
 *   KIND:N:persist    the Nth call and every later one fail
 *   write:N:short     from the Nth write on, every write passes on only
 *                     half of its bytes (at least one), as a pipe may
 *   KIND:N:canceled   SIGTERM arrives just before the Nth call; a write then
 *                     meets a closed output pipe (the real write, on a pipe
 *                     whose reader is gone), a read fails with EIO
 */
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <sys/types.h>
#include <unistd.h>

extern "C" {
extern void *(*jobcontrolfilter_allocate)(size_t size);
extern ssize_t (*jobcontrolfilter_read)(int fd, void *buffer, size_t size);
extern ssize_t (*jobcontrolfilter_write)(int fd, const void *buffer, size_t size);
}

namespace {

enum Kind { kAlloc, kRead, kWrite, kKinds };
enum Mode { kOnce, kPersist, kShort, kCanceled };

long target[kKinds];
long calls[kKinds];
Mode mode = kOnce;

/* Whether this call of `kind` is hit: the Nth, or every later one for the
   modes that last. */
bool hit(Kind kind) {
    long n = ++calls[kind];
    if (target[kind] <= 0)
        return false;
    return n == target[kind] || (mode != kOnce && mode != kCanceled && n > target[kind]);
}

void *failingAllocate(size_t size) {
    if (hit(kAlloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return malloc(size);
}

ssize_t failingRead(int fd, void *buffer, size_t size) {
    if (hit(kRead)) {
        if (mode == kCanceled)
            kill(getpid(), SIGTERM);
        errno = EIO;
        return -1;
    }
    return read(fd, buffer, size);
}

/* Replaces standard output by a pipe whose reading end is closed. */
void closeTheOutputPipe() {
    int ends[2];
    if (pipe(ends) != 0)
        abort();
    close(ends[0]);
    dup2(ends[1], STDOUT_FILENO);
    close(ends[1]);
}

ssize_t failingWrite(int fd, const void *buffer, size_t size) {
    if (hit(kWrite)) {
        switch (mode) {
        case kShort:
            return write(fd, buffer, size > 1 ? size / 2 : size);
        case kCanceled:
            kill(getpid(), SIGTERM);
            closeTheOutputPipe();
            return write(fd, buffer, size);
        default:
            errno = ENOSPC;
            return -1;
        }
    }
    return write(fd, buffer, size);
}

__attribute__((constructor)) void installFaults() {
    const char *setting = getenv("JOBCONTROLFILTER_FAULT");
    if (!setting)
        return;
    static const char *const kinds[kKinds] = {"alloc:", "read:", "write:"};
    for (int kind = 0; kind < kKinds; kind++) {
        size_t length = strlen(kinds[kind]);
        if (strncmp(setting, kinds[kind], length) != 0)
            continue;
        char *rest = nullptr;
        target[kind] = strtol(setting + length, &rest, 10);
        if (strcmp(rest, ":persist") == 0)
            mode = kPersist;
        else if (strcmp(rest, ":short") == 0)
            mode = kShort;
        else if (strcmp(rest, ":canceled") == 0)
            mode = kCanceled;
    }
    jobcontrolfilter_allocate = failingAllocate;
    jobcontrolfilter_read = failingRead;
    jobcontrolfilter_write = failingWrite;
}

} // namespace
