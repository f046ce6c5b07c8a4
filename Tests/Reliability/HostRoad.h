/*
 * HostRoad.h
 *
 * The print dialog's road run in-process, for the reliability tests: the
 * host's own session code (tickets, bundle loader, dialog session, ticket
 * to options) drives the Job Log pane through the stand-in layer, exactly
 * as pdehost does, with two differences that let the tests reach further:
 * the pane's factory is the plug-in code linked into the test (the bundle
 * is still read and its executable loaded, to find the factory's name), so
 * that the glue's own records can be allocated through the stand-in's
 * allocator and take part in its fault injection; and the event lines go
 * to memory.
 */
#ifndef RELIABILITY_HOST_ROAD_H
#define RELIABILITY_HOST_ROAD_H

#include "CommandLine.h"
#include "DialogSession.h"
#include "EventOutput.h"
#include "LiveObjects.h"
#include "PrintTickets.h"
#include "Script.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

/* Routes the glue's records (factory instance, interface records) through
   CFStandInAllocate / CFStandInDeallocate, or back to the process heap. */
void RouteGlueThroughStandIn(bool route);

/* The event lines written by one EventWriter into memory. */
class EventCapture {
public:
    EventCapture();
    ~EventCapture();
    EventCapture(const EventCapture &) = delete;
    EventCapture &operator=(const EventCapture &) = delete;

    EventWriter &Writer() { return *mWriter; }
    /* Every line written so far. */
    std::string All();
    /* The lines written since the last call. */
    std::string TakeNew();

private:
    char *mBuffer = nullptr;
    size_t mSize = 0;
    size_t mTaken = 0;
    FILE *mStream = nullptr;
    std::unique_ptr<EventWriter> mWriter;
};

/* What one whole road did, as pdehost would report it. */
struct RoadResult {
    int exitStatus = 0; /* pdehost's: 0 done, 1 could not load or run, 2 bad script argument */
    bool printed = false;
    std::string events;   /* the event lines */
    std::string error;    /* what pdehost would have said on standard error */
    std::string leftOver; /* live platform objects not back where they were */
    long outstandingBefore = 0, outstandingAfter = 0; /* the layer's unfreed blocks */
};

struct RoadSetup {
    std::string ppd;    /* the printer's PPD */
    std::string bundle; /* the Job Log bundle directory */
    std::vector<SettingItem> settings;
};

/* One dialog road from the tickets to the last release, like pdehost's main:
   the session and tickets, the bundle, the dialog with its pane, the actions
   until a print succeeds, then the ticket items and job options as event
   lines, and the releases. */
RoadResult RunRoad(const RoadSetup &setup, const std::vector<Action> &actions);

/* The actions of a script text; the test fails on a wrong line. */
std::vector<Action> ScriptActions(const std::string &text);

#endif /* RELIABILITY_HOST_ROAD_H */
