/*
 * CPDEPluginTests.cpp
 *
 * The pane base: default operations, localized strings from the plug-in's
 * bundle, ticket lookup in a print session at pointer width, and the
 * centring of a nib window's controls in the dialog's pane area.
 */
#include "CPDEPlugin.h"
#include "PlugInTestSupport.h"

#include <gtest/gtest.h>

namespace {

/* Opens the protected services to the tests. */
struct TestPane : CPDEPlugin {
    TestPane() : CPDEPlugin(CFSTR("com.quarn.print.pde.JobLogTQX")) {}
    using CPDEPlugin::EmbedControlsFromNib;
    using CPDEPlugin::GetTicketFromSession;
};

bool SameRect(const Rect &a, const Rect &b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

Rect Bounds(ControlRef control) {
    Rect r = {0, 0, 0, 0};
    GetControlBounds(control, &r);
    return r;
}

TEST(CPDEPlugin, DefaultsDoNothingAndSucceed) {
    CPDEPlugin base(CFSTR("com.quarn.test.none"));
    EXPECT_EQ(nullptr, base.GetMainBundle());
    CFOwned<CFMutableArrayRef> titles(CFArrayCreateMutable(NULL, 0, &kCFTypeArrayCallBacks));
    CFOwned<CFMutableArrayRef> summaries(CFArrayCreateMutable(NULL, 0, &kCFTypeArrayCallBacks));
    EXPECT_EQ(noErr, base.CreateUI(NULL, 0, NULL, NULL));
    EXPECT_EQ(noErr, base.OnOpenUI());
    EXPECT_EQ(noErr, base.OnCloseUI());
    EXPECT_EQ(noErr, base.GetSummaryText(titles.get(), summaries.get()));
    EXPECT_EQ(noErr, base.TicketToUI(NULL));
    EXPECT_EQ(noErr, base.UIToTicket(NULL));
    EXPECT_EQ(0, CFArrayGetCount(titles.get()));
    EXPECT_EQ(0, CFArrayGetCount(summaries.get()));
    /* Without its bundle the pane has no strings to offer. */
    EXPECT_EQ(nullptr, base.CopyLocalizedString(CFSTR("Job Log"), CFSTR("comment")));
}

TEST(CPDEPlugin, LocalizedStringFallsBackToTheKey) {
    ASSERT_NE(nullptr, JobLogBundle());
    TestPane pane;
    EXPECT_EQ(JobLogBundle(), pane.GetMainBundle());
    CFOwned<CFStringRef> known(pane.CopyLocalizedString(CFSTR("User Code"), CFSTR("c")));
    EXPECT_EQ("User Code", StdString(known.get()));
    CFOwned<CFStringRef> missing(pane.CopyLocalizedString(CFSTR("No such key"), CFSTR("c")));
    EXPECT_EQ("No such key", StdString(missing.get()));
}

TEST(CPDEPlugin, TicketFromSessionKeepsTheFullReference) {
    LiveCounts start = LiveCounts::Now();
    {
        PrintSession s;
        TestPane pane;
        PMTicketRef ticket = NULL;
        EXPECT_EQ(noErr,
                  pane.GetTicketFromSession(s.session, CFSTR("PMPrintSettingsTicket"), &ticket));
        EXPECT_EQ(s.settings, ticket);

        /* A missing name, data that is no number, and no session at all. */
        PMTicketRef untouched = (PMTicketRef)0x1;
        EXPECT_EQ(kPMInvalidTicket,
                  pane.GetTicketFromSession(s.session, CFSTR("PMPageFormatTicket"), &untouched));
        ASSERT_EQ(noErr, PMSessionSetDataInSession(s.session, CFSTR("Text"), CFSTR("ticket")));
        EXPECT_EQ(kPMInvalidTicket,
                  pane.GetTicketFromSession(s.session, CFSTR("Text"), &untouched));
        double fraction = 0.5;
        CFOwned<CFNumberRef> lossy(CFNumberCreate(NULL, kCFNumberDoubleType, &fraction));
        ASSERT_EQ(noErr, PMSessionSetDataInSession(s.session, CFSTR("Lossy"), lossy.get()));
        EXPECT_EQ(kPMInvalidTicket,
                  pane.GetTicketFromSession(s.session, CFSTR("Lossy"), &untouched));
        EXPECT_EQ(kPMInvalidTicket,
                  pane.GetTicketFromSession(NULL, CFSTR("PMPrintSettingsTicket"), &untouched));
        EXPECT_EQ((PMTicketRef)0x1, untouched);
    }
    EXPECT_EQ(start, LiveCounts::Now());
}

/* A nib-like window: content of the given size, controls at the given bounds. */
struct NibWindow {
    NibWindow(SInt16 width, SInt16 height, std::initializer_list<Rect> controls) {
        Rect content = {40, 60, (SInt16)(40 + height), (SInt16)(60 + width)};
        EXPECT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &content, &window));
        for (const Rect &bounds : controls) {
            ControlRef control = NULL;
            EXPECT_EQ(noErr,
                      CreateStaticTextControl(window, &bounds, CFSTR("label"), NULL, &control));
            SetControlVisibility(control, false, false);
            this->controls.push_back(control);
        }
    }
    ~NibWindow() { DisposeWindow(window); }
    UInt16 RootCount() const {
        ControlRef root = NULL;
        UInt16 count = 0;
        GetRootControl(window, &root);
        CountSubControls(root, &count);
        return count;
    }
    WindowRef window = NULL;
    std::vector<ControlRef> controls;
};

