/*
 * TicketOptions.cpp
 *
 * Turns the items of a print-settings ticket into one CUPS option string,
 * the form in which the print system hands a job's settings to CUPS.
 */
#include "TicketOptions.h"

#include <QuarnSettingsKeys.h>

#include <cstring>
#include <string_view>

namespace {

bool isOptionName(std::string_view name) {
    if (name.empty())
        return false;
    for (unsigned char ch : name) {
        if (ch <= ' ' || ch == '=' || ch == 0x7f)
            return false;
    }
    return true;
}

/* A backslash in front of every character that would end the value or
   change its meaning for cupsParseOptions. */
std::string quoteOptionValue(std::string_view value) {
    static const char kSpecial[] = " \t\n\v\f\r\\'\"{}";
    std::string quoted;
    quoted.reserve(value.size() + 8);
    for (char ch : value) {
        if (ch != '\0' && std::strchr(kSpecial, ch) != nullptr)
            quoted += '\\';
        quoted += ch;
    }
    return quoted;
}

} // namespace

std::string TicketItemsToOptions(const std::vector<TicketItem> &items,
                                 std::vector<std::string> *skipped) {
    std::string options;
    for (const TicketItem &item : items) {
        bool representable = item.kind != TicketItem::Kind::Other && isOptionName(item.key) &&
                             item.text.find('\0') == std::string::npos;
        if (!representable) {
            if (skipped != nullptr)
                skipped->push_back(item.key);
            continue;
        }
        if (!options.empty())
            options += ' ';
        options += item.key;
        if (item.kind == TicketItem::Kind::Boolean) {
            options += kQuarnBooleanOptionSuffix "=";
            options += item.boolean ? "True" : "False";
        } else {
            options += '=';
            options += quoteOptionValue(item.text);
        }
    }
    return options;
}
