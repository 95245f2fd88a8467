#include "app/WatchRun.h"

#include "app/CommandLineRun.h"
#include "base/ClipboardFormats.h"
#include "base/Paths.h"
#include "driver/WatchSave.h"
#include "platform/notify/SaveNotification.h"
#include "platform/qt/ShownTexts.h"
#include "platform/selection/QtClipboard.h"
#include "platform/x11/SelectionWatch.h"

#include <cstdio>
#include <ctime>

namespace sorvak::app {

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

} // namespace

int RunWatch(const WatchOptions& options, const platform::ClipboardTransfer::SourceFactory& open) {
    WatchRequest request;
    request.Folder = options.Folder;
    request.NameTemplate = options.NameTemplate;
    request.Format = options.Format;
    request.ProgramPath = ProgramPath();
    request.Now = LocalNow;
    WatchSaver saver(std::move(request));
    // The watch's own connection; each content is then read once through
    // the program's snapshot, and let go once saved.
    std::optional<platform::SelectionWatch> watch;
    try {
        watch.emplace();
    } catch (const std::exception& failure) {
        PrintError(cli::TextId::WriteFailed, failure.what());
        return cli::ExitFailed;
    }
    // A notice's action is not waited for here: the next copy must not be.
    const std::chrono::milliseconds noWait{0};
    while (watch->WaitForNewOwner()) {
        platform::SaveNotice notice;
        try {
            platform::QtClipboard backend(open);
            TClipboard clipboard(backend);
            const std::optional<std::string> saved = saver.SaveCurrent(clipboard);
            if (!saved)
                continue;
            std::printf("%s\n", saved->c_str());
            std::fflush(stdout);
            notice.File = saved;
            notice.Picture = clipboard.QueryFormat(CF_BITMAP);
        } catch (const std::exception& failure) {
            notice.Failure = platform::ShownMessage(failure);
            PrintError(cli::TextId::WriteFailed, notice.Failure);
        }
        if (options.Notify)
            platform::NotifySave(notice, noWait);
    }
    return cli::ExitFailed;
}

} // namespace sorvak::app
