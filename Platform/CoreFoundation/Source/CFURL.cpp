/*
 * CFURL.cpp
 *
 * File URLs. A URL keeps its POSIX path, made absolute against the current
 * directory when the URL is made, without repeated or trailing slashes
 * (but "/"), and whether it names a directory.
 */
#include "CFInternal.h"

#include <unistd.h>

struct __CFURL : cf::Base {
    cf::String8 path;
    bool isDirectory = false;
};

namespace {

Boolean equalURLs(CFTypeRef a, CFTypeRef b) {
    const auto *x = static_cast<const __CFURL *>(a);
    const auto *y = static_cast<const __CFURL *>(b);
    return x->path == y->path && x->isDirectory == y->isDirectory;
}

CFHashCode hashURL(CFTypeRef cf) {
    return static_cast<const __CFURL *>(cf)->path.size();
}

} // namespace

namespace cf {

const CFStandInClass kURLClass = {"CFURL", destroyObject<__CFURL>, equalURLs, hashURL, nullptr};

CFURLRef makeFileURL(const String8 &rawPath, bool isDirectory) {
    if (rawPath.empty())
        return nullptr;
    __CFURL *url = newObject<__CFURL>(kURLTypeID);
    if (url == nullptr)
        return nullptr;
    url->isDirectory = isDirectory;
    try {
        String8 path;
        if (rawPath[0] != '/') {
            char cwd[4096];
            if (getcwd(cwd, sizeof cwd) == nullptr) {
                CFRelease(url);
                return nullptr;
            }
            path = cwd;
            path += '/';
        }
        path += rawPath;
        for (char c : path)
            if (!(c == '/' && !url->path.empty() && url->path.back() == '/'))
                url->path.push_back(c);
        if (url->path.size() > 1 && url->path.back() == '/')
            url->path.pop_back();
    } catch (const std::bad_alloc &) {
        CFRelease(url);
        return nullptr;
    }
    return url;
}

const String8 &fileURLPath(CFURLRef url, const char *call) {
    return check<__CFURL>(url, kURLTypeID, call)->path;
}

} // namespace cf

extern "C" CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8 *buffer,
                                                            CFIndex bufLen, Boolean isDirectory) {
    if (bufLen < 0 || (buffer == nullptr && bufLen > 0))
        CFStandInMisuse("CFURLCreateFromFileSystemRepresentation", "bad buffer (%p, %ld)", buffer,
                        bufLen);
    try {
        cf::String8 path(reinterpret_cast<const char *>(buffer), static_cast<size_t>(bufLen));
        size_t nul = path.find('\0');
        if (nul != cf::String8::npos)
            path.resize(nul);
        return cf::makeFileURL(path, isDirectory);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
