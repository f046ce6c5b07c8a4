/*
 * JobLogTests.cpp
 *
 * What of the Job Log plug-in the dialog scripts cannot reach or see: the
 * glue's type checks, registration, reference counts and argument checks,
 * through the tables the dialog receives; the prologue; the edit fields
 * without a control or a limit and in another locale; the nib's controls
 * moved into panes of other sizes; the pane base's lookups; the time-zone
 * rules (each read back by the C library); the per-model data file. Each
 * test leaves no platform object or block behind.
 */
#include "CEditText.h"
#include "CJobLogPDE.h"
#include "CPluginData.h"
#include "PrintTickets.h"
#include "TestSupport.h"
#include "TimeZoneText.h"

#include <StandIn/CFStandIn.h>
#include <StandIn/HIStandIn.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>

/* The control the platform refuses to show (none when null). */
static ControlRef gUnshowable;
extern "C" OSErr SetControlVisibility(ControlRef control, Boolean visible, Boolean draw) {
    using Call = OSErr (*)(ControlRef, Boolean, Boolean);
    static Call layer = reinterpret_cast<Call>(dlsym(RTLD_NEXT, "SetControlVisibility"));
    return control != nullptr && control == gUnshowable ? OSErr(errUnknownControl)
                                                        : layer(control, visible, draw);
}

