#pragma once
// Tells when another program takes the Wayland clipboard: the data-control
// device's selection events, on a connection of its own.
#include "platform/selection/SelectionChanges.h"
#include "platform/wayland/DataControlConnection.h"

#include <vector>

namespace sorvak::platform {

class DataControlWatch : public SelectionChanges {
public:
    // Connects to $WAYLAND_DISPLAY and takes in the clipboard's current
    // owner, which is not news. Throws SelectionTimeout when the compositor
    // offers no data-control or does not answer.
    DataControlWatch();

    int Descriptor() const override;
    bool TakeNewOwner() override;
    bool Broken() const override { return broken_; }

private:
    static void OnDataOffer(void* data, wl_proxy* device, wl_proxy* offer);
    static void OnSelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void OnFinished(void* data, wl_proxy* device);
    static void OnPrimarySelection(void* data, wl_proxy* device, wl_proxy* offer);
    // Lets go of every announced offer but `keep`: nothing is read here.
    void DropOffersBut(wl_proxy* keep);

    DataControlConnection connection_;
    WaylandProxy device_;
    // Declared after the device: offers go before their device, and both
    // before the connection.
    std::vector<WaylandProxy> offers_;
    bool started_ = false;
    bool changed_ = false;
    bool broken_ = false;
};

} // namespace sorvak::platform
