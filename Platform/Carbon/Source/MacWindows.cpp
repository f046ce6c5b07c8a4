/*
 * MacWindows.cpp
 *
 * Windows: creation with a root control, disposal of the window with all
 * its controls and handlers, bounds by region, visibility, title and the
 * active window (the one that receives the user's keystrokes).
 */
#include "HIInternal.h"

namespace {

const SInt16 kTitleBarHeight = 22;

WindowRef gActiveWindow = nullptr;

} // namespace

WindowRef HIActiveWindow(void) {
    return HIIsWindow(gActiveWindow) ? gActiveWindow : nullptr;
}

void HISetActiveWindow(WindowRef window) {
    gActiveWindow = window;
}

void HIWindowForget(WindowRef window) {
    if (gActiveWindow == window)
        gActiveWindow = nullptr;
}

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes,
                         const Rect *contentBounds, WindowRef *outWindow) {
    if (outWindow == nullptr)
        return paramErr;
    *outWindow = nullptr;
    if (contentBounds == nullptr || windowClass == 0)
        return paramErr;
    WindowRef window = HIAllocate<OpaqueWindowPtr>();
    if (window == nullptr)
        return memFullErr;
    window->windowClass = windowClass;
    window->attributes = attributes;
    window->contentBounds = *contentBounds;
    HITargetInit(&window->target, HITargetKind::Window, window);
    HIWindowListAdd(window);
    OSErr err = CreateRootControl(window, nullptr);
    if (err != noErr) {
        DisposeWindow(window);
        return err;
    }
    *outWindow = window;
    return noErr;
}

void DisposeWindow(WindowRef window) {
    if (!HIIsWindow(window))
        return;
    if (window->root != nullptr)
        HIControlDestroy(window->root);
    /* controls left without an embedder (the root was disposed of) still belong to it */
    for (ControlRef c; (c = HIFindTopLevelControl(window)) != nullptr;)
        HIControlDestroy(c);
    HITargetRemoveAllHandlers(&window->target);
    HIWindowForget(window);
    HIWindowListRemove(window);
    if (window->title != nullptr)
        CFRelease(window->title);
    CFStandInDeallocate(window);
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect *globalBounds) {
    if (globalBounds == nullptr)
        return paramErr;
    if (!HIIsWindow(window))
        return errInvalidWindowRef;
    Rect content = window->contentBounds;
    switch (regionCode) {
    case kWindowContentRgn:
    case kWindowGlobalPortRgn:
    case kWindowUpdateRgn:
    case kWindowOpaqueRgn:
        *globalBounds = content;
        return noErr;
    case kWindowStructureRgn:
        *globalBounds = content;
        globalBounds->top = (SInt16)(content.top - kTitleBarHeight);
        return noErr;
    case kWindowTitleBarRgn:
    case kWindowDragRgn:
        *globalBounds = content;
        globalBounds->top = (SInt16)(content.top - kTitleBarHeight);
        globalBounds->bottom = content.top;
        return noErr;
    default:
        return errWindowRegionCodeInvalid;
    }
}

OSStatus SetWindowBounds(WindowRef window, WindowRegionCode regionCode, const Rect *globalBounds) {
    if (globalBounds == nullptr)
        return paramErr;
    if (!HIIsWindow(window))
        return errInvalidWindowRef;
    Rect content = *globalBounds;
    if (regionCode == kWindowStructureRgn)
        content.top = (SInt16)(content.top + kTitleBarHeight);
    else if (regionCode != kWindowContentRgn)
        return errWindowRegionCodeInvalid;
    window->contentBounds = content;
    if (window->root != nullptr) {
        window->root->bounds.bottom = (SInt16)(content.bottom - content.top);
        window->root->bounds.right = (SInt16)(content.right - content.left);
    }
    return noErr;
}

OSStatus GetWindowClass(WindowRef window, WindowClass *outClass) {
    if (outClass == nullptr)
        return paramErr;
    if (!HIIsWindow(window))
        return errInvalidWindowRef;
    *outClass = window->windowClass;
    return noErr;
}

OSStatus GetWindowAttributes(WindowRef window, WindowAttributes *outAttributes) {
    if (outAttributes == nullptr)
        return paramErr;
    if (!HIIsWindow(window))
        return errInvalidWindowRef;
    *outAttributes = window->attributes;
    return noErr;
}

void ShowWindow(WindowRef window) {
    if (!HIIsWindow(window))
        return;
    window->visible = true;
    gActiveWindow = window;
}

void HideWindow(WindowRef window) {
    if (!HIIsWindow(window))
        return;
    window->visible = false;
    HIWindowForget(window);
}

Boolean IsWindowVisible(WindowRef window) {
    return HIIsWindow(window) && window->visible;
}

void SelectWindow(WindowRef window) {
    if (HIIsWindow(window))
        gActiveWindow = window;
}

WindowRef ActiveNonFloatingWindow(void) {
    return HIActiveWindow();
}

OSStatus SetWindowTitleWithCFString(WindowRef inWindow, CFStringRef inString) {
    if (!HIIsWindow(inWindow))
        return errInvalidWindowRef;
    if (!HIIsString(inString))
        return paramErr;
    CFStringRef copy = CFStringCreateCopy(kCFAllocatorDefault, inString);
    if (copy == nullptr)
        return memFullErr;
    if (inWindow->title != nullptr)
        CFRelease(inWindow->title);
    inWindow->title = copy;
    return noErr;
}

OSStatus CopyWindowTitleAsCFString(WindowRef inWindow, CFStringRef *outString) {
    if (outString == nullptr)
        return paramErr;
    *outString = nullptr;
    if (!HIIsWindow(inWindow))
        return errInvalidWindowRef;
    CFStringRef title = inWindow->title != nullptr
                            ? CFStringCreateCopy(kCFAllocatorDefault, inWindow->title)
                            : CFStringCreateWithCharacters(kCFAllocatorDefault, nullptr, 0);
    if (title == nullptr)
        return memFullErr;
    *outString = title;
    return noErr;
}

void SetWRefCon(WindowRef window, long data) {
    if (HIIsWindow(window))
        window->refCon = data;
}

long GetWRefCon(WindowRef window) {
    return HIIsWindow(window) ? window->refCon : 0;
}
