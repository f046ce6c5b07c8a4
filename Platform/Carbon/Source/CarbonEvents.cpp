/*
 * CarbonEvents.cpp
 *
 * The Carbon Event Manager: events and their typed parameters, handler
 * routines, the handler stack of each target, and dispatch. A target's
 * handlers run newest first; after them runs the target's standard handler
 * (the built-in behaviour of an edit text or window); an event that is still
 * not handled (eventNotHandledErr) passes from a control to its embedder, up
 * to the window and then the application. CallNextEventHandler runs the rest
 * of that chain from inside a handler.
 */
#include "HIInternal.h"

namespace {

OpaqueEventHandlerCallRef *gCalls = nullptr; /* the running handlers, innermost first */

HIEventParam *FindParam(EventRef event, EventParamName name) {
    for (ItemCount i = 0; i < event->paramCount; i++)
        if (event->params[i].name == name)
            return &event->params[i];
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
    return gHIHandlers.contains(handler) && handler->target == target;
}

EventTargetRef ParentTarget(EventTargetRef target) {
    switch (target->kind) {
    case HITargetKind::Control: {
        ControlRef control = static_cast<ControlRef>(target->owner);
        return control->parent != nullptr ? &control->parent->target : &control->owner->target;
    }
    case HITargetKind::Window:
        return &gHIApplicationTarget;
    case HITargetKind::Application:
        break;
    }
    return nullptr;
}

OSStatus StandardHandler(EventTargetRef target, EventRef event) {
    switch (target->kind) {
    case HITargetKind::Control:
        if (HIControlIsEditText(static_cast<ControlRef>(target->owner)))
            return HIEditTextStandardHandler(static_cast<ControlRef>(target->owner), event);
        break;
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
        target = ParentTarget(target);
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
    gHIHandlers.add(handler, false);
    CFStandInDeallocate(handler->types);
    CFStandInDeallocate(handler);
}

} // namespace

OpaqueEventTargetRef gHIApplicationTarget = {HITargetKind::Application, nullptr, nullptr};

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine) {
    return userRoutine;
}
void DisposeEventHandlerUPP(EventHandlerUPP) {}

OSStatus HIEventCreate(UInt32 inClassID, UInt32 inKind, EventRef *outEvent) {
    *outEvent = nullptr;
    EventRef event = HIAllocate<OpaqueEventRef>();
    if (event == nullptr)
        return memFullErr;
    event->eventClass = inClassID;
    event->kind = inKind;
    gHIEvents.add(event, true);
    *outEvent = event;
    return noErr;
}

void HIEventRelease(EventRef inEvent) {
    gHIEvents.add(inEvent, false);
    CFStandInDeallocate(inEvent);
}

OSStatus HISetEventParameter(EventRef event, EventParamName name, EventParamType type,
                             ByteCount size, const void *data) {
    if (size > sizeof(HIEventParam::data))
        return paramErr; /* the toolbox's own parameters are smaller */
    HIEventParam *param = FindParam(event, name);
    if (param == nullptr && event->paramCount < kHIMaxEventParams)
        param = &event->params[event->paramCount++];
    if (param == nullptr)
        return paramErr;
    param->name = name;
    param->type = type;
    param->size = size;
    memcpy(param->data, data, size);
    return noErr;
}

OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType *outActualType, ByteCount inBufferSize,
                           ByteCount *outActualSize, void *outData) {
    if (!gHIEvents.contains(inEvent))
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

void HITargetInit(OpaqueEventTargetRef *target, HITargetKind kind, void *owner) {
    target->kind = kind;
    target->owner = owner;
    target->first = nullptr;
}

void HITargetRemoveAllHandlers(OpaqueEventTargetRef *target) {
    while (target->first != nullptr)
        FreeHandler(target->first);
}

EventTargetRef GetControlEventTarget(ControlRef inControl) {
    return gHIControls.contains(inControl) ? &inControl->target : nullptr;
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
    gHIHandlers.add(handler, true);
    if (outRef != nullptr)
        *outRef = handler;
    return noErr;
}

OSStatus HISendEvent(EventRef inEvent, EventTargetRef inTarget) {
    if (!gHIEvents.contains(inEvent) || !HIIsTarget(inTarget))
        return paramErr;
    return Dispatch(inEvent, inTarget, nullptr, false);
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
    if (!HIIsTarget(call->target))
        return eventNotHandledErr;
    if (HandlerIsOn(call->handler, call->target))
        return Dispatch(inEvent, call->target, call->handler, false);
    return Dispatch(inEvent, call->target, nullptr, true);
}

OSStatus HISendCommand(EventTargetRef target, UInt32 commandID, UInt32 attributes,
                       ControlRef sourceControl) {
    EventRef event = nullptr;
    OSStatus status = HIEventCreate(kEventClassCommand, kEventCommandProcess, &event);
    if (status != noErr)
        return status;
    HICommandExtended command = {attributes, commandID, {}};
    command.source.control = sourceControl;
    status = HISetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof(command),
                                 &command);
    if (status == noErr)
        status = HISendEvent(event, target);
    HIEventRelease(event);
    return status;
}
