/*
 * CFArray.cpp
 *
 * Arrays: ordered values with callbacks that retain, release and compare
 * them (kCFTypeArrayCallBacks for CF objects; NULL callbacks keep raw
 * pointers untouched and compare them by identity). A capacity is not
 * enforced.
 */
#include "CFInternal.h"

namespace cf {

const void *retainType(CFAllocatorRef, const void *value) {
    return CFRetain(value);
}
void releaseType(CFAllocatorRef, const void *value) {
    CFRelease(value);
}
Boolean equalType(const void *a, const void *b) {
    return CFEqual(a, b);
}

} // namespace cf

namespace {

void finalizeArray(CFTypeRef cf) {
    const auto *a = static_cast<const __CFArray *>(cf);
    if (a->callBacks.release != nullptr)
        for (const void *v : a->values)
            a->callBacks.release(nullptr, v);
    cf::destroyObject<__CFArray>(cf);
}

Boolean equalArrays(CFTypeRef x, CFTypeRef y) {
    const auto *a = static_cast<const __CFArray *>(x);
    const auto *b = static_cast<const __CFArray *>(y);
    if (a->values.size() != b->values.size())
        return false;
    for (size_t i = 0; i < a->values.size(); ++i)
        if (a->values[i] != b->values[i] &&
            (a->callBacks.equal == nullptr || !a->callBacks.equal(a->values[i], b->values[i])))
            return false;
    return true;
}

CFHashCode hashArray(CFTypeRef cf) {
    return static_cast<const __CFArray *>(cf)->values.size();
}

const __CFArray *checkArray(CFTypeRef cf, const char *call) {
    return cf::check<__CFArray>(cf, cf::kArrayTypeID, call);
}

__CFArray *makeArray(const void **values, CFIndex count, const CFArrayCallBacks *callBacks,
                     bool isMutable) {
    __CFArray *a = cf::newObject<__CFArray>(cf::kArrayTypeID);
    if (a == nullptr)
        return nullptr;
    if (callBacks != nullptr)
        a->callBacks = *callBacks;
    a->isMutable = isMutable;
    try {
        a->values.reserve(static_cast<size_t>(count));
    } catch (const std::bad_alloc &) {
        CFRelease(a);
        return nullptr;
    }
    for (CFIndex i = 0; i < count; ++i) {
        if (a->callBacks.retain != nullptr)
            a->callBacks.retain(nullptr, values[i]);
        a->values.push_back(values[i]);
    }
    return a;
}

} // namespace

namespace cf {

const CFStandInClass kArrayClass = {"CFArray", finalizeArray, equalArrays, hashArray, nullptr};

void setArrayMutable(CFTypeRef array, bool isMutable) {
    const_cast<__CFArray *>(checkArray(array, "CFArray"))->isMutable = isMutable;
}

} // namespace cf

extern "C" {

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, cf::retainType, cf::releaseType, nullptr,
                                                cf::equalType};

CFTypeID CFArrayGetTypeID(void) {
    return cf::kArrayTypeID;
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void **values, CFIndex numValues,
                         const CFArrayCallBacks *callBacks) {
    if (numValues < 0 || (values == nullptr && numValues > 0))
        CFStandInMisuse("CFArrayCreate", "bad value buffer (%p, %ld)", values, numValues);
    return makeArray(values, numValues, callBacks, false);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks *callBacks) {
    if (capacity < 0)
        CFStandInMisuse("CFArrayCreateMutable", "negative capacity %ld", capacity);
    return makeArray(nullptr, 0, callBacks, true);
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
    return static_cast<CFIndex>(checkArray(theArray, "CFArrayGetCount")->values.size());
}

const void *CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
    const __CFArray *a = checkArray(theArray, "CFArrayGetValueAtIndex");
    cf::checkIndex("CFArrayGetValueAtIndex", idx, static_cast<CFIndex>(a->values.size()));
    return a->values[static_cast<size_t>(idx)];
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void *value) {
    auto *a = const_cast<__CFArray *>(checkArray(theArray, "CFArrayAppendValue"));
    if (!a->isMutable)
        CFStandInMisuse("CFArrayAppendValue", "the array is immutable");
    try {
        a->values.push_back(value);
    } catch (const std::bad_alloc &) {
        return; // no memory: the array stays as it was
    }
    if (a->callBacks.retain != nullptr)
        a->callBacks.retain(nullptr, value);
}

} // extern "C"
