#include "platform/wayland/DataControlConnection.h"

#include "platform/selection/SelectionSource.h"
#include "platform/wayland/protocols/ext-data-control-v1-client-protocol.h"
#include "platform/wayland/protocols/wlr-data-control-unstable-v1-client-protocol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <vector>
#include <wayland-client.h>

namespace sorvak::platform {

namespace {

// The code below sends the ext form's opcodes to either form.
static_assert(EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE ==
              ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE ==
              ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_DESTROY == ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION ==
              ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION ==
              ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_DESTROY == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_OFFER == ZWLR_DATA_CONTROL_SOURCE_V1_OFFER);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_DESTROY == ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_OFFER_V1_RECEIVE == ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE);
static_assert(EXT_DATA_CONTROL_OFFER_V1_DESTROY == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);

// Our handler tables stand for the generated listeners of both forms.
using Connection = DataControlConnection;
static_assert(sizeof(Connection::DeviceEvents) == sizeof(ext_data_control_device_v1_listener));
static_assert(sizeof(Connection::DeviceEvents) == sizeof(zwlr_data_control_device_v1_listener));
static_assert(sizeof(Connection::SourceEvents) == sizeof(ext_data_control_source_v1_listener));
static_assert(sizeof(Connection::SourceEvents) == sizeof(zwlr_data_control_source_v1_listener));
static_assert(sizeof(Connection::OfferEvents) == sizeof(ext_data_control_offer_v1_listener));
static_assert(sizeof(Connection::OfferEvents) == sizeof(zwlr_data_control_offer_v1_listener));

template <typename Events> void Listen(wl_proxy* proxy, const Events& events, void* data) {
    // libwayland calls the table's entries by the event's opcode.
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<Events*>(&events)),
                          data);
}

const DataControlConnection::Interfaces Ext{
    &ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
    &ext_data_control_source_v1_interface, &ext_data_control_offer_v1_interface};
const DataControlConnection::Interfaces Wlr{
    &zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface,
    &zwlr_data_control_source_v1_interface, &zwlr_data_control_offer_v1_interface};

// What the registry announced, by global name.
struct Globals {
    std::uint32_t Seat = 0, Ext = 0, Wlr = 0, WlrVersion = 0;
};

void OnGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    Globals& globals = *static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals.Seat == 0)
        globals.Seat = name;
    else if (std::strcmp(interface, Ext.Manager->name) == 0)
        globals.Ext = name;
    else if (std::strcmp(interface, Wlr.Manager->name) == 0) {
        globals.Wlr = name;
        globals.WlrVersion = version;
    }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener RegistryListener{OnGlobal, OnGlobalRemove};

void OnDone(void* data, wl_callback*, std::uint32_t) {
    *static_cast<bool*>(data) = true;
}

const wl_callback_listener DoneListener{OnDone};

wl_proxy* Checked(wl_proxy* proxy) {
    if (proxy == nullptr)
        throw SelectionTimeout("out of memory for a Wayland object");
    return proxy;
}

} // namespace

void WaylandProxyDelete::operator()(wl_proxy* proxy) const {
    if (DestroyOpcode >= 0)
        wl_proxy_marshal_flags(proxy, static_cast<std::uint32_t>(DestroyOpcode), nullptr,
                               wl_proxy_get_version(proxy), WL_MARSHAL_FLAG_DESTROY);
    else
        wl_proxy_destroy(proxy);
}

void WaylandDisplayDisconnect::operator()(wl_display* display) const {
    wl_display_disconnect(display);
}

DataControlConnection::DataControlConnection(std::chrono::milliseconds answer)
    : display_(wl_display_connect(nullptr)) {
    if (!display_)
        throw SelectionTimeout("no Wayland display");
    Globals globals;
    const WaylandProxy registry(reinterpret_cast<wl_proxy*>(wl_display_get_registry(Display())));
    wl_registry_add_listener(reinterpret_cast<wl_registry*>(registry.get()), &RegistryListener,
                             &globals);
    Roundtrip(Clock::now() + answer);
    if (globals.Seat == 0)
        throw SelectionTimeout("the compositor has no seat");
    wl_registry* raw = reinterpret_cast<wl_registry*>(registry.get());
    seat_.reset(Checked(
        static_cast<wl_proxy*>(wl_registry_bind(raw, globals.Seat, &wl_seat_interface, 1))));
    const WaylandProxyDelete managerDelete{EXT_DATA_CONTROL_MANAGER_V1_DESTROY};
    if (globals.Ext != 0) {
        interfaces_ = &Ext;
        primary_ = true;
        manager_ = WaylandProxy(
            Checked(static_cast<wl_proxy*>(wl_registry_bind(raw, globals.Ext, Ext.Manager, 1))),
            managerDelete);
    } else if (globals.Wlr != 0) {
        interfaces_ = &Wlr;
        const std::uint32_t version = std::min<std::uint32_t>(globals.WlrVersion, 2);
        primary_ = version >= 2;
        manager_ = WaylandProxy(Checked(static_cast<wl_proxy*>(
                                    wl_registry_bind(raw, globals.Wlr, Wlr.Manager, version))),
                                managerDelete);
    } else {
        throw SelectionTimeout("the compositor offers no data-control");
    }
}

