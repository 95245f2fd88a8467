#pragma once
// Which clipboard transport the program reads through, chosen once at start:
// Wayland's data-control where the compositor offers it (a program started
// from a hotkey has no focused window, and wlroots compositors and KWin
// refuse the X11 clipboard to such a program), X11 otherwise (GNOME's mutter
// through XWayland, X11 sessions). SORVAK_CLIPBOARD=x11 or wayland forces
// either.
#include "platform/selection/ClipboardTransfer.h"

#include <optional>
#include <string>

namespace sorvak::app {

enum class ClipboardTransport { X11, Wayland };

// The transport, with Qt's platform set to match (the windows follow the
// clipboard); nothing when no display can be opened.
std::optional<ClipboardTransport> ChooseClipboardTransport();

// Opens the chosen transport's reader.
platform::ClipboardTransfer::SourceFactory OpenTransport(ClipboardTransport transport);

// Keeps the text the program copied available after it ends.
void KeepCopiedText(ClipboardTransport transport, const std::string& utf8Text);

} // namespace sorvak::app