TEST(EmbedControlsFromNib, CentresTheNibContentInALargerPane) {
    TestPane pane;
    DialogWindow dialog({10, 20, 310, 420});
    NibWindow nib(300, 200, {{5, 8, 25, 108}, {30, 8, 50, 290}});
    EXPECT_TRUE(pane.EmbedControlsFromNib(nib.window, dialog.userPane));
    EXPECT_TRUE(SameRect({65, 78, 85, 178}, Bounds(nib.controls[0])));
    EXPECT_TRUE(SameRect({90, 78, 110, 360}, Bounds(nib.controls[1])));
    EXPECT_EQ(0, nib.RootCount());
    UInt16 embedded = 0;
    CountSubControls(dialog.userPane, &embedded);
    EXPECT_EQ(2, embedded);
    for (ControlRef control : nib.controls) {
        ControlRef super = NULL;
        EXPECT_EQ(noErr, GetSuperControl(control, &super));
        EXPECT_EQ(dialog.userPane, super);
        EXPECT_TRUE(IsControlVisible(control));
    }
}

TEST(EmbedControlsFromNib, HalvesOddDifferencesAndNeverMovesAboveOrLeftOfThePane) {
    struct Case {
        SInt16 paneWidth, paneHeight, nibWidth, nibHeight, expectLeft, expectTop;
    } cases[] = {{305, 200, 300, 200, 2, 0}, /* odd difference drops the remainder */
                 {250, 100, 300, 200, 0, 0}, /* smaller pane: start at its edges */
                 {300, 201, 300, 200, 0, 0}, /* difference of one: no move */
                 {150, 270, 150, 270, 0, 0}, /* equal sizes */
                 {150, 300, 100, 100, 25, 100}};
    for (const Case &c : cases) {
        TestPane pane;
        DialogWindow dialog({0, 0, c.paneHeight, c.paneWidth});
        NibWindow nib(c.nibWidth, c.nibHeight, {{0, 0, 10, 10}});
        EXPECT_TRUE(pane.EmbedControlsFromNib(nib.window, dialog.userPane));
        Rect moved = Bounds(nib.controls[0]);
        EXPECT_EQ(c.expectLeft, moved.left) << c.paneWidth << " in " << c.nibWidth;
        EXPECT_EQ(c.expectTop, moved.top) << c.paneHeight << " in " << c.nibHeight;
    }
}

TEST(EmbedControlsFromNib, AControlThatCannotBeShownStaysBehindAndTheRestMove) {
    TestPane pane;
    DialogWindow dialog({10, 20, 310, 420});
    NibWindow nib(300, 200, {{5, 8, 25, 108}, {30, 8, 50, 108}, {55, 8, 75, 108}});
    ControlID id = {0x6A6C6F67 /* 'jlog' */, 2};
    SetControlID(nib.controls[1], &id);
    gUnshowableControlID = 2;
    EXPECT_TRUE(pane.EmbedControlsFromNib(nib.window, dialog.userPane));
    gUnshowableControlID = 0;

    EXPECT_TRUE(SameRect({30, 8, 50, 108}, Bounds(nib.controls[1])));
    EXPECT_FALSE(IsControlVisible(nib.controls[1]));
    EXPECT_EQ(1, nib.RootCount());
    EXPECT_TRUE(SameRect({65, 78, 85, 178}, Bounds(nib.controls[0])));
    EXPECT_TRUE(SameRect({115, 78, 135, 178}, Bounds(nib.controls[2])));
    UInt16 embedded = 0;
    CountSubControls(dialog.userPane, &embedded);
    EXPECT_EQ(2, embedded);
    ControlRef second = NULL;
    GetIndexedSubControl(dialog.userPane, 2, &second);
    EXPECT_EQ(nib.controls[2], second);
}

TEST(EmbedControlsFromNib, EmptyNibSucceedsAndNoWindowFails) {
    TestPane pane;
    DialogWindow dialog({0, 0, 100, 100});
    NibWindow nib(50, 50, {});
    EXPECT_TRUE(pane.EmbedControlsFromNib(nib.window, dialog.userPane));
    UInt16 embedded = 1;
    CountSubControls(dialog.userPane, &embedded);
    EXPECT_EQ(0, embedded);
    EXPECT_FALSE(pane.EmbedControlsFromNib(NULL, dialog.userPane));
}

} // namespace
