/*
 * PlugInTestSupport.h
 *
 * Helpers for the Job Log plug-in's tests: owned CF references, temporary
 * directories with PPD files, a print session holding both tickets as the
 * dialog stores them, a dialog window with its user pane, an alert and beep
 * recorder, and the plug-in's bundle registered by identifier.
 */
#ifndef PLUGINTESTSUPPORT_H
#define PLUGINTESTSUPPORT_H

#include <ApplicationServices/ApplicationServices.h>
#include <Carbon/Carbon.h>
#include <CoreFoundation/CoreFoundation.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>
#include <StandIn/PMStandIn.h>

#include <string>
#include <utility>
#include <vector>

/* Releases the reference it holds when it goes out of scope. */
template <typename T> class CFOwned {
public:
    explicit CFOwned(T ref = NULL) : mRef(ref) {}
    ~CFOwned() {
        if (mRef != NULL)
            CFRelease(mRef);
    }
    CFOwned(const CFOwned &) = delete;
    CFOwned &operator=(const CFOwned &) = delete;
    T get() const { return mRef; }
    T *out() { return &mRef; }

private:
    T mRef;
};

std::string StdString(CFStringRef string); /* UTF-8; "<null>" for NULL */
CFStringRef CreateString(const std::string &text);

/* A fresh directory, removed with its contents at the end. */
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string &path() const { return mPath; }
    std::string Write(const std::string &relativePath, const std::string &contents) const;

private:
    std::string mPath;
};

/* A small PPD; `dialogExtensionLines` are added verbatim (may be empty). */
std::string MakePPD(const std::string &dialogExtensionLines);
extern const char *const kJobLogInstalledPath;

/* The Job Log bundle, built by CMake, registered so the pane finds it. */
CFBundleRef JobLogBundle();

/* A print session holding a printer-info and a print-settings ticket. */
struct PrintSession {
    explicit PrintSession(const std::string &ppdPath = "");
    ~PrintSession();
    PMPrintSession session = NULL;
    PMTicketRef printerInfo = NULL;
    PMTicketRef settings = NULL;
};

/* A ticket item as the settings ticket lists it. */
struct TicketItem {
    std::string key, value, client;
    bool locked;
};
std::vector<TicketItem> TicketItems(PMTicketRef ticket);

/* A dialog window with a user pane at paneBounds (window-relative). */
struct DialogWindow {
    explicit DialogWindow(const Rect &paneBounds, SInt16 width = 600, SInt16 height = 500);
    ~DialogWindow();
    WindowRef window = NULL;
    ControlRef userPane = NULL;
};

/* Records every beep and alert until destroyed; alerts answered with OK. */
class UserFeedback {
public:
    UserFeedback();
    ~UserFeedback();
    int beeps = 0;
    std::vector<std::pair<AlertType, std::string>> alerts;
};

std::string ControlText(ControlRef control); /* the 'cfst' text */
void SetControlText(ControlRef control, const std::string &text);
void SetSelection(ControlRef control, SInt16 start, SInt16 end);
ControlRef FindControl(WindowRef window, SInt32 id); /* 'jlog' id, or NULL */

/* While not 0, SetControlVisibility fails for the control with this 'jlog'
   ID, as the toolbox may for a control it cannot show. */
extern SInt32 gUnshowableControlID;

/* Live objects of every kind the plug-in may leave behind. */
struct LiveCounts {
    static LiveCounts Now();
    bool operator==(const LiveCounts &) const = default;
    CFIndex cf, windows, controls, handlers, plugIns, sessions, tickets, ppdContexts;
};
void PrintTo(const LiveCounts &counts, std::ostream *os);

#endif /* PLUGINTESTSUPPORT_H */
