/*
 * LiveObjects.h
 *
 * Counts of the platform objects alive at one moment; the host takes them
 * before the dialog opens and after it has gone, and the two must agree.
 */
#ifndef PDEHOST_LIVE_OBJECTS_H
#define PDEHOST_LIVE_OBJECTS_H

#include <string>

struct LiveObjects {
    long cfObjects = 0;
    long plugInInstances = 0;
    long windows = 0;
    long controls = 0;
    long events = 0;
    long handlers = 0;
    long nibs = 0;
    long sessions = 0;
    long tickets = 0;
    long ppdContexts = 0;

    static LiveObjects Now();

    /* "" when `later` holds the same counts, else a list such as
       "plug-in instances 0 -> 1, CF objects 12 -> 14". */
    static std::string Differences(const LiveObjects &earlier, const LiveObjects &later);
};

#endif /* PDEHOST_LIVE_OBJECTS_H */
