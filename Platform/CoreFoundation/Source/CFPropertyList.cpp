/*
 * CFPropertyList.cpp
 *
 * Property lists in XML and binary form, read by libplist and converted to
 * the CF object tree. Integers are read as 64-bit
 * numbers, reals as doubles, dates as CFDates; a tree that holds anything
 * else (a keyed-archiver UID, a non-string dictionary key) is refused.
 */
#include "CFInternal.h"

#include <cstdlib>
#include <cstring>
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

CFTypeRef fromPlist(plist_t node, CFOptionFlags options);

template <class T> T need(T ref) {
    if (ref == nullptr)
        throw std::bad_alloc();
    return ref;
}

// The text of a key node, whole. libplist's key getters assert when a key
// holds a zero byte (a binary list can store one), and its node copy cuts
// the key short; so the key node itself is written alone as a binary list
// and read back as a string, whose bytes come with their length. False for
// a key that is no UTF-8 text.
bool keyFromPlist(plist_t keyNode, cf::UniVec &chars) {
    char *binary = nullptr;
    uint32_t length = 0;
    plist_to_bin(keyNode, &binary, &length);
    if (binary == nullptr)
        throw std::bad_alloc();
    PlistHolder text;
    plist_from_bin(binary, length, &text.node);
    plist_to_bin_free(binary);
    uint64_t size = 0;
    const char *bytes = text.node != nullptr ? plist_get_string_ptr(text.node, &size) : nullptr;
    if (bytes == nullptr)
        return false;
    return cf::decode(reinterpret_cast<const UInt8 *>(bytes), static_cast<size_t>(size),
                      kCFStringEncodingUTF8, false, chars);
}

CFStringRef stringFromPlist(plist_t node, bool isKey, bool isMutable) {
    cf::UniVec chars;
    bool valid;
    if (isKey) {
        valid = keyFromPlist(node, chars);
    } else {
        // By length: a string may hold a zero character (a binary list
        // stores its length), which libplist's copying getter refuses.
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        if (text == nullptr)
            return nullptr;
        valid = cf::decode(reinterpret_cast<const UInt8 *>(text), static_cast<size_t>(length),
                           kCFStringEncodingUTF8, false, chars);
    }
    if (!valid)
        return nullptr;
    if (isMutable)
        return need(cf::makeMutableString(chars.data(), chars.size(), 0));
    return need(cf::makeString(chars.data(), chars.size()));
}

// A date's time, exactly. libplist's getter splits it into seconds and
// microseconds, both cut toward zero, and drops the fraction's sign (a date
// just before the reference date reads as one just after it); so the time is
// taken from the node written alone as a binary list: "bplist00", the date
// marker 0x33 and the time as a big-endian double.
double dateFromPlist(plist_t node) {
    char *binary = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &binary, &length);
    if (binary == nullptr)
        throw std::bad_alloc();
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(binary);
    bool exact = length >= 17 && std::memcmp(bytes, "bplist00", 8) == 0 && bytes[8] == 0x33;
    uint64_t bits = 0;
    for (int i = 9; exact && i < 17; ++i)
        bits = bits << 8 | bytes[i];
    plist_to_bin_free(binary);
    if (exact) {
        double time = 0;
        std::memcpy(&time, &bits, sizeof time);
        return time;
    }
    int32_t sec = 0, usec = 0;
    plist_get_date_val(node, &sec, &usec);
    return sec + (sec < 0 ? -usec : usec) / 1e6;
}

CFTypeRef dictFromPlist(plist_t node, CFOptionFlags options) {
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
        plist_t value = nullptr;
        plist_dict_next_item(node, it, nullptr, &value);
        if (value == nullptr)
            break;
        plist_t keyNode = plist_dict_item_get_key(value);
        cf::UniVec chars;
        if (keyNode == nullptr || !keyFromPlist(keyNode, chars))
            return nullptr;
        cf::Owned<CFStringRef> k(need(cf::makeString(chars.data(), chars.size())));
        cf::Owned<CFTypeRef> v(fromPlist(value, options));
        if (!v)
            return nullptr;
        CFIndex before = CFDictionaryGetCount(dict.get());
        bool replacing = CFDictionaryContainsKey(dict.get(), k.get());
        CFDictionarySetValue(dict.get(), k.get(), v.get());
        if (!replacing && CFDictionaryGetCount(dict.get()) != before + 1)
            throw std::bad_alloc();
    }
    if (options == kCFPropertyListImmutable)
        cf::setDictionaryMutable(dict.get(), false);
    return dict.release();
}

