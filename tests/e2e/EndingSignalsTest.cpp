// SIGTERM, SIGINT and SIGHUP on the real program: no thread but its own
// signal thread takes them, a save ended at any moment leaves neither its
// new file nor a cut target, and the new file is private while it is written.
#include "base/InterruptCleanup.h"
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace sorvak::e2e;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A line of /proc/PID/task/TID/status without its label.
std::string StatusField(const fs::path& task, const std::string& label) {
    const std::string status = "\n" + ReadFileBytes(task / "status");
    const std::size_t at = status.find("\n" + label + ":\t");
    if (at == std::string::npos)
        return std::string();
    const std::size_t start = at + label.size() + 3;
    return status.substr(start, status.find('\n', start) - start);
}

Process::Options InWorkDir(const Session& session) {
    Process::Options options;
    options.Environment = session.Environment();
    options.WorkingDirectory = session.WorkDir().string();
    return options;
}

fs::path Program(const Session& session) {
    return session.ProgramDir() / "sorvak";
}

} // namespace

TEST(EndingSignals, EveryThreadBlocksThemAndOneThreadTakesThem) {
    Session session;
    session.OwnClipboard({{"text", "some text"}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());
    const std::unique_ptr<Process> program = session.TakeProgram();
    const unsigned long long ending =
        (1ull << (SIGTERM - 1)) | (1ull << (SIGINT - 1)) | (1ull << (SIGHUP - 1));
    int threads = 0, takers = 0;
    for (const auto& task :
         fs::directory_iterator(fs::path("/proc") / std::to_string(program->Pid()) / "task")) {
        const std::string name = StatusField(task.path(), "Name");
        const std::string blocked = StatusField(task.path(), "SigBlk");
        ASSERT_FALSE(blocked.empty()) << task.path();
        SCOPED_TRACE(name);
        ++threads;
        // sigwait lets them through while it waits, in its own thread only.
        if (name == sorvak::SignalThreadName)
            ++takers;
        else
            EXPECT_EQ(std::stoull(blocked, nullptr, 16) & ending, ending) << blocked;
    }
    EXPECT_EQ(takers, 1);
    // Qt's own threads (the X connection's reader at least) are among them.
    EXPECT_GE(threads, 3);
    // And the signal still ends the program with its own status.
    kill(program->Pid(), SIGTERM);
    EXPECT_EQ(program->Wait(10s), 128 + SIGTERM);
}

TEST(EndingSignals, SavesEndedAtRandomMomentsLeaveNoNewFileAndNoCutTarget) {
    Session session;
    std::string text;
    for (int i = 0; text.size() < 2000000; ++i)
        text += "line " + std::to_string(i) + "\n";
    session.OwnClipboard({{"text", text}});
    const fs::path target = session.WorkDir() / "out.txt";
    WriteFileBytes(target, "old");

    // One whole run gives the bytes a finished save writes, and how long a
    // run takes: the signals fall anywhere within that.
    const auto start = std::chrono::steady_clock::now();
    {
        Process whole({Program(session).string(), "-o", target.string()}, InWorkDir(session));
        ASSERT_EQ(whole.Wait(30s), 0);
    }
    const auto runTime = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    const std::string saved = ReadFileBytes(target);
    ASSERT_GT(saved.size(), text.size());
    WriteFileBytes(target, "old");

    std::mt19937 random(2026);
    std::uniform_int_distribution<long long> delay(0, runTime.count() * 6 / 5);
    int ended = 0, finished = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        Process run({Program(session).string(), "-o", target.string()}, InWorkDir(session));
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(run.Pid(), SIGTERM);
        const std::optional<int> status = run.Wait(20s);
        ASSERT_TRUE(status == 0 || status == 128 + SIGTERM) << status.value_or(-1);
        (status == 0 ? finished : ended) += 1;
        ASSERT_EQ(sorvak::test::Entries(session.WorkDir()), std::vector<std::string>{"out.txt"});
        const std::string bytes = ReadFileBytes(target);
        ASSERT_TRUE(bytes == "old" || bytes == saved) << bytes.size() << " bytes";
    }
    std::cout << "ended by the signal: " << ended << ", finished: " << finished << "\n";
}

// Watches the folder, so that the new file is seen the moment it is made.
TEST(EndingSignals, TheNewFileIsPrivateWhileItIsWritten) {
    Session session;
    // Large enough that the write takes a while after the file is made.
    std::string text;
    for (int i = 0; text.size() < 60000000; ++i)
        text += "a longer line of text number " + std::to_string(i) + "\n";
    session.OwnClipboard({{"text", text}});
    const fs::path folder = session.WorkDir() / "shared";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::all);
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_CREATE), 0);

    Process run({Program(session).string(), "-o", (folder / "big.txt").string()},
                InWorkDir(session));
    std::optional<mode_t> tempMode;
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!tempMode && run.Running() && std::chrono::steady_clock::now() < end) {
        alignas(inotify_event) char buffer[4096];
        const ssize_t length = read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            struct stat info {};
            if (event->len > 0 && event->name[0] == '.' &&
                stat((folder / event->name).c_str(), &info) == 0)
                tempMode = info.st_mode & 07777;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
        if (length <= 0)
            std::this_thread::sleep_for(1ms);
    }
    close(watch);
    ASSERT_TRUE(tempMode) << "the new file was not seen";
    EXPECT_EQ(*tempMode, 0600u);
    EXPECT_EQ(run.Wait(60s), 0);
    struct stat info {};
    ASSERT_EQ(stat((folder / "big.txt").c_str(), &info), 0);
    EXPECT_EQ(
        info.st_mode & 0777, 0666u & ~[] {
            const mode_t mask = umask(0);
            umask(mask);
            return mask;
        }());
}
