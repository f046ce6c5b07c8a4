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

#include <cstring>

namespace {

bool validType(CFNumberType type) {
    return type >= kCFNumberSInt8Type && type <= kCFNumberMaxType;
}

// The size in bytes of an integer type (kCFNumberIntType is 4, ...); 0 for
// a floating-point type.
size_t integerSize(CFNumberType type) {
    switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return 1;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return 2;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
        return 4;
    case kCFNumberFloat32Type:
    case kCFNumberFloat64Type:
    case kCFNumberFloatType:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType:
        return 0;
    default: // SInt64, Long, LongLong, CFIndex, NSInteger
        return 8;
    }
}

Boolean equalNumbers(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFNumber *>(a)->i == static_cast<const __CFNumber *>(b)->i;
}

CFHashCode hashNumber(CFTypeRef cf) {
    return static_cast<CFHashCode>(static_cast<const __CFNumber *>(cf)->i);
}

void finalizeNumber(CFTypeRef cf) {
    cf::destroyObject<__CFNumber>(cf);
}

template <class T> bool store(int64_t value, void *valuePtr) {
    T out = static_cast<T>(value);
    std::memcpy(valuePtr, &out, sizeof out);
    return static_cast<int64_t>(out) == value;
}

template <class T> int64_t load(const void *valuePtr) {
    T value;
    std::memcpy(&value, valuePtr, sizeof value);
    return value;
}

} // namespace

namespace cf {
__CFBoolean gBooleanTrue = {{kMagic, true, kBooleanTypeID, kImmortalRetainCount}, true};
__CFBoolean gBooleanFalse = {{kMagic, true, kBooleanTypeID, kImmortalRetainCount}, false};
const CFStandInClass kNumberClass = {"CFNumber", finalizeNumber, equalNumbers, hashNumber, nullptr};
const CFStandInClass kBooleanClass = {"CFBoolean", nullptr, nullptr, nullptr, nullptr};
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
    if (!validType(theType))
        CFStandInMisuse("CFNumberCreate", "invalid number type %d", static_cast<int>(theType));
    if (valuePtr == nullptr)
        CFStandInMisuse("CFNumberCreate", "NULL value pointer");
    size_t size = integerSize(theType);
    __CFNumber *n = size != 0 ? cf::newObject<__CFNumber>(cf::kNumberTypeID) : nullptr;
    if (n != nullptr)
        n->i = size == 1   ? load<int8_t>(valuePtr)
               : size == 2 ? load<int16_t>(valuePtr)
               : size == 4 ? load<int32_t>(valuePtr)
                           : load<int64_t>(valuePtr);
    return n;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void *valuePtr) {
    const __CFNumber *n = cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberGetValue");
    if (!validType(theType))
        CFStandInMisuse("CFNumberGetValue", "invalid number type %d", static_cast<int>(theType));
    if (valuePtr == nullptr)
        CFStandInMisuse("CFNumberGetValue", "NULL value pointer");
    switch (integerSize(theType)) {
    case 1:
        return store<int8_t>(n->i, valuePtr);
    case 2:
        return store<int16_t>(n->i, valuePtr);
    case 4:
        return store<int32_t>(n->i, valuePtr);
    case 8:
        return store<int64_t>(n->i, valuePtr);
    default:
        return false;
    }
}

} // extern "C"
