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

char kind[8], mode[16]; /* the kind of call that fails, and how */
long target, calls, tees, splices;
bool refuse;

bool modeIs(const char *name) {
    return strcmp(mode, name) == 0;
}

/* Whether this call of `callKind` is hit: the Nth, or any later one for
   the modes that last. */
bool hit(const char *callKind) {
    if (strcmp(kind, callKind) != 0)
        return false;
    long n = ++calls;
    return n == target || (n > target && (modeIs("persist") || modeIs("short")));
}

/* A read (read(2) or tee(2)) or a write (write(2) or splice(2)) of up to
   `size` bytes, made by `call`. */
template <typename Call> ssize_t failing(bool write, size_t size, Call call) {
    if (!hit(write ? "write" : "read"))
        return call(size);
    if (modeIs("short"))
        return call(write ? (size > 1 ? size / 2 : size) : (size < 3000 ? size : 3000));
    if (modeIs("canceled") || modeIs("interrupted"))
        kill(getpid(), SIGTERM);
    if (write && (modeIs("canceled") || modeIs("closed"))) {
        /* Standard output becomes a pipe whose reading end is closed. */
        int ends[2];
        if (pipe(ends) != 0)
            abort();
        close(ends[0]);
        dup2(ends[1], STDOUT_FILENO);
        close(ends[1]);
        return call(size);
    }
    errno = modeIs("interrupted") ? EINTR : write ? ENOSPC : EIO;
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
        if (strcmp(setting, "refuse") == 0)
            refuse = true;
        else if (strcmp(setting, "count") == 0)
            atexit(reportMoves);
        else
            sscanf(setting, "%7[a-z]:%ld:%15s", kind, &target, mode);
    }
    jobcontrolfilter_allocate = [](size_t size) {
        void *allocated = hit("alloc") ? nullptr : malloc(size);
        errno = allocated ? errno : ENOMEM;
        return allocated;
    };
    jobcontrolfilter_read = [](int fd, void *buffer, size_t size) {
        return failing(false, size, [&](size_t n) { return read(fd, buffer, n); });
    };
    jobcontrolfilter_tee = [](int in, int out, size_t size, unsigned int flags) {
        return move(tees, [&] {
            return failing(false, size, [&](size_t n) { return tee(in, out, n, flags); });
        });
    };
    jobcontrolfilter_write = [](int fd, const void *buffer, size_t size) {
        return failing(true, size, [&](size_t n) { return write(fd, buffer, n); });
    };
    jobcontrolfilter_splice = [](int in, loff_t *inOffset, int out, loff_t *outOffset, size_t size,
                                 unsigned int flags) {
        return move(splices, [&] {
            return failing(true, size, [&](size_t n) {
                return splice(in, inOffset, out, outOffset, n, flags);
            });
        });
    };
}

} // namespace
