#include "platform/x11/Display.h"

#include <xcb/xcb.h>

namespace sorvak::platform {

bool CanOpenDisplay() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool usable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return usable;
}

} // namespace sorvak::platform
