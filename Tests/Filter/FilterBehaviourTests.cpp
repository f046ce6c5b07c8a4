/*
 * FilterBehaviourTests.cpp
 *
 * The filter's behaviour at its edges, run through the real binary with the
 * clock pinned: option lookup, the blocks of the seven job types, value
 * escaping, line-break detection, the prolog scan across chunk boundaries
 * and the independence of the output from how the input arrives.
 */
#include <gtest/gtest.h>

#include "FilterOracle.h"
#include "FilterRun.h"
#include "QuarnSettingsKeys.h"

namespace {

const std::string kHeader = "%!PS-Adobe-3.0\n%%Creator: test\n";
const std::string kBody = "%%BeginProlog\n/x 1 def\n%%EndProlog\nshowpage\n%%EOF\n";

FilterResult runPinned(const std::string &job, const oracle::Options &options) {
    FilterRun run;
    run.input = job;
    run.options = oracle::optionString(options);
    run.pinClock = true;
    return runFilter(run);
}

/* Runs the job and checks the whole output against the oracle. */
void expectFiltered(const std::string &job, const oracle::Options &options) {
    FilterResult result = runPinned(job, options);
    oracle::Expectation expected = oracle::expect(job, options, kPinnedStampUTC);
    EXPECT_EQ(result.exitStatus, expected.exitStatus) << result.err;
    EXPECT_TRUE(sameBytes(result.out, expected.output));
}

std::string between(const std::string &out, const std::string &before, const std::string &after) {
    size_t start = out.find(before);
    size_t end = out.find(after, start == std::string::npos ? 0 : start + before.size());
    if (start == std::string::npos || end == std::string::npos)
        return {};
    return out.substr(start + before.size(), end - start - before.size());
}

/* ---- Options ---------------------------------------------------------- */

TEST(FilterOptions, EmptyOptionsGiveANormalBlockWithEmptyValues) {
    FilterResult result = runPinned(kHeader + kBody, {});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(sameBytes(result.out, kHeader + "mark\n  () () (" + kPinnedStampUTC +
                                          ") {setuserinfo} stopped\ncleartomark\n" + kBody));
    EXPECT_EQ(result.err, "");
}

TEST(FilterOptions, MissingOptionsArgumentIsAnEmptyOptionList) {
    FilterRun run;
    run.input = kHeader + kBody;
    run.omitOptions = true;
    run.pinClock = true;
    FilterResult result = runFilter(run);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(sameBytes(result.out, oracle::expect(run.input, {}, kPinnedStampUTC).output));
}

TEST(FilterOptions, JobTypeIsComparedWholeAndCaseSensitive) {
    for (const char *type : {"guarded print", "Guarded Print ", "Guarded", "Normal", "Unknown"}) {
        FilterResult result = runPinned(kHeader + kBody, {{kQuarnJobTypeKey, type}});
        EXPECT_EQ(result.exitStatus, 0) << type;
        EXPECT_EQ(result.out.find("secureprint"), std::string::npos) << type;
        EXPECT_NE(result.out.find("{setuserinfo}"), std::string::npos) << type;
    }
}

TEST(FilterOptions, UserCodeIsEnabledByTrueInAnyCaseOnly) {
    struct Case {
        const char *value;
        bool enabled;
    } cases[] = {{"True", true}, {"TRUE", true}, {"true", true},   {"tRuE", true},
                 {"1", false},   {"yes", false}, {"False", false}, {"", false}};
    for (const Case &c : cases) {
        FilterResult result = runPinned(kHeader + kBody, {{kQuarnUserIDKey, "alice"},
                                                          {kQuarnEnableUserCodeOption, c.value},
                                                          {kQuarnUserCodeKey, "1234"}});
        EXPECT_EQ(result.exitStatus, 0) << c.value;
        EXPECT_EQ(result.out.find("(alice) (1234)") != std::string::npos, c.enabled) << c.value;
        EXPECT_EQ(result.out.find("(alice) ()") != std::string::npos, !c.enabled) << c.value;
    }
}

TEST(FilterOptions, BareBooleanOptionEnablesTheUserCode) {
    /* A scheduler delivers "name..b.=True" as the bare name, which the option
       parser turns into "true". */
    FilterRun run;
    run.input = kHeader + kBody;
    run.options = std::string(kQuarnUserIDKey) + "=bob " + kQuarnEnableUserCodeOption + " " +
                  kQuarnUserCodeKey + "=77";
    run.pinClock = true;
    FilterResult result = runFilter(run);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.out.find("  (bob) (77) (" + std::string(kPinnedStampUTC) + ")"),
              std::string::npos);
}

