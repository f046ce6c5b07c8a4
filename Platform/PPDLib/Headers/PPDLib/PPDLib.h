/*
 * PPDLib.h
 *
 * The compiled-PPD library: open the PPD of the printer that a printer-info
 * ticket describes, look a main keyword (a Pascal string without "*") up,
 * read its values as Pascal strings, close. Statuses: Platform/PPDLib/README.md.
 */
#ifndef __PPDLIB__
#define __PPDLIB__

#include <ApplicationServices/ApplicationServices.h>
#include <CarbonCore/Files.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaquePPDContext *PPDContext;

/* *fileSpec (may be NULL) names the file; on failure *context is NULL. */
OSStatus ppdOpenCompiledPPDFromTicket(PMTicketRef ticket, FSSpec *fileSpec, PPDContext *context);
/* kPMKeyNotFound, with *mainIndex -1, when the PPD has no such keyword. */
OSStatus ppdGetMainIndex(PPDContext context, ConstStr255Param keyword, SInt16 *mainIndex);
/* The optionIndex-th value (0 the first) in at most maxLength bytes, length
 * byte included, nothing written after it (no terminating zero). */
OSStatus ppdGetInvocationString(PPDContext context, SInt16 mainIndex, SInt16 optionIndex,
                                StringPtr invocation, SInt16 maxLength);
OSStatus ppdCloseCompiledPPDFromTicket(PPDContext context, FSSpec *fileSpec);

#ifdef __cplusplus
}
#endif

#endif /* __PPDLIB__ */
