/*
 * KeyboardFocus.cpp
 *
 * Keyboard focus, one control per window. Edit texts (and user panes that
 * declare kControlSupportsFocus) can take it, but only while they are
 * visible, enabled and active; a control that stops being so loses it. The
 * window's standard handler moves the focus on Tab (backwards with Shift).
 */
#include "HIInternal.h"

namespace {

bool WantsFocus(ControlRef control) {
    return HIControlIsEditText(control) || (control->kind == HIControlKind::UserPane &&
                                            (control->features & kControlSupportsFocus) != 0);
}

bool CanHoldFocus(ControlRef control) {
    return HIControlLatentlyVisible(control) && HIControlLatentlyEnabled(control) &&
           HIControlLatentlyActive(control);
}

/* The focusable controls of the window in tree order, stepping from the
 * current focus forwards or backwards and wrapping around. */
OSErr MoveFocus(WindowRef window, bool forward) {
    if (!HIIsWindow(window))
        return errInvalidWindowRef;
    ControlRef root = window->root;
    if (root == nullptr)
        return errNoRootControl;
    ControlRef candidates[2] = {nullptr, nullptr}; /* first after / last before the focus */
    ControlRef first = nullptr, last = nullptr;
    bool passedFocus = false;
    for (ControlRef c = root; c != nullptr; c = HIControlNextInTree(c, root)) {
        if (c == window->focus) {
            passedFocus = true;
            continue;
        }
        if (!HIControlCanTakeFocus(c))
            continue;
        if (first == nullptr)
            first = c;
        last = c;
        if (passedFocus && candidates[0] == nullptr)
            candidates[0] = c;
        if (!passedFocus)
            candidates[1] = c;
    }
    ControlRef next;
    if (window->focus == nullptr)
        next = forward ? first : last;
    else if (forward)
        next = candidates[0] != nullptr ? candidates[0] : first;
    else
        next = candidates[1] != nullptr ? candidates[1] : last;
    if (next == nullptr)
        return noErr; /* nothing can take the focus; keep it where it is */
    window->focus = next;
    if (HIControlIsEditText(next)) { /* tabbing into a field selects its text */
        next->selStart = 0;
        next->selEnd = (SInt16)next->text.length;
    }
    return noErr;
}

} // namespace

bool HIControlCanTakeFocus(ControlRef control) {
    return WantsFocus(control) && CanHoldFocus(control);
}

void HIFocusRevalidate(WindowRef window) {
    if (window == nullptr || !HIIsWindow(window) || window->focus == nullptr)
        return;
    ControlRef focus = window->focus;
    if (!HIIsControl(focus) || focus->owner != window || !CanHoldFocus(focus))
        window->focus = nullptr;
}

OSStatus HIWindowStandardHandler(WindowRef window, EventRef event) {
    if (GetEventClass(event) != kEventClassKeyboard ||
        (GetEventKind(event) != kEventRawKeyDown && GetEventKind(event) != kEventRawKeyRepeat))
        return eventNotHandledErr;
    UniChar ch = 0;
    UInt32 modifiers = 0;
    if (GetEventParameter(event, kEventParamKeyUnicodes, typeUnicodeText, nullptr, sizeof(ch),
                          nullptr, &ch) != noErr ||
        ch != kTabCharCode)
        return eventNotHandledErr;
    GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof(modifiers),
                      nullptr, &modifiers);
    return MoveFocus(window, (modifiers & shiftKey) == 0);
}

OSErr SetKeyboardFocus(WindowRef inWindow, ControlRef inControl, ControlFocusPart inPart) {
    if (!HIIsWindow(inWindow))
        return errInvalidWindowRef;
    if (inControl == nullptr || inPart == kControlFocusNoPart)
        return ClearKeyboardFocus(inWindow);
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (inControl->failure[kHIFailSetKeyboardFocus] != noErr)
        return (OSErr)inControl->failure[kHIFailSetKeyboardFocus];
    if (inControl->owner != inWindow)
        return paramErr;
    if (!WantsFocus(inControl))
        return errControlDoesntSupportFocus;
    if (!CanHoldFocus(inControl))
        return errControlHiddenOrDisabled;
    inWindow->focus = inControl;
    HISetActiveWindow(inWindow);
    return noErr;
}

OSErr GetKeyboardFocus(WindowRef inWindow, ControlRef *outControl) {
    if (outControl == nullptr)
        return paramErr;
    *outControl = nullptr;
    if (!HIIsWindow(inWindow))
        return errInvalidWindowRef;
    HIFocusRevalidate(inWindow);
    *outControl = inWindow->focus;
    return noErr;
}

OSErr AdvanceKeyboardFocus(WindowRef inWindow) {
    return MoveFocus(inWindow, true);
}
OSErr ReverseKeyboardFocus(WindowRef inWindow) {
    return MoveFocus(inWindow, false);
}

OSErr ClearKeyboardFocus(WindowRef inWindow) {
    if (!HIIsWindow(inWindow))
        return errInvalidWindowRef;
    inWindow->focus = nullptr;
    return noErr;
}
