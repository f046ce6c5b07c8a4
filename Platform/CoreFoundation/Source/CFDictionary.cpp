/*
 * CFDictionary.cpp
 *
 * Dictionaries: a hash table of key-value pairs whose key callbacks hash,
 * compare, retain and release the keys and whose value callbacks retain,
 * release and compare the values. NULL callbacks keep raw pointers and
 * compare and hash them by address.
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
    CFIndex capacity = 0;
    __CFDictionary()
        : table(0, KeyHash{&keyCallBacks}, KeyEqual{&keyCallBacks}, cf::Allocator<int>()) {}
};

namespace {

using cf::equalType;
using cf::hashType;
using cf::releaseType;
using cf::retainType;

const void *copyStringKey(CFAllocatorRef, const void *value) {
    return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(value));
}

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

CFStringRef describeDictionary(CFTypeRef cf) {
    const auto *d = static_cast<const __CFDictionary *>(cf);
    CFMutableStringRef text = CFStringCreateMutable(nullptr, 0);
    if (text == nullptr)
        return nullptr;
    CFStringAppendFormat(text, nullptr, CFSTR("<CFDictionary %p [%zu entries]>{"), cf,
                         d->table.size());
    for (const auto &entry : d->table) {
        for (int part = 0; part < 2; ++part) {
            const void *item = part == 0 ? entry.first : entry.second;
            auto describe =
                part == 0 ? d->keyCallBacks.copyDescription : d->valueCallBacks.copyDescription;
            cf::appendValueDescription(text, describe, item);
            CFStringAppend(text, part == 0 ? CFSTR(" = ") : CFSTR("; "));
        }
    }
    CFStringAppend(text, CFSTR("}"));
    return text;
}

const __CFDictionary *checkDict(CFTypeRef cf, const char *call) {
    return cf::check<__CFDictionary>(cf, cf::kDictionaryTypeID, call);
}

__CFDictionary *checkMutableDict(CFTypeRef cf, const char *call) {
    auto *d = const_cast<__CFDictionary *>(checkDict(cf, call));
    if (!d->isMutable)
        cf::misuse(call, "the dictionary is immutable");
    return d;
}

// Adds or replaces one entry. addOnly: keep an existing entry; replaceOnly:
// change only an existing entry.
void putEntry(__CFDictionary *d, const void *key, const void *value, bool addOnly, bool replaceOnly,
              const char *call) {
    auto found = d->table.find(key);
    if (found != d->table.end()) {
        if (addOnly)
            return;
        if (d->valueCallBacks.retain != nullptr)
            value = d->valueCallBacks.retain(nullptr, value);
        const void *old = found->second;
        found->second = value;
        if (d->valueCallBacks.release != nullptr)
            d->valueCallBacks.release(nullptr, old);
        return;
    }
    if (replaceOnly)
        return;
    if (d->capacity > 0 && static_cast<CFIndex>(d->table.size()) >= d->capacity)
        cf::misuse(call, "the dictionary is at its capacity %ld", d->capacity);
    const void *k = d->keyCallBacks.retain != nullptr ? d->keyCallBacks.retain(nullptr, key) : key;
    if (k == nullptr && key != nullptr)
        return; // a copied key could not be made
    const void *v =
        d->valueCallBacks.retain != nullptr ? d->valueCallBacks.retain(nullptr, value) : value;
    try {
        d->table.emplace(k, v);
    } catch (const std::bad_alloc &) {
        releaseEntry(d, k, v); // no memory: the dictionary stays as it was
    }
}

__CFDictionary *makeDict(const CFDictionaryKeyCallBacks *keyCallBacks,
                         const CFDictionaryValueCallBacks *valueCallBacks, bool isMutable,
                         CFIndex capacity) {
    __CFDictionary *d = cf::newObject<__CFDictionary>(cf::kDictionaryTypeID);
    if (d == nullptr)
        return nullptr;
    if (keyCallBacks != nullptr)
        d->keyCallBacks = *keyCallBacks;
    if (valueCallBacks != nullptr)
        d->valueCallBacks = *valueCallBacks;
    d->isMutable = isMutable;
    d->capacity = capacity;
    return d;
}

// Fills a new dictionary; false (and the dictionary released) without memory.
bool fill(__CFDictionary *d, const void **keys, const void **values, CFIndex count) {
    try {
        d->table.reserve(static_cast<size_t>(count));
    } catch (const std::bad_alloc &) {
        CFRelease(d);
        return false;
    }
    for (CFIndex i = 0; i < count; ++i) {
        size_t before = d->table.size();
        bool present = d->table.find(keys[i]) != d->table.end();
        putEntry(d, keys[i], values[i], false, false, "CFDictionaryCreate");
        if (!present && d->table.size() == before) {
            CFRelease(d);
            return false;
        }
    }
    return true;
}

} // namespace

namespace cf {

const CFStandInClass kDictionaryClass = {"CFDictionary", finalizeDictionary, equalDictionaries,
                                         hashDictionary, describeDictionary};

CFMutableDictionaryRef makeTypeDictionary(bool isMutable) {
    return makeDict(&kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks, isMutable, 0);
}

void setDictionaryMutable(CFTypeRef dict, bool isMutable) {
    const_cast<__CFDictionary *>(checkDict(dict, "CFDictionary"))->isMutable = isMutable;
}

} // namespace cf

extern "C" {

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0, retainType, releaseType, CFCopyDescription, equalType, hashType};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {
    0, copyStringKey, releaseType, CFCopyDescription, equalType, hashType};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, retainType, releaseType,
                                                                    CFCopyDescription, equalType};

CFTypeID CFDictionaryGetTypeID(void) {
    return cf::kDictionaryTypeID;
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void **keys, const void **values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks *keyCallBacks,
                                   const CFDictionaryValueCallBacks *valueCallBacks) {
    if (numValues < 0 || ((keys == nullptr || values == nullptr) && numValues > 0))
        cf::misuse("CFDictionaryCreate", "bad key or value buffer (%ld entries)", numValues);
    __CFDictionary *d = makeDict(keyCallBacks, valueCallBacks, false, 0);
    if (d == nullptr || !fill(d, keys, values, numValues))
        return nullptr;
    return d;
}

static __CFDictionary *copyDict(const __CFDictionary *src, bool isMutable, CFIndex capacity) {
    __CFDictionary *d = makeDict(&src->keyCallBacks, &src->valueCallBacks, isMutable, capacity);
    if (d == nullptr)
        return nullptr;
    try {
        cf::Vec<const void *> keys, values;
        keys.reserve(src->table.size());
        values.reserve(src->table.size());
        for (const auto &entry : src->table) {
            keys.push_back(entry.first);
            values.push_back(entry.second);
        }
        d->capacity = 0;
        if (!fill(d, keys.data(), values.data(), static_cast<CFIndex>(keys.size())))
            return nullptr;
        d->capacity = capacity;
    } catch (const std::bad_alloc &) {
        CFRelease(d);
        return nullptr;
    }
    return d;
}

CFDictionaryRef CFDictionaryCreateCopy(CFAllocatorRef, CFDictionaryRef theDict) {
    return copyDict(checkDict(theDict, "CFDictionaryCreateCopy"), false, 0);
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks *keyCallBacks,
                                                 const CFDictionaryValueCallBacks *valueCallBacks) {
    if (capacity < 0)
        cf::misuse("CFDictionaryCreateMutable", "negative capacity %ld", capacity);
    return makeDict(keyCallBacks, valueCallBacks, true, capacity);
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef, CFIndex capacity,
                                                     CFDictionaryRef theDict) {
    const __CFDictionary *src = checkDict(theDict, "CFDictionaryCreateMutableCopy");
    if (capacity < 0 || (capacity > 0 && static_cast<CFIndex>(src->table.size()) > capacity))
        cf::misuse("CFDictionaryCreateMutableCopy", "capacity %ld below the count %zu", capacity,
                   src->table.size());
    return copyDict(src, true, capacity);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
    return static_cast<CFIndex>(checkDict(theDict, "CFDictionaryGetCount")->table.size());
}

CFIndex CFDictionaryGetCountOfKey(CFDictionaryRef theDict, const void *key) {
    return CFDictionaryContainsKey(theDict, key) ? 1 : 0;
}

CFIndex CFDictionaryGetCountOfValue(CFDictionaryRef theDict, const void *value) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryGetCountOfValue");
    CFIndex n = 0;
    for (const auto &entry : d->table)
        if (valuesEqual(d, entry.second, value))
            ++n;
    return n;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void *key) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryContainsKey");
    return d->table.find(key) != d->table.end();
}

Boolean CFDictionaryContainsValue(CFDictionaryRef theDict, const void *value) {
    return CFDictionaryGetCountOfValue(theDict, value) > 0;
}

const void *CFDictionaryGetValue(CFDictionaryRef theDict, const void *key) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryGetValue");
    auto found = d->table.find(key);
    return found == d->table.end() ? nullptr : found->second;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void *key,
                                      const void **value) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryGetValueIfPresent");
    auto found = d->table.find(key);
    if (found == d->table.end())
        return false;
    if (value != nullptr)
        *value = found->second;
    return true;
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

void CFDictionaryApplyFunction(CFDictionaryRef theDict, CFDictionaryApplierFunction applier,
                               void *context) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryApplyFunction");
    if (applier == nullptr)
        cf::misuse("CFDictionaryApplyFunction", "NULL applier");
    for (const auto &entry : d->table)
        applier(entry.first, entry.second, context);
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void *key, const void *value) {
    putEntry(checkMutableDict(theDict, "CFDictionaryAddValue"), key, value, true, false,
             "CFDictionaryAddValue");
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void *key, const void *value) {
    putEntry(checkMutableDict(theDict, "CFDictionarySetValue"), key, value, false, false,
             "CFDictionarySetValue");
}

void CFDictionaryReplaceValue(CFMutableDictionaryRef theDict, const void *key, const void *value) {
    putEntry(checkMutableDict(theDict, "CFDictionaryReplaceValue"), key, value, false, true,
             "CFDictionaryReplaceValue");
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

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef theDict) {
    __CFDictionary *d = checkMutableDict(theDict, "CFDictionaryRemoveAllValues");
    Table old(0, KeyHash{&d->keyCallBacks}, KeyEqual{&d->keyCallBacks}, cf::Allocator<int>());
    old.swap(d->table);
    for (const auto &entry : old)
        releaseEntry(d, entry.first, entry.second);
}

} // extern "C"
