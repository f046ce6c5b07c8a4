/*
 * HIStandIn.h
 *
 * Not toolbox API: the user's part for the print-dialog host and tests
 * (typing, clicking, pasting, dropping text, the clipboard) and what the
 * user would see or hear (beeps, alerts, live objects). A keystroke goes
 * to the focused edit text: its key filter, then its editing (see
 * EditText.cpp); Command-V, -C, -X, -A send the commands to it.
 */
#ifndef __HISTANDIN__
#define __HISTANDIN__

#include <Carbon/Carbon.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One character typed into the focused control, the special keys as their
 * character codes (kBackspaceCharCode...). errUnknownControl when no
 * control has the focus; otherwise noErr when the field acted on the key
 * (or its filter refused it), eventNotHandledErr when nothing did. */
OSStatus HIStandInTypeCharacter(UniChar ch, EventModifiers modifiers);
/* Each UTF-16 unit of text through HIStandInTypeCharacter, without modifiers;
 * stops at the first failure. */
OSStatus HIStandInTypeText(CFStringRef text);
/* A click on the control. A disabled or hidden control ignores it
 * (errControlHiddenOrDisabled). A check box toggles between 0 and 1 and,
 * if it has a command ID, then sends kEventCommandProcess with that command
 * to its own event target, from where it propagates to the embedders up to
 * the root control. An edit text takes the focus. */
OSStatus HIStandInClickControl(ControlRef control);
/* The paste command (kHICommandPaste) to the focused control, as Command-V sends it. */
OSStatus HIStandInPaste(void);
/* Text dropped into the focused edit text at its selection: no key filter
 * and no command handler is involved. */
OSStatus HIStandInDropText(CFStringRef text);
/* Puts text on the clipboard as 'TEXT' (MacRoman bytes, '?' for characters
 * without a MacRoman form); NULL empties the clipboard. */
OSStatus HIStandInSetClipboardText(CFStringRef text);

/* Draws the window's content as the user sees it, the alert that is being
 * run over it, into a cairo context (a cairo_t *) at its origin. */
OSStatus HIStandInDrawWindow(WindowRef window, void *cairoContext);
/* The same picture as a PNG file; ioErr when it cannot be written. */
OSStatus HIStandInWriteWindowPicture(WindowRef window, const char *pngPath);

/* The focused control of the active window (the window that last received
 * the focus or was selected), or NULL. */
ControlRef HIStandInGetFocusedControl(void);
/* "userpane", "edittext", "checkbox", "statictext", "root"; NULL for anything that is
 * not a live control. */
const char *HIStandInGetControlKindName(ControlRef control);

typedef struct HIStandInObserver {
    void *refcon;
    /* Called for every SysBeep. May be NULL. */
    void (*beep)(void *refcon, short duration);
    /* Called when RunStandardAlert shows an alert; returns the button that
     * answers it (kAlertStdAlertOKButton...). May be NULL: the default
     * button answers. */
    DialogItemIndex (*alert)(void *refcon, AlertType type, CFStringRef message,
                             CFStringRef explanation);
} HIStandInObserver;

/* Installs an observer (copied); NULL restores the default, under which
 * beeps are only counted and alerts are answered with their default button.
 * Beeps are counted in either case. */
void HIStandInSetObserver(const HIStandInObserver *observer);

/* Live toolbox objects, for leak checks. Alerts count as windows until they
 * have run. */
CFIndex HIStandInGetLiveWindowCount(void);
CFIndex HIStandInGetLiveControlCount(void);
CFIndex HIStandInGetLiveEventCount(void);
CFIndex HIStandInGetLiveHandlerCount(void);
CFIndex HIStandInGetLiveNibCount(void);

#ifdef __cplusplus
}
#endif

#endif /* __HISTANDIN__ */
