#include "platform/selection/ClipboardTransfer.h"

#include "base/MemoryBudget.h"
#include "platform/selection/MemoryHolds.h"

#include <QImageReader>

#include <chrono>
#include <utility>

namespace sorvak::platform {

namespace {

// How long the end of the program waits for the transfer thread: enough for
// a stopped transfer to leave its owner free for the next requestor (the X11
// reader drains for up to 750 ms), little for a thread blocked where no stop
// reaches.
constexpr std::chrono::milliseconds ExitWait{1000};

} // namespace

ClipboardTransfer::ClipboardTransfer(SourceFactory open, AfterPicture afterPicture)
    : state_(std::make_shared<State>()) {
    // Qt's default allocation limit refuses full-page screenshots, and the
    // clipboard picture may be as large as the process can really hold. The
    // limit is process-wide and the picture decodes while the dialog is
    // open, so it is set for good before the thread starts; the picture pane
    // keeps a limit of its own.
    QImageReader::setAllocationLimit(DecoderAllocationLimit(MemoryBudget()));
    state_->Open = std::move(open);
    state_->After = afterPicture;
    try {
        state_->Source = state_->Open();
        if (!state_->Source)
            throw SelectionTimeout("no clipboard transport");
    } catch (...) {
        state_->Failure = std::current_exception();
        state_->Done = true;
        return;
    }
    thread_ = std::thread([state = state_] { Run(state); });
}

ClipboardTransfer::~ClipboardTransfer() {
    Stop();
    if (!thread_.joinable())
        return;
    bool ended;
    {
        std::unique_lock lock(state_->Mutex);
        ended = state_->Changed.wait_for(lock, ExitWait, [this] { return state_->Done; });
    }
    if (ended)
        thread_.join();
    else
        thread_.detach();
}

ClipboardSnapshot ClipboardTransfer::TakeFromNewOwner(State& state, const Tell& tell) {
    // A clipboard manager took over: it offers what the first owner did.
    std::unique_ptr<SelectionSource> next = state.Open();
    if (!next)
        throw SelectionTimeout("no clipboard transport");
    next->EndBy(state.Source->End());
    {
        const std::lock_guard lock(state.Mutex);
        if (state.Stopped)
            next->Stop();
        std::swap(state.Source, next);
    }
    next.reset();
    SelectionSource& source = *state.Source;
    if (!source.HasOwner())
        throw SelectionTimeout("the clipboard owner went away");
    return TakeSnapshot(source, tell, state.After);
}

void ClipboardTransfer::Run(const std::shared_ptr<State>& state) {
    // Told once across both starts: the dialog it opened stays.
    const Tell tell = [&state](const ContentOutline& outline) {
        const std::lock_guard lock(state->Mutex);
        if (state->Outline)
            return;
        state->Outline = outline;
        state->Changed.notify_all();
    };
    std::optional<ClipboardSnapshot> snapshot;
    std::exception_ptr failure;
    try {
        try {
            snapshot = TakeSnapshot(*state->Source, tell, state->After);
        } catch (const SelectionOwnerChanged&) {
            snapshot = TakeFromNewOwner(*state, tell);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    const std::lock_guard lock(state->Mutex);
    state->Snapshot = std::move(snapshot);
    state->Failure = failure;
    state->Done = true;
    state->Changed.notify_all();
}

std::optional<ContentOutline> ClipboardTransfer::Outline() {
    std::unique_lock lock(state_->Mutex);
    state_->Changed.wait(lock, [this] { return state_->Outline.has_value() || state_->Done; });
    return state_->Outline;
}

const ClipboardSnapshot& ClipboardTransfer::Whole() {
    std::unique_lock lock(state_->Mutex);
    state_->Changed.wait(lock, [this] { return state_->Done; });
    if (state_->Failure)
        std::rethrow_exception(state_->Failure);
    return *state_->Snapshot;
}

void ClipboardTransfer::Stop() {
    const std::lock_guard lock(state_->Mutex);
    state_->Stopped = true;
    if (state_->Source)
        state_->Source->Stop();
}

} // namespace sorvak::platform
