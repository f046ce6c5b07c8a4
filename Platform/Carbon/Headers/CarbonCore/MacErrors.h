/*
 * MacErrors.h
 *
 * Result codes of the toolbox that this layer returns: the general OSErr
 * values and those of the Scrap, Control, Window, Event and Interface
 * Builder runtime managers.
 */
#ifndef __MACERRORS__
#define __MACERRORS__

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    paramErr = -50,   /* error in user parameter list */
    fnfErr = -43,     /* file not found */
    ioErr = -36,      /* I/O error */
    noTypeErr = -102, /* no object of that type in scrap */
    memFullErr = -108 /* not enough room in heap zone */
};

/* Apple Event coercion (used by event parameters) */
enum { errAECoercionFail = -1700 };

/* Window Manager */
enum { errInvalidWindowRef = -5600, errWindowRegionCodeInvalid = -5605 };

/* Control Manager */
enum {
    errDataNotSupported = -30581,
    errControlDoesntSupportFocus = -30582,
    errUnknownControl = -30584,
    errInvalidPartCode = -30588,
    errControlIsNotEmbedder = -30590,
    errDataSizeMismatch = -30591,
    errControlHiddenOrDisabled = -30592,
    errCantEmbedIntoSelf = -30594,
    errCantEmbedRoot = -30595
};

/* Carbon Event Manager */
enum { eventParameterNotFoundErr = -9870, eventNotHandledErr = -9874 };

/* Interface Builder runtime */
enum {
    kIBCarbonRuntimeCantFindNibFile = -10960,
    kIBCarbonRuntimeObjectNotOfRequestedType = -10961,
    kIBCarbonRuntimeCantFindObject = -10962
};

#ifdef __cplusplus
}
#endif

#endif /* __MACERRORS__ */
