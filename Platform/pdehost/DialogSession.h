/*
 * DialogSession.h
 *
 * One print dialog with one dialog-extension pane, driven the way the
 * platform's print dialog drives it (README.md, "How the dialog drives the
 * pane"), the user's actions performed one by one and reported as events.
 */
#ifndef PDEHOST_DIALOG_SESSION_H
#define PDEHOST_DIALOG_SESSION_H

#include "EventOutput.h"
#include "Script.h"

#include <ApplicationServices/ApplicationServices.h>
#include <Carbon/Carbon.h>

#include <string>

class DialogSession;
DialogItemIndex observeAlert(void *refcon, AlertType type, CFStringRef message,
                             CFStringRef explanation);

class DialogSession {
public:
    enum class Outcome {
        Continue,   /* the dialog stays open */
        Printed,    /* print succeeded; the dialog has closed */
        BadArgument /* the action names something that is not there */
    };

    explicit DialogSession(EventWriter &events);
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
    EventWriter &Events() { return mEvents; }

    /* Closes the dialog without printing. Does nothing when it is closed. */
    void Cancel();

    bool IsOpen() const { return mOpen; }
    bool HasPane() const { return mPaneBuilt; }

    /* The dialog's window (null when closed), a picture of it written
       when it closes, and what else the user sees of an alert. */
    WindowRef Window() const { return mWindow; }
    void SetClosingPicture(const std::string &path) { mClosingPicture = path; }
    void SetAlertPresenter(void (*present)(void *refcon, const std::string &message),
                           void *refcon) {
        mPresentAlert = present;
        mPresentRefcon = refcon;
    }

private:
    void closeDialog(OSStatus dialogStatus);
    OSStatus createPaneArea(UInt32 width, UInt32 height);
    OSStatus callSync(Boolean direction);
    void summary();
    void showChildren(ControlRef parent);
    void showControl(ControlRef control);
    bool findControl(const Action &action, ControlRef &control, std::string &error);
    void note(const std::string &text);

    EventWriter &mEvents;
    PMPrintSession mSession = nullptr;
    void *mInstance = nullptr;        /* IUnknown instance */
    PlugInIntf *mInterface = nullptr; /* from QueryInterface */
    PlugInIntf *mRetained = nullptr;  /* the reference taken with Retain */
    PMPDEContext mContext = nullptr;
    bool mHasContext = false;
    WindowRef mWindow = nullptr;
    ControlRef mUserPane = nullptr;
    bool mPaneBuilt = false;
    bool mOpen = false;
    int mLine = 0; /* the line of the action being performed */
    std::string mClosingPicture;
    std::string mAlertPicture; /* written while the next alert is up */
    void (*mPresentAlert)(void *, const std::string &) = nullptr;
    void *mPresentRefcon = nullptr;
    friend DialogItemIndex observeAlert(void *, AlertType, CFStringRef, CFStringRef);
};

#endif /* PDEHOST_DIALOG_SESSION_H */
