/*
 * CPDEPlugin.h
 *
 * The base class of a print-dialog pane. It fixes the virtual operations
 * through which the dialog-extension glue (PDEInterface) drives a pane,
 * gives each a default that does nothing, and offers derived panes their
 * bundle, localized strings, ticket lookup in a print session and the
 * moving of a nib window's controls into the dialog's pane area.
 */
#ifndef CPDEPLUGIN_H
#define CPDEPLUGIN_H

#include <ApplicationServices/ApplicationServices.h>
#include <Carbon/Carbon.h>
#include <CoreFoundation/CoreFoundation.h>

class CPDEPlugin {
public:
    explicit CPDEPlugin(CFStringRef pluginBundleID);
    virtual ~CPDEPlugin();

    virtual OSStatus CreateUI(PMPDEFlags *flags, PMPDERef ref, ControlRef parentUserPane,
                              PMPrintSession printSession);
    virtual OSStatus OnOpenUI();
    virtual OSStatus OnCloseUI();
    virtual OSStatus GetSummaryText(CFMutableArrayRef titleArray, CFMutableArrayRef summaryArray);
    virtual OSStatus TicketToUI(PMPrintSession session);
    virtual OSStatus UIToTicket(PMPrintSession session);

    CFBundleRef GetMainBundle() const { return mMainBundleRef; }
    CFStringRef CopyLocalizedString(CFStringRef key, CFStringRef comment);

    CPDEPlugin(const CPDEPlugin &) = delete;
    CPDEPlugin &operator=(const CPDEPlugin &) = delete;

protected:
    Boolean EmbedControlsFromNib(WindowRef nibWindow, ControlRef userPane);
    /* Reads the ticket reference stored under `ticket` in the session into
       the PMTicketRef variable that `container` points to; kPMInvalidTicket
       when the session holds no such ticket. */
    OSStatus GetTicketFromSession(PMPrintSession printSession, CFStringRef ticket, void *container);

private:
    CFBundleRef mMainBundleRef; /* borrowed: the bundle stays loaded */
};

#endif /* CPDEPLUGIN_H */
