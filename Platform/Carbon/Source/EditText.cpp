/*
 * EditText.cpp
 *
 * Text buffers and the standard behaviour of the Unicode edit text control:
 * for each keystroke the key filter ('fltr' control data) is consulted
 * first; a key it passes edits the text at the selection (insert,
 * backspace, forward delete) or moves the caret (left, right, home, end);
 * Tab moves the focus; return, escape and other control characters do
 * nothing. Command-V, -C, -X and -A send the paste, copy, cut and
 * select-all commands to the control; its standard handling of them (after
 * the handlers installed on it) edits the text, the paste inserting the
 * clipboard's text at the selection. The user's side of it: keystrokes,
 * the paste command and text dropped into the focused field. Last, the
 * text controls' data by tag (SetControlData, GetControlData).
 */
#include "HIInternal.h"

#include <algorithm>

namespace {

const CFIndex kMaxTextLength = 32767; /* selections are SInt16 */

/* Replaces the units from start to end with count units: chars, or
 * (when chars is NULL) room the caller fills. False, with the text as it
 * was, when memory runs out. */
bool TextReplace(HIText *text, CFIndex start, CFIndex end, const UniChar *chars, CFIndex count) {
    CFIndex newLength = text->length - (end - start) + count;
    if (newLength > text->capacity) {
        CFIndex capacity = newLength < 16 ? 16 : newLength * 2;
        UniChar *grown = static_cast<UniChar *>(CFStandInAllocate(capacity * sizeof(UniChar)));
        if (grown == nullptr)
            return false;
        if (text->length > 0)
            memcpy(grown, text->chars, text->length * sizeof(UniChar));
        CFStandInDeallocate(text->chars);
        text->chars = grown;
        text->capacity = capacity;
    }
    if (text->length > end)
        memmove(text->chars + start + count, text->chars + end,
                (text->length - end) * sizeof(UniChar));
    if (count > 0 && chars != nullptr)
        memcpy(text->chars + start, chars, count * sizeof(UniChar));
    text->length = newLength;
    return true;
}

/* Replaces the selection with chars; the caret ends after them. */
OSStatus ReplaceSelection(ControlRef control, const UniChar *chars, CFIndex count) {
    CFIndex newLength = control->text.length - (control->selEnd - control->selStart) + count;
    if (newLength > kMaxTextLength)
        return paramErr;
    if (!TextReplace(&control->text, control->selStart, control->selEnd, chars, count))
        return memFullErr;
    control->selStart = control->selEnd = (SInt16)(control->selStart + count);
    return noErr;
}

OSStatus CopySelection(ControlRef control) {
    if (control->selStart == control->selEnd)
        return noErr;
    CFStringRef s =
        CFStringCreateWithCharacters(kCFAllocatorDefault, control->text.chars + control->selStart,
                                     control->selEnd - control->selStart);
    if (s == nullptr)
        return memFullErr;
    OSStatus status = HIStandInSetClipboardText(s);
    CFRelease(s);
    return status;
}

/* Replaces the selection with string; the caret ends after it. */
OSStatus Insert(ControlRef control, CFStringRef string) {
    if (!HIIsString(string))
        return paramErr;
    CFIndex start = control->selStart, count = CFStringGetLength(string);
    OSStatus status = ReplaceSelection(control, nullptr, count); /* room for the string */
    if (status == noErr)
        CFStringGetCharacters(string, CFRangeMake(0, count), control->text.chars + start);
    return status;
}

} // namespace

