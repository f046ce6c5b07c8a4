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
 * rewritten; a rewrite of an unlocked item keeps its position. A session
 * keeps its data as such a list too (unlocked, without clients).
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

struct Item {
    Item *next;
    CFStringRef key;
    CFTypeRef value;
    CFStringRef client; /* may be NULL */
    Boolean locked;
};

/* The instance data of a session and of a ticket: the items in the order of
 * their first write. */
struct Items {
    Item *first;
};

void FreeItem(Item *item) {
    CFRelease(item->key);
    CFRelease(item->value);
    if (item->client != nullptr)
        CFRelease(item->client);
    CFStandInDeallocate(item);
}

void FinalizeItems(CFTypeRef cf) {
    Item *item = static_cast<Items *>(CFStandInGetInstanceData(cf))->first;
    while (item != nullptr) {
        Item *next = item->next;
        FreeItem(item);
        item = next;
    }
}

const CFStandInClass kSessionClass = {"PMPrintSession", FinalizeItems, nullptr};
const CFStandInClass kTicketClass = {"PMTicket", FinalizeItems, nullptr};

CFTypeID SessionType() {
    static CFTypeID type = CFStandInRegisterClass(&kSessionClass);
    return type;
}

CFTypeID TicketType() {
    static CFTypeID type = CFStandInRegisterClass(&kTicketClass);
    return type;
}

/* A new, empty session or ticket; NULL when memory runs out or the runtime's
 * class table is full (type 0). */
CFTypeRef NewItems(CFTypeID type) {
    return type != 0 ? CFStandInCreateInstance(kCFAllocatorDefault, type, sizeof(Items)) : nullptr;
}

Items *GetItems(const void *object, CFTypeID type) {
    bool valid = PMIsObjectOfType(object, type);
    return valid ? static_cast<Items *>(CFStandInGetInstanceData(object)) : nullptr;
}

/* The link to the item under key, or the null link at the end of the list. */
Item **FindLink(Items *items, CFStringRef key) {
    Item **link = &items->first;
    while (*link != nullptr && !CFEqual((*link)->key, key))
        link = &(*link)->next;
    return link;
}

/* Writes value under key: a new key is appended, an unlocked one rewritten
 * in place, a locked one refused. */
OSStatus Store(Items *items, CFStringRef key, CFTypeRef value, CFStringRef client, Boolean locked) {
    Item **link = FindLink(items, key), *item = *link;
    if (item != nullptr && item->locked)
        return kPMItemIsLocked;
    if (item == nullptr) {
        if ((item = static_cast<Item *>(CFStandInAllocate(sizeof(Item)))) == nullptr)
            return kPMAllocationFailure;
        *item = {nullptr, (CFStringRef)CFRetain(key), nullptr, nullptr, false};
        *link = item;
    }
    CFTypeRef oldValue = item->value, oldClient = item->client; /* the new ones may be them */
    item->value = CFRetain(value);
    item->client = client != nullptr ? (CFStringRef)CFRetain(client) : nullptr;
    item->locked = locked != 0;
    if (oldValue != nullptr)
        CFRelease(oldValue);
    if (oldClient != nullptr)
        CFRelease(oldClient);
    return noErr;
}

OSStatus SetItem(PMTicketRef ref, CFStringRef clientID, CFStringRef key, CFTypeRef value,
                 Boolean locked) {
    Items *ticket = GetItems(ref, TicketType());
    if (ticket == nullptr)
        return kPMInvalidTicket;
    if (!PMIsString(key))
        return kPMInvalidKey;
    if (value == nullptr || !CFStandInIsValidObject(value))
        return kPMInvalidValue;
    if (clientID != nullptr && !PMIsString(clientID))
        return kPMInvalidParameter;
    return Store(ticket, key, value, clientID, locked);
}

/* A typed get: checks the ticket, node indices, key and type, then gives
 * *out the item's value as convert makes it. */
template <class T, class Convert>
OSStatus GetItem(PMTicketRef ref, UInt32 nodeIndex1, UInt32 nodeIndex2, CFStringRef key, T *out,
                 CFTypeID type, Convert convert) {
    Items *ticket = GetItems(ref, TicketType());
    if (ticket == nullptr)
        return kPMInvalidTicket;
    if (out == nullptr)
        return kPMInvalidParameter;
    if (nodeIndex1 != kPMTopLevel || nodeIndex2 != kPMTopLevel)
        return kPMSubTicketNotFound;
    if (!PMIsString(key))
        return kPMInvalidKey;
    Item *item = *FindLink(ticket, key);
    if (item == nullptr)
        return kPMKeyNotFound;
    if (CFGetTypeID(item->value) != type)
        return kPMInvalidType;
    *out = convert(item->value);
    return noErr;
}

} // namespace

OSStatus PMCreateSession(PMPrintSession *printSession) {
    if (printSession == nullptr)
        return kPMInvalidParameter;
    *printSession = (PMPrintSession)NewItems(SessionType());
    return *printSession != nullptr ? (OSStatus)noErr : (OSStatus)kPMAllocationFailure;
}

OSStatus PMRelease(PMObject object) {
    if (!PMIsObjectOfType(object, SessionType()) && !PMIsObjectOfType(object, TicketType()))
        return kPMInvalidParameter;
    CFRelease(object);
    return noErr;
}

OSStatus PMSessionGetDataFromSession(PMPrintSession printSession, CFStringRef key,
                                     CFTypeRef *data) {
    Items *session = GetItems(printSession, SessionType());
    if (session == nullptr)
        return kPMInvalidPrintSession;
    if (data == nullptr || !PMIsString(key))
        return kPMInvalidParameter;
    Item *item = *FindLink(session, key);
    *data = item != nullptr ? item->value : nullptr;
    return item != nullptr ? (OSStatus)noErr : (OSStatus)kPMKeyNotFound;
}

OSStatus PMSessionSetDataInSession(PMPrintSession printSession, CFStringRef key, CFTypeRef data) {
    Items *session = GetItems(printSession, SessionType());
    if (session == nullptr)
        return kPMInvalidPrintSession;
    if (!PMIsString(key) || (data != nullptr && !CFStandInIsValidObject(data)))
        return kPMInvalidParameter;
    if (data != nullptr)
        return Store(session, key, data, nullptr, false);
    Item **link = FindLink(session, key), *item = *link;
    if (item != nullptr) {
        *link = item->next;
        FreeItem(item);
    }
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
    *newTicket = (PMTicketRef)NewItems(TicketType());
    return *newTicket != nullptr ? (OSStatus)noErr : (OSStatus)kPMAllocationFailure;
}

OSStatus PMTicketRelease(PMTicketRef ticket) {
    if (GetItems(ticket, TicketType()) == nullptr)
        return kPMInvalidTicket;
    CFRelease(ticket);
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
    return GetItem(ticket, nodeIndex1, nodeIndex2, key, value, CFStringGetTypeID(),
                   [](CFTypeRef found) { return (CFStringRef)found; });
}

OSStatus PMTicketGetBoolean(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, Boolean *value) {
    return GetItem(ticket, nodeIndex1, nodeIndex2, key, value, CFBooleanGetTypeID(),
                   [](CFTypeRef found) { return CFBooleanGetValue((CFBooleanRef)found); });
}

OSStatus PMStandInTicketGetItemAtIndex(PMTicketRef ref, CFIndex index, CFStringRef *key,
                                       CFTypeRef *value, CFStringRef *clientID) {
    Items *ticket = GetItems(ref, TicketType());
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
