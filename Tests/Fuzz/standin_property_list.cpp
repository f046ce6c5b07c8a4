/*
 * standin_property_list.cpp
 *
 * libFuzzer target for the CoreFoundation stand-in's property-list reader.
 * The first byte chooses the mutability option (its low two bits) and an
 * allocation to fail on a further reading (the rest: 0 none, else the Nth
 * allocation from then on); the other bytes are the data, XML or binary.
 *
 * Checks: a failed reading sets an error with the read-corrupt code and a
 * successful one names its format and sets none; the reading with memory
 * running out gives either nothing or the same list; every object and
 * block of the layer is given back.
 */
#include "StandInFuzzSupport.h"

#include <StandIn/CFStandIn.h>

#include <cstdint>

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
        // A second full reading tells whether the list equals itself (a NaN
        // real or date does not), so that the starved reading can be judged.
        CFPropertyListRef again =
            CFPropertyListCreateWithData(nullptr, bytes, option, nullptr, nullptr);
        bool comparable = again != nullptr && plist != nullptr && CFEqual(plist, again);
        CFStandInSetAllocationFailure(failAt, true);
        CFPropertyListRef starved =
            CFPropertyListCreateWithData(nullptr, bytes, option, nullptr, &error);
        CFStandInSetAllocationFailure(0, false);
        if (starved != nullptr) {
            if (plist == nullptr)
                FuzzFail("a list unreadable with memory is read without");
            if (comparable && !CFEqual(plist, starved))
                FuzzFail("a list read while memory runs out differs");
            CFRelease(starved);
        } else if (error != nullptr) {
            CFRelease(error);
        }
        if (again != nullptr)
            CFRelease(again);
    }
    if (plist != nullptr)
        CFRelease(plist);
    CFRelease(bytes);
    ExpectNothingLeft(before, "reading a property list");
    return 0;
}
