/*
 * main.cpp
 *
 * pdehost: the print dialog, for one printer and one dialog-extension
 * pane, worked by a script (or interactively). Makes the dialog's session
 * and tickets, loads the pane's bundle, opens the dialog, performs the
 * actions, and after a successful print turns the print-settings ticket
 * into job options and submits the job. At the end every platform object
 * must be gone again.
 *
 * Exit status: 0 done (printed or cancelled), 1 something could not be
 * loaded, run or submitted, 2 a wrong command line or script line, 3 the
 * plug-in registry or the platform's live objects are not back where they
 * started.
 */
#include "BundleLoader.h"
#include "CommandLine.h"
#include "DialogSession.h"
#include "EventOutput.h"
#include "JobSubmission.h"
#include "LiveObjects.h"
#include "PrintTickets.h"
#include "Script.h"
#include "TicketOptions.h"

#include <StandIn/CFStandIn.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

enum { kExitDone = 0, kExitFailed = 1, kExitUsage = 2, kExitLeaked = 3 };

void complain(const std::string &message) {
    std::fprintf(stderr, "pdehost: %s\n", message.c_str());
}

bool readScript(const std::string &path, std::string &text) {
    if (path.empty()) {
        std::ostringstream buffer;
        buffer << std::cin.rdbuf();
        text = buffer.str();
        return !std::cin.bad();
    }
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream buffer;
    buffer << file.rdbuf();
    text = buffer.str();
    return !file.bad();
}

/* Test hook: PDEHOST_ALLOCATION_FAILURE=N makes the Nth allocation of the
   platform layer from the moment the dialog's objects are made fail (the
   stand-in's fault injection); N+ makes every later one fail too. At the
   end the host says how many allocations failed. */
bool injectAllocationFailure() {
    const char *setting = std::getenv("PDEHOST_ALLOCATION_FAILURE");
    if (setting == nullptr || *setting == '\0')
        return false;
    char *end = nullptr;
    long nth = std::strtol(setting, &end, 10);
    bool persistent = *end == '+';
    if (nth > 0 && (*end == '\0' || (persistent && end[1] == '\0'))) {
        CFStandInSetAllocationFailure(nth, persistent);
        return true;
    }
    complain("PDEHOST_ALLOCATION_FAILURE=" + std::string(setting) + " is not N or N+");
    return false;
}

/* Performs the actions until a print succeeds, the script ends or a line
   is wrong; returns the exit status so far. */
int runScript(DialogSession &dialog, const std::vector<Action> &actions, bool &printed) {
    for (const Action &action : actions) {
        std::string error;
        DialogSession::Outcome outcome = dialog.Perform(action, error);
        if (outcome == DialogSession::Outcome::BadArgument) {
            complain("line " + std::to_string(action.line) + ": " + error);
            return kExitUsage;
        }
        if (outcome == DialogSession::Outcome::Printed) {
            printed = true;
            break;
        }
    }
    return kExitDone;
}

/* The same, reading one line at a time from a terminal. Wrong lines are
   reported and skipped. */
void runInteractively(DialogSession &dialog, bool &printed) {
    std::string line;
    int lineNumber = 0;
    while (dialog.IsOpen()) {
        std::fputs("pdehost> ", stderr);
        std::fflush(stderr);
        if (!std::getline(std::cin, line))
            break;
        ParsedLine parsed = ParseScriptLine(line, ++lineNumber);
        if (!parsed.error.empty()) {
            complain("line " + std::to_string(lineNumber) + ": " + parsed.error);
            continue;
        }
        if (!parsed.action)
            continue;
        std::string error;
        DialogSession::Outcome outcome = dialog.Perform(*parsed.action, error);
        if (outcome == DialogSession::Outcome::BadArgument)
            complain("line " + std::to_string(lineNumber) + ": " + error);
        if (outcome == DialogSession::Outcome::Printed)
            printed = true;
    }
    std::fputs("\n", stderr);
}

/* The print system's part after a successful print: the ticket's items,
   the job options made from them, and the submission. */
