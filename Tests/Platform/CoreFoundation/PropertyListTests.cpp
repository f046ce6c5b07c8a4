/*
 * PropertyListTests.cpp
 *
 * Property lists read from files in XML and binary form, malformed input,
 * roots of every type (the caller decides which root it accepts), the
 * mutability options, error reports, and writing and reading back.
 */
#include "TestSupport.h"

using namespace cftest;

namespace {

const char *kModelsXML = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
    <key>Models</key>
    <array>
        <string>not a model</string>
        <dict><key>ModelName</key><string>QUARN 4500</string><key>Speed</key><integer>-45</integer></dict>
        <dict><key>ModelName</key><real>2.5</real><key>Duplex</key><true/></dict>
    </array>
    <key>Blob</key><data>AAEC</data>
    <key>When</key><date>2001-01-01T00:01:40Z</date>
</dict>
</plist>
)";

CFDataRef readFileData(const std::string &path) {
    CFURLRef u = fileURL(path, false);
    CFDataRef data = nullptr;
    SInt32 err = 0;
    CFURLCreateDataAndPropertiesFromResource(nullptr, u, &data, nullptr, nullptr, &err);
    CFRelease(u);
    return data;
}

} // namespace

TEST(PropertyList, XMLFileBecomesTheObjectTree) {
    TempDir dir;
    writeFile(dir / "PluginData.plist", kModelsXML);
    CFDataRef data = readFileData(dir / "PluginData.plist");
    ASSERT_NE(data, nullptr);
    CFStringRef error = nullptr;
    CFPropertyListRef plist =
        CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &error);
    CFRelease(data);
    ASSERT_NE(plist, nullptr);
    EXPECT_EQ(error, nullptr);
    ASSERT_EQ(CFGetTypeID(plist), CFDictionaryGetTypeID());
    CFDictionaryRef root = static_cast<CFDictionaryRef>(plist);
    CFArrayRef models = static_cast<CFArrayRef>(CFDictionaryGetValue(root, CFSTR("Models")));
    ASSERT_EQ(CFGetTypeID(models), CFArrayGetTypeID());
    ASSERT_EQ(CFArrayGetCount(models), 3);
    EXPECT_EQ(CFGetTypeID(CFArrayGetValueAtIndex(models, 0)), CFStringGetTypeID());
    CFDictionaryRef model = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(models, 1));
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(model, CFSTR("ModelName")), CFSTR("QUARN 4500")));
    SInt32 speed = 0;
    EXPECT_TRUE(
        CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(model, CFSTR("Speed"))),
                         kCFNumberSInt32Type, &speed));
    EXPECT_EQ(speed, -45);
    CFDictionaryRef third = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(models, 2));
    EXPECT_EQ(CFGetTypeID(CFDictionaryGetValue(third, CFSTR("ModelName"))), CFNumberGetTypeID());
    EXPECT_EQ(CFDictionaryGetValue(third, CFSTR("Duplex")), kCFBooleanTrue);
    CFDataRef blob = static_cast<CFDataRef>(CFDictionaryGetValue(root, CFSTR("Blob")));
    EXPECT_EQ(CFDataGetLength(blob), 3);
    CFDateRef when = static_cast<CFDateRef>(CFDictionaryGetValue(root, CFSTR("When")));
    EXPECT_DOUBLE_EQ(CFDateGetAbsoluteTime(when), 100.0);
    CFRelease(plist);
}

TEST(PropertyList, BinaryFormRoundTrips) {
    TempDir dir;
    CFDataRef xml = CFDataCreate(nullptr, reinterpret_cast<const UInt8 *>(kModelsXML),
                                 static_cast<CFIndex>(strlen(kModelsXML)));
    CFPropertyListRef original =
        CFPropertyListCreateWithData(nullptr, xml, kCFPropertyListImmutable, nullptr, nullptr);
    CFErrorRef error = nullptr;
    CFDataRef binary =
        CFPropertyListCreateData(nullptr, original, kCFPropertyListBinaryFormat_v1_0, 0, &error);
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(memcmp(CFDataGetBytePtr(binary), "bplist", 6), 0);
    writeFile(dir / "data.plist",
              std::string(reinterpret_cast<const char *>(CFDataGetBytePtr(binary)),
                          static_cast<size_t>(CFDataGetLength(binary))));
    CFDataRef fromFile = readFileData(dir / "data.plist");
    CFPropertyListFormat format = kCFPropertyListXMLFormat_v1_0;
    CFPropertyListRef back =
        CFPropertyListCreateWithData(nullptr, fromFile, kCFPropertyListImmutable, &format, &error);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(format, kCFPropertyListBinaryFormat_v1_0);
    EXPECT_TRUE(CFEqual(back, original));
    for (CFTypeRef o : {static_cast<CFTypeRef>(xml), original, static_cast<CFTypeRef>(binary),
                        static_cast<CFTypeRef>(fromFile), back})
        CFRelease(o);
}

