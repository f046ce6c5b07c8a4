/*
 * FilterOracle.h
 *
 * An independent model of what the filter must write, computed over the
 * whole job at once from the rules it follows: the job-control block for
 * the options, PostScript string escaping, the line break the block takes,
 * and the job with the block in front of its first "%%BeginProlog" line
 * head. Used by the filter tests and the filter's fuzz target.
 */
#ifndef FILTER_ORACLE_H
#define FILTER_ORACLE_H

#include <optional>
#include <string>

namespace oracle {

/* The block for a CUPS option string, or nothing when a required option is absent. */
std::optional<std::string> block(const std::string &options, const std::string &lineBreak,
                                 const std::string &stamp);

struct Expectation {
    int exitStatus;
    std::string output;
};

/* What the filter writes for `job` with `options`, the clock showing `stamp`. */
Expectation expect(const std::string &job, const std::string &options, const std::string &stamp);

} // namespace oracle

#endif
