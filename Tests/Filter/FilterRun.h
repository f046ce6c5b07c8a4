/*
 * FilterRun.h
 *
 * Runs the filter as a child process the way the spooler does: the CUPS
 * filter arguments, the job on standard input (in pieces of given sizes, or
 * endlessly until a cancel) or as a named file, standard output to a pipe, a
 * file or a given path such as /dev/full, standard error captured, the clock
 * pinned through libfaketime; the fault-injection build when a fault is set.
 */
#ifndef FILTER_RUN_H
#define FILTER_RUN_H

#include <string>
#include <vector>

#include <gtest/gtest.h>

/* How the job reaches the filter and leaves it: the kernel moves it
   between pipes (and between a pipe and a file) in its own ways, and falls
   back to reading and writing where it cannot; every way must give the
   same bytes. kFallback is pipe to pipe with the kernel refusing. */
enum class Path { kPipeToPipe, kPipeToFile, kFileToPipe, kFileToFile, kFallback };
extern const Path kEveryPath[5];
const char *pathName(Path path);

struct FilterRun {
    Path path = Path::kPipeToPipe;
    std::string options;                        /* argument 5 */
    std::string input;                          /* the job */
    std::string fault;                          /* JOBCONTROLFILTER_FAULT (FaultInjector.cpp) */
    std::vector<size_t> pieces;                 /* sizes in which a piped job is written, cycled */
    std::vector<std::string> extraArgs;         /* argument 6 and beyond */
    bool omitOptions = false;                   /* pass only four arguments */
    std::string stdoutPath;                     /* when set, standard output goes to this file */
    std::string clock = "@2026-03-01 00:30:00"; /* a FAKETIME setting: 1 March 2026 00:30 UTC */
    int terminateAfterMs = 0; /* when set, the job is sent over and over and SIGTERM
                                 arrives after this many milliseconds */
};

struct FilterResult {
    int exitStatus = -1; /* -1 when killed by a signal */
    std::string out, err;
};

FilterResult runFilter(const FilterRun &run);

/* Byte-exact comparison that names the first difference instead of
   printing whole jobs. */
testing::AssertionResult sameBytes(const std::string &actual, const std::string &expected);

/* The pinned clock read in UTC (the runner gives the filter TZ=UTC0), and
   by a client 9 hours east of it. */
extern const char kPinnedStampUTC[], kPinnedStampJST[];

#endif
