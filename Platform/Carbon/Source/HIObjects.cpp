/*
 * HIObjects.cpp
 *
 * The lists of live toolbox records (windows, controls, events, handlers),
 * the lookups that check a caller's reference against them, and their
 * counts for leak checks.
 */
#include "HIInternal.h"

namespace {

HILiveList<OpaqueWindowPtr> gWindows;
HILiveList<OpaqueControlRef> gControls;
HILiveList<OpaqueEventRef> gEvents;
HILiveList<OpaqueEventHandlerRef> gHandlers;

} // namespace

bool HIIsWindow(WindowRef window) {
    return gWindows.contains(window);
}
bool HIIsControl(ControlRef control) {
    return gControls.contains(control);
}
bool HIIsEvent(EventRef event) {
    return gEvents.contains(event);
}
bool HIIsHandler(EventHandlerRef handler) {
    return gHandlers.contains(handler);
}

bool HIIsTarget(EventTargetRef target) {
    if (target == &gHIApplicationTarget)
        return true;
    for (OpaqueWindowPtr *w = gWindows.head; w != nullptr; w = w->allNext)
        if (&w->target == target)
            return true;
    for (OpaqueControlRef *c = gControls.head; c != nullptr; c = c->allNext)
        if (&c->target == target)
            return true;
    return false;
}

bool HIIsString(CFTypeRef value) {
    return value != nullptr && CFStandInIsValidObject(value) &&
           CFGetTypeID(value) == CFStringGetTypeID();
}

void HIWindowListAdd(WindowRef window, bool add) {
    gWindows.add(window, add);
}
void HIControlListAdd(ControlRef control, bool add) {
    gControls.add(control, add);
}
void HIEventListAdd(EventRef event, bool add) {
    gEvents.add(event, add);
}
void HIHandlerListAdd(EventHandlerRef handler, bool add) {
    gHandlers.add(handler, add);
}

ControlRef HIFindTopLevelControl(WindowRef window) {
    for (OpaqueControlRef *c = gControls.head; c != nullptr; c = c->allNext)
        if (c->owner == window && c->parent == nullptr)
            return c;
    return nullptr;
}

CFIndex HIStandInGetLiveWindowCount(void) {
    return gWindows.count + HIAlertCount();
}
CFIndex HIStandInGetLiveControlCount(void) {
    return gControls.count;
}
CFIndex HIStandInGetLiveEventCount(void) {
    return gEvents.count;
}
CFIndex HIStandInGetLiveHandlerCount(void) {
    return gHandlers.count;
}
