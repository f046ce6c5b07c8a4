/*
 * FilterFailureTests.cpp
 *
 * Every way a run of the filter can end early, driven for real: an input
 * file that cannot be opened or read, a full disk in the middle of a job
 * and at its final flush, a missing required option, and allocation, read
 * and write failures injected into the test build of the filter, in turn
 * and on every path. Each ends with exit status 1, one DEBUG line naming
 * the cause, then the one ERROR line whose system text describes that
 * failure, and no byte written beyond what precedes the failure. Short
 * reads and writes lose nothing. A cancel (SIGTERM while the job streams,
 * or before a read or write that then fails) ends quietly with status 0; the
 * next stage going away without a cancel is a write failure.
 */
#include <gtest/gtest.h>

#include "FilterOracle.h"
#include "FilterRun.h"
#include "QuarnSettingsKeys.h"

namespace {

const std::string kGeneralLine = "ERROR: ERROR: error in CUPS Filter - : ";
const std::string kMemoryLine = "ERROR: ERROR: memory error in CUPS Filter - : ";
const std::string kHeader = "%!PS-Adobe-3.0\n%%Creator: test\n";
const std::string kJob = kHeader + "%%BeginProlog\n/y 2 def\n%%EndProlog\nshowpage\n";

/* Exit 1 and standard error exactly a DEBUG line containing `cause`, then
   the ERROR line `errorLine` (only its beginning when it ends in a blank). */
void expectReported(const FilterResult &result, const std::string &errorLine,
                    const std::string &cause) {
    EXPECT_EQ(result.exitStatus, 1);
    std::vector<std::string> errors = linesStartingWith(result.err, "ERROR: ");
    std::vector<std::string> debug = linesStartingWith(result.err, "DEBUG: ");
    ASSERT_TRUE(errors.size() == 1 && debug.size() == 1) << result.err;
    if (errorLine.back() != ' ')
        EXPECT_EQ(errors[0], errorLine);
    else
        EXPECT_EQ(errors[0].compare(0, errorLine.size(), errorLine), 0) << errors[0];
    EXPECT_NE(debug[0].find(cause), std::string::npos) << debug[0];
    EXPECT_EQ(result.err, debug[0] + "\n" + errors[0] + "\n");
}

/* Long enough to take many reads and writes. */
std::string manyLines(size_t size) {
    std::string lines;
    while (lines.size() < size)
        lines += "(" + std::to_string(lines.size()) + ") show\n";
    return lines;
}

TEST(FilterFailures, InputAndOutputThatFail) {
    struct Case {
        std::string file, input, stdoutPath, line, cause;
    } cases[] = {
        {"/nonexistent/job.ps", "", "", "No such file or directory", "/nonexistent/job.ps"},
        {"/tmp", "", "", "Is a directory", "read"},
        /* a full disk in the middle of a large job and at the final flush */
        {"", kJob + std::string(3 << 20, 'z'), "/dev/full", "No space left on device", "write"},
        {"", kJob, "/dev/full", "No space left on device", "write"},
        {"", "%!PS\nno prolog\n", "/dev/full", "No space left on device", "write"},
    };
    for (const Case &c : cases) {
        FilterRun run;
        if (!c.file.empty())
            run.extraArgs = {c.file};
        run.input = c.input;
        run.stdoutPath = c.stdoutPath;
        SCOPED_TRACE(c.file + c.stdoutPath);
        FilterResult result = runFilter(run);
        expectReported(result, kGeneralLine + c.line, c.cause);
        EXPECT_TRUE(!c.stdoutPath.empty() || result.out.empty());
    }
}

TEST(FilterFailures, MissingRequiredOptionWritesOnlyWhatPrecedesTheProlog) {
    const oracle::Options all = {
        {kQuarnUserIDKey, "u1"}, {kQuarnPasswordKey, "pw"}, {kQuarnFileNameKey, "f.ps"}};
    struct Case {
        const char *type;
        std::vector<const char *> required;
    } cases[] = {
        {kQuarnJobTypeGuardedPrint, {kQuarnUserIDKey, kQuarnPasswordKey}},
        {kQuarnJobTypeTrialPrint, {kQuarnUserIDKey}},
        {kQuarnJobTypeBoxStorage, {kQuarnUserIDKey, kQuarnPasswordKey, kQuarnFileNameKey}},
        {kQuarnJobTypeHaltedPrint, {kQuarnUserIDKey, kQuarnFileNameKey}},
        {kQuarnJobTypeKeptPrint, {kQuarnUserIDKey, kQuarnPasswordKey, kQuarnFileNameKey}},
        {kQuarnJobTypeKeepBoxPrint, {kQuarnUserIDKey, kQuarnPasswordKey, kQuarnFileNameKey}},
        /* an enabled User Code without one, whatever the job type */
        {kQuarnJobTypeNormal, {kQuarnUserCodeKey}},
    };
    /* The prolog after a partial match at the first chunk's end, too. */
    const std::string before = std::string(4090, 'b') + "\n";
    for (const Case &c : cases) {
        for (const char *missing : c.required) {
            oracle::Options options = all;
            options.erase(missing);
            options[kQuarnJobTypeKey] = c.type;
            if (std::string(missing) == kQuarnUserCodeKey)
                options[kQuarnEnableUserCodeOption] = "True";
            for (const std::string &head : {kHeader, before}) {
                FilterRun run;
                run.input = head + "%%BeginProlog\n" + std::string(10000, 'a');
                run.options = oracle::optionString(options);
                SCOPED_TRACE(std::string(c.type) + " without " + missing);
                FilterResult result = runFilter(run);
                expectReported(result, kGeneralLine + "Invalid argument", missing);
                EXPECT_NE(result.err.find(c.type), std::string::npos);
                EXPECT_TRUE(sameBytes(result.out, head));
            }
        }
    }
}

TEST(FilterFaults, EveryAllocationReadAndWriteFailingOnEveryPath) {
    /* Each allocation (the insertion buffer grows for the long file name),
       read and write fails in turn, once and from then on, on a small job,
       a prolog straddling the first chunk boundary, a late prolog and none,
       until a run gets through untouched. Each failing run reports its own
       error and leaves a prefix of the correct output. */
    const oracle::Options options = {
        {kQuarnUserIDKey, "fault01"}, {kQuarnEnableUserCodeOption, "True"},
        {kQuarnUserCodeKey, "777"},   {kQuarnJobTypeKey, kQuarnJobTypeKeptPrint},
        {kQuarnPasswordKey, "p(w)"},  {kQuarnFileNameKey, std::string(1500, 'f')}};
    const std::string lines = manyLines(300000);
    const std::string jobs[] = {kJob, std::string(4096 - 5 - 1, 's') + "\n%%BeginProlog\n" + lines,
                                lines.substr(0, 200000) + "%%BeginProlog\n" + lines, lines};
    const std::pair<const char *, std::string> kinds[] = {
        {"alloc", kMemoryLine + "Cannot allocate memory"},
        {"read", kGeneralLine + "Input/output error"},
        {"write", kGeneralLine + "No space left on device"}};
    for (const std::string &job : jobs) {
        std::string expected = oracle::expect(job, options, kPinnedStampUTC).output;
        for (Path path : kEveryPath) {
            for (const auto &[kind, line] : kinds) {
                for (const char *mode : {"", ":persist"}) {
                    int n = 1;
                    for (; n < 200; n++) {
                        std::string fault = kind + (":" + std::to_string(n)) + mode;
                        SCOPED_TRACE(std::string(pathName(path)) + ", fault " + fault);
                        FilterResult result =
                            runWithFault(fault, job, oracle::optionString(options), path);
                        if (result.exitStatus == 0) { /* the Nth call was never made */
                            EXPECT_TRUE(sameBytes(result.out, expected));
                            break;
                        }
                        expectReported(result, line, kind);
                        EXPECT_EQ(expected.compare(0, result.out.size(), result.out), 0)
                            << "output is not a prefix of the correct output";
                    }
                    EXPECT_GT(n, 1) << kind << mode << " never failed";
                }
            }
            /* Every write passes on half its bytes, or every read and look
               gets at most 3000 (ending inside chunks), from the Nth on. */
            for (const char *fault : {"write:1:short", "write:2:short", "write:3:short",
                                      "read:1:short", "read:3:short"}) {
                SCOPED_TRACE(std::string(pathName(path)) + ", " + fault);
                FilterResult result = runWithFault(fault, job, oracle::optionString(options), path);
                EXPECT_EQ(result.exitStatus, 0) << result.err;
                EXPECT_TRUE(sameBytes(result.out, expected));
            }
        }
    }
}

TEST(FilterSignals, TerminateWhileAJobStreamsStopsWithoutAnErrorLine) {
    /* The job keeps coming after SIGTERM, as the previous stage would send
       it: the filter must stop by itself, scanning or copying. */
    for (std::string head : {"%!PS\n%%BeginProlog\n", "%!PS\n"}) {
        FilterRun run;
        run.input = head + std::string(65536, 'y');
        run.options = "com.quarn.pm.UserID=sig01";
        run.terminateAfterMs = 200;
        FilterResult result = runFilter(run);
        EXPECT_EQ(result.exitStatus, 0) << "signal " << result.signal;
        EXPECT_EQ(result.err.find("ERROR:"), std::string::npos) << result.err;
    }
}

TEST(FilterSignals, CancelBeforeAFailingReadOrWriteEndsQuietly) {
    /* SIGTERM arrives, and then the next write meets the closed pipe of
       the next stage (or the next read fails): that is the cancel, not a
       failure. Every write and read of the run, in the scan and the copy,
       on every path, until a run gets through untouched. */
    const std::string lines = manyLines(400000);
    int canceled = 0;
    for (const std::string &job : {"%!PS\n%%BeginProlog\n" + lines, lines}) {
        for (Path path : kEveryPath) {
            for (const char *kind : {"write:", "read:"}) {
                for (int n = 1; n < 100; n++) {
                    std::string fault = kind + std::to_string(n) + ":canceled";
                    SCOPED_TRACE(std::string(pathName(path)) + ", " + fault);
                    FilterResult result = runWithFault(fault, job, "", path);
                    EXPECT_EQ(result.exitStatus, 0) << result.err;
                    if (result.err.empty())
                        break; /* the Nth call was never made */
                    EXPECT_EQ(result.err, "DEBUG: jobcontrolfilter: job canceled\n");
                    canceled++;
                }
            }
        }
    }
    EXPECT_GE(canceled, 2 * 5 * 2); /* a read and a write per job and path at least */
}

TEST(FilterSignals, NextStageGoingAwayWithoutACancelIsAWriteFailure) {
    /* The reader of the output pipe is gone at the Nth write, no SIGTERM:
       the filter is not killed by SIGPIPE but reports the write failure. */
    std::string job = "%!PS\n%%BeginProlog\n" + std::string(1 << 20, 'z');
    for (Path path : kEveryPath) {
        for (const char *fault : {"write:1:closed", "write:2:closed", "write:3:closed"}) {
            SCOPED_TRACE(std::string(pathName(path)) + ", " + fault);
            FilterResult result = runWithFault(fault, job, "", path);
            EXPECT_EQ(result.exitStatus, 1) << "signal " << result.signal;
            EXPECT_EQ(linesStartingWith(result.err, "ERROR: "),
                      std::vector<std::string>{kGeneralLine + "Broken pipe"});
        }
    }
}

} // namespace
