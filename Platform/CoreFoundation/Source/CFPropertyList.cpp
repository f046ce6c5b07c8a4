/*
 * CFPropertyList.cpp
 *
 * Property lists in XML form, read by libplist and converted to an
 * immutable CF object tree of dictionaries, arrays, strings, booleans and
 * integers (64-bit numbers): what bundles, nibs and the plug-in's data hold.
 * A tree that holds anything else (a real, a date, data, a keyed-archiver
 * UID), or comes in the binary form, is refused, and so is a request for
 * mutable objects.
 */
#include "CFInternal.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <plist/plist.h>

namespace {

struct PlistHolder {
    plist_t node = nullptr;
    ~PlistHolder() {
        if (node != nullptr)
            plist_free(node);
    }
};

// Reading: every helper returns a new object, returns nullptr for a value
// that is no property-list type (or text that is no UTF-8), and throws
// std::bad_alloc when memory runs out, so that the two can be told apart.

CFTypeRef fromPlist(plist_t node);

template <class T> T need(T ref) {
    if (ref == nullptr)
        throw std::bad_alloc();
    return ref;
}

// A string of UTF-8 text; nullptr for text that is no UTF-8.
CFStringRef stringFromText(const char *text, size_t length) {
    cf::UniVec chars;
    if (text == nullptr || !cf::decode(reinterpret_cast<const UInt8 *>(text), length,
                                       kCFStringEncodingUTF8, false, chars))
        return nullptr;
    return need(cf::makeString(chars.data(), chars.size()));
}

CFTypeRef dictFromPlist(plist_t node) {
    cf::Owned<CFMutableDictionaryRef> dict(need(cf::makeTypeDictionary(true)));
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    if (it == nullptr)
        throw std::bad_alloc();
    struct IterFree {
        plist_dict_iter it;
        ~IterFree() { std::free(it); }
    } itFree{it};
    for (;;) {
        char *key = nullptr; // XML keys hold no zero byte
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        std::unique_ptr<char, void (*)(void *)> keyText(key, std::free);
        if (value == nullptr)
            break;
        cf::Owned<CFStringRef> k(stringFromText(key, key != nullptr ? strlen(key) : 0));
        if (!k)
            return nullptr;
        cf::Owned<CFTypeRef> v(fromPlist(value));
        if (!v)
            return nullptr;
        CFIndex before = CFDictionaryGetCount(dict.get());
        bool replacing = CFDictionaryContainsKey(dict.get(), k.get());
        CFDictionarySetValue(dict.get(), k.get(), v.get());
        if (!replacing && CFDictionaryGetCount(dict.get()) != before + 1)
            throw std::bad_alloc();
    }
    cf::setDictionaryMutable(dict.get(), false);
    return dict.release();
}

CFTypeRef arrayFromPlist(plist_t node) {
    cf::Owned<CFMutableArrayRef> array(
        need(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks)));
    uint32_t count = plist_array_get_size(node);
    for (uint32_t i = 0; i < count; ++i) {
        cf::Owned<CFTypeRef> v(fromPlist(plist_array_get_item(node, i)));
        if (!v)
            return nullptr;
        CFArrayAppendValue(array.get(), v.get());
        if (CFArrayGetCount(array.get()) != static_cast<CFIndex>(i) + 1)
            throw std::bad_alloc();
    }
    cf::setArrayMutable(array.get(), false);
    return array.release();
}

CFTypeRef fromPlist(plist_t node) {
    if (node == nullptr)
        return nullptr;
    switch (plist_get_node_type(node)) {
    case PLIST_DICT:
        return dictFromPlist(node);
    case PLIST_ARRAY:
        return arrayFromPlist(node);
    case PLIST_STRING: {
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return stringFromText(text, static_cast<size_t>(length));
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return CFRetain(value ? kCFBooleanTrue : kCFBooleanFalse);
    }
    case PLIST_UINT: {
        uint64_t raw = 0;
        plist_get_uint_val(node, &raw);
        int64_t value = static_cast<int64_t>(raw); // negative values come back two's-complement
        return need(CFNumberCreate(nullptr, kCFNumberSInt64Type, &value));
    }
    default:
        return nullptr; // reals, dates, data, UIDs, stray keys are not carried
    }
}

} // namespace

namespace cf {

CFPropertyListRef createPropertyList(const UInt8 *bytes, size_t count, bool *outOfMemory) {
    *outOfMemory = false;
    if (count == 0 || count > UINT32_MAX)
        return nullptr;
    PlistHolder holder;
    plist_from_xml(reinterpret_cast<const char *>(bytes), static_cast<uint32_t>(count),
                   &holder.node);
    try {
        return fromPlist(holder.node);
    } catch (const std::bad_alloc &) {
        *outOfMemory = true;
        return nullptr;
    }
}

} // namespace cf

extern "C" {

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption,
                                                  CFStringRef *errorString) {
    cf::checkType(xmlData, cf::kDataTypeID, "CFPropertyListCreateFromXMLData");
    bool outOfMemory = false;
    CFPropertyListRef result =
        mutabilityOption != kCFPropertyListImmutable
            ? nullptr
            : cf::createPropertyList(CFDataGetBytePtr(xmlData),
                                     static_cast<size_t>(CFDataGetLength(xmlData)), &outOfMemory);
    if (errorString != nullptr) // the caller releases the description
        *errorString = result != nullptr ? nullptr
                       : mutabilityOption != kCFPropertyListImmutable
                           ? CFSTR("Mutable property lists are not supported")
                       : outOfMemory ? CFSTR("Out of memory while reading the property list")
                                     : CFSTR("The data is no property list of the supported types");
    return result;
}

} // extern "C"
