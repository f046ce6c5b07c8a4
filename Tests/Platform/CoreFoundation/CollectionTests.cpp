/*
 * CollectionTests.cpp
 *
 * Arrays, dictionaries and data: order, insertion and removal at the ends,
 * lookups that miss, equality of whole collections, copies that do not
 * follow later edits, and capacity limits.
 */
#include "TestSupport.h"

using namespace cftest;

TEST(Array, InsertAndRemoveAtBothEndsKeepOrder) {
    CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(a, CFSTR("b"));
    CFArrayInsertValueAtIndex(a, 0, CFSTR("a"));
    CFArrayInsertValueAtIndex(a, 2, CFSTR("c"));
    ASSERT_EQ(CFArrayGetCount(a), 3);
    EXPECT_EQ(CFArrayGetValueAtIndex(a, 0), CFSTR("a"));
    EXPECT_EQ(CFArrayGetValueAtIndex(a, 2), CFSTR("c"));
    CFArrayRemoveValueAtIndex(a, 2);
    CFArrayRemoveValueAtIndex(a, 0);
    ASSERT_EQ(CFArrayGetCount(a), 1);
    EXPECT_EQ(CFArrayGetValueAtIndex(a, 0), CFSTR("b"));
    CFArrayRemoveAllValues(a);
    EXPECT_EQ(CFArrayGetCount(a), 0);
    CFRelease(a);
}

TEST(Array, CopiesAreIndependentAndEqualByContent) {
    CFStringRef one = str("one");
    const void *values[] = {one, CFSTR("two")};
    CFArrayRef a = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
    CFMutableArrayRef m = CFArrayCreateMutableCopy(nullptr, 0, a);
    EXPECT_TRUE(CFEqual(a, m));
    CFArrayAppendValue(m, CFSTR("three"));
    EXPECT_FALSE(CFEqual(a, m));
    CFArrayRef frozen = CFArrayCreateCopy(nullptr, m);
    CFArrayRemoveValueAtIndex(m, 0);
    EXPECT_EQ(CFArrayGetCount(frozen), 3);
    CFStringRef other = str("one");
    EXPECT_EQ(CFArrayGetFirstIndexOfValue(frozen, CFRangeMake(0, 3), other), 0)
        << "search compares with CFEqual";
    EXPECT_EQ(CFArrayGetFirstIndexOfValue(frozen, CFRangeMake(1, 2), other), kCFNotFound);
    EXPECT_TRUE(CFArrayContainsValue(frozen, CFRangeMake(0, 3), CFSTR("three")));
    for (CFTypeRef o :
         {static_cast<CFTypeRef>(a), static_cast<CFTypeRef>(m), static_cast<CFTypeRef>(frozen),
          static_cast<CFTypeRef>(one), static_cast<CFTypeRef>(other)})
        CFRelease(o);
}

TEST(Dictionary, LookupsThatMissAndHit) {
    const void *keys[] = {CFSTR("Models"), CFSTR("Name")};
    const void *values[] = {kCFBooleanTrue, CFSTR("value")};
    CFDictionaryRef d = CFDictionaryCreate(nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks,
                                           &kCFTypeDictionaryValueCallBacks);
    EXPECT_EQ(CFDictionaryGetCount(d), 2);
    CFStringRef key = str("Name");
    EXPECT_EQ(CFDictionaryGetValue(d, key), CFSTR("value")) << "keys compare with CFEqual";
    const void *out = reinterpret_cast<const void *>(0x1);
    EXPECT_FALSE(CFDictionaryGetValueIfPresent(d, CFSTR("name"), &out));
    EXPECT_EQ(out, reinterpret_cast<const void *>(0x1)) << "a miss leaves the out value alone";
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("missing")), nullptr);
    EXPECT_FALSE(CFDictionaryContainsKey(d, CFSTR("")));
    const void *gotKeys[2], *gotValues[2];
    CFDictionaryGetKeysAndValues(d, gotKeys, gotValues);
    int found = 0;
    for (int i = 0; i < 2; ++i)
        if (gotKeys[i] == CFSTR("Models") && gotValues[i] == kCFBooleanTrue)
            ++found;
    EXPECT_EQ(found, 1);
    CFRelease(key);
    CFRelease(d);
}

TEST(Dictionary, AddKeepsAndReplaceNeedsAnExistingEntry) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    CFDictionaryAddValue(d, CFSTR("k"), CFSTR("first"));
    CFDictionaryAddValue(d, CFSTR("k"), CFSTR("second"));
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("k")), CFSTR("first"));
    CFDictionaryReplaceValue(d, CFSTR("absent"), CFSTR("x"));
    EXPECT_FALSE(CFDictionaryContainsKey(d, CFSTR("absent")));
    CFDictionaryReplaceValue(d, CFSTR("k"), CFSTR("third"));
    EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("k")), CFSTR("third"));
    CFDictionaryRemoveValue(d, CFSTR("absent")); // removing a missing key is harmless
    CFDictionaryRef copy = CFDictionaryCreateCopy(nullptr, d);
    EXPECT_TRUE(CFEqual(copy, d));
    CFDictionarySetValue(d, CFSTR("k"), CFSTR("changed"));
    EXPECT_FALSE(CFEqual(copy, d));
    CFDictionaryRemoveAllValues(d);
    EXPECT_EQ(CFDictionaryGetCount(d), 0);
    EXPECT_EQ(CFDictionaryGetCount(copy), 1);
    CFRelease(copy);
    CFRelease(d);
}

TEST(Dictionary, ManyEntriesStayReachable) {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks);
    for (int i = 0; i < 500; ++i) {
        CFNumberRef n = CFNumberCreate(nullptr, kCFNumberIntType, &i);
        CFDictionarySetValue(d, n, n);
        CFRelease(n);
    }
    EXPECT_EQ(CFDictionaryGetCount(d), 500);
    double key = 250.0; // equal numbers of another type find the entry
    CFNumberRef k = CFNumberCreate(nullptr, kCFNumberDoubleType, &key);
    EXPECT_TRUE(CFDictionaryContainsKey(d, k));
    CFRelease(k);
    CFRelease(d);
}

TEST(Data, CreateAppendAndRanges) {
    const UInt8 bytes[] = {1, 2, 3, 4};
    CFDataRef d = CFDataCreate(nullptr, bytes, 4);
    EXPECT_EQ(CFDataGetLength(d), 4);
    EXPECT_EQ(CFDataGetBytePtr(d)[3], 4);
    CFMutableDataRef m = CFDataCreateMutableCopy(nullptr, 0, d);
    CFDataAppendBytes(m, bytes, 2);
    EXPECT_EQ(CFDataGetLength(m), 6);
    UInt8 out[2];
    CFDataGetBytes(m, CFRangeMake(4, 2), out);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    CFDataDeleteBytes(m, CFRangeMake(0, 4));
    EXPECT_EQ(CFDataGetLength(m), 2);
    CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
    EXPECT_EQ(CFDataGetLength(empty), 0);
    EXPECT_FALSE(CFEqual(empty, d));
    for (CFTypeRef o :
         {static_cast<CFTypeRef>(d), static_cast<CFTypeRef>(m), static_cast<CFTypeRef>(empty)})
        CFRelease(o);
}
