/*
 * TimeZoneText.cpp
 *
 * The client's time-zone text: the local zone's abbreviation followed by its
 * offset west of UTC, in the form of the "TZ" environment variable without a
 * daylight-saving part. Minutes (and seconds) are kept when the offset is not
 * a whole number of hours, and an abbreviation that is not made of three or
 * more letters is written in angle brackets, so the text is always a rule
 * that a reader of "TZ" accepts: "JST-9", "EST5", "IST-5:30", "<+04>-4".
 */
#include "TimeZoneText.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

static bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

/* A name that a rule can carry as it is: three or more letters. */
static bool IsPlainAbbreviation(const char *abbr) {
    size_t length = 0;
    for (; abbr[length] != '\0'; length++)
        if (!IsAsciiLetter(abbr[length]))
            return false;
    return length >= 3;
}

/* A name that a rule can carry in angle brackets: three or more letters,
   digits, plus or minus signs. */
static bool IsQuotableAbbreviation(const char *abbr) {
    size_t length = 0;
    for (; abbr[length] != '\0'; length++) {
        char c = abbr[length];
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-')
            return false;
    }
    return length >= 3;
}

/* The offset written as a name, "+04" or "+0530", for zones without a usable one. */
static void FormatOffsetName(long secondsEast, char *name, size_t size) {
    char sign = secondsEast < 0 ? '-' : '+';
    long magnitude = labs(secondsEast);
    long hours = magnitude / 3600, minutes = magnitude % 3600 / 60, seconds = magnitude % 60;
    if (seconds != 0)
        snprintf(name, size, "%c%02ld%02ld%02ld", sign, hours, minutes, seconds);
    else if (minutes != 0)
        snprintf(name, size, "%c%02ld%02ld", sign, hours, minutes);
    else
        snprintf(name, size, "%c%02ld", sign, hours);
}

bool FormatTimeZoneRule(const struct tm *localTime, char *buffer, size_t size) {
    if (buffer == NULL || size == 0)
        return false;
    buffer[0] = '\0';
    if (localTime == NULL)
        return false;

    long secondsEast = localTime->tm_gmtoff;
    const char *abbr = localTime->tm_zone;
    char offsetName[64];
    const char *open = "", *close = "";
    if (abbr == NULL || !IsPlainAbbreviation(abbr)) {
        if (abbr == NULL || !IsQuotableAbbreviation(abbr)) {
            FormatOffsetName(secondsEast, offsetName, sizeof offsetName);
            abbr = offsetName;
        }
        open = "<";
        close = ">";
    }

    /* The rule's offset counts hours west of UTC. */
    long secondsWest = -secondsEast;
    const char *sign = secondsWest < 0 ? "-" : "";
    long magnitude = labs(secondsWest);
    long hours = magnitude / 3600, minutes = magnitude % 3600 / 60, seconds = magnitude % 60;

    int written;
    if (seconds != 0)
        written = snprintf(buffer, size, "%s%s%s%s%ld:%02ld:%02ld", open, abbr, close, sign, hours,
                           minutes, seconds);
    else if (minutes != 0)
        written =
            snprintf(buffer, size, "%s%s%s%s%ld:%02ld", open, abbr, close, sign, hours, minutes);
    else
        written = snprintf(buffer, size, "%s%s%s%s%ld", open, abbr, close, sign, hours);
    if (written < 0 || (size_t)written >= size) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

CFStringRef CopyTimeZoneText(time_t when) {
    tzset(); /* localtime_r need not notice a changed "TZ" by itself */
    struct tm localTime;
    if (localtime_r(&when, &localTime) == NULL)
        return NULL;
    char rule[128];
    if (!FormatTimeZoneRule(&localTime, rule, sizeof rule))
        return NULL;
    return CFStringCreateWithCString(kCFAllocatorDefault, rule, kCFStringEncodingASCII);
}
