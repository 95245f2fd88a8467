#include "platform/x11/SelectionWatch.h"

#include "platform/x11/Xcb.h"

#include <xcb/xfixes.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace sorvak::platform {

struct SelectionWatch::State {
    XcbConnection connection;
    std::uint8_t firstEvent = 0;
    // Stop() writes to it; the wait polls it beside the display.
    int stopRead = -1;
    int stopWrite = -1;
    std::atomic<bool> stopped{false};

    ~State() {
        if (stopRead >= 0)
            ::close(stopRead);
        if (stopWrite >= 0)
            ::close(stopWrite);
    }

    // The next event, waiting for it; nothing when stopped or disconnected.
    XcbEvent NextEvent(bool wait) {
        for (;;) {
            if (XcbEvent event{xcb_poll_for_event(connection)})
                return event;
            if (!wait || stopped || connection.HasError())
                return {};
            pollfd fds[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0},
                             {stopRead, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                return {};
        }
    }

    bool IsNewOwner(const xcb_generic_event_t& event) const {
        if ((event.response_type & 0x7F) != firstEvent + XCB_XFIXES_SELECTION_NOTIFY)
            return false;
        const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
        return notify.owner != XCB_NONE;
    }
};

SelectionWatch::SelectionWatch() : state_(std::make_unique<State>()) {
    State& s = *state_;
    const xcb_screen_t* screen = s.connection.Screen();
    if (screen == nullptr)
        throw std::runtime_error("cannot open the X11 display");
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(s.connection, &xcb_xfixes_id);
    if (fixes == nullptr || !fixes->present)
        throw std::runtime_error("the X server has no XFixes extension");
    s.firstEvent = fixes->first_event;
    const XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        s.connection, xcb_xfixes_query_version(s.connection, 5, 0), nullptr));
    if (!version)
        throw std::runtime_error("the X server has no XFixes extension");
    xcb_xfixes_select_selection_input(s.connection, screen->root,
                                      InternAtom(s.connection, "CLIPBOARD"),
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    xcb_flush(s.connection);
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make a pipe");
    s.stopRead = pipe[0];
    s.stopWrite = pipe[1];
}

SelectionWatch::~SelectionWatch() = default;

bool SelectionWatch::WaitForNewOwner() {
    State& s = *state_;
    bool found = false;
    // Waits for the first new owner, then takes the ones already queued.
    while (XcbEvent event = s.NextEvent(!found))
        found = s.IsNewOwner(*event) || found;
    return found && !s.stopped;
}

void SelectionWatch::Stop() {
    state_->stopped = true;
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::write(state_->stopWrite, &byte, 1);
}

} // namespace sorvak::platform
