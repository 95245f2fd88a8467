#include "platform/x11/ClipboardKeeper.h"

#include "base/FileDescriptor.h"
#include "base/InterruptCleanup.h"
#include "platform/selection/OwnCopy.h"
#include "platform/x11/Xcb.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <linux/close_range.h>
#include <map>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sorvak::platform {

namespace {

xcb_window_t SelectionOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    const XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr));
    return reply ? reply->owner : xcb_window_t{XCB_NONE};
}

struct Atoms {
    xcb_atom_t clipboard, targets, utf8, text, plainUtf8, plain, timestamp, incr, multiple, ownCopy;
};

Atoms InternAtoms(xcb_connection_t* c) {
    return {InternAtom(c, "CLIPBOARD"),
            InternAtom(c, "TARGETS"),
            InternAtom(c, "UTF8_STRING"),
            InternAtom(c, "TEXT"),
            InternAtom(c, "text/plain;charset=utf-8"),
            InternAtom(c, "text/plain"),
            InternAtom(c, "TIMESTAMP"),
            InternAtom(c, "INCR"),
            InternAtom(c, "MULTIPLE"),
            InternAtom(c, OwnCopyType)};
}

// A transfer in pieces (the INCR protocol of the ICCCM) to one requestor.
struct IncrTransfer {
    xcb_atom_t property;
    xcb_atom_t type;
    std::size_t offset;
};

class Keeper {
public:
    Keeper(xcb_connection_t* connection, const Atoms& atoms, const std::string& text)
        : c_(connection), atoms_(atoms), text_(text) {
        const std::uint32_t maxRequest = xcb_get_maximum_request_length(c_) * 4;
        chunk_ = std::max<std::size_t>(4096, std::min<std::size_t>(maxRequest / 2, 1u << 18));
    }

    // Serves until another program takes the selection or the server goes.
    void Serve() {
        while (const XcbEvent event{xcb_wait_for_event(c_)}) {
            const std::uint8_t type = event->response_type & 0x7F;
            if (type == XCB_SELECTION_CLEAR)
                break;
            if (type == XCB_SELECTION_REQUEST)
                Answer(*reinterpret_cast<xcb_selection_request_event_t*>(event.get()));
            else if (type == XCB_PROPERTY_NOTIFY)
                Continue(*reinterpret_cast<xcb_property_notify_event_t*>(event.get()));
            xcb_flush(c_);
        }
    }

private:
    void Notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(c_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
    }

    bool IsTextTarget(xcb_atom_t target) const {
        return target == atoms_.utf8 || target == atoms_.plainUtf8 || target == atoms_.text ||
               target == atoms_.plain || target == XCB_ATOM_STRING;
    }

    void Answer(const xcb_selection_request_event_t& request) {
        const xcb_atom_t property =
            request.property == XCB_NONE ? request.target : request.property;
        if (request.target == atoms_.targets) {
            // The own-copy mark is only listed; asked for, it is refused.
            const xcb_atom_t targets[] = {atoms_.targets,   atoms_.timestamp, atoms_.utf8,
                                          atoms_.plainUtf8, atoms_.text,      atoms_.plain,
                                          XCB_ATOM_STRING,  atoms_.ownCopy};
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_ATOM, 32, std::size(targets), targets);
            Notify(request, property);
        } else if (request.target == atoms_.timestamp) {
            const std::uint32_t time = XCB_CURRENT_TIME;
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_INTEGER, 32, 1, &time);
            Notify(request, property);
        } else if (IsTextTarget(request.target)) {
            const xcb_atom_t type = request.target == atoms_.text ? atoms_.utf8 : request.target;
            if (text_.size() <= chunk_) {
                xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, type, 8,
                                    static_cast<std::uint32_t>(text_.size()), text_.data());
            } else {
                const std::uint32_t size = static_cast<std::uint32_t>(text_.size());
                const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_change_window_attributes(c_, request.requestor, XCB_CW_EVENT_MASK, &mask);
                xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                    atoms_.incr, 32, 1, &size);
                transfers_[request.requestor] = IncrTransfer{property, type, 0};
            }
            Notify(request, property);
        } else {
            Notify(request, XCB_NONE);
        }
    }

    void Continue(const xcb_property_notify_event_t& event) {
        auto found = transfers_.find(event.window);
        if (found == transfers_.end() || event.state != XCB_PROPERTY_DELETE ||
            event.atom != found->second.property)
            return;
        IncrTransfer& transfer = found->second;
        const std::size_t length = std::min(chunk_, text_.size() - transfer.offset);
        // The last piece is empty: it tells the requestor the transfer ended.
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, event.window, transfer.property,
                            transfer.type, 8, static_cast<std::uint32_t>(length),
                            text_.data() + transfer.offset);
        if (length == 0) {
            const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
            xcb_change_window_attributes(c_, event.window, XCB_CW_EVENT_MASK, &none);
            transfers_.erase(found);
        } else {
            transfer.offset += length;
        }
    }

    xcb_connection_t* c_;
    Atoms atoms_;
    const std::string& text_;
    std::size_t chunk_;
    std::map<xcb_window_t, IncrTransfer> transfers_;
};

// Runs in the detached child: takes the selection, reports through the pipe
// and serves. Returns the child's exit status.
int RunKeeper(const std::string& text, FileDescriptor ready) {
    const XcbConnection connection;
    const xcb_screen_t* screen = connection.Screen();
    if (screen == nullptr)
        return 1;
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const Atoms atoms = InternAtoms(connection);
    xcb_set_selection_owner(connection, window, atoms.clipboard, XCB_CURRENT_TIME);
    const bool owner = SelectionOwner(connection, atoms.clipboard) == window;
    const char answer = owner ? '1' : '0';
    (void)!write(ready.get(), &answer, 1);
    ready = FileDescriptor();
    if (owner) {
        Keeper keeper(connection, atoms, text);
        keeper.Serve();
    }
    return 0;
}

bool ClipboardManagerRuns() {
    const XcbConnection connection;
    return !connection.HasError() &&
           SelectionOwner(connection, InternAtom(connection, "CLIPBOARD_MANAGER")) != XCB_NONE;
}

} // namespace

bool KeepClipboardTextAfterExit(const std::string& utf8Text) {
    if (std::getenv("DISPLAY") == nullptr || ClipboardManagerRuns())
        return false;
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    FileDescriptor readEnd(fds[0]), writeEnd(fds[1]);
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The keeper has no signal thread: SIGTERM must end it as usual.
        RestoreStartingSignalMask();
        readEnd = FileDescriptor();
        // A second fork detaches the keeper from our parent's process group
        // and leaves no zombie; its output must not hold a caller's pipe.
        if (fork() != 0)
            _exit(0);
        setsid();
        signal(SIGHUP, SIG_IGN);
        if (const FileDescriptor null(open("/dev/null", O_RDWR)); null) {
            dup2(null.get(), 0);
            dup2(null.get(), 1);
            dup2(null.get(), 2);
        }
        // Inherited descriptors (the parent's X connection above all) would
        // keep the parent's resources alive in the server. _exit skips the
        // destructors here, so nothing closes the numbers twice.
        dup2(writeEnd.get(), 3);
        close_range(4, ~0U, 0);
        _exit(RunKeeper(utf8Text, FileDescriptor(3)));
    }
    writeEnd = FileDescriptor();
    waitpid(child, nullptr, 0);
    char ready = '0';
    pollfd wait{readEnd.get(), POLLIN, 0};
    if (poll(&wait, 1, 3000) > 0)
        (void)!read(readEnd.get(), &ready, 1);
    return ready == '1';
}

} // namespace sorvak::platform
