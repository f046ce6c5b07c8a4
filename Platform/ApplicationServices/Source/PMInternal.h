/*
 * PMInternal.h
 *
 * Sessions and tickets are objects of the CoreFoundation runtime (classes
 * registered through CFStandInRegisterClass), so they are retained,
 * released and counted like every other object of the layer.
 */
#ifndef PMINTERNAL_H
#define PMINTERNAL_H

#include <ApplicationServices/ApplicationServices.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>

CFTypeID PMSessionGetTypeID(void);
CFTypeID PMTicketGetTypeID(void);

inline bool PMIsObjectOfType(const void *object, CFTypeID type) {
    return object != nullptr && CFStandInIsValidObject(object) && CFGetTypeID(object) == type;
}

inline bool PMIsString(CFTypeRef value) {
    return PMIsObjectOfType(value, CFStringGetTypeID());
}

#endif /* PMINTERNAL_H */
