/*
 * PMCore.h
 *
 * Print sessions: creation, release and the named data that a session
 * carries (the print dialog keeps its tickets there).
 */
#ifndef __PMCORE__
#define __PMCORE__

#include <PrintCore/PMDefinitions.h>
#include <PrintCore/PMErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A new session with a reference count of 1. */
OSStatus PMCreateSession(PMPrintSession *printSession);
/* Releases a printing object (a session or a ticket); freed at count 0. */
OSStatus PMRelease(PMObject object);
/* The object stored under key, borrowed (not retained for the caller).
 * kPMKeyNotFound, with *data NULL, when the session holds nothing under key. */
OSStatus PMSessionGetDataFromSession(PMPrintSession printSession, CFStringRef key, CFTypeRef *data);
/* Stores data (retained) under key, replacing what was there; NULL data
 * removes the entry. */
OSStatus PMSessionSetDataInSession(PMPrintSession printSession, CFStringRef key, CFTypeRef data);

#ifdef __cplusplus
}
#endif

#endif /* __PMCORE__ */
