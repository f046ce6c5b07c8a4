/*
 * CFNumber.cpp
 *
 * Numbers and booleans. A number keeps its value as a 64-bit integer or a
 * double together with its canonical type (kCFNumberIntType is kept as
 * kCFNumberSInt32Type, kCFNumberLongType as kCFNumberSInt64Type, ...).
 * CFNumberGetValue converts to the type asked for and reports whether the
 * conversion lost anything; the converted value is stored either way.
 */
#include "CFInternal.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct TypeInfo {
    CFNumberType canonical;
    bool isFloat;
    int size;
};

bool validType(CFNumberType type) {
    return type >= kCFNumberSInt8Type && type <= kCFNumberMaxType;
}

TypeInfo info(CFNumberType type) {
    switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return {kCFNumberSInt8Type, false, 1};
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return {kCFNumberSInt16Type, false, 2};
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
        return {kCFNumberSInt32Type, false, 4};
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
        return {kCFNumberFloat32Type, true, 4};
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType:
        return {kCFNumberFloat64Type, true, 8};
    default: // SInt64, Long, LongLong, CFIndex, NSInteger
        return {kCFNumberSInt64Type, false, 8};
    }
}

double asDouble(const __CFNumber *n) {
    return n->isFloat ? n->d : static_cast<double>(n->i);
}

Boolean equalNumbers(CFTypeRef a, CFTypeRef b) {
    return CFNumberCompare(static_cast<CFNumberRef>(a), static_cast<CFNumberRef>(b), nullptr) ==
           kCFCompareEqualTo;
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

CFStringRef describeNumber(CFTypeRef cf) {
    const auto *n = static_cast<const __CFNumber *>(cf);
    if (n->isFloat)
        return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%g"), n->d);
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%lld"), static_cast<long long>(n->i));
}

void finalizeNumber(CFTypeRef cf) {
    cf::destroyObject<__CFNumber>(cf);
}

CFStringRef describeBoolean(CFTypeRef cf) {
    return static_cast<CFStringRef>(
        CFRetain(static_cast<const __CFBoolean *>(cf)->value ? CFSTR("true") : CFSTR("false")));
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

const CFStandInClass kNumberClass = {"CFNumber", finalizeNumber, equalNumbers, hashNumber,
                                     describeNumber};
const CFStandInClass kBooleanClass = {"CFBoolean", nullptr, nullptr, nullptr, describeBoolean};
} // namespace cf

namespace {
__CFNumber *makeConstantNumber(double value) {
    cf::InjectionPause pause;
    auto *n = new __CFNumber();
    n->type = kCFNumberFloat64Type;
    n->isFloat = true;
    n->d = value;
    cf::registerImmortal(n, cf::kNumberTypeID);
    return n;
}
} // namespace

extern "C" {

const CFBooleanRef kCFBooleanTrue = &cf::gBooleanTrue;
const CFBooleanRef kCFBooleanFalse = &cf::gBooleanFalse;
const CFNumberRef kCFNumberPositiveInfinity = makeConstantNumber(HUGE_VAL);
const CFNumberRef kCFNumberNegativeInfinity = makeConstantNumber(-HUGE_VAL);
const CFNumberRef kCFNumberNaN = makeConstantNumber(NAN);

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
        cf::misuse("CFNumberCreate", "invalid number type %d", static_cast<int>(theType));
    if (valuePtr == nullptr)
        cf::misuse("CFNumberCreate", "NULL value pointer");
    __CFNumber *n = cf::newObject<__CFNumber>(cf::kNumberTypeID);
    if (n == nullptr)
        return nullptr;
    TypeInfo ti = info(theType);
    n->type = ti.canonical;
    n->isFloat = ti.isFloat;
    switch (ti.canonical) {
    case kCFNumberSInt8Type: {
        int8_t v;
        std::memcpy(&v, valuePtr, 1);
        n->i = v;
        break;
    }
    case kCFNumberSInt16Type: {
        int16_t v;
        std::memcpy(&v, valuePtr, 2);
        n->i = v;
        break;
    }
    case kCFNumberSInt32Type: {
        int32_t v;
        std::memcpy(&v, valuePtr, 4);
        n->i = v;
        break;
    }
    case kCFNumberFloat32Type: {
        float v;
        std::memcpy(&v, valuePtr, 4);
        n->d = v;
        break;
    }
    case kCFNumberFloat64Type: {
        double v;
        std::memcpy(&v, valuePtr, 8);
        n->d = v;
        break;
    }
    default: {
        int64_t v;
        std::memcpy(&v, valuePtr, 8);
        n->i = v;
        break;
    }
    }
    return n;
}

CFNumberType CFNumberGetType(CFNumberRef number) {
    return cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberGetType")->type;
}

CFIndex CFNumberGetByteSize(CFNumberRef number) {
    return info(cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberGetByteSize")->type).size;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
    return cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberIsFloatType")->isFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void *valuePtr) {
    const __CFNumber *n = cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberGetValue");
    if (!validType(theType))
        cf::misuse("CFNumberGetValue", "invalid number type %d", static_cast<int>(theType));
    if (valuePtr == nullptr)
        cf::misuse("CFNumberGetValue", "NULL value pointer");
    switch (info(theType).canonical) {
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

CFComparisonResult CFNumberCompare(CFNumberRef number, CFNumberRef otherNumber, void *) {
    const __CFNumber *a = cf::check<__CFNumber>(number, cf::kNumberTypeID, "CFNumberCompare");
    const __CFNumber *b = cf::check<__CFNumber>(otherNumber, cf::kNumberTypeID, "CFNumberCompare");
    if (!a->isFloat && !b->isFloat)
        return a->i < b->i   ? kCFCompareLessThan
               : a->i > b->i ? kCFCompareGreaterThan
                             : kCFCompareEqualTo;
    double x = asDouble(a), y = asDouble(b);
    if (std::isnan(x) || std::isnan(y)) // NaN sorts below every number, equal to itself
        return std::isnan(x) && std::isnan(y) ? kCFCompareEqualTo
               : std::isnan(x)                ? kCFCompareLessThan
                                              : kCFCompareGreaterThan;
    return x < y ? kCFCompareLessThan : x > y ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

} // extern "C"
