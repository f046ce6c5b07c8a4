/*
 * main.cpp
 *
 * jobcontrolfilter: the CUPS filter of the Job Log add-on.
 *
 *   jobcontrolfilter job-id user title copies options [file]
 *
 * Copies a PostScript job from the named file (or standard input) to
 * standard output byte for byte, except that immediately in front of the
 * job's first line that begins with "%%BeginProlog" it inserts one block of
 * PostScript job-control code built from the job options: a setuserinfo call
 * with the User ID, User Code and a time stamp and, for the special job
 * types, the command that makes the printer hold, proof, lock or store the
 * job. A job without such a line passes through unchanged.
 *
 * The job is scanned in 4096-byte chunks; a line head is the start of the
 * job or the byte after a carriage return or line feed, wherever the chunks
 * fall. Chunks are always filled completely (short reads from a pipe are
 * made up for), so the output depends only on the input and the options.
 * Underneath, the job comes into one 128 KiB window in which the chunks are
 * scanned where they lie, and the bytes scanned so far are passed on before
 * each further read, so that the next stage is never kept waiting. Where
 * the input is a pipe (as it is between CUPS filters), the window only
 * looks at it: tee(2) duplicates the bytes into a pipe of the filter's own,
 * from which they are read and scanned, and splice(2) then moves exactly
 * the scanned bytes from the input to the output in the kernel, so that
 * each byte is copied once instead of twice. After the block, the rest of
 * the job is spliced through wherever one side is a pipe. Where the kernel
 * refuses (a file on both sides, or files it cannot splice), the filter
 * reads with read(2) and writes with write(2) for the rest of the run. The
 * output is the same byte for byte on every path.
 *
 * Failures are recorded in one failure record: the sticky error code err_no
 * (the first one wins), the failure that ended the run and the error number
 * that describes it. They are reported with exit status 1 and one "ERROR: "
 * line on standard error whose system text is that failure's own (the
 * failed open's, read's or write's errno, ENOMEM when memory ran out, EINVAL
 * for an absent option that the job type needs), preceded by one "DEBUG: "
 * line that names the cause. SIGTERM (a canceled job) stops the filter at
 * the next chunk boundary without an error line and with exit status 0, as
 * CUPS's own filters do; once it has arrived, a failed read or write is the
 * cancel too (the next stage goes away with the job). SIGPIPE is ignored so
 * that a closed pipe is reported as a write failure.
 *
 * Allocation, read(2) and write(2) go through three hooks, which a test
 * build of the filter points at a fault injector.
 */

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cups/cups.h>

#include "QuarnSettingsKeys.h"

/* Sizes of the scanning unit, the initial insertion buffer and the job window. */
enum : size_t {
    kChunkSize = 4096,
    kInsertSize = 1024,
    kWindowSize = 128 * 1024,
    kPipeSize = 1024 * 1024,
};

/* Sticky error codes. */
enum {
    kNoError = 0,
    kGeneralError = 1,
    kMemoryError = 2,
    kOpenError = 3,
    kReadError = 4,
    kWriteError = 5,
    kOptionError = 6,
};

/* Job types, in the order getJobType compares them. */
enum JobType {
    kNormalPrint = 1,
    kGuardedPrint,
    kTrialPrint,
    kBoxStoragePrint,
    kHaltedPrint,
    kKeptPrint,
    kKeepBoxPrint,
};

static const char kSearchString[] = "%%BeginProlog";
static const char kMemoryErrorMessage[] = "ERROR: memory error in CUPS Filter - ";
static const char kGeneralErrorMessage[] = "ERROR: error in CUPS Filter - ";

/* The error number whose text the error line shows when a job option that
   the job type needs is absent: no system call failed, the job's arguments
   are what is wrong ("Invalid argument"). */
static const int kMissingOptionError = EINVAL;

/* The job's parsed options. */
struct JobInfo {
    const char *jobID;      /* argument 1, borrowed */
    int numOptions;         /* number of parsed options */
    cups_option_t *options; /* options parsed from argument 5, owned */
};

/* The insertion buffer: a terminated text, grown when a block needs more. */
struct InsertBuffer {
    char *text;
    size_t capacity;
};

/*
 * The job window: the input is read in large pieces into one buffer, and
 * each 4096-byte chunk is scanned where it lies in that buffer. Bytes that
 * have been scanned are passed on before each further read.
 *
 * Where the input is a pipe, the window looks at it without taking the
 * bytes: tee(2) duplicates them into a pipe of the filter's own, from which
 * they are read and scanned, and once scanned they are moved from the input
 * to the output in the kernel with splice(2). Bytes from `taken` to `end`
 * are such a look: still in the input pipe. Bytes before `taken` were taken
 * from the input (read) and are written from the buffer.
 */
