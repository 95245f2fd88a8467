#pragma once
// A clipboard transport held in memory: the owner's offers in its order,
// each with its bytes or refused, handed over in small pieces so that watches
// see a transfer grow.
#include "platform/selection/SelectionSource.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorvak::test {

class FakeSelectionSource : public platform::SelectionSource {
public:
    struct Offer {
        std::string Type;
        // Nothing: the owner refuses this type.
        std::optional<std::string> Bytes;
        // Thrown once the watch has seen every piece: another owner took
        // the clipboard, the owner fell silent, the read was stopped.
        std::exception_ptr Throws{};
    };

    explicit FakeSelectionSource(std::vector<Offer> offers, bool owned = true)
        : offers_(std::move(offers)), owned_(owned) {}

    bool HasOwner() override { return owned_; }
    std::vector<std::string> Targets() override {
        std::vector<std::string> types;
        for (const Offer& offer : offers_)
            types.push_back(offer.Type);
        return types;
    }
    std::optional<std::string> Fetch(const std::string& mimeType,
                                     const Watch& watch = {}) override {
        fetched_.push_back(mimeType);
        const auto offer = std::find_if(offers_.begin(), offers_.end(),
                                        [&](const Offer& o) { return o.Type == mimeType; });
        if (offer == offers_.end())
            return std::nullopt;
        if (!offer->Bytes) {
            if (offer->Throws)
                std::rethrow_exception(offer->Throws);
            return std::nullopt;
        }
        const std::string& bytes = *offer->Bytes;
        for (std::size_t end = 0; watch && end < bytes.size();) {
            end = std::min(bytes.size(), end + Piece);
            if (!watch(std::string_view(bytes).substr(0, end)))
                break;
        }
        if (offer->Throws)
            std::rethrow_exception(offer->Throws);
        return bytes;
    }
    void Stop() override { stopped_ = true; }
    bool Stopped() const override { return stopped_; }
    std::chrono::steady_clock::time_point End() const override { return end_; }
    void EndBy(std::chrono::steady_clock::time_point end) override { end_ = std::min(end_, end); }

    // The types asked for, in order.
    const std::vector<std::string>& Fetched() const { return fetched_; }

private:
    static constexpr std::size_t Piece = 16;
    std::vector<Offer> offers_;
    bool owned_;
    std::atomic<bool> stopped_{false};
    std::chrono::steady_clock::time_point end_ =
        std::chrono::steady_clock::now() + std::chrono::minutes(1);
    std::vector<std::string> fetched_;
};

} // namespace sorvak::test
