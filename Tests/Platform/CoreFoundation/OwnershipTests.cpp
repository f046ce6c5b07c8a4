/*
 * OwnershipTests.cpp
 *
 * Ownership and accounting: create and copy calls hand out a reference the
 * caller owns, get calls lend one; retains and releases balance; the live
 * count returns to where it started; constants are never counted or freed;
 * collections retain what their callbacks say they retain.
 */
#include "TestSupport.h"

using namespace cftest;

namespace {

int gFinalized = 0;
void countFinalize(CFTypeRef) {
    ++gFinalized;
}

} // namespace

TEST(Ownership, CreateCountsOneLiveObjectUntilTheLastRelease) {
    CFIndex start = CFStandInGetLiveObjectCount();
    CFStringRef s = str("hello");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start + 1);
    EXPECT_EQ(CFRetain(s), s);
    EXPECT_EQ(CFGetRetainCount(s), 2);
    CFRelease(s);
    EXPECT_EQ(CFStandInIsValidObject(s), true);
    CFRelease(s);
    EXPECT_EQ(CFStandInIsValidObject(s), false);
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start);
}

TEST(Ownership, ConstantsAndSingletonsAreNeitherCountedNorFreed) {
    CFIndex start = CFStandInGetLiveObjectCount();
    CFStringRef a = CFSTR("constant text");
    CFStringRef b = CFSTR("constant text");
    EXPECT_EQ(a, b) << "CFSTR is uniqued by its text";
    for (int i = 0; i < 5; ++i)
        CFRelease(a); // releasing a constant does nothing
    EXPECT_TRUE(CFStandInIsValidObject(a));
    CFRelease(kCFBooleanTrue);
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start);
}

TEST(Ownership, CopyOfAnImmutableStringIsTheSameObjectRetained) {
    CFStringRef s = str("same");
    CFStringRef copy = CFStringCreateCopy(nullptr, s);
    EXPECT_EQ(copy, s);
    EXPECT_EQ(CFGetRetainCount(s), 2);
    CFRelease(copy);
    CFMutableStringRef m = CFStringCreateMutableCopy(nullptr, 0, s);
    CFStringRef frozen = CFStringCreateCopy(nullptr, m);
    EXPECT_NE(frozen, static_cast<CFStringRef>(m)) << "a mutable string's copy is a new object";
    CFStringAppend(m, CFSTR("!"));
    EXPECT_EQ(text(frozen), "same");
    CFRelease(frozen);
    CFRelease(m);
    CFRelease(s);
}

TEST(Ownership, TypeArrayRetainsItsValuesAndReleasesThemWithItself) {
    CFIndex start = CFStandInGetLiveObjectCount();
    CFStringRef s = str("value");
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(array, s);
    CFArrayAppendValue(array, s);
    EXPECT_EQ(CFGetRetainCount(s), 3);
    EXPECT_EQ(CFArrayGetValueAtIndex(array, 0), s) << "a get lends the stored reference";
    EXPECT_EQ(CFGetRetainCount(s), 3);
    CFArrayRemoveValueAtIndex(array, 0);
    EXPECT_EQ(CFGetRetainCount(s), 2);
    CFRelease(array);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s);
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start);
}

TEST(Ownership, NullCallbacksKeepRawPointersUntouched) {
    static int values[3] = {1, 2, 3};
    const void *ptrs[] = {&values[0], &values[1], &values[2]};
    CFArrayRef array = CFArrayCreate(nullptr, ptrs, 3, nullptr);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(CFArrayGetValueAtIndex(array, 2), &values[2]);
    CFStringRef s = str("x");
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
    CFDictionarySetValue(dict, s, s);
    EXPECT_EQ(CFGetRetainCount(s), 1) << "no callbacks: nothing retained";
    CFRelease(dict);
    CFRelease(array);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    CFRelease(s);
}

TEST(Ownership, DictionaryRetainsKeysAndValuesAndReleasesReplacedValues) {
    CFIndex start = CFStandInGetLiveObjectCount();
    CFStringRef key = str("key");
    CFStringRef v1 = str("one");
    CFStringRef v2 = str("two");
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dict, key, v1);
    EXPECT_EQ(CFGetRetainCount(key), 2);
    EXPECT_EQ(CFGetRetainCount(v1), 2);
    CFDictionarySetValue(dict, key, v2);
    EXPECT_EQ(CFGetRetainCount(v1), 1) << "the replaced value is released";
    EXPECT_EQ(CFGetRetainCount(v2), 2);
    CFDictionaryRemoveValue(dict, key);
    EXPECT_EQ(CFGetRetainCount(key), 1);
    EXPECT_EQ(CFGetRetainCount(v2), 1);
    CFRelease(dict);
    CFRelease(key);
    CFRelease(v1);
    CFRelease(v2);
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start);
}

TEST(Ownership, CopyStringKeyCallbacksCopyAMutableKey) {
    CFMutableStringRef key = CFStringCreateMutable(nullptr, 0);
    CFStringAppend(key, CFSTR("name"));
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
        nullptr, 0, &kCFCopyStringDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dict, key, kCFBooleanTrue);
    CFStringAppend(key, CFSTR("-changed"));
    EXPECT_TRUE(CFDictionaryContainsKey(dict, CFSTR("name")))
        << "the dictionary holds its own copy of the key";
    EXPECT_FALSE(CFDictionaryContainsKey(dict, key));
    EXPECT_EQ(CFGetRetainCount(key), 1);
    CFRelease(dict);
    CFRelease(key);
}

TEST(Ownership, RegisteredClassesAreCountedAndFinalizedOnce) {
    static const CFStandInClass cls = {"TestThing", countFinalize, nullptr, nullptr, nullptr};
    CFTypeID type = CFStandInRegisterClass(&cls);
    ASSERT_NE(type, 0UL);
    CFIndex start = CFStandInGetLiveObjectCountOfType(type);
    gFinalized = 0;
    CFTypeRef thing = CFStandInCreateInstance(nullptr, type, 24);
    ASSERT_NE(thing, nullptr);
    EXPECT_EQ(CFGetTypeID(thing), type);
    auto *data = static_cast<unsigned char *>(CFStandInGetInstanceData(thing));
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(data[i], 0) << "instance data starts zero-filled";
    EXPECT_EQ(CFStandInGetLiveObjectCountOfType(type), start + 1);
    CFStringRef desc = CFCopyDescription(thing);
    EXPECT_NE(text(desc).find("TestThing"), std::string::npos);
    CFRelease(desc);
    CFRetain(thing);
    CFRelease(thing);
    EXPECT_EQ(gFinalized, 0);
    CFRelease(thing);
    EXPECT_EQ(gFinalized, 1);
    EXPECT_EQ(CFStandInGetLiveObjectCountOfType(type), start);
}

TEST(Ownership, DescriptionsAreOwnedCopies) {
    CFIndex start = CFStandInGetLiveObjectCount();
    int value = 42;
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberIntType, &value);
    EXPECT_EQ(consume(CFCopyDescription(n)), "42");
    EXPECT_EQ(consume(CFCopyDescription(kCFBooleanFalse)), "false");
    CFRelease(n);
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start);
}
