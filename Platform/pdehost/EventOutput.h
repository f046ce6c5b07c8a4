/*
 * EventOutput.h
 *
 * The host's event lines on standard output (README.md, "The output").
 */
#ifndef PDEHOST_EVENT_OUTPUT_H
#define PDEHOST_EVENT_OUTPUT_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

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

#endif /* PDEHOST_EVENT_OUTPUT_H */
