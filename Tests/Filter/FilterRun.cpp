/*
 * FilterRun.cpp
 *
 * Child-process runner for the filter tests: fork, exec with the CUPS
 * filter arguments; a thread feeds a piped job while standard output is
 * drained, so that neither side can block the other. Files (the job, the
 * output, standard error) are memory files.
 */
#include "FilterRun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

const char kPinnedStampUTC[] = "202603010030", kPinnedStampJST[] = "202603010930";

const Path kEveryPath[5] = {Path::kPipeToPipe, Path::kPipeToFile, Path::kFileToPipe,
                            Path::kFileToFile, Path::kFallback};

const char *pathName(Path path) {
    static const char *const names[] = {"pipe to pipe", "pipe to file", "file to pipe",
                                        "file to file", "kernel moves refused"};
    return names[static_cast<int>(path)];
}

testing::AssertionResult sameBytes(const std::string &actual, const std::string &expected) {
    if (actual == expected)
        return testing::AssertionSuccess();
    size_t at =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
        actual.begin();
    size_t from = at < 40 ? 0 : at - 40;
    return testing::AssertionFailure()
           << "got " << actual.size() << " bytes, expected " << expected.size()
           << "; first difference at byte " << at
           << "\n  got:      " << testing::PrintToString(actual.substr(from, 80))
           << "\n  expected: " << testing::PrintToString(expected.substr(from, 80));
}

/* Everything in a memory file (from its start) or a pipe (until its end). */
static std::string readAll(int fd) {
    std::string text;
    char buffer[65536];
    ssize_t n;
    lseek(fd, 0, SEEK_SET);
    while ((n = read(fd, buffer, sizeof(buffer))) > 0 || (n < 0 && errno == EINTR))
        text.append(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0)));
    return text;
}

static int memoryFile(const std::string &contents) {
    int fd = memfd_create("filterrun", 0);
    if (fd < 0 || write(fd, contents.data(), contents.size()) != ssize_t(contents.size()))
        throw std::runtime_error("cannot make a memory file");
    return fd;
}

/* Writes the job into the pipe, endlessly until the reader is gone when
   the run is to be canceled, which SIGTERM does after its time. */
static void feed(const FilterRun &run, int fd, pid_t pid) {
    auto cancelAt =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(run.terminateAfterMs);
    size_t written = 0, piece = 0;
    bool canceled = run.terminateAfterMs == 0;
    while (written < run.input.size()) {
        if (!canceled && std::chrono::steady_clock::now() >= cancelAt)
            canceled = kill(pid, SIGTERM) == 0;
        size_t size = run.input.size() - written;
        if (!run.pieces.empty())
            size = std::min(size, run.pieces[piece++ % run.pieces.size()]);
        ssize_t n = write(fd, run.input.data() + written, size);
        if (n < 0 && errno != EINTR)
            break;
        written += static_cast<size_t>(std::max<ssize_t>(n, 0));
        if (run.terminateAfterMs > 0 && written == run.input.size())
            written = 0;
    }
    close(fd);
}

FilterResult runFilter(const FilterRun &run) {
    const bool fileIn = run.path == Path::kFileToPipe || run.path == Path::kFileToFile;
    const bool fileOut = run.path == Path::kPipeToFile || run.path == Path::kFileToFile;
    const bool faults = !run.fault.empty() || run.path == Path::kFallback;
    std::string fault = run.fault + (run.path == Path::kFallback ? ",refuse" : "");
    int in[2], out[2], err = memoryFile(""), job = fileIn ? memoryFile(run.input) : -1;
    int output = fileOut ? memoryFile("") : -1;
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC))
        throw std::runtime_error("pipe failed");

    std::vector<std::string> args = {"printer", "42", "someone", "Test Job", "1"}, env;
    if (!run.omitOptions)
        args.push_back(run.options);
    if (fileIn)
        args.push_back("/proc/self/fd/" + std::to_string(job));
    args.insert(args.end(), run.extraArgs.begin(), run.extraArgs.end());
    for (char **e = environ; *e; e++)
        if (strncmp(*e, "TZ=", 3) && strncmp(*e, "LD_PRELOAD=", 11) && strncmp(*e, "FAKETIME", 8) &&
            strncmp(*e, "ASAN_OPTIONS=", 13) && strncmp(*e, "JOBCONTROLFILTER_FAULT=", 23))
            env.push_back(*e);
    const char *asan = getenv("ASAN_OPTIONS");
    env.insert(env.end(), {"TZ=UTC0", std::string("LD_PRELOAD=") + FAKETIME_LIBRARY,
                           "FAKETIME=" + run.clock, "JOBCONTROLFILTER_FAULT=" + fault,
                           std::string("ASAN_OPTIONS=") + (asan && *asan ? asan : "") +
                               (asan && *asan ? ":" : "") + "verify_asan_link_order=0"});

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int fd = run.stdoutPath.empty() ? -1 : open(run.stdoutPath.c_str(), O_WRONLY | O_TRUNC);
        dup2(in[0], 0);
        dup2(fd >= 0 ? fd : fileOut ? output : out[1], 1);
        dup2(err, 2);
        std::vector<char *> argv, envp;
        for (std::string &a : args)
            argv.push_back(a.data());
        for (std::string &e : env)
            envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        signal(SIGPIPE, SIG_DFL);
        alarm(120); /* a filter that hangs ends instead of the test */
        execve(faults ? JOBCONTROLFILTER_FAULTS_PATH : JOBCONTROLFILTER_PATH, argv.data(),
               envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    signal(SIGPIPE, SIG_IGN);
    std::thread feeder;
    if (fileIn)
        close(in[1]);
    else
        feeder = std::thread(feed, std::cref(run), in[1], pid);
    FilterResult result;
    result.out = readAll(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (feeder.joinable())
        feeder.join();
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = readAll(err);
    if (fileOut)
        result.out = readAll(output);
    for (int fd : {out[0], err, job, output})
        if (fd >= 0)
            close(fd);
    EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("runtime error:"), std::string::npos) << result.err;
    return result;
}
