/*
 * CFUUID.cpp
 *
 * UUID objects, uniqued by their 16 bytes: while an object for a byte
 * pattern lives, every create call for the same bytes returns it with its
 * retain count raised. Constant UUIDs are never freed. Text is parsed by
 * libuuid.
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

} // namespace

namespace cf {
const CFStandInClass kUUIDClass = {"CFUUID", finalizeUUID, nullptr, hashUUID, nullptr};
}

extern "C" {

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

CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef, UInt8 byte0, UInt8 byte1, UInt8 byte2,
                                         UInt8 byte3, UInt8 byte4, UInt8 byte5, UInt8 byte6,
                                         UInt8 byte7, UInt8 byte8, UInt8 byte9, UInt8 byte10,
                                         UInt8 byte11, UInt8 byte12, UInt8 byte13, UInt8 byte14,
                                         UInt8 byte15) {
    CFUUIDBytes bytes = {byte0, byte1, byte2,  byte3,  byte4,  byte5,  byte6,  byte7,
                         byte8, byte9, byte10, byte11, byte12, byte13, byte14, byte15};
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
