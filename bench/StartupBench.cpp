// Time from process start to the first dialog mapped on the screen: the
// program with text on the clipboard against a bare Qt file dialog, runs
// interleaved in one process so that both meet the same machine load.
// Usage: sorvak-startup-bench [--runs N] SORVAK BARE_DIALOG   (needs DISPLAY
// and xclip; a copy of SORVAK runs in a temporary folder).
#include "platform/x11/Xcb.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using sorvak::platform::InternAtom;
using sorvak::platform::XcbConnection;
using sorvak::platform::XcbEvent;
using sorvak::platform::XcbReply;

namespace {

std::string WindowName(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netWmName,
                       xcb_atom_t utf8) {
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, netWmName, utf8, 0, 1024), nullptr));
    std::string name;
    if (reply)
        name.assign(static_cast<const char*>(xcb_get_property_value(reply.get())),
                    xcb_get_property_value_length(reply.get()));
    return name;
}

pid_t Start(const std::string& program, const std::string& folder) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(126);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Milliseconds from start to the map of a top-level window named title.
double TimeToWindow(xcb_connection_t* c, const std::string& program, const std::string& title) {
    const xcb_atom_t netWmName = InternAtom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = InternAtom(c, "UTF8_STRING");
    const auto start = Clock::now();
    const pid_t pid = Start(program, fs::path(program).parent_path().string());
    double ms = -1;
    while (ms < 0) {
        // A child that ended without its window, or a silent display, must
        // not hold the benchmark: look again every 100 ms.
        XcbEvent event(xcb_poll_for_event(c));
        if (!event) {
            if (xcb_connection_has_error(c) != 0 || waitpid(pid, nullptr, WNOHANG) == pid ||
                std::chrono::duration<double>(Clock::now() - start).count() > 30)
                return -1;
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&fd, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
            if (WindowName(c, map->window, netWmName, utf8) == title)
                ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        if (std::chrono::duration<double>(Clock::now() - start).count() > 30)
            break;
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 10;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            programs.push_back(argv[i]);
    }
    if (programs.size() != 2 || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage: DISPLAY=... %s [--runs N] SORVAK BARE_DIALOG\n", argv[0]);
        return 2;
    }
    // Each program starts in its own folder: a relative name would not be
    // found from there.
    programs[1] = fs::absolute(programs[1]).string();
    char pattern[] = "/tmp/sorvak-startup-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const fs::path sorvak = folder / "sorvak";
    fs::copy_file(programs[0], sorvak);
    if (std::system("printf 'startup benchmark text' | xclip -selection clipboard -i "
                    ">/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "xclip failed\n");
        return 1;
    }
    std::vector<double> ours, bare;
    {
        const XcbConnection c;
        const xcb_screen_t* screen = c.Screen();
        if (screen == nullptr) {
            std::fprintf(stderr, "cannot open the display\n");
            fs::remove_all(folder);
            return 1;
        }
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
        for (int i = 0; i < runs; ++i) {
            ours.push_back(
                TimeToWindow(c, sorvak.string(), "クリップボードテキストに名前を付けて保存"));
            bare.push_back(TimeToWindow(c, programs[1], "bare-file-dialog"));
        }
    }
    fs::remove_all(folder);
    if (std::count(ours.begin(), ours.end(), -1.0) + std::count(bare.begin(), bare.end(), -1.0)) {
        std::fprintf(stderr, "a window did not appear\n");
        return 1;
    }
    std::printf("what runs median_ms min_ms max_ms\n");
    std::printf("sorvak %d %.1f %.1f %.1f\n", runs, Median(ours),
                *std::min_element(ours.begin(), ours.end()),
                *std::max_element(ours.begin(), ours.end()));
    std::printf("bare-qfiledialog %d %.1f %.1f %.1f\n", runs, Median(bare),
                *std::min_element(bare.begin(), bare.end()),
                *std::max_element(bare.begin(), bare.end()));
    std::printf("ratio %.2f\n", Median(ours) / Median(bare));
    return 0;
}
