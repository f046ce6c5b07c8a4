/*
 * PlugInTestSupport.cpp
 *
 * Helpers shared by the plug-in's tests (see PlugInTestSupport.h).
 */
#include "PlugInTestSupport.h"

#include <StandIn/PPDStandIn.h>

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <stdlib.h>

#include <gtest/gtest.h>

const char *const kJobLogInstalledPath = "/Library/Printers/QUARN/PDEs/quarnJobLogTQX.plugin";

SInt32 gUnshowableControlID = 0;

/* Calls from the plug-in's code reach this definition first; all but the
   refused control go on to the toolbox. */
extern "C" OSErr SetControlVisibility(ControlRef inControl, Boolean inIsVisible, Boolean inDoDraw) {
    typedef OSErr (*SetControlVisibilityProc)(ControlRef, Boolean, Boolean);
    static SetControlVisibilityProc toolbox =
        (SetControlVisibilityProc)dlsym(RTLD_NEXT, "SetControlVisibility");
    ControlID id = {0, 0};
    if (gUnshowableControlID != 0 && GetControlID(inControl, &id) == noErr &&
        id.signature == 0x6A6C6F67 && id.id == gUnshowableControlID)
        return errInvalidWindowRef;
    return toolbox(inControl, inIsVisible, inDoDraw);
}

std::string StdString(CFStringRef string) {
    if (string == NULL)
        return "<null>";
    char buffer[1024];
    if (!CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8))
        return "<unconvertible>";
    return buffer;
}

CFStringRef CreateString(const std::string &text) {
    return CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8);
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "joblogtest.XXXXXX").string();
    if (mkdtemp(pattern.data()) == NULL)
        throw std::runtime_error("mkdtemp failed");
    mPath = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
}

std::string TempDir::Write(const std::string &relativePath, const std::string &contents) const {
    std::filesystem::path file = std::filesystem::path(mPath) / relativePath;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << contents;
    return file.string();
}

std::string MakePPD(const std::string &dialogExtensionLines) {
    return "*PPD-Adobe: \"4.3\"\n"
           "*FormatVersion: \"4.3\"\n"
           "*FileVersion: \"1.0\"\n"
           "*LanguageVersion: English\n"
           "*LanguageEncoding: ISOLatin1\n"
           "*PCFileName: \"QOFFICE.PPD\"\n"
           "*Manufacturer: \"QUARN\"\n"
           "*Product: \"(QUARN Office)\"\n"
           "*ModelName: \"QUARN Office 4500\"\n"
           "*ShortNickName: \"QUARN Office 4500\"\n"
           "*NickName: \"QUARN Office 4500\"\n" +
           dialogExtensionLines +
           "*OpenUI *PageSize/Media Size: PickOne\n"
           "*DefaultPageSize: A4\n"
           "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
           "*CloseUI: *PageSize\n";
}

CFBundleRef JobLogBundle() {
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.quarn.print.pde.JobLogTQX"));
    if (bundle != NULL)
        return bundle;
    CFOwned<CFURLRef> url(CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, (const UInt8 *)QUARN_PLUGIN_BUNDLE_DIR,
        (CFIndex)strlen(QUARN_PLUGIN_BUNDLE_DIR), true));
    /* Kept for the whole run, as a loaded plug-in's bundle is; its strings
       table, which the bundle keeps once read, is read here so that tests
       counting live objects see only what they make themselves. */
    bundle = CFBundleCreate(kCFAllocatorDefault, url.get());
    if (bundle != NULL) {
        CFStringRef title = CFBundleCopyLocalizedString(bundle, CFSTR("Job Log"), NULL, NULL);
        if (title != NULL)
            CFRelease(title);
    }
    return bundle;
}

PrintSession::PrintSession(const std::string &ppdPath) {
    EXPECT_EQ(noErr, PMCreateSession(&session));
    EXPECT_EQ(noErr, PMTicketCreate(kCFAllocatorDefault, kPMPrinterInfoTicket, &printerInfo));
    EXPECT_EQ(noErr, PMTicketCreate(kCFAllocatorDefault, kPMPrintSettingsTicket, &settings));
    if (!ppdPath.empty()) {
        EXPECT_EQ(noErr, PMStandInTicketSetPPDPath(printerInfo, ppdPath.c_str()));
    }
    EXPECT_EQ(noErr, PMStandInSessionSetTicket(session, CFSTR("PMPrinterInfoTicket"), printerInfo));
    EXPECT_EQ(noErr, PMStandInSessionSetTicket(session, CFSTR("PMPrintSettingsTicket"), settings));
}