CFTypeRef arrayFromPlist(plist_t node, CFOptionFlags options) {
    cf::Owned<CFMutableArrayRef> array(
        need(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks)));
    uint32_t count = plist_array_get_size(node);
    for (uint32_t i = 0; i < count; ++i) {
        cf::Owned<CFTypeRef> v(fromPlist(plist_array_get_item(node, i), options));
        if (!v)
            return nullptr;
        CFArrayAppendValue(array.get(), v.get());
        if (CFArrayGetCount(array.get()) != static_cast<CFIndex>(i) + 1)
            throw std::bad_alloc();
    }
    if (options == kCFPropertyListImmutable)
        cf::setArrayMutable(array.get(), false);
    return array.release();
}

CFTypeRef fromPlist(plist_t node, CFOptionFlags options) {
    if (node == nullptr)
        return nullptr;
    const bool mutableLeaves = options == kCFPropertyListMutableContainersAndLeaves;
    switch (plist_get_node_type(node)) {
    case PLIST_DICT:
        return dictFromPlist(node, options);
    case PLIST_ARRAY:
        return arrayFromPlist(node, options);
    case PLIST_STRING:
        return stringFromPlist(node, false, mutableLeaves);
    case PLIST_KEY:
        return stringFromPlist(node, true, mutableLeaves);
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
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return need(CFNumberCreate(nullptr, kCFNumberFloat64Type, &value));
    }
    case PLIST_DATE:
        return need(cf::makeDate(dateFromPlist(node)));
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        CFTypeRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8 *>(bytes),
                                      static_cast<CFIndex>(length));
        std::free(bytes);
        return need(data); // no call edits data, so mutable leaves need no mutable data
    }
    default:
        return nullptr; // UIDs and anything else are no property-list types here
    }
}

// Parses data; nullptr on failure, with *outOfMemory set when memory ran out.
CFPropertyListRef parse(CFDataRef data, CFOptionFlags options, CFPropertyListFormat *format,
                        bool *outOfMemory) {
    return cf::createPropertyList(CFDataGetBytePtr(data),
                                  static_cast<size_t>(CFDataGetLength(data)), options, format,
                                  outOfMemory);
}

} // namespace

namespace cf {

CFPropertyListRef createPropertyList(const UInt8 *bytes, size_t count, CFOptionFlags options,
                                     CFPropertyListFormat *format, bool *outOfMemory) {
    *outOfMemory = false;
    if (count == 0 || count > UINT32_MAX)
        return nullptr;
    if (options > kCFPropertyListMutableContainersAndLeaves)
        options = kCFPropertyListMutableContainersAndLeaves;
    const char *text = reinterpret_cast<const char *>(bytes);
    const bool binary = plist_is_binary(text, static_cast<uint32_t>(count)) != 0;
    PlistHolder holder;
    plist_from_memory(text, static_cast<uint32_t>(count), &holder.node);
    if (holder.node == nullptr)
        return nullptr;
    CFTypeRef result = nullptr;
    try {
        result = fromPlist(holder.node, options);
    } catch (const std::bad_alloc &) {
        *outOfMemory = true;
        return nullptr;
    }
    if (result != nullptr && format != nullptr)
        *format = binary ? kCFPropertyListBinaryFormat_v1_0 : kCFPropertyListXMLFormat_v1_0;
    return result;
}

} // namespace cf

extern "C" {

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption,
                                                  CFStringRef *errorString) {
    cf::checkType(xmlData, cf::kDataTypeID, "CFPropertyListCreateFromXMLData");
    bool outOfMemory = false;
    CFPropertyListRef result = parse(xmlData, mutabilityOption, nullptr, &outOfMemory);
    if (errorString != nullptr) // the caller releases the description
        *errorString = result != nullptr ? nullptr
                       : outOfMemory     ? CFSTR("Out of memory while reading the property list")
                                         : CFSTR("The data is no XML or binary property list");
    return result;
}

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data,
                                               CFOptionFlags options, CFPropertyListFormat *format,
                                               CFErrorRef *error) {
    cf::checkType(data, cf::kDataTypeID, "CFPropertyListCreateWithData");
    bool outOfMemory = false;
    CFPropertyListRef result = parse(data, options, format, &outOfMemory);
    if (error != nullptr)
        *error = result == nullptr ? cf::makeError(kCFPropertyListReadCorruptError) : nullptr;
    return result;
}

} // extern "C"
