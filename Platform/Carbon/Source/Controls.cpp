/*
 * Controls.cpp
 *
 * The Control Manager: creation of the standard controls, embedding
 * hierarchies (ordered subcontrols, re-embedding across windows), control
 * IDs and reference values, window-relative bounds, value ranges,
 * visibility, enabling and activation, titles and command IDs.
 */
#include "HIInternal.h"

namespace {

void Detach(ControlRef control) {
    ControlRef parent = control->parent;
    if (parent == nullptr)
        return;
    if (control->prevSibling != nullptr)
        control->prevSibling->nextSibling = control->nextSibling;
    else
        parent->firstChild = control->nextSibling;
    if (control->nextSibling != nullptr)
        control->nextSibling->prevSibling = control->prevSibling;
    else
        parent->lastChild = control->prevSibling;
    control->parent = control->prevSibling = control->nextSibling = nullptr;
    parent->childCount--;
}

void Append(ControlRef control, ControlRef container) {
    control->parent = container;
    control->prevSibling = container->lastChild;
    control->nextSibling = nullptr;
    if (container->lastChild != nullptr)
        container->lastChild->nextSibling = control;
    else
        container->firstChild = control;
    container->lastChild = control;
    container->childCount++;
}

void SetOwnerOfSubtree(ControlRef control, WindowRef owner) {
    for (ControlRef c = control; c != nullptr; c = HIControlNextInTree(c, control))
        c->owner = owner;
}

SInt32 Clamp(SInt32 value, SInt32 minimum, SInt32 maximum) {
    if (value < minimum)
        return minimum;
    if (value > maximum)
        return maximum;
    return value;
}

SInt16 To16(SInt32 value) {
    if (value > 32767)
        return 32767;
    if (value < -32768)
        return -32768;
    return (SInt16)value;
}

OSStatus CheckCreate(WindowRef window, const Rect *bounds, ControlRef *outControl) {
    if (outControl == nullptr)
        return paramErr;
    *outControl = nullptr;
    if (bounds == nullptr)
        return paramErr;
    if (window != nullptr && !HIIsWindow(window))
        return errInvalidWindowRef;
    return noErr;
}

OSStatus SetTitle(ControlRef control, CFStringRef title) {
    if (title == nullptr)
        return noErr;
    return SetControlTitleWithCFString(control, title);
}

} // namespace

/* ---- Internal ------------------------------------------------------------- */

ControlRef HIControlCreate(HIControlKind kind, WindowRef window, const Rect *bounds,
                           OSStatus *status) {
    ControlRef control = HIAllocate<OpaqueControlRef>();
    if (control == nullptr) {
        *status = memFullErr;
        return nullptr;
    }
    control->kind = kind;
    control->owner = window;
    control->bounds = *bounds;
    control->visible = control->enabled = control->active = true;
    control->autoToggle = true;
    HITargetInit(&control->target, HITargetKind::Control, control);
    HIControlListAdd(control);
    if (window != nullptr && window->root != nullptr && kind != HIControlKind::Root)
        Append(control, window->root);
    *status = noErr;
    return control;
}

void HIControlDestroy(ControlRef control) {
    while (control->firstChild != nullptr)
        HIControlDestroy(control->firstChild);
    Detach(control);
    WindowRef owner = control->owner;
    if (owner != nullptr) {
        if (owner->focus == control)
            owner->focus = nullptr;
        if (owner->root == control)
            owner->root = nullptr;
    }
    HITargetRemoveAllHandlers(&control->target);
    HIControlListRemove(control);
    if (control->title != nullptr)
        CFRelease(control->title);
    HITextFree(&control->text);
    CFStandInDeallocate(control);
}

bool HIControlIsEmbedder(ControlRef control) {
    return control->kind == HIControlKind::Root ||
           (control->kind == HIControlKind::UserPane &&
            (control->features & kControlSupportsEmbedding) != 0);
}

bool HIControlLatentlyVisible(ControlRef control) {
    for (ControlRef c = control; c != nullptr; c = c->parent)
        if (!c->visible)
            return false;
    return true;
}

bool HIControlLatentlyEnabled(ControlRef control) {
    for (ControlRef c = control; c != nullptr; c = c->parent)
        if (!c->enabled)
            return false;
    return true;
}

bool HIControlLatentlyActive(ControlRef control) {
    for (ControlRef c = control; c != nullptr; c = c->parent)
        if (!c->active)
            return false;
    return true;
}

