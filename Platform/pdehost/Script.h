/*
 * Script.h
 *
 * The dialog script's actions, one per line (README.md, "The script").
 */
#ifndef PDEHOST_SCRIPT_H
#define PDEHOST_SCRIPT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class ActionKind {
    Open,           /* open */
    Close,          /* close */
    Focus,          /* focus SIG ID */
    Type,           /* type TEXT */
    Key,            /* key NAME */
    CommandKey,     /* key cmd-CHAR */
    Select,         /* select START END */
    Clipboard,      /* clipboard TEXT */
    ClipboardEmpty, /* clipboard */
    Paste,          /* paste */
    Drop,           /* drop TEXT */
    Click,          /* click SIG ID */
    SyncUI,         /* sync ui */
    SyncTickets,    /* sync tickets */
    Summary,        /* summary */
    Show,           /* show */
    Print,          /* print */
    Snapshot,       /* snapshot FILE */
    SnapshotAlert   /* snapshot-alert FILE */
};

enum class KeyName { Backspace, Delete, Left, Right, Home, End, Tab, Return, Escape };

struct Action {
    ActionKind kind = ActionKind::Open;
    int line = 0;
    uint32_t signature = 0; /* focus, click: the control ID */
    int32_t id = 0;
    std::string text; /* type, clipboard, drop, snapshot; the character of key cmd-CHAR */
    KeyName key = KeyName::Backspace;
    int selectionStart = 0; /* select */
    int selectionEnd = 0;
};

/* The outcome of reading one line: an action, nothing (a blank or comment
   line), or an error message about the line. */
struct ParsedLine {
    std::optional<Action> action;
    std::string error; /* empty unless the line is wrong */
};

ParsedLine ParseScriptLine(std::string_view line, int lineNumber);

/* A whole script; stops at the first wrong line. */
struct ParsedScript {
    std::vector<Action> actions;
    int errorLine = 0; /* 0 when every line is right */
    std::string error;
};

ParsedScript ParseScript(std::string_view text);

/* A four-character code from exactly four bytes, as in 'jlog'. */
std::optional<uint32_t> ParseSignature(std::string_view text);

/* The name of a key for `key NAME`, or nothing. */
std::optional<KeyName> ParseKeyName(std::string_view name);

#endif /* PDEHOST_SCRIPT_H */
