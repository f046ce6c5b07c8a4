/*
 * TicketTests.cpp
 *
 * Ticket items: typed get and set at the top level, a wrong type, a missing
 * item, node indices below the top level, locked items refusing rewrites
 * and deletion, rewrites keeping their position, the item enumeration
 * extension, and invalid ticket references.
 */
#include <ApplicationServices/ApplicationServices.h>
#include <StandIn/CFStandIn.h>
#include <StandIn/PMStandIn.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Str(CFStringRef s) {
    char buffer[256];
    if (s == nullptr || !CFStringGetCString(s, buffer, sizeof(buffer), kCFStringEncodingUTF8))
        return "(null)";
    return buffer;
}

class Ticket : public ::testing::Test {
protected:
    void SetUp() override {
        mObjects = CFStandInGetLiveObjectCount();
        ASSERT_EQ(noErr, PMTicketCreate(kCFAllocatorDefault, kPMPrintSettingsTicket, &mTicket));
    }
    void TearDown() override {
        CFStandInSetAllocationFailure(0, false);
        EXPECT_EQ(noErr, PMTicketRelease(mTicket));
        EXPECT_EQ(mObjects, CFStandInGetLiveObjectCount()) << "objects left behind";
    }
    std::vector<std::string> Keys() {
        std::vector<std::string> keys;
        for (CFIndex i = 0; i < PMStandInTicketGetItemCount(mTicket); i++) {
            CFStringRef key = nullptr;
            EXPECT_EQ(noErr,
                      PMStandInTicketGetItemAtIndex(mTicket, i, &key, nullptr, nullptr, nullptr));
            keys.push_back(Str(key));
        }
        return keys;
    }
    CFIndex mObjects = 0;
    PMTicketRef mTicket = nullptr;
};

const CFStringRef kClient = CFSTR("com.quarn.printingmanager");

TEST_F(Ticket, StringAndBooleanItemsRoundTripAtTheTopLevel) {
    CFMutableStringRef value = CFStringCreateMutable(nullptr, 0);
    CFStringAppendCString(value, "AB12", kCFStringEncodingUTF8);
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, kClient, CFSTR("com.quarn.pm.UserID"), value,
                                         kPMUnlocked));
    CFRelease(value); // the ticket holds its own reference
    EXPECT_EQ(noErr, PMTicketSetBoolean(mTicket, kClient, CFSTR("com.quarn.pm.EnableUserCode"),
                                        true, kPMUnlocked));
    CFStringRef read = nullptr;
    EXPECT_EQ(noErr, PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel,
                                         CFSTR("com.quarn.pm.UserID"), &read));
    EXPECT_EQ("AB12", Str(read));
    Boolean flag = false;
    EXPECT_EQ(noErr, PMTicketGetBoolean(mTicket, kPMTopLevel, kPMTopLevel,
                                        CFSTR("com.quarn.pm.EnableUserCode"), &flag));
    EXPECT_TRUE(flag);
    SInt32 number = 0;
    EXPECT_EQ(noErr, PMTicketSetSInt32(mTicket, kClient, CFSTR("n"), -7, false));
    EXPECT_EQ(noErr, PMTicketGetSInt32(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("n"), &number));
    EXPECT_EQ(-7, number);
    CFStringRef type = nullptr;
    EXPECT_EQ(noErr, PMTicketGetType(mTicket, &type));
    EXPECT_TRUE(CFEqual(kPMPrintSettingsTicket, type));
}

