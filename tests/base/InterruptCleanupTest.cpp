// The ending signals, taken by the program's own thread: what is armed goes,
// the program ends with the signal's status, ignored signals stay ignored,
// and no signal at any moment of a save leaves a new file or a cut target.
#include "base/InterruptCleanup.h"
#include "base/OutputFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace sorvak {
namespace {

using namespace std::chrono_literals;
using test::Entries;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

// A forked copy of this test running `body`, which reports through the
// descriptor it is given once it is set up; killed when the object goes.
class Child {
public:
    explicit Child(const std::function<void(int ready)>& body) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            body(fds[1]);
            _exit(0);
        }
        ::close(fds[1]);
        ready_ = fds[0];
    }
    ~Child() {
        if (!status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(ready_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The byte the child reported, or 0 when none came.
    char Ready() {
        pollfd wait{ready_, POLLIN, 0};
        char byte = 0;
        if (::poll(&wait, 1, 10000) > 0 && ::read(ready_, &byte, 1) != 1)
            byte = 0;
        return byte;
    }
    // The wait status once the child ended within the time.
    std::optional<int> Wait(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!status_) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_)
                status_ = status;
            else if (std::chrono::steady_clock::now() >= end)
                break;
            else
                std::this_thread::sleep_for(2ms);
        }
        return status_;
    }
    void Send(int signal) { ::kill(pid_, signal); }

private:
    pid_t pid_ = -1;
    int ready_ = -1;
    std::optional<int> status_;
};

void Report(int ready, char byte) {
    (void)!::write(ready, &byte, 1);
}

[[noreturn]] void WaitForEver() {
    for (;;)
        ::pause();
}

void ExpectEndedBy(const std::optional<int>& status, int signal) {
    ASSERT_TRUE(status) << "still running";
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == signal) << "status " << *status;
}

TEST(InterruptCleanup, AnEndingSignalRemovesWhatIsArmedAndEndsAsTheSignalWould) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempDir dir("sorvak-interrupt");
        Child child([&](int ready) {
            TakeEndingSignals();
            for (const char* name : {"armed", "cancelled", "first", "second"})
                WriteFileBytes(dir / name, name);
            PendingRemoval armed, cancelled, rearmed;
            armed.Arm(dir / "armed");
            cancelled.Arm(dir / "cancelled");
            cancelled.Cancel();
            rearmed.Arm(dir / "first");
            rearmed.Arm(dir / "second");
            // A thread that does not take the signal must not receive it.
            std::thread(WaitForEver).detach();
            Report(ready, '1');
            WaitForEver();
        });
        ASSERT_EQ(child.Ready(), '1');
        child.Send(signal);
        ExpectEndedBy(child.Wait(10s), signal);
        EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"cancelled", "first"}));
    }
}

TEST(InterruptCleanup, IgnoredSignalsStayIgnoredAndChildrenGetTheStartingMask) {
    TempDir dir("sorvak-interrupt");
    Child child([&](int ready) {
        std::signal(SIGINT, SIG_IGN);
        TakeEndingSignals();
        WriteFileBytes(dir / "armed", "x");
        PendingRemoval armed;
        armed.Arm(dir / "armed");
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            RestoreStartingSignalMask();
            sigset_t mask;
            pthread_sigmask(SIG_SETMASK, nullptr, &mask);
            _exit(sigismember(&mask, SIGTERM) || sigismember(&mask, SIGHUP) ? 1 : 0);
        }
        int status = -1;
        ::waitpid(grandchild, &status, 0);
        Report(ready, status == 0 ? '1' : '0');
        WaitForEver();
    });
    ASSERT_EQ(child.Ready(), '1');
    child.Send(SIGINT);
    EXPECT_FALSE(child.Wait(300ms));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"armed"});
    child.Send(SIGTERM);
    ExpectEndedBy(child.Wait(10s), SIGTERM);
    EXPECT_TRUE(Entries(dir.Path()).empty());
}

// Saves on three threads (two put in place, one abandoned) while a signal
// comes at a random moment: afterwards only whole targets remain.
TEST(InterruptCleanup, ASignalAtAnyMomentOfConcurrentSavesLeavesOnlyWholeFiles) {
    const std::string contents[] = {std::string(65536, 'a'), std::string(3000, 'b')};
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayUs(0, 20000);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        TempDir dir("sorvak-interrupt");
        for (const char* name : {"t0", "t1"})
            WriteFileBytes(dir / name, "old");
        Child child([&](int ready) {
            TakeEndingSignals();
            for (int i = 0; i < 2; ++i)
                std::thread([&, i] {
                    for (;;)
                        WriteWholeFile(dir / ("t" + std::to_string(i)), contents[i]);
                }).detach();
            std::thread([&] {
                for (;;) {
                    OutputFile abandoned(dir / "abandoned");
                    abandoned.Write(contents[1]);
                }
            }).detach();
            Report(ready, '1');
            WaitForEver();
        });
        ASSERT_EQ(child.Ready(), '1');
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        child.Send(SIGTERM);
        ExpectEndedBy(child.Wait(10s), SIGTERM);
        EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"t0", "t1"}));
        for (int i = 0; i < 2; ++i) {
            const std::string bytes = ReadFileBytes(dir / ("t" + std::to_string(i)));
            EXPECT_TRUE(bytes == "old" || bytes == contents[i]) << "t" << i << ": " << bytes.size();
        }
    }
}

} // namespace
} // namespace sorvak
