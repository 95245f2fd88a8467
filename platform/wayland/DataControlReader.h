#pragma once
// Reads the Wayland clipboard through the data-control protocol, on a
// connection of its own and with bounded waits, as a program without a
// focused window must: an owner that hangs, trickles or leaves cannot hold
// the program, and another thread may stop a read at any time.
#include "base/FileDescriptor.h"
#include "platform/selection/SelectionSource.h"
#include "platform/wayland/DataControlConnection.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sorvak::platform {

class DataControlReader : public SelectionSource {
public:
    struct Limits {
        // The longest the compositor may take to tell the offer: it answers
        // for the owner, so this is what a hung compositor costs.
        std::chrono::milliseconds FirstAnswer{2000};
        // The longest the owner may stay silent during a transfer: making a
        // large value (100 MB of text) takes seconds on a busy machine.
        std::chrono::milliseconds Silence{10000};
        // All reads together, even when the owner keeps sending.
        std::chrono::milliseconds Total{60000};
        // Bytes of one type; an owner that sends more is not believed.
        std::size_t MaxBytes = std::size_t(1) << 30;
    };

    // Connects to $WAYLAND_DISPLAY; the clock for Limits::Total starts here.
    // Throws SelectionTimeout when the compositor offers no data-control.
    explicit DataControlReader(Limits limits, Selection which = Selection::Clipboard);
    DataControlReader() : DataControlReader(Limits{}) {}

    bool HasOwner() override;
    std::vector<std::string> Targets() override;
    std::optional<std::string> Fetch(const std::string& mimeType, const Watch& watch = {}) override;
    void Stop() override;
    bool Stopped() const override { return stopped_.load(std::memory_order_relaxed); }

private:
    using Clock = DataControlConnection::Clock;
    struct Offer {
        WaylandProxy Proxy;
        std::vector<std::string> Types;
    };

    static void OnDataOffer(void* data, wl_proxy* device, wl_proxy* offer);
    static void OnSelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void OnFinished(void* data, wl_proxy* device);
    static void OnPrimarySelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void OnOfferType(void* data, wl_proxy* offer, const char* mimeType);
    // The compositor named the offer of one selection (null: none).
    void Selected(wl_proxy* offer, bool primary);

    // Everything the compositor has sent is seen; throws SelectionStopped
    // when stopped, SelectionTimeout past `deadline`.
    void Roundtrip(Clock::time_point deadline);
    // Throws when the selection is no longer the one HasOwner found.
    void CheckOwner() const;
    // The name the owner offers for `mimeType`: itself or an X11 stand-in.
    std::optional<std::string> OfferedName(const std::string& mimeType) const;
    std::optional<std::string> ReadPipe(int fd, const Watch& watch);

    Limits limits_;
    Selection which_;
    Clock::time_point end_;
    // Written by Stop() to wake a wait.
    FileDescriptor wake_;
    std::atomic<bool> stopped_{false};
    // Before every proxy, so that it is disconnected last; the offers go
    // before the device that announced them.
    DataControlConnection connection_;
    WaylandProxy device_;
    // Offers announced and not yet named as a selection.
    std::vector<std::unique_ptr<Offer>> announced_;
    std::unique_ptr<Offer> current_;
    // Counts the selection events of the selection read.
    unsigned changes_ = 0;
    bool selectionKnown_ = false;
    bool finished_ = false;
    std::optional<unsigned> ownerChanges_;
};

} // namespace sorvak::platform
