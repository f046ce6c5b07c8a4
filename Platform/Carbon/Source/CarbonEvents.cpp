/*
 * CarbonEvents.cpp
 *
 * The Carbon Event Manager: the command events the toolbox sends, handler
 * routines, the handler stack of each control's target, and dispatch. A
 * target's handlers run newest first; after them runs the target's standard
 * handler (the built-in behaviour of an edit text); an event that is still
 * not handled (eventNotHandledErr) passes from a control to its embedder, up
 * to the root control. CallNextEventHandler runs the rest of that chain
 * from inside a handler.
 */
#include "HIInternal.h"

namespace {

OpaqueEventHandlerCallRef *gCalls = nullptr; /* the running handlers, innermost first */

/* Whether the handler takes the events sent here: command-process events */
bool TakesCommands(EventHandlerRef handler) {
    for (ItemCount i = 0; i < handler->numTypes; i++)
        if (handler->types[i].eventClass == kEventClassCommand &&
            handler->types[i].eventKind == kEventCommandProcess)
            return true;
    return false;
}

/* A live control's target */
bool IsTarget(EventTargetRef target) {
    for (OpaqueControlRef *c = gHIControls.head; c != nullptr; c = c->allNext)
        if (&c->target == target)
            return true;
    return false;
}

bool HandlerIsOn(EventHandlerRef handler, EventTargetRef target) {
    return IsTarget(target) && gHIHandlers.contains(handler) && handler->target == target;
}

/* Runs the chain for event from target: the handlers after `after` (all of
 * them when it is NULL), the standard handler, then the same on each
 * containing target while the event stays unhandled. Handlers leave only
 * with their target (DisposeWindow). */
OSStatus Dispatch(EventRef event, EventTargetRef target, EventHandlerRef after) {
    while (target != nullptr) {
        for (EventHandlerRef handler = after != nullptr ? after->next : target->first;
             handler != nullptr; handler = handler->next) {
            if (!TakesCommands(handler))
                continue;
            OpaqueEventHandlerCallRef call = {gCalls, target, handler, false};
            gCalls = &call;
            OSStatus status = handler->proc(&call, event, handler->userData);
            gCalls = call.outer;
            if (call.consumed || status != eventNotHandledErr || !HandlerIsOn(handler, target))
                return status; /* handled, or the handler disposed of its own target */
        }
        after = nullptr;
        OSStatus status = HIStandardHandler(target->control, event->command.commandID);
        if (status != eventNotHandledErr || !IsTarget(target))
            return status;
        ControlRef embedder = target->control->parent;
        target = embedder != nullptr ? &embedder->target : nullptr;
    }
    return eventNotHandledErr;
}

} // namespace

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine) {
    return userRoutine;
}
void DisposeEventHandlerUPP(EventHandlerUPP) {}

OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType *outActualType, ByteCount inBufferSize,
                           ByteCount *outActualSize, void *outData) {
    if (!gHIEvents.contains(inEvent))
        return paramErr;
    if (inName != kEventParamDirectObject)
        return eventParameterNotFoundErr;
    if (inDesiredType != typeWildCard && inDesiredType != typeHICommand)
        return errAECoercionFail;
    if (outActualType != nullptr)
        *outActualType = typeHICommand;
    if (outActualSize != nullptr)
        *outActualSize = sizeof(HICommand);
    if (outData != nullptr)
        memcpy(outData, &inEvent->command,
               inBufferSize < sizeof(HICommand) ? inBufferSize : sizeof(HICommand));
    return noErr;
}

void HITargetRemoveAllHandlers(OpaqueEventTargetRef *target) {
    while (EventHandlerRef handler = target->first) {
        target->first = handler->next;
        gHIHandlers.remove(handler);
        CFStandInDeallocate(handler);
    }
}

EventTargetRef GetControlEventTarget(ControlRef inControl) {
    return gHIControls.contains(inControl) ? &inControl->target : nullptr;
}

OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler,
                             ItemCount inNumTypes, const EventTypeSpec *inList, void *inUserData,
                             EventHandlerRef *outRef) {
    if (outRef != nullptr)
        *outRef = nullptr;
    if (!IsTarget(inTarget) || inHandler == nullptr || (inNumTypes > 0 && inList == nullptr))
        return paramErr;
    /* one block: the record, then its copy of the event types */
    size_t typesSize = inNumTypes * sizeof(EventTypeSpec);
    auto handler =
        static_cast<EventHandlerRef>(CFStandInAllocate(sizeof(OpaqueEventHandlerRef) + typesSize));
    if (handler == nullptr)
        return memFullErr;
    handler->types = reinterpret_cast<EventTypeSpec *>(handler + 1);
    if (typesSize > 0)
        memcpy(handler->types, inList, typesSize);
    handler->numTypes = inNumTypes;
    handler->target = inTarget;
    handler->proc = inHandler;
    handler->userData = inUserData;
    handler->next = inTarget->first;
    inTarget->first = handler;
    gHIHandlers.add(handler);
    if (outRef != nullptr)
        *outRef = handler;
    return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef inCallRef, EventRef inEvent) {
    OpaqueEventHandlerCallRef *call = gCalls;
    while (call != nullptr && call != inCallRef)
        call = call->outer;
    if (call == nullptr || !gHIEvents.contains(inEvent))
        return paramErr;
    if (call->consumed)
        return eventNotHandledErr; /* the rest of the chain has already run */
    call->consumed = true;
    if (!HandlerIsOn(call->handler, call->target))
        return eventNotHandledErr;
    return Dispatch(inEvent, call->target, call->handler);
}

OSStatus HISendCommand(EventTargetRef target, UInt32 commandID, UInt32 attributes) {
    if (!IsTarget(target))
        return paramErr;
    EventRef event = HIAllocate<OpaqueEventRef>();
    if (event == nullptr)
        return memFullErr;
    event->command.attributes = attributes;
    event->command.commandID = commandID;
    gHIEvents.add(event);
    OSStatus status = Dispatch(event, target, nullptr);
    gHIEvents.remove(event);
    CFStandInDeallocate(event);
    return status;
}

CFIndex HIStandInGetLiveEventCount(void) {
    return gHIEvents.count;
}
CFIndex HIStandInGetLiveHandlerCount(void) {
    return gHIHandlers.count;
}
