/*
 * CJobLogPDETests.cpp
 *
 * The Job Log pane through the stand-in dialog: building for a printer whose
 * PPD names the plug-in (and refusing others), the check box switching the
 * User Code field and its label, validation with alerts, the five ticket
 * items, filling the pane from a ticket, the summary rows, a whole dialog
 * session that leaves nothing behind, and allocation failure at every step.
 */
#include "CJobLogPDE.h"
#include "PlugInTestSupport.h"

#include <QuarnSettingsKeys.h>

#include <gtest/gtest.h>

namespace {

const Rect kPaneBounds = {20, 30, 20 + kJobLogPaneMaxV, 30 + kJobLogPaneMaxH};

std::string DeclaringPPD(const std::string &path = kJobLogInstalledPath) {
    return MakePPD("*APDialogExtension: \"" + path + "\"\n");
}

class JobLogPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, JobLogBundle());
        start = LiveCounts::Now();
    }
    void TearDown() override {
        delete pane;
        delete dialog;
        delete session;
        EXPECT_EQ(start, LiveCounts::Now());
    }
    OSStatus Build(const std::string &ppd, bool writePPD = true) {
        std::string path = writePPD ? dir.Write("printer.ppd", ppd) : dir.path() + "/missing.ppd";
        session = new PrintSession(path);
        dialog = new DialogWindow(kPaneBounds);
        pane = new CJobLogPDE;
        PMPDEFlags flags = 0;
        return pane->CreateUI(&flags, 0, dialog->userPane, session->session);
    }
    ControlRef Control(SInt32 id) { return FindControl(dialog->window, id); }
    static void TypeEach(const std::string &text) {
        for (char ch : text)
            HIStandInTypeCharacter((UniChar)ch, 0);
    }
    UInt16 PaneControlCount() {
        UInt16 count = 0;
        CountSubControls(dialog->userPane, &count);
        return count;
    }
    void SetFields(const std::string &userID, bool enable, const std::string &userCode) {
        SetControlText(Control(kJobLogUserIDControlID), userID);
        SetControlValue(Control(kJobLogEnableUserCodeControlID), enable ? 1 : 0);
        SetControlText(Control(kJobLogUserCodeControlID), userCode);
    }
    std::vector<std::string> SummaryRows() {
        CFOwned<CFMutableArrayRef> titles(CFArrayCreateMutable(NULL, 0, &kCFTypeArrayCallBacks));
        CFOwned<CFMutableArrayRef> texts(CFArrayCreateMutable(NULL, 0, &kCFTypeArrayCallBacks));
        EXPECT_EQ(noErr, pane->GetSummaryText(titles.get(), texts.get()));
        std::vector<std::string> rows;
        EXPECT_EQ(CFArrayGetCount(titles.get()), CFArrayGetCount(texts.get()));
        for (CFIndex i = 0; i < CFArrayGetCount(titles.get()); i++)
            rows.push_back(StdString((CFStringRef)CFArrayGetValueAtIndex(titles.get(), i)) + ": " +
                           StdString((CFStringRef)CFArrayGetValueAtIndex(texts.get(), i)));
        return rows;
    }
    LiveCounts start;
    TempDir dir;
    PrintSession *session = NULL;
    DialogWindow *dialog = NULL;
    CJobLogPDE *pane = NULL;
};

TEST_F(JobLogPaneTest, BuildsForAPrinterWhosePPDNamesThisPlugIn) {
    ASSERT_EQ(noErr, Build(DeclaringPPD()));
    for (SInt32 id : {kJobLogUserIDControlID, kJobLogEnableUserCodeControlID,
                      kJobLogUserCodeControlID, kJobLogUserCodeLabelControlID}) {
        ControlRef control = Control(id);
        ASSERT_NE(nullptr, control) << id;
        ControlRef super = NULL;
        GetSuperControl(control, &super);
        EXPECT_EQ(dialog->userPane, super) << id;
        Rect bounds;
        GetControlBounds(control, &bounds);
        EXPECT_GE(bounds.left, kPaneBounds.left);
        EXPECT_LE(bounds.right, kPaneBounds.right);
        EXPECT_GE(bounds.top, kPaneBounds.top);
        EXPECT_LE(bounds.bottom, kPaneBounds.bottom);
    }
    EXPECT_STREQ("edittext", HIStandInGetControlKindName(Control(kJobLogUserIDControlID)));
    EXPECT_STREQ("checkbox", HIStandInGetControlKindName(Control(kJobLogEnableUserCodeControlID)));
    EXPECT_STREQ("edittext", HIStandInGetControlKindName(Control(kJobLogUserCodeControlID)));
    EXPECT_EQ(0, HIStandInGetLiveNibCount());
}

