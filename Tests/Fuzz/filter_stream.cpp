/*
 * filter_stream.cpp
 *
 * libFuzzer target for the filter's stream. The input is split into the
 * job options (its first line, a CUPS option string) and the job: two
 * bytes after that line give the length of a filler put in front of the
 * rest (its kind from a third byte), so that short inputs reach the chunk
 * boundaries at 4096 and 8192. The third byte also chooses the job's path:
 * from a named file or a pipe on standard input, to a file or a pipe on
 * standard output, or pipe to pipe with the kernel refusing to move data
 * (tee and splice fail as they do for files they cannot handle). The
 * filter's own main runs in-process on the job with standard error on a
 * memory file, and the result is checked against the whole-buffer oracle:
 * the job with the block inserted before the first line-head
 * "%%BeginProlog", exit status 1 and exactly one error line when the block
 * cannot be built.
 */
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cups/cups.h>

#include "FilterOracle.h"

int jobcontrolfilter_main(int argc, char *argv[]);

extern "C" {
extern ssize_t (*jobcontrolfilter_tee)(int in, int out, size_t size, unsigned int flags);
extern ssize_t (*jobcontrolfilter_splice)(int in, loff_t *inOffset, int out, loff_t *outOffset,
                                          size_t size, unsigned int flags);
}

namespace {

enum Path { kFileToFile, kFileToPipe, kPipeToFile, kPipeToPipe, kRefused, kPaths };

ssize_t refusedTee(int, int, size_t, unsigned int) {
    errno = EINVAL;
    return -1;
}

ssize_t refusedSplice(int, loff_t *, int, loff_t *, size_t, unsigned int) {
    errno = EINVAL;
    return -1;
}

/* A pipe that holds a whole job (or its output) without a reader. */
void makeBigPipe(int ends[2]) {
    if (pipe(ends) != 0 || fcntl(ends[0], F_SETPIPE_SZ, 1 << 20) < 0)
        abort();
}

} // namespace

static int jobFd = -1, outFd = -1, errFd = -1;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    jobFd = memfd_create("job", 0);
    outFd = memfd_create("out", 0);
    errFd = memfd_create("err", 0);
    if (jobFd < 0 || outFd < 0 || errFd < 0)
        abort();
    return 0;
}

static void reset(int fd) {
    if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0)
        abort();
}

