/*
 * HIInternal.h
 *
 * The toolbox's internal records: windows, controls, events, event targets
 * and handlers, nibs and alerts. Every live record sits on a list of its
 * kind, and every reference handed in by a caller is looked up on that list
 * before it is used, so a stale or wrong-typed reference yields an error
 * status instead of a crash.
 */
#ifndef HIINTERNAL_H
#define HIINTERNAL_H

#include <Carbon/Carbon.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <string.h>

enum class HITargetKind { Application, Window, Control };

struct OpaqueEventTargetRef {
    HITargetKind kind;
    void *owner;                  /* the WindowRef or ControlRef; NULL for the application */
    OpaqueEventHandlerRef *first; /* the most recently installed handler first */
};

struct OpaqueEventHandlerRef {
    OpaqueEventHandlerRef *next, *prev;       /* on the target */
    OpaqueEventHandlerRef *allNext, *allPrev; /* every live handler */
    EventTargetRef target;
    EventHandlerUPP proc;
    void *userData;
    EventTypeSpec *types;
    ItemCount numTypes;
};

struct HIEventParam {
    HIEventParam *next;
    EventParamName name;
    EventParamType type;
    ByteCount size;
    UInt8 *data;
};

struct OpaqueEventRef {
    OpaqueEventRef *allNext, *allPrev;
    UInt32 eventClass;
    UInt32 kind;
    EventTime when;
    EventAttributes attributes;
    ItemCount retainCount;
    HIEventParam *params;
};

/* One running handler: the position in the chain from which
 * CallNextEventHandler goes on. Lives on the C stack of the dispatcher. */
struct OpaqueEventHandlerCallRef {
    OpaqueEventHandlerCallRef *outer;
    EventRef event;
    EventTargetRef target;
    EventHandlerRef handler;
    Boolean consumed; /* CallNextEventHandler has run the rest of the chain */
};

enum class HIControlKind { Root, UserPane, EditText, Password, CheckBox, StaticText, PushButton };

/* A UTF-16 text buffer */
struct HIText {
    UniChar *chars;
    CFIndex length;
    CFIndex capacity;
};

/* Calls that a test can make fail for one control (HIStandInSetControlCallFailure) */
enum HIFailingCall {
    kHIFailSetControlVisibility,
    kHIFailEmbedControl,
    kHIFailSetControlData,
    kHIFailGetControlData,
    kHIFailSetKeyboardFocus,
    kHIFailingCallCount
};

struct OpaqueControlRef {
    OpaqueControlRef *allNext, *allPrev;
    HIControlKind kind;
    WindowRef owner;
    OpaqueControlRef *parent, *firstChild, *lastChild, *prevSibling, *nextSibling;
    UInt16 childCount;
    Rect bounds;
    SInt32 value, minimum, maximum;
    Boolean visible, enabled, active;
    ControlID id;
    UInt32 commandID;
    SRefCon refCon;
    CFStringRef title; /* buttons and check boxes; NULL means empty */
    OpaqueEventTargetRef target;
    UInt32 features;
    Boolean autoToggle;
    Boolean isDefault, isCancel;
    /* text controls (edit text, password, static text) */
    HIText text;
    SInt16 selStart, selEnd;
    ControlKeyFilterUPP keyFilter;
    Boolean locked;
    /* injected failures, noErr where none */
    OSStatus failure[kHIFailingCallCount];
};

struct OpaqueWindowPtr {
    OpaqueWindowPtr *allNext, *allPrev;
    WindowClass windowClass;
    WindowAttributes attributes;
    Rect contentBounds;
    Boolean visible;
    CFStringRef title;
    long refCon;
    ControlRef root;
    ControlRef focus;
    OpaqueEventTargetRef target;
};

/* Allocation: zero-filled records through the layer's allocator */
template <class T> T *HIAllocate() {
    void *p = CFStandInAllocate(sizeof(T));
    if (p != NULL)
        memset(p, 0, sizeof(T));
    return static_cast<T *>(p);
}

