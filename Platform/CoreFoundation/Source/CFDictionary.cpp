/*
 * CFDictionary.cpp
 *
 * Dictionaries: a hash table of key-value pairs. Keys and values are CF
 * objects (the kCFType callbacks: retained, released, compared with CFEqual
 * and keys hashed with CFHash); a dictionary with other callbacks is not
 * carried and CFDictionaryCreateMutable gives NULL for one. A capacity is
 * not enforced.
 */
#include "CFInternal.h"

#include <unordered_map>

namespace {

struct KeyHash {
    size_t operator()(const void *key) const { return cf::hashType(key); }
};

struct KeyEqual {
    bool operator()(const void *a, const void *b) const { return a == b || cf::equalType(a, b); }
};

using Table = std::unordered_map<const void *, const void *, KeyHash, KeyEqual,
                                 cf::Allocator<std::pair<const void *const, const void *>>>;

} // namespace

struct __CFDictionary : cf::Base {
    Table table;
    bool isMutable = false;
};

namespace {

void finalizeDictionary(CFTypeRef cf) {
    for (const auto &entry : static_cast<const __CFDictionary *>(cf)->table) {
        CFRelease(entry.first);
        CFRelease(entry.second);
    }
    cf::destroyObject<__CFDictionary>(cf);
}

Boolean equalDictionaries(CFTypeRef x, CFTypeRef y) {
    const auto *a = static_cast<const __CFDictionary *>(x);
    const auto *b = static_cast<const __CFDictionary *>(y);
    if (a->table.size() != b->table.size())
        return false;
    for (const auto &entry : a->table) {
        auto found = b->table.find(entry.first);
        if (found == b->table.end() || !CFEqual(entry.second, found->second))
            return false;
    }
    return true;
}

CFHashCode hashDictionary(CFTypeRef cf) {
    return static_cast<const __CFDictionary *>(cf)->table.size();
}

const __CFDictionary *checkDict(CFTypeRef cf, const char *call) {
    return cf::check<__CFDictionary>(cf, cf::kDictionaryTypeID, call);
}

__CFDictionary *checkMutableDict(CFTypeRef cf, const char *call) {
    auto *d = const_cast<__CFDictionary *>(checkDict(cf, call));
    if (!d->isMutable)
        CFStandInMisuse(call, "the dictionary is immutable");
    return d;
}

__CFDictionary *makeDict(bool isMutable) {
    __CFDictionary *d = cf::newObject<__CFDictionary>(cf::kDictionaryTypeID);
    if (d != nullptr)
        d->isMutable = isMutable;
    return d;
}

} // namespace

namespace cf {

const CFStandInClass kDictionaryClass = {"CFDictionary", finalizeDictionary, equalDictionaries,
                                         hashDictionary, nullptr};

CFMutableDictionaryRef makeTypeDictionary(bool isMutable) {
    return makeDict(isMutable);
}

void setDictionaryMutable(CFTypeRef dict, bool isMutable) {
    const_cast<__CFDictionary *>(checkDict(dict, "CFDictionary"))->isMutable = isMutable;
}

} // namespace cf

extern "C" {

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0, cf::retainType, cf::releaseType, nullptr, cf::equalType, cf::hashType};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {
    0, cf::retainType, cf::releaseType, nullptr, cf::equalType};

CFTypeID CFDictionaryGetTypeID(void) {
    return cf::kDictionaryTypeID;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks *keyCallBacks,
                                                 const CFDictionaryValueCallBacks *valueCallBacks) {
    if (capacity < 0)
        CFStandInMisuse("CFDictionaryCreateMutable", "negative capacity %ld", capacity);
    if (keyCallBacks != &kCFTypeDictionaryKeyCallBacks ||
        valueCallBacks != &kCFTypeDictionaryValueCallBacks)
        return nullptr;
    return makeDict(true);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
    return static_cast<CFIndex>(checkDict(theDict, "CFDictionaryGetCount")->table.size());
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void *key) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryContainsKey");
    return d->table.find(key) != d->table.end();
}

const void *CFDictionaryGetValue(CFDictionaryRef theDict, const void *key) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryGetValue");
    auto found = d->table.find(key);
    return found == d->table.end() ? nullptr : found->second;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void **keys, const void **values) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryGetKeysAndValues");
    size_t i = 0;
    for (const auto &entry : d->table) {
        if (keys != nullptr)
            keys[i] = entry.first;
        if (values != nullptr)
            values[i] = entry.second;
        ++i;
    }
}

// Adds or replaces one entry; a failed allocation leaves the dictionary as it was.
void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void *key, const void *value) {
    __CFDictionary *d = checkMutableDict(theDict, "CFDictionarySetValue");
    auto found = d->table.find(key);
    if (found != d->table.end()) {
        const void *old = found->second;
        found->second = CFRetain(value);
        CFRelease(old);
        return;
    }
    try {
        d->table.emplace(CFRetain(key), CFRetain(value));
    } catch (const std::bad_alloc &) {
        CFRelease(key);
        CFRelease(value);
    }
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void *key) {
    __CFDictionary *d = checkMutableDict(theDict, "CFDictionaryRemoveValue");
    auto found = d->table.find(key);
    if (found == d->table.end())
        return;
    const void *k = found->first, *v = found->second;
    d->table.erase(found);
    CFRelease(k);
    CFRelease(v);
}

} // extern "C"
