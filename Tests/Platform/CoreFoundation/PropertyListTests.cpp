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

/* A binary list stores a UTF-16 string with its length, so the string may
   hold U+0000: it is read whole (this once aborted inside libplist).
   Writing it cannot be done whole with libplist, and fails instead of
   cutting the string. */
TEST(PropertyList, AStringHoldingAZeroCharacterIsReadWholeAndNotWrittenCut) {
    static const UInt8 kBinary[] = {
        // ["\u00e9\u0000b"], the string in UTF-16
        0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xa1, 0x01, 0x63, 0x00, 0xe9,
        0x00, 0x00, 0x00, 0x62, 0x08, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11};
    CFDataRef data = CFDataCreate(nullptr, kBinary, sizeof kBinary);
    CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(CFGetTypeID(list), CFArrayGetTypeID());
    CFStringRef text = static_cast<CFStringRef>(CFArrayGetValueAtIndex((CFArrayRef)list, 0));
    ASSERT_EQ(CFStringGetLength(text), 3);
    EXPECT_EQ(CFStringGetCharacterAtIndex(text, 0), 0xE9);
    EXPECT_EQ(CFStringGetCharacterAtIndex(text, 1), 0);
    EXPECT_EQ(CFStringGetCharacterAtIndex(text, 2), 'b');
    for (CFPropertyListFormat format :
         {kCFPropertyListBinaryFormat_v1_0, kCFPropertyListXMLFormat_v1_0}) {
        CFErrorRef error = nullptr;
        EXPECT_EQ(CFPropertyListCreateData(nullptr, list, format, 0, &error), nullptr);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListWriteStreamError);
        CFRelease(error);
    }
    // The same string as a key cannot be written either.
    // (A key holding U+0000 is read whole too: see the next test.)
    const void *keys[] = {text};
    const void *values[] = {kCFBooleanTrue};
    CFDictionaryRef keyed = CFDictionaryCreate(
        nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    EXPECT_EQ(
        CFPropertyListCreateData(nullptr, keyed, kCFPropertyListBinaryFormat_v1_0, 0, nullptr),
        nullptr);
    CFRelease(keyed);
    CFRelease(list);
    CFRelease(data);
}

TEST(PropertyList, AKeyHoldingAZeroCharacterIsReadWhole) {
    static const UInt8 kBinary[] = {
        // {"\u00e9\u0000k": true, "plain": "x"}
        0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xd2, 0x01, 0x02, 0x03, 0x04, 0x55,
        0x70, 0x6c, 0x61, 0x69, 0x6e, 0x63, 0x00, 0xe9, 0x00, 0x00, 0x00, 0x6b, 0x51, 0x78,
        0x09, 0x08, 0x0d, 0x13, 0x1a, 0x1c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1d};
    CFDataRef data = CFDataCreate(nullptr, kBinary, sizeof kBinary);
    CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(CFGetTypeID(list), CFDictionaryGetTypeID());
    CFDictionaryRef dictionary = static_cast<CFDictionaryRef>(list);
    EXPECT_EQ(CFDictionaryGetCount(dictionary), 2);
    const UniChar keyChars[] = {0xE9, 0, 'k'};
    CFStringRef key = CFStringCreateWithCharacters(nullptr, keyChars, 3);
    EXPECT_EQ(CFDictionaryGetValue(dictionary, key), kCFBooleanTrue);
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(dictionary, CFSTR("plain")), CFSTR("x")));
    CFRelease(key);
    CFRelease(list);
    CFRelease(data);
}

/* Dates keep their sign and their microseconds through a binary list
   (libplist's own getter cut them toward zero and lost the fraction's
   sign); a date beyond 32-bit seconds cannot be written. */
TEST(PropertyList, DatesRoundTripToTheMicrosecond) {
    for (double time : {-0.25, -1.000005, -86400.5, 0.000001, 1.000005, 86400.000003, 123456.789012,
                        2147483646.999999}) {
        CFDateRef date = CFDateCreate(nullptr, time);
        CFArrayRef list = CFArrayCreate(nullptr, reinterpret_cast<const void **>(&date), 1,
                                        &kCFTypeArrayCallBacks);
        CFDataRef binary =
            CFPropertyListCreateData(nullptr, list, kCFPropertyListBinaryFormat_v1_0, 0, nullptr);
        ASSERT_NE(binary, nullptr) << time;
        CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, binary, 0, nullptr, nullptr);
        ASSERT_NE(back, nullptr) << time;
        CFDateRef backDate =
            static_cast<CFDateRef>(CFArrayGetValueAtIndex(static_cast<CFArrayRef>(back), 0));
        EXPECT_EQ(CFDateGetAbsoluteTime(backDate), time);
        for (CFTypeRef o : {static_cast<CFTypeRef>(date), static_cast<CFTypeRef>(list),
                            static_cast<CFTypeRef>(binary), back})
            CFRelease(o);
    }
    for (double time : {2147483647.0, -2147483649.0, 1e300}) {
        CFDateRef date = CFDateCreate(nullptr, time);
        CFErrorRef error = nullptr;
        EXPECT_EQ(
            CFPropertyListCreateData(nullptr, date, kCFPropertyListBinaryFormat_v1_0, 0, &error),
            nullptr)
            << time;
        ASSERT_NE(error, nullptr);
        CFRelease(error);
        CFRelease(date);
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
