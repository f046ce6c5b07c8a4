/*
 * CEditText.cpp
 *
 * Filtered edit fields: the key filter that the edit-text control consults
 * before each keystroke, the command handler that checks a paste before the
 * toolbox performs it, and the two standard character filters.
 */
#include "CEditText.h"

#include <stdint.h>
#include <wctype.h>

/*
 * Character classes as the standard library's tables give them: the default
 * table for 0 to 127 (and for digits, which it defines only as 0 to 9), the
 * process's current locale for 128 and above, nothing for negative values.
 * In the POSIX locale no value of 128 or above is a letter or a control.
 */
static bool IsDigitChar(SInt16 ch) {
    return ch >= '0' && ch <= '9';
}

static bool IsLetterChar(SInt16 ch) {
    if (ch < 0)
        return false;
    if (ch < 128)
        return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
    return iswalpha((wint_t)ch) != 0;
}

static bool IsControlChar(SInt16 ch) {
    if (ch < 0)
        return false;
    if (ch < 128)
        return ch < 32 || ch == 127;
    return iswcntrl((wint_t)ch) != 0;
}

/* The number of selected characters, or 0 when the selection cannot be read. */
static CFIndex SelectionLength(ControlRef control) {
    ControlEditTextSelectionRec selection = {0, 0};
    if (GetControlData(control, kControlEditTextPart, kControlEditTextSelectionTag,
                       sizeof selection, &selection, NULL) != noErr)
        return 0;
    CFIndex length = (CFIndex)selection.selEnd - (CFIndex)selection.selStart;
    return length > 0 ? length : 0;
}

CEditText::CEditText()
    : mControlRef(NULL), mCommandHandlerUPP(NewEventHandlerUPP(CommandHandler)),
      mKeyFilterGlueUPP(NewControlKeyFilterUPP(KeyFilterGlue)), mKeyFilterProc(NULL),
      mMaxChars(-1) {}

/* The handler and key filter installed on the control go away with it. */
CEditText::~CEditText() {
    if (mKeyFilterGlueUPP != NULL)
        DisposeControlKeyFilterUPP(mKeyFilterGlueUPP);
    if (mCommandHandlerUPP != NULL)
        DisposeEventHandlerUPP(mCommandHandlerUPP);
}

Boolean CEditText::Attach(WindowRef inWindow, const ControlID &id) {
    if (mCommandHandlerUPP == NULL || mKeyFilterGlueUPP == NULL)
        return false;
    ControlRef control = NULL;
    if (GetControlByID(inWindow, &id, &control) != noErr || control == NULL)
        return false;
    mControlRef = control;

    EventTypeSpec commandEvent = {kEventClassCommand, kEventCommandProcess};
    InstallEventHandler(GetControlEventTarget(mControlRef), mCommandHandlerUPP, 1, &commandEvent,
                        this, NULL);
    SetControlData(mControlRef, kControlEntireControl, kControlEditTextKeyFilterTag,
                   sizeof mKeyFilterGlueUPP, &mKeyFilterGlueUPP);
    SetControlReference(mControlRef, (SRefCon)(intptr_t)this);
    return true;
}

CFStringRef CEditText::CopyTextForTag(ResType tag) {
    if (mControlRef == NULL)
        return NULL;
    CFStringRef text = NULL;
    if (GetControlData(mControlRef, kControlEditTextPart, tag, sizeof text, &text, NULL) != noErr)
        return NULL;
    return text;
}

void CEditText::SetTextForTag(CFStringRef stringRef, ResType tag) {
    if (mControlRef == NULL)
        return;
    SetControlData(mControlRef, kControlEditTextPart, tag, sizeof stringRef, &stringRef);
}

CFStringRef CEditText::CopyTextAsCFString() {
    return CopyTextForTag(kControlEditTextCFStringTag);
}

void CEditText::SetText(CFStringRef stringRef) {
    SetTextForTag(stringRef, kControlEditTextCFStringTag);
}

CFStringRef CPasswordEditText::CopyTextAsCFString() {
    return CopyTextForTag(kControlEditTextPasswordCFStringTag);
}

void CPasswordEditText::SetText(CFStringRef stringRef) {
    SetTextForTag(stringRef, kControlEditTextPasswordCFStringTag);
}