TEST(FilterOptions, EnableOptionWithoutTheBooleanSuffixIsIgnored) {
    FilterResult result = runPinned(
        kHeader + kBody,
        {{kQuarnUserIDKey, "carol"}, {kQuarnEnableUserCodeKey, "True"}, {kQuarnUserCodeKey, "99"}});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.out.find("(carol) ()"), std::string::npos);
}

TEST(FilterOptions, TimeStampFollowsTheClientTimeZone) {
    /* A client 9 hours east of UTC, the filter running at 00:30 UTC on 1 March. */
    FilterResult result =
        runPinned(kHeader + kBody, {{kQuarnUserIDKey, "dave"}, {kQuarnTimeZoneKey, "JST-9"}});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(between(result.out, "(dave) () (", ")"), kPinnedStampJST);

    result = runPinned(kHeader + kBody, {{kQuarnUserIDKey, "dave"}, {kQuarnTimeZoneKey, "EST5"}});
    EXPECT_EQ(between(result.out, "(dave) () (", ")"), "202602281930");
}

/* ---- Blocks ----------------------------------------------------------- */

const oracle::Options kAllValues = {{kQuarnUserIDKey, "user01"},
                                    {kQuarnEnableUserCodeOption, "True"},
                                    {kQuarnUserCodeKey, "24680"},
                                    {kQuarnPasswordKey, "secret"},
                                    {kQuarnFileNameKey, "report.ps"}};

const char *const kAllTypes[] = {kQuarnJobTypeNormal,      kQuarnJobTypeGuardedPrint,
                                 kQuarnJobTypeTrialPrint,  kQuarnJobTypeBoxStorage,
                                 kQuarnJobTypeHaltedPrint, kQuarnJobTypeKeptPrint,
                                 kQuarnJobTypeKeepBoxPrint};

TEST(FilterBlocks, EveryJobTypeGetsItsBlock) {
    for (const char *type : kAllTypes) {
        oracle::Options options = kAllValues;
        options[kQuarnJobTypeKey] = type;
        SCOPED_TRACE(type);
        expectFiltered(kHeader + kBody, options);
    }
}

TEST(FilterBlocks, SecondGroupCarriesTheTypeSpecificOperator) {
    struct Case {
        const char *type, *marker;
    } cases[] = {{kQuarnJobTypeGuardedPrint, "(secret) {secureprint} stopped"},
                 {kQuarnJobTypeTrialPrint, ") {proofprint} stopped"},
                 {kQuarnJobTypeBoxStorage, "(secret) (report.ps) {storedprint} stopped"},
                 {kQuarnJobTypeHaltedPrint, "\t\t/JobID (report.ps)\n\t>>\n>> /QDeviceProcSet"},
                 {kQuarnJobTypeKeptPrint, "/Save 1\n\t\t/Public false"},
                 {kQuarnJobTypeKeepBoxPrint, "/Save 2\n\t\t/Public false"}};
    for (const Case &c : cases) {
        oracle::Options options = kAllValues;
        options[kQuarnJobTypeKey] = c.type;
        FilterResult result = runPinned(kHeader + kBody, options);
        EXPECT_NE(result.out.find(c.marker), std::string::npos) << c.type << "\n" << result.out;
    }
}

TEST(FilterBlocks, HaltedPrintNeedsNoPassword) {
    oracle::Options options = kAllValues;
    options.erase(kQuarnPasswordKey);
    options[kQuarnJobTypeKey] = kQuarnJobTypeHaltedPrint;
    expectFiltered(kHeader + kBody, options);
    EXPECT_EQ(runPinned(kHeader + kBody, options).exitStatus, 0);
}

TEST(FilterBlocks, ValuesAreWrittenAsPostScriptStringContents) {
    oracle::Options options = kAllValues;
    options[kQuarnJobTypeKey] = kQuarnJobTypeKeptPrint;
    options[kQuarnPasswordKey] = "a)b(c\\d";
    options[kQuarnFileNameKey] = std::string("tab\there\x01\x7f\x1f end\xe9");
    FilterResult result = runPinned(kHeader + kBody, options);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.out.find("/Password (a\\)b\\(c\\\\d)"), std::string::npos);
    EXPECT_NE(result.out.find("/JobID (tab\\011here\\001\\177\\037 end\xe9)"), std::string::npos);
    expectFiltered(kHeader + kBody, options);
}

