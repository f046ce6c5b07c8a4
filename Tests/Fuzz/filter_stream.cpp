/*
 * filter_stream.cpp
 *
 * libFuzzer target for the filter's stream. The input is split into the
 * job options (its first line, a CUPS option string) and the job: two
 * bytes after that line give the length of a filler put in front of the
 * rest (its line break from a third byte), so that short inputs reach the
 * chunk boundaries at 4096 and 8192; the third byte also chooses whether
 * the job comes from a named file or a pipe, and goes to a file or a pipe.
 * The filter's own main runs in-process with standard error on a memory
 * file, and the result is checked against the whole-buffer oracle, exit
 * status 1 with exactly one error line when the block cannot be built.
 */
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cups/cups.h>

#include "FilterOracle.h"

int jobcontrolfilter_main(int argc, char *argv[]);

namespace {

int jobFd = -1, outFd = -1, errFd = -1;

/* Empties a memory file, or makes a pipe that holds a whole job without a reader. */
void reset(int fd) {
    if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0)
        abort();
}
void makeBigPipe(int ends[2]) {
    if (pipe(ends) != 0 || fcntl(ends[0], F_SETPIPE_SZ, 1 << 20) < 0)
        abort();
}

std::string contents(int fd, bool rewind) {
    std::string text;
    char buffer[65536];
    ssize_t n;
    if (rewind)
        lseek(fd, 0, SEEK_SET);
    while ((n = read(fd, buffer, sizeof(buffer))) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

std::string stampAt(time_t when) {
    struct tm local;
    char text[64];
    if (!localtime_r(&when, &local))
        memset(&local, 0, sizeof(local));
    snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
             local.tm_mday, local.tm_hour, local.tm_min);
    return std::string(text, 12);
}

std::string filler(unsigned kind, size_t length) {
    static const char *const lines[] = {"", "\n", "\r\n", "\r"};
    std::string text;
    while (text.size() < length)
        text += std::string("% filler text of the job") + lines[kind % 4];
    text.resize(length);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    jobFd = memfd_create("job", 0);
    outFd = memfd_create("out", 0);
    errFd = memfd_create("err", 0);
    if (jobFd < 0 || outFd < 0 || errFd < 0)
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const uint8_t *end = data + size;
    const uint8_t *newline = static_cast<const uint8_t *>(memchr(data, '\n', size));
    std::string options, job;
    bool pipeIn = false, pipeOut = false;
    if (newline) {
        options.assign(reinterpret_cast<const char *>(data), newline - data);
        options.resize(strlen(options.c_str())); /* an argument ends at a NUL */
        const uint8_t *p = newline + 1;
        if (end - p >= 3) {
            job = filler(p[2], (p[0] | (p[1] << 8)) % 8300);
            pipeIn = p[2] & 4, pipeOut = p[2] & 8;
            p += 3;
        }
        job.append(reinterpret_cast<const char *>(p), end - p);
    } else {
        job.assign(reinterpret_cast<const char *>(data), size);
    }

    reset(jobFd);
    reset(outFd);
    reset(errFd);
    if (write(jobFd, job.data(), job.size()) != static_cast<ssize_t>(job.size()))
        abort();
    setenv("TZ", "UTC0", 1);
    tzset();
    struct sigaction oldTerm, oldPipe;
    sigaction(SIGTERM, nullptr, &oldTerm);
    sigaction(SIGPIPE, nullptr, &oldPipe);
    fflush(stdout);
    fflush(stderr);
    int savedIn = dup(0), savedOut = dup(1), savedErr = dup(2);
    int in[2] = {-1, -1}, outPipe[2] = {-1, -1};
    if (pipeIn) {
        makeBigPipe(in);
        if (write(in[1], job.data(), job.size()) != static_cast<ssize_t>(job.size()))
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

    char jobPath[64];
    snprintf(jobPath, sizeof(jobPath), "/proc/self/fd/%d", jobFd);
    char name[] = "jobcontrolfilter", id[] = "1", user[] = "fuzz", title[] = "t", copies[] = "1";
    char *argv[] = {name, id, user, title, copies, options.data(), jobPath, nullptr};
    time_t before = time(nullptr);
    int status = jobcontrolfilter_main(pipeIn ? 6 : 7, argv);
    time_t after = time(nullptr);

    fflush(stderr);
    for (int fd : {0, 1, 2})
        dup2(fd == 0 ? savedIn : fd == 1 ? savedOut : savedErr, fd);
    close(savedIn);
    close(savedOut);
    close(savedErr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGPIPE, &oldPipe, nullptr);
    std::string err = contents(errFd, true), out;
    if (pipeOut) {
        fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
        out = contents(outPipe[0], false);
        close(outPipe[0]);
    } else {
        out = contents(outFd, true);
    }

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
        matched = matched || (expected.exitStatus == status && expected.output == out);
    }
    size_t errors = 0;
    const std::string lines = "\n" + err;
    for (size_t at = lines.find("\nERROR: "); at != std::string::npos;
         at = lines.find("\nERROR: ", at + 1))
        errors++;
    if (!matched || errors != (status == 0 ? 0u : 1u)) {
        fprintf(stderr, "filter_stream: %s (options \"%s\", exit status %d)\n",
                matched ? "wrong number of error lines" : "output differs from the oracle",
                options.c_str(), status);
        abort();
    }
    return 0;
}
