/*
 * ControlData.cpp
 *
 * Control data by tag: SetControlData, GetControlData and GetControlDataSize
 * for the tags each standard control understands.
 *
 *   edit text, password: 'cfst' 'text' 'sele' 'fltr' 'lock' 'font';
 *                        password also 'pwcf' 'pass' (the clear text; its
 *                        'cfst' and 'text' read as bullets)
 *   static text:         'cfst' 'text' 'font'
 *   push button:         'dflt' 'cncl' 'font'
 *   check box, user pane, root: 'font'
 *
 * The part must be kControlEntireControl or the control's own part
 * (kControlEditTextPart, kControlCheckBoxPart, kControlButtonPart).
 */
#include "HIInternal.h"

namespace {

const UniChar kBullet = 0x2022;

bool PartIsValid(ControlRef control, ControlPartCode part) {
    if (part == kControlEntireControl)
        return true;
    switch (control->kind) {
    case HIControlKind::EditText:
    case HIControlKind::Password:
        return part == kControlEditTextPart;
    case HIControlKind::CheckBox:
        return part == kControlCheckBoxPart;
    case HIControlKind::PushButton:
        return part == kControlButtonPart;
    case HIControlKind::StaticText:
        return part == kControlLabelPart;
    default:
        return false;
    }
}

/* The text as a caller would read it through 'cfst' or 'text'. */
CFStringRef CopyVisibleText(ControlRef control, bool clear) {
    if (control->kind != HIControlKind::Password || clear)
        return HITextCopyString(&control->text);
    CFMutableStringRef bullets = CFStringCreateMutable(kCFAllocatorDefault, 0);
    if (bullets == nullptr)
        return nullptr;
    for (CFIndex i = 0; i < control->text.length; i++)
        CFStringAppendCharacters(bullets, &kBullet, 1);
    return bullets;
}

/* The text as MacRoman bytes ('?' for characters without a MacRoman form). */
OSErr CopyTextBytes(ControlRef control, bool clear, UInt8 **outBytes, CFIndex *outLength) {
    *outBytes = nullptr;
    *outLength = 0;
    CFStringRef s = CopyVisibleText(control, clear);
    if (s == nullptr)
        return memFullErr;
    CFIndex length = CFStringGetLength(s);
    CFIndex needed = 0;
    CFStringGetBytes(s, CFRangeMake(0, length), kCFStringEncodingMacRoman, '?', false, nullptr, 0,
                     &needed);
    UInt8 *bytes = static_cast<UInt8 *>(CFStandInAllocate(needed > 0 ? needed : 1));
    if (bytes == nullptr) {
        CFRelease(s);
        return memFullErr;
    }
    CFStringGetBytes(s, CFRangeMake(0, length), kCFStringEncodingMacRoman, '?', false, bytes,
                     needed, &needed);
    CFRelease(s);
    *outBytes = bytes;
    *outLength = needed;
    return noErr;
}

OSErr SetText(ControlRef control, CFStringRef string) {
    if (!HITextSetString(&control->text, string))
        return memFullErr;
    control->selStart = control->selEnd = (SInt16)control->text.length;
    return noErr;
}

bool TextTagApplies(ControlRef control, ResType tag) {
    switch (tag) {
    case kControlEditTextCFStringTag:
    case kControlEditTextTextTag:
        return HIControlHasText(control);
    case kControlEditTextPasswordCFStringTag:
    case kControlEditTextPasswordTag:
        return control->kind == HIControlKind::Password;
    case kControlEditTextSelectionTag:
    case kControlEditTextKeyFilterTag:
    case kControlEditTextLockedTag:
        return HIControlIsEditText(control);
    case kControlPushButtonDefaultTag:
    case kControlPushButtonCancelTag:
        return control->kind == HIControlKind::PushButton;
    case kControlFontStyleTag:
        return true;
    default:
        return false;
    }
}

/* Copies a fixed-size datum out; the buffer must have exactly its size. */
OSErr GetFixed(const void *datum, Size size, Size inBufferSize, void *inBuffer,
               Size *outActualSize) {
    if (inBuffer == nullptr)
        return paramErr;
    if (inBufferSize != size)
        return errDataSizeMismatch;
    memcpy(inBuffer, datum, size);
    if (outActualSize != nullptr)
        *outActualSize = size;
    return noErr;
}

/* The checks every control-data call starts with: a live control, the
 * failure a test set for the call (none for kHIFailingCallCount), a part the
 * control has and a tag it keeps. */
OSErr CheckDataRequest(ControlRef inControl, HIFailingCall call, ControlPartCode inPart,
                       ResType inTagName) {
    if (!HIIsControl(inControl))
        return errUnknownControl;
    if (call != kHIFailingCallCount && inControl->failure[call] != noErr)
        return (OSErr)inControl->failure[call];
    if (!PartIsValid(inControl, inPart))
        return errInvalidPartCode;
    if (!TextTagApplies(inControl, inTagName))
        return errDataNotSupported;
    return noErr;
}

} // namespace

