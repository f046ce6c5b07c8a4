/*
 * AllocationFailureTests.cpp
 *
 * Fault injection: every call is run with its first, second, ... allocation
 * failing until it completes without meeting a failure. Each run must give
 * a valid result or the platform's failure result (NULL, false), never a
 * crash, and must leave no live object or allocated block behind.
 */
#include "TestSupport.h"

#include <functional>

using namespace cftest;

namespace {

struct InjectionOff {
    ~InjectionOff() { CFStandInSetAllocationFailure(0, false); }
};

// Runs call (which returns an owned object or NULL) with the nth allocation
// failing for n = 1, 2, ... until a run meets no failure. Returns how many
// runs failed by injection.
int runWithFailures(const std::function<CFTypeRef()> &call, bool persistent) {
    InjectionOff off;
    int failures = 0;
    for (long nth = 1; nth < 10000; ++nth) {
        CFIndex liveBefore = CFStandInGetLiveObjectCount();
        long blocksBefore = CFStandInGetOutstandingAllocationCount();
        long failedBefore = CFStandInGetFailedAllocationCount();
        CFStandInSetAllocationFailure(nth, persistent);
        CFTypeRef result = call();
        CFStandInSetAllocationFailure(0, false);
        bool hit = CFStandInGetFailedAllocationCount() != failedBefore;
        if (result != nullptr) {
            EXPECT_TRUE(CFStandInIsValidObject(result));
            CFRelease(result);
        }
        EXPECT_EQ(CFStandInGetLiveObjectCount(), liveBefore) << "after failing allocation " << nth;
        if (CFStandInGetLiveObjectCount() != liveBefore)
            CFStandInShowLiveObjects();
        EXPECT_EQ(CFStandInGetOutstandingAllocationCount(), blocksBefore)
            << "after failing allocation " << nth;
        if (!hit) {
            EXPECT_NE(result, nullptr) << "the call succeeds without injected failures";
            return failures;
        }
        if (result == nullptr)
            ++failures;
    }
    ADD_FAILURE() << "the call never completed";
    return failures;
}

} // namespace

TEST(AllocationFailure, TheCounterAndTheSwitch) {
    InjectionOff off;
    long before = CFStandInGetAllocationCount();
    CFStandInSetAllocationFailure(2, false);
    void *first = CFStandInAllocate(8);
    void *second = CFStandInAllocate(8);
    void *third = CFStandInAllocate(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr) << "a one-off failure";
    EXPECT_EQ(CFStandInGetAllocationCount(), before + 3);
    CFStandInSetAllocationFailure(1, true);
    EXPECT_EQ(CFStandInAllocate(1), nullptr);
    EXPECT_EQ(CFStandInAllocate(1), nullptr) << "a persistent failure";
    CFStandInSetAllocationFailure(0, false);
    void *fourth = CFStandInAllocate(0);
    EXPECT_NE(fourth, nullptr);
    for (void *p : {first, third, fourth})
        CFStandInDeallocate(p);
    CFStandInDeallocate(nullptr);
}

TEST(AllocationFailure, StringsAndFormatting) {
    EXPECT_GT(runWithFailures([] { return (CFTypeRef)str("caf\xC3\xA9 au lait"); }, false), 0);
    runWithFailures(
        [] {
            return (CFTypeRef)CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s%ld %@ %@"),
                                                       "JST", 32400L, CFSTR("x"), kCFBooleanTrue);
        },
        false);
    runWithFailures(
        [] {
            CFMutableStringRef m = CFStringCreateMutableCopy(nullptr, 0, CFSTR("abc"));
            if (m != nullptr) {
                CFStringInsert(m, 1, CFSTR("XYZ"));
                CFStringAppendCString(m, "tail", kCFStringEncodingASCII);
            }
            return (CFTypeRef)m;
        },
        false);
}

