/*
 * PMStandIn.h
 *
 * Extensions of the printing framework for the print-dialog host and for
 * tests; not part of the framework's API. They give the printer-info ticket
 * the printer's PPD file, list a ticket's items in the order they were first
 * written, and count live sessions and tickets.
 */
#ifndef __PMSTANDIN__
#define __PMSTANDIN__

#include <ApplicationServices/ApplicationServices.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The printer-info ticket names the printer's PPD file for
 * ppdOpenCompiledPPDFromTicket: its path, a string item under this key. */
#define kPMStandInPPDPathKey CFSTR("com.quarn.standin.PPDPath")

/* The item at index (0-based) of the top level, in the order the items were
 * first written (rewriting an item keeps its position): its key, value and
 * client (NULL when none), borrowed. kPMInvalidIndex past the last item. */
OSStatus PMStandInTicketGetItemAtIndex(PMTicketRef ticket, CFIndex index, CFStringRef *key,
                                       CFTypeRef *value, CFStringRef *clientID);

CFIndex PMStandInGetLiveSessionCount(void);
CFIndex PMStandInGetLiveTicketCount(void);

#ifdef __cplusplus
}
#endif

#endif /* __PMSTANDIN__ */
