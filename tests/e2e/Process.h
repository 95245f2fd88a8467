#pragma once
// Child processes for end-to-end tests: started with extra environment,
// killed with their process group when the handle goes.
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace sorvak::e2e {

class Process {
public:
    struct Options {
        std::map<std::string, std::string> Environment; // added to ours
        std::vector<std::string> Unset;
        std::string WorkingDirectory;
        bool CaptureStdout = false;
    };

    Process(const std::vector<std::string>& argv, const Options& options);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Exit code, or nothing on time-out; 128 + signal for a signalled end.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    // The next line of standard output, without its end (CaptureStdout).
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Reads standard output up to a line equal to `line` (CaptureStdout).
    bool WaitForLine(const std::string& line, std::chrono::milliseconds timeout);
    // Reads standard output until the process closes it.
    std::string ReadToEnd(std::chrono::milliseconds timeout);
    void Kill();
    bool Running();
    pid_t Pid() const { return pid_; }

private:
    using Clock = std::chrono::steady_clock;
    enum class ReadResult { Read, Nothing, Closed };
    // Appends what standard output gives before the deadline.
    ReadResult ReadMore(Clock::time_point deadline);
    std::optional<std::string> ReadLineBefore(Clock::time_point deadline);

    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::string buffered_;
    std::optional<int> exitCode_;
};

// Runs a command to its end; returns exit code and standard output.
struct RunResult {
    int ExitCode = -1;
    std::string Output;
};
RunResult RunCommand(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& environment,
                     std::chrono::milliseconds timeout = std::chrono::seconds(20));

} // namespace sorvak::e2e