struct Window {
    int fd;
    unsigned char *buffer; /* kWindowSize bytes */
    size_t written;        /* bytes before this offset have been passed on */
    size_t taken;          /* bytes before this offset have been taken from the input */
    size_t start;          /* the next byte to scan */
    size_t end;            /* one past the last byte read or looked at */
    bool atEnd;            /* the input has ended */
    int look[2];           /* the pipe the input is teed into, or -1 when not looking */
    bool splicing;         /* splice(2) may be tried: a pipe on one side, not refused */
};

/* How a read or write call ended. */
enum IOResult { kIOOk, kIOFailed, kIOCanceled };

/*
 * What went wrong in this run: the sticky error code err_no (the first code
 * recorded wins; an option looked up in vain records one even on runs that
 * succeed) and the failure that ended the run, with the system's error
 * number that describes it and its cause for the DEBUG line.
 */
struct FailureRecord {
    int err_no;               /* sticky error code */
    int code;                 /* the failure that ended the run, or kNoError */
    int systemError;          /* the error number printed on the error line */
    const char *absentOption; /* the last option looked up in vain */
    char cause[256];          /* what failed */
};

static FailureRecord failure;
static volatile sig_atomic_t jobCanceled = 0;

/*
 * 'recordError()' - Record an error code unless one is recorded already.
 */
static void recordError(int code) {
    if (failure.err_no == kNoError)
        failure.err_no = code;
}

/*
 * 'recordFailure()' - Record the failure that ends the run: its code, the
 * error number that describes it (the failed call's errno, or a fitting
 * value for failures without a system error) and, the first time, its cause.
 */
__attribute__((format(printf, 3, 4))) static void recordFailure(int code, int systemError,
                                                                const char *format, ...) {
    recordError(code);
    if (failure.cause[0])
        return;
    failure.code = code;
    failure.systemError = systemError;
    va_list ap;
    va_start(ap, format);
    vsnprintf(failure.cause, sizeof(failure.cause), format, ap);
    va_end(ap);
}

/*
 * The filter's one allocator and its reading (read(2), tee(2)) and writing
 * (write(2), splice(2)) calls, made through these hooks. The product leaves
 * them at the C library's functions; a test build links a fault injector
 * that points them at its own.
 */
extern "C" {
void *(*jobcontrolfilter_allocate)(size_t size) = malloc;
ssize_t (*jobcontrolfilter_read)(int fd, void *buffer, size_t size) = read;
ssize_t (*jobcontrolfilter_write)(int fd, const void *buffer, size_t size) = write;
ssize_t (*jobcontrolfilter_tee)(int in, int out, size_t size, unsigned int flags) = tee;
ssize_t (*jobcontrolfilter_splice)(int in, loff_t *inOffset, int out, loff_t *outOffset,
                                   size_t size, unsigned int flags) = splice;
}

/*
 * 'BlockMove()' - The platform's overlap-safe memory move.
 */
static void BlockMove(const void *source, void *destination, size_t count) {
    memmove(destination, source, count);
}

/*
 * 'cancelJob()' - SIGTERM handler: the spooler canceled the job.
 */
static void cancelJob(int) {
    jobCanceled = 1;
}

/* ---------------------------------------------------------------------- */
/* Job options                                                            */
/* ---------------------------------------------------------------------- */

/*
 * 'CreateJobInfo()' - Make the job record from arguments 1 and 5.
 */
static JobInfo *CreateJobInfo(int argc, char *argv[]) {
    JobInfo *info = static_cast<JobInfo *>(jobcontrolfilter_allocate(sizeof(JobInfo)));
    if (!info) {
        recordFailure(kMemoryError, ENOMEM, "cannot allocate the job record");
        return nullptr;
    }
    info->jobID = argc > 1 ? argv[1] : nullptr;
    info->options = nullptr;
    info->numOptions = cupsParseOptions(argc > 5 ? argv[5] : nullptr, 0, &info->options);
    return info;
}

/*
 * 'DisposeJobInfo()' - Free the job record and its options.
 */
static void DisposeJobInfo(JobInfo *info) {
    if (!info)
        return;
    cupsFreeOptions(info->numOptions, info->options);
    free(info);
}

/*
 * 'getCupsOption()' - Look up an option the job-control block needs.
 */
static const char *getCupsOption(const JobInfo *info, const char *name) {
    const char *value = cupsGetOption(name, info->numOptions, info->options);
    if (!value) {
        recordError(kOptionError);
        failure.absentOption = name;
    }
    return value;
}

/*
 * 'getJobType()' - Map the JobType option to a job type.
 */
static int getJobType(const JobInfo *info) {
    static const char *const names[] = {
        kQuarnJobTypeGuardedPrint, kQuarnJobTypeTrialPrint, kQuarnJobTypeBoxStorage,
        kQuarnJobTypeHaltedPrint,  kQuarnJobTypeKeptPrint,  kQuarnJobTypeKeepBoxPrint,
    };
    const char *value = cupsGetOption(kQuarnJobTypeKey, info->numOptions, info->options);
    if (value) {
        for (size_t i = 0; i < sizeof(names) / sizeof(names[0]); i++) {
            if (strcmp(value, names[i]) == 0)
                return kGuardedPrint + static_cast<int>(i);
        }
    }
    return kNormalPrint;
}

