/*
 * EventOutput.cpp
 *
 * Formats and writes the host's event lines.
 */
#include "EventOutput.h"

#include <cstdio>

std::string QuoteEventText(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (char ch : text) {
        if (ch == '"' || ch == '\\')
            quoted += '\\';
        quoted += ch;
    }
    quoted += '"';
    return quoted;
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

void EventWriter::line(const std::string &text) {
    // Written by length: a text may hold a zero character.
    if (std::fwrite(text.data(), 1, text.size(), mStream) != text.size() ||
        std::fputc('\n', mStream) == EOF || std::fflush(mStream) == EOF)
        mGood = false;
}

void EventWriter::Status(const char *operation, long code) {
    line("status " + std::string(operation) + " " + std::to_string(code));
}

void EventWriter::Beep() {
    line("beep");
}

void EventWriter::Alert(const char *kind, std::string_view text,
                        const std::optional<std::string> &explanation) {
    std::string event = "alert " + std::string(kind) + " " + QuoteEventText(text);
    if (explanation)
        event += " " + QuoteEventText(*explanation);
    line(event);
}

void EventWriter::Summary(std::string_view title, std::string_view text) {
    line("summary " + QuoteEventText(title) + " " + QuoteEventText(text));
}

void EventWriter::Control(const ControlState &control) {
    auto yesNo = [](bool flag) { return flag ? std::string("yes") : std::string("no"); };
    line("control " + FourCharCodeText(control.signature) + " " + std::to_string(control.id) + " " +
         control.kind + " value=" + std::to_string(control.value) +
         " enabled=" + yesNo(control.enabled) + " visible=" + yesNo(control.visible) +
         " focus=" + yesNo(control.focused) + " bounds=" + std::to_string(control.top) + "," +
         std::to_string(control.left) + "," + std::to_string(control.bottom) + "," +
         std::to_string(control.right) + " text=" + QuoteEventText(control.text));
}

void EventWriter::Ticket(const TicketItem &item) {
    std::string value = "other";
    if (item.kind == TicketItem::Kind::String)
        value = "string " + QuoteEventText(item.text);
    else if (item.kind == TicketItem::Kind::Boolean)
        value = item.boolean ? "boolean true" : "boolean false";
    line("ticket " + item.key + " " + value);
}

void EventWriter::Options(std::string_view options) {
    line(options.empty() ? std::string("options") : "options " + std::string(options));
}

void EventWriter::Job(int jobID) {
    line("job " + std::to_string(jobID));
}

void EventWriter::Output() {
    line("output");
}
