/*
 * BundleTests.cpp
 *
 * Directory bundles: the information dictionary, registration by location
 * and identifier, the resource search order (non-localized, the chosen
 * localization, the language alone, the development region), the language
 * taken from the environment, and localized strings with their fallbacks
 * for a missing key and a missing table, in UTF-8 and UTF-16 tables.
 */
#include "TestSupport.h"

using namespace cftest;

namespace {

const char *kInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>CFBundleIdentifier</key><string>com.quarn.test.bundle</string>
  <key>CFBundleExecutable</key><string>tester</string>
  <key>CFBundleDevelopmentRegion</key><string>English</string>
  <key>CFBundleVersion</key><string>4.7.1</string>
  <key>CFBundleName</key><string>Tester</string>
</dict></plist>)";

class BundleTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.clearLanguage();
        root = dir / "Test.bundle";
        writeFile(root + "/Contents/Info.plist", kInfo);
        writeFile(root + "/Contents/MacOS/tester", "not really code");
        res = root + "/Contents/Resources/";
        writeFile(res + "English.lproj/Localizable.strings",
                  "/* English */\n\"Job Log\" = \"Job Log\";\n\"User ID\" = \"User ID\";\n"
                  "\"Only English\" = \"english only\";\n");
        writeFile(
            res + "de.lproj/Localizable.strings",
            "// German\n\"Job Log\" = \"Auftragsprotokoll\";\n\"User ID\" = \"Benutzer-ID\";\n");
        writeFile(res + "de_CH.lproj/Localizable.strings", "\"Job Log\" = \"Auftragsjournal\";\n");
        writeFile(res + "fr.lproj/Localizable.strings",
                  utf16(u"\"Job Log\" = \"Journal des t\u00E2ches\";\n", false));
        writeFile(res + "ja.lproj/Localizable.strings",
                  utf16(u"\"Job Log\" = \"\u30B8\u30E7\u30D6\u30ED\u30B0\";\n", true));
        writeFile(res + "English.lproj/JobLog.nib", "english nib");
        writeFile(res + "de.lproj/JobLog.nib", "german nib");
        writeFile(res + "de.lproj/OnlyGerman.txt", "x");
        writeFile(res + "PluginData.plist", "<plist><dict/></plist>");
        writeFile(res + "de.lproj/PluginData.plist", "<plist><dict/></plist>");
        writeFile(res + "English.lproj/Help.txt", "x");
    }

    CFBundleRef create() {
        CFURLRef u = fileURL(root, true);
        CFBundleRef b = CFBundleCreate(nullptr, u);
        CFRelease(u);
        return b;
    }

    // The path of a resource relative to the Resources folder, or "<none>".
    std::string resource(CFBundleRef b, const char *name, const char *type) {
        CFStringRef n = str(name), t = type != nullptr ? str(type) : nullptr;
        CFURLRef u = CFBundleCopyResourceURL(b, n, t, nullptr);
        CFRelease(n);
        if (t != nullptr)
            CFRelease(t);
        if (u == nullptr)
            return "<none>";
        std::string path = consume(CFURLCopyFileSystemPath(u, kCFURLPOSIXPathStyle));
        CFRelease(u);
        return path.rfind(res, 0) == 0 ? path.substr(res.size()) : path;
    }

    std::string localized(CFBundleRef b, const char *key, const char *value, const char *table) {
        CFStringRef k = str(key);
        CFStringRef v = value != nullptr ? str(value) : nullptr;
        CFStringRef t = table != nullptr ? str(table) : nullptr;
        std::string result = consume(CFBundleCopyLocalizedString(b, k, v, t));
        for (CFStringRef s : {k, v, t})
            if (s != nullptr)
                CFRelease(s);
        return result;
    }

    TempDir dir;
    EnvOverride env;
    std::string root, res;
};

} // namespace

