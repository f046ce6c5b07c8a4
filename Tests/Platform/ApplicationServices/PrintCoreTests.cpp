/*
 * PrintCoreTests.cpp
 *
 * Tickets typed, locked and missing; sessions carrying tickets; references
 * checked by every call; calls failing cleanly wherever memory runs out.
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
    }
    void TearDown() override {
        EXPECT_EQ(noErr, PMTicketRelease(mTicket));
        EXPECT_EQ(mLive, CFStandInGetLiveObjectCount()) << "objects left behind";
    }
    PMTicketRef mTicket = nullptr;
    CFIndex mLive = 0;
};

TEST_F(PrintCore, TicketItemsAreTypedLockedAndKeptInOrder) {
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, CFSTR("a"), CFSTR("name"), CFSTR("x"), false));
    EXPECT_EQ(noErr, PMTicketSetBoolean(mTicket, nullptr, CFSTR("flag"), true, kPMLocked));
    EXPECT_EQ(noErr, PMTicketSetSInt32(mTicket, nullptr, CFSTR("count"), 7, false));
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, CFSTR("b"), CFSTR("name"), CFSTR("y"), false));
    EXPECT_EQ(kPMItemIsLocked, PMTicketSetBoolean(mTicket, nullptr, CFSTR("flag"), false, false));
    EXPECT_EQ(kPMItemIsLocked, PMTicketDeleteItem(mTicket, CFSTR("flag")));

    CFStringRef text = nullptr;
    Boolean flag = false;
    EXPECT_EQ(noErr, PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("name"), &text));
    EXPECT_EQ(kCFCompareEqualTo, CFStringCompare(text, CFSTR("y"), 0));
    EXPECT_EQ(noErr, PMTicketGetBoolean(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("flag"), &flag));
    EXPECT_TRUE(flag);
    EXPECT_EQ(kPMInvalidType,
              PMTicketGetBoolean(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("name"), &flag));
    EXPECT_EQ(kPMKeyNotFound,
              PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("none"), &text));
    EXPECT_EQ(kPMSubTicketNotFound,
              PMTicketGetCFString(mTicket, 1, kPMTopLevel, CFSTR("name"), &text));
    EXPECT_EQ(kPMInvalidParameter,
              PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("name"), nullptr));

    /* the items in the order of their first write; a deleted one re-added goes last */
    EXPECT_EQ(noErr, PMTicketDeleteItem(mTicket, CFSTR("name")));
    EXPECT_EQ(kPMKeyNotFound, PMTicketDeleteItem(mTicket, CFSTR("name")));
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, nullptr, CFSTR("name"), CFSTR("z"), false));
    const char *order[] = {"flag", "count", "name"};
    ASSERT_EQ(3, PMStandInTicketGetItemCount(mTicket));
    for (CFIndex i = 0; i < 3; i++) {
        CFStringRef key = nullptr, client = CFSTR("?");
        Boolean locked = false;
        ASSERT_EQ(noErr,
                  PMStandInTicketGetItemAtIndex(mTicket, i, &key, nullptr, &client, &locked));
        char name[16] = "";
        CFStringGetCString(key, name, sizeof(name), kCFStringEncodingUTF8);
        EXPECT_STREQ(order[i], name);
        EXPECT_EQ(nullptr, client);
        EXPECT_EQ(i == 0, locked != 0);
    }
    EXPECT_EQ(kPMInvalidIndex,
              PMStandInTicketGetItemAtIndex(mTicket, 3, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(PrintCore, EveryCallChecksItsReferences) {
    PMPrintSession session = nullptr;
    ASSERT_EQ(noErr, PMCreateSession(&session));
    PMTicketRef wrong = reinterpret_cast<PMTicketRef>(session); /* a session as a ticket */
    CFStringRef text = nullptr;
    for (PMTicketRef bad : {static_cast<PMTicketRef>(nullptr), wrong}) {
        EXPECT_EQ(kPMInvalidTicket, PMTicketSetCFString(bad, nullptr, CFSTR("k"), CFSTR("v"), 0));
        EXPECT_EQ(kPMInvalidTicket, PMTicketSetSInt32(bad, nullptr, CFSTR("k"), 1, 0));
        EXPECT_EQ(kPMInvalidTicket, PMTicketGetCFString(bad, 0, 0, CFSTR("k"), &text));
        EXPECT_EQ(kPMInvalidTicket, PMTicketDeleteItem(bad, CFSTR("k")));
        EXPECT_EQ(kPMInvalidTicket, PMTicketRelease(bad));
        EXPECT_EQ(kPMInvalidTicket, PMStandInTicketSetPPDPath(bad, "/x.ppd"));
        EXPECT_EQ(-1, PMStandInTicketGetItemCount(bad));
        EXPECT_EQ(kPMInvalidTicket, PMStandInSessionSetTicket(session, CFSTR("t"), bad));
    }
    EXPECT_EQ(kPMInvalidKey, PMTicketSetBoolean(mTicket, nullptr, nullptr, true, false));
    EXPECT_EQ(kPMInvalidValue, PMTicketSetCFString(mTicket, nullptr, CFSTR("k"), nullptr, false));
    EXPECT_EQ(kPMInvalidValue,
              PMTicketSetCFString(mTicket, nullptr, CFSTR("k"), (CFStringRef)kCFBooleanTrue, 0));
    PMPrintSession goneSession = nullptr;
    ASSERT_EQ(noErr, PMCreateSession(&goneSession));
    ASSERT_EQ(noErr, PMRelease(goneSession));
    CFTypeRef data = nullptr;
    for (PMPrintSession bad : {static_cast<PMPrintSession>(nullptr), goneSession,
                               reinterpret_cast<PMPrintSession>(mTicket)}) {
        EXPECT_EQ(kPMInvalidPrintSession, PMSessionGetDataFromSession(bad, CFSTR("k"), &data));
        EXPECT_EQ(kPMInvalidPrintSession, PMSessionSetDataInSession(bad, CFSTR("k"), CFSTR("v")));
    }
    EXPECT_EQ(kPMInvalidParameter, PMRelease(nullptr));
    EXPECT_EQ(kPMInvalidParameter, PMCreateSession(nullptr));
    EXPECT_EQ(noErr, PMRelease(session));
}

TEST_F(PrintCore, ASessionCarriesItsTicketsAsTheHostStoresThem) {
    PMPrintSession session = nullptr;
    ASSERT_EQ(noErr, PMCreateSession(&session));
    EXPECT_EQ(1, PMStandInGetLiveSessionCount());
    EXPECT_EQ(noErr, PMStandInSessionSetTicket(session, CFSTR(kPDE_PMPrintSettingsRef), mTicket));
    CFTypeRef data = CFSTR("untouched");
    ASSERT_EQ(noErr, PMSessionGetDataFromSession(session, CFSTR(kPDE_PMPrintSettingsRef), &data));
    SInt64 address = 0;
    ASSERT_EQ(CFNumberGetTypeID(), CFGetTypeID(data));
    ASSERT_TRUE(CFNumberGetValue((CFNumberRef)data, kCFNumberSInt64Type, &address));
    EXPECT_EQ(mTicket, (PMTicketRef)(intptr_t)address);
    SInt32 narrow = 0;
    EXPECT_FALSE(CFNumberGetValue((CFNumberRef)data, kCFNumberSInt32Type, &narrow))
        << "a 64-bit address does not fit 32 bits";
    EXPECT_EQ(noErr, PMSessionSetDataInSession(session, CFSTR(kPDE_PMPrintSettingsRef), nullptr));
    EXPECT_EQ(kPMKeyNotFound,
              PMSessionGetDataFromSession(session, CFSTR(kPDE_PMPrintSettingsRef), &data));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(noErr, PMRelease(session));
    EXPECT_EQ(0, PMStandInGetLiveSessionCount());
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
            EXPECT_EQ(1, PMStandInTicketGetItemCount(mTicket));
            break;
        }
        EXPECT_EQ(kPMAllocationFailure, status) << "allocation " << n;
        EXPECT_EQ(0, PMStandInTicketGetItemCount(mTicket));
        EXPECT_EQ(live, CFStandInGetLiveObjectCount()) << "allocation " << n;
    }
}

} // namespace
