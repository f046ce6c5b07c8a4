/*
 * BundleTests.cpp
 *
 * Bundles as the plug-in and its host use them: localized strings chosen by
 * the user's languages from strings tables, resources, property lists read
 * from files, the bundle registry, and plug-ins made through their factory.
 */
#include "TestSupport.h"

#include <StandIn/CFStandIn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

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

CFURLRef fileURL(const std::string &path, bool isDirectory = true) {
    return CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8 *>(path.data()), (CFIndex)path.size(), isDirectory);
}

struct Bundle : testing::Test {
    TempDir dir;
    CFBundleRef bundle = nullptr;
    CFBundleRef open() {
        CFURLRef url = fileURL(dir.path());
        bundle = CFBundleCreate(nullptr, url);
        CFRelease(url);
        return bundle;
    }
    ~Bundle() override {
        if (bundle != nullptr)
            CFRelease(bundle);
    }
    std::string localized(const char *key, CFStringRef value = nullptr,
                          CFStringRef table = nullptr) {
        CFOwned<CFStringRef> k(CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8));
        CFOwned<CFStringRef> text(CFBundleCopyLocalizedString(bundle, k.get(), value, table));
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
    dir.Write("en.lproj/Localizable.strings",
              "\xEF\xBB\xBF/* comment */ { \"a\" = \"x\\\"y\\n\\101\\U00e9\"; // line\n"
              "b_1 = \"unquoted key\";\n\"self\";\n\"last\" = \"end\"; }");
    dir.Write("en.lproj/Bad.strings", "\"a\" = \"x\";\n\"b\" = ;");
    dir.Write("en.lproj/Open.strings", "\"a\" = \"x\"; /* never closed");
    ASSERT_NE(nullptr, open()) << "a flat bundle without Info.plist";
    setLanguage("en");
    EXPECT_EQ("x\"y\nA\xC3\xA9", localized("a"));
    EXPECT_EQ("unquoted key", localized("b_1"));
    EXPECT_EQ("self", localized("self"));
    EXPECT_EQ("end", localized("last"));
    EXPECT_EQ("a", localized("a", nullptr, CFSTR("Bad"))) << "a malformed table has no entries";
    EXPECT_EQ("a", localized("a", nullptr, CFSTR("Open")));
}

TEST_F(Bundle, PropertyListsAreReadFromResourcesAsThePlugInReadsThem) {
    dir.Write("Contents/Info.plist", kInfo);
    dir.Write("Contents/Resources/Data.plist",
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Models</key><array>"
              "<string>M1</string><integer>-7</integer><real>0.5</real><true/>"
              "<date>2001-01-01T00:01:00Z</date><data>AAE=</data></array></dict></plist>");
    dir.Write("Contents/Resources/fr.lproj/Data.plist", "<plist><string>hidden</string></plist>");
    dir.Write("Contents/Resources/Broken.plist", "<plist><dict><key>a</key></plist>");
    ASSERT_NE(nullptr, open());
    CFURLRef url = CFBundleCopyResourceURL(bundle, CFSTR("Data"), CFSTR("plist"), nullptr);
    ASSERT_NE(nullptr, url) << "the non-localized resource comes first";
    CFDataRef data = nullptr;
    SInt32 status = 1;
    ASSERT_TRUE(
        CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, &status));
    EXPECT_EQ(0, status);
    CFRelease(url);
    CFPropertyListRef plist = CFPropertyListCreateFromXMLData(nullptr, data, 0, nullptr);
    CFRelease(data);
    ASSERT_NE(nullptr, plist);
    CFArrayRef models = (CFArrayRef)CFDictionaryGetValue((CFDictionaryRef)plist, CFSTR("Models"));
    ASSERT_EQ(6, CFArrayGetCount(models));
    SInt32 value = 0;
    EXPECT_TRUE(CFNumberGetValue((CFNumberRef)CFArrayGetValueAtIndex(models, 1),
                                 kCFNumberSInt32Type, &value));
    EXPECT_EQ(-7, value);
    EXPECT_EQ(60.0, CFDateGetAbsoluteTime((CFDateRef)CFArrayGetValueAtIndex(models, 4)));
    CFRelease(plist);

    url = CFBundleCopyResourceURL(bundle, CFSTR("Broken"), CFSTR("plist"), nullptr);
    CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, nullptr);
    CFRelease(url);
    CFOwned<CFStringRef> why;
    EXPECT_EQ(nullptr, CFPropertyListCreateFromXMLData(nullptr, data, 0, why.out()));
    EXPECT_NE("", TextOrEmpty(why.get()));
    CFRelease(data);
    url = fileURL(dir.path() + "/None.plist", false);
    EXPECT_FALSE(
        CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, &status));
    EXPECT_EQ(kCFURLResourceNotFoundError, status);
    EXPECT_EQ(nullptr, data);
    CFRelease(url);
}

TEST_F(Bundle, PlugInsAreFoundByTypeAndMadeByTheirFactory) {
    dir.Write("Contents/Info.plist",
              "<plist><dict><key>CFBundleIdentifier</key><string>org.example.plugin</string>"
              "<key>CFBundleExecutable</key><string>Module</string>"
              "<key>CFPlugInTypes</key><dict><key>11111111-2222-3333-4444-555555555555</key>"
              "<array><string>0a0b0c0d-0e0f-1011-1213-14151617180f</string></array></dict>"
              "<key>CFPlugInFactories</key><dict><key>0A0B0C0D-0E0F-1011-1213-14151617180F</key>"
              "<string>CFTestFactory</string></dict></dict></plist>");
    std::filesystem::create_directories(dir.path() + "/Contents/MacOS");
    std::filesystem::copy_file(CF_TEST_FACTORY_MODULE, dir.path() + "/Contents/MacOS/Module");
    EXPECT_EQ(nullptr, CFBundleGetBundleWithIdentifier(CFSTR("org.example.plugin")));
    CFURLRef url = fileURL(dir.path());
    CFPlugInRef plugIn = CFPlugInCreate(nullptr, url);
    CFBundleRef again = CFBundleCreate(nullptr, url);
    CFRelease(url);
    EXPECT_EQ(plugIn, again) << "one bundle per location";
    CFRelease(again);
    EXPECT_EQ(plugIn, CFBundleGetBundleWithIdentifier(CFSTR("org.example.plugin")));
    CFUUIDRef type = CFUUIDCreateFromString(nullptr, CFSTR("11111111-2222-3333-4444-555555555555"));
    CFArrayRef factories = CFPlugInFindFactoriesForPlugInType(type);
    ASSERT_EQ(1, CFArrayGetCount(factories));
    CFUUIDRef factory = (CFUUIDRef)CFArrayGetValueAtIndex(factories, 0);
    void *instance = CFPlugInInstanceCreate(nullptr, factory, type);
    ASSERT_NE(nullptr, instance);
    EXPECT_EQ(1, CFStandInGetPlugInInstanceCount(factory));
    auto destroy =
        (void (*)(void *))CFBundleGetFunctionPointerForName(plugIn, CFSTR("CFTestDestroyInstance"));
    ASSERT_NE(nullptr, destroy);
    destroy(instance);
    EXPECT_EQ(0, CFStandInGetTotalPlugInInstanceCount());
    EXPECT_EQ(nullptr, CFPlugInInstanceCreate(nullptr, type, type)) << "no such factory";
    CFRelease(factories);
    CFRelease(type);
    CFRelease(plugIn);
    EXPECT_EQ(nullptr, CFBundleGetBundleWithIdentifier(CFSTR("org.example.plugin")));
}
