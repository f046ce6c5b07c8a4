/*
 * FilterOutputTests.cpp
 *
 * What the filter writes, run through the real binary with the clock
 * pinned: literal blocks that anchor the oracle (empty options, the three
 * line breaks, the time zone, escaping, each job type's own group), how
 * options are read, jobs at the edges of the prolog scan and many generated
 * ones (the prolog around the chunk boundaries, jobs cut short inside it,
 * random bytes rich in breaks and fragments, blocks around the insertion
 * buffer's size), each along every path and compared with the whole-buffer
 * oracle; and the kernel moving the job wherever a pipe is on one side.
 */
#include <gtest/gtest.h>

#include <random>

#include "FilterOracle.h"
#include "FilterRun.h"
#include "QuarnSettingsKeys.h"

namespace {

const std::string kHeader = "%!PS-Adobe-3.0\n%%Creator: test\n";
const std::string kBody = "%%BeginProlog\n/x 1 def\n%%EndProlog\nshowpage\n%%EOF\n";
const oracle::Options kOptions = {{kQuarnUserIDKey, "diff01"},
                                  {kQuarnJobTypeKey, kQuarnJobTypeTrialPrint},
                                  {kQuarnTimeZoneKey, "JST-9"}};

FilterResult runPinned(const std::string &job, const oracle::Options &options) {
    FilterRun run;
    run.input = job;
    run.options = oracle::optionString(options);
    run.pinClock = true;
    return runFilter(run);
}

/* The job along every path through the filter (in `pieces` through the
   pipe), against the oracle; the clock shows the zone of the options. */
void check(const std::string &job, const oracle::Options &options = kOptions,
           std::vector<size_t> pieces = {}) {
    oracle::Expectation expected = oracle::expect(
        job, options, options.count(kQuarnTimeZoneKey) ? kPinnedStampJST : kPinnedStampUTC);
    for (Path path : kEveryPath) {
        FilterRun run;
        run.path = path;
        run.input = job;
        run.options = oracle::optionString(options);
        run.pinClock = true;
        run.pieces = pieces;
        FilterResult result = runFilter(run);
        ASSERT_EQ(result.exitStatus, expected.exitStatus) << pathName(path) << ": " << result.err;
        ASSERT_TRUE(sameBytes(result.out, expected.output))
            << pathName(path) << ", job of " << job.size() << " bytes";
    }
}

const oracle::Options kAllValues = {{kQuarnUserIDKey, "user01"},
                                    {kQuarnEnableUserCodeOption, "True"},
                                    {kQuarnUserCodeKey, "24680"},
                                    {kQuarnPasswordKey, "secret"},
                                    {kQuarnFileNameKey, "report.ps"}};

TEST(FilterBlocks, LiteralBlocksForEachLineBreakAndTimeZone) {
    FilterResult result = runPinned(kHeader + kBody, {});
    EXPECT_TRUE(sameBytes(result.out, kHeader + "mark\n  () () (" + kPinnedStampUTC +
                                          ") {setuserinfo} stopped\ncleartomark\n" + kBody));
    EXPECT_EQ(result.err, "");
    for (std::string lb : {"\n", "\r\n", "\r"}) {
        std::string job = "%!PS" + lb + "%%BeginProlog" + lb + "end" + lb;
        EXPECT_TRUE(sameBytes(runPinned(job, {{kQuarnUserIDKey, "lb"}}).out,
                              "%!PS" + lb + "mark" + lb + "  (lb) () (" + kPinnedStampUTC +
                                  ") {setuserinfo} stopped" + lb + "cleartomark" + lb +
                                  "%%BeginProlog" + lb + "end" + lb));
    }
    /* A client 9 hours east and one 5 hours west of UTC, at 00:30 UTC on 1 March. */
    EXPECT_NE(runPinned(kBody, {{kQuarnTimeZoneKey, "JST-9"}}).out.find(kPinnedStampJST),
              std::string::npos);
    EXPECT_NE(runPinned(kBody, {{kQuarnTimeZoneKey, "EST5"}}).out.find("(202602281930)"),
              std::string::npos);
    /* A clock beyond any calendar year stamps the zero time. */
    FilterRun run;
    run.input = kBody;
    run.pinClock = true;
    run.clock = "+3000000000y";
    EXPECT_NE(runFilter(run).out.find("(190001000000)"), std::string::npos);
}

TEST(FilterBlocks, EachJobTypeGetsItsGroupWithEscapedValues) {
    struct Case {
        const char *type, *marker;
    } cases[] = {
        {kQuarnJobTypeNormal, "{setuserinfo} stopped\ncleartomark\n%%BeginProlog"},
        {kQuarnJobTypeGuardedPrint, "(a\\)b\\(c\\\\d) {secureprint} stopped"},
        {kQuarnJobTypeTrialPrint, ") {proofprint} stopped"},
        {kQuarnJobTypeBoxStorage, "(a\\)b\\(c\\\\d) (r\\011p\\001\\177\xe9) {storedprint}"},
        {kQuarnJobTypeHaltedPrint, "\t\t/JobID (r\\011p\\001\\177\xe9)\n\t>>\n>> /QDevice"},
        {kQuarnJobTypeKeptPrint, "/Password (a\\)b\\(c\\\\d)\n\t\t/JobID (r\\011p"},
        {kQuarnJobTypeKeepBoxPrint, "/Save 2\n\t\t/Public false"}};
    for (const Case &c : cases) {
        oracle::Options options = kAllValues;
        options[kQuarnJobTypeKey] = c.type;
        options[kQuarnPasswordKey] = "a)b(c\\d";
        options[kQuarnFileNameKey] = "r\tp\x01\x7f\xe9";
        SCOPED_TRACE(c.type);
        FilterResult result = runPinned(kHeader + kBody, options);
        EXPECT_NE(result.out.find(c.marker), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("  (user01) (24680) ("), std::string::npos);
        check(kHeader + kBody, options);
    }
    oracle::Options halted = kAllValues; /* Halted Print needs no Password */
    halted.erase(kQuarnPasswordKey);
    halted[kQuarnJobTypeKey] = kQuarnJobTypeHaltedPrint;
    EXPECT_EQ(runPinned(kHeader + kBody, halted).exitStatus, 0);
}

TEST(FilterOptions, HowOptionsAreRead) {
    struct Case {
        std::string options; /* a CUPS option string */
        const char *present, *absent;
    } cases[] = {
        /* the job type is compared whole and case-sensitively */
        {"com.quarn.pm.JobType='guarded print' com.quarn.pm.Password=p", "setuserinfo", "secure"},
        {"com.quarn.pm.JobType='Guarded Print ' com.quarn.pm.Password=p", "setuserinfo", "secure"},
        {"com.quarn.pm.JobType=Unknown", "setuserinfo", "proofprint"},
        /* the User Code is enabled by "true" in any case, and only by that */
        {"com.quarn.pm.UserID=al com.quarn.pm.EnableUserCode..b.=tRuE com.quarn.pm.UserCode=12",
         "(al) (12)", "(al) ()"},
        {"com.quarn.pm.UserID=al com.quarn.pm.EnableUserCode..b.=1 com.quarn.pm.UserCode=12",
         "(al) ()", "(al) (12)"},
        {"com.quarn.pm.UserID=al com.quarn.pm.EnableUserCode..b.=False com.quarn.pm.UserCode=12",
         "(al) ()", "(al) (12)"},
        /* a scheduler delivers "name..b.=True" as the bare name: "true" */
        {"com.quarn.pm.UserID=bob com.quarn.pm.EnableUserCode..b. com.quarn.pm.UserCode=77",
         "(bob) (77)", "(bob) ()"},
        /* the enable option without its boolean suffix is not the enable option */
        {"com.quarn.pm.UserID=cy com.quarn.pm.EnableUserCode=True com.quarn.pm.UserCode=9",
         "(cy) ()", "(cy) (9)"},
    };
    for (const Case &c : cases) {
        FilterRun run;
        run.input = kHeader + kBody;
        run.options = c.options;
        FilterResult result = runFilter(run);
        EXPECT_EQ(result.exitStatus, 0) << c.options;
        EXPECT_NE(result.out.find(c.present), std::string::npos) << c.options;
        EXPECT_EQ(result.out.find(c.absent), std::string::npos) << c.options;
    }
    /* Four arguments only: an empty option list; arguments after the sixth are ignored. */
    FilterRun run;
    run.input = kHeader + kBody;
    run.omitOptions = true;
    run.pinClock = true;
    EXPECT_TRUE(
        sameBytes(runFilter(run).out, oracle::expect(run.input, {}, kPinnedStampUTC).output));
    run.path = Path::kFileToPipe;
    run.omitOptions = false;
    run.extraArgs = {"ignored-seventh-argument"};
    EXPECT_TRUE(
        sameBytes(runFilter(run).out, oracle::expect(run.input, {}, kPinnedStampUTC).output));
}

TEST(FilterScan, JobsAtTheEdgesOfTheScan) {
    std::string exactRest = kHeader + "%%BeginProlog\n";
    exactRest += std::string(4096 - exactRest.size(), 'x') + std::string(3 * 4096, 'y');
    std::string crOnly = "%!PS\r\n" + std::string(4096 - 6, '\r') + "%%BeginProlog\rmore\r";
    const std::string jobs[] = {
        "",
        kHeader + "%%BeginProlo\nshowpage\n %%BeginProlog\n%%EOF\n", /* no prolog line */
        std::string(100000, 'z'),
        kBody,                                             /* the prolog is the first line */
        kHeader + "%%BeginPrologue\nrest\n",               /* further letters match */
        kHeader + kBody + kBody,                           /* only the first gets the block */
        std::string(4096 - 3, 'a') + "xx %%BeginProlog\n", /* mid-line */
        std::string(4096, 'b') + "%%BeginProlog\n",        /* mid-line at a chunk start */
        std::string(4090, 'q') + "\n%%BeginPage: 1\n" + std::string(9000, 'r'),
        kHeader + "%%Begin", /* an incomplete match at the end */
        std::string(4090, 's') + "\n%%Begi",
        std::string(4095, 's') + "\n%%BeginProlo",
        "%!PS\r\r\n\n\r\n\r\r%%BeginProlog\r\nx\r\n", /* blank lines and CR-only breaks */
        std::string(4095, '\n') + "\r%%BeginProlog\n",
        exactRest, /* the rest is whole chunks */
        crOnly,    /* breaks of the chunk holding it */
    };
    for (const std::string &job : jobs) {
        SCOPED_TRACE(testing::PrintToString(job.substr(0, 40)));
        check(job, {});
    }
    EXPECT_EQ(oracle::lineBreakFor(crOnly, *oracle::prologPosition(crOnly)), "\r");
    /* The edges of line-break detection: no break at all, CR LF or CR and
       one byte settled only at the chunk's last byte (LF), a leading LF
       (not a break) and a leading CR (a break). */
    const std::pair<std::string, std::string> breaks[] = {
        {"%%BeginProlog", "\n"},
        {"%%BeginProlog\r\n", "\n"},
        {"%%BeginProlog\rx", "\n"},
        {"%%BeginProlog\rxy", "\r"},
        {"\n%%BeginProlog\r\nabc", "\r\n"},
        {"\r\n%%BeginProlog\nabc", "\r\n"},
        {"\r%%BeginProlog\nabc", "\r"},
        /* straddling 4096 after a CR: the
           chunk moved to the line head */
        {"%!PS\r\n" + std::string(4084, 'a') + "\r%%BeginProlog\nx\n", "\n"}};
    for (const auto &[job, lineBreak] : breaks) {
        SCOPED_TRACE(testing::PrintToString(job));
        EXPECT_EQ(oracle::lineBreakFor(job, *oracle::prologPosition(job)), lineBreak);
        check(job, {});
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
    while (text.size() < size)
        text.insert(text.begin(), 'f');
    return text;
}

TEST(FilterDifferential, PrologAroundEveryPositionNearChunkBoundaries) {
    std::mt19937 random(4096);
    int jobs = 0;
    for (std::string lb : {"\n", "\r\n", "\r"}) {
        for (size_t boundary : {4096u, 8192u}) {
            for (size_t at = boundary - 16; at <= boundary + 4; at++) {
                std::string job =
                    filler(random, at, lb) + "%%BeginProlog" + lb + filler(random, 3000, lb);
                SCOPED_TRACE(testing::Message() << "boundary " << boundary << " at " << at
                                                << " break " << testing::PrintToString(lb));
                check(job);
                jobs++;
            }
        }
    }
    EXPECT_EQ(jobs, 3 * 2 * 21);
}

TEST(FilterDifferential, JobsCutShortInsideThePrologLine) {
    std::mt19937 random(8192);
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
            if (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
                job += atoms[std::uniform_int_distribution<size_t>(0, atoms.size() - 1)(random)];
            } else {
                job += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
            }
        }
        /* A quarter of the jobs come through the pipe in odd-sized pieces. */
        std::vector<size_t> pieces;
        if (n % 4 == 0)
            pieces = {std::uniform_int_distribution<size_t>(1, 5000)(random), 1, 4095};
        SCOPED_TRACE(n);
        check(job, kOptions, pieces);
    }
}