int printJob(const HostOptions &options, const PrintTickets &tickets, EventWriter &events) {
    std::vector<TicketItem> items = ReadTicketItems(tickets.printSettings);
    for (const TicketItem &item : items)
        events.Ticket(item);
    std::vector<std::string> skipped;
    std::string jobOptions = TicketItemsToOptions(items, &skipped);
    for (const std::string &key : skipped)
        complain("the ticket item \"" + key + "\" cannot be passed as a job option");
    events.Options(jobOptions);

    if (options.job.empty())
        return kExitDone;
    std::string error;
    if (!options.printer.empty()) {
        int jobID = SubmitJob(options.printer, options.job, jobOptions, error);
        if (jobID == 0) {
            complain(error);
            return kExitFailed;
        }
        events.Job(jobID);
    } else if (!options.filter.empty()) {
        events.Output();
        int status = RunFilter(options.filter, options.job, jobOptions, options.ppd, error);
        if (status != 0) {
            complain(status < 0 ? error
                                : "the filter " + options.filter + " exited with status " +
                                      std::to_string(status));
            return kExitFailed;
        }
    } else {
        complain("--job " + options.job + " is not submitted: give --printer or --filter");
    }
    return kExitDone;
}

} // namespace

int main(int argc, char *argv[]) {
    HostOptions options;
    std::string error;
    if (!ParseCommandLine(argc, argv, options, error)) {
        complain(error);
        std::fputs(kPdehostUsage, stderr);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kPdehostUsage, stdout);
        return kExitDone;
    }
    if (access(options.ppd.c_str(), R_OK) != 0) {
        complain("cannot read the PPD " + options.ppd + ": " + std::strerror(errno));
        return kExitUsage;
    }
    if (!options.job.empty() && access(options.job.c_str(), R_OK) != 0) {
        complain("cannot read the job " + options.job + ": " + std::strerror(errno));
        return kExitUsage;
    }

    bool interactive = options.script.empty() && isatty(STDIN_FILENO);
    std::vector<Action> actions;
    if (!interactive) {
        std::string text;
        if (!readScript(options.script, text)) {
            complain("cannot read the script " + options.script + ": " + std::strerror(errno));
            return kExitUsage;
        }
        ParsedScript script = ParseScript(text);
        if (script.errorLine != 0) {
            complain("line " + std::to_string(script.errorLine) + ": " + script.error);
            return kExitUsage;
        }
        actions = std::move(script.actions);
    }

    LiveObjects before = LiveObjects::Now();
    long failedBefore = CFStandInGetFailedAllocationCount();
    bool injecting = injectAllocationFailure();
    int exitStatus = kExitDone;
    {
        PrintTickets tickets;
        LoadedBundle bundle;
        if (!CreatePrintTickets(options.ppd, options.settings, tickets, error)) {
            complain(error);
            return kExitFailed;
        }
        std::string pluginPath = options.plugin;
        if (pluginPath.empty())
            pluginPath = ReadDialogExtensionPath(tickets.printerInfo, error);
        if (pluginPath.empty() ||
            !LoadPlugInBundle(pluginPath, CFSTR(kPMPrintingDialogExtensionsPlugInType), bundle,
                              error)) {
            complain(error);
            ReleasePrintTickets(tickets);
            return kExitFailed;
        }

        EventWriter events(stdout);
        bool printed = false;
        {
            DialogSession dialog(events);
            if (!dialog.Start(bundle.factory, tickets.session, error)) {
                complain(error);
                exitStatus = kExitFailed;
            } else if (interactive) {
                runInteractively(dialog, printed);
            } else {
                exitStatus = runScript(dialog, actions, printed);
            }
            dialog.Cancel(); // a dialog still open when the script ends is cancelled
        }
        if (printed)
            exitStatus = printJob(options, tickets, events);
        if (!events.Good()) {
            complain("cannot write the events to standard output");
            exitStatus = kExitFailed;
        }
        ReleasePrintTickets(tickets);
        ReleasePlugInBundle(bundle);
    }

    if (injecting) {
        CFStandInSetAllocationFailure(0, false);
        complain("injected allocation failures: " +
                 std::to_string(CFStandInGetFailedAllocationCount() - failedBefore));
    }
    std::string leftOver = LiveObjects::Differences(before, LiveObjects::Now());
    if (!leftOver.empty()) {
        complain("the dialog left platform objects behind: " + leftOver);
        return kExitLeaked;
    }
    return exitStatus;
}