/* Validation (HIObjects.cpp) */
bool HIIsWindow(WindowRef window);
bool HIIsControl(ControlRef control);
bool HIIsEvent(EventRef event);
bool HIIsHandler(EventHandlerRef handler);
bool HIIsTarget(EventTargetRef target);
void HIWindowListAdd(WindowRef window);
void HIWindowListRemove(WindowRef window);
void HIControlListAdd(ControlRef control);
void HIControlListRemove(ControlRef control);
void HIEventListAdd(EventRef event);
void HIEventListRemove(EventRef event);
void HIHandlerListAdd(EventHandlerRef handler);
void HIHandlerListRemove(EventHandlerRef handler);
/* A control of window without an embedder, or NULL */
ControlRef HIFindTopLevelControl(WindowRef window);
CFIndex HIWindowCount(void);
CFIndex HIControlCount(void);
CFIndex HIEventCount(void);
CFIndex HIHandlerCount(void);

/* Targets and dispatch (CarbonEvents.cpp) */
void HITargetInit(OpaqueEventTargetRef *target, HITargetKind kind, void *owner);
void HITargetRemoveAllHandlers(OpaqueEventTargetRef *target);
EventTargetRef HIParentTarget(EventTargetRef target);
/* Sends a command-process event with an HICommandExtended to target. */
OSStatus HISendCommand(EventTargetRef target, UInt32 commandID, UInt32 attributes,
                       ControlRef sourceControl);

/* Controls (Controls.cpp) */
ControlRef HIControlCreate(HIControlKind kind, WindowRef window, const Rect *bounds,
                           OSStatus *status);
void HIControlDestroy(ControlRef control);
bool HIControlIsEmbedder(ControlRef control);
bool HIControlLatentlyVisible(ControlRef control);
bool HIControlLatentlyEnabled(ControlRef control);
bool HIControlLatentlyActive(ControlRef control);
bool HIControlIsInSubtree(ControlRef control, ControlRef subtreeRoot);
/* Pre-order successor of control in the tree under top, or NULL */
ControlRef HIControlNextInTree(ControlRef control, ControlRef top);
/* The standard behaviour of a control for an event; eventNotHandledErr when none. */
OSStatus HIControlStandardHandler(ControlRef control, EventRef event);

/* Text buffers and edit text (EditText.cpp) */
bool HIIsString(CFTypeRef value);
void HITextFree(HIText *text);
bool HITextReplace(HIText *text, CFIndex start, CFIndex end, const UniChar *chars, CFIndex count);
bool HITextSetString(HIText *text, CFStringRef string);
CFStringRef HITextCopyString(const HIText *text);
bool HIControlHasText(ControlRef control);
bool HIControlIsEditText(ControlRef control);
/* Replaces the selection with string; the caret ends after it. */
OSStatus HIEditTextInsert(ControlRef control, CFStringRef string);
OSStatus HIEditTextStandardHandler(ControlRef control, EventRef event);

/* Windows and focus (MacWindows.cpp, KeyboardFocus.cpp) */
WindowRef HIActiveWindow(void);
void HISetActiveWindow(WindowRef window);
void HIWindowForget(WindowRef window);
/* Clears the window's focus if the focused control can no longer hold it
 * (hidden, disabled, inactive, disposed or moved to another window). */
void HIFocusRevalidate(WindowRef window);
bool HIControlCanTakeFocus(ControlRef control);
OSStatus HIWindowStandardHandler(WindowRef window, EventRef event);

/* Clipboard (Scrap.cpp) */
CFStringRef HIScrapCopyText(void);
OSStatus HIScrapSetText(CFStringRef text);

/* Observation (Observer.cpp) */
DialogItemIndex HIObserverAlert(AlertType type, CFStringRef message, CFStringRef explanation,
                                DialogItemIndex defaultButton);

#endif /* HIINTERNAL_H */
