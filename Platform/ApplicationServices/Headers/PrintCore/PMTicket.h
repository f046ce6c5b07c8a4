/*
 * PMTicket.h
 *
 * Job tickets: typed items under a key, each with the client identifier of
 * its writer and a locked flag. Items are read at a node given by two node
 * indices; this layer's tickets have the top level only (kPMTopLevel).
 */
#ifndef __PMTICKET__
#define __PMTICKET__

#include <PrintCore/PMDefinitions.h>
#include <PrintCore/PMErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { kPMTopLevel = 0 };
#define kPMUnlocked false

/* Ticket types */
#define kPMPrintSettingsTicket CFSTR("com.apple.print.PrintSettingsTicket")
#define kPMPrinterInfoTicket CFSTR("com.apple.print.PrinterInfoTicket")

/* Names under which the print dialog keeps its tickets in the session */
#define kPDE_PMPrintSettingsRef "PMPrintSettingsTicket"
#define kPDE_PMPrinterInfoRef "PMPrinterInfoTicket"

/* A new, empty ticket of the given type with a reference count of 1. */
OSStatus PMTicketCreate(CFAllocatorRef allocator, CFStringRef ticketType, PMTicketRef *newTicket);
OSStatus PMTicketRelease(PMTicketRef ticket);

/* Setting an item: a new key is appended; an existing unlocked key is
 * rewritten in place (value, client and locked flag); an existing locked key
 * is refused with kPMItemIsLocked. */
OSStatus PMTicketSetCFString(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                             CFStringRef value, Boolean locked);
OSStatus PMTicketSetBoolean(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                            Boolean value, Boolean locked);
OSStatus PMTicketSetSInt32(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, SInt32 value,
                           Boolean locked);

/* Getting an item: the value is borrowed from the ticket. kPMKeyNotFound when
 * the ticket has no such key, kPMInvalidType when the item has another type,
 * kPMSubTicketNotFound for node indices other than kPMTopLevel. */
OSStatus PMTicketGetCFString(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                             CFStringRef key, CFStringRef *value);
OSStatus PMTicketGetBoolean(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, Boolean *value);

#ifdef __cplusplus
}
#endif

#endif /* __PMTICKET__ */
