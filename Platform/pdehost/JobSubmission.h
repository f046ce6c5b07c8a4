/*
 * JobSubmission.h
 *
 * What the print system does with a job once the dialog has closed: submit
 * the file to a CUPS queue with the job options, or, without a scheduler,
 * run one CUPS filter on it the way the scheduler would.
 */
#ifndef PDEHOST_JOB_SUBMISSION_H
#define PDEHOST_JOB_SUBMISSION_H

#include <string>

/* Submits `file` to the queue `printer` with the options of the CUPS
   option string `options` (libcups cupsPrintFile; the server comes from
   the usual CUPS environment). The job's ID, or 0 with `error` set. */
int SubmitJob(const std::string &printer, const std::string &file, const std::string &options,
              std::string &error);

/* Runs the filter program `filter` with the CUPS filter arguments (job ID,
   user, title, copies, options, file) and the scheduler's PPD, PRINTER and
   CONTENT_TYPE environment; its standard output and error are this
   process's. The filter's exit status, or -1 with `error` set when it
   could not be run or did not exit normally. */
int RunFilter(const std::string &filter, const std::string &file, const std::string &options,
              const std::string &ppd, std::string &error);

#endif /* PDEHOST_JOB_SUBMISSION_H */