TEST(FilterBlocks, LettersAndDigitsComeOutUnchanged) {
    std::string plain = "AZaz09Quarn2026";
    FilterResult result = runPinned(kHeader + kBody, {{kQuarnUserIDKey, plain}});
    EXPECT_NE(result.out.find("  (" + plain + ") () ("), std::string::npos);
}

TEST(FilterBlocks, LongValuesGetTheWholeBlock) {
    /* Far beyond the 1024-byte insertion buffer, escaped values included. */
    for (size_t size : {1000u, 1100u, 5000u, 30000u}) {
        oracle::Options options = kAllValues;
        options[kQuarnJobTypeKey] = kQuarnJobTypeKeepBoxPrint;
        options[kQuarnPasswordKey] = std::string(size, ')');
        options[kQuarnFileNameKey] = std::string(size, 'f');
        SCOPED_TRACE(size);
        expectFiltered(kHeader + kBody, options);
    }
}

/* ---- Line breaks ------------------------------------------------------ */

TEST(FilterLineBreaks, BlockTakesTheJobsLineBreak) {
    for (std::string lb : {"\n", "\r\n", "\r"}) {
        std::string job = "%!PS" + lb + "%%Title: t" + lb + "%%BeginProlog" + lb + "end" + lb;
        FilterResult result = runPinned(job, {{kQuarnUserIDKey, "lb"}});
        EXPECT_TRUE(sameBytes(result.out, "%!PS" + lb + "%%Title: t" + lb + "mark" + lb +
                                              "  (lb) () (" + kPinnedStampUTC +
                                              ") {setuserinfo} stopped" + lb + "cleartomark" + lb +
                                              "%%BeginProlog" + lb + "end" + lb));
    }
}

TEST(FilterLineBreaks, EdgesOfTheDetection) {
    struct Case {
        std::string job, lineBreak;
    } cases[] = {
        /* the prolog line is the whole job: no break at all */
        {"%%BeginProlog", "\n"},
        /* CR LF settled only at the very last byte of the chunk counts as LF */
        {"%%BeginProlog\r\n", "\n"},
        /* CR followed by one more byte at the end also counts as LF */
        {"%%BeginProlog\rx", "\n"},
        {"%%BeginProlog\rxy", "\r"},
        /* a line feed as the very first byte is not a break */
        {"\n%%BeginProlog\r\nabc", "\r\n"},
        /* a carriage return as the very first byte is */
        {"\r\n%%BeginProlog\nabc", "\r\n"},
        {"\r%%BeginProlog\nabc", "\r"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.job));
        EXPECT_EQ(oracle::lineBreakFor(c.job, *oracle::prologPosition(c.job)), c.lineBreak);
        expectFiltered(c.job, {});
    }
}

TEST(FilterLineBreaks, BreakIsDetectedInTheChunkHoldingTheMatch) {
    /* The job starts with CR LF lines, but the chunk holding the prolog
       has only CR breaks. */
    std::string job = "%!PS\r\n";
    while (job.size() < 4096)
        job += "\r";
    job += "%%BeginProlog\rmore\r";
    FilterResult result = runPinned(job, {});
    EXPECT_NE(result.out.find("\rmark\r  () () ("), std::string::npos);
    expectFiltered(job, {});
}

/* ---- Prolog scan ------------------------------------------------------ */

TEST(FilterScan, JobWithoutPrologPassesUnchanged) {
    std::string job = kHeader + "%%BeginProlo\nshowpage\n %%BeginProlog\n%%EOF\n";
    for (const std::string &j : {std::string(), job, std::string(100000, 'z')}) {
        FilterResult result = runPinned(j, {});
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_TRUE(sameBytes(result.out, j));
        EXPECT_EQ(result.err, "");
    }
}

TEST(FilterScan, PrologOnTheFirstLineGetsTheBlockFirst) {
    FilterResult result = runPinned(kBody, {});
    EXPECT_EQ(result.out.compare(0, 5, "mark\n"), 0);
    expectFiltered(kBody, {});
}

TEST(FilterScan, PrologWithFurtherLettersMatches) {
    std::string job = kHeader + "%%BeginPrologue\nrest\n";
    FilterResult result = runPinned(job, {});
    EXPECT_NE(result.out.find("cleartomark\n%%BeginPrologue\n"), std::string::npos);
}

