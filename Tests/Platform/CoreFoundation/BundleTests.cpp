/*
 * BundleTests.cpp
 *
 * Localized strings as the plug-in reads them from its bundle: the table
 * chosen by the user's languages, and strings tables read whole or not at
 * all.
 */
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Chooses the user's languages (each test runs in a process of its own).
void setLanguage(const char *language, const char *lang = nullptr) {
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        unsetenv(name);
    if (language != nullptr)
        setenv("LANGUAGE", language, 1);
    if (lang != nullptr)
        setenv("LANG", lang, 1);
}

struct Bundle : testing::Test {
    TempDir dir;
    CFOwned<CFBundleRef> bundle;
    CFBundleRef open() {
        CFOwned<CFURLRef> url(CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8 *>(dir.path().data()), (CFIndex)dir.path().size(),
            true));
        return *bundle.out() = CFBundleCreate(nullptr, url.get());
    }
    std::string localized(const char *key, CFStringRef value = nullptr,
                          CFStringRef table = nullptr) {
        CFOwned<CFStringRef> k(CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8));
        CFOwned<CFStringRef> text(CFBundleCopyLocalizedString(bundle.get(), k.get(), value, table));
        return TextOrEmpty(text.get());
    }
};

const char *kInfo = "<plist><dict><key>CFBundleIdentifier</key><string>org.example.cf</string>"
                    "<key>CFBundleDevelopmentRegion</key><string>fr</string></dict></plist>";

} // namespace

TEST_F(Bundle, LocalizedStringsFollowTheUsersLanguages) {
    dir.Write("Contents/Info.plist", kInfo);
    dir.Write("Contents/Resources/de.lproj/Localizable.strings", "\"Hello\" = \"Hallo\";");
    dir.Write("Contents/Resources/de_AT.lproj/Localizable.strings", "\"Hello\" = \"Servus\";");
    dir.Write("Contents/Resources/fr.lproj/Localizable.strings", "\"Hello\" = \"Bonjour\";");
    dir.Write("Contents/Resources/fr.lproj/Other.strings", "\"Hello\" = \"Salut\";");
    ASSERT_NE(nullptr, open());
    setLanguage("de");
    EXPECT_EQ("Hallo", localized("Hello"));
    EXPECT_EQ("Salut", localized("Hello", nullptr, CFSTR("Other")))
        << "then the development region";
    setLanguage(nullptr, "de_AT.UTF-8@euro");
    EXPECT_EQ("Servus", localized("Hello")) << "the region first";
    setLanguage("ja:it");
    EXPECT_EQ("Bonjour", localized("Hello")) << "the development region";
    EXPECT_EQ("Salut", localized("Hello", nullptr, CFSTR("Other")));
    EXPECT_EQ("Missing", localized("Missing")) << "a missing key gives itself";
    EXPECT_EQ("Value", localized("Missing", CFSTR("Value")));
    EXPECT_EQ("Value", localized("Hello", CFSTR("Value"), CFSTR("Absent")));
}

TEST_F(Bundle, StringsTablesAreReadWholeOrNotAtAll) {
    dir.Write("Contents/Resources/en.lproj/Localizable.strings",
              "\xEF\xBB\xBF/* comment */ \"a\" = \"x\\\"y\\n\\q\xC3\xA9\"; // line\n"
              "\"last\"=\"end\";");
    dir.Write("Contents/Resources/en.lproj/Bad.strings", "\"a\" = \"x\";\n\"b\" = ;");
    dir.Write("Contents/Resources/en.lproj/Open.strings", "\"a\" = \"x\"; /* never closed");
    dir.Write("Contents/Resources/en.lproj/Short.strings", "\"a\" = \"x\"");
    ASSERT_NE(nullptr, open()) << "a bundle without Info.plist";
    setLanguage("en");
    EXPECT_EQ("x\"y\nq\xC3\xA9", localized("a"));
    EXPECT_EQ("end", localized("last"));
    for (CFStringRef table : {CFSTR("Bad"), CFSTR("Open"), CFSTR("Short")})
        EXPECT_EQ("a", localized("a", nullptr, table)) << "a malformed table has no entries";
}
