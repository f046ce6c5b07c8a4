/*
 * JobSubmission.cpp
 *
 * Submitting a job to CUPS, or running a CUPS filter on it directly.
 */
#include "JobSubmission.h"

#include <cups/cups.h>

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <string_view>
#include <vector>

extern char **environ;

namespace {

std::string baseName(const std::string &path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/* The environment with the variables a filter gets from the scheduler
   replaced. */
std::vector<std::string> filterEnvironment(const std::string &ppd) {
    std::vector<std::string> variables;
    for (char **entry = environ; entry != nullptr && *entry != nullptr; entry++) {
        std::string_view variable = *entry;
        if (!variable.starts_with("PPD=") && !variable.starts_with("PRINTER=") &&
            !variable.starts_with("CONTENT_TYPE="))
            variables.emplace_back(variable);
    }
    variables.push_back("PPD=" + ppd);
    variables.push_back("PRINTER=pdehost");
    variables.push_back("CONTENT_TYPE=application/vnd.cups-postscript");
    return variables;
}

std::vector<char *> pointers(std::vector<std::string> &strings) {
    std::vector<char *> result;
    for (std::string &text : strings)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

int SubmitJob(const std::string &printer, const std::string &file, const std::string &options,
              std::string &error) {
    cups_option_t *parsed = nullptr;
    int count = cupsParseOptions(options.c_str(), 0, &parsed);
    int jobID = cupsPrintFile(printer.c_str(), file.c_str(), baseName(file).c_str(), count, parsed);
    cupsFreeOptions(count, parsed);
    if (jobID == 0)
        error = "cannot submit " + file + " to " + printer + ": " + cupsLastErrorString();
    return jobID;
}

int RunFilter(const std::string &filter, const std::string &file, const std::string &options,
              const std::string &ppd, std::string &error) {
    const char *user = cupsUser();
    std::vector<std::string> arguments = {
        filter, "1", user != nullptr ? user : "nobody", baseName(file), "1", options, file};
    std::vector<std::string> environment = filterEnvironment(ppd);
    std::vector<char *> argv = pointers(arguments);
    std::vector<char *> envp = pointers(environment);

    pid_t pid = 0;
    int spawnError = posix_spawn(&pid, filter.c_str(), nullptr, nullptr, argv.data(), envp.data());
    if (spawnError != 0) {
        error = "cannot run " + filter + ": " + std::strerror(spawnError);
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            error = "lost the filter " + filter + ": " + std::strerror(errno);
            return -1;
        }
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    error = "the filter " + filter + " was ended by signal " + std::to_string(WTERMSIG(status));
    return -1;
}
