/*
 * CommandLine.cpp
 *
 * Reading pdehost's options, and the dialog script's lines into actions.
 * Only the form of a line is checked here; whether a control exists or a
 * text can be typed is found out when the action runs.
 */
#include "CommandLine.h"

#include <strings.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <utility>

bool ParseCommandLine(int argc, const char *const argv[], HostOptions &options,
                      std::string &error) {
    options = HostOptions();
    auto refuse = [&error](std::string message) {
        error = std::move(message);
        return false;
    };
    bool haveScript = false;
    bool onlyScripts = false; /* after "--" */
    for (int i = 1; i < argc; i++) {
        std::string argument = argv[i];
        if (!onlyScripts && (argument == "-h" || argument == "--help")) {
            options.help = true;
            return true;
        }
        if (!onlyScripts && argument == "--") {
            onlyScripts = true;
            continue;
        }
        if (onlyScripts || argument == "-" || argument.empty() || argument[0] != '-') {
            if (haveScript)
                return refuse("more than one script: " + options.script + " and " + argument);
            options.script = argument;
            haveScript = true;
            continue;
        }
        if (argument.compare(0, 2, "--") != 0)
            return refuse("unknown option " + argument);

        if (argument == "--window") {
            options.window = true;
            continue;
        }
        size_t equals = argument.find('=');
        bool inlineValue = equals != std::string::npos;
        std::string name = argument.substr(0, equals);
        std::string value = inlineValue ? argument.substr(equals + 1) : std::string();
        static const std::pair<const char *, std::string HostOptions::*> kPaths[] = {
            {"--ppd", &HostOptions::ppd},          {"--plugin", &HostOptions::plugin},
            {"--job", &HostOptions::job},          {"--printer", &HostOptions::printer},
            {"--filter", &HostOptions::filter},    {"--language", &HostOptions::language},
            {"--snapshot", &HostOptions::snapshot}};
        std::string HostOptions::*path = nullptr;
        for (const auto &[known, member] : kPaths)
            path = name == known ? member : path;
        if (path == nullptr && name != "--set" && name != "--set-bool")
            return refuse("unknown option " + name);
        if (!inlineValue && i + 1 < argc)
            value = argv[++i];
        if (value.empty())
            return refuse(name + " needs a value");
        if (path != nullptr) {
            options.*path = value;
            continue;
        }

        equals = value.find('=');
        if (equals == std::string::npos || equals == 0)
            return refuse("\"" + value + "\" is not KEY=VALUE");
        TicketItem item{value.substr(0, equals), TicketItem::Kind::String, value.substr(equals + 1),
                        false, ""};
        if (name == "--set-bool") {
            item.kind = TicketItem::Kind::Boolean;
            item.boolean = strcasecmp(item.text.c_str(), "true") == 0;
            if (!item.boolean && strcasecmp(item.text.c_str(), "false") != 0)
                return refuse("--set-bool " + item.key + " needs true or false, not \"" +
                              item.text + "\"");
            item.text.clear();
        }
        options.settings.push_back(std::move(item));
    }
    if (options.ppd.empty())
        return refuse("--ppd FILE is required: the printer's PPD");
    if (!options.printer.empty() && !options.filter.empty())
        return refuse("--printer and --filter exclude each other");
    if (options.window && haveScript)
        return refuse("--window takes no script");
    if (options.script == "-")
        options.script.clear();
    return true;
}