TEST_F(JobLogPaneTest, RefusesPrintersThatDoNotNameIt) {
    const std::string ppds[] = {
        MakePPD(""), DeclaringPPD("/Library/Printers/QUARN/PDEs/otherPlugIn.plugin"),
        MakePPD("*APDialogExtension: \"/Library/Printers/Other/PDEs/first.plugin\"\n"
                "*APDialogExtension: \"" +
                std::string(kJobLogInstalledPath) + "\"\n"),
        DeclaringPPD(std::string(kJobLogInstalledPath) + "/")};
    for (const std::string &ppd : ppds) {
        EXPECT_EQ(kPMInvalidPDEContext, Build(ppd));
        EXPECT_EQ(0, PaneControlCount());
        delete pane;
        delete dialog;
        delete session;
        pane = NULL;
        dialog = NULL;
        session = NULL;
    }
}

TEST_F(JobLogPaneTest, NoPrinterTicketOrNoReadablePPDBuildsNothing) {
    EXPECT_EQ(noErr, Build("", false)); /* the PPD cannot be read: no pane */
    EXPECT_EQ(0, PaneControlCount());
    CJobLogPDE other;
    PrintSession empty;
    PMSessionSetDataInSession(empty.session, CFSTR("PMPrinterInfoTicket"), NULL);
    EXPECT_EQ(kPMInvalidPDEContext, other.CreateUI(NULL, 0, dialog->userPane, empty.session));
}

TEST_F(JobLogPaneTest, AControlLeftInTheNibCountsAsUnbound) {
    gUnshowableControlID = kJobLogEnableUserCodeControlID;
    OSStatus built = Build(DeclaringPPD());
    gUnshowableControlID = 0;
    ASSERT_EQ(noErr, built);
    EXPECT_EQ(nullptr, Control(kJobLogEnableUserCodeControlID)); /* gone with the nib */
    EXPECT_NE(nullptr, Control(kJobLogUserCodeLabelControlID));
    EXPECT_FALSE(IsControlEnabled(Control(kJobLogUserCodeControlID))); /* reads as off */
    SetControlText(Control(kJobLogUserIDControlID), "abc");
    ASSERT_EQ(noErr, pane->UIToTicket(session->session));
    std::vector<TicketItem> items = TicketItems(session->settings);
    ASSERT_EQ(5u, items.size());
    EXPECT_EQ("false", items[1].value);
    EXPECT_EQ(std::vector<std::string>({"User ID: abc"}), SummaryRows());
}

TEST_F(JobLogPaneTest, CheckBoxSwitchesTheUserCodeFieldAndItsLabel) {
    ASSERT_EQ(noErr, Build(DeclaringPPD()));
    ControlRef box = Control(kJobLogEnableUserCodeControlID);
    ControlRef code = Control(kJobLogUserCodeControlID);
    ControlRef label = Control(kJobLogUserCodeLabelControlID);
    EXPECT_EQ(0, GetControlValue(box));
    EXPECT_FALSE(IsControlEnabled(code));
    EXPECT_FALSE(IsControlEnabled(label));
    ASSERT_EQ(noErr, HIStandInClickControl(box));
    EXPECT_EQ(1, GetControlValue(box));
    EXPECT_TRUE(IsControlEnabled(code));
    EXPECT_TRUE(IsControlEnabled(label));
    HIStandInClickControl(box);
    EXPECT_FALSE(IsControlEnabled(code));
    EXPECT_FALSE(IsControlEnabled(label));
    EXPECT_TRUE(IsControlEnabled(Control(kJobLogUserIDControlID)));

    EXPECT_EQ(noErr, pane->OnOpenUI());
    EXPECT_EQ(Control(kJobLogUserIDControlID), HIStandInGetFocusedControl());
    EXPECT_EQ(noErr, pane->OnCloseUI());
}

