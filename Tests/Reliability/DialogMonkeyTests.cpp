/*
 * DialogMonkeyTests.cpp
 *
 * The Job Log pane's monkey runs: thousands of random actions from fixed
 * seeds (QUARN_MONKEY_SEED and QUARN_MONKEY_ACTIONS choose another seed and
 * length for the first run), every promise of the pane checked after each
 * action; and a check that the monkey notices a broken promise.
 */
#include "DialogMonkey.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

unsigned long fromEnvironment(const char *name, unsigned long fallback) {
    const char *value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return fallback;
    char *end = nullptr;
    unsigned long number = std::strtoul(value, &end, 10);
    return *end == '\0' ? number : fallback;
}

void runAndReport(const MonkeyOptions &options) {
    MonkeyReport report = RunDialogMonkey(options);
    for (const std::string &violation : report.violations)
        ADD_FAILURE() << violation;
    std::printf("monkey seed %lu: %ld actions in %ld dialogs; %ld prints, %ld refused syncs, "
                "%ld drops, %ld pastes taken, %ld refused\n",
                options.seed, report.actions, report.dialogs, report.prints, report.refusedSyncs,
                report.drops, report.pastesTaken, report.pastesRefused);
    EXPECT_EQ(options.actions, report.actions);
    // The run reached every kind of outcome, not only the easy ones.
    if (options.actions >= 2000) {
        EXPECT_GT(report.dialogs, 1);
        EXPECT_GT(report.prints, 0);
        EXPECT_GT(report.refusedSyncs, 0);
        EXPECT_GT(report.drops, 0);
        EXPECT_GT(report.pastesTaken, 0);
        EXPECT_GT(report.pastesRefused, 0);
    }
}

TEST(DialogMonkey, KeepsEveryPromiseOverThousandsOfRandomActions) {
    MonkeyOptions options;
    options.seed = fromEnvironment("QUARN_MONKEY_SEED", options.seed);
    options.actions = static_cast<long>(fromEnvironment("QUARN_MONKEY_ACTIONS", 20000));
    runAndReport(options);
}

TEST(DialogMonkey, KeepsEveryPromiseFromASecondSeed) {
    MonkeyOptions options;
    options.seed = 7;
    options.actions = 5000;
    runAndReport(options);
}

/* A field that takes a character its filter refuses is caught at once. */
TEST(DialogMonkey, NoticesAFieldHoldingWhatItsFilterRefuses) {
    MonkeyOptions options;
    options.actions = 200;
    options.corruptUserIDAfter = 40;
    MonkeyReport report = RunDialogMonkey(options);
    ASSERT_EQ(1u, report.violations.size());
    EXPECT_NE(std::string::npos,
              report.violations[0].find("the User ID field holds \"bad-id!\" without a drop"))
        << report.violations[0];
    EXPECT_LE(report.actions, 40);
}

} // namespace
