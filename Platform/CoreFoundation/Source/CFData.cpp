/*
 * CFData.cpp
 *
 * The plain value objects: byte buffers, dates (seconds since 1 January
 * 2001 GMT) and errors (a code in the Cocoa domain).
 */
#include "CFInternal.h"

namespace {

Boolean equalData(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFData *>(a)->bytes == static_cast<const __CFData *>(b)->bytes;
}

CFHashCode hashData(CFTypeRef cf) {
    return static_cast<const __CFData *>(cf)->bytes.size();
}

Boolean equalDates(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFDate *>(a)->time == static_cast<const __CFDate *>(b)->time;
}

} // namespace

namespace cf {

const CFStandInClass kDataClass = {"CFData", destroyObject<__CFData>, equalData, hashData, nullptr};
const CFStandInClass kDateClass = {"CFDate", destroyObject<__CFDate>, equalDates, nullptr, nullptr};
const CFStandInClass kErrorClass = {"CFError", destroyObject<__CFError>, nullptr, nullptr, nullptr};

CFDateRef makeDate(CFAbsoluteTime time) {
    __CFDate *d = newObject<__CFDate>(kDateTypeID);
    if (d != nullptr)
        d->time = time;
    return d;
}

CFErrorRef makeError(CFIndex code) {
    __CFError *e = newObject<__CFError>(kErrorTypeID);
    if (e != nullptr)
        e->code = code;
    return e;
}

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

CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate) {
    return cf::check<__CFDate>(theDate, cf::kDateTypeID, "CFDateGetAbsoluteTime")->time;
}

CFIndex CFErrorGetCode(CFErrorRef err) {
    return cf::check<__CFError>(err, cf::kErrorTypeID, "CFErrorGetCode")->code;
}

} // extern "C"
