/*
 * CFURL.cpp
 *
 * File URLs, reading the file one names, and data objects (immutable byte
 * buffers), which reading gives. A URL keeps its POSIX path, made absolute
 * against the current directory when the URL is made, without repeated or
 * trailing slashes (but "/").
 */
#include "CFInternal.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <unistd.h>

struct __CFURL : cf::Base {
    cf::String8 path;
};

namespace cf {

const CFStandInClass kURLClass = {"CFURL", destroyObject<__CFURL>, nullptr};
const CFStandInClass kDataClass = {"CFData", destroyObject<__CFData>, nullptr};

CFURLRef makeFileURL(const String8 &rawPath) {
    if (rawPath.empty())
        return nullptr;
    String8 path;
    if (rawPath[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) == nullptr)
            return nullptr;
        path = cwd;
        path += '/';
    }
    path += rawPath;
    Owned<__CFURL *> url(newObject<__CFURL>(kURLTypeID));
    String8 &kept = url.get()->path;
    for (char c : path)
        if (c != '/' || kept.empty() || kept.back() != '/')
            kept.push_back(c);
    if (kept.size() > 1 && kept.back() == '/')
        kept.pop_back();
    return url.release();
}

const String8 &fileURLPath(CFURLRef url, const char *call) {
    return check<__CFURL>(url, kURLTypeID, call)->path;
}

bool readFile(const char *path, Vec<UInt8> &out) {
    std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(path, "rbe"), std::fclose);
    if (!file)
        return false;
    out.clear();
    UInt8 chunk[16384];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
        out.insert(out.end(), chunk, chunk + n);
    return std::ferror(file.get()) == 0; // a folder fails here, with EISDIR
}

} // namespace cf

extern "C" {

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8 *bytes, CFIndex length) {
    if (length < 0 || (bytes == nullptr && length > 0))
        CFStandInMisuse("CFDataCreate", "bad byte buffer (%p, %ld)", bytes, length);
    return cf::orNull([&] {
        cf::Owned<__CFData *> d(cf::newObject<__CFData>(cf::kDataTypeID));
        d.get()->bytes.assign(bytes, bytes + length);
        return static_cast<CFDataRef>(d.release());
    });
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8 *buffer,
                                                 CFIndex bufLen, Boolean) {
    if (bufLen < 0 || (buffer == nullptr && bufLen > 0))
        CFStandInMisuse("CFURLCreateFromFileSystemRepresentation", "bad buffer (%p, %ld)", buffer,
                        bufLen);
    return cf::orNull([&] {
        cf::String8 path(reinterpret_cast<const char *>(buffer), static_cast<size_t>(bufLen));
        return cf::makeFileURL(path.substr(0, path.find('\0')));
    });
}

Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef, CFURLRef url,
                                                 CFDataRef *resourceData,
                                                 CFDictionaryRef *properties, CFArrayRef,
                                                 SInt32 *errorCode) {
    const cf::String8 &path = cf::fileURLPath(url, "CFURLCreateDataAndPropertiesFromResource");
    SInt32 status = 0;
    if (properties != nullptr) {
        *properties = nullptr;
        status = kCFURLPropertyKeyUnavailableError; // properties are not reproduced
    }
    if (resourceData != nullptr) {
        *resourceData = nullptr;
        try {
            cf::Owned<__CFData *> data(cf::newObject<__CFData>(cf::kDataTypeID));
            if (!cf::readFile(path.c_str(), data.get()->bytes))
                status = errno == ENOENT || errno == ENOTDIR ? kCFURLResourceNotFoundError
                         : errno == EACCES                   ? kCFURLResourceAccessViolationError
                                                             : kCFURLUnknownError;
            else if (status == 0)
                *resourceData = data.release();
        } catch (const std::bad_alloc &) {
            status = kCFURLUnknownError;
        }
    }
    if (errorCode != nullptr)
        *errorCode = status;
    return status == 0;
}

} // extern "C"
