/*
 * CFDictionary.cpp
 *
 * Dictionaries: a hash table of key-value pairs whose key callbacks hash,
 * compare, retain and release the keys and whose value callbacks retain,
 * release and compare the values. NULL callbacks keep raw pointers and
 * compare and hash them by address. A capacity is not enforced.
 */
#include "CFInternal.h"

#include <unordered_map>

namespace {

struct KeyHash {
    const CFDictionaryKeyCallBacks *cb;
    size_t operator()(const void *key) const {
        if (cb->hash != nullptr)
            return cb->hash(key);
        return reinterpret_cast<uintptr_t>(key) >> 3;
    }
};

struct KeyEqual {
    const CFDictionaryKeyCallBacks *cb;
    bool operator()(const void *a, const void *b) const {
        if (a == b)
            return true;
        return cb->equal != nullptr && cb->equal(a, b);
    }
};

using Table = std::unordered_map<const void *, const void *, KeyHash, KeyEqual,
                                 cf::Allocator<std::pair<const void *const, const void *>>>;

} // namespace

struct __CFDictionary : cf::Base {
    CFDictionaryKeyCallBacks keyCallBacks{};
    CFDictionaryValueCallBacks valueCallBacks{};
    Table table;
    bool isMutable = false;
    __CFDictionary()
        : table(0, KeyHash{&keyCallBacks}, KeyEqual{&keyCallBacks}, cf::Allocator<int>()) {}
};

namespace {

bool valuesEqual(const __CFDictionary *d, const void *x, const void *y) {
    if (x == y)
        return true;
    return d->valueCallBacks.equal != nullptr && x != nullptr && y != nullptr &&
           d->valueCallBacks.equal(x, y);
}

void releaseEntry(const __CFDictionary *d, const void *key, const void *value) {
    if (d->keyCallBacks.release != nullptr)
        d->keyCallBacks.release(nullptr, key);
    if (d->valueCallBacks.release != nullptr)
        d->valueCallBacks.release(nullptr, value);
}

void finalizeDictionary(CFTypeRef cf) {
    const auto *d = static_cast<const __CFDictionary *>(cf);
    for (const auto &entry : d->table)
        releaseEntry(d, entry.first, entry.second);
    cf::destroyObject<__CFDictionary>(cf);
}

Boolean equalDictionaries(CFTypeRef x, CFTypeRef y) {
    const auto *a = static_cast<const __CFDictionary *>(x);
    const auto *b = static_cast<const __CFDictionary *>(y);
    if (a->table.size() != b->table.size())
        return false;
    for (const auto &entry : a->table) {
        auto found = b->table.find(entry.first);
        if (found == b->table.end() || !valuesEqual(a, entry.second, found->second))
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

// Adds or replaces one entry; a failed allocation leaves the dictionary as it was.
void putEntry(__CFDictionary *d, const void *key, const void *value) {
    auto found = d->table.find(key);
    if (found != d->table.end()) {
        if (d->valueCallBacks.retain != nullptr)
            value = d->valueCallBacks.retain(nullptr, value);
        const void *old = found->second;
        found->second = value;
        if (d->valueCallBacks.release != nullptr)
            d->valueCallBacks.release(nullptr, old);
        return;
    }
    const void *k = d->keyCallBacks.retain != nullptr ? d->keyCallBacks.retain(nullptr, key) : key;
    const void *v =
        d->valueCallBacks.retain != nullptr ? d->valueCallBacks.retain(nullptr, value) : value;
    try {
        d->table.emplace(k, v);
    } catch (const std::bad_alloc &) {
        releaseEntry(d, k, v);
    }
}

__CFDictionary *makeDict(const CFDictionaryKeyCallBacks *keyCallBacks,
                         const CFDictionaryValueCallBacks *valueCallBacks, bool isMutable) {
    __CFDictionary *d = cf::newObject<__CFDictionary>(cf::kDictionaryTypeID);
    if (d == nullptr)
        return nullptr;
    if (keyCallBacks != nullptr)
        d->keyCallBacks = *keyCallBacks;
    if (valueCallBacks != nullptr)
        d->valueCallBacks = *valueCallBacks;
    d->isMutable = isMutable;
    return d;
}

} // namespace

namespace cf {

const CFStandInClass kDictionaryClass = {"CFDictionary", finalizeDictionary, equalDictionaries,
                                         hashDictionary, nullptr};

CFMutableDictionaryRef makeTypeDictionary(bool isMutable) {
    return makeDict(&kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks, isMutable);
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
    return makeDict(keyCallBacks, valueCallBacks, true);
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

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void *key, const void *value) {
    putEntry(checkMutableDict(theDict, "CFDictionarySetValue"), key, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void *key) {
    __CFDictionary *d = checkMutableDict(theDict, "CFDictionaryRemoveValue");
    auto found = d->table.find(key);
    if (found == d->table.end())
        return;
    const void *k = found->first, *v = found->second;
    d->table.erase(found);
    releaseEntry(d, k, v);
}

} // extern "C"
