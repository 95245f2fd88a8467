#pragma once
// One clipboard transport as the snapshot sees it: the owner's offer, by mime
// type names, read with bounded waits. X11 selections and Wayland
// data-control each implement it; which formats to take, and how to decode
// them, is the snapshot's alone.
#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sorvak::platform {

// The owner did not answer in time, refused to say what it offers, or the
// display went away: the clipboard could not be read.
class SelectionTimeout : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Another owner took the clipboard during the read. The new owner may offer
// the same content (a clipboard manager taking over), so the transfer may
// start again from it.
class SelectionOwnerChanged : public SelectionTimeout {
public:
    SelectionOwnerChanged() : SelectionTimeout("the clipboard changed owner") {}
};

// Stop() was called: nobody waits for the content any more.
class SelectionStopped : public SelectionTimeout {
public:
    SelectionStopped() : SelectionTimeout("the read was stopped") {}
};

// Which clipboard a transport reads: the one Ctrl+C fills, or the primary
// selection (the last text selected).
enum class Selection { Clipboard, Primary };

class SelectionSource {
public:
    // Sees the bytes that have come so far after each piece of a transfer;
    // returns false once it has seen enough.
    using Watch = std::function<bool(std::string_view soFar)>;

    virtual ~SelectionSource() = default;

    // False when nobody owns the clipboard. The owner found here is the one
    // every later read expects; another one throws SelectionOwnerChanged.
    virtual bool HasOwner() = 0;
    // The mime types the owner offers ("image/png",
    // "text/plain;charset=utf-8", "text/uri-list"), in the owner's order.
    // Names of the transport itself (X11's UTF8_STRING and STRING) are given
    // as the mime types they stand for. Throws SelectionTimeout when the
    // owner refuses to say: that is a clipboard that cannot be read, not an
    // empty one.
    virtual std::vector<std::string> Targets() = 0;
    // One type's bytes; nothing when the owner refuses that type or sends
    // more than the transport's byte limit. `watch` follows the transfer.
    virtual std::optional<std::string> Fetch(const std::string& mimeType,
                                             const Watch& watch = {}) = 0;
    // Ends the wait under way, and every later one, with SelectionStopped.
    // Safe from any thread.
    virtual void Stop() = 0;
    virtual bool Stopped() const = 0;

    // When every read of this source together must have ended: the
    // transport's bound on a whole transfer. A transfer that starts again
    // from a new owner hands it to the new source, so that the bound keeps
    // counting from the first start. A transport without such a bound keeps
    // these defaults.
    virtual std::chrono::steady_clock::time_point End() const {
        return std::chrono::steady_clock::time_point::max();
    }
    virtual void EndBy(std::chrono::steady_clock::time_point end) { static_cast<void>(end); }
};

} // namespace sorvak::platform