bool HIControlIsInSubtree(ControlRef control, ControlRef subtreeRoot) {
    for (ControlRef c = control; c != nullptr; c = c->parent)
        if (c == subtreeRoot)
            return true;
    return false;
}

ControlRef HIControlNextInTree(ControlRef control, ControlRef top) {
    if (control->firstChild != nullptr)
        return control->firstChild;
    for (ControlRef c = control; c != nullptr && c != top; c = c->parent)
        if (c->nextSibling != nullptr)
            return c->nextSibling;
    return nullptr;
}

OSStatus HIControlStandardHandler(ControlRef control, EventRef event) {
    if (HIControlIsEditText(control))
        return HIEditTextStandardHandler(control, event);
    return eventNotHandledErr;
}

/* ---- Key filter routines ----------------------------------------------------- */

ControlKeyFilterUPP NewControlKeyFilterUPP(ControlKeyFilterProcPtr userRoutine) {
    return userRoutine;
}
void DisposeControlKeyFilterUPP(ControlKeyFilterUPP) {}
ControlKeyFilterResult InvokeControlKeyFilterUPP(ControlRef theControl, SInt16 *keyCode,
                                                 SInt16 *charCode, EventModifiers *modifiers,
                                                 ControlKeyFilterUPP userUPP) {
    if (userUPP == nullptr)
        return kControlKeyFilterPassKey;
    return userUPP(theControl, keyCode, charCode, modifiers);
}

/* ---- Creation ------------------------------------------------------------- */

OSStatus CreateUserPaneControl(WindowRef window, const Rect *boundsRect, UInt32 features,
                               ControlRef *outControl) {
    OSStatus status = CheckCreate(window, boundsRect, outControl);
    if (status != noErr)
        return status;
    ControlRef control = HIControlCreate(HIControlKind::UserPane, window, boundsRect, &status);
    if (control == nullptr)
        return status;
    control->features = features;
    *outControl = control;
    return noErr;
}

OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect *boundsRect, CFStringRef text,
                                      Boolean isPassword, const ControlFontStyleRec *,
                                      ControlRef *outControl) {
    OSStatus status = CheckCreate(window, boundsRect, outControl);
    if (status != noErr)
        return status;
    if (text != nullptr && !HIIsString(text))
        return paramErr;
    HIControlKind kind = isPassword ? HIControlKind::Password : HIControlKind::EditText;
    ControlRef control = HIControlCreate(kind, window, boundsRect, &status);
    if (control == nullptr)
        return status;
    if (text != nullptr && !HITextSetString(&control->text, text)) {
        HIControlDestroy(control);
        return memFullErr;
    }
    control->selStart = control->selEnd = (SInt16)control->text.length;
    *outControl = control;
    return noErr;
}

OSStatus CreateCheckBoxControl(WindowRef window, const Rect *boundsRect, CFStringRef title,
                               SInt32 initialValue, Boolean autoToggle, ControlRef *outControl) {
    OSStatus status = CheckCreate(window, boundsRect, outControl);
    if (status != noErr)
        return status;
    ControlRef control = HIControlCreate(HIControlKind::CheckBox, window, boundsRect, &status);
    if (control == nullptr)
        return status;
    control->maximum = kControlCheckBoxMixedValue;
    control->value = Clamp(initialValue, 0, kControlCheckBoxMixedValue);
    control->autoToggle = autoToggle;
    status = SetTitle(control, title);
    if (status != noErr) {
        HIControlDestroy(control);
        return status;
    }
    *outControl = control;
    return noErr;
}

OSStatus CreateStaticTextControl(WindowRef window, const Rect *boundsRect, CFStringRef text,
                                 const ControlFontStyleRec *, ControlRef *outControl) {
    OSStatus status = CheckCreate(window, boundsRect, outControl);
    if (status != noErr)
        return status;
    if (text != nullptr && !HIIsString(text))
        return paramErr;
    ControlRef control = HIControlCreate(HIControlKind::StaticText, window, boundsRect, &status);
    if (control == nullptr)
        return status;
    if (text != nullptr && !HITextSetString(&control->text, text)) {
        HIControlDestroy(control);
        return memFullErr;
    }
    *outControl = control;
    return noErr;
}

OSStatus CreatePushButtonControl(WindowRef window, const Rect *boundsRect, CFStringRef title,
                                 ControlRef *outControl) {
    OSStatus status = CheckCreate(window, boundsRect, outControl);
    if (status != noErr)
        return status;
    ControlRef control = HIControlCreate(HIControlKind::PushButton, window, boundsRect, &status);
    if (control == nullptr)
        return status;
    status = SetTitle(control, title);
    if (status != noErr) {
        HIControlDestroy(control);
        return status;
    }
    *outControl = control;
    return noErr;
}

