/*
 * CFArray.cpp
 *
 * Arrays: ordered values with callbacks that retain, release and compare
 * them (kCFTypeArrayCallBacks for CF objects; NULL callbacks keep raw
 * pointers untouched and compare them by identity).
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
CFHashCode hashType(const void *value) {
    return CFHash(value);
}

void appendValueDescription(CFMutableStringRef text, CFStringRef (*copyDescription)(const void *),
                            const void *value) {
    CFStringRef description = copyDescription != nullptr ? copyDescription(value) : nullptr;
    if (description != nullptr) {
        CFStringAppend(text, description);
        CFRelease(description);
    } else {
        CFStringAppendFormat(text, nullptr, CFSTR("%p"), value);
    }
}

} // namespace cf

namespace {

using cf::equalType;
using cf::releaseType;
using cf::retainType;

void retainValue(const __CFArray *a, const void *value) {
    if (a->callBacks.retain != nullptr)
        a->callBacks.retain(nullptr, value);
}

void releaseValue(const __CFArray *a, const void *value) {
    if (a->callBacks.release != nullptr)
        a->callBacks.release(nullptr, value);
}

bool valuesEqual(const __CFArray *a, const void *x, const void *y) {
    if (x == y)
        return true;
    return a->callBacks.equal != nullptr && x != nullptr && y != nullptr &&
           a->callBacks.equal(x, y);
}

void finalizeArray(CFTypeRef cf) {
    const auto *a = static_cast<const __CFArray *>(cf);
    for (const void *v : a->values)
        releaseValue(a, v);
    cf::destroyObject<__CFArray>(cf);
}

Boolean equalArrays(CFTypeRef x, CFTypeRef y) {
    const auto *a = static_cast<const __CFArray *>(x);
    const auto *b = static_cast<const __CFArray *>(y);
    if (a->values.size() != b->values.size())
        return false;
    for (size_t i = 0; i < a->values.size(); ++i)
        if (!valuesEqual(a, a->values[i], b->values[i]))
            return false;
    return true;
}

CFHashCode hashArray(CFTypeRef cf) {
    return static_cast<const __CFArray *>(cf)->values.size();
}

CFStringRef describeArray(CFTypeRef cf) {
    const auto *a = static_cast<const __CFArray *>(cf);
    CFMutableStringRef text = CFStringCreateMutable(nullptr, 0);
    if (text == nullptr)
        return nullptr;
    CFStringAppendFormat(text, nullptr, CFSTR("<CFArray %p [%zu values]>{"), cf, a->values.size());
    for (size_t i = 0; i < a->values.size(); ++i) {
        if (i > 0)
            CFStringAppend(text, CFSTR(", "));
        cf::appendValueDescription(text, a->callBacks.copyDescription, a->values[i]);
    }
    CFStringAppend(text, CFSTR("}"));
    return text;
}

const __CFArray *checkArray(CFTypeRef cf, const char *call) {
    return cf::check<__CFArray>(cf, cf::kArrayTypeID, call);
}

__CFArray *checkMutableArray(CFTypeRef cf, const char *call) {
    auto *a = const_cast<__CFArray *>(checkArray(cf, call));
    if (!a->isMutable)
        cf::misuse(call, "the array is immutable");
    return a;
}

void checkRoom(const __CFArray *a, size_t extra, const char *call) {
    if (a->capacity > 0 && static_cast<CFIndex>(a->values.size() + extra) > a->capacity)
        cf::misuse(call, "the array is at its capacity %ld", a->capacity);
}

__CFArray *makeArray(const void **values, CFIndex count, const CFArrayCallBacks *callBacks,
                     bool isMutable, CFIndex capacity) {
    __CFArray *a = cf::newObject<__CFArray>(cf::kArrayTypeID);
    if (a == nullptr)
        return nullptr;
    if (callBacks != nullptr)
        a->callBacks = *callBacks;
    a->isMutable = isMutable;
    a->capacity = capacity;
    try {
        a->values.reserve(static_cast<size_t>(count));
    } catch (const std::bad_alloc &) {
        CFRelease(a);
        return nullptr;
    }
    for (CFIndex i = 0; i < count; ++i) {
        retainValue(a, values[i]);
        a->values.push_back(values[i]);
    }
    return a;
}

} // namespace

namespace cf {

const CFStandInClass kArrayClass = {"CFArray", finalizeArray, equalArrays, hashArray,
                                    describeArray};

void setArrayMutable(CFTypeRef array, bool isMutable) {
    const_cast<__CFArray *>(checkArray(array, "CFArray"))->isMutable = isMutable;
}

} // namespace cf

extern "C" {

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, retainType, releaseType, CFCopyDescription,
                                                equalType};

CFTypeID CFArrayGetTypeID(void) {
    return cf::kArrayTypeID;
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void **values, CFIndex numValues,
                         const CFArrayCallBacks *callBacks) {
    if (numValues < 0 || (values == nullptr && numValues > 0))
        cf::misuse("CFArrayCreate", "bad value buffer (%p, %ld)", values, numValues);
    return makeArray(values, numValues, callBacks, false, 0);
}

CFArrayRef CFArrayCreateCopy(CFAllocatorRef, CFArrayRef theArray) {
    const __CFArray *a = checkArray(theArray, "CFArrayCreateCopy");
    return makeArray(const_cast<const void **>(a->values.data()),
                     static_cast<CFIndex>(a->values.size()), &a->callBacks, false, 0);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks *callBacks) {
    if (capacity < 0)
        cf::misuse("CFArrayCreateMutable", "negative capacity %ld", capacity);
    return makeArray(nullptr, 0, callBacks, true, capacity);
}

CFMutableArrayRef CFArrayCreateMutableCopy(CFAllocatorRef, CFIndex capacity, CFArrayRef theArray) {
    const __CFArray *a = checkArray(theArray, "CFArrayCreateMutableCopy");
    if (capacity < 0 || (capacity > 0 && static_cast<CFIndex>(a->values.size()) > capacity))
        cf::misuse("CFArrayCreateMutableCopy", "capacity %ld below the count %zu", capacity,
                   a->values.size());
    return makeArray(const_cast<const void **>(a->values.data()),
                     static_cast<CFIndex>(a->values.size()), &a->callBacks, true, capacity);
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
    return static_cast<CFIndex>(checkArray(theArray, "CFArrayGetCount")->values.size());
}

CFIndex CFArrayGetCountOfValue(CFArrayRef theArray, CFRange range, const void *value) {
    const __CFArray *a = checkArray(theArray, "CFArrayGetCountOfValue");
    cf::checkRange("CFArrayGetCountOfValue", range, static_cast<CFIndex>(a->values.size()));
    CFIndex n = 0;
    for (CFIndex i = range.location; i < range.location + range.length; ++i)
        if (valuesEqual(a, a->values[static_cast<size_t>(i)], value))
            ++n;
    return n;
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void *value) {
    return CFArrayGetFirstIndexOfValue(theArray, range, value) != kCFNotFound;
}

const void *CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
    const __CFArray *a = checkArray(theArray, "CFArrayGetValueAtIndex");
    cf::checkIndex("CFArrayGetValueAtIndex", idx, static_cast<CFIndex>(a->values.size()));
    return a->values[static_cast<size_t>(idx)];
}

void CFArrayGetValues(CFArrayRef theArray, CFRange range, const void **values) {
    const __CFArray *a = checkArray(theArray, "CFArrayGetValues");
    cf::checkRange("CFArrayGetValues", range, static_cast<CFIndex>(a->values.size()));
    if (values == nullptr && range.length > 0)
        cf::misuse("CFArrayGetValues", "NULL buffer");
    for (CFIndex i = 0; i < range.length; ++i)
        values[i] = a->values[static_cast<size_t>(range.location + i)];
}

void CFArrayApplyFunction(CFArrayRef theArray, CFRange range, CFArrayApplierFunction applier,
                          void *context) {
    const __CFArray *a = checkArray(theArray, "CFArrayApplyFunction");
    cf::checkRange("CFArrayApplyFunction", range, static_cast<CFIndex>(a->values.size()));
    if (applier == nullptr)
        cf::misuse("CFArrayApplyFunction", "NULL applier");
    for (CFIndex i = range.location; i < range.location + range.length; ++i)
        applier(a->values[static_cast<size_t>(i)], context);
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void *value) {
    const __CFArray *a = checkArray(theArray, "CFArrayGetFirstIndexOfValue");
    cf::checkRange("CFArrayGetFirstIndexOfValue", range, static_cast<CFIndex>(a->values.size()));
    for (CFIndex i = range.location; i < range.location + range.length; ++i)
        if (valuesEqual(a, a->values[static_cast<size_t>(i)], value))
            return i;
    return kCFNotFound;
}

CFIndex CFArrayGetLastIndexOfValue(CFArrayRef theArray, CFRange range, const void *value) {
    const __CFArray *a = checkArray(theArray, "CFArrayGetLastIndexOfValue");
    cf::checkRange("CFArrayGetLastIndexOfValue", range, static_cast<CFIndex>(a->values.size()));
    for (CFIndex i = range.location + range.length - 1; i >= range.location; --i)
        if (valuesEqual(a, a->values[static_cast<size_t>(i)], value))
            return i;
    return kCFNotFound;
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void *value) {
    __CFArray *a = checkMutableArray(theArray, "CFArrayInsertValueAtIndex");
    if (idx < 0 || idx > static_cast<CFIndex>(a->values.size()))
        cf::misuse("CFArrayInsertValueAtIndex", "index %ld out of bounds (count %zu)", idx,
                   a->values.size());
    checkRoom(a, 1, "CFArrayInsertValueAtIndex");
    try {
        a->values.insert(a->values.begin() + idx, value);
    } catch (const std::bad_alloc &) {
        return; // no memory: the array stays as it was
    }
    retainValue(a, value);
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void *value) {
    __CFArray *a = checkMutableArray(theArray, "CFArrayAppendValue");
    CFArrayInsertValueAtIndex(theArray, static_cast<CFIndex>(a->values.size()), value);
}

void CFArraySetValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void *value) {
    __CFArray *a = checkMutableArray(theArray, "CFArraySetValueAtIndex");
    if (idx == static_cast<CFIndex>(a->values.size())) {
        CFArrayInsertValueAtIndex(theArray, idx, value);
        return;
    }
    cf::checkIndex("CFArraySetValueAtIndex", idx, static_cast<CFIndex>(a->values.size()));
    retainValue(a, value);
    const void *old = a->values[static_cast<size_t>(idx)];
    a->values[static_cast<size_t>(idx)] = value;
    releaseValue(a, old);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx) {
    __CFArray *a = checkMutableArray(theArray, "CFArrayRemoveValueAtIndex");
    cf::checkIndex("CFArrayRemoveValueAtIndex", idx, static_cast<CFIndex>(a->values.size()));
    const void *old = a->values[static_cast<size_t>(idx)];
    a->values.erase(a->values.begin() + idx);
    releaseValue(a, old);
}

void CFArrayRemoveAllValues(CFMutableArrayRef theArray) {
    __CFArray *a = checkMutableArray(theArray, "CFArrayRemoveAllValues");
    cf::Vec<const void *> old;
    old.swap(a->values);
    for (const void *v : old)
        releaseValue(a, v);
}

void CFArrayAppendArray(CFMutableArrayRef theArray, CFArrayRef otherArray, CFRange otherRange) {
    checkMutableArray(theArray, "CFArrayAppendArray");
    const __CFArray *b = checkArray(otherArray, "CFArrayAppendArray");
    cf::checkRange("CFArrayAppendArray", otherRange, static_cast<CFIndex>(b->values.size()));
    for (CFIndex i = otherRange.location; i < otherRange.location + otherRange.length; ++i)
        CFArrayAppendValue(theArray, b->values[static_cast<size_t>(i)]);
}

void CFArrayExchangeValuesAtIndices(CFMutableArrayRef theArray, CFIndex idx1, CFIndex idx2) {
    __CFArray *a = checkMutableArray(theArray, "CFArrayExchangeValuesAtIndices");
    cf::checkIndex("CFArrayExchangeValuesAtIndices", idx1, static_cast<CFIndex>(a->values.size()));
    cf::checkIndex("CFArrayExchangeValuesAtIndices", idx2, static_cast<CFIndex>(a->values.size()));
    std::swap(a->values[static_cast<size_t>(idx1)], a->values[static_cast<size_t>(idx2)]);
}

} // extern "C"
