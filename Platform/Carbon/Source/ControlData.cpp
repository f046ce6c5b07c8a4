/*
 * ControlData.cpp
 *
 * Control data by tag: SetControlData and GetControlData for the tags the
 * text controls understand: an edit text 'cfst' 'sele' 'fltr', a static
 * text 'cfst'.
 *
 * The part must be kControlEntireControl or the control's own part
 * (kControlEditTextPart, kControlLabelPart, kControlCheckBoxPart).
 */
#include "HIInternal.h"

namespace {

bool PartIsValid(ControlRef control, ControlPartCode part) {
    switch (control->kind) {
    case HIControlKind::EditText:
        return part == kControlEntireControl || part == kControlEditTextPart;
    case HIControlKind::StaticText:
        return part == kControlEntireControl || part == kControlLabelPart;
    case HIControlKind::CheckBox:
        return part == kControlEntireControl || part == kControlCheckBoxPart;
    default:
        return part == kControlEntireControl;
    }
}

bool TagApplies(ControlRef control, ResType tag) {
    switch (tag) {
    case kControlEditTextCFStringTag:
        return HIControlIsEditText(control) || control->kind == HIControlKind::StaticText;
    case kControlEditTextSelectionTag:
    case kControlEditTextKeyFilterTag:
        return HIControlIsEditText(control);
    default:
        return false;
    }
}

Size TagSize(ResType tag) {
    switch (tag) {
    case kControlEditTextSelectionTag:
        return sizeof(ControlEditTextSelectionRec);
    case kControlEditTextKeyFilterTag:
        return sizeof(ControlKeyFilterUPP);
    default:
        return sizeof(CFStringRef);
    }
}

/* The checks every control-data call starts with: a live control, a part it
 * has, a tag it keeps, a buffer of the tag's size. */
OSErr CheckRequest(ControlRef control, ControlPartCode part, ResType tag, Size size,
                   const void *data) {
    if (!gHIControls.contains(control))
        return errUnknownControl;
    if (!PartIsValid(control, part))
        return errInvalidPartCode;
    if (!TagApplies(control, tag))
        return errDataNotSupported;
    if (data == nullptr)
        return paramErr;
    return size == TagSize(tag) ? (OSErr)noErr : (OSErr)errDataSizeMismatch;
}

} // namespace

OSErr SetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inSize,
                     const void *inData) {
    OSErr err = CheckRequest(inControl, inPart, inTagName, inSize, inData);
    if (err != noErr)
        return err;
    switch (inTagName) {
    case kControlEditTextSelectionTag: {
        ControlEditTextSelectionRec selection;
        memcpy(&selection, inData, sizeof(selection));
        SInt16 length = (SInt16)inControl->text.length;
        SInt16 start = selection.selStart < 0 ? 0 : selection.selStart;
        SInt16 end = selection.selEnd < 0 ? length : selection.selEnd;
        start = start > length ? length : start;
        end = end > length ? length : end;
        inControl->selStart = start < end ? start : end;
        inControl->selEnd = start < end ? end : start;
        return noErr;
    }
    case kControlEditTextKeyFilterTag:
        memcpy(&inControl->keyFilter, inData, sizeof(ControlKeyFilterUPP));
        return noErr;
    default: {
        CFStringRef string;
        memcpy(&string, inData, sizeof(string));
        if (!HIIsString(string))
            return paramErr;
        if (!HITextSetString(&inControl->text, string))
            return memFullErr;
        inControl->selStart = inControl->selEnd = (SInt16)inControl->text.length;
        return noErr;
    }
    }
}

OSErr GetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                     Size inBufferSize, void *inBuffer, Size *outActualSize) {
    if (outActualSize != nullptr)
        *outActualSize = 0;
    OSErr err = CheckRequest(inControl, inPart, inTagName, inBufferSize, inBuffer);
    if (err != noErr)
        return err;
    switch (inTagName) {
    case kControlEditTextSelectionTag: {
        ControlEditTextSelectionRec selection = {inControl->selStart, inControl->selEnd};
        memcpy(inBuffer, &selection, sizeof(selection));
        break;
    }
    case kControlEditTextKeyFilterTag:
        memcpy(inBuffer, &inControl->keyFilter, sizeof(ControlKeyFilterUPP));
        break;
    default: {
        CFStringRef string = HITextCopyString(&inControl->text);
        if (string == nullptr)
            return memFullErr;
        memcpy(inBuffer, &string, sizeof(string));
        break;
    }
    }
    if (outActualSize != nullptr)
        *outActualSize = inBufferSize;
    return noErr;
}
