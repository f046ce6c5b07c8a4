/*
 * FilterFailureTests.cpp
 *
 * Every failure path of the filter driven for real: an input file that
 * cannot be opened, a read error, write errors in the middle of a job and
 * at the final flush, a missing required option for each job type, and
 * allocation, read and write failures injected into the test build of the
 * filter, in turn and on every path. Each ends with exit status 1, one
 * DEBUG line naming the cause,
 * then the one ERROR line whose system text describes that failure (the
 * failed call's own error, "Invalid argument" for an absent option), and
 * no byte written beyond what precedes the failure.
 */
#include <gtest/gtest.h>

#include "FilterOracle.h"
#include "FilterRun.h"
#include "QuarnSettingsKeys.h"

namespace {

const std::string kGeneralLine = "ERROR: ERROR: error in CUPS Filter - : ";
const std::string kMemoryLine = "ERROR: ERROR: memory error in CUPS Filter - : ";
const std::string kInvalidLine = kGeneralLine + "Invalid argument";
const std::string kHeader = "%!PS-Adobe-3.0\n%%Creator: test\n";
const std::string kJob = kHeader + "%%BeginProlog\n/y 2 def\n%%EndProlog\nshowpage\n";

/* Exit 1, a DEBUG line containing `cause`, then exactly one ERROR line
   that begins with `errorLine`, and nothing else. */
void expectReported(const FilterResult &result, const std::string &errorLine,
                    const std::string &cause) {
    EXPECT_EQ(result.exitStatus, 1);
    std::vector<std::string> errors = linesStartingWith(result.err, "ERROR: ");
    std::vector<std::string> debug = linesStartingWith(result.err, "DEBUG: ");
    ASSERT_EQ(errors.size(), 1u) << result.err;
    if (errorLine.size() > kGeneralLine.size() && errorLine.back() != ' ')
        EXPECT_EQ(errors[0], errorLine); /* the whole line, system text included */
    else
        EXPECT_EQ(errors[0].compare(0, errorLine.size(), errorLine), 0) << errors[0];
    ASSERT_EQ(debug.size(), 1u) << result.err;
    EXPECT_NE(debug[0].find(cause), std::string::npos) << debug[0];
    EXPECT_EQ(result.err, debug[0] + "\n" + errors[0] + "\n");
}

TEST(FilterFailures, InputFileThatCannotBeOpened) {
    FilterRun run;
    run.extraArgs = {"/nonexistent/job.ps"};
    FilterResult result = runFilter(run);
    expectReported(result, kGeneralLine + "No such file or directory", "/nonexistent/job.ps");
    EXPECT_TRUE(sameBytes(result.out, ""));
}

TEST(FilterFailures, DirectoryGivenAsTheJobIsAReadError) {
    FilterRun run;
    run.extraArgs = {"/tmp"};
    FilterResult result = runFilter(run);
    expectReported(result, kGeneralLine + "Is a directory", "read");
    EXPECT_TRUE(sameBytes(result.out, ""));
}

TEST(FilterFailures, FullDiskInTheMiddleOfALargeJob) {
    FilterRun run;
    run.input = kJob + std::string(3 << 20, 'z');
    run.stdoutPath = "/dev/full";
    FilterResult result = runFilter(run);
    expectReported(result, kGeneralLine + "No space left on device", "write");
}

TEST(FilterFailures, FullDiskAtTheFinalFlushOfATinyJob) {
    for (const std::string &job : {kJob, std::string("%!PS\nno prolog\n")}) {
        FilterRun run;
        run.input = job;
        run.stdoutPath = "/dev/full";
        expectReported(runFilter(run), kGeneralLine + "No space left on device", "write");
    }
}

TEST(FilterFailures, MissingRequiredOptionForEachJobType) {
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
    };
    for (const Case &c : cases) {
        for (const char *missing : c.required) {
            oracle::Options options = all;
            options.erase(missing);
            options[kQuarnJobTypeKey] = c.type;
            FilterRun run;
            run.input = kJob;
            run.options = oracle::optionString(options);
            SCOPED_TRACE(std::string(c.type) + " without " + missing);
            FilterResult result = runFilter(run);
            expectReported(result, kInvalidLine, missing);
            EXPECT_NE(linesStartingWith(result.err, "DEBUG: ")[0].find(c.type), std::string::npos);
            EXPECT_TRUE(sameBytes(result.out, kHeader));
        }
    }
}

TEST(FilterFailures, EnabledUserCodeWithoutAUserCode) {
    FilterRun run;
    run.input = kJob;
    run.options = oracle::optionString({{kQuarnEnableUserCodeOption, "True"}});
    FilterResult result = runFilter(run);
    expectReported(result, kInvalidLine, kQuarnUserCodeKey);
    EXPECT_TRUE(sameBytes(result.out, kHeader));
}

TEST(FilterFailures, FailedBuildAfterAPartialMatchWritesOnlyWhatPrecedes) {
    std::string before = std::string(4090, 'b') + "\n";
    FilterRun run;
    run.input = before + "%%BeginProlog\n" + std::string(10000, 'a');
    run.options = oracle::optionString({{kQuarnJobTypeKey, kQuarnJobTypeTrialPrint}});
    FilterResult result = runFilter(run);
    expectReported(result, kInvalidLine, kQuarnUserIDKey);
    EXPECT_TRUE(sameBytes(result.out, before));
}

/* ---- Injected faults (test build) ------------------------------------- */

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
    std::string lines;
    for (int i = 0; lines.size() < 300000; i++)
        lines += "(" + std::to_string(i) + ") show\n";
    const std::string jobs[] = {kJob, std::string(4096 - 5 - 1, 's') + "\n%%BeginProlog\n" + lines,
                                lines.substr(0, 200000) + "%%BeginProlog\n" + lines, lines};
    const std::pair<const char *, std::string> kinds[] = {
        {"alloc", kMemoryLine + "Cannot allocate memory"},
        {"read", kGeneralLine + "Input/output error"},
        {"write", kGeneralLine + "No space left on device"}};
    int injected = 0;
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
                        injected++;
                    }
                    EXPECT_GT(n, 1) << kind << mode << " never failed";
                }
            }
        }
    }
    std::printf("injected failures: %d\n", injected);
}

TEST(FilterFaults, ShortReadsAndWritesLoseNothing) {
    /* Every write passes on only half its bytes, or every read and look
       gets at most 3000 bytes (so that looks end inside chunks): the block
       and the job still come out whole, in every phase of the run. */
    std::string lines;
    while (lines.size() < 300000)
        lines += "(" + std::to_string(lines.size()) + ") show\n";
    oracle::Options options = {{kQuarnUserIDKey, std::string(2000, 'l')}};
    for (const std::string &job : {kJob, kHeader + lines + "%%BeginProlog\n" + lines, lines}) {
        std::string expected = oracle::expect(job, options, kPinnedStampUTC).output;
        for (Path path : kEveryPath) {
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

} // namespace
