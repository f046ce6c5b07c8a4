/*
 * FilterOracle.cpp
 *
 * The whole-buffer model of the filter's output. It does not share code
 * with the filter: blocks are written out line by line, the prolog is
 * found by looking at every byte of the job, and the chunk in which the
 * filter meets the match (which decides the block's line break) is derived
 * from the chunk arithmetic alone.
 */
#include "FilterOracle.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>
#include <vector>

#include "QuarnSettingsKeys.h"

namespace oracle {

static const std::string kProlog = "%%BeginProlog";
static const size_t kChunk = 4096;

static bool isBreak(char c) {
    return c == '\n' || c == '\r';
}

std::string escape(const std::string &value) {
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

/* Option names are compared ignoring letter case, as libcups compares them. */
static const std::string *find(const Options &options, const char *name) {
    for (const auto &[key, value] : options) {
        if (strcasecmp(key.c_str(), name) == 0)
            return &value;
    }
    return nullptr;
}

std::optional<std::string> block(const Options &options, const std::string &lineBreak,
                                 const std::string &stamp) {
    const std::string *typeValue = find(options, kQuarnJobTypeKey);
    std::string type = typeValue ? *typeValue : kQuarnJobTypeNormal;
    const std::vector<std::string> special = {kQuarnJobTypeGuardedPrint, kQuarnJobTypeTrialPrint,
                                              kQuarnJobTypeBoxStorage,   kQuarnJobTypeHaltedPrint,
                                              kQuarnJobTypeKeptPrint,    kQuarnJobTypeKeepBoxPrint};
    if (std::find(special.begin(), special.end(), type) == special.end())
        type = kQuarnJobTypeNormal;

    bool needsUid = type != kQuarnJobTypeNormal;
    bool needsPw = type == kQuarnJobTypeGuardedPrint || type == kQuarnJobTypeBoxStorage ||
                   type == kQuarnJobTypeKeptPrint || type == kQuarnJobTypeKeepBoxPrint;
    bool needsFile = type == kQuarnJobTypeBoxStorage || type == kQuarnJobTypeHaltedPrint ||
                     type == kQuarnJobTypeKeptPrint || type == kQuarnJobTypeKeepBoxPrint;
    const std::string *enable = find(options, kQuarnEnableUserCodeOption);
    bool codeEnabled = enable && strcasecmp(enable->c_str(), "true") == 0;

    const std::string *uid = find(options, kQuarnUserIDKey);
    const std::string *pw = find(options, kQuarnPasswordKey);
    const std::string *file = find(options, kQuarnFileNameKey);
    const std::string *code = find(options, kQuarnUserCodeKey);
    if ((needsUid && !uid) || (needsPw && !pw) || (needsFile && !file) || (codeEnabled && !code))
        return std::nullopt;

    std::string UID = "(" + escape(uid ? *uid : "") + ")";
    std::string CODE = "(" + escape(codeEnabled ? *code : "") + ")";
    std::string TIME = "(" + stamp + ")";
    std::string PW = "(" + escape(pw ? *pw : "") + ")";
    std::string FILE = "(" + escape(file ? *file : "") + ")";

    std::vector<std::string> lines = {
        "mark", "  " + UID + " " + CODE + " " + TIME + " {setuserinfo} stopped", "cleartomark"};
    auto add = [&lines](std::initializer_list<std::string> more) {
        lines.insert(lines.end(), more);
    };
    const std::string exec = ">> /QDeviceProcSet /ProcSet findresource /SetJobType get exec";
    if (type == kQuarnJobTypeGuardedPrint) {
        add({"mark", "  " + UID + " " + TIME + " " + PW + " {secureprint} stopped", "cleartomark"});
    } else if (type == kQuarnJobTypeTrialPrint) {
        add({"mark", "  " + UID + " " + TIME + " {proofprint} stopped", "cleartomark"});
    } else if (type == kQuarnJobTypeBoxStorage) {
        add({"mark", "  " + UID + " " + TIME + " " + PW + " " + FILE + " {storedprint} stopped",
             "cleartomark"});
    } else if (type == kQuarnJobTypeHaltedPrint) {
        add({"mark {", "<<", "\t/JobType 3", "\t/JobInfo <<\t/UserID " + UID, "\t\t/Time " + TIME,
             "\t\t/JobID " + FILE, "\t>>", exec, "} stopped cleartomark"});
    } else if (type == kQuarnJobTypeKeptPrint || type == kQuarnJobTypeKeepBoxPrint) {
        std::string save = type == kQuarnJobTypeKeptPrint ? "1" : "2";
        add({"mark {", "<<", "\t/JobType 3", "\t/JobInfo <<\t/UserID " + UID, "\t\t/Time " + TIME,
             "\t\t/Password " + PW, "\t\t/JobID " + FILE, "\t>>", "\t/JobAttr <<\t/Save " + save,
             "\t\t/Public false", "\t\t>>", exec, "} stopped cleartomark"});
    }
    std::string text;
    for (const std::string &line : lines)
        text += line + lineBreak;
    return text;
}

static bool isLineHead(const std::string &job, size_t i) {
    return i == 0 || isBreak(job[i - 1]);
}

std::optional<size_t> prologPosition(const std::string &job) {
    for (size_t i = 0; i + kProlog.size() <= job.size(); i++) {
        if (isLineHead(job, i) && job.compare(i, kProlog.size(), kProlog) == 0)
            return i;
    }
    return std::nullopt;
}

/* The kind of the first line break in `data`, as the chunk scan settles it. */
static std::string detectBreak(const std::string &data) {
    if (data.empty())
        return "\n";
    size_t i = data[0] == '\r' ? 0 : data.find_first_of("\r\n", 1);
    if (i == std::string::npos || data[i] == '\n' || i + 2 >= data.size())
        return "\n";
    return data[i + 1] == '\n' ? "\r\n" : "\r";
}

std::string lineBreakFor(const std::string &job, size_t position) {
    /* Chunks follow each other every 4096 bytes, except that a chunk that
       ends inside a possible match at its last line head is followed by a
       chunk that starts at that line head. */
    size_t start = 0;
    for (;;) {
        size_t end = std::min(start + kChunk, job.size());
        if (position >= start && position + kProlog.size() <= end)
            return detectBreak(job.substr(start, end - start));
        size_t last = std::string::npos;
        for (size_t i = end; i-- > start;) {
            if (isLineHead(job, i)) {
                last = i;
                break;
            }
        }
        if (last != std::string::npos && last > start && end < job.size() &&
            end - last < kProlog.size() &&
            job.compare(last, end - last, kProlog, 0, end - last) == 0)
            start = last;
        else
            start = end;
    }
}

Expectation expect(const std::string &job, const Options &options, const std::string &stamp) {
    std::optional<size_t> position = prologPosition(job);
    if (!position)
        return {0, job};
    std::optional<std::string> text = block(options, lineBreakFor(job, *position), stamp);
    if (!text)
        return {1, job.substr(0, *position)};
    return {0, job.substr(0, *position) + *text + job.substr(*position)};
}

std::string optionString(const Options &options) {
    std::string text;
    for (const auto &[name, value] : options) {
        if (!text.empty())
            text += ' ';
        text += name + "=\"";
        for (char c : value) {
            if (c == '"' || c == '\\')
                text += '\\';
            text += c;
        }
        text += '"';
    }
    return text;
}

} // namespace oracle
