/*
 * LiveObjects.cpp
 *
 * Taking and comparing the counts of live platform objects.
 */
#include "LiveObjects.h"

#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>
#include <StandIn/PMStandIn.h>
#include <StandIn/PPDStandIn.h>

LiveObjects LiveObjects::Now() {
    LiveObjects counts;
    counts.cfObjects = CFStandInGetLiveObjectCount();
    counts.plugInInstances = CFStandInGetTotalPlugInInstanceCount();
    counts.windows = HIStandInGetLiveWindowCount();
    counts.controls = HIStandInGetLiveControlCount();
    counts.events = HIStandInGetLiveEventCount();
    counts.handlers = HIStandInGetLiveHandlerCount();
    counts.nibs = HIStandInGetLiveNibCount();
    counts.sessions = PMStandInGetLiveSessionCount();
    counts.tickets = PMStandInGetLiveTicketCount();
    counts.ppdContexts = PPDStandInGetLiveContextCount();
    return counts;
}

std::string LiveObjects::Differences(const LiveObjects &earlier, const LiveObjects &later) {
    const struct {
        const char *name;
        long LiveObjects::*count;
    } kCounts[] = {
        {"plug-in instances", &LiveObjects::plugInInstances},
        {"CF objects", &LiveObjects::cfObjects},
        {"windows", &LiveObjects::windows},
        {"controls", &LiveObjects::controls},
        {"events", &LiveObjects::events},
        {"event handlers", &LiveObjects::handlers},
        {"nib references", &LiveObjects::nibs},
        {"print sessions", &LiveObjects::sessions},
        {"tickets", &LiveObjects::tickets},
        {"PPD contexts", &LiveObjects::ppdContexts},
    };
    std::string differences;
    for (const auto &entry : kCounts) {
        long before = earlier.*entry.count;
        long after = later.*entry.count;
        if (before == after)
            continue;
        if (!differences.empty())
            differences += ", ";
        differences +=
            std::string(entry.name) + " " + std::to_string(before) + " -> " + std::to_string(after);
    }
    return differences;
}