static std::string contents(int fd) {
    std::string text;
    char buffer[65536];
    ssize_t n;
    lseek(fd, 0, SEEK_SET);
    while ((n = read(fd, buffer, sizeof(buffer))) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

static std::string stampAt(time_t when) {
    struct tm local;
    char text[64];
    if (!localtime_r(&when, &local))
        memset(&local, 0, sizeof(local));
    snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
             local.tm_mday, local.tm_hour, local.tm_min);
    return std::string(text, 12);
}

static std::string filler(unsigned kind, size_t length) {
    static const char *const lines[] = {"", "\n", "\r\n", "\r"};
    const std::string lineBreak = lines[kind % 4];
    std::string text;
    while (text.size() < length) {
        text += "% filler text of the job";
        text += lineBreak;
    }
    text.resize(length);
    return text;
}

[[noreturn]] static void mismatch(const char *what, const std::string &options, int status,
                                  int path) {
    fprintf(stderr, "filter_stream: %s (options \"%s\", exit status %d, path %d)\n", what,
            options.c_str(), status, path);
    abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const uint8_t *end = data + size;
    const uint8_t *newline = static_cast<const uint8_t *>(memchr(data, '\n', size));
    std::string options;
    std::string job;
    Path path = kFileToFile;
    if (newline) {
        options.assign(reinterpret_cast<const char *>(data), newline - data);
        options.resize(strlen(options.c_str())); /* an argument ends at a NUL */
        const uint8_t *p = newline + 1;
        if (end - p >= 3) {
            size_t length = (p[0] | (p[1] << 8)) % 8300;
            job = filler(p[2], length);
            path = static_cast<Path>((p[2] / 4) % kPaths);
            p += 3;
        }
        job.append(reinterpret_cast<const char *>(p), end - p);
    } else {
        job.assign(reinterpret_cast<const char *>(data), size);
    }

    reset(jobFd);
    reset(outFd);
    reset(errFd);
    if (!job.empty() && write(jobFd, job.data(), job.size()) != static_cast<ssize_t>(job.size()))
        abort();

    setenv("TZ", "UTC0", 1);
    tzset();
    struct sigaction oldTerm, oldPipe;
    sigaction(SIGTERM, nullptr, &oldTerm);
    sigaction(SIGPIPE, nullptr, &oldPipe);
    fflush(stdout);
    fflush(stderr);
    int savedIn = dup(0), savedOut = dup(1), savedErr = dup(2);
    bool pipeIn = path == kPipeToFile || path == kPipeToPipe || path == kRefused;
    bool pipeOut = path == kFileToPipe || path == kPipeToPipe || path == kRefused;
    int in[2] = {-1, -1}, outPipe[2] = {-1, -1};
    if (pipeIn) {
        makeBigPipe(in);
        if (!job.empty() &&
            write(in[1], job.data(), job.size()) != static_cast<ssize_t>(job.size()))
            abort();
        close(in[1]);
        dup2(in[0], 0);
        close(in[0]);
    }
    if (pipeOut) {
        makeBigPipe(outPipe);
        dup2(outPipe[1], 1);
        close(outPipe[1]);
    } else {
        dup2(outFd, 1);
    }
    dup2(errFd, 2);
    auto *const savedTee = jobcontrolfilter_tee;
    auto *const savedSplice = jobcontrolfilter_splice;
    if (path == kRefused) {
        jobcontrolfilter_tee = refusedTee;
        jobcontrolfilter_splice = refusedSplice;
    }

    char jobPath[64];
    snprintf(jobPath, sizeof(jobPath), "/proc/self/fd/%d", jobFd);
    char name[] = "jobcontrolfilter", id[] = "1", user[] = "fuzz", title[] = "t", copies[] = "1";
    char *argv[] = {name, id, user, title, copies, options.data(), jobPath, nullptr};
    time_t before = time(nullptr);
    int status = jobcontrolfilter_main(pipeIn ? 6 : 7, argv);
    time_t after = time(nullptr);

    fflush(stderr);
    dup2(savedIn, 0);
    dup2(savedOut, 1);
    dup2(savedErr, 2);
    close(savedIn);
    close(savedOut);
    close(savedErr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGPIPE, &oldPipe, nullptr);
    jobcontrolfilter_tee = savedTee;
    jobcontrolfilter_splice = savedSplice;

    std::string result, err = contents(errFd);
    if (pipeOut) {
        char buffer[65536];
        ssize_t n;
        fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
        while ((n = read(outPipe[0], buffer, sizeof(buffer))) > 0)
            result.append(buffer, static_cast<size_t>(n));
        close(outPipe[0]);
    } else {
        result = contents(outFd);
    }
    const std::string &out = result;

    /* The oracle, with the options as the CUPS parser reads them and the
       clock in the time zone the filter has set. */
    cups_option_t *parsed = nullptr;
    int count = cupsParseOptions(options.c_str(), 0, &parsed);
    oracle::Options map;
    for (int i = 0; i < count; i++)
        map[parsed[i].name] = parsed[i].value;
    cupsFreeOptions(count, parsed);
    tzset();

    bool matched = false;
    for (time_t when : {before, after}) {
        oracle::Expectation expected = oracle::expect(job, map, stampAt(when));
        if (expected.exitStatus == status && expected.output == out)
            matched = true;
    }
    if (!matched)
        mismatch("output differs from the oracle", options, status, path);

    size_t errors = 0;
    for (size_t at = 0; at < err.size();) {
        size_t next = err.find('\n', at);
        if (err.compare(at, 7, "ERROR: ") == 0)
            errors++;
        at = next == std::string::npos ? err.size() : next + 1;
    }
    if (status == 0 ? errors != 0 : errors != 1)
        mismatch("wrong number of error lines", options, status, path);
    return 0;
}