TEST_F(JobLogPaneTest, TypingIntoBothFieldsKeepsTheirFiltersAndLimits) {
    ASSERT_EQ(noErr, Build(DeclaringPPD()));
    pane->OnOpenUI();
    TypeEach("ab-C_d 1234567890");
    EXPECT_EQ("abCd1234", ControlText(Control(kJobLogUserIDControlID)));

    HIStandInClickControl(Control(kJobLogEnableUserCodeControlID));
    HIStandInClickControl(Control(kJobLogUserCodeControlID));
    ASSERT_EQ(Control(kJobLogUserCodeControlID), HIStandInGetFocusedControl());
    TypeEach("12a34567890");
    EXPECT_EQ("12345678", ControlText(Control(kJobLogUserCodeControlID)));
}

TEST_F(JobLogPaneTest, ValidSettingsBecomeExactlyFiveUnlockedItemsInOrder) {
    ASSERT_EQ(noErr, Build(DeclaringPPD()));
    SetFields("abcd1234", true, "");
    setenv("TZ", "JST-9", 1);
    ASSERT_EQ(noErr, pane->UIToTicket(session->session));
    unsetenv("TZ");
    std::vector<TicketItem> items = TicketItems(session->settings);
    ASSERT_EQ(5u, items.size());
    const char *keys[] = {kQuarnUserIDKey, kQuarnEnableUserCodeKey, kQuarnUserCodeKey,
                          kQuarnJobTypeKey, kQuarnTimeZoneKey};
    const char *values[] = {"abcd1234", "true", "", "Normal", "JST-9"};
    for (size_t i = 0; i < 5; i++) {
        EXPECT_EQ(keys[i], items[i].key);
        EXPECT_EQ(values[i], items[i].value) << keys[i];
        EXPECT_EQ(kQuarnTicketClientID, items[i].client);
        EXPECT_FALSE(items[i].locked);
    }
    EXPECT_EQ(std::vector<std::string>({"User ID: abcd1234", "User Code: "}), SummaryRows());

    /* With the box off the code is written as it stands, unvalidated. */
    SetFields("", false, "12-x");
    ASSERT_EQ(noErr, pane->UIToTicket(session->session));
    items = TicketItems(session->settings);
    ASSERT_EQ(5u, items.size());
    EXPECT_EQ("", items[0].value);
    EXPECT_EQ("false", items[1].value);
    EXPECT_EQ("12-x", items[2].value);
    EXPECT_EQ(std::vector<std::string>({"User ID: "}), SummaryRows());
}

TEST_F(JobLogPaneTest, InvalidSettingsAlertInOrderAndWriteNothing) {
    ASSERT_EQ(noErr, Build(DeclaringPPD()));
    struct Case {
        const char *userID;
        bool enable;
        const char *userCode;
        std::vector<std::string> alerts;
    } cases[] = {
        {"abcd12345", false, "", {"Enter a valid User ID"}},
        {"ab-c", false, "1", {"Enter a valid User ID"}},
        {"abc", true, "123456789", {"Enter a valid User Code"}},
        {"abc", true, "12a", {"Enter a valid User Code"}},
        {"a b", true, "x", {"Enter a valid User ID", "Enter a valid User Code"}},
        {"\xC3\xA9", false, "", {"Enter a valid User ID"}},
    };
    for (const Case &c : cases) {
        UserFeedback feedback;
        SetFields(c.userID, c.enable, c.userCode);
        EXPECT_EQ(kPMDontSwitchPDEError, pane->UIToTicket(session->session)) << c.userID;
        EXPECT_EQ(0, PMStandInTicketGetItemCount(session->settings));
        ASSERT_EQ(c.alerts.size(), feedback.alerts.size()) << c.userID;
        for (size_t i = 0; i < c.alerts.size(); i++) {
            EXPECT_EQ(kAlertCautionAlert, feedback.alerts[i].first);
            EXPECT_EQ(c.alerts[i], feedback.alerts[i].second);
        }
        EXPECT_EQ((int)c.alerts.size(), feedback.beeps);
    }
}

