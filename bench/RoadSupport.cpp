#include "bench/RoadSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace sorvak::bench {

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

Display::Display() {
    const xcb_screen_t* screen = c_.Screen();
    if (screen == nullptr)
        return;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c_);
    netWmName_ = platform::InternAtom(c_, "_NET_WM_NAME");
    utf8_ = platform::InternAtom(c_, "UTF8_STRING");
}

xcb_window_t Display::WaitForMap(const std::string& title, Clock::time_point limit, pid_t child) {
    while (Clock::now() < limit) {
        const platform::XcbEvent event = Next(limit, child);
        if (!event)
            break;
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
            if (Name(map->window) == title)
                return map->window;
        }
    }
    return 0;
}

bool Display::WaitForUnmap(xcb_window_t window, Clock::time_point limit) {
    while (Clock::now() < limit) {
        const platform::XcbEvent event = Next(limit);
        if (!event)
            break;
        if ((event->response_type & 0x7F) == XCB_UNMAP_NOTIFY &&
            reinterpret_cast<xcb_unmap_notify_event_t*>(event.get())->window == window)
            return true;
    }
    return false;
}

namespace {

// Whether the child has ended; it stays unreaped, for Reap.
bool Ended(pid_t child) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == child;
}

} // namespace

platform::XcbEvent Display::Next(Clock::time_point limit, pid_t child) {
    for (;;) {
        if (platform::XcbEvent event{xcb_poll_for_event(c_)})
            return event;
        if (c_.HasError() || Clock::now() >= limit || (child != 0 && Ended(child)))
            return nullptr;
        usleep(200);
    }
}

std::string Display::Name(xcb_window_t window) {
    const platform::XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, netWmName_, utf8_, 0, 1024), nullptr));
    std::string name;
    if (reply)
        name.assign(static_cast<const char*>(xcb_get_property_value(reply.get())),
                    xcb_get_property_value_length(reply.get()));
    return name;
}

pid_t Start(const std::vector<std::string>& args, const std::string& folder,
            const std::string& output) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(126);
        if (!output.empty()) {
            const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, 1) < 0)
                _exit(126);
            close(fd);
        }
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

double Reap(pid_t pid, bool* ok) {
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (ok != nullptr)
        *ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

namespace {

// The processor time the process has used so far, in clock ticks; -1 when
// it cannot be read.
long long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name, which may hold spaces: utime and stime
    // are the 12th and 13th of them.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    long long utime = -1, stime = -1;
    for (int i = 1; i <= 13 && fields >> field; ++i) {
        if (i == 12)
            utime = std::stoll(field);
        if (i == 13)
            stime = std::stoll(field);
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

// Waits until the process has used no processor time for 200 ms.
void WaitUntilIdle(pid_t pid, Clock::time_point limit) {
    long long last = CpuTicks(pid);
    int quiet = 0;
    while (quiet < 4 && Clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const long long now = CpuTicks(pid);
        quiet = now == last ? quiet + 1 : 0;
        last = now;
    }
}

} // namespace

DialogRun RunThroughDialog(Display& display, const std::string& program, const std::string& folder,
                           const std::string& title, Clock::duration limit, bool settled) {
    DialogRun run;
    const auto start = Clock::now();
    const pid_t pid = Start({program}, folder);
    const xcb_window_t dialog = display.WaitForMap(title, start + limit, pid);
    if (dialog != 0) {
        run.startMs = Ms(Clock::now() - start);
        if (settled)
            WaitUntilIdle(pid, Clock::now() + limit);
        const std::string keys =
            "xdotool windowfocus --sync " + std::to_string(dialog) + " key Return";
        if (std::system(keys.c_str()) == 0 && display.WaitForUnmap(dialog, Clock::now() + limit)) {
            const auto closed = Clock::now();
            run.peakMib = Reap(pid, &run.ok);
            const auto end = Clock::now();
            run.saveMs = Ms(end - closed);
            run.endMs = Ms(end - start);
            return run;
        }
    }
    kill(pid, SIGKILL);
    Reap(pid);
    return run;
}

RoadFolders::RoadFolders(const std::string& prefix, const std::string& program,
                         const std::string& before, const std::string& section)
    : Ours(MakeRoadFolder(prefix, program, section)) {
    if (!before.empty()) {
        Before.folder = MakeRoadFolder(prefix + "-before", before, section);
        Before.program = Before.folder + "/sorvak";
    }
}

RoadFolders::~RoadFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(Ours, ignored);
    if (Before.Asked())
        std::filesystem::remove_all(Before.folder, ignored);
}

std::optional<DialogRun> RunBoth(Display& display, const std::string& program,
                                 const std::string& folder, BeforeProgram& before,
                                 const std::string& title, const std::string& name, int run,
                                 const std::function<bool(const std::string& file)>& wrote) {
    const auto limit = std::chrono::seconds(120);
    const std::string ourFile = folder + "/" + name;
    const std::string theirFile = before.folder + "/" + name;
    DialogRun ours, theirs;
    for (const bool oursNow : {run % 2 == 0, run % 2 != 0}) {
        if (oursNow) {
            std::remove(ourFile.c_str());
            ours = RunThroughDialog(display, program, folder, title, limit);
        } else if (before.Asked()) {
            std::remove(theirFile.c_str());
            theirs = RunThroughDialog(display, before.program, before.folder, title, limit);
        }
    }
    if (before.Asked()) {
        if (theirs.endMs < 0 || !theirs.ok || !wrote(theirFile)) {
            std::fprintf(stderr,
                         "run %d: the earlier build showed no dialog or wrote a wrong file\n", run);
            return std::nullopt;
        }
        before.endMs.push_back(theirs.endMs);
    }
    return ours;
}

void PrintStartToEnd(int runs, const std::vector<double>& ours, const BeforeProgram& before) {
    if (!before.Asked()) {
        std::printf("start_to_end_ms %d %.1f - - -\n", runs, Median(ours));
        return;
    }
    std::printf("start_to_end_ms %d %.1f before %.1f %.2f\n", runs, Median(ours),
                Median(before.endMs), Median(ours) / Median(before.endMs));
}

std::string MakeRoadFolder(const std::string& prefix, const std::string& program,
                           const std::string& section) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern.data());
    std::filesystem::copy_file(program, folder / "sorvak");
    std::ofstream(folder / "sorvak.ini", std::ios::binary)
        << section << "InitialDir=" << folder.string() << "\r\n";
    return folder.string();
}

bool OfferOnClipboard(const std::string& type, const std::string& file) {
    const std::string offer =
        "xclip -selection clipboard -t " + type + " -i '" + file + "' >/dev/null 2>&1";
    if (std::system(offer.c_str()) == 0)
        return true;
    std::fprintf(stderr, "xclip failed\n");
    return false;
}

} // namespace sorvak::bench
