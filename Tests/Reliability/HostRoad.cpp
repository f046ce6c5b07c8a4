/*
 * HostRoad.cpp
 *
 * The print dialog's road in-process: pdehost's session code with the Job
 * Log pane linked in, the glue's records optionally on the stand-in's
 * allocator, and the event lines in memory.
 */
#include "HostRoad.h"

#include "BundleLoader.h"
#include "CJobLogPDE.h"
#include "PDEInterface.h"
#include "TicketOptions.h"

#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

void *glueAllocate(size_t count, size_t size) {
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    void *block = CFStandInAllocate(count * size);
    if (block != nullptr)
        std::memset(block, 0, count * size);
    return block;
}

void glueFree(void *block) {
    CFStandInDeallocate(block);
}

} // namespace

void RouteGlueThroughStandIn(bool route) {
    if (route)
        PDEInterfaceSetAllocator(glueAllocate, glueFree);
    else
        PDEInterfaceSetAllocator(nullptr, nullptr);
}

EventCapture::EventCapture() {
    mStream = open_memstream(&mBuffer, &mSize);
    if (mStream == nullptr)
        std::abort();
    mWriter = std::make_unique<EventWriter>(mStream);
}

EventCapture::~EventCapture() {
    mWriter.reset();
    std::fclose(mStream);
    std::free(mBuffer);
}

std::string EventCapture::All() {
    std::fflush(mStream);
    return std::string(mBuffer, mSize);
}

std::string EventCapture::TakeNew() {
    std::fflush(mStream);
    std::string text(mBuffer + mTaken, mSize - mTaken);
    mTaken = mSize;
    return text;
}

std::vector<Action> ScriptActions(const std::string &text) {
    ParsedScript script = ParseScript(text);
    EXPECT_EQ(0, script.errorLine) << script.error;
    return script.actions;
}

RoadResult RunRoad(const RoadSetup &setup, const std::vector<Action> &actions) {
    RoadResult result;
    // The clipboard outlives a dialog; it starts and ends empty so that the
    // layer's blocks can be compared.
    HIStandInSetClipboardText(nullptr);
    LiveObjects before = LiveObjects::Now();
    result.outstandingBefore = CFStandInGetOutstandingAllocationCount();
    EventCapture capture;
    {
        PrintTickets tickets;
        LoadedBundle bundle;
        if (!CreatePrintTickets(setup.ppd, setup.settings, tickets, result.error)) {
            result.exitStatus = 1;
        } else if (!LoadPlugInBundle(setup.bundle, CFSTR(kPMPrintingDialogExtensionsPlugInType),
                                     bundle, result.error)) {
            result.exitStatus = 1;
        } else if (bundle.factoryName != "JobLogPluginFactory") {
            result.error = "the bundle names the factory " + bundle.factoryName;
            result.exitStatus = 1;
        } else {
            DialogSession dialog(capture.Writer());
            if (!dialog.Start(JobLogPluginFactory, tickets.session, result.error)) {
                result.exitStatus = 1;
            } else {
                for (const Action &action : actions) {
                    std::string error;
                    DialogSession::Outcome outcome = dialog.Perform(action, error);
                    if (outcome == DialogSession::Outcome::BadArgument) {
                        result.error = "line " + std::to_string(action.line) + ": " + error;
                        result.exitStatus = 2;
                        break;
                    }
                    if (outcome == DialogSession::Outcome::Printed) {
                        result.printed = true;
                        break;
                    }
                }
            }
            dialog.Cancel();
        }
        if (result.printed) {
            std::vector<TicketItem> items = ReadTicketItems(tickets.printSettings);
            EventWriter &events = capture.Writer();
            for (const TicketItem &item : items)
                events.Ticket(item);
            events.Options(TicketItemsToOptions(items));
        }
        ReleasePrintTickets(tickets);
        ReleasePlugInBundle(bundle);
    }
    HIStandInSetClipboardText(nullptr);
    result.events = capture.All();
    result.leftOver = LiveObjects::Differences(before, LiveObjects::Now());
    result.outstandingAfter = CFStandInGetOutstandingAllocationCount();
    return result;
}
