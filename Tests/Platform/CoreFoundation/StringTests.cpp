/*
 * StringTests.cpp
 *
 * Strings and their conversions: MacRoman and UTF-8 in both directions,
 * Pascal strings and their 255-byte limit, buffers too small, characters
 * an encoding cannot hold, UTF-16 byte orders, comparison, search and the
 * editing of mutable strings.
 */
#include "TestSupport.h"

#include <cstring>

using namespace cftest;

TEST(StringEncoding, MacRomanRoundTripsAccentsAndTheEuroSign) {
    // é ü € in MacRoman are 0x8E 0x9F 0xDB
    const char macRoman[] = "caf\x8E \x9F \xDB";
    CFStringRef s = CFStringCreateWithCString(nullptr, macRoman, kCFStringEncodingMacRoman);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFStringGetLength(s), 8);
    EXPECT_EQ(CFStringGetCharacterAtIndex(s, 3), 0x00E9);
    EXPECT_EQ(CFStringGetCharacterAtIndex(s, 5), 0x00FC);
    EXPECT_EQ(CFStringGetCharacterAtIndex(s, 7), 0x20AC);
    EXPECT_EQ(text(s), "caf\xC3\xA9 \xC3\xBC \xE2\x82\xAC");
    char back[16];
    ASSERT_TRUE(CFStringGetCString(s, back, sizeof back, kCFStringEncodingMacRoman));
    EXPECT_STREQ(back, macRoman);
    CFRelease(s);
}

TEST(StringEncoding, InvalidBytesMakeNoString) {
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "bad \xC3\x28", kCFStringEncodingUTF8), nullptr);
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xE9t\xE9", kCFStringEncodingASCII), nullptr);
    UInt8 odd[3] = {0x41, 0x00, 0x42};
    EXPECT_EQ(CFStringCreateWithBytes(nullptr, odd, 3, kCFStringEncodingUTF16LE, false), nullptr);
}

TEST(StringEncoding, UnencodableCharacterFailsTheConversion) {
    CFStringRef s = str("ID \xE6\xBC\xA2"); // a CJK character
    char buf[32];
    EXPECT_FALSE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingMacRoman));
    Str255 pascal;
    EXPECT_FALSE(CFStringGetPascalString(s, pascal, sizeof pascal, kCFStringEncodingMacRoman));
    EXPECT_FALSE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingASCII));
    EXPECT_TRUE(CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8));
    CFRelease(s);
}

TEST(StringEncoding, CStringNeedsRoomForItsTerminator) {
    CFStringRef s = str("abcd");
    char buf[5];
    EXPECT_FALSE(CFStringGetCString(s, buf, 4, kCFStringEncodingUTF8));
    EXPECT_TRUE(CFStringGetCString(s, buf, 5, kCFStringEncodingUTF8));
    EXPECT_STREQ(buf, "abcd");
    EXPECT_FALSE(CFStringGetCString(s, buf, 0, kCFStringEncodingUTF8));
    CFRelease(s);
    // A multi-byte character that does not fit whole is not split.
    CFStringRef e = str("\xC3\xA9\xC3\xA9");
    char two[4];
    EXPECT_FALSE(CFStringGetCString(e, two, sizeof two, kCFStringEncodingUTF8));
    CFRelease(e);
}

TEST(StringEncoding, PascalStringsHoldAtMost255Bytes) {
    std::string t255(255, 'x'), t256(256, 'x');
    CFStringRef fits = str(t255.c_str());
    CFStringRef tooLong = str(t256.c_str());
    Str255 buf;
    ASSERT_TRUE(CFStringGetPascalString(fits, buf, sizeof buf, kCFStringEncodingMacRoman));
    EXPECT_EQ(buf[0], 255);
    EXPECT_EQ(buf[255], 'x');
    EXPECT_FALSE(CFStringGetPascalString(tooLong, buf, sizeof buf, kCFStringEncodingMacRoman));
    // Also bounded by a smaller buffer: length byte plus 9.
    unsigned char small[10];
    CFStringRef ten = str("0123456789");
    EXPECT_FALSE(CFStringGetPascalString(ten, small, sizeof small, kCFStringEncodingMacRoman));
    CFStringRef nine = str("012345678");
    ASSERT_TRUE(CFStringGetPascalString(nine, small, sizeof small, kCFStringEncodingMacRoman));
    EXPECT_EQ(small[0], 9);
    CFStringRef back = CFStringCreateWithPascalString(nullptr, small, kCFStringEncodingMacRoman);
    EXPECT_TRUE(CFEqual(back, nine));
    for (CFStringRef s : {fits, tooLong, ten, nine, back})
        CFRelease(s);
}