OSErr SetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inSize,
                     const void *inData) {
    OSErr err = CheckDataRequest(inControl, kHIFailSetControlData, inPart, inTagName);
    if (err != noErr)
        return err;
    if (inData == nullptr || inSize < 0)
        return paramErr;
    switch (inTagName) {
    case kControlEditTextCFStringTag:
    case kControlEditTextPasswordCFStringTag: {
        if (inSize != (Size)sizeof(CFStringRef))
            return errDataSizeMismatch;
        CFStringRef string;
        memcpy(&string, inData, sizeof(string));
        if (!HIIsString(string))
            return paramErr;
        return SetText(inControl, string);
    }
    case kControlEditTextTextTag:
    case kControlEditTextPasswordTag: {
        CFStringRef string = CFStringCreateWithBytes(kCFAllocatorDefault, (const UInt8 *)inData,
                                                     inSize, kCFStringEncodingMacRoman, false);
        if (string == nullptr)
            return memFullErr;
        err = SetText(inControl, string);
        CFRelease(string);
        return err;
    }
    case kControlEditTextSelectionTag: {
        if (inSize != (Size)sizeof(ControlEditTextSelectionRec))
            return errDataSizeMismatch;
        ControlEditTextSelectionRec selection;
        memcpy(&selection, inData, sizeof(selection));
        SInt16 length = (SInt16)inControl->text.length;
        inControl->selStart = selection.selStart < 0 ? 0 : selection.selStart;
        inControl->selEnd = selection.selEnd < 0 ? length : selection.selEnd;
        if (inControl->selStart > length)
            inControl->selStart = length;
        if (inControl->selEnd > length)
            inControl->selEnd = length;
        if (inControl->selStart > inControl->selEnd) {
            SInt16 t = inControl->selStart;
            inControl->selStart = inControl->selEnd;
            inControl->selEnd = t;
        }
        return noErr;
    }
    case kControlEditTextKeyFilterTag:
        if (inSize != (Size)sizeof(ControlKeyFilterUPP))
            return errDataSizeMismatch;
        memcpy(&inControl->keyFilter, inData, sizeof(ControlKeyFilterUPP));
        return noErr;
    case kControlEditTextLockedTag:
        if (inSize != (Size)sizeof(Boolean))
            return errDataSizeMismatch;
        inControl->locked = *(const Boolean *)inData != 0;
        return noErr;
    case kControlPushButtonDefaultTag:
    case kControlPushButtonCancelTag: {
        if (inSize != (Size)sizeof(Boolean))
            return errDataSizeMismatch;
        Boolean flag = *(const Boolean *)inData != 0;
        if (inTagName == kControlPushButtonDefaultTag)
            inControl->isDefault = flag;
        else
            inControl->isCancel = flag;
        return noErr;
    }
    case kControlFontStyleTag:
        if (inSize != (Size)sizeof(ControlFontStyleRec))
            return errDataSizeMismatch;
        return noErr; /* nothing is rendered */
    default:
        return errDataNotSupported;
    }
}