/*
 * 'useUserCode()' - Whether the User Code is enabled.
 */
static bool useUserCode(const JobInfo *info) {
    const char *value = cupsGetOption(kQuarnEnableUserCodeOption, info->numOptions, info->options);
    return value && strcasecmp(value, "True") == 0;
}

/*
 * 'getClientTimeZone()' - The client's time-zone rule, or NULL.
 */
static const char *getClientTimeZone(const JobInfo *info) {
    return cupsGetOption(kQuarnTimeZoneKey, info->numOptions, info->options);
}

/* ---------------------------------------------------------------------- */
/* Job-control code                                                       */
/* ---------------------------------------------------------------------- */

/*
 * 'getLinefeedCode()' - Detect the job's line break from the chunk.
 *
 * The first line break in the data decides; a line feed as the very first
 * byte does not count, and a break whose kind is only settled at the last
 * byte counts as a line feed, as does data without any line break.
 */
static void getLinefeedCode(const unsigned char *data, char *out, size_t len) {
    enum { kInLine, kAfterCR, kFoundLF, kFoundCRLF, kFoundCR } state;
    const char *result = "\n";

    if (len > 0) {
        state = data[0] == '\r' ? kAfterCR : kInLine;
        for (size_t i = 1; i < len; i++) {
            if (state == kFoundLF) {
                result = "\n";
                break;
            }
            if (state == kFoundCRLF) {
                result = "\r\n";
                break;
            }
            if (state == kFoundCR) {
                result = "\r";
                break;
            }
            if (state == kInLine) {
                if (data[i] == '\r')
                    state = kAfterCR;
                else if (data[i] == '\n')
                    state = kFoundLF;
            } else {
                state = data[i] == '\n' ? kFoundCRLF : kFoundCR;
            }
        }
    }
    strcpy(out, result);
}

/*
 * 'getCurrentTime()' - Write the local time as YYYYMMDDhhmm.
 */
static void getCurrentTime(char *out) {
    time_t now = time(nullptr);
    struct tm local;
    if (!localtime_r(&now, &local))
        memset(&local, 0, sizeof(local));
    char text[64];
    snprintf(text, sizeof(text), "%.4d%.2d%.2d%.2d%.2d", local.tm_year + 1900, local.tm_mon + 1,
             local.tm_mday, local.tm_hour, local.tm_min);
    memcpy(out, text, 12); /* years past 9999 are out of the stamp's range */
    out[12] = '\0';
}

/*
 * 'escapedLength()' / 'appendEscaped()' - A value as PostScript string contents:
 * backslash and parentheses get a backslash, control bytes and DEL become
 * a backslash and three octal digits, every other byte stays as it is.
 */
static bool needsOctal(unsigned char c) {
    return c < 32 || c == 127;
}

static size_t escapedLength(const char *value) {
    size_t length = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(value); *p; p++) {
        if (*p == '\\' || *p == '(' || *p == ')')
            length += 2;
        else if (needsOctal(*p))
            length += 4;
        else
            length++;
    }
    return length;
}

static char *appendEscaped(char *out, const char *value) {
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(value); *p; p++) {
        if (*p == '\\' || *p == '(' || *p == ')') {
            *out++ = '\\';
            *out++ = static_cast<char>(*p);
        } else if (needsOctal(*p)) {
            *out++ = '\\';
            *out++ = static_cast<char>('0' + (*p >> 6));
            *out++ = static_cast<char>('0' + ((*p >> 3) & 7));
            *out++ = static_cast<char>('0' + (*p & 7));
        } else {
            *out++ = static_cast<char>(*p);
        }
    }
    return out;
}

/*
 * 'fillTemplate()' - Format a block template into the insertion buffer.
 *
 * Every "(%s)" slot receives the next of `values`, escaped; every other
 * "%s" receives the line break. The buffer grows when the block needs more
 * than it holds. Returns 0, or 1 when the buffer cannot grow.
 */
static int fillTemplate(InsertBuffer *out, const char *tmpl, const char *lineBreak,
                        const char *const values[], size_t numValues) {
    size_t needed = 1, value = 0, breakLength = strlen(lineBreak);
    for (const char *t = tmpl; *t; t++) {
        if (t[0] == '%' && t[1] == 's') {
            needed += (t > tmpl && t[-1] == '(' && value < numValues)
                          ? escapedLength(values[value++])
                          : breakLength;
            t++;
        } else {
            needed++;
        }
    }

    if (needed > out->capacity) {
        char *grown = static_cast<char *>(jobcontrolfilter_allocate(needed));
        if (!grown) {
            recordFailure(kMemoryError, ENOMEM,
                          "cannot allocate %zu bytes for the job-control block", needed);
            return 1;
        }
        free(out->text);
        out->text = grown;
        out->capacity = needed;
    }

    char *p = out->text;
    value = 0;
    for (const char *t = tmpl; *t; t++) {
        if (t[0] == '%' && t[1] == 's') {
            if (t > tmpl && t[-1] == '(' && value < numValues) {
                p = appendEscaped(p, values[value++]);
            } else {
                memcpy(p, lineBreak, breakLength);
                p += breakLength;
            }
            t++;
        } else {
            *p++ = *t;
        }
    }
    *p = '\0';
    return 0;
}

