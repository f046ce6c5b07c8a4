/*
 * TicketOptions.h
 *
 * The print system's step from a print-settings ticket to one CUPS option
 * string (README.md, the `options` line).
 */
#ifndef PDEHOST_TICKET_OPTIONS_H
#define PDEHOST_TICKET_OPTIONS_H

#include <string>
#include <vector>

/* One ticket item as the host sees it, its texts in UTF-8. */
struct TicketItem {
    enum class Kind { String, Boolean, Other };
    std::string key;
    Kind kind = Kind::Other;
    std::string text;     /* the value of a string item */
    bool boolean = false; /* the value of a boolean item */
    std::string client;   /* the client that wrote it */
    bool locked = false;
    bool operator==(const TicketItem &) const = default;
};

/* The option string for `items`, in their order, separated by single
   spaces. Items that cannot become options (not a string or a boolean, a
   key that is empty or holds white space, '=' or a control character, or a
   text holding a zero character) are left out and their keys appended to
   `skipped` when it is given. */
std::string TicketItemsToOptions(const std::vector<TicketItem> &items,
                                 std::vector<std::string> *skipped = nullptr);

#endif /* PDEHOST_TICKET_OPTIONS_H */
