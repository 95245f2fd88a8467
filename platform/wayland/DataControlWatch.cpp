#include "platform/wayland/DataControlWatch.h"

#include "platform/selection/SelectionSource.h"

#include <poll.h>
#include <span>
#include <wayland-client-core.h>

namespace sorvak::platform {

namespace {

constexpr std::chrono::milliseconds Answer{2000};

} // namespace

void DataControlWatch::OnDataOffer(void* data, wl_proxy*, wl_proxy* offer) {
    auto& watch = *static_cast<DataControlWatch*>(data);
    watch.offers_.push_back(watch.connection_.AdoptOffer(offer, nullptr, nullptr));
}

void DataControlWatch::OnSelection(void* data, wl_proxy*, wl_proxy* offer) {
    auto& watch = *static_cast<DataControlWatch*>(data);
    watch.DropOffersBut(offer);
    // A cleared clipboard holds nothing to save.
    if (offer != nullptr && watch.started_)
        watch.changed_ = true;
}

void DataControlWatch::OnFinished(void* data, wl_proxy*) {
    static_cast<DataControlWatch*>(data)->broken_ = true;
}

void DataControlWatch::OnPrimarySelection(void* data, wl_proxy*, wl_proxy*) {
    // The primary selection is not watched; its offer goes with the next.
    static_cast<DataControlWatch*>(data)->DropOffersBut(nullptr);
}

void DataControlWatch::DropOffersBut(wl_proxy* keep) {
    std::erase_if(offers_, [keep](const WaylandProxy& offer) { return offer.get() != keep; });
}

DataControlWatch::DataControlWatch() : connection_(Answer) {
    static constexpr DataControlConnection::DeviceEvents Events{OnDataOffer, OnSelection,
                                                                OnFinished, OnPrimarySelection};
    device_ = connection_.GetDevice(Events, this);
    connection_.Roundtrip(DataControlConnection::Clock::now() + Answer);
    started_ = true;
}

int DataControlWatch::Descriptor() const {
    return wl_display_get_fd(connection_.Display());
}

bool DataControlWatch::TakeNewOwner() {
    try {
        // What has come, without waiting for more.
        connection_.Pump(std::span<pollfd>(), DataControlConnection::Clock::now());
    } catch (const SelectionTimeout&) {
        broken_ = true;
    }
    const bool changed = changed_ && !broken_;
    changed_ = false;
    return changed;
}

} // namespace sorvak::platform
