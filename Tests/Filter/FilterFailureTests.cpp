/*
 * FilterFailureTests.cpp
 *
 * Every failure path of the filter driven for real: an input file that
 * cannot be opened, a read error, write errors in the middle of a job and
 * at the final flush, a missing required option for each job type, and
 * allocation, read and write failures injected into the test build of the
 * filter. Each ends with exit status 1, one DEBUG line naming the cause,
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

FilterResult runWithFault(const std::string &fault, const std::string &job,
                          const oracle::Options &options = {}, Path path = Path::kPipeToPipe) {
    FilterRun run;
    run.path = path;
    run.program = faultFilterPath();
    run.input = job;
    run.options = oracle::optionString(options);
    run.environment = {"JOBCONTROLFILTER_FAULT=" + fault};
    run.pinClock = true;
    return runFilter(run);
}

TEST(FilterFaults, EachOfTheFilterAllocationsFailing) {
    /* The job record, the insertion buffer and the job window, in turn,
       until a run gets through with no allocation failing. */
    int n = 1;
    for (; n < 20; n++) {
        SCOPED_TRACE(n);
        FilterResult result = runWithFault("alloc:" + std::to_string(n), kJob);
        if (result.exitStatus == 0)
            break;
        expectReported(result, kMemoryLine + "Cannot allocate memory", "allocate");
        EXPECT_TRUE(sameBytes(result.out, ""));
    }
    EXPECT_EQ(n, 4);
}

TEST(FilterFaults, GrowingTheInsertionBufferFails) {
    oracle::Options options = {{kQuarnUserIDKey, std::string(3000, 'u')}};
    FilterResult result = runWithFault("alloc:4", kJob, options);
    expectReported(result, kMemoryLine + "Cannot allocate memory", "job-control block");
    EXPECT_TRUE(sameBytes(result.out, kHeader));
    EXPECT_EQ(runWithFault("alloc:5", kJob, options).exitStatus, 0);
}

TEST(FilterFaults, ReadAndWriteFailures) {
    /* The prolog comes after a megabyte, so that the job is read (or
       looked at) many times on every path before the block goes in. */
    std::string big = kHeader + std::string(1 << 20, 'w') + "\n" + kJob;
    std::string expected = oracle::expect(big, {}, kPinnedStampUTC).output;
    for (Path path : kEveryPath) {
        SCOPED_TRACE(pathName(path));
        FilterResult result = runWithFault("read:1", big, {}, path);
        expectReported(result, kGeneralLine + "Input/output error", "read");
        EXPECT_TRUE(sameBytes(result.out, ""));

        result = runWithFault("read:2:persist", big, {}, path);
        expectReported(result, kGeneralLine + "Input/output error", "read");
        EXPECT_LT(result.out.size(), expected.size());
        EXPECT_EQ(expected.compare(0, result.out.size(), result.out), 0);

        result = runWithFault("write:2:persist", big, {}, path);
        expectReported(result, kGeneralLine + "No space left on device", "write");
        EXPECT_EQ(expected.compare(0, result.out.size(), result.out), 0);
    }
}

TEST(FilterFaults, ShortWritesLoseNothing) {
    /* Every write passes on only half its bytes: the block and the job
       still come out whole, in every phase of the run. */
    std::string lines;
    while (lines.size() < 300000)
        lines += "(" + std::to_string(lines.size()) + ") show\n";
    oracle::Options options = {{kQuarnUserIDKey, std::string(2000, 'l')}};
    for (const std::string &job : {kJob, kHeader + lines + "%%BeginProlog\n" + lines, lines}) {
        std::string expected = oracle::expect(job, options, kPinnedStampUTC).output;
        for (Path path : kEveryPath) {
            for (const char *fault : {"write:1:short", "write:2:short", "write:3:short"}) {
                SCOPED_TRACE(std::string(pathName(path)) + ", " + fault);
                FilterResult result = runWithFault(fault, job, options, path);
                EXPECT_EQ(result.exitStatus, 0) << result.err;
                EXPECT_TRUE(sameBytes(result.out, expected));
            }
        }
    }
}

} // namespace
