/*
 * filter_stream.cpp
 *
 * libFuzzer target for the filter's stream: the input's first line is the
 * CUPS option string; the first three bytes of the job after it give a
 * filler put in front (reaching the chunk boundaries at 4096 and 8192), its
 * line break, and whether the job comes from a file or a pipe and goes to
 * one. The filter's own main runs in-process; its output, exit status and
 * error line must be the whole-buffer oracle's.
 */
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "FilterOracle.h"

int jobcontrolfilter_main(int argc, char *argv[]);

namespace {

/* A pipe large enough for a whole job, holding `text`. */
void pipeHolding(const std::string &text, int ends[2]) {
    if (pipe(ends) != 0 || fcntl(ends[0], F_SETPIPE_SZ, 1 << 20) < 0 ||
        write(ends[1], text.data(), text.size()) != ssize_t(text.size()))
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char *text = reinterpret_cast<const char *>(data);
    const char *newline = static_cast<const char *>(memchr(text, '\n', size));
    std::string options, job(text, size);
    bool pipeIn = false, pipeOut = false;
    if (newline) {
        options.assign(text, strnlen(text, newline - text)); /* an argument ends at a NUL */
        job.assign(newline + 1, text + size);
    }
    if (newline && job.size() >= 3) {
        static const char *const breaks[] = {"", "\n", "\r\n", "\r"};
        size_t length = (uint8_t(job[0]) | uint8_t(job[1]) << 8) % 8300;
        std::string filler;
        while (filler.size() < length)
            filler += std::string("% filler text of the job") + breaks[job[2] & 3];
        pipeIn = job[2] & 4, pipeOut = job[2] & 8;
        job = filler.substr(0, length) + job.substr(3);
    }

    setenv("TZ", "UTC0", 1);
    tzset();
    struct sigaction oldTerm, oldPipe;
    sigaction(SIGTERM, nullptr, &oldTerm);
    sigaction(SIGPIPE, nullptr, &oldPipe);
    fflush(stderr);
    int saved[3] = {dup(0), dup(1), dup(2)}, in[2], out[2];
    int file = oracle::memoryFile(job), err = oracle::memoryFile("");
    if (pipeOut)
        pipeHolding("", out);
    else
        out[0] = out[1] = oracle::memoryFile("");
    if (pipeIn) {
        pipeHolding(job, in);
        close(in[1]);
        dup2(in[0], 0);
        close(in[0]);
    }
    dup2(out[1], 1);
    dup2(err, 2);

    std::string jobPath = "/proc/self/fd/" + std::to_string(file);
    char name[] = "jobcontrolfilter", id[] = "1", user[] = "fuzz", title[] = "t", copies[] = "1";
    char *argv[] = {name, id, user, title, copies, options.data(), jobPath.data(), nullptr};
    time_t before = time(nullptr);
    int status = jobcontrolfilter_main(pipeIn ? 6 : 7, argv);
    time_t after = time(nullptr);

    fflush(stderr);
    for (int fd : {0, 1, 2}) {
        dup2(saved[fd], fd);
        close(saved[fd]);
    }
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGPIPE, &oldPipe, nullptr);
    if (pipeOut)
        close(out[1]);
    std::string errors = "\n" + oracle::readAll(err), output = oracle::readAll(out[0]);
    for (int fd : {file, err, out[0]})
        close(fd);

    /* The oracle with the clock before and after the run. */
    bool matched = false;
    for (time_t when : {before, after}) {
        oracle::Expectation expected = oracle::expect(job, options, when);
        matched = matched || (expected.exitStatus == status && expected.output == output);
    }
    size_t error = errors.find("\nERROR: "), second = errors.find("\nERROR: ", error + 1);
    if (!matched || (status == 0) != (error == std::string::npos) || second != std::string::npos) {
        fprintf(stderr, "filter_stream: %s (options \"%s\", exit status %d)\n",
                matched ? "wrong number of error lines" : "output differs from the oracle",
                options.c_str(), status);
        abort();
    }
    return 0;
}