TEST(StringEncoding, GetBytesStopsAtTheFirstUnencodableCharacterUnlessALossByteIsGiven) {
    CFStringRef s = str("ab\xE6\xBC\xA2"
                        "cd");
    UInt8 buf[16];
    CFIndex used = -1;
    CFIndex n = CFStringGetBytes(s, CFRangeMake(0, 5), kCFStringEncodingMacRoman, 0, false, buf,
                                 sizeof buf, &used);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(used, 2);
    n = CFStringGetBytes(s, CFRangeMake(0, 5), kCFStringEncodingMacRoman, '?', false, buf,
                         sizeof buf, &used);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), static_cast<size_t>(used)), "ab?cd");
    // A NULL buffer measures; a short buffer converts what fits.
    n = CFStringGetBytes(s, CFRangeMake(0, 5), kCFStringEncodingUTF8, 0, false, nullptr, 0, &used);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(used, 7);
    n = CFStringGetBytes(s, CFRangeMake(0, 5), kCFStringEncodingUTF8, 0, false, buf, 4, &used);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(used, 2);
    CFRelease(s);
}

TEST(StringEncoding, UTF16FollowsItsByteOrderMarkAndExplicitOrders) {
    const UInt8 be[] = {0xFE, 0xFF, 0x00, 0x48, 0x00, 0x69};
    const UInt8 le[] = {0xFF, 0xFE, 0x48, 0x00, 0x69, 0x00};
    const UInt8 plainBE[] = {0x00, 0x48, 0x00, 0x69};
    CFStringRef a = CFStringCreateWithBytes(nullptr, be, sizeof be, kCFStringEncodingUTF16, true);
    CFStringRef b = CFStringCreateWithBytes(nullptr, le, sizeof le, kCFStringEncodingUTF16, true);
    CFStringRef c =
        CFStringCreateWithBytes(nullptr, plainBE, sizeof plainBE, kCFStringEncodingUTF16BE, false);
    EXPECT_EQ(text(a), "Hi");
    EXPECT_EQ(text(b), "Hi");
    EXPECT_EQ(text(c), "Hi");
    CFDataRef external =
        CFStringCreateExternalRepresentation(nullptr, a, kCFStringEncodingUTF16BE, 0);
    ASSERT_NE(external, nullptr);
    EXPECT_EQ(CFDataGetLength(external), 4);
    EXPECT_EQ(std::memcmp(CFDataGetBytePtr(external), plainBE, 4), 0);
    for (CFTypeRef o : {static_cast<CFTypeRef>(a), static_cast<CFTypeRef>(b),
                        static_cast<CFTypeRef>(c), static_cast<CFTypeRef>(external)})
        CFRelease(o);
}

TEST(StringEncoding, EveryOfferedEncodingRoundTrips) {
    CFStringRef s = str("Caf\xC3\xA9 \xC2\xA3"); // Café £: in every encoding below but ASCII
    for (CFStringEncoding e :
         {kCFStringEncodingMacRoman, kCFStringEncodingWindowsLatin1, kCFStringEncodingISOLatin1,
          kCFStringEncodingUTF8, kCFStringEncodingUTF16, kCFStringEncodingUTF16BE,
          kCFStringEncodingUTF16LE, kCFStringEncodingUTF32, kCFStringEncodingUTF32BE,
          kCFStringEncodingUTF32LE}) {
        ASSERT_TRUE(CFStringIsEncodingAvailable(e)) << e;
        CFDataRef bytes = CFStringCreateExternalRepresentation(nullptr, s, e, 0);
        ASSERT_NE(bytes, nullptr) << e;
        CFStringRef back = CFStringCreateFromExternalRepresentation(nullptr, bytes, e);
        EXPECT_TRUE(back != nullptr && CFEqual(back, s)) << e;
        if (back != nullptr)
            CFRelease(back);
        CFRelease(bytes);
    }
    EXPECT_EQ(CFStringCreateExternalRepresentation(nullptr, s, kCFStringEncodingASCII, 0), nullptr);
    CFRelease(s);
}

TEST(StringEncoding, MaximumSizesAndAvailability) {
    EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingUTF8), 30);
    EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingMacRoman), 10);
    EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingUTF16), 20);
    EXPECT_EQ(CFStringGetMaximumSizeForEncoding(LONG_MAX / 2, kCFStringEncodingUTF8), kCFNotFound);
    EXPECT_TRUE(CFStringIsEncodingAvailable(kCFStringEncodingMacRoman));
    EXPECT_FALSE(CFStringIsEncodingAvailable(kCFStringEncodingNonLossyASCII));
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "x", kCFStringEncodingNonLossyASCII), nullptr);
}