ControlKeyFilterResult CEditText::AlphaNumericFilter(SInt16 ch) {
    if (IsLetterChar(ch) || IsDigitChar(ch))
        return kControlKeyFilterPassKey;
    return kControlKeyFilterBlockKey;
}

ControlKeyFilterResult CEditText::NumericFilter(SInt16 ch) {
    return IsDigitChar(ch) ? kControlKeyFilterPassKey : kControlKeyFilterBlockKey;
}

/*
 * Called by the control for each keystroke before it edits. Command-key
 * combinations and control characters (backspace, arrows, tab, return...)
 * always pass. A printable character is refused when the text would grow
 * beyond the limit (a typed character replaces the selection, if any), and
 * otherwise judged by the field's filter.
 */
ControlKeyFilterResult CEditText::KeyFilterGlue(ControlRef theControl, SInt16 *keyCode,
                                                SInt16 *charCode, EventModifiers *modifiers) {
    (void)keyCode;
    if (modifiers != NULL && (*modifiers & cmdKey) != 0)
        return kControlKeyFilterPassKey;
    if (charCode == NULL || IsControlChar(*charCode))
        return kControlKeyFilterPassKey;

    CEditText *field = (CEditText *)(intptr_t)GetControlReference(theControl);
    if (field == NULL)
        return kControlKeyFilterPassKey;

    if (field->mMaxChars != -1) {
        CFStringRef text = field->CopyTextAsCFString();
        if (text != NULL) {
            CFIndex length = CFStringGetLength(text);
            CFRelease(text);
            if (length - SelectionLength(theControl) + 1 > field->mMaxChars)
                return kControlKeyFilterBlockKey;
        }
    }
    if (field->mKeyFilterProc != NULL)
        return field->mKeyFilterProc(*charCode);
    return kControlKeyFilterPassKey;
}

/*
 * Installed on the control for command-process events. A paste whose text
 * would make the field too long, or holds a byte the filter refuses, is
 * swallowed with a beep; every other command goes on to the toolbox.
 */
OSStatus CEditText::CommandHandler(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                   void *inUserData) {
    CEditText *field = (CEditText *)inUserData;
    HICommand theCommand;
    OSStatus status = GetEventParameter(inEvent, kEventParamDirectObject, typeHICommand, NULL,
                                        sizeof theCommand, NULL, &theCommand);
    if (status != noErr)
        return status;
    if (theCommand.commandID != kHICommandPaste || field == NULL)
        return CallNextEventHandler(inHandlerCallRef, inEvent);

    ScrapRef scrapRef = NULL;
    Size pasteSize = 0;
    if (GetCurrentScrap(&scrapRef) != noErr ||
        GetScrapFlavorSize(scrapRef, kScrapFlavorTypeText, &pasteSize) != noErr)
        return CallNextEventHandler(inHandlerCallRef, inEvent);

    Boolean valid = true;
    if (field->mMaxChars != -1) {
        CFStringRef text = field->CopyTextAsCFString();
        if (text != NULL) {
            ControlEditTextSelectionRec selection = {0, 0};
            if (GetControlData(field->mControlRef, kControlEditTextPart,
                               kControlEditTextSelectionTag, sizeof selection, &selection,
                               NULL) == noErr)
                valid = CFStringGetLength(text) + pasteSize -
                            ((CFIndex)selection.selEnd - (CFIndex)selection.selStart) <=
                        (CFIndex)field->mMaxChars;
            CFRelease(text);
        }
    }

    if (valid && field->mKeyFilterProc != NULL) {
        Ptr buffer = NewPtr(pasteSize);
        if (buffer != NULL) {
            Size readSize = pasteSize;
            if (GetScrapFlavorData(scrapRef, kScrapFlavorTypeText, &readSize, buffer) == noErr) {
                if (readSize > pasteSize)
                    readSize = pasteSize;
                for (Size i = 0; valid && i < readSize; i++)
                    valid =
                        field->mKeyFilterProc((SInt16)(SInt8)buffer[i]) == kControlKeyFilterPassKey;
            }
            DisposePtr(buffer);
        }
    }

    if (!valid) {
        SysBeep(1);
        return noErr;
    }
    return CallNextEventHandler(inHandlerCallRef, inEvent);
}
