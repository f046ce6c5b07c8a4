/*
 * DialogSession.h
 *
 * One print dialog with one dialog-extension pane, driven the way the
 * platform's print dialog drives it (README.md, "How the dialog drives the
 * pane"), the user's actions performed one by one and reported as events;
 * and the whole dialog as pdehost and the in-process tests run it, from the
 * tickets and the loading of the bundle to the print system's part and the
 * count of live platform objects before and after.
 */
#ifndef PDEHOST_DIALOG_SESSION_H
#define PDEHOST_DIALOG_SESSION_H

#include "CommandLine.h"
#include "HostText.h"

#include <ApplicationServices/ApplicationServices.h>
#include <Carbon/Carbon.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

/* Counts of the platform objects alive at one moment; the dialog takes
   them before it opens and after it has gone, and the two must agree. */
struct LiveObjects {
    /* plug-in instances, CF objects, windows, controls, events, event
       handlers, nib references, print sessions, tickets, PPD contexts */
    std::array<long, 10> counts{};

    static LiveObjects Now();

    /* "" when `later` holds the same counts, else a list such as
       "plug-in instances 0 -> 1, CF objects 12 -> 14". */
    static std::string Differences(const LiveObjects &earlier, const LiveObjects &later);
};

class DialogSession {
public:
    enum class Outcome {
        Continue,   /* the dialog stays open */
        Printed,    /* print succeeded; the dialog has closed */
        BadArgument /* the action names something that is not there */
    };

    /* A dialog that writes a picture of its window to `closingPicture`
       (when given) as it closes. */
    explicit DialogSession(EventWriter &events, std::string closingPicture = "")
        : mEvents(events), mClosingPicture(std::move(closingPicture)) {}
    ~DialogSession(); /* cancels a dialog that is still open */
    DialogSession(const DialogSession &) = delete;
    DialogSession &operator=(const DialogSession &) = delete;

    /* Opens the dialog on `session` with the plug-in's IUnknown `instance`,
       whose reference it takes over. False, with `error` set and the
       instance released, when it offers no dialog-extension interface. A
       pane that fails its prologue or Initialize is no failure here: the
       dialog then simply has no pane. */
    bool Start(void *instance, PMPrintSession session, std::string &error);

    Outcome Perform(const Action &action, std::string &error);

    bool IsOpen() const { return mOpen; }
    bool HasPane() const { return mPaneBuilt; }
    PMPrintSession Session() const { return mSession; } /* and so the tickets */

    /* The dialog's window (null when closed), and what else the user sees
       of an alert. */
    WindowRef Window() const { return mWindow; }
    void SetAlertPresenter(void (*present)(const std::string &message)) { mPresentAlert = present; }

private:
    void closeDialog(OSStatus dialogStatus);
    OSStatus callSync(Boolean direction);
    void summary();
    void showChildren(ControlRef parent);
    bool findControl(const Action &action, ControlRef &control, std::string &error);
    void writePicture(const std::string &path);

    EventWriter &mEvents;
    PMPrintSession mSession = nullptr;
    void *mInstance = nullptr;        /* IUnknown instance */
    PlugInIntf *mInterface = nullptr; /* from QueryInterface, and taken again with Retain */
    PMPDEContext mContext = nullptr;
    bool mHasContext = false;
    WindowRef mWindow = nullptr;
    ControlRef mUserPane = nullptr;
    bool mPaneBuilt = false;
    bool mOpen = false;
    std::string mClosingPicture;
    std::string mAlertPicture; /* written while the next alert is up */
    void (*mPresentAlert)(const std::string &) = nullptr;
};

/* Works an open dialog in place of a script: the exit status, with
   `printed` set when a print succeeded. */
using DialogDriver = std::function<int(DialogSession &dialog, bool &printed)>;

/* Runs the dialog for `options` with `actions` (null: read from the
   terminal, one at a time) and returns pdehost's exit status; what fails is
   said on standard error. `linkedFactory`, when given, makes the pane's
   instance in place of the bundle's own factory (the bundle is still
   registered, so the pane finds its resources): the tests link the pane's
   code so that they can reach its glue. */
int RunDialog(const HostOptions &options, const std::vector<Action> *actions, EventWriter &events,
              CFPlugInFactoryFunction linkedFactory = nullptr, DialogDriver driver = nullptr);

#endif /* PDEHOST_DIALOG_SESSION_H */
