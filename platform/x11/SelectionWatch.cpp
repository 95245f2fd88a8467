#include "platform/x11/SelectionWatch.h"

#include "platform/x11/Xcb.h"

#include <xcb/xfixes.h>

#include <stdexcept>

namespace sorvak::platform {

struct SelectionWatch::State {
    XcbConnection connection;
    std::uint8_t firstEvent = 0;

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
}

SelectionWatch::~SelectionWatch() = default;

int SelectionWatch::Descriptor() const {
    return xcb_get_file_descriptor(state_->connection);
}

bool SelectionWatch::TakeNewOwner() {
    bool found = false;
    while (const XcbEvent event{xcb_poll_for_event(state_->connection)})
        found = state_->IsNewOwner(*event) || found;
    return found;
}

bool SelectionWatch::Broken() const {
    return state_->connection.HasError();
}

} // namespace sorvak::platform
