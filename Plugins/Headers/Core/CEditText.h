/*
 * CEditText.h
 *
 * Filtered edit fields. A CEditText is bound to an edit-text control that
 * already exists (loaded from a nib) and restricts what can be typed or
 * pasted into it by a character filter and a length limit. CPasswordEditText
 * does the same for a password edit-text control. The two standard filters,
 * letters-and-digits and digits, also serve to validate whole texts.
 */
#ifndef CEDITTEXT_H
#define CEDITTEXT_H

#include <Carbon/Carbon.h>
#include <CoreFoundation/CoreFoundation.h>

/* One character in; kControlKeyFilterPassKey (1) or kControlKeyFilterBlockKey (0) out. */
typedef ControlKeyFilterResult (*KeyFilterProcPtr)(SInt16 ch);

class CEditText {
public:
    CEditText();
    virtual ~CEditText();

    virtual CFStringRef CopyTextAsCFString();
    virtual void SetText(CFStringRef stringRef);

    Boolean Attach(WindowRef inWindow, const ControlID &id);
    void SetKeyFilter(KeyFilterProcPtr filterProcPtr) { mKeyFilterProc = filterProcPtr; }
    void SetMaxChars(SInt16 max) { mMaxChars = max; }
    ControlRef GetControlRef() const { return mControlRef; }
    /* Forgets the control, which its window is about to dispose of. */
    void Detach() { mControlRef = NULL; }

    static ControlKeyFilterResult AlphaNumericFilter(SInt16 ch);
    static ControlKeyFilterResult NumericFilter(SInt16 ch);

    static ControlKeyFilterResult KeyFilterGlue(ControlRef theControl, SInt16 *keyCode,
                                                SInt16 *charCode, EventModifiers *modifiers);
    static OSStatus CommandHandler(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                   void *inUserData);

    CEditText(const CEditText &) = delete;
    CEditText &operator=(const CEditText &) = delete;

protected:
    /* Reads or replaces the control's text under the given data tag. */
    CFStringRef CopyTextForTag(ResType tag);
    void SetTextForTag(CFStringRef stringRef, ResType tag);

private:
    ControlRef mControlRef;
    EventHandlerUPP mCommandHandlerUPP;
    ControlKeyFilterUPP mKeyFilterGlueUPP;
    KeyFilterProcPtr mKeyFilterProc;
    SInt16 mMaxChars;
};

class CPasswordEditText : public CEditText {
public:
    CPasswordEditText() {}
    ~CPasswordEditText() override {}

    CFStringRef CopyTextAsCFString() override;
    void SetText(CFStringRef stringRef) override;
};

#endif /* CEDITTEXT_H */
