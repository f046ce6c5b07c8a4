/*
 * Controls.cpp
 *
 * The Control Manager: creation of the standard controls, embedding
 * hierarchies (ordered subcontrols, re-embedding across windows), control
 * IDs and reference values, window-relative bounds, values, visibility,
 * enabling and titles; the user's clicks.
 */
#include "HIInternal.h"

namespace {

/* The link in the container's child list that points at control (or at
 * nothing: the end) */
ControlRef *LinkTo(ControlRef container, ControlRef control) {
    ControlRef *link = &container->firstChild;
    while (*link != control)
        link = &(*link)->nextSibling;
    return link;
}

void Detach(ControlRef control) {
    if (control->parent != nullptr)
        *LinkTo(control->parent, control) = control->nextSibling;
    control->parent = control->nextSibling = nullptr;
}

void Append(ControlRef control, ControlRef container) {
    *LinkTo(container, nullptr) = control;
    control->parent = container;
}

bool IsEmbedder(ControlRef control) {
    return control->kind == HIControlKind::Root ||
           (control->kind == HIControlKind::UserPane &&
            (control->features & kControlSupportsEmbedding) != 0);
}

/* True when the control and all its embedders have the flag set */
bool Latent(ControlRef control, Boolean OpaqueControlRef::*flag) {
    for (ControlRef c = control; c != nullptr; c = c->parent)
        if (!(c->*flag))
            return false;
    return true;
}

/* Sets the control's visible or enabled flag; the focus may have to go */
OSErr SetLatent(ControlRef control, Boolean OpaqueControlRef::*flag, bool on) {
    if (!gHIControls.contains(control))
        return errUnknownControl;
    control->*flag = on;
    HIFocusRevalidate(control->owner);
    return noErr;
}

} // namespace

ControlRef HIControlCreate(HIControlKind kind, WindowRef window, const Rect *bounds) {
    ControlRef control = HIAllocate<OpaqueControlRef>();
    if (control == nullptr)
        return nullptr;
    control->kind = kind;
    control->owner = window;
    control->bounds = *bounds;
    control->visible = control->enabled = true;
    control->target = {control, nullptr};
    gHIControls.add(control);
    if (window->root != nullptr)
        Append(control, window->root);
    return control;
}

void HIControlDestroy(ControlRef control) {
    while (control->firstChild != nullptr)
        HIControlDestroy(control->firstChild);
    Detach(control);
    WindowRef owner = control->owner;
    if (owner->focus == control)
        owner->focus = nullptr;
    if (owner->root == control)
        owner->root = nullptr;
    HITargetRemoveAllHandlers(&control->target);
    gHIControls.remove(control);
    HITextFree(&control->text);
    CFStandInDeallocate(control);
}

bool HIControlIsUsable(ControlRef control) {
    return Latent(control, &OpaqueControlRef::visible) &&
           Latent(control, &OpaqueControlRef::enabled);
}

ControlRef HIControlNextInTree(ControlRef control, ControlRef top, bool skipChildren) {
    if (control->firstChild != nullptr && !skipChildren)
        return control->firstChild;
    for (ControlRef c = control; c != nullptr && c != top; c = c->parent)
        if (c->nextSibling != nullptr)
            return c->nextSibling;
    return nullptr;
}

ControlKeyFilterUPP NewControlKeyFilterUPP(ControlKeyFilterProcPtr userRoutine) {
    return userRoutine;
}
void DisposeControlKeyFilterUPP(ControlKeyFilterUPP) {}

OSStatus CreateUserPaneControl(WindowRef window, const Rect *boundsRect, UInt32 features,
                               ControlRef *outControl) {
    if (outControl == nullptr)
        return paramErr;
    *outControl = nullptr;
    if (boundsRect == nullptr)
        return paramErr;
    if (!gHIWindows.contains(window))
        return errInvalidWindowRef;
    *outControl = HIControlCreate(HIControlKind::UserPane, window, boundsRect);
    if (*outControl == nullptr)
        return memFullErr;
    (*outControl)->features = features;
    return noErr;
}

OSErr GetRootControl(WindowRef inWindow, ControlRef *outControl) {
    if (outControl == nullptr)
        return paramErr;
    *outControl = nullptr;
    if (!gHIWindows.contains(inWindow))
        return errInvalidWindowRef;
    *outControl = inWindow->root;
    return noErr;
}

OSErr EmbedControl(ControlRef inControl, ControlRef inContainer) {
    if (!gHIControls.contains(inControl) || !gHIControls.contains(inContainer))
        return errUnknownControl;
    if (inControl->kind == HIControlKind::Root)
        return errCantEmbedRoot;
    for (ControlRef c = inControl; c != nullptr; c = HIControlNextInTree(c, inControl))
        if (c == inContainer)
            return errCantEmbedIntoSelf;
    if (!IsEmbedder(inContainer))
        return errControlIsNotEmbedder;
    WindowRef oldOwner = inControl->owner;
    Detach(inControl);
    Append(inControl, inContainer);
    for (ControlRef c = inControl; c != nullptr; c = HIControlNextInTree(c, inControl))
        c->owner = inContainer->owner;
    HIFocusRevalidate(oldOwner); /* a focus moved to another window leaves this one */
    HIFocusRevalidate(inContainer->owner);
    return noErr;
}

