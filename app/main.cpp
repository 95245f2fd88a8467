// Sorvak: saves what the clipboard holds into a file, once, and ends.
#include "app/CommandLineRun.h"
#include "base/Paths.h"
#include "cli/CommandLine.h"
#include "clipboard/Clipboard.h"
#include "driver/ModMain.h"
#include "platform/filedialog/SystemFileDialog.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/selection/QtClipboard.h"
#include "platform/x11/ClipboardKeeper.h"
#include "platform/x11/Display.h"
#include "platform/x11/SelectionReader.h"
#include "widgets/FrText.h"
#include "widgets/QtDialogPanes.h"
#include "widgets/WriteProgressWindow.h"

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

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
    std::setlocale(LC_ALL, "");
    sorvak::app::InstallCommandLineTranslator();
    // Options first: help, version and a wrong option need no display.
    const sorvak::cli::CommandLine line =
        sorvak::cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    std::string initialFolder;
    if (const auto status = sorvak::app::AnswerWithoutDisplay(line, initialFolder))
        return *status;
    // Qt aborts without a display; say what is missing instead.
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0' || !sorvak::platform::CanOpenDisplay()) {
        sorvak::app::PrintError(sorvak::cli::TextId::NoDisplay, display != nullptr ? display : "");
        return sorvak::cli::ExitFailed;
    }
    // A program without a focused window cannot read the Wayland clipboard;
    // through XWayland the compositor keeps the X11 clipboard in step. So
    // X11 it is, whatever platform the session asks Qt for.
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication application(argc, argv);
    // The title, without setApplicationDisplayName: that would be appended
    // to every window title.
    QApplication::setApplicationName(QStringLiteral("Sorvak"));
    // A program with no main window must not end when its last dialog closes
    // before the export is done.
    QApplication::setQuitOnLastWindowClosed(false);
    sorvak::platform::InstallQtTranslations();

    // A save to a text file's name takes the text even beside a picture.
    sorvak::platform::QtClipboard clipboardBackend(
        [] { return std::make_unique<sorvak::platform::SelectionReader>(); },
        line.Output ? sorvak::platform::AfterPicture::Everything
                    : sorvak::platform::AfterPicture::Nothing);
    sorvak::TClipboard clipboard(clipboardBackend);
    if (line.Output)
        return sorvak::app::SaveOutput(clipboard, line);
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
        sorvak::platform::KeepClipboardTextAfterExit(clipboardBackend.WrittenText());
    return 0;
}
