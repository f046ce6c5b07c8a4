/*
 * HIObjects.cpp
 *
 * The lists of live toolbox records (windows, controls, events, handlers)
 * and the lookups that check a caller's reference against them.
 */
#include "HIInternal.h"

namespace {

/* An intrusive list threaded through allNext/allPrev of the record. */
template <class T> struct LiveList {
    T *head = nullptr;
    CFIndex count = 0;

    void add(T *item) {
        item->allPrev = nullptr;
        item->allNext = head;
        if (head != nullptr)
            head->allPrev = item;
        head = item;
        count++;
    }
    void remove(T *item) {
        if (item->allPrev != nullptr)
            item->allPrev->allNext = item->allNext;
        else
            head = item->allNext;
        if (item->allNext != nullptr)
            item->allNext->allPrev = item->allPrev;
        item->allNext = item->allPrev = nullptr;
        count--;
    }
    bool contains(const void *item) const {
        if (item == nullptr)
            return false;
        for (T *p = head; p != nullptr; p = p->allNext)
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
    if (target == nullptr)
        return false;
    if (target == GetApplicationEventTarget())
        return true;
    for (OpaqueWindowPtr *w = gWindows.head; w != nullptr; w = w->allNext)
        if (&w->target == target)
            return true;
    for (OpaqueControlRef *c = gControls.head; c != nullptr; c = c->allNext)
        if (&c->target == target)
            return true;
    return false;
}

void HIWindowListAdd(WindowRef window) {
    gWindows.add(window);
}
void HIWindowListRemove(WindowRef window) {
    gWindows.remove(window);
}
void HIControlListAdd(ControlRef control) {
    gControls.add(control);
}
void HIControlListRemove(ControlRef control) {
    gControls.remove(control);
}
void HIEventListAdd(EventRef event) {
    gEvents.add(event);
}
void HIEventListRemove(EventRef event) {
    gEvents.remove(event);
}
void HIHandlerListAdd(EventHandlerRef handler) {
    gHandlers.add(handler);
}
void HIHandlerListRemove(EventHandlerRef handler) {
    gHandlers.remove(handler);
}

ControlRef HIFindTopLevelControl(WindowRef window) {
    for (OpaqueControlRef *c = gControls.head; c != nullptr; c = c->allNext)
        if (c->owner == window && c->parent == nullptr)
            return c;
    return nullptr;
}

CFIndex HIWindowCount(void) {
    return gWindows.count;
}
CFIndex HIControlCount(void) {
    return gControls.count;
}
CFIndex HIEventCount(void) {
    return gEvents.count;
}
CFIndex HIHandlerCount(void) {
    return gHandlers.count;
}
