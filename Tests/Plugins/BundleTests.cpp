/*
 * BundleTests.cpp
 *
 * The built bundle as the print dialog finds it: the information property
 * list naming the factory, the executable exporting the factory and the
 * version data by their plain names, and every strings table holding all
 * of the pane's texts.
 */
#include "PlugInTestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

const char *kPaneTexts[] = {"Job Log", "User ID", "User Code", "Enter a valid User ID",
                            "Enter a valid User Code"};

std::string InfoString(CFBundleRef bundle, const char *key) {
    CFOwned<CFStringRef> keyString(CreateString(key));
    CFTypeRef value = CFBundleGetValueForInfoDictionaryKey(bundle, keyString.get());
    if (value == NULL || CFGetTypeID(value) != CFStringGetTypeID())
        return "<missing>";
    return StdString((CFStringRef)value);
}

TEST(JobLogBundle, InfoPlistNamesTheFactoryForTheDialogExtensionType) {
    CFBundleRef bundle = JobLogBundle();
    ASSERT_NE(nullptr, bundle);
    EXPECT_EQ("com.quarn.print.pde.JobLogTQX", InfoString(bundle, "CFBundleIdentifier"));
    EXPECT_EQ("quarnJobLogTQX", InfoString(bundle, "CFBundleExecutable"));
    EXPECT_EQ(QUARN_PROJECT_VERSION, InfoString(bundle, "CFBundleVersion"));
    EXPECT_EQ("en", InfoString(bundle, "CFBundleDevelopmentRegion"));

    CFTypeRef types = CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFPlugInTypes"));
    ASSERT_NE(nullptr, types);
    ASSERT_EQ(CFDictionaryGetTypeID(), CFGetTypeID(types));
    CFTypeRef factories =
        CFDictionaryGetValue((CFDictionaryRef)types, CFSTR("BDB091F4-E57F-11D3-B5CC-0050E4603277"));
    ASSERT_NE(nullptr, factories);
    ASSERT_EQ(CFArrayGetTypeID(), CFGetTypeID(factories));
    ASSERT_EQ(1, CFArrayGetCount((CFArrayRef)factories));
    CFStringRef factoryID = (CFStringRef)CFArrayGetValueAtIndex((CFArrayRef)factories, 0);
    EXPECT_EQ("7D3E21A9-4C5B-4E8F-A1D2-6B9C0E4F3A57", StdString(factoryID));

    CFTypeRef names = CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFPlugInFactories"));
    ASSERT_NE(nullptr, names);
    EXPECT_EQ("JobLogPluginFactory",
              StdString((CFStringRef)CFDictionaryGetValue((CFDictionaryRef)names, factoryID)));
}

TEST(JobLogBundle, ExecutableExportsTheFactoryAndVersionByPlainName) {
    std::string path = std::string(QUARN_PLUGIN_BUNDLE_DIR) + "/Contents/MacOS/quarnJobLogTQX";
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, module) << dlerror();
    auto factory = (CFPlugInFactoryFunction)dlsym(module, "JobLogPluginFactory");
    auto number = (const double *)dlsym(module, "quarnJobLogTQXVersionNumber");
    auto text = (const char *)dlsym(module, "quarnJobLogTQXVersionString");
    ASSERT_NE(nullptr, factory);
    ASSERT_NE(nullptr, number);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(47.0, *number);
    EXPECT_NE(std::string::npos, std::string(text).find(QUARN_PROJECT_VERSION));
    for (const char *hidden : {"PluginFactory", "JobLogPrologue", "_ZN10CJobLogPDEC1Ev"})
        EXPECT_EQ(nullptr, dlsym(module, hidden)) << hidden;

    /* The module's own factory makes and frees an instance through the
       shared platform layer. */
    LiveCounts start = LiveCounts::Now();
    CFUUIDRef type = CFUUIDCreateFromString(NULL, CFSTR("BDB091F4-E57F-11D3-B5CC-0050E4603277"));
    IUnknownVTbl **instance = (IUnknownVTbl **)factory(NULL, type);
    CFRelease(type);
    ASSERT_NE(nullptr, instance);
    EXPECT_EQ(1, CFStandInGetTotalPlugInInstanceCount() - start.plugIns);
    EXPECT_EQ(0u, (*instance)->Release(instance));
    EXPECT_EQ(nullptr, factory(NULL, NULL));
    EXPECT_EQ(start, LiveCounts::Now());
    dlclose(module);
}

/* Each table is put alone into a bundle whose development region is its
   language, so that a missing text shows as the fallback value. */
TEST(JobLogBundle, EveryStringsTableHasEveryPaneText) {
    fs::path resources = fs::path(QUARN_PLUGIN_BUNDLE_DIR) / "Contents/Resources";
    std::set<std::string> languages;
    for (const fs::directory_entry &entry : fs::directory_iterator(resources))
        if (entry.path().extension() == ".lproj")
            languages.insert(entry.path().stem().string());
    EXPECT_TRUE(languages.count("en"));
    EXPECT_GE(languages.size(), 2u);

    for (const std::string &language : languages) {
        TempDir dir;
        std::string id = "com.quarn.test.strings." + language;
        dir.Write("T.plugin/Contents/Info.plist",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                  "<key>CFBundleIdentifier</key><string>" +
                      id +
                      "</string>"
                      "<key>CFBundleDevelopmentRegion</key><string>" +
                      language +
                      "</string>"
                      "</dict></plist>\n");
        fs::path target =
            fs::path(dir.path()) / "T.plugin/Contents/Resources" / (language + ".lproj");
        fs::create_directories(target);
        fs::copy_file(resources / (language + ".lproj") / "Localizable.strings",
                      target / "Localizable.strings");
        std::string path = dir.path() + "/T.plugin";
        CFOwned<CFURLRef> url(CFURLCreateFromFileSystemRepresentation(
            NULL, (const UInt8 *)path.c_str(), (CFIndex)path.size(), true));
        CFOwned<CFBundleRef> bundle(CFBundleCreate(NULL, url.get()));
        ASSERT_NE(nullptr, bundle.get());
        for (const char *key : kPaneTexts) {
            CFOwned<CFStringRef> keyString(CreateString(key));
            CFOwned<CFStringRef> text(CFBundleCopyLocalizedString(bundle.get(), keyString.get(),
                                                                  CFSTR("\x01missing"), NULL));
            EXPECT_NE("\x01missing", StdString(text.get())) << language << ": " << key;
            EXPECT_FALSE(StdString(text.get()).empty()) << language << ": " << key;
        }
    }
}

} // namespace