PrintSession::~PrintSession() {
    if (session != NULL)
        PMRelease(session);
    if (printerInfo != NULL)
        PMTicketRelease(printerInfo);
    if (settings != NULL)
        PMTicketRelease(settings);
}

static std::string ValueText(CFTypeRef value) {
    if (value == NULL)
        return "<null>";
    if (CFGetTypeID(value) == CFStringGetTypeID())
        return StdString((CFStringRef)value);
    if (CFGetTypeID(value) == CFBooleanGetTypeID())
        return CFBooleanGetValue((CFBooleanRef)value) ? "true" : "false";
    return "<other>";
}

std::vector<TicketItem> TicketItems(PMTicketRef ticket) {
    std::vector<TicketItem> items;
    CFIndex count = PMStandInTicketGetItemCount(ticket);
    for (CFIndex i = 0; i < count; i++) {
        CFStringRef key = NULL, client = NULL;
        CFTypeRef value = NULL;
        Boolean locked = true;
        EXPECT_EQ(noErr, PMStandInTicketGetItemAtIndex(ticket, i, &key, &value, &client, &locked));
        items.push_back({StdString(key), ValueText(value), StdString(client), locked != 0});
    }
    return items;
}

DialogWindow::DialogWindow(const Rect &paneBounds, SInt16 width, SInt16 height) {
    Rect content = {100, 100, (SInt16)(100 + height), (SInt16)(100 + width)};
    EXPECT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, kWindowStandardHandlerAttribute,
                                     &content, &window));
    EXPECT_EQ(noErr,
              CreateUserPaneControl(window, &paneBounds, kControlSupportsEmbedding, &userPane));
}

DialogWindow::~DialogWindow() {
    if (window != NULL)
        DisposeWindow(window);
}

static void RecordBeep(void *refcon, short) {
    static_cast<UserFeedback *>(refcon)->beeps++;
}

static DialogItemIndex RecordAlert(void *refcon, AlertType type, CFStringRef message, CFStringRef) {
    static_cast<UserFeedback *>(refcon)->alerts.push_back({type, StdString(message)});
    return kAlertStdAlertOKButton;
}

UserFeedback::UserFeedback() {
    HIStandInObserver observer = {this, RecordBeep, RecordAlert};
    HIStandInSetObserver(&observer);
}

UserFeedback::~UserFeedback() {
    HIStandInSetObserver(NULL);
}

std::string ControlText(ControlRef control) {
    CFStringRef text = NULL;
    if (GetControlData(control, kControlEditTextPart, kControlEditTextCFStringTag, sizeof text,
                       &text, NULL) != noErr)
        return "<unreadable>";
    std::string result = StdString(text);
    CFRelease(text);
    return result;
}

void SetControlText(ControlRef control, const std::string &text) {
    CFOwned<CFStringRef> string(CreateString(text));
    CFStringRef ref = string.get();
    ASSERT_EQ(noErr, SetControlData(control, kControlEditTextPart, kControlEditTextCFStringTag,
                                    sizeof ref, &ref));
}

void SetSelection(ControlRef control, SInt16 start, SInt16 end) {
    ControlEditTextSelectionRec selection = {start, end};
    ASSERT_EQ(noErr, SetControlData(control, kControlEditTextPart, kControlEditTextSelectionTag,
                                    sizeof selection, &selection));
}

ControlRef FindControl(WindowRef window, SInt32 id) {
    ControlID controlID = {0x6A6C6F67 /* 'jlog' */, id};
    ControlRef control = NULL;
    if (GetControlByID(window, &controlID, &control) != noErr)
        return NULL;
    return control;
}

LiveCounts LiveCounts::Now() {
    return {CFStandInGetLiveObjectCount(),          HIStandInGetLiveWindowCount(),
            HIStandInGetLiveControlCount(),         HIStandInGetLiveHandlerCount(),
            CFStandInGetTotalPlugInInstanceCount(), PMStandInGetLiveSessionCount(),
            PMStandInGetLiveTicketCount(),          PPDStandInGetLiveContextCount()};
}

void PrintTo(const LiveCounts &c, std::ostream *os) {
    *os << "{cf " << c.cf << ", windows " << c.windows << ", controls " << c.controls
        << ", handlers " << c.handlers << ", plug-ins " << c.plugIns << ", sessions " << c.sessions
        << ", tickets " << c.tickets << ", ppd " << c.ppdContexts << "}";
}