WaylandProxy DataControlConnection::GetDevice(const DeviceEvents& events, void* data) {
    WaylandProxy device(
        Checked(wl_proxy_marshal_flags(manager_.get(), EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE,
                                       interfaces_->Device, wl_proxy_get_version(manager_.get()), 0,
                                       nullptr, seat_.get())),
        WaylandProxyDelete{EXT_DATA_CONTROL_DEVICE_V1_DESTROY});
    Listen(device.get(), events, data);
    return device;
}

WaylandProxy DataControlConnection::CreateSource(const SourceEvents& events, void* data) {
    WaylandProxy source(Checked(wl_proxy_marshal_flags(
                            manager_.get(), EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE,
                            interfaces_->Source, 1, 0, nullptr)),
                        WaylandProxyDelete{EXT_DATA_CONTROL_SOURCE_V1_DESTROY});
    Listen(source.get(), events, data);
    return source;
}

WaylandProxy DataControlConnection::AdoptOffer(wl_proxy* offer, const OfferEvents* events,
                                               void* data) {
    WaylandProxy adopted(offer, WaylandProxyDelete{EXT_DATA_CONTROL_OFFER_V1_DESTROY});
    if (events != nullptr)
        Listen(offer, *events, data);
    return adopted;
}

void DataControlConnection::SetSelection(wl_proxy* device, wl_proxy* source, bool primary) {
    wl_proxy_marshal_flags(device,
                           primary ? EXT_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION
                                   : EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION,
                           nullptr, wl_proxy_get_version(device), 0, source);
}

void DataControlConnection::Offer(wl_proxy* source, const std::string& mimeType) {
    wl_proxy_marshal_flags(source, EXT_DATA_CONTROL_SOURCE_V1_OFFER, nullptr,
                           wl_proxy_get_version(source), 0, mimeType.c_str());
}

void DataControlConnection::Receive(wl_proxy* offer, const std::string& mimeType, int fd) {
    wl_proxy_marshal_flags(offer, EXT_DATA_CONTROL_OFFER_V1_RECEIVE, nullptr,
                           wl_proxy_get_version(offer), 0, mimeType.c_str(), fd);
}

void DataControlConnection::Flush() {
    if (wl_display_flush(Display()) < 0 && errno != EAGAIN)
        throw SelectionTimeout("the Wayland connection broke");
}

void DataControlConnection::Pump(std::span<pollfd> others, Clock::time_point deadline) {
    wl_display* display = Display();
    // Events already read wait in the queue, not on the socket.
    while (wl_display_prepare_read(display) != 0) {
        const int dispatched = wl_display_dispatch_pending(display);
        if (dispatched < 0)
            throw SelectionTimeout("the Wayland connection broke");
        if (dispatched > 0) {
            for (pollfd& other : others)
                other.revents = 0;
            return;
        }
    }
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        throw SelectionTimeout("the Wayland connection broke");
    }
    std::vector<pollfd> fds;
    fds.reserve(others.size() + 1);
    fds.push_back({wl_display_get_fd(display), POLLIN, 0});
    fds.insert(fds.end(), others.begin(), others.end());
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    const int ready = poll(fds.data(), fds.size(),
                           static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30)));
    if (ready > 0 && fds[0].revents != 0) {
        if (wl_display_read_events(display) < 0)
            throw SelectionTimeout("the Wayland connection broke");
    } else {
        wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0)
        throw SelectionTimeout("the Wayland connection broke");
    for (std::size_t i = 0; i < others.size(); ++i)
        others[i].revents = ready > 0 ? fds[i + 1].revents : 0;
}

void DataControlConnection::Roundtrip(Clock::time_point deadline, int stop) {
    bool done = false;
    const WaylandProxy callback(reinterpret_cast<wl_proxy*>(wl_display_sync(Display())));
    if (!callback)
        throw SelectionTimeout("out of memory for a Wayland object");
    wl_callback_add_listener(reinterpret_cast<wl_callback*>(callback.get()), &DoneListener, &done);
    pollfd wake{stop, POLLIN, 0};
    while (!done) {
        if (Clock::now() >= deadline)
            throw SelectionTimeout("the compositor does not answer");
        Pump(stop >= 0 ? std::span<pollfd>(&wake, 1) : std::span<pollfd>(), deadline);
        if (wake.revents != 0)
            throw SelectionStopped();
    }
}

bool DataControlOffered() {
    try {
        const DataControlConnection connection(std::chrono::milliseconds(2000));
        return true;
    } catch (const SelectionTimeout&) {
        return false;
    }
}

} // namespace sorvak::platform
