/*
 * Script.cpp
 *
 * Reads the dialog script's lines into actions. Only the form of a line is
 * checked here; whether a control exists or a text can be typed is found out
 * when the action runs.
 */
#include "Script.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

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
    if (word.empty() || word.size() > 20)
        return std::nullopt;
    std::string digits(word);
    char *end = nullptr;
    errno = 0;
    long value = std::strtol(digits.c_str(), &end, 10);
    if (errno != 0 || end == digits.c_str() || *end != '\0' || value < min || value > max)
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

ParsedLine fail(std::string message) {
    ParsedLine parsed;
    parsed.error = std::move(message);
    return parsed;
}

ParsedLine done(Action action) {
    ParsedLine parsed;
    parsed.action = std::move(action);
    return parsed;
}

/* focus SIG ID, click SIG ID */
ParsedLine parseControlAddress(Action action, std::string_view name,
                               const std::vector<std::string_view> &words) {
    if (words.size() != 3)
        return fail(std::string(name) + " needs a control signature and ID, e.g. " +
                    std::string(name) + " jlog 1");
    std::optional<uint32_t> signature = ParseSignature(words[1]);
    if (!signature)
        return fail("control signature \"" + std::string(words[1]) + "\" is not four characters");
    std::optional<long> id = parseInteger(words[2], INT32_MIN, INT32_MAX);
    if (!id)
        return fail("control ID \"" + std::string(words[2]) + "\" is not a number");
    action.signature = *signature;
    action.id = static_cast<int32_t>(*id);
    return done(std::move(action));
}

} // namespace

std::optional<uint32_t> ParseSignature(std::string_view text) {
    if (text.size() != 4)
        return std::nullopt;
    uint32_t code = 0;
    for (unsigned char ch : text)
        code = (code << 8) | ch;
    return code;
}

std::optional<KeyName> ParseKeyName(std::string_view name) {
    static const char *const kNames[] = {
        "backspace", "delete", "left",   "right", "home",
        "end",       "tab",    "return", "escape"}; // KeyName's order
    for (size_t i = 0; i < std::size(kNames); i++) {
        if (name == kNames[i])
            return static_cast<KeyName>(i);
    }
    return std::nullopt;
}

ParsedLine ParseScriptLine(std::string_view line, int lineNumber) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::vector<std::string_view> words = splitWords(line);
    if (words.empty() || words[0][0] == '#')
        return {};

    Action action;
    action.line = lineNumber;
    std::string_view name = words[0];

    for (const ActionName &simple : kSimpleActions) {
        if (name == simple.name) {
            if (words.size() != 1)
                return fail(std::string(name) + " takes no argument");
            action.kind = simple.kind;
            return done(std::move(action));
        }
    }

    // The text of type, clipboard and drop: everything after the one space
    // that follows the name, so that leading and trailing blanks are typed.
    size_t textStart = static_cast<size_t>(name.data() - line.data()) + name.size();
    bool hasText = textStart < line.size();
    std::string text = hasText ? std::string(line.substr(textStart + 1)) : std::string();

    if (name == "type" || name == "drop") {
        if (!hasText || text.empty())
            return fail(std::string(name) + " needs a text");
        action.kind = name == "type" ? ActionKind::Type : ActionKind::Drop;
        action.text = std::move(text);
        return done(std::move(action));
    }
    if (name == "snapshot" || name == "snapshot-alert") {
        if (!hasText || text.empty())
            return fail(std::string(name) + " needs a file name");
        action.kind = name == "snapshot" ? ActionKind::Snapshot : ActionKind::SnapshotAlert;
        action.text = std::move(text);
        return done(std::move(action));
    }
    if (name == "clipboard") {
        if (!hasText) {
            action.kind = ActionKind::ClipboardEmpty;
        } else {
            action.kind = ActionKind::Clipboard;
            action.text = std::move(text);
        }
        return done(std::move(action));
    }
    if (name == "focus" || name == "click") {
        action.kind = name == "focus" ? ActionKind::Focus : ActionKind::Click;
        return parseControlAddress(std::move(action), name, words);
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
            return done(std::move(action));
        }
        std::optional<KeyName> key = ParseKeyName(keyName);
        if (!key)
            return fail("unknown key \"" + std::string(keyName) +
                        "\" (backspace, delete, left, right, home, end, tab, return, escape "
                        "or cmd-CHAR)");
        action.kind = ActionKind::Key;
        action.key = *key;
        return done(std::move(action));
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
        return done(std::move(action));
    }
    if (name == "sync") {
        if (words.size() != 2 || (words[1] != "ui" && words[1] != "tickets"))
            return fail("sync needs \"ui\" or \"tickets\"");
        action.kind = words[1] == "ui" ? ActionKind::SyncUI : ActionKind::SyncTickets;
        return done(std::move(action));
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