/* The block templates, one per job type. */
static const char kSetUserInfoTemplate[] =
    "mark%s  (%s) (%s) (%s) {setuserinfo} stopped%scleartomark%s";
static const char kGuardedTemplate[] =
    "mark%s  (%s) (%s) (%s) {secureprint} stopped%scleartomark%s";
static const char kTrialTemplate[] = "mark%s  (%s) (%s) {proofprint} stopped%scleartomark%s";
static const char kBoxStorageTemplate[] =
    "mark%s  (%s) (%s) (%s) (%s) {storedprint} stopped%scleartomark%s";
static const char kHaltedTemplate[] =
    "mark {%s<<%s\t/JobType 3%s\t/JobInfo <<\t/UserID (%s)%s\t\t/Time (%s)%s\t\t/JobID (%s)%s\t>>%s"
    ">> /QDeviceProcSet /ProcSet findresource /SetJobType get exec%s} stopped cleartomark%s";
static const char kKeptTemplate[] =
    "mark {%s<<%s\t/JobType 3%s\t/JobInfo <<\t/UserID (%s)%s\t\t/Time (%s)%s\t\t/Password "
    "(%s)%s\t\t/JobID (%s)%s\t>>%s\t/JobAttr <<\t/Save 1%s\t\t/Public false%s\t\t>>%s>> "
    "/QDeviceProcSet /ProcSet findresource /SetJobType get exec%s} stopped cleartomark%s";
static const char kKeepBoxTemplate[] =
    "mark {%s<<%s\t/JobType 3%s\t/JobInfo <<\t/UserID (%s)%s\t\t/Time (%s)%s\t\t/Password "
    "(%s)%s\t\t/JobID (%s)%s\t>>%s\t/JobAttr <<\t/Save 2%s\t\t/Public false%s\t\t>>%s>> "
    "/QDeviceProcSet /ProcSet findresource /SetJobType get exec%s} stopped cleartomark%s";

/* Which options a builder requires. */
enum { kNeedsUserID = 1, kNeedsPassword = 2, kNeedsFileName = 4 };

/*
 * 'buildBlock()' - What every builder does: look up the options in the
 * order UserID, Password, FileName (the required ones), make the time stamp,
 * look up the User Code when it is enabled, and fill the setuserinfo group
 * followed by the job type's own group (if any). Values for the second group
 * are UID, TIME and then PW and FILE as the group takes them.
 */
static int buildBlock(const JobInfo *info, InsertBuffer *out, const char *lineBreak, int needs,
                      const char *secondTemplate, bool secondTakesPassword,
                      bool secondTakesFileName) {
    bool userCode = useUserCode(info);
    const char *uid = getCupsOption(info, kQuarnUserIDKey);
    if (!uid) {
        if (needs & kNeedsUserID)
            return 1;
        uid = "";
    }
    const char *pw = nullptr, *file = nullptr;
    if ((needs & kNeedsPassword) && !(pw = getCupsOption(info, kQuarnPasswordKey)))
        return 1;
    if ((needs & kNeedsFileName) && !(file = getCupsOption(info, kQuarnFileNameKey)))
        return 1;

    char stamp[13];
    getCurrentTime(stamp);

    const char *code = "";
    if (userCode && !(code = getCupsOption(info, kQuarnUserCodeKey)))
        return 1;

    const char *values[7] = {uid, code, stamp, uid, stamp};
    size_t numValues = 3;
    size_t secondValues = 2;
    if (secondTakesPassword)
        values[3 + secondValues++] = pw;
    if (secondTakesFileName)
        values[3 + secondValues++] = file;

    /* Join the two templates so that the block is formatted in one pass. */
    char joined[sizeof(kKeptTemplate) + sizeof(kSetUserInfoTemplate)];
    snprintf(joined, sizeof(joined), "%s%s", kSetUserInfoTemplate,
             secondTemplate ? secondTemplate : "");
    if (secondTemplate)
        numValues += secondValues;
    return fillTemplate(out, joined, lineBreak, values, numValues);
}

static int getInsertStringForNormalPrint(const JobInfo *info, InsertBuffer *out,
                                         const char *lineBreak) {
    return buildBlock(info, out, lineBreak, 0, nullptr, false, false);
}

static int getInsertStringForGuardedPrint(const JobInfo *info, InsertBuffer *out,
                                          const char *lineBreak) {
    return buildBlock(info, out, lineBreak, kNeedsUserID | kNeedsPassword, kGuardedTemplate, true,
                      false);
}

