// --notify against a real notification server (dunst) on a private session
// bus: the Notify call as dbus-monitor sees it, the action that asks the
// file manager for the file, and nothing at all without a server.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string PercentDecoded(const std::string& text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

constexpr const char* BusConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// A session bus of its own, with whatever the test puts on it.
class Bus {
public:
    explicit Bus(Session& session) : environment_(session.Environment()) {
        Process::Options options;
        options.CaptureStdout = true;
        options.Environment = environment_;
        // The session bus without the system's service files: nothing starts
        // a notification server behind the test's back.
        const fs::path config = session.WorkDir().parent_path() / "bus.conf";
        WriteFileBytes(config, BusConfig);
        daemon_ = std::make_unique<Process>(
            std::vector<std::string>{"dbus-daemon", "--config-file=" + config.string(), "--nofork",
                                     "--print-address=1"},
            options);
        const std::optional<std::string> address = daemon_->ReadLine(10s);
        if (!address || address->empty())
            throw std::runtime_error("dbus-daemon did not start");
        environment_["DBUS_SESSION_BUS_ADDRESS"] = *address;
    }

    const std::map<std::string, std::string>& Environment() const { return environment_; }

    // dunst, once it answers on the bus.
    void StartNotificationServer() {
        server_ = Start({"dunst"}, false);
        for (int i = 0; i < 100; ++i) {
            if (RunCommand({"dunstctl", "is-paused"}, environment_, 5s).ExitCode == 0)
                return;
            std::this_thread::sleep_for(100ms);
        }
        throw std::runtime_error("dunst did not come up");
    }

    // dbus-monitor, following the Notify calls.
    void StartMonitor() {
        monitor_ =
            Start({"dbus-monitor", "type='method_call',interface='org.freedesktop.Notifications',"
                                   "member='Notify'"},
                  true);
        // Its own first message (NameAcquired) says it is listening.
        if (!monitor_->ReadLine(10s))
            throw std::runtime_error("dbus-monitor did not start");
    }

    // The monitor's lines up to one holding `text`; empty on time-out.
    std::string MonitorUntil(const std::string& text, std::chrono::milliseconds timeout) {
        std::string seen;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::optional<std::string> line = monitor_->ReadLine(200ms);
            if (!line)
                continue;
            seen += *line + "\n";
            if (line->find(text) != std::string::npos)
                return seen;
        }
        return {};
    }

    void StartFileManager() {
        fileManager_ = Start(
            {(fs::path(SORVAK_BINARY_DIR) / "tests/e2e/sorvak-fakefilemanager").string()}, true);
        if (!fileManager_->WaitForLine("ready", 10s))
            throw std::runtime_error("the fake file manager did not start");
    }
    std::optional<std::string> ShownItem(std::chrono::milliseconds timeout) {
        return fileManager_->ReadLine(timeout);
    }

    std::unique_ptr<Process> Start(const std::vector<std::string>& argv, bool capture) {
        Process::Options options;
        options.CaptureStdout = capture;
        options.Environment = environment_;
        return std::make_unique<Process>(argv, options);
    }

private:
    std::map<std::string, std::string> environment_;
    std::unique_ptr<Process> daemon_;
    std::unique_ptr<Process> server_;
    std::unique_ptr<Process> monitor_;
    std::unique_ptr<Process> fileManager_;
};

