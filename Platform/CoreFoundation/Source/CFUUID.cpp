/*
 * CFUUID.cpp
 *
 * UUID objects, uniqued by their 16 bytes: while an object for a byte
 * pattern lives, every create call for the same bytes returns it with its
 * retain count raised, so identity is equality. Constant UUIDs are never
 * freed. Text is parsed by libuuid.
 */
#include "CFInternal.h"

#include <cstring>
#include <map>
#include <uuid/uuid.h>

namespace {

// The uniquing table: bookkeeping, on the ordinary heap.
std::map<CFUUIDBytes, __CFUUID *, cf::UUIDLess> &table() {
    static auto *t = new std::map<CFUUIDBytes, __CFUUID *, cf::UUIDLess>();
    return *t;
}

void finalizeUUID(CFTypeRef cf) {
    table().erase(static_cast<const __CFUUID *>(cf)->bytes);
    cf::destroyObject<__CFUUID>(cf);
}

// The object for bytes: the live one with its retain count raised, or a new one.
__CFUUID *uniqued(const CFUUIDBytes &bytes) {
    auto found = table().find(bytes);
    if (found != table().end()) {
        CFRetain(found->second);
        return found->second;
    }
    __CFUUID *u = cf::orNull([] { return cf::newObject<__CFUUID>(cf::kUUIDTypeID); });
    if (u != nullptr) {
        u->bytes = bytes;
        table().emplace(bytes, u);
    }
    return u;
}

} // namespace

namespace cf {
const CFStandInClass kUUIDClass = {"CFUUID", finalizeUUID, nullptr};
}

extern "C" {

CFUUIDRef CFUUIDCreateFromUUIDBytes(CFAllocatorRef, CFUUIDBytes bytes) {
    return uniqued(bytes);
}

CFUUIDRef CFUUIDCreateFromString(CFAllocatorRef, CFStringRef uuidStr) {
    cf::checkString(uuidStr, "CFUUIDCreateFromString");
    char text[40];
    uuid_t raw;
    if (!CFStringGetCString(uuidStr, text, sizeof text, kCFStringEncodingASCII) ||
        uuid_parse(text, raw) != 0)
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
    cf::InjectionPause pause; // a constant is neither counted nor refused
    __CFUUID *u = uniqued(bytes);
    cf::makeImmortal(u); // from now on the pattern's object is a constant
    return u;
}

CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid) {
    return cf::check<__CFUUID>(uuid, cf::kUUIDTypeID, "CFUUIDGetUUIDBytes")->bytes;
}

} // extern "C"