static int getInsertStringForTrialPrint(const JobInfo *info, InsertBuffer *out,
                                        const char *lineBreak) {
    return buildBlock(info, out, lineBreak, kNeedsUserID, kTrialTemplate, false, false);
}

static int getInsertStringForBoxStoragePrint(const JobInfo *info, InsertBuffer *out,
                                             const char *lineBreak) {
    return buildBlock(info, out, lineBreak, kNeedsUserID | kNeedsPassword | kNeedsFileName,
                      kBoxStorageTemplate, true, true);
}

static int getInsertStringForHaltedPrint(const JobInfo *info, InsertBuffer *out,
                                         const char *lineBreak) {
    return buildBlock(info, out, lineBreak, kNeedsUserID | kNeedsFileName, kHaltedTemplate, false,
                      true);
}

static int getInsertStringForKeptPrint(const JobInfo *info, InsertBuffer *out,
                                       const char *lineBreak) {
    return buildBlock(info, out, lineBreak, kNeedsUserID | kNeedsPassword | kNeedsFileName,
                      kKeptTemplate, true, true);
}

static int getInsertStringForKeepBoxPrint(const JobInfo *info, InsertBuffer *out,
                                          const char *lineBreak) {
    return buildBlock(info, out, lineBreak, kNeedsUserID | kNeedsPassword | kNeedsFileName,
                      kKeepBoxTemplate, true, true);
}

/*
 * 'getInsertString()' - Build the job-control block for the chunk holding the match.
 */
static int getInsertString(const JobInfo *info, InsertBuffer *out, const unsigned char *data,
                           size_t len) {
    typedef int (*Builder)(const JobInfo *, InsertBuffer *, const char *);
    static const Builder builders[] = {
        getInsertStringForNormalPrint,  getInsertStringForGuardedPrint,
        getInsertStringForTrialPrint,   getInsertStringForBoxStoragePrint,
        getInsertStringForHaltedPrint,  getInsertStringForKeptPrint,
        getInsertStringForKeepBoxPrint,
    };
    char lineBreak[3];
    getLinefeedCode(data, lineBreak, len);

    int type = getJobType(info);
    if (builders[type - kNormalPrint](info, out, lineBreak) != 0) {
        const char *typeName =
            type == kNormalPrint ? kQuarnJobTypeNormal
                                 : cupsGetOption(kQuarnJobTypeKey, info->numOptions, info->options);
        recordFailure(kGeneralError, kMissingOptionError,
                      "job type %s needs the job option %s, which is absent", typeName,
                      failure.absentOption ? failure.absentOption : "(none)");
        return 1;
    }
    return 0;
}

/* ---------------------------------------------------------------------- */
/* Input and output                                                       */
/* ---------------------------------------------------------------------- */

/*
 * 'writeFully()' - Write a whole stretch to standard output.
 */
