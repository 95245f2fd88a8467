// A clipboard owner that hands its content over piece by piece and can hold
// it back, as a busy, hung or dying program does. It owns CLIPBOARD, lists its
// one target, and sends that target's bytes as an incremental transfer
// (ICCCM 2.7.2, INCR) in pieces of a chosen size, whatever the size.
//
// Usage: sorvak-slowowner [--piece BYTES] [--stall-after N [--forever]]
//                         [--refuse-targets] TARGET FILE
//   --stall-after N   after the first N pieces of a transfer, send nothing
//                     more until SIGUSR1 arrives, then go on (once per run);
//   --forever         ignore SIGUSR1: the owner stays silent;
//   --refuse-targets  answer the TARGETS request without a property.
// Prints "ready" once it owns the selection and "stalled" when it holds back a
// piece; ends when another program takes the selection.
#include "platform/x11/Xcb.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <utility>

namespace {

using sorvak::platform::InternAtom;
using sorvak::platform::XcbConnection;
using sorvak::platform::XcbEvent;
using sorvak::platform::XcbReply;

struct Options {
    std::size_t piece = 4096;
    long stallAfter = -1; // never
    bool forever = false;
    bool refuseTargets = false;
    std::string target, file;
};

std::optional<Options> Parse(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (std::strcmp(argv[i], "--piece") == 0 && i + 1 < argc)
            options.piece = std::strtoul(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--stall-after") == 0 && i + 1 < argc)
            options.stallAfter = std::strtol(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--forever") == 0)
            options.forever = true;
        else if (std::strcmp(argv[i], "--refuse-targets") == 0)
            options.refuseTargets = true;
        else
            return std::nullopt;
    }
    if (argc - i != 2 || options.piece == 0)
        return std::nullopt;
    options.target = argv[i];
    options.file = argv[i + 1];
    return options;
}

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

struct SignalFd {
    int fd;
    ~SignalFd() {
        if (fd >= 0)
            close(fd);
    }
};

// One requestor's transfer: where its property is and how far it got.
struct Transfer {
    std::size_t sent = 0;
    long pieces = 0;
};
using TransferKey = std::pair<xcb_window_t, xcb_atom_t>;

class Owner {
public:
    Owner(const Options& options, std::string data) : options_(options), data_(std::move(data)) {}

    // 0 when another program took the selection; 1 when the display failed.
    int Run(int signals);

private:
    bool TakeSelection();
    void Request(const xcb_selection_request_event_t& request);
    void Answer(const xcb_selection_request_event_t& request, xcb_atom_t property);
    // The requestor took the last piece (or the INCR announcement).
    void PieceTaken(const TransferKey& key);
    void SendPiece(const TransferKey& key);

    Options options_;
    std::string data_;
    XcbConnection c_;
    xcb_window_t window_ = 0;
    xcb_timestamp_t owned_ = XCB_CURRENT_TIME;
    xcb_atom_t clipboard_ = 0, targets_ = 0, timestamp_ = 0, incr_ = 0, target_ = 0;
    std::map<TransferKey, Transfer> transfers_;
    std::optional<TransferKey> stalled_;
    bool stalledOnce_ = false;
};

bool Owner::TakeSelection() {
    const xcb_screen_t* screen = c_.Screen();
    if (screen == nullptr)
        return false;
    window_ = xcb_generate_id(c_);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    clipboard_ = InternAtom(c_, "CLIPBOARD");
    targets_ = InternAtom(c_, "TARGETS");
    timestamp_ = InternAtom(c_, "TIMESTAMP");
    incr_ = InternAtom(c_, "INCR");
    target_ = InternAtom(c_, options_.target);
    // Ownership needs a real timestamp (ICCCM 2.1): an empty append to our own
    // window gives one through its PropertyNotify.
    const xcb_atom_t stamp = InternAtom(c_, "SORVAK_SLOW_OWNER_TIME");
    xcb_change_property(c_, XCB_PROP_MODE_APPEND, window_, stamp, XCB_ATOM_STRING, 8, 0, "");
    xcb_flush(c_);
    for (XcbEvent event; (event.reset(xcb_wait_for_event(c_)), event);) {
        if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
            owned_ = reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
            break;
        }
    }
    xcb_set_selection_owner(c_, window_, clipboard_, owned_);
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, clipboard_), nullptr));
    return owner && owner->owner == window_;
}