TEST(FilterDifferential, BlocksOfEveryLengthAroundTheInsertionBufferSize) {
    /* The insertion buffer starts at 1024 bytes and grows for longer blocks:
       every block length from 1000 to 1050 bytes, escaped values included. */
    const std::string job = "%!PS\n%%BeginProlog\nshowpage\n";
    int lengths = 0;
    for (size_t n = 400; n < 520; n++) {
        oracle::Options options = kOptions;
        options[kQuarnUserIDKey] = std::string(n, 'u') + ")";
        size_t length = oracle::block(options, "\n", kPinnedStampJST)->size();
        if (length < 1000 || length > 1050)
            continue;
        SCOPED_TRACE(length);
        check(job, options);
        lengths++;
    }
    EXPECT_GE(lengths, 25);
}

TEST(FilterPaths, TheKernelMovesTheJobWhereAPipeIsOnOneSide) {
    /* tee looks at an input pipe and splice passes on what was scanned; a
       file on both sides, or a kernel that refuses, is read and written. */
    for (Path path : kEveryPath) {
        FilterRun run;
        run.path = path;
        run.program = faultFilterPath();
        run.input = kHeader + kBody + std::string(1 << 20, 'x');
        run.environment = {"JOBCONTROLFILTER_FAULT=count"};
        FilterResult result = runFilter(run);
        bool pipeIn = path == Path::kPipeToPipe || path == Path::kPipeToFile;
        bool splices = pipeIn || path == Path::kFileToPipe;
        SCOPED_TRACE(pathName(path));
        EXPECT_EQ(result.err.find("tee 0,") == std::string::npos, pipeIn) << result.err;
        EXPECT_EQ(result.err.find("splice 0\n") == std::string::npos, splices) << result.err;
    }
}

} // namespace
