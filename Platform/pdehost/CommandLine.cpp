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

const char kPdehostUsage[] =
    "usage: pdehost --ppd FILE [--plugin DIR] [--set KEY=VALUE]... [--set-bool KEY=true|false]...\n"
    "               [--job FILE (--printer NAME | --filter PATH)] [--language LANG]\n"
    "               [--snapshot PNG] (--window | [SCRIPT | -])\n"
    "  --ppd FILE          the printer's PPD\n"
    "  --plugin DIR        the dialog-extension bundle (default: the PPD's APDialogExtension)\n"
    "  --set KEY=VALUE     a string item in the print-settings ticket\n"
    "  --set-bool KEY=B    a boolean item (true or false)\n"
    "  --job FILE          the file a successful print submits\n"
    "  --printer NAME      submit it to this CUPS queue\n"
    "  --filter PATH       or run this CUPS filter on it and show its output\n"
    "  --language LANG     the user's preferred language (en, de, ja...)\n"
    "  --snapshot PNG      a picture of the dialog as it is when it closes\n"
    "  --window            the dialog in a window on the desktop, worked by hand\n"
    "  SCRIPT              the dialog actions; standard input when absent or \"-\"\n";

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

        SettingItem item;
        equals = value.find('=');
        if (equals == std::string::npos || equals == 0)
            return refuse("\"" + value + "\" is not KEY=VALUE");
        item.key = value.substr(0, equals);
        item.text = value.substr(equals + 1);
        if (name == "--set-bool") {
            item.isBoolean = true;
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

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

std::vector<std::string_view> splitWords(std::string_view text) {
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isBlank(text[pos]))
            pos++;
        size_t start = pos;
        while (pos < text.size() && !isBlank(text[pos]))
            pos++;
        if (pos > start)
            words.push_back(text.substr(start, pos - start));
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

/* Number of characters in UTF-8 text: bytes that do not continue one. */
size_t countCharacters(std::string_view text) {
    return std::count_if(text.begin(), text.end(), [](char ch) { return (ch & 0xC0) != 0x80; });
}

struct ActionName {
    const char *name;
    ActionKind kind;
};

const ActionName kSimpleActions[] = {
    {"open", ActionKind::Open},       {"close", ActionKind::Close}, {"paste", ActionKind::Paste},
    {"summary", ActionKind::Summary}, {"show", ActionKind::Show},   {"print", ActionKind::Print},
};

/* The address of `focus SIG ID` and `click SIG ID` (SIG exactly four
   bytes, as in 'jlog'); an error message, empty when it is right. */
std::string parseControlAddress(Action &action, std::string_view name,
                                const std::vector<std::string_view> &words) {
    if (words.size() != 3)
        return std::string(name) + " needs a control signature and ID, e.g. " + std::string(name) +
               " jlog 1";
    if (words[1].size() != 4)
        return "control signature \"" + std::string(words[1]) + "\" is not four characters";
    for (unsigned char ch : words[1])
        action.signature = (action.signature << 8) | ch;
    std::optional<long> id = parseInteger(words[2], INT32_MIN, INT32_MAX);
    if (!id)
        return "control ID \"" + std::string(words[2]) + "\" is not a number";
    action.id = static_cast<int32_t>(*id);
    return std::string();
}

} // namespace

