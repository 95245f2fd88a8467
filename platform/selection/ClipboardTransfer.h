#pragma once
// The clipboard's content taken on a thread of its own, so that the program
// can open its dialog while the content is still on its way: what the
// content is shows in its first bytes, the whole of it comes later.
#include "platform/selection/ClipboardSnapshot.h"
#include "platform/selection/SelectionSource.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace sorvak::platform {

class ClipboardTransfer {
public:
    // Opens the transport the content is read through; throws
    // SelectionTimeout when it cannot.
    using SourceFactory = std::function<std::unique_ptr<SelectionSource>()>;

    // Starts taking the content at once, from a source `open` gives.
    explicit ClipboardTransfer(SourceFactory open);
    // Stops the transfer and waits for its thread, which ends at its next
    // read of the transport or of the picture's bytes.
    ~ClipboardTransfer();
    ClipboardTransfer(const ClipboardTransfer&) = delete;
    ClipboardTransfer& operator=(const ClipboardTransfer&) = delete;

    // What the first bytes told; nothing when only the whole content could
    // tell (it has come by then). Waits for one or the other.
    std::optional<ContentOutline> Outline();
    // The whole content; throws what ended the transfer (SelectionTimeout,
    // SelectionStopped). Waits for it.
    const ClipboardSnapshot& Whole();
    // Nobody will read the content: the transfer ends as soon as it can.
    // Safe from any thread.
    void Stop();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<ContentOutline> outline_;
    bool done_ = false;
    std::optional<ClipboardSnapshot> snapshot_;
    std::exception_ptr failure_;
    SourceFactory open_;
    std::unique_ptr<SelectionSource> source_;
    std::thread thread_;
};

} // namespace sorvak::platform
