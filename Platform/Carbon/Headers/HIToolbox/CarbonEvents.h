/*
 * CarbonEvents.h
 *
 * The Carbon Event Manager: events and their parameters, event targets
 * with handler stacks, handler routines and propagation, and the command
 * event class (HICommand), the one class the toolbox sends here.
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

typedef OSType EventParamName;
typedef OSType EventParamType;

struct EventTypeSpec {
    UInt32 eventClass;
    UInt32 eventKind;
};
typedef struct EventTypeSpec EventTypeSpec;

/* Event classes and kinds */
enum { kEventClassCommand = 0x636D6473 /* 'cmds' */ };
enum { kEventCommandProcess = 1 };

/* Parameter names */
enum { kEventParamDirectObject = 0x2D2D2D2D /* '----' */ };

/* Parameter types */
enum { typeWildCard = 0x2A2A2A2A /* '****' */, typeHICommand = 0x68636D64 /* 'hcmd' */ };

/* Commands */
enum {
    kHICommandCut = 0x63757420 /* 'cut ' */,
    kHICommandCopy = 0x636F7079 /* 'copy' */,
    kHICommandPaste = 0x70617374 /* 'past' */,
    kHICommandSelectAll = 0x73616C6C /* 'sall' */
};

/* HICommand attributes: where the command came from */
enum { kHICommandFromMenu = 1L << 0, kHICommandFromControl = 1L << 1 };

struct HICommand {
    UInt32 attributes;
    UInt32 commandID;
    struct {
        MenuRef menuRef;
        MenuItemIndex menuItemIndex;
    } menu;
};
typedef struct HICommand HICommand;

/* Handler routines. On Mach-O a UPP is the routine itself. */
typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                        void *inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;
EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine);
void DisposeEventHandlerUPP(EventHandlerUPP userUPP);

/* Events */
/* Copies at most inBufferSize bytes; no coercion (typeWildCard takes any
 * type). A command event's one parameter is its HICommand. */
OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType *outActualType, ByteCount inBufferSize,
                           ByteCount *outActualSize, void *outData);

/* Targets and handlers */
EventTargetRef GetControlEventTarget(ControlRef inControl);
OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler,
                             ItemCount inNumTypes, const EventTypeSpec *inList, void *inUserData,
                             EventHandlerRef *outRef);

/* From within a handler: runs the rest of the handler chain for the event,
 * including the propagation to the containing targets, and returns its result. */
OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent);

#ifdef __cplusplus
}
#endif

#endif /* __CARBONEVENTS__ */
