#include "platform/selection/ContentOutline.h"

#include "clipboard/PictureHeader.h"
#include "platform/selection/MemoryHolds.h"

#include <optional>
#include <string_view>

namespace sorvak::platform {

namespace {

// The bytes of a header no longer than this tell a picture's size, if any do.
constexpr std::size_t HeaderWindow = std::size_t(256) << 10;
constexpr std::string_view NautilusPrefix = "x-special/nautilus-clipboard";

} // namespace

void EarlyOutline::Tell(const ContentOutline& outline) {
    if (!told_ && early_) {
        told_ = true;
        early_(outline);
    }
}

SelectionSource::Watch EarlyOutline::Picture() {
    return [this](std::string_view soFar) {
        if (const std::optional<PictureSize> size = PictureHeaderSize(soFar)) {
            // One that memory cannot hold is told by its failure before any
            // dialog opens, as it always was.
            if (MemoryHolds(QSize(size->Width, size->Height)))
                Tell({ContentOutline::Kind::Picture, size->Width, size->Height});
            return false;
        }
        return soFar.size() < HeaderWindow;
    };
}

SelectionSource::Watch EarlyOutline::Text() {
    return [this](std::string_view soFar) {
        const std::string_view start = soFar.substr(0, NautilusPrefix.size());
        if (start == NautilusPrefix.substr(0, start.size()))
            return start.size() < NautilusPrefix.size();
        Tell({ContentOutline::Kind::Text, 0, 0});
        return false;
    };
}

} // namespace sorvak::platform