TEST_F(Ticket, WrongTypesMissingItemsAndLowerNodesAreRefused) {
    PMTicketSetBoolean(mTicket, kClient, CFSTR("flag"), false, false);
    PMTicketSetCFString(mTicket, kClient, CFSTR("text"), CFSTR("x"), false);
    CFStringRef read = CFSTR("untouched");
    Boolean flag = true;
    EXPECT_EQ(kPMInvalidType,
              PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("flag"), &read));
    EXPECT_EQ(kPMInvalidType,
              PMTicketGetBoolean(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("text"), &flag));
    EXPECT_EQ(kPMKeyNotFound,
              PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("none"), &read));
    EXPECT_EQ(kPMKeyNotFound,
              PMTicketGetBoolean(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("none"), &flag));
    EXPECT_EQ(kPMSubTicketNotFound,
              PMTicketGetCFString(mTicket, 1, kPMTopLevel, CFSTR("text"), &read));
    EXPECT_EQ(kPMSubTicketNotFound,
              PMTicketGetBoolean(mTicket, kPMTopLevel, 2, CFSTR("flag"), &flag));
    EXPECT_EQ("untouched", Str(read)); // failed gets leave the out-parameter alone
    EXPECT_TRUE(flag);
    EXPECT_EQ(kPMInvalidKey,
              PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, nullptr, &read));
    EXPECT_EQ(kPMInvalidParameter,
              PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("text"), nullptr));
    EXPECT_EQ(kPMInvalidValue, PMTicketSetCFString(mTicket, kClient, CFSTR("text"),
                                                   (CFStringRef)kCFBooleanTrue, false));
    EXPECT_EQ(kPMInvalidValue,
              PMTicketSetCFString(mTicket, kClient, CFSTR("text"), nullptr, false));
    EXPECT_EQ(kPMInvalidKey,
              PMTicketSetBoolean(mTicket, kClient, (CFStringRef)kCFBooleanTrue, true, false));
}

TEST_F(Ticket, LockedItemsRefuseRewritesAndDeletion) {
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, CFSTR("printer"), CFSTR("com.quarn.pm.JobType"),
                                         CFSTR("Locked Print"), kPMLocked));
    EXPECT_EQ(kPMItemIsLocked, PMTicketSetCFString(mTicket, kClient, CFSTR("com.quarn.pm.JobType"),
                                                   CFSTR("Normal"), kPMUnlocked));
    EXPECT_EQ(kPMItemIsLocked, PMTicketSetBoolean(mTicket, kClient, CFSTR("com.quarn.pm.JobType"),
                                                  true, kPMUnlocked));
    EXPECT_EQ(kPMItemIsLocked, PMTicketDeleteItem(mTicket, CFSTR("com.quarn.pm.JobType")));
    CFStringRef read = nullptr;
    EXPECT_EQ(noErr, PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel,
                                         CFSTR("com.quarn.pm.JobType"), &read));
    EXPECT_EQ("Locked Print", Str(read));
    Boolean locked = false;
    EXPECT_EQ(noErr, PMTicketGetLockedState(mTicket, kPMTopLevel, kPMTopLevel,
                                            CFSTR("com.quarn.pm.JobType"), &locked));
    EXPECT_TRUE(locked);
    CFStringRef client = nullptr;
    EXPECT_EQ(noErr, PMStandInTicketGetItemAtIndex(mTicket, 0, nullptr, nullptr, &client, nullptr));
    EXPECT_EQ("printer", Str(client));
}

TEST_F(Ticket, ItemsKeepTheOrderOfTheirFirstWrite) {
    const char *keys[] = {"UserID", "EnableUserCode", "UserCode", "JobType", "TimeZone"};
    for (const char *key : keys) {
        CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
        EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, kClient, k, CFSTR("1"), false));
        CFRelease(k);
    }
    // a rewrite changes value, client and lock but keeps the place
    EXPECT_EQ(noErr, PMTicketSetBoolean(mTicket, CFSTR("other"), CFSTR("UserCode"), true, true));
    EXPECT_EQ(
        (std::vector<std::string>{"UserID", "EnableUserCode", "UserCode", "JobType", "TimeZone"}),
        Keys());
    CFTypeRef value = nullptr;
    CFStringRef client = nullptr;
    Boolean locked = false;
    EXPECT_EQ(noErr, PMStandInTicketGetItemAtIndex(mTicket, 2, nullptr, &value, &client, &locked));
    EXPECT_EQ(kCFBooleanTrue, value);
    EXPECT_EQ("other", Str(client));
    EXPECT_TRUE(locked);
    EXPECT_EQ(kPMInvalidIndex,
              PMStandInTicketGetItemAtIndex(mTicket, 5, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(kPMInvalidIndex,
              PMStandInTicketGetItemAtIndex(mTicket, -1, nullptr, nullptr, nullptr, nullptr));

    EXPECT_EQ(noErr, PMTicketDeleteItem(mTicket, CFSTR("TimeZone")));
    EXPECT_EQ(kPMKeyNotFound, PMTicketDeleteItem(mTicket, CFSTR("TimeZone")));
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, kClient, CFSTR("TimeZone"), CFSTR("2"), false));
    EXPECT_EQ("TimeZone", Keys().back()); // a deleted item comes back at the end
}

