/*
 * PMSession.cpp
 *
 * Print sessions: reference-counted objects that carry named data for the
 * print dialog and its extensions (the dialog keeps its tickets there).
 */
#include "PMInternal.h"

namespace {

struct Session {
    CFMutableDictionaryRef data;
};

void FinalizeSession(CFTypeRef cf) {
    Session *session = static_cast<Session *>(CFStandInGetInstanceData(cf));
    if (session->data != nullptr)
        CFRelease(session->data);
}

const CFStandInClass kSessionClass = {"PMPrintSession", FinalizeSession, nullptr};

Session *GetSession(PMPrintSession printSession) {
    if (!PMIsObjectOfType(printSession, PMSessionGetTypeID()))
        return nullptr;
    return static_cast<Session *>(CFStandInGetInstanceData(printSession));
}

} // namespace

CFTypeID PMSessionGetTypeID(void) {
    static CFTypeID type = CFStandInRegisterClass(&kSessionClass);
    return type;
}

OSStatus PMCreateSession(PMPrintSession *printSession) {
    if (printSession == nullptr)
        return kPMInvalidParameter;
    *printSession = nullptr;
    if (PMSessionGetTypeID() == 0)
        return kPMAllocationFailure; /* the runtime's class table is full */
    CFTypeRef object =
        CFStandInCreateInstance(kCFAllocatorDefault, PMSessionGetTypeID(), sizeof(Session));
    if (object == nullptr)
        return kPMAllocationFailure;
    Session *session = static_cast<Session *>(CFStandInGetInstanceData(object));
    session->data = CFDictionaryCreateMutable(
        kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    if (session->data == nullptr) {
        CFRelease(object);
        return kPMAllocationFailure;
    }
    *printSession = (PMPrintSession)object;
    return noErr;
}

OSStatus PMRelease(PMObject object) {
    if (!PMIsObjectOfType(object, PMSessionGetTypeID()) &&
        !PMIsObjectOfType(object, PMTicketGetTypeID()))
        return kPMInvalidParameter;
    CFRelease(object);
    return noErr;
}

OSStatus PMSessionGetDataFromSession(PMPrintSession printSession, CFStringRef key,
                                     CFTypeRef *data) {
    Session *session = GetSession(printSession);
    if (session == nullptr)
        return kPMInvalidPrintSession;
    if (data == nullptr || !PMIsString(key))
        return kPMInvalidParameter;
    *data = CFDictionaryGetValue(session->data, key);
    if (*data == nullptr)
        return kPMKeyNotFound;
    return noErr;
}

OSStatus PMSessionSetDataInSession(PMPrintSession printSession, CFStringRef key, CFTypeRef data) {
    Session *session = GetSession(printSession);
    if (session == nullptr)
        return kPMInvalidPrintSession;
    if (!PMIsString(key) || (data != nullptr && !CFStandInIsValidObject(data)))
        return kPMInvalidParameter;
    if (data == nullptr) {
        CFDictionaryRemoveValue(session->data, key);
        return noErr;
    }
    CFIndex before = CFDictionaryGetCount(session->data);
    bool existed = CFDictionaryContainsKey(session->data, key);
    CFDictionarySetValue(session->data, key, data);
    if (!existed && CFDictionaryGetCount(session->data) == before)
        return kPMAllocationFailure; /* the dictionary could not grow */
    return noErr;
}

OSStatus PMStandInSessionSetTicket(PMPrintSession session, CFStringRef name, PMTicketRef ticket) {
    if (GetSession(session) == nullptr)
        return kPMInvalidPrintSession;
    if (!PMIsObjectOfType(ticket, PMTicketGetTypeID()))
        return kPMInvalidTicket;
    SInt64 value = (SInt64)(intptr_t)ticket;
    CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &value);
    if (number == nullptr)
        return kPMAllocationFailure;
    OSStatus status = PMSessionSetDataInSession(session, name, number);
    CFRelease(number);
    return status;
}

CFIndex PMStandInGetLiveSessionCount(void) {
    return CFStandInGetLiveObjectCountOfType(PMSessionGetTypeID());
}
