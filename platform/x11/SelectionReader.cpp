#include "platform/x11/SelectionReader.h"

#include "platform/selection/TargetChoice.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>
#include <xcb/xcbext.h>

namespace sorvak::platform {

namespace {

using Clock = std::chrono::steady_clock;

// A drained transfer has ended when its owner pauses this long.
constexpr std::chrono::milliseconds DrainPause{100};

// X11's own names for text, and the mime types they stand for.
struct TextAlias {
    std::string_view Target;
    std::string_view MimeType;
};
constexpr TextAlias TextAliases[] = {{"UTF8_STRING", Utf8TextType}, {"STRING", Latin1TextType}};

std::string_view MimeTypeOf(std::string_view target) {
    for (const TextAlias& alias : TextAliases) {
        if (alias.Target == target)
            return alias.MimeType;
    }
    return target;
}

} // namespace

SelectionReader::SelectionReader(Limits limits)
    : limits_(limits), end_(Clock::now() + limits.Total),
      wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!wake_)
        throw SelectionTimeout("no event descriptor");
    if (connection_.HasError())
        throw SelectionTimeout("no display");
    const xcb_screen_t* screen = connection_.Screen();
    if (screen == nullptr)
        throw SelectionTimeout("no screen");
    window_ = xcb_generate_id(connection_);
    // Property changes on our window carry the pieces of incremental transfers.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    clipboard_ = Intern("CLIPBOARD");
    property_ = Intern("SORVAK_SELECTION");
    incr_ = Intern("INCR");
    targets_ = Intern("TARGETS");
}

void* SelectionReader::AwaitReply(unsigned int sequence, Clock::time_point end, bool stoppable) {
    xcb_flush(connection_);
    for (;;) {
        if (stoppable && Stopped()) {
            xcb_discard_reply(connection_, sequence);
            throw SelectionStopped();
        }
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, &reply, &error) != 0) {
            std::free(error);
            if (reply == nullptr && connection_.HasError())
                throw SelectionTimeout("the display went away");
            return reply;
        }
        if (connection_.HasError())
            throw SelectionTimeout("the display went away");
        const Clock::time_point now = Clock::now();
        if (now >= end) {
            xcb_discard_reply(connection_, sequence);
            throw SelectionTimeout("the display does not answer");
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now);
        pollfd fds[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0},
                         {wake_.get(), POLLIN, 0}};
        poll(fds, 2, static_cast<int>(left.count()));
    }
}

std::uint32_t SelectionReader::Intern(const std::string& name) {
    const auto reply = Await<xcb_intern_atom_reply_t>(
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data())
            .sequence);
    if (!reply || reply->atom == XCB_ATOM_NONE)
        throw SelectionTimeout("the display went away");
    return reply->atom;
}

std::uint32_t SelectionReader::CurrentOwner() {
    const auto reply = Await<xcb_get_selection_owner_reply_t>(
        xcb_get_selection_owner(connection_, clipboard_).sequence);
    if (!reply)
        throw SelectionTimeout("the display went away");
    return reply->owner;
}

bool SelectionReader::HasOwner() {
    owner_ = CurrentOwner();
    ownerKnown_ = true;
    return owner_ != XCB_NONE;
}

void SelectionReader::CheckOwner() {
    const std::uint32_t owner = CurrentOwner();
    if (owner == XCB_NONE)
        throw SelectionTimeout("the clipboard owner went away");
    if (owner != owner_)
        throw SelectionOwnerChanged();
}

void SelectionReader::Stop() {
    stopped_.store(true, std::memory_order_relaxed);
    const std::uint64_t one = 1;
    // A full counter already wakes the wait: nothing to do when this fails.
    [[maybe_unused]] const ssize_t written = write(wake_.get(), &one, sizeof one);
}

