/*
 * CFPropertyList.cpp
 *
 * Property lists in XML form, read by libplist and converted to an
 * immutable CF object tree of dictionaries, arrays, strings, booleans and
 * integers (64-bit numbers): what bundles, nibs and the plug-in's data hold.
 * A tree that holds anything else (a real, a date, data, a keyed-archiver
 * UID), or comes in the binary form, is refused, and so is a request for
 * mutable objects. Also the reader of localized strings tables.
 */
#include "CFInternal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <plist/plist.h>
#include <string_view>

namespace {

using FreeWith = std::unique_ptr<void, void (*)(void *)>;

// A new object for a libplist node; nullptr for a value that is no
// property-list type of the layer (or text that is no UTF-8).
CFTypeRef convert(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        cf::Owned<CFDictionaryRef> dict(cf::makeDictionary());
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        FreeWith itFree(it, std::free);
        if (it == nullptr)
            throw std::bad_alloc();
        for (;;) {
            char *key = nullptr; // XML keys hold no zero byte
            plist_t value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            FreeWith keyFree(key, std::free);
            if (value == nullptr)
                return dict.release();
            if (key == nullptr)
                throw std::bad_alloc();
            cf::Owned<CFStringRef> k(
                cf::decodeString(key, std::strlen(key), kCFStringEncodingUTF8));
            cf::Owned<CFTypeRef> v(convert(value));
            if (!k || !v)
                return nullptr;
            cf::dictionarySet(dict.get(), k.get(), v.get());
        }
    }
    case PLIST_ARRAY: {
        cf::Owned<CFArrayRef> array(cf::makeArray());
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i) {
            cf::Owned<CFTypeRef> v(convert(plist_array_get_item(node, i)));
            if (!v)
                return nullptr;
            cf::arrayAppend(array.get(), v.get());
        }
        return array.release();
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return text != nullptr ? cf::decodeString(text, length, kCFStringEncodingUTF8) : nullptr;
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value ? kCFBooleanTrue : kCFBooleanFalse;
    }
    case PLIST_UINT: {
        uint64_t raw = 0;
        plist_get_uint_val(node, &raw);
        __CFNumber *n = cf::newObject<__CFNumber>(cf::kNumberTypeID);
        n->i = static_cast<int64_t>(raw); // negative values come back two's-complement
        return n;
    }
    default:
        return nullptr; // reals, dates, data, UIDs, stray keys are not carried
    }
}

} // namespace

namespace cf {

CFPropertyListRef readPropertyList(const UInt8 *bytes, size_t count) {
    if (count == 0 || count > UINT32_MAX)
        return nullptr;
    plist_t root = nullptr;
    plist_from_xml(reinterpret_cast<const char *>(bytes), static_cast<uint32_t>(count), &root);
    FreeWith rootFree(root, plist_free);
    return root != nullptr ? convert(root) : nullptr;
}

// The text form is the one the README describes; anything malformed rejects
// the whole table.
CFDictionaryRef readStringsTable(const UInt8 *bytes, size_t count) {
    std::string_view s(reinterpret_cast<const char *>(bytes), count);
    if (s.substr(0, 3) == "\xEF\xBB\xBF")
        s.remove_prefix(3);
    Owned<CFDictionaryRef> table(makeDictionary());
    size_t i = 0;
    auto skipSpace = [&] { // and comments; false on an unterminated comment
        for (;;) {
            i = std::min(s.find_first_not_of(" \t\r\n", i), s.size());
            if (s.compare(i, 2, "//") == 0) {
                i = s.find('\n', i);
            } else if (s.compare(i, 2, "/*") == 0) {
                size_t end = s.find("*/", i + 2);
                if (end == std::string_view::npos)
                    return false;
                i = end + 2;
            } else {
                return true;
            }
        }
    };
    // A quoted string: \n and \t stand for a new line and a tab, a backslash
    // before any other character for that character.
    auto quoted = [&](Owned<CFStringRef> &out) {
        if (i >= s.size() || s[i] != '"')
            return false;
        String8 text;
        for (++i; i < s.size() && s[i] != '"'; ++i) {
            char c = s[i];
            if (c == '\\' && ++i < s.size())
                c = s[i] == 'n' ? '\n' : s[i] == 't' ? '\t' : s[i];
            text += c;
        }
        if (i++ >= s.size())
            return false;
        out.reset(decodeString(text.data(), text.size(), kCFStringEncodingUTF8));
        return out && skipSpace();
    };
    auto expect = [&](char c) { return i < s.size() && s[i++] == c && skipSpace(); };
    if (!skipSpace())
        return nullptr;
    while (i < s.size()) {
        Owned<CFStringRef> key, value;
        if (!quoted(key) || !expect('=') || !quoted(value) || !expect(';'))
            return nullptr;
        dictionarySet(table.get(), key.get(), value.get());
    }
    return table.release();
}

} // namespace cf

extern "C" CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xmlData,
                                                             CFOptionFlags mutabilityOption,
                                                             CFStringRef *errorString) {
    auto &bytes =
        cf::check<__CFData>(xmlData, cf::kDataTypeID, "CFPropertyListCreateFromXMLData")->bytes;
    bool outOfMemory = false;
    CFPropertyListRef result = nullptr;
    if (mutabilityOption == kCFPropertyListImmutable) {
        try {
            result = cf::readPropertyList(bytes.data(), bytes.size());
        } catch (const std::bad_alloc &) {
            outOfMemory = true;
        }
    }
    if (errorString != nullptr) // the caller releases the description
        *errorString = result != nullptr ? nullptr
                       : mutabilityOption != kCFPropertyListImmutable
                           ? CFSTR("Mutable property lists are not supported")
                       : outOfMemory ? CFSTR("Out of memory while reading the property list")
                                     : CFSTR("The data is no property list of the supported types");
    return result;
}
