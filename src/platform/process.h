#pragma once
// Hidden child processes (command-line tools such as gbak and isql-fb).
//
// The child gets an argument vector (no shell), additions to the
// environment and a working folder. Secrets go through standard input or
// the environment, never the argument vector. The caller waits while the
// program's events are processed (when a QCoreApplication exists), and a
// time limit kills the child and is reported as such.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace platform {

struct ProcessOptions {
    std::vector<std::string> argv {}; // argv[0] is the program (PATH is searched)
    std::map<std::string, std::string> environment {}; // added to (or replacing in) the current environment
    std::string workingDir {}; // empty: the current folder
    std::string standardInput {}; // written to the child, then closed
    std::chrono::milliseconds timeout {0}; // 0: no limit
};

struct ProcessResult {
    enum class Status { Finished, Crashed, TimedOut, FailedToStart };
    Status status = Status::FailedToStart;
    int exitCode = -1; // valid when Finished
    std::string standardOutput;
    std::string standardError;
    std::string error; // what went wrong, for every status but Finished

    // Finished with exit code 0.
    bool succeeded() const { return status == Status::Finished && exitCode == 0; }
};

// Waits at least `duration` while the program's events are processed (when
// a QCoreApplication exists), sleeping 1 ms between rounds.
void waitProcessingEvents(std::chrono::milliseconds duration);

// Runs the child to its end (or to the time limit) and returns how it ended.
// Never throws for a child's failure; the output is returned as raw bytes.
ProcessResult runProcess(const ProcessOptions& options);

} // namespace platform
