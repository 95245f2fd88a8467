#pragma once
// Reads the X11 CLIPBOARD selection on a connection of its own, with bounded
// waits: an owner that hangs, trickles or leaves cannot hold the program, and
// another thread may stop a read at any time.
#include "base/FileDescriptor.h"
#include "platform/selection/SelectionSource.h"
#include "platform/x11/Xcb.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sorvak::platform {

class SelectionReader : public SelectionSource {
    using Clock = std::chrono::steady_clock;

public:
    struct Limits {
        // The longest the owner may take to list its targets: cheap for any
        // owner that runs, so this is what a hung owner costs.
        std::chrono::milliseconds FirstAnswer{2000};
        // The longest an owner that did answer may then stay silent: making
        // a large value (100 MB of text converted to UTF-8) takes seconds on
        // a busy machine.
        std::chrono::milliseconds Silence{10000};
        // All reads together, even when the owner keeps answering.
        std::chrono::milliseconds Total{60000};
        // Bytes of one target; an owner that sends more is not believed.
        std::size_t MaxBytes = std::size_t(1) << 30;
        // How often a wait asks the server who owns the clipboard: an owner
        // that died sends nothing more, and this is how soon that is seen.
        std::chrono::milliseconds OwnerCheck{200};
        // How long an incremental transfer left half way is drained: some
        // owners serve nobody else until it ends.
        std::chrono::milliseconds Drain{750};
    };
    // Connects to $DISPLAY; the clock for Limits::Total starts here.
    explicit SelectionReader(Limits limits);
    SelectionReader() : SelectionReader(Limits{}) {}
    SelectionReader(const SelectionReader&) = delete;
    SelectionReader& operator=(const SelectionReader&) = delete;

    bool HasOwner() override;
    // UTF8_STRING is given as text/plain;charset=utf-8 and STRING as
    // text/plain;charset=iso-8859-1; every other target by its own name. A
    // refused TARGETS request throws SelectionTimeout.
    std::vector<std::string> Targets() override;
    // Nothing as well when the owner sends more than Limits::MaxBytes.
    std::optional<std::string> Fetch(const std::string& mimeType, const Watch& watch = {}) override;
    void Stop() override;
    bool Stopped() const override { return stopped_.load(std::memory_order_relaxed); }
    std::chrono::steady_clock::time_point End() const override { return end_; }
    void EndBy(std::chrono::steady_clock::time_point end) override { end_ = std::min(end_, end); }

private:
    // The targets that may carry a mime type, most wanted first.
    std::vector<std::string> TargetsFor(const std::string& mimeType) const;
    std::optional<std::string> FetchTarget(const std::string& target, const Watch& watch);
    std::uint32_t Intern(const std::string& name);
    // The reply to a request already queued, awaited through the same poll
    // as events: Stop() ends the wait at once, and a server that does not
    // answer (another client grabbed it) is bounded like a silent owner.
    template <typename Reply> XcbReply<Reply> Await(unsigned int sequence) {
        return XcbReply<Reply>(static_cast<Reply*>(
            AwaitReply(sequence, std::min(Clock::now() + limits_.Silence, end_), true)));
    }
    // Throws SelectionStopped once stopped, when `stoppable`.
    void* AwaitReply(unsigned int sequence, std::chrono::steady_clock::time_point end,
                     bool stoppable);
    // Takes the pieces of the incremental transfer under way unread, until
    // the owner pauses (as it does after the last one) or Limits::Drain has
    // passed, so that the owner is free for the next requestor. Never
    // stopped: it is bounded.
    void Drain();
    // The clipboard's owner now.
    std::uint32_t CurrentOwner();
    // The owner's answer to a conversion: the property holding it, or 0
    // when it refused.
    std::uint32_t Convert(std::uint32_t target, std::chrono::milliseconds silence);
    // The next piece of an incremental transfer has been stored.
    void WaitForPiece();
    // Reads and deletes our property; deleting it asks for the next piece.
    // True when the value announces an incremental transfer.
    bool TakeProperty(std::string& bytes);
    // Waits for an event that `wanted` accepts; throws SelectionTimeout when
    // the owner stays silent past a limit or the connection breaks.
    template <typename Wanted> void WaitFor(std::chrono::milliseconds silence, Wanted wanted);
    // Throws SelectionTimeout when the clipboard has another owner (or none)
    // than the one HasOwner found.
    void CheckOwner();

    Limits limits_;
    std::chrono::steady_clock::time_point end_;
    // A member, so that it is closed when the constructor throws too.
    XcbConnection connection_;
    std::uint32_t window_ = 0;
    std::uint32_t owner_ = 0;
    bool ownerKnown_ = false;
    // The owner's target names as it listed them; empty until Targets().
    std::vector<std::string> listed_;
    // Set while a transfer may still be writing our property: a transfer
    // abandoned half way (at the byte cap, by a timeout or a stop) would
    // write its next piece there, so the next one takes a fresh property.
    bool propertyInUse_ = false;
    unsigned int properties_ = 0;
    // Written by Stop() to wake a wait.
    FileDescriptor wake_;
    std::atomic<bool> stopped_{false};
    std::uint32_t clipboard_ = 0, property_ = 0, incr_ = 0, targets_ = 0;
};

} // namespace sorvak::platform