OSErr GetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                     Size inBufferSize, void *inBuffer, Size *outActualSize) {
    if (outActualSize != nullptr)
        *outActualSize = 0;
    OSErr err = CheckDataRequest(inControl, kHIFailGetControlData, inPart, inTagName);
    if (err != noErr)
        return err;
    switch (inTagName) {
    case kControlEditTextCFStringTag:
    case kControlEditTextPasswordCFStringTag: {
        if (inBuffer == nullptr)
            return paramErr;
        if (inBufferSize != (Size)sizeof(CFStringRef))
            return errDataSizeMismatch;
        CFStringRef string =
            CopyVisibleText(inControl, inTagName == kControlEditTextPasswordCFStringTag);
        if (string == nullptr)
            return memFullErr;
        memcpy(inBuffer, &string, sizeof(string));
        if (outActualSize != nullptr)
            *outActualSize = sizeof(string);
        return noErr;
    }
    case kControlEditTextTextTag:
    case kControlEditTextPasswordTag: {
        UInt8 *bytes = nullptr;
        CFIndex length = 0;
        err = CopyTextBytes(inControl, inTagName == kControlEditTextPasswordTag, &bytes, &length);
        if (err != noErr)
            return err;
        if (inBuffer != nullptr && inBufferSize > 0)
            memcpy(inBuffer, bytes, inBufferSize < length ? inBufferSize : length);
        CFStandInDeallocate(bytes);
        if (outActualSize != nullptr)
            *outActualSize = length;
        return noErr;
    }
    case kControlEditTextSelectionTag: {
        ControlEditTextSelectionRec selection = {inControl->selStart, inControl->selEnd};
        return GetFixed(&selection, sizeof(selection), inBufferSize, inBuffer, outActualSize);
    }
    case kControlEditTextKeyFilterTag:
        return GetFixed(&inControl->keyFilter, sizeof(ControlKeyFilterUPP), inBufferSize, inBuffer,
                        outActualSize);
    case kControlEditTextLockedTag:
        return GetFixed(&inControl->locked, sizeof(Boolean), inBufferSize, inBuffer, outActualSize);
    case kControlPushButtonDefaultTag:
        return GetFixed(&inControl->isDefault, sizeof(Boolean), inBufferSize, inBuffer,
                        outActualSize);
    case kControlPushButtonCancelTag:
        return GetFixed(&inControl->isCancel, sizeof(Boolean), inBufferSize, inBuffer,
                        outActualSize);
    case kControlFontStyleTag: {
        ControlFontStyleRec style;
        memset(&style, 0, sizeof(style));
        return GetFixed(&style, sizeof(style), inBufferSize, inBuffer, outActualSize);
    }
    default:
        return errDataNotSupported;
    }
}

OSErr GetControlDataSize(ControlRef inControl, ControlPartCode inPart, ResType inTagName,
                         Size *outMaxSize) {
    if (outMaxSize == nullptr)
        return paramErr;
    *outMaxSize = 0;
    OSErr err = CheckDataRequest(inControl, kHIFailingCallCount, inPart, inTagName);
    if (err != noErr)
        return err;
    switch (inTagName) {
    case kControlEditTextCFStringTag:
    case kControlEditTextPasswordCFStringTag:
        *outMaxSize = sizeof(CFStringRef);
        return noErr;
    case kControlEditTextTextTag:
    case kControlEditTextPasswordTag:
        return GetControlData(inControl, inPart, inTagName, 0, nullptr, outMaxSize);
    case kControlEditTextSelectionTag:
        *outMaxSize = sizeof(ControlEditTextSelectionRec);
        return noErr;
    case kControlEditTextKeyFilterTag:
        *outMaxSize = sizeof(ControlKeyFilterUPP);
        return noErr;
    case kControlFontStyleTag:
        *outMaxSize = sizeof(ControlFontStyleRec);
        return noErr;
    default:
        *outMaxSize = sizeof(Boolean);
        return noErr;
    }
}
