/*
 * UUIDTests.cpp
 *
 * UUIDs: parsing valid, lower-case and invalid text, the text written
 * back, one object per byte pattern, and constant UUIDs.
 */
#include "TestSupport.h"

using namespace cftest;

TEST(UUID, ParsesEitherCaseAndWritesUpperCase) {
    CFUUIDRef upper =
        CFUUIDCreateFromString(nullptr, CFSTR("BDB091F4-E57F-11D3-B5CC-0050E4603277"));
    CFUUIDRef lower =
        CFUUIDCreateFromString(nullptr, CFSTR("bdb091f4-e57f-11d3-b5cc-0050e4603277"));
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper, lower) << "the same bytes are the same object";
    EXPECT_EQ(CFGetRetainCount(upper), 2);
    CFUUIDBytes b = CFUUIDGetUUIDBytes(upper);
    EXPECT_EQ(b.byte0, 0xBD);
    EXPECT_EQ(b.byte15, 0x77);
    EXPECT_EQ(consume(CFUUIDCreateString(nullptr, lower)), "BDB091F4-E57F-11D3-B5CC-0050E4603277");
    CFRelease(upper);
    CFRelease(lower);
}

TEST(UUID, RejectsMalformedText) {
    for (const char *bad : {"", "BDB091F4-E57F-11D3-B5CC-0050E460327",  // one digit short
                            "BDB091F4-E57F-11D3-B5CC-0050E46032777",    // one digit long
                            "BDB091F4E57F11D3B5CC0050E4603277",         // no hyphens
                            "BDB091F4-E57F-11D3-B5CC-0050E460327G",     // not hex
                            "BDB091F4_E57F_11D3_B5CC_0050E4603277",     // wrong separators
                            "{BDB091F4-E57F-11D3-B5CC-0050E4603277"}) { // unbalanced brace
        CFStringRef s = str(bad);
        EXPECT_EQ(CFUUIDCreateFromString(nullptr, s), nullptr) << bad;
        CFRelease(s);
    }
    CFStringRef braced = str("{BDB091F4-E57F-11D3-B5CC-0050E4603277}");
    CFUUIDRef u = CFUUIDCreateFromString(nullptr, braced);
    EXPECT_NE(u, nullptr) << "the registry form with braces is accepted";
    CFRelease(u);
    CFRelease(braced);
}

TEST(UUID, OneObjectPerBytePatternUntilItIsFreed) {
    CFIndex start = CFStandInGetLiveObjectCount();
    CFUUIDRef a =
        CFUUIDCreateWithBytes(nullptr, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    CFUUIDBytes bytes = CFUUIDGetUUIDBytes(a);
    CFUUIDRef b = CFUUIDCreateFromUUIDBytes(nullptr, bytes);
    EXPECT_EQ(a, b);
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start + 1);
    CFUUIDRef other =
        CFUUIDCreateWithBytes(nullptr, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17);
    EXPECT_NE(other, a);
    EXPECT_FALSE(CFEqual(other, a));
    CFRelease(other);
    CFRelease(b);
    CFRelease(a);
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start) << "freed with its last release";
    CFUUIDRef again =
        CFUUIDCreateWithBytes(nullptr, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(CFGetRetainCount(again), 1) << "a fresh object after the old one went";
    CFRelease(again);
}

TEST(UUID, ConstantUUIDsAreNeverFreedAndShareTheirObject) {
    CFIndex start = CFStandInGetLiveObjectCount();
    CFUUIDRef unknown = IUnknownUUID;
    EXPECT_EQ(unknown, IUnknownUUID);
    CFUUIDRef made = CFUUIDCreateFromString(nullptr, CFSTR("00000000-0000-0000-C000-000000000046"));
    EXPECT_EQ(made, unknown);
    CFRelease(made);
    CFRelease(made); // more releases than creates: still there, as a constant
    EXPECT_TRUE(CFStandInIsValidObject(unknown));
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start);
}

TEST(UUID, FreshUUIDsDiffer) {
    CFUUIDRef a = CFUUIDCreate(nullptr);
    CFUUIDRef b = CFUUIDCreate(nullptr);
    EXPECT_NE(a, b);
    std::string t = consume(CFUUIDCreateString(nullptr, a));
    EXPECT_EQ(t.size(), 36u);
    CFRelease(a);
    CFRelease(b);
}