TEST_F(BundleTest, InfoDictionaryAndLocations) {
    CFBundleRef b = create();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(text(CFBundleGetIdentifier(b)), "com.quarn.test.bundle");
    EXPECT_EQ(text(CFBundleGetDevelopmentRegion(b)), "English");
    EXPECT_EQ(text((CFStringRef)CFBundleGetValueForInfoDictionaryKey(b, kCFBundleNameKey)),
              "Tester");
    EXPECT_EQ(CFBundleGetVersionNumber(b), 0x04718000u);
    CFURLRef exe = CFBundleCopyExecutableURL(b);
    EXPECT_EQ(consume(CFURLCopyFileSystemPath(exe, kCFURLPOSIXPathStyle)),
              root + "/Contents/MacOS/tester");
    CFURLRef resources = CFBundleCopyResourcesDirectoryURL(b);
    EXPECT_EQ(consume(CFURLCopyFileSystemPath(resources, kCFURLPOSIXPathStyle)),
              root + "/Contents/Resources");
    CFURLRef url = CFBundleCopyBundleURL(b);
    EXPECT_TRUE(CFURLHasDirectoryPath(url));
    CFArrayRef locs = CFBundleCopyBundleLocalizations(b);
    EXPECT_EQ(CFArrayGetCount(locs), 5);
    for (CFTypeRef o :
         {static_cast<CFTypeRef>(exe), static_cast<CFTypeRef>(resources),
          static_cast<CFTypeRef>(url), static_cast<CFTypeRef>(locs), static_cast<CFTypeRef>(b)})
        CFRelease(o);
}

TEST_F(BundleTest, RegistryByLocationAndIdentifier) {
    CFIndex start = CFStandInGetLiveObjectCount();
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quarn.test.bundle")), nullptr);
    CFBundleRef a = create();
    CFBundleRef b = create();
    EXPECT_EQ(a, b) << "the same location gives the registered bundle";
    EXPECT_EQ(CFGetRetainCount(a), 2);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quarn.test.bundle")), a);
    EXPECT_EQ(CFGetRetainCount(a), 2) << "a get does not retain";
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quarn.other")), nullptr);
    CFRelease(b);
    CFRelease(a);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quarn.test.bundle")), nullptr)
        << "a freed bundle is no longer registered";
    EXPECT_EQ(CFStandInGetLiveObjectCount(), start);
}

TEST_F(BundleTest, MissingFolderAndMissingInfoPlist) {
    CFURLRef none = fileURL(dir / "Absent.bundle", true);
    EXPECT_EQ(CFBundleCreate(nullptr, none), nullptr);
    CFRelease(none);
    writeFile(dir / "Bare.bundle/Contents/Info.plist", "<plist><array/></plist>");
    CFURLRef bare = fileURL(dir / "Bare.bundle", true);
    CFBundleRef b = CFBundleCreate(nullptr, bare);
    ASSERT_NE(b, nullptr) << "a bundle with an unusable Info.plist still exists";
    EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(b)), 0);
    EXPECT_EQ(CFBundleGetIdentifier(b), nullptr);
    EXPECT_EQ(CFBundleCopyExecutableURL(b), nullptr);
    CFRelease(b);
    CFRelease(bare);
}

TEST_F(BundleTest, ResourceSearchOrder) {
    env.set("LANGUAGE", "de");
    CFBundleRef b = create();
    EXPECT_EQ(resource(b, "PluginData", "plist"), "PluginData.plist")
        << "non-localized resources come first";
    EXPECT_EQ(resource(b, "JobLog", "nib"), "de.lproj/JobLog.nib") << "then the chosen language";
    EXPECT_EQ(resource(b, "Help", "txt"), "English.lproj/Help.txt")
        << "then the development region";
    EXPECT_EQ(resource(b, "JobLog.nib", nullptr), "de.lproj/JobLog.nib") << "name with extension";
    EXPECT_EQ(resource(b, "Missing", "nib"), "<none>");
    env.set("LANGUAGE", "en");
    EXPECT_EQ(resource(b, "OnlyGerman", "txt"), "<none>") << "other languages are not searched";
    CFRelease(b);
}

TEST_F(BundleTest, LocalizedStringsAndTheirFallbacks) {
    env.set("LANG", "de_DE.UTF-8");
    CFBundleRef b = create();
    EXPECT_EQ(localized(b, "Job Log", "Job Log", nullptr), "Auftragsprotokoll");
    EXPECT_EQ(localized(b, "Only English", nullptr, nullptr), "Only English")
        << "a key missing from the chosen table gives the key, not another language";
    EXPECT_EQ(localized(b, "Missing", "Fallback", nullptr), "Fallback");
    EXPECT_EQ(localized(b, "Missing", "", nullptr), "Missing") << "an empty value gives the key";
    EXPECT_EQ(localized(b, "Job Log", "Default", "NoSuchTable"), "Default") << "missing table";
    EXPECT_EQ(localized(b, "Job Log", nullptr, "NoSuchTable"), "Job Log");
    CFStringRef nullKey = CFBundleCopyLocalizedString(b, nullptr, CFSTR("v"), nullptr);
    EXPECT_EQ(text(nullKey), "v");
    CFRelease(nullKey);
    CFRelease(b);
}

