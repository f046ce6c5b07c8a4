/*
 * PrintTickets.h
 *
 * The print system's part of the dialog: the session and its two tickets
 * (the printer-info ticket, which refers to the printer's PPD, and the
 * print-settings ticket, which the panes read and write, kept in the session
 * under "PMPrinterInfoTicket" and "PMPrintSettingsTicket"), and after a
 * print the step from the settings ticket to CUPS job options and the job's
 * submission (README.md, the `ticket`, `options`, `job` and `output` lines).
 */
#ifndef PDEHOST_PRINT_TICKETS_H
#define PDEHOST_PRINT_TICKETS_H

#include "CommandLine.h"

#include <ApplicationServices/ApplicationServices.h>

#include <string>
#include <vector>

class EventWriter;

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

/* One ticket item as the host sees it, its texts in UTF-8. */
struct TicketItem {
    enum class Kind { String, Boolean, Other };
    std::string key;
    Kind kind = Kind::Other;
    std::string text;     /* the value of a string item */
    bool boolean = false; /* the value of a boolean item */
    std::string client;   /* the client that wrote it */
    bool operator==(const TicketItem &) const = default;
};

/* The items of a ticket in the order they were first written. */
std::vector<TicketItem> ReadTicketItems(PMTicketRef ticket);

/* The option string for `items`, in their order, separated by single
   spaces. Items that cannot become options (not a string or a boolean, a
   key that is empty or holds white space, '=' or a control character, or a
   text holding a zero character) are left out and their keys appended to
   `skipped` when it is given. */
std::string TicketItemsToOptions(const std::vector<TicketItem> &items,
                                 std::vector<std::string> *skipped = nullptr);

/* After a successful print: the settings ticket's items and the job
   options as event lines, then the `--job` file submitted to the queue
   (cupsPrintFile) or run through the filter the way the scheduler runs one.
   pdehost's exit status. */
int PrintJob(const HostOptions &options, PMTicketRef printSettings, EventWriter &events);

#endif /* PDEHOST_PRINT_TICKETS_H */
