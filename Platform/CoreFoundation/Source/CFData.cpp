/*
 * CFData.cpp
 *
 * Byte buffers, immutable and mutable. Mutable data has an optional
 * capacity; growing beyond it is a misuse.
 */
#include "CFInternal.h"

#include <cstring>

namespace {

Boolean equalData(CFTypeRef a, CFTypeRef b) {
    return static_cast<const __CFData *>(a)->bytes == static_cast<const __CFData *>(b)->bytes;
}

CFHashCode hashData(CFTypeRef cf) {
    const auto &bytes = static_cast<const __CFData *>(cf)->bytes;
    CFHashCode h = 1469598103934665603UL;
    for (size_t i = 0; i < bytes.size() && i < 80; ++i) {
        h ^= bytes[i];
        h *= 1099511628211UL;
    }
    return h ^ bytes.size();
}

CFStringRef describeData(CFTypeRef cf) {
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CFData %p [%zu bytes]>"), cf,
                                    static_cast<const __CFData *>(cf)->bytes.size());
}

void finalizeData(CFTypeRef cf) {
    cf::destroyObject<__CFData>(cf);
}

const __CFData *checkData(CFTypeRef cf, const char *call) {
    return cf::check<__CFData>(cf, cf::kDataTypeID, call);
}

__CFData *checkMutableData(CFTypeRef cf, const char *call) {
    auto *d = const_cast<__CFData *>(checkData(cf, call));
    if (!d->isMutable)
        cf::misuse(call, "the data object is immutable");
    return d;
}

void checkCapacity(const __CFData *d, size_t length, const char *call) {
    if (d->capacity > 0 && static_cast<CFIndex>(length) > d->capacity)
        cf::misuse(call, "length %zu exceeds the capacity %ld", length, d->capacity);
}

__CFData *makeData(const UInt8 *bytes, CFIndex length, bool isMutable, CFIndex capacity) {
    __CFData *d = cf::newObject<__CFData>(cf::kDataTypeID);
    if (d == nullptr)
        return nullptr;
    d->isMutable = isMutable;
    d->capacity = capacity;
    try {
        if (length > 0)
            d->bytes.assign(bytes, bytes + length);
    } catch (const std::bad_alloc &) {
        CFRelease(d);
        return nullptr;
    }
    return d;
}

} // namespace

namespace cf {
const CFStandInClass kDataClass = {"CFData", finalizeData, equalData, hashData, describeData};
}

extern "C" {

CFTypeID CFDataGetTypeID(void) {
    return cf::kDataTypeID;
}

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8 *bytes, CFIndex length) {
    if (length < 0 || (bytes == nullptr && length > 0))
        cf::misuse("CFDataCreate", "bad byte buffer (%p, %ld)", bytes, length);
    return makeData(bytes, length, false, 0);
}

CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef allocator, const UInt8 *bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator) {
    CFDataRef d = CFDataCreate(allocator, bytes, length);
    // The bytes are copied; the buffer handed over is given back at once.
    if (d != nullptr && bytesDeallocator != kCFAllocatorNull)
        CFAllocatorDeallocate(bytesDeallocator, const_cast<UInt8 *>(bytes));
    return d;
}

CFDataRef CFDataCreateCopy(CFAllocatorRef, CFDataRef theData) {
    const __CFData *d = checkData(theData, "CFDataCreateCopy");
    if (!d->isMutable)
        return static_cast<CFDataRef>(CFRetain(d));
    return makeData(d->bytes.data(), static_cast<CFIndex>(d->bytes.size()), false, 0);
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex capacity) {
    if (capacity < 0)
        cf::misuse("CFDataCreateMutable", "negative capacity %ld", capacity);
    return makeData(nullptr, 0, true, capacity);
}

CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef, CFIndex capacity, CFDataRef theData) {
    const __CFData *d = checkData(theData, "CFDataCreateMutableCopy");
    if (capacity < 0)
        cf::misuse("CFDataCreateMutableCopy", "negative capacity %ld", capacity);
    if (capacity > 0 && static_cast<CFIndex>(d->bytes.size()) > capacity)
        cf::misuse("CFDataCreateMutableCopy", "capacity %ld below the length", capacity);
    return makeData(d->bytes.data(), static_cast<CFIndex>(d->bytes.size()), true, capacity);
}

CFIndex CFDataGetLength(CFDataRef theData) {
    return static_cast<CFIndex>(checkData(theData, "CFDataGetLength")->bytes.size());
}

const UInt8 *CFDataGetBytePtr(CFDataRef theData) {
    const __CFData *d = checkData(theData, "CFDataGetBytePtr");
    return d->bytes.empty() ? nullptr : d->bytes.data();
}

UInt8 *CFDataGetMutableBytePtr(CFMutableDataRef theData) {
    __CFData *d = checkMutableData(theData, "CFDataGetMutableBytePtr");
    return d->bytes.empty() ? nullptr : d->bytes.data();
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8 *buffer) {
    const __CFData *d = checkData(theData, "CFDataGetBytes");
    cf::checkRange("CFDataGetBytes", range, static_cast<CFIndex>(d->bytes.size()));
    if (range.length > 0) {
        if (buffer == nullptr)
            cf::misuse("CFDataGetBytes", "NULL buffer");
        std::memcpy(buffer, d->bytes.data() + range.location, static_cast<size_t>(range.length));
    }
}

void CFDataSetLength(CFMutableDataRef theData, CFIndex length) {
    __CFData *d = checkMutableData(theData, "CFDataSetLength");
    if (length < 0)
        cf::misuse("CFDataSetLength", "negative length %ld", length);
    checkCapacity(d, static_cast<size_t>(length), "CFDataSetLength");
    try {
        d->bytes.resize(static_cast<size_t>(length), 0);
    } catch (const std::bad_alloc &) {
    }
}

void CFDataAppendBytes(CFMutableDataRef theData, const UInt8 *bytes, CFIndex length) {
    __CFData *d = checkMutableData(theData, "CFDataAppendBytes");
    if (length < 0 || (bytes == nullptr && length > 0))
        cf::misuse("CFDataAppendBytes", "bad byte buffer (%p, %ld)", bytes, length);
    checkCapacity(d, d->bytes.size() + static_cast<size_t>(length), "CFDataAppendBytes");
    try {
        cf::Vec<UInt8> copy(bytes, bytes + length); // bytes may point into the data itself
        d->bytes.insert(d->bytes.end(), copy.begin(), copy.end());
    } catch (const std::bad_alloc &) {
    }
}

void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range) {
    __CFData *d = checkMutableData(theData, "CFDataDeleteBytes");
    cf::checkRange("CFDataDeleteBytes", range, static_cast<CFIndex>(d->bytes.size()));
    d->bytes.erase(d->bytes.begin() + range.location,
                   d->bytes.begin() + range.location + range.length);
}

} // extern "C"
