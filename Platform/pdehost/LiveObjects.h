/*
 * LiveObjects.h
 *
 * Counts of the platform objects alive at one moment; the host takes them
 * before the dialog opens and after it has gone, and the two must agree.
 */
#ifndef PDEHOST_LIVE_OBJECTS_H
#define PDEHOST_LIVE_OBJECTS_H

#include <array>
#include <string>

struct LiveObjects {
    /* plug-in instances, CF objects, windows, controls, events, event
       handlers, nib references, print sessions, tickets, PPD contexts */
    std::array<long, 10> counts{};

    static LiveObjects Now();

    /* "" when `later` holds the same counts, else a list such as
       "plug-in instances 0 -> 1, CF objects 12 -> 14". */
    static std::string Differences(const LiveObjects &earlier, const LiveObjects &later);
};

#endif /* PDEHOST_LIVE_OBJECTS_H */
