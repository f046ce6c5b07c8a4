/*
 * PrintCore.cpp
 *
 * The printing framework's sessions and job tickets, objects of the
 * CoreFoundation runtime (classes registered through
 * CFStandInRegisterClass), so they are retained, released and counted like
 * every other object of the layer.
 *
 * A session carries named data for the print dialog and its extensions
 * (the dialog keeps its tickets there). A ticket is an ordered list of items
 * at the top level, each a CF value under a string key with the client
 * identifier of its writer and a locked flag. A locked item cannot be
 * rewritten; a rewrite of an unlocked item keeps its position.
 */
#include <ApplicationServices/ApplicationServices.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>

namespace {

bool PMIsObjectOfType(const void *object, CFTypeID type) {
    return object != nullptr && CFStandInIsValidObject(object) && CFGetTypeID(object) == type;
}

bool PMIsString(CFTypeRef value) {
    return PMIsObjectOfType(value, CFStringGetTypeID());
}

struct Session {
    CFMutableDictionaryRef data;
};

void FinalizeSession(CFTypeRef cf) {
    Session *session = static_cast<Session *>(CFStandInGetInstanceData(cf));
    if (session->data != nullptr)
        CFRelease(session->data);
}

const CFStandInClass kSessionClass = {"PMPrintSession", FinalizeSession, nullptr};

CFTypeID SessionType() {
    static CFTypeID type = CFStandInRegisterClass(&kSessionClass);
    return type;
}

Session *GetSession(PMPrintSession printSession) {
    bool valid = PMIsObjectOfType(printSession, SessionType());
    return valid ? static_cast<Session *>(CFStandInGetInstanceData(printSession)) : nullptr;
}

struct Item {
    Item *next;
    CFStringRef key;
    CFTypeRef value;
    CFStringRef client; /* may be NULL */
    Boolean locked;
};

struct Ticket {
    Item *first;
    Item *last;
};

void FreeItem(Item *item) {
    CFRelease(item->key);
    CFRelease(item->value);
    if (item->client != nullptr)
        CFRelease(item->client);
    CFStandInDeallocate(item);
}

void FinalizeTicket(CFTypeRef cf) {
    Ticket *ticket = static_cast<Ticket *>(CFStandInGetInstanceData(cf));
    Item *item = ticket->first;
    while (item != nullptr) {
        Item *next = item->next;
        FreeItem(item);
        item = next;
    }
}

const CFStandInClass kTicketClass = {"PMTicket", FinalizeTicket, nullptr};

CFTypeID TicketType() {
    static CFTypeID type = CFStandInRegisterClass(&kTicketClass);
    return type;
}

Ticket *GetTicket(PMTicketRef ref) {
    bool valid = PMIsObjectOfType(ref, TicketType());
    return valid ? static_cast<Ticket *>(CFStandInGetInstanceData(ref)) : nullptr;
}

Item *FindItem(Ticket *ticket, CFStringRef key) {
    for (Item *item = ticket->first; item != nullptr; item = item->next)
        if (CFEqual(item->key, key))
            return item;
    return nullptr;
}

/* The item for a typed get: checks the ticket, node indices, key and type. */
OSStatus LookupOfType(PMTicketRef ref, UInt32 nodeIndex1, UInt32 nodeIndex2, CFStringRef key,
                      const void *out, CFTypeID type, Item **outItem) {
    Ticket *ticket = GetTicket(ref);
    if (ticket == nullptr)
        return kPMInvalidTicket;
    if (out == nullptr)
        return kPMInvalidParameter;
    if (nodeIndex1 != kPMTopLevel || nodeIndex2 != kPMTopLevel)
        return kPMSubTicketNotFound;
    if (!PMIsString(key))
        return kPMInvalidKey;
    *outItem = FindItem(ticket, key);
    if (*outItem == nullptr)
        return kPMKeyNotFound;
    return CFGetTypeID((*outItem)->value) == type ? (OSStatus)noErr : (OSStatus)kPMInvalidType;
}

} // namespace