namespace {

/* The words of a line: runs of characters other than blanks (space, tab). */
std::vector<std::string_view> splitWords(std::string_view text) {
    std::vector<std::string_view> words;
    for (size_t start = text.find_first_not_of(" \t"); start != std::string_view::npos;) {
        size_t end = std::min(text.find_first_of(" \t", start), text.size());
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(" \t", end);
    }
    return words;
}

std::optional<long> parseInteger(std::string_view word, long min, long max) {
    long value = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

/* What follows an action's name on its line. */
enum class Takes { Nothing, Text, FileName, OptionalText, Control, KeyWord, Range, Direction };

const char *const kKeyNames[] = {"backspace", "delete", "left",   "right", "home",
                                 "end",       "tab",    "return", "escape"}; // KeyName's order

/* The arguments of an action that `takes` them from `words` (the name
   first) and `text` (the rest of the line after the one blank that follows
   the name, when there is one); an error message, empty when they are
   right. */
std::string parseArguments(Action &action, Takes takes, const std::vector<std::string_view> &words,
                           std::optional<std::string> text) {
    std::string name(words[0]);
    switch (takes) {
    case Takes::Nothing:
        return words.size() == 1 ? "" : name + " takes no argument";
    case Takes::Text:
    case Takes::FileName:
        if (text.value_or("").empty())
            return name + (takes == Takes::Text ? " needs a text" : " needs a file name");
        action.text = *text;
        return "";
    case Takes::OptionalText:
        if (!text)
            action.kind = ActionKind::ClipboardEmpty;
        action.text = text.value_or("");
        return "";
    case Takes::Control: { /* SIG exactly four bytes, as in 'jlog' */
        if (words.size() != 3)
            return name + " needs a control signature and ID, e.g. " + name + " jlog 1";
        if (words[1].size() != 4)
            return "control signature \"" + std::string(words[1]) + "\" is not four characters";
        for (unsigned char ch : words[1])
            action.signature = (action.signature << 8) | ch;
        std::optional<long> id = parseInteger(words[2], INT32_MIN, INT32_MAX);
        action.id = static_cast<int32_t>(id.value_or(0));
        return id ? "" : "control ID \"" + std::string(words[2]) + "\" is not a number";
    }
    case Takes::KeyWord: {
        if (words.size() != 2)
            return "key needs one key name";
        std::string_view key = words[1];
        if (key.starts_with("cmd-")) {
            action.kind = ActionKind::CommandKey;
            action.text = key.substr(4);
            // One character: one byte that does not continue a UTF-8 sequence.
            bool one = std::count_if(action.text.begin(), action.text.end(),
                                     [](char ch) { return (ch & 0xC0) != 0x80; }) == 1;
            return one ? "" : "key cmd- needs exactly one character, e.g. key cmd-v";
        }
        auto known = std::find(std::begin(kKeyNames), std::end(kKeyNames), key);
        action.key = static_cast<KeyName>(known - std::begin(kKeyNames));
        if (known == std::end(kKeyNames))
            return "unknown key \"" + std::string(key) +
                   "\" (backspace, delete, left, right, home, end, tab, return, escape or "
                   "cmd-CHAR)";
        return "";
    }
    case Takes::Range: {
        if (words.size() != 3)
            return "select needs a start and an end";
        std::optional<long> start = parseInteger(words[1], 0, INT16_MAX);
        std::optional<long> end = parseInteger(words[2], 0, INT16_MAX);
        if (!start || !end || *start > *end)
            return "select needs 0 <= START <= END <= 32767";
        action.selectionStart = static_cast<int>(*start);
        action.selectionEnd = static_cast<int>(*end);
        return "";
    }
    case Takes::Direction:
        if (words.size() != 2 || (words[1] != "ui" && words[1] != "tickets"))
            return "sync needs \"ui\" or \"tickets\"";
        action.kind = words[1] == "ui" ? ActionKind::SyncUI : ActionKind::SyncTickets;
        return "";
    }
    return "";
}

} // namespace

ParsedLine ParseScriptLine(std::string_view line, int lineNumber) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::vector<std::string_view> words = splitWords(line);
    if (words.empty() || words[0][0] == '#')
        return {};
    using enum ActionKind;
    using enum Takes;
    static const struct {
        const char *name;
        ActionKind kind;
        Takes takes;
    } kActions[] = {{"open", Open, Nothing},
                    {"close", Close, Nothing},
                    {"paste", Paste, Nothing},
                    {"summary", Summary, Nothing},
                    {"show", Show, Nothing},
                    {"print", Print, Nothing},
                    {"type", Type, Text},
                    {"drop", Drop, Text},
                    {"snapshot", Snapshot, FileName},
                    {"snapshot-alert", SnapshotAlert, FileName},
                    {"clipboard", Clipboard, OptionalText},
                    {"focus", Focus, Control},
                    {"click", Click, Control},
                    {"key", Key, KeyWord},
                    {"select", Select, Range},
                    {"sync", SyncUI, Direction}};
    auto known = std::find_if(std::begin(kActions), std::end(kActions),
                              [&](const auto &entry) { return words[0] == entry.name; });
    if (known == std::end(kActions))
        return {std::nullopt, "unknown action \"" + std::string(words[0]) + "\""};

    size_t textStart = static_cast<size_t>(words[0].data() + words[0].size() - line.data()) + 1;
    std::optional<std::string> text;
    if (textStart <= line.size())
        text = std::string(line.substr(textStart));
    ParsedLine parsed;
    parsed.action.emplace();
    parsed.action->line = lineNumber;
    parsed.action->kind = known->kind;
    parsed.error = parseArguments(*parsed.action, known->takes, words, std::move(text));
    if (!parsed.error.empty())
        parsed.action.reset();
    return parsed;
}

ParsedScript ParseScript(std::string_view text) {
    ParsedScript script;
    for (size_t pos = 0, lineNumber = 1; pos < text.size(); lineNumber++) {
        size_t end = std::min(text.find('\n', pos), text.size());
        ParsedLine parsed = ParseScriptLine(text.substr(pos, end - pos), int(lineNumber));
        if (!parsed.error.empty()) {
            script.errorLine = int(lineNumber);
            script.error = std::move(parsed.error);
            return script;
        }
        if (parsed.action)
            script.actions.push_back(std::move(*parsed.action));
        pos = end + 1;
    }
    return script;
}
