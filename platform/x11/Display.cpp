#include "platform/x11/Display.h"

#include "platform/x11/Xcb.h"

namespace sorvak::platform {

bool CanOpenDisplay() {
    return !XcbConnection().HasError();
}

} // namespace sorvak::platform
