/*
 * MacWindows.cpp
 *
 * Windows: creation with a root control, disposal of the window with all
 * its controls and handlers, and the content bounds. Keyboard focus: one
 * control per window; edit texts can take it, but only while they are
 * visible and enabled, and a control that stops being so loses it. The
 * focus moves on Tab. The active window, whose focused control receives
 * the user's keystrokes, is the one that last received the focus.
 */
#include "HIInternal.h"

namespace {

WindowRef gActiveWindow = nullptr;

bool CanTakeFocus(ControlRef control) {
    return control->kind == HIControlKind::EditText && HIControlIsUsable(control);
}

} // namespace

/* Tab: the next control after the focus, in tree order, that can take the
 * focus, wrapping around (the host never sends Shift-Tab). */
OSStatus HIWindowTabFocus(WindowRef window) {
    ControlRef root = window->root, first = nullptr, next = nullptr;
    bool passedFocus = false;
    for (ControlRef c = root; c != nullptr && next == nullptr; c = HIControlNextInTree(c, root)) {
        if (c == window->focus)
            passedFocus = true;
        else if (CanTakeFocus(c) && passedFocus)
            next = c;
        else if (CanTakeFocus(c) && first == nullptr)
            first = c;
    }
    next = next != nullptr ? next : first;
    if (next == nullptr)
        return noErr; /* nothing can take the focus; keep it where it is */
    window->focus = next;
    return HIStandardHandler(next, kHICommandSelectAll); /* tabbing in selects the text */
}

ControlRef HIStandInGetFocusedControl(void) {
    if (!gHIWindows.contains(gActiveWindow))
        return nullptr;
    HIFocusRevalidate(gActiveWindow);
    return gActiveWindow->focus;
}

void HIFocusRevalidate(WindowRef window) {
    if (!gHIWindows.contains(window) || window->focus == nullptr)
        return;
    ControlRef focus = window->focus;
    if (!gHIControls.contains(focus) || focus->owner != window || !HIControlIsUsable(focus))
        window->focus = nullptr;
}

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes, const Rect *contentBounds,
                         WindowRef *outWindow) {
    if (outWindow == nullptr)
        return paramErr;
    *outWindow = nullptr;
    if (contentBounds == nullptr || windowClass == 0)
        return paramErr;
    WindowRef window = HIAllocate<OpaqueWindowPtr>();
    if (window == nullptr)
        return memFullErr;
    window->contentBounds = *contentBounds;
    gHIWindows.add(window);
    Rect bounds = {0, 0, (SInt16)(contentBounds->bottom - contentBounds->top),
                   (SInt16)(contentBounds->right - contentBounds->left)};
    window->root = HIControlCreate(HIControlKind::Root, window, &bounds);
    if (window->root == nullptr) {
        DisposeWindow(window);
        return memFullErr;
    }
    *outWindow = window;
    return noErr;
}

void DisposeWindow(WindowRef window) {
    if (!gHIWindows.contains(window))
        return;
    if (window->root != nullptr) /* every other control of the window is under it */
        HIControlDestroy(window->root);
    if (gActiveWindow == window)
        gActiveWindow = nullptr;
    gHIWindows.remove(window);
    CFStandInDeallocate(window);
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect *globalBounds) {
    if (globalBounds == nullptr)
        return paramErr;
    if (!gHIWindows.contains(window))
        return errInvalidWindowRef;
    if (regionCode != kWindowContentRgn)
        return errWindowRegionCodeInvalid;
    *globalBounds = window->contentBounds;
    return noErr;
}

OSErr SetKeyboardFocus(WindowRef inWindow, ControlRef inControl, ControlFocusPart inPart) {
    if (!gHIWindows.contains(inWindow))
        return errInvalidWindowRef;
    if (inControl == nullptr || inPart == kControlFocusNoPart) {
        inWindow->focus = nullptr;
        return noErr;
    }
    if (!gHIControls.contains(inControl))
        return errUnknownControl;
    if (inControl->owner != inWindow)
        return paramErr;
    if (inControl->kind != HIControlKind::EditText)
        return errControlDoesntSupportFocus;
    if (!HIControlIsUsable(inControl))
        return errControlHiddenOrDisabled;
    inWindow->focus = inControl;
    gActiveWindow = inWindow;
    return noErr;
}

OSErr GetKeyboardFocus(WindowRef inWindow, ControlRef *outControl) {
    if (outControl == nullptr)
        return paramErr;
    *outControl = nullptr;
    if (!gHIWindows.contains(inWindow))
        return errInvalidWindowRef;
    HIFocusRevalidate(inWindow);
    *outControl = inWindow->focus;
    return noErr;
}
