/*
 * RuntimeTests.cpp
 *
 * The misuse checks of the object runtime: a wrong reference, index or
 * edit (of an object read as immutable too) stops the program with a
 * message naming the call.
 */
#include <StandIn/CFStandIn.h>
#include <gtest/gtest.h>

TEST(RuntimeDeathTest, MisuseStopsTheProgramNamingTheCall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    int one = 1;
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberIntType, &one);
    EXPECT_DEATH(CFRelease(nullptr), "CFRelease: misuse: NULL");
    EXPECT_DEATH(CFStringGetLength((CFStringRef)n), "CFStringGetLength: misuse: CFNumber passed");
    EXPECT_DEATH(
        {
            CFRelease(n);
            CFRelease(n);
        },
        "CFRelease: misuse: .* is not a live object");
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(array, n);
    EXPECT_DEATH(CFArrayGetValueAtIndex(array, 1), "index 1 out of bounds");
    EXPECT_DEATH(CFNumberCreate(nullptr, (CFNumberType)99, &n), "invalid number type 99");
    const char xml[] = "<plist><array/></plist>";
    CFDataRef data = CFDataCreate(nullptr, (const UInt8 *)xml, sizeof xml - 1);
    auto read = (CFMutableArrayRef)CFPropertyListCreateFromXMLData(nullptr, data, 0, nullptr);
    EXPECT_DEATH(CFArrayAppendValue(read, n), "CFArrayAppendValue: misuse: .*immutable");
    CFUUIDRef factory =
        CFUUIDCreateFromString(nullptr, CFSTR("0A0B0C0D-0E0F-1011-1213-1415161718FF"));
    EXPECT_DEATH(CFPlugInRemoveInstanceForFactory(factory), "more instances removed");
    EXPECT_DEATH(CFBundleCopyLocalizedString(nullptr, CFSTR("k"), nullptr, nullptr),
                 "CFBundleCopyLocalizedString: misuse: NULL");
    for (CFTypeRef cf :
         {(CFTypeRef)factory, (CFTypeRef)array, (CFTypeRef)n, (CFTypeRef)data, (CFTypeRef)read})
        CFRelease(cf);
}
