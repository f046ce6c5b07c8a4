/*
 * EventOutput.cpp
 *
 * Formats and writes the host's event lines.
 */
#include "EventOutput.h"

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
    for (int shift = 24; shift >= 0; shift -= 8) {
        char ch = static_cast<char>((code >> shift) & 0xFF);
        if (ch <= ' ' || ch > '~') {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
            return hex;
        }
        text += ch;
    }
    return text;
}

void EventWriter::Line(const std::string &text) {
    if (std::fwrite(text.data(), 1, text.size(), mStream) != text.size() ||
        std::fputc('\n', mStream) == EOF || std::fflush(mStream) == EOF)
        mGood = false;
}