namespace {

/* The Job Log bundle registered, so that the pane finds its texts and nib;
   the layer's state compared at the end. */
class JobLog : public testing::Test {
protected:
    void SetUp() override {
        (void)IUnknownUUID; // a constant UUID, made once and kept
        start = LayerState::Now();
        bundle = CreateBundleAtPath(QUARN_PLUGIN_BUNDLE_DIR);
        ASSERT_EQ(noErr, CreateNibReferenceWithCFBundle(bundle, CFSTR("JobLog"), &nib));
    }
    void TearDown() override {
        DisposeNibReference(nib);
        CFRelease(bundle);
        EXPECT_EQ("", start.Differences(LayerState::Now()));
    }
    CFBundleRef bundle = nullptr;
    IBNibRef nib = nullptr;
    LayerState start;
};

/* The instance: made only for the dialog-extension type and a factory ID
   that is a UUID, registered with its factory while referenced; each query
   for the dialog-extension interface makes its own record and table, with
   its own count. The prologue gives nothing out and keeps nothing without
   a place for the title or the context; with them, the pane's title, kind
   and size. The dispatchers refuse a missing context or session. */
TEST_F(JobLog, GlueCountsReferencesAndChecksTheDialogsArguments) {
    // No UUID is alive yet that could hide one kept.
    LayerState before = LayerState::Now();
    EXPECT_EQ(nullptr, PluginFactory(nullptr, nullptr, CFSTR("not a uuid"), JobLogPrologue));
    EXPECT_EQ("", before.Differences(LayerState::Now()));
    CFOwned<CFUUIDRef> type(
        CFUUIDCreateFromString(nullptr, CFSTR(kPMPrintingDialogExtensionsPlugInType)));
    CFOwned<CFUUIDRef> factoryID(CFUUIDCreateFromString(nullptr, CFSTR(kJobLogFactoryIDString)));
    auto query = [](IUnknownInstance *instance, CFStringRef iid, HRESULT &result) {
        CFOwned<CFUUIDRef> uuid(CFUUIDCreateFromString(nullptr, iid));
        LPVOID interface = reinterpret_cast<LPVOID>(1);
        result =
            instance->vtable->QueryInterface(instance, CFUUIDGetUUIDBytes(uuid.get()), &interface);
        return static_cast<JobLogPlugInInterface *>(interface);
    };
    EXPECT_EQ(nullptr, JobLogPluginFactory(nullptr, factoryID.get()));
    EXPECT_EQ(nullptr, JobLogPluginFactory(nullptr, nullptr));
    auto *instance = static_cast<IUnknownInstance *>(JobLogPluginFactory(nullptr, type.get()));
    ASSERT_NE(nullptr, instance);
    EXPECT_EQ(1, CFStandInGetPlugInInstanceCount(factoryID.get()));
    EXPECT_EQ(2u, instance->vtable->AddRef(instance));
    HRESULT result1, result2, result3;
    EXPECT_EQ(static_cast<void *>(instance),
              query(instance, CFSTR("00000000-0000-0000-C000-000000000046"), result1));
    EXPECT_EQ(S_OK, result1);
    JobLogPlugInInterface *first =
        query(instance, CFSTR(kPMPrintingDialogExtensionsIntfIDStr), result1);
    JobLogPlugInInterface *second =
        query(instance, CFSTR(kPMPrintingDialogExtensionsIntfIDStr), result2);
    EXPECT_EQ(nullptr, query(instance, CFSTR(kJobLogFactoryIDString), result3));
    EXPECT_EQ(E_NOINTERFACE, result3);
    CFOwned<CFUUIDRef> iid(
        CFUUIDCreateFromString(nullptr, CFSTR(kPMPrintingDialogExtensionsIntfIDStr)));
    EXPECT_EQ(E_NOINTERFACE,
              instance->vtable->QueryInterface(instance, CFUUIDGetUUIDBytes(iid.get()), nullptr));
    ASSERT_TRUE(first != nullptr && second != nullptr && result1 == S_OK && result2 == S_OK);
    EXPECT_NE(first->vtable, second->vtable);
    EXPECT_TRUE(first->refCount == 1 && instance->refCount == 3);

    // Retain and Release count; Release always clears the caller's pointer.
    auto *header = reinterpret_cast<PMPlugInHeaderInterface *>(first);
    const PMPlugInHeader &h = first->vtable->plugInHeader;
    EXPECT_TRUE(h.Retain(header) == noErr && h.Retain(nullptr) == noErr);
    EXPECT_EQ(2u, first->refCount);
    PMPlugInHeaderInterface *copy = header;
    EXPECT_EQ(noErr, h.Release(&copy));
    EXPECT_EQ(nullptr, copy);
    EXPECT_EQ(noErr, h.Release(&copy));
    EXPECT_EQ(1u, first->refCount);
    EXPECT_EQ(noErr, h.Release(&header)); // the record goes
    // The dialog accepts extensions of API version 1.0.
    PMPlugInAPIVersion version = {9, 9, 9, 9};
    second->vtable->plugInHeader.GetAPIVersion(nullptr, &version);
    EXPECT_TRUE(version.buildVersionMajor == 1 && version.buildVersionMinor == 0 &&
                version.baseVersionMajor == 1 && version.baseVersionMinor == 0);

    PlugInIntfVTable *table = second->vtable;
    PMPDEContext context = nullptr;
    CFStringRef title = nullptr, kind = nullptr;
    UInt32 width = 0, height = 0;
    OSType creator = 1;
    EXPECT_EQ(kPMInvalidPDEContext,
              table->Prologue(nullptr, &creator, &kind, &title, &width, &height));
    EXPECT_EQ(kPMInvalidPDEContext,
              table->Prologue(&context, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(title == nullptr && context == nullptr);
    ASSERT_EQ(noErr, table->Prologue(&context, &creator, &kind, &title, &width, &height));
    CFOwned<CFStringRef> ownedTitle(title);
    EXPECT_EQ("Job Log", TextOrEmpty(title));
    EXPECT_EQ(kJobLogPaneKind, TextOrEmpty(kind));
    EXPECT_TRUE(creator == 0 && width == kJobLogPaneMaxH && height == kJobLogPaneMaxV);

    // The dispatchers never reach the session when they refuse.
    PMPrintSession s = reinterpret_cast<PMPrintSession>(&version);
    PMPDEFlags flags = 0;
    EXPECT_EQ(kPMInvalidPDEContext, table->Initialize(nullptr, &flags, 7, nullptr, s));
    EXPECT_EQ(kPMInvalidPDEContext, table->Initialize(context, &flags, 7, nullptr, nullptr));
    EXPECT_EQ(kPMInvalidPDEContext, table->Open(nullptr));
    EXPECT_EQ(kPMInvalidPDEContext, table->Close(nullptr));
    for (Boolean direction : {0, 1, 2}) {
        EXPECT_EQ(kPMInvalidPrintSession, table->Sync(nullptr, s, direction));
        EXPECT_EQ(kPMInvalidPrintSession, table->Sync(context, nullptr, direction));
    }
    CFArrayRef titles = reinterpret_cast<CFArrayRef>(1), summaries = titles;
    EXPECT_EQ(kPMInvalidPDEContext, table->GetSummaryText(nullptr, &titles, &summaries));
    EXPECT_EQ(reinterpret_cast<CFArrayRef>(1), titles);
    EXPECT_EQ(noErr, table->Terminate(nullptr, noErr));
    // The dialog may ask for the titles or the summaries only: then neither.
    EXPECT_EQ(noErr, table->GetSummaryText(context, &titles, nullptr));
    EXPECT_EQ(noErr, table->GetSummaryText(context, nullptr, &summaries));
    EXPECT_TRUE(titles == nullptr && summaries == nullptr);
    EXPECT_EQ(noErr, table->Sync(context, s, 2)); // a direction of no meaning
    EXPECT_EQ(noErr, table->Terminate(context, -1));
    auto *secondHeader = reinterpret_cast<PMPlugInHeaderInterface *>(second);
    table->plugInHeader.Release(&secondHeader);

    // The instance goes at zero, unregistered; a spent record and null are let be.
    ULONG (*releaseInstance)(void *) = instance->vtable->Release;
    EXPECT_EQ(2u, releaseInstance(instance));
    EXPECT_EQ(1u, releaseInstance(instance));
    EXPECT_EQ(1, CFStandInGetPlugInInstanceCount(factoryID.get()));
    EXPECT_EQ(0u, releaseInstance(instance));
    EXPECT_EQ(0, CFStandInGetPlugInInstanceCount(factoryID.get()));
    IUnknownInstance spent = {};
    EXPECT_EQ(0u, releaseInstance(&spent));
    EXPECT_EQ(0u, releaseInstance(nullptr));
}

/* Opens the protected services to the tests. */
struct TestPane : CPDEPlugin {
    TestPane() : CPDEPlugin(CFSTR(kJobLogBundleID)) {}
    using CPDEPlugin::EmbedControlsFromNib;
    using CPDEPlugin::GetTicketFromSession;
};

/* A field without its control has no text; one without a limit (the
   default) takes text of any length that its filter passes. Above 127 the
   letters are the locale's (the ASCII edges and the POSIX locale are the
   dialog script pane-filter-edges'). */
TEST_F(JobLog, EditTextWithoutAControlOrALimitAndInAnotherLocale) {
    ASSERT_NE(nullptr, setlocale(LC_CTYPE, "C.UTF-8"));
    ControlKeyFilterResult eAcute = CEditText::AlphaNumericFilter(0xE9);
    ControlKeyFilterResult superscriptTwo = CEditText::NumericFilter(0xB2);
    setlocale(LC_CTYPE, "C");
    EXPECT_EQ(kControlKeyFilterPassKey, eAcute);
    EXPECT_EQ(kControlKeyFilterBlockKey, superscriptTwo);
    CEditText field;
    EXPECT_EQ(nullptr, field.CopyTextAsCFString());
    field.SetText(CFSTR("ignored"));
    WindowRef window = nullptr;
    ASSERT_EQ(noErr, CreateWindowFromNib(nib, CFSTR("Window"), &window));
    ASSERT_TRUE(field.Attach(window, ControlID{0x6A6C6F67, 1}));
    field.SetKeyFilter(CEditText::NumericFilter);
    SetKeyboardFocus(window, field.GetControlRef(), kControlEditTextPart);
    HIStandInTypeText(CFSTR("1234567890x12"));
    CFOwned<CFStringRef> text(field.CopyTextAsCFString());
    EXPECT_EQ("123456789012", TextOrEmpty(text.get()));
    DisposeWindow(window);
}

/* The nib placed in user panes as large as the pane asks for, 60 by 40
   larger (the controls move by half that) and smaller (never above or left
   of the pane); a control that cannot be shown stays behind in the nib
   window as it was, and the controls after it move. */
TEST_F(JobLog, NibControlsMoveCentredIntoPanesOfOtherSizes) {
    TestPane pane;
    auto place = [&](int width, int height, UInt16 unshowable = 0) {
        WindowRef nibWindow = nullptr, window = nullptr;
        ControlRef userPane = nullptr, field = nullptr, nibRoot = nullptr;
        Rect content = {60, 80, 600, 600},
             paneBounds = {40, 20, SInt16(40 + height), SInt16(20 + width)};
        EXPECT_EQ(noErr, CreateWindowFromNib(nib, CFSTR("Window"), &nibWindow));
        CreateNewWindow(kMovableModalWindowClass, kWindowNoAttributes, &content, &window);
        CreateUserPaneControl(window, &paneBounds, kControlSupportsEmbedding, &userPane);
        GetRootControl(nibWindow, &nibRoot);
        UInt16 total = 0, moved = 0, left = 0;
        CountSubControls(nibRoot, &total);
        Rect before = {0, 0, 0, 0}, after = before;
        if (unshowable != 0 && GetIndexedSubControl(nibRoot, unshowable, &gUnshowable) == noErr)
            GetControlBounds(gUnshowable, &before);
        EXPECT_TRUE(pane.EmbedControlsFromNib(nibWindow, userPane));
        CountSubControls(userPane, &moved);
        CountSubControls(nibRoot, &left);
        EXPECT_TRUE(moved == total - left && left == (unshowable != 0)) << moved << " " << left;
        if (gUnshowable != nullptr)
            GetControlBounds(gUnshowable, &after);
        EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
        gUnshowable = nullptr;
        Rect bounds = {0, 0, 0, 0}; // the first control moved
        if (GetIndexedSubControl(userPane, 1, &field) == noErr)
            GetControlBounds(field, &bounds);
        DisposeWindow(window);
        DisposeWindow(nibWindow);
        return std::make_pair(bounds.left, bounds.top);
    };
    auto exact = place(kJobLogPaneMaxH, kJobLogPaneMaxV);
    EXPECT_EQ(std::make_pair(SInt16(exact.first + 30), SInt16(exact.second + 20)),
              place(kJobLogPaneMaxH + 60, kJobLogPaneMaxV + 40));
    EXPECT_EQ(exact, place(kJobLogPaneMaxH - 60, kJobLogPaneMaxV - 40));
    for (UInt16 unshowable : {1, 2})
        place(kJobLogPaneMaxH, kJobLogPaneMaxV, unshowable);
}

/* A key without a text is its own text; a pane without its bundle has no
   texts. A ticket is found under its name in the session, and a missing
   name, data that is no number or not a whole one, or no session give the
   status and leave the caller's reference alone. */
TEST_F(JobLog, LooksUpStringsInItsBundleAndTicketsInTheSession) {
    TestPane pane;
    CFOwned<CFStringRef> missing(pane.CopyLocalizedString(CFSTR("No such key"), CFSTR("c")));
    EXPECT_EQ("No such key", TextOrEmpty(missing.get()));
    CPDEPlugin stranger(CFSTR("com.quarn.test.none"));
    EXPECT_EQ(nullptr, stranger.CopyLocalizedString(CFSTR("Job Log"), CFSTR("c")));
    PrintTickets s;
    std::string error;
    ASSERT_TRUE(CreatePrintTickets(QUARN_FIXTURES "/joblog.ppd", {}, s, error)) << error;
    PMTicketRef ticket = nullptr;
    EXPECT_EQ(noErr, pane.GetTicketFromSession(s.session, CFSTR("PMPrintSettingsTicket"), &ticket));
    EXPECT_EQ(s.printSettings, ticket);
    double fraction = 0.5;
    CFOwned<CFNumberRef> lossy(CFNumberCreate(nullptr, kCFNumberDoubleType, &fraction));
    ASSERT_EQ(noErr, PMSessionSetDataInSession(s.session, CFSTR("Text"), CFSTR("ticket")));
    ASSERT_EQ(noErr, PMSessionSetDataInSession(s.session, CFSTR("Lossy"), lossy.get()));
    PMTicketRef untouched = reinterpret_cast<PMTicketRef>(1);
    for (CFStringRef name : {CFSTR("PMPageFormatTicket"), CFSTR("Text"), CFSTR("Lossy")})
        EXPECT_EQ(kPMInvalidTicket, pane.GetTicketFromSession(s.session, name, &untouched));
    EXPECT_EQ(kPMInvalidTicket,
              pane.GetTicketFromSession(nullptr, CFSTR("PMPrintSettingsTicket"), &untouched));
    EXPECT_EQ(reinterpret_cast<PMTicketRef>(1), untouched);
    ReleasePrintTickets(s);
}

/* The text in zone `tz` at `when`. */
std::string timeZoneText(const char *tz, time_t when) {
    setenv("TZ", tz, 1);
    CFOwned<CFStringRef> text(CopyTimeZoneText(when));
    return TextOrEmpty(text.get());
}

/* The rule for a zone's name and offset (seconds east) in `size` bytes,
   which the C library reads back with that offset. */
std::string rule(const char *name, long east, size_t size = 32) {
    char buffer[32];
    struct tm local = {};
    local.tm_zone = name;
    local.tm_gmtoff = east;
    if (!FormatTimeZoneRule(&local, buffer, size))
        return "failed " + std::string(buffer);
    setenv("TZ", buffer, 1);
    tzset();
    time_t epoch = 0;
    EXPECT_EQ(east, localtime_r(&epoch, &local)->tm_gmtoff) << buffer;
    return buffer;
}

TEST(TimeZoneText, HoursWestWithMinutesWhenNeededAndOddAbbreviationsBracketed) {
    const time_t january = 1768478400, july = 1784116800; // 2026-01-15 and -07-15, 12:00 UTC
    EXPECT_EQ("EDT4", timeZoneText("America/New_York", july));
    EXPECT_EQ("IST-5:30", timeZoneText("Asia/Kolkata", january));
    // Too short to stand as a name; seconds; the sign of half an hour west;
    // no name: the offset's; names that are no plain word throughout, bracketed or replaced.
    EXPECT_EQ("<+00>0", rule("Z", 0));
    EXPECT_EQ("LMT4:56:02", rule("LMT", -(4 * 3600 + 56 * 60 + 2)));
    EXPECT_EQ("<-0030>0:30", rule(nullptr, -1800));
    EXPECT_EQ("<+0545>-5:45", rule(nullptr, 5 * 3600 + 45 * 60));
    EXPECT_EQ("<-044502>4:45:02", rule(nullptr, -(4 * 3600 + 45 * 60 + 2)));
    EXPECT_EQ("<X1->-2", rule("X1-", 7200));
    EXPECT_EQ("<+02>-2", rule(" ab", 7200));
    EXPECT_EQ("<+02>-2", rule("A_B", 7200));
    EXPECT_EQ("failed ", rule("GMT", -1800, 6)); // "GMT0:30" does not fit
    char buffer[4] = "x";
    EXPECT_FALSE(FormatTimeZoneRule(nullptr, buffer, 0));
    EXPECT_EQ('x', buffer[0]);
    struct tm local = {};
    EXPECT_FALSE(FormatTimeZoneRule(&local, nullptr, sizeof buffer));
    EXPECT_FALSE(FormatTimeZoneRule(nullptr, buffer, sizeof buffer));
    EXPECT_EQ('\0', buffer[0]);
    unsetenv("TZ");
    tzset();
}

/* The mark of model `name` in the data file of a bundle made with `models`
   (no file when null, a folder in its place for "<folder>"). */
std::string modelMark(const char *models, CFStringRef name) {
    TempDir dir;
    if (models != nullptr && std::string(models) == "<folder>")
        std::filesystem::create_directories(dir.path() + "/Contents/Resources/PluginData.plist");
    else if (models != nullptr)
        dir.Write("Contents/Resources/PluginData.plist",
                  std::string("<?xml version=\"1.0\"?><plist version=\"1.0\">") + models +
                      "</plist>\n");
    CFOwned<CFBundleRef> bundle(CreateBundleAtPath(dir.path()));
    CPluginData data(bundle.get());
    CFDictionaryRef model = data.GetModelInfo(name);
    return model == nullptr ? "<none>"
                            : TextOrEmpty((CFStringRef)CFDictionaryGetValue(model, CFSTR("Mark")));
}

TEST_F(JobLog, PluginDataFindsTheFirstModelOfTheExactNameInAWellFormedFile) {
    auto model = [](const char *name, const char *mark) {
        return std::string("<dict><key>ModelName</key><string>") + name +
               "</string><key>Mark</key><string>" + mark + "</string></dict>";
    };
    std::string list = "<dict><key>Models</key><array><string>M</string>"
                       "<dict><key>Mark</key><string>no name</string></dict>"
                       "<dict><key>ModelName</key><integer>4</integer></dict>" +
                       model("QUARN Office", "first") + model("QUARN Office", "second") +
                       model("Other", "other") + "</array></dict>";
    EXPECT_EQ("first", modelMark(list.c_str(), CFSTR("QUARN Office")));
    EXPECT_EQ("other", modelMark(list.c_str(), CFSTR("Other")));
    std::string firstOnly =
        "<dict><key>Models</key><array>" + model("M", "only") + "</array></dict>";
    EXPECT_EQ("only", modelMark(firstOnly.c_str(), CFSTR("M")));
    for (CFStringRef name : {CFSTR("quarn office"), CFSTR("QUARN Office "), CFSTR("4"),
                             static_cast<CFStringRef>(nullptr)})
        EXPECT_EQ("<none>", modelMark(list.c_str(), name));
    for (const char *file :
         {static_cast<const char *>(nullptr), "<folder>", "", "<array/>", "<string>M</string>",
          "<dict><key>Models</key><dict/></dict>", "<dict><key>Models</key><array/></dict>"})
        EXPECT_EQ("<none>", modelMark(file, CFSTR("M"))) << (file ? file : "no file");
    EXPECT_EQ(nullptr, CPluginData(nullptr).GetModelInfo(CFSTR("M")));
}

} // namespace