TEST_F(Ticket, ReferenceCountingAndInvalidTickets) {
    EXPECT_EQ(noErr, PMTicketRetain(mTicket));
    CFIndex count = 0;
    EXPECT_EQ(noErr, PMTicketGetRetainCount(mTicket, &count));
    EXPECT_EQ(2, count);
    EXPECT_EQ(noErr, PMTicketRelease(mTicket));

    PMTicketRef other = nullptr;
    ASSERT_EQ(noErr, PMTicketCreate(nullptr, kPMPrinterInfoTicket, &other));
    EXPECT_EQ(1, PMStandInGetLiveTicketCount() - 1);
    EXPECT_EQ(noErr, PMTicketRelease(other));
    // `other` is gone now: it and anything that is no ticket are refused
    const PMTicketRef bad[] = {nullptr, other, (PMTicketRef)CFSTR("ticket")};
    for (PMTicketRef t : bad) {
        CFStringRef s = nullptr;
        EXPECT_EQ(kPMInvalidTicket, PMTicketRetain(t));
        EXPECT_EQ(kPMInvalidTicket, PMTicketRelease(t));
        EXPECT_EQ(kPMInvalidTicket, PMTicketSetCFString(t, kClient, CFSTR("k"), CFSTR("v"), 0));
        EXPECT_EQ(kPMInvalidTicket, PMTicketGetCFString(t, 0, 0, CFSTR("k"), &s));
        EXPECT_EQ(kPMInvalidTicket, PMStandInTicketSetPPDPath(t, "/x.ppd"));
        EXPECT_EQ(-1, PMStandInTicketGetItemCount(t));
    }
    PMTicketRef none = (PMTicketRef)1;
    EXPECT_EQ(kPMInvalidParameter, PMTicketCreate(nullptr, nullptr, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(kPMInvalidParameter, PMTicketCreate(nullptr, kPMPrinterInfoTicket, nullptr));
}

TEST_F(Ticket, AllocationFailuresLeaveTheTicketUnchanged) {
    PMTicketSetCFString(mTicket, kClient, CFSTR("a"), CFSTR("1"), false);
    CFStandInSetAllocationFailure(1, true);
    EXPECT_EQ(kPMAllocationFailure,
              PMTicketSetCFString(mTicket, kClient, CFSTR("b"), CFSTR("2"), false));
    EXPECT_EQ(kPMAllocationFailure, PMTicketSetSInt32(mTicket, kClient, CFSTR("c"), 3, false));
    PMTicketRef other = (PMTicketRef)1;
    EXPECT_EQ(kPMAllocationFailure, PMTicketCreate(nullptr, kPMPrinterInfoTicket, &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(kPMAllocationFailure, PMStandInTicketSetPPDPath(mTicket, "/x.ppd"));
    // rewriting an existing item needs no memory
    EXPECT_EQ(noErr, PMTicketSetCFString(mTicket, kClient, CFSTR("a"), CFSTR("9"), false));
    CFStandInSetAllocationFailure(0, false);
    EXPECT_EQ((std::vector<std::string>{"a"}), Keys());
    EXPECT_EQ(nullptr, PMStandInTicketGetPPDPath(mTicket));
}

} // namespace
