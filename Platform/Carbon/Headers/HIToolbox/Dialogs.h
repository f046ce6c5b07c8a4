/*
 * Dialogs.h
 *
 * Standard alerts with CFString texts: default parameters, creation and
 * modal running (which disposes of the alert).
 */
#ifndef __DIALOGS__
#define __DIALOGS__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/MacErrors.h>
#include <HIToolbox/Events.h>
#include <HIToolbox/MacWindows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaqueDialogPtr *DialogRef;
typedef SInt16 DialogItemIndex;
typedef SInt16 AlertType;

enum { kAlertStopAlert = 0, kAlertNoteAlert = 1, kAlertCautionAlert = 2, kAlertPlainAlert = 3 };
enum { kAlertStdAlertOKButton = 1 };
/* Pass (CFStringRef)kAlertDefaultOKText for the standard button text. */
enum { kAlertDefaultOKText = -1 };
enum { kStdCFStringAlertVersionOne = 1 };

struct AlertStdCFStringAlertParamRec {
    UInt32 version;
    Boolean movable;
    Boolean helpButton;
    CFStringRef defaultText;
    CFStringRef cancelText;
    CFStringRef otherText;
    SInt16 defaultButton;
    SInt16 cancelButton;
    UInt16 position;
    OptionBits flags;
};
typedef struct AlertStdCFStringAlertParamRec AlertStdCFStringAlertParamRec;
typedef AlertStdCFStringAlertParamRec *AlertStdCFStringAlertParamPtr;

typedef Boolean (*ModalFilterProcPtr)(DialogRef theDialog, EventRecord *theEvent,
                                      DialogItemIndex *itemHit);
typedef ModalFilterProcPtr ModalFilterUPP;

/* Fills param with the defaults: not movable, no help button, the standard
 * OK text, no cancel or other button, OK as default button, default position. */
OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamPtr param, UInt32 version);
/* A new alert; param NULL means the defaults. The texts are retained. */
OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec *param, DialogRef *outAlert);
/* Shows the alert modally until a button answers it, then disposes of it.
 * The filter routine is not called. */
OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP filterProc,
                          DialogItemIndex *outItemHit);

#ifdef __cplusplus
}
#endif

#endif /* __DIALOGS__ */
