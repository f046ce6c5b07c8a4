/*
 * CFArray.cpp
 *
 * Arrays: ordered CF objects, retained, released and compared with CFEqual
 * (kCFTypeArrayCallBacks); an array with other callbacks is not carried and
 * CFArrayCreateMutable gives NULL for one. A capacity is not enforced.
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
    for (const void *v : static_cast<const __CFArray *>(cf)->values)
        CFRelease(v);
    cf::destroyObject<__CFArray>(cf);
}

Boolean equalArrays(CFTypeRef x, CFTypeRef y) {
    const auto *a = static_cast<const __CFArray *>(x);
    const auto *b = static_cast<const __CFArray *>(y);
    if (a->values.size() != b->values.size())
        return false;
    for (size_t i = 0; i < a->values.size(); ++i)
        if (!CFEqual(a->values[i], b->values[i]))
            return false;
    return true;
}

CFHashCode hashArray(CFTypeRef cf) {
    return static_cast<const __CFArray *>(cf)->values.size();
}

const __CFArray *checkArray(CFTypeRef cf, const char *call) {
    return cf::check<__CFArray>(cf, cf::kArrayTypeID, call);
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

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks *callBacks) {
    if (capacity < 0)
        CFStandInMisuse("CFArrayCreateMutable", "negative capacity %ld", capacity);
    if (callBacks != &kCFTypeArrayCallBacks)
        return nullptr;
    __CFArray *a = cf::newObject<__CFArray>(cf::kArrayTypeID);
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

void CFArrayAppendValue(CFMutableArrayRef theArray, const void *value) {
    auto *a = const_cast<__CFArray *>(checkArray(theArray, "CFArrayAppendValue"));
    if (!a->isMutable)
        CFStandInMisuse("CFArrayAppendValue", "the array is immutable");
    try {
        a->values.push_back(value);
    } catch (const std::bad_alloc &) {
        return; // no memory: the array stays as it was
    }
    CFRetain(value);
}

} // extern "C"
