/*
 * CFPlugIn.cpp
 *
 * Plug-ins: bundles whose Info.plist maps plug-in types to factory UUIDs
 * (CFPlugInTypes) and factory UUIDs to exported function names
 * (CFPlugInFactories); finding the factories for a type among the
 * registered bundles, making an instance through a factory, and the count
 * of live instances per factory that factories and instances keep with
 * CFPlugInAddInstanceForFactory and CFPlugInRemoveInstanceForFactory.
 */
#include "CFInternal.h"

#include <array>
#include <cstring>
#include <map>
#include <vector>

namespace {

using Key = std::array<UInt8, 16>;

// Live instances per factory: bookkeeping on the ordinary heap.
std::map<Key, CFIndex> &instances() {
    static auto *m = new std::map<Key, CFIndex>();
    return *m;
}

Key keyOf(CFUUIDRef uuid, const char *call) {
    cf::checkType(uuid, cf::kUUIDTypeID, call);
    CFUUIDBytes bytes = CFUUIDGetUUIDBytes(uuid);
    Key k;
    std::memcpy(k.data(), &bytes, 16);
    return k;
}

// A UUID for a string of an Info.plist, or nullptr.
CFUUIDRef parseUUID(CFTypeRef text) {
    if (CFGetTypeID(text) != CFStringGetTypeID())
        return nullptr;
    return CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(text));
}

// The value that the dictionary `key` of a bundle's Info.plist holds under a
// UUID string naming uuid (in either letter case), of the given type.
CFTypeRef valueForUUID(CFBundleRef bundle, CFStringRef key, CFUUIDRef uuid, CFTypeID type) {
    CFTypeRef dict = CFDictionaryGetValue(CFBundleGetInfoDictionary(bundle), key);
    if (dict == nullptr || CFGetTypeID(dict) != CFDictionaryGetTypeID())
        return nullptr;
    CFIndex count = CFDictionaryGetCount(static_cast<CFDictionaryRef>(dict));
    cf::Vec<const void *> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(static_cast<CFDictionaryRef>(dict), keys.data(), values.data());
    for (CFIndex i = 0; i < count; ++i) {
        CFUUIDRef parsed = parseUUID(keys[i]);
        if (parsed != nullptr)
            CFRelease(parsed);
        if (parsed == uuid && CFGetTypeID(values[i]) == type) // one object per byte pattern
            return values[i];
    }
    return nullptr;
}

} // namespace

extern "C" {

const CFStringRef kCFPlugInFactoriesKey = CFSTR("CFPlugInFactories");
const CFStringRef kCFPlugInTypesKey = CFSTR("CFPlugInTypes");

CFPlugInRef CFPlugInCreate(CFAllocatorRef allocator, CFURLRef plugInURL) {
    return CFBundleCreate(allocator, plugInURL);
}

CFArrayRef CFPlugInFindFactoriesForPlugInType(CFUUIDRef typeUUID) {
    cf::checkType(typeUUID, cf::kUUIDTypeID, "CFPlugInFindFactoriesForPlugInType");
    CFMutableArrayRef factories = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    if (factories == nullptr)
        return nullptr;
    try {
        for (CFBundleRef bundle : cf::registeredBundles()) {
            auto ids = static_cast<CFArrayRef>(
                valueForUUID(bundle, kCFPlugInTypesKey, typeUUID, CFArrayGetTypeID()));
            for (CFIndex j = 0; ids != nullptr && j < CFArrayGetCount(ids); ++j) {
                CFUUIDRef factory = parseUUID(CFArrayGetValueAtIndex(ids, j));
                if (factory == nullptr)
                    continue;
                bool listed = false;
                for (CFIndex k = 0; k < CFArrayGetCount(factories); ++k)
                    listed = listed || CFArrayGetValueAtIndex(factories, k) == factory;
                CFIndex before = CFArrayGetCount(factories);
                if (!listed)
                    CFArrayAppendValue(factories, factory);
                CFRelease(factory);
                if (!listed && CFArrayGetCount(factories) == before)
                    throw std::bad_alloc();
            }
        }
    } catch (const std::bad_alloc &) {
        CFRelease(factories);
        return nullptr;
    }
    return factories;
}

void *CFPlugInInstanceCreate(CFAllocatorRef allocator, CFUUIDRef factoryUUID, CFUUIDRef typeUUID) {
    cf::checkType(factoryUUID, cf::kUUIDTypeID, "CFPlugInInstanceCreate");
    cf::checkType(typeUUID, cf::kUUIDTypeID, "CFPlugInInstanceCreate");
    // A copy: the factory may create or release bundles.
    std::vector<CFBundleRef> bundles = cf::registeredBundles();
    for (CFBundleRef bundle : bundles) {
        try {
            auto name = static_cast<CFStringRef>(
                valueForUUID(bundle, kCFPlugInFactoriesKey, factoryUUID, CFStringGetTypeID()));
            if (name == nullptr)
                continue;
            auto function = reinterpret_cast<CFPlugInFactoryFunction>(
                CFBundleGetFunctionPointerForName(bundle, name));
            return function != nullptr ? function(allocator, typeUUID) : nullptr;
        } catch (const std::bad_alloc &) {
            return nullptr;
        }
    }
    return nullptr;
}

void CFPlugInAddInstanceForFactory(CFUUIDRef factoryID) {
    Key k = keyOf(factoryID, "CFPlugInAddInstanceForFactory");
    ++instances()[k];
}

void CFPlugInRemoveInstanceForFactory(CFUUIDRef factoryID) {
    Key k = keyOf(factoryID, "CFPlugInRemoveInstanceForFactory");
    auto found = instances().find(k);
    if (found == instances().end() || found->second <= 0)
        CFStandInMisuse("CFPlugInRemoveInstanceForFactory",
                        "more instances removed than were added for this factory");
    if (--found->second == 0)
        instances().erase(found);
}

CFIndex CFStandInGetPlugInInstanceCount(CFUUIDRef factoryID) {
    Key k = keyOf(factoryID, "CFStandInGetPlugInInstanceCount");
    auto found = instances().find(k);
    return found == instances().end() ? 0 : found->second;
}

CFIndex CFStandInGetTotalPlugInInstanceCount(void) {
    CFIndex total = 0;
    for (const auto &entry : instances())
        total += entry.second;
    return total;
}

} // extern "C"
