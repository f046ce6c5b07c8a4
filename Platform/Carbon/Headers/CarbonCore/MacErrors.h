/*
 * MacErrors.h
 *
 * Result codes of the toolbox: the general OSErr values and the ranges of
 * the Memory, Scrap, Control, Window, Event and Interface Builder runtime
 * managers that this layer returns.
 */
#ifndef __MACERRORS__
#define __MACERRORS__

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    paramErr = -50,        /* error in user parameter list */
    unimpErr = -4,         /* unimplemented core routine */
    ioErr = -36,           /* I/O error */
    eofErr = -39,          /* end of file */
    fnfErr = -43,          /* file not found */
    memFullErr = -108,     /* not enough room in heap zone */
    nilHandleErr = -109,   /* handle was NULL */
    memWZErr = -111,       /* WhichZone failed (applied to free block) */
    userCanceledErr = -128 /* the user cancelled the operation */
};

/* Scrap Manager */
enum {
    noScrapErr = -100, /* no scrap exists */
    noTypeErr = -102   /* no object of that type in scrap */
};

/* Apple Event coercion (used by event parameters) */
enum { errAECoercionFail = -1700, errAEDescNotFound = -1701 };

/* Window Manager */
enum { errInvalidWindowRef = -5600, errWindowNotFound = -5604, errWindowRegionCodeInvalid = -5605 };

/* Control Manager: errors are in the range -30580 .. -30599 */
enum {
    errMessageNotSupported = -30580,
    errDataNotSupported = -30581,
    errControlDoesntSupportFocus = -30582,
    errWindowDoesntSupportFocus = -30583,
    errUnknownControl = -30584,
    errCouldntSetFocus = -30585,
    errNoRootControl = -30586,
    errRootAlreadyExists = -30587,
    errInvalidPartCode = -30588,
    errControlsAlreadyExist = -30589,
    errControlIsNotEmbedder = -30590,
    errDataSizeMismatch = -30591,
    errControlHiddenOrDisabled = -30592,
    errCantEmbedIntoSelf = -30594,
    errCantEmbedRoot = -30595,
    errItemNotControl = -30596,
    controlInvalidDataVersionErr = -30597,
    controlPropertyInvalid = -5603,
    controlPropertyNotFoundErr = -5604,
    controlHandleInvalidErr = -30599
};

/* Carbon Event Manager */
enum {
    eventAlreadyPostedErr = -9860,
    eventTargetBusyErr = -9861,
    eventClassInvalidErr = -9862,
    eventClassIncorrectErr = -9864,
    eventHandlerAlreadyInstalledErr = -9866,
    eventInternalErr = -9868,
    eventKindIncorrectErr = -9869,
    eventParameterNotFoundErr = -9870,
    eventNotHandledErr = -9874,
    eventLoopTimedOutErr = -9875,
    eventLoopQuitErr = -9876,
    eventNotInQueueErr = -9877,
    eventHotKeyExistsErr = -9878,
    eventHotKeyInvalidErr = -9879
};

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
