#include "app/WatchRun.h"

#include "app/Terminal.h"
#include "base/ClipboardFormats.h"
#include "base/Paths.h"
#include "cli/CommandLine.h"
#include "driver/WatchSave.h"
#include "platform/notify/SaveNotification.h"
#include "platform/qt/ShownTexts.h"
#include "platform/selection/OwnCopy.h"
#include "platform/selection/QtClipboard.h"
#include "platform/wayland/DataControlWatch.h"
#include "platform/x11/SelectionWatch.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <ctime>
#include <memory>

namespace sorvak::app {

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

} // namespace

int RunWatch(const WatchOptions& options, ClipboardTransport transport) {
    const platform::ClipboardTransfer::SourceFactory open = OpenTransport(transport);
    const ErrorLine errors(options.Quiet);
    WatchRequest request;
    request.Folder = options.Folder;
    request.NameTemplate = options.NameTemplate;
    request.Format = options.Format;
    request.ProgramPath = ProgramPath();
    request.Now = LocalNow;
    WatchSaver saver(std::move(request));
    // The watch's own connection; each content is then read once through
    // the program's snapshot, and let go once saved.
    std::unique_ptr<platform::SelectionChanges> watch;
    try {
        if (transport == ClipboardTransport::Wayland)
            watch = std::make_unique<platform::DataControlWatch>();
        else
            watch = std::make_unique<platform::SelectionWatch>();
    } catch (const std::exception& failure) {
        errors.Print(failure);
        return cli::ExitFailed;
    }
    // Notices stay answerable while the watch goes on: their actions come
    // through the same event loop as the display's events.
    std::optional<platform::SaveNotifier> notifier;
    if (options.Notify)
        notifier.emplace();

    const auto saveCurrent = [&] {
        platform::SaveNotice notice;
        try {
            // What this program copied itself (a file list's paths) is no
            // new content of the user's.
            if (platform::IsOwnCopy(*open()))
                return;
            platform::QtClipboard backend(open);
            TClipboard clipboard(backend);
            const std::optional<std::string> saved = saver.SaveCurrent(clipboard);
            if (!saved)
                return;
            std::printf("%s\n", saved->c_str());
            std::fflush(stdout);
            notice.File = saved;
            notice.Picture = clipboard.QueryFormat(CF_BITMAP);
        } catch (const std::exception& failure) {
            notice.Failure = platform::ShownMessage(failure);
            errors.Print(failure);
        }
        if (notifier)
            notifier->Notify(notice);
    };
    QSocketNotifier display(watch->Descriptor(), QSocketNotifier::Read);
    QObject::connect(&display, &QSocketNotifier::activated, [&] {
        // A save's waits may run the event loop: the owners that come then
        // are taken by the loop below once it is done.
        display.setEnabled(false);
        // Until nothing is left queued: events read during a save wait in
        // the connection, not on the descriptor.
        while (watch->TakeNewOwner())
            saveCurrent();
        display.setEnabled(true);
        if (watch->Broken())
            QCoreApplication::exit(cli::ExitFailed);
    });
    return QCoreApplication::exec();
}

} // namespace sorvak::app
