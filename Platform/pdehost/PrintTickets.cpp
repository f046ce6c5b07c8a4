/*
 * PrintTickets.cpp
 *
 * Making the dialog's print session and tickets, finding the printer's
 * dialog extension, and the print system's part after a print: the ticket's
 * items as plain texts, CUPS job options made of them, and the submission
 * of the job to a queue or through one filter.
 */
#include "PrintTickets.h"

#include "HostText.h"

#include <PPDLib/PPDLib.h>
#include <QuarnSettingsKeys.h>
#include <StandIn/PMStandIn.h>
#include <cups/cups.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

extern char **environ;

namespace {

/* The client under which the dialog writes the items given to it. */
const CFStringRef kHostClientID = CFSTR("pdehost");

/* The ticket in the session under `name`, as the platform's dialog keeps
   it: a 64-bit number holding the reference. */
OSStatus keepTicket(PMPrintSession session, CFStringRef name, PMTicketRef ticket) {
    SInt64 reference = static_cast<SInt64>(reinterpret_cast<intptr_t>(ticket));
    CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &reference);
    OSStatus status = number != nullptr ? PMSessionSetDataInSession(session, name, number)
                                        : static_cast<OSStatus>(kPMAllocationFailure);
    ReleaseIfAny(number);
    return status;
}

/* The folder that stands for the platform's disk: PDEHOST_PLATFORM_ROOT
   taken relative to the running program's directory; empty when the
   program's file cannot be found. */
std::string platformRoot() {
    char program[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0)
        return std::string();
    std::string root(program, static_cast<size_t>(length));
    root.erase(root.rfind('/') + 1);
    root += PDEHOST_PLATFORM_ROOT;
    char resolved[PATH_MAX];
    return realpath(root.c_str(), resolved) != nullptr ? std::string(resolved) : root;
}

bool isOptionName(std::string_view name) {
    return !name.empty() && std::none_of(name.begin(), name.end(), [](unsigned char ch) {
        return ch <= ' ' || ch == '=' || ch == 0x7f;
    });
}

/* A backslash in front of every character that would end the value or
   change its meaning for cupsParseOptions. */
std::string quoteOptionValue(std::string_view value) {
    static const char kSpecial[] = " \t\n\v\f\r\\'\"{}";
    std::string quoted;
    for (char ch : value) {
        if (ch != '\0' && std::strchr(kSpecial, ch) != nullptr)
            quoted += '\\';
        quoted += ch;
    }
    return quoted;
}

std::string baseName(const std::string &path) {
    return path.substr(path.find_last_of('/') + 1);
}

/* Runs the filter with the CUPS filter arguments (job ID, user, title,
   copies, options, file) and the environment with the scheduler's PPD,
   PRINTER and CONTENT_TYPE; its standard output and error are this
   process's. What went wrong, or "" when it ran and exited with 0. */
std::string runFilter(const HostOptions &options, const std::string &jobOptions) {
    const char *user = cupsUser();
    std::vector<std::string> arguments = {
        options.filter, "1",        user != nullptr ? user : "nobody", baseName(options.job), "1",
        jobOptions,     options.job};
    std::vector<std::string> environment = {"PPD=" + options.ppd, "PRINTER=pdehost",
                                            "CONTENT_TYPE=application/vnd.cups-postscript"};
    for (char **entry = environ; entry != nullptr && *entry != nullptr; entry++) {
        std::string_view variable = *entry;
        if (!variable.starts_with("PPD=") && !variable.starts_with("PRINTER=") &&
            !variable.starts_with("CONTENT_TYPE="))
            environment.emplace_back(variable);
    }
    std::vector<char *> argv, envp;
    for (std::string &text : arguments)
        argv.push_back(text.data());
    for (std::string &text : environment)
        envp.push_back(text.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    pid_t pid = 0;
    int spawnError =
        posix_spawn(&pid, options.filter.c_str(), nullptr, nullptr, argv.data(), envp.data());
    if (spawnError != 0)
        return "cannot run " + options.filter + ": " + std::strerror(spawnError);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return "lost the filter " + options.filter + ": " + std::strerror(errno);
    }
    if (!WIFEXITED(status))
        return "the filter " + options.filter + " was ended by signal " +
               std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) != 0)
        return "the filter " + options.filter + " exited with status " +
               std::to_string(WEXITSTATUS(status));
    return "";
}

} // namespace

