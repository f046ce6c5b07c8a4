/*
 * FilterDifferentialTests.cpp
 *
 * Many generated jobs through the real filter, each along every path (pipes
 * and files on either side, and the kernel's moves refused) and compared
 * with the whole-buffer oracle: random bytes rich in line breaks and prolog
 * fragments, the three line-break styles with "%%BeginProlog" at and
 * around every position near the chunk boundaries 4096 and 8192, and jobs
 * cut short at every length inside the prolog line.
 */
#include <gtest/gtest.h>

#include <random>

#include "FilterOracle.h"
#include "FilterRun.h"
#include "QuarnSettingsKeys.h"

namespace {

const oracle::Options kOptions = {{kQuarnUserIDKey, "diff01"},
                                  {kQuarnJobTypeKey, kQuarnJobTypeTrialPrint},
                                  {kQuarnTimeZoneKey, "JST-9"}};

/* The job along every path through the filter, against the oracle. */
void check(const std::string &job, std::vector<size_t> pieces = {},
           const oracle::Options &options = kOptions) {
    oracle::Expectation expected = oracle::expect(job, options, kPinnedStampJST);
    for (Path path : kEveryPath) {
        FilterRun run;
        run.path = path;
        run.input = job;
        run.options = oracle::optionString(options);
        run.pinClock = true;
        run.pieces = pieces;
        FilterResult result = runFilter(run);
        ASSERT_EQ(result.exitStatus, expected.exitStatus) << pathName(path) << ": " << result.err;
        if (result.out != expected.output) {
            size_t at = 0;
            while (at < result.out.size() && at < expected.output.size() &&
                   result.out[at] == expected.output[at])
                at++;
            FAIL() << pathName(path) << ": output differs at byte " << at << " of "
                   << expected.output.size() << " (job of " << job.size() << " bytes)";
        }
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
        check(job, pieces);
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
        check(job, {}, options);
        lengths++;
    }
    EXPECT_GE(lengths, 25);
}

TEST(FilterDifferential, OracleSeesTheMovedChunkAfterAPartialMatch) {
    /* The prolog straddles 4096 and the job's first break style differs from
       the one within 4096 bytes after the prolog: the block follows the
       chunk that starts at the prolog line. */
    std::string job = "%!PS\r\n" + std::string(4096 - 6 - 5 - 1, 'a') + "\r" + "%%BeginProlog\nx\n";
    size_t position = *oracle::prologPosition(job);
    EXPECT_EQ(position, 4096u - 5u);
    EXPECT_EQ(oracle::lineBreakFor(job, position), "\n");
    check(job);
}

} // namespace
