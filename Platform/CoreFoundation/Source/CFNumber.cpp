/*
 * CFNumber.cpp
 *
 * Numbers and booleans. A number keeps its value as a 64-bit integer; the
 * floating-point types are not carried (CFNumberCreate gives NULL,
 * CFNumberGetValue false). CFNumberGetValue converts to the integer type
 * asked for and reports whether the conversion lost anything; the
 * converted value is stored either way.
 */
#include "CFInternal.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the low bytes of a value come first");

namespace {

// The size in bytes of each number type by its value; 0 for the
// floating-point types.
const unsigned char kSizes[kCFNumberMaxType + 1] = {0, 1, 2, 4, 8, 0, 0, 1, 2,
                                                    4, 8, 8, 0, 0, 8, 8, 0};

// The size of theType, or misuse for an invalid type or a NULL value pointer.
size_t sizeOf(CFNumberType theType, const void *valuePtr, const char *call) {
    if (theType < kCFNumberSInt8Type || theType > kCFNumberMaxType)
        CFStandInMisuse(call, "invalid number type %d", static_cast<int>(theType));
    if (valuePtr == nullptr)
        CFStandInMisuse(call, "NULL value pointer");
    return kSizes[theType];
}

// The signed integer of size bytes at valuePtr.
int64_t load(const void *valuePtr, size_t size) {
    return size == 1   ? *static_cast<const int8_t *>(valuePtr)
           : size == 2 ? *static_cast<const int16_t *>(valuePtr)
           : size == 4 ? *static_cast<const int32_t *>(valuePtr)
                       : *static_cast<const int64_t *>(valuePtr);
}

Boolean equalNumbers(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFNumber *>(a)->i == static_cast<const __CFNumber *>(b)->i;
}

} // namespace

namespace cf {
__CFBoolean gBooleanTrue = {{kBooleanTypeID, kImmortalRetainCount}, true};
__CFBoolean gBooleanFalse = {{kBooleanTypeID, kImmortalRetainCount}, false};
const CFStandInClass kNumberClass = {"CFNumber", destroyObject<__CFNumber>, equalNumbers};
const CFStandInClass kBooleanClass = {"CFBoolean", nullptr, nullptr};
} // namespace cf

extern "C" {

const CFBooleanRef kCFBooleanTrue = &cf::gBooleanTrue;
const CFBooleanRef kCFBooleanFalse = &cf::gBooleanFalse;

CFTypeID CFBooleanGetTypeID(void) {
    return cf::kBooleanTypeID;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
    return cf::check<__CFBoolean>(boolean, cf::kBooleanTypeID, "CFBooleanGetValue")->value;
}

CFTypeID CFNumberGetTypeID(void) {
    return cf::kNumberTypeID;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void *valuePtr) {
    size_t size = sizeOf(theType, valuePtr, "CFNumberCreate");
    __CFNumber *n = size != 0
                        ? cf::orNull([] { return cf::newObject<__CFNumber>(cf::kNumberTypeID); })
                        : nullptr;
    if (n != nullptr)
        n->i = load(valuePtr, size);
    return n;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void *valuePtr) {
    int64_t value = cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberGetValue")->i;
    size_t size = sizeOf(theType, valuePtr, "CFNumberGetValue");
    if (size == 0)
        return false;
    std::memcpy(valuePtr, &value, size); // the low bytes, on a little-endian host
    return load(valuePtr, size) == value;
}

} // extern "C"
