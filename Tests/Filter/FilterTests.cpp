/*
 * FilterTests.cpp
 *
 * The filter run as the spooler runs it, its output compared byte for byte
 * with the whole-buffer oracle (FilterOracle.h) along every path a job can
 * take: how options are read, each missing option, every block length
 * across the insertion buffer's growth, jobs at the edges of the prolog
 * scan and around the chunk boundaries, hostile values (which Ghostscript
 * then reads back). Then every way a run ends early, with the
 * fault-injection build (FaultInjector.cpp): status 1, one DEBUG line
 * naming the cause, one whole ERROR line, and only output that precedes the
 * failure; or, for a cancel, status 0 quietly.
 */
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <random>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FilterOracle.h"
#include "QuarnSettingsKeys.h"

namespace {

using oracle::memoryFile;
using oracle::readAll;

/* How the job reaches the filter and leaves it: the kernel moves it
   between pipes (and between a pipe and a file) in its own ways, and falls
   back to reading and writing where it cannot (pipe to pipe with the kernel
   refusing, which takes the fault-injection build); every way must give the
   same bytes. */
struct Path {
    const char *name;
    bool fileIn, fileOut, refused;
};
const Path kEveryPath[] = {{"pipe to pipe", false, false, false},
                           {"pipe to file", false, true, false},
                           {"file to pipe", true, false, false},
                           {"file to file", true, true, false},
                           {"kernel moves refused", false, false, true}};

/* One run of the filter; every member has its default, so that a run names
   only what it sets. */
struct FilterRun {
    std::string input = "";   /* the job */
    std::string options = ""; /* argument 5 */
    Path path = kEveryPath[0];
    std::string fault = ""; /* JOBCONTROLFILTER_FAULT for the fault-injection build */
    std::vector<std::string> extraArgs = {};    /* argument 6 and beyond */
    std::string clock = "@2026-03-01 00:30:00"; /* FAKETIME: 1 March 2026 00:30 UTC */
    std::string cause = "";                     /* what the error line must name */
};

struct FilterResult {
    int exitStatus = -1; /* -1 when killed by a signal */
    std::string out, err;
};

/* The time the filter's clock is pinned at (FAKETIME, read with TZ=UTC0). */
const time_t kPinned = 1772325000;

/* Runs the filter with the CUPS filter arguments, the clock pinned through
   libfaketime; a thread feeds a piped job while standard output is
   drained; files (the job, the output, standard error) are memory files. */
FilterResult runFilter(const FilterRun &run) {
    const bool fileIn = run.path.fileIn, fileOut = run.path.fileOut;
    const bool faults = !run.fault.empty() || run.path.refused;
    int in[2], out[2], err = memoryFile(""), job = fileIn ? memoryFile(run.input) : -1;
    int output = fileOut ? memoryFile("") : -1;
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC))
        throw std::runtime_error("pipe failed");
    std::vector<std::string> args = {"printer", "42", "someone", "Test Job", "1", run.options};
    if (fileIn)
        args.push_back("/proc/self/fd/" + std::to_string(job));
    args.insert(args.end(), run.extraArgs.begin(), run.extraArgs.end());
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const char *asan = getenv("ASAN_OPTIONS");
    std::string asanOptions = std::string(asan ? asan : "") + ":verify_asan_link_order=0";

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) { /* the test is single-threaded here: setenv is safe */
        dup2(in[0], 0);
        dup2(fileOut ? output : out[1], 1);
        dup2(err, 2);
        setenv("TZ", "UTC0", 1);
        setenv("LD_PRELOAD", FAKETIME_LIBRARY, 1);
        setenv("FAKETIME", run.clock.c_str(), 1);
        setenv("ASAN_OPTIONS", asanOptions.c_str(), 1);
        setenv("JOBCONTROLFILTER_FAULT", (run.fault + (run.path.refused ? ",refuse" : "")).c_str(),
               1);
        signal(SIGPIPE, SIG_DFL);
        alarm(120); /* a filter that hangs ends instead of the test */
        execv(faults ? JOBCONTROLFILTER_FAULTS_PATH : JOBCONTROLFILTER_PATH, argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    signal(SIGPIPE, SIG_IGN);
    /* Feeds a piped job until the filter stops reading; a job file: nothing. */
    std::thread feeder([&] {
        for (size_t written = 0; !fileIn && written < run.input.size();) {
            ssize_t n = write(in[1], run.input.data() + written, run.input.size() - written);
            if (n < 0 && errno != EINTR)
                break;
            written += static_cast<size_t>(std::max<ssize_t>(n, 0));
        }
        close(in[1]);
    });
    FilterResult result;
    result.out = readAll(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    feeder.join();
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = readAll(err);
    if (fileOut)
        result.out = readAll(output);
    for (int fd : {out[0], err, job, output})
        if (fd >= 0)
            close(fd);
    EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("runtime error:"), std::string::npos) << result.err;
    return result;
}

/* Byte-exact comparison that names the first difference instead of
   printing whole jobs. */
testing::AssertionResult sameBytes(const std::string &actual, const std::string &expected) {
    if (actual == expected)
        return testing::AssertionSuccess();
    size_t at =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
        actual.begin();
    size_t from = at < 40 ? 0 : at - 40;
    return testing::AssertionFailure()
           << "got " << actual.size() << " bytes, expected " << expected.size()
           << "; first difference at byte " << at
           << "\n  got:      " << testing::PrintToString(actual.substr(from, 80))
           << "\n  expected: " << testing::PrintToString(expected.substr(from, 80));
}

const std::string kHeader = "%!PS-Adobe-3.0\n%%Creator: test\n";
const std::string kJob = kHeader + "%%BeginProlog\n/x 1 def\n%%EndProlog\nshowpage\n%%EOF\n";
const std::string kGeneralLine = "ERROR: ERROR: error in CUPS Filter - : ";
const std::string kMemoryLine = "ERROR: ERROR: memory error in CUPS Filter - : ";

/* One option as a CUPS option string holds it, after a blank. */
std::string opt(const std::string &name, const std::string &value) {
    std::string text = " " + name + "=\"";
    for (char c : value)
        text += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return text + '"';
}
/* The options that carry a value into the block. */
const char *const kValueKeys[] = {kQuarnUserIDKey, kQuarnUserCodeKey, kQuarnPasswordKey,
                                  kQuarnFileNameKey};
const std::string kTrial = opt(kQuarnUserIDKey, "diff01") +
                           opt(kQuarnJobTypeKey, kQuarnJobTypeTrialPrint) +
                           opt(kQuarnTimeZoneKey, "JST-9");

/* Standard error is exactly a DEBUG line naming `cause`, then the whole ERROR line. */
void expectReported(const FilterResult &result, const std::string &line, const std::string &cause) {
    EXPECT_EQ(result.exitStatus, 1);
    size_t end = result.err.find('\n');
    ASSERT_EQ(result.err.rfind("DEBUG: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.substr(0, end).find(cause), std::string::npos) << result.err;
    EXPECT_EQ(result.err.substr(end + 1), line + "\n");
}

/* The run along every path against the oracle; a run the oracle fails
   reports the missing option, its cause. Returns the last run's result. */
FilterResult check(FilterRun run) {
    FilterResult result;
    oracle::Expectation expected = oracle::expect(run.input, run.options, kPinned);
    for (const Path &path : kEveryPath) {
        run.path = path;
        result = runFilter(run);
        SCOPED_TRACE(path.name);
        EXPECT_EQ(result.exitStatus, expected.exitStatus) << result.err;
        EXPECT_TRUE(sameBytes(result.out, expected.output))
            << "job of " << run.input.size() << " bytes";
        if (expected.exitStatus != 0)
            expectReported(result, kGeneralLine + "Invalid argument", run.cause);
        else
            EXPECT_EQ(result.err, "");
    }
    return result;
}

/* A job whose own setuserinfo, secureprint, proofprint and storedprint
   operators and QDeviceProcSet ProcSet resource, defined ahead of the prolog,
   print their operands, each followed by a NUL, in the order the block gives them. */
const char kOperandPrinter[] = R"(%!PS-Adobe-3.0
/emit { print (\000) print } bind def
/operands { array astore { emit } forall } bind def
/setuserinfo { 3 operands } bind def
/secureprint { 3 operands } bind def
/proofprint { 2 operands } bind def
/storedprint { 4 operands } bind def
/QDeviceProcSet <<
  /SetJobType { /JobInfo get dup /UserID get emit dup /Time get emit
                dup /Password known { dup /Password get emit } if /JobID get emit } bind
>> /ProcSet defineresource pop
%%BeginProlog
%%EndProlog
showpage
)";

/* What Ghostscript prints running `job`, its error messages included. */
std::string ghostscript(const std::string &job) {
    int fd = memoryFile(job);
    std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage /proc/self/fd/" +
                          std::to_string(fd) + " 2>&1";
    FILE *gs = popen(command.c_str(), "r");
    std::string printed = readAll(fileno(gs));
    pclose(gs);
    close(fd);
    return printed;
}

TEST(FilterBlocks, HostileValuesInEveryJobTypeReachThePrinterByteForByte) {
    /* Every byte from 1 to 255, 30,000 random ones (the four together as
       long as one argument may be), lines that look like DSC comments (the
       sample job), unbalanced and crossed parentheses, backslashes (one at
       the end), octal escapes and a value that tries to end its string, as
       every value (User ID, User Code, Password, file name) of each job
       type: the bytes are the oracle's, and Ghostscript, running the job,
       receives every value as it was. */
    if (system("command -v gs >/dev/null") != 0)
        GTEST_SKIP() << "Ghostscript is not installed";
    std::vector<std::string> values = {
        "", "", kJob, ")((((a(", "a)))b)", "\\\\a\\", "\\101\\n\\(", ") pop (x) print quit ("};
    for (int c = 1; c < 256; c++)
        values[0] += static_cast<char>(c);
    std::mt19937 random(7);
    while (values[1].size() < 30000)
        values[1] += static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
    for (const std::string &value : values) {
        for (const auto &[type, group] : oracle::kGroups) {
            std::string options =
                opt(kQuarnJobTypeKey, type) + opt(kQuarnEnableUserCodeOption, "True");
            for (const char *key : kValueKeys)
                options += opt(key, value);
            SCOPED_TRACE(testing::Message()
                         << type << ", " << testing::PrintToString(value.substr(0, 20)));
            FilterResult result = check({.input = kOperandPrinter, .options = options});
            std::string expected, groups = oracle::kSetUserInfo + group;
            for (size_t at = groups.find('$'); at != std::string::npos;
                 at = groups.find('$', at + 1))
                expected += (groups[at + 1] == 'T' ? oracle::stamp({}, kPinned) : value) + '\0';
            EXPECT_TRUE(sameBytes(ghostscript(result.out), expected));
        }
    }
}

/* Filler of `size` bytes whose lines end in `lb` and whose last bytes are `lb`. */
std::string filler(std::mt19937 &random, size_t size, const std::string &lb) {
    std::string text;
    while (text.size() + lb.size() < size) {
        size_t line = std::uniform_int_distribution<size_t>(0, 90)(random);
        line = std::min(line, size - lb.size() - text.size());
        for (size_t i = 0; i < line; i++)
            text += static_cast<char>(std::uniform_int_distribution<int>(' ', '~')(random));
        if (text.size() + lb.size() <= size)
            text += lb;
    }
    return std::string(size - text.size(), 'f') + text;
}

TEST(FilterDifferential, EveryJobAndOptionsOnEveryPath) {
    std::vector<FilterRun> runs;
    /* How options are read (none at all: a Normal Print with an empty
       User ID): the job type is compared whole and case-sensitively; the
       User Code is enabled by "true" in any letter case and only by that,
       also as the bare name a scheduler makes of "name..b.=True", never
       without the boolean suffix; the stamp is made in the client's zone. */
    for (const char *options :
         {"", "com.quarn.pm.JobType='guarded print'",
          "com.quarn.pm.JobType='Guarded Print ' com.quarn.pm.Password=p",
          "com.quarn.pm.JobType=Unknown",
          "com.quarn.pm.UserID=a com.quarn.pm.EnableUserCode..b.=tRuE com.quarn.pm.UserCode=1",
          "com.quarn.pm.UserID=a com.quarn.pm.EnableUserCode..b.=1 com.quarn.pm.UserCode=1",
          "com.quarn.pm.UserID=b com.quarn.pm.EnableUserCode..b. com.quarn.pm.UserCode=7",
          "com.quarn.pm.UserID=c com.quarn.pm.EnableUserCode=True com.quarn.pm.UserCode=9",
          "com.quarn.pm.TimeZone=EST5"})
        runs.push_back({.input = kJob, .options = options});

    /* Each option missing from each job type, also after a partial match
       at the first chunk's end: a type fails without an option its block
       shows (and any type without an enabled User Code), writing only what
       precedes the prolog. */
    int failing = 0;
    for (const auto &[type, group] : oracle::kGroups) {
        for (const char *missing : kValueKeys) {
            std::string options =
                opt(kQuarnJobTypeKey, type) + opt(kQuarnEnableUserCodeOption, "True");
            for (const char *name : kValueKeys)
                options += name == missing ? "" : opt(name, "v1");
            failing += !oracle::block(options, "\n", kPinned);
            for (const std::string &head : {kHeader, std::string(4090, 'b') + "\n"})
                runs.push_back({.input = head + "%%BeginProlog\n" + std::string(10000, 'a'),
                                .options = options,
                                .cause = missing});
        }
    }
    EXPECT_EQ(failing, 7 + 2 + 1 + 3 + 2 + 3 + 3); /* the User Code, then each type's own */

    /* The insertion buffer holds 1024 bytes (the block and its final NUL)
       and grows for longer blocks: every block length from 1000 to 1050. */
    for (size_t n = 900; n < 1020; n++) {
        std::string options =
            opt(kQuarnUserIDKey, std::string(n, 'u') + ")") + opt(kQuarnTimeZoneKey, "JST-9");
        size_t length = oracle::block(options, "\n", kPinned)->size();
        if (length >= 1000 && length <= 1050)
            runs.push_back({.input = "%!PS\n%%BeginProlog\nshowpage\n", .options = options});
    }
    EXPECT_EQ(runs.size(), 9u + 56u + 51u);

    std::string exactRest = kHeader + "%%BeginProlog\n";
    exactRest += std::string(4096 - exactRest.size(), 'x') + std::string(3 * 4096, 'y');
    /* Jobs at the edges of the scan, and of the line-break detection: no
       break at all, CR LF or CR and one byte settled only at the chunk's
       last byte, a leading LF (not a break) and a leading CR (a break), the
       breaks of the chunk holding the match (moved to the line head when
       the match straddles 4096). */
    const std::string edges[] = {
        "",
        kHeader + "%%BeginProlo\nshowpage\n %%BeginProlog\n%%EOF\n",
        std::string(100000, 'z'),
        kHeader + "%%BeginPrologue\nrest\n",               /* further letters match */
        kJob + kJob,                                       /* only the first gets the block */
        std::string(4096 - 3, 'a') + "xx %%BeginProlog\n", /* mid-line */
        std::string(4096, 'b') + "%%BeginProlog\n",        /* at a chunk start */
        std::string(4090, 'q') + "\n%%BeginPage: 1\n" + std::string(9000, 'r'),
        "%!PS\r\r\n\n\r\n\r\r%%BeginProlog\r\nx\r\n",
        std::string(4095, '\n') + "\r%%BeginProlog\n",
        exactRest, /* the rest is whole chunks */
        "%!PS\r\n" + std::string(4096 - 6, '\r') + "%%BeginProlog\rmore\r",
        "%%BeginProlog",
        "%%BeginProlog\r\n",
        "%%BeginProlog\rx",
        "%%BeginProlog\rxy",
        "\n%%BeginProlog\r\nabc",
        "\r\n%%BeginProlog\nabc",
        "\r%%BeginProlog\nabc",
        "%!PS\r\n" + std::string(4084, 'a') + "\r%%BeginProlog\nx\n",
        std::string("\xff\r\0\r%%BeginProlog\n", 18)}; /* any byte is the job's */
    for (const std::string &job : edges)
        runs.push_back({.input = job, .options = kTrial});

    /* The prolog line around the chunk boundaries, with each line break,
       and jobs cut inside it. */
    std::mt19937 random(4096);
    for (std::string lb : {"\n", "\r\n", "\r"})
        for (size_t boundary : {4096u, 8192u})
            for (size_t at = boundary - 16; at <= boundary + 4; at++)
                runs.push_back({.input = filler(random, at, lb) + "%%BeginProlog" + lb +
                                         filler(random, 3000, lb),
                                .options = kTrial});
    for (size_t at : {100u, 4096u - 7u, 8192u - 1u}) {
        std::string full = filler(random, at, "\n") + "%%BeginProlog\n";
        for (size_t cut = at; cut <= full.size(); cut++)
            runs.push_back({.input = full.substr(0, cut), .options = kTrial});
    }

    for (size_t i = 0; i < runs.size(); i++) {
        SCOPED_TRACE(testing::Message()
                     << "run " << i << ": " << testing::PrintToString(runs[i].input.substr(0, 40)));
        check(runs[i]);
    }
}

TEST(FilterRuns, AJobFileThatCannotBeOpenedAndAClockBeyondTheCalendar) {
    FilterResult result = runFilter({.extraArgs = {"/nonexistent/job.ps"}});
    expectReported(result, kGeneralLine + "No such file or directory", "/nonexistent/job.ps");
    EXPECT_EQ(result.out, "");
    /* A clock beyond any calendar year stamps the zero time. */
    EXPECT_NE(runFilter({.input = kJob, .clock = "+3000000000y"}).out.find("(190001000000)"),
              std::string::npos);
}

TEST(FilterPaths, TheKernelMovesTheJobWhereAPipeIsOnOneSide) {
    /* tee looks at an input pipe and splice passes on what was scanned; a
       file on both sides, or a kernel that refuses, is read and written.
       The pipes the filter reads and writes are made 1 MiB large. */
    for (const Path &path : kEveryPath) {
        FilterResult result =
            runFilter({.input = kJob + std::string(1 << 20, 'x'), .path = path, .fault = "count"});
        SCOPED_TRACE(path.name);
        EXPECT_EQ(result.err.find("tee 0,") == std::string::npos, !path.fileIn && !path.refused);
        EXPECT_EQ(result.err.find("splice 0,") == std::string::npos,
                  !path.refused && !(path.fileIn && path.fileOut));
        EXPECT_EQ(result.err.find("pipes 1048576 ") != std::string::npos, !path.fileIn);
        EXPECT_EQ(result.err.find(" 1048576\n") != std::string::npos, !path.fileOut) << result.err;
    }
}

TEST(FilterFaults, EveryAllocationReadAndWriteFailingOnEveryPath) {
    /* Each allocation (the insertion buffer grows for the long file name),
       read and write fails in turn, once and from then on, meets a next
       stage that has gone away (not killed by SIGPIPE: a write failure) or
       comes just after or during SIGTERM (the cancel, which ends quietly),
       on a small job, a prolog straddling the first chunk boundary, a late
       prolog and none, until a run gets through untouched. Each failing run
       reports its own error and leaves a prefix of the correct output.
       Short reads and writes (every write passing on half its bytes, or
       every read and look getting at most 3000, from the first, second or
       third call on) lose nothing. */
    const std::string options =
        opt(kQuarnUserIDKey, "fault01") + opt(kQuarnEnableUserCodeOption, "True") +
        opt(kQuarnUserCodeKey, "777") + opt(kQuarnJobTypeKey, kQuarnJobTypeKeptPrint) +
        opt(kQuarnPasswordKey, "p(w)") + opt(kQuarnFileNameKey, std::string(1500, 'f'));
    std::string lines; /* long enough to take many reads and writes */
    while (lines.size() < 300000)
        lines += "(" + std::to_string(lines.size()) + ") show\n";
    const std::string jobs[] = {kJob, std::string(4096 - 5 - 1, 's') + "\n%%BeginProlog\n" + lines,
                                lines.substr(0, 200000) + "%%BeginProlog\n" + lines, lines};
    const std::string canceled = "DEBUG: jobcontrolfilter: job canceled\n";
    const std::pair<std::string, std::string> faults[] = {
        {"alloc:%", kMemoryLine + "Cannot allocate memory"},
        {"alloc:%:persist", kMemoryLine + "Cannot allocate memory"},
        {"read:%", kGeneralLine + "Input/output error"},
        {"read:%:persist", kGeneralLine + "Input/output error"},
        {"write:%", kGeneralLine + "No space left on device"},
        {"write:%:persist", kGeneralLine + "No space left on device"},
        {"write:%:closed", kGeneralLine + "Broken pipe"},
        {"read:%:canceled", canceled},
        {"write:%:canceled", canceled},
        {"read:%:interrupted", canceled},
        {"write:%:interrupted", canceled},
        {"read:%:short", ""},
        {"write:%:short", ""}};
    for (const std::string &job : jobs) {
        std::string expected = oracle::expect(job, options, kPinned).output;
        for (const Path &path : kEveryPath) {
            for (const auto &[pattern, line] : faults) {
                int n = 1;
                for (; n < 200; n++) {
                    std::string fault = pattern;
                    fault.replace(fault.find('%'), 1, std::to_string(n));
                    SCOPED_TRACE(std::string(path.name) + ", fault " + fault);
                    FilterResult result =
                        runFilter({.input = job, .options = options, .path = path, .fault = fault});
                    if (result.err.empty()) { /* the Nth call was never made, or was short */
                        EXPECT_EQ(result.exitStatus, 0);
                        EXPECT_TRUE(sameBytes(result.out, expected));
                        if (line.empty() && n < 3)
                            continue;
                        break;
                    }
                    if (line == canceled)
                        EXPECT_TRUE(result.exitStatus == 0 && result.err == canceled) << result.err;
                    else
                        expectReported(result, line, pattern.substr(0, pattern.find(':')));
                    EXPECT_EQ(expected.compare(0, result.out.size(), result.out), 0)
                        << "output is not a prefix of the correct output";
                }
                EXPECT_GT(n, 1) << pattern << " never failed";
            }
        }
    }
}

} // namespace
