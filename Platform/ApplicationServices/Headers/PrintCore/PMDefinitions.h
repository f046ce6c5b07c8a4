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
typedef struct OpaquePMPrintSettings *PMPrintSettings;
typedef struct OpaquePMPageFormat *PMPageFormat;
typedef struct OpaquePMPrinter *PMPrinter;
typedef struct OpaquePMTicketRef *PMTicketRef;

/* General result codes */
enum {
    kPMNoError = noErr,
    kPMGeneralError = -30870,
    kPMOutOfScope = -30871,
    kPMInvalidParameter = paramErr,
    kPMNoDefaultPrinter = -30872,
    kPMNotImplemented = -30873,
    kPMNoSuchEntry = -30874,
    kPMInvalidPrintSettings = -30875,
    kPMInvalidPageFormat = -30876,
    kPMValueOutOfRange = -30877,
    kPMLockIgnored = -30878
};

enum {
    kPMInvalidPrintSession = -30879,
    kPMInvalidPrinter = -30880,
    kPMObjectInUse = -30881,
    kPMInvalidPreset = -30882
};

enum { kPMPrintAllPages = -1 };

#define kPMDontWantSize NULL
#define kPMDontWantData NULL
#define kPMDontWantBoolean NULL
#define kPMNoData NULL
#define kPMNoReference NULL

#ifdef __cplusplus
}
#endif

#endif /* __PMDEFINITIONS__ */
