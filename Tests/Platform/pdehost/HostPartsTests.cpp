/*
 * HostPartsTests.cpp
 *
 * The parts of pdehost that need no dialog, at their edges: the command
 * line, the script reader (wrong lines, texts verbatim, line numbers), and
 * the ticket-to-options step, whose every string must come back unchanged
 * from libcups's own option parser.
 */
#include "CommandLine.h"
#include "PrintTickets.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

bool parse(std::vector<const char *> arguments, HostOptions &options, std::string &error) {
    arguments.insert(arguments.begin(), "pdehost");
    options = HostOptions();
    return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

TEST(CommandLine, OptionsAndRefusals) {
    HostOptions o;
    std::string error;
    ASSERT_TRUE(
        parse({"--ppd", "a.ppd", "--plugin=b.plugin", "--set", "k1=v 1", "--set-bool=k2=TRUE",
               "--set", "k3==x=", "--job", "job.ps", "--filter", "./f", "--", "--script"},
              o, error))
        << error;
    EXPECT_TRUE(o.ppd == "a.ppd" && o.plugin == "b.plugin" && o.job == "job.ps" &&
                o.filter == "./f" && o.printer.empty() && o.script == "--script");
    ASSERT_EQ(3u, o.settings.size());
    EXPECT_TRUE(o.settings[0].key == "k1" && !o.settings[0].isBoolean &&
                o.settings[0].text == "v 1");
    EXPECT_TRUE(o.settings[1].isBoolean && o.settings[1].boolean);
    EXPECT_EQ("=x=", o.settings[2].text); // split at the first '='
    ASSERT_TRUE(parse({"--ppd", "a.ppd", "-"}, o, error));
    EXPECT_EQ("", o.script);
    ASSERT_TRUE(parse({"--set", "k=v", "-h"}, o, error)); // help needs no PPD
    EXPECT_TRUE(o.help);

    const std::pair<std::vector<const char *>, const char *> refusals[] = {
        {{}, "--ppd"},
        {{"--ppd"}, "needs a value"},
        {{"--ppd="}, "needs a value"},
        {{"--ppd", "a", "--bogus"}, "--bogus"},
        {{"--ppd", "a", "--set", "novalue"}, "KEY=VALUE"},
        {{"--ppd", "a", "--set", "=v"}, "KEY=VALUE"},
        {{"--ppd", "a", "--set-bool", "k=yes"}, "true or false"},
        {{"--ppd", "a", "--job", "j", "--printer", "p", "--filter", "f"}, "exclude"},
        {{"--ppd", "a", "one", "two"}, "more than one script"}};
    for (const auto &[arguments, message] : refusals) {
        EXPECT_FALSE(parse(arguments, o, error));
        EXPECT_NE(std::string::npos, error.find(message)) << error;
    }
}

TEST(Script, WrongLinesAreRefusedAndLinesCounted) {
    for (const char *wrong :
         {"OPEN", "open now", "sync", "sync ui tickets", "focus jlog", "focus jlo 1",
          "click jlog 1x", "click jlog 2147483648", "type", "key Tab", "key cmd-", "key cmd-ab",
          "select 5 2", "select -1 2", "select 0 32768", "select 1"})
        EXPECT_NE("", ParseScriptLine(wrong, 7).error) << wrong;
    ParsedLine text = ParseScriptLine("type  two # words \r", 1);
    ASSERT_TRUE(text.action.has_value());
    EXPECT_EQ(" two # words ", text.action->text) << "the text after one blank, verbatim";
    ParsedScript script = ParseScript("# dialog\n\nopen\r\nfocus jlog 1\n\nprint");
    ASSERT_EQ(3u, script.actions.size());
    EXPECT_TRUE(script.actions[0].line == 3 && script.actions[2].line == 6);
    EXPECT_EQ(4, ParseScript("open\n\n# x\nfocus jlog\nbogus\n").errorLine);
}

TicketItem item(const std::string &key, TicketItem::Kind kind, const std::string &text,
                bool boolean = false) {
    TicketItem result;
    result.key = key, result.kind = kind, result.text = text, result.boolean = boolean;
    return result;
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
