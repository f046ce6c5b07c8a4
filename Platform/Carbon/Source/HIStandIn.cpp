/*
 * HIStandIn.cpp
 *
 * The user's side of the toolbox for the host and tests: keystrokes to the
 * focused edit text, clicks, the paste command, text dropped into a field;
 * the state a user would see; and the counts of live toolbox records, for
 * leak checks.
 */
#include "HIInternal.h"

OSStatus HIStandInTypeCharacter(UniChar ch, EventModifiers modifiers) {
    ControlRef control = HIStandInGetFocusedControl();
    if (control == nullptr)
        return errUnknownControl;
    return HIEditTextKey(control, ch, modifiers);
}

OSStatus HIStandInTypeText(CFStringRef text) {
    if (!HIIsString(text))
        return paramErr;
    CFIndex length = CFStringGetLength(text);
    for (CFIndex i = 0; i < length; i++) {
        OSStatus status = HIStandInTypeCharacter(CFStringGetCharacterAtIndex(text, i), 0);
        if (status != noErr)
            return status;
    }
    return noErr;
}

OSStatus HIStandInClickControl(ControlRef control) {
    if (!gHIControls.contains(control))
        return errUnknownControl;
    if (!HIControlIsUsable(control))
        return errControlHiddenOrDisabled;
    switch (control->kind) {
    case HIControlKind::EditText:
        return SetKeyboardFocus(control->owner, control, kControlEditTextPart);
    case HIControlKind::CheckBox: {
        control->value = control->value != 0 ? 0 : 1;
        if (control->commandID == 0)
            return noErr;
        OSStatus status =
            HISendCommand(&control->target, control->commandID, kHICommandFromControl);
        return status == eventNotHandledErr ? noErr : status;
    }
    default:
        return noErr;
    }
}

OSStatus HIStandInPaste(void) {
    ControlRef control = HIStandInGetFocusedControl();
    if (control == nullptr)
        return errUnknownControl;
    return HISendCommand(&control->target, kHICommandPaste, kHICommandFromMenu);
}

OSStatus HIStandInDropText(CFStringRef text) {
    ControlRef control = HIStandInGetFocusedControl();
    if (control == nullptr)
        return errUnknownControl;
    if (!HIControlIsEditText(control))
        return errDataNotSupported;
    return HIEditTextInsert(control, text);
}

const char *const kHIControlKindNames[kHIControlKindCount] = {"root", "userpane", "edittext",
                                                              "checkbox", "statictext"};

const char *HIStandInGetControlKindName(ControlRef control) {
    return gHIControls.contains(control) ? kHIControlKindNames[static_cast<int>(control->kind)]
                                         : nullptr;
}

CFIndex HIStandInGetLiveControlCount(void) {
    return gHIControls.count;
}
CFIndex HIStandInGetLiveEventCount(void) {
    return gHIEvents.count;
}
CFIndex HIStandInGetLiveHandlerCount(void) {
    return gHIHandlers.count;
}
