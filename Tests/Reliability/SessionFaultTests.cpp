/*
 * SessionFaultTests.cpp
 *
 * The whole dialog road under the stand-in layer's fault injection: for
 * N = 1, 2, 3, ... the Nth allocation of the layer (the glue's records
 * included) fails, once or from then on, until a run goes through without
 * an injected failure. Every run must end the way pdehost documents
 * (exit status 0, 1 or 2, the pane terminated whenever its prologue
 * succeeded), with every platform object and every block of the layer
 * given back; the run past the last allocation must be the clean run.
 * Under the sanitizer build, any invalid access aborts the test.
 */
#include "HostRoad.h"

#include <StandIn/CFStandIn.h>

#include <gtest/gtest.h>

#include <sstream>

namespace {

const char *const kEditingScript = R"(
open
focus jlog 1
type Alice01
clipboard 9
select 0 0
paste
key left
key backspace
drop X-
print
select 0 32767
key delete
type Bob
key home
key right
key end
click jlog 4
focus jlog 5
type 123
clipboard 45
paste
key cmd-v
summary
sync ui
show
close
open
sync tickets
print
)";

const char *const kTicketScript = R"(
open
show
summary
focus jlog 5
type 77
sync ui
key end
type 77
summary
click jlog 4
print
)";

struct Scenario {
    const char *name;
    const char *script;
    std::vector<SettingItem> settings;
};

std::vector<Scenario> scenarios() {
    SettingItem userID{"com.quarn.pm.UserID", false, "Carol", false};
    SettingItem enable{"com.quarn.pm.EnableUserCode", true, "", true};
    SettingItem userCode{"com.quarn.pm.UserCode", false, "4242", false};
    SettingItem other{"com.example.Other", false, "kept as it is", false};
    return {{"editing", kEditingScript, {}},
            {"ticket values", kTicketScript, {other, userID, enable, userCode}}};
}

int count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

class SessionAllocationFailures : public ::testing::Test {
protected:
    void SetUp() override { RouteGlueThroughStandIn(true); }
    void TearDown() override {
        CFStandInSetAllocationFailure(0, false);
        RouteGlueThroughStandIn(false);
    }

    RoadSetup setupFor(const Scenario &scenario) {
        RoadSetup setup;
        setup.ppd = QUARN_FIXTURES "/joblog.ppd";
        setup.bundle = QUARN_PLUGIN_BUNDLE_DIR;
        setup.settings = scenario.settings;
        return setup;
    }

    /* One run with the nth allocation failing; the checks every run passes.
       Returns the number of allocations the injection refused. */
    long runInjected(const Scenario &scenario, long nth, bool persistent, RoadResult &result) {
        long failedBefore = CFStandInGetFailedAllocationCount();
        CFStandInSetAllocationFailure(nth, persistent);
        result = RunRoad(setupFor(scenario), ScriptActions(scenario.script));
        CFStandInSetAllocationFailure(0, false);
        long injected = CFStandInGetFailedAllocationCount() - failedBefore;

        std::ostringstream where;
        where << scenario.name << ", allocation " << nth << (persistent ? " and on" : "")
              << " fails; error: " << result.error << "\nevents:\n"
              << result.events;
        EXPECT_TRUE(result.exitStatus >= 0 && result.exitStatus <= 2) << where.str();
        EXPECT_EQ("", result.leftOver) << where.str();
        EXPECT_EQ(result.outstandingBefore, result.outstandingAfter)
            << "blocks of the layer not given back; " << where.str();
        // A pane whose prologue succeeded is terminated exactly once.
        bool hasContext = result.events.find("status prologue 0\n") != std::string::npos;
        EXPECT_EQ(hasContext ? 1 : 0, count(result.events, "status terminate ")) << where.str();
        // Without a dialog there is no print.
        if (result.exitStatus != 0) {
            EXPECT_FALSE(result.printed) << where.str();
        }
        return injected;
    }

