/*
 * CFData.cpp
 *
 * Data objects: immutable byte buffers.
 */
#include "CFInternal.h"

namespace {

Boolean equalData(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFData *>(a)->bytes == static_cast<const __CFData *>(b)->bytes;
}

CFHashCode hashData(CFTypeRef cf) {
    return static_cast<const __CFData *>(cf)->bytes.size();
}

} // namespace

namespace cf {

const CFStandInClass kDataClass = {"CFData", destroyObject<__CFData>, equalData, hashData, nullptr};

} // namespace cf

extern "C" {

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8 *bytes, CFIndex length) {
    if (length < 0 || (bytes == nullptr && length > 0))
        CFStandInMisuse("CFDataCreate", "bad byte buffer (%p, %ld)", bytes, length);
    __CFData *d = cf::newObject<__CFData>(cf::kDataTypeID);
    if (d == nullptr)
        return nullptr;
    try {
        d->bytes.assign(bytes, bytes + length);
    } catch (const std::bad_alloc &) {
        CFRelease(d);
        return nullptr;
    }
    return d;
}

CFIndex CFDataGetLength(CFDataRef theData) {
    return static_cast<CFIndex>(
        cf::check<__CFData>(theData, cf::kDataTypeID, "CFDataGetLength")->bytes.size());
}

const UInt8 *CFDataGetBytePtr(CFDataRef theData) {
    const __CFData *d = cf::check<__CFData>(theData, cf::kDataTypeID, "CFDataGetBytePtr");
    return d->bytes.empty() ? nullptr : d->bytes.data();
}

} // extern "C"
