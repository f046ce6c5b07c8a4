/*
 * standin_property_list.cpp
 *
 * libFuzzer target for the CoreFoundation stand-in's property-list reader.
 * The first byte chooses the mutability option (its low two bits) and an
 * allocation to fail on a second reading (the rest: 0 none, else the Nth
 * allocation from then on); the other bytes are the data, XML or binary.
 *
 * Checks: a failed reading sets an error with the read-corrupt code and a
 * successful one names its format and sets none; the reading with memory
 * running out gives either nothing or the same list; every object and
 * block of the layer is given back.
 */
#include "StandInFuzzSupport.h"

#include <StandIn/CFStandIn.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

template <typename Visit> bool anyValue(CFTypeRef value, Visit visit) {
    if (visit(value))
        return true;
    CFTypeID type = CFGetTypeID(value);
    if (type == CFArrayGetTypeID()) {
        CFArrayRef array = static_cast<CFArrayRef>(value);
        for (CFIndex i = 0; i < CFArrayGetCount(array); i++)
            if (anyValue(CFArrayGetValueAtIndex(array, i), visit))
                return true;
    } else if (type == CFDictionaryGetTypeID()) {
        CFDictionaryRef dictionary = static_cast<CFDictionaryRef>(value);
        std::vector<const void *> keys(static_cast<size_t>(CFDictionaryGetCount(dictionary)));
        std::vector<const void *> values(keys.size());
        CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
        for (size_t i = 0; i < keys.size(); i++)
            if (anyValue(keys[i], visit) || anyValue(values[i], visit))
                return true;
    }
    return false;
}

/* A list holding NaN (a real or a date) is not equal to itself, element
   by element; no round trip can be judged by equality then. CFEqual of an
   object with itself cannot tell: it answers for the identical object. */
bool selfEqual(CFPropertyListRef plist) {
    return !anyValue(plist, [](CFTypeRef value) {
        if (CFGetTypeID(value) == CFDateGetTypeID())
            return std::isnan(CFDateGetAbsoluteTime(static_cast<CFDateRef>(value)));
        if (CFGetTypeID(value) == CFNumberGetTypeID() &&
            CFNumberIsFloatType(static_cast<CFNumberRef>(value))) {
            double real = 0;
            CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberFloat64Type, &real);
            return std::isnan(real);
        }
        return false;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    CFOptionFlags option = data[0] & 3;
    if (option == 3)
        option = kCFPropertyListMutableContainersAndLeaves;
    long failAt = data[0] >> 2;
    LayerCounts before = LayerCounts::Now();

    CFDataRef bytes = CFDataCreate(nullptr, data + 1, static_cast<CFIndex>(size - 1));
    if (bytes == nullptr)
        FuzzFail("no data object");
    CFPropertyListFormat format = static_cast<CFPropertyListFormat>(0);
    CFErrorRef error = nullptr;
    CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, bytes, option, &format, &error);
    if (plist == nullptr) {
        if (error == nullptr)
            FuzzFail("a failed reading sets no error");
        if (CFErrorGetCode(error) != kCFPropertyListReadCorruptError)
            FuzzFail("a failed reading gives the code %ld", (long)CFErrorGetCode(error));
        CFRelease(error);
    } else {
        if (error != nullptr)
            FuzzFail("a successful reading sets an error");
        if (format != kCFPropertyListXMLFormat_v1_0 && format != kCFPropertyListBinaryFormat_v1_0)
            FuzzFail("a successful reading names the format %ld", (long)format);
    }

    if (failAt > 0) {
        CFStandInSetAllocationFailure(failAt, true);
        CFPropertyListRef starved =
            CFPropertyListCreateWithData(nullptr, bytes, option, nullptr, &error);
        CFStandInSetAllocationFailure(0, false);
        if (starved != nullptr) {
            if (plist == nullptr)
                FuzzFail("a list unreadable with memory is read without");
            if (selfEqual(plist) && !CFEqual(plist, starved))
                FuzzFail("a list read while memory runs out differs");
            CFRelease(starved);
        } else if (error != nullptr) {
            CFRelease(error);
        }
    }
    if (plist != nullptr)
        CFRelease(plist);
    CFRelease(bytes);
    ExpectNothingLeft(before, "reading a property list");
    return 0;
}
