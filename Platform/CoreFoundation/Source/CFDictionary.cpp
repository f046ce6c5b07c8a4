/*
 * CFDictionary.cpp
 *
 * Dictionaries of key-value pairs. Keys and values are CF objects (the
 * kCFType callbacks: retained, released, keys compared with CFEqual); a
 * dictionary with other callbacks is not carried and
 * CFDictionaryCreateMutable gives NULL for one. A capacity is not enforced.
 */
#include "CFInternal.h"

namespace {

using Entries = cf::Vec<std::pair<const void *, const void *>>;

void finalizeDictionary(CFTypeRef cf) {
    for (const auto &entry : static_cast<const __CFDictionary *>(cf)->entries) {
        CFRelease(entry.first);
        CFRelease(entry.second);
    }
    cf::destroyObject<__CFDictionary>(cf);
}

// The entry for key, or end.
Entries::const_iterator find(const __CFDictionary *d, const void *key) {
    for (auto it = d->entries.begin(); it != d->entries.end(); ++it)
        if (it->first == key || CFEqual(it->first, key))
            return it;
    return d->entries.end();
}

Boolean equalDictionaries(CFTypeRef x, CFTypeRef y) {
    const auto *a = static_cast<const __CFDictionary *>(x);
    const auto *b = static_cast<const __CFDictionary *>(y);
    if (a->entries.size() != b->entries.size())
        return false;
    for (const auto &entry : a->entries) {
        auto found = find(b, entry.first);
        if (found == b->entries.end() || !CFEqual(entry.second, found->second))
            return false;
    }
    return true;
}

__CFDictionary *checkDict(CFTypeRef cf, const char *call, bool edit = false) {
    auto *d = cf::check<__CFDictionary>(cf, cf::kDictionaryTypeID, call);
    if (edit && !d->isMutable)
        CFStandInMisuse(call, "the dictionary is immutable");
    return d;
}

} // namespace

namespace cf {

const CFStandInClass kDictionaryClass = {"CFDictionary", finalizeDictionary, equalDictionaries};

CFMutableDictionaryRef makeDictionary() {
    return newObject<__CFDictionary>(kDictionaryTypeID);
}

void dictionarySet(CFDictionaryRef dict, const void *key, const void *value) {
    auto *d = const_cast<__CFDictionary *>(dict);
    auto found = find(d, key);
    if (found == d->entries.end()) {
        d->entries.emplace_back(key, value);
        CFRetain(key);
    } else {
        const void *old = found->second;
        d->entries[static_cast<size_t>(found - d->entries.begin())].second = value;
        CFRelease(old);
    }
    CFRetain(value);
}

} // namespace cf

extern "C" {

// Only the addresses count: the dictionaries of the layer hold CF objects.
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0,       nullptr, nullptr,
                                                                nullptr, nullptr, nullptr};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, nullptr, nullptr, nullptr,
                                                                    nullptr};

CFTypeID CFDictionaryGetTypeID(void) {
    return cf::kDictionaryTypeID;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks *keyCallBacks,
                                                 const CFDictionaryValueCallBacks *valueCallBacks) {
    if (capacity < 0)
        CFStandInMisuse("CFDictionaryCreateMutable", "negative capacity %ld", capacity);
    __CFDictionary *d = keyCallBacks == &kCFTypeDictionaryKeyCallBacks &&
                                valueCallBacks == &kCFTypeDictionaryValueCallBacks
                            ? cf::orNull(cf::makeDictionary)
                            : nullptr;
    if (d != nullptr)
        d->isMutable = true;
    return d;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
    return static_cast<CFIndex>(checkDict(theDict, "CFDictionaryGetCount")->entries.size());
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void *key) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryContainsKey");
    return find(d, cf::checkAny(key, "CFDictionaryContainsKey")) != d->entries.end();
}

const void *CFDictionaryGetValue(CFDictionaryRef theDict, const void *key) {
    const __CFDictionary *d = checkDict(theDict, "CFDictionaryGetValue");
    auto found = find(d, cf::checkAny(key, "CFDictionaryGetValue"));
    return found == d->entries.end() ? nullptr : found->second;
}

// Adds or replaces one entry; a failed allocation leaves the dictionary as it was.
void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void *key, const void *value) {
    checkDict(theDict, "CFDictionarySetValue", true);
    cf::checkAny(key, "CFDictionarySetValue");
    cf::checkAny(value, "CFDictionarySetValue");
    try {
        cf::dictionarySet(theDict, key, value);
    } catch (const std::bad_alloc &) {
    }
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void *key) {
    __CFDictionary *d = checkDict(theDict, "CFDictionaryRemoveValue", true);
    auto found = find(d, cf::checkAny(key, "CFDictionaryRemoveValue"));
    if (found == d->entries.end())
        return;
    auto entry = *found;
    d->entries.erase(found);
    CFRelease(entry.first);
    CFRelease(entry.second);
}

} // extern "C"