    void sweep(const Scenario &scenario) {
        RoadResult clean = RunRoad(setupFor(scenario), ScriptActions(scenario.script));
        ASSERT_EQ(0, clean.exitStatus) << clean.error;
        ASSERT_TRUE(clean.printed) << clean.events;
        ASSERT_EQ("", clean.leftOver);

        long last = 0;
        for (long nth = 1; nth < 100000; nth++) {
            RoadResult result;
            long injected = runInjected(scenario, nth, false, result);
            if (HasFailure())
                return; // the first failing N says enough
            if (injected == 0) {
                EXPECT_EQ(clean.events, result.events)
                    << scenario.name << ": the run past the "
                    << "last allocation differs from a clean one";
                last = nth;
                break;
            }
            EXPECT_EQ(1, injected) << scenario.name << ", allocation " << nth;
        }
        ASSERT_GT(last, 1) << scenario.name << ": no run went through without a failure";
        for (long nth = 1; nth < last && !HasFailure(); nth++) {
            RoadResult result;
            EXPECT_GT(runInjected(scenario, nth, true, result), 0)
                << scenario.name << ", allocations " << nth << " and on";
        }
        RecordProperty(std::string(scenario.name) + " allocations", std::to_string(last - 1));
        std::printf("%s: %ld allocations, each failed once and from then on\n", scenario.name,
                    last - 1);
    }
};

TEST_F(SessionAllocationFailures, EditingAndPrintingEndCleanlyWhereverMemoryRunsOut) {
    sweep(scenarios()[0]);
}

TEST_F(SessionAllocationFailures, TicketValuesShownAndPrintedEndCleanlyWhereverMemoryRunsOut) {
    sweep(scenarios()[1]);
}

/* The run without injection really goes through the glue and the pane:
   the five items reach the ticket and the options. */
TEST_F(SessionAllocationFailures, TheCleanRoadPrintsTheFiveItems) {
    RoadResult clean = RunRoad(setupFor(scenarios()[1]), ScriptActions(scenarios()[1].script));
    ASSERT_TRUE(clean.printed) << clean.error;
    EXPECT_NE(std::string::npos, clean.events.find("ticket com.example.Other string \"kept as it "
                                                   "is\"\nticket com.quarn.pm.UserID string "
                                                   "\"Carol\"\n"))
        << clean.events;
    EXPECT_NE(std::string::npos,
              clean.events.find("ticket com.quarn.pm.EnableUserCode boolean false\n"));
    EXPECT_NE(std::string::npos,
              clean.events.find("ticket com.quarn.pm.UserCode string \"424277\"\n"));
    EXPECT_NE(std::string::npos,
              clean.events.find("ticket com.quarn.pm.JobType string \"Normal\"\n"));
    EXPECT_EQ(1, count(clean.events, "ticket com.quarn.pm.TimeZone string "));
}

/* A bundle that cannot be read and a PPD that cannot be opened are
   failures of the road too, reported without anything left behind. */
TEST_F(SessionAllocationFailures, AMissingBundleOrPrinterEndsTheRoadWithStatusOne) {
    RoadSetup setup = setupFor(scenarios()[0]);
    setup.bundle = QUARN_FIXTURES "/no-such.plugin";
    RoadResult noBundle = RunRoad(setup, ScriptActions("open\n"));
    EXPECT_EQ(1, noBundle.exitStatus);
    EXPECT_NE(std::string::npos, noBundle.error.find("no bundle at")) << noBundle.error;
    EXPECT_EQ("", noBundle.events);
    EXPECT_EQ("", noBundle.leftOver);

    setup = setupFor(scenarios()[0]);
    setup.ppd = QUARN_FIXTURES "/other-plugin.ppd";
    RoadResult otherPrinter = RunRoad(setup, ScriptActions("open\nprint\n"));
    EXPECT_EQ(0, otherPrinter.exitStatus);
    EXPECT_NE(std::string::npos, otherPrinter.events.find("status initialize -9530\n"));
    EXPECT_TRUE(otherPrinter.printed);
    EXPECT_EQ("", otherPrinter.leftOver);
    EXPECT_EQ(otherPrinter.outstandingBefore, otherPrinter.outstandingAfter);
}

} // namespace
