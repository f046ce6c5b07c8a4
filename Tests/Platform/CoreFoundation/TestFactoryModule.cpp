/*
 * TestFactoryModule.cpp
 *
 * A minimal plug-in executable for the plug-in tests: one factory that
 * answers one plug-in type and keeps the instance count.
 */
#include <CoreFoundation/CoreFoundation.h>

#include <cstdlib>

extern "C" {

struct TestInstance {
    CFUUIDRef factoryID;
};

// Type 11111111-2222-3333-4444-555555555555, factory 0A0B0C0D-...-0F.
__attribute__((visibility("default"))) void *CFTestFactory(CFAllocatorRef, CFUUIDRef typeID) {
    CFUUIDRef myType =
        CFUUIDCreateFromString(nullptr, CFSTR("11111111-2222-3333-4444-555555555555"));
    bool match = myType != nullptr && CFEqual(myType, typeID);
    if (myType != nullptr)
        CFRelease(myType);
    if (!match)
        return nullptr;
    auto *instance = static_cast<TestInstance *>(std::calloc(1, sizeof(TestInstance)));
    if (instance == nullptr)
        return nullptr;
    instance->factoryID =
        CFUUIDCreateFromString(nullptr, CFSTR("0A0B0C0D-0E0F-1011-1213-14151617180F"));
    CFPlugInAddInstanceForFactory(instance->factoryID);
    return instance;
}

__attribute__((visibility("default"))) void CFTestDestroyInstance(void *p) {
    auto *instance = static_cast<TestInstance *>(p);
    CFPlugInRemoveInstanceForFactory(instance->factoryID);
    CFRelease(instance->factoryID);
    std::free(instance);
}
}
