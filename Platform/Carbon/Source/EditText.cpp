/*
 * EditText.cpp
 *
 * Text buffers and the standard behaviour of the Unicode edit text control:
 * for each keystroke the key filter ('fltr'
 * control data) is consulted first; a key it passes edits the text at the
 * selection (insert, backspace, forward delete) or moves the caret (left,
 * right, home, end). Tab, return, escape and other control characters are
 * not inserted and pass on to the embedders and the window. Command-V, -C,
 * -X and -A become the paste, copy, cut and select-all commands; the paste
 * command inserts the clipboard's text at the selection.
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

OSStatus HandleKey(ControlRef control, EventRef event) {
    UniChar ch = 0;
    if (GetEventParameter(event, kEventParamKeyUnicodes, typeUnicodeText, nullptr, sizeof(ch),
                          nullptr, &ch) != noErr)
        return eventNotHandledErr;
    UInt32 modifiers = 0;
    GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof(modifiers),
                      nullptr, &modifiers);
    SInt16 keyCode16 = 0; /* the stand-in's key events carry no virtual key code */
    SInt16 charCode16 = (SInt16)ch;
    EventModifiers modifiers16 = (EventModifiers)modifiers;
    if (control->keyFilter != nullptr) {
        ControlKeyFilterResult result =
            control->keyFilter(control, &keyCode16, &charCode16, &modifiers16);
        if (!gHIControls.contains(control) || result == kControlKeyFilterBlockKey)
            return noErr; /* refused silently */
        ch = (UniChar)charCode16;
    }
    if ((modifiers16 & cmdKey) != 0) {
        const struct {
            UniChar key; /* either letter case */
            UInt32 command;
        } kCommandKeys[] = {{'v', kHICommandPaste},
                            {'c', kHICommandCopy},
                            {'x', kHICommandCut},
                            {'a', kHICommandSelectAll}};
        for (const auto &key : kCommandKeys)
            if ((ch | 0x20) == key.key)
                return HISendCommand(&control->target, key.command, kHICommandFromMenu, nullptr);
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
    default:
        break;
    }
    if (ch < 0x20 || ch == 0x7F)
        return eventNotHandledErr; /* tab, return, escape...: for the embedders and the window */
    return ReplaceSelection(control, &ch, 1);
}

OSStatus HandleCommand(ControlRef control, EventRef event) {
    HICommandExtended command;
    memset(&command, 0, sizeof(command));
    if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof(command),
                          nullptr, &command) != noErr)
        return eventNotHandledErr;
    switch (command.commandID) {
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

} // namespace

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

OSStatus HIEditTextStandardHandler(ControlRef control, EventRef event) {
    if (event->eventClass == kEventClassKeyboard && event->kind == kEventRawKeyDown)
        return HandleKey(control, event);
    if (event->eventClass == kEventClassCommand && event->kind == kEventCommandProcess)
        return HandleCommand(control, event);
    return eventNotHandledErr;
}
