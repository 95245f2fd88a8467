#include "platform/wayland/DataControlReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace sorvak::platform {

namespace {

// X11 programs behind XWayland may offer their own names for text.
struct StandIn {
    const char* MimeType;
    const char* X11Name;
};
constexpr StandIn StandIns[] = {{"text/plain;charset=utf-8", "UTF8_STRING"},
                                {"text/plain", "STRING"}};

// A larger pipe means fewer wakes for a large picture; the default is fine
// where the system refuses.
constexpr int PipeSize = 1 << 20;

} // namespace

void DataControlReader::OnDataOffer(void* data, wl_proxy*, wl_proxy* offer) {
    static constexpr DataControlConnection::OfferEvents Events{OnOfferType};
    auto& reader = *static_cast<DataControlReader*>(data);
    auto announced = std::make_unique<Offer>();
    announced->Proxy = reader.connection_.AdoptOffer(offer, &Events, announced.get());
    reader.announced_.push_back(std::move(announced));
}

void DataControlReader::OnOfferType(void* data, wl_proxy*, const char* mimeType) {
    auto& offer = *static_cast<Offer*>(data);
    // An owner listing thousands of types is not believed beyond these.
    if (offer.Types.size() < 4096)
        offer.Types.emplace_back(mimeType);
}

void DataControlReader::OnSelection(void* data, wl_proxy*, wl_proxy* offer) {
    static_cast<DataControlReader*>(data)->Selected(offer, false);
}

void DataControlReader::OnPrimarySelection(void* data, wl_proxy*, wl_proxy* offer) {
    static_cast<DataControlReader*>(data)->Selected(offer, true);
}

void DataControlReader::OnFinished(void* data, wl_proxy*) {
    static_cast<DataControlReader*>(data)->finished_ = true;
}

void DataControlReader::Selected(wl_proxy* offer, bool primary) {
    // Told again of the offer it holds: the same owner.
    if (current_ && offer != nullptr && current_->Proxy.get() == offer &&
        primary == (which_ == Selection::Primary))
        return;
    auto found = std::find_if(announced_.begin(), announced_.end(), [&](const auto& announced) {
        return announced->Proxy.get() == offer;
    });
    std::unique_ptr<Offer> named;
    if (found != announced_.end()) {
        named = std::move(*found);
        announced_.erase(found);
    }
    // The other selection's offers are dropped as they come.
    if (primary != (which_ == Selection::Primary))
        return;
    current_ = std::move(named);
    selectionKnown_ = true;
    ++changes_;
}

DataControlReader::DataControlReader(Limits limits, Selection which)
    : limits_(limits), which_(which), end_(Clock::now() + limits.Total),
      wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), connection_(limits.FirstAnswer) {
    if (!wake_)
        throw SelectionTimeout("no event descriptor");
    static constexpr DataControlConnection::DeviceEvents Events{OnDataOffer, OnSelection,
                                                                OnFinished, OnPrimarySelection};
    device_ = connection_.GetDevice(Events, this);
}

void DataControlReader::Stop() {
    stopped_.store(true, std::memory_order_relaxed);
    const std::uint64_t one = 1;
    // A full counter already wakes the wait: nothing to do when this fails.
    [[maybe_unused]] const ssize_t written = write(wake_.get(), &one, sizeof one);
}

void DataControlReader::Roundtrip(Clock::time_point deadline) {
    if (Stopped())
        throw SelectionStopped();
    connection_.Roundtrip(std::min(deadline, end_), wake_.get());
}

bool DataControlReader::HasOwner() {
    // The compositor tells a new device the selection at once, before it
    // answers the round trip.
    Roundtrip(Clock::now() + limits_.FirstAnswer);
    if (finished_)
        throw SelectionTimeout("the compositor withdrew the clipboard");
    ownerChanges_ = changes_;
    return selectionKnown_ && current_ != nullptr;
}