TEST(StringEncoding, CStringPointerIsOnlyOfferedForConstantASCII) {
    const char *p = CFStringGetCStringPtr(CFSTR("plain"), kCFStringEncodingMacRoman);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "plain");
    CFStringRef made = str("plain");
    EXPECT_EQ(CFStringGetCStringPtr(made, kCFStringEncodingMacRoman), nullptr);
    CFRelease(made);
}

TEST(StringCompare, OptionsZeroIsExactAndCaseInsensitiveFoldsLetters) {
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("abc"), 0), kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ABC"), 0), kCFCompareGreaterThan);
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ABC"), kCFCompareCaseInsensitive),
              kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompare(CFSTR("ab"), CFSTR("abc"), 0), kCFCompareLessThan);
    EXPECT_EQ(CFStringCompare(CFSTR(""), CFSTR(""), 0), kCFCompareEqualTo);
    CFStringRef upper = str("\xC3\x9C"
                            "BER"),
                lower = str("\xC3\xBC"
                            "ber");
    EXPECT_EQ(CFStringCompare(upper, lower, kCFCompareCaseInsensitive), kCFCompareEqualTo);
    EXPECT_NE(CFStringCompare(upper, lower, 0), kCFCompareEqualTo);
    CFRelease(upper);
    CFRelease(lower);
    EXPECT_EQ(CFStringCompare(CFSTR("file9"), CFSTR("file10"), kCFCompareNumerically),
              kCFCompareLessThan);
    EXPECT_EQ(CFStringCompare(CFSTR("file9"), CFSTR("file10"), 0), kCFCompareGreaterThan);
}

TEST(StringCompare, FindPrefixAndSuffix) {
    CFRange r = CFStringFind(CFSTR("one two one"), CFSTR("one"), kCFCompareBackwards);
    EXPECT_EQ(r.location, 8);
    EXPECT_EQ(CFStringFind(CFSTR("abc"), CFSTR("x"), 0).location, kCFNotFound);
    EXPECT_TRUE(CFStringHasPrefix(CFSTR("com.quarn.pm"), CFSTR("com.")));
    EXPECT_FALSE(CFStringHasPrefix(CFSTR("com"), CFSTR("com.")));
    EXPECT_TRUE(CFStringHasSuffix(CFSTR("x.plist"), CFSTR(".plist")));
    EXPECT_FALSE(CFStringHasSuffix(CFSTR("x.plist"), CFSTR("")));
}

TEST(StringEditing, InsertDeleteReplaceAndAppendKeepTheRest) {
    CFMutableStringRef m = CFStringCreateMutable(nullptr, 0);
    CFStringAppendCString(m, "1234", kCFStringEncodingASCII);
    CFStringInsert(m, 2, CFSTR("ab"));
    EXPECT_EQ(text(m), "12ab34");
    CFStringDelete(m, CFRangeMake(0, 1));
    EXPECT_EQ(text(m), "2ab34");
    CFStringReplace(m, CFRangeMake(1, 2), CFSTR("XYZ"));
    EXPECT_EQ(text(m), "2XYZ34");
    CFStringInsert(m, CFStringGetLength(m), CFSTR("!"));
    CFStringAppendCString(m, "\xFF", kCFStringEncodingUTF8); // invalid: nothing appended
    EXPECT_EQ(text(m), "2XYZ34!");
    CFStringAppend(m, m); // appending a string to itself
    EXPECT_EQ(text(m), "2XYZ34!2XYZ34!");
    CFStringReplaceAll(m, CFSTR(""));
    EXPECT_EQ(CFStringGetLength(m), 0);
    CFRelease(m);
}

TEST(StringEditing, CharactersAndSubstrings) {
    const UniChar chars[] = {'U', 's', 'e', 'r', 0x00E9};
    CFStringRef s = CFStringCreateWithCharacters(nullptr, chars, 5);
    UniChar out[3] = {0, 0, 0};
    CFStringGetCharacters(s, CFRangeMake(2, 3), out);
    EXPECT_EQ(out[0], 'e');
    EXPECT_EQ(out[2], 0x00E9);
    CFStringRef sub = CFStringCreateWithSubstring(nullptr, s, CFRangeMake(0, 4));
    EXPECT_TRUE(CFEqual(sub, CFSTR("User")));
    EXPECT_EQ(CFHash(sub), CFHash(CFSTR("User")));
    EXPECT_EQ(CFStringGetIntValue(CFSTR("  -42xyz")), -42);
    EXPECT_EQ(CFStringGetIntValue(CFSTR("99999999999")), INT32_MAX);
    CFRelease(sub);
    CFRelease(s);
}
