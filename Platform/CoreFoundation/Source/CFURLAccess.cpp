/*
 * CFURLAccess.cpp
 *
 * Reading the file that a file URL names.
 */
#include "CFInternal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cf {

bool readFile(const char *path, Vec<UInt8> &out) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int saved = S_ISDIR(st.st_mode) ? EISDIR : errno;
        close(fd);
        errno = saved;
        return false;
    }
    out.clear();
    UInt8 chunk[16384];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int saved = errno;
            close(fd);
            errno = saved;
            return n == 0;
        }
        try {
            out.insert(out.end(), chunk, chunk + n);
        } catch (...) {
            close(fd);
            throw;
        }
    }
}

} // namespace cf

extern "C" Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef alloc, CFURLRef url,
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
            cf::Vec<UInt8> bytes;
            if (!cf::readFile(path.c_str(), bytes))
                status = errno == ENOENT || errno == ENOTDIR ? kCFURLResourceNotFoundError
                         : errno == EACCES                   ? kCFURLResourceAccessViolationError
                                                             : kCFURLUnknownError;
            else if ((*resourceData = CFDataCreate(alloc, bytes.data(),
                                                   static_cast<CFIndex>(bytes.size()))) == nullptr)
                status = kCFURLUnknownError;
        } catch (const std::bad_alloc &) {
            status = kCFURLUnknownError;
        }
    }
    if (status != 0 && resourceData != nullptr && *resourceData != nullptr) {
        CFRelease(*resourceData);
        *resourceData = nullptr;
    }
    if (errorCode != nullptr)
        *errorCode = status;
    return status == 0;
}
