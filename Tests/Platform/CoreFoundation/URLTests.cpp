/*
 * URLTests.cpp
 *
 * File URLs: POSIX paths in and out, directories, relative paths,
 * characters that need escaping, path components and extensions, and
 * reading a resource with its failures.
 */
#include "TestSupport.h"

#include <unistd.h>

using namespace cftest;

TEST(URL, PosixPathRoundTripAndStringForm) {
    CFURLRef u = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/Library/Printers/My Plug.plugin"),
                                               kCFURLPOSIXPathStyle, true);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(text(CFURLGetString(u)), "file:///Library/Printers/My%20Plug.plugin/");
    EXPECT_TRUE(CFURLHasDirectoryPath(u));
    EXPECT_EQ(consume(CFURLCopyFileSystemPath(u, kCFURLPOSIXPathStyle)),
              "/Library/Printers/My Plug.plugin");
    UInt8 buf[64];
    ASSERT_TRUE(CFURLGetFileSystemRepresentation(u, true, buf, sizeof buf));
    EXPECT_STREQ(reinterpret_cast<char *>(buf), "/Library/Printers/My Plug.plugin");
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(u, true, buf, 10)) << "buffer too small";
    EXPECT_EQ(consume(CFURLCopyLastPathComponent(u)), "My Plug.plugin");
    EXPECT_EQ(consume(CFURLCopyPathExtension(u)), "plugin");
    CFURLRef back = CFURLCreateWithString(nullptr, CFURLGetString(u), nullptr);
    EXPECT_TRUE(CFEqual(back, u));
    CFRelease(back);
    CFRelease(u);
}

TEST(URL, RelativePathsAreTakenAgainstTheCurrentFolder) {
    TempDir dir;
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    CFURLRef u =
        CFURLCreateWithFileSystemPath(nullptr, CFSTR("sub//file.txt"), kCFURLPOSIXPathStyle, false);
    ASSERT_EQ(chdir(old), 0);
    char real[4096];
    ASSERT_NE(realpath(dir.path().c_str(), real), nullptr);
    std::string got = consume(CFURLCopyFileSystemPath(u, kCFURLPOSIXPathStyle));
    EXPECT_TRUE(got == dir / "sub/file.txt" || got == std::string(real) + "/sub/file.txt") << got;
    CFRelease(u);
}

TEST(URL, AppendingAndDeletingComponents) {
    CFURLRef base = fileURL("/a/b", true);
    CFURLRef child =
        CFURLCreateCopyAppendingPathComponent(nullptr, base, CFSTR("c.strings"), false);
    EXPECT_EQ(consume(CFURLCopyFileSystemPath(child, kCFURLPOSIXPathStyle)), "/a/b/c.strings");
    CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, child);
    EXPECT_TRUE(CFEqual(parent, base));
    CFURLRef noExt = CFURLCreateCopyDeletingPathExtension(nullptr, child);
    EXPECT_EQ(consume(CFURLCopyLastPathComponent(noExt)), "c");
    CFURLRef root = fileURL("/", true);
    CFURLRef top = CFURLCreateCopyDeletingLastPathComponent(nullptr, root);
    EXPECT_EQ(consume(CFURLCopyFileSystemPath(top, kCFURLPOSIXPathStyle)), "/");
    for (CFURLRef o : {base, child, parent, noExt, root, top})
        CFRelease(o);
}

TEST(URL, UnsupportedFormsMakeNoURL) {
    EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, CFSTR("Macintosh HD:Library"),
                                            kCFURLHFSPathStyle, false),
              nullptr);
    EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, CFSTR(""), kCFURLPOSIXPathStyle, false),
              nullptr);
    EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR("file:///with space"), nullptr), nullptr);
    EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR("file:///bad%zz"), nullptr), nullptr);
    CFURLRef web = CFURLCreateWithString(nullptr, CFSTR("http://example.com/x"), nullptr);
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(CFURLCopyFileSystemPath(web, kCFURLPOSIXPathStyle), nullptr);
    EXPECT_EQ(consume(CFURLCopyScheme(web)), "http");
    SInt32 err = 0;
    CFDataRef data = nullptr;
    EXPECT_FALSE(
        CFURLCreateDataAndPropertiesFromResource(nullptr, web, &data, nullptr, nullptr, &err));
    EXPECT_EQ(err, kCFURLUnknownSchemeError);
    CFRelease(web);
}

TEST(URLAccess, ReadsAFileAndReportsMissingOnes) {
    TempDir dir;
    writeFile(dir / "data.bin", std::string("abc\0def", 7));
    CFURLRef u = fileURL(dir / "data.bin", false);
    CFDataRef data = nullptr;
    CFDictionaryRef props = nullptr;
    SInt32 err = -1;
    ASSERT_TRUE(CFURLCreateDataAndPropertiesFromResource(nullptr, u, &data, &props, nullptr, &err));
    EXPECT_EQ(err, 0);
    EXPECT_EQ(CFDataGetLength(data), 7);
    EXPECT_EQ(CFDictionaryGetValue(props, kCFURLFileExists), kCFBooleanTrue);
    long long length = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(props, kCFURLFileLength)),
                     kCFNumberLongLongType, &length);
    EXPECT_EQ(length, 7);
    CFRelease(data);
    CFRelease(props);
    CFRelease(u);

    CFURLRef missing = fileURL(dir / "nope", false);
    data = reinterpret_cast<CFDataRef>(0x1);
    EXPECT_FALSE(
        CFURLCreateDataAndPropertiesFromResource(nullptr, missing, &data, nullptr, nullptr, &err));
    EXPECT_EQ(err, kCFURLResourceNotFoundError);
    EXPECT_EQ(data, nullptr);
    CFRelease(missing);

    CFURLRef folder = fileURL(dir.path(), true);
    EXPECT_FALSE(
        CFURLCreateDataAndPropertiesFromResource(nullptr, folder, &data, nullptr, nullptr, &err));
    EXPECT_NE(err, 0) << "a folder has no data";
    CFRelease(folder);
}

TEST(URLAccess, WriteThenReadBackAndRefuseUnwritablePlaces) {
    TempDir dir;
    CFURLRef u = fileURL(dir / "out.txt", false);
    const UInt8 bytes[] = {'o', 'k'};
    CFDataRef data = CFDataCreate(nullptr, bytes, 2);
    SInt32 err = -1;
    ASSERT_TRUE(CFURLWriteDataAndPropertiesToResource(u, data, nullptr, &err));
    CFDataRef back = nullptr;
    ASSERT_TRUE(
        CFURLCreateDataAndPropertiesFromResource(nullptr, u, &back, nullptr, nullptr, &err));
    EXPECT_TRUE(CFEqual(back, data));
    CFURLRef nowhere = fileURL(dir / "no/such/folder/out.txt", false);
    EXPECT_FALSE(CFURLWriteDataAndPropertiesToResource(nowhere, data, nullptr, &err));
    EXPECT_EQ(err, kCFURLResourceNotFoundError);
    EXPECT_TRUE(CFURLDestroyResource(u, &err));
    EXPECT_FALSE(CFURLDestroyResource(u, &err));
    for (CFTypeRef o : {static_cast<CFTypeRef>(u), static_cast<CFTypeRef>(data),
                        static_cast<CFTypeRef>(back), static_cast<CFTypeRef>(nowhere)})
        CFRelease(o);
}
