/*
 * SessionTests.cpp
 *
 * Print sessions: named data retained by the session, a missing name,
 * replacing and removing entries, a ticket reference carried through a
 * 64-bit number and back, and what sessions leave behind.
 */
#include <ApplicationServices/ApplicationServices.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>

#include <gtest/gtest.h>

namespace {

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        mObjects = CFStandInGetLiveObjectCount();
        ASSERT_EQ(noErr, PMCreateSession(&mSession));
    }
    void TearDown() override {
        CFStandInSetAllocationFailure(0, false);
        EXPECT_EQ(noErr, PMRelease(mSession));
        EXPECT_EQ(mObjects, CFStandInGetLiveObjectCount()) << "objects left behind";
    }
    CFIndex mObjects = 0;
    PMPrintSession mSession = nullptr;
};

TEST_F(Session, DataIsRetainedByNameAndBorrowedByTheReader) {
    CFStringRef value = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
    EXPECT_EQ(noErr, PMSessionSetDataInSession(mSession, CFSTR("name"), value));
    EXPECT_EQ(2, CFGetRetainCount(value));
    CFRelease(value);
    CFTypeRef read = nullptr;
    EXPECT_EQ(noErr, PMSessionGetDataFromSession(mSession, CFSTR("name"), &read));
    EXPECT_EQ(value, read);
    EXPECT_EQ(1, CFGetRetainCount(read));

    EXPECT_EQ(noErr, PMSessionSetDataInSession(mSession, CFSTR("name"), kCFBooleanTrue));
    EXPECT_EQ(noErr, PMSessionGetDataFromSession(mSession, CFSTR("name"), &read));
    EXPECT_EQ(kCFBooleanTrue, read);
    EXPECT_EQ(noErr, PMSessionSetDataInSession(mSession, CFSTR("name"), nullptr));
    EXPECT_EQ(kPMKeyNotFound, PMSessionGetDataFromSession(mSession, CFSTR("name"), &read));
    EXPECT_EQ(nullptr, read);
    EXPECT_EQ(kPMKeyNotFound, PMSessionError(mSession));
}

TEST_F(Session, ATicketReferenceSurvivesTheRoundTripAt64Bits) {
    PMTicketRef ticket = nullptr;
    ASSERT_EQ(noErr, PMTicketCreate(nullptr, kPMPrintSettingsTicket, &ticket));
    ASSERT_EQ(noErr, PMStandInSessionSetTicket(mSession, CFSTR(kPDE_PMPrintSettingsRef), ticket));
    CFTypeRef data = nullptr;
    ASSERT_EQ(noErr, PMSessionGetDataFromSession(mSession, CFSTR("PMPrintSettingsTicket"), &data));
    ASSERT_EQ(CFNumberGetTypeID(), CFGetTypeID(data));
    SInt64 wide = 0;
    EXPECT_TRUE(CFNumberGetValue((CFNumberRef)data, kCFNumberSInt64Type, &wide));
    EXPECT_EQ(ticket, (PMTicketRef)(intptr_t)wide);
    if ((uintptr_t)ticket > 0x7FFFFFFF) {
        SInt32 narrow = 0; // a heap address does not fit: the read fails as lossy
        EXPECT_FALSE(CFNumberGetValue((CFNumberRef)data, kCFNumberSInt32Type, &narrow));
    }
    // the session does not own the ticket
    EXPECT_EQ(1, CFGetRetainCount(ticket));
    EXPECT_EQ(noErr, PMTicketRelease(ticket));
}

TEST_F(Session, BadSessionsKeysAndValuesAreRefused) {
    CFTypeRef read = nullptr;
    PMPrintSession other = nullptr;
    ASSERT_EQ(noErr, PMCreateSession(&other));
    EXPECT_EQ(1, PMStandInGetLiveSessionCount() - 1);
    EXPECT_EQ(noErr, PMRelease(other));
    const PMPrintSession bad[] = {nullptr, other, (PMPrintSession)CFSTR("session")};
    for (PMPrintSession s : bad) {
        EXPECT_EQ(kPMInvalidPrintSession, PMSessionGetDataFromSession(s, CFSTR("n"), &read));
        EXPECT_EQ(kPMInvalidPrintSession, PMSessionSetDataInSession(s, CFSTR("n"), kCFBooleanTrue));
        EXPECT_EQ(kPMInvalidPrintSession, PMSessionError(s));
    }
    EXPECT_EQ(kPMInvalidParameter, PMRelease(nullptr));
    EXPECT_EQ(kPMInvalidParameter, PMRetain(CFSTR("no printing object")));
    EXPECT_EQ(kPMInvalidParameter, PMSessionGetDataFromSession(mSession, nullptr, &read));
    EXPECT_EQ(kPMInvalidParameter, PMSessionGetDataFromSession(mSession, CFSTR("n"), nullptr));
    EXPECT_EQ(kPMInvalidParameter,
              PMSessionSetDataInSession(mSession, (CFStringRef)kCFBooleanTrue, kCFBooleanTrue));
    int junk = 0;
    EXPECT_EQ(kPMInvalidParameter,
              PMSessionSetDataInSession(mSession, CFSTR("n"), (CFTypeRef)&junk));
    EXPECT_EQ(kPMInvalidTicket,
              PMStandInSessionSetTicket(mSession, CFSTR("PMPrinterInfoTicket"), nullptr));
    EXPECT_EQ(kPMInvalidParameter, PMCreateSession(nullptr));
}

TEST_F(Session, RetainAndReleaseBalance) {
    EXPECT_EQ(noErr, PMRetain(mSession));
    EXPECT_EQ(2, CFGetRetainCount(mSession));
    EXPECT_EQ(noErr, PMRelease(mSession));
    CFStandInSetAllocationFailure(1, true);
    PMPrintSession failed = (PMPrintSession)1;
    EXPECT_EQ(kPMAllocationFailure, PMCreateSession(&failed));
    EXPECT_EQ(nullptr, failed);
    CFStandInSetAllocationFailure(0, false);
    // the dictionary made second fails: the half-made session goes away again
    CFStandInSetAllocationFailure(2, false);
    EXPECT_EQ(kPMAllocationFailure, PMCreateSession(&failed));
    CFStandInSetAllocationFailure(0, false);
}

} // namespace
