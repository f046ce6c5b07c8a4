/*
 * PPDLib.h
 *
 * The compiled-PPD library: open the PPD of the printer that a printer-info
 * ticket describes, look a main keyword up, read its values as
 * length-prefixed (Pascal) strings, close.
 *
 * Strings: keywords are passed as Pascal strings (a length byte followed by
 * that many bytes, no "*"). ppdGetInvocationString writes a Pascal string of
 * at most maxLength bytes IN ALL, length byte included: the length byte is
 * min(value length, maxLength - 1, 255), followed by that many bytes of the
 * value. Nothing is written after them (no terminating zero), so a caller
 * that wants a C-comparable buffer zero-fills it first.
 */
#ifndef __PPDLIB__
#define __PPDLIB__

#include <ApplicationServices/ApplicationServices.h>
#include <CarbonCore/Files.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaquePPDContext *PPDContext;

/* Opens the PPD named by the printer-info ticket. On success *context is a
 * new context and *fileSpec (may be NULL) names the file; on failure
 * *context is NULL and the result is kPMInvalidTicket (no valid ticket),
 * kPMKeyNotFound (the ticket names no PPD), fnfErr (no such file or not
 * readable), kPMInvalidValue (the file is not a PPD), memFullErr or paramErr. */
OSStatus ppdOpenCompiledPPDFromTicket(PMTicketRef ticket, FSSpec *fileSpec, PPDContext *context);
/* The main index of keyword, to be used with ppdGetInvocationString.
 * kPMKeyNotFound, with *mainIndex -1, when the PPD has no such keyword. */
OSStatus ppdGetMainIndex(PPDContext context, ConstStr255Param keyword, SInt16 *mainIndex);
/* The value of the optionIndex-th occurrence (0 the first) of the keyword of
 * mainIndex, as a Pascal string truncated to maxLength bytes (see above).
 * kPMInvalidIndex for an unknown main index or no such occurrence (invocation
 * untouched); paramErr when maxLength < 1 or invocation is NULL. */
OSStatus ppdGetInvocationString(PPDContext context, SInt16 mainIndex, SInt16 optionIndex,
                                StringPtr invocation, SInt16 maxLength);
/* Closes the context; fileSpec (may be NULL) is the one the open filled. */
OSStatus ppdCloseCompiledPPDFromTicket(PPDContext context, FSSpec *fileSpec);

#ifdef __cplusplus
}
#endif

#endif /* __PPDLIB__ */