OSStatus WriteTicketItem(PMTicketRef ticket, const TicketItem &item, std::string &error) {
    bool isBoolean = item.kind == TicketItem::Kind::Boolean;
    CFStringRef key = CreateCFStringFromText(item.key);
    CFStringRef value = isBoolean ? nullptr : CreateCFStringFromText(item.text);
    OSStatus status = kPMInvalidValue;
    if (key == nullptr || (!isBoolean && value == nullptr))
        error = "the item " + item.key + " is not UTF-8 text";
    else if (isBoolean)
        status = PMTicketSetBoolean(ticket, kHostClientID, key, item.boolean, kPMUnlocked);
    else
        status = PMTicketSetCFString(ticket, kHostClientID, key, value, kPMUnlocked);
    if (status != noErr && error.empty())
        error = "cannot set " + item.key + " in the print-settings ticket: status " +
                std::to_string(status);
    ReleaseIfAny(key);
    ReleaseIfAny(value);
    return status;
}

bool CreatePrintTickets(const std::string &ppdPath, const std::vector<TicketItem> &settings,
                        PrintTickets &tickets, std::string &error) {
    tickets = PrintTickets();
    auto failed = [&](const char *what, OSStatus status) {
        if (what != nullptr)
            error = std::string(what) + ": status " + std::to_string(status);
        ReleasePrintTickets(tickets);
        return false;
    };
    OSStatus status = PMCreateSession(&tickets.session);
    if (status != noErr) {
        tickets.session = nullptr;
        return failed("cannot make a print session", status);
    }
    status = PMTicketCreate(kCFAllocatorDefault, kPMPrinterInfoTicket, &tickets.printerInfo);
    CFStringRef path = CreateCFStringFromText(ppdPath);
    if (status == noErr)
        status = path != nullptr ? PMTicketSetCFString(tickets.printerInfo, kHostClientID,
                                                       kPMStandInPPDPathKey, path, kPMUnlocked)
                                 : static_cast<OSStatus>(kPMAllocationFailure);
    ReleaseIfAny(path);
    if (status != noErr)
        return failed("cannot make the printer-info ticket", status);
    status = PMTicketCreate(kCFAllocatorDefault, kPMPrintSettingsTicket, &tickets.printSettings);
    if (status != noErr)
        return failed("cannot make the print-settings ticket", status);
    for (const TicketItem &item : settings) {
        if (WriteTicketItem(tickets.printSettings, item, error) != noErr)
            return failed(nullptr, noErr);
    }
    status = keepTicket(tickets.session, CFSTR(kPDE_PMPrinterInfoRef), tickets.printerInfo);
    if (status == noErr)
        status = keepTicket(tickets.session, CFSTR(kPDE_PMPrintSettingsRef), tickets.printSettings);
    if (status != noErr)
        return failed("cannot keep the tickets in the print session", status);
    return true;
}

void ReleasePrintTickets(PrintTickets &tickets) {
    if (tickets.session != nullptr)
        PMRelease(tickets.session);
    if (tickets.printSettings != nullptr)
        PMTicketRelease(tickets.printSettings);
    if (tickets.printerInfo != nullptr)
        PMTicketRelease(tickets.printerInfo);
    tickets = PrintTickets();
}

std::string ReadDialogExtensionPath(PMTicketRef printerInfo, std::string &error) {
    PPDContext context = nullptr;
    FSSpec fileSpec;
    OSStatus status = ppdOpenCompiledPPDFromTicket(printerInfo, &fileSpec, &context);
    if (status != noErr) {
        error = "cannot read the printer's PPD: status " + std::to_string(status);
        return std::string();
    }
    static const unsigned char kKeyword[] = "\021APDialogExtension";
    SInt16 mainIndex = -1;
    unsigned char value[256] = {0};
    status = ppdGetMainIndex(context, kKeyword, &mainIndex);
    if (status == noErr)
        status = ppdGetInvocationString(context, mainIndex, 0, value, sizeof value);
    ppdCloseCompiledPPDFromTicket(context, &fileSpec);
    if (status != noErr || value[0] == 0) {
        error = "the printer's PPD names no dialog extension (APDialogExtension)";
        return std::string();
    }
    // The path itself when something is there, else the same path under
    // the platform root; a relative path is only tried as it is.
    std::string path(reinterpret_cast<const char *>(value + 1), value[0]);
    if (access(path.c_str(), F_OK) == 0)
        return path;
    std::string root = platformRoot();
    if (!root.empty() && path[0] == '/' && access((root + path).c_str(), F_OK) == 0)
        return root + path;
    error = "no bundle at " + path + (root.empty() ? "" : " nor under " + root);
    return std::string();
}

