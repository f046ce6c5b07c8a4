/*
 * TestFactoryModule.cpp
 *
 * A minimal plug-in executable for the plug-in tests: one factory that
 * answers one plug-in type and keeps the instance count. An instance is a
 * reference to the factory's UUID.
 */
#include <CoreFoundation/CoreFoundation.h>

extern "C" {

// Type 11111111-2222-3333-4444-555555555555, factory 0A0B0C0D-...-0F.
__attribute__((visibility("default"))) void *CFTestFactory(CFAllocatorRef, CFUUIDRef typeID) {
    CFUUIDRef type = CFUUIDCreateFromString(nullptr, CFSTR("11111111-2222-3333-4444-555555555555"));
    CFRelease(type); // the caller's typeID keeps the object alive when it is the same
    if (type != typeID)
        return nullptr;
    CFUUIDRef factory =
        CFUUIDCreateFromString(nullptr, CFSTR("0A0B0C0D-0E0F-1011-1213-14151617180F"));
    CFPlugInAddInstanceForFactory(factory);
    return const_cast<void *>(static_cast<const void *>(factory));
}

__attribute__((visibility("default"))) void CFTestDestroyInstance(void *instance) {
    CFPlugInRemoveInstanceForFactory(static_cast<CFUUIDRef>(instance));
    CFRelease(static_cast<CFUUIDRef>(instance));
}
}
