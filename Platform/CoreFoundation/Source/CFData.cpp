/*
 * CFData.cpp
 *
 * Data objects: immutable byte buffers.
 */
#include "CFInternal.h"

namespace cf {
const CFStandInClass kDataClass = {"CFData", destroyObject<__CFData>, nullptr};
}

extern "C" {

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8 *bytes, CFIndex length) {
    if (length < 0 || (bytes == nullptr && length > 0))
        CFStandInMisuse("CFDataCreate", "bad byte buffer (%p, %ld)", bytes, length);
    return cf::orNull([&] {
        cf::Owned<__CFData *> d(cf::newObject<__CFData>(cf::kDataTypeID));
        d.get()->bytes.assign(bytes, bytes + length);
        return static_cast<CFDataRef>(d.release());
    });
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
