/*
 * HostText.h
 *
 * Conversions between the platform's strings and the host's UTF-8 texts,
 * the host's event lines on standard output (README.md, "The output") and
 * its complaints on standard error.
 */
#ifndef PDEHOST_HOST_TEXT_H
#define PDEHOST_HOST_TEXT_H

#include <CoreFoundation/CoreFoundation.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

/* The string's text in UTF-8; nothing for NULL or a failed conversion. */
std::optional<std::string> TextFromCFString(CFStringRef string);

/* The string's text, or "" when it has none. */
std::string TextOrEmpty(CFStringRef string);

/* A new string (the caller releases it) from UTF-8 text; NULL when the text
   is not UTF-8 or memory runs out. */
CFStringRef CreateCFStringFromText(std::string_view text);

/* CFRelease for a reference that may be NULL. */
void ReleaseIfAny(CFTypeRef ref);

/* "pdehost: MESSAGE" on standard error, or "pdehost: line N: MESSAGE"
   about the script's line N. */
void Complain(const std::string &message, int line = 0);

/* `text` in double quotes, '"' and '\' escaped by a backslash. */
std::string QuoteEventText(std::string_view text);

/* A four-character code as its four characters when they are printable
   ASCII other than space, else as 0x followed by eight hex digits. */
std::string FourCharCodeText(uint32_t code);

/* Writes event lines to one stream and flushes after each, so that the
   lines keep their order with the output of programs the host starts. */
class EventWriter {
public:
    explicit EventWriter(FILE *stream) : mStream(stream) {}

    /* One line, written by length: a text may hold a zero character. */
    void Line(const std::string &text);
    /* "status OPERATION CODE" */
    void Status(const char *operation, long code) {
        Line("status " + std::string(operation) + " " + std::to_string(code));
    }

    /* False once a line could not be written. */
    bool Good() const { return mGood; }

private:
    FILE *mStream;
    bool mGood = true;
};

#endif /* PDEHOST_HOST_TEXT_H */
