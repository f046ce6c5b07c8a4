/*
 * FilterOracle.h
 *
 * An independent model of what the filter must write, computed over the
 * whole job at once from the rules it follows. It does not share code with
 * the filter: options are read with libcups, blocks are filled from their
 * own templates, the prolog is found by looking at every byte of the job,
 * and the chunk in which the filter meets the match (which decides the
 * block's line break) is derived from the chunk arithmetic alone. Used by
 * the filter tests and the filter's fuzz target, with the two helpers they
 * share for the files they hand the filter.
 */
#ifndef FILTER_ORACLE_H
#define FILTER_ORACLE_H

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <strings.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cups/cups.h>

#include "QuarnSettingsKeys.h"

namespace oracle {

const std::string kProlog = "%%BeginProlog";
const size_t kChunk = 4096;

/* A value as the contents of a PostScript string. */
inline std::string escape(const std::string &value) {
    std::string out;
    for (unsigned char c : value) {
        if (c == '\\' || c == '(' || c == ')') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 32 || c == 127) {
            char octal[8];
            snprintf(octal, sizeof(octal), "\\%03o", c);
            out += octal;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

/* The setuserinfo group every block begins with, and each job type's group
   after it. "$X" stands for a value in parentheses (U User ID, C User Code,
   T time, P Password, F file name), "\n" for the block's line break. A type
   requires the values its group shows. */
const std::string kSetUserInfo = "mark\n  $U $C $T {setuserinfo} stopped\ncleartomark\n";
const std::string kJobInfo = "mark {\n<<\n\t/JobType 3\n\t/JobInfo <<\t/UserID $U\n\t\t/Time $T\n";
const std::string kExec = ">> /QDeviceProcSet /ProcSet findresource /SetJobType get exec\n"
                          "} stopped cleartomark\n";
const std::string kKept = "\t\t/Password $P\n\t\t/JobID $F\n\t>>\n\t/JobAttr <<\t/Save ";
const std::map<std::string, std::string> kGroups = {
    {kQuarnJobTypeNormal, ""},
    {kQuarnJobTypeGuardedPrint, "mark\n  $U $T $P {secureprint} stopped\ncleartomark\n"},
    {kQuarnJobTypeTrialPrint, "mark\n  $U $T {proofprint} stopped\ncleartomark\n"},
    {kQuarnJobTypeBoxStorage, "mark\n  $U $T $P $F {storedprint} stopped\ncleartomark\n"},
    {kQuarnJobTypeHaltedPrint, kJobInfo + "\t\t/JobID $F\n\t>>\n" + kExec},
    {kQuarnJobTypeKeptPrint, kJobInfo + kKept + "1\n\t\t/Public false\n\t\t>>\n" + kExec},
    {kQuarnJobTypeKeepBoxPrint, kJobInfo + kKept + "2\n\t\t/Public false\n\t\t>>\n" + kExec}};

/* The template filled in, or nothing when `required` and a value it shows is absent. */
inline std::optional<std::string> fill(const std::string &text,
                                       const std::map<char, std::optional<std::string>> &values,
                                       const std::string &lineBreak, bool required) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n') {
            out += lineBreak;
        } else if (text[i] != '$') {
            out += text[i];
        } else {
            const std::optional<std::string> &value = values.at(text[++i]);
            if (!value && required)
                return std::nullopt;
            out += "(" + escape(value.value_or("")) + ")";
        }
    }
    return out;
}

inline bool isLineHead(const std::string &job, size_t i) {
    return i == 0 || job[i - 1] == '\n' || job[i - 1] == '\r';
}

/* The kind of the first line break in a chunk, as the chunk scan settles it. */
inline std::string detectBreak(const std::string &data) {
    if (data.empty())
        return "\n";
    size_t i = data[0] == '\r' ? 0 : data.find_first_of("\r\n", 1);
    if (i == std::string::npos || data[i] == '\n' || i + 2 >= data.size())
        return "\n";
    return data[i + 1] == '\n' ? "\r\n" : "\r";
}

