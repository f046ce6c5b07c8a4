/*
 * CoreFoundationTests.cpp
 *
 * The CoreFoundation stand-in. Localized strings as the plug-in reads them
 * from its bundle (fixtures/Strings.bundle, development region fr): the
 * table chosen by the user's languages, and strings tables read whole or
 * not at all. The misuse checks of the object runtime: a wrong reference,
 * index or edit (of an object read as immutable too) stops the program
 * with a message naming the call.
 */
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(Bundle, LocalizedStringsFollowTheUsersLanguagesAndTablesAreReadWholeOrNotAtAll) {
    /* A lookup in the bundle with the user's languages set in LANGUAGE or
       LANG, of the key (with a value to give when it is missing, and the
       table when not Localizable), and the text it must give. */
    struct Lookup {
        const char *language, *lang, *key, *value, *table, *expected, *why;
    };
    CFOwned<CFBundleRef> bundle(
        CreateBundleAtPath(LAYER_TESTS "/CoreFoundation/fixtures/Strings.bundle"));
    ASSERT_NE(nullptr, bundle.get());
    const Lookup kLookups[] = {
        {"de", nullptr, "Hello", nullptr, nullptr, "Hallo", "the user's language"},
        {"de", nullptr, "Hello", nullptr, "Other", "Salut", "then the development region"},
        {nullptr, "de_AT.UTF-8@euro", "Hello", nullptr, nullptr, "Servus", "the region first"},
        {"ja:it", nullptr, "Hello", nullptr, nullptr, "Bonjour", "the development region"},
        {"ja:it", nullptr, "Missing", nullptr, nullptr, "Missing", "a missing key gives itself"},
        {"ja:it", nullptr, "Missing", "Value", nullptr, "Value", "or the value asked with"},
        {"ja:it", nullptr, "Hello", "Value", "Absent", "Value", "a missing table"},
        {"en", nullptr, "a", nullptr, nullptr, "x\"y\nq\xC3\xA9", "escapes, comments, BOM"},
        {"en", nullptr, "last", nullptr, nullptr, "end", "the last entry"},
        {"en", nullptr, "a", nullptr, "Bad", "a", "a malformed table has no entries"},
        {"en", nullptr, "a", nullptr, "Open", "a", "a comment never closed"},
        {"en", nullptr, "a", nullptr, "Short", "a", "no semicolon at the end"},
    };
    for (const Lookup &lookup : kLookups) {
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            unsetenv(name);
        if (lookup.language != nullptr)
            setenv("LANGUAGE", lookup.language, 1);
        if (lookup.lang != nullptr)
            setenv("LANG", lookup.lang, 1);
        CFOwned<CFStringRef> key(CreateCFStringFromText(lookup.key));
        CFOwned<CFStringRef> value(lookup.value ? CreateCFStringFromText(lookup.value) : nullptr);
        CFOwned<CFStringRef> table(lookup.table ? CreateCFStringFromText(lookup.table) : nullptr);
        CFOwned<CFStringRef> found(
            CFBundleCopyLocalizedString(bundle.get(), key.get(), value.get(), table.get()));
        EXPECT_EQ(lookup.expected, TextOrEmpty(found.get())) << lookup.key << ": " << lookup.why;
    }
}

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
