/*
 * TicketOptionsTests.cpp
 *
 * The ticket-to-options step: every string the ticket can hold must come
 * back unchanged from libcups's own option parser, booleans take the
 * "..b." form, and items that cannot be options are left out.
 */
#include "TicketOptions.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TicketItem stringItem(std::string key, std::string value) {
    TicketItem item;
    item.key = std::move(key);
    item.kind = TicketItem::Kind::String;
    item.text = std::move(value);
    return item;
}

TicketItem booleanItem(std::string key, bool value) {
    TicketItem item;
    item.key = std::move(key);
    item.kind = TicketItem::Kind::Boolean;
    item.boolean = value;
    return item;
}

/* The options as cupsParseOptions reads the string, in its order. */
std::vector<std::pair<std::string, std::string>> parseWithCups(const std::string &options) {
    cups_option_t *parsed = nullptr;
    int count = cupsParseOptions(options.c_str(), 0, &parsed);
    std::vector<std::pair<std::string, std::string>> result;
    for (int i = 0; i < count; i++)
        result.emplace_back(parsed[i].name, parsed[i].value);
    cupsFreeOptions(count, parsed);
    return result;
}

std::string roundTrip(const std::string &value) {
    std::string options = TicketItemsToOptions({stringItem("com.quarn.pm.UserID", value)});
    auto parsed = parseWithCups(options);
    if (parsed.size() != 1 || parsed[0].first != "com.quarn.pm.UserID")
        return "<" + std::to_string(parsed.size()) + " options from: " + options + ">";
    return parsed[0].second;
}

} // namespace

TEST(TicketOptions, PlainValuesNeedNoQuoting) {
    EXPECT_EQ(TicketItemsToOptions({stringItem("com.quarn.pm.UserID", "Alice01"),
                                    booleanItem("com.quarn.pm.EnableUserCode", true),
                                    stringItem("com.quarn.pm.TimeZone", "<+0530>-5:30")}),
              "com.quarn.pm.UserID=Alice01 com.quarn.pm.EnableUserCode..b.=True "
              "com.quarn.pm.TimeZone=<+0530>-5:30");
}

TEST(TicketOptions, BooleansTakeTheSuffixAndCapitalisedText) {
    std::string options = TicketItemsToOptions(
        {booleanItem("com.quarn.pm.EnableUserCode", false), booleanItem("other", true)});
    EXPECT_EQ(options, "com.quarn.pm.EnableUserCode..b.=False other..b.=True");
    auto parsed = parseWithCups(options);
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0],
              std::make_pair(std::string("com.quarn.pm.EnableUserCode..b."), std::string("False")));
    EXPECT_EQ(parsed[1], std::make_pair(std::string("other..b."), std::string("True")));
}

TEST(TicketOptions, SpacesQuotesAndBackslashesSurviveCupsParsing) {
    const char *values[] = {
        "Guarded Print",
        " leading",
        "trailing ",
        "two  spaces",
        "say \"hi\"",
        "it's",
        "back\\slash",
        "\\",
        "ends with \\",
        "\"",
        "'",
        "\"unbalanced",
        "{braces}",
        "{",
        "}",
        "a{b c}d",
        "a,b,c",
        "x=y",
        "tab\there",
        "new\nline",
        "cr\rvt\vff\f",
        "(paren)",
        "%%BeginProlog",
        "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac",
    };
    for (const char *value : values)
        EXPECT_EQ(roundTrip(value), value) << "value: " << value;
}

TEST(TicketOptions, EmptyValueStaysEmpty) {
    EXPECT_EQ(roundTrip(""), "");
    // An empty value in the middle does not swallow the next option.
    auto parsed = parseWithCups(
        TicketItemsToOptions({stringItem("a", ""), stringItem("b", "x y"), stringItem("c", "")}));
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[0].second, "");
    EXPECT_EQ(parsed[1].second, "x y");
    EXPECT_EQ(parsed[2].second, "");
}

TEST(TicketOptions, EveryByteValueSurvives) {
    std::string all;
    for (int ch = 1; ch < 256; ch++)
        all += static_cast<char>(ch);
    EXPECT_EQ(roundTrip(all), all);
    // Each special byte alone, at the start and at the end of a value.
    for (int ch = 1; ch < 128; ch++) {
        std::string single(1, static_cast<char>(ch));
        EXPECT_EQ(roundTrip(single), single) << "byte " << ch;
        EXPECT_EQ(roundTrip(single + "x"), single + "x") << "byte " << ch;
        EXPECT_EQ(roundTrip("x" + single), "x" + single) << "byte " << ch;
    }
}

TEST(TicketOptions, ManyItemsKeepTheirOrderAndValues) {
    std::vector<TicketItem> items;
    std::map<std::string, std::string> expected;
    for (int i = 0; i < 40; i++) {
        std::string key = "key" + std::to_string(i);
        std::string value = (i % 3 == 0) ? "v " + std::to_string(i) + "\\\"'" : std::to_string(i);
        items.push_back(stringItem(key, value));
        expected[key] = value;
    }
    auto parsed = parseWithCups(TicketItemsToOptions(items));
    ASSERT_EQ(parsed.size(), items.size());
    for (const auto &[name, value] : parsed)
        EXPECT_EQ(value, expected[name]) << name;
}

TEST(TicketOptions, ItemsThatCannotBeOptionsAreLeftOut) {
    TicketItem number;
    number.key = "com.example.Copies";
    number.kind = TicketItem::Kind::Other;
    std::vector<std::string> skipped;
    std::string options =
        TicketItemsToOptions({stringItem("good", "1"), number, stringItem("", "empty key"),
                              stringItem("has space", "x"), stringItem("has=equals", "x"),
                              stringItem("ctl\x01", "x"), stringItem("nul", std::string("a\0b", 3)),
                              booleanItem("also good", true), stringItem("last", "2")},
                             &skipped);
    EXPECT_EQ(options, "good=1 last=2");
    EXPECT_EQ(skipped, (std::vector<std::string>{"com.example.Copies", "", "has space",
                                                 "has=equals", "ctl\x01", "nul", "also good"}));
    // Without a list to report into, the same items are still left out.
    EXPECT_EQ(TicketItemsToOptions({number, stringItem("x", "y")}), "x=y");
}

TEST(TicketOptions, NoItemsGiveAnEmptyString) {
    EXPECT_EQ(TicketItemsToOptions({}), "");
    EXPECT_TRUE(parseWithCups("").empty());
}

TEST(TicketOptions, OptionNames) {
    EXPECT_TRUE(IsOptionName("com.quarn.pm.EnableUserCode..b."));
    EXPECT_TRUE(IsOptionName("x"));
    EXPECT_FALSE(IsOptionName(""));
    EXPECT_FALSE(IsOptionName("a b"));
    EXPECT_FALSE(IsOptionName("a=b"));
    EXPECT_FALSE(IsOptionName("tab\t"));
    EXPECT_FALSE(IsOptionName("del\x7f"));
}
