/*
 * CarbonEvents.cpp
 *
 * The Carbon Event Manager: events and their typed parameters, handler
 * routines, the handler stack of each target, and dispatch. A target's
 * handlers run newest first; after them runs the target's standard handler
 * (the built-in behaviour of a control or window); an event that is still
 * not handled (eventNotHandledErr) passes from a control to its embedder, up
 * to the window and then the application. CallNextEventHandler runs the rest
 * of that chain from inside a handler.
 */
#include "HIInternal.h"

#include <time.h>

namespace {

OpaqueEventTargetRef gApplicationTarget = {HITargetKind::Application, nullptr, nullptr};
OpaqueEventHandlerCallRef *gCalls = nullptr; /* the running handlers, innermost first */

void FreeParams(EventRef event) {
    HIEventParam *p = event->params;
    while (p != nullptr) {
        HIEventParam *next = p->next;
        CFStandInDeallocate(p->data);
        CFStandInDeallocate(p);
        p = next;
    }
    event->params = nullptr;
}

HIEventParam *FindParam(EventRef event, EventParamName name) {
    for (HIEventParam *p = event->params; p != nullptr; p = p->next)
        if (p->name == name)
            return p;
    return nullptr;
}

bool Matches(EventHandlerRef handler, EventRef event) {
    for (ItemCount i = 0; i < handler->numTypes; i++)
        if (handler->types[i].eventClass == event->eventClass &&
            handler->types[i].eventKind == event->kind)
            return true;
    return false;
}

bool HandlerIsOn(EventHandlerRef handler, EventTargetRef target) {
    return HIIsHandler(handler) && handler->target == target;
}

OSStatus StandardHandler(EventTargetRef target, EventRef event) {
    switch (target->kind) {
    case HITargetKind::Control:
        return HIControlStandardHandler(static_cast<ControlRef>(target->owner), event);
    case HITargetKind::Window:
        return HIWindowStandardHandler(static_cast<WindowRef>(target->owner), event);
    case HITargetKind::Application:
        break;
    }
    return eventNotHandledErr;
}

/* Runs the chain for event from target: the handlers after `after` (all of
 * them when it is NULL; none when standardOnly), the standard handler, then
 * the same on each containing target while the event stays unhandled. */
OSStatus Dispatch(EventRef event, EventTargetRef target, EventHandlerRef after, bool standardOnly) {
    while (target != nullptr) {
        if (!standardOnly) {
            EventHandlerRef handler = after != nullptr ? after->next : target->first;
            while (handler != nullptr) {
                if (!Matches(handler, event)) {
                    handler = handler->next;
                    continue;
                }
                OpaqueEventHandlerCallRef call = {gCalls, event, target, handler, false};
                gCalls = &call;
                OSStatus status = handler->proc(&call, event, handler->userData);
                gCalls = call.outer;
                if (call.consumed || status != eventNotHandledErr)
                    return status;
                if (!HIIsTarget(target))
                    return status; /* the handler disposed of its own target */
                if (!HandlerIsOn(handler, target))
                    break; /* it removed itself: only the standard handler is left */
                handler = handler->next;
            }
        }
        after = nullptr;
        standardOnly = false;
        OSStatus status = StandardHandler(target, event);
        if (status != eventNotHandledErr || !HIIsTarget(target))
            return status;
        target = HIParentTarget(target);
    }
    return eventNotHandledErr;
}

void FreeHandler(EventHandlerRef handler) {
    EventTargetRef target = handler->target;
    if (handler->prev != nullptr)
        handler->prev->next = handler->next;
    else
        target->first = handler->next;
    if (handler->next != nullptr)
        handler->next->prev = handler->prev;
    HIHandlerListRemove(handler);
    CFStandInDeallocate(handler->types);
    CFStandInDeallocate(handler);
}

} // namespace

/* ---- Routine references (on Mach-O the routine itself) ------------------ */

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine) {
    return userRoutine;
}
void DisposeEventHandlerUPP(EventHandlerUPP) {}
OSStatus InvokeEventHandlerUPP(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                               void *inUserData, EventHandlerUPP userUPP) {
    if (userUPP == nullptr)
        return paramErr;
    return userUPP(inHandlerCallRef, inEvent, inUserData);
}

/* ---- Events --------------------------------------------------------------- */

EventTime GetCurrentEventTime(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (EventTime)now.tv_sec + (EventTime)now.tv_nsec / 1e9;
}

OSStatus CreateEvent(CFAllocatorRef, UInt32 inClassID, UInt32 inKind, EventTime inWhen,
                     EventAttributes inAttributes, EventRef *outEvent) {
    if (outEvent == nullptr)
        return paramErr;
    *outEvent = nullptr;
    EventRef event = HIAllocate<OpaqueEventRef>();
    if (event == nullptr)
        return memFullErr;
    event->eventClass = inClassID;
    event->kind = inKind;
    event->when = inWhen != 0 ? inWhen : GetCurrentEventTime();
    event->attributes = inAttributes;
    event->retainCount = 1;
    HIEventListAdd(event);
    *outEvent = event;
    return noErr;
}

