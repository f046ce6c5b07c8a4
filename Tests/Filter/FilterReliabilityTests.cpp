/*
 * FilterReliabilityTests.cpp
 *
 * The filter under signals: SIGTERM while a job streams (the filter blocked
 * in its calls, the job still coming), SIGTERM followed by a failing write
 * or read (the cancel, not a failure) on every path, and the next stage
 * closing its end of the pipe without a cancel (a failure).
 */
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FilterOracle.h"
#include "FilterRun.h"
#include "QuarnSettingsKeys.h"

namespace {

const oracle::Options kOptions = {{kQuarnUserIDKey, "sig01"}};

/* A filter child with its standard input and output on pipes held by the test. */
struct Child {
    pid_t pid = -1;
    int in = -1, out = -1, err = -1;
};

Child startFilter(const std::string &options) {
    int in[2], out[2], err[2];
    EXPECT_EQ(pipe(in) | pipe(out) | pipe(err), 0);
    Child child;
    child.pid = fork();
    if (child.pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        signal(SIGPIPE, SIG_DFL);
        execl(filterPath(), "printer", "1", "u", "t", "1", options.c_str(), (char *)nullptr);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    child.in = in[1];
    child.out = out[0];
    child.err = err[0];
    return child;
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof(buffer))) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

/* Feeds the child and drains its output until `stop` says so; false on a timeout. */
template <typename Stop> bool pump(Child &child, const std::string &data, Stop stop) {
    char buffer[65536];
    auto start = std::chrono::steady_clock::now();
    while (!stop()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(30))
            return false;
        struct pollfd fds[2] = {{child.in, POLLOUT, 0}, {child.out, POLLIN, 0}};
        if (poll(fds, 2, 10) <= 0)
            continue;
        if (fds[0].revents & POLLOUT)
            (void)!write(child.in, data.data(), data.size());
        if (fds[1].revents & POLLIN)
            (void)!read(child.out, buffer, sizeof(buffer));
    }
    return true;
}

TEST(FilterSignals, TerminateWhileAJobStreamsStopsWithoutAnErrorLine) {
    for (bool prolog : {true, false}) {
        SCOPED_TRACE(prolog ? "copying after the block" : "scanning");
        Child child = startFilter(oracle::optionString(kOptions));
        void (*oldPipe)(int) = signal(SIGPIPE, SIG_IGN);
        std::string head = prolog ? "%!PS\n%%BeginProlog\n" : "%!PS\n";
        ASSERT_EQ(write(child.in, head.data(), head.size()), static_cast<ssize_t>(head.size()));
        fcntl(child.in, F_SETFL, O_NONBLOCK);
        fcntl(child.out, F_SETFL, O_NONBLOCK);
        std::string data(65536, 'y');
        /* Let the job stream for a while, then cancel it; keep the job
           coming, as the previous stage would: the filter must stop by itself. */
        auto begin = std::chrono::steady_clock::now();
        pump(child, data, [&] {
            return std::chrono::steady_clock::now() - begin > std::chrono::milliseconds(200);
        });
        kill(child.pid, SIGTERM);
        int status = 0;
        bool stopped = pump(child, data, [&] { return waitpid(child.pid, &status, WNOHANG) != 0; });
        if (!stopped) {
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
        }
        signal(SIGPIPE, oldPipe);
        close(child.in);
        close(child.out);
        std::string err = readAll(child.err);
        close(child.err);
        ASSERT_TRUE(stopped) << "the filter did not stop after SIGTERM";
        ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(err.find("ERROR:"), std::string::npos) << err;
    }
}

TEST(FilterSignals, CancelEndsQuietlyWhateverTheNextReadOrWriteMeets) {
    /* SIGTERM arrives, and then the next write meets the closed pipe of
       the next stage (or the next read fails): that is the cancel, not a
       failure. Every write and read of the run, in the scan and the copy,
       on every path, until a run gets through untouched. */
    std::string lines;
    while (lines.size() < 400000)
        lines += "(" + std::to_string(lines.size()) + ") show\n";
    const std::string jobs[] = {"%!PS\n%%BeginProlog\n" + lines, lines};
    int canceled = 0;
    for (const std::string &job : jobs) {
        for (Path path : kEveryPath) {
            for (const char *kind : {"write:", "read:"}) {
                for (int n = 1; n < 100; n++) {
                    std::string fault = kind + std::to_string(n) + ":canceled";
                    SCOPED_TRACE(std::string(pathName(path)) + ", " + fault);
                    FilterResult result =
                        runWithFault(fault, job, oracle::optionString(kOptions), path);
                    EXPECT_EQ(result.exitStatus, 0) << result.err;
                    if (result.err.empty())
                        break; /* the Nth call was never made */
                    EXPECT_EQ(result.err, "DEBUG: jobcontrolfilter: job canceled\n");
                    canceled++;
                }
            }
        }
    }
    /* At least one read and one write per job and path. */
    EXPECT_GE(canceled, 2 * 5 * 2);
}

TEST(FilterSignals, NextStageGoingAwayWithoutACancelIsAWriteFailure) {
    /* The output pipe's reader is gone at the Nth write, no SIGTERM: the
       filter is not killed by SIGPIPE but reports the write failure. */
    std::string job = "%!PS\n%%BeginProlog\n" + std::string(1 << 20, 'z');
    for (Path path : kEveryPath) {
        for (const char *fault : {"write:1:closed", "write:2:closed", "write:3:closed"}) {
            SCOPED_TRACE(std::string(pathName(path)) + ", " + fault);
            FilterResult result = runWithFault(fault, job, "", path);
            EXPECT_EQ(result.exitStatus, 1) << "signal " << result.signal;
            std::vector<std::string> errors = linesStartingWith(result.err, "ERROR: ");
            ASSERT_EQ(errors.size(), 1u) << result.err;
            EXPECT_EQ(errors[0], "ERROR: ERROR: error in CUPS Filter - : Broken pipe");
        }
    }
}

} // namespace