template <typename Wanted>
void SelectionReader::WaitFor(std::chrono::milliseconds silence, Wanted wanted) {
    xcb_flush(connection_);
    const Clock::time_point silenceEnd = Clock::now() + silence;
    Clock::time_point nextOwnerCheck = Clock::now() + limits_.OwnerCheck;
    for (;;) {
        if (Stopped())
            throw SelectionStopped();
        while (XcbEvent event{xcb_poll_for_event(connection_)}) {
            if (wanted(*event))
                return;
        }
        if (connection_.HasError())
            throw SelectionTimeout("the display went away");
        const Clock::time_point now = Clock::now();
        const Clock::time_point end = std::min(silenceEnd, end_);
        if (now >= end)
            throw SelectionTimeout("the clipboard owner does not answer");
        Clock::time_point wake = end;
        if (ownerKnown_) {
            if (now >= nextOwnerCheck) {
                // Events read with the answer wait in xcb's queue, not on
                // the socket: look at them before polling again.
                CheckOwner();
                nextOwnerCheck = now + limits_.OwnerCheck;
                continue;
            }
            wake = std::min(end, nextOwnerCheck);
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(wake - now);
        pollfd fds[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0},
                         {wake_.get(), POLLIN, 0}};
        poll(fds, 2, static_cast<int>(left.count()));
    }
}

std::uint32_t SelectionReader::Convert(std::uint32_t target, std::chrono::milliseconds silence) {
    if (std::exchange(propertyInUse_, true))
        property_ = Intern("SORVAK_SELECTION_" + std::to_string(++properties_));
    // Drop what an earlier, abandoned transfer may have left.
    xcb_delete_property(connection_, window_, property_);
    xcb_convert_selection(connection_, window_, clipboard_, target, property_, XCB_CURRENT_TIME);
    std::uint32_t property = XCB_NONE;
    WaitFor(silence, [&](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7F) != XCB_SELECTION_NOTIFY)
            return false;
        const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
        if (notify.requestor != window_ || notify.selection != clipboard_ ||
            notify.target != target)
            return false;
        property = notify.property;
        return true;
    });
    return property;
}

void SelectionReader::WaitForPiece() {
    WaitFor(limits_.Silence, [&](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        return notify.window == window_ && notify.atom == property_ &&
               notify.state == XCB_PROPERTY_NEW_VALUE;
    });
}

bool SelectionReader::TakeProperty(std::string& bytes) {
    // The reply carries the whole value; its length is what the server holds,
    // not a figure the owner chose.
    const auto reply = Await<xcb_get_property_reply_t>(
        xcb_get_property(connection_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0,
                         UINT32_MAX / 4)
            .sequence);
    if (!reply)
        throw SelectionTimeout("the display went away");
    const int length = xcb_get_property_value_length(reply.get());
    bytes.assign(static_cast<const char*>(xcb_get_property_value(reply.get())),
                 static_cast<std::size_t>(std::max(length, 0)));
    return reply->type == incr_;
}

std::vector<std::string> SelectionReader::Targets() {
    // An owner that will not say what it offers cannot be read: that is no
    // empty clipboard.
    if (Convert(targets_, limits_.FirstAnswer) == XCB_NONE)
        throw SelectionTimeout("the clipboard owner refused to list its targets");
    std::vector<std::string> names;
    std::string list;
    TakeProperty(list);
    propertyInUse_ = false;
    const std::size_t count = std::min<std::size_t>(list.size() / 4, 4096);
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    cookies.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t atom;
        std::copy_n(list.data() + 4 * i, 4, reinterpret_cast<char*>(&atom));
        cookies.push_back(xcb_get_atom_name(connection_, atom));
    }
    // Names come from the server, not the owner: one round trip for all. An
    // atom the server does not know is left out.
    listed_.clear();
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        XcbReply<xcb_get_atom_name_reply_t> reply;
        try {
            reply = Await<xcb_get_atom_name_reply_t>(cookies[i].sequence);
        } catch (...) {
            for (std::size_t rest = i + 1; rest < cookies.size(); ++rest)
                xcb_discard_reply(connection_, cookies[rest].sequence);
            throw;
        }
        if (!reply)
            continue;
        listed_.emplace_back(xcb_get_atom_name_name(reply.get()),
                             static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
    }
    for (const std::string& target : listed_) {
        // An owner that offers both UTF8_STRING and the mime name offers one
        // type: it is listed once.
        const std::string_view mimeType = MimeTypeOf(target);
        if (std::find(names.begin(), names.end(), mimeType) == names.end())
            names.emplace_back(mimeType);
    }
    return names;
}

