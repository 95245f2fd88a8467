// Sorvak: saves what the clipboard holds into a file, once, and ends.
#include "app/ClipboardChoice.h"
#include "app/CommandLineRun.h"
#include "app/WatchRun.h"
#include "base/InterruptCleanup.h"
#include "base/Paths.h"
#include "cli/CommandLine.h"
#include "clipboard/Clipboard.h"
#include "driver/ModMain.h"
#include "platform/filedialog/SystemFileDialog.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/selection/QtClipboard.h"
#include "widgets/FrText.h"
#include "widgets/QtDialogPanes.h"
#include "widgets/WriteProgressWindow.h"

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

// The driver's progress service, shown in the widgets' window.
class ProgressWindow : public sorvak::WriteProgress {
public:
    explicit ProgressWindow(const std::string& format) : window_(QString::fromStdString(format)) {}
    void Report(int percent) override { window_.Report(percent); }

private:
    sorvak::widgets::WriteProgressWindow window_;
};

} // namespace

int main(int argc, char** argv) {
    // Before anything opens a descriptor.
    const sorvak::app::StandardStreams streams = sorvak::app::OpenClosedStandardStreams();
    // Before any thread exists, so that every thread inherits the blocked mask.
    sorvak::TakeEndingSignals();
    std::setlocale(LC_ALL, "");
    sorvak::app::InstallCommandLineTranslator();
    // Options first: help, version and a wrong option need no display.
    const sorvak::cli::CommandLine line =
        sorvak::cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    std::string initialFolder;
    if (const auto status = sorvak::app::AnswerWithoutDisplay(line, streams, initialFolder))
        return *status;
    // Qt aborts without a display; say what is missing instead. The
    // clipboard's transport decides the windows' platform too.
    const std::optional<sorvak::app::ClipboardTransport> transport =
        sorvak::app::ChooseClipboardTransport();
    if (!transport) {
        const char* display = std::getenv("DISPLAY");
        sorvak::app::ErrorLine(line.Quiet)
            .Print(sorvak::cli::TextId::NoDisplay, {display != nullptr ? display : ""});
        return sorvak::cli::ExitFailed;
    }
    const sorvak::platform::ClipboardTransfer::SourceFactory openTransport =
        sorvak::app::OpenTransport(*transport);
    if (line.Action == sorvak::cli::Action::ListTypes)
        return sorvak::app::ListTypes(openTransport, line);

    QApplication application(argc, argv);
    // The title, without setApplicationDisplayName: that would be appended
    // to every window title.
    QApplication::setApplicationName(QStringLiteral("Sorvak"));
    // A program with no main window must not end when its last dialog closes
    // before the export is done.
    QApplication::setQuitOnLastWindowClosed(false);
    sorvak::platform::InstallQtTranslations();

    if (line.Watch)
        return sorvak::app::RunWatch(
            {*line.Watch, line.NameTemplate, line.Format, line.Notify, line.Quiet}, *transport);
    if (line.Output)
        return sorvak::app::SaveOutput(openTransport, line);
    sorvak::platform::QtClipboard clipboardBackend(openTransport);
    sorvak::TClipboard clipboard(clipboardBackend);
    sorvak::platform::SystemFileDialogService dialogs(sorvak::platform::ShowException,
                                                      sorvak::widgets::MakeDialogPanes);

    sorvak::DriverServices services;
    services.Clipboard = &clipboard;
    services.Dialogs = &dialogs;
    services.ShowInformation = sorvak::platform::ShowInformationBox;
    services.ShowError = sorvak::platform::ShowException;
    services.CreateFileListWindow = [&](sorvak::TDataModule1& owner) {
        sorvak::widgets::TextFormServices window;
        window.Clipboard = &clipboard;
        window.Settings = owner.ExtIniFile1.get();
        window.Dialogs = &dialogs;
        window.ShowError = sorvak::platform::ShowException;
        return std::make_unique<sorvak::widgets::TTextForm>(std::move(window));
    };
    services.StartWriteProgress = [](const std::string& format) {
        return std::make_unique<ProgressWindow>(format);
    };
    services.ProgramPath = sorvak::ProgramPath();
    services.InitialFolder = initialFolder;
    { sorvak::TDataModule1 module(std::move(services)); }
    if (clipboardBackend.WroteText())
        sorvak::app::KeepCopiedText(*transport, clipboardBackend.WrittenText());
    return 0;
}
