/*
 * TestSupport.h
 *
 * Helpers for the CoreFoundation stand-in's tests: a temporary folder that
 * removes itself, file writing, the user's languages, and the text of a
 * string for assertions.
 */
#ifndef CF_TEST_SUPPORT_H
#define CF_TEST_SUPPORT_H

#include <CoreFoundation/CoreFoundation.h>
#include <StandIn/CFStandIn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace cftest {

struct TempDir {
    std::string path;
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "cftest-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    void write(const std::string &relative, const std::string &bytes) const {
        std::filesystem::path file = path + "/" + relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }
};

// Chooses the user's languages (each test runs in a process of its own).
inline void setLanguage(const char *language, const char *lang = nullptr) {
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        unsetenv(name);
    if (language != nullptr)
        setenv("LANGUAGE", language, 1);
    if (lang != nullptr)
        setenv("LANG", lang, 1);
}

// The text of an owned string as UTF-8 (released), "<null>" for NULL.
inline std::string consume(CFStringRef s) {
    if (s == nullptr)
        return "<null>";
    char buf[1024];
    bool ok = CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8);
    CFRelease(s);
    return ok ? buf : "<unencodable>";
}

inline CFURLRef fileURL(const std::string &path, bool isDirectory = true) {
    return CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8 *>(path.data()), (CFIndex)path.size(), isDirectory);
}

} // namespace cftest

#endif
