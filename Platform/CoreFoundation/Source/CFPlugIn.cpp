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

// True when a UUID string (from an Info.plist) names the same UUID.
bool sameUUID(CFTypeRef text, CFUUIDRef uuid) {
    if (!cf::isObject(text) || CFGetTypeID(text) != CFStringGetTypeID())
        return false;
    CFUUIDRef parsed = CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(text));
    if (parsed == nullptr)
        return false;
    bool same = parsed == uuid; // UUIDs are unique per byte pattern
    CFRelease(parsed);
    return same;
}

CFDictionaryRef infoDictionary(CFBundleRef bundle, CFStringRef key) {
    CFTypeRef value = CFDictionaryGetValue(CFBundleGetInfoDictionary(bundle), key);
    return value != nullptr && CFGetTypeID(value) == CFDictionaryGetTypeID()
               ? static_cast<CFDictionaryRef>(value)
               : nullptr;
}

// Appends to factories the factory UUIDs that bundle lists for typeUUID.
bool addFactories(CFMutableArrayRef factories, CFBundleRef bundle, CFUUIDRef typeUUID) {
    CFDictionaryRef types = infoDictionary(bundle, kCFPlugInTypesKey);
    if (types == nullptr)
        return true;
    CFIndex count = CFDictionaryGetCount(types);
    try {
        cf::Vec<const void *> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
        CFDictionaryGetKeysAndValues(types, keys.data(), values.data());
        for (CFIndex i = 0; i < count; ++i) {
            if (!sameUUID(keys[i], typeUUID) || CFGetTypeID(values[i]) != CFArrayGetTypeID())
                continue;
            CFArrayRef ids = static_cast<CFArrayRef>(values[i]);
            for (CFIndex j = 0; j < CFArrayGetCount(ids); ++j) {
                CFTypeRef text = CFArrayGetValueAtIndex(ids, j);
                if (CFGetTypeID(text) != CFStringGetTypeID())
                    continue;
                CFUUIDRef factory = CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(text));
                if (factory == nullptr)
                    continue;
                bool listed = false; // UUIDs are unique per byte pattern
                for (CFIndex k = 0; k < CFArrayGetCount(factories); ++k)
                    listed = listed || CFArrayGetValueAtIndex(factories, k) == factory;
                if (!listed)
                    CFArrayAppendValue(factories, factory);
                CFRelease(factory);
            }
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
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
    std::vector<CFBundleRef> bundles = cf::registeredBundles();
    for (CFBundleRef bundle : bundles) {
        if (!addFactories(factories, bundle, typeUUID)) {
            CFRelease(factories);
            return nullptr;
        }
    }
    return factories;
}

void *CFPlugInInstanceCreate(CFAllocatorRef allocator, CFUUIDRef factoryUUID, CFUUIDRef typeUUID) {
    cf::checkType(factoryUUID, cf::kUUIDTypeID, "CFPlugInInstanceCreate");
    cf::checkType(typeUUID, cf::kUUIDTypeID, "CFPlugInInstanceCreate");
    // A copy: the factory may create or release bundles.
    std::vector<CFBundleRef> bundles = cf::registeredBundles();
    for (CFBundleRef bundle : bundles) {
        CFDictionaryRef factories = infoDictionary(bundle, kCFPlugInFactoriesKey);
        if (factories == nullptr)
            continue;
        CFIndex count = CFDictionaryGetCount(factories);
        try {
            cf::Vec<const void *> keys(static_cast<size_t>(count)),
                values(static_cast<size_t>(count));
            CFDictionaryGetKeysAndValues(factories, keys.data(), values.data());
            for (CFIndex k = 0; k < count; ++k) {
                if (!sameUUID(keys[k], factoryUUID) ||
                    CFGetTypeID(values[k]) != CFStringGetTypeID())
                    continue;
                auto function = reinterpret_cast<CFPlugInFactoryFunction>(
                    CFBundleGetFunctionPointerForName(bundle, static_cast<CFStringRef>(values[k])));
                return function != nullptr ? function(allocator, typeUUID) : nullptr;
            }
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

void CFStandInResetBundleRegistry(void) {
    cf::forgetBundles();
    instances().clear();
}

} // extern "C"
