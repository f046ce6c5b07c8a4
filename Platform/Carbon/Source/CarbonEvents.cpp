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
    return HIIsTarget(target) && gHIHandlers.contains(handler) && handler->target == target;
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
 * them when it is NULL), the standard handler, then the same on each
 * containing target while the event stays unhandled. Handlers leave only
 * with their target (DisposeWindow). */
OSStatus Dispatch(EventRef event, EventTargetRef target, EventHandlerRef after) {
    while (target != nullptr) {
        for (EventHandlerRef handler = after != nullptr ? after->next : target->first;
             handler != nullptr; handler = handler->next) {
            if (!Matches(handler, event))
                continue;
            OpaqueEventHandlerCallRef call = {gCalls, event, target, handler, false};
            gCalls = &call;
            OSStatus status = handler->proc(&call, event, handler->userData);
            gCalls = call.outer;
            if (call.consumed || status != eventNotHandledErr || !HandlerIsOn(handler, target))
                return status; /* handled, or the handler disposed of its own target */
        }
        after = nullptr;
        OSStatus status = StandardHandler(target, event);
        if (status != eventNotHandledErr || !HIIsTarget(target))
            return status;
        target = ParentTarget(target);
    }
    return eventNotHandledErr;
}

} // namespace

OpaqueEventTargetRef gHIApplicationTarget = {HITargetKind::Application, nullptr, nullptr};

bool HIIsTarget(EventTargetRef target) {
    if (target == &gHIApplicationTarget)
        return true;
    for (OpaqueWindowPtr *w = gHIWindows.head; w != nullptr; w = w->allNext)
        if (&w->target == target)
            return true;
    for (OpaqueControlRef *c = gHIControls.head; c != nullptr; c = c->allNext)
        if (&c->target == target)
            return true;
    return false;
}

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

void HITargetRemoveAllHandlers(OpaqueEventTargetRef *target) {
    while (EventHandlerRef handler = target->first) {
        target->first = handler->next;
        gHIHandlers.add(handler, false);
        CFStandInDeallocate(handler->types);
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
    inTarget->first = handler;
    gHIHandlers.add(handler, true);
    if (outRef != nullptr)
        *outRef = handler;
    return noErr;
}

OSStatus HISendEvent(EventRef inEvent, EventTargetRef inTarget) {
    if (!gHIEvents.contains(inEvent) || !HIIsTarget(inTarget))
        return paramErr;
    return Dispatch(inEvent, inTarget, nullptr);
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
