/*
 * TestSupport.h
 *
 * Helpers for the CoreFoundation conformance tests: a temporary folder that
 * removes itself, file writing, environment overrides that restore the old
 * values, a check that a block of code leaves no live object behind, and
 * small conversions for assertions.
 */
#ifndef CF_TEST_SUPPORT_H
#define CF_TEST_SUPPORT_H

#include <CoreFoundation/CoreFoundation.h>
#include <StandIn/CFStandIn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cftest {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "cftest-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        const char *made = mkdtemp(buf.data());
        if (made == nullptr)
            throw std::runtime_error("mkdtemp failed");
        mPath = made;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(mPath, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return mPath; }
    std::string operator/(const std::string &rel) const { return mPath + "/" + rel; }

private:
    std::string mPath;
};

// Writes bytes to path, making the folders on the way.
inline void writeFile(const std::string &path, const std::string &bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// UTF-16 bytes of ASCII/BMP text, with a byte-order mark.
inline std::string utf16(const std::u16string &text, bool bigEndian) {
    std::string out;
    auto put = [&](char16_t u) {
        if (bigEndian) {
            out.push_back(static_cast<char>(u >> 8));
            out.push_back(static_cast<char>(u & 0xFF));
        } else {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        }
    };
    put(0xFEFF);
    for (char16_t u : text)
        put(u);
    return out;
}

// Sets or clears environment variables for the lifetime of the object.
class EnvOverride {
public:
    void set(const char *name, const char *value) {
        if (mSaved.find(name) == mSaved.end()) {
            const char *old = std::getenv(name);
            mSaved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    // Clears every variable that chooses the language.
    void clearLanguage() {
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            set(name, nullptr);
    }
    ~EnvOverride() {
        for (const auto &[name, value] : mSaved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> mSaved;
};

// The text of a string as UTF-8, "<null>" for NULL.
inline std::string text(CFStringRef s) {
    if (s == nullptr)
        return "<null>";
    CFIndex size =
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
    std::string buf(static_cast<size_t>(size), '\0');
    if (!CFStringGetCString(s, buf.data(), size, kCFStringEncodingUTF8))
        return "<unencodable>";
    buf.resize(std::strlen(buf.c_str()));
    return buf;
}

// Takes ownership of a created string and returns its text.
inline std::string consume(CFStringRef s) {
    std::string t = text(s);
    if (s != nullptr)
        CFRelease(s);
    return t;
}

inline CFStringRef str(const char *utf8) {
    return CFStringCreateWithCString(nullptr, utf8, kCFStringEncodingUTF8);
}

inline CFURLRef fileURL(const std::string &path, bool isDirectory) {
    return CFURLCreateFromFileSystemRepresentation(nullptr,
                                                   reinterpret_cast<const UInt8 *>(path.data()),
                                                   static_cast<CFIndex>(path.size()), isDirectory);
}

} // namespace cftest

#endif
