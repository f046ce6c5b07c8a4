/*
 * HIObjects.cpp
 *
 * The lists of live toolbox records (windows, controls, events, handlers),
 * the lookups that check a caller's reference against them, and their
 * counts for leak checks.
 */
#include "HIInternal.h"

namespace {

/* An intrusive list threaded through allNext/allPrev of the record. */
template <class T> struct LiveList {
    T *head = nullptr;
    CFIndex count = 0;

    void add(T *item, bool add) {
        if (add) {
            item->allPrev = nullptr;
            item->allNext = head;
            if (head != nullptr)
                head->allPrev = item;
            head = item;
            count++;
            return;
        }
        if (item->allPrev != nullptr)
            item->allPrev->allNext = item->allNext;
        else
            head = item->allNext;
        if (item->allNext != nullptr)
            item->allNext->allPrev = item->allPrev;
        count--;
    }
    bool contains(const void *item) const {
        for (T *p = head; p != nullptr && item != nullptr; p = p->allNext)
            if (p == item)
                return true;
        return false;
    }
};

LiveList<OpaqueWindowPtr> gWindows;
LiveList<OpaqueControlRef> gControls;
LiveList<OpaqueEventRef> gEvents;
LiveList<OpaqueEventHandlerRef> gHandlers;

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
