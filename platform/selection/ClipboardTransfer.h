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
    // SelectionTimeout when it cannot. Called again, once, when another
    // owner takes the clipboard during the transfer.
    using SourceFactory = std::function<std::unique_ptr<SelectionSource>()>;

    // Starts taking the content at once, from a source `open` gives.
    explicit ClipboardTransfer(SourceFactory open,
                               AfterPicture afterPicture = AfterPicture::Nothing);
    // Stops the transfer and waits at most a second for its thread; one
    // still blocked then is left to end on its own, holding only what it
    // shares with nobody else.
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
    // Everything the thread touches: it may outlive the object.
    struct State {
        std::mutex Mutex;
        std::condition_variable Changed;
        std::optional<ContentOutline> Outline;
        bool Done = false;
        bool Stopped = false;
        std::optional<ClipboardSnapshot> Snapshot;
        std::exception_ptr Failure;
        SourceFactory Open;
        AfterPicture After = AfterPicture::Nothing;
        // Replaced, under the mutex, when the transfer starts again.
        std::unique_ptr<SelectionSource> Source;
    };
    static void Run(const std::shared_ptr<State>& state);
    using Tell = std::function<void(const ContentOutline&)>;
    static ClipboardSnapshot TakeFromNewOwner(State& state, const Tell& tell);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace sorvak::platform