ParsedLine ParseScriptLine(std::string_view line, int lineNumber) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::vector<std::string_view> words = splitWords(line);
    if (words.empty() || words[0][0] == '#')
        return {};

    ParsedLine parsed;
    Action &action = parsed.action.emplace();
    action.line = lineNumber;
    std::string_view name = words[0];
    auto fail = [&parsed](std::string message) {
        parsed.action.reset();
        parsed.error = std::move(message);
        return parsed;
    };

    for (const ActionName &simple : kSimpleActions) {
        if (name == simple.name) {
            if (words.size() != 1)
                return fail(std::string(name) + " takes no argument");
            action.kind = simple.kind;
            return parsed;
        }
    }

    // The text of type, clipboard and drop: everything after the one space
    // that follows the name, so that leading and trailing blanks are typed.
    size_t textStart = static_cast<size_t>(name.data() - line.data()) + name.size();
    bool hasText = textStart < line.size();
    std::string text = hasText ? std::string(line.substr(textStart + 1)) : std::string();

    static const struct {
        const char *name;
        ActionKind kind;
        const char *needs;
    } kTextActions[] = {{"type", ActionKind::Type, "a text"},
                        {"drop", ActionKind::Drop, "a text"},
                        {"snapshot", ActionKind::Snapshot, "a file name"},
                        {"snapshot-alert", ActionKind::SnapshotAlert, "a file name"}};
    for (const auto &textAction : kTextActions) {
        if (name == textAction.name) {
            if (text.empty())
                return fail(std::string(name) + " needs " + textAction.needs);
            action.kind = textAction.kind;
            action.text = std::move(text);
            return parsed;
        }
    }
    if (name == "clipboard") {
        if (!hasText) {
            action.kind = ActionKind::ClipboardEmpty;
        } else {
            action.kind = ActionKind::Clipboard;
            action.text = std::move(text);
        }
        return parsed;
    }
    if (name == "focus" || name == "click") {
        action.kind = name == "focus" ? ActionKind::Focus : ActionKind::Click;
        std::string error = parseControlAddress(action, name, words);
        return error.empty() ? parsed : fail(error);
    }
    if (name == "key") {
        if (words.size() != 2)
            return fail("key needs one key name");
        std::string_view keyName = words[1];
        if (keyName.substr(0, 4) == "cmd-") {
            std::string_view character = keyName.substr(4);
            if (countCharacters(character) != 1)
                return fail("key cmd- needs exactly one character, e.g. key cmd-v");
            action.kind = ActionKind::CommandKey;
            action.text = std::string(character);
            return parsed;
        }
        static const char *const kKeyNames[] = {
            "backspace", "delete", "left",   "right", "home",
            "end",       "tab",    "return", "escape"}; // KeyName's order
        for (size_t i = 0; i < std::size(kKeyNames); i++) {
            if (keyName == kKeyNames[i]) {
                action.kind = ActionKind::Key;
                action.key = static_cast<KeyName>(i);
                return parsed;
            }
        }
        return fail("unknown key \"" + std::string(keyName) +
                    "\" (backspace, delete, left, right, home, end, tab, return, escape "
                    "or cmd-CHAR)");
    }
    if (name == "select") {
        if (words.size() != 3)
            return fail("select needs a start and an end");
        std::optional<long> start = parseInteger(words[1], 0, INT16_MAX);
        std::optional<long> end = parseInteger(words[2], 0, INT16_MAX);
        if (!start || !end || *start > *end)
            return fail("select needs 0 <= START <= END <= 32767");
        action.kind = ActionKind::Select;
        action.selectionStart = static_cast<int>(*start);
        action.selectionEnd = static_cast<int>(*end);
        return parsed;
    }
    if (name == "sync") {
        if (words.size() != 2 || (words[1] != "ui" && words[1] != "tickets"))
            return fail("sync needs \"ui\" or \"tickets\"");
        action.kind = words[1] == "ui" ? ActionKind::SyncUI : ActionKind::SyncTickets;
        return parsed;
    }
    return fail("unknown action \"" + std::string(name) + "\"");
}

ParsedScript ParseScript(std::string_view text) {
    ParsedScript script;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        lineNumber++;
        ParsedLine parsed = ParseScriptLine(text.substr(pos, end - pos), lineNumber);
        if (!parsed.error.empty()) {
            script.errorLine = lineNumber;
            script.error = std::move(parsed.error);
            return script;
        }
        if (parsed.action)
            script.actions.push_back(std::move(*parsed.action));
        pos = end + 1;
    }
    return script;
}
