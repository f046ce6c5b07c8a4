/*
 * EditText.cpp
 *
 * Text buffers and the standard behaviour of the Unicode edit text control:
 * for each keystroke the key filter ('fltr' control data) is consulted
 * first; a key it passes edits the text at the selection (insert,
 * backspace, forward delete) or moves the caret (left, right, home, end);
 * Tab moves the focus; return, escape and other control characters do
 * nothing. Command-V, -C, -X and -A send the paste, copy, cut and
 * select-all commands to the control, whose standard handling (after the
 * handlers installed on it) the paste inserts the clipboard's text at the
 * selection.
 */
#include "HIInternal.h"

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

} // namespace

OSStatus HIEditTextKey(ControlRef control, UniChar ch, EventModifiers modifiers) {
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
    switch (ch) {
    case kBackspaceCharCode:
        if (control->selStart == control->selEnd && control->selStart > 0)
            control->selStart--;
        return ReplaceSelection(control, nullptr, 0);
    case kDeleteCharCode:
        if (control->selStart == control->selEnd && control->selEnd < control->text.length)
            control->selEnd++;
        return ReplaceSelection(control, nullptr, 0);
    case kLeftArrowCharCode:
        if (control->selStart == control->selEnd && control->selStart > 0)
            control->selStart--;
        control->selEnd = control->selStart;
        return noErr;
    case kRightArrowCharCode:
        if (control->selStart == control->selEnd && control->selEnd < control->text.length)
            control->selEnd++;
        control->selStart = control->selEnd;
        return noErr;
    case kHomeCharCode:
        control->selStart = control->selEnd = 0;
        return noErr;
    case kEndCharCode:
        control->selStart = control->selEnd = (SInt16)control->text.length;
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

OSStatus HIEditTextCommand(ControlRef control, UInt32 commandID) {
    switch (commandID) {
    case kHICommandPaste: {
        CFStringRef text = HIScrapCopyText();
        if (text == nullptr)
            return noErr; /* nothing to paste */
        OSStatus status = HIEditTextInsert(control, text);
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

bool HIControlIsEditText(ControlRef control) {
    return control->kind == HIControlKind::EditText;
}

OSStatus HIEditTextInsert(ControlRef control, CFStringRef string) {
    if (!HIIsString(string))
        return paramErr;
    HIText insert = {nullptr, 0, 0};
    OSStatus status = HITextSetString(&insert, string)
                          ? ReplaceSelection(control, insert.chars, insert.length)
                          : (OSStatus)memFullErr;
    HITextFree(&insert);
    return status;
}