std::vector<TicketItem> ReadTicketItems(PMTicketRef ticket) {
    std::vector<TicketItem> items;
    CFStringRef key = nullptr, client = nullptr;
    CFTypeRef value = nullptr;
    for (CFIndex i = 0; PMStandInTicketGetItemAtIndex(ticket, i, &key, &value, &client) == noErr;
         i++) {
        TicketItem item;
        item.key = TextOrEmpty(key);
        item.client = TextOrEmpty(client);
        if (value != nullptr && CFGetTypeID(value) == CFStringGetTypeID()) {
            std::optional<std::string> text = TextFromCFString(static_cast<CFStringRef>(value));
            if (text) {
                item.kind = TicketItem::Kind::String;
                item.text = *text;
            }
        } else if (value != nullptr && CFGetTypeID(value) == CFBooleanGetTypeID()) {
            item.kind = TicketItem::Kind::Boolean;
            item.boolean = CFBooleanGetValue(static_cast<CFBooleanRef>(value));
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::string TicketItemsToOptions(const std::vector<TicketItem> &items,
                                 std::vector<std::string> *skipped) {
    std::string options;
    for (const TicketItem &item : items) {
        if (item.kind == TicketItem::Kind::Other || !isOptionName(item.key) ||
            item.text.find('\0') != std::string::npos) {
            if (skipped != nullptr)
                skipped->push_back(item.key);
            continue;
        }
        options += (options.empty() ? "" : " ") + item.key;
        if (item.kind == TicketItem::Kind::Boolean)
            options += kQuarnBooleanOptionSuffix "=" + std::string(item.boolean ? "True" : "False");
        else
            options += "=" + quoteOptionValue(item.text);
    }
    return options;
}

int PrintJob(const HostOptions &options, PMTicketRef printSettings, EventWriter &events) {
    std::vector<TicketItem> items = ReadTicketItems(printSettings);
    for (const TicketItem &item : items) {
        std::string value = "other";
        if (item.kind == TicketItem::Kind::String)
            value = "string " + QuoteEventText(item.text);
        else if (item.kind == TicketItem::Kind::Boolean)
            value = item.boolean ? "boolean true" : "boolean false";
        events.Line("ticket " + item.key + " " + value);
    }
    std::vector<std::string> skipped;
    std::string jobOptions = TicketItemsToOptions(items, &skipped);
    for (const std::string &key : skipped)
        Complain("the ticket item \"" + key + "\" cannot be passed as a job option");
    events.Line(jobOptions.empty() ? "options" : "options " + jobOptions);

    if (options.job.empty())
        return kExitDone;
    if (!options.printer.empty()) {
        cups_option_t *parsed = nullptr;
        int count = cupsParseOptions(jobOptions.c_str(), 0, &parsed);
        int jobID = cupsPrintFile(options.printer.c_str(), options.job.c_str(),
                                  baseName(options.job).c_str(), count, parsed);
        cupsFreeOptions(count, parsed);
        if (jobID == 0) {
            Complain("cannot submit " + options.job + " to " + options.printer + ": " +
                     cupsLastErrorString());
            return kExitFailed;
        }
        events.Line("job " + std::to_string(jobID));
    } else if (!options.filter.empty()) {
        events.Line("output");
        std::string error = runFilter(options, jobOptions);
        if (!error.empty()) {
            Complain(error);
            return kExitFailed;
        }
    } else {
        Complain("--job " + options.job + " is not submitted: give --printer or --filter");
    }
    return kExitDone;
}