EventRef CopyEvent(EventRef inOther) {
    if (!HIIsEvent(inOther))
        return nullptr;
    EventRef copy = nullptr;
    if (CreateEvent(nullptr, inOther->eventClass, inOther->kind, inOther->when, inOther->attributes,
                    &copy) != noErr)
        return nullptr;
    for (HIEventParam *p = inOther->params; p != nullptr; p = p->next) {
        if (SetEventParameter(copy, p->name, p->type, p->size, p->data) != noErr) {
            ReleaseEvent(copy);
            return nullptr;
        }
    }
    return copy;
}

EventRef RetainEvent(EventRef inEvent) {
    if (!HIIsEvent(inEvent))
        return nullptr;
    inEvent->retainCount++;
    return inEvent;
}

ItemCount GetEventRetainCount(EventRef inEvent) {
    return HIIsEvent(inEvent) ? inEvent->retainCount : 0;
}

void ReleaseEvent(EventRef inEvent) {
    if (!HIIsEvent(inEvent))
        return;
    if (--inEvent->retainCount > 0)
        return;
    FreeParams(inEvent);
    HIEventListRemove(inEvent);
    CFStandInDeallocate(inEvent);
}

UInt32 GetEventClass(EventRef inEvent) {
    return HIIsEvent(inEvent) ? inEvent->eventClass : 0;
}
UInt32 GetEventKind(EventRef inEvent) {
    return HIIsEvent(inEvent) ? inEvent->kind : 0;
}
EventTime GetEventTime(EventRef inEvent) {
    return HIIsEvent(inEvent) ? inEvent->when : 0;
}

OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType,
                           ByteCount inSize, const void *inDataPtr) {
    if (!HIIsEvent(inEvent) || (inSize > 0 && inDataPtr == nullptr))
        return paramErr;
    UInt8 *data = nullptr;
    if (inSize > 0) {
        data = static_cast<UInt8 *>(CFStandInAllocate(inSize));
        if (data == nullptr)
            return memFullErr;
        memcpy(data, inDataPtr, inSize);
    }
    HIEventParam *param = FindParam(inEvent, inName);
    if (param == nullptr) {
        param = HIAllocate<HIEventParam>();
        if (param == nullptr) {
            CFStandInDeallocate(data);
            return memFullErr;
        }
        param->name = inName;
        param->next = inEvent->params;
        inEvent->params = param;
    } else {
        CFStandInDeallocate(param->data);
    }
    param->type = inType;
    param->size = inSize;
    param->data = data;
    return noErr;
}

OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType *outActualType, ByteCount inBufferSize,
                           ByteCount *outActualSize, void *outData) {
    if (!HIIsEvent(inEvent))
        return paramErr;
    HIEventParam *param = FindParam(inEvent, inName);
    if (param == nullptr)
        return eventParameterNotFoundErr;
    if (inDesiredType != typeWildCard && inDesiredType != param->type)
        return errAECoercionFail;
    if (outActualType != nullptr)
        *outActualType = param->type;
    if (outActualSize != nullptr)
        *outActualSize = param->size;
    if (outData != nullptr && param->size > 0)
        memcpy(outData, param->data, inBufferSize < param->size ? inBufferSize : param->size);
    return noErr;
}

/* ---- Targets and handlers -------------------------------------------------- */

void HITargetInit(OpaqueEventTargetRef *target, HITargetKind kind, void *owner) {
    target->kind = kind;
    target->owner = owner;
    target->first = nullptr;
}

void HITargetRemoveAllHandlers(OpaqueEventTargetRef *target) {
    while (target->first != nullptr)
        FreeHandler(target->first);
}

EventTargetRef HIParentTarget(EventTargetRef target) {
    switch (target->kind) {
    case HITargetKind::Control: {
        ControlRef control = static_cast<ControlRef>(target->owner);
        if (control->parent != nullptr)
            return &control->parent->target;
        if (control->owner != nullptr)
            return &control->owner->target;
        return &gApplicationTarget;
    }
    case HITargetKind::Window:
        return &gApplicationTarget;
    case HITargetKind::Application:
        break;
    }
    return nullptr;
}

EventTargetRef GetApplicationEventTarget(void) {
    return &gApplicationTarget;
}

EventTargetRef GetWindowEventTarget(WindowRef inWindow) {
    return HIIsWindow(inWindow) ? &inWindow->target : nullptr;
}

EventTargetRef GetControlEventTarget(ControlRef inControl) {
    return HIIsControl(inControl) ? &inControl->target : nullptr;
}

EventTargetRef GetUserFocusEventTarget(void) {
    WindowRef window = HIActiveWindow();
    if (window == nullptr)
        return &gApplicationTarget;
    if (window->focus != nullptr)
        return &window->focus->target;
    return &window->target;
}

OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler,
                             ItemCount inNumTypes, const EventTypeSpec *inList, void *inUserData,
                             EventHandlerRef *outRef) {
    if (outRef != nullptr)
        *outRef = nullptr;
    if (!HIIsTarget(inTarget) || inHandler == nullptr || (inNumTypes > 0 && inList == nullptr))
        return paramErr;
    EventHandlerRef handler = HIAllocate<OpaqueEventHandlerRef>();
    if (handler == nullptr)
        return memFullErr;
    if (inNumTypes > 0) {
        handler->types =
            static_cast<EventTypeSpec *>(CFStandInAllocate(inNumTypes * sizeof(EventTypeSpec)));
        if (handler->types == nullptr) {
            CFStandInDeallocate(handler);
            return memFullErr;
        }
        memcpy(handler->types, inList, inNumTypes * sizeof(EventTypeSpec));
    }
    handler->numTypes = inNumTypes;
    handler->target = inTarget;
    handler->proc = inHandler;
    handler->userData = inUserData;
    handler->next = inTarget->first;
    if (inTarget->first != nullptr)
        inTarget->first->prev = handler;
    inTarget->first = handler;
    HIHandlerListAdd(handler);
    if (outRef != nullptr)
        *outRef = handler;
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef) {
    if (!HIIsHandler(inHandlerRef))
        return paramErr;
    FreeHandler(inHandlerRef);
    return noErr;
}

OSStatus AddEventTypesToHandler(EventHandlerRef inHandlerRef, ItemCount inNumTypes,
                                const EventTypeSpec *inList) {
    if (!HIIsHandler(inHandlerRef) || (inNumTypes > 0 && inList == nullptr))
        return paramErr;
    if (inNumTypes == 0)
        return noErr;
    ItemCount total = inHandlerRef->numTypes + inNumTypes;
    EventTypeSpec *types =
        static_cast<EventTypeSpec *>(CFStandInAllocate(total * sizeof(EventTypeSpec)));
    if (types == nullptr)
        return memFullErr;
    if (inHandlerRef->numTypes > 0)
        memcpy(types, inHandlerRef->types, inHandlerRef->numTypes * sizeof(EventTypeSpec));
    memcpy(types + inHandlerRef->numTypes, inList, inNumTypes * sizeof(EventTypeSpec));
    CFStandInDeallocate(inHandlerRef->types);
    inHandlerRef->types = types;
    inHandlerRef->numTypes = total;
    return noErr;
}

OSStatus RemoveEventTypesFromHandler(EventHandlerRef inHandlerRef, ItemCount inNumTypes,
                                     const EventTypeSpec *inList) {
    if (!HIIsHandler(inHandlerRef) || (inNumTypes > 0 && inList == nullptr))
        return paramErr;
    ItemCount kept = 0;
    for (ItemCount i = 0; i < inHandlerRef->numTypes; i++) {
        bool removed = false;
        for (ItemCount j = 0; j < inNumTypes && !removed; j++)
            removed = inHandlerRef->types[i].eventClass == inList[j].eventClass &&
                      inHandlerRef->types[i].eventKind == inList[j].eventKind;
        if (!removed)
            inHandlerRef->types[kept++] = inHandlerRef->types[i];
    }
    inHandlerRef->numTypes = kept;
    return noErr;
}

/* ---- Sending --------------------------------------------------------------- */

OSStatus SendEventToEventTarget(EventRef inEvent, EventTargetRef inTarget) {
    if (!HIIsEvent(inEvent) || !HIIsTarget(inTarget))
        return paramErr;
    RetainEvent(inEvent); /* a handler may release the caller's reference */
    OSStatus status = Dispatch(inEvent, inTarget, nullptr, false);
    ReleaseEvent(inEvent);
    return status;
}

OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent) {
    OpaqueEventHandlerCallRef *call = gCalls;
    while (call != nullptr && call != inCallRef)
        call = call->outer;
    if (call == nullptr || !HIIsEvent(inEvent))
        return paramErr;
    if (call->consumed)
        return eventNotHandledErr; /* the rest of the chain has already run */
    call->consumed = true;
    if (!HIIsTarget(call->target))
        return eventNotHandledErr;
    if (HandlerIsOn(call->handler, call->target))
        return Dispatch(inEvent, call->target, call->handler, false);
    return Dispatch(inEvent, call->target, nullptr, true);
}

OSStatus HISendCommand(EventTargetRef target, UInt32 commandID, UInt32 attributes,
                       ControlRef sourceControl) {
    EventRef event = nullptr;
    OSStatus status = CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
    if (status != noErr)
        return status;
    HICommandExtended command;
    memset(&command, 0, sizeof(command));
    command.attributes = attributes;
    command.commandID = commandID;
    command.source.control = sourceControl;
    status =
        SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof(command), &command);
    if (status == noErr)
        status = SendEventToEventTarget(event, target);
    ReleaseEvent(event);
    return status;
}

OSStatus ProcessHICommand(const HICommand *inCommand) {
    if (inCommand == nullptr)
        return paramErr;
    EventRef event = nullptr;
    OSStatus status = CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
    if (status != noErr)
        return status;
    status = SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof(HICommand),
                               inCommand);
    if (status == noErr)
        status = SendEventToEventTarget(event, GetUserFocusEventTarget());
    ReleaseEvent(event);
    return status;
}
