/*
 * FilterOracle.h
 *
 * An independent model of what the filter must write, computed over the
 * whole job at once: the job-control block for the options (written out
 * line by line per job type), PostScript string escaping, the job's line
 * break, and the job with the block in front of its first "%%BeginProlog"
 * line head. Used by the filter tests and the filter's fuzz target.
 */
#ifndef FILTER_ORACLE_H
#define FILTER_ORACLE_H

#include <map>
#include <optional>
#include <string>

namespace oracle {

using Options = std::map<std::string, std::string>;

/* A value as the contents of a PostScript string. */
std::string escape(const std::string &value);

/* The block for the options, or nothing when a required option is absent. */
std::optional<std::string> block(const Options &options, const std::string &lineBreak,
                                 const std::string &stamp);

/* Where the block goes: the first line head that begins with "%%BeginProlog". */
std::optional<size_t> prologPosition(const std::string &job);

/* The line break the block takes for a match at `position`. */
std::string lineBreakFor(const std::string &job, size_t position);

struct Expectation {
    int exitStatus;
    std::string output;
};

/* What the filter writes for `job` with `options`, the clock showing `stamp`. */
Expectation expect(const std::string &job, const Options &options, const std::string &stamp);

/* A CUPS option string for the options (values quoted, quotes escaped). */
std::string optionString(const Options &options);

} // namespace oracle

#endif
