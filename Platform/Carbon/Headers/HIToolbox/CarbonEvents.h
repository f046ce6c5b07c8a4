/*
 * CarbonEvents.h
 *
 * The Carbon Event Manager: events with typed parameters, event targets
 * with handler stacks, handler routines, sending and propagation, and the
 * command (HICommand) and keyboard event classes.
 */
#ifndef __CARBONEVENTS__
#define __CARBONEVENTS__

#include <CoreFoundation/CoreFoundation.h>
#include <CarbonCore/MacErrors.h>
#include <HIToolbox/Events.h>
#include <HIToolbox/Menus.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaqueEventRef *EventRef;
typedef struct OpaqueEventHandlerRef *EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef *EventHandlerCallRef;
typedef struct OpaqueEventTargetRef *EventTargetRef;
typedef struct OpaqueControlRef *ControlRef;
typedef struct OpaqueWindowPtr *WindowRef;

typedef double EventTime;
typedef EventTime EventTimeout;
typedef EventTime EventTimerInterval;
typedef UInt32 EventAttributes;
typedef OSType EventParamName;
typedef OSType EventParamType;
typedef SInt16 EventPriority;

#define kEventDurationSecond ((EventTime)1.0)
#define kEventDurationMillisecond ((EventTime)(kEventDurationSecond / 1000))
#define kEventDurationNoWait ((EventTime)0.0)
#define kEventDurationForever ((EventTime)(-1.0))

enum {
    kEventAttributeNone = 0,
    kEventAttributeUserEvent = 1 << 0,
    kEventAttributeMonitored = 1 << 3
};

enum { kEventPriorityLow = 0, kEventPriorityStandard = 1, kEventPriorityHigh = 2 };

struct EventTypeSpec {
    UInt32 eventClass;
    UInt32 eventKind;
};
typedef struct EventTypeSpec EventTypeSpec;

/* Event classes */
enum {
    kEventClassMouse = 0x6D6F7573 /* 'mous' */,
    kEventClassKeyboard = 0x6B657962 /* 'keyb' */,
    kEventClassTextInput = 0x74657874 /* 'text' */,
    kEventClassApplication = 0x6170706C /* 'appl' */,
    kEventClassMenu = 0x6D656E75 /* 'menu' */,
    kEventClassWindow = 0x77696E64 /* 'wind' */,
    kEventClassControl = 0x636E746C /* 'cntl' */,
    kEventClassCommand = 0x636D6473 /* 'cmds' */
};

/* kEventClassKeyboard */
enum {
    kEventRawKeyDown = 1,
    kEventRawKeyRepeat = 2,
    kEventRawKeyUp = 3,
    kEventRawKeyModifiersChanged = 4
};

/* kEventClassTextInput */
enum { kEventTextInputUnicodeForKeyEvent = 2 };

/* kEventClassCommand */
enum { kEventProcessCommand = 1, kEventCommandProcess = 1, kEventCommandUpdateStatus = 2 };

/* kEventClassControl */
enum {
    kEventControlHit = 1,
    kEventControlDispose = 1000,
    kEventControlSetFocusPart = 7,
    kEventControlValueFieldChanged = 151
};

/* kEventClassWindow */
enum { kEventWindowClose = 72, kEventWindowClosed = 73 };

/* Parameter names */
enum {
    kEventParamDirectObject = 0x2D2D2D2D /* '----' */,
    kEventParamPostTarget = 0x70747267 /* 'ptrg' */,
    kEventParamControlRef = 0x6374726C /* 'ctrl' */,
    kEventParamWindowRef = 0x77696E64 /* 'wind' */,
    kEventParamControlPart = 0x63707274 /* 'cprt' */,
    kEventParamKeyCode = 0x6B636F64 /* 'kcod' */,
    kEventParamKeyMacCharCodes = 0x6B636872 /* 'kchr' */,
    kEventParamKeyModifiers = 0x6B6D6F64 /* 'kmod' */,
    kEventParamKeyUnicodes = 0x6B756E69 /* 'kuni' */,
    kEventParamKeyboardType = 0x6B626474 /* 'kbdt' */,
    kEventParamTextInputSendText = 0x74737478 /* 'tstx' */,
    kEventParamTextInputSendKeyboardEvent = 0x74736B65 /* 'tske' */
};

/* Parameter types */
enum {
    typeWildCard = 0x2A2A2A2A /* '****' */,
    typeBoolean = 0x626F6F6C /* 'bool' */,
    typeChar = 0x54455854 /* 'TEXT' */,
    typeSInt16 = 0x73686F72 /* 'shor' */,
    typeSInt32 = 0x6C6F6E67 /* 'long' */,
    typeUInt32 = 0x6D61676E /* 'magn' */,
    typeSInt64 = 0x636F6D70 /* 'comp' */,
    typeUInt64 = 0x75636F6D /* 'ucom' */,
    typeUnicodeText = 0x75747874 /* 'utxt' */,
    typeCFStringRef = 0x63667374 /* 'cfst' */,
    typeHICommand = 0x68636D64 /* 'hcmd' */,
    typeControlRef = 0x6374726C /* 'ctrl' */,
    typeWindowRef = 0x77696E64 /* 'wind' */,
    typeControlPartCode = 0x63707274 /* 'cprt' */,
    typeEventRef = 0x65767266 /* 'evrf' */,
    typeEventTargetRef = 0x65747267 /* 'etrg' */,
    typeVoidPtr = 0x766F6964 /* 'void' */
};

