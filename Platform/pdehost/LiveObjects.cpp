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

namespace {

/* The counters, in the order of LiveObjects::counts */
const struct {
    const char *name;
    CFIndex (*count)(void);
} kCounters[] = {
    {"plug-in instances", CFStandInGetTotalPlugInInstanceCount},
    {"CF objects", CFStandInGetLiveObjectCount},
    {"windows", HIStandInGetLiveWindowCount},
    {"controls", HIStandInGetLiveControlCount},
    {"events", HIStandInGetLiveEventCount},
    {"event handlers", HIStandInGetLiveHandlerCount},
    {"nib references", HIStandInGetLiveNibCount},
    {"print sessions", PMStandInGetLiveSessionCount},
    {"tickets", PMStandInGetLiveTicketCount},
    {"PPD contexts", PPDStandInGetLiveContextCount},
};
static_assert(std::size(kCounters) == std::tuple_size_v<decltype(LiveObjects::counts)>);

} // namespace

LiveObjects LiveObjects::Now() {
    LiveObjects now;
    for (size_t i = 0; i < std::size(kCounters); i++)
        now.counts[i] = kCounters[i].count();
    return now;
}

std::string LiveObjects::Differences(const LiveObjects &earlier, const LiveObjects &later) {
    std::string differences;
    for (size_t i = 0; i < std::size(kCounters); i++) {
        long before = earlier.counts[i];
        long after = later.counts[i];
        if (before == after)
            continue;
        if (!differences.empty())
            differences += ", ";
        differences += std::string(kCounters[i].name) + " " + std::to_string(before) + " -> " +
                       std::to_string(after);
    }
    return differences;
}
