/*
 * standin_property_list.cpp
 *
 * libFuzzer target for the CoreFoundation stand-in's property-list reader.
 * The first byte chooses an allocation to fail on a further reading (0
 * none, else the Nth allocation from then on); the other bytes are the
 * data, an XML property list.
 *
 * Checks: a failed reading describes its failure and a successful one does
 * not; the reading with memory running out gives either nothing or the
 * same list.
 */
#include "StandInFuzzSupport.h"

#include <StandIn/CFStandIn.h>

#include <cstdint>

void FuzzOne(const uint8_t *data, size_t size) {
    if (size < 1)
        return;
    long failAt = data[0];

    CFDataRef bytes = CFDataCreate(nullptr, data + 1, static_cast<CFIndex>(size - 1));
    if (bytes == nullptr)
        FuzzFail("no data object");
    CFStringRef why = nullptr;
    CFPropertyListRef plist =
        CFPropertyListCreateFromXMLData(nullptr, bytes, kCFPropertyListImmutable, &why);
    if ((plist == nullptr) != (why != nullptr))
        FuzzFail("a reading describes a failure exactly when it fails");
    if (why != nullptr)
        CFRelease(why);

    if (failAt > 0) {
        CFStandInSetAllocationFailure(failAt, true);
        CFPropertyListRef starved =
            CFPropertyListCreateFromXMLData(nullptr, bytes, kCFPropertyListImmutable, nullptr);
        CFStandInSetAllocationFailure(0, false);
        if (starved != nullptr) {
            if (plist == nullptr || !CFEqual(plist, starved))
                FuzzFail("a list read while memory runs out differs");
            CFRelease(starved);
        }
    }
    if (plist != nullptr)
        CFRelease(plist);
    CFRelease(bytes);
}
