/*
 * CFURLAccess.cpp
 *
 * Reading a file URL's resource into data together with its properties
 * (existence, length, modification time, mode, owner, directory contents),
 * writing data to it, and removing it.
 */
#include "CFInternal.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
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
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int saved = errno;
            close(fd);
            errno = saved;
            return false;
        }
        if (n == 0)
            break;
        try {
            out.insert(out.end(), chunk, chunk + n);
        } catch (...) {
            close(fd);
            throw;
        }
    }
    close(fd);
    return true;
}

} // namespace cf

namespace {

SInt32 errorFromErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return kCFURLResourceNotFoundError;
    case EACCES:
    case EPERM:
    case EROFS:
        return kCFURLResourceAccessViolationError;
    default:
        return kCFURLUnknownError;
    }
}

bool wanted(CFArrayRef desired, CFStringRef key) {
    return desired == nullptr ||
           CFArrayContainsValue(desired, CFRangeMake(0, CFArrayGetCount(desired)), key);
}

// Sets key to a new value object, consuming it; false when it is missing.
bool setOwned(CFMutableDictionaryRef dict, CFStringRef key, CFTypeRef value) {
    if (value == nullptr)
        return false;
    CFDictionarySetValue(dict, key, value);
    CFRelease(value);
    return CFDictionaryContainsKey(dict, key);
}

CFArrayRef copyDirectoryContents(const cf::String8 &path) {
    DIR *dir = opendir(path.c_str());
    if (dir == nullptr)
        return nullptr;
    CFMutableArrayRef items = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    bool ok = items != nullptr;
    while (ok) {
        struct dirent *entry = readdir(dir);
        if (entry == nullptr)
            break;
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        try {
            cf::String8 child = path + (path == "/" ? "" : "/") + entry->d_name;
            struct stat st;
            bool isDir = stat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            CFURLRef url = cf::makeFileURL(child, isDir);
            ok = url != nullptr;
            if (ok) {
                CFIndex before = CFArrayGetCount(items);
                CFArrayAppendValue(items, url);
                ok = CFArrayGetCount(items) == before + 1;
                CFRelease(url);
            }
        } catch (const std::bad_alloc &) {
            ok = false;
        }
    }
    closedir(dir);
    if (!ok && items != nullptr) {
        CFRelease(items);
        return nullptr;
    }
    return items;
}

} // namespace

