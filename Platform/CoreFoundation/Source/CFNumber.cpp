/*
 * CFNumber.cpp
 *
 * Numbers and booleans. A number keeps its value as a 64-bit integer or a
 * double. CFNumberGetValue converts to the type asked for and reports
 * whether the conversion lost anything; the converted value is stored
 * either way.
 */
#include "CFInternal.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool validType(CFNumberType type) {
    return type >= kCFNumberSInt8Type && type <= kCFNumberMaxType;
}

// The C type a number type stands for: kCFNumberIntType is kCFNumberSInt32Type, ...
CFNumberType canonical(CFNumberType type) {
    switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return kCFNumberSInt8Type;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return kCFNumberSInt16Type;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
        return kCFNumberSInt32Type;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
        return kCFNumberFloat32Type;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType:
        return kCFNumberFloat64Type;
    default: // SInt64, Long, LongLong, CFIndex, NSInteger
        return kCFNumberSInt64Type;
    }
}

template <class T> T load(const void *valuePtr) {
    T v;
    std::memcpy(&v, valuePtr, sizeof v);
    return v;
}

double asDouble(const __CFNumber *n) {
    return n->isFloat ? n->d : static_cast<double>(n->i);
}

Boolean equalNumbers(CFTypeRef x, CFTypeRef y) {
    const auto *a = static_cast<const __CFNumber *>(x);
    const auto *b = static_cast<const __CFNumber *>(y);
    if (!a->isFloat && !b->isFloat)
        return a->i == b->i;
    return asDouble(a) == asDouble(b);
}

CFHashCode hashNumber(CFTypeRef cf) {
    const auto *n = static_cast<const __CFNumber *>(cf);
    if (!n->isFloat)
        return static_cast<CFHashCode>(n->i);
    if (n->d == std::trunc(n->d) && std::fabs(n->d) < 9.2e18)
        return static_cast<CFHashCode>(static_cast<int64_t>(n->d)); // equal numbers hash equal
    uint64_t bits;
    std::memcpy(&bits, &n->d, sizeof bits);
    return static_cast<CFHashCode>(bits);
}

void finalizeNumber(CFTypeRef cf) {
    cf::destroyObject<__CFNumber>(cf);
}

template <class T> bool storeInteger(const __CFNumber *n, void *valuePtr) {
    T out;
    bool exact;
    if (n->isFloat) {
        double d = n->d;
        const double lowest = static_cast<double>(std::numeric_limits<T>::min());
        if (std::isnan(d) || d < lowest || d >= -lowest) {
            // Out of range: saturate.
            out = std::isnan(d) ? 0
                  : d < 0       ? std::numeric_limits<T>::min()
                                : std::numeric_limits<T>::max();
            exact = false;
        } else {
            out = static_cast<T>(d);
            exact = static_cast<double>(out) == d;
        }
    } else {
        out = static_cast<T>(n->i);
        exact = static_cast<int64_t>(out) == n->i;
    }
    std::memcpy(valuePtr, &out, sizeof out);
    return exact;
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
    __CFNumber *n = cf::newObject<__CFNumber>(cf::kNumberTypeID);
    if (n == nullptr)
        return nullptr;
    switch (canonical(theType)) {
    case kCFNumberSInt8Type:
        n->i = load<int8_t>(valuePtr);
        break;
    case kCFNumberSInt16Type:
        n->i = load<int16_t>(valuePtr);
        break;
    case kCFNumberSInt32Type:
        n->i = load<int32_t>(valuePtr);
        break;
    case kCFNumberFloat32Type:
        n->isFloat = true;
        n->d = load<float>(valuePtr);
        break;
    case kCFNumberFloat64Type:
        n->isFloat = true;
        n->d = load<double>(valuePtr);
        break;
    default:
        n->i = load<int64_t>(valuePtr);
        break;
    }
    return n;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
    return cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberIsFloatType")->isFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void *valuePtr) {
    const __CFNumber *n = cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberGetValue");
    if (!validType(theType))
        CFStandInMisuse("CFNumberGetValue", "invalid number type %d", static_cast<int>(theType));
    if (valuePtr == nullptr)
        CFStandInMisuse("CFNumberGetValue", "NULL value pointer");
    switch (canonical(theType)) {
    case kCFNumberSInt8Type:
        return storeInteger<int8_t>(n, valuePtr);
    case kCFNumberSInt16Type:
        return storeInteger<int16_t>(n, valuePtr);
    case kCFNumberSInt32Type:
        return storeInteger<int32_t>(n, valuePtr);
    case kCFNumberSInt64Type:
        return storeInteger<int64_t>(n, valuePtr);
    case kCFNumberFloat32Type: {
        float out = static_cast<float>(asDouble(n));
        std::memcpy(valuePtr, &out, sizeof out);
        if (n->isFloat)
            return std::isnan(n->d) || static_cast<double>(out) == n->d;
        return std::fabs(static_cast<double>(out)) < 9.2e18 && static_cast<int64_t>(out) == n->i;
    }
    default: {
        double out = asDouble(n);
        std::memcpy(valuePtr, &out, sizeof out);
        if (n->isFloat)
            return true;
        return std::fabs(out) < 9.2e18 && static_cast<int64_t>(out) == n->i;
    }
    }
}

} // extern "C"
