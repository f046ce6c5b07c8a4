/*
 * CFURL.cpp
 *
 * URLs. A file URL keeps its POSIX path (absolute: relative paths are taken
 * against the current directory when the URL is made) and whether it names
 * a directory; its string is "file://" followed by the percent-encoded path.
 * URLs of other schemes keep only their string.
 */
#include "CFInternal.h"

#include <cctype>
#include <cstring>
#include <strings.h>
#include <unistd.h>

struct __CFURL : cf::Base {
    CFStringRef string = nullptr; // the whole URL
    cf::String8 path;             // file URLs: decoded POSIX path, no trailing slash but "/"
    bool isFile = false;
    bool isDirectory = false;
};

namespace {

void finalizeURL(CFTypeRef cf) {
    const auto *u = static_cast<const __CFURL *>(cf);
    if (u->string != nullptr)
        CFRelease(u->string);
    cf::destroyObject<__CFURL>(cf);
}

Boolean equalURLs(CFTypeRef a, CFTypeRef b) {
    return CFEqual(static_cast<const __CFURL *>(a)->string,
                   static_cast<const __CFURL *>(b)->string);
}

CFHashCode hashURL(CFTypeRef cf) {
    return CFHash(static_cast<const __CFURL *>(cf)->string);
}

CFStringRef describeURL(CFTypeRef cf) {
    return static_cast<CFStringRef>(CFRetain(static_cast<const __CFURL *>(cf)->string));
}

const __CFURL *checkURL(CFTypeRef cf, const char *call) {
    return cf::check<__CFURL>(cf, cf::kURLTypeID, call);
}

bool keepUnescaped(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::strchr("-._~/!$&'()*+,;=:@", c) != nullptr;
}

// Collapses repeated slashes and drops a trailing one (but keeps "/").
cf::String8 normalizePath(const cf::String8 &path) {
    cf::String8 out;
    for (char c : path)
        if (!(c == '/' && !out.empty() && out.back() == '/'))
            out.push_back(c);
    if (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

// Makes a file URL from a POSIX path in UTF-8; nullptr without memory or
// for an empty path.
__CFURL *newFileURL(const cf::String8 &rawPath, bool isDirectory) {
    try {
        if (rawPath.empty() || rawPath.find('\0') != cf::String8::npos)
            return nullptr;
        cf::String8 path;
        if (rawPath[0] != '/') {
            char cwd[4096];
            if (getcwd(cwd, sizeof cwd) == nullptr)
                return nullptr;
            path = cwd;
            path += '/';
        }
        path += rawPath;
        path = normalizePath(path);
        cf::String8 text = "file://";
        static const char hex[] = "0123456789ABCDEF";
        for (unsigned char c : path) {
            if (keepUnescaped(c)) {
                text.push_back(static_cast<char>(c));
            } else {
                text.push_back('%');
                text.push_back(hex[c >> 4]);
                text.push_back(hex[c & 15]);
            }
        }
        if (isDirectory && path != "/")
            text.push_back('/');
        CFStringRef string = cf::makeStringFromUTF8(text.data(), text.size());
        if (string == nullptr)
            return nullptr;
        __CFURL *url = cf::newObject<__CFURL>(cf::kURLTypeID);
        if (url == nullptr) {
            CFRelease(string);
            return nullptr;
        }
        url->string = string;
        url->isFile = true;
        url->isDirectory = isDirectory;
        try {
            url->path = path;
        } catch (const std::bad_alloc &) {
            CFRelease(url);
            return nullptr;
        }
        return url;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

// The last path component of a file URL's path, as UTF-8.
cf::String8 lastComponent(const cf::String8 &path) {
    if (path == "/")
        return path;
    size_t slash = path.rfind('/');
    return path.substr(slash == cf::String8::npos ? 0 : slash + 1);
}

} // namespace

namespace cf {

int hexDigitValue(UniChar c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

const CFStandInClass kURLClass = {"CFURL", finalizeURL, equalURLs, hashURL, describeURL};

CFURLRef makeFileURL(const String8 &path, bool isDirectory) {
    return newFileURL(path, isDirectory);
}

const String8 *fileURLPath(CFURLRef url, const char *call) {
    const __CFURL *u = checkURL(url, call);
    return u->isFile ? &u->path : nullptr;
}

} // namespace cf

extern "C" {

CFTypeID CFURLGetTypeID(void) {
    return cf::kURLTypeID;
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory) {
    cf::checkString(filePath, "CFURLCreateWithFileSystemPath");
    if (pathStyle != kCFURLPOSIXPathStyle)
        return nullptr; // only POSIX paths exist here
    try {
        return newFileURL(cf::toUTF8(filePath), isDirectory);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8 *buffer,
                                                 CFIndex bufLen, Boolean isDirectory) {
    if (bufLen < 0 || (buffer == nullptr && bufLen > 0))
        cf::misuse("CFURLCreateFromFileSystemRepresentation", "bad buffer (%p, %ld)", buffer,
                   bufLen);
    try {
        cf::String8 path(reinterpret_cast<const char *>(buffer), static_cast<size_t>(bufLen));
        size_t nul = path.find('\0');
        if (nul != cf::String8::npos)
            path.resize(nul);
        return newFileURL(path, isDirectory);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef URLString, CFURLRef baseURL) {
    cf::checkString(URLString, "CFURLCreateWithString");
    if (baseURL != nullptr)
        checkURL(baseURL, "CFURLCreateWithString");
    try {
        cf::String8 text = cf::toUTF8(URLString);
        for (unsigned char c : text)
            if (c <= ' ' || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' ||
                c == '^' || c == '`' || c == '{' || c == '|' || c == '}')
                return nullptr; // not a legal URL string
        size_t colon = text.find(':');
        bool hasScheme = colon != cf::String8::npos && colon > 0;
        for (size_t i = 0; hasScheme && i < colon; ++i)
            hasScheme = std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '+' ||
                        text[i] == '-' || text[i] == '.';
        if (hasScheme && strncasecmp(text.c_str(), "file:", 5) == 0) {
            cf::String8 rest = text.substr(5);
            if (rest.rfind("//localhost/", 0) == 0)
                rest = rest.substr(11);
            else if (rest.rfind("///", 0) == 0)
                rest = rest.substr(2);
            else if (rest.rfind("//", 0) == 0)
                return nullptr; // a file URL naming another host
            cf::String8 path;
            for (size_t i = 0; i < rest.size(); ++i) {
                if (rest[i] == '?' || rest[i] == '#')
                    break;
                if (rest[i] == '%') {
                    int hi = i + 2 < rest.size() ? cf::hexDigitValue(rest[i + 1]) : -1;
                    int lo = i + 2 < rest.size() ? cf::hexDigitValue(rest[i + 2]) : -1;
                    if (hi < 0 || lo < 0)
                        return nullptr;
                    path.push_back(static_cast<char>(hi * 16 + lo));
                    i += 2;
                } else {
                    path.push_back(rest[i]);
                }
            }
            if (path.empty() || path[0] != '/')
                return nullptr;
            bool isDirectory = path.size() > 1 && path.back() == '/';
            return newFileURL(path, isDirectory || path == "/");
        }
        if (!hasScheme && baseURL != nullptr) {
            const __CFURL *base = static_cast<const __CFURL *>(baseURL);
            if (!base->isFile)
                return nullptr;
            cf::String8 dir = base->path;
            if (!base->isDirectory) {
                size_t slash = dir.rfind('/');
                dir.resize(slash == 0 ? 1 : slash);
            }
            cf::String8 path = dir + (dir == "/" ? "" : "/") + text;
            return newFileURL(path, text.back() == '/');
        }
        __CFURL *url = cf::newObject<__CFURL>(cf::kURLTypeID);
        if (url == nullptr)
            return nullptr;
        url->string = CFStringCreateCopy(nullptr, URLString);
        url->isDirectory = !text.empty() && text.back() == '/';
        if (url->string == nullptr) {
            CFRelease(url);
            return nullptr;
        }
        return url;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFURLCreateWithBytes(CFAllocatorRef allocator, const UInt8 *URLBytes, CFIndex length,
                              CFStringEncoding encoding, CFURLRef baseURL) {
    CFStringRef text = CFStringCreateWithBytes(allocator, URLBytes, length, encoding, false);
    if (text == nullptr)
        return nullptr;
    CFURLRef url = CFURLCreateWithString(allocator, text, baseURL);
    CFRelease(text);
    return url;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8 *buffer, CFIndex maxBufLen) {
    const __CFURL *u = checkURL(url, "CFURLGetFileSystemRepresentation");
    if (!u->isFile || buffer == nullptr || maxBufLen <= 0)
        return false;
    if (static_cast<CFIndex>(u->path.size()) + 1 > maxBufLen)
        return false;
    std::memcpy(buffer, u->path.c_str(), u->path.size() + 1);
    return true;
}

CFURLRef CFURLCopyAbsoluteURL(CFURLRef relativeURL) {
    return static_cast<CFURLRef>(CFRetain(checkURL(relativeURL, "CFURLCopyAbsoluteURL")));
}

CFStringRef CFURLGetString(CFURLRef anURL) {
    return checkURL(anURL, "CFURLGetString")->string;
}

CFURLRef CFURLGetBaseURL(CFURLRef anURL) {
    checkURL(anURL, "CFURLGetBaseURL");
    return nullptr; // every URL made here is absolute
}

CFStringRef CFURLCopyScheme(CFURLRef anURL) {
    const __CFURL *u = checkURL(anURL, "CFURLCopyScheme");
    if (u->isFile)
        return static_cast<CFStringRef>(CFRetain(CFSTR("file")));
    CFRange colon = CFStringFind(u->string, CFSTR(":"), 0);
    if (colon.location == kCFNotFound)
        return nullptr;
    return CFStringCreateWithSubstring(nullptr, u->string, CFRangeMake(0, colon.location));
}

CFStringRef CFURLCopyPath(CFURLRef anURL) {
    const __CFURL *u = checkURL(anURL, "CFURLCopyPath");
    if (!u->isFile)
        return nullptr;
    CFIndex length = CFStringGetLength(u->string);
    return CFStringCreateWithSubstring(nullptr, u->string, CFRangeMake(7, length - 7));
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle) {
    const __CFURL *u = checkURL(anURL, "CFURLCopyFileSystemPath");
    if (!u->isFile || pathStyle != kCFURLPOSIXPathStyle)
        return nullptr;
    return cf::makeStringFromUTF8(u->path.data(), u->path.size());
}

Boolean CFURLHasDirectoryPath(CFURLRef anURL) {
    return checkURL(anURL, "CFURLHasDirectoryPath")->isDirectory;
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
    const __CFURL *u = checkURL(url, "CFURLCopyLastPathComponent");
    if (!u->isFile)
        return nullptr;
    try {
        cf::String8 last = lastComponent(u->path);
        return cf::makeStringFromUTF8(last.data(), last.size());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFStringRef CFURLCopyPathExtension(CFURLRef url) {
    const __CFURL *u = checkURL(url, "CFURLCopyPathExtension");
    if (!u->isFile)
        return nullptr;
    try {
        cf::String8 last = lastComponent(u->path);
        size_t dot = last.rfind('.');
        if (dot == cf::String8::npos || dot == 0 || dot + 1 == last.size())
            return nullptr;
        return cf::makeStringFromUTF8(last.data() + dot + 1, last.size() - dot - 1);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef url,
                                               CFStringRef pathComponent, Boolean isDirectory) {
    const __CFURL *u = checkURL(url, "CFURLCreateCopyAppendingPathComponent");
    cf::checkString(pathComponent, "CFURLCreateCopyAppendingPathComponent");
    if (!u->isFile)
        return nullptr;
    try {
        cf::String8 path = u->path;
        if (path != "/")
            path += '/';
        cf::appendUTF8(path, pathComponent);
        return newFileURL(path, isDirectory);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url) {
    const __CFURL *u = checkURL(url, "CFURLCreateCopyDeletingLastPathComponent");
    if (!u->isFile)
        return nullptr;
    try {
        cf::String8 path = u->path;
        size_t slash = path.rfind('/');
        path.resize(slash == 0 || slash == cf::String8::npos ? 1 : slash);
        return newFileURL(path, true);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef, CFURLRef url,
                                               CFStringRef extension) {
    const __CFURL *u = checkURL(url, "CFURLCreateCopyAppendingPathExtension");
    cf::checkString(extension, "CFURLCreateCopyAppendingPathExtension");
    if (!u->isFile || u->path == "/")
        return nullptr;
    try {
        cf::String8 path = u->path + ".";
        cf::appendUTF8(path, extension);
        return newFileURL(path, u->isDirectory);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef, CFURLRef url) {
    const __CFURL *u = checkURL(url, "CFURLCreateCopyDeletingPathExtension");
    if (!u->isFile)
        return nullptr;
    try {
        cf::String8 path = u->path;
        size_t slash = path.rfind('/');
        size_t dot = path.rfind('.');
        if (dot != cf::String8::npos && dot > slash + 1)
            path.resize(dot);
        return newFileURL(path, u->isDirectory);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // extern "C"
