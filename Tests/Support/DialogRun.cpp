/* DialogRun.cpp: the whole dialog run in this process, its events and
   standard error captured (TestSupport.h). */
#include "TestSupport.h"

#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
/* The running dialog's event lines, and how much of them was taken. */
char *gEvents;
size_t gSize, gTaken;
FILE *gStream;
} // namespace

DialogRun RunDialogInProcess(const HostOptions &options, const std::vector<Action> *actions,
                             CFPlugInFactoryFunction factory, DialogDriver driver, long failAt,
                             bool persistent) {
    DialogRun run;
    HIStandInSetClipboardText(nullptr);
    LayerState before = LayerState::Now();
    long failed = CFStandInGetFailedAllocationCount();
    gStream = open_memstream(&gEvents, &gSize);
    gTaken = 0;
    testing::internal::CaptureStderr();
    {
        EventWriter events(gStream);
        CFStandInSetAllocationFailure(failAt, persistent);
        run.status = RunDialog(options, actions, events, factory, driver);
        CFStandInSetAllocationFailure(0, false);
    }
    run.errors = testing::internal::GetCapturedStderr();
    std::fclose(gStream);
    gStream = nullptr;
    run.events.assign(gEvents, gSize);
    std::free(gEvents);
    HIStandInSetClipboardText(nullptr);
    run.injected = CFStandInGetFailedAllocationCount() - failed;
    run.leftOver = before.Differences(LayerState::Now());
    return run;
}

std::string NewDialogEvents() {
    std::fflush(gStream);
    std::string events(gEvents + gTaken, gSize - gTaken);
    gTaken = gSize;
    return events;
}