TEST(AllocationFailure, CollectionsNumbersAndUUIDs) {
    runWithFailures(
        [] {
            const void *keys[] = {CFSTR("a"), CFSTR("b"), CFSTR("c")};
            const void *values[] = {kCFBooleanTrue, CFSTR("v"), kCFBooleanFalse};
            return (CFTypeRef)CFDictionaryCreate(nullptr, keys, values, 3,
                                                 &kCFTypeDictionaryKeyCallBacks,
                                                 &kCFTypeDictionaryValueCallBacks);
        },
        false);
    runWithFailures(
        [] {
            CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
            for (int i = 0; a != nullptr && i < 20; ++i) {
                CFNumberRef n = CFNumberCreate(nullptr, kCFNumberIntType, &i);
                if (n != nullptr) {
                    CFArrayAppendValue(a, n);
                    CFRelease(n);
                }
            }
            return (CFTypeRef)a;
        },
        false);
    runWithFailures(
        [] {
            return (CFTypeRef)CFUUIDCreateFromString(nullptr,
                                                     CFSTR("A996FD7E-B738-11D3-8519-0050E4603277"));
        },
        false);
}

TEST(AllocationFailure, PropertyListsAndURLs) {
    const char *xml = "<plist version=\"1.0\"><dict><key>Models</key><array><dict><key>ModelName"
                      "</key><string>M</string></dict></array><key>n</key><integer>3</integer>"
                      "</dict></plist>";
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8 *>(xml),
                                  static_cast<CFIndex>(strlen(xml)));
    runWithFailures([data] { return CFPropertyListCreateFromXMLData(nullptr, data, 0, nullptr); },
                    false);
    runWithFailures(
        [data] {
            CFPropertyListRef p = CFPropertyListCreateFromXMLData(nullptr, data, 0, nullptr);
            if (p == nullptr)
                return (CFTypeRef) nullptr;
            CFDataRef out =
                CFPropertyListCreateData(nullptr, p, kCFPropertyListBinaryFormat_v1_0, 0, nullptr);
            CFRelease(p);
            return (CFTypeRef)out;
        },
        false);
    CFRelease(data);
    runWithFailures(
        [] {
            return (CFTypeRef)CFURLCreateWithFileSystemPath(nullptr, CFSTR("/a b/c"),
                                                            kCFURLPOSIXPathStyle, true);
        },
        true);
}

TEST(AllocationFailure, BundlesAndLocalizedStrings) {
    TempDir dir;
    EnvOverride env;
    env.clearLanguage();
    env.set("LANGUAGE", "de");
    std::string root = dir / "F.bundle";
    writeFile(root + "/Contents/Info.plist",
              "<plist><dict><key>CFBundleIdentifier</key><string>f.b</string>"
              "<key>CFBundleDevelopmentRegion</key><string>en</string></dict></plist>");
    writeFile(root + "/Contents/Resources/de.lproj/Localizable.strings",
              "\"Job Log\" = \"Protokoll\";");
    writeFile(root + "/Contents/Resources/PluginData.plist", "<plist><dict/></plist>");
    // Each run makes its own bundle, so that it starts without loaded tables.
    auto withBundle = [&root](const std::function<CFTypeRef(CFBundleRef)> &use) {
        return [&root, use]() -> CFTypeRef {
            CFURLRef u = fileURL(root, true);
            if (u == nullptr)
                return nullptr;
            CFBundleRef b = CFBundleCreate(nullptr, u);
            CFRelease(u);
            if (b == nullptr)
                return nullptr;
            CFTypeRef result = use(b);
            CFRelease(b);
            return result;
        };
    };
    runWithFailures(withBundle([](CFBundleRef b) {
                        EXPECT_NE(CFBundleGetIdentifier(b), nullptr)
                            << "no bundle rather than one with an empty Info.plist";
                        return CFRetain(b);
                    }),
                    false);
    runWithFailures(withBundle([](CFBundleRef b) {
                        return (CFTypeRef)CFBundleCopyLocalizedString(b, CFSTR("Job Log"),
                                                                      CFSTR("Job Log"), nullptr);
                    }),
                    false);
    runWithFailures(withBundle([](CFBundleRef b) {
                        return (CFTypeRef)CFBundleCopyResourceURL(b, CFSTR("PluginData"),
                                                                  CFSTR("plist"), nullptr);
                    }),
                    false);
}
