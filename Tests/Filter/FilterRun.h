/*
 * FilterRun.h
 *
 * Runs a filter binary as a child process the way the spooler does: the
 * CUPS filter arguments, the job on standard input (optionally delivered in
 * pieces of given sizes, or endlessly until a cancel) or as a named file,
 * standard output and standard error captured, or standard output sent to a
 * given file such as /dev/full, along each of the paths a job can take
 * through the filter.
 */
#ifndef FILTER_RUN_H
#define FILTER_RUN_H

#include <string>
#include <vector>

#include <gtest/gtest.h>

/* How the job reaches the filter and leaves it: the kernel moves it
   between pipes (and between a pipe and a file) in its own ways, and falls
   back to reading and writing where it cannot; every way must give the
   same bytes. */
enum class Path { kPipeToPipe, kPipeToFile, kFileToPipe, kFileToFile, kFallback };
extern const Path kEveryPath[5];
const char *pathName(Path path);

struct FilterRun {
    Path path = Path::kPipeToPipe;              /* kFallback runs the fault-injection build */
    std::string program;                        /* defaults to the built jobcontrolfilter */
    std::string options;                        /* argument 5 */
    std::string input;                          /* written to standard input */
    std::vector<size_t> pieces;                 /* sizes in which the input is written, cycled */
    std::vector<std::string> extraArgs;         /* argument 6 and beyond */
    bool omitOptions = false;                   /* pass only four arguments */
    std::string stdoutPath;                     /* when set, standard output goes to this file */
    std::vector<std::string> environment;       /* NAME=value added to the child's environment */
    bool pinClock = false;                      /* the clock set to `clock` through libfaketime */
    std::string clock = "@2026-03-01 00:30:00"; /* a FAKETIME setting: 1 March 2026 00:30 UTC */
    int terminateAfterMs = 0; /* when set, the input is sent over and over and SIGTERM
                                 arrives after this many milliseconds */
};

struct FilterResult {
    int exitStatus = -1; /* -1 when killed by a signal */
    int signal = 0;
    std::string out;
    std::string err;
};

FilterResult runFilter(const FilterRun &run);

/* The fault-injection build along `path`, the clock pinned, with
   JOBCONTROLFILTER_FAULT set to `fault`. */
FilterResult runWithFault(const std::string &fault, const std::string &job,
                          const std::string &options, Path path);

/* Lines of standard error that begin with `prefix`. */
std::vector<std::string> linesStartingWith(const std::string &text, const std::string &prefix);

/* Byte-exact comparison that names the first difference instead of
   printing whole jobs. */
testing::AssertionResult sameBytes(const std::string &actual, const std::string &expected);

/* The path of the production filter and of the fault-injection build. */
const char *filterPath();
const char *faultFilterPath();

/* The local time the pinned clock shows for a client 9 hours east of UTC. */
extern const char kPinnedStampJST[];
/* The same clock read in UTC (the runner gives the filter TZ=UTC0). */
extern const char kPinnedStampUTC[];

#endif
