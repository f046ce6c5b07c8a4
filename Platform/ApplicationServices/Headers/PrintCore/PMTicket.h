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

#define kPMLocked true
#define kPMUnlocked false

/* Ticket types */
#define kPMJobTicket CFSTR("com.apple.print.JobTicket")
#define kPMDocumentTicket CFSTR("com.apple.print.DocumentTicket")
#define kPMPageTicket CFSTR("com.apple.print.PageTicket")
#define kPMPrintSettingsTicket CFSTR("com.apple.print.PrintSettingsTicket")
#define kPMPageFormatTicket CFSTR("com.apple.print.PageFormatTicket")
#define kPMPaperInfoTicket CFSTR("com.apple.print.PaperInfoTicket")
#define kPMPrinterInfoTicket CFSTR("com.apple.print.PrinterInfoTicket")
#define kPMConverterSetupTicket CFSTR("com.apple.print.ConverterSetupTicket")

/* Names under which the print dialog keeps its tickets in the session */
#define kPDE_PMPrintSettingsRef "PMPrintSettingsTicket"
#define kPDE_PMPageFormatRef "PMPageFormatTicket"
#define kPDE_PMJobTemplateRef "PMJobTemplateTicket"
#define kPDE_PMPrinterInfoRef "PMPrinterInfoTicket"

/* A new, empty ticket of the given type with a reference count of 1. */
OSStatus PMTicketCreate(CFAllocatorRef allocator, CFStringRef ticketType, PMTicketRef *newTicket);
OSStatus PMTicketRetain(PMTicketRef ticket);
OSStatus PMTicketRelease(PMTicketRef ticket);
OSStatus PMTicketGetType(PMTicketRef ticket, CFStringRef *ticketType);
OSStatus PMTicketGetRetainCount(PMTicketRef ticket, CFIndex *retainCount);

/* Setting an item: a new key is appended; an existing unlocked key is
 * rewritten in place (value, client and locked flag); an existing locked key
 * is refused with kPMItemIsLocked. */
OSStatus PMTicketSetItem(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, CFTypeRef item,
                         Boolean locked);
OSStatus PMTicketSetCFString(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                             CFStringRef value, Boolean locked);
OSStatus PMTicketSetBoolean(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                            Boolean value, Boolean locked);
OSStatus PMTicketSetSInt32(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, SInt32 value,
                           Boolean locked);
OSStatus PMTicketSetCFData(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                           CFDataRef value, Boolean locked);

/* Getting an item: the value is borrowed from the ticket. kPMKeyNotFound when
 * the ticket has no such key, kPMInvalidType when the item has another type,
 * kPMSubTicketNotFound for node indices other than kPMTopLevel. */
OSStatus PMTicketGetItem(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2, CFStringRef key,
                         CFTypeRef *item);
OSStatus PMTicketGetCFString(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                             CFStringRef key, CFStringRef *value);
OSStatus PMTicketGetBoolean(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, Boolean *value);
OSStatus PMTicketGetSInt32(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, SInt32 *value);
OSStatus PMTicketGetCFData(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, CFDataRef *value);
OSStatus PMTicketGetLockedState(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                                CFStringRef key, Boolean *lockedState);
/* Removes an unlocked item (kPMItemIsLocked for a locked one). */
OSStatus PMTicketDeleteItem(PMTicketRef ticket, CFStringRef key);

#ifdef __cplusplus
}
#endif

#endif /* __PMTICKET__ */
