#include "bench/RoadSupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvak::bench {

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

} // namespace

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

Display::Display() : c_(xcb_connect(nullptr, nullptr)) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c_);
    netWmName_ = Atom(c_, "_NET_WM_NAME");
    utf8_ = Atom(c_, "UTF8_STRING");
}

Display::~Display() {
    xcb_disconnect(c_);
}

xcb_window_t Display::WaitForMap(const std::string& title, Clock::time_point limit) {
    while (Clock::now() < limit) {
        xcb_generic_event_t* event = Next(limit);
        if (event == nullptr)
            break;
        xcb_window_t found = 0;
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (Name(map->window) == title)
                found = map->window;
        }
        std::free(event);
        if (found != 0)
            return found;
    }
    return 0;
}

bool Display::WaitForUnmap(xcb_window_t window, Clock::time_point limit) {
    while (Clock::now() < limit) {
        xcb_generic_event_t* event = Next(limit);
        if (event == nullptr)
            break;
        const bool hit = (event->response_type & 0x7F) == XCB_UNMAP_NOTIFY &&
                         reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window == window;
        std::free(event);
        if (hit)
            return true;
    }
    return false;
}

xcb_generic_event_t* Display::Next(Clock::time_point limit) {
    for (;;) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(c_))
            return event;
        if (xcb_connection_has_error(c_) || Clock::now() >= limit)
            return nullptr;
        usleep(200);
    }
}

std::string Display::Name(xcb_window_t window) {
    auto* reply = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, netWmName_, utf8_, 0, 1024), nullptr);
    std::string name;
    if (reply != nullptr)
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    xcb_get_property_value_length(reply));
    std::free(reply);
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

} // namespace sorvak::bench