// The program copy, saving without a dialog, with --notify.
std::vector<std::string> NotifyingSave(Session& session,
                                       const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{(session.ProgramDir() / "sorvak").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    argv.push_back("--notify");
    return argv;
}

TEST(E2eNotification, NamesTheFileAndItsActionShowsItInTheFileManager) {
    Session session;
    Bus bus(session);
    bus.StartNotificationServer();
    bus.StartMonitor();
    bus.StartFileManager();
    session.OwnClipboard(
        {{"text", "a"},
         {"image/png", ReadFileBytes(fs::path(SORVAK_SOURCE_DIR) / "docs/file-list.png")}});
    const fs::path folder = session.WorkDir() / "shots";
    fs::create_directories(folder);

    std::unique_ptr<Process> program = bus.Start(
        NotifyingSave(session, {"-o", folder.string(), "--name", "Shot {kind}", "--format", "png"}),
        false);
    const fs::path saved = folder / "Shot picture.png";
    const std::string notify = bus.MonitorUntil(saved.string(), 15s);
    ASSERT_FALSE(notify.empty()) << "no Notify call named the file";
    EXPECT_NE(notify.find("string \"Sorvak\""), std::string::npos) << notify;
    EXPECT_NE(notify.find("Shot picture.png"), std::string::npos) << notify;
    // The rest of the call: the thumbnail hint names the file.
    EXPECT_FALSE(bus.MonitorUntil("image-path", 5s).empty()) << "no thumbnail hint";

    // dunst shows it a moment later; its default action then goes back to us.
    std::optional<std::string> shown;
    for (int i = 0; i < 20 && !shown; ++i) {
        RunCommand({"dunstctl", "action"}, bus.Environment(), 5s);
        shown = bus.ShownItem(300ms);
    }
    ASSERT_TRUE(shown) << "the action did not reach the file manager";
    EXPECT_EQ(PercentDecoded(*shown), "file://" + saved.string());
    EXPECT_EQ(program->Wait(10s), 0);
    EXPECT_TRUE(fs::is_regular_file(saved));
}

// The watch goes on while its notices wait: the action still reaches the
// file manager after the next content was saved.
TEST(E2eNotification, TheWatchNotifiesEachSaveAndFollowsItsActions) {
    Session session;
    Bus bus(session);
    bus.StartNotificationServer();
    bus.StartMonitor();
    bus.StartFileManager();
    const fs::path folder = session.WorkDir() / "kept";
    fs::create_directories(folder);
    std::vector<std::string> argv{(session.ProgramDir() / "sorvak").string(),
                                  "--watch",
                                  folder.string(),
                                  "--name",
                                  "clip {kind}",
                                  "--notify"};
    Process::Options options;
    options.Environment = bus.Environment();
    options.CaptureStdout = true;
    Process watch(argv, options);

    std::optional<std::string> first;
    for (int attempt = 0; attempt < 10 && !first; ++attempt) {
        session.OwnClipboard({{"text", "one"}});
        first = watch.ReadLine(2s);
    }
    ASSERT_EQ(first, (folder / "clip text.txt").string());
    ASSERT_FALSE(bus.MonitorUntil("clip text.txt", 10s).empty());
    session.OwnClipboard({{"text", "two"}});
    ASSERT_EQ(watch.ReadLine(10s), (folder / "clip text (2).txt").string());
    ASSERT_FALSE(bus.MonitorUntil("clip text (2).txt", 10s).empty());

    // A notice's action, whichever one dunst takes, names that notice's file.
    std::optional<std::string> shown;
    for (int i = 0; i < 20 && !shown; ++i) {
        RunCommand({"dunstctl", "action"}, bus.Environment(), 5s);
        shown = bus.ShownItem(300ms);
    }
    ASSERT_TRUE(shown) << "the action did not reach the file manager";
    const std::set<std::string> saved{"file://" + (folder / "clip text.txt").string(),
                                      "file://" + (folder / "clip text (2).txt").string()};
    EXPECT_TRUE(saved.contains(PercentDecoded(*shown))) << *shown;
    EXPECT_TRUE(watch.Running());
}

TEST(E2eNotification, AFailureIsNotifiedWithItsText) {
    Session session;
    Bus bus(session);
    bus.StartNotificationServer();
    bus.StartMonitor();
    session.OwnClipboard({{"text", "a"}});
    const std::string target = (session.WorkDir() / "missing" / "x.txt").string();
    std::unique_ptr<Process> program = bus.Start(NotifyingSave(session, {"-o", target}), false);
    EXPECT_FALSE(bus.MonitorUntil(target, 15s).empty());
    // Nothing to show: no wait for an action; the status is the save's.
    EXPECT_EQ(program->Wait(5s), 1);
}

TEST(E2eNotification, WithoutServerOrBusTheStatusIsTheSaves) {
    Session session;
    Bus bus(session);
    session.OwnClipboard({{"text", "a"}});
    const fs::path saved = session.WorkDir() / "a.txt";
    EXPECT_EQ(bus.Start(NotifyingSave(session, {"-o", saved.string()}), false)->Wait(5s), 0);
    EXPECT_EQ(ReadFileBytes(saved), "a\r\n");

    std::map<std::string, std::string> noBus = bus.Environment();
    noBus["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + (session.WorkDir() / "no-bus").string();
    EXPECT_EQ(RunCommand(NotifyingSave(session, {"-o", saved.string()}), noBus, 5s).ExitCode, 0);
    EXPECT_EQ(RunCommand(NotifyingSave(session, {"-o", "x.png"}), noBus, 5s).ExitCode, 3);
}

} // namespace
