/*
 * TestSupport.h
 *
 * Helpers for the CoreFoundation stand-in's tests: a temporary folder that
 * removes itself, file writing, a language setting that restores the old
 * environment, and the text of a string for assertions.
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

// Sets LANGUAGE (and clears the other language variables) while it lives.
struct Language {
    std::string saved[4];
    bool had[4];
    static constexpr const char *kNames[4] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    explicit Language(const char *language, const char *lang = nullptr) {
        for (int i = 0; i < 4; i++) {
            const char *old = std::getenv(kNames[i]);
            had[i] = old != nullptr;
            saved[i] = old != nullptr ? old : "";
            unsetenv(kNames[i]);
        }
        if (language != nullptr)
            setenv("LANGUAGE", language, 1);
        if (lang != nullptr)
            setenv("LANG", lang, 1);
    }
    ~Language() {
        for (int i = 0; i < 4; i++)
            had[i] ? setenv(kNames[i], saved[i].c_str(), 1) : unsetenv(kNames[i]);
    }
};

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
