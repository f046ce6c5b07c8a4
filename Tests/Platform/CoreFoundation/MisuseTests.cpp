/*
 * MisuseTests.cpp
 *
 * Calls that crash or corrupt memory on the platform stop the program at
 * once with a message naming the call: NULL where an object is required,
 * a release beyond the last reference, a freed object, an object of the
 * wrong type, editing an immutable object, an index out of range.
 */
#include "TestSupport.h"

using namespace cftest;

class Misuse : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(Misuse, NullReferences) {
    EXPECT_DEATH(CFRelease(nullptr), "CFRelease: misuse: NULL");
    EXPECT_DEATH(CFRetain(nullptr), "CFRetain: misuse: NULL");
    EXPECT_DEATH(CFStringGetLength(nullptr), "CFStringGetLength: misuse: NULL CFStringRef");
    EXPECT_DEATH(CFEqual(CFSTR("a"), nullptr), "CFEqual: misuse: NULL");
    EXPECT_DEATH(CFDictionaryGetValue(nullptr, CFSTR("k")), "CFDictionaryGetValue: misuse");
    EXPECT_DEATH(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8),
                 "CFStringCreateWithCString: misuse");
    EXPECT_DEATH(CFBundleCopyLocalizedString(nullptr, CFSTR("k"), nullptr, nullptr),
                 "CFBundleCopyLocalizedString: misuse: NULL CFBundleRef");
}

TEST_F(Misuse, OverReleaseAndUseAfterFree) {
    EXPECT_DEATH(
        {
            CFStringRef s = str("gone");
            CFRelease(s);
            CFRelease(s);
        },
        "CFRelease: misuse: .* not a live object");
    EXPECT_DEATH(
        {
            CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
            CFRelease(a);
            CFArrayGetCount(a);
        },
        "CFArrayGetCount: misuse");
    int local = 0;
    EXPECT_DEATH(CFRetain(&local), "CFRetain: misuse: .* not a live object");
}

TEST_F(Misuse, WrongTypes) {
    CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    EXPECT_DEATH(CFStringGetLength((CFStringRef)a),
                 "CFStringGetLength: misuse: CFArray passed where a CFString is expected");
    EXPECT_DEATH(CFDictionaryGetCount((CFDictionaryRef)CFSTR("x")), "CFDictionaryGetCount: misuse");
    EXPECT_DEATH(CFNumberGetValue((CFNumberRef)kCFBooleanTrue, kCFNumberIntType, &a),
                 "CFNumberGetValue: misuse: CFBoolean passed");
    EXPECT_DEATH(CFArrayAppendValue(a, nullptr), "CFRetain: misuse: NULL")
        << "a NULL value in an array of objects";
    CFRelease(a);
}

TEST_F(Misuse, EditingImmutableObjectsAndOutOfRangeAccess) {
    CFStringRef s = str("abc");
    EXPECT_DEATH(CFStringAppend((CFMutableStringRef)s, CFSTR("x")),
                 "CFStringAppend: misuse: the string is immutable");
    EXPECT_DEATH(CFStringGetCharacterAtIndex(s, 3), "CFStringGetCharacterAtIndex: misuse: index 3");
    EXPECT_DEATH(CFStringDelete(CFStringCreateMutableCopy(nullptr, 0, s), CFRangeMake(2, 2)),
                 "CFStringDelete: misuse: range");
    const void *v[] = {CFSTR("x")};
    CFArrayRef a = CFArrayCreate(nullptr, v, 1, &kCFTypeArrayCallBacks);
    EXPECT_DEATH(CFArrayAppendValue((CFMutableArrayRef)a, CFSTR("y")),
                 "CFArrayAppendValue: misuse: the array is immutable");
    EXPECT_DEATH(CFArrayGetValueAtIndex(a, -1), "CFArrayGetValueAtIndex: misuse: index -1");
    EXPECT_DEATH(CFArrayGetValueAtIndex(a, 1), "CFArrayGetValueAtIndex: misuse: index 1");
    CFMutableStringRef limited = CFStringCreateMutable(nullptr, 3);
    EXPECT_DEATH(CFStringAppend(limited, CFSTR("four")),
                 "CFStringAppend: misuse: .*maximum length");
    int bad = 0;
    EXPECT_DEATH(CFNumberCreate(nullptr, (CFNumberType)99, &bad), "CFNumberCreate: misuse");
    CFRelease(limited);
    CFRelease(a);
    CFRelease(s);
}
