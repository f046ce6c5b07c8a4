/*
 * PMTicket.cpp
 *
 * Job tickets: an ordered list of items at the top level, each a CF value
 * under a string key with the client identifier of its writer and a locked
 * flag. A locked item cannot be rewritten or deleted; a rewrite of an
 * unlocked item keeps its position. Tickets also carry, for the
 * compiled-PPD library, the path of the printer's PPD file.
 */
#include "PMInternal.h"

#include <string.h>

namespace {

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
    CFIndex count;
    char *ppdPath;
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
    CFStandInDeallocate(ticket->ppdPath);
}

const CFStandInClass kTicketClass = {"PMTicket", FinalizeTicket, nullptr};

Ticket *GetTicket(PMTicketRef ref) {
    if (!PMIsObjectOfType(ref, PMTicketGetTypeID()))
        return nullptr;
    return static_cast<Ticket *>(CFStandInGetInstanceData(ref));
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

CFTypeID PMTicketGetTypeID(void) {
    static CFTypeID type = CFStandInRegisterClass(&kTicketClass);
    return type;
}

OSStatus PMTicketCreate(CFAllocatorRef, CFStringRef ticketType, PMTicketRef *newTicket) {
    if (newTicket == nullptr)
        return kPMInvalidParameter;
    *newTicket = nullptr;
    if (!PMIsString(ticketType))
        return kPMInvalidParameter;
    if (PMTicketGetTypeID() == 0)
        return kPMAllocationFailure; /* the runtime's class table is full */
    CFTypeRef object =
        CFStandInCreateInstance(kCFAllocatorDefault, PMTicketGetTypeID(), sizeof(Ticket));
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
        ticket->count++;
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
    if (GetTicket(ticket) == nullptr)
        return kPMInvalidTicket;
    if (!PMIsString(value))
        return kPMInvalidValue;
    return SetItem(ticket, clientID, key, value, locked);
}

OSStatus PMTicketSetBoolean(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                            Boolean value, Boolean locked) {
    return SetItem(ticket, clientID, key, value ? kCFBooleanTrue : kCFBooleanFalse, locked);
}

OSStatus PMTicketSetSInt32(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, SInt32 value,
                           Boolean locked) {
    if (GetTicket(ticket) == nullptr)
        return kPMInvalidTicket;
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
    if (status != noErr)
        return status;
    *value = (CFStringRef)item->value;
    return noErr;
}

OSStatus PMTicketGetBoolean(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, Boolean *value) {
    Item *item = nullptr;
    OSStatus status =
        LookupOfType(ticket, nodeIndex1, nodeIndex2, key, value, CFBooleanGetTypeID(), &item);
    if (status != noErr)
        return status;
    *value = CFBooleanGetValue((CFBooleanRef)item->value);
    return noErr;
}

OSStatus PMStandInTicketSetPPDPath(PMTicketRef printerInfo, const char *ppdPath) {
    Ticket *ticket = GetTicket(printerInfo);
    if (ticket == nullptr)
        return kPMInvalidTicket;
    char *copy = nullptr;
    if (ppdPath != nullptr) {
        size_t length = strlen(ppdPath);
        copy = static_cast<char *>(CFStandInAllocate(length + 1));
        if (copy == nullptr)
            return kPMAllocationFailure;
        memcpy(copy, ppdPath, length + 1);
    }
    CFStandInDeallocate(ticket->ppdPath);
    ticket->ppdPath = copy;
    return noErr;
}

const char *PMStandInTicketGetPPDPath(PMTicketRef printerInfo) {
    Ticket *ticket = GetTicket(printerInfo);
    return ticket != nullptr ? ticket->ppdPath : nullptr;
}

CFIndex PMStandInTicketGetItemCount(PMTicketRef ref) {
    Ticket *ticket = GetTicket(ref);
    return ticket != nullptr ? ticket->count : -1;
}

OSStatus PMStandInTicketGetItemAtIndex(PMTicketRef ref, CFIndex index, CFStringRef *key,
                                       CFTypeRef *value, CFStringRef *clientID, Boolean *locked) {
    Ticket *ticket = GetTicket(ref);
    if (ticket == nullptr)
        return kPMInvalidTicket;
    if (index < 0 || index >= ticket->count)
        return kPMInvalidIndex;
    Item *item = ticket->first;
    for (CFIndex i = 0; i < index; i++)
        item = item->next;
    if (key != nullptr)
        *key = item->key;
    if (value != nullptr)
        *value = item->value;
    if (clientID != nullptr)
        *clientID = item->client;
    if (locked != nullptr)
        *locked = item->locked;
    return noErr;
}

CFIndex PMStandInGetLiveTicketCount(void) {
    return CFStandInGetLiveObjectCountOfType(PMTicketGetTypeID());
}
