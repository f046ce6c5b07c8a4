/*
 * Dialogs.cpp
 *
 * Standard alerts: default parameters, creation (an alert window with its
 * texts) and modal running. Running an alert reports it to the observer,
 * which answers it with a button; the alert is then disposed of.
 */
#include "HIInternal.h"

struct OpaqueDialogPtr {
    OpaqueDialogPtr *next;
    WindowRef window;
    AlertType type;
    CFStringRef message;
    CFStringRef explanation;
    AlertStdCFStringAlertParamRec params;
};

namespace {

OpaqueDialogPtr *gDialogs = nullptr;

bool IsDialog(DialogRef dialog) {
    for (OpaqueDialogPtr *d = gDialogs; d != nullptr; d = d->next)
        if (d == dialog && dialog != nullptr)
            return true;
    return false;
}

/* Button texts may be the (CFStringRef)kAlertDefault...Text markers. */
bool IsRealText(CFStringRef text) {
    return text != nullptr && text != (CFStringRef)(intptr_t)kAlertDefaultOKText;
}

void RetainButtonText(CFStringRef text) {
    if (IsRealText(text))
        CFRetain(text);
}

void ReleaseButtonText(CFStringRef text) {
    if (IsRealText(text))
        CFRelease(text);
}

bool ButtonTextIsValid(CFStringRef text) {
    return !IsRealText(text) || HIIsString(text);
}

} // namespace

ModalFilterUPP NewModalFilterUPP(ModalFilterProcPtr userRoutine) {
    return userRoutine;
}
void DisposeModalFilterUPP(ModalFilterUPP) {}

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamPtr param, UInt32 version) {
    if (param == nullptr ||
        (version != kStdCFStringAlertVersionOne && version != kStdCFStringAlertVersionTwo))
        return paramErr;
    memset(param, 0, sizeof(*param));
    param->version = version;
    param->movable = false;
    param->helpButton = false;
    param->defaultText = (CFStringRef)(intptr_t)kAlertDefaultOKText;
    param->cancelText = nullptr;
    param->otherText = nullptr;
    param->defaultButton = kAlertStdAlertOKButton;
    param->cancelButton = 0;
    param->position = kWindowDefaultPosition;
    param->flags = 0;
    return noErr;
}

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec *param, DialogRef *outAlert) {
    if (outAlert == nullptr)
        return paramErr;
    *outAlert = nullptr;
    if (alertType < kAlertStopAlert || alertType > kAlertPlainAlert || !HIIsString(error) ||
        (explanation != nullptr && !HIIsString(explanation)))
        return paramErr;
    AlertStdCFStringAlertParamRec params;
    if (param == nullptr) {
        GetStandardAlertDefaultParams(&params, kStdCFStringAlertVersionOne);
    } else {
        if (param->version != kStdCFStringAlertVersionOne &&
            param->version != kStdCFStringAlertVersionTwo)
            return paramErr;
        if (!ButtonTextIsValid(param->defaultText) || !ButtonTextIsValid(param->cancelText) ||
            !ButtonTextIsValid(param->otherText))
            return paramErr;
        params = *param;
    }
    DialogRef dialog = HIAllocate<OpaqueDialogPtr>();
    if (dialog == nullptr)
        return memFullErr;
    Rect bounds = {0, 0, 120, 420};
    OSStatus status = CreateNewWindow(params.movable ? kMovableAlertWindowClass : kAlertWindowClass,
                                      0, &bounds, &dialog->window);
    if (status != noErr) {
        CFStandInDeallocate(dialog);
        return status;
    }
    dialog->type = alertType;
    dialog->message = (CFStringRef)CFRetain(error);
    dialog->explanation = explanation != nullptr ? (CFStringRef)CFRetain(explanation) : nullptr;
    dialog->params = params;
    RetainButtonText(params.defaultText);
    RetainButtonText(params.cancelText);
    RetainButtonText(params.otherText);
    dialog->next = gDialogs;
    gDialogs = dialog;
    *outAlert = dialog;
    return noErr;
}

void DisposeDialog(DialogRef theDialog) {
    if (!IsDialog(theDialog))
        return;
    for (OpaqueDialogPtr **link = &gDialogs; *link != nullptr; link = &(*link)->next) {
        if (*link == theDialog) {
            *link = theDialog->next;
            break;
        }
    }
    DisposeWindow(theDialog->window);
    CFRelease(theDialog->message);
    if (theDialog->explanation != nullptr)
        CFRelease(theDialog->explanation);
    ReleaseButtonText(theDialog->params.defaultText);
    ReleaseButtonText(theDialog->params.cancelText);
    ReleaseButtonText(theDialog->params.otherText);
    CFStandInDeallocate(theDialog);
}

WindowRef GetDialogWindow(DialogRef dialog) {
    return IsDialog(dialog) ? dialog->window : nullptr;
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP, DialogItemIndex *outItemHit) {
    if (!IsDialog(inAlert))
        return paramErr;
    DialogItemIndex item = HIObserverAlert(inAlert->type, inAlert->message, inAlert->explanation,
                                           inAlert->params.defaultButton);
    if (outItemHit != nullptr)
        *outItemHit = item;
    DisposeDialog(inAlert);
    return noErr;
}
