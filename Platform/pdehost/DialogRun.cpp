/*
 * DialogRun.cpp
 *
 * The print dialog from the tickets to the last release, the plug-in
 * loading and the print system's part after a print.
 */
#include "DialogRun.h"

#include "DialogSession.h"
#include "HostText.h"
#include "JobSubmission.h"
#include "LiveObjects.h"
#include "PrintTickets.h"
#include "TicketOptions.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

/* The bundle at `path` as a plug-in, and an instance of the dialog-extension
   type from the first factory that makes one. */
void *createInstance(std::string path, CFPlugInFactoryFunction linkedFactory, CFPlugInRef &plugIn,
                     std::string &error) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8 *>(path.c_str()),
        static_cast<CFIndex>(path.size()), true);
    plugIn = url != nullptr ? CFPlugInCreate(kCFAllocatorDefault, url) : nullptr;
    if (url != nullptr)
        CFRelease(url);
    if (plugIn == nullptr) {
        error = "no bundle at " + path;
        return nullptr;
    }
    CFUUIDRef type =
        CFUUIDCreateFromString(kCFAllocatorDefault, CFSTR(kPMPrintingDialogExtensionsPlugInType));
    CFArrayRef factories = type != nullptr ? CFPlugInFindFactoriesForPlugInType(type) : nullptr;
    void *instance = nullptr;
    for (CFIndex i = 0; factories != nullptr && i < CFArrayGetCount(factories) && !instance; i++) {
        auto factory = static_cast<CFUUIDRef>(CFArrayGetValueAtIndex(factories, i));
        instance = linkedFactory != nullptr
                       ? linkedFactory(kCFAllocatorDefault, type)
                       : CFPlugInInstanceCreate(kCFAllocatorDefault, factory, type);
    }
    if (factories == nullptr || CFArrayGetCount(factories) == 0)
        error = "the bundle's Info.plist names no factory for the dialog-extension plug-in "
                "type " kPMPrintingDialogExtensionsPlugInType;
    else if (instance == nullptr)
        error = "the factory made no instance of the dialog-extension type";
    if (factories != nullptr)
        CFRelease(factories);
    if (type != nullptr)
        CFRelease(type);
    return instance;
}

/* Performs the actions until a print succeeds, the script ends or a line
   is wrong; reading them from the terminal when there is no script, where
   wrong lines are reported and skipped. */
int runActions(DialogSession &dialog, const std::vector<Action> *actions, bool &printed) {
    auto perform = [&](const Action &action) {
        std::string error;
        DialogSession::Outcome outcome = dialog.Perform(action, error);
        if (outcome == DialogSession::Outcome::BadArgument)
            Complain("line " + std::to_string(action.line) + ": " + error);
        printed = outcome == DialogSession::Outcome::Printed;
        return outcome;
    };
    if (actions != nullptr) {
        for (const Action &action : *actions) {
            DialogSession::Outcome outcome = perform(action);
            if (outcome == DialogSession::Outcome::BadArgument)
                return kExitUsage;
            if (printed)
                break;
        }
        return kExitDone;
    }
    std::string line;
    for (int lineNumber = 1; dialog.IsOpen(); lineNumber++) {
        std::fputs("pdehost> ", stderr);
        std::fflush(stderr);
        if (!std::getline(std::cin, line))
            break;
        ParsedLine parsed = ParseScriptLine(line, lineNumber);
        if (!parsed.error.empty())
            Complain("line " + std::to_string(lineNumber) + ": " + parsed.error);
        else if (parsed.action)
            perform(*parsed.action);
    }
    std::fputs("\n", stderr);
    return kExitDone;
}

/* The print system's part after a successful print: the ticket's items,
   the job options made from them, and the submission. */
int printJob(const HostOptions &options, PMTicketRef settings, EventWriter &events) {
    std::vector<TicketItem> items = ReadTicketItems(settings);
    for (const TicketItem &item : items)
        events.Ticket(item);
    std::vector<std::string> skipped;
    std::string jobOptions = TicketItemsToOptions(items, &skipped);
    for (const std::string &key : skipped)
        Complain("the ticket item \"" + key + "\" cannot be passed as a job option");
    events.Options(jobOptions);

    if (options.job.empty())
        return kExitDone;
    std::string error;
    if (!options.printer.empty()) {
        int jobID = SubmitJob(options.printer, options.job, jobOptions, error);
        if (jobID == 0) {
            Complain(error);
            return kExitFailed;
        }
        events.Job(jobID);
    } else if (!options.filter.empty()) {
        events.Output();
        int status = RunFilter(options.filter, options.job, jobOptions, options.ppd, error);
        if (status != 0) {
            Complain(status < 0 ? error
                                : "the filter " + options.filter + " exited with status " +
                                      std::to_string(status));
            return kExitFailed;
        }
    } else {
        Complain("--job " + options.job + " is not submitted: give --printer or --filter");
    }
    return kExitDone;
}

/* Everything between the two counts of live objects. */
int runWithTickets(const HostOptions &options, const std::vector<Action> *actions,
                   EventWriter &events, CFPlugInFactoryFunction linkedFactory,
                   DialogDriver driver) {
    PrintTickets tickets;
    std::string error;
    if (!CreatePrintTickets(options.ppd, options.settings, tickets, error)) {
        Complain(error);
        return kExitFailed;
    }
    std::string path = options.plugin;
    if (path.empty())
        path = ReadDialogExtensionPath(tickets.printerInfo, error);
    CFPlugInRef plugIn = nullptr;
    void *instance = path.empty() ? nullptr : createInstance(path, linkedFactory, plugIn, error);
    int status = kExitFailed;
    bool printed = false;
    if (instance == nullptr) {
        Complain(error);
    } else {
        DialogSession dialog(events);
        dialog.SetClosingPicture(options.snapshot);
        if (!dialog.Start(instance, tickets.session, error))
            Complain(error);
        else if (driver != nullptr)
            status = driver(dialog, printed);
        else
            status = runActions(dialog, actions, printed);
        dialog.Cancel(); // a dialog still open when the actions end is cancelled
    }
    if (printed)
        status = printJob(options, tickets.printSettings, events);
    if (!events.Good()) {
        Complain("cannot write the events to standard output");
        status = kExitFailed;
    }
    ReleasePrintTickets(tickets);
    if (plugIn != nullptr)
        CFRelease(plugIn); // the executable stays loaded, as on the platform
    return status;
}

} // namespace

int RunDialog(const HostOptions &options, const std::vector<Action> *actions, EventWriter &events,
              CFPlugInFactoryFunction linkedFactory, DialogDriver driver) {
    if (!options.language.empty())
        setenv("LANGUAGE", options.language.c_str(), 1); /* read by the bundle's lookups */
    LiveObjects before = LiveObjects::Now();
    int status = runWithTickets(options, actions, events, linkedFactory, driver);
    std::string leftOver = LiveObjects::Differences(before, LiveObjects::Now());
    if (!leftOver.empty()) {
        Complain("the dialog left platform objects behind: " + leftOver);
        return kExitLeaked;
    }
    return status;
}