/* ---- Disposal and hierarchy ------------------------------------------------ */

void DisposeControl(ControlRef theControl) {
    if (!HIIsControl(theControl))
        return;
    HIControlDestroy(theControl);
}

void KillControls(WindowRef theWindow) {
    if (!HIIsWindow(theWindow) || theWindow->root == nullptr)
        return;
    while (theWindow->root->firstChild != nullptr)
        HIControlDestroy(theWindow->root->firstChild);
}

OSErr CreateRootControl(WindowRef inWindow, ControlRef *outControl) {
    if (outControl != nullptr)
        *outControl = nullptr;
    if (!HIIsWindow(inWindow))
        return errInvalidWindowRef;
    if (inWindow->root != nullptr)
        return errRootAlreadyExists;
    Rect bounds = {0, 0, (SInt16)(inWindow->contentBounds.bottom - inWindow->contentBounds.top),
                   (SInt16)(inWindow->contentBounds.right - inWindow->contentBounds.left)};
    OSStatus status = noErr;
    ControlRef root = HIControlCreate(HIControlKind::Root, inWindow, &bounds, &status);
    if (root == nullptr)
        return (OSErr)status;
    inWindow->root = root;
    if (outControl != nullptr)
        *outControl = root;
    return noErr;
}

OSErr GetRootControl(WindowRef inWindow, ControlRef *outControl) {
    if (outControl == nullptr)
        return paramErr;
    *outControl = nullptr;
    if (!HIIsWindow(inWindow))
        return errInvalidWindowRef;
    if (inWindow->root == nullptr)
        return errNoRootControl;
    *outControl = inWindow->root;
    return noErr;
}

OSErr EmbedControl(ControlRef inControl, ControlRef inContainer) {
    if (!HIIsControl(inControl) || !HIIsControl(inContainer))
        return errUnknownControl;
    if (inControl->failure[kHIFailEmbedControl] != noErr)
        return (OSErr)inControl->failure[kHIFailEmbedControl];
    if (inControl->kind == HIControlKind::Root)
        return errCantEmbedRoot;
    if (HIControlIsInSubtree(inContainer, inControl))
        return errCantEmbedIntoSelf;
    if (!HIControlIsEmbedder(inContainer))
        return errControlIsNotEmbedder;
    WindowRef oldOwner = inControl->owner;
    Detach(inControl);
    Append(inControl, inContainer);
    if (oldOwner != inContainer->owner) {
        SetOwnerOfSubtree(inControl, inContainer->owner);
        if (oldOwner != nullptr && oldOwner->focus != nullptr &&
            HIControlIsInSubtree(oldOwner->focus, inControl))
            oldOwner->focus = nullptr;
    }
    HIFocusRevalidate(inContainer->owner);
    return noErr;
}

OSErr AutoEmbedControl(ControlRef inControl, WindowRef inWindow) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (!HIIsWindow(inWindow))
        return errInvalidWindowRef;
    if (inWindow->root == nullptr)
        return errNoRootControl;
    return EmbedControl(inControl, inWindow->root);
}

OSErr GetSuperControl(ControlRef inControl, ControlRef *outParent) {
    if (outParent == nullptr)
        return paramErr;
    *outParent = nullptr;
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (inControl->parent == nullptr)
        return errControlIsNotEmbedder;
    *outParent = inControl->parent;
    return noErr;
}

OSErr CountSubControls(ControlRef inControl, UInt16 *outNumChildren) {
    if (outNumChildren == nullptr)
        return paramErr;
    *outNumChildren = 0;
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (!HIControlIsEmbedder(inControl))
        return errControlIsNotEmbedder;
    *outNumChildren = inControl->childCount;
    return noErr;
}

OSErr GetIndexedSubControl(ControlRef inControl, UInt16 inIndex, ControlRef *outSubControl) {
    if (outSubControl == nullptr)
        return paramErr;
    *outSubControl = nullptr;
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (!HIControlIsEmbedder(inControl))
        return errControlIsNotEmbedder;
    if (inIndex < 1 || inIndex > inControl->childCount)
        return paramErr;
    ControlRef child = inControl->firstChild;
    for (UInt16 i = 1; i < inIndex; i++)
        child = child->nextSibling;
    *outSubControl = child;
    return noErr;
}

