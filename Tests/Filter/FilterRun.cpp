/*
 * FilterRun.cpp
 *
 * Child-process runner for the filter tests: fork, exec with the CUPS
 * filter arguments, feed standard input and drain standard output and
 * standard error with poll so that neither side can block the other.
 */
#include "FilterRun.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

/* How long one run of the filter may take before SIGALRM ends it. */
const unsigned kFilterSeconds = 120;

const char kPinnedStampJST[] = "202603010930";
const char kPinnedStampUTC[] = "202603010030";

const Path kEveryPath[5] = {Path::kPipeToPipe, Path::kPipeToFile, Path::kFileToPipe,
                            Path::kFileToFile, Path::kFallback};

const char *pathName(Path path) {
    static const char *const names[] = {"pipe to pipe", "pipe to file", "file to pipe",
                                        "file to file", "kernel moves refused"};
    return names[static_cast<int>(path)];
}

static FilterResult runOnPipes(const FilterRun &run);

/* A temporary file, removed when it goes out of scope. */
struct TemporaryFile {
    std::string path;
    explicit TemporaryFile(const std::string &contents) {
        char name[] = "/tmp/filterrunXXXXXX";
        int fd = mkstemp(name);
        if (fd < 0)
            throw std::runtime_error("cannot make a temporary file");
        close(fd);
        path = name;
        std::ofstream(path, std::ios::binary) << contents;
    }
    ~TemporaryFile() { unlink(path.c_str()); }
    std::string contents() const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

FilterResult runFilter(const FilterRun &given) {
    FilterRun run = given;
    std::unique_ptr<TemporaryFile> input, output;
    if (run.path == Path::kFileToPipe || run.path == Path::kFileToFile) {
        input = std::make_unique<TemporaryFile>(run.input);
        run.extraArgs.insert(run.extraArgs.begin(), input->path);
        run.input.clear();
    }
    if ((run.path == Path::kPipeToFile || run.path == Path::kFileToFile) &&
        run.stdoutPath.empty()) {
        output = std::make_unique<TemporaryFile>("");
        run.stdoutPath = output->path;
    }
    if (run.path == Path::kFallback) {
        run.program = faultFilterPath();
        bool found = false;
        for (std::string &e : run.environment)
            if (e.rfind("JOBCONTROLFILTER_FAULT=", 0) == 0)
                e += ",refuse", found = true;
        if (!found)
            run.environment.push_back("JOBCONTROLFILTER_FAULT=refuse");
    }
    FilterResult result = runOnPipes(run);
    if (output)
        result.out = output->contents();
    return result;
}

FilterResult runWithFault(const std::string &fault, const std::string &job,
                          const std::string &options, Path path) {
    FilterRun run;
    run.path = path;
    run.program = faultFilterPath();
    run.input = job;
    run.options = options;
    run.environment = {"JOBCONTROLFILTER_FAULT=" + fault};
    run.pinClock = true;
    return runFilter(run);
}

const char *filterPath() {
    return JOBCONTROLFILTER_PATH;
}
const char *faultFilterPath() {
    return JOBCONTROLFILTER_FAULTS_PATH;
}

testing::AssertionResult sameBytes(const std::string &actual, const std::string &expected) {
    if (actual == expected)
        return testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        at++;
    size_t from = at < 40 ? 0 : at - 40;
    return testing::AssertionFailure()
           << "got " << actual.size() << " bytes, expected " << expected.size()
           << "; first difference at byte " << at
           << "\n  got:      " << testing::PrintToString(actual.substr(from, 80))
           << "\n  expected: " << testing::PrintToString(expected.substr(from, 80));
}

std::vector<std::string> linesStartingWith(const std::string &text, const std::string &prefix) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

static void drain(int &fd, std::string &into) {
    char buffer[65536];
    ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n > 0) {
        into.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        close(fd);
        fd = -1;
    }
}

static FilterResult runOnPipes(const FilterRun &run) {
    int in[2], out[2], err[2];
    if (pipe(in) || pipe(out) || pipe(err))
        throw std::runtime_error("pipe failed");

    std::string program = run.program.empty() ? filterPath() : run.program;
    std::vector<std::string> args = {"printer", "42", "someone", "Test Job", "1"};
    if (!run.omitOptions)
        args.push_back(run.options);
    for (const std::string &arg : run.extraArgs)
        args.push_back(arg);

    std::vector<std::string> env;
    for (char **e = environ; *e; e++) {
        if (strncmp(*e, "TZ=", 3) && strncmp(*e, "LD_PRELOAD=", 11) && strncmp(*e, "FAKETIME", 8) &&
            (!run.pinClock || strncmp(*e, "ASAN_OPTIONS=", 13)))
            env.push_back(*e);
    }
    env.push_back("TZ=UTC0");
    if (run.pinClock) {
        env.push_back(std::string("LD_PRELOAD=") + FAKETIME_LIBRARY);
        env.push_back("FAKETIME=" + run.clock);
        const char *asan = getenv("ASAN_OPTIONS");
        env.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") +
                      (asan && *asan ? ":" : "") + "verify_asan_link_order=0");
    }
    for (const std::string &e : run.environment)
        env.push_back(e);

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(in[0], 0);
        if (run.stdoutPath.empty()) {
            dup2(out[1], 1);
        } else {
            int fd = open(run.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                _exit(126);
            dup2(fd, 1);
            close(fd);
        }
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        std::vector<char *> argv, envp;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (std::string &e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        signal(SIGPIPE, SIG_DFL);
        alarm(kFilterSeconds); /* a filter that hangs ends instead of the test */
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);

    FilterResult result;
    int inFd = in[1], outFd = out[0], errFd = err[0];
    fcntl(inFd, F_SETFL, O_NONBLOCK);
    size_t written = 0, piece = 0;
    void (*oldPipe)(int) = signal(SIGPIPE, SIG_IGN);
    if (run.input.empty()) {
        close(inFd);
        inFd = -1;
    }
    const bool endless = run.terminateAfterMs > 0;
    const auto cancelAt =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(run.terminateAfterMs);
    bool canceled = !endless;
    while (outFd >= 0 || errFd >= 0) {
        if (!canceled && std::chrono::steady_clock::now() >= cancelAt)
            canceled = kill(pid, SIGTERM) == 0;
        struct pollfd fds[3];
        nfds_t n = 0;
        if (inFd >= 0)
            fds[n++] = {inFd, POLLOUT, 0};
        if (outFd >= 0)
            fds[n++] = {outFd, POLLIN, 0};
        if (errFd >= 0)
            fds[n++] = {errFd, POLLIN, 0};
        if (poll(fds, n, endless ? 10 : -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (nfds_t i = 0; i < n; i++) {
            if (!fds[i].revents)
                continue;
            if (fds[i].fd == inFd) {
                size_t size = run.input.size() - written;
                if (!run.pieces.empty())
                    size = std::min(size, run.pieces[piece++ % run.pieces.size()]);
                ssize_t w = write(inFd, run.input.data() + written, size);
                if (w > 0)
                    written += static_cast<size_t>(w);
                if (endless && written == run.input.size())
                    written = 0;
                if ((w < 0 && errno != EAGAIN && errno != EINTR) || written == run.input.size()) {
                    close(inFd);
                    inFd = -1;
                }
            } else if (fds[i].fd == outFd) {
                drain(outFd, result.out);
            } else if (fds[i].fd == errFd) {
                drain(errFd, result.err);
            }
        }
    }
    if (inFd >= 0)
        close(inFd);
    signal(SIGPIPE, oldPipe);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("runtime error:"), std::string::npos) << result.err;
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}