void DataControlReader::CheckOwner() const {
    if (finished_)
        throw SelectionTimeout("the compositor withdrew the clipboard");
    if (ownerChanges_ && *ownerChanges_ != changes_) {
        if (current_)
            throw SelectionOwnerChanged();
        throw SelectionTimeout("the clipboard was cleared");
    }
    if (!current_)
        throw SelectionTimeout("nobody owns the clipboard");
}

std::vector<std::string> DataControlReader::Targets() {
    if (!ownerChanges_)
        HasOwner();
    CheckOwner();
    std::vector<std::string> types;
    for (const std::string& type : current_->Types) {
        std::string name = type;
        for (const StandIn& standIn : StandIns) {
            if (type == standIn.X11Name)
                name = standIn.MimeType;
        }
        if (std::find(types.begin(), types.end(), name) == types.end())
            types.push_back(std::move(name));
    }
    return types;
}

std::optional<std::string> DataControlReader::OfferedName(const std::string& mimeType) const {
    const std::vector<std::string>& offered = current_->Types;
    if (std::find(offered.begin(), offered.end(), mimeType) != offered.end())
        return mimeType;
    for (const StandIn& standIn : StandIns) {
        if (mimeType == standIn.MimeType &&
            std::find(offered.begin(), offered.end(), standIn.X11Name) != offered.end())
            return standIn.X11Name;
    }
    return std::nullopt;
}

std::optional<std::string> DataControlReader::Fetch(const std::string& mimeType,
                                                    const Watch& watch) {
    if (Stopped())
        throw SelectionStopped();
    if (!ownerChanges_)
        HasOwner();
    CheckOwner();
    const std::optional<std::string> name = OfferedName(mimeType);
    if (!name)
        return std::nullopt;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        throw SelectionTimeout("no pipe for the clipboard");
    const FileDescriptor readEnd(ends[0]);
    {
        const FileDescriptor writeEnd(ends[1]);
        fcntl(writeEnd.get(), F_SETPIPE_SZ, PipeSize);
        // The request carries a copy of the descriptor; ours must close, or
        // the end of the owner's writing would never be seen.
        connection_.Receive(current_->Proxy.get(), *name, writeEnd.get());
        connection_.Flush();
    }
    return ReadPipe(readEnd.get(), watch);
}

std::optional<std::string> DataControlReader::ReadPipe(int fd, const Watch& watch) {
    std::string bytes;
    bool watching = static_cast<bool>(watch);
    Clock::time_point silenceEnd = Clock::now() + limits_.Silence;
    constexpr std::size_t Piece = 1 << 20;
    for (;;) {
        const Clock::time_point deadline = std::min(silenceEnd, end_);
        pollfd others[2] = {{wake_.get(), POLLIN, 0}, {fd, POLLIN, 0}};
        connection_.Pump(others, deadline);
        if (Stopped())
            throw SelectionStopped();
        CheckOwner();
        if (others[1].revents != 0) {
            bool ended = false;
            const std::size_t before = bytes.size();
            // Everything the pipe holds now, before polling again.
            for (;;) {
                const std::size_t size = bytes.size();
                bytes.resize(size + Piece);
                const ssize_t got = read(fd, bytes.data() + size, Piece);
                bytes.resize(size + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
                if (got > 0) {
                    if (bytes.size() > limits_.MaxBytes)
                        return std::nullopt;
                    continue;
                }
                if (got == 0)
                    ended = true;
                else if (errno == EINTR)
                    continue;
                else if (errno != EAGAIN)
                    throw SelectionTimeout("the clipboard transfer failed");
                break;
            }
            if (bytes.size() > before) {
                silenceEnd = Clock::now() + limits_.Silence;
                if (watching)
                    watching = watch(bytes);
            }
            if (ended) {
                // An owner that died closes the pipe too: only the
                // compositor can say whether it is still the owner.
                Roundtrip(Clock::now() + limits_.FirstAnswer);
                CheckOwner();
                return bytes;
            }
        }
        if (Clock::now() >= deadline)
            throw SelectionTimeout("the clipboard owner does not answer");
    }
}

} // namespace sorvak::platform
