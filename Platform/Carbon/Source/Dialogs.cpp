/*
 * Dialogs.cpp
 *
 * What the user would hear and see: the system beep and standard alerts.
 * Running an alert reports it to the observer that the host or a test
 * installs (HIStandInSetObserver), which answers it with a button; the
 * alert is then disposed of. Beeps are reported to it too. An alert shows
 * the standard OK button: the button texts of its parameters are not used.
 */
#include "HIInternal.h"

#include <stdint.h>

struct OpaqueDialogPtr {
    OpaqueDialogPtr *allNext;
    AlertType type;
    CFStringRef message;
    CFStringRef explanation;
    DialogItemIndex defaultButton;
};

namespace {

HILiveList<OpaqueDialogPtr> gDialogs;
HIStandInObserver gObserver = {nullptr, nullptr, nullptr};
OpaqueDialogPtr *gShown = nullptr; /* the alert being run */

} // namespace

void SysBeep(short duration) {
    if (gObserver.beep != nullptr)
        gObserver.beep(gObserver.refcon, duration);
}

void HIStandInSetObserver(const HIStandInObserver *observer) {
    gObserver = observer != nullptr ? *observer : HIStandInObserver{nullptr, nullptr, nullptr};
}

CFIndex HIStandInGetLiveWindowCount(void) {
    return gHIWindows.count + gDialogs.count; /* alerts count until they have run */
}

bool HIAlertGetShown(CFStringRef *message, CFStringRef *explanation) {
    if (gShown == nullptr)
        return false;
    *message = gShown->message;
    *explanation = gShown->explanation;
    return true;
}

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamPtr param, UInt32 version) {
    if (param == nullptr || version != kStdCFStringAlertVersionOne)
        return paramErr;
    memset(param, 0, sizeof(*param));
    param->version = version;
    param->defaultText = (CFStringRef)(intptr_t)kAlertDefaultOKText;
    param->defaultButton = kAlertStdAlertOKButton;
    param->position = kWindowDefaultPosition;
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
    if (param != nullptr && param->version != kStdCFStringAlertVersionOne)
        return paramErr;
    DialogRef dialog = HIAllocate<OpaqueDialogPtr>();
    if (dialog == nullptr)
        return memFullErr;
    dialog->type = alertType;
    dialog->message = (CFStringRef)CFRetain(error);
    dialog->explanation = explanation != nullptr ? (CFStringRef)CFRetain(explanation) : nullptr;
    dialog->defaultButton =
        param != nullptr ? param->defaultButton : (SInt16)kAlertStdAlertOKButton;
    gDialogs.add(dialog);
    *outAlert = dialog;
    return noErr;
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP, DialogItemIndex *outItemHit) {
    if (!gDialogs.contains(inAlert))
        return paramErr;
    gDialogs.remove(inAlert);
    DialogItemIndex item = inAlert->defaultButton;
    gShown = inAlert;
    if (gObserver.alert != nullptr)
        item = gObserver.alert(gObserver.refcon, inAlert->type, inAlert->message,
                               inAlert->explanation);
    gShown = nullptr;
    if (outItemHit != nullptr)
        *outItemHit = item;
    CFRelease(inAlert->message);
    if (inAlert->explanation != nullptr)
        CFRelease(inAlert->explanation);
    CFStandInDeallocate(inAlert);
    return noErr;
}