TEST(PropertyList, MalformedInputGivesNullAndADescription) {
    for (const char *bad : {"", "not a plist", "<?xml version=\"1.0\"?><plist><dict><key>a</key>",
                            "bplist00\x01\x02\x03", "<plist><array><string>x</array></plist>"}) {
        CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8 *>(bad),
                                      static_cast<CFIndex>(strlen(bad)));
        CFStringRef error = nullptr;
        EXPECT_EQ(CFPropertyListCreateFromXMLData(nullptr, data, 0, &error), nullptr) << bad;
        EXPECT_NE(error, nullptr) << "the caller gets (and releases) an error text";
        if (error != nullptr)
            CFRelease(error);
        CFErrorRef cfError = nullptr;
        EXPECT_EQ(CFPropertyListCreateWithData(nullptr, data, 0, nullptr, &cfError), nullptr);
        ASSERT_NE(cfError, nullptr);
        EXPECT_EQ(CFErrorGetCode(cfError), kCFPropertyListReadCorruptError);
        CFRelease(cfError);
        CFRelease(data);
    }
}

TEST(PropertyList, AnyRootTypeComesBackAsItIs) {
    const char *arrayRoot = "<plist version=\"1.0\"><array><integer>1</integer></array></plist>";
    const char *stringRoot = "<plist version=\"1.0\"><string>just text</string></plist>";
    CFDataRef a = CFDataCreate(nullptr, reinterpret_cast<const UInt8 *>(arrayRoot),
                               static_cast<CFIndex>(strlen(arrayRoot)));
    CFDataRef s = CFDataCreate(nullptr, reinterpret_cast<const UInt8 *>(stringRoot),
                               static_cast<CFIndex>(strlen(stringRoot)));
    CFPropertyListRef pa = CFPropertyListCreateFromXMLData(nullptr, a, 0, nullptr);
    CFPropertyListRef ps = CFPropertyListCreateFromXMLData(nullptr, s, 0, nullptr);
    ASSERT_NE(pa, nullptr);
    ASSERT_NE(ps, nullptr);
    EXPECT_EQ(CFGetTypeID(pa), CFArrayGetTypeID()) << "a caller that wants a dictionary must check";
    EXPECT_EQ(CFGetTypeID(ps), CFStringGetTypeID());
    for (CFTypeRef o : {static_cast<CFTypeRef>(a), static_cast<CFTypeRef>(s), pa, ps})
        CFRelease(o);
}

TEST(PropertyList, MutabilityOptions) {
    const char *xml = "<plist version=\"1.0\"><dict><key>k</key><string>v</string></dict></plist>";
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8 *>(xml),
                                  static_cast<CFIndex>(strlen(xml)));
    CFMutableDictionaryRef m = (CFMutableDictionaryRef)CFPropertyListCreateFromXMLData(
        nullptr, data, kCFPropertyListMutableContainers, nullptr);
    CFDictionarySetValue(m, CFSTR("added"), kCFBooleanTrue);
    EXPECT_EQ(CFDictionaryGetCount(m), 2);
    CFPropertyListRef leaves = CFPropertyListCreateFromXMLData(
        nullptr, data, kCFPropertyListMutableContainersAndLeaves, nullptr);
    CFMutableStringRef v =
        (CFMutableStringRef)CFDictionaryGetValue((CFDictionaryRef)leaves, CFSTR("k"));
    CFStringAppend(v, CFSTR("2"));
    EXPECT_EQ(text(v), "v2");
    EXPECT_TRUE(CFPropertyListIsValid(m, kCFPropertyListXMLFormat_v1_0));
    int raw = 1;
    CFMutableArrayRef notPlist = CFArrayCreateMutable(nullptr, 0, nullptr);
    CFArrayAppendValue(notPlist, &raw);
    EXPECT_FALSE(CFPropertyListIsValid(notPlist, kCFPropertyListXMLFormat_v1_0));
    EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, notPlist), nullptr);
    for (CFTypeRef o : {static_cast<CFTypeRef>(data), static_cast<CFTypeRef>(m), leaves,
                        static_cast<CFTypeRef>(notPlist)})
        CFRelease(o);
}
