/*
 * RuntimeTests.cpp
 *
 * The object runtime: live-object accounting and what collections own, the
 * misuse checks that stop the program, and the allocation-failure sweep
 * (every call meets a failing first, second, ... allocation and must give
 * the platform's failure result, leaving nothing behind).
 */
#include "TestSupport.h"

#include <StandIn/CFStandIn.h>
#include <gtest/gtest.h>

#include <cstring>

#include <functional>

namespace {

CFNumberRef number(int value) {
    return CFNumberCreate(nullptr, kCFNumberIntType, &value);
}

} // namespace

TEST(Runtime, CollectionsOwnTheirValuesAndEveryObjectIsCounted) {
    CFIndex before = CFStandInGetLiveObjectCount();
    CFSTR("constant");
    EXPECT_EQ(before, CFStandInGetLiveObjectCount()) << "constants are not counted";
    CFNumberRef one = number(1), two = number(2);
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFArrayAppendValue(array, one);
    CFDictionarySetValue(dict, CFSTR("k"), one);
    CFDictionarySetValue(dict, CFSTR("k"), two); // replacing releases the old value
    CFRelease(one);
    EXPECT_EQ(before + 4, CFStandInGetLiveObjectCount()) << "the array keeps it alive";
    CFRelease(array);
    EXPECT_EQ(before + 2, CFStandInGetLiveObjectCount()) << "the dictionary let it go";
    CFStringRef key = CFStringCreateWithCString(nullptr, "k", kCFStringEncodingASCII);
    CFDictionaryRemoveValue(dict, key); // found by equality
    CFRelease(two);
    EXPECT_EQ(before + 2, CFStandInGetLiveObjectCount()) << "the dictionary let it go";
    CFRelease(key);
    CFRelease(dict);
    EXPECT_EQ(before, CFStandInGetLiveObjectCount());
}

TEST(RuntimeDeathTest, MisuseStopsTheProgramNamingTheCall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    CFNumberRef n = number(1);
    EXPECT_DEATH(CFRelease(nullptr), "CFRelease: misuse: NULL");
    EXPECT_DEATH(CFStringGetLength((CFStringRef)n), "CFStringGetLength: misuse: CFNumber passed");
    EXPECT_DEATH(
        {
            CFRelease(n);
            CFRelease(n);
        },
        "CFRelease: misuse: .* is not a live object");
    const void *values[] = {n};
    CFArrayRef fixed = CFArrayCreate(nullptr, values, 1, &kCFTypeArrayCallBacks);
    EXPECT_DEATH(CFArrayAppendValue((CFMutableArrayRef)fixed, n), "the array is immutable");
    EXPECT_DEATH(CFArrayGetValueAtIndex(fixed, 1), "index 1 out of bounds");
    CFMutableArrayRef small = CFArrayCreateMutable(nullptr, 1, nullptr);
    CFArrayAppendValue(small, n);
    EXPECT_DEATH(CFArrayAppendValue(small, n), "at its capacity 1");
    const UniChar y = 'y';
    EXPECT_DEATH(CFStringAppendCharacters((CFMutableStringRef)CFSTR("x"), &y, 1), "immutable");
    EXPECT_DEATH(CFNumberCreate(nullptr, (CFNumberType)99, &values), "invalid number type 99");
    CFUUIDRef factory =
        CFUUIDCreateFromString(nullptr, CFSTR("0A0B0C0D-0E0F-1011-1213-1415161718FF"));
    EXPECT_DEATH(CFPlugInRemoveInstanceForFactory(factory), "more instances removed");
    EXPECT_DEATH(CFBundleCopyLocalizedString(nullptr, CFSTR("k"), nullptr, nullptr),
                 "CFBundleCopyLocalizedString: misuse: NULL");
    for (CFTypeRef cf : {(CFTypeRef)factory, (CFTypeRef)small, (CFTypeRef)fixed, (CFTypeRef)n})
        CFRelease(cf);
}

namespace {

struct InjectionOff {
    ~InjectionOff() { CFStandInSetAllocationFailure(0, false); }
};

// Runs call (which returns an owned object or NULL) with its nth allocation
// failing, and every later one too, for n = 1, 2, ... until a run meets no
// failure. Every run gives NULL or a valid object and leaves nothing behind.
void sweep(const std::function<CFTypeRef()> &call) {
    InjectionOff off;
    for (long nth = 1; nth < 10000; ++nth) {
        CFIndex live = CFStandInGetLiveObjectCount();
        long blocks = CFStandInGetOutstandingAllocationCount();
        long failed = CFStandInGetFailedAllocationCount();
        CFStandInSetAllocationFailure(nth, true);
        CFTypeRef result = call();
        CFStandInSetAllocationFailure(0, false);
        if (result != nullptr)
            CFRelease(result);
        ASSERT_EQ(live, CFStandInGetLiveObjectCount()) << "failing allocation " << nth;
        ASSERT_EQ(blocks, CFStandInGetOutstandingAllocationCount()) << "failing allocation " << nth;
        if (CFStandInGetFailedAllocationCount() == failed) {
            EXPECT_NE(nullptr, result) << "the call succeeds without failures";
            return;
        }
    }
    FAIL() << "the call never completed";
}

} // namespace

TEST(Runtime, EveryCallFailsCleanlyWhenMemoryRunsOut) {
    sweep([] {
        return (CFTypeRef)CFStringCreateWithCString(nullptr, "caf\xC3\xA9", kCFStringEncodingUTF8);
    });
    const char *xml = "<plist><dict><key>a</key><array><integer>1</integer><string>s</string>"
                      "<date>2001-01-01T00:00:00Z</date><data>AAE=</data></array></dict></plist>";
    CFDataRef data = CFDataCreate(nullptr, (const UInt8 *)xml, (CFIndex)strlen(xml));
    sweep([data] {
        return CFPropertyListCreateWithData(nullptr, data, kCFPropertyListMutableContainers,
                                            nullptr, nullptr);
    });
    CFRelease(data);
    TempDir dir;
    dir.Write("Contents/Info.plist", "<plist><dict><key>CFBundleIdentifier</key>"
                                     "<string>org.example.sweep</string></dict></plist>");
    dir.Write("Contents/Resources/en.lproj/Localizable.strings", "\"k\" = \"v\";");
    sweep([&dir] {
        CFURLRef url = CFURLCreateFromFileSystemRepresentation(
            nullptr, (const UInt8 *)dir.path().c_str(), (CFIndex)dir.path().size(), true);
        CFBundleRef bundle = url != nullptr ? CFBundleCreate(nullptr, url) : nullptr;
        CFStringRef text = bundle != nullptr
                               ? CFBundleCopyLocalizedString(bundle, CFSTR("k"), nullptr, nullptr)
                               : nullptr;
        for (CFTypeRef cf : {(CFTypeRef)url, (CFTypeRef)bundle})
            if (cf != nullptr)
                CFRelease(cf);
        return (CFTypeRef)text;
    });
}
