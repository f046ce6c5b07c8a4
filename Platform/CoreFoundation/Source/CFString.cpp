/*
 * CFString.cpp
 *
 * Strings: UTF-16 held in the object, immutable; constant strings (CFSTR)
 * uniqued by their text and never freed; creation from and conversion to
 * MacRoman, ASCII and UTF-8; comparison.
 */
#include "CFInternal.h"

#include <cstring>
#include <map>
#include <string>

namespace {

Boolean equalStrings(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFString *>(a)->chars == static_cast<const __CFString *>(b)->chars;
}

CFHashCode hashString(CFTypeRef cf) {
    CFHashCode h = 1469598103934665603UL;
    for (UniChar u : static_cast<const __CFString *>(cf)->chars) {
        h ^= u;
        h *= 1099511628211UL;
    }
    return h;
}

void finalizeString(CFTypeRef cf) {
    cf::destroyObject<__CFString>(cf);
}

UniChar foldCase(UniChar u) {
    return (u >= 'A' && u <= 'Z') ? static_cast<UniChar>(u + 32) : u;
}

} // namespace

namespace cf {

const CFStandInClass kStringClass = {"CFString", finalizeString, equalStrings, hashString, nullptr};

const __CFString *checkString(CFTypeRef cf, const char *call) {
    return check<__CFString>(cf, kStringTypeID, call);
}

CFStringRef makeString(const UniChar *chars, size_t count) {
    __CFString *s = newObject<__CFString>(kStringTypeID);
    if (s == nullptr)
        return nullptr;
    try {
        s->chars.assign(chars, chars + count);
    } catch (const std::bad_alloc &) {
        CFRelease(s);
        return nullptr;
    }
    return s;
}

CFStringRef makeStringFromUTF8(const char *bytes, size_t count) {
    try {
        UniVec chars;
        if (!decode(reinterpret_cast<const UInt8 *>(bytes), count, kCFStringEncodingUTF8, false,
                    chars))
            return nullptr;
        return makeString(chars.data(), chars.size());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

String8 toUTF8(CFStringRef str) {
    const __CFString *s = checkString(str, "CFStringGetBytes");
    CFIndex n = static_cast<CFIndex>(s->chars.size()), used = 0;
    String8 out(static_cast<size_t>(n) * 3, '\0');
    encode(s->chars.data(), n, kCFStringEncodingUTF8, '?', reinterpret_cast<UInt8 *>(out.data()),
           n * 3, &used);
    out.resize(static_cast<size_t>(used));
    return out;
}

} // namespace cf

extern "C" {

CFStringRef __CFStringMakeConstantString(const char *cStr) {
    if (cStr == nullptr)
        CFStandInMisuse("CFSTR", "NULL text");
    static auto *constants = new std::map<std::string, __CFString *>();
    auto found = constants->find(cStr);
    if (found != constants->end())
        return found->second;
    cf::InjectionPause pause;
    auto *s = new __CFString();
    size_t n = std::strlen(cStr);
    if (!cf::decode(reinterpret_cast<const UInt8 *>(cStr), n, kCFStringEncodingUTF8, false,
                    s->chars))
        cf::decode(reinterpret_cast<const UInt8 *>(cStr), n, kCFStringEncodingMacRoman, false,
                   s->chars);
    cf::registerImmortal(s, cf::kStringTypeID);
    constants->emplace(cStr, s);
    return s;
}

CFTypeID CFStringGetTypeID(void) {
    return cf::kStringTypeID;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8 *bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation) {
    if (numBytes < 0 || (bytes == nullptr && numBytes > 0))
        CFStandInMisuse("CFStringCreateWithBytes", "bad byte buffer (%p, %ld)", bytes, numBytes);
    try {
        cf::UniVec chars;
        if (!cf::decode(bytes, static_cast<size_t>(numBytes), encoding, isExternalRepresentation,
                        chars))
            return nullptr;
        return cf::makeString(chars.data(), chars.size());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char *cStr,
                                      CFStringEncoding encoding) {
    if (cStr == nullptr)
        CFStandInMisuse("CFStringCreateWithCString", "NULL C string");
    return CFStringCreateWithBytes(alloc, reinterpret_cast<const UInt8 *>(cStr),
                                   static_cast<CFIndex>(std::strlen(cStr)), encoding, false);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar *chars, CFIndex numChars) {
    if (numChars < 0 || (chars == nullptr && numChars > 0))
        CFStandInMisuse("CFStringCreateWithCharacters", "bad character buffer (%p, %ld)", chars,
                        numChars);
    return cf::makeString(chars, static_cast<size_t>(numChars));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString) {
    // Strings are immutable: a string is its own copy.
    return static_cast<CFStringRef>(CFRetain(cf::checkString(theString, "CFStringCreateCopy")));
}

CFIndex CFStringGetLength(CFStringRef theString) {
    return static_cast<CFIndex>(cf::checkString(theString, "CFStringGetLength")->chars.size());
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCharacterAtIndex");
    cf::checkIndex("CFStringGetCharacterAtIndex", idx, static_cast<CFIndex>(s->chars.size()));
    return s->chars[static_cast<size_t>(idx)];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar *buffer) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCharacters");
    cf::checkRange("CFStringGetCharacters", range, static_cast<CFIndex>(s->chars.size()));
    if (buffer == nullptr && range.length > 0)
        CFStandInMisuse("CFStringGetCharacters", "NULL buffer");
    if (range.length > 0)
        std::memcpy(buffer, s->chars.data() + range.location,
                    static_cast<size_t>(range.length) * sizeof(UniChar));
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean, UInt8 *buffer, CFIndex maxBufLen,
                         CFIndex *usedBufLen) {
    const __CFString *s = cf::checkString(theString, "CFStringGetBytes");
    cf::checkRange("CFStringGetBytes", range, static_cast<CFIndex>(s->chars.size()));
    return cf::encode(s->chars.data() + range.location, range.length, encoding, lossByte, buffer,
                      maxBufLen, usedBufLen);
}

Boolean CFStringGetCString(CFStringRef theString, char *buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
    const __CFString *s = cf::checkString(theString, "CFStringGetCString");
    if (buffer == nullptr || bufferSize <= 0)
        return false;
    CFIndex n = static_cast<CFIndex>(s->chars.size()), used = 0;
    CFIndex done = cf::encode(s->chars.data(), n, encoding, 0, reinterpret_cast<UInt8 *>(buffer),
                              bufferSize - 1, &used);
    buffer[done == n ? used : 0] = '\0';
    return done == n;
}

Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding) {
    const __CFString *s = cf::checkString(theString, "CFStringGetPascalString");
    if (buffer == nullptr || bufferSize <= 0)
        return false;
    CFIndex room = bufferSize - 1 < 255 ? bufferSize - 1 : 255;
    CFIndex n = static_cast<CFIndex>(s->chars.size()), used = 0;
    CFIndex done = cf::encode(s->chars.data(), n, encoding, 0, buffer + 1, room, &used);
    buffer[0] = static_cast<unsigned char>(done == n ? used : 0);
    return done == n;
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions) {
    const cf::UniVec &a = cf::checkString(theString1, "CFStringCompare")->chars;
    const cf::UniVec &b = cf::checkString(theString2, "CFStringCompare")->chars;
    const bool fold = (compareOptions & kCFCompareCaseInsensitive) != 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        UniChar x = fold ? foldCase(a[i]) : a[i];
        UniChar y = fold ? foldCase(b[i]) : b[i];
        if (x != y)
            return x < y ? kCFCompareLessThan : kCFCompareGreaterThan;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? kCFCompareLessThan : kCFCompareGreaterThan;
    return kCFCompareEqualTo;
}

} // extern "C"
