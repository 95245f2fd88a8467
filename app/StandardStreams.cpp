#include "app/StandardStreams.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace sorvak::app {

namespace {

[[noreturn]] void EndByBrokenPipe() {
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_UNBLOCK, &pipe, nullptr);
    ::raise(SIGPIPE);
    // Only where SIGPIPE cannot end the program: the status a shell shows.
    ::_exit(128 + SIGPIPE);
}

} // namespace

StandardStreams OpenClosedStandardStreams() {
    StandardStreams streams;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor: this one, as the lower ones are open.
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened != fd && opened >= 0)
            ::close(opened);
        if (fd == STDOUT_FILENO)
            streams.OutputClosedAtStart = true;
    }
    return streams;
}

void WriteStandardOutput(std::string_view bytes) {
    // The program would otherwise end at once, before it could tell a
    // broken pipe from a failed write.
    std::signal(SIGPIPE, SIG_IGN);
    while (!bytes.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EPIPE)
            EndByBrokenPipe();
        if (written <= 0)
            throw StandardOutputError(written < 0 ? errno : 0);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace sorvak::app
