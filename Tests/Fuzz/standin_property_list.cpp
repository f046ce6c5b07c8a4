/*
 * standin_property_list.cpp
 *
 * libFuzzer target for the CoreFoundation stand-in's property-list reader.
 * The first byte chooses the mutability option (its low two bits) and an
 * allocation to fail on a second reading (the rest: 0 none, else the Nth
 * allocation from then on); the other bytes are the data, XML or binary.
 *
 * Checks: a failed reading sets an error and a successful one names its
 * format and gives a valid property list; what was read can be written as
 * a binary property list and read back equal (dates to the microsecond),
 * unless it holds what libplist cannot write whole, and then the write
 * fails; it can be written as XML without harm; the reading with memory running out gives either
 * nothing or the same list; every object and block of the layer is given back.
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

/* What libplist cannot write: a string or key holding U+0000 (it writes
   zero-terminated text only), a date beyond its 32-bit seconds. The write
   must fail then, not cut or wrap the value. */
bool holdsUnwritable(CFPropertyListRef plist) {
    return anyValue(plist, [](CFTypeRef value) {
        if (CFGetTypeID(value) == CFStringGetTypeID()) {
            CFStringRef text = static_cast<CFStringRef>(value);
            for (CFIndex i = 0; i < CFStringGetLength(text); i++)
                if (CFStringGetCharacterAtIndex(text, i) == 0)
                    return true;
        } else if (CFGetTypeID(value) == CFDateGetTypeID()) {
            double t = CFDateGetAbsoluteTime(static_cast<CFDateRef>(value));
            return !(t >= -2147483648.0 && t < 2147483647.0);
        }
        return false;
    });
}

/* Equal, but dates only to the microsecond: libplist keeps a date as
   seconds and microseconds and truncates when it splits one. */
bool sameList(CFTypeRef a, CFTypeRef b) {
    CFTypeID type = CFGetTypeID(a);
    if (type != CFGetTypeID(b))
        return false;
    if (type == CFDateGetTypeID()) {
        double ta = CFDateGetAbsoluteTime(static_cast<CFDateRef>(a));
        double tb = CFDateGetAbsoluteTime(static_cast<CFDateRef>(b));
        return std::fabs(ta - tb) <= 2e-6 + std::fabs(ta) * 1e-15;
    }
    if (type == CFArrayGetTypeID()) {
        CFArrayRef x = static_cast<CFArrayRef>(a), y = static_cast<CFArrayRef>(b);
        if (CFArrayGetCount(x) != CFArrayGetCount(y))
            return false;
        for (CFIndex i = 0; i < CFArrayGetCount(x); i++)
            if (!sameList(CFArrayGetValueAtIndex(x, i), CFArrayGetValueAtIndex(y, i)))
                return false;
        return true;
    }
    if (type == CFDictionaryGetTypeID()) {
        CFDictionaryRef x = static_cast<CFDictionaryRef>(a), y = static_cast<CFDictionaryRef>(b);
        if (CFDictionaryGetCount(x) != CFDictionaryGetCount(y))
            return false;
        std::vector<const void *> keys(static_cast<size_t>(CFDictionaryGetCount(x)));
        std::vector<const void *> values(keys.size());
        CFDictionaryGetKeysAndValues(x, keys.data(), values.data());
        for (size_t i = 0; i < keys.size(); i++) {
            const void *other = CFDictionaryGetValue(y, keys[i]);
            if (other == nullptr || !sameList(values[i], other))
                return false;
        }
        return true;
    }
    return CFEqual(a, b);
}

void roundTrip(CFPropertyListRef plist) {
    CFErrorRef error = nullptr;
    CFDataRef binary =
        CFPropertyListCreateData(nullptr, plist, kCFPropertyListBinaryFormat_v1_0, 0, &error);
    bool writable = !holdsUnwritable(plist);
    if (binary == nullptr) {
        if (writable)
            FuzzFail("a property list that was read cannot be written as a binary list");
        if (error == nullptr)
            FuzzFail("a failed write sets no error");
        CFRelease(error);
        return;
    }
    if (!writable)
        FuzzFail("a value that cannot be written whole was written");
    if (error != nullptr)
        FuzzFail("a binary list was written with an error");
    CFPropertyListFormat format = static_cast<CFPropertyListFormat>(0);
    CFPropertyListRef again =
        CFPropertyListCreateWithData(nullptr, binary, kCFPropertyListImmutable, &format, &error);
    if (again == nullptr)
        FuzzFail("the binary list written cannot be read back");
    if (format != kCFPropertyListBinaryFormat_v1_0)
        FuzzFail("the binary list written reads back as format %ld", (long)format);
    if (selfEqual(plist) && !sameList(plist, again))
        FuzzFail("the binary list written reads back different");
    CFRelease(again);
    CFRelease(binary);

    CFDataRef xml =
        CFPropertyListCreateData(nullptr, plist, kCFPropertyListXMLFormat_v1_0, 0, &error);
    if (xml != nullptr) {
        again =
            CFPropertyListCreateWithData(nullptr, xml, kCFPropertyListImmutable, &format, &error);
        if (again != nullptr)
            CFRelease(again);
        else if (error != nullptr)
            CFRelease(error);
        CFRelease(xml);
    } else if (error != nullptr) {
        CFRelease(error);
    }
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
        if (!CFPropertyListIsValid(plist, kCFPropertyListBinaryFormat_v1_0))
            FuzzFail("what was read is no valid property list");
        roundTrip(plist);
    }

    if (failAt > 0) {
        CFStandInSetAllocationFailure(failAt, true);
        CFPropertyListRef starved =
            CFPropertyListCreateWithData(nullptr, bytes, option, nullptr, &error);
        CFStandInSetAllocationFailure(0, false);
        if (starved != nullptr) {
            if (plist == nullptr)
                FuzzFail("a list unreadable with memory is read without");
            if (selfEqual(plist) && !sameList(plist, starved))
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
