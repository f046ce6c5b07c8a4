/*
 * HIObjects.cpp
 *
 * The lists of live toolbox records (windows, controls, events, handlers),
 * the lookups that check a caller's reference against them, and their
 * counts for leak checks.
 */
#include "HIInternal.h"

HILiveList<OpaqueWindowPtr> gHIWindows;
HILiveList<OpaqueControlRef> gHIControls;
HILiveList<OpaqueEventRef> gHIEvents;
HILiveList<OpaqueEventHandlerRef> gHIHandlers;

bool HIIsTarget(EventTargetRef target) {
    if (target == &gHIApplicationTarget)
        return true;
    for (OpaqueWindowPtr *w = gHIWindows.head; w != nullptr; w = w->allNext)
        if (&w->target == target)
            return true;
    for (OpaqueControlRef *c = gHIControls.head; c != nullptr; c = c->allNext)
        if (&c->target == target)
            return true;
    return false;
}

bool HIIsString(CFTypeRef value) {
    return value != nullptr && CFStandInIsValidObject(value) &&
           CFGetTypeID(value) == CFStringGetTypeID();
}

ControlRef HIFindTopLevelControl(WindowRef window) {
    for (OpaqueControlRef *c = gHIControls.head; c != nullptr; c = c->allNext)
        if (c->owner == window && c->parent == nullptr)
            return c;
    return nullptr;
}

CFIndex HIStandInGetLiveWindowCount(void) {
    return gHIWindows.count + HIAlertCount();
}
CFIndex HIStandInGetLiveControlCount(void) {
    return gHIControls.count;
}
CFIndex HIStandInGetLiveEventCount(void) {
    return gHIEvents.count;
}
CFIndex HIStandInGetLiveHandlerCount(void) {
    return gHIHandlers.count;
}
