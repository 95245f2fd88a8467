#pragma once
// Owning handles for what xcb hands out: the connection, replies and events.
// Header-only, so that the benchmarks that watch the display use it too.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace sorvak::platform {

struct XcbFree {
    void operator()(void* p) const noexcept { std::free(p); }
};
// A reply or event; xcb allocates them with malloc.
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;
using XcbEvent = XcbReply<xcb_generic_event_t>;

// A connection to $DISPLAY (or the display named), closed when the object
// ends. xcb_connect returns an object even when it fails, and that one must
// be closed as well: check HasError() before using it.
class XcbConnection {
public:
    explicit XcbConnection(const char* display = nullptr)
        : connection_(xcb_connect(display, &screenNumber_)) {}
    ~XcbConnection() { xcb_disconnect(connection_); }
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    // Passed straight to the xcb calls.
    operator xcb_connection_t*() const { return connection_; }

    bool HasError() const { return xcb_connection_has_error(connection_) != 0; }
    // The screen the display name chose; nullptr when the connection failed
    // or the server has no such screen.
    const xcb_screen_t* Screen() const {
        if (HasError())
            return nullptr;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber_ && screens.rem > 0; ++i)
            xcb_screen_next(&screens);
        return screens.rem > 0 ? screens.data : nullptr;
    }

private:
    int screenNumber_ = 0;
    xcb_connection_t* connection_;
};

// The atom of that name, made when the server has none yet; XCB_ATOM_NONE
// when the display went away.
inline xcb_atom_t InternAtom(xcb_connection_t* connection, std::string_view name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace sorvak::platform