OSStatus HIStandInTypeCharacter(UniChar ch, EventModifiers modifiers) {
    ControlRef control = HIStandInGetFocusedControl();
    if (control == nullptr)
        return errUnknownControl;
    SInt16 keyCode = 0; /* no virtual key codes: the key filters look only at the character */
    SInt16 charCode = (SInt16)ch;
    if (control->keyFilter != nullptr) {
        ControlKeyFilterResult result =
            control->keyFilter(control, &keyCode, &charCode, &modifiers);
        if (!gHIControls.contains(control) || result == kControlKeyFilterBlockKey)
            return noErr; /* refused silently */
        ch = (UniChar)charCode;
    }
    if ((modifiers & cmdKey) != 0) {
        const struct {
            UniChar key; /* either letter case */
            UInt32 command;
        } kCommandKeys[] = {{'v', kHICommandPaste},
                            {'c', kHICommandCopy},
                            {'x', kHICommandCut},
                            {'a', kHICommandSelectAll}};
        for (const auto &key : kCommandKeys)
            if ((ch | 0x20) == key.key)
                return HISendCommand(&control->target, key.command, kHICommandFromMenu);
        return eventNotHandledErr;
    }
    bool back = ch == kBackspaceCharCode || ch == kLeftArrowCharCode;
    bool caret = control->selStart == control->selEnd;
    switch (ch) {
    case kBackspaceCharCode:
    case kDeleteCharCode:
    case kLeftArrowCharCode:
    case kRightArrowCharCode:
        /* a caret first takes in the unit before it (backspace, left) or after it */
        if (caret && back && control->selStart > 0)
            control->selStart--;
        if (caret && !back && control->selEnd < control->text.length)
            control->selEnd++;
        if (ch == kBackspaceCharCode || ch == kDeleteCharCode)
            return ReplaceSelection(control, nullptr, 0);
        control->selStart = control->selEnd = back ? control->selStart : control->selEnd;
        return noErr;
    case kHomeCharCode:
    case kEndCharCode:
        control->selStart = control->selEnd =
            (SInt16)(ch == kHomeCharCode ? 0 : control->text.length);
        return noErr;
    case kTabCharCode:
        return HIWindowTabFocus(control->owner);
    default:
        break;
    }
    if (ch < 0x20 || ch == 0x7F)
        return eventNotHandledErr; /* return, escape...: nothing acts on them */
    return ReplaceSelection(control, &ch, 1);
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

OSStatus HIStandardHandler(ControlRef control, UInt32 commandID) {
    if (control->kind != HIControlKind::EditText)
        return eventNotHandledErr;
    switch (commandID) {
    case kHICommandPaste: {
        CFStringRef text = HIScrapCopyText();
        if (text == nullptr)
            return noErr; /* nothing to paste */
        OSStatus status = Insert(control, text);
        CFRelease(text);
        return status;
    }
    case kHICommandCopy:
        return CopySelection(control);
    case kHICommandCut: {
        OSStatus status = CopySelection(control);
        return status != noErr ? status : ReplaceSelection(control, nullptr, 0);
    }
    case kHICommandSelectAll:
        control->selStart = 0;
        control->selEnd = (SInt16)control->text.length;
        return noErr;
    default:
        return eventNotHandledErr;
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
    if (control->kind != HIControlKind::EditText)
        return errDataNotSupported;
    return Insert(control, text);
}

void HITextFree(HIText *text) {
    CFStandInDeallocate(text->chars);
    text->chars = nullptr;
    text->length = text->capacity = 0;
}

bool HITextSetString(HIText *text, CFStringRef string) {
    CFIndex count = CFStringGetLength(string);
    if (count > kMaxTextLength || !TextReplace(text, 0, text->length, nullptr, count))
        return false;
    CFStringGetCharacters(string, CFRangeMake(0, count), text->chars);
    return true;
}

CFStringRef HITextCopyString(const HIText *text) {
    return CFStringCreateWithCharacters(kCFAllocatorDefault, text->chars, text->length);
}

/* Control data by tag. The checks every call starts with: a live control, a
 * part it has (the whole control or its own part), a tag it keeps (an edit
 * text 'cfst' 'sele' 'fltr', a static text 'cfst'), a buffer of the tag's
 * size. */
static OSErr CheckRequest(ControlRef control, ControlPartCode part, ResType tag, Size size,
                          const void *data) {
    static const ControlPartCode kOwnPart[kHIControlKindCount] = {
        kControlNoPart, kControlNoPart, kControlEditTextPart, kControlCheckBoxPart,
        kControlLabelPart}; /* in HIControlKind's order */
    if (!gHIControls.contains(control))
        return errUnknownControl;
    if (part != kControlEntireControl && part != kOwnPart[static_cast<int>(control->kind)])
        return errInvalidPartCode;
    bool editText = control->kind == HIControlKind::EditText;
    bool supported = tag == kControlEditTextCFStringTag
                         ? editText || control->kind == HIControlKind::StaticText
                         : editText && (tag == kControlEditTextSelectionTag ||
                                        tag == kControlEditTextKeyFilterTag);
    if (!supported)
        return errDataNotSupported;
    if (data == nullptr)
        return paramErr;
    Size expected = tag == kControlEditTextSelectionTag   ? sizeof(ControlEditTextSelectionRec)
                    : tag == kControlEditTextKeyFilterTag ? sizeof(ControlKeyFilterUPP)
                                                          : sizeof(CFStringRef);
    return size == expected ? (OSErr)noErr : (OSErr)errDataSizeMismatch;
}

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
        SInt16 start = std::clamp<SInt16>(selection.selStart, 0, length);
        SInt16 end = selection.selEnd < 0 ? length : std::min(selection.selEnd, length);
        inControl->selStart = std::min(start, end);
        inControl->selEnd = std::max(start, end);
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
