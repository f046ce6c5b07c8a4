/*
 * HostPartsTests.cpp
 *
 * pdehost's ticket-to-options step at its edges: every string must come
 * back unchanged from libcups's own option parser, and what cannot be an
 * option is left out. (The command line and the script reader are shown by
 * dialog scripts: scripts/cli-*, script-*, host-settings.)
 */
#include "PrintTickets.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TicketItem item(const std::string &key, TicketItem::Kind kind, const std::string &text,
                bool boolean = false) {
    return {key, kind, text, boolean, ""};
}

/* The options libcups parses out of an option string, sorted. */
std::vector<std::string> cupsValues(const std::string &options) {
    cups_option_t *parsed = nullptr;
    int count = cupsParseOptions(options.c_str(), 0, &parsed);
    std::vector<std::string> values;
    for (int i = 0; i < count; i++)
        values.push_back(std::string(parsed[i].name) + "=" + parsed[i].value);
    cupsFreeOptions(count, parsed);
    std::sort(values.begin(), values.end());
    return values;
}

TEST(TicketOptions, EveryValueSurvivesCupsParsingAndNonOptionsAreLeftOut) {
    using K = TicketItem::Kind;
    std::string all;
    for (int ch = 1; ch < 256; ch++)
        all += static_cast<char>(ch);
    std::vector<std::string> values = {all, "", "{", "}", "a{b c}d", "\\", "\"", "'x", " "};
    for (int ch = 1; ch < 128; ch++)
        values.push_back(std::string(1, char(ch)) + "x" + char(ch));
    std::vector<TicketItem> items;
    std::vector<std::string> expected;
    for (const std::string &value : values) {
        items.push_back(item("k" + std::to_string(items.size()), K::String, value));
        expected.push_back(items.back().key + "=" + value);
    }
    items.push_back(item("flag", K::Boolean, "", false));
    expected.push_back("flag..b.=False");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, cupsValues(TicketItemsToOptions(items)));

    std::vector<std::string> skipped;
    EXPECT_EQ("good=1 on..b.=True",
              TicketItemsToOptions({item("good", K::String, "1"), item("copies", K::Other, ""),
                                    item("", K::String, "x"), item("a b", K::String, "x"),
                                    item("a=b", K::String, "x"), item("del\x7f", K::String, "x"),
                                    item("nul", K::String, std::string("a\0b", 3)),
                                    item("on", K::Boolean, "", true)},
                                   &skipped));
    EXPECT_EQ((std::vector<std::string>{"copies", "", "a b", "a=b", "del\x7f", "nul"}), skipped);
}

} // namespace
