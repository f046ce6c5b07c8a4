/*
 * CommandLine.h
 *
 * pdehost's command line (main.cpp's usage; options may also be written
 * --name=value) and the dialog script's actions, one per line (README.md,
 * "The script").
 */
#ifndef PDEHOST_COMMAND_LINE_H
#define PDEHOST_COMMAND_LINE_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/* One ticket item as the host sees it, its texts in UTF-8: one put into
   the print-settings ticket before the dialog opens, or one read from it. */
struct TicketItem {
    enum class Kind { String, Boolean, Other };
    std::string key;
    Kind kind = Kind::Other;
    std::string text;     /* the value of a string item */
    bool boolean = false; /* the value of a boolean item */
    std::string client;   /* the client that wrote it */
    bool operator==(const TicketItem &) const = default;
};

struct HostOptions {
    std::string ppd;    /* the printer's PPD */
    std::string plugin; /* the bundle; empty: the PPD's APDialogExtension */
    std::vector<TicketItem> settings;
    std::string job;     /* the file to print; empty: nothing is submitted */
    std::string printer; /* the CUPS queue to submit to */
    std::string filter;  /* or the filter to run on the job */
    std::string script;  /* empty: standard input; "-" too */
    bool help = false;
    std::string language; /* the preferred language (en, de, ja...); empty: the environment's */
    std::string snapshot; /* a PNG of the dialog written when it closes */
    bool window = false;  /* worked in a window on the desktop instead of a script */
};

/* False with `error` set for an unknown option, a missing or malformed
   value, or options that exclude each other. */
bool ParseCommandLine(int argc, const char *const argv[], HostOptions &options, std::string &error);

/* pdehost's exit statuses (README.md, "Exit status"). */
enum { kExitDone = 0, kExitFailed = 1, kExitUsage = 2, kExitLeaked = 3 };

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
    std::string text{}; /* type, clipboard, drop, snapshot; the character of key cmd-CHAR */
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

#endif /* PDEHOST_COMMAND_LINE_H */
