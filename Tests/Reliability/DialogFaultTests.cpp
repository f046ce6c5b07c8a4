/*
 * DialogFaultTests.cpp
 *
 * The whole dialog, as pdehost runs it (RunDialog) with the Job Log pane
 * linked in, under the stand-in layer's fault injection: for N = 1, 2, ...
 * the Nth allocation of the layer (the glue's records included) fails,
 * once or from then on, until a run goes through without a failure. Every
 * run must end with pdehost's status 0, 1 or 2, the pane terminated exactly
 * when its prologue succeeded, and every platform object and block of the
 * layer given back; the run past the last allocation must be the clean run.
 */
#include "PDEInterface.h"
#include "TestSupport.h"

#include <CJobLogPDE.h>
#include <StandIn/CFStandIn.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

void *glueAllocate(size_t count, size_t size) {
    void *block = size != 0 && count > SIZE_MAX / size ? nullptr : CFStandInAllocate(count * size);
    return block != nullptr ? std::memset(block, 0, count * size) : nullptr;
}

int count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at++)
        n++;
    return n;
}

/* Ticket values shown, editing (filters, limits, pastes, a drop), a refused
   print, both syncs, the summary, show, a second opening and a print. */
TEST(DialogAllocationFailures, AWholeDialogEndsCleanlyWhereverMemoryRunsOut) {
    PDEInterfaceSetAllocator(glueAllocate, CFStandInDeallocate); // the glue's records too
    ParsedScript script = ParseScript(
        "open\nshow\nsummary\nfocus jlog 1\nselect 0 32767\ntype Alice01\nclipboard 9\n"
        "select 0 0\npaste\nkey left\nkey backspace\ndrop X-\nprint\nselect 0 32767\n"
        "key delete\ntype Bob\nkey home\nclick jlog 4\nclick jlog 4\nfocus jlog 5\ntype 123\n"
        "clipboard 45\npaste\nkey cmd-v\nsummary\nsync ui\nshow\nclose\nopen\nsync tickets\n"
        "print\n");
    ASSERT_EQ(0, script.errorLine) << script.error;
    HostOptions options;
    options.ppd = QUARN_FIXTURES "/joblog.ppd";
    options.plugin = QUARN_PLUGIN_BUNDLE_DIR;
    options.settings = {{"com.example.Other", false, "kept as it is", false},
                        {"com.quarn.pm.UserID", false, "Carol", false},
                        {"com.quarn.pm.EnableUserCode", true, "", true},
                        {"com.quarn.pm.UserCode", false, "4242", false}};
    auto runDialog = [&](long nth, bool persistent) {
        return RunDialogInProcess(options, &script.actions, JobLogPluginFactory, nullptr, nth,
                                  persistent);
    };
    DialogRun clean = runDialog(0, false);
    ASSERT_EQ(0, clean.status) << clean.errors;
    ASSERT_EQ(1, count(clean.events, "\noptions ")) << clean.events;
    long last = 0;
    for (bool persistent : {false, true}) {
        for (long nth = 1; (persistent ? nth < last : last == 0) && !HasFailure(); nth++) {
            DialogRun run = runDialog(nth, persistent);
            std::string where = "allocation " + std::to_string(nth) +
                                (persistent ? " and on" : "") + " fails\n" + run.errors +
                                run.events;
            EXPECT_TRUE(run.status >= 0 && run.status <= 2) << where;
            EXPECT_EQ("", run.leftOver) << where;
            EXPECT_LE(run.injected, persistent ? LONG_MAX : 1) << where;
            bool hasContext = run.events.find("status prologue 0\n") != std::string::npos;
            EXPECT_EQ(hasContext ? 1 : 0, count(run.events, "status terminate ")) << where;
            EXPECT_TRUE(!persistent || run.injected > 0) << where;
            if (!persistent && run.injected == 0) {
                EXPECT_EQ(clean.events, run.events) << "the run past the last allocation";
                last = nth;
            }
        }
    }
    EXPECT_GT(last, 100) << "the dialog hardly allocates";
    PDEInterfaceSetAllocator(nullptr, nullptr);
}

} // namespace
