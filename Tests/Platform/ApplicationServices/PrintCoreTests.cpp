/*
 * PrintCoreTests.cpp
 *
 * Tickets typed, locked and missing; references checked by every call;
 * calls failing cleanly wherever memory runs out.
 */
#include <ApplicationServices/ApplicationServices.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>

#include <gtest/gtest.h>

namespace {

class PrintCore : public ::testing::Test {
protected:
    void SetUp() override {
        mLive = CFStandInGetLiveObjectCount();
        ASSERT_EQ(noErr, PMTicketCreate(kCFAllocatorDefault, kPMPrintSettingsTicket, &mTicket));
        ASSERT_EQ(noErr, PMCreateSession(&mSession));
    }
    void TearDown() override {
        EXPECT_EQ(noErr, PMRelease(mSession));
        EXPECT_EQ(noErr, PMTicketRelease(mTicket));
        EXPECT_EQ(mLive, CFStandInGetLiveObjectCount()) << "objects left behind";
    }
    PMTicketRef mTicket = nullptr;
    PMPrintSession mSession = nullptr;
    CFIndex mLive = 0;
};

TEST_F(PrintCore, TicketItemsAreTypedLockedAndKeptInOrder) {
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, CFSTR("a"), CFSTR("name"), CFSTR("x"), false));
    EXPECT_EQ(noErr, PMTicketSetBoolean(mTicket, nullptr, CFSTR("flag"), true, kPMLocked));
    EXPECT_EQ(noErr, PMTicketSetSInt32(mTicket, nullptr, CFSTR("count"), 7, false));
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, nullptr, CFSTR("name"), CFSTR("y"), false));
    EXPECT_EQ(kPMItemIsLocked, PMTicketSetBoolean(mTicket, nullptr, CFSTR("flag"), false, false));
    CFStringRef text = nullptr;
    Boolean flag = false;
    EXPECT_EQ(noErr, PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("name"), &text));
    EXPECT_EQ(kCFCompareEqualTo, CFStringCompare(text, CFSTR("y"), 0));
    EXPECT_EQ(noErr, PMTicketGetBoolean(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("flag"), &flag));
    EXPECT_TRUE(flag);
    EXPECT_EQ(kPMInvalidType, PMTicketGetBoolean(mTicket, 0, 0, CFSTR("count"), &flag));
    EXPECT_EQ(kPMKeyNotFound, PMTicketGetCFString(mTicket, 0, 0, CFSTR("none"), &text));
    EXPECT_EQ(kPMSubTicketNotFound, PMTicketGetCFString(mTicket, 1, 0, CFSTR("name"), &text));
    EXPECT_EQ(kPMInvalidParameter, PMTicketGetCFString(mTicket, 0, 0, CFSTR("name"), nullptr));
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, CFSTR("b"), CFSTR("name"), CFSTR("z"), false));
    const CFStringRef order[] = {CFSTR("name"), CFSTR("flag"), CFSTR("count")};
    ASSERT_EQ(3, PMStandInTicketGetItemCount(mTicket));
    for (CFIndex i = 0; i < 3; i++) {
        CFStringRef key = nullptr, client = nullptr;
        Boolean locked = false;
        ASSERT_EQ(noErr,
                  PMStandInTicketGetItemAtIndex(mTicket, i, &key, nullptr, &client, &locked));
        EXPECT_TRUE(CFEqual(order[i], key));
        EXPECT_EQ(i == 0, client != nullptr);
        EXPECT_EQ(i == 1, locked != 0);
    }
    EXPECT_EQ(kPMInvalidIndex,
              PMStandInTicketGetItemAtIndex(mTicket, 3, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(PrintCore, EveryCallChecksItsReferences) {
    PMPrintSession gone = nullptr;
    ASSERT_EQ(noErr, PMCreateSession(&gone));
    ASSERT_EQ(noErr, PMRelease(gone));
    CFStringRef text = nullptr;
    CFTypeRef data = nullptr;
    for (PMTicketRef bad : {(PMTicketRef) nullptr, (PMTicketRef)mSession}) {
        EXPECT_EQ(kPMInvalidTicket, PMTicketSetSInt32(bad, nullptr, CFSTR("k"), 1, false));
        EXPECT_EQ(kPMInvalidTicket, PMTicketGetCFString(bad, 0, 0, CFSTR("k"), &text));
        EXPECT_EQ(kPMInvalidTicket, PMTicketRelease(bad));
        EXPECT_EQ(kPMInvalidTicket, PMStandInTicketSetPPDPath(bad, "/x.ppd"));
        EXPECT_EQ(-1, PMStandInTicketGetItemCount(bad));
        EXPECT_EQ(kPMInvalidTicket, PMStandInSessionSetTicket(mSession, CFSTR("t"), bad));
    }
    for (PMPrintSession bad : {(PMPrintSession) nullptr, gone, (PMPrintSession)mTicket})
        EXPECT_EQ(kPMInvalidPrintSession, PMSessionGetDataFromSession(bad, CFSTR("k"), &data));
    EXPECT_EQ(kPMInvalidKey, PMTicketSetBoolean(mTicket, nullptr, nullptr, true, false));
    EXPECT_EQ(kPMInvalidValue,
              PMTicketSetCFString(mTicket, nullptr, CFSTR("k"), (CFStringRef)kCFBooleanTrue, 0));
    EXPECT_EQ(kPMInvalidParameter, PMRelease(nullptr));
}

TEST_F(PrintCore, EveryAllocationFailureLeavesTheTicketAsItWas) {
    CFIndex live = CFStandInGetLiveObjectCount();
    for (long n = 1;; n++) {
        long failed = CFStandInGetFailedAllocationCount();
        CFStandInSetAllocationFailure(n, false);
        PMPrintSession session = nullptr;
        OSStatus status = PMCreateSession(&session);
        if (status == noErr)
            status = PMStandInSessionSetTicket(session, CFSTR("t"), mTicket);
        if (status == noErr)
            status = PMStandInTicketSetPPDPath(mTicket, "/p.ppd");
        if (status == noErr)
            status = PMTicketSetSInt32(mTicket, nullptr, CFSTR("n"), 1, false);
        bool injected = CFStandInGetFailedAllocationCount() > failed;
        CFStandInSetAllocationFailure(0, false);
        if (session != nullptr)
            PMRelease(session);
        if (!injected) {
            EXPECT_EQ(noErr, status);
            break;
        }
        EXPECT_EQ(kPMAllocationFailure, status) << "allocation " << n;
        EXPECT_TRUE(PMStandInTicketGetItemCount(mTicket) == 0 &&
                    live == CFStandInGetLiveObjectCount())
            << "allocation " << n;
    }
}

} // namespace