void Owner::Answer(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(c_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    xcb_flush(c_);
}

void Owner::Request(const xcb_selection_request_event_t& request) {
    // Obsolete requestors name no property: the target's name is used then.
    const xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
    if (request.target == targets_ && options_.refuseTargets) {
        Answer(request, XCB_NONE);
    } else if (request.target == targets_) {
        const xcb_atom_t offered[] = {targets_, timestamp_, target_};
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM,
                            32, std::size(offered), offered);
        Answer(request, property);
    } else if (request.target == timestamp_) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                            XCB_ATOM_INTEGER, 32, 1, &owned_);
        Answer(request, property);
    } else if (request.target == target_) {
        // The requestor's deletions of the property drive the transfer.
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c_, request.requestor, XCB_CW_EVENT_MASK, &mask);
        const std::uint32_t lowerBound = static_cast<std::uint32_t>(data_.size());
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, incr_, 32, 1,
                            &lowerBound);
        transfers_[{request.requestor, property}] = Transfer{};
        Answer(request, property);
    } else {
        Answer(request, XCB_NONE);
    }
}

void Owner::PieceTaken(const TransferKey& key) {
    const auto found = transfers_.find(key);
    if (found == transfers_.end() || stalled_ == key)
        return;
    if (!stalledOnce_ && options_.stallAfter >= 0 && found->second.pieces == options_.stallAfter) {
        stalledOnce_ = true;
        stalled_ = key;
        Say("stalled");
        return;
    }
    SendPiece(key);
}

void Owner::SendPiece(const TransferKey& key) {
    Transfer& transfer = transfers_.at(key);
    const std::size_t length = std::min(options_.piece, data_.size() - transfer.sent);
    // A piece of length zero ends the transfer.
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, key.first, key.second, target_, 8,
                        static_cast<std::uint32_t>(length), data_.data() + transfer.sent);
    xcb_flush(c_);
    transfer.sent += length;
    ++transfer.pieces;
    if (length == 0)
        transfers_.erase(key);
}

int Owner::Run(int signals) {
    if (!TakeSelection()) {
        std::fprintf(stderr, "did not get the clipboard\n");
        return 1;
    }
    Say("ready");
    for (;;) {
        while (XcbEvent event{xcb_poll_for_event(c_)}) {
            switch (event->response_type & 0x7F) {
            case XCB_SELECTION_REQUEST:
                Request(*reinterpret_cast<xcb_selection_request_event_t*>(event.get()));
                break;
            case XCB_PROPERTY_NOTIFY: {
                const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
                if (change->state == XCB_PROPERTY_DELETE)
                    PieceTaken({change->window, change->atom});
                break;
            }
            case XCB_SELECTION_CLEAR:
                return 0;
            default: // errors from requestors that went away, among others
                break;
            }
        }
        if (c_.HasError())
            return 1;
        pollfd waits[] = {{xcb_get_file_descriptor(c_), POLLIN, 0}, {signals, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0)
            continue;
        if (waits[1].revents & POLLIN) {
            signalfd_siginfo info;
            if (read(signals, &info, sizeof info) == sizeof info && !options_.forever && stalled_) {
                const TransferKey key = *stalled_;
                stalled_.reset();
                if (transfers_.count(key))
                    SendPiece(key);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = Parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: %s [--piece BYTES] [--stall-after N [--forever]] "
                     "[--refuse-targets] TARGET FILE\n",
                     argv[0]);
        return 2;
    }
    std::ifstream in(options->file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", options->file.c_str());
        return 2;
    }
    std::string data{std::istreambuf_iterator<char>(in), {}};
    // SIGUSR1 is read from a descriptor, beside the display's events.
    sigset_t usr1;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    sigprocmask(SIG_BLOCK, &usr1, nullptr);
    const SignalFd signals{signalfd(-1, &usr1, SFD_CLOEXEC)};
    if (signals.fd < 0)
        return 1;
    Owner owner(*options, std::move(data));
    return owner.Run(signals.fd);
}