static IOResult writeFully(int fd, const unsigned char *data, size_t size) {
    while (size > 0) {
        if (jobCanceled)
            return kIOCanceled;
        ssize_t n = jobcontrolfilter_write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (jobCanceled) /* the next stage went away with the canceled job */
                return kIOCanceled;
            recordFailure(kWriteError, errno, "write to standard output failed");
            return kIOFailed;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return kIOOk;
}

/*
 * 'isPipe()' - Whether a file descriptor is a pipe.
 */
static bool isPipe(int fd) {
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
}

/*
 * 'enlargePipes()' - Make the job's pipes larger, so that each tee and
 * splice moves more at once; where the system does not allow it, a pipe
 * keeps its size.
 */
static void enlargePipes(const Window *window) {
    const int pipes[] = {window->fd, STDOUT_FILENO, window->look[0]};
    for (int fd : pipes)
        if (fd >= 0 && isPipe(fd))
            fcntl(fd, F_SETPIPE_SZ, static_cast<int>(kPipeSize));
}

/*
 * 'stopLooking()' - Go back to reading the input: close the filter's own
 * pipe. Nothing looked at is lost; it is taken when it is passed on.
 */
static void stopLooking(Window *window) {
    if (window->look[0] >= 0) {
        close(window->look[0]);
        close(window->look[1]);
        window->look[0] = window->look[1] = -1;
    }
}

/*
 * 'kernelRefuses()' - Whether a failed tee or splice means only that the
 * kernel cannot move data between these two files.
 */
static bool kernelRefuses(int error) {
    return error == EINVAL || error == ENOSYS;
}

/*
 * 'moveFailed()' - Record a failed splice: reading a pipe cannot fail, so
 * with a pipe as input, or with an error that only an output gives, it is
 * a write failure, else a read failure. After SIGTERM it is the cancel.
 */
static IOResult moveFailed(const Window *window, int error) {
    if (jobCanceled)
        return kIOCanceled;
    if (isPipe(window->fd) || error == EPIPE || error == ENOSPC || error == EDQUOT ||
        error == EFBIG)
        recordFailure(kWriteError, error, "write to standard output failed");
    else
        recordFailure(kReadError, error, "read from the job failed");
    return kIOFailed;
}

/*
 * 'spliceToOutput()' - Move `size` bytes of the input (with `size` 0: all
 * the rest of it) to standard output in the kernel, adding to `*moved`
 * what went. When the kernel refuses, splicing is off for the rest of the
 * run and the caller passes the rest on by reading and writing.
 */
static IOResult spliceToOutput(Window *window, size_t size, size_t *moved) {
    while (window->splicing && (size == 0 || *moved < size)) {
        if (jobCanceled)
            return kIOCanceled;
        ssize_t n = jobcontrolfilter_splice(window->fd, nullptr, STDOUT_FILENO, nullptr,
                                            size ? size - *moved : kWindowSize, SPLICE_F_MOVE);
        if (n > 0) {
            *moved += static_cast<size_t>(n);
        } else if (n == 0) {
            window->atEnd = true;
            break;
        } else if (errno == EINTR) {
            continue;
        } else if (kernelRefuses(errno) && !jobCanceled) {
            window->splicing = false;
            stopLooking(window); /* looking pays only when the bytes are moved */
        } else {
            return moveFailed(window, errno);
        }
    }
    return kIOOk;
}

/*
 * 'readFully()' - Read exactly `size` bytes that the input is known to
 * hold (they were looked at) into the buffer at `at`.
 */
static IOResult readFully(int fd, unsigned char *at, size_t size) {
    while (size > 0) {
        if (jobCanceled)
            return kIOCanceled;
        ssize_t n = jobcontrolfilter_read(fd, at, size);
        if (n > 0) {
            at += n;
            size -= static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (jobCanceled) {
            return kIOCanceled;
        } else {
            recordFailure(kReadError, n == 0 ? EIO : errno, "read from the job failed");
            return kIOFailed;
        }
    }
    return kIOOk;
}

/*
 * 'takeInput()' - Take the looked-at bytes up to `upTo` from the input:
 * the same bytes, read over their copies in the buffer.
 */
static IOResult takeInput(Window *window, size_t upTo) {
    IOResult result = kIOOk;
    if (upTo > window->taken)
        result = readFully(window->fd, window->buffer + window->taken, upTo - window->taken);
    window->taken = upTo;
    return result;
}

/*
 * 'passOn()' - Pass on the window's bytes that are not passed on yet, up
 * to `upTo`: those taken from the input are written, those only looked at
 * are moved from the input in the kernel (or taken and written when the
 * kernel refuses). An empty stretch passes on nothing.
 */
static IOResult passOn(Window *window, size_t upTo) {
    size_t taken = window->taken < upTo ? window->taken : upTo;
    if (taken > window->written) {
        size_t from = window->written;
        window->written = taken;
        IOResult result = writeFully(STDOUT_FILENO, window->buffer + from, taken - from);
        if (result != kIOOk)
            return result;
    }
    if (upTo > window->written) {
        size_t moved = 0;
        IOResult result = spliceToOutput(window, upTo - window->written, &moved);
        window->written += moved;
        window->taken = window->written;
        if (result == kIOOk && upTo > window->written) {
            size_t from = window->written;
            window->written = upTo;
            if ((result = takeInput(window, upTo)) == kIOOk)
                result = writeFully(STDOUT_FILENO, window->buffer + from, upTo - from);
        }
        if (result != kIOOk)
            return result;
    }
    return kIOOk;
}

/*
 * 'lookAtInput()' - Look at the bytes the input pipe holds behind the
 * window's end, without taking them: tee them into the filter's own pipe
 * and read them from there into the buffer. `*n` is the number of bytes
 * added, 0 at the end of the input, or -1 with errno set. When the kernel
 * refuses the tee, the window stops looking and the caller reads instead.
 */
static IOResult lookAtInput(Window *window, ssize_t *n) {
    /* The bytes looked at so far are all scanned or waiting for more
       input: take them, so that the next look shows new bytes only. */
    IOResult result = takeInput(window, window->end);
    if (result != kIOOk)
        return result;
    *n = jobcontrolfilter_tee(window->fd, window->look[1], kWindowSize - window->end, 0);
    if (*n > 0)
        return readFully(window->look[0], window->buffer + window->end, static_cast<size_t>(*n));
    if (*n < 0 && kernelRefuses(errno) && !jobCanceled)
        stopLooking(window);
    return kIOOk;
}

/*
 * 'fillWindow()' - Make `want` bytes from the scan position available, or
 * as many as remain when the input ends first. When the buffer has no room
 * behind the scan position, the scanned bytes are passed on and the rest
 * is moved to the front.
 */
static IOResult fillWindow(Window *window, size_t want) {
    while (window->end - window->start < want && !window->atEnd) {
        if (kWindowSize - window->start < want) {
            IOResult result = passOn(window, window->start);
            if (result != kIOOk)
                return result;
            BlockMove(window->buffer + window->start, window->buffer, window->end - window->start);
            window->end -= window->start;
            window->taken -= window->start;
            window->start = window->written = 0;
        }
        /* Pass on what was scanned before waiting for more input, so that
           the next stage of the pipeline is not kept waiting for a whole
           window. */
        if (window->start > window->written) {
            IOResult result = passOn(window, window->start);
            if (result != kIOOk)
                return result;
        }
        if (jobCanceled)
            return kIOCanceled;
        ssize_t n = -1;
        if (window->look[0] >= 0) {
            IOResult result = lookAtInput(window, &n);
            if (result != kIOOk)
                return result;
        }
        if (window->look[0] < 0) {
            n = jobcontrolfilter_read(window->fd, window->buffer + window->end,
                                      kWindowSize - window->end);
            if (n > 0)
                window->taken = window->end + static_cast<size_t>(n);
        }
        if (n > 0) {
            window->end += static_cast<size_t>(n);
        } else if (n == 0) {
            window->atEnd = true;
        } else if (jobCanceled) {
            return kIOCanceled;
        } else if (errno != EINTR) {
            recordFailure(kReadError, errno, "read from the job failed");
            return kIOFailed;
        }
    }
    return kIOOk;
}

/* ---------------------------------------------------------------------- */
/* Scanning                                                               */
/* ---------------------------------------------------------------------- */

static bool isLineBreak(unsigned char c) {
    return c == '\n' || c == '\r';
}

/*
 * 'compareWithSearchString()' - Compare the pattern at `data`: 1 for a match,
 * 0 for none, 2 when the chunk ends inside a possible match.
 */
static int compareWithSearchString(const unsigned char *data, const unsigned char *last,
                                   const char *pattern) {
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(pattern); *p; p++) {
        if (*data != *p)
            return 0;
        if (data == last && p[1] != '\0')
            return 2;
        data++;
    }
    return 1;
}

/*
 * 'searchNextHeadOfLine()' - The next line head after `data` (the byte after
 * a run of carriage returns and line feeds) at or before `last`, or NULL.
 *
 * Only line heads that begin with the search string's first byte are
 * reported: any other line head could only compare as no match, so passing
 * over it changes nothing. This lets the scan run at memchr speed: it looks
 * for that byte and checks whether a line break precedes it.
 */
static const unsigned char *searchNextHeadOfLine(const unsigned char *data,
                                                 const unsigned char *last) {
    const unsigned char *p = data + 1;
    while (p <= last) {
        const void *found = memchr(p, kSearchString[0], static_cast<size_t>(last + 1 - p));
        if (!found)
            return nullptr;
        p = static_cast<const unsigned char *>(found);
        if (isLineBreak(p[-1]))
            return p;
        p++;
    }
    return nullptr;
}

/*
 * 'writeError()' - Write the error line: "ERROR: ", the message and, after
 * ": ", the system's description of the current error number.
 */
static void writeError(const char *path, int line, const char *message) {
    (void)path;
    (void)line;
    char text[100];
    snprintf(text, sizeof(text), "ERROR: %s", message);
    perror(text);
}

/* How the scan phase ended. */
enum ScanResult { kScanInserted, kScanNoMatch, kScanFailed, kScanCanceled };

static ScanResult ioFailure(IOResult result) {
    return result == kIOCanceled ? kScanCanceled : kScanFailed;
}

/*
 * 'scanJob()' - Scan the job chunk by chunk up to the first "%%BeginProlog"
 * line head, writing what was scanned, and write the job-control block in
 * front of that line.
 */
static ScanResult scanJob(const JobInfo *info, Window *window, InsertBuffer *insert) {
    bool atLineHead = true; /* the next chunk's first byte starts a line */

    for (;;) {
        IOResult result = fillWindow(window, kChunkSize);
        if (result != kIOOk)
            return ioFailure(result);
        size_t count = window->end - window->start;
        if (count > kChunkSize)
            count = kChunkSize;
        if (count == 0) {
            result = passOn(window, window->start);
            return result == kIOOk ? kScanNoMatch : ioFailure(result);
        }

        const unsigned char *chunk = window->buffer + window->start;
        const unsigned char *last = chunk + count - 1;
        const unsigned char *pos = atLineHead ? chunk : searchNextHeadOfLine(chunk, last);
        bool partial = false;

        while (pos) {
            int match = compareWithSearchString(pos, last, kSearchString);
            if (match == 1) {
                size_t at = static_cast<size_t>(pos - window->buffer);
                if ((result = passOn(window, at)) != kIOOk)
                    return ioFailure(result);
                if (getInsertString(info, insert, chunk, count) != 0)
                    return kScanFailed;
                if ((result =
                         writeFully(STDOUT_FILENO, reinterpret_cast<unsigned char *>(insert->text),
                                    strlen(insert->text))) != kIOOk)
                    return ioFailure(result);
                window->start = at;
                return kScanInserted;
            }
            if (match == 2) {
                /* The chunk ends inside a possible match: the next chunk
                   starts at this line head. */
                size_t n = static_cast<size_t>(last + 1 - pos);
                window->start = static_cast<size_t>(pos - window->buffer);
                if ((result = fillWindow(window, kChunkSize)) != kIOOk)
                    return ioFailure(result);
                if (window->end - window->start <= n) {
                    /* The input ended: the incomplete match is no match. */
                    result = passOn(window, window->end);
                    return result == kIOOk ? kScanNoMatch : ioFailure(result);
                }
                partial = true;
                break;
            }
            pos = searchNextHeadOfLine(pos, last);
        }
        if (partial) {
            atLineHead = true;
        } else {
            atLineHead = isLineBreak(*last);
            window->start += count;
        }
    }
}

/*
 * 'copyRest()' - Pass the rest of the job through: moved in the kernel
 * where splice(2) can, else a window at a time.
 */
static IOResult copyRest(Window *window) {
    IOResult result = passOn(window, window->end);
    stopLooking(window);
    while (result == kIOOk && !window->atEnd) {
        size_t moved = 0;
        if ((result = spliceToOutput(window, 0, &moved)) != kIOOk || window->atEnd)
            break;
        window->start = window->end = window->written = window->taken = 0;
        if ((result = fillWindow(window, 1)) == kIOOk)
            result = passOn(window, window->end);
    }
    return result;
}

/*
 * 'main()' - Filter one job.
 */
int main(int argc, char *argv[]) {
    memset(&failure, 0, sizeof(failure));
    jobCanceled = 0;

    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = cancelJob;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr); /* no SA_RESTART: a blocked read returns */
    signal(SIGPIPE, SIG_IGN);

    Window window = {STDIN_FILENO, nullptr, 0, 0, 0, 0, false, {-1, -1}, false};
    JobInfo *info = nullptr;
    InsertBuffer insert = {nullptr, 0};
    ScanResult scan = kScanFailed;
    bool inputOpened = false;

    if (argc > 6) {
        window.fd = open(argv[6], O_RDONLY | O_CLOEXEC);
        if (window.fd < 0) {
            recordFailure(kOpenError, errno, "cannot open the job file \"%s\"", argv[6]);
            goto report;
        }
        inputOpened = true;
    }

    if (!(info = CreateJobInfo(argc, argv))) {
        recordFailure(kGeneralError, ENOMEM, "cannot make the job record");
        goto cleanup;
    }

    if (!(insert.text = static_cast<char *>(jobcontrolfilter_allocate(kInsertSize)))) {
        recordFailure(kMemoryError, ENOMEM, "cannot allocate the insertion buffer");
        goto cleanup;
    }
    insert.capacity = kInsertSize;

    if (const char *zone = getClientTimeZone(info)) {
        if (setenv("TZ", zone, 1) != 0) {
            recordFailure(kMemoryError, errno, "cannot set TZ to the client's time zone");
            goto cleanup;
        }
        tzset();
    }

    if (!(window.buffer = static_cast<unsigned char *>(jobcontrolfilter_allocate(kWindowSize)))) {
        recordFailure(kMemoryError, ENOMEM, "cannot allocate the job window");
        goto cleanup;
    }

    /* Pipes let the kernel move the job: look at a pipe input through a
       pipe of the filter's own (reading it plainly if that cannot be made)
       and splice what is passed on. */
    window.splicing = isPipe(window.fd) || isPipe(STDOUT_FILENO);
    if (isPipe(window.fd) && pipe2(window.look, O_CLOEXEC) != 0)
        window.look[0] = window.look[1] = -1;
    enlargePipes(&window);

    scan = scanJob(info, &window, &insert);
    if (scan == kScanInserted) {
        IOResult result = copyRest(&window);
        if (result != kIOOk)
            scan = result == kIOCanceled ? kScanCanceled : kScanFailed;
    } else if (scan == kScanFailed && failure.code == kReadError) {
        /* The chunks scanned before the failed read stay written. */
        passOn(&window, window.start);
    }

cleanup:
    stopLooking(&window);
    free(window.buffer);
    free(insert.text);
    if (inputOpened)
        close(window.fd);
    DisposeJobInfo(info);

    if (scan == kScanInserted || scan == kScanNoMatch)
        return 0;
    if (scan == kScanCanceled) {
        fputs("DEBUG: jobcontrolfilter: job canceled\n", stderr);
        return 0;
    }

report:
    int code = failure.err_no;
    if (code == kMemoryError || code == kGeneralError || code == kOpenError || code == kReadError ||
        code == kWriteError || code == kOptionError) {
        fprintf(stderr, "DEBUG: jobcontrolfilter: %s\n", failure.cause);
        errno = failure.systemError;
        writeError(__FILE__, __LINE__,
                   code == kMemoryError ? kMemoryErrorMessage : kGeneralErrorMessage);
    }
    return 1;
}
