/*
 * HostText.cpp
 *
 * UTF-8 in and out of the platform's strings; the host's event lines and
 * complaints.
 */
#include "HostText.h"

#include <algorithm>

std::optional<std::string> TextFromCFString(CFStringRef string) {
    if (string == nullptr)
        return std::nullopt;
    CFIndex length = CFStringGetLength(string);
    CFIndex usedBytes = 0;
    std::string text(static_cast<size_t>(length) * 3, '\0'); /* 3 bytes at most a UTF-16 unit */
    if (CFStringGetBytes(string, CFRangeMake(0, length), kCFStringEncodingUTF8, 0, false,
                         reinterpret_cast<UInt8 *>(text.data()), length * 3, &usedBytes) != length)
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

void ReleaseIfAny(CFTypeRef ref) {
    if (ref != nullptr)
        CFRelease(ref);
}

void Complain(const std::string &message, int line) {
    std::string at = line > 0 ? "line " + std::to_string(line) + ": " : "";
    std::fprintf(stderr, "pdehost: %s%s\n", at.c_str(), message.c_str());
}

std::string QuoteEventText(std::string_view text) {
    std::string quoted = "\"";
    for (char ch : text) {
        if (ch == '"' || ch == '\\')
            quoted += '\\';
        quoted += ch;
    }
    return quoted + '"';
}

std::string FourCharCodeText(uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += static_cast<char>((code >> shift) & 0xFF);
    if (std::all_of(text.begin(), text.end(), [](char ch) { return ch > ' ' && ch <= '~'; }))
        return text;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    return hex;
}

void EventWriter::Line(const std::string &text) {
    if (std::fwrite(text.data(), 1, text.size(), mStream) != text.size() ||
        std::fputc('\n', mStream) == EOF || std::fflush(mStream) == EOF)
        mGood = false;
}
