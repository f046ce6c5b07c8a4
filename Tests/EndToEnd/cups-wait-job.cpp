/*
 * cups-wait-job.cpp
 *
 * Waits, with a time bound, until a CUPS job has reached a state in which
 * the scheduler will do nothing more with it on its own (stopped, canceled,
 * aborted or completed), and prints that state's name. The end-to-end test
 * uses it instead of waiting for the queue to empty, which never happens for
 * a job whose filter failed: such a job is left stopped.
 *
 * Usage: cups-wait-job JOB-ID SECONDS
 * The server comes from the usual CUPS environment (CUPS_SERVER).
 * Exit status: 0 with the state printed, 1 on time-out (the last state seen
 * is printed), 2 for bad arguments.
 */
#include <cups/cups.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

static const char *stateName(ipp_jstate_t state) {
    switch (state) {
    case IPP_JSTATE_PENDING:
        return "pending";
    case IPP_JSTATE_HELD:
        return "held";
    case IPP_JSTATE_PROCESSING:
        return "processing";
    case IPP_JSTATE_STOPPED:
        return "stopped";
    case IPP_JSTATE_CANCELED:
        return "canceled";
    case IPP_JSTATE_ABORTED:
        return "aborted";
    case IPP_JSTATE_COMPLETED:
        return "completed";
    }
    return "unknown";
}

/* The job's state, or 0 when the scheduler does not list the job. */
static int currentState(int jobID) {
    cups_job_t *jobs = nullptr;
    int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    int state = 0;
    for (int i = 0; i < count; i++) {
        if (jobs[i].id == jobID)
            state = jobs[i].state;
    }
    cupsFreeJobs(count, jobs);
    return state;
}

int main(int argc, char *argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: cups-wait-job JOB-ID SECONDS\n");
        return 2;
    }
    char *end = nullptr;
    errno = 0;
    long jobID = std::strtol(argv[1], &end, 10);
    if (errno != 0 || *end != '\0' || jobID <= 0 || jobID > 0x7fffffff) {
        std::fprintf(stderr, "cups-wait-job: bad job id \"%s\"\n", argv[1]);
        return 2;
    }
    long seconds = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || seconds <= 0) {
        std::fprintf(stderr, "cups-wait-job: bad time bound \"%s\"\n", argv[2]);
        return 2;
    }

    time_t deadline = std::time(nullptr) + seconds;
    int state = 0;
    for (;;) {
        state = currentState(static_cast<int>(jobID));
        if (state >= IPP_JSTATE_STOPPED) {
            std::printf("%s\n", stateName(static_cast<ipp_jstate_t>(state)));
            return 0;
        }
        if (std::time(nullptr) >= deadline)
            break;
        usleep(200 * 1000);
    }
    std::printf("%s\n", state ? stateName(static_cast<ipp_jstate_t>(state)) : "missing");
    std::fprintf(stderr, "cups-wait-job: job %ld still not done after %ld s (%s)\n", jobID, seconds,
                 cupsLastErrorString());
    return 1;
}
