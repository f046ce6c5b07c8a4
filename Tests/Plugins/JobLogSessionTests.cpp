/*
 * JobLogSessionTests.cpp
 *
 * The Job Log plug-in as the print dialog meets it: the prologue's outputs
 * and its failure without the plug-in's bundle, and a whole dialog session
 * from the factory to the last release that leaves no platform object, no
 * plug-in instance and no PPD context behind.
 */
#include "CJobLogPDE.h"
#include "PlugInTestSupport.h"

#include <QuarnSettingsKeys.h>

#include <gtest/gtest.h>

namespace {

TEST(JobLogPrologue, HandsTheDialogThePaneItsKindTitleAndSize) {
    ASSERT_NE(nullptr, JobLogBundle());
    LiveCounts start = LiveCounts::Now();
    PMPDEContext context = NULL;
    OSType creator = 0x78787878;
    CFStringRef kind = NULL, title = NULL;
    UInt32 maxH = 0, maxV = 0;
    ASSERT_EQ(noErr, JobLogPrologue(&context, &creator, &kind, &title, &maxH, &maxV));
    EXPECT_NE(nullptr, context);
    EXPECT_EQ(0u, creator);
    EXPECT_EQ("com.quarn.print.pde.JobLogKindTQX", StdString(kind));
    EXPECT_EQ("Job Log", StdString(title));
    EXPECT_EQ(150u, maxH);
    EXPECT_EQ(270u, maxV);
    CFRelease(title);
    delete static_cast<CPDEPlugin *>(context);
    EXPECT_EQ(start, LiveCounts::Now());
}

TEST(JobLogPrologue, WithoutItsBundleThereIsNoTitleAndNoPane) {
    CFStandInResetBundleRegistry(); /* the plug-in's bundle is no longer found */
    PMPDEContext context = (PMPDEContext)0x1;
    OSType creator = 0x78787878;
    CFStringRef kind = NULL, title = (CFStringRef)0x1;
    UInt32 maxH = 0, maxV = 0;
    EXPECT_EQ(kPMInvalidPDEContext,
              JobLogPrologue(&context, &creator, &kind, &title, &maxH, &maxV));
    EXPECT_EQ((PMPDEContext)0x1, context);
    EXPECT_EQ((CFStringRef)0x1, title);
    EXPECT_EQ(0u, creator); /* written before the title was asked for */
    EXPECT_EQ(150u, maxH);
    EXPECT_NE(nullptr, JobLogBundle()); /* registered again for the other tests */
}

TEST(JobLogSession, FromFactoryToLastReleaseLeavesNothingBehind) {
    ASSERT_NE(nullptr, JobLogBundle());
    TempDir dir;
    std::string ppd = dir.Write("printer.ppd", MakePPD(std::string("*APDialogExtension: \"") +
                                                       kJobLogInstalledPath + "\"\n"));
    LiveCounts start = LiveCounts::Now();
    std::vector<TicketItem> written;
    {
        PrintSession session(ppd);
        DialogWindow dialog({0, 0, kJobLogPaneMaxV, kJobLogPaneMaxH});
        UserFeedback feedback;

        CFOwned<CFUUIDRef> type(
            CFUUIDCreateFromString(NULL, CFSTR(kPMPrintingDialogExtensionsPlugInType)));
        CFOwned<CFUUIDRef> intfID(
            CFUUIDCreateFromString(NULL, CFSTR(kPMPrintingDialogExtensionsIntfIDStr)));
        CFOwned<CFUUIDRef> factory(CFUUIDCreateFromString(NULL, CFSTR(kJobLogFactoryIDString)));
        IUnknownVTbl **instance = (IUnknownVTbl **)JobLogPluginFactory(NULL, type.get());
        ASSERT_NE(nullptr, instance);
        EXPECT_EQ(1, CFStandInGetPlugInInstanceCount(factory.get()));
        LPVOID intfPtr = NULL;
        ASSERT_EQ(S_OK, (*instance)->QueryInterface(instance, CFUUIDGetUUIDBytes(intfID.get()),
                                                    &intfPtr));
        JobLogPlugInInterface *intf = (JobLogPlugInInterface *)intfPtr;
        PlugInIntfVTable *table = intf->vtable;
        PMPlugInHeaderInterface *header = (PMPlugInHeaderInterface *)intf;
        table->plugInHeader.Retain(header);
        PMPlugInAPIVersion version;
        table->plugInHeader.GetAPIVersion(header, &version);

        PMPDEContext context = NULL;
        OSType creator;
        CFStringRef kind = NULL, title = NULL;
        UInt32 maxH, maxV;
        ASSERT_EQ(noErr, table->Prologue(&context, &creator, &kind, &title, &maxH, &maxV));
        CFRelease(title);
        PMPDEFlags flags = kPMPDENoFlags;
        ASSERT_EQ(noErr, table->Initialize(context, &flags, 0, dialog.userPane, session.session));
        EXPECT_EQ(noErr, table->Open(context));
        for (char ch : std::string("tanaka"))
            HIStandInTypeCharacter((UniChar)ch, 0);
        HIStandInClickControl(FindControl(dialog.window, kJobLogEnableUserCodeControlID));
        HIStandInClickControl(FindControl(dialog.window, kJobLogUserCodeControlID));
        HIStandInSetClipboardText(CFSTR("2468"));
        HIStandInPaste();
        HIStandInSetClipboardText(NULL);

        CFArrayRef titles = NULL, summaries = NULL;
        ASSERT_EQ(noErr, table->GetSummaryText(context, &titles, &summaries));
        EXPECT_EQ(2, CFArrayGetCount(titles));
        EXPECT_EQ("2468", StdString((CFStringRef)CFArrayGetValueAtIndex(summaries, 1)));
        CFRelease(titles);
        CFRelease(summaries);
        EXPECT_EQ(noErr, table->Sync(context, session.session, kSyncDirectionSetTickets));
        EXPECT_EQ(noErr, table->Sync(context, session.session, kSyncDirectionSetUserInterface));
        EXPECT_EQ(noErr, table->Close(context));
        EXPECT_EQ(noErr, table->Terminate(context, noErr));
        written = TicketItems(session.settings);
        EXPECT_TRUE(feedback.alerts.empty());

        table->plugInHeader.Release(&header);
        header = (PMPlugInHeaderInterface *)intf;
        table->plugInHeader.Release(&header);
        EXPECT_EQ(0u, (*instance)->Release(instance));
        EXPECT_EQ(0, CFStandInGetPlugInInstanceCount(factory.get()));
    }
    EXPECT_EQ(start, LiveCounts::Now());
    ASSERT_EQ(5u, written.size());
    EXPECT_EQ("tanaka", written[0].value);
    EXPECT_EQ("true", written[1].value);
    EXPECT_EQ("2468", written[2].value);
}

} // namespace