/* Commands */
enum {
    kHICommandOK = 0x6F6B2020 /* 'ok  ' */,
    kHICommandCancel = 0x6E6F7421 /* 'not!' */,
    kHICommandQuit = 0x71756974 /* 'quit' */,
    kHICommandUndo = 0x756E646F /* 'undo' */,
    kHICommandRedo = 0x7265646F /* 'redo' */,
    kHICommandCut = 0x63757420 /* 'cut ' */,
    kHICommandCopy = 0x636F7079 /* 'copy' */,
    kHICommandPaste = 0x70617374 /* 'past' */,
    kHICommandClear = 0x636C6561 /* 'clea' */,
    kHICommandSelectAll = 0x73616C6C /* 'sall' */,
    kHICommandClose = 0x636C6F73 /* 'clos' */
};

/* HICommand attributes: where the command came from */
enum {
    kHICommandFromMenu = 1L << 0,
    kHICommandFromControl = 1L << 1,
    kHICommandFromWindow = 1L << 2
};

struct HICommand {
    UInt32 attributes;
    UInt32 commandID;
    struct {
        MenuRef menuRef;
        MenuItemIndex menuItemIndex;
    } menu;
};
typedef struct HICommand HICommand;

struct HICommandExtended {
    UInt32 attributes;
    UInt32 commandID;
    union {
        ControlRef control;
        WindowRef window;
        struct {
            MenuRef menuRef;
            MenuItemIndex menuItemIndex;
        } menu;
    } source;
};
typedef struct HICommandExtended HICommandExtended;

/* Handler routines. On Mach-O a UPP is the routine itself. */
typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                        void *inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine);
void DisposeEventHandlerUPP(EventHandlerUPP userUPP);
OSStatus InvokeEventHandlerUPP(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                               void *inUserData, EventHandlerUPP userUPP);

/* Events */
OSStatus CreateEvent(CFAllocatorRef inAllocator, UInt32 inClassID, UInt32 inKind, EventTime inWhen,
                     EventAttributes inAttributes, EventRef *outEvent);
EventRef CopyEvent(EventRef inOther);
EventRef RetainEvent(EventRef inEvent);
ItemCount GetEventRetainCount(EventRef inEvent);
void ReleaseEvent(EventRef inEvent);
UInt32 GetEventClass(EventRef inEvent);
UInt32 GetEventKind(EventRef inEvent);
EventTime GetEventTime(EventRef inEvent);
EventTime GetCurrentEventTime(void);
OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType,
                           ByteCount inSize, const void *inDataPtr);
OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType *outActualType, ByteCount inBufferSize,
                           ByteCount *outActualSize, void *outData);

/* Targets and handlers */
EventTargetRef GetApplicationEventTarget(void);
EventTargetRef GetWindowEventTarget(WindowRef inWindow);
EventTargetRef GetControlEventTarget(ControlRef inControl);
EventTargetRef GetUserFocusEventTarget(void);

OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler,
                             ItemCount inNumTypes, const EventTypeSpec *inList, void *inUserData,
                             EventHandlerRef *outRef);
OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef);
OSStatus AddEventTypesToHandler(EventHandlerRef inHandlerRef, ItemCount inNumTypes,
                                const EventTypeSpec *inList);
OSStatus RemoveEventTypesFromHandler(EventHandlerRef inHandlerRef, ItemCount inNumTypes,
                                     const EventTypeSpec *inList);

#define InstallApplicationEventHandler(h, n, l, u, r)                                              \
    InstallEventHandler(GetApplicationEventTarget(), (h), (n), (l), (u), (r))
#define InstallWindowEventHandler(t, h, n, l, u, r)                                                \
    InstallEventHandler(GetWindowEventTarget(t), (h), (n), (l), (u), (r))
#define InstallControlEventHandler(t, h, n, l, u, r)                                               \
    InstallEventHandler(GetControlEventTarget(t), (h), (n), (l), (u), (r))

/* Sends inEvent to inTarget: the target's handlers run newest first, then the
 * target's standard handler; an event that no handler of a control handles
 * (eventNotHandledErr) passes on to its embedder, up to the window and the
 * application. */
OSStatus SendEventToEventTarget(EventRef inEvent, EventTargetRef inTarget);
/* From within a handler: runs the rest of the handler chain for the event,
 * including the propagation to the containing targets, and returns its result. */
OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent);

/* Sends a kEventCommandProcess for inCommand to the user focus target. */
OSStatus ProcessHICommand(const HICommand *inCommand);

#ifdef __cplusplus
}
#endif

#endif /* __CARBONEVENTS__ */
