/*
 * CFUUID.cpp
 *
 * UUID objects, uniqued by their 16 bytes: while an object for a byte
 * pattern lives, every create call for the same bytes returns it with its
 * retain count raised. Constant UUIDs are never freed. Text is parsed and
 * written by libuuid.
 */
#include "CFInternal.h"

#include <array>
#include <cstring>
#include <map>
#include <uuid/uuid.h>

namespace {

using Key = std::array<UInt8, 16>;

// The uniquing table: bookkeeping, on the ordinary heap.
std::map<Key, __CFUUID *> &table() {
    static auto *t = new std::map<Key, __CFUUID *>();
    return *t;
}

Key keyOf(const CFUUIDBytes &bytes) {
    Key k;
    std::memcpy(k.data(), &bytes, 16);
    return k;
}

void finalizeUUID(CFTypeRef cf) {
    const auto *u = static_cast<const __CFUUID *>(cf);
    table().erase(keyOf(u->bytes));
    cf::destroyObject<__CFUUID>(cf);
}

CFStringRef describeUUID(CFTypeRef cf) {
    CFStringRef text = CFUUIDCreateString(nullptr, static_cast<CFUUIDRef>(cf));
    if (text == nullptr)
        return nullptr;
    CFStringRef desc =
        CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFUUID %p> %@"), cf, text);
    CFRelease(text);
    return desc;
}

// UUIDs are unique per byte pattern, so identity is equality.
CFHashCode hashUUID(CFTypeRef cf) {
    const auto *u = static_cast<const __CFUUID *>(cf);
    CFHashCode h;
    std::memcpy(&h, &u->bytes, sizeof h);
    return h;
}

CFUUIDRef uniqued(const CFUUIDBytes &bytes) {
    Key k = keyOf(bytes);
    auto found = table().find(k);
    if (found != table().end())
        return static_cast<CFUUIDRef>(CFRetain(found->second));
    __CFUUID *u = cf::newObject<__CFUUID>(cf::kUUIDTypeID);
    if (u == nullptr)
        return nullptr;
    u->bytes = bytes;
    table().emplace(k, u);
    return u;
}

CFUUIDBytes bytesOf(UInt8 b0, UInt8 b1, UInt8 b2, UInt8 b3, UInt8 b4, UInt8 b5, UInt8 b6, UInt8 b7,
                    UInt8 b8, UInt8 b9, UInt8 b10, UInt8 b11, UInt8 b12, UInt8 b13, UInt8 b14,
                    UInt8 b15) {
    return CFUUIDBytes{b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15};
}

} // namespace

namespace cf {
const CFStandInClass kUUIDClass = {"CFUUID", finalizeUUID, nullptr, hashUUID, describeUUID};
}

extern "C" {

CFTypeID CFUUIDGetTypeID(void) {
    return cf::kUUIDTypeID;
}

CFUUIDRef CFUUIDCreate(CFAllocatorRef) {
    uuid_t raw;
    uuid_generate(raw);
    CFUUIDBytes bytes;
    std::memcpy(&bytes, raw, 16);
    return uniqued(bytes);
}

CFUUIDRef CFUUIDCreateWithBytes(CFAllocatorRef, UInt8 byte0, UInt8 byte1, UInt8 byte2, UInt8 byte3,
                                UInt8 byte4, UInt8 byte5, UInt8 byte6, UInt8 byte7, UInt8 byte8,
                                UInt8 byte9, UInt8 byte10, UInt8 byte11, UInt8 byte12, UInt8 byte13,
                                UInt8 byte14, UInt8 byte15) {
    return uniqued(bytesOf(byte0, byte1, byte2, byte3, byte4, byte5, byte6, byte7, byte8, byte9,
                           byte10, byte11, byte12, byte13, byte14, byte15));
}

CFUUIDRef CFUUIDCreateFromUUIDBytes(CFAllocatorRef, CFUUIDBytes bytes) {
    return uniqued(bytes);
}

CFUUIDRef CFUUIDCreateFromString(CFAllocatorRef, CFStringRef uuidStr) {
    cf::checkString(uuidStr, "CFUUIDCreateFromString");
    char text[40];
    if (!CFStringGetCString(uuidStr, text, sizeof text, kCFStringEncodingASCII))
        return nullptr;
    char *start = text;
    size_t len = std::strlen(text);
    if (len == 38 && text[0] == '{' && text[37] == '}') { // registry form "{...}"
        text[37] = '\0';
        ++start;
    }
    uuid_t raw;
    if (uuid_parse(start, raw) != 0)
        return nullptr;
    CFUUIDBytes bytes;
    std::memcpy(&bytes, raw, 16);
    return uniqued(bytes);
}

CFStringRef CFUUIDCreateString(CFAllocatorRef alloc, CFUUIDRef uuid) {
    const __CFUUID *u = cf::check<__CFUUID>(uuid, cf::kUUIDTypeID, "CFUUIDCreateString");
    uuid_t raw;
    std::memcpy(raw, &u->bytes, 16);
    char text[37];
    uuid_unparse_upper(raw, text);
    return CFStringCreateWithCString(alloc, text, kCFStringEncodingASCII);
}

CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef, UInt8 byte0, UInt8 byte1, UInt8 byte2,
                                         UInt8 byte3, UInt8 byte4, UInt8 byte5, UInt8 byte6,
                                         UInt8 byte7, UInt8 byte8, UInt8 byte9, UInt8 byte10,
                                         UInt8 byte11, UInt8 byte12, UInt8 byte13, UInt8 byte14,
                                         UInt8 byte15) {
    CFUUIDBytes bytes = bytesOf(byte0, byte1, byte2, byte3, byte4, byte5, byte6, byte7, byte8,
                                byte9, byte10, byte11, byte12, byte13, byte14, byte15);
    Key k = keyOf(bytes);
    auto found = table().find(k);
    if (found != table().end()) {
        cf::makeImmortal(found->second); // from now on the pattern's object is a constant
        return found->second;
    }
    cf::InjectionPause pause;
    auto *u = new __CFUUID();
    u->bytes = bytes;
    cf::registerImmortal(u, cf::kUUIDTypeID);
    table().emplace(k, u);
    return u;
}

CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid) {
    return cf::check<__CFUUID>(uuid, cf::kUUIDTypeID, "CFUUIDGetUUIDBytes")->bytes;
}

} // extern "C"
