#include "app/ClipboardChoice.h"

#include "platform/wayland/DataControlReader.h"
#include "platform/wayland/WaylandClipboardKeeper.h"
#include "platform/x11/ClipboardKeeper.h"
#include "platform/x11/Display.h"
#include "platform/x11/SelectionReader.h"

#include <cstdlib>
#include <memory>
#include <string_view>

namespace sorvak::app {

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

bool WaylandWorks() {
    return Set("WAYLAND_DISPLAY") && platform::DataControlOffered();
}

bool X11Works() {
    return Set("DISPLAY") && platform::CanOpenDisplay();
}

} // namespace

std::optional<ClipboardTransport> ChooseClipboardTransport() {
    const char* forced = std::getenv("SORVAK_CLIPBOARD");
    const std::string_view force = forced != nullptr ? forced : "";
    std::optional<ClipboardTransport> chosen;
    if (force == "x11")
        chosen = X11Works() ? std::optional(ClipboardTransport::X11) : std::nullopt;
    else if (force == "wayland")
        chosen = WaylandWorks() ? std::optional(ClipboardTransport::Wayland) : std::nullopt;
    else if (WaylandWorks())
        chosen = ClipboardTransport::Wayland;
    else if (X11Works())
        chosen = ClipboardTransport::X11;
    if (chosen == ClipboardTransport::X11) {
        // Qt would open its windows on Wayland where the session asks for
        // it; the X11 clipboard is read through the X11 display alone.
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    } else if (chosen == ClipboardTransport::Wayland) {
        // The windows follow the clipboard onto Wayland; a platform the user
        // named stays where XWayland could serve it.
        setenv("QT_QPA_PLATFORM", "wayland", Set("DISPLAY") ? 0 : 1);
    }
    return chosen;
}

platform::ClipboardTransfer::SourceFactory OpenTransport(ClipboardTransport transport) {
    if (transport == ClipboardTransport::Wayland)
        return [] { return std::make_unique<platform::DataControlReader>(); };
    return [] { return std::make_unique<platform::SelectionReader>(); };
}

void KeepCopiedText(ClipboardTransport transport, const std::string& utf8Text) {
    if (transport == ClipboardTransport::Wayland)
        platform::KeepWaylandTextAfterExit(utf8Text);
    else
        platform::KeepClipboardTextAfterExit(utf8Text);
}

} // namespace sorvak::app