/* The line break the block takes for a match at `position`. Chunks follow
   each other every 4096 bytes, except that a chunk that ends inside a
   possible match at its last line head is followed by a chunk that starts
   at that line head. */
inline std::string lineBreakFor(const std::string &job, size_t position) {
    for (size_t start = 0;;) {
        size_t end = std::min(start + kChunk, job.size()), last = end - 1;
        if (position >= start && position + kProlog.size() <= end)
            return detectBreak(job.substr(start, end - start));
        while (last > start && !isLineHead(job, last))
            last--;
        bool partial = last > start && end < job.size() && end - last < kProlog.size() &&
                       job.compare(last, end - last, kProlog, 0, end - last) == 0;
        start = partial ? last : end;
    }
}

/* The time stamp made at `when` by a filter run with TZ=UTC0: local time
   in the client's zone `zone` where there is one. Leaves TZ at that zone. */
inline std::string stamp(const std::optional<std::string> &zone, time_t when) {
    setenv("TZ", zone.value_or("UTC0").c_str(), 1);
    tzset();
    struct tm local = {};
    char text[64];
    localtime_r(&when, &local);
    strftime(text, sizeof(text), "%Y%m%d%H%M", &local);
    return text;
}

/* The block for a CUPS option string at `when`, or nothing when a required
   option is absent. */
inline std::optional<std::string> block(const std::string &options, const std::string &lineBreak,
                                        time_t when) {
    cups_option_t *parsed = nullptr;
    int count = cupsParseOptions(options.c_str(), 0, &parsed);
    auto get = [&](const char *name) -> std::optional<std::string> {
        const char *value = cupsGetOption(name, count, parsed);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    std::optional<std::string> type = get(kQuarnJobTypeKey),
                               enable = get(kQuarnEnableUserCodeOption);
    bool codeEnabled = enable && strcasecmp(enable->c_str(), "true") == 0;
    std::map<char, std::optional<std::string>> values = {
        {'U', get(kQuarnUserIDKey)},
        {'C', codeEnabled ? get(kQuarnUserCodeKey) : ""},
        {'T', stamp(get(kQuarnTimeZoneKey), when)},
        {'P', get(kQuarnPasswordKey)},
        {'F', get(kQuarnFileNameKey)}};
    cupsFreeOptions(count, parsed);
    auto group = kGroups.find(type.value_or(""));
    if (group == kGroups.end())
        group = kGroups.find(kQuarnJobTypeNormal);
    std::optional<std::string> first = fill(kSetUserInfo, values, lineBreak, false);
    std::optional<std::string> second = fill(group->second, values, lineBreak, true);
    if (!values['C'] || !second)
        return std::nullopt;
    return *first + *second;
}

struct Expectation {
    int exitStatus;
    std::string output;
};

/* What the filter writes for `job` with `options`, the clock showing `when`. */
inline Expectation expect(const std::string &job, const std::string &options, time_t when) {
    size_t position = 0;
    while (position + kProlog.size() <= job.size() &&
           !(isLineHead(job, position) && job.compare(position, kProlog.size(), kProlog) == 0))
        position++;
    if (position + kProlog.size() > job.size())
        return {0, job};
    std::optional<std::string> text = block(options, lineBreakFor(job, position), when);
    if (!text)
        return {1, job.substr(0, position)};
    return {0, job.substr(0, position) + *text + job.substr(position)};
}

/* A memory file holding `contents`. */
inline int memoryFile(const std::string &contents) {
    int fd = memfd_create("filter_tests", 0);
    if (fd < 0 || write(fd, contents.data(), contents.size()) != ssize_t(contents.size()))
        throw std::runtime_error("cannot make a memory file");
    return fd;
}

/* Everything in a memory file (from its start) or a pipe (until its end). */
inline std::string readAll(int fd) {
    std::string text;
    char buffer[65536];
    ssize_t n;
    lseek(fd, 0, SEEK_SET);
    while ((n = read(fd, buffer, sizeof(buffer))) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

} // namespace oracle

#endif
