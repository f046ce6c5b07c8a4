/*
 * CFArray.cpp
 *
 * Arrays: ordered CF objects, retained, released and compared with CFEqual
 * (kCFTypeArrayCallBacks); an array with other callbacks is not carried and
 * CFArrayCreateMutable gives NULL for one. A capacity is not enforced.
 */
#include "CFInternal.h"

#include <algorithm>

namespace {

void finalizeArray(CFTypeRef cf) {
    for (const void *v : static_cast<const __CFArray *>(cf)->values)
        CFRelease(v);
    cf::destroyObject<__CFArray>(cf);
}

Boolean equalArrays(CFTypeRef x, CFTypeRef y) {
    const auto &a = static_cast<const __CFArray *>(x)->values;
    const auto &b = static_cast<const __CFArray *>(y)->values;
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), CFEqual);
}

__CFArray *checkArray(CFTypeRef cf, const char *call) {
    return cf::check<__CFArray>(cf, cf::kArrayTypeID, call);
}

} // namespace

namespace cf {

const CFStandInClass kArrayClass = {"CFArray", finalizeArray, equalArrays};

CFMutableArrayRef makeArray() {
    return newObject<__CFArray>(kArrayTypeID);
}

void arrayAppend(CFArrayRef array, const void *value) {
    const_cast<__CFArray *>(array)->values.push_back(value);
    CFRetain(value);
}

} // namespace cf

extern "C" {

// Only the address counts: the arrays of the layer hold CF objects.
const CFArrayCallBacks kCFTypeArrayCallBacks = {0, nullptr, nullptr, nullptr, nullptr};

CFTypeID CFArrayGetTypeID(void) {
    return cf::kArrayTypeID;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks *callBacks) {
    if (capacity < 0)
        CFStandInMisuse("CFArrayCreateMutable", "negative capacity %ld", capacity);
    __CFArray *a = callBacks == &kCFTypeArrayCallBacks ? cf::orNull(cf::makeArray) : nullptr;
    if (a != nullptr)
        a->isMutable = true;
    return a;
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
    return static_cast<CFIndex>(checkArray(theArray, "CFArrayGetCount")->values.size());
}

const void *CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
    const __CFArray *a = checkArray(theArray, "CFArrayGetValueAtIndex");
    cf::checkIndex("CFArrayGetValueAtIndex", idx, static_cast<CFIndex>(a->values.size()));
    return a->values[static_cast<size_t>(idx)];
}

// A failed allocation leaves the array as it was.
void CFArrayAppendValue(CFMutableArrayRef theArray, const void *value) {
    if (!checkArray(theArray, "CFArrayAppendValue")->isMutable)
        CFStandInMisuse("CFArrayAppendValue", "the array is immutable");
    cf::checkAny(value, "CFArrayAppendValue");
    try {
        cf::arrayAppend(theArray, value);
    } catch (const std::bad_alloc &) {
    }
}

} // extern "C"
