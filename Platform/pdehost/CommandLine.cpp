/*
 * CommandLine.cpp
 *
 * Reading pdehost's options.
 */
#include "CommandLine.h"

#include <strings.h>

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
            if (haveScript) {
                error = "more than one script: " + options.script + " and " + argument;
                return false;
            }
            options.script = argument;
            haveScript = true;
            continue;
        }
        if (argument.compare(0, 2, "--") != 0) {
            error = "unknown option " + argument;
            return false;
        }

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
        if (path == nullptr && name != "--set" && name != "--set-bool") {
            error = "unknown option " + name;
            return false;
        }
        if (!inlineValue && i + 1 < argc)
            value = argv[++i];
        if (value.empty()) {
            error = name + " needs a value";
            return false;
        }
        if (path != nullptr) {
            options.*path = value;
            continue;
        }

        SettingItem item;
        equals = value.find('=');
        if (equals == std::string::npos || equals == 0) {
            error = "\"" + value + "\" is not KEY=VALUE";
            return false;
        }
        item.key = value.substr(0, equals);
        item.text = value.substr(equals + 1);
        if (name == "--set-bool") {
            item.isBoolean = true;
            item.boolean = strcasecmp(item.text.c_str(), "true") == 0;
            if (!item.boolean && strcasecmp(item.text.c_str(), "false") != 0) {
                error =
                    "--set-bool " + item.key + " needs true or false, not \"" + item.text + "\"";
                return false;
            }
            item.text.clear();
        }
        options.settings.push_back(std::move(item));
    }
    if (options.ppd.empty()) {
        error = "--ppd FILE is required: the printer's PPD";
        return false;
    }
    if (!options.printer.empty() && !options.filter.empty()) {
        error = "--printer and --filter exclude each other";
        return false;
    }
    if (options.window && haveScript) {
        error = "--window takes no script";
        return false;
    }
    if (options.script == "-")
        options.script.clear();
    return true;
}