OSStatus PMCreateSession(PMPrintSession *printSession) {
    if (printSession == nullptr)
        return kPMInvalidParameter;
    *printSession = nullptr;
    if (SessionType() == 0)
        return kPMAllocationFailure; /* the runtime's class table is full */
    CFTypeRef object = CFStandInCreateInstance(kCFAllocatorDefault, SessionType(), sizeof(Session));
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
    if (!PMIsObjectOfType(object, SessionType()) && !PMIsObjectOfType(object, TicketType()))
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

CFIndex PMStandInGetLiveSessionCount(void) {
    return CFStandInGetLiveObjectCountOfType(SessionType());
}

OSStatus PMTicketCreate(CFAllocatorRef, CFStringRef ticketType, PMTicketRef *newTicket) {
    if (newTicket == nullptr)
        return kPMInvalidParameter;
    *newTicket = nullptr;
    if (!PMIsString(ticketType))
        return kPMInvalidParameter;
    if (TicketType() == 0)
        return kPMAllocationFailure; /* the runtime's class table is full */
    CFTypeRef object = CFStandInCreateInstance(kCFAllocatorDefault, TicketType(), sizeof(Ticket));
    if (object == nullptr)
        return kPMAllocationFailure;
    *newTicket = (PMTicketRef)object;
    return noErr;
}

OSStatus PMTicketRelease(PMTicketRef ticket) {
    if (GetTicket(ticket) == nullptr)
        return kPMInvalidTicket;
    CFRelease(ticket);
    return noErr;
}

static OSStatus SetItem(PMTicketRef ref, CFStringRef clientID, CFStringRef key, CFTypeRef value,
                        Boolean locked) {
    Ticket *ticket = GetTicket(ref);
    if (ticket == nullptr)
        return kPMInvalidTicket;
    if (!PMIsString(key))
        return kPMInvalidKey;
    if (value == nullptr || !CFStandInIsValidObject(value))
        return kPMInvalidValue;
    if (clientID != nullptr && !PMIsString(clientID))
        return kPMInvalidParameter;
    Item *item = FindItem(ticket, key);
    if (item != nullptr && item->locked)
        return kPMItemIsLocked;
    if (item == nullptr) {
        if ((item = static_cast<Item *>(CFStandInAllocate(sizeof(Item)))) == nullptr)
            return kPMAllocationFailure;
        *item = {nullptr, (CFStringRef)CFRetain(key), nullptr, nullptr, false};
        (ticket->last != nullptr ? ticket->last->next : ticket->first) = item;
        ticket->last = item;
    }
    CFTypeRef oldValue = item->value, oldClient = item->client; /* the new ones may be them */
    item->value = CFRetain(value);
    item->client = clientID != nullptr ? (CFStringRef)CFRetain(clientID) : nullptr;
    item->locked = locked != 0;
    if (oldValue != nullptr)
        CFRelease(oldValue);
    if (oldClient != nullptr)
        CFRelease(oldClient);
    return noErr;
}

OSStatus PMTicketSetCFString(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                             CFStringRef value, Boolean locked) {
    return SetItem(ticket, clientID, key, PMIsString(value) ? value : nullptr, locked);
}

OSStatus PMTicketSetBoolean(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                            Boolean value, Boolean locked) {
    return SetItem(ticket, clientID, key, value ? kCFBooleanTrue : kCFBooleanFalse, locked);
}

OSStatus PMTicketSetSInt32(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, SInt32 value,
                           Boolean locked) {
    CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value);
    if (number == nullptr)
        return kPMAllocationFailure;
    OSStatus status = SetItem(ticket, clientID, key, number, locked);
    CFRelease(number);
    return status;
}

OSStatus PMTicketGetCFString(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                             CFStringRef key, CFStringRef *value) {
    Item *item = nullptr;
    OSStatus status =
        LookupOfType(ticket, nodeIndex1, nodeIndex2, key, value, CFStringGetTypeID(), &item);
    if (status == noErr)
        *value = (CFStringRef)item->value;
    return status;
}

OSStatus PMTicketGetBoolean(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, Boolean *value) {
    Item *item = nullptr;
    OSStatus status =
        LookupOfType(ticket, nodeIndex1, nodeIndex2, key, value, CFBooleanGetTypeID(), &item);
    if (status == noErr)
        *value = CFBooleanGetValue((CFBooleanRef)item->value);
    return status;
}

OSStatus PMStandInTicketGetItemAtIndex(PMTicketRef ref, CFIndex index, CFStringRef *key,
                                       CFTypeRef *value, CFStringRef *clientID) {
    Ticket *ticket = GetTicket(ref);
    if (ticket == nullptr)
        return kPMInvalidTicket;
    if (key == nullptr || value == nullptr || clientID == nullptr)
        return kPMInvalidParameter;
    Item *item = index >= 0 ? ticket->first : nullptr;
    for (CFIndex i = 0; item != nullptr && i < index; i++)
        item = item->next;
    if (item == nullptr)
        return kPMInvalidIndex;
    *key = item->key;
    *value = item->value;
    *clientID = item->client;
    return noErr;
}

CFIndex PMStandInGetLiveTicketCount(void) {
    return CFStandInGetLiveObjectCountOfType(TicketType());
}
