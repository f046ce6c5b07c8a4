/*
 * PrintTickets.h
 *
 * The print dialog's session and its two tickets: the printer-info ticket,
 * which refers to the printer's PPD, and the print-settings ticket, which
 * the panes read and write. The session keeps both under the names the
 * panes look them up by ("PMPrinterInfoTicket", "PMPrintSettingsTicket").
 */
#ifndef PDEHOST_PRINT_TICKETS_H
#define PDEHOST_PRINT_TICKETS_H

#include "CommandLine.h"
#include "TicketOptions.h"

#include <ApplicationServices/ApplicationServices.h>

#include <string>
#include <vector>

struct PrintTickets {
    PMPrintSession session = nullptr;
    PMTicketRef printerInfo = nullptr;
    PMTicketRef printSettings = nullptr;
};

/* Makes the session and both tickets and writes `settings` into the
   print-settings ticket in their order. On failure everything made so far
   is released and `error` says what failed. */
bool CreatePrintTickets(const std::string &ppdPath, const std::vector<SettingItem> &settings,
                        PrintTickets &tickets, std::string &error);

/* Releases the session and the tickets (any of them may be missing). */
void ReleasePrintTickets(PrintTickets &tickets);

/* Where the printer's dialog extension is installed on this system: the
   first value of the PPD main keyword "APDialogExtension", read through the
   compiled-PPD library from the printer-info ticket: that path when
   something is there, else the same path under the host's platform root
   (README.md). Empty, with `error` set, when the PPD cannot be read, names
   none, or names one found at neither place. */
std::string ReadDialogExtensionPath(PMTicketRef printerInfo, std::string &error);

/* The items of a ticket in the order they were first written. */
std::vector<TicketItem> ReadTicketItems(PMTicketRef ticket);

#endif /* PDEHOST_PRINT_TICKETS_H */
