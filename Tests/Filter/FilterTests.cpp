/*
 * FilterTests.cpp
 *
 * The filter run for real, its output compared byte for byte with the
 * whole-buffer oracle along every path a job can take: literal blocks that
 * anchor the oracle, how options are read, jobs at the edges of the prolog
 * scan and many generated ones (the prolog around the chunk boundaries, jobs
 * cut short inside it, random bytes rich in breaks and fragments, blocks
 * across the insertion buffer's growth). Then every way a run ends early:
 * inputs and outputs that fail, missing options, each allocation, read and
 * write failing in turn, short reads and writes, a cancel, a next stage that
 * goes away. A failure ends with status 1, one DEBUG line naming its cause
 * and one whole ERROR line, and only output that precedes it.
 */
#include <gtest/gtest.h>

#include <random>

#include "FilterOracle.h"
#include "FilterRun.h"
#include "QuarnSettingsKeys.h"

namespace {

const std::string kHeader = "%!PS-Adobe-3.0\n%%Creator: test\n";
const std::string kJob = kHeader + "%%BeginProlog\n/x 1 def\n%%EndProlog\nshowpage\n%%EOF\n";
const std::string kGeneralLine = "ERROR: ERROR: error in CUPS Filter - : ";
const std::string kMemoryLine = "ERROR: ERROR: memory error in CUPS Filter - : ";

/* One option as a CUPS option string holds it, after a blank. */
std::string opt(const std::string &name, const std::string &value) {
    std::string text = " " + name + "=\"";
    for (char c : value)
        text += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return text + '"';
}
const std::string kTrial = opt(kQuarnUserIDKey, "diff01") +
                           opt(kQuarnJobTypeKey, kQuarnJobTypeTrialPrint) +
                           opt(kQuarnTimeZoneKey, "JST-9");

FilterResult runJob(const std::string &job, const std::string &options,
                    Path path = Path::kPipeToPipe, const std::string &fault = "") {
    FilterRun run;
    run.input = job;
    run.options = options;
    run.path = path;
    run.fault = fault;
    return runFilter(run);
}

/* Standard error is exactly a DEBUG line naming `cause`, then the whole ERROR line. */
void expectReported(const FilterResult &result, const std::string &line, const std::string &cause) {
    EXPECT_EQ(result.exitStatus, 1);
    size_t end = result.err.find('\n');
    ASSERT_EQ(result.err.rfind("DEBUG: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.substr(0, end).find(cause), std::string::npos) << result.err;
    EXPECT_EQ(result.err.substr(end + 1), line + "\n");
}

/* The job along every path (in `pieces` through a pipe) against the
   oracle, the clock in the zone of the options; a run the oracle fails
   reports the missing option `cause`. */
void check(const std::string &job, const std::string &options = kTrial,
           std::vector<size_t> pieces = {}, const std::string &cause = "") {
    oracle::Expectation expected = oracle::expect(
        job, options,
        options.find("TimeZone") != std::string::npos ? kPinnedStampJST : kPinnedStampUTC);
    for (Path path : kEveryPath) {
        FilterRun run;
        run.path = path;
        run.input = job;
        run.options = options;
        run.pieces = pieces;
        FilterResult result = runFilter(run);
        SCOPED_TRACE(pathName(path));
        ASSERT_EQ(result.exitStatus, expected.exitStatus) << result.err;
        ASSERT_TRUE(sameBytes(result.out, expected.output)) << "job of " << job.size() << " bytes";
        if (expected.exitStatus != 0)
            expectReported(result, kGeneralLine + "Invalid argument", cause);
        else
            EXPECT_EQ(result.err, "");
    }
}

TEST(FilterBlocks, LiteralBlocksAnchorTheOracle) {
    const std::string stamp = std::string("(") + kPinnedStampUTC + ")";
    for (std::string lb : {"\n", "\r\n", "\r"}) {
        std::string job = "%!PS" + lb + "%%BeginProlog" + lb + "end" + lb;
        EXPECT_TRUE(sameBytes(runJob(job, opt(kQuarnUserIDKey, "lb")).out,
                              "%!PS" + lb + "mark" + lb + "  (lb) () " + stamp +
                                  " {setuserinfo} stopped" + lb + "cleartomark" + lb +
                                  "%%BeginProlog" + lb + "end" + lb));
    }
    /* A client 9 hours east and one 5 hours west of UTC, at 00:30 UTC on
       1 March; a clock beyond any calendar year stamps the zero time. */
    EXPECT_NE(runJob(kJob, opt(kQuarnTimeZoneKey, "JST-9")).out.find(kPinnedStampJST),
              std::string::npos);
    EXPECT_NE(runJob(kJob, opt(kQuarnTimeZoneKey, "EST5")).out.find("(202602281930)"),
              std::string::npos);
    FilterRun farFuture;
    farFuture.input = kJob;
    farFuture.clock = "+3000000000y";
    EXPECT_NE(runFilter(farFuture).out.find("(190001000000)"), std::string::npos);

    /* Each job type's own group, its values escaped. */
    const std::pair<const char *, const char *> groups[] = {
        {kQuarnJobTypeNormal, "{setuserinfo} stopped\ncleartomark\n%%BeginProlog"},
        {kQuarnJobTypeGuardedPrint, "(a\\)b\\(c\\\\d) {secureprint} stopped"},
        {kQuarnJobTypeTrialPrint, ") {proofprint} stopped"},
        {kQuarnJobTypeBoxStorage, "(a\\)b\\(c\\\\d) (r\\011p\\001\\177\xe9) {storedprint}"},
        {kQuarnJobTypeHaltedPrint, "\t\t/JobID (r\\011p\\001\\177\xe9)\n\t>>\n>> /QDevice"},
        {kQuarnJobTypeKeptPrint, "/Password (a\\)b\\(c\\\\d)\n\t\t/JobID (r\\011p"},
        {kQuarnJobTypeKeepBoxPrint, "/Save 2\n\t\t/Public false"}};
    for (const auto &[type, marker] : groups) {
        std::string options = opt(kQuarnUserIDKey, "user01") + opt(kQuarnJobTypeKey, type) +
                              opt(kQuarnEnableUserCodeOption, "True") +
                              opt(kQuarnUserCodeKey, "24680") + opt(kQuarnPasswordKey, "a)b(c\\d") +
                              opt(kQuarnFileNameKey, "r\tp\x01\x7f\xe9");
        SCOPED_TRACE(type);
        FilterResult result = runJob(kJob, options);
        EXPECT_NE(result.out.find(marker), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("  (user01) (24680) ("), std::string::npos);
        check(kJob, options);
    }
}

TEST(FilterOptions, HowOptionsAreRead) {
    const std::pair<std::string, const char *> cases[] = {
        /* the job type is compared whole and case-sensitively */
        {"com.quarn.pm.JobType='guarded print'", "setuserinfo"},
        {"com.quarn.pm.JobType='Guarded Print ' com.quarn.pm.Password=p", "setuserinfo"},
        {"com.quarn.pm.JobType=Unknown", "setuserinfo"},
        /* the User Code is enabled by "true" in any case, and only by that */
        {"com.quarn.pm.UserID=al com.quarn.pm.EnableUserCode..b.=tRuE com.quarn.pm.UserCode=12",
         "(al) (12)"},
        {"com.quarn.pm.UserID=al com.quarn.pm.EnableUserCode..b.=1 com.quarn.pm.UserCode=12",
         "(al) ()"},
        /* a scheduler delivers "name..b.=True" as the bare name: "true" */
        {"com.quarn.pm.UserID=bob com.quarn.pm.EnableUserCode..b. com.quarn.pm.UserCode=77",
         "(bob) (77)"},
        /* the enable option without its boolean suffix is not the enable option */
        {"com.quarn.pm.UserID=cy com.quarn.pm.EnableUserCode=True com.quarn.pm.UserCode=9",
         "(cy) ()"},
    };
    for (const auto &[options, present] : cases) {
        SCOPED_TRACE(options);
        EXPECT_NE(runJob(kJob, options).out.find(present), std::string::npos);
        check(kJob, options);
    }
    /* Four arguments only: an empty option list; arguments after the sixth are ignored. */
    FilterRun four;
    four.input = kJob;
    four.omitOptions = true;
    EXPECT_TRUE(sameBytes(runFilter(four).out, oracle::expect(kJob, "", kPinnedStampUTC).output));
    FilterRun seven;
    seven.input = kJob;
    seven.path = Path::kFileToPipe;
    seven.extraArgs = {"ignored-seventh-argument"};
    EXPECT_TRUE(sameBytes(runFilter(seven).out, oracle::expect(kJob, "", kPinnedStampUTC).output));
}

TEST(FilterScan, JobsAtTheEdgesOfTheScan) {
    std::string exactRest = kHeader + "%%BeginProlog\n";
    exactRest += std::string(4096 - exactRest.size(), 'x') + std::string(3 * 4096, 'y');
    /* Each job, and the line break its block takes where it has one: the
       edges of line-break detection are no break at all, CR LF or CR and
       one byte settled only at the chunk's last byte, a leading LF (not a
       break) and a leading CR (a break), the breaks of the chunk holding
       the match (moved to the line head when the match straddles 4096). */
    const std::pair<std::string, const char *> jobs[] = {
        {"", nullptr},
        {kHeader + "%%BeginProlo\nshowpage\n %%BeginProlog\n%%EOF\n", nullptr},
        {std::string(100000, 'z'), nullptr},
        {kHeader + "%%BeginPrologue\nrest\n", "\n"}, /* further letters match */
        {kJob + kJob, "\n"},                         /* only the first gets the block */
        {std::string(4096 - 3, 'a') + "xx %%BeginProlog\n", nullptr}, /* mid-line */
        {std::string(4096, 'b') + "%%BeginProlog\n", nullptr},        /* at a chunk start */
        {std::string(4090, 'q') + "\n%%BeginPage: 1\n" + std::string(9000, 'r'), nullptr},
        {kHeader + "%%Begin", nullptr}, /* an incomplete match at the end */
        {std::string(4090, 's') + "\n%%Begi", nullptr},
        {std::string(4095, 's') + "\n%%BeginProlo", nullptr},
        {"%!PS\r\r\n\n\r\n\r\r%%BeginProlog\r\nx\r\n", "\r"},
        {std::string(4095, '\n') + "\r%%BeginProlog\n", "\n"},
        {exactRest, "\n"}, /* the rest is whole chunks */
        {"%!PS\r\n" + std::string(4096 - 6, '\r') + "%%BeginProlog\rmore\r", "\r"},
        {"%%BeginProlog", "\n"},
        {"%%BeginProlog\r\n", "\n"},
        {"%%BeginProlog\rx", "\n"},
        {"%%BeginProlog\rxy", "\r"},
        {"\n%%BeginProlog\r\nabc", "\r\n"},
        {"\r\n%%BeginProlog\nabc", "\r\n"},
        {"\r%%BeginProlog\nabc", "\r"},
        {"%!PS\r\n" + std::string(4084, 'a') + "\r%%BeginProlog\nx\n", "\n"}};
    for (const auto &[job, lineBreak] : jobs) {
        SCOPED_TRACE(testing::PrintToString(job.substr(0, 40)));
        std::string output = oracle::expect(job, "", kPinnedStampUTC).output;
        EXPECT_EQ(output.find(std::string("cleartomark") + (lineBreak ? lineBreak : "") +
                              "%%BeginProlog") != std::string::npos,
                  lineBreak != nullptr);
        check(job, "");
    }
}

/* Filler of `size` bytes whose lines end in `lb` and whose last bytes are `lb`. */
std::string filler(std::mt19937 &random, size_t size, const std::string &lb) {
    std::string text;
    while (text.size() + lb.size() < size) {
        size_t line = std::uniform_int_distribution<size_t>(0, 90)(random);
        line = std::min(line, size - lb.size() - text.size());
        for (size_t i = 0; i < line; i++)
            text += static_cast<char>(std::uniform_int_distribution<int>(' ', '~')(random));
        if (text.size() + lb.size() <= size)
            text += lb;
    }
    return std::string(size - text.size(), 'f') + text;
}

TEST(FilterDifferential, PrologAroundTheChunkBoundariesAndJobsCutInsideIt) {
    std::mt19937 random(4096);
    for (std::string lb : {"\n", "\r\n", "\r"}) {
        for (size_t boundary : {4096u, 8192u}) {
            for (size_t at = boundary - 16; at <= boundary + 4; at++) {
                SCOPED_TRACE(testing::Message()
                             << "at " << at << " break " << testing::PrintToString(lb));
                check(filler(random, at, lb) + "%%BeginProlog" + lb + filler(random, 3000, lb));
            }
        }
    }
    for (size_t at : {100u, 4096u - 7u, 8192u - 1u}) {
        std::string full = filler(random, at, "\n") + "%%BeginProlog\n";
        for (size_t cut = at; cut <= full.size(); cut++) {
            SCOPED_TRACE(testing::Message() << "prolog at " << at << ", cut at " << cut);
            check(full.substr(0, cut));
        }
    }
}

TEST(FilterDifferential, RandomJobsRichInBreaksAndFragments) {
    std::mt19937 random(1997);
    const std::vector<std::string> atoms = {
        "\n",     "\r", "\r\n", "%%",           "%%Begin", "%%BeginProlog",
        "Prolog", "x",  "abc ", "%%BeginProlo", "\n\n",    "%"};
    for (int n = 0; n < 150; n++) {
        size_t size = std::uniform_int_distribution<size_t>(0, 13000)(random);
        std::string job;
        while (job.size() < size) {
            if (std::uniform_int_distribution<int>(0, 3)(random) == 0)
                job += atoms[std::uniform_int_distribution<size_t>(0, atoms.size() - 1)(random)];
            else
                job += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        }
        /* A quarter of the jobs come through the pipe in odd-sized pieces. */
        std::vector<size_t> pieces;
        if (n % 4 == 0)
            pieces = {std::uniform_int_distribution<size_t>(1, 5000)(random), 1, 4095};
        SCOPED_TRACE(n);
        check(job, kTrial, pieces);
    }
}

TEST(FilterDifferential, EveryBlockLengthAcrossTheInsertionBufferGrowth) {
    /* The insertion buffer holds 1024 bytes (the block and its final NUL)
       and grows for longer blocks: every block length from 1000 to 1050. */
    int lengths = 0;
    for (size_t n = 900; n < 1020; n++) {
        std::string options =
            opt(kQuarnUserIDKey, std::string(n, 'u') + ")") + opt(kQuarnTimeZoneKey, "JST-9");
        size_t length = oracle::block(options, "\n", kPinnedStampJST)->size();
        if (length < 1000 || length > 1050)
            continue;
        SCOPED_TRACE(length);
        check("%!PS\n%%BeginProlog\nshowpage\n", options);
        lengths++;
    }
    EXPECT_EQ(lengths, 51);
}

TEST(FilterPaths, TheKernelMovesTheJobWhereAPipeIsOnOneSide) {
    /* tee looks at an input pipe and splice passes on what was scanned; a
       file on both sides, or a kernel that refuses, is read and written. */
    for (Path path : kEveryPath) {
        FilterResult result = runJob(kJob + std::string(1 << 20, 'x'), "", path, "count");
        bool pipeIn = path == Path::kPipeToPipe || path == Path::kPipeToFile;
        SCOPED_TRACE(pathName(path));
        EXPECT_EQ(result.err.find("tee 0,") == std::string::npos, pipeIn) << result.err;
        EXPECT_EQ(result.err.find("splice 0\n") == std::string::npos,
                  pipeIn || path == Path::kFileToPipe)
            << result.err;
    }
}

TEST(FilterFailures, InputsAndOutputsThatFail) {
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
        EXPECT_EQ(result.out, "");
    }
    /* Each option a job type requires missing, also after a partial match
       at the first chunk's end: only what precedes the prolog is written. */
    const std::pair<const char *, std::vector<const char *>> required[] = {
        {kQuarnJobTypeGuardedPrint, {kQuarnUserIDKey, kQuarnPasswordKey}},
        {kQuarnJobTypeTrialPrint, {kQuarnUserIDKey}},
        {kQuarnJobTypeBoxStorage, {kQuarnUserIDKey, kQuarnPasswordKey, kQuarnFileNameKey}},
        {kQuarnJobTypeHaltedPrint, {kQuarnUserIDKey, kQuarnFileNameKey}},
        {kQuarnJobTypeKeptPrint, {kQuarnUserIDKey, kQuarnPasswordKey, kQuarnFileNameKey}},
        {kQuarnJobTypeKeepBoxPrint, {kQuarnUserIDKey, kQuarnPasswordKey, kQuarnFileNameKey}},
        /* an enabled User Code without one, whatever the job type */
        {kQuarnJobTypeNormal, {kQuarnUserCodeKey}}};
    for (const auto &[type, names] : required) {
        for (const char *missing : names) {
            std::string options =
                opt(kQuarnJobTypeKey, type) + opt(kQuarnEnableUserCodeOption, "True");
            for (const char *name :
                 {kQuarnUserIDKey, kQuarnPasswordKey, kQuarnFileNameKey, kQuarnUserCodeKey})
                options += name == missing ? "" : opt(name, "v1");
            SCOPED_TRACE(std::string(type) + " without " + missing);
            for (const std::string &head : {kHeader, std::string(4090, 'b') + "\n"})
                check(head + "%%BeginProlog\n" + std::string(10000, 'a'), options, {}, missing);
        }
    }
}

/* Long enough to take many reads and writes. */
std::string manyLines(size_t size) {
    std::string lines;
    while (lines.size() < size)
        lines += "(" + std::to_string(lines.size()) + ") show\n";
    return lines;
}

TEST(FilterFaults, EveryAllocationReadAndWriteFailingOnEveryPath) {
    /* Each allocation (the insertion buffer grows for the long file name),
       read and write fails in turn, once and from then on, and each write
       meets a next stage that has gone away (no cancel: not killed by
       SIGPIPE, a write failure), on a small job, a prolog straddling the
       first chunk boundary, a late prolog and none, until a run gets through
       untouched. Each failing run reports its own error and leaves a prefix
       of the correct output. Short reads and writes lose nothing. */
    const std::string options =
        opt(kQuarnUserIDKey, "fault01") + opt(kQuarnEnableUserCodeOption, "True") +
        opt(kQuarnUserCodeKey, "777") + opt(kQuarnJobTypeKey, kQuarnJobTypeKeptPrint) +
        opt(kQuarnPasswordKey, "p(w)") + opt(kQuarnFileNameKey, std::string(1500, 'f'));
    const std::string lines = manyLines(300000);
    const std::string jobs[] = {kJob, std::string(4096 - 5 - 1, 's') + "\n%%BeginProlog\n" + lines,
                                lines.substr(0, 200000) + "%%BeginProlog\n" + lines, lines};
    const std::pair<std::string, std::string> faults[] = {
        {"alloc:%", kMemoryLine + "Cannot allocate memory"},
        {"alloc:%:persist", kMemoryLine + "Cannot allocate memory"},
        {"read:%", kGeneralLine + "Input/output error"},
        {"read:%:persist", kGeneralLine + "Input/output error"},
        {"write:%", kGeneralLine + "No space left on device"},
        {"write:%:persist", kGeneralLine + "No space left on device"},
        {"write:%:closed", kGeneralLine + "Broken pipe"}};
    for (const std::string &job : jobs) {
        std::string expected = oracle::expect(job, options, kPinnedStampUTC).output;
        for (Path path : kEveryPath) {
            for (const auto &[pattern, line] : faults) {
                int n = 1;
                for (; n < 200; n++) {
                    std::string fault = pattern;
                    fault.replace(fault.find('%'), 1, std::to_string(n));
                    SCOPED_TRACE(std::string(pathName(path)) + ", fault " + fault);
                    FilterResult result = runJob(job, options, path, fault);
                    if (result.exitStatus == 0) { /* the Nth call was never made */
                        EXPECT_TRUE(sameBytes(result.out, expected));
                        break;
                    }
                    expectReported(result, line, pattern.substr(0, pattern.find(':')));
                    EXPECT_EQ(expected.compare(0, result.out.size(), result.out), 0)
                        << "output is not a prefix of the correct output";
                }
                EXPECT_GT(n, 1) << pattern << " never failed";
            }
            /* Every write passes on half its bytes, or every read and look
               gets at most 3000 (ending inside chunks), from the Nth on. */
            for (const char *fault : {"write:1:short", "write:2:short", "write:3:short",
                                      "read:1:short", "read:3:short"}) {
                SCOPED_TRACE(std::string(pathName(path)) + ", " + fault);
                FilterResult result = runJob(job, options, path, fault);
                EXPECT_EQ(result.exitStatus, 0) << result.err;
                EXPECT_TRUE(sameBytes(result.out, expected));
            }
        }
    }
}

TEST(FilterSignals, ACancelEndsQuietly) {
    /* SIGTERM while the job keeps coming, as the previous stage sends it:
       the filter stops by itself, scanning or copying. */
    for (std::string head : {"%!PS\n%%BeginProlog\n", "%!PS\n"}) {
        FilterRun run;
        run.input = head + std::string(65536, 'y');
        run.options = "com.quarn.pm.UserID=sig01";
        run.terminateAfterMs = 200;
        FilterResult result = runFilter(run);
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.err.find("ERROR:"), std::string::npos) << result.err;
    }
    /* SIGTERM, and then the next write meets the closed pipe of the next
       stage (or the next read fails): that is the cancel, not a failure.
       Every write and read of the run, in the scan and the copy, on every
       path, until a run gets through untouched. */
    const std::string lines = manyLines(400000);
    int canceled = 0;
    for (const std::string &job : {"%!PS\n%%BeginProlog\n" + lines, lines}) {
        for (Path path : kEveryPath) {
            for (const char *kind : {"write:", "read:"}) {
                for (int n = 1; n < 100; n++) {
                    std::string fault = kind + std::to_string(n) + ":canceled";
                    SCOPED_TRACE(std::string(pathName(path)) + ", " + fault);
                    FilterResult result = runJob(job, "", path, fault);
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

} // namespace
