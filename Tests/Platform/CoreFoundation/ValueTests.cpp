/*
 * ValueTests.cpp
 *
 * Strings in the three encodings the layer carries, at the edges of their
 * buffers; numbers converted with loss; UUIDs, one object per byte pattern.
 */
#include <CoreFoundation/CoreFoundation.h>
#include <StandIn/CFStandIn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Strings, EncodingsConvertExactlyAndStopWhereTheyMust) {
    const UInt8 macRoman[] = {'c', 'a', 'f', 0x8E}; // é in MacRoman
    CFStringRef cafe = CFStringCreateWithBytes(nullptr, macRoman, 4, kCFStringEncodingMacRoman, 0);
    ASSERT_EQ(4, CFStringGetLength(cafe));
    EXPECT_EQ(0xE9, CFStringGetCharacterAtIndex(cafe, 3));
    char buffer[8];
    EXPECT_TRUE(CFStringGetCString(cafe, buffer, 6, kCFStringEncodingUTF8));
    EXPECT_STREQ("caf\xC3\xA9", buffer);
    EXPECT_FALSE(CFStringGetCString(cafe, buffer, 5, kCFStringEncodingUTF8)) << "no room for é";
    CFIndex used = 0;
    EXPECT_EQ(3, CFStringGetBytes(cafe, CFRangeMake(0, 4), kCFStringEncodingASCII, 0, false,
                                  nullptr, 0, &used));
    EXPECT_EQ(3, used) << "stops at the first character ASCII cannot hold";
    EXPECT_EQ(4, CFStringGetBytes(cafe, CFRangeMake(0, 4), kCFStringEncodingASCII, '?', false,
                                  (UInt8 *)buffer, 8, &used));
    EXPECT_EQ(0, memcmp(buffer, "caf?", 4));
    Str255 pascal;
    EXPECT_TRUE(CFStringGetPascalString(cafe, pascal, sizeof pascal, kCFStringEncodingMacRoman));
    EXPECT_EQ(4, pascal[0]);
    EXPECT_EQ(0x8E, pascal[4]);
    std::string long256(256, 'x');
    CFStringRef tooLong = CFStringCreateWithCString(nullptr, long256.c_str(), 0);
    EXPECT_FALSE(CFStringGetPascalString(tooLong, pascal, sizeof pascal, 0));
    EXPECT_EQ(0, pascal[0]);
    const UInt8 bad[] = {'a', 0xC3};
    EXPECT_EQ(nullptr, CFStringCreateWithBytes(nullptr, bad, 2, kCFStringEncodingUTF8, false));
    EXPECT_EQ(nullptr, CFStringCreateWithBytes(nullptr, bad, 2, 0x0100 /* UTF-16 */, false))
        << "encodings the layer does not carry";
    CFStringRef cafeUpper =
        CFStringCreateWithCString(nullptr, "CAF\xC3\xA9", kCFStringEncodingUTF8);
    EXPECT_EQ(kCFCompareLessThan, CFStringCompare(cafeUpper, cafe, 0));
    EXPECT_EQ(kCFCompareEqualTo, CFStringCompare(cafeUpper, cafe, kCFCompareCaseInsensitive));
    for (CFStringRef s : {cafe, tooLong, cafeUpper})
        CFRelease(s);
}

TEST(Numbers, ConversionsReportLoss) {
    int big = 300;
    double half = 2.5;
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberIntType, &big);
    CFNumberRef d = CFNumberCreate(nullptr, kCFNumberDoubleType, &half);
    SInt8 small = 0;
    SInt64 wide = 0;
    EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt8Type, &small));
    EXPECT_EQ(44, small) << "the truncated value is stored all the same";
    EXPECT_FALSE(CFNumberGetValue(d, kCFNumberSInt64Type, &wide));
    EXPECT_EQ(2, wide);
    EXPECT_TRUE(CFNumberIsFloatType(d) && !CFNumberIsFloatType(n));
    CFRelease(n);
    CFRelease(d);
}

TEST(UUIDs, OneObjectPerBytePatternAndConstantsLiveForever) {
    CFIndex before = CFStandInGetLiveObjectCount();
    CFUUIDRef upper =
        CFUUIDCreateFromString(nullptr, CFSTR("0A0B0C0D-0E0F-1011-1213-14151617180F"));
    CFUUIDRef lower =
        CFUUIDCreateFromString(nullptr, CFSTR("{0a0b0c0d-0e0f-1011-1213-14151617180f}"));
    EXPECT_EQ(upper, lower);
    CFUUIDBytes bytes = CFUUIDGetUUIDBytes(upper);
    EXPECT_EQ(0x0A, bytes.byte0);
    EXPECT_EQ(0x0F, bytes.byte15);
    CFUUIDRef fromBytes = CFUUIDCreateFromUUIDBytes(nullptr, bytes);
    EXPECT_EQ(upper, fromBytes);
    EXPECT_EQ(nullptr,
              CFUUIDCreateFromString(nullptr, CFSTR("0A0B0C0D-0E0F-1011-1213-14151617180")));
    EXPECT_EQ(nullptr, CFUUIDCreateFromString(nullptr, CFSTR("")));
    for (CFUUIDRef u : {upper, lower, fromBytes})
        CFRelease(u);
    EXPECT_EQ(before, CFStandInGetLiveObjectCount());
    CFUUIDRef unknown = IUnknownUUID;
    EXPECT_EQ(unknown, IUnknownUUID);
    CFUUIDRef parsed =
        CFUUIDCreateFromString(nullptr, CFSTR("00000000-0000-0000-C000-000000000046"));
    EXPECT_EQ(unknown, parsed);
    CFRelease(parsed);
    CFRelease(parsed); // a constant outlives every release
    EXPECT_EQ(before, CFStandInGetLiveObjectCount());
}
