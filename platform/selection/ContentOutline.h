#pragma once
// What the first bytes of the content tell, before the rest has come, so
// that a dialog can open while the transfer goes on.
#include "platform/selection/SelectionSource.h"

#include <cstdint>
#include <functional>
#include <utility>

namespace sorvak::platform {

// A picture of this size, or text that is no file list.
struct ContentOutline {
    enum class Kind { Picture, Text };
    Kind What = Kind::Text;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// Tells the outline at most once: the first watch that can tell does, and
// nothing is told twice. Lives as long as the transfers it watches.
class EarlyOutline {
public:
    explicit EarlyOutline(std::function<void(const ContentOutline&)> early)
        : early_(std::move(early)) {}
    EarlyOutline(const EarlyOutline&) = delete;
    EarlyOutline& operator=(const EarlyOutline&) = delete;

    // Nobody listens: the watches are not needed.
    bool Wanted() const { return static_cast<bool>(early_); }
    // Follows a picture offer until its header tells the picture's size, or
    // the header window has passed without telling.
    SelectionSource::Watch Picture();
    // Follows a text offer: text unless it starts as a Nautilus file list,
    // whose lines only the whole text gives.
    SelectionSource::Watch Text();

private:
    void Tell(const ContentOutline& outline);

    std::function<void(const ContentOutline&)> early_;
    bool told_ = false;
};

} // namespace sorvak::platform
