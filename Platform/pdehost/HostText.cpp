/*
 * HostText.cpp
 *
 * UTF-8 in and out of the platform's strings; the host's complaints.
 */
#include "HostText.h"

#include <cstdio>

std::optional<std::string> TextFromCFString(CFStringRef string) {
    if (string == nullptr)
        return std::nullopt;
    CFIndex length = CFStringGetLength(string);
    CFIndex usedBytes = 0;
    CFIndex converted = CFStringGetBytes(string, CFRangeMake(0, length), kCFStringEncodingUTF8, 0,
                                         false, nullptr, 0, &usedBytes);
    if (converted != length)
        return std::nullopt;
    std::string text(static_cast<size_t>(usedBytes), '\0');
    if (usedBytes > 0 &&
        CFStringGetBytes(string, CFRangeMake(0, length), kCFStringEncodingUTF8, 0, false,
                         reinterpret_cast<UInt8 *>(text.data()), usedBytes, &usedBytes) != length)
        return std::nullopt;
    text.resize(static_cast<size_t>(usedBytes));
    return text;
}

std::string TextOrEmpty(CFStringRef string) {
    return TextFromCFString(string).value_or(std::string());
}

CFStringRef CreateCFStringFromText(std::string_view text) {
    return CFStringCreateWithBytes(kCFAllocatorDefault,
                                   reinterpret_cast<const UInt8 *>(text.data()),
                                   static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false);
}

void Complain(const std::string &message) {
    std::fprintf(stderr, "pdehost: %s\n", message.c_str());
}
