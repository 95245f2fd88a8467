#include "platform/wayland/WaylandClipboardKeeper.h"

#include "base/FileDescriptor.h"
#include "base/InterruptCleanup.h"
#include "platform/selection/OwnCopy.h"
#include "platform/selection/SelectionSource.h"
#include "platform/wayland/DataControlConnection.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sorvak::platform {

namespace {

using Clock = DataControlConnection::Clock;

// The names Wayland and X11 programs ask text by.
constexpr const char* TextTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING",
                                     "TEXT", "STRING"};

class Keeper {
public:
    Keeper(DataControlConnection& connection, const std::string& text)
        : connection_(connection), text_(text) {
        static constexpr DataControlConnection::DeviceEvents DeviceEvents{OnDataOffer, OnSelection,
                                                                          OnFinished, OnSelection};
        static constexpr DataControlConnection::SourceEvents SourceEvents{OnSend, OnCancelled};
        device_ = connection_.GetDevice(DeviceEvents, this);
        source_ = connection_.CreateSource(SourceEvents, this);
        for (const char* type : TextTypes)
            connection_.Offer(source_.get(), type);
        connection_.Offer(source_.get(), OwnCopyType);
        connection_.SetSelection(device_.get(), source_.get(), false);
    }

    // True when the compositor took the source without cancelling it at once.
    bool Owns() {
        connection_.Roundtrip(Clock::now() + std::chrono::seconds(3));
        return !done_;
    }

    // Serves until another program takes the clipboard or the compositor goes.
    void Serve() {
        while (!done_) {
            std::vector<pollfd> ready;
            for (const Transfer& transfer : transfers_)
                ready.push_back({transfer.Fd.get(), POLLOUT, 0});
            connection_.Pump(ready, Clock::now() + std::chrono::hours(1));
            for (std::size_t i = 0; i < ready.size(); ++i) {
                if (ready[i].revents != 0)
                    Continue(transfers_[i]);
            }
            std::erase_if(transfers_, [](const Transfer& transfer) { return !transfer.Fd; });
        }
    }

private:
    struct Transfer {
        FileDescriptor Fd;
        std::size_t Offset = 0;
    };

    static void OnDataOffer(void* data, wl_proxy*, wl_proxy* offer) {
        // We never read: the offer goes at once, and its events with it.
        static_cast<Keeper*>(data)->connection_.AdoptOffer(offer, nullptr, nullptr);
    }
    static void OnSelection(void*, wl_proxy*, wl_proxy*) {}
    static void OnFinished(void* data, wl_proxy*) { static_cast<Keeper*>(data)->done_ = true; }
    static void OnCancelled(void* data, wl_proxy*) { static_cast<Keeper*>(data)->done_ = true; }

    static void OnSend(void* data, wl_proxy*, const char* mimeType, std::int32_t fd) {
        auto& keeper = *static_cast<Keeper*>(data);
        FileDescriptor target(fd);
        const bool text =
            std::any_of(std::begin(TextTypes), std::end(TextTypes),
                        [&](const char* type) { return std::strcmp(type, mimeType) == 0; });
        // A reader that stops reading must not hold the others up.
        if (text && fcntl(target.get(), F_SETFL, O_NONBLOCK) == 0)
            keeper.transfers_.push_back({std::move(target), 0});
    }

    // Writes what the reader's pipe takes; closing it ends the transfer.
    void Continue(Transfer& transfer) {
        while (transfer.Offset < text_.size()) {
            const ssize_t written = write(transfer.Fd.get(), text_.data() + transfer.Offset,
                                          text_.size() - transfer.Offset);
            if (written > 0) {
                transfer.Offset += static_cast<std::size_t>(written);
            } else if (written < 0 && errno == EINTR) {
                continue;
            } else {
                if (written < 0 && errno == EAGAIN)
                    return;
                break;
            }
        }
        transfer.Fd = FileDescriptor();
    }

    DataControlConnection& connection_;
    const std::string& text_;
    WaylandProxy device_;
    WaylandProxy source_;
    std::vector<Transfer> transfers_;
    bool done_ = false;
};

// Runs in the detached child: takes the clipboard, reports through the pipe
// and serves. Returns the child's exit status.
int RunKeeper(const std::string& text, FileDescriptor ready) {
    try {
        DataControlConnection connection(std::chrono::seconds(3));
        Keeper keeper(connection, text);
        const bool owner = keeper.Owns();
        const char answer = owner ? '1' : '0';
        (void)!write(ready.get(), &answer, 1);
        ready = FileDescriptor();
        if (owner)
            keeper.Serve();
        return 0;
    } catch (const SelectionTimeout&) {
        return 1;
    }
}

} // namespace

bool KeepWaylandTextAfterExit(const std::string& utf8Text) {
    if (std::getenv("WAYLAND_DISPLAY") == nullptr)
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
        // A reader that closes its pipe early must not end the keeper.
        signal(SIGPIPE, SIG_IGN);
        if (const FileDescriptor null(open("/dev/null", O_RDWR)); null) {
            dup2(null.get(), 0);
            dup2(null.get(), 1);
            dup2(null.get(), 2);
        }
        // Inherited descriptors (the parent's Wayland connection above all)
        // would keep the parent's objects alive in the compositor. _exit
        // skips the destructors here, so nothing closes the numbers twice.
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
