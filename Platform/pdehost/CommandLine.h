/*
 * CommandLine.h
 *
 * pdehost's command line (kPdehostUsage); options may also be written
 * --name=value.
 */
#ifndef PDEHOST_COMMAND_LINE_H
#define PDEHOST_COMMAND_LINE_H

#include <string>
#include <vector>

/* An item put into the print-settings ticket before the dialog opens. */
struct SettingItem {
    std::string key;
    bool isBoolean = false;
    std::string text;
    bool boolean = false;
};

struct HostOptions {
    std::string ppd;    /* the printer's PPD */
    std::string plugin; /* the bundle; empty: the PPD's APDialogExtension */
    std::vector<SettingItem> settings;
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

extern const char kPdehostUsage[];

/* pdehost's exit statuses (README.md, "Exit status"). */
enum { kExitDone = 0, kExitFailed = 1, kExitUsage = 2, kExitLeaked = 3 };

#endif /* PDEHOST_COMMAND_LINE_H */
