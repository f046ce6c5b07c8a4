/*
 * TimeZoneText.h
 *
 * The client's time-zone text that the Job Log pane writes with the job:
 * a "TZ" rule without daylight saving that gives the local wall-clock
 * offset at a moment, such as "JST-9", "EST5", "IST-5:30" or "<+04>-4".
 */
#ifndef TIMEZONETEXT_H
#define TIMEZONETEXT_H

#include <CoreFoundation/CoreFoundation.h>

#include <stddef.h>
#include <time.h>

/*
 * Formats the rule for a broken-down local time (its tm_zone and
 * tm_gmtoff) into buffer. Returns false, leaving buffer empty, when it does
 * not fit.
 */
bool FormatTimeZoneRule(const struct tm *localTime, char *buffer, size_t size);

/* The rule for the local time at `when`, or null when it cannot be made. */
CFStringRef CopyTimeZoneText(time_t when);

#endif /* TIMEZONETEXT_H */
