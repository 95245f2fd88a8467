#include "tests/e2e/Process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace sorvak::e2e {

using Clock = std::chrono::steady_clock;

Process::Process(const std::vector<std::string>& argv, const Options& options) {
    int out[2] = {-1, -1};
    if (options.CaptureStdout && pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        setpgid(0, 0);
        for (const auto& [key, value] : options.Environment)
            setenv(key.c_str(), value.c_str(), 1);
        for (const auto& key : options.Unset)
            unsetenv(key.c_str());
        if (!options.WorkingDirectory.empty() && chdir(options.WorkingDirectory.c_str()) != 0)
            _exit(126);
        if (options.CaptureStdout)
            dup2(out[1], 1);
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    setpgid(pid_, pid_);
    if (options.CaptureStdout) {
        close(out[1]);
        stdoutFd_ = out[0];
    }
}

Process::~Process() {
    Kill();
    if (stdoutFd_ >= 0)
        close(stdoutFd_);
}

bool Process::Running() {
    if (exitCode_)
        return false;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

std::optional<int> Process::Wait(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (Running()) {
        if (Clock::now() >= end)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return exitCode_;
}

Process::ReadResult Process::ReadMore(Clock::time_point deadline) {
    if (stdoutFd_ < 0)
        return ReadResult::Closed;
    pollfd wait{stdoutFd_, POLLIN, 0};
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (poll(&wait, 1, static_cast<int>(std::max<long>(1, left.count()))) <= 0)
        return ReadResult::Nothing;
    char chunk[4096];
    const ssize_t n = read(stdoutFd_, chunk, sizeof chunk);
    if (n <= 0)
        return ReadResult::Closed;
    buffered_.append(chunk, n);
    return ReadResult::Read;
}

std::optional<std::string> Process::ReadLineBefore(Clock::time_point deadline) {
    for (;;) {
        const std::size_t newline = buffered_.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            return line;
        }
        if (Clock::now() >= deadline || ReadMore(deadline) == ReadResult::Closed)
            return std::nullopt;
    }
}

std::optional<std::string> Process::ReadLine(std::chrono::milliseconds timeout) {
    return ReadLineBefore(Clock::now() + timeout);
}

bool Process::WaitForLine(const std::string& line, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (std::optional<std::string> got; (got = ReadLineBefore(end));) {
        if (*got == line)
            return true;
    }
    return false;
}

void Process::Kill() {
    if (pid_ <= 0 || !Running())
        return;
    kill(-pid_, SIGTERM);
    for (int i = 0; i < 50 && Running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Running()) {
        kill(-pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        exitCode_ = 128 + SIGKILL;
    }
}

std::string Process::ReadToEnd(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (Clock::now() < end && ReadMore(end) != ReadResult::Closed) {
    }
    return std::exchange(buffered_, std::string());
}

RunResult RunCommand(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& environment,
                     std::chrono::milliseconds timeout) {
    Process::Options options;
    options.Environment = environment;
    options.CaptureStdout = true;
    Process process(argv, options);
    RunResult result;
    const auto start = Clock::now();
    result.Output = process.ReadToEnd(timeout);
    const auto left =
        timeout - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    result.ExitCode = process.Wait(std::max(left, std::chrono::milliseconds(100))).value_or(-1);
    return result;
}

} // namespace sorvak::e2e