std::vector<std::string> SelectionReader::TargetsFor(const std::string& mimeType) const {
    auto listed = [&](std::string_view target) {
        return std::find(listed_.begin(), listed_.end(), target) != listed_.end();
    };
    for (const TextAlias& alias : TextAliases) {
        if (alias.MimeType != mimeType)
            continue;
        // X11's own name first, as owners fill it most reliably; the mime
        // name only where the owner listed it.
        std::vector<std::string> targets;
        if (listed_.empty() || listed(alias.Target))
            targets.emplace_back(alias.Target);
        if (listed(mimeType))
            targets.push_back(mimeType);
        return targets;
    }
    return {mimeType};
}

std::optional<std::string> SelectionReader::Fetch(const std::string& mimeType, const Watch& watch) {
    for (const std::string& target : TargetsFor(mimeType)) {
        if (std::optional<std::string> bytes = FetchTarget(target, watch))
            return bytes;
    }
    return std::nullopt;
}

std::optional<std::string> SelectionReader::FetchTarget(const std::string& target,
                                                        const Watch& watch) {
    if (Convert(Intern(target), limits_.Silence) == XCB_NONE) {
        propertyInUse_ = false;
        return std::nullopt;
    }
    std::string bytes;
    if (!TakeProperty(bytes)) {
        propertyInUse_ = false;
        if (bytes.size() > limits_.MaxBytes)
            return std::nullopt;
        if (watch)
            watch(bytes);
        return bytes;
    }
    // Incremental transfer (ICCCM 2.7.2): every piece comes as a new value of
    // the property, which we delete in turn; an empty piece ends it. The
    // INCR value is a lower bound of the size: room for that up front spares
    // the copies of a growing buffer, each of which briefly holds the text
    // twice.
    std::uint32_t lowerBound = 0;
    if (bytes.size() >= 4)
        std::copy_n(bytes.data(), 4, reinterpret_cast<char*>(&lowerBound));
    bytes.clear();
    try {
        bytes.reserve(std::min<std::size_t>(lowerBound, limits_.MaxBytes));
    } catch (const std::bad_alloc&) {
        // Only advice from the owner: the buffer grows as the pieces come.
    }
    std::string piece;
    bool watching = static_cast<bool>(watch);
    for (;;) {
        try {
            WaitForPiece();
        } catch (const SelectionStopped&) {
            Drain();
            throw;
        }
        TakeProperty(piece);
        if (piece.empty()) {
            propertyInUse_ = false;
            return bytes;
        }
        if (piece.size() > limits_.MaxBytes - bytes.size()) {
            Drain();
            return std::nullopt;
        }
        bytes += piece;
        if (watching)
            watching = watch(bytes);
    }
}

void SelectionReader::Drain() {
    const Clock::time_point end = std::min(Clock::now() + limits_.Drain, end_);
    Clock::time_point pauseEnd = Clock::now() + DrainPause;
    // A piece may wait in the property already: taking it asks for the next.
    xcb_delete_property(connection_, window_, property_);
    xcb_flush(connection_);
    for (;;) {
        while (XcbEvent event{xcb_poll_for_event(connection_)}) {
            if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
                continue;
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(*event);
            if (notify.window != window_ || notify.atom != property_ ||
                notify.state != XCB_PROPERTY_NEW_VALUE)
                continue;
            // Unread: the owner sends the next piece as soon as this one is
            // gone, and the last one, empty, is followed by silence.
            xcb_delete_property(connection_, window_, property_);
            xcb_flush(connection_);
            pauseEnd = Clock::now() + DrainPause;
        }
        const Clock::time_point now = Clock::now();
        if (connection_.HasError() || now >= std::min(end, pauseEnd))
            return;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(std::min(end, pauseEnd) - now);
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
}

} // namespace sorvak::platform
