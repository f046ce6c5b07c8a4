/*
 * standin_strings_table.cpp
 *
 * libFuzzer target for the strings-table reader of the CoreFoundation
 * stand-in's bundles. The input is a bundle's Localizable.strings; the
 * bundle is made afresh for each input and asked for fixed keys and for
 * the first quoted text of the input as a key.
 *
 * Checks: every lookup gives a string (a missing key gives the value asked
 * with, or the key itself); a second lookup gives the same.
 */
#include "StandInFuzzSupport.h"

#include <cstdint>
#include <string>

namespace {

CFStringRef lookUp(CFBundleRef bundle, CFStringRef key, CFStringRef value) {
    CFStringRef text = CFBundleCopyLocalizedString(bundle, key, value, nullptr);
    if (text == nullptr || CFGetTypeID(text) != CFStringGetTypeID())
        FuzzFail("a lookup gives no string");
    return text;
}

void check(CFBundleRef bundle, CFStringRef key) {
    CFStringRef fallback = CFSTR("-fallback-");
    CFStringRef first = lookUp(bundle, key, fallback);
    CFStringRef again = lookUp(bundle, key, fallback);
    CFStringRef withoutValue = lookUp(bundle, key, nullptr);
    if (!CFEqual(first, again))
        FuzzFail("two lookups of one key differ");
    // Without a value a missing key gives the key itself, a present one its text.
    if (!CFEqual(withoutValue, CFEqual(first, fallback) ? key : first) &&
        !CFEqual(withoutValue, fallback))
        FuzzFail("a lookup without a value gives another text");
    for (CFStringRef s : {withoutValue, again, first})
        CFRelease(s);
}

} // namespace

void FuzzOne(const uint8_t *data, size_t size) {
    CFBundleRef bundle = CreateScratchBundle("Contents/Resources/Localizable.strings", data, size);

    check(bundle, CFSTR("User ID"));
    check(bundle, CFSTR(""));
    const std::string text(reinterpret_cast<const char *>(data), size);
    const size_t open = text.find('"'), close = text.find('"', open + 1); /* none: npos + 1 is 0 */
    if (close != std::string::npos) {
        CFStringRef key = CFStringCreateWithBytes(
            nullptr, data + open + 1, CFIndex(close - open - 1), kCFStringEncodingUTF8, false);
        if (key != nullptr) {
            check(bundle, key);
            CFRelease(key);
        }
    }
    CFRelease(bundle);
}
