/*
 * CommandLine.cpp
 *
 * Reading pdehost's options.
 */
#include "CommandLine.h"

#include <strings.h>

const char kPdehostUsage[] =
    "usage: pdehost --ppd FILE [--plugin DIR] [--set KEY=VALUE]... [--set-bool KEY=true|false]...\n"
    "               [--job FILE (--printer NAME | --filter PATH)] [SCRIPT | -]\n"
    "  --ppd FILE          the printer's PPD\n"
    "  --plugin DIR        the dialog-extension bundle (default: the PPD's APDialogExtension)\n"
    "  --set KEY=VALUE     a string item in the print-settings ticket\n"
    "  --set-bool KEY=B    a boolean item (true or false)\n"
    "  --job FILE          the file a successful print submits\n"
    "  --printer NAME      submit it to this CUPS queue\n"
    "  --filter PATH       or run this CUPS filter on it and show its output\n"
    "  SCRIPT              the dialog actions; standard input when absent or \"-\"\n";

namespace {

bool splitSetting(const std::string &text, SettingItem &item, std::string &error) {
    size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        error = "\"" + text + "\" is not KEY=VALUE";
        return false;
    }
    item.key = text.substr(0, equals);
    item.text = text.substr(equals + 1);
    return true;
}

} // namespace

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

        std::string name = argument;
        std::string value;
        bool inlineValue = false;
        size_t equals = argument.find('=');
        if (equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inlineValue = true;
        }
        static const char *const kNames[] = {"--ppd", "--plugin",  "--set",   "--set-bool",
                                             "--job", "--printer", "--filter"};
        bool known = false;
        for (const char *knownName : kNames)
            known = known || name == knownName;
        if (!known) {
            error = "unknown option " + name;
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (value.empty()) {
            error = name + " needs a value";
            return false;
        }

        if (name == "--ppd") {
            options.ppd = value;
        } else if (name == "--plugin") {
            options.plugin = value;
        } else if (name == "--job") {
            options.job = value;
        } else if (name == "--printer") {
            options.printer = value;
        } else if (name == "--filter") {
            options.filter = value;
        } else {
            SettingItem item;
            if (!splitSetting(value, item, error))
                return false;
            if (name == "--set-bool") {
                item.isBoolean = true;
                if (strcasecmp(item.text.c_str(), "true") == 0) {
                    item.boolean = true;
                } else if (strcasecmp(item.text.c_str(), "false") == 0) {
                    item.boolean = false;
                } else {
                    error = "--set-bool " + item.key + " needs true or false, not \"" + item.text +
                            "\"";
                    return false;
                }
                item.text.clear();
            }
            options.settings.push_back(std::move(item));
        }
    }
    if (options.ppd.empty()) {
        error = "--ppd FILE is required: the printer's PPD";
        return false;
    }
    if (!options.printer.empty() && !options.filter.empty()) {
        error = "--printer and --filter exclude each other";
        return false;
    }
    if (options.script == "-")
        options.script.clear();
    return true;
}
