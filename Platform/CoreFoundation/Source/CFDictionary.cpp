/*
 * CFDictionary.cpp
 *
 * Dictionaries of key-value pairs, made by the readers of property lists
 * and strings tables and immutable afterwards. Keys and values are CF
 * objects: retained, released, keys compared with CFEqual.
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

} // namespace

namespace cf {

const CFStandInClass kDictionaryClass = {"CFDictionary", finalizeDictionary, equalDictionaries};

CFDictionaryRef makeDictionary() {
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

CFTypeID CFDictionaryGetTypeID(void) {
    return cf::kDictionaryTypeID;
}

const void *CFDictionaryGetValue(CFDictionaryRef theDict, const void *key) {
    auto *d = cf::check<__CFDictionary>(theDict, cf::kDictionaryTypeID, "CFDictionaryGetValue");
    auto found = find(d, cf::checkAny(key, "CFDictionaryGetValue"));
    return found == d->entries.end() ? nullptr : found->second;
}

} // extern "C"
