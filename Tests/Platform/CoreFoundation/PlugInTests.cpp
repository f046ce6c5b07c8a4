/*
 * PlugInTests.cpp
 *
 * The plug-in registry: instance counts per factory and in total, factories
 * found through a bundle's CFPlugInTypes, instances made through its
 * CFPlugInFactories function, and the code loading underneath.
 */
#include "TestSupport.h"

using namespace cftest;

namespace {

const char *kPlugInInfo = R"(<plist version="1.0"><dict>
  <key>CFBundleIdentifier</key><string>com.quarn.test.factory</string>
  <key>CFBundleExecutable</key><string>factory</string>
  <key>CFPlugInTypes</key><dict>
    <key>11111111-2222-3333-4444-555555555555</key>
    <array><string>0A0B0C0D-0E0F-1011-1213-14151617180F</string></array>
  </dict>
  <key>CFPlugInFactories</key><dict>
    <key>0a0b0c0d-0e0f-1011-1213-14151617180f</key><string>CFTestFactory</string>
  </dict>
</dict></plist>)";

} // namespace

TEST(PlugInRegistry, CountsPerFactoryAndInTotal) {
    CFUUIDRef f1 = CFUUIDCreateFromString(nullptr, CFSTR("7D3E21A9-4C5B-4E8F-A1D2-6B9C0E4F3A57"));
    CFUUIDRef f2 = CFUUIDCreate(nullptr);
    CFIndex total = CFStandInGetTotalPlugInInstanceCount();
    EXPECT_EQ(CFStandInGetPlugInInstanceCount(f1), 0);
    CFPlugInAddInstanceForFactory(f1);
    CFPlugInAddInstanceForFactory(f1);
    CFPlugInAddInstanceForFactory(f2);
    EXPECT_EQ(CFStandInGetPlugInInstanceCount(f1), 2);
    EXPECT_EQ(CFStandInGetPlugInInstanceCount(f2), 1);
    EXPECT_EQ(CFStandInGetTotalPlugInInstanceCount(), total + 3);
    EXPECT_EQ(CFGetRetainCount(f1), 1) << "the registry keeps no reference to the UUID";
    CFPlugInRemoveInstanceForFactory(f1);
    CFPlugInRemoveInstanceForFactory(f2);
    EXPECT_EQ(CFStandInGetPlugInInstanceCount(f1), 1);
    EXPECT_EQ(CFStandInGetPlugInInstanceCount(f2), 0);
    CFPlugInRemoveInstanceForFactory(f1);
    EXPECT_EQ(CFStandInGetTotalPlugInInstanceCount(), total);
    CFRelease(f1);
    CFRelease(f2);
}

TEST(PlugInRegistry, RemovingMoreThanWasAddedStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    CFUUIDRef f = CFUUIDCreateWithBytes(nullptr, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9);
    EXPECT_DEATH(CFPlugInRemoveInstanceForFactory(f),
                 "CFPlugInRemoveInstanceForFactory: misuse: more instances removed");
    CFPlugInAddInstanceForFactory(f);
    CFPlugInRemoveInstanceForFactory(f);
    EXPECT_DEATH(CFPlugInRemoveInstanceForFactory(f), "CFPlugInRemoveInstanceForFactory: misuse");
    CFRelease(f);
}