TEST_F(BundleTest, LanguageChosenFromTheEnvironment) {
    CFBundleRef b = create();
    EXPECT_EQ(localized(b, "Job Log", nullptr, nullptr), "Job Log")
        << "no language: development region";
    env.set("LANG", "C");
    EXPECT_EQ(localized(b, "Job Log", nullptr, nullptr), "Job Log");
    env.set("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(localized(b, "Job Log", nullptr, nullptr), "Journal des t\xC3\xA2"
                                                         "ches")
        << "UTF-16 little-endian table";
    env.set("LC_MESSAGES", "ja_JP.UTF-8");
    EXPECT_EQ(localized(b, "Job Log", nullptr, nullptr),
              "\xE3\x82\xB8\xE3\x83\xA7\xE3\x83\x96\xE3\x83\xAD\xE3\x82\xB0")
        << "LC_MESSAGES before LANG; UTF-16 big-endian table";
    env.set("LC_ALL", "de_CH.UTF-8");
    EXPECT_EQ(localized(b, "Job Log", nullptr, nullptr), "Auftragsjournal")
        << "LC_ALL first; the region-specific table";
    EXPECT_EQ(localized(b, "User ID", nullptr, nullptr), "User ID")
        << "the region table is the table; its missing keys are not looked up elsewhere";
    env.set("LANGUAGE", "xx:fr:de");
    EXPECT_EQ(localized(b, "Job Log", nullptr, nullptr), "Journal des t\xC3\xA2"
                                                         "ches")
        << "the first available language of the LANGUAGE list";
    env.set("LANGUAGE", "en_GB");
    EXPECT_EQ(localized(b, "Job Log", nullptr, nullptr), "Job Log") << "en matches English.lproj";
    CFRelease(b);
}

TEST_F(BundleTest, PreferredLocalizationsFromAList) {
    const void *names[] = {CFSTR("English"), CFSTR("German"), CFSTR("fr")};
    CFArrayRef available = CFArrayCreate(nullptr, names, 3, &kCFTypeArrayCallBacks);
    const void *prefs[] = {CFSTR("it"), CFSTR("de")};
    CFArrayRef preferences = CFArrayCreate(nullptr, prefs, 2, &kCFTypeArrayCallBacks);
    CFArrayRef chosen = CFBundleCopyLocalizationsForPreferences(available, preferences);
    ASSERT_EQ(CFArrayGetCount(chosen), 1);
    EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(chosen, 0), CFSTR("German")))
        << "de is served by German";
    CFRelease(chosen);
    env.set("LANG", "fr_CA.UTF-8");
    chosen = CFBundleCopyPreferredLocalizationsFromArray(available);
    EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(chosen, 0), CFSTR("fr")));
    CFRelease(chosen);
    env.set("LANG", "sv_SE");
    chosen = CFBundleCopyPreferredLocalizationsFromArray(available);
    EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(chosen, 0), CFSTR("English")))
        << "no match: English";
    for (CFArrayRef a : {chosen, available, preferences})
        CFRelease(a);
}

TEST_F(BundleTest, LocalInfoDictionaryOverridesInfoPlistValues) {
    writeFile(res + "de.lproj/InfoPlist.strings", "CFBundleName = \"Pruefer\";");
    env.set("LANGUAGE", "de");
    CFBundleRef b = create();
    EXPECT_EQ(text((CFStringRef)CFBundleGetValueForInfoDictionaryKey(b, kCFBundleNameKey)),
              "Pruefer");
    EXPECT_EQ(
        text((CFStringRef)CFDictionaryGetValue(CFBundleGetInfoDictionary(b), kCFBundleNameKey)),
        "Tester");
    CFRelease(b);
}

TEST_F(BundleTest, FlatBundleKeepsEverythingAtItsTop) {
    std::string flat = dir / "Flat.bundle";
    writeFile(flat + "/Info.plist", kInfo);
    writeFile(flat + "/Thing.txt", "x");
    CFURLRef u = fileURL(flat, true);
    CFBundleRef b = CFBundleCreate(nullptr, u);
    ASSERT_NE(b, nullptr);
    CFURLRef thing = CFBundleCopyResourceURL(b, CFSTR("Thing"), CFSTR("txt"), nullptr);
    EXPECT_EQ(consume(CFURLCopyFileSystemPath(thing, kCFURLPOSIXPathStyle)), flat + "/Thing.txt");
    CFRelease(thing);
    CFRelease(b);
    CFRelease(u);
}
