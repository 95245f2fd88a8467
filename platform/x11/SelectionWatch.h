#pragma once
// Tells when another program takes the X11 CLIPBOARD selection (XFixes
// selection-owner events), on a connection of its own, so that the watch
// mode reads each new content once and sleeps in between.
#include "platform/selection/SelectionChanges.h"

#include <memory>

namespace sorvak::platform {

class SelectionWatch : public SelectionChanges {
public:
    // Connects to $DISPLAY; throws std::runtime_error without a display or
    // without the XFixes extension.
    SelectionWatch();
    ~SelectionWatch() override;
    SelectionWatch(const SelectionWatch&) = delete;
    SelectionWatch& operator=(const SelectionWatch&) = delete;

    int Descriptor() const override;
    bool TakeNewOwner() override;
    bool Broken() const override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace sorvak::platform