OSErr CountSubControls(ControlRef inControl, UInt16 *outNumChildren) {
    if (outNumChildren == nullptr)
        return paramErr;
    *outNumChildren = 0;
    if (!gHIControls.contains(inControl))
        return errUnknownControl;
    if (!IsEmbedder(inControl))
        return errControlIsNotEmbedder;
    for (ControlRef c = inControl->firstChild; c != nullptr; c = c->nextSibling)
        (*outNumChildren)++;
    return noErr;
}

OSErr GetIndexedSubControl(ControlRef inControl, UInt16 inIndex, ControlRef *outSubControl) {
    if (outSubControl == nullptr)
        return paramErr;
    UInt16 count = 0;
    OSErr err = CountSubControls(inControl, &count);
    if (err != noErr)
        return err;
    *outSubControl = nullptr;
    if (inIndex < 1 || inIndex > count)
        return paramErr;
    ControlRef child = inControl->firstChild;
    for (UInt16 i = 1; i < inIndex; i++)
        child = child->nextSibling;
    *outSubControl = child;
    return noErr;
}

WindowRef GetControlOwner(ControlRef control) {
    return gHIControls.contains(control) ? control->owner : nullptr;
}

OSStatus GetControlID(ControlRef inControl, ControlID *outID) {
    if (!gHIControls.contains(inControl))
        return errUnknownControl;
    if (outID == nullptr)
        return paramErr;
    *outID = inControl->id;
    return noErr;
}

OSStatus GetControlByID(WindowRef inWindow, const ControlID *inID, ControlRef *outControl) {
    if (outControl == nullptr || inID == nullptr)
        return paramErr;
    *outControl = nullptr;
    if (!gHIWindows.contains(inWindow))
        return errInvalidWindowRef;
    ControlRef root = inWindow->root;
    for (ControlRef c = root; c != nullptr; c = HIControlNextInTree(c, root)) {
        if (c->id.signature == inID->signature && c->id.id == inID->id) {
            *outControl = c;
            return noErr;
        }
    }
    return errUnknownControl;
}

void SetControlReference(ControlRef theControl, SRefCon data) {
    if (gHIControls.contains(theControl))
        theControl->refCon = data;
}

SRefCon GetControlReference(ControlRef theControl) {
    return gHIControls.contains(theControl) ? theControl->refCon : nullptr;
}

Rect *GetControlBounds(ControlRef control, Rect *bounds) {
    if (bounds != nullptr)
        *bounds = gHIControls.contains(control) ? control->bounds : Rect{0, 0, 0, 0};
    return bounds;
}

void SetControlBounds(ControlRef control, const Rect *bounds) {
    if (gHIControls.contains(control) && bounds != nullptr)
        control->bounds = *bounds;
}

OSErr SetControlVisibility(ControlRef inControl, Boolean inIsVisible, Boolean) {
    return SetLatent(inControl, &OpaqueControlRef::visible, inIsVisible != 0);
}

void ShowControl(ControlRef theControl) {
    SetControlVisibility(theControl, true, true);
}
void HideControl(ControlRef theControl) {
    SetControlVisibility(theControl, false, true);
}

Boolean IsControlVisible(ControlRef inControl) {
    return gHIControls.contains(inControl) && Latent(inControl, &OpaqueControlRef::visible);
}

OSStatus EnableControl(ControlRef inControl) {
    return SetLatent(inControl, &OpaqueControlRef::enabled, true);
}

OSStatus DisableControl(ControlRef inControl) {
    return SetLatent(inControl, &OpaqueControlRef::enabled, false);
}

Boolean IsControlEnabled(ControlRef inControl) {
    return gHIControls.contains(inControl) && Latent(inControl, &OpaqueControlRef::enabled);
}

SInt32 GetControl32BitValue(ControlRef theControl) {
    return gHIControls.contains(theControl) ? theControl->value : 0;
}

SInt16 GetControlValue(ControlRef theControl) {
    return (SInt16)GetControl32BitValue(theControl); /* the range is within SInt16 */
}

void SetControlValue(ControlRef theControl, SInt16 newValue) {
    if (gHIControls.contains(theControl)) /* clamped to the range */
        theControl->value = theControl->kind == HIControlKind::CheckBox && newValue > 0 ? 1 : 0;
}

OSStatus CopyControlTitleAsCFString(ControlRef inControl, CFStringRef *outString) {
    if (outString == nullptr)
        return paramErr;
    *outString = nullptr;
    if (!gHIControls.contains(inControl))
        return errUnknownControl;
    const HIText none = {nullptr, 0, 0}; /* the other controls here have no title */
    *outString =
        HITextCopyString(inControl->kind == HIControlKind::CheckBox ? &inControl->text : &none);
    return *outString != nullptr ? noErr : (OSStatus)memFullErr;
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

const char *const kHIControlKindNames[kHIControlKindCount] = {"root", "userpane", "edittext",
                                                              "checkbox", "statictext"};

const char *HIStandInGetControlKindName(ControlRef control) {
    return gHIControls.contains(control) ? kHIControlKindNames[static_cast<int>(control->kind)]
                                         : nullptr;
}

CFIndex HIStandInGetLiveControlCount(void) {
    return gHIControls.count;
}
