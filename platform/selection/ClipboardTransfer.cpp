#include "platform/selection/ClipboardTransfer.h"

#include <QImageReader>

#include <utility>

namespace sorvak::platform {

ClipboardTransfer::ClipboardTransfer(SourceFactory open) : open_(std::move(open)) {
    // Qt's default allocation limit refuses full-page screenshots, and the
    // clipboard picture may be as large as memory allows. The limit is
    // process-wide and the picture decodes while the dialog is open, so it
    // is lifted for good before the thread starts; the picture pane keeps a
    // limit of its own.
    QImageReader::setAllocationLimit(0);
    try {
        source_ = open_();
        if (!source_)
            throw SelectionTimeout("no clipboard transport");
    } catch (...) {
        failure_ = std::current_exception();
        done_ = true;
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

ClipboardTransfer::~ClipboardTransfer() {
    Stop();
    if (thread_.joinable())
        thread_.join();
}

void ClipboardTransfer::Run() {
    std::optional<ClipboardSnapshot> snapshot;
    std::exception_ptr failure;
    try {
        snapshot = TakeSnapshot(*source_, [this](const ContentOutline& outline) {
            const std::lock_guard lock(mutex_);
            outline_ = outline;
            changed_.notify_all();
        });
    } catch (...) {
        failure = std::current_exception();
    }
    const std::lock_guard lock(mutex_);
    snapshot_ = std::move(snapshot);
    failure_ = failure;
    done_ = true;
    changed_.notify_all();
}

std::optional<ContentOutline> ClipboardTransfer::Outline() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return outline_.has_value() || done_; });
    return outline_;
}

const ClipboardSnapshot& ClipboardTransfer::Whole() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return done_; });
    if (failure_)
        std::rethrow_exception(failure_);
    return *snapshot_;
}

void ClipboardTransfer::Stop() {
    if (source_)
        source_->Stop();
}

} // namespace sorvak::platform
