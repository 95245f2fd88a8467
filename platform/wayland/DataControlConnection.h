#pragma once
// A connection of our own to the Wayland compositor with the seat and the
// data-control manager bound: the part that the clipboard reader and the
// keeper share. ext-data-control-v1 and wlroots' zwlr_data_control_v1 carry
// the same requests and events under other names, so one table of
// interfaces serves both and the rest of the code never asks which it got.
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct pollfd;
struct wl_display;
struct wl_interface;
struct wl_proxy;

namespace sorvak::platform {

// Sends a proxy's destructor request, if it has one, and frees it.
struct WaylandProxyDelete {
    int DestroyOpcode = -1;
    void operator()(wl_proxy* proxy) const;
};
using WaylandProxy = std::unique_ptr<wl_proxy, WaylandProxyDelete>;

struct WaylandDisplayDisconnect {
    void operator()(wl_display* display) const;
};

class DataControlConnection {
public:
    using Clock = std::chrono::steady_clock;

    // The interfaces of one form of the protocol, in the order of its objects.
    struct Interfaces {
        const wl_interface* Manager;
        const wl_interface* Device;
        const wl_interface* Source;
        const wl_interface* Offer;
    };

    // Connects to $WAYLAND_DISPLAY (a name in $XDG_RUNTIME_DIR or an absolute
    // path) and binds the first seat and the newest manager offered. Throws
    // SelectionTimeout when there is no compositor, no seat or no manager,
    // or the compositor does not answer within `answer`.
    explicit DataControlConnection(std::chrono::milliseconds answer);
    DataControlConnection(const DataControlConnection&) = delete;
    DataControlConnection& operator=(const DataControlConnection&) = delete;

    wl_display* Display() const { return display_.get(); }
    // Event handlers, in the protocol's order; `data` is their first argument.
    struct DeviceEvents {
        void (*DataOffer)(void* data, wl_proxy* device, wl_proxy* offer);
        void (*Selection)(void* data, wl_proxy* device, wl_proxy* offer);
        void (*Finished)(void* data, wl_proxy* device);
        void (*PrimarySelection)(void* data, wl_proxy* device, wl_proxy* offer);
    };
    struct SourceEvents {
        void (*Send)(void* data, wl_proxy* source, const char* mimeType, std::int32_t fd);
        void (*Cancelled)(void* data, wl_proxy* source);
    };
    struct OfferEvents {
        void (*Offer)(void* data, wl_proxy* offer, const char* mimeType);
    };

    // The primary selection needs version 2 of the wlroots form.
    bool HasPrimarySelection() const { return primary_; }
    // The seat's data-control device, and a new source to offer from. The
    // handler tables must outlive the objects.
    WaylandProxy GetDevice(const DeviceEvents& events, void* data);
    WaylandProxy CreateSource(const SourceEvents& events, void* data);
    // Requests on the objects made above.
    void SetSelection(wl_proxy* device, wl_proxy* source, bool primary);
    void Offer(wl_proxy* source, const std::string& mimeType);
    void Receive(wl_proxy* offer, const std::string& mimeType, int fd);
    // Takes over an offer the device announced: it is destroyed with the
    // handle. Without `events` its events are dropped.
    WaylandProxy AdoptOffer(wl_proxy* offer, const OfferEvents* events, void* data);

    // Sends what is queued; throws SelectionTimeout when the connection broke.
    void Flush();
    // Sends what is queued, then waits until events have been dispatched,
    // one of `others` is ready (its revents set) or `deadline` passes.
    // Throws SelectionTimeout when the connection breaks.
    void Pump(std::span<pollfd> others, Clock::time_point deadline);
    // Asks for an answer and pumps until it comes: every event the
    // compositor sent before it has then been dispatched. Throws
    // SelectionTimeout at `deadline`, or when `stop` is ready.
    void Roundtrip(Clock::time_point deadline, int stop = -1);

private:
    std::unique_ptr<wl_display, WaylandDisplayDisconnect> display_;
    const Interfaces* interfaces_ = nullptr;
    bool primary_ = false;
    WaylandProxy seat_;
    WaylandProxy manager_;
};

// Whether $WAYLAND_DISPLAY names a compositor that offers data-control: the
// choice of the clipboard transport at start.
bool DataControlOffered();

} // namespace sorvak::platform
