/*
 * PMCore.h
 *
 * Print sessions: creation, reference counting and the named data that a
 * session carries (the print dialog keeps its tickets there).
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
/* Reference counting of printing objects (sessions). PMRelease frees the
 * object when its count falls to 0. */
OSStatus PMRetain(PMObject object);
OSStatus PMRelease(PMObject object);

/* The object stored under key, borrowed (not retained for the caller).
 * kPMKeyNotFound, with *data NULL, when the session holds nothing under key. */
OSStatus PMSessionGetDataFromSession(PMPrintSession printSession, CFStringRef key, CFTypeRef *data);
/* Stores data (retained) under key, replacing what was there; NULL data
 * removes the entry. */
OSStatus PMSessionSetDataInSession(PMPrintSession printSession, CFStringRef key, CFTypeRef data);
/* The session's last error (always the result of the last failing call on it). */
OSStatus PMSessionError(PMPrintSession printSession);
OSStatus PMSessionSetError(PMPrintSession printSession, OSStatus printError);

#ifdef __cplusplus
}
#endif

#endif /* __PMCORE__ */