extern "C" {

const CFStringRef kCFURLFileExists = CFSTR("kCFURLFileExists");
const CFStringRef kCFURLFileDirectoryContents = CFSTR("kCFURLFileDirectoryContents");
const CFStringRef kCFURLFileLength = CFSTR("kCFURLFileLength");
const CFStringRef kCFURLFileLastModificationTime = CFSTR("kCFURLFileLastModificationTime");
const CFStringRef kCFURLFilePOSIXMode = CFSTR("kCFURLFilePOSIXMode");
const CFStringRef kCFURLFileOwnerID = CFSTR("kCFURLFileOwnerID");

Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef alloc, CFURLRef url,
                                                 CFDataRef *resourceData,
                                                 CFDictionaryRef *properties,
                                                 CFArrayRef desiredProperties, SInt32 *errorCode) {
    const cf::String8 *path = cf::fileURLPath(url, "CFURLCreateDataAndPropertiesFromResource");
    if (desiredProperties != nullptr)
        cf::checkType(desiredProperties, cf::kArrayTypeID,
                      "CFURLCreateDataAndPropertiesFromResource");
    if (resourceData != nullptr)
        *resourceData = nullptr;
    if (properties != nullptr)
        *properties = nullptr;
    SInt32 status = 0;
    if (path == nullptr) {
        status = kCFURLUnknownSchemeError;
    } else {
        if (resourceData != nullptr) {
            try {
                cf::Vec<UInt8> bytes;
                if (!cf::readFile(path->c_str(), bytes))
                    status = errorFromErrno(errno);
                else if ((*resourceData = CFDataCreate(
                              alloc, bytes.data(), static_cast<CFIndex>(bytes.size()))) == nullptr)
                    status = kCFURLUnknownError;
            } catch (const std::bad_alloc &) {
                status = kCFURLUnknownError;
            }
        }
        if (properties != nullptr) {
            CFMutableDictionaryRef dict = cf::makeTypeDictionary(true);
            bool ok = dict != nullptr;
            struct stat st;
            bool exists = stat(path->c_str(), &st) == 0;
            if (ok && wanted(desiredProperties, kCFURLFileExists))
                ok = setOwned(dict, kCFURLFileExists,
                              CFRetain(exists ? kCFBooleanTrue : kCFBooleanFalse));
            if (ok && exists) {
                long long length = st.st_size;
                SInt32 mode = static_cast<SInt32>(st.st_mode & 07777);
                long long owner = st.st_uid;
                if (ok && wanted(desiredProperties, kCFURLFileLength))
                    ok = setOwned(dict, kCFURLFileLength,
                                  CFNumberCreate(alloc, kCFNumberLongLongType, &length));
                if (ok && wanted(desiredProperties, kCFURLFilePOSIXMode))
                    ok = setOwned(dict, kCFURLFilePOSIXMode,
                                  CFNumberCreate(alloc, kCFNumberSInt32Type, &mode));
                if (ok && wanted(desiredProperties, kCFURLFileOwnerID))
                    ok = setOwned(dict, kCFURLFileOwnerID,
                                  CFNumberCreate(alloc, kCFNumberLongLongType, &owner));
                if (ok && wanted(desiredProperties, kCFURLFileLastModificationTime))
                    ok = setOwned(dict, kCFURLFileLastModificationTime,
                                  CFDateCreate(alloc, static_cast<double>(st.st_mtim.tv_sec) +
                                                          st.st_mtim.tv_nsec / 1e9 -
                                                          kCFAbsoluteTimeIntervalSince1970));
                if (ok && S_ISDIR(st.st_mode) &&
                    wanted(desiredProperties, kCFURLFileDirectoryContents))
                    ok = setOwned(dict, kCFURLFileDirectoryContents, copyDirectoryContents(*path));
            } else if (ok && !exists && desiredProperties != nullptr &&
                       CFArrayGetCount(desiredProperties) >
                           (wanted(desiredProperties, kCFURLFileExists) ? 1 : 0)) {
                status = kCFURLResourceNotFoundError;
            }
            if (!ok) {
                status = kCFURLUnknownError;
                if (dict != nullptr)
                    CFRelease(dict);
            } else {
                *properties = dict;
            }
        }
    }
    if (errorCode != nullptr)
        *errorCode = status;
    return status == 0;
}

Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef url, CFDataRef dataToWrite,
                                              CFDictionaryRef propertiesToWrite,
                                              SInt32 *errorCode) {
    const cf::String8 *path = cf::fileURLPath(url, "CFURLWriteDataAndPropertiesToResource");
    SInt32 status = 0;
    if (path == nullptr) {
        status = kCFURLUnknownSchemeError;
    } else if (dataToWrite != nullptr) {
        const UInt8 *bytes = CFDataGetBytePtr(dataToWrite);
        CFIndex length = CFDataGetLength(dataToWrite);
        int fd = open(path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) {
            status = errorFromErrno(errno);
        } else {
            CFIndex done = 0;
            while (done < length) {
                ssize_t n = write(fd, bytes + done, static_cast<size_t>(length - done));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    status = errorFromErrno(errno);
                    break;
                }
                done += n;
            }
            if (close(fd) != 0 && status == 0)
                status = errorFromErrno(errno);
        }
    } else {
        // No data: a directory URL makes the directory.
        if (CFURLHasDirectoryPath(url) && mkdir(path->c_str(), 0777) != 0 && errno != EEXIST)
            status = errorFromErrno(errno);
    }
    if (status == 0 && path != nullptr && propertiesToWrite != nullptr) {
        CFTypeRef mode = CFDictionaryGetValue(propertiesToWrite, kCFURLFilePOSIXMode);
        SInt32 value;
        if (mode != nullptr && CFGetTypeID(mode) == CFNumberGetTypeID() &&
            CFNumberGetValue(static_cast<CFNumberRef>(mode), kCFNumberSInt32Type, &value) &&
            chmod(path->c_str(), static_cast<mode_t>(value)) != 0)
            status = errorFromErrno(errno);
    }
    if (errorCode != nullptr)
        *errorCode = status;
    return status == 0;
}

Boolean CFURLDestroyResource(CFURLRef url, SInt32 *errorCode) {
    const cf::String8 *path = cf::fileURLPath(url, "CFURLDestroyResource");
    SInt32 status = 0;
    if (path == nullptr)
        status = kCFURLUnknownSchemeError;
    else if ((CFURLHasDirectoryPath(url) ? rmdir(path->c_str()) : unlink(path->c_str())) != 0)
        status = errorFromErrno(errno);
    if (errorCode != nullptr)
        *errorCode = status;
    return status == 0;
}

} // extern "C"
