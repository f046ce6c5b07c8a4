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

} // extern "C"
