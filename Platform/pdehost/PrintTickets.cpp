/*
 * PrintTickets.cpp
 *
 * Making the dialog's print session and tickets, reading a ticket's items
 * back as plain texts, and finding the printer's dialog extension.
 */
#include "PrintTickets.h"

#include "HostText.h"

#include <PPDLib/PPDLib.h>
#include <StandIn/PMStandIn.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace {

/* The client under which the dialog writes the items given to it. */
const CFStringRef kHostClientID = CFSTR("pdehost");

bool writeSetting(PMTicketRef ticket, const SettingItem &item, std::string &error) {
    CFStringRef key = CreateCFStringFromText(item.key);
    if (key == nullptr) {
        error = "the key \"" + item.key + "\" is not UTF-8 text";
        return false;
    }
    OSStatus status;
    if (item.isBoolean) {
        status = PMTicketSetBoolean(ticket, kHostClientID, key, item.boolean, kPMUnlocked);
    } else {
        CFStringRef value = CreateCFStringFromText(item.text);
        if (value == nullptr) {
            CFRelease(key);
            error = "the value of " + item.key + " is not UTF-8 text";
            return false;
        }
        status = PMTicketSetCFString(ticket, kHostClientID, key, value, kPMUnlocked);
        CFRelease(value);
    }
    CFRelease(key);
    if (status != noErr) {
        error = "cannot set " + item.key + " in the print-settings ticket: status " +
                std::to_string(status);
        return false;
    }
    return true;
}

/* A path on the platform's disk on this system: the path itself when
   something is there, else the same path under `root` when something is
   there, else empty. A relative path is only tried as it is. */
std::string mapPlatformPath(const std::string &platformPath, const std::string &root) {
    if (access(platformPath.c_str(), F_OK) == 0)
        return platformPath;
    if (root.empty() || platformPath[0] != '/')
        return std::string();
    std::string underRoot = root + platformPath;
    return access(underRoot.c_str(), F_OK) == 0 ? underRoot : std::string();
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

} // namespace

bool CreatePrintTickets(const std::string &ppdPath, const std::vector<SettingItem> &settings,
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
    if (status == noErr)
        status = PMStandInTicketSetPPDPath(tickets.printerInfo, ppdPath.c_str());
    if (status != noErr)
        return failed("cannot make the printer-info ticket", status);
    status = PMTicketCreate(kCFAllocatorDefault, kPMPrintSettingsTicket, &tickets.printSettings);
    if (status != noErr)
        return failed("cannot make the print-settings ticket", status);
    for (const SettingItem &item : settings) {
        if (!writeSetting(tickets.printSettings, item, error))
            return failed(nullptr, noErr);
    }
    status = PMStandInSessionSetTicket(tickets.session, CFSTR(kPDE_PMPrinterInfoRef),
                                       tickets.printerInfo);
    if (status == noErr)
        status = PMStandInSessionSetTicket(tickets.session, CFSTR(kPDE_PMPrintSettingsRef),
                                           tickets.printSettings);
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

std::vector<TicketItem> ReadTicketItems(PMTicketRef ticket) {
    std::vector<TicketItem> items;
    CFIndex count = PMStandInTicketGetItemCount(ticket);
    for (CFIndex i = 0; i < count; i++) {
        CFStringRef key = nullptr, client = nullptr;
        CFTypeRef value = nullptr;
        Boolean locked = false;
        if (PMStandInTicketGetItemAtIndex(ticket, i, &key, &value, &client, &locked) != noErr)
            continue;
        TicketItem item;
        item.key = TextOrEmpty(key);
        item.client = TextOrEmpty(client);
        item.locked = locked;
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
    std::string platformPath(reinterpret_cast<const char *>(value + 1), value[0]);
    std::string root = platformRoot();
    std::string path = mapPlatformPath(platformPath, root);
    if (path.empty())
        error = "no bundle at " + platformPath + (root.empty() ? "" : " nor under " + root);
    return path;
}