TEST_F(JobLogPaneTest, TicketValuesFillThePaneOnlyWhenPresentAndValid) {
    ASSERT_EQ(noErr, Build(DeclaringPPD()));
    SetFields("keep", false, "4321");
    EXPECT_EQ(noErr, pane->TicketToUI(session->session)); /* empty ticket: no change */
    EXPECT_EQ("keep", ControlText(Control(kJobLogUserIDControlID)));
    EXPECT_EQ("4321", ControlText(Control(kJobLogUserCodeControlID)));

    CFStringRef client = CFSTR("other.client");
    PMTicketSetCFString(session->settings, client, CFSTR(kQuarnUserIDKey), CFSTR("user01"), false);
    PMTicketSetBoolean(session->settings, client, CFSTR(kQuarnEnableUserCodeKey), true, false);
    PMTicketSetCFString(session->settings, client, CFSTR(kQuarnUserCodeKey), CFSTR("777"), false);
    EXPECT_EQ(noErr, pane->TicketToUI(session->session));
    EXPECT_EQ("user01", ControlText(Control(kJobLogUserIDControlID)));
    EXPECT_EQ(1, GetControlValue(Control(kJobLogEnableUserCodeControlID)));
    EXPECT_TRUE(IsControlEnabled(Control(kJobLogUserCodeControlID)));
    EXPECT_EQ("777", ControlText(Control(kJobLogUserCodeControlID)));

    PMTicketSetCFString(session->settings, client, CFSTR(kQuarnUserIDKey), CFSTR("user-01"), false);
    PMTicketSetCFString(session->settings, client, CFSTR(kQuarnUserCodeKey), CFSTR("123456789"),
                        false);
    EXPECT_EQ(noErr, pane->TicketToUI(session->session));
    EXPECT_EQ("", ControlText(Control(kJobLogUserIDControlID)));
    EXPECT_EQ("", ControlText(Control(kJobLogUserCodeControlID)));

    PrintSession noSettings;
    PMSessionSetDataInSession(noSettings.session, CFSTR("PMPrintSettingsTicket"), NULL);
    EXPECT_EQ(kPMInvalidTicket, pane->TicketToUI(noSettings.session));
    EXPECT_EQ(kPMInvalidTicket, pane->UIToTicket(noSettings.session));
}

/* Runs step with the nth allocation failing, for every n until the step
   needs no more than n - 1 allocations; the step must keep its promises. */
template <typename Step> long SweepAllocationFailures(const char *what, Step step) {
    long nth = 1;
    for (;; nth++) {
        long failedBefore = CFStandInGetFailedAllocationCount();
        LiveCounts before = LiveCounts::Now();
        step(nth);
        CFStandInSetAllocationFailure(0, false);
        EXPECT_EQ(before, LiveCounts::Now()) << what << ", failing allocation " << nth;
        if (CFStandInGetFailedAllocationCount() == failedBefore || nth >= 5000)
            break;
    }
    return nth;
}

TEST_F(JobLogPaneTest, AllocationFailureAtAnyStepLeavesNothingBehind) {
    std::string path = dir.Write("printer.ppd", DeclaringPPD());
    long steps = SweepAllocationFailures("CreateUI", [&](long nth) {
        PrintSession s(path);
        DialogWindow d(kPaneBounds);
        CJobLogPDE p;
        CFStandInSetAllocationFailure(nth, false);
        OSStatus built = p.CreateUI(NULL, 0, d.userPane, s.session);
        CFStandInSetAllocationFailure(0, false);
        EXPECT_TRUE(built == noErr || built == kPMInvalidPDEContext) << nth;
        p.OnOpenUI();
        HIStandInTypeCharacter('a', 0);
        HIStandInClickControl(FindControl(d.window, kJobLogEnableUserCodeControlID));
    });
    EXPECT_GT(steps, 10);
    EXPECT_LT(steps, 5000);
    steps = SweepAllocationFailures("UIToTicket", [&](long nth) {
        PrintSession s(path);
        DialogWindow d(kPaneBounds);
        CJobLogPDE p;
        UserFeedback feedback;
        ASSERT_EQ(noErr, p.CreateUI(NULL, 0, d.userPane, s.session));
        SetControlText(FindControl(d.window, kJobLogUserIDControlID), "abc");
        CFStandInSetAllocationFailure(nth, false);
        OSStatus written = p.UIToTicket(s.session);
        CFStandInSetAllocationFailure(0, false);
        EXPECT_TRUE(written == noErr || written == kPMDontSwitchPDEError) << nth;
        EXPECT_LE(PMStandInTicketGetItemCount(s.settings), 5);
    });
    EXPECT_GT(steps, 3);
    EXPECT_LT(steps, 5000);
}

} // namespace
