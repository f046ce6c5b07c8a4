/*
 * main.cpp
 *
 * pdehost: the print dialog for one printer and one dialog-extension
 * pane, worked by a script (README.md). Reads the command line and the
 * script, then runs the dialog (DialogSession.h).
 */
#include "CommandLine.h"
#include "DialogSession.h"
#include "HostText.h"
#include "Window.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

/* The script at `path`, or on standard input when `path` is empty. */
bool readScript(const std::string &path, std::string &text) {
    std::ifstream file;
    if (!path.empty()) {
        file.open(path, std::ios::binary);
        if (!file)
            return false;
    }
    std::istream &in = path.empty() ? std::cin : file;
    text.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

} // namespace

int main(int argc, char *argv[]) {
    HostOptions options;
    std::string error;
    if (!ParseCommandLine(argc, argv, options, error)) {
        Complain(error);
        std::fputs(kPdehostUsage, stderr);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kPdehostUsage, stdout);
        return kExitDone;
    }
    for (const auto &[what, path] : {std::pair("PPD ", options.ppd), {"job ", options.job}}) {
        if (!path.empty() && access(path.c_str(), R_OK) != 0) {
            Complain("cannot read the " + std::string(what) + path + ": " + std::strerror(errno));
            return kExitUsage;
        }
    }

    bool interactive = options.window || (options.script.empty() && isatty(STDIN_FILENO));
    std::vector<Action> actions;
    if (!interactive) {
        std::string text;
        if (!readScript(options.script, text)) {
            Complain("cannot read the script " + options.script + ": " + std::strerror(errno));
            return kExitUsage;
        }
        ParsedScript script = ParseScript(text);
        if (script.errorLine != 0) {
            Complain(script.error, script.errorLine);
            return kExitUsage;
        }
        actions = std::move(script.actions);
    }

    EventWriter events(stdout);
    if (options.window)
        return RunWindow(options, events);
    return RunDialog(options, interactive ? nullptr : &actions, events);
}