WindowRef GetControlOwner(ControlRef control) {
    return HIIsControl(control) ? control->owner : nullptr;
}

/* ---- IDs, kinds, reference values, commands ------------------------------------ */

OSStatus SetControlID(ControlRef inControl, const ControlID *inID) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (inID == nullptr)
        return paramErr;
    inControl->id = *inID;
    return noErr;
}

OSStatus GetControlID(ControlRef inControl, ControlID *outID) {
    if (!HIIsControl(inControl))
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
    if (!HIIsWindow(inWindow))
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

OSStatus GetControlKind(ControlRef inControl, ControlKind *outControlKind) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (outControlKind == nullptr)
        return paramErr;
    outControlKind->signature = kControlKindSignatureApple;
    switch (inControl->kind) {
    case HIControlKind::Root:
    case HIControlKind::UserPane:
        outControlKind->kind = kControlKindUserPane;
        break;
    case HIControlKind::EditText:
    case HIControlKind::Password:
        outControlKind->kind = kControlKindEditUnicodeText;
        break;
    case HIControlKind::CheckBox:
        outControlKind->kind = kControlKindCheckBox;
        break;
    case HIControlKind::StaticText:
        outControlKind->kind = kControlKindStaticText;
        break;
    case HIControlKind::PushButton:
        outControlKind->kind = kControlKindPushButton;
        break;
    }
    return noErr;
}

void SetControlReference(ControlRef theControl, SRefCon data) {
    if (HIIsControl(theControl))
        theControl->refCon = data;
}

SRefCon GetControlReference(ControlRef theControl) {
    return HIIsControl(theControl) ? theControl->refCon : nullptr;
}

OSStatus SetControlCommandID(ControlRef inControl, UInt32 inCommandID) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    inControl->commandID = inCommandID;
    return noErr;
}

OSStatus GetControlCommandID(ControlRef inControl, UInt32 *outCommandID) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (outCommandID == nullptr)
        return paramErr;
    *outCommandID = inControl->commandID;
    return noErr;
}

/* ---- Bounds ---------------------------------------------------------------- */

Rect *GetControlBounds(ControlRef control, Rect *bounds) {
    if (bounds == nullptr)
        return nullptr;
    if (!HIIsControl(control)) {
        memset(bounds, 0, sizeof(*bounds));
        return bounds;
    }
    *bounds = control->bounds;
    return bounds;
}

void SetControlBounds(ControlRef control, const Rect *bounds) {
    if (HIIsControl(control) && bounds != nullptr)
        control->bounds = *bounds;
}

void MoveControl(ControlRef theControl, SInt16 h, SInt16 v) {
    if (!HIIsControl(theControl))
        return;
    SInt16 dh = (SInt16)(h - theControl->bounds.left);
    SInt16 dv = (SInt16)(v - theControl->bounds.top);
    for (ControlRef c = theControl; c != nullptr; c = HIControlNextInTree(c, theControl)) {
        c->bounds.left = (SInt16)(c->bounds.left + dh);
        c->bounds.right = (SInt16)(c->bounds.right + dh);
        c->bounds.top = (SInt16)(c->bounds.top + dv);
        c->bounds.bottom = (SInt16)(c->bounds.bottom + dv);
    }
}

void SizeControl(ControlRef theControl, SInt16 w, SInt16 h) {
    if (!HIIsControl(theControl))
        return;
    theControl->bounds.right = (SInt16)(theControl->bounds.left + w);
    theControl->bounds.bottom = (SInt16)(theControl->bounds.top + h);
}

/* ---- Visibility, enabling, activation --------------------------------------- */

OSErr SetControlVisibility(ControlRef inControl, Boolean inIsVisible, Boolean) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (inControl->failure[kHIFailSetControlVisibility] != noErr)
        return (OSErr)inControl->failure[kHIFailSetControlVisibility];
    inControl->visible = inIsVisible != 0;
    HIFocusRevalidate(inControl->owner);
    return noErr;
}

void ShowControl(ControlRef theControl) {
    SetControlVisibility(theControl, true, true);
}
void HideControl(ControlRef theControl) {
    SetControlVisibility(theControl, false, true);
}

Boolean IsControlVisible(ControlRef inControl) {
    return HIIsControl(inControl) && HIControlLatentlyVisible(inControl);
}

OSStatus EnableControl(ControlRef inControl) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    inControl->enabled = true;
    return noErr;
}

OSStatus DisableControl(ControlRef inControl) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    inControl->enabled = false;
    HIFocusRevalidate(inControl->owner);
    return noErr;
}

