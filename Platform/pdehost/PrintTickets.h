/*
 * PrintTickets.h
 *
 * The print system's part of the dialog: the session and its two tickets,
 * and after a print the settings ticket as CUPS job options and the job's
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
bool CreatePrintTickets(const std::string &ppdPath, const std::vector<TicketItem> &settings,
                        PrintTickets &tickets, std::string &error);

/* Releases the session and the tickets (any of them may be missing). */
void ReleasePrintTickets(PrintTickets &tickets);

/* The bundle the PPD names under "APDialogExtension", here or under the
   platform root (README.md); empty, with `error` set, when there is none. */
std::string ReadDialogExtensionPath(PMTicketRef printerInfo, std::string &error);

/* Writes the string or boolean `item`, unlocked, under the host's client;
   what failed goes to `error`. */
OSStatus WriteTicketItem(PMTicketRef ticket, const TicketItem &item, std::string &error);

/* The items of a ticket in the order they were first written. */
std::vector<TicketItem> ReadTicketItems(PMTicketRef ticket);

/* The option string for `items`, in their order. The keys of items that
   cannot become options (neither string nor boolean, a key that is no option
   name, a text holding a zero byte) go to `skipped` when it is given. */
std::string TicketItemsToOptions(const std::vector<TicketItem> &items,
                                 std::vector<std::string> *skipped = nullptr);

/* After a successful print: the settings ticket's items and the job
   options as event lines, then the `--job` file submitted to the queue
   (cupsPrintFile) or run through the filter the way the scheduler runs one.
   pdehost's exit status. */
int PrintJob(const HostOptions &options, PMTicketRef printSettings, EventWriter &events);

#endif /* PDEHOST_PRINT_TICKETS_H */
