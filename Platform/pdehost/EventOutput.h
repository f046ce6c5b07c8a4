/*
 * EventOutput.h
 *
 * The host's event lines on standard output (README.md, "The output").
 */
#ifndef PDEHOST_EVENT_OUTPUT_H
#define PDEHOST_EVENT_OUTPUT_H

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "TicketOptions.h"

/* `text` in double quotes, '"' and '\' escaped by a backslash. */
std::string QuoteEventText(std::string_view text);

/* A four-character code as its four characters when they are printable
   ASCII other than space, else as 0x followed by eight hex digits. */
std::string FourCharCodeText(uint32_t code);

/* What `show` reports about one control. */
struct ControlState {
    uint32_t signature = 0;
    int32_t id = 0;
    std::string kind;
    long value = 0;
    bool enabled = false;
    bool visible = false;
    bool focused = false;
    int top = 0, left = 0, bottom = 0, right = 0;
    std::string text;
};

/* Writes event lines to one stream and flushes after each, so that the
   lines keep their order with the output of programs the host starts. */
class EventWriter {
public:
    explicit EventWriter(FILE *stream) : mStream(stream) {}

    void Status(const char *operation, long code);
    void Beep();
    /* The explanation, when the alert has one, follows as a second text. */
    void Alert(const char *kind, std::string_view text,
               const std::optional<std::string> &explanation = std::nullopt);
    void Summary(std::string_view title, std::string_view text);
    void Control(const ControlState &control);
    /* The line of one item: string, boolean or other. */
    void Ticket(const TicketItem &item);
    void Options(std::string_view options);
    void Job(int jobID);
    void Output();

    /* False once a line could not be written. */
    bool Good() const { return mGood; }

private:
    void line(const std::string &text);

    FILE *mStream;
    bool mGood = true;
};

#endif /* PDEHOST_EVENT_OUTPUT_H */
