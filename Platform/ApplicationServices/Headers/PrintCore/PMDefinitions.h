/*
 * PMDefinitions.h
 *
 * Types and general result codes of the printing framework.
 */
#ifndef __PMDEFINITIONS__
#define __PMDEFINITIONS__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/MacErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const void *PMObject;
typedef struct OpaquePMPrintSession *PMPrintSession;
typedef struct OpaquePMTicketRef *PMTicketRef;

/* General result codes */
enum {
    kPMInvalidParameter = paramErr,
    kPMValueOutOfRange = -30877,
    kPMInvalidPrintSession = -30879
};

#ifdef __cplusplus
}
#endif

#endif /* __PMDEFINITIONS__ */
