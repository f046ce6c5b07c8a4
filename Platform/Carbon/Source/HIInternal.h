/*
 * HIInternal.h
 *
 * The toolbox's internal records: windows, controls, events, event targets
 * and handlers. Every live record sits on a list of its kind, and every
 * reference handed in by a caller is looked up on that list before it is
 * used, so a stale or wrong-typed reference yields an error status instead
 * of a crash.
 */
#ifndef HIINTERNAL_H
#define HIINTERNAL_H

#include <Carbon/Carbon.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <string.h>

/* A control's event target. Only controls have targets here: nothing
 * declares a way to reach a window's or the application's. */
struct OpaqueEventTargetRef {
    ControlRef control;
    OpaqueEventHandlerRef *first; /* the most recently installed handler first */
};

struct OpaqueEventHandlerRef {
    OpaqueEventHandlerRef *next;    /* on the target */
    OpaqueEventHandlerRef *allNext; /* every live handler */
    EventTargetRef target;
    EventHandlerUPP proc;
    void *userData;
    EventTypeSpec *types;
    ItemCount numTypes;
};

/* An event the toolbox sends: every one here is a command whose HICommand
 * is the direct object (keystrokes go straight to the focused edit text). */
struct OpaqueEventRef {
    OpaqueEventRef *allNext;
    HICommand command;
};

/* One running handler: the position in the chain from which
 * CallNextEventHandler goes on. Lives on the C stack of the dispatcher. */
struct OpaqueEventHandlerCallRef {
    OpaqueEventHandlerCallRef *outer;
    EventTargetRef target;
    EventHandlerRef handler;
    Boolean consumed; /* CallNextEventHandler has run the rest of the chain */
};

enum class HIControlKind { Root, UserPane, EditText, CheckBox, StaticText };
/* The kinds' names in that order, as the host reports them and nibs give
 * them (a nib describes the kinds from EditText on) (Controls.cpp) */
const int kHIControlKindCount = 5;
extern const char *const kHIControlKindNames[kHIControlKindCount];
const int kHIFirstNibControlKind = static_cast<int>(HIControlKind::EditText);

/* A UTF-16 text buffer */
struct HIText {
    UniChar *chars;
    CFIndex length;
    CFIndex capacity;
};

struct OpaqueControlRef {
    OpaqueControlRef *allNext;
    HIControlKind kind;
    WindowRef owner;
    OpaqueControlRef *parent, *firstChild, *nextSibling; /* subcontrols in order */
    Rect bounds;
    SInt32 value; /* a check box's 0 or 1 (no mixed state), the others' 0 */
    Boolean visible, enabled;
    ControlID id;
    UInt32 commandID;
    SRefCon refCon;
    OpaqueEventTargetRef target;
    UInt32 features;
    /* the text: an edit or static text's content, a check box's title */
    HIText text;
    SInt16 selStart, selEnd;
    ControlKeyFilterUPP keyFilter;
};

struct OpaqueWindowPtr {
    OpaqueWindowPtr *allNext;
    Rect contentBounds;
    ControlRef root;
    ControlRef focus;
};

/* Allocation: zero-filled records through the layer's allocator */
template <class T> T *HIAllocate() {
    void *p = CFStandInAllocate(sizeof(T));
    if (p != NULL)
        memset(p, 0, sizeof(T));
    return static_cast<T *>(p);
}

/* The live records of one kind: a list threaded through their allNext,
 * which every reference handed in is looked up on. */
template <class T> struct HILiveList {
    T *head = nullptr;
    CFIndex count = 0;

    void add(T *item) {
        item->allNext = head;
        head = item;
        count++;
    }
    void remove(T *item) {
        for (T **p = &head; *p != nullptr; p = &(*p)->allNext)
            if (*p == item) {
                *p = item->allNext;
                count--;
                return;
            }
    }
    bool contains(const void *item) const {
        for (T *p = head; p != nullptr && item != nullptr; p = p->allNext)
            if (p == item)
                return true;
        return false;
    }
};

/* The live lists (the counts are the host's leak checks) */
inline HILiveList<OpaqueWindowPtr> gHIWindows;
inline HILiveList<OpaqueControlRef> gHIControls;
inline HILiveList<OpaqueEventRef> gHIEvents;
inline HILiveList<OpaqueEventHandlerRef> gHIHandlers;

/* A live CF object of the type: every CF reference from outside is checked so */
inline bool HIIsOfType(CFTypeRef value, CFTypeID type) {
    return value != nullptr && CFStandInIsValidObject(value) && CFGetTypeID(value) == type;
}
inline bool HIIsString(CFTypeRef value) {
    return HIIsOfType(value, CFStringGetTypeID());
}

/* Targets and dispatch (CarbonEvents.cpp) */
void HITargetRemoveAllHandlers(OpaqueEventTargetRef *target);
/* Sends a command-process event with the command to target: the target's
 * handlers run newest first, then its standard handler; an event no handler
 * of a control handles goes on to its embedder, up to the root control. */
OSStatus HISendCommand(EventTargetRef target, UInt32 commandID, UInt32 attributes);

/* Controls (Controls.cpp) */
/* A new control in the window's root (NULL when memory runs out) */
ControlRef HIControlCreate(HIControlKind kind, WindowRef window, const Rect *bounds);
void HIControlDestroy(ControlRef control);
/* Visible and enabled, with all its embedders */
bool HIControlIsUsable(ControlRef control);
/* Pre-order successor of control in the tree under top (skipping the
 * control's own subtree when asked), or NULL */
ControlRef HIControlNextInTree(ControlRef control, ControlRef top, bool skipChildren = false);

/* Text buffers and edit text (EditText.cpp) */
void HITextFree(HIText *text);
bool HITextSetString(HIText *text, CFStringRef string);
CFStringRef HITextCopyString(const HIText *text);
/* A control's standard handler of a command: an edit text's paste, copy,
 * cut and select all; eventNotHandledErr for anything else */
OSStatus HIStandardHandler(ControlRef control, UInt32 commandID);

/* Windows and focus (MacWindows.cpp) */
/* Clears the window's focus if the focused control can no longer hold it
 * (hidden, disabled, disposed or moved to another window). */
void HIFocusRevalidate(WindowRef window);
/* Tab: the focus moves to the next field that can take it */
OSStatus HIWindowTabFocus(WindowRef window);

/* Clipboard (Scrap.cpp; HIStandInSetClipboardText sets it) */
CFStringRef HIScrapCopyText(void);

/* Alerts and beeps (Dialogs.cpp) */
/* The texts of the alert being run, while it is up (for drawing); the
 * explanation may be NULL. */
bool HIAlertGetShown(CFStringRef *message, CFStringRef *explanation);

#endif /* HIINTERNAL_H */