TEST(PlugInBundle, FactoryFoundLoadedAndCalled) {
    TempDir dir;
    std::string root = dir / "Factory.plugin";
    writeFile(root + "/Contents/Info.plist", kPlugInInfo);
    std::filesystem::create_directories(root + "/Contents/MacOS");
    std::filesystem::copy_file(CF_TEST_FACTORY_MODULE, root + "/Contents/MacOS/factory");
    CFURLRef u = fileURL(root, true);
    CFPlugInRef plugIn = CFPlugInCreate(nullptr, u);
    ASSERT_NE(plugIn, nullptr);
    EXPECT_EQ(CFPlugInGetBundle(plugIn), plugIn);

    CFUUIDRef type = CFUUIDCreateFromString(nullptr, CFSTR("11111111-2222-3333-4444-555555555555"));
    CFUUIDRef factory =
        CFUUIDCreateFromString(nullptr, CFSTR("0A0B0C0D-0E0F-1011-1213-14151617180F"));
    CFIndex live = CFStandInGetLiveObjectCount();
    CFArrayRef all = CFBundleGetAllBundles();
    EXPECT_TRUE(CFArrayContainsValue(all, CFRangeMake(0, CFArrayGetCount(all)), plugIn));
    EXPECT_EQ(CFStandInGetLiveObjectCount(), live) << "a get call leaves nothing to release";
    CFArrayRef factories = CFPlugInFindFactoriesForPlugInType(type);
    EXPECT_EQ(CFStandInGetLiveObjectCount(), live + 1) << "only the returned array";
    ASSERT_EQ(CFArrayGetCount(factories), 1);
    EXPECT_EQ(CFArrayGetValueAtIndex(factories, 0), factory);
    CFArrayRef none = CFPlugInFindFactoriesForPlugInTypeInPlugIn(factory, plugIn);
    EXPECT_EQ(CFArrayGetCount(none), 0) << "a factory UUID is no plug-in type";

    EXPECT_FALSE(CFBundleIsExecutableLoaded(plugIn));
    void *instance = CFPlugInInstanceCreate(nullptr, factory, type);
    ASSERT_NE(instance, nullptr);
    EXPECT_TRUE(CFBundleIsExecutableLoaded(plugIn));
    EXPECT_EQ(CFStandInGetPlugInInstanceCount(factory), 1);
    EXPECT_EQ(CFPlugInInstanceCreate(nullptr, factory, factory), nullptr)
        << "the factory refuses another type";
    auto destroy = reinterpret_cast<void (*)(void *)>(
        CFBundleGetFunctionPointerForName(plugIn, CFSTR("CFTestDestroyInstance")));
    ASSERT_NE(destroy, nullptr);
    destroy(instance);
    EXPECT_EQ(CFStandInGetPlugInInstanceCount(factory), 0);
    auto magic =
        static_cast<const int *>(CFBundleGetDataPointerForName(plugIn, CFSTR("cfTestModuleMagic")));
    ASSERT_NE(magic, nullptr);
    EXPECT_EQ(*magic, 4711);
    EXPECT_EQ(CFBundleGetFunctionPointerForName(plugIn, CFSTR("NoSuchFunction")), nullptr);

    for (CFTypeRef o : {static_cast<CFTypeRef>(type), static_cast<CFTypeRef>(factory),
                        static_cast<CFTypeRef>(factories), static_cast<CFTypeRef>(none),
                        static_cast<CFTypeRef>(plugIn), static_cast<CFTypeRef>(u)})
        CFRelease(o);
}

TEST(PlugInBundle, UnloadableExecutableFailsCleanly) {
    TempDir dir;
    std::string root = dir / "Broken.plugin";
    writeFile(root + "/Contents/Info.plist", kPlugInInfo);
    writeFile(root + "/Contents/MacOS/factory", "this is no shared object");
    CFURLRef u = fileURL(root, true);
    CFBundleRef b = CFBundleCreate(nullptr, u);
    EXPECT_FALSE(CFBundleLoadExecutable(b));
    EXPECT_EQ(CFBundleGetFunctionPointerForName(b, CFSTR("CFTestFactory")), nullptr);
    CFUUIDRef type = CFUUIDCreateFromString(nullptr, CFSTR("11111111-2222-3333-4444-555555555555"));
    CFUUIDRef factory =
        CFUUIDCreateFromString(nullptr, CFSTR("0A0B0C0D-0E0F-1011-1213-14151617180F"));
    EXPECT_EQ(CFPlugInInstanceCreate(nullptr, factory, type), nullptr);
    for (CFTypeRef o : {static_cast<CFTypeRef>(type), static_cast<CFTypeRef>(factory),
                        static_cast<CFTypeRef>(b), static_cast<CFTypeRef>(u)})
        CFRelease(o);
}
