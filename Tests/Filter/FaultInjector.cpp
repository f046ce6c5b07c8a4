/*
 * FaultInjector.cpp
 *
 * Linked into the test build of the filter (jobcontrolfilter_faults): points
 * its allocation, reading and writing hooks at wrappers that fail on demand.
 * JOBCONTROLFILTER_FAULT holds settings separated by commas. "KIND:N[:MODE]"
 * counts the calls of KIND (alloc; read: read(2), tee(2); write: write(2),
 * splice(2)) from 1; the Nth fails (ENOMEM, EIO, ENOSPC), or with MODE:
 * persist (it and every later one fail), short (from it on, writes pass on
 * half their bytes, reads and looks get at most 3000), canceled (SIGTERM
 * arrives just before it; a write then meets a closed output pipe, a read
 * fails), interrupted (SIGTERM arrives during it, which fails with EINTR),
 * closed (a write meets a closed output pipe). "refuse" makes the kernel
 * refuse every tee and splice (EINVAL); "count" reports at exit how many
 * moved data and how large the standard input and output pipes are.
 */
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
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
const char *const kKindNames[kKinds] = {"alloc", "read", "write"};
enum Mode { kOnce, kPersist, kShort, kCanceled, kClosed, kInterrupted, kModes };
const char *const kModeNames[kModes] = {"",         "persist", "short",
                                        "canceled", "closed",  "interrupted"};

long target[kKinds], calls[kKinds], tees, splices;
Mode mode = kOnce;
bool refuse = false;

/* Whether this call of `kind` is hit: the Nth, or any later one for the
   modes that last. */
bool hit(Kind kind) {
    long n = ++calls[kind];
    return target[kind] > 0 &&
           (n == target[kind] || ((mode == kPersist || mode == kShort) && n > target[kind]));
}

/* Standard output becomes a pipe whose reading end is closed. */
void closeTheOutputPipe() {
    int ends[2];
    if (pipe(ends) != 0)
        abort();
    close(ends[0]);
    dup2(ends[1], STDOUT_FILENO);
    close(ends[1]);
}

void *failingAllocate(size_t size) {
    if (!hit(kAlloc))
        return malloc(size);
    errno = ENOMEM;
    return nullptr;
}

/* A read (read(2) or tee(2), given as `call`) of up to `size` bytes. */
template <typename Call> ssize_t failingRead(size_t size, Call call) {
    if (!hit(kRead))
        return call(size);
    if (mode == kShort)
        return call(size < 3000 ? size : 3000);
    if (mode == kCanceled || mode == kInterrupted)
        kill(getpid(), SIGTERM);
    errno = mode == kInterrupted ? EINTR : EIO;
    return -1;
}

/* A write (write(2) or splice(2), given as `call`) of up to `size` bytes. */
template <typename Call> ssize_t failingWrite(size_t size, Call call) {
    if (!hit(kWrite))
        return call(size);
    if (mode == kShort)
        return call(size > 1 ? size / 2 : size);
    if (mode == kCanceled || mode == kInterrupted)
        kill(getpid(), SIGTERM);
    if (mode == kCanceled || mode == kClosed) {
        closeTheOutputPipe();
        return call(size);
    }
    errno = mode == kInterrupted ? EINTR : ENOSPC;
    return -1;
}

/* A tee or splice the kernel refuses or makes, counted when it moves data. */
template <typename Call> ssize_t move(long &count, Call call) {
    if (refuse) {
        errno = EINVAL;
        return -1;
    }
    ssize_t n = call();
    count += n > 0;
    return n;
}

void reportMoves() {
    dprintf(STDERR_FILENO, "moves: tee %ld, splice %ld, pipes %d %d\n", tees, splices,
            fcntl(STDIN_FILENO, F_GETPIPE_SZ), fcntl(STDOUT_FILENO, F_GETPIPE_SZ));
}

__attribute__((constructor)) void installFaults() {
    const char *settings = getenv("JOBCONTROLFILTER_FAULT");
    if (!settings)
        return;
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
            target[k] = strcmp(kind, kKindNames[k]) == 0 ? n : target[k];
        for (int m = 0; m < kModes; m++)
            mode = strcmp(how, kModeNames[m]) == 0 ? static_cast<Mode>(m) : mode;
    }
    jobcontrolfilter_allocate = failingAllocate;
    jobcontrolfilter_read = [](int fd, void *buffer, size_t size) {
        return failingRead(size, [&](size_t n) { return read(fd, buffer, n); });
    };
    jobcontrolfilter_tee = [](int in, int out, size_t size, unsigned int flags) {
        return move(tees, [&] {
            return failingRead(size, [&](size_t n) { return tee(in, out, n, flags); });
        });
    };
    jobcontrolfilter_write = [](int fd, const void *buffer, size_t size) {
        return failingWrite(size, [&](size_t n) { return write(fd, buffer, n); });
    };
    jobcontrolfilter_splice = [](int in, loff_t *inOffset, int out, loff_t *outOffset, size_t size,
                                 unsigned int flags) {
        return move(splices, [&] {
            return failingWrite(
                size, [&](size_t n) { return splice(in, inOffset, out, outOffset, n, flags); });
        });
    };
}

} // namespace
