// Sorvak: saves what the clipboard holds into a file, once, and ends.
#include "Clipboard.h"
#include "ClipboardKeeper.h"
#include "FrText.h"
#include "MessageBoxes.h"
#include "ModMain.h"
#include "Paths.h"
#include "QtClipboard.h"
#include "QtDialogPanes.h"
#include "SystemFileDialog.h"

#include <QApplication>
#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // A program without a focused window cannot read the Wayland clipboard;
    // through XWayland the compositor keeps the X11 clipboard in step.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") != nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication application(argc, argv);
    // The title, without setApplicationDisplayName: that would be appended
    // to every window title.
    QApplication::setApplicationName(QStringLiteral("Sorvak"));
    // A program with no main window must not end when its last dialog closes
    // before the export is done.
    QApplication::setQuitOnLastWindowClosed(false);
    sorvak::platform::InstallQtTranslations();

    sorvak::platform::QtClipboard clipboardBackend;
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
    services.ProgramPath = sorvak::ProgramPath();
    { sorvak::TDataModule1 module(std::move(services)); }
    if (clipboardBackend.WroteText())
        sorvak::platform::KeepClipboardTextAfterExit(clipboardBackend.WrittenText());
    return 0;
}