Boolean IsControlEnabled(ControlRef inControl) {
    return HIIsControl(inControl) && HIControlLatentlyEnabled(inControl);
}

OSErr ActivateControl(ControlRef inControl) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    inControl->active = true;
    return noErr;
}

OSErr DeactivateControl(ControlRef inControl) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    inControl->active = false;
    HIFocusRevalidate(inControl->owner);
    return noErr;
}

Boolean IsControlActive(ControlRef inControl) {
    return HIIsControl(inControl) && HIControlLatentlyActive(inControl);
}

Boolean IsValidControlHandle(ControlRef theControl) {
    return HIIsControl(theControl);
}

void Draw1Control(ControlRef) {}
void DrawControls(WindowRef) {}
OSErr DrawControlInCurrentPort(ControlRef inControl) {
    return HIIsControl(inControl) ? (OSErr)noErr : (OSErr)errUnknownControl;
}

/* ---- Value ------------------------------------------------------------------ */

SInt32 GetControl32BitValue(ControlRef theControl) {
    return HIIsControl(theControl) ? theControl->value : 0;
}

void SetControl32BitValue(ControlRef theControl, SInt32 newValue) {
    if (HIIsControl(theControl))
        theControl->value = Clamp(newValue, theControl->minimum, theControl->maximum);
}

SInt32 GetControl32BitMinimum(ControlRef theControl) {
    return HIIsControl(theControl) ? theControl->minimum : 0;
}

void SetControl32BitMinimum(ControlRef theControl, SInt32 newMinimum) {
    if (!HIIsControl(theControl))
        return;
    theControl->minimum = newMinimum;
    if (theControl->maximum < newMinimum)
        theControl->maximum = newMinimum;
    theControl->value = Clamp(theControl->value, theControl->minimum, theControl->maximum);
}

SInt32 GetControl32BitMaximum(ControlRef theControl) {
    return HIIsControl(theControl) ? theControl->maximum : 0;
}

void SetControl32BitMaximum(ControlRef theControl, SInt32 newMaximum) {
    if (!HIIsControl(theControl))
        return;
    theControl->maximum = newMaximum;
    if (theControl->minimum > newMaximum)
        theControl->minimum = newMaximum;
    theControl->value = Clamp(theControl->value, theControl->minimum, theControl->maximum);
}

SInt16 GetControlValue(ControlRef theControl) {
    return To16(GetControl32BitValue(theControl));
}
void SetControlValue(ControlRef theControl, SInt16 newValue) {
    SetControl32BitValue(theControl, newValue);
}
SInt16 GetControlMinimum(ControlRef theControl) {
    return To16(GetControl32BitMinimum(theControl));
}
void SetControlMinimum(ControlRef theControl, SInt16 newMinimum) {
    SetControl32BitMinimum(theControl, newMinimum);
}
SInt16 GetControlMaximum(ControlRef theControl) {
    return To16(GetControl32BitMaximum(theControl));
}
void SetControlMaximum(ControlRef theControl, SInt16 newMaximum) {
    SetControl32BitMaximum(theControl, newMaximum);
}

/* ---- Title -------------------------------------------------------------------- */

OSStatus SetControlTitleWithCFString(ControlRef inControl, CFStringRef inString) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (!HIIsString(inString))
        return paramErr;
    if (inControl->kind == HIControlKind::StaticText)
        return HITextSetString(&inControl->text, inString) ? (OSStatus)noErr : (OSStatus)memFullErr;
    CFStringRef copy = CFStringCreateCopy(kCFAllocatorDefault, inString);
    if (copy == nullptr)
        return memFullErr;
    if (inControl->title != nullptr)
        CFRelease(inControl->title);
    inControl->title = copy;
    return noErr;
}

OSStatus CopyControlTitleAsCFString(ControlRef inControl, CFStringRef *outString) {
    if (outString == nullptr)
        return paramErr;
    *outString = nullptr;
    if (!HIIsControl(inControl))
        return errUnknownControl;
    CFStringRef title;
    if (inControl->kind == HIControlKind::StaticText)
        title = HITextCopyString(&inControl->text);
    else if (inControl->title != nullptr)
        title = CFStringCreateCopy(kCFAllocatorDefault, inControl->title);
    else
        title = CFStringCreateWithCharacters(kCFAllocatorDefault, nullptr, 0);
    if (title == nullptr)
        return memFullErr;
    *outString = title;
    return noErr;
}