TEST(FilterScan, OnlyTheFirstPrologLineGetsTheBlock) {
    std::string job = kHeader + kBody + kBody;
    FilterResult result = runPinned(job, {});
    EXPECT_EQ(result.out.find("setuserinfo"), result.out.rfind("setuserinfo"));
    expectFiltered(job, {});
}

TEST(FilterScan, PrologInsideALineDoesNotMatchEvenAtAChunkStart) {
    std::string job(4096 - 3, 'a');
    job += "xx %%BeginProlog\n"; /* mid-line, no break before */
    std::string atChunk(4096, 'b');
    atChunk += "%%BeginProlog\n"; /* first byte of the second chunk, mid-line */
    for (const std::string &j : {job, atChunk}) {
        FilterResult result = runPinned(j, {});
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_TRUE(sameBytes(result.out, j));
    }
}

TEST(FilterScan, PrologStraddlingTwoChunksIsFound) {
    for (size_t before = 1; before < 13; before++) {
        std::string job = std::string(4096 - before - 1, 'p') + "\n" + "%%BeginProlog\nrest\n";
        SCOPED_TRACE(before);
        expectFiltered(job, {});
        FilterResult result = runPinned(job, {});
        EXPECT_EQ(result.out.find("cleartomark\n%%BeginProlog\nrest\n"), result.out.size() - 31);
    }
}

TEST(FilterScan, PartialMatchThatFailsLeavesTheJobIntact) {
    std::string job = std::string(4090, 'q') + "\n%%Begin" + "Page: 1\n" + std::string(9000, 'r');
    FilterResult result = runPinned(job, {});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(sameBytes(result.out, job));
}

TEST(FilterScan, IncompleteMatchAtTheEndPassesUnchanged) {
    for (const std::string &j : {kHeader + "%%Begin", std::string(4090, 's') + "\n%%Begi",
                                 std::string(4095, 's') + "\n%%BeginProlo"}) {
        FilterResult result = runPinned(j, {});
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_TRUE(sameBytes(result.out, j));
    }
}

TEST(FilterScan, BlankLinesAndCarriageReturnsBeforeTheProlog) {
    std::string job = "%!PS\r\r\n\n\r\n\r\r%%BeginProlog\r\nx\r\n";
    expectFiltered(job, {});
    job = std::string(4095, '\n') + "\r%%BeginProlog\n";
    expectFiltered(job, {});
}

TEST(FilterScan, RestOfTheJobIsAnExactMultipleOfTheChunk) {
    std::string job = kHeader + "%%BeginProlog\n";
    job += std::string(4096 - job.size(), 'x');
    job += std::string(3 * 4096, 'y');
    FilterResult result = runPinned(job, {});
    EXPECT_EQ(result.exitStatus, 0);
    expectFiltered(job, {});
}

TEST(FilterScan, OutputDoesNotDependOnHowTheInputArrives) {
    /* The prolog straddles the first chunk boundary. */
    std::string job = kHeader;
    while (job.size() + 13 < 4090)
        job += "line of text\n";
    job += std::string(4090 - job.size(), '.') + "\n%%BeginProlog\n" + std::string(20000, 'e');
    std::string whole = runPinned(job, {}).out;
    ASSERT_TRUE(sameBytes(whole, oracle::expect(job, {}, kPinnedStampUTC).output));
    for (std::vector<size_t> pieces : std::vector<std::vector<size_t>>{
             {1}, {7, 13}, {4095}, {4097, 3}, {4090, 1, 2, 3}, {12000}}) {
        FilterRun run;
        run.input = job;
        run.pieces = pieces;
        run.pinClock = true;
        EXPECT_TRUE(sameBytes(runFilter(run).out, whole))
            << pieces.size() << " pieces from " << pieces[0];
    }
}

TEST(FilterScan, InputFromANamedFile) {
    char path[] = "/tmp/filtertestXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    std::string job = kHeader + kBody;
    ASSERT_EQ(write(fd, job.data(), job.size()), static_cast<ssize_t>(job.size()));
    close(fd);
    FilterRun run;
    run.extraArgs = {path, "ignored-seventh-argument"};
    run.pinClock = true;
    FilterResult result = runFilter(run);
    unlink(path);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(sameBytes(result.out, oracle::expect(job, {}, kPinnedStampUTC).output));
}

} // namespace
