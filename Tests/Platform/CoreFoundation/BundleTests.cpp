/*
 * BundleTests.cpp
 *
 * Localized strings as the plug-in reads them from its bundle
 * (fixtures/Strings.bundle, development region fr): the table chosen by
 * the user's languages, and strings tables read whole or not at all.
 */
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

/* A lookup in the bundle with the user's languages set in LANGUAGE or
   LANG, of the key (with a value to give when it is missing, and the
   table when not Localizable), and the text it must give. */
struct Lookup {
    const char *language, *lang, *key, *value, *table, *expected, *why;
};

} // namespace

TEST(Bundle, LocalizedStringsFollowTheUsersLanguagesAndTablesAreReadWholeOrNotAtAll) {
    const std::string path = FIXTURES "/Strings.bundle";
    CFOwned<CFURLRef> url(CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8 *>(path.data()), (CFIndex)path.size(), true));
    CFOwned<CFBundleRef> bundle(CFBundleCreate(nullptr, url.get()));
    ASSERT_NE(nullptr, bundle.get());
    const Lookup kLookups[] = {
        {"de", nullptr, "Hello", nullptr, nullptr, "Hallo", "the user's language"},
        {"de", nullptr, "Hello", nullptr, "Other", "Salut", "then the development region"},
        {nullptr, "de_AT.UTF-8@euro", "Hello", nullptr, nullptr, "Servus", "the region first"},
        {"ja:it", nullptr, "Hello", nullptr, nullptr, "Bonjour", "the development region"},
        {"ja:it", nullptr, "Hello", nullptr, "Other", "Salut", "the development region"},
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
